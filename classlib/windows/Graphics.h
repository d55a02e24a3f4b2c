#pragma once
// Colours, GDI object wrappers and the canvas.
//
// TFont, TPen and TBrush keep their attributes as data and create their GDI handle on demand;
// each owns the handle it created and releases it when an attribute changes or the object is
// freed (after OnChange has let a canvas select it out). A handle given to them is adopted.
// TCanvas selects its font, pen and brush into its device context when an operation needs
// them and follows their changes.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/Events.h"
#include "core/Object.h"
#include "core/TypeInfo.h"

namespace classlib {

// ---- Colours --------------------------------------------------------------------------------

// 0x00BBGGRR for RGB colours; 0xFF000000 plus an index for system colours; clNone (not set,
// not painted) and clDefault are special values.
using TColor = uint32_t;

constexpr TColor SystemColor(int index)
{
    return 0xFF000000u | static_cast<uint32_t>(index);
}

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// A system colour resolved to its current RGB value; any other value unchanged.
TColor ColorToRGB(TColor color);
// The name of a colour constant ("clBtnFace") and back, for form layouts; false when the
// value or name has none.
bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(const std::string& ident, TColor& color);
// The type of colour properties ("TColor"): an integer whose values the streams and the text
// conversions also read and write as colour names ("clBtnFace"). Publish a colour property
// with `AsColorProperty(c.Property("Color", ...))`.
const TTypeInfo* ColorTypeInfo();
TPropInfo& AsColorProperty(TPropInfo& prop);

// ---- GDI objects ----------------------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
CLASSLIB_ENUM(TFontStyle);
CLASSLIB_ENUM(TFontPitch);
CLASSLIB_ENUM(TPenStyle);
CLASSLIB_ENUM(TPenMode);
CLASSLIB_ENUM(TBrushStyle);

// Common part: change notification and the handle life cycle.
class TGraphicsObject : public TPersistent {
    CLASSLIB_CLASS(TGraphicsObject, TPersistent)
    ~TGraphicsObject() override;

    TNotifyEvent OnChange;
    // The GDI handle, created on first use.
    HGDIOBJ HandleObject();
    bool HandleAllocated() const { return handle_ != nullptr; }

protected:
    virtual HGDIOBJ CreateHandle() = 0;
    // Called by setters after the data changed: fires OnChange (so users select the old
    // handle out) and then releases the old handle.
    void Changed();
    // Adopts an existing handle (owned from now on) without the data being re-derived.
    void AdoptHandle(HGDIOBJ handle);

private:
    HGDIOBJ handle_ = nullptr;
};

class TFont : public TGraphicsObject {
    CLASSLIB_CLASS(TFont, TGraphicsObject)
    TFont();
    void Assign(TPersistent* source) override;

    HFONT Handle() { return static_cast<HFONT>(HandleObject()); }
    // Takes over a font handle: its attributes become this font's.
    void SetHandle(HFONT font);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Size in points; Height in pixels (negative: character height without internal leading).
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int pixels);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    uint8_t Charset() const { return charset_; }
    void SetCharset(uint8_t charset);
    // Angle of the text base line in tenths of a degree, counter-clockwise (escapement and
    // orientation of the GDI font).
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenthsOfDegree);
    // Screen resolution the Size is converted with (the screen's vertical pixels per inch).
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }

protected:
    HGDIOBJ CreateHandle() override;

private:
    std::string name_;
    int height_;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontPitch pitch_ = fpDefault;
    uint8_t charset_ = DEFAULT_CHARSET;
    int orientation_ = 0;
    int pixelsPerInch_;
};

// A pen of colour clNone draws nothing (as psClear).
class TPen : public TGraphicsObject {
    CLASSLIB_CLASS(TPen, TGraphicsObject)
    void Assign(TPersistent* source) override;

    HPEN Handle() { return static_cast<HPEN>(HandleObject()); }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    // Raster operation of lines (SetROP2); applied by the canvas.
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);

protected:
    HGDIOBJ CreateHandle() override;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

// A brush of colour clNone paints nothing (as bsClear).
class TBrush : public TGraphicsObject {
    CLASSLIB_CLASS(TBrush, TGraphicsObject)
    void Assign(TPersistent* source) override;

    HBRUSH Handle() { return static_cast<HBRUSH>(HandleObject()); }
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);

