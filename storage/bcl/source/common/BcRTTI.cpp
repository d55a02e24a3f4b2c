#include "BcRTTI.h"

#include "BcErrors.h"
#include "BcResourceTexts.h"
#include "BcStrings.h"
#include "core/StringList.h"
#include "core/SysUtils.h"

#include <atomic>
#include <memory>
#include <cstring>
#include <vector>

namespace bcl {

using classlib::Format;
using classlib::TOrdType;
using classlib::TTypeKind;

namespace {

constexpr const char* TypeKindNames[] = {
    "tkUnknown", "tkInteger", "tkChar",   "tkEnumeration", "tkFloat",   "tkString",
    "tkSet",     "tkClass",   "tkMethod", "tkWChar",       "tkLString", "tkWString",
    "tkVariant", "tkArray",   "tkRecord", "tkInterface",   "tkInt64",   "tkDynArray",
};
constexpr const char* OrdTypeNames[] = {"otSByte", "otUByte", "otSWord",
                                        "otUWord", "otSLong", "otULong"};
constexpr const char* FloatTypeNames[] = {"ftSingle", "ftDouble", "ftExtended", "ftComp", "ftCurr"};
constexpr const char* MethodKindNames[] = {"mkProcedure", "mkFunction"};

template <size_t N>
std::string NameFromTable(const char* const (&names)[N], int value)
{
    return value >= 0 && static_cast<size_t>(value) < N ? names[value] : classlib::IntToStr(value);
}

// Writes one level deeper while `write` runs, restoring the level also when it raises.
template <class F>
void Indented(IBcDumpWriter& w, F write)
{
    w.IndentMore();
    try {
        write();
    } catch (...) {
        w.IndentLess();
        throw;
    }
    w.IndentLess();
}

bool IsAnonymous(const std::string& name)
{
    return !name.empty() && name.front() == '.';
}

bool SameIdent(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && UpperCaseCopy(a) == UpperCaseCopy(b);
}

// Answers a query for I or any interface I extends.
template <class I>
bool QueryChain(I* self, const TGUID& iid, void** obj)
{
    if (iid == I::IID) {
        *obj = self;
        return true;
    }
    if constexpr (requires { typename I::Parent; })
        return QueryChain<typename I::Parent>(self, iid, obj);
    else if (iid == classlib::IInterface::IID) {
        *obj = static_cast<classlib::IInterface*>(self);
        return true;
    }
    return false;
}

// Reference counting and the queries of interface I and the interfaces it extends.
template <class I>
class RefCounted : public I {
public:
    virtual ~RefCounted() = default;
    bool QueryInterface(const TGUID& iid, void** obj) override
    {
        if (QueryChain<I>(this, iid, obj)) {
            AddRef();
            return true;
        }
        *obj = nullptr;
        return false;
    }
    int AddRef() override { return ++refCount_; }
    int Release() override
    {
        const int count = --refCount_;
        if (count == 0)
            delete this;
        return count;
    }

private:
    std::atomic<int> refCount_{0};
};

// Identity and the base lines shared by every type wrapper; I is the interface of the
// wrapper's kind.
template <class I>
class TypeInfoImpl : public RefCounted<I> {
public:
    explicit TypeInfoImpl(const TTypeInfo* info) : info_(info) {}

    std::string QueryName() const override { return info_->Name; }
    const TTypeInfo* QueryTypeData() const override { return info_; }
    const TTypeInfo* QueryTypeInfo() const override { return info_; }
    TTypeKind QueryTypeKind() const override { return info_->Kind; }

    void DescribeTo(IBcDumpWriter& w) override
    {
        w.WriteLine("Name: " + info_->Name);
        w.WriteLine("Type kind: " + TypeKindName(info_->Kind));
        w.WriteLine(Format("Type info: %p", {static_cast<const void*>(info_)}));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        w.WriteText(Format("// Declaration for '%s' not supported.", {info_->Name}));
    }

protected:
    const TTypeInfo* info_;
};

template <class I>
class OrdinalImpl : public TypeInfoImpl<I> {
public:
    using TypeInfoImpl<I>::TypeInfoImpl;
    TOrdType QueryOrdinalType() const override { return this->info_->OrdType; }
    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl<I>::DescribeTo(w);
        w.WriteLine("Ordinal type: " + OrdTypeName(QueryOrdinalType()));
    }
};

template <class I>
class OrdinalRangeImpl : public OrdinalImpl<I> {
public:
    using OrdinalImpl<I>::OrdinalImpl;
    int64_t QueryMinValue() const override { return this->info_->MinValue; }
    int64_t QueryMaxValue() const override { return this->info_->MaxValue; }
    void DescribeTo(IBcDumpWriter& w) override
    {
        OrdinalImpl<I>::DescribeTo(w);
        w.WriteLine("Min value: " + classlib::IntToStr(QueryMinValue()));
        w.WriteLine("Max value: " + classlib::IntToStr(QueryMaxValue()));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const auto& info = *this->info_;
        const bool anonymous = IsAnonymous(info.Name);
        if (!anonymous)
            w.WriteText(info.Name + " = ");
        auto bound = [&](int64_t v) {
            if (info.Kind == classlib::tkChar || info.Kind == classlib::tkWChar)
                return (v >= 32 && v <= 126) ? "'" + std::string(1, static_cast<char>(v)) + "'"
                                             : "#" + classlib::IntToStr(v);
            return classlib::IntToStr(v);
        };
        w.WriteText(bound(QueryMinValue()) + ".." + bound(QueryMaxValue()));
        if (!anonymous)
            w.WriteLine("; // " + OrdTypeName(this->QueryOrdinalType()));
    }
};

class TBcTypeInfo final : public TypeInfoImpl<IBcTypeInfo> {
    using TypeInfoImpl::TypeInfoImpl;
};

class TBcOrdinalTypeInfo final : public OrdinalImpl<IBcOrdinalTypeInfo> {
    using OrdinalImpl::OrdinalImpl;
};

class TBcOrdinalRangeTypeInfo final : public OrdinalRangeImpl<IBcOrdinalRangeTypeInfo> {
    using OrdinalRangeImpl::OrdinalRangeImpl;
};

class TBcEnumerationTypeInfo final : public OrdinalRangeImpl<IBcEnumerationTypeInfo> {
public:
    using OrdinalRangeImpl::OrdinalRangeImpl;

