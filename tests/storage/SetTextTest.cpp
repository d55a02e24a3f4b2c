// Set and enumeration text conversion over the class library's reflection: a published
// test class with an enumeration and a set property, and hand-built records for subranges
// whose storage does not start at element 0.
#include "BcErrors.h"
#include "BcRTTI.h"
#include "core/Exceptions.h"
#include "core/StringList.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <cstring>

namespace rtti_test {

enum TXyz { x, y, z };
CLASSLIB_ENUM(TXyz);
CLASSLIB_DEFINE_ENUM(TXyz, "x", "y", "z")

class TSample : public classlib::TPersistent {
    CLASSLIB_CLASS(TSample, classlib::TPersistent)
public:
    TXyz Kind = y;
    classlib::TSet<TXyz> Parts;
};

CLASSLIB_PUBLISH(TSample)
{
    c.Property("Kind", &TSample::Kind);
    c.Property("Parts", &TSample::Parts);
}

} // namespace rtti_test

using namespace bcl;
using rtti_test::TSample;

namespace {

classlib::TTypeInfo ByteRange(const char* name, int64_t min, int64_t max)
{
    classlib::TTypeInfo t;
    t.Kind = classlib::tkInteger;
    t.Name = name;
    t.OrdType = classlib::otUByte;
    t.MinValue = min;
    t.MaxValue = max;
    return t;
}

// The set property's type as the reflection publishes it, and its value as storage bytes.
struct PublishedSet {
    TSample sample;
    const classlib::TPropInfo& prop = *classlib::GetPropInfo(&sample, "Parts");
    std::string Text(bool brackets, bool ranges)
    {
        const uint32_t bits = static_cast<uint32_t>(classlib::GetOrdProp(&sample, prop));
        return SetToText(prop.PropType, &bits, brackets, ranges);
    }
    void Read(std::string_view text)
    {
        uint32_t bits = static_cast<uint32_t>(classlib::GetOrdProp(&sample, prop));
        TextToSet(prop.PropType, &bits, text);
        classlib::SetOrdProp(&sample, prop, bits);
    }
};

} // namespace

TEST(SetText, PublishedEnumerationSetToText)
{
    PublishedSet set;
    ASSERT_EQ(set.prop.PropType->Kind, classlib::tkSet);
    set.sample.Parts = {rtti_test::x, rtti_test::z};
    EXPECT_EQ(set.Text(true, false), "[x, z]");
    EXPECT_EQ(set.Text(false, false), "x, z");
    set.sample.Parts = {rtti_test::x, rtti_test::y, rtti_test::z};
    EXPECT_EQ(set.Text(false, true), "x .. z");
    EXPECT_EQ(set.Text(true, false), "[x, y, z]");
    set.sample.Parts = {};
    EXPECT_EQ(set.Text(true, false), "[]");
}

TEST(SetText, PublishedEnumerationSetFromText)
{
    using rtti_test::x;
    using rtti_test::y;
    using rtti_test::z;
    struct Case {
        const char* text;
        classlib::TSet<rtti_test::TXyz> expected;
    };
    const Case cases[] = {
        {"[x, y]", {x, y}}, {"[x,y]", {x, y}}, {"x, y", {x, y}},      {"[]", {}},
        {"", {}},           {"[z]", {z}},      {"x .. z", {x, y, z}}, {"[X]", {x}},
        {"[y..y]", {y}},    {"[z .. x]", {}},  {"x,,z,", {x, z}},
    };
    for (const auto& c : cases) {
        PublishedSet set;
        set.sample.Parts = {x, y};
        set.Read(c.text);
        EXPECT_EQ(set.sample.Parts.Bits(), c.expected.Bits()) << c.text;
    }
}

TEST(SetText, UnknownIdentifierRaisesAfterClearingTheSet)
{
    PublishedSet set;
    set.sample.Parts = {rtti_test::x, rtti_test::y};
    try {
        set.Read("[z, q]");
        FAIL() << "accepted";
    } catch (const EBcRTTIError& e) {
        EXPECT_STREQ(e.what(), "Unknown identifier 'q'.");
    }
    uint32_t bits = 0xFF;
    EXPECT_THROW(TextToSet(set.prop.PropType, &bits, "z, q"), EBcRTTIError);
    EXPECT_EQ(bits & 7, 4u) << "cleared, then the lines before the bad one";
}

TEST(SetText, SubrangeSetStorageStartsAtItsFirstByte)
{
    const classlib::TTypeInfo range = ByteRange("TSmallRange", 3, 10);
    const classlib::TTypeInfo setType = classlib::MakeSetInfo("TSmallSet", &range);
    uint8_t storage[2] = {0, 0};
    TextToSet(&setType, storage, "[3, 4, 10]");
    EXPECT_EQ(storage[0], 0x18) << "element 3 is bit 3 of the first byte";
    EXPECT_EQ(storage[1], 0x04);
    EXPECT_EQ(SetToText(&setType, storage, true), "[3, 4, 10]");
    EXPECT_EQ(SetToText(&setType, storage, false, true), "3 .. 4, 10");
    EXPECT_THROW(TextToSet(&setType, storage, "[x]"), classlib::EConvertError);
}

