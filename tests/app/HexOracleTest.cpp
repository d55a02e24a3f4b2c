// HEX files written by srec_cat and read back by objcopy: the loader must build the same bytes.
#include "HexLoader.h"

#include "ExternalTools.h"

#include <gtest/gtest.h>

#include <random>

using namespace app;
using namespace tooltest;

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(rng());
    return v;
}

DeviceInfo BigArm(FamilyCode code)
{
    DeviceInfo d;
    d.mcuType = code;
    d.bootRevision = 0x1200;
    d.flashSize = 0x200000;
    d.eraseBlockSize = 1024;
    d.writeBlockSize = 256;
    return d;
}

} // namespace

TEST(HexOracle, SrecCatFilesLoadAsObjcopyReadsThem)
{
    ASSERT_TRUE(HasTool("srec_cat") && HasTool("objcopy"))
        << "srec_cat (srecord) or objcopy (binutils) missing";
    struct Case {
        const char* what;
        FamilyCode family;
        std::uint32_t hexBase;
        std::uint32_t imageBase;
        int blockSize;
    };
    const Case cases[] = {
        {"ARM from 0, 16-byte records", 30, 0, 0, 16},
        {"STM32 at 0x08000000 with extended addresses, 32-byte records", 35, 0x08000000, 0x08000000,
         32},
        {"PIC32 program flash, 255-byte records", 20, 0x1D000000, 0x1D000000, 255},
    };
    for (const auto& c : cases) {
        TempDir dir;
        // Two pieces with a gap, the second across a 64 KB boundary.
        const auto a = RandomBytes(0x3000, 1), b = RandomBytes(0x12345, 2);
        WriteFile(dir.File("a.bin"), a);
        WriteFile(dir.File("b.bin"), b);
        char cmd[1024];
        std::snprintf(cmd, sizeof cmd,
                      "srec_cat %s -binary -offset 0x%X %s -binary -offset 0x%X -o %s -intel "
                      "-Output_Block_Size %d",
                      dir.File("a.bin").c_str(), c.hexBase + 0x100, dir.File("b.bin").c_str(),
                      c.hexBase + 0xF000, dir.File("fw.hex").c_str(), c.blockSize);
        bool ok = true;
        const std::string out = RunTool(cmd, ok);
        ASSERT_TRUE(ok) << out;
        RunTool("objcopy -I ihex -O binary --gap-fill 0xff " + dir.File("fw.hex") + " " +
                    dir.File("fw.bin"),
                ok);
        ASSERT_TRUE(ok);
        const std::string reference = ReadFile(dir.File("fw.bin"));

        const auto r = LoadHex(ReadFile(dir.File("fw.hex")), dir.File("fw.hex"), BigArm(c.family));
        ASSERT_TRUE(r.Ok()) << c.what << ": " << r.message;
        const std::size_t first = c.hexBase + 0x100 - c.imageBase;
        ASSERT_EQ(r.program.size(), first + reference.size()) << c.what;
        EXPECT_TRUE(std::all_of(r.program.begin(), r.program.begin() + first,
                                [](auto v) { return v == 0xFF; }));
        EXPECT_EQ(std::string(r.program.begin() + first, r.program.end()), reference) << c.what;
    }
}

TEST(HexOracle, SrecCatAgreesWithTheLoaderOnAFaultyChecksum)
{
    ASSERT_TRUE(HasTool("srec_cat")) << "srec_cat missing (Debian package srecord)";
    TempDir dir;
    WriteFile(dir.File("a.bin"), RandomBytes(256, 3));
    bool ok = true;
    RunTool("srec_cat " + dir.File("a.bin") + " -binary -o " + dir.File("fw.hex") + " -intel", ok);
    ASSERT_TRUE(ok);
    std::string hex = ReadFile(dir.File("fw.hex"));
    // Flip one data digit of the third record.
    std::size_t line = 0, at = 0;
    while (line < 2)
        line += hex[at++] == '\n';
    hex[at + 12] = hex[at + 12] == '0' ? '1' : '0';
    std::FILE* f = std::fopen(dir.File("bad.hex").c_str(), "wb");
    std::fwrite(hex.data(), 1, hex.size(), f);
    std::fclose(f);
    RunTool("srec_cat " + dir.File("bad.hex") + " -intel -o /dev/null -binary", ok);
    EXPECT_FALSE(ok) << "srec_cat accepts the faulty file";
    const auto r = LoadHex(hex, dir.File("bad.hex"), BigArm(30));
    EXPECT_EQ(r.problem, HexProblem::Checksum);
    EXPECT_EQ(r.line, 2);
}
