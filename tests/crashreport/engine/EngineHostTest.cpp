// Each failure the engine intercepts, met by a child program (engine_host) that carries the
// engine: the report's kind, origin and continuable flag, and how the program ends.
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

struct HostRun {
    DWORD exitCode = 0;
    std::vector<std::string> log;
};

HostRun RunHost(const std::string& name)
{
    const std::string log = Folder() + "engine_host_" + name + ".log";
    DeleteFileA(log.c_str());
    std::string command = "\"" + Folder() + "engine_host.exe\" " + name + " \"" + log + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    HostRun run;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return run;
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.log = ReadLines(log);
    return run;
}

TEST(EngineHostTest, EachInterceptedFailureIsReportedWithItsOriginAndEndsAsDescribed)
{
    struct Case {
        const char* name;
        const char* report; // kind, origin, continuable and the start of the message; or none
        const char* thread; // the failing thread's exit, when one ended
        DWORD exitCode;     // 1 closed, 3 went on
    };
    const Case cases[] = {
        {"terminate", "0 2 0 Abnormal program termination", nullptr, 1},
        {"application", "0 5 1 in an event handler", nullptr, 3},
        {"application-hidden", "0 5 1 in an event handler", nullptr, 3},
        // A silent abort is never reported; when it cannot be continued the program closes.
        {"application-silent", nullptr, nullptr, 3},
        {"terminate-silent", nullptr, nullptr, 1},
        {"synchronized", "0 10 1 synchronized call failed", nullptr, 3},
        {"abort", "0 11 0 Runtime error", nullptr, 1},
        {"fault", "0 13 0 Access violation at address $", nullptr, 1},
        {"thread-fault", "0 13 1 Access violation at address $", "thread exit 4294967295", 3},
        {"hidden", "2 15 1 caught by the program", nullptr, 3},
        {"thread-frame", "0 16 1 escaped a thread routine", "thread exit 4294967295", 3},
        {"thread-execute", "0 17 1 escaped Execute", nullptr, 3},
        {"freeze", "1 1 1 ", nullptr, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HostRun run = RunHost(c.name);
        EXPECT_EQ(run.exitCode, c.exitCode);
        if (!c.report) {
            EXPECT_TRUE(run.log.empty()) << run.log.front();
            continue;
        }
        ASSERT_FALSE(run.log.empty());
        EXPECT_EQ(run.log[0].rfind(c.report, 0), 0u) << run.log[0];
        if (c.thread) {
            ASSERT_EQ(run.log.size(), 2u);
            EXPECT_EQ(run.log[1], c.thread);
        } else {
            EXPECT_EQ(run.log.size(), 1u) << run.log.back();
        }
    }
}

TEST(EngineHostTest, AFaultOnTheMainThreadNamesTheModuleAndTheWrittenAddress)
{
    const HostRun run = RunHost("fault");
    ASSERT_FALSE(run.log.empty());
    EXPECT_NE(run.log[0].find(" in module 'engine_host.exe'. Write of address $0"),
              std::string::npos)
        << run.log[0];
}

TEST(EngineHostTest, RestartsHandTheTimesOverUntilTheTenthFailureCloses)
{
    const std::string log = Folder() + "engine_host_restart.log";
    RunHost("restart"); // the first instance ends with 2 at once; its successors run on
    std::vector<std::string> starts;
    for (int i = 0; i < 3000 && starts.size() < 10; ++i) {
        Sleep(20);
        starts.clear();
        for (const std::string& line : ReadLines(log))
            if (line.rfind("start ", 0) == 0)
                starts.push_back(line);
    }
    ASSERT_EQ(starts.size(), 10u);
    std::vector<DWORD> ids;
    for (size_t i = 0; i < starts.size(); ++i) {
        std::istringstream fields(starts[i].substr(6));
        DWORD id = 0;
        size_t timesHandedOver = 0;
        fields >> id >> timesHandedOver;
        ids.push_back(id);
        EXPECT_EQ(timesHandedOver, i) << "instance " << i;
    }
    HANDLE last = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, ids.back());
    ASSERT_TRUE(last);
    ASSERT_EQ(WaitForSingleObject(last, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(last, &exitCode);
    CloseHandle(last);
    EXPECT_EQ(exitCode, 1u); // the tenth failure within a minute closes
    for (DWORD id : ids) {
        char name[64];
        std::snprintf(name, sizeof name, "qorExceptRestart$%lx", static_cast<unsigned long>(id));
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
        EXPECT_EQ(mapping, nullptr) << name;
        if (mapping)
            CloseHandle(mapping);
    }
}

} // namespace
