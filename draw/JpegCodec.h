// JPEG decoding and encoding on libjpeg (IJG interface): file bytes to pixels and back. The
// portable core of the JPEG picture format; it keeps nothing between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Exceptions.h"

namespace draw {

// Undecodable, truncated or damaged JPEG data, or an image too large to hold.
class EJpegError : public classlib::Exception {
public:
    using Exception::Exception;
};

// Pixels top row first, `components` bytes per pixel: 1 grey, 3 red-green-blue.
struct JpegPixels {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> data;
};

struct JpegDecoded {
    JpegPixels pixels;
    bool progressive = false; // the file was progressive
};

// The largest picture decoded: more bytes of pixels than this raise EJpegError.
constexpr std::size_t MaxJpegPixelBytes = std::size_t{256} << 20;

// Decodes a whole JPEG file; with `grayscale` the result has one component whatever the file
// holds. Data that libjpeg reports as corrupt (including a premature end) raises EJpegError:
// nothing of a damaged file is returned.
JpegDecoded DecodeJpeg(const uint8_t* data, std::size_t size, bool grayscale);

// Encodes pixels of 1 or 3 components as a baseline JPEG file at `quality` (1 to 100, clamped);
// with `grayscale` the file holds one grey component.
std::vector<uint8_t> EncodeJpeg(const JpegPixels& pixels, int quality, bool grayscale);

} // namespace draw
