// The real Brenvik.exe started with a family keyword and a HEX file: it connects, loads and
// uploads as soon as the bootloader answers, or refuses a file for another family once. The
// program runs in a process of its own, from a private copy (its settings file lands beside the
// copy), against a simulated device whose flash, violations and trace the simulator writes at
// the program's exit.
#include "FileBytes.h"
#include "FlashDump.h"
#include "ProgramCopy.h"
#include "HexLoader.h"
#include "HexRecords.h"
#include "PlanChecks.h"
#include "Texts.h"
#include "UploadPlan.h"
#include "UploadPlanFlash.h"

#include <cstring>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace program_copy;
using testsupport::ReadBytes;
using testsupport::WriteBytes;
using Lines = std::vector<std::string>;

constexpr DWORD LimitMs = 20000;

template <class Done>
bool PollUntil(Done done, DWORD timeoutMs = LimitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

BOOL CALLBACK FindHistoryWindow(HWND child, LPARAM data)
{
    if (_stricmp(ClassOf(child).c_str(), "Edit") == 0 &&
        TextOf(child).rfind(std::string("Attach USB HID device or reset if attached."), 0) == 0) {
        *reinterpret_cast<HWND*>(data) = child;
        return FALSE;
    }
    return TRUE;
}

// The lines of the program's history window: the edit control whose text starts with the first
// history line.
Lines HistoryOf(const Program& program)
{
    HWND memo = nullptr;
    if (HWND main = program.MainWindow())
        EnumChildWindows(main, FindHistoryWindow, reinterpret_cast<LPARAM>(&memo));
    Lines lines;
    if (!memo)
        return lines;
    std::istringstream text(TextOf(memo));
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

// A visible window of the program other than the main window with this caption (a message box
// or the task dialog).
HWND DialogOf(const Program& program, const std::string& caption)
{
    for (HWND w : program.Windows())
        if (w != program.MainWindow() && IsWindowVisible(w) && TextOf(w) == caption)
            return w;
    return nullptr;
}

BOOL CALLBACK FindOkButton(HWND window, LPARAM parameter)
{
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, "OK") == 0) {
        *reinterpret_cast<HWND*>(parameter) = window;
        return FALSE;
    }
    return TRUE;
}

