// The quick-access toolbar: geometry, item list, sizing and arranging, overflow, the customize
// and overflow buttons, the overflow drop-down, images, key tips and the two looks.
#include "AdvQuickAccessToolBar.h"

#include "controls/AdvGlowButton.h"
#include "draw/AdvGDIP.h"
#include "draw/ToolbarDrawing.h"
#include "toolbar/OptionSelectorWindow.h"
#include "toolbar/PopupPlacement.h"
#include "toolbar/StylerChangeKinds.h"

#include "core/Exceptions.h"
#include "core/SysUtils.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;
using draw::TGPGraphics;

namespace {

float F(int value)
{
    return static_cast<float>(value);
}

RECT Rect(int l, int t, int r, int b)
{
    return RECT{l, t, r, b};
}

} // namespace

CLASSLIB_PUBLISH(TAdvCustomQuickAccessToolBar) {}

CLASSLIB_MESSAGE_MAP(TAdvCustomQuickAccessToolBar)
{
    m.On(WM_ERASEBKGND, &TAdvCustomQuickAccessToolBar::WMEraseBkgnd);
    m.On(CM_CONTROLCHANGE, &TAdvCustomQuickAccessToolBar::CMControlChange);
}

CLASSLIB_PUBLISH(TAdvQuickAccessToolBar)
{
    using Q = TAdvQuickAccessToolBar;
    c.Property("CustomizeHint", &Q::CustomizeHint, &Q::SetCustomizeHint);
    c.Property("DisabledImages", &Q::DisabledImages, &Q::SetDisabledImages);
    c.Property("Images", &Q::Images, &Q::SetImages);
    c.Property("ShowCustomizeOption", &Q::ShowCustomizeOption, &Q::SetShowCustomizeOption)
        .SetDefault(false);
    c.Property("DropDownPopupMenu", &Q::DropDownPopupMenu, &Q::SetDropDownPopupMenu);
    c.Property("OnCustomizeClick", &Q::OnCustomizeClick);
}

TAdvCustomQuickAccessToolBar::TAdvCustomQuickAccessToolBar(TComponent* owner)
    : TCustomControl(owner)
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} - TControlStyle{csOpaque};
    SetDoubleBuffered(true);
}

TAdvCustomQuickAccessToolBar::~TAdvCustomQuickAccessToolBar()
{
    items_.clear();
    overflow_.clear();
}

// ---- parent and bounds ---------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::SetParent(TWinControl* parent)
{
    if (parent && !dynamic_cast<IQuickAccessPager*>(parent))
        throw Exception("Invalid Parent");
    TCustomControl::SetParent(parent);
}

void TAdvCustomQuickAccessToolBar::SetBounds(int left, int top, int width, int height)
{
    TCustomControl::SetBounds(left, top, width, height);
    UpdateSize();
    CheckOverflow();
}

TCustomAdvToolBarStyler* TAdvCustomQuickAccessToolBar::PagerStyler() const
{
    auto* pager = dynamic_cast<IQuickAccessPager*>(Parent());
    return pager ? pager->PagerStyler() : nullptr;
}

// ---- geometry ------------------------------------------------------------------------------

RECT TAdvCustomQuickAccessToolBar::ContentRect() const
{
    RECT r = ClientRect();
    if (!showBelow_) {
        r.top += 3;
        r.right -= buttonWidth_ + buttonGap_;
    }
    return r;
}

int TAdvCustomQuickAccessToolBar::LeftMargin() const
{
    return showBelow_ ? 4 : Height() / 2 + 2;
}

int TAdvCustomQuickAccessToolBar::RightMargin() const
{
    return showBelow_ ? 4 : 12;
}

RECT TAdvCustomQuickAccessToolBar::ArrangeRect() const
{
    RECT r = ContentRect();
    r.left = LeftMargin();
    r.right -= RightMargin();
    r.bottom -= 1;
    return r;
}

RECT TAdvCustomQuickAccessToolBar::ButtonRect() const
{
    return Rect(Width() - buttonWidth_, 1, Width(), Height());
}

bool TAdvCustomQuickAccessToolBar::IsOwnPart(const TControl* c) const
{
    return c == customizeButton_ || c == overflowButton_ || c == overflowWindow_ ||
           (c && c == overflowPanel_);
}

