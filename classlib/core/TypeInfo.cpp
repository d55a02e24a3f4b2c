#include "core/TypeInfo.h"

#include "core/Component.h"
#include "core/StrUtils.h"

#include <algorithm>
#include <map>

namespace classlib {

namespace {

TTypeInfo OrdinalInfo(const char* name, TTypeKind kind, TOrdType ord, int64_t min, int64_t max)
{
    TTypeInfo t;
    t.Kind = kind;
    t.Name = name;
    t.OrdType = ord;
    t.MinValue = min;
    t.MaxValue = max;
    return t;
}

TTypeInfo SimpleInfo(const char* name, TTypeKind kind)
{
    TTypeInfo t;
    t.Kind = kind;
    t.Name = name;
    return t;
}

TTypeInfo FloatInfo(const char* name, TFloatType type)
{
    TTypeInfo t = SimpleInfo(name, tkFloat);
    t.FloatType = type;
    return t;
}

[[noreturn]] void PropertyKindError(const TPropInfo& prop)
{
    throw EPropertyError(
        Format(messages::InvalidPropertyType, {prop.PropType ? prop.PropType->Name : prop.Name}));
}

[[noreturn]] void ReadOnlyError(const TPropInfo& prop)
{
    throw EPropertyError(Format(messages::PropertyReadOnly, {prop.Name}));
}

} // namespace

TTypeInfo MakeEnumInfo(std::string name, std::initializer_list<const char*> names,
                       std::string unitName)
{
    TTypeInfo t;
    t.Kind = tkEnumeration;
    t.Name = std::move(name);
    t.MinValue = 0;
    t.MaxValue = static_cast<int64_t>(names.size()) - 1;
    t.OrdType = names.size() <= 256 ? otUByte : (names.size() <= 65536 ? otUWord : otULong);
    for (const char* n : names)
        t.NameList.emplace_back(n);
    t.UnitName = std::move(unitName);
    return t;
}

TTypeInfo MakeSetInfo(std::string name, const TTypeInfo* element)
{
    TTypeInfo t;
    t.Kind = tkSet;
    t.Name = std::move(name);
    t.CompType = element;
    const int64_t bytes = element->MaxValue / 8 - element->MinValue / 8 + 1;
    t.OrdType = bytes <= 1 ? otUByte : (bytes <= 2 ? otUWord : otULong);
    return t;
}

// The enumeration records refer to themselves as base type; set here because the record's
// address is known only once it is stored.
static const TTypeInfo* WithSelfBase(TTypeInfo& t)
{
    if (t.Kind == tkEnumeration && !t.BaseType)
        t.BaseType = &t;
    return &t;
}

std::string GetEnumName(const TTypeInfo* info, int64_t value)
{
    if (!info)
        return {};
    if (info->Kind != tkEnumeration)
        return IntToStr(value);
    const TTypeInfo* base = info->BaseType ? info->BaseType : info;
    if (value < base->MinValue || value > base->MaxValue)
        return {};
    const auto index = static_cast<size_t>(value - base->MinValue);
    return index < base->NameList.size() ? base->NameList[index] : std::string();
}

int GetEnumValue(const TTypeInfo* info, std::string_view name)
{
    if (!info)
        return -1;
    if (info->Kind == tkInteger || info->Kind == tkChar) {
        int v;
        return TryStrToInt(name, v) ? v : -1;
    }
    const TTypeInfo* base = info->BaseType ? info->BaseType : info;
    for (size_t i = 0; i < base->NameList.size(); ++i)
        if (SameText(base->NameList[i], name)) {
            const int64_t v = base->MinValue + static_cast<int64_t>(i);
            if (v >= info->MinValue && v <= info->MaxValue)
                return static_cast<int>(v);
        }
    return -1;
}

std::string SetToString(const TTypeInfo* setInfo, uint32_t value, bool brackets)
{
    std::string result;
    const TTypeInfo* element = setInfo ? setInfo->CompType : nullptr;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(value & (uint32_t{1} << bit)))
            continue;
        if (!result.empty())
            result += ",";
        result +=
            element && element->Kind == tkEnumeration ? GetEnumName(element, bit) : IntToStr(bit);
    }
    return brackets ? "[" + result + "]" : result;
}

