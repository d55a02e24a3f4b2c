#include "UnscramblePasswordStandIn.h"

namespace qor {

// The scrambling keys belong to the delivery; until it provides the real routine no stored
// password is usable, and an empty one is safer than handing the scrambled bytes to a server.
std::string UnscramblePassword(const std::string&, std::string_view, std::string_view)
{
    return {};
}

} // namespace qor
