#include "SystemCalendar.h"

#include "IcuLocale.h"
#include "datetime/LocalDateTime.h"

#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

// Meiji is the first era the pattern language shows. The upper bound keeps
// ICU inside the range where it computes instead of pinning the date.
constexpr int kFirstEraYear = 1868;
constexpr int kLastEraYear = 1000000;

std::string ToUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

std::vector<std::string> ToUtf8(const icu::UnicodeString* texts, int32_t count) {
    std::vector<std::string> out;
    for (int32_t i = 0; texts != nullptr && i < count; ++i) {
        out.push_back(ToUtf8(texts[i]));
    }
    return out;
}

// The date at midnight UTC; every ICU object here works in GMT, so the local
// date and time the caller passes come out unchanged.
UDate MidnightOf(int year, int month, int day) {
    return static_cast<double>(DateMath::DaysFromCivil(year, month, day)) * kMillisecondsPerDay;
}

std::string At(const std::vector<std::string>& table, std::size_t index) {
    return index < table.size() ? table[index] : std::string();
}

class IcuCalendarData final : public CalendarData {
public:
    explicit IcuCalendarData(const icu::Locale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        const icu::DateFormatSymbols symbols(locale, status);
        if (U_SUCCESS(status)) {
            int32_t count = 0;
            const icu::UnicodeString* texts = symbols.getMonths(count);
            months_ = ToUtf8(texts, count);
            texts = symbols.getShortMonths(count);
            shortMonths_ = ToUtf8(texts, count);
            // ICU counts weekdays from 1 = Sunday; index 0 is unused.
            texts = symbols.getWeekdays(count);
            weekdays_ = ToUtf8(texts, count);
            texts = symbols.getShortWeekdays(count);
            shortWeekdays_ = ToUtf8(texts, count);
            texts = symbols.getAmPmStrings(count);
            dayPeriods_ = ToUtf8(texts, count);
        }
        shortDate_ =
            MakeFormatter(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
        longDate_ =
            MakeFormatter(icu::DateFormat::createDateInstance(icu::DateFormat::kLong, locale));
        // Medium is the time with seconds and without the zone.
        longTime_ =
            MakeFormatter(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, locale));
        LoadEras();
    }

    EraYear Era(int year, int month, int day) const override {
        EraYear out;
        if (!japanese_ || year < kFirstEraYear || year > kLastEraYear) {
            return out;
        }
        UErrorCode status = U_ZERO_ERROR;
        japanese_->setTime(MidnightOf(year, month, day), status);
        const int32_t era = japanese_->get(UCAL_ERA, status);
        const int32_t eraYear = japanese_->get(UCAL_YEAR, status);
        // ICU also knows the eras before Meiji; those count as no era.
        if (U_FAILURE(status) || era < firstEra_ ||
            static_cast<std::size_t>(era - firstEra_) >= eraNames_.size()) {
            return out;
        }
        const auto index = static_cast<std::size_t>(era - firstEra_);
        out.valid = true;
        out.name = eraNames_[index];
        out.letter = At(eraLetters_, index);
        out.year = eraYear;
        return out;
    }

    std::string MonthName(int month, bool abbreviated) const override {
        return At(abbreviated ? shortMonths_ : months_, static_cast<std::size_t>(month - 1));
    }

    std::string WeekdayName(int weekday, bool abbreviated) const override {
        return At(abbreviated ? shortWeekdays_ : weekdays_, static_cast<std::size_t>(weekday + 1));
    }

    std::string DayPeriod(bool afternoon) const override {
        return At(dayPeriods_, afternoon ? 1 : 0);
    }

    std::string ShortDate(int year, int month, int day) const override {
        return Format(shortDate_.get(), MidnightOf(year, month, day));
    }

    std::string LongDate(int year, int month, int day) const override {
        return Format(longDate_.get(), MidnightOf(year, month, day));
    }

