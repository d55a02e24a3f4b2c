// The row view: rows built from the tree, opened and closed, patched when items are added and
// deleted through the provider, and the row queries a list control draws from.
#include "ProviderFixture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace providerfixture;
using namespace classlib;

namespace {

// An item that hides itself from views.
class THiddenItem : public TOcBaseDataItem, public IOcDataItemVisibility {
    CLASSLIB_CLASS(THiddenItem, TOcBaseDataItem)
    CLASSLIB_IINTERFACE_OF(TOcBaseDataItem)
    bool GetInterface(const TGUID& iid, void** obj) override
    {
        return GetInterfaceOf<IOcDataItemVisibility>(this, iid, obj) ||
               TOcBaseDataItem::GetInterface(iid, obj);
    }
    TOcItemVisibleState OwnItemState() override { return 0; }
};

class TViewOwner : public TComponent {
    CLASSLIB_CLASS(TViewOwner, TComponent)
    explicit TViewOwner(TComponent* owner)
        : TComponent(owner), consumer_(TOcDataConsumer::Create(this, {3}))
    {
        consumer_->OnConsumerChanged = TOcConsumerChangeEvent(this, &TViewOwner::Changed);
    }
    ~TViewOwner() override { consumer_->Free(); }
    TOcDataConsumer* Consumer() const { return consumer_; }
    void Changed(TOcDataConsumer*, TOcConsumerChangeReason reason) { Reasons.push_back(reason); }
    std::vector<TOcConsumerChangeReason> Reasons;

private:
    TOcDataConsumer* consumer_;
};

} // namespace

CLASSLIB_PUBLISH(THiddenItem) {}
CLASSLIB_PUBLISH(TViewOwner) {}

namespace {

class ViewList : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFixtureClasses();
        provider = std::make_unique<TTestProvider>(nullptr);
        BuildSampleTree(*provider);
        provider->Extensions = {};
        owner = std::make_unique<TViewOwner>(nullptr);
    }
    void TearDown() override
    {
        owner.reset();
        provider.reset();
    }
    // Attaches the provider; the view comes with attribute code 3.
    TOcDataConsumerViewList* Attach(int initialOpenDepth = 0)
    {
        owner->Consumer()->SetProviderInterface(provider.get());
        auto* view = owner->Consumer()->FindImplementer<TOcDataConsumerViewList>();
        EXPECT_TRUE(view);
        if (view && initialOpenDepth != 0) {
            view->SetInitialOpenDepth(initialOpenDepth);
            view->Rebuild();
        }
        return view;
    }
    // "ID depth state" per row: o open, c closed with children, e empty list, - no list.
    static std::string Rows(TOcDataConsumerViewList* view)
    {
        std::string out;
        for (const TOcDataRow& row : view->Rows()) {
            const uint32_t f = row.Flags;
            const char state = (f & 0xA0000000) == 0xA0000000   ? 'o'
                               : (f & 0xA0000000) == 0x80000000 ? 'c'
                               : (f & 0x40000000)               ? 'e'
                                                                : '-';
            out += (out.empty() ? "" : " ") + row.ID + std::to_string(f & 0xFFFFFF) + state;
        }
        return out;
    }
    TInterfacePtr<IOcDataItemsEditing> EditingOf(const char* path)
    {
        TInterfacePtr<IOcDataItems> list =
            *path ? provider->Data()->ItemByPath(path).Query<IOcDataItems>()
                  : TInterfacePtr<IOcDataItems>(provider->Data());
        return list.Query<IOcDataItemsEditing>();
    }

    std::unique_ptr<TTestProvider> provider;
    std::unique_ptr<TViewOwner> owner;
};

} // namespace

TEST_F(ViewList, RebuildOpensAsManyLevelsAsAsked)
{
    struct Case {
        int depth;
        const char* rows;
    };
    const Case cases[] = {
        {0, "A0c B0- C0c"},
        {1, "A0o A11c A21- B0- C0o C11-"},
        {-1, "A0o A11o A1x2- A21- B0- C0o C11-"},
    };
    for (const Case& c : cases) {
        TViewOwner other(nullptr);
        other.Consumer()->SetProviderInterface(provider.get());
        auto* view = other.Consumer()->FindImplementer<TOcDataConsumerViewList>();
        ASSERT_TRUE(view);
        view->SetInitialOpenDepth(c.depth);
        view->Rebuild();
        EXPECT_EQ(Rows(view), c.rows) << c.depth;
        other.Consumer()->SetProviderInterface(nullptr);
    }
    // The flag values the rows carry.
    TOcDataConsumerViewList* view = Attach(1);
    EXPECT_EQ(view->Rows()[0].Flags, 0xE0000000u) << "open, depth 0";
    EXPECT_EQ(view->Rows()[1].Flags, 0xC0000001u) << "closed with children, depth 1";
    EXPECT_EQ(view->Rows()[2].Flags, 1u) << "no sub-item list, depth 1";
    EXPECT_EQ(view->LevelIndent(), 16);
}

