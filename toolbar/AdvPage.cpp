// One page of the ribbon pager: its tab's data, the toolbars it hosts and places side by side,
// and its background with the join to its tab.
#include <algorithm>

#include "core/Exceptions.h"
#include "draw/ButtonFace.h"
#include "draw/ToolbarDrawing.h"
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarPager.h"

using namespace classlib;
using namespace draw;

namespace toolbar {

CLASSLIB_PUBLISH(TAdvPage) {}

CLASSLIB_MESSAGE_MAP(TAdvPage)
{
    m.On(CM_CONTROLCHANGE, &TAdvPage::CMControlChange);
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
    if (runTime)
        t->SetFullRightHandle(false);
    toolBars_.push_back(toolBar);
    if (toolBar->Parent() != this)
        toolBar->SetParent(this);
    if (runTime && !t->DockPanel())
        t->SetParentStyler(true);
    PositionToolBars();
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
