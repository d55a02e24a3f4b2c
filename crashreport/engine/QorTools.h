// Operating-system helpers the crash-report engine shares: the OS information record, file
// versions, modules of addresses, the readers of loaded module images (headers, data
// directories, exports with forwarders and a check against the module's file, names of exported
// addresses), resources as bytes, tick counts, and hidden per-thread windows on which engine code
// registers handlers for window messages. Every operation reports failure by its result (none,
// 0, false or an empty text) and raises nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "QorOsInfo.h"

namespace qor {

// Filled on first use (and again while the description is empty), then copied to every caller.
void QueryOsInfo(TOS& os);
// Percent of free system (0), GDI (1) or USER (2) resources; 0 outside the Windows 9x line.
uint16_t FreeResourcesPercent(uint16_t kind);
// High 32 bits: the file version's most significant pair, low 32 bits: the least significant
// one; 0 without version information.
uint64_t FileVersionNumber(const std::string& fileName);
// Milliseconds since a tick count taken earlier (one less across a wrap of the counter).
uint32_t TicksSince(uint32_t start);

// The module (allocation base of committed memory) that holds `address`, with its file name.
bool ModuleOfAddress(const void* address, HMODULE& module, std::string& fileName);
// The PE headers ("PE\0\0") of a loaded module, or null.
const void* PeHeadersOf(HMODULE module);
// The address of data directory `index` in the loaded image, or null when it is not there.
const void* DataDirectoryOf(HMODULE module, uint32_t index);
const void* ExportDirectoryOf(HMODULE module);
// The code address of an exported function's RVA; a forwarder ("Library.Function") is followed
// to its library when that is already loaded, else none.
void* ResolveExport(HMODULE module, uint32_t rva);
// The offset in the module's file of an RVA, by the section table that follows `headers`.
uint32_t RvaToFileOffset(const void* headers, uint32_t rva);
// The size of the loaded image, from its PE headers.
uint32_t ImageSize(const void* headers);
// A read-only view of the module's file (the caller unmaps it), or null; `size` gets its size.
const void* MapModuleFile(HMODULE module, size_t* size = nullptr);
// The code address exported under `name` (case-sensitive). With `doubleCheck`, or when the entry
// points beyond the image (changed in memory), the entry is taken from the module's file when
// its export tables lie where the loaded ones do.
void* ExportByName(HMODULE module, const std::string& name, bool doubleCheck);
void* ExportByOrdinal(HMODULE module, uint32_t ordinal);
// The export name of a code address ("#" + ordinal for an entry without a name), empty when it
// is not exported; with `unmangle` a compiler-generated name becomes "Unit.Class.Routine".
std::string ExportName(HMODULE module, const void* address, bool unmangle);
// A resource's bytes, empty when it is absent.
std::string ReadResource(HMODULE module, const char* type, const char* name);

// Hidden per-thread windows on which engine code handles window messages (broadcasts such as
// WM_ENDSESSION, WM_DEVICECHANGE, registered messages). A procedure handler has no method; a
// method handler (code and object) has no procedure and receives its object first.
using TMessageHandlerProc = void (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result);
using TMessageHandlerMethod = void (*)(void* object, HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam, LRESULT& result);

// The handler window of a thread (0: the calling thread), created for the calling thread on
// first use; null for another thread without one, or when creation failed.
HWND MessageHandlerWindow(DWORD thread);
// Registers a handler and returns its message number (message 0: the lowest from 1024 on that
// the window's handlers leave free); 0 when the thread has no window or the same handler is
// registered for the message already.
UINT AddMessageHandler(TMessageHandlerProc procedure, UINT message, DWORD thread,
                       TMessageHandlerMethod code = nullptr, void* object = nullptr);
// Removes the matching handlers (message 0: of every message); a window left without handlers
// is destroyed (by a posted close request when it belongs to another thread).
void RemoveMessageHandler(TMessageHandlerProc procedure, UINT message, DWORD thread,
                          TMessageHandlerMethod code = nullptr, void* object = nullptr);
// The class name prefix of the handler windows; the thread id in hexadecimal follows it.
constexpr const char* kMessageHandlerClassPrefix = "qorToolsMsgHandlerWindow";

// The key Windows 9x scrambles thread and process ids with (0 when not found, as on the NT
// line); Win95Layout tells whether it was found in the Windows 95 layout.
uint32_t Win9xIdKey();
bool Win95Layout();

} // namespace qor
