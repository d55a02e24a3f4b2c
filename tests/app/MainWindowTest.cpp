// The main window against the simulated devices: start-up, probe, connect, disconnect, removals
// and misbehaving devices, each checked by the history lines it writes; and the guards that keep
// one protocol exchange at a time.
#include "MainWindowFixture.h"

using namespace window_test;

namespace {

const char Bootloader[] = "[device boot]\nname = PIC18F4550\nboot_revision = 0x0102\n";
const char KeyboardOnly[] = "[device kbd]\nproduct = USB Keyboard\nbootloader = no\n";

TEST_F(MainWindow, StartsCollapsedWithVersionCaptionAndTheFirstHistoryLine)
{
    Start(KeyboardOnly, 1);
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(form->Caption(), "Tarnwell USB HID Bootloader v" BRENVIK_TEST_FILE_VERSION);
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, 489);
    EXPECT_EQ(form->StatusBar1->Panels()->Count(), 1);
    EXPECT_EQ((*form->StatusBar1->Panels())[0]->Text(), ": No files opened.");
    EXPECT_TRUE(form->fwVerLabel->Visible());
    EXPECT_EQ(form->fwVerLabel->Caption(), "");
    EXPECT_FALSE(form->AdvReflectionLabel1->Visible());
    EXPECT_EQ(form->AdvGroupBoxes[0]->BorderStyle(), controls::TGroupBoxBorderStyle::bsNone);
    EXPECT_EQ(form->AdvGlowButton2->ImageIndex(), 0);
    EXPECT_EQ(form->CurrentDevice(), nullptr);
}

TEST_F(MainWindow, StartWithABootloaderShowsItsFamilyAndName)
{
    Start(Bootloader, 1);
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->MCUComboBox), app::CenteredComboItem(app::FindFamily(2)->text));
    EXPECT_EQ(Item(form->DeviceComboBox), app::CenteredComboItem("PIC18F4550"));
    EXPECT_EQ(form->AdvGlowButton2->ImageIndex(), 1);
    EXPECT_EQ(form->SharedBuffer().Size(), 64u);
    EXPECT_EQ(form->DeviceList()->Strings(0), "USB HID Bootloader");
}

// The link indicator's picture as the screen shows it: the centre pixel of the 24 x 24 image
// drawn in the middle of the button.
uint32_t IndicatorCentre(controls::TAdvGlowButton* button)
{
    RedrawWindow(button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(button->Handle());
    const COLORREF pixel = GetPixel(dc, button->Width() / 2, button->Height() / 2);
    ReleaseDC(button->Handle(), dc);
    return (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
}

// The layout's ImageList1 holds the two indicator images: a grey disc (no bootloader) and a
// green one (bootloader present), which the disabled indicator shows.
TEST_F(MainWindow, LinkIndicatorShowsTheImageListsPictureOfTheLinkState)
{
    Start(Bootloader, 1);
    auto* images = dynamic_cast<classlib::TImageList*>(form->FindComponent("ImageList1"));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->Count(), 2);
    EXPECT_EQ(images->Width(), 24);
    EXPECT_EQ(form->AdvGlowButton2->DisabledImages(), images);
    ASSERT_EQ(form->AdvGlowButton2->ImageIndex(), 1);
    EXPECT_EQ(IndicatorCentre(form->AdvGlowButton2), 0x2EB84Au);
    form->AdvGlowButton2->SetImageIndex(0);
    EXPECT_EQ(IndicatorCentre(form->AdvGlowButton2), 0xC0C0C0u);
}

TEST_F(MainWindow, StepButtonsCheckBoxAndRadioGroupLoadWithTheLayoutsProperties)
{
    Start(KeyboardOnly, 1);
    for (controls::TAdvGlowButton* step : {form->ButtonConnect, form->ButtonOpenHex, form->ButtonStartBootloader}) {
        SCOPED_TRACE(step->Name());
        EXPECT_EQ(step->Spacing(), 3);
        EXPECT_TRUE(step->TabStop());
        EXPECT_EQ(step->Appearance()->ColorHot(), 0xF5F0E1);
        EXPECT_EQ(step->Appearance()->ColorMirrorDisabled(), 0xB6B6B6);
    }
    EXPECT_EQ(form->ButtonOpenHex->Caption(), "Browse      for HEX");
    EXPECT_TRUE(form->ButtonStartBootloader->WordWrap());
    EXPECT_FALSE(form->AdvGlowButton1->Visible());
    EXPECT_EQ(form->AdvGlowButton2->Appearance()->ColorDisabled(), 0xFFFFFF);
    EXPECT_EQ(form->AdvGlowButton2->Appearance()->BorderColorDisabled(), 0xC0C0C0);
    EXPECT_FALSE(form->AdvGlowButton2->Enabled());

    EXPECT_EQ(form->CheckBoxClose->Caption(), "Close when finished");
    EXPECT_EQ(form->CheckBoxClose->Width(), 156);
    EXPECT_EQ(form->CheckBoxClose->Height(), 19);
    EXPECT_EQ(form->CheckBoxClose->Alignment(), taRightJustify);
    EXPECT_TRUE(form->CheckBoxClose->TabStop());
    EXPECT_FALSE(form->CheckBoxClose->ReturnIsTab());

    auto* group = dynamic_cast<controls::TAdvOfficeRadioGroup*>(form->FindComponent("RadioGroupPICFamily"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Width(), 132);
    EXPECT_EQ(group->Height(), 52);
    EXPECT_TRUE(group->RoundEdges());
    EXPECT_EQ(group->Columns(), 2);
    ASSERT_EQ(group->ButtonCount(), 4);
    EXPECT_EQ(group->Buttons(3)->Caption(), "dsPIC");
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_TRUE(group->Buttons(0)->Checked());
    EXPECT_TRUE(form->Panel1->RoundEdges());
}

TEST_F(MainWindow, ConnectWithoutABootloader)
{
    Start(KeyboardOnly, 1);
    ClickConnect();
    EXPECT_EQ(History(), (Lines{Attach, "Unable to find device: USB HID Bootloader."}));
    EXPECT_FALSE(form->Connected());
}

TEST_F(MainWindow, ConnectAndDisconnect)
{
    Start(Bootloader, 1);
    ClickConnect();
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine}));
    EXPECT_TRUE(form->Connected());
    EXPECT_EQ(form->ButtonConnect->Caption(), "Disconnect");
    EXPECT_EQ(form->fwVerLabel->Caption(), "Version: 0102");
    EXPECT_TRUE(form->ButtonStartBootloader->Enabled());

    ClickConnect();
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
    EXPECT_EQ(form->fwVerLabel->Caption(), "");
    // The restart command makes the device leave; that removal adds no hint.
    ASSERT_TRUE(Pump([&] { return form->AdvGlowButton2->ImageIndex() == 0; }));
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine, Disconnected, ResetLine}));
    EXPECT_EQ(form->CurrentDevice(), nullptr);
    EXPECT_EQ(form->DeviceList()->Count(), 0);
}

