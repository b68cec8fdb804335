#pragma once

#include "datetime/LocalDateTime.h"
#include "settings/SettingsRecord.h"

#include <cstdint>

// When the clock needs to wake. The face changes once a minute (and twice
// a second while the colon blinks), so the redraw timer sleeps until the
// face can next look different; a step of the system clock or a change of
// the zone is announced by the system, and a change of the settings by the
// program itself, so nothing has to look at the time in between. The
// countdown's minute tick is laid into the face's minute wake-up rather than
// waking the program on a schedule of its own.
namespace RedrawSchedule {

// The redraw timer's shortest period for a DrawInterval: 0 stops the timer,
// values a timer cannot take read as the default 75.
int ClockDrawInterval(std::int32_t drawInterval);

// Milliseconds from now (1..60000) until the displayed time's next minute.
int UntilNextMinute(const LocalDateTime& now, const SettingsRecord& s);

// Milliseconds from now (>= 1) until the next colon edge when blinking, or
// the next minute of the displayed time, whichever comes first.
int UntilNextChange(const LocalDateTime& now, const SettingsRecord& s);

// The wait before the next frame for a redraw interval > 0: just past the
// next change, but never shorter than drawInterval, the shortest gap between
// frames.
int NextDelay(const LocalDateTime& now, const SettingsRecord& s, int drawInterval);

// The wait before the countdown's next minute tick, sinceLastTick
// milliseconds (of a clock that is never set) after the previous one. The
// tick comes a moment after the face's minute begins, so that the face's own
// wake-up (planned at every frame) brings it forward into that wake-up: 0
// means "now", for a tick that is due in a minute that has just begun. Ticks
// stay at least about a minute apart whatever the wall clock does.
int MinuteTickDelay(const LocalDateTime& now, const SettingsRecord& s, std::int64_t sinceLastTick);

} // namespace RedrawSchedule
