#include "toolbar/AdvToolBarStylers.h"

#include "core/TypeInfo.h"

#include <windows.h>

using namespace classlib;

namespace toolbar {

// ---- TAdvToolBarOfficeStyler -------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvToolBarOfficeStyler)
{
    using S = TAdvToolBarOfficeStyler;
    c.Property("Style", &S::Style, &S::SetStyle).SetDefault(bsOffice2003Blue);
    c.Property("AdvMenuStyler", &S::AdvMenuStyler, &S::SetAdvMenuStyler);
    c.Property("AutoThemeAdapt", &S::AutoThemeAdapt, &S::SetAutoThemeAdapt).SetDefault(false);
    c.Property("BackGround", &S::BackGround, &S::SetBackGround);
    c.Property("BackGroundTransparent", &S::BackGroundTransparent, &S::SetBackGroundTransparent)
        .SetDefault(true);
    c.Property("BackGroundDisplay", &S::BackGroundDisplay, &S::SetBackGroundDisplay)
        .SetDefault(bdTile);
    AsColorProperty(c.Property("BorderColor", &S::BorderColor, &S::SetBorderColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BorderColorHot", &S::BorderColorHot, &S::SetBorderColorHot))
        .SetDefault(clNone);
    c.Property("ButtonAppearance", &S::ButtonAppearance, &S::SetButtonAppearance);
    c.Property("CaptionAppearance", &S::CaptionAppearance, &S::SetCaptionAppearance);
    c.Property("CaptionFont", &S::CaptionFont, &S::SetCaptionFont);
    c.Property("ContainerAppearance", &S::ContainerAppearance, &S::SetContainerAppearance);
    c.Property("Color", &S::Color, &S::SetColor);
    c.Property("ColorHot", &S::ColorHot, &S::SetColorHot);
    c.Property("CompactGlowButtonAppearance", &S::CompactGlowButtonAppearance,
               &S::SetCompactGlowButtonAppearance);
    c.Property("DockColor", &S::DockColor, &S::SetDockColor);
    c.Property("DragGripStyle", &S::DragGripStyle, &S::SetDragGripStyle).SetDefault(dsDots);
    c.Property("DragGripImage", &S::DragGripImage, &S::SetDragGripImage);
    AsColorProperty(c.Property("FloatingWindowBorderColor", &S::FloatingWindowBorderColor,
                               &S::SetFloatingWindowBorderColor));
    c.Property("FloatingWindowBorderWidth", &S::FloatingWindowBorderWidth,
               &S::SetFloatingWindowBorderWidth)
        .SetDefault(2);
    c.Property("Font", &S::Font, &S::SetFont);
    c.Property("GlowButtonAppearance", &S::GlowButtonAppearance, &S::SetGlowButtonAppearance);
    c.Property("GroupAppearance", &S::GroupAppearance, &S::SetGroupAppearance);
    c.Property("PageAppearance", &S::PageAppearance, &S::SetPageAppearance);
    c.Property("PagerCaption", &S::PagerCaption, &S::SetPagerCaption);
    c.Property("QATAppearance", &S::QATAppearance, &S::SetQATAppearance);
    c.Property("RightHandleImage", &S::RightHandleImage, &S::SetRightHandleImage);
    // The two start values (0x9E9E9E, black) are not the streamed defaults.
    AsColorProperty(c.Property("RightHandleColor", &S::RightHandleColor, &S::SetRightHandleColor))
        .SetDefault(0x808080);
    AsColorProperty(
        c.Property("RightHandleColorTo", &S::RightHandleColorTo, &S::SetRightHandleColorTo))
        .SetDefault(0x808080);
    AsColorProperty(
        c.Property("RightHandleColorHot", &S::RightHandleColorHot, &S::SetRightHandleColorHot));
    AsColorProperty(c.Property("RightHandleColorHotTo", &S::RightHandleColorHotTo,
                               &S::SetRightHandleColorHotTo));
    AsColorProperty(
        c.Property("RightHandleColorDown", &S::RightHandleColorDown, &S::SetRightHandleColorDown));
    AsColorProperty(c.Property("RightHandleColorDownTo", &S::RightHandleColorDownTo,
                               &S::SetRightHandleColorDownTo));
    c.Property("TabAppearance", &S::TabAppearance, &S::SetTabAppearance);
    c.Property("SystemFont", &S::SystemFont, &S::SetSystemFont).SetDefault(true);
}

namespace {

// The settings the presets write that are not published.
struct PresetOnlySetting {
    std::string_view name;
    void (*write)(TCustomAdvToolBarStyler& styler, uint32_t value);
};
const PresetOnlySetting PresetOnlySettings[] = {
    {"ComponentStyle",
     [](TCustomAdvToolBarStyler& s, uint32_t v) { s.SetComponentStyle(static_cast<uint8_t>(v)); }},
    {"RoundedCorners", [](TCustomAdvToolBarStyler& s, uint32_t v) { s.SetRoundedCorners(v != 0); }},
    {"FrameBevel",
     [](TCustomAdvToolBarStyler& s, uint32_t v) { s.SetFrameBevel(static_cast<int>(v)); }},
    {"ShowFrameBevel", [](TCustomAdvToolBarStyler& s, uint32_t v) { s.SetShowFrameBevel(v != 0); }},
    {"QATWideArc", [](TCustomAdvToolBarStyler& s, uint32_t v) { s.SetQATWideArc(v != 0); }},
};

} // namespace

TAdvToolBarOfficeStyler::TAdvToolBarOfficeStyler(TComponent* owner)
    : TCustomAdvToolBarStyler(owner), notifier_(new TNotifierWindow(this))
{
    notifier_->SetParent(draw::FirstWindowedOwner(owner));
    notifier_->OnThemeChange = TNotifyEvent(this, &TAdvToolBarOfficeStyler::ThemeChanged);
    // The first assignment makes the second a real change: a new styler carries the blue
    // block on top of the Windows XP block.
    SetStyle(bsWindowsXP);
    SetStyle(bsOffice2003Blue);
}

TObject* TAdvToolBarOfficeStyler::ObjectAt(std::string_view path)
{
    TObject* object = this;
    while (!path.empty()) {
        const size_t dot = path.find('.');
        object = GetObjectProp(object, path.substr(0, dot));
        path = dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
    }
    return object;
}

void TAdvToolBarOfficeStyler::WritePresetValue(std::string_view path, uint32_t value)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos)
        for (const PresetOnlySetting& setting : PresetOnlySettings)
            if (setting.name == path) {
                setting.write(*this, value);
                return;
            }
    TObject* object = dot == std::string_view::npos ? this : ObjectAt(path.substr(0, dot));
    const std::string_view name = dot == std::string_view::npos ? path : path.substr(dot + 1);
    SetOrdProp(object, name, static_cast<int64_t>(value));
}

void TAdvToolBarOfficeStyler::WriteRows(std::span<const TPresetRow> rows, int column)
{
    for (const TPresetRow& row : rows) {
        const uint32_t value = row.values[static_cast<size_t>(column)];
        if (value == NotWritten)
            continue;
        if (row.copyFrom)
            static_cast<TPersistent*>(ObjectAt(row.path))
                ->Assign(static_cast<TPersistent*>(ObjectAt(row.copyFrom)));
        else
            WritePresetValue(row.path, value);
    }
}

void TAdvToolBarOfficeStyler::SetStyle(TToolBarStyle value)
{
    if (value == style_ || value < bsOffice2003Blue || value > bsOfficeXP)
        return;
    style_ = value;
    SetComponentStyle(8);
    SetQATWideArc(false);
    ApplySystemFontName(TabAppearance()->Font(), TabAppearance()->SystemFont());
    ApplySystemFontName(PagerCaption()->Font(), PagerCaption()->SystemFont());
    ApplySystemFontName(GroupAppearance()->Font(), GroupAppearance()->SystemFont());
    ApplySystemFontName(ButtonAppearance()->CaptionFont(), ButtonAppearance()->SystemFont());
    ApplySystemFontName(Font(), SystemFont());
    ApplySystemFontName(CaptionFont(), SystemFont());
    if (TakesCommonGlowButtonSet(value)) {
        WriteRows(CommonGlowButtonSet(), 0);
        CompactGlowButtonAppearance()->Assign(GlowButtonAppearance());
    }
    if (const int column = PresetColumn(value); column >= 0)
        WriteRows(PresetRows(), column);
    NotifyControls(StylerChangeKindOf("Style"));
}

void TAdvToolBarOfficeStyler::ApplyStyle(uint8_t styleNumber)
{
    SetStyle(static_cast<TToolBarStyle>(styleNumber));
}

void TAdvToolBarOfficeStyler::ThemeChanged(TObject*)
{
    if (!AutoThemeAdapt())
        return;
    SetStyle(StyleForXPColorScheme(GetXPThemeColorName()));
}

void TAdvToolBarOfficeStyler::Loaded()
{
    TCustomAdvToolBarStyler::Loaded();
    if (!ComponentState().Contains(csDesigning))
        ThemeChanged();
}

void RegisterToolBarStylerClasses()
{
    RegisterClasses({&TAdvToolBarOfficeStyler::StaticClass()});
}

} // namespace toolbar
