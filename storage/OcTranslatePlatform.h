#pragma once
// What the placeholder commands read from the running program and its desktop. One source per
// platform: OcTranslatePlatformWin.cpp asks Windows; OcTranslatePlatformHost.cpp (the native
// build) answers from the process and has neither a screen nor a version resource.
#include "Placeholders.h"

#include <string>

namespace storage {

struct TScreenExtent {
    int width = 0;
    int height = 0;
};

std::string RunningExecutableName();
TDateTimeParts LocalDateTimeNow();
TScreenExtent PrimaryScreenSize();
TScreenExtent VirtualDesktopSize();
// Standard key `keyNumber` of the executable's version resource; raises
// bcl::EBcFileVersionInfoError when the executable has none.
std::string ExecutableVersionValue(int keyNumber);
void ShowInformationBox(const std::string& text, const std::string& caption);

} // namespace storage
