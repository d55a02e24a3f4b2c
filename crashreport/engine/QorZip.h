#pragma once
// Raw deflate and inflate drivers around zlib, the zip standard's CRC-32 and the decoder of
// the crash-report library's compressed strings. Portable: the drivers read and write their
// sides through `TDataSide`, whose memory form lives here and whose file and file-mapping forms
// are Windows code (crashreport/ui/CompressionSides.h). The drivers never raise: every failure
// gives 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

// Sources and destinations are reached through windows of at most this many bytes, aligned to
// multiples of it from the start of the side.
inline constexpr uint32_t WindowSize = 1u << 20;

// One side (source or destination) of a driver call.
class TDataSide {
public:
    virtual ~TDataSide() = default;
    // Makes bytes [start, start + size) reachable at `data`; false when that fails. A source
    // window must deliver all `size` bytes.
    virtual bool OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data) = 0;
    // A destination window is complete: bytes [from, to) of it must reach the side.
    virtual bool WriteOut(uint64_t /*start*/, uint32_t /*from*/, uint32_t /*to*/) { return true; }
    // Whether the call's offset applies to this side (file and mapping sides).
    virtual bool HonoursOffset() const { return true; }
};

// A memory block as a side; the offset does not apply to it.
class TMemorySide : public TDataSide {
public:
    explicit TMemorySide(const void* data) : data_(static_cast<uint8_t*>(const_cast<void*>(data)))
    {
    }
    bool OpenWindow(uint64_t start, uint32_t, bool, uint8_t*& data) override;
    bool HonoursOffset() const override { return false; }

private:
    uint8_t* data_;
};

// The reflected CRC-32 of the zip standard (polynomial 0xEDB88320) advanced over the buffer,
// with neither the initial nor the final inversion: start with 0xFFFFFFFF, invert the result.
uint32_t ContinueCrc32(uint32_t running, const void* buffer, size_t length);

// Raw deflate (no zlib header or trailer) with the fast strategy of compression level 2, of
// `sourceLength` bytes from `source` into `destination`, whose first `offset` bytes are skipped
// and left as they are. Lengths and the offset are absolute positions on their side. Returns
// the compressed bytes written after the offset, or 0 on any failure, also when the destination
// was filled exactly or ran out. `crc`, when given, receives the CRC-32 of the source.
uint64_t DeflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc = nullptr);
// Raw inflate; the offset skips bytes at the start of the source. Returns the bytes written,
// which must be exactly `destinationLength` after the whole source was consumed; else 0.
// `crc`, when given, receives the CRC-32 of the output.
uint64_t InflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc = nullptr);

// The drivers from memory to memory; 0 on failure. A destination of DeflateDestinationSize
// bytes always holds the compressed data; the inflate destination must have the exact length.
uint32_t DeflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength);
uint32_t InflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength);

// The destination a deflate of `sourceLength` bytes always fits: length x 11 / 10 + 12,
// computed in 64 bits; 0 when it exceeds what a 32-bit size can hold (the caller skips the
// data instead of allocating a wrapped-around size).
uint32_t DeflateDestinationSize(uint64_t sourceLength);

// A compressed string: uncompressed length (4 bytes, little-endian), a 4-byte value the
// decoder ignores, the CRC-32 of the uncompressed bytes (4 bytes, little-endian), then raw
// deflate data. Empty for short input, failed inflation or a CRC mismatch.
std::string UnpackString(std::string_view packed);
// The compressed string of the bytes (the ignored value written as 0); empty when the input
// is longer than a 32-bit length or deflating fails.
std::string PackString(std::string_view bytes);

} // namespace qor
