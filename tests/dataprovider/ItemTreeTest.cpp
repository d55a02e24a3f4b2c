// The item tree: identifiers, lookups by identifier, path and index path, the parent chain,
// editing of an owning list with its notices, and counting of owned items.
#include "ProviderFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace providerfixture;
using namespace classlib;

namespace {

class ItemTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFixtureClasses();
        provider = std::make_unique<TTestProvider>(nullptr);
        provider->SetName("Provider1");
        BuildSampleTree(*provider);
        provider->Log.clear();
    }
    void TearDown() override { provider.reset(); }

    IOcDataItems* Root() { return provider->Data(); }
    TInterfacePtr<IOcDataItems> ListOf(const char* path)
    {
        return Root()->ItemByPath(path).Query<IOcDataItems>();
    }
    std::string IdAt(const std::vector<int>& indices)
    {
        TInterfacePtr<IOcDataItem> item = Root()->ItemByIndexPath(indices);
        return item ? item->ID() : "(none)";
    }

    std::unique_ptr<TTestProvider> provider;
};

} // namespace

TEST_F(ItemTree, NewItemsGetDistinctIdentifiersOfThirtyTwoUpperCaseHexDigits)
{
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        TOcBaseDataItem* item = TOcBaseDataItem::Create<TOcBaseDataItem>(Root());
        const std::string id = item->ID();
        item->Free();
        ASSERT_EQ(id.size(), 32u) << id;
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
        EXPECT_TRUE(seen.insert(id).second) << "repeated " << id;
    }
}

TEST_F(ItemTree, ItemByPathWalksSegmentsIgnoringCaseAndBothSeparators)
{
    struct Case {
        const char* list; // where the lookup starts ("" = root)
        const char* path;
        const char* found; // "" = none
    };
    const Case cases[] = {
        {"", "A", "A"},
        {"", "a/a1", "A1"},
        {"", "A\\A1\\a1X", "A1x"},
        {"", "Q/A/A2", "A2"}, // an unknown segment is skipped on the same list
        {"", "A/Q", ""},
        {"", "B/X", ""}, // B has no children
        {"", "..", ""},  // the root list has no parent
        {"", "../A", ""},
        {"A", "A2", "A2"},
        {"A", "../C", "C"},       // up from the sub-list into the list holding A
        {"A/A1", "../A2", "A2"},  // up from the list the walk is in
        {"A/A1", "../../B", "B"}, // and again from there
        {"A/A1", "/C/C1", "C1"},  // a leading separator starts at the root
        {"A", "A1/../A2", "A2"},  // ".." resolves against the list reached, not the start
    };
    for (const Case& c : cases) {
        TInterfacePtr<IOcDataItems> start =
            *c.list ? ListOf(c.list) : TInterfacePtr<IOcDataItems>(Root());
        ASSERT_TRUE(start) << c.list;
        TInterfacePtr<IOcDataItem> item = start->ItemByPath(c.path);
        EXPECT_EQ(item ? item->ID() : "", c.found)
            << "from '" << c.list << "' path '" << c.path << "'";
    }
}

TEST_F(ItemTree, ItemByIndexPathReachesLeavesAndAnswersNoneForABadPath)
{
    EXPECT_EQ(IdAt({0}), "A");
    EXPECT_EQ(IdAt({1}), "B") << "a leaf at the root";
    EXPECT_EQ(IdAt({0, 1}), "A2") << "a leaf below";
    EXPECT_EQ(IdAt({0, 0, 0}), "A1x");
    EXPECT_EQ(IdAt({2, 0}), "C1");
    EXPECT_EQ(IdAt({}), "(none)");
    EXPECT_EQ(IdAt({3}), "(none)") << "an index past the end does not raise";
    EXPECT_EQ(IdAt({-1}), "(none)");
    EXPECT_EQ(IdAt({1, 0}), "(none)") << "through an item without children";
    EXPECT_EQ(IdAt({0, 5}), "(none)");
}

