#include "Texts.h"

#include <cstdio>
#include <vector>

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
    return Concat(
        {CrcFailedPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string UploadFailed(std::string_view reason)
{
    if (reason.empty())
        return std::string(ErrorUploadFailed);
    std::string line = Concat({ErrorUploadFailedPrefix, reason});
    if (line.back() != '.')
        line += '.';
    return line;
}

std::string StartAddressViolation(int lineIndex)
{
    return Concat({StartAddressPrefix, std::to_string(lineIndex), StartAddressSuffix});
}

std::string InvalidRecord(int lineIndex, std::string_view fileName)
{
    return Concat(
        {InvalidRecordPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string BeyondFlash(int lineIndex, std::string_view fileName)
{
    return Concat(
        {BeyondFlashPrefix, std::to_string(lineIndex), InFileOpen, fileName, NoDataWillBeLoaded});
}

std::string OutsideWindow(std::string_view fileName, std::string_view window)
{
    return Concat(
        {OutsideWindowPrefix, fileName, OutsideWindowMiddle, window, OutsideWindowSuffix});
}

std::string AddressRange(std::uint64_t first, std::uint64_t last)
{
    char range[40];
    std::snprintf(range, sizeof range, "0x%08llX-0x%08llX", static_cast<unsigned long long>(first),
                  static_cast<unsigned long long>(last));
    return range;
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

std::string DeviceDisplayName(std::string_view product, unsigned vendorId, unsigned productId,
                              std::string_view serial)
{
    std::string name;
    if (!product.empty()) {
        name.assign(product);
    } else {
        char ids[40];
        std::snprintf(ids, sizeof ids, "Device VID=%.4x PID=%.4x", vendorId & 0xFFFFu,
                      productId & 0xFFFFu);
        name = ids;
    }
    if (!serial.empty())
        name += Concat({" (Serial=", serial, ")"});
    return name;
}

std::string ShortenPath(std::string_view path, const std::function<bool(std::string_view)>& fits)
{
    if (fits(path))
        return std::string(path);
    // Root: a drive ("C:"), a share ("\\server\share") or nothing; then directories; then the name.
    const auto isSep = [](char c) { return c == '\\' || c == '/'; };
    std::size_t rootEnd = 0;
    if (path.size() >= 2 && path[1] == ':') {
        rootEnd = 2;
    } else if (path.size() >= 2 && isSep(path[0]) && isSep(path[1])) {
        std::size_t separators = 0;
        for (rootEnd = 2; rootEnd < path.size(); ++rootEnd) {
            if (isSep(path[rootEnd]) && ++separators == 2)
                break;
        }
    }
    std::vector<std::string_view> parts; // directories, then the file name
    std::size_t start = rootEnd;
    for (std::size_t k = rootEnd; k <= path.size(); ++k) {
        if (k == path.size() || isSep(path[k])) {
            if (k > start)
                parts.push_back(path.substr(start, k - start));
            start = k + 1;
        }
    }
    if (parts.empty())
        return std::string(path);
    const std::string_view root = path.substr(0, rootEnd);
    const std::string_view name = parts.back();
    const std::size_t dirs = parts.size() - 1;
    for (std::size_t dropped = 1; dropped <= dirs; ++dropped) {
        std::string candidate = Concat({root, "\\..."});
        for (std::size_t k = dropped; k < dirs; ++k)
            candidate += Concat({"\\", parts[k]});
        candidate += Concat({"\\", name});
        if (fits(candidate))
            return candidate;
    }
    return std::string(name);
}

} // namespace app::text
