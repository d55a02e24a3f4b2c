// The report object under Wine: the bug-report text of a test exception (header lines, their
// order and colon column, the checksum and version lines, the sections and their order, the
// plugin sections against the system's own lists), the completion and its notifications, the
// exception's bookkeeping and the actions through the registered callbacks.
#include "QorHandlers.h"
#include "QorPipeline.h"
#include "QorPluginSections.h"
#include "QorReport.h"
#include "QorReportActions.h"
#include "QorReportPlugins.h"

#include <windows.h>

#include <tlhelp32.h>

#include "TextLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace qor;

namespace {

struct ReportParts {
    std::vector<std::string> headerLines;
    std::vector<std::string> sectionNames;
};

// The report's header lines (up to the first blank line) and the names of its sections (the
// line after each blank line).
ReportParts Split(const std::string& report)
{
    ReportParts parts;
    const std::vector<std::string> lines = CrLfLines(report);
    size_t i = 0;
    for (; i < lines.size() && !lines[i].empty(); ++i)
        parts.headerLines.push_back(lines[i]);
    for (; i < lines.size(); ++i)
        if (lines[i].empty() && i + 1 < lines.size())
            parts.sectionNames.push_back(lines[i + 1]);
    return parts;
}

std::string NameOf(const std::string& headerLine)
{
    std::string name = headerLine.substr(0, headerLine.find(" : "));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

std::string ValueOf(const std::vector<std::string>& headerLines, const std::string& name)
{
    for (const std::string& line : headerLines)
        if (NameOf(line) == name)
            return line.substr(line.find(" : ") + 3);
    return "<missing>";
}

ExceptionObjectArguments ThrownArguments(const std::exception_ptr& object)
{
    ExceptionObjectArguments arguments;
    arguments.object = object;
    try {
        std::rethrow_exception(object);
    } catch (const std::exception& error) {
        arguments.message = error.what();
    }
    return arguments;
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProcessMainThreadId(GetCurrentThreadId());
        StartReportPlugins();
    }
    void TearDown() override
    {
        StopReportPlugins();
        SetReportActions({});
    }
};

} // namespace

