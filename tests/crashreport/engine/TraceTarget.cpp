// The process a support tool asks for a report: it carries the engine, names a worker thread
// and waits. Arguments: the names of the event it sets when ready and of the event that ends it.
#include "QorPipeline.h"
#include "QorThreadRegistry.h"
#include "QorTraceProcess.h"

#include <windows.h>

#include <cstdio>

namespace {

HANDLE quit = nullptr;

DWORD WINAPI Worker(void*)
{
    qor::SetThreadName(GetCurrentThreadId(), "waiting worker");
    WaitForSingleObject(quit, INFINITE);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    // Keeps the export in the program (nothing else refers to it).
    volatile auto keep = &qorTraceProcess;
    (void)keep;
    uint32_t mainThread = 0;
    if (!qor::OpenThreadNameBuffer(mainThread))
        return 3;
    qor::SetProcessMainThreadId(GetCurrentThreadId());
    quit = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    const HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!quit || !ready)
        return 4;
    const HANDLE worker = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
    Sleep(50);
    SetEvent(ready);
    WaitForSingleObject(worker, INFINITE);
    qor::CloseThreadNameBuffer();
    return 0;
}
