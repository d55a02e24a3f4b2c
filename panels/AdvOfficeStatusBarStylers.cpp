#include "AdvOfficeStatusBarStylers.h"

#include "core/TypeInfo.h"
#include "draw/XPColorScheme.h"

#include <windows.h>

#include <algorithm>
#include <array>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TOfficeStatusBarStyle, "psOffice2003Blue", "psOffice2003Silver",
                     "psOffice2003Olive", "psOffice2003Classic", "psOffice2007Luna",
                     "psOffice2007Obsidian", "psWindowsXP", "psWhidbey", "psCustom",
                     "psOffice2007Silver")

CLASSLIB_PUBLISH(TVistaBackground)
{
    using V = TVistaBackground;
    AsColorProperty(c.Property("BorderColor", &V::BorderColor, &V::SetBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderColorHot", &V::BorderColorHot, &V::SetBorderColorHot))
        .SetDefault(clGray);
    AsColorProperty(c.Property("BorderColorDown", &V::BorderColorDown, &V::SetBorderColorDown))
        .SetDefault(clGray);
    AsColorProperty(c.Property("Color", &V::Color, &V::SetColor)).SetDefault(clWhite);
    AsColorProperty(c.Property("ColorTo", &V::ColorTo, &V::SetColorTo)).SetDefault(clWhite);
    AsColorProperty(c.Property("ColorHot", &V::ColorHot, &V::SetColorHot)).SetDefault(clWhite);
    AsColorProperty(c.Property("ColorHotTo", &V::ColorHotTo, &V::SetColorHotTo))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("ColorDown", &V::ColorDown, &V::SetColorDown)).SetDefault(clWhite);
    AsColorProperty(c.Property("ColorDownTo", &V::ColorDownTo, &V::SetColorDownTo))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("ColorMirror", &V::ColorMirror, &V::SetColorMirror))
        .SetDefault(clSilver);
    AsColorProperty(c.Property("ColorMirrorTo", &V::ColorMirrorTo, &V::SetColorMirrorTo))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("ColorMirrorHot", &V::ColorMirrorHot, &V::SetColorMirrorHot))
        .SetDefault(clSilver);
    AsColorProperty(c.Property("ColorMirrorHotTo", &V::ColorMirrorHotTo, &V::SetColorMirrorHotTo))
        .SetDefault(clWhite);
    AsColorProperty(c.Property("ColorMirrorDown", &V::ColorMirrorDown, &V::SetColorMirrorDown))
        .SetDefault(clSilver);
    AsColorProperty(
        c.Property("ColorMirrorDownTo", &V::ColorMirrorDownTo, &V::SetColorMirrorDownTo))
        .SetDefault(clWhite);
    c.Property("Steps", &V::Steps, &V::SetSteps).SetDefault(64);
    AsColorProperty(c.Property("TextColor", &V::TextColor, &V::SetTextColor)).SetDefault(clBlack);
    AsColorProperty(c.Property("TextColorHot", &V::TextColorHot, &V::SetTextColorHot))
        .SetDefault(clBlack);
    AsColorProperty(c.Property("TextColorDown", &V::TextColorDown, &V::SetTextColorDown))
        .SetDefault(clBlack);
    c.Property("TextStyle", &V::TextStyle, &V::SetTextStyle);
}

CLASSLIB_PUBLISH(TCustomAdvOfficeStatusBarStyler) {}

CLASSLIB_PUBLISH(TAdvOfficeStatusBarOfficeStyler)
{
    using S = TAdvOfficeStatusBarOfficeStyler;
    c.Property("Style", &S::Style, &S::SetStyle)
        .SetDefault(TOfficeStatusBarStyle::psOffice2003Blue);
    c.Property("AutoThemeAdapt", &S::AutoThemeAdapt, &S::SetAutoThemeAdapt).SetDefault(false);
    AsColorProperty(c.Property("BorderColor", &S::BorderColor, &S::SetBorderColor));
    c.Property("PanelAppearanceLight", &S::PanelAppearanceLight, &S::SetPanelAppearanceLight);
    c.Property("PanelAppearanceDark", &S::PanelAppearanceDark, &S::SetPanelAppearanceDark);
}