TEST_F(ReportTest, AReportHasItsHeaderLinesInOrderWithOneColonColumnAndItsSectionsInOrder)
{
    CONTEXT context{};
    RtlCaptureContext(&context);
    ExceptionObjectArguments arguments = ThrownArguments(
        std::make_exception_ptr(std::runtime_error("the disk is full\r\nsecond line!")));
    arguments.context = &context;
#ifdef _WIN64
    arguments.address = context.Rip;
#else
    arguments.address = context.Eip;
#endif
    const auto exception = CreateExceptionObject(arguments);
    const std::string report = exception->ReportText(true);
    const ReportParts parts = Split(report);

    // Fixed names in their fixed order; lines with an empty value are left out.
    const std::vector<std::string> order = {
        "date/time",        "computer name",     "wts client name", "user name",
        "registered owner", "operating system",  "system language", "system up time",
        "program up time",  "processor",         "processors",      "physical memory",
        "system resources", "free disk space",   "display mode",    "process id",
        "allocated memory", "command line",      "executable",      "current module",
        "exec. date/time",  "module date/time",  "version",         "bde version",
        "compiled with",    "qorExcept version", "callstack crc",   "exception number",
        "exception class",  "exception message"};
    std::vector<size_t> positions;
    for (const std::string& line : parts.headerLines) {
        const auto found = std::find(order.begin(), order.end(), NameOf(line));
        ASSERT_NE(found, order.end()) << line;
        positions.push_back(static_cast<size_t>(found - order.begin()));
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end())) << report;
    for (const char* name : {"date/time", "computer name", "operating system", "process id",
                             "executable", "compiled with", "callstack crc", "exception number"})
        EXPECT_NE(ValueOf(parts.headerLines, name), "<missing>") << name;

    // One colon column, one blank after the longest name.
    size_t longest = 0;
    for (const std::string& line : parts.headerLines)
        longest = std::max(longest, NameOf(line).size());
    for (const std::string& line : parts.headerLines)
        EXPECT_EQ(line.find(" : "), longest) << line;

    EXPECT_EQ(ValueOf(parts.headerLines, "qorExcept version"), "3.0l");
    EXPECT_TRUE(std::regex_match(ValueOf(parts.headerLines, "callstack crc"),
                                 std::regex(R"(^\$[0-9a-f]{8}(, \$[0-9a-f]{8}){2}$)")))
        << ValueOf(parts.headerLines, "callstack crc");
    char processId[16];
    std::snprintf(processId, sizeof processId, "$%lx", GetCurrentProcessId());
    EXPECT_EQ(ValueOf(parts.headerLines, "process id"), processId);
    EXPECT_EQ(ValueOf(parts.headerLines, "exception class"), "std::runtime_error");
    EXPECT_EQ(ValueOf(parts.headerLines, "exception message"), "the disk is full second line.");

    // Thread sections first, then the plugins in the setting's order, then the context's.
    ASSERT_GE(parts.sectionNames.size(), 5u) << report;
    char ownThread[32];
    std::snprintf(ownThread, sizeof ownThread, "thread $%lx:", GetCurrentThreadId());
    EXPECT_EQ(parts.sectionNames[0].rfind(ownThread, 0), 0u) << parts.sectionNames[0];
    std::vector<std::string> others;
    for (const std::string& name : parts.sectionNames)
        if (name.rfind("thread $", 0) != 0)
            others.push_back(name);
    std::vector<std::string> expected = {
        "modules:", "processes:", "hardware:", "cpu registers:", "stack dump:"};
    // A plugin whose text is empty leaves its section out (Wine may list no hardware).
    if (std::find(others.begin(), others.end(), "hardware:") == others.end())
        expected.erase(expected.begin() + 2);
    EXPECT_EQ(others, expected);
    for (size_t i = 0; i + others.size() < parts.sectionNames.size(); ++i)
        EXPECT_EQ(parts.sectionNames[i].rfind("thread $", 0), 0u) << parts.sectionNames[i];
    EXPECT_EQ(report.find("will be calculated soon"), std::string::npos) << report;
    EXPECT_TRUE(exception->ReportComplete());
}

TEST_F(ReportTest, CpuRegistersAndStackDumpComeFromTheGivenContext)
{
    CONTEXT context{};
    RtlCaptureContext(&context);
#ifdef _WIN64
    context.Rax = 0x1111aaaa;
    context.Rbp = 0x2222bbbb;
    const uintptr_t stack = context.Rsp;
#else
    context.Eax = 0x1111aaaa;
    context.Ebp = 0x2222bbbb;
    const uintptr_t stack = context.Esp;
#endif
    ExceptionObjectArguments arguments = ThrownArguments(std::make_exception_ptr(std::bad_alloc()));
    arguments.context = &context;
    const auto exception = CreateExceptionObject(arguments);
    const IQEFields sections = exception->ReportSections();
    exception->ReportText(true);
    const std::vector<std::string> registers = CrLfLines(sections->Value("cpu registers"));
    ASSERT_EQ(registers.size(), 9u);
    EXPECT_EQ(registers[0], "eax = 1111aaaa");
    EXPECT_EQ(registers[8], "ebp = 2222bbbb");
    const std::string dump = sections->Value("stack dump");
    char firstRow[16];
    std::snprintf(firstRow, sizeof firstRow, "%08x", static_cast<unsigned>(stack));
    EXPECT_EQ(dump.rfind(firstRow, 0), 0u) << dump;
}

struct ListingCall {
    int calls = 0;
    uint32_t routineStart = 0, location = 0, maxLines = 0;
    bool delimiters = true;
} listingCall;

std::string FakeListing(uint32_t routineStart, uint32_t location, bool delimiters,
                        uint32_t maxLines)
{
    listingCall = {listingCall.calls + 1, routineStart, location, maxLines, delimiters};
    return "listing of the routine";
}

