// The office status bar through real windows under Wine, painted into a DIB: panel geometry,
// backgrounds of the light and dark sets in their normal, hot and down states, separators, the
// frame, the size grip and its hit test, owner drawing, the content of the other panel styles,
// the 100 ms timer driven by timer messages, automatic widths, simple mode and right-to-left.
#include "panels/AdvOfficeStatusBar.h"

#include "core/SysUtils.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/Images.h"
#include "windows/Screen.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace classlib;
using namespace panels;
using testsupport::Dib;

namespace {

constexpr int BarWidth = 300, BarHeight = 19;
constexpr TColor Green = 0x00C000, Blue = 0xC00000, Red = 0x0000C0, Dark = 0x404040;

uint32_t Rgb(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// p % of c1 and (100 - p) % of c2 per channel, as the Part defines the blend (as 0xRRGGBB).
uint32_t Blend(TColor c1, TColor c2, int p)
{
    const uint32_t a = Rgb(c1), b = Rgb(c2);
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        const int x = static_cast<int>((a >> shift) & 0xFF),
                  y = static_cast<int>((b >> shift) & 0xFF);
        out |= static_cast<uint32_t>((x * p + y * (100 - p)) / 100) << shift;
    }
    return out;
}

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {16, 8, 0})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Sets one appearance set to flat colours: normal `color`, hot `hot`, down `down`, no mirrors.
void Flat(TVistaBackground* s, TColor color, TColor hot, TColor down)
{
    s->SetColor(color);
    s->SetColorTo(color);
    s->SetColorMirror(clNone);
    s->SetColorMirrorTo(clNone);
    s->SetColorHot(hot);
    s->SetColorHotTo(hot);
    s->SetColorMirrorHot(clNone);
    s->SetColorMirrorHotTo(clNone);
    s->SetColorDown(down);
    s->SetColorDownTo(down);
    s->SetColorMirrorDown(clNone);
    s->SetColorMirrorDownTo(clNone);
    s->SetBorderColor(clNone);
    s->SetBorderColorHot(clNone);
    s->SetBorderColorDown(clNone);
}

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBorderStyle(bsDialog);
        form->SetBounds(40, 40, BarWidth + 40, 120);
        bar = new TAdvOfficeStatusBar(form);
        bar->SetParent(form);
        bar->SetAlign(alNone);
        bar->SetBounds(0, 0, BarWidth, BarHeight);
        bar->SetAntiAlias(aaNone);
        styler = new TAdvOfficeStatusBarOfficeStyler(form);
        styler->SetStyle(TOfficeStatusBarStyle::psCustom);
        styler->SetBorderColor(clNone);
        Flat(styler->PanelAppearanceLight(), Green, Blue, Red);
        Flat(styler->PanelAppearanceDark(), Dark, Blue, Red);
        styler->PanelAppearanceLight()->SetTextColor(clBlack);
        bar->SetStyler(styler);
    }
    void TearDown() override { form->Free(); }

    std::unique_ptr<Dib> Render()
    {
        auto dib = std::make_unique<Dib>(BarWidth, BarHeight, 0xFF00FF);
        bar->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    TAdvOfficeStatusPanel* AddPanel(TAdvOfficeStatusPanelStyle style, int width,
                                    const std::string& text = "")
    {
        TAdvOfficeStatusPanel* p = bar->Panels()->Add();
        p->SetStyle(style);
        p->SetWidth(width);
        p->SetText(text);
        return p;
    }

    void Mouse(UINT message, int x, int y, WPARAM keys = 0)
    {
        SendMessageA(bar->Handle(), message, keys, MAKELPARAM(x, y));
    }

    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            SendMessageA(bar->Handle(), WM_TIMER, TAdvOfficeStatusBar::TimerId, 0);
    }

    // Whether any pixel of the rectangle has exactly this colour.
    static bool Any(const Dib& dib, const RECT& r, uint32_t rgb)
    {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (dib.Pixel(x, y) == rgb)
                    return true;
        return false;
    }

    TForm* form = nullptr;
    TAdvOfficeStatusBar* bar = nullptr;
    TAdvOfficeStatusBarOfficeStyler* styler = nullptr;
};

