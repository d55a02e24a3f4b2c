// Pop-up forms and custom frames: forms whose window is a pop-up of a parent control (placed in
// screen coordinates, owned by the parent's top-level window, hidden when another window is
// activated), a form canvas with Paint, a form border width, client-rectangle overrides that
// alignment honours, non-client hit tests with a real edge drag, maximizing within the limits
// of WM_GETMINMAXINFO, and a window region applied and removed.
#include "windows/Application.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"
#include "windows/WindowRegion.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <windowsx.h>

#include <string>
#include <thread>
#include <vector>

using namespace classlib;
using testsupport::Dib;
using testsupport::PumpUntil;

namespace {

// A pop-up made the way a descendant class may make it: by turning the child style of its
// creation parameters into a pop-up style itself.
class TStylePopupForm : public TForm {
    CLASSLIB_CLASS(TStylePopupForm, TForm)
    explicit TStylePopupForm(TComponent* owner) : TForm(owner) {}

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        params.Style = (params.Style | WS_POPUP) & ~static_cast<DWORD>(WS_CHILD);
    }
};
CLASSLIB_PUBLISH(TStylePopupForm) {}

struct PopupKind {
    const char* name;
    bool nestedParent; // parented to a control inside a panel rather than to the panel
    TFormStyle style;
    bool byCreateParams; // TStylePopupForm instead of PopupWindow
};

class PopupFormTest : public ::testing::TestWithParam<PopupKind> {};

TEST_P(PopupFormTest, ShowsAtAScreenPointOwnedByTheTopLevelWindowAndHidesOnDeactivation)
{
    const PopupKind& kind = GetParam();
    auto* form = new TForm(nullptr);
    form->SetBounds(40, 40, 400, 300);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 200, 100);
    auto* button = new TButton(form);
    button->SetParent(panel);
    button->SetBounds(10, 10, 80, 24);
    form->Show();

    TForm* popup = kind.byCreateParams ? new TStylePopupForm(form) : new TForm(form);
    popup->SetBorderStyle(bsNone);
    popup->SetFormStyle(kind.style);
    if (!kind.byCreateParams)
        popup->SetPopupWindow(true);
    popup->SetHideOnDeactivate(true);
    popup->SetParent(kind.nestedParent ? static_cast<TWinControl*>(button) : panel);
    popup->SetBounds(600, 500, 120, 90);
    popup->Show();
    Application->ProcessMessages();

    const HWND window = popup->Handle();
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 600);
    EXPECT_EQ(r.top, 500);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(popup->Left(), 600);
    EXPECT_EQ(popup->ClientOrigin().x, 600);
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_EQ(GetWindow(window, GW_OWNER), form->Handle());
    EXPECT_EQ((GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
              kind.style == fsStayOnTop);

    // Moving it keeps screen coordinates.
    popup->SetBounds(620, 510, 120, 90);
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 620);
    EXPECT_EQ(r.top, 510);

    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == window; }));
    auto* other = new TForm(nullptr);
    other->SetBounds(100, 400, 200, 100);
    other->Show();
    SetActiveWindow(other->Handle());
    EXPECT_TRUE(PumpUntil([&] { return !popup->Visible() && !IsWindowVisible(window); }));
    other->Free();
    form->Free();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PopupFormTest,
    ::testing::Values(PopupKind{"StayOnTopOnPanel", false, fsStayOnTop, false},
                      PopupKind{"NormalOnNestedControl", true, fsNormal, false},
                      PopupKind{"StyleTurnedByCreateParams", false, fsStayOnTop, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PopupFormVetoTest, CloseQueryKeepsAPopupThatHidesOnDeactivation)
{
    auto* form = new TForm(nullptr);
    form->SetBounds(40, 40, 300, 200);
    form->Show();
    auto* popup = new TForm(form);
    popup->SetBorderStyle(bsNone);
    popup->SetPopupWindow(true);
    popup->SetHideOnDeactivate(true);
    popup->SetParent(form);
    struct Veto {
        int asked = 0;
        void CloseQuery(TObject*, bool& canClose)
        {
            ++asked;
            canClose = false;
        }
    } veto;
    popup->OnCloseQuery = TCloseQueryEvent(&veto, &Veto::CloseQuery);
    popup->SetBounds(500, 300, 80, 60);
    popup->Show();
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == popup->Handle(); }));
    auto* other = new TForm(nullptr);
    other->SetBounds(100, 300, 200, 100);
    other->Show();
    SetActiveWindow(other->Handle());
    EXPECT_TRUE(PumpUntil([&] { return veto.asked > 0; }));
    Application->ProcessMessages();
    EXPECT_TRUE(popup->Visible());
    EXPECT_TRUE(IsWindowVisible(popup->Handle()));
    other->Free();
    form->Free();
}

