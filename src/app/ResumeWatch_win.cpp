#include "SystemServices.h"

#include "ntp/ResumeWatchHook.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#include <windows.h>

namespace {

// Sees the messages of every Qt window before Qt handles them; looks only at
// the main window's, so a broadcast that reaches Qt's hidden helper windows
// too is counted once. Never consumes a message.
class MainWindowFilter final : public QAbstractNativeEventFilter {
public:
    MainWindowFilter(HWND window, std::function<void()> onResume)
        : window_(window), hook_(std::move(onResume)) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message,
                           qintptr* /*result*/) override {
        if (eventType == "windows_generic_MSG") {
            const MSG* msg = static_cast<const MSG*>(message);
            if (msg->hwnd == window_) {
                hook_.Examine(static_cast<std::uint32_t>(msg->message),
                              static_cast<std::uintptr_t>(msg->wParam));
            }
        }
        return false;
    }

private:
    HWND window_;
    MainWindowHook hook_;
};

class PowerMessageWatch final : public ResumeWatch {
public:
    ~PowerMessageWatch() override { UnhookMainWindow(); }

    void HookMainWindow(std::uintptr_t mainWindow, std::function<void()> onResume) override {
        if (filter_ || mainWindow == 0 || QCoreApplication::instance() == nullptr) {
            return;
        }
        filter_ = std::make_unique<MainWindowFilter>(reinterpret_cast<HWND>(mainWindow),
                                                     std::move(onResume));
        QCoreApplication::instance()->installNativeEventFilter(filter_.get());
    }

    void UnhookMainWindow() override {
        if (!filter_) {
            return;
        }
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
        }
        filter_.reset();
    }

    bool IsHooked() const override { return filter_ != nullptr; }

private:
    std::unique_ptr<MainWindowFilter> filter_;
};

} // namespace

std::unique_ptr<ResumeWatch> MakeResumeWatch() {
    return std::make_unique<PowerMessageWatch>();
}
