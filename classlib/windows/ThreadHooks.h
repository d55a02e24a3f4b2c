#pragma once
// Hook procedures of the calling thread (SetWindowsHookEx with a thread id): message filters,
// get-message hooks and the like, as objects. Each object is one hook of the system's chain,
// so any number of them are installed and removed in any order. Like window procedures, a
// hook procedure never lets a C++ exception unwind into the system: the exception goes to the
// application's handler and the hook answers what the rest of the chain answers.
#include <windows.h>

#include <functional>
#include <memory>

namespace classlib {

class TObject;

class TThreadHook {
public:
    // The hook's answer for one call; it passes the call on with CallNext.
    using TProc = std::function<LRESULT(int code, WPARAM wParam, LPARAM lParam)>;

    // Installs the hook for the calling thread; raises EOutOfResources when the system
    // refuses it or when too many hooks of this kind exist at once (32 per process).
    TThreadHook(int idHook, TProc proc, TObject* sender = nullptr);
    // Removes the hook; allowed inside its own procedure (the procedure finishes first).
    ~TThreadHook();
    TThreadHook(const TThreadHook&) = delete;
    TThreadHook& operator=(const TThreadHook&) = delete;

    HHOOK Handle() const;
    // The next hook of the system's chain.
    LRESULT CallNext(int code, WPARAM wParam, LPARAM lParam) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace classlib
