#pragma once

#include "app/LocalDateTime.h"
#include "app/SettingsRecord.h"
#include "sync/SyncInterfaces.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The SNTP client: the request and reply codec, one synchronisation run and
// its log line.
namespace modNTP {

inline constexpr std::size_t PacketSize = 48;
inline constexpr std::uint16_t NTPPort = 123;
inline constexpr std::uint32_t ReplyTimeoutMs = 5000;
// Seconds from 1900-01-01 (the NTP epoch) to 1970-01-01.
inline constexpr std::int64_t SecondsFrom1900To1970 = 2208988800;

inline constexpr const char* CRLF = "\r\n";

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

// Everything the program keeps between runs.
struct SyncState {
    NTPResult Result;
    std::string LastSyncText; // "yyyy/m/d h:nn:ss", local
    // True from the request until the clock is set or the run has failed;
    // another run is refused meanwhile.
    bool Waiting = false;
};

// ---- codec ---------------------------------------------------------------

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

// ---- texts ---------------------------------------------------------------

std::string CantOpenText(const std::string& server);
std::string OverPermissibleDelayText(const std::string& server);
std::string NoResponseText(const std::string& server);
std::string ClockRefusedText();
std::string NotSynchronizedText(const std::string& server);

inline constexpr const char* CodeCantOpen = "Winsock:Can'tOpen";
inline constexpr const char* CodeBadLength = "Winsock:PacketIsn't48Bytes";
inline constexpr const char* CodeDataArrival = "Winsock:ErrorAtDataArrival";
inline constexpr const char* CodeNoResponse = "Winsock:HostDon'tResponse";
inline constexpr const char* CodeOverDelay = "morvatel:OverPermissibleDelay";
inline constexpr const char* CodeClockRefused = "morvatel:Can'tModifySystemTime";
inline constexpr const char* CodeNotSynchronized = "morvatel:ServerNotSynchronized";

// "取得した時刻" of the success text: ServerTimeLocal and the thousandths. A
// fraction that rounded up to a whole second moves to the next second rather
// than printing "…:021.000".
std::string ReceivedTimeText(const NTPResult& result, float utcOffsetHours);

struct SuccessFigures {
    std::string Server;
    std::string BeforeText;   // "yyyy/mm/dd hh:nn:ss.fff"
    std::string ReceivedText; // ReceivedTimeText
    bool Negative = false;
    std::string DiffText; // "hh:mm:ss"
    float OneWay = 0.0f;  // ms
};

std::string SuccessText(const NTPResult& result, const SuccessFigures& figures);

// ---- log -----------------------------------------------------------------

std::string FormatLogLine(const LocalDateTime& now, bool success, const std::string& server,
                          float delay, bool negative, const std::string& difference,
                          std::int32_t errorNumber, const std::string& errorCode);

// Clears the error fields of result, then appends the line when NTP_Logging is
// on.
void WriteNTPLog(NTPResult& result, const SettingsRecord& settings, LogSink& log,
                 const LocalDateTime& now, bool success, const std::string& server, float delay,
                 bool negative, const std::string& difference, std::int32_t errorNumber,
                 const std::string& errorCode);

// Every field within its calendar range, milliseconds below 1000, and the
// year within what any setter takes (1601..30827). Setters check this before
// touching the clock.
bool IsValidSystemTime(const SystemTimeFields& utc);

// ---- run -----------------------------------------------------------------

enum class SyncOutcome { Succeeded, Failed, NotStarted };

// One synchronisation: ask, wait inside the event pump, set the clock, log and
// report. NotStarted when another run still waits for its reply.
SyncOutcome SyncSystemTime(SyncState& state, SettingsRecord& settings, SyncServices& services,
                           bool showResult, const std::string& server);

struct QueryOutcome {
    bool Ok = false;
    std::string FailureText;
    std::int32_t ErrorNumber = 0;
    std::string ErrorCode;
    int Stratum = 0;
    // Standard NTP estimates from the four instants: server minus local clock,
    // and the round trip less the server's own processing.
    double OffsetSeconds = 0.0;
    double DelaySeconds = 0.0;
};

// The same exchange and the same checks, but nothing is set, shown or logged.
QueryOutcome QueryServer(SyncState& state, const SettingsRecord& settings, SyncServices& services,
                         const std::string& server);

} // namespace modNTP
