#pragma once
// The control hierarchy: TControl (a rectangle on a parent with caption, font, colour, hint
// and mouse events), TGraphicControl (no window of its own: its parent paints it in z-order),
// TWinControl (a window created on demand through the parent chain, focus, keyboard, children,
// alignment), TCustomControl (a window control with a canvas and Paint) and THintWindow.
//
// Every control receives its messages through WndProc, which dispatches them by number
// through the classes' message maps (Messages.h). Windowed controls get the messages of their
// window; graphic controls get the mouse messages their parent routes to them, and WM_PAINT
// with the device context in WParam when the parent paints them.
#include "core/Component.h"
#include "core/Events.h"
#include "core/HookChains.h"
#include "windows/Graphics.h"
#include "windows/Messages.h"
#include "windows/Screen.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace classlib {

class TWinControl;
class TCustomForm;
class TBasicAction;
class TControlActionLink;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csNeedsBorderPaint,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleFlag>;
enum TControlStateFlag {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking
};
using TControlState = TSet<TControlStateFlag>;
// What an owner-drawn item (list, combo box, menu) is in while it is drawn.
enum TOwnerDrawStateFlag {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;
CLASSLIB_ENUM(TAlign);
CLASSLIB_ENUM(TAnchorKind);
CLASSLIB_ENUM(TBiDiMode);
CLASSLIB_ENUM(TMouseButton);
CLASSLIB_ENUM(TShiftStateFlag);
CLASSLIB_ENUM(TBorderStyle);

using TMouseEvent =
    TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TContextPopupEvent = TEvent<void(TObject* Sender, POINT MousePos, bool& Handled)>;
using TMouseWheelEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent =
    TEvent<void(TObject* Sender, TShiftState Shift, POINT MousePos, bool& Handled)>;
using TCanResizeEvent = TEvent<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    TEvent<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>;

// Dragging and docking. A drag starts with BeginDrag (or by itself with DragMode dmAutomatic
// when the left button goes down); the mouse is captured until the button goes up. Targets
// are asked with OnDragOver (Source is the dragged control) and get OnDragDrop; the source
// gets OnEndDrag with the target, or nullptr when nothing took it. A drag of kind dkDock goes
// to windowed controls whose DockSite is set and moves the control into the one it is dropped
// on (OnStartDock, OnDockOver, OnDockDrop, OnEndDock).
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
CLASSLIB_ENUM(TDragMode);
CLASSLIB_ENUM(TDragKind);

class TDragObject : public TObject {
public:
    // The control being dragged (the source of a drag started by a control).
    class TControl* Control = nullptr;
    POINT DragPos{};                      // the pointer, screen coordinates
    class TControl* DragTarget = nullptr; // the control under the pointer
    bool Dropped = false;
    // The cursor while over a target that accepts (or not).
    virtual TCursor GetDragCursor(bool accepted, int x, int y);
};
class TDragControlObject : public TDragObject {};
class TDragDockObject : public TDragControlObject {};

using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TDockOverEvent = TEvent<void(TObject* Sender, TDragDockObject* Source, int X, int Y,
                                   TDragState State, bool& Accept)>;
using TDockDropEvent = TEvent<void(TObject* Sender, TDragDockObject* Source, int X, int Y)>;

// Pixels the pointer moves before a drag that was not started at once begins.
constexpr int DefaultDragThreshold = 5;

// Shift state from the key flags of a mouse message (MK_*) or the keyboard now.
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardStateToShiftState();
// Shift state from the key data of a keystroke message (bit 29: Alt).
TShiftState KeyDataToShiftState(LPARAM keyData);

// The parts of a hint "short|long": the short one for the hint window, the long one for the
// application's Hint (the whole text when there is no '|').
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// Accelerator test: `caption` marks `key` with '&' (case-insensitive; "&&" is a literal '&').
bool IsAccel(WORD key, const std::string& caption);

// Minimum and maximum size of a control; 0 means no limit.
class TSizeConstraints : public TPersistent {
    CLASSLIB_CLASS(TSizeConstraints, TPersistent)
    explicit TSizeConstraints(class TControl* control = nullptr) : control_(control) {}
    void Assign(TPersistent* source) override;
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    int MaxWidth() const { return maxWidth_; }
    int MaxHeight() const { return maxHeight_; }
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    // Clamps a proposed size.
    void Apply(int& width, int& height) const;

private:
    void Changed();
    class TControl* control_;
    int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

// A hook around a control's own message handling: true ("handled") ends the dispatch.
using TWindowProcHook = THookChains<TMessage>::THook;

// What CM_HINTSHOW carries in LParam: the receiver may change the text, colour, position and
// pause; a non-zero result suppresses the hint.
struct THintInfo {
    class TControl* HintControl = nullptr;
    const TMetaClass* HintWindowClass = nullptr;
    POINT HintPos{}; // screen position of the hint window
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    RECT CursorRect{}; // the hint stays while the pointer is inside (client coordinates)
    POINT CursorPos{}; // pointer in the control's client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    std::string HintStr;
};

class TControl : public TComponent {
    CLASSLIB_CLASS(TControl, TComponent)
    CLASSLIB_MESSAGES()
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // ---- place ----
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(const RECT& r)
    {
        SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    virtual void SetBounds(int left, int top, int width, int height);
    // The client area in client coordinates.
    virtual RECT ClientRect() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int value);
    void SetClientHeight(int value);
    virtual void SetClientSize(int width, int height);
    POINT ClientOrigin() const; // screen position of the client area's top-left corner
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    POINT ClientToParent(POINT p, TWinControl* parent = nullptr) const;
    POINT ParentToClient(POINT p, TWinControl* parent = nullptr) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);
    TSizeConstraints* Constraints() const { return constraints_; }
    void SetConstraints(TSizeConstraints* value) { constraints_->Assign(value); }

