// The settings components on the live main window: closing it writes its controls' current
// values into its settings file (the test's own, see MainWindowFixture.h), the family combo's
// selection included once a device is connected.
#include "FileBytes.h"
#include "MainWindowFixture.h"

using namespace window_test;
using testsupport::ReadBytes;

namespace {

const char Bootloader[] = "[device boot]\nname = PIC18F4550\nboot_revision = 0x0102\n";

using SettingsWindow = MainWindow;

} // namespace

TEST_F(SettingsWindow, ClosingWritesTheControlsValues)
{
    Start(Bootloader, 1);
    ClickConnect();
    ASSERT_TRUE(form->Connected());
    ASSERT_EQ(form->MCUComboBox->ItemIndex(), 0);
    form->CheckBoxClose->SetChecked(true);
    form->OpenDialog1->SetInitialDir("Z:\\fw");
    form->OpenDialog1->SetFileName("Z:\\fw\\blink.hex");
    form->Close();
    form->Free();
    form = nullptr;
    const std::string text = ReadBytes(settingsFile);
    for (const char* line :
         {"\r\nCheckBoxClose_Checked=TRUE\r\n", "\r\nOpenDialog1_InitialDir=Z:\\fw\r\n",
          "\r\nOpenDialog1_FileName=Z:\\fw\\blink.hex\r\n", "\r\nMCUComboBox_ItemIndex=0\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
}
