#pragma once
// The toolbar styler's colour presets as data: one table of rows, each a property path of the
// styler (dots lead into its appearance objects) with the value every style's block writes
// there, or "not written". The office styler reads it through the properties' setters; nothing
// here needs a window. Also the Windows XP colour-scheme rule the automatic presets follow.
#include "core/Object.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace toolbar {

enum TToolBarStyle {
    bsOffice2003Blue,
    bsOffice2003Silver,
    bsOffice2003Olive,
    bsOffice2003Classic,
    bsOffice2007Luna,
    bsOffice2007Obsidian,
    bsWindowsXP,
    bsWhidbeyStyle,
    bsCustom,
    bsOffice2007Silver,
    bsOfficeXP
};
CLASSLIB_ENUM(TToolBarStyle);

// The preset columns, one per block; bsOfficeXP shares the bsWindowsXP block, bsCustom has none.
inline constexpr int PresetBlockCount = 9;
// The column of `style`'s block, or -1 for bsCustom and numbers that name no style.
int PresetColumn(int style);

// A value a block does not write.
inline constexpr uint32_t NotWritten = 0xFFFFFFFEu;

struct TPresetRow {
    const char* path;
    // The value per block (colours as TColor, enumerations as their ordinal, flags 0 or 1).
    std::array<uint32_t, PresetBlockCount> values;
    // When set, the row copies the object at `copyFrom` into the object at `path` in every
    // block that does not say NotWritten.
    const char* copyFrom = nullptr;
};

// Every block's rows in the order they are written.
std::span<const TPresetRow> PresetRows();
// The hot, down and checked colours that the Office 2003 blue, silver and olive styles and
// the Whidbey style give the glow-button appearance before their block runs (one column).
std::span<const TPresetRow> CommonGlowButtonSet();
// True for the styles that take the common glow-button set before their block.
bool TakesCommonGlowButtonSet(int style);

// The value that `style`'s block writes at `path`; NotWritten when it writes none there.
uint32_t PresetValue(int style, std::string_view path);

// Exchanges the lowest and the third byte: an 0xRRGGBB literal as a TColor and back.
uint32_t SwapRedBlue(uint32_t color);

// The style that follows a Windows XP colour-scheme number (draw/XPColorScheme.h): blue for 1
// ("NormalColor"), olive for 2 ("HomeStead"), silver for 3 ("Metallic"), classic for
// everything else.
TToolBarStyle StyleForXPColorScheme(int scheme);

} // namespace toolbar
