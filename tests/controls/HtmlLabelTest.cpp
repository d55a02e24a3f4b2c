// The HTML label and the reflection label: text handling, background, gradient line, bevels
// and border, the text through the renderer (bold, colour, size, line breaks, wrap), anchors
// (hover, hand cursor, clicks), auto sizing, and the reflection's mirrored, fading rows.
#include "controls/AdvReflectionLabel.h"
#include "html/AnchorLinks.h"
#include "controls/HTMLabel.h"

#include "core/StringList.h"
#include "draw/AdvGDIP.h"
#include "windows/Screen.h"
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

constexpr TColor LabelColour = 0x00E0E0E0;
constexpr uint32_t Blue5498FF = 0x5498FF; // the main window's caption colour as a DIB pixel

RECT BoundsOf(TControl* c)
{
    return {c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
}

void SetText(TCustomHTMLabel* label, const std::string& html)
{
    label->HTMLText()->Clear();
    label->HTMLText()->Add(html);
}

struct AnchorLog {
    std::vector<std::string> clicks, enters, exits;
    void Click(TObject*, const std::string& a) { clicks.push_back(a); }
    void Enter(TObject*, const std::string& a) { enters.push_back(a); }
    void Exit(TObject*, const std::string& a) { exits.push_back(a); }
};

// Sends a mouse message to a windowless label as its parent would pass it on.
void Mouse(TControl* label, UINT msg, int x, int y, WPARAM keys = 0)
{
    label->Perform(msg, keys, MAKELPARAM(x, y));
}

} // namespace

// ---- properties and text -------------------------------------------------------------------

TEST(HtmlLabelText, AssignedListBecomesOneLineAndEditsInPlaceKeepTheirLines)
{
    THTMLabel label(nullptr);
    EXPECT_EQ(label.Version(), "1.7.5.4");
    label.SetVersion("9.9.9.9");
    EXPECT_EQ(label.Version(), "1.7.5.4");
    TStringList three;
    three.Add("<B>one</B>");
    three.Add("two");
    three.Add("three");
    label.SetHTMLText(&three);
    ASSERT_EQ(label.HTMLText()->Count(), 1);
    EXPECT_EQ(label.HTMLText()->Strings(0), "<B>one</B>twothree");
    label.HTMLText()->Add("four");
    EXPECT_EQ(label.HTMLText()->Count(), 2);
    EXPECT_EQ(label.GetDisplayText(), "<B>one</B>twothreefour");
    EXPECT_EQ(label.Caption(), "");
}

TEST(HtmlLabelText, ReflectionLabelDefaultsAndVersion)
{
    TAdvReflectionLabel label(nullptr);
    EXPECT_EQ(label.Version(), "1.0.0.3");
    EXPECT_EQ(label.Reflection(), 100);
    EXPECT_EQ(label.ReflectionAxis(), -7);
    EXPECT_TRUE(label.Transparent());
    EXPECT_EQ(label.Width(), 185);
    EXPECT_EQ(label.Height(), 40);
    EXPECT_TRUE(label.Font()->Style().Contains(fsBold));
}

TEST(HtmlLabelText, ReflectionRowFactorsFollowTheFade)
{
    struct Case {
        int row, height, reflection, factor;
    } cases[] = {
        {0, 20, 100, 155},                                  // the first row: 255 - Reflection
        {1, 20, 100, 142},                                  // round(255 / 20 x 19 = 242.25) - 100
        {12, 20, 100, 2},                                   // round(102) - 100
        {13, 20, 100, 0},                                   // round(89.25) - 100, kept at 0
        {0, 20, 0, 255},   {0, 20, 255, 0}, {2, 4, 0, 128}, // round(127.5): halves to even
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReflectionRowAlpha(c.row, c.height, c.reflection), c.factor)
            << c.row << "/" << c.height;
}

