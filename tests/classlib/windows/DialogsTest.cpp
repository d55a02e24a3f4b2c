// Message dialogs and the open dialog, each driven to its answers by a thread that finds the
// dialog window of this process and clicks one of its buttons.
#include "windows/Dialogs.h"

#include "core/StringList.h"

#include "GuiTest.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

using namespace classlib;

namespace {

struct DialogSearch {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return TRUE; // other programs' windows are not asked anything
    char className[64] = {};
    char title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (std::string(className) == "#32770" && IsWindowVisible(window) && search->title == title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A dialog of this process with the given caption, waited for up to 20 s.
HWND WaitForDialog(const std::string& title)
{
    for (int i = 0; i < 1000; ++i) {
        DialogSearch search{title};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    }
    return nullptr;
}

void ClickButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BOOL CALLBACK CollectText(HWND window, LPARAM parameter)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    *reinterpret_cast<std::string*>(parameter) += std::string(text) + "\n";
    return TRUE;
}

// Runs `show` on this thread while another thread answers the dialog titled `title` with
// button `id`; returns what `show` returned and the texts of the dialog's controls.
template <class Show>
auto Drive(const std::string& title, int id, Show show, std::string* texts = nullptr)
{
    std::atomic<bool> found{false};
    std::thread driver([&] {
        HWND dialog = WaitForDialog(title);
        if (!dialog)
            return;
        found = true;
        if (texts)
            EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(texts));
        ClickButton(dialog, id);
    });
    auto result = show();
    driver.join();
    EXPECT_TRUE(found) << "no dialog titled " << title;
    return result;
}

TEST(MessageDlg, EachTypeAndButtonSetAnswersWithTheButtonClicked)
{
    const struct {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        const char* caption;
        int click;
        TModalResult expected;
    } cases[] = {
        {mtWarning, {mbYes, mbNo}, "Warning", IDYES, mrYes},
        {mtWarning, {mbYes, mbNo}, "Warning", IDNO, mrNo},
        {mtError, {mbOK}, "Error", IDOK, mrOk},
        {mtInformation, {mbOK}, "Information", IDOK, mrOk},
        {mtConfirmation, {mbOK, mbCancel}, "Confirm", IDCANCEL, mrCancel},
        {mtConfirmation, {mbYes, mbNo, mbCancel}, "Confirm", IDCANCEL, mrCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption + std::to_string(c.click));
        const std::string message =
            "HEX file contains code over device bootloader area.\r\nContinue?";
        std::string texts;
        const TModalResult result = Drive(
            c.caption, c.click, [&] { return MessageDlg(message, c.type, c.buttons); }, &texts);
        EXPECT_EQ(result, c.expected);
        EXPECT_NE(texts.find("Continue?"), std::string::npos) << texts;
    }
}

class OpenDialogTest : public ::testing::Test {
protected:
    std::string folder;
    std::string file;
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "brenvik-open-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        file = folder + "\\firmware.hex";
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    void TearDown() override
    {
        DeleteFileA(file.c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH] = {};
    GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    char longName[MAX_PATH] = {};
    if (!GetLongPathNameA(full, longName, MAX_PATH))
        return full;
    return longName;
}

TEST_F(OpenDialogTest, OkReturnsTheChosenFileAndCancelKeepsTheOldName)
{
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("Open test");
    dialog.SetInitialDir(folder);
    dialog.SetFilter("HEX files (*.hex)|*.hex|All files (*.*)|*.*");
    dialog.SetOptions({ofHideReadOnly, ofFileMustExist, ofPathMustExist, ofEnableSizing});

    // OK with a file name typed into the dialog.
    std::atomic<bool> found{false};
    std::thread driver([&] {
        HWND window = WaitForDialog("Open test");
        if (!window)
            return;
        found = true;
        // The file-name box: a combo box (explorer style) or an edit control.
        if (!SetDlgItemTextA(window, 0x47C, "firmware.hex"))
            SetDlgItemTextA(window, 0x480, "firmware.hex");
        ClickButton(window, IDOK);
    });
    const bool chosen = dialog.Execute();
    driver.join();
    ASSERT_TRUE(found);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(lstrcmpiA(FullPath(dialog.FileName()).c_str(), FullPath(file).c_str()), 0)
        << dialog.FileName();
    ASSERT_EQ(dialog.Files()->Count(), 1);
    EXPECT_EQ(dialog.Files()->Strings(0), dialog.FileName());
    EXPECT_EQ(dialog.FilterIndex(), 1);

    const std::string before = dialog.FileName();
    EXPECT_FALSE(Drive("Open test", IDCANCEL, [&] { return dialog.Execute(); }));
    EXPECT_EQ(dialog.FileName(), before);
}

} // namespace
