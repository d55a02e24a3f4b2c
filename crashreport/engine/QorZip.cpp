#include "QorZip.h"

#include "QorByteReader.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace qor {

namespace {

// zlib counts its buffers in 32 bits: larger memory blocks are handed over in parts.
constexpr size_t LargestZlibPart = size_t(1) << 30;

// The largest output deflate can make of one input byte: a 258-byte match coded in a single
// bit, so 1032 output bytes per input byte. A compressed string that announces more cannot be
// true and is refused before anything is allocated.
constexpr uint64_t LargestInflateRatio = 1032;

constexpr size_t PackedHeaderSize = 12;

// zlib's stream state, ended with the object.
struct TZStream {
    z_stream z{};
    bool deflating;
    bool ready = false;
    explicit TZStream(bool deflate) : deflating(deflate)
    {
        // Raw streams with a 32 KiB window; deflate with the parameters of compression level 2
        // (good 4, lazy 5, nice 16, chain 8, the fast strategy) and memory level 8.
        ready = (deflate ? deflateInit2(&z, 2, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY)
                         : inflateInit2(&z, -15)) == Z_OK;
    }
    ~TZStream()
    {
        if (ready)
            deflating ? deflateEnd(&z) : inflateEnd(&z);
    }
};

// The window of a side that holds `position`: from the window boundary at or below it to the
// next boundary or the side's end.
struct TWindowCursor {
    TDataSide& side;
    uint64_t end;
    bool forWriting;
    uint64_t start = 0;
    uint32_t size = 0;
    uint8_t* data = nullptr;

    bool Open(uint64_t position)
    {
        if (position >= end)
            return false;
        start = position - position % WindowSize;
        size = static_cast<uint32_t>(std::min<uint64_t>(WindowSize, end - start));
        return side.OpenWindow(start, size, forWriting, data);
    }
};

uint64_t Fail(uint32_t* crc)
{
    if (crc)
        *crc = ~*crc;
    return 0;
}

} // namespace

bool TMemorySide::OpenWindow(uint64_t start, uint32_t, bool, uint8_t*& data)
{
    data = data_ + start;
    return true;
}

uint32_t ContinueCrc32(uint32_t crc, const void* buffer, size_t length)
{
    // zlib's crc32 inverts on entry and exit; the register here carries no inversion.
    auto* p = static_cast<const Bytef*>(buffer);
    uLong value = ~crc & 0xFFFFFFFFu;
    while (length > 0) {
        const uInt part = static_cast<uInt>(std::min(length, LargestZlibPart));
        value = crc32(value, p, part);
        p += part;
        length -= part;
    }
    return ~static_cast<uint32_t>(value);
}

uint64_t DeflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc)
{
    if (crc)
        *crc = 0xFFFFFFFFu;
    TZStream zs(true);
    if (!zs.ready)
        return Fail(crc);
    const uint64_t outStart = destination.HonoursOffset() ? offset : 0;
    TWindowCursor in{source, sourceLength, false};
    TWindowCursor out{destination, destinationLength, true};
    if (!out.Open(outStart))
        return Fail(crc);
    uint64_t inPosition = 0;
    uint32_t firstByte = static_cast<uint32_t>(outStart - out.start); // of the current window
    zs.z.next_out = out.data + firstByte;
    zs.z.avail_out = out.size - firstByte;
    for (;;) {
        if (zs.z.avail_in == 0 && inPosition < sourceLength) {
            if (!in.Open(inPosition))
                return Fail(crc);
            const uint32_t skip = static_cast<uint32_t>(inPosition - in.start);
            zs.z.next_in = in.data + skip;
            zs.z.avail_in = in.size - skip;
            if (crc)
                *crc = ContinueCrc32(*crc, zs.z.next_in, zs.z.avail_in);
            inPosition = in.start + in.size;
        }
        const bool lastInput = inPosition >= sourceLength && zs.z.avail_in == 0;
        const int status = deflate(&zs.z, lastInput ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_STREAM_ERROR)
            return Fail(crc);
        if (status == Z_STREAM_END)
            break;
        if (zs.z.avail_out == 0) {
            // The window is full: write it out and move on; no further window means the
            // destination ran out.
            if (!destination.WriteOut(out.start, firstByte, out.size) ||
                !out.Open(out.start + out.size))
                return Fail(crc);
            firstByte = 0;
            zs.z.next_out = out.data;
            zs.z.avail_out = out.size;
        }
    }
    const uint32_t filled = out.size - zs.z.avail_out;
    const uint64_t total = out.start + filled;
    if (!destination.WriteOut(out.start, firstByte, filled) || total >= destinationLength)
        return Fail(crc);
    if (crc)
        *crc = ~*crc;
    return total - outStart;
}