bool TAdvCustomQuickAccessToolBar::InOverflow(const TControl* c) const
{
    return std::find(overflow_.begin(), overflow_.end(), c) != overflow_.end();
}

int TAdvCustomQuickAccessToolBar::RequiredWidth() const
{
    const bool designing = ComponentState().Contains(csDesigning);
    int width = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if ((c->Visible() || designing) && !IsOwnPart(c) && !InOverflow(c))
            width += c->Width();
    }
    for (TControl* c : overflow_)
        if (!IsOwnPart(c))
            width += c->Width();
    return width + LeftMargin() + RightMargin() + buttonWidth_ + buttonGap_;
}

// ---- layout --------------------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::BuildItemList()
{
    items_.clear();
    const bool designing = ComponentState().Contains(csDesigning);
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!(c->Visible() || designing) || IsOwnPart(c) || InOverflow(c))
            continue;
        auto after = std::find_if(items_.begin(), items_.end(), [c](const TControl* listed) {
            return listed->Left() > c->Left();
        });
        items_.insert(after, c);
    }
}

void TAdvCustomQuickAccessToolBar::UpdateSize()
{
    auto* pager = dynamic_cast<IQuickAccessPager*>(Parent());
    if (sizing_ || !pager)
        return;
    const RECT r = pager->QATRect();
    const int rw = r.right - r.left, rh = r.bottom - r.top;
    sizing_ = true;
    try {
        if (showBelow_)
            TCustomControl::SetBounds(r.left, r.top, std::max(60, rw), rh);
        else if (pager->CaptionVisible())
            TCustomControl::SetBounds(r.left, r.top, std::max(60, std::min(RequiredWidth(), rw)),
                                      rh);
    } catch (...) {
        sizing_ = false;
        throw;
    }
    sizing_ = false;
}

void TAdvCustomQuickAccessToolBar::ArrangeItems(bool resize)
{
    if (arranging_ || ComponentState().Contains(csLoading))
        return;
    const RECT r = ArrangeRect();
    const int h = r.bottom - r.top;
    arranging_ = true;
    int x = r.left;
    for (TControl* c : items_) {
        const int top = InOverflow(c) ? -c->Height() - 2 : r.top + (h - c->Height()) / 2;
        c->SetBounds(x, top, c->Width(), c->Height());
        x += c->Width();
    }
    for (TControl* c : overflow_)
        if (c->Parent() == this)
            c->SetTop(-c->Height() - 2);
    const int buttonLeft = showBelow_ ? x : ButtonRect().left;
    if (customizeButton_ && customizeButton_->Visible() && overflow_.empty())
        customizeButton_->SetBounds(buttonLeft, r.top, customizeButton_->Width(), h);
    if (overflowButton_ && overflowButton_->Visible() && !overflow_.empty())
        overflowButton_->SetBounds(buttonLeft, r.top, overflowButton_->Width(), h);
    arranging_ = false;
    if (resize)
        UpdateSize();
}

void TAdvCustomQuickAccessToolBar::CheckOverflow()
{
    if (!dynamic_cast<IQuickAccessPager*>(Parent()) || sizing_ || arranging_ ||
        ComponentState().Contains(csLoading))
        return;
    const RECT r = ArrangeRect();
    const bool wasArranging = arranging_;
    auto first = std::find_if(items_.begin(), items_.end(),
                              [&r](const TControl* c) { return c->Left() + c->Width() > r.right; });
    if (first != items_.end()) {
        arranging_ = true;
        if (!OverflowButtonShown())
            ShowOverflowButton(true);
        overflow_.insert(overflow_.begin(), first, items_.end());
        items_.erase(first, items_.end());
        if (customizeButton_ && customizeButton_->Visible() && customizeButton_->Parent() == this)
            customizeButton_->Hide();
    } else if (!overflow_.empty()) {
        int x = items_.empty() ? r.left : items_.back()->Left() + items_.back()->Width();
        int room = r.right - x;
        arranging_ = true;
        while (!overflow_.empty() && room > 0) {
            TControl* c = overflow_.front();
            if (room < c->Width())
                break;
            if (c->Parent() != this) {
                c->SetParent(this);
                c->SetLeft(x);
                x += c->Width();
            }
            room -= c->Width();
            overflow_.erase(overflow_.begin());
        }
        if (overflow_.empty()) {
            if (OverflowButtonShown())
                ShowOverflowButton(false);
            if (showCustomizeOption_ && (!customizeButton_ || customizeButton_->Parent() != this ||
                                         !customizeButton_->Visible())) {
                showCustomizeOption_ = false;
                SetShowCustomizeOption(true);
            }
        }
    }
    arranging_ = wasArranging;
    BuildItemList();
}