    // ---- state ----
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a top-level window that is visible.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool value);
    TControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TControlStyle value) { controlStyle_ = value; }
    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState value) { controlState_ = value; }

    // ---- appearance ----
    // Caption and Text are the same text (CM_TEXTCHANGED after a change).
    virtual std::string Text() const;
    void SetText(const std::string& value);
    std::string Caption() const { return Text(); }
    void SetCaption(const std::string& value) { SetText(value); }
    TFont* Font() const { return font_; }
    void SetFont(TFont* value) { font_->Assign(value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool value);
    // Shown when the control is right-clicked (WM_CONTEXTMENU) and its AutoPopup is set.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* value);
    TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    // Right-to-left reading order: every mode but bdLeftToRight.
    bool UseRightToLeftReading() const { return bidiMode_ != bdLeftToRight; }
    // Text aligned from the right (left and right swapped): bdRightToLeft.
    bool UseRightToLeftAlignment() const { return bidiMode_ == bdRightToLeft; }
    // The vertical scroll bar on the left: bdRightToLeft and bdRightToLeftNoAlign.
    bool UseRightToLeftScrollBar() const
    {
        return bidiMode_ == bdRightToLeft || bidiMode_ == bdRightToLeftNoAlign;
    }
    // DrawText flags of this control's mode: DT_LEFT and DT_RIGHT swapped for right-to-left
    // alignment, DT_RTLREADING for right-to-left reading.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    UINT DrawTextBiDiModeFlagsReadingOnly() const
    {
        return UseRightToLeftReading() ? DT_RTLREADING : 0;
    }

    bool ColorStored() const { return !parentColor_; }
    bool FontStored() const { return !parentFont_; }
    bool ShowHintStored() const { return !parentShowHint_; }

    // ---- actions ----
    TBasicAction* Action() const;
    void SetAction(TBasicAction* value);

    // ---- painting and messages ----
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Message entry point; a control's users may replace it (WindowProc), the default is WndProc.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& message);
    // Hooks around this control's own handling (WndProc): the before hooks, then WndProc
    // unless one of them handled the message, then the after hooks. Any number of parties add
    // and remove hooks in any order, also while a message is being dispatched, without
    // replacing WindowProc (whoever saves and restores WindowProc cannot undo them). The
    // dispatch stops at once when the control is freed by a hook or by its own handling.
    void AddWindowProcHook(THookOrder order, const TWindowProcHook& hook);
    // Removes the first hook of that chain with the same code and receiver; false when none.
    bool RemoveWindowProcHook(THookOrder order, const TWindowProcHook& hook);
    // Runs the message through the hooks and WndProc; what the default WindowProc does.
    void HookedWndProc(TMessage& message);
    // Runs the handler of the message's number (message maps), else DefaultHandler.
    void Dispatch(TMessage& message);
    // Passes a message on from the handler of class `from` to the next one above it.
    void Inherited(const TMetaClass& from, TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    virtual void Click();
    virtual void DblClick();
    // Whether the control lies (also) at a point of its client area; graphic controls hit by
    // the parent's mouse routing are asked through CM_HITTEST.
    bool MouseCapture() const;
    void SetMouseCapture(bool value);

    // The form that this control is on, or nullptr.
    TCustomForm* GetParentForm() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // Before the pop-up menu: MousePos in client coordinates ((-1, -1) from the keyboard);
    // Handled stops the menu.
    TContextPopupEvent OnContextPopup;

    // ---- scaling ----
    // Scales the place, size, constraints and (own) font by m/d; windowed controls scale
    // their children too. Forms scale their client area and keep their place.
    void ScaleBy(int m, int d) { ChangeScale(m, d); }
    virtual void ChangeScale(int m, int d);

    // ---- sizing ----
    // OnResize runs after the size changed (windowed controls: when their window says so).
    TNotifyEvent OnResize;
    // Asked before every size change: Resize false keeps the old size; the values may change.
    TCanResizeEvent OnCanResize;
    // May narrow the limits of Constraints for one change.
    TConstrainedResizeEvent OnConstrainedResize;
    bool AutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool value);

    // ---- mouse wheel ----
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

    // ---- dragging and docking ----
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode value) { dragMode_ = value; }
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind value) { dragKind_ = value; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor value) { dragCursor_ = value; }
    // Starts dragging this control now, or once the pointer moved `threshold` pixels
    // (DefaultDragThreshold when negative).
    void BeginDrag(bool immediate, int threshold = -1);
    // Ends the drag of this control: dropped where the pointer is, or cancelled.
    void EndDrag(bool drop);
    bool Dragging() const;
    // What a target does: OnDragOver decides (without it the target refuses), OnDragDrop.
    virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int x, int y);
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TEndDragEvent OnEndDock;

    // Target-aware actions (a hint action): true when this control handled the action.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);

    // TComponent
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* value) override;

