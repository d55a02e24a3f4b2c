// The CRC-32, the raw deflate and inflate drivers and the compressed strings. Reference data
// comes from zlib used directly (PackedBytes.h) and from the standard CRC-32 check value: what
// the drivers compress must inflate with zlib to the input, what zlib compresses must inflate
// with the drivers, and the windowed sides must behave as a file of the same bytes would.
#include "QorZip.h"

#include "PackedBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace qor;

namespace {

// Text that compresses, with some variety so that deflate makes matches and literals.
std::string SampleText(size_t length)
{
    std::string text;
    uint32_t state = 12345;
    while (text.size() < length) {
        state = state * 1103515245u + 12345u;
        text += "word" + std::to_string((state >> 16) % 97) + (state & 0x100 ? " " : ", ");
    }
    text.resize(length);
    return text;
}

// Words from a small vocabulary: compressible, like report text.
std::string ReportText(size_t size, unsigned seed)
{
    static const char* words[] = {"stack ", "thread ", "$0040A1F2 ", "module ", "\r\n", "eax=0 "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size)
        s += words[rng() % 6];
    s.resize(size);
    return s;
}

// Incompressible bytes.
std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

uint32_t ZlibCrc(std::string_view data)
{
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string Deflated(const std::string& bytes)
{
    std::string out(DeflateDestinationSize(bytes.size()), '\0');
    const uint32_t length =
        DeflateBuffer(bytes.data(), out.data(), static_cast<uint32_t>(bytes.size()),
                      static_cast<uint32_t>(out.size()));
    out.resize(length);
    return out;
}

uint32_t DeflateInto(const std::string& bytes, size_t destinationLength)
{
    std::string out(destinationLength, '\0');
    return DeflateBuffer(bytes.data(), out.data(), static_cast<uint32_t>(bytes.size()),
                         static_cast<uint32_t>(out.size()));
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
            window = bytes.substr(static_cast<size_t>(start), size);
        }
        data = reinterpret_cast<uint8_t*>(window.data());
        return true;
    }
    bool WriteOut(uint64_t start, uint32_t from, uint32_t to) override
    {
        if (failWrites)
            return false;
        // The test's files are small: positions fit size_t on every build.
        const auto at = static_cast<size_t>(start);
        if (bytes.size() < at + to)
            bytes.resize(at + to, '\0');
        bytes.replace(at + from, to - from, window.substr(from, to - from));
        return true;
    }
    std::string bytes;
    std::string window;
    int windows = 0;
    bool failWrites = false;
};

} // namespace

