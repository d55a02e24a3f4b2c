// The arithmetic of the drawing helpers, without a device: the integer rectangle and point that
// portable layout code shares, colour blending, brightness and darkening, the bands of stepped
// gradients, rectangle centring and the geometry of the progress gauge with its segment gaps.
// Colours here are RGB values 0x00BBGGRR (system colours are resolved by the callers). Round is to
// the nearest integer with ties to even.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace draw {

struct TIntRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TIntRect&, const TIntRect&) = default;
};

struct TIntPoint {
    int X = 0, Y = 0;
    friend bool operator==(const TIntPoint&, const TIntPoint&) = default;
};

// Round to nearest, ties to even.
int RoundEven(long double value);

// Each channel Round(p % of c1 + (100 - p) % of c2), for 0 < p < 100.
uint32_t BlendRGB(uint32_t c1, uint32_t c2, int percent);
// Per channel: a zero channel becomes the percentage when it is positive (else 0); any other
// is scaled by min(100 + percent, 100) %. Results are limited to 0..255.
uint32_t AdjustChannelBrightnessRGB(uint32_t color, int percentRed, int percentGreen,
                                    int percentBlue);
// Every channel scaled by (100 - percent) %, limited to 0..255 (a negative percent lightens).
uint32_t DarkenRGB(uint32_t color, int percent);

// One band of a stepped gradient: it starts `Offset` pixels into the rectangle and is `Length`
// pixels long (bands overlap by one pixel).
struct TGradientStep {
    int Offset = 0;
    int Length = 0;
    uint32_t Color = 0;
};
// `steps` bands (0 or below counts as 1) over `extent` pixels from `from` towards `to`; the last
// band has the colour one step short of `to`.
std::vector<TGradientStep> StepGradientBands(uint32_t from, uint32_t to, int steps, int extent);

// A W x H rectangle centred in `r` (halving toward zero).
TIntRect CenterRect(TIntRect r, int width, int height);

// What the gauge paints, given its rectangle (after the border took its pixel), its extent
// and the percentage (limited to 0..100 for the geometry).
struct TGaugeGeometry {
    int Level1Perc = 0;
    int Level2Perc = 0;
    bool Stacked = false;
    bool CompletionSmooth = false;
};
struct TGaugePart {
    TIntRect Rect;          // what the part's fill covers
    int Level = 0;          // its gradient colours (level 0..3)
    int FlatLevel = 0;      // the level whose colour a flat fill uses
    bool Segmented = false; // gaps are cut into GapRect afterwards
    TIntRect GapRect;
};
std::vector<TGaugePart> GaugeParts(const TIntRect& r, int extent, int percent,
                                   const TGaugeGeometry& g);

// The 2-pixel gaps cut into a segmented gauge part: a first block 8 pixels wide, then 7-pixel
// blocks.
std::vector<TIntRect> GaugeSegmentGaps(const TIntRect& part);

} // namespace draw
