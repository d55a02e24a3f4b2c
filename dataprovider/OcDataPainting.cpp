#include "dataprovider/OcDataPainting.h"

#include "dataprovider/OcDataConsumer.h"

#include "core/SysUtils.h"
#include "windows/Controls.h"

namespace dataprovider {

using namespace classlib;

// The framework's platform seam in the Windows build.
void InvalidateConsumerOwner(TComponent* owner)
{
    if (auto* control = dynamic_cast<TControl*>(owner))
        if (!control->ComponentState().Contains(csDestroying))
            control->Invalidate();
}

void RegisterDataProviderPaintingClasses()
{
    RegisterClasses(
        {&TOcCustomDataItemsImages::StaticClass(), &TOcCustomDataItemsTextRenderer::StaticClass()});
}

// ---- image lists ----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItemsImagesImpl) {}

bool TOcBaseDataItemsImagesImpl::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemsImageLists>(this, iid, obj) ||
           TOcDataItemsAggregatedObject::GetInterface(iid, obj);
}

CLASSLIB_PUBLISH(TOcCustomDataItemsImages)
{
    c.Property("DisabledImages", &TOcCustomDataItemsImages::DisabledImages,
               &TOcCustomDataItemsImages::SetDisabledImages);
    c.Property("HotImages", &TOcCustomDataItemsImages::HotImages,
               &TOcCustomDataItemsImages::SetHotImages);
    c.Property("Images", &TOcCustomDataItemsImages::Images, &TOcCustomDataItemsImages::SetImages);
}

void TOcCustomDataItemsImages::Update(TCustomImageList*& field, TCustomImageList* value)
{
    if (field == value)
        return;
    TInterfacePtr<IOcDataItems> list = OwnerItems();
    TInterfacePtr<IOcDataProvider> provider = list->OwningProvider();
    if (provider)
        provider->NotifyChanging(pnrItemsUpdated, list.Get());
    field = value;
    if (provider)
        provider->NotifyChanged(pnrItemsUpdated, list.Get());
}

// ---- painters -------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItemsRenderer) {}

bool TOcBaseDataItemsRenderer::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemsPainter>(this, iid, obj) ||
           TOcDataItemsAggregatedObject::GetInterface(iid, obj);
}

void TOcBaseDataItemsRenderer::PaintItemAt(TCanvas* canvas, const RECT& rect, int index,
                                           TOcItemPaintState state)
{
    TInterfacePtr<IOcDataItems> list = OwnerItems();
    if (index < 0 || index >= list->ItemCount())
        throw EOCLDataItems(Format(messages::ListIndexOutOfBounds, {index}));
    PaintItem(canvas, rect, list->ItemAt(index).Get(), state);
}

SIZE TOcBaseDataItemsRenderer::SizeItemAt(TCanvas* canvas, int index)
{
    if (index == -1)
        return TypicalItemSize(canvas);
    TInterfacePtr<IOcDataItems> list = OwnerItems();
    if (index < 0 || index >= list->ItemCount())
        throw EOCLDataItems(Format(messages::ListIndexOutOfBounds, {index}));
    return SizeItem(canvas, list->ItemAt(index).Get());
}

void TOcBaseDataItemsRenderer::PaintItem(TCanvas* canvas, const RECT& rect, IOcDataItem* item,
                                         TOcItemPaintState state)
{
    if (auto painter = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItemPainter>())
        painter->Paint(canvas, rect, state);
    else
        PaintItemDefault(canvas, rect, item, state);
}

SIZE TOcBaseDataItemsRenderer::SizeItem(TCanvas* canvas, IOcDataItem* item)
{
    if (auto painter = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItemPainter>())
        return painter->Measure(canvas);
    return SizeItemDefault(canvas, item);
}

CLASSLIB_PUBLISH(TOcCustomDataItemsTextRenderer) {}

void TOcCustomDataItemsTextRenderer::PaintItemDefault(TCanvas* canvas, const RECT& rect,
                                                      IOcDataItem* item, TOcItemPaintState state)
{
    TOcDP_ProviderBaseRender::RenderItem<TOcDP_ProviderTextOnlyRender>(item, canvas, rect, state);
}

SIZE TOcCustomDataItemsTextRenderer::SizeItemDefault(TCanvas* canvas, IOcDataItem* item)
{
    return TOcDP_ProviderBaseRender::MeasureRenderedItem<TOcDP_ProviderTextOnlyRender>(item, canvas,
                                                                                       0);
}

SIZE TOcCustomDataItemsTextRenderer::TypicalItemSize(TCanvas* canvas)
{
    return canvas->TextExtent("WyWyWyWyWyWyWyWyWyWy");
}

// ---- painting objects -----------------------------------------------------------------------

void TOcDP_ProviderTextOnlyRender::PrepareFor(bool)
{
    if (auto text = item_.Query<IOcDataItemText>()) {
        text_ = text->ReadText();
        noText_ = false;
    } else {
        text_ = messages::NoItemText;
        noText_ = true;
    }
}

void TOcDP_ProviderTextOnlyRender::PaintNow()
{
    canvas_->TextRect(rect_, rect_.left, rect_.top, text_);
}

SIZE TOcDP_ProviderTextOnlyRender::SizeNow()
{
    return canvas_->TextExtent(text_);
}

} // namespace dataprovider
