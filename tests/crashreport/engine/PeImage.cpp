#include "PeImage.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qor::testing {

namespace {

uint32_t Le(const std::vector<uint8_t>& f, size_t at, int bytes) {
  if (at + static_cast<size_t>(bytes) > f.size()) throw std::runtime_error("PE file truncated");
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t{f[at + static_cast<size_t>(i)]} << (8 * i);
  return v;
}

}  // namespace

std::vector<uint8_t> PeImage::Bytes(const PeSection& s) const {
  std::vector<uint8_t> out(s.size);
  if (!memory.Read(s.address, out.data(), s.size)) throw std::runtime_error("section unreadable");
  return out;
}

PeImage LoadPeImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (Le(f, 0, 2) != 0x5A4D) throw std::runtime_error("no MZ header");
  uint32_t pe = Le(f, 0x3C, 4);
  if (Le(f, pe, 4) != 0x4550) throw std::runtime_error("no PE signature");
  uint32_t sectionCount = Le(f, pe + 6, 2);
  uint32_t optionalSize = Le(f, pe + 20, 2);
  uint32_t optional = pe + 24;
  if (Le(f, optional, 2) != 0x10B) throw std::runtime_error("not a 32-bit image");
  PeImage image;
  image.imageBase = Le(f, optional + 28, 4);
  image.imageSize = Le(f, optional + 56, 4);
  uint32_t headersSize = Le(f, optional + 60, 4);
  std::vector<uint8_t> headers(f.begin(), f.begin() + std::min<size_t>(headersSize, f.size()));
  image.memory.Add(image.imageBase, headers, true, image.imageBase);
  uint32_t table = optional + optionalSize;
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
      while (at < f.size() && f[at]) section.name += static_cast<char>(f[at++]);
    }
    uint32_t virtualSize = Le(f, s + 8, 4);
    uint32_t rva = Le(f, s + 12, 4);
    uint32_t rawSize = Le(f, s + 16, 4);
    uint32_t rawOffset = Le(f, s + 20, 4);
    uint32_t characteristics = Le(f, s + 36, 4);
    section.address = image.imageBase + rva;
    section.code = (characteristics & 0x20) != 0;  // IMAGE_SCN_CNT_CODE
    uint32_t mapped = std::max(virtualSize, rawSize);
    std::vector<uint8_t> bytes(mapped, 0);
    uint32_t copy = std::min(rawSize, virtualSize ? virtualSize : rawSize);
    if (rawOffset + uint64_t{copy} > f.size()) throw std::runtime_error("section past end of file");
    std::copy(f.begin() + rawOffset, f.begin() + rawOffset + copy, bytes.begin());
    section.size = std::min(virtualSize ? virtualSize : rawSize, mapped);
    // Sections are page aligned in memory; keep the gaps unmapped.
    image.memory.Add(section.address, std::move(bytes), true, image.imageBase);
    image.sections.push_back(section);
  }
  return image;
}

}  // namespace qor::testing
