#pragma once

#include "ntp/Packet.h"
#include "ntp/SyncInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// One SNTP exchange as a state machine without I/O: it is told the server's
// addresses, the monotonic time and every datagram, says what to send and when
// it next needs to be woken, and ends with a sample or a typed failure. The
// caller owns the sockets and the waiting.
namespace ntp {

// Lets an authenticated protocol ride on the exchange: it appends extension
// fields to each request and vouches for each reply.
class Authenticator {
public:
    virtual ~Authenticator() = default;
    // Extension fields to append to the 48-byte header of one request.
    virtual std::vector<std::uint8_t>
    RequestExtensions(const std::vector<std::uint8_t>& header) = 0;
    // Whether reply (header and extension fields) authentically answers request.
    virtual bool Verify(const std::vector<std::uint8_t>& request,
                        const std::vector<std::uint8_t>& reply) = 0;
    // After a refused reply: the server said it no longer knows the keys, so
    // no request of this exchange can be answered authentically any more.
    virtual bool KeysRevoked() const { return false; }
};

enum class FailureKind {
    CantOpen,              // Number, Description: the socket layer's
    OverDelay,             // no sample within the permissible delay
    NoResponse,            // no sample within the reply timeout
    SocketError,           // Number, Description
    BadLength,             // not 48 bytes
    DateFault,             // Number: the transmit time forms no date
    NotSynchronized,       // leap indicator 3, kiss-o'-death, zero transmit time
    AccessDenied,          // kiss-o'-death DENY or RSTR
    NotServerMode,         // mode other than 4
    BadVersion,            // version 0 or above 4
    StratumUnsynchronized, // 16 and above
    RootDistance,          // root delay or dispersion over 16 s
    BeforeFloor,           // UnixSeconds: the transmit time, older than the program
    NotAuthentic,          // only replies the authenticator refused
    KeysRevoked,           // the server no longer knows the authenticator's keys
    KeyExchange,           // Number: the NtsKeFailure; ServerCode; Description: TLS's
};

// DateFault numbers.
inline constexpr std::int32_t DateFaultOutOfRange = 1;
inline constexpr std::int32_t DateFaultNoDate = 2;

struct Failure {
    FailureKind Kind = FailureKind::NoResponse;
    std::int32_t Number = 0;
    std::string Description;
    std::int64_t UnixSeconds = 0;
    std::uint16_t ServerCode = 0;
};

struct Sample {
    std::size_t Request = 0; // index of the request it answers
    std::string Address;
    int Stratum = 0;
    int Poll = 0;
    int Precision = 0;
    // The server's transmit time, read in the era nearest the local clock.
    std::int64_t TransmitUnixSeconds = 0;
    std::int64_t TransmitTenThousandths = 0; // 0..10000, rounded as shown
    // Transmit minus receive time, as shown (each fraction rounded first).
    std::int64_t ProcessingTenThousandths = 0;
    std::int64_t SentMonotonicNs = 0;
    std::int64_t ArrivalMonotonicNs = 0;
    std::int64_t RoundTripNs = 0; // T4 - T1
    // Round trip less the server's processing, kept within 0..round trip so
    // that a nonsense receive time can never claim a delay no path has.
    std::int64_t DelayNs = 0;
    std::int64_t OffsetNs = 0; // server minus local clock
};

using ExchangeOutcome = std::variant<Sample, Failure>;

inline constexpr std::int64_t StaggerMs = 250;
inline constexpr std::int64_t BurstSpacingMs = 2000;
inline constexpr int MaxSamples = 8;

struct ExchangeSettings {
    std::vector<std::string> Addresses; // numeric, in the resolver's order
    std::uint16_t Port = NTPPort;
    int Samples = 1; // 1..MaxSamples
    bool UsePermissibleDelay = true;
    std::int64_t PermissibleDelayMs = 600;
    std::int64_t ReplyTimeoutMs = 5000;
    // No reply dated before this is believed.
    std::int64_t FloorUnixSeconds = 0;
    // UTC minus monotonic time: dates the requests and arrivals, and picks
    // the NTP era.
    std::int64_t UtcMinusMonotonicNs = 0;
    Authenticator* Auth = nullptr;
};

struct OutgoingRequest {
    std::size_t Request = 0;
    std::string Address;
    std::vector<std::uint8_t> Bytes;
};

class Exchange {
public:
    Exchange(ExchangeSettings settings, RandomSource& random, std::int64_t startNs);

    // Advances to nowNs: gives up requests whose time is over, decides the
    // outcome when nothing is left to wait for, and returns the requests due
    // now. Report each one's fate with Sent or SendFailed.
    std::vector<OutgoingRequest> Poll(std::int64_t nowNs);
    void Sent(std::size_t request, std::int64_t sentNs);
    void SendFailed(std::size_t request, std::int32_t number, const std::string& description);

    void OnDatagram(const Datagram& datagram);
    void OnSocketError(const std::string& address, const SocketError& error);

    bool Done() const { return done_; }
    // Valid once Done.
    const ExchangeOutcome& Outcome() const { return outcome_; }
    // When Poll must next be called, on the monotonic scale.
    std::int64_t NextWakeNs() const;

private:
    enum class State { Waiting, Answered, Failed, GivenUp };
    struct Request {
        std::size_t AddressIndex = 0;
        std::vector<std::uint8_t> Bytes;
        NTPTimestamp Origin;
        std::int64_t DueNs = 0;
        std::int64_t SentNs = -1;
        bool Handed = false;
        State Status = State::Waiting;
    };

    std::int64_t LimitMs() const;
    std::int64_t ExpiryNs(const Request& request) const;
    std::size_t AddRequest(std::size_t addressIndex, std::int64_t dueNs);
    void Judge(std::size_t index, const Datagram& datagram);
    void Refuse(std::size_t index, Failure failure);
    void Accept(std::size_t index, Sample sample);
    void Finish();
    bool Outstanding() const;
    bool MoreToAsk() const;

    ExchangeSettings settings_;
    RandomSource& random_;
    std::vector<Request> requests_;
    std::size_t nextAddress_ = 0;
    bool bursting_ = false;
    bool burstEnded_ = false;
    int burstSent_ = 0; // requests 2 s apart after the first one
    std::size_t burstAddress_ = 0;
    std::int64_t burstDueNs_ = 0;
    std::vector<Sample> samples_;
    std::vector<Failure> refusals_;
    bool sawUnauthentic_ = false;
    bool revoked_ = false;
    bool done_ = false;
    ExchangeOutcome outcome_;
};

// The reply's transmit time in whole Unix seconds, in the NTP era that puts it
// nearest pivotUnixSeconds.
std::int64_t NtpSecondsToUnix(std::uint32_t seconds, std::int64_t pivotUnixSeconds);

} // namespace ntp
