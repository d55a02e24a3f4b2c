#include "QorThreadWrappers.h"

#include <string>

#include "GuardedRead.h"
#include "QorPatching.h"
#include "QorPipeline.h"
#include "QorThreadRegistry.h"
#include "QorThreadHold.h"

namespace qor {

namespace {

struct ThreadStart {
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};

uintptr_t realCreateThread = 0;
uintptr_t realQueueUserWorkItem = 0;
uintptr_t realGetMessageA = 0;
uintptr_t realPeekMessageA = 0;
uintptr_t realGetMessageW = 0;
uintptr_t realPeekMessageW = 0;

using CreateThreadProc = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE,
                                         LPVOID, DWORD, LPDWORD);
using QueueUserWorkItemProc = BOOL(WINAPI*)(LPTHREAD_START_ROUTINE, PVOID, ULONG);
using GetMessageProc = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
using PeekMessageProc = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);

bool InSystemFolder(uintptr_t address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(address), &module))
        return false;
    char path[MAX_PATH] = "";
    char system[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    const UINT length = GetSystemDirectoryA(system, sizeof system);
    return length > 0 &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, static_cast<int>(length), system,
                          static_cast<int>(length)) == CSTR_EQUAL;
}

// The code that created the thread: the first return address in the frame chain above the
// hook that lies outside the system's own libraries (the run time's thread-start routine
// calls CreateThread for the program).
uintptr_t CreatorAddress(uintptr_t framePointer)
{
    for (int depth = 0; depth < 8 && framePointer; ++depth) {
        uintptr_t frame[2] = {};
        if (!GuardedRead(framePointer, frame, sizeof frame) || frame[0] <= framePointer)
            return 0;
        if (frame[1] && !InSystemFolder(frame[1]))
            return frame[1];
        framePointer = frame[0];
    }
    return 0;
}

DWORD RunGuarded(ThreadStart* start)
{
    const ThreadStart copy = *start;
    delete start;
    try {
        return copy.routine(copy.parameter);
    } catch (...) {
        ExceptionArguments escaped;
        escaped.origin = 16;
        ProcessException(escaped);
        return 0xFFFFFFFF;
    }
}

DWORD WINAPI ThreadFrame(LPVOID parameter)
{
    const DWORD result = RunGuarded(static_cast<ThreadStart*>(parameter));
    SetThreadRecord(GetCurrentThreadId(), nullptr, nullptr, 0, 0, nullptr);
    return result;
}

DWORD WINAPI WorkItemFrame(LPVOID parameter)
{
    return RunGuarded(static_cast<ThreadStart*>(parameter));
}

BOOL WINAPI GetMessageHookA(LPMSG message, HWND window, UINT first, UINT last)
{
    PauseIfHeld();
    return reinterpret_cast<GetMessageProc>(realGetMessageA)(message, window, first, last);
}

BOOL WINAPI GetMessageHookW(LPMSG message, HWND window, UINT first, UINT last)
{
    PauseIfHeld();
    return reinterpret_cast<GetMessageProc>(realGetMessageW)(message, window, first, last);
}

BOOL WINAPI PeekMessageHookA(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    PauseIfHeld();
    return reinterpret_cast<PeekMessageProc>(realPeekMessageA)(message, window, first, last,
                                                               remove);
}

BOOL WINAPI PeekMessageHookW(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    PauseIfHeld();
    return reinterpret_cast<PeekMessageProc>(realPeekMessageW)(message, window, first, last,
                                                               remove);
}

struct MessageHook {
    const char* name;
    uintptr_t* previous;
    uintptr_t replacement;
};

const MessageHook messageHooks[] = {
    {"GetMessageA", &realGetMessageA, reinterpret_cast<uintptr_t>(&GetMessageHookA)},
    {"PeekMessageA", &realPeekMessageA, reinterpret_cast<uintptr_t>(&PeekMessageHookA)},
    {"GetMessageW", &realGetMessageW, reinterpret_cast<uintptr_t>(&GetMessageHookW)},
    {"PeekMessageW", &realPeekMessageW, reinterpret_cast<uintptr_t>(&PeekMessageHookW)},
};

} // namespace

HANDLE WINAPI CreateThreadHook(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                               LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                               LPDWORD threadId)
{
    const uintptr_t creator =
        CreatorAddress(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    auto* start = new ThreadStart{routine, parameter};
    DWORD id = 0;
    const HANDLE thread = reinterpret_cast<CreateThreadProc>(realCreateThread)(
        security, stackSize, ThreadFrame, start, flags, &id);
    if (threadId)
        *threadId = id;
    // A name the new thread may have given itself meanwhile is kept.
    if (thread)
        SetThreadRecord(id, thread, creator ? nullptr : "", GetCurrentThreadId(), creator, nullptr);
    else
        delete start;
    return thread;
}

BOOL WINAPI QueueUserWorkItemHook(LPTHREAD_START_ROUTINE routine, PVOID context, ULONG flags)
{
    auto* start = new ThreadStart{routine, context};
    const BOOL queued =
        reinterpret_cast<QueueUserWorkItemProc>(realQueueUserWorkItem)(WorkItemFrame, start, flags);
    if (!queued)
        delete start;
    return queued;
}

void InstallThreadWrappers()
{
    PatchSystemFunction("kernel32.dll", "CreateThread",
                        reinterpret_cast<uintptr_t>(&CreateThreadHook), realCreateThread);
    PatchSystemFunction("kernel32.dll", "QueueUserWorkItem",
                        reinterpret_cast<uintptr_t>(&QueueUserWorkItemHook), realQueueUserWorkItem);
}

void RemoveThreadWrappers()
{
    UnpatchSystemFunction(realCreateThread, reinterpret_cast<uintptr_t>(&CreateThreadHook));
    UnpatchSystemFunction(realQueueUserWorkItem,
                          reinterpret_cast<uintptr_t>(&QueueUserWorkItemHook));
}

void InstallMessageHooks()
{
    for (const MessageHook& hook : messageHooks)
        PatchSystemFunction("user32.dll", hook.name, hook.replacement, *hook.previous);
}

void RemoveMessageHooks()
{
    for (const MessageHook& hook : messageHooks)
        UnpatchSystemFunction(*hook.previous, hook.replacement);
}

} // namespace qor
