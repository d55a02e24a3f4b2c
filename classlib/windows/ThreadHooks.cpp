#include "windows/ThreadHooks.h"

#include "core/Exceptions.h"
#include "core/SysUtils.h"
#include "windows/ExceptionHooks.h"

#include <array>
#include <mutex>
#include <utility>

namespace classlib {

struct TThreadHook::State {
    HHOOK handle = nullptr;
    TProc proc;
    TObject* sender = nullptr;
};

namespace {

// The system calls a hook procedure without a context pointer, so each installed hook gets a
// procedure of its own from a fixed table; the procedure finds its hook by its slot number.
constexpr size_t kSlotCount = 32;

std::mutex slotLock;
std::array<std::shared_ptr<TThreadHook::State>, kSlotCount> slots;

// Whether the hook procedure running on this thread has passed the call on already, so that
// a procedure that fails after CallNext does not pass it on twice.
struct Invocation {
    const TThreadHook::State* state;
    bool passedOn;
    Invocation* outer;
};
thread_local Invocation* currentInvocation = nullptr;

LRESULT InvokeSlot(size_t slot, int code, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<TThreadHook::State> state;
    {
        std::lock_guard<std::mutex> guard(slotLock);
        state = slots[slot];
    }
    if (!state)
        return CallNextHookEx(nullptr, code, wParam, lParam);
    Invocation invocation{state.get(), false, currentInvocation};
    currentInvocation = &invocation;
    LRESULT result = 0;
    try {
        result = state->proc(code, wParam, lParam);
    } catch (...) {
        HandleUnhandledException(ExceptionPath::Application, state->sender);
        currentInvocation = invocation.outer;
        return invocation.passedOn ? 0 : CallNextHookEx(state->handle, code, wParam, lParam);
    }
    currentInvocation = invocation.outer;
    return result;
}

template <size_t Slot>
LRESULT CALLBACK SlotProc(int code, WPARAM wParam, LPARAM lParam)
{
    return InvokeSlot(Slot, code, wParam, lParam);
}

template <size_t... Slots>
constexpr std::array<HOOKPROC, sizeof...(Slots)> MakeSlotProcs(std::index_sequence<Slots...>)
{
    return {&SlotProc<Slots>...};
}

constexpr std::array<HOOKPROC, kSlotCount> kSlotProcs =
    MakeSlotProcs(std::make_index_sequence<kSlotCount>{});

} // namespace

TThreadHook::TThreadHook(int idHook, TProc proc, TObject* sender)
    : state_(std::make_shared<State>())
{
    state_->proc = std::move(proc);
    state_->sender = sender;
    size_t slot = kSlotCount;
    {
        std::lock_guard<std::mutex> guard(slotLock);
        for (size_t i = 0; i < kSlotCount && slot == kSlotCount; ++i)
            if (!slots[i])
                slot = i;
        if (slot == kSlotCount)
            throw EOutOfResources("Too many thread hooks");
        slots[slot] = state_;
    }
    state_->handle = SetWindowsHookExA(idHook, kSlotProcs[slot], nullptr, GetCurrentThreadId());
    if (!state_->handle) {
        const DWORD error = GetLastError();
        std::lock_guard<std::mutex> guard(slotLock);
        slots[slot] = nullptr;
        throw EOutOfResources(Format("Cannot install the hook %d (system error %d)",
                                     {idHook, static_cast<int>(error)}));
    }
}

TThreadHook::~TThreadHook()
{
    UnhookWindowsHookEx(state_->handle);
    std::lock_guard<std::mutex> guard(slotLock);
    for (auto& slot : slots)
        if (slot == state_)
            slot = nullptr;
}

HHOOK TThreadHook::Handle() const
{
    return state_->handle;
}

LRESULT TThreadHook::CallNext(int code, WPARAM wParam, LPARAM lParam) const
{
    for (Invocation* i = currentInvocation; i; i = i->outer)
        if (i->state == state_.get()) {
            i->passedOn = true;
            break;
        }
    return CallNextHookEx(state_->handle, code, wParam, lParam);
}

} // namespace classlib