TEST_F(ViewList, ToggleOpensAndClosesARowWithItsDescendants)
{
    TOcDataConsumerViewList* view = Attach();
    view->ToggleRow(0);
    EXPECT_EQ(Rows(view), "A0o A11c A21- B0- C0c");
    view->ToggleRow(1);
    EXPECT_EQ(Rows(view), "A0o A11o A1x2- A21- B0- C0c");
    view->ToggleRow(0);
    EXPECT_EQ(Rows(view), "A0c B0- C0c") << "closing drops the open descendants";
    view->ToggleRow(1);
    EXPECT_EQ(Rows(view), "A0c B0- C0c") << "a row without children does not toggle";
}

TEST_F(ViewList, RowQueries)
{
    TOcDataConsumerViewList* view = Attach(-1); // A0 A1_1 A1x2 A2_1 B0 C0 C1_1
    EXPECT_EQ(view->RowCount(), 7);
    EXPECT_EQ(view->RowOfID("a1X"), 2) << "the identifier's case does not matter";
    EXPECT_EQ(view->RowOfID("nope"), -1);
    EXPECT_EQ(view->RowParentIndex(2), 1);
    EXPECT_EQ(view->RowParentIndex(4), -1);
    EXPECT_EQ(view->RowParent(3)->ID(), "A");
    EXPECT_EQ(view->RowNextSiblingIndex(1), 3);
    EXPECT_EQ(view->RowNextSiblingIndex(3), -1);
    EXPECT_EQ(view->RowNextSiblingIndex(0), 4);
    EXPECT_EQ(view->RowNextSibling(4)->ID(), "C");
    EXPECT_EQ(view->ChildPositionOfID("A2"), 1);
    EXPECT_EQ(view->ChildPositionOfID("C"), 2);
    EXPECT_EQ(view->ChildPositionOfID("A"), 0);
    EXPECT_EQ(view->ChildPositionOfID("nope"), -1);
    EXPECT_EQ(view->RowItem(2)->ID(), "A1x") << "found through the parent rows' items";
    EXPECT_FALSE(view->RowItem(7));
    EXPECT_TRUE(view->RowIsOpen(0));
    EXPECT_FALSE(view->RowHasChildren(3));
    EXPECT_EQ(view->RowDepth(2), 2);

    struct ChildCase {
        int parentRow, index, row;
    };
    const ChildCase children[] = {{-1, 0, 0},  {-1, 2, 5}, {-1, 3, -1}, {0, 1, 3},
                                  {0, 2, -1},  {5, 0, 6},  {4, 0, -1}, // B has no child rows
                                  {6, 0, -1}, // the last row has none either
                                  {7, 0, -1}, // no such row
                                  {40, 0, -1}, {-5, 0, -1}};
    for (const ChildCase& c : children)
        EXPECT_EQ(view->RowChildIndex(c.parentRow, c.index), c.row)
            << c.parentRow << "/" << c.index;
    TInterfacePtr<IOcDataItem> c = provider->Data()->ItemByPath("C");
    EXPECT_EQ(view->RowChild(c.Get(), 0)->ID(), "C1");
    TOcBaseDataItem* loose = TOcBaseDataItem::Create<TOcBaseDataItem>(nullptr);
    TInterfacePtr<IOcDataItem> unknown = static_cast<IOcDataItem*>(loose);
    EXPECT_EQ(view->RowChildIndex(unknown.Get(), 0), -1)
        << "an item without a row has no child rows";
}

TEST_F(ViewList, BranchMasksMarkAncestorsThatHaveLaterSiblings)
{
    TOcDataConsumerViewList* view = Attach(-1);
    EXPECT_TRUE(view->RowBranchMask(0).empty()) << "a root row";
    EXPECT_EQ(view->RowBranchMask(1), (std::vector<int>{1})) << "A has a later sibling";
    EXPECT_EQ(view->RowBranchMask(2), (std::vector<int>{3})) << "A1 has A2 after it, A has B";
    EXPECT_EQ(view->RowBranchMask(6), (std::vector<int>{0})) << "C is the last root item";

    // A chain 34 levels deep below the first root item: the deepest row is at depth 33.
    TOcBaseDataItem* item =
        static_cast<TOcBaseDataItem*>(provider->Data()->ItemAt(1)->ImplementingObject());
    for (int level = 1; level <= 33; ++level)
        item = AddTextItem(ChildrenOf(item), "L" + std::to_string(level));
    view->Rebuild();
    const int deepest = view->RowOfID("L33");
    ASSERT_GE(deepest, 0);
    EXPECT_EQ(view->RowDepth(deepest), 33);
    EXPECT_EQ(view->RowBranchMask(deepest), (std::vector<int>{1, 0})) << "B has C after it";
}

