#pragma once
// Sector maps of the STM32 families that erase by sectors: F2/F4 (codes 36, 37) and F7 (41).
#include "Families.h"

#include <cstdint>

namespace app {

// Sector of an address: for F2/F4 an offset from the start of flash; for F7 the address is first
// ORed with 0x08000000, so offsets and addresses give the same sector.
int SectorIndex(FamilyCode family, std::uint32_t address);
// Size of a sector in bytes; -1 for an index outside the map.
std::int64_t SectorSize(FamilyCode family, int index);
// Offset of a sector from the start of flash (the sizes of the sectors below it added up).
std::uint64_t SectorOffset(FamilyCode family, int index);

} // namespace app
