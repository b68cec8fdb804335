#include "QtSyncAdapters.h"

#include "ntp/SyncRun.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <chrono>

namespace QtSync {

// ---- EventPump -----------------------------------------------------------

void EventPump::WaitForEvents(std::uint32_t maxMilliseconds) {
    if (quitting_) {
        return;
    }
    if (woken_ || maxMilliseconds == 0) {
        woken_ = false;
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    // A coarse timer may fire a few per cent early, which would only cost an
    // extra pass; precise keeps it to one.
    deadline.setTimerType(Qt::PreciseTimer);
    bool ended = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&loop, &ended] {
        ended = true;
        loop.quit();
    });
    deadline.start(static_cast<int>(std::min<std::uint32_t>(maxMilliseconds, 0x7FFFFFFF)));

    QEventLoop* outer = loop_;
    loop_ = &loop;
    woken_ = false;
    loop.exec();
    loop_ = outer;
    // Neither the deadline nor a wake-up ended it: only the application's
    // exit ends every loop, and after it no new loop would sleep at all.
    if (!ended && !woken_) {
        quitting_ = true;
    }
    woken_ = false;
}

void EventPump::Wake() {
    woken_ = true;
    if (loop_ != nullptr) {
        loop_->quit();
    }
}

void EventPump::Quit() {
    quitting_ = true;
    Wake();
}

// ---- Clocks --------------------------------------------------------------

std::uint32_t Clocks::TickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

ntp::ClockReading Clocks::Now() {
    using namespace std::chrono;
    ntp::ClockReading reading;
    const auto utc = system_clock::now();
    reading.MonotonicNs = MonotonicNs();
    reading.UtcMicroseconds = duration_cast<microseconds>(utc.time_since_epoch()).count();
    const qint64 ms = duration_cast<milliseconds>(utc.time_since_epoch()).count();
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    const QDate date = local.date();
    const QTime time = local.time();
    reading.Local = {date.year(),   date.month(),  date.day(), time.hour(),
                     time.minute(), time.second(), time.msec()};
    return reading;
}

std::int64_t Clocks::MonotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint64_t Random::Next64() {
    return QRandomGenerator::system()->generate64();
}

// ---- UdpEndpoint ---------------------------------------------------------

