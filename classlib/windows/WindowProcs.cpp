#include "windows/WindowProcs.h"

#include "windows/ExceptionHooks.h"

#include <commctrl.h>

#include <mutex>
#include <utility>

namespace classlib {

namespace {

const char* const kBindingProperty = "Classlib.WindowObject";
const char* const kUtilityWindowClass = "ClasslibUtilityWindow";

// What a window property points at. A message may destroy or detach the window while the
// method runs (a timer freed in its own handler), so the binding counts the dispatches in
// progress and is released only after the outermost one returns.
struct WindowBinding {
    TWndMethod method;
    WNDPROC original = nullptr; // set for subclassed windows
    TObject* sender = nullptr;
    HWND* handleSlot = nullptr; // filled when the window gets its first message
    int depth = 0;
    bool detached = false;
};

// The binding of a window being created on this thread, attached at its first message.
thread_local WindowBinding* creatingBinding = nullptr;

WindowBinding* BindingOf(HWND window)
{
    return static_cast<WindowBinding*>(GetPropA(window, kBindingProperty));
}

void Detach(HWND window, WindowBinding* binding)
{
    if (binding->detached)
        return;
    binding->detached = true;
    RemovePropA(window, kBindingProperty);
    if (binding->original &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == ObjectWindowProc)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(binding->original));
}

LRESULT Dispatch(HWND window, WindowBinding* binding, UINT message, WPARAM wParam, LPARAM lParam)
{
    TMessage m{message, wParam, lParam, 0};
    ++binding->depth;
    try {
        binding->method(m);
    } catch (...) {
        HandleUnhandledException(ExceptionPath::Application, binding->sender);
        m.Result = 0;
    }
    --binding->depth;
    if (message == WM_NCDESTROY)
        Detach(window, binding);
    if (binding->detached && binding->depth == 0)
        delete binding;
    return m.Result;
}

void RegisterUtilityWindowClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ObjectWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kUtilityWindowClass;
        RegisterClassA(&windowClass);
    });
}

} // namespace

LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowBinding* binding = BindingOf(window);
    if (!binding && creatingBinding) {
        binding = creatingBinding;
        creatingBinding = nullptr;
        SetPropA(window, kBindingProperty, binding);
        if (binding->handleSlot)
            *binding->handleSlot = window;
    }
    if (!binding)
        return DefWindowProcA(window, message, wParam, lParam);
    return Dispatch(window, binding, message, wParam, lParam);
}

HWND CreateObjectWindow(DWORD exStyle, const char* className, const char* caption, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menu,
                        TWndMethod method, TObject* sender, HWND* handleSlot)
{
    auto* binding = new WindowBinding{std::move(method), nullptr, sender, handleSlot};
    WindowBinding* outer = creatingBinding; // a window created while another is being created
    creatingBinding = binding;
    HWND window = CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent,
                                  menu, GetModuleHandleA(nullptr), nullptr);
    if (creatingBinding == binding) {
        // The window never got a message (creation failed, or a class with another procedure).
        creatingBinding = nullptr;
        if (window) {
            SetPropA(window, kBindingProperty, binding);
            if (handleSlot)
                *handleSlot = window;
        } else
            delete binding;
    }
    creatingBinding = outer;
    return window;
}

void SubclassToObject(HWND window, TWndMethod method, TObject* sender)
{
    if (WindowBinding* old = BindingOf(window)) {
        old->method = std::move(method);
        old->sender = sender;
        return;
    }
    auto* binding = new WindowBinding{std::move(method), nullptr, sender};
    binding->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetPropA(window, kBindingProperty, binding);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ObjectWindowProc));
}

void DetachWindowObject(HWND window)
{
    WindowBinding* binding = BindingOf(window);
    if (!binding)
        return;
    Detach(window, binding);
    if (binding->depth == 0)
        delete binding;
}

bool HasWindowObject(HWND window)
{
    return BindingOf(window) != nullptr;
}

void CallDefaultWindowProc(HWND window, TMessage& message)
{
    WindowBinding* binding = BindingOf(window);
    if (binding && binding->original)
        message.Result =
            CallWindowProcA(binding->original, window, message.Msg, message.WParam, message.LParam);
    else
        message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
}

HWND AllocateHWnd(TWndMethod method, TObject* sender)
{
    RegisterUtilityWindowClass();
    // Created without a binding (its creation messages go to DefWindowProc) and bound after,
    // so the method always has the handle it needs for CallDefaultWindowProc.
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window)
        SetPropA(window, kBindingProperty, new WindowBinding{std::move(method), nullptr, sender});
    return window;
}

void DeallocateHWnd(HWND window)
{
    if (window)
        DestroyWindow(window);
}

// ---- subclassing through the system's chain ---------------------------------------------------

struct TWindowSubclass::State : std::enable_shared_from_this<State> {
    HWND window = nullptr;
    TWndMethod method;
    TObject* sender = nullptr;
    bool installed = false;

    void Remove();
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR refData);
};

void TWindowSubclass::State::Remove()
{
    if (!installed)
        return;
    installed = false;
    RemoveWindowSubclass(window, &State::Proc, reinterpret_cast<UINT_PTR>(this));
}

LRESULT CALLBACK TWindowSubclass::State::Proc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR refData)
{
    auto* raw = reinterpret_cast<State*>(refData);
    // Keeps the state (and the method running) alive when its owner goes inside the method.
    const std::shared_ptr<State> self = raw->shared_from_this();
    TMessage m{message, wParam, lParam, 0};
    if (self->installed) {
        try {
            self->method(m);
        } catch (...) {
            HandleUnhandledException(ExceptionPath::Application, self->sender);
            m.Result = 0;
        }
    } else
        CallNext(window, m);
    if (message == WM_NCDESTROY)
        self->Remove();
    return m.Result;
}

TWindowSubclass::TWindowSubclass(HWND window, TWndMethod method, TObject* sender)
    : state_(std::make_shared<State>())
{
    state_->window = window;
    state_->method = std::move(method);
    state_->sender = sender;
    state_->installed =
        window && SetWindowSubclass(window, &State::Proc, reinterpret_cast<UINT_PTR>(state_.get()),
                                    reinterpret_cast<DWORD_PTR>(state_.get()));
}

TWindowSubclass::~TWindowSubclass()
{
    state_->Remove();
}

HWND TWindowSubclass::Window() const
{
    return state_->window;
}

bool TWindowSubclass::Installed() const
{
    return state_->installed;
}

void TWindowSubclass::CallNext(HWND window, TMessage& message)
{
    message.Result = DefSubclassProc(window, message.Msg, message.WParam, message.LParam);
}

} // namespace classlib
