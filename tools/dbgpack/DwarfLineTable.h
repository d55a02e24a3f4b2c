#pragma once
// A small, bounded reader of DWARF 4 and 5 line tables (.debug_line), enough for the build
// tool: the rows (address, file, line) of every sequence. Damaged data ends the reading of
// its unit; nothing is read outside the given sections.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbgpack {

struct LineRow {
    uint32_t address = 0;
    uint32_t file = 0; // index into LineTables::files
    int32_t line = 0;
    bool endSequence = false;
};

struct LineTables {
    std::vector<std::string> files; // file names without their folders, shared by all units
    std::vector<LineRow> rows;      // in the order of the line programs
};

// `lineStrings` is .debug_line_str and `strings` .debug_str (DWARF 5 file tables refer to them).
LineTables ReadLineTables(std::string_view debugLine, std::string_view lineStrings,
                          std::string_view strings);

} // namespace dbgpack
