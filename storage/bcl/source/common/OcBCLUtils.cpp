#include "OcBCLUtils.h"

#include "core/SysUtils.h"

namespace bcl {

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The pair's value, or -1 when either character is not a hexadecimal digit.
int HexPairValue(char high, char low)
{
    const int h = HexDigitValue(high);
    const int l = HexDigitValue(low);
    return (h < 0 || l < 0) ? -1 : h * 16 + l;
}

void AppendHex(std::string& out, uint8_t byte, const char* digits)
{
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

bool IsDelimiter(char c, std::string_view delimiters)
{
    return delimiters.find(c) != std::string_view::npos;
}

} // namespace

std::string BytesToHexText(const void* buffer, int32_t bufSize)
{
    std::string text;
    if (bufSize <= 0)
        return text;
    text.reserve(static_cast<size_t>(bufSize) * 2);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    for (int32_t i = 0; i < bufSize; ++i)
        AppendHex(text, bytes[i], "0123456789ABCDEF");
    return text;
}

int32_t HexTextToBytes(std::string_view text, void* buffer, int32_t bufSize)
{
    std::string padded(text);
    if (padded.size() % 2 != 0)
        padded.insert(padded.begin(), '0');
    const auto pairs = static_cast<int32_t>(padded.size() / 2);
    const int32_t count = bufSize < pairs ? bufSize : pairs;
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (int32_t i = 0; i < count; ++i) {
        const int value = HexPairValue(padded[2 * i], padded[2 * i + 1]);
        if (value < 0)
            throw classlib::EConvertError(
                classlib::Format(classlib::messages::InvalidInteger,
                                 {"$" + padded.substr(2 * static_cast<size_t>(i), 2)}));
        bytes[i] = static_cast<uint8_t>(value);
    }
    return count < 0 ? 0 : count;
}

std::string XorToHexText(std::string_view key, std::string_view source)
{
    std::string text;
    text.reserve(source.size() * 2);
    for (size_t i = 0; i < source.size(); ++i) {
        auto c = static_cast<uint8_t>(source[i]);
        if (!key.empty())
            c ^= static_cast<uint8_t>(key[i % key.size()]);
        AppendHex(text, c, "0123456789abcdef");
    }
    return text;
}

std::string XorFromHexText(std::string_view key, std::string_view source)
{
    std::string text;
    const size_t pairs = source.size() / 2;
    text.reserve(pairs);
    for (size_t i = 0; i < pairs; ++i) {
        const int value = HexPairValue(source[2 * i], source[2 * i + 1]);
        auto c = static_cast<uint8_t>(value < 0 ? 32 : value);
        if (!key.empty())
            c ^= static_cast<uint8_t>(key[i % key.size()]);
        text += static_cast<char>(c);
    }
    return text;
}

int WordPosition(int n, std::string_view text, std::string_view delimiters)
{
    int word = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool starts =
            !IsDelimiter(text[i], delimiters) && (i == 0 || IsDelimiter(text[i - 1], delimiters));
        if (starts && ++word == n)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::string ExtractWord(int n, std::string_view text, std::string_view delimiters)
{
    const int at = WordPosition(n, text, delimiters);
    if (at == 0)
        return {};
    size_t end = static_cast<size_t>(at) - 1;
    while (end < text.size() && !IsDelimiter(text[end], delimiters))
        ++end;
    return std::string(text.substr(static_cast<size_t>(at) - 1, end - (at - 1)));
}

bool CharInSet256(uint8_t c, const uint32_t (&set)[8])
{
    return (set[c / 32] >> (c % 32)) & 1;
}

bool VariantIsInteger(uint16_t variantType)
{
    switch (variantType) {
        case 2:  // 16-bit signed
        case 3:  // 32-bit signed
        case 16: // 8-bit signed
        case 17: // 8-bit unsigned
        case 18: // 16-bit unsigned
        case 19: // 32-bit unsigned
            return true;
        default:
            return false;
    }
}

} // namespace bcl
