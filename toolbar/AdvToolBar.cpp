// The toolbar's structure: construction and destruction, styler binding, the state changes of
// re-parenting, the control order, and the layout and sizing of its controls.
#include "AdvToolBar.h"

#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/DockRowLayout.h"
#include "toolbar/FloatingWindow.h"
#include "toolbar/MenuTracking.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

CLASSLIB_PUBLISH(TAdvCustomToolBar) {}

CLASSLIB_MESSAGE_MAP(TAdvCustomToolBar)
{
    m.On(WM_ERASEBKGND, &TAdvCustomToolBar::WMEraseBkgnd);
    m.On(CM_CONTROLCHANGE, &TAdvCustomToolBar::CMControlChange);
    m.On(CM_MOUSELEAVE, &TAdvCustomToolBar::CMMouseLeave);
    m.On(CM_MOUSEENTER, &TAdvCustomToolBar::CMMouseEnter);
    m.On(CM_VISIBLECHANGED, &TAdvCustomToolBar::CMVisibleChanged);
    m.On(CM_TEXTCHANGED, &TAdvCustomToolBar::CMTextChanged);
    m.On(CM_HINTSHOW, &TAdvCustomToolBar::CMHintShow);
}

TAdvCustomToolBar::TAdvCustomToolBar(TComponent* owner) : TCustomControl(owner), floatOwner_(owner)
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} - TControlStyle{csOpaque};
    SetBounds(0, 0, kMinimumLength, 26);
    Constraints()->SetMinWidth(kMinimumLength);
    Constraints()->SetMaxWidth(kMinimumLength);
    internalStyler_ = new TCustomAdvToolBarStyler(this);
    internalStyler_->SetName("InternalStyler");
    internalStyler_->SetSubComponent(true);
    internalStyler_->AddControl(this);
    currentStyler_ = internalStyler_;
    persistence_ = new TPersistence(this);
    persistence_->SetSection("UnDockedAdvToolBars");
    captionFont_ = new TFont();
    SetShowHint(true);
    SetDoubleBuffered(true);
    SetColor(currentStyler_->Color()->Color());
}

TAdvCustomToolBar::~TAdvCustomToolBar()
{
    ForgetMenuTrackingOf(this);
    // Sub-items lent to a dropped menu go back to their root item before that menu goes.
    RestoreMenuItems(true);
    if (floatTimer_ && HandleAllocated())
        KillTimer(Handle(), floatTimer_);
    floatTimer_ = 0;
    if (assignedStyler_ && assignedStyler_ != internalStyler_)
        assignedStyler_->RemoveControl(this);
    if (currentStyler_ != internalStyler_ && currentStyler_ != assignedStyler_)
        currentStyler_->RemoveControl(this);
    // The panels let go of this toolbar now, while it is whole: their free notification comes
    // only after this destructor.
    if (dockPanel_)
        dockPanel_->ToolBarDestroyed(this);
    if (lastDockPanel_ && lastDockPanel_ != dockPanel_)
        lastDockPanel_->ToolBarDestroyed(this);
    dockPanel_ = nullptr;
    lastDockPanel_ = nullptr;
    if (floatingWindow_) {
        TFloatingWindow* window = floatingWindow_;
        floatingWindow_ = nullptr;
        window->SetToolBar(nullptr);
        // A window that frees its children is freeing this toolbar; otherwise it goes first.
        if (!window->ComponentState().Contains(csDestroying)) {
            if (Parent() == window)
                TCustomControl::SetParent(nullptr);
            window->Free();
        }
    }
    delete persistence_;
    delete captionFont_;
}

void TAdvCustomToolBar::TreeDestroying()
{
    // Nothing else reads other components while going; a store error does not leave the
    // destruction.
    try {
        SaveState();
    } catch (...) {
    }
}

// ---- styler ---------------------------------------------------------------------------------

namespace {
bool Going(TComponent* c)
{
    return !c || c->ComponentState().Contains(csDestroying);
}
} // namespace

