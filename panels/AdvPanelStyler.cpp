#include "AdvPanelStyler.h"

#include <optional>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TAdvPanelStyle, "psOffice2003Blue", "psOffice2003Silver", "psOffice2003Olive",
                     "psOffice2003Classic", "psOffice2007Luna", "psOffice2007Obsidian",
                     "psWindowsXP", "psWhidbey", "psCustom", "psOffice2007Silver", "psXP", "psFlat",
                     "psHalsk", "psClassic")

// ---- TAdvPanelSettings ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvPanelSettings)
{
    using S = TAdvPanelSettings;
    c.Property("AnchorHint", &S::AnchorHint, &S::SetAnchorHint);
    c.Property("AutoHideChildren", &S::AutoHideChildren, &S::SetAutoHideChildren).SetDefault(true);
    c.Property("BevelInner", &S::BevelInner, &S::SetBevelInner);
    c.Property("BevelOuter", &S::BevelOuter, &S::SetBevelOuter);
    c.Property("BevelWidth", &S::BevelWidth, &S::SetBevelWidth);
    AsColorProperty(c.Property("BorderColor", &S::BorderColor, &S::SetBorderColor));
    c.Property("BorderShadow", &S::BorderShadow, &S::SetBorderShadow);
    c.Property("BorderStyle", &S::BorderStyle, &S::SetBorderStyle);
    c.Property("BorderWidth", &S::BorderWidth, &S::SetBorderWidth);
    c.Property("CanMove", &S::CanMove, &S::SetCanMove);
    c.Property("CanSize", &S::CanSize, &S::SetCanSize);
    c.Property("Caption", &S::Caption, &S::SetCaption);
    c.Property("Collaps", &S::Collaps, &S::SetCollaps);
    AsColorProperty(c.Property("CollapsColor", &S::CollapsColor, &S::SetCollapsColor));
    c.Property("CollapsDelay", &S::CollapsDelay, &S::SetCollapsDelay);
    c.Property("CollapsSteps", &S::CollapsSteps, &S::SetCollapsSteps);
    AsColorProperty(c.Property("Color", &S::Color, &S::SetColor));
    AsColorProperty(c.Property("ColorTo", &S::ColorTo, &S::SetColorTo));
    AsColorProperty(c.Property("ColorMirror", &S::ColorMirror, &S::SetColorMirror));
    AsColorProperty(c.Property("ColorMirrorTo", &S::ColorMirrorTo, &S::SetColorMirrorTo));
    c.Property("Cursor", &S::Cursor, &S::SetCursor);
    c.Property("Font", &S::Font, &S::SetFont);
    c.Property("FixedTop", &S::FixedTop, &S::SetFixedTop);
    c.Property("FixedLeft", &S::FixedLeft, &S::SetFixedLeft);
    c.Property("FixedHeight", &S::FixedHeight, &S::SetFixedHeight);
    c.Property("FixedWidth", &S::FixedWidth, &S::SetFixedWidth);
    c.Property("Height", &S::Height, &S::SetHeight);
    c.Property("Hint", &S::Hint, &S::SetHint);
    c.Property("Hover", &S::Hover, &S::SetHover);
    AsColorProperty(c.Property("HoverColor", &S::HoverColor, &S::SetHoverColor));
    AsColorProperty(c.Property("HoverFontColor", &S::HoverFontColor, &S::SetHoverFontColor));
    c.Property("Indent", &S::Indent, &S::SetIndent);
    c.Property("Position", &S::Position, &S::SetPosition);
    AsColorProperty(c.Property("ShadowColor", &S::ShadowColor, &S::SetShadowColor));
    c.Property("ShadowOffset", &S::ShadowOffset, &S::SetShadowOffset);
    c.Property("ShowHint", &S::ShowHint, &S::SetShowHint);
    c.Property("ShowMoveCursor", &S::ShowMoveCursor, &S::SetShowMoveCursor);
    c.Property("StatusBar", &S::StatusBar, &S::SetStatusBar);
    c.Property("Text", &S::Text, &S::SetText);
    c.Property("TextVAlign", &S::TextVAlign, &S::SetTextVAlign);
    c.Property("TopIndent", &S::TopIndent, &S::SetTopIndent);
    AsColorProperty(c.Property("URLColor", &S::URLColor, &S::SetURLColor));
    c.Property("Width", &S::Width, &S::SetWidth);
}

