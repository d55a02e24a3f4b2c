#include "windows/Forms.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"
#include "core/SysUtils.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Menus.h"
#include "windows/Screen.h"
#include "windows/StdCtrls.h"
#include "windows/Timers.h"

#include <algorithm>
#include <vector>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
CLASSLIB_DEFINE_ENUM(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                     "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
CLASSLIB_DEFINE_ENUM(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")
CLASSLIB_DEFINE_ENUM(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
CLASSLIB_DEFINE_ENUM(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
CLASSLIB_DEFINE_ENUM(TTileMode, "tbHorizontal", "tbVertical")

namespace {

std::vector<TCustomForm*>& AllForms()
{
    static std::vector<TCustomForm*> forms;
    return forms;
}

void ShowMainForm(TComponent* form)
{
    if (auto* f = dynamic_cast<TCustomForm*>(form))
        f->Show();
}

TComponent* FindGlobalForm(std::string_view name)
{
    for (TCustomForm* f : AllForms())
        if (SameText(f->Name(), name))
            return f;
    return nullptr;
}

// Installs what the application's message loop and the streams need from this module.
struct FormModule {
    FormModule()
    {
        TApplication::FormHooks hooks;
        hooks.showMainForm = &ShowMainForm;
        hooks.isKeyMessage = &IsKeyMessage;
        hooks.executeHintAction = &ExecuteHintAction;
        hooks.minimizeMainForm = [](TComponent* form) {
            if (auto* f = dynamic_cast<TCustomForm*>(form))
                f->SetWindowState(wsMinimized);
        };
        hooks.cancelHint = [] { THintManager::Instance().CancelHint(); };
        TApplication::SetFormHooks(hooks);
        SetFindGlobalComponent(&FindGlobalForm);
    }
};

// Posted by a form that hides on deactivation, so that it hides after the activation change.
constexpr UINT CM_HIDEDEACTIVATED = CM_BASE + 0x90;

struct Disabling {
    HWND keep;
    std::vector<HWND>* list;
};

BOOL CALLBACK DisableOtherWindow(HWND w, LPARAM p)
{
    auto* d = reinterpret_cast<Disabling*>(p);
    if (w != d->keep && IsWindowVisible(w) && IsWindowEnabled(w)) {
        d->list->push_back(w);
        EnableWindow(w, FALSE);
    }
    return TRUE;
}

} // namespace

int FormCount()
{
    return static_cast<int>(AllForms().size());
}

TCustomForm* Forms(int index)
{
    auto& forms = AllForms();
    if (index < 0 || index >= static_cast<int>(forms.size()))
        throw EListError(Format(messages::ListIndexError, {index}));
    return forms[static_cast<size_t>(index)];
}

bool IsKeyMessage(MSG& msg)
{
    // Each message taken from the queue is a point where no canvas is drawing.
    FreeDeviceContexts();
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_KEYUP &&
        msg.message != WM_SYSKEYUP && msg.message != WM_CHAR && msg.message != WM_SYSCHAR)
        return false;
    // The control that owns the window, or the nearest owner above it (the edit field inside
    // a combo box belongs to the combo box).
    TWinControl* control = nullptr;
    for (HWND w = msg.hwnd; w && !control; w = GetParent(w))
        control = TWinControl::FindControl(w);
    if (!control)
        return false;
    return control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

// ---- TCustomForm ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomForm) {}

CLASSLIB_PUBLISH(TForm)
{
    c.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
    c.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
        .SetDefault(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    c.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).SetDefault(bsSizeable);
    c.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).SetDefault(fsNormal);
    c.Property("ClientHeight", &TForm::LayoutClientHeight, &TForm::SetLayoutClientHeight);
    c.Property("ClientWidth", &TForm::LayoutClientWidth, &TForm::SetLayoutClientWidth);
    c.Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).SetDefault(false);
    c.Property("Menu", &TForm::Menu, &TForm::SetMenu);
    c.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch);
    c.Property("Position", &TForm::Position, &TForm::SetPosition).SetDefault(poDesigned);
    c.Property("Scaled", &TForm::Scaled, &TForm::SetScaled).SetDefault(true);
    c.Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight);
    c.Property("WindowMenu", &TForm::WindowMenu, &TForm::SetWindowMenu);
    c.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).SetDefault(wsNormal);
    c.Property("OnActivate", &TForm::OnActivate);
    c.Property("OnClose", &TForm::OnClose);
    c.Property("OnCloseQuery", &TForm::OnCloseQuery);
    c.Property("OnCreate", &TForm::OnCreate);
    c.Property("OnDeactivate", &TForm::OnDeactivate);
    c.Property("OnDestroy", &TForm::OnDestroy);
    c.Property("OnHide", &TForm::OnHide);
    c.Property("OnResize", &TForm::OnResize);
    c.Property("OnShow", &TForm::OnShow);
}

