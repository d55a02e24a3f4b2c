// The running engine in one process: the handling thread and its pipe, handler dispatch into
// the main thread, the thread hold at the message functions, the freeze watchdog and the
// import slots that StopLibrary puts back.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <mutex>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "QorHandlers.h"
#include "QorLibrary.h"
#include "QorPipeline.h"
#include "QorThreadHold.h"
#include "QorThreadWrappers.h"

namespace {

using qor::IQEException;

struct Seen {
    uint32_t thread;
    uint8_t kind;
    uint8_t origin;
    uintptr_t related;
};
std::mutex seenLock;
std::vector<Seen> seen;
std::atomic<int> running{0};
std::atomic<bool> overlapped{false};

void Record(IQEException& exception, bool&)
{
    if (running.fetch_add(1) != 0)
        overlapped = true;
    Sleep(5);
    {
        std::lock_guard<std::mutex> guard(seenLock);
        seen.push_back({GetCurrentThreadId(), exception.ReportKind, exception.Origin,
                        exception.AssociatedObject});
    }
    running.fetch_sub(1);
}

std::vector<Seen> SeenSoFar()
{
    std::lock_guard<std::mutex> guard(seenLock);
    return seen;
}

class EnginePipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        seen.clear();
        overlapped = false;
        qor::LibrarySettings() = {};
    }
    void TearDown() override
    {
        qor::StopLibrary();
        for (auto handler : registered)
            qor::UnregisterExceptionHandler(handler);
    }
    void Start() { qor::StartLibrary(); }
    void Handle(qor::ExceptionHandlerProc handler, qor::SyncMode mode, uint8_t stage = 1)
    {
        qor::RegisterExceptionHandler(handler, mode, stage);
        registered.push_back(handler);
    }
    static void Report(uintptr_t related = 0, uint8_t origin = 16)
    {
        qor::ExceptionArguments arguments;
        arguments.message = "test";
        arguments.origin = origin;
        arguments.relatedObject = related;
        qor::ProcessException(arguments);
    }
    std::vector<qor::ExceptionHandlerProc> registered;
};

TEST_F(EnginePipelineTest, ReportsOfSeveralThreadsAreHandledOneAfterTheOther)
{
    Start();
    Handle(Record, qor::syncNone);
    std::vector<std::thread> threads;
    for (uintptr_t i = 1; i <= 6; ++i)
        threads.emplace_back([i] { Report(i); });
    for (auto& thread : threads)
        thread.join();
    const std::vector<Seen> all = SeenSoFar();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_FALSE(overlapped);
    std::map<uintptr_t, int> perReport;
    for (const Seen& one : all) {
        EXPECT_EQ(one.thread, qor::ExceptionThreadId());
        ++perReport[one.related];
    }
    EXPECT_EQ(perReport.size(), 6u);
}

HANDLE releaseHandler = nullptr;
DWORD mainThread = 0;

void PostQuitAndWait(IQEException&, bool&)
{
    PostThreadMessageA(mainThread, WM_QUIT, 42, 0);
    WaitForSingleObject(releaseHandler, 10000);
    std::lock_guard<std::mutex> guard(seenLock);
    seen.push_back({GetCurrentThreadId(), 0, 0, 0});
}

TEST_F(EnginePipelineTest, AQuitMessageEndsTheMainThreadsWaitAndIsPostedAgain)
{
    Start();
    mainThread = GetCurrentThreadId();
    releaseHandler = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Handle(PostQuitAndWait, qor::syncNone);
    Report();
    // Back while the handler still runs; the quit message waits for the program's own loop.
    EXPECT_TRUE(SeenSoFar().empty());
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 42u);
    SetEvent(releaseHandler);
    for (int i = 0; i < 500 && SeenSoFar().empty(); ++i)
        Sleep(10);
    EXPECT_EQ(SeenSoFar().size(), 1u);
    qor::StopLibrary();
    CloseHandle(releaseHandler);
}

