#pragma once
// Base64 with the RFC 2045 alphabet: a line-broken encoder (76 characters per line, CR LF
// between lines), an encoder without line breaks, and a decoder that can be fed in pieces.
// The decoder skips every byte outside the alphabet ("=", CR, LF, blanks, anything else).
#include <cstdint>
#include <string>
#include <string_view>

namespace bcl {

// Characters EncodeBase64Lines writes for `inputSize` bytes.
int32_t Base64EncodedLength(int32_t inputSize);
// Upper bound of the bytes the decoder writes for `inputSize` characters.
int32_t Base64DecodedLength(int32_t inputSize);

// `output` must hold Base64EncodedLength(inputSize) characters.
void EncodeBase64Lines(const uint8_t* input, int32_t inputSize, char* output);
// Encodes only the complete 57-byte lines of the input (76 characters each, CR LF between).
void EncodeBase64FullLines(const uint8_t* input, int32_t inputSize, char* output);
// Encodes without line breaks, padding the last group with "=".
void EncodeBase64Tail(const uint8_t* input, int32_t inputSize, char* output);

// Decoder state: `needed` sextets still missing from the current 3-byte group (4 at the
// start of a stream) and the bits collected so far.
struct Base64DecodeState {
    int32_t needed = 4;
    int32_t accumulator = 0;
};
// Returns the bytes written to `output` (at most Base64DecodedLength(inputSize)).
int32_t DecodeBase64Chunk(const char* input, int32_t inputSize, uint8_t* output, int32_t& needed,
                          int32_t& accumulator);
// Writes the bytes of a final partial group (0 to 2) and returns their count.
int32_t DecodeBase64Finish(uint8_t* output, int32_t accumulator, int32_t needed);

std::string EncodeBase64Text(std::string_view bytes);
std::string DecodeBase64Text(std::string_view text);

} // namespace bcl
