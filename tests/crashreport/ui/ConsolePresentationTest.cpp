// Console and CGI presentation byte for byte: a child console program presents an exception
// and this test reads its standard output through a pipe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs the child with `argument`; `cgi` sets GATEWAY_INTERFACE for it; `closedOutput` gives it
// no standard output at all. Returns its output and its exit code.
std::pair<std::string, DWORD> RunChild(const std::string& argument, bool cgi, bool closedOutput)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = closedOutput ? nullptr : writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    SetEnvironmentVariableA("GATEWAY_INTERFACE", cgi ? "CGI/1.1" : nullptr);
    std::string command = "present_console_child.exe " + argument;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    SetEnvironmentVariableA("GATEWAY_INTERFACE", nullptr);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            output.append(buffer, got);
        WaitForSingleObject(process.hProcess, 30000);
    }
    DWORD code = 99;
    if (started) {
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(readEnd);
    return {output, code};
}

TEST(ConsolePresentation, MessageLineAndReportOnStandardOutput)
{
    EXPECT_EQ(RunChild("", false, false).first, "An error occurred: Access violation.\r\n");
    EXPECT_EQ(RunChild("report", false, false).first,
              "An error occurred: Access violation.\r\n\r\n"
              "date/time          : 2026-12-11\r\n"
              "exception class    : EAccessViolation\r\n"
              "exception message  : <Access violation.>\r\n\r\n");
}

TEST(ConsolePresentation, CgiPageWithItsContentType)
{
    const std::string output = RunChild("", true, false).first;
    const std::string start = "Content-Type: text/html\r\n\r\n<html><head>";
    const std::string end = "</body></html>\r\n";
    ASSERT_GT(output.size(), start.size() + end.size());
    EXPECT_EQ(output.substr(0, start.size()), start);
    EXPECT_EQ(output.substr(output.size() - end.size()), end);
    EXPECT_NE(output.find("An error occurred: &lt;Access violation.&gt;</p>"), std::string::npos);
}

TEST(ConsolePresentation, NoStandardOutputIsNoFailure)
{
    EXPECT_EQ(RunChild("report", false, true).second, 0u);
}

} // namespace
