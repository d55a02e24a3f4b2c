#include "AdvPanel.h"

#include "AdvOfficeStatusBar.h"
#include "AdvPanelGroup.h"
#include "AdvPanelStyler.h"
#include "AdvTaskDialog.h"

#include "core/ComponentStream.h"
#include "draw/APXPVS.h"
#include "draw/DrawMath.h"
#include "html/AnchorLinks.h"
#include "html/HtmlRenderer.h"
#include "windows/Application.h"
#include "windows/IniFiles.h"
#include "windows/Registry.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TBackGroundPosition, "bpTopLeft", "bpTopRight", "bpBottomLeft",
                     "bpBottomRight", "bpTiled", "bpStretched", "bpCenter")
CLASSLIB_DEFINE_ENUM(TGradientDirection, "gdVertical", "gdHorizontal")
CLASSLIB_DEFINE_ENUM(TTextVAlignment, "tvaTop", "tvaCenter", "tvaBottom")
CLASSLIB_DEFINE_ENUM(TCaptionShape, "csRectangle", "csRounded", "csSemiRounded")
CLASSLIB_DEFINE_ENUM(TCaptionButtonPosition, "cbpRight", "cbpLeft")
CLASSLIB_DEFINE_ENUM(TCaptionPosition, "cpTop", "cpLeft")
CLASSLIB_DEFINE_ENUM(TPanelPositionLocation, "clRegistry", "clInifile")
CLASSLIB_DEFINE_ENUM(TShadeType, "stNormal", "stNoise", "stDiagShade", "stHShade", "stVShade",
                     "stHBump", "stVBump", "stSoftBump", "stHardBump", "stLMetal", "stRMetal",
                     "stIRadial", "stORadial", "stHShadeInv", "stVShadeInv", "stXPCaption",
                     "stBitmap", "stBitmapRStretch", "stBitmapLStretch")

namespace {

constexpr TColor ShadowGrey = 0x808080;
// Theme class "window" parts drawn by the panel, all in state 1.
constexpr int WP_CAPTION_PART = 1, WP_MINBUTTON_PART = 15, WP_MAXBUTTON_PART = 17,
              WP_CLOSEBUTTON_PART = 18;

uint32_t Rgb(TColor c)
{
    return ColorToRGB(c) & 0xFFFFFF;
}

void FillWith(TCanvas* canvas, TColor color, const RECT& r)
{
    canvas->Pen()->SetColor(color);
    canvas->Brush()->SetColor(color);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Rectangle(r);
}

bool HasPicture(TBitmap* bitmap)
{
    return bitmap && !bitmap->Empty();
}

void DrawTransparentGlyph(TCanvas* canvas, TBitmap* glyph, int x, int y)
{
    glyph->SetTransparentMode(tmAuto);
    glyph->SetTransparent(true);
    canvas->Draw(x, y, glyph);
}

// Paints with a temporary clip and removes it afterwards.
class ClipTo {
public:
    ClipTo(TCanvas* canvas, HRGN region) : dc_(canvas->Handle()), region_(region)
    {
        SelectClipRgn(dc_, region_);
    }
    ClipTo(TCanvas* canvas, const RECT& r) : ClipTo(canvas, CreateRectRgnIndirect(&r)) {}
    ~ClipTo()
    {
        SelectClipRgn(dc_, nullptr);
        DeleteObject(region_);
    }
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;

private:
    HDC dc_;
    HRGN region_;
};

} // namespace

// ---- drawing helpers --------------------------------------------------------------------------

TColor BlendPanelColors(TColor c1, TColor c2, int percent)
{
    if (percent == 100)
        return c1;
    return draw::BlendRGB(Rgb(c1), Rgb(c2), percent);
}

void DrawPanelGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int steps, const RECT& r,
                       bool horizontal)
{
    steps = std::clamp(steps, 1, 32);
    const int first = horizontal ? r.left : r.top;
    const int last = horizontal ? r.right : r.bottom;
    const long double extent = static_cast<long double>(last - first) / steps;
    for (const draw::TGradientStep& band :
         draw::StepGradientBands(Rgb(fromColor), Rgb(toColor), steps, last - first)) {
        const int start = static_cast<int16_t>(first + band.Offset);
        const int end = std::min(start + static_cast<int>(extent) + 1, last);
        canvas->Pen()->SetColor(band.Color);
        canvas->Brush()->SetColor(band.Color);
        canvas->Brush()->SetStyle(bsSolid);
        if (horizontal)
            canvas->Rectangle(start, r.top, end, r.bottom);
        else
            canvas->Rectangle(r.left, start, r.right, end);
    }
}

void DrawPanelMirrorGradient(TCanvas* canvas, const RECT& r, TColor color, TColor colorTo,
                             TColor colorMirror, TColor colorMirrorTo, TGradientDirection direction)
{
    const bool horizontal = direction == gdHorizontal;
    RECT firstHalf = r, secondHalf = r;
    if (horizontal)
        firstHalf.right = secondHalf.left = r.left + (r.right - r.left) / 2;
    else
        firstHalf.bottom = secondHalf.top = r.top + (r.bottom - r.top) / 2;
    DrawPanelGradient(canvas, color, colorTo, 32, firstHalf, horizontal);
    DrawPanelGradient(canvas, colorMirror, colorMirrorTo, 32, secondHalf, horizontal);
}

// ---- TPanelCaption ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TPanelCaption)
{
    c.Property("Background", &TPanelCaption::Background, &TPanelCaption::SetBackground);
    c.Property("ButtonPosition", &TPanelCaption::ButtonPosition, &TPanelCaption::SetButtonPosition)
        .SetDefault(cbpRight);
    AsColorProperty(c.Property("Color", &TPanelCaption::Color, &TPanelCaption::SetColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("ColorTo", &TPanelCaption::ColorTo, &TPanelCaption::SetColorTo))
        .SetDefault(clHighlight);
    AsColorProperty(
        c.Property("CloseColor", &TPanelCaption::CloseColor, &TPanelCaption::SetCloseColor))
        .SetDefault(clBtnFace);
    c.Property("CloseButton", &TPanelCaption::CloseButton, &TPanelCaption::SetCloseButton)
        .SetDefault(false);
    AsColorProperty(c.Property("CloseButtonColor", &TPanelCaption::CloseButtonColor,
                               &TPanelCaption::SetCloseButtonColor))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("CloseButtonHoverColor", &TPanelCaption::CloseButtonHoverColor,
                               &TPanelCaption::SetCloseButtonHoverColor))
        .SetDefault(clNone);
    c.Property("CloseMinGlyph", &TPanelCaption::CloseMinGlyph, &TPanelCaption::SetCloseMinGlyph);
    c.Property("CloseMaxGlyph", &TPanelCaption::CloseMaxGlyph, &TPanelCaption::SetCloseMaxGlyph);
    c.Property("Flat", &TPanelCaption::Flat, &TPanelCaption::SetFlat).SetDefault(false);
    c.Property("Font", &TPanelCaption::Font, &TPanelCaption::SetFont);
    c.Property("GradientDirection", &TPanelCaption::GradientDirection,
               &TPanelCaption::SetGradientDirection)
        .SetDefault(gdHorizontal);
    c.Property("Height", &TPanelCaption::Height, &TPanelCaption::SetHeight).SetDefault(20);
    c.Property("Indent", &TPanelCaption::Indent, &TPanelCaption::SetIndent).SetDefault(0);
    c.Property("MaxGlyph", &TPanelCaption::MaxGlyph, &TPanelCaption::SetMaxGlyph);
    c.Property("MinGlyph", &TPanelCaption::MinGlyph, &TPanelCaption::SetMinGlyph);
    c.Property("MinMaxButton", &TPanelCaption::MinMaxButton, &TPanelCaption::SetMinMaxButton)
        .SetDefault(false);
    AsColorProperty(c.Property("MinMaxButtonColor", &TPanelCaption::MinMaxButtonColor,
                               &TPanelCaption::SetMinMaxButtonColor))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("MinMaxButtonHoverColor", &TPanelCaption::MinMaxButtonHoverColor,
                               &TPanelCaption::SetMinMaxButtonHoverColor))
        .SetDefault(clNone);
    c.Property("MinMaxCaption", &TPanelCaption::MinMaxCaption, &TPanelCaption::SetMinMaxCaption)
        .SetDefault(false);
    c.Property("Position", &TPanelCaption::Position, &TPanelCaption::SetPosition).SetDefault(cpTop);
    c.Property("ShadeLight", &TPanelCaption::ShadeLight, &TPanelCaption::SetShadeLight)
        .SetDefault(200);
    c.Property("ShadeGrain", &TPanelCaption::ShadeGrain, &TPanelCaption::SetShadeGrain)
        .SetDefault(32);
    c.Property("ShadeType", &TPanelCaption::ShadeType, &TPanelCaption::SetShadeType)
        .SetDefault(stNormal);
    c.Property("Shape", &TPanelCaption::Shape, &TPanelCaption::SetShape).SetDefault(csRectangle);
    c.Property("Text", &TPanelCaption::Text, &TPanelCaption::SetText);
    c.Property("TopIndent", &TPanelCaption::TopIndent, &TPanelCaption::SetTopIndent).SetDefault(0);
    c.Property("Visible", &TPanelCaption::Visible, &TPanelCaption::SetVisible).SetDefault(false);
}

TPanelCaption::TPanelCaption()
    : background_(new TBitmap),
      closeMinGlyph_(new TBitmap),
      closeMaxGlyph_(new TBitmap),
      maxGlyph_(new TBitmap),
      minGlyph_(new TBitmap),
      font_(new TFont)
{
    font_->SetColor(clHighlightText);
    font_->OnChange = TNotifyEvent(this, &TPanelCaption::FontChanged);
}

TPanelCaption::~TPanelCaption()
{
    for (TObject* owned : std::initializer_list<TObject*>{
             background_, closeMinGlyph_, closeMaxGlyph_, maxGlyph_, minGlyph_, font_})
        delete owned;
}

void TPanelCaption::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPanelCaption::ShadeChanged()
{
    if (OnShadeChange)
        OnShadeChange(this);
    Changed();
}

void TPanelCaption::SetBackground(TBitmap* value)
{
    background_->Assign(value);
    ShadeChanged();
}

void TPanelCaption::SetColor(TColor value)
{
    if (color_ == value)
        return;
    color_ = value;
    ShadeChanged();
}

void TPanelCaption::SetColorTo(TColor value)
{
    colorTo_ = value;
    Changed();
}

void TPanelCaption::SetCloseColor(TColor value)
{
    if (closeColor_ == value)
        return;
    closeColor_ = value;
    Changed();
}

void TPanelCaption::SetCloseButton(bool value)
{
    if (closeButton_ == value)
        return;
    closeButton_ = value;
    Changed();
}

void TPanelCaption::SetCloseButtonColor(TColor value)
{
    if (closeButtonColor_ == value)
        return;
    closeButtonColor_ = value;
    Changed();
}

