#include "ClockStepWatch.h"

#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A notifier over a pipe, readable when the test writes to it.
struct PipeNotifier final : ClockStepNotifier {
    PipeNotifier(int readEnd, std::vector<int>& heard) : fd(readEnd), reads(heard) {}
    std::vector<int> Descriptors() const override { return {fd}; }
    void OnReadable(int descriptor) override {
        char byte = 0;
        if (::read(descriptor, &byte, 1) == 1) {
            reads.push_back(descriptor);
        }
    }
    int fd;
    std::vector<int>& reads;
};

TEST(ClockStepWatch, TheEventLoopHandsAReadableDescriptorToTheNotifier) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::vector<int> reads;
    {
        ClockStepWatch watch(std::make_unique<PipeNotifier>(fds[0], reads));
        ASSERT_EQ(::write(fds[1], "x", 1), 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !reads.empty(); }, 5000));
        EXPECT_EQ(reads, std::vector<int>{fds[0]});
    }
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
