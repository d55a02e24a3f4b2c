#include "dataprovider/OcExtensible.h"

#include "core/SysUtils.h"

#include <algorithm>

namespace dataprovider {

using namespace classlib;

CLASSLIB_DEFINE_ENUM(TOcGlyphAlignment, "taLeftJustify", "taRightJustify", "taCenter")

// ---- TExtensibleInterfacedPersistent --------------------------------------------------------

CLASSLIB_PUBLISH(TExtensibleInterfacedPersistent) {}

TExtensibleInterfacedPersistent::~TExtensibleInterfacedPersistent()
{
    ClearImplementers();
}

void TExtensibleInterfacedPersistent::AfterConstruction()
{
    CreateDefaultImplementers();
    --refCount_;
}

void TExtensibleInterfacedPersistent::BeforeDestruction()
{
    if (refCount_ != 0)
        throw EInvalidPointer(classlib::messages::InvalidPointer);
    TPersistent::BeforeDestruction();
    ClearImplementers();
}

bool TExtensibleInterfacedPersistent::QueryInterface(const TGUID& iid, void** obj)
{
    return FindInterface(iid, obj);
}

int TExtensibleInterfacedPersistent::AddRef()
{
    return ++refCount_;
}

int TExtensibleInterfacedPersistent::Release()
{
    const int count = --refCount_;
    if (count == 0)
        Free();
    return count;
}

bool TExtensibleInterfacedPersistent::GetInterface(const TGUID& iid, void** obj)
{
    return GetInterfaceOf<IInterface>(this, iid, obj) || TPersistent::GetInterface(iid, obj);
}

bool TExtensibleInterfacedPersistent::FindInterface(const TGUID& iid, void** obj)
{
    if (GetInterface(iid, obj)) {
        AddRef();
        return true;
    }
    for (size_t i = implementers_.size(); i-- > 0;) {
        TAggregatedPersistentEx* implementer = implementers_[i];
        if (!implementer || implementer->HiddenFromQueries())
            continue;
        if (implementer->FindInterface(iid, obj))
            return true;
    }
    *obj = nullptr;
    return false;
}

void TExtensibleInterfacedPersistent::AddImplementer(TAggregatedPersistentEx* implementer)
{
    for (TAggregatedPersistentEx* present : implementers_)
        if (present && present->InheritsFrom(implementer->ClassType()))
            throw draw::EOCLException(messages::ImplementationExists);
    implementers_.push_back(implementer);
}

void TExtensibleInterfacedPersistent::RemoveImplementer(TAggregatedPersistentEx* implementer)
{
    const auto found = std::find(implementers_.begin(), implementers_.end(), implementer);
    if (!implementer || found == implementers_.end())
        return;
    *found = nullptr;
    implementer->Free();
    implementers_.erase(std::find(implementers_.begin(), implementers_.end(), nullptr));
}

void TExtensibleInterfacedPersistent::DetachImplementer(TAggregatedPersistentEx* implementer)
{
    const auto found = std::find(implementers_.begin(), implementers_.end(), implementer);
    if (implementer && found != implementers_.end())
        implementers_.erase(found);
}

int TExtensibleInterfacedPersistent::IndexOfImplementerClass(const TMetaClass& cls) const
{
    for (size_t i = implementers_.size(); i-- > 0;)
        if (implementers_[i] && implementers_[i]->InheritsFrom(cls))
            return static_cast<int>(i);
    return -1;
}

void TExtensibleInterfacedPersistent::ClearImplementers()
{
    while (!implementers_.empty()) {
        TAggregatedPersistentEx* implementer = implementers_.back();
        implementers_.back() = nullptr;
        if (implementer)
            implementer->Free();
        // The implementer left its entry in BeforeDestruction; an empty one is dropped here.
        if (!implementers_.empty() && implementers_.back() == nullptr)
            implementers_.pop_back();
    }
}

bool TExtensibleInterfacedPersistent::CanStreamImplementer(TAggregatedPersistentEx* implementer)
{
    return GetClass(implementer->ClassName()) == &implementer->ClassType();
}

void TExtensibleInterfacedPersistent::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    const bool hasData =
        std::any_of(implementers_.begin(), implementers_.end(),
                    [this](TAggregatedPersistentEx* i) { return i && CanStreamImplementer(i); });
    filer.DefineProperty(
        "Extensions", [this](TReader& reader) { ReadExtensions(reader); },
        [this](TWriter& writer) { WriteExtensions(writer); }, hasData);
}

