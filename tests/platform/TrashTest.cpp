#include "FreedesktopTrash.h"
#include "RowName.h"
#include "TempFolder.h"
#include "XdgEnvironment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The tests' own mount table: never the machine's, whose file systems have
// trash folders this test did not make.
std::vector<std::string> g_tops;
std::vector<std::string> FakeMountTable() {
    return g_tops;
}

// Everything below a folder, links as links, so a change anywhere shows.
std::set<std::string> Snapshot(const fs::path& root) {
    std::set<std::string> seen;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        seen.insert(fs::relative(it->path(), root).string() + (it->is_symlink()     ? "@"
                                                               : it->is_directory() ? "/"
                                                                                    : ""));
    }
    return seen;
}

std::size_t Count(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class TrashFolders : public testing::Test {
protected:
    void SetUp() override {
        previous_ = Trash::SetMountTableReader(&FakeMountTable);
        const std::string user = std::to_string(::getuid());
        Put(temp_.File("outside.txt"), "keep me");
        fs::create_directories(temp_.Path() / "outside-folder");
        Put(temp_.File("outside-folder/inside.txt"), "keep me too");

        home_ = temp_.Path() / "data/Trash";
        Seed(home_);
        fs::create_symlink(temp_.Path() / "outside.txt", home_ / "files/link-to-file");
        fs::create_symlink(temp_.Path() / "outside-folder", home_ / "files/link-to-folder");
        Put((home_ / "info/link-to-file.trashinfo").string(), "[Trash Info]\n");
        Put((home_ / "directorysizes").string(), "4096 1 folder\n");

        // A shared .Trash with the sticky bit, one without, one that is a link.
        sticky_ = MakeTop("sticky", 01777) / ".Trash" / user;
        Seed(sticky_);
        loose_ = MakeTop("loose", 0777) / ".Trash" / user;
        Seed(loose_);
        const fs::path linkedTop = MakeTop("linked", 0);
        fs::create_directories(temp_.Path() / "real-shared");
        fs::permissions(temp_.Path() / "real-shared", fs::perms(01777));
        Seed(temp_.Path() / "real-shared" / user);
        fs::create_symlink(temp_.Path() / "real-shared", linkedTop / ".Trash");
        // A per-user trash, and one that is a link to somewhere else.
        own_ = MakeTop("own", 0) / (".Trash-" + user);
        Seed(own_);
        Seed(temp_.Path() / "elsewhere");
        fs::create_symlink(temp_.Path() / "elsewhere",
                           MakeTop("redirected", 0) / (".Trash-" + user));
    }
    void TearDown() override {
        Trash::SetMountTableReader(previous_);
        g_tops.clear();
        // What was left read-only must go with the temporary folder.
        for (const auto& entry : fs::recursive_directory_iterator(temp_.Path())) {
            if (entry.is_directory() && !entry.is_symlink()) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
            }
        }
    }

    // A trash with a file, a read-only file, a folder tree (one level
    // read-only) and a record in info/ for each.
    static void Seed(const fs::path& trash) {
        fs::create_directories(trash / "files/folder/sub");
        fs::create_directories(trash / "info");
        Put((trash / "files/a.txt").string(), "a");
        Put((trash / "files/read-only.txt").string(), "r");
        fs::permissions(trash / "files/read-only.txt", fs::perms::owner_read);
        Put((trash / "files/folder/sub/deep.txt").string(), "d");
        fs::permissions(trash / "files/folder/sub", fs::perms::owner_read | fs::perms::owner_exec);
        for (const char* name : {"a.txt", "read-only.txt", "folder"}) {
            Put((trash / "info" / (std::string(name) + ".trashinfo")).string(), "[Trash Info]\n");
        }
    }

    fs::path MakeTop(const std::string& name, int sharedMode) {
        const fs::path top = temp_.Path() / "mnt" / name;
        fs::create_directories(top);
        if (sharedMode != 0) {
            fs::create_directories(top / ".Trash");
            fs::permissions(top / ".Trash", fs::perms(sharedMode));
        }
        g_tops.push_back(top.string());
        return top;
    }

    TempFolder temp_;
    // Set first: Empty and Folders look at the home trash through it.
    ScopedXdgFolder data_{"XDG_DATA_HOME", temp_.File("data")};
    Trash::MountTableReader previous_ = nullptr;
    fs::path home_, sticky_, loose_, own_;
};

TEST_F(TrashFolders, EmptyingRemovesEverythingButFollowsNoLink) {
    const auto loose = Snapshot(loose_);
    const auto elsewhere = Snapshot(temp_.Path() / "elsewhere");
    const auto shared = Snapshot(temp_.Path() / "real-shared");
    Trash::Empty({}, 0);

    for (const fs::path& trash : {home_, sticky_, own_}) {
        SCOPED_TRACE(trash.string());
        EXPECT_EQ(Count(trash / "files"), 0u);
        EXPECT_EQ(Count(trash / "info"), 0u);
    }
    EXPECT_EQ(fs::file_size(home_ / "directorysizes"), 0u);
    EXPECT_EQ(Slurp(temp_.File("outside.txt")), "keep me");
    EXPECT_EQ(Slurp(temp_.File("outside-folder/inside.txt")), "keep me too");
    EXPECT_EQ(Snapshot(loose_), loose) << "a shared .Trash without the sticky bit is not used";
    EXPECT_EQ(Snapshot(temp_.Path() / "elsewhere"), elsewhere) << "a linked trash is not followed";
    EXPECT_EQ(Snapshot(temp_.Path() / "real-shared"), shared) << "a linked .Trash is not followed";

    bool asked = false;
    Trash::Empty(
        [&asked](std::size_t) {
            asked = true;
            return true;
        },
        0);
    EXPECT_FALSE(asked) << "an empty trash asks nothing";
}

