#include "datetime/DatePattern.h"
#include "RowName.h"
#include "datetime/LazyCalendarData.h"

#include "core/datetime/FakeCalendarData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace {

struct Row {
    const char* name;
    LocalDateTime time;
    std::string_view pattern;
    std::string_view expected;
};

class Formats : public testing::TestWithParam<Row> {};

TEST_P(Formats, RendersExpectedText) {
    const Row& row = GetParam();
    EXPECT_EQ(DatePattern::FormatDate(row.time, row.pattern, FakeCalendarData()), row.expected)
        << "pattern: " << row.pattern;
}

// Friday 17 June 2005, 13:04:05: every numeric field differs from the others.
const LocalDateTime kFriday = At(2005, 6, 17, 13, 4, 5);

const Row kTokens[] = {
    {"DayNoZero", At(2005, 6, 7), "d", "7"},
    {"DayTwoDigits", At(2005, 6, 7), "dd", "07"},
    {"WeekdayAbbreviated", kFriday, "ddd", "Fri"},
    {"WeekdayFull", kFriday, "dddd", "Friday"},
    {"LocaleShortDate", kFriday, "ddddd", "S2005-6-17"},
    {"LocaleLongDate", kFriday, "dddddd", "L2005-6-17"},
    {"MonthNoZero", kFriday, "m", "6"},
    {"MonthTwoDigits", kFriday, "mm", "06"},
    {"MonthAbbreviated", kFriday, "mmm", "Jun"},
    {"MonthFull", kFriday, "mmmm", "June"},
    {"FiveMsAreFullMonthAndMonth", kFriday, "mmmmm", "June6"},
    {"YearTwoDigits", kFriday, "yy", "05"},
    {"YearFourDigits", kFriday, "yyyy", "2005"},
    {"ThreeYsAreYearAndDayOfYear", kFriday, "yyy", "05168"},
    {"DayOfYear", kFriday, "y", "168"},
    {"WeekdayNumberSundayIsOne", At(2005, 6, 19), "w", "1"},
    {"WeekdayNumberFriday", kFriday, "w", "6"},
    {"WeekOfYear", kFriday, "ww", "25"},
    {"Quarter", kFriday, "q", "2"},
    {"Hour", At(2005, 6, 17, 9), "h", "9"},
    {"HourTwoDigits", At(2005, 6, 17, 9), "hh", "09"},
    {"MinuteNN", kFriday, "nn", "04"},
    {"SecondTwoDigits", kFriday, "ss", "05"},
    {"SingleLetterTimeTokens", kFriday, "h n s", "13 4 5"},
    {"LocaleLongTime", kFriday, "ttttt", "T13-4-5"},
    {"DateAndTime", kFriday, "c", "S2005-6-17 T13-4-5"},
    {"JapaneseWeekdayShort", kFriday, "aaa", "金"},
    {"JapaneseWeekdayFull", kFriday, "aaaa", "金曜日"},
    {"EraLetter", kFriday, "g", "H"},
    {"EraInitial", kFriday, "gg", "平"},
    {"EraName", kFriday, "ggg", "平成"},
    {"EraYear", kFriday, "e", "17"},
    {"EraYearTwoDigits", At(2019, 5, 1), "ee", "01"},
    {"SeparatorsCopied", kFriday, "yyyy/mm/dd hh:nn", "2005/06/17 13:04"},
    {"UpperCaseTokens", kFriday, "YYYY/MM/DD DDD", "2005/06/17 Fri"},
};
INSTANTIATE_TEST_SUITE_P(Tokens, Formats, testing::ValuesIn(kTokens), RowName());

