#include "StreamFixture.h"

#include <gtest/gtest.h>

using namespace classlib;
using namespace streamfixture;

namespace {
// Records what reaches the collection's Update and Notify.
class TRecordingCollection : public TOwnedCollection {
public:
    using TOwnedCollection::TOwnedCollection;
    std::vector<std::string> log;

protected:
    void Update(TCollectionItem* item) override
    {
        log.push_back(item ? "update " + std::to_string(item->ID()) : "update all");
    }
    void Notify(TCollectionItem* item, TCollectionNotification action) override
    {
        static const char* names[] = {"added", "extracting", "deleting"};
        log.push_back(std::string(names[action]) + " " + std::to_string(item->ID()));
    }
};

class TNotifyingColumn : public TColumn {
public:
    using TColumn::TColumn;
    void Touch() { Changed(false); }
};
} // namespace

TEST(Collection, ChangesReachUpdateOutsideUpdateBrackets)
{
    TThing owner(nullptr);
    TRecordingCollection columns(&owner, TColumn::StaticClass());
    columns.Add();
    auto* second = new TNotifyingColumn(&columns);
    EXPECT_EQ(columns.log,
              (std::vector<std::string>{"added 0", "update all", "added 1", "update all"}));
    columns.log.clear();
    second->Touch();
    EXPECT_EQ(columns.log, (std::vector<std::string>{"update 1"}));
    columns.log.clear();
    columns.BeginUpdate();
    second->Touch();
    columns.Delete(0);
    EXPECT_EQ(columns.log, (std::vector<std::string>{"deleting 0", "extracting 0"}));
    columns.EndUpdate();
    EXPECT_EQ(columns.log.back(), "update all");
    EXPECT_EQ(second->Index(), 0);
    EXPECT_EQ(columns.FindItemID(1), second);
    EXPECT_EQ(columns.Add()->ID(), 2); // identifiers are never reused
    EXPECT_THROW(columns.Items(5), EListError);
}

TEST(Collection, AssignCopiesItemsAndNamePathsFollowTheOwner)
{
    TThing owner(nullptr);
    owner.SetName("Grid");
    auto* a = static_cast<TColumn*>(owner.Columns()->Add());
    a->Width = 7;
    a->Title = "A";
    owner.Columns()->Add();
    EXPECT_EQ(owner.Columns()->GetNamePath(), "Grid.Columns");
    EXPECT_EQ(owner.Columns()->Items(1)->GetNamePath(), "Grid.Columns[1]");
    TCollection copy(TColumn::StaticClass());
    copy.Assign(owner.Columns());
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(static_cast<TColumn*>(copy.Items(0))->Title, "A");
    EXPECT_EQ(copy.GetNamePath(), "TCollection");
    a->SetIndex(1);
    EXPECT_EQ(owner.Columns()->Items(1), a);
    a->SetCollection(&copy); // moves between collections
    EXPECT_EQ(owner.Columns()->Count(), 1);
    EXPECT_EQ(copy.Count(), 3);
    delete a; // leaves its collection
    EXPECT_EQ(copy.Count(), 2);
}
