#include "dataprovider/OcDataConsumer.h"

#include "dataprovider/OcDataViewList.h"

#include "core/SysUtils.h"

#include <algorithm>

namespace dataprovider {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TOcConsumerChangeReason, "cnrProvider", "cnrProviderData", "cnrView",
                     "cnrContext", "cnrSetting")

void PushProviderSelection(IOcDataProvider* provider, IOcDataConsumer* consumer,
                           IOcDataContext* context)
{
    provider->PushConsumer(consumer);
    try {
        provider->PushContext(context);
    } catch (...) {
        provider->PopConsumer();
        throw;
    }
}

void PopProviderSelection(IOcDataProvider* provider)
{
    TInterfacePtr<IOcDataConsumer> consumer = provider->CurrentConsumer();
    provider->PopConsumer();
    try {
        provider->PopContext();
    } catch (...) {
        provider->PushConsumer(consumer.Get());
        throw;
    }
}

// ---- TOcDataConsumer ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataConsumer)
{
    c.Property("Context", &TOcDataConsumer::Context, &TOcDataConsumer::SetContext)
        .Stored(&TOcDataConsumer::IsContextStored);
}

TOcDataConsumer* TOcDataConsumer::Create(TComponent* owner, const std::vector<int>& attributes)
{
    return CreateOfClass<TOcDataConsumer>(StaticClass(), [&](TOcDataConsumer* consumer) {
        consumer->owner_ = owner;
        for (int code : attributes)
            if (std::find(consumer->attributeCodes_.begin(), consumer->attributeCodes_.end(),
                          code) == consumer->attributeCodes_.end())
                consumer->attributeCodes_.push_back(code);
    });
}

bool TOcDataConsumer::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataConsumerClientLink, IOcDataConsumerSource, IOcDataProviderListener,
                          IOcDataConsumer>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetInterface(iid, obj);
}

