#pragma once

#include "settings/SettingsRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

// The options dialog without its widgets: what every control shows when the
// dialog opens, and how the controls' texts and states go back into the
// settings record on Apply. Members are named after the controls.
namespace Options {

// The bounds of a numeric field's arrows. They limit stepping only: typed
// text is stored as it stands.
struct SpinBounds {
    std::int32_t lower;
    std::int32_t upper;
};

inline constexpr SpinBounds kIntervalBounds{1, 48};             // hours
inline constexpr SpinBounds kPermissibleDelayBounds{100, 3000}; // milliseconds
inline constexpr SpinBounds kTimeOffsetBounds{-1440, 1440};     // minutes
inline constexpr SpinBounds kResumeDelayBounds{0, 60};          // seconds
inline constexpr SpinBounds kSamplesBounds{1, 8};               // requests per run

struct Form {
    // 全般
    bool chkAutoRun = false;
    bool chkClearRecent = false;
    bool chkClearRecycleBin = false;
    // Kept, and stored, while the box above is clear and this one disabled.
    bool chkClearRecycleBin_NoConfirm = false;
    bool chkEXITbyDblClick = false;
    bool chkTopMost = false;
    bool chkFixWindowPosition = false;

    // 時計
    bool chkBlink = false;
    bool chkUseTimeOffset = false;
    std::string txtTimeOffset; // minutes
    int cmbTimeFormat = 0;     // list index
    std::string cmbDateFormat;

    // 時刻合わせ
    std::string cmbServers;
    bool chkNTPatRun = false;
    bool chkNTPatResume = false;
    bool chkNTPbyTimer = false;
    std::string txtNTPbyTimer_Interval; // hours
    std::string txtNTPatResume_Delay;   // seconds
    bool chkNTP_UsePermissibleDelay = false;
    std::string txtNTP_PermissibleDelay; // milliseconds
    std::string txtNTP_Samples;
    bool chkNTP_ShowDialog = false;
    bool chkNTP_Logging = false;
    bool chkNTS = false;
};

// cmbServers' one list entry: the built-in server, which is also
// NTP_Server's default.
std::string BuiltInServer();

// What the dialog shows for the record; autoRun is the log-on start as the
// system has it now. A number outside its field's bounds shows the nearest
// bound, and the unit changes round: TimeOffset toward zero, the resume delay
// to the nearest second with ties to even.
Form Load(const SettingsRecord& s, bool autoRun);

// Apply: every control into the record, whether it was touched or not
// (AutoRun included); the periodic countdown restarts only when the interval
// field was edited since it was loaded or last applied.
void Store(const Form& form, bool intervalEdited, SettingsRecord& s);

// A field's number times scale, taken to the nearest integer with ties to
// even. A text that does not start with a number reads as 0; a value beyond
// 32 signed bits is held at the nearest end rather than wrapped.
std::int32_t ReadField(std::string_view text, std::uint32_t scale = 1);

// The field's text after steps presses of its arrows (negative: down). The
// count starts from the field's number held within the bounds, or from the
// lower bound when the text is no number, and never leaves the bounds.
std::string Step(std::string_view text, SpinBounds bounds, int steps);

} // namespace Options
