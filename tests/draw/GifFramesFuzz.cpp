// Any bytes through the GIF frame scan and trimming: no read outside the data.
#include "draw/GifFrames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto frames = draw::ScanGifFrames(data, size);
    uint16_t left = 0, top = 0;
    const int frame = size > 0 ? data[0] % 4 + 1 : 1;
    const auto trimmed = draw::SelectGifFrame(data, size, frame, left, top);
    if (trimmed.size() > size || (frames.empty() && frame == 1 && trimmed.size() != size))
        __builtin_trap();
    draw::GifScreenSize(data, size);
    return 0;
}
