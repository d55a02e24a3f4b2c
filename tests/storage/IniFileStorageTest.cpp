// The INI file storage against the real file system under Wine: the bytes written, what
// Windows' own INI reader makes of them, read-only files, failed writes and the file mutex.
#include "OcAppIniFileStorage.h"

#include "BcSynch.h"
#include "FileBytes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <thread>

using namespace storage;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

struct ErrorSink {
    std::vector<std::string> messages;
    void OnError(classlib::TObject*, const std::string& message) { messages.push_back(message); }
};

struct IniFileStorageTest : ::testing::Test {
    IniFileStorageTest()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "brenvik-ini-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(folder.c_str(), nullptr);
        file = folder + "\\Settings.ini";
    }
    ~IniFileStorageTest() override
    {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    // A storage as the form loader makes it: properties set while loading, then Loaded.
    TOcAppIniFileStorage* Open(const std::string& name)
    {
        auto* s = new TOcAppIniFileStorage(nullptr);
        s->OnError = TOcAppStorageErrorEvent(&errors, &ErrorSink::OnError);
        s->SetLocation(flCustom);
        s->SetFileName(name);
        return s;
    }
    std::vector<std::string> FolderEntries()
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (data.cFileName[0] != '.')
                names.push_back(data.cFileName);
        } while (FindNextFileA(h, &data));
        FindClose(h);
        return names;
    }
    std::string folder;
    std::string file;
    ErrorSink errors;
};

} // namespace

TEST_F(IniFileStorageTest, WritesTheDocumentOnDestroyInTheFileFormat)
{
    auto* s = Open(file);
    EXPECT_EQ(s->LoadInteger("frmDovrel\\ShowCmd", 1), 1); // no file yet: defaults
    s->StoreInteger("frmDovrel\\FormVersion", 0);
    s->StoreBoolean("frmDovrel\\CheckBoxClose_Checked", false);
    s->StoreString("frmDovrel\\OpenDialog1_InitialDir", "Z:\\home\\fw");
    s->StoreInteger("frmDovrel\\MCUComboBox_ItemIndex", -1);
    s->Free();
    const std::string expected =
        "[frmDovrel]\r\nFormVersion=0\r\nCheckBoxClose_Checked=FALSE\r\n"
        "OpenDialog1_InitialDir=Z:\\home\\fw\r\nMCUComboBox_ItemIndex=-1\r\n\r\n";
    EXPECT_EQ(ReadBytes(file), expected);
    EXPECT_EQ(FolderEntries(),
              std::vector<std::string>{"Settings.ini"}); // no temporary left behind

    // Windows' own INI reader sees the same values.
    char value[256];
    GetPrivateProfileStringA("frmDovrel", "OpenDialog1_InitialDir", "", value, sizeof value,
                             file.c_str());
    EXPECT_STREQ(value, "Z:\\home\\fw");
    GetPrivateProfileStringA("frmDovrel", "CheckBoxClose_Checked", "", value, sizeof value,
                             file.c_str());
    EXPECT_STREQ(value, "FALSE");
    EXPECT_EQ(static_cast<int>(
                  GetPrivateProfileIntA("frmDovrel", "MCUComboBox_ItemIndex", 7, file.c_str())),
              -1);

    // Reopened, updated and saved: the order and unknown keys of the file are kept.
    WriteBytes(file, "; hand-edited\r\n[frmDovrel]\r\n  Extra = kept \r\nFormVersion=0\r\n");
    s = Open(file);
    s->StoreInteger("frmDovrel\\ShowCmd", 3);
    s->StoreInteger("frmDovrel\\FormVersion", 1);
    s->Free();
    EXPECT_EQ(ReadBytes(file), "[frmDovrel]\r\nExtra=kept\r\nFormVersion=1\r\nShowCmd=3\r\n\r\n");
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(IniFileStorageTest, ReadOnlyFileIsLeftByteIdentical)
{
    const std::string original = "[frmDovrel]\nShowCmd=1\n";
    WriteBytes(file, original);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    auto* s = Open(file);
    EXPECT_TRUE(s->IsReadOnly());
    EXPECT_EQ(s->LoadInteger("frmDovrel\\ShowCmd", 0), 1);
    s->StoreInteger("frmDovrel\\ShowCmd", 3);
    EXPECT_EQ(s->LoadInteger("frmDovrel\\ShowCmd", 0), 1);
    s->Free();
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(IniFileStorageTest, FailedWriteKeepsTheOldFileAndReportsWhy)
{
    const std::string original = "[s]\r\nv=old\r\n\r\n";
    WriteBytes(file, original);
    auto* s = Open(file);
    s->StoreString("s\\v", "new");
    // Another process holds the file open without sharing deletion: it cannot be replaced.
    HANDLE holder = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    s->Flush();
    CloseHandle(holder);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].find("Settings.ini"), std::string::npos) << errors.messages[0];
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Settings.ini"});
    s->Free(); // now it can be written
    EXPECT_EQ(ReadBytes(file), "[s]\r\nv=new\r\n\r\n");
}

