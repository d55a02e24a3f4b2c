#pragma once
// Password-keyed block cipher (Blowfish: 64-bit blocks, 16 rounds) and the Base64 of the
// crash-report code. The cipher works in plain block mode with the standard byte order, in a
// counter mode, and in plain block mode with the legacy byte order (the standard order applied
// to the block's 8 bytes reversed), in which the embedded debug information is enciphered.
//
// This Base64 stops at the first character outside its alphabet; the settings store's Base64
// skips such characters. The two differ on purpose and are kept apart.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

struct CipherState {
    uint32_t roundKeys[18];
    uint32_t sBoxes[4][256];
};

// The standard initial tables (the hexadecimal digits of pi).
extern const CipherState InitialCipherState;

// One block operation on the halves: step +1 enciphers (round keys from the first), step -1
// deciphers (round keys from the 18th).
void CipherBlock(uint32_t& left, uint32_t& right, const CipherState& state, int step);

// The key schedule on a state holding the initial tables. Only the first 72 password bytes
// count; an empty password leaves the round keys unmixed.
void SetCipherKey(const uint8_t* password, size_t length, CipherState& state);

// Processes the whole 8-byte blocks of the buffer in place (the last length mod 8 bytes stay
// as they are). A counter other than 0 selects counter mode, else `legacy` picks the order.
void CipherBuffer(uint8_t* buffer, size_t length, bool encipher, std::string_view password,
                  uint64_t counter, bool legacy);

// Deciphers in place (plain block mode for counter 0, counter mode otherwise) and removes a
// padding of n bytes of value n (1..8) when there is one.
void DecryptPadded(std::string& text, std::string_view password, uint64_t counter);

// Plain block mode in the legacy order, whole blocks only, no padding.
void LegacyEncrypt(std::string& text, std::string_view password);
void LegacyDecrypt(std::string& text, std::string_view password);

// RFC 4648 alphabet with "=" padding, no line breaks.
std::string EncodeBase64(const uint8_t* buffer, size_t length);
std::string EncodeBase64(std::string_view bytes);
// Empty for a length of 0 or not a multiple of 4; decoding ends at the first character
// outside the alphabet, so one or two trailing pad characters count as padding.
std::string DecodeBase64Buf(const char* text, size_t length);
std::string DecodeBase64(std::string_view text);

} // namespace qor
