// The GIF knowledge of the HTML pictures: recognising GIF data, finding its frames (a graphic
// control extension immediately followed by an image descriptor) and trimming the data so that
// a decoder that shows the first frame shows a chosen one. Every read is bounded by the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace draw {

// One frame as found in the data.
struct TGifFrame {
    size_t Offset = 0;  // position of its graphic control extension (the 0x21 byte)
    uint16_t Delay = 0; // hundredths of a second, from the graphic control extension
    uint16_t Left = 0;  // position from its image descriptor
    uint16_t Top = 0;
};

// At least 5 bytes beginning with "GIF8".
bool IsGifData(const uint8_t* data, size_t size);

// The frames of GIF data in order; empty for other data.
std::vector<TGifFrame> ScanGifFrames(const uint8_t* data, size_t size);

// The logical screen size (16-bit little-endian at offsets 6 and 8); zero when the data is too
// short to hold it.
struct TGifScreen {
    uint16_t Width = 0;
    uint16_t Height = 0;
};
TGifScreen GifScreenSize(const uint8_t* data, size_t size);

// The data with the frames before `frame` (counted from 1) left out: everything before the
// first frame, then everything from the chosen frame on. `left` and `top` receive the chosen
// frame's position (unchanged when there is no such frame).
std::vector<uint8_t> SelectGifFrame(const uint8_t* data, size_t size, int frame, uint16_t& left,
                                    uint16_t& top);

} // namespace draw
