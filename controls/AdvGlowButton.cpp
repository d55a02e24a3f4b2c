#include "AdvGlowButton.h"

#include <windowsx.h>

#include <algorithm>
#include <cctype>

#include "draw/DrawMath.h"
#include "draw/PanelDrawing.h"
#include "draw/ToolbarDrawing.h"
#include "windows/ActnList.h"
#include "windows/Forms.h"
#include "windows/Messages.h"

using namespace classlib;
using namespace draw;

namespace controls {

unsigned GlowFadeInterval = 30;

CLASSLIB_DEFINE_ENUM(TButtonLayout, "blGlyphLeft", "blGlyphTop", "blGlyphRight", "blGlyphBottom",
                     "blGlyphLeftAdjusted", "blGlyphRightAdjusted", "blGlyphTopAdjusted",
                     "blGlyphBottomAdjusted")
CLASSLIB_DEFINE_ENUM(TAdvButtonStyle, "bsButton", "bsCheck")
CLASSLIB_DEFINE_ENUM(TButtonSizeState, "bsGlyph", "bsLabel", "bsLarge")
CLASSLIB_DEFINE_ENUM(TDropDownPosition, "dpRight", "dpBottom")
CLASSLIB_DEFINE_ENUM(TDropDownDirection, "ddDown", "ddRight")
CLASSLIB_DEFINE_ENUM(TFocusType, "ftBorder", "ftHot", "ftHotBorder", "ftNone")
CLASSLIB_DEFINE_ENUM(StringTrimming, "StringTrimmingNone", "StringTrimmingCharacter",
                     "StringTrimmingWord", "StringTrimmingEllipsisCharacter",
                     "StringTrimmingEllipsisWord", "StringTrimmingEllipsisPath")
CLASSLIB_DEFINE_ENUM(TShortCutHintPos, "shpLeft", "shpTop", "shpRight", "shpBottom", "shpCenter",
                     "shpAuto", "shpTopLeft", "shpTopRight", "shpAboveTop", "shpAboveTopLeft",
                     "shpAboveTopRight", "shpBottomLeft", "shpBottomRight", "shpBelowBottom",
                     "shpBelowBottomLeft", "shpBelowBottomRight", "shpBelowBottomCenter")

// ---- appearance ---------------------------------------------------------------------------

namespace {

using A = TGlowButtonAppearance;

// One published colour or gradient of the appearance, in the order Assign copies them.
struct ColorProp {
    const char* name;
    TColor (A::*get)() const;
    void (A::*set)(TColor);
    bool hasDefault;
};
struct GradientProp {
    const char* name;
    TGDIPGradient (A::*get)() const;
    void (A::*set)(TGDIPGradient);
};

// clang-format off
#define CP(N, D) ColorProp{#N, &A::N, &A::Set##N, D}
const ColorProp kColorProps[] = {
    CP(Color, true), CP(ColorTo, true), CP(ColorMirror, true), CP(ColorMirrorTo, true),
    CP(ColorHot, false), CP(ColorHotTo, false), CP(ColorMirrorHot, false), CP(ColorMirrorHotTo, false),
    CP(ColorDown, false), CP(ColorDownTo, false), CP(ColorMirrorDown, false), CP(ColorMirrorDownTo, false),
    CP(ColorChecked, false), CP(ColorCheckedTo, false), CP(ColorMirrorChecked, false),
    CP(ColorMirrorCheckedTo, false), CP(ColorDisabled, false), CP(ColorDisabledTo, false),
    CP(ColorMirrorDisabled, false), CP(ColorMirrorDisabledTo, false), CP(BorderColor, true),
    CP(BorderColorHot, true), CP(BorderColorDown, true), CP(BorderColorChecked, true), CP(BorderColorDisabled, true),
};
#undef CP
#define GP(N) GradientProp{#N, &A::N, &A::Set##N}
const GradientProp kGradientProps[] = {
    GP(Gradient), GP(GradientMirror), GP(GradientHot), GP(GradientMirrorHot), GP(GradientDown),
    GP(GradientMirrorDown), GP(GradientChecked), GP(GradientMirrorChecked), GP(GradientDisabled),
    GP(GradientMirrorDisabled),
};
#undef GP
// clang-format on

// The constructor's values of a new appearance.
struct InitialColors {
    const char* name;
    TColor value;
};
const InitialColors kInitialColors[] = {
    {"BorderColor", 12632256},
    {"BorderColorHot", 16711680},
    {"BorderColorDown", 8388608},
    {"BorderColorChecked", 16711680},
    {"BorderColorDisabled", 8421504},
    {"Color", 16777215},
    {"ColorTo", 16777215},
    {"ColorChecked", 16111818},
    {"ColorCheckedTo", 16367008},
    {"ColorDisabled", 15921906},
    {"ColorDisabledTo", 15921906},
    {"ColorDown", 16111818},
    {"ColorDownTo", 16367008},
    {"ColorHot", 16117985},
    {"ColorHotTo", 16372402},
    {"ColorMirror", 12632256},
    {"ColorMirrorTo", 16777215},
    {"ColorMirrorHot", 16107693},
    {"ColorMirrorHotTo", 16775412},
    {"ColorMirrorDown", 16102556},
    {"ColorMirrorDownTo", 16768988},
    {"ColorMirrorChecked", 16102556},
    {"ColorMirrorCheckedTo", 16768988},
    {"ColorMirrorDisabled", 11974326},
    {"ColorMirrorDisabledTo", 15921906},
};
const TGDIPGradient kInitialGradients[] = {ggVertical, ggVertical, ggRadial,   ggRadial, ggRadial,
                                           ggRadial,   ggRadial,   ggVertical, ggRadial, ggRadial};

const ColorProp& ColorPropNamed(const char* name)
{
    for (const ColorProp& p : kColorProps)
        if (std::string_view(p.name) == name)
            return p;
    throw Exception(std::string("no appearance colour ") + name);
}

TColor InitialColor(const char* name)
{
    for (const InitialColors& c : kInitialColors)
        if (std::string_view(c.name) == name)
            return c.value;
    return clNone;
}

// The style presets: the normal colours, and how the hot, down and checked colours follow.
enum HotColours { hcWarmFirst, hcWarmAfter, hcWarmAfterCheckedBorder, hcXP, hcUnchanged };
struct StylePreset {
    TColor color, colorTo, colorMirror, colorMirrorTo, borderColor;
    HotColours hot;
};
const StylePreset kStylePresets[10] = {
    {15653832, 16178633, 15586496, 16245200, 14727579, hcWarmFirst},
    {15133154, 15128792, 15133154, 13152947, 9598070, hcWarmFirst},
    {13627626, 13627626, 13627626, 9224369, 9224369, hcWarmFirst},
    {16777215, 13226453, 16777215, 13226453, 0, hcWarmAfter},
    {15653832, 16178633, 15586496, 16245200, 14727579, hcWarmAfterCheckedBorder},
    {14671574, 15000283, 14144974, 15197664, 12631218, hcWarmAfterCheckedBorder},
    {16777215, 12179676, 12179676, 12179676, 12179676, hcXP},
    {16777215, 14675440, 14675440, 14675440, 10070188, hcWarmFirst},
    {0, 0, 0, 0, 0, hcUnchanged},
    {15987697, 16119283, 15657703, 16316406, 13421257, hcWarmAfterCheckedBorder},
};

void ApplyWarmSet(A& a)
{
    a.SetColorHot(15465983);
    a.SetColorHotTo(11332863);
    a.SetColorMirrorHot(5888767);
    a.SetColorMirrorHotTo(10807807);
    a.SetBorderColorHot(10079963);
    a.SetColorDown(7778289);
    a.SetColorDownTo(4296947);
    a.SetColorMirrorDown(946929);
    a.SetColorMirrorDownTo(5021693);
    a.SetBorderColorDown(4548219);
    a.SetColorChecked(11918331);
    a.SetColorCheckedTo(7915518);
    a.SetColorMirrorChecked(10480637);
    a.SetColorMirrorCheckedTo(5682430);
    for (int i = 2; i < 8; ++i)
        (a.*kGradientProps[i].set)(ggVertical);
}

void ApplyXPSet(A& a)
{
    a.SetColorHot(15717318);
    a.SetColorHotTo(15717318);
    a.SetColorMirrorHot(15717318);
    a.SetColorMirrorHotTo(15717318);
    a.SetBorderColorHot(clHighlight);
    a.SetColorDown(11899524);
    a.SetColorDownTo(11899524);
    a.SetColorMirrorDown(11899524);
    a.SetColorMirrorDownTo(11899524);
    a.SetBorderColorDown(clHighlight);
    a.SetColorChecked(12179676);
    a.SetColorCheckedTo(12179676);
    a.SetColorMirrorChecked(12179676);
    a.SetColorMirrorCheckedTo(12179676);
    a.SetBorderColorChecked(0);
    for (int i = 2; i < 8; ++i)
        (a.*kGradientProps[i].set)(ggVertical);
}

} // namespace

CLASSLIB_PUBLISH(TGlowButtonAppearance)
{
    for (const InitialColors& init : kInitialColors) {
        const ColorProp& p = ColorPropNamed(init.name);
        TPropInfo& prop = AsColorProperty(c.Property(p.name, p.get, p.set));
        if (p.hasDefault)
            prop.SetDefault(init.value);
    }
    for (size_t i = 0; i < std::size(kGradientProps); ++i)
        c.Property(kGradientProps[i].name, kGradientProps[i].get, kGradientProps[i].set)
            .SetDefault(kInitialGradients[i]);
    c.Property("SystemFont", &A::SystemFont, &A::SetSystemFont).SetDefault(true);
}

TGlowButtonAppearance::TGlowButtonAppearance()
{
    for (const InitialColors& init : kInitialColors)
        (this->*ColorPropNamed(init.name).set)(init.value);
    for (size_t i = 0; i < std::size(kGradientProps); ++i)
        (this->*kGradientProps[i].set)(kInitialGradients[i]);
}

void TGlowButtonAppearance::Assign(TPersistent* source)
{
    auto* from = dynamic_cast<TGlowButtonAppearance*>(source);
    if (!from) {
        TPersistent::Assign(source);
        return;
    }
    for (const ColorProp& p : kColorProps)
        (this->*p.set)((from->*p.get)());
    for (const GradientProp& p : kGradientProps)
        (this->*p.set)((from->*p.get)());
    SetSystemFont(from->SystemFont());
}

void TGlowButtonAppearance::ApplyStylePreset(uint8_t styleNumber)
{
    if (styleNumber > 9)
        return;
    const StylePreset& preset = kStylePresets[styleNumber];
    if (preset.hot == hcUnchanged)
        return;
    if (preset.hot == hcWarmFirst)
        ApplyWarmSet(*this);
    SetColor(preset.color);
    SetColorTo(preset.colorTo);
    SetColorMirror(preset.colorMirror);
    SetColorMirrorTo(preset.colorMirrorTo);
    SetBorderColor(preset.borderColor);
    SetGradient(ggVertical);
    SetGradientMirror(ggVertical);
    if (preset.hot == hcWarmAfter || preset.hot == hcWarmAfterCheckedBorder)
        ApplyWarmSet(*this);
    if (preset.hot == hcWarmAfterCheckedBorder)
        SetBorderColorChecked(4548219);
    if (preset.hot == hcXP)
        ApplyXPSet(*this);
}

// ---- face renderer --------------------------------------------------------------------------

namespace {

float F(int v)
{
    return static_cast<float>(v);
}

bool IsHorizontal(TButtonLayout layout)
{
    return layout == blGlyphLeft || layout == blGlyphRight || layout == blGlyphLeftAdjusted ||
           layout == blGlyphRightAdjusted;
}

// Every "\n" (backslash and n, any case) replaced by a blank or by a line feed and carriage return.
std::string ReplaceLineMarks(const std::string& caption, bool withBlank)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '\\' && i + 1 < caption.size() &&
            std::tolower(static_cast<unsigned char>(caption[i + 1])) == 'n') {
            out += withBlank ? " " : "\n\r";
            ++i;
        } else {
            out += caption[i];
        }
    }
    return out;
}

