// One page of the ribbon pager: its tab's data, the toolbars it hosts and places side by side,
// and its background with the join to its tab.
#include <algorithm>

#include "core/Exceptions.h"
#include "draw/ButtonFace.h"
#include "draw/ToolbarDrawing.h"
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvPageScrollButton.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarPager.h"
#include "toolbar/PageToolBarFitting.h"

using namespace classlib;
using namespace draw;

namespace toolbar {

CLASSLIB_PUBLISH(TAdvPage) {}

CLASSLIB_MESSAGE_MAP(TAdvPage)
{
    m.On(CM_CONTROLCHANGE, &TAdvPage::CMControlChange);
    m.On(WM_SIZE, &TAdvPage::WMSize);
}

TAdvPage::TAdvPage(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} - TControlStyle{csOpaque};
    SetDoubleBuffered(true);
    previousWidth_ = Width();
}

TAdvPage::~TAdvPage()
{
    if (pager_)
        pager_->RemovePage(this);
}

void TAdvPage::SetPager(TAdvToolBarPager* pager)
{
    if (pager == pager_)
        return;
    if (pager_)
        pager_->RemovePage(this);
    reparenting_ = true;
    try {
        TCustomControl::SetParent(pager);
    } catch (...) {
        reparenting_ = false;
        throw;
    }
    reparenting_ = false;
    if (pager)
        pager->AddPage(this);
}

void TAdvPage::SetParent(TWinControl* parent)
{
    if (dynamic_cast<TAdvDockPanel*>(parent) || dynamic_cast<TAdvCustomToolBar*>(parent))
        throw Exception("Invalid Parent");
    auto* page = dynamic_cast<TAdvPage*>(parent);
    auto* pagerParent = dynamic_cast<TAdvToolBarPager*>(parent);
    if ((page || pagerParent) && !reparenting_) {
        TAdvToolBarPager* target = pagerParent ? pagerParent : page->pager_;
        if (pager_ && target) {
            if (target != pager_)
                SetPager(target);
            if (pager_ != target)
                throw Exception("Invalid Parent");
        }
        if (page) {
            const int i = PageIndex(), j = page->PageIndex();
            if (i < 0 || j < 0)
                throw Exception("Invalid Parent " + std::to_string(i) + ":" + std::to_string(j));
            pager_->MovePage(i, j);
        }
        if (pager_) {
            pager_->Invalidate();
            Invalidate();
            parent = pager_;
        }
    }
    TCustomControl::SetParent(parent);
}

int TAdvPage::PageIndex() const
{
    return pager_ ? pager_->IndexOfPage(this) : -1;
}

void TAdvPage::SetPageIndex(int value)
{
    if (!pager_ || value < 0 || value >= pager_->PageCount())
        return;
    pager_->MovePage(PageIndex(), value);
    pager_->Invalidate();
    Invalidate();
}

bool TAdvPage::IsInTabGroup() const
{
    return pager_ && pager_->TabGroupOfPage(PageIndex()) >= 0;
}

int TAdvPage::GetTabWidth() const
{
    const int index = PageIndex();
    return index >= 0 ? pager_->TabWidthOf(index) : 0;
}

void TAdvPage::SetCaption(const std::string& value)
{
    if (value == caption_)
        return;
    caption_ = value;
    CaptionChanged();
}

void TAdvPage::SetWideCaption(const std::wstring& value)
{
    if (value == wideCaption_)
        return;
    wideCaption_ = value;
    CaptionChanged();
}

void TAdvPage::CaptionChanged()
{
    if (pager_) {
        pager_->ResetTabLayout();
        pager_->FitTabs();
        pager_->ResetTabScroll();
        pager_->Invalidate();
    }
    Invalidate();
}

void TAdvPage::SetTabVisible(bool value)
{
    if (value == tabVisible_)
        return;
    tabVisible_ = value;
    if (pager_) {
        pager_->FitTabs();
        pager_->ResetTabScroll();
        pager_->Invalidate();
        if (pager_->ActivePage())
            pager_->ActivePage()->Invalidate();
    }
    Invalidate();
}

