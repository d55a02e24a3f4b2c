// The shared settings store and the settings objects under Wine. The test program carries the
// program's settings resource (qorExcept.form); SettingsTestLibrary.dll is a second copy of
// the engine in the same process.
#include "ExceptionPathSystem.h"
#include "ExceptionPathUtils.h"
#include "QorSettings.h"

#include "ProgramSettingsResource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace qor;

namespace {

HMODULE Program()
{
    return GetModuleHandleA(nullptr);
}

std::string ObjectName(const char* base)
{
    return ProcessObjectName(base, GetCurrentProcessId());
}

bool BufferMappingExists()
{
    const HANDLE mapping =
        OpenFileMappingA(FILE_MAP_READ, FALSE, ObjectName("qorExceptSettingsBuf").c_str());
    if (mapping != nullptr)
        CloseHandle(mapping);
    return mapping != nullptr;
}

// A module without the settings resource.
HMODULE ModuleWithoutSettings()
{
    return GetModuleHandleA("kernel32.dll");
}

class LibrarySettingsScope {
public:
    explicit LibrarySettingsScope(IQEModuleSettings settings)
    {
        SetLibrarySettings(std::move(settings));
    }
    ~LibrarySettingsScope() { SetLibrarySettings(nullptr); }
};

} // namespace

TEST(SettingsStore, ParsesTheProgramsResource)
{
    ModuleSettingsRecord* record = AcquireModuleSettings(Program());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Module, Program());
    EXPECT_EQ(record->ReferenceCount, 1);
    EXPECT_EQ(record->Capacity, 131);
    ExpectProgramSettings(record->Table, record->Count);
    ReleaseModuleSettings(record);
    EXPECT_EQ(AcquireModuleSettings(ModuleWithoutSettings()), nullptr);
}

TEST(SettingsStore, HoldersShareOneRecordUntilTheLastRelease)
{
    EXPECT_FALSE(BufferMappingExists());
    ModuleSettingsRecord* first = AcquireModuleSettings(Program());
    ModuleSettingsRecord* second = AcquireModuleSettings(Program());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->ReferenceCount, 2);
    EXPECT_EQ(SharedSettingsBuffer()->ReferenceCount, 2);
    EXPECT_TRUE(BufferMappingExists());
    ReleaseModuleSettings(second);
    EXPECT_EQ(first->ReferenceCount, 1);
    EXPECT_EQ(SharedSettingsBuffer()->First, first);
    ReleaseModuleSettings(first);
    EXPECT_EQ(SharedSettingsBuffer(), nullptr);
    EXPECT_FALSE(BufferMappingExists());
}

TEST(SettingsStore, TwoCopiesOfTheEngineShareTheBufferAndTheRecord)
{
    const HMODULE library = LoadLibraryA("SettingsTestLibrary.dll");
    ASSERT_NE(library, nullptr);
    using Acquire = ModuleSettingsRecord* (*)(HMODULE);
    using Release = void (*)(ModuleSettingsRecord*);
    using Holds = bool (*)();
    const auto libraryAcquire = reinterpret_cast<Acquire>(
        reinterpret_cast<void*>(GetProcAddress(library, "LibraryAcquireModuleSettings")));
    const auto libraryRelease = reinterpret_cast<Release>(
        reinterpret_cast<void*>(GetProcAddress(library, "LibraryReleaseModuleSettings")));
    const auto libraryHolds = reinterpret_cast<Holds>(
        reinterpret_cast<void*>(GetProcAddress(library, "LibraryHoldsSettingsBuffer")));
    ASSERT_TRUE(libraryAcquire && libraryRelease && libraryHolds);

    ModuleSettingsRecord* own = AcquireModuleSettings(Program());
    ModuleSettingsRecord* theirs = libraryAcquire(Program());
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own, theirs);
    EXPECT_EQ(own->ReferenceCount, 2);
    EXPECT_EQ(SharedSettingsBuffer()->ReferenceCount, 2);
    // The first copy's release leaves the record to the other copy, which frees it.
    ReleaseModuleSettings(own);
    EXPECT_EQ(SharedSettingsBuffer(), nullptr);
    EXPECT_TRUE(libraryHolds());
    EXPECT_EQ(theirs->ReferenceCount, 1);
    EXPECT_TRUE(BufferMappingExists());
    libraryRelease(theirs);
    EXPECT_FALSE(libraryHolds());
    EXPECT_FALSE(BufferMappingExists());
    FreeLibrary(library);
}

