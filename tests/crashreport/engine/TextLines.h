#pragma once
// A report text split at its CR LF line breaks (an empty text or trailing break gives no last
// empty line).
#include <string>
#include <vector>

inline std::vector<std::string> CrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}
