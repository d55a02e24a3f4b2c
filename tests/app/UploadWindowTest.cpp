// The upload in the main window against the simulated devices: loading HEX files by drop,
// "Begin uploading" from its preconditions to the result dialogs, stop requests, failures at
// each stage, the overflow questions and closing; each checked by the exact history lines, the
// dialogs shown and the device's flash.
#include "MainWindowFixture.h"

#include "HexRecords.h"

#include <numeric>

using namespace window_test;

namespace {

const std::string Pic18 = "[device boot]\nname = PIC18F4550\n"; // bootloader at 0x7C00, 32 KB

std::vector<std::uint8_t> Pattern(std::size_t length, std::uint8_t seed = 1)
{
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

// The HEX text of `data` at `address`, 16 bytes a record.
std::string HexOf(std::uint16_t address, const std::vector<std::uint8_t>& data)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < data.size(); at += 16) {
        const std::size_t n = std::min<std::size_t>(16, data.size() - at);
        lines.push_back(
            hextest::Data(static_cast<std::uint16_t>(address + at),
                          std::vector<std::uint8_t>(data.begin() + at, data.begin() + at + n)));
    }
    lines.push_back(hextest::End);
    return hextest::Lines(lines);
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

const Lines Connected{Attach, Waiting, ConnectedLine};
const std::string TimeoutLine = "Error: Timeout waiting for MCU.";
const std::string RemovedLine = "Error: Device removed.";

// PIC32MX with the bootloader at the end of its 512 KB program flash.
const std::string Pic32 =
    "[device boot]\nfamily = 20\nname = PIC32MX460F512L\nerase_block = 4096\nwrite_block = 512\n"
    "boot_start = 0x9D07F000\nflash_size = 0x80000\n";

// A PIC32 HEX file: `program` bytes at 0x1D000000 and `boot` bytes at 0x1FC00000.
std::string Pic32Hex(std::size_t program, std::size_t boot)
{
    std::string text;
    auto records = [&](std::uint16_t upper, const std::vector<std::uint8_t>& data) {
        text += hextest::Upper(upper) + "\r\n";
        const std::string body = HexOf(0, data);
        text += body.substr(0, body.size() - hextest::End.size() - 2);
    };
    if (program > 0)
        records(0x1D00, Pattern(program));
    if (boot > 0)
        records(0x1FC0, Pattern(boot, 0x40));
    return text + hextest::End + "\r\n";
}

class UploadWindow : public MainWindow {
protected:
    // Connected to a device of `config` with nothing loaded.
    void StartConnected(const std::string& config)
    {
        Start(config.c_str(), 1);
        ClickConnect();
        ASSERT_TRUE(form->Connected()) << testing::PrintToString(History());
    }

