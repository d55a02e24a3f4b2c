// Image lists: masked images drawn enabled and greyed, change links.
#include "windows/ImageLists.h"

#include "GuiTest.h"

using namespace classlib;
using testsupport::Dib;

namespace {

uint32_t Rgb(COLORREF color)
{
    return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

// 16 x 16: fuchsia background, a red square from (4, 4) to (11, 11).
void MakeGlyph(TBitmap& glyph)
{
    glyph.SetSize(16, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect({0, 0, 16, 16});
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect({4, 4, 12, 12});
}

struct ChangeCounter {
    int changes = 0;
    TObject* sender = nullptr;
    void Changed(TObject* s)
    {
        ++changes;
        sender = s;
    }
};

class ImageListTest : public ::testing::Test {
protected:
    TImageList list{nullptr};
    TBitmap glyph;
    void SetUp() override
    {
        MakeGlyph(glyph);
        ASSERT_EQ(list.AddMasked(&glyph, clFuchsia), 0);
    }
};

TEST_F(ImageListTest, DrawsEnabledImagesWithTheirMask)
{
    EXPECT_EQ(list.Count(), 1);
    Dib dib(20, 20, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    list.Draw(&canvas, 2, 2, 0);
    list.Draw(&canvas, 2, 2, 5); // no such image: nothing
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(2, 2), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(17, 17), 0x00FF00u);
}

TEST_F(ImageListTest, DrawsDisabledImagesGreyed)
{
    Dib dib(20, 20, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    list.Draw(&canvas, 0, 0, 0, false);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(dib.Pixel(8, 8), Rgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(dib.Pixel(12, 12), Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    EXPECT_EQ(dib.Pixel(14, 14), 0x00FF00u);
}

TEST_F(ImageListTest, ChangeLinksHearEveryChangeUntilTheyGo)
{
    ChangeCounter counter;
    auto* link = new TChangeLink;
    link->OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
    list.RegisterChanges(link);
    EXPECT_EQ(link->Sender(), &list);
    list.AddMasked(&glyph, clFuchsia);
    list.Delete(0);
    EXPECT_EQ(counter.changes, 2);
    EXPECT_EQ(counter.sender, &list);
    list.BeginUpdate();
    list.AddMasked(&glyph, clFuchsia);
    list.AddMasked(&glyph, clFuchsia);
    list.EndUpdate();
    EXPECT_EQ(counter.changes, 3);
    delete link; // unregisters itself
    list.Clear();
    EXPECT_EQ(counter.changes, 3);
    EXPECT_THROW(list.Delete(0), EInvalidOperation);
}

TEST_F(ImageListTest, ExplicitMaskMakesItsWhitePixelsTransparent)
{
    // The glyph again, with a mask that hides its left half (white = transparent).
    TBitmap mask;
    mask.SetSize(16, 16);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect({8, 0, 16, 16});
    TBitmap plain;
    plain.SetSize(16, 16);
    plain.Canvas()->Brush()->SetColor(clRed);
    plain.Canvas()->FillRect({0, 0, 16, 16});
    ASSERT_EQ(list.Add(&plain, &mask), 1);
    Dib dib(16, 16, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    list.Draw(&canvas, 0, 0, 1);
    list.Draw(&canvas, 0, 0, 1, dsNormal, itMask);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(12, 8), 0x000000u); // the mask's shape, black, over the image
    EXPECT_NE(dib.Pixel(3, 8), 0x000000u);  // nothing black where transparent
    Dib image(16, 16, 0x00FF00);
    canvas.SetHandle(image.dc());
    list.Draw(&canvas, 0, 0, 1);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(image.Pixel(3, 8), 0x00FF00u);
    EXPECT_EQ(image.Pixel(12, 8), 0xFF0000u);
}

TEST_F(ImageListTest, GetBitmapAndGetIconCopyAnImage)
{
    TBitmap copy;
    list.GetBitmap(0, &copy);
    EXPECT_EQ(copy.Width(), 16);
    EXPECT_EQ(copy.Canvas()->Pixel(8, 8), clRed);
    EXPECT_EQ(copy.Canvas()->Pixel(0, 0), clWhite); // transparent: the bitmap's own white

    TIcon icon;
    ASSERT_TRUE(list.GetIcon(0, &icon));
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    Dib dib(16, 16, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Draw(0, 0, &icon);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(1, 1), 0x00FF00u); // the mask came along
    EXPECT_FALSE(list.GetIcon(3, &icon));
}

TEST_F(ImageListTest, OverlayIsDrawnOnTopOfTheImage)
{
    // A small blue square in the top-left corner as overlay 0.
    TBitmap corner;
    corner.SetSize(16, 16);
    corner.Canvas()->Brush()->SetColor(clFuchsia);
    corner.Canvas()->FillRect({0, 0, 16, 16});
    corner.Canvas()->Brush()->SetColor(clBlue);
    corner.Canvas()->FillRect({0, 0, 4, 4});
    ASSERT_EQ(list.AddMasked(&corner, clFuchsia), 1);
    list.Overlay(1, 0);
    EXPECT_THROW(list.Overlay(1, 4), EInvalidOperation);
    Dib dib(16, 16, 0x00FF00);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    list.DrawOverlay(&canvas, 0, 0, 0, 0);
    canvas.SetHandle(nullptr);
    EXPECT_EQ(dib.Pixel(1, 1), 0x0000FFu);
    EXPECT_EQ(dib.Pixel(8, 8), 0xFF0000u);
    EXPECT_EQ(dib.Pixel(14, 14), 0x00FF00u);
}

// Selected blends half of the blend colour over the image, focus a quarter, normal none (as
// an alpha blend or a dither pattern: the mean over the red square tells).
TEST_F(ImageListTest, SelectedAndFocusStylesBlendTheBlendColour)
{
    list.SetBlendColor(clBlue);
    double blueShare[3];
    const TDrawingStyle styles[] = {dsNormal, dsFocus, dsSelected};
    for (int i = 0; i < 3; ++i) {
        Dib dib(16, 16, 0x00FF00);
        TCanvas canvas;
        canvas.SetHandle(dib.dc());
        list.Draw(&canvas, 0, 0, 0, styles[i], itImage);
        canvas.SetHandle(nullptr);
        double blue = 0;
        for (int y = 4; y < 12; ++y)
            for (int x = 4; x < 12; ++x)
                blue += (dib.Pixel(x, y) & 0xFF) / 255.0;
        blueShare[i] = blue / 64;
        EXPECT_EQ(dib.Pixel(1, 1), 0x00FF00u) << styles[i]; // the mask still holds
    }
    EXPECT_EQ(blueShare[0], 0.0);
    EXPECT_NEAR(blueShare[1], 0.25, 0.1);
    EXPECT_NEAR(blueShare[2], 0.5, 0.1);
}

TEST(ImageList, FreedListLeavesItsLinksWithoutSender)
{
    TChangeLink link;
    {
        TImageList list(nullptr);
        list.RegisterChanges(&link);
    }
    EXPECT_EQ(link.Sender(), nullptr);
}

} // namespace
