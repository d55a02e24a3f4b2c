// DrawHtmlText under Wine, painting into 32-bit DIB sections. Plain text is checked against
// the platform itself (DrawTextA draws it, GetTextExtentPoint32A measures it); tags, images
// and backgrounds by sampling pixels. The picture fixture green12x10.bmp (a 12 x 10 pure
// green bitmap written by ImageMagick) comes from tests/draw/data.
#include "html/HtmlRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "GuiTest.h"
#include "windows/Images.h"

using namespace classlib;
using html::DrawHtmlText;
using html::HtmlDrawRequest;
using html::HtmlDrawResult;
using testsupport::Dib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00,
                   kBlue = 0x0000FF;

// A colour (0x00BBGGRR, system colours resolved) as a DIB pixel (0xRRGGBB).
uint32_t Px(TColor c)
{
    c = ColorToRGB(c);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The font every test draws with: Arial (Liberation Sans under Wine), 10 points.
void UseTestFont(TCanvas& canvas)
{
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-13);
    canvas.Font()->SetColor(clBlack);
}

// DrawHtmlText into a white DIB; `setup` adjusts the request.
struct Rendered {
    Dib dib;
    HtmlDrawResult result;
    bool hit = false;
    Rendered(int w, int h, const std::string& text,
             const std::function<void(HtmlDrawRequest&)>& setup = {})
        : dib(w, h, kWhite)
    {
        TCanvas canvas;
        canvas.SetHandle(dib.dc());
        UseTestFont(canvas);
        HtmlDrawRequest q;
        q.Canvas = &canvas;
        q.Text = text;
        q.Rect = RECT{0, 0, w, h};
        if (setup)
            setup(q);
        hit = DrawHtmlText(q, result);
        canvas.SetHandle(nullptr);
    }
    int Count(uint32_t color, RECT r) const
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += dib.Pixel(x, y) == color;
        return n;
    }
    int Count(uint32_t color) const { return Count(color, RECT{0, 0, dib.width(), dib.height()}); }
};

// The same text drawn by the platform in the same font, and its extent.
struct Platform {
    Dib dib;
    SIZE extent{};
    SIZE gh{};
    Platform(int w, int h, const std::string& text, UINT flags, int left) : dib(w, h, kWhite)
    {
        HFONT font =
            CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        HGDIOBJ old = SelectObject(dib.dc(), font);
        SetBkMode(dib.dc(), TRANSPARENT);
        SetTextColor(dib.dc(), RGB(0, 0, 0));
        GetTextExtentPoint32A(dib.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
        GetTextExtentPoint32A(dib.dc(), "gh", 2, &gh);
        RECT r{left, 0, w, gh.cy};
        DrawTextA(dib.dc(), text.c_str(), static_cast<int>(text.size()), &r, flags);
        SelectObject(dib.dc(), old);
        DeleteObject(font);
    }
};

TEST(HtmlRendererTest, PlainTextDrawsAndMeasuresAsThePlatform)
{
    // The line starts one pixel in and is drawn bottom-aligned on one line, tabs expanded (with
    // an end ellipsis when not wrapping). The entities become the ANSI code page's characters
    // as the platform draws them; an encoded ampersand shows once, as "&&" does for DrawTextA.
    const UINT flags = DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS;
    struct Case {
        std::string markup;
        std::string platform;
    } cases[] = {
        {"Upload firmware", "Upload firmware"},
        {"Hello, world", "Hello, world"},
        {"Bootloader v2.1 found", "Bootloader v2.1 found"},
        {"x", "x"},
        {"Price &euro;5 &copy; &reg; &trade; &sect;&para;&permil;",
         "Price \x80"
         "5 \xA9 \xAE \x99 \xA7\xB6\x89"},
        {"Tom&amp;Jerry &quot;cat&quot; &lt;b&gt;", "Tom&&Jerry \"cat\" <b>"},
    };
    for (const Case& c : cases) {
        for (bool wrap : {true, false}) {
            SCOPED_TRACE(c.markup + (wrap ? " wrapped" : " unwrapped"));
            const Rendered html(240, 24, c.markup, [&](HtmlDrawRequest& q) { q.WordWrap = wrap; });
            const Platform platform(240, 24, c.platform, flags | (wrap ? 0 : DT_END_ELLIPSIS), 1);
            int differing = 0;
            RECT where{240, 24, -1, -1};
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 240; ++x)
                    if (html.dib.Pixel(x, y) != platform.dib.Pixel(x, y)) {
                        ++differing;
                        where =
                            RECT{std::min<LONG>(where.left, x), std::min<LONG>(where.top, y),
                                 std::max<LONG>(where.right, x), std::max<LONG>(where.bottom, y)};
                    }
            EXPECT_EQ(differing, 0) << "from (" << where.left << ", " << where.top << ") to ("
                                    << where.right << ", " << where.bottom << ")";
            EXPECT_GT(html.Count(kBlack), 0);
            if (c.platform.find('&') == std::string::npos)
                EXPECT_EQ(html.result.TextWidth, platform.extent.cx + 2);
            EXPECT_EQ(html.result.TextHeight, platform.gh.cy);
        }
    }
}