TEST_F(EnginePipelineTest, MainThreadHandlersRunInTheWaitingMainThread)
{
    Start();
    Handle(Record, qor::syncMainThread);
    Report();
    const std::vector<Seen> all = SeenSoFar();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].thread, GetCurrentThreadId());
}

constexpr UINT reportFromWindow = WM_APP + 7;
HWND reportingWindow = nullptr;

LRESULT CALLBACK ReportingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == reportFromWindow) {
        qor::ExceptionArguments arguments;
        arguments.message = "from a window procedure";
        arguments.origin = 5;
        arguments.relatedObject = 2;
        qor::ProcessException(arguments);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RecordAndPostToWindow(IQEException& exception, bool& handled)
{
    Record(exception, handled);
    if (exception.AssociatedObject == 1)
        PostMessageA(reportingWindow, reportFromWindow, 0, 0);
}

TEST_F(EnginePipelineTest, AReportFromAWindowProcedureWhileTheMainThreadWaitsIsHandledToo)
{
    Start();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReportingWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "EnginePipelineReporter";
    RegisterClassA(&windowClass);
    reportingWindow = CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(reportingWindow);
    Handle(RecordAndPostToWindow, qor::syncNone);
    Report(1);
    // The first wait may end before the window's message arrives: pump until both are in.
    for (int i = 0; i < 500 && SeenSoFar().size() < 2; ++i) {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    const std::vector<Seen> all = SeenSoFar();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].related, 1u);
    EXPECT_EQ(all[1].related, 2u);
    DestroyWindow(reportingWindow);
}

void RecordMainOnly(IQEException& exception, bool& handled)
{
    Record(exception, handled);
}

void RecordMainOrCurrent(IQEException& exception, bool& handled)
{
    exception.AssociatedObject = 99;
    Record(exception, handled);
}

TEST_F(EnginePipelineTest, AMainThreadThatDoesNotAnswerLeavesOnlyTheFallbackHandlers)
{
    Start();
    Handle(RecordMainOnly, qor::syncMainThread);
    Handle(RecordMainOrCurrent, qor::syncMainOrCurrent);
    // The main thread waits for the reporting thread without dispatching messages.
    std::thread reporter([] { Report(); });
    reporter.join();
    const std::vector<Seen> all = SeenSoFar();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].related, 99u);
    EXPECT_EQ(all[0].thread, qor::ExceptionThreadId());
}

TEST_F(EnginePipelineTest, WithTheLoaderLockHeldTheReportIsHandledInPlace)
{
    using LockProc = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
    using UnlockProc = LONG(NTAPI*)(ULONG, ULONG_PTR);
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto lock = reinterpret_cast<LockProc>(GetProcAddress(ntdll, "LdrLockLoaderLock"));
    const auto unlock = reinterpret_cast<UnlockProc>(GetProcAddress(ntdll, "LdrUnlockLoaderLock"));
    ASSERT_TRUE(lock && unlock);
    Start();
    Handle(Record, qor::syncNone);
    std::thread reporter([&] {
        ULONG_PTR cookie = 0;
        ASSERT_EQ(lock(0, nullptr, &cookie), 0);
        EXPECT_TRUE(qor::LoaderLockHeld(0));
        Report();
        unlock(0, cookie);
        const std::vector<Seen> all = SeenSoFar();
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].thread, GetCurrentThreadId());
    });
    reporter.join();
    EXPECT_FALSE(qor::LoaderLockHeld(0));
}

TEST_F(EnginePipelineTest, TheStopRequestEndsTheHandlingThread)
{
    Start();
    const DWORD id = qor::ExceptionThreadId();
    ASSERT_NE(id, 0u);
    const HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
    ASSERT_TRUE(thread);
    qor::StopLibrary();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    EXPECT_EQ(qor::ExceptionThreadId(), 0u);
    CloseHandle(thread);
}

