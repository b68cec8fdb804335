#include "Instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <windows.h>

namespace {

// A name of its own per run, so another test process cannot interfere.
std::string Name(const char* suffix) {
    return "morvatel-test-" + std::to_string(GetCurrentProcessId()) + "-" + suffix;
}

TEST(InstanceClaimWin, SecondClaimSeesTheFirstUntilItEnds) {
    auto first = std::make_unique<InstanceClaim>(Name("a"));
    EXPECT_FALSE(first->PreviousInstanceRunning());
    {
        const InstanceClaim second(Name("a"));
        EXPECT_TRUE(second.PreviousInstanceRunning());
        const InstanceClaim other(Name("b"));
        EXPECT_FALSE(other.PreviousInstanceRunning());
    }
    first.reset();
    const InstanceClaim later(Name("a"));
    EXPECT_FALSE(later.PreviousInstanceRunning());
}

} // namespace
