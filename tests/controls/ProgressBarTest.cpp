// The windowless progress bars: range and stepping rules, what a change invalidates on the
// parent, and the painters' pixels through a real parent window rendered into a DIB.
#include "controls/OcXPProgressBar.h"
#include "controls/ControlClasses.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "windows/ExtCtrls.h"
#include "windows/Forms.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>

using namespace classlib;
using namespace controls;
using testsupport::Dib;
using testsupport::PumpUntil;

namespace {

constexpr TColor ParentColour = 0x123456; // what shows behind the bar
constexpr TColor Dark = 0x686868, Mid = 0xBEBEBE, Light = 0xEFEFEF;
constexpr TColor From = 0x31D329, To = 0xADEFAD; // the XP bar's gradient colours

// A TColor (0x00BBGGRR) as a DIB pixel (0xRRGGBB).
uint32_t Rgb(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A shown form with a plain panel of a known colour, the bar's parent.
class ProgressBarTest : public ::testing::Test {
protected:
    static constexpr int BarLeft = 10, BarTop = 10;

    void SetUp() override
    {
        form = new TForm(nullptr);
        form->SetBounds(40, 40, 420, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBevelOuter(bvNone);
        panel->SetBounds(0, 0, 400, 160);
        panel->SetColor(ParentColour);
    }
    void TearDown() override { form->Free(); }

    template <class Bar>
    Bar* Place(int width, int height)
    {
        auto* bar = new Bar(form);
        bar->SetParent(panel);
        bar->SetBounds(BarLeft, BarTop, width, height);
        return bar;
    }
    TOcXPProgressBar* PlaceXP(int width = 326, int height = 22)
    {
        return Place<TOcXPProgressBar>(width, height);
    }

    // The panel with its children painted into a DIB.
    std::unique_ptr<Dib> Render()
    {
        auto dib = std::make_unique<Dib>(panel->Width(), panel->Height(), 0xFFFFFF);
        panel->PaintTo(dib->dc(), 0, 0);
        return dib;
    }

    // Only the panel's graphic children, on a DIB of one colour: shows what the bar leaves.
    std::unique_ptr<Dib> RenderChildrenOnly(uint32_t fillRgb)
    {
        auto dib = std::make_unique<Dib>(panel->Width(), panel->Height(), fillRgb);
        panel->PaintControls(dib->dc(), nullptr);
        return dib;
    }

    // The panel's pending update rectangle (empty when nothing is invalid).
    RECT PendingUpdate()
    {
        RECT r{};
        if (!GetUpdateRect(panel->Handle(), &r, FALSE))
            return RECT{};
        return r;
    }
    bool NothingPending()
    {
        const RECT r = PendingUpdate();
        return IsRectEmpty(&r) != FALSE;
    }
    // Shows the form (the system keeps update regions of visible windows only) and lets it
    // paint, so nothing is pending on the panel afterwards.
    void ShowAndSettle()
    {
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }, 5000));
        testsupport::PumpFor(50);
        ValidateRect(panel->Handle(), nullptr);
    }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
};

struct ChangeCounter {
    int changes = 0;
    void Changed(TObject*) { ++changes; }
};

} // namespace

// ---- range, position and stepping ----------------------------------------------------------

TEST(ProgressBarRange, XPBarPublishesTheDragDockWheelAndResizeEvents)
{
    TOcXPProgressBar bar(nullptr);
    for (const char* name :
         {"OnCanResize", "OnConstrainedResize", "OnDragDrop", "OnDragOver", "OnEndDock",
          "OnEndDrag", "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp", "OnStartDock",
          "OnStartDrag", "OnContextPopup", "DragKind", "DragMode", "DragCursor"})
        EXPECT_NE(GetPropInfo(&bar, name), nullptr) << name;
}

TEST(ProgressBarRange, XPBarStepsBySevenAndStopsAtMax)
{
    TOcXPProgressBar bar(nullptr);
    ChangeCounter counter;
    bar.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    EXPECT_EQ(bar.Steps(), 7);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 7);
    for (int i = 1; i < 15; ++i)
        bar.StepIt();
    EXPECT_EQ(bar.Position(), 100); // not 105
    EXPECT_EQ(counter.changes, 15);
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(counter.changes, 15);
}