void TAdvCustomToolBar::SetToolBarStyler(TCustomAdvToolBarStyler* styler)
{
    if (styler && styler == assignedStyler_)
        return;
    if (assignedStyler_ && assignedStyler_ != internalStyler_) {
        assignedStyler_->RemoveControl(this);
        if (assignedStyler_ != currentStyler_)
            assignedStyler_->RemoveFreeNotification(this);
    }
    assignedStyler_ = styler;
    if (assignedStyler_)
        assignedStyler_->FreeNotification(this);
    RebindStyler();
}

void TAdvCustomToolBar::RebindStyler()
{
    TCustomAdvToolBarStyler* styler = Going(assignedStyler_) ? nullptr : assignedStyler_;
    if (parentStyler_ && lastDockPanel_ && !Going(lastDockPanel_) &&
        !Going(lastDockPanel_->CurrentStyler()))
        styler = lastDockPanel_->CurrentStyler();
    BindCurrentStyler(styler ? styler : internalStyler_);
}

void TAdvCustomToolBar::BindCurrentStyler(TCustomAdvToolBarStyler* styler)
{
    if (styler != currentStyler_) {
        TCustomAdvToolBarStyler* old = currentStyler_;
        currentStyler_ = styler;
        if (old != internalStyler_ && !Going(old)) {
            old->RemoveControl(this);
            if (old != assignedStyler_)
                old->RemoveFreeNotification(this);
        }
        // Whatever styler is in use tells this toolbar when it goes, so that the binding never
        // outlives it (a floating toolbar follows its last dock panel's styler).
        currentStyler_->AddControl(this);
        if (currentStyler_ != internalStyler_)
            currentStyler_->FreeNotification(this);
        for (TControl* c : controlOrder_)
            if (auto* button = dynamic_cast<TAdvCustomToolBarButton*>(c))
                button->AdjustSize();
    }
    SetColor(currentStyler_->Color()->Color());
    Invalidate();
}

void TAdvCustomToolBar::SetParentStyler(bool value)
{
    parentStyler_ = value;
    RebindStyler();
}

void TAdvCustomToolBar::ToolBarStylerChanged(int kind)
{
    SetColor(currentStyler_->Color()->Color());
    if (kind == ckDragGrip)
        ArrangeControls(true);
    Invalidate();
}

void TAdvCustomToolBar::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    // References are cleared also while this toolbar goes with its tree: its destructor still
    // talks to its stylers and panels, and those of the tree may be freed before it.
    bool rebind = false;
    if (component == assignedStyler_) {
        assignedStyler_ = nullptr;
        rebind = true;
    }
    if (component == currentStyler_) {
        currentStyler_ = internalStyler_;
        rebind = true;
    }
    if (component == lastDockPanel_) {
        lastDockPanel_ = nullptr;
        rebind = true;
    }
    if (component == dockPanel_)
        dockPanel_ = nullptr;
    if (component == floatingWindow_)
        floatingWindow_ = nullptr;
    if (component == homeForm_)
        homeForm_ = nullptr;
    MenuBarForget(component);
    const bool images = component == images_ || component == disabledImages_;
    if (component == images_)
        images_ = nullptr;
    if (component == disabledImages_)
        disabledImages_ = nullptr;
    if (ComponentState().Contains(csDestroying))
        return;
    if (auto* control = dynamic_cast<TControl*>(component))
        RemoveFromLists(control);
    if (rebind)
        RebindStyler();
    else if (images)
        Invalidate();
}

// ---- properties -----------------------------------------------------------------------------

void TAdvCustomToolBar::SetAllowFloating(bool value)
{
    allowFloating_ = value || state_ == tsFloating;
}

void TAdvCustomToolBar::SetShowOptionIndicator(bool value)
{
    if (value == showOptionIndicator_)
        return;
    showOptionIndicator_ = value;
    Invalidate();
}

void TAdvCustomToolBar::SetShowRightHandle(bool value)
{
    if (value == showRightHandle_)
        return;
    showRightHandle_ = value;
    Invalidate();
}