CLASSLIB_MESSAGE_MAP(TCustomForm)
{
    m.On(WM_CLOSE, &TCustomForm::WMClose);
    m.On(WM_ACTIVATE, &TCustomForm::WMActivate);
    m.On(WM_SIZE, &TCustomForm::WMSize);
    m.On(WM_DESTROY, &TCustomForm::WMDestroy);
    m.On(CM_DIALOGKEY, &TCustomForm::CMDialogKey);
    m.On(CM_RELEASE, &TCustomForm::CMRelease);
    m.On(CM_TEXTCHANGED, &TCustomForm::CMTextChanged);
    m.On(WM_GETMINMAXINFO, &TCustomForm::WMGetMinMaxInfo);
    m.On(WM_SYSCOMMAND, &TCustomForm::WMSysCommand);
    m.On(CM_HIDEDEACTIVATED, &TCustomForm::CMHideDeactivated);
    for (UINT msg :
         {WM_COMMAND, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR, WM_MEASUREITEM, WM_DRAWITEM})
        m.On(msg, &TCustomForm::WMMenuMessage);
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), canvas_(new TControlCanvas(this))
{
    static FormModule module;
    RegisterFormClasses();
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csDoubleClicks};
    visible_ = false;
    parentFont_ = false;
    color_ = clBtnFace;
    brush_->SetColor(color_);
    SetBounds(0, 0, 320, 240);
    AllForms().push_back(this);
}

TCustomForm::~TCustomForm()
{
    // Owned components go while the form is whole: they refer to it as their parent.
    DestroyComponents();
    auto& forms = AllForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    delete canvas_;
    canvas_ = nullptr;
}

void TCustomForm::BeforeDestruction()
{
    DoDestroy();
    TWinControl::BeforeDestruction();
}

void TCustomForm::LoadLayout()
{
    LoadLayout(UpperCase(ClassName()));
}

void TCustomForm::LoadLayout(const std::string& resourceName)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, resourceName.c_str(), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!info)
        throw ELayoutError(Format("Layout resource %s not found", {resourceName}));
    HGLOBAL data = LoadResource(module, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        throw ELayoutError(Format("Layout resource %s cannot be loaded", {resourceName}));
    TMemoryStream stream;
    stream.WriteBuffer(bytes, SizeofResource(module, info));
    stream.SetPosition(0);
    LoadLayoutFromStream(stream);
}

void TCustomForm::LoadLayoutFromStream(TStream& stream)
{
    RegisterFormClasses();
    DisableAlign();
    try {
        ReadComponentFromStream(stream, this);
    } catch (const EFilerError& e) {
        EnableAlign();
        throw ELayoutError(Format("Layout of %s: %s", {ClassName(), e.Message()}));
    } catch (...) {
        EnableAlign();
        throw;
    }
    // A layout made at another resolution is brought to this screen's.
    const int screenPpi = Screen->PixelsPerInch();
    if (scaled_ && pixelsPerInch_ > 0 && pixelsPerInch_ != screenPpi) {
        ChangeScale(screenPpi, pixelsPerInch_);
        pixelsPerInch_ = screenPpi;
    }
    EnableAlign();
    DoCreate();
}

void TCustomForm::ChangeScale(int m, int d)
{
    if (m == d || d == 0)
        return;
    const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->ChangeScale(m, d);
    if (!parentFont_)
        font_->SetHeight(MulDiv(font_->Height(), m, d));
    SetClientSize(MulDiv(clientWidth, m, d), MulDiv(clientHeight, m, d));
    EnableAlign();
}

