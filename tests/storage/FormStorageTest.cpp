// The settings components on a form read from a layout, as the main window declares them:
// placement and four properties survive closing and reopening, the file has the documented
// layout, and damaged files neither fail nor move the window off the screen.
#include "OcAppIniFileStorage.h"
#include "OcFormStorage.h"

#include "FileBytes.h"

#include "core/FormText.h"
#include "core/Streams.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/StdCtrls.h"

#include <gtest/gtest.h>

#include "GuiTest.h"

#include <windows.h>

#include <fstream>
#include <sstream>

using namespace classlib;
using testsupport::PumpUntil;
using namespace storage;
using testsupport::ReadBytes;

namespace {

class TSettingsForm : public TForm {
    CLASSLIB_CLASS(TSettingsForm, TForm)
    explicit TSettingsForm(TComponent* owner) : TForm(owner) {}
    std::vector<std::string> log;
    bool allowClose = true;
    void FormShow(TObject*) { log.push_back("show"); }
    void FormCloseQuery(TObject*, bool& canClose)
    {
        log.push_back("closequery");
        canClose = allowClose;
    }
    void FormClose(TObject*, TCloseAction& action) { action = caHide; }
    void FormDestroy(TObject*) { log.push_back("destroy"); }
};

CLASSLIB_PUBLISH(TSettingsForm)
{
    c.Method("FormShow", &TSettingsForm::FormShow);
    c.Method("FormCloseQuery", &TSettingsForm::FormCloseQuery);
    c.Method("FormClose", &TSettingsForm::FormClose);
    c.Method("FormDestroy", &TSettingsForm::FormDestroy);
}

// The main window's settings components, with a file name of the test's own. Its boolean
// word lists are the defaults, so a layout does not repeat them.
std::string Layout(const std::string& fileName)
{
    return R"(object Dovrel: TSettingsForm
  Left = 100
  Top = 80
  Caption = 'Settings'
  ClientHeight = 200
  ClientWidth = 300
  PixelsPerInch = 96
  OnShow = FormShow
  OnCloseQuery = FormCloseQuery
  OnClose = FormClose
  OnDestroy = FormDestroy
  object CheckBoxClose: TCheckBox
    Left = 8
    Top = 8
    Width = 150
    Caption = 'Close when finished'
    TabOrder = 0
  end
  object MCUComboBox: TComboBox
    Left = 8
    Top = 40
    Width = 150
    Height = 21
    Style = csDropDownList
    Items.Strings = (
      'PIC18'
      'PIC32'
      'STM32')
    TabOrder = 1
  end
  object OpenDialog1: TOpenDialog
    DefaultExt = '*.hex'
    Filter = 'HEX files|*.hex'
  end
  object FormStorage: TOcFormStorage
    AppStorage = IniFileStorage
    AppStoragePath = 'frmDovrel\'
    StoredProps.Strings = (
      'CheckBoxClose.Checked'
      'OpenDialog1.InitialDir'
      'OpenDialog1.FileName'
      'MCUComboBox.ItemIndex'
      'Missing.Checked')
  end
  object IniFileStorage: TOcAppIniFileStorage
    FileName = ')" + fileName + R"('
  end
end
)";
}

struct FormStorageTest : ::testing::Test {
    FormStorageTest()
    {
        RegisterFormClasses();
        RegisterStandardClasses();
        RegisterClasses({&TSettingsForm::StaticClass(), &TOpenDialog::StaticClass()});
        RegisterStorageClasses();
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        fileName = std::string("FormStorage-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        fullName = ExtractFilePath(exe) + fileName;
        DeleteFileA(fullName.c_str());
        Application->OnException = TExceptionEvent(this, &FormStorageTest::Record);
    }
    ~FormStorageTest() override
    {
        Application->OnException = nullptr;
        SetFileAttributesA(fullName.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(fullName.c_str());
    }
    void Record(TObject*, Exception* e) { exceptions.push_back(e->Message()); }

    TSettingsForm* Open()
    {
        auto* form = new TSettingsForm(nullptr);
        TStringStream stream(ObjectTextToBinary(Layout(fileName)));
        form->LoadLayoutFromStream(stream);
        return form;
    }
    void ShowAndWait(TSettingsForm* form)
    {
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form->Handle()) != FALSE; }));
    }
    template <class T>
    T* Find(TComponent* form, const char* name)
    {
        return dynamic_cast<T*>(form->FindComponent(name));
    }
    std::string fileName;
    std::string fullName;
    std::vector<std::string> exceptions;
};

} // namespace

