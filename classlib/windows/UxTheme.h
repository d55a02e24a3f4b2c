#pragma once
// Run-time binding of the visual-styles library (uxtheme.dll), which older systems lack: the
// library is loaded by name on first use and never imported. Each entry point is described
// once, in CLASSLIB_UXTHEME_FUNCTIONS, which declares the pointer and binds it; a binding that
// needs more entry points extends the table.
#include <windows.h>
#include <uxtheme.h> // types only: nothing is imported

namespace classlib {

// X(return type, name, parameter list), in binding order.
#define CLASSLIB_UXTHEME_FUNCTIONS(X)                                                   \
    X(HTHEME, OpenThemeData, (HWND window, LPCWSTR classList))                          \
    X(HRESULT, CloseThemeData, (HTHEME theme))                                          \
    X(HRESULT, DrawThemeBackground,                                                     \
      (HTHEME theme, HDC dc, int part, int state, const RECT* rect, const RECT* clip))  \
    X(BOOL, IsThemeBackgroundPartiallyTransparent, (HTHEME theme, int part, int state)) \
    X(BOOL, IsThemeActive, ())                                                          \
    X(BOOL, IsAppThemed, ())                                                            \
    X(HRESULT, DrawThemeParentBackground, (HWND window, HDC dc, const RECT* rect))

class TUxThemeLibrary {
public:
    // True when the library is loaded and every entry point of the table is bound.
    bool Loaded() const { return loaded_; }

#define CLASSLIB_UXTHEME_POINTER(result, name, params) result(WINAPI* name) params = nullptr;
    CLASSLIB_UXTHEME_FUNCTIONS(CLASSLIB_UXTHEME_POINTER)
#undef CLASSLIB_UXTHEME_POINTER

private:
    friend TUxThemeLibrary& UxThemeLibrary();
    TUxThemeLibrary();
    ~TUxThemeLibrary();
    HMODULE module_ = nullptr;
    bool loaded_ = false;
};

// The binding, loaded on first use and released at exit. Without the library, or when one
// entry point is missing, nothing is bound and Loaded() is false.
TUxThemeLibrary& UxThemeLibrary();

} // namespace classlib
