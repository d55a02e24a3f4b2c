#include "CommandLine.h"

#include <cctype>

namespace app {

namespace {
// Codes in the order their keywords are tested: "PIC32MZ" must come before "PIC32" and the
// Stellaris variants before "STELLARIS", since a keyword is found as a substring.
constexpr FamilyCode kKeywordOrder[] = {1, 2, 4, 11, 21, 20, 30, 31, 32, 33, 38, 40};
} // namespace

FamilyCode FamilyFromKeyword(std::string_view argument)
{
    for (FamilyCode code : kKeywordOrder) {
        if (argument.find(FindFamily(code)->keyword) != std::string_view::npos)
            return code;
    }
    return 0;
}

bool HasHexExtension(std::string_view path)
{
    const auto dot = path.find_last_of(".\\/:");
    if (dot == std::string_view::npos || path[dot] != '.')
        return false;
    const std::string_view ext = path.substr(dot);
    if (ext.size() != 4)
        return false;
    for (std::size_t k = 0; k < 4; ++k) {
        if (std::tolower(static_cast<unsigned char>(ext[k])) != ".hex"[k])
            return false;
    }
    return true;
}

CommandLineRequest ParseCommandLine(std::span<const std::string> arguments,
                                    const std::function<bool(const std::string&)>& fileExists)
{
    CommandLineRequest request;
    if (arguments.size() < 2)
        return request;
    request.mcuType = FamilyFromKeyword(arguments[0]);
    if (request.mcuType == 0)
        return request;
    const std::string& path = arguments[1];
    if (HasHexExtension(path) && fileExists(path)) {
        request.hexFile = path;
        request.autoRun = true;
    }
    return request;
}

} // namespace app
