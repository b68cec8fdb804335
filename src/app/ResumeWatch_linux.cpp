#include "app/ResumeWatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QString>

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kPrepareForSleep = QStringLiteral("PrepareForSleep");

} // namespace

struct ResumeWatch::Impl {
    bool hooked = false;
};

ResumeWatch::ResumeWatch(QObject* parent) : QObject(parent), impl_(std::make_unique<Impl>()) {}

ResumeWatch::~ResumeWatch() {
    UnhookMainWindow(0);
}

void ResumeWatch::HookMainWindow(quintptr /*mainWindow*/) {
    if (impl_->hooked) {
        return;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    // Matching the sender to logind's name keeps any other client of the
    // system bus from setting off synchronisations with a forged signal.
    impl_->hooked = bus.connect(kLogindService, kLogindPath, kLogindManager, kPrepareForSleep, this,
                                SLOT(OnPrepareForSleep(bool)));
}

void ResumeWatch::UnhookMainWindow(quintptr /*mainWindow*/) {
    if (!impl_->hooked) {
        return;
    }
    impl_->hooked = false;
    if (QCoreApplication::instance() == nullptr) {
        return; // the bus went down with the application
    }
    QDBusConnection::systemBus().disconnect(kLogindService, kLogindPath, kLogindManager,
                                            kPrepareForSleep, this, SLOT(OnPrepareForSleep(bool)));
}

bool ResumeWatch::IsHooked() const {
    return impl_->hooked;
}

void ResumeWatch::OnPrepareForSleep(bool start) {
    // true is the notice before the suspend; only the wake-up counts.
    if (!start) {
        Q_EMIT Resumed();
    }
}
