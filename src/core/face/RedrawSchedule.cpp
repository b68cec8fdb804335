#include "face/RedrawSchedule.h"

#include "face/ClockFace.h"

#include <algorithm>

namespace RedrawSchedule {

namespace {

constexpr int kMinute = 60000;
// How much earlier than a full minute after the last one a tick may come, and
// how long after the minute's start it may still join that minute's wake-up:
// wake-ups land a little late or early, and a tick must not slip a minute
// for that.
constexpr int kTickTolerance = 1000;
// The countdown's own timer waits this much past the face's minute, so the
// face's wake-up comes first and takes the tick along.
constexpr int kTickLag = 20;

} // namespace

int ClockDrawInterval(std::int32_t drawInterval) {
    if (drawInterval < 0 || drawInterval > 65535) {
        return 75;
    }
    return drawInterval;
}

int UntilNextMinute(const LocalDateTime& now, const SettingsRecord& s) {
    const LocalDateTime shown = ClockFace::DisplayedTimeFor(now, s);
    return (60 - std::clamp(shown.second, 0, 59)) * 1000 - std::clamp(now.millisecond, 0, 999);
}

int UntilNextChange(const LocalDateTime& now, const SettingsRecord& s) {
    const int ms = std::clamp(now.millisecond, 0, 999);
    int until = UntilNextMinute(now, s);

    // The colon changes where its phase crosses BlinkDelay or the second turns;
    // a delay outside 1..999 keeps it in one state.
    if (s.Blink && s.BlinkDelay > 0 && s.BlinkDelay < 1000) {
        const int edge = ms < s.BlinkDelay ? s.BlinkDelay - ms : 1000 - ms;
        until = std::min(until, edge);
    }
    return std::max(until, 1);
}

int NextDelay(const LocalDateTime& now, const SettingsRecord& s, int drawInterval) {
    // One millisecond past the edge, so a wake-up never lands just before it
    // (the time read has whole milliseconds, cut off, not rounded).
    return std::max(UntilNextChange(now, s) + 1, drawInterval);
}

int MinuteTickDelay(const LocalDateTime& now, const SettingsRecord& s, std::int64_t sinceLastTick) {
    const int untilMinute = UntilNextMinute(now, s);
    const std::int64_t untilDue = kMinute - kTickTolerance - sinceLastTick;
    if (untilDue <= 0 && kMinute - untilMinute < kTickTolerance) {
        return 0;
    }
    int delay = untilMinute + 1 + kTickLag;
    if (delay < untilDue) {
        delay += kMinute;
    }
    return delay;
}

} // namespace RedrawSchedule
