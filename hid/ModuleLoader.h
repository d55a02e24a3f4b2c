// Loading of system libraries at run time: the device libraries are never linked statically, so a
// system without them still runs (without devices).
#pragma once

#include <windows.h>

namespace hid {

// Loads `name` into `handle` unless `handle` is already set. The system's "cannot open file"
// message boxes are suppressed during the load and the previous error mode restored afterwards.
// Returns whether `handle` is set now.
bool LoadLibraryOnce(HMODULE& handle, const char* name);

// Frees a set handle and clears it.
void FreeLibraryHandle(HMODULE& handle);

// The address of export `name` of `module`, or null for a null module or a missing export. A null
// result clears `allOk`; nothing sets it back, so one flag collects a whole sequence of lookups.
FARPROC GetProcAddressChecked(HMODULE module, const char* name, bool& allOk);

// Stores an export's address in a typed function-pointer variable.
template <class Function>
void AssignEntryPoint(Function& variable, FARPROC address)
{
    // Through the generic function type, which converts to any other without a warning.
    variable = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// True when the system is of the NT family at version `ntVersion` (0x0501 = 5.1) or later.
bool IsNtVersionAtLeast(unsigned ntVersion);

} // namespace hid
