#include "SetupApi.h"

#include "ModuleLoader.h"

namespace hid {

#define BRENVIK_DEFINE_SETUPAPI_EXPORT(ReturnType, Name, Parameters, Arguments) \
    ReturnType(WINAPI* Name) Parameters = nullptr;
BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(BRENVIK_DEFINE_SETUPAPI_EXPORT)
#undef BRENVIK_DEFINE_SETUPAPI_EXPORT

namespace {

#define BRENVIK_SETUPAPI_NAME(ExportName) #ExportName,
constexpr const char* boundOnlyNames[] = {
    BRENVIK_SETUPAPI_BOUND_ENTRY_POINTS(BRENVIK_SETUPAPI_NAME)};
#undef BRENVIK_SETUPAPI_NAME
constexpr size_t boundOnlyCount = sizeof(boundOnlyNames) / sizeof(boundOnlyNames[0]);

// Addresses of the exports that are bound but never called.
FARPROC boundOnly[boundOnlyCount] = {};

HMODULE setupApiModule = nullptr;
int setupApiBindCount = 0;

void ClearSetupApiVariables()
{
#define BRENVIK_CLEAR_SETUPAPI_EXPORT(ReturnType, Name, Parameters, Arguments) Name = nullptr;
    BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(BRENVIK_CLEAR_SETUPAPI_EXPORT)
#undef BRENVIK_CLEAR_SETUPAPI_EXPORT
    for (FARPROC& address : boundOnly)
        address = nullptr;
}

bool BindSetupApiVariables(HMODULE module)
{
    bool allOk = true;
#define BRENVIK_BIND_SETUPAPI_EXPORT(ReturnType, Name, Parameters, Arguments) \
    AssignEntryPoint(Name, GetProcAddressChecked(module, #Name, allOk));
    BRENVIK_SETUPAPI_CALLED_ENTRY_POINTS(BRENVIK_BIND_SETUPAPI_EXPORT)
#undef BRENVIK_BIND_SETUPAPI_EXPORT
    for (size_t i = 0; i < boundOnlyCount; ++i)
        boundOnly[i] = GetProcAddressChecked(module, boundOnlyNames[i], allOk);
    return allOk;
}

} // namespace

bool BindSetupApi()
{
    ++setupApiBindCount;
    if (setupApiBindCount > 1)
        return true;
    if (!LoadLibraryOnce(setupApiModule, "SetupApi.dll")) {
        --setupApiBindCount;
        return false;
    }
    if (!BindSetupApiVariables(setupApiModule)) {
        UnbindSetupApi();
        return false;
    }
    return true;
}

void UnbindSetupApi()
{
    --setupApiBindCount;
    if (setupApiBindCount <= 0) {
        // A count that went below 0 (an unbind without a bind) is taken back to 0, so the next
        // bind loads the library again instead of only counting.
        setupApiBindCount = 0;
        FreeLibraryHandle(setupApiModule);
        ClearSetupApiVariables();
    }
}

bool IsSetupApiBound()
{
    return setupApiModule != nullptr;
}

} // namespace hid