// GDI+ text needs a vector font that is not a device font and that the screen knows.
bool CanUseGdiPlusText(TCanvas* canvas, TFont* font)
{
    canvas->Font()->SetName(font->Name());
    TEXTMETRICA tm{};
    HDC dc = FontDC(canvas);
    if (!GetTextMetricsA(dc, &tm))
        return false;
    if (!(tm.tmPitchAndFamily & TMPF_VECTOR) || (tm.tmPitchAndFamily & TMPF_DEVICE))
        return false;
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    return _stricmp(face, font->Name().c_str()) == 0;
}

TGlowColorSet Darker(TGlowColorSet s)
{
    s.Color = AdjustBrightness(s.Color, -10);
    s.ColorTo = AdjustBrightness(s.ColorTo, -10);
    s.ColorMirror = AdjustBrightness(s.ColorMirror, -10);
    s.ColorMirrorTo = AdjustBrightness(s.ColorMirrorTo, -10);
    return s;
}

void FillLower(TGPGraphics* g, const RECT& r, const TGlowColorSet& s)
{
    DrawGlowFill(g, r, s.ColorMirrorTo, s.ColorMirror, s.GradientMirror, false);
}

void FillUpper(TGPGraphics* g, const RECT& r, const TGlowColorSet& s)
{
    DrawGlowFill(g, r, s.Color, s.ColorTo, s.Gradient, true);
}

void DrawFace(TGPGraphics* g, const TGlowFaceParams& p)
{
    const RECT& R = p.R;
    const int H = R.bottom - R.top, half = H / 2;
    if (!(p.DropDownButton && p.HotSet && p.DropDownSplit)) {
        FillLower(g, RECT{R.left, R.top + half - 1, R.right, R.bottom}, p.Colors);
        FillUpper(g, RECT{R.left, R.top, R.right, R.bottom - half}, p.Colors);
        return;
    }
    const TGlowColorSet content = p.DropHover == 2 ? p.Colors : Darker(p.Colors);
    const TGlowColorSet part = p.DropHover == 2 ? Darker(p.Colors) : p.Colors;
    if (p.DropDownPosition == dpRight) {
        FillLower(g, RECT{R.left, R.top + half - 1, R.right - 12, R.bottom}, content);
        FillUpper(g, RECT{R.left, R.top, R.right - 12, R.bottom - half}, content);
        FillUpper(g, RECT{R.right - 12, R.top, R.right, R.bottom - half}, part);
        FillLower(g, RECT{R.right - 12, R.top + half - 1, R.right, R.bottom}, part);
    } else {
        const int k = (H - 12) / 2;
        FillLower(g, RECT{R.left, R.top + k - 1, R.right, R.bottom - 12}, content);
        FillUpper(g, RECT{R.left, R.top, R.right, R.bottom - 12 - k}, content);
        FillUpper(g, RECT{R.left, R.bottom - 12, R.right, R.bottom}, part);
    }
}

void DrawBorderAndFocus(TGPGraphics* g, const TGlowFaceParams& p)
{
    const RECT& R = p.R;
    const int radius = p.Rounded ? 3 : 0;
    if (p.HasBorder && !p.NoBackground) {
        const int x = R.left, y = R.top, w = R.right - 1 - R.left, h = R.bottom - 1 - R.top;
        const bool emphasis = p.MouseInControl || p.Down;
        switch (p.Position) {
            case bpStandalone:
                DrawRoundRectBorder(g, p.Colors.BorderColor, x, y, w, h, radius);
                break;
            case bpLeft:
                DrawLeftPartBorder(g, p.Colors.BorderColor, x, y, w, h, radius);
                break;
            case bpMiddle:
                DrawMiddlePartBorder(g, p.Colors.BorderColor, x, y, w, h, radius, emphasis);
                break;
            case bpRight:
                DrawRightPartBorder(g, p.Colors.BorderColor, x, y, w, h, radius, emphasis);
                break;
        }
    }
    if (p.FocusBorder) {
        auto pen = TGPPen::CreatePen1(ColorToGPColor(14986633), 1.0f);
        DrawGPRoundRect(g, pen.get(), R.left + 1, R.top + 1, R.right - 3, R.bottom - 3, radius);
        DrawDottedRoundRect(g, 0x808080, R.left + 2, R.top + 2, R.right - 5, R.bottom - 5, radius);
    }
}

bool GlyphUsable(TBitmap* glyph)
{
    return glyph && !glyph->Empty() && glyph->Width() >= 2 && glyph->Height() >= 2;
}

} // namespace

