#include "app/ResumeWatch.h"

#include "app/ResumeWatchHook.h"

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
    MainWindowFilter(HWND window, ResumeWatch& watch)
        : window_(window), hook_([&watch] { Q_EMIT watch.Resumed(); }) {}

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

} // namespace

struct ResumeWatch::Impl {
    std::unique_ptr<MainWindowFilter> filter;
};

ResumeWatch::ResumeWatch(QObject* parent) : QObject(parent), impl_(std::make_unique<Impl>()) {}

ResumeWatch::~ResumeWatch() {
    UnhookMainWindow(0);
}

void ResumeWatch::HookMainWindow(quintptr mainWindow) {
    if (impl_->filter || mainWindow == 0 || QCoreApplication::instance() == nullptr) {
        return;
    }
    impl_->filter = std::make_unique<MainWindowFilter>(reinterpret_cast<HWND>(mainWindow), *this);
    QCoreApplication::instance()->installNativeEventFilter(impl_->filter.get());
}

void ResumeWatch::UnhookMainWindow(quintptr /*mainWindow*/) {
    if (!impl_->filter) {
        return;
    }
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(impl_->filter.get());
    }
    impl_->filter.reset();
}

bool ResumeWatch::IsHooked() const {
    return impl_->filter != nullptr;
}

void ResumeWatch::OnPrepareForSleep(bool /*start*/) {}
