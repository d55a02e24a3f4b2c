#pragma once
// The pixel arithmetic of the crash-report bitmap object: its .bmp file image, the box a
// picture is fitted into and the Mitchell-filter resampling. Portable (no <windows.h>).
//
// Pixels: 4 bytes each (blue, green, red, a fourth byte left 0), rows bottom-up, no padding.
#include <cstdint>
#include <string>

namespace crashui {

// Width and height of a bitmap in pixels.
struct TSize {
    int width = 0, height = 0;
    bool operator==(const TSize&) const = default;
};

// A complete .bmp file: the 14-byte file header, the 40-byte BITMAPINFOHEADER of a 32-bit
// bottom-up bitmap, and the pixels.
std::string BmpFileBytes(int width, int height, const uint8_t* pixels);

// The size of a `source` picture scaled into a box of `box`, keeping the aspect ratio (the box
// shrinks in the one direction that is too large; it may be larger than the source).
TSize FitBox(TSize source, TSize box);

// Resamples `source` into `destination` with the separable Mitchell filter (B = C = 1/3).
void ResampleMitchell(const uint8_t* source, TSize sourceSize, uint8_t* destination,
                      TSize destinationSize);

} // namespace crashui
