// The stack tracer's rules on a small hand-assembled module: the call test, the single stack
// line, the printed columns, hidden frames, unreadable stacks, the abort flag, and the stack dump
// of a stack that ends early.
#include <gtest/gtest.h>

#include <cstring>

#include "QorExceptAddress.h"
#include "StackDump.h"
#include "TraceFixture.h"

namespace qor::testing {
namespace {

TEST(StackTracerRules, CallTestAcceptsTheCallFormsBeforeAReturnAddress)
{
    constexpr uint32_t kAt = 0x00401000;
    struct Case {
        const char* name;
        std::vector<uint8_t> before; // the bytes that end at the return address
        bool accepted;
    } cases[] = {
        {"near call", {0xE8, 1, 2, 3, 4}, true},
        {"call [absolute]", {0xFF, 0x15, 0, 0x30, 0x40, 0}, true},
        {"call eax", {0xFF, 0xD0}, true},
        {"call [ebp+8]", {0xFF, 0x55, 0x08}, true},
        {"call [esp+4]", {0xFF, 0x54, 0x24, 0x04}, true},
        {"call far [ebx+disp32]", {0xFF, 0x9B, 1, 2, 3, 4}, true},
        {"far call", {0x9A, 1, 2, 3, 4, 5, 6}, true},
        {"jmp eax", {0xFF, 0xE0}, false},
        {"data word", {0x78, 0x56, 0x34, 0x12}, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(16 - c.before.size(), 0x90);
        bytes.insert(bytes.end(), c.before.begin(), c.before.end());
        MemoryImage m;
        m.Add(kAt, bytes);
        EXPECT_EQ(IsCallBefore(m, kAt + 16), c.accepted) << c.name;
    }
    MemoryImage m;
    m.Add(0, std::vector<uint8_t>(16, 0xE8));
    EXPECT_FALSE(IsCallBefore(m, 7));       // too low for a return address
    EXPECT_FALSE(IsCallBefore(m, 0x10000)); // unreadable
}

TEST(StackTracerRules, StackItemText)
{
    TraceFixture f;
    TraceFixture::Environment environment(f);
    StackTracer tracer(f.code, environment);
    EXPECT_EQ(tracer.StackItemText(0x00300000, false, false), "00300000 ???");
    EXPECT_EQ(tracer.StackItemText(0x00300000, true, false), "00300000 +0 ???");
    EXPECT_EQ(tracer.StackItemText(TraceFixture::kB + 3, false, false),
              "00401013 Test.exe Unit1 21 B");
    EXPECT_EQ(tracer.StackItemText(TraceFixture::kB + 3, true, true),
              "00401013 +3 Test.exe Unit1 21 +1 B");
    EXPECT_EQ(tracer.StackItemText(TraceFixture::kC + 3, false, true),
              "00401023 Test.exe Unit2 +0 C");
}

// The stack of A -> B -> C -> D with the fault in D, frame-pointer chain complete.
struct FixtureStack {
    MemoryImage memory;
    uint32_t bottom = 0, framePointer = 0;
    explicit FixtureStack(const TraceFixture& f, std::vector<uint32_t> extra = {})
    {
        memory = f.code;
        std::vector<uint32_t> words; // from the top down
        uint32_t fp = 0;
        for (uint32_t caller : {TraceFixture::kA, TraceFixture::kB, TraceFixture::kC}) {
            words.push_back(caller + 8); // after the call
            words.push_back(fp);
            fp = TraceFixture::kStack + TraceFixture::kStackSize -
                 4 * static_cast<uint32_t>(words.size());
            words.insert(words.end(), extra.begin(), extra.end());
        }
        std::vector<uint8_t> bytes(TraceFixture::kStackSize);
        for (size_t i = 0; i < words.size(); ++i)
            for (int b = 0; b < 4; ++b)
                bytes[bytes.size() - 4 * (i + 1) + static_cast<size_t>(b)] =
                    static_cast<uint8_t>(words[i] >> (8 * b));
        memory.Add(TraceFixture::kStack, bytes);
        bottom = TraceFixture::kStack + TraceFixture::kStackSize -
                 4 * static_cast<uint32_t>(words.size());
        framePointer = fp;
    }
    TraceStackArguments Arguments() const
    {
        TraceStackArguments a;
        a.currentAddress = TraceFixture::kD + 3;
        a.isException = true;
        a.outsideException = true;
        a.stackBottom = bottom;
        a.stackTop = TraceFixture::kStack + TraceFixture::kStackSize;
        a.framePointer = framePointer;
        return a;
    }
};

TEST(StackTracerRules, PrintedColumnsAndHiddenFrames)
{
    TraceFixture f;
    TraceFixture::Environment environment(f);
    FixtureStack stack(f, {7, TraceFixture::kA, TraceFixture::kStack}); // noise in every frame
    StackTracer tracer(stack.memory, environment);
    struct Case {
        const char* name;
        bool hide, relativeAddresses, relativeLines;
        const char* text;
    } cases[] = {
        {"plain", false, false, false,
         "00401033 Test.exe Unit3  41 D\r\n"
         "00401023 Test.exe Unit2     C\r\n"
         "00401013 Test.exe Unit1  21 B\r\n"
         "00401003 Test.exe Unit1  11 A"},
        {"frames without lines hidden", true, false, false,
         "00401033 Test.exe Unit3  41 D\r\n"
         "00401013 Test.exe Unit1  21 B\r\n"
         "00401003 Test.exe Unit1  11 A"},
        {"relative addresses and lines", false, true, true,
         "00401033 +3 Test.exe Unit3  41 +1 D\r\n"
         "00401023 +3 Test.exe Unit2        C\r\n"
         "00401013 +3 Test.exe Unit1  21 +1 B\r\n"
         "00401003 +3 Test.exe Unit1  11 +1 A"},
    };
    for (const Case& c : cases) {
        TraceStackArguments a = stack.Arguments();
        a.hideItemsWithoutLines = c.hide;
        a.relativeAddresses = c.relativeAddresses;
        a.relativeLines = c.relativeLines;
        TraceStackResults r;
        tracer.TraceStack(a, r);
        EXPECT_EQ(r.text, c.text) << c.name;
        EXPECT_EQ(r.exceptionAddress, TraceFixture::kD + 3);
        EXPECT_EQ(r.routineStart, TraceFixture::kD);
        EXPECT_TRUE(r.hasLines);
    }
}

// The program's own code is read in place: a trace asks the read service only for the rest
// (the stack) and prints what it prints when every byte comes through the service.
TEST(StackTracerRules, CodeOfferedInPlaceIsNotReadThroughTheService)
{
    TraceFixture f;
    TraceFixture::Environment environment(f);
    FixtureStack stack(f);
    // The module's code as it lies in this process's memory, followed by more of its image (as
    // a code section is followed by the next section), so that no read of the code runs past it.
    stack.memory.Add(TraceFixture::kA + 0x40, std::vector<uint8_t>(0x40, 0xCC), true,
                     TraceFixture::kBase);
    std::vector<uint8_t> code(0x80);
    ASSERT_TRUE(stack.memory.Read(TraceFixture::kA, code.data(), 0x80));
    class Counting final : public CodeMemory {
    public:
        Counting(const CodeMemory& m, const std::vector<uint8_t>* code) : m_(m), code_(code) {}
        bool Read(uint32_t address, void* destination, uint32_t count) const override
        {
            reads.push_back(address);
            return m_.Read(address, destination, count);
        }
        MemoryRegion Region(uint32_t address) const override { return m_.Region(address); }
        const uint8_t* InPlace(uint32_t address, uint32_t count) const override
        {
            if (!code_ || address < TraceFixture::kA ||
                uint64_t{address} + count > TraceFixture::kA + code_->size())
                return nullptr;
            return code_->data() + (address - TraceFixture::kA);
        }
        mutable std::vector<uint32_t> reads;

    private:
        const CodeMemory& m_;
        const std::vector<uint8_t>* code_;
    };
    std::string texts[2];
    for (int inPlace = 0; inPlace < 2; ++inPlace) {
        Counting memory(stack.memory, inPlace ? &code : nullptr);
        StackTracer tracer(memory, environment);
        TraceStackResults r;
        tracer.TraceStack(stack.Arguments(), r);
        texts[inPlace] = r.text;
        bool codeRead = false;
        for (uint32_t address : memory.reads)
            codeRead |= address >= TraceFixture::kA && address < TraceFixture::kA + 0x80;
        EXPECT_EQ(codeRead, inPlace == 0);
    }
    EXPECT_FALSE(texts[0].empty());
    EXPECT_EQ(texts[1], texts[0]);
}

TEST(StackTracerRules, AFrameOutsideEveryModuleIsNamedByQuestionMarks)
{
    TraceFixture f;
    TraceFixture::Environment environment(f);
    FixtureStack stack(f);
    StackTracer tracer(stack.memory, environment);
    TraceStackArguments a = stack.Arguments();
    a.currentAddress = TraceFixture::kBlob + 5;
    TraceStackResults r;
    tracer.TraceStack(a, r);
    ASSERT_FALSE(r.items.empty()) << r.text;
    EXPECT_EQ(r.items[0].moduleName, "???");
    EXPECT_EQ(r.text.substr(0, 13), "00500005 ??? ");
    // Its value in the checksums is the address itself.
    EXPECT_EQ(r.firstChecksum, TraceFixture::kBlob + 5);
}

TEST(StackTracerRules, UnreadableStacksAndAbortsLeaveTheTextEmpty)
{
    TraceFixture f;
    TraceFixture::Environment environment(f);
    FixtureStack stack(f);
    StackTracer tracer(stack.memory, environment);
    TraceStackArguments a = stack.Arguments();
    a.stackTop += 0x1000; // past the end of the stack's memory
    TraceStackResults r;
    tracer.TraceStack(a, r);
    EXPECT_EQ(r.text, "");
    volatile bool abort = true;
    a = stack.Arguments();
    a.abort = &abort;
    tracer.TraceStack(a, r);
    EXPECT_EQ(r.text, "");
    EXPECT_TRUE(r.items.empty());
}

// The exception address is moved 4 bytes on only when it is no place of the routine's code
// and 4 bytes further is. Routine A: push ebp (+0); mov ebp, esp (+1); call B (+3, returns to
// +8); pop ebp (+8); ret (+9, the area's last byte).
TEST(ExceptAddress, MovedOnlyFromAnUnacceptableToAnAcceptableAddress)
{
    TraceFixture f;
    constexpr uint32_t kA = TraceFixture::kA;
    struct Case {
        const char* name;
        uint32_t address, corrected;
    } cases[] = {
        {"no address", 0, 0},
        {"an instruction boundary", kA + 3, kA + 3},
        {"the call's return address", kA + 8, kA + 8},
        {"inside the call, 4 short of its return address", kA + 4, kA + 8},
        {"inside the call, 4 short of the ret", kA + 5, kA + 9},
        {"inside the call, 4 short of the area's end + 1", kA + 6, kA + 10},
        {"inside the call, 4 short of nothing", kA + 7, kA + 7},
        {"code of no routine", TraceFixture::kBlob + 1, TraceFixture::kBlob + 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CorrectExceptAddress(c.address, f.code, *f.debug, {}), c.corrected) << c.name;
}

TEST(StackDump, RowsStopWhereTheStackEnds)
{
    // The second half of a row whose bytes end after 8: two blanks where "- " stands, three
    // per missing byte.
    const std::string kMissingHalf(2 + 8 * 3, ' ');
    MemoryImage m;
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 24; ++i)
        bytes.push_back(static_cast<uint8_t>(0x41 + i));
    m.Add(0x00200000, bytes);
    EXPECT_EQ(GetStackDump(m, 0x00200000),
              "00200000  41 42 43 44 45 46 47 48 - 49 4a 4b 4c 4d 4e 4f 50  ABCDEFGHIJKLMNOP\r\n"
              "00200010  51 52 53 54 55 56 57 58 " +
                  kMissingHalf + " QRSTUVWX");
    // A region that says it goes on while its reads fail after 8 bytes: the dump ends there
    // instead of faulting.
    class EndsEarly final : public CodeMemory {
    public:
        bool Read(uint32_t address, void* destination, uint32_t count) const override
        {
            if (address < 0x00300000 || address + count > 0x00300008)
                return false;
            std::memset(destination, 0x20, count);
            return true;
        }
        MemoryRegion Region(uint32_t) const override
        {
            return {0x00300000, 0x10000, 0x00300000, true, true};
        }
    } endsEarly;
    EXPECT_EQ(GetStackDump(endsEarly, 0x00300000),
              "00300000  20 20 20 20 20 20 20 20 " + kMissingHalf + " ........");
    EXPECT_EQ(GetStackDump(endsEarly, 0x00300010), "");
}

} // namespace
} // namespace qor::testing