protected:
    friend class TWinControl;
    friend class TCustomForm;
    friend class TControlActionLink;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Changed();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // The rectangle handed to the parent when invalidated; the parent repaints graphic
    // children there.
    void InvalidateControl(bool isVisible, bool isOpaque);
    // Keeps the distance to the parent's right and bottom edges for anchors.
    void UpdateAnchorRules();
    virtual void SetTextBuf(const std::string& value);
    virtual void ActionChange(TBasicAction* sender, bool checkDefaults);
    bool IsControlMouseMsg(TMessage& message);
    void RequestAlign();
    // The size rules of SetBounds: OnCanResize, CanAutoSize for auto-sized controls, then
    // OnConstrainedResize and Constraints; false keeps the old size.
    bool CheckNewSize(int& width, int& height);
    virtual bool CanResize(int& width, int& height);
    // The size an auto-sized control accepts; the proposed size is changed to it.
    virtual bool CanAutoSize(int& width, int& height);
    virtual void ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight);
    virtual void Resize();
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, POINT mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, POINT mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, POINT mousePos);
    virtual void DoStartDrag(TDragObject*& dragObject);
    virtual void DoEndDrag(TObject* target, int x, int y);
    virtual void DoStartDock(TDragObject*& dragObject);
    virtual void DoEndDock(TObject* target, int x, int y);
    friend struct DragLoop;

    // message handlers
    void WMLButtonDown(TMessage& m);
    void WMLButtonUp(TMessage& m);
    void WMLButtonDblClk(TMessage& m);
    void WMRButtonDown(TMessage& m);
    void WMRButtonUp(TMessage& m);
    void WMMouseMove(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMParentFontChanged(TMessage& m);
    void CMParentColorChanged(TMessage& m);
    void CMParentShowHintChanged(TMessage& m);
    void CMParentBiDiModeChanged(TMessage& m);
    void CMMouseEnter(TMessage& m);
    void CMMouseLeave(TMessage& m);
    void CMHitTest(TMessage& m);
    void CMHintShow(TMessage& m);
    void WMContextMenu(TMessage& m);
    void CMActionExecute(TMessage& m);
    void CMActionUpdate(TMessage& m);
    void CMBiDiModeChanged(TMessage& m);
    void WMMouseWheel(TMessage& m);
    void CMMouseWheel(TMessage& m);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    POINT anchorDistance_{}; // right and bottom distances kept for anchors
    POINT anchorOrigin_{};   // the parent's client size the distances belong to
    TSizeConstraints* constraints_;
    bool visible_ = true;
    bool enabled_ = true;
    std::string text_;
    TFont* font_;
    bool parentFont_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TCursor cursor_ = crDefault;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    TBiDiMode bidiMode_ = bdLeftToRight;
    bool parentBiDiMode_ = true;
    TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState controlState_;
    TControlActionLink* actionLink_ = nullptr;
    bool settingParentFont_ = false;
    bool autoSize_ = false;
    int wheelAccumulator_ = 0;
    TDragMode dragMode_ = dmManual;
    TDragKind dragKind_ = dkDrag;
    TCursor dragCursor_ = crDrag;

private:
    void FontChanged(TObject* sender);

    // Shared with the dispatches in progress, so that it outlives a control freed by a hook.
    struct WindowProcHooks;
    std::shared_ptr<WindowProcHooks> windowProcHooks_;
    // Expires when the control is freed: the mouse steps that call an event handler (which may
    // free the control) look at it before they touch the control again.
    std::shared_ptr<char> lifeToken_ = std::make_shared<char>(0);
};

