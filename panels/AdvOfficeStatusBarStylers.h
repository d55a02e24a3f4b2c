#pragma once
// The look of the office status bar: an appearance set (normal, hot and down colour groups with
// mirror colours and text colours), the styler that holds the bar's border colour and its light
// and dark sets and repaints every bar registered with it, and the office styler with its ten
// named presets, following the Windows XP colour scheme on request.
#include "core/Component.h"
#include "core/Events.h"
#include "draw/NotifierWindow.h"
#include "windows/Controls.h"
#include "windows/Graphics.h"

#include <vector>

namespace panels {

class TVistaBackground : public classlib::TPersistent {
    CLASSLIB_CLASS(TVistaBackground, classlib::TPersistent)
    TVistaBackground();

    // From another appearance set all twenty values (the text style last, through its
    // setter); anything else raises as the platform's assignment does.
    void Assign(classlib::TPersistent* source) override;

#define PANELS_VISTA_COLOR(Name, member) \
    classlib::TColor Name() const        \
    {                                    \
        return member;                   \
    }
    PANELS_VISTA_COLOR(BorderColor, borderColor_)
    PANELS_VISTA_COLOR(BorderColorHot, borderColorHot_)
    PANELS_VISTA_COLOR(BorderColorDown, borderColorDown_)
    PANELS_VISTA_COLOR(Color, color_)
    PANELS_VISTA_COLOR(ColorTo, colorTo_)
    PANELS_VISTA_COLOR(ColorHot, colorHot_)
    PANELS_VISTA_COLOR(ColorHotTo, colorHotTo_)
    PANELS_VISTA_COLOR(ColorDown, colorDown_)
    PANELS_VISTA_COLOR(ColorDownTo, colorDownTo_)
    PANELS_VISTA_COLOR(ColorMirror, colorMirror_)
    PANELS_VISTA_COLOR(ColorMirrorTo, colorMirrorTo_)
    PANELS_VISTA_COLOR(ColorMirrorHot, colorMirrorHot_)
    PANELS_VISTA_COLOR(ColorMirrorHotTo, colorMirrorHotTo_)
    PANELS_VISTA_COLOR(ColorMirrorDown, colorMirrorDown_)
    PANELS_VISTA_COLOR(ColorMirrorDownTo, colorMirrorDownTo_)
    PANELS_VISTA_COLOR(TextColor, textColor_)
    PANELS_VISTA_COLOR(TextColorHot, textColorHot_)
    PANELS_VISTA_COLOR(TextColorDown, textColorDown_)
#undef PANELS_VISTA_COLOR
    int Steps() const
    {
        return steps_;
    }
    classlib::TFontStyles TextStyle() const
    {
        return textStyle_;
    }

    // These store a changed value and fire OnChange.
    void SetBorderColor(classlib::TColor value)
    {
        Store(borderColor_, value);
    }
    void SetBorderColorDown(classlib::TColor value)
    {
        Store(borderColorDown_, value);
    }
    void SetColor(classlib::TColor value)
    {
        Store(color_, value);
    }
    void SetColorTo(classlib::TColor value)
    {
        Store(colorTo_, value);
    }
    void SetColorDown(classlib::TColor value)
    {
        Store(colorDown_, value);
    }
    void SetColorDownTo(classlib::TColor value)
    {
        Store(colorDownTo_, value);
    }
    void SetColorMirror(classlib::TColor value)
    {
        Store(colorMirror_, value);
    }
    void SetColorMirrorTo(classlib::TColor value)
    {
        Store(colorMirrorTo_, value);
    }
    void SetColorMirrorDown(classlib::TColor value)
    {
        Store(colorMirrorDown_, value);
    }
    void SetColorMirrorDownTo(classlib::TColor value)
    {
        Store(colorMirrorDownTo_, value);
    }
    void SetTextColor(classlib::TColor value)
    {
        Store(textColor_, value);
    }
    void SetTextColorDown(classlib::TColor value)
    {
        Store(textColorDown_, value);
    }
    void SetSteps(int value);
    // Always stores and fires OnChange.
    void SetTextStyle(classlib::TFontStyles value);
    // The hot values are only stored: they show at the bars' next repaint.
    void SetBorderColorHot(classlib::TColor value)
    {
        borderColorHot_ = value;
    }
    void SetColorHot(classlib::TColor value)
    {
        colorHot_ = value;
    }
    void SetColorHotTo(classlib::TColor value)
    {
        colorHotTo_ = value;
    }
    void SetColorMirrorHot(classlib::TColor value)
    {
        colorMirrorHot_ = value;
    }
    void SetColorMirrorHotTo(classlib::TColor value)
    {
        colorMirrorHotTo_ = value;
    }
    void SetTextColorHot(classlib::TColor value)
    {
        textColorHot_ = value;
    }

