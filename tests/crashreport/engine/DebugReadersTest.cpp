// The debug-information tables and the readers of the packed payload, the ".bdbg" file and the
// map text, on synthetic files written from the format descriptions (DebugFileWriter.h).
// Expected entries follow the formats' rules by hand.
#include "QorDebugReaders.h"
#include "QorUnmangle.h"

#include "DebugFileWriter.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

const ModuleLayout Layout{0x00401000, 0x0040B123, 0x0040C000, false};

std::string Describe(const DebugTables& tables)
{
    std::string text;
    char line[160];
    for (const TMfSegment& s : tables.segments) {
        std::snprintf(line, sizeof line, "S %c %08x %08x %s%s\n", s.code ? 'C' : 'D', s.start,
                      s.length, s.unit.c_str(), s.hasLines ? " +lines" : "");
        text += line;
    }
    for (const TMfPublic& p : tables.publics) {
        std::snprintf(line, sizeof line, "P %c %08x %s\n", p.code ? 'C' : 'D', p.address,
                      p.name.c_str());
        text += line;
    }
    for (const TMfLine& l : tables.lines) {
        std::snprintf(line, sizeof line, "L %d %08x\n", l.line, l.address);
        text += line;
    }
    if (tables.entryPoint != 0) {
        std::snprintf(line, sizeof line, "E %08x\n", tables.entryPoint);
        text += line;
    }
    return text;
}

SyntheticDebugInfo SampleInfo()
{
    SyntheticDebugInfo info;
    info.segments = {{0x0000, 0x0800, "System", false}, {0x0800, 0x1000, "Main.pas", true}};
    // The second delta needs the 0x80 escape with four bytes after it; the third is small.
    info.publics = {{"@System@Halt0$qqrv", 0x0010},
                    {"TForm1.Button1Click", 0x0900},
                    {"TForm1.FormCreate", 0x0940}};
    info.lines = {{10, 0x0900}, {11, 0x0908}, {400, 0x0A00}, {12, 0x0904}};
    info.withEntryPoint = true;
    info.entryPoint = 0x0123;
    return info;
}

} // namespace

TEST(QorUnmangle, CompilerNamesBecomeClassAndRoutine)
{
    struct Case {
        const char* mangled;
        const char* name;
        const char* unit;
        bool result;
    };
    const Case cases[] = {
        {"@Qorexcept@initialization$qqrv", "initialization", "Qorexcept", true},
        {"@Classes@TList@$bctr$qqrv", "TList.Create", "Classes", true},
        {"@Classes@TList@$bdtr$qqrv", "TList.Destroy", "Classes", true},
        {"@Unit@Proc", "Proc", "Unit", true},
        {"@Unit@TThing@Run$qqrv", "TThing.Run", "Unit", true},
        {"Plain::Name", "Plain.Name", "", false},
        {"main", "main", "", false},
    };
    for (const Case& c : cases) {
        std::string name = c.mangled;
        std::string unit = "stale";
        EXPECT_EQ(UnmangleName(name, unit), c.result) << c.mangled;
        EXPECT_EQ(name, c.name) << c.mangled;
        EXPECT_EQ(unit, c.unit) << c.mangled;
    }
}

TEST(QorDebugTables, SegmentsSortAndMerge)
{
    DebugTables tables(Layout);
    tables.AddSegment(false, 0x40C000, 0x10, "Data.pas");
    tables.AddSegment(true, 0x402000, 0x100, "B.dpr");
    tables.AddSegment(true, 0x401000, 0x10, "A");
    tables.AddSegment(true, 0x401000, 0x20, "A2");
    EXPECT_EQ(Describe(tables),
              "S D 0040c000 00000010 Data\nS C 00402000 00000100 B\nS C 00401000 00000010 A\n"
              "S C 00401000 00000020 A2\n");
    tables.SortSegments();
    EXPECT_EQ(Describe(tables),
              "S C 00401000 00000020 A2\nS C 00401000 00000010 A\nS C 00402000 00000100 B\n"
              "S D 0040c000 00000010 Data\n");
    EXPECT_EQ(tables.SegmentAt(true, 0x40101F)->unit, "A2");
    EXPECT_EQ(tables.SegmentAt(true, 0x401020), nullptr);
    EXPECT_EQ(tables.SegmentAt(false, 0x402000), nullptr);

    // Same start: the first gives way; each range is set to reach the next of its kind (A up
    // to the empty entry, which then gives way), and neighbours of one unit (ignoring case)
    // are joined.
    DebugTables merging(Layout);
    for (auto [start, length, unit] : {std::tuple{0x401000u, 0x20u, "A"},
                                       {0x401000u, 0x10u, "a"},
                                       {0x401100u, 0x10u, "A"},
                                       {0x401200u, 0u, "Gone"},
                                       {0x401300u, 0x10u, "B"},
                                       {0x40C000u, 0x10u, "D"}})
        merging.AddSegment(start < 0x40C000u, start, length, unit);
    merging.MergeSegments(false);
    EXPECT_EQ(Describe(merging),
              "S C 00401000 00000200 A\nS C 00401300 00000010 B\nS D 0040c000 00000010 D\n");
}

