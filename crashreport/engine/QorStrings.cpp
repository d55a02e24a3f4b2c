#include "QorStrings.h"

#include "QorPlatformText.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace qor {

namespace {

// Lower-casing of the Windows-1252 letters: every case-insensitive routine compares through it.
constexpr std::array<uint8_t, 256> MakeCaseTable()
{
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = static_cast<uint8_t>(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        table[static_cast<size_t>(c)] = static_cast<uint8_t>(c + 0x20);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)
            table[static_cast<size_t>(c)] = static_cast<uint8_t>(c + 0x20);
    table[0x8A] = 0x9A;
    table[0x8C] = 0x9C;
    table[0x8E] = 0x9E;
    table[0x9F] = 0xFF;
    return table;
}

constexpr std::array<uint8_t, 256> MakeDigitTable()
{
    std::array<uint8_t, 256> table{};
    for (int c = '0'; c <= '9'; ++c)
        table[static_cast<size_t>(c)] = static_cast<uint8_t>(c - '0');
    for (int c = 0; c < 6; ++c) {
        table[static_cast<size_t>('A' + c)] = static_cast<uint8_t>(10 + c);
        table[static_cast<size_t>('a' + c)] = static_cast<uint8_t>(10 + c);
    }
    return table;
}

constexpr std::array<uint8_t, 256> CaseTable = MakeCaseTable();
constexpr std::array<uint8_t, 256> DigitTable = MakeDigitTable();

// Word in front of the hexadecimal code when the system has no text for it.
constexpr const char* UnknownErrorWord = "Error";

uint8_t Byte(char c)
{
    return static_cast<uint8_t>(c);
}

uint8_t Folded(char c)
{
    return CaseTable[Byte(c)];
}

int Length(std::string_view text)
{
    return static_cast<int>(text.size());
}

bool SameAt(std::string_view pattern, std::string_view text, int offset, bool ignoreCase)
{
    const char* at = text.data() + offset;
    if (!ignoreCase)
        return std::memcmp(pattern.data(), at, pattern.size()) == 0;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (Folded(pattern[i]) != Folded(at[i]))
            return false;
    return true;
}

// FindInBuffer over views of known length. Offsets outside the text are clipped to it.
int Search(std::string_view pattern, std::string_view text, bool ignoreCase, int from, int to)
{
    if (pattern.empty() || text.empty() || text.size() < pattern.size())
        return -1;
    const int last = Length(text) - Length(pattern);
    if (to >= from) {
        const int end = std::min(to, last);
        for (int offset = std::max(from, 0); offset <= end; ++offset)
            if (SameAt(pattern, text, offset, ignoreCase))
                return offset;
    } else {
        const int end = std::max(to, 0);
        for (int offset = std::min(from, last); offset >= end; --offset)
            if (SameAt(pattern, text, offset, ignoreCase))
                return offset;
    }
    return -1;
}

int SearchFrom(std::string_view pattern, std::string_view text, bool ignoreCase, int from)
{
    if (from >= Length(text))
        return -1;
    return Search(pattern, text, ignoreCase, from, Length(text) - 1);
}

bool Substitute(std::string& text, std::string_view search, std::string_view replacement,
                bool rescan, bool ignoreCase)
{
    int offset = SearchFrom(search, text, ignoreCase, 0);
    if (offset < 0)
        return false;
    // Rescanning from inside a replacement that holds the search text would find it there
    // again and again: such a replacement is made in one pass that skips what it inserted.
    if (rescan && SearchFrom(search, replacement, ignoreCase, 0) >= 0)
        rescan = false;
    const int step = !rescan ? Length(replacement) : replacement.size() <= search.size() ? 0 : 1;
    while (offset >= 0) {
        text.replace(static_cast<size_t>(offset), search.size(), replacement);
        offset = SearchFrom(search, text, ignoreCase, offset + step);
    }
    return true;
}

int FindPosition(std::string_view search, std::string_view text, int from, int to, bool ignoreCase)
{
    if (search.empty() || from == 0 || to == 0)
        return 0;
    return Search(search, text, ignoreCase, from - 1, to - 1) + 1;
}

bool StartsWith(std::string_view prefix, std::string_view text, bool ignoreCase)
{
    if (prefix.empty())
        return true;
    return prefix.size() <= text.size() && SameAt(prefix, text, 0, ignoreCase);
}

bool ListHas(std::string_view list, std::string_view item, char delimiter, bool ignoreCase)
{
    if (item.empty())
        return false;
    const size_t itemLength = item.size();
    for (int offset = SearchFrom(item, list, ignoreCase, 0); offset >= 0;
         offset = SearchFrom(item, list, ignoreCase, offset + 1)) {
        const size_t start = static_cast<size_t>(offset);
        const bool leftBound = start == 0 || list[start - 1] == delimiter;
        const bool rightBound =
            start + itemLength == list.size() || list[start + itemLength] == delimiter;
        if (leftBound && rightBound)
            return true;
    }
    return false;
}

// Pads by the rule of PadStr: |minimum length| - length fill characters, on the left when
// the minimum length is positive.
std::string PaddedNumber(std::string digits, int minimumLength, char fill)
{
    PadInPlace(digits, std::abs(minimumLength) - Length(digits), minimumLength > 0, fill);
    return digits;
}

bool IsHexDigitChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string HexDigits(uint64_t value)
{
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), Digits[value & 15]);
        value >>= 4;
    } while (value != 0);
    return text;
}

