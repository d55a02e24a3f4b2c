// Controls under Wine: painting through the parent, colour propagation, mouse enter and leave,
// message dispatch by number, focus and dialog keys.
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace classlib;
using testsupport::Dib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// A graphic control that fills itself with one colour and records what it is told.
class TSwatch : public TGraphicControl {
    CLASSLIB_CLASS(TSwatch, TGraphicControl)
    CLASSLIB_MESSAGES()
    explicit TSwatch(TComponent* owner) : TGraphicControl(owner) {}
    std::vector<std::string>* log = nullptr;
    int dialogKeys = 0;

protected:
    void Paint() override
    {
        canvas_->Brush()->SetColor(color_);
        canvas_->FillRect(ClientRect());
    }
    void CMDialogKey(TMessage& m)
    {
        ++dialogKeys;
        Inherited(TSwatch::StaticClass(), m);
    }
};

CLASSLIB_PUBLISH(TSwatch) {}
CLASSLIB_MESSAGE_MAP(TSwatch)
{
    m.On(CM_DIALOGKEY, &TSwatch::CMDialogKey);
}

// A custom control that paints a frame of its colour and a centre of its font colour.
class TFramed : public TCustomControl {
    CLASSLIB_CLASS(TFramed, TCustomControl)
    explicit TFramed(TComponent* owner) : TCustomControl(owner) {}

protected:
    void Paint() override
    {
        canvas_->Brush()->SetColor(color_);
        canvas_->FillRect(ClientRect());
        canvas_->Brush()->SetColor(font_->Color());
        canvas_->FillRect(RECT{4, 4, width_ - 4, height_ - 4});
    }
};
CLASSLIB_PUBLISH(TFramed) {}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 360, 260);
        form->SetCaption("controls");
    }
    void TearDown() override
    {
        form->Free();
        PumpFor(20);
    }
    // Sends a key press to the focused window through the message loop.
    void PressKey(WORD key)
    {
        HWND target = GetFocus();
        ASSERT_NE(target, nullptr);
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, 0xC0000001);
        PumpFor(30);
    }
    TForm* form;
};

uint32_t Rgb(TColor c) // TColor (0x00BBGGRR) as a DIB pixel (0xRRGGBB)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

} // namespace

TEST_F(ControlsTest, GraphicChildrenPaintThroughTheParentInZOrder)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 120);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(0x00FF00);
    auto* below = new TSwatch(form);
    below->SetParent(panel);
    below->SetBounds(20, 20, 60, 40);
    below->SetColor(0x0000FF);
    auto* above = new TSwatch(form);
    above->SetParent(panel);
    above->SetBounds(50, 30, 60, 40);
    above->SetColor(0xFF0000);

    Dib dib(200, 120);
    panel->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.Pixel(5, 5), Rgb(0x00FF00));   // the panel's own background
    EXPECT_EQ(dib.Pixel(25, 25), Rgb(0x0000FF)); // only the lower swatch
    EXPECT_EQ(dib.Pixel(55, 35), Rgb(0xFF0000)); // overlap: the upper one wins
    above->SendToBack();
    panel->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.Pixel(55, 35), Rgb(0x0000FF));
    EXPECT_EQ(dib.Pixel(100, 60), Rgb(0xFF0000)); // its uncovered part still shows

    // The same through a real WM_PAINT of the shown window.
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    panel->Repaint();
    HDC screen = GetDC(panel->Handle());
    EXPECT_EQ(GetPixel(screen, 25, 25) & 0xFFFFFF, ColorToRGB(0x0000FF));
    EXPECT_EQ(GetPixel(screen, 100, 60) & 0xFFFFFF, ColorToRGB(0xFF0000));
    ReleaseDC(panel->Handle(), screen);
}

TEST_F(ControlsTest, PaintOfACustomControlRendersIntoADib)
{
    auto* framed = new TFramed(form);
    framed->SetParent(form);
    framed->SetBounds(0, 0, 40, 30);
    framed->SetColor(0x123456);
    framed->Font()->SetColor(0x654321);
    Dib dib(40, 30);
    framed->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.Pixel(1, 1), Rgb(0x123456));
    EXPECT_EQ(dib.Pixel(20, 15), Rgb(0x654321));
}

