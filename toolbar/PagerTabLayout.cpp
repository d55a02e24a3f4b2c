#include "toolbar/PagerTabLayout.h"

#include <algorithm>

namespace toolbar {

int PagerTabLayout::TabsWidth(int first, int last) const
{
    int sum = 0;
    for (int i = std::max(0, first); i <= last && i < Count(); ++i) {
        if (!tabs[i].visible)
            continue;
        sum += TabWidth(i);
        if (i < Count() - 1)
            sum += spacing;
    }
    return sum;
}

int PagerTabLayout::FirstVisibleTab() const
{
    for (int i = 0; i < Count(); ++i)
        if (tabs[i].visible)
            return i;
    return -1;
}

int PagerTabLayout::LastVisibleTab() const
{
    for (int i = Count() - 1; i >= 0; --i)
        if (tabs[i].visible)
            return i;
    return -1;
}

int PagerTabLayout::VisibleCount() const
{
    return static_cast<int>(
        std::count_if(tabs.begin(), tabs.end(), [](const PagerTab& t) { return t.visible; }));
}

void PagerTabLayout::ResetLayout()
{
    spacing = settings.spacing;
    marginLeft = groupedLeft = settings.leftMargin;
    marginRight = groupedRight = settings.rightMargin;
    for (PagerTab& t : tabs)
        t.width = t.natural;
    ResetScroll();
}

void PagerTabLayout::PositionTabs()
{
    int x = areaLeft;
    for (int i = 0; i < Count(); ++i) {
        if (!tabs[i].visible)
            continue;
        tabs[i].left = x;
        x += TabWidth(i) + spacing;
    }
}

void PagerTabLayout::RepositionTabs()
{
    const int first = FirstVisibleTab();
    if (first < 0)
        return;
    int x = tabs[first].left;
    for (int i = first; i < Count(); ++i) {
        if (!tabs[i].visible)
            continue;
        tabs[i].left = x;
        x += TabWidth(i) + spacing;
    }
}

void PagerTabLayout::ShiftAfter(int i, int dx)
{
    for (int j = i + 1; j < Count(); ++j)
        if (tabs[j].visible)
            tabs[j].left += dx;
}

void PagerTabLayout::ShiftAll(int dx)
{
    for (PagerTab& t : tabs)
        t.left += dx;
}

int PagerTabLayout::WidestTab(bool ungroupedOnly) const
{
    int best = -1;
    for (int i = 0; i < Count(); ++i) {
        if (!tabs[i].visible || (ungroupedOnly && tabs[i].grouped))
            continue;
        if (best < 0 || TabWidth(i) > TabWidth(best))
            best = i;
    }
    return best;
}

int PagerTabLayout::TabToGrow() const
{
    for (const bool grouped : {true, false}) {
        int best = -1;
        for (int i = 0; i < Count(); ++i) {
            const PagerTab& t = tabs[i];
            if (!t.visible || t.grouped != grouped || t.width >= t.natural || t.width >= 1500)
                continue;
            if (best < 0 || t.width < tabs[best].width)
                best = i;
        }
        if (best >= 0)
            return best;
    }
    return -1;
}

bool PagerTabLayout::AnyTabShrunk() const
{
    return std::any_of(tabs.begin(), tabs.end(),
                       [](const PagerTab& t) { return t.visible && t.width < t.natural; });
}

int PagerTabLayout::GroupedShrinkage() const
{
    int sum = 0;
    for (const PagerTab& t : tabs)
        if (t.visible && t.grouped)
            sum += t.natural - t.width;
    return sum;
}

// Every pass of a width loop changes a width by at least one pixel, and no width moves farther
// than between 0 and its natural width, so this bound cannot cut a fitting short.
int PagerTabLayout::Bound() const
{
    int sum = TotalWidth() + Count() + 1;
    for (const PagerTab& t : tabs)
        sum += std::max(0, t.natural) + std::max(0, t.width);
    return sum;
}

void PagerTabLayout::Fit()
{
    if (tabs.empty())
        return;
    const int total = TotalWidth();
    int avail = areaRight - areaLeft;
    const int g = GroupedShrinkage();
    if (total == avail && g > 0)
        avail += std::min(kTabStep, g);
    if (total > avail)
        Shrink(total - avail, avail);
    else if (total < avail)
        Grow(avail - total, avail);
}

void PagerTabLayout::Shrink(int excess, int avail)
{
    auto remaining = [&] { return TotalWidth() - avail; };
    // Spacing.
    while (spacing > kTabSpacingFloor && excess > 0) {
        --spacing;
        excess = remaining();
    }
    RepositionTabs();
    // Margins, ungrouped then grouped, left and right in turn.
    for (auto margins :
         {std::make_pair(&marginLeft, &marginRight), std::make_pair(&groupedLeft, &groupedRight)}) {
        int& l = *margins.first;
        int& r = *margins.second;
        while (excess > 0 && (l > kTabMarginFloor || r > kTabMarginFloor)) {
            if (l > kTabMarginFloor) {
                --l;
                excess = remaining();
                if (excess <= 0)
                    break;
            }
            if (r > kTabMarginFloor) {
                --r;
                excess = remaining();
            }
        }
        RepositionTabs();
    }
    if (excess <= 0)
        return;
    // Widths: the widest ungrouped tabs first; grouped tabs only when no ungrouped tab can
    // narrow, and then with an overhang of up to 5 px allowed.
    bool ungroupedOnly = false;
    for (int i = 0; i < Count(); ++i)
        if (tabs[i].visible && !tabs[i].grouped && TabWidth(i) > kMinTabWidth)
            ungroupedOnly = true;
    if (!ungroupedOnly) {
        excess -= kTabStep;
        if (excess < 1)
            return;
    }
    for (int n = Bound(); n > 0 && excess > 0; --n) {
        const int w = WidestTab(ungroupedOnly);
        if (w < 0 || TabWidth(w) <= kMinTabWidth || (!ungroupedOnly && !tabs[w].grouped))
            break;
        const int s = std::min({TabWidth(w) - kMinTabWidth, excess, kTabStep});
        tabs[w].width -= s;
        ShiftAfter(w, -s);
        excess -= s;
    }
}

void PagerTabLayout::GrowMargins(int& left, int& right, int avail)
{
    int room = avail - TotalWidth();
    while (room >= 1 && (left < settings.leftMargin || right < settings.rightMargin)) {
        for (int* m : {&left, &right}) {
            const int target = m == &left ? settings.leftMargin : settings.rightMargin;
            if (*m >= target || room < 1)
                continue;
            ++*m;
            room = avail - TotalWidth();
            if (room < 0) {
                // The step overflows: taken back, and the margins stay where they are.
                --*m;
                RepositionTabs();
                return;
            }
        }
    }
    RepositionTabs();
}

void PagerTabLayout::Grow(int room, int avail)
{
    if (AnyTabShrunk()) {
        const int g = GroupedShrinkage();
        if (g > 0 && room < g)
            room += std::min(kTabStep, g - room);
        for (int n = Bound(); n > 0 && room > 0; --n) {
            const int t = TabToGrow();
            if (t < 0)
                break;
            const int s = std::min({tabs[t].natural - tabs[t].width, room, kTabStep});
            tabs[t].width += s;
            ShiftAfter(t, s);
            room -= s;
        }
        if (AnyTabShrunk())
            return;
    }
    while (spacing < settings.spacing) {
        ++spacing;
        room = avail - TotalWidth();
        if (room < 0) {
            --spacing;
            break;
        }
        if (room < 1)
            break;
    }
    RepositionTabs();
    room = avail - TotalWidth();
    if (room >= 1)
        GrowMargins(groupedLeft, groupedRight, avail);
    room = avail - TotalWidth();
    if (room >= 1)
        GrowMargins(marginLeft, marginRight, avail);
}

bool PagerTabLayout::CanCompressTabs(int i) const
{
    return spacing <= kTabSpacingFloor && i >= 0 && i < Count() && i != FirstVisibleTab();
}

int PagerTabLayout::TabsFitting(int n, bool forward, int* last) const
{
    if (n < 0 || n >= Count())
        return 0;
    int count = 0, x = areaLeft;
    for (int i = n; i >= 0 && i < Count(); i += forward ? 1 : -1) {
        if (!tabs[i].visible)
            continue;
        if (x + TabWidth(i) >= areaRight)
            break;
        x += TabWidth(i) + spacing;
        ++count;
        if (last)
            *last = i;
    }
    return count;
}

void PagerTabLayout::ResetScroll()
{
    firstShown = 0;
    maxOffset = 0;
    scrollOffset = 0;
    PositionTabs();
    UpdateScroller();
}

void PagerTabLayout::UpdateScroller()
{
    if (tabs.empty())
        return;
    int screens = 0;
    const int visible = VisibleCount();
    if (areaRight - areaLeft < TotalWidth()) {
        int start = 0, sum = 0;
        for (int n = 0; n < Count() && start < Count(); ++n) {
            int last = start;
            int count = TabsFitting(start, true, &last);
            if (count < 1) {
                // Not even one tab fits: the screen holds the next visible one.
                count = 1;
                while (last < Count() - 1 && !tabs[last].visible)
                    ++last;
            }
            sum += count;
            if (sum >= visible)
                break;
            ++screens;
            start = last + 1;
        }
    }
    maxOffset = screens;
    scrollOffset = std::min(scrollOffset, maxOffset);
}

int PagerTabLayout::ScrollTabs(int delta)
{
    int target = -1, scrolled = 0;
    if (delta > 0) {
        delta = std::min(delta, maxOffset - scrollOffset);
        if (!CanScrollRight() || delta <= 0)
            return 0;
        scrollOffset += delta;
        scrolled = delta;
        int start = firstShown;
        for (int k = 0; k < delta; ++k) {
            int last = start;
            if (TabsFitting(start, true, &last) < 1)
                last = start;
            if (last + 1 >= Count())
                break;
            start = last + 1;
        }
        while (start < Count() - 1 && !tabs[start].visible)
            ++start;
        target = start;
    } else if (delta < 0) {
        const int d = std::min(-delta, scrollOffset);
        if (!CanScrollLeft() || d <= 0 || firstShown <= 0)
            return 0;
        scrollOffset -= d;
        scrolled = -d;
        int start = firstShown - 1;
        target = start;
        for (int k = 0; k < d; ++k) {
            int earliest = start;
            if (TabsFitting(start, false, &earliest) < 1)
                earliest = start;
            target = earliest;
            if (target <= 0) {
                target = 0;
                break;
            }
            start = target - 1;
        }
    } else {
        return 0;
    }
    ScrollToTab(target);
    return scrolled;
}

void PagerTabLayout::ScrollToTab(int a)
{
    if (a < 0 || a >= Count())
        return;
    int s = kTabStep;
    if (a > firstShown) {
        // Fill the last screen: start earlier while that shows more tabs.
        while (a > 0 && TabsFitting(a - 1, true) > TabsFitting(a, true))
            --a;
        if (a <= firstShown)
            return;
        const int lastTab = LastVisibleTab();
        for (int n = Bound(); n > 0; --n) {
            bool lastStep = false;
            const int lastRight = tabs[lastTab].left + TabWidth(lastTab);
            if (lastRight - s <= areaRight) {
                s = lastRight - areaRight;
                lastStep = true;
            }
            if (tabs[a].left - s <= areaLeft) {
                s = tabs[a].left - areaLeft;
                lastStep = true;
            }
            ShiftAll(-s);
            if (onStep)
                onStep();
            if (lastStep)
                break;
        }
    } else if (a < firstShown) {
        for (int n = Bound(); n > 0; --n) {
            bool lastStep = false;
            if (tabs[a].left + s >= areaLeft) {
                s = areaLeft - tabs[a].left;
                lastStep = true;
            }
            ShiftAll(s);
            if (onStep)
                onStep();
            if (lastStep)
                break;
        }
    }
    firstShown = a;
    UpdateScroller();
}

} // namespace toolbar
