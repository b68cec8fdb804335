#include "face/ClockFace.h"

#include "face/FaceLayout.h"

namespace ClockFace {

namespace {

void AppendTwoDigits(std::string& text, int value) {
    text += static_cast<char>('0' + value / 10);
    text += static_cast<char>('0' + value % 10);
}

// Keeps a digit position on a glyph that exists even if a caller hands in
// an hour or minute out of range.
int Wrap(int value, int modulus) {
    return ((value % modulus) + modulus) % modulus;
}

} // namespace

std::string FaceText(int hour, int minute, int timeFormat) {
    hour = Wrap(hour, 24);
    minute = Wrap(minute, 60);
    int shown = hour;
    if (timeFormat == 2) {
        shown = hour == 0 ? 12 : (hour > 12 ? hour - 12 : hour);
    } else if (timeFormat == 3) {
        shown = hour >= 12 ? hour - 12 : hour;
    }
    std::string text;
    text.reserve(4);
    AppendTwoDigits(text, shown);
    AppendTwoDigits(text, minute);
    return text;
}

std::string SpokenTime(int hour, int minute, int timeFormat) {
    const std::string face = FaceText(hour, minute, timeFormat);
    std::string spoken;
    if (timeFormat == 2 || timeFormat == 3) {
        spoken = Wrap(hour, 24) < 12 ? "午前 " : "午後 ";
    }
    spoken += face[0] == '0' ? face.substr(1, 1) : face.substr(0, 2);
    return spoken + ":" + face.substr(2);
}

LocalDateTime DisplayedTimeFor(const LocalDateTime& now, const SettingsRecord& s) {
    if (!s.UseTimeOffset) {
        return now;
    }
    return DateMath::AddSeconds(now, s.TimeOffset);
}

bool ColonLit(int millisecond, bool blink, int blinkDelay) {
    if (!blink) {
        return true;
    }
    return millisecond >= 0 && millisecond < blinkDelay;
}

void Draw(bool force, const LocalDateTime& now, const SettingsRecord& s, FaceState& state,
          const GlyphCopier& copyGlyph) {
    using namespace FaceLayout;
    state.DisplayedTime = DisplayedTimeFor(now, s);
    const std::string text =
        FaceText(state.DisplayedTime.hour, state.DisplayedTime.minute, s.TimeFormat);

    if (force || text != state.LastFaceText) {
        for (int position = 0; position < 4; ++position) {
            const char c = text[static_cast<std::size_t>(position)];
            const bool suppressed = position == 0 && c == '0';
            const bool digit = c >= '0' && c <= '9';
            const int srcX = suppressed || !digit ? kBlankSourceX : DigitSourceX(c - '0');
            copyGlyph(kDigitFaceX[position], kFaceY, kDigitWidth, kCellHeight, srcX, 0);
        }
    }

    const bool lit = ColonLit(now.millisecond, s.Blink, s.BlinkDelay);
    copyGlyph(kColonFaceX, kFaceY, kColonWidth, kCellHeight,
              lit ? kColonLitSourceX : kColonUnlitSourceX, 0);

    state.LastFaceText = text;
}

} // namespace ClockFace
