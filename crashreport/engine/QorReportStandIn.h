// STAND-IN, to be replaced at merge: the least of the report object (`IQEException`), the
// engine's settings (`IQEModuleSettings`) and the thread registry (`SetThreadRecord`) that the
// pipeline needs while those are built on other branches. Names follow theirs.
#pragma once

#include <cstdint>
#include <exception>
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
EngineSettingsStandIn& LibrarySettings();

// One exception while it is handled.
class IQEException {
public:
    uint8_t ReportKind = 0;
    uint8_t Origin = 0;
    bool Continuable = true;
    uint32_t FaultingThreadId = 0;
    uintptr_t ExceptAddress = 0;
    uintptr_t AssociatedObject = 0;
    uint8_t Stage = 0;
    std::exception_ptr ExceptObject;
    std::string Message; // the object's message, or the text the interception point made
    bool RunsHandlers = true;
};

// The thread registry: names threads for the reports ("-" keeps a thread out of them) and
// keeps the code address that created each thread. A null name removes the record.
void SetThreadRecord(uint32_t threadId, const char* name, uintptr_t creatorAddress = 0);
uintptr_t ThreadCreatorAddress(uint32_t threadId);

} // namespace qor
