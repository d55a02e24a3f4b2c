#include "core/Component.h"
#include "core/StringList.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

using namespace classlib;

namespace reflected {

enum TShade { shLight, shMedium, shDark };
CLASSLIB_ENUM(TShade);
using TShades = TSet<TShade>;

class TSample : public TComponent {
    CLASSLIB_CLASS(TSample, TComponent)
    using TComponent::TComponent;
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    int Scaled(int index) const { return count_ * index; }
    TShade Shade = shMedium;
    TShades Shades;
    double Ratio = 0.5;
    std::string Caption;
    bool Enabled = true;
    TComponent* Link = nullptr;
    TNotifyEvent OnChange;
    void Handler(TObject*) {}

private:
    int count_ = 0;
};

CLASSLIB_DEFINE_ENUM(TShade, "shLight", "shMedium", "shDark")

CLASSLIB_PUBLISH(TSample)
{
    c.Property("Count", &TSample::Count, &TSample::SetCount).SetDefault(0);
    c.Property("Shade", &TSample::Shade).SetDefault(shMedium);
    c.Property("Shades", &TSample::Shades);
    c.Property("Ratio", &TSample::Ratio);
    c.Property("Caption", &TSample::Caption);
    c.Property("Enabled", &TSample::Enabled).SetDefault(true);
    c.Property("Link", &TSample::Link);
    c.Property("OnChange", &TSample::OnChange);
    c.IndexedProperty("Double", 2, &TSample::Scaled);
    c.Method("Handler", &TSample::Handler);
}

} // namespace reflected

using namespace reflected;

TEST(TypeInfo, PublishedPropertiesKeepOrderKindAndDefaults)
{
    const TMetaClass& cls = TSample::StaticClass();
    EXPECT_EQ(cls.ClassName(), "TSample");
    EXPECT_TRUE(cls.InheritsFrom(TComponent::StaticClass()));
    std::vector<std::string> names;
    for (const TPropInfo* p : cls.Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Name", "Tag", "Count", "Shade", "Shades", "Ratio",
                                        "Caption", "Enabled", "Link", "OnChange", "Double"}));
    struct Case {
        const char* name;
        TTypeKind kind;
        int64_t def;
    };
    const Case cases[] = {
        {"count", tkInteger, 0},           {"Shade", tkEnumeration, shMedium},
        {"Shades", tkSet, NoDefault},      {"Ratio", tkFloat, NoDefault},
        {"Caption", tkLString, NoDefault}, {"Enabled", tkEnumeration, 1},
        {"Link", tkClass, NoDefault},      {"OnChange", tkMethod, NoDefault},
        {"Double", tkInteger, NoDefault},
    };
    for (const auto& c : cases) {
        const TPropInfo* p = cls.FindProperty(c.name);
        ASSERT_TRUE(p) << c.name;
        EXPECT_EQ(p->PropType->Kind, c.kind) << c.name;
        EXPECT_EQ(p->Default, c.def) << c.name;
    }
    EXPECT_EQ(cls.FindProperty("Double")->Index, 2);
    EXPECT_FALSE(cls.FindProperty("Double")->HasWriter());
    EXPECT_EQ(cls.FindProperty("Missing"), nullptr);
}

TEST(TypeInfo, GetAndSetByName)
{
    TSample s(nullptr);
    SetOrdProp(&s, "Count", 7);
    EXPECT_EQ(s.Count(), 7);
    EXPECT_EQ(GetOrdProp(&s, "Double"), 14);
    SetEnumProp(&s, "Shade", "SHDARK");
    EXPECT_EQ(s.Shade, shDark);
    EXPECT_EQ(GetEnumProp(&s, "Enabled"), "True");
    SetSetProp(&s, "Shades", "[shLight, shDark]");
    EXPECT_TRUE(s.Shades == (TShades{shLight, shDark}));
    EXPECT_EQ(GetSetProp(&s, "Shades", true), "[shLight,shDark]");
    SetFloatProp(&s, "Ratio", 1.25);
    EXPECT_EQ(GetPropValueText(&s, FindPropInfo(&s, "Ratio")), "1.25");
    SetStrProp(&s, "Caption", "Hi");
    EXPECT_EQ(s.Caption, "Hi");
    TComponent other(nullptr);
    SetObjectProp(&s, "Link", &other);
    EXPECT_EQ(s.Link, &other);
    TSample receiver(nullptr);
    SetMethodProp(&s, "OnChange",
                  TMethod{TSample::StaticClass().MethodAddress("handler"), &receiver});
    EXPECT_TRUE(s.OnChange);
    EXPECT_EQ(TSample::StaticClass().MethodName(s.OnChange.Code()), "Handler");

    EXPECT_THROW(GetOrdProp(&s, "Nope"), EPropertyError);
    EXPECT_THROW(SetOrdProp(&s, "Double", 1), EPropertyError);
    EXPECT_THROW(SetStrProp(&s, "Count", "1"), EPropertyError);
    EXPECT_THROW(SetEnumProp(&s, "Shade", "shNone"), EPropertyError);
    EXPECT_THROW(SetSetProp(&s, "Shades", "[shLight, bogus]"), EPropertyError);
}

TEST(TypeInfo, EnumerationNamesAndSetText)
{
    const TTypeInfo* shade = TypeInfoOf<TShade>();
    EXPECT_EQ(shade->Name, "TShade");
    EXPECT_EQ(shade->OrdType, otUByte);
    EXPECT_EQ(GetEnumName(shade, 2), "shDark");
    EXPECT_EQ(GetEnumName(shade, 3), "");
    EXPECT_EQ(GetEnumValue(shade, "ShLight"), 0);
    EXPECT_EQ(GetEnumValue(shade, "x"), -1);
    const TTypeInfo* shades = TypeInfoOf<TShades>();
    EXPECT_EQ(shades->CompType, shade);
    EXPECT_EQ(SetToString(shades, 0), "");
    EXPECT_EQ(StringToSet(shades, " shDark ,shLight"), 5u);
    EXPECT_EQ(StringToSet(shades, "[]"), 0u);
}

TEST(ClassRegistry, FindsAndCreatesByName)
{
    RegisterClass(TSample::StaticClass());
    RegisterClass(TSample::StaticClass()); // twice is harmless
    EXPECT_EQ(GetClass("tsample"), &TSample::StaticClass());
    TComponent owner(nullptr);
    TObject* made = FindClass("TSample").Create(&owner);
    ASSERT_TRUE(dynamic_cast<TSample*>(made));
    EXPECT_EQ(static_cast<TSample*>(made)->Owner(), &owner);
    EXPECT_EQ(made->ClassName(), "TSample");
    try {
        FindClass("TMissing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TMissing not found");
    }
    EXPECT_FALSE(TStrings::StaticClass().CanCreate());
    UnRegisterClass(TSample::StaticClass());
    EXPECT_EQ(GetClass("TSample"), nullptr);
}
