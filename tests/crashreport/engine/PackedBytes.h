#pragma once
// Raw deflate data and compressed strings made by zlib itself, independent of the drivers
// under test.
#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

inline std::string ZlibRawDeflate(std::string_view bytes, int level = Z_BEST_COMPRESSION)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("deflate");
    return out;
}

inline std::string ZlibRawInflate(std::string_view deflated, size_t expectedLength)
{
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK)
        throw std::runtime_error("inflateInit2");
    std::string out(expectedLength + 1, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    stream.avail_in = static_cast<uInt>(deflated.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        throw std::runtime_error("inflate");
    return out;
}

inline void AppendLittleEndian32(std::string& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xFF);
}

// Length, an ignored word, zlib's CRC-32 of the content, then its raw deflate data.
inline std::string ZlibPackedString(std::string_view content, uint32_t ignored = 0x5A5A5A5A)
{
    std::string packed;
    AppendLittleEndian32(packed, static_cast<uint32_t>(content.size()));
    AppendLittleEndian32(packed, ignored);
    AppendLittleEndian32(
        packed, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                            static_cast<uInt>(content.size()))));
    return packed + ZlibRawDeflate(content);
}
