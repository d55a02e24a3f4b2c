// Forms read from layouts: every standard control, nested parents, a timer and handlers bound
// by name; clicks, close and modal results; clear errors for layouts that do not fit.
#include "core/FormText.h"
#include "core/Streams.h"
#include "windows/Application.h"
#include "windows/ComCtrls.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"
#include "windows/Timers.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace classlib;
using testsupport::PumpUntil;

namespace {

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

// A form class with published handlers, as an application's window declares them.
class TLayoutForm : public TForm {
    CLASSLIB_CLASS(TLayoutForm, TForm)
    CLASSLIB_MESSAGES()
    // As an application's form: reads its compiled layout resource ("TLAYOUTFORM").
    explicit TLayoutForm(TComponent* owner) : TForm(owner) { LoadLayout(); }
    // Without a layout, for reading one from text.
    TLayoutForm(TComponent* owner, bool) : TForm(owner) {}

    std::vector<std::string> log;
    std::vector<std::string> dropped;
    void OkClick(TObject* sender)
    {
        log.push_back("click " + static_cast<TComponent*>(sender)->Name());
    }
    void FormCreate(TObject*) { log.push_back("create"); }
    void FormShow(TObject*) { log.push_back("show"); }
    void TimerTick(TObject* sender)
    {
        log.push_back("tick");
        static_cast<TTimer*>(sender)->SetEnabled(false);
    }
    void FormCloseQuery(TObject*, bool& canClose)
    {
        log.push_back("closequery");
        canClose = allowClose;
    }
    void FormClose(TObject*, TCloseAction& action)
    {
        log.push_back("close");
        action = caHide;
    }
    bool allowClose = true;

protected:
    void WMDropFiles(TMessage& m)
    {
        auto drop = reinterpret_cast<HDROP>(m.WParam);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char name[MAX_PATH];
            DragQueryFileA(drop, i, name, MAX_PATH);
            dropped.push_back(name);
        }
        DragFinish(drop);
    }
};

CLASSLIB_PUBLISH(TLayoutForm)
{
    c.Method("OkClick", &TLayoutForm::OkClick);
    c.Method("FormCreate", &TLayoutForm::FormCreate);
    c.Method("FormShow", &TLayoutForm::FormShow);
    c.Method("TimerTick", &TLayoutForm::TimerTick);
    c.Method("FormCloseQuery", &TLayoutForm::FormCloseQuery);
    c.Method("FormClose", &TLayoutForm::FormClose);
}

CLASSLIB_MESSAGE_MAP(TLayoutForm)
{
    m.On(WM_DROPFILES, &TLayoutForm::WMDropFiles);
}

// The layout's text (the same file is compiled into the executable's resources).
std::string LayoutText()
{
    std::ifstream in(BRENVIK_LAYOUT_DIR "/LayoutForm.form", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
TLayoutForm* LoadForm(const std::string& text)
{
    auto* form = new TLayoutForm(nullptr, false);
    try {
        TStringStream stream(ObjectTextToBinary(text));
        form->LoadLayoutFromStream(stream);
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

template <class T>
T* Find(TComponent* root, const char* name)
{
    auto* c = dynamic_cast<T*>(root->FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

} // namespace

TEST(FormLayout, LoadsEveryStandardControlWithNestedParentsFromItsResource)
{
    auto* form = new TLayoutForm(nullptr);
    EXPECT_EQ(form->Caption(), "Layout test");
    EXPECT_EQ(form->ClientWidth(), 420);
    EXPECT_EQ(form->ClientHeight(), 300);
    EXPECT_EQ(form->log, std::vector<std::string>{"create"});

    auto* panel = Find<TPanel>(form, "Panel1");
    auto* box = Find<TGroupBox>(form, "GroupBox1");
    auto* edit = Find<TEdit>(form, "Edit1");
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(box->Parent(), panel);
    EXPECT_EQ(edit->Parent(), box);
    EXPECT_EQ(Find<TLabel>(form, "Label1")->FocusControl(), edit);
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(panel->Color(), clBtnFace); // ParentColor
    EXPECT_EQ(edit->Font()->Color(), clWindowText);
    EXPECT_EQ(edit->Font()->Name(), "Tahoma");
    EXPECT_TRUE(Find<TCheckBox>(form, "CheckBox1")->Checked());
    EXPECT_FALSE(Find<TRadioButton>(form, "RadioButton1")->Checked());
    EXPECT_TRUE(Find<TRadioButton>(form, "RadioButton2")->Checked());
    auto* combo = Find<TComboBox>(form, "ComboBox1");
    EXPECT_EQ(combo->Style(), csOwnerDrawFixed);
    EXPECT_EQ(Find<TProgressBar>(form, "ProgressBar1")->Position(), 20);
    EXPECT_NE(Find<TImage>(form, "Image1"), nullptr);

    // The values reach the native controls once the windows exist.
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    EXPECT_EQ(edit->Text(), "hello");
    auto* memo = Find<TMemo>(form, "Memo1");
    ASSERT_EQ(memo->Lines()->GetCount(), 2);
    EXPECT_EQ(memo->Lines()->Get(1), "second");
    memo->Lines()->Add("third");
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\nthird");
    EXPECT_TRUE(GetWindowLongA(memo->Handle(), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(combo->ItemIndex(), 1);
    auto* list = Find<TListBox>(form, "ListBox1");
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    // Items added while the windows exist reach them, whichever way they are added.
    combo->Items()->Add("third");
    combo->Items()->AddObject("fourth", nullptr);
    combo->Items()->Insert(0, "zeroth");
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCOUNT, 0, 0), 5);
    list->Items()->Add("appended");
    char text[32] = {};
    ASSERT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 4);
    SendMessageA(list->Handle(), LB_GETTEXT, 3, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "appended");
    EXPECT_EQ(SendMessageA(Find<TProgressBar>(form, "ProgressBar1")->Handle(), PBM_GETPOS, 0, 0),
              20);
    EXPECT_EQ(GetParent(edit->Handle()), box->Handle());
    // The timer's handler is bound by name and runs.
    EXPECT_TRUE(
        PumpUntil([&] { return std::count(form->log.begin(), form->log.end(), "tick") == 1; }));
    EXPECT_EQ(form->log[1], "show");
    form->Free();
}

TEST(FormLayout, AHandlerBoundByNameFiresOnAPostedClick)
{
    auto* form = new TLayoutForm(nullptr);
    form->Show();
    auto* ok = Find<TButton>(form, "OkButton");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(ok->Handle()); }));
    // A click through the message queue: the native button turns it into BN_CLICKED, which
    // comes back to the control as CN_COMMAND. (BM_CLICK presses and releases in one step, so
    // another program taking the focus in between cannot cancel it.)
    PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] {
        return std::find(form->log.begin(), form->log.end(), "click OkButton") != form->log.end();
    }));
    EXPECT_EQ(form->ModalResult(), mrOk);
    form->Free();
}