uint32_t StringToSet(const TTypeInfo* setInfo, std::string_view text)
{
    const TTypeInfo* element = setInfo ? setInfo->CompType : nullptr;
    std::string s = Trim(text);
    if (!s.empty() && s.front() == '[')
        s.erase(0, 1);
    if (!s.empty() && s.back() == ']')
        s.pop_back();
    uint32_t result = 0;
    size_t start = 0;
    while (start <= s.size()) {
        size_t comma = s.find(',', start);
        if (comma == std::string::npos)
            comma = s.size();
        const std::string item = Trim(std::string_view(s).substr(start, comma - start));
        if (!item.empty()) {
            const int v = GetEnumValue(element, item);
            if (v < 0 || v > 31)
                throw EPropertyError(Format("Invalid property element: %s", {item}));
            result |= uint32_t{1} << v;
        }
        start = comma + 1;
    }
    return result;
}

#define CLASSLIB_BUILTIN_TYPE(CppType, expr)            \
    const TTypeInfo* TypeInfoFor(CppType*)              \
    {                                                   \
        static TTypeInfo info = expr;                   \
        static const TTypeInfo* p = WithSelfBase(info); \
        return p;                                       \
    }

CLASSLIB_BUILTIN_TYPE(int, OrdinalInfo("Integer", tkInteger, otSLong, INT32_MIN, INT32_MAX))
CLASSLIB_BUILTIN_TYPE(long, OrdinalInfo("Longint", tkInteger, otSLong, INT32_MIN, INT32_MAX))
CLASSLIB_BUILTIN_TYPE(unsigned, OrdinalInfo("Cardinal", tkInteger, otULong, 0, UINT32_MAX))
CLASSLIB_BUILTIN_TYPE(short, OrdinalInfo("Smallint", tkInteger, otSWord, INT16_MIN, INT16_MAX))
CLASSLIB_BUILTIN_TYPE(unsigned short, OrdinalInfo("Word", tkInteger, otUWord, 0, UINT16_MAX))
CLASSLIB_BUILTIN_TYPE(signed char, OrdinalInfo("Shortint", tkInteger, otSByte, INT8_MIN, INT8_MAX))
CLASSLIB_BUILTIN_TYPE(unsigned char, OrdinalInfo("Byte", tkInteger, otUByte, 0, UINT8_MAX))
CLASSLIB_BUILTIN_TYPE(long long, OrdinalInfo("Int64", tkInt64, otSLong, INT64_MIN, INT64_MAX))
CLASSLIB_BUILTIN_TYPE(bool, MakeEnumInfo("Boolean", {"False", "True"}, "System"))
CLASSLIB_BUILTIN_TYPE(char, OrdinalInfo("Char", tkChar, otUByte, 0, 255))
CLASSLIB_BUILTIN_TYPE(wchar_t, OrdinalInfo("WideChar", tkWChar, otUWord, 0, 65535))
CLASSLIB_BUILTIN_TYPE(float, FloatInfo("Single", ftSingle))
CLASSLIB_BUILTIN_TYPE(double, FloatInfo("Double", ftDouble))
CLASSLIB_BUILTIN_TYPE(std::string, SimpleInfo("string", tkLString))
CLASSLIB_BUILTIN_TYPE(WideString, SimpleInfo("WideString", tkWString))

const TTypeInfo* ClassTypeInfo(const TMetaClass& cls)
{
    return cls.TypeInfo();
}

TTypeInfo MakeIntegerInfo(std::string name, int64_t minValue, int64_t maxValue)
{
    TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = std::move(name);
    t.MinValue = minValue;
    t.MaxValue = maxValue;
    t.OrdType = minValue >= 0 ? (maxValue <= 255     ? otUByte
                                 : maxValue <= 65535 ? otUWord
                                                     : otULong)
                              : (minValue >= -128 && maxValue <= 127       ? otSByte
                                 : minValue >= -32768 && maxValue <= 32767 ? otSWord
                                                                           : otSLong);
    return t;
}

namespace {
struct IntegerConsts {
    const TTypeInfo* type;
    TIdentToInt identToInt;
    TIntToIdent intToIdent;
};
std::mutex integerConstsLock;
std::vector<IntegerConsts>& IntegerConstsList()
{
    static std::vector<IntegerConsts> list;
    return list;
}
} // namespace

void RegisterIntegerConsts(const TTypeInfo* type, TIdentToInt identToInt, TIntToIdent intToIdent)
{
    std::lock_guard<std::mutex> guard(integerConstsLock);
    IntegerConstsList().push_back({type, identToInt, intToIdent});
}

