#include "ReportListViews.h"

#include "QorStrings.h"

#include <algorithm>

namespace crashui {

std::vector<TNamedText> FieldPairs(const qor::IQEFields& fields)
{
    std::vector<TNamedText> pairs;
    if (!fields)
        return pairs;
    fields->BeginAccess();
    for (int32_t i = 0; i < fields->Count(); ++i) {
        std::string name = fields->ItemName(i);
        std::string content = fields->Value(name);
        pairs.emplace_back(std::move(name), std::move(content));
    }
    fields->EndAccess();
    return pairs;
}

namespace {

bool IsControlOrBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

std::string TrimAll(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsControlOrBlank(text[first]))
        ++first;
    while (last > first && IsControlOrBlank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The text of each line of SplitLines, the ">>" lines whole.
std::vector<std::string> LineTexts(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 2;
        if (start > text.size())
            return lines;
    }
}

std::vector<std::string> SplitAtCr(std::string_view text)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, cr - start));
        start = cr + 1;
    }
}

std::string Join(const std::vector<std::string>& lines, size_t from, size_t to)
{
    std::string text;
    for (size_t k = from; k < to; ++k) {
        if (k > from)
            text += "\r\n";
        text += lines[k];
    }
    return text;
}

TReportList ListWith(std::string_view header, std::vector<TListRow> rows, bool monospace = false)
{
    TReportList list;
    list.columns = ListColumnsFrom(header);
    list.rows = std::move(rows);
    list.monospace = monospace;
    return list;
}

// The text of column `column` of a line (column 0: up to the first boundary; the last column:
// to the line's end); `to` names the column whose boundary ends it (default: the next one).
std::string ColumnText(const std::string& line, const std::vector<int>& boundaries, int column,
                       int to = -1)
{
    if (to < 0)
        to = column + 1;
    const size_t begin = column == 0 ? 0 : static_cast<size_t>(boundaries[column - 1] - 1);
    const size_t end = static_cast<size_t>(to) <= boundaries.size()
                           ? static_cast<size_t>(boundaries[to - 1] - 1)
                           : line.size();
    if (begin >= line.size() || end <= begin)
        return {};
    return line.substr(begin, std::min(end, line.size()) - begin);
}

