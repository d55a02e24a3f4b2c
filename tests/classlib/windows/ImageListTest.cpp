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
