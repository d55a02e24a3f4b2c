// The extended label: hot-track options, shadow, disabled look, auto size with margins,
// transparency, hot tracking, rotated text and the data consumer, checked through a real
// parent window rendered into a DIB. Expected text sizes come from the platform's own text
// measurement, never from the label.
#include "controls/OcLabel.h"

#include "ProviderFixture.h"
#include "dataprovider/OcDataConsumer.h"
#include "LabelFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classlib;
using namespace controls;
using labelfixture::CountPixels;
using labelfixture::InkBox;
using labelfixture::LabelTest;
using labelfixture::ParentColour;
using labelfixture::Rgb;

namespace {

constexpr TColor TextColour = 0x0000C0;   // dark red
constexpr TColor ShadowColour = 0xC00000; // dark blue

// The size DrawText gives `text` in a font like `font` (DT_CALCRECT on a screen context).
SIZE MeasureText(TFont* font, const std::string& text, UINT flags = DT_EXPANDTABS)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font->Handle());
    RECT r{0, 0, 1000, 1000};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// The extent of `text` in `font` rotated by `angle` degrees, as the platform measures it.
SIZE MeasureRotated(TFont* font, const std::string& text, int angle)
{
    LOGFONTA lf;
    GetObjectA(font->Handle(), sizeof(lf), &lf);
    lf.lfEscapement = lf.lfOrientation = angle * 10;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    HFONT rotated = CreateFontIndirectA(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, rotated);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(rotated);
    return size;
}

void UseBigFont(TControl* label, TColor colour = TextColour)
{
    label->Font()->SetName("Arial");
    label->Font()->SetHeight(-22);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->Font()->SetColor(colour);
}

RECT BoundsOf(TControl* c)
{
    return {c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
}

struct ChangeLog {
    std::vector<std::string> entries;
    void Changing(TObject*) { entries.push_back("changing"); }
    void Changed(TObject*) { entries.push_back("changed"); }
    void Before(TObject*, const std::string& name) { entries.push_back("before " + name); }
    void After(TObject*, const std::string& name) { entries.push_back("after " + name); }
};

} // namespace

// ---- hot-track options ---------------------------------------------------------------------

TEST(HotTrackOptions, DefaultsAndNotificationsInOrderOnlyForChanges)
{
    TOcHotTrackOptions options(nullptr);
    EXPECT_FALSE(options.Enabled());
    EXPECT_EQ(options.Color(), 0xD2BDB6u);
    EXPECT_FALSE(options.FrameVisible());
    EXPECT_EQ(options.FrameColor(), 0x6A240Au);

    ChangeLog log;
    options.OnBeforeChange = TNotifyEvent(&log, &ChangeLog::Changing);
    options.OnAfterChange = TNotifyEvent(&log, &ChangeLog::Changed);
    options.OnBeforePropertyChange = draw::TPropertyChangeEvent(&log, &ChangeLog::Before);
    options.OnAfterPropertyChange = draw::TPropertyChangeEvent(&log, &ChangeLog::After);
    options.SetFrameColor(0x6A240A); // unchanged: nothing
    options.SetEnabled(true);
    EXPECT_EQ(log.entries,
              (std::vector<std::string>{"changing", "before Enabled", "after Enabled", "changed"}));

    TOcHotTrackOptions source(nullptr);
    source.SetColor(0x123456);
    source.SetFrameVisible(true);
    log.entries.clear();
    options.Assign(&source);
    EXPECT_FALSE(options.Enabled());
    EXPECT_EQ(options.Color(), 0x123456u);
    EXPECT_TRUE(options.FrameVisible());
    // One outer bracket around the three changes.
    EXPECT_EQ(log.entries.front(), "changing");
    EXPECT_EQ(log.entries.back(), "changed");
    EXPECT_EQ(std::count(log.entries.begin(), log.entries.end(), "changed"), 1);
}

