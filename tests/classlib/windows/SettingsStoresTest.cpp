// INI files and the registry: typed values, sections and keys, and the failures they report.
#include "windows/IniFiles.h"
#include "windows/Registry.h"
#include "windows/Screen.h"

#include "core/StringList.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

using namespace classlib;

namespace {

std::string TempFile(const std::string& name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + std::to_string(GetCurrentProcessId()) + "-" + name;
}

std::string Join(TStrings& strings)
{
    std::string s;
    for (int i = 0; i < strings.Count(); ++i)
        s += (i ? "," : "") + strings[i];
    return s;
}

// Both stores behind the same abstract interface.
class IniStoreTest : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<TCustomIniFile> store;
    std::string location;
    void SetUp() override
    {
        if (GetParam()) {
            location = "Software\\BrenvikTests\\" + std::to_string(GetCurrentProcessId());
            store = std::make_unique<TRegistryIniFile>(location);
        } else {
            location = TempFile("store.ini");
            DeleteFileA(location.c_str());
            store = std::make_unique<TIniFile>(location);
        }
    }
    void TearDown() override
    {
        store.reset();
        if (GetParam()) {
            TRegistry registry;
            registry.DeleteKey("\\Software\\BrenvikTests\\" +
                               std::to_string(GetCurrentProcessId()));
        } else {
            DeleteFileA(location.c_str());
        }
    }
};

TEST_P(IniStoreTest, TypedValuesReadBackAndMissingOnesGiveTheDefault)
{
    store->WriteString("frmDovrel", "OpenDialog1_InitialDir", "C:\\Firmware");
    store->WriteInteger("frmDovrel", "MCUComboBox_ItemIndex", 7);
    store->WriteInteger("frmDovrel", "Negative", -3);
    store->WriteBool("frmDovrel", "CheckBoxClose_Checked", true);
    EXPECT_EQ(store->ReadString("frmDovrel", "OpenDialog1_InitialDir", ""), "C:\\Firmware");
    EXPECT_EQ(store->ReadInteger("frmDovrel", "MCUComboBox_ItemIndex", 0), 7);
    EXPECT_EQ(store->ReadInteger("frmDovrel", "Negative", 0), -3);
    EXPECT_TRUE(store->ReadBool("frmDovrel", "CheckBoxClose_Checked", false));
    EXPECT_EQ(store->ReadString("frmDovrel", "Missing", "fallback"), "fallback");
    EXPECT_EQ(store->ReadInteger("Nowhere", "Missing", 42), 42);
    store->WriteString("frmDovrel", "Hex", "0x1F");
    store->WriteString("frmDovrel", "Word", "seven");
    EXPECT_EQ(store->ReadInteger("frmDovrel", "Hex", 0), 31);
    EXPECT_EQ(store->ReadInteger("frmDovrel", "Word", 5), 5);
}

TEST_P(IniStoreTest, SectionsAndKeysCanBeListedAndRemoved)
{
    store->WriteString("One", "a", "1");
    store->WriteString("One", "b", "2");
    store->WriteString("Two", "c", "3");
    TStringList list;
    store->ReadSections(&list);
    list.Sort();
    EXPECT_EQ(Join(list), "One,Two");
    store->ReadSection("One", &list);
    list.Sort();
    EXPECT_EQ(Join(list), "a,b");
    store->ReadSectionValues("One", &list);
    list.Sort();
    EXPECT_EQ(Join(list), "a=1,b=2");
    EXPECT_TRUE(store->SectionExists("Two"));
    EXPECT_TRUE(store->ValueExists("One", "b"));
    store->DeleteKey("One", "b");
    EXPECT_FALSE(store->ValueExists("One", "b"));
    store->EraseSection("Two");
    EXPECT_FALSE(store->SectionExists("Two"));
    EXPECT_EQ(store->ReadString("Two", "c", "gone"), "gone");
}

