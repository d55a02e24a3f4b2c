// A second executable module of the test process, built from the same utility modules: it
// starts and stops them for its own module handle, as a library of the program would.
#include "BcStartup.h"
#include "BcUnitVersioning.h"

#include <windows.h>

namespace {

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

} // namespace

extern "C" __declspec(dllexport) void* SecondModuleStart()
{
    bcl::StartUtilityModules(ThisModule());
    return bcl::UnitVersioningInstance();
}

extern "C" __declspec(dllexport) void SecondModuleStop()
{
    bcl::StopUtilityModules(ThisModule());
}