// m and mm are minutes only right after an hour; literal text between them
// keeps that reading, any other token ends it.
const Row kMinutesAfterHour[] = {
    {"ColonBetween", kFriday, "h:mm", "13:04"},
    {"SingleM", kFriday, "hh:m", "13:4"},
    {"JapaneseUnits", kFriday, "h時mm分", "13時04分"},
    {"QuotedTextBetween", kFriday, "h\" o'clock \"mm", "13 o'clock 04"},
    {"Adjacent", kFriday, "hhmm", "1304"},
    {"WithoutHourIsMonth", kFriday, "mm:ss", "06:05"},
    {"OtherTokenBetweenIsMonth", kFriday, "h:d:mm", "13:17:06"},
    {"OnlyFirstAfterHour", kFriday, "h:mm:mm", "13:04:06"},
    {"MonthNameStaysMonth", kFriday, "h mmm", "13 Jun"},
};
INSTANTIATE_TEST_SUITE_P(MinutesAfterHour, Formats, testing::ValuesIn(kMinutesAfterHour),
                         RowName());

const Row kTwelveHour[] = {
    {"MidnightIsTwelveAm", At(2005, 6, 17, 0, 5), "h:nn AM/PM", "12:05 AM"},
    {"NoonIsTwelvePm", At(2005, 6, 17, 12, 0), "h:nn AM/PM", "12:00 PM"},
    {"AfternoonPm", kFriday, "hh:nn AM/PM", "01:04 PM"},
    {"LateEvening", At(2005, 6, 17, 23, 0), "h am/pm", "11 pm"},
    {"LetterLower", kFriday, "h a/p", "1 p"},
    {"PatternLettersKept", kFriday, "Am/pM", "pM"},
    {"DesignatorBeforeHour", kFriday, "AM/PM h:mm", "PM 1:04"},
    {"LocaleDesignatorAfternoon", kFriday, "ampm h時", "午後 1時"},
    {"NoDesignatorKeeps24", kFriday, "h", "13"},
    {"LocaleTimeUntouched", kFriday, "ttttt AM/PM", "T13-4-5 PM"},
    {"QuotedDesignatorIsText", kFriday, "h \"AM/PM\"", "13 AM/PM"},
};
INSTANTIATE_TEST_SUITE_P(TwelveHour, Formats, testing::ValuesIn(kTwelveHour), RowName());

const Row kLiterals[] = {
    {"EmptyPattern", kFriday, "", ""},
    {"NoTokens", kFriday, "漢字 !?-", "漢字 !?-"},
    {"QuotedTokens", kFriday, "\"yyyy\" yyyy", "yyyy 2005"},
    {"EmptyQuotes", kFriday, "d\"\"d", "1717"},
    {"UnclosedQuoteRunsToEnd", kFriday, "yyyy\"dd", "2005dd"},
    {"BackslashEscapesToken", kFriday, "\\d d", "d 17"},
    {"BackslashEscapesBackslash", kFriday, "\\\\d", "\\17"},
    {"BackslashEscapesMultibyte", kFriday, "\\年d", "年17"},
    {"TrailingBackslashDropped", kFriday, "d\\", "17"},
    {"InvalidBytesCopied", kFriday,
     "\xff"
     "d\xfe",
     "\xff"
     "17\xfe"},
    {"LoneLeadByteBeforeToken", kFriday,
     "\xe5"
     "d",
     "\xe5"
     "17"},
};
INSTANTIATE_TEST_SUITE_P(Literals, Formats, testing::ValuesIn(kLiterals), RowName());

// Sunday starts a week and week 1 holds 1 January, so a year can reach 54.
const Row kWeekNumbers[] = {
    {"NewYearSaturday", At(2005, 1, 1), "ww", "1"},
    {"FirstSundayStartsWeekTwo", At(2005, 1, 2), "ww", "2"},
    {"YearEndSaturday", At(2005, 12, 31), "ww", "53"},
    {"NewYearSunday", At(2006, 1, 1), "ww", "1"},
    {"SecondSunday", At(2006, 1, 8), "ww", "2"},
    {"LeapYearFromSaturdayReaches54", At(2000, 12, 31), "ww", "54"},
    {"LeapYearFromThursday", At(2004, 12, 31), "ww", "53"},
};
INSTANTIATE_TEST_SUITE_P(WeekNumbers, Formats, testing::ValuesIn(kWeekNumbers), RowName());

