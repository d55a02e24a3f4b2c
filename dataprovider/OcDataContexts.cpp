#include "dataprovider/OcDataContexts.h"

#include "core/SysUtils.h"

namespace dataprovider {

using namespace classlib;

// ---- TOcBaseDataContexts --------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataContexts) {}

TOcBaseDataContexts* TOcBaseDataContexts::Create(const TMetaClass& cls, IOcDataProvider* provider,
                                                 IOcDataContext* ancestor,
                                                 const TMetaClass* managerClass)
{
    return CreateOfClass<TOcBaseDataContexts>(cls, [&](TOcBaseDataContexts* list) {
        list->provider_ = provider;
        list->ancestor_ = ancestor;
        if (managerClass)
            TAggregatedPersistentEx::Create(*managerClass, list);
    });
}

bool TOcBaseDataContexts::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataContexts>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetInterface(iid, obj);
}

int TOcBaseDataContexts::IndexOfContext(IOcDataContext* context)
{
    for (int i = ContextCount(); i-- > 0;)
        if (ContextAt(i).Get() == context)
            return i;
    return -1;
}

TInterfacePtr<IOcDataContext> TOcBaseDataContexts::ContextByPath(const std::string& path)
{
    size_t end = 0;
    while (end < path.size() && path[end] != '\\' && path[end] != '/')
        ++end;
    const std::string segment = path.substr(0, end);
    const bool more = end < path.size();
    const std::string rest = more ? path.substr(end + 1) : std::string();
    if (segment == "..") {
        if (!ancestor_)
            return {};
        TInterfacePtr<IOcDataContexts> up = ancestor_->OwnerContexts();
        return up ? up->ContextByPath(rest) : nullptr;
    }
    if (segment.empty() && ancestor_) {
        TInterfacePtr<IOcDataContexts> root =
            provider_ ? provider_.Query<IOcDataContexts>() : nullptr;
        return root ? root->ContextByPath(rest) : nullptr;
    }
    for (int i = ContextCount(); i-- > 0;) {
        TInterfacePtr<IOcDataContext> context = ContextAt(i);
        if (!SameText(context->ContextName(), segment))
            continue;
        if (rest.empty())
            return context;
        TInterfacePtr<IOcDataContexts> below = context->OwnerContexts();
        return below ? below->ContextByPath(rest) : nullptr;
    }
    return {};
}

// ---- TOcDataContexts ------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcDataContexts) {}

void TOcDataContexts::InsertContext(IOcDataContext* context)
{
    TInterfacePtr<IOcDataContext> present = ContextByPath(context->ContextName());
    if (present.Get() == context)
        return;
    if (present)
        throw EOCLDataContexts(messages::DuplicateContextName);
    TInterfacePtr<IOcDataProvider> provider = OwningProvider();
    TInterfacePtr<IOcDataContext> ancestor = AncestorContext();
    if (provider)
        provider->NotifyChanging(pnrContextAdded, ancestor.Get());
    contexts_.Add(TInterfacePtr<IOcDataContext>(context));
    if (provider)
        provider->NotifyChanged(pnrContextAdded, context);
}

void TOcDataContexts::DeleteContextAt(int index)
{
    if (index < 0 || index >= ContextCount())
        return;
    TInterfacePtr<IOcDataContext> context = ContextAt(index);
    if (!context->CanDelete())
        return;
    TInterfacePtr<IOcDataContexts> owner = context->OwnerContexts();
    TInterfacePtr<IOcDataContext> ancestor = owner ? owner->AncestorContext() : nullptr;
    TInterfacePtr<IOcDataProvider> provider = OwningProvider();
    if (provider)
        provider->NotifyChanging(pnrContextDeleted, context.Get());
    context.Reset();
    contexts_.Delete(index);
    if (provider)
        provider->NotifyChanged(pnrContextDeleted, ancestor.Get());
}

void TOcDataContexts::RemoveContext(IOcDataContext* context)
{
    const int index = IndexOfContext(context);
    if (index >= 0)
        DeleteContextAt(index);
}

void TOcDataContexts::ClearContexts()
{
    contexts_.Clear();
}

TInterfacePtr<IOcDataContext> TOcDataContexts::ContextAt(int index)
{
    return contexts_.Items(index).Query<IOcDataContext>();
}

void TOcDataContexts::BeforeDestruction()
{
    TOcBaseDataContexts::BeforeDestruction();
    contexts_.Clear();
}

// ---- contexts -------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOcBaseDataContext) {}

TOcBaseDataContext* TOcBaseDataContext::Create(const TMetaClass& cls, TOcBaseDataContexts* contexts,
                                               const TOcDataContextID& name)
{
    if (!contexts)
        throw EOCLDataContexts(messages::ContextWithoutList);
    return CreateOfClass<TOcBaseDataContext>(
        cls, [&](TOcBaseDataContext* context) { context->Init(contexts, name); });
}

void TOcBaseDataContext::Init(TOcBaseDataContexts* contexts, const TOcDataContextID& name)
{
    contexts_ = contexts;
    Rename(name);
}

void TOcBaseDataContext::Rename(const TOcDataContextID& name)
{
    if (name == ContextName())
        return;
    if (contexts_) {
        TInterfacePtr<IOcDataContext> present = contexts_->ContextByPath(name);
        if (present && present->ImplementingObject() != this)
            throw EOCLDataContexts(messages::DuplicateContextName);
    }
    StoreName(name);
}

bool TOcBaseDataContext::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataContext>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetInterface(iid, obj);
}

TInterfacePtr<IOcDataContexts> TOcBaseDataContext::OwnerContexts()
{
    return static_cast<IOcDataContexts*>(contexts_);
}

CLASSLIB_PUBLISH(TOcDataContext) {}

CLASSLIB_PUBLISH(TOcManagedDataContext) {}

bool TOcManagedDataContext::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IOcDataContextRename>(this, iid, obj) ||
           TOcDataContext::GetInterface(iid, obj);
}

CLASSLIB_PUBLISH(TOcFixedDataContext) {}

} // namespace dataprovider
