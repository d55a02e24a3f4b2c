#pragma once
// Contexts: named variants of a provider's data, kept in context lists. A list may have an
// ancestor context; path lookups walk to the list of an ancestor ("..") and to the provider's
// root list (a leading separator). Names are unique in a list, ignoring case.
#include "dataprovider/OcExtensible.h"

#include "core/Lists.h"

namespace dataprovider {

class TOcBaseDataContexts : public TExtensibleInterfacedPersistent, public IOcDataContexts {
    CLASSLIB_CLASS(TOcBaseDataContexts, TExtensibleInterfacedPersistent)
    // The virtual constructor: a list of `cls` for `provider` under `ancestor` (none for a root
    // list); with `managerClass` (a TAggregatedPersistentEx descendant) the list carries an
    // implementer of it from the start.
    static TOcBaseDataContexts* Create(const TMetaClass& cls, IOcDataProvider* provider,
                                       IOcDataContext* ancestor,
                                       const TMetaClass* managerClass = nullptr);
    template <class T>
    static T* Create(IOcDataProvider* provider, IOcDataContext* ancestor,
                     const TMetaClass* managerClass = nullptr)
    {
        return static_cast<T*>(Create(T::StaticClass(), provider, ancestor, managerClass));
    }

    virtual void InsertContext(IOcDataContext* context) = 0;
    virtual void DeleteContextAt(int index) = 0;
    virtual void RemoveContext(IOcDataContext* context) = 0;
    virtual void ClearContexts() = 0;

    CLASSLIB_IINTERFACE_OF(TExtensibleInterfacedPersistent)
    bool GetInterface(const TGUID& iid, void** obj) override;

    // IOcDataContexts
    TInterfacePtr<IOcDataProvider> OwningProvider() override { return provider_; }
    TInterfacePtr<IOcDataContext> AncestorContext() override { return ancestor_; }
    int ContextCount() override = 0;
    TInterfacePtr<IOcDataContext> ContextAt(int index) override = 0;
    TInterfacePtr<IOcDataContext> ContextByPath(const std::string& path) override;
    int IndexOfContext(IOcDataContext* context) override;

private:
    TInterfacePtr<IOcDataProvider> provider_;
    TInterfacePtr<IOcDataContext> ancestor_;
};

// A context list that holds its contexts (a counted reference each).
class TOcDataContexts : public TOcBaseDataContexts {
    CLASSLIB_CLASS(TOcDataContexts, TOcBaseDataContexts)
    // Raises EOCLDataContexts "A context with that name already exists" when another context
    // of the list has the name; the same context again changes nothing.
    void InsertContext(IOcDataContext* context) override;
    // A context that cannot be deleted stays, without an error.
    void DeleteContextAt(int index) override;
    void RemoveContext(IOcDataContext* context) override;
    // Empties the list without notices and without asking CanDelete.
    void ClearContexts() override;
    int ContextCount() override { return contexts_.Count(); }
    TInterfacePtr<IOcDataContext> ContextAt(int index) override;
    void BeforeDestruction() override;

private:
    // Not counted itself: the list lives as long as this object.
    classlib::TInterfaceList contexts_;
};

class TOcBaseDataContext : public TExtensibleInterfacedPersistent, public IOcDataContext {
    CLASSLIB_CLASS(TOcBaseDataContext, TExtensibleInterfacedPersistent)
    // The virtual constructor: a context of `cls` named `name` for the list `contexts`
    // (EOCLDataContexts "Cannot create a context without a context list owner" without one).
    // It is not inserted; the provider does that with InsertContext.
    static TOcBaseDataContext* Create(const TMetaClass& cls, TOcBaseDataContexts* contexts,
                                      const TOcDataContextID& name);
    template <class T>
    static T* Create(TOcBaseDataContexts* contexts, const TOcDataContextID& name)
    {
        return static_cast<T*>(Create(T::StaticClass(), contexts, name));
    }

    // Raises EOCLDataContexts "A context with that name already exists" when another context
    // of the list has the name (ignoring case).
    virtual void Rename(const TOcDataContextID& name);
    virtual bool IsPermanent() { return !CanDelete(); }

    CLASSLIB_IINTERFACE_OF(TExtensibleInterfacedPersistent)
    bool GetInterface(const TGUID& iid, void** obj) override;

    // IOcDataContext
    TObject* ImplementingObject() override { return this; }
    TInterfacePtr<IOcDataContexts> OwnerContexts() override;
    TOcDataContextID ContextName() override = 0;
    bool CanDelete() override { return true; }

protected:
    virtual void StoreName(const TOcDataContextID& name) = 0;
    virtual void Init(TOcBaseDataContexts* contexts, const TOcDataContextID& name);

private:
    TOcBaseDataContexts* contexts_ = nullptr;
};

class TOcDataContext : public TOcBaseDataContext {
    CLASSLIB_CLASS(TOcDataContext, TOcBaseDataContext)
    TOcDataContextID ContextName() override { return name_; }

protected:
    void StoreName(const TOcDataContextID& name) override { name_ = name; }

private:
    TOcDataContextID name_;
};

// A context that can be renamed through IOcDataContextRename.
class TOcManagedDataContext : public TOcDataContext, public IOcDataContextRename {
    CLASSLIB_CLASS(TOcManagedDataContext, TOcDataContext)
    CLASSLIB_IINTERFACE_OF(TOcDataContext)
    void Rename(const TOcDataContextID& name) override { TOcDataContext::Rename(name); }
    bool GetInterface(const TGUID& iid, void** obj) override;
};

// A context that cannot be deleted.
class TOcFixedDataContext : public TOcDataContext {
    CLASSLIB_CLASS(TOcFixedDataContext, TOcDataContext)
    bool CanDelete() override { return false; }
};

} // namespace dataprovider
