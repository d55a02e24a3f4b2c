// STAND-IN, to be replaced at merge: the least of the engine's settings (`IQEModuleSettings`)
// and the thread registry (`SetThreadRecord`) that the pipeline needs while those are built on
// other branches. Names follow theirs.
#pragma once

#include <cstdint>
#include <string>

namespace qor {

// The settings the pipeline, the thread hold, the watchdog and the automatic buttons read.
// The defaults are this program's values.
struct EngineSettingsStandIn {
    bool HasSettings = true;
    bool Enabled = true;
    bool PauseThreads = false;
    bool CheckFreeze = false;
    uint32_t FreezeTimeout = 60000;
    uint32_t AutoRestart = 0;
    uint32_t AutoClose = 0;
};
// The settings of the engine's module; the host program's settings resource in the real one.
// The unused parameter keeps this apart from the settings objects' `LibrarySettings` (QorSettings),
// which the report object links in beside it.
EngineSettingsStandIn& LibrarySettings(int = 0);

// The thread registry: names threads for the reports ("-" keeps a thread out of them) and
// keeps the code address that created each thread. A null name removes the record.
void SetThreadRecord(uint32_t threadId, const char* name, uintptr_t creatorAddress = 0);
uintptr_t ThreadCreatorAddress(uint32_t threadId);

} // namespace qor
