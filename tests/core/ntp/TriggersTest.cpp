#include "ntp/Triggers.h"
#include "RowName.h"
#include "ntp/ResumeWatchHook.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace PowerMessage;

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// A window timer on a clock that only moves when the test says so. Like a
// QTimer, a new interval on a running timer starts it again.
class FakeTimer final : public ntp::Triggers::Timer {
public:
    explicit FakeTimer(const std::int64_t& now) : now_(now) {}

    bool IsEnabled() const override { return enabled_; }
    int Interval() const override { return interval_; }
    void SetInterval(int milliseconds) override {
        interval_ = milliseconds;
        if (enabled_) {
            startedAt_ = now_;
        }
    }
    void Start() override {
        enabled_ = true;
        startedAt_ = now_;
    }
    void Stop() override { enabled_ = false; }

    std::optional<std::int64_t> Deadline() const {
        if (!enabled_) {
            return std::nullopt;
        }
        return startedAt_ + interval_;
    }

private:
    const std::int64_t& now_;
    bool enabled_ = false;
    int interval_ = 60000; // as the form creates it
    std::int64_t startedAt_ = 0;
};

struct RunCall {
    std::int64_t at;
    bool showResult;
    std::string server;
};

// ---------------------------------------------------------------------------
// tmrNTPbyTimer and NTPCountdown

struct CountdownCase {
    const char* name;
    bool NTPbyTimer;
    std::int32_t interval;
    bool resetAtStartUp; // false: the countdown starts at what the row gives
    std::int32_t countdownAtStart;
    int ticks;
    std::vector<int> runTicks;
    std::int32_t countdownAfter;
};

class CountdownTest : public ::testing::TestWithParam<CountdownCase> {};

TEST_P(CountdownTest, RunsOnTheRightTicks) {
    const CountdownCase& c = GetParam();
    SettingsRecord s;
    s.NTPbyTimer = c.NTPbyTimer;
    s.NTPbyTimer_Interval = c.interval;
    s.NTPCountdown = c.countdownAtStart;
    if (c.resetAtStartUp) {
        ntp::Triggers::ResetCountdown(s);
    }
    std::vector<int> runTicks;
    int tick = 0;
    const ntp::Triggers::SyncRun run = [&](bool, const std::string&) { runTicks.push_back(tick); };
    for (tick = 1; tick <= c.ticks; ++tick) {
        ntp::Triggers::OnNTPbyTimerTick(s, run);
    }
    EXPECT_EQ(runTicks, c.runTicks);
    EXPECT_EQ(s.NTPCountdown, c.countdownAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Ticks, CountdownTest,
    ::testing::Values(
        CountdownCase{"Interval2FirstRunAtTick120", true, 2, true, 0, 250, {120, 240}, 110},
        CountdownCase{"IntervalZeroNeverRuns", true, 0, true, 0, 500, {}, 0},
        CountdownCase{"NegativeIntervalNeverRuns", true, -3, true, 0, 500, {}, -180},
        CountdownCase{"SwitchedOffLeavesCountdownAlone", false, 2, true, 0, 500, {}, 120},
        CountdownCase{"ZeroCountdownIsResetNotRun", true, 1, false, 0, 61, {61}, 60},
        CountdownCase{
            "OversizeIntervalSaturates", true, 40000000, true, 0, 1000, {}, kInt32Max - 1000},
        CountdownCase{"HugeNegativeIntervalDoesNotWrap",
                      true,
                      -40000000,
                      false,
                      kInt32Min,
                      3,
                      {},
                      kInt32Min}),
    RowName());

struct FullCountdownCase {
    const char* name;
    std::int32_t hours;
    std::int32_t minutes;
};

class FullCountdownTest : public ::testing::TestWithParam<FullCountdownCase> {};

TEST_P(FullCountdownTest, FitsThirtyTwoBits) {
    EXPECT_EQ(ntp::Triggers::FullCountdown(GetParam().hours), GetParam().minutes);
}

INSTANTIATE_TEST_SUITE_P(
    Minutes, FullCountdownTest,
    ::testing::Values(FullCountdownCase{"Default", 2, 120},
                      FullCountdownCase{"LargestThatFits", 35791394, 2147483640},
                      FullCountdownCase{"OneMoreSaturates", 35791395, kInt32Max},
                      FullCountdownCase{"SmallestInputSaturates", kInt32Min, kInt32Min}),
    RowName());

// A run that fails after sending sets the countdown to 1 when NTPbyTimer is
// on; this is what the synchronisation run does.
void FailAfterSending(SettingsRecord& s) {
    if (s.NTPbyTimer) {
        s.NTPCountdown = 1;
    }
}

TEST(CountdownAfterFailure, MenuRunRetriedAtTheNextTick) {
    SettingsRecord s;
    s.NTPbyTimer = true;
    ntp::Triggers::ResetCountdown(s);
    int runs = 0;
    const ntp::Triggers::SyncRun periodic = [&](bool, const std::string&) { ++runs; };
    for (int tick = 0; tick < 30; ++tick) {
        ntp::Triggers::OnNTPbyTimerTick(s, periodic);
    }
    FailAfterSending(s); // the menu's run, between two ticks
    ntp::Triggers::OnNTPbyTimerTick(s, periodic);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(s.NTPCountdown, 120);
}

TEST(CountdownAfterFailure, PeriodicRunWaitsTheFullInterval) {
    SettingsRecord s;
    s.NTPbyTimer = true;
    s.NTPbyTimer_Interval = 1;
    ntp::Triggers::ResetCountdown(s);
    std::vector<int> runTicks;
    int tick = 0;
    const ntp::Triggers::SyncRun failing = [&](bool, const std::string&) {
        runTicks.push_back(tick);
        FailAfterSending(s);
    };
    for (tick = 1; tick <= 130; ++tick) {
        ntp::Triggers::OnNTPbyTimerTick(s, failing);
    }
    EXPECT_EQ(runTicks, (std::vector<int>{60, 120}));
}

TEST(CountdownRun, GetsItsOwnServerNameAndShowsNoResult) {
    SettingsRecord s;
    s.NTPbyTimer = true;
    s.NTPbyTimer_Interval = 1;
    s.NTP_Server = "127.0.0.5";
    s.NTPCountdown = 1;
    std::vector<RunCall> calls;
    const ntp::Triggers::SyncRun run = [&](bool showResult, const std::string& server) {
        s.NTP_Server = "changed.by.apply"; // the run's nested loop lets Apply in
        s.NTPbyTimer_Interval = 3;
        calls.push_back({0, showResult, server});
    };
    ntp::Triggers::OnNTPbyTimerTick(s, run);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].showResult);
    EXPECT_EQ(calls[0].server, "127.0.0.5");
    EXPECT_EQ(s.NTPCountdown, 180) << "the interval in force after the run counts";
}