// The "disassembling" section exists only with a listing routine set (ShowDisAsm is on by
// default); the routine gets the faulting routine and the FormatDisAsm and LimitDisAsm values
// (this program has no settings resource: the defaults, off and 5). Where the trace finds no
// routine the section is left out.
TEST_F(ReportTest, TheDisassemblyIsListedByTheLinkedRoutine)
{
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "linked" : "not linked");
        listingCall = {};
        SetDisassemblyRoutine(linked ? FakeListing : nullptr);
        CONTEXT context{};
        RtlCaptureContext(&context);
        ExceptionObjectArguments arguments =
            ThrownArguments(std::make_exception_ptr(std::logic_error("x")));
        arguments.context = &context;
        const auto exception = CreateExceptionObject(arguments);
        const std::string report = exception->ReportText(true);
        const std::vector<std::string> names = Split(report).sectionNames;
        const bool present = std::find(names.begin(), names.end(), "disassembling") != names.end();
        if (!linked) {
            EXPECT_EQ(listingCall.calls, 0);
            EXPECT_FALSE(present) << report;
            continue;
        }
        EXPECT_LE(listingCall.calls, 1);
        EXPECT_EQ(present, listingCall.calls == 1) << report;
        if (listingCall.calls == 1) {
            EXPECT_NE(listingCall.routineStart, 0u);
            EXPECT_FALSE(listingCall.delimiters);
            EXPECT_EQ(listingCall.maxLines, 5u);
            EXPECT_EQ(exception->ReportSections()->Value("disassembling"),
                      "listing of the routine");
        }
    }
    SetDisassemblyRoutine(nullptr);
}

TEST_F(ReportTest, PluginSectionsAgreeWithTheSystemsOwnLists)
{
    const auto exception =
        CreateExceptionObject(ThrownArguments(std::make_exception_ptr(std::logic_error("x"))));
    const IQEFields sections = exception->ReportSections();
    exception->ReportText(true);

    std::set<uint64_t> modules;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        modules.insert(reinterpret_cast<uintptr_t>(entry.modBaseAddr));
    CloseHandle(snapshot);
    std::set<uint64_t> listed;
    for (const std::string& line : CrLfLines(sections->Value("modules")))
        listed.insert(std::stoull(line.substr(0, line.find(' ')), nullptr, 16));
    EXPECT_EQ(listed, modules);

    // The test's own process is listed under its id with its file name.
    char path[MAX_PATH];
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    const std::string name = file.substr(file.find_last_of('\\') + 1);
    bool found = false;
    for (const std::string& line : CrLfLines(sections->Value("processes")))
        if (std::stoul(line.substr(0, line.find(' ')), nullptr, 16) == GetCurrentProcessId())
            found = line.find(name) != std::string::npos;
    EXPECT_TRUE(found) << sections->Value("processes");
}

TEST_F(ReportTest, TheMainThreadSectionIsTracedEvenWhenOtherThreadsAreNotListed)
{
    // An exception on another thread with ListThreads off: the sections are that thread's and
    // the main thread's, and neither keeps its placeholder once the report is complete.
    std::shared_ptr<TIQEException> exception;
    std::thread worker([&] {
        ExceptionObjectArguments arguments =
            ThrownArguments(std::make_exception_ptr(std::runtime_error("in a worker")));
        exception = CreateExceptionObject(arguments);
        exception->SetBoolProp("ListThreads", false);
        exception->ReportText(true);
    });
    worker.join();
    const std::string report = exception->ReportText(true);
    const ReportParts parts = Split(report);
    char mainThread[32];
    std::snprintf(mainThread, sizeof mainThread, "thread $%lx:", GetCurrentThreadId());
    EXPECT_NE(std::find_if(parts.sectionNames.begin(), parts.sectionNames.end(),
                           [&](const std::string& n) { return n.rfind(mainThread, 0) == 0; }),
              parts.sectionNames.end())
        << report;
    EXPECT_EQ(report.find("will be calculated soon"), std::string::npos) << report;
}

