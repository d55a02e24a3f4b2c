#include "QorZip.h"

#include "QorByteReader.h"
#include "QorStrings.h"

#include <zlib.h>

#include <algorithm>

namespace qor {

namespace {

// zlib counts its buffers in 32 bits: larger memory blocks are handed over in parts.
constexpr uint64_t LargestZlibWindow = uint64_t(1) << 30;

// The fast strategy with the parameters of compression level 2 (good length 4, insert length
// 5, nice length 16, chain 8), a 32 KiB window and a 16384-entry literal buffer.
constexpr int CompressionLevel = 2;
constexpr int RawWindowBits = -15;
constexpr int MemoryLevel = 8;

// The largest output deflate can make of one input byte: a 258-byte match coded in a single
// bit, so 1032 output bytes per input byte. A compressed string that announces more cannot be
// true and is refused before anything is allocated.
constexpr uint64_t LargestInflateRatio = 1032;

constexpr size_t PackedHeaderSize = 12;

size_t WindowSize(uint64_t remaining)
{
    return static_cast<size_t>(std::min(remaining, LargestZlibWindow));
}

// Feeds zlib from a source and into a destination, one window at a time.
struct WindowFeed {
    z_stream& stream;
    StreamSource& source;
    StreamDestination& destination;
    uint64_t given = 0;        // source bytes handed to zlib
    bool destinationFull = false;
    uint8_t noRoom = 0;        // where zlib points when the destination has no room left

    // True when a new window was handed to zlib.
    bool RefillInput()
    {
        if (stream.avail_in != 0 || given >= source.Length())
            return false;
        const uint8_t* data = nullptr;
        size_t size = 0;
        source.NextWindow(data, size);
        size = static_cast<size_t>(std::min<uint64_t>(size, source.Length() - given));
        if (size == 0)
            throw QorException("Stream read error.");
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(size);
        given += size;
        return true;
    }

    bool AllInputGiven() const { return given >= source.Length(); }
    bool AllInputUsed() const { return AllInputGiven() && stream.avail_in == 0; }

    // Moves on to the next destination window when zlib has filled the current one.
    void MoveOutput()
    {
        if (stream.avail_out != 0 || destinationFull)
            return;
        uint8_t* data = nullptr;
        size_t size = 0;
        if (destination.NextWindow(data, size) && size > 0) {
            stream.next_out = data;
            stream.avail_out = static_cast<uInt>(size);
        } else {
            // zlib may still finish the stream without writing: it gets a valid pointer and
            // no room.
            destinationFull = true;
            stream.next_out = &noRoom;
            stream.avail_out = 0;
        }
        windowStart = stream.next_out;
    }

    // Writes out the last window's filled part; the driver's result.
    uint64_t Finish()
    {
        destination.Finish(static_cast<size_t>(stream.next_out - windowStart));
        return stream.total_out;
    }

