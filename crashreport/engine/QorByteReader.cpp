#include "QorByteReader.h"

namespace qor {

bool ByteReader::Skip(size_t count)
{
    if (count > Left())
        return false;
    position_ += count;
    return true;
}

bool ByteReader::U8(uint8_t& value)
{
    if (Left() < 1)
        return false;
    value = static_cast<uint8_t>(bytes_[position_++]);
    return true;
}

bool ByteReader::U16(uint16_t& value)
{
    if (Left() < 2)
        return false;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes_.data() + position_);
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    position_ += 2;
    return true;
}

bool ByteReader::U32(uint32_t& value)
{
    if (Left() < 4)
        return false;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes_.data() + position_);
    value =
        uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    position_ += 4;
    return true;
}

bool ByteReader::Compact(int32_t& value)
{
    const size_t start = position_;
    uint8_t byte = 0;
    if (!U8(byte))
        return false;
    if (byte != 0x80) {
        value = static_cast<int8_t>(byte);
        return true;
    }
    uint32_t word = 0;
    if (!U32(word)) {
        position_ = start;
        return false;
    }
    value = static_cast<int32_t>(word);
    return true;
}

bool ByteReader::ShortString(std::string& text)
{
    if (Left() < 1 || static_cast<uint8_t>(bytes_[position_]) > Left() - 1)
        return false;
    const size_t length = static_cast<uint8_t>(bytes_[position_]);
    text.assign(bytes_.substr(position_ + 1, length));
    position_ += 1 + length;
    return true;
}

bool ByteReader::SevenBit(uint32_t& value)
{
    const size_t start = position_;
    uint32_t result = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        uint8_t byte = 0;
        if (!U8(byte))
            break;
        result |= uint32_t(byte & 0x7F) << shift;
        if (!(byte & 0x80)) {
            value = result;
            return true;
        }
    }
    position_ = start;
    return false;
}

uint16_t U16At(std::string_view bytes, size_t offset)
{
    uint16_t value = 0;
    ByteReader(bytes, offset).U16(value);
    return value;
}

uint32_t U32At(std::string_view bytes, size_t offset)
{
    uint32_t value = 0;
    ByteReader(bytes, offset).U32(value);
    return value;
}

} // namespace qor
