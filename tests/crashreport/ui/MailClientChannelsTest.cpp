// MAPI through the tests' fake mapi32.dll (loaded instead of Wine's through WINEDLLOVERRIDES
// for this test program only) and "mailto" through a recording program registered for the
// protocol in the test prefix.
#include "FileBytes.h"
#include "BugReportDeliveryWin.h"
#include "MailClientChannels.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace crashreport {
namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

class MapiChannel : public ::testing::Test {
protected:
    void SetUp() override
    {
        record_ = ::testing::TempDir() + "mapi-record-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        DeleteFileA(record_.c_str());
        SetEnvironmentVariableA("BRENVIK_MAPI_RECORD", record_.c_str());
        SetEnvironmentVariableA("BRENVIK_MAPI_RESULT", "0");
    }
    std::string Record() const { return testsupport::ReadBytes(record_); }
    std::string record_;
};

TEST_F(MapiChannel, HandsTheMailToTheMailClient)
{
    ASSERT_EQ(SendViaMapi("Ann Lee <ann@x.test>; bob@y.test", "Crash", "the report", true, nullptr,
                          {"bugreport.txt", "screen.png"},
                          {"C:\\tmp\\bugreport.txt", "C:\\tmp\\screenShot.png"}),
              MapiOutcome::sent);
    EXPECT_EQ(Record(),
              "session=0\nparent=0\nflags=0\nreserved=0\nsubject=Crash\nnote=the "
              "report\noriginator=none\n"
              "recipient=1|Ann Lee |SMTP:ann@x.test\nrecipient=1|bob@y.test|SMTP:bob@y.test\n"
              "file=4294967295|C:\\tmp\\bugreport.txt|bugreport.txt\nfile=4294967295|C:"
              "\\tmp\\screenShot.png|screen.png\n");
}

TEST_F(MapiChannel, ShowsTheMailUnlessHiddenWithRecipients)
{
    struct Case {
        const char* recipients;
        bool hidden;
        const char* flags;
    } cases[] = {
        {"a@x.test", true, "flags=0\n"},
        {"a@x.test", false, "flags=9\n"}, // MAPI_LOGON_UI | MAPI_DIALOG
        {"", true, "flags=9\n"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SendViaMapi(c.recipients, "S", "B", c.hidden, nullptr, {}, {}),
                  MapiOutcome::sent);
        EXPECT_NE(Record().find(c.flags), std::string::npos) << c.recipients << " " << c.hidden;
    }
}

TEST_F(MapiChannel, MapsTheClientsAnswer)
{
    struct Case {
        const char* code;
        MapiOutcome outcome;
    } cases[] = {{"0", MapiOutcome::sent},
                 {"1", MapiOutcome::cancelled},
                 {"2", MapiOutcome::failed},
                 {"26", MapiOutcome::failed}};
    for (const Case& c : cases) {
        SetEnvironmentVariableA("BRENVIK_MAPI_RESULT", c.code);
        EXPECT_EQ(SendViaMapi("a@x.test", "S", "B", false, nullptr, {}, {}), c.outcome) << c.code;
    }
}

class MailtoChannel : public ::testing::Test {
protected:
    static constexpr const char* kKey = "mailto\\shell\\open\\command";
    void SetUp() override
    {
        record_ = ::testing::TempDir() + "mailto-record-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        DeleteFileA(record_.c_str());
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            char value[1024] = {};
            DWORD size = sizeof value - 1;
            if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                                 &size) == ERROR_SUCCESS)
                saved_ = value;
            RegCloseKey(key);
        }
    }
    void TearDown() override { Register(saved_); }
    static void Register(const std::string& command)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(key);
    }
    // The recorded command line, waited for a bounded time.
    std::string Recorded() const
    {
        for (int i = 0; i < 200 && GetFileAttributesA(record_.c_str()) == INVALID_FILE_ATTRIBUTES;
             ++i)
            Sleep(50);
        return testsupport::ReadBytes(record_);
    }
    std::string record_;
    std::string saved_;
};

TEST_F(MailtoChannel, StartsTheRegisteredProgramWithTheEscapedUrl)
{
    const std::string program =
        "\"" + ProgramFolder() + "mailto_recorder.exe\" \"" + record_ + "\" ";
    Register(program + "%1");
    ASSERT_TRUE(SendViaMailto("a@x.test; b@y.test", "Crash & more", "line 1\r\nline \xE4 + 2"));
    EXPECT_EQ(Recorded(), program +
                              "mailto:a@x.test,b@y.test?subject=Crash%20%26%20more&body=line%201%"
                              "0D%0Aline%20\xE4%20%2B%202");

    // Without "%1" the address follows the command after its blank.
    DeleteFileA(record_.c_str());
    Register(program);
    ASSERT_TRUE(SendViaMailto("a@x.test", "S", "B"));
    EXPECT_EQ(Recorded(), program + "mailto:a@x.test?subject=S&body=B");
}

