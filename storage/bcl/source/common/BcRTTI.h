#pragma once
// Type-information wrappers over the class library's reflection, and the set and
// enumeration text conversions built on them. A wrapper is a reference-counted object that
// implements the interface of its type's kind and those of the kind's ancestors; callers
// reach a kind's interface by querying its GUID.
//
// Set storage: a set whose element type has the bounds Min..Max (ordinals 0 to 255) occupies
// the bytes Min div 8 .. Max div 8; element e is bit (e - Min + Min mod 8) of that storage.
// For element types starting below 8 (every enumeration) element e is bit e, as TSet stores
// it.
#include "core/Object.h"
#include "core/TypeInfo.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace classlib {
class TStrings;
}

namespace bcl {

using classlib::TGUID;
using classlib::TInterfacePtr;
using classlib::TTypeInfo;

// Output of the text dumps; how indentation shows is the writer's business.
class IBcDumpWriter {
public:
    virtual ~IBcDumpWriter() = default;
    virtual void WriteText(const std::string& text) = 0;      // no line end
    virtual void WriteLine(const std::string& text = {}) = 0; // text, then the line end
    virtual void IndentMore() = 0;
    virtual void IndentLess() = 0;
};

class IBcBaseInfo : public classlib::IInterface {
public:
    // One labelled fact per line, and the declaration in source form.
    virtual void DescribeTo(IBcDumpWriter& writer) = 0;
    virtual void DeclareTo(IBcDumpWriter& writer) = 0;
};

class IBcTypeInfo : public IBcBaseInfo {
public:
    static constexpr TGUID IID = TGUID::FromText("{7DAD5220-46EA-11D5-B0C0-4854E825F345}");
    virtual std::string QueryName() const = 0;
    virtual const TTypeInfo* QueryTypeData() const = 0;
    virtual const TTypeInfo* QueryTypeInfo() const = 0;
    virtual classlib::TTypeKind QueryTypeKind() const = 0;
};

class IBcOrdinalTypeInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5221-46EA-11D5-B0C0-4854E825F345}");
    virtual classlib::TOrdType QueryOrdinalType() const = 0;
};

class IBcOrdinalRangeTypeInfo : public IBcOrdinalTypeInfo {
public:
    using Parent = IBcOrdinalTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5222-46EA-11D5-B0C0-4854E825F345}");
    virtual int64_t QueryMinValue() const = 0;
    virtual int64_t QueryMaxValue() const = 0;
};

class IBcEnumerationTypeInfo : public IBcOrdinalRangeTypeInfo {
public:
    using Parent = IBcOrdinalRangeTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5223-46EA-11D5-B0C0-4854E825F345}");
    // Itself when the type is its own base, else a wrapper of the base type.
    virtual TInterfacePtr<IBcEnumerationTypeInfo> QueryBaseType() = 0;
    // Name number `index` (from 0) of the base type's names.
    virtual std::string QueryNameOf(int index) const = 0;
    virtual std::string QueryUnitName() const = 0;
    // The highest ordinal of the type whose name equals `name` ignoring case, or -1.
    virtual int IndexOfIdent(std::string_view name) const = 0;
};

class IBcSetKindInfo : public IBcOrdinalTypeInfo {
public:
    using Parent = IBcOrdinalTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5224-46EA-11D5-B0C0-4854E825F345}");
    virtual TInterfacePtr<IBcOrdinalTypeInfo> QuerySetBaseType() const = 0;
    // Appends one line per element (or per range of elements with `wantRanges`).
    virtual void ElementsToList(const void* value, bool wantRanges,
                                classlib::TStrings& strings) const = 0;
    // Clears the set, then sets the elements the lines name (names or numbers, "a .. b"
    // ranges). Raises EBcRTTIError for an unknown name or an element outside the type.
    virtual void ListToElements(void* value, const classlib::TStrings& strings) const = 0;
};

class IBcFloatKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5225-46EA-11D5-B0C0-4854E825F345}");
    virtual classlib::TFloatType QueryFloatType() const = 0;
};

