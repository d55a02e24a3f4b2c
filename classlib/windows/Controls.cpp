#include "windows/Controls.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Menus.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient",
                     "alCustom")
CLASSLIB_DEFINE_ENUM(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
CLASSLIB_DEFINE_ENUM(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                     "bdRightToLeftReadingOnly")
CLASSLIB_DEFINE_ENUM(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
CLASSLIB_DEFINE_ENUM(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle",
                     "ssDouble")
CLASSLIB_DEFINE_ENUM(TDragMode, "dmManual", "dmAutomatic")
CLASSLIB_DEFINE_ENUM(TDragKind, "dkDrag", "dkDock")
CLASSLIB_DEFINE_ENUM(TBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
                     "bsSizeToolWin")

namespace {

// The control that holds the mouse (a graphic control captures through its parent's window).
TControl* captureControl = nullptr;

std::unordered_map<HWND, TWinControl*>& WindowControls()
{
    static std::unordered_map<HWND, TWinControl*> map;
    return map;
}

POINT LParamToPoint(LPARAM l)
{
    return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
}

bool IsMouseMessage(UINT msg)
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL;
}

} // namespace

// ---- helpers --------------------------------------------------------------------------------

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(ssShift);
    if (keys & MK_CONTROL)
        s.Include(ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(ssRight);
    if (keys & MK_MBUTTON)
        s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

// The drag loop (below) as the control's mouse handling and destruction reach it.
static void ForgetInDrag(TControl* control);
static void BeginAutomaticDrag(TControl* control, POINT screen);

TShiftState KeyboardStateToShiftState()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (keyData & 0x20000000)
        s.Include(ssAlt);
    return s;
}

std::string GetShortHint(const std::string& hint)
{
    return hint.substr(0, hint.find('|'));
}

std::string GetLongHint(const std::string& hint)
{
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

bool IsAccel(WORD key, const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return CharUpperA(reinterpret_cast<LPSTR>(
                   static_cast<uintptr_t>(static_cast<unsigned char>(caption[i + 1])))) ==
               CharUpperA(reinterpret_cast<LPSTR>(static_cast<uintptr_t>(key & 0xFF)));
    }
    return false;
}

TCustomForm* GetParentForm(const TControl* control)
{
    while (control && control->Parent())
        control = control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

TWinControl* FindVCLWindow(POINT screenPos)
{
    for (HWND w = WindowFromPoint(screenPos); w; w = GetParent(w))
        if (TWinControl* c = TWinControl::FindControl(w))
            return c;
    return nullptr;
}

TControl* FindControlAtPos(POINT screenPos, bool allowDisabled)
{
    // The system's point query skips disabled windows; the walk down the children does not.
    HWND window = WindowFromPoint(screenPos);
    const UINT skip =
        CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT | (allowDisabled ? 0u : CWP_SKIPDISABLED);
    for (HWND child = window; child;) {
        POINT p = screenPos;
        ScreenToClient(window, &p);
        child = ChildWindowFromPointEx(window, p, skip);
        if (!child || child == window)
            break;
        window = child;
    }
    TWinControl* control = nullptr;
    for (HWND w = window; w && !control; w = GetParent(w))
        control = TWinControl::FindControl(w);
    if (!control)
        return nullptr;
    TControl* graphic = control->ControlAtPos(control->ScreenToClient(screenPos), allowDisabled);
    return graphic ? graphic : control;
}

// ---- TSizeConstraints -----------------------------------------------------------------------

CLASSLIB_PUBLISH(TSizeConstraints)
{
    c.Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight)
        .SetDefault(0);
    c.Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth)
        .SetDefault(0);
    c.Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight)
        .SetDefault(0);
    c.Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth)
        .SetDefault(0);
}

void TSizeConstraints::Assign(TPersistent* source)
{
    if (auto* s = dynamic_cast<TSizeConstraints*>(source)) {
        minWidth_ = s->minWidth_;
        minHeight_ = s->minHeight_;
        maxWidth_ = s->maxWidth_;
        maxHeight_ = s->maxHeight_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TSizeConstraints::SetMinWidth(int v)
{
    minWidth_ = std::max(0, v);
    if (maxWidth_ && maxWidth_ < minWidth_)
        maxWidth_ = minWidth_;
    Changed();
}
void TSizeConstraints::SetMinHeight(int v)
{
    minHeight_ = std::max(0, v);
    if (maxHeight_ && maxHeight_ < minHeight_)
        maxHeight_ = minHeight_;
    Changed();
}
void TSizeConstraints::SetMaxWidth(int v)
{
    maxWidth_ = std::max(0, v);
    if (maxWidth_ && minWidth_ > maxWidth_)
        minWidth_ = maxWidth_;
    Changed();
}
void TSizeConstraints::SetMaxHeight(int v)
{
    maxHeight_ = std::max(0, v);
    if (maxHeight_ && minHeight_ > maxHeight_)
        minHeight_ = maxHeight_;
    Changed();
}

void TSizeConstraints::Apply(int& width, int& height) const
{
    if (maxWidth_ > 0 && width > maxWidth_)
        width = maxWidth_;
    if (minWidth_ > 0 && width < minWidth_)
        width = minWidth_;
    if (maxHeight_ > 0 && height > maxHeight_)
        height = maxHeight_;
    if (minHeight_ > 0 && height < minHeight_)
        height = minHeight_;
}

void TSizeConstraints::Changed()
{
    if (control_ && !control_->ComponentState().Contains(csLoading))
        control_->SetBounds(control_->Left(), control_->Top(), control_->Width(),
                            control_->Height());
}

// ---- TControl -------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TControl)
{
    c.Property("Left", &TControl::Left, &TControl::SetLeft);
    c.Property("Top", &TControl::Top, &TControl::SetTop);
    c.Property("Width", &TControl::Width, &TControl::SetWidth);
    c.Property("Height", &TControl::Height, &TControl::SetHeight);
    c.Property("Align", &TControl::Align, &TControl::SetAlign).SetDefault(alNone);
    c.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors)
        .SetDefault(TAnchors{akLeft, akTop});
    c.Property("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode);
    c.Property("Caption", &TControl::Caption, &TControl::SetCaption);
    AsColorProperty(c.Property("Color", &TControl::Color, &TControl::SetColor))
        .Stored(&TControl::ColorStored);
    c.Property("Constraints", &TControl::Constraints, &TControl::SetConstraints);
    c.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).SetDefault(crDefault);
    c.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).SetDefault(true);
    c.Property("Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::FontStored);
    c.Property("Hint", &TControl::Hint, &TControl::SetHint);
    c.Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode)
        .SetDefault(true);
    c.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor);
    c.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).SetDefault(true);
    c.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
        .SetDefault(true);
    c.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    c.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Stored(&TControl::ShowHintStored);
    c.Property("Visible", &TControl::Visible, &TControl::SetVisible).SetDefault(true);
    c.Property("Action", &TControl::Action, &TControl::SetAction);
    c.Property("OnClick", &TControl::OnClick);
    c.Property("OnDblClick", &TControl::OnDblClick);
    c.Property("OnMouseDown", &TControl::OnMouseDown);
    c.Property("OnMouseMove", &TControl::OnMouseMove);
    c.Property("OnMouseUp", &TControl::OnMouseUp);
    c.Property("OnMouseEnter", &TControl::OnMouseEnter);
    c.Property("OnMouseLeave", &TControl::OnMouseLeave);
    c.Property("OnContextPopup", &TControl::OnContextPopup);
    c.Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).SetDefault(crDrag);
    c.Property("DragKind", &TControl::DragKind, &TControl::SetDragKind).SetDefault(dkDrag);
    c.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).SetDefault(dmManual);
    c.Property("OnDragDrop", &TControl::OnDragDrop);
    c.Property("OnDragOver", &TControl::OnDragOver);
    c.Property("OnStartDrag", &TControl::OnStartDrag);
    c.Property("OnEndDrag", &TControl::OnEndDrag);
    c.Property("OnStartDock", &TControl::OnStartDock);
    c.Property("OnEndDock", &TControl::OnEndDock);
    c.Property("OnResize", &TControl::OnResize);
    c.Property("OnCanResize", &TControl::OnCanResize);
    c.Property("OnConstrainedResize", &TControl::OnConstrainedResize);
    c.Property("OnMouseWheel", &TControl::OnMouseWheel);
    c.Property("OnMouseWheelDown", &TControl::OnMouseWheelDown);
    c.Property("OnMouseWheelUp", &TControl::OnMouseWheelUp);
}

CLASSLIB_MESSAGE_MAP(TControl)
{
    m.On(WM_LBUTTONDOWN, &TControl::WMLButtonDown);
    m.On(WM_LBUTTONUP, &TControl::WMLButtonUp);
    m.On(WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk);
    m.On(WM_RBUTTONDOWN, &TControl::WMRButtonDown);
    m.On(WM_RBUTTONUP, &TControl::WMRButtonUp);
    m.On(WM_MOUSEMOVE, &TControl::WMMouseMove);
    m.On(CM_ENABLEDCHANGED, &TControl::CMEnabledChanged);
    m.On(CM_VISIBLECHANGED, &TControl::CMVisibleChanged);
    m.On(CM_FONTCHANGED, &TControl::CMFontChanged);
    m.On(CM_COLORCHANGED, &TControl::CMColorChanged);
    m.On(CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged);
    m.On(CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged);
    m.On(CM_PARENTSHOWHINTCHANGED, &TControl::CMParentShowHintChanged);
    m.On(CM_PARENTBIDIMODECHANGED, &TControl::CMParentBiDiModeChanged);
    m.On(CM_BIDIMODECHANGED, &TControl::CMBiDiModeChanged);
    m.On(CM_MOUSEENTER, &TControl::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TControl::CMMouseLeave);
    m.On(CM_HITTEST, &TControl::CMHitTest);
    m.On(CM_HINTSHOW, &TControl::CMHintShow);
    m.On(WM_CONTEXTMENU, &TControl::WMContextMenu);
    m.On(CM_ACTIONEXECUTE, &TControl::CMActionExecute);
    m.On(CM_ACTIONUPDATE, &TControl::CMActionUpdate);
    m.On(WM_MOUSEWHEEL, &TControl::WMMouseWheel);
    m.On(CM_MOUSEWHEEL, &TControl::CMMouseWheel);
}

struct TControl::WindowProcHooks {
    THookChains<TMessage> chains;
    bool controlGone = false;
};

TControl::TControl(TComponent* owner)
    : TComponent(owner), constraints_(new TSizeConstraints(this)), font_(new TFont)
{
    font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
    WindowProc = [this](TMessage& m) { HookedWndProc(m); };
}

