#include "ntp/SyncTexts.h"

#include "ntp/NtsTexts.h"

#include <cmath>
#include <cstdio>

namespace ntp {

namespace {
const std::string kNotDone = std::string(CRLF) + CRLF + "時刻の同期はできませんでした。";
} // namespace

std::string CantOpenText(const std::string& server) {
    return "エラー: NTPサーバー '" + server + "' と正常に通信できません。" + kNotDone;
}

std::string OverPermissibleDelayText(const std::string& server) {
    return "NTPサーバー '" + server + "' の応答時間が許容値を超えました。" + CRLF + CRLF +
           "時刻の同期を中止しました。";
}

std::string NoResponseText(const std::string& server) {
    return "エラー: NTPサーバー '" + server + "' の応答がありません。" + kNotDone;
}

std::string ClockRefusedText() {
    return "エラー: システムの時刻を変更できません。";
}

std::string NotSynchronizedText(const std::string& server) {
    return "エラー: NTPサーバー '" + server + "' の時刻は同期されていません。" + kNotDone;
}

std::string SystemServiceKeepsClockText(const std::string& server, double localAheadSeconds) {
    const std::string seconds = Text::Seconds(localAheadSeconds);
    std::string where;
    if (seconds == "0.000") {
        where = "ずれはありません";
    } else {
        where = localAheadSeconds < 0 ? "このコンピューターの時計が遅れています"
                                      : "このコンピューターの時計が進んでいます";
    }
    return std::string(
               "システムの時刻同期サービスが時計を合わせているため、時刻は変更しませんでした。") +
           CRLF + CRLF + "NTPサーバー '" + server + "' との差: " + seconds + " 秒 (" + where + ")";
}

FailureReport DescribeFailure(const Failure& failure, const std::string& server) {
    const std::string named = "エラー: NTPサーバー '" + server + "' ";
    switch (failure.Kind) {
    case FailureKind::CantOpen:
        return {CantOpenText(server), failure.Number, CodeCantOpen};
    case FailureKind::OverDelay:
        return {OverPermissibleDelayText(server), 0, CodeOverDelay};
    case FailureKind::NoResponse:
        return {NoResponseText(server), 0, CodeNoResponse};
    case FailureKind::SocketError:
        // The socket layer's own words; its number is shown, not logged.
        return {"通信エラー No." + Text::Integer(failure.Number) + ": " + failure.Description, 0,
                std::string()};
    case FailureKind::BadLength:
        return {"エラー: 受信したパケットの長さが不正です。" + kNotDone, 0, CodeBadLength};
    case FailureKind::DateFault:
        return {"エラー No." + Text::Integer(failure.Number) + ": " +
                    (failure.Number == DateFaultOutOfRange ? "送信時刻が扱える範囲の外にあります。"
                                                           : "送信時刻から日時を作れません。") +
                    kNotDone,
                failure.Number, CodeDataArrival};
    case FailureKind::NotSynchronized:
        return {NotSynchronizedText(server), 0, CodeNotSynchronized};
    case FailureKind::AccessDenied:
        return {named + "に利用を拒否されました。" + kNotDone, 0, CodeAccessDenied};
    case FailureKind::NotServerMode:
        return {named + "からの応答はサーバーの応答ではありません (モード " +
                    Text::Integer(failure.Number) + ")。" + kNotDone,
                0, CodeNotServerMode};
    case FailureKind::BadVersion:
        return {named + "の応答のバージョン (" + Text::Integer(failure.Number) +
                    ") に対応していません。" + kNotDone,
                0, CodeBadVersion};
    case FailureKind::StratumUnsynchronized:
        return {named + "は同期していない階層 (Stratum " + Text::Integer(failure.Number) +
                    ") を返しました。" + kNotDone,
                0, CodeStratumUnsynchronized};
    case FailureKind::RootDistance:
        return {named + "の時刻は誤差が大きすぎます。" + kNotDone, 0, CodeRootDistance};
    case FailureKind::BeforeFloor:
        return {named + "の時刻 (" +
                    Text::DateTime(DateMath::FromEpochMilliseconds(failure.UnixSeconds * 1000)) +
                    ") は古すぎて正しくありません。" + kNotDone,
                0, CodeBeforeFloor};
    case FailureKind::NotAuthentic:
        return {NtsNoAuthenticReplyText(server), 0, CodeNtsNoAuthenticReply};
    case FailureKind::KeysRevoked:
        return {NtsKissNtsnText(server), 0, CodeNtsKissNtsn};
    case FailureKind::KeyExchange: {
        const auto why = static_cast<NtsKeFailure>(failure.Number);
        return {NtsKeFailureText(why, server, failure.ServerCode), failure.ServerCode,
                NtsKeFailureCode(why)};
    }
    }
    return {NoResponseText(server), 0, CodeNoResponse};
}

std::string SuccessText(const Sample& sample, const SuccessFigures& figures) {
    const std::string separator = "　"; // U+3000
    std::string text;
    text += "システムの時刻を '" + figures.Server + "' と同期しました。" + CRLF;
    text += CRLF;
    text += "変更前の時刻: " + figures.BeforeText + CRLF;
    text += "取得した時刻: " + figures.ReceivedText + CRLF;
    text += std::string("差: ") + (figures.Negative ? "-" : "") + figures.DiffText + CRLF;
    text += CRLF;
    text += "Stratum: " + std::to_string(sample.Stratum) + separator +
            "Poll Interval: " + std::to_string(sample.Poll) + separator +
            "Precision: " + std::to_string(sample.Precision) + CRLF;
    text += "応答遅延: " +
            Text::OneDecimal(static_cast<double>(sample.ProcessingTenThousandths) / 10.0) + "ms" +
            separator + "推定伝送遅延: " + Text::OneDecimal(figures.OneWay) + "ms";
    if (figures.Authenticated) {
        text += std::string(CRLF) + NtsAuthenticatedText();
    }
    return text;
}

std::string ReceivedTimeText(const NTPResult& result, float utcOffsetHours) {
    return ReceivedTimeText(result.ServerUnixSeconds, result.ServerMilliseconds, utcOffsetHours);
}

std::string ReceivedTimeText(std::int64_t unixSeconds, double milliseconds, float utcOffsetHours) {
    const LocalDateTime local =
        DateMath::FromEpochMilliseconds((unixSeconds + UtcOffsetSeconds(utcOffsetHours)) * 1000);
    return Text::DateTimeThousandths(local, milliseconds);
}

} // namespace ntp

