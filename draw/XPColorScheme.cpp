#include "draw/XPColorScheme.h"

#include <algorithm>
#include <iterator>

namespace draw {

int XPColorSchemeNumber(std::string_view schemeName)
{
    static constexpr std::string_view Schemes[] = {"NormalColor", "HomeStead", "Metallic"};
    const auto* found = std::find(std::begin(Schemes), std::end(Schemes), schemeName);
    return found == std::end(Schemes) ? 0 : static_cast<int>(found - std::begin(Schemes)) + 1;
}

} // namespace draw
