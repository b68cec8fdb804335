#include "SystemServices.h"

#include "SystemClock.h"
#include "datetime/LocalDateTime.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

#include <ctime>

namespace {

// Long enough for a person to answer the authorisation prompt.
constexpr int kTimedatedTimeoutMs = 120000;

std::int64_t RealtimeMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
}

// What timedated answers while its automatic synchronisation is on: it keeps
// the clock itself and refuses anyone else, whatever their rights.
constexpr const char* kAutomaticSyncEnabled = "org.freedesktop.timedate1.AutomaticTimeSyncEnabled";

ntp::SetTimeResult SetThroughTimedated(std::int64_t targetMicroseconds) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return ntp::SetTimeResult::Refused;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Relative: the offset is applied when timedated acts, however long the
    // prompt took.
    const qint64 offset = targetMicroseconds - RealtimeMicroseconds();
    call << QVariant::fromValue(offset) << true << true;

    // The prompt may take a while; the clock keeps drawing meanwhile.
    QDBusPendingCall pending = bus.asyncCall(call, kTimedatedTimeoutMs);
    if (!pending.isFinished()) {
        QDBusPendingCallWatcher watcher(pending);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!watcher.isFinished()) {
            loop.exec();
        }
    }
    if (!pending.isError()) {
        return ntp::SetTimeResult::Set;
    }
    return pending.error().name() == QLatin1String(kAutomaticSyncEnabled)
               ? ntp::SetTimeResult::SystemServiceKeepsClock
               : ntp::SetTimeResult::Refused;
}

class LinuxClockSetter final : public ntp::ClockSetter {
public:
    ntp::SetTimeResult SetSystemTime(const ntp::SystemTimeFields& utc) override {
        // Root or cap_sys_time sets the clock directly, even while the
        // system's time service runs: whoever gave the program that right
        // chose it over the service.
        switch (SystemClock::Set(utc)) {
        case SystemClock::SetResult::Done:
            return ntp::SetTimeResult::Set;
        case SystemClock::SetResult::Failed:
            return ntp::SetTimeResult::Refused;
        case SystemClock::SetResult::NotPermitted:
            break;
        }
        const LocalDateTime t{utc.Year,   utc.Month,  utc.Day,         utc.Hour,
                              utc.Minute, utc.Second, utc.Milliseconds};
        return SetThroughTimedated(DateMath::ToEpochMilliseconds(t) * 1000);
    }
    void BroadcastTimeChange() override { SystemClock::BroadcastTimeChange(); }
};

} // namespace

std::unique_ptr<ntp::ClockSetter> MakeSystemClockSetter() {
    return std::make_unique<LinuxClockSetter>();
}
