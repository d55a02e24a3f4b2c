// Guarded reads of this process's memory under Wine: readable code, unmapped and guard pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "FunctionAnalyser.h"
#include "GuardedRead.h"
#include "LowPages.h"

namespace qor {
namespace {

void* AllocatePageBelow4GB(DWORD protect)
{
    return AllocatePagesBelow4GB(0x1000, protect);
}

TEST(GuardedRead, ReadsMappedMemoryAndRefusesTheRest)
{
    static const char text[] = "guarded";
    char copy[sizeof text] = {};
    EXPECT_TRUE(GuardedRead(reinterpret_cast<uintptr_t>(text), copy, sizeof text));
    EXPECT_STREQ(copy, text);
    EXPECT_FALSE(GuardedRead(0, copy, 1));
    void* reserved = VirtualAlloc(nullptr, 0x1000, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(reserved, nullptr);
    EXPECT_FALSE(GuardedRead(reinterpret_cast<uintptr_t>(reserved), copy, 1));
    VirtualFree(reserved, 0, MEM_RELEASE);
}

TEST(GuardedRead, GuardPageIsNotTouchedWhenAMapIsGiven)
{
    auto* page = static_cast<uint8_t*>(AllocatePageBelow4GB(PAGE_READWRITE | PAGE_GUARD));
    ASSERT_NE(page, nullptr);
    ProcessMemory memory;
    uint8_t b;
    EXPECT_FALSE(memory.Region(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(page))).readable);
    EXPECT_FALSE(GuardedRead(reinterpret_cast<uintptr_t>(page), &b, 1, &memory));
    // Still a guard page: the first real access raises the guard exception, which clears it.
    MEMORY_BASIC_INFORMATION info;
    ASSERT_EQ(VirtualQuery(page, &info, sizeof info), sizeof info);
    EXPECT_TRUE(info.Protect & PAGE_GUARD);
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST(GuardedRead, AnalysesCodeOfThisProcess)
{
    // Code copied into an executable page below 4 GB: push ebp; mov ebp, esp; pop ebp; ret.
    auto* code = static_cast<uint8_t*>(AllocatePageBelow4GB(PAGE_EXECUTE_READWRITE));
    ASSERT_NE(code, nullptr);
    const uint8_t bytes[] = {0x55, 0x89, 0xE5, 0x5D, 0xC3};
    std::memcpy(code, bytes, sizeof bytes);
    ProcessMemory memory;
    TFunctionInfo info =
        AnalyseCode(memory, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(code)), {});
    EXPECT_TRUE(info.valid);
    EXPECT_EQ(info.codeLength, 5u);
    VirtualFree(code, 0, MEM_RELEASE);
}

} // namespace
} // namespace qor