TEST_F(MainWindow, RemovalWhileIdleAsksToReenterTheBootloader)
{
    Start(Bootloader, 1);
    ASSERT_TRUE(SimUnplug(0, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    EXPECT_EQ(History(), (Lines{Attach, "Reset device to reenter bootloader mode."}));
    EXPECT_EQ(form->MCUComboBox->Items()->Count(), 0);
    EXPECT_EQ(form->DeviceComboBox->Items()->Count(), 0);
    EXPECT_EQ(form->AdvGlowButton2->ImageIndex(), 0);
    EXPECT_EQ(form->CurrentDevice(), nullptr);
}

TEST_F(MainWindow, RemovalWhileConnectedDisconnects)
{
    Start(Bootloader, 1);
    ClickConnect();
    ASSERT_TRUE(SimUnplug(0, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine, "Device removed.", Disconnected}));
    EXPECT_FALSE(form->Connected());
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
}

TEST_F(MainWindow, DeviceThatDoesNotAnswerTheProbeIsNotUsed)
{
    Start("[device boot]\nbootloader = no\n", 1);
    EXPECT_EQ(History(), (Lines{Attach, "USB HID device is not in bootloader mode.", "Reset device."}));
    EXPECT_EQ(form->CurrentDevice(), nullptr);
    EXPECT_EQ(form->AdvGlowButton2->ImageIndex(), 0);
    // The failed probe explains itself: the removal that follows is silent.
    ASSERT_TRUE(SimUnplug(0, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 0; }));
    EXPECT_EQ(History().size(), 3u);
}

TEST_F(MainWindow, RecordWithUnusableBlockSizesCountsAsNotInBootloaderMode)
{
    Start("[device boot]\nerase_block = 32\n", 1);
    EXPECT_EQ(History(), (Lines{Attach, "USB HID device is not in bootloader mode.", "Reset device."}));
    EXPECT_EQ(form->SharedBuffer().Size(), 64u);
}

struct FailedHandshake {
    const char* name;
    const char* misbehaviour;
    Lines lines;
};

void PrintTo(const FailedHandshake& c, std::ostream* os)
{
    *os << c.name;
}

class MainWindowHandshake : public MainWindow, public testing::WithParamInterface<FailedHandshake> {};