TEST_F(TrashFolders, AnsweringNoChangesNothing) {
    const auto before = Snapshot(temp_.Path());
    std::size_t asked = 0;
    Trash::Empty(
        [&asked](std::size_t items) {
            asked = items;
            return false;
        },
        0);
    // Three items in each of three trashes, two links in the home trash.
    EXPECT_EQ(asked, 11u);
    EXPECT_EQ(Snapshot(temp_.Path()), before);
}

// Root may remove anything: these names are the ones that cannot go.
int RefuseStuckNames(int dirFd, const char* name, int flags) {
    if (std::strncmp(name, "stuck", 5) == 0) {
        errno = EPERM;
        return -1;
    }
    return ::unlinkat(dirFd, name, flags);
}

TEST_F(TrashFolders, AnItemThatStaysKeepsItsRecord) {
    fs::create_directories(home_ / "files/folder/stuck-dir");
    Put((home_ / "files/stuck.txt").string(), "s");
    Put((home_ / "info/stuck.txt.trashinfo").string(), "[Trash Info]\n");
    const Trash::UnlinkAtCall previous = Trash::SetUnlinkAt(&RefuseStuckNames);
    Trash::Empty({}, 0);
    Trash::SetUnlinkAt(previous);

    EXPECT_EQ(Snapshot(home_ / "files"),
              (std::set<std::string>{"folder/", "folder/stuck-dir/", "stuck.txt"}));
    EXPECT_EQ(Snapshot(home_ / "info"),
              (std::set<std::string>{"folder.trashinfo", "stuck.txt.trashinfo"}));
}

TEST(TrashDepth, AnyDepthGoesWithAFewDescriptors) {
    // A tree this deep takes minutes to remove from a journalled disk, and
    // seconds from memory.
    const ScopedXdgFolder tmp("TMPDIR", fs::is_directory("/dev/shm")
                                            ? std::string("/dev/shm")
                                            : fs::temp_directory_path().string());
    TempFolder temp;
    const ScopedXdgFolder data("XDG_DATA_HOME", temp.File("data"));
    const Trash::MountTableReader previous = Trash::SetMountTableReader(&FakeMountTable);
    const fs::path trash = temp.Path() / "data/Trash";
    fs::create_directories(trash / "files/deep");
    fs::create_directories(trash / "info");
    Put((trash / "info/deep.trashinfo").string(), "[Trash Info]\n");
    int fd = ::open((trash / "files/deep").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < 20000 && fd >= 0; ++level) {
        ::mkdirat(fd, "d", 0700);
        const int below = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = below;
    }
    ASSERT_GE(fd, 0);
    Put("/proc/self/fd/" + std::to_string(fd) + "/bottom.txt", "b");
    ::close(fd);

    // Far fewer descriptors than levels, so a walk that keeps one per level
    // runs out.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    rlimit few = limit;
    few.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    Trash::Empty({}, 0);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    Trash::SetMountTableReader(previous);

    EXPECT_TRUE(fs::is_empty(trash / "files"));
    EXPECT_TRUE(fs::is_empty(trash / "info"));
}

struct MountRow {
    const char* name;
    std::string mountInfo;
    std::vector<std::string> tops;
};
class MountInfoRows : public testing::TestWithParam<MountRow> {};

TEST_P(MountInfoRows, FindsTopFolders) {
    EXPECT_EQ(Trash::TopDirectoriesFromMountInfo(GetParam().mountInfo), GetParam().tops);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, MountInfoRows, testing::Values(
    MountRow{"OptionalFieldsOrNone",
             "22 1 8:1 / / rw,relatime shared:1 master:2 - ext4 /dev/sda1 rw\n"
             "40 22 0:5 / /mnt/usb rw - vfat /dev/sdb1 rw\n40 22 0:5 / /mnt/usb rw - vfat /dev/sdb1 rw\n",
             {"/", "/mnt/usb"}},
    MountRow{"EscapedBlanks", "41 22 8:17 / /media/u/My\\040Disk\\011x\\134y rw - ext4 /dev/sdc1 rw\n",
             {"/media/u/My Disk\tx\\y"}},
    MountRow{"KernelFileSystemsAndAutomountsLeftOut",
             "23 22 0:21 / /proc rw - proc proc rw\n25 24 0:23 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
             "26 22 0:24 / /misc rw - autofs systemd-1 rw\n27 22 0:25 / /tmp rw - tmpfs tmpfs rw\nnonsense\n",
             {"/tmp"}}
), RowName());
// clang-format on

} // namespace
