#include "PanelShading.h"

#include "draw/DrawMath.h"

#include <algorithm>
#include <cmath>

namespace panels {

namespace {

constexpr uint32_t White = 0xFFFFFF;

int Channel(uint32_t color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

// The generator the patterns were designed with: a 32-bit linear congruential sequence, and
// Random(n) as the high half of seed * n.
class ShadeRandom {
public:
    explicit ShadeRandom(uint32_t seed) : seed_(seed) {}
    int Next(int range)
    {
        seed_ = seed_ * 0x08088405u + 1u;
        if (range <= 0)
            return 0;
        return static_cast<int>((static_cast<uint64_t>(seed_) * static_cast<uint32_t>(range)) >>
                                32);
    }

private:
    uint32_t seed_;
};

class Pixels {
public:
    Pixels(int w, int h)
        : w_(w),
          h_(h),
          data_(static_cast<size_t>(std::max(w, 0)) * static_cast<size_t>(std::max(h, 0)), White)
    {
    }
    // Points outside the bitmap are ignored (the formulas run one past each edge).
    void Set(int x, int y, uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < w_ && y < h_)
            data_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)] = c;
    }
    int Blue(int x, int y) const
    {
        if (x >= 0 && y >= 0 && x < w_ && y < h_)
            return Channel(
                data_[static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x)],
                16);
        return 255;
    }
    std::vector<uint32_t> Take() { return std::move(data_); }

private:
    int w_, h_;
    std::vector<uint32_t> data_;
};

int Cube(int t)
{
    return t * t * t / 128 / 128;
}

} // namespace

uint32_t ShadeColor(uint32_t color, int v)
{
    const auto part = [&](int shift) {
        return static_cast<uint32_t>((v * Channel(color, shift) / 255) & 0xFF);
    };
    return part(0) | (part(8) << 8) | (part(16) << 16);
}

