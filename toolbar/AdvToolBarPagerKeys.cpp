// The pager's keyboard side: the thread's message hook (Ctrl+F1), Alt and F10 bringing up the
// key tips (Alt also when held for the key-tip delay), typed key tips over tabs, the
// quick-access toolbar and shape buttons, tab navigation with the arrows; and the page's part:
// its tab's key tip, its toolbars' key tips and the copy the minimized ribbon shows.
#include "toolbar/AdvToolBarPager.h"

#include <algorithm>

#include "core/TypeInfo.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/KeyTipRules.h"
#include "toolbar/KeyTips.h"
#include "windows/Forms.h"

using namespace classlib;
using namespace controls;

namespace toolbar {

namespace {

// One hook per program, owned by the first pager that is loaded.
HHOOK keyTipHook = nullptr;
TAdvToolBarPager* hookPager = nullptr;
int lastKey = -1;
constexpr int kKeyTipDelay = 700;
constexpr bool kCaptureDuringKeyTips = true;
constexpr int kFocusSearchDepth = 50;

LRESULT CALLBACK KeyTipGetMessageProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        // A held key repeats WM_KEYDOWN; it is handled once until released.
        if (msg->message == WM_KEYDOWN) {
            if (hookPager && static_cast<int>(msg->wParam) != lastKey) {
                lastKey = static_cast<int>(msg->wParam);
                hookPager->HandleHookKey(lastKey);
            }
        } else if (msg->message == WM_KEYUP) {
            lastKey = -1;
        }
    }
    return CallNextHookEx(keyTipHook, code, wParam, lParam);
}

bool IsKeyDown(int vk)
{
    return GetKeyState(vk) < 0;
}

void SendHintShow(TControl* c, LPARAM show)
{
    c->Perform(CM_HINTSHOW, 1, show);
}

std::string ShapeButtonHint(TControl* c)
{
    const TPropInfo* prop = GetPropInfo(c, "ShortCutHint");
    return prop ? GetStrProp(c, *prop) : std::string();
}

bool IsShapeButton(TControl* c)
{
    return UpperKeyTipText(c->ClassName()) == "TADVSHAPEBUTTON";
}

} // namespace

// ---- the hook ------------------------------------------------------------------------------

void TAdvToolBarPager::InstallKeyTipHook()
{
    if (keyTipHook)
        return;
    hookPager = this;
    keyTipHook =
        SetWindowsHookExA(WH_GETMESSAGE, KeyTipGetMessageProc, nullptr, GetCurrentThreadId());
    if (!keyTipHook)
        hookPager = nullptr;
}

void TAdvToolBarPager::RemoveKeyTipHook()
{
    if (hookPager != this)
        return;
    if (keyTipHook)
        UnhookWindowsHookEx(keyTipHook);
    keyTipHook = nullptr;
    hookPager = nullptr;
    lastKey = -1;
}

void TAdvToolBarPager::HandleHookKey(int key)
{
    if (key == VK_F1 && IsKeyDown(VK_CONTROL) && !IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_MENU))
        SetExpanded(!expanded_);
}

// ---- Alt and F10 ---------------------------------------------------------------------------

void TAdvToolBarPager::CMDialogKey(TMessage& m)
{
    const int key = static_cast<int>(m.WParam);
    if (TabStop() && ActivePage() && (key == VK_MENU || key == VK_F10)) {
        if (!keyTipsShown_ && CanFocus()) {
            m.Result = 1;
            altInShift_ = true;
            altPending_ = true;
            altTimer_->SetEnabled(true);
        } else if (keyTipsShown_ && !altInShift_) {
            HideKeyTips(false);
            m.Result = 1;
            return;
        }
    } else {
        altPending_ = false;
    }
    const LRESULT result = m.Result;
    Inherited(TAdvToolBarPager::StaticClass(), m);
    if (result)
        m.Result = result;
}

void TAdvToolBarPager::KeyUp(WORD& key, TShiftState shift)
{
    TCustomControl::KeyUp(key, shift);
    altInShift_ = shift.Contains(ssAlt);
}

void TAdvToolBarPager::AltTimerTick(TObject*)
{
    if (!altPending_) {
        altTimer_->SetEnabled(false);
        altHeldTime_ = 0;
        return;
    }
    const bool alt = IsKeyDown(VK_MENU), f10 = IsKeyDown(VK_F10);
    if (!alt && !f10) {
        altHeldTime_ = 0;
        altTimer_->SetEnabled(false);
        altPending_ = false;
        altInShift_ = false;
        ShowKeyTipsFromAlt();
        return;
    }
    altHeldTime_ += static_cast<int>(altTimer_->Interval());
    if (altHeldTime_ >= kKeyTipDelay && alt) {
        altHeldTime_ = 0;
        altTimer_->SetEnabled(false);
        altPending_ = false;
        ShowKeyTipsFromAlt();
    }
}

