// The portable layout on a canvas with fixed metrics (FakeHtmlCanvas: 8-pixel characters,
// 4-pixel spaces, 16-pixel lines). Expected positions follow from those metrics and the
// layout rules: the working rectangle starts 1 pixel right of the layout rectangle.
#include "html/HtmlLayout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "FakeHtmlCanvas.h"

namespace html {
namespace {

using testing::FakeHtmlCanvas;

HtmlLayoutRequest Request(std::string text, HtmlRect rect = {0, 0, 400, 400})
{
    HtmlLayoutRequest q;
    q.Text = std::move(text);
    q.Rect = rect;
    return q;
}

HtmlLayoutResult Measure(std::string text, HtmlRect rect = {0, 0, 400, 400})
{
    FakeHtmlCanvas canvas;
    HtmlLayoutRequest q = Request(std::move(text), rect);
    q.MeasureOnly = true;
    return LayoutHtmlText(canvas, q);
}

TEST(HtmlLayoutTest, EmptyTextMeasuresOneLineOfNothing)
{
    FakeHtmlCanvas canvas;
    const HtmlLayoutResult r = LayoutHtmlText(canvas, Request(""));
    EXPECT_EQ(r.TextHeight, 16);
    EXPECT_EQ(r.TextWidth, 0);
    EXPECT_EQ(r.AnchorCount, 0);
    EXPECT_FALSE(r.Hit);
    EXPECT_EQ(r.HitAnchorIndex, -1);
    EXPECT_TRUE(canvas.texts.empty());
}

TEST(HtmlLayoutTest, TextWidthIsTheWidestLinePlusTwoWithoutTrailingSpace)
{
    struct Case {
        const char* text;
        int width;
        int height;
    } cases[] = {
        {"abc", 26, 16},
        {"ab <BR>abc", 26, 32}, // "ab " counts 16, "abc" 24
        {"abc <BR>ab", 26, 32},
        // A later line at most 2 wider than the widest so far does not raise the width.
        {"ab<BR><B>ab</B>", 18, 32},
        {"ab<BR><B>abc</B>", 29, 32},
    };
    for (const Case& c : cases) {
        const HtmlLayoutResult r = Measure(c.text);
        EXPECT_EQ(r.TextWidth, c.width) << c.text;
        EXPECT_EQ(r.TextHeight, c.height) << c.text;
    }
}

TEST(HtmlLayoutTest, WordWrapBreaksAfterSpacesOnly)
{
    struct Case {
        const char* text;
        int right;
        std::vector<std::string> lines;
    } cases[] = {
        // Lines are 99 pixels wide: "aaaa bbbb " is 72, "cccc" would make 104.
        {"aaaa bbbb cccc", 100, {"aaaa bbbb ", "cccc"}},
        // A word wider than the whole line stays on its own line.
        {"aaaaaaaaaaaaaaaa", 50, {"aaaaaaaaaaaaaaaa"}},
        // A run at least as wide as the line stays wherever it starts.
        {"ab aaaaaaaaaaaaaaaa", 50, {"ab aaaaaaaaaaaaaaaa"}},
        {"ab cccc aaaaaaaaaaaaaaaa", 50, {"ab ", "cccc aaaaaaaaaaaaaaaa"}},
        // No break point between "aaaaa" and the bold run: it stays though it overflows.
        {"aaaaa<B>bbbb</B>", 60, {"aaaaabbbb"}},
        // "&nbsp;" joins words: no break point.
        {"aaaaa&nbsp;bbbb", 60, {"aaaaa bbbb"}},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(c.text, {0, 0, c.right, 400}));
        std::vector<std::string> lines;
        int top = -1;
        for (const auto& t : canvas.texts) {
            if (t.Rect.Top != top)
                lines.emplace_back(), top = t.Rect.Top;
            lines.back() += t.Text;
        }
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

TEST(HtmlLayoutTest, WithoutWordWrapALineIsCutWithAnEllipsis)
{
    FakeHtmlCanvas canvas;
    HtmlLayoutRequest q = Request("aaaa bbbb cccc dddd", {0, 0, 50, 400});
    q.WordWrap = false;
    const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
    EXPECT_EQ(r.TextHeight, 16);
    ASSERT_FALSE(canvas.texts.empty());
    EXPECT_EQ(canvas.texts[0].Text, "aaaa bbbb cccc dddd");
    EXPECT_EQ(canvas.texts[0].Format,
              unsigned(kFormatBottom | kFormatSingleLine | kFormatExpandTabs | kFormatEndEllipsis));
}

TEST(HtmlLayoutTest, LinesBelowTheRectangleAreDroppedUnlessMeasuring)
{
    const char* text = "1<BR>2<BR>3<BR>4<BR>5";
    FakeHtmlCanvas canvas;
    // Line tops 0, 16, 32: after the second line 32 + 16 passes the bottom at 40.
    const HtmlLayoutResult drawn = LayoutHtmlText(canvas, Request(text, {0, 0, 100, 40}));
    EXPECT_EQ(drawn.TextHeight, 32);
    EXPECT_EQ(canvas.AllText(), "12");
    EXPECT_EQ(Measure(text, {0, 0, 100, 40}).TextHeight, 80);
}

TEST(HtmlLayoutTest, AmpersandsShowOnceUnlessTheTextHasALoneAmpersand)
{
    FakeHtmlCanvas plain;
    LayoutHtmlText(plain, Request("a&amp;b"));
    EXPECT_EQ(plain.AllText(), "a&b");
    FakeHtmlCanvas withLone;
    LayoutHtmlText(withLone, Request("x & a&amp;b"));
    EXPECT_EQ(withLone.AllText(), "x & a&&b");
}

TEST(HtmlLayoutTest, PlainTextHoldsRunsHiddenTextAndBreaks)
{
    struct Case {
        const char* text;
        const char* plain;
    } cases[] = {
        {"<B>bold</B> and <I>it</I>", "bold and it"},
        {"a<BR>b", "a\rb"},
        {"a<Z>hidden</Z>b", "ahiddenb"},
        {"&lt;b&gt; &quot;", "<b> \""},
        {"a <x b", "a "}, // a "<" without ">" drops the rest
        {"a< b>c", "ac"}, // "<" and a blank hide everything up to ">"
        {"a&lt; b>c", "a< b>c"},
        {"ab<", "ab"},
        {"ab<B", "ab"},
        {"<#name> x <#other>", "#name x "},
        {"one\r\ntwo\nthree", "one\rtwothree"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Measure(c.text).PlainText, c.plain) << c.text;
}

TEST(HtmlLayoutTest, StyleTagsChangeTheFontUntilTheirClosingTag)
{
    struct Case {
        const char* text;
        unsigned style; // of the run "x"
    } cases[] = {
        {"<B>x", kHtmlBold},
        {"<b>x", kHtmlBold},
        {"<I>x", kHtmlItalic},
        {"<U>x", kHtmlUnderline},
        {"<S>x", kHtmlStrikeOut},
        {"<B><I>x", kHtmlBold | kHtmlItalic},
        {"<B><B></B>x", 0}, // style tags do not nest
        {"<BI>x", 0},       // unknown: no effect
        {"<I><B></I>x", kHtmlBold},
        {"<U></UL>x", 0}, // a list end outside a list switches underline off
        {"<S></SX>x", 0},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(c.text));
        ASSERT_EQ(canvas.texts.size(), 1u) << c.text;
        EXPECT_EQ(canvas.texts.back().Font.Style, c.style) << c.text;
    }
}

TEST(HtmlLayoutTest, FontTagSetsFaceColourSizeAndBackground)
{
    struct Case {
        const char* text;
        std::function<void(const testing::DrawnText&)> check;
    } cases[] = {
        {R"(<FONT face="Courier New">x)", [](auto& t) { EXPECT_EQ(t.Font.Name, "COURIER NEW"); }},
        {R"(<FONT color="clRed">x)", [](auto& t) { EXPECT_EQ(t.Font.Color, 0x0000FFu); }},
        {R"(<FONT color="#ff8000">x)", [](auto& t) { EXPECT_EQ(t.Font.Color, 0x0080FFu); }},
        {R"(<FONT bgcolor="clRed">x)",
         [](auto& t) {
             EXPECT_EQ(t.Font.Color, 0u); // BGCOLOR is not " COLOR"
             EXPECT_EQ(t.Brush, 0x0000FFu);
         }},
        {R"(<FONT size="3">x)", [](auto& t) { EXPECT_EQ(t.Font.Height, -16); }},  // 12 points
        {R"(<FONT size="1">x)", [](auto& t) { EXPECT_EQ(t.Font.Height, -11); }},  // 8 points
        {R"(<FONT size="24">x)", [](auto& t) { EXPECT_EQ(t.Font.Height, -32); }}, // points
        {R"(<FONT face="A" size="24" color="clRed" bgcolor="clLime"></FONT>x)",
         [](auto& t) {
             EXPECT_EQ(t.Font.Name, "Base");
             EXPECT_EQ(t.Font.Height, -16);
             EXPECT_EQ(t.Font.Color, 0u);
             EXPECT_EQ(t.Brush, kHtmlNoColor);
         }},
        {R"(<FONT color="">x)", [](auto& t) { EXPECT_EQ(t.Font.Color, 0u); }},
        {R"(<HI>x)",
         [](auto& t) {
             EXPECT_EQ(t.Font.Color, kHtmlHighlightText);
             EXPECT_EQ(t.Brush, kHtmlHighlight);
         }},
        {R"(<HI></HI>x)",
         [](auto& t) {
             EXPECT_EQ(t.Font.Color, 0u);
             EXPECT_EQ(t.Brush, kHtmlNoColor);
         }},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(c.text));
        ASSERT_EQ(canvas.texts.size(), 1u) << c.text;
        SCOPED_TRACE(c.text);
        c.check(canvas.texts.back());
    }
}

TEST(HtmlLayoutTest, PlainColorsIgnoresFontAndLinkColours)
{
    FakeHtmlCanvas canvas;
    HtmlLayoutRequest q =
        Request(R"(<FONT color="clRed" bgcolor="clLime">a</FONT><A href="t">b</A>)");
    q.PlainColors = true;
    LayoutHtmlText(canvas, q);
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].Font.Color, 0u);
    EXPECT_EQ(canvas.texts[0].Brush, kHtmlNoColor);
    EXPECT_EQ(canvas.texts[1].Font.Color, 0u);
}

TEST(HtmlLayoutTest, CanvasGetsItsFontAndBrushBack)
{
    FakeHtmlCanvas canvas;
    const HtmlFont entry = canvas.font;
    LayoutHtmlText(canvas,
                   Request(R"(<B><FONT face="X" bgcolor="clRed" size="30">a<HI>b<R a="90">c)"));
    EXPECT_EQ(canvas.font, entry);
    EXPECT_EQ(canvas.brush, 0xFFFFFFu);
    EXPECT_EQ(canvas.liveRotatedFonts, 0);
}

TEST(HtmlLayoutTest, TurnedFontsAreDeletedWhereverTheRotationEnds)
{
    struct Case {
        const char* text;
        std::vector<int> angles; // turned fonts created over both passes
    } cases[] = {
        {R"(<R a="90">x</R>y)", {90, 90}},
        {R"(<R a="90">x<R a="45">y)", {90, 45, 90, 45}}, // nested: the first is deleted
        {R"(<R a="90">x<BR>y)", {90, 90}},               // the line restores its start font
        {R"(<R a="90">x)", {90, 90}},                    // the end of the call
        {R"(</R>x)", {}},                                // nothing to end
        {R"(<R>x)", {0, 0}},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(c.text));
        EXPECT_EQ(canvas.angles, c.angles) << c.text;
        EXPECT_EQ(canvas.liveRotatedFonts, 0) << c.text;
        EXPECT_FALSE(canvas.rotatedFontLeaked) << c.text;
        EXPECT_FALSE(canvas.restoreWithoutFont) << c.text;
    }
}

