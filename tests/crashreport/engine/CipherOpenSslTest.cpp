// The cipher against `openssl enc -bf-ecb`. OpenSSL fills a key given with -K up to 16 bytes
// with zeros, so the passwords here are 16 bytes long.
#include "QorCrypt.h"

#include "CipherBytes.h"
#include "HostTool.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace qor;

namespace {

std::string OpenSslBlowfish(const std::string& key, const std::string& data, bool encipher)
{
    // OpenSSL 3 keeps Blowfish in its legacy provider.
    return RunHostTool(std::string(BRENVIK_OPENSSL) +
                           " enc -bf-ecb -nopad -provider legacy -provider default" +
                           (encipher ? " -e" : " -d") + " -K " + ToHex(key),
                       data);
}

std::string RandomBytes(std::mt19937& random, size_t length)
{
    std::string bytes(length, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

} // namespace

TEST(QorCipherOpenSsl, AllBlockModesAgree)
{
    std::mt19937 random(29);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const std::string key = RandomBytes(random, 16);
        const std::string data = RandomBytes(random, 8 * static_cast<size_t>(1 + round * 5));

        const std::string standard = OpenSslBlowfish(key, data, true);
        EXPECT_EQ(ToHex(Ciphered(data, key, true, 0, false)), ToHex(standard));
        EXPECT_EQ(ToHex(Ciphered(standard, key, false, 0, false)), ToHex(data));
        EXPECT_EQ(ToHex(Ciphered(data, key, false, 0, false)),
                  ToHex(OpenSslBlowfish(key, data, false)));

        EXPECT_EQ(ToHex(Ciphered(data, key, true, 0, true)),
                  ToHex(ReversedBlocks(OpenSslBlowfish(key, ReversedBlocks(data), true))));

        // Counter mode: the key stream is the enciphered counter blocks from counter + 1 on,
        // the counter's bytes in memory (little-endian) read as a big-endian number; its
        // last byte starts near 0xFF so that the increments carry.
        const uint64_t lastByte = 0xFC + uint64_t(round);
        const uint64_t counter = 0xFE + (lastByte << 56);
        std::string counterBlocks;
        for (size_t block = 1; block <= data.size() / 8; ++block) {
            const uint64_t value = 0xFE00000000000000ull + lastByte + block;
            for (int shift = 56; shift >= 0; shift -= 8)
                counterBlocks += static_cast<char>((value >> shift) & 0xFF);
        }
        const std::string keyStream = OpenSslBlowfish(key, counterBlocks, true);
        std::string expected = data;
        for (size_t i = 0; i < data.size(); ++i)
            expected[i] = static_cast<char>(data[i] ^ keyStream[i]);
        EXPECT_EQ(ToHex(Ciphered(data, key, true, counter, false)), ToHex(expected));
    }
}
