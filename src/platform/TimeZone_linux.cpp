#include "TimeZone.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

// The zone is read from the rule its file ends with rather than through
// ICU: opening an ICU zone at start-up pulls megabytes of its code and data
// into the clock's memory for one number.
namespace {

// "hh[:mm[:ss]]" with an optional sign, in seconds west of UTC as POSIX
// writes them; the text read is removed.
std::optional<long> ReadOffset(std::string_view& text) {
    int sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    long seconds = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != ':') {
                break;
            }
            text.remove_prefix(1);
        }
        long value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && digits < 3 &&
               std::isdigit(static_cast<unsigned char>(text[digits]))) {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0) {
            return std::nullopt;
        }
        text.remove_prefix(digits);
        seconds += value * (part == 0 ? 3600 : part == 1 ? 60 : 1);
    }
    return sign * seconds;
}

// A zone abbreviation: three or more letters, or anything in angle brackets.
bool ReadName(std::string_view& text) {
    if (!text.empty() && text.front() == '<') {
        const std::size_t end = text.find('>');
        if (end == std::string_view::npos) {
            return false;
        }
        text.remove_prefix(end + 1);
        return true;
    }
    std::size_t letters = 0;
    while (letters < text.size() && std::isalpha(static_cast<unsigned char>(text[letters]))) {
        ++letters;
    }
    text.remove_prefix(letters);
    return letters >= 3;
}

// The standard offset of a POSIX rule ("CET-1CEST,M3.5.0,M10.5.0/3"), in
// seconds east. Where the rule's summer time lies behind its standard time
// (Dublin's "IST-1GMT0"), the earlier one counts as standard, as the
// zone's traditional reading has it.
std::optional<long> StandardOfRule(std::string_view rule) {
    if (!ReadName(rule)) {
        return std::nullopt;
    }
    const std::optional<long> standardWest = ReadOffset(rule);
    if (!standardWest) {
        return std::nullopt;
    }
    const long standard = -*standardWest;
    if (rule.empty()) {
        return standard;
    }
    if (!ReadName(rule)) {
        return std::nullopt;
    }
    long summer = standard + 3600;
    if (!rule.empty() && rule.front() != ',') {
        const std::optional<long> summerWest = ReadOffset(rule);
        if (!summerWest) {
            return std::nullopt;
        }
        summer = -*summerWest;
    }
    return std::min(standard, summer);
}

// The rule a zone file (TZif 2 or later) ends with, between its last two
// line feeds.
std::optional<std::string> RuleOfFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    if (data.size() < 6 || data.compare(0, 4, "TZif") != 0 || data[4] < '2' ||
        data.back() != '\n') {
        return std::nullopt;
    }
    const std::size_t start = data.rfind('\n', data.size() - 2);
    if (start == std::string::npos) {
        return std::nullopt;
    }
    return data.substr(start + 1, data.size() - start - 2);
}

// `timezone` is the standard offset in seconds west of UTC.
float FromCLibrary() {
    ::tzset();
    return static_cast<float>(-::timezone) / 3600.0f;
}

float Hours(long secondsEast) {
    return static_cast<float>(secondsEast) / 3600.0f;
}

// TZ names a zone file, relative to the zone folder or absolute, or is a
// rule itself; the C library reads it in the same order.
std::optional<long> StandardOfTZ(std::string_view tz) {
    if (tz.starts_with(':')) {
        tz.remove_prefix(1);
    }
    if (!tz.empty()) {
        const std::string path =
            tz.starts_with('/') ? std::string(tz) : "/usr/share/zoneinfo/" + std::string(tz);
        if (tz.find("..") == std::string_view::npos) {
            if (const std::optional<std::string> rule = RuleOfFile(path)) {
                return StandardOfRule(*rule);
            }
        }
    }
    return tz.empty() ? std::optional<long>(0) : StandardOfRule(tz);
}

} // namespace

float ReadSystemUTCOffset() {
    std::optional<long> standard;
    if (const char* tz = std::getenv("TZ")) {
        standard = StandardOfTZ(tz);
    } else if (const std::optional<std::string> rule = RuleOfFile("/etc/localtime")) {
        standard = StandardOfRule(*rule);
    }
    return standard ? Hours(*standard) : FromCLibrary();
}