void TAdvCustomQuickAccessToolBar::Relayout()
{
    BuildItemList();
    UpdateSize();
    ArrangeItems(false);
    CheckOverflow();
}

void TAdvCustomQuickAccessToolBar::SetShowBelow(bool value)
{
    if (value == showBelow_)
        return;
    showBelow_ = value;
    BuildItemList();
    UpdateSize();
    ArrangeItems(false);
    CheckOverflow();
    ArrangeItems(false);
}

void TAdvCustomQuickAccessToolBar::CMControlChange(TMessage& m)
{
    Inherited(StaticClass(), m);
    auto* c = reinterpret_cast<TControl*>(m.WParam);
    if (arranging_ || (c && (c == overflowWindow_ || c == overflowPanel_)))
        return;
    if (c && !m.LParam) {
        // A control that leaves the toolbar for good leaves the overflow list too.
        auto it = std::find(overflow_.begin(), overflow_.end(), c);
        if (it != overflow_.end())
            overflow_.erase(it);
    }
    Relayout();
}

void TAdvCustomQuickAccessToolBar::AlignControls(TControl* control, RECT& rect)
{
    TCustomControl::AlignControls(control, rect);
    if (!arranging_)
        Relayout();
}

void TAdvCustomQuickAccessToolBar::Loaded()
{
    TCustomControl::Loaded();
    Relayout();
    ApplyStylerAppearance();
}

void TAdvCustomQuickAccessToolBar::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove || ComponentState().Contains(csDestroying))
        return;
    if (component == images_) {
        images_ = nullptr;
        Invalidate();
    }
    if (component == disabledImages_) {
        disabledImages_ = nullptr;
        Invalidate();
    }
    // A freed menu is never shown from the customize button.
    if (component == dropDownPopupMenu_)
        dropDownPopupMenu_ = nullptr;
    if (component == customizeButton_)
        customizeButton_ = nullptr;
    if (component == overflowButton_)
        overflowButton_ = nullptr;
    if (component == overflowWindow_) {
        overflowWindow_ = nullptr;
        overflowPanel_ = nullptr;
    }
    auto it = std::find(overflow_.begin(), overflow_.end(), component);
    if (it != overflow_.end())
        overflow_.erase(it);
    auto listed = std::find(items_.begin(), items_.end(), component);
    if (listed != items_.end())
        items_.erase(listed);
}

// ---- styler --------------------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::StylerChanged(int kind)
{
    if (kind == 0 || kind == ckPager || kind == ckPagerCaption || kind == ckQAT)
        Invalidate();
    if (kind == 0 || kind == ckAppearance || kind == ckGlowButtons)
        ApplyStylerAppearance();
}

void TAdvCustomQuickAccessToolBar::ApplyStylerAppearance()
{
    TCustomAdvToolBarStyler* styler = PagerStyler();
    if (!styler)
        return;
    std::vector<TControl*> children;
    for (int i = 0; i < ControlCount(); ++i)
        children.push_back(Controls(i));
    for (TControl* c : children)
        if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(c))
            b->Appearance()->Assign(styler->GlowButtonAppearance());
    for (TControl* c : overflow_)
        if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(c))
            b->Appearance()->Assign(styler->GlowButtonAppearance());
    if (dynamic_cast<controls::IAdvComponentStyle*>(styler) && styler->ComponentStyle() != 8) {
        for (TControl* c : children)
            if (auto* s = dynamic_cast<controls::IAdvComponentStyle*>(c))
                s->ApplyStyle(styler->ComponentStyle());
        for (TControl* c : overflow_)
            if (auto* s = dynamic_cast<controls::IAdvComponentStyle*>(c))
                s->ApplyStyle(styler->ComponentStyle());
    }
    if (customizeButton_)
        customizeButton_->Appearance()->Assign(styler->GlowButtonAppearance());
}

