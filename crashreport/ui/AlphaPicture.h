#pragma once
// The crash-report dialogs' pictures with alpha: bitmap resources of exactly 40 + size x size x 4
// bytes, a BITMAPINFOHEADER of size x size pixels at 32 bits followed by the pixels (blue, green,
// red, alpha), blended over a background as they are drawn. Windows only.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace crashui {

struct TAlphaPicture {
    BITMAPINFOHEADER header{};
    std::vector<uint32_t> pixels; // in the order the header gives (bottom-up or top-down)
    int Size() const { return static_cast<int>(header.biWidth); }
    bool Empty() const { return pixels.empty(); }
};

// The picture named `name` of `module`; empty when the resource is missing, has another size
// or a header that does not describe size x size pixels of 32 bits.
TAlphaPicture LoadAlphaPicture(HMODULE module, const std::string& name, int size);

// A pixel (blue, green, red, alpha in memory order) over the background (0x00RRGGBB): each
// channel ((256 - g) x back + g x colour) / 256 with g = alpha + 1; the result's alpha is 0.
uint32_t BlendOver(uint32_t pixel, uint32_t background);

// Draws the picture at (x, y) of `dc` blended over one colour.
void DrawAlphaPicture(HDC dc, int x, int y, const TAlphaPicture& picture, COLORREF background);
// Draws the picture at (x, y) of `dc` blended over what `dc` already holds there.
void DrawAlphaPictureOver(HDC dc, int x, int y, const TAlphaPicture& picture);

} // namespace crashui
