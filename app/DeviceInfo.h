#pragma once
// The device-information record the bootloader sends in answer to command 2: a length byte and
// tagged little-endian values aligned by the device's family.
#include "Families.h"

#include <cstdint>
#include <span>
#include <string>

namespace app {

struct DeviceInfo {
    FamilyCode mcuType = 0;
    std::uint16_t eraseBlockSize = 0;
    std::uint16_t writeBlockSize = 0;
    std::uint16_t bootRevision = 0;
    std::uint32_t bootStart = 0;
    std::string mcuName;
    std::uint32_t flashSize = 0;
    std::uint32_t appStart = 0;

    // Bit 0 of the revision: the bootloader sits at the start of flash.
    bool IsBootAtStart() const { return (bootRevision & 1) != 0; }
    // Revisions from 0x1200 on accept HEX data up to the flash size.
    bool HasFlashSizeLimit() const { return bootRevision >= 0x1200; }

    bool operator==(const DeviceInfo&) const = default;
};

enum RecordTag : std::uint8_t {
    TagMcuType = 1,
    TagEraseBlockSize = 3,
    TagWriteBlockSize = 4,
    TagBootRevision = 5,
    TagBootStart = 6,
    TagMcuName = 7,
    TagFlashSize = 8,
    TagAppStart = 9,
};

// Parses the record at the start of `received` over `previous`: fields whose tags are absent
// keep their values, and a record without a family tag is aligned by the previous family.
// Parsing stops at the record's length byte or at the end of the received bytes, whichever
// comes first; a value or name cut off by that end is not taken.
DeviceInfo ParseDeviceInfo(std::span<const std::uint8_t> received, const DeviceInfo& previous);

// The upload divides by both block sizes and sizes the receive buffer by the erase block: a
// device whose erase block is below one input report (64 bytes), or whose write block is 0 or
// above one write run (0x8000), is treated as not being in bootloader mode.
bool HasUsableGeometry(const DeviceInfo& info);

} // namespace app
