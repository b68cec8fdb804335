#include "ntp/SyncLog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NTPLog, FieldsCannotForgeLinesOrReachATerminal) {
    struct Row {
        const char* name;
        std::string server;
        std::string code;
        std::string field4; // the server as written
        std::string field8; // the code as written
    };
    const Row rows[] = {
        {"ForgedLine", "a\r\nNTP:OK 2099/01/01 00:00:00 x 1.0ms 00:00:00 - -", "c",
         "a\\x0D\\x0ANTP:OK\\x202099/01/01\\x2000:00:00\\x20x\\x201.0ms\\x2000:00:00\\x20-\\x20-",
         "c"},
        {"TerminalEscape", "\x1b]0;x\x07h\x7f", "\x1b[2J", "\\x1B]0;x\\x07h\\x7F", "\\x1B[2J"},
        {"BackslashStaysUnambiguous", "a\\x0A", "\t", "a\\x5Cx0A", "\\x09"},
        {"NonAsciiNameKept", "時刻.例", "", "時刻.例", ""},
        {"C1ControlAndBrokenUtf8",
         "a\xc2\x9b"
         "b\xff\xe6\x99",
         "\xc2\xa0", "a\\xC2\\x9Bb\\xFF\\xE6\\x99", "\xc2\xa0"},
        {"NulInside", std::string("a\0b", 3), "", "a\\x00b", ""},
    };
    for (const Row& row : rows) {
        const std::string line = ntp::FormatLogLine({2004, 3, 7, 9, 5, 3, 0}, false, row.server, 0,
                                                    false, "", 0, row.code);
        EXPECT_EQ(line, "NTP:NG 2004/03/07 09:05:03 " + row.field4 + " - - 0 " + row.field8)
            << row.name;
    }
}

} // namespace
