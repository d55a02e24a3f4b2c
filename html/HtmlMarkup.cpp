#include "html/HtmlMarkup.h"

#include <array>
#include <climits>
#include <cstring>

namespace html {

namespace {

char UpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char LowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool EqualsNoCaseAt(std::string_view s, size_t at, std::string_view sub)
{
    if (at > s.size() || s.size() - at < sub.size())
        return false;
    for (size_t i = 0; i < sub.size(); ++i)
        if (UpperChar(s[at + i]) != UpperChar(sub[i]))
            return false;
    return true;
}

struct NamedColor {
    const char* name;
    HtmlColor color;
};

constexpr std::array<NamedColor, 41> kColorNames = {{
    {"clred", 0x0000FF},
    {"cllime", 0x00FF00},
    {"clblack", 0x000000},
    {"clsilver", 0xC0C0C0},
    {"clblue", 0xFF0000},
    {"clgray", 0x808080},
    {"clgreen", 0x008000},
    {"clolive", 0x008080},
    {"claqua", 0xFFFF00},
    {"clnavy", 0x800000},
    {"clyellow", 0x00FFFF},
    {"clpurple", 0x800080},
    {"clfuchsia", 0xFF00FF},
    {"clteal", 0x808000},
    {"clwhite", 0xFFFFFF},
    {"clmaroon", 0x000080},
    {"clbackground", 0xFF000001},
    {"clhighlighttext", 0xFF00000E},
    {"clactivecaption", 0xFF000002},
    {"clbtnface", 0xFF00000F},
    {"clinactivecaption", 0xFF000003},
    {"clbtnshadow", 0xFF000010},
    {"clmenu", 0xFF000004},
    {"clgraytext", 0xFF000011},
    {"clwindow", 0xFF000005},
    {"clbtntext", 0xFF000012},
    {"clwindowframe", 0xFF000006},
    {"clinactivecaptiontext", 0xFF000013},
    {"clmenutext", 0xFF000007},
    {"clbtnhighlight", 0xFF000014},
    {"clwindowtext", 0xFF000008},
    {"cl3ddkshadow", 0xFF000015},
    {"clcaptiontext", 0xFF000009},
    {"cl3dlight", 0xFF000016},
    {"clactiveborder", 0xFF00000A},
    {"clinfotext", 0xFF000017},
    {"clinactiveborder", 0xFF00000B},
    {"clinfobk", 0xFF000018},
    {"clappworkspace", 0xFF00000C},
    {"clhighlight", 0xFF00000D},
    {"", 0},
}};

// The entities of the whole text, in the order a sweep replaces them; the results are
// Windows-1252 characters ("&amp;" keeps two ampersands for the drawing step).
struct Entity {
    std::string_view name;
    std::string_view text;
};
constexpr std::array<Entity, 9> kEntities = {{
    {"&amp;", "&&"},
    {"&quot;", "\""},
    {"&sect;", "\xA7"},
    {"&permil;", "\x89"},
    {"&reg;", "\xAE"},
    {"&copy;", "\xA9"},
    {"&para;", "\xB6"},
    {"&trade;", "\x99"},
    {"&euro;", "\x80"},
}};

constexpr std::array<Entity, 3> kRunEntities = {{
    {"&nbsp;", " "},
    {"&lt;", "<"},
    {"&gt;", ">"},
}};

} // namespace

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = UpperChar(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = LowerChar(c);
    return r;
}

int PosNoCase(std::string_view sub, std::string_view s)
{
    if (sub.empty() || sub.size() > s.size())
        return 0;
    const char first = UpperChar(sub[0]);
    for (size_t i = 0; i + sub.size() <= s.size(); ++i)
        if (UpperChar(s[i]) == first && EqualsNoCaseAt(s, i, sub))
            return static_cast<int>(i + 1);
    return 0;
}

int PosStore(std::string_view sub, std::string_view s, int& p)
{
    const size_t at = sub.empty() ? std::string_view::npos : s.find(sub);
    p = at == std::string_view::npos ? 0 : static_cast<int>(at + 1);
    return p;
}

bool ReplaceFirstNoCase(std::string_view pattern, std::string_view replacement, std::string& s)
{
    const int p = PosNoCase(pattern, s);
    if (p == 0)
        return false;
    s.replace(static_cast<size_t>(p - 1), pattern.size(), replacement);
    return true;
}

int ParseIntValue(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    // Digits beyond the range saturate instead of wrapping, so a long run always gives the
    // same value.
    int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        value = value * base + digit;
        if (value > INT_MAX)
            value = INT_MAX;
    }
    return static_cast<int>(value);
}

int HexPairToInt(std::string_view s)
{
    if (s.size() < 2)
        return 0;
    auto digit = [](char c) {
        const int code = static_cast<unsigned char>(c);
        return code >= 'A' ? code - 55 : code - 48;
    };
    return digit(s[0]) * 16 + digit(s[1]);
}

