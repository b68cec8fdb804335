#pragma once

#include "settings/SettingsRecord.h"

#include <cstdint>
#include <functional>
#include <string>

// The automatic synchronisation triggers: the one-shot wait after start-up or
// a resume (tmrNTPatRun) and the minute countdown of the periodic run
// (tmrNTPbyTimer, NTPCountdown). The timers and the run come in from outside
// so that tests can drive them on a virtual clock.
namespace ntp::Triggers {

// The little of a window timer that the triggers touch.
class Timer {
public:
    virtual ~Timer() = default;
    virtual bool IsEnabled() const = 0;
    virtual int Interval() const = 0;
    virtual void SetInterval(int milliseconds) = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
};

// Same shape as SyncSystemTime(showResult, server).
using SyncRun = std::function<void(bool showResult, const std::string& server)>;

// Minutes in NTPbyTimer_Interval hours, saturated to the countdown's 32 bits:
// an interval of more than 35791394 hours means "practically never", not a
// wrapped-around count.
std::int32_t FullCountdown(std::int32_t intervalHours);

// NTPCountdown := the full interval. Start-up does this whether or not
// NTPbyTimer is on, and so does Apply after the interval was edited.
void ResetCountdown(SettingsRecord& settings);

// One tick of tmrNTPbyTimer (once a minute).
void OnNTPbyTimerTick(SettingsRecord& settings, const SyncRun& run);

// Milliseconds tmrNTPatRun waits for a given NTPatResume_Delay.
int WaitMilliseconds(std::int32_t resumeDelay);

// Both restart tmrNTPatRun from scratch, so the last of several notices wins.
void ArmSyncAtRun(const SettingsRecord& settings, Timer& tmrNTPatRun);
void ArmSyncAtResume(const SettingsRecord& settings, Timer& tmrNTPatRun);

// The tick of tmrNTPatRun: one shot, then the run.
void OnNTPatRunTick(const SettingsRecord& settings, Timer& tmrNTPatRun, const SyncRun& run);

} // namespace ntp::Triggers
