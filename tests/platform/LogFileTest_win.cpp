#include "LogFile.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(LogFileWin, AppendsToAPlainFileOnly) {
    TempFolder temp;
    const std::string log = temp.File("Morvatel.log");
    LogFile(log).AppendLine("one\r\n");
    LogFile(log).AppendLine("two\r\n");
    EXPECT_EQ(Slurp(log), "one\r\ntwo\r\n");

    std::filesystem::create_directory(temp.File("folder"));
    LogFile(temp.File("folder")).AppendLine("x\r\n");
    LogFile(temp.File("no\\Morvatel.log")).AppendLine("x\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(temp.File("folder")));
    EXPECT_EQ(temp.Entries(), 2u);
}

} // namespace
