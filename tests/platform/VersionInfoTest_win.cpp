#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace {

std::wstring Wide(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

// This executable embeds the program's resources, as the program does.
std::vector<BYTE> OwnVersionInfo() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(exe, &ignored));
    if (data.empty() ||
        !GetFileVersionInfoW(exe, 0, static_cast<DWORD>(data.size()), data.data())) {
        data.clear();
    }
    return data;
}

TEST(VersionInfo, ReadsBackFromTheExecutable) {
    std::vector<BYTE> data = OwnVersionInfo();
    ASSERT_FALSE(data.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::wstring version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(version, Wide(MORVATEL_VERSION));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

    // The strings are found the way Explorer finds them: through the
    // language the translation table names.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    ASSERT_GE(size, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    wchar_t block[64];
    swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = block + std::wstring(name);
        if (!VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value),
                            &length)) {
            return std::wstring(L"(missing)");
        }
        return std::wstring(value);
    };
    EXPECT_EQ(text(L"ProductName"), L"Morvatel");
    EXPECT_EQ(text(L"FileVersion"), Wide(MORVATEL_VERSION));
    EXPECT_EQ(text(L"LegalCopyright"), Wide(MORVATEL_LEGAL));
}

TEST(VersionInfo, IconHasTheSizesWindowsAsksFor) {
    const HMODULE self = GetModuleHandleW(nullptr);
    const HRSRC found =
        FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    // The group's header is 6 bytes, each entry 14, the width its first byte
    // (0 for 256).
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    std::vector<int> sizes;
    for (int i = 0; i < group[4]; ++i) {
        sizes.push_back(group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 256}));

    const auto icon = static_cast<HICON>(
        LoadImageW(self, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
}

} // namespace
