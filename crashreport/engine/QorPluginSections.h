#pragma once
// The report's system values and the "modules", "processes" and "hardware" plugin sections,
// collected from the running system (Windows); their texts are laid out by QorReportPlugins.
#include "QorReportPlugins.h"

#include <cstdint>
#include <string>

namespace qor {

bool UserIsAdministrator();
std::string TerminalClientName();
// The OS description of `QueryOsInfo`, " build " and the build number.
std::string OsVersionText();
std::string OsLanguageText();
std::string SystemUpTimeText();
// `startMilliseconds`: the performance counter in milliseconds when the library started.
std::string ProgramUpTimeText(int64_t startMilliseconds);
std::string ProcessorNameText();
int ProcessorCount();
std::string PhysicalMemoryText();
std::string DiskSpaceText(char drive);
std::string DisplayModeText();
uint64_t ProcessMemoryInfo();
std::string AllocatedMemoryText();

std::string ModuleSectionText();
std::string ProcessSectionText();
std::string HardwareSectionText();

// Register the three section plugins on the first call and remove them on the balancing one.
void StartReportPlugins();
void StopReportPlugins();

} // namespace qor