TAdvPanelSettings::TAdvPanelSettings()
    : caption_(new TPanelCaption), font_(new TFont), statusBar_(new TPanelStatusBar)
{
    caption_->OnChange = TNotifyEvent(this, &TAdvPanelSettings::CaptionChanged);
}

TAdvPanelSettings::~TAdvPanelSettings()
{
    delete caption_;
    delete font_;
    delete statusBar_;
}

void TAdvPanelSettings::Changed()
{
    if (updateCount_ == 0 && OnChange)
        OnChange(this);
}

void TAdvPanelSettings::EndUpdate()
{
    if (updateCount_ <= 0)
        return;
    if (--updateCount_ == 0)
        Changed();
}

void TAdvPanelSettings::SetCaption(TPanelCaption* value)
{
    caption_->Assign(value);
    Changed();
}

void TAdvPanelSettings::SetFont(TFont* value)
{
    font_->Assign(value);
    Changed();
}

void TAdvPanelSettings::SetStatusBar(TPanelStatusBar* value)
{
    statusBar_->Assign(value);
    Changed();
}

// ---- presets ----------------------------------------------------------------------------------

namespace {

enum class HeightRule { Keep, Store, Set };

struct PanelPreset {
    TAdvPanelStyle style;
    // background, border and font
    TColor color, colorTo, colorMirror, colorMirrorTo;
    TBevelCut bevelOuter;
    TColor borderColor;
    bool borderShadow;
    TColor collapsColor;
    std::optional<TColor> fontColor;
    // caption
    TColor captionColor, captionColorTo, captionFontColor;
    TGradientDirection captionGradient;
    bool shadeGrainAndLight; // ShadeGrain 32, ShadeLight 255
    TShadeType shadeType;
    HeightRule captionHeight; // to 20
    std::optional<int> captionIndent;
    std::optional<bool> captionVisible;
    // status strip
    TColor stripColor, stripColorTo, stripBorderColor;
    TBorderStyle stripBorderStyle;
    bool stripBevelInner;
    std::optional<TGradientDirection> stripGradient;
    TColor stripFontColor;
};

constexpr auto Keep = std::nullopt;

const PanelPreset Presets[] = {
    {psOffice2003Blue, 0xFDEADA,         0xE4AE88, clNone,      clNone,
     bvNone,           clGray,           false,    clHighlight, clWindowText,
     0xD68759,         0x933803,         clWhite,  gdVertical,  true,
     stNormal,         HeightRule::Keep, Keep,     Keep,        0xE08F65,
     0xF9DBC4,         clNone,           bsSingle, false,       Keep,
     clWhite},
    {psOffice2003Silver,
     0xECE2E1,
     0xB39698,
     clNone,
     clNone,
     bvNone,
     clGray,
     false,
     clHighlight,
     clWindowText,
     0xEFE7E7,
     0xAA8888,
     clBlack,
     gdVertical,
     true,
     stNormal,
     HeightRule::Keep,
     Keep,
     Keep,
     0xBFA8A9,
     0xDECFCF,
     clNone,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psOffice2003Olive,
     0xCFF0EA,
     0x8CC0B1,
     clNone,
     clNone,
     bvNone,
     clGray,
     false,
     clHighlight,
     clWindowText,
     0xC6EFE7,
     0x94BDB5,
     clBlack,
     gdVertical,
     true,
     stNormal,
     HeightRule::Keep,
     Keep,
     Keep,
     0x80B0A1,
     0xD3E4E3,
     clNone,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psOffice2003Classic,
     clWhite,
     0xE3F0F2,
     clNone,
     clNone,
     bvNone,
     clGray,
     true,
     clBtnFace,
     Keep,
     clHighlight,
     clBlue,
     clHighlightText,
     gdHorizontal,
     false,
     stNormal,
     HeightRule::Store,
     2,
     Keep,
     0xE3F0F2,
     clWhite,
     clSilver,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psOffice2007Luna, 0xFAF1E9, 0xEDD8C7, 0xEDD8C7, 0xFFF2E7, bvNone,     0xFFD2AF, false,
     clHighlight,      0x723708, 0xFFEFE3, 0xFFD2AF, clBlack,  gdVertical, true,     stNormal,
     HeightRule::Keep, Keep,     Keep,     0xF7E3D3, 0xF5D0B3, 0xFFD2AF,   bsSingle, false,
     gdVertical,       0x723708},
    {psOffice2007Obsidian, 0xCFC6C1, 0xC5BBB4, 0xC5BBB4, 0xECECE5, bvNone,     0xFFD2AF, false,
     clHighlight,          0x723708, 0xB8B8B6, 0xA0A09E, clWhite,  gdVertical, true,     stNormal,
     HeightRule::Keep,     Keep,     Keep,     0xA19F9E, 0x534D4B, clBlack,    bsSingle, false,
     gdVertical,           clWhite},
    {psWindowsXP,
     clBtnFace,
     clNone,
     clNone,
     clNone,
     bvRaised,
     clGray,
     false,
     clBtnFace,
     clWindowText,
     clWhite,
     clNone,
     clHighlightText,
     gdHorizontal,
     true,
     stNormal,
     HeightRule::Keep,
     Keep,
     false,
     clBtnFace,
     clNone,
     clNone,
     bsNone,
     true,
     Keep,
     clBlack},
    {psWhidbey,
     clWhite,
     0xE3F0F2,
     clNone,
     clNone,
     bvNone,
     clGray,
     true,
     clBtnFace,
     Keep,
     0xF3F7F8,
     0xACC3C3,
     clBlack,
     gdVertical,
     false,
     stNormal,
     HeightRule::Store,
     2,
     Keep,
     0xE3F0F2,
     clWhite,
     clSilver,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psOffice2007Silver, 0xF9F5F3, 0xE7DCD5, 0xE7DCD5, 0xFBFAF0, bvNone,     0xFFD2AF, false,
     clHighlight,        0x723708, 0xF8F7F6, 0xE8E0DB, clBlack,  gdVertical, true,     stNormal,
     HeightRule::Keep,   Keep,     Keep,     0xFAEEEB, 0xE5DBD7, clBlack,    bsSingle, false,
     gdVertical,         0x723708},
    {psXP,
     clWhite,
     0xE3F0F2,
     clNone,
     clNone,
     bvNone,
     clGray,
     true,
     clBtnFace,
     Keep,
     clHighlight,
     clBlue,
     clHighlightText,
     gdHorizontal,
     false,
     stNormal,
     HeightRule::Store,
     2,
     Keep,
     0xE3F0F2,
     clWhite,
     clSilver,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psFlat,   clBtnFace, clNone,          clNone,      clNone, bvNone,          clGray,
     false,    clBtnFace, clWindowText,    clHighlight, clNone, clHighlightText, gdHorizontal,
     false,    stNormal,  HeightRule::Set, 0,           Keep,   clBtnFace,       clNone,
     clSilver, bsSingle,  false,           Keep,        clBlack},
    {psHalsk,
     clWhite,
     0xE4E4E4,
     clNone,
     clNone,
     bvNone,
     clGray,
     true,
     clBtnFace,
     clWindowText,
     clWhite,
     clNone,
     clBlack,
     gdHorizontal,
     true,
     stRMetal,
     HeightRule::Store,
     4,
     true,
     0xDEDEDE,
     0xA9A9A9,
     clWhite,
     bsSingle,
     false,
     Keep,
     clBlack},
    {psClassic, clBtnFace,    clNone,    clNone,       clNone,           bvRaised,
     clGray,    false,        clBtnFace, clWindowText, clWhite,          clNone,
     clBlack,   gdHorizontal, true,      stNormal,     HeightRule::Keep, Keep,
     false,     clBtnFace,    clNone,    clNone,       bsNone,           true,
     Keep,      clBlack},
};

void ApplyPreset(const PanelPreset& p, TAdvPanelSettings* s)
{
    s->SetBevelInner(bvNone);
    s->SetBorderStyle(bsNone);
    s->SetColor(p.color);
    s->SetColorTo(p.colorTo);
    s->SetColorMirror(p.colorMirror);
    s->SetColorMirrorTo(p.colorMirrorTo);
    s->SetBevelOuter(p.bevelOuter);
    s->SetBorderColor(p.borderColor);
    s->SetBorderShadow(p.borderShadow);
    s->SetCollapsColor(p.collapsColor);
    if (p.fontColor)
        s->Font()->SetColor(*p.fontColor);

    TPanelCaption* caption = s->Caption();
    caption->SetColor(p.captionColor);
    caption->SetColorTo(p.captionColorTo);
    caption->Font()->SetColor(p.captionFontColor);
    caption->SetGradientDirection(p.captionGradient);
    if (p.shadeGrainAndLight) {
        caption->SetShadeGrain(32);
        caption->SetShadeLight(255);
    }
    caption->SetShadeType(p.shadeType);
    if (p.captionHeight == HeightRule::Store)
        caption->StoreHeight(20);
    else if (p.captionHeight == HeightRule::Set)
        caption->SetHeight(20);
    if (p.captionIndent)
        caption->SetIndent(*p.captionIndent);
    if (p.captionVisible)
        caption->SetVisible(*p.captionVisible);

    TPanelStatusBar* strip = s->StatusBar();
    strip->SetColor(p.stripColor);
    strip->SetColorTo(p.stripColorTo);
    strip->SetBorderColor(p.stripBorderColor);
    strip->SetBorderStyle(p.stripBorderStyle);
    strip->SetBevelInner(p.stripBevelInner);
    if (p.stripGradient)
        strip->SetGradientDirection(*p.stripGradient);
    strip->Font()->SetColor(p.stripFontColor);
}

} // namespace

