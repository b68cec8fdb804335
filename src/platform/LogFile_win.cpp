#include "LogFile.h"
#include "settings/FilePath.h"

#include <filesystem>
#include <windows.h>

void LogFile::AppendLine(const std::string& line) {
    if (path_.empty()) {
        return;
    }
    const std::filesystem::path path = FilePath(path_);
    // A link or junction is opened as itself and then refused, like anything
    // but a plain file on a disk.
    HANDLE h = CreateFileW(path.wstring().c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0) {
        DWORD written = 0;
        WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
    CloseHandle(h);
}
