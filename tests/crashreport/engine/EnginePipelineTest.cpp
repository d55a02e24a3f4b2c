// The running engine in one process: the handling thread and its pipe, handler dispatch into
// the main thread, the thread hold at the message functions, the freeze watchdog and the
// import slots that StopLibrary puts back.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <mutex>
#include <map>
#include <memory>
#include <new>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "QorHandlers.h"
#include "QorInterception.h"
#include "QorLibrary.h"
#include "QorLoaderLock.h"
#include "QorPipeline.h"
#include "QorReport.h"
#include "QorSettings.h"
#include "QorThreadRegistry.h"
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

// `related` stands for the exception's associated object when a handler marks its own calls.
void RecordAs(IQEException& exception, uintptr_t related)
{
    if (running.fetch_add(1) != 0)
        overlapped = true;
    Sleep(5);
    {
        std::lock_guard<std::mutex> guard(seenLock);
        seen.push_back(
            {GetCurrentThreadId(), exception.ReportKind(), exception.OriginCode(), related});
    }
    running.fetch_sub(1);
}

void Record(IQEException& exception, bool&)
{
    RecordAs(exception, exception.AssociatedObject());
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
        // The program's own values again (a test's changes are lost).
        Settings()->Refresh();
    }
    void TearDown() override
    {
        qor::StopLibrary();
        for (auto handler : registered)
            qor::UnregisterExceptionHandler(handler);
    }
    void Start() { qor::StartLibrary(); }
    // The settings of the test program, the engine's module; held for the whole run, so that
    // the values a test sets stay in the process's settings store until the engine reads them.
    static const qor::IQEModuleSettings& Settings()
    {
        static const qor::IQEModuleSettings settings =
            qor::ModuleSettings(GetModuleHandleA(nullptr));
        return settings;
    }
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

bool RegistryExists()
{
    char name[64];
    std::snprintf(name, sizeof name, "qorExceptThreadNameBuf$%lx",
                  static_cast<unsigned long>(GetCurrentProcessId()));
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (mapping)
        CloseHandle(mapping);
    return mapping != nullptr;
}

std::string ThreadText(uint32_t threadId, bool showEngineThreads)
{
    uintptr_t creator = 0;
    uint32_t creatorThread = 0;
    std::string text;
    qor::ThreadDescription(threadId, showEngineThreads, creator, text, creatorThread);
    return text;
}

std::string upTime;

void RecordUpTime(IQEException& exception, bool&)
{
    std::lock_guard<std::mutex> guard(seenLock);
    upTime = exception.ReportHeader()->Value("program up time");
}

// Start-up opens the shared thread registry with or without Enabled (the main thread is named
// there); only an enabled engine starts its handling thread, and its reports tell the time
// since the start.
TEST_F(EnginePipelineTest, StartUpOpensTheRegistryAndRunsAsEnabledSays)
{
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "enabled" : "not enabled");
        Settings()->SetBoolProp("Enabled", enabled);
        Start();
        ASSERT_NE(qor::SharedThreadNameBuffer(), nullptr);
        EXPECT_EQ(qor::SharedThreadNameBuffer()->ReferenceCount, 1);
        EXPECT_EQ(qor::ProcessMainThreadId(), GetCurrentThreadId());
        char mainText[64];
        std::snprintf(mainText, sizeof mainText, "main thread ($%lx)",
                      static_cast<unsigned long>(GetCurrentThreadId()));
        EXPECT_EQ(ThreadText(GetCurrentThreadId(), false), mainText);
        EXPECT_EQ(qor::ExceptionThreadId() != 0, enabled);
        if (enabled) {
            // The handling thread is registered, and left out of reports.
            EXPECT_EQ(ThreadText(qor::ExceptionThreadId(), false), "");
            EXPECT_NE(ThreadText(qor::ExceptionThreadId(), true), "");
            Handle(RecordUpTime, qor::syncNone);
            Report();
            std::lock_guard<std::mutex> guard(seenLock);
            EXPECT_TRUE(std::regex_match(upTime, std::regex("[0-9]+ milliseconds|[0-9]+ seconds?")))
                << upTime;
        }
        qor::StopLibrary();
        EXPECT_EQ(qor::SharedThreadNameBuffer(), nullptr);
        EXPECT_FALSE(RegistryExists());
    }
}

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
    if (exception.AssociatedObject() == 1)
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
    (void)handled;
    RecordAs(exception, 99);
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
    Settings()->SetBoolProp("PauseThreads", true);
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
    if (exception.ReportKind() == qor::kindFrozen)
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
    Settings()->SetBoolProp("CheckFreeze", true);
    Settings()->SetIntProp("FreezeTimeout", 1000); // a ping every 100 ms, a report after ten
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