void TCustomForm::DoCreate()
{
    createFired_ = true;
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::DoDestroy()
{
    if (OnDestroy) {
        TNotifyEvent handler = OnDestroy;
        OnDestroy = nullptr; // once
        handler(this);
    }
}

// ---- window ---------------------------------------------------------------------------------

DWORD TCustomForm::WindowStyle(DWORD& exStyle) const
{
    DWORD style = WS_CLIPCHILDREN;
    exStyle = 0;
    switch (borderStyle_) {
        case bsNone:
            style |= WS_POPUP;
            break;
        case bsSingle:
            style |= WS_CAPTION | WS_BORDER;
            break;
        case bsSizeable:
            style |= WS_CAPTION | WS_THICKFRAME;
            break;
        case bsDialog:
            style |= WS_POPUP | WS_CAPTION;
            exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            break;
        case bsToolWindow:
            style |= WS_CAPTION;
            exStyle |= WS_EX_TOOLWINDOW;
            break;
        case bsSizeToolWin:
            style |= WS_CAPTION | WS_THICKFRAME;
            exStyle |= WS_EX_TOOLWINDOW;
            break;
    }
    if (borderStyle_ != bsNone && borderIcons_.Contains(biSystemMenu)) {
        style |= WS_SYSMENU;
        if (borderStyle_ != bsDialog && borderStyle_ != bsToolWindow &&
            borderStyle_ != bsSizeToolWin) {
            if (borderIcons_.Contains(biMinimize))
                style |= WS_MINIMIZEBOX;
            if (borderIcons_.Contains(biMaximize))
                style |= WS_MAXIMIZEBOX;
        }
        if (borderIcons_.Contains(biHelp))
            exStyle |= WS_EX_CONTEXTHELP;
    }
    return style;
}

void TCustomForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = WindowStyle(params.ExStyle);
    if (!enabled_)
        params.Style |= WS_DISABLED;
    params.WndParent =
        parentWindow_ ? parentWindow_ : (Application ? Application->Handle() : nullptr);
    if (parent_ && popupWindow_) {
        params.Style = (params.Style & ~WS_CHILD) | WS_POPUP;
        params.WndParent = GetAncestor(parent_->Handle(), GA_ROOT);
    } else if (parent_) {
        params.Style = (params.Style & ~WS_POPUP) | WS_CHILD | WS_CLIPSIBLINGS;
        params.WndParent = parent_->Handle();
    }
    params.WinClassName = "Classlib" + ClassName();
    ApplyMDIParams(params);
}

void TCustomForm::SetMenu(TMainMenu* value)
{
    if (menu_ == value)
        return;
    if (menu_ && handle_)
        ::SetMenu(handle_, nullptr);
    if (menu_)
        menu_->SetWindowHandle(nullptr);
    menu_ = value;
    if (value) {
        value->FreeNotification(this);
        if (handle_) {
            value->SetWindowHandle(handle_);
            ::SetMenu(handle_, value->Handle());
        }
    }
    // The client area changes with the bar: keep the layout's client size.
    if (handle_)
        UpdateBounds();
}

void TCustomForm::SetMenuBarControl(TWinControl* value)
{
    if (menuBarControl_ == value)
        return;
    if (menuBarControl_)
        menuBarControl_->RemoveFreeNotification(this);
    menuBarControl_ = value;
    if (value)
        value->FreeNotification(this);
}

bool TCustomForm::OfferKeyMenu(TMessage& m)
{
    if ((m.WParam & 0xFFF0) != SC_KEYMENU || menu_ || !menuBarControl_ || offeringKeyMenu_)
        return false;
    offeringKeyMenu_ = true; // the bar's own default handling comes back here
    const bool taken = menuBarControl_->Perform(WM_SYSCOMMAND, m.WParam, m.LParam) != 0;
    offeringKeyMenu_ = false;
    if (taken)
        m.Result = 0;
    return taken;
}

void TCustomForm::WMSysCommand(TMessage& m)
{
    if (!OfferKeyMenu(m))
        DefaultHandler(m);
}