// Clicks OK of a message box or of the emulated task dialog of another process.
void Dismiss(HWND dialog)
{
    HWND ok = nullptr;
    EnumChildWindows(dialog, FindOkButton, reinterpret_cast<LPARAM>(&ok));
    if (ok)
        PostMessageA(ok, BM_CLICK, 0, 0);
    else
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

struct Finished {
    Lines history;
    std::vector<sim::DumpedDevice> devices;
    std::string trace;
};

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// PIC18 bootloader at the end of a 32 KB flash, the application area holding an earlier program
// (so every byte written must have been erased first).
const char Pic18Device[] =
    "family = 2\nerase_block = 64\nwrite_block = 32\nboot_start = 0x7C00\nflash_size = 0x8000\n"
    "boot_revision = 0x0100\nname = PIC18F4550\n";

app::DeviceInfo Pic18Info()
{
    return plantest::Device(2, 64, 32, 0x7C00, 0x0100, 0x8000);
}

// 300 bytes at 0x0000 and 40 bytes at 0x1000: a gap, a block boundary inside a record.
std::string Pic18Hex()
{
    using namespace hextest;
    std::vector<std::string> lines;
    for (std::uint16_t at = 0; at < 300; at += 20) {
        std::vector<std::uint8_t> data;
        for (std::uint16_t k = 0; k < 20; ++k)
            data.push_back(static_cast<std::uint8_t>(at + k * 3 + 1));
        lines.push_back(Data(at, data));
    }
    lines.push_back(Data(0x1000, std::vector<std::uint8_t>(40, 0x5A)));
    lines.push_back(End);
    return hextest::Lines(lines);
}

class CommandLineUpload : public testing::Test {
protected:
    static void SetUpTestSuite() { UseSimulatedDevicesLibraries(); }

    // The simulator in the program's process reads its devices from this file.
    std::unique_ptr<Program> Launch(const std::string& arguments)
    {
        SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", copy.Path("sim.ini").c_str());
        auto started = std::make_unique<Program>(copy, arguments);
        SetEnvironmentVariableA("BRENVIK_SIM_CONFIG", nullptr);
        return started;
    }

    void SetUp() override { ASSERT_EQ(copy.Missing(), "") << "files missing beside the test"; }

    // Writes the device configuration and the HEX file, starts the program with `keyword`.
    // `moreDevices` is configuration text for further devices.
    // `device` and `hex` replace the PIC18 bootloader and its file.
    void Start(const std::string& keyword, const std::string& moreDevices = "",
               const std::string& device = Pic18Device, const std::string& hex = Pic18Hex())
    {
        WriteBytes(copy.Path("sim.ini"), "[simulator]\ntrace = " + copy.Path("trace.txt") +
                                             "\nflash_dump = " + copy.Path("flash.txt") +
                                             "\n[device boot]\n" + device + moreDevices);
        WriteBytes(copy.Path("app.hex"), hex);
        program = Launch(keyword + " \"" + copy.Path("app.hex") + "\"");
        ASSERT_TRUE(program->Started());
        ASSERT_NE(program->WaitForMainWindow(), nullptr);
    }

    // Ends the program and reads what the simulator wrote at its exit.
    Finished Finish()
    {
        Finished run;
        run.history = HistoryOf(*program);
        EXPECT_TRUE(program->Close()) << "the program did not end";
        std::string error;
        EXPECT_TRUE(sim::ParseFlashDump(ReadBytes(copy.Path("flash.txt")), &run.devices, &error))
            << error;
        run.trace = ReadBytes(copy.Path("trace.txt"));
        return run;
    }

    PrivateCopy copy{"cmdline", {"hid.dll", "setupapi.dll", "BrenvikSim.dll"}};
    std::unique_ptr<Program> program;
};

TEST_F(CommandLineUpload, UploadsAsSoonAsTheBootloaderAnswers)
{
    Start("P18");
    HWND success = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (success = DialogOf(*program, "Success")) != nullptr; }))
        << "no success dialog; history:\n"
        << testing::PrintToString(HistoryOf(*program));
    const std::string hex = copy.Path("app.hex");
    EXPECT_EQ(HistoryOf(*program),
              (Lines{std::string("Attach USB HID device or reset if attached."),
                     "Waiting MCU response...", "Connected.", "Opened: " + hex,
                     "Uploading:", "Flash Erase...", "Flash Write...", "Completed successfully.",
                     "Disconnected.", "Reset..."}));
    Dismiss(success);
    ASSERT_TRUE(PollUntil([&] { return DialogOf(*program, "Success") == nullptr; }));
    const Finished run = Finish();

    // What the plan for this device and file must have left in flash: the earlier program
    // (programmed zeros) where nothing was erased, the plan's bytes elsewhere, the bootloader
    // untouched.
    const app::HexLoadResult loaded = app::LoadHex(Pic18Hex(), hex, Pic18Info());
    ASSERT_TRUE(loaded.Ok());
    const app::UploadPlan plan = app::PlanUpload({Pic18Info(), loaded.program, loaded.boot});
    ASSERT_TRUE(plan.Ok());
    plantest::FlashContents want{0, app::Bytes(0x8000, 0x00)};
    ASSERT_TRUE(plantest::ApplyPlan(plan, app::Region::Program, want));
    ASSERT_EQ(run.devices.size(), 1u);
    const sim::DumpedDevice& device = run.devices[0];
    EXPECT_EQ(device.violations, std::vector<std::string>{});
    const sim::DumpedRegion* flash = device.Region("program");
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(plantest::FirstDifference(flash->data, want.bytes), -1);
    EXPECT_EQ(app::Bytes(flash->data.begin(), flash->data.begin() + 4),
              (app::Bytes{0x00, 0xEF, 0x3E, 0xF0}))
        << "the reset vector enters the bootloader";
    EXPECT_EQ(app::Bytes(flash->data.begin() + 0x7BFC, flash->data.begin() + 0x7C00),
              app::Bytes(loaded.program.begin(), loaded.program.begin() + 4))
        << "the application's own start below the bootloader";
    EXPECT_EQ(app::Bytes(flash->data.begin() + 0x7C00, flash->data.end()), app::Bytes(0x400, 0x00))
        << "the bootloader untouched";
    EXPECT_EQ(Count(run.trace, "  restart\n"), 1) << "restarted once, at the end of the upload";
}

