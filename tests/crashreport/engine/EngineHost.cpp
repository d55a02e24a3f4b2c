// A program that carries the engine and meets one kind of failure, named on its command line:
// `engine_host <case> <log file>`. Its exception handler writes "kind origin continuable" per
// report into the log; the program returns 3 when it goes on after the failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "QorHandlers.h"
#include "QorLibrary.h"
#include "QorPipeline.h"
#include "QorRestart.h"
#include "QorSettings.h"
#include "core/Exceptions.h"
#include "windows/ExceptionHooks.h"
#include "windows/Threads.h"

namespace {

const char* logPath = nullptr;
constexpr int wentOn = 3;

void Log(const std::string& line)
{
    if (FILE* file = std::fopen(logPath, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

void LogReport(qor::IQEException& exception, bool&)
{
    Log(std::to_string(exception.ReportKind()) + " " + std::to_string(exception.OriginCode()) +
        " " + (exception.Continuable() ? "1" : "0") + " " + exception.ErrorMessage());
}

void ReportHidden(qor::IQEException&, bool& handled)
{
    handled = false;
}

void Fault()
{
    *static_cast<volatile int*>(nullptr) = 1;
}

[[noreturn]] void Throw(const char* message)
{
    throw classlib::Exception(message);
}

DWORD WINAPI FaultingRoutine(void*)
{
    Fault();
    return 0;
}

DWORD WINAPI ThrowingRoutine(void*)
{
    Throw("escaped a thread routine");
}

DWORD RunThread(LPTHREAD_START_ROUTINE routine)
{
    HANDLE thread = CreateThread(nullptr, 0, routine, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    Log("thread exit " + std::to_string(code));
    return code;
}

class ThrowingThread : public classlib::TThread {
protected:
    void Execute() override { Throw("escaped Execute"); }
};

class SynchronizingThread : public classlib::TThread {
protected:
    void Execute() override
    {
        classlib::Synchronize(this, [] { Throw("synchronized call failed"); });
    }
};

template <class Thread>
void RunThreadObject()
{
    Thread thread;
    thread.Start();
    thread.WaitFor();
}

void NoExceptThrow() noexcept
{
    Throw("nobody catches this");
}

void NoExceptAbort() noexcept
{
    throw classlib::EAbort("silent");
}

int RunCase(const std::string& name)
{
    if (name == "terminate")
        NoExceptThrow();
    else if (name == "terminate-silent")
        NoExceptAbort();
    else if (name == "application-silent") {
        try {
            throw classlib::EAbort("silent");
        } catch (...) {
            classlib::HandleUnhandledException(classlib::ExceptionPath::Application, nullptr);
        }
    } else if (name == "application" || name == "application-hidden") {
        // With a hidden handler too, the reported exception is not reported again as hidden
        // when its catch ends.
        if (name == "application-hidden")
            qor::RegisterHiddenHandler(ReportHidden, qor::syncNone);
        try {
            Throw("in an event handler");
        } catch (...) {
            classlib::HandleUnhandledException(classlib::ExceptionPath::Application, nullptr);
        }
    } else if (name == "synchronized")
        RunThreadObject<SynchronizingThread>();
    else if (name == "abort")
        std::abort();
    else if (name == "fault")
        Fault();
    else if (name == "thread-fault")
        RunThread(FaultingRoutine);
    else if (name == "hidden") {
        qor::RegisterHiddenHandler(ReportHidden, qor::syncNone);
        try {
            Throw("caught by the program");
        } catch (const classlib::Exception&) {
        }
    } else if (name == "thread-frame")
        RunThread(ThrowingRoutine);
    else if (name == "thread-execute")
        RunThreadObject<ThrowingThread>();
    else if (name == "freeze")
        Sleep(1800); // one report after about 1000 ms; the next would come 1500 ms later
    else if (name == "restart") {
        int set = 0;
        for (int64_t time : qor::EngineTimeRing())
            set += time != 0;
        Log("start " + std::to_string(GetCurrentProcessId()) + " " + std::to_string(set));
        Fault();
    } else
        return 100;
    return wentOn;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 100;
    logPath = argv[2];
    const std::string name = argv[1];
    // Held to the end: the values set stay in the process's settings store.
    const qor::IQEModuleSettings settings = qor::ModuleSettings(GetModuleHandleA(nullptr));
    if (name == "freeze") {
        settings->SetBoolProp("CheckFreeze", true);
        settings->SetIntProp("FreezeTimeout", 1000);
    }
    if (name == "restart") {
        // Restart after every failure, close when ten came within a minute.
        settings->SetIntProp("AutoRestart", 1);
        settings->SetIntProp("AutoClose", 60);
    }
    qor::TakeOverRestart();
    qor::StartLibrary();
    qor::RegisterExceptionHandler(LogReport, qor::syncNone, 1);
    const int result = RunCase(name);
    qor::StopLibrary();
    return result;
}
