// Descriptions and declarations of the type-information wrappers, written through a writer
// that indents by two blanks per level.
#include "BcRTTI.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

using namespace bcl;

namespace dump_test {

enum TColorKind { ckRed, ckGreen, ckBlue };
CLASSLIB_ENUM(TColorKind);
CLASSLIB_DEFINE_ENUM(TColorKind, "ckRed", "ckGreen", "ckBlue")

class TShape : public classlib::TPersistent {
    CLASSLIB_CLASS(TShape, classlib::TPersistent)
public:
    TColorKind Kind = ckGreen;
    double Ratio = 0;
    int Width(int) const { return 0; }
    void SetWidth(int, int) {}
};

CLASSLIB_PUBLISH(TShape)
{
    c.Property("Kind", &TShape::Kind).SetDefault(ckGreen);
    c.Property("Ratio", &TShape::Ratio);
    c.IndexedProperty("Width", 3, &TShape::Width, &TShape::SetWidth);
}

// Readers through the method table, a read-only property, stored tests by method and constant.
class TGadget : public classlib::TPersistent {
    CLASSLIB_CLASS(TGadget, classlib::TPersistent)
public:
    virtual int Size() const { return 1; }
    virtual int Depth() const { return 2; }
    void SetSize(int) {}
    bool SizeStored() const { return true; }
    int Count = 0;
};

CLASSLIB_PUBLISH(TGadget)
{
    c.Property("Size", &TGadget::Size, &TGadget::SetSize).Stored(&TGadget::SizeStored);
    c.Property("Depth", &TGadget::Depth);
    c.Property("Count", &TGadget::Count).Stored(false);
}

} // namespace dump_test

namespace {

class LineWriter : public IBcDumpWriter {
public:
    void WriteText(const std::string& text) override { current_ += text; }
    void WriteLine(const std::string& text) override
    {
        current_ += text;
        lines.push_back(std::string(2 * static_cast<size_t>(level_), ' ') + current_);
        current_.clear();
    }
    void IndentMore() override { ++level_; }
    void IndentLess() override { --level_; }
    std::string Pending() const { return current_; }
    std::vector<std::string> lines;
    int Level() const { return level_; }

private:
    std::string current_;
    int level_ = 0;
};

std::vector<std::string> Declared(const TTypeInfo* type)
{
    LineWriter w;
    WrapTypeInfo(type)->DeclareTo(w);
    if (!w.Pending().empty())
        w.lines.push_back(w.Pending());
    return w.lines;
}

std::vector<std::string> Described(const TTypeInfo* type)
{
    LineWriter w;
    WrapTypeInfo(type)->DescribeTo(w);
    EXPECT_EQ(w.Level(), 0);
    return w.lines;
}

TTypeInfo Range(const char* name, classlib::TTypeKind kind, int64_t min, int64_t max)
{
    TTypeInfo t;
    t.Kind = kind;
    t.Name = name;
    t.OrdType = classlib::otUByte;
    t.MinValue = min;
    t.MaxValue = max;
    return t;
}

using Lines = std::vector<std::string>;

// "$" and a value as the dumps print an address: upper-case hexadecimal, two digits per byte
// of a pointer.
std::string AddressText(uintptr_t value)
{
    char text[40];
    std::snprintf(text, sizeof text, "$%0*llX", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(value));
    return text;
}

template <class C, class F>
uintptr_t FieldOffset(const C& object, const F& field)
{
    return static_cast<uintptr_t>(reinterpret_cast<const char*>(&field) -
                                  reinterpret_cast<const char*>(&object));
}

} // namespace

