// dbgpack: writes the packed debug payload of a linked 32-bit program from its COFF symbols
// and DWARF line tables, and checks that two link passes of a program agree.
//
//   dbgpack pack <program.exe> <payload> [--minimal <full.qor>]
//   dbgpack compare <first pass.exe> <second pass.exe>
//
// `pack` writes the payload the program embeds as resource "QOR"/"EXCEPT" (or keeps beside it
// as "<program>.qor"); with --minimal the payload holds only numbered ranges and routines, the
// full tables go to the given ".qor" file, and the fingerprint that names that file (the
// "MinDebugInfo" setting) is printed. `compare` fails when code bytes or symbol values differ.
#include "CoffFunctions.h"
#include "DwarfLineTable.h"

#include "PeFileView.h"
#include "QorDebugReaders.h"
#include "QorMapFile.h"
#include "QorPackedDebugWriter.h"
#include "QorZip.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace {

using dbgpack::Function;
using dbgpack::LineRow;

int Fail(const std::string& message)
{
    std::fprintf(stderr, "dbgpack: %s\n", message.c_str());
    return 1;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

constexpr uint32_t UnknownFile = 0xFFFFFFFF;

// The payload's tables: a range per run of functions declared in one file, every function as
// a public, and the line rows of each function's own file (rows of code inlined from other
// files are dropped, so that such an address maps to the line of its call).
qor::PackedDebugContent Content(const qor::PeFileView& image, const qor::ModuleLayout& layout)
{
    std::vector<Function> functions = dbgpack::FunctionsOf(image);
    std::erase_if(functions, [&](const Function& f) {
        return f.address < layout.codeBase || f.address >= layout.codeEnd;
    });
    const dbgpack::LineTables lines = dbgpack::ReadLineTables(image.SectionBytes(".debug_line"),
                                                              image.SectionBytes(".debug_line_str"),
                                                              image.SectionBytes(".debug_str"));
    std::vector<LineRow> rows;
    for (const LineRow& row : lines.rows)
        if (!row.endSequence && row.line > 0 && row.address >= layout.codeBase &&
            row.address < layout.codeEnd)
            rows.push_back(row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const LineRow& a, const LineRow& b) { return a.address < b.address; });

    // The declaring file of each function: the file of its first row (GCC starts a function
    // with its own line). A cold part has no line of its own and belongs to its parent's file.
    const auto endOf = [&](size_t i) {
        return i + 1 < functions.size() ? functions[i + 1].address : layout.codeEnd;
    };
    const auto firstRow = [&](uint32_t start) {
        return std::lower_bound(rows.begin(), rows.end(), start,
                                [](const LineRow& r, uint32_t a) { return r.address < a; });
    };
    std::vector<uint32_t> files(functions.size(), UnknownFile);
    std::map<std::string, uint32_t> fileOfName;
    for (size_t i = 0; i < functions.size(); ++i) {
        const auto row = firstRow(functions[i].address);
        if (row != rows.end() && row->address < endOf(i))
            files[i] = row->file;
        fileOfName.emplace(functions[i].name, files[i]);
    }
    for (size_t i = 0; i < functions.size(); ++i) {
        const std::string& name = functions[i].name;
        const size_t cold = name.rfind(".cold");
        if (cold != std::string::npos && cold + 5 == name.size())
            if (const auto parent = fileOfName.find(name.substr(0, cold));
                parent != fileOfName.end() && parent->second != UnknownFile)
                files[i] = parent->second;
    }

    qor::PackedDebugContent content;
    uint32_t segmentFile = UnknownFile;
    for (size_t i = 0; i < functions.size(); ++i) {
        const uint32_t start = functions[i].address;
        const uint32_t end = endOf(i);
        auto row = firstRow(start);
        const uint32_t file = files[i];
        content.publics.push_back({true, true, functions[i].name, start - layout.codeBase});
        // A new range where the declaring file changes; functions of unknown file end it.
        if (file != segmentFile || content.segments.empty()) {
            if (file != UnknownFile)
                content.segments.push_back(
                    {true, true, start - layout.codeBase, 0, lines.files[file], false});
            segmentFile = file;
        }
        if (file != UnknownFile)
            content.segments.back().length = end - layout.codeBase - content.segments.back().start;
        int32_t lastLine = 0;
        for (; row != rows.end() && row->address < end; ++row) {
            if (row->file != file)
                continue;
            const uint32_t address = row->address - layout.codeBase;
            // Of rows at one address the last counts; a row repeating the line adds nothing.
            if (!content.lines.empty() && content.lines.back().address == address)
                content.lines.pop_back();
            else if (row->line == lastLine)
                continue;
            content.lines.push_back({row->line, address});
            lastLine = row->line;
            if (!content.segments.empty())
                content.segments.back().hasLines = true;
        }
    }
    const uint64_t entry = image.ImageBase() + image.EntryPointRva();
    if (entry >= layout.codeBase && entry < layout.codeEnd)
        content.entryPoint = static_cast<uint32_t>(entry - layout.codeBase);
    return content;
}

