// Placement of pop-ups beside their entry and the layout of the selector and pop-up panels.
#include "toolbar/PopupLayout.h"

#include <algorithm>

namespace toolbar {

draw::TIntPoint PlaceBesideAnchor(const draw::TIntRect& anchor, int width, int height,
                                  const draw::TIntRect& workArea)
{
    draw::TIntPoint p{anchor.Right, anchor.Top};
    if (p.Y + height > workArea.Bottom + 2)
        p.Y = workArea.Bottom - height - 2;
    if (p.X + width > workArea.Right)
        p.X = anchor.Left - width;
    return p;
}

int SelectorEntryWidth(bool showAddRemove, int addRemoveTextWidth, bool hasOptions,
                       int optionsTextWidth)
{
    int w = 130;
    if (showAddRemove)
        w = std::max(w, addRemoveTextWidth + 15);
    if (hasOptions)
        w = std::max(w, optionsTextWidth + 15);
    return w;
}

SelectorPanelLayout ArrangeSelectorPanel(const SelectorPanelInput& in)
{
    const int v = in.verticalMargin, h = in.horizontalMargin;
    SelectorPanelLayout out;
    int rowWidth = in.entryWidth;
    for (const auto& c : in.controls)
        rowWidth = std::max(rowWidth, c.width);
    int x = h, y = v, tallest = 0;
    for (const auto& c : in.controls) {
        if (x > h && c.width > rowWidth - x) {
            x = h;
            y += tallest;
            tallest = 0;
        }
        out.controls.push_back(draw::TIntPoint{x, y});
        x += c.width;
        tallest = std::max(tallest, c.height);
    }
    const int rows = in.controls.empty() ? 0 : y + tallest - v;
    const bool anyEntry = in.showAddRemove || in.hasOptions;
    // Both margins count: the entries end V above the bottom as the rows start V below the top.
    out.height = 2 * v + rows;
    if (in.showAddRemove)
        out.height += in.entryHeight;
    if (in.hasOptions)
        out.height += in.entryHeight;
    if (!in.controls.empty() && anyEntry)
        out.height += in.gap;
    out.width = rowWidth + 2 * h;
    int bottom = out.height - v;
    if (in.showAddRemove) {
        out.addRemove = draw::TIntRect{h, bottom - in.entryHeight, out.width - h, bottom};
        bottom -= in.entryHeight;
    }
    if (in.hasOptions)
        out.options = draw::TIntRect{h, bottom - in.entryHeight, out.width - h, bottom};
    return out;
}

PopupPanelLayout ArrangePopupPanel(const PopupPanelInput& in)
{
    int w = 0;
    for (const PopupItemMeasure& item : in.items) {
        w = std::max(w, item.captionWidth + 7);
        if (item.hasChildren)
            w += 30;
    }
    if (in.checkColumn)
        w += in.iconBarSize;
    if (in.imageColumn)
        w += in.imageColumnWidth;
    if (w <= 70)
        w = 70;
    PopupPanelLayout out;
    const int h = in.horizontalMargin, v = in.verticalMargin;
    int y = v;
    for (size_t i = 0; i < in.items.size(); ++i) {
        out.items.push_back(draw::TIntRect{h, y, h + w, y + in.itemHeight});
        y += in.itemHeight + v;
    }
    out.width = w + 2 * h;
    out.height = y;
    return out;
}

} // namespace toolbar
