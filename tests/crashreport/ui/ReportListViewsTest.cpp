// The report tabs as data: column detection, the fixed layouts of the known sections, the
// generic list rule and the call-stack analysis on traces laid out as the engine prints them.
#include "ReportListViews.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace crashui;

namespace {

std::vector<std::string> Cells(const TReportList& list, size_t row)
{
    return RowCells(list.rows.at(row), list.columns, list.separator);
}

std::vector<std::string> ColumnNames(const TReportList& list)
{
    std::vector<std::string> names;
    for (const TListColumn& c : list.columns)
        names.push_back(c.name);
    return names;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k)
        text += (k ? "\r\n" : "") + lines[k];
    return text;
}

std::string Pad(std::string text, size_t width, bool right = false)
{
    if (text.size() < width)
        text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    return text;
}

// One trace line as the engine prints it: address, "+offset", module padded to the longest + 1,
// unit the same way, line number right-aligned to widest + 1, relative line the same, routine.
struct TFrame {
    std::string address, offset, module, unit, line, relative, routine;
};
std::string TraceText(const std::vector<TFrame>& frames, bool relativeLines)
{
    std::vector<std::string> lines;
    for (const TFrame& f : frames) {
        std::string s = f.address + " " + f.offset + " " + Pad(f.module, 13) + Pad(f.unit, 6);
        if (relativeLines)
            s += Pad(f.line, 5, true) + Pad(f.relative, 4, true);
        else
            s += Pad(f.line, 5, true);
        lines.push_back(s + " " + f.routine);
    }
    return Lines(lines);
}

const std::vector<TFrame> kFrames = {
    {"0040a1f2", "+012", "Brenvik.exe", "Unit1", "120", "+3", "TForm1.Button1Click"},
    {"00412c08", "+0a4", "Brenvik.exe", "Forms", "1024", "+17", "TCustomForm.WndProc"},
    {"7c80b729", "+037", "kernel32.dll", "", "", "", "BaseThreadInitThunk"},
};

TEST(DetectColumns, FindsTheSeparatorsEveryLineShares)
{
    struct {
        const char* name;
        std::string text;
        bool ignoreSingle;
        std::vector<int> boundaries;
    } cases[] = {
        {"blanks", "aa bb cc\r\ndd ee ff", false, {3, 6}},
        {"a run of blanks gives its last position", "ab   cd\r\nef   gh", false, {5}},
        {"a disagreeing line stops a boundary", "aa bb\r\nccxdd", false, {}},
        {"single support is ignored when asked", "ab cd\r\nef gh", true, {}},
        {"two supporting lines count", "ab cd\r\nef gh\r\nij kl", true, {3}},
        {"one counted line is enough", "ab cd", true, {3}},
        {"equals signs and blanks around them", "EAX = 1\r\nEBX = 2\r\nECX = 3", true, {6}},
        {"colon followed by a blank", "a: bc\r\nd: ef", false, {3}},
        {"a reference below three characters", "ab\r\ncd", false, {}},
        {"marked lines are not counted", "aa bb\r\n>> xyzxyzxyz", false, {3}},
    };
    for (auto& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(DetectColumns(text, c.ignoreSingle), c.boundaries) << c.name;
    }
    std::string text = "EAX = 1\r\nEBX = 2\r\nECX = 3";
    DetectColumns(text, true);
    EXPECT_EQ(text, "EAX   1\r\nEBX   2\r\nECX   3");
}

TEST(ReportTabs, NamesFollowTheSections)
{
    using S = std::vector<TNamedText>;
    EXPECT_EQ(WantedTabNames(S{{"main thread ($a4)", ""}, {"modules", ""}}),
              (std::vector<std::string>{"general", "call stack", "modules"}));
    EXPECT_EQ(WantedTabNames(S{{"main thread ($a4)", ""},
                               {"thread ($b8)", ""},
                               {"cpu registers", ""},
                               {"stack dump", ""},
                               {"disassembling", ""},
                               {"hardware", ""}}),
              (std::vector<std::string>{"general", "call stacks", "cpu regs", "stack dump",
                                        "disasm", "hardware"}));
}