// ---- overflow and customize buttons ----------------------------------------------------------

bool TAdvCustomQuickAccessToolBar::OverflowButtonShown() const
{
    return overflowButton_ && overflowButton_->Visible();
}

void TAdvCustomQuickAccessToolBar::ShowOverflowButton(bool show)
{
    if (show == OverflowButtonShown())
        return;
    if (!show) {
        overflowButton_->Hide();
        return;
    }
    if (!overflowButton_) {
        overflowButton_ = new TAdvVistaButton(this);
        overflowButton_->SetParent(this);
        overflowButton_->SetGlyphVariant(1);
        overflowButton_->SetGlyphKind(2);
        overflowButton_->SetBounds(0, 0, buttonWidth_, Height());
        overflowButton_->OnClick = TNotifyEvent(this, &TAdvCustomQuickAccessToolBar::OverflowClick);
        overflowButton_->OnMouseDown =
            TMouseEvent(this, &TAdvCustomQuickAccessToolBar::OverflowMouseDown);
    }
    const RECT b = ButtonRect();
    overflowButton_->SetBounds(b.left, b.top, overflowButton_->Width(), overflowButton_->Height());
    if (TCustomAdvToolBarStyler* styler = PagerStyler())
        overflowButton_->Appearance()->Assign(styler->GlowButtonAppearance());
    overflowButton_->Show();
}

void TAdvCustomQuickAccessToolBar::OverflowMouseDown(TObject*, TMouseButton, TShiftState, int, int)
{
    if (overflowButton_)
        overflowButton_->SetForcedDown(true);
    PopupOverflow(0, 0, false);
}

void TAdvCustomQuickAccessToolBar::OverflowWindowHidden(TObject*)
{
    if (overflowButton_)
        overflowButton_->SetForcedDown(false);
}

void TAdvCustomQuickAccessToolBar::ShowOverflow()
{
    if (ComponentState().Contains(csDesigning))
        return;
    if (!overflowWindow_) {
        auto* window = new TOptionSelectorWindow(this);
        overflowWindow_ = window;
        ConfigureDropDownForm(window, this, 10, 10);
        window->OnHide = TNotifyEvent(this, &TAdvCustomQuickAccessToolBar::OverflowWindowHidden);
        window->FreeNotification(this);
    }
    auto* window = static_cast<TOptionSelectorWindow*>(overflowWindow_);
    if (!overflowPanel_) {
        overflowPanel_ = new TControlSelectorPanel(window);
        overflowPanel_->SetParent(window);
    }
    TControlSelectorPanel* panel = overflowPanel_;
    panel->SetShowAddRemove(false);
    panel->SetOptionMenu(nullptr);
    panel->SetAddRemoveCaption("");
    panel->SetOptionsCaption("");
    panel->SetAdvToolBar(nullptr);
    panel->SetAdvQuickAccessToolBar(nullptr);
    if (TCustomAdvToolBarStyler* styler = PagerStyler()) {
        TButtonAppearance* a = styler->ButtonAppearance();
        panel->SetHotColor(a->ColorHot());
        panel->SetHotColorTo(a->ColorHotTo());
        panel->SetDownColor(a->ColorDown());
        panel->SetDownColorTo(a->ColorDownTo());
        panel->SetTextColor(a->CaptionTextColor());
        panel->SetHotTextColor(a->CaptionTextColorHot());
        panel->SetDownTextColor(a->CaptionTextColorDown());
        panel->SetWindowBorderColor(styler->QATAppearance()->FullSizeBorderColor());
        panel->SetColor(styler->TabAppearance()->BackGround()->Color());
        panel->SetColorTo(styler->TabAppearance()->BackGround()->Color());
    }
    window->SetOptionsPanel(panel);
    panel->ClearControls();
    arranging_ = true;
    for (TControl* c : overflow_)
        panel->AddControl(c);
    if (showCustomizeOption_ && customizeButton_) {
        panel->AddControl(customizeButton_);
        customizeButton_->Show();
    }
    arranging_ = false;
    panel->Arrange();
    window->UpdateSize();
}