TEST(QorDebugTables, PublicNamesFollowTheirSegments)
{
    DebugTables tables(Layout);
    tables.AddSegment(true, 0x401000, 0x100, "System");
    tables.AddSegment(true, 0x401100, 0x100, "Main");
    tables.SortSegments();
    tables.AddPublic(true, "System", 0x0000);                    // the unit's own name
    tables.AddPublic(true, "@System@Halt0$qqrv", 0x0010);        // its unit is the segment's
    tables.AddPublic(true, "@Classes@TList@$bctr$qqrv", 0x0110); // another unit stays in the name
    tables.AddPublic(true, "@$xp$Foo", 0x0120);                  // type information
    tables.AddPublic(false, "Counter", 0x0004);
    EXPECT_EQ(Describe(tables),
              "S C 00401000 00000100 System\nS C 00401100 00000100 Main\n"
              "P C 00401000 initialization\nP C 00401010 Halt0\nP C 00401110 Classes.TList.Create\n"
              "P D 0040c004 Counter\n");

    DebugTables codeOnly(Layout, true);
    codeOnly.AddSegment(false, 0x40C000, 4, "Data");
    codeOnly.AddPublic(false, "Counter", 4);
    EXPECT_TRUE(codeOnly.segments.empty());
    EXPECT_TRUE(codeOnly.publics.empty());
}

TEST(QorPackedDebug, ReadsTheFullAndTheMinimalForm)
{
    const SyntheticDebugInfo info = SampleInfo();
    DebugTables full(Layout);
    ASSERT_TRUE(ReadPackedDebugInfo(PackedDebugFile(PackedTables(info, false)), full));
    EXPECT_EQ(Describe(full),
              "S C 00401000 00000800 System\nS C 00401800 00001000 Main\n"
              "P C 00401010 @System@Halt0$qqrv\nP C 00401900 TForm1.Button1Click\n"
              "P C 00401940 TForm1.FormCreate\n"
              "L 10 00401900\nL 11 00401908\nL 400 00401a00\nL 12 00401904\nE 00401123\n");
    EXPECT_EQ(full.fingerprint, "");

    PackedHeaderFields minimalFields;
    minimalFields.flags = PackedMinimalFlag;
    DebugTables minimal(Layout);
    ASSERT_TRUE(
        ReadPackedDebugInfo(PackedDebugFile(PackedTables(info, true), minimalFields), minimal));
    EXPECT_EQ(Describe(minimal),
              "S C 00401000 00000800 segment%0\nS C 00401800 00001000 segment%1 +lines\n"
              "P C 00401010 public%0\nP C 00401900 public%1\nP C 00401940 public%2\n"
              "L 10 00401900\nL 11 00401908\nL 400 00401a00\nL 12 00401904\nE 00401123\n");
}

