// The toolbar's pointer handling: the grip and caption drags with their own message loop,
// moves along and across the dock panel, tear-off, docking into another panel, the floating
// window and its close button.
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/CompactWindow.h"
#include "toolbar/FloatingWindow.h"

#include "windows/Screen.h"

namespace toolbar {

using namespace classlib;

namespace {
bool Inside(const RECT& r, int x, int y)
{
    return r.right > r.left && x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
} // namespace

void TAdvCustomToolBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (dragging_ || button != mbLeft)
        return;
    const bool designing = ComponentState().Contains(csDesigning);
    auto optionClick = [&] {
        if (!OnOptionClick)
            return;
        const POINT client{Left() + Width() - 12, Top() + Height() + 1};
        OnOptionClick(this, client, Parent() ? Parent()->ClientToScreen(client) : client);
    };
    if (state_ != tsFloating && !designing && Inside(CaptionOptionButtonRect(), x, y)) {
        captionOptionDown_ = true;
        Invalidate();
        optionClick();
        return;
    }
    if (state_ == tsDocked) {
        const RECT grip{0, 0, IsHorizontal(position_) ? kGripWidth : Width(),
                        IsHorizontal(position_) ? Height() : kGripWidth};
        if (GripShown() && Inside(grip, x, y)) {
            if (!locked_)
                StartDrag(x, y);
        } else if (!designing && Inside(RightHandleRect(), x, y)) {
            rightHandleDown_ = true;
            Invalidate();
            optionClick();
        }
        return;
    }
    if (state_ != tsFloating)
        return;
    RECT captionArea = CaptionRect();
    if (showOptionIndicator_)
        captionArea.right = FloatingOptionButtonRect().left;
    else if (showClose_)
        captionArea.right = CloseButtonRect().left;
    if (Inside(captionArea, x, y)) {
        if (Screen->Cursor() != crSizeAll)
            Screen->SetCursor(crSizeAll);
        StartDrag(x, y);
    } else if (Inside(FloatingOptionButtonRect(), x, y) && !optionDown_) {
        optionDown_ = true;
        Invalidate();
        if (OnOptionClick)
            OnOptionClick(this, POINT{x, y}, ClientToScreen(POINT{x, y}));
    } else if (Inside(CloseButtonRect(), x, y) && !closeDown_) {
        closeDown_ = true;
        Invalidate();
    }
}

void TAdvCustomToolBar::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (dragging_)
        return;
    if (!shift.Contains(ssLeft) && !locked_) {
        const RECT grip{0, 0, IsHorizontal(position_) ? kGripWidth : Width(),
                        IsHorizontal(position_) ? Height() : kGripWidth};
        if (GripShown() && Inside(grip, x, y)) {
            if (Cursor() != crSizeAll) {
                savedCursor_ = Cursor();
                SetCursor(crSizeAll);
            }
        } else if (Cursor() == crSizeAll) {
            SetCursor(savedCursor_);
        }
    }
    if (!ComponentState().Contains(csDesigning)) {
        const bool hot = Inside(RightHandleRect(), x, y);
        const bool optionHot = Inside(CaptionOptionButtonRect(), x, y);
        if (hot != rightHandleHot_ || optionHot != captionOptionHot_) {
            rightHandleHot_ = hot;
            captionOptionHot_ = optionHot;
            Invalidate();
        }
    }
    if (state_ == tsFloating) {
        const bool option = Inside(FloatingOptionButtonRect(), x, y);
        const bool close = Inside(CloseButtonRect(), x, y);
        if (option != optionHot_ || close != closeHot_) {
            optionHot_ = option;
            closeHot_ = close;
            Invalidate();
        }
    }
}

void TAdvCustomToolBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (rightHandleDown_ || captionOptionDown_) {
        rightHandleDown_ = captionOptionDown_ = false;
        Invalidate();
    }
    if (state_ != tsFloating)
        return;
    if (optionDown_) {
        optionDown_ = false;
        Invalidate();
    }
    if (closeDown_) {
        closeDown_ = false;
        closeHot_ = false;
        Invalidate();
        CloseFloating();
    }
}

void TAdvCustomToolBar::CMMouseLeave(TMessage& m)
{
    Inherited(StaticClass(), m);
    StartFade(false);
    if (!dragging_ && Cursor() == crSizeAll)
        SetCursor(savedCursor_);
    if (rightHandleHot_ || rightHandleDown_ || optionHot_ || optionDown_ || closeHot_ ||
        closeDown_ || captionOptionHot_ || captionOptionDown_) {
        rightHandleHot_ = rightHandleDown_ = optionHot_ = optionDown_ = closeHot_ = closeDown_ =
            captionOptionHot_ = captionOptionDown_ = false;
        Invalidate();
    }
}

