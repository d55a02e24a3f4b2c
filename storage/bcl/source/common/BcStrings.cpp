#include "BcStrings.h"

#include "BcErrors.h"
#include "BcPlatformText.h"
#include "BcResourceTexts.h"
#include "core/StringList.h"

#include <algorithm>
#include <cstring>

namespace bcl {

namespace {

CharTables BuildStringTables()
{
    CharTables tables{};
    for (int c = 0; c < 256; ++c)
        tables.type[c] = PlatformCharType(static_cast<uint8_t>(c));
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<uint8_t>(c);
        tables.cases[cbLower + c] = PlatformLowerChar(ch);
        tables.cases[cbUpper + c] = PlatformUpperChar(ch);
        if (tables.type[c] & C1Upper)
            tables.cases[cbToggle + c] = tables.cases[cbLower + c];
        else if (tables.type[c] & C1Lower)
            tables.cases[cbToggle + c] = tables.cases[cbUpper + c];
        else
            tables.cases[cbToggle + c] = ch;
    }
    return tables;
}

uint16_t TypeOf(char c)
{
    return StringTables().type[static_cast<uint8_t>(c)];
}

} // namespace

const CharTables& StringTables()
{
    static const CharTables tables = BuildStringTables();
    return tables;
}

bool IsUpperChar(char c)
{
    return TypeOf(c) & C1Upper;
}
bool IsLowerChar(char c)
{
    return TypeOf(c) & C1Lower;
}
bool IsDigitChar(char c)
{
    return TypeOf(c) & C1Digit;
}

bool IsHexDigitChar(char c)
{
    return (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f') || IsDigitChar(c);
}

char TableUpperChar(char c)
{
    return static_cast<char>(StringTables().cases[cbUpper + static_cast<uint8_t>(c)]);
}

void MapCaseInPlace(std::string& text, CaseBlock block)
{
    const uint8_t* map = StringTables().cases + block;
    for (char& c : text)
        c = static_cast<char>(map[static_cast<uint8_t>(c)]);
}

void UpperCaseInPlace(std::string& text)
{
    MapCaseInPlace(text, cbUpper);
}

std::string UpperCaseCopy(std::string_view text)
{
    std::string copy(text);
    UpperCaseInPlace(copy);
    return copy;
}

void CutAtZeroChar(std::string& text)
{
    const auto zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
}

std::string LeftChars(std::string_view text, int count)
{
    if (count <= 0)
        return {};
    return std::string(text.substr(0, static_cast<size_t>(count)));
}

std::string CharsFrom(std::string_view text, int index)
{
    if (index < 1)
        index = 1;
    if (static_cast<size_t>(index) > text.size())
        return {};
    return std::string(text.substr(static_cast<size_t>(index - 1)));
}

std::string EnsurePrefix(std::string_view prefix, std::string_view text)
{
    if (text.starts_with(prefix))
        return std::string(text);
    return std::string(prefix) + std::string(text);
}

std::string EnsureSuffix(std::string_view suffix, std::string_view text)
{
    if (text.ends_with(suffix))
        return std::string(text);
    return std::string(text) + std::string(suffix);
}

std::string RemovePrefixIfPresent(std::string_view prefix, std::string_view text)
{
    if (text.starts_with(prefix))
        text.remove_prefix(prefix.size());
    return std::string(text);
}

int FindTextNoCase(std::string_view sub, std::string_view text)
{
    if (sub.empty())
        return 0;
    const auto at = UpperCaseCopy(text).find(UpperCaseCopy(sub));
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

int FindTextFrom(std::string_view sub, std::string_view text, int index)
{
    if (sub.empty() || text.empty())
        return 0;
    if (index < 1)
        index = 1;
    const int found = FindTextNoCase(sub, CharsFrom(text, index));
    return found == 0 ? 0 : index + found - 1;
}

void SplitToList(std::string_view text, std::string_view separator, classlib::TStrings& list,
                 bool keepEmpty)
{
    list.BeginUpdate();
    try {
        list.Clear();
        if (!separator.empty()) {
            for (auto at = text.find(separator); at != std::string_view::npos;
                 at = text.find(separator)) {
                if (keepEmpty || at > 0)
                    list.Add(std::string(text.substr(0, at)));
                text.remove_prefix(at + separator.size());
            }
        }
        if (!text.empty())
            list.Add(std::string(text));
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}

void ReplaceText(std::string& text, std::string_view search, std::string_view replacement,
                 TReplaceTextFlags flags)
{
    if (search.empty()) {
        if (!text.empty())
            throw EBcStringError(texts::SearchStringBlank);
        text = std::string(replacement);
        return;
    }
    if (text.empty())
        return;
    const bool ignoreCase = flags & rtIgnoreCase;
    const std::string pattern = ignoreCase ? UpperCaseCopy(search) : std::string(search);
    auto same = [ignoreCase](char fromText, char fromPattern) {
        return (ignoreCase ? TableUpperChar(fromText) : fromText) == fromPattern;
    };
    // The whole length is scanned, zero characters included: every byte of the input is
    // either copied or replaced, so the result never holds unwritten bytes.
    std::string result;
    result.reserve(text.size());
    const size_t length = text.size();
    size_t i = 0;
    while (i < length) {
        bool match = length - i >= pattern.size();
        for (size_t k = 0; match && k < pattern.size(); ++k)
            match = same(text[i + k], pattern[k]);
        if (!match) {
            result += text[i++];
            continue;
        }
        result.append(replacement);
        i += pattern.size();
        if (!(flags & rtReplaceAll)) {
            result.append(text, i, std::string::npos);
            break;
        }
    }
    text = std::move(result);
}

void CopyCharsInto(std::string_view source, int sourceOffset, std::string& dest, int destOffset,
                   int count)
{
    if (count <= 0)
        return;
    std::memcpy(dest.data() + destOffset, source.data() + sourceOffset, static_cast<size_t>(count));
}

} // namespace bcl
