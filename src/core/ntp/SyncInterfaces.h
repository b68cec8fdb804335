#pragma once

#include "datetime/LocalDateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// The few services a synchronisation run needs from the outside world. The run
// itself lives in the core; the program hands it Qt/OS implementations and the
// tests hand it fakes that play a script on a virtual clock.
namespace ntp {

// The eight UTC fields the clock setter takes, in this order. DayOfWeek is
// always 0 and ignored by every setter.
struct SystemTimeFields {
    std::uint16_t Year = 0;
    std::uint16_t Month = 0;
    std::uint16_t DayOfWeek = 0;
    std::uint16_t Day = 0;
    std::uint16_t Hour = 0;
    std::uint16_t Minute = 0;
    std::uint16_t Second = 0;
    std::uint16_t Milliseconds = 0;

    friend bool operator==(const SystemTimeFields&, const SystemTimeFields&) = default;
};

struct Datagram {
    std::vector<std::uint8_t> Bytes;
    std::string SourceAddress; // numeric; an IPv4-mapped IPv6 sender is given as IPv4
    std::uint16_t SourcePort = 0;
    std::int64_t ArrivalMonotonicNs = 0; // on LocalClock::MonotonicNs's scale
};

struct SocketError {
    std::int32_t Number = 0;
    std::string Description;
    std::string Address; // the remote address of the socket that failed
};

using SocketEvent = std::variant<Datagram, SocketError>;

struct SocketStatus {
    bool Ok = true;
    std::int32_t ErrorNumber = 0;
    std::string Description;
    // Send: the monotonic time right before the datagram left, when the
    // endpoint can tell (0 otherwise). Sharpens the query's offset.
    std::int64_t SentMonotonicNs = 0;
};

// One socket per remote address, each on a local port the system chooses,
// so every address keeps its own requests and replies apart.
class UdpEndpoint {
public:
    virtual ~UdpEndpoint() = default;

    // Drops every socket and every event they still hold.
    virtual void Close() = 0;

    // Every numeric address of host (a name or an address), both families,
    // in the resolver's order.
    virtual SocketStatus Resolve(const std::string& host, std::vector<std::string>& addresses) = 0;

    // One datagram to address:port, from that address's socket (opened on
    // first use).
    virtual SocketStatus Send(const std::string& address, std::uint16_t port,
                              const std::vector<std::uint8_t>& bytes) = 0;

    // Events received since the last call, oldest first.
    virtual std::optional<SocketEvent> TakeEvent() = 0;
};

class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles the program's events while sleeping until a socket event arrives
    // or maxMilliseconds pass; may return earlier. 0 handles what is pending.
    virtual void WaitForEvents(std::uint32_t maxMilliseconds) = 0;
    // True once the program has been asked to end. A run then gives up at
    // once, as abandoned: the wait would only delay the exit, and a dialog or
    // a log line after the settings were saved would be out of order.
    virtual bool Quitting() = 0;
};

class TickSource {
public:
    virtual ~TickSource() = default;
    // Milliseconds from an arbitrary start; wraps after 2^32.
    virtual std::uint32_t TickCount() = 0;
};

// One instant read three ways.
struct ClockReading {
    LocalDateTime Local;              // local wall time with milliseconds
    std::int64_t UtcMicroseconds = 0; // since 1970-01-01 00:00:00 UTC
    std::int64_t MonotonicNs = 0;     // same scale as MonotonicNs()
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual ClockReading Now() = 0;
    virtual std::int64_t MonotonicNs() = 0;
};

enum class SetTimeResult {
    Set,
    // A field is out of range, or the program may not set the clock.
    Refused,
    // The system's own time service keeps the clock and lets nobody else set
    // it. Nothing is wrong with the server or the time it gave.
    SystemServiceKeepsClock,
};

class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    virtual SetTimeResult SetSystemTime(const SystemTimeFields& utc) = 0;
    // Tells the other programs that the time jumped.
    virtual void BroadcastTimeChange() = 0;
};

// For --dry-run and tests: succeeds and touches nothing.
class DryRunClockSetter final : public ClockSetter {
public:
    SetTimeResult SetSystemTime(const SystemTimeFields&) override { return SetTimeResult::Set; }
    void BroadcastTimeChange() override {}
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowSyncMessage(const std::string& text) = 0;
};

class LogSink {
public:
    virtual ~LogSink() = default;
    // line ends with CRLF. A sink that cannot write drops the line.
    virtual void AppendLine(const std::string& line) = 0;
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual std::uint64_t Next64() = 0;
};

struct NtsServices;

struct SyncServices {
    UdpEndpoint& Socket;
    EventPump& Pump;
    TickSource& Ticks;
    LocalClock& Clock;
    ClockSetter& Setter;
    MessageSink& Messages;
    LogSink& Log;
    RandomSource& Random;
    // Needed only by authenticated runs; without it they fail.
    NtsServices* Nts = nullptr;
};

} // namespace ntp