namespace ntp::Text {

namespace {

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string FourDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", value);
    return buffer;
}

// Integer tenths or thousandths of |value|, halves away from zero as the
// display patterns round. The binary noise is trimmed first so that a value
// that reads as a half in decimal (456.5 ms, or a float 0.35) rounds as one.
std::int64_t ScaledAwayFromZero(double value, double scale) {
    const double scaled = std::round(std::fabs(value) * scale * 1e6) / 1e6;
    return static_cast<std::int64_t>(std::floor(scaled + 0.5));
}

} // namespace

std::int64_t RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0)) {
        ++result;
    }
    return result;
}

std::string DateTime(const LocalDateTime& t) {
    return FourDigits(t.year) + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) + " " +
           TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string DateTimeShort(const LocalDateTime& t) {
    return FourDigits(t.year) + "/" + std::to_string(t.month) + "/" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

std::string OneDecimal(double value) {
    const std::int64_t tenths = ScaledAwayFromZero(value, 10.0);
    std::string text = (value < 0 && tenths != 0) ? "-" : "";
    text += std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    return text;
}

std::string DateTimeThousandths(const LocalDateTime& t, double milliseconds) {
    // Rounded first, carried after: 999.5 ms must never print as "1.000".
    const std::int64_t thousandths =
        ScaledAwayFromZero(std::fmin(std::fmax(milliseconds, 0.0), 1000.0), 1.0);
    LocalDateTime second = t;
    second.millisecond = 0;
    second = DateMath::AddSeconds(second, thousandths / 1000);
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03d", static_cast<int>(thousandths % 1000));
    return DateTime(second) + digits;
}

std::string Integer(std::int64_t value) {
    return std::to_string(value);
}

std::string Seconds(double seconds) {
    const std::int64_t thousandths = ScaledAwayFromZero(seconds, 1000.0);
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03d", static_cast<int>(thousandths % 1000));
    return ((seconds < 0 && thousandths != 0) ? "-" : "") + std::to_string(thousandths / 1000) +
           digits;
}

namespace {

std::string Duration(std::int64_t seconds, const char* daySeparator) {
    const auto hours = static_cast<int>((seconds / 3600) % 24);
    const auto minutes = static_cast<int>((seconds / 60) % 60);
    const auto secs = static_cast<int>(seconds % 60);
    const std::string time = TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(secs);
    return seconds >= 86400 ? std::to_string(seconds / 86400) + daySeparator + time : time;
}

} // namespace

std::string DialogDuration(std::int64_t seconds) {
    return Duration(seconds, "日 ");
}

std::string LogDuration(std::int64_t seconds) {
    return Duration(seconds, ".");
}

} // namespace ntp::Text