void TAdvPage::SetTabEnabled(bool value)
{
    if (value == tabEnabled_)
        return;
    tabEnabled_ = value;
    Invalidate();
    if (pager_)
        pager_->Invalidate();
}

void TAdvPage::SetImageIndex(int value)
{
    imageIndex_ = value;
    if (pager_) {
        pager_->ResetTabLayout();
        pager_->Invalidate();
    }
}

void TAdvPage::SetAutoPosition(bool value)
{
    if (value == autoPosition_)
        return;
    autoPosition_ = value;
    PositionToolBars();
}

// ---- toolbars ------------------------------------------------------------------------------

bool TAdvPage::IsToolBar(TControl* control) const
{
    return dynamic_cast<TAdvCustomToolBar*>(control) != nullptr;
}

void TAdvPage::CMControlChange(TMessage& m)
{
    Inherited(TAdvPage::StaticClass(), m);
    auto* control = reinterpret_cast<TControl*>(m.WParam);
    if (!IsToolBar(control))
        return;
    if (m.LParam)
        AddToolBar(control);
    else
        RemoveToolBar(control);
}

int TAdvPage::AddToolBar(TControl* toolBar)
{
    if (!toolBar || !IsToolBar(toolBar) ||
        std::find(toolBars_.begin(), toolBars_.end(), toolBar) != toolBars_.end())
        return -1;
    auto* t = static_cast<TAdvCustomToolBar*>(toolBar);
    const bool runTime =
        !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning);
    if (runTime) {
        t->SetFullRightHandle(false);
        t->SetShowCaption(true);
        t->SetCaptionAtEnd(true);
        t->SetCaptionAlignment(taCenter);
    }
    toolBars_.push_back(toolBar);
    if (toolBar->Parent() != this)
        toolBar->SetParent(this);
    if (runTime && !t->DockPanel())
        t->SetParentStyler(true);
    PositionToolBars();
    if (!ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading) &&
        !ComponentState().Contains(csReading) && !t->LoadedOnce())
        t->MarkLoaded();
    return static_cast<int>(toolBars_.size()) - 1;
}

void TAdvPage::RemoveToolBar(TControl* toolBar)
{
    auto it = std::find(toolBars_.begin(), toolBars_.end(), toolBar);
    if (it == toolBars_.end())
        return;
    toolBars_.erase(it);
    if (toolBar->Parent() == this && !toolBar->ComponentState().Contains(csDestroying))
        toolBar->SetParent(nullptr);
}

std::vector<TControl*> TAdvPage::CollectToolBars() const
{
    std::vector<TControl*> list;
    const bool designing = ComponentState().Contains(csDesigning);
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!IsToolBar(c) || (!c->Visible() && !designing))
            continue;
        if (std::find(list.begin(), list.end(), c) != list.end())
            continue;
        auto at = std::find_if(list.begin(), list.end(),
                               [&](TControl* other) { return other->Left() > c->Left(); });
        list.insert(at, c);
    }
    return list;
}

void TAdvPage::PositionToolBars()
{
    if (!autoPosition_ || busy_ || ComponentState().Contains(csLoading))
        return;
    busy_ = true;
    const bool designing = ComponentState().Contains(csDesigning);
    int x = 3;
    for (TControl* t : toolBars_) {
        if (!t->Visible() && !designing)
            continue;
        t->SetBounds(x, 3, t->Width(), Height() - 6);
        x += t->Width() + 3;
    }
    busy_ = false;
}

void TAdvPage::RefreshToolBars()
{
    if (!Visible())
        return;
    for (TControl* t : toolBars_)
        t->Invalidate();
}

void TAdvPage::Loaded()
{
    TCustomControl::Loaded();
    toolBars_.clear();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!IsToolBar(c))
            continue;
        auto at = std::find_if(toolBars_.begin(), toolBars_.end(),
                               [&](TControl* other) { return other->Left() > c->Left(); });
        toolBars_.insert(at, c);
    }
    PositionToolBars();
    ArrangeToolBars();
}

void TAdvPage::SetBounds(int left, int top, int width, int height)
{
    if (width != Width())
        previousWidth_ = Width();
    TCustomControl::SetBounds(left, top, width, height);
    PositionToolBars();
}

