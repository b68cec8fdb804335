#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The key-exchange records of Network Time Security (RFC 8915, section 4):
// the request the client sends over TLS and the server's answer, as bytes.
namespace ntp {

inline constexpr std::uint16_t NtsKePort = 4460;
inline constexpr std::uint16_t NtsNextProtocolNtpV4 = 0;
inline constexpr std::uint16_t AeadAesSivCmac256 = 15;
inline constexpr std::size_t NtsKeyLength = 32; // AES-SIV-CMAC-256

enum class NtsKeRecordType : std::uint16_t {
    EndOfMessage = 0,
    NextProtocol = 1,
    Error = 2,
    Warning = 3,
    AeadAlgorithm = 4,
    NewCookie = 5,
    Server = 6,
    Port = 7,
};

// Why a key exchange gave no keys. The first group is the transport's (TCP
// and TLS), the second the records'.
enum class NtsKeFailure {
    None,
    Refused,
    Unreachable,
    TimedOut,
    CertificateUntrusted,
    CertificateExpired, // or not yet valid
    CertificateWrongName,
    TlsFailed, // handshake, ALPN or exporter
    ServerError,
    ServerWarning,
    Malformed, // a record cut short, a bad body, an unknown critical record
    NoNtpV4,
    NoAead,
    NoCookie,
};

struct NtsKeResponse {
    std::vector<std::vector<std::uint8_t>> Cookies;
    std::string Server;                // empty: the key-exchange server's own name
    std::optional<std::uint16_t> Port; // absent: 123
};

struct NtsKeParse {
    NtsKeFailure Failure = NtsKeFailure::None;
    std::uint16_t Code = 0; // the server's error or warning code
    NtsKeResponse Response;
};

// Next protocol NTPv4, AEAD AES-SIV-CMAC-256, end of message.
std::vector<std::uint8_t> BuildNtsKeRequest();

// Bytes up to and including the end-of-message record, once all of it has
// arrived; nullopt while more is needed. TLS hands the stream over in pieces.
std::optional<std::size_t> NtsKeMessageLength(std::span<const std::uint8_t> stream);

// A complete answer (as NtsKeMessageLength cut it). Error and warning records
// refuse the answer: a warning is something the server wants a person to see,
// and this client cannot show it before the keys are used.
NtsKeParse ParseNtsKeResponse(std::span<const std::uint8_t> message);

} // namespace ntp
