// Instruction texts and function listings, with expected texts spelled out from the listing's
// rules (address, three blanks, mnemonic padded to column 19, comments at column 40).
#include <gtest/gtest.h>

#include <sstream>

#include "FunctionListing.h"

namespace qor {
namespace {

constexpr uint32_t kBase = 0x00400000;
constexpr uint32_t kCode = 0x00401000;

// A module image: headers at the base, code at kCode, data at 0x402000.
MemoryImage Module(std::vector<uint8_t> code, std::vector<uint8_t> data = {})
{
    MemoryImage m;
    m.Add(kBase, std::vector<uint8_t>(0x1000, 0), true, kBase);
    code.resize(0x1000, 0xCC);
    m.Add(kCode, code, true, kBase);
    data.resize(0x1000, 0);
    m.Add(0x00402000, data, true, kBase);
    return m;
}

std::string Text(const MemoryImage& m, uint32_t at, const ListingHooks& hooks = {})
{
    TDecodedInstruction d;
    TRegisterState regs{};
    return DisassembleInstruction(m, at, &regs, true, d, hooks);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        size_t at = text.find("\r\n", from);
        lines.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return lines;
        from = at + 2;
    }
}

TEST(Listing, InvalidInstructionsAreOneDbLinePerByte)
{
    MemoryImage m = Module({0x0F, 0x0B, 0xF6, 0xC8});
    EXPECT_EQ(Text(m, kCode), "00401000   db $0f\r\n00401001   db $0b");
    EXPECT_EQ(Text(m, kCode + 2), "00401002   db $f6\r\n00401003   db $c8");
}

TEST(Listing, OperandTexts)
{
    struct Case {
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {{0x8B, 0x45, 0x08}, "00401000   mov     eax, [ebp+8]"},
        {{0x89, 0x44, 0x24, 0xF0}, "00401000   mov     [esp-$10], eax"},
        {{0xC7, 0x04, 0x85, 0x10, 0, 0, 0, 0x2A, 0, 0, 0},
         "00401000   mov     dword ptr [eax*4+$10], $2a"},
        {{0x83, 0xEC, 0xF8}, "00401000   sub     esp, -8"},
        {{0x64, 0xA1, 0, 0, 0, 0}, "00401000   mov     eax, fs:[0]"},
        {{0xF3, 0xA5}, "00401000   rep movsd"},
        {{0xF0, 0x0F, 0xC1, 0x03}, "00401000   lock xadd [ebx], eax"},
        {{0xD1, 0xE0}, "00401000   shl     eax, 1"},
        {{0x0F, 0xA5, 0xD0}, "00401000   shld    eax, edx, cl"},
        {{0xDD, 0x5C, 0x24, 0x08}, "00401000   fstp    qword ptr [esp+8]"},
        {{0xD8, 0xC1}, "00401000   fadd    st, st(1)"},
        {{0x0F, 0xB6, 0x06}, "00401000   movzx   eax, byte ptr [esi]"},
        {{0xC8, 0x10, 0x00, 0x01}, "00401000   enter   $10, 1"},
        {{0x66, 0x0F, 0xEF, 0xC0}, "00401000   pxor    xmm0, xmm0"},
        {{0xEB, 0xFE}, "00401000   jmp     -2 ($401000)"},
        {{0x74, 0x10}, "00401000   jz      $10 ($401012)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(Module(c.bytes), kCode), c.text);
}

TEST(Listing, PushOfATextConstantGetsAStringComment)
{
    std::string hello = "Hello, world";
    MemoryImage m =
        Module({0x68, 0x00, 0x20, 0x40, 0x00}, std::vector<uint8_t>(hello.begin(), hello.end()));
    std::string expected = "00401000   push    $402000";
    expected.append(40 - expected.size(), ' ');
    EXPECT_EQ(Text(m, kCode), expected + "  ; 'Hello, world'");
}

TEST(Listing, CallThroughATracedRegisterNamesItsTarget)
{
    MemoryImage m = Module({0xB8, 0x00, 0x20, 0x40, 0x00, 0xFF, 0xD0, 0xC3});
    ListingHooks hooks;
    hooks.routineName = [](uint32_t a) {
        return a == 0x00402000 ? std::string("Target") : std::string();
    };
    TDecodedInstruction d;
    TRegisterState regs{};
    DisassembleInstruction(m, kCode, &regs, true, d, hooks);
    std::string call = DisassembleInstruction(m, kCode + 5, &regs, true, d, hooks);
    std::string expected = "00401005   call    eax";
    expected.append(40 - expected.size(), ' ');
    EXPECT_EQ(call, expected + "  ; Target");
    EXPECT_EQ(d.target, 0x00402000u);
}

TEST(Listing, FunctionWithLabelsAndDelimiters)
{
    // test eax, eax; je +1; inc eax; ret
    MemoryImage m = Module({0x85, 0xC0, 0x74, 0x01, 0x40, 0xC3});
    TFunctionInfo info;
    std::string listing = ParseFunction(m, kCode, kCode + 4, 0, true, info);
    ASSERT_TRUE(info.valid);
    std::vector<std::string> expected = {
        "00401000 sub_401000:                      ; function entry point",
        "00401000   test    eax, eax",
        "00401002   jz      loc_401005",
        "00401004",
        "00401004 > inc     eax",
        "00401005",
        "00401005 loc_401005:",
        "00401005   ret",
    };
    EXPECT_EQ(Lines(listing), expected);
}

TEST(Listing, LimitShowsTheLinesAroundTheException)
{
    std::vector<uint8_t> code(60, 0x90);
    code.push_back(0xC3);
    MemoryImage m = Module(code);
    TFunctionInfo info;
    // Line 40 of the listing (the label is line 1) is the nop at offset 38.
    std::vector<std::string> lines = Lines(ParseFunction(m, kCode, kCode + 38, 5, false, info));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines.front(), "[...]");
    EXPECT_EQ(lines[1].substr(0, 8), "00401021");
    EXPECT_EQ(lines[6], "00401026 > nop");
    EXPECT_EQ(lines[11].substr(0, 8), "0040102b");
    EXPECT_EQ(lines.back(), "[...]");
    // Near the start the listing begins with the function.
    lines = Lines(ParseFunction(m, kCode, kCode + 2, 5, false, info));
    EXPECT_EQ(lines.front().substr(0, 20), "00401000 sub_401000:");
    EXPECT_EQ(lines.size(), 10u);
}

TEST(Listing, InvalidFunctionGivesNoListing)
{
    MemoryImage m = Module({0x90, 0xF6, 0xC8});
    TFunctionInfo info;
    EXPECT_EQ(ParseFunction(m, kCode, kCode, 0, true, info), "");
    EXPECT_FALSE(info.valid);
}

} // namespace
} // namespace qor
