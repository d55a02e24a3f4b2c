#include "BitmapPixels.h"

#include <cmath>
#include <vector>

namespace crashui {

namespace {

void Put32(std::string& s, uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        s += static_cast<char>((v >> shift) & 0xFF);
}
void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

// The Mitchell kernel (B = C = 1/3) at distance x >= 0.
double Mitchell(double x)
{
    if (x < 1)
        return (7.0 / 6.0) * x * x * x - 2 * x * x + 8.0 / 9.0;
    if (x < 2)
        return -(7.0 / 18.0) * x * x * x + 2 * x * x - (10.0 / 3.0) * x + 16.0 / 9.0;
    return 0;
}

// Weights are fixed-point with 16 fraction bits, rounded to nearest with ties to even.
int FixedWeight(double w)
{
    return static_cast<int>(std::nearbyint(w * 65536.0));
}

struct TContributor {
    int index;
    int weight;
};

// For each destination index, the source indices that contribute and their weights.
std::vector<std::vector<TContributor>> Contributors(int s, int d)
{
    std::vector<std::vector<TContributor>> list(d);
    auto mirror = [s](int j) {
        if (j < 0)
            j = -j;
        if (j >= s)
            j = 2 * s - 1 - j;
        // Mirroring once is not enough for a source of one or two pixels: keep every index
        // inside the image rather than reading outside it.
        return j < 0 ? 0 : j >= s ? s - 1 : j;
    };
    for (int i = 0; i < d; ++i) {
        if (d < s) {
            const float f = static_cast<float>(d) / static_cast<float>(s);
            const int first = static_cast<int>((int64_t{s} * (i - 2) - d + 1) / d);
            const int last = static_cast<int>((int64_t{s} * (i + 2) + d - 1) / d);
            for (int j = first; j <= last; ++j) {
                const double x = std::fabs(i - static_cast<double>(j) * f);
                if (x < 2)
                    list[i].push_back({mirror(j), FixedWeight(Mitchell(x) * f)});
            }
        } else {
            const float f = static_cast<float>(s) / static_cast<float>(d);
            const int first = static_cast<int>((int64_t{s} * i - 3 * int64_t{d} + 1) / d);
            const int last = static_cast<int>((int64_t{s} * i + 3 * int64_t{d} - 1) / d);
            for (int j = first; j <= last; ++j) {
                const double x = std::fabs(static_cast<double>(i) * f - j);
                list[i].push_back({mirror(j), FixedWeight(Mitchell(x))});
            }
        }
    }
    return list;
}

uint8_t Clamp(int64_t sum)
{
    if (sum < 0)
        return 0;
    if (sum >= 0xFF0001)
        return 255;
    return static_cast<uint8_t>(sum >> 16);
}

// One pixel from the weighted pixels at `base + index * stride`.
void Filter(const std::vector<TContributor>& contributors, const uint8_t* base, size_t stride,
            uint8_t* out)
{
    for (int channel = 0; channel < 3; ++channel) {
        int64_t sum = 0;
        for (const TContributor& c : contributors)
            sum += int64_t{c.weight} * base[size_t(c.index) * stride + size_t(channel)];
        out[channel] = Clamp(sum);
    }
    out[3] = 0;
}

} // namespace

std::string BmpFileBytes(int width, int height, const uint8_t* pixels)
{
    const uint32_t imageSize = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4;
    std::string s = "BM";
    Put32(s, imageSize + 54);
    Put32(s, 0); // two reserved words
    Put32(s, 54);
    Put32(s, 40);
    Put32(s, static_cast<uint32_t>(width));
    Put32(s, static_cast<uint32_t>(height));
    Put16(s, 1);
    Put16(s, 32);
    Put32(s, 0); // BI_RGB
    Put32(s, imageSize);
    s.append(16, '\0'); // resolutions and colour counts
    s.append(reinterpret_cast<const char*>(pixels), imageSize);
    return s;
}

TSize FitBox(TSize source, TSize box)
{
    if (source.width <= 0 || source.height <= 0 || box.width <= 0 || box.height <= 0)
        return {};
    const int64_t W = source.width, H = source.height;
    int64_t bw = box.width, bh = box.height;
    const int64_t widthAtBoxHeight = bh * W / H, heightAtBoxWidth = bw * H / W;
    if (bh < heightAtBoxWidth || bw < widthAtBoxHeight) {
        if (H * 65536 / bh < W * 65536 / bw)
            bh = heightAtBoxWidth;
        else
            bw = widthAtBoxHeight;
    }
    return {static_cast<int>(bw), static_cast<int>(bh)};
}

void ResampleMitchell(const uint8_t* source, TSize sourceSize, uint8_t* destination,
                      TSize destinationSize)
{
    const int sw = sourceSize.width, sh = sourceSize.height;
    const int dw = destinationSize.width, dh = destinationSize.height;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0)
        return;
    const auto across = Contributors(sw, dw), down = Contributors(sh, dh);
    std::vector<uint8_t> column(size_t(sh) * 4);
    for (int x = 0; x < dw; ++x) {
        for (int y = 0; y < sh; ++y)
            Filter(across[x], source + size_t(y) * sw * 4, 4, &column[size_t(y) * 4]);
        for (int y = 0; y < dh; ++y)
            Filter(down[y], column.data(), 4, destination + (size_t(y) * dw + x) * 4);
    }
}

} // namespace crashui
