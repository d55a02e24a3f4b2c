// The engine in the real Brenvik.exe: its start object has started it before the program's
// window exists (the process's shared thread registry is there), an exception in the program
// reaches it, and it stops when the program closes. The exception is a fault of a thread the
// test starts in the program: without the engine the process would end with it; with the
// engine it is reported, the thread ends with the failure code and the program goes on.
#include "ProgramCopy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace program_copy;

bool RegistryOf(DWORD processId)
{
    char name[64];
    std::snprintf(name, sizeof name, "qorExceptThreadNameBuf$%lx",
                  static_cast<unsigned long>(processId));
    const HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (mapping)
        CloseHandle(mapping);
    return mapping != nullptr;
}

TEST(BrenvikEngine, AnExceptionInTheProgramReachesTheEngineAndTheProgramGoesOn)
{
    PrivateCopy copy{"engine"};
    ASSERT_EQ(copy.Missing(), "");
    Program program(copy);
    ASSERT_TRUE(program.Started());
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(RegistryOf(program.ProcessId()));

    const HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.ProcessId());
    ASSERT_NE(process, nullptr);
    // A thread that starts at address 0 faults at once, outside any handler of the program.
    const HANDLE thread = CreateRemoteThread(process, nullptr, 0, nullptr, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, ExitLimitMs), WAIT_OBJECT_0);
    DWORD threadCode = 0;
    GetExitCodeThread(thread, &threadCode);
    CloseHandle(thread);
    CloseHandle(process);
    // Reported and ended with the failure code by the engine's unhandled-exception filter.
    EXPECT_EQ(threadCode, 0xFFFFFFFFu);

    ASSERT_FALSE(program.Ended(0));
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(program.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                  &answer),
              0);
    EXPECT_TRUE(program.Close());
    EXPECT_FALSE(RegistryOf(program.ProcessId()));
}

} // namespace