// One published property, with its read, write and stored specifiers: each an access kind
// (field, method called directly or through the method table, constant) and its value (field
// offset, code address, method-table offset, or the constant 0 or 1).
class IBcPropertyInfo : public classlib::IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{7DAD5227-46EA-11D5-B0C0-4854E825F345}");
    virtual const classlib::TPropInfo* QueryPropInfo() const = 0;
    virtual TInterfacePtr<IBcTypeInfo> QueryPropType() const = 0;
    virtual classlib::TPropAccess QueryReader() const = 0;
    virtual classlib::TPropAccess QueryWriter() const = 0;
    virtual classlib::TPropAccess QueryStoredProc() const = 0;
    virtual int QueryIndex() const = 0;
    virtual int64_t QueryDefault() const = 0;
    virtual int QueryNameIndex() const = 0;
    virtual std::string QueryPropName() const = 0;
    virtual classlib::TPropertyAccessKind QueryReaderKind() const = 0;
    virtual classlib::TPropertyAccessKind QueryWriterKind() const = 0;
    virtual classlib::TPropertyAccessKind QueryStoredKind() const = 0;
    virtual uintptr_t QueryReaderValue() const = 0;
    virtual uintptr_t QueryWriterValue() const = 0;
    virtual uintptr_t QueryStoredValue() const = 0;
    virtual bool IsStoredFor(const classlib::TObject* instance) const = 0;
    virtual bool HasDefaultValue() const = 0;
    virtual bool HasIndexValue() const = 0;
};

class IBcClassKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5228-46EA-11D5-B0C0-4854E825F345}");
    virtual const classlib::TMetaClass* QueryClassRef() const = 0;
    // Empty when the class has no parent.
    virtual TInterfacePtr<IBcClassKindInfo> QueryParentClass() const = 0;
    virtual int QueryTotalPropertyCount() const = 0;
    virtual int QueryOwnPropertyCount() const = 0;
    // The class's own properties first, then its parent's (index below the total count).
    virtual TInterfacePtr<IBcPropertyInfo> QueryPropertyAt(int index) const = 0;
    virtual TInterfacePtr<IBcPropertyInfo> QueryPropertyByName(std::string_view name) const = 0;
    virtual std::string QueryClassUnitName() const = 0;
};

// Parameter flags of a method pointer's parameter, as bits of TParamFlag.
enum TParamFlag : uint8_t { pfVar, pfConst, pfArray, pfAddress, pfReference, pfOut };

class IBcEventParameterInfo : public classlib::IInterface {
public:
    static constexpr TGUID IID = TGUID::FromText("{7DAD5229-46EA-11D5-B0C0-4854E825F345}");
    virtual uint8_t QueryParamFlags() const = 0; // bits of TParamFlag
    virtual std::string QueryParamName() const = 0;
    virtual int QueryRecordSize() const = 0; // name length + type-name length + 3
    virtual std::string QueryParamTypeName() const = 0;
};

class IBcEventKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD522A-46EA-11D5-B0C0-4854E825F345}");
    virtual classlib::TMethodKind QueryMethodKind() const = 0;
    virtual int QueryParameterCount() const = 0;
    virtual TInterfacePtr<IBcEventParameterInfo> QueryParameterAt(int index) const = 0;
    virtual std::string QueryResultTypeName() const = 0;
};

class IBcStringKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD5226-46EA-11D5-B0C0-4854E825F345}");
    virtual uint8_t QueryMaxLength() const = 0; // of a short string
};

// Flags of an interface type, as bits of TIntfFlag.
enum TIntfFlag : uint8_t { ifHasGuid, ifDispInterface, ifDispatch };

class IBcInterfaceKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD522B-46EA-11D5-B0C0-4854E825F345}");
    // Empty when the interface has no parent.
    virtual TInterfacePtr<IBcInterfaceKindInfo> QueryParentInterface() const = 0;
    virtual uint8_t QueryIntfFlags() const = 0;
    // The null GUID unless the flags have ifHasGuid.
    virtual TGUID QueryGUID() const = 0;
    virtual int QueryIntfPropertyCount() const = 0;
    virtual std::string QueryIntfUnitName() const = 0;
};

class IBcDynArrayKindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD522E-46EA-11D5-B0C0-4854E825F345}");
    virtual int32_t QueryElementSize() const = 0;
    // The element type that needs clean-up, else the plain element type; empty when none.
    virtual TInterfacePtr<IBcTypeInfo> QueryElementType() const = 0;
    virtual bool QueryElementsNeedCleanup() const = 0;
    virtual int32_t QueryVarType() const = 0;
    virtual std::string QueryArrayUnitName() const = 0;
};

class IBcInt64KindInfo : public IBcTypeInfo {
public:
    using Parent = IBcTypeInfo;
    static constexpr TGUID IID = TGUID::FromText("{7DAD522C-46EA-11D5-B0C0-4854E825F345}");
    virtual int64_t QueryMinValue64() const = 0;
    virtual int64_t QueryMaxValue64() const = 0;
};

// A new wrapper of the interface that fits the type's kind.
TInterfacePtr<IBcTypeInfo> WrapTypeInfo(const TTypeInfo* typeInfo);

// The set's elements joined by ", ", bracketed with `wantBrackets`; the lines are also
// appended to `strings`.
std::string SetToElementList(const TTypeInfo* setType, const void* value, bool wantBrackets,
                             bool wantRanges, classlib::TStrings& strings);
std::string SetToText(const TTypeInfo* setType, const void* value, bool wantBrackets = false,
                      bool wantRanges = false);
// Reads "[a, b]", "a,b", "a .. c", "[]" into the set's storage.
void TextToSet(const TTypeInfo* setType, void* value, std::string_view text);

// A set value as the class library keeps it (element e at bit e, elements 0 to 31) and the set's
// storage that the routines above read and write (from byte Min div 8, element e at bit
// e - Min + Min mod 8): the one conversion between the two. The storage holds
// `SetStorageSize` bytes; a set element above 31 has no bit in the class library's value and
// raises `EBcRTTIError`.
size_t SetStorageSize(const TTypeInfo* setType);
std::vector<uint8_t> SetStorageFromBits(const TTypeInfo* setType, uint32_t bits);
uint32_t SetBitsFromStorage(const TTypeInfo* setType, const void* storage);
// The identifier of the ordinal variable at `value` (read by the type's storage size), or
// "Value out of range (ordinal=n)." when it lies outside the type.
std::string EnumValueToIdentText(const TTypeInfo* ordinalType, const void* value);

// Identifiers of the class library's type enumerations, as the dumps print them.
std::string TypeKindName(classlib::TTypeKind kind);
std::string OrdTypeName(classlib::TOrdType type);
std::string FloatTypeName(classlib::TFloatType type);
std::string MethodKindName(classlib::TMethodKind kind);

// ---- type cache -------------------------------------------------------------------------------

// Type records built at run time, each with a reference count, shared by every thread under one
// lock. The cache owns its records (allocated with new). A set depends on its element type and a
// subrange of an enumeration on its base type: freeing a record drops one reference of the one
// it depends on, when that is in the cache too. Nothing in this program adds entries.
class TBcTypeCache {
public:
    TBcTypeCache() = default;
    TBcTypeCache(const TBcTypeCache&) = delete;
    TBcTypeCache& operator=(const TBcTypeCache&) = delete;
    ~TBcTypeCache() { ReleaseAll(); }

    // Enters `info` with one reference, or adds one to its entry.
    void AddReference(TTypeInfo* info);
    // Drops one reference; at 0 the entry is removed and its record freed.
    void Release(const TTypeInfo* info);
    // Empties the cache: drops one reference of the last entry until none is left.
    void ReleaseAll();
    int Count() const;
    int32_t ReferenceCount(const TTypeInfo* info) const; // 0 when not in the cache

private:
    void ReleaseLocked(const TTypeInfo* info);
    mutable std::mutex lock_;
    std::vector<std::pair<TTypeInfo*, int32_t>> entries_;
};

// The process's cache from the module's start-up to its shut-down, else nullptr.
TBcTypeCache* TypeCache();
void StartTypeCache();
void StopTypeCache();

} // namespace bcl
