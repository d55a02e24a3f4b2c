#include "ExceptionPathUtils.h"

#include "QorStrings.h"

#include <vector>

namespace qor {

std::string StripPath(std::string_view path)
{
    const size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string PathOnly(std::string_view path)
{
    const size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(0, slash + 1));
}

std::string DriveOf(std::string_view path)
{
    if (path.size() <= 1)
        return std::string(path);
    if (path.substr(0, 2) == "\\\\") {
        // "\\server\share\...": up to the backslash that ends the share name.
        const size_t afterServer = path.find('\\', 2);
        const size_t afterShare =
            afterServer == std::string_view::npos ? afterServer : path.find('\\', afterServer + 1);
        if (afterShare == std::string_view::npos)
            return std::string(path) + "\\";
        return std::string(path.substr(0, afterShare + 1));
    }
    if (path[1] == ':')
        return std::string(1, path[0]) + ":\\";
    return std::string(path);
}

std::string StripExt(std::string_view path)
{
    const size_t dot = path.rfind('.');
    return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string MakeAbsolutePath(std::string_view path, std::string_view executablePath)
{
    std::string result;
    const bool rooted = !path.empty() && path[0] == '\\';
    const bool hasDrive = path.size() >= 2 && path[1] == ':';
    if (path.size() < 3 || (!rooted && !hasDrive))
        result = PathOnly(executablePath) + std::string(path);
    else if (rooted && path.substr(0, 2) != "\\\\")
        result = DriveOf(executablePath) + std::string(path.substr(1));
    else
        result = std::string(path);
    for (size_t at; (at = result.find("\\.\\")) != std::string::npos;)
        result.erase(at, 2);
    // Each "\..\" removes the folder before it, matching nested ones from the right.
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = result.find('\\', start)) != std::string::npos; start = at + 1)
        parts.push_back(result.substr(start, at - start));
    parts.push_back(result.substr(start));
    std::vector<std::string> kept;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool lastPart = i + 1 == parts.size();
        if (parts[i] == ".." && !lastPart && kept.size() > 1 && kept.back() != ".." &&
            !kept.back().empty() && kept.back().back() != ':')
            kept.pop_back();
        else
            kept.push_back(parts[i]);
    }
    std::string joined;
    for (size_t i = 0; i < kept.size(); ++i)
        joined += (i == 0 ? "" : "\\") + kept[i];
    return joined;
}

bool IsIdentifier(std::string_view text)
{
    auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (text.empty() || !letter(text[0]))
        return false;
    for (char c : text.substr(1))
        if (!letter(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

bool ZeroOrInRange(uint32_t value, uint32_t low, uint32_t high)
{
    return value == 0 || (value >= low && value <= high);
}

std::string MessageSentence(std::string_view text)
{
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '.' || text[end - 1] == '!' || text[end - 1] == '\0'))
        --end;
    return std::string(text.substr(0, end)) + ".";
}

std::string CleanMessageText(std::string_view message)
{
    std::string text;
    for (char c : message)
        if (static_cast<unsigned char>(c) >= 32 || c == '\n' || c == '\r')
            text += c;
    TrimInPlace(text);
    return text.empty() ? "Unknown" : text;
}

bool EmailAddressIsValid(std::string_view text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    if (text.empty() || blank(text.front()) || blank(text.back()))
        return false;
    const size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0 || text.find('.', at + 1) == std::string_view::npos)
        return false;
    const size_t lastAt = text.rfind('@');
    if (text.front() == '.' || text.back() == '.' ||
        (lastAt + 1 < text.size() && text[lastAt + 1] == '.'))
        return false;
    size_t words = 0, dots = 0, ats = 0, others = 0;
    for (char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '\'' || c == '+' || c == '-' || c == '_')
            ++words;
        else if (c == '.')
            ++dots;
        else if (c == '@')
            ++ats;
        else
            ++others;
    }
    return words > 0 && dots > 0 && ats == 1 && others == 0;
}

std::string DateText(const LocalTime& time)
{
    return FormatInt(time.Year, 4, '0') + "-" + FormatInt(time.Month, 2, '0') + "-" +
           FormatInt(time.Day, 2, '0');
}

std::string TimeText(const LocalTime& time)
{
    return FormatInt(time.Hour, 2, '0') + ":" + FormatInt(time.Minute, 2, '0') + ":" +
           FormatInt(time.Second, 2, '0') + ", " + FormatInt(time.Milliseconds, 0, '0') + "ms";
}

std::string ExpandPlaceholderText(std::string_view text, const PlaceholderValues& values)
{
    const std::string date = DateText(values.Now);
    const std::string time = TimeText(values.Now);
    const struct {
        std::string_view name;
        std::string value;
    } table[] = {
        {"%appname%", values.AppName},
        {"%modname%", values.ModName},
        {"%appversion%", values.AppVersion},
        {"%modversion%", values.ModVersion},
        {"%exceptClass%", values.ExceptClass},
        {"%exceptMsg%", values.ExceptMsg.empty() ? "Unknown" : values.ExceptMsg},
        {"%bugReport%", values.BugReport},
        {"%LF%", "\r\n"},
        {"%date%", date},
        {"%time%", time},
        {"%datetime%", date + ", " + time},
        {"%computerName%", values.ComputerName},
        {"%userappdata%", values.UserAppData},
        {"%commonappdata%", values.CommonAppData},
    };
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == '%') {
            for (const auto& entry : table) {
                if (TextMatches(text.substr(i, entry.name.size()), entry.name)) {
                    result += entry.value;
                    i += entry.name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            result += text[i++];
    }
    return result;
}

} // namespace qor