    TInterfacePtr<IBcEnumerationTypeInfo> QueryBaseType() override
    {
        if (!info_->BaseType || info_->BaseType == info_)
            return TInterfacePtr<IBcEnumerationTypeInfo>(this);
        return TInterfacePtr<IBcEnumerationTypeInfo>(new TBcEnumerationTypeInfo(info_->BaseType));
    }
    std::string QueryNameOf(int index) const override
    {
        const TTypeInfo* base = info_->BaseType ? info_->BaseType : info_;
        if (index < 0 || static_cast<size_t>(index) >= base->NameList.size())
            return {};
        return base->NameList[static_cast<size_t>(index)];
    }
    std::string QueryUnitName() const override { return info_->UnitName; }
    int IndexOfIdent(std::string_view name) const override
    {
        for (int64_t v = QueryMaxValue(); v >= QueryMinValue(); --v)
            if (SameIdent(classlib::GetEnumName(info_, v), name))
                return static_cast<int>(v);
        return -1;
    }

    void DescribeTo(IBcDumpWriter& w) override
    {
        OrdinalRangeImpl::DescribeTo(w);
        w.WriteLine("Unit name: " + QueryUnitName());
        w.WriteText("Names: ");
        for (int64_t v = QueryMinValue(); v <= QueryMaxValue(); ++v)
            w.WriteText((v == QueryMinValue() ? "(" : ", ") + classlib::GetEnumName(info_, v));
        w.WriteLine(")");
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const bool anonymous = IsAnonymous(info_->Name);
        if (!anonymous)
            w.WriteText(info_->Name + " = ");
        if (!info_->BaseType || info_->BaseType == info_) {
            std::string names;
            for (int64_t v = QueryMinValue(); v <= QueryMaxValue(); ++v)
                names += (v == QueryMinValue() ? "" : ", ") + classlib::GetEnumName(info_, v);
            w.WriteText("(" + names + ")");
        } else {
            w.WriteText(classlib::GetEnumName(info_, QueryMinValue()) + " .. " +
                        classlib::GetEnumName(info_, QueryMaxValue()));
        }
        if (!anonymous)
            w.WriteLine("; // " + OrdTypeName(QueryOrdinalType()));
    }
};

// Bounds of a set's element type, checked to be a set type at all (ordinals 0 to 255).
struct SetBounds {
    int64_t min;
    int64_t max;
    int64_t firstBit; // bit of the storage that holds element `min`
    size_t bytes;     // size of the storage
};

SetBounds BoundsOf(const TTypeInfo* element)
{
    if (!element || element->MinValue < 0 || element->MaxValue > 255 ||
        element->MinValue > element->MaxValue)
        throw EBcRTTIError(
            Format("Invalid set element type %s", {element ? element->Name : std::string("nil")}));
    const int64_t firstBit = element->MinValue % 8;
    return {element->MinValue, element->MaxValue, firstBit,
            static_cast<size_t>((firstBit + element->MaxValue - element->MinValue) / 8 + 1)};
}

class TBcSetTypeInfo final : public OrdinalImpl<IBcSetKindInfo> {
public:
    using OrdinalImpl::OrdinalImpl;

    TInterfacePtr<IBcOrdinalTypeInfo> QuerySetBaseType() const override
    {
        return WrapTypeInfo(info_->CompType).Query<IBcOrdinalTypeInfo>();
    }

    void ElementsToList(const void* value, bool wantRanges,
                        classlib::TStrings& strings) const override
    {
        const TTypeInfo* element = info_->CompType;
        const SetBounds b = BoundsOf(element);
        const auto* bytes = static_cast<const uint8_t*>(value);
        auto isSet = [&](int64_t bit) { return (bytes[bit / 8] >> (bit % 8)) & 1; };
        auto text = [&](int64_t ordinal) {
            return element->Kind == classlib::tkEnumeration
                       ? classlib::GetEnumName(element, ordinal)
                       : classlib::IntToStr(ordinal);
        };
        const int64_t lastBit = b.max - b.min + b.firstBit;
        strings.BeginUpdate();
        try {
            for (int64_t bit = b.firstBit; bit <= lastBit; ++bit) {
                if (!isSet(bit))
                    continue;
                const int64_t startBit = bit;
                while (bit + 1 <= lastBit && isSet(bit + 1))
                    ++bit;
                const int64_t first = startBit - b.firstBit + b.min;
                const int64_t last = bit - b.firstBit + b.min;
                if (wantRanges && last > first) {
                    strings.Add(text(first) + " .. " + text(last));
                } else {
                    for (int64_t e = first; e <= last; ++e)
                        strings.Add(text(e));
                }
            }
        } catch (...) {
            strings.EndUpdate();
            throw;
        }
        strings.EndUpdate();
    }

