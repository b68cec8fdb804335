#include "ntp/SyncTexts.h"
#include "ntp/SyncLog.h"
#include "ntp/SyncTexts.h"

#include <gtest/gtest.h>

using namespace ntp;

TEST(NTPText, OneDecimal) {
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {12.34, "12.3"},
        {0.04, "0.0"},
        {-3.0, "-3.0"},
        {-0.5, "-0.5"},
        {-0.04, "0.0"},
        {0.05, "0.1"},
        {999.95, "1000.0"},
        {12345.6, "12345.6"},
        {0.25, "0.3"},
        {-0.25, "-0.3"},
        {static_cast<double>(0.35f), "0.4"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Text::OneDecimal(row.value), row.text) << row.value;
    }
}

TEST(NTPText, SystemServiceKeepsClockSaysWhichWayTheClockIsOff) {
    struct Row {
        double localAhead;
        const char* tail;
    };
    const Row rows[] = {
        {1.2345, "1.235 秒 (このコンピューターの時計が進んでいます)"},
        {-65.5, "-65.500 秒 (このコンピューターの時計が遅れています)"},
        {-0.0004, "0.000 秒 (ずれはありません)"},
        {0.0, "0.000 秒 (ずれはありません)"},
    };
    const std::string head = "システムの時刻同期サービスが時計を合わせているため、時刻は変更しま"
                             "せんでした。\r\n\r\nNTPサーバー 'ntp.example' との差: ";
    for (const auto& row : rows) {
        EXPECT_EQ(SystemServiceKeepsClockText("ntp.example", row.localAhead), head + row.tail);
    }
}

TEST(NTPText, DurationsAndRounding) {
    struct Row {
        std::int64_t seconds;
        const char* dialog;
        const char* log;
    };
    const Row rows[] = {
        {5, "00:00:05", "00:00:05"},
        {86399, "23:59:59", "23:59:59"},
        {86400 + 5, "1日 00:00:05", "1.00:00:05"},
        {40 * 86400 + 3661, "40日 01:01:01", "40.01:01:01"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Text::DialogDuration(row.seconds), row.dialog);
        EXPECT_EQ(Text::LogDuration(row.seconds), row.log);
    }
    EXPECT_EQ(Text::RoundHalfEven(1000.5), 1000);
    EXPECT_EQ(Text::RoundHalfEven(-1.5), -2);
}

TEST(NTPLog, Lines) {
    const LocalDateTime at{2004, 3, 7, 9, 5, 3, 0};
    const std::string server = "192.0.2.10";
    struct Row {
        const char* name;
        bool success;
        float delay;
        bool negative;
        std::int32_t number;
        const char* code;
        const char* line;
    };
    const Row rows[] = {
        {"behind", true, 12.34f, true, 0, "",
         "NTP:OK 2004/03/07 09:05:03 192.0.2.10 12.3ms -00:00:05 - -"},
        {"ahead", true, 12.34f, false, 0, "",
         "NTP:OK 2004/03/07 09:05:03 192.0.2.10 12.3ms 00:00:05 - -"},
        {"tiny delay", true, 0.04f, false, 0, "",
         "NTP:OK 2004/03/07 09:05:03 192.0.2.10 0.0ms 00:00:05 - -"},
        {"negative delay", true, -3.0f, false, 0, "",
         "NTP:OK 2004/03/07 09:05:03 192.0.2.10 -3.0ms 00:00:05 - -"},
        {"no response", false, 0, false, 0, "Winsock:HostDon'tResponse",
         "NTP:NG 2004/03/07 09:05:03 192.0.2.10 - - 0 Winsock:HostDon'tResponse"},
        {"socket error event", false, 0, false, 0, "",
         "NTP:NG 2004/03/07 09:05:03 192.0.2.10 - - 0 "},
        {"negative number", false, 0, false, -5, "X",
         "NTP:NG 2004/03/07 09:05:03 192.0.2.10 - - -5 X"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatLogLine(at, row.success, server, row.delay, row.negative, "00:00:05",
                                row.number, row.code),
                  row.line)
            << row.name;
    }
}

namespace {
struct Lines : LogSink {
    std::vector<std::string> lines;
    void AppendLine(const std::string& line) override { lines.push_back(line); }
};
} // namespace

TEST(NTPLog, WritesOnlyWhenLoggingIsOn) {
    for (const bool logging : {false, true}) {
        SettingsRecord settings;
        settings.NTP_Logging = logging;
        Lines sink;
        WriteNTPLog(settings, sink, {}, false, "s", 0, false, "", 3, "y");
        ASSERT_EQ(sink.lines.size(), logging ? 1u : 0u);
        if (logging) {
            EXPECT_TRUE(sink.lines[0].ends_with(" - - 3 y\r\n"));
        }
    }
}
