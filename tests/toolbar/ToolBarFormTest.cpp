// The toolbar form as a real window: the sizing bands of its hit test, a real drag of its right
// edge, maximizing onto the work area, the pager's caption-only state around 300 pixels, the
// window shape on this system and the frame's colour.
#include "toolbar/AdvToolBarForm.h"

#include "GuiTest.h"

#include "windows/ExtCtrls.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using namespace classlib;
using namespace toolbar;
using testsupport::Dib;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// A stand-in for the ribbon pager: records what the form asks of it.
class FakePager : public TCustomControl, public IToolBarFormPager {
public:
    explicit FakePager(TComponent* owner) : TCustomControl(owner) {}
    TColor captionTextColor = clBlue;
    bool minimized = false;
    std::vector<bool> minimizeCalls;
    std::vector<bool> canMoveCalls;

    TColor CaptionTextColor() const override { return captionTextColor; }
    bool PagesMinimized() const override { return minimized; }
    void SetPagesMinimized(bool value) override
    {
        minimized = value;
        minimizeCalls.push_back(value);
    }
    void SetCanMove(bool value) override { canMoveCalls.push_back(value); }
};

uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

class ToolBarForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TAdvToolBarForm(nullptr);
        form->SetBounds(50, 50, 400, 300);
        pager = new FakePager(form);
        pager->SetParent(form);
        pager->SetBounds(0, 0, 300, 40);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != 0; }));
        PumpFor(30);
    }
    void TearDown() override { form->Free(); }

    // The hit-test answer at a point of the client area.
    LRESULT HitTest(int x, int y)
    {
        const POINT s = form->ClientToScreen(POINT{x, y});
        return SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
    }

    int WindowWidth()
    {
        RECT r{};
        GetWindowRect(form->Handle(), &r);
        return r.right - r.left;
    }

    TAdvToolBarForm* form = nullptr;
    FakePager* pager = nullptr;
};

} // namespace

TEST_F(ToolBarForm, HitTestAnswersThinEdgesAndWideCorners)
{
    ASSERT_EQ(form->Width(), 400);
    ASSERT_EQ(form->Height(), 300);
    struct Case {
        int x, y;
        LRESULT answer;
    };
    const Case cases[] = {
        {1, 100, HTLEFT},          {395, 100, HTRIGHT},       {10, 10, HTTOPLEFT},
        {390, 290, HTBOTTOMRIGHT}, {200, 1, HTTOP},           {200, 295, HTBOTTOM},
        {385, 5, HTTOPRIGHT},      {5, 285, HTBOTTOMLEFT},    {3, 100, HTCLIENT},
        {388, 100, HTCLIENT},      {389, 100, HTRIGHT},       {200, 3, HTCLIENT},
        {200, 288, HTCLIENT},      {200, 289, HTBOTTOM},      {20, 20, HTCLIENT},
        {19, 19, HTTOPLEFT},       {381, 281, HTBOTTOMRIGHT}, {380, 150, HTCLIENT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HitTest(c.x, c.y), c.answer) << c.x << "," << c.y;
}

TEST_F(ToolBarForm, MaximizesOntoTheWorkAreaAndThenAnswersTheInheritedHitTest)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ShowWindow(form->Handle(), SW_MAXIMIZE);
    PumpFor(50);
    ASSERT_TRUE(IsZoomed(form->Handle()));
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    // From Vista on the form has no extra margin around the work area.
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    for (POINT p : {POINT{1, 100}, POINT{10, 10}, POINT{200, 1}})
        EXPECT_EQ(HitTest(p.x, p.y), HTCLIENT) << p.x << "," << p.y;
    ShowWindow(form->Handle(), SW_RESTORE);
    PumpFor(30);
    EXPECT_EQ(HitTest(1, 100), HTLEFT);
}

TEST_F(ToolBarForm, PagerShowsOnlyItsCaptionBelow300Pixels)
{
    struct Step {
        int width;
        bool minimized;
        size_t calls;
    };
    const Step steps[] = {
        {320, false, 0}, {299, true, 1}, {300, true, 1}, {301, false, 2}, {300, false, 2},
    };
    for (const Step& s : steps) {
        form->SetWidth(s.width);
        EXPECT_EQ(WindowWidth(), s.width);
        EXPECT_EQ(pager->minimized, s.minimized) << s.width;
        EXPECT_EQ(pager->minimizeCalls.size(), s.calls) << s.width;
    }
    // On this system (Vista or later) the pager is not told to drag the form.
    EXPECT_TRUE(pager->canMoveCalls.empty());
}