TControl::~TControl()
{
    if (windowProcHooks_) {
        windowProcHooks_->controlGone = true;
        windowProcHooks_.reset();
    }
    THintManager::Instance().ControlDestroyed(this);
    ForgetInDrag(this);
    if (captureControl == this)
        captureControl = nullptr;
    if (parent_)
        SetParent(nullptr);
    delete actionLink_;
    actionLink_ = nullptr;
    delete constraints_;
    delete font_;
}

TComponent* TControl::GetParentComponent() const
{
    return parent_;
}

void TControl::SetParentComponent(TComponent* value)
{
    if (auto* parent = dynamic_cast<TWinControl*>(value))
        SetParent(parent);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent_ == parent)
        return;
    if (parent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        // Take over what the new parent passes down.
        if (parentFont_)
            Perform(CM_PARENTFONTCHANGED);
        if (parentColor_)
            Perform(CM_PARENTCOLORCHANGED);
        if (parentShowHint_)
            Perform(CM_PARENTSHOWHINTCHANGED);
        if (parentBiDiMode_)
            Perform(CM_PARENTBIDIMODECHANGED);
        UpdateAnchorRules();
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (!CheckNewSize(width, height)) {
        width = width_;
        height = height_;
    }
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    const bool resized = width != width_ || height != height_;
    InvalidateControl(visible_, false);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    UpdateAnchorRules();
    RequestAlign();
    if (resized)
        Resize();
}

bool TControl::CheckNewSize(int& width, int& height)
{
    int w = width, h = height;
    if (!CanResize(w, h))
        return false;
    if (autoSize_ && !ComponentState().Contains(csLoading)) {
        // An auto-sized control keeps the size it can take.
        int autoWidth = w, autoHeight = h;
        if (!CanAutoSize(autoWidth, autoHeight))
            return false;
        w = autoWidth;
        h = autoHeight;
    }
    int minWidth = constraints_->MinWidth(), minHeight = constraints_->MinHeight();
    int maxWidth = constraints_->MaxWidth(), maxHeight = constraints_->MaxHeight();
    ConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
    if (maxWidth > 0 && w > maxWidth)
        w = maxWidth;
    if (maxHeight > 0 && h > maxHeight)
        h = maxHeight;
    w = std::max(w, minWidth);
    h = std::max(h, minHeight);
    width = w;
    height = h;
    return true;
}

bool TControl::CanResize(int& width, int& height)
{
    bool resize = true;
    if (OnCanResize)
        OnCanResize(this, width, height, resize);
    return resize;
}

bool TControl::CanAutoSize(int&, int&)
{
    return true;
}

void TControl::ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight)
{
    if (OnConstrainedResize)
        OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

void TControl::Resize()
{
    if (OnResize && !ComponentState().Contains(csLoading))
        OnResize(this);
}

void TControl::SetAutoSize(bool value)
{
    if (autoSize_ == value)
        return;
    autoSize_ = value;
    if (value)
        SetBounds(left_, top_, width_, height_);
}

RECT TControl::ClientRect() const
{
    return RECT{0, 0, width_, height_};
}

int TControl::ClientWidth() const
{
    RECT r = ClientRect();
    return r.right - r.left;
}

int TControl::ClientHeight() const
{
    RECT r = ClientRect();
    return r.bottom - r.top;
}

void TControl::SetClientWidth(int value)
{
    SetClientSize(value, ClientHeight());
}
void TControl::SetClientHeight(int value)
{
    SetClientSize(ClientWidth(), value);
}

void TControl::SetClientSize(int width, int height)
{
    const RECT client = ClientRect();
    SetBounds(left_, top_, width_ - (client.right - client.left) + width,
              height_ - (client.bottom - client.top) + height);
}

POINT TControl::ClientOrigin() const
{
    if (auto* w = dynamic_cast<const TWinControl*>(this); w && w->handle_) {
        POINT p{0, 0};
        ::ClientToScreen(w->handle_, &p);
        return p;
    }
    if (!parent_)
        return POINT{left_, top_};
    POINT p = parent_->ClientOrigin();
    return POINT{p.x + left_, p.y + top_};
}

POINT TControl::ClientToScreen(POINT p) const
{
    POINT o = ClientOrigin();
    return POINT{p.x + o.x, p.y + o.y};
}

POINT TControl::ScreenToClient(POINT p) const
{
    POINT o = ClientOrigin();
    return POINT{p.x - o.x, p.y - o.y};
}

POINT TControl::ClientToParent(POINT p, TWinControl* parent) const
{
    if (!parent)
        parent = parent_;
    const TControl* c = this;
    while (c && c != parent) {
        p.x += c->left_;
        p.y += c->top_;
        c = c->parent_;
    }
    if (c != parent)
        throw EInvalidOperation("Control is not a child of the given parent");
    return p;
}

POINT TControl::ParentToClient(POINT p, TWinControl* parent) const
{
    POINT origin = ClientToParent(POINT{0, 0}, parent);
    return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::SetAlign(TAlign value)
{
    if (align_ == value)
        return;
    align_ = value;
    anchors_ = TAnchors{akLeft, akTop};
    RequestAlign();
}

void TControl::SetAnchors(TAnchors value)
{
    anchors_ = value;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    if (!parent_ || (parent_ && parent_->realigning_))
        return;
    const RECT r = parent_->ClientRect();
    anchorOrigin_ = POINT{r.right - r.left, r.bottom - r.top};
    anchorDistance_ = POINT{anchorOrigin_.x - left_ - width_, anchorOrigin_.y - top_ - height_};
}

void TControl::RequestAlign()
{
    if (parent_ && (align_ != alNone || !parent_->realigning_))
        if (align_ != alNone)
            parent_->Realign();
}

bool TControl::Showing() const
{
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->visible_)
            return false;
        if (!c->parent_) {
            auto* w = dynamic_cast<const TWinControl*>(c);
            return w && w->handle_ && IsWindowVisible(w->handle_);
        }
    }
    return false;
}

void TControl::SetVisible(bool value)
{
    if (visible_ == value)
        return;
    visible_ = value;
    Perform(CM_VISIBLECHANGED, value);
    RequestAlign();
}

void TControl::SetEnabled(bool value)
{
    if (enabled_ == value)
        return;
    enabled_ = value;
    Perform(CM_ENABLEDCHANGED);
}

std::string TControl::Text() const
{
    return text_;
}

void TControl::SetText(const std::string& value)
{
    if (Text() == value)
        return;
    SetTextBuf(value);
    Perform(CM_TEXTCHANGED);
}

void TControl::SetTextBuf(const std::string& value)
{
    text_ = value;
}