// The canvas of a control. During painting it draws on the paint device context; at other
// times (measuring, drawing at once) it gets a context of the control's window, or of the
// parent's window clipped to a graphic control, released again when the message loop takes
// its next message (FreeDeviceContexts), before painting, or when the window goes.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control);
    ~TControlCanvas() override;
    // Draws on `dc` (not owned) until UnbindPaintDC.
    void BindPaintDC(HDC dc);
    void UnbindPaintDC();
    // Releases a context the canvas got for itself.
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* control_;
    HDC ownDc_ = nullptr;
    HWND window_ = nullptr;
    bool memoryDc_ = false;
};

// Releases the contexts that control canvases got for themselves and no longer draw on.
void FreeDeviceContexts();

class TGraphicControl : public TControl {
    CLASSLIB_CLASS(TGraphicControl, TControl)
    CLASSLIB_MESSAGES()
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // A canvas bound to the device context the parent paints with (during Paint) or to the
    // parent's window otherwise.
    TCanvas* Canvas() const { return canvas_; }

protected:
    virtual void Paint() {}
    void WMPaint(TMessage& m);

    TCanvas* canvas_;
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    // The window class: a class of the library (registered on first use with the library's
    // window procedure) or, with `NativeClass`, a system control class that is subclassed.
    std::string WinClassName;
    UINT ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    HCURSOR ClassCursor = nullptr;
    HBRUSH ClassBackground = nullptr;
    bool NativeClass = false;
};

class TWinControl : public TControl {
    CLASSLIB_CLASS(TWinControl, TControl)
    CLASSLIB_MESSAGES()
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // ---- window ----
    // The window handle, created (with the parents' handles) when first asked for.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys the window and creates it again (style changes).
    void RecreateWnd();
    // Moves the control to another parent keeping its window: the control leaves the old
    // parent's lists and joins the new one's (as SetParent does), and its window is moved
    // under the new parent's window with the system's re-parenting. The handle, the windows
    // of its children, a mouse capture it holds and its window timers stay. Without a window
    // yet, or to no parent, this is SetParent. Raises EInvalidOperation for itself or one of
    // its own children as the parent.
    void MoveToParent(TWinControl* parent);
    // The window handle of the control and its parents for a child window of this control.
    HWND ParentWindow() const { return parentWindow_; }
    void SetParentWindow(HWND value) { parentWindow_ = value; }

