#pragma once
// Window procedures for objects. A window created or subclassed here sends its messages to a
// method of an object; the binding lives in a window property (never in GWLP_USERDATA, which
// other code uses). Every message is dispatched inside a guard that catches C++ exceptions and
// reports them (ExceptionHooks.h): a C++ exception must never unwind through user32.
#include <windows.h>

#include <functional>
#include <memory>

namespace classlib {

class TObject;

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// The method that receives a window's messages. Messages it does not handle go on to
// CallDefaultWindowProc.
using TWndMethod = std::function<void(TMessage&)>;

// Window procedure of the window classes the class library registers. Windows of such a
// class created through CreateObjectWindow reach their method from the first message
// (WM_NCCREATE, or WM_GETMINMAXINFO before it) on.
LRESULT CALLBACK ObjectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates a window whose messages go to `method`. `sender` is the object reported with an
// exception that escapes the method. The class must use ObjectWindowProc. When `handleSlot`
// is given, the window's handle is stored there before the first message reaches the method,
// so the object knows its handle while it is being created.
HWND CreateObjectWindow(DWORD exStyle, const char* className, const char* caption, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menu,
                        TWndMethod method, TObject* sender, HWND* handleSlot = nullptr);

// Routes the messages of an existing window (for example a native control) to `method`; its
// original procedure becomes the default procedure.
void SubclassToObject(HWND window, TWndMethod method, TObject* sender);

// Stops dispatching to the object: the window keeps working with its default procedure.
// Safe inside the object's own method; the binding is released after that call returns.
void DetachWindowObject(HWND window);

// True when the window's messages go to an object.
bool HasWindowObject(HWND window);

// The procedure that handles what the object's method leaves: the original procedure of a
// subclassed window, else DefWindowProc. Sets message.Result.
void CallDefaultWindowProc(HWND window, TMessage& message);

// Subclasses any window (a form's, a native control's) through the system's subclass chain
// (SetWindowSubclass), not by replacing GWLP_WNDPROC and keeping the old procedure in
// GWLP_USERDATA: any number of subclassers are added and removed in any order without
// cutting each other off. Messages go to `method`, which passes what it leaves on with
// CallNext; a C++ exception from it goes to the application's handler (`sender` reported).
// The subclass ends with this object or with the window. Freeing the object inside its own
// method is safe: the method finishes first.
class TWindowSubclass {
public:
    TWindowSubclass(HWND window, TWndMethod method, TObject* sender = nullptr);
    ~TWindowSubclass();
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;

    HWND Window() const;
    // False once the window is gone or the system refused the subclass.
    bool Installed() const;
    // The rest of the chain (the subclassers added before, then the window's procedure).
    static void CallNext(HWND window, TMessage& message);

    struct State;

private:
    std::shared_ptr<State> state_;
};

// A hidden top-level window (not a message-only window, so that broadcasts such as
// WM_DEVICECHANGE reach it) whose messages go to `method`. Created on the calling thread; the
// method should pass unhandled messages to CallDefaultWindowProc.
HWND AllocateHWnd(TWndMethod method, TObject* sender = nullptr);
// Destroys a window made by AllocateHWnd; allowed inside the window's own method.
void DeallocateHWnd(HWND window);

} // namespace classlib
