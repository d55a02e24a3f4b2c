#pragma once
// The tables one module's debug information fills: unit ranges (segments), public symbols and
// line entries, with the rules by which every reader adds, sorts and merges them. The readers
// of the debug formats (QorDebugReaders.h) fill them from byte views; which source a module
// uses and the lookups on the tables belong to the module's debug-information store.
#include <cstdint>
#include <string>
#include <vector>

namespace qor {

struct TMfSegment {
    bool valid = false;
    bool code = false;
    uint32_t start = 0;
    uint32_t length = 0;
    std::string unit;
    bool hasLines = false; // line numbers for this range are in the full debug file
};

struct TMfPublic {
    bool valid = false;
    bool code = false;
    std::string name;
    uint32_t address = 0;
};

struct TMfLine {
    int32_t line = 0;
    uint32_t address = 0;
};

// Where the module's code and data lie, from its headers.
struct ModuleLayout {
    uint32_t codeBase = 0;
    uint32_t codeEnd = 0; // 0 when unknown
    uint32_t dataBase = 0;
    bool twoCodeSections = false;
};

class DebugTables {
public:
    explicit DebugTables(const ModuleLayout& layout, bool codeOnly = false);

    const ModuleLayout& Layout() const { return layout_; }
    // Number of the data segment in the text formats (D): 2, or 3 with two code sections.
    int DataSegment() const { return dataSegment_; }
    void SetDataSegment(int number) { dataSegment_ = number; }
    // Added to addresses in the second code segment: the first one's length rounded up to 4096.
    uint32_t SecondSegmentOffset() const { return secondSegmentOffset_; }
    void SetSecondSegmentOffset(uint32_t offset) { secondSegmentOffset_ = offset; }
    uint32_t BaseOf(bool code) const { return code ? layout_.codeBase : layout_.dataBase; }

    // A trailing ".pas" or ".dpr" of the unit is dropped; data entries are not stored in a
    // code-only table.
    void AddSegment(bool code, uint32_t start, uint32_t length, std::string unit,
                    bool hasLines = false);
    // Publics of the text and binary formats: `name` is split by UnmangleName, `address` is
    // relative to the code or data base (see DebugTables.cpp for the naming rules).
    void AddPublic(bool code, std::string name, uint32_t address);
    // Publics and lines of the packed payload, stored as they come (absolute addresses).
    void AddStoredPublic(bool code, std::string name, uint32_t address);
    void AddLine(int32_t line, uint32_t address);
    // The TD32 path: a range continuing the last one of its kind and unit (starting at most
    // two bytes after its end) extends it instead of making a new entry.
    void AddMergingSegment(bool code, uint32_t start, uint32_t length, std::string unit);
    // The TD32 path's publics also keep the ranges covering them: the last range of the kind
    // is extended to reach a public after it, and a public no range covers gets a one-byte
    // range of its unit at its sorted place.
    void AddCoveredPublic(bool code, std::string name, uint32_t address);

    // Code entries before data entries, then by start, and the longer entry first for equal
    // starts.
    void SortSegments();
    void SortLines();
    void SortPublics();
    // Joins neighbouring ranges: see the .cpp. With `onlyWhenReaching`, an entry is only
    // stretched to its successor when it already reaches it.
    void MergeSegments(bool onlyWhenReaching);
    // The segment of that kind containing the address, or null.
    const TMfSegment* SegmentAt(bool code, uint32_t address) const;

    std::vector<TMfSegment> segments;
    std::vector<TMfPublic> publics;
    std::vector<TMfLine> lines;
    uint32_t entryPoint = 0;
    // The minimal-information fingerprint: empty, or 31 characters.
    std::string fingerprint;

private:
    ModuleLayout layout_;
    bool codeOnly_;
    int dataSegment_;
    uint32_t secondSegmentOffset_ = 0;
};

} // namespace qor