bool FindIdentToInt(const TTypeInfo* type, std::string_view ident, int64_t& value)
{
    std::lock_guard<std::mutex> guard(integerConstsLock);
    for (const auto& c : IntegerConstsList())
        if (c.type == type && c.identToInt && c.identToInt(ident, value))
            return true;
    return false;
}

bool FindIntToIdent(const TTypeInfo* type, int64_t value, std::string& ident)
{
    std::lock_guard<std::mutex> guard(integerConstsLock);
    for (const auto& c : IntegerConstsList())
        if (c.type == type && c.intToIdent && c.intToIdent(value, ident))
            return true;
    return false;
}

// ---- TMetaClass -----------------------------------------------------------------------------

TMetaClass::TMetaClass(const char* name, const TMetaClass* parent, Creator creator,
                       Publisher publisher)
    : name_(name), parent_(parent), creator_(creator), publisher_(publisher)
{
    typeInfo_.Kind = tkClass;
    typeInfo_.Name = name_;
    typeInfo_.ClassType = this;
}

bool TMetaClass::InheritsFrom(const TMetaClass& other) const
{
    for (const TMetaClass* c = this; c; c = c->parent_)
        if (c == &other)
            return true;
    return false;
}

TObject* TMetaClass::Create(TComponent* owner) const
{
    if (!creator_)
        throw EInvalidOperation(Format(messages::AbstractClass, {name_}));
    return creator_(owner);
}

void TMetaClass::EnsurePublished() const
{
    std::call_once(published_, [this] {
        auto* self = const_cast<TMetaClass*>(this);
        if (publisher_)
            publisher_(*self);
        if (parent_)
            all_ = parent_->Properties();
        for (const TPropInfo& p : own_) {
            // A redeclared property replaces the ancestor's at its place.
            auto same = std::find_if(all_.begin(), all_.end(),
                                     [&](const TPropInfo* q) { return SameText(q->Name, p.Name); });
            if (same != all_.end())
                *same = &p;
            else
                all_.push_back(&p);
        }
        for (size_t i = 0; i < own_.size(); ++i)
            own_[i].NameIndex = static_cast<int>((parent_ ? parent_->Properties().size() : 0) + i);
    });
}

const std::vector<const TPropInfo*>& TMetaClass::Properties() const
{
    EnsurePublished();
    return all_;
}

const std::deque<TPropInfo>& TMetaClass::OwnProperties() const
{
    EnsurePublished();
    return own_;
}

const TPropInfo* TMetaClass::FindProperty(std::string_view name) const
{
    for (const TPropInfo* p : Properties())
        if (SameText(p->Name, name))
            return p;
    return nullptr;
}

TPropInfo& TMetaClass::AddProperty(TPropInfo info)
{
    info.Owner = this;
    own_.push_back(std::move(info));
    return own_.back();
}

void TMetaClass::AddMethod(std::string name, const TMethodCode* code)
{
    methods_.emplace_back(std::move(name), code);
}

const TMethodCode* TMetaClass::MethodAddress(std::string_view name) const
{
    for (const TMetaClass* c = this; c; c = c->parent_) {
        c->EnsurePublished();
        for (const auto& m : c->methods_)
            if (SameText(m.first, name))
                return m.second;
    }
    return nullptr;
}

std::string TMetaClass::MethodName(const TMethodCode* code) const
{
    if (!code)
        return {};
    for (const TMetaClass* c = this; c; c = c->parent_) {
        c->EnsurePublished();
        for (const auto& m : c->methods_)
            if (m.second == code)
                return m.first;
    }
    return {};
}

// ---- property access ------------------------------------------------------------------------

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name)
{
    return instance ? instance->ClassType().FindProperty(name) : nullptr;
}

const TPropInfo& FindPropInfo(const TObject* instance, std::string_view name)
{
    if (const TPropInfo* p = GetPropInfo(instance, name))
        return *p;
    throw EPropertyError(Format(messages::UnknownProperty, {name}));
}

bool IsPublishedProp(const TObject* instance, std::string_view name)
{
    return GetPropInfo(instance, name) != nullptr;
}

bool IsStoredProp(const TObject* instance, const TPropInfo& prop)
{
    return prop.IsStored(instance);
}