void TAdvPage::AlignControls(TControl* control, RECT& rect)
{
    TCustomControl::AlignControls(control, rect);
    PositionToolBars();
}

// ---- fitting the toolbars to the width ----------------------------------------------------------

namespace {

// A toolbar of the page as the fitting sees it.
class PageToolBar final : public IPageToolBar {
public:
    PageToolBar(TAdvCustomToolBar* t, bool designing) : t_(t), designing_(designing) {}
    int Left() const override { return t_->Left(); }
    int Width() const override { return t_->Width(); }
    bool Eligible() const override { return (t_->Visible() || designing_) && t_->LoadedOnce(); }
    bool Compact() const override { return t_->IsCompact(); }
    bool MayCompact() const override { return t_->MayCompact(); }
    int ExpandedWidth() const override { return t_->ExpandedWidth(); }
    int CompactedWidth() const override { return t_->CompactedWidth(); }
    ToolBarStep MeasureShrink() const override
    {
        ToolBarStep s;
        s.width = t_->MeasureShrink(s.kind);
        return s;
    }
    ToolBarStep MeasureGrow() const override
    {
        ToolBarStep s;
        s.width = t_->MeasureGrow(s.kind);
        return s;
    }
    int ShrinkStep() override
    {
        int kind = 0;
        return t_->ShrinkStep(kind, true);
    }
    int GrowStep() override
    {
        int kind = 0;
        return t_->GrowStep(kind, true);
    }
    void SetCompact(bool value, bool markShrunk) override
    {
        const bool was = t_->IsCompact();
        t_->SetCompact(value);
        if (markShrunk && t_->IsCompact() && !was)
            t_->SetShrunk(true);
    }

private:
    TAdvCustomToolBar* t_;
    bool designing_;
};

// Runs one fitting over the page's toolbars as they are now.
template <typename Run>
void Fit(TAdvPage* page, Run run)
{
    if (page->ComponentState().Contains(csDesigning))
        return;
    std::vector<std::unique_ptr<PageToolBar>> adapters;
    std::vector<TControl*> known;
    PageToolBarFitting fitting;
    fitting.pageWidth = page->Width();
    fitting.collect = [&] {
        std::vector<IPageToolBar*> list;
        for (TControl* c : page->CollectToolBars()) {
            auto it = std::find(known.begin(), known.end(), c);
            if (it == known.end()) {
                known.push_back(c);
                adapters.push_back(
                    std::make_unique<PageToolBar>(static_cast<TAdvCustomToolBar*>(c), false));
                it = known.end() - 1;
            }
            list.push_back(adapters[static_cast<size_t>(it - known.begin())].get());
        }
        return list;
    };
    fitting.position = [page] { page->PositionToolBars(); };
    if (!fitting.collect().empty())
        run(fitting);
}

} // namespace

void TAdvPage::ShrinkToolBars()
{
    Fit(this, [](PageToolBarFitting& f) { f.Shrink(); });
}

void TAdvPage::GrowToolBars()
{
    Fit(this, [](PageToolBarFitting& f) { f.Grow(); });
}

void TAdvPage::ArrangeToolBars()
{
    Fit(this, [](PageToolBarFitting& f) { f.Arrange(); });
}

void TAdvPage::WMSize(TMessage& m)
{
    Inherited(TAdvPage::StaticClass(), m);
    if (Width() != previousWidth_) {
        if (Width() < previousWidth_)
            ShrinkToolBars();
        else
            GrowToolBars();
        previousWidth_ = Width();
    }
    ResetToolBarScroll();
}

// ---- scrolling the toolbars ---------------------------------------------------------------------

int TAdvPage::ToolBarsFitting(int n, bool forward) const
{
    const std::vector<TControl*> list = CollectToolBars();
    const int count = static_cast<int>(list.size());
    if (n < 0 || n >= count)
        return 0;
    int x = 3, fitting = 0;
    for (int i = n; forward ? i < count : i >= 0; i += forward ? 1 : -1) {
        if (!list[i]->Visible())
            continue;
        x += list[i]->Width();
        if (x >= Width())
            break;
        x += 3;
        ++fitting;
    }
    return fitting;
}

