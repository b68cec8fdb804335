#pragma once

#include "datetime/LocalDateTime.h"

#include <cstdint>

// The local time from the OS, milliseconds included.
LocalDateTime SystemLocalTime();

// Milliseconds of a clock that is never set (the timers' own).
std::int64_t SteadyMilliseconds();
