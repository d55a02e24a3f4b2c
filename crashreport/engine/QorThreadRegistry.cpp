#include "QorThreadRegistry.h"

#include "ExceptionPathSystem.h"
#include "QorSettingsTable.h"
#include "QorStrings.h"

#include <tlhelp32.h>

#include <cstddef>
#include <cstring>

namespace qor {

namespace {

ThreadNameBuffer* ownView = nullptr;
constexpr DWORD RecordHandleAccess = SYNCHRONIZE | THREAD_QUERY_INFORMATION;

char* CopyToLocalHeap(const char* text)
{
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    auto* copy = static_cast<char*>(LocalAlloc(LPTR, length + 1));
    if (copy != nullptr && length > 0)
        std::memcpy(copy, text, length);
    return copy;
}

// Whether a record's block reaches past `offset` (older engines wrote shorter ones).
bool HasFieldsFrom(const ThreadRecord* record, size_t offset)
{
    return LocalSize(const_cast<ThreadRecord*>(record)) > offset;
}

bool HasCreatorFields(const ThreadRecord* record)
{
    return HasFieldsFrom(record, offsetof(ThreadRecord, ClassName));
}

bool HasHandle(const ThreadRecord* record)
{
    return HasFieldsFrom(record, offsetof(ThreadRecord, Handle));
}

void FreeRecord(ThreadRecord* record)
{
    if (record->Name != nullptr)
        LocalFree(record->Name);
    if (HasCreatorFields(record) && record->ClassName != nullptr)
        LocalFree(record->ClassName);
    LocalFree(record);
}

ThreadRecord* Unlink(ThreadNameBuffer& buffer, uint32_t threadId)
{
    for (ThreadRecord** link = &buffer.First; *link != nullptr; link = &(*link)->Next) {
        if ((*link)->ThreadId == threadId) {
            ThreadRecord* record = *link;
            *link = record->Next;
            return record;
        }
    }
    return nullptr;
}

ThreadRecord* Find(ThreadNameBuffer& buffer, uint32_t threadId)
{
    for (ThreadRecord* record = buffer.First; record != nullptr; record = record->Next)
        if (record->ThreadId == threadId)
            return record;
    return nullptr;
}

// Removes the first record whose thread has ended (at most one per change).
void RemoveOneEndedThread(ThreadNameBuffer& buffer)
{
    for (ThreadRecord** link = &buffer.First; *link != nullptr; link = &(*link)->Next) {
        ThreadRecord* record = *link;
        if (HasHandle(record) && record->Handle != nullptr &&
            WaitForSingleObject(record->Handle, 0) == WAIT_OBJECT_0) {
            *link = record->Next;
            CloseHandle(record->Handle);
            FreeRecord(record);
            return;
        }
    }
}

constexpr DWORD ThreadNamingException = 0x406D1388;

// A debugger that passes the naming exception on leaves it to this guard.
LONG CALLBACK SwallowThreadNaming(EXCEPTION_POINTERS* information)
{
    return information->ExceptionRecord->ExceptionCode == ThreadNamingException
               ? EXCEPTION_CONTINUE_EXECUTION
               : EXCEPTION_CONTINUE_SEARCH;
}

bool IsEngineThreadName(const std::string& name)
{
    return name == "-" || name == "AntiFreezeThread" || name == "HandleExceptionThread";
}

} // namespace

bool OpenThreadNameBuffer(uint32_t& mainThreadId)
{
    mainThreadId = 0;
    if (ownView != nullptr)
        return true;
    SECURITY_ATTRIBUTES attributes;
    SECURITY_DESCRIPTOR descriptor;
    EveryoneSecurityAttributes(attributes, descriptor);
    const std::string name = ProcessObjectName("qorExceptThreadNameBuf", GetCurrentProcessId());
    const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                              sizeof(ThreadNameBuffer), name.c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mapping == nullptr)
        return false;
    auto* view = static_cast<ThreadNameBuffer*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ThreadNameBuffer)));
    if (view == nullptr) {
        CloseHandle(mapping);
        return false;
    }
    ownView = view;
    if (existed) {
        CloseHandle(mapping);
        InterlockedIncrement(&view->ReferenceCount);
        // The oldest registration is the creator's main thread.
        WaitForSingleObject(view->RegistryMutex, INFINITE);
        for (const ThreadRecord* record = view->First; record != nullptr; record = record->Next)
            mainThreadId = record->ThreadId;
        ReleaseMutex(view->RegistryMutex);
    } else {
        view->ReferenceCount = 1;
        view->WatchdogMutex = CreateMutexA(nullptr, FALSE, nullptr);
        view->RegistryMutex = CreateMutexA(nullptr, FALSE, nullptr);
        view->First = nullptr;
        view->Mapping = mapping;
        std::vector<uint32_t> threads;
        ListProcessThreads(threads);
        if (!threads.empty()) {
            mainThreadId = threads.front();
            SetThreadRecord(mainThreadId, nullptr, "main thread", 0, 0, nullptr);
        }
    }
    if (mainThreadId == 0)
        mainThreadId = GetCurrentThreadId();
    return true;
}