void TAdvToolBarPager::ShowKeyTipsFromAlt()
{
    TCustomForm* form = ParentForm();
    if (form && form->HandleAllocated() && GetActiveWindow() == form->Handle()) {
        if (!Focused() && CanFocus())
            SetFocus();
        ShowKeyTips();
    }
    if (TAdvPage* page = ActivePage(); page && page->ToolBarKeyTipsShown())
        page->HideToolBarKeyTips();
}

// ---- showing and hiding --------------------------------------------------------------------

void TAdvToolBarPager::ShowKeyTips()
{
    if (!keyTipsShown_ && kCaptureDuringKeyTips && HandleAllocated())
        SetCapture(Handle());
    for (TAdvPage* page : pages_)
        page->ShowTabKeyTip();
    if (TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar())
        q->ShowKeyTips();
    keyTipsShown_ = true;
    typedKeys_.clear();
    for (int i = 0; i < ControlCount(); ++i)
        if (IsShapeButton(Controls(i)))
            SendHintShow(Controls(i), 1);
}

void TAdvToolBarPager::HideKeyTips(bool alsoPages)
{
    if (kCaptureDuringKeyTips && HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    for (TAdvPage* page : pages_) {
        page->HideTabKeyTip();
        if (alsoPages)
            page->HideToolBarKeyTips();
    }
    if (TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar())
        q->HideKeyTips();
    if (keyTipsShown_)
        for (int i = 0; i < ControlCount(); ++i)
            if (IsShapeButton(Controls(i)))
                SendHintShow(Controls(i), 0);
    keyTipsShown_ = false;
}

TShortCutHintWindow* TAdvToolBarPager::CreateKeyTipWindow()
{
    auto* w = new TShortCutHintWindow(this);
    w->SetParentWindow(HandleAllocated() ? Handle() : nullptr);
    w->SetColor(clWhite);
    w->SetColorTo(CurrentStyler()->ButtonAppearance()->Color());
    keyTipWindows_.push_back(w);
    return w;
}

void TAdvToolBarPager::FreeKeyTipWindow(TShortCutHintWindow* window)
{
    for (TShortCutHintWindow*& w : keyTipWindows_) {
        if (w == window && w) {
            w = nullptr;
            delete window;
            return;
        }
    }
}

// ---- keys ----------------------------------------------------------------------------------

void TAdvToolBarPager::WMGetDlgCode(TMessage& m)
{
    m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TAdvToolBarPager::WMKeyDown(TMessage& m)
{
    KeyTipKey(static_cast<int>(m.WParam));
    Inherited(TAdvToolBarPager::StaticClass(), m);
}

void TAdvToolBarPager::KeyTipKey(int key)
{
    switch (key) {
        case VK_ESCAPE:
            HideKeyTips(false);
            if (Parent())
                if (TWinControl* previous = Parent()->FindNextControl(this, false, true, false);
                    previous && previous->CanFocus())
                    previous->SetFocus();
            return;
        case VK_LEFT:
        case VK_RIGHT:
            HideKeyTips(false);
            CycleTab(key == VK_RIGHT);
            return;
        case VK_DOWN: {
            TAdvPage* page = ActivePage();
            if (!page || !Focused() || page->ToolBarCount() == 0)
                return;
            auto* first = dynamic_cast<TWinControl*>(page->ToolBars(0));
            if (!first || !first->CanFocus())
                return;
            if (TWinControl* bar = page->FirstToolBar(true))
                bar->SetFocus();
            HideKeyTips(false);
            return;
        }
        default:
            break;
    }
    if (!keyTipsShown_)
        return;
    typedKeys_ += static_cast<char>(key & 0xFF);
    const std::string t = UpperKeyTipText(typedKeys_);
    bool handled = false;
    int remaining = 0;
    for (int i = 0; i < PageCount(); ++i) {
        TAdvPage* page = pages_[i];
        const KeyTipMatch match = MatchKeyTipText(page->ShortCutHint(), t);
        if (match == KeyTipMatch::Exact) {
            HideKeyTips(false);
            if (page->TabEnabled() && page->TabVisible())
                SelectPage(i);
            if (TAdvPage* active = ActivePage()) {
                if (expanded_) {
                    if (TWinControl* bar = active->FirstToolBar(true))
                        if (bar->CanFocus())
                            bar->SetFocus();
                    active->ShowToolBarKeyTips();
                } else {
                    if (!IsMinimizedPopupVisible())
                        ShowMinimizedPopup();
                    if (TAdvPage* copy = active->MinimizedCopy()) {
                        if (TWinControl* bar = copy->FirstToolBar(true))
                            if (bar->CanFocus())
                                bar->SetFocus();
                        copy->ShowToolBarKeyTips();
                    }
                }
            }
            return;
        }
        if (match == KeyTipMatch::Differs && !page->ShortCutHint().empty())
            page->HideTabKeyTip();
        else if (match == KeyTipMatch::Prefix)
            handled = true;
        if (page->keyTipWindow_ && page->keyTipWindow_->HandleAllocated() &&
            IsWindowVisible(page->keyTipWindow_->Handle()))
            ++remaining;
    }
    if (!handled)
        if (TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar())
            if (q->KeyTipPressed(t, remaining)) {
                handled = true;
                HideKeyTips(false);
            }
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!IsShapeButton(c))
            continue;
        const std::string hint = ShapeButtonHint(c);
        const KeyTipMatch match = MatchKeyTipText(hint, t);
        if (match == KeyTipMatch::Exact) {
            if (c->Enabled()) {
                c->Invalidate();
                c->Perform(WM_LBUTTONDOWN, MK_LBUTTON, 0);
                c->Perform(WM_LBUTTONUP, 0, 0);
            }
            HideKeyTips(false);
            handled = true;
            break;
        }
        if (match == KeyTipMatch::Differs && !hint.empty())
            SendHintShow(c, 0);
        else if (match == KeyTipMatch::Prefix)
            handled = true;
    }
    if (keyTipsShown_ && remaining == 0)
        HideKeyTips(false);
    if (!handled)
        MessageBeep(MB_OK);
}