TEST(TypeDump, OrdinalDeclarations)
{
    const TTypeInfo abc = classlib::MakeEnumInfo(".anonymous", {"a", "b", "c"});
    const TTypeInfo small = classlib::MakeSetInfo("TSmall", &abc);
    EXPECT_EQ(Declared(&small), Lines{"TSmall = set of (a, b, c); // otUByte"});

    const TTypeInfo named = classlib::MakeEnumInfo("TAbc", {"a", "b", "c"});
    TTypeInfo sub = Range("TSub", classlib::tkEnumeration, 1, 2);
    sub.BaseType = &named;
    EXPECT_EQ(Declared(&sub), Lines{"TSub = b .. c; // otUByte"});
    EXPECT_EQ(Declared(&named), Lines{"TAbc = (a, b, c); // otUByte"});

    EXPECT_EQ(Declared(classlib::TypeInfoOf<char>()), Lines{"Char = #0..#255; // otUByte"});
    const TTypeInfo lower = Range("TLower", classlib::tkChar, 'a', 'z');
    EXPECT_EQ(Declared(&lower), Lines{"TLower = 'a'..'z'; // otUByte"});
    EXPECT_EQ(Declared(classlib::TypeInfoOf<unsigned char>()), Lines{"Byte = 0..255; // otUByte"});
    EXPECT_EQ(Declared(classlib::TypeInfoOf<std::string>()),
              Lines{"// Declaration for 'string' not supported."});
}

TEST(TypeDump, EnumerationAndSetDescriptions)
{
    const TTypeInfo* kind = classlib::TypeInfoOf<dump_test::TColorKind>();
    const Lines enumLines = Described(kind);
    ASSERT_EQ(enumLines.size(), 8u);
    EXPECT_EQ(enumLines[0], "Name: TColorKind");
    EXPECT_EQ(enumLines[1], "Type kind: tkEnumeration");
    EXPECT_EQ(enumLines[2].rfind("Type info: ", 0), 0u);
    EXPECT_EQ(enumLines[3], "Ordinal type: otUByte");
    EXPECT_EQ(enumLines[4], "Min value: 0");
    EXPECT_EQ(enumLines[5], "Max value: 2");
    EXPECT_EQ(enumLines[7], "Names: (ckRed, ckGreen, ckBlue)");

    const TTypeInfo set = classlib::MakeSetInfo("TColorKinds", kind);
    const Lines setLines = Described(&set);
    ASSERT_EQ(setLines.size(), 5u + enumLines.size());
    EXPECT_EQ(setLines[3], "Ordinal type: otUByte");
    EXPECT_EQ(setLines[4], "Based on: ");
    EXPECT_EQ(setLines[5], "  Name: TColorKind");
    EXPECT_EQ(setLines.back(), "  Names: (ckRed, ckGreen, ckBlue)");
}

TEST(TypeDump, MethodPointers)
{
    TTypeInfo closeQuery;
    closeQuery.Kind = classlib::tkMethod;
    closeQuery.Name = "TCloseQueryEvent";
    closeQuery.ParamText = "Sender: TObject; var CanClose: Boolean";
    EXPECT_EQ(
        Declared(&closeQuery),
        Lines{"TCloseQueryEvent = procedure(Sender: TObject; var CanClose: Boolean) of object;"});
    const Lines described = Described(&closeQuery);
    const Lines expectedTail = {
        "Method kind: mkProcedure", "Parameter count: 2", "  Name: Sender",
        "  Type: TObject",          "  Flags: []",        "  ",
        "  Name: CanClose",         "  Type: Boolean",    "  Flags: [pfVar]"};
    EXPECT_EQ(Lines(described.begin() + 3, described.end()), expectedTail);

    TTypeInfo none;
    none.Kind = classlib::tkMethod;
    none.Name = "TSimpleEvent";
    EXPECT_EQ(Declared(&none), Lines{"TSimpleEvent = procedure of object;"});

    TTypeInfo arrays = none;
    arrays.Name = "TFormatEvent";
    arrays.ParamText = "const Args: array of const; out A, B: Integer";
    EXPECT_EQ(Declared(&arrays), Lines{"TFormatEvent = procedure(const Args: array of const; out "
                                       "A: Integer; out B: Integer) of object;"});
    auto event = WrapTypeInfo(&arrays).Query<IBcEventKindInfo>();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->QueryParameterCount(), 3);
    EXPECT_EQ(event->QueryParameterAt(0)->QueryRecordSize(), 4 + 7 + 3);
    EXPECT_TRUE(event.Query<IBcTypeInfo>());
}