namespace {

QHostAddress Unmapped(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

} // namespace

UdpEndpoint::UdpEndpoint(EventPump& pump, ntp::LocalClock& clock, ntp::TickSource& ticks)
    : pump_(pump), clock_(clock), ticks_(ticks) {}

UdpEndpoint::~UdpEndpoint() = default;

void UdpEndpoint::Close() {
    sockets_.clear();
    events_.clear();
}

ntp::SocketStatus UdpEndpoint::Resolve(const std::string& host,
                                       std::vector<std::string>& addresses) {
    addresses.clear();
    const QString name = QString::fromStdString(host);
    if (QHostAddress numeric; numeric.setAddress(name)) {
        addresses.push_back(Unmapped(numeric).toString().toStdString());
        return {};
    }
    // QHostInfo::fromName would freeze the clock for as long as the resolver
    // takes; the lookup runs aside while the pump keeps the window alive,
    // under the same limit as the reply.
    struct Lookup {
        bool done = false;
        QHostInfo info;
    };
    auto lookup = std::make_shared<Lookup>();
    const int id = QHostInfo::lookupHost(name, this, [lookup, this](const QHostInfo& info) {
        lookup->info = info;
        lookup->done = true;
        pump_.Wake();
    });
    const std::uint32_t start = ticks_.TickCount();
    while (!lookup->done) {
        const std::uint32_t elapsed = ticks_.TickCount() - start;
        if (pump_.Quitting()) {
            QHostInfo::abortHostLookup(id);
            return {false, kErrorBase + QAbstractSocket::OperationError, "終了のため中止しました"};
        }
        if (elapsed > ntp::ReplyTimeoutMs) {
            QHostInfo::abortHostLookup(id);
            return {false, kErrorBase + QAbstractSocket::SocketTimeoutError,
                    "名前解決がタイムアウトしました"};
        }
        pump_.WaitForEvents(ntp::ReplyTimeoutMs + 1 - elapsed);
    }
    const QHostInfo& info = lookup->info;
    // Every address in the resolver's order: its ordering already weighs the
    // families against this machine's routes, and the exchange tries the
    // others when the first stays silent.
    for (const QHostAddress& candidate : info.addresses()) {
        const std::string text = Unmapped(candidate).toString().toStdString();
        if (std::find(addresses.begin(), addresses.end(), text) == addresses.end()) {
            addresses.push_back(text);
        }
    }
    if (info.error() != QHostInfo::NoError || addresses.empty()) {
        return {false, kErrorBase + QAbstractSocket::HostNotFoundError,
                info.errorString().toStdString()};
    }
    return {};
}

QUdpSocket* UdpEndpoint::SocketFor(const QHostAddress& remote, ntp::SocketStatus& status) {
    const std::string key = remote.toString().toStdString();
    if (auto found = sockets_.find(key); found != sockets_.end()) {
        return found->second.get();
    }
    auto socket = std::make_unique<QUdpSocket>();
    const QHostAddress any = remote.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QHostAddress(QHostAddress::AnyIPv6)
                                 : QHostAddress(QHostAddress::AnyIPv4);
    if (!socket->bind(any, 0)) {
        status = {false, kErrorBase + static_cast<std::int32_t>(socket->error()),
                  socket->errorString().toStdString()};
        return nullptr;
    }
    QUdpSocket* raw = socket.get();
    QObject::connect(raw, &QUdpSocket::readyRead, this, [this, raw] { ReadDatagrams(*raw); });
    QObject::connect(raw, &QAbstractSocket::errorOccurred, this,
                     [this, raw, key](QAbstractSocket::SocketError error) {
                         if (error == QAbstractSocket::TemporaryError) {
                             return;
                         }
                         events_.push_back(
                             ntp::SocketError{kErrorBase + static_cast<std::int32_t>(error),
                                              raw->errorString().toStdString(), key});
                         pump_.Wake();
                     });
    sockets_[key] = std::move(socket);
    return raw;
}

ntp::SocketStatus UdpEndpoint::Send(const std::string& address, std::uint16_t port,
                                    const std::vector<std::uint8_t>& bytes) {
    const QHostAddress remote(QString::fromStdString(address));
    if (remote.isNull()) {
        return {false, kErrorBase + QAbstractSocket::HostNotFoundError, "not an address", 0};
    }
    ntp::SocketStatus status;
    QUdpSocket* socket = SocketFor(remote, status);
    if (socket == nullptr) {
        return status;
    }
    const auto size = static_cast<qint64>(bytes.size());
    status.SentMonotonicNs = clock_.MonotonicNs();
    if (socket->writeDatagram(reinterpret_cast<const char*>(bytes.data()), size, remote, port) !=
        size) {
        return {false, kErrorBase + static_cast<std::int32_t>(socket->error()),
                socket->errorString().toStdString(), 0};
    }
    return status;
}

std::optional<ntp::SocketEvent> UdpEndpoint::TakeEvent() {
    if (events_.empty()) {
        return std::nullopt;
    }
    ntp::SocketEvent event = std::move(events_.front());
    events_.pop_front();
    return event;
}

void UdpEndpoint::ReadDatagrams(QUdpSocket& socket) {
    // Stamped before reading: the run ages the reply from here.
    const std::int64_t arrival = clock_.MonotonicNs();
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram received = socket.receiveDatagram();
        if (!received.isValid()) {
            break;
        }
        const QByteArray data = received.data();
        ntp::Datagram datagram;
        datagram.Bytes.assign(data.begin(), data.end());
        datagram.SourceAddress = Unmapped(received.senderAddress()).toString().toStdString();
        datagram.SourcePort = static_cast<std::uint16_t>(received.senderPort());
        datagram.ArrivalMonotonicNs = arrival;
        events_.push_back(std::move(datagram));
    }
    pump_.Wake();
}

} // namespace QtSync
