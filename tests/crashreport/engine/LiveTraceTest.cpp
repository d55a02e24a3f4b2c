// Live traces of this process's own stack: chains through frame-pointer functions and a
// translation unit without frame pointers, calls through the import table and through a function
// pointer, a throw deep in a chain, a fault at a known instruction, a call inside a catch block,
// and a thread with its creator. Every level records its return address, and the trace must show
// each level's call site (the instruction that ends at the recorded address), newest first.
// The tracer reads 32-bit addresses: the 64-bit build compiles these tests and says that they
// need 32-bit code.
#include <gtest/gtest.h>

#include <windows.h>

#include "GuardedRead.h"
#include "LiveTrace.h"
#include "StackTracerWin32.h"
#include "X86Decoder.h"

namespace qor::live {

std::vector<void*>& Recorded()
{
    static std::vector<void*> recorded;
    return recorded;
}

void Record(void* returnAddress)
{
    Recorded().push_back(returnAddress);
}

namespace {

constexpr bool k32BitCode = sizeof(void*) == 4;
#define NEEDS_32_BIT_CODE() \
    if (!k32BitCode)        \
    GTEST_SKIP() << "needs 32-bit code: the tracer reads a 32-bit process"

uint32_t Address(const void* p)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

TraceStackResults g_trace;

// The recorded levels appear newest first, each at a call that ends at its return address.
void ExpectRecordedLevels(const TraceStackResults& trace)
{
    const std::vector<void*>& recorded = Recorded();
    ASSERT_FALSE(recorded.empty());
    size_t item = 0;
    for (size_t k = recorded.size(); k-- > 0;) {
        const uint32_t returnAddress = Address(recorded[k]);
        while (item < trace.items.size() && !(trace.items[item].address < returnAddress &&
                                              trace.items[item].address + 7 >= returnAddress))
            ++item;
        ASSERT_LT(item, trace.items.size())
            << "no frame for the level returning to " << std::hex << returnAddress << "\n"
            << trace.text;
        ++item;
    }
}

__attribute__((noinline)) int TraceHere(int depth)
{
    Record(__builtin_return_address(0));
    TraceStack({}, g_trace);
    return depth;
}

__attribute__((noinline)) int PointerLevel(int depth)
{
    Record(__builtin_return_address(0));
    volatile Level next = TraceHere;
    return next(depth + 1) + 1;
}

__attribute__((noinline)) int FramePointerLevel(int depth)
{
    Record(__builtin_return_address(0));
    return FramelessLevel(depth + 1, PointerLevel) + 1;
}

TEST(LiveTrace, FramePointerAndFramelessLevelsAndACallThroughAPointer)
{
    NEEDS_32_BIT_CODE();
    Recorded().clear();
    FramePointerLevel(0);
    ExpectRecordedLevels(g_trace);
}

extern "C" __declspec(dllimport) int LiveTraceCallBack(Level next, int depth);

__attribute__((noinline)) int ImportLevel(int depth)
{
    Record(__builtin_return_address(0));
    // Through the import table into a library without debug information, which calls back.
    return LiveTraceCallBack(TraceHere, depth + 1) + 1;
}

TEST(LiveTrace, ThroughTheImportTableIntoALibraryWithoutDebugInformation)
{
    NEEDS_32_BIT_CODE();
    Recorded().clear();
    ImportLevel(0);
    ExpectRecordedLevels(g_trace);
}

TDAPreStackList g_prepared;
uint32_t g_throwAddress = 0;

__attribute__((noinline)) int ThrowingLevel(int)
{
    Record(__builtin_return_address(0));
    // What the throw hook does: the candidates at the moment of the throw.
    g_throwAddress = Address(__builtin_return_address(0));
    CaptureStackCandidates(Address(__builtin_frame_address(0)), 0, 0, 0, false, g_prepared);
    throw 7;
}

TEST(LiveTrace, APreparedListFromAThrowDeepInAChain)
{
    NEEDS_32_BIT_CODE();
    Recorded().clear();
    try {
        FramePointerLevel(0); // records two levels, then TraceHere
    } catch (...) {
    }
    Recorded().clear();
    try {
        FramelessLevel(0, ThrowingLevel);
    } catch (int) {
        TraceStackArguments a;
        a.isException = true;
        a.currentAddress = g_throwAddress;
        a.preparedList = &g_prepared;
        TraceStackResults r;
        TraceStack(a, r);
        ExpectRecordedLevels(r);
    }
}

volatile int* volatile g_nowhere = nullptr;
uint32_t g_faultAddress = 0;
TraceStackResults g_faultTrace;

__attribute__((noinline)) int FaultingLevel(int)
{
    Record(__builtin_return_address(0));
    *g_nowhere = 1; // the known instruction
    return 0;
}

LONG CALLBACK FaultFilter(EXCEPTION_POINTERS* pointers)
{
    if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_ACCESS_VIOLATION)
        return EXCEPTION_CONTINUE_SEARCH;
#if defined(__i386__)
    CONTEXT& context = *pointers->ContextRecord;
    g_faultAddress = Address(pointers->ExceptionRecord->ExceptionAddress);
    TraceStackArguments a;
    a.isException = true;
    a.outsideException = true;
    a.currentAddress = g_faultAddress;
    a.framePointer = context.Ebp;
    a.stackBottom = context.Esp;
    ProcessStackTracer().TraceStack(
        [&] {
            TraceStackArguments full = a;
            full.stackTop = CurrentStackBase();
            return full;
        }(),
        g_faultTrace);
    // Go on after the faulting instruction.
    ProcessMemory memory;
    context.Eip = DecodeInstruction(memory, context.Eip).next;
    return EXCEPTION_CONTINUE_EXECUTION;
#else
    (void)pointers;
    return EXCEPTION_CONTINUE_SEARCH;
#endif
}

TEST(LiveTrace, AFaultAtAKnownInstructionWithTheContextFromTheFilter)
{
    NEEDS_32_BIT_CODE();
    Recorded().clear();
    void* filter = AddVectoredExceptionHandler(1, FaultFilter);
    FramelessLevel(0, FaultingLevel);
    RemoveVectoredExceptionHandler(filter);
    ASSERT_FALSE(g_faultTrace.items.empty());
    EXPECT_EQ(g_faultTrace.items[0].address, g_faultAddress) << g_faultTrace.text;
    ExpectRecordedLevels(g_faultTrace);
}

TEST(LiveTrace, ACallMadeInsideACatchBlock)
{
    NEEDS_32_BIT_CODE();
    try {
        throw 1;
    } catch (int) {
        Recorded().clear();
        FramePointerLevel(0);
    }
    ExpectRecordedLevels(g_trace);
}

uint32_t g_creator = 0;

DWORD WINAPI TracedThread(void*)
{
    Recorded().clear();
    TraceStackArguments a;
    a.creatorAddress = g_creator;
    Record(__builtin_return_address(0));
    TraceStack(a, g_trace);
    return 0;
}

__attribute__((noinline)) HANDLE CreateTracedThread()
{
    g_creator = Address(__builtin_return_address(0));
    return CreateThread(nullptr, 0, TracedThread, nullptr, 0, nullptr);
}

TEST(LiveTrace, AThreadWithItsCreator)
{
    NEEDS_32_BIT_CODE();
    HANDLE thread = CreateTracedThread();
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ASSERT_FALSE(g_trace.items.empty()) << g_trace.text;
    const TStackItem& oldest = g_trace.items.back();
    EXPECT_LT(oldest.address, g_creator) << g_trace.text;
    EXPECT_GE(oldest.address + 7, g_creator) << g_trace.text;
}

} // namespace
} // namespace qor::live