// ---- appearance set ---------------------------------------------------------------------------

TVistaBackground::TVistaBackground() = default;

void TVistaBackground::Store(TColor& field, TColor value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void TVistaBackground::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVistaBackground::SetSteps(int value)
{
    if (steps_ == value)
        return;
    steps_ = value;
    Changed();
}

void TVistaBackground::SetTextStyle(TFontStyles value)
{
    textStyle_ = value;
    Changed();
}

void TVistaBackground::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TVistaBackground*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    borderColor_ = other->borderColor_;
    borderColorHot_ = other->borderColorHot_;
    borderColorDown_ = other->borderColorDown_;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    colorHot_ = other->colorHot_;
    colorHotTo_ = other->colorHotTo_;
    colorDown_ = other->colorDown_;
    colorDownTo_ = other->colorDownTo_;
    colorMirror_ = other->colorMirror_;
    colorMirrorTo_ = other->colorMirrorTo_;
    colorMirrorHot_ = other->colorMirrorHot_;
    colorMirrorHotTo_ = other->colorMirrorHotTo_;
    colorMirrorDown_ = other->colorMirrorDown_;
    colorMirrorDownTo_ = other->colorMirrorDownTo_;
    steps_ = other->steps_;
    textColor_ = other->textColor_;
    textColorHot_ = other->textColorHot_;
    textColorDown_ = other->textColorDown_;
    SetTextStyle(other->textStyle_);
}

// ---- styler -----------------------------------------------------------------------------------

TCustomAdvOfficeStatusBarStyler::TCustomAdvOfficeStatusBarStyler(TComponent* owner)
    : TComponent(owner), light_(new TVistaBackground), dark_(new TVistaBackground)
{
    light_->OnChange = TNotifyEvent(this, &TCustomAdvOfficeStatusBarStyler::AppearanceChanged);
    dark_->OnChange = TNotifyEvent(this, &TCustomAdvOfficeStatusBarStyler::AppearanceChanged);
}

TCustomAdvOfficeStatusBarStyler::~TCustomAdvOfficeStatusBarStyler()
{
    // The component's own destruction tells the bars, which fall back to their internal styler.
    delete light_;
    delete dark_;
}

void TCustomAdvOfficeStatusBarStyler::AddControl(TControl* bar)
{
    if (!bar)
        return;
    bars_.push_back(bar);
    bar->FreeNotification(this);
}

void TCustomAdvOfficeStatusBarStyler::RemoveControl(TControl* bar)
{
    auto at = std::find(bars_.begin(), bars_.end(), bar);
    if (at == bars_.end())
        return;
    bars_.erase(at);
}

TControl* TCustomAdvOfficeStatusBarStyler::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError("Index out of bounds in list read access");
    return bars_[static_cast<size_t>(index)];
}

void TCustomAdvOfficeStatusBarStyler::RepaintBars()
{
    for (TControl* bar : bars_)
        bar->Invalidate();
}

void TCustomAdvOfficeStatusBarStyler::AppearanceChanged(TObject*)
{
    RepaintBars();
}

void TCustomAdvOfficeStatusBarStyler::SetBorderColor(TColor value)
{
    if (borderColor_ == value)
        return;
    borderColor_ = value;
    RepaintBars();
}

void TCustomAdvOfficeStatusBarStyler::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCustomAdvOfficeStatusBarStyler*>(source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    autoThemeAdapt_ = other->autoThemeAdapt_;
    light_->Assign(other->light_);
    dark_->Assign(other->dark_);
    SetBorderColor(other->borderColor_);
}

void TCustomAdvOfficeStatusBarStyler::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && !ComponentState().Contains(csDestroying))
        bars_.erase(std::remove(bars_.begin(), bars_.end(), component), bars_.end());
}

// ---- presets ----------------------------------------------------------------------------------

