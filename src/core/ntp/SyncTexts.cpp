#include "ntp/SyncTexts.h"

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

std::string SuccessText(const NTPResult& result, const SuccessFigures& figures) {
    const std::string separator = "　"; // U+3000
    std::string text;
    text += "システムの時刻を '" + figures.Server + "' と同期しました。" + CRLF;
    text += CRLF;
    text += "変更前の時刻: " + figures.BeforeText + CRLF;
    text += "取得した時刻: " + figures.ReceivedText + CRLF;
    text += std::string("差: ") + (figures.Negative ? "-" : "") + figures.DiffText + CRLF;
    text += CRLF;
    text += "Stratum: " + std::to_string(result.Stratum) + separator +
            "Poll Interval: " + std::to_string(result.PollInterval) + separator +
            "Precision: " + std::to_string(result.Precision) + CRLF;
    text +=
        "応答遅延: " + Text::OneDecimal(static_cast<double>(result.ServerProcessingTime) / 10.0) +
        "ms" + separator + "推定伝送遅延: " + Text::OneDecimal(figures.OneWay) + "ms";
    return text;
}

std::string ReceivedTimeText(const NTPResult& result, float utcOffsetHours) {
    const LocalDateTime local = DateMath::FromEpochMilliseconds(
        (result.ServerUnixSeconds + UtcOffsetSeconds(utcOffsetHours)) * 1000);
    return Text::DateTimeThousandths(local, result.ServerMilliseconds);
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

std::string ClockDuration(std::int64_t seconds) {
    const auto hours = static_cast<int>((seconds / 3600) % 24);
    const auto minutes = static_cast<int>((seconds / 60) % 60);
    const auto secs = static_cast<int>(seconds % 60);
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(secs);
}

} // namespace ntp::Text
