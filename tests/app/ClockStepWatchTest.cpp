#include "ClockStepWatch.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// A notifier over a pipe: readable when the test writes to it.
class PipeNotifier final : public ClockStepNotifier {
public:
    PipeNotifier(int readEnd, std::vector<int>& reads) : fd_(readEnd), reads_(reads) {}
    std::vector<int> Descriptors() const override { return {fd_}; }
    void OnReadable(int descriptor) override {
        char byte = 0;
        if (::read(descriptor, &byte, 1) == 1) {
            reads_.push_back(descriptor);
        }
    }

private:
    int fd_;
    std::vector<int>& reads_;
};

TEST(ClockStepWatch, TheEventLoopHandsAReadableDescriptorToTheNotifier) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::vector<int> reads;
    {
        ClockStepWatch watch(std::make_unique<PipeNotifier>(fds[0], reads));
        QCoreApplication::processEvents();
        EXPECT_TRUE(reads.empty()) << "nothing to read yet";
        ASSERT_EQ(::write(fds[1], "x", 1), 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !reads.empty(); }, 5000));
        EXPECT_EQ(reads, std::vector<int>{fds[0]});
    }
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
