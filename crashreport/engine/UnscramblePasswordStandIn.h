#pragma once
// Stand-in until the delivery's `UnscramblePassword` lands: the settings store turns the stored
// SMTP and HTTP passwords into usable ones through it.
#include <string>
#include <string_view>

namespace qor {

// The password from its stored (scrambled, Base64-decoded) bytes, the account and the server.
std::string UnscramblePassword(const std::string& stored, std::string_view account,
                               std::string_view server);

} // namespace qor