    void ListToElements(void* value, const classlib::TStrings& strings) const override
    {
        const TTypeInfo* element = info_->CompType;
        const SetBounds b = BoundsOf(element);
        auto* bytes = static_cast<uint8_t*>(value);
        std::memset(bytes, 0, b.bytes);
        TInterfacePtr<IBcEnumerationTypeInfo> names;
        if (element->Kind == classlib::tkEnumeration)
            names = WrapTypeInfo(element).Query<IBcEnumerationTypeInfo>();
        auto ordinalOf = [&](const std::string& ident) -> int64_t {
            if (!names)
                return classlib::StrToInt(ident);
            const int index = names->IndexOfIdent(ident);
            if (index < 0)
                throw EBcRTTIError(Format(texts::UnknownIdentifier, {ident}));
            return index;
        };
        for (int i = 0; i < strings.Count(); ++i) {
            const std::string line = classlib::Trim(strings[i]);
            if (line.empty())
                continue;
            const auto dots = line.find("..");
            const std::string firstIdent =
                dots == std::string::npos ? line : classlib::Trim(line.substr(0, dots));
            const std::string lastIdent =
                dots == std::string::npos ? line : classlib::Trim(line.substr(dots + 2));
            const int64_t first = ordinalOf(firstIdent);
            const int64_t last = ordinalOf(lastIdent);
            // Numbers outside the element type would land outside the set's storage.
            for (int64_t e : {first, last})
                if (last >= first && (e < b.min || e > b.max))
                    throw EBcRTTIError(
                        Format(texts::ValueOutOfRange,
                               {std::string(texts::OrdinalEquals) + classlib::IntToStr(e)}));
            for (int64_t e = first; e <= last; ++e) {
                const int64_t bit = e - b.min + b.firstBit;
                bytes[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
            }
        }
    }

    void DescribeTo(IBcDumpWriter& w) override
    {
        OrdinalImpl::DescribeTo(w);
        w.WriteLine("Based on: ");
        Indented(w, [&] { WrapTypeInfo(info_->CompType)->DescribeTo(w); });
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const bool anonymous = IsAnonymous(info_->Name);
        if (!anonymous)
            w.WriteText(info_->Name + " = set of ");
        const TTypeInfo* element = info_->CompType;
        if (!IsAnonymous(element->Name))
            w.WriteText(element->Name);
        else if (element->Kind == classlib::tkEnumeration)
            WrapTypeInfo(element)->DeclareTo(w);
        else
            w.WriteText(texts::Unknown);
        if (!anonymous)
            w.WriteLine("; // " + OrdTypeName(QueryOrdinalType()));
    }
};

class TBcFloatTypeInfo final : public TypeInfoImpl<IBcFloatKindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    classlib::TFloatType QueryFloatType() const override { return info_->FloatType; }
    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        w.WriteLine("Float type: " + FloatTypeName(QueryFloatType()));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        w.WriteLine(info_->Name + " = type " + FloatTypeName(QueryFloatType()).substr(2) + ";");
    }
};

class TBcStringTypeInfo final : public TypeInfoImpl<IBcStringKindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    uint8_t QueryMaxLength() const override { return info_->MaxLength; }
    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        w.WriteLine("Max length: " + classlib::IntToStr(QueryMaxLength()));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const bool anonymous = IsAnonymous(info_->Name);
        if (!anonymous)
            w.WriteText(info_->Name + " = ");
        w.WriteText("string[" + classlib::IntToStr(QueryMaxLength()) + "]");
        if (!anonymous)
            w.WriteLine(";");
    }
};

// The type information of interface flags, for the dumps' "[ifHasGuid]" texts.
const TTypeInfo& IntfFlagsType()
{
    static const TTypeInfo flag =
        classlib::MakeEnumInfo("TIntfFlag", {"ifHasGuid", "ifDispInterface", "ifDispatch"});
    static const TTypeInfo flags = classlib::MakeSetInfo("TIntfFlagsBase", &flag);
    return flags;
}

