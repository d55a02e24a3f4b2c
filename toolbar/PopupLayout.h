#pragma once
// The arithmetic of the toolbar's drop-downs, over numbers: where a pop-up opened beside an
// entry goes (drop-downs placed under a monitor's edges are in PopupPlacement.h), how the control
// selector panel lays out the controls that did not fit and its two entries, and how the "Add or
// Remove Buttons" pop-up lays out its items. The windows read the platform (work area, monitors,
// text widths) and hand the numbers here.
#include "toolbar/ToolBarButtonLayout.h"

#include <vector>

namespace toolbar {

// A pop-up opened beside an entry or item: at the anchor's top-right corner; moved up when it
// would end more than 2 pixels below the work area, and to the anchor's left (its left edge
// minus the width) when it would pass the work area's right edge. Not the drop-down rule of
// PopupPlacement.h: the bottom may overhang by 2 pixels, the right edge is the work area's and
// the window flips to the anchor's other side instead of ending at the edge.
draw::TIntPoint PlaceBesideAnchor(const draw::TIntRect& anchor, int width, int height,
                                  const draw::TIntRect& workArea);

// The control selector panel. V and H are its margins (3 and 3).
struct SelectorPanelInput {
    struct Size {
        int width = 0, height = 0;
    };
    std::vector<Size> controls; // in list order
    bool showAddRemove = true;
    bool hasOptions = false;
    int entryWidth = 130; // both entries (UpdateEntryWidths)
    int entryHeight = 20;
    int verticalMargin = 3, horizontalMargin = 3;
    int gap = 8;
};

struct SelectorPanelLayout {
    std::vector<draw::TIntPoint> controls;
    int width = 0, height = 0;
    draw::TIntRect addRemove, options; // empty when not shown
};

SelectorPanelLayout ArrangeSelectorPanel(const SelectorPanelInput& in);

// The entries' common width: 130, raised to a shown caption's width + 15.
int SelectorEntryWidth(bool showAddRemove, int addRemoveTextWidth, bool hasOptions,
                       int optionsTextWidth);

// The "Add or Remove Buttons" pop-up panel. Margins 2 and 2, items 24 high.
struct PopupItemMeasure {
    int captionWidth = 0;
    bool hasChildren = false;
};
struct PopupPanelInput {
    std::vector<PopupItemMeasure> items;
    int iconBarSize = 0; // the check column (with a menu styler and the check column)
    bool checkColumn = false;
    bool imageColumn = false;
    int imageColumnWidth = 20;
    int verticalMargin = 2, horizontalMargin = 2;
    int itemHeight = 24;
};
struct PopupPanelLayout {
    std::vector<draw::TIntRect> items;
    int width = 0, height = 0;
};
PopupPanelLayout ArrangePopupPanel(const PopupPanelInput& in);

} // namespace toolbar