namespace {

// A value a preset leaves as it is.
constexpr TColor Keep = 0xFFFFFFFE;

struct HotDownGroup {
    TColor colorHot, colorHotTo, colorMirrorHot, colorMirrorHotTo, borderColorHot;
    TColor colorDown, colorDownTo, colorMirrorDown, colorMirrorDownTo, borderColorDown;
};

constexpr HotDownGroup GroupA{13958143, 6538487, 6538487, 6538487, clGray,
                              9232890,  1940207, 1940207, 1940207, Keep};
constexpr HotDownGroup GroupB{16515071, 12644607, 7067903, 10544892, 10079963,
                              7845111,  4561657,  1671928, 241407,   4548219};
constexpr HotDownGroup GroupC{13811126, 13811126, 13811126, 13811126, clGray,
                              14857624, 14857624, clNone,   clNone,   clBlack};
constexpr HotDownGroup GroupC2{13811126, 13811126, clNone, clNone, clGray,
                               14857624, 14857624, clNone, clNone, clBlack};
constexpr HotDownGroup GroupD{15717318, 15717318, clNone, clNone, clGray,
                              11899524, 11899524, clNone, clNone, clBlack};

struct SetPreset {
    TColor border, color, colorTo, mirror, mirrorTo;
    TColor text, textHot, textDown;
    const HotDownGroup* group;
    TColor borderDown; // Keep where the group gives it
};

struct StylePreset {
    TColor stylerBorder;
    SetPreset light, dark;
};

constexpr TColor W = clWhite, B = clBlack, N = clNone;

// Indexed by TOfficeStatusBarStyle; TOfficeStatusBarStyle::psCustom writes nothing.
const std::array<StylePreset, 10> Presets{{
    {14986888,
     {14922381, 16440774, 14854530, 14854530, 14854530, B, B, B, &GroupA, 10240783},
     {N, 13861717, 10240783, 10240783, 10240783, W, W, W, &GroupA, 10240783}},
    {11769496,
     {N, 16249843, 15128792, 15128792, 15128792, B, Keep, Keep, &GroupA, 12032925},
     {N, 15128792, 12032925, 12032925, 12032925, W, W, W, &GroupA, 12032925}},
    {9224369,
     {N, 13627626, 9487285, 9487285, 9487285, B, B, B, &GroupA, 5080174},
     {N, 8503214, 5080174, 5080174, 5080174, W, Keep, Keep, &GroupA, 5080174}},
    {13226453,
     {N, W, 13226453, N, N, B, B, B, &GroupC, Keep},
     {N, clGray, clGray, N, N, W, W, W, &GroupC2, Keep}},
    {11566422,
     {N, 16377559, 16309447, 16109747, 16244941, 6365193, B, B, &GroupB, Keep},
     {N, 16309445, 16103047, 15382160, 12752244, 6365193, 6365193, 6365193, &GroupB, Keep}},
    {4276545,
     {N, 4276545, 3158063, 3158063, 5000268, W, W, W, &GroupB, Keep},
     {N, 10592158, 6512478, 6512478, 5459275, W, W, W, &GroupB, Keep}},
    {12632256,
     {N, clBtnFace, clBtnFace, clBtnFace, clBtnFace, B, B, B, &GroupD, Keep},
     {N, W, clBtnFace, clBtnFace, clBtnFace, B, B, B, &GroupD, Keep}},
    {11059392,
     {N, 16120314, 11059392, N, N, B, B, B, &GroupA, B},
     {N, 15462127, 8296600, N, N, B, Keep, Keep, &GroupA, B}},
    {Keep, {}, {}},
    {7760481,
     {N, 15460583, 13089717, 12038314, 13552071, 2762275, B, B, &GroupB, Keep},
     {N, 15460583, 13089718, 12235950, 11512741, 2762275, 6365193, 6365193, &GroupB, Keep}},
}};

template <class Setter>
void Write(TVistaBackground* set, Setter setter, TColor value)
{
    if (value != Keep)
        (set->*setter)(value);
}

void ApplySetPreset(TVistaBackground* set, const SetPreset& p)
{
    using V = TVistaBackground;
    Write(set, &V::SetBorderColor, p.border);
    Write(set, &V::SetColor, p.color);
    Write(set, &V::SetColorTo, p.colorTo);
    Write(set, &V::SetColorMirror, p.mirror);
    Write(set, &V::SetColorMirrorTo, p.mirrorTo);
    Write(set, &V::SetTextColor, p.text);
    Write(set, &V::SetTextColorHot, p.textHot);
    Write(set, &V::SetTextColorDown, p.textDown);
    const HotDownGroup& g = *p.group;
    Write(set, &V::SetColorHot, g.colorHot);
    Write(set, &V::SetColorHotTo, g.colorHotTo);
    Write(set, &V::SetColorMirrorHot, g.colorMirrorHot);
    Write(set, &V::SetColorMirrorHotTo, g.colorMirrorHotTo);
    Write(set, &V::SetBorderColorHot, g.borderColorHot);
    Write(set, &V::SetColorDown, g.colorDown);
    Write(set, &V::SetColorDownTo, g.colorDownTo);
    Write(set, &V::SetColorMirrorDown, g.colorMirrorDown);
    Write(set, &V::SetColorMirrorDownTo, g.colorMirrorDownTo);
    Write(set, &V::SetBorderColorDown, g.borderColorDown);
    Write(set, &V::SetBorderColorDown, p.borderDown);
}

} // namespace

