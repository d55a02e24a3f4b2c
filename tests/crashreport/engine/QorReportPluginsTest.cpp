// The plugin registry and the texts of the plugin sections and durations.
#include "QorReportPlugins.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(ReportPlugins, TheSettingChoosesTheFirstRegistrationOfEachName)
{
    AddReportPlugin(
        "Alpha", "first", [] { return "first alpha"; }, true);
    AddReportPlugin(
        "alpha", "second", [] { return "second alpha"; }, true);
    AddReportPlugin(
        "line", "a header line", [] { return "line"; }, false);
    auto sections = PluginsOfSetting("ALPHA|line|missing", true);
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0]->Text(), "first alpha");
    auto lines = PluginsOfSetting("ALPHA|line|missing", false);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]->Name, "line");
    // Removing a name removes only its exact first registration.
    RemoveReportPlugin("ALPHA");
    EXPECT_EQ(PluginsOfSetting("alpha", true)[0]->Text(), "first alpha");
    RemoveReportPlugin("Alpha");
    EXPECT_EQ(PluginsOfSetting("alpha", true)[0]->Text(), "second alpha");
    RemoveReportPlugin("alpha");
    RemoveReportPlugin("line");
    EXPECT_TRUE(PluginsOfSetting("alpha|line", true).empty());
}

TEST(ReportPlugins, DurationsNameTheTwoLargestUnits)
{
    const struct {
        int64_t seconds;
        const char* text;
    } cases[] = {
        {86400 + 3600 + 61, "1 day 1 hour "},
        {5 * 3600 + 120, "5 hours 2 minutes "},
        {45, "45 seconds "},
        {61, "1 minute 1 second "},
        {3 * 86400, "3 days "},
        {3600, "1 hour "},
        {0, ""},
        {-5, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DurationText(c.seconds), c.text) << c.seconds;
}

TEST(ReportPlugins, PriorityClassTexts)
{
    const struct {
        int32_t value;
        const char* text;
    } cases[] = {{32, "normal"},
                 {64, "idle"},
                 {128, "high"},
                 {256, "realtime"},
                 {16384, "below normal"},
                 {32768, "above normal"},
                 {0, ""},
                 {-1, ""},
                 {0x1234, "$1234"}};
    for (const auto& c : cases)
        EXPECT_EQ(PriorityClassText(c.value), c.text) << c.value;
}

TEST(ReportPlugins, ProcessLinesAlignTheirColumns)
{
    ProcessRecord a = ProcessFromPath("C:\\windows\\system32\\services.exe", 0x1c, 0);
    a.PriorityClass = 32;
    a.GdiObjects = 12;
    a.UserObjects = 3;
    ProcessRecord b = ProcessFromPath("app.exe", 0x1f4, 0); // could not be opened
    EXPECT_EQ(ProcessLines({a, b}),
              "01c services.exe 12 3 normal C:\\windows\\system32\r\n"
              "1f4 app.exe      0  0        ");
    // A session column appears only when a session id is not 0.
    b.SessionId = 12;
    EXPECT_EQ(ProcessLines({a, b}),
              "01c services.exe 0  12 3 normal C:\\windows\\system32\r\n"
              "1f4 app.exe      12 0  0        ");
}

TEST(ReportPlugins, ModuleLinesAlignTheirColumns)
{
    const std::vector<ModuleRecord> modules = {
        {0x400000, "Brenvik.exe", "1.0.0.0", "C:\\apps"},
        {0x7b000000, "kernel32.dll", "", "C:\\windows\\system32"},
    };
    EXPECT_EQ(ModuleLines(modules),
              "00400000 Brenvik.exe  1.0.0.0 C:\\apps\r\n"
              "7b000000 kernel32.dll         C:\\windows\\system32");
}

TEST(ReportPlugins, HardwareIsSortedByClassAndDevice)
{
    HardwareTable table;
    table.AddDevice("Ports", "COM2", "");
    table.AddDevice("Display adapters", "Wine display", "key-display");
    table.AddDevice("Ports", "com1", "key-com1");
    table.AddDevice("ports", "COM3", "");
    const std::string text = table.Text([](const std::string& key) {
        return key == "key-com1" ? std::string("1.0") : std::string();
    });
    EXPECT_EQ(text,
              "+ Display adapters\r\n  - Wine display\r\n"
              "+ ports\r\n  - COM3\r\n"
              "+ Ports\r\n  - com1 (driver 1.0)\r\n  - COM2");
}
