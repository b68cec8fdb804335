#include "face/RedrawSchedule.h"

#include "face/ClockFace.h"

#include <algorithm>

namespace RedrawSchedule {

int ClockDrawInterval(std::int32_t drawInterval) {
    if (drawInterval < 0 || drawInterval > 65535) {
        return 75;
    }
    return drawInterval;
}

int UntilNextChange(const LocalDateTime& now, const SettingsRecord& s) {
    const int ms = std::clamp(now.millisecond, 0, 999);
    const LocalDateTime shown = ClockFace::DisplayedTimeFor(now, s);
    int until = (60 - std::clamp(shown.second, 0, 59)) * 1000 - ms;

    // The colon changes where its phase crosses BlinkDelay or the second turns;
    // a delay outside 1..999 keeps it in one state.
    if (s.Blink && s.BlinkDelay > 0 && s.BlinkDelay < 1000) {
        const int edge = ms < s.BlinkDelay ? s.BlinkDelay - ms : 1000 - ms;
        until = std::min(until, edge);
    }
    return std::max(until, 1);
}

int NextDelay(const LocalDateTime& now, const SettingsRecord& s, int drawInterval) {
    // One millisecond past the edge, so a wake-up never lands just before it.
    const int untilChange = UntilNextChange(now, s) + 1;
    const int longest = std::max(drawInterval, 1000);
    return std::clamp(untilChange, drawInterval, longest);
}

bool MayCoalesce(const LocalDateTime& now, const SettingsRecord& s, int drawInterval) {
    return drawInterval < 1000 && UntilNextChange(now, s) > 2000;
}

} // namespace RedrawSchedule