TEST(HtmlLayoutTest, BlinkingTextInTheOffPhase)
{
    struct Case {
        HtmlColor brush;
        bool phase;
        std::string drawn;
        HtmlColor color;
    } cases[] = {
        {0xFFFFFF, true, "ab", 0},
        {0xFFFFFF, false, "ab", 0xFFFFFF}, // drawn in the background colour
        {kHtmlNoColor, false, "b", 0},     // no background colour: nothing painted
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        canvas.brush = c.brush;
        HtmlLayoutRequest q = Request("<BL>a</BL>b");
        q.BlinkPhase = c.phase;
        LayoutHtmlText(canvas, q);
        EXPECT_EQ(canvas.AllText(), c.drawn);
        EXPECT_EQ(canvas.texts.front().Font.Color, c.color);
    }
}

// Two anchors on a line: "ab" (16) + anchor "cd" from x 17, " " (4), anchor "ef" from x 37.
constexpr const char* kTwoAnchors = R"(ab<A href="one">cd</A> <A href="two">ef</A>)";

TEST(HtmlLayoutTest, HotEffectsChooseWhichAnchorsAreUnderlined)
{
    struct Case {
        bool hotEffects;
        HtmlColor hotText;
        unsigned firstStyle, secondStyle;
        HtmlColor firstColor, secondColor;
    } cases[] = {
        {true, kHtmlNoColor, 0, kHtmlUnderline, 0xFF0000, 0xFF0000},
        {false, kHtmlNoColor, kHtmlUnderline, kHtmlUnderline, 0xFF0000, 0xFF0000},
        {true, 0x00FF00, 0, kHtmlUnderline, 0xFF0000, 0x00FF00},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        HtmlLayoutRequest q = Request(kTwoAnchors);
        q.HotIndex = 2;
        q.HotEffects = c.hotEffects;
        q.HotTextColor = c.hotText;
        q.LinkColor = 0xFF0000;
        const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
        EXPECT_EQ(r.AnchorCount, 2);
        ASSERT_EQ(canvas.texts.size(), 4u);
        EXPECT_EQ(canvas.texts[1].Text, "cd");
        EXPECT_EQ(canvas.texts[1].Font.Style, c.firstStyle);
        EXPECT_EQ(canvas.texts[1].Font.Color, c.firstColor);
        EXPECT_EQ(canvas.texts[3].Font.Style, c.secondStyle);
        EXPECT_EQ(canvas.texts[3].Font.Color, c.secondColor);
        EXPECT_EQ(canvas.texts[2].Font.Color, 0u); // the base colour between the anchors
    }
}

