#include "Autostart.h"
#include "RecentDocuments.h"
#include "Trash.h"

#include <gtest/gtest.h>

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

// In a throw-away prefix the shell's bins and recent list are its own; the
// calls must return and leave the process working. Only the silent emptying
// is called: the asking one would wait for a person.
TEST(StartupChoresWin, TheShellCallsReturn) {
    Trash::Empty(nullptr, 0);
    RecentDocuments::Clear();
    SUCCEED();
}

} // namespace
