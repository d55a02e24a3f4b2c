// The ribbon pager as a real window on a form: its geometry with the defaults, page selection
// (vetoed changes, clicks on the active tab, removing the active page, cycling past hidden and
// disabled tabs), forbidden parents, every tab state painted with its fades stepped by the tick
// handler, the separator at the spacing floor, tabs that shrink and scroll as the form narrows
// (screenshots at three widths), and the form hook shared by two pagers.
#include "toolbar/AdvPageScrollButton.h"
#include "toolbar/AdvToolBarPager.h"
#include "toolbar/AdvDockPanel.h"

#include "../draw/PaintOnDib.h"
#include "GuiTest.h"
#include "core/Exceptions.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace toolbar;
using drawtest::Px;
using testsupport::Dib;

namespace {

// Solid colours per state, so that a body pixel names the state it was painted in.
constexpr TColor kStrip = 0x402010;
constexpr TColor kSelected = 0x00C000;
constexpr TColor kHot = 0x0000C0;
constexpr TColor kNormal = 0xC00000;
constexpr TColor kDisabled = 0x808000;
constexpr TColor kDownBorder = 0x00FFFF;

void Solid(TCustomTabAppearance* t)
{
    t->SetColorSelected(kSelected);
    t->SetColorSelectedTo(kSelected);
    t->SetColorMirrorSelected(kSelected);
    t->SetColorMirrorSelectedTo(kSelected);
    t->SetColorHot(kHot);
    t->SetColorHotTo(kHot);
    t->SetColorMirrorHot(kHot);
    t->SetColorMirrorHotTo(kHot);
    t->SetColor(kNormal);
    t->SetColorTo(kNormal);
    t->SetColorMirror(kNormal);
    t->SetColorMirrorTo(kNormal);
    t->SetColorDisabled(kDisabled);
    t->SetColorDisabledTo(kDisabled);
    t->SetColorMirrorDisabled(kDisabled);
    t->SetColorMirrorDisabledTo(kDisabled);
    t->SetBorderColorDown(kDownBorder);
    t->SetShadowColor(clNone);
    t->BackGround()->SetColor(kStrip);
    t->BackGround()->SetColorTo(clNone);
}

class Pager : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(50, 50, 600, 300);
        form->Show();
        pager = new TAdvToolBarPager(form);
        pager->SetName("Pager");
        pager->SetParent(form);
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    TAdvPage* AddPage(const std::string& caption)
    {
        auto* page = new TAdvPage(form);
        page->SetCaption(caption);
        page->SetPager(pager);
        return page;
    }
    void UseSolidStyler()
    {
        styler = new TCustomAdvToolBarStyler(form);
        Solid(styler->TabAppearance());
        pager->SetToolBarStyler(styler);
    }
    std::unique_ptr<Dib> Shot()
    {
        auto dib = std::make_unique<Dib>(pager->Width(), pager->Height(), 0);
        pager->PaintTo(dib->dc(), 0, 0);
        return dib;
    }
    // A pixel inside tab i's body, clear of its border, lines and text.
    uint32_t Body(const Dib& dib, int i)
    {
        const RECT r = pager->TabRect(i);
        return dib.Pixel(r.left + 2, r.top + 6);
    }
    void Move(int x, int y) { pager->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Press(int x, int y)
    {
        pager->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        pager->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    POINT Centre(int i)
    {
        const RECT r = pager->TabRect(i);
        return POINT{(r.left + r.right) / 2, r.top + 6};
    }
    void Tick(int i, int times)
    {
        for (int k = 0; k < times; ++k)
            pager->PagerTabFadeTick(pager->Pages(i)->FadeTimer());
    }

    TForm* form = nullptr;
    TAdvToolBarPager* pager = nullptr;
    TCustomAdvToolBarStyler* styler = nullptr;
};

struct ChangeLog {
    std::vector<std::pair<int, int>> changing;
    int changes = 0;
    bool allow = true;
    void Changing(TObject*, int from, int to, bool& allowChange)
    {
        changing.emplace_back(from, to);
        allowChange = allow;
    }
    void Changed(TObject*) { ++changes; }
};

} // namespace

TEST_F(Pager, DefaultGeometry)
{
    const int w = pager->Width();
    EXPECT_EQ(pager->Height(), 149);
    EXPECT_EQ(pager->Version(), "3.1.4.0");
    const RECT caption = pager->CaptionRect(), strip = pager->TabStripRect();
    const RECT area = pager->TabAreaRect(), page = pager->PageRect();
    EXPECT_EQ(caption.top, 0);
    EXPECT_EQ(caption.bottom, 27);
    EXPECT_EQ(strip.top, 27);
    EXPECT_EQ(strip.bottom, 53);
    EXPECT_EQ(area.left, 64);
    EXPECT_EQ(area.right, w - 4);
    EXPECT_EQ(area.top, 31);
    EXPECT_EQ(area.bottom, 57);
    EXPECT_EQ(page.left, 4);
    EXPECT_EQ(page.right, w - 4);
    EXPECT_EQ(page.top, 53);
    EXPECT_EQ(page.bottom, 144);
    EXPECT_EQ(pager->TabRect(0).left, -1);

    pager->Caption()->SetVisible(false);
    EXPECT_EQ(pager->CaptionRect().left, -1);
    EXPECT_EQ(pager->TabStripRect().top, 0);
    EXPECT_EQ(pager->PageRect().top, 26);
}

TEST_F(Pager, SelectingPages)
{
    TAdvPage* a = AddPage("Home");
    TAdvPage* b = AddPage("Insert");
    TAdvPage* c = AddPage("View");
    EXPECT_EQ(pager->ActivePageIndex(), -1); // adding selects nothing
    EXPECT_EQ(pager->PageRect().left, a->Left());
    ChangeLog log;
    pager->OnChanging = TTabChangingEvent(&log, &ChangeLog::Changing);
    pager->OnChange = TNotifyEvent(&log, &ChangeLog::Changed);

    pager->SetActivePage(b);
    EXPECT_EQ(pager->ActivePage(), b);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(a->Visible());
    EXPECT_EQ(log.changes, 1);

    // Vetoed: the old page stays, no OnChange.
    log.allow = false;
    Press(Centre(2).x, Centre(2).y);
    EXPECT_EQ(pager->ActivePage(), b);
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(c->Visible());
    EXPECT_EQ(log.changes, 1);
    ASSERT_EQ(log.changing.size(), 2u);
    EXPECT_EQ(log.changing[1], std::make_pair(1, 2));
    log.allow = true;

    // The active tab, an index already active and a page of no pager change nothing.
    pager->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Centre(1).x, Centre(1).y));
    EXPECT_EQ(pager->DownTab(), 1);
    pager->Perform(WM_LBUTTONUP, 0, MAKELPARAM(Centre(1).x, Centre(1).y));
    EXPECT_EQ(pager->DownTab(), -1);
    auto* stray = new TAdvPage(form);
    pager->SetActivePage(stray);
    pager->SelectPage(1);
    pager->SelectPage(7);
    EXPECT_EQ(log.changing.size(), 2u);

    // Cycling skips hidden and disabled tabs, the next and previous tab do not wrap.
    pager->SelectPage(0);
    b->SetTabEnabled(false);
    pager->CycleTab(true);
    EXPECT_EQ(pager->ActivePage(), c);
    pager->CycleTab(true);
    EXPECT_EQ(pager->ActivePage(), a);
    pager->SelectNextTab();
    EXPECT_EQ(pager->ActivePage(), c);
    pager->SelectNextTab();
    EXPECT_EQ(pager->ActivePage(), c);
    b->SetTabEnabled(true);
    b->SetTabVisible(false);
    EXPECT_EQ(pager->TabRect(1).left, -1);
    pager->SelectPreviousTab();
    EXPECT_EQ(pager->ActivePage(), a);
}

