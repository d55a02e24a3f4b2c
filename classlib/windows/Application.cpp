#include "windows/Application.h"

#include "core/TypeInfo.h"
#include "windows/LocaleFormats.h"
#include "windows/Threads.h"

#include <memory>

namespace classlib {

CLASSLIB_PUBLISH(TApplication) {}

namespace {

const char* const kApplicationWindowClass = "ClasslibApplication";

TApplication::FormHooks formHooks;

// Created during static initialisation (on the main thread), freed at the end of the program.
struct ApplicationLifetime {
    ApplicationLifetime()
    {
        // Dates and times are written in the user's formats.
        FormatSettings = GetLocaleFormatSettings(LOCALE_USER_DEFAULT);
        Application = new TApplication(nullptr);
    }
    ~ApplicationLifetime()
    {
        TApplication* application = Application;
        Application = nullptr;
        delete application;
    }
};

} // namespace

TApplication* Application = nullptr;

namespace {
ApplicationLifetime lifetime;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ObjectWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    windowClass.lpszClassName = kApplicationWindowClass;
    RegisterClassA(&windowClass);
    CreateObjectWindow(
        0, kApplicationWindowClass, Title().c_str(),
        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
        nullptr, [this](TMessage& m) { WndProc(m); }, this, &handle_);
    InitSynchronization();
    SetDefaultExceptionHandler(&TApplication::DefaultExceptionHandling);
    // Components report what fails while their tree is being destroyed here.
    SetApplicationHandleException([](TObject* sender) {
        if (Application)
            Application->HandleException(sender);
        else
            HandleUnhandledException(ExceptionPath::Application, sender);
    });
}

TApplication::~TApplication()
{
    SetApplicationHandleException(nullptr);
    SetDefaultExceptionHandler(nullptr);
    DestroyComponents();
    if (handle_)
        DestroyWindow(handle_);
}

void TApplication::WndProc(TMessage& message)
{
    CallDefaultWindowProc(handle_, message);
}

void TApplication::SetHint(const std::string& value)
{
    if (hint_ == value)
        return;
    hint_ = value;
    if (OnHint)
        OnHint(this);
    else if (formHooks.executeHintAction)
        formHooks.executeHintAction(value);
}

bool TApplication::ExecuteAction(TBasicAction* action)
{
    bool handled = false;
    if (OnActionExecute)
        OnActionExecute(action, handled);
    return handled;
}

bool TApplication::UpdateAction(TBasicAction* action)
{
    bool handled = false;
    if (OnActionUpdate)
        OnActionUpdate(action, handled);
    return handled;
}

std::string TApplication::ExeName() const
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string TApplication::Title() const
{
    if (!title_.empty())
        return title_;
    std::string name = ExeName();
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    if (handle_)
        SetWindowTextA(handle_, Title().c_str());
}

void TApplication::SetFormHooks(const FormHooks& hooks)
{
    formHooks = hooks;
}

void TApplication::CreateForm(const TMetaClass& formClass, void* reference)
{
    // The reference is set before the form's own creation code could look for it.
    TObject* instance = formClass.Create(this);
    auto* form = dynamic_cast<TComponent*>(instance);
    *static_cast<TComponent**>(reference) = form;
    if (!mainForm_)
        mainForm_ = form;
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    if (OnMessage)
        OnMessage(msg, handled);
    if (!handled && formHooks.isKeyMessage)
        handled = formHooks.isKeyMessage(msg);
    if (!handled) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void TApplication::ProcessMessages()
{
    CheckSynchronize();
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    CheckSynchronize();
}

void TApplication::Idle(const MSG&)
{
    bool done = true;
    if (OnIdle)
        OnIdle(this, done);
    if (CheckSynchronize())
        done = false;
    if (done)
        WaitMessage();
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg))
        Idle(msg);
}

void TApplication::Run()
{
    running_ = true;
    if (mainForm_ && ShowMainForm && formHooks.showMainForm)
        formHooks.showMainForm(mainForm_);
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
    running_ = false;
}

void TApplication::Terminate()
{
    if (GetCurrentThreadId() == MainThreadID())
        PostQuitMessage(0);
    else
        PostThreadMessageA(MainThreadID(), WM_QUIT, 0, 0);
}

void TApplication::Minimize()
{
    if (mainForm_ && formHooks.minimizeMainForm)
        formHooks.minimizeMainForm(mainForm_);
}

void TApplication::CancelHint()
{
    if (formHooks.cancelHint)
        formHooks.cancelHint();
}

void TApplication::HandleException(TObject* sender)
{
    // A window that holds the mouse would keep it while a message box is up.
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
    HandleUnhandledException(ExceptionPath::Application, sender);
}

void TApplication::DefaultExceptionHandling(const UnhandledException& report)
{
    TApplication* application = Application;
    if (!application || report.path == ExceptionPath::ThreadExecute)
        return; // a thread keeps its exception as FatalException
    try {
        std::rethrow_exception(report.exception);
    } catch (EAbort&) {
        // Silent by design.
    } catch (Exception& error) {
        if (application->OnException)
            application->OnException(report.sender, &error);
        else
            application->ShowException(&error);
    } catch (...) {
        Exception error(ExceptionMessage(report.exception));
        if (application->OnException)
            application->OnException(report.sender, &error);
        else
            application->ShowException(&error);
    }
}

void TApplication::ShowException(Exception* E)
{
    std::string message = E->Message();
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = handle_;
    MessageBoxA(owner, message.c_str(), Title().c_str(), MB_OK | MB_ICONSTOP);
}

} // namespace classlib