void TAdvCustomToolBar::SetFullRightHandle(bool value)
{
    fullRightHandle_ = value;
    rightHandleWidth_ = value ? 14 : 4;
    ArrangeControls(true);
    if (state_ == tsDocked && dockPanel_)
        dockPanel_->UpdateRows();
    Invalidate();
}

void TAdvCustomToolBar::SetCaptionHeight(int value)
{
    captionHeight_ = value;
    if (showCaption_)
        ArrangeControls(false);
    Invalidate();
}

void TAdvCustomToolBar::SetImages(TCustomImageList* value)
{
    TCustomImageList* old = images_;
    if (old && old != value)
        old->RemoveFreeNotification(this);
    images_ = value;
    if (value)
        value->FreeNotification(this);
    if (old) {
        const bool horizontal = IsHorizontal(position_);
        const int before = horizontal ? old->Height() : old->Width();
        const int after = value ? (horizontal ? value->Height() : value->Width()) : 0;
        if (horizontal)
            SetHeight(Height() + after - before);
        else
            SetWidth(Width() + after - before);
    }
    ArrangeControls(false);
    if (state_ == tsFloating && !ComponentState().Contains(csLoading)) {
        rowThickness_ = RowThicknessFor(false);
        ArrangeControls(true);
    }
    Invalidate();
}