TEST(TypeDump, FloatAndInt64)
{
    EXPECT_EQ(Declared(classlib::TypeInfoOf<double>()), Lines{"Double = type Double;"});
    EXPECT_EQ(Described(classlib::TypeInfoOf<float>()).back(), "Float type: ftSingle");
    EXPECT_EQ(Declared(classlib::TypeInfoOf<long long>()),
              Lines{"Int64 = -9223372036854775808 .. 9223372036854775807;"});
    auto int64 = WrapTypeInfo(classlib::TypeInfoOf<long long>()).Query<IBcInt64KindInfo>();
    ASSERT_TRUE(int64);
    EXPECT_EQ(int64->QueryMaxValue64(), INT64_MAX);
}

TEST(TypeDump, ClassesWithTheirPublishedProperties)
{
    const TTypeInfo* shape = dump_test::TShape::StaticClass().TypeInfo();
    const dump_test::TShape object;
    const std::string kind = AddressText(FieldOffset(object, object.Kind));
    const std::string ratio = AddressText(FieldOffset(object, object.Ratio));
    auto cls = WrapTypeInfo(shape).Query<IBcClassKindInfo>();
    ASSERT_TRUE(cls);
    // The indexed property's reader and writer are plain methods, at code addresses.
    const std::string widthRead = AddressText(cls->QueryPropertyAt(2)->QueryReaderValue());
    const std::string widthWrite = AddressText(cls->QueryPropertyAt(2)->QueryWriterValue());
    EXPECT_EQ(Declared(shape),
              (Lines{"TShape = class(TPersistent) // unit ", "published",
                     "  property Kind: TColorKind read [field " + kind + "] write [field " + kind +
                         "] stored = True default 1;",
                     "  property Ratio: Double read [field " + ratio + "] write [field " + ratio +
                         "] stored = True;",
                     "  property Width: Integer index 3 read [static method " + widthRead +
                         "] write [static method " + widthWrite + "] stored = True;",
                     "end;"}));
    const Lines described = Described(shape);
    const Lines expectedTail = {"Class name: TShape",
                                "Parent: TPersistent",
                                "Unit name: ",
                                "Property count: 3 (3)",
                                "  Kind: TColorKind",
                                "    [default 1]",
                                "    [read field " + kind + "]",
                                "    [write field " + kind + "]",
                                "    [stored=True]",
                                "  Ratio: Double",
                                "    [read field " + ratio + "]",
                                "    [write field " + ratio + "]",
                                "    [stored=True]",
                                "  Width: Integer",
                                "    [index 3]",
                                "    [read static method " + widthRead + "]",
                                "    [write static method " + widthWrite + "]",
                                "    [stored=True]"};
    EXPECT_EQ(Lines(described.begin() + 3, described.end()), expectedTail);

    ASSERT_TRUE(cls);
    EXPECT_EQ(cls->QueryPropertyAt(2)->QueryPropName(), "Width");
    EXPECT_TRUE(cls->QueryPropertyAt(2)->HasIndexValue());
    EXPECT_FALSE(cls->QueryPropertyAt(1)->HasDefaultValue());
    EXPECT_EQ(cls->QueryPropertyByName("kind")->QueryDefault(), 1);
    EXPECT_FALSE(cls->QueryPropertyByName("Missing"));
    EXPECT_EQ(cls->QueryParentClass()->QueryName(), "TPersistent");

    // The root class has no parent: an empty name after "Parent: ".
    const Lines root = Described(classlib::TObject::StaticClass().TypeInfo());
    EXPECT_EQ(root[4], "Parent: ");
    EXPECT_EQ(Declared(classlib::TObject::StaticClass().TypeInfo()),
              (Lines{"TObject = class // unit ", "end;"}));
}

