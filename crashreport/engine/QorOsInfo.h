// The description of the running Windows version ("Windows XP x64 Service Pack 2") from what
// the platform reports, and the text of file version numbers. Portable: the Windows side
// (QorTools) gathers the facts and hands them to DescribeOs.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The OS information record.
struct TOS {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;      // on the Windows 9x line only its low 16 bits
    std::string servicePack; // the version query's service-pack text, up to 128 characters
    bool is9x = false;       // platform id 1
    uint8_t kind9x = 0;      // the OS index when is9x, else 0
    bool isNT = false;       // platform id 2
    uint8_t kindNT = 0;      // the OS index when isNT, else 0
    uint8_t osIndex = 0;     // into the OS name table (OsName)
    bool x64 = false;        // the native processor architecture is x64
    int32_t servicePackNumber = 0;
    std::string description; // the OS name with its suffixes
};

// What the platform's version query and system metrics report.
struct OsVersionFacts {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
    uint32_t platformId = 0; // 1 Windows 9x line, 2 NT line
    uint8_t productType = 0; // 1 workstation (extended record only)
    std::string servicePack;
    bool extended = false; // the extended record (with service-pack numbers) was available
    uint16_t servicePackMajor = 0;
    bool serverR2 = false;    // system metric 89
    bool tabletPc = false;    // system metric 86
    bool mediaCenter = false; // system metric 87
    bool starter = false;     // system metric 88
    bool x64 = false;         // the native processor architecture is 9
};

// Platform ids of the version query.
constexpr uint32_t kPlatformWin9x = 1;
constexpr uint32_t kPlatformNT = 2;
constexpr uint8_t kOsNameCount = 17;

// The name of an OS index ("None" for 0 and for indexes beyond the table).
const char* OsName(uint8_t index);
TOS DescribeOs(const OsVersionFacts& facts);

// The four 16-bit parts of a 64-bit file version, highest first, in decimal joined by ".".
std::string FileVersionText(uint64_t version);

// Milliseconds from tick count `start` to `now` in 32-bit unsigned arithmetic, one less when
// the counter has wrapped in between.
uint32_t TicksBetween(uint32_t start, uint32_t now);

} // namespace qor
