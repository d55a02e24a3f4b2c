#pragma once
// The consumer: a control's link to a data provider and to one of its contexts. The control
// owns it; it listens to the provider, relays every notice to its owner (repaint and
// OnConsumerChanged) and carries the extensions that the provider lists for it (selection,
// row view). Interface references never keep it alive.
//
// Also here: the base of consumer extensions (TOcDataConsumerAggregatedObject) and the
// selection extension (TOcDataConsumerItemSelect).
#include "dataprovider/OcDataItems.h"

#include "core/Component.h"
#include "core/Events.h"
#include "core/Lists.h"

#include <type_traits>

namespace dataprovider {

class TOcDataConsumer;
class TOcDataConsumerAggregatedObject;

enum TOcConsumerChangeReason : uint8_t {
    cnrProvider,
    cnrProviderData,
    cnrView,
    cnrContext,
    cnrSetting
};
CLASSLIB_ENUM(TOcConsumerChangeReason);

using TOcConsumerChangeEvent =
    classlib::TEvent<void(TOcDataConsumer* Sender, TOcConsumerChangeReason Reason)>;
using TOcExtensionCreatedEvent =
    classlib::TEvent<void(TOcDataConsumer* Sender, TOcDataConsumerAggregatedObject* Extension)>;
// The handler may replace the class or clear it to skip the extension.
using TOcBeforeExtensionCreatedEvent =
    classlib::TEvent<void(TOcDataConsumer* Sender, const TMetaClass*& ExtensionClass)>;
using TOcProviderChangeEvent = classlib::TEvent<void(
    IOcDataProvider* Provider, TOcProviderChangeReason Reason, IInterface* Source)>;

// Makes the control that owns a consumer repaint (a TControl's Invalidate; natively, where no
// controls exist, nothing). Skipped while the owner is being destroyed.
void InvalidateConsumerOwner(classlib::TComponent* owner);

// PushConsumer and PushContext on `provider` (the consumer popped again when PushContext
// raises); PopProviderSelection undoes it (the consumer pushed again when PopContext raises).
void PushProviderSelection(IOcDataProvider* provider, IOcDataConsumer* consumer,
                           IOcDataContext* context);
void PopProviderSelection(IOcDataProvider* provider);

class TOcDataConsumer : public TExtensibleInterfacedPersistent,
                        public IOcDataConsumerClientLink,
                        public IOcDataConsumerSource,
                        public IOcDataProviderListener,
                        public IOcDataConsumer {
    CLASSLIB_CLASS(TOcDataConsumer, TExtensibleInterfacedPersistent)
    // A consumer for `owner` with the attribute codes (each kept once, in order of first
    // addition). Free it with Free().
    static TOcDataConsumer* Create(classlib::TComponent* owner,
                                   const std::vector<int>& attributes = {});

    // Never counted: the owner frees the consumer.
    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        return TExtensibleInterfacedPersistent::QueryInterface(iid, obj);
    }
    int AddRef() override { return -1; }
    int Release() override { return -1; }
    bool GetInterface(const TGUID& iid, void** obj) override;
    void BeforeDestruction() override;

    // The provider link; setting it attaches, replaces or detaches the provider.
    TInterfacePtr<IOcDataProvider> ProviderInterface() override { return provider_; }
    virtual void SetProviderInterface(IOcDataProvider* value);
    TInterfacePtr<IOcDataContext> ContextInterface() const { return context_; }
    // Raises EOCLDataConsumer "The specified context is not part of the same provider".
    virtual void SetContextInterface(IOcDataContext* value);
    // The context by name (published as Context): see the messages of EOCLDataConsumer.
    TOcDataContextID Context() const;
    void SetContext(const TOcDataContextID& name);
    bool IsContextStored() const;

    // Brackets every read of the provider's items (needs a provider).
    void BeginAccess();
    void EndAccess();
    // Called by the owner after it was read from its form stream.
    virtual void Loaded();

    // IOcDataConsumer
    classlib::TComponent* OwnerComponent() override { return owner_; }
    bool HasAttribute(int code) override;
    const std::vector<int>& AttributeCodes() const { return attributeCodes_; }

    // IOcDataProviderListener
    void BeforeProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                              IInterface* source) override;
    void AfterProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                             IInterface* source) override;
    TInterfacePtr<IOcDataConsumer> ListenerConsumer() override
    {
        return static_cast<IOcDataConsumer*>(this);
    }

    // IOcDataConsumerClientLink
    void ServerItemNotice(IOcDataConsumerServer* server, IOcDataItem* item) override;
    void ServerLinked(IOcDataConsumerServer* server) override;
    void ServerUnlinked(IOcDataConsumerServer* server) override;
    classlib::TInterfaceList& LinkedServers() { return linkedServers_; }

    // Notices to the owner.
    virtual void NotifyChanging(TOcConsumerChangeReason reason);
    virtual void NotifyChanged(TOcConsumerChangeReason reason);
    virtual void ExtensionAdded(TOcDataConsumerAggregatedObject* extension);
    // Creates the extensions the provider lists (and the row view for attribute code 3).
    virtual void RefreshExtensions();
    // Every extension but `except` gets ViewNotice; then NotifyChanged(cnrView).
    void ViewNotice(TOcDataConsumerAggregatedObject* except);

    // The extensions, in order of addition.
    int ExtensionCount() const { return ImplementerCount(); }
    TOcDataConsumerAggregatedObject* Extensions(int index) const;

    bool ExtensionFixupPending = false;
    TOcDataContextID PendingContextName;

    TOcExtensionCreatedEvent AfterExtensionCreated;
    TOcBeforeExtensionCreatedEvent BeforeExtensionCreated;
    TOcConsumerChangeEvent OnConsumerChanging;
    TOcConsumerChangeEvent OnConsumerChanged;
    TOcProviderChangeEvent OnProviderDataChanging;
    TOcProviderChangeEvent OnProviderDataChanged;

    // Streams the provider by the name of its component (IOcDataProviderComponent); a name read
    // from a form is resolved in Loaded, when every component of the form exists.
    void DefineProperties(TFiler& filer) override;

    // The owner component is being read from a stream.
    bool OwnerLoading() const;