TEST(ReportTabs, TextsOfTheHeaderTheThreadsAndASection)
{
    const std::vector<TNamedText> header{{"date/time", "2026-12-11"}, {"executable", "B.exe"}};
    const std::vector<TNamedText> sections{
        {"main thread ($a4)", "line a"}, {"thread ($b8)", "line b"}, {"modules", "m"}};
    EXPECT_EQ(TabText(0, header, sections).first, "date/time\t2026-12-11\r\nexecutable\tB.exe");
    EXPECT_EQ(TabText(1, header, sections).first,
              ">> main thread ($a4)\r\nline a\r\n\r\n>> thread ($b8)\r\nline b");
    EXPECT_EQ(TabText(2, header, sections), (std::pair<std::string, std::string>{"m", "modules"}));
    EXPECT_EQ(TabText(3, header, sections).first, "");
}

TEST(ReportTabs, AOneItemHeaderIsAOneRowList)
{
    const std::vector<TNamedText> header{{"executable", "Brenvik.exe"}};
    const TReportList list = BuildTabList(0, TabText(0, header, {}).first, "");
    EXPECT_EQ(ColumnNames(list), (std::vector<std::string>{"description", "value"}));
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(Cells(list, 0), (std::vector<std::string>{"executable", "Brenvik.exe"}));
}

TEST(ReportTabs, BuilderChosenByTextAndSection)
{
    // Pending sections show as generic text (one line: no list), failed ones as call stacks.
    EXPECT_FALSE(BuildTabList(2, ">> will be calculated soon", "modules").IsList());
    const TReportList failed = BuildTabList(2, ">> internal error in Foo\r\n\r\nx", "modules");
    EXPECT_EQ(failed.columns.at(0).name, "address");
    EXPECT_FALSE(failed.rows.at(0).header); // a failed first piece starts without a header row
}

TEST(ModuleList, HandlesUpperCaseAndVersionsRightAligned)
{
    const std::string text = Lines({
        "00400000 brenvik.exe  1.2.3.4        C:\\App\\brenvik.exe",
        "7c800000 kernel32.dll 5.1.2600.5781  C:\\Windows\\kernel32.dll",
    });
    const TReportList list = BuildTabList(2, text, "modules");
    EXPECT_EQ(ColumnNames(list),
              (std::vector<std::string>{"handle", "file name", "version", "path"}));
    EXPECT_TRUE(list.columns[0].upperCase);
    EXPECT_EQ(list.columns[2].alignment, 1);
    EXPECT_EQ(Cells(list, 1), (std::vector<std::string>{"7C800000", "kernel32.dll", "5.1.2600.5781",
                                                        "C:\\Windows\\kernel32.dll"}));
}

TEST(RegisterAndStackDump, FixedLayouts)
{
    const TReportList registers =
        BuildTabList(2, "EAX = 00000001\r\nEBX = 7FFDF000\r\nECX = 0012FF88", "cpu registers");
    EXPECT_TRUE(registers.monospace);
    EXPECT_EQ(ColumnNames(registers), (std::vector<std::string>{"reg.", "content"}));
    EXPECT_EQ(Cells(registers, 1), (std::vector<std::string>{"EBX", "7FFDF000"}));

    const std::string dump =
        "0012ff80  41 42 43 44 00 00 00 00 - 01 02 03 04 05 06 07 08  "
        "ABCD............";
    const TReportList list = BuildTabList(2, dump, "stack dump");
    EXPECT_EQ(ColumnNames(list),
              (std::vector<std::string>{"address", "data - hexadecimal", "data - chars"}));
    EXPECT_EQ(Cells(list, 0), (std::vector<std::string>{"0012ff80",
                                                        "41 42 43 44 00 00 00 00 - 01 02 03 04 05 "
                                                        "06 07 08",
                                                        "ABCD............"}));
}

TEST(ProcessList, ColumnsByTheNumberOfBoundaries)
{
    auto table = [](int columns) {
        std::string a = "0001";
        std::string b = "0002";
        for (int k = 1; k < columns; ++k) {
            a += " x" + std::to_string(k);
            b += " y" + std::to_string(k);
        }
        return a + "\r\n" + b;
    };
    EXPECT_EQ(ColumnNames(PrepareProcessList(table(4))),
              (std::vector<std::string>{"id", "file name", "priority", "path"}));
    EXPECT_EQ(ColumnNames(PrepareProcessList(table(7))),
              (std::vector<std::string>{"id", "file name", "session", "gdi objects", "user objects",
                                        "priority", "path"}));
    EXPECT_FALSE(PrepareProcessList(table(3)).IsList());
    EXPECT_FALSE(PrepareProcessList(table(8)).IsList());
}

