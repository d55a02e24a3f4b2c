// The toolbar form: window style, frame, sizing bands, maximizing onto the work area and the
// pager's caption-only state below 300 pixels.
#include "AdvToolBarForm.h"

#include "draw/AdvHintInfo.h"
#include "draw/XPColorScheme.h"

namespace toolbar {

using namespace classlib;

CLASSLIB_PUBLISH(TAdvToolBarForm) {}

CLASSLIB_MESSAGE_MAP(TAdvToolBarForm)
{
    m.On(WM_SIZE, &TAdvToolBarForm::WMSize);
    m.On(WM_GETMINMAXINFO, &TAdvToolBarForm::WMGetMinMaxInfo);
    m.On(WM_NCHITTEST, &TAdvToolBarForm::WMNCHitTest);
}

namespace {

constexpr UINT kDropShadow = 0x20000; // CS_DROPSHADOW, Windows XP and later
constexpr int kCorner = 18;           // the frame's corner ellipse

bool Designing(const TComponent* c)
{
    return c->ComponentState().Contains(csDesigning);
}

} // namespace

IToolBarFormPager* TAdvToolBarForm::FindPager(bool last) const
{
    IToolBarFormPager* found = nullptr;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* pager = dynamic_cast<IToolBarFormPager*>(Controls(i))) {
            found = pager;
            if (!last)
                break;
        }
    return found;
}

TColor TAdvToolBarForm::PagerFrameColor() const
{
    IToolBarFormPager* pager = FindPager(true);
    return pager ? pager->CaptionTextColor() : clGray;
}

void TAdvToolBarForm::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    borderStyle_ = bsSingle;
    params.Style = (params.Style & ~DWORD(WS_CAPTION)) | WS_POPUP | WS_SYSMENU;
    if (!Designing(this) && draw::IsWinXPOrLater())
        params.ClassStyle |= kDropShadow;
}

void TAdvToolBarForm::AdjustClientRect(RECT& rect)
{
    TForm::AdjustClientRect(rect);
    if (draw::IsVistaOrLater())
        return;
    rect.left += 1;
    rect.top += 1;
    rect.right -= 2;
    rect.bottom -= 2;
}

void TAdvToolBarForm::Paint()
{
    TForm::Paint();
    TColor frame = PagerFrameColor();
    if (frame == clWhite)
        frame = clBlack;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Pen()->SetColor(frame);
    c->Pen()->SetWidth(1);
    c->RoundRect(0, 0, Width() - 7, Height() - 7, kCorner, kCorner);
}

void TAdvToolBarForm::WMNCHitTest(TMessage& m)
{
    DefaultHandler(m);
    if (Designing(this) || WindowState() != wsNormal || IsZoomed(Handle()) || IsIconic(Handle()))
        return;
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    p = ScreenToClient(p);
    const int x = p.x, y = p.y, w = Width(), h = Height();
    if (y < 3)
        m.Result = HTTOP;
    if (x < 3)
        m.Result = HTLEFT;
    if (x > w - 12)
        m.Result = HTRIGHT;
    if (y > h - 12)
        m.Result = HTBOTTOM;
    if (x > w - 20 && y > h - 20)
        m.Result = HTBOTTOMRIGHT;
    if (x < 20 && y < 20)
        m.Result = HTTOPLEFT;
    if (x > w - 20 && y < 20)
        m.Result = HTTOPRIGHT;
    if (x < 20 && y > h - 20)
        m.Result = HTBOTTOMLEFT;
}

void TAdvToolBarForm::WMGetMinMaxInfo(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (Designing(this))
        return;
    HMONITOR monitor = MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return;
    const int e = draw::IsVistaOrLater() ? 0 : 3;
    const RECT& work = info.rcWork;
    const RECT& whole = info.rcMonitor;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(m.LParam);
    mmi->ptMaxPosition = POINT{work.left - whole.left - e, work.top - whole.top - e};
    mmi->ptMaxSize = POINT{work.right - work.left + 2 * e, work.bottom - work.top + 2 * e};
}

void TAdvToolBarForm::WMSize(TMessage& m)
{
    if (!Designing(this) && HandleAllocated()) {
        // The window's own size: the form's bounds are brought up to date only by the
        // inherited handling below.
        RECT window{};
        GetWindowRect(Handle(), &window);
        const int width = window.right - window.left, height = window.bottom - window.top;
        IToolBarFormPager* pager = FindPager(false);
        if (pager) {
            if (width < kCaptionOnlyWidth && !pager->PagesMinimized())
                pager->SetPagesMinimized(true);
            else if (width > kCaptionOnlyWidth && pager->PagesMinimized())
                pager->SetPagesMinimized(false);
        }
        if (!draw::IsVistaOrLater()) {
            if (pager)
                pager->SetCanMove(m.WParam == SIZE_RESTORED);
            HRGN region = CreateRoundRectRgn(3, 3, width - 3, height - 3, kCorner, kCorner);
            if (!SetWindowRgn(Handle(), region, IsWindowVisible(Handle())))
                DeleteObject(region);
        }
    }
    Inherited(StaticClass(), m);
}

} // namespace toolbar