void TControl::FontChanged(TObject*)
{
    if (!settingParentFont_)
        parentFont_ = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (parentFont_ == value)
        return;
    parentFont_ = value;
    if (value && parent_)
        Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor value)
{
    if (color_ == value && !parentColor_)
        return;
    color_ = value;
    parentColor_ = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (parentColor_ == value)
        return;
    parentColor_ = value;
    if (value && parent_)
        Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetCursor(TCursor value)
{
    if (cursor_ == value)
        return;
    cursor_ = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value)
{
    showHint_ = value;
    parentShowHint_ = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (parentShowHint_ == value)
        return;
    parentShowHint_ = value;
    if (value && parent_)
        Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenu(TPopupMenu* value)
{
    popupMenu_ = value;
    if (value)
        value->FreeNotification(this);
}

void TControl::SetBiDiMode(TBiDiMode value)
{
    bidiMode_ = value;
    parentBiDiMode_ = false;
    Perform(CM_BIDIMODECHANGED);
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const
{
    if (UseRightToLeftAlignment() && !(flags & DT_CENTER))
        flags = (flags & DT_RIGHT) ? (flags & ~static_cast<UINT>(DT_RIGHT)) : (flags | DT_RIGHT);
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

void TControl::CMBiDiModeChanged(TMessage&)
{
    Invalidate();
}

void TWinControl::CMBiDiModeChanged(TMessage&)
{
    // The reading order and alignment are window styles: the window is made again.
    if (handle_)
        RecreateWnd();
    Invalidate();
    NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TControl::ChangeScale(int m, int d)
{
    if (m == d || d == 0)
        return;
    auto scale = [&](int v) { return MulDiv(v, m, d); };
    TSizeConstraints& c = *constraints_;
    const int minW = scale(c.MinWidth()), minH = scale(c.MinHeight());
    const int maxW = scale(c.MaxWidth()), maxH = scale(c.MaxHeight());
    // Limits first in the order that keeps minimum <= maximum on the way.
    if (m > d) {
        c.SetMaxWidth(maxW), c.SetMaxHeight(maxH), c.SetMinWidth(minW), c.SetMinHeight(minH);
    } else {
        c.SetMinWidth(minW), c.SetMinHeight(minH), c.SetMaxWidth(maxW), c.SetMaxHeight(maxH);
    }
    if (!parentFont_)
        font_->SetHeight(scale(font_->Height()));
    SetBounds(scale(left_), scale(top_), scale(width_), scale(height_));
}

void TWinControl::ChangeScale(int m, int d)
{
    if (m == d || d == 0)
        return;
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->ChangeScale(m, d);
    TControl::ChangeScale(m, d);
    EnableAlign();
}

void TWinControl::FlipChildren(bool allLevels)
{
    const int width = ClientWidth();
    DisableAlign();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (child->align_ == alLeft || child->align_ == alRight)
            child->align_ = child->align_ == alLeft ? alRight : alLeft;
        child->SetBounds(width - child->Left() - child->Width(), child->Top(), child->Width(),
                         child->Height());
    }
    if (allLevels)
        for (TWinControl* child : std::vector<TWinControl*>(winControls_))
            child->FlipChildren(true);
    EnableAlign();
}

void TControl::SetParentBiDiMode(bool value)
{
    if (parentBiDiMode_ == value)
        return;
    parentBiDiMode_ = value;
    if (value && parent_)
        Perform(CM_PARENTBIDIMODECHANGED);
}

TBasicAction* TControl::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* value)
{
    if (!value) {
        delete actionLink_;
        actionLink_ = nullptr;
        controlStyle_.Exclude(csActionClient);
        return;
    }
    if (!actionLink_)
        actionLink_ = new TControlActionLink(this);
    actionLink_->SetAction(value);
    value->FreeNotification(this);
    controlStyle_.Include(csActionClient);
    ActionChange(value, ComponentState().Contains(csLoading));
}

void TControl::ActionChange(TBasicAction* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || Caption().empty())
        SetCaption(action->Caption());
    if (!checkDefaults || enabled_)
        SetEnabled(action->Enabled());
    if (!checkDefaults || hint_.empty())
        SetHint(action->Hint());
    if (!checkDefaults || visible_)
        SetVisible(action->Visible());
    if (!checkDefaults || !OnClick)
        OnClick = action->OnExecute;
    // A control that shows an image of an image list publishes ImageIndex: it shows the
    // action's image when the action's list has images (while loading only in place of none).
    const TPropInfo* imageIndex = GetPropInfo(this, "ImageIndex");
    const TCustomActionList* list = action->ActionList();
    if (imageIndex && imageIndex->PropType && imageIndex->PropType->Kind == tkInteger &&
        imageIndex->SetOrd && list && list->Images() &&
        (!checkDefaults || GetOrdProp(this, *imageIndex) == -1))
        SetOrdProp(this, *imageIndex, action->ImageIndex());
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == popupMenu_)
        popupMenu_ = nullptr;
    if (component == Action())
        SetAction(nullptr);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    UpdateAnchorRules();
    if (parentFont_ && parent_)
        Perform(CM_PARENTFONTCHANGED);
    if (parentColor_ && parent_)
        Perform(CM_PARENTCOLORCHANGED);
    if (actionLink_)
        ActionChange(actionLink_->Action(), true);
    RequestAlign();
}

void TControl::Changed()
{
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::InvalidateControl(bool isVisible, bool isOpaque)
{
    if (!parent_ || !parent_->HandleAllocated() || !isVisible)
        return;
    RECT r = BoundsRect();
    ::InvalidateRect(parent_->handle_, &r, !isOpaque);
}

void TControl::Invalidate()
{
    InvalidateControl(visible_, controlStyle_.Contains(csOpaque));
}

void TControl::Update()
{
    if (parent_)
        parent_->Update();
}

void TControl::Repaint()
{
    if (!parent_ || !parent_->HandleAllocated() || !visible_)
        return;
    if (controlStyle_.Contains(csOpaque)) {
        HDC dc = GetDC(parent_->handle_);
        SaveDC(dc);
        IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
        parent_->PaintControls(dc, this);
        RestoreDC(dc, -1);
        ReleaseDC(parent_->handle_, dc);
    } else {
        Invalidate();
        Update();
    }
}

void TControl::BringToFront()
{
    if (!parent_)
        return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        list.erase(it);
        list.push_back(this);
        Invalidate();
    }
}

void TControl::SendToBack()
{
    if (!parent_)
        return;
    auto& list = parent_->controls_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) {
        list.erase(it);
        list.insert(list.begin(), this);
        Invalidate();
    }
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::AddWindowProcHook(THookOrder order, const TWindowProcHook& hook)
{
    if (!hook)
        return;
    if (!windowProcHooks_)
        windowProcHooks_ = std::make_shared<WindowProcHooks>();
    windowProcHooks_->chains.Add(order, hook);
}

bool TControl::RemoveWindowProcHook(THookOrder order, const TWindowProcHook& hook)
{
    if (!windowProcHooks_ || !windowProcHooks_->chains.Remove(order, hook))
        return false;
    if (windowProcHooks_->chains.Empty() && windowProcHooks_->chains.Depth() == 0)
        windowProcHooks_.reset();
    return true;
}

void TControl::HookedWndProc(TMessage& message)
{
    if (!windowProcHooks_) {
        WndProc(message);
        return;
    }
    const std::shared_ptr<WindowProcHooks> hooks = windowProcHooks_;
    hooks->chains.Dispatch(
        message, [this, &message] { WndProc(message); }, [&hooks] { return hooks->controlGone; });
}

void TControl::Dispatch(TMessage& message)
{
    if (!DispatchMessageFrom(this, &ClassType(), message))
        DefaultHandler(message);
}

void TControl::Inherited(const TMetaClass& from, TMessage& message)
{
    if (!DispatchMessageFrom(this, from.ClassParent(), message))
        DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::WndProc(TMessage& message)
{
    if (IsMouseMessage(message.Msg)) {
        if (message.Msg == WM_LBUTTONDBLCLK && !controlStyle_.Contains(csDoubleClicks))
            message.Msg = WM_LBUTTONDOWN;
        if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK)
            controlState_.Include(csLButtonDown);
        else if (message.Msg == WM_LBUTTONUP)
            controlState_.Exclude(csLButtonDown);
    }
    Dispatch(message);
}

bool TControl::MouseCapture() const
{
    return captureControl == this;
}

void TControl::SetMouseCapture(bool value)
{
    if (MouseCapture() == value)
        return;
    if (value) {
        captureControl = this;
        HWND w = nullptr;
        if (auto* wc = dynamic_cast<TWinControl*>(this))
            w = wc->Handle();
        else if (parent_)
            w = parent_->Handle();
        if (w)
            SetCapture(w);
    } else {
        captureControl = nullptr;
        ReleaseCapture();
    }
}

TCustomForm* TControl::GetParentForm() const
{
    return classlib::GetParentForm(this);
}

void TControl::Click()
{
    if (OnClick && (!actionLink_ || !actionLink_->IsOnExecuteLinked()))
        OnClick(this);
    else if (actionLink_ && actionLink_->Execute()) {
    } else if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::WMLButtonDown(TMessage& m)
{
    if (controlStyle_.Contains(csCaptureMouse))
        SetMouseCapture(true);
    if (dragMode_ == dmAutomatic && !ComponentState().Contains(csDesigning))
        BeginAutomaticDrag(this, ClientToScreen(LParamToPoint(m.LParam)));
    if (controlStyle_.Contains(csClickEvents))
        controlState_.Include(csClicked);
    const POINT p = LParamToPoint(m.LParam);
    // The handler may free the control (a button that closes its toolbar).
    const std::weak_ptr<char> alive = lifeToken_;
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseDown(mbLeft, KeysToShiftState(m.WParam), p.x, p.y);
    if (!alive.expired())
        DefaultHandler(m);
}

void TControl::WMLButtonDblClk(TMessage& m)
{
    if (controlStyle_.Contains(csCaptureMouse))
        SetMouseCapture(true);
    const std::weak_ptr<char> alive = lifeToken_;
    if (controlStyle_.Contains(csClickEvents))
        DblClick();
    if (alive.expired())
        return;
    const POINT p = LParamToPoint(m.LParam);
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseDown(mbLeft, KeysToShiftState(m.WParam) + TShiftState{ssDouble}, p.x, p.y);
    if (!alive.expired())
        DefaultHandler(m);
}

void TControl::WMLButtonUp(TMessage& m)
{
    DefaultHandler(m);
    if (controlStyle_.Contains(csCaptureMouse))
        SetMouseCapture(false);
    const POINT p = LParamToPoint(m.LParam);
    const std::weak_ptr<char> alive = lifeToken_;
    if (controlState_.Contains(csClicked)) {
        controlState_.Exclude(csClicked);
        const RECT r = ClientRect();
        if (PtInRect(&r, p))
            Click();
        if (alive.expired())
            return;
    }
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseUp(mbLeft, KeysToShiftState(m.WParam), p.x, p.y);
}

void TControl::WMRButtonDown(TMessage& m)
{
    const POINT p = LParamToPoint(m.LParam);
    const std::weak_ptr<char> alive = lifeToken_;
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseDown(mbRight, KeysToShiftState(m.WParam), p.x, p.y);
    if (!alive.expired())
        DefaultHandler(m);
}

void TControl::WMRButtonUp(TMessage& m)
{
    DefaultHandler(m);
    const POINT p = LParamToPoint(m.LParam);
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseUp(mbRight, KeysToShiftState(m.WParam), p.x, p.y);
}

void TControl::WMMouseMove(TMessage& m)
{
    const POINT p = LParamToPoint(m.LParam);
    if (!controlStyle_.Contains(csNoStdEvents))
        MouseMove(KeysToShiftState(m.WParam), p.x, p.y);
    DefaultHandler(m);
}

void TControl::CMEnabledChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&)
{
    // A graphic control disappears or appears on its parent.
    if (parent_ && parent_->HandleAllocated()) {
        RECT r = BoundsRect();
        ::InvalidateRect(parent_->handle_, &r, TRUE);
    }
}

void TControl::CMFontChanged(TMessage&)
{
    Invalidate();
}
void TControl::CMColorChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!parentFont_ || !parent_)
        return;
    settingParentFont_ = true;
    font_->Assign(parent_->Font());
    settingParentFont_ = false;
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!parentColor_ || !parent_)
        return;
    SetColor(parent_->Color());
    parentColor_ = true;
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (parentShowHint_ && parent_) {
        showHint_ = parent_->ShowHint();
        Perform(CM_SHOWHINTCHANGED);
    }
}

void TControl::CMParentBiDiModeChanged(TMessage&)
{
    // Only a real change: a windowed control makes its window again for it.
    if (parentBiDiMode_ && parent_ && bidiMode_ != parent_->BiDiMode()) {
        bidiMode_ = parent_->BiDiMode();
        Perform(CM_BIDIMODECHANGED);
    }
}

