#include "RowName.h"
#include "Win32Conversions.h"

#include <gtest/gtest.h>

namespace {

// Only the conversion is tested: SystemClock::Set would set this machine's
// real clock even under Wine.
struct Row {
    const char* name;
    ntp::SystemTimeFields utc; // Year, Month, DayOfWeek (ignored), Day, h, m, s, ms
    bool accepted;
    WORD weekday;
};

class ToSystemTimeRows : public testing::TestWithParam<Row> {};

TEST_P(ToSystemTimeRows, ConvertsOrRefuses) {
    const Row& row = GetParam();
    SYSTEMTIME st{};
    st.wYear = 7777;
    ASSERT_EQ(SystemClock::ToSystemTime(row.utc, st), row.accepted);
    if (!row.accepted) {
        EXPECT_EQ(st.wYear, 7777) << "a refused time must not reach the structure";
        return;
    }
    const ntp::SystemTimeFields& t = row.utc;
    EXPECT_EQ(st.wYear, t.Year);
    EXPECT_EQ(st.wMonth, t.Month);
    EXPECT_EQ(st.wDay, t.Day);
    EXPECT_EQ(st.wHour, t.Hour);
    EXPECT_EQ(st.wMinute, t.Minute);
    EXPECT_EQ(st.wSecond, t.Second);
    EXPECT_EQ(st.wMilliseconds, t.Milliseconds);
    EXPECT_EQ(st.wDayOfWeek, row.weekday);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ToSystemTimeRows, testing::Values(
    Row{"Ordinary", {2005, 6, 0, 17, 13, 4, 5, 678}, true, 5},
    Row{"LeapDay", {2024, 2, 0, 29, 23, 59, 59, 999}, true, 4},
    Row{"FirstDayWindowsTakes", {1601, 1, 0, 1, 0, 0, 0, 0}, true, 1},
    Row{"LastDayWindowsTakes", {30827, 12, 0, 31, 23, 59, 59, 999}, true, 5},
    Row{"YearBefore1601", {1600, 12, 0, 31, 0, 0, 0, 0}, false, 0},
    Row{"Month13", {2005, 13, 0, 17, 0, 0, 0, 0}, false, 0},
    Row{"February29NotLeap", {2023, 2, 0, 29, 0, 0, 0, 0}, false, 0},
    Row{"Hour24", {2005, 6, 0, 17, 24, 0, 0, 0}, false, 0},
    Row{"LeapSecond", {2005, 6, 0, 17, 23, 59, 60, 0}, false, 0},
    Row{"Millisecond1000", {2005, 6, 0, 17, 0, 0, 0, 1000}, false, 0}
), RowName());
// clang-format on

} // namespace