TEST(FormLayout, OwnerDrawnComboBoxDrawsItsItemsThroughReflectedMessages)
{
    auto* form = new TLayoutForm(nullptr);
    auto* combo = Find<TComboBox>(form, "ComboBox1");
    std::vector<int> drawn;
    struct Recorder {
        std::vector<int>* drawn;
        void Draw(TWinControl*, int index, RECT, TOwnerDrawState) { drawn->push_back(index); }
        void Measure(TWinControl*, int, int& h) { h = 30; }
    } recorder{&drawn};
    combo->OnDrawItem = TDrawItemEvent(&recorder, &Recorder::Draw);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(combo->Handle()); }));
    combo->Repaint();
    Pump(50);
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1),
              drawn.end()); // the selected item in the edit field
    // The fixed item height given to the control came back through CN_MEASUREITEM.
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 16);
    form->Free();
}

TEST(FormLayout, CloseAsksOnCloseQueryAndRunsOnClose)
{
    auto* form = new TLayoutForm(nullptr);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    form->log.clear();
    form->allowClose = false;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form->Visible());
    form->allowClose = true;
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->log, (std::vector<std::string>{"closequery", "closequery", "close"}));
    form->Free();
}

TEST(FormLayout, ShowModalEndsWithTheButtonsModalResult)
{
    auto* form = new TLayoutForm(nullptr);
    auto* cancel = Find<TButton>(form, "CancelButton");
    cancel->HandleNeeded();
    PostMessageA(cancel->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(form->Visible());
    form->Free();
}

TEST(FormLayout, MessageMethodsOfTheFormReceiveDroppedFiles)
{
    auto* form = new TLayoutForm(nullptr);
    form->Show();
    // A drop handle as the shell builds it: DROPFILES followed by double-zero-ended names.
    const char names[] = "C:\\a.hex\0C:\\b.hex\0";
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof(names));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names, sizeof(names));
    GlobalUnlock(memory);
    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(form->dropped, (std::vector<std::string>{"C:\\a.hex", "C:\\b.hex"}));
    form->Free();
}

TEST(FormLayout, AnUnknownClassOrPropertyIsAClearError)
{
    struct Case {
        const char* from;
        const char* to;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {"    object ListBox1: TListBox",
         "    object ListBox1: TNoSuchList",
         {"ListBox1", "TNoSuchList"}},
        {"        Text = 'hello'", "        Txet = 'hello'", {"Edit1", "Txet"}},
        {"    OnClick = OkClick", "    OnClick = NoSuchHandler", {"NoSuchHandler"}},
        {"        FocusControl = Edit1", "        Shape = 3", {"Label1", "Shape"}},
    };
    for (const Case& c : cases) {
        std::string text = LayoutText();
        const size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, std::string(c.from).size(), c.to);
        try {
            LoadForm(text)->Free();
            ADD_FAILURE() << "no error for " << c.to;
        } catch (const ELayoutError& e) {
            for (const std::string& word : c.mentions)
                EXPECT_NE(e.Message().find(word), std::string::npos) << e.Message();
        }
    }
}

TEST(FormLayout, AMissingLayoutResourceIsReported)
{
    auto* form = new TLayoutForm(nullptr, false);
    EXPECT_THROW(form->LoadLayout("TNOSUCHFORM"), ELayoutError);
    form->Free();
}

TEST(FormLayout, CreateNewGivesAnEmptyFormThatShowsAndCloses)
{
    auto* form = new TForm(nullptr);
    form->SetClientSize(200, 100);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    RECT r;
    GetClientRect(form->Handle(), &r);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 100);
    form->Close();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    form->Free();
}
