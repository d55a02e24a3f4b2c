// Run-time binding of SetupApi.dll: the entry points the HID layer calls are typed variables;
// the rest of the bound table (HidApiEntryPoints.h) is looked up so that a binding succeeds only
// against a complete library, and is never called.
#pragma once

#include "HidApiEntryPoints.h"

namespace hid {

#define BRENVIK_DECLARE_SETUPAPI_EXPORT(ReturnType, Name, Parameters, Arguments) \
    extern ReturnType(WINAPI* Name) Parameters;
BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(BRENVIK_DECLARE_SETUPAPI_EXPORT)
#undef BRENVIK_DECLARE_SETUPAPI_EXPORT

// Counted binding of "SetupApi.dll": the first successful bind loads the library, each further
// one only counts; the library is freed and every variable cleared when the count returns to 0.
// A bind that fails leaves the count as it was.
bool BindSetupApi();
void UnbindSetupApi();
// True while the library is loaded and its variables are set.
bool IsSetupApiBound();

} // namespace hid
