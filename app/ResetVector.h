#pragma once
// Reset-vector redirection: the application's own start code is taken out of the image (the
// saved vector) and, with the bootloader at the end of flash, the image's reset vector is
// replaced by a jump to the bootloader.
#include "Families.h"

#include <array>
#include <cstdint>
#include <vector>

namespace app {

using Bytes = std::vector<std::uint8_t>;

enum class BootLayout { AtEnd, AtStart };

// Kinetis flash configuration field at image offsets 0x400..0x40F: backdoor key, protection,
// security and option bytes.
inline constexpr std::array<std::uint8_t, 16> KinetisConfigField{
    0xC3, 0x5E, 0x17, 0xA9, 0x62, 0x0D, 0xF4, 0x8B, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xFD, 0xFF, 0xFF};
inline constexpr std::size_t KinetisConfigOffset = 0x400;

// Startup code of a PIC32 boot image that the bootloader keeps in place: the jump to the
// bootloader then goes to boot offset 64 and the saved vector is this fixed stub.
inline constexpr std::array<std::uint8_t, 16> Pic32FixedStub{
    0xC0, 0xBF, 0x1E, 0x3C, 0x50, 0x00, 0xDE, 0x37, 0x08, 0x00, 0xC0, 0x03, 0x00, 0x00, 0x00, 0x70};
inline constexpr std::size_t Pic32FixedStubPatchOffset = 64;

// Bootloader address in image units: BootStart; PIC32 without its segment bits; PIC24 three
// image bytes per two address units.
std::uint32_t BootloaderImageAddress(FamilyCode family, std::uint32_t bootStart);

// Length of the family's saved vector (0 when the family has none).
std::size_t SavedVectorLength(FamilyCode family);

// Builds the saved vector from `image` (or `boot` for PIC32) and, in the end layout, patches the
// jump to the bootloader into them. A source shorter than the saved vector leaves a zero-filled
// vector and patches nothing. For the PIC32 fixed stub a boot image shorter than the jump's
// place is grown with 0xFF so that the jump is really written.
Bytes BuildResetRedirect(FamilyCode family, BootLayout layout, std::uint32_t bootStart,
                         Bytes& image, Bytes& boot);

// Writes the Kinetis configuration field into an image of at least 0x410 bytes.
void PatchKinetisConfig(Bytes& image);

// Thumb-2 MOVW/MOVT r0, #imm16 as stored in memory (high halfword first, each little-endian).
std::array<std::uint8_t, 4> ThumbMovw(std::uint16_t value);
std::array<std::uint8_t, 4> ThumbMovt(std::uint16_t value);

} // namespace app
