#include "Autostart.h"
#include "RecentDocuments.h"
#include "Trash.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <windows.h>

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value as the registry holds it; nothing when there is none.
std::optional<std::wstring> RunValue() {
    wchar_t data[4096] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Morvatel", RRF_RT_REG_SZ, nullptr, data,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(data);
}

void PutRunValue(const std::wstring& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Morvatel", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return path;
}

TEST(AutostartWin, RegistersTheQuotedFullPathAndRemovesIt) {
    Autostart::Apply(false);
    EXPECT_FALSE(Autostart::Query());

    Autostart::Apply(true);
    EXPECT_TRUE(Autostart::Query());
    // Quoted and with its extension, so a folder with spaces cannot start
    // another program.
    EXPECT_EQ(RunValue(), L"\"" + ThisProgram() + L"\"");
    EXPECT_NE(ThisProgram().find(L".exe"), std::wstring::npos);

    Autostart::Apply(false);
    EXPECT_FALSE(Autostart::Query());
    EXPECT_EQ(RunValue(), std::nullopt);
    Autostart::Apply(false); // nothing to remove is no error
    EXPECT_FALSE(Autostart::Query());
}

TEST(AutostartWin, AnyNonEmptyValueCountsAsRegistered) {
    PutRunValue(L"C:\\Elsewhere\\Morvatel");
    EXPECT_TRUE(Autostart::Query());
    PutRunValue(L"");
    EXPECT_FALSE(Autostart::Query());
    Autostart::Apply(false);
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[4096] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, std::size(value));
    return length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

// Wine keeps the bin in the freedesktop trash of the home it is given, here
// the throw-away one tests/run-under-wine insists on. Anywhere else emptying
// would take a person's deleted files, so the case runs only there. Only the
// silent emptying is called: the asking one would wait for a person.
TEST(StartupChoresWin, EmptyingTakesWhatIsInTheBin) {
    const std::wstring sandbox = Environment(L"MORVATEL_WINE_SANDBOX");
    const std::wstring dataHome = Environment(L"XDG_DATA_HOME");
    if (sandbox.empty() || dataHome.rfind(sandbox + L"/", 0) != 0) {
        GTEST_SKIP() << "empties the user's recycle bin: runs only in scripts/test-windows' home";
    }
    std::filesystem::path trash = L"Z:" + dataHome + L"/Trash";
    trash.make_preferred();
    std::filesystem::create_directories(trash / L"files");
    std::filesystem::create_directories(trash / L"info");
    std::ofstream(trash / L"files" / L"seeded.txt") << "deleted earlier\n";
    std::ofstream(trash / L"info" / L"seeded.txt.trashinfo")
        << "[Trash Info]\nPath=/tmp/seeded.txt\nDeletionDate=2024-01-02T03:04:05\n";

    Trash::Empty(nullptr, 0);
    RecentDocuments::Clear();

    EXPECT_FALSE(std::filesystem::exists(trash / L"files" / L"seeded.txt"));
    EXPECT_FALSE(std::filesystem::exists(trash / L"info" / L"seeded.txt.trashinfo"));
}

} // namespace
