// The engine's report actions reach this library's dialogs and delivery: a report object made
// by the engine for a test exception is presented (on standard output: this is a console
// program), saved through the save
// dialog and automatically (with the saved mark), sent through the "mailto" channel (with the
// sent mark and the expanded subject), photographed, and waited on with the progress popup.
#include "DialogActions.h"

#include "BugReportFile.h"
#include "FileBytes.h"
#include "GuiTest.h"
#include "NVBitmap.h"
#include "ProgressAlert.h"
#include "QorPipeline.h"
#include "QorReport.h"
#include "QorPluginSections.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

using namespace crashui;

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string TestFile(const std::string& name)
{
    const std::string path = ::testing::TempDir() + "dialog-actions-" + name;
    DeleteFileA(path.c_str());
    return path;
}

// A top-level window of this process with that class and caption, waited for a bounded time.
HWND WaitForWindow(const char* className, const std::string& caption)
{
    for (int i = 0; i < 400; ++i) {
        if (HWND window = FindWindowA(className, caption.c_str()))
            return window;
        Sleep(25);
    }
    return nullptr;
}

class DialogActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        qor::SetProcessMainThreadId(GetCurrentThreadId());
        qor::StartReportPlugins();
        StartDialogs();
    }
    void TearDown() override
    {
        StopDialogs();
        qor::StopReportPlugins();
    }

    // The engine's report object for a thrown runtime_error.
    static std::shared_ptr<qor::TIQEException> TestException(const std::string& message)
    {
        qor::ExceptionObjectArguments arguments;
        arguments.object = std::make_exception_ptr(std::runtime_error(message));
        arguments.message = message;
        return qor::CreateExceptionObject(arguments);
    }
};

TEST_F(DialogActions, StartFillsTheEngineTableAndStopEmptiesIt)
{
    const qor::ReportActions actions = qor::RegisteredReportActions();
    EXPECT_TRUE(actions.present && actions.deliver && actions.writeFile && actions.print &&
                actions.captureScreen && actions.createAlert);
    StopDialogs();
    const qor::ReportActions none = qor::RegisteredReportActions();
    EXPECT_FALSE(none.present || none.deliver || none.writeFile || none.print ||
                 none.captureScreen || none.createAlert);
    StartDialogs();
}

// Present reaches the presentation: this test program is a console program, so the message
// (and, with the report shown, the report) goes to standard output, here a pipe.
TEST_F(DialogActions, PresentWritesAConsoleProgramsMessageAndReport)
{
    const auto exception = TestException("the disk is full");
    exception->SetStrProp("ExceptMsg", "An error occurred: %exceptMsg%");
    exception->SetBoolProp("ShowBtnVis", true);
    exception->SetDisplayMode(qor::displayFullBox);
    HANDLE reader = nullptr, writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 1 << 20));
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writer);
    exception->Present();
    SetStdHandle(STD_OUTPUT_HANDLE, output);
    CloseHandle(writer);
    std::string written;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got)
        written.append(buffer, got);
    CloseHandle(reader);
    EXPECT_EQ(written, "An error occurred: the disk is full.\r\n\r\n" +
                           exception->ReportText(true) + "\r\n");
}

