// The file-system side of the path routines under Wine.
#include "BcFileUtilsWin.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace bcl;

TEST(Folders, FileExistsNotFolder)
{
    const std::string folder = peer::TestFolder();
    EXPECT_TRUE(FileExistsNotFolder(ModuleFileName(nullptr)));
    EXPECT_FALSE(FileExistsNotFolder(folder));
    EXPECT_FALSE(FileExistsNotFolder(folder + "no such file.ini"));
    EXPECT_FALSE(FileExistsNotFolder(""));
}

TEST(Folders, StandardFolders)
{
    const std::string temp = TempFolderWithSeparator();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_EQ(WindowsTempFolder() + "\\", temp);
    EXPECT_EQ(temp.find('\0'), std::string::npos);

    const char* windir = std::getenv("WINDIR");
    ASSERT_NE(windir, nullptr);
    EXPECT_EQ(_stricmp(WindowsFolder().c_str(), windir), 0) << WindowsFolder();

    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(_stricmp(AppDataFolder().c_str(), appData), 0) << AppDataFolder();
    EXPECT_EQ(SpecialFolderPath(0x7FFF), "");
}

TEST(Folders, ModuleFileNameOfTheProgram)
{
    const std::string name = ModuleFileName(nullptr);
    EXPECT_EQ(name.substr(name.find_last_of('\\') + 1), "bcl_windows_tests.exe");
    EXPECT_EQ(name.find('\0'), std::string::npos);
}
