// Toolbars as groups on a ribbon page: the glow buttons' size steps, compact mode and its window,
// the hover fade of the caption, and a page narrowed through shrinking, compacting and scrolling.
#include "controls/AdvGlowButton.h"
#include "toolbar/AdvPageScrollButton.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarPager.h"
#include "toolbar/CompactWindow.h"

#include "../draw/PaintOnDib.h"
#include "GuiTest.h"
#include "windows/Application.h"
#include "windows/Forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace classlib;
using namespace toolbar;
using controls::bsGlyph;
using controls::bsLabel;
using controls::bsLarge;
using controls::TAdvGlowButton;
using controls::TButtonSizeState;
using testsupport::Dib;

namespace {

class Compact : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(50, 50, 700, 200);
        form->Show();
        pager = new TAdvToolBarPager(form);
        pager->SetParent(form);
        page = new TAdvPage(form);
        page->SetCaption("Home");
        page->SetPager(pager);
        Application->ProcessMessages();
    }
    void TearDown() override
    {
        form->Free();
        Application->ProcessMessages();
    }
    // A toolbar on the page with `count` large auto-sized glow buttons.
    TAdvCustomToolBar* AddToolBar(int count, const std::string& name)
    {
        auto* t = new TAdvCustomToolBar(form);
        t->SetCaption(name);
        page->AddToolBar(t);
        for (int i = 0; i < count; ++i) {
            auto* b = new TAdvGlowButton(form);
            b->SetCaption(name + " " + std::to_string(i + 1));
            b->SetAutoSize(true);
            b->SetParent(t);
            b->SetSizeState(bsLarge);
        }
        t->ArrangeControls(true);
        return t;
    }
    static std::vector<TAdvGlowButton*> Buttons(TAdvCustomToolBar* t)
    {
        std::vector<TAdvGlowButton*> list;
        for (int i = 0; i < t->ControlOrderCount(); ++i)
            if (auto* b = dynamic_cast<TAdvGlowButton*>(t->ControlOrder(i)))
                list.push_back(b);
        return list;
    }
    static int Measured(TAdvGlowButton* b, TButtonSizeState s)
    {
        SIZE size{};
        b->CalcButtonSize(s, size);
        return size.cx;
    }

    TForm* form = nullptr;
    TAdvToolBarPager* pager = nullptr;
    TAdvPage* page = nullptr;
};

// Down from large to label to glyph and back up: each step's kind, the width it frees or needs
// (the Part's rule over the buttons' own measures), and the column the small buttons form.
TEST_F(Compact, SizeStepsFollowTheTables)
{
    TAdvCustomToolBar* t = AddToolBar(3, "Clip");
    const std::vector<TAdvGlowButton*> b = Buttons(t);
    ASSERT_EQ(b.size(), 3u);

    int sum = 0, widestLabel = 0, widestGlyph = 0;
    for (TAdvGlowButton* x : b) {
        sum += x->Width();
        widestLabel = std::max(widestLabel, Measured(x, bsLabel));
        widestGlyph = std::max(widestGlyph, Measured(x, bsGlyph));
    }

    struct Step {
        bool shrink;
        int kind;
        TButtonSizeState after;
    };
    const Step steps[] = {
        {true, 1, bsLabel},  // three large buttons become one column of labels
        {true, 0, bsGlyph},  // the column of labels becomes glyphs
        {false, 1, bsLabel}, // glyphs back to labels
        {false, 2, bsLarge}, // labels back to large buttons
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.shrink ? "shrink " : "grow ") + std::to_string(s.kind));
        int widest = 0;
        for (TAdvGlowButton* x : b)
            widest = std::max(widest, x->Width());
        int measuredKind = -1, appliedKind = -1;
        const int measured =
            s.shrink ? t->MeasureShrink(measuredKind) : t->MeasureGrow(measuredKind);
        // Measuring changes nothing.
        for (TAdvGlowButton* x : b)
            EXPECT_NE(x->SizeState(), s.after);
        const int applied =
            s.shrink ? t->ShrinkStep(appliedKind, true) : t->GrowStep(appliedKind, true);
        EXPECT_EQ(measuredKind, s.kind);
        EXPECT_EQ(appliedKind, s.kind);
        EXPECT_EQ(applied, measured);
        EXPECT_GT(applied, 0);
        for (TAdvGlowButton* x : b)
            EXPECT_EQ(x->SizeState(), s.after);
        if (s.shrink && s.kind == 1) {
            EXPECT_EQ(applied, sum - widestLabel);
        }
        if (s.shrink && s.kind == 0) {
            EXPECT_EQ(applied, widest - widestGlyph);
        }
        if (s.after != bsLarge) {
            // One column: the same Left, one below the other.
            EXPECT_EQ(b[0]->Left(), b[1]->Left());
            EXPECT_EQ(b[1]->Left(), b[2]->Left());
            EXPECT_EQ(b[1]->Top(), b[0]->Top() + b[0]->Height());
        } else {
            EXPECT_LT(b[0]->Left(), b[1]->Left());
        }
        if (s.shrink && s.after == bsGlyph) {
            int kind = -1;
            EXPECT_EQ(t->MeasureShrink(kind), 0) << "nothing left to shrink";
        }
    }
}