TEST(OcLabelProperties, SettersFollowTheirRules)
{
    TOcLabel label(nullptr);
    EXPECT_EQ(label.Width(), 65);
    EXPECT_EQ(label.Height(), 17);
    label.SetAngle(-90);
    EXPECT_EQ(label.Angle(), 270);
    label.SetAutoSize(false);
    label.SetBounds(0, 0, 65, 17);
    label.SetRoundedFrame(10); // limit Height div 2 = 8
    EXPECT_EQ(label.RoundedFrame(), 0);
    label.SetRoundedFrame(7);
    EXPECT_EQ(label.RoundedFrame(), 7);
    label.SetMargin(-3);
    EXPECT_EQ(label.Margin(), 0);
    void* settings = nullptr;
    EXPECT_TRUE(label.GetInterface(IOcHotTrackSettings::IID, &settings));
}

// ---- rotated text geometry -----------------------------------------------------------------

TEST(RotatedTextGeometry, AutoSizedBoxesAndStartingCorners)
{
    // Text 50 x 10: the box is h x w at 90 and 270 degrees, w x h at 0 and 180; the text starts
    // at the box's corner for its quadrant.
    struct Case {
        int angle;
        int g4, g5, x, y;
    } cases[] = {
        {0, 50, 10, 0, 0},     // (0, g1): g1 = round(w cos 90) = 0
        {90, 10, 50, 0, 50},   // (g0, g5) = (0, w): bottom-left, running upwards
        {180, 50, 10, 50, 10}, // (g4, g3) = (w, h): bottom-right, upside down
        {270, 10, 50, 10, 0},  // (g2, 0) = (h, 0)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        const TRotatedTextGeometry g =
            CalcRotatedTextGeometry(c.angle, 50, 10, taLeftJustify, true, 0, 0);
        EXPECT_EQ(g.g4, c.g4);
        EXPECT_EQ(g.g5, c.g5);
        EXPECT_EQ(g.x, c.x);
        EXPECT_EQ(g.y, c.y);
    }
}

TEST(RotatedTextGeometry, OriginPlacedByAlignmentAndCentredVertically)
{
    // 90 degrees, text 40 x 10 (g0 0, g2 10, g3 0, g4 10, g5 40) in a client of 100 x 60.
    const TRotatedTextGeometry g =
        CalcRotatedTextGeometry(90, 40, 10, taLeftJustify, false, 100, 60);
    EXPECT_EQ(g.x, 0);                                                     // g0
    EXPECT_EQ(g.y, 50);                                                    // H2 + g5 / 2 = 30 + 20
    EXPECT_EQ(CalcRotatedTextOrigin(taRightJustify, 90, g, 50, 30).x, 90); // 2 W2 - g2
    EXPECT_EQ(CalcRotatedTextOrigin(taCenter, 90, g, 50, 30).x, 45);       // W2 + (g4 - 2 g2) / 2
}

// ---- painting ------------------------------------------------------------------------------

