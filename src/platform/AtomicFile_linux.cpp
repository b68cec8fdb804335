#include "AtomicFile.h"
#include "PosixCalls.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

const PosixCalls& RealPosixCalls() {
    static constexpr PosixCalls calls{
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](int fd, const void* data, size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](int fd) { return ::close(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); },
        [](const char* path) { return ::unlink(path); },
    };
    return calls;
}

namespace AtomicFile {

namespace {

class FileDescriptor {
public:
    FileDescriptor(int fd, const PosixCalls& calls) : fd_(fd), calls_(calls) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            calls_.close(fd_);
        }
    }
    int Get() const { return fd_; }
    // close() reports the last write errors of some file systems (NFS), so
    // its result matters before the rename.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return calls_.close(fd) == 0;
    }

private:
    int fd_;
    const PosixCalls& calls_;
};

bool WriteAll(int fd, const std::string& content, const PosixCalls& calls) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = calls.write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// A settings file kept elsewhere through a link stays a link.
std::filesystem::path ResolveTarget(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) {
            return target;
        }
    }
    return path;
}

// The process id in a name this save gives its temporary files, or 0.
pid_t TemporaryOwner(std::string_view entry, std::string_view prefix) {
    if (!entry.starts_with(prefix)) {
        return 0;
    }
    entry.remove_prefix(prefix.size());
    const std::size_t dash = entry.find('-');
    const auto digits = [](std::string_view part) {
        return !part.empty() && part.size() <= 9 &&
               part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (dash == std::string_view::npos || !digits(entry.substr(0, dash)) ||
        !digits(entry.substr(dash + 1))) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(std::string(entry.substr(0, dash))));
}

// A save killed halfway leaves its temporary file, as large as the settings,
// for ever. Only our own pattern is touched, only a plain file of ours whose
// process is gone, and only once it is a minute old, so that no save still
// under way (in another PID namespace, say) loses its file.
void RemoveStaleTemporaries(const std::filesystem::path& folder, const std::string& fileName) {
    const std::string prefix = "." + fileName + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const int fd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t owner = TemporaryOwner(entry->d_name, prefix);
        struct stat st {};
        if (owner <= 0 || owner == ::getpid() ||
            ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime < 60 || ::kill(owner, 0) == 0 ||
            errno != ESRCH) {
            continue;
        }
        ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace

bool Replace(const std::string& path, const std::string& content) {
    return Replace(path, content, RealPosixCalls());
}

bool Replace(const std::string& path, const std::string& content, const PosixCalls& calls) {
    const std::filesystem::path target = ResolveTarget(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }

    RemoveStaleTemporaries(folder, target.filename().string());

    struct stat old {};
    const bool hadOld = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);

    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                         "-" + std::to_string(attempt));
        fd = calls.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    FileDescriptor file(fd, calls);

    if (hadOld) {
        // The new file takes the old one's place, so it takes its mode and,
        // when we may (running as root over a user's file), its owner.
        ::fchmod(file.Get(), old.st_mode & 07777);
        if (::fchown(file.Get(), old.st_uid, old.st_gid) != 0) {
            // Not being allowed to give the file away is normal.
        }
    }

    const bool written = WriteAll(file.Get(), content, calls) && calls.fsync(file.Get()) == 0;
    if (!file.Close() || !written || calls.rename(temp.c_str(), target.c_str()) != 0) {
        calls.unlink(temp.c_str());
        return false;
    }

    // Without this the rename itself may not survive a power cut. The file is
    // in place by now, so a failure here changes nothing for the caller.
    const int dir = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        calls.fsync(dir);
        calls.close(dir);
    }
    return true;
}

} // namespace AtomicFile
