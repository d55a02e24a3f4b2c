// The tab strip of the ribbon pager as arithmetic (portable): tabs keep their natural width while
// they fit; when the tab area gets too narrow the spacing between tabs tightens first, then the
// margins inside ungrouped and grouped tabs, and only then the widest tabs narrow in steps of at
// most 5 px down to 24 px (margins included); widening undoes these steps in the reverse order.
// Tabs that still do not fit are scrolled screen by screen.
//
// The pager measures the natural widths, keeps the tab area's left and right edges up to date
// and copies the scroll range into its scroller and its two scroll buttons.
#pragma once

#include <functional>
#include <vector>

namespace toolbar {

constexpr int kTabSpacingFloor = 3;
constexpr int kTabMarginFloor = 3;
constexpr int kMinTabWidth = 24; // compared with a tab's width including its margins
constexpr int kTabStep = 5;      // the largest width step, and a grouped tab's allowed overhang

struct PagerTab {
    bool visible = true;
    bool grouped = false; // the page's index lies in some tab group's range
    int left = 0;         // x of the tab's left edge in pager coordinates
    int width = 0;        // current content width (text and image) without margins
    int natural = 0;      // measured content width
};

struct PagerTabSettings {
    int leftMargin = 4;
    int rightMargin = 4;
    int spacing = 4;
};

class PagerTabLayout {
public:
    std::vector<PagerTab> tabs;
    PagerTabSettings settings;
    int areaLeft = 0; // the tab area's left and right edges
    int areaRight = 0;

    // The current spacing and margins (ungrouped left/right, grouped left/right).
    int spacing = 4;
    int marginLeft = 4, marginRight = 4, groupedLeft = 4, groupedRight = 4;

    int firstShown = 0;
    // Further screens to the right, and the current screen.
    int maxOffset = 0;
    int scrollOffset = 0;

    // Called after each step of a scroll, when the tabs have moved.
    std::function<void()> onStep;

    int LeftMargin(int i) const { return tabs[i].grouped ? groupedLeft : marginLeft; }
    int RightMargin(int i) const { return tabs[i].grouped ? groupedRight : marginRight; }
    // Current width plus the margins of the tab's kind.
    int TabWidth(int i) const { return tabs[i].width + LeftMargin(i) + RightMargin(i); }
    // Visible tabs of [first, last]: their widths, plus the spacing after each but the last page.
    int TabsWidth(int first, int last) const;
    int TotalWidth() const { return TabsWidth(0, static_cast<int>(tabs.size()) - 1); }
    int FirstVisibleTab() const;
    int VisibleCount() const;

    // Spacing and margins back to the settings, every tab at its natural width.
    void ResetLayout();
    // Every visible tab laid out from the area's left edge.
    void PositionTabs();
    // The tabs after the first visible one laid out after it, its edge kept.
    void RepositionTabs();
    // Narrows or widens the tabs to the area.
    void Fit();
    // The spacing is at its floor and `i` is a valid tab other than the first visible one: a
    // separator goes on its left.
    bool CanCompressTabs(int i) const;

    // How many visible tabs from `n` onwards (or backwards) fit into the area, a tab that would
    // reach the right edge exactly not fitting; `last` gets the last one counted. 0 for an
    // invalid `n`.
    int TabsFitting(int n, bool forward, int* last = nullptr) const;
    bool CanScrollLeft() const { return scrollOffset > 0; }
    bool CanScrollRight() const { return scrollOffset < maxOffset; }
    // Shows the tabs from the first one again.
    void ResetScroll();
    // Counts the screens the visible tabs need.
    void UpdateScroller();
    // Scrolls `delta` screens (negative: to the left); answers the screens actually scrolled.
    int ScrollTabs(int delta);
    // Moves the tabs in steps of 5 px until tab `a` is at the left edge (or the last tab at the
    // right edge).
    void ScrollToTab(int a);

private:
    int Count() const { return static_cast<int>(tabs.size()); }
    int LastVisibleTab() const;
    void ShiftAfter(int i, int dx);
    void ShiftAll(int dx);
    int WidestTab(bool ungroupedOnly) const;
    int TabToGrow() const;
    bool AnyTabShrunk() const;
    int GroupedShrinkage() const;
    int Bound() const;
    void Shrink(int excess, int avail);
    void Grow(int room, int avail);
    void GrowMargins(int& left, int& right, int avail);
};

} // namespace toolbar