bool ReachesColumn(const std::string& line, const std::vector<int>& boundaries, int column)
{
    return column == 0 || static_cast<int>(line.size()) > boundaries[column - 1];
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsRelativeAddress(const std::string& cell)
{
    const std::string t = TrimAll(cell);
    return t.size() > 1 && t[0] == '+' && std::all_of(t.begin() + 1, t.end(), IsHexDigit);
}

// Blanks followed by digits (or blanks alone: a frame without a known line).
bool IsLineNumber(std::string_view cell)
{
    while (!cell.empty() && cell.back() == ' ')
        cell.remove_suffix(1);
    size_t k = 0;
    while (k < cell.size() && cell[k] == ' ')
        ++k;
    return std::all_of(cell.begin() + static_cast<std::ptrdiff_t>(k), cell.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

bool HasDigit(const std::string& cell)
{
    return cell.find_first_of("0123456789") != std::string::npos;
}

bool IsIdentifier(std::string_view text)
{
    auto letter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    return !text.empty() && letter(text[0]) && std::all_of(text.begin(), text.end(), [&](char c) {
        return letter(c) || (c >= '0' && c <= '9');
    });
}

bool IsFunctionCell(const std::string& cell)
{
    const std::string t = TrimAll(cell);
    return t.empty() || IsIdentifier(t) || qor::StartsWithText("public%", t) ||
           qor::StartsWithText("segment%", t);
}

// The normal lines of a piece (not blank, not ">>").
std::vector<std::string> NormalLines(const std::string& piece)
{
    std::vector<std::string> lines;
    for (std::string& line : LineTexts(piece))
        if (!line.empty() && !StartsWith(line, ">>"))
            lines.push_back(std::move(line));
    return lines;
}

template <typename Test>
bool EveryReachingLine(const std::vector<std::string>& lines, const std::vector<int>& boundaries,
                       int column, Test test, bool needOne)
{
    bool any = false;
    for (const std::string& line : lines) {
        if (!ReachesColumn(line, boundaries, column))
            continue;
        any = true;
        if (!test(ColumnText(line, boundaries, column)))
            return false;
    }
    return any || !needOne;
}

} // namespace

std::vector<TLineRecord> SplitLines(std::string_view text)
{
    std::vector<TLineRecord> records;
    int start = 1;
    for (const std::string& line : LineTexts(text)) {
        records.push_back({start, StartsWith(line, ">>") ? -1 : static_cast<int>(line.size())});
        start += static_cast<int>(line.size()) + 2;
    }
    return records;
}

std::vector<int> DetectColumns(std::string& text, bool ignoreSingleLines)
{
    const std::vector<TLineRecord> lines = SplitLines(text);
    const TLineRecord* reference = nullptr;
    int counted = 0;
    for (const TLineRecord& line : lines) {
        if (line.length > 0)
            ++counted;
        if (line.length > 0 && (!reference || line.length > reference->length))
            reference = &line;
    }
    std::vector<int> boundaries;
    if (!reference || reference->length < 3)
        return boundaries;
    auto at = [&](const TLineRecord& line, int offset) -> char& {
        return text[static_cast<size_t>(line.start - 1 + offset)];
    };
    for (int i = 1; i <= reference->length - 2; ++i) {
        const char c = at(*reference, i);
        if (!(c == ' ' || c == '=' || c == '|' || (c == ':' && at(*reference, i + 1) == ' ')))
            continue;
        bool agree = true;
        int supporters = 0;
        for (const TLineRecord& line : lines) {
            if (&line == reference || line.length <= i)
                continue;
            if (at(line, i) != c) {
                agree = false;
                break;
            }
            if (c != ' ' || (i + 1 < line.length && at(line, i + 1) != ' '))
                ++supporters;
        }
        if (!agree || (ignoreSingleLines && counted != 1 && supporters <= 1))
            continue;
        for (const TLineRecord& line : lines)
            if (line.length > i)
                at(line, i) = ' ';
        if (!boundaries.empty() && boundaries.back() == i)
            boundaries.back() = i + 1;
        else
            boundaries.push_back(i + 1);
    }
    return boundaries;
}

std::vector<TListColumn> ListColumnsFrom(std::string_view header)
{
    std::vector<TListColumn> columns;
    size_t start = 0;
    while (true) {
        const size_t bar = header.find('|', start);
        std::string_view name = header.substr(
            start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        TListColumn column;
        if (StartsWith(name, "^")) {
            column.upperCase = true;
            name.remove_prefix(1);
        }
        if (StartsWith(name, " ")) {
            column.alignment = 1;
            name.remove_prefix(1);
        }
        column.name = std::string(name);
        columns.push_back(std::move(column));
        if (bar == std::string_view::npos)
            return columns;
        start = bar + 1;
    }
}

std::string TrimKeepTabs(std::string_view text)
{
    auto trimmable = [](char c) { return IsControlOrBlank(c) && c != '\t'; };
    size_t first = 0;
    size_t last = text.size();
    while (first < last && trimmable(text[first]))
        ++first;
    while (last > first && trimmable(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::vector<TListRow> FillListRows(std::string_view text, const std::vector<int>& boundaries,
                                   size_t columnCount)
{
    std::vector<TListRow> rows;
    const size_t used = columnCount > 0 ? std::min(boundaries.size(), columnCount - 1) : 0;
    for (const std::string& piece : SplitAtCr(text)) {
        TListRow row;
        row.line = TrimKeepTabs(piece);
        for (size_t k = 0; k < used; ++k)
            if (boundaries[k] >= 1 && static_cast<size_t>(boundaries[k]) <= row.line.size())
                row.line[static_cast<size_t>(boundaries[k] - 1)] = '\t';
        rows.push_back(std::move(row));
    }
    return rows;
}

TReportList PrepareHeaderList(std::string_view text)
{
    return ListWith("description|value", FillListRows(text, {}, 2));
}

TReportList PrepareRegisterList(std::string_view text)
{
    std::string work(text);
    const std::vector<int> boundaries = DetectColumns(work, true);
    return ListWith("reg.|content", FillListRows(work, boundaries, 2), true);
}

TReportList PrepareStackDumpList(std::string_view text)
{
    return ListWith("address|data - hexadecimal|data - chars", FillListRows(text, {10, 61}, 3),
                    true);
}

TReportList PrepareModuleList(std::string_view text)
{
    std::string work(text);
    const std::vector<int> boundaries = DetectColumns(work, false);
    return ListWith("^handle|file name| version|path", FillListRows(work, boundaries, 4));
}

TReportList PrepareProcessList(std::string_view text)
{
    static const char* const headers[] = {
        "^id|file name|priority|path",
        "^id|file name|session|priority|path",
        "^id|file name|gdi objects|user objects|priority|path",
        "^id|file name|session|gdi objects|user objects|priority|path",
    };
    std::string work(text);
    const std::vector<int> boundaries = DetectColumns(work, false);
    if (boundaries.size() < 3 || boundaries.size() > 6)
        return {};
    const char* header = headers[boundaries.size() - 3];
    const size_t columns = ListColumnsFrom(header).size();
    return ListWith(header, FillListRows(work, boundaries, columns));
}

TReportList PrepareDisassemblyList(std::string_view text)
{
    const std::vector<std::string> lines = LineTexts(text);
    int marker = 0; // 1-based position of the current-instruction column
    for (const std::string& line : lines) {
        if (line.empty())
            continue;
        const size_t reach = std::min(line.size() - 1, size_t{25}) + 1;
        const size_t found = line.substr(0, reach).find('>');
        if (found != std::string::npos) {
            marker = static_cast<int>(found) + 1;
            break;
        }
    }
    std::vector<int> boundaries{9};
    if (marker > 10)
        boundaries.push_back(marker - 1);
    TReportList list;
    list.columns = ListColumnsFrom(std::string("address|") + (marker > 10 ? "line|" : "") +
                                   "asm code|comments");
    list.monospace = true;
    for (const std::string& piece : SplitAtCr(text)) {
        TListRow row;
        std::string line = TrimAll(piece);
        if (line.find("; --") != std::string::npos)
            line.erase(line.find('-'), 28);
        else
            qor::SubstStr(line, ";", "\t;", false);
        for (int b : boundaries)
            if (static_cast<size_t>(b) <= line.size())
                line[static_cast<size_t>(b - 1)] = '\t';
        if (marker > 0 && static_cast<size_t>(marker) <= line.size()) {
            char& c = line[static_cast<size_t>(marker - 1)];
            if (c == '>')
                row.colour = kRowCurrentCode;
            if (c == ' ' || c == '>')
                c = kNoBreakSpace;
        }
        row.line = std::move(line);
        list.rows.push_back(std::move(row));
    }
    return list;
}

std::vector<std::string> SplitStackPieces(std::string_view text)
{
    const std::vector<std::string> lines = LineTexts(text);
    std::vector<size_t> cuts; // line indexes where a piece begins, bottom first
    for (size_t k = lines.size(); k-- > 1;) {
        const std::string& line = lines[k];
        const std::string& above = lines[k - 1];
        const bool aboveNormal = !above.empty() && !StartsWith(above, ">>");
        const bool breaks =
            line.empty() || (StartsWith(line, ">>") && !StartsWith(line, ">> created"));
        if (aboveNormal && breaks)
            cuts.push_back(k);
    }
    std::vector<std::string> pieces;
    size_t from = 0;
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut) {
        pieces.push_back(Join(lines, from, *cut));
        from = *cut;
    }
    pieces.push_back(Join(lines, from, lines.size()));
    return pieces;
}

TStackPieceLayout AnalyzeStackPiece(std::string& piece)
{
    TStackPieceLayout layout;
    layout.boundaries = DetectColumns(piece, false);
    const std::vector<int>& b = layout.boundaries;
    const int n = static_cast<int>(b.size());
    const std::vector<std::string> lines = NormalLines(piece);
    if (n >= 2 && EveryReachingLine(lines, b, 1, IsRelativeAddress, true)) {
        layout.relativeAddress = 1;
        layout.module = 2;
    }
    if (n < layout.module)
        layout.module = -1;
    const bool relative = layout.relativeAddress >= 0;
    for (int j = relative ? 4 : 3; j <= n; ++j) {
        if (!EveryReachingLine(lines, b, j, IsLineNumber, true) ||
            std::none_of(lines.begin(), lines.end(), [&](const std::string& line) {
                return ReachesColumn(line, b, j) && HasDigit(ColumnText(line, b, j));
            }))
            continue;
        layout.line = j;
        layout.unit = j - 1;
        if (n - j >= 2) {
            layout.relativeLine = j + 1;
            layout.function = j + 2;
        } else if (n - j == 1) {
            layout.function = j + 1;
        }
        return layout;
    }
    if (n <= (relative ? 2 : 1))
        return layout;
    for (int j = relative ? 3 : 2; j <= n; ++j) {
        if (!EveryReachingLine(lines, b, j, IsFunctionCell, false))
            continue;
        if (n - j == 1) {
            layout.unit = j;
            layout.function = j + 1;
        } else {
            layout.function = j;
        }
        break;
    }
    return layout;
}

TReportList PrepareCallStackList(std::string_view text)
{
    std::vector<std::string> pieces = SplitStackPieces(text);
    std::vector<TStackPieceLayout> layouts;
    for (std::string& piece : pieces)
        layouts.push_back(AnalyzeStackPiece(piece));

    // The common columns, in header order, each with the piece's column index picked from it.
    struct TCommonColumn {
        const char* header;
        int TStackPieceLayout::*index;
    };
    static const TCommonColumn kinds[] = {
        {"|^ rel.", &TStackPieceLayout::relativeAddress},
        {"|module", &TStackPieceLayout::module},
        {"|unit", &TStackPieceLayout::unit},
        {"| line", &TStackPieceLayout::line},
        {"| rel.", &TStackPieceLayout::relativeLine},
        {"|function", &TStackPieceLayout::function},
    };
    std::string header = "^address";
    std::vector<const TCommonColumn*> common;
    for (const TCommonColumn& kind : kinds) {
        if (std::any_of(layouts.begin(), layouts.end(),
                        [&](const TStackPieceLayout& l) { return l.*kind.index >= 0; })) {
            header += kind.header;
            common.push_back(&kind);
        }
    }

    std::vector<TListRow> rows;
    bool headerFlag = pieces.empty() || !StartsWith(pieces[0], ">> internal error");
    for (size_t p = 0; p < pieces.size(); ++p) {
        const TStackPieceLayout& layout = layouts[p];
        for (const std::string& line : LineTexts(pieces[p])) {
            const std::string trimmed = TrimAll(line);
            if (trimmed.empty() || StartsWith(trimmed, ">>")) {
                rows.push_back({trimmed, kRowWhite, headerFlag});
                headerFlag = trimmed.empty();
                continue;
            }
            headerFlag = false;
            if (layout.boundaries.empty())
                continue;
            std::string cells = ColumnText(line, layout.boundaries, 0);
            for (const TCommonColumn* kind : common) {
                cells += '\t';
                const int column = layout.*kind->index;
                if (column < 0)
                    continue;
                const bool moduleToUnit =
                    kind->index == &TStackPieceLayout::module && layout.unit > column;
                cells +=
                    ColumnText(line, layout.boundaries, column, moduleToUnit ? layout.unit : -1);
            }
            rows.push_back({cells, 0, false});
        }
    }
    return ListWith(header, std::move(rows));
}

TReportList PrepareGenericList(std::string_view text)
{
    const std::vector<TLineRecord> records = SplitLines(text);
    const std::vector<std::string> lines = LineTexts(text);
    int shortLines = 0;
    int longLines = 0;
    for (const TLineRecord& record : records)
        (record.length > 80 ? longLines : shortLines)++;
    bool monospace = true;
    for (size_t k = 0; k < lines.size() && monospace; ++k) {
        const size_t first = lines[k].find_first_not_of(' ');
        if (first == std::string::npos)
            continue;
        const char c = lines[k][first];
        monospace = c == '+' || c == '-' || (k == 0 && first == 0 && c == '!');
    }
    const bool headers = StartsWith(text, "^");
    if (!(shortLines + longLines > 1 && 5 * longLines < shortLines) && !headers)
        return {};

    TReportList list;
    list.showHeaders = headers;
    size_t columnCount = 1;
    if (monospace) {
        list.monospace = true;
        std::string work;
        for (size_t k = 0; k < lines.size(); ++k) {
            std::string line = lines[k];
            if (!line.empty() && line[0] == ' ')
                line[0] = kNoBreakSpace;
            work += (k ? "\r\n" : "") + line;
        }
        list.rows = FillListRows(work, {}, 1);
        for (TListRow& row : list.rows) {
            if (StartsWith(row.line, "+"))
                row.colour = kRowBlueTint;
            else if (StartsWith(row.line, "!"))
                row.colour = kRowRedTint;
        }
        if (!list.rows.empty() && StartsWith(list.rows[0].line, "!"))
            list.rows[0].line.erase(0, 1);
    } else if (text.find('\t') == std::string_view::npos) {
        std::string work(text);
        const std::vector<int> boundaries = DetectColumns(work, true);
        columnCount = boundaries.size() + 1;
        list.rows = FillListRows(work, boundaries, columnCount);
    } else {
        for (const std::string& line : lines)
            columnCount = std::max(
                columnCount, static_cast<size_t>(std::count(line.begin(), line.end(), '\t')) + 1);
        list.rows = FillListRows(text, {}, columnCount);
    }
    list.columns.resize(columnCount);
    if (headers && !list.rows.empty()) {
        std::string names = list.rows[0].line.substr(1);
        std::replace(names.begin(), names.end(), '\t', '|');
        std::vector<TListColumn> named = ListColumnsFrom(names);
        for (size_t k = 0; k < named.size() && k < columnCount; ++k)
            list.columns[k] = named[k];
        list.rows.erase(list.rows.begin());
    }
    return list;
}

std::vector<std::string> WantedTabNames(const std::vector<TNamedText>& sections)
{
    auto isThread = [](const TNamedText& s) { return s.first.find('$') != std::string::npos; };
    std::vector<std::string> names{"general", "call stack"};
    if (sections.size() > 1 && isThread(sections[1]))
        names[1] += "s";
    size_t k = 1;
    while (k < sections.size() && isThread(sections[k]))
        ++k;
    for (; k < sections.size(); ++k) {
        const std::string& name = sections[k].first;
        names.push_back(name == "cpu registers"   ? "cpu regs"
                        : name == "disassembling" ? "disasm"
                                                  : name);
    }
    return names;
}

std::pair<std::string, std::string> TabText(int tab, const std::vector<TNamedText>& header,
                                            const std::vector<TNamedText>& sections)
{
    std::string text;
    if (tab == 0) {
        for (const TNamedText& item : header)
            text += "\r\n" + item.first + "\t" + item.second;
        return {text.substr(std::min<size_t>(2, text.size())), ""};
    }
    size_t threads = 1;
    while (threads < sections.size() && sections[threads].first.find('$') != std::string::npos)
        ++threads;
    if (tab == 1) {
        for (size_t k = 0; k < threads && k < sections.size(); ++k)
            text += "\r\n\r\n>> " + sections[k].first + "\r\n" + sections[k].second;
        return {text.substr(std::min<size_t>(4, text.size())), ""};
    }
    const size_t index = static_cast<size_t>(tab) + threads - 2;
    if (tab < 0 || index >= sections.size())
        return {};
    return {sections[index].second, sections[index].first};
}

TReportList BuildTabList(int tab, std::string_view text, std::string_view sectionName)
{
    if (qor::StartsWithText(">> will be", text))
        return PrepareGenericList(text);
    if (qor::StartsWithText(">> internal", text) || tab == 1)
        return PrepareCallStackList(text);
    if (tab == 0)
        return PrepareHeaderList(text);
    using Builder = TReportList (*)(std::string_view);
    static const std::pair<const char*, Builder> bySection[] = {
        {"modules", PrepareModuleList},
        {"cpu registers", PrepareRegisterList},
        {"stack dump", PrepareStackDumpList},
        {"processes", PrepareProcessList},
        {"disassembling", PrepareDisassemblyList},
    };
    for (const auto& [name, builder] : bySection)
        if (sectionName == name)
            return builder(text);
    return PrepareGenericList(text);
}

std::vector<std::string> RowCells(const TListRow& row, const std::vector<TListColumn>& columns,
                                  char separator)
{
    std::vector<std::string> cells(columns.size());
    if (columns.empty())
        return cells;
    if (StartsWith(row.line, ">>")) {
        cells[0] = ">>";
        return cells;
    }
    std::string_view rest = row.line;
    for (size_t k = 0; k < columns.size(); ++k) {
        std::string_view cell = rest;
        if (k + 1 < columns.size()) {
            const size_t cut = rest.find(separator);
            cell = rest.substr(0, cut);
            rest = cut == std::string_view::npos ? std::string_view{} : rest.substr(cut + 1);
        }
        cells[k] = TrimAll(cell);
        if (columns[k].upperCase)
            cells[k] = qor::UpperStr(cells[k]);
    }
    return cells;
}

uint32_t ShownCellColour(uint32_t colour, bool selected, bool highColour)
{
    auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; };
    if (!highColour) {
        const struct {
            uint32_t tint, plain, selected;
        } lowColour[] = {
            {kRowCurrentCode, rgb(255, 0, 0), rgb(128, 0, 0)},
            {kRowRedTint, rgb(128, 255, 255), rgb(0, 128, 128)},
            {kRowBlueTint, rgb(255, 255, 192), rgb(128, 128, 0)},
            {kRowWhite, kRowWhite, rgb(192, 192, 192)},
        };
        for (const auto& m : lowColour)
            if (m.tint == colour)
                return selected ? m.selected : m.plain;
        return colour;
    }
    if (!selected)
        return colour;
    uint32_t darker = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((colour >> shift) & 0xFF);
        darker |= static_cast<uint32_t>(std::max(channel - 16, 0)) << shift;
    }
    return darker;
}

} // namespace crashui
