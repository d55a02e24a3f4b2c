#include "ScreenshotPng.h"

#include "PngChunk.h"
#include "QorZip.h"

#include "core/Streams.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

namespace crashui {

namespace {

// ---- Wu's quantizer -----------------------------------------------------------------------------

constexpr int Side = 33; // 32 levels per axis plus the empty index 0
constexpr int Cells = Side * Side * Side;
constexpr int MaxColours = 256;

int Cell(int r, int g, int b)
{
    return r * Side * Side + g * Side + b;
}

// The moment tables. The weight and colour sums are 64-bit: 32-bit sums stay exact only up to
// 2^31 / 255 = 8421504 pixels, less than two 4K monitors.
struct TMoments {
    std::vector<int64_t> weight, red, green, blue;
    std::vector<double> squares;
    TMoments() : weight(Cells), red(Cells), green(Cells), blue(Cells), squares(Cells) {}
};

struct TBox {
    int r0, r1, g0, g1, b0, b1; // lower bounds exclusive, upper bounds inclusive
    int volume;
};

enum TAxis { axRed, axGreen, axBlue };

template <class T>
T BoxSum(const TBox& c, const std::vector<T>& m)
{
    return m[Cell(c.r1, c.g1, c.b1)] - m[Cell(c.r1, c.g1, c.b0)] - m[Cell(c.r1, c.g0, c.b1)] +
           m[Cell(c.r1, c.g0, c.b0)] - m[Cell(c.r0, c.g1, c.b1)] + m[Cell(c.r0, c.g1, c.b0)] +
           m[Cell(c.r0, c.g0, c.b1)] - m[Cell(c.r0, c.g0, c.b0)];
}

void Histogram(const uint8_t* pixels, size_t count, TMoments& m)
{
    for (size_t i = 0; i < count; ++i) {
        const int blue = pixels[4 * i], green = pixels[4 * i + 1], red = pixels[4 * i + 2];
        const int cell = Cell((red >> 3) + 1, (green >> 3) + 1, (blue >> 3) + 1);
        m.weight[cell] += 1;
        m.red[cell] += red;
        m.green[cell] += green;
        m.blue[cell] += blue;
        m.squares[cell] += static_cast<double>(red * red + green * green + blue * blue);
    }
}

// Turns each table into its running sum over all cells with smaller or equal indices.
template <class T>
void Accumulate(std::vector<T>& t)
{
    for (int r = 1; r < Side; ++r) {
        T area[Side] = {};
        for (int g = 1; g < Side; ++g) {
            T line = 0;
            for (int b = 1; b < Side; ++b) {
                const int cell = Cell(r, g, b);
                line += t[cell];
                area[b] += line;
                t[cell] = t[cell - Side * Side] + area[b];
            }
        }
    }
}

double Variance(const TBox& c, const TMoments& m)
{
    const double dr = static_cast<double>(BoxSum(c, m.red));
    const double dg = static_cast<double>(BoxSum(c, m.green));
    const double db = static_cast<double>(BoxSum(c, m.blue));
    const double w = static_cast<double>(BoxSum(c, m.weight));
    return BoxSum(c, m.squares) - (dr * dr + dg * dg + db * db) / w;
}

int& Upper(TBox& c, TAxis axis)
{
    return axis == axRed ? c.r1 : axis == axGreen ? c.g1 : c.b1;
}
int& Lower(TBox& c, TAxis axis)
{
    return axis == axRed ? c.r0 : axis == axGreen ? c.g0 : c.b0;
}
int UpperOf(TBox c, TAxis axis)
{
    return Upper(c, axis);
}

// The best cut along one axis: its position, or -1, and its score.
struct TCut {
    int position = -1;
    double score = 0;
};

TCut BestCut(const TBox& box, TAxis axis, const TMoments& m)
{
    const int64_t w = BoxSum(box, m.weight);
    const double R = static_cast<double>(BoxSum(box, m.red));
    const double G = static_cast<double>(BoxSum(box, m.green));
    const double B = static_cast<double>(BoxSum(box, m.blue));
    TCut best;
    TBox lower = box;
    const int last = UpperOf(box, axis);
    for (int p = Lower(lower, axis) + 1; p < last; ++p) {
        Upper(lower, axis) = p;
        const int64_t w1 = BoxSum(lower, m.weight);
        if (w1 == 0 || w1 == w)
            continue;
        const double r1 = static_cast<double>(BoxSum(lower, m.red));
        const double g1 = static_cast<double>(BoxSum(lower, m.green));
        const double b1 = static_cast<double>(BoxSum(lower, m.blue));
        const double score = (r1 * r1 + g1 * g1 + b1 * b1) / static_cast<double>(w1) +
                             ((R - r1) * (R - r1) + (G - g1) * (G - g1) + (B - b1) * (B - b1)) /
                                 static_cast<double>(w - w1);
        if (score > best.score) {
            best.score = score;
            best.position = p;
        }
    }
    return best;
}

int Volume(const TBox& c)
{
    return (c.r1 - c.r0) * (c.g1 - c.g0) * (c.b1 - c.b0);
}

// Cuts `box` in two along the axis with the best score; `box` keeps the lower part.
bool CutBox(TBox& box, TBox& upper, const TMoments& m)
{
    const TCut red = BestCut(box, axRed, m), green = BestCut(box, axGreen, m),
               blue = BestCut(box, axBlue, m);
    TAxis axis;
    TCut cut;
    if (red.score >= green.score && red.score >= blue.score) {
        axis = axRed;
        cut = red;
        if (cut.position < 0)
            return false;
    } else if (green.score >= red.score && green.score >= blue.score) {
        axis = axGreen;
        cut = green;
    } else {
        axis = axBlue;
        cut = blue;
    }
    upper = box;
    Lower(upper, axis) = cut.position;
    Upper(box, axis) = cut.position;
    box.volume = Volume(box);
    upper.volume = Volume(upper);
    return true;
}

// ---- PNG file image -------------------------------------------------------------------------

void PutChunk(classlib::TStringStream& out, const char* name, const std::string& data)
{
    png::WriteChunkBytes(out, reinterpret_cast<const uint8_t*>(name),
                         reinterpret_cast<const uint8_t*>(data.data()),
                         static_cast<uint32_t>(data.size()));
}

void PutBig32(std::string& s, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        s += static_cast<char>((v >> shift) & 0xFF);
}

// Signature, IHDR, PLTE, one IDAT with the zlib stream of the scanlines, IEND; empty when the
// scanlines cannot be compressed.
std::string PngFile(uint32_t width, uint32_t height, uint8_t bitDepth, const std::string& palette,
                    const std::string& scanlines)
{
    const uint32_t capacity = qor::DeflateDestinationSize(scanlines.size());
    if (capacity == 0)
        return {};
    std::unique_ptr<uint8_t[]> deflated(new (std::nothrow) uint8_t[capacity]);
    if (!deflated)
        return {};
    const uint32_t length = qor::DeflateBuffer(scanlines.data(), deflated.get(),
                                               static_cast<uint32_t>(scanlines.size()), capacity);
    if (length == 0)
        return {};
    std::string header;
    PutBig32(header, width);
    PutBig32(header, height);
    header += static_cast<char>(bitDepth);
    header += '\x03'; // indexed colour
    header.append(3, '\0');
    std::string idat = "\x78\x01";
    idat.append(reinterpret_cast<const char*>(deflated.get()), length);
    uLong adler = adler32(0, nullptr, 0);
    for (size_t done = 0; done < scanlines.size();) {
        const uInt part = static_cast<uInt>(std::min<size_t>(scanlines.size() - done, 0x40000000u));
        adler = adler32(adler, reinterpret_cast<const Bytef*>(scanlines.data() + done), part);
        done += part;
    }
    PutBig32(idat, static_cast<uint32_t>(adler));

    classlib::TStringStream out;
    out.WriteBuffer(png::PngSignature, 8);
    PutChunk(out, "IHDR", header);
    PutChunk(out, "PLTE", palette);
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out.DataString();
}

// Whether rows of `rowBytes` fit one IDAT chunk and the 32-bit deflate sizes.
bool ScanlinesFit(uint64_t rowBytes, uint32_t height)
{
    return rowBytes * height <= png::MaxChunkLength / 2;
}

} // namespace

int QuantizeWu(const uint8_t* pixels, size_t count, TPalette& palette)
{
    TMoments m;
    Histogram(pixels, count, m);
    Accumulate(m.weight);
    Accumulate(m.red);
    Accumulate(m.green);
    Accumulate(m.blue);
    Accumulate(m.squares);

    std::vector<TBox> boxes(MaxColours);
    std::vector<double> variance(MaxColours);
    boxes[0] = {0, Side - 1, 0, Side - 1, 0, Side - 1, 0};
    boxes[0].volume = Volume(boxes[0]);
    int boxCount = 1;
    int next = 0;
    for (int i = 1; i < MaxColours;) {
        if (CutBox(boxes[next], boxes[i], m)) {
            variance[next] = boxes[next].volume > 1 ? Variance(boxes[next], m) : 0.0;
            variance[i] = boxes[i].volume > 1 ? Variance(boxes[i], m) : 0.0;
            boxCount = ++i;
        } else {
            variance[next] = 0.0;
        }
        next = 0;
        double largest = variance[0];
        for (int k = 1; k < boxCount; ++k) {
            if (variance[k] > largest) {
                largest = variance[k];
                next = k;
            }
        }
        if (largest <= 0.0)
            break;
    }

    palette.fill(0);
    for (int k = 0; k < boxCount; ++k) {
        const int64_t weight = BoxSum(boxes[k], m.weight);
        if (weight == 0)
            continue;
        palette[3 * k] = static_cast<uint8_t>(BoxSum(boxes[k], m.red) / weight);
        palette[3 * k + 1] = static_cast<uint8_t>(BoxSum(boxes[k], m.green) / weight);
        palette[3 * k + 2] = static_cast<uint8_t>(BoxSum(boxes[k], m.blue) / weight);
    }
    return boxCount;
}

std::string MapToPalette(const uint8_t* pixels, size_t count, const TPalette& palette)
{
    std::vector<int16_t> cache(32768, -1);
    std::string indices(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        const int blue = pixels[4 * i], green = pixels[4 * i + 1], red = pixels[4 * i + 2];
        int16_t& cached = cache[((blue >> 3) << 10) | ((green >> 3) << 5) | (red >> 3)];
        if (cached < 0) {
            int best = 0, bestDistance = std::numeric_limits<int>::max();
            for (int k = 0; k < MaxColours; ++k) {
                const int distance = std::abs(red - palette[3 * k]) +
                                     std::abs(green - palette[3 * k + 1]) +
                                     std::abs(blue - palette[3 * k + 2]);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = k;
                }
            }
            cached = static_cast<int16_t>(best);
        }
        indices[i] = static_cast<char>(cached);
    }
    return indices;
}

