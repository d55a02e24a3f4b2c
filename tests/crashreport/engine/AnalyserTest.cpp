// The decoder's and the analyser's rules on small hand-assembled functions.
#include <gtest/gtest.h>

#include "FunctionAnalyser.h"
#include "X86Decoder.h"

namespace qor {
namespace {

constexpr uint32_t kCode = 0x00401000;

MemoryImage CodeAt(uint32_t address, std::vector<uint8_t> bytes)
{
    MemoryImage m;
    m.Add(address, std::move(bytes));
    return m;
}

TEST(Decoder, UndefinedFormsAreInvalid)
{
    const std::vector<uint8_t> cases[] = {
        {0x0F, 0x0B, 0x90},       // undefined two-byte opcode
        {0xF6, 0xC8, 0x05},       // 0xF6 /1
        {0xF7, 0x08, 0x05},       // 0xF7 /1
        {0x8D, 0xC0},             // lea needs memory
        {0x0F, 0x0F, 0xC1, 0x00}, // 3DNow! suffix that is no operation
        {0x0F, 0x6C, 0xC0},       // punpcklqdq needs 0x66
        {0xDA, 0xE8},             // register forms the x87 rules exclude
        {0xFF, 0xF8},             // 0xFF /7
    };
    for (const auto& bytes : cases) {
        MemoryImage m = CodeAt(kCode, bytes);
        EXPECT_FALSE(DecodeInstruction(m, kCode).valid)
            << std::hex << int(bytes[0]) << " " << int(bytes[1]);
    }
}

TEST(Decoder, LengthsOfForms)
{
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t length;
    } cases[] = {
        {{0x8B, 0x45, 0x08}, 3},             // mov eax, [ebp+8]
        {{0x8B, 0x04, 0x85, 0, 0, 0, 0}, 7}, // SIB without base: disp32
        {{0x67, 0x8B, 0x06, 0x34, 0x12}, 5}, // 16-bit absolute
        {{0x66, 0xB8, 0x34, 0x12}, 4},       // 16-bit immediate
        {{0xC8, 0x10, 0x00, 0x01}, 4},       // enter
        {{0x9A, 1, 2, 3, 4, 5, 6}, 7},       // far call
        {{0xA1, 1, 2, 3, 4}, 5},             // moffs
        {{0xF6, 0x05, 1, 2, 3, 4, 9}, 7},    // test byte [abs], imm8
        {{0x0F, 0x0F, 0xC1, 0x9E}, 4},       // pfadd mm0, mm1
        {{0xF2, 0x0F, 0x58, 0xC1}, 4},       // addsd
        {{0x0F, 0x1F, 0x44, 0x00, 0x00}, 5}, // long no-operation
    };
    for (const Case& c : cases) {
        MemoryImage m = CodeAt(kCode, c.bytes);
        TDecodedInstruction d = DecodeInstruction(m, kCode);
        EXPECT_TRUE(d.valid) << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]);
        EXPECT_EQ(d.Length(), c.length) << std::hex << int(c.bytes[0]) << " " << int(c.bytes[1]);
    }
}

TEST(Decoder, UnreadableCodeIsInvalidAndNeverReadsPastTheImage)
{
    MemoryImage m = CodeAt(kCode, {0x8B, 0x04}); // the SIB byte is missing
    EXPECT_FALSE(DecodeInstruction(m, kCode).valid);
    EXPECT_FALSE(DecodeInstruction(m, 0x1000).valid);
    std::vector<uint8_t> prefixes(16, 0x66); // longer than any instruction
    MemoryImage p = CodeAt(kCode, prefixes);
    EXPECT_FALSE(DecodeInstruction(p, kCode).valid);
}

TEST(Decoder, CallToTheNextInstructionIsNoBranch)
{
    MemoryImage m = CodeAt(kCode, {0xE8, 0, 0, 0, 0, 0xE8, 0x10, 0, 0, 0});
    TDecodedInstruction d = DecodeInstruction(m, kCode);
    EXPECT_TRUE(d.valid);
    EXPECT_FALSE(d.call);
    EXPECT_EQ(d.target, 0u);
    d = DecodeInstruction(m, kCode + 5);
    EXPECT_TRUE(d.call);
    EXPECT_TRUE(d.relative);
    EXPECT_EQ(d.target, kCode + 10 + 0x10);
    EXPECT_EQ(d.targetLocation, kCode + 6);
    EXPECT_EQ(d.targetSize, 4);
    EXPECT_TRUE(d.enlargeable);
}

