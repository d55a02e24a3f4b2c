#pragma once
// Raw deflate and inflate drivers around zlib, the zip standard's CRC-32 and the decoder of
// the crash-report library's compressed strings.
//
// A driver reads its source and fills its destination window by window; a memory block is one
// side kind (others, such as files read through a buffer, present their data the same way).
// The drivers never raise: every failure gives 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qor {

// The reflected CRC-32 of the zip standard (polynomial 0xEDB88320) advanced over the buffer,
// with neither the initial nor the final inversion: start with 0xFFFFFFFF, invert the result.
uint32_t ContinueCrc32(uint32_t running, const void* buffer, size_t length);

// Where a driver reads from.
class StreamSource {
public:
    virtual ~StreamSource() = default;
    // Total number of bytes to read.
    virtual uint64_t Length() const = 0;
    // The next window of input (at least one byte while input remains); raises QorException
    // when it cannot be read.
    virtual void NextWindow(const uint8_t*& data, size_t& size) = 0;
};

// Where a driver writes to.
class StreamDestination {
public:
    virtual ~StreamDestination() = default;
    // Number of bytes that may be written.
    virtual uint64_t Length() const = 0;
    // Writes out the previous (full) window and gives the next one; false when the destination
    // has no room left. Raises QorException when a write fails.
    virtual bool NextWindow(uint8_t*& data, size_t& size) = 0;
    // Writes out the last window's first `filled` bytes.
    virtual void Finish(size_t filled) = 0;
};

class MemorySource : public StreamSource {
public:
    MemorySource(const void* data, uint64_t length);
    uint64_t Length() const override { return length_; }
    void NextWindow(const uint8_t*& data, size_t& size) override;

private:
    const uint8_t* data_;
    uint64_t length_;
    uint64_t position_ = 0;
};

class MemoryDestination : public StreamDestination {
public:
    MemoryDestination(void* data, uint64_t length);
    uint64_t Length() const override { return length_; }
    bool NextWindow(uint8_t*& data, size_t& size) override;
    void Finish(size_t) override {}

private:
    uint8_t* data_;
    uint64_t length_;
    uint64_t position_ = 0;
};

// Raw deflate (no zlib header or trailer) with the fast strategy of compression level 2.
// Returns the compressed length; 0 on failure, also when the output filled the destination
// exactly. With `crc`, it receives the CRC-32 of the source.
uint64_t DeflateStream(StreamSource& source, StreamDestination& destination, uint32_t* crc);
// Raw inflate. Returns the uncompressed length, or 0 unless the whole source was consumed
// without error and the output has exactly the destination's length. With `crc`, it receives
// the CRC-32 of the output.
uint64_t InflateStream(StreamSource& source, StreamDestination& destination, uint32_t* crc);

// The drivers from memory to memory. A destination of source length x 11 / 10 + 12 bytes
// always holds the compressed data; the inflate destination must have the exact length.
uint32_t DeflateBuffer(const void* source, void* destination, uint32_t sourceLength, uint32_t destinationLength);
uint32_t InflateBuffer(const void* source, void* destination, uint32_t sourceLength, uint32_t destinationLength);

// A compressed string: uncompressed length (4 bytes, little-endian), a 4-byte value the
// decoder ignores, the CRC-32 of the uncompressed bytes (4 bytes, little-endian), then raw
// deflate data. Empty for short input, failed inflation or a CRC mismatch.
std::string UnpackString(std::string_view packed);

} // namespace qor
