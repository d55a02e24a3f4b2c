#include "AnchorLinks.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace controls {

namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

constexpr std::string_view ShellSchemes[] = {"http://", "https://", "mailto:"};

} // namespace

bool OpensInShell(std::string_view anchor)
{
    for (std::string_view scheme : ShellSchemes)
        if (StartsWithNoCase(anchor, scheme))
            return true;
    return false;
}

void OpenAnchorInShell(const std::string& anchor)
{
    ShellExecuteA(nullptr, "open", anchor.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace controls