std::string FormatHexDigits(std::string digits, int minimumLength, char fill)
{
    if (minimumLength >= 0 && !IsHexDigitChar(fill)) {
        std::string text = "$" + digits;
        if (Length(text) < minimumLength + 1)
            text.insert(0, static_cast<size_t>(minimumLength + 1 - Length(text)), fill);
        return text;
    }
    return "$" + PaddedNumber(std::move(digits), minimumLength, fill);
}

} // namespace

void TrimInPlace(std::string& text)
{
    text = TrimmedCopy(text);
}

std::string TrimmedCopy(std::string_view text)
{
    const auto significant = [](char c) { return Byte(c) > 32; };
    const auto first = std::find_if(text.begin(), text.end(), significant);
    if (first == text.end())
        return {};
    const auto last = std::find_if(text.rbegin(), text.rend(), significant).base();
    return std::string(first, last);
}

bool DeleteChar(std::string& text, char character)
{
    const size_t before = text.size();
    std::erase(text, character);
    return text.size() != before;
}

bool DeleteChars(std::string& text, const CharSet& characters)
{
    const size_t before = text.size();
    std::erase_if(text, [&](char c) { return characters.test(Byte(c)); });
    return text.size() != before;
}

std::string DeletedCopy(std::string_view text, int position, int count)
{
    std::string copy(text);
    if (position < 1 || position > Length(text) || count <= 0)
        return copy;
    copy.erase(static_cast<size_t>(position - 1), static_cast<size_t>(count));
    return copy;
}

void CropInPlace(std::string& text, int position, int count)
{
    position = std::max(position, 1);
    if (position > Length(text) || count <= 0) {
        text.clear();
        return;
    }
    text = text.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
}

std::string RightChars(std::string_view text, int count)
{
    if (count <= 0)
        return {};
    if (count >= Length(text))
        return std::string(text);
    return std::string(text.substr(text.size() - static_cast<size_t>(count)));
}

bool SubstStr(std::string& text, std::string_view search, std::string_view replacement, bool rescan)
{
    return Substitute(text, search, replacement, rescan, false);
}

bool SubstText(std::string& text, std::string_view search, std::string_view replacement,
               bool rescan)
{
    return Substitute(text, search, replacement, rescan, true);
}

