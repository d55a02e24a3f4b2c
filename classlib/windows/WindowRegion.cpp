#include "windows/WindowRegion.h"

#include <utility>

namespace classlib {

TWindowRegion::~TWindowRegion()
{
    if (region_)
        DeleteObject(region_);
}

TWindowRegion::TWindowRegion(TWindowRegion&& other) noexcept
    : region_(std::exchange(other.region_, nullptr))
{
}

TWindowRegion& TWindowRegion::operator=(TWindowRegion&& other) noexcept
{
    if (this != &other) {
        if (region_)
            DeleteObject(region_);
        region_ = std::exchange(other.region_, nullptr);
    }
    return *this;
}

TWindowRegion TWindowRegion::RoundRect(const RECT& rect, int ellipseWidth, int ellipseHeight)
{
    return TWindowRegion(CreateRoundRectRgn(rect.left, rect.top, rect.right, rect.bottom,
                                            ellipseWidth, ellipseHeight));
}

bool TWindowRegion::ApplyTo(HWND window, bool redraw)
{
    if (!region_ || !window || !SetWindowRgn(window, region_, redraw))
        return false;
    region_ = nullptr; // the window's now
    return true;
}

void TWindowRegion::RemoveFrom(HWND window, bool redraw)
{
    if (window)
        SetWindowRgn(window, nullptr, redraw);
}

} // namespace classlib
