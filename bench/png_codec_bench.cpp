// The PNG codec against libpng, in one run on the same machine with the same zlib: decoding
// of a large RGBA, a paletted and an interlaced image, and encoding at each one's default
// settings. The images are generated here and written by libpng, so both decoders read the
// same bytes. Prints the best of several timings and the ratio codec / libpng (below 1:
// faster than libpng).
#include "PngImage.h"

#include "core/Streams.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double TimeOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The best times of the two, run alternately so that both see the same machine load.
std::pair<double, double> BestOfBoth(int runs, const std::function<void()>& ours,
                                     const std::function<void()>& reference)
{
    double bestOurs = 1e30, bestReference = 1e30;
    for (int i = 0; i < runs; ++i) {
        bestOurs = std::min(bestOurs, TimeOf(ours));
        bestReference = std::min(bestReference, TimeOf(reference));
    }
    return {bestOurs, bestReference};
}

// ---- libpng in memory -----------------------------------------------------------------------

struct Reader {
    const std::string* bytes;
    size_t at;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (r->at + count > r->bytes->size())
        png_error(png, "short");
    std::memcpy(out, r->bytes->data() + r->at, count);
    r->at += count;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t count)
{
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), count);
}

void Flush(png_structp) {}

// Raw rows (the natural format of the colour type) with libpng's default settings.
std::string LibpngEncode(uint32_t w, uint32_t h, int colorType, int interlace,
                         const std::vector<uint8_t>& rows,
                         const std::vector<png_color>& palette = {})
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "libpng failed to write\n");
        std::exit(1);
    }
    png_set_write_fn(png, &out, WriteBytes, Flush);
    png_set_IHDR(png, info, w, h, 8, colorType, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_write_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> pointers(h);
    for (uint32_t y = 0; y < h; ++y)
        pointers[y] = const_cast<png_bytep>(rows.data() + y * rowBytes);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Decodes into a new pixel buffer, as the codec decodes into new image memory.
void LibpngDecode(const std::string& bytes, std::vector<uint8_t>& result)
{
    std::vector<uint8_t> pixels;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Reader reader{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        std::fprintf(stderr, "libpng failed to read\n");
        std::exit(1);
    }
    png_set_read_fn(png, &reader, ReadBytes);
    png_read_info(png, info);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t h = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * h);
    std::vector<png_bytep> pointers(h);
    for (uint32_t y = 0; y < h; ++y)
        pointers[y] = pixels.data() + y * rowBytes;
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    result.swap(pixels);
}

// The file's bytes as a stream without a copy, as libpng reads them from memory.
class TBytesStream : public classlib::TCustomMemoryStream {
public:
    explicit TBytesStream(const std::string& bytes)
    {
        SetPointer(const_cast<char*>(bytes.data()), int64_t(bytes.size()));
    }
};

// ---- Test images ----------------------------------------------------------------------------

// Smooth gradients with some noise, like a photograph or a rendered screen.
std::vector<uint8_t> Picture(uint32_t w, uint32_t h, uint32_t channels, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> rows(size_t(w) * h * channels);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = rows.data() + (size_t(y) * w + x) * channels;
            const double fx = double(x) / w, fy = double(y) / h;
            const int noise = int(random() % 9) - 4;
            const int base[4] = {int(255 * fx), int(255 * fy),
                                 int(128 + 127 * std::sin(10 * fx * fy)),
                                 int(255 * (0.5 + 0.5 * std::cos(6 * fx)))};
            for (uint32_t c = 0; c < channels; ++c)
                p[c] = uint8_t(std::clamp(base[c] + noise, 0, 255));
        }
    }
    return rows;
}

struct Case {
    const char* name;
    std::string bytes;
};

void ReportDecode(const Case& c, int runs)
{
    std::vector<uint8_t> reference;
    const auto [ours, libpng] = BestOfBoth(
        runs,
        [&] {
            png::TPNGImage image;
            TBytesStream stream(c.bytes);
            image.LoadFromStream(stream);
        },
        [&] { LibpngDecode(c.bytes, reference); });
    std::printf("decode %-28s codec %8.1f ms  libpng %8.1f ms  ratio %.2f\n", c.name, ours, libpng,
                ours / libpng);
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t side = argc > 1 ? uint32_t(std::atoi(argv[1])) : 2048;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    std::printf("images %u x %u, best of %d, libpng %s, zlib %s\n", side, side, runs,
                PNG_LIBPNG_VER_STRING, zlibVersion());

    const std::vector<uint8_t> rgba = Picture(side, side, 4, 1);
    std::vector<png_color> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = {png_byte(i), png_byte(255 - i), png_byte(i * 7)};
    std::vector<uint8_t> indices = Picture(side, side, 1, 2);
    const std::vector<uint8_t> rgb = Picture(side, side, 3, 3);

    const Case cases[] = {
        {"RGBA 8-bit", LibpngEncode(side, side, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, rgba)},
        {"palette 8-bit",
         LibpngEncode(side, side, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, indices, palette)},
        {"RGB 8-bit, Adam7",
         LibpngEncode(side, side, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7, rgb)},
    };
    for (const Case& c : cases)
        ReportDecode(c, runs);

    // Encoding the RGBA image, each at its default settings: the codec with the Sub filter
    // at level 7, libpng with adaptive filtering at zlib's default level.
    png::TPNGImage image;
    {
        classlib::TStringStream stream(cases[0].bytes);
        image.LoadFromStream(stream);
    }
    std::string ours, theirs;
    const auto [oursMs, libpngMs] = BestOfBoth(
        runs,
        [&] {
            classlib::TStringStream out;
            image.SaveToStream(out);
            ours = out.DataString();
        },
        [&] { theirs = LibpngEncode(side, side, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, rgba); });
    std::printf(
        "encode %-28s codec %8.1f ms  libpng %8.1f ms  ratio %.2f  (size %zu / %zu bytes, ratio "
        "%.2f)\n",
        "RGBA 8-bit, defaults", oursMs, libpngMs, oursMs / libpngMs, ours.size(), theirs.size(),
        double(ours.size()) / double(theirs.size()));
    return 0;
}
