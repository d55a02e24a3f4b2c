// The simulated device's flash: one or two regions (PIC32: program and boot flash), each byte
// with its value and whether it has been programmed since it was last erased, the bootloader's
// own area that the host must not touch, and the violations of the rules a real device's flash
// and bootloader impose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class ViolationKind : uint8_t {
    NotErased,       // programming bytes that were programmed since their last erase
    OutsideFlash,    // erasing or writing beyond the flash
    BootloaderArea,  // erasing or writing the bootloader's own area
    OutsideRun,      // data that no write command announced
    WrongReportSize, // an output report that is not one whole report long
};

const char* ViolationName(ViolationKind kind);

struct Violation {
    ViolationKind kind;
    std::string detail; // what was attempted, where
};

struct FlashRegion {
    std::string name;
    uint32_t size = 0;
    uint32_t protectedStart = 0; // bootloader area [protectedStart, protectedEnd)
    uint32_t protectedEnd = 0;
    std::vector<uint8_t> data;
    std::vector<bool> programmed;

    bool Overlaps(uint64_t start, uint64_t length, uint64_t areaStart, uint64_t areaEnd) const
    {
        return start < areaEnd && areaStart < start + length;
    }
    bool TouchesBootloader(uint64_t start, uint64_t length) const
    {
        return Overlaps(start, length, protectedStart, protectedEnd);
    }
};

class FlashModel {
public:
    // A region filled with `fill`; `programmed` says whether that content counts as programmed.
    int AddRegion(std::string name, uint32_t size, uint8_t fill, bool programmed);
    void Protect(int region, uint32_t start, uint32_t end);

    int RegionCount() const { return static_cast<int>(regions_.size()); }
    const FlashRegion& Region(int index) const { return regions_[index]; }

    void Erase(int region, uint32_t offset, uint32_t length);
    // Sets [start, end) to `value`, programmed or not (the device's state when it starts).
    void Fill(int region, uint32_t start, uint32_t end, uint8_t value, bool programmed);
    // Programs one byte; false (nothing changed) when it was programmed since its last erase.
    bool Program(int region, uint32_t offset, uint8_t value);

private:
    std::vector<FlashRegion> regions_;
};

} // namespace sim
