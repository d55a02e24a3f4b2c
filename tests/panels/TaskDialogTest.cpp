// The emulated task dialog under Wine (where comctl32 reports version 5.81, so Execute shows the
// emulation): the main window's result dialog checked by its controls' texts and positions and
// a screenshot, the returned identifiers of every button kind, command links, radio buttons,
// the verification check box, the progress bar and timer callback, the footer, the keyboard
// (Ctrl+C, Escape) and the close veto.
#include "panels/AdvMessageForm.h"
#include "panels/AdvTaskDialog.h"
#include "panels/TaskDialogText.h"

#include "windows/Application.h"
#include "windows/Clipboard.h"
#include "windows/Forms.h"
#include "windows/Screen.h"
#include "windows/Timers.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace classlib;
using namespace panels;

namespace {

// Runs `action` once on the emulated form as soon as it is shown (from inside its modal loop).
class WhileShown {
public:
    WhileShown(TCustomAdvTaskDialog* dialog, std::function<void(TAdvMessageForm*)> action,
               std::function<bool()> ready = {})
        : dialog_(dialog),
          action_(std::move(action)),
          ready_(std::move(ready)),
          timer_(new TTimer(nullptr))
    {
        timer_->SetInterval(20);
        timer_->SetOnTimer(TNotifyEvent(this, &WhileShown::Tick));
        timer_->SetEnabled(true);
    }
    ~WhileShown() { timer_->Free(); }
    bool ran = false;

private:
    void Tick(TObject*)
    {
        TAdvMessageForm* form = dialog_->Form();
        if (ran || !form || !form->HandleAllocated() || !IsWindowVisible(form->Handle()) ||
            (ready_ && !ready_()))
            return;
        ran = true;
        timer_->SetEnabled(false);
        action_(form);
    }
    TCustomAdvTaskDialog* dialog_;
    std::function<void(TAdvMessageForm*)> action_;
    std::function<bool()> ready_;
    TTimer* timer_;
};

TButtonControl* CommonButton(TAdvMessageForm* form, const std::string& name)
{
    for (TButtonControl* b : form->CommonButtonControls())
        if (b->Name() == name)
            return b;
    return nullptr;
}

// Sends a key to the focused control of the form with the given modifier held.
void PressKey(TAdvMessageForm* form, WORD key, int modifier = 0)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    BYTE saved = modifier ? keys[modifier] : 0;
    if (modifier) {
        keys[modifier] = 0x80;
        SetKeyboardState(keys);
    }
    HWND target = GetFocus();
    if (!target)
        target = form->Handle();
    SendMessageA(target, WM_KEYDOWN, key, 1);
    SendMessageA(target, WM_KEYUP, key, 0xC0000001);
    if (modifier) {
        keys[modifier] = saved;
        SetKeyboardState(keys);
    }
}

class TaskDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog = new TAdvTaskDialog(nullptr);
        dialog->NonNativeDialog = nndAlways;
    }
    void TearDown() override { dialog->Free(); }

    // The main window's dialog as its form layout and the upload's end set it.
    void MainWindowDialog(const std::string& expanded)
    {
        dialog->NonNativeDialog = nndAuto;
        dialog->CommonButtons = TCommonButtons{cbOK};
        dialog->Title = "Success";
        dialog->SetInstruction("Restarting MCU...");
        dialog->SetContent("Downloading program has finished.");
        dialog->ExpandControlText = "Hide details";
        dialog->CollapsControlText = "Show details";
        dialog->SetExpandedText(expanded);
    }

    TAdvTaskDialog* dialog = nullptr;
};

