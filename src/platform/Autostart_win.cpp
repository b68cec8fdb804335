#include "Autostart.h"

#include <string>
#include <windows.h>

namespace Autostart {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"Morvatel";

class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    // Paths may be longer than MAX_PATH; the call truncates silently, so
    // grow until the whole path fits.
    while (buffer.size() <= 32768) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

} // namespace

bool Query() {
    Key key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, key.Out()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return size > 0;
    }
    // One more character than reported, as a stored string need not end in
    // NUL; the text counts up to its first NUL.
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.Get(), kValueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &got) != ERROR_SUCCESS) {
        return false;
    }
    return data[0] != L'\0';
}

void Apply(bool on) {
    if (!on) {
        Key key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, key.Out()) ==
            ERROR_SUCCESS) {
            RegDeleteValueW(key.Get(), kValueName);
        }
        return;
    }
    const std::wstring program = ExecutablePath();
    if (program.empty()) {
        return;
    }
    // The full name in quotes: unquoted, "C:\Program Files\Morvatel\..."
    // would let Windows start C:\Program.exe instead.
    const std::wstring data = L"\"" + program + L"\"";
    Key key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

} // namespace Autostart