HtmlColor ParseHexColor(std::string_view s)
{
    auto pair = [&](size_t at) { return at < s.size() ? HexPairToInt(s.substr(at, 2)) : 0; };
    // Characters that are not hexadecimal digits give meaningless pairs; keep each channel a byte.
    return static_cast<HtmlColor>((pair(1) & 0xFF) + 256 * (pair(3) & 0xFF) +
                                  65536 * (pair(5) & 0xFF));
}

HtmlColor ParseColorName(std::string_view name)
{
    if (name.empty())
        return 0;
    for (const NamedColor& entry : kColorNames)
        if (name == entry.name)
            return entry.color;
    return 0;
}

HtmlColor ParseColorValue(std::string_view value)
{
    if (!value.empty() && value[0] == '#')
        return ParseHexColor(value);
    return ParseColorName(LowerCase(value));
}

std::string StripPlaceholderTags(std::string_view s)
{
    const size_t a = s.find("<#");
    if (a == std::string_view::npos)
        return std::string(s);
    std::string after(s.substr(a + 1));
    const size_t close = after.find('>');
    if (close != std::string::npos)
        after.erase(close, 1);
    return std::string(s.substr(0, a)) + after;
}

std::string LineBreaksToBrTags(std::string_view s, bool crToBr)
{
    std::string r;
    r.reserve(s.size());
    for (char c : s) {
        if (c == '\n')
            continue;
        if (c == '\r') {
            if (crToBr)
                r += "<BR>";
            continue;
        }
        r += c;
    }
    return r;
}

std::string StripHtmlTags(std::string_view html)
{
    std::string text(html);
    // Replace in one left-to-right pass: a replacement (CR LF) never forms a new tag.
    for (std::string_view tag : {std::string_view("<BR>"), std::string_view("<HR>")}) {
        std::string out;
        out.reserve(text.size());
        size_t i = 0;
        while (i < text.size()) {
            if (EqualsNoCaseAt(text, i, tag)) {
                out += "\r\n";
                i += tag.size();
            } else {
                out += text[i++];
            }
        }
        text.swap(out);
    }

    std::string result;
    result.reserve(text.size());
    std::string_view rest(text);
    for (auto [open, close] : {std::pair<std::string_view, std::string_view>{"<z>", "</z>"},
                               std::pair<std::string_view, std::string_view>{"<Z>", "</Z>"}}) {
        for (;;) {
            const size_t a = rest.find(open);
            if (a == std::string_view::npos)
                break;
            result.append(rest.substr(0, a));
            const size_t b = rest.find(close, a + open.size());
            if (b == std::string_view::npos) {
                // An unclosed hidden section: its opening tag goes with the other tags below.
                rest.remove_prefix(a);
                break;
            }
            rest.remove_prefix(b + close.size());
        }
    }
    for (;;) {
        const size_t a = rest.find('<');
        if (a == std::string_view::npos)
            break;
        result.append(rest.substr(0, a));
        const size_t b = rest.find('>', a);
        if (b == std::string_view::npos) {
            rest.remove_prefix(a);
            break;
        }
        rest.remove_prefix(b + 1);
    }
    result.append(rest);
    return result;
}

std::string DecodeEntities(std::string_view s)
{
    // Sweeping "first occurrence of each entity" until nothing changes reaches the same text as
    // one left-to-right scan: entities cannot overlap, and the only new entity a replacement can
    // start is at the second ampersand of a decoded "&amp;", which the scan looks at next.
    std::string in(s);
    std::string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        if (in[i] != '&') {
            out += in[i++];
            continue;
        }
        const Entity* match = nullptr;
        for (const Entity& e : kEntities)
            if (EqualsNoCaseAt(in, i, e.name)) {
                match = &e;
                break;
            }
        if (match == nullptr) {
            out += in[i++];
        } else if (match->text == "&&") {
            out += '&';
            i += match->name.size() - 1;
            in[i] = '&';
        } else {
            out += match->text;
            i += match->name.size();
        }
    }
    return out;
}

std::string DecodeRunEntities(std::string_view run)
{
    std::string out;
    out.reserve(run.size());
    size_t i = 0;
    while (i < run.size()) {
        const Entity* match = nullptr;
        if (run[i] == '&')
            for (const Entity& e : kRunEntities)
                if (EqualsNoCaseAt(run, i, e.name)) {
                    match = &e;
                    break;
                }
        if (match == nullptr) {
            out += run[i++];
        } else {
            out += match->text;
            i += match->name.size();
        }
    }
    return out;
}

std::string PrepareHtmlText(std::string_view s)
{
    return LineBreaksToBrTags(StripPlaceholderTags(DecodeEntities(s)), true);
}

std::string AttributeValue(std::string_view tag, std::string_view name, bool* found)
{
    const int p = PosNoCase(name, tag);
    if (found)
        *found = p > 0;
    if (p == 0)
        return {};
    const size_t open = tag.find('"', static_cast<size_t>(p - 1) + name.size());
    if (open == std::string_view::npos)
        return {};
    const size_t close = tag.find('"', open + 1);
    if (close == std::string_view::npos)
        return {};
    return std::string(tag.substr(open + 1, close - open - 1));
}

} // namespace html