TEST_F(Pager, RemovingTheActivePage)
{
    struct Case {
        const char* name;
        int active;
        int removed;
        int disabled;         // -1 none
        const char* expected; // caption of the page active afterwards, "" none
        int expectedIndex;
    };
    const Case cases[] = {
        {"next tab takes over", 1, 1, -1, "C", 1},
        {"wraps to the first", 3, 3, -1, "A", 0},
        {"skips a disabled tab", 1, 1, 2, "D", 2},
        {"a page before the active one", 2, 0, -1, "C", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TAdvPage*> pages;
        for (const char* caption : {"A", "B", "C", "D"})
            pages.push_back(AddPage(caption));
        if (c.disabled >= 0)
            pages[c.disabled]->SetTabEnabled(false);
        pager->SelectPage(c.active);
        delete pages[c.removed];
        EXPECT_EQ(pager->PageCount(), 3);
        ASSERT_NE(pager->ActivePage(), nullptr);
        EXPECT_EQ(pager->ActivePage()->Caption(), c.expected);
        EXPECT_EQ(pager->ActivePageIndex(), c.expectedIndex);
        EXPECT_TRUE(pager->ActivePage()->Visible());
        while (pager->PageCount() > 0)
            delete pager->Pages(0);
    }
    // The last page leaves nothing active.
    TAdvPage* only = AddPage("Only");
    pager->SelectPage(0);
    delete only;
    EXPECT_EQ(pager->ActivePage(), nullptr);
    EXPECT_EQ(pager->ActivePageIndex(), -1);
}

TEST_F(Pager, ForbiddenParents)
{
    auto* dock = new TAdvDockPanel(form);
    dock->SetParent(form);
    auto* other = new TAdvToolBarPager(form);
    EXPECT_THROW(other->SetParent(dock), Exception);
    EXPECT_THROW(other->SetParent(pager), Exception);
    EXPECT_EQ(other->Parent(), nullptr);
    auto* page = new TAdvPage(form);
    EXPECT_THROW(page->SetParent(dock), Exception);
}

TEST_F(Pager, TabStatesAndFades)
{
    UseSolidStyler();
    AddPage("One");
    AddPage("Two");
    TAdvPage* three = AddPage("Three");
    AddPage("Four");
    pager->SelectPage(0);
    Application->ProcessMessages();

    auto dib = Shot();
    EXPECT_EQ(Body(*dib, 0), Px(kSelected));
    EXPECT_EQ(Body(*dib, 1), Px(kStrip)); // only the text of a tab at rest
    const RECT area = pager->TabAreaRect();
    EXPECT_EQ(dib->Pixel(area.left - 2, area.top + 6), Px(kStrip));

    // Hover: the tab fades in from the strip colour in steps of 20.
    Move(Centre(1).x, Centre(1).y);
    EXPECT_EQ(pager->HotTab(), 1);
    ASSERT_NE(pager->Pages(1)->FadeTimer(), nullptr);
    dib = Shot();
    EXPECT_EQ(Body(*dib, 1), Px(kStrip)); // level 0
    Tick(1, 2);
    dib = Shot();
    const uint32_t half = Body(*dib, 1);
    EXPECT_NE(half, Px(kStrip));
    EXPECT_NE(half, Px(kHot));
    EXPECT_LT(half >> 16, Px(kHot) >> 16); // red channel on its way up
    EXPECT_GT(half >> 16, Px(kStrip) >> 16);
    Tick(1, 3);
    EXPECT_EQ(pager->Pages(1)->HotLevel(), 100);
    EXPECT_EQ(Body(*Shot(), 1), Px(kHot));

    // Leaving: the fade runs out and the tab is at rest again.
    Move(5, 5 + pager->TabStripRect().top);
    EXPECT_EQ(pager->HotTab(), -1);
    Tick(1, 7);
    EXPECT_EQ(pager->Pages(1)->FadeState(), 2);
    EXPECT_EQ(Body(*Shot(), 1), Px(kStrip));

    // Non-selected tabs with bodies, a disabled one in its own colours.
    three->SetTabEnabled(false);
    pager->SetShowNonSelectedTabs(true);
    dib = Shot();
    EXPECT_EQ(Body(*dib, 1), Px(kNormal));
    EXPECT_EQ(Body(*dib, 2), Px(kDisabled));
    EXPECT_EQ(Body(*dib, 0), Px(kSelected));

    // A disabled tab cannot become hot.
    Move(Centre(2).x, Centre(2).y);
    EXPECT_EQ(pager->HotTab(), -1);

    // Pressing the active tab marks it down: its border in the down colour.
    pager->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Centre(0).x, Centre(0).y));
    dib = Shot();
    const RECT r0 = pager->TabRect(0);
    int downBorder = 0;
    for (int y = r0.top + 4; y < r0.top + 20; ++y)
        for (int x = r0.left; x < r0.left + 2; ++x)
            downBorder += dib->Pixel(x, y) == Px(kDownBorder);
    EXPECT_GT(downBorder, 5);
    pager->Perform(WM_LBUTTONUP, 0, MAKELPARAM(Centre(0).x, Centre(0).y));

    // A press on another tab selects it and starts a press fade.
    Press(Centre(3).x, Centre(3).y);
    EXPECT_EQ(pager->ActivePageIndex(), 3);
    EXPECT_EQ(pager->Pages(3)->FadeState(), 1);
    Tick(3, 6);
    EXPECT_EQ(pager->Pages(3)->FadeState(), 2);
    EXPECT_EQ(Body(*Shot(), 3), Px(kSelected));
}

