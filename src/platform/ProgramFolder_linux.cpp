#include "AtomicFile.h"
#include "ProgramFolder.h"
#include "XdgFolders.h"
#include "settings/SettingsFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace ProgramFolder {

namespace {

// Empty when the entry (not what a link points to) is the user's alone; a
// link's own mode means nothing, so only its owner counts.
std::string Foreign(const std::string& path, unsigned user, bool mustExist) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT && !mustExist ? std::string() : path + " cannot be examined";
    }
    if (st.st_uid != user && st.st_uid != 0) {
        return path + " belongs to another user";
    }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return path + " is writable by others";
    }
    return {};
}

} // namespace

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return std::filesystem::current_path(ec).string();
    }
    return exe.parent_path().string();
}

bool IsWritable(const std::string& folder) {
    // access() answers for the real user, which is what matters for a
    // program that never changes its identity.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string Distrust(const std::string& folder, unsigned user) {
    std::string reason = Foreign(folder, user, true);
    for (const std::string_view name : {SettingsFile::kFileName, SettingsFile::kLogFileName}) {
        if (reason.empty()) {
            reason = Foreign(SettingsFile::PathInFolder(folder, name), user, false);
        }
    }
    return reason;
}

std::string Distrust(const std::string& folder) {
    return Distrust(folder, static_cast<unsigned>(::geteuid()));
}

std::string DistrustCode(const std::string& file) {
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(file, ec);
    if (ec) {
        return file + " cannot be examined";
    }
    const auto user = static_cast<unsigned>(::geteuid());
    std::string reason = Foreign(real.parent_path().string(), user, true);
    return reason.empty() ? Foreign(real.string(), user, true) : reason;
}

bool Seed(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) {
        return false;
    }
    const int fd = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::string content;
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (read) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            read = n == 0;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return read && AtomicFile::Replace(to, content);
}

std::string UserConfigFolder() {
    return (std::filesystem::path(XdgFolders::ConfigHome()) / "morvatel").string();
}

bool Create(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

} // namespace ProgramFolder
