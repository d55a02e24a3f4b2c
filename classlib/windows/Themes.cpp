#include "windows/Themes.h"

namespace classlib {

namespace {

// The visual-styles class of each element, in the order of TThemedElement.
const wchar_t* const kClassNames[] = {L"BUTTON",  L"COMBOBOX",  L"EDIT",   L"HEADER", L"PROGRESS",
                                      L"REBAR",   L"SCROLLBAR", L"STATUS", L"TAB",    L"TOOLBAR",
                                      L"TOOLTIP", L"TREEVIEW",  L"WINDOW"};
static_assert(sizeof kClassNames / sizeof kClassNames[0] == teWindow + 1, "one class per element");

} // namespace

TThemeServices::~TThemeServices()
{
    UpdateThemes();
}

bool TThemeServices::ThemesAvailable() const
{
    return UxThemeLibrary().Loaded();
}

bool TThemeServices::ThemesEnabled() const
{
    const TUxThemeLibrary& ux = UxThemeLibrary();
    return ux.Loaded() && ux.IsThemeActive() && ux.IsAppThemed();
}

HTHEME TThemeServices::Theme(TThemedElement element)
{
    if (element < 0 || element >= kElements || !ThemesEnabled())
        return nullptr;
    if (!themes_[element])
        themes_[element] = UxThemeLibrary().OpenThemeData(nullptr, kClassNames[element]);
    return themes_[element];
}

bool TThemeServices::DrawElement(HDC dc, const TThemedElementDetails& details, const RECT& rect,
                                 const RECT* clip)
{
    HTHEME theme = Theme(details.Element);
    if (!theme)
        return false;
    return UxThemeLibrary().DrawThemeBackground(theme, dc, details.Part, details.State, &rect,
                                                clip) == S_OK;
}

bool TThemeServices::HasTransparentParts(const TThemedElementDetails& details)
{
    HTHEME theme = Theme(details.Element);
    return theme && UxThemeLibrary().IsThemeBackgroundPartiallyTransparent(theme, details.Part,
                                                                           details.State);
}

bool TThemeServices::DrawParentBackground(HWND window, HDC target, const RECT* bounds)
{
    const TUxThemeLibrary& ux = UxThemeLibrary();
    if (!ux.Loaded() || !window)
        return false;
    return ux.DrawThemeParentBackground(window, target, bounds) == S_OK;
}

void TThemeServices::UpdateThemes()
{
    for (HTHEME& theme : themes_) {
        if (theme)
            UxThemeLibrary().CloseThemeData(theme);
        theme = nullptr;
    }
}

TThemeServices* ThemeServices()
{
    // The binding first, so that it outlives the services, which close their themes at exit.
    UxThemeLibrary();
    static TThemeServices services;
    return &services;
}

} // namespace classlib
