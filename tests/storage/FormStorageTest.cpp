// The settings components on a form read from a layout, as the main window declares them:
// placement and four properties survive closing and reopening, the file has the documented
// layout, and damaged files neither fail nor move the window off the screen.
#include "OcAppIniFileStorage.h"
#include "OcFormStorage.h"

#include "FileBytes.h"

#include "core/ComponentStream.h"
#include "core/FormText.h"
#include "core/Streams.h"
#include "core/SysUtils.h"
#include "windows/Application.h"
#include "windows/Dialogs.h"
#include "windows/Forms.h"
#include "windows/Menus.h"
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
std::string Layout(const std::string& fileName, const std::string& storagePath = "frmDovrel\\")
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
    AppStoragePath = ')" +
           storagePath + R"('
    StoredProps.Strings = (
      'CheckBoxClose.Checked'
      'OpenDialog1.InitialDir'
      'OpenDialog1.FileName'
      'MCUComboBox.ItemIndex'
      'Missing.Checked')
  end
  object IniFileStorage: TOcAppIniFileStorage
    FileName = ')" +
           fileName + R"('
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
        fileName = std::string("FormStorage-") +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
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

    TSettingsForm* Open(const std::string& storagePath = "frmDovrel\\")
    {
        auto* form = new TSettingsForm(nullptr);
        TStringStream stream(ObjectTextToBinary(Layout(fileName, storagePath)));
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

    const std::string suffix =
        Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    const std::string minMax =
        Format("%d,%d,%d,%d",
               {static_cast<int>(wp.ptMinPosition.x), static_cast<int>(wp.ptMinPosition.y),
                static_cast<int>(wp.ptMaxPosition.x), static_cast<int>(wp.ptMaxPosition.y)});
    const std::string norm = "140,110,470,360";
    const std::string expected =
        "[frmDovrel]\r\nFormVersion=0\r\nShowCmd=" + IntToStr(wp.showCmd) +
        "\r\nFlags=" + IntToStr(wp.flags) + "\r\nPixelsPerInch=96\r\nMinMaxPos" + suffix + "=" +
        minMax + "\r\nMinMaxPos=" + minMax + "\r\nNormPos" + suffix + "=" + norm +
        "\r\nNormPos=" + norm +
        "\r\nCheckBoxClose_Checked=TRUE\r\nOpenDialog1_InitialDir=Z:\\fw\r\n"
        "OpenDialog1_FileName=Z:\\fw\\blink.hex\r\nMCUComboBox_ItemIndex=2\r\n\r\n";
    EXPECT_EQ(ReadBytes(fullName), expected);

    // Windows' own INI reader gets the same values.
    char value[256];
    GetPrivateProfileStringA("frmDovrel", "NormPos", "", value, sizeof value, fullName.c_str());
    EXPECT_EQ(std::string(value), norm);
    GetPrivateProfileStringA("frmDovrel", "CheckBoxClose_Checked", "", value, sizeof value,
                             fullName.c_str());
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
    const std::string suffix =
        Format("(%dx%d)", {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    std::ofstream(fullName, std::ios::binary)
        << "[frmDovrel]\rFormVersion=zero\n"
           "ShowCmd=zz\r\nFlags=99999999999999999\r\n"
           "PixelsPerInch=96\r\n"
           "NormPos" +
               suffix +
               "=-30000,-30000,-29000,-29000\r\n"
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
    std::ofstream(fullName, std::ios::binary)
        << "[frmDovrel]\r\nPixelsPerInch=96\r\nNormPos=200,150\r\n";
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

namespace {

// Adds the stored values of the round trip with the given starting values.
void AddValues(TOcFormStorage* storage,
               const std::vector<std::pair<std::string, TOcStoredValueData>>& values)
{
    for (const auto& [name, value] : values) {
        auto* item = static_cast<TOcStoredValue*>(storage->StoredValues()->Add());
        item->SetName(name);
        item->Value = value;
    }
}

TOcStoredValue* Value(TOcFormStorage* storage, const char* name)
{
    return storage->StoredValues()->Items(storage->StoredValues()->IndexOf(name));
}

} // namespace

// The store's hooks live in the control's own hook chains: a hook of another party added
// before or after them keeps working whichever of the two goes first.
TEST_F(FormStorageTest, StoreHooksAndAnotherPartysHookGoInEitherOrder)
{
    struct Counter {
        int seen = 0;
        bool Hook(TMessage& m)
        {
            if (m.Msg == WM_USER + 9)
                ++seen;
            return false;
        }
    };
    for (bool storeFirst : {true, false}) {
        SCOPED_TRACE(storeFirst ? "store hook removed first" : "other hook removed first");
        auto* form = new TForm(nullptr);
        form->HandleNeeded();
        Counter store, other;
        const TOcHookMethod storeHook(&store, &Counter::Hook), otherHook(&other, &Counter::Hook);
        ASSERT_TRUE(AddWindowProcHook(form, hoAfterMsg, storeHook));
        form->AddWindowProcHook(classlib::hoBeforeMsg, otherHook);
        SendMessageA(form->Handle(), WM_USER + 9, 0, 0);
        EXPECT_EQ(store.seen, 1);
        EXPECT_EQ(other.seen, 1);
        if (storeFirst)
            EXPECT_TRUE(RemoveWindowProcHook(form, hoAfterMsg, storeHook));
        else
            EXPECT_TRUE(form->RemoveWindowProcHook(classlib::hoBeforeMsg, otherHook));
        SendMessageA(form->Handle(), WM_USER + 9, 0, 0);
        EXPECT_EQ(store.seen, storeFirst ? 1 : 2);
        EXPECT_EQ(other.seen, storeFirst ? 2 : 1);
        form->Free();
        EXPECT_TRUE(PumpUntil([] { return ReleaserInstance()->Waiting() == 0; }));
    }
}

TEST_F(FormStorageTest, StoredValuesKeepTheirTypeAcrossARestart)
{
    const TDateTime when = 46000.5; // 2025-12-09 12:00
    TSettingsForm* form = Open();
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    ShowAndWait(form);
    AddValues(storage, {{"Runs", 5},
                        {"Ratio", 0.25},
                        {"Expert", true},
                        {"Port", std::string("COM3")},
                        {"LastUpload", TOcStoredDate{when}},
                        {"Secret", std::string("pass word")}});
    Value(storage, "Secret")->KeyString = "k3y";
    // OnSave sees a copy: it may change what is written but not the value itself.
    struct Hooks {
        void Save(TObject*, TOcStoredValueData& v) { v = std::get<int>(v) + 1; }
        void Restore(TObject*, TOcStoredValueData& v) { restored = std::get<int>(v); }
        int restored = 0;
    } hooks;
    Value(storage, "Runs")->OnSave = TOcStoredValueEvent(&hooks, &Hooks::Save);
    form->Close();
    EXPECT_EQ(std::get<int>(Value(storage, "Runs")->Value), 5);
    form->Free();
    const std::string file = ReadBytes(fullName);
    EXPECT_NE(file.find("Runs=6\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Expert=TRUE\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("Port=COM3\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("pass word"), std::string::npos)
        << "a value with a key is not stored in clear";

    form = Open();
    storage = Find<TOcFormStorage>(form, "FormStorage");
    AddValues(storage, {{"Runs", 0},
                        {"Ratio", 0.0},
                        {"Expert", false},
                        {"Port", std::string()},
                        {"LastUpload", TOcStoredDate{0}},
                        {"Secret", std::string()},
                        {"Absent", 17}});
    Value(storage, "Secret")->KeyString = "k3y";
    Value(storage, "Runs")->OnRestore = TOcStoredValueEvent(&hooks, &Hooks::Restore);
    ShowAndWait(form);
    EXPECT_EQ(hooks.restored, 6);
    EXPECT_EQ(Value(storage, "Runs")->Value, TOcStoredValueData(6));
    EXPECT_EQ(Value(storage, "Ratio")->Value, TOcStoredValueData(0.25));
    EXPECT_EQ(Value(storage, "Expert")->Value, TOcStoredValueData(true));
    EXPECT_EQ(Value(storage, "Port")->Value, TOcStoredValueData(std::string("COM3")));
    EXPECT_EQ(Value(storage, "Secret")->Value, TOcStoredValueData(std::string("pass word")));
    ASSERT_TRUE(std::holds_alternative<TOcStoredDate>(Value(storage, "LastUpload")->Value));
    EXPECT_NEAR(std::get<TOcStoredDate>(Value(storage, "LastUpload")->Value).Value, when,
                1.0 / 86400);
    EXPECT_EQ(Value(storage, "Absent")->Value, TOcStoredValueData(17))
        << "a missing value keeps its default";
    EXPECT_THROW(Value(storage, "Port")->SetName("RUNS"), EOCLException);
    form->Free();
}

TEST_F(FormStorageTest, StoredValuesAndTheirEventsComeFromTheFormLayout)
{
    std::string layout = Layout(fileName);
    const std::string values = R"(    StoredValues = <
      item
        Name = 'Count'
        Value = 7
      end
      item
        Name = 'Title'
        Value = 'hello'
      end
      item
        Name = 'Empty'
      end
      item
        Name = 'LastUpload'
        Value = 46000.5d
      end>
)";
    layout.insert(layout.find("    StoredProps.Strings"), values);
    auto* form = new TSettingsForm(nullptr);
    TStringStream stream(ObjectTextToBinary(layout));
    form->LoadLayoutFromStream(stream);
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    ASSERT_EQ(storage->StoredValues()->Count(), 4);
    EXPECT_EQ(Value(storage, "Count")->Value, TOcStoredValueData(7));
    EXPECT_EQ(Value(storage, "LastUpload")->Value, TOcStoredValueData(TOcStoredDate{46000.5}));
    EXPECT_EQ(Value(storage, "Title")->Value, TOcStoredValueData(std::string("hello")));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Value(storage, "Empty")->Value));

    // Written back: the non-empty values only, and the StoredProps lines with the components'
    // current names; the published events are known by name.
    Find<TCheckBox>(form, "CheckBoxClose")->SetName("CloseCheck");
    TStringStream binary("");
    WriteComponentToStream(binary, storage);
    const std::string text = ObjectBinaryToText(binary.DataString());
    EXPECT_NE(text.find("Value = 7"), std::string::npos) << text;
    EXPECT_NE(text.find("Value = 'hello'"), std::string::npos) << text;
    EXPECT_NE(text.find("Value = 46000.5d"), std::string::npos) << "a date stays a date: " << text;
    const size_t empty = text.find("'Empty'");
    EXPECT_GT(text.find("Value", empty), text.find("'LastUpload'", empty)) << text;
    EXPECT_NE(text.find("'CloseCheck.Checked'"), std::string::npos) << text;
    EXPECT_EQ(text.find("'Missing.Checked'"), std::string::npos) << text;
    EXPECT_NE(TOcStoredValue::StaticClass().FindProperty("OnSave"), nullptr);
    EXPECT_NE(TOcStoredValue::StaticClass().FindProperty("OnRestore"), nullptr);
    form->Free();
}

TEST_F(FormStorageTest, VersionCheckDecidesWhetherTheFileIsRead)
{
    struct Case {
        TOcFormPlacementVersionCheck check;
        int version;
        const char* storedVersion; // nullptr: no FormVersion in the file
        bool accepted;
    };
    const Case cases[] = {
        {fpvcCheckGreaterEqual, 1, "0", false},
        {fpvcCheckGreaterEqual, 1, nullptr, false},
        {fpvcCheckGreaterEqual, 1, "1", true},
        {fpvcCheckGreaterEqual, 1, "2", true},
        {fpvcCheckEqual, 1, "2", false},
        {fpvcCheckEqual, 1, "1", true},
        {fpvcNocheck, 3, "1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.check) + " " + std::to_string(c.version) + " " +
                     (c.storedVersion ? c.storedVersion : "none"));
        std::string file = "[frmDovrel]\r\n";
        if (c.storedVersion)
            file += std::string("FormVersion=") + c.storedVersion + "\r\n";
        file += "CheckBoxClose_Checked=TRUE\r\n";
        std::ofstream(fullName, std::ios::binary) << file;
        TSettingsForm* form = Open();
        auto* storage = Find<TOcFormStorage>(form, "FormStorage");
        storage->SetVersionCheck(c.check);
        storage->SetVersion(c.version);
        ShowAndWait(form);
        EXPECT_EQ(Find<TCheckBox>(form, "CheckBoxClose")->Checked(), c.accepted);
        EXPECT_TRUE(storage->Restored());
        form->Close();
        form->Free();
        // A rejected file is rewritten with the current version and values.
        const std::string written = ReadBytes(fullName);
        const bool hasVersion =
            written.find("FormVersion=" + std::to_string(c.version) + "\r\n") != std::string::npos;
        EXPECT_EQ(hasVersion, c.check != fpvcNocheck) << written;
        EXPECT_NE(
            written.find(std::string("CheckBoxClose_Checked=") + (c.accepted ? "TRUE" : "FALSE")),
            std::string::npos)
            << written;
    }
}

TEST_F(FormStorageTest, FormNamePlaceholderAndActiveControl)
{
    // The default path names the form's folder after the form.
    TSettingsForm* form = Open("%form_name%");
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    EXPECT_EQ(storage->AppStoragePath(), "Dovrel\\");
    storage->SetOptions({fpState, fpActiveControl});
    ShowAndWait(form);
    form->SetActiveControl(Find<TWinControl>(form, "MCUComboBox"));
    form->Close();
    form->Free();
    std::string file = ReadBytes(fullName);
    EXPECT_EQ(file.rfind("[Dovrel]\r\n", 0), 0u) << file;
    EXPECT_NE(file.find("\r\nActiveControl=MCUComboBox\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nShowCmd="), std::string::npos) << file;

    // Options exactly [fpActiveControl]: restoring reads the active control only, and saving
    // writes no placement value at all.
    std::ofstream(fullName, std::ios::binary)
        << "[Dovrel]\r\nActiveControl=MCUComboBox\r\nShowCmd=3\r\n";
    form = Open("%FORM_NAME%");
    storage = Find<TOcFormStorage>(form, "FormStorage");
    storage->SetOptions({fpActiveControl});
    ShowAndWait(form);
    EXPECT_EQ(form->ActiveControl(), Find<TWinControl>(form, "MCUComboBox"));
    EXPECT_EQ(form->WindowState(), wsNormal);
    form->SetActiveControl(Find<TWinControl>(form, "CheckBoxClose"));
    form->Close();
    form->Free();
    file = ReadBytes(fullName);
    EXPECT_NE(file.find("ActiveControl=MCUComboBox\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("ShowCmd=3\r\n"), std::string::npos) << file;
}

TEST_F(FormStorageTest, PreventResizeKeepsTheSizeAndLetsTheFormsMenuSeeItsPopupFirst)
{
    TSettingsForm* form = Open();
    auto* storage = Find<TOcFormStorage>(form, "FormStorage");
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("File");
    file->Add(new TMenuItem(form));
    menu->Items()->Add(file);
    int clicks = 0;
    struct Counter {
        int* clicks;
        void Click(TObject*) { ++*clicks; }
    } counter{&clicks};
    file->OnClick = TNotifyEvent(&counter, &Counter::Click);
    form->SetMenu(menu);
    ShowAndWait(form);
    storage->SetPreventResize(true);
    EXPECT_FALSE(form->BorderIcons().Contains(biMaximize));

    MINMAXINFO info{};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, form->Width());
    EXPECT_EQ(info.ptMaxTrackSize.y, form->Height());

    RECT r;
    GetWindowRect(form->Handle(), &r);
    const LPARAM rightBorder = MAKELPARAM(r.right - 1, (r.top + r.bottom) / 2);
    EXPECT_EQ(SendMessageA(form->Handle(), WM_NCHITTEST, 0, rightBorder), HTNOWHERE);

    // A pop-up flagged as a system menu: the form's own menu is asked first, then size and
    // maximize are greyed.
    HMENU systemMenu = GetSystemMenu(form->Handle(), FALSE);
    SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->Handle()),
                 MAKELPARAM(0, 1));
    EXPECT_EQ(clicks, 1);
    SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(systemMenu),
                 MAKELPARAM(0, 1));
    EXPECT_TRUE(GetMenuState(systemMenu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(systemMenu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(clicks, 1);

    storage->SetPreventResize(false);
    EXPECT_TRUE(form->BorderIcons().Contains(biMaximize));
    EXPECT_NE(SendMessageA(form->Handle(), WM_NCHITTEST, 0, rightBorder), HTNOWHERE);
    form->Free();
}
