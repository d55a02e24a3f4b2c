// A page's toolbars fitting its width: large-to-label steps before label-to-glyph ones and the
// smallest of a kind first, compacting the rightmost toolbar only when no step is left, leaving
// compact mode only with 4 px to spare, glyph-to-label steps first when widening, and the end of
// the fitting when a pass changes nothing (a toolbar refusing to compact, a step freeing no
// pixel).
#include "toolbar/PageToolBarFitting.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace toolbar;

namespace {

struct FakeToolBar final : IPageToolBar {
    std::string name;
    int left = 0, width = 0;
    bool compact = false, refusesCompact = false, shrunk = false;
    int expanded = 0, compacted = 40;
    std::deque<ToolBarStep> shrinkSteps, growSteps;
    int freesInstead = -1; // a step that frees another width than it measured
    std::vector<std::string>* log = nullptr;

    int Left() const override { return left; }
    int Width() const override { return compact ? compacted : width; }
    bool Eligible() const override { return true; }
    bool Compact() const override { return compact; }
    bool MayCompact() const override { return true; }
    int ExpandedWidth() const override { return width; }
    int CompactedWidth() const override { return compacted; }
    ToolBarStep MeasureShrink() const override
    {
        return shrinkSteps.empty() ? ToolBarStep{} : shrinkSteps.front();
    }
    ToolBarStep MeasureGrow() const override
    {
        return growSteps.empty() ? ToolBarStep{} : growSteps.front();
    }
    int ShrinkStep() override
    {
        const ToolBarStep s = shrinkSteps.front();
        shrinkSteps.pop_front();
        const int freed = freesInstead >= 0 ? freesInstead : s.width;
        width -= freed;
        growSteps.push_front(ToolBarStep{freed, s.kind == 1 ? 2 : 1});
        log->push_back(name + " shrinks " + std::to_string(s.kind));
        return freed;
    }
    int GrowStep() override
    {
        const ToolBarStep s = growSteps.front();
        growSteps.pop_front();
        width += s.width;
        log->push_back(name + " grows " + std::to_string(s.kind));
        return s.width;
    }
    void SetCompact(bool value, bool markShrunk) override
    {
        if (refusesCompact)
            return;
        compact = value;
        shrunk = markShrunk;
        log->push_back(name + (value ? " compact" : " expanded"));
    }
};

struct Page {
    std::deque<FakeToolBar> bars;
    std::vector<std::string> log;
    PageToolBarFitting fitting;

    explicit Page(int width)
    {
        fitting.pageWidth = width;
        fitting.collect = [this] {
            std::vector<IPageToolBar*> list;
            for (FakeToolBar& b : bars)
                list.push_back(&b);
            return list;
        };
        // Toolbars 3 px from the left edge and from each other.
        fitting.position = [this] {
            int x = 3;
            for (FakeToolBar& b : bars) {
                b.left = x;
                x += b.Width() + 3;
            }
        };
    }
    FakeToolBar& Add(const std::string& name, int width, std::deque<ToolBarStep> shrink)
    {
        FakeToolBar& b = bars.emplace_back();
        b.name = name;
        b.width = width;
        b.shrinkSteps = std::move(shrink);
        b.log = &log;
        fitting.position();
        return b;
    }
};

} // namespace

TEST(PageToolBarFitting, NarrowingPrefersLargeToLabelStepsThatFreeLeast)
{
    Page page(200);
    page.Add("A", 100, {{10, 0}, {30, 1}});
    page.Add("B", 100, {{20, 1}, {25, 1}});
    // Right edge 3 + 100 + 3 + 100 = 206; free 200 - 206 - 2 = -8: B's 20-px large step.
    page.fitting.Shrink();
    EXPECT_EQ(page.log, (std::vector<std::string>{"B shrinks 1"}));

    // 40 px narrower: A's label step (kind 0) waits while large steps remain.
    page.log.clear();
    page.fitting.pageWidth = 155;
    page.fitting.Shrink();
    EXPECT_EQ(page.log, (std::vector<std::string>{"B shrinks 1", "A shrinks 0"}));
    EXPECT_GT(page.fitting.FreeWidth(), 0);
}

TEST(PageToolBarFitting, CompactsTheRightmostOnlyWithoutSteps)
{
    Page page(150);
    page.Add("A", 100, {});
    page.Add("B", 100, {{10, 1}});
    page.fitting.Shrink();
    EXPECT_EQ(page.log, (std::vector<std::string>{"B shrinks 1", "B compact"}));
    EXPECT_TRUE(page.bars[1].shrunk);
    EXPECT_GT(page.fitting.FreeWidth(), 0);
}

TEST(PageToolBarFitting, PassesThatChangeNothingEndTheFitting)
{
    // Neither toolbar will compact and no step is left: the page stays too narrow.
    Page refusing(50);
    refusing.Add("A", 100, {}).refusesCompact = true;
    refusing.Add("B", 100, {}).refusesCompact = true;
    refusing.fitting.Shrink();
    EXPECT_TRUE(refusing.log.empty());
    EXPECT_LT(refusing.fitting.FreeWidth(), 0);

    // A step that frees no pixel is taken, and then the fitting ends.
    Page stuck(50);
    FakeToolBar& b = stuck.Add("B", 100, {{10, 1}, {10, 1}});
    b.freesInstead = 0;
    b.refusesCompact = true;
    stuck.fitting.Shrink();
    EXPECT_EQ(stuck.log.size(), 1u);

    // The same while arranging after loading.
    stuck.log.clear();
    stuck.fitting.Arrange();
    EXPECT_LE(stuck.log.size(), 1u);
}

TEST(PageToolBarFitting, WideningUndoesStepsGlyphsFirstAndExpandsWithRoomToSpare)
{
    Page page(300);
    FakeToolBar& a = page.Add("A", 100, {});
    a.growSteps = {{30, 2}};
    FakeToolBar& b = page.Add("B", 100, {});
    b.growSteps = {{20, 1}};
    // Free 300 - 206 - 2 = 92: B's glyph-to-label step first, then A's large step.
    page.fitting.Grow();
    EXPECT_EQ(page.log, (std::vector<std::string>{"B grows 1", "A grows 2"}));

    // A compact toolbar expands only when its expanded width fits with 4 px to spare.
    Page compact(0);
    FakeToolBar& c = compact.Add("C", 100, {});
    c.compact = true;
    compact.fitting.position();
    // Right edge 3 + 40; expanding needs 100 - 40 + 4 = 64 free.
    compact.fitting.pageWidth = 43 + 2 + 63;
    compact.fitting.Grow();
    EXPECT_TRUE(c.compact);
    compact.fitting.pageWidth = 43 + 2 + 64;
    compact.fitting.Grow();
    EXPECT_FALSE(c.compact);
}
