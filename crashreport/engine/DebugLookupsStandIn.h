// Stand-in for the lookups of the module's debug-information store (TMapFile's SegmentAt,
// PublicAt, LineAt and LocatePublic) over filled DebugTables, until that store is merged; the
// stack tracer asks a module's debug information through TraceDebugInfo only, so the real
// store replaces this file by an adapter of the same shape.
#pragma once

#include <memory>
#include <string>

#include "QorDebugTables.h"
#include "StackTracer.h"

namespace qor {

class DebugTablesLookup final : public TraceDebugInfo {
public:
    // Sorts the tables' publics and lines (the lookups are binary searches).
    explicit DebugTablesLookup(DebugTables tables);

    TMfSegment SegmentAt(bool code, uint32_t address) const override;
    // The public with the greatest address not above `address`, when the next public lies above
    // it or, for the last one, the code end is unknown or lies above the address.
    TMfPublic PublicAt(uint32_t address) const override;
    int32_t LineAt(uint32_t address, uint32_t& nextLine) const override;
    uint32_t LocatePublic(bool code, const std::string& unit, const std::string& name,
                          bool caseSensitive) const override;
    std::string Fingerprint() const override { return tables_.fingerprint; }

    const DebugTables& Tables() const { return tables_; }

private:
    DebugTables tables_;
};

// The debug information of a loaded module (the store's per-process cache, MapFileOf); the
// stand-in knows none, so traces of the running process name no routines until the store is
// merged.
std::shared_ptr<const TraceDebugInfo> ModuleDebugInfo(uint32_t moduleHandle,
                                                      const std::string& moduleFileName);

} // namespace qor
