#pragma once

#include "ntp/SyncInterfaces.h"

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
class EventPump final : public ntp::EventPump {
public:
    void WaitForEvents(std::uint32_t maxMilliseconds) override;
    void Wake();

    // The program is ending. Also noticed without a call: when the
    // application quits, Qt ends every event loop and starts none any more.
    bool Quitting() override { return quitting_; }
    void Quit();

private:
    QEventLoop* loop_ = nullptr;
    bool woken_ = false;
    bool quitting_ = false;
};

class Clocks final : public ntp::TickSource, public ntp::LocalClock {
public:
    std::uint32_t TickCount() override;
    ntp::ClockReading Now() override;
    std::int64_t MonotonicNs() override;
};

class Random final : public ntp::RandomSource {
public:
    std::uint64_t Next64() override;
};

// QUdpSocket, bound to a fresh system-chosen port for each run and not
// connected, so every datagram that reaches the port is reported with its
// sender and the run decides which one is the answer.
class UdpEndpoint final : public QObject, public ntp::UdpEndpoint {
public:
    UdpEndpoint(EventPump& pump, ntp::LocalClock& clock, ntp::TickSource& ticks);
    ~UdpEndpoint() override;

    void Close() override;
    ntp::SocketStatus Open(const std::string& host, std::uint16_t port,
                           std::string& resolvedAddress) override;
    ntp::SocketStatus Send(const std::vector<std::uint8_t>& bytes) override;
    std::optional<ntp::SocketEvent> TakeEvent() override;

    // Error numbers this endpoint reports: the socket layer's error plus
    // this base, so that none of them reads as 0 ("no error").
    static constexpr std::int32_t kErrorBase = 1000;

private:
    ntp::SocketStatus Resolve(const std::string& host, QHostAddress& address);
    ntp::SocketStatus SocketFailure() const;
    void ReadDatagrams();

    EventPump& pump_;
    ntp::LocalClock& clock_;
    ntp::TickSource& ticks_;
    std::unique_ptr<QUdpSocket> socket_;
    QHostAddress remote_;
    std::uint16_t port_ = 0;
    std::deque<ntp::SocketEvent> events_;
};

} // namespace QtSync
