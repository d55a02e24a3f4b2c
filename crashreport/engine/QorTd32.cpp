// Reader of TD32 debug symbols, from the debug data's first byte (its signature) on.
#include "QorByteReader.h"
#include "QorDebugReaders.h"

#include <set>
#include <vector>

namespace qor {

namespace {

enum SubsectionKind : uint16_t {
    ModuleSubsection = 0x120,
    GlobalPublicsSubsection = 0x125,
    SourceLinesSubsection = 0x127,
    GlobalSymbolsSubsection = 0x129,
    NamesSubsection = 0x130,
};

constexpr uint16_t CodeFlag = 1;
constexpr size_t ModuleEntriesAt = 28;
constexpr size_t ModuleEntrySize = 12;

struct Subsection {
    uint16_t kind;
    std::string_view bytes;
};

// Where a symbol record keeps its name index and address, by record kind.
struct SymbolLayout {
    uint16_t kind;
    uint16_t minimumLength;
    uint16_t nameAt;
    uint16_t addressAt;
    bool code;
};

constexpr SymbolLayout SymbolLayouts[] = {
    {0x0204, 44, 40, 28, true}, {0x0205, 44, 40, 28, true}, {0x0201, 20, 16, 4, false},
    {0x0202, 20, 16, 4, false}, {0x0020, 26, 12, 20, true}, {0x0021, 24, 12, 20, false},
};

std::string WithoutPath(const std::string& name)
{
    const size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Every subsection of the directory chain that lies inside the data.
std::vector<Subsection> ReadDirectory(std::string_view data)
{
    std::vector<Subsection> subsections;
    std::set<uint32_t> visited;
    for (uint32_t directory = U32At(data, 4);
         directory != 0 && directory < data.size() && visited.insert(directory).second;) {
        const uint16_t headerSize = U16At(data, directory);
        const uint16_t entrySize = U16At(data, directory + 2);
        const uint32_t count = U32At(data, directory + 4);
        const uint32_t next = U32At(data, directory + 8);
        if (entrySize < 12)
            break;
        for (uint64_t i = 0, at = uint64_t(directory) + headerSize;
             i < count && at + 12 <= data.size(); ++i, at += entrySize) {
            const size_t entry = static_cast<size_t>(at);
            const uint32_t offset = U32At(data, entry + 4);
            const uint32_t size = U32At(data, entry + 8);
            if (offset < data.size() && size <= data.size() - offset)
                subsections.push_back({U16At(data, entry), data.substr(offset, size)});
        }
        directory = next;
    }
    return subsections;
}

class Td32Reader {
public:
    Td32Reader(std::string_view data, DebugTables& tables)
        : subsections_(ReadDirectory(data)), tables_(tables)
    {
    }

    void Read()
    {
        for (const Subsection& s : subsections_)
            if (s.kind == NamesSubsection)
                ReadNames(s.bytes);
        for (const Subsection& s : subsections_)
            if (s.kind == ModuleSubsection)
                ReadModule(s.bytes);
        for (const Subsection& s : subsections_)
            if (s.kind == SourceLinesSubsection)
                ReadSourceLines(s.bytes);
        tables_.SortSegments();
        tables_.MergeSegments(true);
        bool globalSymbols = false;
        for (const Subsection& s : subsections_)
            if (s.kind == GlobalSymbolsSubsection) {
                ReadSymbols(s.bytes, 32);
                globalSymbols = true;
            }
        if (!globalSymbols)
            for (const Subsection& s : subsections_)
                if (s.kind == GlobalPublicsSubsection)
                    ReadSymbols(s.bytes, 4);
        tables_.SortPublics();
        tables_.MergeSegments(false);
    }

private:
    std::string Name(uint32_t index) const
    {
        return index >= 1 && index <= names_.size() ? names_[index - 1] : std::string();
    }

    void ReadNames(std::string_view bytes)
    {
        ByteReader reader(bytes);
        uint32_t count = 0;
        reader.U32(count);
        std::string name;
        for (uint32_t i = 0; i < count && reader.ShortString(name) && reader.Skip(1); ++i)
            names_.push_back(name);
    }

    void ReadModule(std::string_view bytes)
    {
        const std::string unit = WithoutPath(Name(U32At(bytes, 8)));
        const uint16_t count = U16At(bytes, 4);
        bool otherKept = false;
        for (size_t i = 0; i < count; ++i) {
            const size_t entry = ModuleEntriesAt + i * ModuleEntrySize;
            if (entry + ModuleEntrySize > bytes.size())
                return;
            const bool code = (U16At(bytes, entry + 2) & CodeFlag) != 0;
            const uint32_t offset = U32At(bytes, entry + 4);
            const uint32_t size = U32At(bytes, entry + 8);
            if (size == 0 || (!code && otherKept))
                continue;
            otherKept = otherKept || !code;
            tables_.AddMergingSegment(code, offset + tables_.BaseOf(code), size, unit);
        }
    }

    void ReadSourceLines(std::string_view bytes)
    {
        const uint16_t files = U16At(bytes, 0);
        for (size_t f = 0; f < files; ++f) {
            if (2 + f * 4 + 4 > bytes.size())
                return;
            const uint32_t fileAt = U32At(bytes, 2 + f * 4);
            const uint16_t ranges = U16At(bytes, fileAt);
            const std::string name = WithoutPath(Name(U32At(bytes, size_t(fileAt) + 2)));
            bool any = false;
            uint32_t first = 0, last = 0;
            for (size_t r = 0; r < ranges; ++r) {
                const uint64_t blockField = uint64_t(fileAt) + 6 + r * 4;
                if (blockField + 4 > bytes.size())
                    break;
                ReadLineBlock(bytes, U32At(bytes, static_cast<size_t>(blockField)), any, first,
                              last);
            }
            if (any)
                tables_.AddMergingSegment(true, first, last - first, name);
        }
    }

    void ReadLineBlock(std::string_view bytes, uint32_t blockAt, bool& any, uint32_t& first,
                       uint32_t& last)
    {
        if (blockAt >= bytes.size())
            return;
        const uint16_t segment = U16At(bytes, blockAt);
        const uint16_t pairs = U16At(bytes, blockAt + 2);
        if (segment == 0 || segment > tables_.DataSegment())
            return;
        const uint64_t offsetsAt = uint64_t(blockAt) + 4;
        const uint64_t linesAt = offsetsAt + uint64_t(pairs) * 4;
        if (linesAt + uint64_t(pairs) * 2 > bytes.size())
            return;
        for (size_t i = 0; i < pairs; ++i) {
            uint32_t address =
                U32At(bytes, static_cast<size_t>(offsetsAt + i * 4)) + tables_.BaseOf(true);
            if (segment > 1 && segment < tables_.DataSegment())
                address += tables_.SecondSegmentOffset();
            tables_.AddLine(U16At(bytes, static_cast<size_t>(linesAt + i * 2)), address);
            if (!any || address < first)
                first = address;
            if (!any || address > last)
                last = address;
            any = true;
        }
    }

    void ReadSymbols(std::string_view bytes, size_t from)
    {
        for (uint64_t at = from; at + 4 <= bytes.size();) {
            const size_t record = static_cast<size_t>(at);
            const uint16_t length = U16At(bytes, record);
            const uint16_t kind = U16At(bytes, record + 2);
            for (const SymbolLayout& layout : SymbolLayouts) {
                if (layout.kind != kind || length < layout.minimumLength ||
                    record + length + 2 > bytes.size())
                    continue;
                const uint32_t nameIndex = U32At(bytes, record + layout.nameAt);
                if (nameIndex != 0)
                    tables_.AddCoveredPublic(layout.code, Name(nameIndex),
                                             U32At(bytes, record + layout.addressAt));
            }
            at += uint64_t(length) + 2;
        }
    }

    std::vector<Subsection> subsections_;
    std::vector<std::string> names_;
    DebugTables& tables_;
};

} // namespace

bool ReadTd32Data(std::string_view data, DebugTables& tables)
{
    if (data.size() < 8 || (data.substr(0, 4) != "FB09" && data.substr(0, 4) != "FB0A"))
        return false;
    if (tables.Layout().twoCodeSections)
        return false;
    Td32Reader(data, tables).Read();
    return true;
}

} // namespace qor
