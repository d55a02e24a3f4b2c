#include "AdvGroupBox.h"

#include "windows/Graphics.h"
#include "windows/Messages.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvGroupBox)
{
    c.Property("BorderStyle", &TAdvGroupBox::BorderStyle, &TAdvGroupBox::SetBorderStyle).SetDefault(bsSingle);
    c.Property("Transparent", &TAdvGroupBox::Transparent, &TAdvGroupBox::SetTransparent).SetDefault(true);
    c.Property("RoundEdges", &TAdvGroupBox::RoundEdges, &TAdvGroupBox::SetRoundEdges).SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TAdvGroupBox)
{
    m.On(WM_ERASEBKGND, &TAdvGroupBox::WMEraseBkgnd);
    m.On(CM_TEXTCHANGED, &TAdvGroupBox::CMTextChanged);
}

TAdvGroupBox::TAdvGroupBox(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                  csReplicatable, csParentBackground};
    SetBounds(0, 0, 185, 105);
}

void TAdvGroupBox::SetBorderStyle(TBorderStyle value)
{
    borderStyle_ = value;
    Invalidate();
}

void TAdvGroupBox::SetTransparent(bool value)
{
    transparent_ = value;
    Invalidate();
}

void TAdvGroupBox::SetRoundEdges(bool value)
{
    roundEdges_ = value;
    Invalidate();
}

// Painting covers the whole client area, so erasing first would only flicker.
void TAdvGroupBox::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

void TAdvGroupBox::CMTextChanged(TMessage&)
{
    Invalidate();
}

void TAdvGroupBox::Paint()
{
    TCanvas* canvas = Canvas();
    const RECT client = ClientRect();
    if (transparent_ || ParentBackground())
        PaintParentBackground(canvas->Handle());
    else {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(client);
    }
    if (borderStyle_ == bsNone)
        return;
    canvas->Font()->Assign(Font());
    const int textHeight = canvas->TextHeight("Wg");
    RECT frame = client;
    frame.top += textHeight / 2;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Brush()->SetStyle(bsClear);
    if (roundEdges_)
        canvas->RoundRect(frame.left, frame.top, frame.right, frame.bottom, 6, 6);
    else
        canvas->Rectangle(frame.left, frame.top, frame.right, frame.bottom);
    if (!Caption().empty()) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->TextOut(8, 0, Caption());
    }
}

} // namespace controls
