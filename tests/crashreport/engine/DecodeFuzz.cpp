// Decodes and prints the instruction at every offset of the input, with register tracking.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FunctionListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr uint32_t kAt = 0x00401000;
    qor::MemoryImage memory;
    memory.Add(kAt, std::vector<uint8_t>(data, data + size));
    qor::TRegisterState registers{};
    for (uint32_t offset = 0; offset < size; ++offset) {
        qor::TDecodedInstruction d;
        qor::DisassembleInstruction(memory, kAt + offset, &registers, true, d);
        if (d.valid && d.next <= d.start)
            __builtin_trap(); // every instruction moves forward
    }
    return 0;
}
