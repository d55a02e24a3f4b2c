#include "QorRestart.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "QorNamedObjects.h"
#include "QorPipeline.h"
#include "QorStrings.h"

namespace qor {

namespace {

std::string HandOverName(DWORD processId)
{
    return "qorExceptRestart" + FormatHex(processId, 1, '0');
}

} // namespace

void CloseProcessNow()
{
    TerminateProcess(GetCurrentProcess(), 1);
    ExitProcess(1); // not reached
}

void RestartProcess()
{
    std::string commandLine = GetCommandLineA();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                       nullptr, nullptr, &startup, &process)) {
        OpenSecurityAttributes security;
        const std::string name = HandOverName(process.dwProcessId);
        HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, &security.attributes, PAGE_READWRITE, 0,
                               sizeof(RestartHandOver), name.c_str());
        if (mapping) {
            if (auto* block = static_cast<RestartHandOver*>(
                    MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(RestartHandOver)))) {
                block->oldProcessId = GetCurrentProcessId();
                HANDLE duplicate = nullptr;
                DuplicateHandle(GetCurrentProcess(), mapping, process.hProcess, &duplicate, 0,
                                FALSE, DUPLICATE_SAME_ACCESS);
                block->mappingHandle = reinterpret_cast<uintptr_t>(duplicate);
                block->ring = EngineTimeRing();
                UnmapViewOfFile(block);
            }
            // The new process's duplicate keeps the block alive after this process ends.
        }
        ResumeThread(process.hThread);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    TerminateProcess(GetCurrentProcess(), 2);
    ExitProcess(2); // not reached
}

void TakeOverRestart()
{
    const std::string name = HandOverName(GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (!mapping)
        return;
    if (const auto* block = static_cast<const RestartHandOver*>(
            MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(RestartHandOver)))) {
        CloseHandle(reinterpret_cast<HANDLE>(block->mappingHandle));
        if (HANDLE old = OpenProcess(SYNCHRONIZE, FALSE, block->oldProcessId)) {
            WaitForSingleObject(old, INFINITE);
            CloseHandle(old);
        }
        EngineTimeRing() = block->ring;
        UnmapViewOfFile(block);
    }
    CloseHandle(mapping);
}

} // namespace qor
