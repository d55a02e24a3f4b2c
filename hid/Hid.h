// Run-time binding of HID.dll: one function-pointer variable per entry point of the table in
// HidApiEntryPoints.h, callable while the library is bound.
#pragma once

#include "HidApiEntryPoints.h"

namespace hid {

#define BRENVIK_DECLARE_HID_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    extern ReturnType(WINAPI* Name) Parameters;
#define BRENVIK_DECLARE_HID_ALIAS(VariableName, ExportName) \
    extern decltype(ExportName) VariableName;
BRENVIK_HID_ENTRY_POINTS(BRENVIK_DECLARE_HID_EXPORT, BRENVIK_DECLARE_HID_ALIAS)
#undef BRENVIK_DECLARE_HID_EXPORT
#undef BRENVIK_DECLARE_HID_ALIAS

// Binds "HID.dll". The binding is counted: every successful BindHid is matched by one UnbindHid,
// and the library stays bound until the last user unbinds it, so one user's release never pulls
// the library from under another. Fails (and leaves the library unbound) when the library or any
// entry point it must have is missing; the entry points bound only from a given NT version on
// stay empty on older systems without failing the binding.
bool BindHid();
void UnbindHid();
// True while the library is loaded and its variables are set.
bool IsHidBound();

} // namespace hid
