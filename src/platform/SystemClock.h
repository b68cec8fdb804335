#pragma once

#include "ntp/SyncInterfaces.h"

// The operating system's own clock calls. The program reaches them through
// its ntp::ClockSetter; only the window program and `--sync` without
// `--dry-run` make one, and tests never do.
namespace SystemClock {

enum class SetResult {
    Done,
    // The process may not set the clock; another way (timedated) may.
    NotPermitted,
    // A field is out of range or the system refused the time itself.
    Failed,
};

// Sets the clock in UTC: clock_settime on Linux, SetSystemTime on Windows.
SetResult Set(const ntp::SystemTimeFields& utc);

// Windows: WM_TIMECHANGE to every top-level window, giving up on hung ones.
// Linux: nothing; programs there watch the clock themselves.
void BroadcastTimeChange();

} // namespace SystemClock
