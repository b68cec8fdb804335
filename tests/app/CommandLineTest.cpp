#include "CommandLine.h"
#include "RowName.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

namespace {

using CommandLine::Mode;

struct ParseRow {
    const char* name;
    QStringList arguments; // after the program's own name
    Mode mode;
    std::string server;
    bool dryRun;
    std::string error; // part of the message, for Mode::Error
};
class CommandLineParse : public testing::TestWithParam<ParseRow> {};

TEST_P(CommandLineParse, ModeServerAndDryRun) {
    const ParseRow& row = GetParam();
    const CommandLine::Options options =
        CommandLine::Parse(QStringList{QStringLiteral("morvatel")} + row.arguments);
    EXPECT_EQ(options.mode, row.mode) << options.error;
    EXPECT_EQ(options.server, row.server);
    EXPECT_EQ(options.dryRun, row.dryRun);
    EXPECT_NE(options.error.find(row.error), std::string::npos) << options.error;
    EXPECT_EQ(options.error.empty(), row.mode != Mode::Error);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, CommandLineParse, testing::Values(
    ParseRow{"NoArguments", {}, Mode::Window, "", false, ""},
    ParseRow{"WindowDryRun", {"--dry-run"}, Mode::Window, "", true, ""},
    ParseRow{"QtOptionWithItsValue", {"-platform", "offscreen"}, Mode::Window, "", false, ""},
    ParseRow{"SyncFromSettings", {"--sync"}, Mode::Sync, "", false, ""},
    ParseRow{"SyncServer", {"--sync", "127.0.0.1"}, Mode::Sync, "127.0.0.1", false, ""},
    ParseRow{"DryRunIsNoServer", {"--sync", "--dry-run"}, Mode::Sync, "", true, ""},
    ParseRow{"DryRunFirst", {"--dry-run", "--sync", "::1"}, Mode::Sync, "::1", true, ""},
    ParseRow{"SyncEquals", {"--sync=時計.example"}, Mode::Sync, "時計.example", false, ""},
    ParseRow{"QueryServerThenDryRun", {"--query", "localhost", "--dry-run"}, Mode::Query, "localhost", true, ""},
    ParseRow{"HelpWins", {"--sync", "localhost", "--help"}, Mode::Help, "", false, ""},
    ParseRow{"Version", {"--version"}, Mode::Version, "", false, ""},
    ParseRow{"EmptyServer", {"--query="}, Mode::Error, "", false, "空"},
    ParseRow{"TwoModes", {"--sync", "--query"}, Mode::Error, "", false, "一つだけ"},
    ParseRow{"UnknownOption", {"--fast"}, Mode::Error, "", false, "'--fast'"},
    ParseRow{"StrayArgument", {"localhost"}, Mode::Error, "", false, "'localhost'"},
    ParseRow{"QtOptionOutsideTheWindow", {"--sync", "-platform", "offscreen"}, Mode::Error, "", false, "Qt"},
    ParseRow{"LineBreakInServer", {"--sync", "a\nb"}, Mode::Error, "", false, "制御文字"},
    ParseRow{"EscapeInServer", {"--query=a\x1b[2Jb"}, Mode::Error, "", false, "制御文字"},
    ParseRow{"LineBreakAfterAnOption", {"--query", "--dry-run", "a\nb"}, Mode::Error, "", false, "制御文字"},
    ParseRow{"ServerAfterAnOption", {"--sync", "--dry-run", "::1"}, Mode::Sync, "::1", true, ""},
    ParseRow{"TabInServer", {"--sync", "a\tb"}, Mode::Error, "", false, "制御文字"},
    ParseRow{"C1ControlInServer", {"--query", "a\u0085b"}, Mode::Error, "", false, "制御文字"}
), RowName());
// clang-format on

TEST(CommandLineRun, BadCommandLineExitsWithTwo) {
    EXPECT_EQ(CommandLine::Run(CommandLine::Parse(QStringList{"morvatel", "--sync", "a\rb"})), 2);
}

} // namespace
