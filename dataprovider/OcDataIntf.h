#pragma once
// The data provider contract: the reference-counted interfaces through which a provider
// publishes a tree of items, named contexts and change notices, and through which consumers
// (controls) select, read and act on items. Each interface adds its operations to IInterface
// in the order given here; the identifiers are fixed.
//
// Operations that answer an interface return a new counted reference, or an empty one when
// there is nothing to answer. Interface arguments are borrowed (the caller holds them).
// The painting interfaces need the platform's canvas and live in OcDataPainting.h.
#include "core/Object.h"

#include <cstdint>
#include <string>
#include <vector>

namespace classlib {
class TComponent;
class TCustomImageList;
class TMetaClass;
} // namespace classlib

namespace dataprovider {

using classlib::IInterface;
using classlib::TGUID;
using classlib::TInterfacePtr;
using classlib::TObject;

// An item's identifier and a context's name.
using TOcDataItemID = std::string;
using TOcDataContextID = std::string;

// The reason passed with every provider notice (and the source that goes with it, see the
// interface of IOcDataProvider). Value 7 is not used by this library.
enum TOcProviderChangeReason : uint8_t {
    pnrItemAdded = 0,      // changing: the item list; changed: the new item
    pnrItemDeleted = 1,    // changing: the item; changed: none
    pnrItemUpdated = 2,    // the item, both times
    pnrItemsUpdated = 3,   // the item list, both times
    pnrClosing = 4,        // the provider is going away: consumers detach
    pnrContextAdded = 5,   // changing: the ancestor context of the list; changed: the new context
    pnrContextDeleted = 6, // changing: the context; changed: the ancestor context of its list
    pnrRefresh = 8,        // consumers rebuild their views
};

// Paint flags of an item, one byte; the library sets only "disabled".
using TOcItemPaintState = uint8_t;
inline constexpr TOcItemPaintState ipsDisabled = 4;

// Whether an item shows in consumer views: 0 hidden, 3 the default; 2 and 3 let the item
// decide through IOcDataItemVisibility.
using TOcItemVisibleState = uint8_t;

// The alignment of an item's glyph. Its ordinals and stream names are those of the platform's
// TAlignment, which the portable core of the class library does not declare.
enum TOcGlyphAlignment : uint8_t { gaLeftJustify, gaRightJustify, gaCenter };
CLASSLIB_ENUM(TOcGlyphAlignment);

class IOcDataItem;
class IOcDataItems;
class IOcDataConsumer;
class IOcDataContext;
class IOcDataContexts;
class IOcDataProviderListener;
class IOcDataConsumerServer;

#define OC_DATA_IID(text) static constexpr TGUID IID = TGUID::FromText(text)

class IOcDataProvider : public IInterface {
public:
    OC_DATA_IID("{62A7A17D-1E21-427E-861D-C92FBB9B09A6}");
    virtual void AddListener(IOcDataProviderListener* listener) = 0;
    virtual void RemoveListener(IOcDataProviderListener* listener) = 0;
    virtual TInterfacePtr<IOcDataItems> RootItemList() = 0;
    // Passed to every listener's BeforeProviderChange / AfterProviderChange.
    virtual void NotifyChanging(TOcProviderChangeReason reason, IInterface* source) = 0;
    virtual void NotifyChanged(TOcProviderChangeReason reason, IInterface* source) = 0;
    // The consumer extension classes (TOcDataConsumerAggregatedObject descendants) that the
    // current consumer should carry.
    virtual std::vector<const classlib::TMetaClass*> ExtensionClasses() = 0;
    // The consumers and contexts on whose behalf the provider answers, kept as stacks; pushing
    // no context is allowed and means "no context".
    virtual void PushConsumer(IOcDataConsumer* consumer) = 0;
    virtual TInterfacePtr<IOcDataConsumer> CurrentConsumer() = 0;
    virtual void PopConsumer() = 0;
    virtual void PushContext(IOcDataContext* context) = 0;
    virtual TInterfacePtr<IOcDataContext> CurrentContext() = 0;
    virtual void PopContext() = 0;
    // The provider's further operations are its own; this library calls none of them.
};

class IOcDataItems : public IInterface {
public:
    OC_DATA_IID("{93747660-24FB-4294-BF4E-C7F88EA23983}");
    virtual int ItemCount() = 0;
    virtual TInterfacePtr<IOcDataItem> ItemAt(int index) = 0;
    virtual TInterfacePtr<IOcDataItem> ItemByPath(const std::string& path) = 0;
    virtual TInterfacePtr<IOcDataItem> ItemByIndexPath(const std::vector<int>& indices) = 0;
    virtual TInterfacePtr<IOcDataItem> ParentItem() = 0;
    virtual TInterfacePtr<IOcDataProvider> OwningProvider() = 0;
    virtual TObject* ImplementingObject() = 0;
    // True when items live only while referenced, false when the list owns them.
    virtual bool ItemsAreTransient() = 0;
    // The context is being destroyed: drop per-context data.
    virtual void ForgetContext(IOcDataContext* context) = 0;
};

class IOcDataItem : public IInterface {
public:
    OC_DATA_IID("{C965CF64-A1F2-44A4-B856-3A4EC6B693E1}");
    virtual TInterfacePtr<IOcDataItems> OwnerList() = 0;
    virtual int IndexInList() = 0;
    virtual TObject* ImplementingObject() = 0;
    virtual TOcDataItemID ID() = 0;
    virtual void ForgetContext(IOcDataContext* context) = 0;
    virtual bool IsAncestorOf(IOcDataItem* item, bool directOnly) = 0;
    virtual bool CanDelete() = 0;
};

class IOcDataConsumer : public IInterface {
public:
    OC_DATA_IID("{B2F18D03-F615-4AA2-A51A-74D330C05C0E}");
    virtual classlib::TComponent* OwnerComponent() = 0;
    virtual bool HasAttribute(int code) = 0;
};

class IOcDataContexts : public IInterface {
public:
    OC_DATA_IID("{BA5DC787-29C6-40FA-9542-F0A1E92A2B30}");
    virtual TInterfacePtr<IOcDataProvider> OwningProvider() = 0;
    virtual TInterfacePtr<IOcDataContext> AncestorContext() = 0;
    virtual int ContextCount() = 0;
    virtual TInterfacePtr<IOcDataContext> ContextAt(int index) = 0;
    virtual TInterfacePtr<IOcDataContext> ContextByPath(const std::string& path) = 0;
    virtual int IndexOfContext(IOcDataContext* context) = 0;
};

class IOcDataContext : public IInterface {
public:
    OC_DATA_IID("{F226D92A-3493-4EF8-9CE6-037357EB0CEA}");
    virtual TObject* ImplementingObject() = 0;
    virtual TInterfacePtr<IOcDataContexts> OwnerContexts() = 0;
    virtual TOcDataContextID ContextName() = 0;
    virtual bool CanDelete() = 0;
};

class IOcDataItemText : public IInterface {
public:
    OC_DATA_IID("{94FA56D9-281B-4252-B46D-15E7BADA70DA}");
    virtual std::string ReadText() = 0;
    virtual void WriteText(const std::string& value) = 0;
    virtual bool CanEdit() = 0;
};

class IOcDataItemGlyph : public IInterface {
public:
    OC_DATA_IID("{6425D73A-90CF-42ED-9AB2-63125A4C0774}");
    virtual TOcGlyphAlignment Alignment() const = 0;
    virtual void SetAlignment(TOcGlyphAlignment value) = 0;
    virtual int ImageIndex() const = 0;
    virtual void SetImageIndex(int value) = 0;
    virtual int SelectedIndex() const = 0;
    virtual void SetSelectedIndex(int value) = 0;
};

class IOcDataItemLookup : public IInterface {
public:
    OC_DATA_IID("{0F5BDC79-893B-45C9-94E9-C2B2FD4ABFE7}");
    virtual TInterfacePtr<IOcDataItem> FindItem(const TOcDataItemID& id, bool recursive) = 0;
};

class IOcDataItemsEditing : public IInterface {
public:
    OC_DATA_IID("{76611CC0-9DCD-4394-8B6E-1ADEF1942BC3}");
    virtual TInterfacePtr<IOcDataItem> AddItem(IOcDataItem* item) = 0;
    virtual TInterfacePtr<IOcDataItem> NewItem() = 0;
    virtual void ClearItems() = 0;
    virtual void DeleteItem(int index) = 0;
    // Item always comes back empty.
    virtual void RemoveItem(TInterfacePtr<IOcDataItem>& item) = 0;
};

class IOcDataItemsImageLists : public IInterface {
public:
    OC_DATA_IID("{735755A6-AD11-460C-B985-46464D73EDBC}");
    virtual classlib::TCustomImageList* DisabledImages() const = 0;
    virtual void SetDisabledImages(classlib::TCustomImageList* value) = 0;
    virtual classlib::TCustomImageList* HotImages() const = 0;
    virtual void SetHotImages(classlib::TCustomImageList* value) = 0;
    virtual classlib::TCustomImageList* Images() const = 0;
    virtual void SetImages(classlib::TCustomImageList* value) = 0;
};

class IOcDataContextOverride : public IInterface {
public:
    OC_DATA_IID("{7067F5C1-05DC-4DAC-A595-AF9151695FBB}");
    // Forgets the value given for the current context.
    virtual void DropOverride() = 0;
    // True when there is no value for the current context.
    virtual bool HasNoOverride() = 0;
};

class IOcDataContextRename : public IInterface {
public:
    OC_DATA_IID("{530367D8-601C-4E36-B5F0-357160497C50}");
    virtual void Rename(const TOcDataContextID& name) = 0;
};

class IOcDataConsumerClientLink : public IInterface {
public:
    OC_DATA_IID("{D1AAAFDF-BEB1-44DB-B8D8-A60080CEF3C7}");
    virtual void ServerItemNotice(IOcDataConsumerServer* server, IOcDataItem* item) = 0;
    virtual void ServerLinked(IOcDataConsumerServer* server) = 0;
    virtual void ServerUnlinked(IOcDataConsumerServer* server) = 0;
};

class IOcDataConsumerSource : public IInterface {
public:
    OC_DATA_IID("{1F01D2E5-2ACB-4B84-AFE6-67E563FB470B}");
    virtual TInterfacePtr<IOcDataProvider> ProviderInterface() = 0;
};

class IOcDataProviderListener : public IInterface {
public:
    OC_DATA_IID("{5B9D1847-6D35-4D9C-8BC2-2054997AB120}");
    virtual void BeforeProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                                      IInterface* source) = 0;
    virtual void AfterProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                                     IInterface* source) = 0;
    virtual TInterfacePtr<IOcDataConsumer> ListenerConsumer() = 0;
};

