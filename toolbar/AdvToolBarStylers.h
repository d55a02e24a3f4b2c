#pragma once
// The styler component an application places on a form: every property of the styler base
// published, eleven colour presets behind `Style` (the values are the data of
// ToolBarStylePresets), the Windows XP colour-scheme adaptation on WM_THEMECHANGED and the
// component style interface.
#include "draw/NotifierWindow.h"
#include "draw/XPColorScheme.h"
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/ToolBarStylePresets.h"

#include <string_view>

namespace toolbar {

// The theme-change window, the Windows XP test and the active colour scheme's number, shared
// with the other stylers.
using draw::GetXPThemeColorName;
using draw::IsWinXPOrLater;
using draw::TNotifierWindow;

class TAdvToolBarOfficeStyler : public TCustomAdvToolBarStyler,
                                public controls::IAdvComponentStyle {
    CLASSLIB_CLASS(TAdvToolBarOfficeStyler, TCustomAdvToolBarStyler)
    // Starts from the Windows XP block with the Office 2003 blue block on top of it.
    explicit TAdvToolBarOfficeStyler(classlib::TComponent* owner);

    TToolBarStyle Style() const { return style_; }
    // The preset: nothing for the current style; otherwise the component style becomes 8, the
    // wide quick-access arc goes off, the fonts take the system font name where their flag
    // asks for it, the common glow-button set (for the styles that take it) and the style's
    // block are written through the setters, and the controls get ckAppearance. bsCustom
    // writes no block. A number that names no style is ignored: storing it would leave a
    // Style that no form layout can name.
    void SetStyle(TToolBarStyle value);
    // The component style interface: Style becomes `styleNumber`.
    void ApplyStyle(uint8_t styleNumber) override;
    // With AutoThemeAdapt, the style that follows the Windows XP colour scheme.
    void ThemeChanged(classlib::TObject* sender = nullptr);
    TNotifierWindow* NotifierWindow() const { return notifier_; }

protected:
    void Loaded() override;

private:
    void WriteRows(std::span<const TPresetRow> rows, int column);
    void WritePresetValue(std::string_view path, uint32_t value);
    classlib::TObject* ObjectAt(std::string_view path);

    TToolBarStyle style_ = bsOffice2003Blue;
    TNotifierWindow* notifier_;
};

// Makes the toolbar stylers known to form layouts.
void RegisterToolBarStylerClasses();

} // namespace toolbar
