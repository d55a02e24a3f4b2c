#include "AdvPanelGroup.h"

#include <algorithm>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TGroupStyle, "gsVertical", "gsHorizontal")

// ---- TGroupScrollBar --------------------------------------------------------------------------

CLASSLIB_PUBLISH(TGroupScrollBar) {}

TGroupScrollBar::TGroupScrollBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 16, 100);
    SetTabStop(false);
}

void TGroupScrollBar::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WinClassName = "SCROLLBAR";
    params.NativeClass = true;
    params.Style |= vertical_ ? SBS_VERT : SBS_HORZ;
}

void TGroupScrollBar::CreateWnd()
{
    TWinControl::CreateWnd();
    UpdateInfo();
}

void TGroupScrollBar::UpdateInfo()
{
    if (!HandleAllocated())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = max_;
    info.nPage = static_cast<UINT>(std::max(pageSize_, 0));
    info.nPos = position_;
    SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void TGroupScrollBar::SetVertical(bool value)
{
    if (vertical_ == value)
        return;
    vertical_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TGroupScrollBar::SetPosition(int value)
{
    value = std::clamp(value, 0, std::max(max_, 0));
    if (value == position_)
        return;
    position_ = value;
    UpdateInfo();
    if (OnChange)
        OnChange(this);
}

void TGroupScrollBar::SetMax(int value)
{
    max_ = value;
    UpdateInfo();
}

void TGroupScrollBar::SetPageSize(int value)
{
    pageSize_ = value;
    UpdateInfo();
}

void TGroupScrollBar::Scroll(int code, int trackPosition)
{
    switch (code) {
        case SB_LINEUP:
            SetPosition(position_ - smallChange_);
            break;
        case SB_LINEDOWN:
            SetPosition(position_ + smallChange_);
            break;
        case SB_PAGEUP:
            SetPosition(position_ - largeChange_);
            break;
        case SB_PAGEDOWN:
            SetPosition(position_ + largeChange_);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            SetPosition(trackPosition);
            break;
        case SB_TOP:
            SetPosition(0);
            break;
        case SB_BOTTOM:
            SetPosition(max_);
            break;
        default:
            break;
    }
}

// ---- TAdvPanelGroup ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvPanelGroup)
{
    c.Property("Columns", &TAdvPanelGroup::Columns, &TAdvPanelGroup::SetColumns).SetDefault(1);
    c.Property("DefaultPanel", &TAdvPanelGroup::DefaultPanel, &TAdvPanelGroup::SetDefaultPanel);
    c.Property("GroupStyle", &TAdvPanelGroup::GroupStyle, &TAdvPanelGroup::SetGroupStyle)
        .SetDefault(gsVertical);
    c.Property("ScrollSmooth", &TAdvPanelGroup::ScrollSmooth, &TAdvPanelGroup::SetScrollSmooth)
        .SetDefault(false);
    c.Property("HorzPadding", &TAdvPanelGroup::HorzPadding, &TAdvPanelGroup::SetHorzPadding)
        .SetDefault(8);
    c.Property("VertPadding", &TAdvPanelGroup::VertPadding, &TAdvPanelGroup::SetVertPadding)
        .SetDefault(8);
}

CLASSLIB_MESSAGE_MAP(TAdvPanelGroup)
{
    m.On(WM_SIZE, &TAdvPanelGroup::WMSize);
    m.On(WM_VSCROLL, &TAdvPanelGroup::WMScroll);
    m.On(WM_HSCROLL, &TAdvPanelGroup::WMScroll);
}

TAdvPanelGroup::TAdvPanelGroup(TComponent* owner)
    : TAdvPanel(owner), defaultPanel_(new TAdvPanelSettings), scrollBar_(new TGroupScrollBar(this))
{
    controlStyle_.Include(csAcceptsControls);
    controlStyle_.Exclude(csSetCaption);
    scrollBar_->SetParent(this);
    scrollBar_->SetAlign(alRight);
    scrollBar_->SetVisible(false);
    scrollBar_->SetLargeChange(20);
    scrollBar_->SetSmallChange(2);
    scrollBar_->OnChange = TNotifyEvent(this, &TAdvPanelGroup::ScrollChanged);
}

TAdvPanelGroup::~TAdvPanelGroup()
{
    delete defaultPanel_;
}

std::vector<TCustomAdvPanel*> TAdvPanelGroup::ChildPanels() const
{
    std::vector<TCustomAdvPanel*> result;
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* panel = dynamic_cast<TCustomAdvPanel*>(Controls(i)))
            result.push_back(panel);
    return result;
}

int TAdvPanelGroup::ScrollBarExtent() const
{
    if (!scrollBar_->Visible())
        return 0;
    return groupStyle_ == gsVertical ? scrollBar_->Width() : scrollBar_->Height();
}

void TAdvPanelGroup::SetColumns(int value)
{
    if (value <= 0)
        return;
    columns_ = value;
    UpdateScrollBar();
    Arrange();
    UpdateScrollBar();
}

void TAdvPanelGroup::SetGroupStyle(TGroupStyle value)
{
    if (groupStyle_ == value)
        return;
    groupStyle_ = value;
    UpdateScrollBar();
    Arrange();
}

void TAdvPanelGroup::SetHorzPadding(int value)
{
    if (horzPadding_ == value)
        return;
    horzPadding_ = value;
    Arrange();
}

void TAdvPanelGroup::SetVertPadding(int value)
{
    if (vertPadding_ == value)
        return;
    vertPadding_ = value;
    Arrange();
}

void TAdvPanelGroup::Arrange()
{
    if (Loading() || arranging_ || nesting_ > 0)
        return;
    arranging_ = true;
    if (groupStyle_ == gsVertical)
        ArrangeVertically();
    else
        ArrangeHorizontally();
    arranging_ = false;
}

namespace {
// Stable: panels at the same coordinate keep their control order.
template <class Key>
void SortStable(std::vector<TCustomAdvPanel*>& panels, Key key)
{
    std::stable_sort(panels.begin(), panels.end(),
                     [&](TCustomAdvPanel* a, TCustomAdvPanel* b) { return key(a) < key(b); });
}
} // namespace

void TAdvPanelGroup::ArrangeVertically()
{
    ++nesting_;
    std::vector<TCustomAdvPanel*> panels = ChildPanels();
    SortStable(panels, [](TCustomAdvPanel* p) { return p->Top(); });
    int y = vertPadding_;
    if (scrollBar_->Visible())
        y -= scrollBar_->Position();
    if (Caption()->Visible())
        y += Caption()->Height();
    if (scrollSmooth_)
        for (TCustomAdvPanel* panel : panels)
            if (panel->Visible() && panel->HandleAllocated())
                SendMessageA(panel->Handle(), WM_SETREDRAW, FALSE, 0);
    const int bar = ScrollBarExtent();
    for (size_t i = 0; i < panels.size(); ++i) {
        TCustomAdvPanel* panel = panels[i];
        const int columnWidth = (Width() - bar - horzPadding_) / columns_;
        const int left =
            columnWidth * static_cast<int>(i % static_cast<size_t>(columns_)) + horzPadding_;
        const int width = (Width() - 2 * horzPadding_ - bar) / columns_;
        panel->SetBounds(left, y, width, panel->Height());
        if (panel->Visible() && (i + 1) % static_cast<size_t>(columns_) == 0)
            y += panel->Height() + vertPadding_;
    }
    for (TCustomAdvPanel* panel : panels) {
        if (scrollSmooth_ && panel->Visible() && panel->HandleAllocated()) {
            SendMessageA(panel->Handle(), WM_SETREDRAW, TRUE, 0);
            panel->Repaint();
        }
        panel->Invalidate();
        for (int c = 0; c < panel->ControlCount(); ++c) {
            TControl* child = panel->Controls(c);
            auto* windowed = dynamic_cast<TWinControl*>(child);
            if (windowed && windowed->Visible() && windowed->HandleAllocated()) {
                SendMessageA(windowed->Handle(), WM_SETREDRAW, FALSE, 0);
                SendMessageA(windowed->Handle(), WM_SETREDRAW, TRUE, 0);
            }
            child->Invalidate();
        }
    }
    --nesting_;
    Invalidate();
}

void TAdvPanelGroup::ArrangeHorizontally()
{
    std::vector<TCustomAdvPanel*> panels = ChildPanels();
    SortStable(panels, [](TCustomAdvPanel* p) { return p->Left(); });
    int x = horzPadding_;
    if (scrollBar_->Visible())
        x -= scrollBar_->Position();
    const int bar = ScrollBarExtent();
    for (TCustomAdvPanel* panel : panels) {
        panel->SetBounds(x, vertPadding_, panel->Width(), Height() - 2 * vertPadding_ - bar);
        if (panel->Visible())
            x += panel->Width() + horzPadding_;
    }
}

void TAdvPanelGroup::UpdateScrollBar()
{
    if (nesting_ > 0)
        return;
    int total = 0;
    bool show = false;
    if (groupStyle_ == gsHorizontal) {
        scrollBar_->SetVertical(false);
        if (scrollBar_->Align() == alRight)
            scrollBar_->SetAlign(alBottom);
        scrollBar_->SetBounds(scrollBar_->Left(), scrollBar_->Top(), scrollBar_->Width(), 16);
        total = horzPadding_;
        for (TCustomAdvPanel* panel : ChildPanels())
            if (panel->Visible())
                total += panel->Width() + horzPadding_;
        show = Width() < total;
        if (show) {
            if (scrollBar_->Position() > total)
                scrollBar_->SetPosition(total);
            scrollBar_->SetPageSize(Width());
            scrollBar_->SetLargeChange(Width() / 3);
            scrollBar_->SetMax(total);
        }
    } else {
        scrollBar_->SetVertical(true);
        scrollBar_->SetBounds(scrollBar_->Left(), scrollBar_->Top(), 16, scrollBar_->Height());
        total = vertPadding_;
        for (int j = 0; j < ControlCount(); ++j) {
            auto* panel = dynamic_cast<TCustomAdvPanel*>(Controls(j));
            if (panel && panel->Visible() && (j + 1) % columns_ == 0)
                total += panel->Height() + vertPadding_;
        }
        show = Height() < total && total > 0;
        if (show) {
            if (scrollBar_->Position() > total)
                scrollBar_->SetPosition(total);
            scrollBar_->SetPageSize(Height());
            scrollBar_->SetLargeChange(Height() / 3);
            scrollBar_->SetMax(total);
        }
    }
    scrollBar_->SetVisible(show);
    scrollBar_->Invalidate();
}

void TAdvPanelGroup::ChildPanelChanged()
{
    UpdateScrollBar();
    Arrange();
}

void TAdvPanelGroup::ArrangeGroup()
{
    Arrange();
    UpdateScrollBar();
}

void TAdvPanelGroup::SetBounds(int left, int top, int width, int height)
{
    TAdvPanel::SetBounds(left, top, width, height);
    if (width != lastWidth_ || height != lastHeight_)
        Arrange();
    lastWidth_ = width;
    lastHeight_ = height;
}

void TAdvPanelGroup::WMSize(TMessage& m)
{
    Inherited(TAdvPanelGroup::StaticClass(), m);
    UpdateScrollBar();
}

void TAdvPanelGroup::AlignControls(TControl* control, RECT& rect)
{
    TAdvPanel::AlignControls(control, rect);
    UpdateScrollBar();
}

void TAdvPanelGroup::Loaded()
{
    TAdvPanel::Loaded();
    SetBounds(Left(), Top(), Width() + 1, Height());
    SetBounds(Left(), Top(), Width() - 1, Height());
    UpdateScrollBar();
    Arrange();
    panels_ = ChildPanels();
}

void TAdvPanelGroup::ScrollChanged(TObject*)
{
    const int limit = scrollBar_->Max() - scrollBar_->PageSize();
    if (scrollBar_->Position() > limit)
        scrollBar_->SetPosition(limit);
    Arrange();
}

void TAdvPanelGroup::WMScroll(TMessage& m)
{
    if (reinterpret_cast<HWND>(m.LParam) !=
        (scrollBar_->HandleAllocated() ? scrollBar_->Handle() : nullptr)) {
        Inherited(TAdvPanelGroup::StaticClass(), m);
        return;
    }
    scrollBar_->Scroll(LOWORD(m.WParam), static_cast<int16_t>(HIWORD(m.WParam)));
    m.Result = 0;
}

bool TAdvPanelGroup::DoMouseWheelDown(TShiftState, POINT)
{
    scrollBar_->SetPosition(scrollBar_->Position() + 2 * scrollBar_->SmallChange());
    return true;
}

bool TAdvPanelGroup::DoMouseWheelUp(TShiftState, POINT)
{
    scrollBar_->SetPosition(scrollBar_->Position() - 2 * scrollBar_->SmallChange());
    return true;
}

} // namespace panels
