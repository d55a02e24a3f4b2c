// Toolbar items on a real toolbar: groups driven by clicks on the toolbar's window, presses
// released outside and on the bottom row, the one hot button, the derived disabled glyph,
// automatic sizing from measured text, moving between toolbars, and the painted pixels (faces by
// state, glyph place, drop-down arrow, disabled caption, separator lines).
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"

#include "GuiTest.h"

#include "core/Exceptions.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace classlib;
using namespace toolbar;
using testsupport::Dib;

namespace {

// 0x00BBGGRR as the DIB reads it (0xRRGGBB).
uint32_t Rgb(TColor c)
{
    const uint32_t v = static_cast<uint32_t>(ColorToRGB(c));
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class ToolBarItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetCursorPos(0, 0); // away from the form: no hover from the real pointer
        form = new TForm(nullptr);
        form->SetBounds(100, 100, 500, 200);
        form->Show();
        bar = new TAdvCustomToolBar(form);
        bar->SetName("Bar");
        bar->SetParent(form);
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    TAdvToolBarMenuButton* Button(int groupIndex = 0)
    {
        auto* b = new TAdvToolBarMenuButton(form);
        b->SetLeft(1000); // the toolbar orders its controls by place: this one goes last
        b->SetParent(bar);
        b->SetGroupIndex(groupIndex);
        return b;
    }
    // A press and a release on the toolbar's window, at points of the button.
    void Press(TControl* b, POINT down, POINT up)
    {
        const HWND h = bar->Handle();
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(b->Left() + down.x, b->Top() + down.y));
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(b->Left() + up.x, b->Top() + up.y));
    }
    void Click(TControl* b) { Press(b, POINT{3, 3}, POINT{3, 3}); }
    // Paints the control into a DIB filled with `background`.
    static void PaintInto(TControl* c, Dib& dib)
    {
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dib.dc()), 0);
    }
    TForm* form = nullptr;
    TAdvCustomToolBar* bar = nullptr;
};

struct ClickCounter {
    int clicks = 0;
    void Clicked(TObject*) { ++clicks; }
};

TEST_F(ToolBarItems, ItemsJoinTheToolBarInOrderAndTakeItsOrientation)
{
    TAdvToolBarMenuButton* a = Button();
    auto* s = new TAdvToolBarSeparator(form);
    s->SetLeft(1000);
    s->SetParent(bar);
    TAdvToolBarMenuButton* b = Button();
    EXPECT_EQ(a->AdvToolBar(), bar);
    EXPECT_EQ(s->AdvToolBar(), bar);
    EXPECT_EQ(a->ButtonIndex(), 0);
    EXPECT_EQ(b->ButtonIndex(), 2);
    EXPECT_LT(a->Left(), s->Left());
    EXPECT_LT(s->Left(), b->Left());
    // The separator is 10 long and fills the toolbar but for 4 pixels.
    EXPECT_EQ(s->Width(), 10);
    EXPECT_EQ(s->Height(), bar->Height() - 4);
    bar->SetPosition(daLeft);
    EXPECT_EQ(a->Position(), daLeft);
    EXPECT_EQ(s->Height(), 10);
    EXPECT_EQ(s->Width(), bar->Width() - 4);

    // Moving to another toolbar: the old one forgets the item, the new one takes it.
    auto* other = new TAdvCustomToolBar(form);
    other->SetParent(form);
    b->CheckToolBar(other);
    EXPECT_EQ(b->AdvToolBar(), other);
    EXPECT_EQ(b->Parent(), other);
    EXPECT_EQ(bar->ControlOrderCount(), 2);
    EXPECT_EQ(b->ButtonIndex(), 0);
    b->SetParent(nullptr);
    EXPECT_EQ(b->AdvToolBar(), nullptr);
    EXPECT_EQ(b->ButtonIndex(), -1);
    delete b;
}