void TAdvCustomToolBar::SetDisabledImages(TCustomImageList* value)
{
    if (disabledImages_ && disabledImages_ != value)
        disabledImages_->RemoveFreeNotification(this);
    disabledImages_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TAdvCustomToolBar::SetShowCaption(bool value)
{
    showCaption_ = value;
    ArrangeControls(true);
    Invalidate();
}

void TAdvCustomToolBar::SetCaptionAtEnd(bool value)
{
    captionAtEnd_ = value;
    if (showCaption_) {
        ArrangeControls(false);
        Invalidate();
    }
}

void TAdvCustomToolBar::SetCaptionAlignment(TAlignment value)
{
    captionAlignment_ = value;
    Invalidate();
}

void TAdvCustomToolBar::CMTextChanged(TMessage& m)
{
    Inherited(StaticClass(), m);
    Invalidate();
}

void TAdvCustomToolBar::CMHintShow(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (!ShowHint())
        return;
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    auto show = [&](const RECT& r, const std::string& hint) {
        const POINT p = info->CursorPos;
        if (hint.empty() || p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom)
            return false;
        info->HintStr = hint;
        info->CursorRect = r;
        return true;
    };
    if (state_ == tsFloating) {
        if (showClose_ && show(CloseButtonRect(), closeHint_))
            return;
        if (showOptionIndicator_)
            show(FloatingOptionButtonRect(), optionHint_);
    } else if (showOptionIndicator_) {
        show(RightHandleRect(), optionHint_);
    }
}

void TAdvCustomToolBar::SetFloatingRows(int value)
{
    if (value < 1 || value > MaxFloatingRows() || value == floatingRows_)
        return;
    floatingRows_ = value;
    if (ComponentState().Contains(csLoading))
        return;
    ArrangeControls(true);
    if (floatingWindow_)
        floatingWindow_->FitToToolBar();
}

void TAdvCustomToolBar::SetAutoSizeToolBar(bool value)
{
    if (!value && (state_ != tsFree || dynamic_cast<TAdvDockPanel*>(Parent())))
        return;
    autoSizeToolBar_ = value;
    if (!value) {
        TSizeConstraints* c = Constraints();
        c->SetMinWidth(0);
        c->SetMaxWidth(0);
        c->SetMinHeight(0);
        c->SetMaxHeight(0);
    }
}

void TAdvCustomToolBar::SetAutoArrangeButtons(bool value)
{
    if (!value && (state_ != tsFree || dynamic_cast<TAdvDockPanel*>(Parent())))
        return;
    autoArrangeButtons_ = value;
    if (value)
        ArrangeControls(true);
    else
        SetAutoSizeToolBar(false);
}

// ---- re-parenting ---------------------------------------------------------------------------

void TAdvCustomToolBar::SetParent(TWinControl* parent)
{
    ChangeParent(parent, false);
}

void TAdvCustomToolBar::LeaveDockPanel()
{
    if (!dockPanel_)
        return;
    TAdvDockPanel* panel = dockPanel_;
    panel->RemoveToolBar(this);
    dockPanel_ = nullptr;
    rowIndex_ = -1;
}

void TAdvCustomToolBar::ChangeParent(TWinControl* parent, bool keepHandle)
{
    if (parent == Parent())
        return;
    const bool loading = ComponentState().Contains(csLoading);
    auto* panel = dynamic_cast<TAdvDockPanel*>(parent);
    // A panel that cannot take the toolbar is asked before anything moves: the toolbar stays
    // where it is, in its state, with its floating window.
    if (panel && panel != dockPanel_ && !loading && !CanDockTo(panel))
        return;
    TWinControl* old = Parent();
    const TToolBarState previous = state_;
    reparenting_ = true;
    try {
        if (keepHandle && HandleAllocated() && parent)
            MoveToParent(parent);
        else
            TCustomControl::SetParent(parent);
    } catch (...) {
        reparenting_ = false;
        throw;
    }
    reparenting_ = false;
    bool docked = false, floated = false;
    if (panel) {
        if (panel != dockPanel_) {
            LeaveDockPanel();
            if (dynamic_cast<TFloatingWindow*>(old)) {
                if (floatTimer_ && HandleAllocated())
                    KillTimer(Handle(), floatTimer_);
                floatTimer_ = 0;
                if (IsHorizontal(position_)) {
                    Constraints()->SetMinHeight(0);
                    Constraints()->SetMaxHeight(0);
                    SetHeight(rowThickness_);
                }
            }
            state_ = tsDocked;
            if (panel->InsertToolBar(this) < 0) {
                state_ = previous;
            } else {
                lastDockPanel_ = panel;
                lastDockPanel_->FreeNotification(this);
                RebindStyler();
                if (floatingWindow_)
                    floatingWindow_->Hide();
                docked = true;
            }
        }
    } else if (dynamic_cast<TFloatingWindow*>(parent)) {
        state_ = tsFloating;
        LeaveDockPanel();
        if (!IsHorizontal(position_))
            SetPosition(daTop);
        SetHeight(Height() + captionHeight_);
        floated = true;
    } else {
        if (parent)
            parentStyler_ = false;
        state_ = tsFree;
        LeaveDockPanel();
    }
    ArrangeControls(true);
    if (!loading) {
        if (docked && OnDock)
            OnDock(this, panel);
        else if (floated && OnFloat)
            OnFloat(this);
    }
}

// ---- controls -------------------------------------------------------------------------------

void TAdvCustomToolBar::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

void TAdvCustomToolBar::InsertIntoOrder(TControl* control)
{
    auto own = std::find(controlOrder_.begin(), controlOrder_.end(), control);
    const bool horizontal = IsHorizontal(position_) || state_ == tsFloating;
    if (controlOrder_.size() <= 1 && own != controlOrder_.end())
        return;
    const int pos = horizontal ? control->Left() : control->Top();
    size_t index = controlOrder_.size();
    for (size_t i = 0; i < controlOrder_.size(); ++i) {
        if (controlOrder_[i] == control)
            continue;
        if ((horizontal ? controlOrder_[i]->Left() : controlOrder_[i]->Top()) >= pos) {
            index = i;
            break;
        }
    }
    if (own != controlOrder_.end()) {
        const size_t ownIndex = static_cast<size_t>(own - controlOrder_.begin());
        controlOrder_.erase(own);
        if (index > ownIndex)
            --index;
    }
    controlOrder_.insert(controlOrder_.begin() + static_cast<std::ptrdiff_t>(index), control);
}

void TAdvCustomToolBar::RemoveFromLists(TControl* control)
{
    controlOrder_.erase(std::remove(controlOrder_.begin(), controlOrder_.end(), control),
                        controlOrder_.end());
    if (hotButton_ && control == static_cast<TControl*>(hotButton_))
        hotButton_ = nullptr;
}

void TAdvCustomToolBar::HotButtonChanged(TAdvCustomToolBarButton* button, bool hot)
{
    if (hot) {
        TAdvCustomToolBarButton* previous = hotButton_;
        hotButton_ = button;
        if (previous && previous != button)
            previous->SetHotTracked(false);
    } else if (hotButton_ == button) {
        hotButton_ = nullptr;
    }
}

void TAdvCustomToolBar::CMControlChange(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (reparenting_)
        return;
    auto* control = reinterpret_cast<TControl*>(m.WParam);
    if (!control)
        return;
    auto* item = dynamic_cast<TAdvCustomToolBarControl*>(control);
    if (m.LParam) {
        if (item)
            item->JoinToolBar(this);
        InsertIntoOrder(control);
        control->FreeNotification(this);
    } else {
        if (item)
            item->LeaveToolBar(this);
        RemoveFromLists(control);
    }
    ArrangeControls(true);
}

void TAdvCustomToolBar::AlignControls(TControl* control, RECT& rect)
{
    if (arranging_)
        return;
    if (!control) {
        TCustomControl::AlignControls(control, rect);
        return;
    }
    ArrangeControls(true);
}

void TAdvCustomToolBar::CMVisibleChanged(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (state_ == tsFloating && floatingWindow_) {
        floatingWindow_->SetVisible(Visible());
        hiddenWithForm_ = Visible();
    } else if (state_ == tsDocked && dockPanel_ && !ComponentState().Contains(csDesigning)) {
        dockPanel_->ToolBarVisibilityChanged(this);
    }
}

void TAdvCustomToolBar::Loaded()
{
    TCustomControl::Loaded();
    loadedOnce_ = true;
    savedCursor_ = Cursor();
    controlOrder_.clear();
    const bool horizontal = IsHorizontal(position_);
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        const int pos = horizontal ? child->Left() : child->Top();
        auto it = controlOrder_.end();
        while (it != controlOrder_.begin()) {
            TControl* prev = *(it - 1);
            if ((horizontal ? prev->Left() : prev->Top()) <= pos)
                break;
            --it;
        }
        controlOrder_.insert(it, child);
    }
    ArrangeControls(true);
    if (!ComponentState().Contains(csDesigning))
        LoadState();
}

