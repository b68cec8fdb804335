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
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = other.Release();
        }
        return *this;
    }
    ~UniqueFd() { Close(); }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
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
UnlinkAtCall g_unlinkAt = &::unlinkat;

bool Unlinked(int dirFd, const char* name, int flags) {
    return g_unlinkAt(dirFd, name, flags) == 0 || errno == ENOENT;
}

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

// A folder on the way down: who it is, so that the way back up can be
// checked, and what it still holds.
struct Level {
    std::string name;
    dev_t device;
    ino_t inode;
    std::vector<std::string> pending;
};

// Opens a folder of the tree so that its entries can go: on the tree's own
// file system, and writable and searchable when it is the user's.
UniqueFd OpenForRemoval(int parent, const std::string& name, const struct stat& seen, dev_t device,
                        std::vector<Level>& levels) {
    UniqueFd dir(OpenDirectory(parent, name.c_str(), seen));
    struct stat opened {};
    if (dir.Get() < 0 || ::fstat(dir.Get(), &opened) != 0 || opened.st_dev != device) {
        return UniqueFd();
    }
    if ((opened.st_mode & S_IRWXU) != S_IRWXU && opened.st_uid == ::geteuid()) {
        ::fchmod(dir.Get(), (opened.st_mode & 07777) | S_IRWXU);
    }
    levels.push_back(Level{name, opened.st_dev, opened.st_ino, Names(dir.Get())});
    return dir;
}

// Removes a folder and everything below it, never following a link and never
// going into another file system. A trash may hold a tree of any depth, so
// the walk keeps its way down in memory rather than on the call stack, and
// holds only the folder it works in open (a descriptor per level runs out
// long before the depth does). It climbs back through "..", checked to be
// the folder it came from: a tree moved meanwhile is left as it is.
bool RemoveTree(int top, const char* name, const struct stat& seen, dev_t device) {
    std::vector<Level> levels;
    UniqueFd current = OpenForRemoval(top, name, seen, device, levels);
    if (current.Get() < 0) {
        return false;
    }
    for (;;) {
        Level& level = levels.back();
        if (!level.pending.empty()) {
            const std::string child = std::move(level.pending.back());
            level.pending.pop_back();
            struct stat st {};
            if (::fstatat(current.Get(), child.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            if (!S_ISDIR(st.st_mode)) {
                // Links included: the link goes, its target stays.
                Unlinked(current.Get(), child.c_str(), 0);
            } else if (st.st_dev == device) {
                if (UniqueFd below = OpenForRemoval(current.Get(), child, st, device, levels);
                    below.Get() >= 0) {
                    current = std::move(below);
                }
            }
            continue;
        }
        const std::string done = std::move(level.name);
        levels.pop_back();
        if (levels.empty()) {
            current = UniqueFd();
            return Unlinked(top, done.c_str(), AT_REMOVEDIR);
        }
        UniqueFd up(::openat(current.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        if (up.Get() < 0 || ::fstat(up.Get(), &st) != 0 || st.st_dev != levels.back().device ||
            st.st_ino != levels.back().inode) {
            return false;
        }
        current = std::move(up);
        // A folder that kept an entry stays, and so does its parent.
        Unlinked(current.Get(), done.c_str(), AT_REMOVEDIR);
    }
}

bool RemoveEntry(int parent, const char* name, dev_t device) {
    struct stat st {};
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        return Unlinked(parent, name, 0);
    }
    return st.st_dev == device && RemoveTree(parent, name, st, device);
}

// Removes what a directory holds; returns the names that could not be
// removed.
std::vector<std::string> RemoveChildren(int dirFd, dev_t device) {
    std::vector<std::string> left;
    for (std::string& name : Names(dirFd)) {
        if (!RemoveEntry(dirFd, name.c_str(), device)) {
            left.push_back(std::move(name));
        }
    }
    return left;
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

UnlinkAtCall SetUnlinkAt(UnlinkAtCall call) {
    return std::exchange(g_unlinkAt, call);
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