void TCustomForm::SetBorderWidth(int value)
{
    value = std::max(0, value);
    if (borderWidth_ == value)
        return;
    borderWidth_ = value;
    Realign();
    Invalidate();
}

void TCustomForm::AdjustClientRect(RECT& rect)
{
    TWinControl::AdjustClientRect(rect);
    InflateRect(&rect, -borderWidth_, -borderWidth_);
}

void TCustomForm::SetPopupWindow(bool value)
{
    if (popupWindow_ == value)
        return;
    popupWindow_ = value;
    RecreateWnd();
}

void TCustomForm::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

void TCustomForm::PaintWindow(HDC dc)
{
    PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}

bool TCustomForm::IsShortCut(const TMessage& message)
{
    return menu_ && menu_->IsShortCut(message);
}

void TCustomForm::WMMenuMessage(TMessage& m)
{
    if (!DispatchMenuMessage(m))
        Inherited(TCustomForm::StaticClass(), m);
}

void TCustomForm::WMGetMinMaxInfo(TMessage& m)
{
    DefaultHandler(m);
    auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
    const TSizeConstraints& c = *constraints_;
    if (c.MinWidth() > 0)
        info->ptMinTrackSize.x = c.MinWidth();
    if (c.MinHeight() > 0)
        info->ptMinTrackSize.y = c.MinHeight();
    if (c.MaxWidth() > 0)
        info->ptMaxTrackSize.x = c.MaxWidth();
    if (c.MaxHeight() > 0)
        info->ptMaxTrackSize.y = c.MaxHeight();
}

void TCustomForm::DestroyWnd()
{
    // The window would destroy the menu it shows; the items own their handles.
    if (menu_ && handle_)
        ::SetMenu(handle_, nullptr);
    clientHandle_ = nullptr;
    if (!DestroyMDIChildWindow())
        TWinControl::DestroyWnd();
}

void TCustomForm::CreateHandle()
{
    TWinControl::CreateHandle();
    // The MDI client first: a menu that takes over the client's Window menu finds it.
    CreateMDIClient();
    if (menu_) {
        menu_->SetWindowHandle(handle_);
        ::SetMenu(handle_, menu_->Handle());
    }
    // The window now has real frame sizes; bring the stored outer size back in line.
    UpdateBounds();
}

RECT TCustomForm::ClientRect() const
{
    if (handle_)
        return TWinControl::ClientRect();
    DWORD ex = 0;
    const DWORD style = WindowStyle(ex);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, ex);
    return RECT{0, 0, std::max(0L, width_ - (frame.right - frame.left)),
                std::max(0L, height_ - (frame.bottom - frame.top))};
}

void TCustomForm::SetClientSize(int width, int height)
{
    DWORD ex = 0;
    DWORD style = WindowStyle(ex);
    if (handle_) {
        style = static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE));
        ex = static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE));
    }
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
    if (handle_) {
        // Frames may differ from the computed ones; correct by what the window reports.
        RECT client;
        GetClientRect(handle_, &client);
        if (client.right != width || client.bottom != height)
            SetBounds(left_, top_, width_ + width - client.right, height_ + height - client.bottom);
    }
}

void TCustomForm::SetBorderStyle(TBorderStyle value)
{
    if (borderStyle_ == value)
        return;
    const int cw = ClientWidth(), ch = ClientHeight();
    borderStyle_ = value;
    if (ComponentState().Contains(csLoading))
        SetClientSize(cw, ch);
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (borderIcons_ == value)
        return;
    borderIcons_ = value;
    RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState value)
{
    windowState_ = value;
    if (handle_ && visible_)
        ShowWindow(handle_, value == wsMinimized   ? SW_MINIMIZE
                            : value == wsMaximized ? SW_MAXIMIZE
                                                   : SW_RESTORE);
}