TEST(HtmlLayoutTest, HitTestFindsTheAnchorUnderThePoint)
{
    struct Case {
        int x, y;
        bool hit;
        const char* anchor;
        int index;
        HtmlRect rect;
    } cases[] = {
        {42, 8, true, "two", 2, {37, 0, 53, 16}},
        {20, 8, true, "one", 1, {17, 0, 33, 16}},
        {5, 8, false, "before", -1, {1, 2, 3, 4}},
        // On the text horizontally but below the band of its line: not a hit, though the
        // anchor's target, number and rectangle are reported.
        {42, 30, false, "two", 2, {37, 0, 53, 16}},
        {42, -1, false, "before", -1, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        HtmlLayoutRequest q = Request(kTwoAnchors);
        q.HitTestOnly = true;
        q.X = c.x;
        q.Y = c.y;
        q.HitAnchor = "before";
        q.HitAnchorRect = {1, 2, 3, 4};
        const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
        EXPECT_EQ(r.Hit, c.hit) << c.x;
        EXPECT_EQ(r.HitAnchor, c.anchor) << c.x;
        EXPECT_EQ(r.HitAnchorIndex, c.index) << c.x;
        EXPECT_EQ(r.HitAnchorRect, c.rect) << c.x;
        EXPECT_TRUE(canvas.texts.empty());
    }
}

TEST(HtmlLayoutTest, AnAnchorOverTwoLinesReportsItsRectangleOnTheLastLine)
{
    FakeHtmlCanvas canvas;
    HtmlLayoutRequest q = Request(R"(ab <A href="t">cccc dd</A>)", {0, 0, 70, 400});
    q.HitTestOnly = true;
    // Line 1 is "ab cccc " (61 wide, line 69); "dd" goes to line 2, from x 1 to 17.
    q.X = 10;
    q.Y = 20;
    const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
    EXPECT_TRUE(r.Hit);
    EXPECT_EQ(r.HitAnchor, "t");
    EXPECT_EQ(r.HitAnchorIndex, 1);
    EXPECT_EQ(r.HitAnchorRect, (HtmlRect{1, 16, 17, 32}));
}

TEST(HtmlLayoutTest, TheFocusedAnchorGetsAFocusRectangleAndItsHref)
{
    FakeHtmlCanvas canvas;
    HtmlLayoutRequest q = Request(kTwoAnchors);
    q.FocusIndex = 1;
    const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
    EXPECT_EQ(r.FocusedHref, "two");
    ASSERT_EQ(canvas.focusRects.size(), 1u);
    // From the anchor's x (37) to its end (53), widened by one; the line's "gh" band.
    EXPECT_EQ(canvas.focusRects[0], (HtmlRect{36, 0, 54, 16}));
}

TEST(HtmlLayoutTest, EffectsStartingInsideALineLeaveItsStartAlone)
{
    FakeHtmlCanvas shadow;
    HtmlLayoutRequest q = Request("ab<SHAD>cd<BR>ef</SHAD>gh");
    q.ShadowColor = 0x808080;
    q.ShadowOffset = 2;
    LayoutHtmlText(shadow, q);
    // Shadows come first, in the shadow colour and offset by 2 both ways.
    EXPECT_EQ(shadow.TextsInColor(0x808080), "cdef");
    EXPECT_EQ(shadow.TextsInColor(0), "abcdefgh");
    EXPECT_EQ(shadow.texts[1].Rect.Left, shadow.texts[2].Rect.Left + 2);
    EXPECT_EQ(shadow.texts[1].Rect.Bottom, shadow.texts[2].Rect.Bottom + 2);

    FakeHtmlCanvas hidden;
    const HtmlLayoutResult r = LayoutHtmlText(hidden, Request("ab<Z>cd<BR>ef</Z>gh"));
    EXPECT_EQ(hidden.AllText(), "abgh");
    // Both passes write it, line by line; the drawing pass never sees the hidden runs, which
    // the measuring pass removed from the line.
    EXPECT_EQ(r.PlainText,
              "abcd\r"
              "ab\r"
              "efgh"
              "gh");

    FakeHtmlCanvas scripts;
    LayoutHtmlText(scripts, Request("ab<SUP>cd</SUP>ef<SUB>gh"));
    // Superscript and subscript lift and lower by a quarter of the text height.
    ASSERT_EQ(scripts.texts.size(), 4u);
    const int base = scripts.texts[0].Rect.Bottom;
    EXPECT_EQ(scripts.texts[1].Rect.Bottom, base - 4);
    EXPECT_EQ(scripts.texts[2].Rect.Bottom, base);
    EXPECT_EQ(scripts.texts[3].Rect.Bottom, base + 4);
    EXPECT_EQ(Measure("ab<SUP>cd</SUP>ef<SUB>gh").TextHeight, 24);
}

TEST(HtmlLayoutTest, AlignmentIndentAndOffsetMoveTheLine)
{
    struct Case {
        const char* text;
        int left; // of the run "xx" (16 wide)
    } cases[] = {
        {"xx", 1},
        {R"(<P align="right">xx)", 101 - 16},
        {R"(<P align="center">xx)", 1 + (100 - 16) / 2},
        {R"(<P align="left right">xx)", 1},
        {R"(<P align="right">a<BR>xx)", 101 - 16}, // kept for the following lines
        {R"(<P indent="10">xx)", 11},
        {R"(<IN x="30">xx)", 30}, // from the layout rectangle's left
        {R"(<OF x="40">xx)", 40},
        {R"(<OF x="40">a<BR>xx)", 41}, // the working rectangle moves by the offset
        {R"(<OF x="40">a</OF><BR>xx)", 1},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(c.text, {0, 0, 101, 400}));
        ASSERT_FALSE(canvas.texts.empty()) << c.text;
        EXPECT_EQ(canvas.texts.back().Text, "xx") << c.text;
        EXPECT_EQ(canvas.texts.back().Rect.Left, c.left) << c.text;
    }
}