    // ---- children ----
    int ControlCount() const { return static_cast<int>(controls_.size() + winControls_.size()); }
    // Graphic children first (in z-order), then windowed ones.
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(TControl* control) const;
    // The child (graphic or windowed, visible and enabled unless `allowDisabled`) at a client
    // point, topmost first.
    TControl* ControlAtPos(POINT pos, bool allowDisabled, bool allowWinControls = false) const;
    // Sends the message to every child (stopping when one sets a non-zero result).
    void Broadcast(TMessage& message);
    void NotifyControls(UINT msg);
    // Mirrors the children's places left to right (and alLeft/alRight alignment), for a
    // right-to-left layout; with `allLevels` inside windowed children too.
    virtual void FlipChildren(bool allLevels);
    void ChangeScale(int m, int d) override;
    void DisableAlign() { ++alignLevel_; }
    void EnableAlign();
    void Realign();
    // The area children are laid out in; descendants shrink it for frames and captions.
    virtual void AdjustClientRect(RECT& rect);

    // ---- focus and keys ----
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    int TabOrder() const;
    void SetTabOrder(int value);
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // Windowed descendants in tab order (depth first).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                 bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    // ---- docking ----
    // Takes controls dragged with DragKind dkDock.
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool value) { dockSite_ = value; }
    TDockOverEvent OnDockOver;
    TDockDropEvent OnDockDrop;
    // What a dock site does: OnDockOver decides (accepting without it), OnDockDrop after the
    // control moved in.
    virtual void DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept);
    virtual void DockDrop(TDragDockObject* source, int x, int y);

    // ---- painting ----
    TBrush* Brush() const { return brush_; }
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool value) { doubleBuffered_ = value; }
    bool ParentBackground() const { return controlStyle_.Contains(csParentBackground); }
    void SetParentBackground(bool value);
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);
    // Paints this control's window (background and content) and then its graphic children
    // into `dc`; the way to render a control into a DIB.
    void PaintTo(HDC dc, int x, int y);
    // Paints the graphic children from `first` on (all when nullptr) in z-order into `dc`.
    void PaintControls(HDC dc, TControl* first);
    // Asks the parent to paint its background and content into `dc` behind this control.
    void PaintParentBackground(HDC dc);

    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    std::string Text() const override;
    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;
    void SetParent(TWinControl* parent) override;

    // The control that owns a window of the library, or nullptr.
    static TWinControl* FindControl(HWND window);

protected:
    friend class TControl;
    friend class TCustomForm;
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    virtual void DestroyHandle();
    // Runs after the window exists: the font, the text and the children's windows.
    virtual void CreateHandle();
    virtual void AlignControls(TControl* control, RECT& rect);
    virtual void PaintWindow(HDC dc);
    // Binds a control canvas (TControlCanvas) to the paint device context with this control's
    // font and colour around `paint`.
    void PaintOnCanvas(TCanvas* canvas, HDC dc, const std::function<void()>& paint);
    void PaintHandler(TMessage& message);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();
    bool DoKeyDown(TMessage& m);
    bool DoKeyUp(TMessage& m);
    bool DoKeyTransition(TMessage& m, bool (TWinControl::*formFirst)(TMessage&),
                         void (TWinControl::*handler)(WORD&, TShiftState));
    bool DoKeyPress(TMessage& m);
    void UpdateShowing();
    void UpdateBounds();
    void SetTextBuf(const std::string& value) override;
    void Loaded() override;
    void StackChildWindows();
    void CheckMouseTracking(TControl* target);

    // message handlers
    void WMPaint(TMessage& m);
    void WMEraseBkgnd(TMessage& m);
    void WMPrintClient(TMessage& m);
    void WMSize(TMessage& m);
    void WMMove(TMessage& m);
    void WMWindowPosChanged(TMessage& m);
    void WMCommand(TMessage& m);
    void WMNotify(TMessage& m);
    void WMDrawItem(TMessage& m);
    void WMMeasureItem(TMessage& m);
    void WMCtlColor(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMKillFocus(TMessage& m);
    void WMKeyDown(TMessage& m);
    void WMKeyUp(TMessage& m);
    void WMChar(TMessage& m);
    void WMSysKeyDown(TMessage& m);
    void WMSysChar(TMessage& m);
    void WMSysCommand(TMessage& m);
    void WMGetDlgCode(TMessage& m);
    void WMSetCursor(TMessage& m);
    void WMMouseLeave(TMessage& m);
    void WMNCDestroy(TMessage& m);
    void CNKeyDown(TMessage& m);
    void CNKeyUp(TMessage& m);
    void CNChar(TMessage& m);
    void CNSysKeyDown(TMessage& m);
    void CNSysChar(TMessage& m);
    void CNCtlColor(TMessage& m);
    void CMEnter(TMessage& m);
    void CMExit(TMessage& m);
    void CMDialogKey(TMessage& m);
    void CMDialogChar(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void CMTextChanged(TMessage& m);
    void CMCursorChanged(TMessage& m);
    void CMBiDiModeChanged(TMessage& m);
    void WMContextMenu(TMessage& m);
    void CMActionExecute(TMessage& m);
    void CMActionUpdate(TMessage& m);

    HWND handle_ = nullptr;
    HWND parentWindow_ = nullptr;
    std::vector<TControl*> controls_;       // graphic children, bottom first
    std::vector<TWinControl*> winControls_; // windowed children, bottom first
    std::vector<TWinControl*> tabList_;     // windowed children in tab order
    TBrush* brush_;
    bool tabStop_ = false;
    bool doubleBuffered_ = false;
    bool dockSite_ = false;
    bool ctl3D_ = true;
    bool showing_ = false;
    int alignLevel_ = 0;
    bool realigning_ = false;
    bool keepingHandle_ = false; // MoveToParent runs: leaving the old parent keeps the window
};

// A window control that paints itself with a canvas.
class TCustomControl : public TWinControl {
    CLASSLIB_CLASS(TCustomControl, TWinControl)
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return canvas_; }

protected:
    // Draws the control on Canvas (bound to the paint device context).
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    TCanvas* canvas_;
};

