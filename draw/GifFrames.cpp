#include "draw/GifFrames.h"

namespace draw {

namespace {

// Graphic control extension: 0x21 0xF9 0x04, four bytes of flags, delay and transparent index,
// its terminator, then the image descriptor's 0x2C at +8 and its left and top at +9 and +11.
// The frame test asks for every byte up to the top field, so reading them never leaves the data.
constexpr size_t FrameTestExtent = 13;

bool IsFrameAt(const uint8_t* data, size_t size, size_t p)
{
    return size - p >= FrameTestExtent && data[p] == 0x21 && data[p + 1] == 0xF9 &&
           data[p + 2] == 0x04 && data[p + 8] == 0x2C;
}

uint16_t Word(const uint8_t* data, size_t p)
{
    return static_cast<uint16_t>(data[p] | (data[p + 1] << 8));
}

} // namespace

bool IsGifData(const uint8_t* data, size_t size)
{
    return size >= 5 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F' && data[3] == '8';
}

std::vector<TGifFrame> ScanGifFrames(const uint8_t* data, size_t size)
{
    std::vector<TGifFrame> frames;
    if (!IsGifData(data, size))
        return frames;
    for (size_t p = 0; p < size; ++p)
        if (IsFrameAt(data, size, p))
            frames.push_back(
                TGifFrame{p, Word(data, p + 4), Word(data, p + 9), Word(data, p + 11)});
    return frames;
}

TGifScreen GifScreenSize(const uint8_t* data, size_t size)
{
    if (size < 10)
        return {};
    return TGifScreen{Word(data, 6), Word(data, 8)};
}

std::vector<uint8_t> SelectGifFrame(const uint8_t* data, size_t size, int frame, uint16_t& left,
                                    uint16_t& top)
{
    std::vector<uint8_t> out;
    out.reserve(size);
    int k = 1;
    bool skipping = false;
    for (size_t p = 0; p < size; ++p) {
        if (IsFrameAt(data, size, p)) {
            if (frame == k) {
                left = Word(data, p + 9);
                top = Word(data, p + 11);
            }
            ++k;
            skipping = frame >= k;
        }
        if (!skipping)
            out.push_back(data[p]);
    }
    return out;
}

} // namespace draw