TEST_F(ViewList, DeletedItemsTakeTheirRowsAndTheLastChildItsParentsFlags)
{
    TOcDataConsumerViewList* view = Attach(-1);
    EditingOf("A")->DeleteItem(0); // A1, open, with A1x
    EXPECT_EQ(Rows(view), "A0o A21- B0- C0o C11-");
    EditingOf("C")->DeleteItem(0); // the only child of C
    EXPECT_EQ(Rows(view), "A0o A21- B0- C0e");
    EditingOf("")->DeleteItem(1); // B
    EXPECT_EQ(Rows(view), "A0o A21- C0e");
}

TEST_F(ViewList, AddedItemsGetRowsWhereTheirParentShowsThem)
{
    TOcDataConsumerViewList* view = Attach();
    AddTextItem(provider->Data(), "D");
    EXPECT_EQ(Rows(view), "A0c B0- C0c D0-");
    AddTextItem(ChildrenOf(static_cast<TOcBaseDataItem*>(
                    provider->Data()->ItemByPath("C")->ImplementingObject())),
                "C2");
    EXPECT_EQ(Rows(view), "A0c B0- C0c D0-")
        << "a closed parent without RevealNewItems stays as it is";

    view->ToggleRow(2);
    EXPECT_EQ(Rows(view), "A0c B0- C0o C11- C21- D0-");
    AddTextItem(ChildrenOf(static_cast<TOcBaseDataItem*>(
                    provider->Data()->ItemByPath("C")->ImplementingObject())),
                "C3");
    EXPECT_EQ(Rows(view), "A0c B0- C0o C11- C21- C31- D0-")
        << "an open parent gets the row after its others";

    view->SetRevealNewItems(true);
    AddTextItem(ChildrenOf(static_cast<TOcBaseDataItem*>(
                    provider->Data()->ItemByPath("A/A1")->ImplementingObject())),
                "A1y");
    EXPECT_EQ(Rows(view), "A0o A11o A1x2- A1y2- A21- B0- C0o C11- C21- C31- D0-")
        << "revealed through A";
}

TEST_F(ViewList, HiddenItemsGetNoRows)
{
    TTestProvider hidden(nullptr);
    for (const char* id : {"H1", "H2", "H3"}) {
        THiddenItem* item = TOcBaseDataItem::Create<THiddenItem>(hidden.Data());
        item->SetID(id);
        hidden.Data()->StoreItem(item);
    }
    hidden.Extensions = {};
    owner->Consumer()->SetProviderInterface(&hidden);
    auto* view = owner->Consumer()->FindImplementer<TOcDataConsumerViewList>();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->RowCount(), 0);
    EXPECT_EQ(view->Rows().size(), 0u);

    // Mixed: the hidden item leaves no gap.
    TOcBaseDataItem* a =
        static_cast<TOcBaseDataItem*>(provider->Data()->ItemByPath("A")->ImplementingObject());
    THiddenItem* secret = TOcBaseDataItem::Create<THiddenItem>(ChildrenOf(a));
    secret->SetID("S");
    ChildrenOf(a)->StoreItem(secret);
    owner->Consumer()->SetProviderInterface(provider.get());
    view = owner->Consumer()->FindImplementer<TOcDataConsumerViewList>();
    view->SetInitialOpenDepth(1);
    view->Rebuild();
    EXPECT_EQ(Rows(view), "A0o A11c A21- B0- C0o C11-");
}

TEST_F(ViewList, TheViewStartsBelowTheSelectedItemAndReportsItsSettings)
{
    provider->Extensions = {&TOcDataConsumerItemSelect::StaticClass()};
    TOcDataConsumerViewList* view = Attach();
    owner->Consumer()->FindImplementer<TOcDataConsumerItemSelect>()->SetItem("A");
    EXPECT_EQ(Rows(view), "A10c A20-");
    owner->Reasons.clear();
    view->SetLevelIndent(20);
    EXPECT_EQ(owner->Reasons, (std::vector<TOcConsumerChangeReason>{cnrSetting}));
    view->SetLevelIndent(20);
    EXPECT_EQ(owner->Reasons.size(), 1u);
}

TEST_F(ViewList, RevealOpensTheClosedAncestorsOfAnItem)
{
    TOcDataConsumerViewList* view = Attach();
    view->RevealItem(provider->Data()->ItemByPath("A/A1/A1x").Get());
    EXPECT_EQ(Rows(view), "A0o A11o A1x2- A21- B0- C0c");
}

TEST_F(ViewList, AProviderSwitchKeepsTheViewAndClosingEmptiesIt)
{
    TOcDataConsumerViewList* view = Attach();
    TTestProvider other(nullptr);
    AddTextItem(other.Data(), "Z");
    other.Extensions = {};
    owner->Consumer()->SetProviderInterface(&other);
    EXPECT_EQ(owner->Consumer()->FindImplementer<TOcDataConsumerViewList>(), view)
        << "kept on a provider switch";
    EXPECT_EQ(Rows(view), "Z0-");
    other.Close();
    EXPECT_EQ(owner->Consumer()->ExtensionCount(), 0);
}