TEST_F(StatusBarTest, PanelRectangles)
{
    struct GeometryCase {
        const char* name;
        std::vector<int> widths;
        int stretch;
        std::vector<std::pair<int, int>> rects; // left, right of PanelRect
    };
    const GeometryCase cases[] = {
        {"last panel stretches", {50, 60, 70}, -1, {{0, 50}, {50, 110}, {110, BarWidth - 1}}},
        {"middle stretch panel", {50, 60, 70}, 1, {{0, 50}, {50, 230}, {230, BarWidth - 1}}},
        {"stretch panel squeezed to nothing",
         {200, 10, 200},
         1,
         {{0, 200}, {200, 200}, {200, BarWidth - 1}}},
    };
    for (const GeometryCase& c : cases) {
        bar->Panels()->Clear();
        for (int w : c.widths)
            AddPanel(psText, w);
        bar->SetStretchPanel(c.stretch);
        for (size_t i = 0; i < c.rects.size(); ++i) {
            const RECT r = bar->PanelRect(static_cast<int>(i));
            EXPECT_EQ(r.left, c.rects[i].first) << c.name << " panel " << i;
            EXPECT_EQ(r.right, c.rects[i].second) << c.name << " panel " << i;
            EXPECT_EQ(r.top, 1);
            EXPECT_EQ(r.bottom, BarHeight - 1);
        }
    }
    bar->SetStretchPanel(7);
    EXPECT_EQ(bar->StretchPanel(), 1) << "an index past the panels is ignored";
    EXPECT_EQ(bar->PanelAtX(10), 0);
    EXPECT_EQ(bar->PanelAtX(-5), -1);
}

TEST_F(StatusBarTest, TheMainWindowsOwnerDrawnPanel)
{
    // The main window's look: classic colours kept under TOfficeStatusBarStyle::psCustom, one
    // owner-drawn panel.
    styler->SetStyle(TOfficeStatusBarStyle::psOffice2003Classic);
    styler->SetStyle(TOfficeStatusBarStyle::psCustom);
    AddPanel(psOwnerDraw, 1920, ": No files opened.");
    std::vector<RECT> drawn;
    struct Recorder {
        std::vector<RECT>* rects;
        void Draw(TAdvOfficeStatusBar*, TAdvOfficeStatusPanel*, const RECT& r)
        {
            rects->push_back(r);
        }
    } recorder{&drawn};
    bar->OnDrawPanel = TDrawPanelEvent(&recorder, &Recorder::Draw);
    auto dib = Render();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].left, 1);
    EXPECT_EQ(drawn[0].top, 0);
    EXPECT_EQ(drawn[0].right, BarWidth);
    EXPECT_EQ(drawn[0].bottom, BarHeight - 1);
    const uint32_t border = Rgb(13226453);
    EXPECT_EQ(dib->Pixel(0, BarHeight / 2), border) << "left frame";
    EXPECT_EQ(dib->Pixel(BarWidth / 2, BarHeight - 1), border) << "bottom frame";
    EXPECT_EQ(dib->Pixel(BarWidth - 1, BarHeight / 2), border) << "right frame";
    EXPECT_EQ(dib->Pixel(BarWidth / 2, 0), border)
        << "top line redrawn in the assigned styler's colour";
    // The white to 13226453 gradient between the border-shrunk top and bottom, no separator.
    EXPECT_TRUE(Near(dib->Pixel(20, 1), 0xFFFFFF, 16)) << std::hex << dib->Pixel(20, 1);
    EXPECT_TRUE(Near(dib->Pixel(20, BarHeight - 3), border, 16))
        << std::hex << dib->Pixel(20, BarHeight - 3);
    testsupport::SaveScreenshot("status_bar_main_window");
}

TEST_F(StatusBarTest, InternalStylerKeepsTheBlendedTopLine)
{
    bar->SetStyler(nullptr);
    auto dib = Render();
    const TColor border = bar->InternalStyler()->BorderColor();
    EXPECT_TRUE(Near(dib->Pixel(BarWidth / 2, 0), Blend(border, clWhite, 80), 1))
        << std::hex << dib->Pixel(BarWidth / 2, 0);
    EXPECT_EQ(dib->Pixel(0, BarHeight / 2), Rgb(border)) << "a bar without panels paints its frame";
}

