// The main window against the simulated devices: start-up, probe, connect, disconnect, removals
// and misbehaving devices, each checked by the history lines it writes; and the guards that keep
// one protocol exchange at a time.
#include "MainWindowFixture.h"

#include "GuiTest.h"
#include "windows/Controls.h"
#include "panels/AdvPanelStyler.h"

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

// What the platform reports as the edit height of an owner-drawn combo box whose edit height
// was set to `height` (Wine adds the 3-D border to it).
int PlatformEditHeight(HWND parent, int height)
{
    HWND box = CreateWindowExA(0, "COMBOBOX", "",
                               WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                               0, 153, 200, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    const auto reported =
        static_cast<int>(SendMessageA(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    DestroyWindow(box);
    return reported;
}

TEST_F(MainWindow, LabelsAndCombosCarryTheLayoutsValues)
{
    Start(KeyboardOnly, 1);
    const int editHeight = PlatformEditHeight(form->Handle(), 16);
    for (controls::THTMLComboBox* box : {form->DeviceComboBox, form->MCUComboBox}) {
        SCOPED_TRACE(box->Name());
        EXPECT_FALSE(box->Enabled());
        EXPECT_EQ(box->Style(), csOwnerDrawFixed);
        EXPECT_EQ(box->ButtonWidth(), 19);
        EXPECT_EQ(box->EditHeight(), editHeight);
        EXPECT_EQ(box->DropWidth(), 153);
        EXPECT_EQ(box->DropHeight(), 200);
        EXPECT_EQ(box->ItemIndex(), -1);
        EXPECT_EQ(box->ShadowOffset(), 0);
        EXPECT_EQ(box->ShadowColor(), clBlack);
        EXPECT_FALSE(box->Flat());
        EXPECT_EQ(box->Color(), 0x808080u);
        EXPECT_EQ(box->Font()->Name(), "Tahoma");
    }
    for (const char* name : {"OcLabel1", "OcLabel2", "OcLabel3", "OcLabel5", "fwVerLabel"}) {
        auto* label = dynamic_cast<controls::TOcLabel*>(form->FindComponent(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(label->Transparent()) << name;
        EXPECT_EQ(label->Font()->Color(), 0xB2B2B2u) << name;
        EXPECT_TRUE(label->Font()->Style().Contains(fsBold)) << name;
    }
    EXPECT_EQ(dynamic_cast<controls::TOcLabel*>(form->FindComponent("OcLabel2"))->Font()->Name(),
              "Verdana");
    EXPECT_EQ(form->AdvReflectionLabel1->ReflectionAxis(), -13);
    EXPECT_EQ(form->AdvReflectionLabel1->Font()->Name(), "Impact");
    auto* digit = dynamic_cast<controls::THTMLabel*>(form->FindComponent("HTMLabel1"));
    ASSERT_NE(digit, nullptr);
    EXPECT_EQ(digit->GetDisplayText(), "<B><FONT  size=\"22\" color=\"#5498FF\">1</FONT></B>");
    EXPECT_EQ(digit->Caption(), "");
    EXPECT_EQ(form->HTMLabel3->GetDisplayText(),
              "<B><FONT color=\"#5498FF\">www.tarnwell.example</FONT></B>");
}

// The box around the dark pixels of a combo box's edit field as the screen shows it.
RECT ComboTextInk(controls::THTMLComboBox* box)
{
    RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    HDC dc = GetDC(box->Handle());
    RECT ink{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    for (int y = 3; y < box->ClientHeight() - 3; ++y)
        for (int x = 3; x < box->ClientWidth() - 20; ++x) {
            const COLORREF p = GetPixel(dc, x, y);
            if (GetRValue(p) < 0x40 && GetGValue(p) < 0x40 && GetBValue(p) < 0x40) {
                ink.left = std::min<LONG>(ink.left, x);
                ink.right = std::max<LONG>(ink.right, x + 1);
                ink.top = std::min<LONG>(ink.top, y);
                ink.bottom = std::max<LONG>(ink.bottom, y + 1);
            }
        }
    ReleaseDC(box->Handle(), dc);
    return ink.left == LONG_MAX ? RECT{} : ink;
}

// Every control's parent takes its uniform 0xEDEDED look and its Verdana font from the styler.
TEST_F(MainWindow, TheBackgroundPanelTakesItsLookFromTheStyler)
{
    Start(KeyboardOnly, 1);
    auto* panel = dynamic_cast<panels::TAdvPanel*>(form->FindComponent("AdvPanel1"));
    auto* styler = dynamic_cast<panels::TAdvPanelStyler*>(form->FindComponent("AdvPanelStyler1"));
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(styler, nullptr);
    EXPECT_EQ(panel->Styler(), styler);
    EXPECT_EQ(styler->Style(), panels::psCustom);
    for (TColor c :
         {panel->Color(), panel->ColorTo(), panel->ColorMirror(), panel->ColorMirrorTo()})
        EXPECT_EQ(c, 0xEDEDEDu);
    EXPECT_EQ(panel->BorderWidth(), 0);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_FALSE(panel->Caption()->Visible());
    EXPECT_FALSE(panel->StatusBar()->Visible());
    EXPECT_FALSE(panel->CanSize());
    EXPECT_EQ(panel->Font()->Name(), "Verdana");
}

TEST_F(MainWindow, StartWithABootloaderShowsItsFamilyAndName)
{
    Start(Bootloader, 1);
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->MCUComboBox), "<P align=\"center\">PIC18</P>");
    EXPECT_EQ(Item(form->DeviceComboBox), "<P align=\"center\">PIC18F4550</P>");
    // The disabled combo draws its item through the renderer: dark text, centred, on grey.
    const RECT ink = ComboTextInk(form->DeviceComboBox);
    ASSERT_FALSE(IsRectEmpty(&ink));
    const int middle = (ink.left + ink.right) / 2;
    EXPECT_NEAR(middle, form->DeviceComboBox->ClientWidth() / 2, 12);
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
    for (controls::TAdvGlowButton* step :
         {form->ButtonConnect, form->ButtonOpenHex, form->ButtonStartBootloader}) {
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

    auto* group =
        dynamic_cast<controls::TAdvOfficeRadioGroup*>(form->FindComponent("RadioGroupPICFamily"));
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
    EXPECT_EQ(History(),
              (Lines{Attach, "USB HID device is not in bootloader mode.", "Reset device."}));
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
    EXPECT_EQ(History(),
              (Lines{Attach, "USB HID device is not in bootloader mode.", "Reset device."}));
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

class MainWindowHandshake : public MainWindow,
                            public testing::WithParamInterface<FailedHandshake> {};

TEST_P(MainWindowHandshake, FailedStepReportsOnceAndDisconnects)
{
    const std::string config =
        std::string(Bootloader) + "misbehave = " + GetParam().misbehaviour + "\n";
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
    testing::Values(
        FailedHandshake{
            "SilentClaim", "silent claim", {"Error: Timeout waiting for MCU.", Disconnected}},
        FailedHandshake{"WrongEchoClaim",
                        "wrong_echo claim",
                        {"Error: Timeout waiting for MCU.", Disconnected}},
        FailedHandshake{"SilentHandshake",
                        "silent handshake",
                        {"Error: Timeout waiting for MCU.", Disconnected}},
        FailedHandshake{"WrongEchoHandshake",
                        "wrong_echo handshake",
                        {"Error: Timeout waiting for MCU.", Disconnected}},
        FailedHandshake{
            "LateClaim", "delay claim 1500", {"Error: Timeout waiting for MCU.", Disconnected}},
        // The device goes on the command: its removal is seen inside the wait.
        FailedHandshake{
            "RemovedOnHandshake",
            "remove handshake",
            {"Reset device to reenter bootloader mode.", "Error: Device removed.", Disconnected}}),
    [](const testing::TestParamInfo<FailedHandshake>& info) {
        return std::string(info.param.name);
    });

TEST_F(MainWindow, TwoBootloadersUseTheFirst)
{
    Start("[device first]\nname = FIRST\n[device second]\nname = SECOND\n", 2);
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->DeviceComboBox), "<P align=\"center\">FIRST</P>");
    EXPECT_EQ(SimReportsReceived(1), 0);
    // The second one going away is not the bootloader this window uses.
    ASSERT_TRUE(SimUnplug(1, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 1; }));
    EXPECT_EQ(History(), Lines{Attach});
    EXPECT_EQ(Item(form->DeviceComboBox), "<P align=\"center\">FIRST</P>");
}

TEST_F(MainWindow, DeviceWithoutProductStringIsListedByItsIdentifiers)
{
    Start("[device anon]\nproduct = \nvid = 0x04d8\npid = 0x00AB\nserial = S1\nbootloader = no\n",
          1);
    EXPECT_EQ(form->DeviceList()->Strings(0), "Device VID=04d8 PID=00ab (Serial=S1)");
}

TEST_F(MainWindow, PluggingAnotherDeviceWhileConnectedProbesAgainAndStaysConnected)
{
    Start((std::string(Bootloader) +
           "[device kbd]\nproduct = USB Keyboard\nplugged = no\nbootloader = no\n")
              .c_str(),
          1);
    ClickConnect();
    ASSERT_TRUE(form->Connected());
    const int before = SimReportsReceived(0);
    ASSERT_TRUE(SimPlug(1, TRUE));
    ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == 2; }));
    EXPECT_EQ(SimReportsReceived(0), before + 1); // the information request
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
    EXPECT_EQ(SimReportsReceived(0), 4); // query, claim, handshake, query again
}

