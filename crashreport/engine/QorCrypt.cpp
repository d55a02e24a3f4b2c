#include "QorCrypt.h"

#include <algorithm>
#include <array>

namespace qor {

namespace {

constexpr size_t BlockSize = 8;
constexpr size_t KeyScheduleBytes = 72;

uint32_t RoundFunction(const CipherState& state, uint32_t x)
{
    return ((state.sBoxes[0][x >> 24] + state.sBoxes[1][(x >> 16) & 255]) ^
            state.sBoxes[2][(x >> 8) & 255]) +
           state.sBoxes[3][x & 255];
}

uint32_t BigEndianWord(const uint8_t* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           bytes[3];
}

void StoreBigEndian(uint32_t word, uint8_t* bytes)
{
    for (int i = 3; i >= 0; --i, word >>= 8)
        bytes[i] = static_cast<uint8_t>(word);
}

uint32_t LittleEndianWord(const uint8_t* bytes)
{
    return (uint32_t(bytes[3]) << 24) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[1]) << 8) |
           bytes[0];
}

void StoreLittleEndian(uint32_t word, uint8_t* bytes)
{
    for (int i = 0; i < 4; ++i, word >>= 8)
        bytes[i] = static_cast<uint8_t>(word);
}

void CipherStandardBlock(uint8_t* block, const CipherState& state, int step)
{
    uint32_t left = BigEndianWord(block);
    uint32_t right = BigEndianWord(block + 4);
    CipherBlock(left, right, state, step);
    StoreBigEndian(left, block);
    StoreBigEndian(right, block + 4);
}

void CipherLegacyBlock(uint8_t* block, const CipherState& state, int step)
{
    uint32_t left = LittleEndianWord(block + 4);
    uint32_t right = LittleEndianWord(block);
    CipherBlock(left, right, state, step);
    StoreLittleEndian(left, block + 4);
    StoreLittleEndian(right, block);
}

// The counter block is the counter's bytes as stored in memory (little-endian), counted as a
// big-endian number.
std::array<uint8_t, BlockSize> CounterBlock(uint64_t counter)
{
    std::array<uint8_t, BlockSize> block{};
    for (size_t i = 0; i < BlockSize; ++i, counter >>= 8)
        block[i] = static_cast<uint8_t>(counter);
    return block;
}

void IncrementBigEndian(std::array<uint8_t, BlockSize>& block)
{
    for (size_t i = BlockSize; i-- > 0;)
        if (++block[i] != 0)
            break;
}

void CipherString(std::string& text, std::string_view password, bool encipher, uint64_t counter,
                  bool legacy)
{
    // A std::string owns its bytes: changing it never changes another string's copy.
    CipherBuffer(reinterpret_cast<uint8_t*>(text.data()), text.size(), encipher, password, counter,
                 legacy);
}

constexpr char Base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char Base64Pad = '=';
constexpr uint8_t NotInAlphabet = 0xFF;

constexpr std::array<uint8_t, 256> MakeBase64Values()
{
    std::array<uint8_t, 256> values{};
    values.fill(NotInAlphabet);
    for (uint8_t i = 0; i < 64; ++i)
        values[static_cast<uint8_t>(Base64Alphabet[i])] = i;
    return values;
}

constexpr std::array<uint8_t, 256> Base64Values = MakeBase64Values();

} // namespace

void CipherBlock(uint32_t& left, uint32_t& right, const CipherState& state, int step)
{
    const uint32_t* key = step > 0 ? state.roundKeys : state.roundKeys + 17;
    uint32_t l = left ^ *key;
    uint32_t r = right;
    for (int round = 0; round < 16; round += 2) {
        key += step;
        r ^= RoundFunction(state, l) ^ *key;
        key += step;
        l ^= RoundFunction(state, r) ^ *key;
    }
    key += step;
    left = r ^ *key;
    right = l;
}