TEST_F(StatusBarTest, BackgroundsSeparatorsAndTheFirstPanel)
{
    AddPanel(psText, 100);
    TAdvOfficeStatusPanel* dark = AddPanel(psText, 100);
    dark->SetAppearanceStyle(psDark);
    auto dib = Render();
    const int mid = BarHeight / 2;
    EXPECT_EQ(dib->Pixel(1, mid), Rgb(Green)) << "the first panel starts at 1, without separator";
    EXPECT_EQ(dib->Pixel(99, mid), Rgb(Green));
    // Panel 2 (Left 100): separator columns 100 and 101 from the dark set's ColorTo, fill from 102.
    EXPECT_TRUE(Near(dib->Pixel(100, mid), Rgb(Dark), 8)) << std::hex << dib->Pixel(100, mid);
    EXPECT_TRUE(Near(dib->Pixel(100, 1), Blend(Dark, clWhite, 70), 12))
        << std::hex << dib->Pixel(100, 1);
    EXPECT_TRUE(Near(dib->Pixel(101, mid), Blend(Dark, clWhite, 10), 12))
        << std::hex << dib->Pixel(101, mid);
    EXPECT_TRUE(Near(dib->Pixel(101, 1), Blend(Dark, clWhite, 50), 12))
        << std::hex << dib->Pixel(101, 1);
    EXPECT_EQ(dib->Pixel(102, mid), Rgb(Dark));
}

TEST_F(StatusBarTest, ButtonPanelsFollowTheMouse)
{
    TAdvOfficeStatusPanel* button = AddPanel(psText, 100);
    button->SetButton(true);
    AddPanel(psText, 100);
    const int mid = BarHeight / 2;
    Mouse(WM_MOUSEMOVE, 50, mid);
    EXPECT_EQ(bar->HotPanel(), 0);
    EXPECT_EQ(Render()->Pixel(50, mid), Rgb(Blue)) << "hot";
    Mouse(WM_LBUTTONDOWN, 50, mid, MK_LBUTTON);
    EXPECT_EQ(bar->DownPanel(), 0);
    EXPECT_EQ(Render()->Pixel(50, mid), Rgb(Red)) << "down";
    Mouse(WM_LBUTTONUP, 50, mid);
    EXPECT_EQ(bar->DownPanel(), -1);
    EXPECT_EQ(Render()->Pixel(50, mid), Rgb(Blue)) << "hot again";
    // A panel that is no button never changes.
    Mouse(WM_MOUSEMOVE, 150, mid);
    EXPECT_EQ(bar->HotPanel(), -1);
    Mouse(WM_LBUTTONDOWN, 150, mid, MK_LBUTTON);
    EXPECT_EQ(bar->DownPanel(), -1);
    auto dib = Render();
    EXPECT_EQ(dib->Pixel(150, mid), Rgb(Green));
    EXPECT_EQ(dib->Pixel(50, mid), Rgb(Green));
    Mouse(WM_LBUTTONUP, 150, mid);
}

TEST_F(StatusBarTest, PanelClickEvents)
{
    AddPanel(psText, 100);
    AddPanel(psText, 100);
    std::vector<int> clicks, rightClicks;
    struct Recorder {
        std::vector<int>* left;
        std::vector<int>* right;
        void Left(TObject*, int p) { left->push_back(p); }
        void Right(TObject*, int p) { right->push_back(p); }
    } recorder{&clicks, &rightClicks};
    bar->OnPanelClick = TPanelClick(&recorder, &Recorder::Left);
    bar->OnPanelRightClick = TPanelClick(&recorder, &Recorder::Right);
    Mouse(WM_LBUTTONDOWN, 150, 5, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 150, 5);
    Mouse(WM_RBUTTONDOWN, 20, 5, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, 20, 5);
    EXPECT_EQ(clicks, std::vector<int>{1});
    EXPECT_EQ(rightClicks, std::vector<int>{0});
}

