#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The SNTP request and reply: building the one, reading the other.
namespace ntp {

inline constexpr std::size_t PacketSize = 48;
inline constexpr std::uint16_t NTPPort = 123;
// Seconds from 1900-01-01 (the NTP epoch) to 1970-01-01.
inline constexpr std::int64_t SecondsFrom1900To1970 = 2208988800;

struct NTPTimestamp {
    std::uint32_t Seconds = 0;
    std::uint32_t Fraction = 0;

    friend bool operator==(const NTPTimestamp&, const NTPTimestamp&) = default;
};

// The last reply and the current run's failure. An empty ServerTimeUTC means
// no reply has been accepted.
struct NTPResult {
    std::int16_t Stratum = 0;
    std::int16_t PollInterval = 0;
    std::int16_t Precision = 0;
    std::string ServerTimeUTC;             // "yyyy/mm/dd hh:nn:ss"
    std::string ServerTimeLocal;           // shifted by NTP_UTCOffset
    double ServerMilliseconds = 0.0;       // 0..1000, multiple of 0.1
    std::int64_t ServerProcessingTime = 0; // ten-thousandths of a second
    std::string ErrorMessage;
    std::int32_t ErrorNumber = 0;
    std::string ErrorCode;

    // The reply's instants as numbers, so the run never re-reads the texts.
    std::int64_t ServerUnixSeconds = 0; // transmit time, whole seconds since 1970
    NTPTimestamp Receive;
    NTPTimestamp Transmit;
};

// Client request, version 4. The transmit timestamp is a random nonce the
// server echoes as the originate timestamp, so only the answer to this very
// request is believed. It never sends zero, which servers treat as "none".
std::array<std::uint8_t, PacketSize> BuildNTPRequest(std::uint64_t transmitNonce);

NTPTimestamp ReadTimestamp(const std::uint8_t* packet, std::size_t offset);

// Rounded to the nearest ten-thousandth of a second, halves to even.
std::int64_t FractionToTenThousandths(std::uint32_t fraction);

// Fills result from one datagram or fills its error fields; the caller tells
// the outcome from ServerTimeUTC and ErrorMessage.
void ParseNTPReply(NTPResult& result, const std::uint8_t* data, std::size_t length,
                   float utcOffsetHours);

// Leap indicator 3 (unsynchronised), stratum 0 (kiss-o'-death) or a zero
// transmit time: the server itself does not know the time. Needs 48 bytes.
bool IsUntrustedReply(const std::uint8_t* packet);

// NTP_UTCOffset in whole seconds, kept within two days of UTC so that a broken
// settings file cannot make the shift overflow.
std::int64_t UtcOffsetSeconds(float utcOffsetHours);

} // namespace ntp
