#include "RowName.h"
#include "SystemCalendar.h"
#include "datetime/DatePattern.h"

#include "core/datetime/FakeCalendarData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <windows.h>

namespace {

constexpr wchar_t kEraKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Calendars\\Japanese\\Eras";

// Windows ships this table; Wine has no such key and its calendar calls
// know only the current era, so the tests put Windows' table in place first.
// A Windows machine keeps its own.
void EnsureWindowsEraTable() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEraKey, 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr),
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

const CalendarData& Japanese() {
    static const std::unique_ptr<CalendarData> cal = [] {
        EnsureWindowsEraTable();
        return MakeCalendarData("ja-JP");
    }();
    return *cal;
}

struct Row {
    const char* name;
    LocalDateTime time;
    std::string_view pattern;
    std::string_view expected;
};

class JapaneseLocaleWin : public testing::TestWithParam<Row> {};

TEST_P(JapaneseLocaleWin, RendersExpectedText) {
    const Row& row = GetParam();
    EXPECT_EQ(DatePattern::FormatDate(row.time, row.pattern, Japanese()), row.expected)
        << "pattern: " << row.pattern;
}

// The options dialog's presets on Friday 17 June 2005.
const LocalDateTime kFriday = At(2005, 6, 17, 13, 4, 5);
const Row kPresets[] = {
    {"LocaleWeekday", kFriday, "yyyy/m/d ddd.", "2005/6/17 金."},
    {"EraLetter", kFriday, "g.e/m/d (aaa)", "H.17/6/17 (金)"},
    {"YearAndEra", kFriday, "yyyy年(ggge年)m月d日 aaaa", "2005年(平成17年)6月17日 金曜日"},
    {"MonthName", kFriday, "mmmm dd, yyyy", "6月 17, 2005"},
};
INSTANTIATE_TEST_SUITE_P(Presets, JapaneseLocaleWin, testing::ValuesIn(kPresets), RowName());

// Windows' table starts Meiji on 1 January 1868.
const Row kEraBoundaries[] = {
    {"DayBeforeMeiji", At(1867, 12, 31), "[g][gg][ggg]e", "[][][]1867"},
    {"FirstDayOfMeiji", At(1868, 1, 1), "g gg ggg e ee", "M 明 明治 1 01"},
    {"LastDayOfMeiji", At(1912, 7, 29), "g ggg e", "M 明治 45"},
    {"FirstDayOfTaisho", At(1912, 7, 30), "g ggg e", "T 大正 1"},
    {"FirstDayOfShowa", At(1926, 12, 25), "g ggg e", "S 昭和 1"},
    {"LastDayOfShowa", At(1989, 1, 7, 23, 59, 59), "g ggg e", "S 昭和 64"},
    {"FirstDayOfHeisei", At(1989, 1, 8), "g gg ggg e", "H 平 平成 1"},
    {"LastDayOfHeisei", At(2019, 4, 30, 23, 59, 59), "g ggg e", "H 平成 31"},
    {"FirstDayOfReiwa", At(2019, 5, 1), "g gg ggg ee", "R 令 令和 01"},
};
INSTANTIATE_TEST_SUITE_P(EraBoundaries, JapaneseLocaleWin, testing::ValuesIn(kEraBoundaries),
                         RowName());

const Row kLocaleTokens[] = {
    {"MonthAbbreviated", kFriday, "mmm", "6月"},
    {"WeekdayFull", kFriday, "dddd", "金曜日"},
    {"DesignatorMorning", At(2005, 6, 17, 9), "AMPM h:mm", "午前 9:00"},
    {"DesignatorAfternoon", kFriday, "AMPMh時", "午後1時"},
    {"LongTime", At(2005, 6, 17, 0, 5, 0), "ttttt", "0:05:00"},
};
INSTANTIATE_TEST_SUITE_P(LocaleTokens, JapaneseLocaleWin, testing::ValuesIn(kLocaleTokens),
                         RowName());

// The locale's own formats differ between Windows versions (and Wine adds
// the weekday to the long date), so only what they all share is checked.
TEST(CalendarDataWin, LocaleFormatsHoldTheDate) {
    const std::string shortDate = Japanese().ShortDate(2005, 6, 17);
    EXPECT_EQ(shortDate.rfind("2005/", 0), 0u) << shortDate;
    EXPECT_NE(shortDate.find("17"), std::string::npos) << shortDate;
    const std::string longDate = Japanese().LongDate(2005, 6, 17);
    EXPECT_EQ(longDate.rfind("2005年6月17日", 0), 0u) << longDate;
}

TEST(CalendarDataWin, EnglishNamesButJapaneseEras) {
    const std::unique_ptr<CalendarData> cal = MakeCalendarData("en_US.UTF-8");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "dddd, mmmm d (mmm ddd) AMPM", *cal),
              "Friday, June 17 (Jun Fri) PM");
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "g ggg aaa", *cal), "H 平成 金");
}

TEST(CalendarDataWin, SystemLocaleGivesNames) {
    const std::unique_ptr<CalendarData> cal = MakeSystemCalendarData();
    EXPECT_EQ(cal->MonthName(6, false), "6月");
    EXPECT_FALSE(cal->LongTime(13, 4, 5).empty());
}

} // namespace