TEST_F(StatusBarTest, SizeGripOnASizeableForm)
{
    form->SetBorderStyle(bsSizeable);
    styler->SetBorderColor(0x0000FF);
    Flat(styler->PanelAppearanceDark(), 0x000000, Blue, Red);
    AddPanel(psText, 100);
    form->Show();
    ASSERT_TRUE(bar->SizeGripShown());
    auto dib = Render();
    // The grip's rectangle: Left W - 18, Bottom H - 1; second squares one pixel up and left.
    const int l = BarWidth - 18, b = BarHeight - 1;
    EXPECT_EQ(dib->Pixel(l + 4, b - 5), Rgb(0x0000FF));
    EXPECT_EQ(dib->Pixel(l + 12, b - 13), Rgb(0x0000FF));
    EXPECT_TRUE(Near(dib->Pixel(l + 6, b - 3), Blend(0x000000, clWhite, 50), 2))
        << std::hex << dib->Pixel(l + 6, b - 3);

    POINT corner{BarWidth - 2, BarHeight - 2};
    ClientToScreen(bar->Handle(), &corner);
    EXPECT_EQ(SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)),
              HTBOTTOMRIGHT);
    // Outside the grip's square (a scroll bar's height and arrow width) but within 4 pixels of
    // the right or bottom edge, the form's own border takes the mouse.
    for (POINT edge : {POINT{BarWidth - 2, 2}, POINT{50, BarHeight - 2}}) {
        ClientToScreen(bar->Handle(), &edge);
        EXPECT_EQ(SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)),
                  HTTRANSPARENT);
    }
    POINT inside{50, 8};
    ClientToScreen(bar->Handle(), &inside);
    EXPECT_EQ(SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)),
              HTCLIENT);

    ShowWindow(form->Handle(), SW_MAXIMIZE);
    EXPECT_FALSE(bar->SizeGripShown()) << "no grip on a maximized form";
    ShowWindow(form->Handle(), SW_RESTORE);
    bar->SetSizeGrip(false);
    EXPECT_FALSE(bar->SizeGripShown());
}

TEST_F(StatusBarTest, PlainTextEnabledAndDisabled)
{
    AddPanel(psText, 100, "MMMMMMMM");
    TAdvOfficeStatusPanel* disabled = AddPanel(psText, 100, "MMMMMMMM");
    disabled->SetEnabled(false);
    AddPanel(psOwnerDraw, 100, "MMMMMMMM"); // no handler: its text as plain text
    auto dib = Render();
    EXPECT_TRUE(Any(*dib, RECT{1, 1, 99, BarHeight - 1}, 0x000000));
    EXPECT_TRUE(Any(*dib, RECT{102, 1, 199, BarHeight - 1}, 0x808080));
    EXPECT_FALSE(Any(*dib, RECT{102, 1, 199, BarHeight - 1}, 0x000000));
    EXPECT_TRUE(Any(*dib, RECT{202, 1, 299, BarHeight - 1}, 0x000000));
}

TEST_F(StatusBarTest, ClockAndDatePanelsFromTimerMessages)
{
    TAdvOfficeStatusPanel* time = AddPanel(psTime, 100);
    time->SetTimeFormat("hh:nn");
    TAdvOfficeStatusPanel* date = AddPanel(psDate, 100);
    date->SetDateFormat("yyyy-mm-dd");
    const auto now = [](bool withDate) {
        SYSTEMTIME t;
        GetLocalTime(&t);
        char text[32];
        if (withDate)
            std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
        else
            std::snprintf(text, sizeof text, "%02d:%02d", t.wHour, t.wMinute);
        return std::string(text);
    };
    const std::string before = now(false), dayBefore = now(true);
    Tick();
    const std::string after = now(false), dayAfter = now(true);
    EXPECT_TRUE(time->Text() == before || time->Text() == after) << time->Text();
    EXPECT_TRUE(date->Text() == dayBefore || date->Text() == dayAfter) << date->Text();
}

TEST_F(StatusBarTest, KeyLockPanelsShowTheirIndicatorWhileOn)
{
    TAdvOfficeStatusPanel* caps = AddPanel(psCapsLock, 60);
    TAdvOfficeStatusPanel* num = AddPanel(psNumLock, 60);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE saved[2] = {keys[VK_CAPITAL], keys[VK_NUMLOCK]};
    keys[VK_CAPITAL] = 1;
    keys[VK_NUMLOCK] = 0;
    SetKeyboardState(keys);
    Tick();
    EXPECT_EQ(caps->Text(), "CAP");
    EXPECT_EQ(num->Text(), "");
    keys[VK_CAPITAL] = 0;
    keys[VK_NUMLOCK] = 1;
    SetKeyboardState(keys);
    Tick();
    EXPECT_EQ(caps->Text(), "");
    EXPECT_EQ(num->Text(), "NUM");
    keys[VK_CAPITAL] = saved[0];
    keys[VK_NUMLOCK] = saved[1];
    SetKeyboardState(keys);
}

