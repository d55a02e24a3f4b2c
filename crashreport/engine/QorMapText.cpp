// Reader of the linker's detailed map text.
#include "QorDebugReaders.h"
#include "QorStrings.h"

#include <algorithm>

namespace qor {

namespace {

constexpr std::string_view SectionTableHeader =
    "Start         Length     Name                   Class";
constexpr std::string_view SegmentMapHeader = "Detailed map of segments";
constexpr std::string_view PublicsHeader = "Publics by Value";
constexpr std::string_view LinesHeader = "Line numbers for ";
constexpr std::string_view EntryPointHeader = "Program entry point at ";
constexpr uint32_t PageSize = 4096;
constexpr size_t ShortestSegmentLine = 73;

enum class Block { None, Sections, Segments, Publics, Lines };

bool CharAt(std::string_view line, size_t offset, char c)
{
    return offset < line.size() && line[offset] == c;
}

// Hexadecimal digits at an offset of the line (as many as the line holds).
uint32_t HexAt(std::string_view line, size_t offset, size_t digits)
{
    if (offset >= line.size())
        return 0;
    const std::string_view field = line.substr(offset, digits);
    return static_cast<uint32_t>(ParseIntBuf(true, field.data(), static_cast<int>(field.size())));
}

bool Contains(std::string_view line, std::string_view text)
{
    return line.find(text) != std::string_view::npos;
}

class MapTextReader {
public:
    explicit MapTextReader(DebugTables& tables) : tables_(tables) {}

    void Line(std::string_view line)
    {
        if (line.empty()) {
            if (entries_ > 0)
                EndBlock();
            return;
        }
        if (Contains(line, SectionTableHeader))
            return Begin(Block::Sections);
        if (Contains(line, SegmentMapHeader))
            return Begin(Block::Segments);
        if (Contains(line, PublicsHeader))
            return Begin(Block::Publics);
        if (OpensLineBlock(line))
            return Begin(Block::Lines);
        if (StartsWithStr(EntryPointHeader, line) && CharAt(line, 27, ':') && line.size() >= 35) {
            tables_.entryPoint = HexAt(line, 28, 8) + tables_.BaseOf(true);
            return;
        }
        switch (block_) {
            case Block::Sections:
                SectionLine(line);
                break;
            case Block::Segments:
                SegmentLine(line);
                break;
            case Block::Publics:
                PublicLine(line);
                break;
            case Block::Lines:
                LineNumbersLine(line);
                break;
            case Block::None:
                break;
        }
        ++entries_;
    }

    void EndBlock()
    {
        if (block_ == Block::Segments)
            tables_.SortSegments();
        block_ = Block::None;
        entries_ = 0;
    }

private:
    static bool OpensLineBlock(std::string_view line)
    {
        if (!StartsWithStr(LinesHeader, line))
            return false;
        const size_t open = line.find('(', LinesHeader.size());
        return open != std::string_view::npos && line.find(')', open) != std::string_view::npos;
    }

    void Begin(Block block)
    {
        EndBlock();
        block_ = block;
    }

    // Segment number and address of a "SSSS:OOOOOOOO" field at the start of the line; false
    // for segment 0 and segments above the data segment.
    bool Address(std::string_view field, bool& code, uint32_t& address) const
    {
        const int number = static_cast<int>(HexAt(field, 0, 4));
        const int dataSegment = tables_.DataSegment();
        if (number == 0 || number > dataSegment)
            return false;
        code = number < dataSegment;
        address = HexAt(field, 5, 8);
        if (number > 1 && number < dataSegment)
            address += tables_.SecondSegmentOffset();
        return true;
    }

    void SectionLine(std::string_view line)
    {
        if (Contains(line, ".data")) {
            const int number = static_cast<int>(ParseIntBuf(
                false, line.data(), static_cast<int>(std::min<size_t>(4, line.size()))));
            tables_.SetDataSegment(number < 2 || number > 9 ? 2 : number);
        }
        if (Contains(line, ".text") && CharAt(line, 4, ':') && CharAt(line, 13, ' ') &&
            CharAt(line, 22, 'H')) {
            const uint64_t length = HexAt(line, 14, 8);
            tables_.SetSecondSegmentOffset(
                static_cast<uint32_t>((length + PageSize - 1) / PageSize * PageSize));
        }
    }

    void SegmentLine(std::string_view line)
    {
        if (line.size() < ShortestSegmentLine || !CharAt(line, 4, ':') || !CharAt(line, 13, ' ') ||
            !CharAt(line, 22, ' ') || !CharAt(line, 23, 'C') || !CharAt(line, 24, '='))
            return;
        std::string rest(line.substr(0, line.rfind(' ')));
        while (!rest.empty() && rest.back() == ' ')
            rest.pop_back();
        const size_t cut = rest.find_last_of("=\\|");
        std::string unit = cut == std::string::npos ? rest : rest.substr(cut + 1);
        bool code = false;
        uint32_t start = 0;
        if (!Address(line, code, start))
            return;
        tables_.AddSegment(code, start + tables_.BaseOf(code), HexAt(line, 14, 8), std::move(unit));
    }

    void PublicLine(std::string_view line)
    {
        if (line.size() <= 13 || !CharAt(line, 4, ':'))
            return;
        std::string_view text = line;
        if (text.back() == ')') {
            const size_t open = text.rfind('(');
            if (open != std::string_view::npos)
                text = text.substr(0, open);
            while (!text.empty() && text.back() == ' ')
                text.remove_suffix(1);
        }
        const size_t blank = text.rfind(' ');
        if (blank == std::string_view::npos || blank < 13)
            return;
        bool code = false;
        uint32_t address = 0;
        if (Address(line, code, address))
            tables_.AddPublic(code, std::string(text.substr(blank + 1)), address);
    }

    void LineNumbersLine(std::string_view line)
    {
        const bool firstLine = entries_ == 0;
        std::string_view rest = line;
        const auto nextField = [&rest]() {
            const size_t start = rest.find_first_not_of(' ');
            if (start == std::string_view::npos)
                return std::string_view();
            rest.remove_prefix(start);
            const size_t end = std::min(rest.find(' '), rest.size());
            const std::string_view field = rest.substr(0, end);
            rest.remove_prefix(end);
            return field;
        };
        for (;;) {
            const std::string_view number = nextField();
            const std::string_view location = nextField();
            if (number.empty() || location.empty())
                return;
            if (location.size() != 13 || location[4] != ':')
                continue;
            const int segment = static_cast<int>(HexAt(location, 0, 4));
            if (segment < 1 || segment >= tables_.DataSegment())
                continue;
            uint32_t address = HexAt(location, 5, 8) + tables_.BaseOf(true);
            if (segment > 1)
                address += tables_.SecondSegmentOffset();
            if (!firstLine && !tables_.lines.empty() && address <= tables_.lines.back().address)
                continue;
            tables_.AddLine(ParseIntBuf(false, number.data(), static_cast<int>(number.size())),
                            address);
        }
    }

    DebugTables& tables_;
    Block block_ = Block::None;
    int entries_ = 0;
};

} // namespace

bool ReadMapText(std::string_view text, DebugTables& tables)
{
    MapTextReader reader(tables);
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t first = line.find_first_not_of(' ');
        line.remove_prefix(first == std::string_view::npos ? line.size() : first);
        reader.Line(line);
    }
    reader.EndBlock();
    return true;
}

} // namespace qor
