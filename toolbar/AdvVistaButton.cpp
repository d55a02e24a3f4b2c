// The Vista glyph button: states, mouse handling and painting.
#include "AdvVistaButton.h"

#include "draw/GlowDrawing.h"
#include "toolbar/ToolBarGlowFace.h"

namespace toolbar {

using namespace classlib;
using controls::TGlowButtonAppearance;

CLASSLIB_PUBLISH(TAdvVistaButton) {}

CLASSLIB_MESSAGE_MAP(TAdvVistaButton)
{
    m.On(CM_MOUSEENTER, &TAdvVistaButton::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TAdvVistaButton::CMMouseLeave);
    m.On(WM_ERASEBKGND, &TAdvVistaButton::WMEraseBkgnd);
}

TAdvVistaButton::TAdvVistaButton(TComponent* owner) : TGraphicControl(owner)
{
    appearance_ = new TGlowButtonAppearance();
    appearance_->OnChange = TNotifyEvent(this, &TAdvVistaButton::AppearanceChanged);
    SetBounds(0, 0, 23, 22);
    SetControlStyle(TControlStyle{csCaptureMouse, csDoubleClicks});
    SetParentFont(true);
    Font()->SetName("Tahoma");
    SetShowHint(false);
}

TAdvVistaButton::~TAdvVistaButton()
{
    delete appearance_;
}

void TAdvVistaButton::SetGlyphKind(uint8_t kind)
{
    glyphKind_ = kind;
    Repaint();
}

void TAdvVistaButton::SetGlyphVariant(uint8_t variant)
{
    if (variant == glyphVariant_)
        return;
    glyphVariant_ = variant;
    Repaint();
}

void TAdvVistaButton::SetForcedDown(bool value)
{
    if (value == forcedDown_)
        return;
    forcedDown_ = value;
    Repaint();
}

void TAdvVistaButton::CMMouseEnter(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (ComponentState().Contains(csDesigning) || hot_)
        return;
    hot_ = true;
    if (Enabled() && !forcedDown_)
        Repaint();
}

void TAdvVistaButton::CMMouseLeave(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (ComponentState().Contains(csDesigning) || !hot_)
        return;
    hot_ = false;
    if (Enabled() && !forcedDown_)
        Repaint();
}

void TAdvVistaButton::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
    DefaultHandler(m);
}

void TAdvVistaButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled() && !ComponentState().Contains(csDesigning)) {
        pressed_ = true;
        Repaint();
    }
}

// The release clicks wherever the pointer is: the owner opens its pop-up on the press and the
// release must still end the press when the pointer has moved off the small button.
void TAdvVistaButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (ComponentState().Contains(csDesigning))
        return;
    Repaint();
    pressed_ = false;
    if (Enabled())
        Click();
}

void TAdvVistaButton::Paint()
{
    TGlowButtonAppearance::TSetKind kind = TGlowButtonAppearance::skNormal;
    if (!Enabled())
        kind = TGlowButtonAppearance::skDisabled;
    else if (pressed_ || forcedDown_)
        kind = TGlowButtonAppearance::skDown;
    else if (hot_)
        kind = TGlowButtonAppearance::skHot;
    const controls::TGlowColorSet colors = appearance_->ColorSet(kind);
    if (kind != TGlowButtonAppearance::skNormal) {
        // The face without caption, picture or drop-down part, as the pager's scroll buttons
        // draw it.
        TToolBarGlowFace f;
        f.R = ClientRect();
        f.Color = colors.Color;
        f.ColorTo = colors.ColorTo;
        f.ColorMirror = colors.ColorMirror;
        f.ColorMirrorTo = colors.ColorMirrorTo;
        f.BorderColor = colors.BorderColor;
        f.Gradient = colors.Gradient;
        f.GradientMirror = colors.GradientMirror;
        f.ShowCaption = false;
        f.DrawPicture = false;
        f.Font = Font();
        f.Layout = controls::blGlyphLeft;
        f.Enabled = Enabled();
        f.AntiAlias = draw::aaNone;
        f.Hot = hot_;
        f.Position = draw::bpStandalone;
        f.ShowBorder = true;
        f.Rounded = true;
        f.Spacing = 2;
        DrawToolBarGlowFace(Canvas(), f);
    }
    DrawGlyph(colors.BorderColor);
}

void TAdvVistaButton::DrawGlyph(TColor borderColor)
{
    TCanvas* c = Canvas();
    const RECT r = ClientRect();
    const int cx = Width() / 2, cy = Height() / 2;
    const int R = r.right, t = r.top + 6, b = r.bottom - 4;
    auto line = [c](int x1, int y1, int x2, int y2) {
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    auto pixel = [c](int x, int y, TColor colour) {
        SetPixel(c->Handle(), x, y, ColorToRGB(colour));
    };
    const TColor arrow = draw::BlendColors(clBlack, borderColor, 50);
    if (glyphKind_ == 0) {
        c->Pen()->SetColor(arrow);
        pixel(cx - 1, cy, arrow);
        line(cx, cy - 1, cx, cy + 2);
        line(cx + 1, cy - 2, cx + 1, cy + 3);
    } else if (glyphKind_ == 2 && glyphVariant_ == 0) {
        c->Pen()->SetColor(arrow);
        line(cx - 1, cy - 2, cx - 1, cy + 3);
        line(cx, cy - 1, cx, cy + 2);
        pixel(cx + 1, cy, arrow);
    } else if (glyphKind_ == 2 && glyphVariant_ == 1) {
        c->Pen()->SetColor(clBlack);
        line(R - 6, t + 5, R - 6, t + 8);
        line(R - 6, t + 6, R - 4, t + 6);
        line(R - 10, t + 5, R - 10, t + 8);
        line(R - 10, t + 6, R - 8, t + 6);
        c->Pen()->SetColor(clWhite);
        line(R - 5, t + 7, R - 5, t + 9);
        line(R - 5, t + 7, R - 3, t + 7);
        line(R - 9, t + 7, R - 9, t + 9);
        line(R - 9, t + 7, R - 7, t + 7);
    } else if (glyphKind_ == 3) {
        c->Pen()->SetColor(clBlack);
        line(R - 9, b - 9, R - 4, b - 9);
        line(R - 9, b - 7, R - 4, b - 7);
        line(R - 8, b - 6, R - 5, b - 6);
        pixel(R - 7, b - 5, clBlack);
    }
}

} // namespace toolbar