class TBcInterfaceTypeInfo final : public TypeInfoImpl<IBcInterfaceKindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    TInterfacePtr<IBcInterfaceKindInfo> QueryParentInterface() const override
    {
        if (!info_->IntfParent)
            return {};
        return TInterfacePtr<IBcInterfaceKindInfo>(new TBcInterfaceTypeInfo(info_->IntfParent));
    }
    uint8_t QueryIntfFlags() const override { return info_->IntfFlags; }
    TGUID QueryGUID() const override { return HasGuid() ? info_->Guid : TGUID{}; }
    int QueryIntfPropertyCount() const override { return info_->IntfPropertyCount; }
    std::string QueryIntfUnitName() const override { return info_->UnitName; }

    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        if (HasGuid())
            w.WriteLine("GUID: " + classlib::GUIDToString(QueryGUID()));
        const uint8_t flags = QueryIntfFlags();
        w.WriteLine("Flags: " + SetToText(&IntfFlagsType(), &flags, true));
        w.WriteLine("Unit name: " + QueryIntfUnitName());
        if (info_->IntfParent)
            w.WriteLine("Parent: " + info_->IntfParent->Name);
        w.WriteLine("Property count: " + classlib::IntToStr(QueryIntfPropertyCount()));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const bool dispinterface = (QueryIntfFlags() >> ifDispInterface) & 1;
        std::string head = info_->Name + " = " + (dispinterface ? "dispinterface" : "interface");
        if (info_->IntfParent && !dispinterface && !SameIdent(info_->IntfParent->Name, "IUnknown"))
            head += "(" + info_->IntfParent->Name + ")";
        w.WriteLine(head + " // unit " + QueryIntfUnitName());
        if (HasGuid())
            Indented(w, [&] { w.WriteLine("['" + classlib::GUIDToString(QueryGUID()) + "']"); });
        w.WriteLine("end;");
    }

private:
    bool HasGuid() const { return (info_->IntfFlags >> ifHasGuid) & 1; }
};

class TBcDynArrayTypeInfo final : public TypeInfoImpl<IBcDynArrayKindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    int32_t QueryElementSize() const override { return info_->ElementSize; }
    TInterfacePtr<IBcTypeInfo> QueryElementType() const override { return WrapTypeInfo(Element()); }
    bool QueryElementsNeedCleanup() const override { return info_->ElementCleanupType != nullptr; }
    int32_t QueryVarType() const override { return info_->VarType; }
    std::string QueryArrayUnitName() const override { return info_->UnitName; }

    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        w.WriteLine("Element size: " + classlib::IntToStr(QueryElementSize()));
        const TTypeInfo* element = Element();
        if (!element) {
            w.WriteLine("Element type: " + std::string(texts::Unknown));
        } else if (IsAnonymous(element->Name)) {
            w.WriteLine("Element type: ");
            Indented(w, [&] { WrapTypeInfo(element)->DescribeTo(w); });
        } else {
            w.WriteLine("Element type: " + element->Name);
        }
        w.WriteLine(std::string("Elements need clean up: ") +
                    (QueryElementsNeedCleanup() ? texts::True : texts::False));
        w.WriteLine("Variant type: " + classlib::IntToStr(QueryVarType()));
        w.WriteLine("Unit name: " + QueryArrayUnitName());
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const bool anonymous = IsAnonymous(info_->Name);
        if (!anonymous)
            w.WriteText(info_->Name + " = ");
        w.WriteText("array of ");
        const TTypeInfo* element = Element();
        if (!element)
            w.WriteText(texts::Unknown);
        else if (IsAnonymous(element->Name))
            WrapTypeInfo(element)->DeclareTo(w);
        else
            w.WriteText(element->Name);
        if (!anonymous)
            w.WriteLine("; // Unit " + QueryArrayUnitName());
    }

private:
    const TTypeInfo* Element() const
    {
        return info_->ElementCleanupType ? info_->ElementCleanupType : info_->ElementType;
    }
};

class TBcInt64TypeInfo final : public TypeInfoImpl<IBcInt64KindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    int64_t QueryMinValue64() const override { return info_->MinValue; }
    int64_t QueryMaxValue64() const override { return info_->MaxValue; }
    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        w.WriteLine("Min value: " + classlib::IntToStr(QueryMinValue64()));
        w.WriteLine("Max value: " + classlib::IntToStr(QueryMaxValue64()));
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        w.WriteLine(info_->Name + " = " + classlib::IntToStr(QueryMinValue64()) + " .. " +
                    classlib::IntToStr(QueryMaxValue64()) + ";");
    }
};

class TBcPropInfo final : public RefCounted<IBcPropertyInfo> {
public:
    explicit TBcPropInfo(const classlib::TPropInfo* prop) : prop_(prop) {}
    const classlib::TPropInfo* QueryPropInfo() const override { return prop_; }
    TInterfacePtr<IBcTypeInfo> QueryPropType() const override
    {
        return WrapTypeInfo(prop_->PropType);
    }
    classlib::TPropAccess QueryReader() const override { return prop_->Reader; }
    classlib::TPropAccess QueryWriter() const override { return prop_->Writer; }
    classlib::TPropAccess QueryStoredProc() const override { return prop_->StoredAccess; }
    int QueryIndex() const override { return prop_->Index; }
    int64_t QueryDefault() const override { return prop_->Default; }
    int QueryNameIndex() const override { return prop_->NameIndex; }
    std::string QueryPropName() const override { return prop_->Name; }
    classlib::TPropertyAccessKind QueryReaderKind() const override { return prop_->Reader.Kind; }
    classlib::TPropertyAccessKind QueryWriterKind() const override { return prop_->Writer.Kind; }
    classlib::TPropertyAccessKind QueryStoredKind() const override
    {
        return prop_->StoredAccess.Kind;
    }
    uintptr_t QueryReaderValue() const override { return prop_->Reader.Value; }
    uintptr_t QueryWriterValue() const override { return prop_->Writer.Value; }
    uintptr_t QueryStoredValue() const override { return prop_->StoredAccess.Value; }
    bool IsStoredFor(const classlib::TObject* instance) const override
    {
        return prop_->IsStored(instance);
    }
    bool HasDefaultValue() const override { return prop_->Default != classlib::NoDefault; }
    bool HasIndexValue() const override { return prop_->Index != classlib::NoIndex; }

private:
    const classlib::TPropInfo* prop_;
};