// Running sums of the steps 28, 24, 21, 19, 17, 16, 15, 15, 15, 15, 14, 14, 14, 14, 14.
const std::array<uint8_t, 16> GrayRamp = {0,   28,  52,  73,  92,  109, 125, 140,
                                          155, 170, 185, 199, 213, 227, 241, 255};

uint8_t GrayLevelIndex(uint8_t gray)
{
    uint8_t best = 0;
    for (uint8_t k = 1; k < GrayRamp.size(); ++k)
        if (std::abs(gray - GrayRamp[k]) < std::abs(gray - GrayRamp[best]))
            best = k;
    return best;
}

void MakeGray(uint8_t* pixels, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        uint8_t* p = pixels + 4 * i;
        const uint8_t y = static_cast<uint8_t>((77 * p[2] + 151 * p[1] + 28 * p[0]) >> 8);
        p[0] = p[1] = p[2] = y;
    }
}

std::string ColourPngBytes(const uint8_t* pixels, uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0 || !ScanlinesFit(uint64_t{width} + 1, height))
        return {};
    const size_t count = size_t{width} * height;
    TPalette palette;
    QuantizeWu(pixels, count, palette);
    const std::string indices = MapToPalette(pixels, count, palette);
    std::string scanlines;
    scanlines.reserve((size_t{width} + 1) * height);
    for (uint32_t row = height; row-- > 0;) { // the bitmap's last stored row is the top one
        scanlines += '\0';
        scanlines.append(indices, size_t{row} * width, width);
    }
    return PngFile(width, height, 8,
                   std::string(reinterpret_cast<const char*>(palette.data()), palette.size()),
                   scanlines);
}

