#include "ProviderFixture.h"

#include <algorithm>

namespace providerfixture {

using namespace classlib;

CLASSLIB_PUBLISH(TTestProvider)
{
    c.Property("ContextNames", &TTestProvider::ContextNames, &TTestProvider::SetContextNames);
    c.Property("Data", &TTestProvider::Data);
}

TTestProvider::TTestProvider(TComponent* owner) : TComponent(owner)
{
    TOcDataItemsList* list = TOcBaseDataItems::Create<TOcDataItemsList>(this);
    root_ = static_cast<IOcDataItems*>(list);
    TAggregatedPersistentEx::Create<TOcBaseDataItemsListManagement>(list);
}

TTestProvider::~TTestProvider()
{
    // Consumers let go first; the lists hold this provider and go while it is whole.
    Close();
    rootContexts_.Reset();
    root_.Reset();
}

bool TTestProvider::QueryInterface(const TGUID& iid, void** obj)
{
    if (iid == IOcDataItems::IID || iid == IOcDataItemLookup::IID)
        return root_->QueryInterface(iid, obj);
    if (iid == IOcDataContexts::IID && AnswerContexts && rootContexts_)
        return rootContexts_->QueryInterface(iid, obj);
    return TComponent::QueryInterface(iid, obj);
}

bool TTestProvider::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataProvider, IOcDataProviderComponent>(this, iid, obj) ||
           TComponent::GetInterface(iid, obj);
}

void TTestProvider::AddListener(IOcDataProviderListener* listener)
{
    listeners_.push_back(listener);
}

void TTestProvider::RemoveListener(IOcDataProviderListener* listener)
{
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TTestProvider::NotifyChanging(TOcProviderChangeReason reason, IInterface* source)
{
    Log.push_back({false, reason, IdentityOf(source)});
    const auto listeners = listeners_;
    for (IOcDataProviderListener* listener : listeners)
        listener->BeforeProviderChange(this, reason, source);
}

void TTestProvider::NotifyChanged(TOcProviderChangeReason reason, IInterface* source)
{
    Log.push_back({true, reason, IdentityOf(source)});
    const auto listeners = listeners_;
    for (IOcDataProviderListener* listener : listeners)
        listener->AfterProviderChange(this, reason, source);
}

TInterfacePtr<IOcDataConsumer> TTestProvider::CurrentConsumer()
{
    return consumers_.empty() ? nullptr : consumers_.back();
}

TInterfacePtr<IOcDataContext> TTestProvider::CurrentContext()
{
    return contexts_.empty() ? nullptr : contexts_.back();
}

TOcDataContexts* TTestProvider::Contexts()
{
    if (!rootContexts_)
        rootContexts_ = static_cast<IOcDataContexts*>(
            TOcBaseDataContexts::Create<TOcDataContexts>(this, nullptr));
    return static_cast<TOcDataContexts*>(static_cast<TOcBaseDataContexts*>(rootContexts_.Get()));
}

TInterfacePtr<IOcDataContext> TTestProvider::AddContext(const std::string& name,
                                                        TOcDataContexts* list)
{
    if (!list)
        list = Contexts();
    TInterfacePtr<IOcDataContext> context =
        static_cast<IOcDataContext*>(TOcBaseDataContext::Create<TOcDataContext>(list, name));
    list->InsertContext(context.Get());
    return context;
}

std::string TTestProvider::ContextNames() const
{
    std::string names;
    for (int i = 0; rootContexts_ && i < rootContexts_->ContextCount(); ++i)
        names += (i ? "," : "") + rootContexts_->ContextAt(i)->ContextName();
    return names;
}

void TTestProvider::SetContextNames(const std::string& names)
{
    size_t start = 0;
    while (start <= names.size() && !names.empty()) {
        const size_t comma = std::min(names.find(',', start), names.size());
        AddContext(names.substr(start, comma - start));
        start = comma + 1;
    }
}

void TTestProvider::Close()
{
    NotifyChanging(pnrClosing, nullptr);
}

void RegisterFixtureClasses()
{
    RegisterDataProviderClasses();
    RegisterClass(TTestProvider::StaticClass());
}

TOcBaseDataItem* AddTextItem(IOcDataItems* list, const std::string& id, const std::string& text)
{
    TOcBaseDataItem* item = TOcBaseDataItem::Create<TOcBaseDataItem>(list);
    item->SetID(id);
    TAggregatedPersistentEx::Create<TOcDataItemTextImpl>(item)->SetText(text);
    TInterfacePtr<IOcDataItems> owner = list;
    if (auto editing = owner.Query<IOcDataItemsEditing>())
        editing->AddItem(item);
    else
        static_cast<TOcBaseDataItems*>(list->ImplementingObject())->StoreItem(item);
    return item;
}

TOcDataItemsList* ChildrenOf(TOcBaseDataItem* item)
{
    if (auto present = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItems>())
        return static_cast<TOcDataItemsList*>(present->ImplementingObject());
    TOcDataItemsList* list = TOcBaseDataItems::CreateFor<TOcDataItemsList>(item);
    TAggregatedPersistentEx::Create<TOcBaseDataItemsListManagement>(list);
    return list;
}

std::string TextOf(IOcDataItem* item)
{
    auto text = TInterfacePtr<IOcDataItem>(item).Query<IOcDataItemText>();
    return text ? text->ReadText() : std::string();
}

IInterface* IdentityOf(IInterface* intf)
{
    return InterfaceIdentity(intf).Get();
}

void BuildSampleTree(TTestProvider& provider)
{
    IOcDataItems* root = provider.Data();
    TOcBaseDataItem* a = AddTextItem(root, "A", "Alpha");
    TOcBaseDataItem* a1 = AddTextItem(ChildrenOf(a), "A1", "Alpha one");
    AddTextItem(ChildrenOf(a1), "A1x", "Alpha one x");
    AddTextItem(ChildrenOf(a), "A2", "Alpha two");
    AddTextItem(root, "B", "Bravo");
    TOcBaseDataItem* c = AddTextItem(root, "C", "Charlie");
    AddTextItem(ChildrenOf(c), "C1", "Charlie one");
}

} // namespace providerfixture
