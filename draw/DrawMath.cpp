#include "draw/DrawMath.h"

#include <algorithm>
#include <cmath>

namespace draw {

namespace {

int Channel(uint32_t color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

uint32_t Pack(int red, int green, int blue)
{
    auto limit = [](int c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); };
    return limit(red) | (limit(green) << 8) | (limit(blue) << 16);
}

int Brighten(int channel, int percent)
{
    if (channel == 0)
        return percent >= 0 ? percent : 0;
    return RoundEven(static_cast<long double>(channel) * std::min(100 + percent, 100) / 100);
}

} // namespace

int RoundEven(long double value)
{
    // nearbyint rounds in the current mode, which is to nearest with ties to even.
    return static_cast<int>(std::nearbyint(value));
}

uint32_t BlendRGB(uint32_t c1, uint32_t c2, int percent)
{
    const long double p = static_cast<long double>(percent) / 100;
    int out[3];
    for (int i = 0; i < 3; ++i)
        out[i] = RoundEven(p * Channel(c1, 8 * i) + (1 - p) * Channel(c2, 8 * i));
    return Pack(out[0], out[1], out[2]);
}

uint32_t AdjustChannelBrightnessRGB(uint32_t color, int percentRed, int percentGreen,
                                    int percentBlue)
{
    return Pack(Brighten(Channel(color, 0), percentRed), Brighten(Channel(color, 8), percentGreen),
                Brighten(Channel(color, 16), percentBlue));
}

uint32_t DarkenRGB(uint32_t color, int percent)
{
    int out[3];
    for (int i = 0; i < 3; ++i)
        out[i] = RoundEven(static_cast<long double>(Channel(color, 8 * i)) * (100 - percent) / 100);
    return Pack(out[0], out[1], out[2]);
}

std::vector<TGradientStep> StepGradientBands(uint32_t from, uint32_t to, int steps, int extent)
{
    // A count of 0 or below (a stored Steps property of a toolbar gradient may hold one) is one
    // band: never a division by zero, never an unpainted area.
    if (steps <= 0)
        steps = 1;
    std::vector<TGradientStep> bands;
    long double delta[3];
    for (int i = 0; i < 3; ++i)
        delta[i] = static_cast<long double>(Channel(to, 8 * i) - Channel(from, 8 * i)) / steps;
    const long double bandSize = static_cast<long double>(extent) / steps;
    const int length = RoundEven(bandSize) + 1;
    bands.reserve(static_cast<size_t>(steps));
    for (int step = 0; step < steps; ++step) {
        int c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = Channel(from, 8 * i) + RoundEven(step * delta[i]);
        // The offset is a 16-bit unsigned value, as the painters have always taken it.
        const int offset = static_cast<uint16_t>(RoundEven(step * bandSize));
        bands.push_back(TGradientStep{offset, length, Pack(c[0], c[1], c[2])});
    }
    return bands;
}

TIntRect CenterRect(TIntRect r, int width, int height)
{
    r.Right = (r.Left + r.Right + width) / 2;
    r.Bottom = (r.Top + r.Bottom + height) / 2;
    r.Left = r.Right - width;
    r.Top = r.Bottom - height;
    return r;
}

std::vector<TGaugePart> GaugeParts(const TIntRect& r, int extent, int percent,
                                   const TGaugeGeometry& g)
{
    std::vector<TGaugePart> parts;
    // A percentage above 100 would paint past the gauge: the geometry stops at a full bar.
    percent = std::min(percent, 100);
    if (percent <= 0)
        return parts;
    auto width = [&](long double percentOfExtent) {
        return RoundEven(percentOfExtent * extent / 100);
    };
    // A part from x, the full bar height; unless the completion is smooth its gaps are cut into
    // it one pixel in from the top and the bottom.
    auto add = [&](int x, int w, int level, int flatLevel) {
        TGaugePart part;
        part.Rect = TIntRect{x, r.Top + 1, x + w, r.Bottom - 2};
        part.Level = level;
        part.FlatLevel = flatLevel;
        part.Segmented = !g.CompletionSmooth;
        part.GapRect =
            TIntRect{part.Rect.Left, part.Rect.Top + 1, part.Rect.Right, part.Rect.Bottom - 1};
        parts.push_back(part);
        return x + w;
    };
    if (g.Stacked) {
        const int w0 = width(std::min(percent, g.Level1Perc));
        int x = add(r.Left + 1, w0, 0, 0);
        int w1 = 0;
        if (percent >= g.Level1Perc) {
            w1 = width(std::min(percent, g.Level2Perc) - g.Level1Perc);
            x = add(x, w1, 1, 1);
        }
        if (percent >= g.Level2Perc)
            add(x, percent == 100 ? extent - (w0 + w1) : width(percent - g.Level2Perc), 2, 3);
        return parts;
    }
    const int level = percent < g.Level1Perc   ? 0
                      : percent < g.Level2Perc ? 1
                      : percent < 100          ? 2
                                               : 3;
    if (g.CompletionSmooth) {
        add(r.Left + 1, width(percent), level, level);
        return parts;
    }
    TGaugePart part;
    part.Rect = TIntRect{r.Left + 2, r.Top + 2, r.Left + width(percent), r.Bottom - 3};
    part.Level = part.FlatLevel = level;
    part.Segmented = true;
    part.GapRect = part.Rect;
    parts.push_back(part);
    return parts;
}

std::vector<TIntRect> GaugeSegmentGaps(const TIntRect& part)
{
    std::vector<TIntRect> gaps;
    TIntRect gap{part.Left + 8, part.Top, part.Left + 10, part.Bottom + 1};
    for (int k = 0; k <= part.Right / 9; ++k) {
        if (gap.Right < part.Right)
            gaps.push_back(gap);
        gap.Left += 9;
        gap.Right += 9;
    }
    return gaps;
}

} // namespace draw
