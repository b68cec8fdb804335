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

// A numeric field both ways: the setting as the field shows it at load, and
// a typed text as Apply stores it.
struct FieldRow {
    const char* name;
    std::int32_t SettingsRecord::*setting;
    std::string Form::*field;
    std::int32_t value;
    std::string shown;
    std::string typed;
    std::int32_t stored;
};

class Field : public testing::TestWithParam<FieldRow> {};

TEST_P(Field, ShownInItsUnitAndStoredAsTyped) {
    const FieldRow& row = GetParam();
    SettingsRecord s;
    s.*row.setting = row.value;
    Form f = Options::Load(s, false);
    EXPECT_EQ(f.*row.field, row.shown);
    f.*row.field = row.typed;
    Options::Store(f, false, s);
    EXPECT_EQ(s.*row.setting, row.stored);
}

using R = SettingsRecord;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Field, testing::Values(
    FieldRow{"Offset", &R::TimeOffset, &Form::txtTimeOffset, 90, "1", "1.5", 90},
    FieldRow{"OffsetNegative", &R::TimeOffset, &Form::txtTimeOffset, -90, "-1", "-1", -60},
    FieldRow{"OffsetTowardZero", &R::TimeOffset, &Form::txtTimeOffset, -119, "-1", "35791395", kMax},
    FieldRow{"OffsetBounds", &R::TimeOffset, &Form::txtTimeOffset, kMin, "-1440", "-1E20", kMin},
    FieldRow{"ResumeTieDown", &R::NTPatResume_Delay, &Form::txtNTPatResume_Delay, 2500, "2", "2.5", 2500},
    FieldRow{"ResumeTieUp", &R::NTPatResume_Delay, &Form::txtNTPatResume_Delay, 3500, "4", "1E20", kMax},
    FieldRow{"ResumeBound", &R::NTPatResume_Delay, &Form::txtNTPatResume_Delay, 61000, "60", "0", 0},
    FieldRow{"Delay", &R::NTP_PermissibleDelay, &Form::txtNTP_PermissibleDelay, 1500, "1500", "-5", -5},
    FieldRow{"DelayBound", &R::NTP_PermissibleDelay, &Form::txtNTP_PermissibleDelay, -5, "100", "1E20", kMax},
    FieldRow{"IntervalText", &R::NTPbyTimer_Interval, &Form::txtNTPbyTimer_Interval, 0, "1", "12abc", 12},
    FieldRow{"IntervalNoNumber", &R::NTPbyTimer_Interval, &Form::txtNTPbyTimer_Interval, kMax, "48", "abc", 0},
    FieldRow{"IntervalHalfUp", &R::NTPbyTimer_Interval, &Form::txtNTPbyTimer_Interval, 2, "2", "1.5", 2},
    FieldRow{"IntervalHalfDown", &R::NTPbyTimer_Interval, &Form::txtNTPbyTimer_Interval, 2, "2", "2.5", 2},
    FieldRow{"IntervalBeyond", &R::NTPbyTimer_Interval, &Form::txtNTPbyTimer_Interval, 2, "2", "100", 100},
    FieldRow{"SamplesKeptWithinBounds", &R::NTP_Samples, &Form::txtNTP_Samples, 4, "4", "20", 8},
    FieldRow{"SamplesNoNumber", &R::NTP_Samples, &Form::txtNTP_Samples, 9, "8", "abc", 1}
), RowName());
// clang-format on

struct ServerRow {
    const char* name;
    std::string typed;
    std::string stored;
};
class ServerText : public testing::TestWithParam<ServerRow> {};

TEST_P(ServerText, ControlCharactersStoredAsBlanks) {
    SettingsRecord s;
    Form f = Options::Load(s, false);
    f.cmbServers = GetParam().typed;
    Options::Store(f, false, s);
    EXPECT_EQ(s.NTP_Server, GetParam().stored);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ServerText, testing::Values(
    ServerRow{"BlanksKept", " 127.0.0.1 ", " 127.0.0.1 "},
    ServerRow{"LineBreaks", "a\r\nb\rc", "a  b c"},
    ServerRow{"TabEscapeAndDelete", "\ta\x1b[2J\x7f", " a [2J "},
    ServerRow{"C1Control", "a\u0085b\u009f", "a b "},
    ServerRow{"JapaneseUntouched", "時計.例え", "時計.例え"}
), RowName());
// clang-format on

// The keys as the file would have them, to compare whole records.
std::vector<ProfileFile::Entry> Saved(const SettingsRecord& s) {
    return SettingsStore::Entries(s, {944, 216, 1180, 1080});
}

TEST(RoundTrip, OkWithoutTouchingKeepsEverythingButTheUnitRounding) {
    SettingsRecord s;
    s.Blink = true;
    s.TopMost = false;
    s.ClearRecycleBin_NoConfirm = true; // shown disabled, still kept
    s.NTP_Server = " 127.0.0.1 ";
    s.DateFormat = "yyyy.mm.dd";
    s.TimeFormat = 3;
    s.NTPbyTimer_Interval = 5;
    s.NTPCountdown = 17;
    s.TimeOffset = 120;
    const SettingsRecord before = s;

    Options::Store(Options::Load(s, true), false, s);
    EXPECT_EQ(Saved(s), Saved(before));
    EXPECT_TRUE(s.AutoRun) << "the log-on start as the system reported it";
    EXPECT_EQ(s.NTPCountdown, 17) << "not restarted: the interval was not edited";

    // Styles the face draws as 24-hour come back as that entry.
    s.TimeFormat = 4;
    s.DateFormat.clear();
    const Form f = Options::Load(s, false);
    EXPECT_EQ(f.cmbTimeFormat, 0);
    Options::Store(f, true, s);
    EXPECT_EQ(s.TimeFormat, 1);
    EXPECT_EQ(s.DateFormat, "yy/mm/dd");
    EXPECT_FALSE(s.AutoRun);
    EXPECT_EQ(s.NTPCountdown, 300);

    // Unedited, but clamped on the way in: the countdown follows the new value.
    s.NTPbyTimer_Interval = 100;
    Options::Store(Options::Load(s, false), false, s);
    EXPECT_EQ(s.NTPbyTimer_Interval, 48);
    EXPECT_EQ(s.NTPCountdown, 48 * 60);
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