void TPanelCaption::SetCloseMinGlyph(TBitmap* value)
{
    closeMinGlyph_->Assign(value);
    Changed();
}

void TPanelCaption::SetCloseMaxGlyph(TBitmap* value)
{
    closeMaxGlyph_->Assign(value);
    Changed();
}

void TPanelCaption::SetFlat(bool value)
{
    flat_ = value;
    ShadeChanged();
}

void TPanelCaption::SetFont(TFont* value)
{
    font_->Assign(value);
    Changed();
}

void TPanelCaption::SetGradientDirection(TGradientDirection value)
{
    gradientDirection_ = value;
    Changed();
}

void TPanelCaption::SetHeight(int value)
{
    if (height_ == value)
        return;
    height_ = value;
    Changed();
}

void TPanelCaption::SetIndent(int value)
{
    if (indent_ == value)
        return;
    indent_ = value;
    Changed();
}

void TPanelCaption::SetMinMaxButton(bool value)
{
    if (minMaxButton_ == value)
        return;
    minMaxButton_ = value;
    Changed();
}

void TPanelCaption::SetMinMaxButtonColor(TColor value)
{
    if (minMaxButtonColor_ == value)
        return;
    minMaxButtonColor_ = value;
    Changed();
}

void TPanelCaption::SetPosition(TCaptionPosition value)
{
    if (position_ == value)
        return;
    position_ = value;
    if (OnPositionChange)
        OnPositionChange(this);
}

void TPanelCaption::SetShadeLight(int value)
{
    shadeLight_ = std::max(value, 200);
    ShadeChanged();
}

void TPanelCaption::SetShadeGrain(uint8_t value)
{
    shadeGrain_ = value;
    ShadeChanged();
}

void TPanelCaption::SetShadeType(TShadeType value)
{
    shadeType_ = value;
    ShadeChanged();
}

void TPanelCaption::SetShape(TCaptionShape value)
{
    shape_ = value;
    ShadeChanged();
}

void TPanelCaption::SetText(const std::string& value)
{
    text_ = value;
    Changed();
}

void TPanelCaption::SetTopIndent(int value)
{
    if (topIndent_ == value)
        return;
    topIndent_ = value;
    Changed();
}

void TPanelCaption::SetVisible(bool value)
{
    visible_ = value;
    Changed();
    if (OnStateChange)
        OnStateChange(this);
}

void TPanelCaption::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPanelCaption*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    SetBackground(other->Background());
    buttonPosition_ = other->ButtonPosition();
    SetColor(other->Color());
    SetColorTo(other->ColorTo());
    SetCloseColor(other->CloseColor());
    SetCloseButton(other->CloseButton());
    SetCloseButtonColor(other->CloseButtonColor());
    closeButtonHoverColor_ = other->CloseButtonHoverColor();
    SetCloseMinGlyph(other->CloseMinGlyph());
    SetCloseMaxGlyph(other->CloseMaxGlyph());
    SetFlat(other->Flat());
    SetFont(other->Font());
    SetHeight(other->Height());
    SetIndent(other->Indent());
    SetMaxGlyph(other->MaxGlyph());
    SetMinGlyph(other->MinGlyph());
    SetMinMaxButton(other->MinMaxButton());
    SetMinMaxButtonColor(other->MinMaxButtonColor());
    minMaxButtonHoverColor_ = other->MinMaxButtonHoverColor();
    SetShadeLight(other->ShadeLight());
    SetShadeGrain(other->ShadeGrain());
    SetShadeType(other->ShadeType());
    SetShape(other->Shape());
    SetGradientDirection(other->GradientDirection());
}

// ---- TPanelStatusBar --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TPanelStatusBar)
{
    c.Property("BevelInner", &TPanelStatusBar::BevelInner, &TPanelStatusBar::SetBevelInner)
        .SetDefault(false);
    AsColorProperty(
        c.Property("BorderColor", &TPanelStatusBar::BorderColor, &TPanelStatusBar::SetBorderColor))
        .SetDefault(clBlack);
    c.Property("BorderStyle", &TPanelStatusBar::BorderStyle, &TPanelStatusBar::SetBorderStyle)
        .SetDefault(bsNone);
    c.Property("ImageIndex", &TPanelStatusBar::ImageIndex, &TPanelStatusBar::SetImageIndex)
        .SetDefault(-1);
    c.Property("Font", &TPanelStatusBar::Font, &TPanelStatusBar::SetFont);
    c.Property("Text", &TPanelStatusBar::Text, &TPanelStatusBar::SetText);
    AsColorProperty(c.Property("Color", &TPanelStatusBar::Color, &TPanelStatusBar::SetColor))
        .SetDefault(clBtnFace);
    AsColorProperty(c.Property("ColorTo", &TPanelStatusBar::ColorTo, &TPanelStatusBar::SetColorTo))
        .SetDefault(clNone);
    c.Property("GradientDirection", &TPanelStatusBar::GradientDirection,
               &TPanelStatusBar::SetGradientDirection)
        .SetDefault(gdHorizontal);
    c.Property("Height", &TPanelStatusBar::Height, &TPanelStatusBar::SetHeight).SetDefault(18);
    c.Property("Visible", &TPanelStatusBar::Visible, &TPanelStatusBar::SetVisible)
        .SetDefault(false);
}

TPanelStatusBar::TPanelStatusBar() : font_(new TFont)
{
    font_->SetName("Tahoma");
    font_->OnChange = TNotifyEvent(this, &TPanelStatusBar::FontChanged);
}

TPanelStatusBar::~TPanelStatusBar()
{
    delete font_;
}

void TPanelStatusBar::SetFont(TFont* value)
{
    // Copied without a change event of its own.
    const TNotifyEvent saved = font_->OnChange;
    font_->OnChange = TNotifyEvent();
    font_->Assign(value);
    font_->OnChange = saved;
}

void TPanelStatusBar::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPanelStatusBar*>(source);
    if (!other)
        return;
    SetColor(other->Color());
    SetColorTo(other->ColorTo());
    SetGradientDirection(other->GradientDirection());
    borderStyle_ = other->BorderStyle();
    borderColor_ = other->BorderColor();
    SetFont(other->Font());
}

// ---- TAutoSize and TPanelPosition -------------------------------------------------------------

CLASSLIB_PUBLISH(TAutoSize)
{
    c.Property("Enabled", &TAutoSize::Enabled, &TAutoSize::SetEnabled).SetDefault(false);
    c.Property("Height", &TAutoSize::Height, &TAutoSize::SetHeight).SetDefault(true);
    c.Property("Width", &TAutoSize::Width, &TAutoSize::SetWidth).SetDefault(true);
}

void TAutoSize::SetEnabled(bool value)
{
    enabled_ = value;
    if (value && panel_)
        panel_->DoAutoSize();
}

void TAutoSize::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAutoSize*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    height_ = other->Height();
    width_ = other->Width();
    SetEnabled(other->Enabled());
}

CLASSLIB_PUBLISH(TPanelPosition)
{
    c.Property("Save", &TPanelPosition::Save, &TPanelPosition::SetSave).SetDefault(false);
    c.Property("Key", &TPanelPosition::Key, &TPanelPosition::SetKey);
    c.Property("Section", &TPanelPosition::Section, &TPanelPosition::SetSection);
    c.Property("Location", &TPanelPosition::Location, &TPanelPosition::SetLocation)
        .SetDefault(clRegistry);
}

void TPanelPosition::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPanelPosition*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    key_ = other->Key();
    section_ = other->Section();
    save_ = other->Save();
    location_ = other->Location();
}

// ---- TCustomAdvPanel: construction and properties ---------------------------------------------

CLASSLIB_PUBLISH(TCustomAdvPanel) {}