// ---- canvas, border width, client rectangle ------------------------------------------------

class TFramedForm : public TForm {
    CLASSLIB_CLASS(TFramedForm, TForm)
    CLASSLIB_MESSAGES()
    explicit TFramedForm(TComponent* owner) : TForm(owner) {}
    RECT inset{0, 0, 0, 0};
    MINMAXINFO limits{};
    bool limitMaximize = false;

protected:
    void Paint() override
    {
        TForm::Paint();
        Canvas()->Brush()->SetColor(static_cast<TColor>(0x0000FF)); // red
        Canvas()->FillRect(RECT{0, 0, 10, 10});
    }
    void AdjustClientRect(RECT& rect) override
    {
        TForm::AdjustClientRect(rect);
        rect.left += inset.left;
        rect.top += inset.top;
        rect.right -= inset.right;
        rect.bottom -= inset.bottom;
    }
    // A caption-less window sized from its edges: 6-pixel bands on the right and at the bottom.
    void WMNCHitTest(TMessage& m)
    {
        Inherited(TFramedForm::StaticClass(), m);
        POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        p = ScreenToClient(p);
        const bool right = p.x >= ClientWidth() - 6, bottom = p.y >= ClientHeight() - 6;
        if (right && bottom)
            m.Result = HTBOTTOMRIGHT;
        else if (right)
            m.Result = HTRIGHT;
        else if (bottom)
            m.Result = HTBOTTOM;
    }
    void WMGetMinMaxInfo(TMessage& m)
    {
        TForm::WMGetMinMaxInfo(m);
        if (!limitMaximize)
            return;
        auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
        info->ptMaxPosition = limits.ptMaxPosition;
        info->ptMaxSize = limits.ptMaxSize;
    }
};
CLASSLIB_PUBLISH(TFramedForm) {}
CLASSLIB_MESSAGE_MAP(TFramedForm)
{
    m.On(WM_NCHITTEST, &TFramedForm::WMNCHitTest);
    m.On(WM_GETMINMAXINFO, &TFramedForm::WMGetMinMaxInfo);
}

TEST(FormFrameTest, PaintDrawsOnTheFormCanvasAndOnPaintRuns)
{
    auto* form = new TFramedForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 60, 40);
    int painted = 0;
    struct Counter {
        int* count;
        void Paint(TObject*) { ++*count; }
    } counter{&painted};
    form->OnPaint = TNotifyEvent(&counter, &Counter::Paint);
    form->SetColor(static_cast<TColor>(0x00FF00)); // green background
    form->HandleNeeded();
    Dib dib(60, 40, 0xFFFFFF);
    form->PaintTo(dib.dc(), 0, 0);
    EXPECT_EQ(dib.Pixel(5, 5), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(30, 30), 0x00FF00u);
    EXPECT_GE(painted, 1);
    form->Free();
}

struct ClientInset {
    const char* name;
    int borderWidth;
    RECT inset;
};

class FormClientRectTest : public ::testing::TestWithParam<ClientInset> {};

