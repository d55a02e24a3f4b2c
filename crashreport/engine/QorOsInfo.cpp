#include "QorOsInfo.h"

#include "QorStrings.h"

namespace qor {

namespace {

const char* const kOsNames[kOsNameCount] = {
    "None",           "Windows 95",   "Windows 95 OSR-2", "Windows 98",
    "Windows 98 SE",  "Windows ME",   "Windows 9x New",   "Windows NT 3",
    "Windows NT 4",   "Windows 2000", "Windows XP",       "Windows 2003",
    "Windows Vista",  "Windows 2008", "Windows 7",        "Windows 2008 R2",
    "Windows NT New",
};

constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kVistaIndex = 12;

uint8_t Index9x(uint32_t major, uint32_t minor, uint32_t build)
{
    if (major > 4)
        return 6;
    if (major < 4)
        return 0;
    if (minor < 10)
        return build <= 1000 ? 1 : 2;
    if (minor == 10)
        return build > 2700 ? 5 : build <= 2000 ? 3 : 4;
    return minor <= 90 ? 5 : 6;
}

uint8_t IndexNT(uint32_t major, uint32_t minor, uint8_t productType)
{
    const bool workstation = productType == kWorkstation;
    switch (major) {
        case 4:
            return 8;
        case 5:
            return minor == 0 ? 9 : minor == 1 || workstation ? 10 : 11;
        case 6:
            if (minor == 0)
                return workstation ? 12 : 13;
            if (minor == 1)
                return workstation ? 14 : 15;
            return 16;
        default:
            return major < 4 ? 7 : 16;
    }
}

} // namespace

const char* OsName(uint8_t index)
{
    return index < kOsNameCount ? kOsNames[index] : kOsNames[0];
}

TOS DescribeOs(const OsVersionFacts& facts)
{
    TOS os;
    os.major = facts.major;
    os.minor = facts.minor;
    os.servicePack = facts.servicePack.substr(0, 128);
    os.is9x = facts.platformId == kPlatformWin9x;
    os.isNT = facts.platformId == kPlatformNT;
    os.build = os.is9x ? facts.build & 0xFFFF : facts.build;
    if (os.is9x) {
        os.osIndex = os.kind9x = Index9x(os.major, os.minor, os.build);
    } else if (os.isNT) {
        os.osIndex = os.kindNT = IndexNT(os.major, os.minor, facts.productType);
        if (facts.extended)
            os.servicePackNumber = facts.servicePackMajor;
        else if (os.servicePack.size() >= 14) // "Service Pack N": the number from the 14th on
            os.servicePackNumber = ParseIntBuf(false, os.servicePack.data() + 13,
                                               static_cast<int>(os.servicePack.size() - 13));
        os.x64 = facts.x64;
    }
    os.description = OsName(os.osIndex);
    if (os.isNT) {
        // Suffixes in this order; the media-center one only before Vista.
        if (facts.serverR2)
            os.description += " R2";
        if (facts.tabletPc)
            os.description += " Tablet PC";
        if (facts.starter)
            os.description += " Starter";
        if (os.osIndex < kVistaIndex && facts.mediaCenter)
            os.description += " Media Center";
        if (os.x64)
            os.description += " x64";
        if (!os.servicePack.empty())
            os.description += " " + os.servicePack;
    }
    return os;
}

std::string FileVersionText(uint64_t v)
{
    return std::to_string(v >> 48) + "." + std::to_string((v >> 32) & 0xFFFF) + "." +
           std::to_string((v >> 16) & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

uint32_t TicksBetween(uint32_t start, uint32_t now)
{
    uint32_t elapsed = now - start;
    return now < start ? elapsed - 1 : elapsed;
}

} // namespace qor
