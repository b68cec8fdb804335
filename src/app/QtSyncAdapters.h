#pragma once

#include "ntp/SyncInterfaces.h"

#include <QHostAddress>
#include <QObject>

#include <deque>
#include <map>
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

// One QUdpSocket per remote address, each bound to a fresh system-chosen
// port and not connected, so every datagram that reaches a port is reported
// with its sender and the exchange decides which one is an answer.
class UdpEndpoint final : public QObject, public ntp::UdpEndpoint {
public:
    UdpEndpoint(EventPump& pump, ntp::LocalClock& clock, ntp::TickSource& ticks);
    ~UdpEndpoint() override;

    void Close() override;
    ntp::SocketStatus Resolve(const std::string& host,
                              std::vector<std::string>& addresses) override;
    ntp::SocketStatus Send(const std::string& address, std::uint16_t port,
                           const std::vector<std::uint8_t>& bytes) override;
    std::optional<ntp::SocketEvent> TakeEvent() override;

    // Error numbers this endpoint reports: the socket layer's error plus
    // this base, so that none of them reads as 0 ("no error").
    static constexpr std::int32_t kErrorBase = 1000;

private:
    QUdpSocket* SocketFor(const QHostAddress& remote, ntp::SocketStatus& status);
    void ReadDatagrams(QUdpSocket& socket);

    EventPump& pump_;
    ntp::LocalClock& clock_;
    ntp::TickSource& ticks_;
    std::map<std::string, std::unique_ptr<QUdpSocket>> sockets_; // by remote address
    std::deque<ntp::SocketEvent> events_;
};

} // namespace QtSync
