// Stack candidates worked out from a copy of a stack, after the stack itself has changed: the
// throw hook copies the thrower's stack and the report reads the copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "LowPages.h"
#include "StackTracerWin32.h"

namespace qor {
namespace {

uint32_t Low(const void* pointer)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// A code page with a near call (E8 rel32) ending at +0x15, an indirect call (FF D0, call eax)
// ending at +0x42 and no-operations in front of +0x88; and a stack page above it.
struct Fixture {
    uint8_t* code = nullptr;
    uint32_t* stack = nullptr;
    uint32_t nearCall = 0, indirectCall = 0, noCall = 0;

    Fixture()
    {
        auto* pages = static_cast<uint8_t*>(AllocatePagesBelow4GB(0x2000, PAGE_EXECUTE_READWRITE));
        if (!pages)
            return;
        code = pages;
        std::memset(code, 0, 0x1000);
        code[0x10] = 0xE8;
        code[0x40] = 0xFF;
        code[0x41] = 0xD0;
        std::memset(code + 0x80, 0x90, 8);
        nearCall = Low(code) + 0x15;
        indirectCall = Low(code) + 0x42;
        noCall = Low(code) + 0x88;
        stack = reinterpret_cast<uint32_t*>(pages + 0x1000);
    }
    ~Fixture()
    {
        if (code)
            VirtualFree(code, 0, MEM_RELEASE);
    }
};

std::vector<std::pair<int, uint32_t>> Entries(const TDAPreStackList& list)
{
    std::vector<std::pair<int, uint32_t>> entries;
    for (const TDAPreStackItem& item : list)
        entries.emplace_back(item.frameChain, item.address);
    return entries;
}

TEST(StackCopy, TheCandidatesComeFromTheCopyAndNotFromTheStackAsItIsNow)
{
    Fixture f;
    ASSERT_NE(f.code, nullptr) << "no pages below 4 GB";
    // Slots from the bottom: noise, an address after no call, a frame (saved frame pointer,
    // return address), an address after a call off the chain, the outer frame (end of chain,
    // return address), noise.
    uint32_t* s = f.stack;
    const uint32_t words[] = {7, f.noCall,   Low(s + 5), f.nearCall, f.indirectCall,
                              0, f.nearCall, 0x104};
    std::memcpy(s, words, sizeof words);
    const uint32_t bottom = Low(s), top = Low(s + 8), framePointer = Low(s + 2);
    const std::vector<uint8_t> copy(reinterpret_cast<const uint8_t*>(s),
                                    reinterpret_cast<const uint8_t*>(s + 8));
    // From the top down: the frame chain's return addresses are marked, the slot below each
    // (its saved frame pointer) is passed over; entry 0 holds the number.
    const std::vector<std::pair<int, uint32_t>> expected = {
        {0, 3}, {1, f.nearCall}, {0, f.indirectCall}, {1, f.nearCall}};

    TDAPreStackList live;
    ASSERT_EQ(CaptureStackCandidates(framePointer, top, bottom, 0, false, live), 3u);
    EXPECT_EQ(Entries(live), expected);

    // The stack is reused: the call return addresses and the chain are gone from it.
    std::memset(s, 0, sizeof words);
    TDAPreStackList fromCopy;
    ASSERT_EQ(CandidatesOfStackCopy(framePointer, copy.data(), bottom, top, fromCopy), 3u);
    EXPECT_EQ(Entries(fromCopy), expected);
    TDAPreStackList now;
    EXPECT_EQ(CaptureStackCandidates(framePointer, top, bottom, 0, false, now), 0u);

    // A copy of the lower part only: the scan ends where the copy ends.
    TDAPreStackList lower;
    ASSERT_EQ(CandidatesOfStackCopy(framePointer, copy.data(), bottom, Low(s + 5), lower), 2u);
    EXPECT_EQ(Entries(lower), (std::vector<std::pair<int, uint32_t>>{
                                  {0, 2}, {0, f.indirectCall}, {1, f.nearCall}}));
}

} // namespace
} // namespace qor