TEST_F(MainWindow, ConnectClickWhileConnectingIsIgnored)
{
    Start((std::string(Bootloader) + "misbehave = delay claim 300\n").c_str(), 1);
    OneShot again(100, [this] { ClickConnect(); });
    ClickConnect();
    EXPECT_TRUE(again.fired);
    EXPECT_EQ(History(), (Lines{Attach, Waiting, ConnectedLine}));
    EXPECT_EQ(SimReportsReceived(0), 3); // query, one claim, one handshake
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
    EXPECT_EQ(CommandsReceived(0, 4), 1) << "the restart command (0x0F 0x04)";
    // The window gives its claimed devices back before its controller goes; freeing it sends
    // the device nothing more.
    form->Free();
    form = nullptr;
    EXPECT_EQ(SimReportsReceived(0), before + 1);
    EXPECT_EQ(CommandsReceived(0, 4), 1);
    EXPECT_EQ(Violations(0), Lines{});
}

// `ShowRead` and `DeviceName` are published methods of the window, found by name.
TEST_F(MainWindow, PublishesShowReadAndDeviceName)
{
    for (const char* name : {"ShowRead", "DeviceName", "StatusBar1DrawPanel", "HidCtlEnumerate"})
        EXPECT_NE(TDovrel::StaticClass().MethodAddress(name), nullptr) << name;
    EXPECT_EQ(TDovrel::StaticClass().MethodAddress("ShowDeviceInfo"), nullptr);
}

