#pragma once
// A report of the running process on request (Windows): another process (a support tool)
// creates the named mapping "Global\qorTraceProcessMap" or "qorTraceProcessMap", runs the
// exported `qorTraceProcess` in this process as a remote thread with the mapping's size as its
// parameter, and reads the report of every thread from the mapping (size 0: the clipboard).
// A program exports it undecorated through its module-definition file.
#include <windows.h>

#include <cstdint>
#include <string>

namespace qor {

// True while `qorTraceProcess` builds its report: the report then lists the engine's own
// threads too.
bool TraceRequestActive();
// The complete report of the running process (kind "frozen application", every thread).
std::string CurrentProcessReport();
// The report cut to `size` - 1 characters (`size` clamped to the mapping) and a terminating zero
// at the start of the named mapping; false when no mapping of either name is open or it cannot
// be mapped.
bool WriteTraceMapping(const std::string& report, int32_t size);

// Asks the development environment whose main window has the class "TAppBuilder" to show
// `line`: its message-handler window receives "qorExceptIdeJumpCommand" with this process's id and
// the line's address. Nothing when no such environment runs.
void JumpToIdeLine(const std::string& line);

} // namespace qor

// The thread routine another process starts; the parameter is the mapping's size. Returns 0.
extern "C" DWORD WINAPI qorTraceProcess(void* size);
