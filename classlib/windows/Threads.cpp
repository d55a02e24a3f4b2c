#include "windows/Threads.h"

#include "windows/ExceptionHooks.h"
#include "windows/WindowProcs.h"

#include "core/TypeInfo.h"

#include <process.h>

#include <deque>
#include <mutex>

namespace classlib {

namespace {

struct SyncRequest {
    const TThreadMethod* method;
    TObject* sender;
    HANDLE done;
};

// The main thread is the one that starts the program: the first use of this state happens
// during static initialisation at the latest (below), which runs on that thread.
struct SyncState {
    DWORD mainThreadId = GetCurrentThreadId();
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::mutex lock;
    std::deque<SyncRequest> queue;
    std::atomic<HWND> wakeWindow{nullptr};
};

// The message that wakes the main thread for synchronized calls.
const UINT kWakeMessage = WM_APP + 0x3A1;

SyncState& State()
{
    static SyncState state;
    return state;
}

const bool stateCreatedAtStartUp = (State(), true);

void WakeWindowProc(TMessage& message)
{
    if (message.Msg == kWakeMessage) {
        CheckSynchronize();
        return;
    }
    CallDefaultWindowProc(State().wakeWindow.load(), message);
}

void WakeMainThread()
{
    SetEvent(State().event);
    if (HWND window = State().wakeWindow.load())
        PostMessageA(window, kWakeMessage, 0, 0);
    else
        PostThreadMessageA(State().mainThreadId, WM_NULL, 0, 0);
}

} // namespace

DWORD MainThreadID()
{
    return State().mainThreadId;
}

HANDLE SyncEvent()
{
    return State().event;
}

void InitSynchronization()
{
    if (GetCurrentThreadId() != State().mainThreadId || State().wakeWindow.load())
        return;
    // The window procedure runs on this thread only, after this assignment.
    HWND window = AllocateHWnd(WakeWindowProc);
    State().wakeWindow.store(window);
}

bool CheckSynchronize()
{
    if (GetCurrentThreadId() != State().mainThreadId)
        return false;
    bool ran = false;
    for (;;) {
        SyncRequest request;
        {
            std::lock_guard<std::mutex> guard(State().lock);
            if (State().queue.empty())
                break;
            request = State().queue.front();
            State().queue.pop_front();
        }
        ran = true;
        try {
            (*request.method)();
        } catch (...) {
            // Reported here, on the main thread; the waiting thread goes on as if the call
            // had returned, so a failure is never raised a second time there.
            HandleUnhandledException(ExceptionPath::SynchronizedCall, request.sender);
        }
        SetEvent(request.done);
    }
    return ran;
}

void Synchronize(TObject* sender, const TThreadMethod& method)
{
    if (GetCurrentThreadId() == State().mainThreadId) {
        method();
        return;
    }
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        std::lock_guard<std::mutex> guard(State().lock);
        State().queue.push_back({&method, sender, done});
    }
    WakeMainThread();
    WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
}

CLASSLIB_PUBLISH(TThread) {}

TThread::TThread()
{
    InitSynchronization();
    unsigned id = 0;
    handle_ = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id));
    threadId_ = id;
    if (!handle_)
        throw EOutOfResources("Thread creation error: " + std::to_string(GetLastError()));
    NotifyThreadCreated(this, id, __builtin_return_address(0));
}

TThread::~TThread()
{
    if (!handle_)
        return;
    if (!started_) {
        // Let the suspended system thread run to its end without calling Execute.
        abandoned_.store(true);
        ResumeThread(handle_);
        WaitForSingleObject(handle_, INFINITE);
    } else if (threadId_ != GetCurrentThreadId() && !FreeOnTerminate) {
        Terminate();
        WaitFor();
    }
    CloseHandle(handle_);
}

void TThread::Start()
{
    if (started_)
        return;
    started_ = true;
    ResumeThread(handle_);
}

int TThread::WaitFor()
{
    if (threadId_ == GetCurrentThreadId())
        throw EInvalidOperation("Cannot call WaitFor on the thread itself");
    // A suspended thread would never end: waiting for it would hang the caller for good.
    if (!started_)
        throw EInvalidOperation("Cannot wait for a thread that was never started");
    if (GetCurrentThreadId() == State().mainThreadId) {
        HANDLE handles[2] = {handle_, State().event};
        for (;;) {
            const DWORD result =
                MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
            if (result == WAIT_OBJECT_0)
                break;
            if (result == WAIT_OBJECT_0 + 1) {
                CheckSynchronize();
            } else if (result == WAIT_OBJECT_0 + 2) {
                // Peeking delivers messages sent from other threads.
                MSG message;
                PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
            } else {
                break;
            }
        }
        // A call may have been queued just before the thread ended: serve it too.
        CheckSynchronize();
    } else {
        WaitForSingleObject(handle_, INFINITE);
    }
    return ReturnValue;
}

void TThread::DoTerminate()
{
    if (OnTerminate)
        Synchronize([this] { OnTerminate(this); });
}

unsigned __stdcall TThread::ThreadProc(void* parameter)
{
    auto* thread = static_cast<TThread*>(parameter);
    if (thread->abandoned_.load())
        return 0;
    if (!thread->terminated_.load()) {
        try {
            thread->Execute();
        } catch (...) {
            thread->fatalException_ = std::current_exception();
            HandleUnhandledException(ExceptionPath::ThreadExecute, thread, thread->fatalException_);
        }
    }
    const bool freeOnTerminate = thread->FreeOnTerminate;
    const int result = thread->ReturnValue;
    try {
        thread->DoTerminate();
    } catch (...) {
        HandleUnhandledException(ExceptionPath::ThreadExecute, thread);
    }
    thread->finished_.store(true);
    if (freeOnTerminate)
        delete thread;
    return static_cast<unsigned>(result);
}

} // namespace classlib