CLASSLIB_PUBLISH(TAdvPanel)
{
    c.Property("AnchorHint", &TAdvPanel::AnchorHint, &TAdvPanel::SetAnchorHint).SetDefault(false);
    c.Property("AutoSize", &TAdvPanel::AutoSizing, &TAdvPanel::SetAutoSizing);
    c.Property("AutoHideChildren", &TAdvPanel::AutoHideChildren, &TAdvPanel::SetAutoHideChildren)
        .SetDefault(true);
    c.Property("Background", &TAdvPanel::Background, &TAdvPanel::SetBackground);
    c.Property("BackgroundPosition", &TAdvPanel::BackgroundPosition,
               &TAdvPanel::SetBackgroundPosition)
        .SetDefault(bpTopLeft);
    AsColorProperty(c.Property("BorderColor", &TAdvPanel::BorderColor, &TAdvPanel::SetBorderColor))
        .SetDefault(clBlack);
    c.Property("BorderShadow", &TAdvPanel::BorderShadow, &TAdvPanel::SetBorderShadow)
        .SetDefault(false);
    c.Property("BorderStyle", &TAdvPanel::BorderStyle, &TAdvPanel::SetBorderStyle)
        .SetDefault(bsNone);
    c.Property("BevelInner", &TAdvPanel::BevelInner, &TAdvPanel::SetBevelInner).SetDefault(bvNone);
    c.Property("BevelOuter", &TAdvPanel::BevelOuter, &TAdvPanel::SetBevelOuter)
        .SetDefault(bvRaised);
    c.Property("BevelWidth", &TAdvPanel::BevelWidth, &TAdvPanel::SetBevelWidth).SetDefault(1);
    c.Property("BorderWidth", &TAdvPanel::BorderWidth, &TAdvPanel::SetBorderWidth).SetDefault(0);
    c.Property("Buffered", &TAdvPanel::Buffered, &TAdvPanel::SetBuffered).SetDefault(true);
    c.Property("CanMove", &TAdvPanel::CanMove, &TAdvPanel::SetCanMove).SetDefault(false);
    c.Property("CanSize", &TAdvPanel::CanSize, &TAdvPanel::SetCanSize).SetDefault(false);
    c.Property("Caption", &TAdvPanel::Caption, &TAdvPanel::SetCaption);
    c.Property("Collaps", &TAdvPanel::Collaps, &TAdvPanel::SetCollaps).SetDefault(false);
    AsColorProperty(
        c.Property("CollapsColor", &TAdvPanel::CollapsColor, &TAdvPanel::SetCollapsColor))
        .SetDefault(clGray);
    c.Property("CollapsDelay", &TAdvPanel::CollapsDelay, &TAdvPanel::SetCollapsDelay)
        .SetDefault(20);
    c.Property("CollapsSteps", &TAdvPanel::CollapsSteps, &TAdvPanel::SetCollapsSteps).SetDefault(0);
    AsColorProperty(c.Property("ColorTo", &TAdvPanel::ColorTo, &TAdvPanel::SetColorTo))
        .SetDefault(clNone);
    AsColorProperty(c.Property("ColorMirror", &TAdvPanel::ColorMirror, &TAdvPanel::SetColorMirror))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("ColorMirrorTo", &TAdvPanel::ColorMirrorTo, &TAdvPanel::SetColorMirrorTo))
        .SetDefault(clNone);
    c.Property("Ellipsis", &TAdvPanel::Ellipsis, &TAdvPanel::SetEllipsis).SetDefault(false);
    c.Property("FixedTop", &TAdvPanel::FixedTop, &TAdvPanel::SetFixedTop).SetDefault(false);
    c.Property("FixedLeft", &TAdvPanel::FixedLeft, &TAdvPanel::SetFixedLeft).SetDefault(false);
    c.Property("FixedHeight", &TAdvPanel::FixedHeight, &TAdvPanel::SetFixedHeight)
        .SetDefault(false);
    c.Property("FixedWidth", &TAdvPanel::FixedWidth, &TAdvPanel::SetFixedWidth).SetDefault(false);
    c.Property("FreeOnClose", &TAdvPanel::FreeOnClose, &TAdvPanel::SetFreeOnClose)
        .SetDefault(false);
    c.Property("GradientDirection", &TAdvPanel::GradientDirection, &TAdvPanel::SetGradientDirection)
        .SetDefault(gdVertical);
    c.Property("Hover", &TAdvPanel::Hover, &TAdvPanel::SetHover).SetDefault(false);
    AsColorProperty(c.Property("HoverColor", &TAdvPanel::HoverColor, &TAdvPanel::SetHoverColor))
        .SetDefault(clNone);
    AsColorProperty(
        c.Property("HoverFontColor", &TAdvPanel::HoverFontColor, &TAdvPanel::SetHoverFontColor))
        .SetDefault(clNone);
    c.Property("Images", &TAdvPanel::Images, &TAdvPanel::SetImages);
    c.Property("Indent", &TAdvPanel::Indent, &TAdvPanel::SetIndent).SetDefault(0);
    c.Property("LineSpacing", &TAdvPanel::LineSpacing, &TAdvPanel::SetLineSpacing).SetDefault(0);
    c.Property("PictureContainer", &TAdvPanel::PictureContainer, &TAdvPanel::SetPictureContainer);
    c.Property("Position", &TAdvPanel::Position, &TAdvPanel::SetPosition);
    AsColorProperty(c.Property("ShadowColor", &TAdvPanel::ShadowColor, &TAdvPanel::SetShadowColor))
        .SetDefault(clGray);
    c.Property("ShadowOffset", &TAdvPanel::ShadowOffset, &TAdvPanel::SetShadowOffset).SetDefault(2);
    c.Property("ShowMoveCursor", &TAdvPanel::ShowMoveCursor, &TAdvPanel::SetShowMoveCursor)
        .SetDefault(false);
    c.Property("StatusBar", &TAdvPanel::StatusBar, &TAdvPanel::SetStatusBar);
    c.Property("Styler", &TAdvPanel::Styler, &TAdvPanel::SetStyler);
    c.Property("Text", &TAdvPanel::Text, &TAdvPanel::SetText);
    c.Property("TextVAlign", &TAdvPanel::TextVAlign, &TAdvPanel::SetTextVAlign).SetDefault(tvaTop);
    c.Property("TopIndent", &TAdvPanel::TopIndent, &TAdvPanel::SetTopIndent).SetDefault(0);
    AsColorProperty(c.Property("URLColor", &TAdvPanel::URLColor, &TAdvPanel::SetURLColor))
        .SetDefault(clBlue);
    c.Property("Version", &TAdvPanel::Version, &TAdvPanel::SetVersion);
    c.Property("OnCaptionClick", &TAdvPanel::OnCaptionClick);
    c.Property("OnCaptionDBlClick", &TAdvPanel::OnCaptionDBlClick);
    c.Property("OnClose", &TAdvPanel::OnClose);
    c.Property("OnMinimize", &TAdvPanel::OnMinimize);
    c.Property("OnMaximize", &TAdvPanel::OnMaximize);
    c.Property("OnEndCollapsExpand", &TAdvPanel::OnEndCollapsExpand);
    c.Property("OnEndMoveSize", &TAdvPanel::OnEndMoveSize);
}

CLASSLIB_MESSAGE_MAP(TCustomAdvPanel)
{
    m.On(WM_ERASEBKGND, &TCustomAdvPanel::WMEraseBkgnd);
    m.On(WM_SIZE, &TCustomAdvPanel::WMSize);
    m.On(WM_NCHITTEST, &TCustomAdvPanel::WMNCHitTest);
    m.On(WM_SETCURSOR, &TCustomAdvPanel::WMSetCursor);
    m.On(WM_LBUTTONDBLCLK, &TCustomAdvPanel::WMLButtonDblClk);
    m.On(WM_SIZING, &TCustomAdvPanel::WMSizing);
    m.On(WM_MOVING, &TCustomAdvPanel::WMMoving);
    m.On(WM_EXITSIZEMOVE, &TCustomAdvPanel::WMExitSizeMove);
    m.On(CM_MOUSEENTER, &TCustomAdvPanel::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TCustomAdvPanel::CMMouseLeave);
    m.On(CM_HINTSHOW, &TCustomAdvPanel::CMHintShow);
    m.On(CM_RELEASE, &TCustomAdvPanel::CMReleasePanel);
}

TCustomAdvPanel::TCustomAdvPanel(TComponent* owner)
    : TCustomPanel(owner),
      autoSize_(new TAutoSize(this)),
      background_(new TAdvImage),
      caption_(new TPanelCaption),
      position_(new TPanelPosition(this)),
      statusBar_(new TPanelStatusBar),
      pictureCache_(new draw::THTMLPictureCache),
      shadeBitmap_(new TBitmap)
{
    controlStyle_.Exclude(csSetCaption);
    SetDoubleBuffered(true);
    caption_->OnChange = TNotifyEvent(this, &TCustomAdvPanel::CaptionChanged);
    caption_->OnShadeChange = TNotifyEvent(this, &TCustomAdvPanel::CaptionShadeChanged);
    caption_->OnStateChange = TNotifyEvent(this, &TCustomAdvPanel::CaptionStateChanged);
    caption_->OnPositionChange = TNotifyEvent(this, &TCustomAdvPanel::CaptionPositionChanged);
    statusBar_->OnChange = TNotifyEvent(this, &TCustomAdvPanel::PartChanged);
    background_->OnChange = TNotifyEvent(this, &TCustomAdvPanel::PartChanged);
    isXP_ = IsWinXPOrLater();
    fullHeight_ = Height();
}

TCustomAdvPanel::~TCustomAdvPanel()
{
    // The window goes in a base destructor, where this class no longer sees its WM_DESTROY.
    if (HandleAllocated() && position_->Save())
        SavePosition();
    delete autoSize_;
    delete background_;
    delete caption_;
    delete position_;
    delete statusBar_;
    delete pictureCache_;
    delete shadeBitmap_;
}

std::string TCustomAdvPanel::Version() const
{
    constexpr uint32_t packed = 0x01070801;
    return std::to_string(packed >> 24) + "." + std::to_string((packed >> 16) & 0xFF) + "." +
           std::to_string((packed >> 8) & 0xFF) + "." + std::to_string(packed & 0xFF);
}

void TCustomAdvPanel::SetImages(TCustomImageList* value)
{
    if (images_)
        images_->RemoveFreeNotification(this);
    images_ = value;
    if (images_)
        images_->FreeNotification(this);
    Invalidate();
}

void TCustomAdvPanel::SetPictureContainer(draw::TPictureContainer* value)
{
    if (pictureContainer_)
        pictureContainer_->RemoveFreeNotification(this);
    pictureContainer_ = value;
    if (pictureContainer_)
        pictureContainer_->FreeNotification(this);
}

void TCustomAdvPanel::SetStyler(TAdvPanelStyler* value)
{
    if (styler_)
        styler_->RemoveFreeNotification(this);
    styler_ = value;
    if (styler_) {
        styler_->FreeNotification(this);
        if (!Loading())
            ApplySettings(styler_->Settings());
    }
}

void TCustomAdvPanel::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove) {
        if (component == images_)
            images_ = nullptr;
        if (component == pictureContainer_)
            pictureContainer_ = nullptr;
        if (component == styler_)
            styler_ = nullptr;
    }
    TCustomPanel::Notification(component, operation);
}

void TCustomAdvPanel::SetText(const std::string& value)
{
    text_ = value;
    Invalidate();
    DoAutoSize();
}

void TCustomAdvPanel::CaptionPositionChanged(TObject*)
{
    DoAutoSize();
    BuildShadeBitmap();
    Invalidate();
}

void TCustomAdvPanel::DefineProperties(TFiler& filer)
{
    TCustomPanel::DefineProperties(filer);
    filer.DefineProperty(
        "FullHeight", [this](TReader& reader) { fullHeight_ = reader.ReadInteger(); },
        [this](TWriter& writer) { writer.WriteInteger(fullHeight_); }, true);
}

void TCustomAdvPanel::Loaded()
{
    TCustomPanel::Loaded();
    if (position_->Save())
        LoadPosition();
    loadedOrigin_ = ClientOrigin();
    loadedSize_ = SIZE{Width(), Height()};
    normalCursor_ = Cursor();
    savedColor_ = Color();
    if (styler_)
        ApplySettings(styler_->Settings());
}

void TCustomAdvPanel::WndProc(TMessage& message)
{
    TCustomPanel::WndProc(message);
    if (message.Msg == WM_DESTROY && position_->Save())
        SavePosition();
}

void TCustomAdvPanel::CreateWnd()
{
    TCustomPanel::CreateWnd();
    auto* group = dynamic_cast<TAdvPanelGroup*>(Parent());
    if (!Designing() || !group)
        return;
    if (group->GroupStyle() == gsVertical)
        SetBounds(group->HorzPadding(), std::max(Top(), group->VertPadding()),
                  group->Width() - 2 * group->HorzPadding(), Height());
    else
        SetBounds(std::max(Left(), group->HorzPadding()), group->VertPadding(), Width(),
                  group->Height() - 2 * group->HorzPadding());
}

void TCustomAdvPanel::SetBounds(int left, int top, int width, int height)
{
    TCustomPanel::SetBounds(left, top, width, height);
    if (!collaps_ && !animating_)
        fullHeight_ = TopCaption() ? Height() : Width();
    if (Designing())
        RearrangeParentGroup();
    if (width != lastBoundsWidth_ || height != lastBoundsHeight_) {
        for (int i = 0; i < ControlCount(); ++i)
            Controls(i)->Invalidate();
        Invalidate();
    }
    lastBoundsWidth_ = width;
    lastBoundsHeight_ = height;
}

void TCustomAdvPanel::ChangeScale(int m, int d)
{
    TCustomPanel::ChangeScale(m, d);
    caption_->SetHeight(MulDiv(caption_->Height(), m, d));
    caption_->Font()->SetSize(MulDiv(caption_->Font()->Size(), m, d));
}

