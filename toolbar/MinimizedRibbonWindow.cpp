// The minimized-ribbon window: pop-up style, its frame, focus on activation and the deferred
// release after it lost activation.
#include "MinimizedRibbonWindow.h"

#include "draw/XPColorScheme.h"

namespace toolbar {

using namespace classlib;

namespace {

constexpr UINT kDropShadow = 0x20000; // CS_DROPSHADOW, Windows XP and later
// Posted by the hide timer: the pager frees the window once the tick is over.
constexpr UINT CM_FREEMINIMIZEDPAGE = WM_APP + 0x4D52;

} // namespace

CLASSLIB_PUBLISH(TMinimizedRibbonWindow) {}

CLASSLIB_MESSAGE_MAP(TMinimizedRibbonWindow)
{
    m.On(WM_ACTIVATE, &TMinimizedRibbonWindow::WMActivate);
    m.On(CM_FREEMINIMIZEDPAGE, &TMinimizedRibbonWindow::CMFreePage);
}

TMinimizedRibbonWindow::TMinimizedRibbonWindow(TComponent* owner)
    : TCustomForm(owner), ownerComponent_(owner)
{
    SetPopupWindow(true);
    hideTimer_ = new TTimer(this);
    hideTimer_->SetEnabled(false);
    hideTimer_->SetInterval(1);
    hideTimer_->SetOnTimer(TNotifyEvent(this, &TMinimizedRibbonWindow::HideTimerTick));
    SetBounds(Left(), Top(), 0, 0);
}

TMinimizedRibbonWindow::~TMinimizedRibbonWindow()
{
    delete hideTimer_;
    hideTimer_ = nullptr;
}

void TMinimizedRibbonWindow::CreateParams(TCreateParams& params)
{
    TCustomForm::CreateParams(params);
    params.Style = (params.Style | WS_POPUP) & ~DWORD(WS_CHILD);
    if (draw::IsWinXPOrLater())
        params.ClassStyle |= kDropShadow;
}

bool TMinimizedRibbonWindow::CanAutoHide()
{
    return CloseQuery() && autoHide_;
}

void TMinimizedRibbonWindow::FitToPage()
{
    if (!pager_ || !page_)
        return;
    SetBounds(Left(), Top(), page_->Width() + 3, page_->Height() + 3);
    page_->SetBounds(2, 0, page_->Width(), page_->Height());
}

void TMinimizedRibbonWindow::Paint()
{
    TCustomForm::Paint();
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->Pen()->SetColor(Color());
    RECT r = ClientRect();
    c->Rectangle(r.left - 4, r.top - 4, r.right + 4, r.bottom + 4);
}

void TMinimizedRibbonWindow::WMActivate(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (!Visible())
        return;
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        if (auto* page = dynamic_cast<IMinimizedRibbonPage*>(page_))
            if (TWinControl* toolBar = page->FirstToolBar(true))
                toolBar->SetFocus();
        return;
    }
    if (!CanAutoHide())
        return;
    HWND focused = GetFocus();
    if (pager_ && pager_->HandleAllocated() && focused == pager_->Handle())
        return;
    hideTimer_->SetEnabled(true);
}

// The pager frees this window (and its timer) when it takes the page copy back, so the tick
// only hides the window and leaves that release to a message handled after the tick.
void TMinimizedRibbonWindow::HideTimerTick(TObject*)
{
    Hide();
    hideTimer_->SetEnabled(false);
    if (pager_ && HandleAllocated())
        PostMessageA(Handle(), CM_FREEMINIMIZEDPAGE, 0, 0);
}

void TMinimizedRibbonWindow::CMFreePage(TMessage&)
{
    if (auto* pager = dynamic_cast<IMinimizedRibbonPager*>(pager_))
        pager->FreeMinimizedPage();
}

} // namespace toolbar
