#include "ThemeBinding.h"

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

}  // namespace draw