TEST(HtmlLayoutTest, ErrorMarkDrawsARedZigZagUnderTheRun)
{
    FakeHtmlCanvas canvas;
    LayoutHtmlText(canvas, Request("a<E>bc</E>d"));
    // "bc" runs from x 9 to 25 on a line whose bottom is 16: start at 8 (a multiple of 8 is
    // a multiple of 4, so phase 2), then alternate between y 15 and 17 every 2 pixels.
    ASSERT_EQ(canvas.lines.size(), 9u);
    for (size_t i = 0; i < canvas.lines.size(); ++i) {
        const auto& l = canvas.lines[i];
        EXPECT_EQ(l.Pen, 0x0000FFu);
        EXPECT_EQ(l.X1, 8 + 2 * int(i));
        EXPECT_EQ(l.X2, l.X1 + 2);
        EXPECT_EQ(l.Y1, i % 2 == 0 ? 17 : 15);
        EXPECT_EQ(l.Y2, i % 2 == 0 ? 15 : 17);
    }
}

TEST(HtmlLayoutTest, ListsIndentAndStartOneItemPerLine)
{
    FakeHtmlCanvas canvas;
    const HtmlLayoutResult r =
        LayoutHtmlText(canvas, Request("<UL><LI>a<LI>b<UL><LI>c</UL></UL><LI>d"));
    std::vector<std::pair<std::string, int>> drawn;
    for (const auto& t : canvas.texts)
        drawn.emplace_back(t.Text, t.Rect.Left);
    const std::vector<std::pair<std::string, int>> expected = {
        {"\xB7", 1}, {"a", 13}, {"\xB7", 1}, {"b", 13}, {"o", 13}, {"c", 25}, {"o", -11}, {"d", 1},
    };
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(canvas.texts[0].Font.Name, "Symbol");
    EXPECT_EQ(canvas.texts[0].Format, 0u);
    EXPECT_EQ(canvas.texts[1].Font.Name, "Base");
    // The first item's line counts the second item's indent too: 12 + 8 + 12.
    EXPECT_EQ(Measure("<UL><LI>a<LI>b").TextWidth, 34);
    // "<UL>" ends its line, "</UL>" does not: "<UL>", "a", "b<UL>", "c</UL></UL>", "d".
    EXPECT_EQ(r.TextHeight, 16 * 5);
}