TEST(AnchorTargets, OnlyWebAndMailTargetsGoToTheShell)
{
    struct Case {
        const char* anchor;
        bool shell;
    } cases[] = {
        {"http://example.com", true},  {"HTTPS://example.com/x", true},
        {"mailto:a@b.c", true},        {"file://C:/Windows/notepad.exe", false},
        {"FILE://x", false},           {"ftp://host/file", false},
        {"javascript://alert", false}, {"cmd.exe", false},
        {"x mailto:a@b.c", false},     {"step2", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(html::OpensInShell(c.anchor), c.shell) << c.anchor;
}

// ---- background, gradient line, bevels and border ---------------------------------------------

TEST_F(LabelTest, StepGradientBandsFollowThePartsArithmetic)
{
    // Black to red over 16 pixels: 16 div 4 = 4 bands; red = round(i x 63.75).
    const uint32_t bands[] = {0x000000, 0x400000, 0x800000, 0xBF0000};
    for (TGradientType type : {gtFullHorizontal, gtFullVertical}) {
        SCOPED_TRACE(type);
        auto* label = Place<THTMLabel>(10, 10, 16, 16);
        label->SetTransparent(false);
        label->SetColor(0x000000);
        label->SetColorTo(0x0000FF);
        label->SetGradientType(type);
        const auto dib = Render();
        for (int i = 0; i < 4; ++i) {
            const int along = 4 * i + 1;
            const uint32_t pixel =
                type == gtFullHorizontal ? dib->Pixel(10 + along, 18) : dib->Pixel(18, 10 + along);
            EXPECT_EQ(pixel, bands[i]) << "band " << i;
        }
        label->Free();
    }
}

TEST_F(LabelTest, SolidBackgroundAndTheTwoPixelLineFadingTowardWhite)
{
    auto* label = Place<THTMLabel>(10, 10, 40, 20);
    label->SetTransparent(false);
    label->SetColor(0x000000);
    label->SetGradientType(gtBottomLine); // ColorTo clNone reads as white
    label->SetLineWidth(7);               // changes nothing
    auto dib = Render();
    EXPECT_EQ(dib->Pixel(12, 12), 0x000000u);
    EXPECT_EQ(dib->Pixel(12, 27), 0x000000u);
    EXPECT_EQ(dib->Pixel(11, 28), 0x000000u); // first band of 10: black
    EXPECT_EQ(dib->Pixel(11, 29), 0x000000u);
    EXPECT_EQ(dib->Pixel(48, 29), 0xE6E6E6u); // last band: round(9 x 25.5) = 230, one step short
    label->SetColorTo(clNone);
    label->SetGradientType(gtFullHorizontal);
    dib = Render();
    EXPECT_EQ(dib->Pixel(48, 29), 0x000000u); // clNone with a full type: solid
}

TEST_F(LabelTest, TransparentLabelKeepsBevelsAndBorderLine)
{
    auto* label = Place<THTMLabel>(10, 10, 40, 20);
    label->SetTransparent(true);
    label->SetBevelOuter(bvRaised);
    auto dib = Render();
    EXPECT_EQ(dib->Pixel(10, 20), Rgb(clBtnHighlight)); // left edge: top colour
    EXPECT_EQ(dib->Pixel(49, 20), Rgb(clBtnShadow));    // right edge: bottom colour
    EXPECT_EQ(dib->Pixel(30, 20), Rgb(ParentColour));   // inside: the parent shows
    label->SetBevelOuter(bvLowered);
    dib = Render();
    EXPECT_EQ(dib->Pixel(10, 20), Rgb(clBtnShadow));
    EXPECT_EQ(dib->Pixel(30, 29), Rgb(clBtnHighlight));

    label->SetBevelOuter(bvNone);
    label->SetBorderStyle(bsSingle);
    label->SetBorderWidth(1);
    label->SetBorderColor(0x0000FF);
    dib = Render();
    for (POINT p : {POINT{10, 10}, POINT{49, 20}, POINT{30, 29}, POINT{10, 29}})
        EXPECT_EQ(dib->Pixel(p.x, p.y), 0xFF0000u) << p.x << "," << p.y;
    label->SetBorderColor(clNone); // no line, only the ring in the label's colour
    dib = Render();
    EXPECT_EQ(CountPixels(*dib, BoundsOf(label), 0xFF0000), 0);
}

// ---- text through the renderer ---------------------------------------------------------------

TEST_F(LabelTest, BoldColourSizeAndLineBreaksReachThePixels)
{
    auto* plain = Place<THTMLabel>(10, 10, 300, 40);
    auto* bold = Place<THTMLabel>(10, 60, 300, 40);
    auto* big = Place<THTMLabel>(10, 110, 300, 60);
    auto* twoLines = Place<THTMLabel>(10, 180, 300, 60);
    SetText(plain, "<FONT color=\"#5498FF\">Connect to MCU</FONT>");
    SetText(bold, "<B><FONT color=\"#5498FF\">Connect to MCU</FONT></B>");
    SetText(big, "<B><FONT size=\"22\" color=\"#5498FF\">Connect to MCU</FONT></B>");
    SetText(twoLines, "<B><FONT color=\"#5498FF\">Bootloading <BR>progress bar</FONT></B>");
    const auto dib = Render();
    const RECT plainInk = InkBox(*dib, BoundsOf(plain), Blue5498FF);
    const RECT boldInk = InkBox(*dib, BoundsOf(bold), Blue5498FF);
    const RECT bigInk = InkBox(*dib, BoundsOf(big), Blue5498FF);
    const RECT linesInk = InkBox(*dib, BoundsOf(twoLines), Blue5498FF);
    ASSERT_FALSE(IsRectEmpty(&plainInk)) << "no text in the markup's colour";
    EXPECT_GT(boldInk.right - boldInk.left, plainInk.right - plainInk.left);
    EXPECT_GT(CountPixels(*dib, BoundsOf(bold), Blue5498FF),
              CountPixels(*dib, BoundsOf(plain), Blue5498FF));
    EXPECT_GT(bigInk.bottom - bigInk.top, 2 * (plainInk.bottom - plainInk.top));
    EXPECT_GT(linesInk.bottom - linesInk.top, 2 * (plainInk.bottom - plainInk.top) - 2);
}

TEST_F(LabelTest, WordWrapBreaksLinesUnlessEllipsisIsOn)
{
    auto* wrapped = Place<THTMLabel>(10, 10, 60, 80);
    auto* cut = Place<THTMLabel>(10, 100, 60, 80);
    for (THTMLabel* label : {wrapped, cut})
        SetText(label, "<FONT color=\"#5498FF\">Wait for USB link now</FONT>");
    cut->SetEllipsis(true);
    const auto dib = Render();
    const RECT wrappedInk = InkBox(*dib, BoundsOf(wrapped), Blue5498FF);
    const RECT cutInk = InkBox(*dib, BoundsOf(cut), Blue5498FF);
    ASSERT_FALSE(IsRectEmpty(&wrappedInk));
    ASSERT_FALSE(IsRectEmpty(&cutInk));
    EXPECT_GT(wrappedInk.bottom - wrappedInk.top, 2 * (cutInk.bottom - cutInk.top));
    EXPECT_LE(cutInk.right, 70);
}

TEST_F(LabelTest, AutoSizingTakesTheRenderedHeightPlusSix)
{
    auto* label = Place<THTMLabel>(10, 10, 200, 5);
    SetText(label, "<B>Connect to MCU</B>");
    label->SetAutoSizing(true);
    Render();
    const int first = label->Height();
    EXPECT_GT(first, 6 + 8);
    Render(); // the change triggers one more paint, which keeps the size
    EXPECT_EQ(label->Height(), first);
    label->SetAlign(alClient); // never resizes
    label->SetAlign(alNone);
}

// ---- anchors --------------------------------------------------------------------------------

TEST_F(LabelTest, AnchorHoverUnderlinesInTheHoverColourWithTheHandCursor)
{
    auto* label = Place<THTMLabel>(10, 10, 200, 30);
    SetText(label, "<A href=\"step2\">anchor text</A> after");
    label->SetHover(true);
    label->SetHoverFontColor(0x0000FF);
    AnchorLog log;
    label->OnAnchorEnter = TAnchorClick(&log, &AnchorLog::Enter);
    label->OnAnchorExit = TAnchorClick(&log, &AnchorLog::Exit);
    auto dib = Render();
    EXPECT_GT(CountPixels(*dib, BoundsOf(label), Rgb(clBlue)), 10); // URLColor before hovering

    const int linkPixels = CountPixels(*dib, BoundsOf(label), Rgb(clBlue));
    Mouse(label, WM_MOUSEMOVE, 5, 8);
    EXPECT_EQ(label->Cursor(), crHandPoint);
    EXPECT_EQ(log.enters, std::vector<std::string>{"step2"});
    EXPECT_NE(label->HotIndex(), -1);
    // The hovered anchor draws in HoverFontColor, underlined: more ink than before.
    dib = Render();
    const int hoverPixels = CountPixels(*dib, BoundsOf(label), Rgb(0x0000FF));
    EXPECT_GT(hoverPixels, linkPixels);
    const RECT hoverInk = InkBox(*dib, BoundsOf(label), Rgb(0x0000FF));
    int underline = 0;
    for (int x = hoverInk.left; x < hoverInk.right; ++x)
        underline += dib->Pixel(x, hoverInk.bottom - 1) == Rgb(0x0000FF);
    EXPECT_GT(underline, (hoverInk.right - hoverInk.left) * 3 / 4) << "no underline";

    Mouse(label, WM_MOUSEMOVE, 190, 25);
    EXPECT_EQ(label->Cursor(), crDefault);
    EXPECT_EQ(log.exits, std::vector<std::string>{""});
}

TEST_F(LabelTest, ClickedAnchorsThatAreNotWebOrMailGoToOnAnchorClick)
{
    struct Case {
        const char* target;
        bool event;
    } cases[] = {{"step2", true}, {"file://C:/windows/system32/calc.exe", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        auto* label = Place<THTMLabel>(10, 10, 300, 30);
        SetText(label, std::string("<A href=\"") + c.target + "\">click here</A>");
        AnchorLog log;
        label->OnAnchorClick = TAnchorClick(&log, &AnchorLog::Click);
        Render();
        Mouse(label, WM_RBUTTONDOWN, 5, 8, MK_RBUTTON); // any button
        Mouse(label, WM_RBUTTONUP, 5, 8);
        EXPECT_EQ(log.clicks, std::vector<std::string>{c.target});
        label->Free();
    }
}

// ---- reflection -----------------------------------------------------------------------------

TEST_F(LabelTest, ReflectionMirrorsTheTextRowsAndFadesThemOut)
{
    auto* label = Place<TAdvReflectionLabel>(10, 10, 258, 100);
    label->SetTransparent(false);
    label->SetColor(0xFFFFFF);
    label->Font()->SetName("Arial");
    label->Font()->SetHeight(-24);
    SetText(label, "<B><FONT color=\"#5498FF\">Brenvik</FONT></B>");
    label->SetReflection(0);
    label->SetReflectionAxis(0);
    Render(); // builds the reflection
    ASSERT_NE(label->ReflectionBitmap(), nullptr);
    const int h = label->LastTextHeight();
    const int w = label->LastTextWidth();
    ASSERT_GT(h, 0);
    const auto dib = Render();
    // Reflection 0: the first reflected row is the text's bottom row, unchanged; below it the
    // rows mirror the text upwards, fading toward the background.
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(dib->Pixel(10 + x, 10 + h), dib->Pixel(10 + x, 10 + h - 1)) << x;
    // Below it the text shows again, mirrored and faded toward the white background: the
    // text's colour mixed with white keeps full blue and less red than green.
    int tinted = 0;
    for (int y = 10 + h + 1; y < std::min(10 + h + h / 2, 110); ++y)
        for (int x = 10; x < 10 + w; ++x) {
            const uint32_t p = dib->Pixel(x, y);
            const uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
            tinted += b == 0xFF && r < g && g < 0xFF;
        }
    EXPECT_GT(tinted, 10);

    label->SetReflection(100); // rows fade out at about 61 % of the height
    Render();
    const auto faded = Render();
    const int gone = 10 + h + (h * 62) / 100 + 1;
    if (gone < 110)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(faded->Pixel(10 + x, gone), 0xFFFFFFu) << x;
}

namespace {

// A renderer that reports text of some height but no width.
class TZeroWidthReflection : public TAdvReflectionLabel {
public:
    using TAdvReflectionLabel::TAdvReflectionLabel;
    int draws = 0;

protected:
    bool RenderHtml(const html::HtmlDrawRequest&, html::HtmlDrawResult& result) override
    {
        ++draws;
        result = html::HtmlDrawResult{};
        result.TextWidth = 0;
        result.TextHeight = 12;
        return false;
    }
};

} // namespace

TEST_F(LabelTest, ZeroWidthTextBuildsNoReflection)
{
    auto* label = Place<TZeroWidthReflection>(10, 10, 100, 40);
    SetText(label, "<B>x</B>");
    Render();
    EXPECT_EQ(label->ReflectionBitmap(), nullptr);
    EXPECT_LE(label->draws, 4); // painted once more at most, then settled
}
