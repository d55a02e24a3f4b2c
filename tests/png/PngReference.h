#pragma once
// What the PNG tests compare with, none of it from the codec under test: libpng's decoding,
// zlib's compression and CRC for hand-built streams, and pngcheck's verdict on files the
// codec writes.
#include "PngBytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// An image as libpng decodes it: 8-bit RGBA (palette expanded, gray spread to RGB,
// transparency as alpha, 16-bit samples cut to their high byte, no gamma applied).
struct TReferenceImage {
    uint32_t width = 0, height = 0;
    int colorType = 0, bitDepth = 0, interlace = 0;
    bool hasGamma = false;
    uint32_t gamma = 0; // gAMA × 100000
    std::vector<uint8_t> rgba;
    std::string error; // libpng's message when it refused the file
};
TReferenceImage DecodeWithLibpng(const std::string& bytes);

// Runs pngcheck over the bytes; empty when it accepts them, else its output.
std::string PngcheckComplaint(const std::string& bytes);

} // namespace pngtest