TEST(HtmlLayoutTest, RuleEndsTheLineAndDrawsUnderIt)
{
    FakeHtmlCanvas canvas;
    canvas.pen = 0x123456;
    LayoutHtmlText(canvas, Request("ab<HR>cd", {0, 0, 100, 400}));
    ASSERT_EQ(canvas.lines.size(), 1u);
    const auto& l = canvas.lines[0];
    EXPECT_EQ(l.Pen, 0u);
    EXPECT_EQ((std::vector<int>{l.X1, l.Y1, l.X2, l.Y2}), (std::vector<int>{1, 17, 100, 17}));
    EXPECT_EQ(canvas.pen, 0x123456u);
    EXPECT_EQ(canvas.texts.back().Rect.Top, 16);
}

TEST(HtmlLayoutTest, ParagraphAndBodyBackgrounds)
{
    {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(R"(<P bgcolor="clRed">ab<BR>cd</P>ef)", {0, 0, 100, 400}));
        // The tag fills its line; the next line's band is painted at its start; "</P>" ends it.
        std::erase_if(canvas.rectangles, [](const auto& r) { return r.Brush == kHtmlNoColor; });
        ASSERT_EQ(canvas.rectangles.size(), 2u);
        EXPECT_EQ(canvas.rectangles[0].Rect, (HtmlRect{0, 0, 100, 16}));
        EXPECT_EQ(canvas.rectangles[0].Brush, 0x0000FFu);
        EXPECT_EQ(canvas.rectangles[1].Rect, (HtmlRect{0, 16, 100, 32}));
        EXPECT_EQ(canvas.texts.back().Brush, kHtmlNoColor);
    }
    {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas,
                       Request(R"(<P bgcolorto="clBlue" bgcolor="clRed">ab)", {0, 0, 128, 400}));
        // BGCOLORTO named first: its value is both colours. 64 horizontal bands of 2 pixels.
        std::erase_if(canvas.rectangles, [](const auto& r) { return r.Brush == kHtmlNoColor; });
        ASSERT_EQ(canvas.rectangles.size(), 64u);
        EXPECT_EQ(canvas.rectangles[0].Brush, 0xFF0000u);
        EXPECT_EQ(canvas.rectangles[63].Brush, 0xFF0000u);
        EXPECT_EQ(canvas.rectangles[1].Rect, (HtmlRect{2, 0, 5, 18}));
    }
    {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas, Request(R"(<BODY bgcolor="clRed" bgcolorto="clBlue" dir="V">ab)",
                                       {0, 0, 100, 64}));
        ASSERT_EQ(canvas.rectangles.size(), 64u);
        EXPECT_EQ(canvas.rectangles[1].Rect, (HtmlRect{0, 1, 100, 3})); // vertical bands of 1
        EXPECT_EQ(canvas.rectangles[0].Brush, 0x0000FFu);
    }
    {
        FakeHtmlCanvas canvas;
        LayoutHtmlText(canvas,
                       Request(R"(<BODY bgcolor="clRed" background="tile" bgtopright="corner">ab)",
                               {0, 0, 100, 64}));
        ASSERT_EQ(canvas.rectangles.size(), 1u);
        EXPECT_EQ(canvas.rectangles[0].Rect, (HtmlRect{-2, 0, 100, 64}));
        ASSERT_EQ(canvas.backgrounds.size(), 2u);
        EXPECT_EQ(canvas.backgrounds[0].Source, "TILE");
        EXPECT_EQ(canvas.backgrounds[0].Kind, HtmlBackground::Tile);
        EXPECT_EQ(canvas.backgrounds[1].Kind, HtmlBackground::TopRight);
        EXPECT_EQ(canvas.texts[0].Brush, 0x0000FFu);
    }
}