// ---- TAdvPanelStyler --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvPanelStyler)
{
    c.Property("AutoThemeAdapt", &TAdvPanelStyler::AutoThemeAdapt,
               &TAdvPanelStyler::SetAutoThemeAdapt)
        .SetDefault(false);
    c.Property("Settings", &TAdvPanelStyler::Settings, &TAdvPanelStyler::SetSettings);
    c.Property("Comments", &TAdvPanelStyler::Comments, &TAdvPanelStyler::SetComments);
    c.Property("Style", &TAdvPanelStyler::Style, &TAdvPanelStyler::SetStyle).SetDefault(psXP);
}

TAdvPanelStyler::TAdvPanelStyler(TComponent* owner)
    : TComponent(owner), settings_(new TAdvPanelSettings), notifier_(new TThemeNotifierWindow(this))
{
    notifier_->SetParent(draw::FirstWindowedOwner(owner));
    notifier_->OnThemeChange = TNotifyEvent(this, &TAdvPanelStyler::ThemeChanged);
    settings_->OnChange = TNotifyEvent(this, &TAdvPanelStyler::PushSettings);
    SetStyle(psXP);
    autoThemeAdapt_ = false;
}

TAdvPanelStyler::~TAdvPanelStyler()
{
    delete settings_;
}

bool TAdvPanelStyler::GetInterface(const TGUID& iid, void** obj)
{
    if (iid == ITMSStyle::IID) {
        *obj = static_cast<ITMSStyle*>(this);
        return true;
    }
    return TComponent::GetInterface(iid, obj);
}

