#include "ProgramFolder.h"
#include "RowName.h"
#include "TempFolder.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct PathRow {
    const char* name;
    std::string program;
    bool writable;
    std::string user;
    std::string expected;
    std::string distrust = {};
    bool settingsBeside = false;
    std::string seed = {};
    bool noted = false;
};
class SettingsPathRows : public testing::TestWithParam<PathRow> {};

TEST_P(SettingsPathRows, ChoosesTheFolder) {
    const PathRow& row = GetParam();
    const ProgramFolder::DataLocation location = ProgramFolder::ChooseDataLocation(
        row.program, row.writable, row.distrust, row.settingsBeside, row.user);
    EXPECT_EQ(SettingsFile::PathInFolder(location.folder, SettingsFile::kFileName), row.expected);
    EXPECT_EQ(location.seed, row.seed);
    EXPECT_EQ(!location.note.empty(), row.noted) << location.note;
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
    PathRow{"TrailingSeparatorNotDoubled", "/srv/morvatel/", true, "/home/u/.config/morvatel", "/srv/morvatel/Morvatel.ini"},
    PathRow{"ReadOnlyMediaSeedsTheUsersFile", "/media/stick", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini", "", true, "/media/stick/Morvatel.ini"},
    PathRow{"OthersMayWrite", "/tmp/x", true, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini", "shared", true, "", true},
    PathRow{"OthersFolderNotWritableOffersSettings", "/home/v/bin", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini", "v's", true, "", true},
    PathRow{"OthersFolderOffersNothing", "/home/v/bin", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini", "v's", false},
    PathRow{"InstalledNeverSeeds", "/usr/local/bin", false, "/home/u/.config/morvatel", "/home/u/.config/morvatel/Morvatel.ini", "", true}
), RowName());
// clang-format on

struct TrustRow {
    const char* name;
    std::function<void(const TempFolder&)> plant;
    bool trusted;
    unsigned user = ::geteuid(); // whose the folder should be
    bool chowns = false;         // needs root
};
class TrustRows : public testing::TestWithParam<TrustRow> {};

TEST_P(TrustRows, TrustsOnlyTheUsersOwn) {
    const TrustRow& row = GetParam();
    if (row.chowns && ::geteuid() != 0) {
        GTEST_SKIP() << "giving files to another user needs root";
    }
    TempFolder temp;
    fs::permissions(temp.Path(), fs::perms(0755));
    Put(temp.File("victim"), "");
    row.plant(temp);
    EXPECT_EQ(ProgramFolder::Distrust(temp.Path().string(), row.user).empty(), row.trusted);
}

void Chown(const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), 12345, 12345), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, TrustRows, testing::Values(
    TrustRow{"OwnFolderAndFiles", [](const TempFolder& dir) { Put(dir.File("Morvatel.ini"), ""); Put(dir.File("Morvatel.log"), ""); }, true},
    TrustRow{"OwnLinkAsLog", [](const TempFolder& dir) { fs::create_symlink(dir.File("victim"), dir.File("Morvatel.log")); }, true},
    TrustRow{"GroupMayWrite", [](const TempFolder& dir) { fs::permissions(dir.Path(), fs::perms(0775)); }, false},
    TrustRow{"StickyLikeTmp", [](const TempFolder& dir) { fs::permissions(dir.Path(), fs::perms(01777)); }, false},
    TrustRow{"SettingsOthersMayWrite", [](const TempFolder& dir) { Put(dir.File("Morvatel.ini"), ""); fs::permissions(dir.File("Morvatel.ini"), fs::perms(0646)); }, false},
    TrustRow{"RootsFolder", [](const TempFolder&) {}, true, 12345, true},
    TrustRow{"AnothersFolder", [](const TempFolder& dir) { Chown(dir.Path()); }, false, ::geteuid(), true},
    TrustRow{"AnothersSettings", [](const TempFolder& dir) { Put(dir.File("Morvatel.ini"), ""); Chown(dir.File("Morvatel.ini")); }, false, ::geteuid(), true},
    TrustRow{"AnothersLinkAsLog", [](const TempFolder& dir) { fs::create_symlink(dir.File("victim"), dir.File("Morvatel.log")); Chown(dir.File("Morvatel.log")); }, false, ::geteuid(), true}
), RowName());
// clang-format on

// Code is judged where it really is: a link of the user's own to a module
// that others may replace is no better than the module itself.
TEST(ProgramFolder, LoadsCodeOnlyFromTheUsersOwnFolder) {
    TempFolder temp;
    fs::permissions(temp.Path(), fs::perms(0755));
    const fs::path own = temp.Path() / "own";
    const fs::path shared = temp.Path() / "shared";
    fs::create_directories(own);
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms(01777));
    Put((own / "m.so").string(), "");
    Put((shared / "m.so").string(), "");
    Put((own / "open.so").string(), "");
    fs::permissions(own / "open.so", fs::perms(0646));
    fs::create_symlink(shared / "m.so", own / "link.so");
    const std::pair<fs::path, bool> rows[] = {{own / "m.so", true},
                                              {own / "open.so", false},
                                              {shared / "m.so", false},
                                              {own / "link.so", false},
                                              {own / "missing.so", false}};
    for (const auto& [path, trusted] : rows) {
        EXPECT_EQ(ProgramFolder::DistrustCode(path.string()).empty(), trusted) << path;
    }
}

