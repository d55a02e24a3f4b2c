#pragma once
// A dock panel's side and a toolbar's orientation: daTop and daBottom make a toolbar horizontal.
#include "core/Object.h"

#include <cstdint>

namespace toolbar {

enum TDockAlign { daLeft, daTop, daRight, daBottom };
CLASSLIB_ENUM(TDockAlign);

// A set of sides as bits (1 << side).
using TDockAligns = uint8_t;
constexpr TDockAligns kAllDockAligns = 0x0F;
inline bool ContainsAlign(TDockAligns set, TDockAlign align)
{
    return (set >> static_cast<int>(align)) & 1u;
}
inline bool IsHorizontal(TDockAlign align)
{
    return align == daTop || align == daBottom;
}

} // namespace toolbar
