#include "ProgramFolder.h"
#include "RowName.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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
    PathRow{"WritablePortableFolder", "/home/u/morvatel", true, "/home/u/.config/morvatel", "/home/u/morvatel/Morvatel.ini"},
    PathRow{"ReadOnlyPortableFolder", "/media/stick", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"InstalledWritableByRoot", "/usr/bin", true, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"UsrLocal", "/usr/local/bin", true, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"Opt", "/opt/morvatel", true, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini"},
    PathRow{"OnlyStartsLikeOpt", "/optional/morvatel", true, "/home/u/.config/morvatel", "/optional/morvatel/Morvatel.ini"},
    PathRow{"ClimbsOutOfUsr", "/usr/../srv/morvatel", true, "/home/u/.config/morvatel", "/usr/../srv/morvatel/Morvatel.ini"},
    PathRow{"RootFolderHasItsSeparator", "/", true, "/home/u/.config/morvatel", "/Morvatel.ini"},
    PathRow{"TrailingSeparatorNotDoubled", "/srv/morvatel/", true, "/home/u/.config/morvatel", "/srv/morvatel/Morvatel.ini"}
), RowName());
// clang-format on

struct HelpRow {
    const char* name;
    std::string program;
    std::vector<std::string> present;
    std::string expected;
};
class HelpPageRows : public testing::TestWithParam<HelpRow> {};

TEST_P(HelpPageRows, FindsThePage) {
    const HelpRow& row = GetParam();
    // Compared as paths, so that Windows may use its own separator.
    const auto exists = [&row](const std::string& file) {
        for (const std::string& p : row.present) {
            if (std::filesystem::path(p) == std::filesystem::path(file)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_EQ(std::filesystem::path(ProgramFolder::HelpPage(row.program, exists)),
              std::filesystem::path(row.expected));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, HelpPageRows, testing::Values(
    HelpRow{"BesideWins", "/usr/bin", {"/usr/bin/Readme.html", "/usr/share/morvatel/Readme.html"}, "/usr/bin/Readme.html"},
    HelpRow{"Installed", "/usr/bin", {"/usr/share/morvatel/Readme.html"}, "/usr/share/morvatel/Readme.html"},
    HelpRow{"InstalledUnderOtherPrefix", "/usr/local/bin", {"/usr/local/share/morvatel/Readme.html", "/usr/share/morvatel/Readme.html"}, "/usr/local/share/morvatel/Readme.html"},
    HelpRow{"NoneFallsBackBeside", "/home/u/morvatel", {}, "/home/u/morvatel/Readme.html"}
), RowName());
#endif
// clang-format on

} // namespace
