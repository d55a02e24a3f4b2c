// A library that carries a second copy of the engine, for the tests of two copies in one
// process. It starts its copy with the freeze watchdog and counts the freeze reports its own
// handlers receive.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "QorExceptionRequest.h"
#include "QorHandlers.h"
#include "QorLibrary.h"
#include "QorPipeline.h"
#include "QorSettings.h"

namespace {

std::atomic<int> freezeReports{0};
qor::IQEModuleSettings settings; // held while the copy runs: the values set stay in the store

void CountFreeze(qor::IQEException& exception, bool&)
{
    if (exception.ReportKind() == qor::kindFrozen)
        ++freezeReports;
}

} // namespace

extern "C" __declspec(dllexport) void StartEngineCopy(uint32_t freezeTimeout)
{
    settings = qor::ModuleSettings(qor::EngineModule());
    settings->SetBoolProp("CheckFreeze", true);
    settings->SetIntProp("FreezeTimeout", static_cast<int32_t>(freezeTimeout));
    qor::StartLibrary();
    qor::RegisterExceptionHandler(CountFreeze, qor::syncNone, 1);
}

extern "C" __declspec(dllexport) void StopEngineCopy()
{
    qor::UnregisterExceptionHandler(CountFreeze);
    qor::StopLibrary();
    settings.reset();
}

// The thread the copy takes for the process's main thread.
extern "C" __declspec(dllexport) uint32_t EngineCopyMainThread()
{
    return qor::ProcessMainThreadId();
}

extern "C" __declspec(dllexport) int EngineCopyFreezeReports()
{
    return freezeReports.load();
}