char UpperChar(char c)
{
    const uint8_t b = Byte(c);
    if ((b >= 'a' && b <= 'z') || b == 0xE4 || b == 0xF6 || b == 0xFC)
        return static_cast<char>(b - 32);
    return c;
}

std::string UpperStr(std::string_view text)
{
    std::string copy(text);
    std::transform(copy.begin(), copy.end(), copy.begin(), UpperChar);
    return copy;
}

char LowerChar(char c)
{
    return static_cast<char>(Folded(c));
}

std::string LowerStr(std::string_view text)
{
    std::string copy(text);
    for (char& c : copy) {
        const uint8_t b = Byte(c);
        if ((b >= 'A' && b <= 'Z') || b == 0xC4 || b == 0xD6 || b == 0xDC)
            c = static_cast<char>(b + 32);
    }
    return copy;
}

std::string SignText(bool positive)
{
    return positive ? "+" : "-";
}

bool TextMatches(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && (a.empty() || SameAt(a, b, 0, true));
}

int TextOrder(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return Folded(a[i]) - Folded(b[i]);
    return Length(a) - Length(b);
}

int FindStr(std::string_view search, std::string_view text, int from, int to)
{
    return FindPosition(search, text, from, to, false);
}

int FindText(std::string_view search, std::string_view text, int from, int to)
{
    return FindPosition(search, text, from, to, true);
}

int FindInBuffer(const char* pattern, const char* text, int patternLength, int textLength,
                 bool ignoreCase, int from, int to)
{
    if (!pattern || !text || patternLength < 0 || textLength < 0)
        return -1;
    const std::string_view patternView =
        patternLength == 0 ? std::string_view(pattern)
                           : std::string_view(pattern, static_cast<size_t>(patternLength));
    const std::string_view textView = textLength == 0
                                          ? std::string_view(text)
                                          : std::string_view(text, static_cast<size_t>(textLength));
    return Search(patternView, textView, ignoreCase, from, to);
}

bool StartsWithStr(std::string_view prefix, std::string_view text)
{
    return StartsWith(prefix, text, false);
}

bool StartsWithText(std::string_view prefix, std::string_view text)
{
    return StartsWith(prefix, text, true);
}

int FindCharOf(const CharSet& characters, std::string_view text, int from, int to)
{
    if (text.empty())
        return 0;
    from = std::clamp(from, 1, Length(text));
    to = std::clamp(to, 1, Length(text));
    const int step = to >= from ? 1 : -1;
    for (int position = from;; position += step) {
        if (characters.test(Byte(text[static_cast<size_t>(position - 1)])))
            return position;
        if (position == to)
            return 0;
    }
}

std::string PadStr(std::string_view text, int length, char fill)
{
    return PaddedNumber(std::string(text), length, fill);
}

void PadInPlace(std::string& text, int count, bool onTheLeft, char fill)
{
    if (count <= 0)
        return;
    const size_t n = static_cast<size_t>(count);
    if (!onTheLeft)
        text.append(n, fill);
    else if (fill >= '0' && fill <= '9' && !text.empty() && text[0] == '-')
        text.insert(1, n, fill);
    else
        text.insert(0, n, fill);
}

std::string FormatInt(int32_t value, int minimumLength, char fill)
{
    return PaddedNumber(std::to_string(value), minimumLength, fill);
}

std::string FormatCardinal(uint32_t value, int minimumLength, char fill)
{
    return PaddedNumber(std::to_string(value), minimumLength, fill);
}

std::string FormatInt64(int64_t value, int minimumLength, char fill)
{
    return PaddedNumber(std::to_string(value), minimumLength, fill);
}

std::string FormatHex(uint32_t value, int minimumLength, char fill)
{
    return FormatHexDigits(HexDigits(value), minimumLength, fill);
}