const Row kDayOfYearAndQuarter[] = {
    {"LeapYearEnd", At(2004, 12, 31), "y", "366"},
    {"LeapDay", At(2000, 2, 29), "y", "60"},
    {"CenturyNotLeap", At(1900, 3, 1), "y", "60"},
    {"FirstQuarterEnd", At(2005, 3, 31), "q", "1"},
    {"SecondQuarterStart", At(2005, 4, 1), "q", "2"},
};
INSTANTIATE_TEST_SUITE_P(DayOfYearAndQuarter, Formats, testing::ValuesIn(kDayOfYearAndQuarter),
                         RowName());

// Before Meiji no era exists: the era texts are empty and the Gregorian year
// stands in for the era year.
const Row kEras[] = {
    {"BeforeMeiji", At(1867, 12, 31), "g|gg|ggg|e|ee", "|||1867|1867"},
    {"DayBeforeMeiji", At(1868, 9, 7), "ggge年", "1868年"},
    {"FirstDayOfMeiji", At(1868, 9, 8), "g ggge年", "M 明治1年"},
};
INSTANTIATE_TEST_SUITE_P(Eras, Formats, testing::ValuesIn(kEras), RowName());

// The locale formatters only cover years 1..9999; beyond them the date is
// written in numbers, and the core's own year tokens keep working.
const Row kYearRange[] = {
    {"SmallYearPadded", At(5, 6, 17), "yyyy yy", "0005 05"},
    {"LargeYearWhole", At(12345, 6, 17), "yyyy yy", "12345 45"},
    {"NegativeYear", At(-1, 6, 17), "yyyy yy", "-0001 99"},
    {"YearZeroShortDate", At(0, 6, 17), "ddddd", "0000/06/17"},
    {"LargeYearLongDate", At(12345, 6, 17), "dddddd", "12345/06/17"},
    {"LargeYearDateTime", At(12345, 6, 17, 1, 2, 3), "c", "12345/06/17 T1-2-3"},
    {"LastYearUsesLocale", At(9999, 12, 31), "ddddd", "S9999-12-31"},
};
INSTANTIATE_TEST_SUITE_P(YearRange, Formats, testing::ValuesIn(kYearRange), RowName());

// Fields outside their ranges must neither index past a table nor overflow.
const Row kOutOfRangeFields[] = {
    {"MonthThirteen", At(2005, 13, 1), "mmmm m", "December 12"},
    {"DayPastMonthEnd", At(2005, 2, 30), "d aaa", "28 月"},
    {"HourTwentyFive", At(2005, 6, 17, 25), "h", "23"},
    {"ExtremeYear", At(2147483647, 12, 31), "yyyy ww", "2147483647 53"},
};
INSTANTIATE_TEST_SUITE_P(OutOfRangeFields, Formats, testing::ValuesIn(kOutOfRangeFields),
                         RowName());

TEST(FormatDate, AsksForTheEraOnlyWhenThePatternNeedsIt) {
    FakeCalendarData cal;
    DatePattern::FormatDate(kFriday, "yyyy/mm/dd \"ggg\"", cal);
    EXPECT_EQ(cal.eraCalls, 0);
    DatePattern::FormatDate(kFriday, "g ggg e ee", cal);
    EXPECT_EQ(cal.eraCalls, 1);
}

TEST(LazyCalendarData, IsBuiltOnceAtTheFirstQuestion) {
    int built = 0;
    const LazyCalendarData lazy([&built] {
        ++built;
        return std::make_unique<FakeCalendarData>();
    });
    EXPECT_EQ(built, 0);
    const std::string_view pattern = "ggge年 mmmm ddd AMPM dddddd ttttt";
    EXPECT_EQ(DatePattern::FormatDate(kFriday, pattern, lazy),
              DatePattern::FormatDate(kFriday, pattern, FakeCalendarData()));
    DatePattern::FormatDate(kFriday, pattern, lazy);
    EXPECT_EQ(built, 1);

    // A platform without the data gives empty names, not a crash.
    const LazyCalendarData none([] { return std::unique_ptr<CalendarData>(); });
    EXPECT_EQ(DatePattern::FormatDate(kFriday, "[ggg mmmm]", none), "[ ]");
}

} // namespace