TAdvOfficeStatusBarOfficeStyler::TAdvOfficeStatusBarOfficeStyler(TComponent* owner)
    : TCustomAdvOfficeStatusBarStyler(owner)
{
    notifier_ = new TNotifierWindow(this);
    notifier_->SetParent(draw::FirstWindowedOwner(owner));
    notifier_->OnThemeChange = TNotifyEvent(this, &TAdvOfficeStatusBarOfficeStyler::ThemeChanged);
    style_ = TOfficeStatusBarStyle::psCustom;
    SetStyle(TOfficeStatusBarStyle::psWindowsXP);
    SetStyle(TOfficeStatusBarStyle::psOffice2003Blue);
}

void TAdvOfficeStatusBarOfficeStyler::SetStyle(TOfficeStatusBarStyle value)
{
    // A stored number past the last preset names no style: applying it would leave a style
    // that no table entry describes.
    if (value == style_ || static_cast<size_t>(value) >= Presets.size())
        return;
    style_ = value;
    const StylePreset& p = Presets[static_cast<size_t>(value)];
    if (value != TOfficeStatusBarStyle::psCustom) {
        if (p.stylerBorder != Keep)
            TCustomAdvOfficeStatusBarStyler::SetBorderColor(p.stylerBorder);
        ApplySetPreset(PanelAppearanceLight(), p.light);
        ApplySetPreset(PanelAppearanceDark(), p.dark);
    }
    RepaintBars();
}

void TAdvOfficeStatusBarOfficeStyler::ApplyStyle(int style)
{
    if (style < 0)
        return;
    SetStyle(static_cast<TOfficeStatusBarStyle>(style));
}

void TAdvOfficeStatusBarOfficeStyler::Assign(TPersistent* source)
{
    TCustomAdvOfficeStatusBarStyler::Assign(source);
    // The colours now are the source's: keep a style only when the source names one.
    auto* office = dynamic_cast<TAdvOfficeStatusBarOfficeStyler*>(source);
    style_ = office ? office->style_ : TOfficeStatusBarStyle::psCustom;
}

void TAdvOfficeStatusBarOfficeStyler::ThemeChanged(TObject*)
{
    if (!AutoThemeAdapt())
        return;
    switch (draw::GetXPThemeColorName()) {
        case 1:
            SetStyle(TOfficeStatusBarStyle::psOffice2003Blue);
            break;
        case 2:
            SetStyle(TOfficeStatusBarStyle::psOffice2003Olive);
            break;
        case 3:
            SetStyle(TOfficeStatusBarStyle::psOffice2003Silver);
            break;
        default:
            SetStyle(TOfficeStatusBarStyle::psWindowsXP);
            break;
    }
}

void TAdvOfficeStatusBarOfficeStyler::Loaded()
{
    TCustomAdvOfficeStatusBarStyler::Loaded();
    if (!ComponentState().Contains(csDesigning))
        ThemeChanged();
}

} // namespace panels
