#pragma once
// Theme services: whether visual styles are in use, drawing themed elements, and drawing a
// window's parent background into it (for controls that look transparent). Built on the
// run-time uxtheme binding; without it nothing is themed and every drawing call says so.
#include "windows/UxTheme.h"

namespace classlib {

// The theme classes the class library draws, each with the parts and states of the system's
// visual-styles definitions (for teButton: part 1 push button, state 1 normal ... 5 default).
enum TThemedElement {
    teButton,
    teComboBox,
    teEdit,
    teHeader,
    teProgress,
    teRebar,
    teScrollBar,
    teStatus,
    teTab,
    teToolBar,
    teTooltip,
    teTreeview,
    teWindow
};

struct TThemedElementDetails {
    TThemedElement Element = teButton;
    int Part = 0;
    int State = 0;
};

class TThemeServices {
public:
    TThemeServices() = default;
    ~TThemeServices();
    TThemeServices(const TThemeServices&) = delete;
    TThemeServices& operator=(const TThemeServices&) = delete;

    // The visual-styles library is there.
    bool ThemesAvailable() const;
    // Styles are active for the system and this program.
    bool ThemesEnabled() const;

    TThemedElementDetails GetElementDetails(TThemedElement element, int part, int state) const
    {
        return {element, part, state};
    }
    // The theme handle of an element class, opened on first use; null without themes.
    HTHEME Theme(TThemedElement element);
    // Draws the element into `rect` of `dc` (clipped to `clip` when given); false when it
    // could not (no themes, unknown part).
    bool DrawElement(HDC dc, const TThemedElementDetails& details, const RECT& rect,
                     const RECT* clip = nullptr);
    // The element lets what is behind it show through.
    bool HasTransparentParts(const TThemedElementDetails& details);
    // Paints the part of `window`'s parent that lies behind `bounds` (the whole window when
    // null) into `target`, given in the window's client coordinates.
    bool DrawParentBackground(HWND window, HDC target, const RECT* bounds = nullptr);
    // Closes the theme handles, so the next drawing opens the current theme's (after
    // WM_THEMECHANGED).
    void UpdateThemes();

private:
    static constexpr int kElements = teWindow + 1;
    HTHEME themes_[kElements] = {};
};

// The program's theme services, created on first use.
TThemeServices* ThemeServices();

} // namespace classlib
