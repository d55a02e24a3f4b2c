#pragma once
// The object model of the data provider framework. Every item, item list, context list,
// context and consumer is a TExtensibleInterfacedPersistent: a reference-counted persistent
// object whose set of interfaces grows at run time through implementers
// (TAggregatedPersistentEx): small persistent objects created on it that answer interfaces on
// its behalf, share its count and identity, and are streamed with it as the "Extensions"
// property. Also here: the framework's exception classes and messages, and the registration
// of its classes with the class registry.
//
// Creation: C++ has no virtual constructors, so the framework's classes are default
// constructible (the class registry creates them by name) and each family has a creation
// routine that takes the class and the arguments of the family's constructor, runs the
// class's virtual initialisation and then AfterConstruction. Objects are freed with Free().
#include "dataprovider/OcDataIntf.h"

#include "core/ComponentStream.h"
#include "core/TypeInfo.h"
#include "draw/OcTypes.h"

#include <atomic>
#include <vector>

namespace dataprovider {

using classlib::TFiler;
using classlib::TMetaClass;
using classlib::TPersistent;
using classlib::TReader;
using classlib::TWriter;

// ---- exceptions and messages ----------------------------------------------------------------

class EOCLDataProvider : public draw::EOCLException {
public:
    using EOCLException::EOCLException;
};
class EOCLDataConsumer : public EOCLDataProvider {
public:
    using EOCLDataProvider::EOCLDataProvider;
};
class EOCLDataItems : public EOCLDataProvider {
public:
    using EOCLDataProvider::EOCLDataProvider;
};
class EOCLDataContexts : public EOCLDataProvider {
public:
    using EOCLDataProvider::EOCLDataProvider;
};

namespace messages {
inline constexpr const char* ItemCannotBeDeleted = "Item cannot be deleted";
inline constexpr const char* DuplicateContextName = "A context with that name already exists";
inline constexpr const char* ContextWithoutList =
    "Cannot create a context without a context list owner";
inline constexpr const char* ProviderBeforeContext =
    "You must specify a provider before setting the context";
inline constexpr const char* NoContextNamed = "Provider has no context named \"%s\"";
inline constexpr const char* NoContextSupport = "Provider does not support contexts";
inline constexpr const char* ForeignContext =
    "The specified context is not part of the same provider";
inline constexpr const char* ProviderBeforeItem =
    "You must specify a provider before setting the item";
inline constexpr const char* ItemNotFound = "Item not found in the selected context";
inline constexpr const char* ViewListOutOfSync = "ViewList out of sync";
inline constexpr const char* ImplementationExists = "Implementation of that class already exists";
inline constexpr const char* ExpectedCollection = "Expected collection";
inline constexpr const char* MissingClassName = "Missing ClassName property";
inline constexpr const char* InvalidClassType = "Invalid class type";
inline constexpr const char* ListIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr const char* NoItemText = "(item does not support the IOcDataItemText interface)";
inline constexpr const char* UnknownOwner = "Unknown";
} // namespace messages

class TAggregatedPersistentEx;

// ---- TExtensibleInterfacedPersistent --------------------------------------------------------

class TExtensibleInterfacedPersistent : public TPersistent, public IInterface {
    CLASSLIB_CLASS(TExtensibleInterfacedPersistent, TPersistent)
    // The count starts at 1 so that references taken and released during construction cannot
    // destroy the object; AfterConstruction takes it back.
    TExtensibleInterfacedPersistent() = default;
    ~TExtensibleInterfacedPersistent() override;

    // Creates the standard implementers (CreateDefaultImplementers), then drops the
    // construction count.
    virtual void AfterConstruction();
    // Raises EInvalidPointer "Invalid pointer operation" while counted references remain;
    // otherwise destroys the implementers while the object is still whole.
    void BeforeDestruction() override;

    // IInterface: queries go through FindInterface; the count is interlocked and the object
    // frees itself when it drops to 0.
    bool QueryInterface(const TGUID& iid, void** obj) override;
    int AddRef() override;
    int Release() override;
    bool GetInterface(const TGUID& iid, void** obj) override;

    // The object's identity: the IInterface that every query for IInterface answers.
    IInterface* Identity() { return static_cast<IInterface*>(this); }
    int RefCount() const { return refCount_; }

    // Looks up an interface (with a reference added): first those of the object's class, then
    // the implementers from the last to the first, skipping hidden ones.
    virtual bool FindInterface(const TGUID& iid, void** obj);

    // Implementers, in order of addition.
    int ImplementerCount() const { return static_cast<int>(implementers_.size()); }
    TAggregatedPersistentEx* Implementers(int index) const
    {
        return implementers_.at(static_cast<size_t>(index));
    }
    // Raises EOCLException "Implementation of that class already exists" when an implementer
    // of the new one's class (or a class derived from it) is present.
    void AddImplementer(TAggregatedPersistentEx* implementer);
    // Destroys an implementer of this object; others are ignored.
    void RemoveImplementer(TAggregatedPersistentEx* implementer);
    // Takes an implementer out of the list without destroying it.
    void DetachImplementer(TAggregatedPersistentEx* implementer);
    // From the last entry: the first implementer of `cls` or a descendant; -1 when none.
    int IndexOfImplementerClass(const TMetaClass& cls) const;
    // The implementer of class T (or a descendant), or nullptr.
    template <class T>
    T* FindImplementer() const
    {
        const int index = IndexOfImplementerClass(T::StaticClass());
        return index < 0 ? nullptr : static_cast<T*>(implementers_[static_cast<size_t>(index)]);
    }
    void ClearImplementers();

