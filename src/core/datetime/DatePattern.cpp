#include "datetime/DatePattern.h"

#include "settings/AsciiText.h"

#include "datetime/CalendarData.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace DatePattern {

namespace {

enum class Kind {
    Literal,
    Day,
    Day2,
    WeekdayAbbr,
    WeekdayFull,
    ShortDate,
    LongDate,
    Month,
    Month2,
    MonthAbbr,
    MonthFull,
    Year2,
    Year4,
    DayOfYear,
    WeekdayNumber,
    WeekOfYear,
    Quarter,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    LongTime,
    DateTime,
    Designator,       // AM/PM, A/P in the pattern's own letters
    LocaleDesignator, // AMPM
    JaWeekdayAbbr,
    JaWeekdayFull,
    EraLetter,
    EraInitial,
    EraName,
    EraYear,
    EraYear2,
};

struct TokenEntry {
    std::string_view text;
    Kind kind;
};

// Longest first, so the first match at a position is the longest one.
constexpr TokenEntry kTokens[] = {
    {"dddddd", Kind::LongDate},
    {"ddddd", Kind::ShortDate},
    {"ttttt", Kind::LongTime},
    {"am/pm", Kind::Designator},
    {"dddd", Kind::WeekdayFull},
    {"mmmm", Kind::MonthFull},
    {"yyyy", Kind::Year4},
    {"aaaa", Kind::JaWeekdayFull},
    {"ampm", Kind::LocaleDesignator},
    {"ddd", Kind::WeekdayAbbr},
    {"mmm", Kind::MonthAbbr},
    {"aaa", Kind::JaWeekdayAbbr},
    {"ggg", Kind::EraName},
    {"a/p", Kind::Designator},
    {"dd", Kind::Day2},
    {"mm", Kind::Month2},
    {"yy", Kind::Year2},
    {"ww", Kind::WeekOfYear},
    {"hh", Kind::Hour2},
    {"nn", Kind::Minute2},
    {"ss", Kind::Second2},
    {"gg", Kind::EraInitial},
    {"ee", Kind::EraYear2},
    {"d", Kind::Day},
    {"m", Kind::Month},
    {"y", Kind::DayOfYear},
    {"w", Kind::WeekdayNumber},
    {"q", Kind::Quarter},
    {"h", Kind::Hour},
    {"n", Kind::Minute},
    {"s", Kind::Second},
    {"c", Kind::DateTime},
    {"g", Kind::EraLetter},
    {"e", Kind::EraYear},
};

constexpr std::string_view kJaWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

struct Piece {
    Kind kind;
    std::string_view text; // the literal, or the token as typed
};

using AsciiText::StartsWithNoCase;

// Bytes of the character starting at `at`, so an escape takes it whole.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    std::size_t n = 1;
    if (static_cast<unsigned char>(text[at]) >= 0xC0) {
        while (n < 4 && at + n < text.size() &&
               (static_cast<unsigned char>(text[at + n]) & 0xC0) == 0x80) {
            ++n;
        }
    }
    return n;
}

std::vector<Piece> Tokenize(std::string_view pattern) {
    std::vector<Piece> pieces;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"') {
            // An unclosed quote runs to the end, as the user most likely meant.
            const std::size_t close = pattern.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            pieces.push_back({Kind::Literal, pattern.substr(i + 1, end - i - 1)});
            i = close == std::string_view::npos ? end : end + 1;
            continue;
        }
        if (c == '\\') {
            // A trailing backslash escapes nothing and shows nothing.
            if (i + 1 < pattern.size()) {
                const std::size_t n = CharacterLength(pattern, i + 1);
                pieces.push_back({Kind::Literal, pattern.substr(i + 1, n)});
                i += 1 + n;
            } else {
                ++i;
            }
            continue;
        }
        const std::string_view rest = pattern.substr(i);
        const auto match =
            std::find_if(std::begin(kTokens), std::end(kTokens), [&](const TokenEntry& entry) {
                return StartsWithNoCase(rest, entry.text);
            });
        if (match != std::end(kTokens)) {
            pieces.push_back({match->kind, rest.substr(0, match->text.size())});
            i += match->text.size();
        } else {
            pieces.push_back({Kind::Literal, rest.substr(0, 1)});
            ++i;
        }
    }
    return pieces;
}

void AppendNumber(std::string& out, std::int64_t value, std::size_t width) {
    if (value < 0) {
        out += '-';
        value = -value;
    }
    const std::string digits = std::to_string(value);
    if (digits.size() < width) {
        out.append(width - digits.size(), '0');
    }
    out += digits;
}

// Out-of-range fields would index tables and overflow date arithmetic; a
// clamped date still renders something recognisable.
LocalDateTime Clamped(LocalDateTime t) {
    t.month = std::clamp(t.month, 1, 12);
    t.day = std::clamp(t.day, 1, DateMath::DaysInMonth(t.year, t.month));
    t.hour = std::clamp(t.hour, 0, 23);
    t.minute = std::clamp(t.minute, 0, 59);
    t.second = std::clamp(t.second, 0, 59);
    return t;
}

// The platforms' locale formatters cover years 1..9999 only; outside them
// the date is written in numbers.
bool LocaleFormatsYear(int year) {
    return year >= 1 && year <= 9999;
}

void AppendNumericDate(std::string& out, const LocalDateTime& t) {
    AppendNumber(out, t.year, 4);
    out += '/';
    AppendNumber(out, t.month, 2);
    out += '/';
    AppendNumber(out, t.day, 2);
}

bool IsDesignator(const Piece& piece) {
    return piece.kind == Kind::Designator || piece.kind == Kind::LocaleDesignator;
}

} // namespace

