#include "HtmlText.h"

#include <cctype>

namespace controls {

namespace {

bool TagIs(std::string_view tag, std::string_view name)
{
    if (tag.size() < name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(tag[i])) != name[i])
            return false;
    return tag.size() == name.size() || !std::isalnum(static_cast<unsigned char>(tag[name.size()]));
}

} // namespace

std::string HtmlToPlainText(std::string_view html)
{
    struct Entity { std::string_view name; char text; };
    static constexpr Entity entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}};
    std::string text;
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            const size_t end = html.find('>', i);
            if (end == std::string_view::npos)
                break;
            if (TagIs(html.substr(i + 1, end - i - 1), "BR"))
                text += "\r\n";
            i = end + 1;
            continue;
        }
        if (c == '&') {
            bool decoded = false;
            for (const Entity& e : entities)
                if (html.substr(i, e.name.size()) == e.name) {
                    text += e.text;
                    i += e.name.size();
                    decoded = true;
                    break;
                }
            if (decoded)
                continue;
        }
        text += c;
        ++i;
    }
    return text;
}

} // namespace controls

namespace controls {

unsigned HtmlFirstColor(std::string_view html, unsigned fallback)
{
    for (size_t at = 0; (at = html.find('#', at)) != std::string_view::npos; ++at) {
        if (at < 7)
            continue;
        std::string attribute(html.substr(at - 7, 6));
        for (char& c : attribute)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (attribute != "color=" || html.size() < at + 7)
            continue;
        unsigned rgb = 0;
        for (size_t i = at + 1; i < at + 7; ++i) {
            const char c = html[i];
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return fallback;
            rgb = rgb * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
        }
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    }
    return fallback;
}

bool HtmlStartsBold(std::string_view html)
{
    size_t i = 0;
    while (i < html.size() && html[i] == '<') {
        const size_t end = html.find('>', i);
        if (end == std::string_view::npos)
            return false;
        if (TagIs(html.substr(i + 1, end - i - 1), "B"))
            return true;
        i = end + 1;
    }
    return false;
}

} // namespace controls
