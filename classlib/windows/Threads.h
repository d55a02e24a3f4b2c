#pragma once
// Threads of the class library and synchronized calls into the main thread.
//
// A worker thread's Synchronize queues a method for the main thread, wakes it by a message
// posted to a hidden window of the main thread (so the call also runs inside modal loops such
// as message boxes and dialogs) and waits until the main thread has run it. The main thread
// runs pending calls in CheckSynchronize: from that window's procedure, from
// TApplication::ProcessMessages and from TThread::WaitFor.
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>

#include "core/Events.h"
#include "core/Object.h"

namespace classlib {

using TThreadMethod = std::function<void()>;

// Id of the thread that runs the message loop and the synchronized calls: the thread that
// started the program.
DWORD MainThreadID();

// Runs the synchronized calls that are waiting. On the main thread only (elsewhere it does
// nothing and returns false). Returns whether any call ran. A failing call is reported as an
// unhandled exception (path SynchronizedCall) and the waiting thread goes on.
bool CheckSynchronize();

// An event that is set whenever a synchronized call is queued; main-thread waits include it.
HANDLE SyncEvent();

// Makes sure the main thread's wake-up window exists. Called on the main thread (TApplication
// and every thread object constructed there do it); without the window a queued call runs
// only when the main thread calls CheckSynchronize itself.
void InitSynchronization();

// Runs `method` on the main thread and waits for it; on the main thread it runs at once.
// `sender` is reported with a failure.
void Synchronize(TObject* sender, const TThreadMethod& method);

class TThread : public TObject {
    CLASSLIB_CLASS(TThread, TObject)
    // The system thread is created suspended; Start (or Resume) runs Execute.
    TThread();
    // Frees the thread object. A started thread that has not finished is terminated and
    // waited for first, but its derived part is already gone by then: owners terminate and
    // WaitFor before freeing (as the device's reader does), or use FreeOnTerminate.
    ~TThread() override;

    void Start();
    void Resume() { Start(); }
    // Asks Execute to end; Execute polls Terminated.
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Finished() const { return finished_.load(); }
    bool Started() const { return started_; }

    // Waits until the thread has ended and returns its ReturnValue. On the main thread the
    // wait keeps running synchronized calls and sent messages, so a thread that synchronizes
    // before it ends cannot dead-lock with its waiter. Raises EInvalidOperation for a thread
    // that was never started (it would never end) and on the thread itself.
    int WaitFor();

    // Frees the object when the thread ends (after OnTerminate). Do not touch the object
    // after Start then.
    bool FreeOnTerminate = false;
    // Runs on the main thread (synchronized) when Execute has ended.
    TNotifyEvent OnTerminate;

    // The exception that escaped Execute, if any; also reported to the exception hooks.
    std::exception_ptr FatalException() const { return fatalException_; }

    HANDLE Handle() const { return handle_; }
    DWORD ThreadID() const { return threadId_; }
    int ReturnValue = 0;

    void Synchronize(const TThreadMethod& method) { classlib::Synchronize(this, method); }

protected:
    virtual void Execute() = 0;
    virtual void DoTerminate();

private:
    static unsigned __stdcall ThreadProc(void* parameter);

    HANDLE handle_ = nullptr;
    DWORD threadId_ = 0;
    bool started_ = false;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> abandoned_{false}; // destroyed before it ever ran
    std::exception_ptr fatalException_;
};

} // namespace classlib
