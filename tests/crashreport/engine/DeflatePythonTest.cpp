// The deflate drivers and compressed strings against Python's zlib module.
#include "QorZip.h"

#include "HostTool.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

std::string Python(const std::string& program, const std::string& input)
{
    return RunHostTool(std::string(BRENVIK_PYTHON) + " -c \"" + program + "\"", input);
}

std::string SampleBytes(size_t length)
{
    std::string bytes;
    uint32_t state = 7;
    while (bytes.size() < length) {
        state = state * 1664525u + 1013904223u;
        bytes += (state >> 28) < 6 ? std::string("crash report ")
                                   : std::string(1, static_cast<char>(state >> 20));
    }
    bytes.resize(length);
    return bytes;
}

} // namespace

TEST(QorDeflatePython, OurDeflateInflatesInPython)
{
    for (size_t length : {size_t(0), size_t(10), size_t(200000)}) {
        SCOPED_TRACE(length);
        const std::string bytes = SampleBytes(length);
        std::string deflated(bytes.size() * 11 / 10 + 12, '\0');
        deflated.resize(DeflateBuffer(bytes.data(), deflated.data(),
                                      static_cast<uint32_t>(bytes.size()),
                                      static_cast<uint32_t>(deflated.size())));
        ASSERT_FALSE(deflated.empty());
        EXPECT_EQ(Python("import sys, zlib; "
                         "sys.stdout.buffer.write(zlib.decompress(sys.stdin.buffer.read(), -15))",
                         deflated),
                  bytes);
    }
}

TEST(QorDeflatePython, PythonDeflateInflatesHere)
{
    for (int level : {1, 6, 9}) {
        SCOPED_TRACE(level);
        const std::string bytes = SampleBytes(150000);
        const std::string deflated =
            Python("import sys, zlib; c = zlib.compressobj(" + std::to_string(level) +
                       ", zlib.DEFLATED, -15); "
                       "sys.stdout.buffer.write(c.compress(sys.stdin.buffer.read()) + c.flush())",
                   bytes);
        std::string inflated(bytes.size(), '\0');
        EXPECT_EQ(
            InflateBuffer(deflated.data(), inflated.data(), static_cast<uint32_t>(deflated.size()),
                          static_cast<uint32_t>(inflated.size())),
            bytes.size());
        EXPECT_EQ(inflated, bytes);
    }
}

TEST(QorDeflatePython, CompressedStringMadeByPython)
{
    const std::string bytes = SampleBytes(30000);
    const std::string packed = Python(
        "import sys, zlib, struct; d = sys.stdin.buffer.read(); c = zlib.compressobj(9, "
        "zlib.DEFLATED, -15); "
        "sys.stdout.buffer.write(struct.pack('<III', len(d), 0, zlib.crc32(d)) + c.compress(d) + "
        "c.flush())",
        bytes);
    EXPECT_EQ(UnpackString(packed), bytes);
}
