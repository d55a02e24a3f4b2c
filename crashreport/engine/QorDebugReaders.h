#pragma once
// Readers of the debug-information formats over byte views. Each fills a DebugTables and
// reports whether the source yielded information; none raises, and none reads outside its
// view: damaged or truncated data gives fewer entries or failure, so that the next source is
// tried.
#include "QorDebugTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qor {

// The packed payload (the "QOR"/"EXCEPT" resource and the ".qor" file): a header, then the
// tables packed as a compressed string and enciphered in the legacy block order with a key
// made from the payload's length.
inline constexpr std::string_view PackedDebugSignature = "qorExceptDebug";
inline constexpr uint32_t PackedMinimalFlag = 1;

struct PackedDebugHeader {
    uint32_t version = 0;
    uint32_t payloadLength = 0;
    uint32_t fingerprintA = 0;
    uint32_t fingerprintB = 0;
    uint32_t flags = 0;
    size_t payloadOffset = 0;
};

std::optional<PackedDebugHeader> ReadPackedDebugHeader(std::string_view data);
// "$" and eight lower-case hexadecimal digits of the data's whole length and both values,
// joined by ", " (31 characters).
std::string PackedDebugFingerprint(size_t dataLength, uint32_t a, uint32_t b);
// The cipher key of a payload of that length.
std::string PackedDebugKey(uint32_t payloadLength);
// Checks the fingerprint against the one the tables hold (when they hold one), clears it
// unless the data is the minimal form, and reads the tables.
bool ReadPackedDebugInfo(std::string_view data, DebugTables& tables);

// The ".bdbg" binary debug file.
bool ReadBdbgFile(std::string_view data, DebugTables& tables);

// TD32 debug symbols, from the debug data's signature ("FB09" or "FB0A") on; only for
// modules with one code section.
bool ReadTd32Data(std::string_view data, DebugTables& tables);

// The linker's detailed map text (".map"). Succeeds for any text it is given.
bool ReadMapText(std::string_view text, DebugTables& tables);

} // namespace qor