TEST_F(TaskDialogTest, TheMainWindowsResultDialog)
{
    const std::string path = "C:\\new\\fw.hex";
    MainWindowDialog("Uploading program \"" + path + "\" finished with success.");
    ASSERT_FALSE(dialog->NativeAvailable()) << "Wine's comctl32 reports version 5.81";
    std::string collapsedLabel, expandedLabel;
    int expandedHeight = 0, literalHeight = 0, escapedHeight = 0;
    WhileShown look(dialog, [&](TAdvMessageForm* form) {
        EXPECT_EQ(form->Caption(), "Success");
        const int hm = form->HorizontalMargin(), vm = form->VerticalMargin(),
                  hs = form->HorizontalSpacing();
        ASSERT_NE(form->IconImage(), nullptr) << "the blank icon square";
        EXPECT_EQ(form->IconImage()->BoundsRect().left, hm);
        EXPECT_EQ(form->IconImage()->BoundsRect().top, vm);
        EXPECT_EQ(form->IconImage()->Width(), 32);
        EXPECT_EQ(form->InstructionLabel()->Caption(), "Restarting MCU...");
        EXPECT_EQ(form->InstructionLabel()->Left(), hm + hs + 32);
        EXPECT_EQ(form->InstructionLabel()->Top(), vm);
        EXPECT_GE(form->ContentRect().top,
                  form->InstructionLabel()->Top() + form->InstructionLabel()->Height());
        EXPECT_EQ(form->ContentRect().left, hm + 32 + hs);
        ASSERT_EQ(form->CommonButtonControls().size(), 1u);
        TButtonControl* ok = form->CommonButtonControls()[0];
        EXPECT_EQ(ok->Caption(), "OK");
        EXPECT_EQ(ok->Left() + ok->Width(), form->ClientWidth() - hs - 4) << "at the right";
        EXPECT_EQ(ok->Top(), form->ButtonAreaTop()) << "in the grey area";
        EXPECT_GE(ok->Top(), form->ContentRect().bottom);
        EXPECT_GE(form->ClientWidth(), 350);
        ASSERT_NE(form->ExpandButton(), nullptr);
        EXPECT_FALSE(form->Expanded());
        collapsedLabel = form->ExpanderText();
        form->ExpandButton()->Click();
        EXPECT_TRUE(form->Expanded());
        expandedLabel = form->ExpanderText();
        // Mended: the expanded text is taken literally, so "C:\new" stays one path.
        const RECT r = form->ExpandedRect();
        expandedHeight = r.bottom - r.top;
        HDC dc = GetDC(form->Handle());
        HGDIOBJ old = SelectObject(dc, form->Font()->Handle());
        const auto measure = [&](const std::string& text) {
            RECT m{0, 0, r.right - r.left, 0};
            DrawTextA(dc, text.c_str(), -1, &m,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
            return static_cast<int>(m.bottom - m.top);
        };
        literalHeight = measure(dialog->ExpandedText());
        escapedHeight = measure(ExpandNewlineEscapes(dialog->ExpandedText()));
        SelectObject(dc, old);
        ReleaseDC(form->Handle(), dc);
        form->Repaint();
        testsupport::SaveScreenshot("task_dialog_result");
        static_cast<TButton*>(ok)->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_TRUE(look.ran);
    EXPECT_EQ(collapsedLabel, "Show details");
    EXPECT_EQ(expandedLabel, "Hide details");
    EXPECT_EQ(expandedHeight, literalHeight);
    (void)escapedHeight;
    EXPECT_EQ(dialog->Form(), nullptr) << "the form is gone after Execute";
}

TEST_F(TaskDialogTest, TheExpandedTextIsTakenLiterally)
{
    // Mended: "\n" in a path such as C:\new\fw.hex is no line break in the expanded text.
    dialog->CommonButtons = TCommonButtons{cbOK};
    dialog->SetExpandedText("C:\\new\\fw.hex");
    dialog->Options = TTaskDialogOptions{doExpandedDefault};
    int expandedHeight = 0, oneLine = 0, broken = 0;
    WhileShown look(dialog, [&](TAdvMessageForm* form) {
        const RECT r = form->ExpandedRect();
        expandedHeight = r.bottom - r.top;
        HDC dc = GetDC(form->Handle());
        HGDIOBJ old = SelectObject(dc, form->Font()->Handle());
        RECT m{0, 0, 1000, 0};
        DrawTextA(dc, "C:", -1, &m, DT_CALCRECT | DT_WORDBREAK);
        oneLine = m.bottom - m.top;
        m = RECT{0, 0, 1000, 0};
        DrawTextA(dc, "C:\new\\fw.hex", -1, &m, DT_CALCRECT | DT_WORDBREAK);
        broken = m.bottom - m.top;
        SelectObject(dc, old);
        ReleaseDC(form->Handle(), dc);
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_EQ(expandedHeight, oneLine);
    EXPECT_GT(broken, oneLine) << "what the escape rule would have shown";
}

TEST_F(TaskDialogTest, ReturnedIdentifiersOfTheCommonButtons)
{
    struct ButtonCase {
        TCommonButton kind;
        const char* name;
        const char* caption;
        int result;
    };
    const ButtonCase cases[] = {
        {cbOK, "OK", "OK", 1},           {cbYes, "Yes", "&Yes", 6},
        {cbNo, "No", "&No", 7},          {cbCancel, "Cancel", "Cancel", 2},
        {cbRetry, "Retry", "&Retry", 4}, {cbClose, "Abort", "&Abort", 3},
    };
    for (const ButtonCase& c : cases) {
        dialog->CommonButtons = TCommonButtons{cbOK, c.kind};
        std::string caption;
        WhileShown click(dialog, [&](TAdvMessageForm* form) {
            TButtonControl* button = CommonButton(form, c.name);
            ASSERT_NE(button, nullptr) << c.name;
            caption = button->Caption();
            static_cast<TButton*>(button)->Click();
        });
        EXPECT_EQ(dialog->Execute(), c.result) << c.name;
        EXPECT_EQ(caption, c.caption);
    }
}

TEST_F(TaskDialogTest, DefaultsAndAddedButtons)
{
    dialog->CommonButtons = TCommonButtons{cbYes, cbNo};
    bool yesDefault = false, noDefault = true;
    WhileShown check(dialog, [&](TAdvMessageForm* form) {
        yesDefault = static_cast<TButton*>(CommonButton(form, "Yes"))->Default();
        noDefault = static_cast<TButton*>(CommonButton(form, "No"))->Default();
        static_cast<TButton*>(CommonButton(form, "No"))->Click();
    });
    EXPECT_EQ(dialog->Execute(), 7);
    EXPECT_TRUE(yesDefault);
    EXPECT_FALSE(noDefault);

    // No button at all: an OK button returning 1; no title: the executable's name.
    dialog->CommonButtons = TCommonButtons{};
    dialog->Title = "";
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string exe(module);
    exe = exe.substr(exe.find_last_of('\\') + 1);
    exe = exe.substr(0, exe.find_last_of('.'));
    std::string caption;
    WhileShown ok(dialog, [&](TAdvMessageForm* form) {
        caption = form->Caption();
        ASSERT_EQ(form->CommonButtonControls().size(), 1u);
        EXPECT_EQ(form->CommonButtonControls()[0]->Caption(), "OK");
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_EQ(caption, exe);
}

struct EventLog {
    std::vector<int> buttons, radios;
    std::vector<bool> verified;
    int timers = 0;
    int closeQueries = 0;
    bool veto = false;
    void Button(TObject*, int id) { buttons.push_back(id); }
    void Radio(TObject*, int id) { radios.push_back(id); }
    void Verify(TObject*, bool checked) { verified.push_back(checked); }
    void Timer(TObject*) { ++timers; }
    void Progress(TObject*, int& pos, TTaskDialogProgressState& state)
    {
        pos = 30;
        state = psPaused;
    }
    void Close(TObject*, bool& canClose)
    {
        ++closeQueries;
        if (veto) {
            canClose = false;
            veto = false;
        }
    }
};

TEST_F(TaskDialogTest, CustomButtonsAndCommandLinks)
{
    EventLog log;
    dialog->OnDialogButtonClick = TTaskDialogButtonClickEvent(&log, &EventLog::Button);
    dialog->CustomButtons()->Add("First");
    dialog->CustomButtons()->Add("Second");
    WhileShown push(dialog, [&](TAdvMessageForm* form) {
        ASSERT_EQ(form->CustomButtonControls().size(), 2u);
        EXPECT_EQ(form->CustomButtonControls()[1]->Name(), "Button1");
        form->CustomButtonControls()[1]->Click();
    });
    EXPECT_EQ(dialog->Execute(), 101);
    EXPECT_EQ(log.buttons, std::vector<int>{101});

    dialog->Options = TTaskDialogOptions{doCommandLinks};
    dialog->Icon = tiInformation;
    dialog->CustomButtons()->Clear();
    dialog->CustomButtons()->Add("Retry\\nUpload the file again");
    dialog->CustomButtons()->Add("Stop\\nLeave the device as it is");
    dialog->CommonButtons = TCommonButtons{cbCancel};
    WhileShown links(dialog, [&](TAdvMessageForm* form) {
        ASSERT_EQ(form->CustomButtonControls().size(), 2u);
        auto* first = dynamic_cast<TTaskDialogButton*>(form->CustomButtonControls()[0]);
        auto* second = dynamic_cast<TTaskDialogButton*>(form->CustomButtonControls()[1]);
        ASSERT_NE(first, nullptr) << "command links are task dialog buttons";
        const int textLeft = form->HorizontalMargin() + form->HorizontalSpacing() + 32;
        EXPECT_EQ(first->Left(), textLeft);
        EXPECT_EQ(first->Left() + first->Width(), form->ClientWidth() - form->HorizontalMargin())
            << "full width";
        EXPECT_EQ(second->Top(), first->Top() + first->Height() + 2);
        EXPECT_LE(second->Top() + second->Height(), CommonButton(form, "Cancel")->Top())
            << "above the button row";
        EXPECT_FALSE(first->Picture()->Empty()) << "the arrow";
        second->Click();
    });
    EXPECT_EQ(dialog->Execute(), 101);
}

TEST_F(TaskDialogTest, RadioButtonsAndVerification)
{
    EventLog log;
    dialog->OnDialogRadioClick = TTaskDialogButtonClickEvent(&log, &EventLog::Radio);
    dialog->OnDialogVerifyClick = TTaskDialogVerifyClickEvent(&log, &EventLog::Verify);
    dialog->RadioButtons()->Add("Keep the settings");
    dialog->RadioButtons()->Add("Reset the settings");
    dialog->VerificationText = "Do not ask again";
    dialog->Options = TTaskDialogOptions{doVerifyChecked};
    dialog->CommonButtons = TCommonButtons{cbOK};
    bool firstChecked = false;
    WhileShown pick(dialog, [&](TAdvMessageForm* form) {
        ASSERT_EQ(form->RadioButtonControls().size(), 2u);
        auto* first = static_cast<TRadioButton*>(form->RadioButtonControls()[0]);
        auto* second = static_cast<TRadioButton*>(form->RadioButtonControls()[1]);
        firstChecked = first->Checked();
        EXPECT_EQ(second->Name(), "Radio1");
        SendMessageA(second->Handle(), BM_CLICK, 0, 0);
        ASSERT_NE(form->VerificationCheckBox(), nullptr);
        EXPECT_TRUE(form->VerificationCheckBox()->Checked());
        EXPECT_GE(form->VerificationCheckBox()->Top(), form->ButtonAreaTop());
        SendMessageA(form->VerificationCheckBox()->Handle(), BM_CLICK, 0, 0);
        static_cast<TButton*>(CommonButton(form, "OK"))->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_TRUE(firstChecked) << "DefaultRadioButton 200 checks the first";
    EXPECT_EQ(dialog->RadioButtonResult, 201);
    EXPECT_EQ(log.radios, std::vector<int>{201});
    EXPECT_FALSE(dialog->VerificationChecked);
    EXPECT_EQ(log.verified, std::vector<bool>{false});
}

TEST_F(TaskDialogTest, ProgressBarTimerAndFooter)
{
    EventLog log;
    dialog->OnDialogTimer = TNotifyEvent(&log, &EventLog::Timer);
    dialog->OnDialogProgress = TTaskDialogProgressEvent(&log, &EventLog::Progress);
    dialog->Options = TTaskDialogOptions{doProgressBar};
    dialog->ProgressBarMin = 10;
    dialog->ProgressBarMax = 50;
    dialog->SetContent("Erasing");
    dialog->SetFooter("Footer text");
    dialog->FooterIcon = tfiWarning;
    dialog->CommonButtons = TCommonButtons{cbCancel};
    int min = 0, max = 0, position = 0;
    WhileShown wait(dialog, [&](TAdvMessageForm* form) {
        ASSERT_NE(form->ProgressBar(), nullptr);
        EXPECT_EQ(form->ProgressBar()->Width(), form->ClientWidth() - 2 * form->HorizontalMargin());
        const RECT footer = form->FooterRect();
        EXPECT_EQ(footer.left, form->HorizontalMargin());
        EXPECT_EQ(footer.bottom, form->ClientHeight());
        EXPECT_GT(footer.top, CommonButton(form, "Cancel")->Top());
        EXPECT_TRUE(testsupport::PumpUntil([&] { return log.timers >= 2; }, 5000));
        min = form->ProgressBar()->Min();
        max = form->ProgressBar()->Max();
        position = form->ProgressBar()->Position();
        static_cast<TButton*>(CommonButton(form, "Cancel"))->Click();
    });
    EXPECT_EQ(dialog->Execute(), 2);
    EXPECT_GE(log.timers, 2);
    EXPECT_EQ(min, 10);
    EXPECT_EQ(max, 50);
    EXPECT_EQ(position, 30);
}

TEST_F(TaskDialogTest, CtrlCCopiesTheTextsAndALockedClipboardOnlyBeeps)
{
    MainWindowDialog("");
    dialog->NonNativeDialog = nndAlways;
    std::string copied;
    int exceptions = 0;
    struct Counter {
        int* count;
        void Seen(TObject*, Exception*) { ++*count; }
    } counter{&exceptions};
    Application->OnException = TExceptionEvent(&counter, &Counter::Seen);
    WhileShown keys(dialog, [&](TAdvMessageForm* form) {
        PressKey(form, 'C', VK_CONTROL);
        copied = Clipboard()->AsText();
        // Mended: with the clipboard held by another window the copy only beeps.
        HWND holder =
            CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(OpenClipboard(holder));
        PressKey(form, 'C', VK_CONTROL);
        CloseClipboard();
        DestroyWindow(holder);
        EXPECT_EQ(form->ModalResult(), mrNone) << "the dialog goes on";
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    Application->OnException = TExceptionEvent();
    EXPECT_EQ(copied, "Success\r\nRestarting MCU...\r\nDownloading program has finished.");
    EXPECT_EQ(exceptions, 0);
}

TEST_F(TaskDialogTest, EscapeCancelsOnlyWhenAllowedAndCloseCanBeVetoed)
{
    EventLog log;
    dialog->OnDialogClose = TTaskDialogCloseEvent(&log, &EventLog::Close);
    dialog->CommonButtons = TCommonButtons{cbOK};
    dialog->Options = TTaskDialogOptions{doAllowDialogCancel};
    log.veto = true;
    bool openAfterVeto = false;
    WhileShown veto(dialog, [&](TAdvMessageForm* form) {
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    // The next step runs once the modal loop has asked OnDialogClose (and been refused).
    WhileShown escape(
        dialog,
        [&](TAdvMessageForm* form) {
            EXPECT_TRUE(testsupport::PumpUntil([&] { return log.closeQueries == 1; }, 5000));
            openAfterVeto = IsWindowVisible(form->Handle()) && form->ModalResult() == mrNone;
            PressKey(form, VK_ESCAPE);
        },
        [&] { return veto.ran && log.closeQueries == 1; });
    EXPECT_EQ(dialog->Execute(), 2) << "Escape with doAllowDialogCancel";
    EXPECT_TRUE(openAfterVeto) << "a cleared CanClose keeps the form open";
    EXPECT_EQ(log.closeQueries, 2);
}

TEST_F(TaskDialogTest, FooterLinksGoToTheHyperlinkHandler)
{
    struct Links {
        std::vector<std::string> clicked;
        void Click(TObject*, const std::string& href) { clicked.push_back(href); }
    } links;
    dialog->OnDialogHyperlinkClick = TTaskDialogHyperlinkClickEvent(&links, &Links::Click);
    dialog->CommonButtons = TCommonButtons{cbOK};
    dialog->SetFooter("<a href=\"http://example.com/help\">Details</a>");
    dialog->FooterIcon = tfiInformation;
    std::string under;
    WhileShown click(dialog, [&](TAdvMessageForm* form) {
        const RECT text = form->FooterTextRect();
        EXPECT_EQ(text.left, form->HorizontalMargin() + 20) << "right of the footer icon";
        under = form->AnchorAt(text.left + 4, text.top + 4);
        SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(text.left + 4, text.top + 4));
        SendMessageA(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(text.left + 4, text.top + 4));
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_EQ(under, "http://example.com/help");
    EXPECT_EQ(links.clicked, std::vector<std::string>{"http://example.com/help"});
}

TEST_F(TaskDialogTest, TextChangesWhileShownRelayTheForm)
{
    dialog->CommonButtons = TCommonButtons{cbOK};
    dialog->SetInstruction("Short");
    dialog->SetContent("One line");
    int before = 0, after = 0;
    std::string instruction;
    WhileShown change(dialog, [&](TAdvMessageForm* form) {
        before = form->ClientHeight();
        dialog->SetContent("One line\\nand a second\\nand a third");
        dialog->SetInstruction("A longer instruction now");
        after = form->ClientHeight();
        instruction = form->InstructionLabel()->Caption();
        static_cast<TButton*>(form->CommonButtonControls()[0])->Click();
    });
    EXPECT_EQ(dialog->Execute(), 1);
    EXPECT_GT(after, before);
    EXPECT_EQ(instruction, "A longer instruction now");
}

} // namespace

namespace {

TEST(OpenLinkInBrowser, HandsNothingButWebLinksToTheShell)
{
    // Mended: links used to run through "iexplore.exe" with the "runas" verb, unquoted; a
    // local program or script must never reach the shell from a dialog's link.
    for (const char* link : {"file://C:/windows/notepad.exe", "C:\\windows\\notepad.exe",
                             "notepad.exe", "javascript:alert(1)", "http://example.com/\" --flag"})
        EXPECT_FALSE(OpenLinkInBrowser(nullptr, link)) << link;
}

} // namespace