TEST(SettingsObjects, TheEnginesOwnSettingsFillUnsetKeysFromTheDefaults)
{
    TIQESettings settings(Program(), true);
    ASSERT_TRUE(settings.HasSettings());
    EXPECT_EQ(settings.ModuleHandle(), Program());
    // Not set by the program's resource: the built-in defaults.
    EXPECT_EQ(settings.DwordProp("AutoDelay"), 60u);
    EXPECT_EQ(settings.StrProp("MailFrom"), "");
    EXPECT_EQ(settings.StrProp("AddFields"), "");
    EXPECT_EQ(settings.DwordProp("VersionVar"), 0u);
    std::string version = "x";
    settings.VersionText(version);
    EXPECT_EQ(version, "");
    // Set by it.
    EXPECT_EQ(settings.DwordProp("FreezeTimeout"), 60000u);
    EXPECT_FALSE(settings.BoolProp("AutoClip"));
    EXPECT_EQ(settings.IntProp("F1ShowCfg"), 3);
    EXPECT_EQ(settings.StrProp("ContinueBtnTxt"), "continue application");
    // Texts come with the module's placeholders expanded and the exception's left in place.
    EXPECT_EQ(settings.StrProp("TitleBar"), StripPath(ModuleFilePath(nullptr)));
    EXPECT_TRUE(settings.SetStrProp("ExceptMsg", "%modname%: %exceptMsg% (%exceptClass%)"));
    EXPECT_EQ(settings.StrProp("ExceptMsg"),
              StripPath(ModuleFilePath(nullptr)) + ": %exceptMsg% (%exceptClass%)");
    // A key that no table holds.
    EXPECT_FALSE(settings.BoolProp("NoSuchKey"));
    EXPECT_EQ(settings.StrProp("NoSuchKey"), "");
    settings.Refresh();
}

TEST(SettingsObjects, SettingsWithoutResourceReadTheLibrarySettingsAndStoreNothing)
{
    LibrarySettingsScope scope(std::make_shared<TIQESettings>(Program(), true));
    TIQESettings settings(ModuleWithoutSettings(), true);
    EXPECT_FALSE(settings.HasSettings());
    EXPECT_EQ(settings.ModuleHandle(), nullptr);
    EXPECT_EQ(settings.DwordProp("FreezeTimeout"), 60000u);
    EXPECT_EQ(settings.DwordProp("AutoDelay"), 60u);
    EXPECT_EQ(settings.StrProp("TitleBar"), StripPath(ModuleFilePath(nullptr)));
    EXPECT_FALSE(settings.SetIntProp("FreezeTimeout", 5));
    EXPECT_EQ(settings.DwordProp("FreezeTimeout"), 60000u);
}

TEST(SettingsObjects, SetOperationsReachEveryHolderUntilRefresh)
{
    TIQESettings one(Program(), true);
    TIQESettings two(Program(), true);
    EXPECT_TRUE(one.SetDwordProp("FreezeTimeout", 1234));
    EXPECT_EQ(two.DwordProp("FreezeTimeout"), 1234u);
    // A setter of another kind leaves the entry as it is.
    EXPECT_FALSE(one.SetBoolProp("FreezeTimeout", true));
    EXPECT_EQ(two.DwordProp("FreezeTimeout"), 1234u);
    // A missing key is added with the setter's kind.
    EXPECT_TRUE(one.SetDwordProp("AutoDelay", 5));
    EXPECT_EQ(two.DwordProp("AutoDelay"), 5u);
    EXPECT_TRUE(one.SetStrProp("MailSubj", ""));
    EXPECT_EQ(two.StrProp("MailSubj"), "");
    two.Refresh();
    EXPECT_EQ(one.DwordProp("FreezeTimeout"), 60000u);
    EXPECT_EQ(one.DwordProp("AutoDelay"), 60u);
    EXPECT_EQ(one.StrProp("MailSubj"), "bug report");
}