protected:
    HGDIOBJ CreateHandle() override;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// ---- Canvas ---------------------------------------------------------------------------------

class TGraphic;
class TBitmap;

using TCopyMode = DWORD; // a ternary raster operation: SRCCOPY, SRCAND, ...
constexpr TCopyMode cmSrcCopy = SRCCOPY;

struct TPoint {
    int X = 0;
    int Y = 0;
};

// Text layout of TextRect: each element one DT_* flag of DrawText.
enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfModifyString,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak,
    tfHidePrefix,
    tfNoFullWidthCharBreak,
    tfPrefixOnly,
    tfTabStop,
    tfWordEllipsis
};
CLASSLIB_ENUM(TTextFormats);
using TTextFormat = TSet<TTextFormats>;
// The DrawText flags of a text format.
UINT TextFormatFlags(TTextFormat format);

class TCanvas : public TPersistent {
    CLASSLIB_CLASS(TCanvas, TPersistent)
    TCanvas();
    ~TCanvas() override;

    // The device context with the canvas's font, pen and brush selected into it (text colour,
    // background colour and mode set from them), ready for direct GDI calls; a derived canvas
    // creates one on demand in CreateHandle (a control's or a bitmap's canvas), the plain
    // canvas only draws on a context given to SetHandle. Raises EInvalidOperation "Canvas
    // does not allow drawing" without one. Setting the context the canvas already has keeps
    // its objects selected.
    HDC Handle();
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TFont* Font() { return font_; }
    TPen* Pen() { return pen_; }
    TBrush* Brush() { return brush_; }
    void SetFont(TFont* font) { font_->Assign(font); }
    void SetPen(TPen* pen) { pen_->Assign(pen); }
    void SetBrush(TBrush* brush) { brush_->Assign(brush); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode mode) { copyMode_ = mode; }
    TPoint PenPos();
    void SetPenPos(TPoint position) { MoveTo(position.X, position.Y); }

    // Serialises drawing on this canvas between threads.
    void Lock();
    bool TryLock();
    void Unlock();
    int LockCount() const { return lockCount_; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void DrawFocusRect(const RECT& rect);

    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to `rect`; the background is filled unless the brush is clear.
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    // Text laid out in `rect` by `format` (DrawText); with tfCalcRect only measured: `rect`
    // grows or shrinks to the text. With tfModifyString an ellipsis shortens `text` too.
    void TextRect(RECT& rect, std::string& text, TTextFormat format);
    // DrawText with DT_* flags on this canvas's font and brush; with DT_CALCRECT `rect`
    // receives the text's extent and nothing is drawn. Returns the text's height.
    int DrawText(const std::string& text, RECT& rect, UINT flags);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const RECT& rect, TGraphic* graphic);
    // Copies `source` of another canvas to `dest` with CopyMode.
    void CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source);
    // Copies `source` of `bitmap` to `dest`, painting the pixels of colour `color` with
    // this canvas's brush instead.
    void BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color);

    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);
    RECT ClipRect();
    // The clip region: a copy the caller frees, or null when drawing is not clipped.
    HRGN ClipRegion();
    // Selects a copy of `region` as clip region (null removes clipping); the caller keeps
    // `region`. Saving ClipRegion() first and selecting it again restores the previous clip.
    void SetClipRegion(HRGN region);
    // Narrows the current clip to `rect`.
    void IntersectClip(const RECT& rect);

    // Selects the font, pen and brush out again (before the context is released).
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle() {}
    void Changing();
    void Changed();

private:
    enum StateBit : unsigned { HandleValid = 1, FontValid = 2, PenValid = 4, BrushValid = 8 };
    void RequireState(unsigned state);
    int DrawTextIn(std::string& text, RECT& rect, UINT flags);
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void DeselectHandles();
    void FontChanged(TObject* sender);
    void PenChanged(TObject* sender);
    void BrushChanged(TObject* sender);

    HDC dc_ = nullptr;
    unsigned state_ = 0;
    TFont* font_;
    TPen* pen_;
    TBrush* brush_;
    TCopyMode copyMode_ = cmSrcCopy;
    CRITICAL_SECTION lock_;
    int lockCount_ = 0;
    HGDIOBJ stockFont_ = nullptr, stockPen_ = nullptr, stockBrush_ = nullptr;
};

} // namespace classlib
