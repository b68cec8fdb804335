#pragma once

#include "datetime/LocalDateTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The lists, samples and status lines the options dialog shows.
namespace Options {

// cmbTimeFormat; TimeFormat is the index plus 1.
inline constexpr std::array<std::string_view, 3> kTimeFormats = {
    "24時間表示 (0時～23時)",
    "12時間表示 (1時～12時) ※通常のデジタル時計",
    "12時間表示 (0時～11時) ※テレビの時計",
};

// cmbDateFormat's presets; the eighth is also DateFormat's default.
inline constexpr std::array<std::string_view, 9> kDatePresets = {
    "yy/mm/dd",          "yyyy/m/d",      "yyyy/m/d ddd.",      "yyyy年m月d日 (aaa)",
    "yyyy年m月d日 aaaa", "g.e/m/d (aaa)", "ggge年m月d日 (aaa)", "yyyy年(ggge年)m月d日 aaaa",
    "mmmm dd, yyyy",
};

// Both status lines before there is anything to show.
inline constexpr std::string_view kUnknown = "(不明)";
// The next-synchronisation line while timed synchronisation is applied off.
inline constexpr std::string_view kDisabled = "(無効)";

// "h:mm" in the hour style of cmbTimeFormat's entry index.
std::string TimeSample(int index, int hour, int minute);

// When the next timed synchronisation is due: countdown minutes after now,
// "yyyy/m/d hh:mm", or kDisabled while byTimer (the applied NTPbyTimer) is off.
std::string NextSyncText(bool byTimer, const LocalDateTime& now, std::int32_t countdown);

} // namespace Options
