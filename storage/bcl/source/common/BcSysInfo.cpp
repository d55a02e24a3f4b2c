#include "BcSysInfo.h"

namespace bcl {

namespace {

constexpr uint32_t PlatformWindows = 1;
constexpr uint32_t PlatformNT = 2;
constexpr uint32_t KernelVersionMillennium = 0x0004005A; // 4.90
constexpr uint8_t VerNtWorkstation = 1;

bool IsWorkstation(const WindowsVersionFacts& f)
{
    return f.productTypeKnown && f.productType == VerNtWorkstation;
}

TWindowsRelease Classify9x(const WindowsVersionFacts& f)
{
    if (f.minor < 10)
        return (f.servicePack == "B" || f.servicePack == "C") ? wrWin95OSR2 : wrWin95;
    if (f.minor < 90) {
        if (f.kernelProductVersionHigh == KernelVersionMillennium)
            return wrWinMillennium;
        return (f.servicePack == "A" || f.servicePack == "B") ? wrWin98SE : wrWin98;
    }
    return f.minor == 90 ? wrWinMillennium : wrUnknown;
}

TWindowsRelease ClassifyNT(const WindowsVersionFacts& f)
{
    switch (f.major) {
        case 3:
            return f.minor == 1    ? wrWinNT31
                   : f.minor == 5  ? wrWinNT35
                   : f.minor == 51 ? wrWinNT351
                                   : wrUnknown;
        case 4:
            return wrWinNT4;
        case 5:
            if (f.minor == 0)
                return wrWin2000;
            if (f.minor == 1)
                return wrWinXP;
            if (f.minor == 2) {
                if (f.serverR2)
                    return wrWin2003R2;
                if (!f.nativeProcessorIsX86 && IsWorkstation(f))
                    return wrWinXP64;
                return wrWin2003;
            }
            return wrUnknown;
        case 6:
            if (f.minor == 0)
                return IsWorkstation(f) ? wrWinVista : wrWinServer2008;
            if (f.minor == 1)
                return IsWorkstation(f) ? wrWin7 : wrWinServer2008R2;
            return wrUnknown;
        default:
            return wrUnknown;
    }
}

} // namespace

TWindowsRelease ClassifyWindowsRelease(const WindowsVersionFacts& facts)
{
    if (facts.platformId == PlatformWindows)
        return Classify9x(facts);
    if (facts.platformId == PlatformNT)
        return ClassifyNT(facts);
    return wrUnknown;
}

bool IsReleaseBefore2000(TWindowsRelease release)
{
    return release >= wrWin95 && release <= wrWinNT4;
}

void SetBufferBit(uint32_t* buffer, int32_t bit)
{
    buffer[bit / 32] |= uint32_t{1} << (bit % 32);
}

bool TestBufferBit(const uint32_t* buffer, int32_t bit)
{
    return (buffer[bit / 32] >> (bit % 32)) & 1;
}

} // namespace bcl