TEST_F(ControlsTest, ParentColourReachesChildrenThatFollowIt)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* follows = new TSwatch(form);
    follows->SetParent(panel);
    follows->SetParentColor(true);
    auto* own = new TSwatch(form);
    own->SetParent(panel);
    own->SetColor(0x010203);
    auto* nested = new TPanel(form);
    nested->SetParent(panel);
    nested->SetParentColor(true);
    auto* deep = new TSwatch(form);
    deep->SetParent(nested);
    deep->SetParentColor(true);

    panel->SetColor(0x00ABCDEF);
    EXPECT_EQ(follows->Color(), 0x00ABCDEFu);
    EXPECT_TRUE(follows->ParentColor());
    EXPECT_EQ(own->Color(), 0x010203u);
    EXPECT_EQ(nested->Color(), 0x00ABCDEFu);
    EXPECT_EQ(deep->Color(), 0x00ABCDEFu);
    // Setting a colour of its own ends the following.
    follows->SetColor(0x111111);
    panel->SetColor(0x222222);
    EXPECT_EQ(follows->Color(), 0x111111u);
    EXPECT_FALSE(follows->ParentColor());
}

TEST_F(ControlsTest, ParentFontReachesChildren)
{
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    form->Font()->SetName("Arial");
    form->Font()->SetSize(12);
    EXPECT_EQ(edit->Font()->Name(), "Arial");
    EXPECT_EQ(edit->Font()->Size(), 12);
    EXPECT_TRUE(edit->ParentFont());
    edit->Font()->SetSize(9);
    EXPECT_FALSE(edit->ParentFont());
}

TEST_F(ControlsTest, MessagesAreDispatchedByNumberThroughTheClassChain)
{
    auto* swatch = new TSwatch(form);
    swatch->SetParent(form);
    EXPECT_EQ(swatch->Perform(CM_DIALOGKEY, VK_F5), 0);
    EXPECT_EQ(swatch->dialogKeys, 1);
    // A number with no handler anywhere reaches the default handler (result untouched: 0).
    EXPECT_EQ(swatch->Perform(CM_BASE + 0x3FF), 0);
    // CM_TEXTCHANGED is sent by a caption change.
    auto* label = new TLabel(form);
    label->SetParent(form);
    int changes = 0;
    label->WindowProc = [&, base = label->WindowProc](TMessage& m) {
        if (m.Msg == CM_TEXTCHANGED)
            ++changes;
        base(m);
    };
    label->SetCaption("one");
    label->SetCaption("one");
    label->SetCaption("two");
    EXPECT_EQ(changes, 2);
}

namespace {
struct EnterLeaveLog {
    std::vector<std::string> lines;
    void Enter(TObject* s) { lines.push_back("enter " + static_cast<TComponent*>(s)->Name()); }
    void Leave(TObject* s) { lines.push_back("leave " + static_cast<TComponent*>(s)->Name()); }
};
} // namespace

TEST_F(ControlsTest, MouseEnterAndLeaveArriveInOrder)
{
    EnterLeaveLog log;
    auto hook = [&](TControl* c, const char* name) {
        c->SetName(name);
        c->OnMouseEnter = TNotifyEvent(&log, &EnterLeaveLog::Enter);
        c->OnMouseLeave = TNotifyEvent(&log, &EnterLeaveLog::Leave);
    };
    auto* swatch = new TSwatch(form);
    swatch->SetParent(form);
    swatch->SetBounds(10, 10, 50, 50);
    hook(swatch, "Swatch");
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(100, 10, 80, 60);
    hook(panel, "Panel");
    hook(form, "Form");
    // The pointer starts outside the form, wherever an earlier test left it.
    SetCursorPos(600, 600);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));

    auto moveTo = [&](TControl* over, int x, int y) {
        POINT p = over->ClientToScreen(POINT{x, y});
        SetCursorPos(p.x, p.y);
        PumpFor(80);
    };
    moveTo(form, 250, 150);
    moveTo(swatch, 20, 20);
    moveTo(form, 250, 150);
    moveTo(panel, 40, 30);
    moveTo(form, 250, 150);
    const std::vector<std::string> expected{"enter Form",   "leave Form",  "enter Swatch",
                                            "leave Swatch", "enter Form",  "leave Form",
                                            "enter Panel",  "leave Panel", "enter Form"};
    EXPECT_EQ(log.lines, expected);
}

namespace {
struct ClickLog {
    std::vector<std::string> clicks;
    void Click(TObject* s) { clicks.push_back(static_cast<TComponent*>(s)->Name()); }
};
} // namespace