// ---------------------------------------------------------------------------
// tmrNTPatRun: arming at start-up and by resume notices

struct Event {
    std::int64_t at;
    std::uint32_t message; // 0: the end of start-up
    std::uintptr_t wParam;
};

constexpr Event StartUp(std::int64_t at) {
    return {at, 0, 0};
}
constexpr Event Resume(std::int64_t at) {
    return {at, kPowerBroadcast, kPbtApmResumeAutomatic};
}

struct ArmingCase {
    const char* name;
    bool NTPatRun;
    bool NTPatResume;
    std::int32_t resumeDelay;
    std::int32_t runDelay;
    std::vector<Event> events;
    std::vector<std::int64_t> runsAt;
};

// Plays the events on a virtual clock through the same path as the program:
// start-up arms directly, window messages go through the hook.
std::vector<RunCall> Play(const ArmingCase& c, std::int64_t until) {
    SettingsRecord s;
    s.NTPatRun = c.NTPatRun;
    s.NTPatResume = c.NTPatResume;
    s.NTPatResume_Delay = c.resumeDelay;
    s.NTPatRun_Delay = c.runDelay;
    s.NTP_Server = "127.0.0.5";
    std::int64_t now = 0;
    FakeTimer tmrNTPatRun(now);
    MainWindowHook hook([&] { ntp::Triggers::ArmSyncAtResume(s, tmrNTPatRun); });
    std::vector<RunCall> calls;
    const ntp::Triggers::SyncRun run = [&](bool showResult, const std::string& server) {
        calls.push_back({now, showResult, server});
    };
    auto fireUntil = [&](std::int64_t t) {
        while (tmrNTPatRun.Deadline() && *tmrNTPatRun.Deadline() <= t) {
            now = *tmrNTPatRun.Deadline();
            ntp::Triggers::OnNTPatRunTick(s, tmrNTPatRun, run);
        }
        now = t;
    };
    for (const Event& e : c.events) {
        fireUntil(e.at);
        if (e.message == 0) {
            ntp::Triggers::ArmSyncAtRun(s, tmrNTPatRun);
        } else {
            hook.Examine(e.message, e.wParam);
        }
    }
    fireUntil(until);
    EXPECT_FALSE(tmrNTPatRun.IsEnabled()) << "one shot";
    return calls;
}

class ArmingTest : public ::testing::TestWithParam<ArmingCase> {};

TEST_P(ArmingTest, RunsOnceAfterTheLastNotice) {
    const ArmingCase& c = GetParam();
    const std::vector<RunCall> calls = Play(c, std::int64_t{3} * kIntMax);
    std::vector<std::int64_t> at;
    for (const RunCall& call : calls) {
        at.push_back(call.at);
        EXPECT_FALSE(call.showResult);
        EXPECT_EQ(call.server, "127.0.0.5");
    }
    EXPECT_EQ(at, c.runsAt);
}