    const Bytef* windowStart = nullptr; // start of the destination window zlib fills
};

// The frame both drivers share: the CRC's start value and final inversion, zlib's stream
// record, and the rule that any failure inside gives 0.
template <typename Init, typename Body>
uint64_t Drive(uint32_t* crc, Init init, int (*end)(z_streamp), Body body)
{
    if (crc)
        *crc = 0xFFFFFFFFu;
    z_stream stream{};
    uint64_t result = 0;
    if (init(stream) == Z_OK) {
        try {
            result = body(stream);
        } catch (const QorException&) {
            result = 0;
        }
        end(&stream);
    }
    if (crc)
        *crc = ~*crc;
    return result;
}

} // namespace

uint32_t ContinueCrc32(uint32_t running, const void* buffer, size_t length)
{
    // zlib's CRC-32 inverts the register on entry and exit; this one does neither.
    uLong crc = ~running & 0xFFFFFFFFu;
    const auto* bytes = static_cast<const Bytef*>(buffer);
    while (length > 0) {
        const size_t part = WindowSize(length);
        crc = crc32(crc, bytes, static_cast<uInt>(part));
        bytes += part;
        length -= part;
    }
    return ~static_cast<uint32_t>(crc);
}

MemorySource::MemorySource(const void* data, uint64_t length)
    : data_(static_cast<const uint8_t*>(data)), length_(data ? length : 0)
{
}

void MemorySource::NextWindow(const uint8_t*& data, size_t& size)
{
    data = data_ + position_;
    size = WindowSize(length_ - position_);
    position_ += size;
}

MemoryDestination::MemoryDestination(void* data, uint64_t length)
    : data_(static_cast<uint8_t*>(data)), length_(data ? length : 0)
{
}

bool MemoryDestination::NextWindow(uint8_t*& data, size_t& size)
{
    if (position_ >= length_)
        return false;
    data = data_ + position_;
    size = WindowSize(length_ - position_);
    position_ += size;
    return true;
}

uint64_t DeflateStream(StreamSource& source, StreamDestination& destination, uint32_t* crc)
{
    const auto init = [](z_stream& stream) {
        return deflateInit2(&stream, CompressionLevel, Z_DEFLATED, RawWindowBits, MemoryLevel, Z_DEFAULT_STRATEGY);
    };
    return Drive(crc, init, deflateEnd, [&](z_stream& stream) -> uint64_t {
        WindowFeed windows{stream, source, destination};
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (windows.RefillInput() && crc)
                *crc = ContinueCrc32(*crc, stream.next_in, stream.avail_in);
            windows.MoveOutput();
            if (windows.destinationFull)
                return 0;
            status = deflate(&stream, windows.AllInputGiven() ? Z_FINISH : Z_NO_FLUSH);
            // zlib reports a buffer error when it could not go on: only a full window is a
            // reason for that here.
            const bool windowFull = status == Z_BUF_ERROR && stream.avail_out == 0;
            if (status != Z_OK && status != Z_STREAM_END && !windowFull)
                return 0;
        }
        // Output that reaches the destination's end exactly counts as running out of room.
        return stream.total_out < destination.Length() ? windows.Finish() : 0;
    });
}

uint64_t InflateStream(StreamSource& source, StreamDestination& destination, uint32_t* crc)
{
    const auto init = [](z_stream& stream) { return inflateInit2(&stream, RawWindowBits); };
    return Drive(crc, init, inflateEnd, [&](z_stream& stream) -> uint64_t {
        WindowFeed windows{stream, source, destination};
        int status = Z_OK;
        do {
            windows.RefillInput();
            windows.MoveOutput();
            const Bytef* outputBefore = stream.next_out;
            status = inflate(&stream, Z_NO_FLUSH);
            if (crc && stream.next_out != outputBefore)
                *crc = ContinueCrc32(*crc, outputBefore, static_cast<size_t>(stream.next_out - outputBefore));
        } while (status == Z_OK && !windows.AllInputUsed());
        const bool succeeded = status == Z_OK || status == Z_STREAM_END;
        return succeeded && windows.AllInputUsed() && stream.total_out == destination.Length() ? windows.Finish() : 0;
    });
}

uint32_t DeflateBuffer(const void* source, void* destination, uint32_t sourceLength, uint32_t destinationLength)
{
    MemorySource input(source, sourceLength);
    MemoryDestination output(destination, destinationLength);
    return static_cast<uint32_t>(DeflateStream(input, output, nullptr));
}

uint32_t InflateBuffer(const void* source, void* destination, uint32_t sourceLength, uint32_t destinationLength)
{
    MemorySource input(source, sourceLength);
    MemoryDestination output(destination, destinationLength);
    return static_cast<uint32_t>(InflateStream(input, output, nullptr));
}

std::string UnpackString(std::string_view packed)
{
    if (packed.size() <= PackedHeaderSize)
        return {};
    const uint32_t length = U32At(packed, 0);
    const uint64_t deflated = packed.size() - PackedHeaderSize;
    if (deflated > UINT32_MAX || length > deflated * LargestInflateRatio)
        return {};
    std::string result(length, '\0');
    const uint32_t inflated = InflateBuffer(packed.data() + PackedHeaderSize, result.data(),
                                            static_cast<uint32_t>(deflated), length);
    result.resize(inflated);
    if (!result.empty()) {
        const uint32_t crc = ~ContinueCrc32(0xFFFFFFFFu, result.data(), result.size());
        if (crc != U32At(packed, 8))
            return {};
    }
    return result;
}

} // namespace qor