INSTANTIATE_TEST_SUITE_P(Stores, IniStoreTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Registry" : "IniFile"; });

TEST(IniFile, ReadsAFileWrittenByHand)
{
    const std::string path = TempFile("hand.ini");
    {
        std::ofstream out(path, std::ios::binary);
        out << "[frmDovrel]\r\nFormVersion=0\r\nShowCmd=1\r\nNormPos=10,20,650,500\r\n\r\n[Other]"
               "\r\nx = spaced \r\n";
    }
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadInteger("frmDovrel", "ShowCmd", 0), 1);
        EXPECT_EQ(ini.ReadString("frmDovrel", "NormPos", ""), "10,20,650,500");
        EXPECT_EQ(ini.ReadString("other", "X", ""), "spaced");
        ini.WriteInteger("frmDovrel", "ShowCmd", 3);
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("ShowCmd=3"), std::string::npos) << text.str();
    DeleteFileA(path.c_str());
}

TEST(Registry, ValuesKeysAndTheirErrors)
{
    const std::string base =
        "\\Software\\BrenvikTests\\reg-" + std::to_string(GetCurrentProcessId());
    TRegistry registry;
    EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.OpenKey(base + "\\ContactForm", true));
    EXPECT_EQ(registry.CurrentPath(), base.substr(1) + "\\ContactForm");
    registry.WriteString("RememberName", "Ada");
    registry.WriteInteger("Count", 12);
    registry.WriteBool("Flag", true);
    EXPECT_EQ(registry.ReadString("RememberName"), "Ada");
    EXPECT_EQ(registry.ReadInteger("Count"), 12);
    EXPECT_TRUE(registry.ReadBool("Flag"));
    EXPECT_EQ(registry.ReadString("Absent"), "");
    EXPECT_THROW(registry.ReadInteger("Absent"), ERegistryException);
    EXPECT_THROW(registry.ReadString("Count"), ERegistryException);
    EXPECT_THROW(registry.ReadInteger("RememberName"), ERegistryException);
    EXPECT_EQ(registry.GetDataType("Count"), rdInteger);

    TStringList names;
    registry.GetValueNames(&names);
    names.Sort();
    EXPECT_EQ(Join(names), "Count,Flag,RememberName");
    EXPECT_TRUE(registry.DeleteValue("Flag"));
    EXPECT_FALSE(registry.ValueExists("Flag"));

    // A relative key opens below the open one.
    ASSERT_TRUE(registry.OpenKey("Nested", true));
    EXPECT_EQ(registry.CurrentPath(), base.substr(1) + "\\ContactForm\\Nested");
    registry.CloseKey();
    EXPECT_FALSE(registry.OpenKey(base + "\\NoSuchKey", false));
    EXPECT_TRUE(registry.KeyExists(base + "\\ContactForm\\Nested"));
    EXPECT_TRUE(registry.DeleteKey(base)); // with everything below it
    EXPECT_FALSE(registry.KeyExists(base));
}

TEST(Screen, DescribesTheDisplay)
{
    ASSERT_NE(Screen, nullptr);
    TStrings* fonts = Screen->Fonts();
    EXPECT_GE(fonts->IndexOf("Tahoma"), 0);
    for (int i = 0; i < fonts->Count(); ++i) {
        ASSERT_NE(fonts->Strings(i)[0], '@');
        if (i > 0) {
            ASSERT_LT(lstrcmpiA(fonts->Strings(i - 1).c_str(), fonts->Strings(i).c_str()), 0);
        }
    }
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(Screen->PixelsPerInch(), GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
    const RECT area = Screen->WorkAreaRect();
    EXPECT_GT(Screen->WorkAreaWidth(), 0);
    EXPECT_LE(area.right, Screen->Width());
    EXPECT_LE(area.bottom, Screen->Height());
    EXPECT_NE(Screen->Cursors(crHandPoint), nullptr);
    EXPECT_EQ(Screen->Cursors(12345), Screen->Cursors(crArrow));
    Screen->SetCursor(crHourGlass);
    EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
    Screen->SetCursor(crDefault);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

} // namespace
