#pragma once
// The root of the object model: TObject (class identity for reflection and streaming),
// interfaces identified by GUID, and TPersistent (assignment, name paths, defined properties).
//
// Every class that is published to the reflection and the component streams starts its body
// with CLASSLIB_CLASS(Self, Parent) and defines its class record in its source file with
// CLASSLIB_PUBLISH(Self) { ...properties... } (see TypeInfo.h). A class that does neither
// reports the class record of its nearest published ancestor.
#include "core/Exceptions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace classlib {

class TMetaClass;
class TFiler;
struct TTypeInfo;

// Declares the type information of enumeration E (put it beside E, in E's namespace); the
// definition is CLASSLIB_DEFINE_ENUM in TypeInfo.h.
#define CLASSLIB_ENUM(E) const ::classlib::TTypeInfo* TypeInfoFor(E*)

// ---- Interfaces -----------------------------------------------------------------------------

struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    uint8_t D4[8] = {};

    // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; an ill-formed text gives the null GUID at
    // compile time errors are reported by StringToGUID.
    static constexpr TGUID FromText(const char (&text)[39])
    {
        auto hex = [&](int from, int digits) {
            uint32_t v = 0;
            for (int i = 0; i < digits; ++i) {
                const char c = text[from + i];
                v = v * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
            }
            return v;
        };
        TGUID g;
        g.D1 = hex(1, 8);
        g.D2 = static_cast<uint16_t>(hex(10, 4));
        g.D3 = static_cast<uint16_t>(hex(15, 4));
        g.D4[0] = static_cast<uint8_t>(hex(20, 2));
        g.D4[1] = static_cast<uint8_t>(hex(22, 2));
        for (int i = 0; i < 6; ++i)
            g.D4[2 + i] = static_cast<uint8_t>(hex(25 + 2 * i, 2));
        return g;
    }
    bool IsNull() const { return *this == TGUID(); }
    friend bool operator==(const TGUID& a, const TGUID& b)
    {
        if (a.D1 != b.D1 || a.D2 != b.D2 || a.D3 != b.D3)
            return false;
        for (int i = 0; i < 8; ++i)
            if (a.D4[i] != b.D4[i])
                return false;
        return true;
    }
};

// Upper-case brace form; StringToGUID raises EConvertError for an ill-formed text.
std::string GUIDToString(const TGUID& guid);
TGUID StringToGUID(std::string_view text);
// A new random identifier (version 4, RFC 4122 variant), as the platform's GUID generator.
TGUID CreateGUID();

// The base of every interface: query by GUID and reference counting. An interface type
// declares its identity as `static constexpr TGUID IID`.
class IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{00000000-0000-0000-C000-000000000046}");
    // Returns true and stores an added reference in `obj` when the interface is supported.
    virtual bool QueryInterface(const TGUID& iid, void** obj) = 0;
    virtual int AddRef() = 0;
    virtual int Release() = 0;

protected:
    ~IInterface() = default;
};

