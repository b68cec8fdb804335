#pragma once

#include "sync/SyncInterfaces.h"

#include <QHostAddress>
#include <QObject>

#include <deque>
#include <memory>

class QEventLoop;
class QUdpSocket;

// The synchronisation run's services on Qt's event loop.
namespace QtSync {

// Sleeps in a nested event loop, so the clock keeps drawing and the menus
// keep working, and wakes the moment the socket has something.
class EventPump final : public modNTP::EventPump {
public:
    void WaitForEvents(std::uint32_t maxMilliseconds) override;
    void Wake();

private:
    QEventLoop* loop_ = nullptr;
    bool woken_ = false;
};

class Clocks final : public modNTP::TickSource, public modNTP::LocalClock {
public:
    std::uint32_t TickCount() override;
    modNTP::ClockReading Now() override;
    std::int64_t MonotonicNs() override;
};

class Random final : public modNTP::RandomSource {
public:
    std::uint64_t Next64() override;
};

// QUdpSocket, bound to a fresh system-chosen port for each run and not
// connected, so every datagram that reaches the port is reported with its
// sender and the run decides which one is the answer.
class UdpEndpoint final : public QObject, public modNTP::UdpEndpoint {
public:
    UdpEndpoint(EventPump& pump, modNTP::LocalClock& clock, modNTP::TickSource& ticks);
    ~UdpEndpoint() override;

    void Close() override;
    modNTP::SocketStatus Open(const std::string& host, std::uint16_t port,
                              std::string& resolvedAddress) override;
    modNTP::SocketStatus Send(const std::vector<std::uint8_t>& bytes) override;
    std::optional<modNTP::SocketEvent> TakeEvent() override;

    // Error numbers this endpoint reports: the socket layer's error plus
    // this base, so that none of them reads as 0 ("no error").
    static constexpr std::int32_t kErrorBase = 1000;

private:
    modNTP::SocketStatus Resolve(const std::string& host, QHostAddress& address);
    modNTP::SocketStatus SocketFailure() const;
    void ReadDatagrams();

    EventPump& pump_;
    modNTP::LocalClock& clock_;
    modNTP::TickSource& ticks_;
    std::unique_ptr<QUdpSocket> socket_;
    QHostAddress remote_;
    std::uint16_t port_ = 0;
    std::deque<modNTP::SocketEvent> events_;
};

} // namespace QtSync