void TAdvCustomQuickAccessToolBar::PopupOverflow(int x, int y, bool atPosition)
{
    ShowOverflow();
    if (!overflowWindow_)
        return;
    const int w = overflowWindow_->Width(), h = overflowWindow_->Height();
    if (!atPosition) {
        POINT p{Left() + Width() - 12, Top() + Height() + 1};
        if (Parent())
            p = Parent()->ClientToScreen(p);
        HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        x = p.x;
        y = p.y;
        if (GetMonitorInfoA(monitor, &info)) {
            const draw::TIntPoint place =
                PlacePopup(x, y, w, h,
                           draw::TIntRect{info.rcWork.left, info.rcWork.top, info.rcWork.right,
                                          info.rcWork.bottom},
                           draw::TIntRect{info.rcMonitor.left, info.rcMonitor.top,
                                          info.rcMonitor.right, info.rcMonitor.bottom});
            x = place.X;
            y = place.Y;
        }
    }
    if (!overflowPanel_ || overflowPanel_->IsEmpty())
        return;
    // Shown at no size first, so the window appears only once it is in place.
    overflowWindow_->SetBounds(overflowWindow_->Left(), overflowWindow_->Top(), 0, 0);
    overflowWindow_->Show();
    overflowWindow_->SetBounds(x, y, w, h);
    overflowWindow_->Show();
    SetForegroundWindow(overflowWindow_->Handle());
}

void TAdvCustomQuickAccessToolBar::HideOverflow()
{
    if (overflowWindow_ && overflowWindow_->Visible())
        overflowWindow_->Hide();
}

void TAdvCustomQuickAccessToolBar::SetCustomizeHint(const std::string& value)
{
    customizeHint_ = value;
    if (customizeButton_)
        customizeButton_->SetHint(value);
}

void TAdvCustomQuickAccessToolBar::SetShowCustomizeOption(bool value)
{
    if (value == showCustomizeOption_)
        return;
    showCustomizeOption_ = value;
    if (value) {
        if (customizeButton_) {
            customizeButton_->Hide();
            customizeButton_->SetBounds(customizeButton_->Left(), customizeButton_->Top(),
                                        buttonWidth_, Height());
        } else {
            customizeButton_ = new TAdvVistaButton(this);
            customizeButton_->SetParent(this);
            customizeButton_->SetGlyphVariant(2);
            customizeButton_->SetGlyphKind(3);
            customizeButton_->SetBounds(0, 0, buttonWidth_, Height());
            customizeButton_->OnClick =
                TNotifyEvent(this, &TAdvCustomQuickAccessToolBar::CustomizeClick);
            customizeButton_->SetHint(customizeHint_);
        }
        if (customizeButton_->Parent() != this)
            customizeButton_->SetParent(this);
        if (TCustomAdvToolBarStyler* styler = PagerStyler())
            customizeButton_->Appearance()->Assign(styler->GlowButtonAppearance());
        customizeButton_->Show();
    } else if (customizeButton_) {
        customizeButton_->Hide();
        customizeButton_->SetBounds(customizeButton_->Left(), customizeButton_->Top(), 0, 0);
    }
    UpdateSize();
    ArrangeItems(false);
    CheckOverflow();
}

void TAdvCustomQuickAccessToolBar::SetDropDownPopupMenu(TPopupMenu* value)
{
    if (value == dropDownPopupMenu_)
        return;
    if (dropDownPopupMenu_)
        dropDownPopupMenu_->RemoveFreeNotification(this);
    dropDownPopupMenu_ = value;
    if (value)
        value->FreeNotification(this);
}

void TAdvCustomQuickAccessToolBar::CustomizeClick(TObject*)
{
    if (OnCustomizeClick)
        OnCustomizeClick(this);
    if (!dropDownPopupMenu_ || !customizeButton_)
        return;
    TControl* b = customizeButton_;
    POINT p{b->Left(), b->Top() + b->Height()};
    if (b->Parent())
        p = b->Parent()->ClientToScreen(p);
    customizeButton_->SetForcedDown(true);
    dropDownPopupMenu_->Popup(p.x, p.y);
    if (customizeButton_)
        customizeButton_->SetForcedDown(false);
}

