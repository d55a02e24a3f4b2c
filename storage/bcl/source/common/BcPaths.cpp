#include "BcPaths.h"

#include "BcStrings.h"

#include <algorithm>

namespace bcl {

namespace {

constexpr std::string_view DevicePrefix = "\\\\.\\";
constexpr std::string_view LongUncPrefix = "\\\\?\\UNC";

// The characters up to the next "\" or the end, advancing `pos` past them.
std::string_view TakeName(std::string_view path, size_t& pos)
{
    const size_t end = std::min(path.find('\\', pos), path.size());
    const auto name = path.substr(pos, end - pos);
    pos = end;
    return name;
}

bool IsValidMachineName(std::string_view name)
{
    bool hasNonDigit = false;
    for (char c : name) {
        const bool digit = IsDigitChar(c);
        if (!(digit || IsAsciiLetter(c) || c == '-' || c == '.' || c == '_'))
            return false;
        hasNonDigit = hasNonDigit || !digit;
    }
    return hasNonDigit;
}

bool IsValidShareName(std::string_view name)
{
    return name.find_first_of("\"'*+,/:;<=>?[]|") == std::string_view::npos;
}

} // namespace

std::string PathWithSeparator(std::string_view path)
{
    std::string result(path);
    if (result.empty() || result.back() != '\\')
        result += '\\';
    return result;
}

std::string PathDropSeparator(std::string_view path)
{
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return std::string(path);
}

std::string PathEnsureExtension(std::string_view path, std::string_view extension)
{
    if (path.empty() || extension.empty())
        return std::string(path);
    const std::string wanted =
        extension.front() == '.' ? std::string(extension) : "." + std::string(extension);
    const size_t nameStart =
        path.find_last_of("\\:") == std::string_view::npos ? 0 : path.find_last_of("\\:") + 1;
    const size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot >= nameStart &&
        UpperCaseCopy(path.substr(dot)) == UpperCaseCopy(wanted))
        return std::string(path);
    if (path.back() == '.')
        path.remove_suffix(1);
    return std::string(path) + wanted;
}

bool PathIsDeviceName(std::string_view path)
{
    return path.starts_with(DevicePrefix);
}

bool PathIsUNCName(std::string_view path)
{
    if (!path.starts_with("\\\\"))
        return false;
    size_t pos;
    if (path.starts_with(LongUncPrefix)) {
        pos = LongUncPrefix.size();
    } else {
        pos = 2; // after the second "\"
        if (!IsValidMachineName(TakeName(path, pos)))
            return false;
    }
    if (pos >= path.size() || path[pos] != '\\')
        return false;
    ++pos;
    return IsValidShareName(TakeName(path, pos));
}

bool PathIsAbsoluteName(std::string_view path)
{
    if (path.empty())
        return false;
    if (PathIsUNCName(path))
        return true;
    if (PathIsDeviceName(path))
        path.remove_prefix(DevicePrefix.size());
    return path.size() > 2 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace bcl