    classlib::TNotifyEvent OnChange;

private:
    void Store(classlib::TColor& field, classlib::TColor value);
    void Changed();

    classlib::TColor borderColor_ = classlib::clNone;
    classlib::TColor borderColorHot_ = classlib::clGray;
    classlib::TColor borderColorDown_ = classlib::clGray;
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clWhite;
    classlib::TColor colorHot_ = classlib::clWhite;
    classlib::TColor colorHotTo_ = classlib::clWhite;
    classlib::TColor colorDown_ = classlib::clWhite;
    classlib::TColor colorDownTo_ = classlib::clWhite;
    classlib::TColor colorMirror_ = classlib::clSilver;
    classlib::TColor colorMirrorTo_ = classlib::clWhite;
    classlib::TColor colorMirrorHot_ = classlib::clSilver;
    classlib::TColor colorMirrorHotTo_ = classlib::clWhite;
    classlib::TColor colorMirrorDown_ = classlib::clSilver;
    classlib::TColor colorMirrorDownTo_ = classlib::clWhite;
    int steps_ = 64;
    classlib::TColor textColor_ = classlib::clBlack;
    classlib::TColor textColorHot_ = classlib::clBlack;
    classlib::TColor textColorDown_ = classlib::clBlack;
    classlib::TFontStyles textStyle_{};
};

// Holds the bars' border colour and the two appearance sets; repaints the registered bars on
// every change of them.
class TCustomAdvOfficeStatusBarStyler : public classlib::TComponent {
    CLASSLIB_CLASS(TCustomAdvOfficeStatusBarStyler, classlib::TComponent)
    explicit TCustomAdvOfficeStatusBarStyler(classlib::TComponent* owner);
    ~TCustomAdvOfficeStatusBarStyler() override;

    void AddControl(classlib::TControl* bar);
    void RemoveControl(classlib::TControl* bar);
    int ControlCount() const { return static_cast<int>(bars_.size()); }
    // Raises "Index out of bounds in list read access" for an index not below the count.
    classlib::TControl* Controls(int index) const;
    void RepaintBars();

    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value);
    TVistaBackground* PanelAppearanceLight() const { return light_; }
    void SetPanelAppearanceLight(TVistaBackground* value) { light_->Assign(value); }
    TVistaBackground* PanelAppearanceDark() const { return dark_; }
    void SetPanelAppearanceDark(TVistaBackground* value) { dark_->Assign(value); }
    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool value) { autoThemeAdapt_ = value; }

    void Assign(classlib::TPersistent* source) override;

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    void AppearanceChanged(classlib::TObject* sender);

    std::vector<classlib::TControl*> bars_;
    classlib::TColor borderColor_ = 8542779;
    TVistaBackground* light_;
    TVistaBackground* dark_;
    bool autoThemeAdapt_ = false;
};

enum class TOfficeStatusBarStyle {
    psOffice2003Blue,
    psOffice2003Silver,
    psOffice2003Olive,
    psOffice2003Classic,
    psOffice2007Luna,
    psOffice2007Obsidian,
    psWindowsXP,
    psWhidbey,
    psCustom,
    psOffice2007Silver
};
CLASSLIB_ENUM(TOfficeStatusBarStyle);

// The hidden window that reports the platform's theme change.
using draw::TNotifierWindow;

class TAdvOfficeStatusBarOfficeStyler : public TCustomAdvOfficeStatusBarStyler {
    CLASSLIB_CLASS(TAdvOfficeStatusBarOfficeStyler, TCustomAdvOfficeStatusBarStyler)
    explicit TAdvOfficeStatusBarOfficeStyler(classlib::TComponent* owner);

    TOfficeStatusBarStyle Style() const { return style_; }
    // Writes the preset's values (TOfficeStatusBarStyle::psCustom writes none) and repaints the
    // bars; the current style again changes nothing. A number past the last preset is ignored.
    void SetStyle(TOfficeStatusBarStyle value);
    // The component style interface: the style of that number.
    void ApplyStyle(int style);
    // Copies the colours; the style becomes the source's, or TOfficeStatusBarStyle::psCustom for a
    // styler without one.
    void Assign(classlib::TPersistent* source) override;
    // Follows the XP colour scheme when AutoThemeAdapt is set.
    void ThemeChanged(classlib::TObject* sender = nullptr);

protected:
    void Loaded() override;

private:
    TOfficeStatusBarStyle style_ = TOfficeStatusBarStyle::psOffice2003Blue;
    TNotifierWindow* notifier_ = nullptr;
};

} // namespace panels