TEST_F(ReportTest, LinesAddedLaterStandJustBeforeTheChecksumLine)
{
    const auto exception =
        CreateExceptionObject(ThrownArguments(std::make_exception_ptr(std::runtime_error("x"))));
    const IQEFields header = exception->ReportHeader();
    header->SetValue("added by a handler", "yes");
    header->SetValue("added second", "too");
    const int32_t crc = header->IndexOfName("callstack crc");
    EXPECT_EQ(header->ItemName(crc - 2), "added by a handler");
    EXPECT_EQ(header->ItemName(crc - 1), "added second");
}

TEST_F(ReportTest, ExceptionNumbersCountUpAndAMessageEqualToTheClassIsLeftOut)
{
    ExceptionObjectArguments arguments =
        ThrownArguments(std::make_exception_ptr(std::runtime_error("std::runtime_error")));
    const auto first = CreateExceptionObject(arguments);
    const auto second = CreateExceptionObject(arguments);
    const IQEFields firstHeader = first->ReportHeader();
    const IQEFields secondHeader = second->ReportHeader();
    EXPECT_EQ(std::stoull(secondHeader->Value("exception number")),
              std::stoull(firstHeader->Value("exception number")) + 1);
    // "std::runtime_error." is not the class name: a sentence ends with a dot.
    EXPECT_EQ(firstHeader->Value("exception message"), "std::runtime_error.");

    ExceptionObjectArguments frozen;
    frozen.kind = reportFrozen;
    const auto freeze = CreateExceptionObject(frozen);
    const IQEFields freezeHeader = freeze->ReportHeader();
    EXPECT_EQ(freezeHeader->IndexOfName("exception class"), -1);
    EXPECT_EQ(freezeHeader->Value("exception message"), "The application seems to be frozen.");
}

TEST_F(ReportTest, ListenersHearOfEveryChangeOnceAndTheLastCallSaysComplete)
{
    // Built at once but completed only when the text is asked for, so that the listener comes
    // between the two.
    ExceptionObjectArguments arguments =
        ThrownArguments(std::make_exception_ptr(std::runtime_error("x")));
    arguments.dontCompleteYet = true;
    const auto exception = CreateExceptionObject(arguments);
    exception->SetBoolProp("ListThreads", false);
    exception->ReportSections();
    struct Call {
        bool complete;
        std::string text;
    };
    std::vector<Call> calls;
    const int key = 0;
    auto listener = [&calls](bool complete, const std::string& text, IQEException&) {
        calls.push_back({complete, text});
    };
    exception->AddReportListener(&key, listener, false);
    ASSERT_EQ(calls.size(), 1u); // a new listener is called at once
    EXPECT_FALSE(calls[0].complete);
    exception->AddReportListener(&key, listener, true);
    EXPECT_EQ(calls.size(), 1u); // the same key again only changes the critical flag
    EXPECT_TRUE(exception->HasCriticalListener());

    const std::string report = exception->ReportText(true);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_TRUE(calls.back().complete);
    EXPECT_EQ(calls.back().text, report);
    for (size_t i = 0; i + 1 < calls.size(); ++i)
        EXPECT_FALSE(calls[i].complete) << i;

    // A batch of changes is one notification, and none when nothing changed.
    const size_t before = calls.size();
    const IQEFields header = exception->ReportHeader();
    exception->HoldChanges();
    header->SetValue("one", "1");
    header->SetValue("two", "2");
    exception->ReleaseChanges();
    EXPECT_EQ(calls.size(), before + 1);
    exception->HoldChanges();
    header->SetValue("one", "1");
    exception->ReleaseChanges();
    EXPECT_EQ(calls.size(), before + 1);

    // A listener added to a complete report hears the full text at once.
    std::vector<Call> late;
    const int lateKey = 0;
    exception->AddReportListener(
        &lateKey,
        [&late](bool complete, const std::string& text, IQEException&) {
            late.push_back({complete, text});
        },
        false);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_TRUE(late[0].complete);
    EXPECT_NE(late[0].text.find("one"), std::string::npos);

    exception->RemoveReportListener(&key);
    exception->RemoveReportListener(&lateKey);
    EXPECT_FALSE(exception->HasCriticalListener());
    header->SetValue("three", "3");
    EXPECT_EQ(calls.size(), before + 1);
}

