#include "windows/ExceptionHooks.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace classlib {

namespace {

struct HookEntry {
    int id;
    ExceptionHook hook;
};

std::mutex& HookLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<HookEntry>& Hooks()
{
    static std::vector<HookEntry> hooks;
    return hooks;
}

int nextHookId = 1;
std::atomic<DefaultExceptionHandler> defaultHandler{nullptr};
std::atomic<ThreadCreatedHook> threadCreatedHook{nullptr};

void ShowPlainMessage(const UnhandledException& report)
{
    if (report.path == ExceptionPath::ThreadExecute)
        return; // kept by the thread object; nobody is there to show it to
    const std::string text = ExceptionMessage(report.exception);
    MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

} // namespace

int AddExceptionHook(ExceptionHook hook)
{
    std::lock_guard<std::mutex> guard(HookLock());
    const int id = nextHookId++;
    Hooks().push_back({id, std::move(hook)});
    return id;
}

void RemoveExceptionHook(int id)
{
    std::lock_guard<std::mutex> guard(HookLock());
    auto& hooks = Hooks();
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->id == id) {
            hooks.erase(it);
            return;
        }
    }
}

bool DispatchToExceptionHooks(const UnhandledException& report)
{
    std::vector<HookEntry> snapshot;
    {
        std::lock_guard<std::mutex> guard(HookLock());
        snapshot = Hooks();
    }
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (it->hook(report))
            return true;
    }
    return false;
}

void SetDefaultExceptionHandler(DefaultExceptionHandler handler)
{
    defaultHandler.store(handler);
}

void HandleUnhandledException(ExceptionPath path, TObject* sender)
{
    HandleUnhandledException(path, sender, std::current_exception());
}

void HandleUnhandledException(ExceptionPath path, TObject* sender, std::exception_ptr exception)
{
    const UnhandledException report{path, std::move(exception), sender};
    try {
        if (DispatchToExceptionHooks(report))
            return;
        if (DefaultExceptionHandler handler = defaultHandler.load())
            handler(report);
        else
            ShowPlainMessage(report);
    } catch (...) {
        // A failing hook or handler has nowhere left to go; letting it escape would unwind
        // through the system's frames.
    }
}

void SetThreadCreatedHook(ThreadCreatedHook hook)
{
    threadCreatedHook.store(hook);
}

void NotifyThreadCreated(TObject* thread, unsigned threadId, void* creatorAddress)
{
    if (ThreadCreatedHook hook = threadCreatedHook.load())
        hook(thread, threadId, creatorAddress);
}

std::string ExceptionMessage(const std::exception_ptr& exception)
{
    if (!exception)
        return {};
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown exception";
    }
}

} // namespace classlib
