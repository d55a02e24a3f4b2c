#pragma once
// The screenshot PNG writer: 8-bit palette images by Wu's colour quantizer (Xiaolin Wu's
// variance-minimising cuts of the RGB cube) or 4-bit images on a fixed 16-level gray ramp, and
// the choice between them by size. Portable (no <windows.h>).
//
// Pixels are the bitmap object's: 4 bytes each (blue, green, red, unused), rows bottom-up.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace crashui {

// The format argument of PngBytes: 0 colour, 1 gray, 2 to 5 colour unless it is longer than
// 50, 100, 200 or 300 KiB and the gray image is shorter; any other value as 0.
enum : uint8_t { pngColour = 0, pngGray = 1 };

// 256 palette entries, 3 bytes each (red, green, blue).
using TPalette = std::array<uint8_t, 768>;

// Wu's quantizer over `count` pixels: fills the palette and returns the number of boxes made
// (entries past it, and entries of empty boxes, are black).
int QuantizeWu(const uint8_t* pixels, size_t count, TPalette& palette);

// Palette indices of the pixels, in bitmap order: the nearest entry by the sum of absolute
// channel differences, the first on ties, searched once per 15-bit colour key (later pixels
// with the same key take the same index).
std::string MapToPalette(const uint8_t* pixels, size_t count, const TPalette& palette);

// The 16 gray levels and the nearest level of a gray value (the first on ties).
extern const std::array<uint8_t, 16> GrayRamp;
uint8_t GrayLevelIndex(uint8_t gray);
// Rewrites every pixel to its gray value (77 red + 151 green + 28 blue) >> 8.
void MakeGray(uint8_t* pixels, size_t count);

// The PNG file images; empty when they cannot be made. The gray form rewrites the pixels.
std::string ColourPngBytes(const uint8_t* pixels, uint32_t width, uint32_t height);
std::string GrayPngBytes(uint8_t* pixels, uint32_t width, uint32_t height);
// The image the format asks for (the gray form rewrites the pixels whenever it is made).
std::string ScreenshotPngBytes(uint8_t* pixels, uint32_t width, uint32_t height, uint8_t format);

} // namespace crashui
