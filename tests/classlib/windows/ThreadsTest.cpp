// Threads and synchronized calls: calls run on the main thread inside modal loops and while
// it waits for another thread; failures are reported and do not stop the process.
#include "windows/Threads.h"

#include "ExceptionRecorder.h"
#include "GuiTest.h"

#include <atomic>
#include <functional>
#include <stdexcept>

using namespace classlib;

namespace {

// A thread whose body is a function, for tests.
class FunctionThread : public TThread {
public:
    explicit FunctionThread(std::function<void(FunctionThread&)> body) : body_(std::move(body)) {}
    using TThread::Synchronize;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(FunctionThread&)> body_;
};

HWND WaitForWindow(const char* title)
{
    for (int i = 0; i < 2000; ++i) {
        if (HWND window = FindWindowA(nullptr, title))
            return window;
        Sleep(5);
    }
    return nullptr;
}

TEST(Threads, SynchronizeRunsWhileTheMainThreadSitsInAMessageBox)
{
    const char* title = "Synchronize inside a message box";
    std::atomic<bool> ranOnMainThread{false};
    std::atomic<bool> boxWasOpen{false};
    FunctionThread worker([&](FunctionThread& self) {
        HWND box = WaitForWindow(title);
        self.Synchronize([&] {
            ranOnMainThread = GetCurrentThreadId() == MainThreadID();
            boxWasOpen = FindWindowA(nullptr, title) != nullptr;
        });
        if (box)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    worker.Start();
    EXPECT_EQ(MessageBoxA(nullptr, "waiting", title, MB_OK), IDOK);
    worker.WaitFor();
    EXPECT_TRUE(ranOnMainThread);
    EXPECT_TRUE(boxWasOpen);
}

TEST(Threads, SynchronizeRunsWhileTheMainThreadWaitsForAnotherThread)
{
    HANDLE synchronized = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int calls = 0;
    FunctionThread caller([&](FunctionThread& self) {
        self.Synchronize([&] { ++calls; });
        SetEvent(synchronized);
    });
    FunctionThread waited([&](FunctionThread&) { WaitForSingleObject(synchronized, INFINITE); });
    caller.Start();
    waited.Start();
    waited.WaitFor(); // would never return unless WaitFor serves the caller's Synchronize
    caller.WaitFor();
    EXPECT_EQ(calls, 1);
    CloseHandle(synchronized);
}

TEST(Threads, ExceptionInExecuteIsKeptAndReported)
{
    ExceptionRecorder recorder;
    FunctionThread thread([](FunctionThread&) { throw std::runtime_error("thrown in Execute"); });
    thread.Start();
    thread.WaitFor();
    ASSERT_TRUE(thread.FatalException());
    EXPECT_EQ(ExceptionMessage(thread.FatalException()), "thrown in Execute");
    const auto entries = recorder.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, ExceptionPath::ThreadExecute);
    EXPECT_EQ(entries[0].sender, &thread);
}

TEST(Threads, FailedSynchronizedCallIsReportedAndTheWorkerGoesOn)
{
    ExceptionRecorder recorder;
    bool wentOn = false;
    FunctionThread thread([&](FunctionThread& self) {
        self.Synchronize([] { throw std::runtime_error("thrown in a synchronized call"); });
        wentOn = true;
    });
    thread.Start();
    thread.WaitFor();
    EXPECT_TRUE(wentOn);
    EXPECT_FALSE(thread.FatalException());
    const auto entries = recorder.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, ExceptionPath::SynchronizedCall);
    EXPECT_EQ(entries[0].message, "thrown in a synchronized call");
    EXPECT_EQ(entries[0].sender, &thread);
}

TEST(Threads, StopRequestEndsAnAlertableSleepLoopWithinOneStep)
{
    std::atomic<int> steps{0};
    FunctionThread thread([&](FunctionThread& self) {
        while (!self.Terminated()) {
            SleepEx(20, TRUE);
            ++steps;
        }
    });
    thread.Start();
    while (steps < 2)
        Sleep(1);
    const int stepsAtStop = steps;
    thread.Terminate();
    thread.WaitFor();
    // The step in progress when the stop came may finish; no further one starts.
    EXPECT_LE(steps - stepsAtStop, 1);
}

TEST(Threads, FreeOnTerminateFreesTheThreadAfterOnTerminateRanOnTheMainThread)
{
    static std::atomic<bool> destroyed;
    destroyed = false;
    struct SelfFreeing : FunctionThread {
        using FunctionThread::FunctionThread;
        ~SelfFreeing() override { destroyed = true; }
    };
    struct Receiver {
        bool terminateOnMain = false;
        void ThreadTerminated(TObject*)
        {
            terminateOnMain = GetCurrentThreadId() == MainThreadID();
        }
    } receiver;
    auto* thread = new SelfFreeing([](FunctionThread&) {});
    thread->FreeOnTerminate = true;
    thread->OnTerminate = TNotifyEvent(&receiver, &Receiver::ThreadTerminated);
    thread->Start();
    EXPECT_TRUE(testsupport::PumpUntil([] { return destroyed.load(); }, 20000));
    EXPECT_TRUE(receiver.terminateOnMain);
}

TEST(Threads, ThreadFreedBeforeStartNeverRunsExecute)
{
    bool ran = false;
    {
        FunctionThread thread([&](FunctionThread&) { ran = true; });
        // Waiting for a thread that never runs would never return.
        EXPECT_THROW(thread.WaitFor(), EInvalidOperation);
    }
    EXPECT_FALSE(ran);
}

TEST(Threads, WaitForReturnsTheReturnValue)
{
    FunctionThread thread([](FunctionThread& self) { self.ReturnValue = 7; });
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 7);
    EXPECT_TRUE(thread.Finished());
}

} // namespace