class TBcClassTypeInfo final : public TypeInfoImpl<IBcClassKindInfo> {
public:
    using TypeInfoImpl::TypeInfoImpl;
    const classlib::TMetaClass* QueryClassRef() const override { return info_->ClassType; }
    TInterfacePtr<IBcClassKindInfo> QueryParentClass() const override
    {
        const classlib::TMetaClass* parent = Class().ClassParent();
        if (!parent)
            return {};
        return TInterfacePtr<IBcClassKindInfo>(new TBcClassTypeInfo(parent->TypeInfo()));
    }
    int QueryTotalPropertyCount() const override
    {
        return static_cast<int>(Class().Properties().size());
    }
    int QueryOwnPropertyCount() const override
    {
        return static_cast<int>(Class().OwnProperties().size());
    }
    TInterfacePtr<IBcPropertyInfo> QueryPropertyAt(int index) const override
    {
        const auto& own = Class().OwnProperties();
        if (index < 0 || index >= QueryTotalPropertyCount())
            return {};
        if (static_cast<size_t>(index) < own.size())
            return TInterfacePtr<IBcPropertyInfo>(
                new TBcPropInfo(&own[static_cast<size_t>(index)]));
        return QueryParentClass()->QueryPropertyAt(index - static_cast<int>(own.size()));
    }
    TInterfacePtr<IBcPropertyInfo> QueryPropertyByName(std::string_view name) const override
    {
        const classlib::TPropInfo* prop = Class().FindProperty(name);
        return prop ? TInterfacePtr<IBcPropertyInfo>(new TBcPropInfo(prop))
                    : TInterfacePtr<IBcPropertyInfo>();
    }
    std::string QueryClassUnitName() const override { return info_->UnitName; }

    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        const classlib::TMetaClass* parent = Class().ClassParent();
        w.WriteLine("Class name: " + Class().ClassName());
        w.WriteLine("Parent: " + (parent ? parent->ClassName() : std::string()));
        w.WriteLine("Unit name: " + QueryClassUnitName());
        w.WriteLine("Property count: " + classlib::IntToStr(QueryOwnPropertyCount()) + " (" +
                    classlib::IntToStr(QueryTotalPropertyCount()) + ")");
        Indented(w, [&] {
            for (const auto& prop : Class().OwnProperties()) {
                w.WriteLine(prop.Name + ": " + TypeName(prop));
                Indented(w, [&] {
                    if (prop.Index != classlib::NoIndex)
                        w.WriteLine(Format("[%s %d]", {texts::Index, prop.Index}));
                    if (prop.Default != classlib::NoDefault)
                        w.WriteLine(Format("[%s %d]", {texts::Default, prop.Default}));
                    for (const auto& [word, access] :
                         {std::pair{texts::Read, prop.Reader}, {texts::Write, prop.Writer}})
                        if (access.Kind != classlib::pakNone)
                            w.WriteLine(Format("[%s %s $%p]", {word, AccessText(access.Kind),
                                                               AccessPointer(access)}));
                    if (prop.StoredAccess.Kind == classlib::pakConstant)
                        w.WriteLine(
                            Format("[%s=%s]", {texts::Stored, ConstantText(prop.StoredAccess)}));
                    else if (prop.StoredAccess.Kind != classlib::pakNone)
                        w.WriteLine(Format("[%s=%s $%p]",
                                           {texts::Stored, AccessText(prop.StoredAccess.Kind),
                                            AccessPointer(prop.StoredAccess)}));
                });
            }
        });
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        const classlib::TMetaClass* parent = Class().ClassParent();
        if (parent && !SameIdent(parent->ClassName(), "TObject"))
            w.WriteLine(info_->Name + " = class(" + parent->ClassName() + ") // unit " +
                        QueryClassUnitName());
        else
            w.WriteLine(info_->Name + " = class // unit " + QueryClassUnitName());
        if (!Class().OwnProperties().empty()) {
            w.WriteLine("published");
            Indented(w, [&] {
                for (const auto& prop : Class().OwnProperties()) {
                    std::string line = "property " + prop.Name + ": " + TypeName(prop);
                    if (prop.Index != classlib::NoIndex)
                        line += Format(" %s %d", {texts::Index, prop.Index});
                    for (const auto& [word, access] :
                         {std::pair{texts::Read, prop.Reader}, {texts::Write, prop.Writer}})
                        if (access.Kind != classlib::pakNone)
                            line += Format(" %s [%s $%p]",
                                           {word, AccessText(access.Kind), AccessPointer(access)});
                    if (prop.StoredAccess.Kind == classlib::pakConstant)
                        line +=
                            Format(" %s = %s", {texts::Stored, ConstantText(prop.StoredAccess)});
                    else if (prop.StoredAccess.Kind != classlib::pakNone)
                        line += Format(" %s = [%s $%p]",
                                       {texts::Stored, AccessText(prop.StoredAccess.Kind),
                                        AccessPointer(prop.StoredAccess)});
                    if (prop.Default != classlib::NoDefault)
                        line += Format(" %s %d", {texts::Default, prop.Default});
                    w.WriteLine(line + ";");
                }
            });
        }
        w.WriteLine("end;");
    }