// A single large button between two that cannot shrink takes no large-to-label step, and a
// toolbar off a page takes no step at all.
TEST_F(Compact, StepsNeedTwoAdjacentButtonsAndAPage)
{
    TAdvCustomToolBar* t = AddToolBar(3, "Mix");
    const std::vector<TAdvGlowButton*> b = Buttons(t);
    b[0]->SetAutoSize(false);
    b[2]->SetAutoSize(false);
    int kind = -1;
    EXPECT_EQ(t->ShrinkStep(kind, true), 0);
    EXPECT_EQ(b[1]->SizeState(), bsLarge);

    auto* free = new TAdvCustomToolBar(form);
    free->SetParent(form);
    for (int i = 0; i < 2; ++i) {
        auto* x = new TAdvGlowButton(form);
        x->SetAutoSize(true);
        x->SetParent(free);
    }
    EXPECT_EQ(free->ShrinkStep(kind, true), 0);
    free->SetCompact(true);
    EXPECT_FALSE(free->IsCompact()) << "compact mode is for pages only";
}

// Compact mode shows one drop-down button 45 px wide; leaving it gives every control back at its
// old place, in its old order, with the toolbar's flags as before.
TEST_F(Compact, CompactOnAndOffRestoresControlsAndFlags)
{
    TAdvCustomToolBar* t = AddToolBar(3, "Font");
    const std::vector<TAdvGlowButton*> b = Buttons(t);
    std::vector<RECT> places;
    for (TAdvGlowButton* x : b)
        places.push_back(RECT{x->Left(), x->Top(), x->Width(), x->Height()});
    const int width = t->Width();
    ASSERT_TRUE(t->AutoArrangeButtons());
    ASSERT_TRUE(t->AutoSizeToolBar());

    t->SetNoCompact(true);
    t->SetCompact(true);
    EXPECT_FALSE(t->IsCompact()) << "NoCompact refuses";
    t->SetNoCompact(false);

    t->SetCompact(true);
    ASSERT_TRUE(t->IsCompact());
    // As the page marks a toolbar it compacts for want of steps: its clone is not shrunk again.
    t->SetShrunk(true);
    EXPECT_EQ(t->Width(), 45);
    ASSERT_NE(t->CompactButton(), nullptr);
    EXPECT_EQ(t->CompactButton()->Width(), 45);
    EXPECT_TRUE(t->CompactButton()->DropDownButton());
    EXPECT_EQ(t->CompactButton()->Style(), controls::bsCheck);
    ASSERT_NE(t->CompactClone(), nullptr);
    EXPECT_EQ(t->CompactClone()->CompactClone(), t);
    for (TAdvGlowButton* x : b)
        EXPECT_EQ(x->Parent(), t->CompactClone());
    EXPECT_EQ(t->ControlCount(), 1) << "only the compact button";
    EXPECT_EQ(t->CompactedWidth(), 45);
    EXPECT_EQ(t->ExpandedWidth(), t->CompactClone()->Width());

    t->SetCompact(false);
    EXPECT_FALSE(t->IsCompact());
    EXPECT_EQ(t->CompactButton(), nullptr);
    EXPECT_EQ(t->CompactClone(), nullptr);
    EXPECT_EQ(t->CompactWindow(), nullptr);
    EXPECT_TRUE(t->AutoArrangeButtons());
    EXPECT_TRUE(t->AutoSizeToolBar());
    EXPECT_TRUE(t->ShowCaption());
    ASSERT_EQ(t->ControlOrderCount(), 3);
    for (size_t i = 0; i < b.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t->ControlOrder(static_cast<int>(i)), b[i]);
        EXPECT_EQ(b[i]->Parent(), t);
        EXPECT_EQ(b[i]->Left(), places[i].left);
        EXPECT_EQ(b[i]->Top(), places[i].top);
    }
    EXPECT_EQ(t->Width(), width);
}