TEST(ProgressBarRange, SettersKeepMinPositionMaxInOrderWithOneChangeEach)
{
    struct Case {
        const char* what;
        std::function<void(TOcXPProgressBar&)> act;
        int min, position, max, changes;
    };
    const Case cases[] = {
        {"Max below Position lowers it", [](auto& b) { b.SetMax(40); }, 0, 40, 40, 1},
        {"Min above Position raises it", [](auto& b) { b.SetMin(70); }, 70, 70, 100, 1},
        {"Min above Max becomes Max", [](auto& b) { b.SetMin(150); }, 100, 100, 100, 1},
        {"Max below Min becomes Min",
         [](auto& b) {
             b.SetMin(20);
             b.SetMax(5);
         },
         20, 20, 20, 2},
        {"Position above Max", [](auto& b) { b.SetPosition(500); }, 0, 100, 100, 1},
        {"Position below Min", [](auto& b) { b.SetPosition(-5); }, 0, 0, 100, 1},
        {"same Position", [](auto& b) { b.SetPosition(60); }, 0, 60, 100, 0},
        {"same Max", [](auto& b) { b.SetMax(100); }, 0, 60, 100, 0},
        {"StepBy below Min", [](auto& b) { b.StepBy(-1000); }, 0, 0, 100, 1},
        {"StepBy past INT_MAX stops at Max",
         [](auto& b) {
             b.SetMax(INT_MAX);
             b.SetPosition(INT_MAX - 3);
             b.StepBy(100);
         },
         0, INT_MAX, INT_MAX, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TOcXPProgressBar bar(nullptr);
        bar.SetPosition(60);
        ChangeCounter counter;
        bar.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
        c.act(bar);
        EXPECT_EQ(bar.Min(), c.min);
        EXPECT_EQ(bar.Position(), c.position);
        EXPECT_EQ(bar.Max(), c.max);
        EXPECT_EQ(counter.changes, c.changes);
    }
}

TEST(ProgressBarRange, StepsAreAtLeastOne)
{
    const struct {
        int value, stored;
    } cases[] = {{0, 1}, {-5, 1}, {3, 3}};
    for (const auto& c : cases) {
        TOcXPProgressBar bar(nullptr);
        bar.SetSteps(c.value);
        EXPECT_EQ(bar.Steps(), c.stored) << c.value;
        bar.StepIt();
        EXPECT_EQ(bar.Position(), c.stored) << c.value;
    }
}

TEST(ProgressBarRange, ExtentRoundsLikeMulDivAndSurvivesWideRanges)
{
    EXPECT_EQ(ProgressExtent(326, 100, 0, 100), 326);
    EXPECT_EQ(ProgressExtent(326, 50, 0, 100), 163);
    EXPECT_EQ(ProgressExtent(3, 1, 0, 2), 2); // 1.5 rounds up
    EXPECT_EQ(ProgressExtent(326, 0, INT_MIN, INT_MAX), 163);
    EXPECT_EQ(ProgressExtent(326, 5, 5, 5), 0);
}

// ---- invalidation ----------------------------------------------------------------------------

TEST_F(ProgressBarTest, AChangeOnlyInvalidatesTheBarsRectangleAndNoChangeNothing)
{
    auto* bar = PlaceXP();
    ShowAndSettle();

    bar->SetPosition(50);
    // Still pending: the change did not paint synchronously, and it covers the bar only.
    const RECT pending = PendingUpdate();
    EXPECT_EQ(pending.left, BarLeft);
    EXPECT_EQ(pending.top, BarTop);
    EXPECT_EQ(pending.right, BarLeft + 326);
    EXPECT_EQ(pending.bottom, BarTop + 22);

    bar->SetPosition(100);
    ValidateRect(panel->Handle(), nullptr);
    bar->StepIt(); // at Max: no change, nothing to repaint
    EXPECT_TRUE(NothingPending());
    bar->SetSteps(3); // not shown: no repaint either
    EXPECT_TRUE(NothingPending());

    bar->SetOrientation(pbVertical); // same bounds, but the look changes
    EXPECT_FALSE(NothingPending());
}

// ---- the XP painter ------------------------------------------------------------------------

TEST_F(ProgressBarTest, AnEmptyRangePaintsNothingAtAll)
{
    auto* bar = PlaceXP();
    const uint32_t behind = 0xABCDEF;
    EXPECT_NE(RenderChildrenOnly(behind)->Pixel(BarLeft + 1, BarTop + 1), behind); // the frame
    bar->SetMax(0);
    const auto dib = RenderChildrenOnly(behind);
    for (const POINT p :
         {POINT{0, 0}, POINT{1, 1}, POINT{2, 0}, POINT{5, 10}, POINT{323, 10}, POINT{325, 20}})
        EXPECT_EQ(dib->Pixel(BarLeft + p.x, BarTop + p.y), behind) << p.x << "," << p.y;
}

TEST_F(ProgressBarTest, FrameCornersAndInteriorAtMinimum)
{
    const int w = 60, h = 22;
    PlaceXP(w, h);
    const auto dib = Render();
    // Coordinates below zero count from the right or bottom edge (-1: the last one).
    const struct {
        int x, y;
        TColor colour;
    } cases[] = {
        {0, 0, ParentColour}, {-1, 0, ParentColour}, {0, -1, ParentColour}, {-1, -1, ParentColour},
        {0, 1, Mid},          {0, 2, Dark},          {0, -3, Dark},         {0, -2, Mid},
        {-1, 1, Mid},         {-1, 10, Dark},        {1, 0, Mid},           {1, 1, Dark},
        {1, 10, Mid},         {1, -2, Dark},         {1, -1, Mid},          {-2, 1, Dark},
        {2, 0, Dark},         {2, 1, Mid},           {2, 2, Mid},           {2, 3, Light},
        {2, -2, Light},       {2, -1, Dark},         {-3, 0, Dark},         {-3, 2, Mid},
        {-3, 3, Light},       {-3, -1, Dark},        {3, 0, Dark},          {30, 1, Mid},
        {30, 2, Light},       {-4, 2, Light},        {30, -2, Light},       {30, -1, Dark},
        {3, 3, clWindow},     {4, 10, clWindow},     {-4, -3, clWindow}, // no block at Position =
                                                                         // Min
    };
    for (const auto& c : cases) {
        const int x = c.x < 0 ? w + c.x : c.x, y = c.y < 0 ? h + c.y : c.y;
        EXPECT_EQ(dib->Pixel(BarLeft + x, BarTop + y), Rgb(c.colour)) << x << "," << y;
    }
}

TEST_F(ProgressBarTest, FullBarShowsFortyBlocksShadedAcrossItsThickness)
{
    auto* bar = PlaceXP(326, 22);
    bar->SetPosition(100);
    const auto dib = Render();
    auto at = [&](int x, int y) { return dib->Pixel(BarLeft + x, BarTop + y); };
    int blocks = 0;
    for (int x = 4; x < 323; x += 8) {
        if (at(x, 10) != Rgb(From))
            break;
        ++blocks;
        SCOPED_TRACE(x);
        // Rows 3 to 18: the pale colour on both edges, the strong one on the middle rows.
        EXPECT_EQ(at(x, 3), Rgb(To));
        EXPECT_EQ(at(x + 5, 18), Rgb(To));
        EXPECT_EQ(at(x + 5, 10), Rgb(From));
        EXPECT_EQ(at(x, 11), Rgb(From));
        EXPECT_EQ(at(x + 6, 10), Rgb(clWindow)); // the 2-pixel gap (the last one ends at the frame)
        if (x + 7 < 323) {
            EXPECT_EQ(at(x + 7, 10), Rgb(clWindow));
        }
    }
    EXPECT_EQ(blocks, 40);
    EXPECT_EQ(at(316, 10), Rgb(From));  // the last block, 316 to 321
    EXPECT_EQ(at(323, 10), Rgb(Light)); // the block that would start at 324 is clipped away
    EXPECT_EQ(at(0, 0), Rgb(ParentColour));
}

TEST_F(ProgressBarTest, PartialSmoothAndVerticalBars)
{
    // Where the fill ends, per variant: a pixel that is filled and the first one that is not.
    struct Case {
        const char* what;
        bool vertical, smooth;
        int width, height, position;
        POINT filled, empty;
        POINT edge, middle; // a pixel on the long edge (BarColorTo) and on the middle line
    };
    const Case cases[] = {
        // 163 pixels: blocks while more than 2 remain, 21 of them, the last at 164..169.
        {"horizontal blocks",
         false,
         false,
         326,
         22,
         50,
         {169, 10},
         {172, 10},
         {164, 18},
         {164, 11}},
        // 4 to 2 + 163.
        {"horizontal smooth", false, true, 326, 22, 50, {164, 10}, {165, 10}, {100, 3}, {100, 10}},
        // 60 of 120 rows; blocks from the bottom (rows 111..116) on a pitch of 8, the eighth at
        // 55..60.
        {"vertical blocks", true, false, 22, 120, 50, {10, 55}, {10, 54}, {3, 111}, {10, 111}},
        // Top at 120 - 2 - 60 + 1, columns 4 to 17.
        {"vertical smooth", true, true, 22, 120, 50, {10, 59}, {10, 58}, {4, 100}, {11, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* bar = PlaceXP(c.width, c.height);
        bar->SetOrientation(c.vertical ? pbVertical : pbHorizontal);
        bar->SetSmooth(c.smooth);
        bar->SetPosition(c.position);
        const auto dib = Render();
        auto at = [&](POINT p) { return dib->Pixel(BarLeft + p.x, BarTop + p.y); };
        EXPECT_NE(at(c.filled), Rgb(clWindow));
        EXPECT_EQ(at(c.empty), Rgb(clWindow));
        EXPECT_EQ(at(c.edge), Rgb(To));
        EXPECT_EQ(at(c.middle), Rgb(From));
        EXPECT_EQ(at(POINT{0, 0}), Rgb(ParentColour));
        bar->Free();
    }
}

// ---- the plain painter ---------------------------------------------------------------------

TEST_F(ProgressBarTest, BasePainterFillsInBarColor)
{
    // A 100 x 20 bar with Steps 10: blocks of 8 pixels from x = 2 on a pitch of 10, the last
    // cut at Width - 3; vertically the lowest block spans rows 10 to 17 and the next one is cut
    // at row 3. Smooth: 50% fills to x = 49, or up to row 10.
    const struct {
        bool vertical, smooth;
        int position, x, y;
        bool filled;
    } cases[] = {
        {false, false, 100, 2, 10, true},   {false, false, 100, 9, 2, true},
        {false, false, 100, 10, 10, false}, {false, false, 100, 12, 17, true},
        {false, false, 100, 96, 10, true},  {false, false, 100, 97, 10, false},
        {true, false, 100, 50, 17, true},   {true, false, 100, 50, 10, true},
        {true, false, 100, 50, 9, false},   {true, false, 100, 50, 8, false},
        {true, false, 100, 50, 7, true},    {true, false, 100, 50, 3, true},
        {false, true, 50, 49, 10, true},    {false, true, 50, 50, 10, false},
        {true, true, 50, 50, 10, true},     {true, true, 50, 50, 9, false},
    };
    auto* bar = Place<TOcBaseProgressBar>(100, 20);
    for (const auto& c : cases) {
        bar->SetOrientation(c.vertical ? pbVertical : pbHorizontal);
        bar->SetSmooth(c.smooth);
        bar->SetPosition(c.position);
        EXPECT_EQ(Render()->Pixel(BarLeft + c.x, BarTop + c.y),
                  Rgb(c.filled ? clHighlight : clWindow))
            << (c.vertical ? "vertical " : "horizontal ") << (c.smooth ? "smooth " : "blocks ")
            << c.x << "," << c.y;
    }
}

// ---- streaming -------------------------------------------------------------------------------

TEST(ProgressBarStreaming, PublishedPropertiesLoadAndDefaultsAreNotWritten)
{
    RegisterControlClasses();
    TStringStream in(
        ObjectTextToBinary("object Bar: TOcXPProgressBar\n"
                           "  Width = 200\n"
                           "  Max = 400\n"
                           "  Position = 300\n"
                           "  Orientation = pbVertical\n"
                           "  Smooth = True\n"
                           "  BarColorFrom = clRed\n"
                           "end\n"));
    auto* bar = dynamic_cast<TOcXPProgressBar*>(ReadComponentFromStream(in, nullptr));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Max(), 400);
    EXPECT_EQ(bar->Position(), 300);
    EXPECT_EQ(bar->Orientation(), pbVertical);
    EXPECT_TRUE(bar->Smooth());
    EXPECT_EQ(bar->BarColorFrom(), clRed);
    EXPECT_EQ(bar->BarColorTo(), 0xADEFADu);
    bar->Free();

    TOcXPProgressBar fresh(nullptr);
    fresh.SetName("Fresh");
    TStringStream out;
    WriteComponentToStream(out, &fresh);
    const std::string text = ObjectBinaryToText(out.DataString());
    for (const char* name : {"Width", "Max", "Min", "Position", "Orientation", "Smooth",
                             "BarColorFrom", "BarColorTo", "Color", "ParentColor", "Steps"})
        EXPECT_EQ(text.find(std::string("  ") + name + " ="), std::string::npos) << name << "\n"
                                                                                 << text;
}
