// The deflate and inflate drivers and the CRC-32, judged by zlib itself: what the drivers
// compress must inflate with zlib to the input, what zlib compresses must inflate with the
// drivers, and the windowed sides must behave as a file of the same bytes would.
#include "ZipCompression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

using namespace crashui;

namespace {

std::string RandomText(size_t size, unsigned seed)
{
    // Words from a small vocabulary: compressible, like report text.
    static const char* words[] = {"stack ", "thread ", "$0040A1F2 ", "module ", "\r\n", "eax=0 "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size)
        s += words[rng() % 6];
    s.resize(size);
    return s;
}

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

// Raw inflate by zlib of `deflated` into exactly `size` bytes; empty on any error.
std::string ZlibInflate(const std::string& deflated, size_t size)
{
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        return "init failed";
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
    z.avail_in = static_cast<uInt>(deflated.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    const bool ok = status == Z_STREAM_END && z.total_out == size && z.avail_in == 0;
    inflateEnd(&z);
    return ok ? out : "zlib refused the stream";
}

std::string ZlibDeflateRaw(const std::string& data)
{
    std::string out(compressBound(static_cast<uLong>(data.size())) + 64, '\0');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

uint32_t ZlibCrc(const std::string& data)
{
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// A side that behaves like a file: windows are private buffers, and only what WriteOut hands
// over reaches `bytes`, at the window's position. It counts the windows it opened.
class TFileLikeSide : public TDataSide {
public:
    explicit TFileLikeSide(std::string initial) : bytes(std::move(initial)) {}
    bool OpenWindow(uint64_t start, uint32_t size, bool forWriting, uint8_t*& data) override
    {
        EXPECT_EQ(start % WindowSize, 0u);
        EXPECT_LE(size, WindowSize);
        ++windows;
        window.assign(size, '\0');
        if (!forWriting) {
            if (start + size > bytes.size())
                return false; // a short read
            window = bytes.substr(start, size);
        }
        data = reinterpret_cast<uint8_t*>(window.data());
        return true;
    }
    bool WriteOut(uint64_t start, uint32_t from, uint32_t to) override
    {
        if (failWrites)
            return false;
        if (bytes.size() < start + to)
            bytes.resize(start + to, '\0');
        bytes.replace(start + from, to - from, window.substr(from, to - from));
        return true;
    }
    std::string bytes;
    std::string window;
    int windows = 0;
    bool failWrites = false;
};

} // namespace

TEST(ZipCrc, StandardCheckValueAndZlibAgreement)
{
    EXPECT_EQ(~ContinueCrc32(0xFFFFFFFFu, "123456789", 9), 0xCBF43926u);
    const std::string data = RandomBytes(100000, 1);
    // Advanced in two parts, it equals zlib's CRC of the whole.
    const uint32_t half = ContinueCrc32(0xFFFFFFFFu, data.data(), 40000);
    EXPECT_EQ(~ContinueCrc32(half, data.data() + 40000, 60000), ZlibCrc(data));
}

TEST(DeflateBuffer, RoundTripsThroughZlibBothWays)
{
    for (const std::string& input : {std::string(), std::string("a"), RandomText(300000, 2), RandomBytes(70000, 3)}) {
        std::string packed(DeflateDestinationSize(input.size()), '\0');
        const uint32_t length = DeflateBuffer(input.data(), packed.data(), static_cast<uint32_t>(input.size()),
                                              static_cast<uint32_t>(packed.size()));
        ASSERT_GT(length, 0u) << input.size();
        packed.resize(length);
        EXPECT_EQ(ZlibInflate(packed, input.size()), input);

        const std::string theirs = ZlibDeflateRaw(input);
        std::string back(input.size(), '\0');
        EXPECT_EQ(InflateBuffer(theirs.data(), back.data(), static_cast<uint32_t>(theirs.size()),
                                static_cast<uint32_t>(back.size())),
                  input.size());
        EXPECT_EQ(back, input);
    }
}

TEST(DeflateBuffer, FailuresGiveZero)
{
    const std::string input = RandomBytes(5000, 4); // incompressible
    std::string small(1000, '\0');
    EXPECT_EQ(DeflateBuffer(input.data(), small.data(), 5000, 1000), 0u);

    const std::string packed = ZlibDeflateRaw(input);
    std::string out(5001, '\0');
    EXPECT_EQ(InflateBuffer(packed.data(), out.data(), static_cast<uint32_t>(packed.size()), 5001), 0u)
        << "a destination one byte larger than the data";
    EXPECT_EQ(InflateBuffer(packed.data(), out.data(), static_cast<uint32_t>(packed.size()), 4999), 0u);
    std::string damaged = packed;
    damaged[0] = static_cast<char>(0xFF); // reserved block type
    EXPECT_EQ(InflateBuffer(damaged.data(), out.data(), static_cast<uint32_t>(damaged.size()), 5000), 0u);
    EXPECT_EQ(InflateBuffer(packed.data(), out.data(), static_cast<uint32_t>(packed.size() - 1), 5000), 0u)
        << "a truncated stream";
}

TEST(DeflateDestinationSize, ComputedWithoutWrapping)
{
    EXPECT_EQ(DeflateDestinationSize(0), 12u);
    EXPECT_EQ(DeflateDestinationSize(1000), 1112u);
    // 400 MB: x * 11 overflows 32 bits, the size itself does not.
    EXPECT_EQ(DeflateDestinationSize(400000000), 440000012u);
    EXPECT_EQ(DeflateDestinationSize(4000000000ull), 0u) << "above 4 GiB";
    EXPECT_EQ(DeflateDestinationSize(~0ull), 0u);
}

TEST(DeflateStream, FileLikeSidesThroughManyWindowsWithOffsetAndCrc)
{
    const std::string input = RandomText(3 * WindowSize + 12345, 5);
    TFileLikeSide source(input);
    const std::string prefix = "KEEP-THESE-BYTES";
    TFileLikeSide destination(prefix);
    uint32_t crc = 0;
    const uint64_t written = DeflateStream(source, destination, prefix.size(), input.size(),
                                           prefix.size() + input.size(), &crc);
    ASSERT_GT(written, 0u);
    EXPECT_EQ(crc, ZlibCrc(input));
    EXPECT_EQ(source.windows, 4);
    ASSERT_EQ(destination.bytes.size(), prefix.size() + written);
    EXPECT_EQ(destination.bytes.substr(0, prefix.size()), prefix);
    EXPECT_EQ(ZlibInflate(destination.bytes.substr(prefix.size()), input.size()), input);
}

TEST(InflateStream, FileLikeSidesThroughManyWindowsWithOffsetAndCrc)
{
    const std::string original = RandomBytes(2 * WindowSize + 777, 6); // the output spans 3 windows
    const std::string packed = ZlibDeflateRaw(original);
    const std::string prefix(WindowSize + 5, 'x'); // the stream starts inside the second window
    TFileLikeSide source(prefix + packed);
    TFileLikeSide destination("");
    uint32_t crc = 0;
    EXPECT_EQ(InflateStream(source, destination, prefix.size(), source.bytes.size(), original.size(), &crc),
              original.size());
    EXPECT_EQ(destination.bytes, original);
    EXPECT_EQ(crc, ZlibCrc(original));
}

TEST(DeflateStream, FailedWritesAndFullDestinationsGiveZero)
{
    const std::string input = RandomBytes(WindowSize + 100, 7);
    {
        TFileLikeSide source(input), destination("");
        destination.failWrites = true;
        EXPECT_EQ(DeflateStream(source, destination, 0, input.size(), 2 * input.size()), 0u);
    }
    {
        // Room for part of the output only.
        TFileLikeSide source(input), destination("");
        EXPECT_EQ(DeflateStream(source, destination, 0, input.size(), input.size() / 2), 0u);
    }
    {
        // Exactly the output's length: filled exactly counts as failure.
        std::string out(DeflateDestinationSize(input.size()), '\0');
        const uint32_t length = DeflateBuffer(input.data(), out.data(), static_cast<uint32_t>(input.size()),
                                              static_cast<uint32_t>(out.size()));
        ASSERT_GT(length, 0u);
        EXPECT_EQ(DeflateBuffer(input.data(), out.data(), static_cast<uint32_t>(input.size()), length), 0u);
        EXPECT_EQ(DeflateBuffer(input.data(), out.data(), static_cast<uint32_t>(input.size()), length + 1), length);
    }
    {
        // A source shorter than announced: the window cannot be read completely.
        TFileLikeSide source(input.substr(0, 1000)), destination("");
        EXPECT_EQ(DeflateStream(source, destination, 0, input.size(), 2 * input.size()), 0u);
    }
}
