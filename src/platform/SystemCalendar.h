#pragma once

#include "datetime/CalendarData.h"

#include <memory>
#include <string>

// The user's locale for dates (on Linux LC_TIME, as the C library or the
// environment gives it). Create once and keep it.
std::unique_ptr<CalendarData> MakeSystemCalendarData();

// An explicit locale in the platform's own spelling ("ja_JP", "ja_JP.UTF-8").
std::unique_ptr<CalendarData> MakeCalendarData(const std::string& localeName);