TEST(DisassemblyList, MarksTheCurrentInstructionAndSplitsComments)
{
    const TReportList list = BuildTabList(2,
                                          Lines({
                                              "0040a1f0   mov eax, [ebp-4]",
                                              "0040a1f2 > call TForm1.Foo ; stepping in",
                                          }),
                                          "disassembling");
    EXPECT_EQ(ColumnNames(list), (std::vector<std::string>{"address", "asm code", "comments"}));
    EXPECT_EQ(list.rows[0].colour, 0u);
    EXPECT_EQ(list.rows[1].colour, kRowCurrentCode);
    EXPECT_EQ(Cells(list, 1),
              (std::vector<std::string>{"0040a1f2", "\xA0 call TForm1.Foo", "; stepping in"}));

    const TReportList withLines = PrepareDisassemblyList(Lines({
        "0040a1f0  119   mov eax, [ebp-4]",
        "0040a1f2  120 > call TForm1.Foo",
    }));
    EXPECT_EQ(ColumnNames(withLines),
              (std::vector<std::string>{"address", "line", "asm code", "comments"}));
    EXPECT_EQ(Cells(withLines, 1)[1], "120");

    const TReportList rule = PrepareDisassemblyList("; " + std::string(28, '-') + " Unit1.pas");
    EXPECT_EQ(rule.rows[0].line.substr(0, 8), ";  Unit1"); // the 28 dashes are gone
}

TEST(GenericList, ShortAndLongLines)
{
    const std::string longLine(81, 'x');
    auto text = [&](int shortLines) {
        std::vector<std::string> lines(static_cast<size_t>(shortLines), "short line");
        lines.push_back(longLine);
        lines.push_back(longLine);
        return Lines(lines);
    };
    EXPECT_FALSE(PrepareGenericList(text(10)).IsList()); // 5 x 2 is not below 10
    EXPECT_TRUE(PrepareGenericList(text(11)).IsList());
    EXPECT_FALSE(PrepareGenericList("one line").IsList());
    EXPECT_TRUE(PrepareGenericList("^name\tsize\r\nx").IsList());
}

TEST(GenericList, PlusAndMinusLinesAreOneMonospaceColumn)
{
    const TReportList list = PrepareGenericList(Lines({"!+ first", "+ added", "- removed", ""}));
    EXPECT_TRUE(list.monospace);
    ASSERT_EQ(list.columns.size(), 1u);
    EXPECT_FALSE(list.showHeaders);
    EXPECT_EQ(list.rows[0].colour, kRowRedTint);
    EXPECT_EQ(list.rows[0].line, "+ first");
    EXPECT_EQ(list.rows[1].colour, kRowBlueTint);
    EXPECT_EQ(list.rows[2].colour, 0u);
}

TEST(GenericList, HeaderRowNamesTheColumns)
{
    const TReportList list = PrepareGenericList("^^name\t size\r\nabc\t12\r\nde\t345");
    EXPECT_TRUE(list.showHeaders);
    EXPECT_EQ(ColumnNames(list), (std::vector<std::string>{"name", "size"}));
    EXPECT_TRUE(list.columns[0].upperCase);
    EXPECT_EQ(list.columns[1].alignment, 1);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(Cells(list, 0), (std::vector<std::string>{"ABC", "12"}));
}

TEST(CallStack, AnalysesATraceWithRelativeLines)
{
    std::string piece = TraceText(kFrames, true);
    const TStackPieceLayout layout = AnalyzeStackPiece(piece);
    EXPECT_EQ(layout.relativeAddress, 1);
    EXPECT_EQ(layout.module, 2);
    EXPECT_EQ(layout.unit, 3);
    EXPECT_EQ(layout.line, 4);
    EXPECT_EQ(layout.relativeLine, 5);
    EXPECT_EQ(layout.function, 6);

    const TReportList list =
        PrepareCallStackList(">> main thread ($a4)\r\n" + TraceText(kFrames, true));
    EXPECT_EQ(ColumnNames(list), (std::vector<std::string>{"address", "rel.", "module", "unit",
                                                           "line", "rel.", "function"}));
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_TRUE(list.rows[0].header);
    EXPECT_EQ(list.rows[0].colour, kRowWhite);
    EXPECT_EQ(Cells(list, 1), (std::vector<std::string>{"0040A1F2", "+012", "Brenvik.exe", "Unit1",
                                                        "120", "+3", "TForm1.Button1Click"}));
    EXPECT_EQ(Cells(list, 3), (std::vector<std::string>{"7C80B729", "+037", "kernel32.dll", "", "",
                                                        "", "BaseThreadInitThunk"}));
}

