#include "options/OptionsModel.h"
#include "RowName.h"
#include "options/OptionsTexts.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using Options::Form;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// ------------------------------------------------------------------ load

struct LoadRow {
    const char* name;
    std::int32_t SettingsRecord::*setting;
    std::int32_t value;
    std::string Form::*field;
    std::string shown;
};

class Load : public testing::TestWithParam<LoadRow> {};

TEST_P(Load, ShowsTheSettingInTheFieldsUnit) {
    const LoadRow& row = GetParam();
    SettingsRecord s;
    s.*row.setting = row.value;
    EXPECT_EQ(Options::Load(s, false).*row.field, row.shown);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, Load, testing::Values(
    LoadRow{"OffsetWholeMinute", &SettingsRecord::TimeOffset, 90, &Form::txtTimeOffset, "1"},
    LoadRow{"OffsetNegative", &SettingsRecord::TimeOffset, -90, &Form::txtTimeOffset, "-1"},
    LoadRow{"OffsetTowardZero", &SettingsRecord::TimeOffset, -119, &Form::txtTimeOffset, "-1"},
    LoadRow{"OffsetAboveBound", &SettingsRecord::TimeOffset, 86460, &Form::txtTimeOffset, "1440"},
    LoadRow{"OffsetLowest", &SettingsRecord::TimeOffset, kMin, &Form::txtTimeOffset, "-1440"},
    LoadRow{"ResumeTieDown", &SettingsRecord::NTPatResume_Delay, 2500, &Form::txtNTPatResume_Delay, "2"},
    LoadRow{"ResumeTieUp", &SettingsRecord::NTPatResume_Delay, 3500, &Form::txtNTPatResume_Delay, "4"},
    LoadRow{"ResumeAboveTie", &SettingsRecord::NTPatResume_Delay, 2501, &Form::txtNTPatResume_Delay, "3"},
    LoadRow{"ResumeAboveBound", &SettingsRecord::NTPatResume_Delay, 61000, &Form::txtNTPatResume_Delay, "60"},
    LoadRow{"DelayNoGrouping", &SettingsRecord::NTP_PermissibleDelay, 1500, &Form::txtNTP_PermissibleDelay, "1500"},
    LoadRow{"DelayBelowBound", &SettingsRecord::NTP_PermissibleDelay, -5, &Form::txtNTP_PermissibleDelay, "100"},
    LoadRow{"IntervalZero", &SettingsRecord::NTPbyTimer_Interval, 0, &Form::txtNTPbyTimer_Interval, "1"},
    LoadRow{"IntervalHuge", &SettingsRecord::NTPbyTimer_Interval, kMax, &Form::txtNTPbyTimer_Interval, "48"}
), RowName());
// clang-format on

// ------------------------------------------------------------------ store

struct StoreRow {
    const char* name;
    std::string Form::*field;
    std::string text;
    std::int32_t SettingsRecord::*setting;
    std::int32_t stored;
};

class Store : public testing::TestWithParam<StoreRow> {};

