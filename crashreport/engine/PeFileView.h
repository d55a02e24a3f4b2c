#pragma once
// Bounded reading of a PE image's headers, sections, COFF symbol table and resources from a
// byte view: the module file as it lies on disk, or the first page of a loaded image (then only
// the headers are read). Every offset is checked against the view; a damaged file gives an
// invalid view or fewer entries, never a read outside it.
#include "QorDebugTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

struct PeSectionHeader {
    std::string name; // long names ("/n") resolved through the COFF string table
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
    uint32_t characteristics = 0;
    bool Code() const { return (characteristics & 0x20) != 0; }
};

class PeFileView {
public:
    explicit PeFileView(std::string_view bytes);

    bool Valid() const { return valid_; }
    bool Pe32Plus() const { return pe32Plus_; }
    uint64_t ImageBase() const { return imageBase_; }
    uint32_t EntryPointRva() const { return entryPoint_; }
    uint32_t BaseOfCode() const { return baseOfCode_; }
    uint32_t SizeOfCode() const { return sizeOfCode_; }
    uint32_t BaseOfData() const { return baseOfData_; }
    uint32_t DataSizes() const { return initializedData_ + uninitializedData_; }
    const std::vector<PeSectionHeader>& Sections() const { return sections_; }
    // RVA and size of a data directory entry; {0, 0} when the image has none.
    std::pair<uint32_t, uint32_t> DataDirectory(uint32_t index) const;
    // The file offset of an RVA, when a section's raw data holds it.
    std::optional<uint32_t> FileOffsetOf(uint32_t rva) const;
    // The raw bytes of a section of that name (empty when absent or outside the view).
    std::string_view SectionBytes(std::string_view name) const;
    const PeSectionHeader* Section(std::string_view name) const;
    // The COFF symbol table (18-byte records) and the string table after it.
    std::string_view SymbolTable() const { return symbols_; }
    std::string_view StringTable() const { return strings_; }
    // The bytes of the resource of that type and name (names compared without case, as the
    // platform does); an empty view when absent. A type given as "#10" is the number 10.
    std::string_view Resource(std::string_view type, std::string_view name) const;

    // The module's code and data ranges when it is loaded at `base` (Part of the
    // debug-information store's rules: the first section when it is code, extended over a
    // second code section; else the header's base and size of code).
    ModuleLayout LayoutAt(uint32_t base) const;
    uint32_t DataStartAt(uint32_t base) const { return base + baseOfData_; }

private:
    std::string_view bytes_;
    bool valid_ = false;
    bool pe32Plus_ = false;
    uint64_t imageBase_ = 0;
    uint32_t entryPoint_ = 0, baseOfCode_ = 0, sizeOfCode_ = 0, baseOfData_ = 0;
    uint32_t initializedData_ = 0, uninitializedData_ = 0;
    std::vector<std::pair<uint32_t, uint32_t>> directories_;
    std::vector<PeSectionHeader> sections_;
    std::string_view symbols_, strings_;
};

} // namespace qor