void TCustomAdvPanel::AlignControls(TControl* control, RECT& rect)
{
    if (caption_->Visible()) {
        LONG& start = TopCaption() ? rect.top : rect.left;
        if (start < caption_->Height())
            start = caption_->Height() - 2;
    }
    if (statusBar_->Visible()) {
        LONG& end = TopCaption() ? rect.bottom : rect.right;
        const int limit = (TopCaption() ? Height() : Width()) - statusBar_->Height();
        if (end > limit)
            end = limit;
    }
    TCustomPanel::AlignControls(control, rect);
}

void TCustomAdvPanel::RearrangeParentGroup()
{
    if (auto* group = dynamic_cast<TAdvPanelGroup*>(Parent()))
        group->ChildPanelChanged();
}

bool TCustomAdvPanel::Themed() const
{
    return isXP_ && draw::apxpvs::IsThemeActive && draw::apxpvs::IsThemeActive();
}

void TCustomAdvPanel::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCustomAdvPanel*>(source);
    if (!other)
        throw EInvalidCast(messages::InvalidCast);
    anchorHint_ = other->AnchorHint();
    autoHideChildren_ = other->AutoHideChildren();
    background_->Assign(other->Background());
    SetBackgroundPosition(other->BackgroundPosition());
    SetBevelInner(other->BevelInner());
    SetBevelOuter(other->BevelOuter());
    SetBevelWidth(other->BevelWidth());
    SetBorderColor(other->BorderColor());
    SetBorderShadow(other->BorderShadow());
    SetBorderStyle(other->BorderStyle());
    canMove_ = other->CanMove();
    SetCanSize(other->CanSize());
    caption_->Assign(other->Caption());
    collapsColor_ = other->CollapsColor();
    collapsDelay_ = other->CollapsDelay();
    collapsSteps_ = other->CollapsSteps();
    SetColor(other->Color());
    SetColorTo(other->ColorTo());
    SetColorMirror(other->ColorMirror());
    SetColorMirrorTo(other->ColorMirrorTo());
    SetCursor(other->Cursor());
    SetEnabled(other->Enabled());
    SetFont(other->Font());
    fixedTop_ = other->FixedTop();
    fixedLeft_ = other->FixedLeft();
    fixedHeight_ = other->FixedHeight();
    fixedWidth_ = other->FixedWidth();
    freeOnClose_ = other->FreeOnClose();
    SetHeight(other->Height());
    SetHint(other->Hint());
    hover_ = other->Hover();
    hoverColor_ = other->HoverColor();
    hoverFontColor_ = other->HoverFontColor();
    SetImages(other->Images());
    SetParentColor(other->ParentColor());
    SetParentFont(other->ParentFont());
    SetParentShowHint(other->ParentShowHint());
    SetPictureContainer(other->PictureContainer());
    SetPopupMenu(other->PopupMenu());
    position_->Assign(other->Position());
    statusBar_->Assign(other->StatusBar());
    SetShadowColor(other->ShadowColor());
    SetShadowOffset(other->ShadowOffset());
    SetShowHint(other->ShowHint());
    showMoveCursor_ = other->ShowMoveCursor();
    SetTabStop(other->TabStop());
    SetTag(other->Tag());
    SetText(other->Text());
    SetTextVAlign(other->TextVAlign());
    SetURLColor(other->URLColor());
    SetVisible(other->Visible());
}

// ---- painting ---------------------------------------------------------------------------------

namespace {

html::HtmlDrawRequest PanelTextRequest(TCanvas* canvas, const std::string& text, const RECT& r)
{
    html::HtmlDrawRequest request;
    request.Canvas = canvas;
    request.Text = text;
    request.Rect = r;
    request.BlinkPhase = false;
    return request;
}

// Plain text written upward (the canvas font turned by 270 degrees clockwise), in the font's
// colour on what is there.
void DrawRotatedText(TCanvas* canvas, int x, int y, const std::string& text)
{
    HDC dc = canvas->Handle();
    LOGFONTA rotated{};
    GetObjectA(canvas->Font()->Handle(), sizeof(rotated), &rotated);
    rotated.lfEscapement = -2700;
    rotated.lfOrientation = 30;
    HFONT font = CreateFontIndirectA(&rotated);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, Rgb(canvas->Font()->Color()));
    SetBkMode(dc, TRANSPARENT);
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

} // namespace

html::HtmlDrawRequest TCustomAdvPanel::DisplayRequest(TCanvas* canvas, const std::string& text,
                                                      const RECT& r, int hotIndex,
                                                      bool wordWrap) const
{
    html::HtmlDrawRequest request = PanelTextRequest(canvas, text, r);
    request.Images = images_;
    request.HotIndex = hotIndex;
    request.ShadowOffset = shadowOffset_;
    request.HotEffects = hover_;
    request.WordWrap = wordWrap;
    request.LinkColor = urlColor_;
    request.HotBackColor = hoverColor_;
    request.HotTextColor = hoverFontColor_;
    request.ShadowColor = shadowColor_;
    request.PictureCache = pictureCache_;
    request.PictureContainer = pictureContainer_;
    request.LineSpacing = lineSpacing_;
    return request;
}

void TCustomAdvPanel::WMEraseBkgnd(TMessage& m)
{
    // Paint covers the whole client area.
    m.Result = 1;
}

void TCustomAdvPanel::Paint()
{
    const RECT client = ClientRect();
    std::unique_ptr<TBitmap> buffer;
    TCanvas* canvas = Canvas();
    if (buffered_) {
        buffer = std::make_unique<TBitmap>();
        buffer->SetSize(client.right - client.left, client.bottom - client.top);
        canvas = buffer->Canvas();
    }
    RECT r = client;
    PaintBackground(canvas, r);
    PaintBorderAndBevels(canvas, r);

    canvas->Pen()->SetColor(Color());
    canvas->Brush()->SetColor(Color());
    r = client;
    if (caption_->Visible()) {
        if (TopCaption())
            r.top += caption_->Height() - 2 * BevelWidth();
        else
            r.left += caption_->Height() - 2 * BevelWidth() + 2;
    }
    if (borderShadow_) {
        r.right -= 2;
        r.bottom -= 3;
    }
    {
        ClipTo clip(canvas, r);
        PaintBackgroundPicture(canvas, r);
        InflateRect(&r, -(BorderWidth() + 1), -(BorderWidth() + 1));
        r.left += indent_;
        r.top += topIndent_;
        if (statusBar_->Visible()) {
            if (TopCaption())
                r.bottom -= statusBar_->Height();
            else
                r.right -= statusBar_->Height();
        }
        canvas->SetFont(Font());
        PaintBodyText(canvas, r);
    }
    if (caption_->Visible())
        PaintCaption(canvas);
    if (statusBar_->Visible())
        PaintStatusStrip(canvas);
    if (!collaps_ && canSize_)
        PaintSizeGrip(canvas);
    if (OnPaint)
        OnPaint(this, canvas, client);
    if (buffer)
        Canvas()->Draw(0, 0, buffer.get());
}

void TCustomAdvPanel::PaintBackground(TCanvas* canvas, RECT& r)
{
    if (colorTo_ == clNone)
        FillWith(canvas, Color(), r);
    else if (colorMirror_ == clNone)
        DrawPanelGradient(canvas, Color(), colorTo_, 64, r, gradientDirection_ == gdHorizontal);
    else
        DrawPanelMirrorGradient(canvas, r, Color(), colorTo_, colorMirror_, colorMirrorTo_,
                                gradientDirection_);
}

void TCustomAdvPanel::PaintBorderAndBevels(TCanvas* canvas, RECT& r)
{
    if (borderColor_ != clNone && BorderWidth() > 0) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Pen()->SetColor(borderColor_);
        canvas->Pen()->SetWidth(1);
        if (borderShadow_) {
            r.right -= 2;
            r.bottom -= 2;
        }
        canvas->Rectangle(r);
        if (borderShadow_) {
            canvas->Pen()->SetColor(BlendPanelColors(borderColor_, clBtnFace, 50));
            canvas->Polyline({{r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}});
            canvas->Pen()->SetColor(BlendPanelColors(borderColor_, clBtnFace, 20));
            canvas->Polyline(
                {{r.right + 1, r.top}, {r.right + 1, r.bottom + 1}, {r.left, r.bottom + 1}});
        }
        canvas->Brush()->SetStyle(bsSolid);
    }
    const auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const bool lowered = cut == bvLowered;
        Frame3D(canvas, r, lowered ? clBtnShadow : clBtnHighlight,
                lowered ? clBtnHighlight : clBtnShadow, BevelWidth());
    };
    bevel(BevelOuter());
    if (borderColor_ == clNone)
        Frame3D(canvas, r, Color(), Color(), 1);
    bevel(BevelInner());
}

void TCustomAdvPanel::PaintBackgroundPicture(TCanvas* canvas, const RECT& r)
{
    if (background_->Empty())
        return;
    const int w = background_->Width(), h = background_->Height();
    const int rightX = std::max<int>(r.left, (r.right - r.left) - w - BevelWidth());
    const int bottomY = std::max<int>(r.top, Height() - h - BevelWidth());
    switch (backgroundPosition_) {
        case bpTopLeft:
            canvas->Draw(r.left, r.top, background_);
            break;
        case bpTopRight:
            canvas->Draw(rightX, r.top, background_);
            break;
        case bpBottomLeft:
            canvas->Draw(r.left, bottomY, background_);
            break;
        case bpBottomRight:
            canvas->Draw(rightX, bottomY, background_);
            break;
        case bpTiled:
            // A picture without extent would never advance the tiling.
            if (w <= 0 || h <= 0)
                break;
            for (int y = r.top; y < Height(); y += h)
                for (int x = r.left; x < Width(); x += w)
                    canvas->Draw(x, y, background_);
            break;
        case bpStretched:
            canvas->StretchDraw(r, background_);
            break;
        case bpCenter:
            canvas->Draw(static_cast<int>(static_cast<unsigned>(rightX) / 2u),
                         static_cast<int>(static_cast<unsigned>(bottomY) / 2u), background_);
            break;
    }
}

void TCustomAdvPanel::PaintBodyText(TCanvas* canvas, RECT r)
{
    html::HtmlDrawRequest request = DisplayRequest(canvas, text_, r, bodyHotAnchor_, !ellipsis_);
    html::HtmlDrawResult result;
    if (textVAlign_ == tvaCenter || textVAlign_ == tvaBottom) {
        html::HtmlDrawRequest measure = request;
        measure.HitTestOnly = true;
        DrawHtmlText(measure, result);
        const int th = result.TextHeight;
        if (r.bottom - r.top > th) {
            if (textVAlign_ == tvaCenter)
                r.top += (r.bottom - r.top - th) / 2;
            else
                r.top = r.bottom - th;
        }
        request.Rect = r;
    }
    DrawHtmlText(request, result);
}

// ---- caption bar ------------------------------------------------------------------------------