// ---- layout and sizing ----------------------------------------------------------------------

bool TAdvCustomToolBar::GripShown() const
{
    return state_ != tsFloating && !OnPageOrCompact() && currentStyler_->DragGripStyle() != dsNone;
}

int TAdvCustomToolBar::AlongStart() const
{
    return GripShown() ? kGripWidth + 2 : 2;
}

int TAdvCustomToolBar::AcrossStart() const
{
    return state_ == tsFloating || (showCaption_ && !captionAtEnd_) ? captionHeight_ + 2 : 2;
}

void TAdvCustomToolBar::MoveOutOfSight(TControl* control)
{
    if (IsHorizontal(position_) || state_ == tsFloating)
        control->SetTop(Height() + 2);
    else
        control->SetLeft(Width() + 2);
}

void TAdvCustomToolBar::ArrangeControls(bool resize)
{
    if (ComponentState().Contains(csLoading))
        return;
    if (state_ == tsFree && !autoArrangeButtons_)
        return;
    const bool designing = ComponentState().Contains(csDesigning);
    arranging_ = true;
    try {
        if (state_ == tsFloating) {
            if (floatingRows_ > 1 && resize) {
                arranging_ = false;
                AdjustToolBarSize();
                arranging_ = true;
            }
            int x = 2, y = captionHeight_ + 2;
            for (TControl* c : controlOrder_) {
                if (!c->Visible() && !designing) {
                    MoveOutOfSight(c);
                    continue;
                }
                if (floatingRows_ > 1 && x > 2 && Width() - x - 2 < c->Width()) {
                    x = 2;
                    y += rowThickness_;
                }
                c->SetBounds(x, y, c->Width(), c->Height());
                x += c->Width();
            }
        } else if (IsHorizontal(position_) && OnPageOrCompact()) {
            ArrangeColumns();
        } else {
            const bool horizontal = IsHorizontal(position_);
            int along = AlongStart();
            const int across = AcrossStart();
            for (TControl* c : controlOrder_) {
                if (!c->Visible() && !designing) {
                    MoveOutOfSight(c);
                    continue;
                }
                if (horizontal) {
                    c->SetBounds(along, across, c->Width(), c->Height());
                    along += c->Width();
                } else {
                    c->SetBounds(across, along, c->Width(), c->Height());
                    along += c->Height();
                }
            }
        }
    } catch (...) {
        arranging_ = false;
        throw;
    }
    arranging_ = false;
    if (resize)
        AdjustToolBarSize();
}