TEST_F(IniFileStorageTest, RenamingMovesToTheNewFileWithExtension)
{
    auto* s = Open(file);
    s->StoreString("s\\a", "first");
    s->SetFileName(folder + "\\Other");
    EXPECT_EQ(s->FullFileName(), folder + "\\Other.ini");
    EXPECT_EQ(ReadBytes(file), "[s]\r\na=first\r\n\r\n"); // the old file got the document
    EXPECT_EQ(s->LoadString("s\\a", "absent"), "absent"); // the new one had nothing
    s->Free();
    DeleteFileA((folder + "\\Other.ini").c_str());
}

TEST_F(IniFileStorageTest, ExecutableFolderIsTheDefaultLocation)
{
    auto* s = new TOcAppIniFileStorage(nullptr);
    s->SetFlushOnDestroy(false);
    s->SetFileName("Settings.ini");
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string expected = exe;
    expected = expected.substr(0, expected.rfind('\\') + 1) + "Settings.ini";
    EXPECT_EQ(s->FullFileName(), expected);
    s->Free();
}

// The mutex name is the Base64 text of "TOcCustomAppStorage.Synchronize:" + the full file name;
// the expected names were encoded with Python's base64 module (each padding length once).
TEST(IniFileStorageMutex, NameIsTheBase64OfPrefixAndFileName)
{
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"C:\\Brenvik\\Settings.ini",
         "VE9jQ3VzdG9tQXBwU3RvcmFnZS5TeW5jaHJvbml6ZTpDOlxCcmVudmlrXFNldHRpbmdzLmluaQ=="},
        {"C:\\ab.ini", "VE9jQ3VzdG9tQXBwU3RvcmFnZS5TeW5jaHJvbml6ZTpDOlxhYi5pbmk="},
        {"C:\\abc.ini", "VE9jQ3VzdG9tQXBwU3RvcmFnZS5TeW5jaHJvbml6ZTpDOlxhYmMuaW5p"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TOcAppIniFileStorage::FileMutexName(c.file), c.name) << c.file;
}

TEST_F(IniFileStorageTest, AbandonedFileMutexCountsAsAcquired)
{
    const std::string name = TOcAppIniFileStorage::FileMutexName(file);
    EXPECT_EQ(name.find_first_of("\r\n\\"), std::string::npos);
    // A thread takes the mutex and ends without releasing it.
    std::thread([&] {
        HANDLE m = CreateMutexA(nullptr, TRUE, name.c_str());
        ASSERT_NE(m, nullptr);
    }).join();
    auto* s = Open(file);
    s->SetSynchronizeFlushReload(true);
    s->StoreString("s\\v", "saved");
    s->Flush();
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(ReadBytes(file), "[s]\r\nv=saved\r\n\r\n");
    // The mutex was released again: another party can take it at once.
    HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);
    ReleaseMutex(m);
    CloseHandle(m);
    s->Free();
}