SIZE DrawGlowButtonFace(TCanvas* canvas, const TGlowFaceParams& in)
{
    TGlowFaceParams p = in;
    const RECT R = p.R;
    const RECT D = p.DropDownPosition == dpRight ? RECT{R.right - 13, R.top, R.right, R.bottom}
                                                 : RECT{R.left, R.bottom - 13, R.right, R.bottom};
    RECT C = R;
    if (p.DropDownButton) {
        if (p.DropDownPosition == dpRight)
            C.right = D.left;
        else
            C.bottom = D.top;
    }
    int CW = C.right - C.left, CH = C.bottom - C.top;
    const bool hasNotes = p.Notes && !p.Notes->Text().empty();
    const std::string notesText = hasNotes ? p.Notes->Text() : std::string();
    if (hasNotes)
        p.Layout = blGlyphLeftAdjusted;
    const TButtonLayout layout = p.Layout;
    const bool hasBox = p.ImageBox.cx > 0 && p.ImageBox.cy > 0;

    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    if (!p.NoBackground)
        DrawFace(graphics.get(), p);
    graphics->SetSmoothingMode(4);
    DrawBorderAndFocus(graphics.get(), p);

    // Image size.
    int IW = 0, IH = 0;
    const bool glyphUsable = GlyphUsable(p.Glyph);
    const bool pictureUsable = p.Picture && !p.Picture->Empty();
    if (glyphUsable) {
        IW = p.Glyph->Width();
        IH = p.Glyph->Height();
    } else if (pictureUsable) {
        p.Picture->UpdateImageSize();
        IW = p.Picture->Width();
        IH = p.Picture->Height();
    } else if (p.ImageIndex > -1 && p.Images) {
        IW = p.Images->Width();
        IH = p.Images->Height();
    }
    if ((glyphUsable || pictureUsable) && hasBox) {
        IW = p.ImageBox.cx;
        IH = p.ImageBox.cy;
    }
    const bool hasCaption = !p.Caption.empty() || !p.WideCaption.empty();
    if (p.ShowCaptionText && hasCaption) {
        if ((layout == blGlyphLeft || layout == blGlyphLeftAdjusted) && IW > 0)
            IW += p.Spacing;
        if ((layout == blGlyphTop || layout == blGlyphTopAdjusted) && IH > 0)
            IH += p.Spacing;
    }
    SIZE size{IW, IH};

    int IX = C.left + std::max(0, (CW - IW) / 2), IY = C.top + std::max(0, (CH - IH) / 2);
    int textBottom = 0;
    if (hasCaption) {
        const std::string caption = ReplaceLineMarks(p.Caption, hasBox);
        const std::wstring text = !caption.empty() ? AnsiToWide(caption) : p.WideCaption;
        const bool gdiPlus = p.AntiAlias != aaNone && CanUseGdiPlusText(canvas, p.Font);
        TGPFontPair font = MakeGPFont(p.Font, true, 7);
        TGPFontPair notesFont;
        if (hasNotes)
            notesFont = MakeGPFont(p.NotesFont, true, 7);
        TGPRectF layoutRect = p.Measure ? BuildRectF(F(R.left), F(R.top), 4096, 4096)
                                        : BuildRectF(F(R.left), F(R.top), F(CW), F(CH));
        auto format = TGPStringFormat::CreateStringFormat(p.WordWrap ? 0 : 0x1000, 0);
        format->SetStringFormatAlign(layout == blGlyphLeftAdjusted    ? 0
                                     : layout == blGlyphRightAdjusted ? 2
                                                                      : 1);
        format->SetStringFormatLineAlign(layout == blGlyphTopAdjusted      ? 0
                                         : layout == blGlyphBottomAdjusted ? 2
                                                                           : 1);
        format->SetStringFormatHotkeyPrefix(1);
        format->SetStringFormatTrimming(static_cast<int>(p.Trimming));
        auto brush = TGPSolidBrush::CreateSolidFill(
            ColorToGPColor(p.Enabled ? p.Font->Color() : TColor(0x808080)));
        if (p.AntiAlias == aaClearType)
            graphics->SetTextRenderingHint(5);
        else if (p.AntiAlias == aaAntiAlias)
            graphics->SetTextRenderingHint(4);

        // Measuring the text block.
        int TW = 0, TH = 0, NW = 0, NH = 0, boxX = 0, boxY = 0;
        if (gdiPlus) {
            TGPRectF box;
            int fitted = 0, lines = 0;
            graphics->MeasureString(text, static_cast<int>(text.size()), font.font.get(),
                                    layoutRect, format.get(), box, fitted, lines);
            boxX = RoundEven(box.X);
            boxY = RoundEven(box.Y);
            TW = RoundEven(box.Width);
            TH = RoundEven(box.Height);
            textBottom = RoundEven(box.Y + box.Height);
            if (hasNotes) {
                const std::wstring notes = AnsiToWide(notesText);
                TGPRectF nbox;
                graphics->MeasureString(notes, static_cast<int>(notes.size()), notesFont.font.get(),
                                        layoutRect, format.get(), nbox, fitted, lines);
                NW = RoundEven(nbox.Width);
                NH = RoundEven(nbox.Height);
            }
        } else {
            canvas->Font()->Assign(p.Font);
            const int left = RoundEven(layoutRect.X), top = RoundEven(layoutRect.Y);
            RECT box{left, top, left + (p.WordWrap ? 4096 : 2), top};
            const UINT flags = DT_CALCRECT | (p.WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
            const int height = DrawTextA(FontDC(canvas), caption.c_str(),
                                         static_cast<int>(caption.size()), &box, flags);
            TW = box.right - box.left;
            TH = height - top;
            if (hasNotes) {
                canvas->Font()->Assign(p.NotesFont);
                RECT nbox{left, top, left + (p.WordWrap ? 4096 : 2), top};
                const int nh =
                    DrawTextA(FontDC(canvas), notesText.c_str(), static_cast<int>(notesText.size()),
                              &nbox, DT_CALCRECT | (p.WordWrap ? DT_WORDBREAK : 0));
                NW = nbox.right - nbox.left;
                NH = nh - top;
                canvas->Font()->Assign(p.Font);
            }
            boxX = layout == blGlyphLeft ? (CW - TW - IW) / 2 : left;
            boxY = layout == blGlyphTop ? (CH - TH - IH - 2) / 2 : top;
            textBottom = (RoundEven(layoutRect.Height) + TH) / 2;
        }

        // Content size.
        if (IsHorizontal(layout)) {
            size.cx = std::max(TW, NW) + IW + p.Spacing;
            size.cy = std::max(TH + p.Spacing + NH, IH + p.Spacing);
        } else {
            size.cx = std::max(TW + p.Spacing, IW + p.Spacing);
            size.cy = TH + IH + p.Spacing;
        }
        if (p.Measure)
            return size;

        // Placement.
        int TX = RoundEven(layoutRect.X), TY = RoundEven(layoutRect.Y), TWr = CW, THr = CH;
        const int centredX = C.left + std::max(0, (CW - IW) / 2),
                  centredY = C.top + std::max(0, (CH - IH) / 2);
        IX = centredX;
        IY = centredY;
        switch (layout) {
            case blGlyphLeft:
                TX = gdiPlus ? R.left + IW + 2 : boxX + IW;
                TWr = CW - IW - 2;
                IX = std::max(2, gdiPlus ? boxX - IW / 2 : boxX);
                break;
            case blGlyphLeftAdjusted:
                TX = R.left + IW + 2;
                TWr = CW - IW - 2;
                IX = std::max(2, boxX - IW / 2);
                break;
            case blGlyphRight:
            case blGlyphRightAdjusted:
                TX = 2;
                TWr = CW - IW - 4;
                if (layout == blGlyphRightAdjusted)
                    IX = CW - IW - 2;
                else {
                    IX = std::max(0, (TWr - TW) / 2) + TW + 4;
                    if (IX > CW - IW)
                        IX = CW - IW - 2;
                }
                break;
            case blGlyphTop:
                TY = R.top + IH;
                THr = CH - IH - 2;
                IY = std::max(2, TY + std::max(0, (THr - TH) / 2) - IH - (gdiPlus ? 0 : 4));
                break;
            case blGlyphTopAdjusted:
                TY = R.top + IH;
                THr = CH - IH - 2;
                IY = std::max(2, TY - IH);
                break;
            case blGlyphBottom:
                TY = 2;
                THr = CH - IH - 2;
                IY = std::max(0, (THr - TH) / 2) + TH + (gdiPlus ? 2 : 5);
                if (IY > CH - IH)
                    IY = CH - IH - 2;
                break;
            case blGlyphBottomAdjusted:
                TY = 2;
                THr = CH - IH - 2 - (gdiPlus ? 0 : 4);
                if (gdiPlus) {
                    IY = CH / 2 + TH + 2;
                    if (IY > CH - IH)
                        IY = CH - IH - 2;
                } else {
                    IY = CH - IH - 2;
                }
                break;
        }
        if (p.WholeRectText) {
            TX = R.left;
            TY = R.top;
            TWr = R.right - R.left;
            THr = R.bottom - R.top;
        }

        if (p.ShowCaptionText) {
            if (gdiPlus) {
                TGPRectF target = BuildRectF(F(TX), F(TY), F(TWr), F(THr));
                if (hasNotes) {
                    format->SetStringFormatLineAlign(0);
                    target.Y += static_cast<float>(THr - TH - NH) / 2;
                }
                if (!caption.empty())
                    graphics->DrawAnsiString(caption, static_cast<int>(caption.size()),
                                             font.font.get(), target, format.get(), brush.get());
                else
                    graphics->DrawString(text, static_cast<int>(text.size()), font.font.get(),
                                         target, format.get(), brush.get());
                if (hasNotes) {
                    target.Y += F(TH);
                    auto notesBrush =
                        TGPSolidBrush::CreateSolidFill(ColorToGPColor(p.NotesFont->Color()));
                    graphics->DrawAnsiString(notesText, static_cast<int>(notesText.size()),
                                             notesFont.font.get(), target, format.get(),
                                             notesBrush.get());
                }
            } else {
                RECT target{TX, TY, TX + TWr, TY + THr};
                canvas->Brush()->SetStyle(bsClear);
                UINT flags = p.WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
                static const UINT kLayoutFlags[] = {DT_VCENTER,
                                                    DT_CENTER | DT_VCENTER,
                                                    DT_CENTER | DT_VCENTER,
                                                    DT_CENTER | DT_VCENTER,
                                                    DT_VCENTER,
                                                    DT_RIGHT | DT_VCENTER,
                                                    DT_CENTER,
                                                    DT_CENTER | DT_BOTTOM};
                flags |= kLayoutFlags[layout];
                if (layout == blGlyphLeftAdjusted) {
                    target.left += 2;
                    if (hasNotes) {
                        flags &= ~static_cast<UINT>(DT_VCENTER);
                        target.top = (target.bottom - target.top - TH - NH) / 2;
                    }
                }
                canvas->Font()->Assign(p.Font);
                if (!p.Enabled)
                    canvas->Font()->SetColor(0x808080);
                HDC dc = FontDC(canvas);
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
                if (p.WordWrap) {
                    RECT calc = target;
                    const int h = DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()),
                                            &calc, flags | DT_CALCRECT);
                    if (layout == blGlyphTop)
                        target.top = IY + IH + (target.bottom - (IY + IH) - h) / 2;
                    else if (layout == blGlyphBottomAdjusted)
                        target.top = target.bottom - h;
                    else if (layout != blGlyphTopAdjusted)
                        target.top = (target.bottom - target.top - h) / 2;
                }
                DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &target, flags);
                if (hasNotes) {
                    target.top += TH;
                    target.bottom = target.top + NH;
                    canvas->Font()->Assign(p.NotesFont);
                    dc = FontDC(canvas);
                    SetTextColor(dc, ColorToRGB(p.NotesFont->Color()));
                    DrawTextA(dc, notesText.c_str(), static_cast<int>(notesText.size()), &target,
                              flags);
                }
            }
        }
    } else if (p.Measure) {
        return size;
    }

    // Image, after the text.
    if (p.DropDownButton) {
        if (p.DropDownPosition == dpRight)
            CW -= 8;
        else
            CH -= 8;
    }
    const bool withCaption = !p.Caption.empty();
    const int cx = C.left + std::max(0, (CW - IW) / 2), cy = C.top + std::max(0, (CH - IH) / 2);
    const int x = withCaption ? IX : cx, y = withCaption ? IY : cy;
    if (p.DrawGlyph && glyphUsable) {
        if (hasBox) {
            p.Glyph->SetTransparent(true);
            canvas->StretchDraw(RECT{x, y, x + IW, y + IH}, p.Glyph);
        } else {
            canvas->Draw(x, y, p.Glyph);
        }
    } else if (pictureUsable) {
        if (hasBox)
            DrawPictureStretched(graphics.get(), canvas, RECT{x, y, x + IW, y + IH}, p.Picture);
        else
            canvas->Draw(x, y, p.Picture);
    } else if (p.ImageIndex != -1 && p.Images) {
        const int lx = withCaption ? IX : C.left + std::max(0, (CW - p.Images->Width()) / 2);
        const int ly = withCaption ? IY : C.top + std::max(0, (CH - p.Images->Height()) / 2);
        p.Images->Draw(canvas, lx, ly, p.ImageIndex, p.ImageEnabled);
    }

    // Drop-down part.
    if (p.DropDownButton) {
        canvas->Brush()->SetStyle(bsClear);
        if (p.HotSet && p.DropDownSplit) {
            canvas->Pen()->SetColor(p.Colors.BorderColor);
            canvas->MoveTo(D.left, D.top);
            if (p.DropDownPosition == dpBottom)
                canvas->LineTo(D.right, D.top);
            else
                canvas->LineTo(D.left, D.bottom);
        }
        const int ax = D.left + (D.right - D.left - 5) / 2;
        const int ay = (p.DropDownPosition == dpBottom || !hasCaption)
                           ? D.top + 1 + (D.bottom - D.top - 3) / 2
                           : textBottom - 8;
        DrawDropDownArrow(canvas, POINT{ax, ay}, p.Enabled ? clBlack : TColor(0x808080), clWhite,
                          p.ArrowDown);
    }
    return size;
}

