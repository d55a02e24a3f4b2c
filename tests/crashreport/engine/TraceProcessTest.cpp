// A support tool's request for a report of another process: the test is the requester. It
// starts trace_target (which carries the engine), creates the named mapping, finds the export
// qorTraceProcess from the target's module base and the export's address in its file, runs it
// as a remote thread and reads the report.
#include "QorModuleImage.h"
#include "QorTools.h"
#include "QorTraceProcess.h"

#include <windows.h>

#include <psapi.h>

#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace qor;

namespace {

// The export's address in the file of the program, relative to its base.
uint32_t ExportRva(const std::string& file, const std::string& name)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    const ByteViewMemory memory(bytes.data(), bytes.size());
    const PeImageReader image(memory, 0, PeLayout::File);
    for (const PeExport& entry : image.Exports())
        if (entry.name == name)
            return entry.rva;
    return 0;
}

class TraceTarget {
public:
    TraceTarget()
    {
        char names[2][64];
        std::snprintf(names[0], sizeof names[0], "TraceTargetReady%lu", GetCurrentProcessId());
        std::snprintf(names[1], sizeof names[1], "TraceTargetQuit%lu", GetCurrentProcessId());
        ready_ = CreateEventA(nullptr, TRUE, FALSE, names[0]);
        quit_ = CreateEventA(nullptr, TRUE, FALSE, names[1]);
        std::string command = "\"" + Folder() + "trace_target.exe\" " + names[0] + " " + names[1];
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process_)) {
            const HANDLE both[2] = {ready_, process_.hProcess};
            started_ = WaitForMultipleObjects(2, both, FALSE, 30000) == WAIT_OBJECT_0;
        }
    }
    ~TraceTarget()
    {
        SetEvent(quit_);
        if (process_.hProcess) {
            WaitForSingleObject(process_.hProcess, 30000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    DWORD RequestThread() const { return requestThread_; }

    // Runs qorTraceProcess in the target with `size` as its parameter.
    bool Trace(int32_t size)
    {
        HMODULE main = nullptr;
        DWORD needed = 0;
        if (!EnumProcessModules(process_.hProcess, &main, sizeof main, &needed))
            return false;
        const uint32_t rva = ExportRva(Folder() + "trace_target.exe", "qorTraceProcess");
        if (rva == 0)
            return false;
        const auto start =
            reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<uintptr_t>(main) + rva);
        const HANDLE thread = CreateRemoteThread(
            process_.hProcess, nullptr, 0, start,
            reinterpret_cast<void*>(static_cast<intptr_t>(size)), 0, &requestThread_);
        if (!thread)
            return false;
        const bool ended = WaitForSingleObject(thread, 120000) == WAIT_OBJECT_0;
        CloseHandle(thread);
        return ended;
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE quit_ = nullptr;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
    DWORD requestThread_ = 0;
};

std::string ReadMapping(HANDLE mapping)
{
    const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    if (!view)
        return "<no view>";
    std::string text = view;
    UnmapViewOfFile(view);
    return text;
}

} // namespace

TEST(TraceProcess, AnotherProcessReadsTheReportOfEveryThreadButTheRequestOwn)
{
    constexpr DWORD mappingSize = 1 << 20;
    const HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              mappingSize, "qorTraceProcessMap");
    ASSERT_NE(mapping, nullptr);
    {
        TraceTarget target;
        ASSERT_TRUE(target.Started());
        ASSERT_TRUE(target.Trace(static_cast<int32_t>(mappingSize)));
        const std::string report = ReadMapping(mapping);
        char processId[32];
        std::snprintf(processId, sizeof processId, "$%lx", target.Id());
        EXPECT_NE(report.find("process id"), std::string::npos) << report;
        EXPECT_NE(report.find(processId), std::string::npos) << report;
        EXPECT_NE(report.find("\r\nmain thread ($"), std::string::npos) << report;
        EXPECT_NE(report.find("\r\nwaiting worker ($"), std::string::npos) << report;
        EXPECT_EQ(report.find("will be calculated soon"), std::string::npos) << report;
        // The request's own thread is named "-" while it runs: it has no section.
        char requestThread[32];
        std::snprintf(requestThread, sizeof requestThread, "$%lx:", target.RequestThread());
        EXPECT_EQ(report.find(requestThread), std::string::npos) << report;

        // A report longer than the size is cut to size - 1 characters and a zero.
        ASSERT_TRUE(target.Trace(16));
        const std::string cut = ReadMapping(mapping);
        EXPECT_EQ(cut.size(), 15u);
        EXPECT_EQ(cut, report.substr(0, 15));
    }
    CloseHandle(mapping);
}

TEST(TraceProcess, SizeZeroPutsTheReportOnTheClipboard)
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    TraceTarget target;
    ASSERT_TRUE(target.Started());
    ASSERT_TRUE(target.Trace(0));
    ASSERT_TRUE(OpenClipboard(nullptr));
    const HANDLE data = GetClipboardData(CF_TEXT);
    std::string text;
    if (data) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(text.rfind("date/time", 0), 0u) << text;
    EXPECT_NE(text.find("qorExcept version"), std::string::npos) << text;
}

namespace {

// The development environment's side: a main window of class "TAppBuilder" and the
// message-handler window of its thread, which receives the line.
struct IdeJump {
    WPARAM processId = 0;
    std::string line;
    int count = 0;
};
IdeJump received;

void ReceiveJump(HWND, UINT, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    received.processId = wParam;
    received.line = reinterpret_cast<const char*>(lParam);
    ++received.count;
    result = 1;
}

TEST(TraceProcess, JumpToIdeLineSendsTheLineToTheEnvironmentsHandlerWindow)
{
    received = {};
    JumpToIdeLine("nothing listens"); // no environment: nothing happens
    EXPECT_EQ(received.count, 0);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TAppBuilder";
    RegisterClassA(&windowClass);
    HWND environment = CreateWindowExA(0, "TAppBuilder", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       windowClass.hInstance, nullptr);
    ASSERT_NE(environment, nullptr);
    const UINT message = RegisterWindowMessageA("qorExceptIdeJumpCommand");
    ASSERT_EQ(AddMessageHandler(ReceiveJump, message, 0), message);

    JumpToIdeLine("Unit.pas line 42");
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(received.processId, GetCurrentProcessId());
    EXPECT_EQ(received.line, "Unit.pas line 42");

    RemoveMessageHandler(ReceiveJump, message, 0);
    DestroyWindow(environment);
}

} // namespace
