// The engine's portable rules: patch encodings and the patch list's undo, the automatic
// buttons over the exception time ring, the texts of operating-system exceptions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "QorExceptionRequest.h"
#include "QorPatchList.h"
#include "QorSystemExceptionText.h"

namespace {

using qor::AutomaticEnd;
using qor::ExceptionTimeRing;

// Code memory of a few bytes at one address; writes may be refused.
class FakeCode final : public qor::PatchMemory {
public:
    FakeCode(uintptr_t base, std::vector<uint8_t> bytes) : base_(base), bytes_(std::move(bytes)) {}
    bool Read(uintptr_t address, void* destination, size_t count) const override
    {
        if (address < base_ || address + count > base_ + bytes_.size())
            return false;
        std::memcpy(destination, bytes_.data() + (address - base_), count);
        return true;
    }
    bool Write(uintptr_t address, const void* source, size_t count) override
    {
        if (refuseWrites || address < base_ || address + count > base_ + bytes_.size())
            return false;
        std::memcpy(bytes_.data() + (address - base_), source, count);
        return true;
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }
    bool refuseWrites = false;

private:
    uintptr_t base_;
    std::vector<uint8_t> bytes_;
};

TEST(PatchEncodingTest, RelativeBranchesCarryDestinationMinusNextInstruction)
{
    struct Case {
        uintptr_t at, destination;
        std::array<uint8_t, 4> displacement;
    };
    const Case cases[] = {
        {0x401000, 0x402000, {0xFB, 0x0F, 0x00, 0x00}}, // 0x402000 - 0x401005
        {0x402000, 0x401000, {0xFB, 0xEF, 0xFF, 0xFF}}, // backwards: -0x1005
        {0x401000, 0x401005, {0x00, 0x00, 0x00, 0x00}}, // to the next instruction
    };
    for (const Case& c : cases) {
        const auto jump = qor::RelativeJumpBytes(c.at, c.destination);
        const auto call = qor::RelativeCallBytes(c.at, c.destination);
        ASSERT_TRUE(jump && call);
        EXPECT_EQ((*jump)[0], 0xE9);
        EXPECT_EQ((*call)[0], 0xE8);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ((*jump)[i + 1], c.displacement[i]) << std::hex << c.at;
            EXPECT_EQ((*call)[i + 1], c.displacement[i]) << std::hex << c.at;
        }
    }
}

// Only a 64-bit address space holds distances a relative jump cannot reach.
#if UINTPTR_MAX > 0xFFFFFFFFu
TEST(PatchEncodingTest, DistancesBeyondTwoGigabytesAreRefusedInA64BitSpace)
{
    const uint64_t far = 0x180000000ull;
    EXPECT_FALSE(qor::RelativeJumpBytes(0x10000, static_cast<uintptr_t>(far)));
    EXPECT_FALSE(qor::RelativeDisplacement(static_cast<uintptr_t>(far), 0x10000));
    EXPECT_TRUE(qor::RelativeDisplacement(0x10000, uintptr_t{0x10000} + 0x7FFFFFFF));
}
#endif

TEST(PatchListTest, RecordsChangesAndUndoesOnlyWhatIsStillItsOwn)
{
    FakeCode code(0x1000, {0x55, 0x89, 0xE5, 0x83, 0xEC, 0x10, 0x90, 0x90, 0x90, 0x90});
    const std::vector<uint8_t> original = code.Bytes();
    qor::PatchList list;

    ASSERT_TRUE(qor::PatchJumpAt(list, code, 0x1000, 0x2000));
    EXPECT_EQ(code.Bytes()[0], 0xE9);
    // The same bytes a second time: nothing to change, nothing recorded.
    EXPECT_FALSE(qor::PatchJumpAt(list, code, 0x1000, 0x2000));
    ASSERT_TRUE(qor::PatchValue(list, code, 0x1006, 0x12345678));
    EXPECT_EQ(code.Bytes()[6], 0x78);
    EXPECT_EQ(code.Bytes()[9], 0x12);
    ASSERT_EQ(list.Entries().size(), 2u);
    EXPECT_EQ(list.Entries()[0].oldBytes, std::string("\x55\x89\xE5\x83\xEC", 5));

    // Somebody else rewrites the value patch after us: it stays as they left it.
    code.Bytes()[6] = 0xCC;
    EXPECT_TRUE(list.UndoAll(code));
    EXPECT_EQ(std::vector<uint8_t>(code.Bytes().begin(), code.Bytes().begin() + 6),
              std::vector<uint8_t>(original.begin(), original.begin() + 6));
    EXPECT_EQ(code.Bytes()[6], 0xCC);
    EXPECT_EQ(code.Bytes()[7], 0x56);
}

TEST(PatchListTest, UnreadableOrWriteProtectedCodeIsNotPatched)
{
    FakeCode code(0x1000, {0x90, 0x90, 0x90, 0x90, 0x90});
    qor::PatchList list;
    EXPECT_FALSE(qor::PatchCallAt(list, code, 0x1003, 0x2000)); // runs past the end
    code.refuseWrites = true;
    EXPECT_FALSE(qor::PatchCallAt(list, code, 0x1000, 0x2000));
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(code.Bytes(), std::vector<uint8_t>(5, 0x90));
}

