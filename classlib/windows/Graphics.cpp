#include "windows/Graphics.h"

#include "windows/Images.h"

#include <cctype>
#include <utility>

namespace classlib {

// ---- Colours --------------------------------------------------------------------------------

TColor ColorToRGB(TColor color)
{
    if ((color & 0xFF000000u) == 0xFF000000u)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color;
}

namespace {

struct ColorName {
    TColor color;
    const char* name;
};

const ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

bool SameTextAscii(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

int ScreenPixelsPerInch()
{
    HDC screen = GetDC(nullptr);
    const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return ppi > 0 ? ppi : 96;
}

} // namespace

bool ColorToIdent(TColor color, std::string& ident)
{
    for (const auto& entry : kColorNames) {
        if (entry.color == color) {
            ident = entry.name;
            return true;
        }
    }
    return false;
}

bool IdentToColor(const std::string& ident, TColor& color)
{
    for (const auto& entry : kColorNames) {
        if (SameTextAscii(ident, entry.name)) {
            color = entry.color;
            return true;
        }
    }
    return false;
}

// ---- Published classes ----------------------------------------------------------------------

CLASSLIB_DEFINE_ENUM(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
CLASSLIB_DEFINE_ENUM(TFontPitch, "fpDefault", "fpVariable", "fpFixed")
CLASSLIB_DEFINE_ENUM(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                     "psClear", "psInsideFrame")
CLASSLIB_DEFINE_ENUM(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                     "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                     "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor")
CLASSLIB_DEFINE_ENUM(TTextFormats, "tfBottom", "tfCalcRect", "tfCenter", "tfEditControl",
                     "tfEndEllipsis", "tfPathEllipsis", "tfExpandTabs", "tfExternalLeading",
                     "tfLeft", "tfModifyString", "tfNoClip", "tfNoPrefix", "tfRight",
                     "tfRtlReading", "tfSingleLine", "tfTop", "tfVerticalCenter", "tfWordBreak",
                     "tfHidePrefix", "tfNoFullWidthCharBreak", "tfPrefixOnly", "tfTabStop",
                     "tfWordEllipsis")
CLASSLIB_DEFINE_ENUM(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                     "bsBDiagonal", "bsCross", "bsDiagCross")

const TTypeInfo* ColorTypeInfo()
{
    // System colours (0xFF0000xx) read back as negative 32-bit numbers; both are accepted.
    static const TTypeInfo info = [] {
        TTypeInfo t = MakeIntegerInfo("TColor", INT32_MIN, UINT32_MAX);
        return t;
    }();
    static const bool registered = [] {
        RegisterIntegerConsts(
            &info,
            [](std::string_view ident, int64_t& value) {
                TColor color;
                if (!IdentToColor(std::string(ident), color))
                    return false;
                value = static_cast<int32_t>(color);
                return true;
            },
            [](int64_t value, std::string& ident) {
                return ColorToIdent(static_cast<TColor>(value), ident);
            });
        return true;
    }();
    (void)registered;
    return &info;
}

TPropInfo& AsColorProperty(TPropInfo& prop)
{
    prop.PropType = ColorTypeInfo();
    return prop;
}

CLASSLIB_PUBLISH(TGraphicsObject) {}

CLASSLIB_PUBLISH(TFont)
{
    c.Property("Charset", &TFont::Charset, &TFont::SetCharset).SetDefault(DEFAULT_CHARSET);
    AsColorProperty(c.Property("Color", &TFont::Color, &TFont::SetColor)).SetDefault(clWindowText);
    c.Property("Height", &TFont::Height, &TFont::SetHeight);
    c.Property("Name", &TFont::Name, &TFont::SetName);
    c.Property("Orientation", &TFont::Orientation, &TFont::SetOrientation).SetDefault(0);
    c.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).SetDefault(fpDefault);
    c.Property("Size", &TFont::Size, &TFont::SetSize).StoredFn = [](const TObject*) {
        return false;
    };
    c.Property("Style", &TFont::Style, &TFont::SetStyle);
}

CLASSLIB_PUBLISH(TPen)
{
    AsColorProperty(c.Property("Color", &TPen::Color, &TPen::SetColor)).SetDefault(clBlack);
    c.Property("Mode", &TPen::Mode, &TPen::SetMode).SetDefault(pmCopy);
    c.Property("Style", &TPen::Style, &TPen::SetStyle).SetDefault(psSolid);
    c.Property("Width", &TPen::Width, &TPen::SetWidth).SetDefault(1);
}

CLASSLIB_PUBLISH(TBrush)
{
    AsColorProperty(c.Property("Color", &TBrush::Color, &TBrush::SetColor)).SetDefault(clWhite);
    c.Property("Style", &TBrush::Style, &TBrush::SetStyle).SetDefault(bsSolid);
}

CLASSLIB_PUBLISH(TCanvas) {}

// ---- TGraphicsObject ------------------------------------------------------------------------

TGraphicsObject::~TGraphicsObject()
{
    if (handle_)
        DeleteObject(handle_);
}

HGDIOBJ TGraphicsObject::HandleObject()
{
    if (!handle_)
        handle_ = CreateHandle();
    return handle_;
}

void TGraphicsObject::Changed()
{
    HGDIOBJ old = std::exchange(handle_, nullptr);
    if (OnChange)
        OnChange(this);
    if (old)
        DeleteObject(old);
}

void TGraphicsObject::AdoptHandle(HGDIOBJ handle)
{
    HGDIOBJ old = std::exchange(handle_, nullptr);
    if (OnChange)
        OnChange(this);
    if (old && old != handle)
        DeleteObject(old);
    handle_ = handle;
}

// ---- TFont ----------------------------------------------------------------------------------

TFont::TFont() : name_("Tahoma"), pixelsPerInch_(ScreenPixelsPerInch())
{
    height_ = -MulDiv(8, pixelsPerInch_, 72);
}

void TFont::Assign(TPersistent* source)
{
    if (auto* font = dynamic_cast<TFont*>(source)) {
        name_ = font->name_;
        height_ = font->height_;
        color_ = font->color_;
        style_ = font->style_;
        pitch_ = font->pitch_;
        charset_ = font->charset_;
        orientation_ = font->orientation_;
        pixelsPerInch_ = font->pixelsPerInch_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TFont::SetHandle(HFONT font)
{
    LOGFONTA log{};
    if (font && GetObjectA(font, sizeof log, &log)) {
        name_ = log.lfFaceName;
        height_ = log.lfHeight;
        TFontStyles style;
        if (log.lfWeight >= FW_BOLD)
            style.Include(fsBold);
        if (log.lfItalic)
            style.Include(fsItalic);
        if (log.lfUnderline)
            style.Include(fsUnderline);
        if (log.lfStrikeOut)
            style.Include(fsStrikeOut);
        style_ = style;
        charset_ = log.lfCharSet;
        orientation_ = log.lfEscapement;
        const int pitch = log.lfPitchAndFamily & 3;
        pitch_ = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    }
    AdoptHandle(font);
}

void TFont::SetName(const std::string& name)
{
    if (name.empty() || name == name_)
        return;
    name_ = name;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, pixelsPerInch_, 72));
}

void TFont::SetHeight(int pixels)
{
    if (pixels == height_)
        return;
    height_ = pixels;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    // The colour is not part of the GDI font; only users that draw text need to know.
    if (OnChange)
        OnChange(this);
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == pitch_)
        return;
    pitch_ = pitch;
    Changed();
}

void TFont::SetOrientation(int tenthsOfDegree)
{
    if (tenthsOfDegree == orientation_)
        return;
    orientation_ = tenthsOfDegree;
    Changed();
}

void TFont::SetCharset(uint8_t charset)
{
    if (charset == charset_)
        return;
    charset_ = charset;
    Changed();
}

HGDIOBJ TFont::CreateHandle()
{
    LOGFONTA log{};
    log.lfHeight = height_;
    log.lfEscapement = orientation_;
    log.lfOrientation = orientation_;
    log.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    log.lfItalic = style_.Contains(fsItalic);
    log.lfUnderline = style_.Contains(fsUnderline);
    log.lfStrikeOut = style_.Contains(fsStrikeOut);
    log.lfCharSet = charset_;
    log.lfOutPrecision = OUT_DEFAULT_PRECIS;
    log.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    log.lfQuality = DEFAULT_QUALITY;
    log.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                           : pitch_ == fpVariable ? VARIABLE_PITCH
                                                  : DEFAULT_PITCH;
    lstrcpynA(log.lfFaceName, name_.c_str(), LF_FACESIZE);
    return CreateFontIndirectA(&log);
}

// ---- TPen -----------------------------------------------------------------------------------

void TPen::Assign(TPersistent* source)
{
    if (auto* pen = dynamic_cast<TPen*>(source)) {
        color_ = pen->color_;
        width_ = pen->width_;
        style_ = pen->style_;
        mode_ = pen->mode_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 0 || width == width_)
        return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == mode_)
        return;
    mode_ = mode;
    if (OnChange)
        OnChange(this);
}

HGDIOBJ TPen::CreateHandle()
{
    static const int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                  PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN log{};
    log.lopnStyle = color_ == clNone ? PS_NULL : kStyles[static_cast<int>(style_)];
    log.lopnWidth.x = width_;
    log.lopnColor = ColorToRGB(color_);
    return CreatePenIndirect(&log);
}

// ---- TBrush ---------------------------------------------------------------------------------

void TBrush::Assign(TPersistent* source)
{
    if (auto* brush = dynamic_cast<TBrush*>(source)) {
        color_ = brush->color_;
        style_ = brush->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor color)
{
    if (color == color_ && style_ != bsClear)
        return;
    color_ = color;
    // Like the platform's brush: choosing a colour for a clear brush makes it solid.
    if (style_ == bsClear)
        style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

HGDIOBJ TBrush::CreateHandle()
{
    LOGBRUSH log{};
    if (color_ == clNone) {
        log.lbStyle = BS_HOLLOW;
        return CreateBrushIndirect(&log);
    }
    log.lbColor = ColorToRGB(color_);
    switch (style_) {
        case bsSolid:
            log.lbStyle = BS_SOLID;
            break;
        case bsClear:
            log.lbStyle = BS_HOLLOW;
            break;
        default:
            log.lbStyle = BS_HATCHED;
            log.lbHatch = static_cast<int>(style_) - static_cast<int>(bsHorizontal);
            break;
    }
    return CreateBrushIndirect(&log);
}

// ---- TCanvas --------------------------------------------------------------------------------

TCanvas::TCanvas() : font_(new TFont), pen_(new TPen), brush_(new TBrush)
{
    InitializeCriticalSection(&lock_);
    font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
    delete font_;
    delete pen_;
    delete brush_;
    DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle()
{
    RequireState(HandleValid | FontValid | PenValid | BrushValid);
    return dc_;
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_)
        return;
    if (dc_) {
        DeselectHandles();
        dc_ = nullptr;
        state_ = 0;
    }
    stockFont_ = stockPen_ = stockBrush_ = nullptr;
    if (dc) {
        dc_ = dc;
        state_ = HandleValid;
    }
}

void TCanvas::DeselectHandles()
{
    if (!dc_)
        return;
    if ((state_ & FontValid) && stockFont_)
        SelectObject(dc_, stockFont_);
    if ((state_ & PenValid) && stockPen_)
        SelectObject(dc_, stockPen_);
    if ((state_ & BrushValid) && stockBrush_)
        SelectObject(dc_, stockBrush_);
    state_ &= ~(FontValid | PenValid | BrushValid);
}

void TCanvas::Refresh()
{
    DeselectHandles();
}

void TCanvas::RequireState(unsigned required)
{
    if ((required & HandleValid) && !dc_) {
        CreateHandle();
        if (!dc_)
            throw EInvalidOperation("Canvas does not allow drawing");
        state_ |= HandleValid;
    }
    const unsigned missing = required & ~state_;
    if (missing & FontValid)
        SelectFont();
    if (missing & PenValid)
        SelectPen();
    if (missing & BrushValid)
        SelectBrush();
}

void TCanvas::SelectFont()
{
    HGDIOBJ old = SelectObject(dc_, font_->Handle());
    if (!stockFont_)
        stockFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_->Color()));
    state_ |= FontValid;
}

void TCanvas::SelectPen()
{
    HGDIOBJ old = SelectObject(dc_, pen_->Handle());
    if (!stockPen_)
        stockPen_ = old;
    // In the order of TPenMode.
    static const int kRasterOps[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                     R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                     R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                     R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    SetROP2(dc_, kRasterOps[pen_->Mode()]);
    state_ |= PenValid;
}

void TCanvas::SelectBrush()
{
    HGDIOBJ old = SelectObject(dc_, brush_->Handle());
    if (!stockBrush_)
        stockBrush_ = old;
    const bool paints = brush_->Style() == bsSolid && brush_->Color() != clNone;
    if (brush_->Color() != clNone)
        SetBkColor(dc_, ColorToRGB(brush_->Color()));
    SetBkMode(dc_, paints ? OPAQUE : TRANSPARENT);
    state_ |= BrushValid;
}

void TCanvas::FontChanged(TObject*)
{
    if (dc_ && (state_ & FontValid)) {
        SelectObject(dc_, stockFont_);
        state_ &= ~FontValid;
    }
}

void TCanvas::PenChanged(TObject*)
{
    if (dc_ && (state_ & PenValid)) {
        SelectObject(dc_, stockPen_);
        state_ &= ~PenValid;
    }
}

void TCanvas::BrushChanged(TObject*)
{
    if (dc_ && (state_ & BrushValid)) {
        SelectObject(dc_, stockBrush_);
        state_ &= ~BrushValid;
    }
}

void TCanvas::Lock()
{
    EnterCriticalSection(&lock_);
    ++lockCount_;
}

bool TCanvas::TryLock()
{
    if (!TryEnterCriticalSection(&lock_))
        return false;
    ++lockCount_;
    return true;
}

void TCanvas::Unlock()
{
    --lockCount_;
    LeaveCriticalSection(&lock_);
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

TPoint TCanvas::PenPos()
{
    RequireState(HandleValid);
    POINT p{};
    GetCurrentPositionEx(dc_, &p);
    return {p.x, p.y};
}

void TCanvas::MoveTo(int x, int y)
{
    RequireState(HandleValid);
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    ::LineTo(dc_, x, y);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    ::Rectangle(dc_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    ::RoundRect(dc_, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    ::Ellipse(dc_, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    std::vector<POINT> p;
    for (const auto& point : points)
        p.push_back({point.X, point.Y});
    ::Polygon(dc_, p.data(), static_cast<int>(p.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    Changing();
    RequireState(HandleValid | PenValid | BrushValid);
    std::vector<POINT> p;
    for (const auto& point : points)
        p.push_back({point.X, point.Y});
    ::Polyline(dc_, p.data(), static_cast<int>(p.size()));
    Changed();
}

void TCanvas::FillRect(const RECT& rect)
{
    Changing();
    RequireState(HandleValid | BrushValid);
    ::FillRect(dc_, &rect, brush_->Handle());
    Changed();
}

void TCanvas::FrameRect(const RECT& rect)
{
    Changing();
    RequireState(HandleValid | BrushValid);
    ::FrameRect(dc_, &rect, brush_->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const RECT& rect)
{
    Changing();
    RequireState(HandleValid | BrushValid);
    ::DrawFocusRect(dc_, &rect);
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    Changing();
    RequireState(HandleValid | FontValid | BrushValid);
    ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    MoveTo(x + TextWidth(text), y);
    Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text)
{
    Changing();
    RequireState(HandleValid | FontValid | BrushValid);
    UINT options = ETO_CLIPPED;
    if (brush_->Style() != bsClear && brush_->Color() != clNone)
        options |= ETO_OPAQUE;
    ExtTextOutA(dc_, x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

UINT TextFormatFlags(TTextFormat format)
{
    // In the order of TTextFormats.
    static const UINT kFlags[] = {
        DT_BOTTOM,       DT_CALCRECT,      DT_CENTER,       DT_EDITCONTROL,
        DT_END_ELLIPSIS, DT_PATH_ELLIPSIS, DT_EXPANDTABS,   DT_EXTERNALLEADING,
        DT_LEFT,         DT_MODIFYSTRING,  DT_NOCLIP,       DT_NOPREFIX,
        DT_RIGHT,        DT_RTLREADING,    DT_SINGLELINE,   DT_TOP,
        DT_VCENTER,      DT_WORDBREAK,     DT_HIDEPREFIX,   DT_NOFULLWIDTHCHARBREAK,
        DT_PREFIXONLY,   DT_TABSTOP,       DT_WORD_ELLIPSIS};
    UINT flags = 0;
    for (size_t i = 0; i < sizeof kFlags / sizeof kFlags[0]; ++i)
        if (format.Contains(static_cast<TTextFormats>(i)))
            flags |= kFlags[i];
    return flags;
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT flags)
{
    std::string copy = text;
    return DrawTextIn(copy, rect, flags);
}

void TCanvas::TextRect(RECT& rect, std::string& text, TTextFormat format)
{
    DrawTextIn(text, rect, TextFormatFlags(format));
}

int TCanvas::DrawTextIn(std::string& text, RECT& rect, UINT flags)
{
    const bool measuring = (flags & DT_CALCRECT) != 0;
    if (!measuring)
        Changing();
    RequireState(HandleValid | FontValid | BrushValid);
    // Room for the ellipsis DrawText writes into the text with DT_MODIFYSTRING.
    std::vector<char> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 5, '\0');
    const int height = ::DrawTextA(dc_, buffer.data(), static_cast<int>(text.size()), &rect, flags);
    if (flags & DT_MODIFYSTRING)
        text.assign(buffer.data());
    if (!measuring)
        Changed();
    return height;
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    RequireState(HandleValid | FontValid);
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    RequireState(HandleValid);
    const RECT rect{x, y, x + graphic->Width(), y + graphic->Height()};
    graphic->Draw(this, rect);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    RequireState(HandleValid);
    graphic->Draw(this, rect);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* canvas, const RECT& source)
{
    Changing();
    RequireState(HandleValid | FontValid | BrushValid);
    HDC sourceDc = canvas->Handle();
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, sourceDc,
               source.left, source.top, source.right - source.left, source.bottom - source.top,
               copyMode_);
    Changed();
}

void TCanvas::BrushCopy(const RECT& dest, TBitmap* bitmap, const RECT& source, TColor color)
{
    if (!bitmap || bitmap->Empty())
        return;
    Changing();
    RequireState(HandleValid | BrushValid);
    const int width = source.right - source.left;
    const int height = source.bottom - source.top;
    HDC sourceDc = bitmap->Canvas()->Handle();

    // A monochrome mask that is 1 where the source has `color`.
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(width, height, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    const COLORREF oldSourceBack = SetBkColor(sourceDc, ColorToRGB(color));
    BitBlt(maskDc, 0, 0, width, height, sourceDc, source.left, source.top, SRCCOPY);
    SetBkColor(sourceDc, oldSourceBack);

    // The source unchanged, then the brush where the mask is set: the raster operation
    // "DSPDxax" takes the pattern where the source is white and keeps the destination
    // where it is black (a monochrome source maps 1 to the background colour, 0 to text).
    const int destWidth = dest.right - dest.left;
    const int destHeight = dest.bottom - dest.top;
    StretchBlt(dc_, dest.left, dest.top, destWidth, destHeight, sourceDc, source.left, source.top,
               width, height, SRCCOPY);
    const COLORREF oldText = SetTextColor(dc_, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc_, RGB(255, 255, 255));
    StretchBlt(dc_, dest.left, dest.top, destWidth, destHeight, maskDc, 0, 0, width, height,
               0x00E20746);
    SetTextColor(dc_, oldText);
    SetBkColor(dc_, oldBack);

    SelectObject(maskDc, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDc);
    Changed();
}

TColor TCanvas::Pixel(int x, int y)
{
    RequireState(HandleValid);
    return GetPixel(dc_, x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    Changing();
    RequireState(HandleValid | PenValid);
    ::SetPixel(dc_, x, y, ColorToRGB(color));
    Changed();
}

RECT TCanvas::ClipRect()
{
    RequireState(HandleValid);
    RECT rect{};
    GetClipBox(dc_, &rect);
    return rect;
}

HRGN TCanvas::ClipRegion()
{
    RequireState(HandleValid);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc_, region) != 1) {
        DeleteObject(region);
        return nullptr;
    }
    return region;
}

void TCanvas::SetClipRegion(HRGN region)
{
    RequireState(HandleValid);
    SelectClipRgn(dc_, region);
}

void TCanvas::IntersectClip(const RECT& rect)
{
    RequireState(HandleValid);
    ::IntersectClipRect(dc_, rect.left, rect.top, rect.right, rect.bottom);
}

} // namespace classlib
