#pragma once
// Hand-built PNG streams for the tests: random rows of any colour type and bit depth, put
// together with zlib (PngReference.h), so that the bytes do not come from the codec.
#include "PngBytes.h"

#include <cstdint>
#include <random>
#include <string>

namespace pngtest {

inline uint32_t SamplesPerPixel(int colorType)
{
    switch (colorType) {
        case 2:
            return 3;
        case 4:
            return 2;
        case 6:
            return 4;
        default:
            return 1;
    }
}

inline uint32_t RowBytes(uint32_t width, int colorType, int depth)
{
    return (width * SamplesPerPixel(colorType) * uint32_t(depth) + 7) / 8;
}

struct TBuiltPng {
    std::string bytes;
    std::string rows; // unfiltered rows, without filter bytes
};

// A non-interlaced image of random samples (palette indices below the palette's 2^depth
// entries), every row with filter type 0; `beforeData` goes between header and image data.
inline TBuiltPng RandomPng(uint32_t width, uint32_t height, int colorType, int depth,
                           unsigned seed = 1, const std::string& beforeData = {})
{
    std::mt19937 random(seed);
    TBuiltPng built;
    const uint32_t rowBytes = RowBytes(width, colorType, depth);
    std::string filtered;
    for (uint32_t y = 0; y < height; ++y) {
        std::string row(rowBytes, '\0');
        for (char& c : row)
            c = char(random());
        built.rows += row;
        filtered += '\0' + row;
    }
    std::string palette;
    if (colorType == 3)
        for (int i = 0; i < (1 << depth) * 3; ++i)
            palette += char(random());
    built.bytes = Signature() + Header(width, height, depth, colorType) +
                  (colorType == 3 ? Chunk("PLTE", palette) : std::string()) + beforeData +
                  Chunk("IDAT", Deflate(filtered)) + Chunk("IEND", "");
    return built;
}

} // namespace pngtest
