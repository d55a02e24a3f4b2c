#include "PeImage.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qor::testing {

namespace {

uint32_t Le(const std::vector<uint8_t>& f, size_t at, int bytes)
{
    if (at + static_cast<size_t>(bytes) > f.size())
        throw std::runtime_error("PE file truncated");
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint32_t{f[at + static_cast<size_t>(i)]} << (8 * i);
    return v;
}

// The file offset of a relative virtual address, 0 when no section holds it.
size_t FileOffset(const std::vector<uint8_t>& f, uint32_t table, uint32_t sections, uint32_t rva)
{
    for (uint32_t i = 0; i < sections; ++i) {
        uint32_t s = table + i * 40;
        uint32_t start = Le(f, s + 12, 4), size = std::max(Le(f, s + 8, 4), Le(f, s + 16, 4));
        if (rva >= start && rva - start < Le(f, s + 16, 4) && rva - start < size)
            return Le(f, s + 20, 4) + (rva - start);
    }
    return 0;
}

// Does what the loader does to the import address table: every entry gets the address of the
// imported routine, here a distinct address far outside the image (0x70000000 upward), so that
// calls and jumps through the table lead out of the module as they do in the running program.
void BindImports(std::vector<uint8_t>& f, uint32_t optional, uint32_t table, uint32_t sections)
{
    uint32_t importRva = Le(f, optional + 96 + 8, 4);
    size_t descriptor = importRva ? FileOffset(f, table, sections, importRva) : 0;
    uint32_t next = 0x70000000;
    for (; descriptor && Le(f, descriptor + 12, 4) != 0; descriptor += 20) {
        size_t entry = FileOffset(f, table, sections, Le(f, descriptor + 16, 4));
        for (; entry && Le(f, entry, 4) != 0; entry += 4, next += 16)
            for (int b = 0; b < 4; ++b)
                f[entry + static_cast<size_t>(b)] = static_cast<uint8_t>(next >> (8 * b));
    }
}

} // namespace

std::vector<uint8_t> PeImage::Bytes(const PeSection& s) const
{
    std::vector<uint8_t> out(s.size);
    if (!memory.Read(s.address, out.data(), s.size))
        throw std::runtime_error("section unreadable");
    return out;
}

PeImage LoadPeImage(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (Le(f, 0, 2) != 0x5A4D)
        throw std::runtime_error("no MZ header");
    uint32_t pe = Le(f, 0x3C, 4);
    if (Le(f, pe, 4) != 0x4550)
        throw std::runtime_error("no PE signature");
    uint32_t sectionCount = Le(f, pe + 6, 2);
    uint32_t optionalSize = Le(f, pe + 20, 2);
    uint32_t optional = pe + 24;
    if (Le(f, optional, 2) != 0x10B)
        throw std::runtime_error("not a 32-bit image");
    PeImage image;
    image.imageBase = Le(f, optional + 28, 4);
    image.imageSize = Le(f, optional + 56, 4);
    uint32_t headersSize = Le(f, optional + 60, 4);
    std::vector<uint8_t> headers(f.begin(), f.begin() + std::min<size_t>(headersSize, f.size()));
    image.memory.Add(image.imageBase, headers, true, image.imageBase);
    uint32_t table = optional + optionalSize;
    BindImports(f, optional, table, sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        uint32_t s = table + i * 40;
        PeSection section;
        for (int c = 0; c < 8 && f[s + static_cast<uint32_t>(c)]; ++c)
            section.name += static_cast<char>(f[s + static_cast<uint32_t>(c)]);
        // Longer names ("/4") are offsets into the COFF string table after the symbols.
        if (section.name.size() > 1 && section.name[0] == '/') {
            uint32_t strings = Le(f, pe + 12, 4) + Le(f, pe + 16, 4) * 18;
            size_t at = strings + std::stoul(section.name.substr(1));
            section.name.clear();
            while (at < f.size() && f[at])
                section.name += static_cast<char>(f[at++]);
        }
        uint32_t virtualSize = Le(f, s + 8, 4);
        uint32_t rva = Le(f, s + 12, 4);
        uint32_t rawSize = Le(f, s + 16, 4);
        uint32_t rawOffset = Le(f, s + 20, 4);
        uint32_t characteristics = Le(f, s + 36, 4);
        section.address = image.imageBase + rva;
        section.code = (characteristics & 0x20) != 0; // IMAGE_SCN_CNT_CODE
        uint32_t mapped = std::max(virtualSize, rawSize);
        std::vector<uint8_t> bytes(mapped, 0);
        uint32_t copy = std::min(rawSize, virtualSize ? virtualSize : rawSize);
        if (rawOffset + uint64_t{copy} > f.size())
            throw std::runtime_error("section past end of file");
        std::copy(f.begin() + rawOffset, f.begin() + rawOffset + copy, bytes.begin());
        section.size = std::min(virtualSize ? virtualSize : rawSize, mapped);
        // Sections are page aligned in memory; keep the gaps unmapped.
        image.memory.Add(section.address, std::move(bytes), true, image.imageBase);
        image.sections.push_back(section);
    }
    return image;
}

} // namespace qor::testing
