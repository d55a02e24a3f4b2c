// The block cipher and its Base64. The plain-block expectations are the 34 published Blowfish
// test vectors (8-byte keys, checked here also against `openssl enc -bf-ecb`); the rest
// follows the rules of the cipher's description.
#include "QorCrypt.h"

#include "CipherBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

const Vector PublishedVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

} // namespace

TEST(QorCipher, PublishedVectorsInStandardOrder)
{
    ASSERT_EQ(std::size(PublishedVectors), 34u);
    for (const Vector& v : PublishedVectors) {
        SCOPED_TRACE(v.key);
        const std::string key = FromHex(v.key);
        EXPECT_EQ(ToHex(Ciphered(FromHex(v.plain), key, true, 0, false)), v.cipher);
        EXPECT_EQ(ToHex(Ciphered(FromHex(v.cipher), key, false, 0, false)), v.plain);
    }
}

TEST(QorCipher, BlockOperationWithRoundKeysInEitherDirection)
{
    CipherState state = InitialCipherState;
    const std::string key = FromHex("FEDCBA9876543210");
    SetCipherKey(reinterpret_cast<const uint8_t*>(key.data()), key.size(), state);
    uint32_t left = 0x01234567, right = 0x89ABCDEF;
    CipherBlock(left, right, state, 1);
    EXPECT_EQ(left, 0x0ACEAB0Fu);
    EXPECT_EQ(right, 0xC6A0A28Du);
    CipherBlock(left, right, state, -1);
    EXPECT_EQ(left, 0x01234567u);
    EXPECT_EQ(right, 0x89ABCDEFu);
}

TEST(QorCipher, OnlyWholeBlocksChange)
{
    const std::string plain = FromHex("000000000000000001020304");
    const std::string ciphered = Ciphered(plain, std::string(8, '\0'), true, 0, false);
    EXPECT_EQ(ToHex(ciphered), "4EF997456198DD7801020304");
}

TEST(QorCipher, PasswordBytesPastSeventyTwoDoNotCount)
{
    const std::string password(72, 'k');
    const std::string plain = "eight by";
    EXPECT_EQ(Ciphered(plain, password, true, 0, false),
              Ciphered(plain, password + "tail", true, 0, false));
    EXPECT_NE(Ciphered(plain, password, true, 0, false),
              Ciphered(plain, password.substr(1) + "x", true, 0, false));
}

TEST(QorCipher, LegacyOrderIsTheStandardOrderOnReversedBlocks)
{
    const std::string password = "secret";
    const std::string plain = "sixteen bytes!!!tail";
    const std::string legacy = Ciphered(plain, password, true, 0, true);
    EXPECT_EQ(legacy, ReversedBlocks(Ciphered(ReversedBlocks(plain), password, true, 0, false)));
    std::string text = plain;
    LegacyEncrypt(text, password);
    EXPECT_EQ(text, legacy);
    LegacyDecrypt(text, password);
    EXPECT_EQ(text, plain);
}

TEST(QorCipher, CounterModeIncrementsTheCounterBlockFirst)
{
    const std::string password = "counter";
    // Counter 1 is stored as 01 00 .. 00; incremented as a big-endian number it becomes
    // 01 00 00 00 00 00 00 01, whose enciphering is the first key-stream block.
    const std::string firstCounterBlock = FromHex("0100000000000001");
    const std::string secondCounterBlock = FromHex("0100000000000002");
    const std::string keyStream =
        Ciphered(firstCounterBlock + secondCounterBlock, password, true, 0, false);
    const std::string zeros(16, '\0');
    EXPECT_EQ(Ciphered(zeros, password, true, 1, false), keyStream);

    // A carry runs from the last byte towards the first: FF in the last byte of the counter.
    const uint64_t counter = 0xFF00000000000000ull;
    EXPECT_EQ(Ciphered(std::string(8, '\0'), password, true, counter, false),
              Ciphered(FromHex("0000000000000100"), password, true, 0, false));

    const std::string text = "a text of twenty-four b.";
    const std::string ciphered = Ciphered(text, password, true, 7, false);
    EXPECT_NE(ciphered, text);
    EXPECT_EQ(Ciphered(ciphered, password, true, 7, false), text);
}

TEST(QorCipher, DecryptPaddedRemovesOnlyAValidPadding)
{
    const std::string password = "pw";
    struct Case {
        const char* plainHex;
        const char* resultHex;
    };
    const Case cases[] = {
        {"4142434445030303", "4142434445"},
        {"4142434445460203", "4142434445460203"},
        {"4142434445464700", "4142434445464700"},
        {"4142434445464709", "4142434445464709"},
        {"0808080808080808", ""},
        {"41424344454647480808080808080808", "4142434445464748"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plainHex);
        for (uint64_t counter : {uint64_t(0), uint64_t(99)}) {
            std::string text = Ciphered(FromHex(c.plainHex), password, true, counter, false);
            DecryptPadded(text, password, counter);
            EXPECT_EQ(ToHex(text), c.resultHex);
        }
    }
    std::string empty;
    DecryptPadded(empty, password, 0);
    EXPECT_EQ(empty, "");
}

TEST(QorBase64, EncodesAndDecodesWithPadding)
{
    struct Case {
        const char* bytes;
        const char* text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xFF\xEF\xBE", "/+++"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeBase64(std::string_view(c.bytes)), c.text);
        EXPECT_EQ(DecodeBase64(c.text), c.bytes);
    }
    EXPECT_EQ(EncodeBase64(nullptr, 3), "");
}

TEST(QorBase64, DecodingStopsAtTheFirstCharacterOutsideTheAlphabet)
{
    EXPECT_EQ(DecodeBase64("Zm9vY"), ""); // length not a multiple of 4
    EXPECT_EQ(DecodeBase64("Zm9v\nYmFy"), "");
    EXPECT_EQ(DecodeBase64("Zm9vYm*y"), "foob");  // third character of a group: one byte
    EXPECT_EQ(DecodeBase64("Zm9vYmE*"), "fooba"); // fourth: two bytes
    EXPECT_EQ(DecodeBase64("Zm*vYmFy"), "f");     // nothing after the stop is decoded
    EXPECT_EQ(DecodeBase64("*m9vYmFy"), "");
    EXPECT_EQ(DecodeBase64Buf("Zm9vYmFy", 4), "foo");
}
