#pragma once
// Painting of items (Windows build): the painter interfaces, the image lists of a list, the
// list painter that falls back to a text painter, and the painting objects that draw an item's
// text.
#include "dataprovider/OcDataItems.h"

#include "windows/Graphics.h"
#include "windows/ImageLists.h"

namespace dataprovider {

using classlib::TCanvas;
using classlib::TCustomImageList;

class IOcDataItemsPainter : public IInterface {
public:
    OC_DATA_IID("{4EA490F4-7CCF-44A1-AA26-5320CDE9FAFC}");
    virtual void PaintItemAt(TCanvas* canvas, const RECT& rect, int index,
                             TOcItemPaintState state) = 0;
    virtual SIZE SizeItemAt(TCanvas* canvas, int index) = 0;
    virtual void PaintItem(TCanvas* canvas, const RECT& rect, IOcDataItem* item,
                           TOcItemPaintState state) = 0;
    virtual SIZE SizeItem(TCanvas* canvas, IOcDataItem* item) = 0;
    virtual SIZE TypicalItemSize(TCanvas* canvas) = 0;
};

// An item that paints itself; it takes precedence over its list's painter.
class IOcDataItemPainter : public IInterface {
public:
    OC_DATA_IID("{9E877A0D-01C2-4204-AA74-84D6516BBEB9}");
    virtual void Paint(TCanvas* canvas, const RECT& rect, TOcItemPaintState state) = 0;
    virtual SIZE Measure(TCanvas* canvas) = 0;
};

class TOcBaseDataItemsImagesImpl : public TOcDataItemsAggregatedObject,
                                   public IOcDataItemsImageLists {
    CLASSLIB_CLASS(TOcBaseDataItemsImagesImpl, TOcDataItemsAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataItemsAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;
};

// Three image lists, not owned and not watched; a change is reported as pnrItemsUpdated.
class TOcCustomDataItemsImages : public TOcBaseDataItemsImagesImpl {
    CLASSLIB_CLASS(TOcCustomDataItemsImages, TOcBaseDataItemsImagesImpl)
    TCustomImageList* DisabledImages() const override { return disabled_; }
    void SetDisabledImages(TCustomImageList* value) override { Update(disabled_, value); }
    TCustomImageList* HotImages() const override { return hot_; }
    void SetHotImages(TCustomImageList* value) override { Update(hot_, value); }
    TCustomImageList* Images() const override { return images_; }
    void SetImages(TCustomImageList* value) override { Update(images_, value); }

private:
    void Update(TCustomImageList*& field, TCustomImageList* value);
    TCustomImageList* disabled_ = nullptr;
    TCustomImageList* hot_ = nullptr;
    TCustomImageList* images_ = nullptr;
};

// The list painter: an item that paints itself does; the others get the default painting.
class TOcBaseDataItemsRenderer : public TOcDataItemsAggregatedObject, public IOcDataItemsPainter {
    CLASSLIB_CLASS(TOcBaseDataItemsRenderer, TOcDataItemsAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataItemsAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;

    virtual void PaintItemDefault(TCanvas* canvas, const RECT& rect, IOcDataItem* item,
                                  TOcItemPaintState state) = 0;
    virtual SIZE SizeItemDefault(TCanvas* canvas, IOcDataItem* item) = 0;
    // EOCLDataItems "List index out of bounds (%d)" outside the list.
    void PaintItemAt(TCanvas* canvas, const RECT& rect, int index,
                     TOcItemPaintState state) override;
    // Index -1 answers TypicalItemSize.
    SIZE SizeItemAt(TCanvas* canvas, int index) override;
    void PaintItem(TCanvas* canvas, const RECT& rect, IOcDataItem* item,
                   TOcItemPaintState state) override;
    SIZE SizeItem(TCanvas* canvas, IOcDataItem* item) override;
};

// Paints an item's text (or a note that it has none).
class TOcCustomDataItemsTextRenderer : public TOcBaseDataItemsRenderer {
    CLASSLIB_CLASS(TOcCustomDataItemsTextRenderer, TOcBaseDataItemsRenderer)
    void PaintItemDefault(TCanvas* canvas, const RECT& rect, IOcDataItem* item,
                          TOcItemPaintState state) override;
    SIZE SizeItemDefault(TCanvas* canvas, IOcDataItem* item) override;
    // The text extent of "WyWyWyWyWyWyWyWyWyWy".
    SIZE TypicalItemSize(TCanvas* canvas) override;
};

// A painting object: prepared for one item, then painted or measured.
class TOcDP_ProviderBaseRender : public classlib::TObject {
public:
    TOcDP_ProviderBaseRender(IOcDataItem* item, TCanvas* canvas, TOcItemPaintState state)
        : item_(item), canvas_(canvas), state_(state)
    {
    }
    virtual void PrepareFor(bool forMeasure) = 0;
    virtual void PaintNow() = 0;
    virtual SIZE SizeNow() = 0;

    // Paints or measures `item` with a painting object of class R.
    template <class R>
    static void RenderItem(IOcDataItem* item, TCanvas* canvas, const RECT& rect,
                           TOcItemPaintState state)
    {
        R render(item, canvas, state);
        render.rect_ = rect;
        render.PrepareFor(false);
        render.PaintNow();
    }
    template <class R>
    static SIZE MeasureRenderedItem(IOcDataItem* item, TCanvas* canvas, TOcItemPaintState state)
    {
        R render(item, canvas, state);
        render.PrepareFor(true);
        return render.SizeNow();
    }

protected:
    TInterfacePtr<IOcDataItem> item_;
    TCanvas* canvas_;
    TOcItemPaintState state_;
    RECT rect_{};
};

class TOcDP_ProviderTextOnlyRender : public TOcDP_ProviderBaseRender {
public:
    using TOcDP_ProviderBaseRender::TOcDP_ProviderBaseRender;
    void PrepareFor(bool forMeasure) override;
    // The text clipped to the rectangle, from its top-left corner.
    void PaintNow() override;
    SIZE SizeNow() override;

private:
    bool noText_ = false;
    std::string text_;
};

} // namespace dataprovider