void TCustomAdvPanel::DrawThemePart(TCanvas* canvas, int part, RECT r)
{
    namespace theme = draw::apxpvs;
    if (!theme::OpenThemeData || !theme::DrawThemeBackground || !theme::CloseThemeData)
        return;
    HTHEME data = theme::OpenThemeData(Handle(), L"window");
    if (!data)
        return;
    theme::DrawThemeBackground(data, canvas->Handle(), part, 1, &r, nullptr);
    theme::CloseThemeData(data);
}

void TCustomAdvPanel::PaintCaption(TCanvas* canvas)
{
    RECT r = ClientRect();
    if (borderShadow_) {
        r.left = r.top = BorderWidth();
        r.right -= BorderWidth() + 2;
    }
    if (AnyBevel())
        InflateRect(&r, -BevelWidth(), -BevelWidth());
    const TColor fill = collaps_ ? caption_->CloseColor() : caption_->Color();
    canvas->Pen()->SetColor(fill);
    canvas->Brush()->SetColor(fill);
    canvas->Brush()->SetStyle(bsSolid);
    const TShadeType type = caption_->ShadeType();
    const bool shaded = type != stNormal && !(type == stXPCaption && !Themed());
    const int extent = caption_->Height() - 2 * BevelWidth();
    RECT band = r;
    if (TopCaption())
        band.bottom = r.top + extent;
    else {
        band.right = r.left + extent;
        if (!shaded && borderShadow_)
            band.bottom = r.bottom - 3;
    }
    if (shaded)
        DrawCaptionBackground(canvas, band);
    else if (caption_->ColorTo() == clNone)
        canvas->Rectangle(band);
    else
        DrawPanelGradient(canvas, caption_->Color(), caption_->ColorTo(), 64, band,
                          caption_->GradientDirection() == gdHorizontal);
    PaintCaptionButtons(canvas, r);
    PaintCaptionText(canvas, r);
}

void TCustomAdvPanel::DrawCaptionBackground(TCanvas* canvas, RECT b)
{
    const TShadeType type = caption_->ShadeType();
    if (type == stXPCaption) {
        if (Themed()) {
            InflateRect(&b, 1, 1);
            DrawThemePart(canvas, WP_CAPTION_PART, b);
        }
        return;
    }
    if (type == stBitmap || type == stBitmapRStretch || type == stBitmapLStretch) {
        TBitmap* picture = caption_->Background();
        if (!HasPicture(picture))
            return;
        const int pw = picture->Width(), ph = picture->Height();
        TCanvas* source = picture->Canvas();
        if (type == stBitmap)
            canvas->StretchDraw(b, picture);
        else if (type == stBitmapLStretch && TopCaption()) {
            const int x0 = std::max(0, Width() - pw);
            canvas->Draw(b.left + x0, b.top, picture);
            canvas->CopyRect(RECT{0, b.top, x0, b.bottom}, source, RECT{0, 0, 2, ph});
        } else if (type == stBitmapLStretch) {
            const int y0 = std::max(0, Height() - ph);
            canvas->Draw(b.left, b.top, picture);
            canvas->CopyRect(RECT{0, b.bottom - y0, b.right, b.bottom}, source,
                             RECT{0, ph - 3, pw, ph});
        } else if (TopCaption()) {
            canvas->Draw(b.left, b.top, picture);
            canvas->CopyRect(RECT{pw, b.top, b.right, b.bottom}, source, RECT{pw - 3, 0, pw, ph});
        } else {
            canvas->Draw(b.left, b.bottom - ph, picture);
            canvas->CopyRect(RECT{b.left, b.top, b.right, b.bottom - ph}, source,
                             RECT{0, 0, pw, 3});
        }
        return;
    }
    const TColor highlight = clWhite, shadow = ShadowGrey;
    HDC dc = canvas->Handle();
    HRGN clipRegion = nullptr;
    const auto clippedRoundRect = [&](TColor pen, const RECT& clip) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        canvas->Pen()->SetColor(pen);
        canvas->RoundRect(b.left, b.top, b.right, b.bottom, 32, 32);
        RestoreDC(dc, saved);
    };
    switch (caption_->Shape()) {
        case csRectangle:
            if (!caption_->Flat()) {
                canvas->Pen()->SetColor(shadow);
                canvas->Polyline(
                    {{b.left, b.bottom - 1}, {b.right - 1, b.bottom - 1}, {b.right - 1, b.top}});
                canvas->Pen()->SetColor(highlight);
                canvas->Polyline({{b.right - 1, b.top}, {b.left, b.top}, {b.left, b.bottom - 1}});
            }
            InflateRect(&b, -1, -1);
            clipRegion = CreateRectRgnIndirect(&b);
            break;
        case csRounded:
            clippedRoundRect(shadow,
                             RECT{b.left, b.top + (b.bottom - b.top) / 2, b.right, b.bottom});
            canvas->Pen()->SetColor(highlight);
            canvas->RoundRect(b.left, b.top, b.right, b.bottom, 32, 32);
            canvas->Pen()->SetColor(shadow);
            canvas->MoveTo(b.left + 16, b.bottom - 1);
            canvas->LineTo(b.right - 16, b.bottom - 1);
            ++b.top;
            clipRegion = CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, 32, 32);
            break;
        case csSemiRounded: {
            clippedRoundRect(shadow,
                             RECT{b.left, b.top + (b.bottom - b.top) / 2, b.right, b.bottom});
            clippedRoundRect(highlight,
                             RECT{b.left, b.top, b.right, b.bottom - (b.bottom - b.top) / 2});
            canvas->Pen()->SetColor(highlight);
            canvas->Polyline({{b.left + (b.right - b.left) / 2, b.top},
                              {b.left, b.top},
                              {b.left, b.bottom - 1}});
            canvas->Pen()->SetColor(shadow);
            canvas->LineTo(b.right - 16, b.bottom - 1);
            ++b.left;
            ++b.top;
            clipRegion = CreateRoundRectRgn(b.left, b.top, b.right, b.bottom, 32, 32);
            HRGN square =
                CreateRectRgn(b.left, b.top, b.right - (b.right - b.left) / 2, b.bottom - 1);
            CombineRgn(clipRegion, clipRegion, square, RGN_OR);
            DeleteObject(square);
            break;
        }
    }
    ClipTo clip(canvas, clipRegion);
    canvas->Draw(b.left, b.top, shadeBitmap_);
}