TEST_F(ReportTest, BookkeepingRules)
{
    ExceptionObjectArguments arguments;
    arguments.continuable = false;
    const auto exception = CreateExceptionObject(arguments);
    exception->SetContinuable(true);
    EXPECT_FALSE(exception->Continuable());

    const auto continuable = CreateExceptionObject({});
    continuable->SetContinuable(false);
    EXPECT_FALSE(continuable->Continuable());
    continuable->SetContinuable(true);
    EXPECT_TRUE(continuable->Continuable());

    for (int index : {-1, 0, 3})
        EXPECT_EQ(continuable->StackCrc(index), 0u) << index;

    continuable->SetStage(3);
    EXPECT_EQ(continuable->Stage(), 3);
    continuable->ReportText(true);
    continuable->SetStage(3);
    EXPECT_EQ(continuable->Stage(), 4);

    std::atomic<int> wins{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            for (int j = 0; j < 100; ++j)
                if (continuable->ClaimAutoSave())
                    ++wins;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wins, 1);
    EXPECT_TRUE(continuable->ClaimCompletionCall());
    EXPECT_FALSE(continuable->ClaimCompletionCall());
}

namespace {

std::vector<uint8_t> actionsSeen;
bool takeActions = false;

void RecordAction(uint8_t action, IQEException&, bool& handled)
{
    actionsSeen.push_back(action);
    handled = takeActions;
}

LRESULT CALLBACK CountingWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 779)
        SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) + 1);
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

TEST_F(ReportTest, ActionsCallTheRegisteredCallbacksUnlessAHandlerTakesThem)
{
    std::vector<std::string> called;
    std::string delivered;
    bool background = false;
    ReportActions table;
    table.deliver = [&](IQEException&, const std::string& report, const ReportScreenshot&,
                        uintptr_t window, uintptr_t* sendThread, bool inBackground) {
        called.push_back("deliver");
        delivered = report;
        background = inBackground;
        EXPECT_EQ(window, 0x1234u);
        EXPECT_NE(sendThread, nullptr);
    };
    table.writeFile = [&](IQEException&, const std::string&, uintptr_t) {
        called.push_back("save");
    };
    table.print = [&](const std::string&, uintptr_t) { called.push_back("print"); };
    table.present = [&](IQEException&) { called.push_back("present"); };
    SetReportActions(table);
    RegisterActionHandler(RecordAction, syncNone);
    actionsSeen.clear();

    const auto exception =
        CreateExceptionObject(ThrownArguments(std::make_exception_ptr(std::runtime_error("x"))));
    exception->SetBoolProp("ListThreads", false);
    takeActions = false;
    exception->PerformSend(0x1234);
    exception->PerformSave(0x1234);
    exception->PerformPrint(0x1234);
    exception->Present();
    EXPECT_EQ(called, (std::vector<std::string>{"deliver", "save", "print", "present"}));
    EXPECT_EQ(actionsSeen, (std::vector<uint8_t>{actionSend, actionSave, actionPrint}));
    EXPECT_NE(delivered.find("callstack crc"), std::string::npos);
    EXPECT_EQ(delivered.find("will be calculated soon"), std::string::npos);
    EXPECT_TRUE(background); // SendInBackgr's default

    called.clear();
    takeActions = true;
    exception->PerformSend(0x1234);
    exception->PerformSave(0x1234);
    exception->PerformPrint(0x1234);
    EXPECT_TRUE(called.empty());

    // Continue closes the exception window even when a handler took the action.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingWindow;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ReportTestWindow";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowA("ReportTestWindow", "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                      windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    exception->PerformContinue(reinterpret_cast<uintptr_t>(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1);
    // Restart and close do nothing further once a handler took them.
    exception->PerformRestart(reinterpret_cast<uintptr_t>(window));
    exception->PerformClose(reinterpret_cast<uintptr_t>(window));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1);
    EXPECT_EQ(actionsSeen.back(), actionClose);
    DestroyWindow(window);

    // Without a window and with no exception window open, show-report does nothing.
    EXPECT_EQ(ExceptionBoxWindow(), nullptr);
    exception->PerformShowReport(0);
    UnregisterActionHandler(RecordAction);
}