std::string GrayPngBytes(uint8_t* pixels, uint32_t width, uint32_t height)
{
    const uint64_t rowBytes = (uint64_t{width} + 1) / 2 + 1;
    if (width == 0 || height == 0 || !ScanlinesFit(rowBytes, height))
        return {};
    MakeGray(pixels, size_t{width} * height);
    uint8_t levelOf[256];
    for (int y = 0; y < 256; ++y)
        levelOf[y] = GrayLevelIndex(static_cast<uint8_t>(y));
    std::string scanlines;
    scanlines.reserve(static_cast<size_t>(rowBytes) * height);
    for (uint32_t row = height; row-- > 0;) {
        const uint8_t* p = pixels + size_t{row} * width * 4;
        scanlines += '\0';
        for (uint32_t x = 0; x < width; x += 2) {
            const uint8_t high = levelOf[p[4 * x]];
            const uint8_t low = x + 1 < width ? levelOf[p[4 * x + 4]] : 0;
            scanlines += static_cast<char>((high << 4) | low);
        }
    }
    std::string palette;
    for (uint8_t level : GrayRamp)
        palette.append(3, static_cast<char>(level));
    return PngFile(width, height, 4, palette, scanlines);
}

std::string ScreenshotPngBytes(uint8_t* pixels, uint32_t width, uint32_t height, uint8_t format)
{
    if (format == pngGray)
        return GrayPngBytes(pixels, width, height);
    // Formats 2 to 5: the size above which the gray image is tried as well.
    static constexpr size_t Limits[] = {51200, 102400, 204800, 307200};
    const size_t limit = format >= 2 && format <= 5 ? Limits[format - 2] : 0;
    std::string colour = ColourPngBytes(pixels, width, height);
    if (!colour.empty() && (limit == 0 || colour.size() <= limit))
        return colour;
    std::string gray = GrayPngBytes(pixels, width, height);
    return colour.empty() || (!gray.empty() && gray.size() < colour.size()) ? gray : colour;
}

} // namespace crashui
