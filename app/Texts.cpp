#include "Texts.h"

#include <cstdio>

namespace app::text {

namespace {
std::string Concat(std::initializer_list<std::string_view> parts)
{
    std::string s;
    for (auto p : parts)
        s.append(p);
    return s;
}
} // namespace

std::string UnableToFindDevice(std::string_view productName)
{
    return Concat({UnableToFindDevicePrefix, productName, "."});
}

std::string CrcFailed(int lineIndex, std::string_view fileName)
{
    return Concat({CrcFailedPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string StartAddressViolation(int lineIndex)
{
    return Concat({StartAddressPrefix, std::to_string(lineIndex), StartAddressSuffix});
}

std::string InvalidRecord(int lineIndex, std::string_view fileName)
{
    return Concat({InvalidRecordPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string BeyondFlash(int lineIndex, std::string_view fileName)
{
    return Concat({BeyondFlashPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string SuccessExpanded(std::string_view fileName)
{
    return Concat({ExpandedPrefix, "\"", fileName, "\"", SuccessExpandedSuffix});
}

std::string AbortExpanded(std::string_view fileName)
{
    return Concat({ExpandedPrefix, "\"", fileName, "\"", AbortExpandedSuffix});
}

std::string VersionLabel(unsigned revision)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", revision & 0xFFFFu);
    return Concat({VersionPrefix, digits});
}

} // namespace app::text
