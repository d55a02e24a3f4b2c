#include "QorModuleImage.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qor {

namespace {

constexpr uint16_t kDosSignature = 0x5A4D; // "MZ"
constexpr uint32_t kPeSignature = 0x4550;  // "PE\0\0"
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
// The loader reads no more than 16 data directories, whatever the header claims.
constexpr uint32_t kMaxDataDirectories = 16;
// Bounds of what one reader call walks, so that a damaged count cannot make it run for ages:
// a table entry takes at least 4 bytes of an image that fits 32 bits.
constexpr uint32_t kMaxTableEntries = 0x4000000;
constexpr uint32_t kMaxImportedLibraries = 0x10000;

} // namespace

ByteViewMemory::ByteViewMemory(const void* data, size_t size, uint32_t address)
    : data_(static_cast<const uint8_t*>(data)),
      size_(static_cast<uint32_t>(std::min<uint64_t>(size, uint64_t{0xFFFFFFFF} - address))),
      address_(address)
{
}

bool ByteViewMemory::Read(uint32_t address, void* destination, uint32_t count) const
{
    if (address < address_)
        return false;
    uint64_t offset = uint64_t{address} - address_;
    if (offset + count > size_)
        return false;
    if (count)
        std::memcpy(destination, data_ + offset, count);
    return true;
}

MemoryRegion ByteViewMemory::Region(uint32_t address) const
{
    MemoryRegion region;
    if (address >= address_ && uint64_t{address} - address_ < size_) {
        region.start = address_;
        region.size = size_;
        region.allocationBase = address_;
        region.committed = true;
        region.readable = true;
    }
    return region;
}

PeImageReader::PeImageReader(const CodeMemory& memory, uint32_t base, PeLayout layout)
    : memory_(memory), base_(base), layout_(layout)
{
    uint16_t dos = 0, magic = 0, optionalSize = 0;
    uint32_t signature = 0;
    if (!Read(0, &dos, 2) || dos != kDosSignature || !ReadDword(60, headers_) ||
        !ReadDword(headers_, signature) || signature != kPeSignature)
        return;
    uint64_t optional = uint64_t{headers_} + 24;
    if (optional > 0xFFFFFFFF || !Read(headers_ + 4, &machine_, 2) ||
        !Read(headers_ + 20, &optionalSize, 2) || !Read(static_cast<uint32_t>(optional), &magic, 2))
        return;
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return;
    pe32Plus_ = magic == kPe32PlusMagic;
    optionalHeader_ = static_cast<uint32_t>(optional);
    if (optional + optionalSize > 0xFFFFFFFF)
        return;
    sectionTable_ = static_cast<uint32_t>(optional + optionalSize);
    uint32_t low = 0, high = 0, count = 0;
    if (pe32Plus_) {
        if (!ReadDword(optionalHeader_ + 24, low) || !ReadDword(optionalHeader_ + 28, high))
            return;
        imageBase_ = uint64_t{high} << 32 | low;
        directoryTable_ = optionalHeader_ + 112;
        if (!ReadDword(optionalHeader_ + 108, count))
            return;
    } else {
        if (!ReadDword(optionalHeader_ + 28, low))
            return;
        imageBase_ = low;
        directoryTable_ = optionalHeader_ + 96;
        if (!ReadDword(optionalHeader_ + 92, count))
            return;
    }
    if (!ReadDword(optionalHeader_ + 56, imageSize_) ||
        !ReadDword(optionalHeader_ + 16, entryPoint_) ||
        !ReadDword(optionalHeader_ + 4, codeSize_) ||
        !ReadDword(optionalHeader_ + 8, initializedDataSize_) ||
        !ReadDword(optionalHeader_ + 20, codeBase_) ||
        (!pe32Plus_ && !ReadDword(optionalHeader_ + 24, dataBase_)))
        return;
    // Directories beyond the optional header's stated size are not there.
    uint32_t room = directoryTable_ < sectionTable_ ? (sectionTable_ - directoryTable_) / 8 : 0;
    directoryCount_ = std::min({count, kMaxDataDirectories, room});
    valid_ = true;
    if (uint64_t{base_} + headers_ <= 0xFFFFFFFF)
        sections_ = ReadSectionHeaders(memory_, base_ + headers_);
}

