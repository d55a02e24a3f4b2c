// The upload in the main window against the simulated devices: loading HEX files by drop,
// "Begin uploading" from its preconditions to the result dialogs, stop requests, failures at
// each stage, the overflow questions and closing; each checked by the exact history lines, the
// dialogs shown and the device's flash.
#include "MainWindowFixture.h"

#include "HexRecords.h"

#include <numeric>

using namespace window_test;

namespace {

const std::string Pic18 = "[device boot]\nname = PIC18F4550\n";  // bootloader at 0x7C00, 32 KB

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
        lines.push_back(hextest::Data(static_cast<std::uint16_t>(address + at),
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

class UploadWindow : public MainWindow {};

TEST_F(UploadWindow, Pic18UploadWritesTheImageWithItsResetVectorRedirected)
{
    const std::vector<std::uint8_t> data = Pattern(100);
    const std::string path = LoadAndUpload(Pic18, HexOf(0, data));

    EXPECT_EQ(HistoryFrom(3), (Lines{"Opened: " + path, "Uploading:", "Flash Erase...", "Flash Write...",
                                     "Completed successfully.", Disconnected, ResetLine}));
    EXPECT_EQ(dialogs->Titles(), Lines{"Success"});
    EXPECT_EQ(form->AdvTaskDialog1->Title, "Success");
    EXPECT_EQ(form->AdvTaskDialog1->Instruction(), "Restarting MCU...");
    EXPECT_EQ(form->AdvTaskDialog1->Content(), "Uploading program completed successfully.");
    EXPECT_EQ(form->AdvTaskDialog1->ExpandedText(), "Uploading program \"" + path + "\" finished with success.");

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
    EXPECT_EQ(form->ButtonStartBootloader->Caption(), "Begin uploading");
    EXPECT_EQ(form->ButtonStartBootloader->Tag(), 0);
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
    EXPECT_TRUE(form->ButtonConnect->Enabled());
    EXPECT_TRUE(form->ButtonOpenHex->Enabled());
    EXPECT_EQ(form->ProgressBar1->Position(), 0);
    EXPECT_FALSE(form->Timer1->Enabled());
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    EXPECT_EQ(History().size(), 10u);
}

} // namespace
