#pragma once
// The settings store's names for the class library's hook chains (core/HookChains.h): the
// store's window-procedure hooks and the controls' own hook chains are one mechanism.
#include "core/HookChains.h"

namespace storage {

using TOcHookOrder = classlib::THookOrder;
using classlib::hoAfterMsg;
using classlib::hoBeforeMsg;
template <class Msg>
using TOcHookChains = classlib::THookChains<Msg>;

} // namespace storage
