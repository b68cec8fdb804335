#pragma once

#include "datetime/LocalDateTime.h"
#include "settings/SettingsRecord.h"

#include <cstdint>

// When the clock face needs its next frame. Waking the program a dozen times
// a second for a face that changes once a minute (or twice a second while the
// colon blinks) costs more CPU than everything else it does, so the redraw
// timer sleeps until the face can next look different, rechecking at least
// every second so that settings changes and clock steps show promptly.
namespace RedrawSchedule {

// The redraw timer's shortest period for a DrawInterval: 0 stops the timer,
// values a timer cannot take read as the default 75.
int ClockDrawInterval(std::int32_t drawInterval);

// Milliseconds from now (>= 1) until the next colon edge when blinking, or
// the next minute of the displayed time, whichever comes first.
int UntilNextChange(const LocalDateTime& now, const SettingsRecord& s);

// The wait before the next frame for a redraw interval > 0: never shorter
// than drawInterval, and no longer than a second unless drawInterval is.
int NextDelay(const LocalDateTime& now, const SettingsRecord& s, int drawInterval);

// True when the next frame is only the once-a-second recheck and the face
// cannot change for more than two seconds: that wake-up may then move by up
// to a second to share it with the program's other coarse timers.
bool MayCoalesce(const LocalDateTime& now, const SettingsRecord& s, int drawInterval);

} // namespace RedrawSchedule
