#include "core/Lists.h"

#include "core/SysUtils.h"
#include "core/TypeInfo.h"

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TList) {}
CLASSLIB_PUBLISH(TObjectList) {}
CLASSLIB_PUBLISH(TInterfaceList) {}

// ---- TList ----------------------------------------------------------------------------------

TList::~TList()
{
    // The derived part is gone; a derived Notify cannot run here (TObjectList clears itself).
    items_.clear();
}

void TList::Error(const char* message, int data)
{
    throw EListError(Format(message, {data}));
}

void TList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        Error(messages::ListIndexError, index);
}

void TList::SetCount(int count)
{
    if (count < 0)
        Error(messages::ListCountError, count);
    while (Count() > count)
        Delete(Count() - 1);
    items_.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity)
{
    if (capacity < Count())
        Error(messages::ListCapacityError, capacity);
    items_.reserve(static_cast<size_t>(capacity));
}

void* TList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item)
{
    CheckIndex(index);
    void* old = items_[static_cast<size_t>(index)];
    if (old == item)
        return;
    items_[static_cast<size_t>(index)] = item;
    if (old)
        Notify(old, lnDeleted);
    if (item)
        Notify(item, lnAdded);
}

int TList::Add(void* item)
{
    items_.push_back(item);
    if (item)
        Notify(item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    if (index < 0 || index > Count())
        Error(messages::ListIndexError, index);
    items_.insert(items_.begin() + index, item);
    if (item)
        Notify(item, lnAdded);
}

void TList::Delete(int index)
{
    CheckIndex(index);
    void* item = items_[static_cast<size_t>(index)];
    items_.erase(items_.begin() + index);
    if (item)
        Notify(item, lnDeleted);
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return nullptr;
    items_.erase(items_.begin() + index);
    Notify(item, lnExtracted);
    return item;
}

int TList::IndexOf(void* item) const
{
    const auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear()
{
    while (!items_.empty())
        Delete(Count() - 1);
    items_.shrink_to_fit();
}

void TList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    void* item = items_[static_cast<size_t>(curIndex)];
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack()
{
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const TListSortCompare& compare)
{
    std::stable_sort(items_.begin(), items_.end(),
                     [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Assign(const TList& source)
{
    Clear();
    for (void* p : source.items_)
        Add(p);
}

void TList::Notify(void*, TListNotification) {}

// ---- TObjectList ----------------------------------------------------------------------------

TObjectList::~TObjectList()
{
    Clear();
}

void TObjectList::Notify(void* item, TListNotification action)
{
    if (ownsObjects_ && action == lnDeleted)
        static_cast<TObject*>(item)->Free();
    TList::Notify(item, action);
}

int TObjectList::FindInstanceOf(const TMetaClass& cls, bool exact, int startAt) const
{
    for (int i = std::max(startAt, 0); i < Count(); ++i) {
        const TObject* o = Items(i);
        if (o && (exact ? &o->ClassType() == &cls : o->InheritsFrom(cls)))
            return i;
    }
    return -1;
}

// ---- TInterfaceList -------------------------------------------------------------------------

TInterfaceList::~TInterfaceList()
{
    Clear();
}

void TInterfaceList::CheckIndex(int index) const
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        throw EListError(Format(messages::ListIndexError, {index}));
}

int TInterfaceList::Count() const
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return static_cast<int>(items_.size());
}

TInterfacePtr<IInterface> TInterfaceList::Items(int index) const
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

TInterfacePtr<IInterface> TInterfaceList::Last() const
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return Items(static_cast<int>(items_.size()) - 1);
}

void TInterfaceList::Put(int index, TInterfacePtr<IInterface> item)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = std::move(item);
}

int TInterfaceList::Add(TInterfacePtr<IInterface> item)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    items_.push_back(std::move(item));
    return static_cast<int>(items_.size()) - 1;
}

void TInterfaceList::Insert(int index, TInterfacePtr<IInterface> item)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (index < 0 || index > static_cast<int>(items_.size()))
        throw EListError(Format(messages::ListIndexError, {index}));
    items_.insert(items_.begin() + index, std::move(item));
}

void TInterfaceList::Delete(int index)
{
    TInterfacePtr<IInterface> released; // released after the lock is dropped
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CheckIndex(index);
    released = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
}

int TInterfaceList::IndexOf(IInterface* item) const
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].Get() == item)
            return static_cast<int>(i);
    return -1;
}

int TInterfaceList::Remove(IInterface* item)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void TInterfaceList::Clear()
{
    std::vector<TInterfacePtr<IInterface>> released;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        released.swap(items_);
    }
}

void TInterfaceList::Exchange(int index1, int index2)
{
    std::lock_guard<std::recursive_mutex> guard(lock_);
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

} // namespace classlib
