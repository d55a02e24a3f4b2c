#include "ThemeBinding.h"

#include "draw/XPColorScheme.h"

namespace draw {

int BindThemeEntryPoints(HMODULE library, std::span<const ThemeEntrySlot> slots)
{
    int found = 0;
    for (const ThemeEntrySlot& slot : slots) {
        // A library without one of the functions still binds the rest: callers test the
        // variable and see that this one is absent.
        const FARPROC address = GetProcAddress(library, slot.name);
        slot.store(address);
        found += address != nullptr ? 1 : 0;
    }
    return found;
}

void LoadThemeLibrary(ThemeLibraryState& state, std::span<const ThemeEntrySlot> slots)
{
    if (state.loaded)
        return;
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    state.handle = LoadLibraryA("UXTHEME.DLL");
    SetErrorMode(oldMode);
    if (!state.handle)
        return;
    state.loaded = true;
    BindThemeEntryPoints(state.handle, slots);
}

void UnloadThemeLibrary(ThemeLibraryState& state)
{
    if (!state.loaded)
        return;
    FreeLibrary(state.handle);
    state.handle = nullptr;
    state.loaded = false;
}

void InitializeThemeBinding(ThemeLibraryState& state, std::span<const ThemeEntrySlot> slots)
{
    if (state.initCount++ == 0)
        LoadThemeLibrary(state, slots);
}

void FinalizeThemeBinding(ThemeLibraryState& state)
{
    if (state.initCount > 0 && --state.initCount == 0)
        UnloadThemeLibrary(state);
}

} // namespace draw

// ---- the Windows XP colour scheme -------------------------------------------------------------

namespace draw {

bool IsWinXPOrLater()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&version))
        return false;
#pragma GCC diagnostic pop
    return version.dwMajorVersion > 5 ||
           (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

int GetXPThemeColorName()
{
    if (!IsWinXPOrLater())
        return 0;
    HMODULE library = LoadLibraryA("uxtheme.dll");
    if (!library)
        return 0;
    int scheme = 0;
    using IsThemeActiveFn = BOOL(WINAPI*)();
    using GetCurrentThemeNameFn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    auto isThemeActive = reinterpret_cast<IsThemeActiveFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "IsThemeActive")));
    if (isThemeActive && isThemeActive()) {
        auto currentThemeName = reinterpret_cast<GetCurrentThemeNameFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(library, "GetCurrentThemeName")));
        wchar_t fileName[255] = {}, colorName[255] = {}, sizeName[255] = {};
        if (currentThemeName &&
            SUCCEEDED(currentThemeName(fileName, 255, colorName, 255, sizeName, 255))) {
            colorName[254] = L'\0';
            char narrow[2 * 255] = {};
            WideCharToMultiByte(CP_ACP, 0, colorName, -1, narrow, static_cast<int>(sizeof(narrow)),
                                nullptr, nullptr);
            scheme = XPColorSchemeNumber(narrow);
        }
    }
    FreeLibrary(library);
    return scheme;
}

} // namespace draw
