// The plugin sections and system values under Wine, compared with what the system's own lists
// (toolhelp, psapi) and queries report to the test.
#include "QorPluginSections.h"
#include "QorStrings.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include "TextLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace qor;

namespace {

std::string Hex(uint64_t value, int digits)
{
    return FormatHex64(value, digits, '0').substr(1);
}

} // namespace

TEST(PluginSections, ModulesAreTheLoadedModulesInAddressOrder)
{
    std::set<uint64_t> expected;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    MODULEENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        expected.insert(reinterpret_cast<uintptr_t>(entry.modBaseAddr));
    CloseHandle(snapshot);

    std::vector<uint64_t> listed;
    for (const std::string& line : CrLfLines(ModuleSectionText()))
        listed.push_back(std::stoull(line.substr(0, line.find(' ')), nullptr, 16));
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
    EXPECT_EQ(std::set<uint64_t>(listed.begin(), listed.end()), expected);
    // The program's own line names its file and folder.
    char path[MAX_PATH];
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    const std::string own = Hex(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)), 8);
    bool found = false;
    for (const std::string& line : CrLfLines(ModuleSectionText())) {
        if (line.rfind(own + " ", 0) == 0) {
            found = true;
            EXPECT_NE(line.find(file.substr(file.rfind('\\') + 1)), std::string::npos) << line;
            EXPECT_EQ(line.substr(line.size() - file.rfind('\\')), file.substr(0, file.rfind('\\')))
                << line;
        }
    }
    EXPECT_TRUE(found);
}

std::set<uint32_t> SystemProcessIds()
{
    std::set<uint32_t> ids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        ids.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

TEST(PluginSections, ProcessesAreTheSystemsProcesses)
{
    // Other programs start and end meanwhile (tests run in parallel): the section must list every
    // process that lived before and after it was made, and none that lived at neither time.
    const std::set<uint32_t> before = SystemProcessIds();
    const std::string text = ProcessSectionText();
    const std::set<uint32_t> after = SystemProcessIds();
    std::set<uint32_t> listed;
    std::string ownLine;
    for (const std::string& line : CrLfLines(text)) {
        const uint32_t id =
            static_cast<uint32_t>(std::stoul(line.substr(0, line.find(' ')), nullptr, 16));
        listed.insert(id);
        if (id == GetCurrentProcessId())
            ownLine = line;
    }
    for (uint32_t id : before)
        if (after.count(id))
            EXPECT_TRUE(listed.count(id)) << "process " << id << " is missing";
    for (uint32_t id : listed)
        EXPECT_TRUE(before.count(id) || after.count(id)) << "process " << id << " does not exist";
    // This process opens: its path comes from psapi, and its priority class is read.
    char path[MAX_PATH];
    const std::string module(path,
                             GetModuleFileNameExA(GetCurrentProcess(), nullptr, path, MAX_PATH));
    ASSERT_FALSE(ownLine.empty());
    EXPECT_NE(ownLine.find(module.substr(module.rfind('\\') + 1) + " "), std::string::npos)
        << ownLine;
    EXPECT_NE(ownLine.find(" normal "), std::string::npos) << ownLine;
    EXPECT_EQ(ownLine.substr(ownLine.size() - module.rfind('\\')),
              module.substr(0, module.rfind('\\')));
}

TEST(PluginSections, SystemValuesAgreeWithTheSystem)
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    const std::string memory = PhysicalMemoryText();
    EXPECT_NE(memory.find("/" + std::to_string((status.ullTotalPhys + 524288) / 1048576) +
                          " MB (free/total)"),
              std::string::npos)
        << memory;

    const HDC screen = GetDC(nullptr);
    const std::string display =
        std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
        std::to_string(GetSystemMetrics(SM_CYSCREEN)) + ", " +
        std::to_string(GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES)) + " bit";
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(DisplayModeText(), display);

    // Wine describes one registry key per processor.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    EXPECT_EQ(ProcessorCount(), static_cast<int>(system.dwNumberOfProcessors));
    EXPECT_FALSE(ProcessorNameText().empty());
    EXPECT_EQ(ProcessorNameText().find("  "), std::string::npos);

    EXPECT_EQ(DiskSpaceText('\\'), "");
    EXPECT_EQ(DiskSpaceText('c').rfind("(C:) ", 0), 0u) << DiskSpaceText('c');
    EXPECT_GT(ProcessMemoryInfo(), 0u);
    EXPECT_EQ(ProgramUpTimeText(0), "");
    EXPECT_EQ(OsLanguageText(), "English");
}

TEST(PluginSections, PluginsAreRegisteredOnceAndRemovedByTheBalancingStop)
{
    StartReportPlugins();
    StartReportPlugins();
    EXPECT_EQ(PluginsOfSetting("modules|processes|hardware", true).size(), 3u);
    StopReportPlugins();
    EXPECT_EQ(PluginsOfSetting("modules|processes|hardware", true).size(), 3u);
    StopReportPlugins();
    EXPECT_TRUE(PluginsOfSetting("modules|processes|hardware", true).empty());
}
