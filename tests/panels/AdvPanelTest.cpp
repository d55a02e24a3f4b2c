// The advanced panel's painting: backgrounds, border and drop shadow, the picture positions,
// the caption bar in each fill with its buttons and shadings, the status strip and the size
// grip, through a real window painted into a DIB.
#include "PanelTestSupport.h"

#include "FileBytes.h"

#include "core/Streams.h"

#include <cmath>

using namespace classlib;
using namespace panels;
using paneltest::Px;
using paneltest::Render;

namespace {

class AdvPanelPaint : public paneltest::PanelFixture {};

// Channel-wise p % of c1 plus the rest of c2, rounded half to even (the blend the border
// shadow uses).
uint32_t BlendPx(TColor c1, TColor c2, int percent)
{
    const uint32_t a = Px(c1), b = Px(c2);
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const double v =
            percent / 100.0 * ((a >> shift) & 0xFF) + (1 - percent / 100.0) * ((b >> shift) & 0xFF);
        out |= static_cast<uint32_t>(std::nearbyint(v)) << shift;
    }
    return out;
}

// Band i of 32 from black to pure red: red Round(i * 255 / 32).
uint32_t RedBand(int i)
{
    return static_cast<uint32_t>(std::nearbyint(i * 255.0 / 32)) << 16;
}

