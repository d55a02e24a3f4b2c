#pragma once
// The main window from its real layout against the simulated devices: a fixture that creates and
// shows it, reads its history window, clicks its buttons, drops files on it and answers its
// dialogs, and helpers that pump messages or act from inside a running wait.
#include "Dovrel.h"
#include "Families.h"
#include "Texts.h"

#include "OcAppIniFileStorage.h"
#include "SimApi.h"
#include "panels/AdvMessageForm.h"
#include "core/StringList.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Timers.h"

#include "GuiTest.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace window_test {

using namespace classlib;
using app::TDovrel;
using Lines = std::vector<std::string>;

inline constexpr DWORD WaitLimitMs = 10000;

// History lines as the window's description words them.
inline const std::string Attach = "Attach USB HID device or reset if attached.";
inline const std::string Waiting = "Waiting MCU response...";
inline const std::string ConnectedLine = "Connected.";
inline const std::string Disconnected = "Disconnected.";
inline const std::string ResetLine = "Reset...";

inline bool Pump(const std::function<bool()>& done, DWORD timeoutMs = WaitLimitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    return true;
}

// Runs `action` once from a timer, that is from inside whatever wait pumps messages then.
class OneShot {
public:
    OneShot(unsigned delayMs, std::function<void()> action)
        : action_(std::move(action)), timer_(new TTimer(nullptr))
    {
        timer_->SetInterval(delayMs);
        timer_->SetOnTimer(TNotifyEvent(this, &OneShot::Fire));
        timer_->SetEnabled(true);
    }
    ~OneShot() { timer_->Free(); }
    bool fired = false;

private:
    void Fire(TObject*)
    {
        timer_->SetEnabled(false);
        fired = true;
        action_();
    }
    std::function<void()> action_;
    TTimer* timer_;
};

// Runs `action` once, from a timer, as soon as `condition` holds: an action at a given stage of
// a running exchange, such as a click while the upload writes.
class When {
public:
    When(std::function<bool()> condition, std::function<void()> action)
        : condition_(std::move(condition)), action_(std::move(action)), timer_(new TTimer(nullptr))
    {
        timer_->SetInterval(5);
        timer_->SetOnTimer(TNotifyEvent(this, &When::Tick));
        timer_->SetEnabled(true);
    }
    ~When() { timer_->Free(); }
    When(const When&) = delete;
    When& operator=(const When&) = delete;
    bool fired = false;

private:
    void Tick(TObject*)
    {
        if (fired || !condition_())
            return;
        fired = true;
        timer_->SetEnabled(false);
        action_();
    }
    std::function<bool()> condition_;
    std::function<void()> action_;
    TTimer* timer_;
};

// A dialog the window showed: its caption and the texts of its static controls, one per line.
struct DialogSeen {
    std::string title;
    std::string text;
};

// Answers the modal dialogs (message boxes, the emulated task dialog, the open dialog) that this
// thread shows, in order, with the given buttons (IDOK, IDYES, IDNO, IDCANCEL): a timer looks for
// the dialog from inside its modal loop, records what it says, types the matching entry of `typed`
// (when not empty) into an open dialog's file-name box and clicks the button. Dialogs beyond the
// list are cancelled (or answered No or OK) so that a test never hangs on one.
class DialogAnswers {
public:
    explicit DialogAnswers(std::vector<int> buttons = {}, std::vector<std::string> typed = {})
        : buttons_(std::move(buttons)), typed_(std::move(typed)), timer_(new TTimer(nullptr))
    {
        timer_->SetInterval(20);
        timer_->SetOnTimer(TNotifyEvent(this, &DialogAnswers::Tick));
        timer_->SetEnabled(true);
    }
    ~DialogAnswers() { timer_->Free(); }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;

    std::vector<DialogSeen> seen;

    std::vector<std::string> Titles() const
    {
        std::vector<std::string> titles;
        for (const DialogSeen& d : seen)
            titles.push_back(d.title);
        return titles;
    }

private:
    static BOOL CALLBACK FindDialog(HWND window, LPARAM parameter)
    {
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        const bool taskDialog =
            dynamic_cast<panels::TAdvMessageForm*>(TWinControl::FindControl(window)) != nullptr;
        if ((std::strcmp(className, "#32770") == 0 || taskDialog) && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(parameter) = window;
            return FALSE;
        }
        return TRUE;
    }

