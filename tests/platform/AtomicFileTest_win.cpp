#include "AtomicFile.h"
#include "RowName.h"
#include "TempFolder.h"
#include "Win32Calls.h"
#include "settings/FilePath.h"
#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

TEST(AtomicFileWin, CreatesANewFile) {
    TempFolder folder;
    const std::string path = folder.File("Morvatel.ini");
    ASSERT_TRUE(AtomicFile::Replace(path, "[a]\r\nb=c\r\n"));
    EXPECT_EQ(Slurp(path), "[a]\r\nb=c\r\n");
    EXPECT_EQ(folder.Entries(), 1u);
}

// The program's paths are UTF-8 strings: a folder named in Japanese must
// survive the trip into std::filesystem and the file streams both ways.
TEST(AtomicFileWin, SettingsInAJapaneseFolderAreReadBack) {
    TempFolder folder;
    const std::filesystem::path japanese = folder.Path() / u8"駅の 時計";
    std::filesystem::create_directory(japanese);
    const std::string path = PathText(japanese / "Morvatel.ini");
    ASSERT_TRUE(AtomicFile::Replace(path, "[Morvatel 1.10]\r\n"));
    const SettingsFile::FileBytes read = SettingsFile::ReadFileBytes(path);
    EXPECT_EQ(read.status, SettingsFile::ReadStatus::Read);
    EXPECT_EQ(read.bytes, "[Morvatel 1.10]\r\n");
}

TEST(AtomicFileWin, ReadOnlyFileIsLeftAlone) {
    TempFolder folder;
    const std::string path = folder.File("Morvatel.ini");
    Put(path, "old");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(AtomicFile::Replace(path, "new"));
    EXPECT_EQ(Slurp(path), "old");
    EXPECT_EQ(folder.Entries(), 1u);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(AtomicFileWin, RemovesOnlyItsOwnStaleTemporaryFiles) {
    TempFolder folder;
    // No process has an id that is not a multiple of four.
    const std::string dead = "4294967290";
    const std::string own = std::to_string(GetCurrentProcessId());
    const struct {
        std::string name;
        bool old;
        bool removed;
    } rows[] = {
        {".Morvatel.ini.tmp-" + dead + "-0", true, true},
        {".Morvatel.ini.tmp-" + dead + "-1", false, false},
        {".Morvatel.ini.tmp-" + own + "-5", true, false},
        {".Other.ini.tmp-" + dead + "-0", true, false},
        {".Morvatel.ini.tmp-" + dead + "-0.bak", true, false},
    };
    for (const auto& row : rows) {
        Put(folder.File(row.name), "x");
        if (row.old) {
            std::filesystem::last_write_time(folder.File(row.name),
                                             std::filesystem::file_time_type::clock::now() -
                                                 std::chrono::minutes(2));
        }
    }
    ASSERT_TRUE(AtomicFile::Replace(folder.File("Morvatel.ini"), "new"));
    for (const auto& row : rows) {
        EXPECT_EQ(std::filesystem::exists(folder.File(row.name)), !row.removed) << row.name;
    }
}

// Each system call of a replacement, made to fail as the system would.
enum class Step { Create, Write, Flush, Close, Replace, ReplaceAndMove };

Step g_failing = Step::Create;

BOOL Failed() {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
}

const Win32Calls kFailing{
    [](const wchar_t* path) {
        if (g_failing == Step::Create) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        return RealWin32Calls().createNew(path);
    },
    [](HANDLE file, const void* data, DWORD size, DWORD* written) {
        return g_failing == Step::Write ? Failed()
                                        : RealWin32Calls().write(file, data, size, written);
    },
    [](HANDLE file) { return g_failing == Step::Flush ? Failed() : RealWin32Calls().flush(file); },
    [](HANDLE file) {
        // The handle is closed either way, as CloseHandle does.
        const BOOL ok = RealWin32Calls().close(file);
        return g_failing == Step::Close ? Failed() : ok;
    },
    [](const wchar_t* target, const wchar_t* replacement) {
        return g_failing == Step::Replace || g_failing == Step::ReplaceAndMove
                   ? Failed()
                   : RealWin32Calls().replace(target, replacement);
    },
    [](const wchar_t* from, const wchar_t* to) {
        return g_failing == Step::ReplaceAndMove ? Failed() : RealWin32Calls().move(from, to);
    },
    [](const wchar_t* path) { return RealWin32Calls().remove(path); },
};

struct FailRow {
    const char* name;
    Step step;
    bool saved; // the move stands in for a refused ReplaceFileW
};

class FailingStep : public testing::TestWithParam<FailRow> {};

TEST_P(FailingStep, LeavesOneWholeFileAndNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.File("Morvatel.ini");
    Put(path, "old");
    g_failing = GetParam().step;
    EXPECT_EQ(AtomicFile::Replace(path, "new content", kFailing), GetParam().saved);
    EXPECT_EQ(Slurp(path), GetParam().saved ? "new content" : "old");
    EXPECT_EQ(folder.Entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep,
                         testing::Values(FailRow{"Create", Step::Create, false},
                                         FailRow{"Write", Step::Write, false},
                                         FailRow{"Flush", Step::Flush, false},
                                         FailRow{"Close", Step::Close, false},
                                         FailRow{"Replace", Step::Replace, true},
                                         FailRow{"ReplaceAndMove", Step::ReplaceAndMove, false}),
                         RowName());

} // namespace