// The compact window opens below the toolbar inside the work area and hides after it loses
// activation, letting the compact button up.
TEST_F(Compact, CompactWindowStaysInTheWorkAreaAndHidesOnDeactivation)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    form->SetBounds(work.right - 300, 100, 300, 200);
    Application->ProcessMessages();
    TAdvCustomToolBar* t = AddToolBar(3, "Wide");
    t->SetCompact(true);
    ASSERT_TRUE(t->IsCompact());
    page->PositionToolBars();
    t->CompactButton()->SetDown(true);
    t->ShowCompactWindow(t->CompactButton());
    TCompactWindow* w = t->CompactWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(w->DropDownButton(), t->CompactButton());
    RECT r{};
    GetWindowRect(w->Handle(), &r);
    POINT below = t->Parent()->ClientToScreen(POINT{t->Left(), t->Top() + t->Height() + 1});
    EXPECT_EQ(r.top, below.y);
    EXPECT_LE(r.right, work.right);
    EXPECT_LT(r.left, below.x) << "pulled left to stay inside";
    EXPECT_EQ(r.right - r.left, t->CompactClone()->Width() + 2);

    // Deactivation starts the 1-ms hide timer; its tick hides the window.
    w->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    ASSERT_TRUE(w->HideTimer()->Enabled());
    w->HideTimer()->OnTimer()(w->HideTimer());
    EXPECT_FALSE(w->Visible());
    EXPECT_FALSE(w->HideTimer()->Enabled());
    EXPECT_FALSE(t->CompactButton()->Down());

    // A window that may not hide stays.
    t->ShowCompactWindow(t->CompactButton());
    w->SetMayHide(false);
    w->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(w->HideTimer()->Enabled());
    EXPECT_TRUE(w->Visible());
}

// The caption fades towards its hot colour in steps of 20 stepped by the timer's handler, and
// no fade runs when the styler's hot colour is clNone.
TEST_F(Compact, HoverFadeStepsTheCaptionColours)
{
    auto* styler = new TCustomAdvToolBarStyler(form);
    TCaptionAppearance* a = styler->CaptionAppearance();
    a->SetCaptionColor(0x000000);
    a->SetCaptionColorTo(0x000000);
    a->SetCaptionColorHot(0xC8C8C8);
    a->SetCaptionColorHotTo(0xC8C8C8);
    styler->ColorHot()->SetColor(0x808080);
    TAdvCustomToolBar* t = AddToolBar(2, "Fade");
    t->SetToolBarStyler(styler);
    t->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_NE(t->FadeTimer(), nullptr);
    EXPECT_EQ(static_cast<int>(t->FadeTimer()->Interval()), 30);
    auto captionPixel = [&] {
        Dib dib(t->Width(), t->Height(), 0);
        t->PaintTo(dib.dc(), 0, 0);
        const RECT band = t->CaptionRect();
        return dib.Pixel(band.left + 6, band.top + 3) & 0xFF;
    };
    // The blend of the Part: p % of the hot colour (200) and the rest of the normal one (0).
    const int expected[] = {40, 80, 120, 160, 200};
    for (int p : expected) {
        t->FadeStep();
        EXPECT_EQ(t->FadePosition(), p / 2);
        EXPECT_NEAR(static_cast<int>(captionPixel()), p, 1) << "at " << p / 2;
    }
    t->FadeStep();
    EXPECT_EQ(t->FadeTimer(), nullptr) << "the fade ends past 100";
    EXPECT_EQ(captionPixel(), 200u) << "hot while the pointer is over it";

    styler->ColorHot()->SetColor(clNone);
    t->Perform(CM_MOUSELEAVE, 0, 0);
    ASSERT_NE(t->FadeTimer(), nullptr);
    t->FadeStep();
    EXPECT_EQ(t->FadeTimer(), nullptr) << "no fade without a hot colour";
}