private:
    const classlib::TMetaClass& Class() const { return *info_->ClassType; }
    static const char* AccessText(classlib::TPropertyAccessKind kind)
    {
        switch (kind) {
            case classlib::pakStaticMethod:
                return texts::StaticMethod;
            case classlib::pakVirtualMethod:
                return texts::VirtualMethod;
            case classlib::pakField:
                return texts::Field;
            default:
                return "";
        }
    }
    static const void* AccessPointer(const classlib::TPropAccess& access)
    {
        return reinterpret_cast<const void*>(access.Value);
    }
    static const char* ConstantText(const classlib::TPropAccess& access)
    {
        return access.Value != 0 ? texts::True : texts::False;
    }
    static std::string TypeName(const classlib::TPropInfo& prop)
    {
        return prop.PropType ? prop.PropType->Name : std::string();
    }
};

// The type information of parameter flags, for the dumps' "[pfVar]" texts.
const TTypeInfo& ParamFlagsType()
{
    static const TTypeInfo flag = classlib::MakeEnumInfo(
        "TParamFlag", {"pfVar", "pfConst", "pfArray", "pfAddress", "pfReference", "pfOut"});
    static const TTypeInfo flags = classlib::MakeSetInfo("TParamFlags", &flag);
    return flags;
}

struct ParameterRecord {
    uint8_t flags = 0;
    std::string name;
    std::string typeName;
};

// The class library describes a handler's parameters as source text ("Sender: TObject;
// var Done: Boolean"); each name becomes one parameter record.
std::vector<ParameterRecord> ParseParameters(const std::string& text)
{
    classlib::TStringList groups;
    SplitToList(text, ";", groups, false);
    std::vector<ParameterRecord> records;
    for (int g = 0; g < groups.Count(); ++g) {
        std::string group = classlib::Trim(groups[g]);
        uint8_t flags = 0;
        for (const auto& [word, flag] : {std::pair<const char*, TParamFlag>{"var ", pfVar},
                                         {"const ", pfConst},
                                         {"out ", pfOut}}) {
            if (UpperCaseCopy(group).starts_with(UpperCaseCopy(word))) {
                flags |= static_cast<uint8_t>(1u << flag);
                group = classlib::Trim(group.substr(std::string_view(word).size()));
            }
        }
        const auto colon = group.find(':');
        std::string typeName =
            colon == std::string::npos ? std::string() : classlib::Trim(group.substr(colon + 1));
        if (UpperCaseCopy(typeName).starts_with("ARRAY OF ")) {
            flags |= 1u << pfArray;
            typeName = classlib::Trim(typeName.substr(9));
            if (SameIdent(typeName, "const"))
                typeName = "TVarRec";
        }
        classlib::TStringList names;
        SplitToList(group.substr(0, colon), ",", names, false);
        for (int n = 0; n < names.Count(); ++n)
            records.push_back({flags, classlib::Trim(names[n]), typeName});
    }
    return records;
}

class TBcEventParamInfo final : public RefCounted<IBcEventParameterInfo> {
public:
    explicit TBcEventParamInfo(ParameterRecord record) : record_(std::move(record)) {}
    uint8_t QueryParamFlags() const override { return record_.flags; }
    std::string QueryParamName() const override { return record_.name; }
    int QueryRecordSize() const override
    {
        return static_cast<int>(record_.name.size() + record_.typeName.size() + 3);
    }
    std::string QueryParamTypeName() const override { return record_.typeName; }

private:
    ParameterRecord record_;
};

class TBcEventTypeInfo final : public TypeInfoImpl<IBcEventKindInfo> {
public:
    explicit TBcEventTypeInfo(const TTypeInfo* info)
        : TypeInfoImpl(info), params_(ParseParameters(info->ParamText))
    {
    }
    classlib::TMethodKind QueryMethodKind() const override { return info_->MethodKind; }
    int QueryParameterCount() const override { return static_cast<int>(params_.size()); }
    TInterfacePtr<IBcEventParameterInfo> QueryParameterAt(int index) const override
    {
        if (index < 0 || index >= QueryParameterCount())
            return {};
        return TInterfacePtr<IBcEventParameterInfo>(
            new TBcEventParamInfo(params_[static_cast<size_t>(index)]));
    }
    // The class library records no result type name.
    std::string QueryResultTypeName() const override { return {}; }