void SetCipherKey(const uint8_t* password, size_t length, CipherState& state)
{
    if (password && length > 0) {
        const size_t used = std::min(length, KeyScheduleBytes);
        size_t next = 0;
        for (uint32_t& roundKey : state.roundKeys) {
            uint32_t word = 0;
            for (int i = 0; i < 4; ++i) {
                word = (word << 8) | password[next];
                next = (next + 1) % used;
            }
            roundKey ^= word;
        }
    }
    uint32_t left = 0;
    uint32_t right = 0;
    for (size_t i = 0; i < 18; i += 2) {
        CipherBlock(left, right, state, 1);
        state.roundKeys[i] = left;
        state.roundKeys[i + 1] = right;
    }
    for (auto& box : state.sBoxes)
        for (size_t i = 0; i < 256; i += 2) {
            CipherBlock(left, right, state, 1);
            box[i] = left;
            box[i + 1] = right;
        }
}

void CipherBuffer(uint8_t* buffer, size_t length, bool encipher, std::string_view password,
                  uint64_t counter, bool legacy)
{
    CipherState state = InitialCipherState;
    SetCipherKey(reinterpret_cast<const uint8_t*>(password.data()), password.size(), state);
    const int step = encipher ? 1 : -1;
    std::array<uint8_t, BlockSize> counterBlock = CounterBlock(counter);
    for (size_t offset = 0; offset + BlockSize <= length; offset += BlockSize) {
        uint8_t* block = buffer + offset;
        if (counter != 0) {
            IncrementBigEndian(counterBlock);
            std::array<uint8_t, BlockSize> keyStream = counterBlock;
            CipherStandardBlock(keyStream.data(), state, step);
            for (size_t i = 0; i < BlockSize; ++i)
                block[i] ^= keyStream[i];
        } else if (!legacy) {
            CipherStandardBlock(block, state, step);
        } else {
            CipherLegacyBlock(block, state, step);
        }
    }
}

void DecryptPadded(std::string& text, std::string_view password, uint64_t counter)
{
    if (text.empty())
        return;
    // Counter mode deciphers by running the enciphering direction again.
    CipherString(text, password, counter != 0, counter, false);
    const uint8_t padding = static_cast<uint8_t>(text.back());
    if (padding < 1 || padding > BlockSize || padding > text.size())
        return;
    if (std::all_of(text.end() - padding, text.end(),
                    [&](char c) { return static_cast<uint8_t>(c) == padding; }))
        text.resize(text.size() - padding);
}

void LegacyEncrypt(std::string& text, std::string_view password)
{
    CipherString(text, password, true, 0, true);
}

void LegacyDecrypt(std::string& text, std::string_view password)
{
    CipherString(text, password, false, 0, true);
}

std::string EncodeBase64(const uint8_t* buffer, size_t length)
{
    std::string text;
    if (!buffer || length == 0)
        return text;
    text.reserve((length + 2) / 3 * 4);
    for (size_t i = 0; i < length; i += 3) {
        const size_t left = length - i;
        const uint32_t group = (uint32_t(buffer[i]) << 16) |
                               (left > 1 ? uint32_t(buffer[i + 1]) << 8 : 0) |
                               (left > 2 ? buffer[i + 2] : 0);
        text += Base64Alphabet[group >> 18];
        text += Base64Alphabet[(group >> 12) & 63];
        text += left > 1 ? Base64Alphabet[(group >> 6) & 63] : Base64Pad;
        text += left > 2 ? Base64Alphabet[group & 63] : Base64Pad;
    }
    return text;
}

std::string EncodeBase64(std::string_view bytes)
{
    return EncodeBase64(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string DecodeBase64Buf(const char* text, size_t length)
{
    std::string bytes;
    if (!text || length == 0 || length % 4 != 0)
        return bytes;
    bytes.reserve(length / 4 * 3);
    for (size_t i = 0; i < length; i += 4) {
        uint32_t group = 0;
        size_t valid = 0;
        while (valid < 4) {
            const uint8_t value = Base64Values[static_cast<uint8_t>(text[i + valid])];
            if (value == NotInAlphabet)
                break;
            group |= uint32_t(value) << (18 - 6 * valid);
            ++valid;
        }
        // A group of n valid characters carries n - 1 whole bytes.
        for (size_t k = 0; k + 1 < valid; ++k)
            bytes += static_cast<char>(group >> (16 - 8 * k));
        if (valid < 4)
            break;
    }
    return bytes;
}

std::string DecodeBase64(std::string_view text)
{
    return DecodeBase64Buf(text.data(), text.size());
}

} // namespace qor
