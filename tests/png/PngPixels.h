#pragma once
// Pixels of a decoded image as 8-bit RGBA, for comparison with libpng's decoding.
#include "PngImage.h"
#include "PngReference.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace pngtest {

// The gamma table a "gAMA" value gives: 255 × (i / 255)^(1 / (gamma × 2.2)), halves to even.
inline std::vector<uint8_t> GammaTableFor(bool hasGamma, uint32_t gamma)
{
    std::vector<uint8_t> table(256);
    for (int i = 0; i < 256; ++i) {
        if (!hasGamma || gamma == 0) {
            table[i] = uint8_t(i);
            continue;
        }
        const double e = 1.0 / ((gamma / 100000.0) * 2.2);
        table[i] = i == 0 ? 0 : uint8_t(std::nearbyint(255.0 * std::pow(i / 255.0, e)));
    }
    return table;
}

// What the codec is expected to hold for libpng's pixels: colour samples through the gamma
// table (gray and alpha images keep their gray unchanged), alpha as it is.
inline std::vector<uint8_t> ExpectedRgba(const TReferenceImage& ref)
{
    const std::vector<uint8_t> gamma = GammaTableFor(ref.hasGamma, ref.gamma);
    std::vector<uint8_t> out = ref.rgba;
    if (ref.colorType == 4)
        return out;
    for (size_t i = 0; i < out.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            out[i + c] = gamma[out[i + c]];
    return out;
}

// The palette index or gray value the image memory holds at (x, y).
inline uint8_t HeldIndex(const png::TPNGImage& image, int x, int y)
{
    const uint32_t bits = image.HeaderChunk()->HeldBitsPerPixel();
    const uint8_t* row = image.ImageRow(y);
    const uint32_t bit = uint32_t(x) * bits;
    return uint8_t((row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1));
}

inline std::vector<uint8_t> OurRgba(const png::TPNGImage& image)
{
    const int w = image.Width(), h = image.Height();
    const png::TChunkIHDR* header = image.HeaderChunk();
    const auto* trns = image.Chunks().Find<png::TChunktRNS>();
    const uint32_t key = image.TransparentColor();
    std::vector<uint8_t> out(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t color = image.ReadPixel(x, y);
            uint8_t* p = out.data() + (size_t(y) * w + x) * 4;
            p[0] = uint8_t(color), p[1] = uint8_t(color >> 8), p[2] = uint8_t(color >> 16);
            switch (header->Header.ColorType) {
                case png::ctGrayAlpha:
                case png::ctRGBAlpha:
                    p[3] = image.AlphaRow(y)[x];
                    break;
                case png::ctPalette:
                    p[3] = trns ? trns->AlphaTable[HeldIndex(image, x, y)] : 255;
                    break;
                default:
                    p[3] = trns && color == key ? 0 : 255;
                    break;
            }
        }
    }
    return out;
}

// "" when equal, else the first difference.
inline std::string FirstDifference(const std::vector<uint8_t>& ours,
                                   const std::vector<uint8_t>& expected, uint32_t width)
{
    if (ours.size() != expected.size())
        return "sizes differ: " + std::to_string(ours.size()) + " / " +
               std::to_string(expected.size());
    for (size_t i = 0; i < ours.size(); i += 4) {
        for (int c = 0; c < 4; ++c) {
            if (ours[i + c] != expected[i + c]) {
                std::ostringstream s;
                const size_t pixel = i / 4;
                s << "pixel (" << pixel % width << ", " << pixel / width << ") channel " << c
                  << ": " << int(ours[i + c]) << " instead of " << int(expected[i + c]);
                return s.str();
            }
        }
    }
    return {};
}

} // namespace pngtest