TEST_P(FormClientRectTest, AlignmentPlacesChildrenInsideTheAdjustedClientRectangle)
{
    const ClientInset& c = GetParam();
    auto* form = new TFramedForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 200, 150);
    form->inset = c.inset;
    form->SetBorderWidth(c.borderWidth);
    auto* top = new TPanel(form);
    top->SetParent(form);
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* client = new TPanel(form);
    client->SetParent(form);
    client->SetAlign(alClient);
    form->HandleNeeded();
    form->Realign();
    const int b = c.borderWidth;
    EXPECT_EQ(top->Left(), b + c.inset.left);
    EXPECT_EQ(top->Top(), b + c.inset.top);
    EXPECT_EQ(top->Width(), 200 - 2 * b - c.inset.left - c.inset.right);
    EXPECT_EQ(client->Top(), b + c.inset.top + 30);
    EXPECT_EQ(client->Top() + client->Height(), 150 - b - c.inset.bottom);
    form->Free();
}

INSTANTIATE_TEST_SUITE_P(Insets, FormClientRectTest,
                         ::testing::Values(ClientInset{"BorderWidth", 3, {0, 0, 0, 0}},
                                           ClientInset{"Override", 0, {1, 1, 2, 2}},
                                           ClientInset{"Both", 2, {1, 1, 2, 2}}),
                         [](const auto& info) { return std::string(info.param.name); });

class CaptionlessFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TFramedForm(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 200, 150);
        form->Show();
        Application->ProcessMessages();
    }
    void TearDown() override { form->Free(); }
    LRESULT HitTest(int x, int y)
    {
        return SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(100 + x, 100 + y));
    }
    TFramedForm* form = nullptr;
};

TEST_F(CaptionlessFormTest, HitTestsBySentMessagesNameTheEdges)
{
    struct Case {
        int x, y;
        LRESULT expected;
    };
    for (const Case& c : {Case{100, 70, HTCLIENT}, Case{197, 70, HTRIGHT}, Case{100, 147, HTBOTTOM},
                          Case{198, 148, HTBOTTOMRIGHT}, Case{193, 70, HTCLIENT}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(HitTest(c.x, c.y), c.expected);
    }
}

// The pointer is moved by the system's input queue from another thread: the platform's sizing
// loop runs inside the press's handling on this thread until the button goes up.
TEST_F(CaptionlessFormTest, RealDragOfTheRightEdgeResizesTheWindow)
{
    const POINT start{100 + 198, 100 + 70};
    SetCursorPos(start.x, start.y);
    Application->ProcessMessages();
    std::thread mover([start] {
        Sleep(100);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        for (int step = 1; step <= 8; ++step) {
            Sleep(30);
            SetCursorPos(start.x + step * 5, start.y);
            mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        }
        Sleep(60);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    });
    const bool grew = PumpUntil([&] {
        RECT r;
        GetWindowRect(form->Handle(), &r);
        return r.right - r.left >= 230;
    });
    mover.join();
    Application->ProcessMessages();
    EXPECT_TRUE(grew);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(form->Width(), r.right - r.left);
}

TEST_F(CaptionlessFormTest, MaximizingObeysTheSizeLimits)
{
    form->limitMaximize = true;
    form->limits.ptMaxPosition = POINT{10, 20};
    form->limits.ptMaxSize = POINT{300, 200};
    form->SetWindowState(wsMaximized);
    Application->ProcessMessages();
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
    EXPECT_TRUE(IsZoomed(form->Handle()));
}

TEST_F(CaptionlessFormTest, RegionIsAppliedAndRemoved)
{
    TWindowRegion region = TWindowRegion::RoundRect(RECT{0, 0, 200, 150}, 40, 40);
    ASSERT_NE(region.Handle(), nullptr);
    ASSERT_TRUE(region.ApplyTo(form->Handle(), true));
    EXPECT_EQ(region.Handle(), nullptr); // the window owns it now
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(form->Handle(), copy), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(copy, 1, 1)); // the rounded corner is cut off
    EXPECT_TRUE(PtInRegion(copy, 100, 75));
    TWindowRegion::RemoveFrom(form->Handle(), true);
    EXPECT_EQ(GetWindowRgn(form->Handle(), copy), ERROR); // no region any more
    DeleteObject(copy);
    // A region nobody took is freed by its owner; an empty helper applies nothing.
    TWindowRegion empty;
    EXPECT_FALSE(empty.ApplyTo(form->Handle(), false));
}

} // namespace
