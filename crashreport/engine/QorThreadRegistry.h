#pragma once
// The thread registry (Windows): names, creators and handles of the process's threads in the
// per-process shared `ThreadNameBuffer` ("qorExceptThreadNameBuf$<process id in hex>"), which
// every module of the process that carries the engine opens; the texts that name threads in a
// report; the list of the process's threads; opening a thread by id.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qor {

// One registered thread, a block of the process's local heap. Blocks written by older engines
// are shorter: a reader checks the block's size before it reads the fields after `Next`
// (class name, creator) and before `Handle`.
struct ThreadRecord {
    uint32_t ThreadId;
    char* Name; // own block, may be empty
    ThreadRecord* Next;
    char* ClassName; // own block, may be empty
    uintptr_t CreatorAddress;
    uint32_t CreatorThreadId;
    HANDLE Handle; // synchronisation and query access: shows when the thread has ended
};

struct ThreadNameBuffer {
    HANDLE WatchdogMutex; // the freeze watchdog's
    HANDLE RegistryMutex; // guards the record list
    ThreadRecord* First;  // newest first
    LONG ReferenceCount;  // modules that opened the buffer
    HANDLE Mapping;       // as created by the first module
};

// Creates or opens the buffer. The creator registers the first listed thread as "main thread";
// `mainThreadId` is that thread, or for a later module the thread of the oldest record. False
// when the mapping can be neither created nor opened.
bool OpenThreadNameBuffer(uint32_t& mainThreadId);
// The last module to close removes the calling thread's record and closes the buffer's handles.
void CloseThreadNameBuffer();
ThreadNameBuffer* SharedThreadNameBuffer();

// Adds, replaces or (with neither a name nor a creator address) removes a thread's record;
// values not given are kept from the old record. A thread that cannot be opened gets no record.
void SetThreadRecord(uint32_t threadId, HANDLE thread, const char* name, uint32_t creatorThreadId,
                     uintptr_t creatorAddress, const char* className);
void SetThreadName(uint32_t threadId, const char* name);
// The text naming a thread in a report: "name ($id)", "thread $id (class)", or empty for the
// engine's own threads unless `showEngineThreads`.
void ThreadDescription(uint32_t threadId, bool showEngineThreads, uintptr_t& creatorAddress,
                       std::string& text, uint32_t& creatorThreadId);
// The process's threads in the order the system lists them.
void ListProcessThreads(std::vector<uint32_t>& threadIds);
HANDLE OpenThreadById(uint32_t threadId, DWORD access);

} // namespace qor