// LParam 0: the pointer entered this control itself; otherwise a child (LParam) reports it.
void TControl::CMMouseEnter(TMessage& m)
{
    if (m.LParam == 0 && OnMouseEnter)
        OnMouseEnter(this);
    if (parent_)
        parent_->Perform(CM_MOUSEENTER, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& m)
{
    if (m.LParam == 0 && OnMouseLeave)
        OnMouseLeave(this);
    if (parent_)
        parent_->Perform(CM_MOUSELEAVE, 0, m.LParam ? m.LParam : reinterpret_cast<LPARAM>(this));
}

bool TControl::ExecuteAction(TBasicAction* action)
{
    if (!action || !action->HandlesTarget(this))
        return false;
    action->ExecuteTarget(this);
    return true;
}

bool TControl::UpdateAction(TBasicAction* action)
{
    if (!action || !action->HandlesTarget(this))
        return false;
    action->UpdateTarget(this);
    return true;
}

void TControl::CMActionExecute(TMessage& m)
{
    m.Result = ExecuteAction(reinterpret_cast<TBasicAction*>(m.LParam)) ? 1 : 0;
}

void TControl::CMActionUpdate(TMessage& m)
{
    m.Result = UpdateAction(reinterpret_cast<TBasicAction*>(m.LParam)) ? 1 : 0;
}

// A right click (or the menu key): OnContextPopup, then the pop-up menu at the pointer.
void TControl::WMContextMenu(TMessage& m)
{
    if (m.Result != 0 || ComponentState().Contains(csDesigning))
        return;
    POINT screen{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    const bool fromKeyboard = screen.x == -1 && screen.y == -1;
    const POINT client = fromKeyboard ? screen : ScreenToClient(screen);
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, client, handled);
    if (handled) {
        m.Result = 1;
        return;
    }
    if (popupMenu_ && popupMenu_->AutoPopup()) {
        popupMenu_->SetPopupComponent(this);
        if (fromKeyboard)
            screen = ClientToScreen(POINT{0, 0});
        popupMenu_->Popup(screen.x, screen.y);
        m.Result = 1;
        return;
    }
    DefaultHandler(m);
}

void TControl::CMHitTest(TMessage& m)
{
    m.Result = 1; // every point of the bounds belongs to the control
}

void TControl::CMHintShow(TMessage& m)
{
    m.Result = 0;
}

// ---- mouse wheel ----------------------------------------------------------------------------

void TControl::WMMouseWheel(TMessage& m)
{
    // The parents were asked through CM_MOUSEWHEEL; the window's default handling would hand
    // the turn to the parent window a second time.
    m.Result = Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
    if (m.Result == 0 && !parent_)
        DefaultHandler(m);
}

// The control under the wheel, then its parents, until one handles it.
void TControl::CMMouseWheel(TMessage& m)
{
    const TShiftState shift = KeysToShiftState(LOWORD(m.WParam));
    const int delta = static_cast<short>(HIWORD(m.WParam));
    const POINT pos{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (DoMouseWheel(shift, delta, pos))
        m.Result = 1;
    else if (parent_)
        m.Result = parent_->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, POINT mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    // Whole notches become up and down events; a remainder waits for the next turn.
    wheelAccumulator_ += wheelDelta;
    while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
        const bool down = wheelAccumulator_ < 0;
        wheelAccumulator_ += down ? WHEEL_DELTA : -WHEEL_DELTA;
        handled = down ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, POINT mousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, POINT mousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

// ---- dragging and docking -------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool accepted, int, int)
{
    return accepted ? (Control ? Control->DragCursor() : crDrag) : crNoDrop;
}

// The one drag in progress: the source, its drag object, the target under the pointer and the
// hidden window that holds the mouse capture.
struct DragLoop {
    TControl* control = nullptr;
    TDragObject* object = nullptr;
    bool ownsObject = false;
    bool started = false;
    TDragKind kind = dkDrag;
    POINT start{};
    int threshold = DefaultDragThreshold;
    TControl* target = nullptr;
    bool accepted = false;
    HWND capture = nullptr;

    static DragLoop& Instance()
    {
        static DragLoop loop;
        return loop;
    }

    bool Active() const { return control != nullptr; }

    void Begin(TControl* source, POINT screen, bool immediate, int dragThreshold)
    {
        if (Active())
            return;
        control = source;
        kind = source->DragKind();
        start = screen;
        threshold = dragThreshold < 0 ? DefaultDragThreshold : dragThreshold;
        started = false;
        target = nullptr;
        accepted = false;
        if (!capture)
            capture = AllocateHWnd([this](TMessage& m) { CaptureMessage(m); });
        SetCapture(capture);
        if (immediate)
            Start();
    }

    void Start()
    {
        started = true;
        TDragObject* given = nullptr;
        if (kind == dkDock)
            control->DoStartDock(given);
        else
            control->DoStartDrag(given);
        ownsObject = given == nullptr;
        if (ownsObject)
            given = kind == dkDock ? new TDragDockObject : new TDragControlObject;
        object = given;
        object->Control = control;
        object->DragPos = start;
    }

    // The control a drop at `screen` would go to.
    TControl* FindTarget(POINT screen) const
    {
        TWinControl* window = FindVCLWindow(screen);
        if (kind == dkDock) {
            for (TWinControl* site = window; site; site = site->Parent())
                if (site->DockSite() && site != control)
                    return site;
            return nullptr;
        }
        if (!window)
            return nullptr;
        TControl* child = window->ControlAtPos(window->ScreenToClient(screen), false);
        return child && !dynamic_cast<TWinControl*>(child) ? child : window;
    }

    // The source as targets see it: the dragged control for a control drag.
    TObject* Source() const
    {
        return dynamic_cast<TDragControlObject*>(object) ? static_cast<TObject*>(object->Control)
                                                         : object;
    }

    bool AskTarget(TControl* t, POINT screen, TDragState state)
    {
        const POINT p = t->ScreenToClient(screen);
        bool accept = false;
        if (kind == dkDock) {
            if (auto* site = dynamic_cast<TWinControl*>(t))
                site->DockOver(static_cast<TDragDockObject*>(object), p.x, p.y, state, accept);
        } else {
            t->DragOver(Source(), p.x, p.y, state, accept);
        }
        return accept;
    }

    void MoveTo(POINT screen)
    {
        if (!started) {
            if (std::abs(screen.x - start.x) < threshold &&
                std::abs(screen.y - start.y) < threshold)
                return;
            Start();
        }
        object->DragPos = screen;
        TControl* now = FindTarget(screen);
        if (now != target) {
            if (target)
                AskTarget(target, screen, dsDragLeave);
            target = now;
            object->DragTarget = now;
            if (target)
                AskTarget(target, screen, dsDragEnter);
        }
        accepted = target && AskTarget(target, screen, dsDragMove);
        const POINT p = target ? target->ScreenToClient(screen) : screen;
        ::SetCursor(Screen->Cursors(object->GetDragCursor(accepted, p.x, p.y)));
    }

    void Done(bool drop)
    {
        if (!Active())
            return;
        TControl* source = control;
        control = nullptr; // no second ending from the capture change below
        if (GetCapture() == capture)
            ReleaseCapture();
        if (!started)
            return;
        const POINT screen = object->DragPos;
        TControl* dropTarget = drop && accepted ? target : nullptr;
        POINT p = dropTarget ? dropTarget->ScreenToClient(screen) : source->ScreenToClient(screen);
        object->Dropped = dropTarget != nullptr;
        if (dropTarget) {
            if (kind == dkDock)
                static_cast<TWinControl*>(dropTarget)
                    ->DockDrop(static_cast<TDragDockObject*>(object), p.x, p.y);
            else
                dropTarget->DragDrop(Source(), p.x, p.y);
        }
        if (kind == dkDock)
            source->DoEndDock(dropTarget, p.x, p.y);
        else
            source->DoEndDrag(dropTarget, p.x, p.y);
        if (ownsObject)
            delete object;
        object = nullptr;
        target = nullptr;
        started = false;
    }

    // A control that goes ends the drag it takes part in.
    void Forget(TControl* gone)
    {
        if (target == gone)
            target = nullptr;
        if (control == gone) {
            control = nullptr;
            if (GetCapture() == capture)
                ReleaseCapture();
            if (ownsObject)
                delete object;
            object = nullptr;
            started = false;
        }
    }

    void CaptureMessage(TMessage& m)
    {
        POINT screen{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        switch (m.Msg) {
            case WM_MOUSEMOVE:
                if (Active()) {
                    ClientToScreen(capture, &screen);
                    MoveTo(screen);
                }
                return;
            case WM_LBUTTONUP:
                if (Active()) {
                    ClientToScreen(capture, &screen);
                    if (!started) {
                        // Not moved far enough: a plain click of the control after all.
                        TControl* source = control;
                        Done(false);
                        const POINT p = source->ScreenToClient(screen);
                        source->Perform(WM_LBUTTONUP, m.WParam, MAKELPARAM(p.x, p.y));
                    } else {
                        MoveTo(screen);
                        Done(true);
                    }
                }
                return;
            case WM_RBUTTONDOWN:
                Done(false);
                return;
            case WM_CAPTURECHANGED:
                if (reinterpret_cast<HWND>(m.LParam) != capture)
                    Done(false);
                return;
            default:
                CallDefaultWindowProc(capture, m);
        }
    }
};

static void ForgetInDrag(TControl* control)
{
    DragLoop::Instance().Forget(control);
}

static void BeginAutomaticDrag(TControl* control, POINT screen)
{
    DragLoop::Instance().Begin(control, screen, false, -1);
}

void TControl::BeginDrag(bool immediate, int threshold)
{
    POINT screen{};
    GetCursorPos(&screen);
    DragLoop::Instance().Begin(this, screen, immediate, threshold);
}

void TControl::EndDrag(bool drop)
{
    if (DragLoop::Instance().control == this)
        DragLoop::Instance().Done(drop);
}

bool TControl::Dragging() const
{
    return DragLoop::Instance().control == this;
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver)
        OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int x, int y)
{
    if (OnDragDrop)
        OnDragDrop(this, source, x, y);
}

void TControl::DoStartDrag(TDragObject*& dragObject)
{
    if (OnStartDrag)
        OnStartDrag(this, dragObject);
}

void TControl::DoEndDrag(TObject* target, int x, int y)
{
    if (OnEndDrag)
        OnEndDrag(this, target, x, y);
}

void TControl::DoStartDock(TDragObject*& dragObject)
{
    if (OnStartDock) {
        TDragDockObject* dock = nullptr;
        OnStartDock(this, dock);
        dragObject = dock;
    }
}

void TControl::DoEndDock(TObject* target, int x, int y)
{
    if (OnEndDock)
        OnEndDock(this, target, x, y);
}

void TWinControl::DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept)
{
    accept = true;
    if (OnDockOver)
        OnDockOver(this, source, x, y, state, accept);
}

void TWinControl::DockDrop(TDragDockObject* source, int x, int y)
{
    if (source && source->Control) {
        source->Control->SetParent(this);
        source->Control->SetBounds(x, y, source->Control->Width(), source->Control->Height());
    }
    if (OnDockDrop)
        OnDockDrop(this, source, x, y);
}

// ---- TControlCanvas -------------------------------------------------------------------------

namespace {
std::vector<TControlCanvas*>& CanvasesWithContexts()
{
    static std::vector<TControlCanvas*> list;
    return list;
}
} // namespace

void FreeDeviceContexts()
{
    auto& list = CanvasesWithContexts();
    for (TControlCanvas* canvas : std::vector<TControlCanvas*>(list))
        if (canvas->LockCount() == 0)
            canvas->FreeHandle();
}

TControlCanvas::TControlCanvas(TControl* control) : control_(control) {}

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::CreateHandle()
{
    HDC dc = nullptr;
    auto* win = dynamic_cast<TWinControl*>(control_);
    if (win && (win->HandleAllocated() || win->Parent() || win->ParentWindow())) {
        window_ = win->Handle();
        dc = GetDCEx(window_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    } else if (!win && control_->Parent() &&
               (control_->Parent()->HandleAllocated() || control_->Parent()->Parent() ||
                control_->Parent()->ParentWindow())) {
        window_ = control_->Parent()->Handle();
        dc = GetDCEx(window_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
        if (dc) {
            SetWindowOrgEx(dc, -control_->Left(), -control_->Top(), nullptr);
            IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
        }
    } else {
        // No window yet: a screen-compatible context still measures text.
        window_ = nullptr;
        dc = CreateCompatibleDC(nullptr);
        memoryDc_ = true;
    }
    if (!dc)
        return;
    ownDc_ = dc;
    SetHandle(dc);
    CanvasesWithContexts().push_back(this);
}

void TControlCanvas::FreeHandle()
{
    if (!ownDc_)
        return;
    HDC dc = ownDc_;
    ownDc_ = nullptr;
    SetHandle(nullptr);
    if (memoryDc_)
        DeleteDC(dc);
    else
        ReleaseDC(window_, dc);
    memoryDc_ = false;
    window_ = nullptr;
    auto& list = CanvasesWithContexts();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::BindPaintDC(HDC dc)
{
    FreeHandle();
    SetHandle(dc);
}

void TControlCanvas::UnbindPaintDC()
{
    SetHandle(nullptr);
}

// ---- TGraphicControl ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TGraphicControl) {}

CLASSLIB_MESSAGE_MAP(TGraphicControl)
{
    m.On(WM_PAINT, &TGraphicControl::WMPaint);
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(new TControlCanvas(this))
{
}

TGraphicControl::~TGraphicControl()
{
    delete canvas_;
}

void TGraphicControl::WMPaint(TMessage& m)
{
    if (!m.WParam)
        return;
    auto* canvas = static_cast<TControlCanvas*>(canvas_);
    canvas->Lock();
    canvas->BindPaintDC(reinterpret_cast<HDC>(m.WParam));
    try {
        canvas->SetFont(font_);
        Paint();
    } catch (...) {
        canvas->UnbindPaintDC();
        canvas->Unlock();
        throw;
    }
    canvas->UnbindPaintDC();
    canvas->Unlock();
}

// ---- TWinControl ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TWinControl)
{
    c.Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).SetDefault(true);
    c.Property("DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).SetDefault(false);
    c.Property("OnDockDrop", &TWinControl::OnDockDrop);
    c.Property("OnDockOver", &TWinControl::OnDockOver);
    c.Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered);
    c.Property("ParentBackground", &TWinControl::ParentBackground,
               &TWinControl::SetParentBackground);
    c.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).SetDefault(-1);
    c.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
    c.Property("OnEnter", &TWinControl::OnEnter);
    c.Property("OnExit", &TWinControl::OnExit);
    c.Property("OnKeyDown", &TWinControl::OnKeyDown);
    c.Property("OnKeyPress", &TWinControl::OnKeyPress);
    c.Property("OnKeyUp", &TWinControl::OnKeyUp);
}

CLASSLIB_MESSAGE_MAP(TWinControl)
{
    m.On(WM_PAINT, &TWinControl::WMPaint);
    m.On(WM_ERASEBKGND, &TWinControl::WMEraseBkgnd);
    m.On(WM_PRINTCLIENT, &TWinControl::WMPrintClient);
    m.On(WM_SIZE, &TWinControl::WMSize);
    m.On(WM_MOVE, &TWinControl::WMMove);
    m.On(WM_COMMAND, &TWinControl::WMCommand);
    m.On(WM_NOTIFY, &TWinControl::WMNotify);
    m.On(WM_DRAWITEM, &TWinControl::WMDrawItem);
    m.On(WM_MEASUREITEM, &TWinControl::WMMeasureItem);
    for (UINT msg : {WM_CTLCOLORBTN, WM_CTLCOLORDLG, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX,
                     WM_CTLCOLORMSGBOX, WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC})
        m.On(msg, &TWinControl::WMCtlColor);
    for (UINT msg : {CN_CTLCOLORBTN, CN_CTLCOLORDLG, CN_CTLCOLOREDIT, CN_CTLCOLORLISTBOX,
                     CN_CTLCOLORMSGBOX, CN_CTLCOLORSCROLLBAR, CN_CTLCOLORSTATIC})
        m.On(msg, &TWinControl::CNCtlColor);
    m.On(WM_SETFOCUS, &TWinControl::WMSetFocus);
    m.On(WM_KILLFOCUS, &TWinControl::WMKillFocus);
    m.On(WM_KEYDOWN, &TWinControl::WMKeyDown);
    m.On(WM_KEYUP, &TWinControl::WMKeyUp);
    m.On(WM_CHAR, &TWinControl::WMChar);
    m.On(WM_SYSKEYDOWN, &TWinControl::WMSysKeyDown);
    m.On(WM_SYSCHAR, &TWinControl::WMSysChar);
    m.On(WM_SYSCOMMAND, &TWinControl::WMSysCommand);
    m.On(WM_GETDLGCODE, &TWinControl::WMGetDlgCode);
    m.On(WM_SETCURSOR, &TWinControl::WMSetCursor);
    m.On(WM_MOUSELEAVE, &TWinControl::WMMouseLeave);
    m.On(WM_NCDESTROY, &TWinControl::WMNCDestroy);
    m.On(CN_KEYDOWN, &TWinControl::CNKeyDown);
    m.On(CN_KEYUP, &TWinControl::CNKeyUp);
    m.On(CN_CHAR, &TWinControl::CNChar);
    m.On(CN_SYSKEYDOWN, &TWinControl::CNSysKeyDown);
    m.On(CN_SYSCHAR, &TWinControl::CNSysChar);
    m.On(CM_ENTER, &TWinControl::CMEnter);
    m.On(CM_EXIT, &TWinControl::CMExit);
    m.On(CM_DIALOGKEY, &TWinControl::CMDialogKey);
    m.On(CM_DIALOGCHAR, &TWinControl::CMDialogChar);
    m.On(CM_FONTCHANGED, &TWinControl::CMFontChanged);
    m.On(CM_COLORCHANGED, &TWinControl::CMColorChanged);
    m.On(CM_ENABLEDCHANGED, &TWinControl::CMEnabledChanged);
    m.On(CM_VISIBLECHANGED, &TWinControl::CMVisibleChanged);
    m.On(CM_SHOWINGCHANGED, &TWinControl::CMShowingChanged);
    m.On(CM_TEXTCHANGED, &TWinControl::CMTextChanged);
    m.On(CM_CURSORCHANGED, &TWinControl::CMCursorChanged);
    m.On(WM_CONTEXTMENU, &TWinControl::WMContextMenu);
    m.On(CM_BIDIMODECHANGED, &TWinControl::CMBiDiModeChanged);
    m.On(CM_ACTIONEXECUTE, &TWinControl::CMActionExecute);
    m.On(CM_ACTIONUPDATE, &TWinControl::CMActionUpdate);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner), brush_(new TBrush)
{
    brush_->SetColor(color_);
}

TWinControl::~TWinControl()
{
    // Children go first, each with its own window, while this control is whole enough to
    // remove them; then this control's window.
    while (!controls_.empty() || !winControls_.empty()) {
        TControl* child =
            !winControls_.empty() ? static_cast<TControl*>(winControls_.back()) : controls_.back();
        RemoveControl(child);
        child->parent_ = nullptr;
        child->Free();
    }
    if (parent_)
        SetParent(nullptr);
    DestroyHandle();
    delete brush_;
}

TWinControl* TWinControl::FindControl(HWND window)
{
    auto& map = WindowControls();
    auto it = map.find(window);
    return it == map.end() ? nullptr : it->second;
}

TControl* TWinControl::Controls(int index) const
{
    const int graphic = static_cast<int>(controls_.size());
    if (index < 0 || index >= ControlCount())
        throw EListError(Format(messages::ListIndexError, {index}));
    return index < graphic ? controls_[static_cast<size_t>(index)]
                           : winControls_[static_cast<size_t>(index - graphic)];
}

void TWinControl::InsertControl(TControl* control)
{
    control->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        winControls_.push_back(w);
        tabList_.push_back(w);
        if (handle_)
            w->HandleNeeded();
    } else {
        controls_.push_back(control);
        control->Invalidate();
    }
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), TRUE);
    if (control->align_ != alNone)
        Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = classlib::GetParentForm(this))
            form->ControlRemoving(w);
        if (!w->keepingHandle_)
            w->DestroyHandle();
        winControls_.erase(std::remove(winControls_.begin(), winControls_.end(), w),
                           winControls_.end());
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    } else {
        control->InvalidateControl(control->visible_, false);
        controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    }
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(control), FALSE);
    control->parent_ = nullptr;
    if (control->align_ != alNone)
        Realign();
}