// Dragging the right sizing band with the mouse: the system's sizing loop runs on the band the
// hit test answers, and the pager follows the new width.
TEST_F(ToolBarForm, RightEdgeDragResizesTheForm)
{
    // A press on the right sizing band, a move 150 pixels to the left and the release. The
    // system's sizing loop runs inside the press: it starts from the position of the last
    // message taken from the queue and follows the positions of the messages it reads, so
    // the pointer is put at each place before the message that carries it is posted.
    HWND h = form->Handle();
    RECT window{};
    GetWindowRect(h, &window);
    const POINT start{window.right - 3, window.top + 150};
    const POINT s = form->ScreenToClient(start);
    ASSERT_EQ(HitTest(s.x, s.y), HTRIGHT);
    const POINT end{start.x - 150, start.y};
    SetCursorPos(start.x, start.y);
    PostMessageA(h, WM_NULL, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, h, WM_NULL, WM_NULL, PM_REMOVE));
    SetCursorPos(end.x, end.y);
    PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, 0);
    PostMessageA(h, WM_LBUTTONUP, 0, 0);
    SendMessageA(h, WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(start.x, start.y));
    PumpFor(50);
    EXPECT_EQ(WindowWidth(), 250);
    EXPECT_EQ(form->Width(), 250);
    EXPECT_TRUE(pager->minimized);
}

TEST_F(ToolBarForm, HasADropShadowButNoRegionOrInsetFromVistaOn)
{
    const auto classStyle = GetClassLongPtrA(form->Handle(), GCL_STYLE);
    EXPECT_NE(classStyle & 0x20000, 0u);
    const auto style = GetWindowLongPtrA(form->Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << std::hex << style;
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_NE(style & WS_SYSMENU, 0);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(form->Handle(), rgn), ERROR);
    DeleteObject(rgn);
    auto* client = new TPanel(form);
    client->SetParent(form);
    client->SetAlign(alClient);
    EXPECT_EQ(client->Left(), 0);
    EXPECT_EQ(client->Top(), 0);
    EXPECT_EQ(client->Width(), form->ClientWidth());
    EXPECT_EQ(client->Height(), form->ClientHeight());
}

// The frame: the rounded rectangle (0, 0, Width - 7, Height - 7) in the caption text colour of
// the last pager, grey without a pager, and black where that colour is white.
TEST_F(ToolBarForm, FrameTakesTheLastPagersCaptionColour)
{
    pager->SetBounds(0, 100, 10, 10); // out of the frame's way
    auto frameAt = [&](int x, int y) {
        Dib dib(form->ClientWidth(), form->ClientHeight(), 0x00FF00);
        form->PaintTo(dib.dc(), 0, 0);
        return dib.Pixel(x, y);
    };
    const int right = form->Width() - 8; // the right line of the rounded rectangle
    struct Case {
        const char* name;
        TColor first, second;
        bool secondPager;
        TColor frame;
    };
    const Case cases[] = {
        {"one pager", 0x00C000, 0, false, 0x00C000},
        {"white drawn black", clWhite, 0, false, clBlack},
        {"the last pager wins", 0x00C000, 0xC00000, true, 0xC00000},
    };
    FakePager* second = nullptr;
    for (const Case& c : cases) {
        pager->captionTextColor = c.first;
        if (c.secondPager && !second) {
            second = new FakePager(form);
            second->SetParent(form);
            second->SetBounds(20, 100, 10, 10);
        }
        if (second)
            second->captionTextColor = c.second;
        EXPECT_EQ(frameAt(0, 150), Px(c.frame)) << c.name;
        EXPECT_EQ(frameAt(200, 0), Px(c.frame)) << c.name;
        if (right < form->ClientWidth()) {
            EXPECT_EQ(frameAt(right, 150), Px(c.frame)) << c.name;
        }
    }
    second->Free();
    pager->Free();
    EXPECT_EQ(frameAt(0, 150), Px(clGray));
    EXPECT_EQ(form->PagerFrameColor(), clGray);
}

// The status bar recognises a toolbar form among its parents through the pager-caption form
// interface and takes its corner colour from the last pager.
TEST_F(ToolBarForm, StatusBarSeesTheFormAndItsLastPager)
{
    TWinControl* parent = form;
    auto* seen = dynamic_cast<const draw::IPagerCaptionForm*>(parent);
    ASSERT_NE(seen, nullptr);
    pager->captionTextColor = 0x00C000;
    EXPECT_EQ(seen->PagerFrameColor(), 0x00C000);
    auto* second = new FakePager(form);
    second->SetParent(form);
    second->captionTextColor = clWhite; // the raw colour; only the frame draws it black
    EXPECT_EQ(seen->PagerFrameColor(), clWhite);
    auto* plain = new TForm(nullptr);
    parent = plain;
    EXPECT_EQ(dynamic_cast<const draw::IPagerCaptionForm*>(parent), nullptr);
    plain->Free();
}