void TAdvCustomToolBar::WndProc(TMessage& message)
{
    if (MenuBarMessage(message))
        return;
    TCustomControl::WndProc(message);
    if (message.Msg == CompactWinHideMessage())
        CMCompactWinHide(message);
    if (message.Msg == WM_TIMER && message.WParam == kFloatTimerId)
        FloatTimerTick();
}

void TAdvCustomToolBar::FloatTimerTick()
{
    if (!homeForm_ || !floatingWindow_)
        return;
    const bool formVisible = IsWindowVisible(homeForm_->Handle()) != FALSE;
    if (!formVisible && floatingWindow_->Visible()) {
        floatingWindow_->Hide();
        hiddenWithForm_ = true;
    } else if (formVisible && hiddenWithForm_ && !floatingWindow_->Visible()) {
        floatingWindow_->Show();
        hiddenWithForm_ = false;
    }
}

// ---- the drag -------------------------------------------------------------------------------

void TAdvCustomToolBar::StartDrag(int x, int y)
{
    CollectDockTargets();
    dragOrigin_ = POINT{x, y};
    HWND window = Handle();
    SetCapture(window);
    dragging_ = true;
    try {
        MSG msg;
        while (GetCapture() == window) {
            const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == -1)
                break;
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (msg.message == WM_MOUSEMOVE) {
                POINT p;
                GetCursorPos(&p);
                p = ScreenToClient(p);
                DragMove(p.x, p.y);
            } else if (msg.message == WM_LBUTTONUP) {
                break;
            } else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    } catch (...) {
        EndDrag();
        throw;
    }
    EndDrag();
}

void TAdvCustomToolBar::EndDrag()
{
    if (Screen->Cursor() == crSizeAll)
        Screen->SetCursor(crDefault);
    dragging_ = false;
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    dockTargets_.clear();
}

namespace {
RECT TargetRect(TAdvDockPanel* panel, int margin)
{
    RECT r;
    GetWindowRect(panel->Handle(), &r);
    switch (panel->Align()) {
        case daLeft:
            r.right += margin;
            break;
        case daTop:
            r.bottom += margin;
            break;
        case daRight:
            r.left -= margin;
            break;
        case daBottom:
            r.top -= margin;
            break;
    }
    return r;
}
} // namespace

bool TAdvCustomToolBar::CanDockTo(TAdvDockPanel* panel) const
{
    if (!panel || !ContainsAlign(allowedDockAligns_, panel->Align()))
        return false;
    return panel->Accepts(const_cast<TAdvCustomToolBar*>(this));
}

void TAdvCustomToolBar::CollectDockTargets()
{
    dockTargets_.clear();
    std::function<void(TControl*, int)> visit = [&](TControl* control, int scope) {
        if (!control || control == this || ContainsControl(control) || !control->Showing())
            return;
        if (auto* panel = dynamic_cast<TAdvDockPanel*>(control)) {
            if (CanDockTo(panel))
                dockTargets_.push_back(DockTarget{panel, TargetRect(panel, kDockTargetMargin)});
            return;
        }
        auto* w = dynamic_cast<TWinControl*>(control);
        if (!w)
            return;
        for (int i = 0; i < w->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(w->Controls(i));
            if (child && (scope == 0 || dynamic_cast<TAdvDockPanel*>(child)))
                visit(child, scope);
        }
    };
    if (dockScope_ == 2 && lastDockPanel_) {
        visit(lastDockPanel_, 2);
        return;
    }
    // Without a last dock panel the toolbar's own form is the starting point.
    TWinControl* start = lastDockPanel_ ? lastDockPanel_->Parent() : nullptr;
    if (!start)
        start = state_ == tsFloating ? homeForm_ : GetParentForm();
    if (!start)
        return;
    if (dockScope_ == 1) {
        visit(start, 1);
        return;
    }
    TWinControl* form = start;
    while (form && !dynamic_cast<TCustomForm*>(form))
        form = form->Parent();
    visit(form ? form : start, 0);
}

void TAdvCustomToolBar::RefreshDockTargets()
{
    for (DockTarget& t : dockTargets_)
        t.rect = TargetRect(t.panel, kDockTargetMargin);
}

