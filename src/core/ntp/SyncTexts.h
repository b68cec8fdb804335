#pragma once

#include "datetime/LocalDateTime.h"
#include "ntp/Exchange.h"
#include "ntp/Packet.h"

#include <cstdint>
#include <string>

// What a synchronisation tells the user (the result dialog's texts) and the
// log (the failure codes), and the number and date shapes both use.
namespace ntp {

inline constexpr const char* CRLF = "\r\n";

std::string CantOpenText(const std::string& server);
std::string OverPermissibleDelayText(const std::string& server);
std::string NoResponseText(const std::string& server);
std::string ClockRefusedText();
std::string NotSynchronizedText(const std::string& server);
// The clock was left alone because the system's time service keeps it;
// localAheadSeconds is how far the local clock is ahead of the server
// (negative: behind), as the success text's difference counts it.
std::string SystemServiceKeepsClockText(const std::string& server, double localAheadSeconds);

inline constexpr const char* CodeCantOpen = "Winsock:Can'tOpen";
inline constexpr const char* CodeBadLength = "Winsock:PacketIsn't48Bytes";
inline constexpr const char* CodeDataArrival = "Winsock:ErrorAtDataArrival";
inline constexpr const char* CodeNoResponse = "Winsock:HostDon'tResponse";
inline constexpr const char* CodeOverDelay = "morvatel:OverPermissibleDelay";
inline constexpr const char* CodeClockRefused = "morvatel:Can'tModifySystemTime";
inline constexpr const char* CodeNotSynchronized = "morvatel:ServerNotSynchronized";
inline constexpr const char* CodeSystemServiceActive = "morvatel:SystemTimeServiceActive";
inline constexpr const char* CodeAccessDenied = "morvatel:AccessDenied";
inline constexpr const char* CodeNotServerMode = "morvatel:ReplyNotFromServer";
inline constexpr const char* CodeBadVersion = "morvatel:BadVersion";
inline constexpr const char* CodeStratumUnsynchronized = "morvatel:StratumUnsynchronized";
inline constexpr const char* CodeRootDistance = "morvatel:RootDistanceTooLarge";
inline constexpr const char* CodeBeforeFloor = "morvatel:ServerTimeTooOld";

// What the dialog shows and the log records for a failed exchange.
struct FailureReport {
    std::string Text;
    std::int32_t Number = 0;
    std::string Code;
};

FailureReport DescribeFailure(const Failure& failure, const std::string& server);

// "取得した時刻" of the success text: the server's time in NTP_UTCOffset's
// zone with its thousandths.
std::string ReceivedTimeText(const NTPResult& result, float utcOffsetHours);
std::string ReceivedTimeText(std::int64_t unixSeconds, double milliseconds, float utcOffsetHours);

struct SuccessFigures {
    std::string Server;
    std::string BeforeText;   // "yyyy/mm/dd hh:nn:ss.fff"
    std::string ReceivedText; // ReceivedTimeText
    bool Negative = false;
    std::string DiffText; // Text::DialogDuration
    float OneWay = 0.0f;  // ms
    bool Authenticated = false;
};

std::string SuccessText(const Sample& sample, const SuccessFigures& figures);

} // namespace ntp

// The number and date shapes the synchronisation texts and the log use.
namespace ntp::Text {

// Nearest integer, halves to even.
std::int64_t RoundHalfEven(double value);

// "yyyy/mm/dd hh:nn:ss"
std::string DateTime(const LocalDateTime& t);

// "yyyy/m/d h:nn:ss": month, day and hour without padding.
std::string DateTimeShort(const LocalDateTime& t);

// "###0.0" (and "##0.0", which writes the same): one decimal, at least one
// integer digit, no grouping, halves away from zero. A value that rounds to
// zero is written "0.0", never "-0.0".
std::string OneDecimal(double value);

// "yyyy/mm/dd hh:nn:ss.fff": the whole second t (its milliseconds ignored)
// and a fraction of 0..1000 ms, rounded to thousandths halves up. A fraction
// that rounds to 1000 is the next second, carried as far as it goes.
std::string DateTimeThousandths(const LocalDateTime& t, double milliseconds);

// "####0": no padding, a minus sign when negative.
std::string Integer(std::int64_t value);

// Seconds with three decimals and a minus sign when negative; independent of
// the C locale's decimal point, which Qt sets from the environment.
std::string Seconds(double seconds);

// "hh:mm:ss" of a non-negative number of seconds below a day; from a day on
// the days lead: "1日 00:00:05" for the dialog, "1.00:00:05" for the log, whose
// fields must stay single ASCII tokens.
std::string DialogDuration(std::int64_t seconds);
std::string LogDuration(std::int64_t seconds);

} // namespace ntp::Text
