// A library that carries a second copy of the engine, for the tests of two copies in one
// process. It starts its copy with the freeze watchdog and counts the freeze reports its own
// handlers receive.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "QorExceptionRequest.h"
#include "QorHandlers.h"
#include "QorLibrary.h"
#include "QorReportStandIn.h"

namespace {

std::atomic<int> freezeReports{0};

void CountFreeze(qor::IQEException& exception, bool&)
{
    if (exception.ReportKind() == qor::kindFrozen)
        ++freezeReports;
}

} // namespace

extern "C" __declspec(dllexport) void StartEngineCopy(uint32_t freezeTimeout)
{
    qor::LibrarySettings().CheckFreeze = true;
    qor::LibrarySettings().FreezeTimeout = freezeTimeout;
    qor::StartLibrary();
    qor::RegisterExceptionHandler(CountFreeze, qor::syncNone, 1);
}

extern "C" __declspec(dllexport) void StopEngineCopy()
{
    qor::UnregisterExceptionHandler(CountFreeze);
    qor::StopLibrary();
}

extern "C" __declspec(dllexport) int EngineCopyFreezeReports()
{
    return freezeReports.load();
}