    static BOOL CALLBACK CollectStatic(HWND window, LPARAM parameter)
    {
        char className[32] = {};
        char text[2048] = {};
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, text, sizeof text);
        if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0') {
            auto* out = reinterpret_cast<std::string*>(parameter);
            *out += (out->empty() ? "" : "\n") + std::string(text);
        }
        return TRUE;
    }

    // The emulated task dialog: its instruction, content and (while open) expanded text are
    // its texts; the push button whose modal result is the answer is clicked.
    void AnswerTaskDialog(panels::TAdvMessageForm* form)
    {
        DialogSeen d;
        d.title = form->Caption();
        panels::TCustomAdvTaskDialog* task = form->Dialog();
        for (const std::string& part : {task->Instruction(), task->Content(),
                                        form->Expanded() ? task->ExpandedText() : std::string()})
            if (!part.empty())
                d.text += (d.text.empty() ? "" : "\n") + part;
        seen.push_back(d);
        const bool asked = seen.size() <= buttons_.size();
        std::vector<int> wanted;
        if (asked)
            wanted.push_back(buttons_[seen.size() - 1]);
        wanted.insert(wanted.end(), {IDCANCEL, IDNO, IDOK});
        for (int result : wanted)
            for (TButtonControl* b : form->CommonButtonControls())
                if (task->GetButtonModalResult(b) == result) {
                    b->Click();
                    return;
                }
    }

    void Tick(TObject*)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog == nullptr)
            return;
        if (auto* form = dynamic_cast<panels::TAdvMessageForm*>(TWinControl::FindControl(dialog))) {
            if (form->ModalResult() == mrNone)
                AnswerTaskDialog(form);
            return;
        }
        DialogSeen d;
        char title[256] = {};
        GetWindowTextA(dialog, title, sizeof title);
        d.title = title;
        EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&d.text));
        const bool asked = seen.size() < buttons_.size();
        if (seen.size() < typed_.size() && !typed_[seen.size()].empty()) {
            // The file-name box: a combo box (explorer style) or an edit control.
            if (!SetDlgItemTextA(dialog, 0x47C, typed_[seen.size()].c_str()))
                SetDlgItemTextA(dialog, 0x480, typed_[seen.size()].c_str());
        }
        seen.push_back(d);
        HWND control = nullptr;
        if (asked)
            control = GetDlgItem(dialog, buttons_[seen.size() - 1]);
        for (int fallback : {IDCANCEL, IDNO, IDOK})
            if (control == nullptr)
                control = GetDlgItem(dialog, fallback);
        if (control == nullptr)
            return;
        // Sent, not posted: the dialog has ended when this returns, so the next tick cannot
        // answer it twice.
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }

    std::vector<int> buttons_;
    std::vector<std::string> typed_;
    TTimer* timer_;
};

// A folder of its own under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder()
    {
        static int serial = 0;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "brenvik-window-" + std::to_string(GetCurrentProcessId()) +
                "-" + std::to_string(++serial);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder()
    {
        for (const std::string& file : files_)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes `content` to a file of that name in the folder; returns its full path.
    std::string Write(const std::string& name, const std::string& content)
    {
        const std::string file = path_ + "\\" + name;
        std::ofstream(file, std::ios::binary) << content;
        files_.push_back(file);
        return file;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> files_;
};

// The drop handle the shell hands a window when files are dropped on it.
inline HGLOBAL MakeDrop(const std::vector<std::string>& paths)
{
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& p : paths)
        size += p.size() + 1;
    HGLOBAL handle = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(handle));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* out = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        std::memcpy(out, p.c_str(), p.size() + 1);
        out += p.size() + 1;
    }
    GlobalUnlock(handle);
    return handle;
}

inline std::vector<std::uint8_t> ReadFlash(int device, DWORD address, DWORD length)
{
    std::vector<std::uint8_t> bytes(length);
    if (!SimReadFlash(device, address, bytes.data(), length))
        bytes.clear();
    return bytes;
}

// The violations the device recorded, as "<kind>: <detail>" lines.
inline Lines Violations(int device)
{
    Lines lines;
    for (int i = 0; i < SimViolationCount(device); ++i) {
        char text[512] = {};
        SimViolationText(device, i, text, sizeof text);
        lines.emplace_back(text);
    }
    return lines;
}