    // Counts without ever destroying; brackets stream reading.
    void HoldReference() { ++refCount_; }
    void DropHeldReference() { --refCount_; }

    // True when the implementer's class is registered with the class registry.
    virtual bool CanStreamImplementer(TAggregatedPersistentEx* implementer);

    // The "Extensions" property, written when at least one implementer can be streamed.
    void DefineProperties(TFiler& filer) override;

protected:
    virtual void CreateDefaultImplementers() {}

private:
    void ReadExtensions(TReader& reader);
    void WriteExtensions(TWriter& writer);

    std::vector<TAggregatedPersistentEx*> implementers_; // an entry is empty while it is destroyed
    std::atomic<int> refCount_{1};
};

// The virtual constructor of a family: an instance of `cls` (which must descend from Base and
// be creatable, else EInvalidCast), default constructed by the class registry, then
// `init(object)` (the family constructor's work) and AfterConstruction. When either raises,
// the object is deleted again.
template <class Base, class Init>
Base* CreateOfClass(const TMetaClass& cls, Init&& init)
{
    if (!cls.InheritsFrom(Base::StaticClass()) || !cls.CanCreate())
        throw classlib::EInvalidCast(classlib::messages::InvalidCast);
    auto* object = static_cast<Base*>(cls.Create());
    try {
        init(object);
        object->AfterConstruction();
    } catch (...) {
        object->ClearImplementers();
        delete object;
        throw;
    }
    return object;
}

// ---- implementers ---------------------------------------------------------------------------

// An implementer: answers the interfaces of its own class; queries, references and identity
// are its controller's (the object it extends), held without a count.
class TAggregatedPersistent : public classlib::TAggregated<TPersistent> {
    CLASSLIB_CLASS(TAggregatedPersistent, TPersistent)
    // Only the interfaces the implementer's own class implements, with a reference added.
    virtual bool FindInterface(const TGUID& iid, void** obj);
};

class TAggregatedPersistentEx : public TAggregatedPersistent {
    CLASSLIB_CLASS(TAggregatedPersistentEx, TAggregatedPersistent)
    TExtensibleInterfacedPersistent* Owner() const { return owner_; }

    // An implementer that answers true is never asked by its owner's queries.
    virtual bool HiddenFromQueries() { return false; }

    // The virtual constructor: an implementer of class `cls` (a descendant of this class) on
    // `owner`, added to the owner's implementers. Raises EOCLException "Implementation of
    // that class already exists" when the owner has one.
    static TAggregatedPersistentEx* Create(const TMetaClass& cls,
                                           TExtensibleInterfacedPersistent* owner);
    template <class T>
    static T* Create(TExtensibleInterfacedPersistent* owner)
    {
        return static_cast<T*>(Create(T::StaticClass(), owner));
    }

    // Leaves the owner's implementer list.
    void BeforeDestruction() override;

protected:
    // The constructor's work on the owner; descendants extend it (and call it first).
    virtual void Init(TExtensibleInterfacedPersistent* owner);
    // Joins the owner's implementers.
    virtual void AfterConstruction();

private:
    TExtensibleInterfacedPersistent* owner_ = nullptr;
};

// Runs the framework module's start-up: registers its classes with the class registry (once;
// later calls only count). The shut-down counts back.
void RegisterDataProviderClasses();
void DataProviderShutDown();

// Registers the classes of the framework's painting part (Windows build; nothing natively).
void RegisterDataProviderPaintingClasses();

// Stream helpers shared by the "Extensions", "Items" and "SubItems" properties.
namespace streaming {
// The value tag of a collection, else EReadError "Expected collection".
void ReadCollectionTag(TReader& reader);
// A list-begin marker, the property "ClassName" (any case) and its class: registered (else
// EClassNotFound), creatable and descending from `base` (else EReadError "Invalid class
// type").
const TMetaClass& ReadClassEntry(TReader& reader, const TMetaClass& base);
// Properties into `instance` up to its list-end marker, which is consumed.
void ReadObjectProperties(TReader& reader, TPersistent* instance);
// List begin, "ClassName" with the class name, the object's properties, list end.
void WriteClassEntry(TWriter& writer, TPersistent* instance);
// Runs `body` with the writer's property path empty (restored afterwards).
template <class F>
void WithoutPropPath(TWriter& writer, F&& body)
{
    const std::string saved = writer.PropPath();
    writer.SetPropPath({});
    try {
        body();
    } catch (...) {
        writer.SetPropPath(saved);
        throw;
    }
    writer.SetPropPath(saved);
}
// Enters one reader nesting level for its lifetime.
class NestingScope {
public:
    explicit NestingScope(TReader& reader) : reader_(reader) { reader_.EnterNesting(); }
    ~NestingScope() { reader_.LeaveNesting(); }
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;

private:
    TReader& reader_;
};
} // namespace streaming

} // namespace dataprovider