TEST(HtmlRendererTest, MeasureOnlyCountsEveryLineAndLeavesTheCanvasAlone)
{
    const Platform platform(100, 20, "gh", 0, 0);
    const Rendered r(100, 20, "one<BR>two<BR>three<BR>four", [](HtmlDrawRequest& q) {
        q.MeasureOnly = true;
        q.Rect = RECT{0, 0, 100, 10};
    });
    EXPECT_EQ(r.result.TextHeight, 4 * platform.gh.cy);
    EXPECT_EQ(r.result.PlainText, "one\rtwo\rthree\rfour");
    EXPECT_EQ(r.Count(kWhite), 100 * 20);
}

TEST(HtmlRendererTest, ColoursOfTagsReachThePixels)
{
    struct Case {
        const char* text;
        uint32_t color; // must appear
        RECT where;
    } cases[] = {
        {R"(<FONT color="clRed">Red text</FONT>)", kRed, {0, 0, 200, 20}},
        {R"(<FONT color="#00ff00">Green</FONT>)", kGreen, {0, 0, 200, 20}},
        {R"(<A href="x">Link</A>)", kBlue, {0, 0, 200, 20}},
        // A paragraph background fills the line across the rectangle.
        {R"(<P bgcolor="clLime">p</P>)", kGreen, {150, 2, 200, 12}},
        // The error mark: a red zig-zag at the line's bottom.
        {R"(<E>mistake</E>)", kRed, {0, 10, 60, 20}},
        {R"(<HI>marked</HI>)", Px(clHighlight), {0, 0, 200, 16}},
    };
    for (const Case& c : cases) {
        const Rendered r(200, 40, c.text, [](HtmlDrawRequest& q) { q.LinkColor = clBlue; });
        EXPECT_GT(r.Count(c.color, c.where), 0) << c.text;
    }
}

TEST(HtmlRendererTest, RuleIsABlackLineUnderTheLine)
{
    const Platform platform(100, 20, "gh", 0, 0);
    const Rendered r(100, 40, "ab<HR>cd");
    // From the line's left (1) to its right, one pixel below the line.
    EXPECT_EQ(r.Count(kBlack, RECT{1, platform.gh.cy + 1, 99, platform.gh.cy + 2}), 98);
}

TEST(HtmlRendererTest, RotatedTextLeavesNoTurnedFontSelected)
{
    Dib dib(200, 200, kWhite);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    UseTestFont(canvas);
    for (const char* text :
         {R"(<R a="90">turned</R>)", R"(<R a="90">a<R a="45">b)", R"(<R a="90">a<BR>b)"}) {
        HtmlDrawRequest q;
        q.Canvas = &canvas;
        q.Text = text;
        q.Rect = RECT{0, 0, 200, 200};
        HtmlDrawResult result;
        DrawHtmlText(q, result);
        // What the context holds is the canvas's own, upright font.
        LOGFONTA selected{};
        GetObjectA(GetCurrentObject(dib.dc(), OBJ_FONT), sizeof selected, &selected);
        EXPECT_EQ(selected.lfEscapement, 0) << text;
        EXPECT_EQ(GetCurrentObject(canvas.Handle(), OBJ_FONT), canvas.Font()->Handle()) << text;
        EXPECT_EQ(canvas.Font()->Name(), "Arial");
    }
    canvas.SetHandle(nullptr);
}

TEST(HtmlRendererTest, HitTestFindsTheAnchorThePlatformMeasures)
{
    Dib dib(10, 10);
    HFONT font =
        CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dib.dc(), font);
    SIZE before{}, link{}, gh{};
    GetTextExtentPoint32A(dib.dc(), "Press ", 6, &before);
    GetTextExtentPoint32A(dib.dc(), "here", 4, &link);
    GetTextExtentPoint32A(dib.dc(), "gh", 2, &gh);
    SelectObject(dib.dc(), old);
    DeleteObject(font);

    const int middle = 1 + before.cx + link.cx / 2;
    const Rendered r(300, 40, R"(Press <A href="http://example.org">here</A> now)",
                     [&](HtmlDrawRequest& q) {
                         q.HitTestOnly = true;
                         q.X = middle;
                         q.Y = gh.cy / 2;
                     });
    EXPECT_TRUE(r.hit);
    EXPECT_EQ(r.result.HitAnchor, "http://example.org");
    EXPECT_EQ(r.result.HitAnchorIndex, 1);
    EXPECT_EQ(r.result.HitAnchorRect.left, 1 + before.cx);
    EXPECT_EQ(r.result.HitAnchorRect.right, 1 + before.cx + link.cx);
    EXPECT_EQ(r.Count(kWhite), 300 * 40);

    const Rendered miss(300, 40, R"(Press <A href="x">here</A> now)", [&](HtmlDrawRequest& q) {
        q.HitTestOnly = true;
        q.X = 3;
        q.Y = gh.cy / 2;
    });
    EXPECT_FALSE(miss.hit);
    EXPECT_EQ(miss.result.HitAnchorIndex, -1);
}

