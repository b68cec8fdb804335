#include "SystemServices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kMarkerInterface = QStringLiteral("test.morvatel.Marker");

// A bus of our own that the watch takes for the system bus. Anyone may own
// any name on it, so a test can play logind.
class PrivateSystemBus {
public:
    PrivateSystemBus() {
        if (!dir_.isValid()) {
            return;
        }
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        file.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><listen>unix:path=%1</listen><auth>EXTERNAL</auth>"
                "<policy context=\"default\"><allow send_destination=\"*\"/>"
                "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(dir_.filePath(QStringLiteral("bus")))
                .toUtf8());
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (!daemon_.waitForStarted(10000) || !daemon_.waitForReadyRead(10000)) {
            return;
        }
        address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }

    ~PrivateSystemBus() {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }

    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    const QString& Address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

// One client of the private bus.
class Peer {
public:
    Peer(const QString& address, const QString& name)
        : name_(name), bus_(QDBusConnection::connectToBus(address, name)) {}
    ~Peer() { QDBusConnection::disconnectFromBus(name_); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool IsConnected() const { return bus_.isConnected(); }
    bool Own(const QString& service) { return bus_.registerService(service); }
    bool Release(const QString& service) { return bus_.unregisterService(service); }

    void PrepareForSleep(bool start) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << start;
        Send(signal);
    }

    void Marker() {
        Send(QDBusMessage::createSignal(QStringLiteral("/"), kMarkerInterface,
                                        QStringLiteral("Ping")));
    }

private:
    // Returns once the bus daemon has routed the signal, so signals of
    // different peers reach the watch in the order the test sent them.
    void Send(const QDBusMessage& signal) {
        ASSERT_TRUE(bus_.send(signal));
        const QDBusMessage id = bus_.call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
        ASSERT_EQ(id.type(), QDBusMessage::ReplyMessage);
    }

    QString name_;
    QDBusConnection bus_;
};

} // namespace

// Hears the marker on the watch's own connection: everything sent before it
// has been handed to the watch once it arrives.
class MarkerListener : public QObject {
    Q_OBJECT
public:
    MarkerListener() {
        QDBusConnection::systemBus().connect(QString(), QStringLiteral("/"), kMarkerInterface,
                                             QStringLiteral("Ping"), this, SLOT(OnPing()));
    }
Q_SIGNALS:
    void Pinged();
private Q_SLOTS:
    void OnPing() { Q_EMIT Pinged(); }
};

namespace {

class ResumeWatchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bus_ = std::make_unique<PrivateSystemBus>();
        // Before anything asks for the system bus: Qt keeps its first answer.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_->Address().toUtf8());
    }
    static void TearDownTestSuite() { bus_.reset(); }

    void SetUp() override {
        ASSERT_FALSE(bus_->Address().isEmpty()) << "dbus-daemon is needed for this test";
        logind_ = std::make_unique<Peer>(bus_->Address(), QStringLiteral("logind"));
        ASSERT_TRUE(logind_->IsConnected());
        ASSERT_TRUE(logind_->Own(kLogind));
        watch_->HookMainWindow(0, [this] { ++resumes_; });
        ASSERT_TRUE(watch_->IsHooked());
    }

    void TearDown() override {
        if (logind_) {
            logind_->Release(kLogind);
        }
    }

    // Runs the sends, then waits for the marker and counts what the watch
    // passed on before it: no waiting on a clock for "nothing happened".
    int Resumes(const std::function<void()>& sends) {
        resumes_ = 0;
        QSignalSpy marker(&listener_, &MarkerListener::Pinged);
        sends();
        logind_->Marker();
        if (marker.isEmpty() && !marker.wait(10000)) {
            ADD_FAILURE() << "the marker never came back";
        }
        return resumes_;
    }

    static inline std::unique_ptr<PrivateSystemBus> bus_;
    std::unique_ptr<Peer> logind_;
    std::unique_ptr<ResumeWatch> watch_ = MakeResumeWatch();
    int resumes_ = 0;
    MarkerListener listener_;
};

TEST_F(ResumeWatchTest, CountsEachResumeOnce) {
    struct Row {
        const char* name;
        std::vector<bool> notices; // PrepareForSleep arguments, in order
        int resumes;
    };
    const Row rows[] = {
        {"OneResume", {false}, 1},
        {"SuspendNotice", {true}, 0},
        {"SuspendThenResume", {true, false}, 1},
        {"TwoResumes", {true, false, true, false}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Resumes([&] {
                      for (bool start : row.notices) {
                          logind_->PrepareForSleep(start);
                      }
                  }),
                  row.resumes);
    }
}

TEST_F(ResumeWatchTest, IgnoresAResumeForgedByAnotherPeer) {
    Peer forger(bus_->Address(), QStringLiteral("forger"));
    ASSERT_TRUE(forger.IsConnected());
    EXPECT_EQ(Resumes([&] { forger.PrepareForSleep(false); }), 0);
}

TEST_F(ResumeWatchTest, UnhookedWatchHearsNothing) {
    watch_->UnhookMainWindow();
    EXPECT_FALSE(watch_->IsHooked());
    EXPECT_EQ(Resumes([&] { logind_->PrepareForSleep(false); }), 0);
}

} // namespace

#include "ResumeWatchTest.moc"