TEST_P(MainWindowHandshake, FailedStepReportsOnceAndDisconnects)
{
    const std::string config = std::string(Bootloader) + "misbehave = " + GetParam().misbehaviour + "\n";
    Start(config.c_str(), 1);
    ClickConnect();
    Lines expected{Attach, Waiting};
    expected.insert(expected.end(), GetParam().lines.begin(), GetParam().lines.end());
    EXPECT_EQ(History(), expected);
    EXPECT_FALSE(form->Connected());
    EXPECT_EQ(form->ButtonConnect->Caption(), "Connect");
    EXPECT_TRUE(form->ButtonStartBootloader->Enabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MainWindowHandshake,
    testing::Values(FailedHandshake{"SilentClaim", "silent claim", {"Error: Timeout waiting for MCU.", Disconnected}},
                    FailedHandshake{"WrongEchoClaim", "wrong_echo claim", {"Error: Timeout waiting for MCU.", Disconnected}},
                    FailedHandshake{"SilentHandshake", "silent handshake", {"Error: Timeout waiting for MCU.", Disconnected}},
                    FailedHandshake{"WrongEchoHandshake", "wrong_echo handshake", {"Error: Timeout waiting for MCU.", Disconnected}},
                    FailedHandshake{"LateClaim", "delay claim 1500", {"Error: Timeout waiting for MCU.", Disconnected}},
                    // The device goes on the command: its removal is seen inside the wait.
                    FailedHandshake{"RemovedOnHandshake", "remove handshake",
                                    {"Reset device to reenter bootloader mode.", "Error: Device removed.",
                                     Disconnected}}),
    [](const testing::TestParamInfo<FailedHandshake>& info) { return std::string(info.param.name); });

TEST_F(MainWindow, TwoBootloadersUseTheFirst)
{
    Start("[device first]\nname = FIRST\n[device second]\nname = SECOND\n", 2);
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->DeviceComboBox), app::CenteredComboItem("FIRST"));
    EXPECT_EQ(SimReportsReceived(1), 0);
    // The second one going away is not the bootloader this window uses.
    ASSERT_TRUE(SimUnplug(1, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 1; }));
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->DeviceComboBox), app::CenteredComboItem("FIRST"));
}

TEST_F(MainWindow, DeviceWithoutProductStringIsListedByItsIdentifiers)
{
    Start("[device anon]\nproduct = \nvid = 0x04d8\npid = 0x00AB\nserial = S1\nbootloader = no\n", 1);
    EXPECT_EQ(form->DeviceList()->Strings(0), "Device VID=04d8 PID=00ab (Serial=S1)");
}

TEST_F(MainWindow, PluggingAnotherDeviceWhileConnectedProbesAgainAndStaysConnected)
{
    Start((std::string(Bootloader) + "[device kbd]\nproduct = USB Keyboard\nplugged = no\nbootloader = no\n").c_str(),
          1);
    ClickConnect();
    ASSERT_TRUE(form->Connected());
    const int before = SimReportsReceived(0);
    ASSERT_TRUE(SimPlug(1, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 2; }));
    EXPECT_EQ(SimReportsReceived(0), before + 1);  // the information request
    EXPECT_TRUE(form->Connected());
    EXPECT_NE(form->CurrentDevice(), nullptr);
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine}));
}

// A device change while the handshake waits is handled after it: the device the exchange uses
// stays claimed, and the list is rebuilt (with a fresh probe) once the exchange is over.
TEST_F(MainWindow, DeviceChangeDuringTheHandshakeWaitsForItsEnd)
{
    Start((std::string(Bootloader) + "misbehave = delay claim 300\n" +
           "[device kbd]\nproduct = USB Keyboard\nplugged = no\nbootloader = no\n")
              .c_str(),
          1);
    OneShot plug(100, [] { SimPlug(1, TRUE); });
    ClickConnect();
    EXPECT_TRUE(plug.fired);
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine}));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 2; }));
    EXPECT_TRUE(form->Connected());
    EXPECT_NE(form->CurrentDevice(), nullptr);
    EXPECT_EQ(SimReportsReceived(0), 4);  // query, claim, handshake, query again
}

TEST_F(MainWindow, ConnectClickWhileConnectingIsIgnored)
{
    Start((std::string(Bootloader) + "misbehave = delay claim 300\n").c_str(), 1);
    OneShot again(100, [this] { ClickConnect(); });
    ClickConnect();
    EXPECT_TRUE(again.fired);
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine}));
    EXPECT_EQ(SimReportsReceived(0), 3);  // query, one claim, one handshake
    EXPECT_TRUE(form->Connected());
}

TEST_F(MainWindow, ClosingWhileConnectedSendsTheRestartCommand)
{
    Start(Bootloader, 1);
    ClickConnect();
    ASSERT_TRUE(form->Connected());
    const int before = SimReportsReceived(0);
    form->Close();
    EXPECT_TRUE(Pump([&] { return SimReportsReceived(0) == before + 1; }));
    // The window gives its claimed devices back before its controller goes.
    form->Free();
    form = nullptr;
}

} // namespace