TEST_F(AdvPanelPaint, SolidGradientAndMirrorBackgrounds)
{
    constexpr TColor Red = 0x0000FF, Green = 0x00FF00;
    struct Case {
        const char* name;
        TColor colorTo, mirror, mirrorTo;
        TGradientDirection direction;
        // (x, y) -> expected pixel
        std::vector<std::tuple<int, int, uint32_t>> samples;
    };
    const Case cases[] = {
        // ColorTo clNone: solid, whatever the mirror colours say.
        {"solid", clNone, Green, Green, gdVertical, {{0, 0, 0}, {63, 63, 0}, {30, 40, 0}}},
        // 64 bands asked, 32 drawn, 2 px each over 64 px; the last stops one step short.
        {"vertical",
         Red,
         clNone,
         clNone,
         gdVertical,
         {{5, 0, RedBand(0)}, {5, 2, RedBand(1)}, {5, 63, RedBand(31)}, {60, 33, RedBand(16)}}},
        {"horizontal",
         Red,
         clNone,
         clNone,
         gdHorizontal,
         {{0, 5, RedBand(0)}, {2, 5, RedBand(1)}, {63, 5, RedBand(31)}}},
        // Split at the middle: 32 one-pixel bands each.
        {"mirror",
         Red,
         Green,
         Green,
         gdVertical,
         {{5, 0, 0},
          {5, 31, static_cast<uint32_t>(std::nearbyint(31 * 255.0 / 32)) << 16},
          {5, 32, 0x00FF00},
          {5, 63, 0x00FF00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAdvPanel* panel = PlacePlain(64, 64, 0x000000);
        panel->SetColorTo(c.colorTo);
        panel->SetColorMirror(c.mirror);
        panel->SetColorMirrorTo(c.mirrorTo);
        panel->SetGradientDirection(c.direction);
        auto dib = Render(panel);
        for (auto [x, y, expected] : c.samples)
            EXPECT_EQ(dib->Pixel(x, y), expected) << "at " << x << "," << y;
        panel->Free();
    }
}

TEST_F(AdvPanelPaint, BorderWithDropShadow)
{
    constexpr TColor Red = 0x0000FF;
    TAdvPanel* panel = PlacePlain(100, 60, clWhite);
    panel->SetBorderColor(Red);
    auto noBorder = Render(panel);
    EXPECT_EQ(noBorder->Pixel(0, 10), 0xFFFFFFu); // BorderWidth 0 draws none

    panel->SetBorderWidth(1);
    panel->SetBorderShadow(true);
    auto dib = Render(panel);
    // The border is 2 px smaller than the client area; two shadow lines fill the rest.
    EXPECT_EQ(dib->Pixel(0, 10), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(97, 10), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(10, 57), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(98, 10), BlendPx(Red, clBtnFace, 50));
    EXPECT_EQ(dib->Pixel(10, 58), BlendPx(Red, clBtnFace, 50));
    EXPECT_EQ(dib->Pixel(99, 10), BlendPx(Red, clBtnFace, 20));
    EXPECT_EQ(dib->Pixel(10, 59), BlendPx(Red, clBtnFace, 20));
    EXPECT_EQ(dib->Pixel(50, 30), 0xFFFFFFu);
}

TEST_F(AdvPanelPaint, FrameInTheColourInsideTheOuterBevel)
{
    TAdvPanel* panel = Place(10, 10, 60, 40);
    panel->SetColor(0x00FF00);
    panel->SetBorderColor(clNone);
    auto dib = Render(panel);
    EXPECT_EQ(dib->Pixel(0, 10), Px(clBtnHighlight));
    EXPECT_EQ(dib->Pixel(59, 10), Px(clBtnShadow));
    EXPECT_EQ(dib->Pixel(1, 10), 0x00FF00u);
}

// The 8 x 8 quadrant bitmap (red, blue / green, white) on a 200 x 100 panel without bevels:
// the far positions leave BevelWidth (1) free.
TEST_F(AdvPanelPaint, BackgroundPictureInEachPosition)
{
    const std::string bytes =
        testsupport::ReadBytes(std::string(BRENVIK_TEST_DATA) + "quadrants.bmp");
    ASSERT_FALSE(bytes.empty());
    constexpr uint32_t Red = 0xFF0000, Blue = 0x0000FF, Green = 0x00FF00, White = 0xFFFFFF,
                       Back = 0x4080C0;
    struct Case {
        TBackGroundPosition position;
        std::vector<std::tuple<int, int, uint32_t>> samples;
    };
    const Case cases[] = {
        {bpTopLeft, {{1, 1, Red}, {6, 6, White}, {9, 1, Back}}},
        {bpTopRight, {{192, 1, Red}, {197, 1, Blue}, {190, 1, Back}, {199, 1, Back}}},
        {bpBottomLeft, {{1, 92, Red}, {1, 97, Green}, {1, 90, Back}, {1, 99, Back}}},
        {bpBottomRight, {{192, 92, Red}, {197, 97, White}}},
        {bpTiled, {{1, 1, Red}, {9, 1, Red}, {13, 1, Blue}, {1, 9, Red}, {197, 97, Blue}}},
        {bpStretched, {{50, 25, Red}, {150, 25, Blue}, {50, 75, Green}, {150, 75, White}}},
        // (Max(0, 200 - 8 - 1) div 2, Max(0, 100 - 8 - 1) div 2) = (95, 45)
        {bpCenter, {{96, 46, Red}, {101, 51, White}, {94, 46, Back}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.position));
        TAdvPanel* panel = PlacePlain(200, 100, 0xC08040);
        TStringStream stream(bytes);
        panel->Background()->LoadFromStream(stream);
        panel->SetBackgroundPosition(c.position);
        auto dib = Render(panel);
        for (auto [x, y, expected] : c.samples)
            EXPECT_EQ(dib->Pixel(x, y), expected) << "at " << x << "," << y;
        panel->Free();
    }
}

// A placeable metafile whose frame has no width: the picture loads but measures 0 pixels
// wide. Tiling it must not loop forever.
TEST_F(AdvPanelPaint, TiledPictureWithoutWidthIsSkipped)
{
    std::string apm;
    const auto word = [&](uint16_t w) {
        apm.push_back(static_cast<char>(w & 0xFF));
        apm.push_back(static_cast<char>(w >> 8));
    };
    const auto dword = [&](uint32_t d) {
        word(static_cast<uint16_t>(d & 0xFFFF));
        word(static_cast<uint16_t>(d >> 16));
    };
    const uint16_t header[] = {0xCDD7, 0x9AC6, 0, 0, 0, 0, 100, 1440, 0, 0};
    uint16_t checksum = 0;
    for (uint16_t w : header) {
        word(w);
        checksum ^= w;
    }
    word(checksum);
    // METAHEADER (9 words) and the end record (3 words)
    word(1);
    word(9);
    word(0x300);
    dword(12);
    word(0);
    dword(3);
    word(0);
    dword(3);
    word(0);
    TAdvPanel* panel = PlacePlain(100, 50, 0xC08040);
    TStringStream stream(apm);
    try {
        panel->Background()->LoadFromStream(stream);
    } catch (const Exception& e) {
        FAIL() << "the platform refused the metafile: " << e.Message();
    }
    ASSERT_FALSE(panel->Background()->Empty());
    ASSERT_EQ(panel->Background()->Width(), 0);
    panel->SetBackgroundPosition(bpTiled);
    auto dib = Render(panel);
    EXPECT_EQ(dib->Pixel(50, 25), 0x4080C0u);
}

// The rows of the DIB that hold a pixel of the given colour.
std::vector<int> RowsWith(const testsupport::Dib& dib, uint32_t colour)
{
    std::vector<int> rows;
    for (int y = 0; y < dib.height(); ++y)
        for (int x = 0; x < dib.width(); ++x)
            if (dib.Pixel(x, y) == colour) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST_F(AdvPanelPaint, BodyTextWithAnAnchorAndItsVerticalPlace)
{
    TAdvPanel* panel = PlacePlain(200, 100, clWhite);
    panel->Font()->SetColor(0x00FF00);
    panel->SetURLColor(0xFF0000);
    panel->SetText("plain <a href=\"target\">anchor</a>");
    auto top = Render(panel);
    const std::vector<int> textRows = RowsWith(*top, 0x00FF00),
                           anchorRows = RowsWith(*top, 0x0000FF);
    ASSERT_FALSE(textRows.empty());
    ASSERT_FALSE(anchorRows.empty());
    EXPECT_LT(textRows.front(), 20);

    panel->SetTextVAlign(tvaCenter);
    const std::vector<int> centred = RowsWith(*Render(panel), 0x00FF00);
    ASSERT_FALSE(centred.empty());
    EXPECT_GT(centred.front(), 30);
    EXPECT_LT(centred.back(), 70);

    panel->SetTextVAlign(tvaBottom);
    const std::vector<int> bottom = RowsWith(*Render(panel), 0x00FF00);
    ASSERT_FALSE(bottom.empty());
    EXPECT_GT(bottom.front(), centred.front());
    EXPECT_LT(bottom.back(), 99);
}

class AdvPanelCaption : public paneltest::PanelFixture {
protected:
    TAdvPanel* CaptionPanel(int width = 120, int height = 60)
    {
        TAdvPanel* panel = PlacePlain(width, height, clWhite);
        panel->Caption()->SetVisible(true);
        panel->Caption()->SetColor(0x0000FF); // red
        panel->Caption()->SetColorTo(clNone);
        return panel;
    }
};

TEST_F(AdvPanelCaption, FlatGradientAndCollapsedFills)
{
    TAdvPanel* panel = CaptionPanel();
    auto flat = Render(panel);
    // The band is caption height - 2 x BevelWidth (18) high; the body starts below.
    EXPECT_EQ(flat->Pixel(60, 2), 0xFF0000u);
    EXPECT_EQ(flat->Pixel(60, 17), 0xFF0000u);
    EXPECT_EQ(flat->Pixel(60, 40), 0xFFFFFFu);

    panel->Caption()->SetColor(0x000000);
    panel->Caption()->SetColorTo(0x0000FF);
    auto gradient = Render(panel);
    EXPECT_EQ(gradient->Pixel(0, 5), 0x000000u);
    EXPECT_GT(gradient->Pixel(119, 5) >> 16, 0xE0u); // near red at the right
    EXPECT_EQ(gradient->Pixel(119, 5) & 0xFFFF, 0u);

    // Collapsed, a flat caption takes CloseColor.
    panel->Caption()->SetColorTo(clNone);
    panel->Caption()->SetCloseColor(0x00FF00);
    panel->SetCollaps(true);
    auto collapsed = Render(panel);
    EXPECT_EQ(collapsed->Pixel(60, 5), 0x00FF00u);
}

TEST_F(AdvPanelCaption, CloseAndMinMaxButtonsOnEitherSide)
{
    TAdvPanel* panel = CaptionPanel(120, 60);
    panel->Caption()->SetCloseButton(true);
    panel->Caption()->SetCloseButtonColor(0x00FF00); // green X
    panel->Caption()->SetMinMaxButton(true);
    panel->Caption()->SetMinMaxButtonColor(0xFF0000); // blue triangle
    auto right = Render(panel);
    // The X crosses at (Right - 7, 7); the triangle sits left of the 12 px the X takes,
    // pointing up while expanded: base on y 8, tip at y 5.
    EXPECT_EQ(right->Pixel(113, 7), 0x00FF00u);
    EXPECT_EQ(right->Pixel(120 - 12 - 7, 7), 0x0000FFu);
    EXPECT_EQ(right->Pixel(120 - 12 - 7, 10), 0xFF0000u); // below the base: caption colour

    panel->SetCollaps(true);
    auto collapsed = Render(panel);
    // Pointing down: base on y 5, tip at y 8.
    EXPECT_EQ(collapsed->Pixel(120 - 12 - 7, 6), 0x0000FFu);

    panel->SetCollaps(false);
    panel->Caption()->SetButtonPosition(cbpLeft);
    auto left = Render(panel);
    EXPECT_EQ(left->Pixel(7, 7), 0x00FF00u);
    EXPECT_EQ(left->Pixel(12 + 7, 7), 0x0000FFu);
    EXPECT_EQ(left->Pixel(113, 7), 0xFF0000u);
}

TEST_F(AdvPanelCaption, ShadedCaptionWithOutlineAndShape)
{
    TAdvPanel* panel = CaptionPanel(200, 60);
    panel->Caption()->SetColor(clWhite);
    panel->Caption()->SetShadeLight(255);
    panel->Caption()->SetShadeType(stHShade);
    auto dib = Render(panel);
    // Outline: highlight on the top and left edge, shadow on the bottom and right of the band.
    EXPECT_EQ(dib->Pixel(50, 0), 0xFFFFFFu);
    EXPECT_EQ(dib->Pixel(50, 17), 0x808080u);
    EXPECT_EQ(dib->Pixel(199, 8), 0x808080u);
    // Inside: the shading bitmap drawn from (1, 1), darkest at the left.
    const uint32_t leftShade = dib->Pixel(2, 8), rightShade = dib->Pixel(190, 8);
    EXPECT_LT(leftShade & 0xFF, rightShade & 0xFF);
    EXPECT_EQ(leftShade & 0xFF, leftShade >> 16); // grey, as the caption colour is white

    // Rounded: the 32 x 32 corner keeps the shading off the top-left corner pixel.
    panel->Caption()->SetShape(csRounded);
    auto rounded = Render(panel);
    EXPECT_NE(rounded->Pixel(1, 1), dib->Pixel(1, 1));
}

// Every shading through the panel at a few sizes: painting does not fault and gives the same
// pixels twice (the random patterns are seeded alike at every rebuild).
TEST_F(AdvPanelCaption, EveryShadingAtAFewSizes)
{
    for (int width : {3, 57, 300})
        for (int type = stNormal; type <= stBitmapLStretch; ++type) {
            SCOPED_TRACE(testing::Message() << "width " << width << " type " << type);
            TAdvPanel* panel = CaptionPanel(width, 40);
            panel->Caption()->SetShadeType(static_cast<TShadeType>(type));
            auto first = Render(panel);
            panel->BuildShadeBitmap();
            auto second = Render(panel);
            bool same = true;
            for (int y = 0; y < 40 && same; ++y)
                for (int x = 0; x < width && same; ++x)
                    same = first->Pixel(x, y) == second->Pixel(x, y);
            EXPECT_TRUE(same);
            panel->Free();
        }
}

TEST_F(AdvPanelCaption, StatusStripAndSizeGrip)
{
    TAdvPanel* panel = PlacePlain(100, 60, clWhite);
    const auto gripPixels = [&](uint32_t colour) {
        auto dib = Render(panel);
        int n = 0;
        for (int y = 46; y < 60; ++y)
            for (int x = 86; x < 100; ++x)
                n += dib->Pixel(x, y) == colour;
        return n;
    };
    EXPECT_EQ(gripPixels(0x808080), 0);
    panel->SetCanSize(true);
    EXPECT_GT(gripPixels(0x808080), 0);
    EXPECT_GT(gripPixels(0xFFFFFF), 0);

    panel->SetCanSize(false);
    panel->StatusBar()->SetVisible(true);
    panel->StatusBar()->SetColor(0x00FF00);
    panel->StatusBar()->SetBorderStyle(bsSingle);
    panel->StatusBar()->SetBorderColor(0x0000FF);
    auto dib = Render(panel);
    // (1, Height - 18 - 1, Width - 1, Height - 1), framed from x 0.
    EXPECT_EQ(dib->Pixel(50, 50), 0x00FF00u);
    EXPECT_EQ(dib->Pixel(50, 41), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(50, 30), 0xFFFFFFu);
}

TEST_F(AdvPanelCaption, LeftCaptionRunsDownTheLeftEdge)
{
    TAdvPanel* panel = CaptionPanel(120, 80);
    panel->Caption()->SetPosition(cpLeft);
    auto dib = Render(panel);
    EXPECT_EQ(dib->Pixel(5, 60), 0xFF0000u);
    EXPECT_EQ(dib->Pixel(60, 5), 0xFFFFFFu);
}

} // namespace