TEST_F(DialogActions, SaveAsksForTheFileAndWritesTheReport)
{
    const auto exception = TestException("save me");
    exception->SetStrProp("SaveBtnTxt", "save the test report");
    const std::string file = TestFile("saved.txt");
    std::atomic<bool> answered{false};
    // The save dialog is answered from another thread: the file name goes into its name field
    // (the combo box of the explorer style, or the edit of the old style) and OK is pressed.
    std::thread answer([&] {
        HWND dialog = WaitForWindow("#32770", "save the test report");
        if (!dialog)
            return;
        SetDlgItemTextA(dialog, 1152, file.c_str());
        SetDlgItemTextA(dialog, 1148, file.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        answered = true;
    });
    exception->PerformSave(0);
    answer.join();
    ASSERT_TRUE(answered);
    const std::string written = testsupport::ReadBytes(file);
    EXPECT_EQ(written, exception->ReportText(true) + "\r\n\r\n");
    EXPECT_FALSE(exception->ReportSaved()); // only the automatic save marks the report
}

TEST_F(DialogActions, AnAutomaticSaveOfTheSettingsFileMarksTheExceptionSaved)
{
    const auto exception = TestException("keep me");
    const std::string file = TestFile("automatic.txt");
    exception->SetStrProp("BugRepFile", file);
    const std::string report = exception->ReportText(true);
    ASSERT_TRUE(WriteBugReportFile("", report, nullptr, *exception, true));
    EXPECT_EQ(testsupport::ReadBytes(file), report + "\r\n\r\n");
    EXPECT_TRUE(exception->ReportSaved());

    // A named file is a copy (the delivery's): no mark.
    const auto other = TestException("copy me");
    ASSERT_TRUE(
        WriteBugReportFile(TestFile("copy.txt"), other->ReportText(true), nullptr, *other, true));
    EXPECT_FALSE(other->ReportSaved());
}

TEST_F(DialogActions, SendGoesThroughMailtoWithTheExpandedSubjectAndMarksTheReportSent)
{
    static constexpr const char* kKey = "mailto\\shell\\open\\command";
    const std::string record = TestFile("mailto-record.txt");
    std::string saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char value[1024] = {};
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS)
            saved = value;
        RegCloseKey(key);
    }
    auto registerCommand = [&](const std::string& command) {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(k);
    };
    registerCommand("\"" + ProgramFolder() + "mailto_recorder.exe\" \"" + record + "\" %1");

    const auto exception = TestException("SendFailure");
    exception->SetBoolProp("MailViaMapi", false);
    exception->SetBoolProp("MailViaMailto", true);
    exception->SetBoolProp("UploadViaHttp", false);
    exception->SetBoolProp("MailAsSmtpServer", false);
    exception->SetBoolProp("MailAsSmtpClient", false);
    exception->SetBoolProp("SendInBackgr", false);
    exception->SetStrProp("MailAddr", "support@example.com");
    exception->SetStrProp("MailSubj", "crash:%exceptMsg%");
    exception->PerformSend(0);

    std::string recorded;
    for (int i = 0; i < 200 && (recorded = testsupport::ReadBytes(record)).empty(); ++i)
        Sleep(50);
    registerCommand(saved);
    // The subject's placeholder holds the report's exception message; the body is the report.
    EXPECT_NE(recorded.find("mailto:support@example.com?subject=crash:SendFailure"),
              std::string::npos)
        << recorded;
    EXPECT_NE(recorded.find("&body=date/time%20"), std::string::npos) << recorded;
    EXPECT_TRUE(exception->ReportSent());
}

TEST_F(DialogActions, AWantedScreenshotIsCapturedByTheDialogsLibrary)
{
    const auto exception = TestException("picture");
    exception->SetBoolProp("ScrShotAppOnly", false);
    exception->SetWantsScreenshot(true);
    const TNVBitmapPtr shot = ScreenshotBitmap(exception->ScreenImage());
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(shot->Height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TEST_F(DialogActions, ThePleaseWaitAlertIsTheProgressPopup)
{
    const qor::ReportActions actions = qor::RegisteredReportActions();
    std::unique_ptr<qor::ReportAlert> alert = actions.createAlert("please wait (test)");
    ASSERT_TRUE(alert);
    alert->AddSegment("reading the stack", 100);
    alert->Display(false);
    EXPECT_TRUE(alert->Displayed());
    alert->Pump();
    EXPECT_TRUE(FindWindowA(kProgressAlertClass, "please wait (test)"));
    alert->Dismiss();
    EXPECT_FALSE(alert->Displayed());
    EXPECT_FALSE(FindWindowA(kProgressAlertClass, "please wait (test)"));
}

} // namespace