void TAdvCustomToolBar::DragMove(int x, int y)
{
    if (!dragging_)
        return;
    bool tearOff = false;
    if (state_ == tsDocked && dockPanel_) {
        TAdvDockPanel* panel = dockPanel_;
        const bool horizontal = IsHorizontal(position_);
        const int ox = dragOrigin_.x, oy = dragOrigin_.y;
        if (horizontal) {
            const int oldLeft = Left();
            const int wanted = x - ox + Left();
            SetLeft(wanted);
            const int row = rowIndex_;
            if (y > Height())
                SetTop(y - Height() + Top());
            else if (y < 0)
                SetTop(Top() + y);
            const bool sameRow = rowIndex_ == row;
            if (y > Height() && sameRow && Top() + y > panel->Height() + kTearOffDistance)
                tearOff = true;
            else if (y < 0 && sameRow && y + Top() < -kTearOffDistance)
                tearOff = true;
            if (!tearOff && Left() != wanted) {
                if (wanted > Width() && wanted > panel->Width() + kTearOffDistance)
                    tearOff = true;
                else if (x < 0 && oldLeft + x < -kTearOffDistance)
                    tearOff = true;
            }
            InvalidateRect(Handle(), nullptr, FALSE);
        } else {
            const int oldTop = Top();
            const int wanted = y - oy + Top();
            SetTop(wanted);
            const int row = rowIndex_;
            if (x > Width())
                SetLeft(x - Width() + Left());
            else if (x < 0)
                SetLeft(Left() + x);
            const bool sameRow = rowIndex_ == row;
            if (x > Width() && sameRow && Left() + x > panel->Width() + kTearOffDistance)
                tearOff = true;
            else if (x < 0 && sameRow && Left() + x < -kTearOffDistance)
                tearOff = true;
            if (!tearOff && Top() != wanted) {
                if (wanted > Height() && wanted > panel->Height() + kTearOffDistance)
                    tearOff = true;
                else if (wanted < -kTearOffDistance)
                    tearOff = true;
            }
            (void)oldTop;
            InvalidateRect(Handle(), nullptr, FALSE);
        }
    } else if (state_ == tsFloating && floatingWindow_) {
        const POINT p = floatingWindow_->ClientToScreen(
            POINT{x + Left() - dragOrigin_.x, y + Top() - dragOrigin_.y});
        floatingWindow_->SetBounds(p.x, p.y, floatingWindow_->Width(), floatingWindow_->Height());
    }
    if (!allowFloating_)
        tearOff = false;
    if (!tearOff && state_ != tsFloating)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    for (const DockTarget& target : dockTargets_) {
        if (target.panel == Parent() || !PtInRect(&target.rect, cursor))
            continue;
        if (DockInto(target.panel, true)) {
            dragOrigin_.x = 1;
            FreeFloatingWindow();
            return;
        }
    }
    if (state_ != tsFloating) {
        MakeFloating(cursor.x, cursor.y, true);
        RefreshDockTargets();
    }
}

bool TAdvCustomToolBar::DockInto(TAdvDockPanel* panel, bool keepHandle)
{
    if (!CanDockTo(panel))
        return false;
    ChangeParent(panel, keepHandle);
    return Parent() == panel && state_ == tsDocked;
}

void TAdvCustomToolBar::FreeFloatingWindow()
{
    if (!floatingWindow_)
        return;
    TFloatingWindow* window = floatingWindow_;
    if (Parent() == window)
        return; // still holding the toolbar: it stays
    floatingWindow_ = nullptr;
    window->SetToolBar(nullptr);
    window->Free();
}

void TAdvCustomToolBar::MakeFloating(int x, int y, bool usePoint)
{
    if (floatingWindow_ || state_ == tsFloating)
        return;
    auto* window = new TFloatingWindow(floatOwner_);
    window->SetBorderIcons(TBorderIcons{});
    window->SetBorderStyle(bsNone);
    window->SetCtl3D(false);
    window->SetFormStyle(fsStayOnTop);
    window->SetPosition(poDesigned);
    window->SetBorderWidth(currentStyler_->FloatingWindowBorderWidth());
    window->SetBorderColor(currentStyler_->FloatingWindowBorderColor());
    TVistaGradientBackground* color = currentStyler_->Color();
    window->SetColor(color->ColorTo() == clNone ? color->Color() : color->ColorTo());
    window->FreeNotification(this);
    POINT at{x, y};
    if (!usePoint)
        GetCursorPos(&at);
    rowThickness_ = RowThicknessFor(true);
    floatingWindow_ = window;
    ChangeParent(window, dragging_);
    window->SetToolBar(this);
    window->FitToToolBar();
    window->SetBounds(at.x, at.y, window->Width(), window->Height());
    homeForm_ = lastDockPanel_ ? lastDockPanel_->GetParentForm() : nullptr;
    if (homeForm_)
        homeForm_->FreeNotification(this);
    if (!homeForm_ || homeForm_->Visible()) {
        ShowWindow(window->Handle(), SW_SHOWNOACTIVATE);
        window->SetVisible(true);
    } else {
        window->Hide();
        hiddenWithForm_ = true;
    }
    floatTimer_ = SetTimer(Handle(), kFloatTimerId, 40, nullptr);
}

void TAdvCustomToolBar::CloseFloating()
{
    if (state_ != tsFloating)
        return;
    if (dockOnClose_ && lastDockPanel_) {
        if (DockInto(lastDockPanel_, false))
            FreeFloatingWindow();
        return;
    }
    if (floatingWindow_)
        floatingWindow_->Hide();
    SetVisible(false);
    if (OnClose)
        OnClose(this);
}

} // namespace toolbar