class IOcDataConsumerSelection : public IInterface {
public:
    OC_DATA_IID("{F11554AE-263D-4C04-BCDB-79F04DE89609}");
    virtual TInterfacePtr<IOcDataItem> SelectedItem() = 0;
    virtual void SelectItem(IOcDataItem* item) = 0;
};

class IOcDataConsumerRowView : public IInterface {
public:
    OC_DATA_IID("{F3A78F68-D998-4877-8C73-1E0D2987808D}");
    virtual int InitialOpenDepth() const = 0;
    virtual void SetInitialOpenDepth(int value) = 0;
    virtual bool RevealNewItems() const = 0;
    virtual void SetRevealNewItems(bool value) = 0;
    virtual int LevelIndent() const = 0;
    virtual void SetLevelIndent(int value) = 0;
    virtual void Rebuild() = 0;
    virtual void RevealItem(IOcDataItem* item) = 0;
    virtual void ToggleRow(int row) = 0;
    virtual int RowOfItem(IOcDataItem* item) = 0;
    virtual int RowOfID(const TOcDataItemID& id) = 0;
    virtual int ChildPositionOfItem(IOcDataItem* item) = 0;
    virtual int ChildPositionOfID(const TOcDataItemID& id) = 0;
    virtual TInterfacePtr<IOcDataItem> RowItem(int row) = 0;
    virtual int RowDepth(int row) = 0;
    virtual bool RowIsOpen(int row) = 0;
    virtual bool RowHasChildren(int row) = 0;
    virtual TInterfacePtr<IOcDataItem> RowParent(int row) = 0;
    virtual int RowParentIndex(int row) = 0;
    virtual TInterfacePtr<IOcDataItem> RowNextSibling(int row) = 0;
    virtual int RowNextSiblingIndex(int row) = 0;
    virtual TInterfacePtr<IOcDataItem> RowChild(IOcDataItem* parentItem, int index) = 0;
    virtual TInterfacePtr<IOcDataItem> RowChild(int parentRow, int index) = 0;
    virtual int RowChildIndex(IOcDataItem* parentItem, int index) = 0;
    virtual int RowChildIndex(int parentRow, int index) = 0;
    virtual std::vector<int> RowBranchMask(int row) = 0;
    virtual int RowCount() = 0;
};