bool PeImageReader::Read(uint32_t offset, void* destination, uint32_t count) const
{
    uint64_t address = uint64_t{base_} + offset;
    if (address + count > uint64_t{0xFFFFFFFF} + 1)
        return false;
    return memory_.Read(static_cast<uint32_t>(address), destination, count);
}

bool PeImageReader::ReadDword(uint32_t offset, uint32_t& value) const
{
    uint8_t b[4];
    if (!Read(offset, b, 4))
        return false;
    value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    return true;
}

std::vector<PeSectionHeader> ReadSectionHeaders(const CodeMemory& memory, uint32_t headers)
{
    std::vector<PeSectionHeader> sections;
    uint16_t count = 0, optionalSize = 0;
    if (headers > 0xFFFFFFFF - 24 || !memory.Read(headers + 6, &count, 2) ||
        !memory.Read(headers + 20, &optionalSize, 2))
        return sections;
    // The section table follows the optional header as its stated size places it (the fixed
    // 248/264 bytes after the signature hold only for a header with all 16 directories).
    uint64_t table = uint64_t{headers} + 24 + optionalSize;
    for (uint32_t i = 0; i < count && table + (i + 1) * 40 <= 0xFFFFFFFF; ++i) {
        uint8_t raw[40];
        if (!memory.Read(static_cast<uint32_t>(table + i * 40), raw, sizeof raw))
            break;
        auto dword = [&](int at) {
            return uint32_t{raw[at]} | uint32_t{raw[at + 1]} << 8 | uint32_t{raw[at + 2]} << 16 |
                   uint32_t{raw[at + 3]} << 24;
        };
        PeSectionHeader s;
        s.name.assign(reinterpret_cast<const char*>(raw),
                      strnlen(reinterpret_cast<const char*>(raw), 8));
        s.virtualSize = dword(8);
        s.virtualAddress = dword(12);
        s.rawSize = dword(16);
        s.rawOffset = dword(20);
        s.characteristics = dword(36);
        sections.push_back(s);
    }
    return sections;
}

uint32_t SectionRvaToFileOffset(const std::vector<PeSectionHeader>& sections, uint32_t rva)
{
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].virtualAddress > rva)
            continue;
        if (i + 1 < sections.size() && sections[i + 1].virtualAddress <= rva)
            continue;
        return rva - sections[i].virtualAddress + sections[i].rawOffset;
    }
    return rva;
}

PeDataDirectory PeImageReader::DataDirectory(uint32_t index) const
{
    PeDataDirectory d;
    if (!valid_ || index >= directoryCount_ || !ReadDword(directoryTable_ + index * 8, d.rva) ||
        !ReadDword(directoryTable_ + index * 8 + 4, d.size))
        return {};
    return d;
}

uint32_t PeImageReader::RvaToFileOffset(uint32_t rva) const
{
    return SectionRvaToFileOffset(sections_, rva);
}

bool PeImageReader::ReadRva(uint32_t rva, void* destination, uint32_t count) const
{
    if (!valid_)
        return false;
    return Read(layout_ == PeLayout::Loaded ? rva : RvaToFileOffset(rva), destination, count);
}

bool PeImageReader::ReadRvaDword(uint32_t rva, uint32_t& value) const
{
    if (!valid_)
        return false;
    return ReadDword(layout_ == PeLayout::Loaded ? rva : RvaToFileOffset(rva), value);
}

bool PeImageReader::ReadRvaText(uint32_t rva, std::string& text, uint32_t limit) const
{
    text.clear();
    if (!valid_)
        return false;
    uint32_t offset = layout_ == PeLayout::Loaded ? rva : RvaToFileOffset(rva);
    char chunk[64];
    while (text.size() < limit) {
        uint32_t n = sizeof chunk;
        // Near the end of the memory read what is left, a byte at a time.
        if (!Read(offset, chunk, n)) {
            n = 1;
            if (!Read(offset, chunk, 1))
                return false;
        }
        const void* zero = std::memchr(chunk, 0, n);
        if (zero) {
            text.append(chunk, static_cast<size_t>(static_cast<const char*>(zero) - chunk));
            return text.size() <= limit;
        }
        text.append(chunk, n);
        if (offset > 0xFFFFFFFF - n)
            return false;
        offset += n;
    }
    return false;
}

