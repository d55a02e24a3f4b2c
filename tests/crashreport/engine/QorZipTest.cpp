// The CRC-32, the raw deflate and inflate drivers and the compressed strings. Reference data
// comes from zlib used directly (PackedBytes.h) and from the standard CRC-32 check value.
#include "QorZip.h"

#include "PackedBytes.h"

#include <gtest/gtest.h>

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

uint32_t DeflatedBound(uint32_t length)
{
    return length * 11 / 10 + 12;
}

std::string Deflated(const std::string& bytes)
{
    std::string out(DeflatedBound(static_cast<uint32_t>(bytes.size())), '\0');
    const uint32_t length = DeflateBuffer(bytes.data(), out.data(), static_cast<uint32_t>(bytes.size()),
                                          static_cast<uint32_t>(out.size()));
    out.resize(length);
    return out;
}

} // namespace

TEST(QorCrc32, StandardCheckValueAndContinuation)
{
    const std::string digits = "123456789";
    EXPECT_EQ(~ContinueCrc32(0xFFFFFFFFu, digits.data(), digits.size()), 0xCBF43926u);
    // Advancing in two steps is advancing once.
    const uint32_t running = ContinueCrc32(0xFFFFFFFFu, digits.data(), 4);
    EXPECT_EQ(~ContinueCrc32(running, digits.data() + 4, 5), 0xCBF43926u);
    EXPECT_EQ(ContinueCrc32(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
}

TEST(QorDeflate, BufferRoundTripsThroughZlib)
{
    for (size_t length : {size_t(0), size_t(1), size_t(100), size_t(70000)}) {
        SCOPED_TRACE(length);
        const std::string text = SampleText(length);
        const std::string deflated = Deflated(text);
        ASSERT_FALSE(deflated.empty());
        EXPECT_EQ(ZlibRawInflate(deflated, text.size()), text);

        const std::string reference = ZlibRawDeflate(text);
        std::string inflated(text.size(), '\0');
        EXPECT_EQ(InflateBuffer(reference.data(), inflated.data(), static_cast<uint32_t>(reference.size()),
                                static_cast<uint32_t>(inflated.size())),
                  text.size());
        EXPECT_EQ(inflated, text);
    }
}

TEST(QorDeflate, IncompressibleDataFitsTheDocumentedDestinationSize)
{
    std::string noise(50000, '\0');
    uint32_t state = 1;
    for (char& c : noise) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    const std::string deflated = Deflated(noise);
    ASSERT_FALSE(deflated.empty());
    EXPECT_EQ(ZlibRawInflate(deflated, noise.size()), noise);
}

TEST(QorDeflate, DestinationTooSmallOrExactlyFilledGivesZero)
{
    const std::string text = SampleText(5000);
    const std::string deflated = Deflated(text);
    std::string out(deflated.size() - 1, '\0');
    EXPECT_EQ(DeflateBuffer(text.data(), out.data(), static_cast<uint32_t>(text.size()), static_cast<uint32_t>(out.size())), 0u);
    out.assign(deflated.size(), '\0');
    EXPECT_EQ(DeflateBuffer(text.data(), out.data(), static_cast<uint32_t>(text.size()), static_cast<uint32_t>(out.size())), 0u);
    out.assign(deflated.size() + 1, '\0');
    EXPECT_EQ(DeflateBuffer(text.data(), out.data(), static_cast<uint32_t>(text.size()), static_cast<uint32_t>(out.size())),
              deflated.size());
}

TEST(QorInflate, DestinationMustHaveTheExactLength)
{
    const std::string text = SampleText(3000);
    const std::string deflated = ZlibRawDeflate(text);
    const auto inflateInto = [&](size_t destinationLength, std::string_view source) {
        std::string out(destinationLength, '\0');
        return InflateBuffer(source.data(), out.data(), static_cast<uint32_t>(source.size()),
                             static_cast<uint32_t>(out.size()));
    };
    EXPECT_EQ(inflateInto(text.size(), deflated), text.size());
    EXPECT_EQ(inflateInto(text.size() + 1, deflated), 0u);
    EXPECT_EQ(inflateInto(text.size() - 1, deflated), 0u);
    EXPECT_EQ(inflateInto(text.size(), deflated + "trailing"), 0u);           // input left over
    EXPECT_EQ(inflateInto(text.size(), std::string_view(deflated).substr(0, deflated.size() / 2)), 0u);
    EXPECT_EQ(inflateInto(text.size(), std::string(deflated.size(), '\xFF')), 0u);
    EXPECT_EQ(inflateInto(text.size(), ""), 0u);
}

TEST(QorDeflate, StreamDriversReportTheCrcOfTheUncompressedSide)
{
    const std::string text = SampleText(4000);
    const uint32_t expected = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
    std::string deflated(DeflatedBound(static_cast<uint32_t>(text.size())), '\0');
    MemorySource source(text.data(), text.size());
    MemoryDestination destination(deflated.data(), deflated.size());
    uint32_t crc = 0;
    deflated.resize(static_cast<size_t>(DeflateStream(source, destination, &crc)));
    EXPECT_EQ(crc, expected);

    std::string inflated(text.size(), '\0');
    MemorySource packed(deflated.data(), deflated.size());
    MemoryDestination output(inflated.data(), inflated.size());
    crc = 0;
    EXPECT_EQ(InflateStream(packed, output, &crc), text.size());
    EXPECT_EQ(crc, expected);
}

TEST(QorUnpackString, DecodesZlibMadeStrings)
{
    for (const std::string& content : {std::string("a"), SampleText(100), SampleText(100000)}) {
        EXPECT_EQ(UnpackString(ZlibPackedString(content)), content);
        EXPECT_EQ(UnpackString(ZlibPackedString(content, 0)), content); // the second word is not read
    }
}

TEST(QorUnpackString, RefusesDamagedInput)
{
    const std::string content = SampleText(500);
    const std::string packed = ZlibPackedString(content);

    EXPECT_EQ(UnpackString(packed.substr(0, 12)), "");
    EXPECT_EQ(UnpackString(std::string(12, '\0')), "");          // a header announcing length 0
    std::string badCrc = packed;
    badCrc[9] ^= 0x01;
    EXPECT_EQ(UnpackString(badCrc), "");
    std::string longer = packed;
    longer[0] = static_cast<char>(longer[0] + 1);                 // one byte more than inflates
    EXPECT_EQ(UnpackString(longer), "");
    EXPECT_EQ(UnpackString(packed.substr(0, packed.size() - 3)), "");
    // A length no deflate data of this size can produce is refused before anything is made.
    std::string huge = packed;
    huge[3] = '\x7F';
    EXPECT_EQ(UnpackString(huge), "");
}
