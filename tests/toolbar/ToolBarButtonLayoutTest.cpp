// A toolbar button's numbers: automatic sizing, the drop-down part and its arrow, where glyph
// and caption go for each orientation and glyph position, the clipping of a button too small
// for its contents, and the grey of a derived disabled glyph. Expected values are worked out
// by hand from the documented rules.
#include "toolbar/ToolBarButtonLayout.h"

#include <gtest/gtest.h>

using draw::TIntPoint;
using draw::TIntRect;
using namespace toolbar;

namespace {

struct ExtentCase {
    const char* name;
    ButtonMeasures m;
    int length, thickness;
};

TEST(ToolBarButtonLayout, AutoExtent)
{
    ButtonMeasures empty;
    ButtonMeasures emptyDrop;
    emptyDrop.dropDownButton = true;
    ButtonMeasures glyphCaption; // 16 x 16 image, caption 37 wide, text 13 high
    glyphCaption.glyphWidth = glyphCaption.glyphHeight = 16;
    glyphCaption.captionWidth = 37;
    glyphCaption.textHeight = 13;
    ButtonMeasures captionOnly = glyphCaption;
    captionOnly.glyphWidth = captionOnly.glyphHeight = 0;
    ButtonMeasures top = glyphCaption;
    top.glyphPosition = gpTop;
    ButtonMeasures vertical; // a 16 wide, 24 high glyph on a vertical toolbar
    vertical.glyphWidth = 16;
    vertical.glyphHeight = 24;
    vertical.textHeight = 13;
    vertical.vertical = true;
    ButtonMeasures quick = glyphCaption;
    quick.quickAccess = true;
    ButtonMeasures quickVertical = quick;
    quickVertical.vertical = true;
    const ExtentCase cases[] = {
        {"nothing shown is 15 long", empty, 15, 8},
        {"nothing shown with a drop-down part is 27 long", emptyDrop, 27, 8},
        {"glyph, spacing, caption and two margins", glyphCaption, 16 + 4 + 37 + 8, 16 + 8},
        {"caption alone", captionOnly, 37 + 8, 13 + 8},
        {"glyph above the caption", top, 37 + 8, 16 + 13 + 4 + 8},
        {"vertical: the glyph's height runs along", vertical, 24 + 8, 16 + 8},
        {"quick-access: two more margins", quick, 16 + 4 + 37 + 16, 16 + 8},
        {"quick-access vertical: no more margins", quickVertical, 16 + 4 + 37 + 8, 16 + 8},
    };
    for (const ExtentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ButtonExtent e = AutoButtonExtent(c.m);
        EXPECT_EQ(e.length, c.length);
        EXPECT_EQ(e.thickness, c.thickness);
    }
}

TEST(ToolBarButtonLayout, DropDownPartAndArrow)
{
    // Horizontal, 35 wide: the last 12 pixels; the arrow starts 3 into them.
    DropDownParts h = SplitDropDown(35, 22, false, true, 12);
    EXPECT_EQ(h.drop, (TIntRect{23, 0, 35, 22}));
    EXPECT_EQ(h.face, (TIntRect{0, 0, 23, 22}));
    EXPECT_EQ(h.arrow, (TIntPoint{26, (22 - 3) / 2 + 1}));
    // Vertical, 40 high: the bottom 12 rows.
    DropDownParts v = SplitDropDown(24, 40, true, true, 12);
    EXPECT_EQ(v.drop, (TIntRect{0, 28, 24, 40}));
    EXPECT_EQ(v.face, (TIntRect{0, 0, 24, 28}));
    EXPECT_EQ(v.arrow, (TIntPoint{(24 - 3) / 2 + 1, 28 + (12 - 5) / 2}));
    // Without a drop-down part the face is the whole button.
    EXPECT_EQ(SplitDropDown(35, 22, false, false, 12).face, (TIntRect{0, 0, 35, 22}));
}

struct PlaceCase {
    const char* name;
    bool vertical;
    TGlyphPosition position;
    TIntPoint glyph;
    TIntRect caption;
    uint32_t format;
    TIntPoint textAt;
};

TEST(ToolBarButtonLayout, GlyphAndCaptionPlaces)
{
    // Horizontal: face 70 x 40, button 40 high; vertical: face 40 x 70. Glyph 16 x 16, caption
    // 30 x 13, spacing 4.
    const PlaceCase cases[] = {
        // x = (70-16-4-30)/2 = 10, y = (40-16)/2 = 12; caption from 10+16+4 = 30.
        {"horizontal left", false, gpLeft, {10, 12}, {30, 0, 70, 40}, 0x24, {0, 0}},
        // x = (70-16)/2 = 27, y = (40-16-4-13)/2 = 3; caption from 3+16+4 = 23.
        {"horizontal top", false, gpTop, {27, 3}, {0, 23, 70, 40}, 0x21, {0, 0}},
        // d = 10, x = 70-10-16 = 44; caption from d to x-4.
        {"horizontal right", false, gpRight, {44, 12}, {10, 0, 40, 40}, 0x26, {0, 0}},
        // e = 3, y = 40-3-16 = 21; caption from 21-4-13 = 4 to 21.
        {"horizontal bottom", false, gpBottom, {27, 21}, {0, 4, 70, 21}, 0x25, {0, 0}},
        // x = 12, y = (70-16-4-30)/2 = 10; caption left = 40-(40-13)/2 = 27, top 30.
        {"vertical left", true, gpLeft, {12, 10}, {27, 30, 40, 70}, 0x21, {27, 30}},
        // e = 10, y = 70-10-16 = 44; caption (27, 10, 40, 40).
        {"vertical top", true, gpTop, {12, 44}, {27, 10, 40, 40}, 0x29, {27, 10}},
        // d = (40-16-4-13)/2 = 3, x = 40-3-16 = 21, y = 27; caption (0, 20, 17, 70), then left
        // = 17 - (17-13)/2 = 15.
        {"vertical right", true, gpRight, {21, 27}, {15, 20, 17, 70}, 0x25, {15, 20}},
        // x = 3, y = 27; caption (23, 0, 40, 70), then left = 40 - (17-13)/2 = 38; the text
        // starts half the leftover height down: (70-30)/2 = 20.
        {"vertical bottom", true, gpBottom, {3, 27}, {38, 0, 40, 70}, 0x25, {38, 20}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        GlyphLayoutInput in;
        in.face = c.vertical ? TIntRect{0, 0, 40, 70} : TIntRect{0, 0, 70, 40};
        in.buttonHeight = c.vertical ? 70 : 40;
        in.hasGlyph = true;
        in.glyphWidth = in.glyphHeight = 16;
        in.captionWidth = 30;
        in.captionHeight = 13;
        in.vertical = c.vertical;
        in.glyphPosition = c.position;
        const GlyphLayout out = PlaceGlyphAndCaption(in);
        EXPECT_EQ(out.glyph, c.glyph);
        EXPECT_EQ(out.caption, c.caption);
        EXPECT_EQ(out.format, c.format);
        if (c.vertical)
            EXPECT_EQ(out.textAt, c.textAt);
    }
}

TEST(ToolBarButtonLayout, SmallButtonsAndNoGlyph)
{
    // The documented case: 22 x 23, a 16 x 16 image, no caption shown (the text height is the
    // button's height then, and no spacing counts).
    GlyphLayoutInput in;
    in.face = TIntRect{0, 0, 22, 23};
    in.buttonHeight = 23;
    in.hasGlyph = true;
    in.glyphWidth = in.glyphHeight = 16;
    in.captionHeight = 23;
    EXPECT_EQ(PlaceGlyphAndCaption(in).glyph, (TIntPoint{3, 3}));

    // A fixed-size horizontal button narrower than its glyph: glyph at 1, caption moved by
    // |x| + 1, ellipsis.
    GlyphLayoutInput small = in;
    small.face = TIntRect{0, 0, 10, 23};
    small.autoSize = false;
    small.captionWidth = 20;
    small.captionHeight = 13;
    const GlyphLayout s = PlaceGlyphAndCaption(small);
    // x = (10-16-4-20)/2 = -15 -> caption left 1+16... moved from -15+16+4 = 5 by 16.
    EXPECT_EQ(s.glyph, (TIntPoint{1, 3}));
    EXPECT_EQ(s.caption.Left, 5 + 16);
    EXPECT_EQ(s.format, 0x24u | captionformat::kEndEllipsis);
    // An automatically sized button is never clipped.
    small.autoSize = true;
    EXPECT_EQ(PlaceGlyphAndCaption(small).glyph.X, -15);

    // No glyph: the caption fills the face, centred on one line.
    GlyphLayoutInput none;
    none.face = TIntRect{0, 0, 50, 22};
    none.captionWidth = 30;
    none.captionHeight = 13;
    const GlyphLayout n = PlaceGlyphAndCaption(none);
    EXPECT_EQ(n.caption, none.face);
    EXPECT_EQ(n.format, 0x25u);
}

TEST(ToolBarButtonLayout, DisabledGrey)
{
    EXPECT_EQ(DisabledGlyphGrey(0x000000), 0x606060u); // 96
    EXPECT_EQ(DisabledGlyphGrey(0xFFFFFF), 0xDFDFDFu); // 255 / 2 + 96 = 223
    // r 30, g 60, b 90: mean 60, half 30, grey 126.
    EXPECT_EQ(DisabledGlyphGrey(0x5A3C1E), 0x7E7E7Eu);
}

} // namespace
