#pragma once

#include "datetime/LocalDateTime.h"
#include "settings/SettingsRecord.h"

#include <functional>
#include <string>

// The flip-digit face: which glyph goes where for a given time.
namespace ClockFace {

// What the face keeps between frames. DisplayedTime is read by the date
// tooltip, so it is the value of the latest frame.
struct FaceState {
    std::string LastFaceText; // empty until the first frame
    LocalDateTime DisplayedTime;
};

// Copies the strip's rectangle (srcX, srcY, w, h) to the face at (x, y).
using GlyphCopier = std::function<void(int x, int y, int w, int h, int srcX, int srcY)>;

// Four digits for hour 0-23 and minute 0-59: TimeFormat 2 is 12-hour 1-12,
// 3 is 12-hour 0-11, anything else 24-hour.
std::string FaceText(int hour, int minute, int timeFormat);

// The face's time as a screen reader says it: the hour without its leading
// zero, and in both 12-hour styles the half of the day the face leaves out
// ("13:45", "午後 1:45", "午前 0:05").
std::string SpokenTime(int hour, int minute, int timeFormat);

// now shifted by TimeOffset seconds when UseTimeOffset is on.
LocalDateTime DisplayedTimeFor(const LocalDateTime& now, const SettingsRecord& s);

// The colon blinks with the sub-second phase of the local clock, not with a
// count of ticks, so it stays in step with the seconds.
bool ColonLit(int millisecond, bool blink, int blinkDelay);

// One frame: digits when force is on or the text changed, the colon always.
// Presenting the copied rectangles is the caller's business.
void Draw(bool force, const LocalDateTime& now, const SettingsRecord& s, FaceState& state,
          const GlyphCopier& copyGlyph);

} // namespace ClockFace