// Asked on the provider's current consumer. Its first two operations are the implementer's;
// this library calls only ConsumerItemState.
class IOcDataConsumerItemFilter : public IInterface {
public:
    OC_DATA_IID("{09EBDED8-502E-4C2E-9842-312850FF3358}");
    virtual TOcItemVisibleState ConsumerItemState(IOcDataItem* item) = 0;
};

// Asked on an item. Its first four operations are the implementer's; this library calls only
// OwnItemState.
class IOcDataItemVisibility : public IInterface {
public:
    OC_DATA_IID("{5BD81E0B-DAD2-4560-943A-205E0FF2A97F}");
    virtual TOcItemVisibleState OwnItemState() = 0;
};

class IOcDataProviderComponent : public IInterface {
public:
    OC_DATA_IID("{E28B1858-EC86-4559-8FCD-6B4F824151ED}");
    // The component that owns the provider (an item's owner and name path).
    virtual classlib::TComponent* ProviderComponent() = 0;
};

class IOcDataItemAction : public IInterface {
public:
    OC_DATA_IID("{86859A20-560D-4E9A-AC8B-2457789451B0}");
    // True when the action handled the click.
    virtual bool Perform(TObject* sender) = 0;
};

// A control or object that serves a consumer and links itself to it through ServerLinked.
// Its other operations are the implementer's; the consumer calls ClientProviderChanged after
// its provider changed.
class IOcDataConsumerServer : public IInterface {
public:
    OC_DATA_IID("{4C6F0E59-3A8D-4B17-9E62-D05A7B1C93F4}");
    virtual void ClientProviderChanged(IOcDataConsumerClientLink* client) = 0;
};

} // namespace dataprovider