    std::string LongTime(int hour, int minute, int second) const override {
        return Format(longTime_.get(), ((hour * 60.0 + minute) * 60.0 + second) * 1000.0);
    }

private:
    // Formatters work in GMT and in the proleptic Gregorian calendar, the
    // calendar the core's own tokens use, so dates before 1582 agree too.
    static std::unique_ptr<icu::DateFormat> MakeFormatter(icu::DateFormat* created) {
        std::unique_ptr<icu::DateFormat> formatter(created);
        if (!formatter) {
            return formatter;
        }
        std::unique_ptr<icu::Calendar> calendar(formatter->getCalendar()->clone());
        if (auto* gregorian = dynamic_cast<icu::GregorianCalendar*>(calendar.get())) {
            UErrorCode status = U_ZERO_ERROR;
            gregorian->setGregorianChange(U_DATE_MIN, status);
        }
        calendar->setTimeZone(*icu::TimeZone::getGMT());
        formatter->adoptCalendar(calendar.release());
        formatter->setTimeZone(*icu::TimeZone::getGMT());
        return formatter;
    }

    static std::string Format(const icu::DateFormat* formatter, UDate when) {
        if (formatter == nullptr) {
            return {};
        }
        icu::UnicodeString text;
        formatter->format(when, text);
        return ToUtf8(text);
    }

    // The era names are Japanese whatever the user's locale; the Latin
    // letters are the narrow era names of the English data.
    void LoadEras() {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(
            icu::TimeZone::getGMT()->clone(), icu::Locale("ja_JP@calendar=japanese"), status));
        if (U_FAILURE(status) || !calendar) {
            return;
        }
        // Find Meiji's index from a date inside it rather than trusting a
        // number from one ICU version.
        calendar->setTime(MidnightOf(1900, 1, 1), status);
        const int32_t meiji = calendar->get(UCAL_ERA, status);
        const icu::DateFormatSymbols names(icu::Locale("ja_JP"), "japanese", status);
        const icu::DateFormatSymbols letters(icu::Locale("en"), "japanese", status);
        if (U_FAILURE(status) || meiji < 0) {
            return;
        }
        int32_t nameCount = 0;
        int32_t letterCount = 0;
        const icu::UnicodeString* nameTexts = names.getEraNames(nameCount);
        const icu::UnicodeString* letterTexts = letters.getNarrowEras(letterCount);
        for (int32_t era = meiji; nameTexts != nullptr && era < nameCount; ++era) {
            eraNames_.push_back(ToUtf8(nameTexts[era]));
            eraLetters_.push_back(letterTexts != nullptr && era < letterCount
                                      ? ToUtf8(letterTexts[era])
                                      : std::string());
        }
        firstEra_ = meiji;
        japanese_ = std::move(calendar);
    }

    std::vector<std::string> months_;
    std::vector<std::string> shortMonths_;
    std::vector<std::string> weekdays_;
    std::vector<std::string> shortWeekdays_;
    std::vector<std::string> dayPeriods_;
    std::unique_ptr<icu::DateFormat> shortDate_;
    std::unique_ptr<icu::DateFormat> longDate_;
    std::unique_ptr<icu::DateFormat> longTime_;
    // setTime changes the calendar; Era stays const for callers because the
    // calendar is only a computing aid.
    std::unique_ptr<icu::Calendar> japanese_;
    int32_t firstEra_ = 0;
    std::vector<std::string> eraNames_;
    std::vector<std::string> eraLetters_;
};

bool IsCLocale(std::string_view name) {
    const std::string_view base = name.substr(0, name.find_first_of(".@"));
    return base.empty() || base == "C" || base == "POSIX";
}

} // namespace

std::string IcuLocaleFromPosix(std::string_view posixName) {
    if (IsCLocale(posixName)) {
        return "en_US_POSIX";
    }
    return std::string(posixName.substr(0, posixName.find_first_of(".@")));
}

std::string IcuTimeLocale(std::string_view current, const char* lcAll, const char* lcTime,
                          const char* lang) {
    if (!IsCLocale(current)) {
        return IcuLocaleFromPosix(current);
    }
    for (const char* value : {lcAll, lcTime, lang}) {
        if (value != nullptr && *value != '\0') {
            return IcuLocaleFromPosix(value);
        }
    }
    return IcuLocaleFromPosix("C");
}

std::unique_ptr<CalendarData> MakeSystemCalendarData() {
    const char* current = std::setlocale(LC_TIME, nullptr);
    return std::make_unique<IcuCalendarData>(
        icu::Locale(IcuTimeLocale(current != nullptr ? current : "C", std::getenv("LC_ALL"),
                                  std::getenv("LC_TIME"), std::getenv("LANG"))
                        .c_str()));
}

std::unique_ptr<CalendarData> MakeCalendarData(const std::string& localeName) {
    return std::make_unique<IcuCalendarData>(icu::Locale(IcuLocaleFromPosix(localeName).c_str()));
}
