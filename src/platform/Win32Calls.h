#pragma once

#include <string>
#include <windows.h>

// The system calls of the atomic save, reached through a table so that tests
// can make any one of them fail the way the system would.
struct Win32Calls {
    HANDLE (*createNew)(const wchar_t* path); // a new file for writing, or INVALID_HANDLE_VALUE
    BOOL (*write)(HANDLE file, const void* data, DWORD size, DWORD* written);
    BOOL (*flush)(HANDLE file);
    BOOL (*close)(HANDLE file);
    // ReplaceFileW: the replacement takes the target's name and keeps the
    // target's attributes and security.
    BOOL (*replace)(const wchar_t* target, const wchar_t* replacement);
    // MoveFileExW, replacing and written through to the disk.
    BOOL (*move)(const wchar_t* from, const wchar_t* to);
    BOOL (*remove)(const wchar_t* path);
};

const Win32Calls& RealWin32Calls();

namespace AtomicFile {

// Replace, through the given calls.
bool Replace(const std::string& path, const std::string& content, const Win32Calls& calls);

} // namespace AtomicFile
