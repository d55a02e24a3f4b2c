// Drop-down placement against the edges of the anchor's monitor and work area, on the primary
// monitor and on monitors left of, right of, above and below it: the quick-access overflow window
// and the option selector (whose right-docked toolbar opens it to its own left).
#include "toolbar/PopupPlacement.h"

#include <gtest/gtest.h>

using draw::TIntPoint;
using draw::TIntRect;
using toolbar::PlaceOptionSelector;
using toolbar::PlacePopup;

TEST(PopupPlacement, StaysInsideTheAnchorsMonitorAndWorkArea)
{
    const TIntRect primary{0, 0, 1280, 1024}, primaryWork{0, 0, 1280, 984};
    const TIntRect left{-1920, 0, 0, 1080}, leftWork{-1920, 0, 0, 1040};
    const TIntRect above{0, -900, 1600, 0}, aboveWork{0, -900, 1600, -40};
    struct Case {
        const char* name;
        int x, y, w, h;
        TIntRect work, monitor;
        TIntPoint expected;
    };
    const Case cases[] = {
        {"room enough", 100, 100, 200, 50, primaryWork, primary, {100, 100}},
        {"bottom touches the gap", 100, 932, 200, 50, primaryWork, primary, {100, 932}},
        {"past the work area's bottom", 100, 950, 200, 50, primaryWork, primary, {100, 932}},
        {"past the right edge", 1200, 100, 200, 50, primaryWork, primary, {1080, 100}},
        {"right edge exactly", 1080, 100, 200, 50, primaryWork, primary, {1080, 100}},
        // On a monitor left of the primary one all coordinates are negative: the window stays
        // where it fits and moves left only past that monitor's right edge (0), never onto
        // the primary monitor.
        {"left monitor, fits", -500, 100, 200, 50, leftWork, left, {-500, 100}},
        {"left monitor, past its right edge", -100, 100, 200, 50, leftWork, left, {-200, 100}},
        {"left monitor, past its bottom", -500, 1000, 200, 50, leftWork, left, {-500, 988}},
        {"monitor above, past its work area", 100, -60, 200, 50, aboveWork, above, {100, -92}},
        // x := monitor right - window width, whatever the width: a window wider than its
        // monitor ends at the right edge and starts left of the monitor.
        {"wider than the monitor", 100, 100, 1400, 50, primaryWork, primary, {-120, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlacePopup(c.x, c.y, c.w, c.h, c.work, c.monitor), c.expected) << c.name;
}

namespace {

struct SelectorCase {
    const char* name;
    TIntRect monitor, workArea;
    TIntPoint at;
    bool rightDocked;
    TIntPoint expected;
};

} // namespace

TEST(PopupPlacement, OptionSelectorOverMonitorLayouts)
{
    const int w = 150, h = 80;
    const TIntRect primary{0, 0, 1280, 1024}, primaryWork{0, 0, 1280, 984};
    const TIntRect right{1280, 0, 2560, 1024}, rightWork{1280, 0, 2560, 1024};
    const TIntRect left{-1280, 0, 0, 1024}, leftWork{-1280, 0, 0, 1024};
    const TIntRect below{0, 1024, 1280, 2048}, belowWork{0, 1024, 1280, 2008};
    const SelectorCase cases[] = {
        {"fits on the primary monitor", primary, primaryWork, {100, 50}, false, {100, 50}},
        {"passes the primary's right edge", primary, primaryWork, {1200, 50}, false, {1130, 50}},
        {"passes the work area's bottom", primary, primaryWork, {100, 950}, false, {100, 902}},
        {"exactly 2 above the bottom stays", primary, primaryWork, {100, 902}, false, {100, 902}},
        // A monitor right of the primary is 1280 wide but starts at 1280: a point at 1500
        // fits there and must not be moved back onto the primary.
        {"fits on a monitor to the right", right, rightWork, {1500, 50}, false, {1500, 50}},
        {"passes the right monitor's edge", right, rightWork, {2500, 50}, false, {2410, 50}},
        {"monitor left of the primary", left, leftWork, {-100, 50}, false, {-150, 50}},
        {"fits on a monitor below", below, belowWork, {100, 1500}, false, {100, 1500}},
        {"passes the lower work area's bottom",
         below,
         belowWork,
         {100, 1990},
         false,
         {100, 2008 - 80 - 2}},
        {"a right-docked toolbar opens to its left",
         primary,
         primaryWork,
         {1200, 50},
         true,
         {1000, 50}},
        {"a right-docked toolbar's selector that fits stays",
         primary,
         primaryWork,
         {100, 50},
         true,
         {100, 50}},
        {"right-docked, past the right edge and the bottom",
         primary,
         primaryWork,
         {1200, 950},
         true,
         {1000, 902}},
    };
    for (const SelectorCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceOptionSelector(c.at, w, h, c.workArea, c.monitor, c.rightDocked, 1000),
                  c.expected);
    }
}