void TOcDataConsumer::BeforeDestruction()
{
    OnConsumerChanged = nullptr;
    OnProviderDataChanging = nullptr;
    OnProviderDataChanged = nullptr;
    BeforeExtensionCreated = nullptr;
    AfterExtensionCreated = nullptr;
    SetProviderInterface(nullptr);
    linkedServers_.Clear();
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

TOcDataConsumerAggregatedObject* TOcDataConsumer::Extensions(int index) const
{
    return static_cast<TOcDataConsumerAggregatedObject*>(Implementers(index));
}

bool TOcDataConsumer::HasAttribute(int code)
{
    for (size_t i = attributeCodes_.size(); i-- > 0;)
        if (attributeCodes_[i] == code)
            return true;
    return false;
}

bool TOcDataConsumer::OwnerLoading() const
{
    return owner_ && owner_->ComponentState().Contains(csLoading);
}

bool TOcDataConsumer::ExtensionFixupsNeeded() const
{
    if (ExtensionFixupPending && !OwnerLoading())
        return true;
    for (int i = ExtensionCount(); i-- > 0;)
        if (Extensions(i)->LoadedWithoutProvider)
            return true;
    return false;
}

bool TOcDataConsumer::ContextFixupNeeded() const
{
    return !PendingContextName.empty() && !OwnerLoading();
}

void TOcDataConsumer::RunExtensionFixups()
{
    for (int i = 0; i < ExtensionCount(); ++i)
        Extensions(i)->FixupAfterLoad();
    ExtensionFixupPending = false;
}

template <class Keep, class Switched>
void TOcDataConsumer::SwitchExtensions(Keep&& keep, Switched&& switched)
{
    for (int i = 0; i < ExtensionCount();) {
        TOcDataConsumerAggregatedObject* extension = Extensions(i);
        if (extension->LoadedWithoutProvider || keep(extension)) {
            switched(extension);
            ++i;
        } else {
            RemoveImplementer(extension);
        }
    }
}

void TOcDataConsumer::SetProviderInterface(IOcDataProvider* value)
{
    if (value == provider_.Get())
        return;
    NotifyChanging(cnrProvider);
    if (provider_)
        provider_->RemoveListener(Listener());
    const auto fixupsPending = [this] {
        return ExtensionFixupPending || !PendingContextName.empty();
    };
    if (!fixupsPending())
        for (int i = 0; i < ExtensionCount(); ++i)
            Extensions(i)->ProviderSwitching();
    provider_ = value;
    if (value)
        value->AddListener(Listener());

    // A parked context name waits for a provider: detaching one must not raise (it runs in
    // the consumer's destruction and on pnrClosing).
    if (ContextFixupNeeded() && provider_) {
        const TOcDataContextID name = PendingContextName;
        SetContext(name);
        PendingContextName.clear();
    } else {
        TInterfacePtr<IOcDataContexts> contexts =
            provider_ ? provider_.Query<IOcDataContexts>() : nullptr;
        if (contexts && contexts->ContextCount() > 0)
            SetContextInterface(contexts->ContextAt(0).Get());
        else
            SetContextInterface(nullptr);
    }

    if (!fixupsPending())
        SwitchExtensions(
            [](TOcDataConsumerAggregatedObject* e) { return e->KeepOnProviderSwitch(); },
            [](TOcDataConsumerAggregatedObject* e) { e->ProviderSwitched(); });
    RefreshExtensions();
    if (!IsLoading())
        for (int i = 0; i < linkedServers_.Count(); ++i)
            if (auto server = linkedServers_.Items(i).Query<IOcDataConsumerServer>())
                server->ClientProviderChanged(this);
    if (ExtensionFixupsNeeded())
        RunExtensionFixups();
    ViewNotice(nullptr);
    NotifyChanged(cnrProvider);
}

void TOcDataConsumer::SetContextInterface(IOcDataContext* value)
{
    if (value == context_.Get())
        return;
    if (value) {
        TInterfacePtr<IOcDataContexts> owner = value->OwnerContexts();
        TInterfacePtr<IOcDataProvider> provider = owner ? owner->OwningProvider() : nullptr;
        if (provider.Get() != provider_.Get())
            throw EOCLDataConsumer(messages::ForeignContext);
    }
    NotifyChanging(cnrContext);
    const bool fixupsPending = ExtensionFixupPending || !PendingContextName.empty();
    if (!fixupsPending)
        for (int i = 0; i < ExtensionCount(); ++i)
            Extensions(i)->ContextSwitching();
    context_ = value;
    if (!fixupsPending)
        SwitchExtensions(
            [](TOcDataConsumerAggregatedObject* e) { return e->KeepOnContextSwitch(); },
            [](TOcDataConsumerAggregatedObject* e) { e->ContextSwitched(); });
    RefreshExtensions();
    NotifyChanged(cnrContext);
}

TOcDataContextID TOcDataConsumer::Context() const
{
    return context_ ? context_->ContextName() : TOcDataContextID();
}

void TOcDataConsumer::SetContext(const TOcDataContextID& name)
{
    if (Context() == name)
        return;
    if (provider_) {
        if (name.empty()) {
            SetContextInterface(nullptr);
            return;
        }
        TInterfacePtr<IOcDataContexts> contexts = provider_.Query<IOcDataContexts>();
        if (!contexts)
            throw EOCLDataConsumer(messages::NoContextSupport);
        TInterfacePtr<IOcDataContext> context = contexts->ContextByPath(name);
        if (!context)
            throw EOCLDataConsumer(Format(messages::NoContextNamed, {name}));
        SetContextInterface(context.Get());
        return;
    }
    if (!OwnerLoading())
        throw EOCLDataConsumer(messages::ProviderBeforeContext);
    PendingContextName = name;
}

bool TOcDataConsumer::IsContextStored() const
{
    if (!provider_)
        return false;
    TInterfacePtr<IOcDataContexts> contexts = provider_.Query<IOcDataContexts>();
    return contexts && contexts->ContextCount() > 0 &&
           contexts->ContextAt(0).Get() != context_.Get();
}

void TOcDataConsumer::BeginAccess()
{
    PushProviderSelection(provider_.Get(), this, context_.Get());
}

void TOcDataConsumer::EndAccess()
{
    PopProviderSelection(provider_.Get());
}

void TOcDataConsumer::Loaded()
{
    if (!pendingProviderName_.empty()) {
        const std::string name = pendingProviderName_;
        TComponent* root = pendingProviderRoot_;
        pendingProviderName_.clear();
        pendingProviderRoot_ = nullptr;
        TComponent* component = root && SameText(root->Name(), name) ? root
                                : root                               ? root->FindComponent(name)
                                                                     : nullptr;
        void* obj = nullptr;
        if (component && component->QueryInterface(IOcDataProvider::IID, &obj))
            SetProviderInterface(
                TInterfacePtr<IOcDataProvider>::Attach(static_cast<IOcDataProvider*>(obj)).Get());
    }
    if (!PendingContextName.empty()) {
        const TOcDataContextID name = PendingContextName;
        PendingContextName.clear();
        SetContext(name);
    }
    if (ExtensionFixupPending)
        RunExtensionFixups();
}

void TOcDataConsumer::DefineProperties(TFiler& filer)
{
    TExtensibleInterfacedPersistent::DefineProperties(filer);
    bool hasData = false;
    if (provider_)
        if (auto component = provider_.Query<IOcDataProviderComponent>())
            hasData =
                component->ProviderComponent() && !component->ProviderComponent()->Name().empty();
    filer.DefineProperty(
        "Provider", [this](TReader& reader) { ReadProvider(reader); },
        [this](TWriter& writer) { WriteProvider(writer); }, hasData);
}

void TOcDataConsumer::WriteProvider(TWriter& writer)
{
    writer.WriteIdent(provider_.Query<IOcDataProviderComponent>()->ProviderComponent()->Name());
}

void TOcDataConsumer::ReadProvider(TReader& reader)
{
    if (reader.NextValue() == vaNil) {
        reader.ReadValue();
        return;
    }
    pendingProviderName_ = reader.ReadIdent();
    pendingProviderRoot_ = reader.Root();
}

void TOcDataConsumer::BeforeProviderChange(IOcDataProvider* provider,
                                           TOcProviderChangeReason reason, IInterface* source)
{
    if (OnProviderDataChanging.Assigned())
        OnProviderDataChanging(provider, reason, source);
    for (int i = 0; i < ExtensionCount(); ++i)
        Extensions(i)->BeforeProviderChange(provider, reason, source);
    if (reason == pnrClosing)
        SetProviderInterface(nullptr);
}

void TOcDataConsumer::AfterProviderChange(IOcDataProvider* provider, TOcProviderChangeReason reason,
                                          IInterface* source)
{
    if (OnProviderDataChanged.Assigned())
        OnProviderDataChanged(provider, reason, source);
    for (int i = 0; i < ExtensionCount(); ++i)
        Extensions(i)->AfterProviderChange(provider, reason, source);
    if (reason == pnrRefresh)
        ViewNotice(nullptr);
    else
        NotifyChanged(cnrProviderData);
}

void TOcDataConsumer::ServerItemNotice(IOcDataConsumerServer* server, IOcDataItem* item)
{
    for (int i = 0; i < ExtensionCount(); ++i)
        Extensions(i)->ServerItemNotice(server, item);
}

void TOcDataConsumer::ServerLinked(IOcDataConsumerServer* server)
{
    linkedServers_.Add(TInterfacePtr<IOcDataConsumerServer>(server));
}

void TOcDataConsumer::ServerUnlinked(IOcDataConsumerServer* server)
{
    linkedServers_.Remove(server);
}

void TOcDataConsumer::NotifyChanging(TOcConsumerChangeReason reason)
{
    if (OnConsumerChanging.Assigned())
        OnConsumerChanging(this, reason);
}

void TOcDataConsumer::NotifyChanged(TOcConsumerChangeReason reason)
{
    InvalidateConsumerOwner(owner_);
    if (OnConsumerChanged.Assigned())
        OnConsumerChanged(this, reason);
}

void TOcDataConsumer::ExtensionAdded(TOcDataConsumerAggregatedObject* extension)
{
    if (AfterExtensionCreated.Assigned())
        AfterExtensionCreated(this, extension);
    if (auto* view = dynamic_cast<TOcCustomDataConsumerViewList*>(extension))
        view->Rebuild();
}

void TOcDataConsumer::RefreshExtensions()
{
    if (!provider_) {
        ClearImplementers();
        return;
    }
    std::vector<const TMetaClass*> classes;
    PushProviderSelection(provider_.Get(), this, context_.Get());
    try {
        classes = provider_->ExtensionClasses();
    } catch (...) {
        PopProviderSelection(provider_.Get());
        throw;
    }
    PopProviderSelection(provider_.Get());

    const TMetaClass& extensionBase = TOcDataConsumerAggregatedObject::StaticClass();
    for (const TMetaClass* listed : classes) {
        if (!listed || !listed->InheritsFrom(extensionBase) ||
            IndexOfImplementerClass(*listed) >= 0)
            continue;
        const TMetaClass* cls = listed;
        if (BeforeExtensionCreated.Assigned())
            BeforeExtensionCreated(this, cls);
        if (!cls || !cls->InheritsFrom(extensionBase))
            continue;
        auto* extension = static_cast<TOcDataConsumerAggregatedObject*>(
            TAggregatedPersistentEx::Create(*cls, this));
        if (AfterExtensionCreated.Assigned())
            AfterExtensionCreated(this, extension);
    }
    if (HasAttribute(3) && IndexOfImplementerClass(TOcDataConsumerViewList::StaticClass()) < 0) {
        const TMetaClass* cls = &TOcDataConsumerViewList::StaticClass();
        if (BeforeExtensionCreated.Assigned())
            BeforeExtensionCreated(this, cls);
        if (cls && cls->InheritsFrom(extensionBase))
            ExtensionAdded(static_cast<TOcDataConsumerAggregatedObject*>(
                TAggregatedPersistentEx::Create(*cls, this)));
    }
}

void TOcDataConsumer::ViewNotice(TOcDataConsumerAggregatedObject* except)
{
    try {
        for (int i = 0; i < ExtensionCount(); ++i)
            if (Extensions(i) != except)
                Extensions(i)->ViewNotice(except);
    } catch (...) {
        NotifyChanged(cnrView);
        throw;
    }
    NotifyChanged(cnrView);
}

// ---- TOcDataConsumerAggregatedObject --------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataConsumerAggregatedObject) {}

void TOcDataConsumerAggregatedObject::Init(TExtensibleInterfacedPersistent* owner)
{
    if (!dynamic_cast<TOcDataConsumer*>(owner))
        throw EInvalidCast(classlib::messages::InvalidCast);
    TAggregatedPersistentEx::Init(owner);
}

void TOcDataConsumerAggregatedObject::ReportChange(TOcConsumerChangeReason reason)
{
    LoadedWithoutProvider = !ConsumerObject()->ProviderInterface();
    ConsumerObject()->NotifyChanged(reason);
}

void TOcDataConsumerAggregatedObject::NotifyViewChange()
{
    ConsumerObject()->ViewNotice(this);
}

void TOcDataConsumerAggregatedObject::RequestFixup()
{
    ConsumerObject()->ExtensionFixupPending = true;
    LoadedWithoutProvider = true;
}

TInterfacePtr<IOcDataItems> TOcDataConsumerAggregatedObject::RootItemsFor()
{
    TOcDataConsumer* consumer = ConsumerObject();
    void* obj = nullptr;
    if (consumer->QueryInterface(IOcDataConsumerSelection::IID, &obj)) {
        auto selection = TInterfacePtr<IOcDataConsumerSelection>::Attach(
            static_cast<IOcDataConsumerSelection*>(obj));
        if (TInterfacePtr<IOcDataItem> selected = selection->SelectedItem())
            return selected.Query<IOcDataItems>();
    }
    TInterfacePtr<IOcDataProvider> provider = consumer->ProviderInterface();
    return provider ? provider.Query<IOcDataItems>() : nullptr;
}

// ---- TOcDataConsumerItemSelect --------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataConsumerItemSelect)
{
    c.Property("Item", &TOcDataConsumerItemSelect::Item, &TOcDataConsumerItemSelect::SetItem);
}

bool TOcDataConsumerItemSelect::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataConsumerSelection>(this, iid, obj) ||
           TOcDataConsumerAggregatedObject::GetInterface(iid, obj);
}

