#include "BcMime.h"

#include <array>

namespace bcl {

namespace {

constexpr char EncodeTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int32_t BytesPerLine = 57;
constexpr int32_t CharsPerLine = 76;
constexpr uint8_t Skip = 255;

constexpr std::array<uint8_t, 256> MakeDecodeTable()
{
    std::array<uint8_t, 256> table{};
    for (auto& entry : table)
        entry = Skip;
    for (int i = 0; i < 64; ++i)
        table[static_cast<uint8_t>(EncodeTable[i])] = static_cast<uint8_t>(i);
    return table;
}
constexpr std::array<uint8_t, 256> DecodeTable = MakeDecodeTable();

void EncodeGroup(const uint8_t* in, char* out)
{
    const uint32_t value = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
    out[0] = EncodeTable[(value >> 18) & 63];
    out[1] = EncodeTable[(value >> 12) & 63];
    out[2] = EncodeTable[(value >> 6) & 63];
    out[3] = EncodeTable[value & 63];
}

} // namespace

int32_t Base64EncodedLength(int32_t inputSize)
{
    if (inputSize <= 0)
        return inputSize;
    return (inputSize + 2) / 3 * 4 + (inputSize - 1) / BytesPerLine * 2;
}

int32_t Base64DecodedLength(int32_t inputSize)
{
    return (inputSize + 3) / 4 * 3;
}

void EncodeBase64FullLines(const uint8_t* input, int32_t inputSize, char* output)
{
    const int32_t lines = inputSize / BytesPerLine;
    for (int32_t line = 0; line < lines; ++line) {
        if (line > 0) {
            *output++ = '\r';
            *output++ = '\n';
        }
        for (int32_t group = 0; group < BytesPerLine / 3; ++group) {
            EncodeGroup(input, output);
            input += 3;
            output += 4;
        }
    }
}

void EncodeBase64Tail(const uint8_t* input, int32_t inputSize, char* output)
{
    int32_t left = inputSize;
    while (left >= 3) {
        EncodeGroup(input, output);
        input += 3;
        output += 4;
        left -= 3;
    }
    if (left == 1) {
        output[0] = EncodeTable[input[0] >> 2];
        output[1] = EncodeTable[(input[0] & 3) << 4];
        output[2] = '=';
        output[3] = '=';
    } else if (left == 2) {
        output[0] = EncodeTable[input[0] >> 2];
        output[1] = EncodeTable[((input[0] & 3) << 4) | (input[1] >> 4)];
        output[2] = EncodeTable[(input[1] & 15) << 2];
        output[3] = '=';
    }
}

void EncodeBase64Lines(const uint8_t* input, int32_t inputSize, char* output)
{
    if (inputSize <= 0)
        return;
    const int32_t lines = inputSize / BytesPerLine;
    const int32_t rest = inputSize % BytesPerLine;
    EncodeBase64FullLines(input, inputSize, output);
    if (lines > 0) {
        output += lines * CharsPerLine + (lines - 1) * 2;
        if (rest > 0) {
            *output++ = '\r';
            *output++ = '\n';
        }
    }
    EncodeBase64Tail(input + lines * BytesPerLine, rest, output);
}

int32_t DecodeBase64Chunk(const char* input, int32_t inputSize, uint8_t* output, int32_t& needed,
                          int32_t& accumulator)
{
    if (inputSize < 1)
        return 0;
    // The accumulator holds at most 24 bits between groups; unsigned arithmetic keeps the
    // shift defined whatever state a caller hands in.
    uint32_t bits = static_cast<uint32_t>(accumulator);
    int32_t written = 0;
    for (int32_t i = 0; i < inputSize; ++i) {
        const uint8_t value = DecodeTable[static_cast<uint8_t>(input[i])];
        if (value == Skip)
            continue;
        bits = (bits << 6) | value;
        if (--needed == 0) {
            output[written++] = static_cast<uint8_t>(bits >> 16);
            output[written++] = static_cast<uint8_t>(bits >> 8);
            output[written++] = static_cast<uint8_t>(bits);
            bits = 0;
            needed = 4;
        }
    }
    accumulator = static_cast<int32_t>(bits);
    return written;
}

int32_t DecodeBase64Finish(uint8_t* output, int32_t accumulator, int32_t needed)
{
    const uint32_t bits = static_cast<uint32_t>(accumulator);
    if (needed == 1) { // 18 bits pending
        output[0] = static_cast<uint8_t>(bits >> 10);
        output[1] = static_cast<uint8_t>(bits >> 2);
        return 2;
    }
    if (needed == 2) { // 12 bits pending
        output[0] = static_cast<uint8_t>(bits >> 4);
        return 1;
    }
    return 0;
}

std::string EncodeBase64Text(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const auto size = static_cast<int32_t>(bytes.size());
    std::string text(static_cast<size_t>(Base64EncodedLength(size)), '\0');
    EncodeBase64Lines(reinterpret_cast<const uint8_t*>(bytes.data()), size, text.data());
    return text;
}

std::string DecodeBase64Text(std::string_view text)
{
    if (text.empty())
        return {};
    const auto size = static_cast<int32_t>(text.size());
    std::string bytes(static_cast<size_t>(Base64DecodedLength(size)), '\0');
    auto* out = reinterpret_cast<uint8_t*>(bytes.data());
    Base64DecodeState state;
    int32_t written = DecodeBase64Chunk(text.data(), size, out, state.needed, state.accumulator);
    written += DecodeBase64Finish(out + written, state.accumulator, state.needed);
    bytes.resize(static_cast<size_t>(written));
    return bytes;
}

} // namespace bcl