TEST(TypeDump, PropertySpecifiersGiveTheirAccessKinds)
{
    auto cls = WrapTypeInfo(dump_test::TGadget::StaticClass().TypeInfo()).Query<IBcClassKindInfo>();
    ASSERT_TRUE(cls);
    auto size = cls->QueryPropertyByName("Size");
    auto depth = cls->QueryPropertyByName("Depth");
    auto count = cls->QueryPropertyByName("Count");
    ASSERT_TRUE(size && depth && count);
    using classlib::pakConstant, classlib::pakField, classlib::pakNone, classlib::pakStaticMethod,
        classlib::pakVirtualMethod;
    EXPECT_EQ(size->QueryReaderKind(), pakVirtualMethod);
    EXPECT_EQ(size->QueryWriterKind(), pakStaticMethod);
    EXPECT_EQ(size->QueryStoredKind(), pakStaticMethod);
    EXPECT_EQ(depth->QueryReaderKind(), pakVirtualMethod);
    EXPECT_EQ(depth->QueryWriterKind(), pakNone) << "read-only";
    EXPECT_EQ(depth->QueryStoredKind(), pakConstant);
    EXPECT_EQ(depth->QueryStoredValue(), 1u);
    EXPECT_EQ(count->QueryReaderKind(), pakField);
    EXPECT_EQ(count->QueryWriterKind(), pakField);
    EXPECT_EQ(count->QueryStoredKind(), pakConstant);
    EXPECT_EQ(count->QueryStoredValue(), 0u);
    // Two virtual methods declared one after the other sit in neighbouring method-table slots.
    EXPECT_EQ(depth->QueryReaderValue() - size->QueryReaderValue(), sizeof(void*));
    const dump_test::TGadget object;
    EXPECT_EQ(count->QueryReaderValue(), FieldOffset(object, object.Count));
    EXPECT_NE(size->QueryWriterValue(), size->QueryStoredValue());
    EXPECT_EQ(size->QueryReader().Kind, pakVirtualMethod);
    EXPECT_EQ(size->QueryWriter().Value, size->QueryWriterValue());

    const Lines declared = Declared(dump_test::TGadget::StaticClass().TypeInfo());
    ASSERT_EQ(declared.size(), 6u);
    EXPECT_EQ(declared[1], "published");
    EXPECT_EQ(declared[2], "  property Size: Integer read [virtual method " +
                               AddressText(size->QueryReaderValue()) + "] write [static method " +
                               AddressText(size->QueryWriterValue()) +
                               "] stored = [static method " +
                               AddressText(size->QueryStoredValue()) + "];");
    EXPECT_EQ(declared[3], "  property Depth: Integer read [virtual method " +
                               AddressText(depth->QueryReaderValue()) + "] stored = True;");
    const std::string countOffset = AddressText(FieldOffset(object, object.Count));
    EXPECT_EQ(declared[4], "  property Count: Integer read [field " + countOffset +
                               "] write [field " + countOffset + "] stored = False;");
    const Lines described = Described(dump_test::TGadget::StaticClass().TypeInfo());
    const Lines sizeLines(described.end() - 11, described.end() - 7);
    EXPECT_EQ(sizeLines,
              (Lines{"  Size: Integer",
                     "    [read virtual method " + AddressText(size->QueryReaderValue()) + "]",
                     "    [write static method " + AddressText(size->QueryWriterValue()) + "]",
                     "    [stored=static method " + AddressText(size->QueryStoredValue()) + "]"}));
    EXPECT_EQ(described.back(), "    [stored=False]");
}

namespace {

TTypeInfo ShortString(const char* name, uint8_t maxLength)
{
    TTypeInfo t;
    t.Kind = classlib::tkString;
    t.Name = name;
    t.MaxLength = maxLength;
    return t;
}

TTypeInfo Interface(const char* name, const TTypeInfo* parent, uint8_t flags)
{
    TTypeInfo t;
    t.Kind = classlib::tkInterface;
    t.Name = name;
    t.IntfParent = parent;
    t.IntfFlags = flags;
    t.Guid = classlib::TGUID::FromText("{7DAD5220-46EA-11D5-B0C0-4854E825F345}");
    t.UnitName = "Shapes";
    t.IntfPropertyCount = 2;
    return t;
}

TTypeInfo DynArray(const char* name, int32_t elementSize, const TTypeInfo* cleanup,
                   const TTypeInfo* element)
{
    TTypeInfo t;
    t.Kind = classlib::tkDynArray;
    t.Name = name;
    t.ElementSize = elementSize;
    t.ElementCleanupType = cleanup;
    t.ElementType = element;
    t.VarType = 3;
    t.UnitName = "Shapes";
    return t;
}

} // namespace

TEST(TypeDump, ShortStrings)
{
    const TTypeInfo name = ShortString("TName", 31);
    EXPECT_EQ(Declared(&name), Lines{"TName = string[31];"});
    EXPECT_EQ(Described(&name).back(), "Max length: 31");
    auto wrapped = WrapTypeInfo(&name).Query<IBcStringKindInfo>();
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->QueryMaxLength(), 31);
    const TTypeInfo anonymous = ShortString(".anonymous", 8);
    EXPECT_EQ(Declared(&anonymous), Lines{"string[8]"});
}