void TAdvPage::UpdateToolBarScroller()
{
    if (ComponentState().Contains(csDesigning))
        return;
    const std::vector<TControl*> list = CollectToolBars();
    const int visible = static_cast<int>(list.size());
    bool allCompact = true;
    for (TControl* c : list)
        allCompact = allCompact && static_cast<TAdvCustomToolBar*>(c)->IsCompact();
    int screens = 0;
    if (std::max(1, ToolBarsFitting(0, true)) < visible && allCompact) {
        int start = 0, sum = 0;
        for (;;) {
            const int fit = std::max(1, ToolBarsFitting(start, true));
            sum += fit;
            if (sum >= visible)
                break;
            ++screens;
            start += fit;
        }
    }
    toolBarScroller_->SetMaxOffset(screens);
    if (toolBarScroller_->ScrollOffset() > toolBarScroller_->MaxOffset())
        toolBarScroller_->SetScrollOffset(toolBarScroller_->MaxOffset());
    TCustomAdvToolBarStyler* styler = pager_ ? pager_->CurrentStyler() : nullptr;
    auto button = [&](TAdvPageScrollButton*& b, bool show, bool left) {
        if (!show) {
            if (b)
                b->SetVisible(false);
            return;
        }
        if (!b) {
            b = new TAdvPageScrollButton(this);
            b->SetParent(this);
            b->SetAlign(left ? alLeft : alRight);
            b->SetWidth(12);
            b->SetButtonPosition(left ? draw::bpLeft : draw::bpRight);
            b->SetArrowDirection(left ? TAdvPageScrollButton::adLeft
                                      : TAdvPageScrollButton::adRight);
            b->OnClick = TNotifyEvent(this, &TAdvPage::ScrollClick);
        }
        if (styler && styler->CompactGlowButtonAppearance())
            b->Appearance()->Assign(styler->CompactGlowButtonAppearance());
        b->SetVisible(true);
        b->BringToFront();
    };
    button(scrollLeft_, toolBarScroller_->CanScrollLeft(), true);
    button(scrollRight_, toolBarScroller_->CanScrollRight(), false);
}

void TAdvPage::ScrollClick(TObject* sender)
{
    ScrollToolBars(sender == scrollLeft_ ? -1 : 1);
}

void TAdvPage::ResetToolBarScroll()
{
    firstShownToolBar_ = 0;
    toolBarScroller_->SetMinOffset(0);
    toolBarScroller_->SetScrollOffset(0);
    UpdateToolBarScroller();
}

int TAdvPage::ScrollToolBars(int delta)
{
    TATBTabScroller* s = toolBarScroller_.get();
    const int visible = static_cast<int>(CollectToolBars().size());
    int scrolled = 0, target = firstShownToolBar_;
    if (delta > 0) {
        delta = std::min(delta, s->MaxOffset() - s->ScrollOffset());
        if (s->CanScrollRight() && delta > 0) {
            s->SetScrollOffset(s->ScrollOffset() + delta);
            target = std::min(visible - 1,
                              firstShownToolBar_ +
                                  delta * std::max(1, ToolBarsFitting(firstShownToolBar_, true)));
            scrolled = delta;
        }
    } else {
        const int d = std::min(-delta, s->ScrollOffset() - s->MinOffset());
        if (s->CanScrollLeft() && d > 0 && firstShownToolBar_ > 0) {
            s->SetScrollOffset(s->ScrollOffset() - d);
            target =
                std::max(0, firstShownToolBar_ -
                                d * std::max(1, ToolBarsFitting(firstShownToolBar_ - 1, false)));
            scrolled = -d;
        }
    }
    if (scrolled != 0)
        ScrollToToolBar(target);
    if (scrollLeft_)
        scrollLeft_->Invalidate();
    if (scrollRight_)
        scrollRight_->Invalidate();
    return scrolled;
}