TEST(QorCrc32, StandardCheckValueContinuationAndZlibAgreement)
{
    const std::string digits = "123456789";
    EXPECT_EQ(~ContinueCrc32(0xFFFFFFFFu, digits.data(), digits.size()), 0xCBF43926u);
    // Advancing in two steps is advancing once.
    const uint32_t running = ContinueCrc32(0xFFFFFFFFu, digits.data(), 4);
    EXPECT_EQ(~ContinueCrc32(running, digits.data() + 4, 5), 0xCBF43926u);
    EXPECT_EQ(ContinueCrc32(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
    // Advanced in two parts, it equals zlib's CRC of the whole.
    const std::string data = RandomBytes(100000, 1);
    const uint32_t half = ContinueCrc32(0xFFFFFFFFu, data.data(), 40000);
    EXPECT_EQ(~ContinueCrc32(half, data.data() + 40000, 60000), ZlibCrc(data));
}

TEST(QorDeflate, BufferRoundTripsThroughZlibBothWays)
{
    // Compressible text of several sizes and incompressible bytes, which must still fit the
    // documented destination size.
    for (const std::string& input :
         {SampleText(0), SampleText(1), SampleText(100), SampleText(70000), ReportText(300000, 2),
          RandomBytes(50000, 3), RandomBytes(70000, 3)}) {
        SCOPED_TRACE(input.size());
        const std::string deflated = Deflated(input);
        ASSERT_FALSE(deflated.empty());
        EXPECT_EQ(ZlibRawInflate(deflated, input.size()), input);

        const std::string reference = ZlibRawDeflate(input);
        std::string inflated(input.size(), '\0');
        EXPECT_EQ(InflateBuffer(reference.data(), inflated.data(),
                                static_cast<uint32_t>(reference.size()),
                                static_cast<uint32_t>(inflated.size())),
                  input.size());
        EXPECT_EQ(inflated, input);
    }
}

TEST(QorDeflate, DestinationTooSmallOrExactlyFilledGivesZero)
{
    for (const std::string& input : {SampleText(5000), RandomBytes(WindowSize + 100, 7)}) {
        SCOPED_TRACE(input.size());
        const std::string deflated = Deflated(input);
        ASSERT_FALSE(deflated.empty());
        EXPECT_EQ(DeflateInto(input, deflated.size() - 1), 0u);
        EXPECT_EQ(DeflateInto(input, deflated.size()), 0u) << "filled exactly";
        EXPECT_EQ(DeflateInto(input, deflated.size() + 1), deflated.size());
    }
    const std::string noise = RandomBytes(5000, 4);
    EXPECT_EQ(DeflateInto(noise, 1000), 0u);
    EXPECT_EQ(DeflateInto(noise, 0), 0u);
}

TEST(QorDeflate, DestinationSizeIsComputedWithoutWrapping)
{
    EXPECT_EQ(DeflateDestinationSize(0), 12u);
    EXPECT_EQ(DeflateDestinationSize(1000), 1112u);
    // 400 MB: x * 11 overflows 32 bits, the size itself does not.
    EXPECT_EQ(DeflateDestinationSize(400000000), 440000012u);
    EXPECT_EQ(DeflateDestinationSize(4000000000ull), 0u) << "above 4 GiB";
    EXPECT_EQ(DeflateDestinationSize(~0ull), 0u);
}

TEST(QorInflate, DestinationMustHaveTheExactLength)
{
    for (const std::string& text : {SampleText(3000), RandomBytes(5000, 4)}) {
        SCOPED_TRACE(text.size());
        const std::string deflated = ZlibRawDeflate(text);
        const auto inflateInto = [&](size_t destinationLength, std::string_view source) {
            std::string out(destinationLength, '\0');
            return InflateBuffer(source.data(), out.data(), static_cast<uint32_t>(source.size()),
                                 static_cast<uint32_t>(out.size()));
        };
        std::string reservedBlockType = deflated;
        reservedBlockType[0] = static_cast<char>(0xFF);
        const std::string_view whole(deflated);
        EXPECT_EQ(inflateInto(text.size(), deflated), text.size());
        EXPECT_EQ(inflateInto(text.size() + 1, deflated), 0u);
        EXPECT_EQ(inflateInto(text.size() - 1, deflated), 0u);
        EXPECT_EQ(inflateInto(text.size(), deflated + "trailing"), 0u); // input left over
        EXPECT_EQ(inflateInto(text.size(), whole.substr(0, deflated.size() / 2)), 0u);
        EXPECT_EQ(inflateInto(text.size(), std::string(deflated.size(), '\xFF')), 0u);
        EXPECT_EQ(inflateInto(text.size(), reservedBlockType), 0u);
        EXPECT_EQ(inflateInto(text.size(), ""), 0u);
    }
    // Incompressible data is stored: a stream one byte short lacks a byte of the output.
    const std::string noise = RandomBytes(5000, 4);
    const std::string stored = ZlibRawDeflate(noise);
    std::string out(noise.size(), '\0');
    EXPECT_EQ(InflateBuffer(stored.data(), out.data(), static_cast<uint32_t>(stored.size() - 1),
                            static_cast<uint32_t>(out.size())),
              0u);
}

TEST(QorDeflate, MemorySidesReportTheCrcOfTheUncompressedSide)
{
    const std::string text = SampleText(4000);
    std::string deflated(DeflateDestinationSize(text.size()), '\0');
    TMemorySide source(text.data()), destination(deflated.data());
    uint32_t crc = 0;
    // The offset does not apply to memory.
    deflated.resize(static_cast<size_t>(
        DeflateStream(source, destination, 7, text.size(), deflated.size(), &crc)));
    EXPECT_EQ(crc, ZlibCrc(text));
    EXPECT_EQ(ZlibRawInflate(deflated, text.size()), text);

    std::string inflated(text.size(), '\0');
    TMemorySide packed(deflated.data()), output(inflated.data());
    crc = 0;
    EXPECT_EQ(InflateStream(packed, output, 7, deflated.size(), inflated.size(), &crc),
              text.size());
    EXPECT_EQ(crc, ZlibCrc(text));
    EXPECT_EQ(inflated, text);
}

TEST(QorDeflate, FileLikeSidesThroughManyWindowsWithOffsetAndCrc)
{
    const std::string input = ReportText(3 * WindowSize + 12345, 5);
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
    EXPECT_EQ(ZlibRawInflate(destination.bytes.substr(prefix.size()), input.size()), input);
}

TEST(QorInflate, FileLikeSidesThroughManyWindowsWithOffsetAndCrc)
{
    const std::string original = RandomBytes(2 * WindowSize + 777, 6); // the output spans 3 windows
    const std::string packed = ZlibRawDeflate(original);
    const std::string prefix(WindowSize + 5, 'x'); // the stream starts inside the second window
    TFileLikeSide source(prefix + packed);
    TFileLikeSide destination("");
    uint32_t crc = 0;
    EXPECT_EQ(InflateStream(source, destination, prefix.size(), source.bytes.size(),
                            original.size(), &crc),
              original.size());
    EXPECT_EQ(destination.bytes, original);
    EXPECT_EQ(crc, ZlibCrc(original));
}

TEST(QorDeflate, FailedWritesShortReadsAndFullDestinationsGiveZero)
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
        // A source shorter than announced: the window cannot be read completely.
        TFileLikeSide source(input.substr(0, 1000)), destination("");
        EXPECT_EQ(DeflateStream(source, destination, 0, input.size(), 2 * input.size()), 0u);
    }
}

TEST(QorUnpackString, DecodesZlibMadeStrings)
{
    for (const std::string& content : {std::string("a"), SampleText(100), SampleText(100000)}) {
        EXPECT_EQ(UnpackString(ZlibPackedString(content)), content);
        EXPECT_EQ(UnpackString(ZlibPackedString(content, 0)),
                  content); // the second word is not read
    }
}

TEST(QorUnpackString, RefusesDamagedInput)
{
    const std::string content = SampleText(500);
    const std::string packed = ZlibPackedString(content);

    EXPECT_EQ(UnpackString(packed.substr(0, 12)), "");
    EXPECT_EQ(UnpackString(std::string(12, '\0')), ""); // a header announcing length 0
    std::string badCrc = packed;
    badCrc[9] ^= 0x01;
    EXPECT_EQ(UnpackString(badCrc), "");
    std::string longer = packed;
    longer[0] = static_cast<char>(longer[0] + 1); // one byte more than inflates
    EXPECT_EQ(UnpackString(longer), "");
    EXPECT_EQ(UnpackString(packed.substr(0, packed.size() - 3)), "");
    // A length no deflate data of this size can produce is refused before anything is made.
    std::string huge = packed;
    huge[3] = '\x7F';
    EXPECT_EQ(UnpackString(huge), "");
}
