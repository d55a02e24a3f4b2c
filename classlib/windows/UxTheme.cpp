#include "windows/UxTheme.h"

namespace classlib {

TUxThemeLibrary::TUxThemeLibrary()
{
    module_ = LoadLibraryA("uxtheme.dll");
    if (!module_)
        return;
    bool complete = true;
#define CLASSLIB_UXTHEME_BIND(result, name, params)                    \
    name = reinterpret_cast<result(WINAPI*) params>(                   \
        reinterpret_cast<void (*)()>(GetProcAddress(module_, #name))); \
    complete = complete && name != nullptr;
    CLASSLIB_UXTHEME_FUNCTIONS(CLASSLIB_UXTHEME_BIND)
#undef CLASSLIB_UXTHEME_BIND
    if (complete) {
        loaded_ = true;
        return;
    }
    // Half a binding would let callers reach a missing function: keep none.
#define CLASSLIB_UXTHEME_CLEAR(result, name, params) name = nullptr;
    CLASSLIB_UXTHEME_FUNCTIONS(CLASSLIB_UXTHEME_CLEAR)
#undef CLASSLIB_UXTHEME_CLEAR
    FreeLibrary(module_);
    module_ = nullptr;
}

TUxThemeLibrary::~TUxThemeLibrary()
{
    if (module_)
        FreeLibrary(module_);
}

TUxThemeLibrary& UxThemeLibrary()
{
    static TUxThemeLibrary library;
    return library;
}

} // namespace classlib
