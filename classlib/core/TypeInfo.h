#pragma once
// Reflection: type information for ordinals, enumerations, sets, floats, strings, classes and
// methods; published properties per class (name, type, getter, setter, default, stored,
// index); get and set by name; the class registry (register, find, create by name).
//
// Publishing a class, in its source file:
//
//   CLASSLIB_PUBLISH(TButton)
//   {
//       c.Property("Caption", &TButton::GetCaption, &TButton::SetCaption);
//       c.Property("Default", &TButton::GetDefault, &TButton::SetDefault).Default(false);
//       c.Property("OnClick", &TButton::OnClick);           // a field works as getter and setter
//       c.Method("ButtonClick", &TButton::ButtonClick);     // published method (event target)
//   }
//
// Enumerations get their type information with CLASSLIB_ENUM(E) beside their declaration (in
// the enumeration's namespace) and CLASSLIB_DEFINE_ENUM(E, "name0", "name1", ...) in one
// source file; ordinals are 0..n-1.
#include "core/Events.h"
#include "core/Object.h"
#include "core/SysUtils.h"

#include <cstddef>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

namespace classlib {

class TComponent;
class TCollection;

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkChar,
    tkEnumeration,
    tkFloat,
    tkString,
    tkSet,
    tkClass,
    tkMethod,
    tkWChar,
    tkLString,
    tkWString,
    tkVariant,
    tkArray,
    tkRecord,
    tkInterface,
    tkInt64,
    tkDynArray
};
enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
enum TMethodKind { mkProcedure, mkFunction };

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    std::string Name;
    // ordinal kinds (integer, char, enumeration, set elements)
    TOrdType OrdType = otSLong;
    int64_t MinValue = 0;
    int64_t MaxValue = 0;
    // enumerations: the names of MinValue..MaxValue of the base type; BaseType is this record
    // itself unless the type is a subrange of another enumeration
    const TTypeInfo* BaseType = nullptr;
    std::vector<std::string> NameList;
    std::string UnitName;
    // sets: the element type
    const TTypeInfo* CompType = nullptr;
    // floats
    TFloatType FloatType = ftDouble;
    // classes
    const TMetaClass* ClassType = nullptr;
    // methods: kind and signature text of the handler ("Sender: TObject")
    TMethodKind MethodKind = mkProcedure;
    std::string ParamText;
    // short strings: the maximum length
    uint8_t MaxLength = 255;
    // interfaces: the parent interface, the flags (bit 0 has a GUID, bit 1 dispinterface, bit 2
    // dispatch), the GUID and the property count
    const TTypeInfo* IntfParent = nullptr;
    uint8_t IntfFlags = 0;
    TGUID Guid{};
    int IntfPropertyCount = 0;
    // dynamic arrays: the element size, the element type that needs clean-up (none for plain
    // elements), the variant type code of the elements and the element type
    int32_t ElementSize = 0;
    const TTypeInfo* ElementCleanupType = nullptr;
    int32_t VarType = -1;
    const TTypeInfo* ElementType = nullptr;

    bool IsOrdinal() const
    {
        return Kind == tkInteger || Kind == tkChar || Kind == tkEnumeration || Kind == tkWChar ||
               Kind == tkSet || Kind == tkInt64;
    }
};

// Builds an enumeration record with ordinals 0..names-1 (1-byte storage up to 256 names).
TTypeInfo MakeEnumInfo(std::string name, std::initializer_list<const char*> names,
                       std::string unitName = {});
// Builds a set record over the element type `element`.
TTypeInfo MakeSetInfo(std::string name, const TTypeInfo* element);

// Enumeration names: GetEnumName gives "" outside the range; GetEnumValue ignores case and
// gives -1 for an unknown name.
std::string GetEnumName(const TTypeInfo* info, int64_t value);
int GetEnumValue(const TTypeInfo* info, std::string_view name);

// Set text: "[a,b]" (bracketed when `brackets`), elements in ordinal order, names for
// enumeration elements, numbers otherwise. StringToSet accepts the same with or without
// brackets and blanks; an unknown name raises EPropertyError "Invalid property element: %s".
std::string SetToString(const TTypeInfo* setInfo, uint32_t value, bool brackets = false);
uint32_t StringToSet(const TTypeInfo* setInfo, std::string_view text);

// ---- type information of C++ types ----------------------------------------------------------

