#include "platform/SystemClock.h"

#include "app/LocalDateTime.h"
#include "sync/modNTP.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>

#include <cerrno>
#include <ctime>

namespace SystemClock {

namespace {

// Long enough for a person to answer the authorisation prompt.
constexpr int kTimedatedTimeoutMs = 120000;

std::int64_t RealtimeMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1'000'000 + now.tv_nsec / 1000;
}

bool SetThroughTimedated(std::int64_t targetMicroseconds) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Relative: the offset is applied when timedated acts, however long the
    // prompt took. timedated refuses while automatic synchronisation is on.
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
    return !pending.isError();
}

} // namespace

bool Set(const modNTP::SystemTimeFields& utc) {
    if (!modNTP::IsValidSystemTime(utc) || utc.Year < 1970) {
        return false;
    }
    const LocalDateTime t{utc.Year,   utc.Month,  utc.Day,         utc.Hour,
                          utc.Minute, utc.Second, utc.Milliseconds};
    const std::int64_t targetMs = DateMath::ToEpochMilliseconds(t);
    timespec target{};
    target.tv_sec = static_cast<time_t>(targetMs / 1000);
    target.tv_nsec = static_cast<long>((targetMs % 1000) * 1'000'000);
    if (clock_settime(CLOCK_REALTIME, &target) == 0) {
        return true;
    }
    if (errno != EPERM) {
        return false;
    }
    return SetThroughTimedated(targetMs * 1000);
}

void BroadcastTimeChange() {}

} // namespace SystemClock
