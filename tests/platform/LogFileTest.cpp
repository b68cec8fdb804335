#include "LogFile.h"
#include "RowName.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct LogRow {
    const char* name;
    // Puts something at the log's path; returns a descriptor to close after.
    std::function<int(const TempFolder&, const std::string& log)> plant;
    const char* expected; // the log afterwards; null: not a plain file still
};
class LogFileRows : public testing::TestWithParam<LogRow> {};

TEST_P(LogFileRows, WritesOnlyAPlainFileAndNeverWaits) {
    TempFolder temp;
    const std::string log = temp.File("Morvatel.log");
    Put(temp.File("victim"), "mine\n");
    const int keep = GetParam().plant(temp, log);
    // A pipe, read or not, would otherwise hold the run for ever.
    ::alarm(10);
    LogFile(log).AppendLine("one\r\n");
    LogFile(log).AppendLine("two\r\n");
    ::alarm(0);
    if (keep >= 0) {
        ::close(keep);
    }
    EXPECT_EQ(Slurp(temp.File("victim")), "mine\n");
    if (GetParam().expected != nullptr) {
        EXPECT_EQ(Slurp(log), GetParam().expected);
    } else {
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(log)));
    }
}

int Fifo(const std::string& log) {
    EXPECT_EQ(::mkfifo(log.c_str(), 0600), 0);
    return -1;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, LogFileRows, testing::Values(
    LogRow{"Missing", [](const TempFolder&, const std::string&) { return -1; }, "one\r\ntwo\r\n"},
    LogRow{"PlainFile", [](const TempFolder&, const std::string& log) { Put(log, "old\r\n"); return -1; }, "old\r\none\r\ntwo\r\n"},
    LogRow{"LinkToAnotherFile", [](const TempFolder& folder, const std::string& log) { fs::create_symlink(folder.File("victim"), log); return -1; }, nullptr},
    LogRow{"PipeWithoutReader", [](const TempFolder&, const std::string& log) { return Fifo(log); }, nullptr},
    LogRow{"PipeWithReader", [](const TempFolder&, const std::string& log) { Fifo(log); return ::open(log.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }, nullptr},
    LogRow{"Folder", [](const TempFolder&, const std::string& log) { fs::create_directory(log); return -1; }, nullptr}
), RowName());
// clang-format on

TEST(LogFile, MissingFolderLosesTheLineQuietly) {
    TempFolder temp;
    LogFile(temp.File("no/Morvatel.log")).AppendLine("x\r\n");
    LogFile("").AppendLine("x\r\n");
    EXPECT_EQ(temp.Entries(), 0u);
}

} // namespace
