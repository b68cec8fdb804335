#include "RowName.h"
#include "SystemCalendar.h"
#include "datetime/DatePattern.h"

#include "core/datetime/FakeCalendarData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include "IcuLocale.h"
#endif

namespace {

#ifdef _WIN32
// Windows ships this table and its calendar code reads it; Wine has no such
// key, and its calendar calls know only the current era. So the table
// Windows has is put in place first where the key is empty.
void EnsureWindowsEraTable() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras",
                              0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    DWORD values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    const std::wstring_view eras[][2] = {
        {L"1868 01 01", L"明治_明_Meiji_M"}, {L"1912 07 30", L"大正_大_Taisho_T"},
        {L"1926 12 25", L"昭和_昭_Showa_S"}, {L"1989 01 08", L"平成_平_Heisei_H"},
        {L"2019 05 01", L"令和_令_Reiwa_R"},
    };
    for (const auto& era : eras) {
        if (values != 0) {
            break;
        }
        RegSetValueExW(key, era[0].data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(era[1].data()),
                       static_cast<DWORD>((era[1].size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}
#endif

const CalendarData& Japanese() {
    static const std::unique_ptr<CalendarData> cal = [] {
#ifdef _WIN32
        EnsureWindowsEraTable();
#endif
        return MakeCalendarData("ja_JP.UTF-8");
    }();
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
#ifdef _WIN32
    // Windows' table starts Meiji on 1 January 1868, ICU's on 8 September.
    {"DayBeforeMeiji", At(1867, 12, 31), "[g][gg][ggg]e", "[][][]1867"},
    {"FirstDayOfMeiji", At(1868, 1, 1), "g gg ggg e ee", "M 明 明治 1 01"},
#else
    {"DayBeforeMeiji", At(1868, 9, 7), "[g][gg][ggg]e", "[][][]1868"},
    {"FirstDayOfMeiji", At(1868, 9, 8), "g gg ggg e ee", "M 明 明治 1 01"},
#endif
    {"LastDayOfShowa", At(1989, 1, 7, 23, 59, 59), "g ggg e", "S 昭和 64"},
    {"FirstDayOfHeisei", At(1989, 1, 8), "g gg ggg e", "H 平 平成 1"},
    {"LastDayOfHeisei", At(2019, 4, 30, 23, 59, 59), "g ggg e", "H 平成 31"},
    {"FirstDayOfReiwa", At(2019, 5, 1), "g gg ggg ee", "R 令 令和 01"},
    {"BeforeEraTableYearStandsIn", At(1500, 3, 1), "ggge年", "1500年"},
};
INSTANTIATE_TEST_SUITE_P(EraBoundaries, JapaneseLocale, testing::ValuesIn(kEraBoundaries),
                         RowName());

const Row kLocaleTokens[] = {
    {"LongTimeNoLeadingZero", At(2005, 6, 17, 0, 5, 0), "ttttt", "0:05:00"},
    {"MonthAbbreviated", kFriday, "mmm", "6月"},
    {"WeekdayFull", kFriday, "dddd", "金曜日"},
    {"DesignatorMorning", At(2005, 6, 17, 9), "AMPM h:mm", "午前 9:00"},
    {"DesignatorAfternoon", kFriday, "AMPMh時", "午後1時"},
#ifndef _WIN32
    {"ShortDate", kFriday, "ddddd", "2005/06/17"},
    {"LongDate", kFriday, "dddddd", "2005年6月17日"},
    {"DateAndTime", kFriday, "c", "2005/06/17 13:04:05"},
    // Before 1582 the core's own tokens count in the proleptic Gregorian
    // calendar; the locale's date must agree, not switch to Julian.
    {"ShortDateBefore1582", At(1500, 3, 1), "ddddd|yyyy/mm/dd", "1500/03/01|1500/03/01"},
#endif
};
INSTANTIATE_TEST_SUITE_P(LocaleTokens, JapaneseLocale, testing::ValuesIn(kLocaleTokens), RowName());

#ifdef _WIN32
// The locale's own date formats differ between Windows versions (and Wine
// adds the weekday to the long date), so only what they share is checked.
TEST(CalendarData, LocaleFormatsHoldTheDate) {
    const std::string shortDate = Japanese().ShortDate(2005, 6, 17);
    EXPECT_EQ(shortDate.rfind("2005/", 0), 0u) << shortDate;
    EXPECT_EQ(Japanese().LongDate(2005, 6, 17).rfind("2005年6月17日", 0), 0u);
}
#endif

TEST(EnglishLocale, NamesComeFromTheLocaleButErasStayJapanese) {
    const std::unique_ptr<CalendarData> cal = MakeCalendarData("en_US.UTF-8");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "dddd, mmmm d (mmm ddd) AMPM", *cal),
              "Friday, June 17 (Jun Fri) PM");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "g ggg aaa", *cal), "H 平成 金");
}

#ifndef _WIN32
TEST(CalendarData, ErasOutsideIcusRangeAreNotPinned) {
    // ICU would pin a far date to its last computable day and report an
    // era for it; such years have no era here.
    EXPECT_FALSE(Japanese().Era(2000000000, 1, 1).valid);
    EXPECT_TRUE(Japanese().Era(100000, 1, 1).valid);
}

#endif

TEST(CalendarData, SystemLocaleGivesNames) {
    const std::unique_ptr<CalendarData> cal = MakeSystemCalendarData();
    ASSERT_NE(cal, nullptr);
    EXPECT_FALSE(cal->MonthName(6, false).empty());
    EXPECT_FALSE(cal->LongTime(13, 4, 5).empty());
}

#ifndef _WIN32
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
#endif

} // namespace
