#include "FlashModel.h"

#include <algorithm>

namespace sim {

const char* ViolationName(ViolationKind kind)
{
    switch (kind) {
        case ViolationKind::NotErased:
            return "not erased";
        case ViolationKind::OutsideFlash:
            return "outside flash";
        case ViolationKind::BootloaderArea:
            return "bootloader area";
        case ViolationKind::OutsideRun:
            return "outside write run";
        case ViolationKind::WrongReportSize:
            return "wrong report size";
    }
    return "?";
}

int FlashModel::AddRegion(std::string name, uint32_t size, uint8_t fill, bool programmed)
{
    FlashRegion r;
    r.name = std::move(name);
    r.size = size;
    r.data.assign(size, fill);
    r.programmed.assign(size, programmed);
    regions_.push_back(std::move(r));
    return static_cast<int>(regions_.size()) - 1;
}

void FlashModel::Protect(int region, uint32_t start, uint32_t end)
{
    FlashRegion& r = regions_[region];
    r.protectedStart = std::min(start, r.size);
    r.protectedEnd = std::min(end, r.size);
}

void FlashModel::Erase(int region, uint32_t offset, uint32_t length)
{
    uint32_t end =
        static_cast<uint32_t>(std::min<uint64_t>(uint64_t{offset} + length, regions_[region].size));
    Fill(region, offset, end, 0xFF, false);
}

void FlashModel::Fill(int region, uint32_t start, uint32_t end, uint8_t value, bool programmed)
{
    FlashRegion& r = regions_[region];
    end = std::min(end, r.size);
    if (start >= end)
        return;
    std::fill(r.data.begin() + start, r.data.begin() + end, value);
    std::fill(r.programmed.begin() + start, r.programmed.begin() + end, programmed);
}

bool FlashModel::Program(int region, uint32_t offset, uint8_t value)
{
    FlashRegion& r = regions_[region];
    if (r.programmed[offset])
        return false;
    r.data[offset] = value;
    r.programmed[offset] = true;
    return true;
}

} // namespace sim
