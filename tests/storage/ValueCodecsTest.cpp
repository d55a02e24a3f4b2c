// Hexadecimal and keyed XOR codecs (expected values from Python's binascii.hexlify) and the
// word routines.
#include "core/Exceptions.h"
#include "OcBCLUtils.h"

#include <gtest/gtest.h>

using namespace bcl;

TEST(ValueCodecs, BytesToHexTextMatchesBinascii)
{
    std::string bytes;
    for (int b = 0; b < 256; b += 17)
        bytes += static_cast<char>(b);
    bytes += std::string("\x00\x7f\x80\xff", 4);
    // binascii.hexlify(bytes).upper()
    EXPECT_EQ(BytesToHexText(bytes.data(), static_cast<int32_t>(bytes.size())),
              "00112233445566778899AABBCCDDEEFF007F80FF");
    EXPECT_EQ(BytesToHexText(bytes.data(), 0), "");
    EXPECT_EQ(BytesToHexText(bytes.data(), -1), "");
}

TEST(ValueCodecs, HexTextToBytes)
{
    struct Case {
        const char* text;
        int32_t bufSize;
        int32_t written;
        const char* bytes;
    };
    const Case cases[] = {
        {"007F80FF", 4, 4, "\x00\x7f\x80\xff"},
        {"7F80", 1, 1, "\x7f"},
        {"F", 2, 1, "\x0f"},
        {"abc", 4, 2, "\x0a\xbc"},
        {"", 4, 0, ""},
        {"0102", 0, 0, ""},
    };
    for (const auto& c : cases) {
        uint8_t buffer[8] = {};
        const int32_t written = HexTextToBytes(c.text, buffer, c.bufSize);
        EXPECT_EQ(written, c.written) << c.text;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(written)),
                  std::string(c.bytes, static_cast<size_t>(c.written)))
            << c.text;
    }
}

TEST(ValueCodecs, HexTextToBytesRaisesOnANonHexPairAfterWritingTheOnesBefore)
{
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_THROW(HexTextToBytes("01G203", buffer, 4), classlib::EConvertError);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0xEE);
}

TEST(ValueCodecs, XorCodecMatchesBinasciiAndRoundTrips)
{
    struct Case {
        std::string key;
        std::string source;
        const char* hex;
    };
    // binascii.hexlify(bytes(s ^ key[i % len(key)] ...))
    const Case cases[] = {
        {"", "abc", "616263"},
        {"K", "Settings.ini", "182e3f3f22252c3865222522"},
        {"secret", std::string("\x00\x01\xfe\xffhello world", 15),
         "73649d8d0d111f090c52121b010907"},
        {"ab", "ab", "0000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XorToHexText(c.key, c.source), c.hex) << c.key;
        EXPECT_EQ(XorFromHexText(c.key, c.hex), c.source) << c.key;
    }
}

TEST(ValueCodecs, XorFromHexTextDecodesDamagedPairsAsBlankAndIgnoresAnOddTail)
{
    EXPECT_EQ(XorFromHexText("", "6Z"), " ");
    EXPECT_EQ(XorFromHexText("A", "zz"), std::string(1, static_cast<char>(' ' ^ 'A')));
    EXPECT_EQ(XorFromHexText("", "6162F"), "ab");
}

TEST(ValueCodecs, Words)
{
    struct Case {
        int n;
        const char* text;
        const char* delimiters;
        int position;
        const char* word;
    };
    const Case cases[] = {
        {2, ",,10,,20,", ",", 7, "20"},
        {1, ",,10,,20,", ",", 3, "10"},
        {3, ",,10,,20,", ",", 0, ""},
        {1, "  x", " ", 3, "x"},
        {0, "a b", " ", 0, ""},
        {-1, "a b", " ", 0, ""},
        {2, "10 20,30", " ,", 4, "20"},
        {3, "10 20,30", " ,", 7, "30"},
        {1, "", ",", 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WordPosition(c.n, c.text, c.delimiters), c.position) << c.n << " in " << c.text;
        EXPECT_EQ(ExtractWord(c.n, c.text, c.delimiters), c.word) << c.n << " in " << c.text;
    }
}

TEST(ValueCodecs, CharInSet256AndVariantIsInteger)
{
    uint32_t set[8] = {};
    set[65 / 32] |= 1u << (65 % 32);
    set[255 / 32] |= 1u << 31;
    EXPECT_TRUE(CharInSet256('A', set));
    EXPECT_TRUE(CharInSet256(255, set));
    EXPECT_FALSE(CharInSet256('B', set));

    for (uint16_t type : std::initializer_list<uint16_t>{2, 3, 16, 17, 18, 19})
        EXPECT_TRUE(VariantIsInteger(type)) << type;
    // 64-bit integers, floating point, strings, by-reference and array forms.
    for (uint16_t type : std::initializer_list<uint16_t>{0, 4, 5, 8, 20, 21, 256, 0x4003, 0x2003})
        EXPECT_FALSE(VariantIsInteger(type)) << type;
}