void TOcDataConsumerItemSelect::SelectItem(IOcDataItem* item)
{
    if (item == selected_.Get())
        return;
    selected_ = item;
    NotifyViewChange();
}

TOcDataItemID TOcDataConsumerItemSelect::Item() const
{
    return selected_ ? selected_->ID() : TOcDataItemID();
}

void TOcDataConsumerItemSelect::SetItem(const TOcDataItemID& id)
{
    if (id == Item())
        return;
    if (id.empty()) {
        SelectItem(nullptr);
        return;
    }
    TOcDataConsumer* consumer = ConsumerObject();
    TInterfacePtr<IOcDataProvider> provider = consumer->ProviderInterface();
    if (!provider) {
        if (!consumer->OwnerLoading())
            throw EOCLDataConsumer(messages::ProviderBeforeItem);
        PendingItemID = id;
        RequestFixup();
        return;
    }
    TInterfacePtr<IOcDataItem> found = WithAccess(consumer, [&] {
        TInterfacePtr<IOcDataItemLookup> lookup = provider.Query<IOcDataItemLookup>();
        return lookup ? lookup->FindItem(id, true) : TInterfacePtr<IOcDataItem>();
    });
    if (!found)
        throw EOCLDataConsumer(messages::ItemNotFound);
    SelectItem(found.Get());
}

void TOcDataConsumerItemSelect::FixupAfterLoad()
{
    if (PendingItemID.empty())
        return;
    const TOcDataItemID id = PendingItemID;
    PendingItemID.clear();
    SetItem(id);
}

void TOcDataConsumerItemSelect::BeforeProviderChange(IOcDataProvider*,
                                                     TOcProviderChangeReason reason,
                                                     IInterface* source)
{
    if (reason != pnrItemDeleted || !source || !selected_)
        return;
    WithAccess(ConsumerObject(), [&] {
        void* obj = nullptr;
        if (!QueryByID(source, IOcDataItem::IID, &obj))
            return;
        auto deleted = TInterfacePtr<IOcDataItem>::Attach(static_cast<IOcDataItem*>(obj));
        if (deleted->ImplementingObject() == selected_->ImplementingObject() ||
            deleted->IsAncestorOf(selected_.Get(), false))
            selected_.Reset();
    });
}

} // namespace dataprovider
