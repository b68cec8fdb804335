#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("morvatel-atomic-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Everything in the folder: a failed or finished replace leaves no
    // temporary file behind.
    std::size_t Entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
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

} // namespace
