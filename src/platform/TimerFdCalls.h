#pragma once

#include "datetime/ClockStepNotifier.h"

#include <memory>
#include <string>
#include <sys/timerfd.h>
#include <sys/types.h>

// The timer calls of the clock-step notifier, reached through a table so that
// tests can play the system's part: a clock that was set cannot be made here,
// since setting the real clock is never allowed in a test.
struct TimerFdCalls {
    int (*create)(int clockId, int flags);
    int (*settime)(int fd, int flags, const itimerspec* value, itimerspec* old);
    ssize_t (*read)(int fd, void* buffer, size_t size);
    int (*close)(int fd);
};

const TimerFdCalls& RealTimerFdCalls();

namespace ClockSteps {

// Where the timer is set: past any date a clock will show, so it never
// expires, and far from the end of time_t, so that a library that shifts
// absolute times (libfaketime does) cannot overflow it.
time_t NeverSeconds();

// MakeSystemClockSteps through the given calls, watching zoneFile (whose
// folder is watched, since the file is replaced, not edited).
std::unique_ptr<ClockStepNotifier> Make(ClockStepNotifier::Listener listener,
                                        const TimerFdCalls& calls, const std::string& zoneFile);

} // namespace ClockSteps
