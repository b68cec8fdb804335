#include "IcuLocale.h"
#include "RowName.h"
#include "SystemCalendar.h"
#include "datetime/DatePattern.h"

#include "core/datetime/FakeCalendarData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace {

const CalendarData& Japanese() {
    static const std::unique_ptr<CalendarData> cal = MakeCalendarData("ja_JP.UTF-8");
    return *cal;
}

struct Row {
    const char* name;
    LocalDateTime time;
    std::string_view pattern;
    std::string_view expected;
};

class JapaneseLocale : public testing::TestWithParam<Row> {};

TEST_P(JapaneseLocale, RendersExpectedText) {
    const Row& row = GetParam();
    EXPECT_EQ(DatePattern::FormatDate(row.time, row.pattern, Japanese()), row.expected)
        << "pattern: " << row.pattern;
}

// The options dialog's presets on Friday 17 June 2005.
const LocalDateTime kFriday = At(2005, 6, 17, 13, 4, 5);
const Row kPresets[] = {
    {"TwoDigitYear", kFriday, "yy/mm/dd", "05/06/17"},
    {"FourDigitYear", kFriday, "yyyy/m/d", "2005/6/17"},
    {"LocaleWeekday", kFriday, "yyyy/m/d ddd.", "2005/6/17 金."},
    {"JapaneseShortWeekday", kFriday, "yyyy年m月d日 (aaa)", "2005年6月17日 (金)"},
    {"JapaneseFullWeekday", kFriday, "yyyy年m月d日 aaaa", "2005年6月17日 金曜日"},
    {"EraLetter", kFriday, "g.e/m/d (aaa)", "H.17/6/17 (金)"},
    {"EraName", kFriday, "ggge年m月d日 (aaa)", "平成17年6月17日 (金)"},
    {"YearAndEra", kFriday, "yyyy年(ggge年)m月d日 aaaa", "2005年(平成17年)6月17日 金曜日"},
    {"MonthName", kFriday, "mmmm dd, yyyy", "6月 17, 2005"},
};
INSTANTIATE_TEST_SUITE_P(Presets, JapaneseLocale, testing::ValuesIn(kPresets), RowName());

// Each era begins on its own day; the day before belongs to the one before.
const Row kEraBoundaries[] = {
    {"DayBeforeMeiji", At(1868, 9, 7), "[g][gg][ggg]e", "[][][]1868"},
    {"FirstDayOfMeiji", At(1868, 9, 8), "g gg ggg e ee", "M 明 明治 1 01"},
    {"LastDayOfShowa", At(1989, 1, 7, 23, 59, 59), "g ggg e", "S 昭和 64"},
    {"FirstDayOfHeisei", At(1989, 1, 8), "g gg ggg e", "H 平 平成 1"},
    {"LastDayOfHeisei", At(2019, 4, 30, 23, 59, 59), "g ggg e", "H 平成 31"},
    {"FirstDayOfReiwa", At(2019, 5, 1), "g gg ggg ee", "R 令 令和 01"},
    {"BeforeEraTableYearStandsIn", At(1500, 3, 1), "ggge年", "1500年"},
};
INSTANTIATE_TEST_SUITE_P(EraBoundaries, JapaneseLocale, testing::ValuesIn(kEraBoundaries),
                         RowName());

const Row kLocaleTokens[] = {
    {"ShortDate", kFriday, "ddddd", "2005/06/17"},
    {"LongDate", kFriday, "dddddd", "2005年6月17日"},
    {"LongTimeNoLeadingZero", At(2005, 6, 17, 0, 5, 0), "ttttt", "0:05:00"},
    {"DateAndTime", kFriday, "c", "2005/06/17 13:04:05"},
    {"MonthAbbreviated", kFriday, "mmm", "6月"},
    {"WeekdayFull", kFriday, "dddd", "金曜日"},
    {"DesignatorMorning", At(2005, 6, 17, 9), "AMPM h:mm", "午前 9:00"},
    {"DesignatorAfternoon", kFriday, "AMPMh時", "午後1時"},
    // Before 1582 the core's own tokens count in the proleptic Gregorian
    // calendar; the locale's date must agree, not switch to Julian.
    {"ShortDateBefore1582", At(1500, 3, 1), "ddddd|yyyy/mm/dd", "1500/03/01|1500/03/01"},
};
INSTANTIATE_TEST_SUITE_P(LocaleTokens, JapaneseLocale, testing::ValuesIn(kLocaleTokens), RowName());

TEST(EnglishLocale, NamesComeFromTheLocaleButErasStayJapanese) {
    const std::unique_ptr<CalendarData> cal = MakeCalendarData("en_US.UTF-8");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "dddd, mmmm d (mmm ddd) AMPM", *cal),
              "Friday, June 17 (Jun Fri) PM");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "g ggg aaa", *cal), "H 平成 金");
}

TEST(CalendarData, ErasOutsideIcusRangeAreNotPinned) {
    // ICU would pin a far date to its last computable day and report an
    // era for it; such years have no era here.
    EXPECT_FALSE(Japanese().Era(2000000000, 1, 1).valid);
    EXPECT_TRUE(Japanese().Era(100000, 1, 1).valid);
}

TEST(CalendarData, SystemLocaleGivesNames) {
    const std::unique_ptr<CalendarData> cal = MakeSystemCalendarData();
    ASSERT_NE(cal, nullptr);
    EXPECT_FALSE(cal->MonthName(6, false).empty());
    EXPECT_FALSE(cal->LongTime(13, 4, 5).empty());
}

struct LocaleRow {
    const char* name;
    std::string_view current;
    const char* lcAll;
    const char* lcTime;
    const char* lang;
    std::string_view expected;
};

class TimeLocale : public testing::TestWithParam<LocaleRow> {};

TEST_P(TimeLocale, PicksTheLocaleForDates) {
    const LocaleRow& row = GetParam();
    EXPECT_EQ(IcuTimeLocale(row.current, row.lcAll, row.lcTime, row.lang), row.expected);
}

const LocaleRow kTimeLocales[] = {
    {"AdoptedLocaleWins", "ja_JP.UTF-8", "de_DE", nullptr, "fr_FR", "ja_JP"},
    {"ModifierDropped", "de_DE@euro", nullptr, nullptr, nullptr, "de_DE"},
    {"EnvironmentWhenStillC", "C", nullptr, nullptr, "ja_JP.UTF-8", "ja_JP"},
    {"LcAllBeforeLcTime", "C", "de_DE.UTF-8", "ja_JP.UTF-8", "fr_FR", "de_DE"},
    {"LcTimeBeforeLang", "C", "", "ja_JP.eucJP", "fr_FR.UTF-8", "ja_JP"},
    {"LcTimeSetToC", "C", nullptr, "C", "ja_JP.UTF-8", "en_US_POSIX"},
    {"CUtf8", "C.UTF-8", nullptr, nullptr, "C.utf8", "en_US_POSIX"},
    {"PosixName", "POSIX", nullptr, nullptr, nullptr, "en_US_POSIX"},
    {"NothingSet", "C", nullptr, nullptr, nullptr, "en_US_POSIX"},
};
INSTANTIATE_TEST_SUITE_P(Environment, TimeLocale, testing::ValuesIn(kTimeLocales), RowName());

} // namespace
