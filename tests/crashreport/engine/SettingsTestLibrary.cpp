// A second copy of the engine's settings store and thread registry in a library, as a library
// that links the engine carries one: the test program and this library share their buffers.
#include "QorSettings.h"
#include "QorThreadRegistry.h"

extern "C" __declspec(dllexport) qor::ModuleSettingsRecord* LibraryAcquireModuleSettings(
    HMODULE module)
{
    return qor::AcquireModuleSettings(module);
}

extern "C" __declspec(dllexport) void LibraryReleaseModuleSettings(
    qor::ModuleSettingsRecord* record)
{
    qor::ReleaseModuleSettings(record);
}

extern "C" __declspec(dllexport) bool LibraryHoldsSettingsBuffer()
{
    return qor::SharedSettingsBuffer() != nullptr;
}

extern "C" __declspec(dllexport) bool LibraryOpenThreadNameBuffer(uint32_t* mainThreadId)
{
    return qor::OpenThreadNameBuffer(*mainThreadId);
}

extern "C" __declspec(dllexport) void LibraryCloseThreadNameBuffer()
{
    qor::CloseThreadNameBuffer();
}
