// The glow face of the toolbar family's small buttons (the pager's scroll arrows and the
// Vista glyph button): two gradient halves with a glow, a border shaped by the button's place in
// a group, the focus frames, an optional picture or image-list image, an optional caption laid
// out by a TButtonLayout and an optional drop-down part with its arrow. It can also only measure
// the size the content needs. The strokes and fills are GlowDrawing's and ToolbarDrawing's.
#pragma once

#include <windows.h>

#include <string>

#include "controls/AdvGlowButton.h"
#include "draw/GDIPicture.h"
#include "draw/GlowDrawing.h"

namespace toolbar {

struct TToolBarGlowFace {
    RECT R{};
    classlib::TColor Color = classlib::clNone;
    classlib::TColor ColorTo = classlib::clNone;
    classlib::TColor ColorMirror = classlib::clNone;
    classlib::TColor ColorMirrorTo = classlib::clNone;
    classlib::TColor BorderColor = classlib::clNone;
    draw::TGDIPGradient Gradient = draw::ggVertical;
    draw::TGDIPGradient GradientMirror = draw::ggVertical;
    std::string Caption;
    std::wstring WideCaption;
    bool ShowCaption = true;
    classlib::TFont* Font = nullptr;
    classlib::TCustomImageList* Images = nullptr;
    int ImageIndex = -1;
    bool ImageEnabled = true;
    controls::TButtonLayout Layout = controls::blGlyphLeft;
    bool DropDownButton = false; // a 13-pixel drop-down part at the right or the bottom
    bool DropDownSplit = false;  // with DropDownPart: the drop-down part is a separate half
    bool Enabled = true;
    bool Focused = false;
    controls::TDropDownPosition DropDownPosition = controls::dpRight;
    draw::TGDIPPicture* Picture2 = nullptr; // used when Picture is missing
    draw::TAntiAlias AntiAlias = draw::aaClearType;
    bool DrawPicture = true;
    classlib::TGraphic* Picture = nullptr;
    controls::TGlowButtonState State = controls::gsNormal; // gsDown darkens the drop-down half
    bool TransparentFace = false;                          // no fills and no border
    bool Hot = false;
    draw::TButtonPosition Position = draw::bpStandalone;
    bool DropDownPart = false;
    bool ShowBorder = true;
    bool CaptionOverFace = false;
    bool WordWrap = false;
    bool MeasureOnly = false;
    bool Rounded = true;
    bool DropDownDirection = true; // passed to DrawDropDownArrow: set points down
    int Spacing = 2;
    controls::StringTrimming Trimming = controls::StringTrimmingNone;
};

// Paints the face on `canvas` (with MeasureOnly: fills and border but no content) and answers
// the size the content needs.
SIZE DrawToolBarGlowFace(classlib::TCanvas* canvas, const TToolBarGlowFace& f);

} // namespace toolbar
