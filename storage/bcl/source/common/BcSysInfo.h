#pragma once
// Classification of the Windows release from the facts the platform reports, and the
// bit-buffer routines of the set conversion. The facts are gathered by the Windows part;
// the classification itself is a pure function.
#include <cstdint>
#include <string>

namespace bcl {

enum TWindowsRelease : uint8_t {
    wrUnknown,
    wrWin95,
    wrWin95OSR2,
    wrWin98,
    wrWin98SE,
    wrWinMillennium,
    wrWinNT31,
    wrWinNT35,
    wrWinNT351,
    wrWinNT4,
    wrWin2000,
    wrWinXP,
    wrWin2003,
    wrWinXP64,
    wrWin2003R2,
    wrWinVista,
    wrWinServer2008,
    wrWin7,
    wrWinServer2008R2,
};

// What the platform says about itself. The last three are asked only where the
// classification needs them, so they are callbacks in spirit; here they are plain values
// the caller fills (the Windows part asks the platform for each).
struct WindowsVersionFacts {
    uint32_t platformId = 0; // 1: 95/98/Millennium family, 2: NT family
    uint32_t major = 0;
    uint32_t minor = 0;
    std::string servicePack;               // CSD text, trimmed
    uint32_t kernelProductVersionHigh = 0; // 0x0004005A on Millennium (95 family only)
    bool serverR2 = false;                 // GetSystemMetrics(SM_SERVERR2) != 0
    bool nativeProcessorIsX86 = true;
    bool productTypeKnown = false; // GetVersionEx with the extended record succeeded
    uint8_t productType = 0;       // 1: workstation
};

TWindowsRelease ClassifyWindowsRelease(const WindowsVersionFacts& facts);

// True for the releases before Windows 2000 (95/98/Millennium family, NT 3.x and NT 4):
// those that need the stricter kernel-object names. Unknown releases, which include every
// release after Windows 7, are not among them.
bool IsReleaseBefore2000(TWindowsRelease release);

// Bit (bit mod 32) of word (bit div 32).
void SetBufferBit(uint32_t* buffer, int32_t bit);
bool TestBufferBit(const uint32_t* buffer, int32_t bit);

} // namespace bcl
