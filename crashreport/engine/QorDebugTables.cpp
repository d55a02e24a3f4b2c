#include "QorDebugTables.h"

#include "QorStrings.h"
#include "QorUnmangle.h"

#include <algorithm>
#include <tuple>

namespace qor {

namespace {

bool IsTypeInformationName(const std::string& name)
{
    return name.size() >= 6 && name[0] == '@' && name[1] == '$' && name[2] == 'x' && name[4] == '$';
}

void DropSourceExtension(std::string& unit)
{
    for (const char* extension : {".pas", ".dpr"})
        if (unit.size() >= 4 && TextMatches(RightChars(unit, 4), extension)) {
            unit.resize(unit.size() - 4);
            return;
        }
}

// Sort key of a segment: code before data, then start ascending, then the longer first.
auto SegmentOrder(const TMfSegment& s)
{
    return std::make_tuple(!s.code, s.start, ~s.length);
}

} // namespace

DebugTables::DebugTables(const ModuleLayout& layout, bool codeOnly)
    : layout_(layout), codeOnly_(codeOnly), dataSegment_(layout.twoCodeSections ? 3 : 2)
{
}

void DebugTables::AddSegment(bool code, uint32_t start, uint32_t length, std::string unit,
                             bool hasLines)
{
    if (!code && codeOnly_)
        return;
    DropSourceExtension(unit);
    segments.push_back({true, code, start, length, std::move(unit), hasLines});
}

void DebugTables::AddPublic(bool code, std::string name, uint32_t address)
{
    if (IsTypeInformationName(name))
        return;
    std::string unit;
    UnmangleName(name, unit);
    address += BaseOf(code);
    // A routine named after its segment's unit is the unit's initialization; a unit other than
    // the segment's is kept in the name.
    const TMfSegment* segment = SegmentAt(code, address);
    const std::string segmentUnit = segment ? segment->unit : std::string();
    if (segment && name == segmentUnit)
        name = "initialization";
    if (!unit.empty() && !TextMatches(unit, segmentUnit))
        name = unit + "." + name;
    AddStoredPublic(code, std::move(name), address);
}

void DebugTables::AddStoredPublic(bool code, std::string name, uint32_t address)
{
    if (!code && codeOnly_)
        return;
    publics.push_back({true, code, std::move(name), address});
}

void DebugTables::AddLine(int32_t line, uint32_t address)
{
    lines.push_back({line, address});
}

void DebugTables::AddMergingSegment(bool code, uint32_t start, uint32_t length, std::string unit)
{
    if (!code && codeOnly_)
        return;
    DropSourceExtension(unit);
    const auto last = std::find_if(segments.rbegin(), segments.rend(),
                                   [&](const TMfSegment& s) { return s.code == code; });
    if (last != segments.rend() && last->unit == unit && start >= last->start &&
        uint64_t(start) <= uint64_t(last->start) + last->length + 2) {
        last->length = static_cast<uint32_t>(
            std::max<uint64_t>(uint64_t(start) + length - last->start, last->length));
        return;
    }
    segments.push_back({true, code, start, length, std::move(unit), false});
}

void DebugTables::AddCoveredPublic(bool code, std::string name, uint32_t address)
{
    if (IsTypeInformationName(name) || (!code && codeOnly_))
        return;
    const uint32_t absolute = address + BaseOf(code);
    if (!SegmentAt(code, absolute)) {
        const auto last = std::find_if(segments.rbegin(), segments.rend(),
                                       [&](const TMfSegment& s) { return s.code == code; });
        if (last != segments.rend() && absolute >= last->start) {
            last->length = absolute - last->start + 1;
        } else {
            std::string copy = name;
            std::string unit;
            UnmangleName(copy, unit);
            DropSourceExtension(unit);
            const TMfSegment made{true, code, absolute, 1, std::move(unit), false};
            segments.insert(std::upper_bound(segments.begin(), segments.end(), made,
                                             [](const TMfSegment& a, const TMfSegment& b) {
                                                 return SegmentOrder(a) < SegmentOrder(b);
                                             }),
                            made);
        }
    }
    AddPublic(code, std::move(name), address);
}

void DebugTables::SortSegments()
{
    std::stable_sort(
        segments.begin(), segments.end(),
        [](const TMfSegment& a, const TMfSegment& b) { return SegmentOrder(a) < SegmentOrder(b); });
}

void DebugTables::SortLines()
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const TMfLine& a, const TMfLine& b) { return a.address < b.address; });
}

void DebugTables::SortPublics()
{
    std::stable_sort(publics.begin(), publics.end(),
                     [](const TMfPublic& a, const TMfPublic& b) { return a.address < b.address; });
}

void DebugTables::MergeSegments(bool onlyWhenReaching)
{
    // An entry of length 0, or with the same start as its successor, gives way to the
    // successor. Otherwise an entry is stretched to where the next one of its kind begins, and
    // two neighbours of the same unit become one.
    std::vector<TMfSegment> merged;
    for (size_t i = 0; i < segments.size(); ++i) {
        TMfSegment& entry = segments[i];
        if (i + 1 == segments.size()) {
            merged.push_back(entry);
            break;
        }
        TMfSegment& next = segments[i + 1];
        if (entry.length == 0 || entry.start == next.start)
            continue;
        const bool reaches = uint64_t(entry.start) + entry.length >= next.start;
        if (entry.code == next.code && (!onlyWhenReaching || reaches)) {
            entry.length = next.start - entry.start;
            if (TextMatches(entry.unit, next.unit)) {
                next.length =
                    static_cast<uint32_t>(uint64_t(next.start) + next.length - entry.start);
                next.start = entry.start;
                continue;
            }
        }
        merged.push_back(entry);
    }
    segments = std::move(merged);
}

const TMfSegment* DebugTables::SegmentAt(bool code, uint32_t address) const
{
    // The entry of that kind with the greatest start not above the address; of entries with
    // equal starts the first, which is the longest.
    const auto key = [](const TMfSegment& s) { return std::make_tuple(!s.code, s.start); };
    const TMfSegment probe{true, code, address, 0, {}, false};
    auto it =
        std::upper_bound(segments.begin(), segments.end(), probe,
                         [&](const TMfSegment& a, const TMfSegment& b) { return key(a) < key(b); });
    if (it == segments.begin())
        return nullptr;
    --it;
    while (it != segments.begin() && key(*(it - 1)) == key(*it))
        --it;
    if (it->code != code || address - it->start >= it->length)
        return nullptr;
    return &*it;
}

} // namespace qor