// ---- images --------------------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::SetImages(TCustomImageList* value)
{
    if (value == images_)
        return;
    TCustomImageList* previous = images_;
    if (previous)
        previous->RemoveFreeNotification(this);
    images_ = value;
    if (value)
        value->FreeNotification(this);
    if (previous)
        SetHeight(Height() + (value ? value->Height() : 0) - previous->Height());
    ArrangeItems(true);
    Invalidate();
}

void TAdvCustomQuickAccessToolBar::SetDisabledImages(TCustomImageList* value)
{
    if (value == disabledImages_)
        return;
    if (disabledImages_)
        disabledImages_->RemoveFreeNotification(this);
    disabledImages_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

// ---- key tips ------------------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::ShowKeyTips()
{
    for (TControl* c : items_)
        if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(c))
            if (b->Enabled() && b->Visible() && b->Parent() == this)
                b->ShowShortCutHint();
}

void TAdvCustomQuickAccessToolBar::HideKeyTips()
{
    for (TControl* c : items_)
        if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(c))
            b->HideShortCutHint();
}

bool TAdvCustomQuickAccessToolBar::KeyTipPressed(const std::string& text, int& count)
{
    const std::string typed = UpperCase(text);
    // A click may change the item list: walk a copy.
    const std::vector<TControl*> items = items_;
    for (TControl* c : items) {
        auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(c);
        if (!b)
            continue;
        const std::string hint = UpperCase(b->ShortCutHint());
        if (hint == typed) {
            if (b->Enabled() && b->Visible()) {
                b->SetFocus();
                b->Invalidate();
                b->PerformKeyClick();
            }
            return true;
        }
        if (!hint.empty()) {
            if (hint.compare(0, typed.size(), typed) == 0)
                ++count;
            else
                b->HideShortCutHint();
        }
    }
    return false;
}

// ---- painting ------------------------------------------------------------------------------

void TAdvCustomQuickAccessToolBar::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
    Inherited(StaticClass(), m);
}

void TAdvCustomQuickAccessToolBar::Paint()
{
    if (!PagerStyler())
        return;
    if (showBelow_)
        PaintBelow();
    else
        PaintCaptionBand();
}