INSTANTIATE_TEST_SUITE_P(
    Notices, ArmingTest,
    ::testing::Values(
        ArmingCase{"TwoResumesTenSecondsApart",
                   false,
                   true,
                   30000,
                   30000,
                   {Resume(1000), Resume(11000)},
                   {41001}},
        ArmingCase{"ResumeAfterTheRunArmsAgain",
                   false,
                   true,
                   1000,
                   30000,
                   {Resume(0), Resume(5000)},
                   {1001, 6001}},
        ArmingCase{"SuspendNoticeArmsNothing",
                   false,
                   true,
                   30000,
                   30000,
                   {{0, kPowerBroadcast, kPbtApmSuspend}},
                   {}},
        ArmingCase{"SuspendThenResumeAndWake",
                   false,
                   true,
                   2000,
                   30000,
                   {{0, kPowerBroadcast, kPbtApmSuspend},
                    {50000, kPowerBroadcast, kPbtApmResumeSuspend},
                    {50400, kPowerBroadcast, kPbtApmResumeAutomatic}},
                   {52401}},
        ArmingCase{
            "ResumeOffLetsNoticesPass", true, false, 30000, 30000, {Resume(0), Resume(10000)}, {}},
        ArmingCase{"StartUpWaitsTheResumeDelay", true, false, 5000, 1000, {StartUp(0)}, {5001}},
        ArmingCase{"RunDelayHasNoEffect", true, false, 5000, 60000, {StartUp(0)}, {5001}},
        ArmingCase{"ResumeDuringStartUpWaitRestartsIt",
                   true,
                   true,
                   5000,
                   5000,
                   {StartUp(0), Resume(3000)},
                   {8001}},
        ArmingCase{"ZeroDelayTypedInOptions", false, true, 0, 30000, {Resume(100)}, {101}},
        ArmingCase{"NegativeDelayTypedInOptions", false, true, -7000, 30000, {Resume(100)}, {101}},
        ArmingCase{"OversizeDelayUsedAsIs", false, true, 3600000, 30000, {Resume(0)}, {3600001}},
        ArmingCase{
            "LongestDelayATimerTakes", false, true, kIntMax - 1, 30000, {Resume(0)}, {kIntMax}},
        ArmingCase{
            "DelayBeyondATimerFallsBack", false, true, kIntMax, 30000, {Resume(0)}, {60000}}),
    RowName());

TEST(AtRunTick, ResumeDuringTheRunArmsAFreshWait) {
    SettingsRecord s;
    s.NTPatResume = true;
    s.NTPatResume_Delay = 1000;
    std::int64_t now = 0;
    FakeTimer timer(now);
    ntp::Triggers::ArmSyncAtResume(s, timer);
    int runs = 0;
    // The run waits for its reply inside the event loop; a resume can land there.
    const ntp::Triggers::SyncRun run = [&](bool, const std::string&) {
        ++runs;
        ntp::Triggers::ArmSyncAtResume(s, timer);
    };
    now = 1001;
    ntp::Triggers::OnNTPatRunTick(s, timer, run);
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(timer.IsEnabled());
    EXPECT_EQ(timer.Deadline(), std::optional<std::int64_t>{2002});
}

// ---------------------------------------------------------------------------
// The window messages that count as a resume

struct MessageCase {
    const char* name;
    std::uint32_t message;
    std::uintptr_t wParam;
    bool resume;
};

class ResumeMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ResumeMessageTest, Recognised) {
    EXPECT_EQ(IsResumeMessage(GetParam().message, GetParam().wParam), GetParam().resume);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ResumeMessageTest,
    ::testing::Values(MessageCase{"PowerSuspendResume", kPower, 2, true},
                      MessageCase{"PowerCriticalResume", kPower, 3, true},
                      MessageCase{"PowerOtherCode", kPower, 1, false},
                      MessageCase{"BroadcastResumeCritical", kPowerBroadcast, 6, true},
                      MessageCase{"BroadcastResumeSuspend", kPowerBroadcast, 7, true},
                      MessageCase{"BroadcastResumeAutomatic", kPowerBroadcast, 18, true},
                      MessageCase{"BroadcastSuspend", kPowerBroadcast, 4, false},
                      MessageCase{"BroadcastCodeOfOldMessage", kPowerBroadcast, 2, false},
                      MessageCase{"OtherMessageSameCode", 0x0111, 18, false}),
    RowName());

TEST(MainWindowHookBusy, MessageSentWhileExaminingIsNotCounted) {
    int resumes = 0;
    std::optional<MainWindowHook> hook;
    hook.emplace([&] {
        ++resumes;
        EXPECT_TRUE(hook->Busy());
        hook->Examine(kPowerBroadcast, kPbtApmResumeAutomatic);
    });
    hook->Examine(kPowerBroadcast, kPbtApmResumeSuspend);
    EXPECT_EQ(resumes, 1);
    EXPECT_FALSE(hook->Busy());
    hook->Examine(kPowerBroadcast, kPbtApmResumeAutomatic);
    EXPECT_EQ(resumes, 2) << "the flag must be clear again afterwards";
}

} // namespace