TEST_F(ControlsTest, TabMovesFocusInTabOrderAndEnterEscapeReachDefaultAndCancel)
{
    ClickLog log;
    auto* edit1 = new TEdit(form);
    edit1->SetName("Edit1");
    edit1->SetParent(form);
    auto* box = new TGroupBox(form);
    box->SetParent(form);
    box->SetBounds(10, 40, 200, 80);
    auto* inner = new TEdit(form);
    inner->SetName("Inner");
    inner->SetParent(box);
    inner->SetBounds(10, 20, 100, 21);
    auto* edit2 = new TEdit(form);
    edit2->SetName("Edit2");
    edit2->SetParent(form);
    edit2->SetTop(130);
    auto* ok = new TButton(form);
    ok->SetName("Ok");
    ok->SetParent(form);
    ok->SetBounds(10, 170, 75, 25);
    ok->SetDefault(true);
    ok->OnClick = TNotifyEvent(&log, &ClickLog::Click);
    auto* cancel = new TButton(form);
    cancel->SetName("Cancel");
    cancel->SetParent(form);
    cancel->SetBounds(100, 170, 75, 25);
    cancel->SetCancel(true);
    cancel->OnClick = TNotifyEvent(&log, &ClickLog::Click);
    // Tab order: Edit2 before Edit1.
    edit2->SetTabOrder(0);
    form->SetActiveControl(edit2);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return edit2->Focused(); }));

    PressKey(VK_TAB);
    EXPECT_TRUE(edit1->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(inner->Focused()); // into the group box (it takes no focus itself)
    PressKey(VK_TAB);
    EXPECT_TRUE(ok->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(cancel->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(edit2->Focused()); // wraps around
    EXPECT_EQ(form->ActiveControl(), edit2);

    // Enter in an edit goes to the default button, Escape to the cancel button.
    PressKey(VK_RETURN);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(log.clicks, (std::vector<std::string>{"Ok", "Cancel"}));
    // While another button has the focus, Enter is that button's.
    cancel->SetFocus();
    PumpFor(20);
    log.clicks.clear();
    PressKey(VK_RETURN);
    EXPECT_TRUE(std::find(log.clicks.begin(), log.clicks.end(), "Ok") == log.clicks.end());
}

TEST_F(ControlsTest, AnAcceleratorClicksItsControl)
{
    ClickLog log;
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    auto* button = new TButton(form);
    button->SetName("Run");
    button->SetParent(form);
    button->SetTop(40);
    button->SetCaption("&Run");
    button->OnClick = TNotifyEvent(&log, &ClickLog::Click);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetTop(80);
    label->SetCaption("&Name");
    auto* target = new TEdit(form);
    target->SetParent(form);
    target->SetTop(100);
    label->SetFocusControl(target);
    form->SetActiveControl(edit);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));

    // Alt+R (a system character) clicks the button; Alt+N focuses the label's control.
    PostMessageA(edit->Handle(), WM_SYSCHAR, 'r', 0x20000001);
    PumpFor(30);
    EXPECT_EQ(log.clicks, std::vector<std::string>{"Run"});
    PostMessageA(edit->Handle(), WM_SYSCHAR, 'n', 0x20000001);
    PumpFor(30);
    EXPECT_TRUE(target->Focused());
    // A plain character typed into an edit is text, not an accelerator.
    PostMessageA(target->Handle(), WM_CHAR, 'r', 1);
    PumpFor(30);
    EXPECT_EQ(log.clicks.size(), 1u);
    EXPECT_EQ(target->Text(), "r");
}

TEST_F(ControlsTest, AnchorsAndAlignFollowTheParentSize)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 200, 100);
    auto* top = new TPanel(form);
    top->SetParent(panel);
    top->SetHeight(20);
    top->SetAlign(alTop);
    auto* client = new TPanel(form);
    client->SetParent(panel);
    client->SetAlign(alClient);
    auto* right = new TSwatch(form);
    right->SetParent(form);
    right->SetBounds(150, 120, 30, 10);
    right->SetAnchors(TAnchors{akTop, akRight});
    panel->SetBevelOuter(bvNone);
    EXPECT_EQ(top->BoundsRect().right, 200);
    EXPECT_EQ(client->Top(), 20);
    EXPECT_EQ(client->Height(), 80);
    panel->SetBounds(0, 0, 300, 150);
    EXPECT_EQ(top->Width(), 300);
    EXPECT_EQ(client->Height(), 130);
    const int before = form->ClientWidth() - right->Left();
    form->SetWidth(form->Width() + 40);
    EXPECT_EQ(form->ClientWidth() - right->Left(), before);
}

namespace {
// Answers CM_HINTSHOW: changes the text and colour, or refuses the hint.
class THinted : public TSwatch {
    CLASSLIB_CLASS(THinted, TSwatch)
    CLASSLIB_MESSAGES()
    explicit THinted(TComponent* owner) : TSwatch(owner) {}
    bool refuse = false;
    int asked = 0;

protected:
    void CMHintShow(TMessage& m)
    {
        ++asked;
        auto* info = reinterpret_cast<THintInfo*>(m.LParam);
        info->HintStr += "!";
        info->HintColor = 0x00C0FFC0;
        m.Result = refuse ? 1 : 0;
    }
};
} // namespace

