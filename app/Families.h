#pragma once
// The microcontroller families a bootloader can report, with the text shown for each, the
// command-line keyword that names it, how the device-information record aligns its values, and
// the groups the loader and the upload engine decide by.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace app {

using FamilyCode = std::uint8_t;

enum FamilyGroup : std::uint16_t {
    GroupPic8 = 1 << 0,       // 1, 2, 3: 8-bit PIC
    GroupPic24 = 1 << 1,      // 4, 10, 11: three image bytes per instruction
    GroupPic32 = 1 << 2,      // 20, 21: program flash at 0x1D000000 plus boot flash
    GroupArm = 1 << 3,        // Thumb-2 vector-table redirection
    GroupStm32 = 1 << 4,      // HEX addresses at or above 0x08000000
    GroupSectorF2F4 = 1 << 5, // erased by the STM32F2/F4 sector map
    GroupSectorF7 = 1 << 6,   // erased by the STM32F7 sector map
    GroupKinetis = 1 << 7,    // flash configuration field at 0x400
    GroupFt90x = 1 << 8,
};

struct Family {
    FamilyCode code;
    std::string_view text;    // shown in the family combo box
    std::string_view keyword; // command-line keyword, empty when none
    std::uint8_t align16;     // alignment of 16-bit record values
    std::uint8_t align32;     // alignment of 32-bit record values
    std::uint16_t groups;
};

// The 22 families in code order.
std::span<const Family> Families();
// The family of a code, or nullptr for a code outside the table.
const Family* FindFamily(FamilyCode code);
bool InGroup(FamilyCode code, FamilyGroup group);
inline bool IsSectorFamily(FamilyCode code)
{
    return InGroup(code, GroupSectorF2F4) || InGroup(code, GroupSectorF7);
}

// Record alignment of 16-bit and 32-bit values; 1 for codes outside the table.
unsigned Align16(FamilyCode code);
unsigned Align32(FamilyCode code);

// '<P align="center">' + text + '</P>': the item of the family and device combo boxes. The
// text is a name (the device reports its own), escaped so that it shows as written: a "<", ">",
// "&" or '"' in it never becomes markup (an image tag in a device's name would load a file).
std::string CenteredComboItem(std::string_view text);

// `text` with "&", "<", ">" and '"' written as the mini-HTML entities.
std::string EscapeHtmlText(std::string_view text);

// HEX address of image index 0: 0x08000000 for the STM32 group, 0x1D000000 for PIC32, else 0.
std::uint32_t HexImageBase(FamilyCode code);

} // namespace app