TEST(ProgramFolder, SeedsOnlyAMissingUserFileFromAPlainOne) {
    TempFolder temp;
    const std::string beside = temp.File("Morvatel.ini");
    const std::string user = temp.File("user.ini");
    Put(beside, "[Morvatel 1.10]\r\nBlink=Yes\r\n");
    EXPECT_TRUE(ProgramFolder::Seed(beside, user));
    EXPECT_EQ(Slurp(user), Slurp(beside));

    Put(beside, "[Morvatel 1.10]\r\nBlink=No\r\n");
    EXPECT_FALSE(ProgramFolder::Seed(beside, user)); // the user's file wins
    EXPECT_EQ(Slurp(user), "[Morvatel 1.10]\r\nBlink=Yes\r\n");

    fs::remove(user);
    fs::remove(beside);
    ASSERT_EQ(::mkfifo(beside.c_str(), 0600), 0);
    ::alarm(10);
    EXPECT_FALSE(ProgramFolder::Seed(beside, user));
    ::alarm(0);
    EXPECT_FALSE(ProgramFolder::Seed(temp.File("missing"), user));
    EXPECT_FALSE(fs::exists(user));
}

// The help page, or with `module` the NTS module, which has no fallback.
struct HelpRow {
    const char* name;
    std::string program;
    std::vector<std::string> present;
    std::string expected;
    bool module = false;
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
    const std::string found =
        row.module ? ProgramFolder::ShippedFile(row.program, "morvatel-nts.so",
                                                "lib/morvatel/morvatel-nts.so", exists)
                   : ProgramFolder::HelpPage(row.program, exists);
    EXPECT_EQ(std::filesystem::path(found), std::filesystem::path(row.expected));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, HelpPageRows, testing::Values(
    HelpRow{"BesideWins", "/usr/bin", {"/usr/bin/Readme.html", "/usr/share/morvatel/Readme.html"}, "/usr/bin/Readme.html"},
    HelpRow{"Installed", "/usr/bin", {"/usr/share/morvatel/Readme.html"}, "/usr/share/morvatel/Readme.html"},
    HelpRow{"InstalledUnderOtherPrefix", "/usr/local/bin", {"/usr/local/share/morvatel/Readme.html", "/usr/share/morvatel/Readme.html"}, "/usr/local/share/morvatel/Readme.html"},
    HelpRow{"NoneFallsBackBeside", "/home/u/morvatel", {}, "/home/u/morvatel/Readme.html"},
    HelpRow{"ModuleBeside", "/home/u/build", {"/home/u/build/morvatel-nts.so", "/home/u/lib/morvatel/morvatel-nts.so"}, "/home/u/build/morvatel-nts.so", true},
    HelpRow{"ModuleInstalled", "/usr/bin", {"/usr/lib/morvatel/morvatel-nts.so"}, "/usr/lib/morvatel/morvatel-nts.so", true},
    HelpRow{"NoModule", "/home/u/morvatel", {"/home/u/morvatel/Readme.html"}, "", true}
), RowName());
#endif
// clang-format on

} // namespace
