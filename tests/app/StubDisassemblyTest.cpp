// The jump stubs of the reset-vector redirection, read back by real disassemblers.
#include "ResetVector.h"

#include "ExternalTools.h"
#include "HexRecords.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace app;
using namespace tooltest;

namespace {
// Instructions of a disassembly listing, one per line, whitespace collapsed.
std::string Mnemonics(const std::string& listing)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < listing.size()) {
        std::size_t eol = listing.find('\n', pos);
        if (eol == std::string::npos)
            eol = listing.size();
        std::string line = listing.substr(pos, eol - pos);
        pos = eol + 1;
        // objdump: "   0:\tf241 0000 \tmovw\tr0, #4096\t@ 0x1000"
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (line.find(':') == std::string::npos || tab2 == std::string::npos)
            continue;
        std::string insn = line.substr(tab2 + 1);
        if (auto at = insn.find("\t@"); at != std::string::npos)
            insn.erase(at);
        for (char& c : insn)
            if (c == '\t')
                c = ' ';
        out += insn + "\n";
    }
    return out;
}
} // namespace

TEST(StubDisassembly, ArmStubSetsStackAndBranchesToTheResetHandler)
{
    ASSERT_TRUE(HasTool("objdump")) << "objdump missing (Debian package binutils-multiarch)";
    Bytes image{0x00, 0x10, 0x00, 0x20, 0xC1, 0x01, 0x00, 0x08}, boot;
    image.resize(64, 0); // a vector table longer than the stub
    const Bytes saved = BuildResetRedirect(30, BootLayout::AtEnd, 0x0803C000, image, boot);
    TempDir dir;
    WriteFile(dir.File("stub.bin"), saved);
    bool ok = true;
    const std::string listing =
        RunTool("objdump -D -b binary -m arm -M force-thumb " + dir.File("stub.bin"), ok);
    ASSERT_TRUE(ok) << "objdump cannot disassemble ARM (binutils-multiarch): " << listing;
    EXPECT_EQ(Mnemonics(listing),
              "movw r0, #4096\nmovt r0, #8192\nmov sp, r0\nmovw r0, #449\nmovt r0, #2048\nbx r0\n")
        << listing;
}

TEST(StubDisassembly, Pic32JumpLoadsTheBootloaderAddressAndJumps)
{
    ASSERT_TRUE(HasTool("objdump")) << "objdump missing (Debian package binutils-multiarch)";
    Bytes image, boot(16, 0);
    BuildResetRedirect(20, BootLayout::AtEnd, 0x9D07F000, image, boot);
    TempDir dir;
    WriteFile(dir.File("jump.bin"), boot);
    bool ok = true;
    const std::string listing =
        RunTool("objdump -D -b binary -m mips -EL " + dir.File("jump.bin"), ok);
    ASSERT_TRUE(ok) << "objdump cannot disassemble MIPS (binutils-multiarch): " << listing;
    // Register 30 (s8) holds the target, as in the fixed startup stub the bootloader keeps.
    EXPECT_EQ(Mnemonics(listing), "lui s8,0x9d07\nori s8,s8,0xf000\njr s8\n.word 0x70000000\n");

    // The fixed startup stub itself: load 0xBFC00050 and jump there.
    WriteFile(dir.File("stub.bin"), Bytes(Pic32FixedStub.begin(), Pic32FixedStub.end()));
    EXPECT_EQ(Mnemonics(RunTool("objdump -D -b binary -m mips -EL " + dir.File("stub.bin"), ok)),
              "lui s8,0xbfc0\nori s8,s8,0x50\njr s8\n.word 0x70000000\n");
}

TEST(StubDisassembly, Pic18GotoReachesTheBootloader)
{
    ASSERT_TRUE(HasTool("gpdasm")) << "gpdasm missing (Debian package gputils)";
    for (std::uint32_t bootStart : {0x7C00u, 0x1FC00u}) {
        Bytes image(8, 0x12), boot;
        BuildResetRedirect(2, BootLayout::AtEnd, bootStart, image, boot);
        TempDir dir;
        std::ofstream(dir.File("goto.hex")) << hextest::Lines(
            {hextest::Data(0, Bytes(image.begin(), image.begin() + 4)), hextest::End});
        bool ok = true;
        const std::string listing = RunTool("gpdasm -p p18f8722 " + dir.File("goto.hex"), ok);
        ASSERT_TRUE(ok) << listing;
        char expected[32];
        std::snprintf(expected, sizeof expected, "goto    0x%06x", bootStart);
        EXPECT_NE(listing.find(expected), std::string::npos) << listing;
    }
}