// Every import slot of every loaded module, by slot address.
std::map<uintptr_t, uintptr_t> ImportSlots()
{
    std::map<uintptr_t, uintptr_t> slots;
    HMODULE modules[512];
    DWORD needed = 0;
    using EnumProc = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    const auto enumerate =
        reinterpret_cast<EnumProc>(GetProcAddress(LoadLibraryA("psapi.dll"), "EnumProcessModules"));
    if (!enumerate || !enumerate(GetCurrentProcess(), modules, sizeof modules, &needed))
        return slots;
    for (DWORD m = 0; m < needed / sizeof(HMODULE); ++m) {
        const auto base = reinterpret_cast<const uint8_t*>(modules[m]);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& directory =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!directory.VirtualAddress)
            continue;
        for (const auto* descriptor =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
             descriptor->Name; ++descriptor)
            for (const auto* slot =
                     reinterpret_cast<const ULONG_PTR*>(base + descriptor->FirstThunk);
                 *slot; ++slot)
                slots[reinterpret_cast<uintptr_t>(slot)] = *slot;
    }
    return slots;
}

TEST_F(EnginePipelineTest, StopLibraryPutsEveryImportSlotBack)
{
    const std::map<uintptr_t, uintptr_t> before = ImportSlots();
    ASSERT_FALSE(before.empty());
    Start();
    qor::HoldThreads(true, 0); // the first hold installs the message hooks
    qor::HoldThreads(false, 0);
    const std::map<uintptr_t, uintptr_t> during = ImportSlots();
    int hooked = 0;
    for (const auto& [slot, value] : during)
        if (value == reinterpret_cast<uintptr_t>(&qor::CreateThreadHook))
            ++hooked;
    EXPECT_GT(hooked, 0);
    EXPECT_NE(before, during);
    qor::StopLibrary();
    // Modules loaded meanwhile bring slots of their own; every slot that existed before holds
    // its value again, and none is left pointing at a hook.
    const std::map<uintptr_t, uintptr_t> after = ImportSlots();
    int changed = 0, stillHooked = 0;
    for (const auto& [slot, value] : before) {
        const auto now = after.find(slot);
        changed += now != after.end() && now->second != value;
    }
    for (const auto& [slot, value] : after)
        stillHooked += value == reinterpret_cast<uintptr_t>(&qor::CreateThreadHook);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(stillHooked, 0);
}

std::atomic<long> fetching{0};
std::atomic<long> working{0};
std::atomic<bool> stopWorkers{false};
long fetchingWhileHeld[2];
long workingWhileHeld[2];

DWORD WINAPI FetchingThread(void*)
{
    while (!stopWorkers) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
        ++fetching;
        Sleep(1);
    }
    return 0;
}

DWORD WINAPI WorkingThread(void*)
{
    while (!stopWorkers) {
        ++working;
        Sleep(1);
    }
    return 0;
}

void SampleWhileHeld(IQEException&, bool&)
{
    Sleep(50); // the fetching thread reaches its hold point
    fetchingWhileHeld[0] = fetching;
    workingWhileHeld[0] = working;
    Sleep(200);
    fetchingWhileHeld[1] = fetching;
    workingWhileHeld[1] = working;
}

TEST_F(EnginePipelineTest, HeldThreadsStopInTheirMessageFunctionsAndOthersGoOn)
{
    qor::LibrarySettings().PauseThreads = true;
    Start();
    Handle(SampleWhileHeld, qor::syncNone, 2);
    stopWorkers = false;
    // The message hooks come with the first hold; a loop started before them may keep the
    // import slot's old value in a register.
    qor::HoldThreads(true, GetCurrentThreadId());
    qor::HoldThreads(false, 0);
    // Created through the program's import slots, so by the engine's thread wrapper.
    HANDLE threads[2] = {CreateThread(nullptr, 0, FetchingThread, nullptr, 0, nullptr),
                         CreateThread(nullptr, 0, WorkingThread, nullptr, 0, nullptr)};
    while (fetching < 5 || working < 5)
        Sleep(1);
    std::thread reporter([] { Report(); });
    reporter.join();
    EXPECT_LE(fetchingWhileHeld[1] - fetchingWhileHeld[0], 1);
    EXPECT_GT(workingWhileHeld[1] - workingWhileHeld[0], 10);
    // Released afterwards.
    const long after = fetching;
    while (fetching < after + 5)
        Sleep(1);
    stopWorkers = true;
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
}