bool TWinControl::ContainsControl(TControl* control) const
{
    for (TControl* c = control; c; c = c->parent_)
        if (c == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(POINT pos, bool allowDisabled, bool allowWinControls) const
{
    auto hits = [&](TControl* c) {
        if (!c->visible_ || !(c->enabled_ || allowDisabled))
            return false;
        RECT r = c->BoundsRect();
        if (!PtInRect(&r, pos))
            return false;
        return c->Perform(CM_HITTEST, 0, PointToLParam(pos.x - c->left_, pos.y - c->top_)) != 0;
    };
    if (allowWinControls)
        for (auto it = winControls_.rbegin(); it != winControls_.rend(); ++it)
            if (hits(*it))
                return *it;
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (hits(*it))
            return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (int i = 0; i < ControlCount(); ++i) {
        Controls(i)->WindowProc(message);
        if (message.Result != 0)
            return;
    }
}

void TWinControl::NotifyControls(UINT msg)
{
    TMessage m{msg, 0, 0, 0};
    // A copy: a handler may change the child lists.
    std::vector<TControl*> all(controls_.begin(), controls_.end());
    all.insert(all.end(), winControls_.begin(), winControls_.end());
    for (TControl* c : all)
        c->WindowProc(m);
}

// ---- window handle --------------------------------------------------------------------------

HWND TWinControl::Handle()
{
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded()
{
    if (handle_)
        return;
    if (parent_)
        parent_->HandleNeeded();
    if (!handle_)
        CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text_;
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (!enabled_)
        params.Style |= WS_DISABLED;
    if (visible_)
        params.Style |= WS_VISIBLE;
    if (controlStyle_.Contains(csAcceptsControls))
        params.Style |= WS_CLIPCHILDREN;
    if (tabStop_)
        params.Style |= WS_TABSTOP;
    params.X = left_;
    params.Y = top_;
    params.Width = width_;
    params.Height = height_;
    params.WndParent = parent_ ? parent_->handle_ : parentWindow_;
    params.WinClassName = ClassName();
    if (UseRightToLeftReading())
        params.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftScrollBar())
        params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    if (UseRightToLeftAlignment())
        params.ExStyle |= WS_EX_RIGHT;
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    auto method = [this](TMessage& m) { WindowProc(m); };
    if (params.NativeClass) {
        handle_ =
            CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                            params.Style, params.X, params.Y, params.Width, params.Height,
                            params.WndParent, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (handle_) {
            WindowControls()[handle_] = this;
            SubclassToObject(handle_, method, this);
        }
    } else {
        WNDCLASSA existing{};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), params.WinClassName.c_str(), &existing)) {
            WNDCLASSA cls{};
            cls.style = params.ClassStyle;
            cls.lpfnWndProc = ObjectWindowProc;
            cls.hInstance = GetModuleHandleA(nullptr);
            cls.hCursor = params.ClassCursor ? params.ClassCursor : LoadCursor(nullptr, IDC_ARROW);
            cls.hbrBackground = params.ClassBackground;
            cls.lpszClassName = params.WinClassName.c_str();
            if (!RegisterClassA(&cls))
                throw EOutOfResources(
                    Format("Cannot register the window class %s", {params.WinClassName}));
        }
        // The map entry must exist before the first message arrives, so the binding slot is
        // filled through a local and registered right away.
        handle_ =
            CreateObjectWindow(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(),
                               params.Style, params.X, params.Y, params.Width, params.Height,
                               params.WndParent, nullptr, method, this, &handle_);
        if (handle_)
            WindowControls()[handle_] = this;
    }
    if (!handle_)
        throw EOutOfResources(
            Format("Error creating window for %s (system error %d)",
                   {Name().empty() ? ClassName() : Name(), static_cast<int>(GetLastError())}));
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD))
        throw EInvalidOperation(Format("Control '%s' has no parent window", {Name()}));
    controlState_.Include(csCreating);
    try {
        CreateWindowHandle(params);
    } catch (...) {
        controlState_.Exclude(csCreating);
        throw;
    }
    controlState_.Exclude(csCreating);
}

