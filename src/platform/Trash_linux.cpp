#include "FreedesktopTrash.h"
#include "XdgFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <utility>

namespace Trash {

namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::vector<std::string> ReadMountTable() {
    std::ifstream in("/proc/self/mountinfo", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return TopDirectoriesFromMountInfo(text);
}

MountTableReader g_readMountTable = &ReadMountTable;

// Mount points are written with \ooo escapes for blanks and backslashes.
std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3') {
            int value = 0;
            bool octal = true;
            for (std::size_t k = 1; k <= 3; ++k) {
                const char c = field[i + k];
                octal = octal && c >= '0' && c <= '7';
                value = value * 8 + (c - '0');
            }
            if (octal) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool HoldsNoUserFiles(std::string_view type) {
    static const std::set<std::string_view> kTypes = {
        "autofs", "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs", "debugfs",
        "devpts", "efivarfs",    "fusectl",    "hugetlbfs",  "mqueue",    "nsfs",     "proc",
        "pstore", "ramfs",       "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",    "tracefs",
    };
    return kTypes.contains(type);
}

int OpenDirectory(int parent, const char* name, const struct stat& seen) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != EACCES || seen.st_uid != ::geteuid()) {
        return fd;
    }
    // A folder trashed without read permission is still the user's own: give
    // it back to its owner, as a file manager does. Through a handle on the
    // folder itself, so a link put in its place cannot redirect the change.
    const UniqueFd path(::openat(parent, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (path.Get() < 0) {
        return -1;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(path.Get());
    if (::chmod(self.c_str(), (seen.st_mode & 07777) | S_IRWXU) != 0) {
        return -1;
    }
    return ::openat(path.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// What a directory holds, without . and ..
std::vector<std::string> Names(int dirFd) {
    std::vector<std::string> names;
    // A descriptor of its own: a duplicate would share (and move) the
    // caller's reading position.
    UniqueFd listed(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listed.Get() < 0) {
        return names;
    }
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listed.Get()));
    if (!dir) {
        return names;
    }
    listed.Release();
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

bool RemoveEntry(int parent, const char* name, dev_t device);

// Removes what a directory holds, never following a link and never going
// into another file system; returns the names that could not be removed.
std::vector<std::string> RemoveChildren(int dirFd, dev_t device) {
    std::vector<std::string> left;
    for (std::string& name : Names(dirFd)) {
        if (!RemoveEntry(dirFd, name.c_str(), device)) {
            left.push_back(std::move(name));
        }
    }
    return left;
}

bool RemoveEntry(int parent, const char* name, dev_t device) {
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        // Links included: the link goes, its target stays.
        return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
    }
    if (st.st_dev != device) {
        return false; // another file system mounted here
    }
    const UniqueFd dir(OpenDirectory(parent, name, st));
    struct stat opened {};
    if (dir.Get() < 0 || ::fstat(dir.Get(), &opened) != 0 || opened.st_dev != device) {
        return false;
    }
    // Its entries can only go when the folder may be written and searched.
    if ((opened.st_mode & S_IRWXU) != S_IRWXU && opened.st_uid == ::geteuid()) {
        ::fchmod(dir.Get(), (opened.st_mode & 07777) | S_IRWXU);
    }
    RemoveChildren(dir.Get(), device);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// files/ or info/ of an open trash folder, when it is a real directory on
// the trash's own file system.
int OpenPart(int trashFd, const char* part, dev_t device) {
    const int fd = ::openat(trashFd, part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_dev != device)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::size_t CountItems(const std::string& folder) {
    const UniqueFd trash(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (trash.Get() < 0 || ::fstat(trash.Get(), &st) != 0) {
        return 0;
    }
    const UniqueFd files(OpenPart(trash.Get(), "files", st.st_dev));
    return files.Get() < 0 ? 0 : Names(files.Get()).size();
}

void EmptyFolder(const std::string& folder) {
    const UniqueFd trash(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (trash.Get() < 0 || ::fstat(trash.Get(), &st) != 0) {
        return;
    }
    std::set<std::string> kept;
    if (const UniqueFd files(OpenPart(trash.Get(), "files", st.st_dev)); files.Get() >= 0) {
        for (std::string& name : RemoveChildren(files.Get(), st.st_dev)) {
            kept.insert(std::move(name) + ".trashinfo");
        }
    }
    // An item that stays keeps its record, so it can still be restored.
    if (const UniqueFd info(OpenPart(trash.Get(), "info", st.st_dev)); info.Get() >= 0) {
        for (const std::string& name : Names(info.Get())) {
            if (!kept.contains(name)) {
                RemoveEntry(info.Get(), name.c_str(), st.st_dev);
            }
        }
    }
    // A cache of the sizes of the items just removed.
    struct stat sizes {};
    if (::fstatat(trash.Get(), "directorysizes", &sizes, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(sizes.st_mode)) {
        const UniqueFd truncated(
            ::openat(trash.Get(), "directorysizes", O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    }
}

struct stat LinkStatus(const std::string& path, bool& ok) {
    struct stat st {};
    ok = ::lstat(path.c_str(), &st) == 0;
    return st;
}

} // namespace

std::vector<std::string> TopDirectoriesFromMountInfo(std::string_view mountInfo) {
    std::vector<std::string> tops;
    while (!mountInfo.empty()) {
        const std::size_t end = mountInfo.find('\n');
        const std::string_view line = mountInfo.substr(0, end);
        mountInfo = end == std::string_view::npos ? std::string_view{} : mountInfo.substr(end + 1);
        // id parent major:minor root mountpoint options [optional...] - type source ...
        std::vector<std::string_view> fields;
        for (std::size_t pos = 0; pos < line.size();) {
            const std::size_t next = std::min(line.find(' ', pos), line.size());
            if (next > pos) {
                fields.push_back(line.substr(pos, next - pos));
            }
            pos = next + 1;
        }
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") {
            ++dash;
        }
        if (dash + 1 >= fields.size() || HoldsNoUserFiles(fields[dash + 1])) {
            continue;
        }
        std::string top = Unescaped(fields[4]);
        if (!top.empty() && top.front() == '/' &&
            std::find(tops.begin(), tops.end(), top) == tops.end()) {
            tops.push_back(std::move(top));
        }
    }
    return tops;
}

MountTableReader SetMountTableReader(MountTableReader reader) {
    return std::exchange(g_readMountTable, reader);
}

std::vector<std::string> Folders(const std::string& dataHome,
                                 const std::vector<std::string>& topDirectories, uid_t uid) {
    const std::string user = std::to_string(uid);
    std::vector<std::string> candidates;
    if (!dataHome.empty()) {
        candidates.push_back(dataHome + "/Trash");
    }
    for (const std::string& top : topDirectories) {
        const std::string base = top == "/" ? std::string() : top;
        bool ok = false;
        const struct stat shared = LinkStatus(base + "/.Trash", ok);
        // Anyone can create .Trash on a shared disk; without the sticky bit
        // any user could swap another's trash, so the freedesktop Trash rules forbid
        // using it.
        if (ok && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0) {
            candidates.push_back(base + "/.Trash/" + user);
        }
        candidates.push_back(base + "/.Trash-" + user);
    }

    std::vector<std::string> folders;
    std::set<std::pair<dev_t, ino_t>> seen;
    for (const std::string& candidate : candidates) {
        bool ok = false;
        const struct stat st = LinkStatus(candidate, ok);
        if (ok && S_ISDIR(st.st_mode) && ::access(candidate.c_str(), W_OK | X_OK) == 0 &&
            seen.emplace(st.st_dev, st.st_ino).second) {
            folders.push_back(candidate);
        }
    }
    return folders;
}

void Empty(const Question& ask, std::uintptr_t /*ownerWindow*/) {
    const std::vector<std::string> folders =
        Folders(XdgFolders::DataHome(), g_readMountTable(), ::getuid());
    if (ask) {
        std::size_t items = 0;
        for (const std::string& folder : folders) {
            items += CountItems(folder);
        }
        if (items > 0 && !ask(items)) {
            return;
        }
    }
    for (const std::string& folder : folders) {
        EmptyFolder(folder);
    }
}

} // namespace Trash
