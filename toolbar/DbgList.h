#pragma once
// The toolbar family's list of controls: the platform list whose item access tests the index
// first, so that a list that shrank under a walk fails with a clear message instead of reading
// past its end.
#include "core/Lists.h"

namespace toolbar {

class TDbgList : public classlib::TList {
    CLASSLIB_CLASS(TDbgList, classlib::TList)
    TDbgList() = default;

    // An index not below Count raises Exception "Index out of bounds in list read access"; a
    // negative one is refused by the platform list itself.
    void* Items(int index) const;
    // An index not below Count raises Exception "Index out of bounds in list write access".
    void SetItems(int index, void* item);
};

} // namespace toolbar
