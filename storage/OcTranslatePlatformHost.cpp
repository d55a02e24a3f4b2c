// Host answers of the placeholder commands: the process's own file and clock; no screen, no
// version resource, and the information box goes to the error stream.
#include "OcTranslatePlatform.h"

#include "BcErrors.h"
#include "BcResourceTexts.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

namespace storage {

std::string RunningExecutableName()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

TDateTimeParts LocalDateTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

TScreenExtent PrimaryScreenSize()
{
    return {};
}

TScreenExtent VirtualDesktopSize()
{
    return {};
}

std::string ExecutableVersionValue(int)
{
    throw bcl::EBcFileVersionInfoError(bcl::texts::NoVersionInformation);
}

void ShowInformationBox(const std::string& text, const std::string& caption)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

} // namespace storage
