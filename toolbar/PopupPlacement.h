#pragma once
// Where a drop-down window of the toolbar family opens: at its anchor point, moved up so that
// its bottom (with a 2-pixel gap) stays inside the work area and moved left so that it ends at
// the right edge of the monitor the anchor is on. The edges compared are the monitor's own, so a
// monitor left of or above the primary one (negative coordinates) places the window as well as
// the primary one does (portable). The quick-access toolbar's overflow window and the option
// selector share this rule.
#include "draw/DrawMath.h"

namespace toolbar {

// `x`, `y`: the anchor in screen coordinates; `width`, `height`: the window's size; `workArea`
// and `monitor`: the work area and the bounds of the monitor nearest to the anchor. A window
// wider than its monitor ends at the monitor's right edge like any other, so it starts left of
// the monitor.
draw::TIntPoint PlacePopup(int x, int y, int width, int height, const draw::TIntRect& workArea,
                           const draw::TIntRect& monitor);

// The option selector below a docked toolbar's option handle: placed as above, except that a
// right-docked toolbar whose selector would pass the monitor's right edge opens it to the left
// of itself instead (`leftOf` is that x in screen coordinates).
draw::TIntPoint PlaceOptionSelector(draw::TIntPoint at, int width, int height,
                                    const draw::TIntRect& workArea, const draw::TIntRect& monitor,
                                    bool rightDocked, int leftOf);

} // namespace toolbar