// A second copy of the engine in a library of the process: its watchdog waits while this
// copy's runs, so that a freeze gives one report; once this copy stops, the library's watchdog
// pings its own window, which a pumping main thread answers.
TEST_F(EnginePipelineTest, ASecondEngineCopySharesOneFreezeWatchdog)
{
    HMODULE library = LoadLibraryA("EngineCopyLibrary.dll");
    ASSERT_NE(library, nullptr);
    const auto startCopy = reinterpret_cast<void (*)(uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(library, "StartEngineCopy")));
    const auto stopCopy = reinterpret_cast<void (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "StopEngineCopy")));
    const auto copyReports = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "EngineCopyFreezeReports")));
    const auto copyMainThread = reinterpret_cast<uint32_t (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "EngineCopyMainThread")));
    ASSERT_TRUE(startCopy && stopCopy && copyReports && copyMainThread);

    Settings()->SetBoolProp("CheckFreeze", true);
    Settings()->SetIntProp("FreezeTimeout", 1000); // a ping every 100 ms, a report after ten
    Start();
    Handle(RecordFreeze, qor::syncNone);
    startCopy(1000);
    // The copy opened this engine's registry and took its main thread from the oldest record.
    ASSERT_NE(qor::SharedThreadNameBuffer(), nullptr);
    EXPECT_EQ(qor::SharedThreadNameBuffer()->ReferenceCount, 2);
    EXPECT_EQ(copyMainThread(), GetCurrentThreadId());
    PumpFor(1500);
    Sleep(1900); // frozen: ten misses of the one running watchdog
    PumpFor(100);
    EXPECT_EQ(SeenSoFar().size(), 1u);
    EXPECT_EQ(copyReports(), 0);

    qor::StopLibrary();
    PumpFor(2000); // the library's watchdog took over and is answered
    EXPECT_EQ(copyReports(), 0);
    Sleep(1900);
    PumpFor(100);
    EXPECT_EQ(copyReports(), 1);
    EXPECT_EQ(SeenSoFar().size(), 1u);
    // The registry lives on while the copy holds it, and goes with the last of them.
    EXPECT_TRUE(RegistryExists());
    stopCopy();
    EXPECT_FALSE(RegistryExists());
    FreeLibrary(library);
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

// Handlers in method form: an object and a function called with it.
struct Listener {
    const char* name;
    bool takesOver;
};
std::vector<std::string> calls;

void ListenerMethod(void* object, IQEException&, bool& handled)
{
    const auto* listener = static_cast<const Listener*>(object);
    calls.push_back(listener->name);
    if (listener->takesOver)
        handled = true;
}

void ListenerActionMethod(void* object, uint8_t, IQEException& exception, bool& handled)
{
    ListenerMethod(object, exception, handled);
}

void ProcedureCall(IQEException&, bool&)
{
    calls.push_back("procedure");
}

void ProcedureActionCall(uint8_t, IQEException&, bool&)
{
    calls.push_back("procedure");
}

