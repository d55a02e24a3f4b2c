#pragma once
// PNG streams built and taken apart with zlib (compression and CRC), for the tests of both
// builds: the bytes do not come from the codec under test.
#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// The PngSuite conformance images, beside the repository (../shared/data/pngsuite from its root).
std::string PngSuiteDir();
std::vector<std::string> PngSuiteFiles();

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

} // namespace pngtest
