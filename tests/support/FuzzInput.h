#pragma once
// The bytes a stream fuzz target reads for one input. Inputs starting with 'P' patch a valid
// sample stream (at the offset in the next two bytes, little endian) with the rest of the
// input, so the search reaches deep into valid streams without a seed corpus; any other input
// is read as it is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

inline std::string FuzzStreamBytes(const std::string& sample, const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size >= 3 && data[0] == 'P' && !sample.empty()) {
        const size_t offset = (data[1] | (data[2] << 8)) % sample.size();
        std::string patched = sample;
        patched.replace(offset, std::min(size - 3, patched.size() - offset), bytes.substr(3));
        return patched;
    }
    return bytes;
}

// The input read one byte at a time, zeros once it is used up.
struct FuzzByteReader {
    const uint8_t* p;
    const uint8_t* end;
    int Byte() { return p < end ? *p++ : 0; }
    bool Empty() const { return p >= end; }
};
