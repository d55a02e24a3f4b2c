// A toolbar as a group on a ribbon page: its glow buttons' size steps (large to label to glyph
// and back), compact mode with its compact button and window, and the hover fade.
#include <algorithm>
#include <cstdlib>

#include "controls/AdvGlowButton.h"
#include "draw/GlowDrawing.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarContainer.h"
#include "toolbar/AdvToolBarPager.h"
#include "toolbar/CompactWindow.h"
#include "toolbar/MinimizedRibbonWindow.h"
#include "toolbar/PopupPlacement.h"

using namespace classlib;
using controls::bsGlyph;
using controls::bsLabel;
using controls::bsLarge;
using controls::TAdvCustomGlowButton;
using controls::TAdvGlowButton;
using controls::TButtonSizeState;

namespace toolbar {

namespace {

TAdvCustomGlowButton* GlowButton(TControl* c)
{
    return dynamic_cast<TAdvCustomGlowButton*>(c);
}

bool CanShrinkFrom(TControl* c, TButtonSizeState s)
{
    TAdvCustomGlowButton* b = GlowButton(c);
    return b && b->AutoSize() && b->SizeState() == s && b->MinButtonSizeState() < s;
}

bool CanGrowFrom(TControl* c, TButtonSizeState s)
{
    TAdvCustomGlowButton* b = GlowButton(c);
    return b && b->SizeState() == s && s < b->MaxButtonSizeState();
}

// The width of the button in `state`: taken (applied) or only measured.
int WidthIn(TControl* c, TButtonSizeState state, bool apply)
{
    TAdvCustomGlowButton* b = GlowButton(c);
    if (apply) {
        b->SetSizeState(state);
        return b->Width();
    }
    if (b->SizeState() == bsGlyph) {
        // The button measures its label state from the glyph state without its caption, so the
        // label width is taken and the glyph state given back (the width comes back with it).
        b->SetSizeState(state);
        const int width = b->Width();
        b->SetSizeState(bsGlyph);
        return width;
    }
    SIZE size{};
    b->CalcButtonSize(state, size);
    return size.cx;
}

// The last index n (from the end) where the controls n and n - 1 both pass `test`; -1 when none.
template <typename Test>
int LastPair(const std::vector<TControl*>& order, Test test)
{
    for (int n = static_cast<int>(order.size()) - 1; n >= 1; --n)
        if (test(order[n]) && test(order[n - 1]))
            return n;
    return -1;
}

// Sets a flag for the duration of a step.
struct FlagScope {
    bool& flag;
    bool saved;
    explicit FlagScope(bool& f) : flag(f), saved(f) { flag = true; }
    ~FlagScope() { flag = saved; }
};

} // namespace

bool TAdvCustomToolBar::OnPageOrCompact() const
{
    return dynamic_cast<TAdvPage*>(Parent()) || dynamic_cast<TCompactWindow*>(Parent());
}

std::vector<TControl*> TAdvCustomToolBar::VisibleOrder() const
{
    std::vector<TControl*> order;
    for (TControl* c : controlOrder_)
        if (c->Visible())
            order.push_back(c);
    return order;
}

// Columns of small glow buttons, three to a column; any other control (a large button too)
// stands in a column of its own.
void TAdvCustomToolBar::ArrangeColumns()
{
    const bool designing = ComponentState().Contains(csDesigning);
    const int top = AcrossStart();
    int x = AlongStart(), y = top;
    int columnWidth = 0, inColumn = 0;
    auto endColumn = [&] {
        if (inColumn > 0)
            x += columnWidth;
        columnWidth = 0;
        inColumn = 0;
        y = top;
    };
    for (TControl* c : controlOrder_) {
        if (!c->Visible() && !designing) {
            MoveOutOfSight(c);
            continue;
        }
        TAdvCustomGlowButton* b = GlowButton(c);
        if (b && b->SizeState() != bsLarge) {
            c->SetBounds(x, y, c->Width(), c->Height());
            columnWidth = std::max(columnWidth, c->Width());
            if (++inColumn == 3)
                endColumn();
            else
                y += c->Height();
        } else {
            endColumn();
            c->SetBounds(x, top, c->Width(), c->Height());
            x += c->Width();
        }
    }
}

// ---- size steps -------------------------------------------------------------------------------

int TAdvCustomToolBar::ShrinkStep(int& kind, bool apply)
{
    if (!autoArrangeButtons_ || !autoSizeToolBar_ || !OnPageOrCompact() || compact_)
        return 0;
    int oldWidth = 0, newWidth = 0;
    bool taken = false;
    {
        FlagScope arranging(arranging_), guard(reparenting_);
        const std::vector<TControl*> order = VisibleOrder();
        const int n = LastPair(order, [](TControl* c) { return CanShrinkFrom(c, bsLarge); });
        if (n >= 0) {
            for (int i = 0; i < 3 && n - i >= 0 && CanShrinkFrom(order[n - i], bsLarge); ++i) {
                oldWidth += order[n - i]->Width();
                newWidth = std::max(newWidth, WidthIn(order[n - i], bsLabel, apply));
            }
            kind = 1;
            taken = true;
        } else {
            const int d = LastPair(order, [](TControl* c) { return CanShrinkFrom(c, bsLabel); });
            if (d >= 0) {
                for (int i = 0; i < 3 && d - i >= 0; ++i) {
                    TControl* c = order[d - i];
                    if (c->Left() != order[d]->Left() || !CanShrinkFrom(c, bsLabel))
                        break;
                    oldWidth = std::max(oldWidth, c->Width());
                    newWidth = std::max(newWidth, WidthIn(c, bsGlyph, apply));
                }
                kind = 0;
                taken = true;
            }
        }
    }
    if (apply && taken)
        ArrangeControls(true);
    return std::abs(oldWidth - newWidth);
}

int TAdvCustomToolBar::GrowStep(int& kind, bool apply)
{
    if (!autoArrangeButtons_ || !autoSizeToolBar_ || !OnPageOrCompact() || compact_)
        return 0;
    int oldWidth = 0, newWidth = 0;
    bool taken = false;
    {
        FlagScope arranging(arranging_), guard(reparenting_);
        const std::vector<TControl*> order = VisibleOrder();
        const int n = LastPair(order, [](TControl* c) { return CanGrowFrom(c, bsGlyph); });
        if (n >= 0) {
            for (int i = 0; i < 3 && n - i >= 0; ++i) {
                TControl* c = order[n - i];
                if (c->Left() != order[n]->Left() || !CanGrowFrom(c, bsGlyph))
                    break;
                oldWidth = std::max(oldWidth, c->Width());
                newWidth = std::max(newWidth, WidthIn(c, bsLabel, apply));
            }
            kind = 1;
            taken = true;
        } else {
            const int d = LastPair(order, [](TControl* c) { return CanGrowFrom(c, bsLabel); });
            if (d >= 0) {
                for (int i = 0; i < 3 && d - i >= 0 && CanGrowFrom(order[d - i], bsLabel); ++i) {
                    oldWidth = std::max(oldWidth, order[d - i]->Width());
                    newWidth += WidthIn(order[d - i], bsLarge, apply);
                }
                kind = 2;
                taken = true;
            }
        }
    }
    if (apply && taken)
        ArrangeControls(true);
    return std::abs(newWidth - oldWidth);
}

void TAdvCustomToolBar::ShrinkAll()
{
    int kind = 0;
    while (ShrinkStep(kind, true) > 0) {
    }
}

void TAdvCustomToolBar::GrowAll()
{
    int kind = 0;
    while (GrowStep(kind, true) > 0) {
    }
}

// ---- compact mode -----------------------------------------------------------------------------

int TAdvCustomToolBar::ExpandedWidth()
{
    if (!compact_ || !dynamic_cast<TAdvPage*>(Parent()) || !compactClone_)
        return Width();
    if (savedAutoArrange_ && savedAutoSize_ && !shrunk_) {
        // The clone's own flags are off while it sits in the window; it shrinks with the
        // toolbar's saved ones.
        compactClone_->autoArrangeButtons_ = true;
        compactClone_->autoSizeToolBar_ = true;
        compactClone_->ShrinkAll();
        compactClone_->autoArrangeButtons_ = false;
        compactClone_->autoSizeToolBar_ = false;
        shrunk_ = true;
    }
    return compactClone_->Width();
}

int TAdvCustomToolBar::CompactedWidth() const
{
    return dynamic_cast<TAdvPage*>(Parent()) ? compactWidth_ : Width();
}

void TAdvCustomToolBar::SyncClone(TAdvCustomToolBar* k, bool moveControls)
{
    k->SetToolBarStyler(currentStyler_ != internalStyler_ ? currentStyler_ : assignedStyler_);
    k->autoArrangeButtons_ = false;
    k->autoSizeToolBar_ = false;
    TSizeConstraints* limits = k->Constraints();
    limits->SetMinWidth(0);
    limits->SetMaxWidth(0);
    limits->SetMinHeight(0);
    limits->SetMaxHeight(0);
    k->SetAllowFloating(allowFloating_);
    k->SetCaption(Caption());
    k->SetWideCaption(wideCaption_);
    k->SetCaptionFont(captionFont_);
    k->SetCaptionHeight(captionHeight_);
    k->SetCaptionAtEnd(captionAtEnd_);
    k->SetCaptionAlignment(captionAlignment_);
    k->SetFullRightHandle(fullRightHandle_);
    k->SetShowClose(showClose_);
    k->SetShowOptionIndicator(showOptionIndicator_);
    k->SetEnabled(Enabled());
    k->SetImages(images_);
    k->SetDisabledImages(disabledImages_);
    k->SetShowHint(ShowHint());
    k->Font()->Assign(Font());
    k->OnOptionClick = OnOptionClick;
    if (!moveControls)
        return;
    const std::vector<TControl*> order = controlOrder_;
    k->SetBounds(k->Left(), k->Top(), Width(), Height());
    k->SetShowCaption(showCaption_);
    SetShowCaption(false);
    while (ControlCount() > 0) {
        TControl* c = Controls(0);
        const int left = c->Left(), top = c->Top();
        c->SetParent(k);
        c->SetBounds(left, top, c->Width(), c->Height());
    }
    if (k->controlOrder_.size() == order.size())
        k->controlOrder_ = order;
}

void TAdvCustomToolBar::SetCompact(bool value)
{
    if (value == compact_ || !dynamic_cast<TAdvPage*>(Parent()) || !loadedOnce_ || noCompact_)
        return;
    FlagScope switching(switching_);
    if (value) {
        savedAutoArrange_ = autoArrangeButtons_;
        savedAutoSize_ = autoSizeToolBar_;
        SetAutoArrangeButtons(false);
        if (!compactWindow_) {
            compactWindow_ = new TCompactWindow(this);
            if (!Name().empty())
                compactWindow_->SetName(Name() + "_CompactWindow");
            compactWindow_->SetBorderIcons(TBorderIcons{});
            compactWindow_->SetBorderStyle(bsNone);
            compactWindow_->SetFormStyle(fsStayOnTop);
            compactWindow_->SetVisible(false);
            compactWindow_->SetBounds(0, 0, 30, 30);
            compactWindow_->SetBorderWidth(0);
        }
        if (!compactClone_) {
            compactClone_ = new TAdvCustomToolBar(compactWindow_);
            if (!Name().empty())
                compactClone_->SetName(Name() + "_SelfClone");
            compactClone_->SetParent(compactWindow_);
            compactClone_->compactClone_ = this;
            compactClone_->loadedOnce_ = true;
            compactClone_->OnDblClick = OnDblClick;
            compactClone_->OnKeyPress = OnKeyPress;
            compactClone_->OnKeyDown = OnKeyDown;
            compactClone_->OnKeyUp = OnKeyUp;
        }
        compactWindow_->SetAdvToolBar(compactClone_);
        compactWindow_->FitToToolBar();
        SyncClone(compactClone_, true);
        compactWindow_->FitToToolBar();
        SetBounds(Left(), Top(), CompactedWidth(), Height());

        compactButton_ = new TAdvGlowButton(this);
        compactButton_->SetFocusType(controls::ftNone);
        if (images_ && compactImageIndex_ >= 0) {
            compactButton_->SetImages(Enabled() || !disabledImages_ ? images_ : disabledImages_);
            compactButton_->SetImageIndex(compactImageIndex_);
        }
        compactButton_->SetCaption(compactCaption_);
        compactButton_->SetParent(this);
        compactButton_->SetBounds(0, 0, compactWidth_, Height());
        compactButton_->SetVisible(true);
        compactButton_->SetLayout(controls::blGlyphTop);
        if (currentStyler_->CompactGlowButtonAppearance())
            compactButton_->SetAppearance(currentStyler_->CompactGlowButtonAppearance());
        compactButton_->SetDropDownButton(true);
        compactButton_->SetDropDownPosition(controls::dpBottom);
        compactButton_->SetDropDownSplit(false);
        compactButton_->OnClick = TNotifyEvent(this, &TAdvCustomToolBar::ShowCompactWindow);
        compactButton_->SetStyle(controls::bsCheck);
        compactButton_->SetShortCutHint(compactKeyTip_);
        compactButton_->SetShortCutHintPos(controls::shpBelowBottomCenter);
        compact_ = true;
        Invalidate();
        return;
    }
    TAdvCustomToolBar* k = compactClone_;
    const std::vector<TControl*> order = k ? k->controlOrder_ : std::vector<TControl*>{};
    const int expanded = ExpandedWidth();
    SetBounds(Left(), Top(), expanded, Height());
    if (k)
        SetShowCaption(k->ShowCaption());
    autoArrangeButtons_ = false;
    autoSizeToolBar_ = false;
    TAdvGlowButton* button = compactButton_;
    compactButton_ = nullptr;
    delete button;
    if (k) {
        while (k->ControlCount() > 0) {
            TControl* c = k->Controls(0);
            const int left = c->Left(), top = c->Top();
            c->SetParent(this);
            c->SetBounds(left, top, c->Width(), c->Height());
        }
        if (controlOrder_.size() == order.size())
            controlOrder_ = order;
    }
    if (compactWindow_) {
        if (k)
            k->SetToolBarStyler(nullptr);
        compactClone_ = nullptr;
        TCompactWindow* window = compactWindow_;
        compactWindow_ = nullptr;
        delete window;
    }
    compact_ = false;
    SetAutoSizeToolBar(savedAutoSize_);
    SetAutoArrangeButtons(savedAutoArrange_);
    if (savedAutoArrange_ && !savedAutoSize_)
        autoSizeToolBar_ = false;
    Invalidate();
}

void TAdvCustomToolBar::ShowCompactWindow(TObject* sender)
{
    if (!compact_ || !compactWindow_)
        return;
    TAdvCustomToolBar* k = compactClone_;
    if (k && savedAutoArrange_ && savedAutoSize_ && dynamic_cast<TAdvPage*>(Parent()) && shrunk_) {
        k->autoArrangeButtons_ = true;
        k->autoSizeToolBar_ = true;
        k->ArrangeControls(true);
        k->GrowAll();
        k->autoArrangeButtons_ = false;
        k->autoSizeToolBar_ = false;
        shrunk_ = false;
    }
    POINT p{Left(), Top() + Height() + 1};
    if (Parent())
        p = Parent()->ClientToScreen(p);
    compactWindow_->SetDropDownButton(dynamic_cast<TAdvGlowButton*>(sender));
    compactWindow_->FitToToolBar();
    const int w = compactWindow_->Width(), h = compactWindow_->Height();
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoA(monitor, &info)) {
        const draw::TIntPoint at =
            PlacePopup(p.x, p.y, w, h,
                       draw::TIntRect{info.rcWork.left, info.rcWork.top, info.rcWork.right,
                                      info.rcWork.bottom},
                       draw::TIntRect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                                      info.rcMonitor.bottom});
        p = POINT{at.X, at.Y};
    }
    TMinimizedRibbonWindow* ribbon = nullptr;
    for (TWinControl* up = Parent(); up && !ribbon; up = up->Parent())
        ribbon = dynamic_cast<TMinimizedRibbonWindow*>(up);
    const bool keepOpen = ribbon && ribbon->AutoHide();
    if (ribbon)
        ribbon->SetAutoHide(false);
    // Shown at no size first, so that nothing flashes at the old place.
    compactWindow_->SetBounds(p.x, p.y, 0, 0);
    compactWindow_->Show();
    compactWindow_->SetBounds(p.x, p.y, w, h);
    compactWindow_->SetRoundedRegion();
    if (ribbon)
        ribbon->SetAutoHide(keepOpen);
}