TEST(HtmlLayoutTest, GradientBandsOfOneFillTheRectangle)
{
    FakeHtmlCanvas canvas;
    FillGradientBands(canvas, 0x0000FF, 0xFF0000, true, {0, 0, 50, 20}, 0, kHtmlNoColor);
    ASSERT_EQ(canvas.rectangles.size(), 1u);
    EXPECT_EQ(canvas.rectangles[0].Rect, (HtmlRect{0, 0, 50, 20}));
    EXPECT_EQ(canvas.rectangles[0].Brush, 0x0000FFu);
    FillGradientBands(canvas, 0x000000, 0x0000FF, false, {0, 0, 50, 20}, 2, 0x00FF00);
    ASSERT_EQ(canvas.rectangles.size(), 4u);
    EXPECT_EQ(canvas.rectangles[2].Brush, 0x000080u); // round(1 * 255 / 2) = 128
    EXPECT_EQ(canvas.rectangles[3].Brush, kHtmlNoColor);
    EXPECT_EQ(canvas.rectangles[3].Pen, 0x00FF00u);
}

TEST(HtmlLayoutTest, ImagesTakeTheirPlaceInTheLine)
{
    struct Case {
        const char* text;
        int right;
        std::vector<int> imageLefts; // drawn image positions
        int height;                  // TextHeight
    } cases[] = {
        {R"(ab<IMG src="pic">cd)", 200, {17}, 30}, // 30 x 30 picture
        // Does not fit in the rest of the line: next line.
        {R"(aaaaa<IMG src="pic">)", 60, {1}, 16 + 30},
        // Wider than the whole line: stays.
        {R"(<IMG src="pic">)", 20, {1}, 30},
        {R"(ab<IMG src="pic" width="10" height="5">cd)", 200, {17}, 16},
        {R"(ab<IMG src="missing">cd)", 200, {}, 16},
        {R"(ab<IMG src="pic" wrap>cd)", 200, {17}, 16},
    };
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        canvas.images["pic"] = {30, 30};
        const HtmlLayoutResult r = LayoutHtmlText(canvas, Request(c.text, {0, 0, c.right, 400}));
        std::vector<int> lefts;
        for (const auto& image : canvas.drawnImages)
            lefts.push_back(image.X);
        EXPECT_EQ(lefts, c.imageLefts) << c.text;
        EXPECT_EQ(r.TextHeight, c.height) << c.text;
    }
}

