#include "dataprovider/OcDataItems.h"

#include "core/Component.h"
#include "core/SysUtils.h"

namespace dataprovider {

using namespace classlib;

std::string BytesToHex(const void* buffer, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    std::string text;
    text.reserve(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

TInterfacePtr<IOcDataItems> SubItemsOf(IOcDataItem* item)
{
    return item ? TInterfacePtr<IOcDataItem>(item).Query<IOcDataItems>()
                : TInterfacePtr<IOcDataItems>();
}

namespace {

TInterfacePtr<IOcDataItems> ParentListOf(IOcDataItem* item)
{
    return item ? item->OwnerList() : TInterfacePtr<IOcDataItems>();
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

// ---- TOcBaseDataItem ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItem)
{
    c.Property("ID", &TOcBaseDataItem::IDValue, &TOcBaseDataItem::SetID);
}

TOcBaseDataItem* TOcBaseDataItem::Create(const TMetaClass& cls, IOcDataItems* owner)
{
    return CreateOfClass<TOcBaseDataItem>(cls, [&](TOcBaseDataItem* item) { item->Init(owner); });
}

void TOcBaseDataItem::Init(IOcDataItems* owner)
{
    ownerList_ = owner;
    if (owner && owner->ItemsAreTransient())
        ownerListRef_ = owner;
}

void TOcBaseDataItem::AfterConstruction()
{
    MakeUniqueID();
    TExtensibleInterfacedPersistent::AfterConstruction();
}

void TOcBaseDataItem::MakeUniqueID()
{
    const TGUID guid = CreateGUID();
    id_ = BytesToHex(&guid, sizeof guid);
}

bool TOcBaseDataItem::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItem>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetInterface(iid, obj);
}

template <class F>
int TOcBaseDataItem::WithoutContext(F&& question)
{
    // An item without a list or a list without a provider has no provider to bracket.
    TInterfacePtr<IOcDataProvider> provider = ownerList_ ? ownerList_->OwningProvider() : nullptr;
    if (!provider)
        return question();
    provider->PushContext(nullptr);
    int result;
    try {
        result = question();
    } catch (...) {
        provider->PopContext();
        throw;
    }
    provider->PopContext();
    return result;
}

int TOcBaseDataItem::AddRef()
{
    return WithoutContext([this] {
        return !ownerList_ || ownerList_->ItemsAreTransient()
                   ? TExtensibleInterfacedPersistent::AddRef()
                   : -1;
    });
}

int TOcBaseDataItem::Release()
{
    const bool counted =
        WithoutContext([this] { return !ownerList_ || ownerList_->ItemsAreTransient(); }) != 0;
    return counted ? TExtensibleInterfacedPersistent::Release() : -1;
}

int TOcBaseDataItem::IndexInList()
{
    if (!ownerList_)
        return -1;
    for (int i = ownerList_->ItemCount(); i-- > 0;)
        if (ownerList_->ItemAt(i)->ImplementingObject() == this)
            return i;
    return -1;
}

void TOcBaseDataItem::ForgetContext(IOcDataContext* context)
{
    for (int i = 0; i < ImplementerCount(); ++i)
        if (auto* aspect = dynamic_cast<TOcDataItemAggregatedObject*>(Implementers(i)))
            aspect->ForgetContext(context);
    if (TInterfacePtr<IOcDataItems> children = SubItemsOf(this))
        children->ForgetContext(context);
}

bool TOcBaseDataItem::IsAncestorOf(IOcDataItem* item, bool directOnly)
{
    TInterfacePtr<IOcDataItems> list = ParentListOf(item);
    TInterfacePtr<IOcDataItem> parent = list ? list->ParentItem() : nullptr;
    if (parent && parent->ImplementingObject() == this)
        return true;
    if (directOnly)
        return false;
    while (parent) {
        if (parent->ImplementingObject() == this)
            return true;
        list = parent->OwnerList();
        parent = list ? list->ParentItem() : nullptr;
    }
    return false;
}

void TOcBaseDataItem::DropOverrides()
{
    for (int i = 0; i < ImplementerCount(); ++i) {
        void* obj = nullptr;
        if (Implementers(i)->FindInterface(IOcDataContextOverride::IID, &obj))
            TInterfacePtr<IOcDataContextOverride>::Attach(static_cast<IOcDataContextOverride*>(obj))
                ->DropOverride();
    }
}

bool TOcBaseDataItem::HasNoOverrides()
{
    for (int i = 0; i < ImplementerCount(); ++i) {
        void* obj = nullptr;
        if (Implementers(i)->FindInterface(IOcDataContextOverride::IID, &obj) &&
            !TInterfacePtr<IOcDataContextOverride>::Attach(
                 static_cast<IOcDataContextOverride*>(obj))
                 ->HasNoOverride())
            return false;
    }
    return true;
}

TPersistent* TOcBaseDataItem::GetOwner() const
{
    if (!ownerList_)
        return TExtensibleInterfacedPersistent::GetOwner();
    TInterfacePtr<IOcDataProvider> provider = ownerList_->OwningProvider();
    return InterfaceCast<IOcDataProviderComponent>(provider)->ProviderComponent();
}

std::string TOcBaseDataItem::GetNamePath() const
{
    auto* component = dynamic_cast<TComponent*>(GetOwner());
    return (component ? component->Name() : std::string(messages::UnknownOwner)) + ": Item[" + id_ +
           "]";
}

void TOcBaseDataItem::DefineProperties(TFiler& filer)
{
    TExtensibleInterfacedPersistent::DefineProperties(filer);
    const bool hasChildren = static_cast<bool>(SubItemsOf(this));
    filer.DefineProperty(
        "SubItems", [this](TReader& reader) { ReadSubItems(reader); },
        [this](TWriter& writer) { WriteSubItems(writer); }, hasChildren);
}

void TOcBaseDataItem::WriteSubItems(TWriter& writer)
{
    TInterfacePtr<IOcDataItems> children = SubItemsOf(this);
    auto* list = dynamic_cast<TPersistent*>(children->ImplementingObject());
    writer.WriteValue(vaCollection);
    streaming::WithoutPropPath(writer, [&] { streaming::WriteClassEntry(writer, list); });
    writer.WriteListEnd();
}

void TOcBaseDataItem::ReadSubItems(TReader& reader)
{
    HoldReference();
    // A list of another class than the stream names is set aside, and put back when the
    // stream turns out to be broken; a list made here goes again in that case.
    TOcBaseDataItemSubItems* setAside = nullptr;
    TOcBaseDataItemSubItems* made = nullptr;
    try {
        streaming::NestingScope nesting(reader);
        streaming::ReadCollectionTag(reader);
        const TMetaClass& cls = streaming::ReadClassEntry(reader, TOcBaseDataItems::StaticClass());
        TOcBaseDataItemSubItems* present = FindImplementer<TOcBaseDataItemSubItems>();
        if (present && &present->Items()->ImplementingObject()->ClassType() != &cls) {
            setAside = present;
            DetachImplementer(present);
            present = nullptr;
        }
        if (!present) {
            TOcBaseDataItems::CreateFor(cls, this);
            present = made = FindImplementer<TOcBaseDataItemSubItems>();
        }
        auto* list = static_cast<TOcBaseDataItems*>(present->Items()->ImplementingObject());
        streaming::ReadObjectProperties(reader, list);
        reader.ReadListEnd();
    } catch (...) {
        if (made)
            RemoveImplementer(made);
        if (setAside)
            AddImplementer(setAside);
        DropHeldReference();
        throw;
    }
    if (setAside)
        setAside->Free();
    DropHeldReference();
}

// ---- TOcBaseDataItems -----------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItems) {}

TOcBaseDataItems* TOcBaseDataItems::Create(const TMetaClass& cls, IOcDataProvider* provider)
{
    return CreateOfClass<TOcBaseDataItems>(
        cls, [&](TOcBaseDataItems* list) { list->InitForProvider(provider); });
}

TOcBaseDataItems* TOcBaseDataItems::CreateFor(const TMetaClass& cls, IOcDataItem* parent)
{
    return CreateOfClass<TOcBaseDataItems>(
        cls, [&](TOcBaseDataItems* list) { list->InitForParent(parent); });
}

void TOcBaseDataItems::InitForProvider(IOcDataProvider* provider)
{
    provider_ = provider;
}

void TOcBaseDataItems::InitForParent(IOcDataItem* parent)
{
    TInterfacePtr<IOcDataItems> parentList = parent->OwnerList();
    InitForProvider(parentList ? parentList->OwningProvider().Get() : nullptr);
    parentItem_ = parent;
    if (parentList && parentList->ItemsAreTransient())
        parentItemRef_ = parent;
    if (auto* owner = dynamic_cast<TExtensibleInterfacedPersistent*>(parent->ImplementingObject()))
        subItems_ = TOcBaseDataItemSubItems::Create(owner, this);
}

bool TOcBaseDataItems::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemLookup, IOcDataItems>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetInterface(iid, obj);
}

void TOcBaseDataItems::BeforeDestruction()
{
    TExtensibleInterfacedPersistent::BeforeDestruction();
    if (TOcBaseDataItemSubItems* subItems = subItems_) {
        subItems_ = nullptr;
        if (auto* owner = subItems->Owner())
            owner->RemoveImplementer(subItems);
    }
}

bool TOcBaseDataItems::CanStreamItem(IOcDataItem* item)
{
    TObject* object = item->ImplementingObject();
    return object && GetClass(object->ClassName()) == &object->ClassType() &&
           object->InheritsFrom(TOcBaseDataItem::StaticClass());
}

void TOcBaseDataItems::ForgetContext(IOcDataContext* context)
{
    for (int i = 0; i < ImplementerCount(); ++i)
        if (auto* aspect = dynamic_cast<TOcDataItemsAggregatedObject*>(Implementers(i)))
            aspect->ForgetContext(context);
    for (int i = 0; i < ItemCount(); ++i)
        ItemAt(i)->ForgetContext(context);
}

TInterfacePtr<IOcDataItem> TOcBaseDataItems::ItemByPath(const std::string& path)
{
    return ItemByPathIn(this, path);
}

TInterfacePtr<IOcDataItem> TOcBaseDataItems::ItemByIndexPath(const std::vector<int>& indices)
{
    return ItemByIndexPathIn(this, indices);
}

TInterfacePtr<IOcDataItem> TOcBaseDataItems::FindItem(const TOcDataItemID& id, bool recursive)
{
    return FindItemIn(this, id, recursive);
}

void TOcBaseDataItems::DefineProperties(TFiler& filer)
{
    TExtensibleInterfacedPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Items", [this](TReader& reader) { ReadItems(reader); },
        [this](TWriter& writer) { WriteItems(writer); }, true);
}

void TOcBaseDataItems::WriteItems(TWriter& writer)
{
    writer.WriteValue(vaCollection);
    streaming::WithoutPropPath(writer, [&] {
        for (int i = 0; i < ItemCount(); ++i) {
            TInterfacePtr<IOcDataItem> item = ItemAt(i);
            if (CanStreamItem(item.Get()))
                streaming::WriteClassEntry(writer,
                                           dynamic_cast<TPersistent*>(item->ImplementingObject()));
        }
    });
    writer.WriteListEnd();
}

void TOcBaseDataItems::ReadItems(TReader& reader)
{
    const int countBefore = ItemCount();
    try {
        streaming::NestingScope nesting(reader);
        streaming::ReadCollectionTag(reader);
        while (!reader.EndOfList()) {
            const TMetaClass& cls =
                streaming::ReadClassEntry(reader, TOcBaseDataItem::StaticClass());
            TOcBaseDataItem* item = TOcBaseDataItem::Create(cls, this);
            try {
                StoreItem(item);
            } catch (...) {
                item->Free();
                throw;
            }
            streaming::ReadObjectProperties(reader, item);
        }
        reader.ReadListEnd();
    } catch (...) {
        // Never a half-read tree: the items this read added go again, with their children.
        for (int i = ItemCount(); i-- > countBefore;)
            UnstoreItem(i);
        throw;
    }
}

// ---- lookups --------------------------------------------------------------------------------

TInterfacePtr<IOcDataItem> FindItemIn(IOcDataItems* list, const TOcDataItemID& id, bool recursive)
{
    if (!list)
        return {};
    if (TInterfacePtr<IOcDataItem> found = list->ItemByPath(id))
        return found;
    if (!recursive)
        return {};
    for (int i = list->ItemCount(); i-- > 0;) {
        TInterfacePtr<IOcDataItems> children = SubItemsOf(list->ItemAt(i).Get());
        if (children)
            if (TInterfacePtr<IOcDataItem> found = FindItemIn(children.Get(), id, true))
                return found;
    }
    return {};
}

TInterfacePtr<IOcDataItem> ItemByPathIn(IOcDataItems* start, const std::string& path)
{
    TInterfacePtr<IOcDataItems> current = start;
    TInterfacePtr<IOcDataItem> startParent = start ? start->ParentItem() : nullptr;
    std::string rest = path;
    while (current && !rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        const std::string segment = rest.substr(0, end);
        rest.erase(0, end < rest.size() ? end + 1 : end);
        if (segment == "..") {
            // Up from the list the walk has reached (not from the list it started in).
            TInterfacePtr<IOcDataItem> parent = current->ParentItem();
            current = parent ? parent->OwnerList() : nullptr;
            continue;
        }
        if (segment.empty() && startParent) {
            TInterfacePtr<IOcDataProvider> provider = current->OwningProvider();
            current = provider ? provider->RootItemList() : nullptr;
            continue;
        }
        for (int i = current->ItemCount(); i-- > 0;) {
            TInterfacePtr<IOcDataItem> item = current->ItemAt(i);
            if (!SameText(item->ID(), segment))
                continue;
            if (rest.empty())
                return item;
            current = SubItemsOf(item.Get());
            break;
        }
    }
    return {};
}

TInterfacePtr<IOcDataItem> ItemByIndexPathIn(IOcDataItems* list, const std::vector<int>& indices)
{
    TInterfacePtr<IOcDataItems> current = list;
    TInterfacePtr<IOcDataItem> item;
    for (size_t i = 0; i < indices.size(); ++i) {
        if (!current || indices[i] < 0 || indices[i] >= current->ItemCount())
            return {};
        item = current->ItemAt(indices[i]);
        current = SubItemsOf(item.Get());
    }
    return item;
}

// ---- TOcDataItemsList -----------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataItemsList) {}

void TOcDataItemsList::StoreItem(IOcDataItem* item)
{
    items_.Add(item->ImplementingObject());
}

void TOcDataItemsList::UnstoreItem(int index)
{
    items_.Delete(index);
}

void TOcDataItemsList::MoveStoredItem(int oldIndex, int newIndex)
{
    items_.Move(oldIndex, newIndex);
}

TInterfacePtr<IOcDataItem> TOcDataItemsList::ItemAt(int index)
{
    return dynamic_cast<IOcDataItem*>(items_.Items(index));
}

void TOcDataItemsList::BeforeDestruction()
{
    TOcBaseDataItems::BeforeDestruction();
    items_.Clear();
}

// ---- aspect bases ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataItemAggregatedObject) {}

TInterfacePtr<IOcDataItem> TOcDataItemAggregatedObject::OwnerItem() const
{
    return InterfaceCast<IOcDataItem>(Controller());
}

bool TOcDataItemAggregatedObject::QueryInterface(const TGUID& iid, void** obj)
{
    if (FindInterface(iid, obj))
        return true;
    *obj = nullptr;
    if (iid == IOcDataContextOverride::IID)
        return false;
    return TAggregatedPersistentEx::QueryInterface(iid, obj);
}

TInterfacePtr<IOcDataProvider> TOcDataItemAggregatedObject::ItemProvider() const
{
    TInterfacePtr<IOcDataItem> item = OwnerItem();
    TInterfacePtr<IOcDataItems> list = item->OwnerList();
    return list ? list->OwningProvider() : nullptr;
}

CLASSLIB_PUBLISH(TOcDataItemsAggregatedObject) {}

TInterfacePtr<IOcDataItems> TOcDataItemsAggregatedObject::OwnerItems() const
{
    return InterfaceCast<IOcDataItems>(Controller());
}

TOcBaseDataItems* TOcDataItemsAggregatedObject::OwnerItemsObject() const
{
    auto* list = dynamic_cast<TOcBaseDataItems*>(Owner());
    if (!list)
        throw EInvalidCast(classlib::messages::InvalidCast);
    return list;
}

// ---- TOcBaseDataItemSubItems ----------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItemSubItems) {}

TOcBaseDataItemSubItems* TOcBaseDataItemSubItems::Create(TExtensibleInterfacedPersistent* ownerItem,
                                                         TOcBaseDataItems* items)
{
    auto* subItems = new TOcBaseDataItemSubItems();
    subItems->items_ = static_cast<IOcDataItems*>(items);
    try {
        subItems->Init(ownerItem);
        subItems->AfterConstruction();
    } catch (...) {
        subItems->items_ = nullptr; // the list is still being made; its maker frees it
        delete subItems;
        throw;
    }
    return subItems;
}

bool TOcBaseDataItemSubItems::FindInterface(const TGUID& iid, void** obj)
{
    if (iid == IOcDataItems::IID && items_) {
        items_->AddRef();
        *obj = static_cast<IOcDataItems*>(items_.Get());
        return true;
    }
    if (TOcDataItemAggregatedObject::FindInterface(iid, obj))
        return true;
    return QueryByID(items_.Get(), iid, obj);
}

void TOcBaseDataItemSubItems::BeforeDestruction()
{
    TOcDataItemAggregatedObject::BeforeDestruction();
    if (items_)
        if (auto* list = dynamic_cast<TOcBaseDataItems*>(items_->ImplementingObject()))
            if (list->subItems_ == this)
                list->subItems_ = nullptr;
    items_.Reset();
}

// ---- editing --------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataItemsManagement) {}

bool TOcBaseDataItemsManagement::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataItemsEditing>(this, iid, obj) ||
           TOcDataItemsAggregatedObject::GetInterface(iid, obj);
}

CLASSLIB_PUBLISH(TOcBaseDataItemsListManagement) {}

TOcDataItemsList& TOcBaseDataItemsListManagement::List() const
{
    auto* list = dynamic_cast<TOcDataItemsList*>(OwnerItemsObject());
    if (!list)
        throw EInvalidCast(classlib::messages::InvalidCast);
    return *list;
}

TInterfacePtr<IOcDataProvider> TOcBaseDataItemsListManagement::Provider() const
{
    return List().OwningProvider();
}

namespace {
// NotifyChanging, the change, NotifyChanged, on a provider that may be missing.
template <class F>
void Reported(const TInterfacePtr<IOcDataProvider>& provider, TOcProviderChangeReason reason,
              IInterface* before, F&& change, IInterface* after)
{
    if (provider)
        provider->NotifyChanging(reason, before);
    change();
    if (provider)
        provider->NotifyChanged(reason, after);
}
} // namespace

TInterfacePtr<IOcDataItem> TOcBaseDataItemsListManagement::AddItem(IOcDataItem* item)
{
    TOcDataItemsList& list = List();
    Reported(
        Provider(), pnrItemAdded, static_cast<IOcDataItems*>(&list), [&] { list.StoreItem(item); },
        item);
    return item;
}

void TOcBaseDataItemsListManagement::ClearItems()
{
    TOcDataItemsList& list = List();
    IOcDataItems* source = &list;
    Reported(
        Provider(), pnrItemsUpdated, source, [&] { list.ItemObjects().Clear(); }, source);
}

void TOcBaseDataItemsListManagement::DeleteItem(int index)
{
    TOcDataItemsList& list = List();
    if (index < 0 || index >= list.ItemCount())
        return;
    TInterfacePtr<IOcDataItem> item = list.ItemAt(index);
    if (!item->CanDelete())
        throw EOCLDataItems(messages::ItemCannotBeDeleted);
    IOcDataItem* source = item.Get();
    item.Reset();
    Reported(
        Provider(), pnrItemDeleted, source, [&] { list.UnstoreItem(index); }, nullptr);
}

void TOcBaseDataItemsListManagement::RemoveItem(TInterfacePtr<IOcDataItem>& item)
{
    if (!item)
        return;
    if (!item->CanDelete()) {
        item.Reset();
        throw EOCLDataItems(messages::ItemCannotBeDeleted);
    }
    TObject* object = item->ImplementingObject();
    item.Reset();
    auto* extensible = dynamic_cast<TExtensibleInterfacedPersistent*>(object);
    if (!extensible || extensible->RefCount() != 0)
        return;
    TOcDataItemsList& list = List();
    const int index = list.ItemObjects().IndexOf(object);
    extensible->HoldReference();
    try {
        TInterfacePtr<IOcDataProvider> provider = Provider();
        if (provider)
            provider->NotifyChanging(pnrItemDeleted, dynamic_cast<IOcDataItem*>(object));
    } catch (...) {
        extensible->DropHeldReference();
        throw;
    }
    extensible->DropHeldReference();
    if (index >= 0)
        list.UnstoreItem(index);
    if (TInterfacePtr<IOcDataProvider> provider = Provider())
        provider->NotifyChanged(pnrItemDeleted, nullptr);
}

} // namespace dataprovider
