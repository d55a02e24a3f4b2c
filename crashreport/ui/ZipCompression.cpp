#include "ZipCompression.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace crashui {

namespace {

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

uint32_t ContinueCrc32(uint32_t crc, const void* buffer, size_t length)
{
    // zlib's crc32 inverts on entry and exit; the register here carries no inversion.
    auto* p = static_cast<const Bytef*>(buffer);
    uLong value = ~crc & 0xFFFFFFFFu;
    while (length > 0) {
        const uInt part = static_cast<uInt>(std::min<size_t>(length, 0x40000000u));
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
            if (!destination.WriteOut(out.start, firstByte, out.size) || !out.Open(out.start + out.size))
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

// ---- Zip archives -----------------------------------------------------------------------------

namespace {

void Put16(std::string& s, uint32_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v)
{
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

// Bytes 4 to 29 of the local header, which the central header repeats.
std::string SharedHeaderPart(const TZipMember& m)
{
    std::string s;
    Put16(s, 20);     // version needed
    Put16(s, 0x0800); // names are UTF-8
    Put16(s, 8);      // deflate
    Put16(s, m.dosTime);
    Put16(s, m.dosDate);
    Put32(s, m.crc);
    Put32(s, m.compressedSize);
    Put32(s, m.size);
    Put16(s, static_cast<uint32_t>(m.name.size()));
    Put16(s, 0); // extra field length
    return s;
}

} // namespace

std::string ZipLocalHeader(const TZipMember& member)
{
    std::string s;
    Put32(s, 0x04034B50);
    return s + SharedHeaderPart(member) + member.name;
}

std::string ZipCentralHeader(const TZipMember& member)
{
    std::string s;
    Put32(s, 0x02014B50);
    Put16(s, 20); // made by: DOS attributes
    s += SharedHeaderPart(member);
    Put16(s, 0); // comment length
    Put16(s, 0); // disk number start
    Put16(s, 0); // internal attributes
    Put32(s, member.attributes);
    Put32(s, member.localHeaderOffset);
    return s + member.name;
}

std::string ZipEndRecord(uint16_t entries, uint32_t directorySize, uint32_t directoryOffset)
{
    std::string s;
    Put32(s, 0x06054B50);
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, entries);
    Put16(s, entries);
    Put32(s, directorySize);
    Put32(s, directoryOffset);
    Put16(s, 0);
    return s;
}

std::string ZipMemberName(const classlib::WideString& path,
                          const std::vector<classlib::WideString>& archiveNames, size_t index)
{
    if (index < archiveNames.size())
        return classlib::WideToUtf8(archiveNames[index]);
    const size_t slash = path.rfind(L'\\');
    return classlib::WideToUtf8(slash == classlib::WideString::npos ? path : path.substr(slash + 1));
}

bool TZipWriter::Put(const void* data, size_t size)
{
    if (!Write(data, size))
        return false;
    position_ += size;
    return true;
}

bool TZipWriter::AddMember(TZipMember member, const uint8_t* content, uint32_t size)
{
    // Sizes and offsets are 32-bit fields (no Zip64), and a member's name length and the entry
    // count 16-bit ones: what does not fit is left out rather than written wrapped.
    const uint32_t capacity = DeflateDestinationSize(size);
    if (capacity == 0 || member.name.size() > 0xFFFF || members_.size() >= 0xFFFF ||
        position_ > std::numeric_limits<uint32_t>::max())
        return true;
    std::unique_ptr<uint8_t[]> compressed(new (std::nothrow) uint8_t[capacity]());
    if (!compressed)
        return true;
    member.crc = ~ContinueCrc32(0xFFFFFFFFu, content, size);
    member.size = size;
    member.compressedSize = DeflateBuffer(content, compressed.get(), size, capacity);
    if (member.compressedSize == 0)
        return true;
    member.localHeaderOffset = static_cast<uint32_t>(position_);
    if (!Put(ZipLocalHeader(member)) || !Put(compressed.get(), member.compressedSize))
        return false;
    members_.push_back(std::move(member));
    return true;
}

bool TZipWriter::Finish()
{
    if (members_.empty() || position_ > std::numeric_limits<uint32_t>::max())
        return false;
    const uint32_t directoryOffset = static_cast<uint32_t>(position_);
    uint64_t directorySize = 0;
    for (const TZipMember& m : members_) {
        const std::string header = ZipCentralHeader(m);
        if (!Put(header))
            return false;
        directorySize += header.size();
    }
    if (directorySize > std::numeric_limits<uint32_t>::max())
        return false;
    return Put(ZipEndRecord(static_cast<uint16_t>(members_.size()),
                            static_cast<uint32_t>(directorySize), directoryOffset));
}

uint16_t DosDate(int year, int month, int day)
{
    return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second)
{
    return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

} // namespace crashui
