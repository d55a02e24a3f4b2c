#include "QorSystemExceptionText.h"

#include "QorStrings.h"

namespace qor {

namespace {

struct CodeText {
    uint32_t code;
    const char* text;
};

const CodeText codeTexts[] = {
    {0xC000008C, "Range check error"},
    {0xC000008D, "Floating point underflow"},
    {0xC0000093, "Floating point underflow"},
    {0xC000008E, "Floating point division by zero"},
    {0xC000008F, "Invalid floating point operation"},
    {0xC0000090, "Invalid floating point operation"},
    {0xC0000092, "Invalid floating point operation"},
    {0xC0000091, "Floating point overflow"},
    {0xC0000094, "Division by zero"},
    {0xC0000095, "Integer overflow"},
    {0xC0000096, "Privileged instruction"},
    {0xC00000FD, "Stack overflow"},
    {0xC000013A, "Control-C hit"},
};

std::string AddressText(uint64_t address)
{
    return FormatHex64(address, 1, '0');
}

} // namespace

std::string SystemExceptionText(uint32_t code)
{
    for (const CodeText& entry : codeTexts)
        if (entry.code == code)
            return entry.text;
    return "External exception " + FormatHex(code, 1, '0').substr(1);
}

std::string AccessViolationText(uint64_t exceptionAddress, const std::string& moduleFileName,
                                bool write, uint64_t accessedAddress)
{
    if (moduleFileName.empty())
        return "Access Violation";
    const size_t slash = moduleFileName.find_last_of("\\/");
    const std::string name =
        slash == std::string::npos ? moduleFileName : moduleFileName.substr(slash + 1);
    return "Access violation at address " + AddressText(exceptionAddress) + " in module '" + name +
           "'. " + (write ? "Write" : "Read") + " of address " + AddressText(accessedAddress);
}

} // namespace qor
