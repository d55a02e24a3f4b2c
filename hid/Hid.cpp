#include "Hid.h"

#include "ModuleLoader.h"

namespace hid {

#define BRENVIK_DEFINE_HID_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    ReturnType(WINAPI* Name) Parameters = nullptr;
#define BRENVIK_DEFINE_HID_ALIAS(VariableName, ExportName) \
    decltype(ExportName) VariableName = nullptr;
BRENVIK_HID_ENTRY_POINTS(BRENVIK_DEFINE_HID_EXPORT, BRENVIK_DEFINE_HID_ALIAS)
#undef BRENVIK_DEFINE_HID_EXPORT
#undef BRENVIK_DEFINE_HID_ALIAS

namespace {

HMODULE hidModule = nullptr;
int hidBindCount = 0;

void ClearHidVariables()
{
#define BRENVIK_CLEAR_HID_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    Name = nullptr;
#define BRENVIK_CLEAR_HID_ALIAS(VariableName, ExportName) VariableName = nullptr;
    BRENVIK_HID_ENTRY_POINTS(BRENVIK_CLEAR_HID_EXPORT, BRENVIK_CLEAR_HID_ALIAS)
#undef BRENVIK_CLEAR_HID_EXPORT
#undef BRENVIK_CLEAR_HID_ALIAS
}

// Binds every variable in table order with one shared flag; a missing export does not stop the
// sequence.
bool BindHidVariables(HMODULE module)
{
    bool allOk = true;
#define BRENVIK_BIND_HID_EXPORT(ReturnType, Name, Parameters, Arguments, MinimumNtVersion) \
    if ((MinimumNtVersion) == 0 || IsNtVersionAtLeast(MinimumNtVersion))                   \
        AssignEntryPoint(Name, GetProcAddressChecked(module, #Name, allOk));
#define BRENVIK_BIND_HID_ALIAS(VariableName, ExportName) \
    AssignEntryPoint(VariableName, GetProcAddressChecked(module, #ExportName, allOk));
    BRENVIK_HID_ENTRY_POINTS(BRENVIK_BIND_HID_EXPORT, BRENVIK_BIND_HID_ALIAS)
#undef BRENVIK_BIND_HID_EXPORT
#undef BRENVIK_BIND_HID_ALIAS
    return allOk;
}

void ReleaseHidLibrary()
{
    FreeLibraryHandle(hidModule);
    ClearHidVariables();
}

} // namespace

bool BindHid()
{
    if (hidBindCount > 0) {
        ++hidBindCount;
        return true;
    }
    if (!LoadLibraryOnce(hidModule, "HID.dll"))
        return false;
    if (!BindHidVariables(hidModule)) {
        ReleaseHidLibrary();
        return false;
    }
    hidBindCount = 1;
    return true;
}

void UnbindHid()
{
    if (hidBindCount <= 0)
        return;
    if (--hidBindCount == 0)
        ReleaseHidLibrary();
}

bool IsHidBound()
{
    return hidModule != nullptr;
}

} // namespace hid