CLASSLIB_PUBLISH(THinted) {}
CLASSLIB_MESSAGE_MAP(THinted)
{
    m.On(CM_HINTSHOW, &THinted::CMHintShow);
}

TEST_F(ControlsTest, HintShowsAfterThePauseAsTheControlPreparesIt)
{
    THintManager& hints = THintManager::Instance();
    hints.HintPause = 50;
    auto* hinted = new THinted(form);
    hinted->SetParent(form);
    hinted->SetBounds(10, 10, 60, 40);
    hinted->SetHint("Short text|long text for a status bar");
    hinted->SetShowHint(true);
    auto* silent = new THinted(form);
    silent->SetParent(form);
    silent->SetBounds(100, 10, 60, 40);
    silent->SetHint("never");
    silent->SetShowHint(true);
    silent->refuse = true;
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));

    POINT p = hinted->ClientToScreen(POINT{20, 20});
    SetCursorPos(p.x, p.y);
    ASSERT_TRUE(PumpUntil([&] { return hints.HintShowing(); }));
    EXPECT_EQ(hinted->asked, 1);
    EXPECT_EQ(hints.HintWindow()->Text(), "Short text!");
    EXPECT_EQ(hints.HintWindow()->Color(), 0x00C0FFC0u);

    // Moving to a control that refuses its hint takes the shown one away and shows none.
    p = silent->ClientToScreen(POINT{20, 20});
    SetCursorPos(p.x, p.y);
    ASSERT_TRUE(PumpUntil([&] { return silent->asked == 1; }));
    PumpFor(100);
    EXPECT_FALSE(hints.HintShowing());
    hints.HintPause = 500;
}

TEST_F(ControlsTest, ACanvasDrawsAndMeasuresOutsidePainting)
{
    auto* framed = new TFramed(form);
    framed->SetParent(form);
    // Measuring before any window exists.
    EXPECT_GT(framed->Canvas()->TextWidth("measure"), 0);
    auto* swatch = new TSwatch(form);
    swatch->SetParent(form);
    swatch->SetBounds(120, 20, 40, 30);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()); }));
    PumpFor(50);
    // Drawing at once on a graphic control lands at its place in the parent's window.
    swatch->Canvas()->Brush()->SetColor(0x00FF00FF);
    swatch->Canvas()->FillRect(RECT{0, 0, 10, 10});
    HDC dc = GetDC(form->Handle());
    EXPECT_EQ(GetPixel(dc, 125, 25) & 0xFFFFFF, 0x00FF00FFu);
    EXPECT_NE(GetPixel(dc, 135, 45) & 0xFFFFFF, 0x00FF00FFu); // clipped to the control
    ReleaseDC(form->Handle(), dc);
    // The context is given back when the message loop takes its next message.
    PostMessageA(form->Handle(), WM_NULL, 0, 0);
    PumpFor(20);
    EXPECT_FALSE(swatch->Canvas()->HandleAllocated());
}

TEST_F(ControlsTest, MemoLinesAddedAtTheEndKeepTheTextAndTheViewFollowsThem)
{
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 60);
    memo->SetReadOnly(true);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(memo->Handle()); }));

    struct Case {
        const char* text;
        const char* added;
        const char* expected;
    };
    const Case cases[] = {
        {"", "x", "x"},
        {"a", "x", "a\r\nx"},
        {"a\r\nb\r\n", "x", "a\r\nb\r\nx"}, // a closing line break adds no empty line
        {"a\nb", "x", "a\nb\r\nx"},         // the earlier text is left as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        memo->SetText(c.text);
        memo->Lines()->Add(c.added);
        EXPECT_EQ(memo->Text(), c.expected);
    }

    // A growing log: every line stays, in order, and the newest one is in view.
    memo->SetText("");
    for (int i = 0; i < 40; ++i)
        memo->Lines()->Add("line " + std::to_string(i));
    ASSERT_EQ(memo->Lines()->GetCount(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(memo->Lines()->Get(i), "line " + std::to_string(i));
    const int first = static_cast<int>(SendMessageA(memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT client;
    GetClientRect(memo->Handle(), &client);
    const int lastVisible =
        HIWORD(SendMessageA(memo->Handle(), EM_CHARFROMPOS, 0, MAKELPARAM(2, client.bottom - 2)));
    EXPECT_GT(first, 0);
    EXPECT_GE(lastVisible, 38);

    // Lines inserted elsewhere still go where they are asked.
    memo->Lines()->Insert(1, "inserted");
    EXPECT_EQ(memo->Lines()->Get(1), "inserted");
    EXPECT_EQ(memo->Lines()->GetCount(), 41);
}