const Lines Refused{std::string("Attach USB HID device or reset if attached."),
                    "Waiting MCU response...", "Connected.",
                    "Error: Invalid MCU type. Reload HEX file.", "Error: Load HEX file first."};

TEST_F(CommandLineUpload, AKeywordOfAnotherFamilyIsRefusedOnce)
{
    Start("P16");
    // The program entry titles the application "Brenvik" (the application's own window).
    WindowSearch application(program->ProcessId(), "ClasslibApplication", "Brenvik");
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&application));
    EXPECT_EQ(application.found.size(), 1u);
    ASSERT_TRUE(PollUntil([&] { return HistoryOf(*program).size() >= Refused.size(); }));
    const Finished run = Finish();
    EXPECT_EQ(run.history, Refused);
    EXPECT_EQ(Count(run.trace, "  handshake\n"), 1) << "connected once";
    EXPECT_EQ(Count(run.trace, "  erase "), 0);
    EXPECT_EQ(Count(run.trace, "  write "), 0);
    ASSERT_EQ(run.devices.size(), 1u);
    EXPECT_EQ(run.devices[0].violations, std::vector<std::string>{});
}

// A generic-ARM device (family 30, image base 0) named by its keyword and given a file linked at
// 0x08000000: no byte of it lies inside the device's window, so the file is not loaded (an error
// box names the file and the window) and the upload is refused instead of reporting a success
// that wrote nothing.
TEST_F(CommandLineUpload, AFileWithNothingForTheDeviceIsNotLoaded)
{
    using hextest::Data;
    using hextest::End;
    using hextest::Upper;
    Start("ARM", "",
          "family = 30\nerase_block = 1024\nwrite_block = 64\nboot_start = 0x8000\nflash_size = "
          "0x10000\n"
          "boot_revision = 0x0100\nname = LM3S\n",
          hextest::Lines(
              {Upper(0x0800), Data(0, {0x00, 0x10, 0x00, 0x20, 0x01, 0x01, 0x00, 0x08}), End}));
    HWND box = nullptr;
    ASSERT_TRUE(PollUntil([&] { return (box = DialogOf(*program, "Error")) != nullptr; }))
        << "no error box; history:\n"
        << testing::PrintToString(HistoryOf(*program));
    std::string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty())
            text += TextOf(child);
    EXPECT_EQ(text,
              "HEX file 'app.hex' has no data inside the device's address window "
              "0x00000000-0x00007FFF.\r\n"
              "No data will be loaded.");
    Dismiss(box);
    const Lines expected{"Attach USB HID device or reset if attached.", "Waiting MCU response...",
                         "Connected.", "Error: Load HEX file first."};
    ASSERT_TRUE(PollUntil([&] { return HistoryOf(*program).size() >= expected.size(); }));
    const Finished run = Finish();
    EXPECT_EQ(run.history, expected);
    EXPECT_EQ(Count(run.trace, "  erase "), 0);
    EXPECT_EQ(Count(run.trace, "  write "), 0);
}

// Another HID device arrives a few seconds after the start: the device change that follows
// probes the bootloader again but must not run the upload again.
TEST_F(CommandLineUpload, ARefusedRunIsNotTriedAgainAfterADeviceChange)
{
    constexpr DWORD ArrivalAfterMs = 4000;
    const DWORD started = GetTickCount();
    Start("P16",
          "[device kbd]\nproduct = USB Keyboard\nbootloader = no\nplugged = no\nplug_after = " +
              std::to_string(ArrivalAfterMs) + "\n");
    ASSERT_TRUE(PollUntil([&] { return HistoryOf(*program).size() >= Refused.size(); }));
    // The program shows nothing for that device; the probe it causes is in the trace. Give it
    // time to arrive and be handled before the program is closed.
    Sleep(ArrivalAfterMs + 2000 - std::min<DWORD>(GetTickCount() - started, ArrivalAfterMs));
    const Finished run = Finish();
    EXPECT_EQ(run.history, Refused);
    EXPECT_EQ(Count(run.trace, "  query information\n"), 2)
        << "probed at start and after the device change";
    EXPECT_EQ(Count(run.trace, "  handshake\n"), 1) << "connected once";
}

} // namespace