// A 16 x 16 image list whose image 0 is green and image 1 red.
struct GreenRedImages {
    TImageList list{nullptr};
    GreenRedImages()
    {
        list.SetWidth(16);
        list.SetHeight(16);
        for (TColor color : {clLime, clRed}) {
            TBitmap bitmap;
            bitmap.SetSize(16, 16);
            bitmap.Canvas()->Brush()->SetColor(color);
            bitmap.Canvas()->FillRect(RECT{0, 0, 16, 16});
            list.Add(&bitmap, nullptr);
        }
    }
};

TEST(HtmlRendererTest, ImageListImagesAtTheirPlace)
{
    GreenRedImages images;
    struct Case {
        const char* text;
        bool scale;
        int green; // pixels
    } cases[] = {
        {R"(<IMG src="IDX:0">)", false, 16 * 16},
        {R"(<IMG src="idx:0">)", true, 32 * 32}, // ImageScale 2
        {R"(<IMG src="IDX:5">)", false, 0},      // beyond the list
        {R"(<IMG src="IDX:-1">)", false, 0},
    };
    for (const Case& c : cases) {
        const Rendered r(100, 60, c.text, [&](HtmlDrawRequest& q) {
            q.Images = &images.list;
            q.ScaleImages = c.scale;
            q.ImageScale = 2.0;
        });
        EXPECT_EQ(r.Count(kGreen), c.green) << c.text;
    }
    // A system icon reserves the system's small or large icon size.
    for (const auto& [text, width] :
         {std::pair<const char*, int>{R"(<IMG src="SSYS:.txt">)", GetSystemMetrics(SM_CXSMICON)},
          std::pair<const char*, int>{R"(<IMG src="lsys:.txt">)", GetSystemMetrics(SM_CXICON)}}) {
        const Rendered r(100, 60, text, [](HtmlDrawRequest& q) { q.MeasureOnly = true; });
        EXPECT_EQ(r.result.TextWidth, width + 2) << text;
    }
    // The image reserves its 96-DPI size in the line: the text after it starts 16 pixels on.
    const Rendered r(100, 40, R"(<IMG src="IDX:1">x)",
                     [&](HtmlDrawRequest& q) { q.Images = &images.list; });
    EXPECT_EQ(r.Count(kRed, RECT{1, 0, 17, 16}), 16 * 16);
    EXPECT_EQ(r.result.TextHeight, 16);
    EXPECT_EQ(r.Count(kBlack, RECT{0, 0, 17, 40}), 0);
    EXPECT_GT(r.Count(kBlack, RECT{17, 0, 40, 40}), 0);
}