TEST_F(EnginePipelineTest, TheHookedMessageFunctionsKeepTheLastErrorCode)
{
    MSG message;
    SetLastError(4321);
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    const DWORD withoutHook = GetLastError();
    Start();
    qor::HoldThreads(true, GetCurrentThreadId());
    qor::HoldThreads(false, 0);
    SetLastError(4321);
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_EQ(GetLastError(), withoutHook);
}

void RecordFreeze(IQEException& exception, bool& handled)
{
    if (exception.ReportKind == qor::kindFrozen)
        Record(exception, handled);
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(5);
    }
}

TEST_F(EnginePipelineTest, AMainThreadThatStopsAnsweringGivesOneFreezeReport)
{
    qor::LibrarySettings().CheckFreeze = true;
    qor::LibrarySettings().FreezeTimeout = 1000; // a ping every 100 ms, a report after ten
    Start();
    Handle(RecordFreeze, qor::syncNone);
    PumpFor(1500);
    Sleep(600); // busy for less than the time-out
    PumpFor(200);
    EXPECT_TRUE(SeenSoFar().empty());
    // Ten misses report at about 1000 ms; the next report would need 1500 ms more.
    Sleep(1900);
    PumpFor(100);
    const std::vector<Seen> all = SeenSoFar();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].origin, 1);
}

std::vector<uint8_t> actions;

void RecordAction(uint8_t action, IQEException&, bool&)
{
    std::lock_guard<std::mutex> guard(seenLock);
    actions.push_back(action);
}

void Raise(IQEException&, bool&)
{
    throw std::runtime_error("a failing handler");
}

void TakeOver(IQEException&, bool& handled)
{
    handled = true;
}

void CountCall(IQEException& exception, bool& handled)
{
    Record(exception, handled);
}

TEST_F(EnginePipelineTest, HandlersDecideByStage)
{
    Start();
    qor::RegisterActionHandler(RecordAction, qor::syncNone);
    struct Case {
        const char* name;
        uint8_t takeOverStage; // 0: none
        size_t calls;          // of the counting handlers at stages 1 to 3
        std::vector<uint8_t> actions;
    };
    const Case cases[] = {
        // Nobody takes it over: every stage runs, then the automatic buttons go on.
        {"none", 0, 3, {qor::actionContinue}},
        // Taken over at stage 2: the exception goes on without the automatic buttons.
        {"stage 2", 2, 2, {}},
        // Stage 3 cannot take it over: late handlers are told only.
        {"stage 3", 3, 3, {qor::actionContinue}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        actions.clear();
        // A raising handler first at every stage does not keep the others from running.
        for (uint8_t stage = 1; stage <= 3; ++stage) {
            qor::RegisterExceptionHandler(Raise, qor::syncNone, stage);
            qor::RegisterExceptionHandler(CountCall, qor::syncNone, stage);
        }
        if (c.takeOverStage)
            qor::RegisterExceptionHandler(TakeOver, qor::syncNone, c.takeOverStage);
        Report();
        qor::UnregisterExceptionHandler(Raise);
        qor::UnregisterExceptionHandler(CountCall);
        qor::UnregisterExceptionHandler(TakeOver);
        EXPECT_EQ(SeenSoFar().size(), c.calls);
        EXPECT_EQ(actions, c.actions);
    }
    qor::UnregisterActionHandler(RecordAction);
}

} // namespace