TEST_F(FormStorageTest, PlacementAndPropertiesSurviveARestartInTheDocumentedFormat)
{
    TSettingsForm* form = Open();
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(storage->StoredProps()->Count(), 4); // the missing component's line is dropped
    ShowAndWait(form);
    EXPECT_EQ(form->log, std::vector<std::string>{"show"}); // the form's own handler still runs

    form->SetBounds(140, 110, 330, 250);
    Find<TCheckBox>(form, "CheckBoxClose")->SetChecked(true);
    Find<TComboBox>(form, "MCUComboBox")->SetItemIndex(2);
    Find<TOpenDialog>(form, "OpenDialog1")->SetInitialDir("Z:\\fw");
    Find<TOpenDialog>(form, "OpenDialog1")->SetFileName("Z:\\fw\\blink.hex");
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    form->Close();
    GetWindowPlacement(form->Handle(), &wp);
    EXPECT_EQ(form->log, (std::vector<std::string>{"show", "closequery"}));
    form->Free();
    ASSERT_TRUE(exceptions.empty()) << exceptions[0];

    const std::string suffix = Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    const std::string minMax = Format("%d,%d,%d,%d", {static_cast<int>(wp.ptMinPosition.x),
                                                      static_cast<int>(wp.ptMinPosition.y),
                                                      static_cast<int>(wp.ptMaxPosition.x),
                                                      static_cast<int>(wp.ptMaxPosition.y)});
    const std::string norm = "140,110,470,360";
    const std::string expected = "[frmDovrel]\r\nFormVersion=0\r\nShowCmd=" + IntToStr(wp.showCmd) + "\r\nFlags=" +
                                 IntToStr(wp.flags) + "\r\nPixelsPerInch=96\r\nMinMaxPos" + suffix + "=" + minMax +
                                 "\r\nMinMaxPos=" + minMax + "\r\nNormPos" + suffix + "=" + norm + "\r\nNormPos=" + norm +
                                 "\r\nCheckBoxClose_Checked=TRUE\r\nOpenDialog1_InitialDir=Z:\\fw\r\n"
                                 "OpenDialog1_FileName=Z:\\fw\\blink.hex\r\nMCUComboBox_ItemIndex=2\r\n\r\n";
    EXPECT_EQ(ReadBytes(fullName), expected);

    // Windows' own INI reader gets the same values.
    char value[256];
    GetPrivateProfileStringA("frmDovrel", "NormPos", "", value, sizeof value, fullName.c_str());
    EXPECT_EQ(std::string(value), norm);
    GetPrivateProfileStringA("frmDovrel", "CheckBoxClose_Checked", "", value, sizeof value, fullName.c_str());
    EXPECT_STREQ(value, "TRUE");

    // Started again: everything comes back.
    form = Open();
    EXPECT_FALSE(Find<TCheckBox>(form, "CheckBoxClose")->Checked());
    ShowAndWait(form);
    EXPECT_EQ(form->Left(), 140);
    EXPECT_EQ(form->Top(), 110);
    EXPECT_EQ(form->Width(), 330);
    EXPECT_EQ(form->Height(), 250);
    EXPECT_TRUE(Find<TCheckBox>(form, "CheckBoxClose")->Checked());
    EXPECT_EQ(Find<TComboBox>(form, "MCUComboBox")->ItemIndex(), 2);
    EXPECT_EQ(Find<TOpenDialog>(form, "OpenDialog1")->InitialDir(), "Z:\\fw");
    EXPECT_EQ(Find<TOpenDialog>(form, "OpenDialog1")->FileName(), "Z:\\fw\\blink.hex");
    form->Free();
    EXPECT_EQ(ReadBytes(fullName), expected); // unchanged values, unchanged bytes
}

TEST_F(FormStorageTest, DamagedFileNeitherFailsNorMovesTheWindowOffScreen)
{
    const std::string suffix = Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    std::ofstream(fullName, std::ios::binary)
        << "[frmDovrel]\rFormVersion=zero\n"
           "ShowCmd=zz\r\nFlags=99999999999999999\r\n"
           "PixelsPerInch=96\r\n"
           "NormPos" + suffix + "=-30000,-30000,-29000,-29000\r\n"
           "NormPos=abc,def\r\nMinMaxPos=1,2\r\n"
           "CheckBoxClose_Checked=perhaps\r\nMCUComboBox_ItemIndex=12abc\r\n"
           "  OpenDialog1_InitialDir  =  C:\\kept  \r\nUnknownKey=1\r\n";
    TSettingsForm* form = Open();
    ShowAndWait(form);
    EXPECT_TRUE(exceptions.empty()) << exceptions[0];
    EXPECT_EQ(form->Left(), 100);
    EXPECT_EQ(form->Top(), 80);
    EXPECT_FALSE(Find<TCheckBox>(form, "CheckBoxClose")->Checked());
    EXPECT_EQ(Find<TComboBox>(form, "MCUComboBox")->ItemIndex(), -1);
    EXPECT_EQ(Find<TOpenDialog>(form, "OpenDialog1")->InitialDir(), "C:\\kept");

    // A plain key with only two numbers: left and top move, the size stays.
    form->Free();
    std::ofstream(fullName, std::ios::binary) << "[frmDovrel]\r\nPixelsPerInch=96\r\nNormPos=200,150\r\n";
    form = Open();
    const int width = form->Width();
    ShowAndWait(form);
    EXPECT_EQ(form->Left(), 200);
    EXPECT_EQ(form->Top(), 150);
    EXPECT_EQ(form->Width(), width);
    form->Free();
}