TEST_F(ItemTree, FindItemSearchesDeeperOnlyWhenRecursiveAndPrefersLaterItems)
{
    TInterfacePtr<IOcDataItemLookup> lookup =
        TInterfacePtr<IOcDataItems>(Root()).Query<IOcDataItemLookup>();
    ASSERT_TRUE(lookup);
    EXPECT_TRUE(lookup->FindItem("c", false));
    EXPECT_FALSE(lookup->FindItem("A1x", false));
    TInterfacePtr<IOcDataItem> deep = lookup->FindItem("a1x", true);
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->ID(), "A1x");

    // The same identifier under A and under C: the later branch wins.
    AddTextItem(ListOf("C").Get(), "Twin", "under C");
    AddTextItem(ListOf("A").Get(), "Twin", "under A");
    EXPECT_EQ(TextOf(lookup->FindItem("Twin", true).Get()), "under C");
}

TEST_F(ItemTree, ParentChainAndAncestry)
{
    TInterfacePtr<IOcDataItem> a = Root()->ItemByPath("A");
    TInterfacePtr<IOcDataItem> a1 = Root()->ItemByPath("A/A1");
    TInterfacePtr<IOcDataItem> a1x = Root()->ItemByPath("A/A1/A1x");
    EXPECT_FALSE(Root()->ParentItem());
    EXPECT_EQ(a1->OwnerList()->ParentItem(), a);
    EXPECT_EQ(a1x->IndexInList(), 0);
    EXPECT_EQ(Root()->ItemByPath("C")->IndexInList(), 2);
    EXPECT_TRUE(a->IsAncestorOf(a1.Get(), true));
    EXPECT_FALSE(a->IsAncestorOf(a1x.Get(), true));
    EXPECT_TRUE(a->IsAncestorOf(a1x.Get(), false));
    EXPECT_FALSE(a1x->IsAncestorOf(a.Get(), false));
    EXPECT_FALSE(Root()->ItemByPath("B")->IsAncestorOf(a1x.Get(), false));
    EXPECT_EQ(a->OwnerList()->OwningProvider().Get(),
              static_cast<IOcDataProvider*>(provider.get()));
    EXPECT_EQ(a1->OwnerList()->OwningProvider().Get(),
              static_cast<IOcDataProvider*>(provider.get()))
        << "a sub-list takes its parent's provider";
}

TEST_F(ItemTree, EditingReportsToTheProviderAndFreesDeletedItems)
{
    TInterfacePtr<IOcDataItemsEditing> editing =
        TInterfacePtr<IOcDataItems>(Root()).Query<IOcDataItemsEditing>();
    ASSERT_TRUE(editing);
    IInterface* b = IdentityOf(Root()->ItemByPath("B").Get());

    TOcBaseDataItem* added = AddTextItem(Root(), "D");
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrItemAdded);
    EXPECT_EQ(provider->Log[0].source, IdentityOf(static_cast<IOcDataItems*>(provider->Data())));
    EXPECT_EQ(provider->Log[1].source, added->Identity());

    provider->Log.clear();
    editing->DeleteItem(1);
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrItemDeleted);
    EXPECT_EQ(provider->Log[0].source, b);
    EXPECT_TRUE(provider->Log[1].after);
    EXPECT_EQ(provider->Log[1].source, nullptr) << "the changed notice has no source";
    EXPECT_FALSE(Root()->ItemByPath("B"));
    EXPECT_EQ(Root()->ItemCount(), 3);

    provider->Log.clear();
    TInterfacePtr<IOcDataItem> d = Root()->ItemByPath("D");
    editing->RemoveItem(d);
    EXPECT_FALSE(d) << "RemoveItem clears the reference";
    EXPECT_FALSE(Root()->ItemByPath("D"));
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrItemDeleted);

    provider->Log.clear();
    editing->ClearItems();
    EXPECT_EQ(Root()->ItemCount(), 0);
    ASSERT_EQ(provider->Log.size(), 2u);
    EXPECT_EQ(provider->Log[0].reason, pnrItemsUpdated);
}

namespace {
// An item that refuses deletion.
class TPermanentItem : public TOcBaseDataItem {
    CLASSLIB_CLASS(TPermanentItem, TOcBaseDataItem)
    bool CanDelete() override { return false; }
};
} // namespace
CLASSLIB_PUBLISH(TPermanentItem) {}