    // Checks the window is idle again: the upload button reads "Begin uploading" and Browse and
    // Connect can be used.
    void ExpectIdle()
    {
        EXPECT_FALSE(form->UploadRunning());
        EXPECT_EQ(form->ButtonStartBootloader->Caption(), "Begin uploading");
        EXPECT_EQ(form->ButtonStartBootloader->Tag(), 0);
        EXPECT_TRUE(form->ButtonConnect->Enabled());
        EXPECT_TRUE(form->ButtonOpenHex->Enabled());
        EXPECT_EQ(form->ProgressBar1->Position(), 0);
        EXPECT_FALSE(form->Timer1->Enabled());
    }
};

TEST_F(UploadWindow, Pic18UploadWritesTheImageWithItsResetVectorRedirected)
{
    const std::vector<std::uint8_t> data = Pattern(100);
    StartConnected(Pic18);
    // A name the open dialog kept from earlier: the result dialog names the file loaded.
    form->OpenDialog1->SetFileName("C:\\earlier\\other.hex");
    const std::string path = DropHex(HexOf(0, data));
    DialogAnswers answers({IDOK});
    ClickUpload();

    EXPECT_EQ(HistoryFrom(3),
              (Lines{"Opened: " + path, "Uploading:", "Flash Erase...", "Flash Write...",
                     "Completed successfully.", Disconnected, ResetLine}));
    EXPECT_EQ(answers.Titles(), Lines{"Success"});
    ASSERT_EQ(answers.seen.size(), 1u);
    // What the emulated task dialog showed: instruction and content (the details stay closed).
    EXPECT_EQ(answers.seen[0].text, "Restarting MCU...\nUploading program completed successfully.");
    EXPECT_EQ(form->AdvTaskDialog1->Title, "Success");
    EXPECT_EQ(form->AdvTaskDialog1->Instruction(), "Restarting MCU...");
    EXPECT_EQ(form->AdvTaskDialog1->Content(), "Uploading program completed successfully.");
    EXPECT_EQ(form->AdvTaskDialog1->ExpandedText(),
              "Uploading program \"" + path + "\" finished with success.");

    // The image's reset vector jumps to the bootloader (GOTO 0x7C00); its own vector is kept in
    // the last four bytes below the bootloader; the rest of the write block reads erased.
    std::vector<std::uint8_t> expected = data;
    std::copy_n(Bytes({0x00, 0xEF, 0x3E, 0xF0}).begin(), 4, expected.begin());
    expected.resize(128, 0xFF);
    EXPECT_EQ(ReadFlash(0, 0, 128), expected);
    std::vector<std::uint8_t> lastBlock(64, 0xFF);
    std::copy_n(data.begin(), 4, lastBlock.end() - 4);
    EXPECT_EQ(ReadFlash(0, 0x7C00 - 64, 64), lastBlock);
    EXPECT_EQ(Violations(0), Lines{});

    // Back to idle, disconnected; the restart makes the device leave without a hint.
    EXPECT_FALSE(form->Connected());
    EXPECT_FALSE(form->UploadRunning());
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
    ExpectIdle();
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    EXPECT_EQ(History().size(), 10u);
}

// ---- loading ----

TEST_F(UploadWindow, BrowseAndDropWhileNotConnectedAreRefused)
{
    Start(Pic18.c_str(), 1);
    const std::string path = files.Write("firmware.hex", HexOf(0, Pattern(16)));
    testsupport::ClickWindow(form->ButtonOpenHex->Handle());
    const HGLOBAL drop = MakeDrop({path});
    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(History(), (Lines{Attach, "Error: Connect first.", "Error: Connect first."}));
    EXPECT_FALSE(form->LoadedFile().Loaded);
    // The drop handle was released although nothing was loaded.
    EXPECT_EQ(GlobalSize(drop), 0u);
}

TEST_F(UploadWindow, DropLoadsTheFirstExistingHexFileOnly)
{
    StartConnected(Pic18);
    const std::string text = files.Write("notes.txt", "text");
    const std::string missing = files.Path() + "\\missing.hex";
    const std::string first = files.Write("first.HEX", HexOf(0, Pattern(16)));
    const std::string second = files.Write("second.hex", HexOf(0, Pattern(32)));
    DropFiles({text, missing, first, second});
    EXPECT_EQ(HistoryFrom(3), Lines{"Opened: " + first});
    EXPECT_EQ(form->LoadedFile().FileName, first);
    EXPECT_TRUE(form->LoadedFile().Loaded);
    EXPECT_EQ(form->LoadedFile().McuType, 2);
    EXPECT_EQ(form->ProgramImage(), Pattern(16));
    EXPECT_EQ((*form->StatusBar1->Panels())[0]->Text(), ": " + first);

    // A drop without any usable file changes nothing and says nothing.
    DropFiles({text, missing});
    EXPECT_EQ(HistoryFrom(3), Lines{"Opened: " + first});
    EXPECT_EQ(form->LoadedFile().FileName, first);
}

TEST_F(UploadWindow, StatusPanelShortensALongPathToFit)
{
    StartConnected(Pic18);
    std::string folder = files.Path();
    for (int i = 0; i < 5; ++i) {
        folder += "\\a-rather-long-folder-name-" + std::to_string(i);
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    const std::string path = folder + "\\firmware.hex";
    std::ofstream(path, std::ios::binary) << HexOf(0, Pattern(16));
    DropFiles({path});
    const std::string shown = (*form->StatusBar1->Panels())[0]->Text();
    EXPECT_EQ(HistoryFrom(3), Lines{"Opened: " + path});
    EXPECT_NE(shown, ": " + path);
    EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    EXPECT_EQ(shown.substr(shown.size() - 13), "\\firmware.hex");
    TCanvas* canvas = form->StatusBar1->Canvas();
    EXPECT_LE(canvas->TextWidth(shown), form->StatusBar1->Width() - canvas->TextWidth("W"));
    DeleteFileA(path.c_str());
    while (folder.size() > files.Path().size()) {
        RemoveDirectoryA(folder.c_str());
        folder.erase(folder.rfind('\\'));
    }
}

struct LoadProblem {
    const char* name;
    std::string config;
    std::string hex;
    std::string title;
    std::string text;
};

void PrintTo(const LoadProblem& c, std::ostream* os)
{
    *os << c.name;
}

class UploadWindowLoadProblem : public UploadWindow,
                                public testing::WithParamInterface<LoadProblem> {};

TEST_P(UploadWindowLoadProblem, ShowsItsBoxAndLoadsNothing)
{
    StartConnected(GetParam().config);
    DialogAnswers answers({IDOK});
    DropHex(GetParam().hex, "bad.hex");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, GetParam().title);
    EXPECT_EQ(answers.seen[0].text, GetParam().text);
    EXPECT_EQ(History(), Connected);
    EXPECT_FALSE(form->LoadedFile().Loaded);
    EXPECT_TRUE(form->ProgramImage().empty());
    EXPECT_EQ((*form->StatusBar1->Panels())[0]->Text(), ": No files opened.");
    ClickUpload();
    EXPECT_EQ(HistoryFrom(3), Lines{"Error: Load HEX file first."});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UploadWindowLoadProblem,
    testing::Values(
        LoadProblem{
            "Checksum", Pic18,
            hextest::Lines({hextest::Data(0, {1, 2, 3, 4}), ":0400100001020304E0", hextest::End}),
            "Warning",
            "CRC check failed. Invalid CRC at line 1 in file 'bad.hex'.\r\nNo data will be "
            "loaded."},
        LoadProblem{
            "BelowTheStm32FlashOffset", "[device boot]\nfamily = 37\nname = STM32F407\n",
            hextest::Lines({hextest::Upper(0x0800), hextest::Data(0, {1, 2}),
                            hextest::Upper(0x0000), hextest::Data(0, {1, 2}), hextest::End}),
            "Error", "Start address of hex input in line '2' violates internal flash offset."},
        LoadProblem{"MalformedRecord", Pic18, hextest::Lines({":0400000001020G0400", hextest::End}),
                    "Error",
                    "Invalid HEX record at line 0 in file 'bad.hex'.\r\nNo data will be loaded."},
        LoadProblem{"NothingInsideTheWindow", Pic18,
                    hextest::Lines({hextest::Data(0x7C00, {1, 2}), hextest::End}), "Error",
                    "HEX file 'bad.hex' has no data inside the device's address window "
                    "0x00000000-0x00007BFF."
                    "\r\nNo data will be loaded."}),
    [](const testing::TestParamInfo<LoadProblem>& info) { return std::string(info.param.name); });

// A generic-ARM device (image base 0) given a file linked at 0x08000000: nothing of it would
// reach the flash, so it is refused with an error box and the file loaded before stays loaded
// and is what an upload then writes.
TEST_F(UploadWindow, FileWithNothingInsideTheWindowLeavesThePreviousFileLoaded)
{
    StartConnected(
        "[device boot]\nfamily = 30\nname = LM3S\nerase_block = 1024\nwrite_block = 64\n"
        "boot_start = 0x8000\nflash_size = 0x10000\n");
    const std::string good = DropHex(HexOf(0, Pattern(0x40)), "good.hex");
    ASSERT_TRUE(form->LoadedFile().Loaded);
    const std::vector<std::uint8_t> image = form->ProgramImage();
    DialogAnswers answers({IDOK, IDOK});
    DropHex(hextest::Lines({hextest::Upper(0x0800), hextest::Data(0, {1, 2, 3, 4}), hextest::End}),
            "stm.hex");
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].title, "Error");
    EXPECT_EQ(answers.seen[0].text,
              "HEX file 'stm.hex' has no data inside the device's address window "
              "0x00000000-0x00007FFF.\r\n"
              "No data will be loaded.");
    EXPECT_EQ(form->LoadedFile().FileName, good);
    EXPECT_TRUE(form->LoadedFile().Loaded);
    EXPECT_EQ(form->LoadedFile().McuType, 30);
    EXPECT_EQ(form->ProgramImage(), image);
    EXPECT_EQ((*form->StatusBar1->Panels())[0]->Text(), ": " + good);
    EXPECT_EQ(HistoryFrom(3), Lines{"Opened: " + good});
    ClickUpload();
    EXPECT_EQ(HistoryFrom(4), (Lines{"Uploading:", "Flash Erase...", "Flash Write...",
                                     "Completed successfully.", Disconnected, ResetLine}));
    const std::vector<std::uint8_t> data = Pattern(0x40);
    EXPECT_EQ(ReadFlash(0, 8, 0x38), std::vector<std::uint8_t>(data.begin() + 8, data.end()));
}

