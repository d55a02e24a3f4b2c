// The compact window: pop-up style with a drop shadow, its rounded frame, focus on activation and
// the deferred hide after it lost activation.
#include "toolbar/CompactWindow.h"

#include "controls/AdvGlowButton.h"
#include "draw/XPColorScheme.h"
#include "toolbar/AdvToolBar.h"

namespace toolbar {

using namespace classlib;

namespace {

constexpr UINT kDropShadow = 0x20000; // CS_DROPSHADOW, Windows XP and later

// A glow button below `control` whose drop-down menu is being tracked: the thread is in a pop-up
// menu loop while the button holds a menu.
bool DropDownMenuOpen(TWinControl* control)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info) || !(info.flags & GUI_POPUPMENUMODE))
        return false;
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* c = control->Controls(i);
        if (auto* button = dynamic_cast<controls::TAdvCustomGlowButton*>(c))
            if (button->DropDownMenu())
                return true;
        if (auto* child = dynamic_cast<TWinControl*>(c))
            if (DropDownMenuOpen(child))
                return true;
    }
    return false;
}

} // namespace

UINT CompactWinHideMessage()
{
    static const UINT message = RegisterWindowMessageA("TBCompactWinHide");
    return message;
}

CLASSLIB_PUBLISH(TCompactWindow) {}

CLASSLIB_MESSAGE_MAP(TCompactWindow)
{
    m.On(WM_ACTIVATE, &TCompactWindow::WMActivate);
    m.On(WM_NCHITTEST, &TCompactWindow::WMNCHitTest);
}

TCompactWindow::TCompactWindow(TComponent* owner)
    : TCustomForm(owner), creator_(dynamic_cast<TAdvCustomToolBar*>(owner))
{
    hideTimer_ = new TTimer(this);
    hideTimer_->SetEnabled(false);
    hideTimer_->SetInterval(1);
    hideTimer_->SetOnTimer(TNotifyEvent(this, &TCompactWindow::HideTimerTick));
}

TCompactWindow::~TCompactWindow()
{
    delete hideTimer_;
    hideTimer_ = nullptr;
}

void TCompactWindow::CreateParams(TCreateParams& params)
{
    TCustomForm::CreateParams(params);
    params.Style = (params.Style | WS_POPUP) & ~DWORD(WS_CHILD);
    if (draw::IsWinXPOrLater())
        params.ClassStyle |= kDropShadow;
}

void TCompactWindow::FitToToolBar()
{
    if (!toolBar_)
        return;
    SetBounds(Left(), Top(), toolBar_->Width() + 2, toolBar_->Height() + 2);
    toolBar_->SetBounds(1, 1, toolBar_->Width(), toolBar_->Height());
    SetColor(toolBar_->CurrentStyler()->Color()->Color());
}

void TCompactWindow::SetRoundedRegion()
{
    if (!HandleAllocated())
        return;
    const RECT r = ClientRect();
    HRGN region = CreateRoundRectRgn(0, 0, r.right, r.bottom, 4, 4);
    if (region && !SetWindowRgn(Handle(), region, TRUE))
        DeleteObject(region);
}

void TCompactWindow::Paint()
{
    TCustomForm::Paint();
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->Pen()->SetColor(Color());
    const RECT r = ClientRect();
    c->Rectangle(r.left - 4, r.top - 4, r.right + 4, r.bottom + 4);
}

void TCompactWindow::DoHide()
{
    TCustomForm::DoHide();
    if (dropDownButton_)
        dropDownButton_->SetDown(false);
    if (toolBar_ && toolBar_->HandleAllocated())
        PostMessageA(toolBar_->Handle(), CompactWinHideMessage(), 0, 0);
}

void TCompactWindow::WMActivate(TMessage& m)
{
    Inherited(StaticClass(), m);
    TAdvCustomToolBar* source = toolBar_ ? toolBar_->CompactClone() : nullptr;
    if (!Visible()) {
        if (source && source->Visible() && source->CanFocus())
            source->SetFocus();
        return;
    }
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        if (toolBar_ && toolBar_->Visible() && toolBar_->CanFocus())
            toolBar_->SetFocus();
        // The form below keeps its active caption while its toolbar's window is open.
        if (creator_ && creator_->HandleAllocated())
            SendMessageA(GetAncestor(creator_->Handle(), GA_ROOT), WM_NCACTIVATE, TRUE, 0);
        return;
    }
    if (!CloseQuery() || !mayHide_)
        return;
    if (source && source->Visible() && toolBar_ && DropDownMenuOpen(toolBar_))
        return;
    hideTimer_->SetEnabled(true);
}

void TCompactWindow::HideTimerTick(TObject*)
{
    Hide();
    hideTimer_->SetEnabled(false);
}

void TCompactWindow::WMNCHitTest(TMessage& m)
{
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    if (HandleAllocated())
        ::ScreenToClient(Handle(), &p);
    if (p.x > Width() - 10 && p.y > Height() - 10) {
        m.Result = HTBOTTOMRIGHT;
        return;
    }
    Inherited(StaticClass(), m);
}

} // namespace toolbar
