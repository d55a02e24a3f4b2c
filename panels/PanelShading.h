#pragma once
// The caption shadings of the advanced panel as pixels: fourteen generated patterns of the
// caption colour (noise, diagonal, horizontal and vertical shades, bumps, brushed metal,
// radial), computed without a device so that the window code only copies them.
#include <cstdint>
#include <vector>

namespace panels {

enum TShadeType {
    stNormal,
    stNoise,
    stDiagShade,
    stHShade,
    stVShade,
    stHBump,
    stVBump,
    stSoftBump,
    stHardBump,
    stLMetal,
    stRMetal,
    stIRadial,
    stORadial,
    stHShadeInv,
    stVShadeInv,
    stXPCaption,
    stBitmap,
    stBitmapRStretch,
    stBitmapLStretch
};

// Which way the caption lies: the zero-size fallbacks of the formulas depend on it.
enum class TShadeOrientation { Top, Left };

struct TShadeRequest {
    TShadeType type = stNormal;
    int width = 0;
    int height = 0;
    TShadeOrientation orientation = TShadeOrientation::Top;
    uint32_t color = 0; // the caption colour as RGB 0x00BBGGRR (system colours resolved)
    int light = 200;    // ShadeLight; its low byte is used
    int grain = 32;     // ShadeGrain (0..255)
    uint32_t seed = 0;  // the random generator's start for the noise and metal streaks
};

// Shade(v) of the caption colour: each channel the low byte of v * channel div 255.
uint32_t ShadeColor(uint32_t color, int v);

// width x height pixels, row by row from the top, as 0x00BBGGRR. Pixels a pass does not reach
// stay white; a pass whose divisor would be 0 is skipped.
std::vector<uint32_t> BuildShadePixels(const TShadeRequest& request);

} // namespace panels
