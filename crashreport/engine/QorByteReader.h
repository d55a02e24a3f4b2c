#pragma once
// Bounded reading of little-endian numbers and texts from a byte view: every read checks what
// is left and fails, without moving, when the view ends first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes, size_t position = 0)
        : bytes_(bytes), position_(position <= bytes.size() ? position : bytes.size())
    {
    }

    size_t Position() const { return position_; }
    size_t Left() const { return bytes_.size() - position_; }

    bool Skip(size_t count);
    bool U8(uint8_t& value);
    bool U16(uint16_t& value);
    bool U32(uint32_t& value);
    // One signed byte; the byte 0x80 announces a 32-bit value instead.
    bool Compact(int32_t& value);
    // A length byte and that many characters.
    bool ShortString(std::string& text);
    // 7-bit groups, low group first, the high bit marking that another byte follows.
    bool SevenBit(uint32_t& value);

private:
    std::string_view bytes_;
    size_t position_;
};

// One number at an offset of the view; 0 when it does not lie wholly inside.
uint16_t U16At(std::string_view bytes, size_t offset);
uint32_t U32At(std::string_view bytes, size_t offset);

} // namespace qor
