// Loads a 32-bit PE file (the i686 Brenvik.exe) into a synthetic address space at its image
// base, as the Windows loader maps it, so that the decoder and the analyser read its code
// natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "CodeMemory.h"

namespace qor::testing {

struct PeSection {
    std::string name;
    uint32_t address = 0; // virtual address (image base + RVA)
    uint32_t size = 0;    // bytes of raw data mapped
    bool code = false;
};

struct PeImage {
    uint32_t imageBase = 0;
    uint32_t imageSize = 0;
    std::vector<PeSection> sections;
    MemoryImage memory;
    std::vector<uint8_t> Bytes(const PeSection& s) const;
};

// Throws std::runtime_error when the file is missing or not a 32-bit PE image.
PeImage LoadPeImage(const std::string& path);

} // namespace qor::testing
