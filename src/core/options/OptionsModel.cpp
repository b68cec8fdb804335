#include "options/OptionsModel.h"

#include "ntp/Triggers.h"
#include "options/OptionsTexts.h"
#include "settings/NumberReader.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace Options {

namespace {

std::string Shown(std::int32_t value, SpinBounds bounds) {
    return std::to_string(std::clamp(value, bounds.lower, bounds.upper));
}

// value / divisor to the nearest integer, ties to the even one.
std::int32_t DivideRounded(std::int32_t value, std::int32_t divisor) {
    std::int32_t quotient = value / divisor;
    const std::int32_t twiceRest = 2 * std::abs(value % divisor);
    if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0)) {
        quotient += value < 0 ? -1 : 1;
    }
    return quotient;
}

// The server text with each control character (C0, DEL and C1 in UTF-8) as
// one blank. A line break would split the settings line and a terminal
// sequence would reach the log; the dialog has no place to say why it
// refused, and a blank is what the settings writer makes of a line break.
std::string WithoutControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                        (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80;
        if (byte < 0x20 || byte == 0x7F || c1) {
            out += ' ';
            i += c1 ? 1 : 0;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string BuiltInServer() {
    return SettingsRecord{}.NTP_Server;
}

Form Load(const SettingsRecord& s, bool autoRun) {
    Form f;
    f.txtNTPbyTimer_Interval = Shown(s.NTPbyTimer_Interval, kIntervalBounds);
    f.txtNTP_PermissibleDelay = Shown(s.NTP_PermissibleDelay, kPermissibleDelayBounds);
    f.txtNTP_Samples = Shown(s.NTP_Samples, kSamplesBounds);
    // Whole minutes, a part minute dropped toward zero.
    f.txtTimeOffset = Shown(s.TimeOffset / 60, kTimeOffsetBounds);
    f.txtNTPatResume_Delay = Shown(DivideRounded(s.NTPatResume_Delay, 1000), kResumeDelayBounds);

    f.chkUseTimeOffset = s.UseTimeOffset;
    f.chkBlink = s.Blink;
    f.chkNTPatRun = s.NTPatRun;
    f.chkNTPatResume = s.NTPatResume;
    f.chkNTPbyTimer = s.NTPbyTimer;
    f.cmbServers = s.NTP_Server.empty() ? BuiltInServer() : s.NTP_Server;
    f.chkNTP_UsePermissibleDelay = s.NTP_UsePermissibleDelay;
    f.chkNTP_ShowDialog = s.NTP_ShowDialog;
    f.chkNTP_Logging = s.NTP_Logging;
    f.chkNTS = s.NTS;
    f.chkFixWindowPosition = s.FixWindowPosition;
    f.chkTopMost = s.TopMost;

    // Any other style is drawn as 24-hour, so that is what the list shows.
    f.cmbTimeFormat = s.TimeFormat >= 1 && s.TimeFormat <= 3 ? s.TimeFormat - 1 : 0;
    f.cmbDateFormat = s.DateFormat.empty() ? std::string(kDatePresets[0]) : s.DateFormat;

    f.chkEXITbyDblClick = s.EXITbyDblClick;
    f.chkClearRecent = s.ClearRecent;
    f.chkClearRecycleBin = s.ClearRecycleBin;
    f.chkClearRecycleBin_NoConfirm = s.ClearRecycleBin_NoConfirm;
    f.chkAutoRun = autoRun;
    return f;
}

void Store(const Form& f, bool intervalEdited, SettingsRecord& s) {
    const std::int32_t interval = s.NTPbyTimer_Interval;
    s.TimeOffset = ReadField(f.txtTimeOffset, 60);
    s.UseTimeOffset = f.chkUseTimeOffset;
    s.NTPatRun = f.chkNTPatRun;
    s.NTPatResume = f.chkNTPatResume;
    s.NTPbyTimer = f.chkNTPbyTimer;
    s.NTPbyTimer_Interval = ReadField(f.txtNTPbyTimer_Interval);
    // As typed otherwise: blanks may matter to nobody, but the user sees what
    // is kept.
    s.NTP_Server = WithoutControls(f.cmbServers);
    s.NTP_UsePermissibleDelay = f.chkNTP_UsePermissibleDelay;
    s.NTP_PermissibleDelay = ReadField(f.txtNTP_PermissibleDelay);
    // Unlike the other fields, kept within its bounds: more requests than
    // that would only earn a rate-limiting kiss from a public server.
    s.NTP_Samples =
        std::clamp(ReadField(f.txtNTP_Samples), kSamplesBounds.lower, kSamplesBounds.upper);
    s.NTPatResume_Delay = ReadField(f.txtNTPatResume_Delay, 1000);
    s.NTP_ShowDialog = f.chkNTP_ShowDialog;
    s.NTP_Logging = f.chkNTP_Logging;
    s.NTS = f.chkNTS;
    s.TopMost = f.chkTopMost;
    s.Blink = f.chkBlink;
    s.TimeFormat = f.cmbTimeFormat >= 0 && f.cmbTimeFormat < static_cast<int>(kTimeFormats.size())
                       ? f.cmbTimeFormat + 1
                       : 1;
    s.DateFormat = f.cmbDateFormat;
    s.EXITbyDblClick = f.chkEXITbyDblClick;
    s.FixWindowPosition = f.chkFixWindowPosition;
    s.ClearRecent = f.chkClearRecent;
    s.ClearRecycleBin = f.chkClearRecycleBin;
    s.ClearRecycleBin_NoConfirm = f.chkClearRecycleBin_NoConfirm;
    s.AutoRun = f.chkAutoRun;
    // A file's interval outside the field's bounds comes back clamped; the
    // countdown must not keep counting the old one.
    if (intervalEdited || s.NTPbyTimer_Interval != interval) {
        ntp::Triggers::ResetCountdown(s);
    }
}

std::int32_t ReadField(std::string_view text, std::uint32_t scale) {
    const NumberReader::Result r = NumberReader::Read(text, scale);
    if (r.inRange) {
        return r.integer;
    }
    return r.real < 0 ? std::numeric_limits<std::int32_t>::min()
                      : std::numeric_limits<std::int32_t>::max();
}

std::string Step(std::string_view text, SpinBounds bounds, int steps) {
    const std::int32_t start = NumberReader::Read(text).isNumber
                                   ? std::clamp(ReadField(text), bounds.lower, bounds.upper)
                                   : bounds.lower;
    const std::int64_t next =
        std::clamp<std::int64_t>(std::int64_t{start} + steps, bounds.lower, bounds.upper);
    return std::to_string(next);
}

} // namespace Options