TEST_F(ToolBarItems, GroupsLatchOneButtonAndPlainButtonsNeverStayDown)
{
    TAdvToolBarMenuButton* plain = Button();
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down());
    ClickCounter counter;
    plain->OnClick = TNotifyEvent(&counter, &ClickCounter::Clicked);
    Click(plain);
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_FALSE(plain->Down());
    EXPECT_EQ(plain->State(), tbsUp);

    TAdvToolBarMenuButton* first = Button(1);
    TAdvToolBarMenuButton* second = Button(1);
    Click(first);
    EXPECT_TRUE(first->Down());
    EXPECT_EQ(first->State(), tbsLatched);
    Click(second);
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    EXPECT_EQ(first->State(), tbsUp);
    // Clicking the down button again leaves it down.
    Click(second);
    EXPECT_TRUE(second->Down());
    // Setting Down by code raises the other member too.
    first->SetDown(true);
    EXPECT_FALSE(second->Down());
}

TEST_F(ToolBarItems, ReleaseOutsideDoesNotClickAndTheBottomRowCountsAsInside)
{
    TAdvToolBarMenuButton* grouped = Button(1);
    grouped->SetDown(true);
    TAdvToolBarMenuButton* b = Button(2);
    ClickCounter counter;
    b->OnClick = TNotifyEvent(&counter, &ClickCounter::Clicked);
    const int w = b->Width(), h = b->Height();
    Press(b, POINT{3, 3}, POINT{w, 3}); // the column right of the button is outside
    EXPECT_EQ(counter.clicks, 0);
    EXPECT_FALSE(b->Down());
    Press(b, POINT{3, 3}, POINT{3, h}); // the row below is inside
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_TRUE(b->Down());

    // A down grouped button released outside stays latched.
    Press(grouped, POINT{3, 3}, POINT{-5, 3});
    EXPECT_TRUE(grouped->Down());
    EXPECT_EQ(grouped->State(), tbsLatched);
}

TEST_F(ToolBarItems, OneHotButtonPerToolBar)
{
    TAdvToolBarMenuButton* a = Button();
    TAdvToolBarMenuButton* b = Button();
    a->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(a->HotTracked());
    EXPECT_EQ(bar->HotButton(), a);
    b->SetHotTracked(true);
    EXPECT_FALSE(a->HotTracked());
    EXPECT_EQ(bar->HotButton(), b);
    b->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(b->HotTracked());
    EXPECT_EQ(bar->HotButton(), nullptr);
    // A button on no toolbar is never hot; a freed hot button leaves the toolbar.
    auto* loose = new TAdvToolBarMenuButton(form);
    loose->SetHotTracked(true);
    EXPECT_FALSE(loose->HotTracked());
    a->SetHotTracked(true);
    delete a;
    EXPECT_EQ(bar->HotButton(), nullptr);
}

TEST_F(ToolBarItems, GlyphMakesAGreyDisabledGlyph)
{
    TAdvToolBarMenuButton* b = Button();
    TBitmap glyph;
    glyph.SetSize(4, 2);
    const TColor colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000,
                              0xFFFFFF, 0x5A3C1E, 0x808080, 0x102030};
    for (int i = 0; i < 8; ++i)
        glyph.Canvas()->SetPixel(i % 4, i / 4, colours[i]);
    b->SetGlyph(&glyph);
    ASSERT_EQ(b->GlyphDisabled()->Width(), 4);
    for (int i = 0; i < 8; ++i) {
        const TColor c = colours[i];
        const int r = c & 0xFF, g = (c >> 8) & 0xFF, bl = (c >> 16) & 0xFF;
        const int v = (r + g + bl) / 3 / 2 + 96;
        const TColor grey = b->GlyphDisabled()->Canvas()->Pixel(i % 4, i / 4);
        EXPECT_EQ(grey, static_cast<TColor>(v | v << 8 | v << 16)) << i;
        EXPECT_GE(v, 96);
        EXPECT_LE(v, 223);
    }
    // An existing disabled glyph is kept.
    TBitmap other;
    other.SetSize(2, 2);
    b->SetGlyph(&other);
    EXPECT_EQ(b->GlyphDisabled()->Width(), 4);
}