void TAdvCustomQuickAccessToolBar::PaintBelow()
{
    TQATAppearance* look = PagerStyler()->QATAppearance();
    TCanvas* c = Canvas();
    const RECT r = ContentRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(look->FullSizeColor());
    c->Pen()->SetColor(look->BorderColor());
    c->Pen()->SetWidth(1);
    if (look->FullSizeColorTo() == clNone) {
        c->Rectangle(r);
        return;
    }
    draw::DrawStepGradientInner(c, look->FullSizeColor(), look->FullSizeColorTo(), 80, r, false);
    c->Brush()->SetStyle(bsClear);
    auto line = [c](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    c->Pen()->SetColor(look->FullSizeBorderColor());
    line(r.left + 1, r.top, r.right - 1, r.top);
    line(r.right - 1, r.top + 1, r.right - 1, r.bottom - 2);
    line(r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 2);
    line(r.left, r.top + 1, r.left, r.bottom - 2);
    c->Pen()->SetColor(draw::BlendColors(clWhite, look->FullSizeColor(), 50));
    line(r.left + 1, r.top + 1, r.right - 1, r.top + 1);
    line(r.right, r.top, r.right, r.bottom - 1);
    line(r.left + 1, r.bottom - 1, r.right, r.bottom - 1);
    line(r.left + 1, r.top + 1, r.left + 1, r.bottom - 2);
}

void TAdvCustomQuickAccessToolBar::PaintCaptionBand()
{
    TCustomAdvToolBarStyler* styler = PagerStyler();
    TQATAppearance* look = styler->QATAppearance();
    const int W = Width(), H = Height(), t = H / 3;
    if (W <= 0 || H <= 0)
        return;
    RECT c = ContentRect();
    c.bottom -= 1;
    const int cw = c.right - c.left, ch = c.bottom - c.top;
    using draw::ColorToGPColor;

    HDC screen = Canvas()->Handle();
    // 1. The parent beneath the toolbar, in a working bitmap of the client size.
    HDC work = CreateCompatibleDC(screen);
    HBITMAP workBitmap = CreateCompatibleBitmap(screen, W, H);
    HGDIOBJ oldWork = SelectObject(work, workBitmap);
    PaintParentBackground(work);
    // 2. The bitmap that keeps the filled pill for step 7.
    HDC keep = CreateCompatibleDC(screen);
    HBITMAP keepBitmap = CreateCompatibleBitmap(screen, std::max(1, cw), std::max(1, ch + 6));
    HGDIOBJ oldKeep = SelectObject(keep, keepBitmap);
    {
        // 3. to 5. The pill: clipped to the band with the round right end, minus the curve
        // around the application button, and filled top to bottom.
        auto g = TGPGraphics::CreateFromHDC(work);
        g->SetSmoothingMode(4);
        const int m = styler->QATWideArc() ? 2 : 1;
        auto region = draw::TGPRegion::CreateRegionRect(
            draw::BuildRectF(F(c.left), F(c.top - 1), F(c.right - H / 2), F(c.bottom + 1)));
        auto rightEnd = draw::TGPGraphicsPath::CreatePath(0);
        rightEnd->AddPathEllipse(F(c.right - H - 6), F(c.top - 2), F(H + 4), F(H - 1));
        auto rightRegion = draw::TGPRegion::CreateRegionPath(rightEnd.get());
        region->CombineRegionRegion(rightRegion.get());
        auto leftCurve = draw::TGPGraphicsPath::CreatePath(0);
        leftCurve->AddPathEllipse(F(c.left - H + t + 2), F(c.top), F(H + m), F(H + t + 3));
        region->CombineRegionPath(leftCurve.get());
        g->SetClipRegion(region.get(), 0);
        auto brush = draw::TGPLinearGradientBrush::CreateLineBrushFromRect(
            draw::BuildRectF(F(c.left), F(c.top - 1), F(cw), F(ch)), ColorToGPColor(look->Color()),
            ColorToGPColor(look->ColorTo()), 1);
        g->FillRectWithBrush(brush.get(), F(c.left + 1), F(c.top), F(cw - 1), F(ch - 1));
    }
    // 6.
    BitBlt(keep, 0, 0, cw, ch + 6, work, 0, 0, SRCCOPY);
    {
        // 7. The two outlines; only their outer parts stay: the inside is copied back.
        auto g = TGPGraphics::CreateFromHDC(work);
        g->SetSmoothingMode(4);
        auto pen = draw::TGPPen::CreatePen1(ColorToGPColor(look->BorderColor()), 1.0f);
        draw::DrawGPArc(g.get(), pen.get(), c.right - H - 6, c.top - 2, H + 3, H - 1, 30, 360,
                        true);
        draw::DrawGPArc(g.get(), pen.get(), c.left - H + t + 2, c.top, H + 2, H + t + 4, 20, 360,
                        true);
    }
    const int backLeft = LeftMargin() - 1, backRight = c.right - H / 2;
    BitBlt(work, backLeft, c.top, backRight - backLeft, c.bottom - c.top, keep, backLeft, c.top,
           SRCCOPY);
    {
        // 8. The highlight above and the shade below.
        auto g = TGPGraphics::CreateFromHDC(work);
        g->SetSmoothingMode(4);
        TVistaTextBackground* caption = styler->PagerCaption();
        auto top = draw::TGPPen::CreatePen1(
            ColorToGPColor(draw::BlendColors(caption->Color(), look->BorderColor(), 60)), 1.0f);
        draw::DrawGPLine(g.get(), top.get(), c.left, c.top - 1, cw - 10, 0);
        auto bottom = draw::TGPPen::CreatePen1(
            ColorToGPColor(draw::BlendColors(caption->ColorMirror(), look->BorderColor(), 40)),
            1.0f);
        draw::DrawGPLine(g.get(), bottom.get(), c.left + t + 4, c.bottom, cw - 20, 0);
    }
    // 9.
    BitBlt(screen, 0, 0, W, H, work, 0, 0, SRCCOPY);
    SelectObject(keep, oldKeep);
    DeleteObject(keepBitmap);
    DeleteDC(keep);
    SelectObject(work, oldWork);
    DeleteObject(workBitmap);
    DeleteDC(work);
}

} // namespace toolbar