// Moves every toolbar so that the target one comes to the left edge (or, going forward, the last
// one ends at the right edge), 5 px at a time.
void TAdvPage::ScrollToToolBar(int target)
{
    std::vector<TControl*> list = CollectToolBars();
    const int visible = static_cast<int>(list.size());
    if (busy_ || target < 0 || target >= visible || target == firstShownToolBar_)
        return;
    busy_ = true;
    if (target > firstShownToolBar_) {
        while (target > firstShownToolBar_ &&
               ToolBarsFitting(target - 1, true) > ToolBarsFitting(target, true))
            --target;
    }
    bool moved = false;
    for (int guard = 0; guard < 10000 && target != firstShownToolBar_; ++guard) {
        int s = 5;
        bool last = false;
        TControl* first = list.front();
        TControl* lastBar = list.back();
        TControl* t = list[target];
        if (target > firstShownToolBar_) {
            const int edge = lastBar->Left() + lastBar->Width();
            if (edge - s <= Width() - 6) {
                s = edge - (Width() - 3);
                last = true;
            }
            if (t->Left() - s <= 3) {
                s = t->Left() - 3;
                last = true;
            }
            for (TControl* c : list)
                c->SetLeft(c->Left() - s);
        } else {
            if (first->Left() + s >= 0 || t->Left() + s >= 0) {
                s = 3 - t->Left();
                last = true;
            }
            for (TControl* c : list)
                c->SetLeft(c->Left() + s);
        }
        moved = true;
        if (last || s <= 0)
            break;
    }
    if (moved) {
        firstShownToolBar_ = target;
        // Still busy: showing a scroll button aligns the page, which must not place the
        // toolbars back.
        UpdateToolBarScroller();
    }
    busy_ = false;
}

// ---- painting ------------------------------------------------------------------------------

void TAdvPage::Paint()
{
    if (!pager_)
        return;
    TCustomAdvToolBarStyler* styler = pager_->CurrentStyler();
    if (!styler)
        return;
    TVistaPageBackground* pa = styler->PageAppearance();
    if (Color() != pa->Color())
        SetColor(pa->Color());
    const int W = Width(), H = Height();
    if (W <= 0 || H <= 0)
        return;
    const int index = PageIndex();
    const bool active = pager_->ActivePage() == this;
    const int group = pager_->TabGroupOfPage(index);
    TBitmap bitmap;
    bitmap.SetWidth(W);
    bitmap.SetHeight(H);
    TColor background = pa->Color();
    if (!active || group < 0) {
        DrawMirrorGradient(bitmap.Canvas(), RECT{0, 0, W, H}, 22, pa->Color(), pa->ColorTo(),
                           pa->ColorMirror(), pa->ColorMirrorTo(), pa->BorderColor(), 3);
    } else {
        TVistaPageBackground* ga = pager_->GroupAppearanceOf(group)->PageAppearance();
        background = ga->Color();
        DrawButtonContentSimple(bitmap.Canvas(), RECT{0, 0, W, H}, ga->Color(), ga->ColorTo(),
                                ga->ColorMirror(), ga->ColorMirrorTo(), ga->BorderColor(),
                                ga->Gradient(), ga->GradientMirror(), "", Font(), Enabled(), false,
                                pager_->AntiAlias(), styler->RoundedCorners());
    }
    TCanvas* c = Canvas();
    c->Draw(0, 0, &bitmap);
    if (!active || group < 0) {
        auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
            c->Pen()->SetColor(color);
            c->MoveTo(x1, y1);
            c->LineTo(x2, y2);
        };
        line(pa->ShadowColor(), 2, H - 1, W - 2, H - 1);
        line(pa->HighLightColor(), 1, 10, 1, H - 2);
        line(pa->HighLightColor(), W - 2, 10, W - 2, H - 2);
        line(pa->HighLightColor(), 3, H - 2, W - 2, H - 2);
    }
    if (!active)
        return;
    // The active tab flows into the page.
    const RECT r = pager_->VisibleTabRect(index);
    if (r.left > 0 && r.right > 0 && pager_->TabSettings()->Height() > 0) {
        const int shift = pager_->PageLeftMargin() + 4;
        c->Pen()->SetColor(background);
        c->MoveTo(r.left - shift, 0);
        c->LineTo(r.right - shift, 0);
    }
}

} // namespace toolbar