// The pop-up window that shows a hint text.
class THintWindow : public TCustomControl {
    CLASSLIB_CLASS(THintWindow, TCustomControl)
    CLASSLIB_MESSAGES()
    explicit THintWindow(TComponent* owner);
    // Size needed for `hint` with at most `maxWidth` pixels of text per line.
    virtual RECT CalcHintRect(int maxWidth, const std::string& hint);
    // Shows the hint at `rect` (screen coordinates) without taking the focus.
    virtual void ActivateHint(RECT rect, const std::string& hint);
    void ReleaseHandle();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void WMNCHitTest(TMessage& m);
    void WMMouseActivate(TMessage& m);
};

// The application-wide hint and mouse-tracking state: which control has the pointer, and the
// hint window that shows a control's Hint after HintPause milliseconds.
class THintManager {
public:
    static THintManager& Instance();
    int HintPause = 500;
    int HintHidePause = 2500;
    bool ShowHint = true;
    TColor HintColor = clInfoBk;
    // The control the pointer is over (enter and leave follow its changes).
    TControl* MouseControl() const { return mouseControl_; }
    // Called with the control under the pointer on every mouse move over the library's windows.
    void MouseMovedOver(TControl* control, POINT screenPos);
    // The pointer left `control`'s window (nothing of the library under it now).
    void MouseLeftWindow(TControl* control);
    // A control goes: drop every reference to it.
    void ControlDestroyed(TControl* control);
    // Hides the hint and forgets it: the next mouse move starts a new hint pause (also over
    // the same control and area). Application->CancelHint() reaches it.
    void CancelHint();
    // Shows the hint of the control under the pointer now (what the hint timer does).
    void ActivateHintNow();
    THintWindow* HintWindow() const { return hintWindow_; }
    bool HintShowing() const;

private:
    void SetMouseControl(TControl* control);
    void HideHint();
    void StartTimer(int ms);
    void StopTimer();
    void OnTimer();
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    TControl* mouseControl_ = nullptr;
    TControl* hintControl_ = nullptr;
    THintWindow* hintWindow_ = nullptr;
    UINT_PTR timer_ = 0;
    bool hintActive_ = false;
    POINT lastPos_{};
    RECT hintArea_{}; // screen rectangle the current hint (or its refusal) holds for
    bool hintAreaValid_ = false;
};

// The form a control sits on (its top-most parent when that is a form).
TCustomForm* GetParentForm(const TControl* control);
// The control that owns `window`, or of its nearest ancestor window that belongs to a control.
TWinControl* FindVCLWindow(POINT screenPos);
// The innermost control (windowed or graphic) at a screen point, or nullptr; disabled
// controls count when `allowDisabled` (the system's own point query never finds them).
TControl* FindControlAtPos(POINT screenPos, bool allowDisabled);

// Registers the control classes of this module with the class registry (idempotent).
void RegisterControlsClasses();

} // namespace classlib