TEST_F(EnginePipelineTest, MethodHandlersRunBeforeProceduresAndAreRemovedByTheirPair)
{
    struct Case {
        const char* name;
        qor::DispatchEvent event;
        uint8_t stage;
        bool firstTakesOver;
        std::vector<std::string> calls;
        bool handled;
    };
    const Case cases[] = {
        // The procedure was registered first, yet the methods run before it.
        {"exception, nobody takes over",
         qor::eventException,
         1,
         false,
         {"a", "b", "procedure"},
         false},
        {"exception taken over by a method", qor::eventException, 2, true, {"a"}, true},
        // Late methods are all told; the procedures only when no method took the exception,
        // and the exception is never handled at that stage.
        {"late stage", qor::eventException, 3, true, {"a", "b"}, false},
        {"action taken over by a method", qor::eventAction, 0, true, {"a"}, true},
        {"action, nobody takes over", qor::eventAction, 0, false, {"a", "b", "procedure"}, false},
        // Hidden handlers of both forms are all asked.
        {"hidden", qor::eventHidden, 0, true, {"a", "b", "procedure"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Listener a{"a", c.firstTakesOver}, b{"b", false};
        switch (c.event) {
            case qor::eventException:
                qor::RegisterExceptionHandler(ProcedureCall, qor::syncNone, c.stage);
                qor::RegisterExceptionHandler(&a, ListenerMethod, qor::syncNone, c.stage);
                qor::RegisterExceptionHandler(&b, ListenerMethod, qor::syncNone, c.stage);
                break;
            case qor::eventAction:
                qor::RegisterActionHandler(ProcedureActionCall, qor::syncNone);
                qor::RegisterActionHandler(&a, ListenerActionMethod, qor::syncNone);
                qor::RegisterActionHandler(&b, ListenerActionMethod, qor::syncNone);
                break;
            case qor::eventHidden:
                qor::RegisterHiddenHandler(ProcedureCall, qor::syncNone);
                qor::RegisterHiddenHandler(&a, ListenerMethod, qor::syncNone);
                qor::RegisterHiddenHandler(&b, ListenerMethod, qor::syncNone);
                break;
        }
        const std::shared_ptr<qor::TIQEException> report =
            qor::CreateExceptionObject(qor::ExceptionObjectArguments{});
        qor::TIQEException& exception = *report;
        exception.SetStage(c.stage);
        calls.clear();
        bool handled = false;
        qor::DispatchHandlers(c.event, qor::actionSave, handled, exception);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(handled, c.handled);

        // Removing the pair of a and the method leaves b's registration of the same method.
        qor::UnregisterExceptionHandler(&a, ListenerMethod);
        qor::UnregisterActionHandler(&a, ListenerActionMethod);
        qor::UnregisterHiddenHandler(&a, ListenerMethod);
        calls.clear();
        handled = false;
        qor::DispatchHandlers(c.event, qor::actionSave, handled, exception);
        EXPECT_EQ(calls, (std::vector<std::string>{"b", "procedure"}));

        qor::UnregisterExceptionHandler(&b, ListenerMethod);
        qor::UnregisterActionHandler(&b, ListenerActionMethod);
        qor::UnregisterHiddenHandler(&b, ListenerMethod);
        qor::UnregisterExceptionHandler(ProcedureCall);
        qor::UnregisterActionHandler(ProcedureActionCall);
        qor::UnregisterHiddenHandler(ProcedureCall);
        calls.clear();
        qor::DispatchHandlers(c.event, qor::actionSave, handled, exception);
        EXPECT_TRUE(calls.empty());
    }
}

// Throws, called through a frame of its own whose return address the candidates hold.
__attribute__((noinline)) void ThrowRuntimeError()
{
    throw std::runtime_error("captured at the throw");
}

__attribute__((noinline)) void ThrowBadAlloc()
{
    throw std::bad_alloc();
}

__attribute__((noinline)) void CallThrower(void (*thrower)())
{
    thrower();
    asm volatile(""); // no tail call: this frame stays on the stack
}

std::string CandidateText(const qor::TDAPreStackList& list)
{
    std::string text;
    char item[24];
    for (const qor::TDAPreStackItem& entry : list) {
        std::snprintf(item, sizeof item, " %u:%08x", unsigned{entry.frameChain},
                      static_cast<unsigned>(entry.address));
        text += item;
    }
    return text;
}

uintptr_t InstructionPointer(const CONTEXT& context)
{
#ifdef _WIN64
    return context.Rip;
#else
    return context.Eip;
#endif
}

uintptr_t StackPointer(const CONTEXT& context)
{
#ifdef _WIN64
    return context.Rsp;
#else
    return context.Esp;
#endif
}

TEST_F(EnginePipelineTest, AThrowKeepsItsRegistersAndTheCandidatesOfItsStack)
{
    Start();
    struct Case {
        const char* name;
        void (*thrower)();
    };
    const Case cases[] = {{"an exception", ThrowRuntimeError}, {"out of memory", ThrowBadAlloc}};
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            CallThrower(c.thrower);
        } catch (...) {
            const qor::RaiseRecord raise = qor::LastRaise();
            EXPECT_EQ(raise.object, qor::ThrownObjectOf(std::current_exception()));
            // The throw lies in the throwing routine, and the registers are the thrower's.
            const auto thrower = reinterpret_cast<uintptr_t>(c.thrower);
            EXPECT_GT(raise.address, thrower);
            EXPECT_LT(raise.address, thrower + 256);
            ASSERT_NE(raise.context, nullptr);
            EXPECT_EQ(InstructionPointer(*raise.context), raise.address);
            EXPECT_LT(StackPointer(*raise.context), here);
            EXPECT_GT(StackPointer(*raise.context), here - 64 * 1024);
#ifndef _WIN64
            // The tracer reads 32-bit stacks: the caller of the thrower is a candidate.
            ASSERT_NE(raise.preparedStack, nullptr);
            const qor::TDAPreStackList& list = *raise.preparedStack;
            ASSERT_FALSE(list.empty());
            EXPECT_EQ(list[0].address, list.size() - 1);
            const auto caller = reinterpret_cast<uintptr_t>(CallThrower);
            EXPECT_TRUE(std::any_of(list.begin() + 1, list.end(),
                                    [&](const auto& item) {
                                        return item.address > caller && item.address < caller + 64;
                                    }))
                << CandidateText(list) << " caller " << std::hex << caller;
#endif
        }
    }
    // Without the running engine a throw records only the object and the address.
    qor::StopLibrary();
    try {
        CallThrower(ThrowRuntimeError);
    } catch (...) {
        EXPECT_NE(qor::LastRaise().address, 0u);
        EXPECT_EQ(qor::LastRaise().context, nullptr);
        EXPECT_EQ(qor::LastRaise().preparedStack, nullptr);
    }
}