std::string FormatDate(const LocalDateTime& input, std::string_view pattern,
                       const CalendarData& cal) {
    const std::vector<Piece> pieces = Tokenize(pattern);
    const LocalDateTime t = Clamped(input);
    const bool twelveHour = std::any_of(pieces.begin(), pieces.end(), IsDesignator);
    const bool afternoon = t.hour >= 12;
    const int weekday = DateMath::Weekday(t.year, t.month, t.day);

    std::optional<EraYear> era;
    const auto eraOfDate = [&]() -> const EraYear& {
        if (!era) {
            era = cal.Era(t.year, t.month, t.day);
        }
        return *era;
    };
    const auto appendShortDate = [&](std::string& out) {
        if (LocaleFormatsYear(t.year)) {
            out += cal.ShortDate(t.year, t.month, t.day);
        } else {
            AppendNumericDate(out, t);
        }
    };

    std::string out;
    out.reserve(pattern.size() * 2);
    bool afterHour = false;
    for (const Piece& piece : pieces) {
        Kind kind = piece.kind;
        if (kind == Kind::Literal) {
            out += piece.text;
            continue;
        }
        if (afterHour && kind == Kind::Month) {
            kind = Kind::Minute;
        } else if (afterHour && kind == Kind::Month2) {
            kind = Kind::Minute2;
        }
        afterHour = kind == Kind::Hour || kind == Kind::Hour2;

        switch (kind) {
        case Kind::Literal:
            break;
        case Kind::Day:
        case Kind::Day2:
            AppendNumber(out, t.day, kind == Kind::Day2 ? 2 : 1);
            break;
        case Kind::WeekdayAbbr:
        case Kind::WeekdayFull:
            out += cal.WeekdayName(weekday, kind == Kind::WeekdayAbbr);
            break;
        case Kind::ShortDate:
            appendShortDate(out);
            break;
        case Kind::LongDate:
            if (LocaleFormatsYear(t.year)) {
                out += cal.LongDate(t.year, t.month, t.day);
            } else {
                AppendNumericDate(out, t);
            }
            break;
        case Kind::Month:
        case Kind::Month2:
            AppendNumber(out, t.month, kind == Kind::Month2 ? 2 : 1);
            break;
        case Kind::MonthAbbr:
        case Kind::MonthFull:
            out += cal.MonthName(t.month, kind == Kind::MonthAbbr);
            break;
        case Kind::Year2:
            AppendNumber(out, ((t.year % 100) + 100) % 100, 2);
            break;
        case Kind::Year4:
            AppendNumber(out, t.year, 4);
            break;
        case Kind::DayOfYear:
            AppendNumber(out, DateMath::DayOfYear(t.year, t.month, t.day), 1);
            break;
        case Kind::WeekdayNumber:
            AppendNumber(out, weekday + 1, 1);
            break;
        case Kind::WeekOfYear: {
            // Week 1 is the (possibly partial) week holding 1 January.
            const int firstWeekday = DateMath::Weekday(t.year, 1, 1);
            const int dayOfYear = DateMath::DayOfYear(t.year, t.month, t.day);
            AppendNumber(out, (dayOfYear - 1 + firstWeekday) / 7 + 1, 1);
            break;
        }
        case Kind::Quarter:
            AppendNumber(out, (t.month - 1) / 3 + 1, 1);
            break;
        case Kind::Hour:
        case Kind::Hour2: {
            const int hour = twelveHour ? (t.hour % 12 == 0 ? 12 : t.hour % 12) : t.hour;
            AppendNumber(out, hour, kind == Kind::Hour2 ? 2 : 1);
            break;
        }
        case Kind::Minute:
        case Kind::Minute2:
            AppendNumber(out, t.minute, kind == Kind::Minute2 ? 2 : 1);
            break;
        case Kind::Second:
        case Kind::Second2:
            AppendNumber(out, t.second, kind == Kind::Second2 ? 2 : 1);
            break;
        case Kind::LongTime:
            out += cal.LongTime(t.hour, t.minute, t.second);
            break;
        case Kind::DateTime:
            appendShortDate(out);
            out += ' ';
            out += cal.LongTime(t.hour, t.minute, t.second);
            break;
        case Kind::Designator: {
            const std::size_t slash = piece.text.find('/');
            out += afternoon ? piece.text.substr(slash + 1) : piece.text.substr(0, slash);
            break;
        }
        case Kind::LocaleDesignator:
            out += cal.DayPeriod(afternoon);
            break;
        case Kind::JaWeekdayAbbr:
            out += kJaWeekdays[weekday];
            break;
        case Kind::JaWeekdayFull:
            out += kJaWeekdays[weekday];
            out += "曜日";
            break;
        case Kind::EraLetter:
            if (eraOfDate().valid) {
                out += eraOfDate().letter;
            }
            break;
        case Kind::EraInitial:
            if (const EraYear& e = eraOfDate(); e.valid && !e.name.empty()) {
                out += e.name.substr(0, CharacterLength(e.name, 0));
            }
            break;
        case Kind::EraName:
            if (eraOfDate().valid) {
                out += eraOfDate().name;
            }
            break;
        case Kind::EraYear:
        case Kind::EraYear2: {
            // Before the first era the Gregorian year stands in, so a pattern
            // such as "ggge年" still reads as a year.
            const EraYear& e = eraOfDate();
            AppendNumber(out, e.valid ? e.year : t.year, kind == Kind::EraYear2 ? 2 : 1);
            break;
        }
        }
    }
    return out;
}

} // namespace DatePattern
