#include "sync/NTPText.h"
#include "sync/modNTP.h"

namespace modNTP {

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

std::string FormatLogLine(const LocalDateTime& now, bool success, const std::string& server,
                          float delay, bool negative, const std::string& difference,
                          std::int32_t errorNumber, const std::string& errorCode) {
    std::string line =
        std::string(success ? "NTP:OK" : "NTP:NG") + " " + Text::DateTime(now) + " " + server;
    if (success) {
        line +=
            " " + Text::OneDecimal(delay) + "ms" + (negative ? " -" : " ") + difference + " - -";
    } else {
        line += " - - " + Text::Integer(errorNumber) + " " + errorCode;
    }
    return line;
}

void WriteNTPLog(NTPResult& result, const SettingsRecord& settings, LogSink& log,
                 const LocalDateTime& now, bool success, const std::string& server, float delay,
                 bool negative, const std::string& difference, std::int32_t errorNumber,
                 const std::string& errorCode) {
    result.ErrorNumber = 0;
    result.ErrorCode.clear();
    result.ErrorMessage.clear();
    if (!settings.NTP_Logging) {
        return;
    }
    log.AppendLine(
        FormatLogLine(now, success, server, delay, negative, difference, errorNumber, errorCode) +
        CRLF);
}

} // namespace modNTP
