#include "SystemClock.h"

#include "datetime/LocalDateTime.h"
#include "ntp/SyncRun.h"

#include <cerrno>
#include <ctime>

namespace SystemClock {

SetResult Set(const ntp::SystemTimeFields& utc) {
    if (!ntp::IsValidSystemTime(utc) || utc.Year < 1970) {
        return SetResult::Failed;
    }
    const LocalDateTime t{utc.Year,   utc.Month,  utc.Day,         utc.Hour,
                          utc.Minute, utc.Second, utc.Milliseconds};
    const std::int64_t targetMs = DateMath::ToEpochMilliseconds(t);
    timespec target{};
    target.tv_sec = static_cast<time_t>(targetMs / 1000);
    target.tv_nsec = static_cast<long>((targetMs % 1000) * 1'000'000);
    if (clock_settime(CLOCK_REALTIME, &target) == 0) {
        return SetResult::Done;
    }
    return errno == EPERM ? SetResult::NotPermitted : SetResult::Failed;
}

void BroadcastTimeChange() {}

} // namespace SystemClock