TEST_F(ToolBarItems, AutomaticSizeFromMeasuredText)
{
    TAdvToolBarMenuButton* b = Button();
    EXPECT_EQ(b->Width(), 15); // nothing shown
    b->SetDropDownButton(true);
    EXPECT_EQ(b->Width(), 27);
    b->SetDropDownButton(false);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    b->SetGlyph(&glyph);
    b->SetCaption("Open file");
    b->SetShowCaption(true);
    // The caption is measured in the styler's caption font as a single line.
    TBitmap scratch;
    scratch.SetSize(4, 4);
    scratch.Canvas()->Font()->Assign(bar->CurrentStyler()->ButtonAppearance()->CaptionFont());
    RECT r{0, 0, 1000, 100};
    std::string text = "Open file";
    scratch.Canvas()->DrawText(text, r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(b->Width(), 16 + 4 + (r.right - r.left) + 8);
    // The button fills the toolbar's thickness but for 4 pixels.
    EXPECT_EQ(b->Height(), std::max(16 + 8, bar->Height() - 4));
    EXPECT_EQ(b->Version(), "3.1.4.0");
}

// ---- painting ----

class ButtonPaint : public ToolBarItems {
protected:
    // A fixed-size button on the toolbar, painting with the styler's appearance.
    TAdvToolBarMenuButton* Fixed(int w, int h)
    {
        TAdvToolBarMenuButton* b = Button();
        b->SetAutoSize(false);
        b->SetBounds(b->Left(), b->Top(), w, h);
        TButtonAppearance* a = Look();
        a->SetColorHot(0x00C0A0);
        a->SetColorHotTo(clNone);
        a->SetBorderHotColor(0x000080);
        // A latched menu button shows its own checked colours, never the styler's.
        TButtonAppearance* own = b->Appearance();
        own->SetColorChecked(0x40E040);
        own->SetColorCheckedTo(clNone);
        own->SetBorderCheckedColor(0x800000);
        a->SetColorChecked(0x0000FF);
        a->SetColorCheckedTo(clNone);
        a->SetBorderCheckedColor(0x00FFFF);
        a->SetColorDown(0xA00000);
        a->SetColorDownTo(clNone);
        a->SetBorderDownColor(0x008000);
        return b;
    }
    TButtonAppearance* Look() { return bar->CurrentStyler()->ButtonAppearance(); }
    static constexpr uint32_t kBackground = 0x123456;
};

TEST_F(ButtonPaint, FacesByState)
{
    TAdvToolBarMenuButton* b = Fixed(30, 22);
    struct Row {
        const char* name;
        std::function<void()> set;
        uint32_t face, border; // kBackground when nothing is painted
    };
    TAdvToolBarMenuButton* other = Button(1);
    const Row rows[] = {
        {"idle: transparent", [] {}, kBackground, kBackground},
        {"hot", [&] { b->SetHotTracked(true); }, Rgb(0x00C0A0), Rgb(0x000080)},
        {"latched",
         [&] {
             b->SetHotTracked(false);
             b->SetGroupIndex(1);
             b->SetDown(true);
         },
         Rgb(0x40E040), Rgb(0x800000)},
        {"disabled: transparent",
         [&] {
             other->SetDown(true);
             b->SetEnabled(false);
         },
         kBackground, kBackground},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.set();
        Dib dib(30, 22, kBackground);
        PaintInto(b, dib);
        EXPECT_EQ(dib.Pixel(15, 11), row.face);
        EXPECT_EQ(dib.Pixel(0, 0), row.border);
        EXPECT_EQ(dib.Pixel(29, 21), row.border);
    }
    // A latched button under the pointer is hot only while it is up; pressing shows the down
    // colours.
    b->SetEnabled(true);
    other->SetDown(false);
    b->SetDown(true);
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->Left() + 3, 3));
    Dib dib(30, 22, kBackground);
    PaintInto(b, dib);
    EXPECT_EQ(dib.Pixel(15, 11), Rgb(0xA00000));
    EXPECT_EQ(dib.Pixel(0, 0), Rgb(0x008000));
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(b->Left() + 3, 3));
}

TEST_F(ButtonPaint, GlyphPlaceAndTransparency)
{
    TAdvToolBarMenuButton* b = Fixed(22, 23);
    TBitmap glyph;
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(0xFF0000);
    glyph.Canvas()->FillRect(RECT{0, 0, 16, 16});
    glyph.Canvas()->SetPixel(0, 15, 0xFF00FF); // the transparent colour
    b->SetGlyph(&glyph);
    Dib dib(22, 23, kBackground);
    PaintInto(b, dib);
    EXPECT_EQ(dib.Pixel(3, 3), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(18, 18), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(2, 3), kBackground);
    EXPECT_EQ(dib.Pixel(19, 3), kBackground);
    EXPECT_EQ(dib.Pixel(3, 18), kBackground); // the bottom-left colour is transparent
}