TEST_F(StatusBarTest, TimerTicksWrapAndDriveAnimations)
{
    auto* frames = new TImageList(form);
    frames->SetWidth(8);
    frames->SetHeight(8);
    for (int i = 0; i < 3; ++i) {
        TBitmap b;
        b.SetSize(8, 8);
        frames->Add(&b, nullptr);
    }
    TAdvOfficeStatusPanel* animation = AddPanel(psAnimation, 60);
    animation->SetAnimationImages(frames);
    animation->SetAnimated(true);
    animation->SetAnimationDelay(4);
    EXPECT_EQ(bar->TimerTick(), 0);
    Tick(); // tick 0 is a multiple of 5
    EXPECT_EQ(animation->FrameIndex(), 1);
    Tick(4); // ticks 1 to 4
    EXPECT_EQ(animation->FrameIndex(), 1);
    Tick(); // tick 5: 500 ms after the last step
    EXPECT_EQ(animation->FrameIndex(), 2);
    Tick(5); // ticks 6 to 10: the frame wraps after the last image
    EXPECT_EQ(animation->FrameIndex(), 0);
    EXPECT_EQ(bar->TimerTick(), 0) << "the counter wraps to 0 after 10";
    animation->SetAnimationDelay(-3);
    EXPECT_EQ(animation->AnimationDelay(), 4) << "a negative delay is ignored";
}

TEST_F(StatusBarTest, ProgressPanelLevels)
{
    TAdvOfficeStatusPanel* progress = AddPanel(psProgress, 200);
    progress->Progress()->SetPosition(50);
    progress->Progress()->SetCompletionSmooth(true);
    progress->Progress()->SetShowPercentage(false);
    auto dib = Render();
    const int mid = BarHeight / 2;
    EXPECT_NE(dib->Pixel(40, mid), Rgb(Green)) << "the gauge fills the first half";
    EXPECT_EQ(dib->Pixel(180, mid), Rgb(Green)) << "nothing beyond the position";
    progress->Progress()->SetMin(20);
    progress->Progress()->SetMax(20);
    dib = Render();
    EXPECT_EQ(dib->Pixel(40, mid), Rgb(Green)) << "Min = Max shows 0";
}

TEST_F(StatusBarTest, ImagePanelsAndABadImageIndex)
{
    auto* images = new TImageList(form);
    images->SetWidth(8);
    images->SetHeight(8);
    TBitmap red;
    red.SetSize(8, 8);
    red.Canvas()->Brush()->SetColor(0x0000FF);
    red.Canvas()->FillRect(RECT{0, 0, 8, 8});
    images->Add(&red, nullptr);
    bar->SetImages(images);
    TAdvOfficeStatusPanel* image = AddPanel(psImage, 100);
    image->SetImageIndex(0);
    TAdvOfficeStatusPanel* list = AddPanel(psImageList, 100);
    list->ImageIndexes()->Add("0");
    list->ImageIndexes()->Add("0");
    auto dib = Render();
    const int mid = BarHeight / 2;
    // Working rectangle of panel 0 from 3: the image at 3 + 2.
    EXPECT_EQ(dib->Pixel(5 + 4, mid), 0xFF0000u);
    // Panel 1 (Left 100): working rectangle from 102, images at 104 and 104 + 8 + 2.
    EXPECT_EQ(dib->Pixel(104 + 4, mid), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(114 + 4, mid), 0xFF0000u);

    // Mended: an index outside the list shows no image instead of failing on every paint.
    image->SetImageIndex(7);
    list->ImageIndexes()->Clear();
    list->ImageIndexes()->Add("-4");
    EXPECT_NO_THROW(dib = Render());
    EXPECT_FALSE(Any(*dib, RECT{1, 1, 199, BarHeight - 1}, 0xFF0000));
}

TEST_F(StatusBarTest, AutomaticWidths)
{
    TAdvOfficeStatusPanel* text = AddPanel(psText, 50);
    TAdvOfficeStatusPanel* caps = AddPanel(psCapsLock, 50);
    caps->SetMinWidth(5);
    const auto measured = [&](const std::string& s) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bar->Font()->Handle());
        SIZE size{};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return static_cast<int>(size.cx);
    };
    text->SetAutoSize(true);
    text->SetText("Status of the upload");
    EXPECT_EQ(text->Width(), measured("Status of the upload") + 12);
    caps->SetAutoSize(true);
    // The last panel with a size grip: 16 more; sized for its indicator whatever the key.
    EXPECT_EQ(caps->Width(), measured("CAP") + 12 + 16);
    for (int i = 0; i < 3; ++i) {
        text->SetText(i % 2 ? "x" : "Status of the upload");
        bar->AutoSizePanels();
    }
    EXPECT_EQ(caps->Width(), measured("CAP") + 12 + 16) << "repeated sizing keeps the last width";
    text->SetText("x");
    EXPECT_EQ(text->Width(), 20) << "MinWidth";
}

