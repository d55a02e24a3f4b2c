#include "QorLibrary.h"

#include <windows.h>

#include "QorHandlers.h"
#include "QorInterception.h"
#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorThreadHold.h"
#include "QorThreadWrappers.h"
#include "QorWatchdog.h"

namespace qor {

namespace {

bool running = false;

} // namespace

void StartLibrary()
{
    if (running)
        return;
    try {
        const EngineSettingsStandIn& settings = LibrarySettings();
        SetProcessMainThreadId(GetCurrentThreadId());
        SetThreadRecord(GetCurrentThreadId(), "main thread");
        if (!settings.HasSettings || !settings.Enabled)
            return;
        running = true;
        InstallInterceptionPoints();
        StartExceptionThread();
        StartHandlerDispatch();
        if (EngineModule() == GetModuleHandleA(nullptr))
            InstallThreadWrappers();
        if (settings.CheckFreeze)
            StartFreezeWatchdog(settings.FreezeTimeout);
        CreateMemoryReserve();
    } catch (...) {
        // Start-up reports nothing: a partly started engine is taken down by StopLibrary.
    }
}

void StopLibrary()
{
    if (!running)
        return;
    running = false;
    try {
        RemoveInterceptionPoints();
        UndoAllPatches();
        StopFreezeWatchdog();
        RemoveMessageHooks();
        RemoveThreadWrappers();
        StopHandlerDispatch();
        StopExceptionThread();
        EndThreadHold();
        ReleaseMemoryReserve();
    } catch (...) {
    }
}

} // namespace qor