void TAdvToolBarPager::CMDialogChar(TMessage& m)
{
    altPending_ = false;
    if (IsKeyDown(VK_MENU) && CanFocus()) {
        for (TAdvPage* page : pages_) {
            if (page->TabVisible() && IsAccel(static_cast<WORD>(m.WParam), page->Caption())) {
                SelectPage(IndexOfPage(page));
                m.Result = 1;
                return;
            }
        }
    }
    Inherited(TAdvToolBarPager::StaticClass(), m);
}

void TAdvToolBarPager::CMFocusChanged(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    bool focused = Focused();
    if (!focused && reinterpret_cast<TControl*>(m.LParam) != this && HandleAllocated()) {
        HWND w = GetFocus();
        for (int i = 0; w && i < kFocusSearchDepth; ++i, w = GetParent(w))
            if (w == Handle()) {
                focused = true;
                break;
            }
    }
    if (!focused) {
        if (keyTipsShown_)
            HideKeyTips(false);
        if (TAdvPage* page = ActivePage(); page && page->ToolBarKeyTipsShown())
            page->HideToolBarKeyTips();
    }
    InvalidateTabs(-1);
}

// ---- the page's key tips -------------------------------------------------------------------

void TAdvPage::ShowTabKeyTip()
{
    if (!pager_ || !tabEnabled_ || !tabVisible_)
        return;
    if (!keyTipWindow_)
        keyTipWindow_ = pager_->CreateKeyTipWindow();
    TShortCutHintWindow* w = keyTipWindow_;
    w->SetVisible(false);
    w->SetCaption(shortCutHint_);
    w->SetColor(clWhite);
    w->SetColorTo(pager_->CurrentStyler()->GlowButtonAppearance()->Color());
    const RECT wanted = w->CalcHintRect(200, shortCutHint_);
    const int ww = std::max<int>(wanted.right - wanted.left, w->Canvas()->TextExtent("O").cx + 8);
    const int hh = wanted.bottom - wanted.top;
    const RECT r = pager_->PageTabRect(this);
    const POINT p = pager_->ClientToScreen(POINT{r.left, r.top});
    const int rw = r.right - r.left, rh = r.bottom - r.top;
    POINT at{w->Left(), w->Top()};
    switch (shortCutHintPos_) {
        case shpLeft:
            at = {p.x - ww / 2, p.y + (rh - hh) / 2};
            break;
        case shpTop:
            at = {p.x + (rw - ww) / 2, p.y - hh / 2};
            break;
        case shpRight:
            at = {p.x + rw - ww / 2, p.y + (rh - hh) / 2};
            break;
        case shpBottom:
            at = {p.x + (rw - ww) / 2, p.y + rh - hh / 2};
            break;
        default:
            break;
    }
    w->ActivateHint(RECT{at.x, at.y, at.x + ww, at.y + hh}, shortCutHint_);
}

void TAdvPage::HideTabKeyTip()
{
    if (!keyTipWindow_ || !pager_)
        return;
    TShortCutHintWindow* w = keyTipWindow_;
    keyTipWindow_ = nullptr;
    w->SetVisible(false);
    pager_->FreeKeyTipWindow(w);
}

