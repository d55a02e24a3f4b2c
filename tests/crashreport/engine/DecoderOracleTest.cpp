// The decoder against objdump and llvm-mc on three bodies of code: every one- and two-byte
// opcode with ModRM, SIB, displacement and prefix tails; seeded random byte sequences; every
// instruction of the i686 Brenvik.exe text section. Differences must be rows of
// decoder_divergences.txt, and every row of a body must still be needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>

#include "DecoderOracle.h"
#include "PeImage.h"
#include "X86Decoder.h"

namespace qor::testing {
namespace {

const std::vector<uint8_t> kTails[] = {
    {0x25, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC},
    {0x8C, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C},
    {0x05, 0xF0, 0xFF, 0xFF, 0xFF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80},
    {0x44, 0x0C, 0x80, 0x7F, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06},
};

bool IsPrefixByte(int b)
{
    return b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E || b == 0x64 || b == 0x65 ||
           b == 0x66 || b == 0x67 || b == 0xF0 || b == 0xF2 || b == 0xF3;
}

std::vector<std::vector<uint8_t>> Opcodes()
{
    std::vector<std::vector<uint8_t>> ops;
    for (int b = 0; b < 256; ++b)
        if (!IsPrefixByte(b) && b != 0x0F)
            ops.push_back({static_cast<uint8_t>(b)});
    for (int b = 0; b < 256; ++b)
        ops.push_back({0x0F, static_cast<uint8_t>(b)});
    return ops;
}

// ModRM bytes: every mod and reg with the rm values that select a SIB byte, an absolute address
// and a plain base, and every register form; all 256 for the x87 escapes.
std::vector<uint8_t> ModRMs(const std::vector<uint8_t>& opcode)
{
    std::vector<uint8_t> m;
    bool x87 = opcode.size() == 1 && opcode[0] >= 0xD8 && opcode[0] <= 0xDF;
    for (int v = 0; v < 256; ++v) {
        int rm = v & 7;
        if (x87 || (v >> 6) == 3 || rm == 0 || rm == 4 || rm == 5)
            m.push_back(static_cast<uint8_t>(v));
    }
    return m;
}

std::vector<OracleCase> OpcodeMapCases()
{
    std::vector<OracleCase> cases;
    auto add = [&](std::vector<uint8_t> bytes, const std::vector<uint8_t>& tail) {
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        bytes.resize(16, 0x90);
        cases.push_back({bytes});
    };
    const std::vector<std::vector<uint8_t>> prefixes = {{0x66}, {0x67}, {0xF2}, {0xF3},
                                                        {0xF0}, {0x64}, {0x2E}, {0x66, 0xF3}};
    const uint8_t someModRMs[] = {0x00, 0x05, 0x44, 0x84, 0xC0, 0xD1};
    for (const auto& op : Opcodes()) {
        for (uint8_t modrm : ModRMs(op)) {
            std::vector<uint8_t> b = op;
            b.push_back(modrm);
            add(b, kTails[(modrm * 7u) % 4]);
        }
        for (const auto& p : prefixes)
            for (uint8_t modrm : someModRMs) {
                std::vector<uint8_t> b = p;
                b.insert(b.end(), op.begin(), op.end());
                b.push_back(modrm);
                add(b, kTails[modrm % 4]);
            }
    }
    // Every 3DNow! suffix, after a register and an absolute memory operand.
    for (int s = 0; s < 256; ++s) {
        add({0x0F, 0x0F, 0xC1, static_cast<uint8_t>(s)}, {});
        add({0x0F, 0x0F, 0x05, 0x10, 0x20, 0x30, 0x40, static_cast<uint8_t>(s)}, {});
    }
    return cases;
}

std::vector<OracleCase> RandomCases()
{
    std::mt19937 random(29);
    std::vector<OracleCase> cases(20000);
    for (OracleCase& c : cases) {
        c.bytes.resize(16);
        for (uint8_t& b : c.bytes)
            b = static_cast<uint8_t>(random() & 0xFF);
    }
    return cases;
}

std::vector<DivergenceRow> Table()
{
    return LoadDivergenceTable(BRENVIK_DIVERGENCE_TABLE);
}

void ExpectTableHolds(const std::vector<Divergence>& divergences, const std::string& corpus)
{
    TableCheck check = CheckAgainstTable(divergences, Table(), corpus);
    // The whole list goes beside the test program, for writing the table's rows.
    std::ofstream list("divergences-" + corpus + ".txt");
    for (const std::string& row : check.unexplained)
        list << row << "\n";
    std::string report;
    for (size_t i = 0; i < check.unexplained.size() && i < 400; ++i)
        report += check.unexplained[i] + "\n";
    EXPECT_TRUE(check.unexplained.empty()) << check.unexplained.size() << " new divergences:\n"
                                           << report;
    std::string stale;
    for (const std::string& s : check.stale)
        stale += s + "\n";
    // The program's code changes with every build: a row may find nothing to explain in it.
    if (corpus != "image")
        EXPECT_TRUE(check.stale.empty()) << "rows no longer needed:\n" << stale;
}

void CompareSlots(const std::vector<OracleCase>& cases, const std::string& corpus)
{
    MemoryImage memory;
    memory.Add(kSlotBase, SlotImage(cases));
    std::vector<Verdict> ours(cases.size());
    std::vector<uint32_t> hints(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        ours[i] = DecoderVerdict(memory, SlotAddress(i));
        hints[i] = ours[i].length;
    }
    std::vector<Verdict> objdump = ObjdumpVerdicts(cases);
    std::vector<Verdict> llvm = LlvmMcVerdicts(cases, hints);
    std::vector<Divergence> divergences;
    for (size_t i = 0; i < cases.size(); ++i) {
        Compare("objdump", cases[i].bytes, ours[i], objdump[i], divergences);
        Compare("llvm-mc", cases[i].bytes, ours[i], llvm[i], divergences);
    }
    ExpectTableHolds(divergences, corpus);
}

TEST(DecoderOracle, EveryOpcodeWithModRMAndPrefixTails)
{
    CompareSlots(OpcodeMapCases(), "opcodes");
}

TEST(DecoderOracle, SeededRandomSequences)
{
    CompareSlots(RandomCases(), "random");
}

// objdump sweeps the text section at its real addresses (the whole image is loaded, so that
// branches through the import table read their pointers); llvm-mc judges each distinct
// instruction shape the sweep found (bytes without a trailing 32-bit field), in slots.
TEST(DecoderOracle, EveryInstructionOfTheI686Program)
{
    PeImage image = LoadPeImage(BRENVIK_I686_EXE);
    auto text = std::find_if(image.sections.begin(), image.sections.end(),
                             [](const PeSection& s) { return s.name == ".text"; });
    ASSERT_NE(text, image.sections.end());
    std::vector<uint8_t> code = image.Bytes(*text);
    std::map<uint32_t, Verdict> sweep = ObjdumpSweep(code, text->address);
    ASSERT_GT(sweep.size(), code.size() / 8);
    std::vector<Divergence> divergences;
    std::vector<OracleCase> shapes;
    std::vector<uint32_t> hints;
    std::set<std::vector<uint8_t>> seen;
    for (const auto& [address, theirs] : sweep) {
        uint32_t offset = address - text->address;
        std::vector<uint8_t> window(code.begin() + offset,
                                    code.begin() + std::min<size_t>(code.size(), offset + 16));
        Compare("objdump", window, DecoderVerdict(image.memory, address), theirs, divergences);
        size_t key = theirs.length > 4 ? theirs.length - 4 : std::max<uint32_t>(theirs.length, 1);
        if (seen.insert(std::vector<uint8_t>(window.begin(),
                                             window.begin() + std::min(key, window.size())))
                .second) {
            shapes.push_back({window});
            hints.push_back(theirs.length);
        }
    }
    MemoryImage slots;
    slots.Add(kSlotBase, SlotImage(shapes));
    std::vector<Verdict> llvm = LlvmMcVerdicts(shapes, hints);
    for (size_t i = 0; i < shapes.size(); ++i)
        Compare("llvm-mc", shapes[i].bytes, DecoderVerdict(slots, SlotAddress(i)), llvm[i],
                divergences);
    ExpectTableHolds(divergences, "image");
}

} // namespace
} // namespace qor::testing