TEST(PatchListTest, UndoReportsARefusedWriteAndGoesOn)
{
    FakeCode code(0x1000, std::vector<uint8_t>(10, 0x90));
    qor::PatchList list;
    ASSERT_TRUE(qor::PatchValue(list, code, 0x1000, 1));
    ASSERT_TRUE(qor::PatchValue(list, code, 0x1004, 2));
    code.refuseWrites = true;
    EXPECT_FALSE(list.UndoAll(code));
    code.refuseWrites = false;
    EXPECT_TRUE(list.UndoAll(code));
    EXPECT_EQ(code.Bytes(), std::vector<uint8_t>(10, 0x90));
}

ExceptionTimeRing RingOfTen(int64_t newest, int64_t spacing)
{
    ExceptionTimeRing ring{};
    for (size_t i = 0; i < ring.size(); ++i)
        ring[i] = newest - static_cast<int64_t>(i) * spacing;
    return ring;
}

TEST(ExceptionTimeRingTest, NewestComesFirstAndTheOldestFallsOut)
{
    ExceptionTimeRing ring = RingOfTen(100, 1); // 100, 99, ..., 91
    qor::EnterExceptionTime(ring, 200);
    EXPECT_EQ(ring[0], 200);
    EXPECT_EQ(ring[1], 100);
    EXPECT_EQ(ring[9], 92);
}

TEST(AutoButtonTest, RuleFollowsTheSettingAndTheTimeRing)
{
    const int64_t now = 13'000'000'000;
    struct Case {
        const char* name;
        uint32_t setting;
        ExceptionTimeRing ring;
        bool due;
    };
    ExceptionTimeRing nineSet = RingOfTen(now, 0);
    nineSet[9] = 0;
    ExceptionTimeRing oneInFuture = RingOfTen(now, 0);
    oneInFuture[0] = now + 50;
    const Case cases[] = {
        {"0 never", 0, RingOfTen(now, 0), false},
        {"1 always", 1, ExceptionTimeRing{}, true},
        {"all ten within 3 s", 3, RingOfTen(now, 0), true},
        {"oldest exactly 3 s ago", 3, RingOfTen(now - 3, 0), true},
        {"oldest 4 s ago", 3, RingOfTen(now - 4, 0), false},
        {"fewer than ten", 3, nineSet, false},
        {"a time later than now passes", 3, oneInFuture, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qor::AutoButtonDue(c.setting, c.ring, now), c.due) << c.name;
}

TEST(AutoButtonTest, CloseComesBeforeRestartAndContinueOnlyWhenContinuable)
{
    const int64_t now = 13'000'000'000;
    const ExceptionTimeRing burst = RingOfTen(now, 0);
    const ExceptionTimeRing spread = RingOfTen(now, 100);
    struct Case {
        bool continuable;
        uint32_t autoRestart, autoClose;
        const ExceptionTimeRing& ring;
        AutomaticEnd end;
    };
    const Case cases[] = {
        {true, 0, 0, spread, AutomaticEnd::Continue},
        {false, 0, 0, spread, AutomaticEnd::Close},
        {true, 1, 0, spread, AutomaticEnd::Restart},
        {false, 1, 0, spread, AutomaticEnd::Restart},
        {true, 1, 1, spread, AutomaticEnd::Close},
        // Restart on every exception unless ten came within 60 s: then close.
        {false, 1, 60, spread, AutomaticEnd::Restart},
        {false, 1, 60, burst, AutomaticEnd::Close},
        // AutoRestart 3, AutoClose 0: restart only after a burst of ten within 3 s.
        {false, 3, 0, burst, AutomaticEnd::Restart},
        {false, 3, 0, spread, AutomaticEnd::Close},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qor::ChooseAutomaticEnd(c.continuable, c.autoRestart, c.autoClose, c.ring, now),
                  c.end)
            << c.continuable << " " << c.autoRestart << " " << c.autoClose;
}

TEST(SystemExceptionTextTest, CodesMapToTheRunTimeTexts)
{
    const std::map<uint32_t, std::string> cases = {
        {0xC000008C, "Range check error"},
        {0xC000008D, "Floating point underflow"},
        {0xC0000093, "Floating point underflow"},
        {0xC000008E, "Floating point division by zero"},
        {0xC000008F, "Invalid floating point operation"},
        {0xC0000090, "Invalid floating point operation"},
        {0xC0000092, "Invalid floating point operation"},
        {0xC0000091, "Floating point overflow"},
        {0xC0000094, "Division by zero"},
        {0xC0000095, "Integer overflow"},
        {0xC0000096, "Privileged instruction"},
        {0xC00000FD, "Stack overflow"},
        {0xC000013A, "Control-C hit"},
        {0xE0001234, "External exception e0001234"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(qor::SystemExceptionText(code), text) << std::hex << code;
}

TEST(SystemExceptionTextTest, AccessViolationNamesModuleAddressesAndDirection)
{
    EXPECT_EQ(qor::AccessViolationText(0x401a2b, "C:\\Programs\\Brenvik.exe", false, 0),
              "Access violation at address $401a2b in module 'Brenvik.exe'. Read of address $0");
    EXPECT_EQ(qor::AccessViolationText(0x10, "host.exe", true, 0xdeadbeef),
              "Access violation at address $10 in module 'host.exe'. Write of address $deadbeef");
    EXPECT_EQ(qor::AccessViolationText(0x12345678, "", false, 0), "Access Violation");
}

} // namespace
