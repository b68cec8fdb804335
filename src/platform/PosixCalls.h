#pragma once

#include <string>
#include <sys/types.h>

// The system calls of the atomic save, reached through a table so that tests
// can make any one of them fail the way the system would.
struct PosixCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
};

const PosixCalls& RealPosixCalls();

namespace AtomicFile {

// Replace, through the given calls.
bool Replace(const std::string& path, const std::string& content, const PosixCalls& calls);

} // namespace AtomicFile
