// The cost of a C++ throw and catch with the crash-report engine's run-time hooks (its throw
// record and catch bookkeeping, linked in with --wrap, engine started), against the reference
// of the same loop in a program built without the engine, run as a child in the same run.
// Prints both medians and their ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef EXCEPTION_BENCH_PLAIN
#include "QorLibrary.h"
#endif

namespace {

__attribute__((noinline)) void Thrower(int i)
{
    if (i >= 0)
        throw std::runtime_error("bench");
}

// Median nanoseconds per throw and catch over several rounds.
double MeasureThrow()
{
    constexpr int perRound = 20000;
    std::vector<double> rounds;
    for (int round = 0; round < 9; ++round) {
        const auto start = std::chrono::steady_clock::now();
        int caught = 0;
        for (int i = 0; i < perRound; ++i) {
            try {
                Thrower(i);
            } catch (const std::exception&) {
                ++caught;
            }
        }
        const auto end = std::chrono::steady_clock::now();
        if (caught != perRound)
            std::abort();
        rounds.push_back(std::chrono::duration<double, std::nano>(end - start).count() / perRound);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

#ifndef EXCEPTION_BENCH_PLAIN
// Runs the program without the engine beside this one and reads its figure.
double MeasureReference()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string command = path;
    command = "\"" + command.substr(0, command.find_last_of('\\') + 1) +
              "exception_throw_bench_plain.exe\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return 0;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writeEnd);
    std::string output;
    char buffer[256];
    DWORD read = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read)
        output.append(buffer, read);
    CloseHandle(readEnd);
    if (!started)
        return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return std::atof(output.c_str());
}
#endif

} // namespace

int main()
{
#ifdef EXCEPTION_BENCH_PLAIN
    std::printf("%.1f\n", MeasureThrow());
#else
    qor::StartLibrary();
    const double hooked = MeasureThrow();
    qor::StopLibrary();
    const double plain = MeasureReference();
    std::printf("throw and catch with the engine's hooks: %.1f ns\n", hooked);
    std::printf("throw and catch without the engine (reference): %.1f ns\n", plain);
    if (plain > 0)
        std::printf("ratio hooked / reference: %.2f\n", hooked / plain);
#endif
    return 0;
}
