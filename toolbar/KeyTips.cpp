#include "toolbar/KeyTips.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarContainer.h"
#include "toolbar/MinimizedRibbonWindow.h"
#include "windows/Forms.h"

using namespace classlib;
using controls::TAdvCustomGlowButton;

namespace toolbar {

CLASSLIB_PUBLISH(TToolBarKeyHandler) {}

namespace {

// The toolbar's controls in its own order (a toolbar), else in child order.
std::vector<TControl*> OrderedControls(TWinControl* parent)
{
    std::vector<TControl*> list;
    if (auto* t = dynamic_cast<TAdvCustomToolBar*>(parent)) {
        for (int i = 0; i < t->ControlOrderCount(); ++i)
            list.push_back(t->ControlOrder(i));
        return list;
    }
    for (int i = 0; i < parent->ControlCount(); ++i)
        list.push_back(parent->Controls(i));
    return list;
}

bool Showing(TControl* c)
{
    auto* w = dynamic_cast<TWinControl*>(c);
    return w ? w->Showing() : c->Visible();
}

IKeyTipPage* PageOf(TWinControl* toolBar)
{
    return toolBar ? dynamic_cast<IKeyTipPage*>(toolBar->Parent()) : nullptr;
}

void ShowTipsIn(TWinControl* parent, bool top)
{
    for (TControl* c : OrderedControls(parent)) {
        if (!c->Enabled() || !c->Visible() || (!top && !Showing(c)))
            continue;
        if (auto* b = dynamic_cast<TAdvCustomGlowButton*>(c))
            b->ShowShortCutHint();
        else if (auto* w = dynamic_cast<TWinControl*>(c))
            ShowTipsIn(w, false);
    }
}

void HideTipsIn(TWinControl* parent, bool top)
{
    for (TControl* c : OrderedControls(parent)) {
        if (auto* b = dynamic_cast<TAdvCustomGlowButton*>(c))
            b->HideShortCutHint();
        else if (auto* w = dynamic_cast<TWinControl*>(c); w && (top || w->Showing()))
            HideTipsIn(w, false);
    }
}

void PressByKey(TAdvCustomGlowButton* b)
{
    if (b->CanFocus())
        b->SetFocus();
    b->Invalidate();
    b->PerformKeyClick();
}

// Searches the children of a control that is not a glow button; an exact match is only
// focused and clicked.
bool MatchInside(TWinControl* parent, const std::string& text, int& count)
{
    for (TControl* c : OrderedControls(parent)) {
        if (!c->Enabled() || !c->Visible() || !Showing(c))
            continue;
        if (auto* b = dynamic_cast<TAdvCustomGlowButton*>(c)) {
            switch (MatchKeyTipText(b->ShortCutHint(), text)) {
                case KeyTipMatch::Exact:
                    PressByKey(b);
                    return true;
                case KeyTipMatch::Prefix:
                    ++count;
                    break;
                case KeyTipMatch::Differs:
                    if (!b->ShortCutHint().empty())
                        b->HideShortCutHint();
                    break;
            }
        } else if (auto* w = dynamic_cast<TWinControl*>(c)) {
            if (MatchInside(w, text, count))
                return true;
        }
    }
    return false;
}

std::vector<TControl*> TabOrder(TWinControl* toolBar)
{
    std::vector<TWinControl*> order;
    toolBar->GetTabOrderList(order);
    return std::vector<TControl*>(order.begin(), order.end());
}

TWinControl* EndFocusControl(TWinControl* toolBar, bool focusableOnly, bool last)
{
    std::vector<TWinControl*> order;
    toolBar->GetTabOrderList(order);
    const int n = static_cast<int>(order.size());
    for (int k = 0; k < n; ++k) {
        TWinControl* w = order[last ? n - 1 - k : k];
        if (dynamic_cast<THintWindow*>(w) || dynamic_cast<TAdvCustomToolBar*>(w))
            continue;
        if (focusableOnly && !w->CanFocus())
            continue;
        return w;
    }
    return nullptr;
}

void FocusIfAble(TWinControl* w)
{
    if (w && w->CanFocus())
        w->SetFocus();
}

} // namespace

void FilterKeyboardControls(std::vector<TControl*>* list)
{
    if (!list)
        return;
    std::vector<TControl*> kept;
    for (TControl* c : *list) {
        if (dynamic_cast<THintWindow*>(c) || dynamic_cast<TAdvToolBarContainer*>(c))
            continue;
        if (auto* w = dynamic_cast<TWinControl*>(c); w && !w->CanFocus())
            continue;
        kept.push_back(c);
    }
    *list = kept;
}

TWinControl* FirstFocusControl(TWinControl* toolBar, bool focusableOnly)
{
    return EndFocusControl(toolBar, focusableOnly, false);
}

TWinControl* LastFocusControl(TWinControl* toolBar, bool focusableOnly)
{
    return EndFocusControl(toolBar, focusableOnly, true);
}

void ShowToolBarKeyTips(TWinControl* toolBar)
{
    ShowTipsIn(toolBar, true);
}

void HideToolBarKeyTips(TWinControl* toolBar)
{
    HideTipsIn(toolBar, true);
}

bool MatchToolBarKeyTip(TWinControl* toolBar, const std::string& text, int& count)
{
    for (TControl* c : OrderedControls(toolBar)) {
        if (auto* b = dynamic_cast<TAdvCustomGlowButton*>(c)) {
            const KeyTipMatch match = MatchKeyTipText(b->ShortCutHint(), text);
            if (match == KeyTipMatch::Differs) {
                if (!b->ShortCutHint().empty())
                    b->HideShortCutHint();
                continue;
            }
            if (match == KeyTipMatch::Prefix) {
                ++count;
                continue;
            }
            if (!b->Visible() || !b->Enabled())
                continue;
            // A command chosen in the minimized ribbon's pop-up closes the pop-up, except
            // while the click itself keeps it open.
            TMinimizedRibbonWindow* window = nullptr;
            if (TWinControl* page = toolBar->Parent())
                window = dynamic_cast<TMinimizedRibbonWindow*>(page->Parent());
            const bool keepOpen = window && window->AutoHide();
            if (window)
                window->SetAutoHide(false);
            IKeyTipPage* page = PageOf(toolBar);
            const bool popup = page && page->MinimizedPopupVisible();
            PressByKey(b);
            if (window)
                window->SetAutoHide(keepOpen);
            if (popup)
                page->HideMinimizedPopup();
            return true;
        }
        if (auto* w = dynamic_cast<TWinControl*>(c);
            w && c->Enabled() && c->Visible() && Showing(c))
            if (MatchInside(w, text, count))
                return true;
    }
    return false;
}

namespace {

void InstallOn(TWinControl* toolBar, TWinControl* parent)
{
    TToolBarKeyHandler* handler = ToolBarKeyHandler(toolBar);
    const bool onPage = PageOf(toolBar) && dynamic_cast<TAdvCustomToolBar*>(toolBar);
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (auto* b = dynamic_cast<TAdvCustomGlowButton*>(c)) {
            b->OnInternalKeyDown = TKeyEvent(handler, &TToolBarKeyHandler::KeyDown);
            if (onPage)
                b->OnGetShortCutHintPos =
                    controls::TGetShortCutHintPosEvent(handler, &TToolBarKeyHandler::HintPos);
        } else if (auto* container = dynamic_cast<TAdvToolBarContainer*>(c)) {
            InstallOn(toolBar, container);
        }
    }
}

} // namespace