private:
    friend class TOcDataConsumerAggregatedObject;
    bool ExtensionFixupsNeeded() const;
    bool ContextFixupNeeded() const;
    bool IsLoading() const { return ExtensionFixupsNeeded() || ContextFixupNeeded(); }
    void RunExtensionFixups();
    // Step "switched" of a provider or context switch: keeps or destroys each extension.
    template <class Keep, class Switched>
    void SwitchExtensions(Keep&& keep, Switched&& switched);
    IOcDataProviderListener* Listener() { return this; }
    IInterface* Source() { return static_cast<IOcDataConsumer*>(this); }
    void ReadProvider(TReader& reader);
    void WriteProvider(TWriter& writer);

    classlib::TComponent* owner_ = nullptr;
    std::vector<int> attributeCodes_;
    TInterfacePtr<IOcDataProvider> provider_;
    TInterfacePtr<IOcDataContext> context_;
    classlib::TInterfaceList linkedServers_;
    std::string pendingProviderName_;
    classlib::TComponent* pendingProviderRoot_ = nullptr;
};

// The base of consumer extensions; its owner is always a TOcDataConsumer.
class TOcDataConsumerAggregatedObject : public TAggregatedPersistentEx {
    CLASSLIB_CLASS(TOcDataConsumerAggregatedObject, TAggregatedPersistentEx)
    virtual void BeforeProviderChange(IOcDataProvider*, TOcProviderChangeReason, IInterface*) {}
    virtual void AfterProviderChange(IOcDataProvider*, TOcProviderChangeReason, IInterface*) {}
    virtual void FixupAfterLoad() {}
    virtual bool KeepOnProviderSwitch() { return false; }
    virtual bool KeepOnContextSwitch() { return true; }
    virtual void ViewNotice(TOcDataConsumerAggregatedObject*) {}
    virtual void ItemChosen(IOcDataItem*) {}
    virtual void ServerItemNotice(IOcDataConsumerServer*, IOcDataItem*) {}
    virtual void ProviderSwitching() {}
    virtual void ProviderSwitched() {}
    virtual void ContextSwitching() {}
    virtual void ContextSwitched() {}

    TInterfacePtr<IOcDataConsumer> ConsumerIntf() const
    {
        return static_cast<IOcDataConsumer*>(ConsumerObject());
    }
    TOcDataConsumer* ConsumerObject() const { return static_cast<TOcDataConsumer*>(Owner()); }
    // A value was streamed in while the consumer had no provider.
    bool LoadedWithoutProvider = false;

    void ReportChange(TOcConsumerChangeReason reason);
    void NotifyViewChange();
    void RequestFixup();
    // The selected item's children when the consumer has a selection, else the provider's
    // items.
    TInterfacePtr<IOcDataItems> RootItemsFor();

protected:
    // Extensions belong to consumers only.
    void Init(TExtensibleInterfacedPersistent* owner) override;
};

// Runs `body` between the consumer's BeginAccess and EndAccess (the end also on errors).
template <class F>
auto WithAccess(TOcDataConsumer* consumer, F&& body)
{
    consumer->BeginAccess();
    try {
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            consumer->EndAccess();
        } else {
            auto result = body();
            consumer->EndAccess();
            return result;
        }
    } catch (...) {
        consumer->EndAccess();
        throw;
    }
}

// The one item a single-item control shows.
class TOcDataConsumerItemSelect : public TOcDataConsumerAggregatedObject,
                                  public IOcDataConsumerSelection {
    CLASSLIB_CLASS(TOcDataConsumerItemSelect, TOcDataConsumerAggregatedObject)
    CLASSLIB_IINTERFACE_OF(TOcDataConsumerAggregatedObject)
    bool GetInterface(const TGUID& iid, void** obj) override;

    TInterfacePtr<IOcDataItem> SelectedItem() override { return selected_; }
    void SelectItem(IOcDataItem* item) override;

    // The selected item's identifier (published as Item).
    TOcDataItemID Item() const;
    void SetItem(const TOcDataItemID& id);
    TOcDataItemID PendingItemID;

    void FixupAfterLoad() override;
    void BeforeProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                              IInterface* source) override;

private:
    TInterfacePtr<IOcDataItem> selected_;
};

} // namespace dataprovider