void TWinControl::CreateHandle()
{
    if (handle_)
        return;
    CreateWnd();
    brush_->SetColor(color_);
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
    UpdateBounds();
    for (TWinControl* child : std::vector<TWinControl*>(winControls_))
        child->HandleNeeded();
    StackChildWindows();
    Realign();
}

void TWinControl::StackChildWindows()
{
    // Window z-order follows the order of the windowed children: a later one lies above the
    // earlier ones, as a layout stacks them (a status bar declared after a background panel
    // stays visible over it). Keyboard navigation follows the tab order on its own.
    HWND after = HWND_TOP;
    for (auto c = winControls_.rbegin(); c != winControls_.rend(); ++c)
        if ((*c)->handle_) {
            SetWindowPos((*c)->handle_, after, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            after = (*c)->handle_;
        }
}

void TWinControl::DestroyWnd()
{
    if (!handle_)
        return;
    FreeDeviceContexts();
    text_ = Text();
    HWND h = handle_;
    WindowControls().erase(h);
    DetachWindowObject(h);
    handle_ = nullptr;
    DestroyWindow(h);
}

void TWinControl::DestroyHandle()
{
    if (!handle_)
        return;
    controlState_.Include(csDestroyingHandle);
    for (TWinControl* child : winControls_)
        child->DestroyHandle();
    DestroyWnd();
    controlState_.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd()
{
    if (!handle_)
        return;
    const bool hadFocus = Focused();
    DestroyHandle();
    HandleNeeded();
    if (hadFocus && CanFocus())
        ::SetFocus(handle_);
}

void TWinControl::WMNCDestroy(TMessage& m)
{
    // The window went without DestroyWnd (its parent window was destroyed).
    WindowControls().erase(handle_);
    DefaultHandler(m);
    handle_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent_ == parent)
        return;
    TControl::SetParent(parent);
    if (!parent_ && !parentWindow_ && !keepingHandle_)
        DestroyHandle();
}

void TWinControl::MoveToParent(TWinControl* parent)
{
    if (parent_ == parent)
        return;
    if (!handle_ || !parent) {
        SetParent(parent);
        return;
    }
    if (parent == this || ContainsControl(parent))
        throw EInvalidOperation("A control cannot be moved into itself or one of its children");
    HWND newParentWindow = parent->Handle();
    keepingHandle_ = true;
    try {
        TControl::SetParent(nullptr);
        // The system keeps the window, its children, its timers and a capture it holds.
        ::SetParent(handle_, newParentWindow);
        TControl::SetParent(parent);
    } catch (...) {
        keepingHandle_ = false;
        throw;
    }
    keepingHandle_ = false;
    SetWindowPos(handle_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::UpdateBounds()
{
    if (!handle_)
        return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    const bool resized = (r.right - r.left) != width_ || (r.bottom - r.top) != height_;
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    if (resized)
        Realign();
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (!CheckNewSize(width, height)) {
        width = width_;
        height = height_;
    }
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_)
        SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateAnchorRules();
    RequestAlign();
    if (resized)
        Realign();
}

RECT TWinControl::ClientRect() const
{
    if (handle_) {
        RECT r;
        GetClientRect(handle_, &r);
        return r;
    }
    return TControl::ClientRect();
}

std::string TWinControl::Text() const
{
    if (!handle_)
        return text_;
    const int length = GetWindowTextLengthA(handle_);
    std::string s(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(handle_, s.data(), length + 1);
    s.resize(static_cast<size_t>(std::max(0, got)));
    return s;
}

void TWinControl::SetTextBuf(const std::string& value)
{
    text_ = value;
    if (handle_)
        SetWindowTextA(handle_, value.c_str());
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    Realign();
}

// ---- alignment ------------------------------------------------------------------------------

void TWinControl::EnableAlign()
{
    if (alignLevel_ > 0 && --alignLevel_ == 0)
        Realign();
}

void TWinControl::AdjustClientRect(RECT&) {}

void TWinControl::Realign()
{
    if (alignLevel_ > 0 || ComponentState().Contains(csLoading) || realigning_)
        return;
    RECT r = ClientRect();
    AdjustClientRect(r);
    realigning_ = true;
    try {
        AlignControls(nullptr, r);
    } catch (...) {
        realigning_ = false;
        throw;
    }
    realigning_ = false;
}

void TWinControl::AlignControls(TControl*, RECT& rect)
{
    const RECT client = ClientRect();
    const POINT size{client.right - client.left, client.bottom - client.top};
    std::vector<TControl*> all(controls_.begin(), controls_.end());
    all.insert(all.end(), winControls_.begin(), winControls_.end());

    // Docked controls in the order top, bottom, left, right, client; those of one kind by
    // their current position, so the designed order is kept.
    auto place = [&](TAlign kind) {
        std::vector<TControl*> list;
        for (TControl* c : all)
            if (c->align_ == kind && c->visible_)
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
                case alTop:
                    return a->top_ < b->top_;
                case alBottom:
                    return a->top_ + a->height_ > b->top_ + b->height_;
                case alLeft:
                    return a->left_ < b->left_;
                case alRight:
                    return a->left_ + a->width_ > b->left_ + b->width_;
                default:
                    return false;
            }
        });
        for (TControl* c : list) {
            int x = rect.left, y = rect.top, w = c->width_, h = c->height_;
            switch (kind) {
                case alTop:
                    w = rect.right - rect.left;
                    rect.top += h;
                    break;
                case alBottom:
                    w = rect.right - rect.left;
                    y = rect.bottom - h;
                    rect.bottom -= h;
                    break;
                case alLeft:
                    h = rect.bottom - rect.top;
                    rect.left += w;
                    break;
                case alRight:
                    h = rect.bottom - rect.top;
                    x = rect.right - w;
                    rect.right -= w;
                    break;
                case alClient:
                    w = rect.right - rect.left;
                    h = rect.bottom - rect.top;
                    break;
                default:
                    break;
            }
            c->SetBounds(x, y, std::max(0, w), std::max(0, h));
        }
    };
    for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient})
        place(kind);

    // Anchored controls keep their distance to the right and bottom edges.
    for (TControl* c : all) {
        if (c->align_ != alNone || (c->anchorOrigin_.x == 0 && c->anchorOrigin_.y == 0))
            continue;
        int x = c->left_, y = c->top_, w = c->width_, h = c->height_;
        if (c->anchors_.Contains(akRight)) {
            if (c->anchors_.Contains(akLeft))
                w = size.x - x - c->anchorDistance_.x;
            else
                x = size.x - w - c->anchorDistance_.x;
        }
        if (c->anchors_.Contains(akBottom)) {
            if (c->anchors_.Contains(akTop))
                h = size.y - y - c->anchorDistance_.y;
            else
                y = size.y - h - c->anchorDistance_.y;
        }
        c->SetBounds(x, y, std::max(0, w), std::max(0, h));
    }
}

// ---- focus and tab order --------------------------------------------------------------------