TEST_F(FormStorageTest, FormWhoseLoadingFailsLeavesTheFileAlone)
{
    // The loading fails after the storage exists but before it has read its file.
    const std::string original = "[frmDovrel]\r\nCheckBoxClose_Checked=TRUE\r\n";
    testsupport::WriteBytes(fullName, original);
    std::string layout = Layout(fileName);
    layout.insert(layout.rfind("end"), "  object Broken: TNoSuchComponentClass\n  end\n");
    auto* form = new TSettingsForm(nullptr);
    TStringStream stream(ObjectTextToBinary(layout));
    EXPECT_ANY_THROW(form->LoadLayoutFromStream(stream));
    form->Free();
    EXPECT_EQ(ReadBytes(fullName), original);
}

TEST_F(FormStorageTest, RefusedCloseSavesNothingAndUnshownFormWritesOnlyTheVersion)
{
    TSettingsForm* form = Open();
    form->Free(); // never shown
    EXPECT_EQ(ReadBytes(fullName), "[frmDovrel]\r\nFormVersion=0\r\n\r\n");

    form = Open();
    ShowAndWait(form);
    form->allowClose = false;
    Find<TCheckBox>(form, "CheckBoxClose")->SetChecked(true);
    form->Close();
    EXPECT_FALSE(Find<TOcFormStorage>(form, "FormStorage")->Saved());
    form->allowClose = true;
    form->Close();
    EXPECT_TRUE(Find<TOcFormStorage>(form, "FormStorage")->Saved());
    form->Free();
    EXPECT_NE(ReadBytes(fullName).find("CheckBoxClose_Checked=TRUE\r\n"), std::string::npos);
}

TEST_F(FormStorageTest, ReadOnlyFileIsLeftByteIdentical)
{
    const std::string original = "[frmDovrel]\r\nCheckBoxClose_Checked=yes\r\n";
    std::ofstream(fullName, std::ios::binary) << original;
    SetFileAttributesA(fullName.c_str(), FILE_ATTRIBUTE_READONLY);
    TSettingsForm* form = Open();
    ShowAndWait(form);
    EXPECT_TRUE(Find<TCheckBox>(form, "CheckBoxClose")->Checked());
    form->SetBounds(10, 10, 300, 300);
    form->Close();
    form->Free();
    EXPECT_EQ(ReadBytes(fullName), original);
}

TEST_F(FormStorageTest, MinMaxInfoReachesTheWindowThroughTheHook)
{
    TSettingsForm* form = Open();
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    ShowAndWait(form);
    storage->MinMaxInfo()->SetMinTrackWidth(280);
    storage->MinMaxInfo()->SetMaxTrackHeight(500);
    MINMAXINFO info{};
    info.ptMaxTrackSize = {4000, 4000};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 280);
    EXPECT_EQ(info.ptMaxTrackSize.y, 500);
    EXPECT_EQ(info.ptMaxTrackSize.x, 4000);

    // Back to defaults: the hook goes and the form's own procedure is alone again.
    storage->MinMaxInfo()->SetMinTrackWidth(0);
    storage->MinMaxInfo()->SetMaxTrackHeight(0);
    ASSERT_NE(WndProcHook()->Find(form), nullptr);
    EXPECT_FALSE(WndProcHook()->Find(form)->Hooked());
    info = MINMAXINFO{};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_NE(info.ptMinTrackSize.x, 280);
    form->Free();
    EXPECT_EQ(WndProcHook()->Find(form), nullptr); // forgotten with the form
    EXPECT_TRUE(PumpUntil([] { return ReleaserInstance()->Waiting() == 0; }));
}

TEST_F(FormStorageTest, HookedControlFreedInsideItsHookIsReleasedAfterTheMessage)
{
    auto* form = new TForm(nullptr);
    form->HandleNeeded();
    struct Killer {
        TForm* form;
        bool Hook(TMessage& m)
        {
            if (m.Msg == WM_USER + 7)
                form->Free();
            return false;
        }
    } killer{form};
    ASSERT_TRUE(AddWindowProcHook(form, hoBeforeMsg, TOcHookMethod(&killer, &Killer::Hook)));
    const int waitingBefore = ReleaserInstance()->Waiting();
    SendMessageA(form->Handle(), WM_USER + 7, 0, 0);
    EXPECT_EQ(ReleaserInstance()->Waiting(), waitingBefore + 1);
    ASSERT_TRUE(PumpUntil([&] { return ReleaserInstance()->Waiting() == waitingBefore; }));
}