TEST(HtmlRendererTest, PicturesFromTheContainerAndFromFiles)
{
    draw::TPictureContainer container(nullptr);
    draw::TPictureItem* item = container.Items()->Add();
    item->SetName("Logo");
    item->Picture()->LoadFromFile(BRENVIK_TEST_DATA "green12x10.bmp");
    ASSERT_FALSE(item->Picture()->Empty());
    draw::THTMLPictureCache cache;
    const std::string file = "FILE://" BRENVIK_TEST_DATA "green12x10.bmp";

    struct Case {
        std::string text;
        int green;
    } cases[] = {
        {R"(<IMG src="logo">)", 12 * 10},
        {R"(<IMG src="LOGO" width="30" height="20">)", 30 * 20},
        {"<IMG src=\"" + file + "\">", 12 * 10},
        {R"(<IMG src="http://example.org/a.png">)", 0},
        {R"(<IMG src="C:\logo.bmp">)", 0},
        // Tiled over the whole rectangle; once at the top left.
        {R"(<BODY background="logo">)", 40 * 30},
        {R"(<BODY bgtopleft="logo">)", 12 * 10},
        {R"(<BODY bgtopright="logo">)", 12 * 10},
    };
    for (const Case& c : cases) {
        const Rendered r(40, 30, c.text, [&](HtmlDrawRequest& q) {
            q.PictureContainer = &container;
            q.PictureCache = &cache;
        });
        EXPECT_EQ(r.Count(kGreen), c.green) << c.text;
    }
    // Each URL was loaded once and stays cached, the unknown one as an empty picture.
    EXPECT_EQ(cache.Count(), 2);
    ASSERT_NE(cache.FindPictureByURL("http://example.org/a.png"), nullptr);
    EXPECT_TRUE(cache.FindPictureByURL("http://example.org/a.png")->Empty());

    const Rendered right(40, 30, R"(<BODY bgtopright="logo">)",
                         [&](HtmlDrawRequest& q) { q.PictureContainer = &container; });
    EXPECT_EQ(right.Count(kGreen, RECT{28, 0, 40, 10}), 12 * 10);
}

TEST(HtmlRendererTest, BodyGradientRunsFromOneColourToTheOther)
{
    const Rendered r(64, 32, R"(<BODY bgcolor="clRed" bgcolorto="clBlue">)");
    EXPECT_EQ(r.dib.Pixel(0, 10), kRed);
    // The last of 64 bands: red + round(63 * (0 - 255) / 64), blue + round(63 * 255 / 64).
    EXPECT_EQ(r.dib.Pixel(63, 10), 0x0400FBu);
    const Rendered v(32, 64, R"(<BODY bgcolor="clRed" bgcolorto="clBlue" dir="V">)");
    EXPECT_EQ(v.dib.Pixel(10, 63), 0x0400FBu);
    EXPECT_EQ(v.dib.Pixel(31, 0), kRed);
}

TEST(HtmlRendererTest, HelpersStretchBitmapsAndReportShellIcons)
{
    Dib dib(40, 40, kWhite);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    bitmap.Canvas()->Brush()->SetColor(clBlue);
    bitmap.Canvas()->FillRect(RECT{0, 0, 2, 2});
    html::StretchBitmapToRect(&canvas, RECT{5, 5, 25, 15}, &bitmap);

    SIZE small{}, large{};
    html::DrawShellIcon(&canvas, 0, 0, small, 1.0, false, false, false, ".txt");
    html::DrawShellIcon(&canvas, 0, 0, large, 1.0, false, false, true, ".txt");
    html::FillGradientBands(&canvas, clRed, clLime, true, RECT{30, 30, 40, 40}, 1, clNone);
    canvas.SetHandle(nullptr);

    int blue = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            blue += dib.Pixel(x, y) == kBlue;
    EXPECT_EQ(blue, 20 * 10);
    EXPECT_EQ(small.cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(large.cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(dib.Pixel(35, 35), kRed); // one band: the first colour
    // Nothing was drawn without the draw flag.
    EXPECT_EQ(dib.Pixel(1, 1), kWhite);

    EXPECT_TRUE(html::IsDirectoryPath("C:\\windows"));
    EXPECT_FALSE(html::IsDirectoryPath("C:\\windows\\win.ini"));
    EXPECT_FALSE(html::IsDirectoryPath("C:\\no\\such\\folder"));
}

} // namespace
