#pragma once
// Shared by the debug-reader fuzz targets: the module layout they read into, and the check
// that every entry a reader made is sound.
#include "QorDebugReaders.h"

inline const qor::ModuleLayout FuzzLayout{0x00401000, 0x00480000, 0x00490000, false};

inline void CheckTables(const qor::DebugTables& tables)
{
    for (const qor::TMfSegment& segment : tables.segments)
        if (!segment.valid)
            __builtin_trap();
    for (const qor::TMfPublic& symbol : tables.publics)
        if (!symbol.valid)
            __builtin_trap();
}