    void DescribeTo(IBcDumpWriter& w) override
    {
        TypeInfoImpl::DescribeTo(w);
        w.WriteLine("Method kind: " + MethodKindName(QueryMethodKind()));
        w.WriteLine("Parameter count: " + classlib::IntToStr(QueryParameterCount()));
        Indented(w, [&] {
            for (size_t i = 0; i < params_.size(); ++i) {
                if (i > 0)
                    w.WriteLine();
                w.WriteLine("Name: " + params_[i].name);
                w.WriteLine("Type: " + params_[i].typeName);
                const uint8_t flags = params_[i].flags;
                w.WriteLine("Flags: " + SetToText(&ParamFlagsType(), &flags, true));
            }
        });
        if (QueryMethodKind() == classlib::mkFunction)
            w.WriteLine("Return type: " + QueryResultTypeName());
    }
    void DeclareTo(IBcDumpWriter& w) override
    {
        std::string text = info_->Name + " = " +
                           (QueryMethodKind() == classlib::mkFunction ? "function" : "procedure");
        for (size_t i = 0; i < params_.size(); ++i) {
            const auto& p = params_[i];
            text += i == 0 ? "(" : "; ";
            if (p.flags & (1u << pfVar))
                text += "var ";
            else if (p.flags & (1u << pfConst))
                text += "const ";
            else if (p.flags & (1u << pfOut))
                text += "out ";
            text += p.name;
            if (!p.typeName.empty()) {
                text += ": ";
                if (p.flags & (1u << pfArray))
                    text += "array of " +
                            std::string(SameIdent(p.typeName, "TVarRec") ? "const" : p.typeName);
                else
                    text += p.typeName;
            }
        }
        if (!params_.empty())
            text += ")";
        if (QueryMethodKind() == classlib::mkFunction)
            text += ": " + QueryResultTypeName();
        w.WriteLine(text + " of object;");
    }

private:
    std::vector<ParameterRecord> params_;
};

} // namespace

std::string TypeKindName(TTypeKind kind)
{
    return NameFromTable(TypeKindNames, kind);
}

std::string OrdTypeName(TOrdType type)
{
    return NameFromTable(OrdTypeNames, type);
}

std::string FloatTypeName(classlib::TFloatType type)
{
    return NameFromTable(FloatTypeNames, type);
}

std::string MethodKindName(classlib::TMethodKind kind)
{
    return NameFromTable(MethodKindNames, kind);
}

TInterfacePtr<IBcTypeInfo> WrapTypeInfo(const TTypeInfo* typeInfo)
{
    if (!typeInfo)
        return {};
    switch (typeInfo->Kind) {
        case classlib::tkInteger:
        case classlib::tkChar:
        case classlib::tkWChar:
            return TInterfacePtr<IBcTypeInfo>(new TBcOrdinalRangeTypeInfo(typeInfo));
        case classlib::tkEnumeration:
            return TInterfacePtr<IBcTypeInfo>(new TBcEnumerationTypeInfo(typeInfo));
        case classlib::tkSet:
            return TInterfacePtr<IBcTypeInfo>(new TBcSetTypeInfo(typeInfo));
        case classlib::tkFloat:
            return TInterfacePtr<IBcTypeInfo>(new TBcFloatTypeInfo(typeInfo));
        case classlib::tkClass:
            return TInterfacePtr<IBcTypeInfo>(new TBcClassTypeInfo(typeInfo));
        case classlib::tkMethod:
            return TInterfacePtr<IBcTypeInfo>(new TBcEventTypeInfo(typeInfo));
        case classlib::tkInt64:
            return TInterfacePtr<IBcTypeInfo>(new TBcInt64TypeInfo(typeInfo));
        case classlib::tkString:
            return TInterfacePtr<IBcTypeInfo>(new TBcStringTypeInfo(typeInfo));
        case classlib::tkInterface:
            return TInterfacePtr<IBcTypeInfo>(new TBcInterfaceTypeInfo(typeInfo));
        case classlib::tkDynArray:
            return TInterfacePtr<IBcTypeInfo>(new TBcDynArrayTypeInfo(typeInfo));
        default:
            return TInterfacePtr<IBcTypeInfo>(new TBcTypeInfo(typeInfo));
    }
}

std::string SetToElementList(const TTypeInfo* setType, const void* value, bool wantBrackets,
                             bool wantRanges, classlib::TStrings& strings)
{
    const int firstNew = strings.Count();
    const auto set = WrapTypeInfo(setType).Query<IBcSetKindInfo>();
    if (!set)
        throw EBcRTTIError(
            Format("Invalid set type %s", {setType ? setType->Name : std::string("nil")}));
    set->ElementsToList(value, wantRanges, strings);
    std::string result;
    for (int i = firstNew; i < strings.Count(); ++i)
        result += (i == firstNew ? "" : ", ") + strings[i];
    return wantBrackets ? "[" + result + "]" : result;
}

std::string SetToText(const TTypeInfo* setType, const void* value, bool wantBrackets,
                      bool wantRanges)
{
    classlib::TStringList strings;
    return SetToElementList(setType, value, wantBrackets, wantRanges, strings);
}

void TextToSet(const TTypeInfo* setType, void* value, std::string_view text)
{
    classlib::TStringList items;
    SplitToList(text, ",", items, true);
    if (items.Count() > 0 && items[0].starts_with("[")) {
        items.Put(0, items[0].substr(1));
        const int last = items.Count() - 1;
        const std::string lastItem = items[last];
        items.Put(last, lastItem.empty() ? lastItem : lastItem.substr(0, lastItem.size() - 1));
    }
    const auto set = WrapTypeInfo(setType).Query<IBcSetKindInfo>();
    if (!set)
        throw EBcRTTIError(
            Format("Invalid set type %s", {setType ? setType->Name : std::string("nil")}));
    set->ListToElements(value, items);
}

