// The application object and timers: the message loop, exceptions from timers and window
// procedures reaching HandleException and its hooks, timers changed or freed in their handler.
#include "windows/Application.h"
#include "windows/Threads.h"
#include "windows/Timers.h"

#include "ExceptionRecorder.h"
#include "GuiTest.h"

#include <stdexcept>

using namespace classlib;

namespace {

// Receives the events of the objects under test.
struct Handlers {
    int ticks = 0;
    TTimer* timer = nullptr;
    int handledByOnException = 0;
    TObject* exceptionSender = nullptr;
    std::string exceptionMessage;

    void ThrowingTick(TObject*)
    {
        ++ticks;
        timer->SetEnabled(false);
        throw std::runtime_error("thrown in a timer handler");
    }
    void FreeingTick(TObject*)
    {
        ++ticks;
        delete timer;
        timer = nullptr;
    }
    void DisablingTick(TObject*)
    {
        ++ticks;
        timer->SetEnabled(false);
    }
    void TerminatingTick(TObject*)
    {
        ++ticks;
        timer->SetEnabled(false);
        Application->Terminate();
    }
    void ApplicationException(TObject* sender, Exception* E)
    {
        ++handledByOnException;
        exceptionSender = sender;
        exceptionMessage = E->Message();
    }
};

TEST(Application, ExistsFromStartUpWithAHiddenTopLevelWindow)
{
    ASSERT_NE(Application, nullptr);
    EXPECT_TRUE(IsWindow(Application->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    EXPECT_EQ(GetParent(Application->Handle()), nullptr);
    Application->SetTitle("Brenvik");
    char text[32] = {};
    GetWindowTextA(Application->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Brenvik");
    EXPECT_EQ(Application->Title(), "Brenvik");
}

TEST(Application, ExceptionInATimerHandlerReachesTheHooksWithTheTimerAsSender)
{
    ExceptionRecorder recorder;
    Handlers handlers;
    TTimer timer(nullptr);
    handlers.timer = &timer;
    timer.SetInterval(1);
    timer.SetOnTimer(TNotifyEvent(&handlers, &Handlers::ThrowingTick));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return recorder.Count() > 0; }, 10000));
    const auto entries = recorder.Entries();
    EXPECT_EQ(entries[0].path, ExceptionPath::Application);
    EXPECT_EQ(entries[0].sender, &timer);
    EXPECT_EQ(entries[0].message, "thrown in a timer handler");
    EXPECT_EQ(handlers.ticks, 1);
}

TEST(Application, WithoutAHookTakingItOverOnExceptionHandlesIt)
{
    Handlers handlers;
    Application->OnException = TExceptionEvent(&handlers, &Handlers::ApplicationException);
    TTimer timer(nullptr);
    handlers.timer = &timer;
    timer.SetInterval(1);
    timer.SetOnTimer(TNotifyEvent(&handlers, &Handlers::ThrowingTick));
    const bool reached =
        testsupport::PumpUntil([&] { return handlers.handledByOnException > 0; }, 10000);
    Application->OnException = nullptr;
    ASSERT_TRUE(reached);
    EXPECT_EQ(handlers.exceptionSender, &timer);
    EXPECT_EQ(handlers.exceptionMessage, "thrown in a timer handler");
}

TEST(Application, EAbortIsSilent)
{
    Handlers handlers;
    Application->OnException = TExceptionEvent(&handlers, &Handlers::ApplicationException);
    try {
        Abort();
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(handlers.handledByOnException, 0);
}

TEST(Application, TimerFreedInsideItsOwnHandlerDoesNoHarm)
{
    Handlers handlers;
    handlers.timer = new TTimer(nullptr);
    handlers.timer->SetInterval(1);
    handlers.timer->SetOnTimer(TNotifyEvent(&handlers, &Handlers::FreeingTick));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return handlers.timer == nullptr; }, 10000));
    testsupport::PumpFor(50);
    EXPECT_EQ(handlers.ticks, 1);
}

TEST(Application, TimerDisabledInsideItsHandlerStopsTicking)
{
    Handlers handlers;
    TTimer timer(nullptr);
    handlers.timer = &timer;
    timer.SetInterval(1);
    timer.SetOnTimer(TNotifyEvent(&handlers, &Handlers::DisablingTick));
    ASSERT_TRUE(testsupport::PumpUntil([&] { return handlers.ticks > 0; }, 10000));
    testsupport::PumpFor(50);
    EXPECT_EQ(handlers.ticks, 1);
    EXPECT_FALSE(timer.Enabled());
}

TEST(Application, TimerWithoutHandlerOrIntervalDoesNotRun)
{
    TTimer timer(nullptr);
    timer.SetInterval(0);
    Handlers handlers;
    handlers.timer = &timer;
    timer.SetOnTimer(TNotifyEvent(&handlers, &Handlers::DisablingTick));
    testsupport::PumpFor(50);
    EXPECT_EQ(handlers.ticks, 0);
}

TEST(Application, RunEndsOnTerminate)
{
    Handlers handlers;
    TTimer timer(nullptr);
    handlers.timer = &timer;
    timer.SetInterval(1);
    timer.SetOnTimer(TNotifyEvent(&handlers, &Handlers::TerminatingTick));
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(handlers.ticks, 1);
}

class Worker : public TThread {
public:
    int* calls;
    explicit Worker(int* c) : calls(c) {}

protected:
    void Execute() override
    {
        Synchronize([this] { ++*calls; });
    }
};

class FailingWorker : public TThread {
protected:
    void Execute() override
    {
        Synchronize([] { throw std::runtime_error("thrown in a synchronized call"); });
    }
};

TEST(Application, FailedSynchronizedCallReachesOnExceptionWithTheThreadAsSender)
{
    Handlers handlers;
    Application->OnException = TExceptionEvent(&handlers, &Handlers::ApplicationException);
    FailingWorker worker;
    worker.Start();
    worker.WaitFor();
    Application->OnException = nullptr;
    EXPECT_EQ(handlers.handledByOnException, 1);
    EXPECT_EQ(handlers.exceptionSender, &worker);
    EXPECT_EQ(handlers.exceptionMessage, "thrown in a synchronized call");
    EXPECT_FALSE(worker.FatalException());
}

TEST(Application, ProcessMessagesRunsPendingSynchronizedCalls)
{
    int calls = 0;
    Worker worker(&calls);
    worker.Start();
    // A waiting loop in the style of the protocol's answer wait.
    const DWORD start = GetTickCount();
    while (calls == 0 && GetTickCount() - start < 10000)
        Application->ProcessMessages();
    EXPECT_EQ(calls, 1);
    worker.WaitFor();
}

} // namespace
