#include "toolbar/AdvPageScrollButton.h"

#include "draw/GlowDrawing.h"
#include "toolbar/ToolBarGlowFace.h"

using namespace classlib;
using namespace controls;
using namespace draw;

namespace toolbar {

CLASSLIB_PUBLISH(TAdvPageScrollButton) {}

CLASSLIB_MESSAGE_MAP(TAdvPageScrollButton)
{
    m.On(CM_MOUSEENTER, &TAdvPageScrollButton::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TAdvPageScrollButton::CMMouseLeave);
    m.On(WM_ERASEBKGND, &TAdvPageScrollButton::WMEraseBkgnd);
}

TAdvPageScrollButton::TAdvPageScrollButton(TComponent* owner)
    : TCustomControl(owner), appearance_(std::make_unique<TGlowButtonAppearance>())
{
    SetBounds(0, 0, 22, 23);
    controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
    SetParentFont(true);
    Font()->SetName("Tahoma");
    SetShowHint(false);
    appearance_->OnChange = TNotifyEvent(this, &TAdvPageScrollButton::AppearanceChanged);
}

TAdvPageScrollButton::~TAdvPageScrollButton() = default;

bool TAdvPageScrollButton::Designing() const
{
    return ComponentState().Contains(csDesigning);
}

void TAdvPageScrollButton::SetArrowDirection(uint8_t value)
{
    direction_ = value;
    Invalidate();
}

void TAdvPageScrollButton::CMMouseEnter(TMessage& m)
{
    Inherited(TAdvPageScrollButton::StaticClass(), m);
    if (Designing() || hot_)
        return;
    hot_ = true;
    if (Enabled())
        Invalidate();
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TAdvPageScrollButton::CMMouseLeave(TMessage& m)
{
    Inherited(TAdvPageScrollButton::StaticClass(), m);
    if (Designing() || !hot_)
        return;
    hot_ = false;
    if (Enabled())
        Invalidate();
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TAdvPageScrollButton::AppearanceChanged(TObject*)
{
    Invalidate();
}

void TAdvPageScrollButton::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
    Inherited(TAdvPageScrollButton::StaticClass(), m);
}

void TAdvPageScrollButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled() && !Designing()) {
        down_ = true;
        Invalidate();
    }
}

void TAdvPageScrollButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (Designing())
        return;
    Invalidate();
    down_ = false;
    // The click comes on release wherever the pointer is: the owner's OnClick scrolls.
    if (Enabled())
        Click();
}

void TAdvPageScrollButton::PaintParentIn(HRGN region)
{
    HDC dc = Canvas()->Handle();
    SelectClipRgn(dc, region);
    PaintParentBackground(dc);
    SelectClipRgn(dc, nullptr);
    DeleteObject(region);
}

void TAdvPageScrollButton::Paint()
{
    const int w = Width(), h = Height();
    const bool showParent = transparent_ && !hot_;
    if (showParent && Parent())
        PaintParentIn(CreateRectRgn(0, 0, w, h));

    TGlowColorSet set = appearance_->ColorSet(TGlowButtonAppearance::skNormal);
    if (!Enabled())
        set = appearance_->ColorSet(TGlowButtonAppearance::skDisabled);
    else if (down_)
        set = appearance_->ColorSet(TGlowButtonAppearance::skDown);
    else if (hot_)
        set = appearance_->ColorSet(TGlowButtonAppearance::skHot);
    // A pressed member of a group keeps the group's border.
    if (position_ != bpStandalone && down_)
        set.BorderColor = appearance_->BorderColor();

    TToolBarGlowFace f;
    f.R = RECT{0, 0, w, h};
    f.Color = set.Color;
    f.ColorTo = set.ColorTo;
    f.ColorMirror = set.ColorMirror;
    f.ColorMirrorTo = set.ColorMirrorTo;
    f.BorderColor = set.BorderColor;
    f.Gradient = set.Gradient;
    f.GradientMirror = set.GradientMirror;
    f.Font = Font();
    f.Layout = blGlyphLeft;
    f.Enabled = Enabled();
    f.AntiAlias = aaNone;
    f.Hot = hot_;
    f.Position = position_;
    f.TransparentFace = transparent_ && !hot_ && !down_;
    f.Rounded = true;
    f.Spacing = 2;
    DrawToolBarGlowFace(Canvas(), f);

    TCanvas* c = Canvas();
    c->Pen()->SetColor(BlendColors(clBlack, set.BorderColor, 50));
    const int cx = w / 2, cy = h / 2;
    auto line = [&](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    if (direction_ == adLeft) {
        line(cx - 1, cy, cx, cy);
        line(cx, cy - 1, cx, cy + 2);
        line(cx + 1, cy - 2, cx + 1, cy + 3);
    } else if (direction_ == adRight) {
        line(cx - 1, cy - 2, cx - 1, cy + 3);
        line(cx, cy - 1, cx, cy + 2);
        line(cx + 1, cy, cx + 2, cy);
    }

    // The corners the border shape leaves open show the parent.
    if (Parent() && !showParent) {
        const bool left = position_ == bpStandalone || position_ == bpLeft;
        const bool right = position_ == bpStandalone || position_ == bpRight;
        HRGN corners = CreateRectRgn(0, 0, 0, 0);
        auto add = [&](int x, int y) {
            HRGN pixel = CreateRectRgn(x, y, x + 1, y + 1);
            CombineRgn(corners, corners, pixel, RGN_OR);
            DeleteObject(pixel);
        };
        if (left) {
            add(0, 0);
            add(0, h - 1);
        }
        if (right) {
            add(w - 1, 0);
            add(w - 1, h - 1);
        }
        if (left || right)
            PaintParentIn(corners);
        else
            DeleteObject(corners);
    }
}

} // namespace toolbar
