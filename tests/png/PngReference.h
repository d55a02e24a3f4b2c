#pragma once
// What the PNG tests compare with, none of it from the codec under test: libpng's decoding,
// zlib's compression and CRC for hand-built streams, and pngcheck's verdict on files the
// codec writes.
#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// The PngSuite conformance images, relative to the repository root.
std::string PngSuiteDir();
std::vector<std::string> PngSuiteFiles();

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

// A chunk with its length and CRC (zlib's CRC-32).
std::string Chunk(const std::string& name, const std::string& data);
std::string BigEndian32(uint32_t value);
std::string Header(uint32_t width, uint32_t height, int depth, int colorType, int interlace = 0);
std::string Signature();
// A zlib stream of the bytes (zlib's compress).
std::string Deflate(const std::string& bytes, int level = 6);
std::string Inflate(const std::string& bytes);

// The filter-type byte of every row of a non-interlaced image written by the codec.
std::vector<int> RowFilters(const std::string& pngBytes, uint32_t rowBytes, uint32_t height);
// The data of every chunk of the stream with this name, in order.
std::vector<std::string> ChunkData(const std::string& pngBytes, const std::string& name);
std::vector<std::string> ChunkNames(const std::string& pngBytes);

// Runs pngcheck over the bytes; empty when it accepts them, else its output.
std::string PngcheckComplaint(const std::string& bytes);

} // namespace pngtest