bool PeImageReader::ExportDirectory(PeExportDirectory& d) const
{
    PeDataDirectory entry = DataDirectory(kExportDirectoryIndex);
    if (!entry.rva)
        return false;
    uint32_t raw[10];
    if (!ReadRva(entry.rva, raw, sizeof raw))
        return false;
    auto value = [&](int i) {
        const uint8_t* b = reinterpret_cast<const uint8_t*>(&raw[i]);
        return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    };
    d.rva = entry.rva;
    d.size = entry.size;
    d.timeDateStamp = value(1);
    d.nameRva = value(3);
    d.ordinalBase = value(4);
    d.functionCount = std::min(value(5), kMaxTableEntries);
    d.nameCount = std::min(value(6), kMaxTableEntries);
    d.functionsRva = value(7);
    d.namesRva = value(8);
    d.nameOrdinalsRva = value(9);
    return true;
}

bool PeImageReader::IsForwarderRva(uint32_t rva) const
{
    PeDataDirectory entry = DataDirectory(kExportDirectoryIndex);
    return entry.rva && rva >= entry.rva && uint64_t{rva} < uint64_t{entry.rva} + entry.size;
}

std::string PeImageReader::NameOfIndex(const PeExportDirectory& d, uint32_t index) const
{
    for (uint32_t n = 0; n < d.nameCount; ++n) {
        uint16_t ordinal = 0;
        if (!ReadRva(d.nameOrdinalsRva + n * 2, &ordinal, 2))
            return "";
        if (ordinal != index)
            continue;
        uint32_t nameRva = 0;
        std::string name;
        if (ReadRvaDword(d.namesRva + n * 4, nameRva) && ReadRvaText(nameRva, name))
            return name;
        return "";
    }
    return "";
}