void CloseThreadNameBuffer()
{
    ThreadNameBuffer* view = ownView;
    if (view == nullptr)
        return;
    if (InterlockedDecrement(&view->ReferenceCount) == 0) {
        SetThreadRecord(GetCurrentThreadId(), nullptr, nullptr, 0, 0, nullptr);
        CloseHandle(view->Mapping);
        CloseHandle(view->WatchdogMutex);
        CloseHandle(view->RegistryMutex);
    }
    ownView = nullptr;
    UnmapViewOfFile(view);
}

ThreadNameBuffer* SharedThreadNameBuffer()
{
    return ownView;
}

void SetThreadRecord(uint32_t threadId, HANDLE thread, const char* name, uint32_t creatorThreadId,
                     uintptr_t creatorAddress, const char* className)
{
    ThreadNameBuffer* buffer = ownView;
    if (buffer == nullptr)
        return;
    WaitForSingleObject(buffer->RegistryMutex, INFINITE);
    const bool keep = name != nullptr || creatorAddress != 0;
    std::string keptName = name != nullptr ? name : "";
    std::string keptClass = className != nullptr ? className : "";
    HANDLE handle = nullptr;
    if (ThreadRecord* old = Unlink(*buffer, threadId)) {
        if (name == nullptr && old->Name != nullptr)
            keptName = old->Name;
        if (HasCreatorFields(old)) {
            if (className == nullptr && old->ClassName != nullptr)
                keptClass = old->ClassName;
            if (creatorAddress == 0)
                creatorAddress = old->CreatorAddress;
            if (creatorThreadId == 0)
                creatorThreadId = old->CreatorThreadId;
        }
        if (HasHandle(old))
            handle = old->Handle;
        FreeRecord(old);
    }
    if (keep) {
        if (handle == nullptr && thread != nullptr)
            DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &handle,
                            RecordHandleAccess, FALSE, 0);
        else if (handle == nullptr)
            handle = OpenThreadById(threadId, RecordHandleAccess);
        if (handle != nullptr) {
            auto* record = static_cast<ThreadRecord*>(LocalAlloc(LPTR, sizeof(ThreadRecord)));
            record->ThreadId = threadId;
            record->Handle = handle;
            record->Name = CopyToLocalHeap(keptName.c_str());
            record->ClassName = CopyToLocalHeap(keptClass.c_str());
            record->CreatorAddress = creatorAddress;
            record->CreatorThreadId = creatorThreadId;
            record->Next = buffer->First;
            buffer->First = record;
        }
    } else if (handle != nullptr) {
        CloseHandle(handle);
    }
    RemoveOneEndedThread(*buffer);
    ReleaseMutex(buffer->RegistryMutex);
}

void SetThreadName(uint32_t threadId, const char* name)
{
    SetThreadRecord(threadId, nullptr, name != nullptr ? name : "", 0, 0, nullptr);
    // The debugger's thread-naming convention; without a debugger nothing is raised.
    if (name != nullptr && name[0] != 0 && IsDebuggerPresent()) {
        const ULONG_PTR arguments[4] = {0x1000, reinterpret_cast<ULONG_PTR>(name), threadId, 0};
        void* const guard = AddVectoredExceptionHandler(1, SwallowThreadNaming);
        RaiseException(ThreadNamingException, 0, 4, arguments);
        RemoveVectoredExceptionHandler(guard);
    }
}

void ThreadDescription(uint32_t threadId, bool showEngineThreads, uintptr_t& creatorAddress,
                       std::string& text, uint32_t& creatorThreadId)
{
    creatorAddress = 0;
    creatorThreadId = 0;
    const std::string hexId = FormatHex(threadId, 1, '0');
    ThreadNameBuffer* buffer = ownView;
    // A report is never blocked by a stuck registry.
    if (buffer == nullptr || WaitForSingleObject(buffer->RegistryMutex, 50) != WAIT_OBJECT_0) {
        text = "thread " + hexId;
        return;
    }
    std::string name;
    std::string className;
    if (const ThreadRecord* record = Find(*buffer, threadId)) {
        name = record->Name != nullptr ? record->Name : "";
        if (HasCreatorFields(record)) {
            creatorAddress = record->CreatorAddress;
            creatorThreadId = record->CreatorThreadId;
            className = record->ClassName != nullptr ? record->ClassName : "";
        }
    }
    ReleaseMutex(buffer->RegistryMutex);
    if (!showEngineThreads && IsEngineThreadName(name))
        text.clear();
    else if (!name.empty() && name != "-")
        text = name + " (" + hexId + ")";
    else
        text = "thread " + hexId + (className.empty() ? "" : " (" + className + ")");
}

void ListProcessThreads(std::vector<uint32_t>& threadIds)
{
    threadIds.clear();
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    const DWORD process = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == process)
            threadIds.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
}

HANDLE OpenThreadById(uint32_t threadId, DWORD access)
{
    return OpenThread(access, TRUE, threadId);
}

} // namespace qor
