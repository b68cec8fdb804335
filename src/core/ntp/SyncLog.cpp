#include "ntp/SyncLog.h"

#include "ntp/NtsTexts.h"
#include "ntp/SyncTexts.h"

#include <string_view>

namespace ntp {

namespace {

// Length of the well-formed UTF-8 character at the start of text, or 0.
std::size_t Utf8Length(std::string_view text) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// A field of the log whatever its source (a server name comes from the
// user's file or command line): control characters would forge lines or
// reach a terminal that shows the log, and a blank would split the field, so
// each of them, a backslash (to keep the escape unambiguous) and every byte
// that is not UTF-8 is written as \xNN. Other text stays as it is.
std::string Field(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    const auto escape = [&out](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    };
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text.front());
        std::size_t length = 1;
        if (c < 0x80) {
            if (c <= 0x20 || c == 0x7F || c == '\\') {
                escape(c);
            } else {
                out += static_cast<char>(c);
            }
        } else if (length = Utf8Length(text); length == 0) {
            length = 1;
            escape(c);
        } else if (c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            // U+0080 to U+009F: the C1 controls.
            escape(c);
            escape(static_cast<unsigned char>(text[1]));
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

} // namespace

std::string FormatLogLine(const LocalDateTime& now, bool success, const std::string& server,
                          float delay, bool negative, const std::string& difference,
                          std::int32_t errorNumber, const std::string& errorCode,
                          bool authenticated) {
    std::string line = std::string(success ? "NTP:OK" : "NTP:NG") + " " + Text::DateTime(now) +
                       " " + Field(server);
    if (success) {
        line += " " + Text::OneDecimal(delay) + "ms" + (negative ? " -" : " ") + Field(difference) +
                " - " + (authenticated ? NtsLogMark : "-");
    } else {
        line += " - - " + Text::Integer(errorNumber) + " " + Field(errorCode);
    }
    return line;
}

void WriteNTPLog(const SettingsRecord& settings, LogSink& log, const LocalDateTime& now,
                 bool success, const std::string& server, float delay, bool negative,
                 const std::string& difference, std::int32_t errorNumber,
                 const std::string& errorCode, bool authenticated) {
    if (!settings.NTP_Logging) {
        return;
    }
    log.AppendLine(FormatLogLine(now, success, server, delay, negative, difference, errorNumber,
                                 errorCode, authenticated) +
                   CRLF);
}

} // namespace ntp
