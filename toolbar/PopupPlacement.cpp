#include "PopupPlacement.h"

namespace toolbar {

namespace {

bool PassesRightEdge(int x, int width, const draw::TIntRect& monitor)
{
    return x + width > monitor.Right;
}

} // namespace

draw::TIntPoint PlacePopup(int x, int y, int width, int height, const draw::TIntRect& workArea,
                           const draw::TIntRect& monitor)
{
    if (y + height + 2 > workArea.Bottom)
        y = workArea.Bottom - height - 2;
    if (PassesRightEdge(x, width, monitor))
        x = monitor.Right - width;
    return draw::TIntPoint{x, y};
}

draw::TIntPoint PlaceOptionSelector(draw::TIntPoint at, int width, int height,
                                    const draw::TIntRect& workArea, const draw::TIntRect& monitor,
                                    bool rightDocked, int leftOf)
{
    draw::TIntPoint p = PlacePopup(at.X, at.Y, width, height, workArea, monitor);
    if (rightDocked && PassesRightEdge(at.X, width, monitor))
        p.X = leftOf;
    return p;
}

} // namespace toolbar