TEST_F(Pager, NarrowFormsShrinkThenScrollTheTabs)
{
    UseSolidStyler();
    for (const char* caption :
         {"Home", "Insert", "Page Layout", "References", "Mailings", "Review", "View", "Developer"})
        AddPage(caption);
    pager->SelectPage(0);
    pager->Perform(WM_SIZE, 0, 0);
    Application->ProcessMessages();
    // The width of the strip at natural widths, spacing 4 and margins 4.
    int natural = 4 * (pager->PageCount() - 1);
    for (const PagerTab& tab : pager->TabLayout().tabs)
        natural += tab.natural + 8;
    ASSERT_GT(natural, 200);
    const int chrome = 64 + 4; // the tab area's start margin and right inset

    struct Width {
        int width;
        const char* shot;
    };
    const Width widths[] = {{natural + chrome + 200, "pager-wide"},
                            {natural + chrome - 10, "pager-squeezed"},
                            {260, "pager-scrolled"}};
    for (const Width& w : widths) {
        SCOPED_TRACE(w.shot);
        form->SetClientWidth(w.width);
        Application->ProcessMessages();
        const PagerTabLayout& t = pager->TabLayout();
        const RECT area = pager->TabAreaRect();
        for (int i = 1; i < pager->PageCount(); ++i)
            EXPECT_GE(t.tabs[i].left, t.tabs[i - 1].left + t.TabWidth(i - 1)) << "overlap " << i;
        if (w.width > natural + chrome) {
            EXPECT_EQ(t.spacing, 4);
            EXPECT_EQ(t.marginLeft, 4);
            TAdvPageScrollButton* right = pager->TabScrollButton(true);
            EXPECT_TRUE(!right || !right->Visible());
        } else if (w.width > 300) {
            EXPECT_EQ(t.spacing, 3);
            EXPECT_LE(t.TotalWidth(), area.right - area.left);
            // Separators on the left of every tab but the first.
            auto dib = Shot();
            const RECT r = pager->TabRect(2);
            EXPECT_NE(dib->Pixel(r.left - 2, r.top + 8), Px(kStrip));
        } else {
            ASSERT_NE(pager->TabScrollButton(true), nullptr);
            EXPECT_TRUE(pager->TabScrollButton(true)->Visible());
            EXPECT_EQ(pager->ScrollTabs(1), 1);
            EXPECT_TRUE(pager->TabScrollButton(false)->Visible());
            EXPECT_GT(pager->TabLayout().firstShown, 0);
            Application->ProcessMessages();
        }
        // The pager as it paints itself, saved beside the test's screenshots.
        EXPECT_TRUE(Shot()->SaveBmp(testsupport::ScreenshotPath(w.shot)));
    }
}

TEST_F(Pager, WheelThroughTheFormHookSurvivesASecondPager)
{
    AddPage("A");
    AddPage("B");
    AddPage("C");
    pager->SelectPage(0);
    auto* second = new TAdvToolBarPager(form);
    second->SetParent(form);
    second->HandleNeeded();
    Application->ProcessMessages();
    const POINT over = pager->ClientToScreen(POINT{pager->Width() / 2, 60});
    auto wheel = [&](int delta) {
        SetCursorPos(over.x, over.y);
        return form->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), 0);
    };
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(pager->ActivePageIndex(), 1);
    // The second pager leaves first: the first one's hook stays.
    second->Free();
    EXPECT_EQ(wheel(-120), 1);
    EXPECT_EQ(pager->ActivePageIndex(), 2);
    EXPECT_EQ(wheel(120), 1);
    EXPECT_EQ(pager->ActivePageIndex(), 1);
    // And once the first is gone the form handles the wheel alone.
    pager->Free();
    pager = nullptr;
    EXPECT_EQ(wheel(-120), 0);
}