void TCustomForm::PlaceOnScreen()
{
    if (placed_)
        return;
    placed_ = true;
    int x = left_, y = top_;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter:
            x = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
            y = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
            break;
        case poMainFormCenter:
        case poOwnerFormCenter: {
            auto* other = dynamic_cast<TCustomForm*>(
                position_ == poOwnerFormCenter ? Owner()
                                               : (Application ? Application->MainForm() : nullptr));
            if (other && other != this) {
                x = other->left_ + (other->width_ - width_) / 2;
                y = other->top_ + (other->height_ - height_) / 2;
            }
            break;
        }
        default:
            return;
    }
    SetBounds(std::max(0, x), std::max(0, y), width_, height_);
}

void TCustomForm::SetVisible(bool value)
{
    if (visible_ == value)
        return;
    if (value) {
        visible_ = true;
        try {
            HandleNeeded();
            PlaceOnScreen();
            DoShow();
        } catch (...) {
            visible_ = false;
            throw;
        }
        ShowWindow(handle_, windowState_ == wsMinimized   ? SW_SHOWMINIMIZED
                            : windowState_ == wsMaximized ? SW_SHOWMAXIMIZED
                                                          : SW_SHOWNORMAL);
        if (formStyle_ == fsMDIChild)
            ShowMDIChild();
        else
            SetForegroundWindow(handle_);
        if (formStyle_ != fsMDIChild)
            SetActiveWindow(handle_);
        // Without a window manager activation may not arrive; the focus goes in anyway.
        if (TWinControl* target =
                activeControl_ ? activeControl_ : FindNextControl(nullptr, true, true, false))
            if (target->CanFocus())
                ::SetFocus(target->Handle());
    } else {
        DoHide();
        visible_ = false;
        if (handle_)
            ShowWindow(handle_, SW_HIDE);
    }
    Perform(CM_SHOWINGCHANGED);
}

void TCustomForm::Show()
{
    SetVisible(true);
    if (handle_)
        BringWindowToTop(handle_);
}

void TCustomForm::Hide()
{
    SetVisible(false);
}

TModalResult TCustomForm::ShowModal()
{
    if (visible_ || modal_ || !enabled_)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture())
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    // Every other enabled window of this thread is disabled while the form is up.
    std::vector<HWND> disabled;
    HandleNeeded();
    Disabling disabling{handle_, &disabled};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOtherWindow,
                      reinterpret_cast<LPARAM>(&disabling));
    modal_ = true;
    modalResult_ = mrNone;
    auto restore = [&] {
        for (HWND w : disabled)
            if (IsWindow(w))
                EnableWindow(w, TRUE);
        modal_ = false;
    };
    try {
        Show();
        while (modalResult_ == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone) {
                // The form may refuse to close.
                TCloseAction action = caHide;
                if (!CloseQuery())
                    action = caNone;
                else
                    DoClose(action);
                if (action == caNone)
                    modalResult_ = mrNone;
            }
        }
        Hide();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return modalResult_;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    const bool isMain = Application && Application->MainForm() == this;
    // An MDI child cannot hide inside its frame; it goes to an icon.
    TCloseAction action = isMain ? caFree : formStyle_ == fsMDIChild ? caMinimize : caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (isMain) {
        Application->Terminate();
        Hide();
        return;
    }
    switch (action) {
        case caHide:
            Hide();
            break;
        case caMinimize:
            SetWindowState(wsMinimized);
            break;
        case caFree:
            ReleaseForm();
            break;
        default:
            break;
    }
}

void TCustomForm::ReleaseForm()
{
    if (handle_)
        PostMessageA(handle_, CM_RELEASE, 0, 0);
    else
        Free();
}

void TCustomForm::CMRelease(TMessage&)
{
    Free();
}

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMDestroy(TMessage& m)
{
    if (menu_)
        ::SetMenu(handle_, nullptr);
    clientHandle_ = nullptr;
    DefaultHandler(m);
}

void TCustomForm::WMActivate(TMessage& m)
{
    DefaultHandler(m);
    const bool activating = LOWORD(m.WParam) != WA_INACTIVE;
    if (activating == active_)
        return;
    active_ = activating;
    if (activating) {
        TWinControl* target = activeControl_;
        if (!target || !target->CanFocus())
            target = FindNextControl(nullptr, true, true, false);
        if (target && target->CanFocus())
            ::SetFocus(target->Handle());
        if (OnActivate)
            OnActivate(this);
    } else {
        if (OnDeactivate)
            OnDeactivate(this);
        if (hideOnDeactivate_ && visible_ && handle_)
            PostMessageA(handle_, CM_HIDEDEACTIVATED, 0, 0);
    }
}