TEST_F(StatusBarTest, SimpleModeAndRightToLeft)
{
    AddPanel(psText, 100);
    Flat(styler->PanelAppearanceLight(), Blue, Blue, Blue);
    styler->PanelAppearanceDark()->SetColor(Dark);
    AddPanel(psText, 100)->SetAppearanceStyle(psDark);
    bar->SetSimplePanel(true);
    bar->SetSimpleText("simple");
    auto dib = Render();
    EXPECT_EQ(dib->Pixel(150, BarHeight / 2), Rgb(Blue))
        << "the whole bar from the light set, no panels";
    EXPECT_EQ(SendMessageA(bar->Handle(), WM_GETTEXTLENGTH, 0, 0), 6);
    bar->SetBiDiMode(bdRightToLeft);
    bar->SetSimpleText("abc");
    EXPECT_EQ(bar->SimpleText(), "\t\tabc");
}

TEST_F(StatusBarTest, HtmlPanelsAndTheirAnchors)
{
    TAdvOfficeStatusPanel* html = AddPanel(psHTML, 150, "<a href=\"go\">Go</a> on");
    AddPanel(psText, 100);
    std::vector<std::string> clicked, entered;
    struct Recorder {
        std::vector<std::string>* clicked;
        std::vector<std::string>* entered;
        void Click(TObject*, const std::string& a) { clicked->push_back(a); }
        void Enter(TObject*, const std::string& a) { entered->push_back(a); }
    } recorder{&clicked, &entered};
    bar->OnAnchorClick = TAnchorClick(&recorder, &Recorder::Click);
    bar->OnAnchorEnter = TAnchorClick(&recorder, &Recorder::Enter);
    // The text starts at the working rectangle (3) plus HTMLOffsetX 2; its line at HTMLOffsetY 2.
    const int x = 3 + html->HTMLOffsetX() + 3, y = html->HTMLOffsetY() + 5;
    EXPECT_EQ(bar->GetAnchorAt(x, y), "go");
    EXPECT_EQ(bar->GetAnchorAt(120, y), "") << "past the text";
    Mouse(WM_MOUSEMOVE, x, y);
    EXPECT_EQ(entered, std::vector<std::string>{"go"});
    EXPECT_EQ(bar->Cursor(), crHandPoint);
    Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x, y);
    EXPECT_EQ(clicked, std::vector<std::string>{"go"});
    auto dib = Render();
    EXPECT_TRUE(Any(*dib, RECT{3, 1, 60, BarHeight - 1}, Rgb(clBlue)))
        << "the anchor in the URL colour";
}

TEST_F(StatusBarTest, PanelAssignLeavesNothingStale)
{
    TAdvOfficeStatusPanel* target = AddPanel(psImage, 80);
    target->SetImageIndex(3);
    target->SetButton(true);
    target->SetEnabled(false);
    target->SetHTMLOffsetX(7);
    target->SetAnimated(true);
    TAdvOfficeStatusPanel* source = AddPanel(psText, 120, "copied");
    source->SetMinWidth(33);
    source->Progress()->SetPosition(40);
    target->Assign(source);
    EXPECT_EQ(target->Text(), "copied");
    EXPECT_EQ(target->Width(), 120);
    EXPECT_EQ(target->Style(), psText);
    EXPECT_EQ(target->MinWidth(), 33);
    EXPECT_EQ(target->Progress()->Position(), 40);
    // Mended: what a panel copy does not carry goes back to its default.
    EXPECT_EQ(target->ImageIndex(), -1);
    EXPECT_FALSE(target->Button());
    EXPECT_TRUE(target->Enabled());
    EXPECT_EQ(target->HTMLOffsetX(), 2);
    EXPECT_FALSE(target->Animated());
    EXPECT_THROW(source->Progress()->Assign(styler), EInvalidCast);
}

} // namespace
