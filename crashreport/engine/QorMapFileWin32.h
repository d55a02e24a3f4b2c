#pragma once
// The debug-information store of the running process and its lookups (Windows).
#include "FunctionListing.h"
#include "QorMapFile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qor {

DebugInfoStore& ProcessDebugInfo();

// The module's debug information; 0 means this module. Valid objects are shared with the
// cache, an invalid one is the caller's alone.
std::shared_ptr<const TMapFile> MapFileOf(uintptr_t address);
// 0 means the caller's own return address minus 1. False when the module has no debug
// information; the line is 0 when unknown.
bool AddressInfo(uintptr_t address, std::string& moduleFileName, std::string& unit,
                 std::string& routine, uint32_t& routineStart, int32_t& line);
std::string RoutineNameAt(uintptr_t address);
void CachedLineAt(uintptr_t address, int32_t& line, uintptr_t& rangeStart, uintptr_t& rangeEnd);
// The disassembler's routine-name and line-number hooks, bound to these lookups.
ListingHooks DebugInfoListingHooks();
// Frees every cached object (engine shut-down).
void StopMapFile();

} // namespace qor
