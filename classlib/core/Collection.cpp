#include "core/Collection.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TCollectionItem) {}
CLASSLIB_PUBLISH(TCollection) {}
CLASSLIB_PUBLISH(TOwnedCollection) {}

// ---- TCollectionItem ------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection)
{
    // While this constructor runs the item is not yet of its final class, so the collection
    // cannot check the item class here (Add creates items first and inserts them after).
    if (collection)
        collection->InsertItem(this, false);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::BeforeDestruction()
{
    // Leave while the item is whole, so that the collection's notifications see all of it.
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection_ == collection)
        return;
    if (collection_)
        collection_->RemoveItem(this);
    if (collection)
        collection->InsertItem(this, true);
}

int TCollectionItem::Index() const
{
    if (!collection_)
        return -1;
    const auto& items = collection_->items_;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || current == index)
        return;
    auto& items = collection_->items_;
    index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const
{
    return ClassName();
}

std::string TCollectionItem::GetNamePath() const
{
    if (!collection_)
        return ClassName();
    return Format("%s[%d]", {collection_->GetNamePath(), Index()});
}

TPersistent* TCollectionItem::GetOwner() const
{
    return collection_;
}

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0)
        collection_->Update(allItems ? nullptr : this);
}

// ---- TCollection ----------------------------------------------------------------------------

TCollection::TCollection(const TMetaClass& itemClass) : itemClass_(&itemClass) {}

TCollection::~TCollection()
{
    updateCount_ = 1; // no Update calls into a collection that is going
    while (!items_.empty())
        items_.back()->Free();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format(messages::ListIndexError, {index}));
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    TObject* object = itemClass_->Create(nullptr);
    auto* item = dynamic_cast<TCollectionItem*>(object);
    if (!item) {
        delete object;
        throw EInvalidCast(messages::InvalidCast);
    }
    item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    TCollectionItem* item = Items(index);
    Notify(item, cnDeleting);
    item->Free();
}

void TCollection::Clear()
{
    if (items_.empty())
        return;
    UpdateBracket(*this, [&] {
        while (!items_.empty())
            items_.back()->Free();
    });
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++updateCount_;
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

void TCollection::Changed()
{
    if (updateCount_ == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item, bool checkClass)
{
    if (checkClass && !item->InheritsFrom(*itemClass_))
        throw EInvalidOperation(Format(messages::InvalidPropertyType, {item->ClassName()}));
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, cnExtracting);
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

void TCollection::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TCollection*>(source)) {
        if (other == this)
            return;
        UpdateBracket(*this, [&] {
            Clear();
            for (TCollectionItem* item : other->items_)
                Add()->Assign(item);
        });
        return;
    }
    TPersistent::Assign(source);
}

std::string TCollection::PropName() const
{
    const TPersistent* owner = GetOwner();
    if (!owner)
        return {};
    for (const TPropInfo* p : owner->ClassType().Properties())
        if (p->PropType->Kind == tkClass && p->GetObject && p->GetObject(owner) == this)
            return p->Name;
    return {};
}

std::string TCollection::GetNamePath() const
{
    const TPersistent* owner = GetOwner();
    if (!owner)
        return ClassName();
    const std::string ownerPath = owner->GetNamePath();
    const std::string prop = PropName();
    if (ownerPath.empty() || prop.empty())
        return ClassName();
    return ownerPath + "." + prop;
}

} // namespace classlib
