// Lists the input as a function inside a module image; the first two bytes place the exception
// address and the line limit.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FunctionListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    constexpr uint32_t kBase = 0x00400000, kCode = 0x00401000;
    qor::MemoryImage memory;
    memory.Add(kBase, std::vector<uint8_t>(0x1000, 0), true, kBase);
    memory.Add(kCode, std::vector<uint8_t>(data + 2, data + size), true, kBase);
    qor::ListingHooks hooks;
    hooks.lineNumber = [](uint32_t a) { return (a - kCode) / 3 + 1; };
    qor::TFunctionInfo info;
    qor::ParseFunction(memory, kCode, kCode + data[0], data[1] % 16, (data[1] & 0x80) != 0, info,
                       {}, hooks);
    return 0;
}
