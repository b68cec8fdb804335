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

TEST_P(NextDelay, JustPastTheNextChangeButNeverBelowTheInterval) {
    const DelayRow& r = GetParam();
    SettingsRecord s;
    s.Blink = r.blink;
    const LocalDateTime now{2005, 6, 17, 13, 45, r.second, r.millisecond};
    EXPECT_EQ(RedrawSchedule::NextDelay(now, s, r.drawInterval), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NextDelay,
    ::testing::Values(DelayRow{"SteadyFaceSleepsToTheMinute", 10, 0, false, 75, 50001},
                      DelayRow{"LastMillisecondOfTheMinute", 59, 999, false, 1, 2},
                      DelayRow{"EdgeSoonerThanTheInterval", 59, 990, false, 75, 75},
                      DelayRow{"ColonGoesOut", 10, 500, true, 75, 251},
                      DelayRow{"ColonLightsAtTheSecond", 10, 750, true, 75, 251},
                      DelayRow{"IntervalLongerThanTheGapToTheMinute", 58, 0, false, 5000, 5000},
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

struct TickRow {
    const char* name;
    int second, millisecond;
    std::int64_t sinceLastTick;
    int expected;
};

class MinuteTick : public ::testing::TestWithParam<TickRow> {};

// The countdown ticks once a minute, in the face's minute wake-up: never two
// ticks in one minute, never a minute skipped because a wake-up came late.
TEST_P(MinuteTick, SharesTheFacesMinute) {
    const TickRow& r = GetParam();
    const LocalDateTime now{2005, 6, 17, 13, 45, r.second, r.millisecond};
    EXPECT_EQ(RedrawSchedule::MinuteTickDelay(now, SettingsRecord{}, r.sinceLastTick), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MinuteTick,
    ::testing::Values(TickRow{"JustAfterTheLastTick", 0, 21, 0, 60000},
                      TickRow{"FaceWakesAtTheMinuteWhenDue", 0, 1, 59980, 0},
                      TickRow{"FaceWakesLateStillDue", 0, 400, 60380, 0},
                      TickRow{"DueButTheMinuteIsWellUnderway", 30, 0, 90000, 30021},
                      TickRow{"FirstMinuteAfterStartUpIsTooShort", 30, 0, 0, 90021},
                      TickRow{"ClockSteppedBackMidMinute", 15, 0, 20000, 45021},
                      TickRow{"ClockSteppedForwardToJustBeforeTheMinute", 59, 0, 10000, 61021}),
    RowName());

} // namespace
