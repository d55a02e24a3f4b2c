// The settings resource's parser, the property tables and the built-in defaults.
#include "QorSettingsTable.h"

#include "FileBytes.h"
#include "ProgramSettingsResource.h"
#include "SettingsStreamBytes.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;
using namespace std::string_literals;

namespace {

// A parsed table that frees itself.
struct Parsed {
    explicit Parsed(const std::string& bytes)
        : result(ParseSettingsStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
    {
    }
    ~Parsed() { FreePropertyTable(result.Count, result.Table); }
    const SettingsProperty& operator[](int i) const { return result.Table[i]; }
    std::string Text(int i) const { return result.Table[i].Text ? result.Table[i].Text : ""; }
    SettingsParseResult result;
};

} // namespace

TEST(SettingsStream, EveryAcceptedValueTypeIsStoredByItsKind)
{
    struct Case {
        const char* key;
        uint8_t type;
        std::string value;
        uint8_t kind;
        uint8_t boolean;
        int32_t integer;
        std::string text;
    };
    const Case cases[] = {
        {"Int8", 2, "\xFE", SettingsInteger, 0, -2, ""},
        {"Int16", 3, LittleEndian(0x8001, 2), SettingsInteger, 0, -32767, ""},
        {"Int32", 4, LittleEndian(60000, 4), SettingsInteger, 0, 60000, ""},
        {"Short", 6, std::string("\x05hello"), SettingsText, 0, 0, "hello"},
        {"False", 8, "", SettingsBoolean, 0, 0, ""},
        {"True", 9, "", SettingsBoolean, 1, 0, ""},
        {"Long", 12, LongText("bugreport.txt"), SettingsText, 0, 0, "bugreport.txt"},
        // U+00E9 and U+20AC in UTF-16 and UTF-8 come out in Windows-1252 (0xE9, 0x80).
        {"Wide", 18, LittleEndian(2, 4) + "\xE9\x00\xAC\x20"s, SettingsText, 0, 0, "\xE9\x80"},
        {"Utf8", 20, LongText("\xC3\xA9\xE2\x82\xAC"), SettingsText, 0, 0, "\xE9\x80"},
    };
    std::string bytes = SettingsHeader();
    for (const Case& c : cases)
        bytes += SettingsEntry(c.key, c.type, c.value);
    bytes += '\0';
    bytes += "anything after the end is not read";
    Parsed parsed(bytes);
    ASSERT_EQ(parsed.result.Status, SettingsParseStatus::Complete);
    ASSERT_EQ(parsed.result.Count, static_cast<int32_t>(std::size(cases)));
    EXPECT_EQ(parsed.result.Capacity, 131);
    for (int i = 0; i < parsed.result.Count; ++i) {
        SCOPED_TRACE(cases[i].key);
        EXPECT_STREQ(parsed[i].Key, cases[i].key);
        EXPECT_EQ(parsed[i].Kind, cases[i].kind);
        EXPECT_EQ(parsed[i].Boolean, cases[i].boolean);
        EXPECT_EQ(parsed[i].Integer, cases[i].integer);
        EXPECT_EQ(parsed.Text(i), cases[i].text);
    }
}

TEST(SettingsStream, EmptyTextsKeepNoTextCopy)
{
    Parsed parsed(SettingsHeader() + SettingsEntry("A", 6, std::string(1, '\0')) +
                  SettingsEntry("B", 12, LongText("")) + std::string(1, '\0'));
    ASSERT_EQ(parsed.result.Count, 2);
    EXPECT_EQ(parsed[0].Text, nullptr);
    EXPECT_EQ(parsed[1].Text, nullptr);
}

TEST(SettingsStream, AnIdentifierStopsTheParseAndKeepsTheEntriesBefore)
{
    Parsed parsed(SettingsHeader() + SettingsEntry("Enabled", 9) +
                  SettingsEntry("FocusedBtn", 7,
                                "\x06"
                                "fbSend") +
                  SettingsEntry("AutoSave", 9) + std::string(1, '\0'));
    EXPECT_EQ(parsed.result.Status, SettingsParseStatus::BadValueType);
    EXPECT_EQ(parsed.result.BadValueType, 7);
    ASSERT_EQ(parsed.result.Count, 1);
    EXPECT_STREQ(parsed[0].Key, "Enabled");
    EXPECT_EQ(InvalidSettingsResourceMessage(7), "Internal error: Invalid settings resource ($7).");
    EXPECT_EQ(InvalidSettingsResourceMessage(0x11),
              "Internal error: Invalid settings resource ($11).");
}

TEST(SettingsStream, AnotherRootIsNotRead)
{
    for (const std::string& header :
         {SettingsHeader("TQorExcepts", "qorExcept"), SettingsHeader("TQorExcept", "qorExcepT"),
          SettingsHeader("TForm1", "Form1"), std::string("TPF0\x0aTQorExc")}) {
        Parsed parsed(header + SettingsEntry("Enabled", 9) + std::string(1, '\0'));
        EXPECT_EQ(parsed.result.Status, SettingsParseStatus::ForeignHeader);
        EXPECT_EQ(parsed.result.Table, nullptr);
        EXPECT_EQ(parsed.result.Count, 0);
        EXPECT_EQ(parsed.result.Capacity, 0);
    }
}

TEST(SettingsStream, ReadsNothingBeyondTheResourceSize)
{
    // Every cut of a valid resource ends the parse inside the data (the sanitizer build reports
    // any read past it); what was complete before the cut stays.
    const std::string whole = SettingsHeader() + SettingsEntry("Enabled", 9) +
                              SettingsEntry("FreezeTimeout", 4, LittleEndian(60000, 4)) +
                              SettingsEntry("MailSubj", 12, LongText("bug report")) +
                              SettingsEntry("Wide", 18, LittleEndian(1, 4) + "A\0"s) +
                              std::string(1, '\0');
    for (size_t size = 25; size < whole.size(); ++size) {
        const std::string cut = whole.substr(0, size);
        Parsed parsed(cut);
        EXPECT_EQ(parsed.result.Status, SettingsParseStatus::Truncated) << size;
        EXPECT_LE(parsed.result.Count, 4);
    }
    // A length that claims more than the resource holds.
    Parsed huge(SettingsHeader() + SettingsEntry("Long", 12, LittleEndian(0xFFFFFFF0u, 4) + "ab"));
    EXPECT_EQ(huge.result.Status, SettingsParseStatus::Truncated);
    Parsed wide(SettingsHeader() + SettingsEntry("Wide", 18, LittleEndian(0x80000001u, 4)));
    EXPECT_EQ(wide.result.Status, SettingsParseStatus::Truncated);
}

TEST(SettingsTable, DuplicateKeysFindTheFirstEntry)
{
    Parsed parsed(SettingsHeader() + SettingsEntry("SmtpPort", 4, LittleEndian(25, 4)) +
                  SettingsEntry("SmtpPort", 4, LittleEndian(587, 4)) + std::string(1, '\0'));
    ASSERT_EQ(parsed.result.Count, 2);
    const int32_t i = IndexOfProperty(parsed.result.Count, parsed.result.Table, "SmtpPort");
    EXPECT_EQ(i, 0);
    EXPECT_EQ(parsed[i].Integer, 25);
    // Keys compare exactly.
    EXPECT_EQ(IndexOfProperty(parsed.result.Count, parsed.result.Table, "smtpport"), -1);
    EXPECT_EQ(IndexOfProperty(parsed.result.Count, parsed.result.Table, "SmtpPor"), -1);
}

TEST(SettingsTable, GrowsByTwentyEntriesAfterTheFirst131)
{
    std::string bytes = SettingsHeader();
    for (int i = 0; i < 132; ++i)
        bytes +=
            SettingsEntry("Key" + std::to_string(i), 4, LittleEndian(static_cast<uint32_t>(i), 4));
    Parsed fits(
        bytes.substr(0, bytes.size() - SettingsEntry("Key131", 4, LittleEndian(0, 4)).size()) +
        std::string(1, '\0'));
    EXPECT_EQ(fits.result.Count, 131);
    EXPECT_EQ(fits.result.Capacity, 131);
    Parsed grown(bytes + std::string(1, '\0'));
    ASSERT_EQ(grown.result.Count, 132);
    EXPECT_EQ(grown.result.Capacity, 151);
    for (int i = 0; i < 132; ++i)
        EXPECT_EQ(grown[i].Key, "Key" + std::to_string(i));
    EXPECT_EQ(grown[131].Integer, 131);
}

TEST(SettingsTable, FreePropertiesKeepsCapacityAndCount)
{
    ModuleSettingsRecord record{};
    AppendProperty(record.Capacity, record.Count, record.Table, "Enabled", SettingsBoolean, true, 0,
                   "");
    AppendProperty(record.Capacity, record.Count, record.Table, "MailSubj", SettingsText, false, 0,
                   "bug report");
    EXPECT_EQ(record.Capacity, 20);
    FreeProperties(record);
    EXPECT_EQ(record.Table, nullptr);
    EXPECT_EQ(record.Capacity, 20);
    EXPECT_EQ(record.Count, 2);
}

#ifdef BRENVIK_SETTINGS_BINARY
TEST(SettingsStream, TheProgramsLayoutCompilesToTheDescribedResource)
{
    // The layout as the form compiler writes it for the program (full-width value types).
    const std::string bytes = testsupport::ReadBytes(BRENVIK_SETTINGS_BINARY);
    ASSERT_FALSE(bytes.empty()) << BRENVIK_SETTINGS_BINARY;
    Parsed parsed(bytes);
    ASSERT_EQ(parsed.result.Status, SettingsParseStatus::Complete);
    ExpectProgramSettings(parsed.result.Table, parsed.result.Count);
    // Booleans as types 8 and 9, integers and enumerations as 4, texts as 12.
    for (const std::string& entry : {SettingsEntry("Enabled", 9), SettingsEntry("NoSettings", 8),
                                     SettingsEntry("FreezeTimeout", 4, LittleEndian(60000, 4)),
                                     SettingsEntry("AutoRestart", 4, LittleEndian(0, 4)),
                                     SettingsEntry("F1ShowCfg", 4, LittleEndian(3, 4)),
                                     SettingsEntry("SendAssis", 12, LongText("SendAssistant")),
                                     SettingsEntry("BugRepZip", 12, LongText(""))})
        EXPECT_NE(bytes.find(entry), std::string::npos) << entry;
}
#endif

TEST(SettingsObjectNames, CarryTheProcessIdInLowerCaseHex)
{
    EXPECT_EQ(ProcessObjectName("qorExceptSettingsBuf", 500), "qorExceptSettingsBuf$1f4");
    EXPECT_EQ(ProcessObjectName("qorExceptSettingsMtx", 500), "qorExceptSettingsMtx$1f4");
    EXPECT_EQ(ProcessObjectName("qorExceptSettingsMtx", 0xABCDEF01u),
              "qorExceptSettingsMtx$abcdef01");
}

TEST(DefaultSettings, HoldTheDescribedDefaults)
{
    struct Case {
        const char* key;
        uint8_t kind;
        uint8_t boolean;
        int32_t integer;
        const char* text;
    };
    const Case cases[] = {
        {"Enabled", SettingsBoolean, 0, 0, ""},
        {"NoSettings", SettingsBoolean, 1, 0, ""},
        {"FreezeTimeout", SettingsInteger, 0, 60, ""},
        {"AutoDelay", SettingsInteger, 0, 60, ""},
        {"DupFreezeDef", SettingsBoolean, 0, 2, ""},
        {"BugRepFileSize", SettingsInteger, 0, 100000, ""},
        {"Plugins", SettingsText, 0, 0, "modules|processes|hardware"},
        {"TitleBar", SettingsText, 0, 0, "%appname%"},
        {"SendFailMsg", SettingsText, 0, 0, "Sorry, sending the bug report didn't work."},
        {"VersionVar", SettingsInteger, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const SettingsProperty* entry = DefaultSetting(c.key);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Kind, c.kind);
        EXPECT_EQ(entry->Boolean, c.boolean);
        EXPECT_EQ(entry->Integer, c.integer);
        EXPECT_STREQ(entry->Text ? entry->Text : "", c.text);
    }
    EXPECT_STREQ(DefaultSettings[0].Key, "Enabled");
    EXPECT_STREQ(DefaultSettings[DefaultSettingsCount - 1].Key, "VersionVar");
    EXPECT_EQ(DefaultSetting("Assistant1"), nullptr);
    EXPECT_EQ(DefaultSetting("MinDebugInfo"), nullptr);
}
