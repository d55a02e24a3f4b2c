// The mini-HTML markup without a device: the string, number and colour routines the renderer
// and the HTML-capable controls share, the entity and colour-name tables, the preparation of a
// text before layout (entities, first placeholder, line breaks) and the plain-text conversion.
// Strings are 8-bit (the ANSI code page); positions are 1-based and 0 means "not found".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace html {

// 0x00BBGGRR; 0xFF000000 + n is system colour n; kHtmlNoColor means "no colour".
using HtmlColor = uint32_t;
constexpr HtmlColor kHtmlNoColor = 0x1FFFFFFF;

// Position of `sub` in `s` with ASCII letters compared without regard to case.
int PosNoCase(std::string_view sub, std::string_view s);
// Position of `sub` in `s`, case counts; the result is also stored in `p`.
int PosStore(std::string_view sub, std::string_view s, int& p);
// Replaces the first occurrence of `pattern` (any case) by `replacement`; false when absent.
bool ReplaceFirstNoCase(std::string_view pattern, std::string_view replacement, std::string& s);
// Leading blanks, an optional sign, then decimal digits (hexadecimal after "$", "x" or "0x");
// stops at the first other character and returns the magnitude read so far (the sign is
// dropped); an empty text is 0. A value too large for an int saturates at INT32_MAX.
int ParseIntValue(std::string_view s);
// d(s[0]) * 16 + d(s[1]) with d(c) = c - 55 for c >= 'A', else c - 48; 0 when s is shorter
// than 2 characters.
int HexPairToInt(std::string_view s);
// "#RRGGBB" to 0x00BBGGRR (missing pairs count as 0).
HtmlColor ParseHexColor(std::string_view s);
// A lower-case colour name ("clred", "clbtnface", ...) to its colour; 0 (black) when unknown.
HtmlColor ParseColorName(std::string_view name);
// A colour attribute value: "#RRGGBB", or a name looked up lower-cased.
HtmlColor ParseColorValue(std::string_view value);
// The first "<#...>" loses its "<" and the first ">" after it.
std::string StripPlaceholderTags(std::string_view s);
// Drops every LF; every CR becomes "<BR>" when `crToBr`, else is dropped too.
std::string LineBreaksToBrTags(std::string_view s, bool crToBr = true);
// Mini-HTML to plain text (for hints): "<BR>" and "<HR>" become CR LF, hidden "<z>...</z>"
// sections and every tag are removed. Entities are left as they stand.
std::string StripHtmlTags(std::string_view html);

// Decodes the nine entities of the whole text ("&amp;", "&quot;", "&sect;", ...), sweep after
// sweep until a sweep replaces nothing.
std::string DecodeEntities(std::string_view s);
// Decodes the three entities of a text run: "&nbsp;" (a space that is not a break point),
// "&lt;" and "&gt;".
std::string DecodeRunEntities(std::string_view run);
// Entities, first placeholder, line breaks: what the renderer does to a text before layout.
std::string PrepareHtmlText(std::string_view s);

// The value of attribute `name` in `tag`: the text between the first double quote after the
// first occurrence of `name` (any case) and the next double quote. `found` tells whether the
// name occurs at all. A value without both quotes is empty.
std::string AttributeValue(std::string_view tag, std::string_view name, bool* found = nullptr);
// ASCII upper case.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

} // namespace html
