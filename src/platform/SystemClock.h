#pragma once

#include "sync/SyncInterfaces.h"

// The real system clock. Only the window program and `--sync` without
// `--dry-run` construct a Setter; tests inject their own or the dry run.
namespace SystemClock {

// Sets the clock in UTC. Linux: clock_settime when the process may, else
// timedated's SetTime over the system bus with a relative offset (so the time
// an authorisation prompt takes does not age the value) and interactive
// authorisation. Windows: SetSystemTime. False when a field is out of range
// or the change is refused.
bool Set(const modNTP::SystemTimeFields& utc);

// Windows: WM_TIMECHANGE to every top-level window, giving up on hung ones.
// Linux: nothing; programs there watch the clock themselves.
void BroadcastTimeChange();

class Setter final : public modNTP::ClockSetter {
public:
    bool SetSystemTime(const modNTP::SystemTimeFields& utc) override { return Set(utc); }
    void BroadcastTimeChange() override { SystemClock::BroadcastTimeChange(); }
};

} // namespace SystemClock
