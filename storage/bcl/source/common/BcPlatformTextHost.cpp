// Host implementation of the locale services: the C locale's ASCII rules, and wide text
// narrowed through Latin-1 with "?" for characters it cannot hold.
#include "BcPlatformText.h"

namespace bcl {

uint16_t PlatformCharType(uint8_t c)
{
    uint16_t flags = 0;
    if (c >= 'A' && c <= 'Z')
        flags |= C1Upper | C1Alpha;
    if (c >= 'a' && c <= 'z')
        flags |= C1Lower | C1Alpha;
    if (c >= '0' && c <= '9')
        flags |= C1Digit | C1XDigit;
    if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
        flags |= C1XDigit;
    if (c == ' ' || (c >= 9 && c <= 13))
        flags |= C1Space;
    if (c == ' ' || c == '\t')
        flags |= C1Blank;
    if (c < 32 || c == 127)
        flags |= C1Cntrl;
    if (c > 32 && c < 127 && !(flags & (C1Alpha | C1Digit)))
        flags |= C1Punct;
    return flags;
}

uint8_t PlatformLowerChar(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
}

uint8_t PlatformUpperChar(uint8_t c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

std::string WideToAnsiText(std::u16string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char16_t ch : text)
        result += ch < 256 ? static_cast<char>(ch) : '?';
    return result;
}

classlib::TFormatSettings SystemDefaultFormatSettings()
{
    return {};
}

} // namespace bcl
