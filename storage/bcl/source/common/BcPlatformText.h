#pragma once
// The platform's locale services that the string tables and text conversions rest on.
// One implementation per platform: the Win32 one asks the user's default locale, the host
// one (native build) uses the C locale's ASCII rules.
#include "core/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bcl {

// CT_CTYPE1 classification flags of one character.
enum CharTypeFlag : uint16_t {
    C1Upper = 0x1,
    C1Lower = 0x2,
    C1Digit = 0x4,
    C1Space = 0x8,
    C1Punct = 0x10,
    C1Cntrl = 0x20,
    C1Blank = 0x40,
    C1XDigit = 0x80,
    C1Alpha = 0x100,
};

uint16_t PlatformCharType(uint8_t character);
uint8_t PlatformLowerChar(uint8_t character);
uint8_t PlatformUpperChar(uint8_t character);

// Wide text converted to the system's 8-bit code page.
std::string WideToAnsiText(std::u16string_view text);

// The date and time formats of the system's default locale (the host: the class library's
// built-in English formats).
classlib::TFormatSettings SystemDefaultFormatSettings();

} // namespace bcl