TEST_F(ItemTree, AnItemThatCannotBeDeletedStaysAndRaises)
{
    TPermanentItem* item = TOcBaseDataItem::Create<TPermanentItem>(Root());
    provider->Data()->StoreItem(item);
    TInterfacePtr<IOcDataItemsEditing> editing =
        TInterfacePtr<IOcDataItems>(Root()).Query<IOcDataItemsEditing>();
    provider->Log.clear();
    try {
        editing->DeleteItem(3);
        FAIL() << "no error";
    } catch (const EOCLDataItems& e) {
        EXPECT_EQ(e.Message(), "Item cannot be deleted");
    }
    TInterfacePtr<IOcDataItem> ref = static_cast<IOcDataItem*>(item);
    EXPECT_THROW(editing->RemoveItem(ref), EOCLDataItems);
    EXPECT_EQ(Root()->ItemCount(), 4);
    EXPECT_TRUE(provider->Log.empty());
    EXPECT_EQ(item->IndexInList(), 3);
}

TEST_F(ItemTree, OwnedItemsAreNotCountedAndTheProviderSeesNoContextMeanwhile)
{
    TInterfacePtr<IOcDataItem> a = Root()->ItemByPath("A");
    auto* object = static_cast<TOcBaseDataItem*>(a->ImplementingObject());
    EXPECT_EQ(object->RefCount(), 0);
    EXPECT_EQ(a->AddRef(), -1);
    EXPECT_EQ(a->Release(), -1);
    EXPECT_EQ(provider->ContextDepth(), 0u) << "the bracket pops what it pushed";
    EXPECT_EQ(object->IndexInList(), 0);
    provider->Data()->ItemObjects().Extract(object);
    EXPECT_EQ(object->IndexInList(), -1) << "no longer in its list";
    a.Reset();
    object->Free();
}

TEST(ItemWithoutProvider, CountsWithoutTouchingAMissingListOrProvider)
{
    RegisterFixtureClasses();
    // A list without a provider and an item without a list: no bracket to run.
    TInterfacePtr<IOcDataItems> list =
        static_cast<IOcDataItems*>(TOcBaseDataItems::Create<TOcDataItemsList>(nullptr));
    TOcBaseDataItem* owned = AddTextItem(list.Get(), "X", "x");
    EXPECT_EQ(TInterfacePtr<IOcDataItem>(owned)->ID(), "X");
    TInterfacePtr<IOcDataItem> loose =
        static_cast<IOcDataItem*>(TOcBaseDataItem::Create<TOcBaseDataItem>(nullptr));
    EXPECT_EQ(static_cast<TOcBaseDataItem*>(loose->ImplementingObject())->RefCount(), 1);
    EXPECT_EQ(loose->IndexInList(), -1);
    EXPECT_EQ(loose->ImplementingObject()->ClassName(), "TOcBaseDataItem");
}

TEST_F(ItemTree, NamePathNamesTheProviderComponentOrUnknown)
{
    TInterfacePtr<IOcDataItem> a = Root()->ItemByPath("A");
    EXPECT_EQ(static_cast<TOcBaseDataItem*>(a->ImplementingObject())->GetNamePath(),
              "Provider1: Item[A]");
    TOcBaseDataItem* loose = TOcBaseDataItem::Create<TOcBaseDataItem>(nullptr);
    loose->SetID("L");
    EXPECT_EQ(loose->GetNamePath(), "Unknown: Item[L]");
    TInterfacePtr<IOcDataItem>(loose).Reset();
}

TEST_F(ItemTree, DestroyingAnItemTakesItsSubListAndTheListLeavesItsItem)
{
    TInterfacePtr<IOcDataItem> c = Root()->ItemByPath("C");
    auto* item = static_cast<TOcBaseDataItem*>(c->ImplementingObject());
    ASSERT_TRUE(c.Query<IOcDataItems>());
    TOcBaseDataItemSubItems* subItems = item->FindImplementer<TOcBaseDataItemSubItems>();
    ASSERT_TRUE(subItems);
    item->RemoveImplementer(subItems);
    EXPECT_FALSE(c.Query<IOcDataItems>()) << "the item has no children any more";
    EXPECT_FALSE(Root()->ItemByPath("C/C1"));
}
