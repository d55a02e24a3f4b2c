#include "ACXPVS.h"

namespace draw::acxpvs {

THEME_ENTRY_POINTS_BEFORE_PART_SIZE(THEME_DEFINE_ENTRY_POINT)

THEME_ENTRY_POINTS_AFTER_PART_SIZE(THEME_DEFINE_ENTRY_POINT)

namespace {

const ThemeEntrySlot Slots[] = {THEME_ENTRY_POINTS_BEFORE_PART_SIZE(THEME_ENTRY_SLOT)

                                    THEME_ENTRY_POINTS_AFTER_PART_SIZE(THEME_ENTRY_SLOT)};

ThemeLibraryState State;

} // namespace

bool ThemeLibraryLoaded()
{
    return State.loaded;
}
HMODULE ThemeLibraryHandle()
{
    return State.handle;
}

void LoadThemeLibrary()
{
    draw::LoadThemeLibrary(State, Slots);
}
void UnloadThemeLibrary()
{
    draw::UnloadThemeLibrary(State);
}

void ThemeBindingInitialize()
{
    InitializeThemeBinding(State, Slots);
}
void ThemeBindingFinalize()
{
    FinalizeThemeBinding(State);
}

} // namespace draw::acxpvs
