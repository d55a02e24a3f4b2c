// Win32 implementation of the toolkit's platform texts.
#include "QorPlatformText.h"

#include <windows.h>

namespace qor {

namespace {

// Status codes (either of the two highest bits set) are turned into system error codes first.
constexpr const char* StatusLibrary = "ntdll.dll";
constexpr const char* StatusToErrorFunction = "RtlNtStatusToDosError";
// The network messages (codes 2100 to 2999) live in a message library of their own.
constexpr const char* NetworkMessageLibrary = "netmsg.dll";
constexpr uint32_t FirstNetworkMessage = 2100;
constexpr uint32_t LastNetworkMessage = 2999;
constexpr DWORD UserDefaultLanguage = 0x400;

using StatusToError = ULONG(WINAPI*)(LONG);

uint32_t SystemErrorOfStatus(uint32_t code)
{
    HMODULE library = GetModuleHandleA(StatusLibrary);
    if (!library)
        return code;
    FARPROC proc = GetProcAddress(library, StatusToErrorFunction);
    if (!proc)
        return code;
    auto convert = reinterpret_cast<StatusToError>(reinterpret_cast<void*>(proc));
    return static_cast<uint32_t>(convert(static_cast<LONG>(code)));
}

} // namespace

char PlatformDecimalSeparator()
{
    char buffer[2] = {};
    if (GetLocaleInfoA(GetThreadLocale(), LOCALE_SDECIMAL, buffer, 2) == 0)
        return '\0';
    return buffer[0];
}

std::string PlatformErrorMessage(uint32_t code)
{
    if (code & 0xC0000000u)
        code = SystemErrorOfStatus(code);
    HMODULE messages = nullptr;
    if (code >= FirstNetworkMessage && code <= LastNetworkMessage)
        messages = LoadLibraryExA(NetworkMessageLibrary, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (messages)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(flags, messages, code, UserDefaultLanguage,
                                        reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer)
        text.assign(buffer, length);
    if (buffer)
        LocalFree(buffer);
    if (messages)
        FreeLibrary(messages);
    return text;
}

} // namespace qor
