// Every thread the process creates and every queued work item starts in a frame of the
// engine that reports an exception escaping the thread routine (origin 16) and records who
// created the thread; the four message-fetch functions are hooked for the thread hold.
// Both are redirections of import slots (CreateThread, QueueUserWorkItem, GetMessageA/W,
// PeekMessageA/W) in the loaded modules.
#pragma once

#include <windows.h>

namespace qor {

void InstallThreadWrappers();
void RemoveThreadWrappers();
void InstallMessageHooks();
void RemoveMessageHooks();

HANDLE WINAPI CreateThreadHook(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize,
                               LPTHREAD_START_ROUTINE routine, LPVOID parameter, DWORD flags,
                               LPDWORD threadId);
BOOL WINAPI QueueUserWorkItemHook(LPTHREAD_START_ROUTINE routine, PVOID context, ULONG flags);

} // namespace qor
