#include "SectorMap.h"

#include <span>

namespace app {

namespace {

constexpr std::uint32_t kF2F4Sizes[] = {0x4000,  0x4000,  0x4000,  0x4000,  0x10000, 0x20000,
                                        0x20000, 0x20000, 0x20000, 0x20000, 0x20000, 0x20000,
                                        0x4000,  0x4000,  0x4000,  0x4000,  0x10000, 0x20000,
                                        0x20000, 0x20000, 0x20000, 0x20000, 0x20000, 0x20000};
constexpr std::uint32_t kF7Sizes[] = {0x8000,  0x8000,  0x8000,  0x8000,
                                      0x20000, 0x40000, 0x40000, 0x40000};

std::span<const std::uint32_t> Map(FamilyCode family)
{
    if (InGroup(family, GroupSectorF2F4))
        return kF2F4Sizes;
    return kF7Sizes;
}

} // namespace

int SectorIndex(FamilyCode family, std::uint32_t address)
{
    const auto sizes = Map(family);
    std::uint64_t offset = address;
    if (!InGroup(family, GroupSectorF2F4))
        offset = (address | 0x08000000u) - 0x08000000u;
    std::uint64_t start = 0;
    for (std::size_t k = 0; k + 1 < sizes.size(); ++k) {
        if (offset < start + sizes[k])
            return static_cast<int>(k);
        start += sizes[k];
    }
    return static_cast<int>(sizes.size()) - 1; // the last sector takes every other address
}

std::int64_t SectorSize(FamilyCode family, int index)
{
    const auto sizes = Map(family);
    if (index < 0 || static_cast<std::size_t>(index) >= sizes.size())
        return -1;
    return sizes[static_cast<std::size_t>(index)];
}

std::uint64_t SectorOffset(FamilyCode family, int index)
{
    std::uint64_t offset = 0;
    for (int k = 0; k < index; ++k)
        offset += static_cast<std::uint64_t>(SectorSize(family, k));
    return offset;
}

} // namespace app
