#pragma once
// The stored SMTP and HTTP passwords of the crash-report settings are kept scrambled: the tool
// that writes the settings enciphers the padded password in counter mode keyed by the account
// name, pads the result again and enciphers it keyed by the server name. Portable.
#include <cstdint>
#include <string>

namespace qor {

// The counter values of the two passes (the server's first, the account's second).
inline constexpr uint64_t kServerPassCounter = 0x5A3C96E1D2B4870Full;
inline constexpr uint64_t kAccountPassCounter = 0x1F6B2D94C7E3A058ull;

// The plain password of the stored (Base64-decoded) bytes.
std::string UnscramblePassword(const std::string& stored, const std::string& account,
                               const std::string& server);

} // namespace qor