void TAdvPage::ShowToolBarKeyTips()
{
    if (!toolBarKeyTipsShown_ && kCaptureDuringKeyTips && HandleAllocated())
        SetCapture(Handle());
    for (TControl* c : toolBars_) {
        auto* bar = dynamic_cast<TWinControl*>(c);
        if (!bar || !bar->Visible() || !bar->Enabled())
            continue;
        InstallToolBarKeyHandlers(bar);
        toolbar::ShowToolBarKeyTips(bar);
    }
    toolBarKeyTipsShown_ = true;
    typedToolBarKeys_.clear();
}

void TAdvPage::HideToolBarKeyTips()
{
    if (kCaptureDuringKeyTips && HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture();
    for (TControl* c : toolBars_)
        if (auto* bar = dynamic_cast<TWinControl*>(c); bar && bar->Visible())
            toolbar::HideToolBarKeyTips(bar);
    toolBarKeyTipsShown_ = false;
    typedToolBarKeys_.clear();
}

bool TAdvPage::HandleToolBarKeyTip(const std::string& text)
{
    int remaining = 0;
    for (TControl* c : toolBars_) {
        auto* bar = dynamic_cast<TWinControl*>(c);
        if (!bar || !bar->Visible())
            continue;
        if (MatchToolBarKeyTip(bar, text, remaining))
            return true;
    }
    if (remaining == 0) {
        toolBarKeyTipsShown_ = false;
        MessageBeep(MB_OK);
    }
    return false;
}

bool TAdvPage::TypeToolBarKey(char c)
{
    typedToolBarKeys_ += c;
    return HandleToolBarKeyTip(typedToolBarKeys_);
}

void TAdvPage::ShowPagerKeyTips()
{
    if (pager_)
        pager_->ShowKeyTips();
}

bool TAdvPage::FocusPager()
{
    if (!pager_ || !pager_->CanFocus())
        return false;
    pager_->SetFocus();
    return true;
}

bool TAdvPage::MinimizedPopupVisible() const
{
    return pager_ && pager_->IsMinimizedPopupVisible();
}

void TAdvPage::HideMinimizedPopup()
{
    if (pager_)
        pager_->HideMinimizedPopup();
}

TWinControl* TAdvPage::FirstToolBar(bool visibleOnly) const
{
    for (TControl* c : toolBars_)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && (!visibleOnly || w->Visible()))
            return w;
    return nullptr;
}

// ---- the minimized copy --------------------------------------------------------------------

// The toolbars move to the copy and back by re-parenting; the lists are put back by hand
// afterwards, so the insert and remove notices of the move change neither page's list.
TAdvPage* TAdvPage::CreateMinimizedCopy(TMinimizedRibbonWindow* window)
{
    if (!window || !pager_)
        return nullptr;
    FreeMinimizedCopy();
    savedAutoPosition_ = autoPosition_;
    autoPosition_ = false;
    auto* copy = new TAdvPage(window);
    copy->SetParent(window);
    minimizedCopy_ = copy;
    copy->minimizedCopy_ = this;
    copy->pager_ = pager_;
    copy->autoPosition_ = false;
    copy->caption_ = caption_;
    copy->wideCaption_ = wideCaption_;
    copy->SetShowHint(ShowHint());
    copy->shortCutHintPos_ = shortCutHintPos_;
    copy->OnMouseDown = OnMouseDown;
    copy->OnMouseMove = OnMouseMove;
    copy->OnMouseUp = OnMouseUp;
    int h = pager_->ExpandedHeight() - pager_->TabSettings()->Height() - 5;
    if (pager_->Caption()->Visible())
        h -= pager_->Caption()->Height();
    copy->SetBounds(0, 0, Width(), h);
    const std::vector<TControl*> bars = toolBars_;
    for (TControl* c : bars)
        c->SetParent(copy);
    toolBars_ = bars;
    copy->toolBars_ = bars;
    copy->autoPosition_ = true;
    copy->PositionToolBars();
    return copy;
}

void TAdvPage::FreeMinimizedCopy()
{
    TAdvPage* copy = minimizedCopy_;
    if (!copy)
        return;
    const std::vector<TControl*> bars = toolBars_;
    copy->toolBars_.clear();
    for (TControl* c : bars)
        c->SetParent(this);
    toolBars_ = bars;
    minimizedCopy_ = nullptr;
    copy->minimizedCopy_ = nullptr;
    copy->pager_ = nullptr;
    copy->Free();
    autoPosition_ = savedAutoPosition_;
    SetBounds(Left(), Top(), Width() - 1, Height());
    SetBounds(Left(), Top(), Width() + 1, Height());
}

} // namespace toolbar
