#include "OcTranslatePlatform.h"

#include "BcFileUtilsWin.h"

#include <windows.h>

namespace storage {

std::string RunningExecutableName()
{
    return bcl::ModuleFileName(nullptr);
}

TDateTimeParts LocalDateTimeNow()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

TScreenExtent PrimaryScreenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

TScreenExtent VirtualDesktopSize()
{
    return {GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::string ExecutableVersionValue(int keyNumber)
{
    return bcl::ReadFileVersionInfo(RunningExecutableName()).KeyValue(keyNumber);
}

void ShowInformationBox(const std::string& text, const std::string& caption)
{
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

} // namespace storage