namespace {

const TTypeInfo* SetElementType(const TTypeInfo* setType)
{
    if (!setType || setType->Kind != classlib::tkSet)
        throw EBcRTTIError(
            Format("Invalid set type %s", {setType ? setType->Name : std::string("nil")}));
    return setType->CompType;
}

} // namespace

size_t SetStorageSize(const TTypeInfo* setType)
{
    return BoundsOf(SetElementType(setType)).bytes;
}

std::vector<uint8_t> SetStorageFromBits(const TTypeInfo* setType, uint32_t bits)
{
    const SetBounds b = BoundsOf(SetElementType(setType));
    std::vector<uint8_t> storage(b.bytes, 0);
    for (int64_t e = b.min; e <= b.max && e < 32; ++e)
        if ((bits >> e) & 1) {
            const int64_t bit = e - b.min + b.firstBit;
            storage[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(1u << (bit % 8));
        }
    return storage;
}

uint32_t SetBitsFromStorage(const TTypeInfo* setType, const void* storage)
{
    const SetBounds b = BoundsOf(SetElementType(setType));
    const auto* bytes = static_cast<const uint8_t*>(storage);
    uint32_t bits = 0;
    for (int64_t e = b.min; e <= b.max; ++e) {
        const int64_t bit = e - b.min + b.firstBit;
        if (!((bytes[bit / 8] >> (bit % 8)) & 1))
            continue;
        if (e >= 32)
            throw EBcRTTIError(Format(texts::ValueOutOfRange,
                                      {std::string(texts::OrdinalEquals) + classlib::IntToStr(e)}));
        bits |= uint32_t{1} << e;
    }
    return bits;
}

std::string EnumValueToIdentText(const TTypeInfo* ordinalType, const void* value)
{
    int64_t v = 0;
    switch (ordinalType->OrdType) {
        case classlib::otSByte: {
            int8_t x;
            std::memcpy(&x, value, 1);
            v = x;
            break;
        }
        case classlib::otUByte: {
            uint8_t x;
            std::memcpy(&x, value, 1);
            v = x;
            break;
        }
        case classlib::otSWord: {
            int16_t x;
            std::memcpy(&x, value, 2);
            v = x;
            break;
        }
        case classlib::otUWord: {
            uint16_t x;
            std::memcpy(&x, value, 2);
            v = x;
            break;
        }
        case classlib::otSLong: {
            int32_t x;
            std::memcpy(&x, value, 4);
            v = x;
            break;
        }
        case classlib::otULong: {
            uint32_t x;
            std::memcpy(&x, value, 4);
            v = x;
            break;
        }
    }
    // The bounds as the type states them (unsigned for 32-bit unsigned types), so that a
    // Cardinal's upper half is not taken for negative numbers.
    if (v < ordinalType->MinValue || v > ordinalType->MaxValue)
        return Format(texts::ValueOutOfRange,
                      {std::string(texts::OrdinalEquals) + classlib::IntToStr(v)});
    return classlib::GetEnumName(ordinalType, v);
}

// ---- type cache -------------------------------------------------------------------------------

namespace {

std::unique_ptr<TBcTypeCache> ProcessTypeCache;

// The record a cached record depends on: a set's element type, a subrange's enumeration.
const TTypeInfo* DependencyOf(const TTypeInfo* info)
{
    if (info->Kind == classlib::tkSet)
        return info->CompType;
    if (info->Kind == classlib::tkEnumeration && info->BaseType != info)
        return info->BaseType;
    return nullptr;
}

} // namespace

void TBcTypeCache::AddReference(TTypeInfo* info)
{
    std::lock_guard<std::mutex> guard(lock_);
    for (auto& entry : entries_)
        if (entry.first == info) {
            ++entry.second;
            return;
        }
    entries_.emplace_back(info, 1);
}

void TBcTypeCache::Release(const TTypeInfo* info)
{
    std::lock_guard<std::mutex> guard(lock_);
    ReleaseLocked(info);
}

void TBcTypeCache::ReleaseLocked(const TTypeInfo* info)
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].first != info)
            continue;
        if (--entries_[i].second > 0)
            return;
        TTypeInfo* record = entries_[i].first;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        if (const TTypeInfo* dependency = DependencyOf(record))
            ReleaseLocked(dependency);
        delete record;
        return;
    }
}

void TBcTypeCache::ReleaseAll()
{
    std::lock_guard<std::mutex> guard(lock_);
    while (!entries_.empty())
        ReleaseLocked(entries_.back().first);
}

int TBcTypeCache::Count() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(entries_.size());
}

int32_t TBcTypeCache::ReferenceCount(const TTypeInfo* info) const
{
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& entry : entries_)
        if (entry.first == info)
            return entry.second;
    return 0;
}

TBcTypeCache* TypeCache()
{
    return ProcessTypeCache.get();
}

void StartTypeCache()
{
    ProcessTypeCache = std::make_unique<TBcTypeCache>();
}

void StopTypeCache()
{
    ProcessTypeCache.reset();
}

} // namespace bcl
