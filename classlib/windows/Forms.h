#pragma once
// Forms: top-level windows that hold controls. A form class with a layout reads it in its
// constructor with LoadLayout() (the compiled layout resource named after its class); a form
// created with only the constructor is empty (the equivalent of CreateNew).
//
// While loading, the layout's components are created by class name in declaration order with
// the loading state set, their properties are set, references and event handlers are bound by
// name (to the form's published methods), and Loaded runs in creation order; then OnCreate.
#include "windows/Controls.h"
#include "windows/Dialogs.h"

#include <string>

namespace classlib {

class TStream;
class TMainMenu;
class TMenuItem;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
// An MDI form (frame) holds an MDI client window in which its MDI child forms live.
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TTileMode { tbHorizontal, tbVertical };
CLASSLIB_ENUM(TFormStyle);
CLASSLIB_ENUM(TTileMode);
CLASSLIB_ENUM(TBorderIcon);
CLASSLIB_ENUM(TPosition);
CLASSLIB_ENUM(TCloseAction);
CLASSLIB_ENUM(TWindowState);

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

// A layout that cannot be read: the message names the component and property at fault.
CLASSLIB_DECLARE_EXCEPTION(ELayoutError, EReadError);

class TCustomForm : public TWinControl {
    CLASSLIB_CLASS(TCustomForm, TWinControl)
    CLASSLIB_MESSAGES()
    // An empty form (no layout).
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the layout resource named after the form's class (RT_RCDATA, e.g. "TMAINFORM"),
    // or the given one; then fires OnCreate. Raises ELayoutError when the resource is missing
    // or the layout does not fit the classes.
    void LoadLayout();
    void LoadLayout(const std::string& resourceName);
    // The same from a binary component stream.
    void LoadLayoutFromStream(TStream& stream);

    // ---- window ----
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState value);
    // The state the form takes when it is next shown, without changing its window now.
    void SetWindowStateField(TWindowState value) { windowState_ = value; }
    RECT ClientRect() const override;
    void SetClientSize(int width, int height) override;
    int LayoutClientWidth() const { return ClientWidth(); }
    int LayoutClientHeight() const { return ClientHeight(); }
    void SetLayoutClientWidth(int value) { SetClientSize(value, ClientHeight()); }
    void SetLayoutClientHeight(int value) { SetClientSize(ClientWidth(), value); }
    // The screen resolution the layout was made at; with Scaled, a layout read on a screen of
    // another resolution is scaled to it (children, fonts and the client area).
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value) { scaled_ = value; }
    void ChangeScale(int m, int d) override;
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
    int TextHeight() const { return textHeight_; }
    void SetTextHeight(int value) { textHeight_ = value; }
    // A border of the form's colour inside the client area; children are laid out within it.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    void AdjustClientRect(RECT& rect) override;
    // With a parent control, the form's window is a pop-up owned by the parent's top-level
    // window instead of a child window, and Left and Top are screen coordinates. Set before
    // the window exists (a change recreates it).
    bool PopupWindow() const { return popupWindow_; }
    void SetPopupWindow(bool value);
    // Losing activation hides the form when CloseQuery agrees (pop-ups that close when the
    // user turns to another window). The hiding waits until the activation change is over.
    bool HideOnDeactivate() const { return hideOnDeactivate_; }
    void SetHideOnDeactivate(bool value) { hideOnDeactivate_ = value; }

    // ---- painting ----
    // Draws on the form's client area during Paint (which runs OnPaint).
    TCanvas* Canvas() const { return canvas_; }
    TNotifyEvent OnPaint;

    // ---- showing and closing ----
    void SetVisible(bool value) override;
    void Show();
    void Hide();
    // Shows the form while every other window of the program is disabled, until ModalResult
    // is set (or the form is closed, which gives mrCancel); returns ModalResult.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const { return modal_; }
    // Asks OnCloseQuery, then runs OnClose and does what its action says; closing the main
    // form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form after the messages that are waiting now.
    void ReleaseForm();
    bool Active() const { return active_; }

    // ---- focus ----
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    // Gives `control` the focus (showing this form's window first if needed).
    void FocusControl(TWinControl* control);
    // Called when a control of the form got the focus: exit and enter events, CM_FOCUSCHANGED.
    void SetFocusedControl(TWinControl* control);
    // The menu bar; its shortcuts work while any control of the form has the focus.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* value);
    // A control that acts as the menu bar of a form without a native menu: it receives the
    // form's WM_SYSCOMMAND SC_KEYMENU (Alt or F10 alone: key 0; Alt with a letter: that
    // character) and answers non-zero when it took the key; otherwise the system's handling
    // runs. Cleared when the control is freed.
    TWinControl* MenuBarControl() const { return menuBarControl_; }
    void SetMenuBarControl(TWinControl* value);
    // Offers a WM_SYSCOMMAND SC_KEYMENU (of the form or of one of its controls) to the menu-bar
    // control; true when it took it.
    bool OfferKeyMenu(TMessage& message);
    // Runs the menu item whose shortcut a key message (CN_KEYDOWN/CN_SYSKEYDOWN) is.
    virtual bool IsShortCut(const TMessage& message);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    bool CanFocus() const override;
    void SetFocus() override;

    // ---- MDI (MDI.cpp) ----
    // Set before the window exists (a change recreates it). An MDI child is created inside
    // the client window of the program's MDI form and raises EInvalidOperation without one.
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    // The MDI client window of an MDI form (nullptr for other forms or before the window).
    HWND ClientHandle() const { return clientHandle_; }
    // The menu item whose sub-menu lists the MDI children (the platform appends them).
    TMenuItem* WindowMenu() const { return windowMenu_; }
    void SetWindowMenu(TMenuItem* value);
    // The MDI children in the client's window order (the active one first).
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int index) const;
    TCustomForm* ActiveMDIChild() const;
    TTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TTileMode value) { tileMode_ = value; }
    void Cascade();
    void Tile();
    void ArrangeIcons();
    void Next();
    void Previous();
    // MDI frames and children pass unhandled messages to the platform's MDI procedures.
    void DefaultHandler(TMessage& message) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TNotifyEvent OnDestroy;

    void BeforeDestruction() override;