TEST(TypeDump, Interfaces)
{
    const TTypeInfo unknown = Interface("IUnknown", nullptr, 1);
    const TTypeInfo shape = Interface("IShape", &unknown, 1);
    const TTypeInfo solid = Interface("ISolid", &shape, 0);
    const TTypeInfo events = Interface("IShapeEvents", &shape, 1 | 2 | 4);
    // Derived directly from IUnknown: no parent in brackets.
    EXPECT_EQ(Declared(&shape), (Lines{"IShape = interface // unit Shapes",
                                       "  ['{7DAD5220-46EA-11D5-B0C0-4854E825F345}']", "end;"}));
    EXPECT_EQ(Declared(&solid), (Lines{"ISolid = interface(IShape) // unit Shapes", "end;"}));
    EXPECT_EQ(Declared(&events), (Lines{"IShapeEvents = dispinterface // unit Shapes",
                                        "  ['{7DAD5220-46EA-11D5-B0C0-4854E825F345}']", "end;"}));

    const Lines described = Described(&shape);
    EXPECT_EQ(Lines(described.begin() + 3, described.end()),
              (Lines{"GUID: {7DAD5220-46EA-11D5-B0C0-4854E825F345}", "Flags: [ifHasGuid]",
                     "Unit name: Shapes", "Parent: IUnknown", "Property count: 2"}));
    const Lines root = Described(&solid);
    EXPECT_EQ(Lines(root.begin() + 3, root.end()),
              (Lines{"Flags: []", "Unit name: Shapes", "Parent: IShape", "Property count: 2"}));
    EXPECT_EQ(Described(&events)[4], "Flags: [ifHasGuid, ifDispInterface, ifDispatch]");

    auto wrapped = WrapTypeInfo(&solid).Query<IBcInterfaceKindInfo>();
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->QueryGUID(), classlib::TGUID{}) << "without ifHasGuid";
    EXPECT_EQ(wrapped->QueryParentInterface()->QueryName(), "IShape");
    EXPECT_FALSE(WrapTypeInfo(&unknown).Query<IBcInterfaceKindInfo>()->QueryParentInterface());
}

TEST(TypeDump, DynamicArrays)
{
    const TTypeInfo* integer = classlib::TypeInfoOf<int>();
    const TTypeInfo letters = classlib::MakeEnumInfo(".anonymous", {"a", "b"});
    const TTypeInfo numbers = DynArray("TNumbers", 4, nullptr, integer);
    const TTypeInfo names = DynArray("TNames", 4, classlib::TypeInfoOf<std::string>(), nullptr);
    const TTypeInfo inline_ = DynArray("TLetters", 1, nullptr, &letters);
    const TTypeInfo none = DynArray("TNothing", 0, nullptr, nullptr);
    EXPECT_EQ(Declared(&numbers), Lines{"TNumbers = array of Integer; // Unit Shapes"});
    EXPECT_EQ(Declared(&inline_), Lines{"TLetters = array of (a, b); // Unit Shapes"});
    EXPECT_EQ(Declared(&none), Lines{"TNothing = array of ???; // Unit Shapes"});

    const Lines described = Described(&names);
    EXPECT_EQ(Lines(described.begin() + 3, described.end()),
              (Lines{"Element size: 4", "Element type: string", "Elements need clean up: True",
                     "Variant type: 3", "Unit name: Shapes"}));
    EXPECT_EQ(Described(&numbers)[5], "Elements need clean up: False");
    EXPECT_EQ(Described(&none)[4], "Element type: ???");
    const Lines anonymous = Described(&inline_);
    EXPECT_EQ(anonymous[4], "Element type: ");
    EXPECT_EQ(anonymous[5], "  Name: .anonymous");

    auto wrapped = WrapTypeInfo(&names).Query<IBcDynArrayKindInfo>();
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->QueryElementType()->QueryName(), "string");
    EXPECT_TRUE(wrapped->QueryElementsNeedCleanup());
    EXPECT_FALSE(WrapTypeInfo(&none).Query<IBcDynArrayKindInfo>()->QueryElementType());
}
