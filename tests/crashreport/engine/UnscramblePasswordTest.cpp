// The stored passwords against `openssl enc -bf-ecb`: the scrambled form is made here the way
// the settings tool makes it (padding, then counter mode keyed by the account, padding again,
// counter mode keyed by the server), with OpenSSL's Blowfish enciphering the counter blocks.
// OpenSSL fills a key given with -K up to 16 bytes with zeros, so the names are 16 bytes long.
#include "UnscramblePassword.h"

#include "CipherBytes.h"
#include "HostTool.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

// n bytes of value n up to the next multiple of 8 (a whole block when already aligned).
std::string Padded(std::string bytes)
{
    const size_t n = 8 - bytes.size() % 8;
    return bytes.append(n, static_cast<char>(n));
}

// Counter mode: block i is XORed with the enciphered counter block counter + i, the counter's
// bytes in memory (little-endian) read as a big-endian number.
std::string CounterModeBySsl(const std::string& data, const std::string& key, uint64_t counter)
{
    uint64_t start = 0;
    for (int i = 0; i < 8; ++i)
        start = start << 8 | ((counter >> (8 * i)) & 0xFF);
    std::string blocks;
    for (size_t block = 1; block <= data.size() / 8; ++block)
        for (int shift = 56; shift >= 0; shift -= 8)
            blocks += static_cast<char>(((start + block) >> shift) & 0xFF);
    const std::string stream = RunHostTool(
        std::string(BRENVIK_OPENSSL) +
            " enc -bf-ecb -nopad -provider legacy -provider default -e -K " + ToHex(key),
        blocks);
    std::string out = data;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char>(out[i] ^ stream[i]);
    return out;
}

std::string ScrambledBySsl(const std::string& password, const std::string& account,
                           const std::string& server)
{
    const std::string inner = CounterModeBySsl(Padded(password), account, kAccountPassCounter);
    return CounterModeBySsl(Padded(inner), server, kServerPassCounter);
}

TEST(UnscramblePassword, UndoesBothPassesOfTheSettingsTool)
{
    const std::string account = "reporter@x.test!";
    const std::string server = "smtp.example.tst";
    for (const std::string password : {"s3cret pass", "exactly8", "", "a much longer password"}) {
        SCOPED_TRACE(password);
        const std::string stored = ScrambledBySsl(password, account, server);
        EXPECT_EQ(UnscramblePassword(stored, account, server), password);
        EXPECT_NE(UnscramblePassword(stored, server, account), password) << "keys swapped";
    }
    EXPECT_EQ(UnscramblePassword("", account, server), "");
}

} // namespace
} // namespace qor
