#pragma once
// The item tree of a provider: item lists (IOcDataItems) hold items (IOcDataItem); an item with
// children carries a sub-item list through its TOcBaseDataItemSubItems implementer. Lookups by
// identifier, path and index path; the list that owns its items (TOcDataItemsList) with its
// editing implementer; the implementer bases of item and list aspects; and the two stream
// properties that carry a tree, "Items" of a list and "SubItems" of an item.
#include "dataprovider/OcExtensible.h"

#include "core/Lists.h"

namespace dataprovider {

class TOcBaseDataItems;
class TOcBaseDataItemSubItems;

// ---- items ----------------------------------------------------------------------------------

class TOcBaseDataItem : public TExtensibleInterfacedPersistent, public IOcDataItem {
    CLASSLIB_CLASS(TOcBaseDataItem, TExtensibleInterfacedPersistent)
    // The virtual constructor: an item of class `cls` (a descendant of this class) in the list
    // `owner`, with a fresh identifier. The list does not store it (StoreItem does).
    static TOcBaseDataItem* Create(const TMetaClass& cls, IOcDataItems* owner);
    template <class T>
    static T* Create(IOcDataItems* owner)
    {
        return static_cast<T*>(Create(T::StaticClass(), owner));
    }

    // Sets the identifier to 32 upper-case hex digits of a new GUID, in memory order.
    virtual void MakeUniqueID();
    void SetID(const TOcDataItemID& id) { id_ = id; }

    // IInterface: items of a list that owns them are not counted. The provider sees no
    // context while the question is asked.
    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        return TExtensibleInterfacedPersistent::QueryInterface(iid, obj);
    }
    int AddRef() override;
    int Release() override;
    bool GetInterface(const TGUID& iid, void** obj) override;

    // IOcDataItem
    TInterfacePtr<IOcDataItems> OwnerList() override { return ownerList_; }
    int IndexInList() override;
    TObject* ImplementingObject() override { return this; }
    TOcDataItemID ID() override { return id_; }
    void ForgetContext(IOcDataContext* context) override;
    bool IsAncestorOf(IOcDataItem* item, bool directOnly) override;
    bool CanDelete() override { return true; }

    // Every implementer that answers IOcDataContextOverride drops its value for the current
    // context; HasNoOverrides: none of them has one.
    virtual void DropOverrides();
    virtual bool HasNoOverrides();

    // The provider's component (through IOcDataProviderComponent; a provider without it is
    // the interface-cast error); "Owner: Item[ID]" as name path.
    TPersistent* GetOwner() const override;
    std::string GetNamePath() const override;
    // "Extensions", and "SubItems" when the item has children.
    void DefineProperties(TFiler& filer) override;
    void AfterConstruction() override;

    const TOcDataItemID& IDValue() const { return id_; }

protected:
    virtual void Init(IOcDataItems* owner);

private:
    // Runs `question` with no context pushed on the owner list's provider (when there is one).
    template <class F>
    int WithoutContext(F&& question);
    void ReadSubItems(TReader& reader);
    void WriteSubItems(TWriter& writer);

    IOcDataItems* ownerList_ = nullptr;
    TInterfacePtr<IOcDataItems> ownerListRef_; // only for a transient list
    TOcDataItemID id_;
};

// ---- item lists -----------------------------------------------------------------------------

