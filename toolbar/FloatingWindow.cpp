#include "FloatingWindow.h"

#include "toolbar/AdvToolBar.h"

#include "windows/Screen.h"

namespace toolbar {

using namespace classlib;

CLASSLIB_PUBLISH(TFloatingWindow)
{
    using W = TFloatingWindow;
    c.Property("AdvCustomToolBar", &W::AdvCustomToolBar, &W::SetToolBar);
    c.Property("BorderWidth", &W::BorderWidth, &W::SetBorderWidth).SetDefault(2);
    AsColorProperty(c.Property("BorderColor", &W::BorderColor, &W::SetBorderColor))
        .SetDefault(clGray);
}

TFloatingWindow::TFloatingWindow(TComponent* owner) : TCustomForm(owner) {}

TFloatingWindow::~TFloatingWindow()
{
    toolBar_ = nullptr;
}

void TFloatingWindow::Loaded()
{
    TCustomForm::Loaded();
    savedCursor_ = Cursor();
}

void TFloatingWindow::SetBorderWidth(int value)
{
    if (value == borderWidth_)
        return;
    borderWidth_ = value;
    FitToToolBar();
}

void TFloatingWindow::FitToToolBar()
{
    if (!toolBar_)
        return;
    SetBounds(Left(), Top(), toolBar_->Width() + 2 * borderWidth_ + 2,
              toolBar_->Height() + 2 * borderWidth_ + 2);
    toolBar_->SetBounds(borderWidth_ + 1, borderWidth_ + 1, toolBar_->Width(), toolBar_->Height());
    Invalidate();
}

void TFloatingWindow::Paint()
{
    TCustomForm::Paint();
    if (borderColor_ == clNone)
        return;
    TCanvas* c = Canvas();
    c->Pen()->SetColor(borderColor_);
    c->Pen()->SetWidth(borderWidth_);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(1, 1, Width(), Height());
    const int b = borderWidth_;
    c->SetPixel(b, b, borderColor_);
    c->SetPixel(Width() - b - 1, b, borderColor_);
    c->SetPixel(b, Height() - b - 1, borderColor_);
    c->SetPixel(Width() - b - 1, Height() - b - 1, borderColor_);
}

void TFloatingWindow::MouseMove(TShiftState shift, int x, int y)
{
    TCustomForm::MouseMove(shift, x, y);
    TCursor cursor = savedCursor_;
    if ((x >= 0 && x <= 5) || (x >= Width() - 5 && x <= Width()))
        cursor = crSizeWE;
    else if ((y >= 0 && y <= 5) || (y >= Height() - 5 && y <= Height()))
        cursor = crSizeNS;
    if (cursor != Cursor())
        SetCursor(cursor);
    if (resizing_ && shift.Contains(ssLeft))
        EdgeDrag(x, y);
}

void TFloatingWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomForm::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    if (x >= Width() - 5 && x <= Width()) {
        edge_ = edgeRight;
        origin_ = POINT{Width(), y};
    } else if (y >= Height() - 5 && y <= Height()) {
        edge_ = edgeBottom;
        origin_ = POINT{x, Height()};
    } else if (x >= 0 && x <= 5) {
        edge_ = edgeLeft;
        origin_ = POINT{0, y};
    } else if (y >= 0 && y <= 5) {
        edge_ = edgeTop;
        origin_ = POINT{x, 0};
    } else {
        return;
    }
    resizing_ = true;
    step_ = 0;
}

void TFloatingWindow::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomForm::MouseUp(button, shift, x, y);
    resizing_ = false;
    step_ = 0;
    origin_ = POINT{0, 0};
}

bool TFloatingWindow::SetRows(int rows)
{
    const int before = toolBar_->FloatingRows();
    toolBar_->SetFloatingRows(rows);
    if (toolBar_->FloatingRows() == before)
        return false;
    Invalidate();
    return true;
}

void TFloatingWindow::EdgeDrag(int x, int y)
{
    if (!toolBar_)
        return;
    const int r = toolBar_->FloatingRows();
    const int b2 = 2 * borderWidth_;
    const bool horizontalEdge = edge_ == edgeLeft || edge_ == edgeRight;
    const int d = horizontalEdge ? x - origin_.x : y - origin_.y;
    // A move is large when it is more than 5 px from rest, or, while the step already equals the
    // step this move sets, at least 3 px towards smaller or more than 2 px towards larger
    // coordinates.
    auto large = [&](int distance, int stepOfMove) {
        if (step_ == 0)
            return distance > 5 || distance < -5;
        if (step_ != stepOfMove)
            return false;
        return distance <= -3 || distance > 2;
    };
    const bool outwardIsSmaller = edge_ == edgeLeft || edge_ == edgeTop;
    const bool outward = outwardIsSmaller ? d < 0 : d > 0;
    // Left and right: outward makes the layout wider (fewer rows); top and bottom: taller.
    const bool outwardAddsRow = !horizontalEdge;
    int w = 0, h = 0;
    if (d != 0 && large(d, outward ? 1 : 2)) {
        const int oldWidth = Width(), oldHeight = Height();
        const int rows = outward == outwardAddsRow ? r + 1 : r - 1;
        SetRows(rows);
        step_ = outward ? 1 : 2;
        switch (edge_) {
            case edgeLeft:
                SetLeft(Left() - (Width() - oldWidth));
                origin_.x = 0;
                break;
            case edgeTop:
                SetTop(Top() - (Height() - oldHeight));
                origin_.y = 0;
                break;
            case edgeRight:
                origin_.x = Width();
                break;
            case edgeBottom:
                origin_.y = Height();
                break;
        }
        return;
    }
    // Small moves back towards the rest size undo the last change once the layout fits.
    const int oldWidth = Width(), oldHeight = Height();
    bool changed = false;
    switch (edge_) {
        case edgeLeft:
            if (step_ == 1 && toolBar_->FloatingSizeFor(r + 1, w, h) && x >= Width() - b2 - w)
                changed = SetRows(r + 1);
            else if (step_ == 2 && toolBar_->FloatingSizeFor(r - 1, w, h) && x <= Width() - b2 - w)
                changed = SetRows(r - 1);
            if (changed)
                SetLeft(Left() - (Width() - oldWidth));
            break;
        case edgeTop:
            if (step_ == 1 && toolBar_->FloatingSizeFor(r - 1, w, h) && y >= Height() - b2 - h - 2)
                changed = SetRows(r - 1);
            else if (step_ == 2 && toolBar_->FloatingSizeFor(r + 1, w, h) && y <= Height() - b2 - h)
                changed = SetRows(r + 1);
            if (changed)
                SetTop(Top() - (Height() - oldHeight));
            break;
        case edgeRight:
            if (step_ == 1 && toolBar_->FloatingSizeFor(r + 1, w, h) && x <= b2 + w)
                changed = SetRows(r + 1);
            else if (step_ == 2 && toolBar_->FloatingSizeFor(r - 1, w, h) && x >= b2 + w)
                changed = SetRows(r - 1);
            if (changed)
                origin_.x = Width();
            break;
        case edgeBottom:
            if (step_ == 1 && toolBar_->FloatingSizeFor(r - 1, w, h) && y <= b2 + h + 2)
                changed = SetRows(r - 1);
            else if (step_ == 2 && toolBar_->FloatingSizeFor(r + 1, w, h) && y >= b2 + h)
                changed = SetRows(r + 1);
            if (changed)
                origin_.y = Height();
            break;
    }
}

} // namespace toolbar