void TAdvPanelStyler::SetStyle(TAdvPanelStyle value)
{
    style_ = value;
    settings_->BeginUpdate();
    for (const PanelPreset& preset : Presets)
        if (preset.style == value)
            ApplyPreset(preset, settings_);
    settings_->EndUpdate();
}

void TAdvPanelStyler::ApplyStyle(int style)
{
    const int selected = style & 0x7F;
    if (selected > 9 || selected == psCustom)
        return;
    SetStyle(static_cast<TAdvPanelStyle>(selected));
}

void TAdvPanelStyler::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAdvPanelStyler*>(source);
    if (!other)
        return;
    autoThemeAdapt_ = other->AutoThemeAdapt();
    settings_->Assign(other->Settings());
    comments_ = other->Comments();
    SetStyle(other->Style());
}

void TAdvPanelStyler::Loaded()
{
    TComponent::Loaded();
    if (!ComponentState().Contains(csDesigning))
        ThemeAdapt();
    PushSettings(nullptr);
}

void TAdvPanelStyler::PushSettings(TObject*)
{
    if (ComponentState().Contains(csLoading) || !Owner())
        return;
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
        if (auto* panel = dynamic_cast<TCustomAdvPanel*>(Owner()->Components(i));
            panel && panel->Styler() == this)
            panel->ApplySettings(settings_);
}

void TAdvPanelStyler::ThemeAdapt()
{
    if (!autoThemeAdapt_)
        return;
    switch (GetXPThemeColorName()) {
        case 1:
            SetStyle(psOffice2003Blue);
            break;
        case 2:
            SetStyle(psOffice2003Olive);
            break;
        case 3:
            SetStyle(psOffice2003Silver);
            break;
        default:
            SetStyle(psXP);
            break;
    }
}

} // namespace panels
