#pragma once
// Report plugins and the texts of the report's plugin sections and system values (portable):
// the process-wide plugin registry, durations, and the layout of the "modules", "processes"
// and "hardware" sections from records the platform side collects (QorPluginSections).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qor {

struct ReportPlugin {
    std::string Name; // the key in the Plugins setting, and the header line or section name
    std::string Description;
    std::function<std::string()> Text;
    bool OwnSection = false; // a section of its own, else one header line
};

// Registration happens in the modules' start-up and shut-down, before and after any exception
// handling; the registry takes no lock.
void AddReportPlugin(std::string_view name, std::string_view description,
                     std::function<std::string()> text, bool ownSection);
// Removes the first plugin of exactly that name.
void RemoveReportPlugin(std::string_view name);
// The plugins the Plugins setting names, in its order, that fit the caller (sections or header
// lines): for each item the first plugin of that name (case ignored) decides.
std::vector<const ReportPlugin*> PluginsOfSetting(std::string_view pluginsSetting, bool ownSection);

// "1 day 1 hour ", "5 hours 2 minutes ", "45 seconds "; empty for 0 or less.
std::string DurationText(int64_t seconds);
// 32 "normal", 64 "idle", 128 "high", 256 "realtime", 16384 "below normal", 32768 "above
// normal", 0 and -1 empty, others "$" and hex.
std::string PriorityClassText(int32_t priorityClass);

struct ProcessRecord {
    std::string FileName;
    std::string Folder; // without trailing backslash
    uint32_t ProcessId = 0;
    uint32_t SessionId = 0;
    int32_t PriorityClass = -1; // -1: not read
    uint32_t GdiObjects = 0;
    uint32_t UserObjects = 0;
};
// A process path split into folder and file name.
ProcessRecord ProcessFromPath(std::string_view path, uint32_t processId, uint32_t sessionId);
std::string ProcessLines(const std::vector<ProcessRecord>& processes);

struct ModuleRecord {
    uint64_t Handle = 0;
    std::string FileName;
    std::string Version;
    std::string Folder;
};
std::string ModuleLines(const std::vector<ModuleRecord>& modules);

// Installed hardware by class, both sorted by name (case ignored).
class HardwareTable {
public:
    void AddDevice(std::string_view className, std::string_view device, std::string_view driverKey);
    // `driverVersion` gives the " (driver ...)" text of a driver key, empty for none.
    std::string Text(const std::function<std::string(const std::string&)>& driverVersion) const;

private:
    struct Device {
        std::string Name, DriverKey;
    };
    struct Class {
        std::string Name;
        std::vector<Device> Devices;
    };
    std::vector<Class> classes_;
};

} // namespace qor