// The owner-drawn status panel: the bar canvas's current brush fills the rectangle and the
// panel's text is drawn in the colour and face of the bar's font at (left + 2, top + 4).
TEST_F(MainWindow, StatusPanelIsPaintedWithTheBarsFontOnTheCanvasBrush)
{
    Start(KeyboardOnly, 1);
    auto* canvas = dynamic_cast<TControlCanvas*>(form->StatusBar1->Canvas());
    ASSERT_NE(canvas, nullptr);
    auto* panel = (*form->StatusBar1->Panels())[0];
    panel->SetText("|||| ||||");
    form->StatusBar1->Font()->SetColor(static_cast<TColor>(0x0000FF)); // red
    const std::string face = form->StatusBar1->Font()->Name();
    testsupport::Dib dib(200, 40, 0xFFFFFF);
    canvas->BindPaintDC(dib.dc());
    canvas->Font()->SetColor(static_cast<TColor>(0x000000));
    canvas->Font()->SetName("Courier New");
    canvas->Brush()->SetColor(static_cast<TColor>(0x00FF00)); // green
    const RECT rect{20, 5, 180, 35};
    form->StatusBar1DrawPanel(form->StatusBar1, panel, rect);
    EXPECT_EQ(canvas->Font()->Color(), static_cast<TColor>(0x0000FF));
    EXPECT_EQ(canvas->Font()->Name(), face);
    canvas->UnbindPaintDC();

    EXPECT_EQ(dib.Pixel(10, 20), 0xFFFFFFu) << "outside the rectangle";
    EXPECT_EQ(dib.Pixel(178, 33), 0x00FF00u) << "filled with the canvas brush";
    int red = 0, redOutsideText = 0;
    for (int y = 0; y < dib.height(); ++y)
        for (int x = 0; x < dib.width(); ++x)
            if (dib.Pixel(x, y) == 0xFF0000u) {
                ++red;
                redOutsideText +=
                    x < rect.left + 2 || y < rect.top + 4 || x >= rect.right || y >= rect.bottom;
            }
    EXPECT_GT(red, 0) << "the text in the bar font's colour";
    EXPECT_EQ(redOutsideText, 0)
        << "the text starts at (left + 2, top + 4), clipped to the rectangle";
}

} // namespace
