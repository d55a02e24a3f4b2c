// The settings store's memory and code page on Windows: the process-wide local heap, which
// every copy of the engine in the process can free into, and the system code page.
#include "QorSettingsTable.h"

#include <windows.h>

#include <cstdlib>

namespace qor {

void* SettingsAlloc(size_t size)
{
    void* block = LocalAlloc(LPTR, size == 0 ? 1 : size);
    if (block == nullptr)
        std::abort();
    return block;
}

void SettingsFree(const void* block)
{
    if (block != nullptr)
        LocalFree(const_cast<void*>(block));
}

std::string SettingsTextFromUtf16(std::u16string_view units)
{
    if (units.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
    const int count = static_cast<int>(units.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, count, text.data(), size, nullptr, nullptr);
    return text;
}

} // namespace qor
