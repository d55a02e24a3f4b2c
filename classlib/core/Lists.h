#pragma once
// Pointer lists: TList (untyped pointers, with a notification hook), TObjectList (objects,
// optionally owned) and TInterfaceList (counted interface references, lock-protected).
// Indexes are 0-based; an index out of range raises EListError "List index out of bounds (%d)".
#include "core/Object.h"

#include <functional>
#include <mutex>
#include <vector>

namespace classlib {

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Sort order callback: <0, 0, >0 as the first item sorts before, with or after the second.
using TListSortCompare = std::function<int(void* item1, void* item2)>;

class TList : public TObject {
    CLASSLIB_CLASS(TList, TObject)
    TList() = default;
    ~TList() override;

    int Count() const { return static_cast<int>(items_.size()); }
    void SetCount(int count);
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int capacity);

    void* Items(int index) const { return Get(index); }
    void* Get(int index) const;
    void Put(int index, void* item);
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }

    int Add(void* item);
    void Insert(int index, void* item);
    void Delete(int index);
    // Index the item had, -1 when absent.
    int Remove(void* item);
    // Removes without the lnDeleted notification; returns the item or nullptr.
    void* Extract(void* item);
    int IndexOf(void* item) const;
    void Clear();
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);
    // Removes nil entries.
    void Pack();
    // Stable sort.
    void Sort(const TListSortCompare& compare);
    void Assign(const TList& source);

    // Direct access to the storage, as the platform's List property.
    void* const* List() const { return items_.data(); }

protected:
    virtual void Notify(void* item, TListNotification action);
    [[noreturn]] static void Error(const char* message, int data);

private:
    void CheckIndex(int index) const;
    std::vector<void*> items_;
};

class TObjectList : public TList {
    CLASSLIB_CLASS(TObjectList, TList)
    explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
    ~TObjectList() override;

    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool value) { ownsObjects_ = value; }

    TObject* Items(int index) const { return static_cast<TObject*>(Get(index)); }
    void SetItem(int index, TObject* object) { Put(index, object); }
    int Add(TObject* object) { return TList::Add(object); }
    void Insert(int index, TObject* object) { TList::Insert(index, object); }
    int Remove(TObject* object) { return TList::Remove(object); }
    TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
    int IndexOf(TObject* object) const { return TList::IndexOf(object); }
    TObject* First() const { return static_cast<TObject*>(TList::First()); }
    TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
    // Index of the first object of class `cls` (exactly, or a descendant unless `exact`).
    int FindInstanceOf(const TMetaClass& cls, bool exact = true, int startAt = 0) const;

protected:
    // An owned object is freed when it is deleted or replaced.
    void Notify(void* item, TListNotification action) override;

private:
    bool ownsObjects_;
};

class TInterfaceList : public TInterfacedObject {
    CLASSLIB_CLASS(TInterfaceList, TInterfacedObject)
    TInterfaceList() = default;
    ~TInterfaceList() override;

    int Count() const;
    TInterfacePtr<IInterface> Items(int index) const;
    void Put(int index, TInterfacePtr<IInterface> item);
    TInterfacePtr<IInterface> First() const { return Items(0); }
    TInterfacePtr<IInterface> Last() const;
    int Add(TInterfacePtr<IInterface> item);
    void Insert(int index, TInterfacePtr<IInterface> item);
    void Delete(int index);
    int Remove(IInterface* item);
    int IndexOf(IInterface* item) const;
    void Clear();
    void Exchange(int index1, int index2);

    // Holds the list's lock for a sequence of calls from one thread.
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

private:
    void CheckIndex(int index) const;
    mutable std::recursive_mutex lock_;
    std::vector<TInterfacePtr<IInterface>> items_;
};

} // namespace classlib
