// Item painting under Windows: the list painter's index checks, the text painter's typical
// size and its note for items without text, and items that paint themselves; drawn into a DIB.
#include "ProviderFixture.h"

#include "GuiTest.h"
#include "dataprovider/OcDataPainting.h"

#include <gtest/gtest.h>

#include <memory>

using namespace providerfixture;
using namespace classlib;

namespace {

// An item that fills its rectangle with red and measures 7 x 5.
class TRedItem : public TOcBaseDataItem, public IOcDataItemPainter {
    CLASSLIB_CLASS(TRedItem, TOcBaseDataItem)
    CLASSLIB_IINTERFACE_OF(TOcBaseDataItem)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<IOcDataItemPainter>(this, iid, obj) ||
               TOcBaseDataItem::GetInterface(iid, obj);
    }
    void Paint(TCanvas* canvas, const RECT& rect, TOcItemPaintState) override
    {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(canvas->Handle(), &rect, red);
        DeleteObject(red);
    }
    SIZE Measure(TCanvas*) override { return {7, 5}; }
};

SIZE ExtentOn(HDC dc, const std::string& text)
{
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

bool AnyNonWhite(const testsupport::Dib& dib, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (dib.Pixel(x, y) != 0xFFFFFF)
                return true;
    return false;
}

} // namespace

CLASSLIB_PUBLISH(TRedItem) {}

TEST(ItemPainting, TheTextPainterPaintsTextsAndSelfPaintingItems)
{
    RegisterFixtureClasses();
    TTestProvider provider(nullptr);
    AddTextItem(provider.Data(), "T", "Hello");
    TOcBaseDataItem* bare = TOcBaseDataItem::Create<TOcBaseDataItem>(provider.Data());
    provider.Data()->StoreItem(bare);
    provider.Data()->StoreItem(TOcBaseDataItem::Create<TRedItem>(provider.Data()));
    TAggregatedPersistentEx::Create<TOcCustomDataItemsTextRenderer>(provider.Data());
    auto painter = TInterfacePtr<IOcDataItems>(provider.Data()).Query<IOcDataItemsPainter>();
    ASSERT_TRUE(painter);

    testsupport::Dib dib(200, 40);
    TCanvas canvas;
    canvas.SetHandle(dib.dc());
    canvas.Brush()->SetStyle(bsClear);

    const SIZE typical = painter->SizeItemAt(&canvas, -1);
    const SIZE expected = ExtentOn(canvas.Handle(), "WyWyWyWyWyWyWyWyWyWy");
    EXPECT_EQ(typical.cx, expected.cx);
    EXPECT_EQ(typical.cy, expected.cy);

    const SIZE hello = painter->SizeItemAt(&canvas, 0);
    EXPECT_EQ(hello.cx, ExtentOn(canvas.Handle(), "Hello").cx);
    const SIZE note = painter->SizeItemAt(&canvas, 1);
    EXPECT_EQ(note.cx,
              ExtentOn(canvas.Handle(), "(item does not support the IOcDataItemText interface)").cx)
        << "an item without text is shown with the note";
    const SIZE red = painter->SizeItemAt(&canvas, 2);
    EXPECT_EQ(red.cx, 7);
    EXPECT_EQ(red.cy, 5);

    for (int bad : {3, -2}) {
        try {
            painter->SizeItemAt(&canvas, bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const EOCLDataItems& e) {
            EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(bad) + ")");
        }
    }
    EXPECT_THROW(painter->PaintItemAt(&canvas, RECT{0, 0, 10, 10}, 3, 0), EOCLDataItems);

    const RECT textRect{0, 0, 100, 20};
    painter->PaintItemAt(&canvas, textRect, 0, ipsDisabled);
    EXPECT_TRUE(AnyNonWhite(dib, textRect)) << "the text is drawn";
    const RECT redRect{120, 0, 140, 20};
    painter->PaintItemAt(&canvas, redRect, 2, 0);
    EXPECT_EQ(dib.Pixel(130, 10), 0xFF0000u) << "the item paints itself, not the list's painter";
    canvas.SetHandle(nullptr);
}