TEST(Decoder, RegisterTrackingFollowsACallThroughARegister)
{
    // mov eax, $00402000; mov ecx, eax; call ecx; call eax after "xor eax, eax"
    MemoryImage m = CodeAt(
        kCode, {0xB8, 0x00, 0x20, 0x40, 0x00, 0x8B, 0xC8, 0xFF, 0xD1, 0x31, 0xC0, 0xFF, 0xD0});
    TRegisterState regs{};
    TDecodedInstruction d = DecodeInstruction(m, kCode, &regs);
    EXPECT_EQ(regs[0], kCode + 1);
    d = DecodeInstruction(m, d.next, &regs);
    EXPECT_EQ(regs[1], kCode + 1);
    d = DecodeInstruction(m, d.next, &regs);
    EXPECT_TRUE(d.call);
    EXPECT_EQ(d.target, 0x00402000u);
    EXPECT_EQ(d.targetLocation, kCode + 1);
    d = DecodeInstruction(m, d.next, &regs);
    EXPECT_EQ(regs[0], 0u);
    d = DecodeInstruction(m, d.next, &regs);
    EXPECT_TRUE(d.call);
    EXPECT_EQ(d.target, 0u);
}

TEST(Decoder, BranchThroughAnAbsolutePointer)
{
    MemoryImage m;
    m.Add(kCode, {0xFF, 0x25, 0x00, 0x30, 0x40, 0x00, 0x64, 0xFF, 0x25, 0, 0, 0, 0, 0xFF, 0x15, 0,
                  0, 0x50, 0});
    m.Add(0x00403000, {0x78, 0x56, 0x34, 0x12});
    TDecodedInstruction d = DecodeInstruction(m, kCode);
    EXPECT_TRUE(d.jump);
    EXPECT_EQ(d.target, 0x12345678u);
    EXPECT_EQ(d.pointerLocation, 0x00403000u);
    d = DecodeInstruction(m, kCode + 6); // fs: the pointer is not followed
    EXPECT_TRUE(d.valid);
    EXPECT_EQ(d.target, 0u);
    d = DecodeInstruction(m, kCode + 13); // unreadable pointer
    EXPECT_FALSE(d.valid);
}

TEST(Analyser, CaseTableAfterTheJumpGivesATableAreaAndOneAreaPerEntry)
{
    // cmp eax, 2; ja default; jmp [table + eax*4]; table (3 entries); three cases; default: ret
    std::vector<uint8_t> code = {0x83, 0xF8, 0x02, 0x77, 0x00 /*patched*/, 0xFF, 0x24, 0x85};
    uint32_t table = kCode + 12;
    for (int i = 0; i < 4; ++i)
        code.push_back(static_cast<uint8_t>(table >> (8 * i)));
    uint32_t cases = table + 12;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 4; ++i)
            code.push_back(static_cast<uint8_t>((cases + 2 * c) >> (8 * i)));
    code.insert(code.end(), {0x40, 0xC3, 0x48, 0xC3, 0x90, 0xC3, 0xC3});
    code[4] = static_cast<uint8_t>(cases + 6 - (kCode + 5));
    MemoryImage m = CodeAt(kCode, code);
    TFunctionInfo info = AnalyseCode(m, kCode, {});
    ASSERT_TRUE(info.valid) << info.errorText;
    int tables = 0;
    std::vector<uint32_t> starts;
    for (const TCodeArea& a : info.areas) {
        if (a.caseTable) {
            ++tables;
            EXPECT_EQ(a.start, table);
            EXPECT_EQ(a.end, table + 11);
        }
        starts.push_back(a.start);
    }
    EXPECT_EQ(tables, 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_NE(std::find(starts.begin(), starts.end(), cases + 2 * c), starts.end());
    EXPECT_EQ(info.codeStart, kCode);
    EXPECT_EQ(info.codeLength, static_cast<uint32_t>(code.size()));
}