// ---- key-tip window ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TShortCutHintWindow)
{
    AsColorProperty(
        c.Property("Color", &TShortCutHintWindow::Color, &TShortCutHintWindow::SetColor));
    AsColorProperty(
        c.Property("ColorTo", &TShortCutHintWindow::ColorTo, &TShortCutHintWindow::SetColorTo));
}

CLASSLIB_MESSAGE_MAP(TShortCutHintWindow)
{
    m.On(WM_ERASEBKGND, &TShortCutHintWindow::WMEraseBkgnd);
}

TShortCutHintWindow::TShortCutHintWindow(TComponent* owner) : THintWindow(owner) {}

void TShortCutHintWindow::SetColor(TColor value)
{
    color_ = value;
    Invalidate();
}

void TShortCutHintWindow::SetColorTo(TColor value)
{
    colorTo_ = value;
    Invalidate();
}

void TShortCutHintWindow::CreateParams(TCreateParams& params)
{
    THintWindow::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_BORDER);
    params.ClassStyle &= ~static_cast<UINT>(CS_DROPSHADOW);
}

void TShortCutHintWindow::Paint()
{
    TCanvas* canvas = Canvas();
    RECT r = ClientRect();
    DrawStepGradient(canvas, color_, colorTo_, 16, r, false);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(Font());
    std::string caption = Caption();
    canvas->DrawText(caption, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    canvas->Pen()->SetColor(0x808080);
    canvas->RoundRect(r.left, r.top, r.right, r.bottom, 3, 3);
}

void TShortCutHintWindow::Resize()
{
    THintWindow::Resize();
    Canvas()->Font()->Assign(Font());
    const int least = Canvas()->TextExtent("O").cx + 8;
    if (Width() < least)
        SetWidth(least);
}

void TShortCutHintWindow::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

// ---- the button -------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvCustomGlowButton)
{
    using B = TAdvCustomGlowButton;
    c.Property("AntiAlias", &B::AntiAlias, &B::SetAntiAlias).SetDefault(aaClearType);
    c.Property("AutoSize", &B::AutoSize, &B::SetAutoSize).SetDefault(false);
    c.Property("BorderStyle", &B::BorderStyle, &B::SetBorderStyle).SetDefault(bsSingle);
    c.Property("Cancel", &B::Cancel, &B::SetCancel).SetDefault(false);
    c.Property("Default", &B::Default, &B::SetDefault).SetDefault(false);
    c.Property("DisabledImages", &B::DisabledImages, &B::SetDisabledImages);
    c.Property("DisabledPicture", &B::DisabledPicture, &B::SetDisabledPicture);
    c.Property("FocusType", &B::FocusType, &B::SetFocusType).SetDefault(ftBorder);
    c.Property("HotImages", &B::HotImages, &B::SetHotImages);
    c.Property("HotPicture", &B::HotPicture, &B::SetHotPicture);
    c.Property("ImageIndex", &B::ImageIndex, &B::SetImageIndex).SetDefault(-1);
    c.Property("Images", &B::Images, &B::SetImages);
    c.Property("InitRepeatPause", &B::InitRepeatPause, &B::SetInitRepeatPause).SetDefault(400);
    c.Property("MarginHorz", &B::MarginHorz, &B::SetMarginHorz).SetDefault(1);
    c.Property("MarginVert", &B::MarginVert, &B::SetMarginVert).SetDefault(1);
    c.Property("ModalResult", &B::ModalResult, &B::SetModalResult).SetDefault(0);
    c.Property("Notes", &B::Notes, &B::SetNotes);
    c.Property("NotesFont", &B::NotesFont, &B::SetNotesFont);
    c.Property("OfficeHint", &B::OfficeHint, &B::SetOfficeHint);
    c.Property("Picture", &B::Picture, &B::SetPicture);
    c.Property("Position", &B::Position, &B::SetPosition).SetDefault(bpStandalone);
    c.Property("RepeatClick", &B::RepeatClick, &B::SetRepeatClick).SetDefault(false);
    c.Property("RepeatPause", &B::RepeatPause, &B::SetRepeatPause).SetDefault(100);
    c.Property("Rounded", &B::Rounded, &B::SetRounded).SetDefault(true);
    c.Property("ShortCutHint", &B::ShortCutHint, &B::SetShortCutHint);
    c.Property("ShortCutHintPos", &B::ShortCutHintPos, &B::SetShortCutHintPos).SetDefault(shpTop);
    c.Property("ShowCaption", &B::ShowCaption, &B::SetShowCaption).SetDefault(true);
    c.Property("ShowDisabled", &B::ShowDisabled, &B::SetShowDisabled).SetDefault(true);
    c.Property("Spacing", &B::Spacing, &B::SetSpacing).SetDefault(2);
    c.Property("Transparent", &B::Transparent, &B::SetTransparent).SetDefault(false);
    c.Property("Trimming", &B::Trimming, &B::SetTrimming).SetDefault(StringTrimmingNone);
    c.Property("Version", &B::Version, &B::SetVersion).Stored(false);
    c.Property("WordWrap", &B::WordWrap, &B::SetWordWrap).SetDefault(true);
    c.Property("TabStop", &B::TabStop, &B::SetTabStop).SetDefault(false);
    c.Property("OnDrawButton", &B::OnDrawButton);
    c.Property("OnEnter", &B::OnEnter);
    c.Property("OnExit", &B::OnExit);
    c.Property("OnKeyDown", &B::OnKeyDown);
    c.Property("OnKeyUp", &B::OnKeyUp);
    c.Property("OnKeyPress", &B::OnKeyPress);
}

CLASSLIB_PUBLISH(TAdvGlowButton)
{
    using B = TAdvGlowButton;
    c.Property("AllowAllUp", &B::AllowAllUp, &B::SetAllowAllUp).SetDefault(false);
    c.Property("Appearance", &B::Appearance, &B::SetAppearance);
    c.Property("Down", &B::Down, &B::SetDown).SetDefault(false);
    c.Property("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).SetDefault(0);
    c.Property("Layout", &B::Layout, &B::SetLayout).SetDefault(blGlyphLeft);
    c.Property("Style", &B::Style, &B::SetStyle).SetDefault(bsButton);
    c.Property("MaxButtonSizeState", &B::MaxButtonSizeState, &B::SetMaxButtonSizeState)
        .SetDefault(bsLarge);
    c.Property("MinButtonSizeState", &B::MinButtonSizeState, &B::SetMinButtonSizeState)
        .SetDefault(bsGlyph);
    c.Property("DropDownButton", &B::DropDownButton, &B::SetDropDownButton).SetDefault(false);
    c.Property("DropDownPosition", &B::DropDownPosition, &B::SetDropDownPosition)
        .SetDefault(dpRight);
    c.Property("DropDownDirection", &B::DropDownDirection, &B::SetDropDownDirection)
        .SetDefault(ddDown);
    c.Property("DropDownSplit", &B::DropDownSplit, &B::SetDropDownSplit).SetDefault(true);
    c.Property("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu);
    c.Property("OnDropDown", &B::OnDropDown);
}

CLASSLIB_MESSAGE_MAP(TAdvCustomGlowButton)
{
    using B = TAdvCustomGlowButton;
    m.On(WM_PAINT, &B::WMPaint);
    m.On(WM_ERASEBKGND, &B::WMEraseBkgnd);
    m.On(WM_SETTEXT, &B::WMSetText);
    m.On(WM_GETDLGCODE, &B::WMGetDlgCode);
    m.On(WM_LBUTTONDOWN, &B::WMLButtonDown);
    m.On(WM_LBUTTONUP, &B::WMLButtonUp);
    m.On(WM_LBUTTONDBLCLK, &B::WMLButtonDblClk);
    m.On(WM_KEYDOWN, &B::WMKeyDown);
    m.On(WM_CHAR, &B::WMChar);
    m.On(CN_COMMAND, &B::CNCommand);
    m.On(CM_DIALOGKEY, &B::CMDialogKey);
    m.On(CM_DIALOGCHAR, &B::CMDialogChar);
    m.On(CM_FOCUSCHANGED, &B::CMFocusChanged);
    m.On(CM_ENABLEDCHANGED, &B::CMEnabledChanged);
    m.On(CM_TEXTCHANGED, &B::CMTextChanged);
    m.On(CM_MOUSEENTER, &B::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &B::CMMouseLeave);
    m.On(CM_BUTTONPRESSED, &B::CMButtonPressed);
}

TAdvCustomGlowButton::TAdvCustomGlowButton(TComponent* owner)
    : TCustomControl(owner),
      picture_(std::make_unique<TGDIPPicture>()),
      disabledPicture_(std::make_unique<TGDIPPicture>()),
      hotPicture_(std::make_unique<TGDIPPicture>()),
      notes_(std::make_unique<TStringList>()),
      notesFont_(std::make_unique<TFont>()),
      officeHint_(std::make_unique<TAdvHintInfo>()),
      appearance_(std::make_unique<TGlowButtonAppearance>())
{
    controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetDoubleBuffered(true);
    SetParentFont(true);
    SetBounds(Left(), Top(), 100, 41);
    notesFont_->SetName("Tahoma");
    notesFont_->SetSize(8);
    picture_->OnChange = TNotifyEvent(this, &TAdvCustomGlowButton::PictureChanged);
    disabledPicture_->OnChange = TNotifyEvent(this, &TAdvCustomGlowButton::PictureChanged);
    appearance_->OnChange = TNotifyEvent(this, &TAdvCustomGlowButton::AppearanceChanged);
    savedLayout_ = layout_;
    savedDropDownPosition_ = dropDownPosition_;
}

TAdvCustomGlowButton::~TAdvCustomGlowButton()
{
    delete shortCutHintWindow_;
    shortCutHintWindow_ = nullptr;
}

bool TAdvCustomGlowButton::Designing() const
{
    return ComponentState().Contains(csDesigning);
}

std::string TAdvCustomGlowButton::Version() const
{
    const unsigned v = static_cast<unsigned>(GetVersionNumber());
    return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
           std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

void TAdvCustomGlowButton::Assign(TPersistent* source)
{
    auto* s = dynamic_cast<TAdvCustomGlowButton*>(source);
    if (!s)
        return;
    SetAlign(s->Align());
    SetAction(s->Action());
    SetAnchors(s->Anchors());
    SetAntiAlias(s->AntiAlias());
    SetAutoSize(s->AutoSize());
    SetBorderStyle(s->BorderStyle());
    SetCancel(s->Cancel());
    SetCaption(s->Caption());
    SetConstraints(s->Constraints());
    SetDefault(s->Default());
    SetFont(s->Font());
    SetImageIndex(s->ImageIndex());
    if (images_ && s->Images())
        images_->Assign(s->Images());
    if (disabledImages_ && s->DisabledImages())
        disabledImages_->Assign(s->DisabledImages());
    SetDisabledPicture(s->DisabledPicture());
    SetDragMode(s->DragMode());
    SetDragKind(s->DragKind());
    SetFocusType(s->FocusType());
    if (hotImages_ && s->HotImages())
        hotImages_->Assign(s->HotImages());
    SetHotPicture(s->HotPicture());
    SetMarginVert(s->MarginVert());
    SetMarginHorz(s->MarginHorz());
    SetModalResult(s->ModalResult());
    SetNotes(s->Notes());
    SetNotesFont(s->NotesFont());
    SetOfficeHint(s->OfficeHint());
    SetParentFont(s->ParentFont());
    SetPicture(s->Picture());
    SetPopupMenu(s->PopupMenu());
    SetPosition(s->Position());
    SetInitRepeatPause(s->InitRepeatPause());
    SetRepeatPause(s->RepeatPause());
    SetRepeatClick(s->RepeatClick());
    SetRounded(s->Rounded());
    SetShortCutHint(s->ShortCutHint());
    SetShortCutHintPos(s->ShortCutHintPos());
    SetShowCaption(s->ShowCaption());
    SetShowDisabled(s->ShowDisabled());
    SetSpacing(s->Spacing());
    SetTransparent(s->Transparent());
    SetTrimming(s->Trimming());
    SetWordWrap(s->WordWrap());
    SetShowHint(s->ShowHint());
    SetParentShowHint(s->ParentShowHint());
    SetTabOrder(s->TabOrder());
    SetTabStop(s->TabStop());
    SetVisible(s->Visible());
}

// ---- property setters ----

void TAdvCustomGlowButton::RefreshLook()
{
    if (AutoSize()) {
        measureAlways_ = true;
        Repaint();
        measureAlways_ = false;
    } else {
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetAntiAlias(TAntiAlias value)
{
    if (value != antiAlias_) {
        antiAlias_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetAutoSize(bool value)
{
    if (value != AutoSize()) {
        TCustomControl::SetAutoSize(value);
        RefreshLook();
    }
}

void TAdvCustomGlowButton::SetBorderStyle(TBorderStyle value)
{
    borderStyle_ = value;
    Invalidate();
}

namespace {

// Stores a referenced component and keeps the owner told when it goes.
template <class T>
void Relink(TComponent* owner, T*& field, T* value)
{
    if (field == value)
        return;
    if (field)
        field->RemoveFreeNotification(owner);
    field = value;
    if (value)
        value->FreeNotification(owner);
}

} // namespace

void TAdvCustomGlowButton::SetDisabledImages(TCustomImageList* value)
{
    Relink(this, disabledImages_, value);
    Invalidate();
}

void TAdvCustomGlowButton::SetHotImages(TCustomImageList* value)
{
    Relink(this, hotImages_, value);
}

void TAdvCustomGlowButton::SetImages(TCustomImageList* value)
{
    Relink(this, images_, value);
    Invalidate();
}

void TAdvCustomGlowButton::SetDropDownMenu(TPopupMenu* value)
{
    Relink(this, dropDownMenu_, value);
}

void TAdvCustomGlowButton::SetDisabledPicture(TGDIPPicture* value)
{
    disabledPicture_->Assign(value);
    Invalidate();
}

void TAdvCustomGlowButton::SetImageIndex(int value)
{
    imageIndex_ = value;
    RefreshLook();
}

void TAdvCustomGlowButton::SetMarginHorz(int value)
{
    if (value != marginHorz_) {
        marginHorz_ = value;
        RefreshLook();
    }
}

void TAdvCustomGlowButton::SetMarginVert(int value)
{
    if (value != marginVert_) {
        marginVert_ = value;
        RefreshLook();
    }
}

void TAdvCustomGlowButton::SetNotes(TStrings* value)
{
    notes_->Assign(value);
    Invalidate();
}

void TAdvCustomGlowButton::SetNotesFont(TFont* value)
{
    notesFont_->Assign(value);
    Invalidate();
}

void TAdvCustomGlowButton::SetPosition(TButtonPosition value)
{
    position_ = value;
    Invalidate();
}

void TAdvCustomGlowButton::SetRounded(bool value)
{
    if (value != rounded_) {
        rounded_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetShowCaption(bool value)
{
    showCaption_ = value;
    RefreshLook();
    Invalidate();
}

void TAdvCustomGlowButton::SetShowDisabled(bool value)
{
    showDisabled_ = value;
    Invalidate();
}

void TAdvCustomGlowButton::SetSpacing(int value)
{
    if (value != spacing_) {
        spacing_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetTrimming(StringTrimming value)
{
    if (value != trimming_) {
        trimming_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetWordWrap(bool value)
{
    if (value != wordWrap_) {
        wordWrap_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetAllowAllUp(bool value)
{
    if (value != allowAllUp_) {
        allowAllUp_ = value;
        BroadcastGroup();
    }
}

void TAdvCustomGlowButton::SetAppearance(TGlowButtonAppearance* value)
{
    appearance_->Assign(value);
    RecolourShortCutHint();
}

void TAdvCustomGlowButton::SetGroupIndex(int value)
{
    if (value != groupIndex_) {
        groupIndex_ = value;
        BroadcastGroup();
    }
}

void TAdvCustomGlowButton::SetLayout(TButtonLayout value)
{
    layout_ = value;
    Invalidate();
}

void TAdvCustomGlowButton::SetDropDownButton(bool value)
{
    if (value != dropDownButton_) {
        dropDownButton_ = value;
        if (AutoSize())
            RefreshLook();
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetDropDownPosition(TDropDownPosition value)
{
    if (value != dropDownPosition_) {
        dropDownPosition_ = value;
        if (dropDownButton_ && AutoSize())
            RefreshLook();
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetDropDownDirection(TDropDownDirection value)
{
    if (value != dropDownDirection_) {
        dropDownDirection_ = value;
        Invalidate();
    }
}

void TAdvCustomGlowButton::SetWideCaption(const std::wstring& value)
{
    if (value != wideCaption_) {
        wideCaption_ = value;
        RefreshLook();
    }
}

void TAdvCustomGlowButton::SetDown(bool value)
{
    if (ComponentState().Contains(csLoading))
        downWhileLoading_ = value;
    if (style_ == bsButton && groupIndex_ == 0)
        value = false;
    if (style_ == bsCheck) {
        down_ = value;
        paintState_ = value ? 2 : 0;
        Repaint();
        return;
    }
    if (value == down_ || (down_ && !allowAllUp_))
        return;
    down_ = value;
    if (value) {
        if (paintState_ == 0)
            Invalidate();
        paintState_ = 4;
    } else {
        paintState_ = 0;
        Repaint();
    }
    if (value && !CheckedLinked())
        BroadcastGroup();
}

void TAdvCustomGlowButton::BroadcastGroup()
{
    if (groupIndex_ == 0 || !Parent())
        return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this),
               0};
    Parent()->Broadcast(m);
}

void TAdvCustomGlowButton::CMButtonPressed(TMessage& m)
{
    auto* sender = reinterpret_cast<TObject*>(m.LParam);
    auto* other = dynamic_cast<TAdvCustomGlowButton*>(sender);
    if (static_cast<int>(m.WParam) == groupIndex_ && other && other != this && other->Down() &&
        down_) {
        down_ = false;
        paintState_ = 0;
        Invalidate();
    }
}

bool TAdvCustomGlowButton::CheckedLinked() const
{
    auto* action = dynamic_cast<TCustomAction*>(Action());
    return action && action->Checked() == down_;
}

bool TAdvCustomGlowButton::GroupIndexLinked() const
{
    auto* action = dynamic_cast<TCustomAction*>(Action());
    return action && action->GroupIndex() == groupIndex_;
}

void TAdvCustomGlowButton::ActionChange(TBasicAction* sender, bool checkDefaults)
{
    TCustomControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (checkDefaults || groupIndex_ == 0)
        SetGroupIndex(action->GroupIndex());
    auto* list = dynamic_cast<TCustomActionList*>(action->Owner());
    if (list && list->Images())
        SetImageIndex(action->ImageIndex());
}

void TAdvCustomGlowButton::SetMaxButtonSizeState(TButtonSizeState value)
{
    if (value != maxSizeState_) {
        maxSizeState_ = value;
        SetSizeState(value);
    }
}

void TAdvCustomGlowButton::SetMinButtonSizeState(TButtonSizeState value)
{
    if (value != minSizeState_) {
        minSizeState_ = value;
        if (sizeState_ < value)
            SetSizeState(value);
    }
}

void TAdvCustomGlowButton::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == images_)
        images_ = nullptr;
    if (component == disabledImages_)
        disabledImages_ = nullptr;
    if (component == hotImages_)
        hotImages_ = nullptr;
    if (component == dropDownMenu_)
        dropDownMenu_ = nullptr;
}

void TAdvCustomGlowButton::Loaded()
{
    TCustomControl::Loaded();
    if (downWhileLoading_ != down_)
        SetDown(downWhileLoading_);
}

void TAdvCustomGlowButton::CreateWnd()
{
    TCustomControl::CreateWnd();
    active_ = default_;
}

void TAdvCustomGlowButton::PictureChanged(TObject*)
{
    RefreshLook();
}

void TAdvCustomGlowButton::AppearanceChanged(TObject*)
{
    Invalidate();
    RecolourShortCutHint();
}

void TAdvCustomGlowButton::RecolourShortCutHint()
{
    if (!shortCutHintWindow_)
        return;
    shortCutHintWindow_->SetColor(clWhite);
    shortCutHintWindow_->SetColorTo(appearance_->Color());
}

void TAdvCustomGlowButton::ApplyStyle(uint8_t styleNumber)
{
    appearance_->ApplyStylePreset(styleNumber);
    Invalidate();
    RecolourShortCutHint();
}

// ---- clicks ----

void TAdvCustomGlowButton::Click()
{
    if (TCustomForm* form = GetParentForm())
        form->SetModalResult(modalResult_);
    if (OnInternalClick)
        OnInternalClick(this);
    TCustomControl::Click();
}

void TAdvCustomGlowButton::PerformKeyClick()
{
    const bool menuAction =
        (!dropDownButton_ && IsMenuButton()) ||
        (dropDownButton_ && style_ != bsCheck && groupIndex_ <= 0 && !dropDownSplit_);
    if (menuAction) {
        if (dropDownMenu_)
            DropDown();
        else
            Click();
        return;
    }
    if (style_ == bsCheck)
        SetDown(!down_);
    if (!down_) {
        paintState_ = 2;
        Invalidate();
    }
    if (style_ == bsCheck) {
        paintState_ = 2;
        Repaint();
    }
    Click();
}

// ---- fades and timers ----

void TAdvCustomGlowButton::StartFadeTimer()
{
    if (fadeTimer_)
        return;
    fadeTimer_ = new TTimer(this);
    fadeTimer_->SetInterval(GlowFadeInterval);
    fadeTimer_->SetOnTimer(TNotifyEvent(this, &TAdvCustomGlowButton::FadeTimerTick));
    fadeTimer_->SetEnabled(true);
}

void TAdvCustomGlowButton::FadeTimerTick(TObject*)
{
    int* percent = fadeKind_ == 0 ? &hotPercent_ : fadeKind_ == 1 ? &pressPercent_ : nullptr;
    if (percent)
        *percent += fadeStep_;
    const int value = percent ? *percent : 0;
    if ((value > 100 && fadeStep_ > 0) || (value < 0 && fadeStep_ < 0) || !percent) {
        if (percent)
            *percent = std::clamp(value, 0, 100);
        if (fadeKind_ == 1 && fadeStep_ < 0) {
            pressed_ = false;
            leftWhilePressed_ = false;
        }
        fadeKind_ = 2;
        TTimer* timer = fadeTimer_;
        fadeTimer_ = nullptr;
        timer->Free(); // freeing a timer inside its own handler is allowed
        return;
    }
    Invalidate();
}

void TAdvCustomGlowButton::RepeatTimerTick(TObject*)
{
    repeatTimer_->SetInterval(static_cast<unsigned>(repeatPause_));
    if (pressed_ && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            repeatTimer_->SetEnabled(false);
            throw;
        }
    }
}

// ---- mouse ----

void TAdvCustomGlowButton::CMMouseEnter(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    if (m.LParam != 0 || Designing() || mouseInControl_)
        return;
    hotLook_ = true;
    if (leftWhilePressed_)
        pressed_ = true;
    StartFadeTimer();
    if (!pressed_ && fadeKind_ != 1) {
        fadeStep_ = 20;
        fadeKind_ = 0;
    }
    Invalidate();
    hot_ = true;
    mouseInControl_ = true;
}

void TAdvCustomGlowButton::CMMouseLeave(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    if (m.LParam != 0 || Designing() || !mouseInControl_)
        return;
    mouseInControl_ = hot_ = hotLook_ = overDropPart_ = false;
    if (pressed_ && mouseDownInside_) {
        pressed_ = false;
        fadeStep_ = -20;
        fadeKind_ = 0;
        Invalidate();
        leftWhilePressed_ = true;
    } else {
        pressed_ = false;
        hotPercent_ = 100;
        fadeStep_ = -20;
        fadeKind_ = 0;
        Invalidate();
    }
    StartFadeTimer();
}

void TAdvCustomGlowButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (repeatClick_) {
        if (!repeatTimer_)
            repeatTimer_ = new TTimer(this);
        repeatTimer_->SetOnTimer(TNotifyEvent(this, &TAdvCustomGlowButton::RepeatTimerTick));
        repeatTimer_->SetInterval(static_cast<unsigned>(initRepeatPause_));
        repeatTimer_->SetEnabled(true);
    }
    pressed_ = true;
    mouseDownInside_ = true;
    if (TabStop() && CanFocus())
        SetFocus();
    StartFadeTimer();
    fadeStep_ = 20;
    fadeKind_ = 1;
    const bool onDropPart = (dropDownPosition_ == dpRight && x > Width() - 13) ||
                            (dropDownPosition_ == dpBottom && y > Height() - 13);
    const bool dropDownBranch =
        (!dropDownButton_ && IsMenuButton()) || (dropDownButton_ && onDropPart && dropDownSplit_) ||
        (dropDownButton_ && !dropDownSplit_ && style_ != bsCheck && groupIndex_ <= 0);
    if (dropDownBranch) {
        hot_ = false;
        if (OnDropDown)
            OnDropDown(this);
        if (dropDownMenu_) {
            pressed_ = false;
            hotLook_ = false;
            dropDownOpen_ = true;
            mouseInControl_ = true;
            Repaint();
            PopupDropDownMenu();
            dropDownOpen_ = false;
            POINT cursor{};
            GetCursorPos(&cursor);
            const POINT local = ScreenToClient(cursor);
            const RECT client = ClientRect();
            if (!PtInRect(&client, local))
                mouseInControl_ = hot_ = hotLook_ = overDropPart_ = false;
            Repaint();
        }
        Invalidate();
        return;
    }
    if (style_ == bsCheck)
        SetDown(!down_);
    if (!down_) {
        paintState_ = 2;
        Invalidate();
    }
    if (style_ == bsCheck) {
        paintState_ = 2;
        Repaint();
    }
    pressArmed_ = true;
}

void TAdvCustomGlowButton::MouseMove(TShiftState shift, int x, int y)
{
    if (!Designing()) {
        const bool over = dropDownButton_ && ((dropDownPosition_ == dpRight && x > Width() - 12) ||
                                              (dropDownPosition_ == dpBottom && y > Height() - 12));
        if (over != overDropPart_) {
            overDropPart_ = over;
            Invalidate();
        }
        if (pressArmed_) {
            int wanted = down_ ? 4 : 0;
            if (x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight())
                wanted = down_ ? 4 : 2;
            if (style_ == bsCheck && down_)
                wanted = 2;
            if (wanted != paintState_) {
                paintState_ = wanted;
                Invalidate();
            }
        } else if (!hot_) {
            TrackingUpdate();
        }
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TAdvCustomGlowButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

void TAdvCustomGlowButton::TrackingUpdate()
{
    if (!Enabled() || !Parent())
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    TControl* under = nullptr;
    for (TWinControl* w = TWinControl::FindControl(WindowFromPoint(cursor)); w && !under;
         w = nullptr) {
        const POINT local = w->ScreenToClient(cursor);
        under = w->ControlAtPos(local, true);
        if (!under)
            under = w;
    }
    const bool flag = under != this;
    if (flag != hot_) {
        hot_ = flag;
        Perform(flag ? CM_MOUSELEAVE : CM_MOUSEENTER);
    }
}

void TAdvCustomGlowButton::WMLButtonDown(TMessage& m)
{
    buttonDownMark_ = true;
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

// A double click's second press arrives as WM_LBUTTONDBLCLK: it counts as a press on this
// button, so its release clicks again.
void TAdvCustomGlowButton::WMLButtonDblClk(TMessage& m)
{
    buttonDownMark_ = true;
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

void TAdvCustomGlowButton::WMLButtonUp(TMessage& m)
{
    fadeStep_ = -20;
    fadeKind_ = 1;
    mouseDownInside_ = false;
    leftWhilePressed_ = false;
    StartFadeTimer();
    bool handled = false;
    const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if ((dropDownButton_ || !IsMenuButton()) && pressArmed_) {
        pressArmed_ = false;
        const bool inside = p.x >= 0 && p.x < ClientWidth() && p.y >= 0 && p.y < ClientHeight();
        bool stop = false;
        if (groupIndex_ == 0) {
            paintState_ = 0;
            hot_ = false;
            if (style_ == bsCheck && Action()) {
                Inherited(TAdvCustomGlowButton::StaticClass(), m);
                handled = true;
                auto* action = dynamic_cast<TCustomAction*>(Action());
                stop = CheckedLinked() || GroupIndexLinked() || (action && action->AutoCheck());
            }
            if (!stop) {
                if (style_ == bsCheck && !inside && down_)
                    SetDown(false);
                if (style_ == bsCheck)
                    Repaint();
                if (inside && paintState_ != 2 && paintState_ != 4)
                    Invalidate();
            }
        } else {
            if (Action() && (CheckedLinked() || GroupIndexLinked())) {
                Inherited(TAdvCustomGlowButton::StaticClass(), m);
                return;
            }
            if (inside) {
                SetDown(!down_);
                if (down_)
                    Repaint();
            } else {
                if (down_)
                    paintState_ = 4;
                Repaint();
            }
        }
        if (stop)
            return;
        TrackingUpdate();
    }
    // Only a press on this button (WM_LBUTTONDOWN or WM_LBUTTONDBLCLK) makes the release a
    // click: a release whose press began on another window (a double click in a file dialog
    // above the button) must not start anything.
    if (buttonDownMark_)
        SetControlState(ControlState() + TControlState{csClicked});
    buttonDownMark_ = false;
    if (!handled)
        Inherited(TAdvCustomGlowButton::StaticClass(), m);
    if (style_ == bsCheck || groupIndex_ > 0)
        Repaint();
    Invalidate();
}

void TAdvCustomGlowButton::CNCommand(TMessage& m)
{
    if (HIWORD(m.WParam) == 0)
        Click();
}

// ---- keyboard ----

// Bit 30 of a key message's lParam marks an auto-repeat of a held key; a held key clicks once.
void TAdvCustomGlowButton::WMKeyDown(TMessage& m)
{
    keyRepeat_ = (m.LParam & (1 << 30)) != 0;
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    keyRepeat_ = false;
}

void TAdvCustomGlowButton::WMChar(TMessage& m)
{
    keyRepeat_ = (m.LParam & (1 << 30)) != 0;
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    keyRepeat_ = false;
}

void TAdvCustomGlowButton::KeyDown(WORD& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    if (!keyRepeat_) {
        if (key == VK_RETURN || key == VK_SPACE) {
            pressed_ = true;
            paintState_ = 2;
            Repaint();
        }
        if (key == VK_F4)
            DropDown();
    }
    if (OnInternalKeyDown)
        OnInternalKeyDown(this, key, shift);
}

void TAdvCustomGlowButton::KeyPress(char& key)
{
    TCustomControl::KeyPress(key);
    if (keyRepeat_ || (key != ' ' && key != '\r'))
        return;
    if (TCustomForm* form = GetParentForm())
        form->SetModalResult(modalResult_);
    if (OnClick)
        OnClick(this);
}

void TAdvCustomGlowButton::KeyUp(WORD& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    pressed_ = false;
    paintState_ = 0;
    Repaint();
}

void TAdvCustomGlowButton::WMGetDlgCode(TMessage& m)
{
    if (OnInternalKeyDown)
        m.Result = DLGC_WANTARROWS;
    else
        Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

void TAdvCustomGlowButton::CMDialogKey(TMessage& m)
{
    if (((m.WParam == VK_RETURN && active_) || (m.WParam == VK_ESCAPE && cancel_)) &&
        KeyDataToShiftState(m.LParam).Empty() && CanFocus()) {
        PerformKeyClick();
        m.Result = 1;
        return;
    }
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

void TAdvCustomGlowButton::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        if (IsMenuButton() || dropDownMenu_)
            DropDown();
        else
            Click();
        m.Result = 1;
        return;
    }
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

void TAdvCustomGlowButton::CMFocusChanged(TMessage& m)
{
    auto* focused = reinterpret_cast<TObject*>(m.LParam);
    if (dynamic_cast<TAdvCustomGlowButton*>(focused))
        active_ = focused == this;
    else
        active_ = default_;
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

void TAdvCustomGlowButton::DoEnter()
{
    TCustomControl::DoEnter();
    Invalidate();
}

void TAdvCustomGlowButton::DoExit()
{
    TCustomControl::DoExit();
    pressed_ = false;
    paintState_ = 0;
    Invalidate();
}

// ---- other messages ----

void TAdvCustomGlowButton::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

void TAdvCustomGlowButton::WMSetText(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    if (AutoSize())
        RefreshLook();
}

void TAdvCustomGlowButton::CMTextChanged(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    Invalidate();
}

void TAdvCustomGlowButton::CMEnabledChanged(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
    Invalidate();
}

// ---- drop-down, key tips, size states ----

void TAdvCustomGlowButton::PopupDropDownMenu()
{
    POINT corner = dropDownDirection_ == ddDown ? POINT{Left(), Top() + Height()}
                                                : POINT{Left() + Width(), Top()};
    if (Parent())
        corner = Parent()->ClientToScreen(corner);
    dropDownMenu_->Popup(corner.x, corner.y);
}

void TAdvCustomGlowButton::DropDown()
{
    if (!IsMenuButton() && !dropDownMenu_)
        return;
    if (dropDownMenu_) {
        paintState_ = 2;
        if (OnDropDown)
            OnDropDown(this);
        Invalidate();
        PopupDropDownMenu();
        paintState_ = 0;
        Repaint();
    }
    Invalidate();
}

void TAdvCustomGlowButton::ShowShortCutHint()
{
    if (!shortCutHintWindow_) {
        shortCutHintWindow_ = new TShortCutHintWindow(nullptr);
        shortCutHintWindow_->SetVisible(false);
        RecolourShortCutHint();
    }
    shortCutHintWindow_->SetCaption(shortCutHint_);
    TShortCutHintPos pos = shortCutHintPos_;
    if (OnGetShortCutHintPos)
        OnGetShortCutHintPos(this, sizeState_, pos);
    if (pos == shpAuto)
        pos = shpTop;
    const RECT wanted = shortCutHintWindow_->CalcHintRect(200, shortCutHint_);
    const int w = std::max<int>(wanted.right - wanted.left,
                                shortCutHintWindow_->Canvas()->TextExtent("O").cx + 8);
    const int h = wanted.bottom - wanted.top;
    const POINT o = ClientOrigin();
    const int X = o.x, Y = o.y, W = Width(), H = Height();
    struct Place {
        int left, top;
    };
    const Place places[] = {
        {X + 6, Y + (H - h) / 2},
        {X + (W - w) / 2, Y - h / 2},
        {X + W - w / 2, Y + (H - h) / 2},
        {X + (W - w) / 2, Y + H - h / 2},
        {X + (W - w) / 2, Y + (H - h) / 2},
        {X + (W - w) / 2, Y - h / 2},
        {X + 6, Y - h / 2},
        {X + W - w + 1, Y - h / 2},
        {X + (W - w) / 2, Y - h},
        {X + 6, Y - h},
        {X + W - w + 1, Y - h},
        {X + 6, Y + H - h / 2},
        {X + W - w + 1, Y + H - h / 2},
        {X + (W - w) / 2, Y + H},
        {X + 6, Y + H},
        {X + W - w + 1, Y + H},
        {X + (W - w) / 2, Y + H},
    };
    const Place& at = places[pos];
    shortCutHintWindow_->ActivateHint(RECT{at.left, at.top, at.left + w, at.top + h},
                                      shortCutHint_);
}

void TAdvCustomGlowButton::HideShortCutHint()
{
    if (shortCutHintWindow_ && shortCutHintWindow_->HandleAllocated())
        ShowWindow(shortCutHintWindow_->Handle(), SW_HIDE);
}

void TAdvCustomGlowButton::SetSizeState(TButtonSizeState state)
{
    if (state == sizeState_)
        return;
    if (sizeState_ == bsLarge) {
        savedLayout_ = layout_;
        savedDropDownPosition_ = dropDownPosition_;
    }
    sizeState_ = state;
    if (AutoSize()) {
        if (state == bsLarge) {
            SetLayout(savedLayout_);
            SetDropDownPosition(savedDropDownPosition_);
        } else {
            SetLayout(blGlyphLeft);
            SetDropDownPosition(dpRight);
        }
    }
    measurePending_ = true;
    Paint();
}

void TAdvCustomGlowButton::CalcButtonSize(TButtonSizeState state, SIZE& size)
{
    TFont font;
    font.Assign(Font());
    TBitmap glyph;
    glyph.SetSize(1, 1);
    PrepareGlyph(&glyph);
    TGlowFaceParams p = FaceParams(&font, &glyph);
    p.Colors = appearance_->ColorSet(TGlowButtonAppearance::skNormal);
    p.HotSet = false;
    p.Layout = layout_;
    p.DropDownPosition = dropDownPosition_;
    p.ImageBox = SIZE{};
    if (AutoSize()) {
        if (state == bsGlyph || state == bsLabel) {
            p.ImageBox = SIZE{16, 16};
            if (p.Images && imageIndex_ >= 0)
                p.Picture = nullptr;
        }
        if (state == bsGlyph) {
            p.Caption.clear();
            p.WideCaption.clear();
        }
        if (state == bsLarge) {
            p.Layout = savedLayout_;
            p.DropDownPosition = savedDropDownPosition_;
        } else {
            p.Layout = blGlyphLeft;
            p.DropDownPosition = dpRight;
        }
    }
    p.Measure = true;
    const SIZE measured = DrawGlowButtonFace(Canvas(), p);
    size.cx = measured.cx + 3 * spacing_ + 2 * marginHorz_ + 2;
    size.cy = measured.cy + 2 * spacing_ + 2 * marginVert_;
    if (dropDownButton_) {
        if (p.DropDownPosition == dpBottom)
            size.cy += 13;
        else
            size.cx += 13;
    }
}

// ---- paint cycle ----

void TAdvCustomGlowButton::WMPaint(TMessage& m)
{
    Inherited(TAdvCustomGlowButton::StaticClass(), m);
}

bool TAdvCustomGlowButton::DrawsFocusBorder()
{
    return HandleAllocated() && GetFocus() == Handle() &&
           (focusType_ == ftBorder || focusType_ == ftHotBorder);
}

void TAdvCustomGlowButton::PaintParentInto(HDC dc)
{
    PaintParentBackground(dc);
}

TGlowFaceParams TAdvCustomGlowButton::FaceParams(TFont* font, TBitmap* glyph)
{
    const TGlowButtonAppearance& a = *appearance_;
    using K = TGlowButtonAppearance;
    const bool enabled = Enabled();
    const bool checkDown = style_ == bsCheck && paintState_ == 2;
    TGlowFaceParams p;
    p.R = ClientRect();

    // Colour set.
    bool hotSet = false;
    TGlowColorSet set;
    const TGlowColorSet down = a.ColorSet(K::skDown), checked = a.ColorSet(K::skChecked),
                        hotColours = a.ColorSet(K::skHot), normal = a.ColorSet(K::skNormal),
                        disabled = a.ColorSet(K::skDisabled);
    auto blendFills = [](TGlowColorSet& s, const TGlowColorSet& x, const TGlowColorSet& y,
                         int percent) {
        s.Color = BlendColors(x.Color, y.Color, percent);
        s.ColorTo = BlendColors(x.ColorTo, y.ColorTo, percent);
        s.ColorMirror = BlendColors(x.ColorMirror, y.ColorMirror, percent);
        s.ColorMirrorTo = BlendColors(x.ColorMirrorTo, y.ColorMirrorTo, percent);
    };
    if ((paintState_ == 1 || !enabled) && showDisabled_) {
        set = disabled;
    } else if (paintState_ == 2 && style_ != bsCheck) {
        set = down;
        hotSet = true;
    } else if (paintState_ == 4 || checkDown) {
        set = checked;
        if (fadeTimer_ && (hot_ || (style_ != bsCheck && (groupIndex_ <= 0 || paintState_ == 2))))
            blendFills(set, checked, down, pressPercent_);
    } else if (hotLook_) {
        set = hotColours;
        hotSet = true;
    } else {
        set = normal;
    }

    // Fades.
    if (fadeTimer_) {
        if (!pressed_ && !transparent_ && paintState_ != 4 && !checkDown) {
            blendFills(set, hotColours, normal, hotPercent_);
            set.BorderColor = BlendColors(a.BorderColorHot(), a.BorderColor(), hotPercent_);
        } else if (style_ == bsCheck) {
            if (pressed_)
                blendFills(set, down, checked, pressPercent_);
        } else if (pressed_ && paintState_ != 4) {
            blendFills(set, down, hotColours, pressPercent_);
            set.BorderColor = BlendColors(a.BorderColorDown(), a.BorderColorHot(), pressPercent_);
        }
    }

    // Images and picture.
    if (enabled || !disabledImages_) {
        p.Images = hotLook_ && hotImages_ ? hotImages_ : images_;
        p.ImageEnabled = enabled;
    } else {
        p.Images = disabledImages_;
        p.ImageEnabled = true;
    }
    if (!enabled && !disabledPicture_->Empty())
        p.Picture = disabledPicture_.get();
    else if (hotLook_ && !hotPicture_->Empty())
        p.Picture = hotPicture_.get();
    else
        p.Picture = picture_.get();
    p.ImageIndex = imageIndex_;

    if (showCaption_) {
        p.Caption = Caption();
        p.WideCaption = wideCaption_;
    }
    p.DropHover = (hot_ || mouseDownInside_) && dropDownButton_ ? (overDropPart_ ? 2 : 1) : 0;
    if (position_ != bpStandalone && mouseDownInside_)
        set.BorderColor = a.BorderColor();
    if ((paintState_ == 1 || !enabled) && showDisabled_)
        set = disabled;

    const bool focused = HandleAllocated() && GetFocus() == handle_;
    if (focused && (focusType_ == ftHot || focusType_ == ftHotBorder) && !pressed_) {
        set = hotColours;
        hotSet = true;
    }
    p.FocusBorder = DrawsFocusBorder();
    const bool focusHot = focused && (focusType_ == ftHot || focusType_ == ftHotBorder);

    // Font.
    font->Assign(Font());
    if (!ParentFont() && a.SystemFont())
        font->SetName(IsVistaOrLater() ? "Segoe UI" : "Tahoma");

    // Action images.
    if (auto* action = dynamic_cast<TCustomAction*>(Action());
        action && action->ImageIndex() >= 0) {
        if (auto* list = dynamic_cast<TCustomActionList*>(action->Owner());
            list && list->Images()) {
            p.Images = list->Images();
            p.ImageEnabled = enabled;
            imageIndex_ = action->ImageIndex();
            p.ImageIndex = imageIndex_;
        }
    }

    if (AutoSize() && (sizeState_ == bsGlyph || sizeState_ == bsLabel)) {
        p.ImageBox = SIZE{16, 16};
        if (p.Images && imageIndex_ >= 0)
            p.Picture = nullptr;
        if (sizeState_ == bsGlyph) {
            p.Caption.clear();
            p.WideCaption.clear();
        }
    }

    p.Colors = set;
    p.ShowCaptionText = true;
    p.Font = font;
    p.Layout = layout_;
    p.DropDownButton = dropDownButton_;
    p.HotSet = hotSet;
    p.Enabled = enabled;
    p.DropDownPosition = dropDownPosition_;
    p.AntiAlias = antiAlias_;
    p.DrawGlyph = true;
    p.Glyph = glyph;
    p.NoBackground = transparent_ && !mouseInControl_ && !focusHot && paintState_ != 2;
    p.MouseInControl = mouseInControl_;
    p.Position = position_;
    p.DropDownSplit = dropDownSplit_;
    p.HasBorder = HasBorder();
    p.WholeRectText = false;
    p.WordWrap = wordWrap_;
    p.Rounded = rounded_;
    p.ArrowDown = dropDownDirection_ == ddDown;
    p.Spacing = spacing_;
    p.Trimming = trimming_;
    p.Notes = notes_.get();
    p.NotesFont = notesFont_.get();
    p.Down = down_;
    return p;
}

void TAdvCustomGlowButton::Paint()
{
    if (painting_)
        return;
    painting_ = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{painting_};

    TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    const RECT client = ClientRect();
    if (transparent_ && !mouseInControl_) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
        PaintParentInto(dc);
        RestoreDC(dc, saved);
    }

    if (!Enabled()) {
        paintState_ = 1;
        pressArmed_ = false;
    } else if (paintState_ == 1) {
        paintState_ = down_ && groupIndex_ != 0 ? 4 : 0;
    }
    if (style_ == bsCheck && down_)
        paintState_ = 2;

    TFont font;
    TBitmap glyph;
    glyph.SetSize(1, 1);
    PrepareGlyph(&glyph);
    TGlowFaceParams p = FaceParams(&font, &glyph);

    if (measureAlways_ || (measurePending_ && AutoSize())) {
        TGlowFaceParams measure = p;
        measure.Measure = true;
        const SIZE content = DrawGlowButtonFace(canvas, measure);
        if (AutoSize()) {
            int w = 3 * spacing_ + content.cx + 2 * marginHorz_ + 2;
            int h = 2 * spacing_ + content.cy + 2 * marginVert_;
            if (dropDownButton_) {
                if (dropDownPosition_ == dpBottom)
                    h += 13;
                else
                    w += 13;
            }
            if (OnGetButtonSize)
                OnGetButtonSize(this, w, h);
            if (w != Width() || h != Height())
                SetBounds(Left(), Top(), w, h);
        }
        measurePending_ = false;
        p.R = ClientRect();
    }

    DrawGlowButtonFace(canvas, p);
    DrawExtra();
    if (OnDrawButton)
        OnDrawButton(this, canvas, ClientRect(),
                     paintState_ == 2  ? gsDown
                     : mouseInControl_ ? gsHot
                                       : gsNormal);
    if (!Parent())
        return;

    // Corners: the parent shows through the pixels a rounded face leaves.
    if (!transparent_ || mouseInControl_ || paintState_ == 2 || hotLook_) {
        const RECT r = ClientRect();
        const POINT all[4] = {{r.left, r.top},
                              {r.right - 1, r.top},
                              {r.left, r.bottom - 1},
                              {r.right - 1, r.bottom - 1}};
        static const bool kCorners[4][4] = {
            {true, true, true, true},     // bpStandalone
            {true, false, true, false},   // bpLeft
            {false, false, false, false}, // bpMiddle
            {false, true, false, true},   // bpRight
        };
        dc = canvas->Handle();
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        bool any = false;
        for (int i = 0; i < 4; ++i) {
            if (!kCorners[position_][i])
                continue;
            // Clip regions are in device coordinates; the context's origins may be shifted.
            POINT corner = all[i];
            LPtoDP(dc, &corner, 1);
            HRGN pixel = CreateRectRgn(corner.x, corner.y, corner.x + 1, corner.y + 1);
            CombineRgn(region, region, pixel, RGN_OR);
            DeleteObject(pixel);
            any = true;
        }
        if (any) {
            const int saved = SaveDC(dc);
            ExtSelectClipRgn(dc, region, RGN_AND);
            PaintParentInto(dc);
            RestoreDC(dc, saved);
        }
        DeleteObject(region);
    }
}

} // namespace controls
