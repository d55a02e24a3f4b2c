#include "DebugLookupsStandIn.h"

#include <algorithm>

#include "QorStrings.h"

namespace qor {

DebugTablesLookup::DebugTablesLookup(DebugTables tables) : tables_(std::move(tables))
{
    tables_.SortSegments();
    tables_.SortPublics();
    tables_.SortLines();
}

TMfSegment DebugTablesLookup::SegmentAt(bool code, uint32_t address) const
{
    const TMfSegment* s = tables_.SegmentAt(code, address);
    return s ? *s : TMfSegment{};
}

TMfPublic DebugTablesLookup::PublicAt(uint32_t address) const
{
    const auto& publics = tables_.publics;
    auto after = std::upper_bound(publics.begin(), publics.end(), address,
                                  [](uint32_t a, const TMfPublic& p) { return a < p.address; });
    if (after == publics.begin())
        return {};
    const TMfPublic& found = *(after - 1);
    if (after == publics.end()) {
        uint32_t codeEnd = tables_.Layout().codeEnd;
        if (codeEnd != 0 && address >= codeEnd)
            return {};
    }
    return found;
}

int32_t DebugTablesLookup::LineAt(uint32_t address, uint32_t& nextLine) const
{
    nextLine = address + 1;
    const auto& lines = tables_.lines;
    const TMfSegment* segment = tables_.SegmentAt(true, address);
    if (lines.empty())
        return segment && segment->hasLines ? -1 : 0;
    auto after = std::upper_bound(lines.begin(), lines.end(), address,
                                  [](uint32_t a, const TMfLine& l) { return a < l.address; });
    if (after == lines.begin())
        return 0;
    const TMfLine& found = *(after - 1);
    if (after != lines.end())
        nextLine = after->address;
    else if (tables_.Layout().codeEnd != 0 && address >= tables_.Layout().codeEnd)
        return 0;
    if (!segment || found.address < segment->start ||
        uint64_t{found.address} > uint64_t{segment->start} + segment->length)
        return 0;
    return found.line;
}

uint32_t DebugTablesLookup::LocatePublic(bool code, const std::string& unit,
                                         const std::string& name, bool caseSensitive) const
{
    auto search = [&](const std::string& unitName) -> uint32_t {
        for (const TMfSegment& s : tables_.segments) {
            if (s.code != code || LowerStr(s.unit) != LowerStr(unitName))
                continue;
            for (const TMfPublic& p : tables_.publics) {
                if (p.code != code || p.address < s.start ||
                    uint64_t{p.address} > uint64_t{s.start} + s.length)
                    continue;
                if (caseSensitive ? p.name == name : LowerStr(p.name) == LowerStr(name))
                    return p.address;
            }
        }
        return 0;
    };
    if (uint32_t found = search(unit))
        return found;
    if (unit.find('.') == std::string::npos)
        for (const char* extension : {".cpp", ".h", ".c"})
            if (uint32_t found = search(unit + extension))
                return found;
    return 0;
}

std::shared_ptr<const TraceDebugInfo> ModuleDebugInfo(uint32_t, const std::string&)
{
    return nullptr;
}

} // namespace qor