void TWinControl::SetTabStop(bool value)
{
    if (tabStop_ == value)
        return;
    tabStop_ = value;
    if (handle_) {
        LONG style = GetWindowLongA(handle_, GWL_STYLE);
        SetWindowLongA(handle_, GWL_STYLE, value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
    Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const
{
    if (!parent_)
        return -1;
    const auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    if (!parent_)
        return;
    auto& list = parent_->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    value = std::clamp(value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + value, this);
}

bool TWinControl::CanFocus() const
{
    const TCustomForm* form = classlib::GetParentForm(this);
    if (!form || !form->visible_ || !form->enabled_)
        return false;
    for (const TControl* c = this; c && c != form; c = c->parent_)
        if (!c->visible_ || !c->enabled_)
            return false;
    return true;
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = classlib::GetParentForm(this))
        form->FocusControl(this);
    else if (parent_ || parentWindow_)
        ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : tabList_) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int count = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < count; ++i)
        if (list[static_cast<size_t>(i)] == current)
            start = i;
    if (start < 0)
        start = goForward ? count - 1 : 0;
    int i = start;
    for (int step = 0; step < count; ++step) {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c == current)
            break;
        if (c->CanFocus() && (!checkTabStop || c->tabStop_) && (!checkParent || c->parent_ == this))
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::CMEnter(TMessage&)
{
    DoEnter();
}
void TWinControl::CMExit(TMessage&)
{
    DoExit();
}

void TWinControl::WMSetFocus(TMessage& m)
{
    DefaultHandler(m);
    if (TCustomForm* form = classlib::GetParentForm(this))
        form->SetFocusedControl(this);
}

void TWinControl::WMKillFocus(TMessage& m)
{
    DefaultHandler(m);
}

// ---- keyboard -------------------------------------------------------------------------------

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

// The form sees the keys of its controls first when KeyPreview is set.
bool TWinControl::DoKeyTransition(TMessage& m, bool (TWinControl::*formFirst)(TMessage&),
                                  void (TWinControl::*handler)(WORD&, TShiftState))
{
    TCustomForm* form = classlib::GetParentForm(this);
    if (form && form != this && form->KeyPreview() && (form->*formFirst)(m))
        return true;
    WORD key = static_cast<WORD>(m.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        (this->*handler)(key, KeyDataToShiftState(m.LParam));
        m.WParam = key;
    }
    return key == 0;
}

bool TWinControl::DoKeyDown(TMessage& m)
{
    return DoKeyTransition(m, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TMessage& m)
{
    return DoKeyTransition(m, &TWinControl::DoKeyUp, &TWinControl::KeyUp);
}

bool TWinControl::DoKeyPress(TMessage& m)
{
    TCustomForm* form = classlib::GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(m))
        return true;
    char ch = static_cast<char>(m.WParam);
    if (!controlStyle_.Contains(csNoStdEvents)) {
        KeyPress(ch);
        m.WParam = static_cast<unsigned char>(ch);
    }
    return ch == 0;
}

void TWinControl::WMKeyDown(TMessage& m)
{
    if (!DoKeyDown(m))
        DefaultHandler(m);
}

void TWinControl::WMSysKeyDown(TMessage& m)
{
    if (!DoKeyDown(m))
        DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m)
{
    if (!DoKeyUp(m))
        DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m)
{
    if (!DoKeyPress(m))
        DefaultHandler(m);
}

void TWinControl::WMSysChar(TMessage& m)
{
    DefaultHandler(m);
}

// The system sends Alt+letter typed in a control to that control as SC_KEYMENU; a form
// without a native menu hands it to its menu-bar control.
void TWinControl::WMSysCommand(TMessage& m)
{
    if (TCustomForm* form = classlib::GetParentForm(this);
        form && form != this && form->OfferKeyMenu(m))
        return;
    DefaultHandler(m);
}

void TWinControl::WMGetDlgCode(TMessage& m)
{
    DefaultHandler(m);
}

// Keys the control does not want itself (Tab, arrows, Enter, Escape) go to its form as
// dialog keys before the control sees them.
void TWinControl::CNKeyDown(TMessage& m)
{
    m.Result = 1;
    if (!ComponentState().Contains(csDesigning)) {
        if (TCustomForm* form = classlib::GetParentForm(this); form && form->IsShortCut(m))
            return;
        if (Perform(CM_CHILDKEY, m.WParam, reinterpret_cast<LPARAM>(this)) != 0)
            return;
        LRESULT mask = 0;
        switch (m.WParam) {
            case VK_TAB:
                mask = DLGC_WANTTAB;
                break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                mask = DLGC_WANTARROWS;
                break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL:
                mask = DLGC_WANTALLKEYS;
                break;
            default:
                break;
        }
        if (mask != 0 && Perform(CM_WANTSPECIALKEY, m.WParam) == 0 &&
            (Perform(WM_GETDLGCODE) & (mask | DLGC_WANTALLKEYS)) == 0) {
            if (TCustomForm* form = classlib::GetParentForm(this))
                if (form->Perform(CM_DIALOGKEY, m.WParam, m.LParam) != 0)
                    return;
        }
    }
    m.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& m)
{
    m.Result = 0;
}

// Alt with a key may be a menu shortcut of the form.
void TWinControl::CNSysKeyDown(TMessage& m)
{
    TCustomForm* form = classlib::GetParentForm(this);
    m.Result = form && !ComponentState().Contains(csDesigning) && form->IsShortCut(m) ? 1 : 0;
}

// A character that the focused control does not take as text may be an accelerator.
void TWinControl::CNChar(TMessage& m)
{
    m.Result = 1;
    if (!ComponentState().Contains(csDesigning) &&
        (Perform(WM_GETDLGCODE) & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) == 0)
        if (TCustomForm* form = classlib::GetParentForm(this))
            if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
                return;
    m.Result = 0;
}

void TWinControl::CNSysChar(TMessage& m)
{
    m.Result = 1;
    if (!ComponentState().Contains(csDesigning) && m.WParam != VK_SPACE)
        if (TCustomForm* form = classlib::GetParentForm(this))
            if (form->Perform(CM_DIALOGCHAR, m.WParam, m.LParam) != 0)
                return;
    m.Result = 0;
}

void TWinControl::CMDialogKey(TMessage& m)
{
    Broadcast(m);
}
void TWinControl::CMDialogChar(TMessage& m)
{
    Broadcast(m);
}

// ---- appearance messages --------------------------------------------------------------------

void TWinControl::CMFontChanged(TMessage&)
{
    if (handle_) {
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
        Invalidate();
    }
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage&)
{
    brush_->SetColor(color_);
    Invalidate();
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMEnabledChanged(TMessage&)
{
    if (!enabled_ && parent_ && Focused())
        if (TCustomForm* form = classlib::GetParentForm(this))
            form->SelectNext(this, true, true);
    if (handle_)
        EnableWindow(handle_, enabled_);
}

void TWinControl::CMVisibleChanged(TMessage&)
{
    if (handle_ && parent_)
        ShowWindow(handle_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
    else if (visible_ && parent_ && parent_->handle_)
        HandleNeeded();
}

void TWinControl::CMShowingChanged(TMessage&) {}

void TWinControl::CMTextChanged(TMessage&) {}

void TWinControl::CMCursorChanged(TMessage&)
{
    POINT p;
    GetCursorPos(&p);
    if (handle_ && WindowFromPoint(p) == handle_)
        SendMessageA(handle_, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_), HTCLIENT);
}

void TWinControl::SetParentBackground(bool value)
{
    if (ParentBackground() == value)
        return;
    if (value)
        controlStyle_.Include(csParentBackground);
    else
        controlStyle_.Exclude(csParentBackground);
    Perform(CM_PARENTBACKGROUNDCHANGED, value);
    Invalidate();
}

void TWinControl::SetCtl3D(bool value)
{
    if (ctl3D_ == value)
        return;
    ctl3D_ = value;
    Perform(CM_CTL3DCHANGED);
}

// ---- painting -------------------------------------------------------------------------------

void TWinControl::Invalidate()
{
    if (handle_)
        ::InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}

void TWinControl::Update()
{
    if (handle_)
        UpdateWindow(handle_);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::PaintWindow(HDC dc)
{
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    auto it = controls_.begin();
    if (first) {
        it = std::find(controls_.begin(), controls_.end(), first);
        if (it == controls_.end())
            return;
    }
    for (; it != controls_.end(); ++it) {
        TControl* c = *it;
        if (!c->visible_ && !ComponentState().Contains(csDesigning))
            continue;
        RECT bounds = c->BoundsRect();
        if (!RectVisible(dc, &bounds))
            continue;
        const int saved = SaveDC(dc);
        POINT origin;
        GetWindowOrgEx(dc, &origin);
        SetWindowOrgEx(dc, origin.x - c->left_, origin.y - c->top_, nullptr);
        IntersectClipRect(dc, 0, 0, c->width_, c->height_);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc));
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(TMessage& m)
{
    PAINTSTRUCT ps;
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    const bool own = dc == nullptr;
    if (own)
        dc = BeginPaint(handle_, &ps);
    try {
        const int saved = SaveDC(dc);
        // Opaque graphic children cover their part of the background.
        for (TControl* c : controls_)
            if (c->visible_ && c->controlStyle_.Contains(csOpaque))
                ExcludeClipRect(dc, c->left_, c->top_, c->left_ + c->width_, c->top_ + c->height_);
        PaintWindow(dc);
        RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (own)
            EndPaint(handle_, &ps);
        throw;
    }
    if (own)
        EndPaint(handle_, &ps);
}

void TWinControl::WMPaint(TMessage& m)
{
    if (m.WParam || !doubleBuffered_) {
        PaintHandler(m);
        return;
    }
    // Double buffered: background and content go to a memory bitmap first.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(handle_, &ps);
    const RECT client = ClientRect();
    HDC memDc = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memDc, bitmap);
    try {
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDc), reinterpret_cast<LPARAM>(memDc));
        TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(memDc), 0, 0};
        WindowProc(paint);
        BitBlt(dc, 0, 0, client.right, client.bottom, memDc, 0, 0, SRCCOPY);
    } catch (...) {
        SelectObject(memDc, old);
        DeleteObject(bitmap);
        DeleteDC(memDc);
        EndPaint(handle_, &ps);
        throw;
    }
    SelectObject(memDc, old);
    DeleteObject(bitmap);
    DeleteDC(memDc);
    EndPaint(handle_, &ps);
}

void TWinControl::PaintParentBackground(HDC dc)
{
    if (!parent_)
        return;
    const int saved = SaveDC(dc);
    POINT origin;
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x + left_, origin.y + top_, nullptr);
    parent_->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    parent_->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
}

void TWinControl::WMEraseBkgnd(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (parent_ && controlStyle_.Contains(csParentBackground)) {
        PaintParentBackground(dc);
    } else {
        RECT r = ClientRect();
        FillRect(dc, &r, brush_->Handle());
    }
    m.Result = 1;
}

void TWinControl::WMPrintClient(TMessage& m)
{
    if (!m.WParam)
        return;
    TMessage paint{WM_PAINT, m.WParam, 0, 0};
    PaintHandler(paint);
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    HandleNeeded();
    const int saved = SaveDC(dc);
    POINT origin;
    GetWindowOrgEx(dc, &origin);
    SetWindowOrgEx(dc, origin.x - x, origin.y - y, nullptr);
    IntersectClipRect(dc, 0, 0, width_, height_);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc));
    // Windowed children are painted as well, each at its place.
    for (TWinControl* child : winControls_)
        if (child->visible_)
            child->PaintTo(dc, child->left_, child->top_);
    RestoreDC(dc, saved);
}

// ---- notifications reflected to the child controls -------------------------------------------

namespace {

// Sends CN_xxx to the control that owns `child`; false when no control of the library owns it.
bool Reflect(HWND child, TMessage& m)
{
    TWinControl* control = child ? TWinControl::FindControl(child) : nullptr;
    if (!control)
        return false;
    m.Result = control->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

} // namespace

// A graphic child under the pointer gets the context menu first.
void TWinControl::WMContextMenu(TMessage& m)
{
    const POINT screen{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (!(screen.x == -1 && screen.y == -1) && handle_) {
        TControl* child = ControlAtPos(ScreenToClient(screen), false);
        if (child && !dynamic_cast<TWinControl*>(child)) {
            child->WindowProc(m);
            if (m.Result != 0)
                return;
        }
    }
    Inherited(TWinControl::StaticClass(), m);
}

void TWinControl::CMActionExecute(TMessage& m)
{
    if (ExecuteAction(reinterpret_cast<TBasicAction*>(m.LParam)))
        m.Result = 1;
    else
        Broadcast(m);
}

void TWinControl::CMActionUpdate(TMessage& m)
{
    if (UpdateAction(reinterpret_cast<TBasicAction*>(m.LParam)))
        m.Result = 1;
    else
        Broadcast(m);
}

void TWinControl::WMCommand(TMessage& m)
{
    if (!Reflect(reinterpret_cast<HWND>(m.LParam), m))
        DefaultHandler(m);
}

void TWinControl::WMNotify(TMessage& m)
{
    if (!Reflect(reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom, m))
        DefaultHandler(m);
}

void TWinControl::WMDrawItem(TMessage& m)
{
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (item->CtlType == ODT_MENU || !Reflect(item->hwndItem, m))
        DefaultHandler(m);
}

void TWinControl::WMMeasureItem(TMessage& m)
{
    // The item's window is not given; the control is found by its identifier, which the
    // library sets to the window handle's low bits for owner-drawn controls.
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (item->CtlType != ODT_MENU && handle_) {
        for (TWinControl* c : winControls_)
            if (c->handle_ && static_cast<UINT>(GetDlgCtrlID(c->handle_)) == item->CtlID) {
                m.Result = c->Perform(CN_MEASUREITEM, m.WParam, m.LParam);
                return;
            }
        // Measured during the child's creation, before its handle is known here.
        for (TWinControl* c : winControls_)
            if (c->controlState_.Contains(csCreating)) {
                m.Result = c->Perform(CN_MEASUREITEM, m.WParam, m.LParam);
                return;
            }
    }
    DefaultHandler(m);
}

void TWinControl::WMCtlColor(TMessage& m)
{
    if (!Reflect(reinterpret_cast<HWND>(m.LParam), m))
        DefaultHandler(m);
}

void TWinControl::CNCtlColor(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SetTextColor(dc, ColorToRGB(font_->Color()));
    SetBkColor(dc, ColorToRGB(brush_->Color()));
    m.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

void TWinControl::WMSize(TMessage& m)
{
    DefaultHandler(m);
    UpdateBounds();
    Realign();
    Resize();
}

void TWinControl::WMMove(TMessage& m)
{
    DefaultHandler(m);
    UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& m)
{
    DefaultHandler(m);
}

void TWinControl::WMSetCursor(TMessage& m)
{
    if (LOWORD(m.LParam) == HTCLIENT && reinterpret_cast<HWND>(m.WParam) == handle_) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            TControl* c = ControlAtPos(p, false);
            cursor = c ? c->cursor_ : cursor_;
        }
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            m.Result = 1;
            return;
        }
    }
    DefaultHandler(m);
}