std::vector<uint32_t> BuildShadePixels(const TShadeRequest& q)
{
    Pixels px(q.width, q.height);
    const bool top = q.orientation == TShadeOrientation::Top;
    const int W = q.width > 0 ? q.width : (top ? 100 : 20);
    const int H = q.height > 0 ? q.height : (top ? 20 : 100);
    const int L = q.light & 0xFF;
    const uint32_t c = q.color & 0xFFFFFF;
    ShadeRandom random(q.seed);
    const auto shade = [&](int v) { return ShadeColor(c, v); };
    const auto everyPixel = [&](auto&& colourAt) {
        for (int x = 0; x <= W; ++x)
            for (int y = 0; y <= H; ++y)
                px.Set(x, y, colourAt(x, y));
    };
    const auto everyColumn = [&](auto&& colourAt, bool mirrored) {
        for (int x = 0; x <= W; ++x) {
            const uint32_t col = colourAt(x);
            for (int y = 0; y <= H; ++y)
                px.Set(mirrored ? W - x : x, y, col);
        }
    };
    const auto everyRow = [&](auto&& colourAt, bool mirrored) {
        for (int y = 0; y <= H; ++y) {
            const uint32_t col = colourAt(y);
            for (int x = 0; x <= W; ++x)
                px.Set(x, mirrored ? H - y : y, col);
        }
    };
    const auto bump = [](int t, int scale) { return Cube(t) * scale / 128 + 128; };

    switch (q.type) {
        case stNormal:
        case stXPCaption:
        case stBitmap:
        case stBitmapRStretch:
        case stBitmapLStretch:
            everyPixel([&](int, int) { return c; });
            break;
        case stNoise:
            everyPixel([&](int, int) { return shade(L - (random.Next(q.grain) + 128) / 2); });
            break;
        case stDiagShade:
            everyPixel([&](int x, int y) {
                const int e = L - px.Blue(x, y) + (129 * x) / W + (129 * y) / H;
                return shade(L - e / 2);
            });
            break;
        case stHShade:
        case stHShadeInv:
            everyColumn([&](int x) { return shade(L - (((W - x) * 239) / W + 8) / 2); },
                        q.type == stHShadeInv);
            break;
        case stVShade:
        case stVShadeInv:
            everyRow([&](int y) { return shade(L - ((239 * y) / H + 8) / 4); },
                     q.type == stVShadeInv);
            break;
        case stHBump:
            everyColumn([&](int x) { return shade(L - bump(((W - x) * 255) / W - 127, 120) / 2); },
                        false);
            break;
        case stVBump:
            everyRow([&](int y) { return shade(L - bump((255 * y) / H - 127, 120) / 2); }, false);
            break;
        case stSoftBump:
            everyPixel([&](int x, int y) {
                const int ty = (255 * y) / H - 127, tx = ((W - x) * 255) / W - 127;
                const int b = std::clamp((Cube(ty) + Cube(tx)) * 120 / 128 + 128, 8, 247);
                return shade(L - b / 2);
            });
            break;
        case stHardBump: {
            everyRow([&](int y) { return shade(L - bump((255 * y) / H - 127, 112) / 2); }, false);
            const int r = std::min(W / 6, 16), rq = (H * H) / 4;
            // A caption under 6 px wide or 2 px high has no room for the rounded ends; their
            // formulas would divide by zero.
            if (r == 0 || rq == 0)
                break;
            for (int x = 0; x <= W; ++x)
                for (int y = 0; y <= H; ++y) {
                    const int dy = y - H / 2, dx = x - W / 2;
                    const int lim = (dy * dy * r) / rq + W / 2 - r;
                    if (dx > lim)
                        px.Set(x, y, shade(L - (((W - x) * 128) / r + 8) / 2));
                    else if (dx + lim < 0)
                        px.Set(x, y, shade(L - (247 - (x * 128) / r) / 2));
                }
            break;
        }
        case stLMetal:
        case stRMetal: {
            const bool right = q.type == stRMetal;
            for (int streak = 0; streak < 251; ++streak) {
                const int x0 = random.Next(W), y0 = random.Next(H);
                const int n = random.Next(std::min(W, H) / 2);
                const uint32_t col = shade(L - random.Next(40));
                for (int i = 0; i < n; ++i) {
                    if (right) {
                        if (x0 - i > 0 && y0 + i < H)
                            px.Set(x0 - i, y0 + i, col);
                        if (x0 + i < W && y0 - i > 0)
                            px.Set(x0 + i, y0 - i, col);
                    } else {
                        if (x0 + i < W && y0 + i < H)
                            px.Set(x0 + i, y0 + i, col);
                        if (x0 - i > 0 && y0 - i > 0)
                            px.Set(x0 - i, y0 - i, col);
                    }
                }
            }
            everyPixel([&](int x, int y) {
                const int e = L - px.Blue(x, y) + (120 * x) / W + (120 * y) / H;
                return shade(L - e / 2);
            });
            break;
        }
        case stIRadial:
        case stORadial: {
            // Normalised by the distance from the centre to a corner, the largest distance the
            // loop reaches, so the centre and the corners take the two ends of the range.
            const double D = std::sqrt(static_cast<double>(W / 2) * (W / 2) +
                                       static_cast<double>(H / 2) * (H / 2));
            if (D <= 0)
                break;
            for (int x = 0; x <= W / 2; ++x)
                for (int y = 0; y <= H / 2; ++y) {
                    const int d =
                        draw::RoundEven(std::sqrt(static_cast<double>(x - W / 2) * (x - W / 2) +
                                                  static_cast<double>(y - H / 2) * (y - H / 2)));
                    const double ratio = q.type == stIRadial ? (D - d) / D : d / D;
                    const uint32_t col = shade(draw::RoundEven(ratio * L));
                    px.Set(x, y, col);
                    px.Set(W - x, H - y, col);
                    px.Set(W - x, y, col);
                    px.Set(x, H - y, col);
                }
            break;
        }
    }
    return px.Take();
}

} // namespace panels
