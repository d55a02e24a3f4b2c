#pragma once
// TCollection: an ordered list of TCollectionItem objects of one item class, created by the
// collection itself (and so by the component streams), with update notification: changes
// reach the virtual Update(item) (nullptr = all items) unless an update bracket is open.
#include "core/Object.h"

#include <string>
#include <vector>

namespace classlib {

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
    CLASSLIB_CLASS(TCollectionItem, TPersistent)
    // Joins `collection` when given (at the end). Collections tell Notify(cnAdded) then, before
    // the derived constructors ran; Add() inserts fully built items.
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (or out of any with nullptr).
    void SetCollection(TCollection* collection);
    // Unique within the collection, never reused.
    int ID() const { return id_; }
    int Index() const;
    void SetIndex(int index);
    virtual std::string DisplayName() const;
    virtual void SetDisplayName(const std::string&) { Changed(false); }

    std::string GetNamePath() const override; // "Owner.Prop[3]"
    TPersistent* GetOwner() const override;
    void BeforeDestruction() override;

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    CLASSLIB_CLASS(TCollection, TPersistent)
    explicit TCollection(const TMetaClass& itemClass);
    ~TCollection() override;

    const TMetaClass& ItemClass() const { return *itemClass_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError "List index out of bounds (%d)".
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // A TCollection source: Clear, then one added item per source item, each Assign'ed.
    void Assign(TPersistent* source) override;
    std::string GetNamePath() const override;
    // The name of the owner's property that holds this collection, "" when there is none.
    std::string PropName() const;

protected:
    // Called after changes outside update brackets; item is nullptr when all may have changed.
    virtual void Update(TCollectionItem*) {}
    virtual void Notify(TCollectionItem*, TCollectionNotification) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item, bool checkClass);
    void RemoveItem(TCollectionItem* item);

    const TMetaClass* itemClass_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
};

// A collection with an owner (for name paths and the streams).
class TOwnedCollection : public TCollection {
    CLASSLIB_CLASS(TOwnedCollection, TCollection)
    TOwnedCollection(TPersistent* owner, const TMetaClass& itemClass)
        : TCollection(itemClass), owner_(owner)
    {
    }
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};

} // namespace classlib