TEST(HtmlLayoutTest, AnImageInsideAnAnchorIsHitAndShowsItsAltImage)
{
    FakeHtmlCanvas canvas;
    canvas.images["pic"] = {20, 20};
    canvas.images["HOVER"] = {20, 20};
    HtmlLayoutRequest q = Request(R"(ab<A href="go"><IMG src="pic" alt="hover"></A>)");
    q.X = 25;
    q.Y = 10;
    const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
    EXPECT_TRUE(r.Hit);
    EXPECT_EQ(r.HitAnchor, "go");
    ASSERT_EQ(canvas.drawnImages.size(), 1u);
    EXPECT_EQ(canvas.drawnImages[0].Source, "HOVER");

    FakeHtmlCanvas away;
    away.images = canvas.images;
    q.X = 5;
    EXPECT_FALSE(LayoutHtmlText(away, q).Hit);
    ASSERT_EQ(away.drawnImages.size(), 1u);
    EXPECT_EQ(away.drawnImages[0].Source, "pic");
}

TEST(HtmlLayoutTest, ImageAlignmentRaisesTheBaseline)
{
    struct Case {
        const char* align;
        int bottom; // of the text after the 40-pixel image
    } cases[] = {{"bottom", 40}, {"top", 16}, {"middle", 28}};
    for (const Case& c : cases) {
        FakeHtmlCanvas canvas;
        canvas.images["pic"] = {10, 40};
        LayoutHtmlText(canvas,
                       Request(std::string(R"(<IMG src="pic" align=")") + c.align + R"(">x)"));
        ASSERT_EQ(canvas.texts.size(), 1u);
        EXPECT_EQ(canvas.texts[0].Rect.Bottom, c.bottom) << c.align;
    }
}

TEST(HtmlLayoutTest, MarkupEndingAnywhereEndsTheTextCleanly)
{
    // Every prefix of a text that uses each kind of tag, attribute and entity.
    const std::string full =
        R"(a&amp;b<A href="x">l</A><FONT face="F" color="#FF0000" size="3">c</FONT>)"
        R"(<IMG src="pic" alt="p" width="4"><R a="30">r</R><P align="right" bgcolor="clred">)"
        R"(<UL><LI>i</UL><IN x="5"><OF x="3">&nbsp;&lt;<#ph><SUB>s</SUB><E>e</E><HR>)";
    for (size_t n = 0; n <= full.size(); ++n) {
        for (bool measureOnly : {false, true}) {
            FakeHtmlCanvas canvas;
            canvas.images["pic"] = {4, 4};
            HtmlLayoutRequest q = Request(full.substr(0, n), {0, 0, 60, 200});
            q.MeasureOnly = measureOnly;
            q.X = 10;
            q.Y = 5;
            const HtmlLayoutResult r = LayoutHtmlText(canvas, q);
            EXPECT_EQ(canvas.liveRotatedFonts, 0) << n;
            EXPECT_GE(r.TextHeight, 16) << n;
        }
    }
}

} // namespace
} // namespace html
