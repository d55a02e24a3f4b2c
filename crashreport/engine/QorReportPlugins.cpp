#include "QorReportPlugins.h"

#include "QorStrings.h"

#include <algorithm>

namespace qor {

namespace {

std::vector<ReportPlugin>& Plugins()
{
    static std::vector<ReportPlugin> plugins;
    return plugins;
}

std::string PaddedRight(std::string text, size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

} // namespace

void AddReportPlugin(std::string_view name, std::string_view description,
                     std::function<std::string()> text, bool ownSection)
{
    Plugins().push_back({std::string(name), std::string(description), std::move(text), ownSection});
}

void RemoveReportPlugin(std::string_view name)
{
    auto& plugins = Plugins();
    const auto found = std::find_if(plugins.begin(), plugins.end(),
                                    [&](const ReportPlugin& p) { return p.Name == name; });
    if (found != plugins.end())
        plugins.erase(found);
}

std::vector<const ReportPlugin*> PluginsOfSetting(std::string_view pluginsSetting, bool ownSection)
{
    std::vector<const ReportPlugin*> chosen;
    for (int i = 1; i <= ListItemCount(pluginsSetting, '|'); ++i) {
        const std::string item = ListItem(pluginsSetting, i, '|');
        for (const ReportPlugin& plugin : Plugins()) {
            if (TextMatches(plugin.Name, item)) {
                if (plugin.OwnSection == ownSection)
                    chosen.push_back(&plugin);
                break;
            }
        }
    }
    return chosen;
}

std::string DurationText(int64_t seconds)
{
    seconds = std::max<int64_t>(seconds, 0);
    const int64_t days = seconds / 86400;
    const int64_t hours = (seconds / 3600) % 24;
    const int64_t minutes = (seconds / 60) % 60;
    struct Part {
        int64_t value;
        const char* unit;
    };
    Part parts[2] = {{minutes, "minute"}, {seconds % 60, "second"}};
    if (days > 0)
        parts[0] = {days, "day"}, parts[1] = {hours, "hour"};
    else if (hours > 0)
        parts[0] = {hours, "hour"}, parts[1] = {minutes, "minute"};
    std::string text;
    for (const auto& part : parts) {
        if (part.value == 1)
            text += std::string("1 ") + part.unit + " ";
        else if (part.value != 0)
            text += std::to_string(part.value) + " " + part.unit + "s ";
    }
    return text;
}

std::string PriorityClassText(int32_t priorityClass)
{
    static const struct {
        int32_t value;
        const char* text;
    } names[] = {{32, "normal"},
                 {64, "idle"},
                 {128, "high"},
                 {256, "realtime"},
                 {16384, "below normal"},
                 {32768, "above normal"},
                 {0, ""},
                 {-1, ""}};
    for (const auto& name : names)
        if (name.value == priorityClass)
            return name.text;
    return FormatHex(static_cast<uint32_t>(priorityClass), 0, '0');
}

ProcessRecord ProcessFromPath(std::string_view path, uint32_t processId, uint32_t sessionId)
{
    ProcessRecord record;
    const size_t slash = path.rfind('\\');
    record.FileName = std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
    record.Folder = slash == std::string_view::npos ? "" : std::string(path.substr(0, slash));
    record.ProcessId = processId;
    record.SessionId = sessionId;
    return record;
}

std::string ProcessLines(const std::vector<ProcessRecord>& processes)
{
    size_t idWidth = 0, nameWidth = 0, sessionWidth = 0, gdiWidth = 0, userWidth = 0,
           priorityWidth = 0;
    for (const ProcessRecord& p : processes) {
        idWidth = std::max(idWidth, FormatHex(p.ProcessId, 0, '0').size());
        nameWidth = std::max(nameWidth, p.FileName.size());
        if (p.SessionId != 0)
            sessionWidth = std::max(sessionWidth, std::to_string(p.SessionId).size());
        gdiWidth = std::max(gdiWidth, std::to_string(p.GdiObjects).size());
        userWidth = std::max(userWidth, std::to_string(p.UserObjects).size());
        priorityWidth = std::max(priorityWidth, PriorityClassText(p.PriorityClass).size());
    }
    std::string text;
    for (const ProcessRecord& p : processes) {
        std::string line = FormatHex(p.ProcessId, static_cast<int>(idWidth) - 1, '0').substr(1) +
                           " " + PaddedRight(p.FileName, nameWidth + 1);
        if (sessionWidth > 0)
            line += PaddedRight(std::to_string(p.SessionId), sessionWidth + 1);
        if (gdiWidth > 0 || userWidth > 0)
            line += PaddedRight(std::to_string(p.GdiObjects), gdiWidth + 1) +
                    PaddedRight(std::to_string(p.UserObjects), userWidth + 1);
        line += PaddedRight(PriorityClassText(p.PriorityClass), priorityWidth + 1) + p.Folder;
        text += (text.empty() ? "" : "\r\n") + line;
    }
    return text;
}

std::string ModuleLines(const std::vector<ModuleRecord>& modules)
{
    size_t nameWidth = 0, versionWidth = 0;
    for (const ModuleRecord& m : modules) {
        nameWidth = std::max(nameWidth, m.FileName.size() + 1);
        versionWidth = std::max(versionWidth, m.Version.size() + 1);
    }
    std::string text;
    for (const ModuleRecord& m : modules) {
        const std::string handle = FormatHex64(m.Handle, 8, '0').substr(1);
        text += (text.empty() ? "" : "\r\n") + handle + " " + PaddedRight(m.FileName, nameWidth) +
                PaddedRight(m.Version, versionWidth) + m.Folder;
    }
    return text;
}

void HardwareTable::AddDevice(std::string_view className, std::string_view device,
                              std::string_view driverKey)
{
    auto notBelow = [](std::string_view a, std::string_view b) { return TextOrder(a, b) >= 0; };
    auto classIt = std::find_if(classes_.begin(), classes_.end(),
                                [&](const Class& c) { return notBelow(c.Name, className); });
    if (classIt == classes_.end() || classIt->Name != className)
        classIt = classes_.insert(classIt, Class{std::string(className), {}});
    auto& devices = classIt->Devices;
    const auto deviceIt = std::find_if(devices.begin(), devices.end(),
                                       [&](const Device& d) { return notBelow(d.Name, device); });
    devices.insert(deviceIt, Device{std::string(device), std::string(driverKey)});
}

std::string HardwareTable::Text(
    const std::function<std::string(const std::string&)>& driverVersion) const
{
    std::string text;
    for (const Class& c : classes_) {
        text += "\r\n+ " + c.Name;
        for (const Device& d : c.Devices) {
            text += "\r\n  - " + d.Name;
            if (!d.DriverKey.empty()) {
                const std::string version = driverVersion(d.DriverKey);
                if (!version.empty())
                    text += " (driver " + version + ")";
            }
        }
    }
    return text.empty() ? text : text.substr(2);
}

} // namespace qor
