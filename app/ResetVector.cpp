#include "ResetVector.h"

#include <algorithm>

namespace app {

namespace {

std::uint32_t Le32(const Bytes& b, std::size_t at)
{
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

std::uint8_t Byte(std::uint32_t v, int shift)
{
    return static_cast<std::uint8_t>(v >> shift);
}

std::array<std::uint8_t, 4> ThumbMov(std::uint32_t opcode, std::uint16_t v)
{
    const std::uint32_t imm4 = v >> 12, i = (v >> 11) & 1, imm3 = (v >> 8) & 7, imm8 = v & 0xFF;
    const std::uint32_t w = opcode + imm8 + (imm3 << 12) + (imm4 << 16) + (i << 26);
    return {Byte(w, 16), Byte(w, 24), Byte(w, 0), Byte(w, 8)};
}

void Put(Bytes& dst, std::size_t at, std::initializer_list<std::uint8_t> bytes)
{
    std::copy(bytes.begin(), bytes.end(), dst.begin() + static_cast<std::ptrdiff_t>(at));
}

} // namespace

std::array<std::uint8_t, 4> ThumbMovw(std::uint16_t value)
{
    return ThumbMov(0xF2400000, value);
}

std::array<std::uint8_t, 4> ThumbMovt(std::uint16_t value)
{
    return ThumbMov(0xF2C00000, value);
}

std::uint32_t BootloaderImageAddress(FamilyCode family, std::uint32_t bootStart)
{
    if (InGroup(family, GroupPic32))
        return bootStart & 0x1FFFFFFF;
    if (InGroup(family, GroupPic24))
        return bootStart / 2 * 3;
    return bootStart;
}

std::size_t SavedVectorLength(FamilyCode family)
{
    if (family == 2 || family == 3 || InGroup(family, GroupFt90x))
        return 4;
    if (InGroup(family, GroupPic24))
        return 6;
    if (InGroup(family, GroupPic32))
        return 16;
    if (InGroup(family, GroupArm))
        return 20;
    return 0;
}

Bytes BuildResetRedirect(FamilyCode family, BootLayout layout, std::uint32_t bootStart,
                         Bytes& image, Bytes& boot)
{
    const std::size_t length = SavedVectorLength(family);
    Bytes saved(length, 0);
    const bool pic32 = InGroup(family, GroupPic32);
    const Bytes& source = pic32 ? boot : image;
    if (length == 0 || source.size() < length)
        return saved;
    const bool atEnd = layout == BootLayout::AtEnd;
    const std::uint32_t bs = BootloaderImageAddress(family, bootStart);

    if (pic32) {
        const std::uint32_t first = Le32(boot, 0);
        std::size_t p = 0;
        if (first == 0x27BDFFFC || first == 0x70000000) {
            std::copy(Pic32FixedStub.begin(), Pic32FixedStub.end(), saved.begin());
            p = Pic32FixedStubPatchOffset;
        } else {
            std::copy_n(boot.begin(), 16, saved.begin());
        }
        if (atEnd) {
            if (boot.size() < p + 16)
                boot.resize(p + 16, 0xFF);
            // LUI k0, hi; ORI k0, k0, lo; JR k0; and the word 0x70000000.
            Put(boot, p,
                {Byte(bootStart, 16), Byte(bootStart, 24), 0x1E, 0x3C, Byte(bootStart, 0),
                 Byte(bootStart, 8), 0xDE, 0x37, 0x08, 0x00, 0xC0, 0x03, 0x00, 0x00, 0x00, 0x70});
        }
        return saved;
    }

    if (InGroup(family, GroupArm)) {
        const std::uint32_t sp = Le32(image, 0), pc = Le32(image, 4);
        const auto a = ThumbMovw(static_cast<std::uint16_t>(sp)),
                   b = ThumbMovt(static_cast<std::uint16_t>(sp >> 16));
        const auto c = ThumbMovw(static_cast<std::uint16_t>(pc)),
                   d = ThumbMovt(static_cast<std::uint16_t>(pc >> 16));
        std::copy(a.begin(), a.end(), saved.begin());
        std::copy(b.begin(), b.end(), saved.begin() + 4);
        saved[8] = 0x85; // MOV sp, r0
        saved[9] = 0x46;
        std::copy(c.begin(), c.end(), saved.begin() + 10);
        std::copy(d.begin(), d.end(), saved.begin() + 14);
        saved[18] = 0x00; // BX r0
        saved[19] = 0x47;
        if (atEnd) // the reset vector enters the bootloader in Thumb state
            Put(image, 4,
                {static_cast<std::uint8_t>(Byte(bs, 0) + 1), Byte(bs, 8), Byte(bs, 16),
                 Byte(bs, 24)});
        return saved;
    }

    std::copy_n(image.begin(), length, saved.begin());
    if (!atEnd)
        return saved;
    if (InGroup(family, GroupPic24)) {
        const std::uint32_t w = bs / 3 * 2; // GOTO the bootloader's program-counter address
        Put(image, 0, {Byte(w, 0), Byte(w, 8), 0x04, Byte(w, 16), 0x00, 0x00});
    } else if (InGroup(family, GroupFt90x)) {
        Put(image, 0,
            {Byte(bs, 2), Byte(bs, 10), static_cast<std::uint8_t>(0x30 | (Byte(bs, 18) & 0x0F)),
             0x00});
    } else {
        // PIC18: two-word GOTO to the bootloader's word address.
        Put(image, 0,
            {Byte(bs, 1), 0xEF, Byte(bs, 9),
             static_cast<std::uint8_t>(0xF0 | (Byte(bs, 17) & 0x0F))});
    }
    return saved;
}

void PatchKinetisConfig(Bytes& image)
{
    if (image.size() >= KinetisConfigOffset + KinetisConfigField.size())
        std::copy(KinetisConfigField.begin(), KinetisConfigField.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(KinetisConfigOffset));
}

} // namespace app
