#include "StorageFixture.h"

#include "core/SysUtils.h"

#include <cmath>

using namespace storage;
using namespace storagetest;
using classlib::EConvertError;

namespace storagetest {
enum TWeekday { wdMon, wdTue, wdWed, wdThu, wdFri, wdSat, wdSun, wdHoliday, wdUnknown };
CLASSLIB_ENUM(TWeekday);
CLASSLIB_DEFINE_ENUM(TWeekday, "wdMon", "wdTue", "wdWed", "wdThu", "wdFri", "wdSat", "wdSun",
                     "wdHoliday", "wdUnknown")
enum TColourName { cnRed, cnGreen, cnBlue };
CLASSLIB_ENUM(TColourName);
CLASSLIB_DEFINE_ENUM(TColourName, "cnRed", "cnGreen", "cnBlue")
} // namespace storagetest

TEST(StoragePaths, JoinFollowsRootDotAndDotDotRules)
{
    struct Case {
        std::vector<std::string> elements;
        const char* expected;
    } cases[] = {
        {{"frmDovrel\\", "ShowCmd"}, "frmDovrel\\ShowCmd"},
        {{"a\\b\\c", ".."}, "a\\b"},
        {{"a\\b", ".."}, "a"},
        {{"a\\b", "\\c"}, "c"},
        {{"a", ".\\b"}, "a\\b"},
        {{"a\\b\\c", "..."}, "a"},
        {{"..", "x"}, "x"},
        {{"\\\\a\\\\\\b\\", ""}, "a\\b"},
        {{"a", "\\b", "c", "....", "d"}, "d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinStoragePaths(c.elements), c.expected)
            << c.elements[0] << " + " << c.elements[1];
}

TEST_F(IniStorageTest, MissingValuesGiveDefaultsAndLeaveNoTrace)
{
    EXPECT_EQ(ini->LoadInteger("s\\i", 42), 42);
    EXPECT_EQ(ini->LoadString("s\\t", "dflt"), "dflt");
    EXPECT_TRUE(ini->LoadBoolean("s\\b", true));
    EXPECT_DOUBLE_EQ(ini->LoadFloat("s\\f", 2.5), 2.5);
    EXPECT_EQ(Text(), "");
}

TEST_F(IniStorageTest, ScalarsRoundTripInTheirTextForms)
{
    ini->StoreInteger("frmDovrel\\MCUComboBox_ItemIndex", -1);
    ini->StoreBoolean("frmDovrel\\CheckBoxClose_Checked", true);
    ini->StoreString("frmDovrel\\OpenDialog1_InitialDir", "C:\\Firmware, new");
    ini->StoreBoolean("frmDovrel\\Off", false);
    ini->StoreFloat("frmDovrel\\One", 1.0);
    EXPECT_EQ(Text(),
              "[frmDovrel]\r\nMCUComboBox_ItemIndex=-1\r\nCheckBoxClose_Checked=TRUE\r\n"
              "OpenDialog1_InitialDir=C:\\Firmware, new\r\nOff=FALSE\r\n"
              "One=0000000000000080FF3F\r\n\r\n");
    EXPECT_EQ(ini->LoadInteger("FRMDOVREL\\mcucombobox_itemindex", 5), -1);
    EXPECT_TRUE(ini->LoadBoolean("frmDovrel\\CheckBoxClose_Checked", false));
    EXPECT_EQ(ini->LoadString("frmDovrel\\OpenDialog1_InitialDir", ""), "C:\\Firmware, new");

    for (double v : {0.0, -0.0, 3.141592653589793, -1e300, 5e-324, 1e-310, 123456789.125}) {
        ini->StoreFloat("f\\v", v);
        EXPECT_EQ(ini->LoadFloat("f\\v", 7), v) << v;
    }
}

// The program's format settings replaced for one test.
struct ProgramFormats {
    explicit ProgramFormats(const classlib::TFormatSettings& settings)
        : saved(classlib::FormatSettings)
    {
        classlib::FormatSettings = settings;
    }
    ~ProgramFormats() { classlib::FormatSettings = saved; }
    classlib::TFormatSettings saved;
};

classlib::TFormatSettings GermanFormats()
{
    classlib::TFormatSettings german;
    german.DateSeparator = '.';
    german.ShortDateFormat = "dd.mm.yyyy";
    german.LongTimeFormat = "hh:nn:ss";
    return german;
}

TEST_F(IniStorageTest, DateTimesAreTextInTheProgramsShortDateAndLongTime)
{
    // 45000.5 is noon of 15 March 2023; 2.0 is 1 January 1900, a midnight (no time written).
    const struct {
        const char* name;
        classlib::TFormatSettings settings;
        const char* noon;
        const char* midnight;
    } cases[] = {
        {"English", {}, "3/15/2023 12:00:00 PM", "1/1/1900"},
        {"German", GermanFormats(), "15.03.2023 12:00:00", "01.01.1900"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFormats formats(c.settings);
        ini->StoreDateTime("d\\v", 45000.5);
        EXPECT_EQ(ini->LoadString("d\\v", ""), c.noon);
        EXPECT_DOUBLE_EQ(ini->LoadDateTime("d\\v", 0), 45000.5);
        ini->StoreDateTime("d\\midnight", 2.0);
        EXPECT_EQ(ini->LoadString("d\\midnight", ""), c.midnight);
        EXPECT_DOUBLE_EQ(ini->LoadDateTime("d\\midnight", 0), 2.0);
    }
}

TEST_F(IniStorageTest, DateTimesInTheTranslationsFormatsWhenTheOptionSaysSo)
{
    ProgramFormats formats({});
    options().SetUseTranslateStringEngineDateTimeFormats(true);
    storage::TOcTranslateString* engine = ini->ActiveTranslateStringEngine();
    const struct {
        const char* dateFormat;
        const char* timeFormat;
        const char* noon;
    } cases[] = {
        // The translation's own formats, whose separators are not the settings' "/" and ":".
        {"dd_mm_yyyy", "hh_nn_ss", "15_03_2023 12_00_00"},
        {"yyyy-mm-dd", "hh:nn", "2023-03-15 12:00"},
        // An empty format keeps the system's.
        {"", "", "3/15/2023 12:00:00 PM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.noon);
        engine->DateFormat = c.dateFormat;
        engine->TimeFormat = c.timeFormat;
        ini->StoreDateTime("d\\v", 45000.5);
        EXPECT_EQ(ini->LoadString("d\\v", ""), c.noon);
        EXPECT_DOUBLE_EQ(ini->LoadDateTime("d\\v", 0), 45000.5);
        const classlib::TFormatSettings& cached = ini->CachedFormatSettings();
        if (*c.dateFormat) {
            EXPECT_EQ(cached.ShortDateFormat, c.dateFormat);
            EXPECT_EQ(cached.LongDateFormat, c.dateFormat);
            EXPECT_EQ(cached.ShortTimeFormat, c.timeFormat);
            EXPECT_EQ(cached.LongTimeFormat, c.timeFormat);
        }
    }
    // A text in the program's formats (written before the option was set) still reads.
    engine->DateFormat = "dd_mm_yyyy";
    Load("[d]\r\nv=3/15/2023 12:00:00 PM\r\n");
    EXPECT_DOUBLE_EQ(ini->LoadDateTime("d\\v", 0), 45000.5);

    // The option is published and copied with the options.
    EXPECT_NE(classlib::GetPropInfo(&options(), "UseTranslateStringEngineDateTimeFormats"),
              nullptr);
    storage::TOcAppIniStorageOptions copy;
    copy.Assign(&options());
    EXPECT_TRUE(copy.UseTranslateStringEngineDateTimeFormats());
}

TEST_F(IniStorageTest, AnAssignedTranslationReplacesTheStoragesOwnUntilItGoes)
{
    storage::TOcTranslateString* own = ini->ActiveTranslateStringEngine();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(ini->TranslateStringEngine(), nullptr);
    auto* assigned = new storage::TOcTranslateString(nullptr);
    assigned->DateFormat = "yyyy.mm.dd";
    ini->SetTranslateStringEngine(assigned);
    EXPECT_EQ(ini->ActiveTranslateStringEngine(), assigned);
    EXPECT_EQ(ini->DateTimeFormatSettings().ShortDateFormat, "yyyy.mm.dd");
    assigned->Free();
    EXPECT_EQ(ini->TranslateStringEngine(), nullptr);
    EXPECT_EQ(ini->ActiveTranslateStringEngine(), own);

    // Both are published on the storage base; the active one cannot be set.
    const classlib::TPropInfo* active = classlib::GetPropInfo(ini, "ActiveTranslateStringEngine");
    ASSERT_NE(active, nullptr);
    EXPECT_FALSE(active->HasWriter());
    EXPECT_EQ(classlib::GetObjectProp(ini, "ActiveTranslateStringEngine"), own);
    const classlib::TPropInfo* engine = classlib::GetPropInfo(ini, "TranslateStringEngine");
    ASSERT_NE(engine, nullptr);
    EXPECT_TRUE(engine->HasWriter());
    EXPECT_EQ(engine->Owner, &storage::TOcCustomAppStorage::StaticClass());
}

TEST_F(IniStorageTest, BooleansReadFromWordListsOrNumbers)
{
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {{"yes", true}, {"Y", true},  {"TRUE", true},   {"true", true}, {"2", true},
                 {"no", false}, {"n", false}, {"False", false}, {"0", false}};
    for (const Case& c : cases) {
        Load(std::string("[s]\r\nb=") + c.text + "\r\n");
        EXPECT_EQ(ini->LoadBoolean("s\\b", !c.expected), c.expected) << c.text;
    }
    Load("[s]\r\nb=perhaps\r\n");
    EXPECT_THROW(ini->LoadBoolean("s\\b", true), EConvertError);
    options().SetDefaultIfReadConvertError(true);
    EXPECT_TRUE(ini->LoadBoolean("s\\b", true));
    EXPECT_FALSE(ini->LoadBoolean("s\\b", false));
}

TEST_F(IniStorageTest, MissingBooleanWithoutDefaultShortcutReadsTheDefaultWordBack)
{
    options().SetDefaultIfValueNotExists(false);
    EXPECT_TRUE(ini->LoadBoolean("s\\b", true));
    EXPECT_FALSE(ini->LoadBoolean("s\\b", false));
    EXPECT_EQ(ini->LoadInteger("s\\i", 9), 9);
}

TEST_F(IniStorageTest, TrueListWithEmptyFirstWordSwitchesToNumbers)
{
    options().SetBooleanStringTrueValues(", YES");
    EXPECT_FALSE(options().BooleanAsString());
    ini->StoreBoolean("s\\t", true);
    ini->StoreBoolean("s\\f", false);
    EXPECT_EQ(Text(), "[s]\r\nt=1\r\nf=0\r\n\r\n");
    options().SetBooleanAsString(true); // still refused while the first word is empty
    EXPECT_FALSE(options().BooleanAsString());
}

TEST_F(IniStorageTest, EnumerationsByNameNumberOrDefault)
{
    const auto* type = classlib::TypeInfoOf<TWeekday>();
    ini->StoreEnumeration("e\\day", type, wdWed);
    EXPECT_EQ(ini->LoadString("e\\day", ""), "wdWed");

    struct Case {
        const char* text;
        int64_t expected;
    } cases[] = {
        {"WDFRI", wdFri},
        {"7", 7},      // no identifier, so read as an ordinal
        {"8", 8},      // the last ordinal of the type
        {"9", wdTue},  // outside the type: the default stays
        {"-5", wdTue}, // likewise
        {"2147483647", wdTue},
    };
    for (const Case& c : cases) {
        Load(std::string("[e]\r\nday=") + c.text + "\r\n");
        int64_t value = -100;
        ini->LoadEnumeration("e\\day", type, value, wdTue);
        EXPECT_EQ(value, c.expected) << c.text;
    }
    Load("[e]\r\nday=wdNever\r\n");
    int64_t value = wdMon;
    EXPECT_THROW(ini->LoadEnumeration("e\\day", type, value, wdTue), EConvertError);
    options().SetDefaultIfReadConvertError(true);
    ini->LoadEnumeration("e\\day", type, value, wdTue);
    EXPECT_EQ(value, wdTue);

    options().SetEnumerationAsString(false);
    ini->StoreEnumeration("e\\n", type, wdSun);
    EXPECT_EQ(ini->LoadString("e\\n", ""), "6");
    ini->StoreEnumeration("e\\b", classlib::TypeInfoOf<bool>(), 1);
    EXPECT_EQ(ini->LoadString("e\\b", ""), "TRUE");
}

TEST_F(IniStorageTest, SetsAsTextOrAsOneBooleanPerElement)
{
    const auto* type = classlib::TypeInfoOf<classlib::TSet<TColourName>>();
    const uint32_t redBlue = (1u << cnRed) | (1u << cnBlue);
    ini->StoreSet("folder", type, redBlue);
    EXPECT_EQ(Text(), "[folder]\r\ncnRed=TRUE\r\ncnGreen=FALSE\r\ncnBlue=TRUE\r\n\r\n");
    uint32_t value = 0;
    ini->LoadSet("folder", type, value, 0);
    EXPECT_EQ(value, redBlue);

    options().SetSetAsString(true);
    ini->StoreSet("s\\text", type, redBlue);
    EXPECT_EQ(ini->LoadString("s\\text", ""), "[cnRed, cnBlue]");
    value = 0;
    ini->LoadSet("s\\text", type, value, 0);
    EXPECT_EQ(value, redBlue);
    ini->LoadSet("s\\missing", type, value, 1u << cnGreen);
    EXPECT_EQ(value, 1u << cnGreen);
    Load("[s]\r\ntext=[cnRed,cnPurple]\r\n");
    EXPECT_THROW(ini->LoadSet("s\\text", type, value, 0), EConvertError);
}

// Sets whose element type does not start in the first byte (8..15) or reaches past 32 elements
// (0..255): the value keeps element e at bit e, the text names the elements.
// An integer type with an identifier mapping (as colours have) is stored by identifier when the
// mapping knows the value, as a number otherwise, and read back from either.
TEST_F(IniStorageTest, IntegersWithAnIdentifierMappingAreStoredByIdentifier)
{
    static const classlib::TTypeInfo shade = classlib::MakeIntegerInfo("TShade", 0, 0xFFFFFF);
    static const bool registered =
        (classlib::RegisterIntegerConsts(
             &shade,
             [](std::string_view ident, int64_t& value) {
                 if (classlib::CompareText(std::string(ident), "shRed") != 0)
                     return false;
                 value = 0x0000FF;
                 return true;
             },
             [](int64_t value, std::string& ident) {
                 if (value != 0x0000FF)
                     return false;
                 ident = "shRed";
                 return true;
             }),
         true);
    (void)registered;
    ini->StoreEnumeration("c\\red", &shade, 0x0000FF);
    ini->StoreEnumeration("c\\other", &shade, 0x123456);
    EXPECT_EQ(ini->LoadString("c\\red", ""), "shRed");
    EXPECT_EQ(ini->LoadString("c\\other", ""), "1193046");
    int64_t value = 0;
    ini->LoadEnumeration("c\\red", &shade, value, 0);
    EXPECT_EQ(value, 0x0000FF);
    ini->LoadEnumeration("c\\other", &shade, value, 0);
    EXPECT_EQ(value, 0x123456);
    Load("[c]\r\nlower=shred\r\nunknown=shPurple\r\n");
    ini->LoadEnumeration("c\\lower", &shade, value, 0);
    EXPECT_EQ(value, 0x0000FF);
    EXPECT_THROW(ini->LoadEnumeration("c\\unknown", &shade, value, 0), EConvertError);
    EXPECT_FALSE(options().DefaultIfReadConvertError())
        << "the option is restored after the identifier read";

    options().SetTypedIntegerAsString(false);
    ini->StoreEnumeration("c\\number", &shade, 0x0000FF);
    EXPECT_EQ(ini->LoadString("c\\number", ""), "255");
}

TEST_F(IniStorageTest, SetTextNamesTheElementsOfEveryElementRange)
{
    auto range = [](const char* name, int64_t min, int64_t max) {
        classlib::TTypeInfo t;
        t.Kind = classlib::tkInteger;
        t.Name = name;
        t.OrdType = classlib::otUByte;
        t.MinValue = min;
        t.MaxValue = max;
        return t;
    };
    options().SetSetAsString(true);
    const classlib::TTypeInfo high = range("THigh", 8, 15);
    const classlib::TTypeInfo highSet = classlib::MakeSetInfo("THighSet", &high);
    const uint32_t nineTwelve = (1u << 9) | (1u << 12);
    ini->StoreSet("s\\high", &highSet, nineTwelve);
    EXPECT_EQ(ini->LoadString("s\\high", ""), "[9, 12]");
    uint32_t value = 0;
    ini->LoadSet("s\\high", &highSet, value, 0);
    EXPECT_EQ(value, nineTwelve);

    const classlib::TTypeInfo bytes = range("TByte", 0, 255);
    const classlib::TTypeInfo byteSet = classlib::MakeSetInfo("TByteSet", &bytes);
    Load("[s]\r\nlow=[3, 31]\r\nbeyond=[3, 200]\r\n");
    ini->LoadSet("s\\low", &byteSet, value, 0);
    EXPECT_EQ(value, (1u << 3) | (1u << 31));
    // Element 200 has no bit in the value: a conversion error, as for an unknown name.
    EXPECT_THROW(ini->LoadSet("s\\beyond", &byteSet, value, 0), EConvertError);
    options().SetDefaultIfReadConvertError(true);
    ini->LoadSet("s\\beyond", &byteSet, value, 1u << 7);
    EXPECT_EQ(value, 1u << 7);
}

TEST_F(IniStorageTest, FloatTextsAndTheirFaults)
{
    struct Case {
        const char* text;
        double expected;
    } cases[] = {
        {"0000000000000080FF3F", 1.0},
        {"000000000000080FF3F", 1.0},    // odd count: a leading "0" is assumed
        {"0000000000000080FF", 9.0},     // fewer than 20 digits: the default
        {"0000000000000080FF3F99", 1.0}, // digits after the twentieth are ignored
        {"1.5", 1.5},                    // not hexadecimal: read as decimal text
    };
    for (const Case& c : cases) {
        Load(std::string("[f]\r\nv=") + c.text + "\r\n");
        EXPECT_EQ(ini->LoadFloat("f\\v", 9.0), c.expected) << c.text;
    }
    Load("[f]\r\nv=zz\r\n");
    EXPECT_THROW(ini->LoadFloat("f\\v", 9.0), EConvertError);
}

TEST_F(IniStorageTest, FloatsAndDateTimesReadWhicheverFormTheFileHolds)
{
    // Written in text or raw form, read with either option: the other form is the fallback.
    // (The raw forms of these values hold letters, so they never read as decimal text.)
    for (bool writeText : {false, true}) {
        for (bool readText : {false, true}) {
            SCOPED_TRACE(std::string(writeText ? "text" : "raw") + " read as " +
                         (readText ? "text" : "raw"));
            ini->StorageOptions()->SetFloatAsString(writeText);
            ini->StorageOptions()->SetDateTimeAsString(writeText);
            ini->StoreFloat("v\\f", 2.75);
            ini->StoreDateTime("v\\d", 45000.5);
            ini->StorageOptions()->SetFloatAsString(readText);
            ini->StorageOptions()->SetDateTimeAsString(readText);
            EXPECT_EQ(ini->LoadFloat("v\\f", 0), 2.75);
            EXPECT_DOUBLE_EQ(ini->LoadDateTime("v\\d", 0), 45000.5);
        }
    }
    // Neither form: a conversion error, or the default when the options ask for it.
    Load("[v]\r\nf=zz\r\nd=zz\r\n");
    EXPECT_THROW(ini->LoadDateTime("v\\d", 1), EConvertError);
    EXPECT_THROW(ini->LoadFloat("v\\f", 1), EConvertError);
    ini->StorageOptions()->SetDefaultIfReadConvertError(true);
    EXPECT_EQ(ini->LoadFloat("v\\f", 1.5), 1.5);
    EXPECT_DOUBLE_EQ(ini->LoadDateTime("v\\d", 3.0), 3.0);
}

TEST_F(IniStorageTest, TopLevelValueNeedsDefaultSection)
{
    EXPECT_THROW(ini->StoreInteger("top", 1), EOCLAppStorageError);
    ini->SetDefaultSection("General");
    ini->StoreInteger("top", 1);
    EXPECT_EQ(Text(), "[General]\r\ntop=1\r\n\r\n");
}

TEST_F(IniStorageTest, ValueEncodingOptions)
{
    options().SetReplaceCRLF(true);
    options().SetPreserveLeadingTrailingBlanks(true);
    ini->StoreString("s\\two", "line 1\r\nC:\\dir\nend\r");
    ini->StoreString("s\\blank", "  padded ");
    ini->StoreString("s\\quoted", "\"q\"");
    EXPECT_EQ(Text(),
              "[s]\r\ntwo=line 1\\nC:\\\\dir\\nend\\n\r\nblank=\"  padded "
              "\"\r\nquoted=\"\"q\"\"\r\n\r\n");
    EXPECT_EQ(ini->LoadString("s\\two", ""), "line 1\r\nC:\\dir\r\nend\r\n");
    EXPECT_EQ(ini->LoadString("s\\blank", ""), "  padded ");
    EXPECT_EQ(ini->LoadString("s\\quoted", ""), "\"q\"");
}

TEST_F(IniStorageTest, FoldersListAndRemove)
{
    Load(
        "[a]\r\nx=1\r\n[ab]\r\ny=2\r\n[a\\b]\r\nz=3\r\n[a\\c\\d]\r\nw=4\r\n[a\\list]\r\nCount="
        "1\r\nItem0=q\r\n");
    classlib::TStringList names;
    ini->ListSubFolders("a", &names, false);
    EXPECT_EQ(names.CommaText(), "b,c,list");
    names.Clear();
    ini->ListSubFolders("a", &names, true);
    EXPECT_EQ(names.CommaText(), "b,c");
    ini->ListValueNames("a\\list", &names, true);
    EXPECT_EQ(names.Count(), 0);
    EXPECT_TRUE(ini->IsStoredFolder("a\\c"));
    EXPECT_FALSE(ini->IsStoredFolder("a\\list", true));
    EXPECT_TRUE(ini->IsStoredFolder("a\\list", false));

    ini->EraseSubTree("a");
    EXPECT_EQ(Text(), "[ab]\r\ny=2\r\n\r\n");
}

TEST_F(IniStorageTest, StringListsShrinkAndReadEitherForm)
{
    classlib::TStringList list;
    list.SetText("1\n2\n3\n4\n5");
    ini->StoreStringList("s\\l", &list);
    list.SetText("a\nb\nc");
    ini->StoreStringList("s\\l", &list);
    EXPECT_EQ(ini->LoadInteger("s\\l\\Count", 0), 3);
    EXPECT_FALSE(ini->HasStoredValue("s\\l\\Item3"));
    EXPECT_FALSE(ini->HasStoredValue("s\\l\\Item4"));

    classlib::TStringList back;
    options().SetStringListAsSingleValue(true);
    EXPECT_EQ(ini->LoadStringList("s\\l", &back), 3); // stored as items, read in single-value mode
    EXPECT_EQ(back.CommaText(), "a,b,c");

    ini->StoreStringList("s\\l", &list);
    EXPECT_FALSE(ini->HasStoredList("s\\l"));
    EXPECT_EQ(ini->LoadString("s\\l", ""), "a\r\nb\r\nc");
    options().SetStringListAsSingleValue(false);
    EXPECT_EQ(ini->LoadStringList("s\\l", &back), 3);
    EXPECT_EQ(back.CommaText(), "a,b,c");
}

TEST_F(IniStorageTest, ReadOnlyStorageSkipsWrites)
{
    ini->StoreInteger("s\\a", 1);
    ini->SetReadOnly(true);
    ini->StoreInteger("s\\a", 2);
    ini->StoreString("s\\b", "x");
    ini->EraseValue("s\\a");
    classlib::TStringList list;
    list.Add("x");
    ini->StoreStringList("l", &list);
    EXPECT_EQ(Text(), "[s]\r\na=1\r\n\r\n");
}

TEST_F(IniStorageTest, ValueHooksEncryptOnlyWhileEnabled)
{
    struct Crypt {
        void Reverse(std::string& v) { v.assign(v.rbegin(), v.rend()); }
    } crypt;
    ini->OnEncryptPropertyValue = TOcCryptPropertyValueEvent(&crypt, &Crypt::Reverse);
    ini->OnDecryptPropertyValue = TOcCryptPropertyValueEvent(&crypt, &Crypt::Reverse);
    ini->StoreString("s\\plain", "abc");
    ini->EnableCrypt();
    ini->StoreString("s\\hidden", "abc");
    EXPECT_EQ(Text(), "[s]\r\nplain=abc\r\nhidden=Y2Jh\r\n\r\n");
    EXPECT_EQ(ini->LoadString("s\\hidden", ""), "abc");
}

// ---- sub-storages ----------------------------------------------------------------------------

TEST(SubStorages, RouteByLongestRootAndRefuseDuplicatesAndCycles)
{
    auto* a = new MemoryIniStorage();
    auto* b = new MemoryIniStorage();
    auto* c = new MemoryIniStorage();
    auto mount = [](TOcCustomAppStorage* on, const char* root, TOcCustomAppStorage* what) {
        auto* item = static_cast<TOcAppSubStorage*>(on->SubStorages()->Add());
        item->SetRootPath(root);
        item->SetAppStorage(what);
        return item;
    };
    EXPECT_EQ(mount(a, "a\\b\\", b)->RootPath(), "a\\b");
    b->SetAsText("[c]\r\nx=from b\r\n");
    EXPECT_EQ(a->LoadString("a\\b\\c\\x", ""), "from b");

    mount(a, "a", c); // a wider root beside a\b is accepted
    a->StoreString("a\\b\\s\\x", "to b");
    a->StoreString("a\\y\\z", "to c");
    EXPECT_EQ(b->GetAsText(), "[c]\r\nx=from b\r\n\r\n[s]\r\nx=to b\r\n\r\n");
    EXPECT_EQ(c->GetAsText(), "[y]\r\nz=to c\r\n\r\n");
    EXPECT_EQ(a->GetAsText(), "");

    auto* item = static_cast<TOcAppSubStorage*>(a->SubStorages()->Add());
    EXPECT_THROW(item->SetRootPath("A\\B\\q"), EOCLAppStorageError); // inside a mounted root
    EXPECT_THROW(item->SetRootPath("a\\b"), EOCLAppStorageError);
    EXPECT_THROW(item->SetAppStorage(a), EOCLAppStorageError); // itself
    auto* back = static_cast<TOcAppSubStorage*>(b->SubStorages()->Add());
    EXPECT_THROW(back->SetAppStorage(a), EOCLAppStorageError); // a reaches b already
    delete item;

    const int mounts = a->SubStorages()->Count();
    c->Free(); // its mount goes with it
    EXPECT_EQ(a->SubStorages()->Count(), mounts - 1);
    EXPECT_EQ(a->LoadString("a\\y\\z", "gone"), "gone");
    a->Free();
    b->Free();
}