// A counted reference to an interface (adds a reference on copy, releases on reset).
template <class I>
class TInterfacePtr {
public:
    TInterfacePtr() = default;
    TInterfacePtr(std::nullptr_t) {}
    TInterfacePtr(I* p) : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    TInterfacePtr(const TInterfacePtr& o) : TInterfacePtr(o.p_) {}
    TInterfacePtr(TInterfacePtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    // From a reference to a derived interface (IShape -> IInterface).
    template <class J,
              class = std::enable_if_t<std::is_convertible_v<J*, I*> && !std::is_same_v<J, I>>>
    TInterfacePtr(const TInterfacePtr<J>& o) : TInterfacePtr(static_cast<I*>(o.Get()))
    {
    }
    ~TInterfacePtr() { Reset(); }
    TInterfacePtr& operator=(TInterfacePtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }

    // Takes over a reference the caller already holds (e.g. from QueryInterface).
    static TInterfacePtr Attach(I* p)
    {
        TInterfacePtr r;
        r.p_ = p;
        return r;
    }
    void Reset()
    {
        if (p_) {
            I* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    I* Get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const TInterfacePtr& a, const TInterfacePtr& b) { return a.p_ == b.p_; }

    // The interface J of the object behind this reference, or empty.
    template <class J>
    TInterfacePtr<J> Query() const
    {
        void* obj = nullptr;
        if (p_ && p_->QueryInterface(J::IID, &obj))
            return TInterfacePtr<J>::Attach(static_cast<J*>(obj));
        return {};
    }

private:
    I* p_ = nullptr;
};

// The interface `iid` of the object behind `instance`, with a reference added; false (and
// `*obj` cleared) when `instance` is empty or does not support it. For identifiers known only
// at run time; TInterfacePtr::Query covers the typed case.
inline bool QueryByID(IInterface* instance, const TGUID& iid, void** obj)
{
    *obj = nullptr;
    return instance && instance->QueryInterface(iid, obj);
}

// The object identity behind an interface (its IInterface), used to compare two interface
// references for "same object"; empty for an empty reference.
inline TInterfacePtr<IInterface> InterfaceIdentity(IInterface* instance)
{
    void* obj = nullptr;
    return QueryByID(instance, IInterface::IID, &obj)
               ? TInterfacePtr<IInterface>::Attach(static_cast<IInterface*>(obj))
               : TInterfacePtr<IInterface>();
}
inline bool SameInterfaceObject(IInterface* a, IInterface* b)
{
    return InterfaceIdentity(a) == InterfaceIdentity(b);
}

// The `as` cast of interfaces: the interface I of the object behind `instance`; an empty
// reference stays empty, an object without I raises EIntfCastError "Interface not supported".
template <class I, class J>
TInterfacePtr<I> InterfaceCast(const TInterfacePtr<J>& instance)
{
    if (!instance)
        return {};
    TInterfacePtr<I> result = instance.template Query<I>();
    if (!result)
        throw EIntfCastError(messages::IntfCastError);
    return result;
}

// A class that implements interfaces besides one it inherits sees one IInterface per interface
// base; C++ needs the three operations restated in that class so that every one of them is
// answered by the implementation of `Base`. Put it in the class body (public section).
#define CLASSLIB_IINTERFACE_OF(Base)                                       \
    bool QueryInterface(const ::classlib::TGUID& iid, void** obj) override \
    {                                                                      \
        return Base::QueryInterface(iid, obj);                             \
    }                                                                      \
    int AddRef() override                                                  \
    {                                                                      \
        return Base::AddRef();                                             \
    }                                                                      \
    int Release() override                                                 \
    {                                                                      \
        return Base::Release();                                            \
    }

// Aggregation: the interface side of an object that implements interfaces on behalf of another
// one, its controller. Queries, references and identity are the controller's: an interface
// obtained through the aggregated object keeps the controller alive and casts back to the
// controller's interfaces, and the aggregated object itself is never counted (the controller
// owns it). The controller is held without a reference.
template <class Base>
class TAggregated : public Base, public IInterface {
public:
    using Base::Base;

    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        return QueryByID(controller_, iid, obj);
    }
    int AddRef() override { return controller_ ? controller_->AddRef() : -1; }
    int Release() override { return controller_ ? controller_->Release() : -1; }

    // The controller as a counted reference.
    TInterfacePtr<IInterface> Controller() const { return controller_; }

protected:
    IInterface* ControllerIntf() const { return controller_; }
    void SetController(IInterface* controller) { controller_ = controller; }

private:
    IInterface* controller_ = nullptr;
};

// ---- TObject --------------------------------------------------------------------------------

#define CLASSLIB_CLASS(Self, Parent)                         \
public:                                                      \
    using inherited = Parent;                                \
    static const ::classlib::TMetaClass& StaticClass();      \
    const ::classlib::TMetaClass& ClassType() const override \
    {                                                        \
        return Self::StaticClass();                          \
    }

class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TMetaClass& StaticClass();
    virtual const TMetaClass& ClassType() const;
    std::string ClassName() const;
    bool InheritsFrom(const TMetaClass& cls) const;

