#pragma once

#include <string>

// The computed texts of the About box.
namespace AboutTexts {

// "バージョン 1.12.0109": the minor number with at least two digits, the
// revision with at least four, as the version has always been shown.
std::string VersionText(int major, int minor, int revision);

// The time zone the synchronisation uses: "タイムゾーン: UTC+9",
// "タイムゾーン: UTC-3.5", "タイムゾーン: UTC+.5", and for zero
// "タイムゾーン: UTC (世界協定時)".
std::string UTCOffsetText(float hours);

// The shortest plain decimal that reads back as the same float, without a
// zero before the point ("5.1", not "5.0999999"; ".5", "-.25").
std::string ShortDecimal(float value);

} // namespace AboutTexts
