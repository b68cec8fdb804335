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
INSTANTIATE_TEST_SUITE_P(Rows, SettingsPathRows, testing::Values(
    PathRow{"WritableProgramFolder", "/opt/morvatel", true, "/home/u/.config/morvatel", "/opt/morvatel/Morvatel.ini"},
    PathRow{"ReadOnlyProgramFolder", "/usr/bin", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"RootFolderHasItsSeparator", "/", true, "/home/u/.config/morvatel", "/Morvatel.ini"},
    PathRow{"TrailingSeparatorNotDoubled", "/opt/morvatel/", true, "", "/opt/morvatel/Morvatel.ini"}
), RowName());
// clang-format on

} // namespace
