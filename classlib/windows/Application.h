#pragma once
// TApplication: the program's message loop, its hidden application window, its title and the
// default handling of exceptions that nothing else caught. One instance, `Application`,
// exists from start-up to the end of the program.
#include "core/Component.h"
#include "core/Events.h"
#include "windows/ExceptionHooks.h"
#include "windows/WindowProcs.h"

#include <windows.h>

#include <string>

namespace classlib {

class Exception;
class TMetaClass;

using TExceptionEvent = TEvent<void(TObject* Sender, Exception* E)>;
using TIdleEvent = TEvent<void(TObject* Sender, bool& Done)>;
using TMessageEvent = TEvent<void(MSG& Msg, bool& Handled)>;
class TBasicAction;
using TActionEvent = TEvent<void(TBasicAction* Action, bool& Handled)>;

class TApplication : public TComponent {
    CLASSLIB_CLASS(TApplication, TComponent)
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Nothing left to prepare in this run time; kept for the program entry's usual sequence.
    void Initialize() {}

    // The hidden top-level application window (owner of the program's dialogs and message
    // boxes, target of the main thread's wake-up for synchronized calls).
    HWND Handle() const { return handle_; }
    // The title; the executable's name without extension until one is set.
    std::string Title() const;
    void SetTitle(const std::string& title);
    std::string ExeName() const;

    // Creates a form (any component class) owned by the application and stores it in
    // `reference`; the first one becomes the main form. The forms module provides how a main
    // form is shown (SetFormHooks).
    void CreateForm(const TMetaClass& formClass, void* reference);
    template <class F>
    void CreateForm(F*& reference)
    {
        CreateForm(F::StaticClass(), &reference);
    }
    TComponent* MainForm() const { return mainForm_; }
    bool ShowMainForm = true;

    // Runs the message loop until Terminate (or WM_QUIT).
    void Run();
    // Handles all waiting messages and the pending synchronized calls, then returns.
    void ProcessMessages();
    // Handles one message, or when none is waiting goes idle (runs synchronized calls and
    // OnIdle) and waits for the next one.
    void HandleMessage();
    // Ends Run: posts WM_QUIT to the main thread.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Minimizes the main form's window (a form's own minimize button does the same).
    void Minimize();
    // Hides the hint window and forgets the pending hint: the next hint needs a new pause.
    void CancelHint();
    bool Running() const { return running_; }

    // Default handling of an exception nobody caught (call it inside a catch block): the
    // exception hooks first, then OnException, else ShowException; EAbort is silent.
    void HandleException(TObject* sender);
    // A message box with the exception's message (a final period added), titled Title.
    virtual void ShowException(Exception* E);

    // The long part of the hint of what the pointer or the menu selection is on. Setting it
    // runs OnHint, or when that is not assigned the hint action (a status bar shows it).
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    TNotifyEvent OnHint;

    // Offered every action before its own handler: true when OnActionExecute/OnActionUpdate
    // handled it.
    bool ExecuteAction(TBasicAction* action);
    bool UpdateAction(TBasicAction* action);
    TActionEvent OnActionExecute;
    TActionEvent OnActionUpdate;

    TExceptionEvent OnException;
    TIdleEvent OnIdle;
    // Sees every message ProcessMessages takes from the queue before it is dispatched.
    TMessageEvent OnMessage;

    // How the forms module shows the main form in Run; absent, Run shows nothing.
    struct FormHooks {
        void (*showMainForm)(TComponent* form) = nullptr;
        // Sees each message before it is translated and dispatched (keyboard messages go to
        // their control first: dialog keys, accelerators); true when it handled the message.
        bool (*isKeyMessage)(MSG& msg) = nullptr;
        // Runs the hint action for a new Hint when OnHint is not assigned.
        void (*executeHintAction)(const std::string& hint) = nullptr;
        void (*minimizeMainForm)(TComponent* form) = nullptr;
        void (*cancelHint)() = nullptr;
    };
    static void SetFormHooks(const FormHooks& hooks);

protected:
    // One message: false when the queue was empty.
    bool ProcessMessage(MSG& msg);
    void Idle(const MSG& msg);

private:
    void WndProc(TMessage& message);
    static void DefaultExceptionHandling(const UnhandledException& report);

    HWND handle_ = nullptr;
    std::string title_;
    std::string hint_;
    TComponent* mainForm_ = nullptr;
    bool terminated_ = false;
    bool running_ = false;
};

// The application object, created before the program's entry runs.
extern TApplication* Application;

} // namespace classlib