void TExtensibleInterfacedPersistent::WriteExtensions(TWriter& writer)
{
    writer.WriteValue(vaCollection);
    streaming::WithoutPropPath(writer, [&] {
        // A copy: writing properties must not see the list change under it.
        const std::vector<TAggregatedPersistentEx*> implementers = implementers_;
        for (TAggregatedPersistentEx* implementer : implementers)
            if (implementer && CanStreamImplementer(implementer))
                streaming::WriteClassEntry(writer, implementer);
    });
    writer.WriteListEnd();
}

void TExtensibleInterfacedPersistent::ReadExtensions(TReader& reader)
{
    // Implementers created by this read are removed again when it fails, so that a broken
    // stream leaves the object with the implementers it had.
    std::vector<TAggregatedPersistentEx*> created;
    HoldReference();
    try {
        streaming::NestingScope nesting(reader);
        streaming::ReadCollectionTag(reader);
        while (!reader.EndOfList()) {
            const TMetaClass& cls =
                streaming::ReadClassEntry(reader, TAggregatedPersistentEx::StaticClass());
            const int index = IndexOfImplementerClass(cls);
            TAggregatedPersistentEx* implementer;
            if (index >= 0) {
                implementer = implementers_[static_cast<size_t>(index)];
            } else {
                try {
                    implementer = TAggregatedPersistentEx::Create(cls, this);
                } catch (const EInvalidCast&) {
                    // An implementer class for another kind of object (a consumer extension
                    // named on an item) does not fit this one.
                    throw EReadError(messages::InvalidClassType);
                }
                created.push_back(implementer);
            }
            streaming::ReadObjectProperties(reader, implementer);
        }
        reader.ReadListEnd();
    } catch (...) {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            RemoveImplementer(*it);
        DropHeldReference();
        throw;
    }
    DropHeldReference();
}

// ---- implementers ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAggregatedPersistent) {}

bool TAggregatedPersistent::FindInterface(const TGUID& iid, void** obj)
{
    if (!GetInterface(iid, obj))
        return false;
    AddRef();
    return true;
}

CLASSLIB_PUBLISH(TAggregatedPersistentEx) {}

TAggregatedPersistentEx* TAggregatedPersistentEx::Create(const TMetaClass& cls,
                                                         TExtensibleInterfacedPersistent* owner)
{
    if (!cls.InheritsFrom(StaticClass()) || !cls.CanCreate())
        throw EInvalidCast(classlib::messages::InvalidCast);
    auto* implementer = static_cast<TAggregatedPersistentEx*>(cls.Create());
    try {
        implementer->Init(owner);
        implementer->AfterConstruction();
    } catch (...) {
        delete implementer;
        throw;
    }
    return implementer;
}

void TAggregatedPersistentEx::Init(TExtensibleInterfacedPersistent* owner)
{
    owner_ = owner;
    SetController(owner ? owner->Identity() : nullptr);
}

void TAggregatedPersistentEx::AfterConstruction()
{
    if (owner_)
        owner_->AddImplementer(this);
}

void TAggregatedPersistentEx::BeforeDestruction()
{
    if (owner_)
        owner_->DetachImplementer(this);
    TAggregatedPersistent::BeforeDestruction();
}

// ---- streaming helpers ----------------------------------------------------------------------

namespace streaming {

void ReadCollectionTag(TReader& reader)
{
    if (reader.ReadValue() != vaCollection)
        throw EReadError(messages::ExpectedCollection);
}

const TMetaClass& ReadClassEntry(TReader& reader, const TMetaClass& base)
{
    reader.ReadListBegin();
    if (!SameText(reader.ReadStr(), "ClassName"))
        throw EReadError(messages::MissingClassName);
    const TMetaClass& cls = FindClass(reader.ReadString());
    if (!cls.InheritsFrom(base) || !cls.CanCreate())
        throw EReadError(messages::InvalidClassType);
    return cls;
}

void ReadObjectProperties(TReader& reader, TPersistent* instance)
{
    while (!reader.EndOfList())
        reader.ReadProperty(instance);
    reader.ReadListEnd();
}

void WriteClassEntry(TWriter& writer, TPersistent* instance)
{
    writer.WriteListBegin();
    writer.WritePropName("ClassName");
    writer.WriteString(instance->ClassName());
    writer.WriteProperties(instance);
    writer.WriteListEnd();
}

} // namespace streaming

} // namespace dataprovider
