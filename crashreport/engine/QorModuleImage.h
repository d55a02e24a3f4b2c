// Readers of PE module images: headers, sections, data directories, exports (with forwarders)
// and imports. The same reader works on an image loaded by the system (RVAs are offsets from
// the module's base) and on the module's file (RVAs go through the section table); every byte
// is read through a CodeMemory, so a damaged or truncated image yields fewer entries and never a
// read outside what the memory holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "CodeMemory.h"

namespace qor {

// A view of bytes (a mapped file, a module in memory) as a CodeMemory at `address`.
class ByteViewMemory final : public CodeMemory {
public:
    ByteViewMemory(const void* data, size_t size, uint32_t address = 0);
    bool Read(uint32_t address, void* destination, uint32_t count) const override;
    MemoryRegion Region(uint32_t address) const override;

private:
    const uint8_t* data_;
    uint32_t size_;
    uint32_t address_;
};

// How the image's bytes lie: as the loader maps them, or as the file stores them.
enum class PeLayout { Loaded, File };

struct PeSectionHeader {
    std::string name; // up to 8 characters
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
    uint32_t characteristics = 0;
};

struct PeDataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
};

struct PeExportDirectory {
    uint32_t rva = 0; // of the directory itself, and its size (forwarders lie inside)
    uint32_t size = 0;
    uint32_t timeDateStamp = 0;
    uint32_t nameRva = 0;
    uint32_t ordinalBase = 0;
    uint32_t functionCount = 0;
    uint32_t nameCount = 0;
    uint32_t functionsRva = 0;
    uint32_t namesRva = 0;
    uint32_t nameOrdinalsRva = 0;
};

struct PeExport {
    uint32_t ordinal = 0; // ordinal base + index in the function table
    uint32_t rva = 0;
    std::string name;      // empty for an export by ordinal only
    std::string forwarder; // "Library.Function" when the entry forwards to another module
};

struct PeImport {
    std::string library;
    std::string name; // empty when imported by ordinal
    uint32_t ordinal = 0;
    uint32_t hint = 0;
};

// Export directory index of the optional header's data directory (the others by their number).
constexpr uint32_t kExportDirectoryIndex = 0;
constexpr uint32_t kImportDirectoryIndex = 1;

class PeImageReader {
public:
    // The image whose first byte ("MZ") lies at `base` of `memory`.
    PeImageReader(const CodeMemory& memory, uint32_t base, PeLayout layout);

    // "MZ", then "PE\0\0" at the offset stored at 60, and a known optional-header magic.
    bool Valid() const { return valid_; }
    bool Pe32Plus() const { return pe32Plus_; }
    uint32_t Base() const { return base_; }
    uint32_t HeadersOffset() const { return headers_; } // of the PE signature from the base
    uint16_t Machine() const { return machine_; }
    uint64_t ImageBase() const { return imageBase_; }
    uint32_t ImageSize() const { return imageSize_; }
    uint32_t EntryPointRva() const { return entryPoint_; }
    uint32_t CodeBase() const { return codeBase_; } // base and size of code
    uint32_t CodeSize() const { return codeSize_; }
    uint32_t DataBase() const { return dataBase_; } // base of data: PE32 only (0 for PE32+)
    uint32_t InitializedDataSize() const { return initializedDataSize_; }

    const std::vector<PeSectionHeader>& Sections() const { return sections_; }
    uint32_t DataDirectoryCount() const { return directoryCount_; }
    // {0, 0} for an index beyond the directory count or an unreadable entry.
    PeDataDirectory DataDirectory(uint32_t index) const;
    // The file offset of an RVA: the first section that starts at or below it and whose successor
    // (unless it is the last section) starts above it; the RVA itself when there is none.
    uint32_t RvaToFileOffset(uint32_t rva) const;

    // Reads `count` bytes at `rva`, mapped through the layout; false when any cannot be read.
    bool ReadRva(uint32_t rva, void* destination, uint32_t count) const;
    bool ReadRvaDword(uint32_t rva, uint32_t& value) const;
    // A zero-ended 8-bit text at `rva` (at most `limit` characters); false when it has no end.
    bool ReadRvaText(uint32_t rva, std::string& text, uint32_t limit = 4096) const;

    bool ExportDirectory(PeExportDirectory& directory) const;
    // Every non-zero entry of the function table in table order, with its name (first name
    // that refers to it) and its forwarder text.
    std::vector<PeExport> Exports() const;
    // The function-table index of the first exported name equal to `name` (case-sensitive).
    bool ExportIndexByName(const std::string& name, uint32_t& index) const;
    // The function-table entry `index`; false when it lies outside the table or is 0.
    bool ExportRvaOfIndex(uint32_t index, uint32_t& rva) const;
    bool ExportRvaByName(const std::string& name, uint32_t& rva) const;
    // The function RVA of an ordinal; false when it lies outside the table or the entry is 0.
    bool ExportRvaByOrdinal(uint32_t ordinal, uint32_t& rva) const;
    // The name of the export whose function RVA is `rva`: its name, "#" + ordinal when it has
    // none, empty when the RVA is not exported.
    std::string ExportNameOfRva(uint32_t rva) const;
    // Whether an export's RVA lies inside the export directory (a forwarder text).
    bool IsForwarderRva(uint32_t rva) const;

    std::vector<PeImport> Imports() const;

private:
    bool Read(uint32_t offset, void* destination, uint32_t count) const;
    bool ReadDword(uint32_t offset, uint32_t& value) const;
    // The name, through the name-ordinal table, of function-table index `index`; "" when none.
    std::string NameOfIndex(const PeExportDirectory& directory, uint32_t index) const;

    const CodeMemory& memory_;
    uint32_t base_;
    PeLayout layout_;
    bool valid_ = false;
    bool pe32Plus_ = false;
    uint32_t headers_ = 0;
    uint16_t machine_ = 0;
    uint32_t sectionTable_ = 0;
    uint32_t optionalHeader_ = 0;
    uint64_t imageBase_ = 0;
    uint32_t imageSize_ = 0;
    uint32_t entryPoint_ = 0;
    uint32_t codeBase_ = 0;
    uint32_t codeSize_ = 0;
    uint32_t dataBase_ = 0;
    uint32_t initializedDataSize_ = 0;
    uint32_t directoryCount_ = 0;
    uint32_t directoryTable_ = 0;
    std::vector<PeSectionHeader> sections_; // those that could be read, in table order
};

// The section table of the PE headers whose signature ("PE\0\0") lies at `headers`: the
// entries that could be read, in table order.
std::vector<PeSectionHeader> ReadSectionHeaders(const CodeMemory& memory, uint32_t headers);
// The file offset of an RVA: the first section that starts at or below it and whose successor
// (unless it is the last section) starts above it; the RVA itself when there is none.
uint32_t SectionRvaToFileOffset(const std::vector<PeSectionHeader>& sections, uint32_t rva);

// The export name of `address` in the module image that holds it (found by the region's
// allocation base), or "" when it is not an exported entry there.
std::string ExportNameAt(const CodeMemory& memory, uint32_t address);

} // namespace qor
