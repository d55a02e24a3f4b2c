// The bootloader families the simulated device can be: family code, the text a host shows for it,
// how the device aligns the values of its information record, and the memory layout traits that
// decide how the device interprets addresses.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sim {

enum class AddressModel : uint8_t {
    Linear,     // device addresses are flash offsets
    Pic24Words, // two address units per three flash bytes (one 24-bit instruction)
    Pic32,      // program flash at 0x1D000000, boot flash at 0x1FC00000 (physical addresses)
    Stm32,      // flash at 0x08000000; the device also accepts offsets from the flash start
};

enum class EraseModel : uint8_t {
    Blocks,      // uniform erase blocks of EraseBlockSize bytes
    SectorsF2F4, // STM32F2/F4 sector map
    SectorsF7,   // STM32F7 sector map
};

struct Family {
    uint8_t code;
    std::string_view text;
    uint8_t align16; // alignment of 16-bit values in the information record
    uint8_t align32; // alignment of 32-bit values
    AddressModel addresses;
    EraseModel erase;
};

// The 22 families, in code order.
const Family* Families(int* count);
std::optional<Family> FindFamily(uint8_t code);
// Alignments that apply to an unknown code (the 8-bit PIC rule: values follow their tags).
Family UnknownFamily(uint8_t code);

constexpr uint32_t kPic32ProgramFlash = 0x1D000000;
constexpr uint32_t kPic32BootFlash = 0x1FC00000;
constexpr uint32_t kStm32Flash = 0x08000000;

// End of the PIC32 boot flash (physical address) for families 20 and 21.
uint32_t Pic32BootFlashEnd(uint8_t code);

} // namespace sim