void TAdvCustomToolBar::HideCompactWindow()
{
    if (compact_ && compactWindow_ && compactWindow_->Visible())
        compactWindow_->Hide();
}

void TAdvCustomToolBar::RefreshCompactAppearance()
{
    if (compact_ && compactButton_ && currentStyler_->CompactGlowButtonAppearance())
        compactButton_->SetAppearance(currentStyler_->CompactGlowButtonAppearance());
}

// The form's menu bar is drawn again once the compact window is gone.
void TAdvCustomToolBar::CMCompactWinHide(TMessage&)
{
    TCustomForm* form = classlib::GetParentForm(this);
    while (form && form->Parent() && classlib::GetParentForm(form->Parent()))
        form = classlib::GetParentForm(form->Parent());
    if (form && form->HandleAllocated() && GetMenu(form->Handle())) {
        form->SetHeight(form->Height() + 1);
        form->SetHeight(form->Height() - 1);
    }
}

// ---- hover fade -------------------------------------------------------------------------------

void TAdvCustomToolBar::CMMouseEnter(TMessage& m)
{
    Inherited(StaticClass(), m);
    StartFade(true);
}

void TAdvCustomToolBar::StartFade(bool hot)
{
    if (!OnPageOrCompact() || ComponentState().Contains(csDesigning))
        return;
    fadeHot_ = hot;
    if (!fadeTimer_) {
        fadeTimer_ = new TTimer(this);
        fadeTimer_->SetInterval(controls::GlowFadeInterval);
        fadeTimer_->SetOnTimer(TNotifyEvent(this, &TAdvCustomToolBar::FadeStep));
    }
    fadeStep_ = hot ? 20 : -20;
    Invalidate();
}

