#include "SystemServices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kPrepareForSleep = QStringLiteral("PrepareForSleep");

// Qt's D-Bus delivers a signal to a slot, so the watch is a QObject.
class LogindResumeWatch final : public QObject, public ResumeWatch {
    Q_OBJECT

public:
    ~LogindResumeWatch() override { UnhookMainWindow(); }

    void HookMainWindow(std::uintptr_t /*mainWindow*/, std::function<void()> onResume) override {
        if (hooked_) {
            return;
        }
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            return;
        }
        onResume_ = std::move(onResume);
        // Matching the sender to logind's name keeps any other client of the
        // system bus from setting off synchronisations with a forged signal.
        hooked_ = bus.connect(kLogindService, kLogindPath, kLogindManager, kPrepareForSleep, this,
                              SLOT(OnPrepareForSleep(bool)));
    }

    void UnhookMainWindow() override {
        if (!hooked_) {
            return;
        }
        hooked_ = false;
        if (QCoreApplication::instance() == nullptr) {
            return; // the bus went down with the application
        }
        QDBusConnection::systemBus().disconnect(kLogindService, kLogindPath, kLogindManager,
                                                kPrepareForSleep, this,
                                                SLOT(OnPrepareForSleep(bool)));
    }

    bool IsHooked() const override { return hooked_; }

private Q_SLOTS:
    void OnPrepareForSleep(bool start) {
        // true is the notice before the suspend; only the wake-up counts.
        if (!start && onResume_) {
            onResume_();
        }
    }

private:
    bool hooked_ = false;
    std::function<void()> onResume_;
};

} // namespace

std::unique_ptr<ResumeWatch> MakeResumeWatch() {
    return std::make_unique<LogindResumeWatch>();
}

#include "ResumeWatch_linux.moc"
