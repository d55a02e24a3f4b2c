#pragma once
// The arithmetic of a toolbar button, over sizes only: the length and thickness its automatic
// sizing gives, where its glyph and caption go for each glyph position and orientation, the
// drop-down part and its arrow, and the grey of a derived disabled glyph. The button control
// measures its text and glyph and hands the numbers here; nothing here touches a window.
//
// Words: along is the toolbar's length direction (x on a horizontal toolbar, y on a vertical
// one); a button's length is measured along it and its thickness across it.
#include "draw/DrawMath.h"

#include <cstdint>

namespace toolbar {

enum TGlyphPosition { gpLeft, gpTop, gpRight, gpBottom };

// Caption formats (the DrawText flags the button hands to the platform).
namespace captionformat {
constexpr uint32_t kCenter = 0x01, kRight = 0x02, kVCenter = 0x04, kBottom = 0x08;
constexpr uint32_t kSingleLine = 0x20, kEndEllipsis = 0x8000;
} // namespace captionformat

// What automatic sizing measures. Glyph width and height are as the glyph lies (the sizing
// exchanges them for a vertical button itself).
struct ButtonMeasures {
    int glyphWidth = 0, glyphHeight = 0;
    int captionWidth = 0; // 0 when no caption is shown
    int textHeight = 0;   // the height of "gh" in the caption font
    int spacing = 4, margin = 4;
    TGlyphPosition glyphPosition = gpLeft;
    bool vertical = false;
    bool quickAccess = false; // on a quick-access toolbar (horizontal): twice the margin more
    bool dropDownButton = false;
    int dropDownWidth = 12;
};

struct ButtonExtent {
    int length = 0;    // along the toolbar: Width when horizontal, Height when vertical
    int thickness = 0; // across it, before any raise to fill the toolbar
};

// The length and thickness of an automatically sized button.
ButtonExtent AutoButtonExtent(const ButtonMeasures& m);

// The face and the drop-down part of a button whose client rectangle is (0, 0, width, height).
struct DropDownParts {
    draw::TIntRect face, drop;
    draw::TIntPoint arrow; // where the arrow starts (its first line's left or top end)
};
DropDownParts SplitDropDown(int width, int height, bool vertical, bool dropDownButton,
                            int dropDownWidth);

// Inputs of the glyph and caption placement of a paint pass.
struct GlyphLayoutInput {
    draw::TIntRect face;
    int buttonHeight = 0; // the button's Height (the horizontal rows use it, not the face's)
    bool hasGlyph = false;
    int glyphWidth = 0, glyphHeight = 0;
    int captionWidth = 0, captionHeight = 0; // measured; 0 wide when no caption is shown
    int spacing = 4;
    bool vertical = false;
    TGlyphPosition glyphPosition = gpLeft;
    bool autoSize = true;
};

struct GlyphLayout {
    draw::TIntPoint glyph;  // top-left corner of the glyph
    draw::TIntRect caption; // the caption's rectangle (horizontal captions)
    draw::TIntPoint textAt; // where a vertical caption starts
    uint32_t format = 0;    // DrawText flags of the caption
};

// Where the glyph and the caption go (without a fixed draw position).
GlyphLayout PlaceGlyphAndCaption(const GlyphLayoutInput& in);

// The grey that a pixel of a derived disabled glyph becomes (0x00BBGGRR in, grey out).
uint32_t DisabledGlyphGrey(uint32_t colour);

} // namespace toolbar