void TCustomForm::CMHideDeactivated(TMessage&)
{
    // Activated again meanwhile, or the application refuses: the form stays.
    if (active_ || !visible_ || !CloseQuery())
        return;
    Hide();
}

void TCustomForm::WMSize(TMessage& m)
{
    TWinControl::WMSize(m);
}

void TCustomForm::CMTextChanged(TMessage&) {}

// ---- focus ----------------------------------------------------------------------------------

bool TCustomForm::CanFocus() const
{
    return visible_ && enabled_;
}

void TCustomForm::SetFocus()
{
    if (handle_ && visible_)
        ::SetFocus(handle_);
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == activeControl_)
        return;
    if (control && (control == this || !ContainsControl(control)))
        throw EInvalidOperation("Invalid active control: not a control of this form");
    activeControl_ = control;
    if (control && handle_ && visible_ && control->CanFocus() &&
        !ComponentState().Contains(csLoading))
        ::SetFocus(control->Handle());
}

void TCustomForm::FocusControl(TWinControl* control)
{
    if (!control || !control->CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ::SetFocus(control->Handle());
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (control == focusedControl_ || control == this)
        return;
    TWinControl* old = focusedControl_;
    focusedControl_ = control;
    activeControl_ = control;
    // Exit from the old control and the containers that do not hold the new one, inner first;
    // enter the containers of the new one that did not hold the old one, outer first.
    for (TWinControl* c = old; c && c != this && !c->ContainsControl(control); c = c->parent_)
        c->Perform(CM_EXIT);
    std::vector<TWinControl*> entering;
    for (TWinControl* c = control; c && c != this && !(old && c->ContainsControl(old));
         c = c->parent_)
        entering.push_back(c);
    for (auto it = entering.rbegin(); it != entering.rend(); ++it)
        (*it)->Perform(CM_ENTER);
    TMessage changed{CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control), 0};
    std::vector<TWinControl*> all;
    GetTabOrderList(all);
    for (TWinControl* c : all)
        c->WindowProc(changed);
    for (TControl* c : controls_)
        c->WindowProc(changed);
}

void TCustomForm::ControlRemoving(TWinControl* control)
{
    if (activeControl_ && control->ContainsControl(activeControl_))
        activeControl_ = nullptr;
    if (focusedControl_ && control->ContainsControl(focusedControl_))
        focusedControl_ = nullptr;
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove) {
        if (component == activeControl_)
            activeControl_ = nullptr;
        if (component == focusedControl_)
            focusedControl_ = nullptr;
        if (component == menu_)
            menu_ = nullptr;
        if (component == windowMenu_)
            windowMenu_ = nullptr;
        if (component == menuBarControl_)
            menuBarControl_ = nullptr;
    }
}

// Tab and arrows move the focus; Enter and Escape go to every control (the default and the
// cancel buttons answer them).
void TCustomForm::CMDialogKey(TMessage& m)
{
    if (GetKeyState(VK_MENU) >= 0) {
        switch (m.WParam) {
            case VK_TAB:
                if (GetKeyState(VK_CONTROL) >= 0) {
                    SelectNext(focusedControl_, GetKeyState(VK_SHIFT) >= 0, true);
                    m.Result = 1;
                    return;
                }
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (focusedControl_ && focusedControl_->Parent()) {
                    focusedControl_->Parent()->SelectNext(
                        focusedControl_, m.WParam == VK_RIGHT || m.WParam == VK_DOWN, false);
                    m.Result = 1;
                }
                return;
            default:
                break;
        }
    }
    Inherited(TCustomForm::StaticClass(), m);
}

void RegisterFormClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterControlsClasses();
    RegisterActionClasses();
    RegisterMenuClasses();
    RegisterStandardClasses();
    RegisterClasses({&TForm::StaticClass(), &TTimer::StaticClass()});
}

} // namespace classlib
