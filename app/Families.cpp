#include "Families.h"

#include <algorithm>
#include <iterator>

namespace app {

namespace {

constexpr std::uint16_t Arm = GroupArm;
constexpr std::uint16_t Stm = GroupArm | GroupStm32;
constexpr std::uint16_t Kin = GroupArm | GroupKinetis;

constexpr Family kFamilies[] = {
    {1, "PIC16", "P16", 1, 1, GroupPic8},
    {2, "PIC18", "P18", 1, 1, GroupPic8},
    {3, "PIC18FJ", "", 1, 1, GroupPic8},
    {4, "PIC24", "P24", 2, 2, GroupPic24},
    {10, "dsPIC", "", 2, 2, GroupPic24},
    {11, "dsPIC33", "P33", 2, 2, GroupPic24},
    {20, "PIC32", "PIC32", 2, 4, GroupPic32},
    {21, "PIC32MZ", "PIC32MZ", 2, 4, GroupPic32},
    {30, "ARM", "ARM", 2, 4, Arm},
    {31, "STELLARIS M3", "STELLARIS_M3", 2, 4, Arm},
    {32, "STELLARIS M4", "STELLARIS_M4", 2, 4, Arm},
    {33, "STELLARIS", "STELLARIS", 2, 4, Arm},
    {34, "STM32L1XX", "", 2, 4, Stm},
    {35, "STM32F1XX", "", 2, 4, Stm},
    {36, "STM32F2XX", "", 2, 4, Stm | GroupSectorF2F4},
    {37, "STM32F4XX", "", 2, 4, Stm | GroupSectorF2F4},
    {38, "TIVA C Series", "TIVA_C", 2, 4, Arm},
    {40, "FT90X", "FT90", 2, 4, GroupFt90x},
    {41, "STM32F7XX", "", 2, 4, Stm | GroupSectorF7},
    {42, "MK64F", "", 2, 4, Kin},
    {43, "MK22F", "", 2, 4, Kin},
    {46, "MK66FX", "", 2, 4, Kin},
};

} // namespace

std::span<const Family> Families()
{
    return kFamilies;
}

const Family* FindFamily(FamilyCode code)
{
    auto it = std::find_if(std::begin(kFamilies), std::end(kFamilies),
                           [code](const Family& f) { return f.code == code; });
    return it == std::end(kFamilies) ? nullptr : it;
}

bool InGroup(FamilyCode code, FamilyGroup group)
{
    const Family* f = FindFamily(code);
    return f && (f->groups & group) != 0;
}

unsigned Align16(FamilyCode code)
{
    const Family* f = FindFamily(code);
    return f ? f->align16 : 1;
}

unsigned Align32(FamilyCode code)
{
    const Family* f = FindFamily(code);
    return f ? f->align32 : 1;
}

std::string EscapeHtmlText(std::string_view text)
{
    struct Entity {
        char character;
        const char* written;
    };
    static constexpr Entity Entities[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}};
    std::string escaped;
    for (char c : text) {
        const Entity* entity = std::find_if(std::begin(Entities), std::end(Entities),
                                            [c](const Entity& e) { return e.character == c; });
        if (entity != std::end(Entities))
            escaped += entity->written;
        else
            escaped += c;
    }
    return escaped;
}

std::string CenteredComboItem(std::string_view text)
{
    std::string s = "<P align=\"center\">";
    s.append(EscapeHtmlText(text));
    s.append("</P>");
    return s;
}

std::uint32_t HexImageBase(FamilyCode code)
{
    if (InGroup(code, GroupStm32))
        return 0x08000000;
    if (InGroup(code, GroupPic32))
        return 0x1D000000;
    return 0;
}

} // namespace app