int64_t GetOrdProp(const TObject* instance, const TPropInfo& prop)
{
    if (!prop.GetOrd)
        PropertyKindError(prop);
    return prop.GetOrd(instance);
}

void SetOrdProp(TObject* instance, const TPropInfo& prop, int64_t value)
{
    if (!prop.GetOrd)
        PropertyKindError(prop);
    if (!prop.SetOrd)
        ReadOnlyError(prop);
    prop.SetOrd(instance, value);
}

std::string GetEnumProp(const TObject* instance, const TPropInfo& prop)
{
    return GetEnumName(prop.PropType, GetOrdProp(instance, prop));
}

void SetEnumProp(TObject* instance, const TPropInfo& prop, std::string_view name)
{
    const int v = GetEnumValue(prop.PropType, name);
    if (v < 0 && prop.PropType->Kind == tkEnumeration)
        throw EPropertyError(Format("Invalid property element: %s", {name}));
    SetOrdProp(instance, prop, v);
}

std::string GetSetProp(const TObject* instance, const TPropInfo& prop, bool brackets)
{
    if (prop.PropType->Kind != tkSet)
        PropertyKindError(prop);
    return SetToString(prop.PropType, static_cast<uint32_t>(GetOrdProp(instance, prop)), brackets);
}

void SetSetProp(TObject* instance, const TPropInfo& prop, std::string_view text)
{
    if (prop.PropType->Kind != tkSet)
        PropertyKindError(prop);
    SetOrdProp(instance, prop, StringToSet(prop.PropType, text));
}

double GetFloatProp(const TObject* instance, const TPropInfo& prop)
{
    if (!prop.GetFloat)
        PropertyKindError(prop);
    return prop.GetFloat(instance);
}

void SetFloatProp(TObject* instance, const TPropInfo& prop, double value)
{
    if (!prop.GetFloat)
        PropertyKindError(prop);
    if (!prop.SetFloat)
        ReadOnlyError(prop);
    prop.SetFloat(instance, value);
}

std::string GetStrProp(const TObject* instance, const TPropInfo& prop)
{
    if (prop.GetStr)
        return prop.GetStr(instance);
    PropertyKindError(prop);
}

void SetStrProp(TObject* instance, const TPropInfo& prop, std::string_view value)
{
    if (!prop.GetStr)
        PropertyKindError(prop);
    if (!prop.SetStr)
        ReadOnlyError(prop);
    prop.SetStr(instance, std::string(value));
}

WideString GetWideStrProp(const TObject* instance, const TPropInfo& prop)
{
    if (!prop.GetWideStr)
        PropertyKindError(prop);
    return prop.GetWideStr(instance);
}

void SetWideStrProp(TObject* instance, const TPropInfo& prop, const WideString& value)
{
    if (!prop.GetWideStr)
        PropertyKindError(prop);
    if (!prop.SetWideStr)
        ReadOnlyError(prop);
    prop.SetWideStr(instance, value);
}

TObject* GetObjectProp(const TObject* instance, const TPropInfo& prop)
{
    if (!prop.GetObject)
        PropertyKindError(prop);
    return prop.GetObject(instance);
}

void SetObjectProp(TObject* instance, const TPropInfo& prop, TObject* value)
{
    if (!prop.GetObject)
        PropertyKindError(prop);
    if (!prop.SetObject)
        ReadOnlyError(prop);
    prop.SetObject(instance, value);
}

TMethod GetMethodProp(const TObject* instance, const TPropInfo& prop)
{
    if (!prop.GetMethod)
        PropertyKindError(prop);
    return prop.GetMethod(instance);
}

void SetMethodProp(TObject* instance, const TPropInfo& prop, const TMethod& value)
{
    if (!prop.GetMethod)
        PropertyKindError(prop);
    if (!prop.SetMethod)
        ReadOnlyError(prop);
    prop.SetMethod(instance, value);
}

