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

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

void Pump(DWORD ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        Application->ProcessMessages();
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

// A form class with published handlers, as an application's window declares them.
class TLayoutForm : public TForm {
    CLASSLIB_CLASS(TLayoutForm, TForm)
    CLASSLIB_MESSAGES()
    explicit TLayoutForm(TComponent* owner) : TForm(owner) {}

    std::vector<std::string> log;
    std::vector<std::string> dropped;
    void OkClick(TObject* sender) { log.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
    void FormCreate(TObject*) { log.push_back("create"); }
    void FormShow(TObject*) { log.push_back("show"); }
    void TimerTick(TObject* sender)
    {
        log.push_back("tick");
        static_cast<TTimer*>(sender)->SetEnabled(false);
    }
    void FormCloseQuery(TObject*, bool& canClose) { log.push_back("closequery"); canClose = allowClose; }
    void FormClose(TObject*, TCloseAction& action) { log.push_back("close"); action = caHide; }
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

const char* const kLayout = R"(object LayoutForm: TLayoutForm
  Left = 60
  Top = 50
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  Caption = 'Layout test'
  ClientHeight = 300
  ClientWidth = 420
  Color = clBtnFace
  Font.Name = 'Tahoma'
  Font.Height = -11
  Font.Color = clWindowText
  KeyPreview = False
  OnCreate = FormCreate
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  OnClose = FormClose
  PixelsPerInch = 96
  TextHeight = 13
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 420
    Height = 260
    BevelOuter = bvNone
    ParentColor = True
    TabOrder = 0
    object GroupBox1: TGroupBox
      Left = 8
      Top = 8
      Width = 200
      Height = 150
      Caption = 'Group'
      TabOrder = 0
      object Label1: TLabel
        Left = 8
        Top = 20
        Caption = '&Name'
        FocusControl = Edit1
      end
      object Edit1: TEdit
        Left = 60
        Top = 18
        Width = 120
        Height = 21
        Text = 'hello'
        TabOrder = 0
      end
      object CheckBox1: TCheckBox
        Left = 8
        Top = 50
        Caption = 'Check'
        Checked = True
        TabOrder = 1
      end
      object RadioButton1: TRadioButton
        Left = 8
        Top = 75
        Caption = 'One'
        TabOrder = 2
      end
      object RadioButton2: TRadioButton
        Left = 8
        Top = 95
        Caption = 'Two'
        Checked = True
        TabOrder = 3
      end
    end
    object Memo1: TMemo
      Left = 216
      Top = 8
      Width = 190
      Height = 80
      Lines.Strings = (
        'first'
        'second')
      ReadOnly = True
      ScrollBars = ssVertical
      TabOrder = 1
    end
    object ComboBox1: TComboBox
      Left = 216
      Top = 96
      Width = 150
      Height = 22
      Style = csOwnerDrawFixed
      ItemHeight = 16
      Items.Strings = (
        'alpha'
        'beta')
      ItemIndex = 1
      TabOrder = 2
    end
    object ListBox1: TListBox
      Left = 216
      Top = 126
      Width = 150
      Height = 60
      Items.Strings = (
        'x'
        'y'
        'z')
      TabOrder = 3
    end
    object ProgressBar1: TProgressBar
      Left = 8
      Top = 170
      Width = 200
      Height = 16
      Max = 50
      Position = 20
      TabOrder = 4
    end
    object Image1: TImage
      Left = 216
      Top = 196
      Width = 32
      Height = 32
    end
  end
  object OkButton: TButton
    Left = 250
    Top = 268
    Width = 75
    Height = 25
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
    OnClick = OkClick
  end
  object CancelButton: TButton
    Left = 334
    Top = 268
    Width = 75
    Height = 25
    Caption = 'Cancel'
    Cancel = True
    ModalResult = 2
    TabOrder = 2
  end
  object Timer1: TTimer
    Interval = 20
    OnTimer = TimerTick
  end
end
)";

TLayoutForm* LoadForm(const std::string& text)
{
    auto* form = new TLayoutForm(nullptr);
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

TEST(FormLayout, LoadsEveryStandardControlWithNestedParents)
{
    TLayoutForm* form = LoadForm(kLayout);
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
    EXPECT_EQ(SendMessageA(Find<TProgressBar>(form, "ProgressBar1")->Handle(), PBM_GETPOS, 0, 0), 20);
    EXPECT_EQ(GetParent(edit->Handle()), box->Handle());
    // The timer's handler is bound by name and runs.
    EXPECT_TRUE(PumpUntil([&] { return std::count(form->log.begin(), form->log.end(), "tick") == 1; }));
    EXPECT_EQ(form->log[1], "show");
    form->Free();
}

TEST(FormLayout, AHandlerBoundByNameFiresOnAPostedClick)
{
    TLayoutForm* form = LoadForm(kLayout);
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
    TLayoutForm* form = LoadForm(kLayout);
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
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1), drawn.end()); // the selected item in the edit field
    // The fixed item height given to the control came back through CN_MEASUREITEM.
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 16);
    form->Free();
}

TEST(FormLayout, CloseAsksOnCloseQueryAndRunsOnClose)
{
    TLayoutForm* form = LoadForm(kLayout);
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
    TLayoutForm* form = LoadForm(kLayout);
    auto* cancel = Find<TButton>(form, "CancelButton");
    cancel->HandleNeeded();
    PostMessageA(cancel->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_FALSE(form->Visible());
    form->Free();
}

TEST(FormLayout, MessageMethodsOfTheFormReceiveDroppedFiles)
{
    TLayoutForm* form = LoadForm(kLayout);
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
        {"    object ListBox1: TListBox", "    object ListBox1: TNoSuchList", {"ListBox1", "TNoSuchList"}},
        {"        Text = 'hello'", "        Txet = 'hello'", {"Edit1", "Txet"}},
        {"    OnClick = OkClick", "    OnClick = NoSuchHandler", {"NoSuchHandler"}},
        {"        FocusControl = Edit1", "        Shape = 3", {"Label1", "Shape"}},
    };
    for (const Case& c : cases) {
        std::string text = kLayout;
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
    auto* form = new TLayoutForm(nullptr);
    EXPECT_THROW(form->LoadLayout(), ELayoutError);
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