    // Called by Free before the destructor chain starts, while the object is still whole.
    virtual void BeforeDestruction() {}
    // BeforeDestruction, then delete.
    void Free();

    // Looks up an interface the object implements (no reference added). Classes that
    // implement interfaces override it and chain to their parent.
    virtual bool GetInterface(const TGUID& iid, void** obj);
};

// Frees the object and clears the pointer first, so that notifications during the
// destruction see it cleared.
template <class T>
void FreeAndNil(T*& object)
{
    T* p = object;
    object = nullptr;
    if (p)
        p->Free();
}

// Runs `body` between target.BeginUpdate() and target.EndUpdate(), also when it raises.
template <class T, class F>
void UpdateBracket(T& target, F&& body)
{
    target.BeginUpdate();
    try {
        body();
    } catch (...) {
        target.EndUpdate();
        throw;
    }
    target.EndUpdate();
}

// Answers `GetInterface` for the listed interfaces of `self`.
template <class... Is, class C>
bool GetInterfaceOf(C* self, const TGUID& iid, void** obj)
{
    return ((iid == Is::IID ? (*obj = static_cast<Is*>(self), true) : false) || ...);
}

// True when `object` implements interface I.
template <class I>
bool Supports(TObject* object)
{
    void* p = nullptr;
    return object && object->GetInterface(I::IID, &p);
}

// A reference-counted object: freed when its last interface reference is released.
class TInterfacedObject : public TObject, public IInterface {
    CLASSLIB_CLASS(TInterfacedObject, TObject)
    bool QueryInterface(const TGUID& iid, void** obj) override;
    int AddRef() override;
    int Release() override;
    int RefCount() const { return refCount_; }
    bool GetInterface(const TGUID& iid, void** obj) override;

private:
    int refCount_ = 0;
};

// The plain aggregated object: a TObject whose interfaces belong to its controller.
class TAggregatedObject : public TAggregated<TObject> {
    CLASSLIB_CLASS(TAggregatedObject, TObject)
    explicit TAggregatedObject(IInterface* controller) { SetController(controller); }
};

// ---- Sets -----------------------------------------------------------------------------------

// A set of the values of enumeration E (ordinals 0..31), stored as bits: element e is bit e.
template <class E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> elements)
    {
        for (E e : elements)
            bits_ |= Bit(e);
    }
    static constexpr TSet FromBits(uint32_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr TSet& Include(E e)
    {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e)
    {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }

    constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
    constexpr TSet& operator+=(TSet o)
    {
        bits_ |= o.bits_;
        return *this;
    }
    constexpr TSet& operator-=(TSet o)
    {
        bits_ &= ~o.bits_;
        return *this;
    }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint32_t Bit(E e) { return uint32_t{1} << static_cast<unsigned>(e); }
    uint32_t bits_ = 0;
};

// ---- TPersistent ----------------------------------------------------------------------------

class TPersistent : public TObject {
    CLASSLIB_CLASS(TPersistent, TObject)
    // Copies `source` into this object. The default asks the source (AssignTo) and raises
    // EAssignError "Cannot assign a X to a Y" when neither side knows the other.
    virtual void Assign(TPersistent* source);
    // Dotted path that names this object in its owner tree ("Form1.Button1.Font").
    virtual std::string GetNamePath() const;
    // The object that owns this one for name paths and the streams (nullptr for none).
    virtual TPersistent* GetOwner() const { return nullptr; }
    // Declares properties the streams store beside the published ones (TFiler::DefineProperty).
    virtual void DefineProperties(TFiler& filer);

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};

} // namespace classlib