class TOcBaseDataItems : public TExtensibleInterfacedPersistent,
                         public IOcDataItemLookup,
                         public IOcDataItems {
    CLASSLIB_CLASS(TOcBaseDataItems, TExtensibleInterfacedPersistent)
    // The virtual constructors: a list of `cls` for `provider` (a root list), or the sub-item
    // list of `parent` (the parent item then answers IOcDataItems with it).
    static TOcBaseDataItems* Create(const TMetaClass& cls, IOcDataProvider* provider);
    static TOcBaseDataItems* CreateFor(const TMetaClass& cls, IOcDataItem* parent);
    template <class T>
    static T* Create(IOcDataProvider* provider)
    {
        return static_cast<T*>(Create(T::StaticClass(), provider));
    }
    template <class T>
    static T* CreateFor(IOcDataItem* parent)
    {
        return static_cast<T*>(CreateFor(T::StaticClass(), parent));
    }

    // Storage of the list's items.
    virtual void StoreItem(IOcDataItem* item) = 0;
    virtual void UnstoreItem(int index) = 0;
    virtual void MoveStoredItem(int oldIndex, int newIndex) = 0;
    // True when the item's class is registered and descends from TOcBaseDataItem.
    virtual bool CanStreamItem(IOcDataItem* item);

    CLASSLIB_IINTERFACE_OF(TExtensibleInterfacedPersistent)
    bool GetInterface(const TGUID& iid, void** obj) override;

    // IOcDataItems
    int ItemCount() override = 0;
    TInterfacePtr<IOcDataItem> ItemAt(int index) override = 0;
    TInterfacePtr<IOcDataItem> ItemByPath(const std::string& path) override;
    TInterfacePtr<IOcDataItem> ItemByIndexPath(const std::vector<int>& indices) override;
    TInterfacePtr<IOcDataItem> ParentItem() override { return parentItem_; }
    TInterfacePtr<IOcDataProvider> OwningProvider() override { return provider_; }
    TObject* ImplementingObject() override { return this; }
    bool ItemsAreTransient() override { return true; }
    void ForgetContext(IOcDataContext* context) override;

    // IOcDataItemLookup: by identifier in this list, and with `recursive` in every sub-item
    // list below it (later items first at each level).
    TInterfacePtr<IOcDataItem> FindItem(const TOcDataItemID& id, bool recursive) override;

    TOcBaseDataItemSubItems* SubItemsImplementer() const { return subItems_; }

    // "Extensions" and "Items" (always written).
    void DefineProperties(TFiler& filer) override;
    void BeforeDestruction() override;

    // Reads the value of "Items" (after its name): the items are appended; when the stream is
    // broken the items read so far are removed again and the error propagates.
    void ReadItems(TReader& reader);
    void WriteItems(TWriter& writer);

protected:
    virtual void InitForProvider(IOcDataProvider* provider);
    virtual void InitForParent(IOcDataItem* parent);

private:
    friend class TOcBaseDataItemSubItems;
    IOcDataItem* parentItem_ = nullptr;
    TInterfacePtr<IOcDataItem> parentItemRef_; // only when the parent's own list is transient
    TInterfacePtr<IOcDataProvider> provider_;
    TOcBaseDataItemSubItems* subItems_ = nullptr;
};

// A list that owns its items: they are freed with the list or by editing, and not counted.
class TOcDataItemsList : public TOcBaseDataItems {
    CLASSLIB_CLASS(TOcDataItemsList, TOcBaseDataItems)
    void StoreItem(IOcDataItem* item) override;
    void UnstoreItem(int index) override;
    void MoveStoredItem(int oldIndex, int newIndex) override;
    int ItemCount() override { return items_.Count(); }
    // An index outside the list is the list-index error (EListError).
    TInterfacePtr<IOcDataItem> ItemAt(int index) override;
    bool ItemsAreTransient() override { return false; }
    void BeforeDestruction() override;

    classlib::TObjectList& ItemObjects() { return items_; }

private:
    classlib::TObjectList items_{true};
};

// ---- aspect bases ---------------------------------------------------------------------------

// An implementer on an item.
class TOcDataItemAggregatedObject : public TAggregatedPersistentEx {
    CLASSLIB_CLASS(TOcDataItemAggregatedObject, TAggregatedPersistentEx)
    // The owner as IOcDataItem (EIntfCastError when the owner is no item).
    TInterfacePtr<IOcDataItem> OwnerItem() const;
    virtual void ForgetContext(IOcDataContext*) {}
    // The interfaces of its own class; IOcDataContextOverride is refused (one aspect never
    // answers it for another); anything else is asked of the owner.
    bool QueryInterface(const TGUID& iid, void** obj) override;

protected:
    // The owner list's provider (empty without one), to which item aspects report changes.
    TInterfacePtr<IOcDataProvider> ItemProvider() const;
    // NotifyChanging(pnrItemUpdated, item), `change`, NotifyChanged(pnrItemUpdated, item).
    template <class F>
    void ReportItemUpdate(F&& change);
};