void TCustomAdvPanel::BuildShadeBitmap()
{
    const bool top = TopCaption();
    TShadeRequest request;
    request.type = caption_->ShadeType();
    request.width = top ? Width() : caption_->Height();
    request.height = top ? caption_->Height() : Height();
    request.orientation = top ? TShadeOrientation::Top : TShadeOrientation::Left;
    request.color = Rgb(caption_->Color());
    request.light = caption_->ShadeLight();
    request.grain = caption_->ShadeGrain();
    const std::vector<uint32_t> pixels = BuildShadePixels(request);
    shadeBitmap_->SetPixelFormat(pf32bit);
    shadeBitmap_->SetSize(std::max(request.width, 0), std::max(request.height, 0));
    for (int y = 0; y < shadeBitmap_->Height(); ++y) {
        auto* row = static_cast<uint32_t*>(shadeBitmap_->ScanLine(y));
        for (int x = 0; x < shadeBitmap_->Width(); ++x) {
            const uint32_t c = pixels[static_cast<size_t>(y) * static_cast<size_t>(request.width) +
                                      static_cast<size_t>(x)];
            // 0x00BBGGRR to the DIB's blue-green-red byte order
            row[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        }
    }
}

RECT TCustomAdvPanel::ButtonSquare(const RECT& r, bool, int bw) const
{
    const RECT topRight{r.right - 2 - bw, r.top + 2, r.right - 2, r.top + 2 + bw};
    const RECT topLeft{r.left + 2, r.top + 2, r.left + 2 + bw, r.top + 2 + bw};
    const RECT bottomLeft{r.left + 2, r.bottom - 2 - bw, r.left + 2 + bw, r.bottom - 2};
    const bool right = caption_->ButtonPosition() == cbpRight;
    if (TopCaption())
        return right ? topRight : topLeft;
    return right ? topLeft : bottomLeft;
}

void TCustomAdvPanel::PaintCaptionButtons(TCanvas* canvas, RECT& b)
{
    const bool top = TopCaption(), right = caption_->ButtonPosition() == cbpRight;
    const bool themed = caption_->ShadeType() == stXPCaption && Themed();
    // The 14 x 14 place of a themed button.
    const auto themedRect = [&]() -> RECT {
        if (top)
            return right ? RECT{b.right - 16, b.top + 4, b.right - 2, b.top + 18}
                         : RECT{b.left + 2, b.top + 4, b.left + 16, b.top + 18};
        return right ? RECT{b.left + 4, b.top + 2, b.left + 18, b.top + 16}
                     : RECT{b.left + 4, b.bottom - 16, b.left + 18, b.bottom - 2};
    };
    // Where a glyph goes, by side; `advance` moves the edge past it.
    const auto glyphAt = [&](TBitmap* glyph, bool advance) {
        const int gw = glyph->Width(), gh = glyph->Height();
        if (top && right) {
            DrawTransparentGlyph(canvas, glyph, b.right - gw, b.top + 2);
            if (advance)
                b.right -= gw;
        } else if (top) {
            DrawTransparentGlyph(canvas, glyph, b.left, b.top + 2);
            if (advance)
                b.left += gw;
        } else if (right) {
            DrawTransparentGlyph(canvas, glyph, b.left + 2, b.top);
            if (advance)
                b.top += gh;
        } else {
            DrawTransparentGlyph(canvas, glyph, b.left + 2, b.bottom - gh);
            if (advance)
                b.bottom -= gh;
        }
    };
    if (caption_->CloseButton()) {
        if (themed) {
            DrawThemePart(canvas, WP_CLOSEBUTTON_PART, themedRect());
            if (top)
                (right ? b.right : b.left) += right ? -14 : 14;
            else
                (right ? b.top : b.bottom) += right ? 14 : -14;
        } else if (HasPicture(caption_->CloseMinGlyph()) && HasPicture(caption_->CloseMaxGlyph())) {
            glyphAt(collaps_ ? caption_->CloseMinGlyph() : caption_->CloseMaxGlyph(), true);
        } else {
            const TColor hover = caption_->CloseButtonHoverColor();
            canvas->Pen()->SetColor(
                closeButtonHot_ && hover != clNone ? hover : caption_->CloseButtonColor());
            canvas->Pen()->SetWidth(2);
            const auto line = [&](int x1, int y1, int x2, int y2) {
                canvas->MoveTo(x1, y1);
                canvas->LineTo(x2, y2);
            };
            if (top && right) {
                line(b.right - 10, b.top + 4, b.right - 4, b.top + 10);
                line(b.right - 4, b.top + 4, b.right - 10, b.top + 10);
                b.right -= 12;
            } else if (top || right) {
                line(b.left + 4, b.top + 4, b.left + 10, b.top + 10);
                line(b.left + 10, b.top + 4, b.left + 4, b.top + 10);
                (top ? b.left : b.top) += 12;
            } else {
                line(b.left + 4, b.bottom - 4, b.left + 10, b.bottom - 10);
                line(b.left + 10, b.bottom - 4, b.left + 4, b.bottom - 10);
                b.bottom -= 12;
            }
            canvas->Pen()->SetWidth(1);
        }
    }
    if (caption_->MinMaxButton()) {
        TBitmap* glyph = collaps_ ? caption_->MaxGlyph() : caption_->MinGlyph();
        if (themed) {
            DrawThemePart(canvas, collaps_ ? WP_MAXBUTTON_PART : WP_MINBUTTON_PART, themedRect());
        } else if (HasPicture(glyph)) {
            glyphAt(glyph, false);
        } else {
            const TColor hover = caption_->MinMaxButtonHoverColor();
            const TColor color =
                minMaxButtonHot_ && hover != clNone ? hover : caption_->MinMaxButtonColor();
            canvas->Pen()->SetWidth(1);
            canvas->Pen()->SetColor(color);
            canvas->Brush()->SetColor(color);
            canvas->Brush()->SetStyle(bsSolid);
            // The base of the triangle at offset `base`, its tip at `tip`, in the pointing axis.
            const int base = collaps_ ? 5 : 8, tip = collaps_ ? 8 : 5;
            if (top && right)
                canvas->Polygon({{b.right - 10, b.top + base},
                                 {b.right - 4, b.top + base},
                                 {b.right - 7, b.top + tip}});
            else if (top)
                canvas->Polygon({{b.left + 4, b.top + base},
                                 {b.left + 10, b.top + base},
                                 {b.left + 7, b.top + tip}});
            else if (right)
                canvas->Polygon({{b.left + base, b.top + 10},
                                 {b.left + base, b.top + 4},
                                 {b.left + tip, b.top + 7}});
            else
                canvas->Polygon({{b.left + base, b.bottom - 4},
                                 {b.left + base, b.bottom - 10},
                                 {b.left + tip, b.bottom - 7}});
        }
    }
}

void TCustomAdvPanel::PaintCaptionText(TCanvas* canvas, RECT b)
{
    const bool right = caption_->ButtonPosition() == cbpRight;
    const int buttons = (caption_->CloseButton() ? 1 : 0) + (caption_->MinMaxButton() ? 1 : 0);
    canvas->SetFont(caption_->Font());
    if (TopCaption()) {
        (right ? b.right : b.left) += (right ? -20 : 20) * buttons;
        b.bottom = b.top + caption_->Height();
        b.left += caption_->Indent();
        b.top += caption_->TopIndent();
        html::HtmlDrawResult result;
        DrawHtmlText(DisplayRequest(canvas, caption_->Text(), b, captionHotAnchor_, false), result);
        return;
    }
    (right ? b.top : b.bottom) += (right ? 20 : -20) * buttons;
    b.right = b.left + caption_->Height();
    b.bottom -= caption_->Indent();
    b.left += caption_->TopIndent();
    canvas->Brush()->SetStyle(bsClear);
    DrawRotatedText(canvas, b.left, b.bottom, caption_->Text());
    canvas->Brush()->SetStyle(bsSolid);
}

// ---- status strip and size grip ---------------------------------------------------------------

void TCustomAdvPanel::PaintStatusStrip(TCanvas* canvas)
{
    const bool top = TopCaption();
    const int sh = statusBar_->Height();
    RECT s = top ? RECT{1, Height() - sh - 1, Width() - 1, Height() - 1}
                 : RECT{Width() - sh - 1, 1, Width() - 1, Height() - 1};
    if (statusBar_->Color() != clNone && statusBar_->ColorTo() != clNone)
        DrawPanelGradient(canvas, statusBar_->Color(), statusBar_->ColorTo(), 40, s,
                          statusBar_->GradientDirection() == gdHorizontal);
    else if (statusBar_->Color() != clNone)
        FillWith(canvas, statusBar_->Color(), s);
    const bool grip = !collaps_ && canSize_;
    if (statusBar_->ImageIndex() >= 0 && images_) {
        if (top) {
            images_->Draw(canvas, s.left + 1, s.top + 2, statusBar_->ImageIndex());
            s.left += images_->Width() + 2;
        } else {
            images_->Draw(canvas, s.left + 2, s.bottom - images_->Height() - (grip ? 12 : 1),
                          statusBar_->ImageIndex());
            s.bottom -= images_->Height() + 2;
        }
    }
    canvas->SetFont(statusBar_->Font());
    if (top) {
        RECT textRect = s;
        textRect.left += 2;
        html::HtmlDrawResult result;
        DrawHtmlText(DisplayRequest(canvas, statusBar_->Text(), textRect, captionHotAnchor_, false),
                     result);
    } else {
        DrawRotatedText(canvas, s.left + 2, s.bottom - (grip ? 16 : 2), statusBar_->Text());
    }
    if (statusBar_->BorderStyle() != bsNone && statusBar_->BorderColor() != clNone) {
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetColor(statusBar_->BorderColor());
        canvas->Brush()->SetStyle(bsClear);
        if (top)
            canvas->Rectangle(0, s.top, s.right + 1, s.bottom + 1);
        else
            canvas->Rectangle(s.left, s.top, s.right + 1, Height());
        canvas->Brush()->SetStyle(bsSolid);
    }
    if (statusBar_->BevelInner()) {
        canvas->Pen()->SetWidth(1);
        if (top) {
            canvas->Pen()->SetColor(ShadowGrey);
            canvas->Polyline({{0, s.bottom - 1}, {0, s.top}, {s.right, s.top}});
            canvas->Pen()->SetColor(clWhite);
            canvas->Polyline(
                {{0, s.bottom - 1}, {s.right - 1, s.bottom - 1}, {s.right - 1, s.top}});
        } else {
            canvas->Pen()->SetColor(ShadowGrey);
            canvas->Polyline({{s.left, Height()}, {s.left, s.top}, {s.right - 1, s.top}});
            canvas->Pen()->SetColor(clWhite);
            canvas->Polyline({{s.left, Height()}, {s.right - 1, Height()}, {s.right - 1, s.top}});
        }
    }
}

void TCustomAdvPanel::PaintSizeGrip(TCanvas* canvas)
{
    RECT r = ClientRect();
    if (AnyBevel())
        InflateRect(&r, -2 * BevelWidth(), -2 * BevelWidth());
    if (borderShadow_) {
        r.right -= 4;
        r.bottom -= 4;
    }
    const auto diagonal = [&](int along) {
        canvas->MoveTo(r.right, r.bottom - along);
        canvas->LineTo(r.right - along, r.bottom);
    };
    canvas->Pen()->SetColor(ShadowGrey);
    canvas->Pen()->SetWidth(2);
    canvas->MoveTo(r.right, r.bottom - 11);
    canvas->LineTo(r.right - 11, r.bottom);
    canvas->MoveTo(r.right, r.bottom - 6);
    canvas->LineTo(r.right - 7, r.bottom);
    canvas->MoveTo(r.right, r.bottom - 3);
    canvas->LineTo(r.right - 3, r.bottom);
    canvas->Pen()->SetColor(clWhite);
    canvas->Pen()->SetWidth(1);
    for (int along : {12, 8, 4})
        diagonal(along);
}

// ---- collapse and expand ----------------------------------------------------------------------

void TCustomAdvPanel::HideChildren()
{
    hiddenChildren_.clear();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (!child->Visible())
            hiddenChildren_.push_back(child);
        child->SetVisible(false);
    }
}

void TCustomAdvPanel::ShowChildren()
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (std::find(hiddenChildren_.begin(), hiddenChildren_.end(), child) ==
            hiddenChildren_.end())
            child->SetVisible(true);
    }
    hiddenChildren_.clear();
}

void TCustomAdvPanel::SetCollaps(bool value)
{
    if (collaps_ && !value && OnMaximize)
        OnMaximize(this);
    if (!collaps_ && value && OnMinimize)
        OnMinimize(this);
    if (animating_)
        return;
    const int extra = BorderWidth() > 0 && borderShadow_ ? BorderWidth() + 4 : 0;
    if (value != collaps_) {
        animating_ = true;
        collaps_ = value;
        if (!Loading()) {
            const bool top = TopCaption();
            const auto extentNow = [&] { return top ? Height() : Width(); };
            const auto setExtent = [&](int v) {
                if (top)
                    SetBounds(Left(), Top(), Width(), v);
                else
                    SetBounds(Left(), Top(), v, Height());
            };
            const auto animate = [&](int step, int direction) {
                for (int i = 0; i < collapsSteps_; ++i) {
                    setExtent(extentNow() + direction * step);
                    if (Application)
                        Application->ProcessMessages();
                    RearrangeParentGroup();
                    if (collapsDelay_ > 0)
                        Sleep(static_cast<DWORD>(collapsDelay_));
                }
            };
            if (value) {
                fullHeight_ = extentNow();
                if (autoHideChildren_)
                    HideChildren();
                savedColor_ = Color();
                if (collapsSteps_ > 0) {
                    SetColor(collapsColor_);
                    const int step =
                        top ? (Height() - caption_->Height() - StripHeight() - 2 * BorderWidth()) /
                                  collapsSteps_
                            : (Width() - caption_->Height() - StripHeight()) / collapsSteps_;
                    animate(step, -1);
                }
                setExtent(top ? caption_->Height() + StripHeight() - 2 + extra
                              : caption_->Height() + StripHeight() + extra);
            } else {
                if (collapsSteps_ > 0) {
                    SetColor(savedColor_);
                    animate((fullHeight_ - caption_->Height() - StripHeight()) / collapsSteps_, 1);
                }
                setExtent(fullHeight_);
                if (autoHideChildren_)
                    ShowChildren();
            }
            RearrangeParentGroup();
        }
        animating_ = false;
    }
    ArrangeGroup();
    if (OnEndCollapsExpand)
        OnEndCollapsExpand(this);
    // A close with FreeOnClose that came in while the animation pumped messages.
    if (releasePending_ && HandleAllocated())
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TCustomAdvPanel::ClosePanel()
{
    SetVisible(false);
    if (OnClose)
        OnClose(this);
    RearrangeParentGroup();
    if (freeOnClose_) {
        // Freed after this mouse message, and never inside a running animation (whose loop
        // still uses the panel): CMReleasePanel waits for the animation's end.
        releasePending_ = true;
        PostMessageA(Handle(), CM_RELEASE, 0, 0);
    }
}

void TCustomAdvPanel::CMReleasePanel(TMessage&)
{
    if (!releasePending_ || animating_)
        return;
    Free();
}

// ---- the caption under the mouse --------------------------------------------------------------

int TCustomAdvPanel::CaptionButtonWidth(bool minGlyphWidth) const
{
    int bw = 12;
    if (HasPicture(caption_->CloseMinGlyph()) && HasPicture(caption_->CloseMaxGlyph()))
        bw = caption_->CloseMinGlyph()->Width();
    if (HasPicture(caption_->MinGlyph()) && HasPicture(caption_->MaxGlyph()))
        bw = minGlyphWidth ? caption_->MinGlyph()->Width() : caption_->MaxGlyph()->Width();
    if (caption_->ShadeType() == stXPCaption && Themed())
        bw = 16;
    return bw;
}

TCustomAdvPanel::CaptionHit TCustomAdvPanel::HitCaption(int x, int y, bool minGlyphWidth) const
{
    CaptionHit hit;
    RECT r = ClientRect();
    const int bw = CaptionButtonWidth(minGlyphWidth);
    const POINT p{x, y};
    const RECT closeSquare = ButtonSquare(r, true, bw);
    hit.close = caption_->CloseButton() && PtInRect(&closeSquare, p);
    if (caption_->CloseButton()) {
        const bool right = caption_->ButtonPosition() == cbpRight;
        if (TopCaption())
            (right ? r.right : r.left) += right ? -bw : bw;
        else
            (right ? r.top : r.bottom) += right ? bw : -bw;
    }
    const RECT minMaxSquare = ButtonSquare(r, false, bw);
    hit.minMax = caption_->MinMaxButton() && PtInRect(&minMaxSquare, p);
    const RECT area = TopCaption() ? RECT{r.left, r.top, r.right - 2, r.top + caption_->Height()}
                                   : RECT{r.left, r.top, r.left + caption_->Height(), r.bottom};
    hit.caption = PtInRect(&area, p) != FALSE;
    return hit;
}

void TCustomAdvPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseUp(button, shift, x, y);
    if (Designing() || !caption_->Visible())
        return;
    bool toggle = caption_->MinMaxCaption();
    const CaptionHit hit = HitCaption(x, y, false);
    if (hit.close) {
        ClosePanel();
        return;
    }
    if (hit.minMax) {
        toggle = false;
        SetCollaps(!collaps_);
    }
    if (hit.caption) {
        if (toggle)
            SetCollaps(!collaps_);
        if (OnCaptionClick)
            OnCaptionClick(this);
    }
}

