#include "ntp/Triggers.h"

#include <limits>

namespace ntp::Triggers {

namespace {

// Longest wait a timer takes (QTimer counts int milliseconds).
constexpr std::int64_t kLongestTimerInterval = std::numeric_limits<int>::max();
// What the settings loader allows at most; used when a stored delay would not
// fit a timer at all.
constexpr int kFallbackWait = 60000;

void Restart(std::int32_t resumeDelay, Timer& timer) {
    // Stopping first makes every notice start the whole wait again.
    timer.Stop();
    timer.SetInterval(WaitMilliseconds(resumeDelay));
    timer.Start();
}

} // namespace

std::int32_t FullCountdown(std::int32_t intervalHours) {
    const std::int64_t minutes = std::int64_t{intervalHours} * 60;
    if (minutes > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (minutes < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(minutes);
}

void ResetCountdown(SettingsRecord& settings) {
    settings.NTPCountdown = FullCountdown(settings.NTPbyTimer_Interval);
}

void OnNTPbyTimerTick(SettingsRecord& settings, const SyncRun& run) {
    if (!settings.NTPbyTimer) {
        return;
    }
    if (settings.NTPCountdown <= 0) {
        // A zero or negative interval lands here on every tick, so it never runs.
        ResetCountdown(settings);
        return;
    }
    --settings.NTPCountdown;
    if (settings.NTPCountdown > 0) {
        return;
    }
    // The run dispatches events while it waits, and Apply may change the
    // server name under it; give it its own copy.
    const std::string server = settings.NTP_Server;
    run(false, server);
    // Also after a failure, which set the countdown to 1: a failed periodic
    // run waits the whole interval, not one more minute.
    ResetCountdown(settings);
}

int WaitMilliseconds(std::int32_t resumeDelay) {
    // Apply stores what was typed: 0 seconds, or a negative number, means no
    // wait worth speaking of rather than an interval the timer would refuse.
    if (resumeDelay < 0) {
        resumeDelay = 0;
    }
    const std::int64_t wait = std::int64_t{resumeDelay} + 1;
    if (wait > kLongestTimerInterval) {
        return kFallbackWait;
    }
    return static_cast<int>(wait);
}

void ArmSyncAtRun(const SettingsRecord& settings, Timer& tmrNTPatRun) {
    if (settings.NTPatRun) {
        // NTPatRun_Delay is kept in the file but has never governed this wait.
        Restart(settings.NTPatResume_Delay, tmrNTPatRun);
    }
}

void ArmSyncAtResume(const SettingsRecord& settings, Timer& tmrNTPatRun) {
    if (settings.NTPatResume) {
        Restart(settings.NTPatResume_Delay, tmrNTPatRun);
    }
}

void OnNTPatRunTick(const SettingsRecord& settings, Timer& tmrNTPatRun, const SyncRun& run) {
    // Disabled before the run: a resume notice that arrives while the run
    // waits for its reply then arms a fresh wait instead of being swallowed.
    tmrNTPatRun.Stop();
    const std::string server = settings.NTP_Server;
    run(false, server);
}

} // namespace ntp::Triggers