// A page narrowed step by step: its toolbars take size steps while they can, then they
// compact, and when even compact toolbars do not fit the page scrolls them. Widening undoes it.
// Screenshots of three widths are saved.
TEST_F(Compact, NarrowingAPageShrinksCompactsAndScrolls)
{
    auto width = [&](int w) {
        form->SetClientWidth(w + form->ClientWidth() - page->Width());
        Application->ProcessMessages();
    };
    std::vector<TAdvCustomToolBar*> bars;
    for (const char* name : {"Clipboard", "Font", "Paragraph", "Styles"})
        bars.push_back(AddToolBar(6, name));
    width(684);
    page->ArrangeToolBars();
    auto states = [&](TAdvCustomToolBar* t) {
        std::string s;
        for (TAdvGlowButton* b : Buttons(t))
            s += "GSL"[b->SizeState()];
        return s;
    };
    auto fits = [&] {
        const std::vector<TControl*> list = page->CollectToolBars();
        return list.back()->Left() + list.back()->Width() <= page->Width();
    };
    auto shot = [&](const char* name) {
        Dib dib(pager->Width(), pager->Height(), 0);
        pager->PaintTo(dib.dc(), 0, 0);
        EXPECT_TRUE(dib.SaveBmp(testsupport::ScreenshotPath(name)));
    };
    auto anyCompact = [&] {
        return std::any_of(bars.begin(), bars.end(),
                           [](TAdvCustomToolBar* t) { return t->IsCompact(); });
    };

    // Wide: the toolbars fit by size steps alone.
    EXPECT_TRUE(fits());
    EXPECT_FALSE(anyCompact());
    shot("compact-page-shrunk");

    // Narrow: every button down to its glyph, still no toolbar compact.
    width(150);
    EXPECT_TRUE(fits());
    EXPECT_FALSE(anyCompact());
    for (TAdvCustomToolBar* t : bars)
        EXPECT_EQ(states(t), "GGGGGG");
    shot("compact-page-glyphs");

    // Too narrow for the glyphs: the toolbars compact (these, without images, grow by it, so
    // all of them do), and as four compact toolbars do not fit the page scrolls them.
    width(100);
    for (TAdvCustomToolBar* t : bars)
        EXPECT_TRUE(t->IsCompact()) << states(t);
    ASSERT_NE(page->ScrollButtonRight(), nullptr);
    EXPECT_TRUE(page->ScrollButtonRight()->Visible());
    const int firstLeft = bars.front()->Left();
    EXPECT_EQ(page->ScrollToolBars(1), 1);
    EXPECT_LT(bars.front()->Left(), firstLeft);
    EXPECT_GT(page->FirstShownToolBar(), 0);
    ASSERT_NE(page->ScrollButtonLeft(), nullptr);
    EXPECT_TRUE(page->ScrollButtonLeft()->Visible());
    shot("compact-page-scrolled");

    // Wide again: every toolbar expands and the scroll buttons go.
    width(684);
    EXPECT_FALSE(anyCompact());
    EXPECT_TRUE(fits());
    EXPECT_TRUE(!page->ScrollButtonRight() || !page->ScrollButtonRight()->Visible());
}

} // namespace
