#pragma once
// The JPEG fixtures that make_jpeg_fixtures.py writes at build time with cjpeg and djpeg, and a
// reader of the PNM files djpeg writes (the expected pixels).
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FileBytes.h"

namespace drawtest {

inline std::string JpegFixture(const std::string& name)
{
    return testsupport::ReadBytes(std::string(BRENVIK_JPEG_FIXTURES) + name);
}

struct Pnm {
    int width = 0;
    int height = 0;
    int components = 0; // 1 for P5, 3 for P6
    std::vector<uint8_t> data;
};

// A binary PGM or PPM with a maximum value of 255; components 0 when it is not one.
inline Pnm ParsePnm(const std::string& bytes)
{
    Pnm pnm;
    std::istringstream in(bytes);
    std::string magic;
    int maxValue = 0;
    in >> magic >> pnm.width >> pnm.height >> maxValue;
    if (!in || maxValue != 255 || (magic != "P5" && magic != "P6"))
        return {};
    in.get(); // the one whitespace byte before the pixels
    pnm.components = magic == "P5" ? 1 : 3;
    const auto size = static_cast<std::size_t>(pnm.width) * static_cast<std::size_t>(pnm.height) *
                      static_cast<std::size_t>(pnm.components);
    const auto start = static_cast<std::size_t>(in.tellg());
    if (bytes.size() < start + size)
        return {};
    pnm.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                    bytes.begin() + static_cast<std::ptrdiff_t>(start + size));
    return pnm;
}

} // namespace drawtest