uint64_t InflateStream(TDataSide& source, TDataSide& destination, uint64_t offset,
                       uint64_t sourceLength, uint64_t destinationLength, uint32_t* crc)
{
    if (crc)
        *crc = 0xFFFFFFFFu;
    TZStream zs(false);
    if (!zs.ready)
        return Fail(crc);
    TWindowCursor in{source, sourceLength, false};
    TWindowCursor out{destination, destinationLength, true};
    uint64_t inPosition = source.HonoursOffset() ? offset : 0;
    // An empty destination still needs a valid (never written) output pointer.
    uint8_t none = 0;
    zs.z.next_out = &none;
    zs.z.avail_out = 0;
    bool haveWindow = false;
    int status = Z_OK;
    auto writeOut = [&]() {
        if (!haveWindow)
            return true;
        const uint32_t filled = out.size - zs.z.avail_out;
        if (crc)
            *crc = ContinueCrc32(*crc, out.data, filled);
        return destination.WriteOut(out.start, 0, filled);
    };
    for (;;) {
        if (zs.z.avail_in == 0 && inPosition < sourceLength) {
            if (!in.Open(inPosition))
                return Fail(crc);
            const uint32_t skip = static_cast<uint32_t>(inPosition - in.start);
            zs.z.next_in = in.data + skip;
            zs.z.avail_in = in.size - skip;
            inPosition = in.start + in.size;
        }
        if (zs.z.avail_out == 0) {
            const uint64_t next = haveWindow ? out.start + out.size : 0;
            if (next < destinationLength) {
                if (!writeOut() || !out.Open(next))
                    return Fail(crc);
                haveWindow = true;
                zs.z.next_out = out.data;
                zs.z.avail_out = out.size;
            }
        }
        const uInt inBefore = zs.z.avail_in, outBefore = zs.z.avail_out;
        status = inflate(&zs.z, Z_NO_FLUSH);
        if (status == Z_STREAM_END || (status != Z_OK && status != Z_BUF_ERROR))
            break;
        const bool progress = zs.z.avail_in != inBefore || zs.z.avail_out != outBefore;
        const bool inputDone = inPosition >= sourceLength && zs.z.avail_in == 0;
        if (inputDone || !progress)
            break;
    }
    if (!writeOut())
        return Fail(crc);
    const uint64_t total = haveWindow ? out.start + (out.size - zs.z.avail_out) : 0;
    const bool consumed = inPosition >= sourceLength && zs.z.avail_in == 0;
    if ((status != Z_OK && status != Z_STREAM_END) || !consumed || total != destinationLength)
        return Fail(crc);
    if (crc)
        *crc = ~*crc;
    return total;
}

uint32_t DeflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength)
{
    TMemorySide in(source), out(destination);
    return static_cast<uint32_t>(DeflateStream(in, out, 0, sourceLength, destinationLength));
}

uint32_t InflateBuffer(const void* source, void* destination, uint32_t sourceLength,
                       uint32_t destinationLength)
{
    TMemorySide in(source), out(destination);
    return static_cast<uint32_t>(InflateStream(in, out, 0, sourceLength, destinationLength));
}

uint32_t DeflateDestinationSize(uint64_t sourceLength)
{
    if (sourceLength > std::numeric_limits<uint64_t>::max() / 11)
        return 0;
    const uint64_t size = sourceLength * 11 / 10 + 12;
    return size > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(size);
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

std::string PackString(std::string_view bytes)
{
    const uint32_t room = DeflateDestinationSize(bytes.size());
    if (room == 0 || bytes.size() > UINT32_MAX)
        return {};
    std::string packed(PackedHeaderSize + room, '\0');
    const uint32_t length = static_cast<uint32_t>(bytes.size());
    const uint32_t crc = ~ContinueCrc32(0xFFFFFFFFu, bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
        packed[static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
        packed[8 + static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
    }
    const uint32_t deflated =
        DeflateBuffer(bytes.data(), packed.data() + PackedHeaderSize, length, room);
    if (deflated == 0 && length != 0)
        return {};
    packed.resize(PackedHeaderSize + deflated);
    return packed;
}

} // namespace qor
