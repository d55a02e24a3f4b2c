#include "dataprovider/OcDataFacets.h"

namespace dataprovider {

using namespace classlib;

CLASSLIB_PUBLISH(TOcBaseDataItemTextImpl) {}

bool TOcBaseDataItemTextImpl::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemText>(this, iid, obj) ||
           TOcDataItemAggregatedObject::GetInterface(iid, obj);
}

// ---- plain text -----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataItemTextImpl)
{
    c.Property("Text", &TOcDataItemTextImpl::Text, &TOcDataItemTextImpl::SetText);
}

void TOcDataItemTextImpl::WriteText(const std::string& value)
{
    if (value == ReadText())
        return;
    WritePlainText(value);
}

void TOcDataItemTextImpl::WritePlainText(const std::string& value)
{
    if (value == text_)
        return;
    ReportItemUpdate([&] { text_ = value; });
}

// ---- per-context text -----------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataItemContextTextImpl) {}

bool TOcDataItemContextTextImpl::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataContextOverride>(this, iid, obj) ||
           TOcDataItemTextImpl::GetInterface(iid, obj);
}

TInterfacePtr<IOcDataContext> TOcDataItemContextTextImpl::CurrentContext() const
{
    TInterfacePtr<IOcDataProvider> provider = ItemProvider();
    return provider ? provider->CurrentContext() : nullptr;
}

int TOcDataItemContextTextImpl::IndexOfContext(IOcDataContext* context) const
{
    TObject* object = context ? context->ImplementingObject() : nullptr;
    for (size_t i = 0; object && i < contextTexts_.size(); ++i)
        if (contextTexts_[i].first == object)
            return static_cast<int>(i);
    return -1;
}

std::string TOcDataItemContextTextImpl::ReadText()
{
    TInterfacePtr<IOcDataContext> context = CurrentContext();
    while (context) {
        const int index = IndexOfContext(context.Get());
        if (index >= 0)
            return contextTexts_[static_cast<size_t>(index)].second;
        TInterfacePtr<IOcDataContexts> list = context->OwnerContexts();
        context = list ? list->AncestorContext() : nullptr;
    }
    return TOcDataItemTextImpl::ReadText();
}

void TOcDataItemContextTextImpl::WriteText(const std::string& value)
{
    TInterfacePtr<IOcDataContext> context = CurrentContext();
    if (!context) {
        WritePlainText(value);
        return;
    }
    // A value inherited from an ancestor context is not copied.
    if (value == ReadText())
        return;
    ReportItemUpdate([&] {
        const int index = IndexOfContext(context.Get());
        if (index >= 0)
            contextTexts_[static_cast<size_t>(index)].second = value;
        else
            contextTexts_.emplace_back(context->ImplementingObject(), value);
    });
}

void TOcDataItemContextTextImpl::DropOverride()
{
    TInterfacePtr<IOcDataContext> context = CurrentContext();
    const int index = IndexOfContext(context.Get());
    if (index < 0)
        return;
    ReportItemUpdate([&] { contextTexts_.erase(contextTexts_.begin() + index); });
}

bool TOcDataItemContextTextImpl::HasNoOverride()
{
    TInterfacePtr<IOcDataContext> context = CurrentContext();
    return IndexOfContext(context.Get()) < 0;
}

void TOcDataItemContextTextImpl::ForgetContext(IOcDataContext* context)
{
    const int index = IndexOfContext(context);
    if (index >= 0)
        contextTexts_.erase(contextTexts_.begin() + index);
}

// ---- read-only text -------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataItemBlockableTextImpl)
{
    c.Property("ReadOnly", &TOcDataItemBlockableTextImpl::ReadOnly,
               &TOcDataItemBlockableTextImpl::SetReadOnly);
}

void TOcDataItemBlockableTextImpl::SetReadOnly(bool value)
{
    if (value != readOnly_)
        ReportItemUpdate([&] { readOnly_ = value; });
}

// ---- image ----------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItemImageImpl) {}

bool TOcBaseDataItemImageImpl::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemGlyph>(this, iid, obj) ||
           TOcDataItemAggregatedObject::GetInterface(iid, obj);
}

CLASSLIB_PUBLISH(TOcDataItemImageImpl)
{
    c.Property("Alignment", &TOcDataItemImageImpl::Alignment, &TOcDataItemImageImpl::SetAlignment);
    c.Property("ImageIndex", &TOcDataItemImageImpl::ImageIndex,
               &TOcDataItemImageImpl::SetImageIndex);
    c.Property("SelectedIndex", &TOcDataItemImageImpl::SelectedIndex,
               &TOcDataItemImageImpl::SetSelectedIndex);
}

template <class T>
void TOcDataItemImageImpl::Update(T& field, T value)
{
    if (field != value)
        ReportItemUpdate([&] { field = value; });
}

void TOcDataItemImageImpl::SetAlignment(TOcGlyphAlignment value)
{
    Update(alignment_, value);
}
void TOcDataItemImageImpl::SetImageIndex(int value)
{
    Update(imageIndex_, value);
}
void TOcDataItemImageImpl::SetSelectedIndex(int value)
{
    Update(selectedIndex_, value);
}

} // namespace dataprovider
