// The toolbar container: attaching to a toolbar, the styler's look for the glow buttons inside,
// placing dropped controls at design time, and the see-through etched frame.
#include "AdvToolBarContainer.h"

#include "controls/AdvGlowButton.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/KeyTips.h"

#include "core/ComponentStream.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

CLASSLIB_PUBLISH(TAdvToolBarContainer)
{
    using C = TAdvToolBarContainer;
    c.Property("Caption", &C::Caption, &C::SetCaption);
    c.Property("Color", &C::Color, &C::SetColor);
    c.Property("OfficeHint", &C::OfficeHint, &C::SetOfficeHint);
    c.Property("LineColor", &C::LineColor, &C::SetLineColor);
    c.Property("ParentStyler", &C::ParentStyler, &C::SetParentStyler).SetDefault(true);
    c.Property("Line3D", &C::Line3D, &C::SetLine3D);
}

CLASSLIB_MESSAGE_MAP(TAdvToolBarContainer)
{
    m.On(WM_ERASEBKGND, &TAdvToolBarContainer::WMEraseBkgnd);
    m.On(CM_MOUSEENTER, &TAdvToolBarContainer::CMMouseEnter);
    m.On(CM_CONTROLCHANGE, &TAdvToolBarContainer::CMControlChange);
}

TAdvToolBarContainer::TAdvToolBarContainer(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} - TControlStyle{csOpaque};
    SetDoubleBuffered(true);
    color_ = new TGradientBackground();
    color_->OnChange = TNotifyEvent(this, &TAdvToolBarContainer::ColorChanged);
    officeHint_ = new draw::TAdvHintInfo();
}

TAdvToolBarContainer::~TAdvToolBarContainer()
{
    delete color_;
    delete officeHint_;
}

void TAdvToolBarContainer::SetCaption(const std::string& value)
{
    TControl::SetCaption(value);
    Invalidate();
}

void TAdvToolBarContainer::SetLineColor(TColor value)
{
    lineColor_ = value;
    Invalidate();
}

void TAdvToolBarContainer::SetParentStyler(bool value)
{
    parentStyler_ = value;
    Invalidate();
}

void TAdvToolBarContainer::SetLine3D(bool value)
{
    line3D_ = value;
    Invalidate();
}

void TAdvToolBarContainer::ColorChanged(TObject*)
{
    TControl::SetColor(color_->Color());
    Invalidate();
}

void TAdvToolBarContainer::SetToolBar(TAdvCustomToolBar* toolBar)
{
    if (toolBar == toolBar_)
        return;
    if (toolBar_)
        toolBar_->RemoveFreeNotification(this);
    toolBar_ = toolBar;
    if (toolBar_)
        toolBar_->FreeNotification(this);
    for (int i = 0; i < ControlCount(); ++i) {
        if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(Controls(i)); b && toolBar_)
            HandKeysToToolBar(b);
    }
    Invalidate();
}

// The toolbar's key handler moves the focus across the glow buttons here as across its own.
void TAdvToolBarContainer::HandKeysToToolBar(controls::TAdvCustomGlowButton* button)
{
    button->OnInternalKeyDown =
        TKeyEvent(ToolBarKeyHandler(toolBar_), &TToolBarKeyHandler::KeyDown);
}

void TAdvToolBarContainer::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == toolBar_)
        toolBar_ = nullptr;
}

void TAdvToolBarContainer::ReadState(TReader& reader)
{
    TCustomControl::ReadState(reader);
    if (auto* toolBar = dynamic_cast<TAdvCustomToolBar*>(reader.Parent()))
        SetToolBar(toolBar);
}

void TAdvToolBarContainer::Loaded()
{
    TCustomControl::Loaded();
    ApplyStylerToButtons();
    Invalidate();
}

void TAdvToolBarContainer::ApplyStylerToButtons()
{
    if (!toolBar_ || !toolBar_->CurrentStyler())
        return;
    TCustomAdvToolBarStyler* styler = toolBar_->CurrentStyler();
    auto* styled = dynamic_cast<controls::IAdvComponentStyle*>(styler);
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        if (auto* button = dynamic_cast<controls::TAdvGlowButton*>(child))
            button->Appearance()->Assign(styler->GlowButtonAppearance());
        if (styled && styler->ComponentStyle() != 8)
            if (auto* target = dynamic_cast<controls::IAdvComponentStyle*>(child))
                target->ApplyStyle(styler->ComponentStyle());
    }
}

void TAdvToolBarContainer::CMControlChange(TMessage& m)
{
    Inherited(StaticClass(), m);
    auto* inserted = reinterpret_cast<TControl*>(m.WParam);
    if (!inserted || !m.LParam)
        return;
    if (auto* b = dynamic_cast<controls::TAdvCustomGlowButton*>(inserted); b && toolBar_)
        HandKeysToToolBar(b);
    if (!ComponentState().Contains(csDesigning))
        return;
    // A control dropped at design time goes to the right of the others.
    int right = 0;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i) != inserted)
            right = std::max(right, Controls(i)->Left() + Controls(i)->Width());
    if (right > 0 && right < Width())
        inserted->SetLeft(right);
}

void TAdvToolBarContainer::CMMouseEnter(TMessage& m)
{
    Inherited(StaticClass(), m);
    Invalidate();
}

void TAdvToolBarContainer::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
    DefaultHandler(m);
}

void TAdvToolBarContainer::Paint()
{
    TCustomControl::Paint();
    TCanvas* c = Canvas();
    // The part of the parent beneath the container is its background.
    PaintParentBackground(c->Handle());

    bool line3D = line3D_;
    TColor lineColor = lineColor_;
    if (toolBar_ && parentStyler_ && toolBar_->CurrentStyler()) {
        TContainerAppearance* look = toolBar_->CurrentStyler()->ContainerAppearance();
        line3D = look->Line3D();
        lineColor = look->LineColor();
    }
    if (lineColor == clNone)
        return;
    c->Brush()->SetStyle(bsClear);

    const int W = ClientWidth(), H = ClientHeight(), i = frameInset_;
    const std::string caption = Caption();
    int r = 0;
    if (!caption.empty()) {
        c->Font()->SetColor(clBlack);
        RECT box{10, 0, W, H};
        std::string text = caption;
        c->DrawText(text, box, DT_SINGLELINE | DT_LEFT | DT_TOP);
        RECT measured{10, 0, W, H};
        c->DrawText(text, measured, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_CALCRECT);
        r = measured.right;
    }
    auto line = [c](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    auto topLine = [&](int y) {
        if (caption.empty()) {
            line(0, y, W - i, y);
        } else {
            line(0, y, 9, y);
            line(r + 1, y, W - i, y);
        }
    };
    c->Pen()->SetColor(lineColor);
    c->Pen()->SetWidth(1);
    topLine(i + 2);
    if (line3D) {
        c->Pen()->SetColor(clWhite);
        topLine(i + 3);
        c->Pen()->SetColor(lineColor);
    }
    line(0, i + 2, 0, H - i);
    line(0, H - i, W - i, H - i);
    line(W - i, H - i, W - i, i + 2);
    if (line3D) {
        c->Pen()->SetColor(clWhite);
        line(1, i + 3, 1, H - i);
        line(1, H - i + 1, W - i + 1, H - i + 1);
        line(W - i + 1, H - i + 1, W - i + 1, i + 2);
    }
}

} // namespace toolbar