protected:
    friend class TWinControl;
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void DoDestroy();
    void ControlRemoving(TWinControl* control);
    void PlaceOnScreen();
    DWORD WindowStyle(DWORD& exStyle) const;
    virtual void Paint();
    void PaintWindow(HDC dc) override;

    void WMClose(TMessage& m);
    void WMActivate(TMessage& m);
    void WMSize(TMessage& m);
    void WMDestroy(TMessage& m);
    void CMDialogKey(TMessage& m);
    void CMRelease(TMessage& m);
    void CMTextChanged(TMessage& m);
    // WM_COMMAND of menus, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR and owner drawing of
    // menu items go to the items.
    void WMMenuMessage(TMessage& m);
    // The user's sizing keeps within Constraints.
    void WMGetMinMaxInfo(TMessage& m);
    void WMSysCommand(TMessage& m);
    void CMHideDeactivated(TMessage& m);
    void DestroyWnd() override;
    // MDI parts of window creation and destruction (MDI.cpp).
    void ApplyMDIParams(TCreateParams& params) const;
    void CreateMDIClient();
    void ShowMDIChild();
    bool DestroyMDIChildWindow();

    TMainMenu* menu_ = nullptr;
    TMenuItem* windowMenu_ = nullptr;
    TFormStyle formStyle_ = fsNormal;
    TTileMode tileMode_ = tbHorizontal;
    HWND clientHandle_ = nullptr;
    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TModalResult modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    bool keyPreview_ = false;
    bool modal_ = false;
    bool active_ = false;
    bool placed_ = false;
    bool createFired_ = false;
    int pixelsPerInch_ = 96;
    bool scaled_ = true;
    int textHeight_ = 13;
    int borderWidth_ = 0;
    bool popupWindow_ = false;
    bool hideOnDeactivate_ = false;
    TWinControl* menuBarControl_ = nullptr;
    bool offeringKeyMenu_ = false;
    TCanvas* canvas_;
};

class TForm : public TCustomForm {
    CLASSLIB_CLASS(TForm, TCustomForm)
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The program's MDI form with a window (the main form when it is one), or nullptr.
TCustomForm* FindMDIForm();

// The program's forms, newest last (forms add and remove themselves).
int FormCount();
TCustomForm* Forms(int index);
// Looks at a message before it is dispatched: keyboard messages go to their control first as
// CN_xxx (dialog keys, accelerators); true when the control handled it.
bool IsKeyMessage(MSG& msg);

// Registers the form and control classes of the library with the class registry.
void RegisterFormClasses();

} // namespace classlib
