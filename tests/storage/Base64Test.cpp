// Base64 against coreutils `base64 -w 76` (its LF line ends turned into CR LF, the final line
// end dropped) and the RFC 4648 test vectors.
#include "BcMime.h"

#include <gtest/gtest.h>

using namespace bcl;

namespace {

// Input of the coreutils vectors: byte i = (i * 37 + 11) mod 256.
std::string PatternBytes(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += static_cast<char>((i * 37 + 11) & 255);
    return bytes;
}

struct CoreutilsCase {
    int size;
    const char* encoded;
};

// Produced with: python3 -c '<the pattern>' | base64 -w 76
const CoreutilsCase CoreutilsCases[] = {
    {1, "Cw=="},
    {2, "CzA="},
    {3, "CzBV"},
    {56, "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4="},
    {57, "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j"},
    {58,
     "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j\r\n"
     "SA=="},
    {113,
     "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j\r\n"
     "SG2St9wBJktwlbrfBClOc5i94gcsUXabwOUKL1R5nsPoDTJXfKHG6xA1Wn+kye4TOF2Cp8zxFjs="},
    {114,
     "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j\r\n"
     "SG2St9wBJktwlbrfBClOc5i94gcsUXabwOUKL1R5nsPoDTJXfKHG6xA1Wn+kye4TOF2Cp8zxFjtg"},
    {115,
     "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j\r\n"
     "SG2St9wBJktwlbrfBClOc5i94gcsUXabwOUKL1R5nsPoDTJXfKHG6xA1Wn+kye4TOF2Cp8zxFjtg\r\n"
     "hQ=="},
    {200,
     "CzBVep/E6Q4zWH2ix+wRNluApcrvFDleg6jN8hc8YYar0PUaP2SJrtP4HUJnjLHW+yBFao+02f4j\r\n"
     "SG2St9wBJktwlbrfBClOc5i94gcsUXabwOUKL1R5nsPoDTJXfKHG6xA1Wn+kye4TOF2Cp8zxFjtg\r\n"
     "harP9Bk+Y4it0vccQWaLsNX6H0RpjrPY/SJHbJG22wAlSm+Uud4DKE1yl7zhBitQdZq/5AkuU3id\r\n"
     "wucMMVZ7oMXqDzRZfqPI7RI3XIGmy/AVOl+Eqc4="},
};

} // namespace

TEST(Base64, LineBrokenEncodingMatchesCoreutils)
{
    for (const auto& c : CoreutilsCases) {
        const std::string input = PatternBytes(c.size);
        const std::string encoded = EncodeBase64Text(input);
        EXPECT_EQ(encoded, c.encoded) << c.size << " bytes";
        EXPECT_EQ(static_cast<int>(encoded.size()), Base64EncodedLength(c.size)) << c.size;
        EXPECT_EQ(DecodeBase64Text(encoded), input) << c.size << " bytes";
    }
}

TEST(Base64, Rfc4648Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(EncodeBase64Text(plain), encoded) << plain;
        EXPECT_EQ(DecodeBase64Text(encoded), plain) << encoded;
    }
}

TEST(Base64, DecoderSkipsEverythingOutsideTheAlphabet)
{
    const std::pair<const char*, const char*> cases[] = {
        {"YWJj", "abc"},     {"YW Jj", "abc"},   {"YQ==", "a"},    {"YQ", "a"},
        {"YW\r\nJj", "abc"}, {"Y=W=J=j", "abc"}, {"YWJjY", "abc"}, // lone final sextet: no byte
        {"!!", ""},
    };
    for (const auto& [encoded, plain] : cases)
        EXPECT_EQ(DecodeBase64Text(encoded), plain) << encoded;
}

TEST(Base64, DecodingInPiecesEqualsOneCall)
{
    const std::string input = PatternBytes(200);
    const std::string encoded = EncodeBase64Text(input);
    for (size_t piece : {1u, 2u, 3u, 5u, 7u, 78u}) {
        std::string out(
            static_cast<size_t>(Base64DecodedLength(static_cast<int32_t>(encoded.size()))), '\0');
        auto* dest = reinterpret_cast<uint8_t*>(out.data());
        Base64DecodeState state;
        int32_t written = 0;
        for (size_t at = 0; at < encoded.size(); at += piece) {
            const auto n = static_cast<int32_t>(std::min(piece, encoded.size() - at));
            written += DecodeBase64Chunk(encoded.data() + at, n, dest + written, state.needed,
                                         state.accumulator);
        }
        written += DecodeBase64Finish(dest + written, state.accumulator, state.needed);
        out.resize(static_cast<size_t>(written));
        EXPECT_EQ(out, input) << "pieces of " << piece;
    }
}

TEST(Base64, LengthFormulas)
{
    EXPECT_EQ(Base64EncodedLength(0), 0);
    EXPECT_EQ(Base64EncodedLength(-3), -3);
    EXPECT_EQ(Base64EncodedLength(57), 76);
    EXPECT_EQ(Base64EncodedLength(58), 82);
    EXPECT_EQ(Base64DecodedLength(4), 3);
    EXPECT_EQ(Base64DecodedLength(5), 6);
}

TEST(Base64, TailEncoderWritesNoLineBreaks)
{
    const std::string input = PatternBytes(58);
    std::string out(80, '\0');
    EncodeBase64Tail(reinterpret_cast<const uint8_t*>(input.data()), 58, out.data());
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_EQ(out.substr(76), "SA==");
}
