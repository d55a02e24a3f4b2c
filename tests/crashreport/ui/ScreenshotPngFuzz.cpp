// Fuzz target of the PNG writer's bitmaps: the first bytes give the size and the format, the
// rest the pixels (repeated to fill the bitmap). Every image written must be a well-formed
// stream whose scanlines inflate to the size its header announces.
#include "ScreenshotPng.h"

#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace crashui;

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}
uint32_t Be(const std::string& s, size_t at)
{
    return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
           (uint32_t(uint8_t(s[at + 2])) << 8) | uint8_t(s[at + 3]);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const uint32_t width = data[0] % 41, height = data[1] % 29;
    const uint8_t format = data[2] % 8;
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = size > 3 ? data[3 + i % (size - 3)] : 0;
    const std::string png = ScreenshotPngBytes(pixels.data(), width, height, format);
    if (width == 0 || height == 0) {
        Check(png.empty());
        return 0;
    }
    Check(png.size() > 8 + 25 + 12 + 12 + 12);
    Check(png.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0);
    Check(Be(png, 16) == width && Be(png, 20) == height);
    const int depth = static_cast<uint8_t>(png[24]);
    Check(depth == 8 || depth == 4);
    const size_t rowBytes = depth == 8 ? width + 1 : (width + 1) / 2 + 1;
    // Chunks: IHDR, PLTE, IDAT, IEND, each with a valid CRC.
    size_t at = 8;
    std::string idat;
    for (const char* name : {"IHDR", "PLTE", "IDAT", "IEND"}) {
        const uint32_t length = Be(png, at);
        Check(png.compare(at + 4, 4, name) == 0);
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4));
        Check(Be(png, at + 8 + length) == crc);
        if (std::string(name) == "IDAT")
            idat = png.substr(at + 8, length);
        at += 12 + length;
    }
    Check(at == png.size());
    std::string scanlines(rowBytes * height, '\0');
    uLongf length = static_cast<uLongf>(scanlines.size());
    Check(uncompress(reinterpret_cast<Bytef*>(scanlines.data()), &length,
                     reinterpret_cast<const Bytef*>(idat.data()),
                     static_cast<uLong>(idat.size())) == Z_OK);
    Check(length == scanlines.size());
    for (uint32_t row = 0; row < height; ++row)
        Check(scanlines[row * rowBytes] == 0);
    return 0;
}