const TTypeInfo* TypeInfoFor(int*);
const TTypeInfo* TypeInfoFor(unsigned*);
const TTypeInfo* TypeInfoFor(short*);
const TTypeInfo* TypeInfoFor(unsigned short*);
const TTypeInfo* TypeInfoFor(signed char*);
const TTypeInfo* TypeInfoFor(unsigned char*);
const TTypeInfo* TypeInfoFor(long long*);
const TTypeInfo* TypeInfoFor(bool*);
const TTypeInfo* TypeInfoFor(char*);
const TTypeInfo* TypeInfoFor(wchar_t*);
const TTypeInfo* TypeInfoFor(float*);
const TTypeInfo* TypeInfoFor(double*);
const TTypeInfo* TypeInfoFor(std::string*);
const TTypeInfo* TypeInfoFor(WideString*);
const TTypeInfo* TypeInfoFor(long*);

template <class E>
const TTypeInfo* TypeInfoFor(TSet<E>*);
template <class Sig>
const TTypeInfo* TypeInfoFor(TEvent<Sig>*);
template <class T, std::enable_if_t<std::is_base_of_v<TObject, T>, int> = 0>
const TTypeInfo* TypeInfoFor(T**);
const TTypeInfo* ClassTypeInfo(const TMetaClass& cls);

template <class T>
const TTypeInfo* TypeInfoOf()
{
    return TypeInfoFor(static_cast<std::remove_cv_t<T>*>(nullptr));
}

template <class E>
const TTypeInfo* TypeInfoFor(TSet<E>*)
{
    static const TTypeInfo info = MakeSetInfo("set of " + TypeInfoOf<E>()->Name, TypeInfoOf<E>());
    return &info;
}

namespace detail {
template <class Sig>
struct ReturnsValue;
template <class R, class... A>
struct ReturnsValue<R(A...)> : std::bool_constant<!std::is_void_v<R>> {
};
} // namespace detail

template <class Sig>
const TTypeInfo* TypeInfoFor(TEvent<Sig>*)
{
    static const TTypeInfo info = [] {
        TTypeInfo t;
        t.Kind = tkMethod;
        t.Name = "TEvent";
        t.MethodKind = detail::ReturnsValue<Sig>::value ? mkFunction : mkProcedure;
        return t;
    }();
    return &info;
}
inline const TTypeInfo* TypeInfoFor(TNotifyEvent*)
{
    static const TTypeInfo info = [] {
        TTypeInfo t;
        t.Kind = tkMethod;
        t.Name = "TNotifyEvent";
        t.ParamText = "Sender: TObject";
        return t;
    }();
    return &info;
}

template <class T, std::enable_if_t<std::is_base_of_v<TObject, T>, int>>
const TTypeInfo* TypeInfoFor(T**)
{
    return ClassTypeInfo(T::StaticClass());
}

