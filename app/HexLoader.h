#pragma once
// Intel HEX loader: turns the text of a HEX file into the family's memory images, keeping only
// the data inside the family's address window.
#include "DeviceInfo.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::uint32_t Pic32ProgramBase = 0x1D000000;
inline constexpr std::uint32_t Pic32BootBase = 0x1FC00000;
inline constexpr std::uint32_t Stm32FlashBase = 0x08000000;
// No image grows past this, whatever the device reports: a HEX file for a family without an
// address window, or a device with a nonsensical flash size, must not allocate gigabytes.
inline constexpr std::uint32_t MaxImageBytes = 64u << 20;

enum class HexProblem {
    None,
    Checksum,         // a record's bytes do not add up to 0
    InvalidRecord,    // characters that are not hexadecimal pairs, or fewer bytes than counted
    BelowFlashOffset, // STM32: an address below 0x08000000
    BeyondFlash,      // a record that would grow an image past the device's flash
    OutsideWindow,    // data, but not one byte of it inside the device's address window
};

enum class MessageBoxKind { Warning, Error };

struct HexLoadResult {
    HexProblem problem = HexProblem::None;
    int line = -1; // 0-based index into the file's lines, skipped lines included
    MessageBoxKind box = MessageBoxKind::Warning;
    std::string message;               // the text of the message box
    std::vector<std::uint8_t> program; // index = address - the family's image base
    std::vector<std::uint8_t> boot;    // PIC32 boot flash; index = address - 0x1FC00000

    bool Ok() const { return problem == HexProblem::None; }
};

// Loads `content` for the device. On any problem nothing is loaded: both images are empty and
// `message` names the line (or, for a file whose data all lie outside the device's address
// window, the file and the window). `path` is used for the file name in messages.
HexLoadResult LoadHex(std::string_view content, std::string_view path, const DeviceInfo& device);

// The name behind the last directory separator.
std::string_view FileNameOnly(std::string_view path);

// Erased value of an unwritten image byte: 0xFF, and for PIC16 0x3F at odd indexes (an
// unwritten 14-bit word reads 0x3FFF).
std::uint8_t ErasedByte(FamilyCode family, std::size_t index);

} // namespace app
