// The owned sub-objects: name paths under their owners and the nested-update notifications.
#include "draw/OcTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace classlib;
using draw::TOcPersistent;
using draw::TOcPersistentProperty;

namespace {

// Records every notification in the order it arrives.
struct Recorder {
    std::vector<std::string> log;
    void Before(TObject*) { log.push_back("before"); }
    void After(TObject*) { log.push_back("after"); }
    void BeforeProperty(TObject*, const std::string& name) { log.push_back("before " + name); }
    void AfterProperty(TObject*, const std::string& name) { log.push_back("after " + name); }
};

void Listen(TOcPersistentProperty& options, Recorder& r)
{
    options.OnBeforeChange = TNotifyEvent(&r, &Recorder::Before);
    options.OnAfterChange = TNotifyEvent(&r, &Recorder::After);
    options.OnBeforePropertyChange = draw::TPropertyChangeEvent(&r, &Recorder::BeforeProperty);
    options.OnAfterPropertyChange = draw::TPropertyChangeEvent(&r, &Recorder::AfterProperty);
}

// A persistent owner that is not a component, itself owned by a component.
class TOwnedPersistent : public TPersistent {
public:
    explicit TOwnedPersistent(TComponent* owner) : owner_(owner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TComponent* owner_;
};

} // namespace

TEST(OcPersistent, ComponentOwnerOwnsItAndItIsASubComponent)
{
    TComponent form(nullptr);
    auto* sub = new TOcPersistent(&form);
    EXPECT_EQ(sub->Owner(), &form);
    EXPECT_EQ(sub->GetOwner(), &form);
    EXPECT_TRUE(sub->ComponentStyle().Contains(csSubComponent));
    EXPECT_EQ(form.ComponentCount(), 1);
}

TEST(OcPersistent, PersistentOwnerIsKeptForTheOwnerQueryOnly)
{
    TComponent form(nullptr);
    TOwnedPersistent holder(&form);
    TOcPersistent sub(&holder);
    EXPECT_EQ(sub.Owner(), nullptr);
    EXPECT_EQ(sub.GetOwner(), &holder);
}

// The label's hot-track options: the owner is on a form, so the path is the owner's, then ".",
// then the sub-object's own component name (empty unless one was given).
TEST(OcPersistent, NamePathJoinsAnOwnedOwnersPath)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* label = new TComponent(&form);
    label->SetName("Label1");
    TOcPersistent options(label);
    EXPECT_EQ(options.GetNamePath(), "Label1.");
    options.SetName("HotTrack");
    EXPECT_EQ(options.GetNamePath(), "Label1.HotTrack");
}

TEST(OcPersistent, NamePathOfAnOwnerWithoutOwnerOrPathIsTheOwnOne)
{
    TComponent lone(nullptr);
    lone.SetName("Lone");
    TOcPersistent a(&lone);
    a.SetName("A");
    EXPECT_EQ(a.GetNamePath(), "A") << "an owner that is neither owned nor a sub-object";

    TComponent form(nullptr);
    auto* unnamed = new TComponent(&form);
    TOcPersistent b(unnamed);
    b.SetName("B");
    EXPECT_EQ(b.GetNamePath(), "B") << "an owner with an empty path";

    TOcPersistent outer(&lone);
    outer.SetName("Outer");
    TOcPersistent inner(&outer);
    inner.SetName("Inner");
    EXPECT_EQ(inner.GetNamePath(), "Outer.Inner") << "an owner that is a sub-object itself";
}

TEST(OcPersistentProperty, OnlyTheOutermostBracketReportsBeforeAndAfter)
{
    TOcPersistentProperty options(nullptr);
    Recorder r;
    Listen(options, r);
    options.BeginChanges();
    options.BeginChanges();
    options.NotifyChangingProperty("Color");
    options.NotifyChanging(); // inside the bracket: silent
    options.NotifyChangedProperty("Color");
    options.NotifyChanged();
    options.EndChanges();
    EXPECT_EQ(options.UpdateCount(), 1);
    options.EndChanges();
    EXPECT_EQ(r.log, (std::vector<std::string>{"before", "before Color", "after Color", "after"}));
}

TEST(OcPersistentProperty, OutsideABracketEveryChangeReports)
{
    TOcPersistentProperty options(nullptr);
    Recorder r;
    Listen(options, r);
    options.NotifyChanging();
    options.NotifyChangingProperty("Font");
    options.NotifyChangedProperty("Font");
    options.NotifyChanged();
    EXPECT_EQ(r.log, (std::vector<std::string>{"before", "before Font", "after Font", "after"}));
}

TEST(OcPersistentProperty, UnmatchedEndChangesDoesNotSilenceLaterChanges)
{
    TOcPersistentProperty options(nullptr);
    Recorder r;
    Listen(options, r);
    options.EndChanges();
    EXPECT_EQ(options.UpdateCount(), 0);
    EXPECT_TRUE(r.log.empty());
    options.NotifyChanged();
    EXPECT_EQ(r.log, (std::vector<std::string>{"after"}));
}

TEST(VersionText, BytesHighFirstJoinedByDots)
{
    EXPECT_EQ(draw::VersionText(0x01050006), "1.5.0.6");
    EXPECT_EQ(draw::VersionText(0x01000000), "1.0.0.0");
    EXPECT_EQ(draw::VersionText(0xFF0A0000), "255.10.0.0");
}

// The colour tables: the sizes and the first and last entries their description names, and no
// identifier twice within a table (a picker looks colours up by identifier).
TEST(OcTypesColorTables, HoldTheNamedColoursOnceEach)
{
    struct Expected {
        const char* table;
        std::vector<draw::TDefColorItem> items;
        size_t size;
        std::vector<const char*> leading;
        const char* last;
    };
    const Expected cases[] = {
        {"standard",
         {draw::StandardColors.begin(), draw::StandardColors.end()},
         20,
         {"clBlack"},
         "clMedGray"},
        {"palette",
         {draw::PaletteColors.begin(), draw::PaletteColors.end()},
         40,
         {"clBlack", "clBrown"},
         "clWhite"},
        {"system",
         {draw::SystemColors.begin(), draw::SystemColors.end()},
         30,
         {"clScrollBar"},
         "clMenuHighlight"},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.table);
        ASSERT_EQ(c.items.size(), c.size);
        for (size_t i = 0; i < c.leading.size(); ++i)
            EXPECT_STREQ(c.items[i].Identifier, c.leading[i]);
        EXPECT_STREQ(c.items.back().Identifier, c.last);
        std::vector<std::string> identifiers;
        for (const draw::TDefColorItem& item : c.items) {
            EXPECT_NE(std::string(item.DisplayText), "") << item.Identifier;
            identifiers.push_back(item.Identifier);
        }
        std::sort(identifiers.begin(), identifiers.end());
        EXPECT_EQ(std::adjacent_find(identifiers.begin(), identifiers.end()), identifiers.end());
    }
}
