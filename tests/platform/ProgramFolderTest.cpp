#include "ProgramFolder.h"
#include "RowName.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathRow {
    const char* name;
    std::string program;
    bool writable;
    std::string user;
    std::string expected;
};
class SettingsPathRows : public testing::TestWithParam<PathRow> {};

TEST_P(SettingsPathRows, ChoosesTheFolder) {
    const PathRow& row = GetParam();
    EXPECT_EQ(SettingsFile::PathInFolder(
                  ProgramFolder::ChooseDataFolder(row.program, row.writable, row.user),
                  SettingsFile::kFileName),
              row.expected);
}

// clang-format off
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Rows, SettingsPathRows, testing::Values(
    PathRow{"WritableProgramFolder", "D:\\Tools\\Morvatel", true, "C:\\Users\\u\\AppData\\Roaming\\Morvatel", "D:\\Tools\\Morvatel\\Morvatel.ini"},
    PathRow{"ReadOnlyProgramFolder", "C:\\Program Files\\Morvatel", false, "C:\\Users\\u\\AppData\\Roaming\\Morvatel", "C:\\Users\\u\\AppData\\Roaming\\Morvatel\\Morvatel.ini"},
    PathRow{"DriveRootHasItsSeparator", "E:\\", true, "", "E:\\Morvatel.ini"},
    PathRow{"ForwardSlashNotDoubled", "E:/Morvatel/", true, "", "E:/Morvatel/Morvatel.ini"}
), RowName());
#else
INSTANTIATE_TEST_SUITE_P(Rows, SettingsPathRows, testing::Values(
    PathRow{"WritableProgramFolder", "/opt/morvatel", true, "/home/u/.config/morvatel", "/opt/morvatel/Morvatel.ini"},
    PathRow{"ReadOnlyProgramFolder", "/usr/bin", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"RootFolderHasItsSeparator", "/", true, "/home/u/.config/morvatel", "/Morvatel.ini"},
    PathRow{"TrailingSeparatorNotDoubled", "/opt/morvatel/", true, "", "/opt/morvatel/Morvatel.ini"}
), RowName());
#endif
// clang-format on

} // namespace
