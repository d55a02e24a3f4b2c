// A whole delivery with this subsystem's real pieces connected (bug-report copy, screenshot
// PNG, zip archives, progress popup) against the real servers of peers.py (started for this
// test process by peers.sh): the mail the SMTP sink receives and the form the HTTP server
// parses carry a zip archive that Python's zipfile opens, holding the files given.
#include "BugReportDeliveryWin.h"
#include "FileBytes.h"
#include "GuiTest.h"
#include "ProgressAlert.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <vector>

namespace crashreport {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Received(const std::string& file)
{
    return testsupport::ReadBytes(Env("BRENVIK_PEERS_DIR") + "/" + file);
}

bool ReceivedExists(const std::string& file)
{
    return GetFileAttributesA((Env("BRENVIK_PEERS_DIR") + "/" + file).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

// The progress popups this thread creates and destroys (a CBT hook of the thread).
struct PopupLog {
    static PopupLog* current;
    std::vector<std::string> titles;
    int created = 0;
    int destroyed = 0;
    HWND popup = nullptr;
};
PopupLog* PopupLog::current = nullptr;

LRESULT CALLBACK WatchPopups(int code, WPARAM wParam, LPARAM lParam)
{
    PopupLog* log = PopupLog::current;
    const HWND window = reinterpret_cast<HWND>(wParam);
    char className[64] = {};
    if (log && (code == HCBT_CREATEWND || code == HCBT_DESTROYWND))
        GetClassNameA(window, className, sizeof className);
    if (log && std::string(className) == crashui::kProgressAlertClass) {
        if (code == HCBT_CREATEWND) {
            const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
            log->titles.push_back(create->lpcs->lpszName ? create->lpcs->lpszName : "");
            log->popup = window;
            ++log->created;
        } else {
            ++log->destroyed;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class ConnectedDelivery : public testsupport::GuiTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Env("BRENVIK_PEERS_DIR").empty()) << "run through peers.sh";
        // Test processes run side by side: each test has folders of its own.
        folder_ = ::testing::TempDir() + "connected-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        temp_ = folder_ + "temp\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        CreateDirectoryA(temp_.c_str(), nullptr);
        notes_ = folder_ + "connected-notes.txt";
        loose_ = folder_ + "connected-loose.bin";
        testsupport::WriteBytes(notes_, "build 1.2.3\r\nno further notes\r\n");
        testsupport::WriteBytes(loose_, std::string("\x00\x01\xFF binary", 10));

        auto engine = std::make_shared<DeliveryEngine>();
        engine->tempFolder = temp_;
        engine->screenshot = crashui::CaptureScreen(false);
        ASSERT_TRUE(engine->screenshot);
        engine->settingsModule = GetModuleHandleA(nullptr);
        engine->reportSaved = [] { return false; };
        engine->markReportSent = [this] { ++sentMarks_; };
        engine_ = engine;

        settings_.mailAddr = "support@y.test";
        settings_.mailSubject = "Crash report";
        settings_.mailBody = "The report is attached.";
        settings_.attachBugRep = true;
        settings_.bugReportFile = folder_ + "no-saved-file\\bugreport.txt";
        settings_.bugRepSendAs = "bugreport.txt";
        settings_.bugRepZip = "report.zip";
        settings_.scrShotDepth = 4; // the 16-level gray form
        settings_.scrShotSendAs = "screen.png";
        settings_.scrShotZip = "report.zip";
        // A zip name differing only in letter case joins the same archive; no zip name: as is.
        settings_.additionalAttachments = {{notes_, "notes.txt", "REPORT.ZIP", ""},
                                           {loose_, "loose.bin", "", ""}};
        settings_.sendBoxTitle = "Sending the bug report";
        settings_.prepAttMsg = "Preparing attachments...";
        settings_.texts = {"Looking up",     "Connecting",          "Authorizing", "Sending mail",
                           "Sending fields", "Sending attachments", "Finishing"};
        settings_.sendFailMsg = "The report could not be sent.";
    }
    void TearDown() override
    {
        DeleteFileA(notes_.c_str());
        DeleteFileA(loose_.c_str());
        GuiTest::TearDown();
    }

    // The archive's members as zipfile read them: the names in order and each one's bytes.
    void ExpectArchive(const std::string& archiveFolder)
    {
        EXPECT_FALSE(ReceivedExists(archiveFolder + "/error.txt"))
            << Received(archiveFolder + "/error.txt");
        EXPECT_EQ(Received(archiveFolder + "/members.txt"),
                  "bugreport.txt\nscreen.png\nnotes.txt\n");
        EXPECT_EQ(Received(archiveFolder + "/bugreport.txt"), kReport + std::string("\r\n\r\n"));
        EXPECT_EQ(Received(archiveFolder + "/screen.png"), engine_->screenshot->PngBytes(1));
        EXPECT_EQ(Received(archiveFolder + "/notes.txt"), testsupport::ReadBytes(notes_));
    }

    // A delivery on this thread, with the popup's windows and the parent's enabling recorded.
    uint8_t DeliverHere(PopupLog& log, std::vector<WPARAM>& enabling)
    {
        const HWND parent = CreateTestWindow(
            "Exception box", 400, 300, [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
                if (message == WM_ENABLE)
                    enabling.push_back(wParam);
                return false;
            });
        PopupLog::current = &log;
        HHOOK hook = SetWindowsHookExA(WH_CBT, WatchPopups, nullptr, GetCurrentThreadId());
        const uint8_t result =
            DeliverBugReport(kReport, settings_, engine_, parent, nullptr, false, false, false);
        UnhookWindowsHookEx(hook);
        PopupLog::current = nullptr;
        return result;
    }

    static constexpr const char* kReport =
        "date/time          : 2026-12-11, 08:00:00\r\n"
        "exception message  : Access violation.\r\n"
        ".\r\n"
        "main thread ($1):\r\n";
    std::string folder_, temp_, notes_, loose_;
    std::shared_ptr<const DeliveryEngine> engine_;
    DeliverySettings settings_;
    int sentMarks_ = 0;
};

TEST_F(ConnectedDelivery, MailCarriesTheZippedReportScreenshotAndAttachments)
{
    settings_.mailAsSmtpClient = true;
    settings_.smtpServer = "127.0.0.1";
    settings_.smtpPort = std::atoi(Env("BRENVIK_SMTP_PORT").c_str());
    PopupLog log;
    std::vector<WPARAM> enabling;
    ASSERT_EQ(DeliverHere(log, enabling), 1);

    EXPECT_EQ(Received("mail-1/type-report.zip"), "application/octet-stream");
    ExpectArchive("mail-1/zip-report.zip");
    EXPECT_EQ(Received("mail-1/attachment-loose.bin"), testsupport::ReadBytes(loose_));
    EXPECT_FALSE(ReceivedExists("mail-1/attachment-notes.txt")) << "it went into the archive";
    EXPECT_EQ(Received("mail-1/body.txt"), settings_.mailBody);

    // The popup was shown with the send box's title, kept the exception box disabled, and is
    // gone; so is the screenshot's file, the mail having gone out.
    EXPECT_EQ(log.titles, std::vector<std::string>{"Sending the bug report"});
    EXPECT_EQ(log.destroyed, 1);
    EXPECT_EQ(enabling, (std::vector<WPARAM>{FALSE, TRUE}));
    EXPECT_EQ(GetFileAttributesA((temp_ + "screenShot.png").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(sentMarks_, 1);
}

TEST_F(ConnectedDelivery, UploadPostsTheArchiveAsAFormFile)
{
    settings_.uploadViaHttp = true;
    settings_.httpServer = "http://127.0.0.1:" + Env("BRENVIK_HTTP_PORT") + "/upload";
    PopupLog log;
    std::vector<WPARAM> enabling;
    ASSERT_EQ(DeliverHere(log, enabling), 1);

    EXPECT_EQ(Received("post-1/filename-report.zip"), "report.zip");
    ExpectArchive("post-1/zip-report.zip");
    EXPECT_EQ(Received("post-1/file-loose"), testsupport::ReadBytes(loose_));
    EXPECT_EQ(Received("post-1/field-MailSubject"), "Crash report");
    EXPECT_EQ(Received("post-1/field-MailAddr"), "support@y.test");
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.destroyed, 1);
    EXPECT_EQ(sentMarks_, 1);
}

TEST_F(ConnectedDelivery, BackgroundThreadSendsWithItsOwnPopup)
{
    settings_.uploadViaHttp = true;
    settings_.httpServer = "http://127.0.0.1:" + Env("BRENVIK_HTTP_PORT") + "/upload";
    HANDLE thread = nullptr;
    ASSERT_EQ(DeliverBugReport(kReport, settings_, engine_, nullptr, &thread, false, true, false),
              1);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    CloseHandle(thread);
    ExpectArchive("post-1/zip-report.zip");
    EXPECT_EQ(sentMarks_, 1);
}

} // namespace
} // namespace crashreport
