#include "QorThreadHold.h"

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "QorHandlers.h"
#include "QorPipeline.h"
#include "QorThreadRegistry.h"
#include "QorThreadWrappers.h"

namespace qor {

namespace {

CRITICAL_SECTION suspensionLock;
volatile LONG lockExists = 0;
HANDLE mainRelease = nullptr;  // manual reset; not set while the main thread is held
HANDLE otherRelease = nullptr; // manual reset; not set while the listed threads are held
std::vector<DWORD> holdList;

std::vector<DWORD> ProcessThreads()
{
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            threads.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

void WakeMainThread()
{
    PostMessageA(reinterpret_cast<HWND>(HandlerDispatchWindow()), HandlerDispatchMessageNumber(), 1,
                 0);
}

void ResetOrCreate(HANDLE& event)
{
    if (!event)
        event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(event);
}

} // namespace

bool IsEngineThread(uint32_t threadId)
{
    uintptr_t creator = 0;
    uint32_t creatorThread = 0;
    std::string description;
    ThreadDescription(threadId, true, creator, description, creatorThread);
    HMODULE module = nullptr;
    if (!creator || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                            GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                        reinterpret_cast<LPCSTR>(creator), &module))
        return false;
    return FindResourceA(module, "EXCEPT", "QOR") != nullptr;
}

void HoldThreads(bool hold, uint32_t sparedThreadId)
{
    if (hold && InterlockedCompareExchange(&lockExists, 1, 0) == 0) {
        InitializeCriticalSection(&suspensionLock);
        InstallMessageHooks();
    }
    if (!lockExists)
        return;
    std::vector<DWORD> toHold;
    if (hold) {
        const DWORD self = GetCurrentThreadId();
        for (DWORD thread : ProcessThreads())
            if (thread != self && thread != ProcessMainThreadId() && thread != sparedThreadId &&
                IsEngineThread(thread))
                toHold.push_back(thread);
    }
    EnterCriticalSection(&suspensionLock);
    holdList = toHold;
    if (hold) {
        ResetOrCreate(mainRelease);
        ResetOrCreate(otherRelease);
    } else {
        if (mainRelease)
            SetEvent(mainRelease);
        if (otherRelease)
            SetEvent(otherRelease);
    }
    LeaveCriticalSection(&suspensionLock);
    WakeMainThread();
}

void PauseIfHeld()
{
    const DWORD lastError = GetLastError();
    if (lockExists) {
        HANDLE waitFor = nullptr;
        EnterCriticalSection(&suspensionLock);
        if (GetCurrentThreadId() == ProcessMainThreadId())
            waitFor = mainRelease;
        else if (std::find(holdList.begin(), holdList.end(), GetCurrentThreadId()) !=
                 holdList.end())
            waitFor = otherRelease;
        LeaveCriticalSection(&suspensionLock);
        if (waitFor)
            WaitForSingleObject(waitFor, INFINITE);
    }
    SetLastError(lastError);
}

bool UnblockMainThread()
{
    if (!mainRelease || WaitForSingleObject(mainRelease, 0) == WAIT_OBJECT_0)
        return false;
    SetEvent(mainRelease);
    return true;
}

void BlockMainThread()
{
    if (!mainRelease)
        return;
    ResetEvent(mainRelease);
    WakeMainThread();
}

void EndThreadHold()
{
    if (!lockExists)
        return;
    // Nobody may stay blocked: set the events before they go.
    EnterCriticalSection(&suspensionLock);
    for (HANDLE* event : {&mainRelease, &otherRelease}) {
        if (*event) {
            SetEvent(*event);
            CloseHandle(*event);
            *event = nullptr;
        }
    }
    holdList.clear();
    LeaveCriticalSection(&suspensionLock);
    DeleteCriticalSection(&suspensionLock);
    lockExists = 0;
}

} // namespace qor