TEST(SetText, ReadingReplacesTheWholeStorageAcrossAByteBoundary)
{
    // Bounds 6..9: element 6 is bit 6 of byte 0, element 9 is bit 1 of byte 1.
    const classlib::TTypeInfo range = ByteRange("TStraddle", 6, 9);
    const classlib::TTypeInfo setType = classlib::MakeSetInfo("TStraddleSet", &range);
    uint8_t storage[3] = {0xC0, 0x03, 0xEE}; // {6, 7, 8, 9} and a byte beyond the set
    TextToSet(&setType, storage, "[9]");
    EXPECT_EQ(storage[0], 0x00);
    EXPECT_EQ(storage[1], 0x02);
    EXPECT_EQ(storage[2], 0xEE) << "nothing written beyond the set's two bytes";
    EXPECT_EQ(SetToText(&setType, storage), "9");
}

TEST(SetText, NumbersOutsideTheElementTypeAreRefused)
{
    const classlib::TTypeInfo range = ByteRange("TStraddle", 6, 9);
    const classlib::TTypeInfo setType = classlib::MakeSetInfo("TStraddleSet", &range);
    uint8_t storage[3] = {0, 0, 0xEE};
    EXPECT_THROW(TextToSet(&setType, storage, "[6, 40]"), EBcRTTIError);
    EXPECT_THROW(TextToSet(&setType, storage, "[0 .. 7]"), EBcRTTIError);
    EXPECT_EQ(storage[2], 0xEE);
}

TEST(SetText, FullByteSetIsWalkedToItsLastElement)
{
    const classlib::TTypeInfo range = ByteRange("Byte", 0, 255);
    const classlib::TTypeInfo setType = classlib::MakeSetInfo("TByteSet", &range);
    uint8_t storage[32];
    std::memset(storage, 0, sizeof(storage));
    TextToSet(&setType, storage, "0, 254 .. 255");
    EXPECT_EQ(storage[0], 1);
    EXPECT_EQ(storage[31], 0xC0);
    EXPECT_EQ(SetToText(&setType, storage, true, true), "[0, 254 .. 255]");
    std::memset(storage, 0xFF, sizeof(storage));
    EXPECT_EQ(SetToText(&setType, storage, false, true), "0 .. 255");
}

TEST(SetText, SetToElementListAppendsLinesAfterTheExistingOnes)
{
    PublishedSet set;
    set.sample.Parts = {rtti_test::y, rtti_test::z};
    const uint32_t bits = set.sample.Parts.Bits();
    classlib::TStringList lines;
    lines.Add("before");
    EXPECT_EQ(SetToElementList(set.prop.PropType, &bits, true, false, lines), "[y, z]");
    ASSERT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines[0], "before");
    EXPECT_EQ(lines[2], "z");
}

TEST(SetText, EnumValueToIdentText)
{
    TSample sample;
    const classlib::TTypeInfo* kind = classlib::GetPropInfo(&sample, "Kind")->PropType;
    ASSERT_EQ(kind->Kind, classlib::tkEnumeration);
    ASSERT_EQ(kind->OrdType, classlib::otUByte);
    const uint8_t values[] = {0, 2, 7};
    EXPECT_EQ(EnumValueToIdentText(kind, &values[0]), "x");
    EXPECT_EQ(EnumValueToIdentText(kind, &values[1]), "z");
    EXPECT_EQ(EnumValueToIdentText(kind, &values[2]), "Value out of range (ordinal=7).");

    classlib::TTypeInfo cardinal = ByteRange("Cardinal", 0, 0xFFFFFFFF);
    cardinal.OrdType = classlib::otULong;
    const uint32_t big = 0xFFFFFFF0u;
    EXPECT_EQ(EnumValueToIdentText(&cardinal, &big), "4294967280");
    classlib::TTypeInfo shortInt = ByteRange("ShortInt", -128, 127);
    shortInt.OrdType = classlib::otSByte;
    const int8_t negative = -5;
    EXPECT_EQ(EnumValueToIdentText(&shortInt, &negative), "-5");
}

TEST(SetText, WrappersAnswerTheirKindsInterfaces)
{
    TSample sample;
    const auto* partsType = classlib::GetPropInfo(&sample, "Parts")->PropType;
    auto wrapped = WrapTypeInfo(partsType);
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->QueryTypeKind(), classlib::tkSet);
    EXPECT_TRUE(wrapped.Query<IBcOrdinalTypeInfo>());
    EXPECT_FALSE(wrapped.Query<IBcOrdinalRangeTypeInfo>());
    auto set = wrapped.Query<IBcSetKindInfo>();
    ASSERT_TRUE(set);
    auto element = set->QuerySetBaseType().Query<IBcEnumerationTypeInfo>();
    ASSERT_TRUE(element);
    EXPECT_EQ(element->QueryName(), "TXyz");
    EXPECT_EQ(element->QueryMaxValue(), 2);
    EXPECT_EQ(element->IndexOfIdent("Y"), 1);
    EXPECT_EQ(element->IndexOfIdent("q"), -1);
    EXPECT_EQ(element->QueryNameOf(2), "z");
    EXPECT_EQ(element->QueryBaseType().Get(), element.Get()) << "its own base type";
    EXPECT_TRUE(element.Query<classlib::IInterface>());
}
