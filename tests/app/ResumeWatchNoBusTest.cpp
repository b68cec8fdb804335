#include "SystemServices.h"

#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<QString> gMessages;

void Collect(QtMsgType, const QMessageLogContext&, const QString& text) {
    gMessages.push_back(text);
}

// A machine without a system bus (a container, a minimal session) still runs
// the clock: the watch is simply absent, and says nothing about it.
TEST(ResumeWatchWithoutBus, IsHarmless) {
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/morvatel-test-bus");
    const QtMessageHandler previous = qInstallMessageHandler(Collect);
    {
        const std::unique_ptr<ResumeWatch> watch = MakeResumeWatch();
        watch->HookMainWindow(0, [] {});
        EXPECT_FALSE(watch->IsHooked());
        watch->UnhookMainWindow();
        watch->HookMainWindow(0, [] {});
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(gMessages.empty()) << gMessages.front().toStdString();
}

} // namespace
