// Analyses the input as a function inside a module image; the first four bytes name a routine
// that never returns.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FunctionAnalyser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    constexpr uint32_t kBase = 0x00400000, kCode = 0x00401000;
    qor::MemoryImage memory;
    memory.Add(kBase, std::vector<uint8_t>(0x1000, 0), true, kBase);
    memory.Add(kCode, std::vector<uint8_t>(data + 4, data + size), true, kBase);
    qor::AnalyserAnchors anchors;
    anchors.noReturnRoutines = {
        static_cast<uint32_t>(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24)};
    qor::TFunctionInfo info = qor::AnalyseCode(memory, kCode, anchors);
    if (info.valid && info.codeLength == 0)
        __builtin_trap();
    return 0;
}
