// Office menu items measured and painted through their owner-draw handlers into 32-bit DIB
// sections: icon column, background, highlight with mirror gradient, check and radio glyphs,
// images, sub-menu arrow, separators, side bar with rotated caption, background picture,
// caption, shortcut and note lines, and menu-bar items in normal, hot and selected looks. The
// gradient primitives are checked on their own. Expected geometry comes from measured text.
#include "GuiTest.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "draw/AdvGDIP.h"
#include "menus/AdvMenuDraw.h"
#include "menus/AdvMenuGradients.h"
#include "menus/AdvMenuWindows.h"
#include "menus/AdvMenus.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/Screen.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace classlib;
using namespace menus;
using testsupport::Dib;

namespace {

// A TColor (0x00BBGGRR) as a DIB pixel (0xRRGGBB).
uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The colour of line t of an n-line gradient, per channel start + t (end - start) / n.
uint32_t ExpectedStep(TColor start, TColor end, int t, int n)
{
    auto channel = [&](int shift) {
        const int a = static_cast<int>((start >> shift) & 0xFF),
                  b = static_cast<int>((end >> shift) & 0xFF);
        return static_cast<uint32_t>(a + t * (b - a) / n) << shift;
    };
    return Px(channel(0) | channel(8) | channel(16));
}

std::unique_ptr<Dib> Paint(int w, int h, const std::function<void(TCanvas*)>& paint)
{
    auto dib = std::make_unique<Dib>(w, h, 0xFFFFFF);
    TCanvas canvas;
    canvas.SetHandle(dib->dc());
    paint(&canvas);
    canvas.SetHandle(nullptr);
    return dib;
}

int CountPixels(const Dib& dib, RECT area, const std::function<bool(uint32_t)>& match)
{
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (match(dib.Pixel(x, y)))
                ++n;
    return n;
}

// Solid, distinct colours for every part.
constexpr TColor kIcon = 0x0000C0;
constexpr TColor kBack = 0x00C000;
constexpr TColor kSelected = 0xC00000;
constexpr TColor kMirror = 0xC0C000;
constexpr TColor kSelectedBorder = 0x400040;
constexpr TColor kCheck = 0x00C0C0;
constexpr TColor kCheckBorder = 0x004040;
constexpr TColor kSeparator = 0x808000;

class MenuPaint : public ::testing::Test {
protected:
    static void SetUpTestSuite() { draw::GdiplusModuleInitialize(); }
    static void TearDownTestSuite() { draw::GdiplusModuleFinalize(); }

    void SetUp() override
    {
        menu = new TAdvPopupMenu(nullptr);
        styler = new TAdvMenuStyler(nullptr);
        menu->SetMenuStyler(styler);
        styler->IconBar()->SetColor(0, kIcon);
        styler->IconBar()->SetColor(1, clNone);
        styler->Background()->SetColor(0, kBack);
        styler->SelectedItem()->SetColor(0, kSelected);
        styler->SelectedItem()->SetColorMirror(kMirror);
        styler->SelectedItem()->SetBorderColor(kSelectedBorder);
        styler->IconBar()->SetCheckColor(0, kCheck);
        styler->IconBar()->SetCheckBorder(kCheckBorder);
        styler->IconBar()->SetRadioColor(0, kCheck);
        styler->IconBar()->SetRadioBorder(kCheckBorder);
        styler->Separator()->SetColor(0, kSeparator);
    }
    void TearDown() override
    {
        menu->Free();
        styler->Free();
    }
    TMenuItem* AddItem(const std::string& caption, TMenuItem* parent = nullptr)
    {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        (parent ? parent : menu->Items())->Add(item);
        return item;
    }
    // The item painted at (0, 0, w, h) in a white DIB.
    std::unique_ptr<Dib> PaintItem(TMenuItem* item, TOwnerDrawState state = {}, int w = 200,
                                   int h = 24)
    {
        return Paint(w, h, [&](TCanvas* c) {
            item->AdvancedDrawItem(c, RECT{0, 0, w, h}, state, false);
        });
    }
    void Measure(TMenuItem* item, int& w, int& h)
    {
        HDC dc = GetDC(nullptr);
        TCanvas canvas;
        canvas.SetHandle(dc);
        w = 0;
        h = 0;
        item->MeasureItem(&canvas, w, h);
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
    }
    // Measured like the handler measures: one line of DrawText in `font`.
    static SIZE TextSize(TFont* font, const std::string& text)
    {
        HDC dc = GetDC(nullptr);
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Font()->Assign(font);
        RECT r{0, 0, 0, 0};
        canvas.DrawText(text, r, DT_CALCRECT | DT_SINGLELINE);
        canvas.SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
        return SIZE{r.right, r.bottom};
    }

