#pragma once

#include "ntp/SyncInterfaces.h"

#include <windows.h>

// Pure conversions between the program's values and Win32 structures, kept
// apart from the calls that use them so that tests can check them.

namespace SystemClock {

// The SYSTEMTIME that SetSystemTime gets for a UTC time, weekday included;
// false, with out untouched, for a time the system must never be given.
// Tests check this instead of the setter: under Wine SetSystemTime would set
// the real clock of the machine running them.
bool ToSystemTime(const ntp::SystemTimeFields& utc, SYSTEMTIME& out);

} // namespace SystemClock

// The zone's standard offset in hours east of UTC: Bias and StandardBias are
// minutes west, and DaylightBias does not count.
float StandardOffsetHours(const TIME_ZONE_INFORMATION& zone);
