#include "about/AboutTexts.h"

#include <array>
#include <charconv>
#include <cmath>

namespace AboutTexts {

namespace {

std::string Padded(int value, std::size_t digits) {
    std::string text = std::to_string(value);
    if (value >= 0 && text.size() < digits) {
        text.insert(0, digits - text.size(), '0');
    }
    return text;
}

} // namespace

std::string VersionText(int major, int minor, int revision) {
    return "バージョン " + std::to_string(major) + "." + Padded(minor, 2) + "." +
           Padded(revision, 4);
}

std::string ShortDecimal(float value) {
    // Fixed notation without a precision is the shortest text that reads
    // back exactly, and never an exponent, which the box has no room to
    // explain. The largest float needs 39 digits and a sign.
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed);
    std::string text = ec == std::errc{} ? std::string(buffer.data(), end) : std::string("0");
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.compare(digits, 2, "0.") == 0) {
        text.erase(digits, 1);
    }
    return text;
}

std::string UTCOffsetText(float hours) {
    const std::string head = "タイムゾーン: UTC";
    // A value that is no number has no sign either: it counts as zero.
    if (hours == 0.0f || std::isnan(hours)) {
        return head + " (世界協定時)";
    }
    return head + (hours > 0.0f ? "+" : "") + ShortDecimal(hours);
}

} // namespace AboutTexts