void TCustomAdvPanel::WMLButtonDblClk(TMessage& m)
{
    Inherited(TCustomAdvPanel::StaticClass(), m);
    if (!caption_->Visible())
        return;
    const POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    const RECT c = ClientRect();
    const RECT area = TopCaption() ? RECT{c.left, c.top, c.right - 2, c.top + caption_->Height()}
                                   : RECT{c.left, c.top, c.left + caption_->Height(), c.bottom};
    if (PtInRect(&area, p) && OnCaptionDBlClick)
        OnCaptionDBlClick(this);
}

// ---- anchors ----------------------------------------------------------------------------------

std::string TCustomAdvPanel::AnchorAt(int x, int y, RECT& anchorRect)
{
    RECT t = ClientRect();
    if (AnyBevel())
        InflateRect(&t, -BevelWidth(), -BevelWidth());
    if (borderShadow_) {
        t.right -= 2;
        t.bottom -= 2;
    }
    InflateRect(&t, -(BorderWidth() + 1), -(BorderWidth() + 1));
    t.left += indent_;
    t.top += topIndent_;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(Font());
    const auto hitRequest = [&](const std::string& text, const RECT& r) {
        html::HtmlDrawRequest request = PanelTextRequest(canvas, text, r);
        request.Images = images_;
        request.X = x;
        request.Y = y;
        request.ShadowOffset = 2;
        request.HitTestOnly = true;
        request.WordWrap = true;
        request.HotEffects = hover_;
        request.LinkColor = urlColor_;
        request.HotBackColor = 0xFF0000;
        request.HotTextColor = 0x0000FF;
        request.ShadowColor = ShadowGrey;
        request.PictureCache = pictureCache_;
        request.PictureContainer = pictureContainer_;
        request.LineSpacing = lineSpacing_;
        return request;
    };
    int th = 0;
    const bool aligned = textVAlign_ == tvaCenter || textVAlign_ == tvaBottom;
    if (aligned) {
        html::HtmlDrawResult measured;
        DrawHtmlText(hitRequest(text_, t), measured);
        th = measured.TextHeight;
    }
    const auto align = [&](RECT& r) {
        if (aligned && r.bottom - r.top > th) {
            if (textVAlign_ == tvaCenter)
                r.top += (r.bottom - r.top - th) >> 1;
            else
                r.top = r.bottom - th;
        }
    };
    const bool inCaption =
        caption_->Visible() && (TopCaption() ? y < caption_->Height() : x < caption_->Height());
    html::HtmlDrawResult result;
    bool hit = false;
    if (inCaption) {
        if (!TopCaption())
            return {};
        t.bottom = t.top + caption_->Height();
        align(t);
        canvas->SetFont(caption_->Font());
        t.left += caption_->Indent();
        t.top += caption_->TopIndent();
        hit = DrawHtmlText(hitRequest(caption_->Text(), t), result);
        captionHotAnchor_ = result.HitAnchorIndex;
    } else {
        if (caption_->Visible())
            (TopCaption() ? t.top : t.left) += caption_->Height();
        align(t);
        canvas->SetFont(Font());
        t.bottom += 20;
        hit = DrawHtmlText(hitRequest(text_, t), result);
        bodyHotAnchor_ = result.HitAnchorIndex;
    }
    if (!hit)
        return {};
    anchorRect = result.HitAnchorRect;
    return result.HitAnchor;
}

void TCustomAdvPanel::InvalidateRect(const RECT& r)
{
    if (HandleAllocated())
        ::InvalidateRect(Handle(), &r, FALSE);
}

void TCustomAdvPanel::SetPanelCursor(TCursor cursor)
{
    SetCursor(cursor);
}

void TCustomAdvPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomPanel::MouseDown(button, shift, x, y);
    RECT anchorRect{};
    const std::string anchor = AnchorAt(x, y, anchorRect);
    if (anchor.empty())
        return;
    if (html::OpensInShell(anchor))
        html::OpenAnchorInShell(anchor);
    else if (OnAnchorClick)
        OnAnchorClick(this, anchor);
}

void TCustomAdvPanel::MouseMove(TShiftState shift, int x, int y)
{
    TCustomPanel::MouseMove(shift, x, y);
    RECT anchorRect{};
    const std::string anchor = AnchorAt(x, y, anchorRect);
    movingByCaption_ = false;
    if (caption_->Visible() && !Designing()) {
        const CaptionHit hit = HitCaption(x, y, false);
        if (caption_->CloseButtonHoverColor() != clNone && hit.close != closeButtonHot_) {
            closeButtonHot_ = hit.close;
            Invalidate();
        }
        if (caption_->MinMaxButtonHoverColor() != clNone && hit.minMax != minMaxButtonHot_) {
            minMaxButtonHot_ = hit.minMax;
            Invalidate();
        }
    }
    const auto enterAnchor = [&](bool changed) {
        if (Cursor() == normalCursor_ || changed) {
            SetPanelCursor(crHandPoint);
            if (OnAnchorEnter)
                OnAnchorEnter(this, anchor);
            if (hover_)
                InvalidateRect(anchorRect);
        }
    };
    const bool inCaption =
        caption_->Visible() && (TopCaption() ? y < caption_->Height() : x < caption_->Height());
    if (inCaption) {
        if (bodyHotAnchor_ != -1) {
            bodyHotAnchor_ = bodyHotAnchorPrevious_ = -1;
            if (hover_)
                InvalidateRect(bodyAnchorRect_);
        }
        if (!anchor.empty()) {
            const bool changed = anchor != lastAnchor_;
            if (changed || !EqualRect(&anchorRect, &captionAnchorRect_) ||
                captionHotAnchor_ == -1) {
                if (hover_ && !lastAnchor_.empty())
                    InvalidateRect(captionAnchorRect_);
                if (hover_)
                    InvalidateRect(anchorRect);
            }
            enterAnchor(changed);
            lastAnchor_ = anchor;
            captionAnchorRect_ = anchorRect;
        } else if (Cursor() == crHandPoint) {
            SetPanelCursor(normalCursor_);
            if (OnAnchorExit)
                OnAnchorExit(this, std::string());
            captionHotAnchor_ = -1;
            if (hover_)
                InvalidateRect(captionAnchorRect_);
        }
        return;
    }
    if (captionHotAnchor_ != -1) {
        captionHotAnchor_ = -1;
        if (hover_)
            InvalidateRect(captionAnchorRect_);
    }
    if (!anchor.empty()) {
        const bool changed = anchor != lastAnchor_;
        if (changed || !EqualRect(&anchorRect, &bodyAnchorRect_) || bodyHotAnchor_ == -1 ||
            bodyHotAnchor_ != bodyHotAnchorPrevious_) {
            InflateRect(&bodyAnchorRect_, 1, 1);
            if (hover_) {
                InvalidateRect(bodyAnchorRect_);
                InvalidateRect(anchorRect);
            }
        }
        enterAnchor(changed);
        lastAnchor_ = anchor;
        bodyAnchorRect_ = anchorRect;
        bodyHotAnchorPrevious_ = bodyHotAnchor_;
    } else if (Cursor() == crHandPoint) {
        SetPanelCursor(normalCursor_);
        if (OnAnchorExit)
            OnAnchorExit(this, std::string());
        InflateRect(&bodyAnchorRect_, 1, 1);
        bodyHotAnchor_ = bodyHotAnchorPrevious_ = -1;
        if (hover_)
            InvalidateRect(bodyAnchorRect_);
    }
}

void TCustomAdvPanel::CMMouseEnter(TMessage& m)
{
    if (OnMouseEnter)
        OnMouseEnter(this);
    Inherited(TCustomAdvPanel::StaticClass(), m);
}

void TCustomAdvPanel::CMMouseLeave(TMessage& m)
{
    if (bodyHotAnchor_ != -1 || captionHotAnchor_ != -1) {
        RECT& r = bodyHotAnchor_ != -1 ? bodyAnchorRect_ : captionAnchorRect_;
        bodyHotAnchor_ = captionHotAnchor_ = -1;
        InflateRect(&r, 1, 1);
        if (hover_)
            InvalidateRect(r);
    }
    if (OnMouseLeave)
        OnMouseLeave(this);
    if (closeButtonHot_ || minMaxButtonHot_) {
        closeButtonHot_ = minMaxButtonHot_ = false;
        Invalidate();
    }
    Inherited(TCustomAdvPanel::StaticClass(), m);
}

void TCustomAdvPanel::CMHintShow(TMessage& m)
{
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    m.Result = 0;
    if (!anchorHint_ || !info)
        return;
    RECT anchorRect{};
    std::string anchor = AnchorAt(info->CursorPos.x, info->CursorPos.y, anchorRect);
    if (anchor.empty())
        return;
    if (OnAnchorHint)
        OnAnchorHint(this, anchor);
    const POINT screen = ClientToScreen(info->CursorPos);
    info->HintPos = POINT{screen.x + 10, screen.y - 10};
    info->HintStr = anchor;
}