namespace {

struct HandledReport {
    uint32_t handlingThread = 0;
    uint32_t completionThread = 0;
    bool complete = false;
    std::string crc;
};
HandledReport handledReport;

void AskForTheReport(IQEException& exception, bool&)
{
    handledReport.handlingThread = GetCurrentThreadId();
    const std::string report = exception.ReportText(true);
    auto* bookkeeping = dynamic_cast<IQEExceptionEx*>(&exception);
    handledReport.completionThread = bookkeeping ? bookkeeping->CompletionThreadId() : 0;
    handledReport.complete = report.find("will be calculated soon") == std::string::npos;
    handledReport.crc = exception.ReportHeader()->Value("callstack crc");
}

} // namespace

TEST_F(ReportTest, OnTheHandlingThreadTheReportIsCompletedInAThreadOfItsOwn)
{
    StartExceptionThread();
    RegisterExceptionHandler(AskForTheReport, syncNone, 1);
    handledReport = {};
    ExceptionArguments arguments;
    arguments.object = std::make_exception_ptr(std::runtime_error("handled"));
    arguments.message = "handled";
    ProcessException(arguments);
    UnregisterExceptionHandler(AskForTheReport);
    StopExceptionThread();

    EXPECT_NE(handledReport.handlingThread, 0u);
    EXPECT_NE(handledReport.handlingThread, GetCurrentThreadId());
    EXPECT_NE(handledReport.completionThread, 0u);
    EXPECT_NE(handledReport.completionThread, handledReport.handlingThread);
    EXPECT_TRUE(handledReport.complete);
    EXPECT_TRUE(
        std::regex_match(handledReport.crc, std::regex(R"(^\$[0-9a-f]{8}(, \$[0-9a-f]{8}){2}$)")))
        << handledReport.crc;
}

// A section producer that fails gives the internal-error line; while an exception is reported the
// line goes on with that exception's location: a stack line that starts with the address of the
// exception's instruction or of the one after it (an instruction is at most 15 bytes long).
TEST_F(ReportTest, AFailingSectionGivesTheInternalErrorLineWithTheExceptionsLocation)
{
    AddReportPlugin(
        "failing", "a plugin that fails",
        []() -> std::string { throw std::runtime_error("no text"); }, true);
    const uint32_t address =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&CreateExceptionObject));
    for (const uint8_t kind : {reportException, reportFrozen}) {
        SCOPED_TRACE(kind);
        ExceptionObjectArguments arguments =
            ThrownArguments(std::make_exception_ptr(std::logic_error("x")));
        arguments.kind = kind;
        arguments.address = kind == reportException ? address : 0;
        const auto exception = CreateExceptionObject(arguments);
        exception->SetStrProp("Plugins", "failing");
        const IQEFields sections = exception->ReportSections();
        exception->ReportText(true);
        const std::string text = sections->Value("failing");
        if (kind != reportException) {
            EXPECT_EQ(text, ">> internal error in plugin");
            continue;
        }
        std::smatch match;
        ASSERT_TRUE(std::regex_search(
            text, match, std::regex("^>> internal error in plugin:\\r\\n([0-9a-f]{8}) ")))
            << text;
        const uint32_t shown = static_cast<uint32_t>(std::stoul(match[1].str(), nullptr, 16));
        EXPECT_GE(shown, address) << text;
        EXPECT_LE(shown, address + 15) << text;
    }
    RemoveReportPlugin("failing");
}