int64_t GetOrdProp(const TObject* i, std::string_view n)
{
    return GetOrdProp(i, FindPropInfo(i, n));
}
void SetOrdProp(TObject* i, std::string_view n, int64_t v)
{
    SetOrdProp(i, FindPropInfo(i, n), v);
}
std::string GetEnumProp(const TObject* i, std::string_view n)
{
    return GetEnumProp(i, FindPropInfo(i, n));
}
void SetEnumProp(TObject* i, std::string_view n, std::string_view v)
{
    SetEnumProp(i, FindPropInfo(i, n), v);
}
std::string GetSetProp(const TObject* i, std::string_view n, bool b)
{
    return GetSetProp(i, FindPropInfo(i, n), b);
}
void SetSetProp(TObject* i, std::string_view n, std::string_view v)
{
    SetSetProp(i, FindPropInfo(i, n), v);
}
double GetFloatProp(const TObject* i, std::string_view n)
{
    return GetFloatProp(i, FindPropInfo(i, n));
}
void SetFloatProp(TObject* i, std::string_view n, double v)
{
    SetFloatProp(i, FindPropInfo(i, n), v);
}
std::string GetStrProp(const TObject* i, std::string_view n)
{
    return GetStrProp(i, FindPropInfo(i, n));
}
void SetStrProp(TObject* i, std::string_view n, std::string_view v)
{
    SetStrProp(i, FindPropInfo(i, n), v);
}
TObject* GetObjectProp(const TObject* i, std::string_view n)
{
    return GetObjectProp(i, FindPropInfo(i, n));
}
void SetObjectProp(TObject* i, std::string_view n, TObject* v)
{
    SetObjectProp(i, FindPropInfo(i, n), v);
}
TMethod GetMethodProp(const TObject* i, std::string_view n)
{
    return GetMethodProp(i, FindPropInfo(i, n));
}
void SetMethodProp(TObject* i, std::string_view n, const TMethod& v)
{
    SetMethodProp(i, FindPropInfo(i, n), v);
}

std::string GetPropValueText(const TObject* instance, const TPropInfo& prop)
{
    switch (prop.PropType->Kind) {
        case tkEnumeration:
            return GetEnumProp(instance, prop);
        case tkSet:
            return GetSetProp(instance, prop, true);
        case tkInteger:
        case tkInt64:
        case tkChar:
        case tkWChar:
            return IntToStr(GetOrdProp(instance, prop));
        case tkFloat:
            return FloatToStr(GetFloatProp(instance, prop));
        case tkString:
        case tkLString:
            return GetStrProp(instance, prop);
        case tkClass: {
            const auto* c = dynamic_cast<const TComponent*>(GetObjectProp(instance, prop));
            return c ? c->Name() : std::string();
        }
        default:
            PropertyKindError(prop);
    }
}

void SetPropValueText(TObject* instance, const TPropInfo& prop, std::string_view text)
{
    switch (prop.PropType->Kind) {
        case tkEnumeration:
            SetEnumProp(instance, prop, Trim(text));
            break;
        case tkSet:
            SetSetProp(instance, prop, text);
            break;
        case tkInteger:
        case tkInt64:
            SetOrdProp(instance, prop, StrToInt64(text));
            break;
        case tkChar:
        case tkWChar:
            SetOrdProp(instance, prop, text.empty() ? 0 : static_cast<unsigned char>(text[0]));
            break;
        case tkFloat:
            SetFloatProp(instance, prop, StrToFloat(text));
            break;
        case tkString:
        case tkLString:
            SetStrProp(instance, prop, text);
            break;
        default:
            PropertyKindError(prop);
    }
}

// ---- class registry -------------------------------------------------------------------------

namespace {
struct Registry {
    std::mutex lock;
    std::vector<const TMetaClass*> classes;
};
Registry& TheRegistry()
{
    static Registry r;
    return r;
}
} // namespace

void RegisterClass(const TMetaClass& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (const TMetaClass* c : r.classes)
        if (SameText(c->ClassName(), cls.ClassName())) {
            if (c == &cls)
                return;
            throw EFilerError(Format(messages::DuplicateClass, {cls.ClassName()}));
        }
    r.classes.push_back(&cls);
}

void RegisterClasses(std::initializer_list<const TMetaClass*> classes)
{
    for (const TMetaClass* c : classes)
        RegisterClass(*c);
}

void UnRegisterClass(const TMetaClass& cls)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    r.classes.erase(std::remove(r.classes.begin(), r.classes.end(), &cls), r.classes.end());
}

const TMetaClass* GetClass(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> guard(r.lock);
    for (const TMetaClass* c : r.classes)
        if (SameText(c->ClassName(), name))
            return c;
    return nullptr;
}

const TMetaClass& FindClass(std::string_view name)
{
    if (const TMetaClass* c = GetClass(name))
        return *c;
    throw EClassNotFound(Format(messages::ClassNotFound, {name}));
}

} // namespace classlib