TEST_P(Store, ReadsTheTypedTextAsTheSettingsFileWould) {
    const StoreRow& row = GetParam();
    SettingsRecord s;
    Form f = Options::Load(s, false);
    f.*row.field = row.text;
    Options::Store(f, false, s);
    EXPECT_EQ(s.*row.setting, row.stored);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Fields, Store, testing::Values(
    StoreRow{"IntervalTrailingText", &Form::txtNTPbyTimer_Interval, "12abc", &SettingsRecord::NTPbyTimer_Interval, 12},
    StoreRow{"IntervalNoNumber", &Form::txtNTPbyTimer_Interval, "abc", &SettingsRecord::NTPbyTimer_Interval, 0},
    StoreRow{"IntervalHalfUp", &Form::txtNTPbyTimer_Interval, "1.5", &SettingsRecord::NTPbyTimer_Interval, 2},
    StoreRow{"IntervalHalfDown", &Form::txtNTPbyTimer_Interval, "2.5", &SettingsRecord::NTPbyTimer_Interval, 2},
    StoreRow{"IntervalBeyondBound", &Form::txtNTPbyTimer_Interval, "100", &SettingsRecord::NTPbyTimer_Interval, 100},
    StoreRow{"OffsetScaledFirst", &Form::txtTimeOffset, "1.5", &SettingsRecord::TimeOffset, 90},
    StoreRow{"OffsetNegative", &Form::txtTimeOffset, "-1", &SettingsRecord::TimeOffset, -60},
    StoreRow{"OffsetOverflowsWhenScaled", &Form::txtTimeOffset, "35791395", &SettingsRecord::TimeOffset, kMax},
    StoreRow{"OffsetHugeNegative", &Form::txtTimeOffset, "-1E20", &SettingsRecord::TimeOffset, kMin},
    StoreRow{"ResumeScaledFirst", &Form::txtNTPatResume_Delay, "2.5", &SettingsRecord::NTPatResume_Delay, 2500},
    StoreRow{"ResumeHuge", &Form::txtNTPatResume_Delay, "1E20", &SettingsRecord::NTPatResume_Delay, kMax},
    StoreRow{"DelayNegativeKept", &Form::txtNTP_PermissibleDelay, "-5", &SettingsRecord::NTP_PermissibleDelay, -5},
    StoreRow{"DelayHuge", &Form::txtNTP_PermissibleDelay, "1E20", &SettingsRecord::NTP_PermissibleDelay, kMax}
), RowName());
// clang-format on

// The 26 keys as the file would have them, to compare whole records.
std::vector<ProfileFile::Entry> Saved(const SettingsRecord& s) {
    return SettingsStore::Entries(s, {944, 216, 1180, 1080});
}

TEST(RoundTrip, OkWithoutTouchingKeepsEverythingButTheUnitRounding) {
    SettingsRecord s;
    s.Blink = true;
    s.TopMost = false;
    s.ClearRecycleBin = false;
    s.ClearRecycleBin_NoConfirm = true; // shown disabled, still kept
    s.NTP_Server = " 127.0.0.1 ";
    s.DateFormat = "yyyy.mm.dd";
    s.TimeFormat = 3;
    s.NTPbyTimer = true;
    s.NTPbyTimer_Interval = 5;
    s.NTPCountdown = 17;
    s.TimeOffset = 120;
    s.NTPatResume_Delay = 4000;
    const SettingsRecord before = s;

    Options::Store(Options::Load(s, true), false, s);
    EXPECT_EQ(Saved(s), Saved(before));
    EXPECT_TRUE(s.AutoRun) << "the log-on start as the system reported it";
    EXPECT_EQ(s.NTPCountdown, 17) << "not restarted: the interval was not edited";

    s.TimeOffset = 90;
    s.NTPatResume_Delay = 2500;
    Options::Store(Options::Load(s, false), false, s);
    EXPECT_EQ(s.TimeOffset, 60);
    EXPECT_EQ(s.NTPatResume_Delay, 2000);
    EXPECT_FALSE(s.AutoRun);
}

struct FormatRow {
    const char* name;
    std::int32_t timeFormat;
    std::string dateFormat;
    int shownIndex;
    std::string shownDate;
    std::int32_t storedTimeFormat;
};

class Formats : public testing::TestWithParam<FormatRow> {};

TEST_P(Formats, OutOfListValuesComeBackAsTheFirstEntry) {
    const FormatRow& row = GetParam();
    SettingsRecord s;
    s.TimeFormat = row.timeFormat;
    s.DateFormat = row.dateFormat;
    const Form f = Options::Load(s, false);
    EXPECT_EQ(f.cmbTimeFormat, row.shownIndex);
    EXPECT_EQ(f.cmbDateFormat, row.shownDate);
    Options::Store(f, false, s);
    EXPECT_EQ(s.TimeFormat, row.storedTimeFormat);
    EXPECT_EQ(s.DateFormat, row.shownDate);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Formats, testing::Values(
    FormatRow{"Twelve", 2, "yyyy/m/d", 1, "yyyy/m/d", 2},
    FormatRow{"ZeroAndEmpty", 0, "", 0, "yy/mm/dd", 1},
    FormatRow{"Four", 4, "mmmm dd, yyyy", 0, "mmmm dd, yyyy", 1}
), RowName());
// clang-format on

