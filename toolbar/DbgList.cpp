#include "toolbar/DbgList.h"

#include "core/TypeInfo.h"

using namespace classlib;

namespace toolbar {

CLASSLIB_PUBLISH(TDbgList) {}

void* TDbgList::Items(int index) const
{
    if (index >= Count())
        throw Exception("Index out of bounds in list read access");
    return TList::Get(index);
}

void TDbgList::SetItems(int index, void* item)
{
    if (index >= Count())
        throw Exception("Index out of bounds in list write access");
    TList::Put(index, item);
}

} // namespace toolbar