    TAdvPopupMenu* menu = nullptr;
    TAdvMenuStyler* styler = nullptr;
};

// ---- primitives -----------------------------------------------------------------------------

TEST(MenuGradients, FillGradientStepsPerRow)
{
    auto dib = Paint(4, 10, [](TCanvas* c) {
        FillGradient(c, RECT{0, 0, 4, 10}, gdVertical, 0x000000, 0x0000FF);
    });
    EXPECT_EQ(dib->Pixel(1, 0), 0x000000u);
    EXPECT_EQ(dib->Pixel(1, 9), 0xE50000u) << "red 229, not 255, in the last row";
    auto solid = Paint(4, 4, [](TCanvas* c) {
        FillGradient(c, RECT{0, 0, 4, 4}, gdHorizontal, 0x123456, clNone);
    });
    EXPECT_EQ(solid->Pixel(3, 3), Px(0x123456));
}

TEST(MenuGradients, GradientPartsJoinIntoOneGradient)
{
    const RECT full{0, 0, 4, 100};
    auto dib = Paint(4, 100, [&](TCanvas* c) {
        DrawGradientPart(c, full, gdVertical, 0x000000, 0xC8C8C8, RECT{0, 50, 4, 60});
    });
    EXPECT_EQ(dib->Pixel(0, 49), 0xFFFFFFu) << "outside the part";
    EXPECT_EQ(dib->Pixel(0, 50), ExpectedStep(0x000000, 0xC8C8C8, 50, 100));
    // Row 59 is the last of the part's 10-row gradient from the colour at 50 to the one at 60.
    const TColor from = 0x646464, to = 0x787878; // 200 x 50 / 100, 200 x 60 / 100
    EXPECT_EQ(dib->Pixel(0, 59), ExpectedStep(from, to, 9, 10));
    EXPECT_EQ(dib->Pixel(0, 60), 0xFFFFFFu);
}

TEST(MenuGradients, MirrorBoxSplitsAtHalfHeight)
{
    auto dib = Paint(10, 21, [](TCanvas* c) {
        DrawMirrorBox(c, RECT{0, 0, 10, 21}, true, clNone, gdVertical, 0x0000FF, clNone, 0x00FF00,
                      clNone);
    });
    EXPECT_EQ(dib->Pixel(5, 0), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(5, 9), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(5, 10), 0x00FF00u);
    EXPECT_EQ(dib->Pixel(5, 20), 0x00FF00u);
    auto framed = Paint(10, 10, [](TCanvas* c) {
        DrawBox(c, RECT{0, 0, 10, 10}, false, 0x0000FF, gdVertical, 0x00FF00, clNone);
    });
    EXPECT_EQ(framed->Pixel(0, 5), 0xFF0000u);
    EXPECT_EQ(framed->Pixel(5, 5), 0xFFFFFFu) << "no fill";
}

TEST(MenuGradients, BandGradientsAtTheLineEnds)
{
    // Black inside, white at the outer edges; a band shows as a non-black end.
    const TColor inner = 0x000000, outer = 0xFFFFFF;
    struct Case {
        bool horizontal;
        TGradientType type;
        int band;
        int endBand; // pixels at the start end that are not the inner colour
    };
    const Case cases[] = {
        {false, gtBoth, 4, 4},
        {true, gtBoth, 4, 2},
        {true, gtLeft, 4, 4},
    };
    for (const Case& c : cases) {
        const int length = 30;
        auto dib =
            Paint(c.horizontal ? length : 3, c.horizontal ? 3 : length, [&](TCanvas* canvas) {
                DrawBandGradient(canvas,
                                 RECT{0, 0, c.horizontal ? length : 3, c.horizontal ? 3 : length},
                                 c.horizontal, 0, c.band, c.type, inner, outer);
            });
        auto at = [&](int i) { return c.horizontal ? dib->Pixel(i, 1) : dib->Pixel(1, i); };
        int n = 0;
        while (n < length && at(n) != 0x000000u)
            ++n;
        if (c.type == gtLeft)
            EXPECT_EQ(at(0), 0x000000u) << "left band starts at the inner colour";
        else
            EXPECT_EQ(n, c.endBand) << c.horizontal;
        EXPECT_EQ(at(length / 2), c.type == gtBoth ? 0x000000u : 0xFFFFFFu);
    }
    // With the defaults the whole line is one solid colour.
    auto plain = Paint(30, 1, [](TCanvas* c) {
        DrawBandGradient(c, RECT{0, 0, 30, 1}, true, 0, 0, gtBoth, 0xFF, clNone);
    });
    EXPECT_EQ(plain->Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(plain->Pixel(29, 0), 0xFF0000u);
}

TEST(MenuGradients, BackgroundWithAnEmptyTiledPictureIsOnlyTheGradient)
{
    TBackground background;
    background.SetColor(0, 0x0000FF);
    background.SetPosition(bpTiled);
    TBitmap empty;
    empty.SetSize(0, 8);
    TPicture picture;
    picture.SetGraphic(&empty);
    background.SetImage(&picture);
    auto dib = Paint(20, 20, [&](TCanvas* c) {
        DrawMenuBackground(c, RECT{0, 0, 20, 20}, &background, true);
    });
    EXPECT_EQ(dib->Pixel(10, 10), 0xFF0000u);
}

TEST(MenuGradients, BackgroundPictureTiledAndMargins)
{
    TBackground background;
    background.SetColor(0, 0x00FF00);
    background.SetMarginX(2);
    background.SetMarginY(2);
    background.SetPosition(bpTiled);
    TBitmap tile;
    tile.SetSize(4, 4);
    tile.Canvas()->Brush()->SetColor(0x0000FF);
    tile.Canvas()->FillRect(RECT{0, 0, 4, 4});
    tile.Canvas()->SetPixel(0, 3, 0xFFFFFF); // the transparent colour (bottom-left)
    TPicture picture;
    picture.SetGraphic(&tile);
    background.SetImage(&picture);
    auto dib = Paint(20, 20, [&](TCanvas* c) {
        DrawMenuBackground(c, RECT{0, 0, 20, 20}, &background, true);
    });
    EXPECT_EQ(dib->Pixel(1, 1), 0xFFFFFFu) << "the margin";
    EXPECT_EQ(dib->Pixel(2, 2), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(17, 17), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(18, 18), 0xFFFFFFu);
}

// ---- measuring ------------------------------------------------------------------------------

TEST_F(MenuPaint, DropDownItemSizeFromItsText)
{
    TMenuItem* open = AddItem("Open");
    open->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
    int w, h;
    Measure(open, w, h);
    TFont* menuFont = Screen->MenuFont();
    const SIZE text = TextSize(menuFont, "Open" + ShortCutToText(open->ShortCut()));
    EXPECT_EQ(w, 24 + 15 + text.cx + 7 + 17);
    // The platform's own height, less 3, plus 5, rounded up to even.
    const int platformHeight = TextSize(menuFont, "Wg").cy + 6;
    EXPECT_EQ(h, (platformHeight - 3 + 5 + 1) / 2 * 2);

    styler->SetUseSystemFont(false);
    styler->Font()->SetName("Courier New");
    styler->Font()->SetSize(14);
    Measure(open, w, h);
    const SIZE big = TextSize(styler->Font(), "Open" + ShortCutToText(open->ShortCut()));
    EXPECT_EQ(h, (big.cy + 6 + 1) / 2 * 2);
    EXPECT_EQ(w, 24 + 15 + big.cx + 7 + 17);
}

TEST_F(MenuPaint, NotesAddOneLineAndTheirWidth)
{
    TMenuItem* plain = AddItem("Open");
    TMenuItem* noted = AddItem("Open\\nOpens a file from the disk");
    int pw, ph, nw, nh;
    Measure(plain, pw, ph);
    Measure(noted, nw, nh);
    const SIZE notesLine = TextSize(styler->NotesFont(), "gh");
    EXPECT_EQ(nh, ph + notesLine.cy);
    const SIZE sentence = TextSize(styler->NotesFont(), "Opens a file from the disk");
    EXPECT_GE(nw, sentence.cx);
    menu->SetShowNotes(false);
    Measure(noted, nw, nh);
    const SIZE whole = TextSize(Screen->MenuFont(), "Open\\nOpens a file from the disk");
    EXPECT_EQ(nw, 24 + 15 + whole.cx + 7 + 17) << "the backslash is part of the caption";
}

TEST_F(MenuPaint, SeparatorHeightAndLine)
{
    TMenuItem* line = AddItem("-");
    styler->Separator()->SetWidth(3);
    int w, h;
    Measure(line, w, h);
    EXPECT_EQ(h, 5);
    auto dib = PaintItem(line, {}, 200, 5);
    for (int y : {1, 2, 3})
        EXPECT_EQ(dib->Pixel(100, y), Px(kSeparator)) << y;
    EXPECT_EQ(dib->Pixel(100, 0), Px(kBack));
    EXPECT_EQ(dib->Pixel(100, 4), Px(kBack));
    EXPECT_EQ(dib->Pixel(25, 2), Px(kBack)) << "the separator's margin";
    EXPECT_EQ(dib->Pixel(10, 2), Px(kIcon)) << "the icon column runs through";
}

// ---- painting -------------------------------------------------------------------------------

TEST_F(MenuPaint, PlainItemIconColumnBackgroundAndHiddenStrip)
{
    TMenuItem* item = AddItem("Open");
    auto dib = PaintItem(item);
    EXPECT_EQ(dib->Pixel(5, 1), Px(kIcon));
    EXPECT_EQ(dib->Pixel(23, 1), Px(kIcon));
    EXPECT_EQ(dib->Pixel(24, 1), Px(kBack));
    EXPECT_EQ(dib->Pixel(182, 1), Px(kBack));
    EXPECT_EQ(dib->Pixel(183, 1), 0xFFFFFFu) << "the 17-pixel strip is left to the window region";
    // The caption: text pixels right of the icon column and the 8-pixel gap.
    EXPECT_GT(CountPixels(*dib, RECT{32, 0, 120, 24}, [](uint32_t p) { return p != Px(kBack); }),
              10);
    EXPECT_EQ(CountPixels(*dib, RECT{24, 0, 31, 24}, [](uint32_t p) { return p != Px(kBack); }), 0);
}

TEST_F(MenuPaint, IconColumnGradientRunsAcrossTheColumn)
{
    styler->IconBar()->SetColor(0, 0x000000);
    styler->IconBar()->SetColor(1, 0xF0F0F0);
    TMenuItem* item = AddItem("Open");
    auto dib = PaintItem(item);
    EXPECT_EQ(dib->Pixel(0, 5), ExpectedStep(0x000000, 0xF0F0F0, 0, 24));
    EXPECT_EQ(dib->Pixel(12, 5), ExpectedStep(0x000000, 0xF0F0F0, 12, 24));
    EXPECT_EQ(dib->Pixel(23, 5), ExpectedStep(0x000000, 0xF0F0F0, 23, 24));
}

TEST_F(MenuPaint, SelectedItemHasAMirrorHighlightBox)
{
    TMenuItem* item = AddItem("Open");
    auto dib = PaintItem(item, TOwnerDrawState{odSelected});
    EXPECT_EQ(dib->Pixel(0, 5), Px(kSelectedBorder));
    EXPECT_EQ(dib->Pixel(150, 0), Px(kSelectedBorder));
    EXPECT_EQ(dib->Pixel(182, 10), Px(kSelectedBorder));
    EXPECT_EQ(dib->Pixel(178, 3), Px(kSelected));
    EXPECT_EQ(dib->Pixel(178, 11), Px(kSelected));
    EXPECT_EQ(dib->Pixel(178, 12), Px(kMirror));
    EXPECT_EQ(dib->Pixel(178, 22), Px(kMirror));
}

TEST_F(MenuPaint, ShortcutIsRightAligned)
{
    TMenuItem* item = AddItem("Open");
    item->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
    auto dib = PaintItem(item);
    const int shortcutWidth = TextSize(Screen->MenuFont(), ShortCutToText(item->ShortCut())).cx;
    // The shortcut ends 10 pixels before the content's right edge (183).
    const RECT shortcut{173 - shortcutWidth, 0, 173, 24};
    EXPECT_GT(CountPixels(*dib, shortcut, [](uint32_t p) { return p != Px(kBack); }), 5);
    EXPECT_EQ(CountPixels(*dib, RECT{174, 0, 183, 24}, [](uint32_t p) { return p != Px(kBack); }),
              0);
}

TEST_F(MenuPaint, NoteLinesBelowTheCaptionInTheNotesColour)
{
    TMenuItem* item = AddItem("Open\\nOpens a file");
    int w, h;
    Measure(item, w, h);
    auto dib = PaintItem(item, {}, 300, h);
    const int captionHeight = TextSize(Screen->MenuFont(), "gh").cy;
    const int notesHeight = TextSize(styler->NotesFont(), "gh").cy;
    const RECT notes{32, captionHeight, 200, captionHeight + notesHeight};
    EXPECT_GT(CountPixels(*dib, notes, [](uint32_t p) { return p != Px(kBack); }), 10);
    // Grey (0x808080) note text: no pixel as dark as the black caption.
    auto dark = [](uint32_t p) {
        return (p >> 16 & 0xFF) < 0x60 && (p >> 8 & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
    };
    EXPECT_EQ(CountPixels(*dib, notes, dark), 0);
    EXPECT_GT(CountPixels(*dib, RECT{32, 0, 200, captionHeight}, dark), 10) << "the caption";
}

TEST_F(MenuPaint, CheckAndRadioGlyphsInTheirBoxes)
{
    TMenuItem* check = AddItem("Checked");
    check->SetChecked(true);
    auto dib = PaintItem(check);
    // Icon square (0, 1, 24, 23) made square: (1, 1, 23, 23); the glyph's 16 x 16 at (4, 4).
    EXPECT_EQ(dib->Pixel(1, 12), Px(kCheckBorder));
    EXPECT_EQ(dib->Pixel(3, 3), Px(kCheck));
    EXPECT_EQ(dib->Pixel(4 + 5, 4 + 9), 0x000000u) << "the check mark";
    EXPECT_EQ(dib->Pixel(4 + 1, 4 + 1), Px(kCheck)) << "the glyph's white is transparent";

    TMenuItem* radio = AddItem("Radio");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    dib = PaintItem(radio);
    EXPECT_EQ(dib->Pixel(4 + 7, 4 + 7), 0x000000u) << "the filled circle";
    EXPECT_EQ(dib->Pixel(4 + 5, 4 + 9), Px(kCheck)) << "no check mark";
}

TEST_F(MenuPaint, CheckedItemWithAnImageShowsTheBoxBehindTheImage)
{
    auto* images = new TImageList(nullptr);
    images->SetWidth(10);
    images->SetHeight(10);
    auto* disabledImages = new TImageList(nullptr);
    disabledImages->SetWidth(10);
    disabledImages->SetHeight(10);
    TBitmap picture;
    picture.SetSize(10, 10);
    picture.Canvas()->Brush()->SetColor(0xFF00FF);
    picture.Canvas()->FillRect(RECT{0, 0, 10, 10});
    images->Add(&picture, nullptr);
    picture.Canvas()->Brush()->SetColor(0x808000);
    picture.Canvas()->FillRect(RECT{0, 0, 10, 10});
    disabledImages->Add(&picture, nullptr);
    menu->SetImages(images);
    TMenuItem* item = AddItem("Image");
    item->SetImageIndex(0);
    item->SetChecked(true);
    auto dib = PaintItem(item);
    // The 10 x 10 image centred in the square (1, 1, 23, 23): (7, 7, 17, 17).
    EXPECT_EQ(dib->Pixel(12, 12), Px(0xFF00FF));
    EXPECT_EQ(dib->Pixel(3, 3), Px(kCheck));
    EXPECT_EQ(dib->Pixel(4 + 5, 4 + 9), Px(0xFF00FF)) << "no check glyph over the image";

    menu->SetDisabledImages(disabledImages);
    dib = PaintItem(item, TOwnerDrawState{odDisabled});
    EXPECT_EQ(dib->Pixel(12, 12), Px(0x808000)) << "a disabled item draws from the disabled list";
    menu->SetDisabledImages(nullptr);
    dib = PaintItem(item, TOwnerDrawState{odDisabled});
    EXPECT_NE(dib->Pixel(12, 12), Px(0xFF00FF)) << "without one, the image drawn disabled";
    menu->SetImages(nullptr);
    images->Free();
    disabledImages->Free();
}

TEST_F(MenuPaint, SubMenuArrowAtTheRight)
{
    TMenuItem* parent = AddItem("More");
    AddItem("Inner", parent);
    auto dib = PaintItem(parent);
    // Arrow box (175, 9, 178, 15) around the 4 x 7 glyph: (174, 8) to (178, 15).
    EXPECT_EQ(dib->Pixel(174, 8), 0x000000u);
    EXPECT_EQ(dib->Pixel(177, 11), 0x000000u);
    EXPECT_EQ(dib->Pixel(175, 8), Px(kBack));
    EXPECT_EQ(dib->Pixel(174, 15), Px(kBack));
}

TEST_F(MenuPaint, SideBarWithRotatedCaption)
{
    TSideBar* bar = styler->SideBar();
    bar->SetVisible(true);
    bar->SetVisibleIn(viFirstLevel);
    bar->SetCaption("Brenvik");
    bar->Background()->SetColor(0, 0x303030);
    bar->SetShadowColor(0x0000FF);
    bar->SetSplitterColor(0x808080);
    bar->SetBorderColor(0x00A0A0);
    bar->Font()->SetName("Tahoma");
    bar->Font()->SetSize(12);
    TMenuItem* item = AddItem("Open");
    AddItem("Save");
    int plainW, plainH, w, h;
    bar->SetVisible(false);
    Measure(item, plainW, plainH);
    bar->SetVisible(true);
    Measure(item, w, h);
    EXPECT_EQ(w, plainW + 24 + 1);
    auto dib = PaintItem(item, {}, 200, 120);
    EXPECT_EQ(dib->Pixel(0, 60), Px(0x00A0A0)) << "the border";
    EXPECT_EQ(dib->Pixel(24, 60), Px(0x808080)) << "the splitter";
    EXPECT_EQ(dib->Pixel(30, 1), Px(kIcon)) << "the icon column moves right of the bar";
    const RECT strip{1, 1, 23, 119};
    const int white = CountPixels(*dib, strip, [](uint32_t p) { return p == 0xFFFFFFu; });
    const int shadow = CountPixels(*dib, strip, [](uint32_t p) { return p == 0xFF0000u; });
    EXPECT_GT(white, 20);
    EXPECT_GT(shadow, 0);
    // Rotated: the caption runs along the strip, far taller than wide.
    int top = 1000, bottom = -1;
    for (int y = strip.top; y < strip.bottom; ++y)
        for (int x = strip.left; x < strip.right; ++x)
            if (dib->Pixel(x, y) == 0xFFFFFFu) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GT(bottom - top, 30);
    // The second item does not repaint the bar.
    TMenuItem* second = menu->Items()->Items(1);
    auto next = PaintItem(second, {}, 200, 24);
    EXPECT_EQ(next->Pixel(10, 10), 0xFFFFFFu);
}

TEST_F(MenuPaint, BackgroundPictureIsCopiedFromTheCache)
{
    TBitmap picture;
    picture.SetSize(8, 8);
    picture.Canvas()->Brush()->SetColor(0xFF00FF);
    picture.Canvas()->FillRect(RECT{0, 0, 8, 8});
    picture.Canvas()->SetPixel(0, 7, 0xFFFFFF); // the transparent colour (bottom-left)
    TPicture holder;
    holder.SetGraphic(&picture);
    styler->Background()->SetImage(&holder);
    styler->Background()->SetPosition(bpTopRight);
    TMenuItem* item = AddItem("Open");
    auto dib = PaintItem(item);
    // The cache has the menu's size (183 x 24): the picture at its top right, (175, 0)-(183, 8).
    EXPECT_EQ(dib->Pixel(178, 3), Px(0xFF00FF));
    EXPECT_EQ(dib->Pixel(176, 7), Px(0xFF00FF));
    EXPECT_EQ(dib->Pixel(5, 3), Px(kIcon)) << "the icon column stays";
}

TEST_F(MenuPaint, AntiAliasedTextThroughGdiPlus)
{
    styler->SetAntiAlias(aaAntiAlias);
    TMenuItem* item = AddItem("Open");
    auto dib = PaintItem(item);
    EXPECT_GT(CountPixels(*dib, RECT{32, 0, 120, 24}, [](uint32_t p) { return p != Px(kBack); }),
              10);
}

// ---- menu-bar items ------------------------------------------------------------------------

class MenuBarPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterAdvMenuClasses();
        const char* layout =
            "object BarForm: TForm\n"
            "  Menu = MainMenu1\n"
            "  object MenuStyler1: TAdvMenuStyler\n"
            "  end\n"
            "  object MainMenu1: TAdvMainMenu\n"
            "    MenuStyler = MenuStyler1\n"
            "    object FileItem: TMenuItem\n"
            "      Caption = 'File'\n"
            "      object OpenItem: TMenuItem\n"
            "        Caption = 'Open'\n"
            "      end\n"
            "    end\n"
            "    object HelpItem: TMenuItem\n"
            "      Caption = 'Help'\n"
            "    end\n"
            "  end\n"
            "end\n";
        TStringStream text(layout);
        TMemoryStream binary;
        ObjectTextToBinary(text, binary);
        binary.SetPosition(0);
        form = new TForm(nullptr);
        form->LoadLayoutFromStream(binary);
        form->SetBounds(20, 20, 400, 200);
        form->Show();
        menu = static_cast<TAdvMainMenu*>(form->FindComponent("MainMenu1"));
        styler = static_cast<TAdvMenuStyler*>(form->FindComponent("MenuStyler1"));
        TRootItem* root = styler->RootItem();
        root->SetColor(0, 0x404040);
        root->SetColor(1, 0x404040);
        root->SetHoverColor(0, 0x0000C0);
        root->SetHoverColor(1, clNone);
        root->SetHoverColor(2, 0x00C000);
        root->SetHoverBorderColor(0xC00000);
        root->SetSelectedColor(0, 0xC0C000);
        root->SetSelectedColor(1, clNone);
        root->SetSelectedBorderColor(0x008080);
        styler->Background()->SetColor(0, 0x00FFFF);
    }
    void TearDown() override { form->Free(); }
    std::unique_ptr<Dib> PaintBar(const char* name, TOwnerDrawState state)
    {
        auto* item = static_cast<TMenuItem*>(form->FindComponent(name));
        return Paint(60, 20, [&](TCanvas* c) {
            item->AdvancedDrawItem(c, RECT{0, 0, 60, 20}, state, true);
        });
    }
    TForm* form = nullptr;
    TAdvMainMenu* menu = nullptr;
    TAdvMenuStyler* styler = nullptr;
};

TEST_F(MenuBarPaint, ItemsAreHookedWhenLoaded)
{
    auto* open = static_cast<TMenuItem*>(form->FindComponent("OpenItem"));
    EXPECT_TRUE(open->OnAdvancedDrawItem ==
                TAdvancedMenuDrawItemEvent(menu, &TAdvMainMenu::DrawItemHandler));
    EXPECT_EQ(menu->FindComponent("InternalMenuStyler"), nullptr)
        << "a streamed styler replaced the private one";
    EXPECT_EQ(menu->GetCurrentMenuStyler(), styler);
}

TEST_F(MenuBarPaint, NormalHotAndSelectedLooks)
{
    auto normal = PaintBar("FileItem", {});
    EXPECT_EQ(normal->Pixel(58, 2), Px(0x404040)) << "the bar background";
    auto hot = PaintBar("FileItem", TOwnerDrawState{odHotLight});
    EXPECT_EQ(hot->Pixel(0, 10), Px(0xC00000));
    EXPECT_EQ(hot->Pixel(58, 3), Px(0x0000C0));
    EXPECT_EQ(hot->Pixel(58, 16), Px(0x00C000)) << "the mirror half";
    auto selected = PaintBar("FileItem", TOwnerDrawState{odSelected});
    EXPECT_EQ(selected->Pixel(58, 5), Px(0xC0C000));
    EXPECT_EQ(selected->Pixel(0, 10), Px(0x008080));
    EXPECT_EQ(selected->Pixel(30, 19), Px(0x00FFFF)) << "opens into its drop-down";
    auto help = PaintBar("HelpItem", TOwnerDrawState{odSelected});
    EXPECT_EQ(help->Pixel(30, 19), Px(0x008080)) << "no drop-down, the frame stays";
}

TEST_F(MenuBarPaint, BarItemIsMeasuredAsItsText)
{
    auto* file = static_cast<TMenuItem*>(form->FindComponent("FileItem"));
    HDC dc = GetDC(nullptr);
    TCanvas canvas;
    canvas.SetHandle(dc);
    int w = 0, h = 0;
    file->MeasureItem(&canvas, w, h);
    canvas.Font()->Assign(Screen->MenuFont());
    RECT r{0, 0, 0, 0};
    canvas.DrawText("File", r, DT_CALCRECT | DT_SINGLELINE);
    canvas.SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(w, r.right);
}

} // namespace
