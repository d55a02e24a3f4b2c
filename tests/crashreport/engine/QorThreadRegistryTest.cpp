// The thread registry under Wine: records in the shared buffer, the report texts, housekeeping,
// records of older engines, and a second module (SettingsTestLibrary.dll) sharing the buffer.
#include "QorSettingsTable.h"
#include "QorStrings.h"
#include "QorThreadRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>

using namespace qor;

namespace {

std::string Hex(uint32_t id)
{
    return FormatHex(id, 1, '0');
}

std::string Description(uint32_t id, bool showAll = false)
{
    uintptr_t creator = 0;
    uint32_t creatorThread = 0;
    std::string text;
    ThreadDescription(id, showAll, creator, text, creatorThread);
    return text;
}

// A thread that waits until it is told to end.
class WaitingThread {
public:
    WaitingThread()
        : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          handle_(CreateThread(nullptr, 0, Run, event_, 0, &id_))
    {
    }
    ~WaitingThread()
    {
        End();
        CloseHandle(handle_);
        CloseHandle(event_);
    }
    void End()
    {
        SetEvent(event_);
        WaitForSingleObject(handle_, INFINITE);
    }
    uint32_t Id() const { return id_; }
    HANDLE Handle() const { return handle_; }

private:
    static DWORD WINAPI Run(void* event)
    {
        WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
        return 0;
    }
    HANDLE event_;
    DWORD id_ = 0;
    HANDLE handle_;
};

class ThreadRegistry : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenThreadNameBuffer(mainThread_)); }
    void TearDown() override { CloseThreadNameBuffer(); }
    uint32_t mainThread_ = 0;
};

} // namespace

TEST_F(ThreadRegistry, TheFirstListedThreadIsTheMainThread)
{
    std::vector<uint32_t> threads;
    ListProcessThreads(threads);
    ASSERT_FALSE(threads.empty());
    EXPECT_EQ(mainThread_, threads.front());
    EXPECT_NE(std::find(threads.begin(), threads.end(), GetCurrentThreadId()), threads.end());
    EXPECT_EQ(Description(mainThread_), "main thread (" + Hex(mainThread_) + ")");
    EXPECT_EQ(SharedThreadNameBuffer()->ReferenceCount, 1);
}

TEST_F(ThreadRegistry, NamesCreatorsAndEngineThreads)
{
    WaitingThread worker;
    SetThreadRecord(worker.Id(), worker.Handle(), "", GetCurrentThreadId(), 0x401000, "TWorker");
    uintptr_t creator = 0;
    uint32_t creatorThread = 0;
    std::string text;
    ThreadDescription(worker.Id(), false, creator, text, creatorThread);
    EXPECT_EQ(text, "thread " + Hex(worker.Id()) + " (TWorker)");
    EXPECT_EQ(creator, 0x401000u);
    EXPECT_EQ(creatorThread, GetCurrentThreadId());
    // Renaming keeps the creator and the class name.
    SetThreadName(worker.Id(), "uploader");
    ThreadDescription(worker.Id(), false, creator, text, creatorThread);
    EXPECT_EQ(text, "uploader (" + Hex(worker.Id()) + ")");
    EXPECT_EQ(creator, 0x401000u);
    EXPECT_EQ(creatorThread, GetCurrentThreadId());
    // The engine's own threads are left out unless asked for.
    for (const char* name : {"-", "AntiFreezeThread", "HandleExceptionThread"}) {
        SetThreadName(worker.Id(), name);
        EXPECT_EQ(Description(worker.Id()), "") << name;
    }
    SetThreadName(worker.Id(), "-");
    EXPECT_EQ(Description(worker.Id(), true), "thread " + Hex(worker.Id()) + " (TWorker)");
    SetThreadName(worker.Id(), "AntiFreezeThread");
    EXPECT_EQ(Description(worker.Id(), true), "AntiFreezeThread (" + Hex(worker.Id()) + ")");
    // Neither a name nor a creator removes the record.
    SetThreadRecord(worker.Id(), nullptr, nullptr, 0, 0, nullptr);
    EXPECT_EQ(Description(worker.Id()), "thread " + Hex(worker.Id()));
}

TEST_F(ThreadRegistry, AThreadThatCannotBeOpenedGetsNoRecord)
{
    const uint32_t noSuchThread = 0x7FFFFFF0u;
    SetThreadName(noSuchThread, "ghost");
    EXPECT_EQ(Description(noSuchThread), "thread " + Hex(noSuchThread));
}

TEST_F(ThreadRegistry, RecordsOfEndedThreadsGoAtTheNextChange)
{
    WaitingThread worker;
    SetThreadName(worker.Id(), "short-lived");
    worker.End();
    EXPECT_EQ(Description(worker.Id()), "short-lived (" + Hex(worker.Id()) + ")");
    SetThreadName(GetCurrentThreadId(), "test thread");
    EXPECT_EQ(Description(worker.Id()), "thread " + Hex(worker.Id()));
    SetThreadRecord(GetCurrentThreadId(), nullptr, nullptr, 0, 0, nullptr);
}

TEST_F(ThreadRegistry, RecordsOfAnOlderLayoutAreReadWithoutCreatorFields)
{
    // An older engine's record: id, name and next only (12 bytes in the 32-bit program).
    ThreadNameBuffer* buffer = SharedThreadNameBuffer();
    const size_t shortSize = offsetof(ThreadRecord, ClassName);
    auto* record = static_cast<ThreadRecord*>(LocalAlloc(LPTR, shortSize));
    auto* name = static_cast<char*>(LocalAlloc(LPTR, 4));
    std::memcpy(name, "old", 3);
    record->ThreadId = 0x1234;
    record->Name = name;
    WaitForSingleObject(buffer->RegistryMutex, INFINITE);
    record->Next = buffer->First;
    buffer->First = record;
    ReleaseMutex(buffer->RegistryMutex);

    uintptr_t creator = 1;
    uint32_t creatorThread = 1;
    std::string text;
    ThreadDescription(0x1234, false, creator, text, creatorThread);
    EXPECT_EQ(text, "old ($1234)");
    EXPECT_EQ(creator, 0u);
    EXPECT_EQ(creatorThread, 0u);
    // Removing it frees only what the short block holds.
    SetThreadRecord(0x1234, nullptr, nullptr, 0, 0, nullptr);
    EXPECT_EQ(Description(0x1234), "thread $1234");
}

TEST_F(ThreadRegistry, ASecondModuleSharesTheBuffer)
{
    const HMODULE library = LoadLibraryA("SettingsTestLibrary.dll");
    ASSERT_NE(library, nullptr);
    const auto open = reinterpret_cast<bool (*)(uint32_t*)>(
        reinterpret_cast<void*>(GetProcAddress(library, "LibraryOpenThreadNameBuffer")));
    const auto close = reinterpret_cast<void (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "LibraryCloseThreadNameBuffer")));
    ASSERT_TRUE(open && close);
    // A newer record than "main thread": the library still finds the oldest.
    SetThreadName(GetCurrentThreadId(), "test thread");
    uint32_t libraryMain = 0;
    ASSERT_TRUE(open(&libraryMain));
    EXPECT_EQ(SharedThreadNameBuffer()->ReferenceCount, 2);
    EXPECT_EQ(libraryMain, mainThread_);
    close();
    EXPECT_EQ(SharedThreadNameBuffer()->ReferenceCount, 1);
    EXPECT_EQ(Description(GetCurrentThreadId()), "test thread (" + Hex(GetCurrentThreadId()) + ")");
    FreeLibrary(library);
}
