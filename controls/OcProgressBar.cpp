#include "OcProgressBar.h"

#include <algorithm>
#include <climits>
#include <cstdint>

using namespace classlib;

namespace controls {

CLASSLIB_DEFINE_ENUM(TProgressBarOrientation, "pbHorizontal", "pbVertical")

CLASSLIB_PUBLISH(TOcBaseProgressBar)
{
    c.Property("Width", &TControl::Width, &TControl::SetWidth).SetDefault(150);
}

CLASSLIB_PUBLISH(TOcBaseGradientProgressBar) {}

namespace {

int ClampToInt(int64_t value)
{
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

int ProgressExtent(int length, int position, int minimum, int maximum)
{
    const int64_t range = int64_t{maximum} - minimum;
    if (range < 1)
        return 0;
    // MulDiv's rounding: halves away from zero.
    const int64_t product = int64_t{length} * (int64_t{position} - minimum);
    const int64_t magnitude = ((product < 0 ? -product : product) * 2 + range) / (range * 2);
    return ClampToInt(product < 0 ? -magnitude : magnitude);
}

// ---- TOcBaseProgressBar ---------------------------------------------------------------------

TOcBaseProgressBar::TOcBaseProgressBar(TComponent* owner) : TGraphicControl(owner)
{
    // The bar covers its whole rectangle: the parent need not paint or erase behind it.
    controlStyle_.Include(csOpaque);
    width_ = 150;
    height_ = GetSystemMetrics(SM_CYVSCROLL);
}

void TOcBaseProgressBar::SetMax(int value)
{
    value = std::max(value, min_);
    if (position_ > value)
        position_ = value; // part of this change: no event of its own
    if (value != max_) {
        max_ = value;
        DoChange();
        Invalidate();
    }
}

void TOcBaseProgressBar::SetMin(int value)
{
    value = std::min(value, max_);
    if (position_ < value)
        position_ = value;
    if (value != min_) {
        min_ = value;
        DoChange();
        Invalidate();
    }
}

void TOcBaseProgressBar::SetPosition(int value)
{
    value = std::max(std::min(value, max_), min_);
    if (value != position_) {
        position_ = value;
        DoChange();
        // Only marks the bar's rectangle for the parent's next paint: the upload moves the
        // position for every chunk and must not wait for a repaint each time.
        Invalidate();
    }
}

void TOcBaseProgressBar::SetOrientation(TProgressBarOrientation value)
{
    if (value == orientation_)
        return;
    orientation_ = value;
    if (!ComponentState().Contains(csLoading)) {
        SetBounds(left_, top_, width_, height_);
        // Unchanged bounds repaint nothing, and the bar must show its new direction.
        Invalidate();
    }
}

void TOcBaseProgressBar::SetSmooth(bool value)
{
    if (value != smooth_) {
        smooth_ = value;
        Invalidate();
    }
}

void TOcBaseProgressBar::SetSteps(int value)
{
    if (value != steps_)
        steps_ = std::max(value, 1);
}

void TOcBaseProgressBar::StepIt()
{
    StepBy(steps_);
}

void TOcBaseProgressBar::StepBy(int delta)
{
    // The sum in 64 bits: a large step near INT_MAX stops at Max instead of wrapping below Min.
    SetPosition(ClampToInt(int64_t{position_} + delta));
}

void TOcBaseProgressBar::DoChange()
{
    if (OnChange)
        OnChange(this);
}

int TOcBaseProgressBar::GetBarLength() const
{
    return orientation_ == pbVertical ? height_ : width_;
}

void TOcBaseProgressBar::Paint()
{
    // An empty range shows nothing at all, not even the frame: the parent's pixels stay.
    if (int64_t{max_} - min_ < 1 || width_ < 1 || height_ < 1)
        return;
    DrawBar(*canvas_, ProgressExtent(GetBarLength(), position_, min_, max_));
}

void TOcBaseProgressBar::DrawBar(TCanvas& canvas, int extent)
{
    RECT r = ClientRect();
    canvas.Brush()->SetColor(color_);
    canvas.FillRect(r);
    DrawEdge(canvas.Handle(), &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (extent == 0)
        return;
    canvas.Brush()->SetColor(barColor_);
    if (orientation_ == pbHorizontal) {
        if (smooth_) {
            r.right = r.left + extent;
            InflateRect(&r, -1, -1);
            r.right = std::min<LONG>(r.right, width_ - 2);
            if (r.right > r.left)
                canvas.FillRect(r);
            return;
        }
        r.right = r.left + steps_;
        InflateRect(&r, -1, -1);
        while (extent > 0) {
            r.right = std::min<LONG>(r.right, width_ - 3);
            if (r.left >= r.right)
                break;
            canvas.FillRect(r);
            const int advance = (r.right - r.left) + 2;
            OffsetRect(&r, advance, 0);
            extent -= advance;
        }
        return;
    }
    if (smooth_) {
        r.top = std::max<LONG>(r.bottom - extent, 2);
        InflateRect(&r, -1, -1);
        canvas.FillRect(r);
        return;
    }
    r = RECT{2, height_ - steps_, width_ - 2, height_ - 2};
    while (extent > 0) {
        r.top = std::max<LONG>(r.top, 3);
        canvas.FillRect(r);
        OffsetRect(&r, 0, -steps_);
        extent -= steps_;
    }
}

// ---- TOcBaseGradientProgressBar -------------------------------------------------------------

void TOcBaseGradientProgressBar::SetBarColorFrom(TColor value)
{
    if (value != barColorFrom_) {
        barColorFrom_ = value;
        Invalidate();
    }
}

void TOcBaseGradientProgressBar::SetBarColorTo(TColor value)
{
    if (value != barColorTo_) {
        barColorTo_ = value;
        Invalidate();
    }
}

} // namespace controls