TEST(SettingsObjects, PluginsSwitchOnAndOffByWholeItems)
{
    TIQESettings settings(Program(), true);
    EXPECT_TRUE(settings.PluginEnabled("Modules"));
    EXPECT_FALSE(settings.PluginEnabled("module"));
    settings.SetPluginEnabled("MODULES", false);
    EXPECT_EQ(settings.StrProp("Plugins"), "processes|hardware");
    settings.SetPluginEnabled("processes", true);
    EXPECT_EQ(settings.StrProp("Plugins"), "processes|hardware");
    settings.SetPluginEnabled("modules", true);
    EXPECT_EQ(settings.StrProp("Plugins"), "processes|hardware|modules");
    settings.SetStrProp("Plugins", "modules|modules|x");
    settings.SetPluginEnabled("modules", false);
    EXPECT_EQ(settings.StrProp("Plugins"), "x");
    settings.SetPluginEnabled("x", false);
    EXPECT_EQ(settings.StrProp("Plugins"), "");
    settings.SetPluginEnabled("hardware", true);
    EXPECT_EQ(settings.StrProp("Plugins"), "hardware");
    settings.Refresh();
}

TEST(SettingsObjects, ChoiceOfSettingsForModulesAndAddresses)
{
    // The program carries settings that do not say NoSettings: its own are chosen.
    const IQEModuleSettings program = ModuleSettings(Program());
    EXPECT_EQ(program->ModuleHandle(), Program());
    // A module without resource keeps its empty settings.
    EXPECT_FALSE(ModuleSettings(ModuleWithoutSettings())->HasSettings());
    // Code of the engine's own module gets the settings to fall back on: the program's.
    EXPECT_EQ(ModuleSettingsOfAddress(reinterpret_cast<const void*>(&Program))->ModuleHandle(),
              Program());
    EXPECT_EQ(FindSettingsModule()->ModuleHandle(), Program());
    EXPECT_EQ(SettingsOfCaller(0)->ModuleHandle(), Program());
}

TEST(SettingsObjects, AdditionalFieldsAndAttachmentsComeFromTheirTextsAndWriteBack)
{
    TIQESettings settings(Program(), true);
    ASSERT_TRUE(settings.SetStrProp("AddFields", "Build=12=3|Empty|Customer= ACME "));
    ASSERT_TRUE(settings.SetStrProp("AddAttachs", "C:\\logs\\app.log|C:\\a.ini>b.txt>c.zip>d"));
    const IQEFields fields = settings.AdditionalFields();
    EXPECT_EQ(fields, settings.AdditionalFields());
    ASSERT_EQ(fields->Count(), 2);
    EXPECT_EQ(fields->Value("Build"), "12");
    EXPECT_EQ(fields->Value("Customer"), "ACME");
    fields->SetValue("Build", "13");
    EXPECT_EQ(settings.StrProp("AddFields"), "Build=13|Customer=ACME");

    const IQEAttachments attachments = settings.AdditionalAttachments();
    std::string file, sendAs, zip, field;
    ASSERT_TRUE(attachments->ItemAt(0, file, sendAs, zip, field));
    EXPECT_EQ(sendAs, "app.log");
    EXPECT_EQ(field, "app");
    attachments->RemoveFile("C:\\LOGS\\APP.LOG");
    EXPECT_EQ(settings.StrProp("AddAttachs"), "C:\\a.ini>b.txt>c.zip>d");
    settings.Refresh();
}

// A module's version text is the four parts of its file version; a file without version
// information (this test program) has none.
TEST(ExceptionPathRoutines, FileVersionTextOfModules)
{
    EXPECT_EQ(FileVersionText(Program()), "");
    const std::string kernel = FileVersionText(GetModuleHandleA("kernel32.dll"));
    int parts[4] = {};
    char tail = 0;
    ASSERT_EQ(std::sscanf(kernel.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2],
                          &parts[3], &tail),
              4)
        << kernel;
    EXPECT_NE(kernel, "0.0.0.0");
}
