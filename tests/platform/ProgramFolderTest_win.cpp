#include "ProgramFolder.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <windows.h>

namespace {

TEST(ProgramFolderWin, ExecutableFolderHoldsThisProgram) {
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(ProgramFolder::ExecutableFolder()) /
                                        "platform_test.exe"));
}

TEST(ProgramFolderWin, WritableProbeLeavesNothingBehind) {
    TempFolder folder;
    EXPECT_TRUE(ProgramFolder::IsWritable(folder.Path().string()));
    EXPECT_EQ(folder.Entries(), 0u);
    EXPECT_FALSE(ProgramFolder::IsWritable(folder.File("missing")));
}

TEST(ProgramFolderWin, UserFolderIsUnderAppData) {
    char appData[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(ProgramFolder::UserConfigFolder(), std::string(appData) + "\\Morvatel");
}

} // namespace