template <class F>
void TOcDataItemAggregatedObject::ReportItemUpdate(F&& change)
{
    TInterfacePtr<IOcDataItem> item = OwnerItem();
    TInterfacePtr<IOcDataProvider> provider = ItemProvider();
    if (provider)
        provider->NotifyChanging(pnrItemUpdated, item.Get());
    change();
    if (provider)
        provider->NotifyChanged(pnrItemUpdated, item.Get());
}

// An implementer on an item list.
class TOcDataItemsAggregatedObject : public TAggregatedPersistentEx {
    CLASSLIB_CLASS(TOcDataItemsAggregatedObject, TAggregatedPersistentEx)
    TInterfacePtr<IOcDataItems> OwnerItems() const;
    // EInvalidCast when the owner is no TOcBaseDataItems.
    TOcBaseDataItems* OwnerItemsObject() const;
    virtual void ForgetContext(IOcDataContext*) {}
};

// Gives its owner item the sub-item list: IOcDataItems is the kept list itself, and any other
// query the item cannot answer goes to that list.
class TOcBaseDataItemSubItems : public TOcDataItemAggregatedObject {
    CLASSLIB_CLASS(TOcBaseDataItemSubItems, TOcDataItemAggregatedObject)
    static TOcBaseDataItemSubItems* Create(TExtensibleInterfacedPersistent* ownerItem,
                                           TOcBaseDataItems* items);
    bool FindInterface(const TGUID& iid, void** obj) override;
    const TInterfacePtr<IOcDataItems>& Items() const { return items_; }
    void BeforeDestruction() override;

private:
    TInterfacePtr<IOcDataItems> items_;
};

// Editing of an item list (IOcDataItemsEditing).
class TOcBaseDataItemsManagement : public TOcDataItemsAggregatedObject, public IOcDataItemsEditing {
    CLASSLIB_CLASS(TOcBaseDataItemsManagement, TOcDataItemsAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataItemsAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;
};

// Editing of a TOcDataItemsList, reported to the provider.
class TOcBaseDataItemsListManagement : public TOcBaseDataItemsManagement {
    CLASSLIB_CLASS(TOcBaseDataItemsListManagement, TOcBaseDataItemsManagement)
    TInterfacePtr<IOcDataItem> AddItem(IOcDataItem* item) override;
    // The list knows no item class to make one of; providers that need it supply it.
    TInterfacePtr<IOcDataItem> NewItem() override { return {}; }
    void ClearItems() override;
    // Raises EOCLDataItems "Item cannot be deleted" for an item whose CanDelete is false.
    void DeleteItem(int index) override;
    void RemoveItem(TInterfacePtr<IOcDataItem>& item) override;

private:
    TOcDataItemsList& List() const;
    TInterfacePtr<IOcDataProvider> Provider() const;
};

// "\"/"/" separated identifier path and index path lookups, for any list.
TInterfacePtr<IOcDataItem> ItemByPathIn(IOcDataItems* list, const std::string& path);
TInterfacePtr<IOcDataItem> ItemByIndexPathIn(IOcDataItems* list, const std::vector<int>& indices);
TInterfacePtr<IOcDataItem> FindItemIn(IOcDataItems* list, const TOcDataItemID& id, bool recursive);

// The sub-item list of an item, empty when it has none (or no item is given).
TInterfacePtr<IOcDataItems> SubItemsOf(IOcDataItem* item);

// The 32 upper-case hex digits of `count` bytes, two per byte in order.
std::string BytesToHex(const void* buffer, int count);

} // namespace dataprovider
