#include "SystemServices.h"

#include "SystemClock.h"

namespace {

class WindowsClockSetter final : public ntp::ClockSetter {
public:
    ntp::SetTimeResult SetSystemTime(const ntp::SystemTimeFields& utc) override {
        return SystemClock::Set(utc) == SystemClock::SetResult::Done ? ntp::SetTimeResult::Set
                                                                     : ntp::SetTimeResult::Refused;
    }
    void BroadcastTimeChange() override { SystemClock::BroadcastTimeChange(); }
};

} // namespace

std::unique_ptr<ntp::ClockSetter> MakeSystemClockSetter() {
    return std::make_unique<WindowsClockSetter>();
}
