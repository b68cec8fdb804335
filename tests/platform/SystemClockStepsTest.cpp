#include "SystemClockSteps.h"
#include "RowName.h"
#include "TempFolder.h"
#include "TimerFdCalls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Change = ClockStepNotifier::Change;

// The system's side of the timer, played by the test: a set clock cannot be
// made here, since a test never sets the real clock.
struct FakeTimer {
    static constexpr int kFd = 1000; // nothing polls it in these tests
    int clockId = -1, createFlags = -1;
    std::vector<std::pair<int, itimerspec>> armings;
    ssize_t readResult = -1;
    int readError = EAGAIN;
    int closes = 0;
} g_timer;

const TimerFdCalls kFakeCalls{
    [](int clockId, int flags) {
        g_timer.clockId = clockId;
        g_timer.createFlags = flags;
        return FakeTimer::kFd;
    },
    [](int, int flags, const itimerspec* value, itimerspec*) {
        g_timer.armings.emplace_back(flags, *value);
        return 0;
    },
    [](int, void*, size_t) -> ssize_t {
        errno = g_timer.readError;
        return g_timer.readResult;
    },
    [](int) {
        ++g_timer.closes;
        return 0;
    },
};

class StepNotifier : public testing::Test {
protected:
    // A copy of the zone, as some systems keep it, so that writing it in place
    // touches nothing outside the test's folder.
    StepNotifier() {
        g_timer = FakeTimer{};
        Put(folder.File("localtime"), "TZif");
    }

    std::unique_ptr<ClockStepNotifier> Make() {
        return ClockSteps::Make([this](Change change) { heard.push_back(change); }, kFakeCalls,
                                folder.File("localtime"));
    }

    TempFolder folder;
    std::vector<Change> heard;
};

TEST_F(StepNotifier, ArmsAWallClockTimerThatOnlyASetClockEnds) {
    auto notifier = Make();
    EXPECT_EQ(g_timer.clockId, CLOCK_REALTIME);
    EXPECT_EQ(g_timer.createFlags, TFD_CLOEXEC | TFD_NONBLOCK);
    ASSERT_EQ(g_timer.armings.size(), 1u);
    const auto& [flags, value] = g_timer.armings[0];
    EXPECT_EQ(flags, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET);
    // Armed (a zero time would disarm it), after any date a clock shows, and
    // far enough from time_t's end that shifting it by centuries is safe.
    EXPECT_GE(value.it_value.tv_sec, 253402300799) << "not before the year 10000";
    EXPECT_LT(value.it_value.tv_sec, std::numeric_limits<time_t>::max() / 2);
    EXPECT_EQ(value.it_interval.tv_sec + value.it_interval.tv_nsec, 0) << "one shot";
    EXPECT_THAT(notifier->Descriptors(), testing::Contains(FakeTimer::kFd));
    notifier.reset();
    EXPECT_EQ(g_timer.closes, 1);
}

struct ReadRow {
    const char* name;
    ssize_t result;
    int error;
    bool set;
};

class TimerRead : public StepNotifier, public testing::WithParamInterface<ReadRow> {};

TEST_P(TimerRead, ASetClockIsHeardAndTheTimerArmedAgain) {
    auto notifier = Make();
    g_timer.readResult = GetParam().result;
    g_timer.readError = GetParam().error;
    notifier->OnReadable(FakeTimer::kFd);
    EXPECT_EQ(heard,
              GetParam().set ? std::vector<Change>{Change::ClockSet} : std::vector<Change>{});
    EXPECT_EQ(g_timer.armings.size(), GetParam().set ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Reads, TimerRead,
                         testing::Values(ReadRow{"Cancelled", -1, ECANCELED, true},
                                         ReadRow{"Expired", 8, 0, true},
                                         ReadRow{"NothingYet", -1, EAGAIN, false}),
                         RowName());

struct ZoneRow {
    const char* name;
    void (*change)(const TempFolder& folder);
    bool heard;
};

class ZoneFile : public StepNotifier, public testing::WithParamInterface<ZoneRow> {};

TEST_P(ZoneFile, AChangedZoneIsHeardAndNothingElse) {
    auto notifier = Make();
    GetParam().change(folder);
    for (const int fd : notifier->Descriptors()) {
        notifier->OnReadable(fd);
    }
    EXPECT_EQ(heard,
              GetParam().heard ? std::vector<Change>{Change::ZoneChanged} : std::vector<Change>{});
}

void LinkTokyo(const TempFolder& f, const char* name) {
    fs::create_symlink("/usr/share/zoneinfo/Asia/Tokyo", f.File(name));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ZoneFile,
    testing::Values(ZoneRow{"LinkReplacedByRename",
                            [](const TempFolder& f) {
                                LinkTokyo(f, "localtime.new");
                                fs::rename(f.File("localtime.new"), f.File("localtime"));
                            },
                            true},
                    ZoneRow{"RemovedAndLinkedAgain",
                            [](const TempFolder& f) {
                                fs::remove(f.File("localtime"));
                                LinkTokyo(f, "localtime");
                            },
                            true},
                    ZoneRow{"WrittenInPlace",
                            [](const TempFolder& f) { Put(f.File("localtime"), "TZif2"); }, true},
                    ZoneRow{"AnotherFileOfTheFolder",
                            [](const TempFolder& f) { Put(f.File("adjtime"), "0.0 0 0.0\n"); },
                            false}),
    RowName());

} // namespace
