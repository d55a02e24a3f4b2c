#pragma once
// The report tabs of the exception box as data: which tabs a report gets, the text of each tab,
// and how a tab's text becomes the columns and rows of an owner-drawn list view (fixed layouts
// of the known sections, column detection for the rest, the call-stack analysis). Portable (no
// <windows.h>); ExceptionBox.cpp turns a TReportList into a list view and draws its rows.
//
// Texts use CR LF line ends. Positions are 1-based, as the boundaries of DetectColumns are.
#include "QorReportLists.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crashui {

// Colour values 0x00BBGGRR.
constexpr uint32_t kRowWhite = 0xFFFFFF;
constexpr uint32_t kRowBlueTint = 0xFFF8F0;    // RGB(240, 248, 255)
constexpr uint32_t kRowRedTint = 0xF4F4FF;     // RGB(255, 244, 244)
constexpr uint32_t kRowCurrentCode = 0xD0D0FF; // RGB(255, 208, 208)
constexpr char kNoBreakSpace = '\xA0';

struct TListColumn {
    std::string name;
    int alignment = 0; // list-view column format: 0 left, 1 right
    bool upperCase = false;
};

struct TListRow {
    std::string line;    // cells separated by tabs, or a marked line beginning with ">>"
    uint32_t colour = 0; // 0: the default striping
    bool header = false; // bold with a line under it
};

// What one tab shows: columns and rows of a list, or (no columns or no rows) the plain text in
// a read-only edit.
struct TReportList {
    std::vector<TListColumn> columns;
    std::vector<TListRow> rows;
    bool monospace = false;
    bool showHeaders = true;
    char separator = '\t';

    bool IsList() const { return !columns.empty() && !rows.empty(); }
};

// A named text: a header item (name, value) or a report section (name, text).
using TNamedText = std::pair<std::string, std::string>;

struct TLineRecord {
    int start = 0;  // 1-based
    int length = 0; // -1 for a line beginning with ">>"
};

std::vector<TLineRecord> SplitLines(std::string_view text);
// Boundaries (1-based positions of the separator characters) of the columns that every line
// of `text` shares; the separators found become blanks in `text`.
std::vector<int> DetectColumns(std::string& text, bool ignoreSingleLines);
// Columns from a header text: names separated by "|", "^" first: upper case, then a blank
// first: right-aligned.
std::vector<TListColumn> ListColumnsFrom(std::string_view header);
// Trims characters 0 to 32 except the tab at both ends.
std::string TrimKeepTabs(std::string_view text);
// One row per CR-separated piece; the first (columns - 1) boundaries inside a row become tabs.
std::vector<TListRow> FillListRows(std::string_view text, const std::vector<int>& boundaries,
                                   size_t columnCount);

TReportList PrepareHeaderList(std::string_view text);
TReportList PrepareRegisterList(std::string_view text);
TReportList PrepareStackDumpList(std::string_view text);
TReportList PrepareModuleList(std::string_view text);
TReportList PrepareProcessList(std::string_view text);
TReportList PrepareDisassemblyList(std::string_view text);
TReportList PrepareCallStackList(std::string_view text);
TReportList PrepareGenericList(std::string_view text);

// The call-stack pieces: the text cut before every blank or ">>" line (but ">> created") that
// follows a normal line.
std::vector<std::string> SplitStackPieces(std::string_view text);

// Columns of one call-stack piece, counted with the address as column 0; -1 when absent.
struct TStackPieceLayout {
    std::vector<int> boundaries;
    int relativeAddress = -1;
    int module = 1;
    int unit = -1;
    int line = -1;
    int relativeLine = -1;
    int function = -1;
};
TStackPieceLayout AnalyzeStackPiece(std::string& piece);

// The tabs a report gets: "general", "call stack(s)", then one per section after the threads.
// The name/content pairs of one of the report's field lists (header or sections) as they stand,
// read under the list's lock; none for an absent list.
std::vector<TNamedText> FieldPairs(const qor::IQEFields& fields);

std::vector<std::string> WantedTabNames(const std::vector<TNamedText>& sections);
// The text of tab `tab` and the name of the section it shows ("" for tabs 0 and 1).
std::pair<std::string, std::string> TabText(int tab, const std::vector<TNamedText>& header,
                                            const std::vector<TNamedText>& sections);
// The list (or plain text) of a tab, by its text and the section name it shows.
TReportList BuildTabList(int tab, std::string_view text, std::string_view sectionName);

// The colour a cell of a list row is filled with (0x00BBGGRR): selected, each channel 16 darker.
// At low colour depths (14 bits per pixel or less) the tints become plain colours: the current
// code line's red, the red and blue tints and white, each with a darker selected form; other
// colours stay.
uint32_t ShownCellColour(uint32_t colour, bool selected, bool highColour);

// The cells of a row as the list view shows them: a ">>" row keeps only ">>", the last column
// takes the rest, cells trimmed (the no-break space stays) and upper-cased when asked.
std::vector<std::string> RowCells(const TListRow& row, const std::vector<TListColumn>& columns,
                                  char separator);

} // namespace crashui