int TAdvCustomToolBar::FullLengthOf() const
{
    const bool horizontal = IsHorizontal(position_);
    int length = AlongStart();
    for (TControl* c : controlOrder_)
        if (c->Visible())
            length += horizontal ? c->Width() : c->Height();
    if (showRightHandle_)
        length += rightHandleWidth_;
    return std::max(length, kMinimumLength);
}

int TAdvCustomToolBar::RowThicknessFor(bool forceFloat) const
{
    int widest = 0, tallest = 0;
    for (TControl* c : controlOrder_) {
        widest = std::max(widest, c->Width());
        tallest = std::max(tallest, c->Height());
    }
    int thickness = tallest;
    if (!IsHorizontal(position_) && !(forceFloat || state_ == tsFloating))
        thickness = widest;
    return std::max(thickness + 4, 26);
}

namespace {
FloatingControls FloatingControlsOf(const std::vector<TControl*>& controls, int rowThickness,
                                    int captionHeight)
{
    FloatingControls f;
    for (TControl* c : controls)
        f.lengths.push_back(c->Width());
    f.minimumLength = TAdvCustomToolBar::kMinimumLength;
    f.rowThickness = rowThickness;
    f.captionHeight = captionHeight;
    return f;
}
} // namespace

int TAdvCustomToolBar::MaxFloatingRows() const
{
    return toolbar::MaxFloatingRows(
        FloatingControlsOf(controlOrder_, rowThickness_, captionHeight_));
}

bool TAdvCustomToolBar::FloatingSizeFor(int rows, int& width, int& height) const
{
    return toolbar::FloatingSizeFor(
        FloatingControlsOf(controlOrder_, rowThickness_, captionHeight_), rows, width, height);
}