TEST_F(ButtonPaint, DropDownArrowAndParts)
{
    TAdvToolBarMenuButton* b = Fixed(35, 22);
    b->SetDropDownButton(true);
    b->SetAutoSize(false);
    b->SetBounds(b->Left(), b->Top(), 35, 22);
    b->SetHotTracked(true);
    Look()->SetColorHotTo(0x00C0A0); // a two-colour face: the drop part is a gradient too
    Dib dib(35, 22, kBackground);
    PaintInto(b, dib);
    const int y = (22 - 3) / 2 + 1;
    for (int x = 26; x <= 30; ++x)
        EXPECT_EQ(dib.Pixel(x, y), 0u) << x;
    EXPECT_NE(dib.Pixel(31, y), 0u);
    EXPECT_NE(dib.Pixel(25, y), 0u);
    for (int x = 27; x <= 29; ++x)
        EXPECT_EQ(dib.Pixel(x, y + 1), 0u) << x;
    EXPECT_NE(dib.Pixel(26, y + 1), 0u);
    EXPECT_EQ(dib.Pixel(28, y + 2), 0u);
    EXPECT_NE(dib.Pixel(27, y + 2), 0u);
    // Split: a border round the face and one round the whole button.
    EXPECT_EQ(dib.Pixel(22, 11), Rgb(0x000080));
    EXPECT_EQ(dib.Pixel(34, 11), Rgb(0x000080));
    EXPECT_EQ(dib.Pixel(10, 11), Rgb(0x00C0A0));
}

TEST_F(ButtonPaint, DisabledCaptionIsEmbossed)
{
    TAdvToolBarMenuButton* b = Fixed(80, 22);
    b->SetCaption("HHH");
    b->SetShowCaption(true);
    b->SetAutoSize(false);
    b->SetBounds(b->Left(), b->Top(), 80, 22);
    b->SetEnabled(false);
    Dib dib(80, 22, kBackground);
    PaintInto(b, dib);
    const uint32_t highlight = Rgb(clBtnHighlight), shadow = Rgb(clBtnShadow);
    ASSERT_NE(highlight, shadow);
    // Bounding boxes of the two colours: the highlight copy lies one pixel right and down.
    RECT hb{80, 22, -1, -1}, sb{80, 22, -1, -1};
    for (int y = 0; y < 22; ++y) {
        for (int x = 0; x < 80; ++x) {
            const uint32_t p = dib.Pixel(x, y);
            RECT* box = p == highlight ? &hb : p == shadow ? &sb : nullptr;
            if (!box)
                continue;
            box->left = std::min<LONG>(box->left, x);
            box->top = std::min<LONG>(box->top, y);
            box->right = std::max<LONG>(box->right, x);
            box->bottom = std::max<LONG>(box->bottom, y);
        }
    }
    ASSERT_GE(sb.right, 0) << "no shadow text";
    ASSERT_GE(hb.right, 0) << "no highlight text";
    EXPECT_EQ(hb.right, sb.right + 1);
    EXPECT_EQ(hb.bottom, sb.bottom + 1);
}

TEST_F(ButtonPaint, SeparatorLines)
{
    auto* s = new TAdvToolBarSeparator(form);
    s->SetParent(bar);
    s->SetAutoSize(false);
    s->SetBounds(s->Left(), s->Top(), 10, 22);
    s->SetLineColor(0x0000C0);
    Dib dib(10, 22, kBackground);
    PaintInto(s, dib);
    EXPECT_EQ(dib.Pixel(5, 3), Rgb(0x0000C0));
    EXPECT_EQ(dib.Pixel(5, 18), Rgb(0x0000C0));
    EXPECT_EQ(dib.Pixel(5, 19), kBackground);
    EXPECT_EQ(dib.Pixel(5, 2), kBackground);
    EXPECT_EQ(dib.Pixel(6, 4), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(6, 19), 0xFFFFFFu);
    EXPECT_EQ(dib.Pixel(6, 3), kBackground);
    s->SetSeparatorStyle(ssBlank);
    Dib blank(10, 22, kBackground);
    PaintInto(s, blank);
    EXPECT_EQ(blank.Pixel(5, 10), kBackground);
}

} // namespace