std::vector<PeExport> PeImageReader::Exports() const
{
    std::vector<PeExport> exports;
    PeExportDirectory d;
    if (!ExportDirectory(d))
        return exports;
    // One pass over the name tables gives each function index its first name.
    std::vector<std::pair<uint32_t, std::string>> names; // (function index, name)
    for (uint32_t n = 0; n < d.nameCount; ++n) {
        uint16_t index = 0;
        uint32_t nameRva = 0;
        std::string name;
        if (!ReadRva(d.nameOrdinalsRva + n * 2, &index, 2) ||
            !ReadRvaDword(d.namesRva + n * 4, nameRva))
            break;
        if (ReadRvaText(nameRva, name))
            names.emplace_back(index, std::move(name));
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (uint32_t i = 0; i < d.functionCount; ++i) {
        uint32_t rva = 0;
        if (!ReadRvaDword(d.functionsRva + i * 4, rva))
            break;
        if (!rva)
            continue;
        PeExport e;
        e.ordinal = d.ordinalBase + i;
        e.rva = rva;
        auto named =
            std::lower_bound(names.begin(), names.end(), i,
                             [](const auto& entry, uint32_t v) { return entry.first < v; });
        if (named != names.end() && named->first == i)
            e.name = named->second;
        if (IsForwarderRva(rva))
            ReadRvaText(rva, e.forwarder);
        exports.push_back(std::move(e));
    }
    return exports;
}

bool PeImageReader::ExportIndexByName(const std::string& name, uint32_t& index) const
{
    PeExportDirectory d;
    if (!ExportDirectory(d))
        return false;
    for (uint32_t n = 0; n < d.nameCount; ++n) {
        uint32_t nameRva = 0;
        std::string candidate;
        if (!ReadRvaDword(d.namesRva + n * 4, nameRva))
            return false;
        if (!ReadRvaText(nameRva, candidate, static_cast<uint32_t>(name.size()) + 1) ||
            candidate != name)
            continue;
        uint16_t ordinal = 0;
        if (!ReadRva(d.nameOrdinalsRva + n * 2, &ordinal, 2))
            return false;
        index = ordinal;
        return true;
    }
    return false;
}

bool PeImageReader::ExportRvaOfIndex(uint32_t index, uint32_t& rva) const
{
    PeExportDirectory d;
    return ExportDirectory(d) && index < d.functionCount &&
           ReadRvaDword(d.functionsRva + index * 4, rva) && rva != 0;
}

bool PeImageReader::ExportRvaByName(const std::string& name, uint32_t& rva) const
{
    uint32_t index = 0;
    return ExportIndexByName(name, index) && ExportRvaOfIndex(index, rva);
}

bool PeImageReader::ExportRvaByOrdinal(uint32_t ordinal, uint32_t& rva) const
{
    PeExportDirectory d;
    return ExportDirectory(d) && ordinal >= d.ordinalBase &&
           ExportRvaOfIndex(ordinal - d.ordinalBase, rva);
}

std::string PeImageReader::ExportNameOfRva(uint32_t rva) const
{
    PeExportDirectory d;
    if (!rva || !ExportDirectory(d))
        return "";
    for (uint32_t i = 0; i < d.functionCount; ++i) {
        uint32_t entry = 0;
        if (!ReadRvaDword(d.functionsRva + i * 4, entry))
            break;
        if (entry != rva)
            continue;
        std::string name = NameOfIndex(d, i);
        return name.empty() ? "#" + std::to_string(uint64_t{d.ordinalBase} + i) : name;
    }
    return "";
}

std::vector<PeImport> PeImageReader::Imports() const
{
    std::vector<PeImport> imports;
    PeDataDirectory entry = DataDirectory(kImportDirectoryIndex);
    if (!entry.rva)
        return imports;
    const uint32_t thunkSize = pe32Plus_ ? 8 : 4;
    for (uint32_t library = 0; library < kMaxImportedLibraries; ++library) {
        uint32_t descriptor = entry.rva + library * 20;
        uint32_t lookup = 0, nameRva = 0, addresses = 0;
        if (!ReadRvaDword(descriptor, lookup) || !ReadRvaDword(descriptor + 12, nameRva) ||
            !ReadRvaDword(descriptor + 16, addresses))
            break;
        if (!lookup && !nameRva && !addresses)
            break; // the zero descriptor ends the table
        std::string libraryName;
        if (!ReadRvaText(nameRva, libraryName))
            continue;
        // The lookup table stays as the file has it; the address table is overwritten when
        // the module is loaded, so it serves only when there is no lookup table.
        uint32_t thunks = lookup ? lookup : addresses;
        for (uint32_t i = 0; i < kMaxTableEntries; ++i) {
            uint64_t thunk = 0;
            if (!ReadRva(thunks + i * thunkSize, &thunk, thunkSize))
                break;
            if (!thunk)
                break;
            PeImport import;
            import.library = libraryName;
            const uint64_t ordinalFlag = uint64_t{1} << (thunkSize * 8 - 1);
            if (thunk & ordinalFlag) {
                import.ordinal = static_cast<uint32_t>(thunk & 0xFFFF);
            } else {
                uint16_t hint = 0;
                uint32_t hintRva = static_cast<uint32_t>(thunk & 0x7FFFFFFF);
                if (!ReadRva(hintRva, &hint, 2) || !ReadRvaText(hintRva + 2, import.name))
                    break;
                import.hint = hint;
            }
            imports.push_back(std::move(import));
        }
    }
    return imports;
}

std::string ExportNameAt(const CodeMemory& memory, uint32_t address)
{
    MemoryRegion region = memory.Region(address);
    if (!region.committed || !region.allocationBase || address < region.allocationBase)
        return "";
    PeImageReader image(memory, region.allocationBase, PeLayout::Loaded);
    return image.Valid() ? image.ExportNameOfRva(address - region.allocationBase) : "";
}

} // namespace qor
