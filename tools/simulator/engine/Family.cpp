#include "Family.h"

#include <iterator>

namespace sim {
namespace {

using A = AddressModel;
using E = EraseModel;

constexpr Family kFamilies[] = {
    {1, "PIC16", 1, 1, A::Linear, E::Blocks},
    {2, "PIC18", 1, 1, A::Linear, E::Blocks},
    {3, "PIC18FJ", 1, 1, A::Linear, E::Blocks},
    {4, "PIC24", 2, 2, A::Pic24Words, E::Blocks},
    {10, "dsPIC", 2, 2, A::Pic24Words, E::Blocks},
    {11, "dsPIC33", 2, 2, A::Pic24Words, E::Blocks},
    {20, "PIC32", 2, 4, A::Pic32, E::Blocks},
    {21, "PIC32MZ", 2, 4, A::Pic32, E::Blocks},
    {30, "ARM", 2, 4, A::Linear, E::Blocks},
    {31, "STELLARIS M3", 2, 4, A::Linear, E::Blocks},
    {32, "STELLARIS M4", 2, 4, A::Linear, E::Blocks},
    {33, "STELLARIS", 2, 4, A::Linear, E::Blocks},
    {34, "STM32L1XX", 2, 4, A::Stm32, E::Blocks},
    {35, "STM32F1XX", 2, 4, A::Stm32, E::Blocks},
    {36, "STM32F2XX", 2, 4, A::Stm32, E::SectorsF2F4},
    {37, "STM32F4XX", 2, 4, A::Stm32, E::SectorsF2F4},
    {38, "TIVA C Series", 2, 4, A::Linear, E::Blocks},
    {40, "FT90X", 2, 4, A::Linear, E::Blocks},
    {41, "STM32F7XX", 2, 4, A::Stm32, E::SectorsF7},
    {42, "MK64F", 2, 4, A::Linear, E::Blocks},
    {43, "MK22F", 2, 4, A::Linear, E::Blocks},
    {46, "MK66FX", 2, 4, A::Linear, E::Blocks},
};

} // namespace

const Family* Families(int* count)
{
    *count = static_cast<int>(std::size(kFamilies));
    return kFamilies;
}

std::optional<Family> FindFamily(uint8_t code)
{
    for (const Family& f : kFamilies) {
        if (f.code == code)
            return f;
    }
    return std::nullopt;
}

Family UnknownFamily(uint8_t code)
{
    return {code, "", 1, 1, A::Linear, E::Blocks};
}

uint32_t Pic32BootFlashEnd(uint8_t code)
{
    return code == 21 ? 0x1FC14000 : 0x1FC03000;
}

} // namespace sim