// How many command frames with the command byte `command` the device took ("> 00 0F <command>"
// lines of its trace: report ID 0, the frame marker 0x0F, the command).
inline int CommandsReceived(int device, std::uint8_t command)
{
    std::string trace(static_cast<std::size_t>(SimTraceText(device, nullptr, 0)) + 1, '\0');
    SimTraceText(device, trace.data(), static_cast<int>(trace.size()));
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, "> 00 0F %02X", command);
    int count = 0;
    std::size_t start = 0;
    while (start < trace.size()) {
        std::size_t end = trace.find('\n', start);
        if (end == std::string::npos)
            end = trace.size();
        const std::string_view line(trace.data() + start, end - start);
        const std::size_t at = line.find(wanted);
        // The bytes end there or go on with a blank: 0F 04 must not count 0F 04xx.
        if (at != std::string_view::npos &&
            (at + std::strlen(wanted) == line.size() || line[at + std::strlen(wanted)] == ' '))
            ++count;
        start = end + 1;
    }
    return count;
}

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const bool registered = (app::RegisterWindowClasses(), true);
        (void)registered;
    }

    void TearDown() override
    {
        dialogs.reset();
        if (form)
            form->Free();
        form = nullptr;
        if (!settingsFile.empty())
            DeleteFileA(settingsFile.c_str());
        // Nothing wrote the settings file the folder would share.
        EXPECT_EQ(GetFileAttributesA(SharedSettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
        char error[256] = {};
        SimConfigure("", error, sizeof error);
    }

    // Configures the devices, creates and shows the window and waits until its first
    // enumeration (and the probe it runs) is over.
    void Start(const char* config, int devices)
    {
        char error[256] = {};
        ASSERT_GE(SimConfigure(config, error, sizeof error), 0) << error;
        // A file left by an interrupted run would fail the check in TearDown.
        DeleteFileA(SharedSettingsFile().c_str());
        form = new TDovrel(Application);
        UseOwnSettingsFile();
        form->Show();
        ASSERT_TRUE(
            Pump([&] { return form->DeviceList()->Count() == devices && History().size() >= 1; }));
    }

    static std::string SharedSettingsFile()
    {
        return ExtractFilePath(Application->ExeName()) + "Settings.ini";
    }

    // Each test keeps the window's settings in a file of its own, so that tests running in
    // parallel never share one "Settings.ini". The storage refuses writes while its file name
    // changes, so the change writes nothing to the file it read when the window was created
    // (the test program's folder is its own and holds none).
    void UseOwnSettingsFile()
    {
        auto* ini =
            dynamic_cast<storage::TOcAppIniFileStorage*>(form->FindComponent("IniFileStorage"));
        ASSERT_NE(ini, nullptr);
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("Settings-") + test->test_suite_name() + "-" + test->name();
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c)) && c != '-')
                c = '_';
        settingsFile = ExtractFilePath(Application->ExeName()) + name + ".ini";
        DeleteFileA(settingsFile.c_str()); // left over by an interrupted run
        ini->SetReadOnly(true);
        ini->SetFileName(name + ".ini");
        ini->SetReadOnly(false);
        ASSERT_EQ(ini->FullFileName(), settingsFile);
    }

    Lines History() const
    {
        Lines lines;
        TStrings* memo = form->MemoHistoryWindow->Lines();
        for (int i = 0; i < memo->Count(); ++i)
            lines.push_back(memo->Strings(i));
        return lines;
    }

    // Clicks Connect as the user does; returns when the click's handling is over.
    void ClickConnect() { testsupport::ClickWindow(form->ButtonConnect->Handle()); }
    // Clicks "Begin uploading" (or "Stop uploading"); returns when the click's handling is over,
    // that is after a whole upload.
    void ClickUpload() { testsupport::ClickWindow(form->ButtonStartBootloader->Handle()); }

    // Drops the files on the window as the shell does.
    void DropFiles(const std::vector<std::string>& paths)
    {
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    // Writes the HEX text to a file and drops it on the window; returns the file's path.
    std::string DropHex(const std::string& hexText, const std::string& name = "firmware.hex")
    {
        const std::string path = files.Write(name, hexText);
        DropFiles({path});
        return path;
    }

    // Starts with one device of `config`, connects, drops the HEX text and uploads, answering
    // the dialogs with `answers` (the result dialog's OK by default). Returns the dropped file's
    // path; the dialogs shown are in `dialogs`.
    std::string LoadAndUpload(const std::string& config, const std::string& hexText,
                              std::vector<int> answers = {IDOK})
    {
        Start(config.c_str(), 1);
        if (testing::Test::HasFatalFailure())
            return {};
        ClickConnect();
        EXPECT_TRUE(form->Connected()) << testing::PrintToString(History());
        const std::string path = DropHex(hexText);
        dialogs = std::make_unique<DialogAnswers>(std::move(answers));
        ClickUpload();
        return path;
    }

    bool HistoryHas(const std::string& line) const
    {
        const Lines all = History();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

    // The history lines from `first` on.
    Lines HistoryFrom(std::size_t first) const
    {
        const Lines all = History();
        return first < all.size()
                   ? Lines(all.begin() + static_cast<std::ptrdiff_t>(first), all.end())
                   : Lines{};
    }

    std::string Item(controls::THTMLComboBox* box)
    {
        return box->Items()->Count() > 0 ? box->Items()->Strings(0) : std::string();
    }

    TDovrel* form = nullptr;
    TempFolder files;
    std::unique_ptr<DialogAnswers> dialogs;
    std::string settingsFile;
};

} // namespace window_test
