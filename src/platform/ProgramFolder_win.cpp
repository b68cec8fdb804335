#include "AtomicFile.h"
#include "ProgramFolder.h"
#include "settings/FilePath.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <windows.h>

namespace ProgramFolder {

std::string ExecutableFolder() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer)) {
        return PathText(std::filesystem::current_path());
    }
    return PathText(std::filesystem::path(std::wstring(buffer, n)).parent_path());
}

bool IsWritable(const std::string& folder) {
    // Windows has no reliable access() for folders: try to create a file.
    const std::filesystem::path probe =
        FilePath(folder) / ("morvatel-write-test-" + std::to_string(GetCurrentProcessId()));
    HANDLE h = CreateFileW(probe.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(h);
    return true;
}

// Windows has kept settings in any folder the program could write, and a
// folder another user may write is rare enough there to leave it so.
std::string Distrust(const std::string&, unsigned) {
    return {};
}

std::string Distrust(const std::string&) {
    return {};
}

bool Seed(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(FilePath(to), ec)) ||
        !std::filesystem::is_regular_file(FilePath(from), ec)) {
        return false;
    }
    std::ifstream in(FilePath(from), std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return AtomicFile::Replace(to, content);
}

std::string UserConfigFolder() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n =
        GetEnvironmentVariableW(L"APPDATA", buffer, static_cast<DWORD>(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer)) {
        return ExecutableFolder();
    }
    return PathText(std::filesystem::path(std::wstring(buffer, n)) / "Morvatel");
}

bool Create(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(FilePath(folder), ec);
    return std::filesystem::is_directory(FilePath(folder), ec);
}

} // namespace ProgramFolder