TEST_F(LabelTest, ShadowIsDrawnFirstAndOffsetTowardItsPosition)
{
    struct Case {
        const char* what;
        uint8_t size;
        TShadowPosition position;
        int dx, dy;
    } cases[] = {
        {"size 2 right-bottom", 2, spRightBottom, 2, 2},
        {"size 3 left-top", 3, spLeftTop, -3, -3},
        {"size 2 right-top", 2, spRightTop, 2, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* label = Place<TOcLabel>(20, 20, 10, 10);
        UseBigFont(label);
        label->SetShadowColor(ShadowColour);
        label->SetShadowSize(c.size);
        label->SetShadowPos(c.position);
        label->SetMargin(4); // room for a shadow left of or above the text
        label->SetCaption("Shade");
        const auto dib = Render();
        const RECT area = BoundsOf(label);
        const RECT text = InkBox(*dib, area, Rgb(TextColour));
        const RECT shadow = InkBox(*dib, area, Rgb(ShadowColour));
        ASSERT_FALSE(IsRectEmpty(&text));
        ASSERT_FALSE(IsRectEmpty(&shadow));
        // The shadow shows where the text does not cover it: its far edges are the text's moved.
        if (c.dx > 0)
            EXPECT_EQ(shadow.right, text.right + c.dx);
        else
            EXPECT_EQ(shadow.left, text.left + c.dx);
        if (c.dy > 0)
            EXPECT_EQ(shadow.bottom, text.bottom + c.dy);
        else
            EXPECT_EQ(shadow.top, text.top + c.dy);
        label->Free();
    }
}

TEST_F(LabelTest, ShadowSizeZeroLeavesOnlyTheTextColour)
{
    auto* label = Place<TOcLabel>(20, 20, 10, 10);
    UseBigFont(label);
    label->SetShadowColor(ShadowColour);
    label->SetCaption("Shade");
    const auto dib = Render();
    EXPECT_GT(CountPixels(*dib, BoundsOf(label), Rgb(TextColour)), 20);
    EXPECT_EQ(CountPixels(*dib, BoundsOf(label), Rgb(ShadowColour)), 0);
}

TEST_F(LabelTest, DisabledLabelDrawsGrayTextOverAHighlightShadowOnePixelRightAndDown)
{
    auto* label = Place<TOcLabel>(20, 20, 10, 10);
    UseBigFont(label);
    label->SetCaption("Off");
    label->SetEnabled(false);
    const auto dib = Render();
    const RECT text = InkBox(*dib, BoundsOf(label), Rgb(clGrayText));
    const RECT shadow = InkBox(*dib, BoundsOf(label), Rgb(clBtnHighlight));
    ASSERT_FALSE(IsRectEmpty(&text));
    ASSERT_FALSE(IsRectEmpty(&shadow));
    EXPECT_EQ(shadow.right, text.right + 1);
    EXPECT_EQ(shadow.bottom, text.bottom + 1);
    EXPECT_EQ(CountPixels(*dib, BoundsOf(label), Rgb(TextColour)), 0);
}

TEST_F(LabelTest, AutoSizeTakesTheMeasuredTextWithEachMarginOnce)
{
    struct Case {
        const char* what;
        int margin;
        uint8_t shadow;
    } cases[] = {{"plain", 0, 0}, {"margins 5", 5, 0}, {"shadow 2", 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* label = Place<TOcLabel>(13, 65, 78, 13);
        label->Font()->SetName("Tahoma");
        label->Font()->SetHeight(-11);
        label->Font()->SetStyle(TFontStyles{fsBold});
        label->SetMargin(c.margin);
        label->SetShadowSize(c.shadow);
        label->SetCaption("Version: 0102");
        const SIZE text = MeasureText(label->Font(), "Version: 0102");
        // One pixel each side, the margins once each, and the shadow's offset (the text and
        // shadow rectangles' union).
        EXPECT_EQ(label->Width(), text.cx + 2 + 2 * c.margin + c.shadow);
        EXPECT_EQ(label->Height(), text.cy + 2 * c.margin + c.shadow);
        label->Free();
    }
}

TEST_F(LabelTest, MarginsKeepTheWholeCaptionInsideTheAutoSizedLabel)
{
    auto* label = Place<TOcLabel>(20, 20, 10, 10);
    UseBigFont(label);
    label->SetMargin(6);
    label->SetCaption("Margins");
    auto* plain = Place<TOcLabel>(20, 120, 10, 10);
    UseBigFont(plain);
    plain->SetCaption("Margins");
    const auto dib = Render();
    const RECT withMargins = InkBox(*dib, BoundsOf(label), Rgb(TextColour));
    const RECT without = InkBox(*dib, BoundsOf(plain), Rgb(TextColour));
    // The same ink: nothing wrapped or clipped by a right margin taken off twice.
    EXPECT_EQ(withMargins.right - withMargins.left, without.right - without.left);
    EXPECT_EQ(withMargins.bottom - withMargins.top, without.bottom - without.top);
    EXPECT_EQ(withMargins.top - label->Top(), without.top - plain->Top() + 6);
}

TEST_F(LabelTest, EmptyCaptionMeasuresOneBlank)
{
    auto* label = Place<TOcLabel>(20, 20, 10, 10);
    label->SetCaption("x");
    label->SetCaption("");
    EXPECT_EQ(label->Height(), MeasureText(label->Font(), " ").cy);
}

TEST_F(LabelTest, RightJustifiedAutoSizeGrowsToTheLeft)
{
    auto* label = Place<TOcLabel>(200, 20, 10, 10);
    label->SetAlignment(taRightJustify);
    label->SetCaption("Short");
    const int right = label->Left() + label->Width();
    label->SetCaption("A much longer caption");
    EXPECT_EQ(label->Left() + label->Width(), right);
    EXPECT_LT(label->Left(), 200 - 20);
}

TEST_F(LabelTest, TransparentLabelShowsItsParentAroundTheText)
{
    auto* label = Place<TOcLabel>(20, 20, 10, 10);
    UseBigFont(label);
    label->SetColor(0x00FF00);
    label->SetTransparent(true);
    label->SetCaption("See through");
    const auto dib = Render();
    const RECT area = BoundsOf(label);
    EXPECT_EQ(CountPixels(*dib, area, Rgb(0x00FF00)), 0);
    EXPECT_EQ(dib->Pixel(area.right - 1, area.bottom - 1), Rgb(ParentColour));
    EXPECT_GT(CountPixels(*dib, area, Rgb(TextColour)), 20);
}

TEST_F(LabelTest, EndEllipsisShortensALongCaptionInsideTheLabel)
{
    auto* label = Place<TOcLabel>(20, 20, 80, 30);
    label->SetAutoSize(false);
    label->SetBounds(20, 20, 80, 30);
    UseBigFont(label);
    label->SetTextEllipsis(teEndEllipsis);
    label->SetCaption("An extremely long caption that does not fit");
    const auto dib = Render();
    const RECT ink = InkBox(*dib, {0, 0, panel->Width(), panel->Height()}, Rgb(TextColour));
    ASSERT_FALSE(IsRectEmpty(&ink));
    EXPECT_LE(ink.right, 100);
    // The ellipsis dots end the line close to the label's right edge.
    EXPECT_GT(ink.right, 80);
}

TEST_F(LabelTest, HotTrackPaintsTheHotFillAndFontWhileTheMouseIsOver)
{
    form->Show();
    ASSERT_TRUE(
        testsupport::PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }, 5000));
    SetActiveWindow(form->Handle());
    auto* label = Place<TOcLabel>(40, 40, 10, 10);
    UseBigFont(label);
    label->SetCaption("Hover me");
    label->SetHotTrack(true);
    label->HotTrackOptions()->SetEnabled(true);
    label->HotTrackOptions()->SetColor(0x00A0FF);
    label->HotTrackFont()->Assign(label->Font());
    label->HotTrackFont()->SetColor(0x008000);
    const POINT centre = panel->ClientToScreen(
        {label->Left() + label->Width() / 2, label->Top() + label->Height() / 2});
    SetCursorPos(centre.x, centre.y);
    label->Perform(CM_MOUSEENTER, 0, 0);
    ASSERT_TRUE(label->MouseOver());
    auto dib = Render();
    const RECT area = BoundsOf(label);
    EXPECT_EQ(dib->Pixel(area.left, area.top), Rgb(0x00A0FF));
    EXPECT_GT(CountPixels(*dib, area, Rgb(0x008000)), 20);
    EXPECT_EQ(CountPixels(*dib, area, Rgb(TextColour)), 0);

    SetCursorPos(0, 0);
    label->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(label->MouseOver());
    dib = Render();
    EXPECT_EQ(CountPixels(*dib, area, Rgb(0x00A0FF)), 0);
    EXPECT_GT(CountPixels(*dib, area, Rgb(TextColour)), 20);
}

