#include "ntp/Packet.h"

#include "datetime/LocalDateTime.h"
#include "ntp/SyncTexts.h"

#include <cmath>
#include <limits>

namespace ntp {

namespace {

constexpr std::uint8_t LeapUnsynchronised = 3;
constexpr std::uint8_t ClientVersion4 = (0u << 6) | (4u << 3) | 3u; // LI 0, VN 4, mode 3

constexpr std::int32_t FaultOutOfRange = 1;
constexpr std::int32_t FaultNoDate = 2;

void Fail(NTPResult& result, const std::string& message, const std::string& code) {
    result.ServerTimeUTC.clear();
    result.ServerTimeLocal.clear();
    result.ErrorMessage = message;
    result.ErrorCode = code;
}

void Fault(NTPResult& result, std::int32_t number, const char* description) {
    Fail(result,
         std::string("エラー No.") + Text::Integer(number) + ": " + description + CRLF + CRLF +
             "時刻の同期はできませんでした。",
         CodeDataArrival);
    result.ErrorNumber = number;
}

} // namespace

std::array<std::uint8_t, PacketSize> BuildNTPRequest(std::uint64_t transmitNonce) {
    std::array<std::uint8_t, PacketSize> packet{};
    packet[0] = ClientVersion4;
    if (transmitNonce == 0) {
        transmitNonce = 1;
    }
    for (int i = 0; i < 8; ++i) {
        packet[40 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(transmitNonce >> (56 - 8 * i));
    }
    return packet;
}

NTPTimestamp ReadTimestamp(const std::uint8_t* packet, std::size_t offset) {
    auto word = [&](std::size_t at) {
        return (std::uint32_t{packet[at]} << 24) | (std::uint32_t{packet[at + 1]} << 16) |
               (std::uint32_t{packet[at + 2]} << 8) | std::uint32_t{packet[at + 3]};
    };
    return {word(offset), word(offset + 4)};
}

std::int64_t FractionToTenThousandths(std::uint32_t fraction) {
    // Exact in integers: fraction * 10000 / 2^32 never exceeds 2^46.
    const std::uint64_t scaled = std::uint64_t{fraction} * 10000u;
    std::uint64_t quotient = scaled >> 32;
    const std::uint64_t remainder = scaled & 0xFFFFFFFFu;
    constexpr std::uint64_t half = 0x80000000u;
    if (remainder > half || (remainder == half && (quotient & 1u) != 0)) {
        ++quotient;
    }
    return static_cast<std::int64_t>(quotient);
}

bool IsUntrustedReply(const std::uint8_t* packet) {
    const NTPTimestamp transmit = ReadTimestamp(packet, 40);
    return (packet[0] >> 6) == LeapUnsynchronised || packet[1] == 0 ||
           (transmit.Seconds == 0 && transmit.Fraction == 0);
}

void ParseNTPReply(NTPResult& result, const std::uint8_t* data, std::size_t length,
                   float utcOffsetHours) {
    if (length != PacketSize) {
        Fail(result,
             std::string("エラー: 受信したパケットの長さが不正です。") + CRLF + CRLF +
                 "時刻の同期はできませんでした。",
             CodeBadLength);
        return;
    }

    result.Stratum = data[1];
    result.PollInterval = data[2];
    result.Precision = static_cast<std::int8_t>(data[3]);

    result.Receive = ReadTimestamp(data, 32);
    result.Transmit = ReadTimestamp(data, 40);
    const std::int64_t f3 = FractionToTenThousandths(result.Transmit.Fraction);
    const std::int64_t f2 = FractionToTenThousandths(result.Receive.Fraction);
    // Whole seconds count too: a reply that straddles a second boundary took
    // milliseconds, not minus one second. The 32-bit difference also survives
    // the NTP era rolling over between the two stamps.
    const auto wholeSeconds =
        static_cast<std::int32_t>(result.Transmit.Seconds - result.Receive.Seconds);
    result.ServerProcessingTime = std::int64_t{wholeSeconds} * 10000 + f3 - f2;

    const std::int64_t unixSeconds = std::int64_t{result.Transmit.Seconds} - SecondsFrom1900To1970;
    if (unixSeconds < std::numeric_limits<std::int32_t>::min()) {
        Fault(result, FaultOutOfRange, "送信時刻が扱える範囲の外にあります。");
        return;
    }
    // Before 1970 only whole days form a time: the remainder keeps the sign
    // of the seconds, and a negative time of day is no time at all.
    if (unixSeconds % 86400 < 0) {
        Fault(result, FaultNoDate, "送信時刻から日時を作れません。");
        return;
    }

    result.ServerUnixSeconds = unixSeconds;
    result.ServerMilliseconds = static_cast<double>(f3) / 10.0;
    const LocalDateTime utc = DateMath::FromEpochMilliseconds(unixSeconds * 1000);
    result.ServerTimeUTC = Text::DateTime(utc);
    result.ServerTimeLocal =
        Text::DateTime(DateMath::AddSeconds(utc, UtcOffsetSeconds(utcOffsetHours)));
}

std::int64_t UtcOffsetSeconds(float utcOffsetHours) {
    if (!std::isfinite(utcOffsetHours)) {
        return 0;
    }
    const double hours = std::fmax(-48.0, std::fmin(48.0, static_cast<double>(utcOffsetHours)));
    return std::llround(hours * 3600.0);
}

} // namespace ntp