// ---- preconditions and refusals ----

TEST_F(UploadWindow, BeginUploadingNeedsAConnectionAndALoadedFile)
{
    Start(Pic18.c_str(), 1);
    ClickUpload();
    EXPECT_EQ(History(), (Lines{Attach, "Error: Connect first."}));
    ClickConnect();
    const int reports = SimReportsReceived(0);
    ClickUpload();
    EXPECT_EQ(History(), (Lines{Attach, "Error: Connect first.", Waiting, ConnectedLine,
                                "Error: Load HEX file first."}));
    EXPECT_EQ(SimReportsReceived(0), reports);
    ExpectIdle();
    EXPECT_TRUE(form->Connected());
}

TEST_F(UploadWindow, FileLoadedForAnotherFamilyMustBeReloaded)
{
    // The PIC18 bootloader goes and a PIC16 one comes while the PIC18 file stays loaded.
    Start(
        (Pic18 +
         "[device pic16]\nfamily = 1\nname = PIC16F1459\nboot_start = 0x1F00\nflash_size = 0x2000\n"
         "plugged = no\n")
            .c_str(),
        1);
    ClickConnect();
    const std::string path = DropHex(HexOf(0, Pattern(16)));
    ASSERT_TRUE(SimUnplug(0, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    ASSERT_TRUE(SimPlug(1, TRUE));
    ASSERT_TRUE(Pump([&] { return form->AdvGlowButton2->ImageIndex() == 1; }));
    ClickConnect();
    ClickUpload();
    EXPECT_EQ(HistoryFrom(3), (Lines{"Opened: " + path, "Device removed.", Disconnected, Waiting,
                                     ConnectedLine, "Error: Reload HEX file."}));
    ExpectIdle();
}

TEST_F(UploadWindow, PlanThatCannotBeMadeSafelySendsNothing)
{
    // A bootloader off the erase-block grid leaves no block below it to keep the saved vector.
    StartConnected(Pic18 + "boot_start = 0x7C10\n");
    const std::string path = DropHex(HexOf(0, Pattern(100)));
    const int reports = SimReportsReceived(0);
    ClickUpload();
    EXPECT_EQ(HistoryFrom(3), (Lines{"Opened: " + path,
                                     "Error: Upload cannot be planned for this device layout."}));
    EXPECT_EQ(SimReportsReceived(0), reports);
    EXPECT_TRUE(form->Connected());
    ExpectIdle();
}

// ---- overflow questions ----

struct OverflowAnswer {
    const char* name;
    int button;
    Lines dialogs;
    Lines lines; // after "Opened: "
};

void PrintTo(const OverflowAnswer& c, std::ostream* os)
{
    *os << c.name;
}

class UploadWindowOverflow : public UploadWindow,
                             public testing::WithParamInterface<OverflowAnswer> {};

TEST_P(UploadWindowOverflow, QuestionDecidesBeforeAnythingIsErased)
{
    // The image reaches the bootloader at 0x800: its last four bytes would overwrite the saved
    // vector's place.
    const std::string config = Pic18 + "boot_start = 0x800\n";
    const std::vector<std::uint8_t> data = Pattern(0x800);
    StartConnected(config);
    const std::string path = DropHex(HexOf(0, data));
    const int reports = SimReportsReceived(0);
    DialogAnswers answers({GetParam().button, IDOK});
    ClickUpload();
    EXPECT_EQ(answers.Titles(), GetParam().dialogs);
    ASSERT_FALSE(answers.seen.empty());
    EXPECT_EQ(answers.seen[0].text,
              "HEX file contains code over device bootloader area.\r\nThis code will be "
              "ignored.\r\nContinue?");
    Lines expected{"Opened: " + path};
    expected.insert(expected.end(), GetParam().lines.begin(), GetParam().lines.end());
    EXPECT_EQ(HistoryFrom(3), expected);
    ExpectIdle();
    if (GetParam().button == IDNO) {
        EXPECT_EQ(SimReportsReceived(0), reports);
        EXPECT_TRUE(form->Connected());
        return;
    }
    // Yes: everything below the saved vector is written, the vector ends the last block.
    std::vector<std::uint8_t> expectedFlash = data;
    std::copy_n(Bytes({0x00, 0xEF, 0x04, 0xF0}).begin(), 4, expectedFlash.begin()); // GOTO 0x800
    std::copy_n(data.begin(), 4, expectedFlash.end() - 4);
    EXPECT_EQ(ReadFlash(0, 0, 0x800), expectedFlash);
    EXPECT_EQ(Violations(0), Lines{});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UploadWindowOverflow,
    testing::Values(OverflowAnswer{"Yes",
                                   IDYES,
                                   {"Warning", "Success"},
                                   {"Uploading:", "Flash Erase...", "Flash Write...",
                                    "Completed successfully.", Disconnected, ResetLine}},
                    OverflowAnswer{
                        "No", IDNO, {"Warning", "Abort"}, {"Uploading:", "Upload aborted."}}),
    [](const testing::TestParamInfo<OverflowAnswer>& info) {
        return std::string(info.param.name);
    });

// ---- stop requests ----

TEST_F(UploadWindow, StopDuringWritingEndsAfterTheRunAndKeepsTheConnection)
{
    const std::vector<std::uint8_t> data = Pattern(0x1000);
    StartConnected(Pic18 + "program_time = 10\n");
    const std::string path = DropHex(HexOf(0, data));
    int maximum = 0;
    int position = 0;
    When stop(
        [&] { return HistoryHas("Flash Write...") && form->ButtonStartBootloader->Enabled(); },
        [&] {
            maximum = form->ProgressBar1->Max();
            position = form->ProgressBar1->Position();
            EXPECT_EQ(form->ButtonStartBootloader->Caption(), "Stop uploading");
            EXPECT_FALSE(form->ButtonConnect->Enabled());
            EXPECT_FALSE(form->ButtonOpenHex->Enabled());
            ClickUpload();
        });
    DialogAnswers answers({IDOK, IDOK});
    ClickUpload();
    ASSERT_TRUE(stop.fired);
    EXPECT_EQ(maximum, (0x1000 + 64) * 7); // the run and the block below the bootloader, step 7
    // 7 per byte of the chunks sent so far: whole chunks of 64 bytes, at least the first one.
    EXPECT_GE(position, 64 * 7);
    EXPECT_EQ(position % (64 * 7), 0) << position;
    EXPECT_EQ(HistoryFrom(3), (Lines{"Opened: " + path, "Uploading:", "Flash Erase...",
                                     "Flash Write...", "Upload aborted."}));
    EXPECT_EQ(answers.Titles(), Lines{"Abort"});
    EXPECT_EQ(form->AdvTaskDialog1->Title, "Abort");
    EXPECT_EQ(form->AdvTaskDialog1->Instruction(), "User abort...");
    EXPECT_EQ(form->AdvTaskDialog1->Content(), "Uploading program was stopped by user.");
    EXPECT_EQ(form->AdvTaskDialog1->ExpandedText(),
              "Uploading program \"" + path + "\" was stopped by user.");
    ExpectIdle();
    // The whole run was written; the connection stays, so the next upload needs no connect.
    EXPECT_EQ(ReadFlash(0, 4, 0x1000 - 4), std::vector<std::uint8_t>(data.begin() + 4, data.end()));
    EXPECT_TRUE(form->Connected());
    ClickUpload();
    EXPECT_EQ(History().back(), ResetLine);
    EXPECT_TRUE(HistoryHas("Completed successfully."));
    EXPECT_EQ(answers.Titles(), (Lines{"Abort", "Success"}));
    EXPECT_EQ(Violations(0), Lines{});
}

struct StopCase {
    const char* name;
    std::string config;
    std::string hex;
    std::string stopAt; // the history line after which "Stop uploading" is clicked
    Lines lines;        // after "Uploading:"
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class UploadWindowStop : public UploadWindow, public testing::WithParamInterface<StopCase> {};

TEST_P(UploadWindowStop, IsHonouredOnceAfterTheCurrentCommand)
{
    StartConnected(GetParam().config);
    DropHex(GetParam().hex);
    When stop(
        [&] { return HistoryHas(GetParam().stopAt) && form->ButtonStartBootloader->Enabled(); },
        [&] { ClickUpload(); });
    DialogAnswers answers({IDOK});
    ClickUpload();
    ASSERT_TRUE(stop.fired);
    const Lines all = History();
    const auto uploading = std::find(all.begin(), all.end(), "Uploading:");
    ASSERT_NE(uploading, all.end());
    EXPECT_EQ(Lines(uploading + 1, all.end()), GetParam().lines);
    EXPECT_EQ(answers.Titles(), Lines{"Abort"});
    EXPECT_TRUE(form->Connected());
    ExpectIdle();
    EXPECT_EQ(Violations(0), Lines{});
}

INSTANTIATE_TEST_SUITE_P(Stages, UploadWindowStop,
                         testing::Values(
                             // PIC32 program flash can be stopped while it erases.
                             StopCase{"Pic32Erase",
                                      Pic32 + "erase_time = 60\n",
                                      Pic32Hex(0x3000, 16),
                                      "Flash Erase...",
                                      {"Flash Erase...", "Upload aborted."}},
                             StopCase{"Pic32BootWrite",
                                      Pic32 + "program_time = 150\n",
                                      Pic32Hex(0x100, 0x2000),
                                      "Boot Write...",
                                      {"Flash Erase...", "Flash Write...", "Boot Erase...",
                                       "Boot Write...", "Upload aborted."}}),
                         [](const testing::TestParamInfo<StopCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- failures ----

struct FailureCase {
    const char* name;
    std::string config;
    std::string hex;
    Lines lines; // after "Uploading:"
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class UploadWindowFailure : public UploadWindow, public testing::WithParamInterface<FailureCase> {};

TEST_P(UploadWindowFailure, ReportsOnceAndDisconnects)
{
    StartConnected(GetParam().config);
    DropHex(GetParam().hex);
    DialogAnswers answers;
    ClickUpload();
    const Lines all = History();
    const auto uploading = std::find(all.begin(), all.end(), "Uploading:");
    ASSERT_NE(uploading, all.end());
    EXPECT_EQ(Lines(uploading + 1, all.end()), GetParam().lines);
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_FALSE(form->Connected());
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
    ExpectIdle();
}

const std::string Pic18Image = HexOf(0, Pattern(0x200));
const std::string Pic32BootOnly = Pic32Hex(0, 0x1800);

INSTANTIATE_TEST_SUITE_P(
    Stages, UploadWindowFailure,
    testing::Values(
        FailureCase{"TimeoutAtErase",
                    Pic18 + "misbehave = silent erase\n",
                    Pic18Image,
                    {"Flash Erase...", TimeoutLine, Disconnected, ResetLine}},
        FailureCase{"RemovedAtErase",
                    Pic18 + "misbehave = remove erase\n",
                    Pic18Image,
                    {"Flash Erase...", RemovedLine, Disconnected}},
        FailureCase{"TimeoutAtChunk",
                    Pic18 + "misbehave = silent chunk @3\n",
                    Pic18Image,
                    {"Flash Erase...", "Flash Write...", TimeoutLine, Disconnected, ResetLine}},
        FailureCase{"RemovedAtChunk",
                    Pic18 + "misbehave = remove chunk @3\n",
                    Pic18Image,
                    {"Flash Erase...", "Flash Write...", RemovedLine, Disconnected}},
        FailureCase{"TimeoutAtLastBlockErase",
                    Pic18 + "misbehave = silent erase @2\n",
                    Pic18Image,
                    {"Flash Erase...", "Flash Write...", TimeoutLine, Disconnected, ResetLine}},
        FailureCase{"TimeoutAtBootErase",
                    Pic32 + "misbehave = silent erase\n",
                    Pic32BootOnly,
                    {"Boot Erase...", TimeoutLine, Disconnected, ResetLine}},
        FailureCase{"RemovedAtBootChunk",
                    Pic32 + "misbehave = remove chunk @2\n",
                    Pic32BootOnly,
                    {"Boot Erase...", "Boot Write...", RemovedLine, Disconnected}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(UploadWindow, Pic32WithoutProgramDataStillWritesTheBootFlash)
{
    const std::string path = LoadAndUpload(Pic32, Pic32BootOnly);
    EXPECT_EQ(HistoryFrom(3),
              (Lines{"Opened: " + path, "Uploading:", "Boot Erase...", "Boot Write...",
                     "Completed successfully.", Disconnected, ResetLine}));
    EXPECT_EQ(dialogs->Titles(), Lines{"Success"});
    EXPECT_EQ(Violations(0), Lines{});
    // Past the start code, the boot flash holds the file's bytes.
    const std::vector<std::uint8_t> boot = Pattern(0x1800, 0x40);
    EXPECT_EQ(ReadFlash(0, 0x1FC00000 + 0x100, 0x1700),
              std::vector<std::uint8_t>(boot.begin() + 0x100, boot.end()));
}

// An exception inside the upload (here raised by a hook on the message loop the waits pump)
// must not leave the window in "Stop uploading".
class ThrowOnce {
public:
    explicit ThrowOnce(std::function<bool()> when) : when_(std::move(when)) {}
    void OnMessage(MSG&, bool&)
    {
        if (!thrown && when_()) {
            thrown = true;
            throw Exception("Simulated failure");
        }
    }
    bool thrown = false;

private:
    std::function<bool()> when_;
};

TEST_F(UploadWindow, FailureInsideTheUploadIsReportedAndEndsIt)
{
    StartConnected(Pic18 + "program_time = 5\n");
    const std::string path = DropHex(HexOf(0, Pattern(0x400)));
    ThrowOnce hook([&] { return form->UploadRunning() && HistoryHas("Flash Write..."); });
    Application->OnMessage = TMessageEvent(&hook, &ThrowOnce::OnMessage);
    DialogAnswers answers;
    ClickUpload();
    Application->OnMessage = TMessageEvent();
    ASSERT_TRUE(hook.thrown);
    EXPECT_EQ(HistoryFrom(3),
              (Lines{"Opened: " + path, "Uploading:", "Flash Erase...", "Flash Write...",
                     "Error: Upload failed: Simulated failure.", Disconnected, ResetLine}));
    EXPECT_TRUE(answers.seen.empty());
    EXPECT_FALSE(form->Connected());
    ExpectIdle();
}

// ---- erase animation ----

TEST_F(UploadWindow, EraseAnimationRunsWhileErasingOnly)
{
    StartConnected(Pic18 + "erase_time = 5\nprogram_time = 5\n");
    DropHex(HexOf(0, Pattern(0x400))); // 16 blocks in one erase command
    When erasing([&] { return HistoryHas("Flash Erase..."); },
                 [&] {
                     EXPECT_TRUE(form->Timer1->Enabled());
                     EXPECT_EQ(form->Timer1->Interval(), 1000u);
                     EXPECT_EQ(form->ProgressBar1->Max(), 16);
                     // Not to be stopped while it erases.
                     EXPECT_FALSE(form->ButtonStartBootloader->Enabled());
                 });
    When writing([&] { return HistoryHas("Flash Write..."); },
                 [&] {
                     EXPECT_FALSE(form->Timer1->Enabled());
                     EXPECT_EQ(form->ProgressBar1->Max(), (0x400 + 64) * 7);
                 });
    DialogAnswers answers({IDOK});
    ClickUpload();
    EXPECT_TRUE(erasing.fired);
    EXPECT_TRUE(writing.fired);
    EXPECT_TRUE(HistoryHas("Completed successfully."));

    // Each tick moves the bar by a tenth of its maximum (at least 1) and starts over once full.
    struct Ticks {
        int maximum;
        int from;
        std::vector<int> positions;
    };
    const Ticks cases[] = {
        {5, 0, {1, 2, 3, 4, 5, 1}},
        {100, 85, {95, 100, 10}},
    };
    for (const Ticks& c : cases) {
        form->ProgressBar1->SetMax(c.maximum);
        form->ProgressBar1->SetPosition(c.from);
        std::vector<int> seen;
        for (std::size_t i = 0; i < c.positions.size(); ++i) {
            form->Timer1Timer(form->Timer1);
            seen.push_back(form->ProgressBar1->Position());
        }
        EXPECT_EQ(seen, c.positions) << c.maximum;
    }
}

// The bootloader one erase block above address 0: the only block the image needs is the one
// kept for last, so the erase phase counts 0 blocks and sets the bar's maximum to 0, whatever
// the bar held before. Nothing is erased in that phase, so no wait runs inside it: the maximum
// it left is read when the next phase's history line arrives, before that phase sets its own.
struct MaximumAtLine {
    TDovrel* form;
    std::string line;
    int maximum = -1;
    void Changed(TObject*)
    {
        TStrings* lines = form->MemoHistoryWindow->Lines();
        if (maximum < 0 && lines->Count() > 0 && lines->Strings(lines->Count() - 1) == line)
            maximum = form->ProgressBar1->Max();
    }
};

TEST_F(UploadWindow, EraseOfNoBlocksSetsTheProgressMaximumToZero)
{
    StartConnected(Pic18 + "erase_block = 64\nwrite_block = 16\nboot_start = 0x40\n");
    DropHex(HexOf(0, Pattern(16)));
    ASSERT_TRUE(form->LoadedFile().Loaded);
    form->ProgressBar1->SetMax(999);
    form->ProgressBar1->SetPosition(500);
    MaximumAtLine seen{form, "Flash Write..."};
    form->MemoHistoryWindow->OnChange = TNotifyEvent(&seen, &MaximumAtLine::Changed);
    DialogAnswers answers({IDOK});
    ClickUpload();
    form->MemoHistoryWindow->OnChange = TNotifyEvent();
    EXPECT_EQ(HistoryFrom(4), (Lines{"Uploading:", "Flash Erase...", "Flash Write...",
                                     "Completed successfully.", Disconnected, ResetLine}));
    EXPECT_EQ(seen.maximum, 0);
    const std::vector<std::uint8_t> data = Pattern(16);
    EXPECT_EQ(ReadFlash(0, 4, 12), std::vector<std::uint8_t>(data.begin() + 4, data.end()));
}

// ---- while an upload runs ----

TEST_F(UploadWindow, DropDuringTheUploadIsRefused)
{
    StartConnected(Pic18 + "program_time = 10\n");
    const std::string path = DropHex(HexOf(0, Pattern(0x400)));
    const std::string other = files.Write("other.hex", HexOf(0, Pattern(0x20)));
    HGLOBAL drop = nullptr;
    When dropIt([&] { return HistoryHas("Flash Write..."); },
                [&] {
                    drop = MakeDrop({other});
                    SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
                });
    DialogAnswers answers({IDOK});
    ClickUpload();
    ASSERT_TRUE(dropIt.fired);
    EXPECT_EQ(GlobalSize(drop), 0u);
    EXPECT_EQ(HistoryFrom(3),
              (Lines{"Opened: " + path, "Uploading:", "Flash Erase...", "Flash Write...",
                     "Completed successfully.", Disconnected, ResetLine}));
    EXPECT_EQ(form->LoadedFile().FileName, path);
    const std::vector<std::uint8_t> data = Pattern(0x400);
    EXPECT_EQ(ReadFlash(0, 4, 0x3FC), std::vector<std::uint8_t>(data.begin() + 4, data.end()));
}

TEST_F(UploadWindow, CloseWhenFinishedClosesAfterTheSuccessDialog)
{
    Start(Pic18.c_str(), 1);
    form->CheckBoxClose->SetChecked(true);
    ClickConnect();
    DropHex(HexOf(0, Pattern(64)));
    DialogAnswers answers({IDOK});
    ClickUpload();
    EXPECT_EQ(answers.Titles(), Lines{"Success"});
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    // The restart went out with the end of the upload; closing sends none.
    EXPECT_EQ(History().back(), ResetLine);
    EXPECT_FALSE(form->Connected());
    EXPECT_EQ(CommandsReceived(0, 4), 1) << "one restart command (0x0F 0x04), none from closing";
}

TEST_F(UploadWindow, ClosingDuringTheUploadStopsItFirst)
{
    StartConnected(Pic18 + "program_time = 10\n");
    const std::string path = DropHex(HexOf(0, Pattern(0x400)));
    When close([&] { return HistoryHas("Flash Write..."); }, [&] { form->Close(); });
    DialogAnswers answers({IDOK});
    ClickUpload();
    ASSERT_TRUE(close.fired);
    EXPECT_EQ(HistoryFrom(3), (Lines{"Opened: " + path, "Uploading:", "Flash Erase...",
                                     "Flash Write...", "Upload aborted."}));
    EXPECT_EQ(answers.Titles(), Lines{"Abort"});
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    // Closed while connected: the restart command goes out after the upload, not inside a run.
    ASSERT_TRUE(Pump([&] { return !SimIsPlugged(0); }));
    EXPECT_EQ(Violations(0), Lines{});
}

} // namespace