TToolBarKeyHandler* ToolBarKeyHandler(TWinControl* toolBar)
{
    for (int i = 0; i < toolBar->ComponentCount(); ++i)
        if (auto* h = dynamic_cast<TToolBarKeyHandler*>(toolBar->Components(i)))
            return h;
    return new TToolBarKeyHandler(toolBar);
}

void TToolBarKeyHandler::KeyDown(TObject* sender, WORD& key, TShiftState shift)
{
    GlowButtonKeyDown(toolBar_, sender, key, shift);
}

void TToolBarKeyHandler::HintPos(TObject* sender, controls::TButtonSizeState,
                                 controls::TShortCutHintPos& pos)
{
    auto* t = dynamic_cast<TAdvCustomToolBar*>(toolBar_);
    auto* control = dynamic_cast<TControl*>(sender);
    if (pos != controls::shpAuto || !control || !t)
        return;
    std::vector<int> tops;
    for (int k = 0; k < t->ControlOrderCount(); ++k)
        if (t->ControlOrder(k)->Visible())
            tops.push_back(t->ControlOrder(k)->Top());
    static constexpr controls::TShortCutHintPos kPlaces[] = {
        controls::shpLeft,         controls::shpBottom,     controls::shpTopLeft,
        controls::shpAboveTopLeft, controls::shpBottomLeft, controls::shpBelowBottomLeft};
    pos = kPlaces[static_cast<int>(KeyTipPlaceFor(
        ComputeRowTops(tops), control->Top(), control->Height(), t->Height(), t->CaptionHeight()))];
}

void InstallToolBarKeyHandlers(TWinControl* toolBar)
{
    if (toolBar)
        InstallOn(toolBar, toolBar);
}

void GlowButtonKeyDown(TWinControl* toolBar, TObject* sender, WORD& key, TShiftState)
{
    auto* control = dynamic_cast<TWinControl*>(sender);
    if (!control || !toolBar)
        return;
    IKeyTipPage* page = PageOf(toolBar);
    if (page && page->ToolBarKeyTipsShown()) {
        if (!IsKeyTipKey(key)) {
            page->HideToolBarKeyTips();
            if (key == VK_ESCAPE)
                page->ShowPagerKeyTips();
        } else if (page->TypeToolBarKey(static_cast<char>(key))) {
            page->HideToolBarKeyTips();
        }
    }
    if (key == VK_ESCAPE && page && page->MinimizedPopupVisible())
        page->HideMinimizedPopup();
    if ((key == VK_ESCAPE || key == VK_UP) && page) {
        page->FocusPager();
        return;
    }
    if (key != VK_LEFT && key != VK_RIGHT)
        return;
    const bool forward = key == VK_RIGHT;
    std::vector<TControl*> list = TabOrder(toolBar);
    FilterKeyboardControls(&list);
    if (list.empty())
        return;
    const TControl* edge = forward ? list.back() : list.front();
    if (control == edge) {
        if (!page)
            return;
        std::vector<TControl*> bars = page->CollectToolBars();
        const int n = static_cast<int>(bars.size());
        int p = -1;
        for (int i = 0; i < n; ++i)
            if (bars[i] == toolBar)
                p = i;
        if (p < 0)
            return;
        auto* next = dynamic_cast<TWinControl*>(bars[forward ? (p + 1) % n : (p + n - 1) % n]);
        if (next)
            FocusIfAble(forward ? FirstFocusControl(next, true) : LastFocusControl(next, true));
        return;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] != control)
            continue;
        auto* target = dynamic_cast<TWinControl*>(forward ? list[i + 1] : list[i - 1]);
        FocusIfAble(target);
        return;
    }
}

} // namespace toolbar
