#include "BcRTTI.h"

#include "BcErrors.h"
#include "BcResourceTexts.h"
#include "BcStrings.h"
#include "core/StringList.h"
#include "core/SysUtils.h"

#include <atomic>
#include <cstring>

namespace bcl {

using classlib::Format;
using classlib::TOrdType;
using classlib::TTypeKind;

namespace {

constexpr const char* TypeKindNames[] = {
    "tkUnknown", "tkInteger", "tkChar", "tkEnumeration", "tkFloat", "tkString", "tkSet",
    "tkClass", "tkMethod", "tkWChar", "tkLString", "tkWString", "tkVariant", "tkArray",
    "tkRecord", "tkInterface", "tkInt64", "tkDynArray",
};
constexpr const char* OrdTypeNames[] = {"otSByte", "otUByte", "otSWord", "otUWord", "otSLong", "otULong"};

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

// Reference counting, identity and the base lines shared by every wrapper; I is the
// interface of the wrapper's kind.
template <class I>
class TypeInfoImpl : public I {
public:
    explicit TypeInfoImpl(const TTypeInfo* info) : info_(info) {}
    virtual ~TypeInfoImpl() = default;

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
    std::atomic<int> refCount_{0};
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
            w.WriteText(classlib::GetEnumName(info_, QueryMinValue()) + " .. "
                        + classlib::GetEnumName(info_, QueryMaxValue()));
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
    if (!element || element->MinValue < 0 || element->MaxValue > 255 || element->MinValue > element->MaxValue)
        throw EBcRTTIError(Format("Invalid set element type %s", {element ? element->Name : std::string("nil")}));
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

    void ElementsToList(const void* value, bool wantRanges, classlib::TStrings& strings) const override
    {
        const TTypeInfo* element = info_->CompType;
        const SetBounds b = BoundsOf(element);
        const auto* bytes = static_cast<const uint8_t*>(value);
        auto isSet = [&](int64_t bit) { return (bytes[bit / 8] >> (bit % 8)) & 1; };
        auto text = [&](int64_t ordinal) {
            return element->Kind == classlib::tkEnumeration ? classlib::GetEnumName(element, ordinal)
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
            const std::string firstIdent = dots == std::string::npos ? line : classlib::Trim(line.substr(0, dots));
            const std::string lastIdent = dots == std::string::npos ? line : classlib::Trim(line.substr(dots + 2));
            const int64_t first = ordinalOf(firstIdent);
            const int64_t last = ordinalOf(lastIdent);
            // Numbers outside the element type would land outside the set's storage.
            for (int64_t e : {first, last})
                if (last >= first && (e < b.min || e > b.max))
                    throw EBcRTTIError(Format(texts::ValueOutOfRange,
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
        w.IndentMore();
        try {
            WrapTypeInfo(info_->CompType)->DescribeTo(w);
        } catch (...) {
            w.IndentLess();
            throw;
        }
        w.IndentLess();
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
            w.WriteText("???");
        if (!anonymous)
            w.WriteLine("; // " + OrdTypeName(QueryOrdinalType()));
    }
};

} // namespace

std::string TypeKindName(TTypeKind kind)
{
    const auto index = static_cast<size_t>(kind);
    return index < std::size(TypeKindNames) ? TypeKindNames[index] : classlib::IntToStr(kind);
}

std::string OrdTypeName(TOrdType type)
{
    const auto index = static_cast<size_t>(type);
    return index < std::size(OrdTypeNames) ? OrdTypeNames[index] : classlib::IntToStr(type);
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
        throw EBcRTTIError(Format("Invalid set type %s", {setType ? setType->Name : std::string("nil")}));
    set->ElementsToList(value, wantRanges, strings);
    std::string result;
    for (int i = firstNew; i < strings.Count(); ++i)
        result += (i == firstNew ? "" : ", ") + strings[i];
    return wantBrackets ? "[" + result + "]" : result;
}

std::string SetToText(const TTypeInfo* setType, const void* value, bool wantBrackets, bool wantRanges)
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
        throw EBcRTTIError(Format("Invalid set type %s", {setType ? setType->Name : std::string("nil")}));
    set->ListToElements(value, items);
}

std::string EnumValueToIdentText(const TTypeInfo* ordinalType, const void* value)
{
    int64_t v = 0;
    switch (ordinalType->OrdType) {
    case classlib::otSByte: { int8_t x; std::memcpy(&x, value, 1); v = x; break; }
    case classlib::otUByte: { uint8_t x; std::memcpy(&x, value, 1); v = x; break; }
    case classlib::otSWord: { int16_t x; std::memcpy(&x, value, 2); v = x; break; }
    case classlib::otUWord: { uint16_t x; std::memcpy(&x, value, 2); v = x; break; }
    case classlib::otSLong: { int32_t x; std::memcpy(&x, value, 4); v = x; break; }
    case classlib::otULong: { uint32_t x; std::memcpy(&x, value, 4); v = x; break; }
    }
    // The bounds as the type states them (unsigned for 32-bit unsigned types), so that a
    // Cardinal's upper half is not taken for negative numbers.
    if (v < ordinalType->MinValue || v > ordinalType->MaxValue)
        return Format(texts::ValueOutOfRange, {std::string(texts::OrdinalEquals) + classlib::IntToStr(v)});
    return classlib::GetEnumName(ordinalType, v);
}

} // namespace bcl