TEST(CallStack, LineNumbersInTheSecondColumnWithoutRelativeLines)
{
    std::string piece = TraceText(kFrames, false);
    const TStackPieceLayout layout = AnalyzeStackPiece(piece);
    EXPECT_EQ(layout.unit, 3);
    EXPECT_EQ(layout.line, 4);
    EXPECT_EQ(layout.relativeLine, -1);
    EXPECT_EQ(layout.function, 5);
}

TEST(CallStack, UnitAndFunctionWithoutLineNumbers)
{
    // Without line numbers the first identifier column with one more after it is the unit.
    std::string piece =
        Lines({"0040a1f2 Brenvik.exe  Unit1 Button1Click", "00412c08 Brenvik.exe  Forms WndProc"});
    const TStackPieceLayout layout = AnalyzeStackPiece(piece);
    EXPECT_EQ(layout.relativeAddress, -1);
    EXPECT_EQ(layout.module, 1);
    EXPECT_EQ(layout.unit, 2);
    EXPECT_EQ(layout.function, 3);
}

TEST(CallStack, ThreadsBecomePiecesWithHeaderRows)
{
    const std::vector<TNamedText> sections{{"main thread ($a4)", TraceText(kFrames, true)},
                                           {"thread ($b8)", TraceText({kFrames[2]}, true)}};
    const std::string text = TabText(1, {}, sections).first;
    EXPECT_EQ(SplitStackPieces(text).size(), 2u);
    const TReportList list = BuildTabList(1, text, "");
    // main header, three frames, blank, second header, one frame
    ASSERT_EQ(list.rows.size(), 7u);
    EXPECT_TRUE(list.rows[0].header);
    EXPECT_FALSE(list.rows[4].header);
    EXPECT_EQ(list.rows[4].line, "");
    EXPECT_TRUE(list.rows[5].header);
    EXPECT_EQ(list.rows[5].line, ">> thread ($b8)");
    EXPECT_EQ(Cells(list, 5), (std::vector<std::string>{">>", "", "", "", "", "", ""}));
    EXPECT_EQ(Cells(list, 6)[6], "BaseThreadInitThunk");
}

TEST(CallStack, ACreatorLineStaysInItsPiece)
{
    const std::string text = Lines({"0040a1f2 Brenvik.exe Unit1 Foo", ">> created by main thread",
                                    "00401000 Brenvik.exe Unit1 Bar"});
    EXPECT_EQ(SplitStackPieces(text).size(), 1u);
}

// Colour values 0x00BBGGRR as RGB(r, g, b) gives them.
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return r | g << 8 | b << 16;
}

TEST(ListRowColours, SelectionAndLowColourDepths)
{
    const struct {
        uint32_t colour;
        bool selected, highColour;
        uint32_t shown;
    } cases[] = {
        {Rgb(240, 248, 255), false, true, Rgb(240, 248, 255)},
        {Rgb(240, 248, 255), true, true, Rgb(224, 232, 239)},
        {Rgb(10, 248, 255), true, true, Rgb(0, 232, 239)}, // floored at 0
        {Rgb(255, 208, 208), false, false, Rgb(255, 0, 0)},
        {Rgb(255, 208, 208), true, false, Rgb(128, 0, 0)},
        {Rgb(255, 244, 244), false, false, Rgb(128, 255, 255)},
        {Rgb(255, 244, 244), true, false, Rgb(0, 128, 128)},
        {Rgb(240, 248, 255), false, false, Rgb(255, 255, 192)},
        {Rgb(240, 248, 255), true, false, Rgb(128, 128, 0)},
        {Rgb(255, 255, 255), false, false, Rgb(255, 255, 255)},
        {Rgb(255, 255, 255), true, false, Rgb(192, 192, 192)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShownCellColour(c.colour, c.selected, c.highColour), c.shown)
            << std::hex << c.colour << " selected " << c.selected << " high " << c.highColour;
}

} // namespace