TEST_F(LabelTest, RotatedAutoSizedLabelTakesTheRotatedFontsMeasures)
{
    struct Case {
        int angle;
        bool upright; // the box is taller than wide
    } cases[] = {{90, true}, {180, false}, {270, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        auto* label = Place<TOcLabel>(40, 20, 10, 10);
        UseBigFont(label);
        label->SetCaption("Turned");
        label->SetAngle(c.angle);
        const SIZE text = MeasureRotated(label->Font(), "Turned", c.angle);
        const int boxWidth = c.upright ? text.cy : text.cx;
        const int boxHeight = c.upright ? text.cx : text.cy;
        // One pixel each side of the rotated bounding box.
        EXPECT_EQ(label->Width(), boxWidth + 2);
        EXPECT_EQ(label->Height(), boxHeight);
        const auto dib = Render();
        const RECT ink = InkBox(*dib, {0, 0, panel->Width(), panel->Height()}, Rgb(TextColour));
        ASSERT_FALSE(IsRectEmpty(&ink));
        const RECT bounds = BoundsOf(label);
        RECT inside;
        IntersectRect(&inside, &ink, &bounds);
        EXPECT_TRUE(EqualRect(&inside, &ink)) << "ink outside the label";
        EXPECT_EQ(ink.bottom - ink.top > ink.right - ink.left, c.upright);
        label->Free();
    }
}

TEST_F(LabelTest, RotatedCaptionCountsMarginsOnceAndIgnoresWordWrap)
{
    auto* label = Place<TOcLabel>(40, 20, 10, 10);
    UseBigFont(label);
    label->SetCaption("Turned text");
    label->SetAngle(90);
    const int width = label->Width();
    const int height = label->Height();
    label->SetWordWrap(true);
    EXPECT_EQ(label->Width(), width);
    EXPECT_EQ(label->Height(), height);
    label->SetMargin(4);
    EXPECT_EQ(label->Width(), width + 8);
    EXPECT_EQ(label->Height(), height + 8);
}

// ---- data consumer ---------------------------------------------------------------------------

TEST_F(LabelTest, ConsumerWithoutProviderOrSelectionPaintsLikeAPlainLabel)
{
    providerfixture::RegisterFixtureClasses();
    providerfixture::TTestProvider provider(nullptr);
    auto* plain = Place<TOcLabel>(20, 20, 10, 10);
    auto* bound = Place<TOcLabel>(20, 120, 10, 10);
    auto* unbound = Place<TOcLabel>(20, 220, 10, 10);
    for (TOcLabel* label : {plain, bound, unbound}) {
        UseBigFont(label);
        label->SetShadowSize(1);
        label->SetCaption("Consumer");
    }
    bound->Provider()->SetProviderInterface(&provider);
    ASSERT_TRUE(bound->Provider()->ProviderInterface());
    unbound->Provider()->SetProviderInterface(&provider);
    unbound->Provider()->SetProviderInterface(nullptr);
    EXPECT_EQ(bound->Width(), plain->Width());
    EXPECT_EQ(bound->Height(), plain->Height());
    EXPECT_EQ(unbound->Width(), plain->Width());
    const auto dib = Render();
    for (TOcLabel* label : {bound, unbound})
        for (int y = 0; y < plain->Height(); ++y)
            for (int x = 0; x < plain->Width(); ++x)
                ASSERT_EQ(dib->Pixel(label->Left() + x, label->Top() + y),
                          dib->Pixel(plain->Left() + x, plain->Top() + y))
                    << x << "," << y;
    bound->Provider()->SetProviderInterface(nullptr);
}
