#pragma once
// The writer of the packed debug payload that QorPackedDebug reads: the build tool (dbgpack)
// makes the program's "QOR"/"EXCEPT" resource and its ".qor" file with it.
#include "QorDebugTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qor {

// Addresses relative to the module's code base; publics and lines in address order.
struct PackedDebugContent {
    std::vector<TMfSegment> segments;
    std::vector<TMfPublic> publics;
    std::vector<TMfLine> lines;
    std::optional<uint32_t> entryPoint;
};

// The decoded tables; the minimal form writes no names (each segment keeps its line-numbers
// flag instead).
std::string PackedDebugTables(const PackedDebugContent& content, bool minimal);

struct PackedDebugHeaderFields {
    uint32_t version = 3;
    uint32_t fingerprintA = 0;
    uint32_t fingerprintB = 0;
    uint32_t flags = 0;
};

// The whole data: header, then the tables packed as a compressed string and enciphered with
// the key made from the payload's length. Empty when the tables cannot be packed.
std::string PackedDebugData(const std::string& tables, const PackedDebugHeaderFields& fields);

} // namespace qor
