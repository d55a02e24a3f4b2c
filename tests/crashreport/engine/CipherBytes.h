#pragma once
// Bytes written as hexadecimal text in the tests' tables, and the cipher over whole strings.
#include "QorCrypt.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

inline std::string FromHex(std::string_view hex)
{
    const auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(nibble(hex[i]) * 16 + nibble(hex[i + 1]));
    return bytes;
}

inline std::string ToHex(std::string_view bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string hex;
    for (char c : bytes) {
        hex += Digits[static_cast<unsigned char>(c) >> 4];
        hex += Digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

inline std::string Ciphered(std::string bytes, const std::string& password, bool encipher,
                            uint64_t counter, bool legacy)
{
    qor::CipherBuffer(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), encipher, password,
                      counter, legacy);
    return bytes;
}

// Each whole 8-byte block with its bytes in reverse order.
inline std::string ReversedBlocks(std::string bytes)
{
    for (size_t i = 0; i + 8 <= bytes.size(); i += 8)
        std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                     bytes.begin() + static_cast<std::ptrdiff_t>(i + 8));
    return bytes;
}
