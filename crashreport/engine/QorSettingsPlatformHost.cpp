// The settings store's memory and code page on hosts without the Windows local heap: the C
// heap, and Windows-1252 as the system code page.
#include "QorSettingsTable.h"

#include <cstdlib>

namespace qor {

void* SettingsAlloc(size_t size)
{
    void* block = std::calloc(1, size == 0 ? 1 : size);
    if (block == nullptr)
        std::abort();
    return block;
}

void SettingsFree(const void* block)
{
    std::free(const_cast<void*>(block));
}

std::string SettingsTextFromUtf16(std::u16string_view units)
{
    // Windows-1252's characters 0x80..0x9F; every other code unit below 0x100 is itself.
    static const char16_t upper[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string text;
    for (char16_t unit : units) {
        char byte = '?';
        if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
            byte = static_cast<char>(unit);
        } else {
            for (int i = 0; i < 32; ++i)
                if (upper[i] != 0 && upper[i] == unit)
                    byte = static_cast<char>(0x80 + i);
        }
        text += byte;
    }
    return text;
}

} // namespace qor
