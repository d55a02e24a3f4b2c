// A HID.dll that lacks one unconditional export: every entry point of the table is exported as a
// failing stub except HidD_Hello, which appears under another name.
#include "hid/HidApiEntryPoints.h"

#define HidD_Hello HidD_Hello_Renamed

#define INCOMPLETE_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    extern "C" __declspec(dllexport) ReturnType WINAPI Name Parameters               \
    {                                                                                \
        return ReturnType();                                                         \
    }
#define INCOMPLETE_ALIAS(VariableName, ExportName)
#pragma GCC diagnostic ignored "-Wunused-parameter"
BRENVIK_HID_ENTRY_POINTS(INCOMPLETE_EXPORT, INCOMPLETE_ALIAS)