// ---- moving and sizing ------------------------------------------------------------------------

void TCustomAdvPanel::WMNCHitTest(TMessage& m)
{
    Inherited(TCustomAdvPanel::StaticClass(), m);
    if (Designing())
        return;
    RECT r = ClientRect();
    const int bw = CaptionButtonWidth(true);
    const bool right = caption_->ButtonPosition() == cbpRight;
    const int buttons = (caption_->CloseButton() ? 1 : 0) + (caption_->MinMaxButton() ? 1 : 0);
    if (TopCaption())
        (right ? r.right : r.left) += (right ? -bw : bw) * buttons;
    else
        (right ? r.top : r.bottom) += (right ? bw : -bw) * buttons;
    const POINT p = ScreenToClient(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
    const bool inStrip = TopCaption() ? p.y < caption_->Height() && p.x > r.left && p.x < r.right
                                      : p.x < caption_->Height() && p.y > r.top && p.y < r.bottom;
    if (caption_->Visible() && inStrip && m.Result == HTCLIENT && canMove_) {
        RECT anchorRect{};
        if (AnchorAt(p.x, p.y, anchorRect).empty()) {
            MouseMove(TShiftState{}, p.x, p.y);
            m.Result = HTCAPTION;
            movingByCaption_ = true;
            BringToFront();
        }
    }
    if (p.y > Height() - GetSystemMetrics(SM_CYHSCROLL) &&
        p.x > Width() - GetSystemMetrics(SM_CXHSCROLL) && m.Result == HTCLIENT && canSize_ &&
        !collaps_) {
        BringToFront();
        m.Result = HTBOTTOMRIGHT;
    }
}

void TCustomAdvPanel::WMSetCursor(TMessage& m)
{
    Inherited(TCustomAdvPanel::StaticClass(), m);
    if (movingByCaption_ && showMoveCursor_)
        ::SetCursor(LoadCursor(nullptr, IDC_SIZEALL));
}

void TCustomAdvPanel::WMSizing(TMessage& m)
{
    if (Designing()) {
        Inherited(TCustomAdvPanel::StaticClass(), m);
        return;
    }
    auto* p = reinterpret_cast<RECT*>(m.LParam);
    if (fixedWidth_)
        p->right = p->left + loadedSize_.cx;
    if (fixedHeight_)
        p->bottom = p->top + loadedSize_.cy;
    fullHeight_ = TopCaption() ? p->bottom - p->top : p->right - p->left;
    m.Result = 0;
    if (p->right - p->left != Width())
        BuildShadeBitmap();
}

void TCustomAdvPanel::WMMoving(TMessage& m)
{
    loadedOrigin_ = ClientOrigin();
    if (!Designing()) {
        auto* p = reinterpret_cast<RECT*>(m.LParam);
        if (fixedLeft_) {
            const LONG w = p->right - p->left;
            p->left = loadedOrigin_.x;
            p->right = p->left + w;
        }
        if (fixedTop_) {
            const LONG h = p->bottom - p->top;
            p->top = loadedOrigin_.y;
            p->bottom = p->top + h;
        }
    }
    m.Result = 0;
}

void TCustomAdvPanel::WMExitSizeMove(TMessage& m)
{
    Inherited(TCustomAdvPanel::StaticClass(), m);
    if (OnEndMoveSize)
        OnEndMoveSize(this);
    RearrangeParentGroup();
}

void TCustomAdvPanel::WMSize(TMessage& m)
{
    Inherited(TCustomAdvPanel::StaticClass(), m);
    if (shadeBitmap_->Width() != Width())
        BuildShadeBitmap();
}

void TCustomAdvPanel::Resize()
{
    TCustomPanel::Resize();
    DoAutoSize();
}

// ---- auto size --------------------------------------------------------------------------------

void TCustomAdvPanel::DoAutoSize()
{
    if (!autoSize_->Enabled() || Loading())
        return;
    TBitmap scratch;
    scratch.SetSize(1, 1);
    TCanvas* canvas = scratch.Canvas();
    canvas->SetFont(Font());
    const int mw = autoSize_->Width() ? 0xFFFF : Width() - 2 * BevelWidth();
    const int mh = autoSize_->Height() ? 0xFFFF : Height() - 2 * BevelWidth();
    html::HtmlDrawRequest request = PanelTextRequest(canvas, text_, RECT{0, 0, mw, mh});
    request.Images = images_;
    request.MeasureOnly = true;
    request.WordWrap = true;
    request.HotEffects = hover_;
    request.ShadowOffset = shadowOffset_;
    request.LinkColor = urlColor_;
    request.PictureCache = pictureCache_;
    request.PictureContainer = pictureContainer_;
    request.LineSpacing = lineSpacing_;
    html::HtmlDrawResult result;
    DrawHtmlText(request, result);
    const int tw = result.TextWidth + 2 * BorderWidth();
    const int th = result.TextHeight + 2 * BorderWidth();
    const int captionHeight = caption_->Visible() ? caption_->Height() : 0;
    int width = Width(), height = Height();
    if (autoSize_->Width())
        width = TopCaption() ? 2 * BevelWidth() + tw + indent_
                             : captionHeight + StripHeight() + tw + 2 * BevelWidth() + indent_;
    if (autoSize_->Height()) {
        if (TopCaption()) {
            height = captionHeight + StripHeight() + th + 2 * BevelWidth() + topIndent_;
            if (caption_->Visible() && statusBar_->Visible())
                height += 2 * BorderWidth();
        } else {
            height = 2 * BevelWidth() + th + topIndent_;
        }
    }
    if (width != Width() || height != Height())
        SetBounds(Left(), Top(), width, height);
    RearrangeParentGroup();
}

// ---- position persistence ---------------------------------------------------------------------

namespace {

std::unique_ptr<TCustomIniFile> OpenPositionStore(const TPanelPosition* position)
{
    if (position->Location() == clInifile)
        return std::make_unique<TIniFile>(position->Key());
    return std::make_unique<TRegistryIniFile>(position->Key());
}

} // namespace

void TCustomAdvPanel::SavePosition()
{
    if (position_->Key().empty() || position_->Section().empty() || Designing())
        return;
    auto store = OpenPositionStore(position_);
    const std::string& section = position_->Section();
    store->WriteInteger(section, "Top", Top());
    store->WriteInteger(section, "Left", Left());
    store->WriteInteger(section, "Height", Height());
    store->WriteInteger(section, "FullHeight", fullHeight_);
    store->WriteInteger(section, "Width", Width());
    store->WriteInteger(section, "Collaps", collaps_ ? 1 : 0);
    store->UpdateFile();
}

void TCustomAdvPanel::MoveOntoNearestMonitor(int& left, int& top, int width, int height) const
{
    // Stored coordinates are relative to the parent; the monitors are in screen coordinates.
    POINT origin{0, 0};
    if (Parent())
        origin = Parent()->ClientToScreen(POINT{0, 0});
    RECT r{origin.x + left, origin.y + top, origin.x + left + width, origin.y + top + height};
    if (MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
        return;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info))
        return;
    const RECT& work = info.rcWork;
    const auto fit = [](LONG start, LONG extent, LONG low, LONG high) {
        return std::max(low, std::min(start, high - extent));
    };
    left = fit(r.left, width, work.left, work.right) - origin.x;
    top = fit(r.top, height, work.top, work.bottom) - origin.y;
}

void TCustomAdvPanel::LoadPosition()
{
    if (position_->Key().empty() || position_->Section().empty() || Designing())
        return;
    auto store = OpenPositionStore(position_);
    const std::string& section = position_->Section();
    int top = store->ReadInteger(section, "Top", Top());
    int left = store->ReadInteger(section, "Left", Left());
    const int height = store->ReadInteger(section, "Height", Height());
    const int width = store->ReadInteger(section, "Width", Width());
    // A file edited by hand or written on another display set-up must not put the panel
    // where no screen shows it.
    MoveOntoNearestMonitor(left, top, width, height);
    SetBounds(left, top, Width(), Height());
    SetBounds(Left(), Top(), width, height);
    SetCollaps(store->ReadInteger(section, "Collaps", 0) == 1);
    fullHeight_ = store->ReadInteger(section, "FullHeight", Height());
}

// ---- settings from a styler -------------------------------------------------------------------

void TCustomAdvPanel::ApplySettings(TAdvPanelSettings* settings)
{
    if (!settings)
        return;
    anchorHint_ = settings->AnchorHint();
    autoHideChildren_ = settings->AutoHideChildren();
    SetBevelInner(settings->BevelInner());
    SetBevelOuter(settings->BevelOuter());
    SetBevelWidth(settings->BevelWidth());
    SetBorderColor(settings->BorderColor());
    SetBorderShadow(settings->BorderShadow());
    SetBorderStyle(settings->BorderStyle());
    SetBorderWidth(settings->BorderWidth());
    canMove_ = settings->CanMove();
    SetCanSize(settings->CanSize());
    const bool minMaxButton = caption_->MinMaxButton(), closeButton = caption_->CloseButton();
    caption_->Assign(settings->Caption());
    caption_->SetMinMaxButton(minMaxButton);
    caption_->SetCloseButton(closeButton);
    collapsColor_ = settings->CollapsColor();
    collapsDelay_ = settings->CollapsDelay();
    collapsSteps_ = settings->CollapsSteps();
    SetColor(settings->Color());
    SetColorTo(settings->ColorTo());
    SetColorMirror(settings->ColorMirror());
    SetColorMirrorTo(settings->ColorMirrorTo());
    SetCursor(settings->Cursor());
    SetFont(settings->Font());
    fixedTop_ = settings->FixedTop();
    fixedLeft_ = settings->FixedLeft();
    fixedHeight_ = settings->FixedHeight();
    fixedWidth_ = settings->FixedWidth();
    SetHover(settings->Hover());
    hoverColor_ = settings->HoverColor();
    hoverFontColor_ = settings->HoverFontColor();
    SetIndent(settings->Indent());
    SetShadowColor(settings->ShadowColor());
    SetShadowOffset(settings->ShadowOffset());
    SetShowHint(settings->ShowHint());
    showMoveCursor_ = settings->ShowMoveCursor();
    statusBar_->Assign(settings->StatusBar());
    SetTextVAlign(settings->TextVAlign());
    SetTopIndent(settings->TopIndent());
    SetURLColor(settings->URLColor());
}

// ---- registration -----------------------------------------------------------------------------

void RegisterPanelClasses()
{
    RegisterClasses({&TAdvPanel::StaticClass(), &TAdvPanelStyler::StaticClass(),
                     &TAdvPanelGroup::StaticClass(), &TAdvImage::StaticClass(),
                     &TAdvOfficeStatusBar::StaticClass(),
                     &TAdvOfficeStatusBarOfficeStyler::StaticClass(),
                     &TAdvOfficeStatusPanel::StaticClass(), &TAdvTaskDialog::StaticClass()});
}

} // namespace panels
