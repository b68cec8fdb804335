#include "SystemClockSteps.h"

#include <gtest/gtest.h>

#include <vector>
#include <windows.h>

namespace {

using Change = ClockStepNotifier::Change;

// Only messages: WM_TIMECHANGE announces a change, it changes no clock.
TEST(ClockStepsWin, TheHiddenWindowHearsTimeAndZoneChanges) {
    std::vector<Change> heard;
    auto notifier = MakeSystemClockSteps([&heard](Change change) { heard.push_back(change); });
    EXPECT_TRUE(notifier->Descriptors().empty()) << "window messages need no descriptor";
    const HWND window = FindWindowW(kClockStepWindowClass, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    SendMessageW(window, WM_TIMECHANGE, 0, 0);
    SendMessageW(window, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(heard, (std::vector<Change>{Change::ClockSet, Change::ZoneChanged}));

    // The way the system and other programs announce it: to every top-level
    // window at once.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0, SMTO_ABORTIFHUNG, 200, &result);
    EXPECT_EQ(heard.back(), Change::ClockSet);
    EXPECT_EQ(heard.size(), 3u);

    notifier.reset();
    EXPECT_EQ(FindWindowW(kClockStepWindowClass, nullptr), nullptr);
}

} // namespace
