// MDI forms: an fsMDIForm form holds the platform's MDI client window, its fsMDIChild forms
// are created inside that client, and both pass unhandled messages to the platform's MDI
// procedures (which activate, maximize and arrange children and list them in the Window menu).
#include "windows/Forms.h"

#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Menus.h"

namespace classlib {

namespace {

// Command numbers the MDI client gives the Window-menu entries of its children; far above the
// numbers menu items get.
constexpr UINT kFirstMDIChildCommand = 0xFF00;

} // namespace

TCustomForm* FindMDIForm()
{
    if (Application)
        if (auto* main = dynamic_cast<TCustomForm*>(Application->MainForm()))
            if (main->FormStyle() == fsMDIForm && main->ClientHandle())
                return main;
    for (int i = 0; i < FormCount(); ++i) {
        TCustomForm* form = Forms(i);
        if (form->FormStyle() == fsMDIForm && form->ClientHandle())
            return form;
    }
    return nullptr;
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (formStyle_ == value)
        return;
    formStyle_ = value;
    RecreateWnd();
}

void TCustomForm::ApplyMDIParams(TCreateParams& params) const
{
    switch (formStyle_) {
        case fsMDIChild: {
            TCustomForm* frame = FindMDIForm();
            if (!frame)
                throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
            params.ExStyle |= WS_EX_MDICHILD;
            params.Style = (params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
            params.WndParent = frame->ClientHandle();
            break;
        }
        case fsStayOnTop:
            params.ExStyle |= WS_EX_TOPMOST;
            break;
        default:
            break;
    }
}

void TCustomForm::CreateMDIClient()
{
    if (formStyle_ != fsMDIForm || clientHandle_ || !handle_)
        return;
    CLIENTCREATESTRUCT create{};
    create.hWindowMenu = windowMenu_ ? windowMenu_->Handle() : nullptr;
    create.idFirstChild = kFirstMDIChildCommand;
    RECT client;
    GetClientRect(handle_, &client);
    clientHandle_ = CreateWindowExA(
        WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, client.right,
        client.bottom, handle_, nullptr, GetModuleHandleA(nullptr), &create);
    if (!clientHandle_)
        throw EOutOfResources(
            Format("Error creating the MDI client of %s (system error %d)",
                   {Name().empty() ? ClassName() : Name(), static_cast<int>(GetLastError())}));
}

void TCustomForm::ShowMDIChild()
{
    if (HWND client = GetParent(handle_)) {
        SendMessageA(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(handle_), 0);
        // The Window menu lists the new child.
        SendMessageA(client, WM_MDIREFRESHMENU, 0, 0);
    }
}

bool TCustomForm::DestroyMDIChildWindow()
{
    if (formStyle_ != fsMDIChild || !handle_)
        return false;
    HWND client = GetParent(handle_);
    if (!client)
        return false;
    FreeDeviceContexts();
    text_ = Text();
    // The client keeps a list of its children and the Window-menu entries for them: it has to
    // destroy the window itself. WM_NCDESTROY then clears this form's handle.
    SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(handle_), 0);
    SendMessageA(client, WM_MDIREFRESHMENU, 0, 0);
    return handle_ == nullptr;
}

void TCustomForm::DefaultHandler(TMessage& message)
{
    if (!handle_)
        return;
    if (formStyle_ == fsMDIForm && clientHandle_)
        message.Result =
            DefFrameProcA(handle_, clientHandle_, message.Msg, message.WParam, message.LParam);
    else if (formStyle_ == fsMDIChild && (GetWindowLongA(handle_, GWL_EXSTYLE) & WS_EX_MDICHILD))
        message.Result = DefMDIChildProcA(handle_, message.Msg, message.WParam, message.LParam);
    else
        TWinControl::DefaultHandler(message);
}

void TCustomForm::SetWindowMenu(TMenuItem* value)
{
    if (windowMenu_ == value)
        return;
    if (windowMenu_)
        windowMenu_->RemoveFreeNotification(this);
    windowMenu_ = value;
    if (value)
        value->FreeNotification(this);
    if (clientHandle_ && formStyle_ == fsMDIForm) {
        HMENU frameMenu = GetMenu(handle_);
        SendMessageA(clientHandle_, WM_MDISETMENU, reinterpret_cast<WPARAM>(frameMenu),
                     reinterpret_cast<LPARAM>(value ? value->Handle() : nullptr));
        DrawMenuBar(handle_);
    }
}

int TCustomForm::MDIChildCount() const
{
    int count = 0;
    if (clientHandle_)
        for (HWND w = GetWindow(clientHandle_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(w)))
                if (form->FormStyle() == fsMDIChild)
                    ++count;
    return count;
}

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    int i = 0;
    if (clientHandle_)
        for (HWND w = GetWindow(clientHandle_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(w)))
                if (form->FormStyle() == fsMDIChild && i++ == index)
                    return form;
    throw EListError(Format(messages::ListIndexError, {index}));
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
    if (!clientHandle_)
        return nullptr;
    auto active = reinterpret_cast<HWND>(SendMessageA(clientHandle_, WM_MDIGETACTIVE, 0, 0));
    return active ? dynamic_cast<TCustomForm*>(TWinControl::FindControl(active)) : nullptr;
}

void TCustomForm::Cascade()
{
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDICASCADE, 0, 0);
}

void TCustomForm::Tile()
{
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDITILE,
                     tileMode_ == tbHorizontal ? MDITILE_HORIZONTAL : MDITILE_VERTICAL, 0);
}

void TCustomForm::ArrangeIcons()
{
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDIICONARRANGE, 0, 0);
}

void TCustomForm::Next()
{
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDINEXT, 0, 0);
}

void TCustomForm::Previous()
{
    if (clientHandle_)
        SendMessageA(clientHandle_, WM_MDINEXT, 0, 1);
}

} // namespace classlib