TEST_F(MailtoChannel, FailsWithoutARegisteredProgram)
{
    Register("");
    EXPECT_FALSE(SendViaMailto("a@x.test", "S", "B"));
    Register("\"" + ProgramFolder() + "no-such-program.exe\" %1");
    EXPECT_FALSE(SendViaMailto("a@x.test", "S", "B"));
}

// A delivery whose only channel is MAPI, with the subsystem's own bug-report copy and
// screenshot file in a temp folder of the test, and an engine that holds the main thread.
class MapiDelivery : public MapiChannel {
protected:
    void SetUp() override
    {
        MapiChannel::SetUp();
        temp_ = ::testing::TempDir() + "delivery-temp-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        CreateDirectoryA(temp_.c_str(), nullptr);
        DeleteFileA((temp_ + "bugreport.txt").c_str());
        auto engine = std::make_shared<DeliveryEngine>();
        engine->tempFolder = temp_;
        engine->screenshot = crashui::CaptureScreen(false);
        engine->reportSaved = [] { return false; };
        engine->markReportSent = [this] { sentMarks_ += 1; };
        // The mail client's record tells whether the call came before or after.
        engine->mainThread.unblock = [this] {
            holdLog_ += Record().empty() ? "released " : "released-late ";
            return mainThreadHeld_;
        };
        engine->mainThread.block = [this] { holdLog_ += Record().empty() ? "held-early" : "held"; };
        engine_ = engine;
        settings_.mailAddr = "support@y.test";
        settings_.mailViaMapi = true;
        settings_.attachBugRep = true;
        settings_.bugReportFile = "C:\\no-such-folder\\bugreport.txt";
        settings_.bugRepSendAs = "bugreport.txt";
        settings_.scrShotSendAs = "screen.png";
        settings_.scrShotDepth = 4;
    }
    std::string temp_;
    std::shared_ptr<const DeliveryEngine> engine_;
    DeliverySettings settings_;
    LONG sentMarks_ = 0;
    bool mainThreadHeld_ = true;
    std::string holdLog_;
};

TEST_F(MapiDelivery, BackgroundThreadHandsTheReportAndScreenshotToTheMailClient)
{
    ASSERT_TRUE(engine_->screenshot);
    HANDLE thread = nullptr;
    ASSERT_EQ(
        DeliverBugReport("the report", settings_, engine_, nullptr, &thread, false, true, true), 1);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_NE(Record().find("file=4294967295|" + temp_ + "bugreport.txt|bugreport.txt\n"),
              std::string::npos)
        << Record();
    EXPECT_NE(Record().find("file=4294967295|" + temp_ + "screenShot.png|screen.png\n"),
              std::string::npos)
        << Record();
    EXPECT_NE(Record().find("flags=0\n"), std::string::npos) << "hidden, with a recipient";
    // The copy holds the report as the bug-report file stores it, followed by an empty line.
    EXPECT_EQ(testsupport::ReadBytes(temp_ + "bugreport.txt"), "the report\r\n\r\n");
    // MAPI still needs the screenshot: it stays, in the gray form depth 4 asks for.
    EXPECT_EQ(testsupport::ReadBytes(temp_ + "screenShot.png"), engine_->screenshot->PngBytes(1));
    EXPECT_EQ(sentMarks_, 1);
    EXPECT_EQ(holdLog_, "released held") << "the main thread is free during the call only";
}

TEST_F(MapiDelivery, CancelledMailIsNotMarkedSent)
{
    SetEnvironmentVariableA("BRENVIK_MAPI_RESULT", "1");
    mainThreadHeld_ = false; // not held: nothing to hold again
    EXPECT_EQ(
        DeliverBugReport("the report", settings_, engine_, nullptr, nullptr, false, false, true),
        2);
    EXPECT_EQ(sentMarks_, 0);
    EXPECT_EQ(holdLog_, "released ");
}

// While another thread holds the loader lock the mail client is not loaded (its library's
// start-up would wait for the lock): the send fails; once the lock is free the same send goes
// out.
TEST_F(MapiChannel, RefusedWhileTheLoaderLockIsHeld)
{
    using LockLoader = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
    using UnlockLoader = LONG(NTAPI*)(ULONG, ULONG_PTR);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto lock = reinterpret_cast<LockLoader>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
    const auto unlock = reinterpret_cast<UnlockLoader>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
    ASSERT_TRUE(lock && unlock);
    const HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        ULONG_PTR cookie = 0;
        lock(0, nullptr, &cookie);
        SetEvent(taken);
        WaitForSingleObject(done, INFINITE);
        unlock(0, cookie);
    });
    WaitForSingleObject(taken, INFINITE);
    EXPECT_EQ(SendViaMapi("a@x.test", "S", "B", true, nullptr, {}, {}), MapiOutcome::failed);
    SetEvent(done);
    holder.join();
    CloseHandle(taken);
    CloseHandle(done);
    EXPECT_EQ(SendViaMapi("a@x.test", "S", "B", true, nullptr, {}, {}), MapiOutcome::sent);
}

} // namespace
} // namespace crashreport