TEST(Countdown, RestartsOnlyAfterTheIntervalWasEdited) {
    SettingsRecord s;
    s.NTPCountdown = 7;
    Form f = Options::Load(s, false);
    f.txtNTPbyTimer_Interval = "3";
    Options::Store(f, false, s);
    EXPECT_EQ(s.NTPCountdown, 7);
    Options::Store(f, true, s);
    EXPECT_EQ(s.NTPCountdown, 180);
    f.txtNTPbyTimer_Interval = "1E20";
    Options::Store(f, true, s);
    EXPECT_EQ(s.NTPCountdown, kMax) << "saturated, not wrapped";
}

// ------------------------------------------------------------------ spin

struct StepRow {
    const char* name;
    std::string text;
    Options::SpinBounds bounds;
    int steps;
    std::string result;
};

class Step : public testing::TestWithParam<StepRow> {};

TEST_P(Step, StartsWithinTheBoundsAndStaysThere) {
    const StepRow& row = GetParam();
    EXPECT_EQ(Options::Step(row.text, row.bounds, row.steps), row.result);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Step, testing::Values(
    StepRow{"AboveUp", "100", Options::kIntervalBounds, 1, "48"},
    StepRow{"AboveDown", "100", Options::kIntervalBounds, -1, "47"},
    StepRow{"StopsAtUpper", "48", Options::kIntervalBounds, 1, "48"},
    StepRow{"StopsAtLower", "-1440", Options::kTimeOffsetBounds, -1, "-1440"},
    StepRow{"NoNumberFromLower", "abc", Options::kTimeOffsetBounds, 1, "-1439"},
    StepRow{"EmptyFromLower", "", Options::kResumeDelayBounds, -1, "0"},
    StepRow{"RoundedStart", "2.5s", Options::kIntervalBounds, 1, "3"},
    StepRow{"HugeStart", "1E20", Options::kPermissibleDelayBounds, -1, "2999"},
    StepRow{"NoGroupSeparator", "1500", Options::kPermissibleDelayBounds, 10, "1510"}
), RowName());
// clang-format on

// ------------------------------------------------------------------ texts

struct SampleRow {
    const char* name;
    int hour;
    int minute;
    const char* shown[3];
};

class TimeSample : public testing::TestWithParam<SampleRow> {};

TEST_P(TimeSample, EachHourStyle) {
    const SampleRow& row = GetParam();
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(Options::TimeSample(index, row.hour, row.minute), row.shown[index])
            << "entry " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, TimeSample,
                         testing::Values(SampleRow{"Midnight", 0, 5, {"0:05", "12:05", "0:05"}},
                                         SampleRow{"Noon", 12, 30, {"12:30", "12:30", "0:30"}},
                                         SampleRow{"Afternoon", 13, 5, {"13:05", "1:05", "1:05"}}),
                         RowName());

struct NextRow {
    const char* name;
    bool byTimer;
    LocalDateTime now;
    std::int32_t countdown;
    std::string shown;
};

class NextSync : public testing::TestWithParam<NextRow> {};

TEST_P(NextSync, NowPlusTheCountdown) {
    const NextRow& row = GetParam();
    EXPECT_EQ(Options::NextSyncText(row.byTimer, row.now, row.countdown), row.shown);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, NextSync, testing::Values(
    NextRow{"Off", false, {2005, 6, 17, 10, 0, 0, 0}, 90, "(無効)"},
    NextRow{"SameDay", true, {2005, 6, 17, 10, 0, 40, 0}, 90, "2005/6/17 11:30"},
    NextRow{"AcrossMidnight", true, {2005, 6, 17, 23, 0, 0, 0}, 90, "2005/6/18 00:30"},
    NextRow{"AcrossTheYear", true, {2005, 12, 31, 23, 59, 0, 0}, 1, "2006/1/1 00:00"},
    NextRow{"BeyondShortMinutes", true, {2005, 6, 17, 10, 0, 0, 0}, 40000, "2005/7/15 04:40"},
    NextRow{"LongestCountdown", true, {2005, 6, 17, 10, 0, 0, 0}, kMax, "6088/7/9 12:07"}
), RowName());
// clang-format on

} // namespace
