// Any tabs, any settings and any sequence of area widths, fittings and scrolls: every operation
// returns, visible tabs never overlap and stay in order, no tab narrows below its natural width
// or 24 px (margins included) unless its natural width is smaller, no width exceeds its natural
// width, spacing and margins stay between their floors and the settings, the scroll offset stays
// within its range, and with room for every natural width a fitting restores all of them and the
// settings' spacing and margins.
#include "toolbar/PagerTabLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "../support/FuzzInput.h"

using namespace toolbar;

namespace {

using Input = FuzzByteReader;

void Fail(const char* what)
{
    std::fprintf(stderr, "tab invariant broken: %s\n", what);
    std::abort();
}

void Check(const PagerTabLayout& l)
{
    if (l.spacing < kTabSpacingFloor && l.spacing < l.settings.spacing)
        Fail("spacing below its floor");
    if (l.spacing > std::max(l.settings.spacing, kTabSpacingFloor))
        Fail("spacing above its setting");
    for (int m : {l.marginLeft, l.groupedLeft})
        if (m > std::max(l.settings.leftMargin, kTabMarginFloor) ||
            (m < kTabMarginFloor && m < l.settings.leftMargin))
            Fail("left margin out of range");
    for (int m : {l.marginRight, l.groupedRight})
        if (m > std::max(l.settings.rightMargin, kTabMarginFloor) ||
            (m < kTabMarginFloor && m < l.settings.rightMargin))
            Fail("right margin out of range");
    int previousEnd = 0;
    bool first = true;
    for (int i = 0; i < static_cast<int>(l.tabs.size()); ++i) {
        const PagerTab& t = l.tabs[i];
        if (t.width > t.natural)
            Fail("wider than natural");
        if (t.width < t.natural && l.TabWidth(i) < kMinTabWidth)
            Fail("narrowed below 24 px");
        if (!t.visible)
            continue;
        if (!first && t.left < previousEnd)
            Fail("tabs overlap");
        previousEnd = t.left + l.TabWidth(i);
        first = false;
    }
    if (l.scrollOffset < 0 || l.scrollOffset > l.maxOffset)
        Fail("scroll offset out of range");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    Input in{data, data + size};
    PagerTabLayout l;
    l.settings.leftMargin = in.Byte() % 12;
    l.settings.rightMargin = in.Byte() % 12;
    l.settings.spacing = in.Byte() % 12;
    const int count = in.Byte() % 24;
    for (int i = 0; i < count; ++i) {
        PagerTab t;
        const int b = in.Byte();
        t.natural = (b & 0x3F) * 3 + in.Byte() % 3;
        t.grouped = (b & 0x40) != 0;
        t.visible = (b & 0x80) == 0;
        l.tabs.push_back(t);
    }
    l.areaLeft = in.Byte();
    l.areaRight = l.areaLeft + in.Byte() * 4;
    l.ResetLayout();
    l.Fit();
    Check(l);
    while (!in.Empty()) {
        const int op = in.Byte() % 4;
        switch (op) {
            case 0:
                l.areaRight = l.areaLeft + in.Byte() * 4;
                l.Fit();
                l.ResetScroll();
                break;
            case 1:
                l.ScrollTabs(in.Byte() % 7 - 3);
                break;
            case 2:
                if (!l.tabs.empty()) {
                    PagerTab& t = l.tabs[in.Byte() % l.tabs.size()];
                    t.visible = !t.visible;
                    l.Fit();
                    l.ResetScroll();
                }
                break;
            case 3: {
                // Room for every natural width: everything comes back.
                int natural = 0;
                for (size_t i = 0; i < l.tabs.size(); ++i)
                    if (l.tabs[i].visible)
                        natural += l.tabs[i].natural + l.settings.leftMargin +
                                   l.settings.rightMargin + l.settings.spacing;
                l.areaRight =
                    l.areaLeft + natural + 1 + in.Byte(); // margins grow only with a pixel to spare
                l.Fit();
                for (const PagerTab& t : l.tabs)
                    if (t.visible && t.width != t.natural)
                        Fail("natural width not restored");
                if (l.spacing != l.settings.spacing || l.marginLeft != l.settings.leftMargin ||
                    l.marginRight != l.settings.rightMargin)
                    Fail("spacing or margins not restored");
                l.ResetScroll();
                if (l.maxOffset != 0)
                    Fail("scrolls although everything fits");
                break;
            }
        }
        Check(l);
    }
    return 0;
}
