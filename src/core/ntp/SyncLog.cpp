#include "ntp/SyncLog.h"

#include "ntp/SyncTexts.h"

namespace ntp {

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

} // namespace ntp
