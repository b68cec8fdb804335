#include "AtomicFile.h"
#include "Win32Calls.h"
#include "settings/FilePath.h"

#include <algorithm>
#include <filesystem>
#include <string>

const Win32Calls& RealWin32Calls() {
    static constexpr Win32Calls calls{
        [](const wchar_t* path) {
            return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        },
        [](HANDLE file, const void* data, DWORD size, DWORD* written) {
            return WriteFile(file, data, size, written, nullptr);
        },
        [](HANDLE file) { return FlushFileBuffers(file); },
        [](HANDLE file) { return CloseHandle(file); },
        [](const wchar_t* target, const wchar_t* replacement) {
            return ReplaceFileW(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                nullptr, nullptr);
        },
        [](const wchar_t* from, const wchar_t* to) {
            return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        },
        [](const wchar_t* path) { return DeleteFileW(path); },
    };
    return calls;
}

namespace AtomicFile {

namespace {

class Handle {
public:
    Handle(HANDLE h, const Win32Calls& calls) : h_(h), calls_(calls) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) {
            calls_.close(h_);
        }
    }
    HANDLE Get() const { return h_; }
    bool Close() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return calls_.close(h) != FALSE;
    }

private:
    HANDLE h_;
    const Win32Calls& calls_;
};

bool WriteAll(HANDLE h, const std::string& content, const Win32Calls& calls) {
    constexpr std::size_t kChunk = 1u << 30;
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const auto size = static_cast<DWORD>(std::min(left, kChunk));
        DWORD written = 0;
        if (!calls.write(h, data, size, &written) || written == 0) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The temporary file goes into place. ReplaceFileW keeps what the user set on
// the old file (attributes, permissions); it needs an old file, and some file
// systems refuse it, so a written-through move is the second way. Where
// ReplaceFileW gives up halfway, the new file still has its temporary name
// and the move puts it in place; a read-only old file refuses both.
bool PutInPlace(const std::wstring& temp, const std::wstring& target, const Win32Calls& calls) {
    return calls.replace(target.c_str(), temp.c_str()) || calls.move(temp.c_str(), target.c_str());
}

bool ProcessIsGone(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        // Refused access means someone else's process that still runs.
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool gone = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return gone;
}

// A save killed halfway leaves its temporary file, as large as the settings,
// for ever. Only our own pattern is touched, only a plain file whose process
// is gone, and only once it is a minute old.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::wstring& fileName) {
    const std::wstring prefix = L"." + fileName + L".tmp-";
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder / (prefix + L"*")).wstring().c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    constexpr unsigned long long kMinute = 60ull * 10'000'000ull;
    do {
        const std::wstring name = found.cFileName;
        const std::wstring rest = name.substr(std::min(name.size(), prefix.size()));
        const std::size_t dash = rest.find(L'-');
        const auto digits = [](const std::wstring& part) {
            return !part.empty() && part.size() <= 10 &&
                   part.find_first_not_of(L"0123456789") == std::wstring::npos;
        };
        if (dash == std::wstring::npos || !digits(rest.substr(0, dash)) ||
            !digits(rest.substr(dash + 1)) ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                0 ||
            ticks(found.ftLastWriteTime) + kMinute > ticks(now)) {
            continue;
        }
        const unsigned long long pid = std::stoull(rest.substr(0, dash));
        if (pid <= 0xFFFFFFFFull && pid != GetCurrentProcessId() &&
            ProcessIsGone(static_cast<DWORD>(pid))) {
            DeleteFileW((folder / name).wstring().c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

bool Replace(const std::string& path, const std::string& content) {
    return Replace(path, content, RealWin32Calls());
}

bool Replace(const std::string& path, const std::string& content, const Win32Calls& calls) {
    const std::filesystem::path target = FilePath(path);
    // A read-only settings file is the user's way of keeping its settings as
    // they are; the system refuses to replace it anyway, but not every file
    // system (nor Wine) does, so ask first.
    const DWORD attributes = GetFileAttributesW(target.wstring().c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    RemoveStaleTemporaries(folder, target.filename().wstring());

    std::wstring temp;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temp = (folder / (L"." + target.filename().wstring() + L".tmp-" +
                          std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt)))
                   .wstring();
        created = calls.createNew(temp.c_str());
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (created == INVALID_HANDLE_VALUE) {
        return false;
    }
    Handle file(created, calls);

    const bool written = WriteAll(file.Get(), content, calls) && calls.flush(file.Get());
    if (!file.Close() || !written || !PutInPlace(temp, target.wstring(), calls)) {
        calls.remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace AtomicFile