// ---- mouse routing and tracking -------------------------------------------------------------

bool TControl::IsControlMouseMsg(TMessage& message)
{
    auto* self = dynamic_cast<TWinControl*>(this);
    if (!self)
        return false;
    TControl* target = nullptr;
    if (captureControl && captureControl->parent_ == self &&
        !dynamic_cast<TWinControl*>(captureControl))
        target = captureControl;
    else if (!captureControl || captureControl == this) {
        if (GetCapture() != self->handle_ || captureControl == nullptr)
            target = self->ControlAtPos(LParamToPoint(message.LParam), false);
    }
    if (!target)
        return false;
    const POINT p = LParamToPoint(message.LParam);
    message.Result = target->Perform(message.Msg, message.WParam,
                                     PointToLParam(p.x - target->left_, p.y - target->top_));
    return true;
}

void TWinControl::CheckMouseTracking(TControl* target)
{
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, handle_, 0};
    TrackMouseEvent(&track);
    POINT p;
    GetCursorPos(&p);
    THintManager::Instance().MouseMovedOver(target, p);
}

void TWinControl::WMMouseLeave(TMessage& m)
{
    THintManager::Instance().MouseLeftWindow(this);
    DefaultHandler(m);
}

void TWinControl::WndProc(TMessage& message)
{
    if (IsMouseMessage(message.Msg)) {
        if (message.Msg == WM_MOUSEMOVE && handle_) {
            TControl* over = ControlAtPos(LParamToPoint(message.LParam), false);
            CheckMouseTracking(over ? over : this);
        }
        if (IsControlMouseMsg(message))
            return;
    }
    TControl::WndProc(message);
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (!handle_)
        return;
    CallDefaultWindowProc(handle_, message);
}

// ---- TCustomControl -------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(new TControlCanvas(this))
{
}

TCustomControl::~TCustomControl()
{
    delete canvas_;
}

void TCustomControl::PaintWindow(HDC dc)
{
    PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}

void TWinControl::PaintOnCanvas(TCanvas* canvas, HDC dc, const std::function<void()>& paint)
{
    auto* controlCanvas = static_cast<TControlCanvas*>(canvas);
    controlCanvas->Lock();
    controlCanvas->BindPaintDC(dc);
    try {
        controlCanvas->SetFont(font_);
        controlCanvas->Brush()->SetColor(color_);
        paint();
    } catch (...) {
        controlCanvas->UnbindPaintDC();
        controlCanvas->Unlock();
        throw;
    }
    controlCanvas->UnbindPaintDC();
    controlCanvas->Unlock();
}

// ---- THintWindow ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(THintWindow) {}

CLASSLIB_MESSAGE_MAP(THintWindow)
{
    m.On(WM_NCHITTEST, &THintWindow::WMNCHitTest);
    m.On(WM_MOUSEACTIVATE, &THintWindow::WMMouseActivate);
}

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    color_ = clInfoBk;
    font_->SetColor(clInfoText);
    visible_ = false;
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    // Never activated: neither by showing nor by a click.
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WndParent = Application ? Application->Handle() : nullptr;
    params.ClassStyle |= CS_SAVEBITS;
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& hint)
{
    RECT r{0, 0, maxWidth, 0};
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    DrawTextA(dc, hint.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    r.right += 6;
    r.bottom += 4;
    return r;
}

void THintWindow::ActivateHint(RECT rect, const std::string& hint)
{
    SetText(hint);
    brush_->SetColor(color_);
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    HandleNeeded();
    SetWindowPos(handle_, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    visible_ = true;
    Invalidate();
}

void THintWindow::ReleaseHandle()
{
    visible_ = false;
    if (handle_)
        ShowWindow(handle_, SW_HIDE);
}

void THintWindow::Paint()
{
    RECT r = ClientRect();
    canvas_->Brush()->SetColor(color_);
    canvas_->FillRect(r);
    r.left += 2;
    r.top += 2;
    canvas_->Brush()->SetStyle(bsClear);
    const std::string text = Text();
    DrawTextA(canvas_->Handle(), text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::WMNCHitTest(TMessage& m)
{
    m.Result = HTTRANSPARENT;
}

void THintWindow::WMMouseActivate(TMessage& m)
{
    m.Result = MA_NOACTIVATE;
}

// ---- THintManager ---------------------------------------------------------------------------

THintManager& THintManager::Instance()
{
    static THintManager manager;
    return manager;
}

bool THintManager::HintShowing() const
{
    return hintActive_ && hintWindow_ && hintWindow_->HandleAllocated() &&
           IsWindowVisible(hintWindow_->Handle());
}

void THintManager::SetMouseControl(TControl* control)
{
    if (mouseControl_ == control)
        return;
    TControl* old = mouseControl_;
    mouseControl_ = control;
    if (old)
        old->Perform(CM_MOUSELEAVE);
    if (control)
        control->Perform(CM_MOUSEENTER);
    // The application's hint follows the control under the pointer (a status bar shows it).
    if (Application)
        Application->SetHint(control ? GetLongHint(control->Hint()) : std::string());
}

void THintManager::MouseMovedOver(TControl* control, POINT screenPos)
{
    const bool changed = control != mouseControl_;
    SetMouseControl(control);
    if (!changed && screenPos.x == lastPos_.x && screenPos.y == lastPos_.y)
        return;
    lastPos_ = screenPos;
    // A control with hint areas (CM_HINTSHOW's CursorRect): another area is another hint.
    if (changed || (hintAreaValid_ && !PtInRect(&hintArea_, screenPos)))
        CancelHint();
    // A control without a Hint of its own may still show hints for areas (CM_HINTSHOW).
    if (!ShowHint || !control || !control->ShowHint())
        return;
    if (!hintActive_ && hintControl_ != control) {
        hintControl_ = control;
        StartTimer(HintPause);
    }
}

void THintManager::MouseLeftWindow(TControl* window)
{
    if (!mouseControl_)
        return;
    // Only when the pointer is over no part of this window's controls any more.
    bool inside = mouseControl_ == window;
    if (!inside && mouseControl_->Parent() == window && !dynamic_cast<TWinControl*>(mouseControl_))
        inside = true;
    if (!inside)
        return;
    SetMouseControl(nullptr);
    CancelHint();
}

void THintManager::ControlDestroyed(TControl* control)
{
    if (mouseControl_ == control)
        mouseControl_ = nullptr;
    if (hintControl_ == control) {
        hintControl_ = nullptr;
        CancelHint();
    }
    if (hintWindow_ == control)
        hintWindow_ = nullptr;
}

void THintManager::CancelHint()
{
    HideHint();
    hintControl_ = nullptr;
    hintAreaValid_ = false;
}

void THintManager::HideHint()
{
    StopTimer();
    hintActive_ = false;
    if (hintWindow_)
        hintWindow_->ReleaseHandle();
}

void THintManager::StartTimer(int ms)
{
    StopTimer();
    timer_ = SetTimer(nullptr, 0, static_cast<UINT>(std::max(1, ms)), &THintManager::TimerProc);
}

void THintManager::StopTimer()
{
    if (timer_) {
        KillTimer(nullptr, timer_);
        timer_ = 0;
    }
}

void CALLBACK THintManager::TimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    try {
        Instance().OnTimer();
    } catch (...) {
        HandleUnhandledException(ExceptionPath::Application, nullptr);
    }
}

void THintManager::OnTimer()
{
    StopTimer();
    if (hintActive_)
        HideHint(); // the hide pause is over; the same area shows it again only after leaving
    else
        ActivateHintNow();
}

void THintManager::ActivateHintNow()
{
    TControl* control = hintControl_ ? hintControl_ : mouseControl_;
    if (!control)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    THintInfo info;
    info.HintControl = control;
    info.HintColor = HintColor;
    info.HintMaxWidth = Screen ? Screen->Width() : 1024;
    info.CursorPos = control->ScreenToClient(cursor);
    info.CursorRect = control->ClientRect();
    info.HintPos = POINT{cursor.x, cursor.y + 20};
    info.HideTimeout = HintHidePause;
    const std::string& hint = control->Hint();
    info.HintStr = GetShortHint(hint);
    const bool suppressed = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
    // The area the answer holds for, in screen coordinates.
    const POINT origin = control->ClientOrigin();
    hintArea_ = info.CursorRect;
    OffsetRect(&hintArea_, origin.x, origin.y);
    hintAreaValid_ = true;
    hintControl_ = control;
    if (suppressed || info.HintStr.empty())
        return;
    if (!hintWindow_ ||
        (info.HintWindowClass && &hintWindow_->ClassType() != info.HintWindowClass)) {
        if (hintWindow_)
            hintWindow_->Free();
        hintWindow_ = nullptr;
        TObject* created =
            info.HintWindowClass ? info.HintWindowClass->Create(nullptr) : new THintWindow(nullptr);
        hintWindow_ = dynamic_cast<THintWindow*>(created);
        if (!hintWindow_) {
            delete created;
            return;
        }
    }
    hintWindow_->SetColor(info.HintColor);
    RECT r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
    OffsetRect(&r, info.HintPos.x, info.HintPos.y);
    hintWindow_->ActivateHint(r, info.HintStr);
    hintActive_ = true;
    if (info.HideTimeout > 0)
        StartTimer(info.HideTimeout);
}

// ---- registration ---------------------------------------------------------------------------

void RegisterControlsClasses()
{
    RegisterClasses({&TControl::StaticClass(), &TGraphicControl::StaticClass(),
                     &TWinControl::StaticClass(), &TCustomControl::StaticClass(),
                     &THintWindow::StaticClass()});
}

} // namespace classlib
