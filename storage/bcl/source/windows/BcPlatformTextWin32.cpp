// Win32 implementation of the locale services: the user's default locale.
#include "BcPlatformText.h"

#include "windows/LocaleFormats.h"

#include <windows.h>

namespace bcl {

uint16_t PlatformCharType(uint8_t c)
{
    const char text = static_cast<char>(c);
    WORD type = 0;
    if (!GetStringTypeExA(LOCALE_USER_DEFAULT, CT_CTYPE1, &text, 1, &type))
        return 0;
    return type;
}

uint8_t PlatformLowerChar(uint8_t c)
{
    char text = static_cast<char>(c);
    CharLowerBuffA(&text, 1);
    return static_cast<uint8_t>(text);
}

uint8_t PlatformUpperChar(uint8_t c)
{
    char text = static_cast<char>(c);
    CharUpperBuffA(&text, 1);
    return static_cast<uint8_t>(text);
}

std::string WideToAnsiText(std::u16string_view text)
{
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int count = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, count, result.data(), size, nullptr, nullptr);
    return result;
}

classlib::TFormatSettings SystemDefaultFormatSettings()
{
    return classlib::GetLocaleFormatSettings(LOCALE_SYSTEM_DEFAULT);
}

} // namespace bcl