int Pack(const std::string& program, const std::string& payloadPath,
         const std::optional<std::string>& fullPath)
{
    const std::optional<std::string> file = qor::ReadWholeFile(program);
    if (!file)
        return Fail("cannot read " + program);
    const qor::PeFileView image(*file);
    if (!image.Valid())
        return Fail(program + " is not a PE image");
    if (image.Pe32Plus())
        return Fail(program + ": the payload holds 32-bit addresses; a 64-bit image has none");
    const qor::ModuleLayout layout = image.LayoutAt(static_cast<uint32_t>(image.ImageBase()));
    qor::PackedDebugContent content = Content(image, layout);
    if (content.publics.empty())
        return Fail(program + " has no function symbols (stripped?)");

    const std::string tables = qor::PackedDebugTables(content, false);
    // The two fingerprint values identify the build: the tables and the code they describe.
    const std::string_view code = image.SectionBytes(image.Sections().front().name);
    const qor::PackedDebugHeaderFields fields{
        3, ~qor::ContinueCrc32(0xFFFFFFFFu, tables.data(), tables.size()),
        ~qor::ContinueCrc32(0xFFFFFFFFu, code.data(), code.size()), 0};
    const std::string full = qor::PackedDebugData(tables, fields);
    if (full.empty())
        return Fail("cannot pack the tables");
    if (!fullPath)
        return WriteFile(payloadPath, full) ? 0 : Fail("cannot write " + payloadPath);

    content.lines.clear();
    qor::PackedDebugHeaderFields minimalFields = fields;
    minimalFields.flags = qor::PackedMinimalFlag;
    const std::string minimal =
        qor::PackedDebugData(qor::PackedDebugTables(content, true), minimalFields);
    if (!WriteFile(payloadPath, minimal) || !WriteFile(*fullPath, full))
        return Fail("cannot write " + payloadPath + " or " + *fullPath);
    std::printf(
        "%s\n",
        qor::PackedDebugFingerprint(full.size(), fields.fingerprintA, fields.fingerprintB).c_str());
    return 0;
}

int Compare(const std::string& firstPath, const std::string& secondPath)
{
    const std::optional<std::string> first = qor::ReadWholeFile(firstPath);
    const std::optional<std::string> second = qor::ReadWholeFile(secondPath);
    if (!first || !second)
        return Fail("cannot read " + firstPath + " or " + secondPath);
    const std::string difference =
        dbgpack::LinkPassDifference(qor::PeFileView(*first), qor::PeFileView(*second));
    if (!difference.empty())
        return Fail("the link passes differ (" + difference + "): " + firstPath + " and " +
                    secondPath);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "pack")
        return Pack(args[1], args[2], std::nullopt);
    if (args.size() == 5 && args[0] == "pack" && args[3] == "--minimal")
        return Pack(args[1], args[2], args[4]);
    if (args.size() == 3 && args[0] == "compare")
        return Compare(args[1], args[2]);
    return Fail(
        "usage: dbgpack pack <program> <payload> [--minimal <full.qor>] | dbgpack "
        "compare <first pass> <second pass>");
}