std::string FormatHex64(uint64_t value, int minimumLength, char fill)
{
    const uint32_t high = static_cast<uint32_t>(value >> 32);
    std::string digits = HexDigits(static_cast<uint32_t>(value));
    if (high != 0) {
        digits.insert(0, 8 - digits.size(), '0');
        digits.insert(0, HexDigits(high));
    }
    return FormatHexDigits(std::move(digits), minimumLength, fill);
}

int32_t ParseIntBuf(bool hexadecimal, const char* characters, int count)
{
    if (!characters || count <= 0)
        return 0;
    const uint32_t base = hexadecimal ? 16 : 10;
    const bool negative = characters[0] == '-';
    uint32_t value = negative ? 0 : DigitTable[Byte(characters[0])];
    for (int i = 1; i < count; ++i)
        value = value * base + DigitTable[Byte(characters[i])];
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

void TidyList(std::string& text, char delimiter)
{
    // Each item loses its leading and trailing blanks and control characters; items left
    // empty disappear with their delimiter.
    std::string tidy;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(delimiter, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = TrimmedCopy(std::string_view(text).substr(start, end - start));
        if (!item.empty()) {
            if (!tidy.empty())
                tidy += delimiter;
            tidy += item;
        }
        start = end + 1;
    }
    text = std::move(tidy);
}

int ListItemCount(std::string_view text, char delimiter)
{
    if (text.empty())
        return 0;
    return static_cast<int>(std::count(text.begin(), text.end(), delimiter)) + 1;
}

std::string ListItem(std::string_view text, int n, char delimiter)
{
    if (n <= 0)
        return {};
    size_t start = 0;
    for (int item = 1; item < n; ++item) {
        const size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos)
            return {};
        start = next + 1;
    }
    const size_t end = text.find(delimiter, start);
    return std::string(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

bool ListHasItem(std::string_view list, std::string_view item, char delimiter)
{
    return ListHas(list, item, delimiter, false);
}

bool ListHasText(std::string_view list, std::string_view item, char delimiter)
{
    return ListHas(list, item, delimiter, true);
}

char LocaleDecimalSeparator()
{
    // Read once for the life of the process; two threads filling it at once store the same
    // character.
    static char separator = 0;
    if (separator == 0) {
        const char queried = PlatformDecimalSeparator();
        separator = queried != 0 ? queried : ',';
    }
    return separator;
}

std::string SizeToText(int64_t byteCount)
{
    const uint64_t magnitude =
        byteCount < 0 ? 0 - static_cast<uint64_t>(byteCount) : static_cast<uint64_t>(byteCount);
    if (magnitude < 1024)
        return std::to_string(magnitude) + " Bytes";
    int64_t hundredths;
    const char* unit;
    if (magnitude < 1048576) {
        hundredths = byteCount * 100 / 1024;
        unit = " KB";
    } else if (magnitude < 1073741824) {
        hundredths = byteCount / 1024 * 100 / 1024;
        unit = " MB";
    } else {
        hundredths = byteCount / 1024 / 1024 * 100 / 1024;
        unit = " GB";
    }
    std::string digits = std::to_string(std::abs(hundredths));
    digits.insert(digits.size() - 2, 1, LocaleDecimalSeparator());
    return digits + unit;
}

std::string ErrorCodeText(uint32_t code)
{
    std::string text = PlatformErrorMessage(code);
    if (text.empty())
        return std::string(UnknownErrorWord) + " " + FormatHex(code, 1, '0');
    std::string flat;
    flat.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            flat += ' ';
        else if (c != '\n')
            flat += c;
    }
    return flat;
}

std::string WidenText(std::string_view text, bool addTerminator)
{
    std::string wide;
    wide.reserve(text.size() * 2 + 2);
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    if (addTerminator)
        wide.append(2, '\0');
    return wide;
}

std::string NarrowText(const char16_t* text)
{
    std::string narrow;
    if (!text)
        return narrow;
    for (; *text != 0; ++text)
        narrow += static_cast<char>(*text & 0xFF);
    return narrow;
}

} // namespace qor