#define CLASSLIB_DEFINE_ENUM(E, ...)                                                           \
    const ::classlib::TTypeInfo* TypeInfoFor(E*)                                               \
    {                                                                                          \
        static const ::classlib::TTypeInfo info = ::classlib::MakeEnumInfo(#E, {__VA_ARGS__}); \
        return &info;                                                                          \
    }

// An integer type of its own name (kind tkInteger), e.g. a colour type declared as
// `enum TColor : int32_t {...}` with CLASSLIB_ENUM(TColor) beside it.
#define CLASSLIB_DEFINE_INTEGER_TYPE(T, MinValue, MaxValue)      \
    const ::classlib::TTypeInfo* TypeInfoFor(T*)                 \
    {                                                            \
        static const ::classlib::TTypeInfo info =                \
            ::classlib::MakeIntegerInfo(#T, MinValue, MaxValue); \
        return &info;                                            \
    }
TTypeInfo MakeIntegerInfo(std::string name, int64_t minValue, int64_t maxValue);

// Identifiers for values of an integer type (colour names and the like), used by the component
// streams and the text conversions: both directions answer false when they have no mapping.
using TIdentToInt = bool (*)(std::string_view ident, int64_t& value);
using TIntToIdent = bool (*)(int64_t value, std::string& ident);
void RegisterIntegerConsts(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent);
bool FindIdentToInt(const TTypeInfo* type, std::string_view ident, int64_t& value);
bool FindIntToIdent(const TTypeInfo* type, int64_t value, std::string& ident);

// ---- published properties -------------------------------------------------------------------

inline constexpr int64_t NoDefault = INT32_MIN; // "no default value" marker, as 0x80000000
inline constexpr int NoIndex = INT32_MIN;

// How a published property is read, written or tested for storing: through a field, a method
// called directly or through the method table, or (the stored test) a constant.
enum TPropertyAccessKind : uint8_t {
    pakNone,
    pakStaticMethod,
    pakVirtualMethod,
    pakField,
    pakConstant
};
struct TPropAccess {
    TPropertyAccessKind Kind = pakNone;
    // The code address, the method-table offset or the field offset in bytes, or the constant.
    uintptr_t Value = 0;
};

namespace detail {
// The access a member pointer describes. Member pointers as the Itanium C++ ABI lays them out
// (GCC and Clang on every target here): a field pointer is the field's offset; a method pointer
// is a code address, or for a virtual method 1 + its method-table offset (on ARM the flag is
// the low bit of the adjustment instead).
template <class M>
TPropAccess AccessOf(M member)
{
    if constexpr (std::is_member_object_pointer_v<M>) {
        static_assert(sizeof(M) == sizeof(std::ptrdiff_t));
        std::ptrdiff_t offset;
        std::memcpy(&offset, &member, sizeof offset);
        return {pakField, static_cast<uintptr_t>(offset)};
    } else if constexpr (std::is_member_function_pointer_v<M>) {
        struct Representation {
            uintptr_t ptr;
            std::ptrdiff_t adj;
        } rep;
        static_assert(sizeof(M) == sizeof(Representation));
        std::memcpy(&rep, &member, sizeof rep);
#if defined(__arm__) || defined(__aarch64__)
        if (rep.adj & 1)
            return {pakVirtualMethod, rep.ptr};
#else
        if (rep.ptr & 1)
            return {pakVirtualMethod, rep.ptr - 1};
#endif
        return {pakStaticMethod, rep.ptr};
    } else {
        return {};
    }
}
} // namespace detail

struct TPropInfo {
    std::string Name;
    const TTypeInfo* PropType = nullptr;
    const TMetaClass* Owner = nullptr; // the class that declares it
    int Index = NoIndex;
    int64_t Default = NoDefault;
    int NameIndex = 0; // position among all properties of the declaring class

    // Accessors of the property's kind; a missing setter means read-only.
    std::function<int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<double(const TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<WideString(const TObject*)> GetWideStr;
    std::function<void(TObject*, const WideString&)> SetWideStr;
    std::function<TObject*(const TObject*)> GetObject;
    std::function<void(TObject*, TObject*)> SetObject;
    std::function<TMethod(const TObject*)> GetMethod;
    std::function<void(TObject*, const TMethod&)> SetMethod;
    // Stored test; none means stored.
    std::function<bool(const TObject*)> StoredFn;
    // The reader, the writer (none for a read-only property) and the stored test as declared.
    TPropAccess Reader;
    TPropAccess Writer;
    TPropAccess StoredAccess{pakConstant, 1};

    bool HasWriter() const
    {
        return SetOrd || SetFloat || SetStr || SetWideStr || SetObject || SetMethod;
    }
    bool IsStored(const TObject* instance) const { return !StoredFn || StoredFn(instance); }

    // Chained declarations.
    template <class V>
    TPropInfo& SetDefault(V value)
    {
        Default = static_cast<int64_t>(value);
        return *this;
    }
    template <class E>
    TPropInfo& SetDefault(TSet<E> value)
    {
        Default = value.Bits();
        return *this;
    }
    TPropInfo& Stored(bool stored)
    {
        StoredFn = [stored](const TObject*) { return stored; };
        StoredAccess = {pakConstant, stored ? 1u : 0u};
        return *this;
    }
    template <class C>
    TPropInfo& Stored(bool (C::*test)() const)
    {
        StoredFn = [test](const TObject* o) { return (static_cast<const C*>(o)->*test)(); };
        StoredAccess = detail::AccessOf(test);
        return *this;
    }
};

// ---- class records --------------------------------------------------------------------------

class TMetaClass {
public:
    using Creator = TObject* (*)(TComponent* owner);
    using Publisher = void (*)(TMetaClass&);

    TMetaClass(const char* name, const TMetaClass* parent, Creator creator, Publisher publisher);
    TMetaClass(const TMetaClass&) = delete;
    TMetaClass& operator=(const TMetaClass&) = delete;

    const std::string& ClassName() const { return name_; }
    const TMetaClass* ClassParent() const { return parent_; }
    bool InheritsFrom(const TMetaClass& other) const;
    const TTypeInfo* TypeInfo() const { return &typeInfo_; }

    // A new instance; components get `owner`. Abstract classes raise EInvalidOperation.
    bool CanCreate() const { return creator_ != nullptr; }
    TObject* Create(TComponent* owner = nullptr) const;

    // Published properties, the ancestors' first, each level in declaration order.
    const std::vector<const TPropInfo*>& Properties() const;
    // The properties this class declares itself.
    const std::deque<TPropInfo>& OwnProperties() const;
    // Case-insensitive lookup through the ancestors; nullptr when absent.
    const TPropInfo* FindProperty(std::string_view name) const;

    // Published methods: code by name (nullptr when absent) and name by code ("" when absent).
    const TMethodCode* MethodAddress(std::string_view name) const;
    std::string MethodName(const TMethodCode* code) const;

    // Used while publishing.
    TPropInfo& AddProperty(TPropInfo info);
    void AddMethod(std::string name, const TMethodCode* code);

private:
    void EnsurePublished() const;

    std::string name_;
    const TMetaClass* parent_;
    Creator creator_;
    Publisher publisher_;
    TTypeInfo typeInfo_;
    mutable std::once_flag published_;
    mutable std::deque<TPropInfo> own_;
    mutable std::vector<const TPropInfo*> all_;
    mutable std::vector<std::pair<std::string, const TMethodCode*>> methods_;
};

namespace detail {

template <class C, class G>
decltype(auto) ReadMember(const C* obj, G getter)
{
    if constexpr (std::is_member_object_pointer_v<G>)
        return (obj->*getter);
    else
        return (obj->*getter)();
}

template <class C, class S, class V>
void WriteMember(C* obj, S setter, V&& value)
{
    if constexpr (std::is_member_object_pointer_v<S>)
        obj->*setter = std::forward<V>(value);
    else
        (obj->*setter)(std::forward<V>(value));
}

template <class T>
struct IsSet : std::false_type {
};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
};
template <class T>
struct IsEvent : std::false_type {
};
template <class Sig>
struct IsEvent<TEvent<Sig>> : std::true_type {
};

// Connects getter and setter of value type T to the accessor slot of its kind.
template <class C, class T, class GetFn, class SetFn>
void BindAccessors(TPropInfo& p, GetFn get, SetFn set, bool writable)
{
    if constexpr (std::is_same_v<T, std::string>) {
        p.GetStr = [get](const TObject* o) { return std::string(get(static_cast<const C*>(o))); };
        if (writable)
            p.SetStr = [set](TObject* o, const std::string& v) { set(static_cast<C*>(o), v); };
    } else if constexpr (std::is_same_v<T, WideString>) {
        p.GetWideStr = [get](const TObject* o) {
            return WideString(get(static_cast<const C*>(o)));
        };
        if (writable)
            p.SetWideStr = [set](TObject* o, const WideString& v) { set(static_cast<C*>(o), v); };
    } else if constexpr (std::is_floating_point_v<T>) {
        p.GetFloat = [get](const TObject* o) {
            return static_cast<double>(get(static_cast<const C*>(o)));
        };
        if (writable)
            p.SetFloat = [set](TObject* o, double v) {
                set(static_cast<C*>(o), static_cast<T>(v));
            };
    } else if constexpr (IsSet<T>::value) {
        p.GetOrd = [get](const TObject* o) {
            return static_cast<int64_t>(get(static_cast<const C*>(o)).Bits());
        };
        if (writable)
            p.SetOrd = [set](TObject* o, int64_t v) {
                set(static_cast<C*>(o), T::FromBits(static_cast<uint32_t>(v)));
            };
    } else if constexpr (IsEvent<T>::value) {
        p.GetMethod = [get](const TObject* o) { return get(static_cast<const C*>(o)).AsMethod(); };
        if (writable)
            p.SetMethod = [set](TObject* o, const TMethod& v) { set(static_cast<C*>(o), T(v)); };
    } else if constexpr (std::is_pointer_v<T> &&
                         std::is_base_of_v<TObject, std::remove_pointer_t<T>>) {
        p.GetObject = [get](const TObject* o) -> TObject* { return get(static_cast<const C*>(o)); };
        if (writable)
            p.SetObject = [set](TObject* o, TObject* v) {
                T typed = dynamic_cast<T>(v);
                if (v && !typed)
                    throw EInvalidCast(messages::InvalidCast);
                set(static_cast<C*>(o), typed);
            };
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
        p.GetOrd = [get](const TObject* o) {
            return static_cast<int64_t>(get(static_cast<const C*>(o)));
        };
        if (writable)
            p.SetOrd = [set](TObject* o, int64_t v) {
                if constexpr (std::is_same_v<T, bool>)
                    set(static_cast<C*>(o), v != 0);
                else
                    set(static_cast<C*>(o), static_cast<T>(v));
            };
    } else {
        static_assert(sizeof(T) == 0, "type cannot be published");
    }
}

} // namespace detail

// Collects the published members of class C while its class record is built.
template <class C>
class TClassBuilder {
public:
    explicit TClassBuilder(TMetaClass& cls) : cls_(cls) {}

    // getter: `T (C::*)() const` or a field; setter: `void (C::*)(T)` / `(const T&)`, a field,
    // or nullptr for a read-only property.
    template <class G, class S = std::nullptr_t>
    TPropInfo& Property(const char* name, G getter, S setter = nullptr)
    {
        using T =
            std::decay_t<decltype(detail::ReadMember(static_cast<const C*>(nullptr), getter))>;
        constexpr bool writable =
            !std::is_same_v<S, std::nullptr_t> || std::is_member_object_pointer_v<G>;
        TPropInfo p;
        p.Name = name;
        p.PropType = TypeInfoOf<T>();
        auto get = [getter](const C* o) -> T { return detail::ReadMember(o, getter); };
        auto set = [=](C* o, const T& v) {
            if constexpr (!std::is_same_v<S, std::nullptr_t>)
                detail::WriteMember(o, setter, v);
            else if constexpr (std::is_member_object_pointer_v<G>)
                detail::WriteMember(o, getter, v);
        };
        detail::BindAccessors<C, T>(p, get, set, writable);
        p.Reader = detail::AccessOf(getter);
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            p.Writer = detail::AccessOf(setter);
        else if constexpr (std::is_member_object_pointer_v<G>)
            p.Writer = p.Reader;
        return cls_.AddProperty(std::move(p));
    }

    // A property whose getter and setter take an index: `T (C::*)(int) const` and
    // `void (C::*)(int, T)`.
    template <class G, class S = std::nullptr_t>
    TPropInfo& IndexedProperty(const char* name, int index, G getter, S setter = nullptr)
    {
        using T = std::decay_t<decltype((static_cast<const C*>(nullptr)->*getter)(0))>;
        TPropInfo p;
        p.Name = name;
        p.PropType = TypeInfoOf<T>();
        p.Index = index;
        auto get = [getter, index](const C* o) -> T { return (o->*getter)(index); };
        auto set = [=](C* o, const T& v) {
            if constexpr (!std::is_same_v<S, std::nullptr_t>)
                (o->*setter)(index, v);
        };
        detail::BindAccessors<C, T>(p, get, set, !std::is_same_v<S, std::nullptr_t>);
        p.Reader = detail::AccessOf(getter);
        if constexpr (!std::is_same_v<S, std::nullptr_t>)
            p.Writer = detail::AccessOf(setter);
        return cls_.AddProperty(std::move(p));
    }

    template <class M>
    void Method(const char* name, M method)
    {
        cls_.AddMethod(name, detail::InternCode(method));
    }

private:
    TMetaClass& cls_;
};

namespace detail {
template <class T>
TObject* CreateInstance(TComponent* owner)
{
    if constexpr (std::is_abstract_v<T>)
        return nullptr;
    else if constexpr (std::is_constructible_v<T, TComponent*>)
        return new T(owner);
    else if constexpr (std::is_constructible_v<T, TCollection*>)
        return new T(static_cast<TCollection*>(nullptr));
    else if constexpr (std::is_default_constructible_v<T>)
        return new T();
    else
        return nullptr;
}
template <class T>
constexpr TMetaClass::Creator CreatorOf()
{
    if constexpr (std::is_abstract_v<T> ||
                  !(std::is_constructible_v<T, TComponent*> ||
                    std::is_constructible_v<T, TCollection*> || std::is_default_constructible_v<T>))
        return nullptr;
    else
        return &CreateInstance<T>;
}
} // namespace detail

// Defines Self::StaticClass() and opens the body of the publishing function (parameter `c`,
// a TClassBuilder<Self>). Use at namespace scope of Self's namespace.
#define CLASSLIB_PUBLISH(Self)                                                                   \
    static void Self##_Publish(::classlib::TClassBuilder<Self>& c);                              \
    const ::classlib::TMetaClass& Self::StaticClass()                                            \
    {                                                                                            \
        static const ::classlib::TMetaClass info(#Self, &Self::inherited::StaticClass(),         \
                                                 ::classlib::detail::CreatorOf<Self>(),          \
                                                 [](::classlib::TMetaClass& m) {                 \
                                                     ::classlib::TClassBuilder<Self> builder(m); \
                                                     Self##_Publish(builder);                    \
                                                 });                                             \
        return info;                                                                             \
    }                                                                                            \
    static void Self##_Publish([[maybe_unused]] ::classlib::TClassBuilder<Self>& c)

// ---- property access by name ----------------------------------------------------------------

// nullptr when the class publishes no such property.
const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name);
// As GetPropInfo, raising EPropertyError "Property %s does not exist" when absent.
const TPropInfo& FindPropInfo(const TObject* instance, std::string_view name);
bool IsPublishedProp(const TObject* instance, std::string_view name);
bool IsStoredProp(const TObject* instance, const TPropInfo& prop);

// The accessors raise EPropertyError when the property's kind does not fit the call and when a
// read-only property is written.
int64_t GetOrdProp(const TObject* instance, const TPropInfo& prop);
void SetOrdProp(TObject* instance, const TPropInfo& prop, int64_t value);
std::string GetEnumProp(const TObject* instance, const TPropInfo& prop);
void SetEnumProp(TObject* instance, const TPropInfo& prop, std::string_view name);
std::string GetSetProp(const TObject* instance, const TPropInfo& prop, bool brackets = false);
void SetSetProp(TObject* instance, const TPropInfo& prop, std::string_view text);
double GetFloatProp(const TObject* instance, const TPropInfo& prop);
void SetFloatProp(TObject* instance, const TPropInfo& prop, double value);
std::string GetStrProp(const TObject* instance, const TPropInfo& prop);
void SetStrProp(TObject* instance, const TPropInfo& prop, std::string_view value);
WideString GetWideStrProp(const TObject* instance, const TPropInfo& prop);
void SetWideStrProp(TObject* instance, const TPropInfo& prop, const WideString& value);
TObject* GetObjectProp(const TObject* instance, const TPropInfo& prop);
void SetObjectProp(TObject* instance, const TPropInfo& prop, TObject* value);
TMethod GetMethodProp(const TObject* instance, const TPropInfo& prop);
void SetMethodProp(TObject* instance, const TPropInfo& prop, const TMethod& value);

// By name; the property must exist.
int64_t GetOrdProp(const TObject* instance, std::string_view name);
void SetOrdProp(TObject* instance, std::string_view name, int64_t value);
std::string GetEnumProp(const TObject* instance, std::string_view name);
void SetEnumProp(TObject* instance, std::string_view name, std::string_view value);
std::string GetSetProp(const TObject* instance, std::string_view name, bool brackets = false);
void SetSetProp(TObject* instance, std::string_view name, std::string_view text);
double GetFloatProp(const TObject* instance, std::string_view name);
void SetFloatProp(TObject* instance, std::string_view name, double value);
std::string GetStrProp(const TObject* instance, std::string_view name);
void SetStrProp(TObject* instance, std::string_view name, std::string_view value);
TObject* GetObjectProp(const TObject* instance, std::string_view name);
void SetObjectProp(TObject* instance, std::string_view name, TObject* value);
TMethod GetMethodProp(const TObject* instance, std::string_view name);
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value);

// Any property as text (ordinals and enumerations as names, sets bracketed, floats with
// FloatToStr, classes by component name) and back; used by tools and diagnostics.
std::string GetPropValueText(const TObject* instance, const TPropInfo& prop);
void SetPropValueText(TObject* instance, const TPropInfo& prop, std::string_view text);

// ---- class registry -------------------------------------------------------------------------

// Registering the same class twice is harmless; another class of the same name raises
// EFilerError "A class named %s already exists". Lookups ignore case.
void RegisterClass(const TMetaClass& cls);
void RegisterClasses(std::initializer_list<const TMetaClass*> classes);
void UnRegisterClass(const TMetaClass& cls);
const TMetaClass* GetClass(std::string_view name);
// As GetClass, raising EClassNotFound "Class %s not found".
const TMetaClass& FindClass(std::string_view name);

} // namespace classlib