TEST(QorPackedDebug, HeaderVersionsAndDamage)
{
    const std::string tables = PackedTables(SampleInfo(), false);
    const std::string good = PackedDebugFile(tables);
    struct Case {
        const char* what;
        std::string data;
        bool accepted;
    };
    PackedHeaderFields version2;
    version2.version = 2;
    PackedHeaderFields version4;
    version4.version = 4;
    PackedHeaderFields otherSignature;
    otherSignature.signature = "qorExceptDebuh";
    PackedHeaderFields otherKey;
    otherKey.keyWord = "Orvano";
    std::string flipped = good;
    flipped[good.size() - 20] ^= 0x40;
    const Case cases[] = {
        {"version 3", good, true},
        {"version 2, payload after the version", PackedDebugFile(tables, version2), true},
        {"version 4", PackedDebugFile(tables, version4), false},
        {"signature", PackedDebugFile(tables, otherSignature), false},
        {"key", PackedDebugFile(tables, otherKey), false},
        {"payload byte", flipped, false},
        {"cut short", good.substr(0, good.size() - 1), false},
        {"header only", good.substr(0, 22), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        DebugTables read(Layout);
        EXPECT_EQ(ReadPackedDebugInfo(c.data, read), c.accepted) << c.what;
    }
}

TEST(QorPackedDebug, FingerprintMustMatchTheOneHeld)
{
    PackedHeaderFields fields;
    fields.fingerprintA = 0xDEADBEEF;
    fields.fingerprintB = 0x00000042;
    const std::string data = PackedDebugFile(PackedTables(SampleInfo(), false), fields);
    char expected[40];
    std::snprintf(expected, sizeof expected, "$%08x, $deadbeef, $00000042",
                  static_cast<unsigned>(data.size()));
    EXPECT_EQ(PackedDebugFingerprint(data.size(), 0xDEADBEEF, 0x42), expected);
    EXPECT_EQ(std::string(expected).size(), 31u);

    DebugTables matching(Layout);
    matching.fingerprint = expected;
    EXPECT_TRUE(ReadPackedDebugInfo(data, matching));
    DebugTables other(Layout);
    other.fingerprint = "$00000000, $deadbeef, $00000042";
    EXPECT_FALSE(ReadPackedDebugInfo(data, other));
    EXPECT_TRUE(other.publics.empty());
}

TEST(QorPackedDebug, TablesThatRunOutEndTheReading)
{
    SyntheticDebugInfo info = SampleInfo();
    info.withEntryPoint = false;
    std::string tables = PackedTables(info, false);
    tables += "xyz"; // not exactly four bytes: no entry point
    DebugTables read(Layout);
    ASSERT_TRUE(ReadPackedDebugInfo(PackedDebugFile(tables), read));
    EXPECT_EQ(read.entryPoint, 0u);
    EXPECT_EQ(read.lines.size(), 4u);

    // A public count larger than the data: the publics present are read, then reading stops.
    std::string truncated = PackedTables(info, false);
    truncated.resize(truncated.find("TForm1.FormCreate") + 5);
    DebugTables partial(Layout);
    ASSERT_TRUE(ReadPackedDebugInfo(PackedDebugFile(truncated), partial));
    EXPECT_EQ(partial.segments.size(), 2u);
    EXPECT_EQ(partial.publics.size(), 2u);
    EXPECT_TRUE(partial.lines.empty());
}

TEST(QorBdbgFile, ReadsUnitsSymbolsAndLines)
{
    BdbgContent content;
    content.files = {{0x0000, XorPoolEntry("C:\\src\\System.pas")},
                     {0x0400, PackedPoolEntry("Main")},
                     {0x0800, PackedPoolEntry("Main")}};
    content.symbols = {{0x0010, PackedPoolEntry("Halt0"), ""},
                       {0x0420, PackedPoolEntry("Button1Click"), XorPoolEntry("TForm1")},
                       {0x0900, PackedPoolEntry("HandleFinally", true), ""}};
    content.lines = {{5, 0x0400}, {7, 0x0410}, {6, 0x0404}};
    DebugTables tables(Layout);
    ASSERT_TRUE(ReadBdbgFile(BdbgFile(content), tables));
    EXPECT_EQ(Describe(tables),
              "S C 00401000 00000400 System\nS C 00401400 00009d23 Main\n"
              "P C 00401010 Halt0\nP C 00401420 TForm1.Button1Click\nP C 00401900 @HandleFinally\n"
              "L 5 00401400\nL 7 00401410\nL 6 00401404\n");
}

TEST(QorBdbgFile, HeaderChecks)
{
    BdbgContent content;
    content.files = {{0, PackedPoolEntry("Main")}};
    const std::string good = BdbgFile(content);
    BdbgContent wrongSum = content;
    wrongSum.corruptChecksum = true;
    BdbgContent unchecked = wrongSum;
    unchecked.checksumValid = false;
    std::string version2 = good;
    version2[4] = 2;
    struct Case {
        const char* what;
        std::string data;
        bool accepted;
    };
    const Case cases[] = {
        {"valid", good, true},
        {"wrong checksum", BdbgFile(wrongSum), false},
        {"wrong checksum, not checked", BdbgFile(unchecked), true},
        {"version 2", version2, false},
        {"size not a multiple of 4", good + "x", false},
        {"signature", "BDBX" + good.substr(4), false},
        {"shorter than the header", good.substr(0, 32), false},
    };
    for (const Case& c : cases) {
        DebugTables tables(Layout);
        EXPECT_EQ(ReadBdbgFile(c.data, tables), c.accepted) << c.what;
    }
}

TEST(QorBdbgFile, TablesOutsideTheFileGiveNoEntries)
{
    BdbgContent content;
    content.files = {{0, PackedPoolEntry("Main")}};
    content.lines = {{1, 0}};
    std::string data = BdbgFile(content);
    // Point the symbol and line tables past the end (no checksum check).
    data[33] = 0;
    for (size_t field : {13u, 17u})
        for (int i = 0; i < 4; ++i)
            data[field + static_cast<size_t>(i)] = '\x7F';
    DebugTables tables(Layout);
    ASSERT_TRUE(ReadBdbgFile(data, tables));
    EXPECT_EQ(tables.segments.size(), 1u);
    EXPECT_TRUE(tables.publics.empty());
    EXPECT_TRUE(tables.lines.empty());
}

namespace {

// A detailed map in the layout the reader expects (columns after the leading blank).
const char* const SampleMap =
    "\r\n"
    " Start         Length     Name                   Class\r\n"
    " 0001:00401000 0000A123H .text                   CODE\r\n"
    " 0002:0040C000 00000200H .data                   DATA\r\n"
    "\r\n"
    "\r\n"
    "Detailed map of segments\r\n"
    "\r\n"
    " 0001:00000000 00000800 C=CODE     S=.text    G=(none)   M=System   ACBP=A9\r\n"
    " 0001:00000800 00001000 C=CODE     S=.text    G=(none)   M=C:\\src\\Main.pas ACBP=A9\r\n"
    " 0002:00000000 00000010 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9\r\n"
    " 0003:00000000 00000010 C=TLS      S=.tls     G=(none)   M=System   ACBP=A9\r\n"
    "\r\n"
    "\r\n"
    "  Address         Publics by Value\r\n"
    "\r\n"
    " 0001:00000000       System\r\n"
    " 0001:00000010       @System@Halt0$qqrv\r\n"
    " 0001:00000020       @$xp$TForm1\r\n"
    " 0001:00000900       TForm1.Button1Click (near)\r\n"
    " 0002:00000004       Counter\r\n"
    " 0003:00000000       Skipped\r\n"
    "\r\n"
    "\r\n"
    "Line numbers for Main(C:\\src\\Main.pas) segment .text\r\n"
    "\r\n"
    "    10 0001:00000900    11 0001:00000908    12 0001:00000910\r\n"
    "    13 0001:00000904    14 0001:00000918    15 0003:00000000\r\n"
    "\r\n"
    "Program entry point at 0001:00000123\r\n";

} // namespace

TEST(QorMapText, ReadsSectionsSegmentsPublicsLinesAndEntryPoint)
{
    DebugTables tables(Layout);
    EXPECT_TRUE(ReadMapText(SampleMap, tables));
    EXPECT_EQ(tables.DataSegment(), 2);
    EXPECT_EQ(tables.SecondSegmentOffset(), 0xB000u);
    EXPECT_EQ(Describe(tables),
              "S C 00401000 00000800 System\nS C 00401800 00001000 Main\n"
              "S D 0040c000 00000010 System\n"
              "P C 00401000 initialization\nP C 00401010 Halt0\nP C 00401900 TForm1.Button1Click\n"
              "P D 0040c004 Counter\n"
              "L 10 00401900\nL 11 00401908\nL 12 00401910\nL 14 00401918\nE 00401123\n");
}

TEST(QorMapText, SecondCodeSegmentAddsTheFirstOnesRoundedLength)
{
    const char* map =
        " Start         Length     Name                   Class\n"
        " 0001:00401000 00001001H .text                   CODE\n"
        " 0002:00403000 00000100H ICODE                   ICODE\n"
        " 0003:00404000 00000200H .data                   DATA\n"
        "\n"
        "Detailed map of segments\n"
        "\n"
        " 0002:00000010 00000020 C=ICODE    S=ICODE    G=(none)   M=Init     ACBP=A9\n"
        "\n"
        "Line numbers for Init(Init.pas) segment ICODE\n"
        "\n"
        "     3 0002:00000010\n";
    DebugTables tables(Layout);
    ReadMapText(map, tables);
    EXPECT_EQ(tables.DataSegment(), 3);
    EXPECT_EQ(Describe(tables), "S C 00403010 00000020 Init\nL 3 00403010\n");
}

TEST(QorMapText, ShortSegmentLinesGiveNoSegmentsButPublicsAreRead)
{
    const char* map =
        "Detailed map of segments\n"
        "\n"
        " 0001:00000000 00000800 C=CODE S=.text M=System ACBP=A9\n"
        "\n"
        "  Address         Publics by Value\n"
        "\n"
        " 0001:00000010       Halt0\n";
    DebugTables tables(Layout);
    EXPECT_TRUE(ReadMapText(map, tables));
    EXPECT_EQ(Describe(tables), "P C 00401010 Halt0\n");
    DebugTables empty(Layout);
    EXPECT_TRUE(ReadMapText("", empty));
}

namespace {

// Names 1..6 of the TD32 samples.
Td32Subsection SampleTd32Names()
{
    return Td32Names({"C:\\src\\Main.pas", "@Main@TForm1@Click$qqrv", "@Lib@Init$qqrv",
                      "@Other@Helper$qqrv", "Counter", "Unused"});
}

Td32Subsection SampleTd32Module()
{
    return Td32Module(1, {{1, 1, 0x200, 0x400}, // code
                          {1, 1, 0x602, 0x100}, // continues it within two bytes: one range
                          {2, 0, 0x000, 0x020}, // the first data range is kept
                          {2, 0, 0x040, 0x010}, // further ones are not
                          {1, 1, 0x800, 0}});   // empty
}

} // namespace

TEST(QorTd32, ReadsNamesModulesLinesAndSymbols)
{
    std::string globals(32, '\0');
    globals += Td32Symbol(0x0204, 44, 40, 28, 2, 0x300); // covered by Main
    globals += Td32Symbol(0x0020, 26, 12, 20, 3, 0x100); // below every range: a range of its own
    globals += Td32Symbol(0x0205, 44, 40, 28, 4, 0x900); // after the last range: it is extended
    globals += Td32Symbol(0x0201, 20, 16, 4, 5, 0x004);  // data
    globals += Td32Symbol(0x0021, 24, 12, 20, 0, 0x008); // name index 0
    const std::string data = Td32Data({SampleTd32Names(),
                                       SampleTd32Module(),
                                       Td32SourceLines(1, 1, {{7, 0x10}, {8, 0x20}, {9, 0x30}}),
                                       {0x129, globals}});
    DebugTables tables(Layout);
    ASSERT_TRUE(ReadTd32Data(data, tables));
    EXPECT_EQ(Describe(tables),
              "S C 00401010 000000f0 Main\nS C 00401100 00000100 Lib\nS C 00401200 00000701 Main\n"
              "S D 0040c000 00000020 Main\n"
              "P C 00401100 Init\nP C 00401300 TForm1.Click\nP C 00401900 Other.Helper\n"
              "P D 0040c004 Counter\n"
              "L 7 00401010\nL 8 00401020\nL 9 00401030\n");
}

TEST(QorTd32, GlobalPublicsOnlyWithoutGlobalSymbols)
{
    std::string publics(4, '\0');
    publics += Td32Symbol(0x0204, 44, 40, 28, 2, 0x300);
    std::string globals(32, '\0');
    globals += Td32Symbol(0x0204, 44, 40, 28, 4, 0x310);
    DebugTables onlyPublics(Layout);
    ASSERT_TRUE(ReadTd32Data(Td32Data({SampleTd32Names(), SampleTd32Module(), {0x125, publics}}),
                             onlyPublics));
    ASSERT_EQ(onlyPublics.publics.size(), 1u);
    EXPECT_EQ(onlyPublics.publics[0].name, "TForm1.Click");
    DebugTables both(Layout);
    ASSERT_TRUE(ReadTd32Data(
        Td32Data({SampleTd32Names(), SampleTd32Module(), {0x125, publics}, {0x129, globals}}),
        both));
    ASSERT_EQ(both.publics.size(), 1u);
    EXPECT_EQ(both.publics[0].name, "Other.Helper");
}

TEST(QorTd32, RefusedOrEmpty)
{
    const std::string data = Td32Data({SampleTd32Names(), SampleTd32Module()});
    DebugTables twoCode(ModuleLayout{0x401000, 0x40B000, 0x40C000, true});
    EXPECT_FALSE(ReadTd32Data(data, twoCode));
    DebugTables wrongSignature(Layout);
    EXPECT_FALSE(ReadTd32Data(Td32Data({SampleTd32Names()}, "FB08"), wrongSignature));
    DebugTables fb0a(Layout);
    EXPECT_TRUE(ReadTd32Data(Td32Data({SampleTd32Names(), SampleTd32Module()}, "FB0A"), fb0a));
    EXPECT_EQ(fb0a.segments.size(), 2u);

    // A directory beyond the data, and subsections running past it, give nothing.
    std::string outside = data;
    outside[7] = '\x7F';
    DebugTables none(Layout);
    EXPECT_TRUE(ReadTd32Data(outside, none));
    EXPECT_TRUE(none.segments.empty());
    DebugTables cut(Layout);
    EXPECT_TRUE(ReadTd32Data(data.substr(0, data.size() - 4), cut));
    EXPECT_TRUE(cut.segments.empty());
}
