#include "StackDump.h"

#include "QorStrings.h"
#include "StackTracer.h"

namespace qor {

namespace {

constexpr int kRows = 20;
constexpr int kRowBytes = 16;

std::string Hex(uint32_t value, int digits)
{
    return FormatHex(value, digits, '0').substr(1);
}

} // namespace

std::string GetStackDump(const CodeMemory& source, uint32_t stackPointer)
{
    const PageCachedMemory memory(source); // one read per page, however many bytes
    const MemoryRegion region = memory.Region(stackPointer);
    uint64_t end = region.size ? uint64_t{region.start} + region.size : uint64_t{1} << 32;
    std::string text;
    for (int row = 0; row < kRows; ++row) {
        const uint64_t rowAddress = uint64_t{stackPointer} + uint64_t{kRowBytes} * row;
        if (rowAddress >= end)
            break;
        uint8_t bytes[kRowBytes];
        int present = 0;
        while (present < kRowBytes && rowAddress + present < end &&
               memory.Read(static_cast<uint32_t>(rowAddress + present), &bytes[present], 1))
            ++present;
        if (present == 0)
            break;
        if (present < kRowBytes)
            end = rowAddress + present; // the stack ends here
        std::string line = Hex(static_cast<uint32_t>(rowAddress), 8) + "  ";
        std::string characters;
        for (int column = 0; column < kRowBytes; ++column) {
            if (column == 8)
                line += column < present ? "- " : "  ";
            line += column < present ? Hex(bytes[column], 2) + " " : "   ";
            if (column < present)
                characters += bytes[column] >= 33 && bytes[column] <= 126
                                  ? static_cast<char>(bytes[column])
                                  : '.';
        }
        if (!text.empty())
            text += "\r\n";
        text += line + " " + characters;
    }
    return text;
}

} // namespace qor