TEST(Analyser, CallToTheNextInstructionIsNoOutsideBranch)
{
    MemoryImage m = CodeAt(kCode, {0xE8, 0, 0, 0, 0, 0x58, 0xE8, 0x10, 0, 0, 0, 0xC3});
    TFunctionInfo info = AnalyseCode(m, kCode, {});
    ASSERT_TRUE(info.valid);
    ASSERT_EQ(info.outsideBranches.size(), 1u);
    EXPECT_EQ(info.outsideBranches[0].start, kCode + 6);
    EXPECT_TRUE(info.outsideBranches[0].call);
}

TEST(Analyser, Interceptability)
{
    struct Case {
        std::vector<uint8_t> code;
        bool interceptable;
    } cases[] = {
        {{0x55, 0x89, 0xE5, 0x83, 0xEC, 0x10, 0xC9, 0xC3},
         true},                                  // push ebp; mov ebp, esp; sub esp, 16
        {{0xEB, 0x02, 0x90, 0x90, 0xC3}, false}, // short jump at the entry
        {{0x31, 0xC9, 0x41, 0xE2, 0xFD, 0x90, 0x90, 0xC3}, false}, // loop within the first bytes
        {{0x90, 0xC3}, false},                                     // shorter than the jump
    };
    for (const Case& c : cases) {
        MemoryImage m = CodeAt(kCode, c.code);
        TFunctionInfo info = AnalyseCode(m, kCode, {});
        ASSERT_TRUE(info.valid);
        EXPECT_EQ(info.interceptable, c.interceptable) << std::hex << int(c.code[0]);
    }
}

TEST(Analyser, EntryInFreeMemoryIsInvalidWithError87)
{
    MemoryImage m = CodeAt(kCode, {0xC3});
    TFunctionInfo info = AnalyseCode(m, 0x10, {});
    EXPECT_FALSE(info.valid);
    EXPECT_EQ(info.errorCode, 87u);
}

TEST(Analyser, InvalidCodeFailsWithItsAddress)
{
    MemoryImage m = CodeAt(kCode, {0x90, 0xF6, 0xC8, 0xC3});
    TFunctionInfo info = AnalyseCode(m, kCode, {});
    EXPECT_FALSE(info.valid);
    EXPECT_EQ(info.errorCode, 0x770001u);
    EXPECT_EQ(info.errorText, "Invalid code!");
    EXPECT_EQ(info.errorAddress, kCode + 1);
}

TEST(Analyser, CallsThatNeverReturnEndTheCodeAndTrapsEndIt)
{
    // call abort; <data that is no code>;  second function: jne over ud2; ret
    uint32_t abortAt = 0x00405000;
    std::vector<uint8_t> code = {0xE8, 0, 0, 0, 0, 0xF6, 0xC8};
    uint32_t rel = abortAt - (kCode + 5);
    for (int i = 0; i < 4; ++i)
        code[1 + static_cast<size_t>(i)] = static_cast<uint8_t>(rel >> (8 * i));
    MemoryImage m;
    m.Add(kCode, code);
    m.Add(abortAt, {0xC3});
    AnalyserAnchors anchors;
    TFunctionInfo without = AnalyseCode(m, kCode, anchors);
    EXPECT_FALSE(without.valid);
    anchors.noReturnRoutines = {abortAt};
    TFunctionInfo with = AnalyseCode(m, kCode, anchors);
    ASSERT_TRUE(with.valid);
    EXPECT_EQ(with.codeLength, 5u);

    MemoryImage t = CodeAt(kCode, {0x75, 0x02, 0x0F, 0x0B, 0xC3});
    TFunctionInfo trap = AnalyseCode(t, kCode, {});
    ASSERT_TRUE(trap.valid);
    EXPECT_EQ(trap.codeLength, 5u);
}

TEST(Analyser, LandingPadsAreCodeOfTheFunction)
{
    // call f; ret; (pad:) mov eax, 1; ret  -- the pad is reached only through the unwinder
    MemoryImage m = CodeAt(kCode, {0xE8, 0x10, 0, 0, 0, 0xC3, 0xB8, 1, 0, 0, 0, 0xC3});
    AnalyserAnchors anchors;
    anchors.landingPads = [](uint32_t) { return std::vector<uint32_t>{kCode + 6}; };
    TFunctionInfo info = AnalyseCode(m, kCode, anchors);
    ASSERT_TRUE(info.valid);
    EXPECT_EQ(info.codeLength, 12u);
}

} // namespace
} // namespace qor