void TAdvCustomToolBar::FadeStep(TObject*)
{
    fadePosition_ += fadeStep_;
    if ((fadeStep_ > 0 && fadePosition_ > 100) || (fadeStep_ < 0 && fadePosition_ < 0) ||
        currentStyler_->ColorHot()->Color() == clNone) {
        TTimer* timer = fadeTimer_;
        fadeTimer_ = nullptr;
        delete timer;
        Invalidate();
        return;
    }
    Invalidate();
    for (TControl* c : controlOrder_) {
        if (dynamic_cast<TAdvToolBarContainer*>(c) || dynamic_cast<TAdvGlowButton*>(c) ||
            c->ClassName().find("AdvOffice") != std::string::npos)
            c->Invalidate();
    }
    if (fadePosition_ > 0)
        for (int i = 0; i < ControlCount(); ++i)
            if (auto* container = dynamic_cast<TAdvToolBarContainer*>(Controls(i)))
                for (int j = 0; j < container->ControlCount(); ++j)
                    container->Controls(j)->Invalidate();
}

void TAdvCustomToolBar::CaptionColors(TColor& color, TColor& colorTo, TColor& border,
                                      TColor& text) const
{
    TCaptionAppearance* a = currentStyler_->CaptionAppearance();
    color = a->CaptionColor();
    colorTo = a->CaptionColorTo();
    border = a->CaptionBorderColor();
    text = a->CaptionTextColor();
    const TColor hot = a->CaptionColorHot(), hotTo = a->CaptionColorHotTo(),
                 hotBorder = a->CaptionBorderColorHot(), hotText = a->CaptionTextColorHot();
    if (fadeTimer_ && hot != clNone) {
        const int p = std::clamp(fadePosition_, 0, 100);
        color = draw::BlendColors(hot, color, p);
        if (hotTo != clNone && colorTo != clNone)
            colorTo = draw::BlendColors(hotTo, colorTo, p);
        if (border != clNone || hotBorder != clNone)
            border = draw::BlendColors(hotBorder != clNone ? hotBorder : border,
                                       border != clNone ? border : hotBorder, p);
        if (hotText != clNone)
            text = draw::BlendColors(hotText, text != clNone ? text : hotText, p);
        return;
    }
    if (fadeHot_) {
        if (hot != clNone)
            color = hot;
        if (hotTo != clNone)
            colorTo = hotTo;
        if (hotBorder != clNone)
            border = hotBorder;
        if (hotText != clNone)
            text = hotText;
    }
}

} // namespace toolbar
