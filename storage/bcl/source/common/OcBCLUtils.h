#pragma once
// Value codecs and word routines the storages use for INI values: hexadecimal byte texts,
// the keyed XOR codec, word extraction for window positions, and small tests.
#include <cstdint>
#include <string>
#include <string_view>

namespace bcl {

// Two upper-case hexadecimal digits per byte; empty for bufSize <= 0.
std::string BytesToHexText(const void* buffer, int32_t bufSize);
// Writes min(bufSize, pairs) bytes and returns their count; an odd-length text counts as if
// it had a leading "0". A pair that is not hexadecimal raises EConvertError after the bytes
// before it were written.
int32_t HexTextToBytes(std::string_view text, void* buffer, int32_t bufSize);

// Each byte xor-ed with the key (repeated) as two lower-case hexadecimal digits.
std::string XorToHexText(std::string_view key, std::string_view source);
// Inverse of XorToHexText; a pair that is not hexadecimal decodes as 32 xor the key byte.
std::string XorFromHexText(std::string_view key, std::string_view source);

// 1-based position of word `n` (from 1), 0 when absent. Words are runs of characters not
// in `delimiters`; there are no empty words.
int WordPosition(int n, std::string_view text, std::string_view delimiters);
std::string ExtractWord(int n, std::string_view text, std::string_view delimiters);
// Bit (c mod 32) of word (c div 32) of a 256-bit set.
bool CharInSet256(uint8_t c, const uint32_t (&set)[8]);

// True for the variant type codes of 8-, 16- and 32-bit integers, signed or not.
bool VariantIsInteger(uint16_t variantType);

} // namespace bcl