void TAdvCustomToolBar::AdjustToolBarSize()
{
    TSizeConstraints* c = Constraints();
    if (state_ == tsFloating) {
        c->SetMinWidth(0);
        c->SetMaxWidth(0);
        c->SetMinHeight(0);
        c->SetMaxHeight(0);
        int w = kMinimumLength, h = rowThickness_ + captionHeight_;
        if (floatingRows_ <= 1) {
            for (TControl* control : controlOrder_)
                if (control->Visible())
                    w = std::max(w, control->Left() + control->Width() + 2);
        } else if (!FloatingSizeFor(floatingRows_, w, h)) {
            w = Width();
            h = Height();
        }
        SetBounds(Left(), Top(), w, h);
        if (floatingWindow_ && floatingWindow_->Visible())
            floatingWindow_->FitToToolBar();
        return;
    }
    const bool horizontal = IsHorizontal(position_);
    if (!horizontal && menuBar_)
        return;
    const int handle = showRightHandle_ ? rightHandleWidth_ : 0;
    int needed = 15;
    for (auto it = controlOrder_.rbegin(); it != controlOrder_.rend(); ++it) {
        if ((*it)->Visible()) {
            needed = horizontal ? (*it)->Left() + (*it)->Width() : (*it)->Top() + (*it)->Height();
            break;
        }
    }
    // On a page the last column (up to three small buttons) ends at its widest button.
    const bool columns = horizontal && OnPageOrCompact();
    if (columns)
        for (TControl* control : controlOrder_)
            if (control->Visible())
                needed = std::max(needed, control->Left() + control->Width());
    needed += handle;
    int full = AlongStart() + handle;
    int thickness = 0;
    for (TControl* control : controlOrder_) {
        if (!control->Visible())
            continue;
        full += horizontal ? control->Width() : control->Height();
        thickness = std::max(thickness, (horizontal ? control->Height() : control->Width()) + 4);
    }
    full = columns ? needed : std::max(full, needed);
    fullLength_ = full;
    thickness = std::max(thickness, 26);
    if (showCaption_)
        thickness += captionHeight_;
    if (menuBar_ || !autoSizeToolBar_)
        return;
    const int oldWidth = Width(), oldHeight = Height();
    int length = horizontal ? Width() : Height();
    if (length < needed || (length > needed && length > full))
        length = needed;
    const bool wasSizing = sizingByRow_;
    sizingByRow_ = true;
    if (horizontal) {
        c->SetMinHeight(0);
        c->SetMaxHeight(0);
        c->SetMinWidth(0);
        c->SetMaxWidth(full);
        c->SetMinWidth(std::min(kMinimumLength, needed));
        // On a page the page gives the height.
        SetBounds(Left(), Top(), length, columns ? Height() : thickness);
    } else {
        c->SetMinWidth(0);
        c->SetMaxWidth(0);
        c->SetMinHeight(0);
        c->SetMaxHeight(full);
        c->SetMinHeight(std::min(kMinimumLength, needed));
        SetBounds(Left(), Top(), thickness, length);
    }
    sizingByRow_ = wasSizing;
    if ((Width() != oldWidth || Height() != oldHeight) && state_ == tsDocked && dockPanel_ &&
        !sizingByRow_)
        dockPanel_->UpdateRows();
}

void TAdvCustomToolBar::SetPosition(TDockAlign value)
{
    if (value == position_)
        return;
    position_ = value;
    TSizeConstraints* c = Constraints();
    const bool wasSizing = sizingByRow_;
    sizingByRow_ = true;
    c->SetMinWidth(0);
    c->SetMaxWidth(0);
    c->SetMinHeight(0);
    c->SetMaxHeight(0);
    fullLength_ = FullLengthOf();
    if (IsHorizontal(value)) {
        c->SetMaxWidth(fullLength_);
        c->SetMinWidth(kMinimumLength);
        SetBounds(Left(), Top(), fullLength_, rowThickness_);
    } else {
        c->SetMaxHeight(fullLength_);
        c->SetMinHeight(kMinimumLength);
        SetBounds(Left(), Top(), rowThickness_, fullLength_);
    }
    sizingByRow_ = wasSizing;
    for (TControl* control : controlOrder_)
        if (auto* item = dynamic_cast<TAdvCustomToolBarControl*>(control))
            item->SetPosition(value);
    ArrangeControls(false);
}

void TAdvCustomToolBar::SetBounds(int left, int top, int width, int height)
{
    if (state_ == tsDocked && dockPanel_ && !sizingByRow_)
        dockPanel_->ArbitrateBounds(this, left, top, width, height);
    TCustomControl::SetBounds(left, top, width, height);
}

int TAdvCustomToolBar::GrowableLength() const
{
    const TSizeConstraints* c = Constraints();
    return IsHorizontal(position_) ? c->MaxWidth() - Width() : c->MaxHeight() - Height();
}

int TAdvCustomToolBar::ShrinkableLength() const
{
    const TSizeConstraints* c = Constraints();
    return IsHorizontal(position_) ? Width() - c->MinWidth() : Height() - c->MinHeight();
}

bool TAdvCustomToolBar::ControlsHidden() const
{
    const TSizeConstraints* c = Constraints();
    if (IsHorizontal(position_))
        return c->MaxWidth() > 0 && Width() < c->MaxWidth();
    return c->MaxHeight() > 0 && Height() < c->MaxHeight();
}

} // namespace toolbar
