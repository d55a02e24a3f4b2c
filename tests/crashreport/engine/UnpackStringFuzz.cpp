// Compressed strings from outside bytes: whatever they hold, decoding ends with a string or an
// empty one, never a crash, a read past the input or an oversized allocation. Inputs starting
// with 'P' patch a valid compressed string (FuzzInput.h).
#include "QorZip.h"

#include "FuzzInput.h"
#include "PackedBytes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string sample = ZlibPackedString(
        "modules|processes|hardware\r\n00401000 main.cpp 42 TForm1.Button1Click\r\n"
        "00401000 main.cpp 42 TForm1.Button1Click\r\n");
    const std::string packed = FuzzStreamBytes(sample, data, size);
    const std::string unpacked = qor::UnpackString(packed);
    if (!unpacked.empty() && unpacked.size() > (packed.size() - 12) * 1032)
        __builtin_trap();
    return 0;
}
