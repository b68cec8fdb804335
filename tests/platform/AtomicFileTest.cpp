#include "AtomicFile.h"
#include "PosixCalls.h"
#include "RowName.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    std::string Path(const std::string& name) const { return folder_.File(name); }
    std::size_t Entries() const { return folder_.Entries(); }

    TempFolder folder_;
    const std::filesystem::path& dir_ = folder_.Path();
};

TEST_F(AtomicFileTest, CreatesANewFile) {
    const std::string path = Path("Morvatel.ini");
    ASSERT_TRUE(AtomicFile::Replace(path, "[a]\nb=c\n"));
    EXPECT_EQ(Slurp(path), "[a]\nb=c\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, ReplacesAndKeepsTheMode) {
    const std::string path = Path("Morvatel.ini");
    std::ofstream(path) << "old content that is longer than the new one";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(AtomicFile::Replace(path, "new"));
    EXPECT_EQ(Slurp(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, MissingFolderFailsCleanly) {
    EXPECT_FALSE(AtomicFile::Replace(Path("no-such-folder/Morvatel.ini"), "x"));
    EXPECT_EQ(Entries(), 0u);
}

TEST_F(AtomicFileTest, FolderInTheWayFailsAndLeavesNoTemporaryFile) {
    const std::string path = Path("Morvatel.ini");
    fs::create_directory(path);
    std::ofstream(Path("Morvatel.ini/inside")) << "keep";
    EXPECT_FALSE(AtomicFile::Replace(path, "x"));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(Slurp(Path("Morvatel.ini/inside")), "keep");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, RemovesOnlyItsOwnStaleTemporaryFiles) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string dead = std::to_string(child);
    struct Row {
        std::string name;
        bool old;
        bool removed;
    };
    const Row rows[] = {
        {".Morvatel.ini.tmp-" + dead + "-0", true, true},
        {".Morvatel.ini.tmp-" + dead + "-1", false, false}, // may be a save under way
        {".Morvatel.ini.tmp-1-0", true, false},             // its process runs
        {".Morvatel.ini.tmp-" + std::to_string(::getpid()) + "-7", true, false},
        {".Other.ini.tmp-" + dead + "-0", true, false},
        {".Morvatel.ini.tmp-" + dead + "-0.bak", true, false},
        {".Morvatel.ini.tmp-" + dead + "-x", true, false},
        {"Morvatel.ini.tmp-" + dead + "-0", true, false},
    };
    const timespec minutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    for (const Row& row : rows) {
        Put(Path(row.name), "x");
        if (row.old) {
            ASSERT_EQ(::utimensat(AT_FDCWD, Path(row.name).c_str(), minutesAgo, 0), 0);
        }
    }
    // Not plain files: never removed.
    fs::create_directory(Path(".Morvatel.ini.tmp-" + dead + "-2"));
    fs::create_symlink(Path("Morvatel.ini"), Path(".Morvatel.ini.tmp-" + dead + "-3"));
    ASSERT_EQ(::utimensat(AT_FDCWD, Path(".Morvatel.ini.tmp-" + dead + "-3").c_str(), minutesAgo,
                          AT_SYMLINK_NOFOLLOW),
              0);

    ASSERT_TRUE(AtomicFile::Replace(Path("Morvatel.ini"), "new"));
    for (const Row& row : rows) {
        EXPECT_EQ(fs::exists(Path(row.name)), !row.removed) << row.name;
    }
    EXPECT_EQ(Entries(), std::size(rows) + 2);
}

TEST_F(AtomicFileTest, LinkStaysALink) {
    fs::create_directory(dir_ / "real");
    const std::string target = Path("real/Morvatel.ini");
    std::ofstream(target) << "old";
    const std::string link = Path("Morvatel.ini");
    fs::create_symlink("real/Morvatel.ini", link);
    ASSERT_TRUE(AtomicFile::Replace(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "real"), fs::directory_iterator()), 1);
}

// Each system call of a replacement, made to fail as the system would: the
// old file survives whole and no temporary file is left beside it.
enum class Step { Open, Write, Fsync, Close, Rename };

struct FailRow {
    const char* name;
    Step step;
};

Step g_failing = Step::Open;

int Failed() {
    errno = EIO;
    return -1;
}

const PosixCalls kFailing{
    [](const char* path, int flags, mode_t mode) {
        // Only the temporary file's open may fail; the folder's comes after the
        // rename and is allowed to.
        if (g_failing == Step::Open && (flags & O_CREAT) != 0) {
            return Failed();
        }
        return RealPosixCalls().open(path, flags, mode);
    },
    [](int fd, const void* data, size_t size) -> ssize_t {
        return g_failing == Step::Write ? Failed() : RealPosixCalls().write(fd, data, size);
    },
    [](int fd) { return g_failing == Step::Fsync ? Failed() : RealPosixCalls().fsync(fd); },
    [](int fd) {
        // The descriptor is closed either way, as close(2) does.
        const int rc = RealPosixCalls().close(fd);
        return g_failing == Step::Close ? Failed() : rc;
    },
    [](const char* from, const char* to) {
        return g_failing == Step::Rename ? Failed() : RealPosixCalls().rename(from, to);
    },
    [](const char* path) { return RealPosixCalls().unlink(path); },
};

class FailingStep : public testing::TestWithParam<FailRow> {};

TEST_P(FailingStep, LeavesTheOldFileAndNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.File("Morvatel.ini");
    Put(path, "old");
    g_failing = GetParam().step;
    EXPECT_FALSE(AtomicFile::Replace(path, "new content", kFailing));
    EXPECT_EQ(Slurp(path), "old");
    EXPECT_EQ(folder.Entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep,
                         testing::Values(FailRow{"Open", Step::Open}, FailRow{"Write", Step::Write},
                                         FailRow{"Fsync", Step::Fsync},
                                         FailRow{"Close", Step::Close},
                                         FailRow{"Rename", Step::Rename}),
                         RowName());

} // namespace
