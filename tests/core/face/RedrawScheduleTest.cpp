#include "face/RedrawSchedule.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

struct Row {
    const char* name;
    int second, millisecond;
    bool blink;
    int blinkDelay;
    int timeOffset; // applied with UseTimeOffset
    int expected;
};

SettingsRecord With(const Row& r) {
    SettingsRecord s;
    s.Blink = r.blink;
    s.BlinkDelay = r.blinkDelay;
    s.UseTimeOffset = r.timeOffset != 0;
    s.TimeOffset = r.timeOffset;
    return s;
}

class UntilNextChange : public ::testing::TestWithParam<Row> {};

TEST_P(UntilNextChange, TheNextColonEdgeOrMinute) {
    const Row& r = GetParam();
    const LocalDateTime now{2005, 6, 17, 13, 45, r.second, r.millisecond};
    EXPECT_EQ(RedrawSchedule::UntilNextChange(now, With(r)), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UntilNextChange,
    ::testing::Values(Row{"SteadyColonWaitsForTheMinute", 10, 250, false, 750, 0, 49750},
                      Row{"LastMillisecondOfTheMinute", 59, 999, false, 750, 0, 1},
                      Row{"LitColonGoesOutAtTheDelay", 10, 100, true, 750, 0, 650},
                      Row{"UnlitColonLightsAtTheSecond", 10, 800, true, 750, 0, 200},
                      Row{"ExactlyAtTheDelayTheNextEdgeIsTheSecond", 10, 750, true, 750, 0, 250},
                      Row{"MinuteBeforeTheColonEdge", 59, 900, true, 750, 0, 100},
                      Row{"DelayOfAWholeSecondNeverBlinks", 10, 0, true, 1000, 0, 50000},
                      Row{"OffsetSecondsMoveTheMinute", 10, 0, false, 750, 45, 5000},
                      Row{"NegativeOffsetAcrossTheMinute", 10, 0, false, 750, -15, 5000}),
    RowName());

struct DelayRow {
    const char* name;
    int second, millisecond;
    bool blink;
    int drawInterval;
    int expected;
};

class NextDelay : public ::testing::TestWithParam<DelayRow> {};

TEST_P(NextDelay, NeverBelowTheIntervalNorLongerThanASecond) {
    const DelayRow& r = GetParam();
    SettingsRecord s;
    s.Blink = r.blink;
    const LocalDateTime now{2005, 6, 17, 13, 45, r.second, r.millisecond};
    EXPECT_EQ(RedrawSchedule::NextDelay(now, s, r.drawInterval), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextDelay,
    ::testing::Values(DelayRow{"SteadyFaceRechecksEverySecond", 10, 0, false, 75, 1000},
                      DelayRow{"JustPastTheNewMinute", 59, 600, false, 75, 401},
                      DelayRow{"EdgeSoonerThanTheInterval", 59, 990, false, 75, 75},
                      DelayRow{"BlinkEdge", 10, 500, true, 75, 251},
                      DelayRow{"LongIntervalIsKept", 10, 0, false, 5000, 5000},
                      DelayRow{"ShortIntervalBeforeAnEdge", 10, 745, true, 1, 6}),
    RowName());

struct IntervalRow {
    const char* name;
    std::int32_t drawInterval;
    int expected;
};

class RedrawInterval : public ::testing::TestWithParam<IntervalRow> {};

TEST_P(RedrawInterval, ValuesATimerCannotTakeReadAsTheDefault) {
    EXPECT_EQ(RedrawSchedule::ClockDrawInterval(GetParam().drawInterval), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RedrawInterval,
    ::testing::Values(IntervalRow{"ZeroStops", 0, 0}, IntervalRow{"Default", 75, 75},
                      IntervalRow{"Largest", 65535, 65535}, IntervalRow{"OneTooLarge", 65536, 75},
                      IntervalRow{"Negative", -1, 75},
                      IntervalRow{"Int32Max", std::numeric_limits<std::int32_t>::max(), 75}),
    RowName());

struct CoalesceRow {
    const char* name;
    int second, millisecond;
    bool blink;
    int drawInterval;
    bool expected;
};

class Coalesce : public ::testing::TestWithParam<CoalesceRow> {};

// A coarse wake-up may land up to a second late, so it is allowed only where
// no minute or colon edge falls within the next two seconds.
TEST_P(Coalesce, OnlyWhereNoEdgeIsNear) {
    const CoalesceRow& r = GetParam();
    SettingsRecord s;
    s.Blink = r.blink;
    const LocalDateTime now{2005, 6, 17, 13, 45, r.second, r.millisecond};
    EXPECT_EQ(RedrawSchedule::MayCoalesce(now, s, r.drawInterval), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Coalesce,
    ::testing::Values(CoalesceRow{"SteadyMidMinute", 10, 0, false, 75, true},
                      CoalesceRow{"MinuteTwoSecondsAway", 58, 0, false, 75, false},
                      CoalesceRow{"MinuteJustOverTwoSecondsAway", 57, 998, false, 75, true},
                      CoalesceRow{"BlinkingColonNeedsPreciseEdges", 10, 0, true, 75, false},
                      CoalesceRow{"LongIntervalKeepsItsOwnPeriod", 10, 0, false, 5000, false}),
    RowName());

} // namespace
