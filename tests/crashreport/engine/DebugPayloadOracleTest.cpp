// The packed debug payload that the second link pass embeds in the i686 Brenvik.exe, read
// natively from the file by the debug-information store, against binutils: every routine start
// and return addresses sampled after the calls of every 20th routine agree with
// `addr2line -f -C -i` (routine, file and line), and the public addresses with `nm -n`. The
// differences with known causes are recognised by rule, so that the check holds while the
// program changes; any other difference fails and is printed. The code symbols that have no
// public on purpose are listed by name in debug_payload_divergences.txt.
#include "HostTool.h"
#include "PeImage.h"

#include "QorDebugReaders.h"
#include "QorMapFile.h"
#include "X86Decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace qor::testing {
namespace {

const std::string Program = BRENVIK_I686_EXE;

TMapFile LoadProgram(ModuleFileDebugSources& sources)
{
    return TMapFile(true, Program, sources.ImageBase(), false, false, &sources);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The last component of a routine name, as both spellings can agree on it: addr2line's names
// carry return types, parameter lists and "::", and spell template arguments as the source
// wrote them; the payload's are qualified with "." and spell them out, and are cut after 255
// characters. Balanced <...>, (...), [...] and {...} are removed (and anything after one that
// a cut left open), GCC's clone suffixes (".cold", ".part.1", ".isra.0", ".constprop.0") and
// the "@" and argument bytes of stdcall names are dropped, and what follows the last "::",
// "." or blank is kept, without the qualifiers of member functions.
std::string LastComponent(std::string name)
{
    for (const char* clone : {".cold", ".part.", ".isra.", ".constprop."})
        if (const size_t at = name.find(clone); at != std::string::npos && at > 0)
            name.resize(at);
    if (const size_t at = name.rfind('@');
        at != std::string::npos && at + 1 < name.size() &&
        name.find_first_not_of("0123456789", at + 1) == std::string::npos)
        name.resize(at);
    std::string outer;
    int depth = 0;
    for (const char c : name) {
        if (c == '<' || c == '(' || c == '[' || c == '{')
            ++depth;
        else if ((c == '>' || c == ')' || c == ']' || c == '}') && depth > 0)
            --depth;
        else if (depth == 0)
            outer += c;
    }
    // Qualifiers of member functions follow the parameter list: "ClassType() const".
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const std::string qualifier : {" const", " volatile", " &", " &&", " noexcept"})
            if (outer.size() > qualifier.size() &&
                outer.compare(outer.size() - qualifier.size(), qualifier.size(), qualifier) == 0) {
                outer.resize(outer.size() - qualifier.size());
                trimmed = true;
            }
    }
    const size_t separator = outer.find_last_of(":. ");
    return separator == std::string::npos ? outer : outer.substr(separator + 1);
}

// addr2line drops the leading underscore of DWARF names on this target ("_FUN" of a lambda's
// static invoker, "_M_invoke", "__move_merge" become "FUN", "M_invoke", "_move_merge").
bool SameRoutine(const std::string& payload, const std::string& oracle)
{
    const std::string mine = LastComponent(payload), theirs = LastComponent(oracle);
    return !mine.empty() && (mine == theirs || mine == "_" + theirs);
}

// The payload cuts names after 255 characters; where the cut falls inside a template argument
// list or a name, no last component is left. Up to its last "." the cut name must then stand in
// addr2line's (with "::" as ".", after a return type), unless addr2line gives a plain name.
bool CutName(const std::string& payload, std::string oracle)
{
    if (payload.size() != 255)
        return false;
    if (oracle.find("::") == std::string::npos && oracle.find(' ') == std::string::npos)
        return true;
    for (size_t at = oracle.find("::"); at != std::string::npos; at = oracle.find("::", at + 1))
        oracle.replace(at, 2, ".");
    const std::string whole = payload.substr(0, payload.rfind('.'));
    for (size_t at = oracle.find(whole); at != std::string::npos; at = oracle.find(whole, at + 1))
        if (at == 0 || oracle[at - 1] == ' ')
            return true;
    return false;
}

// Sources that are included rather than compiled: headers, with or without an extension.
bool IsHeader(const std::string& file)
{
    const size_t dot = file.rfind('.');
    if (dot == std::string::npos)
        return true;
    const std::string extension = file.substr(dot + 1);
    return extension == "h" || extension == "hpp" || extension == "hxx" || extension == "tcc" ||
           extension == "inc";
}

// addr2line -C leaves the linkage names of the 32-bit target undemangled after dropping their
// leading underscore ("ZN3app..."); c++filt demangles them with it put back.
void DemangleLeftovers(std::vector<std::string*>& names)
{
    std::string input;
    std::vector<std::string*> which;
    for (std::string* name : names)
        if (name->size() > 2 && (*name)[0] == 'Z' &&
            (std::string("NSZL").find((*name)[1]) != std::string::npos ||
             std::isdigit(static_cast<unsigned char>((*name)[1])))) {
            input += "_" + *name + "\n";
            which.push_back(name);
        }
    std::istringstream output(RunHostTool("c++filt", input));
    for (std::string* name : which)
        std::getline(output, *name);
}

// The rows of the divergence table whose key starts with `kind` and a blank, without it.
std::set<std::string> ListedDivergences(const std::string& kind)
{
    std::ifstream known(BRENVIK_PAYLOAD_DIVERGENCES);
    EXPECT_TRUE(known) << BRENVIK_PAYLOAD_DIVERGENCES;
    std::set<std::string> listed;
    for (std::string line; std::getline(known, line);)
        if (line.rfind(kind + " ", 0) == 0)
            listed.insert(line.substr(kind.size() + 1, line.find(" | ") - kind.size() - 1));
    return listed;
}

// One pair of addr2line -i: a routine and its place, innermost inlined code first, the routine
// whose code the address is last.
struct OracleFrame {
    std::string routine;
    std::string file; // without its folder
    int32_t line = 0;
};

// What `addr2line -a -f -C -i` says of each address: all its pairs.
std::vector<std::vector<OracleFrame>> Addr2line(const std::vector<uint32_t>& addresses)
{
    std::string input;
    for (const uint32_t address : addresses) {
        char text[16];
        std::snprintf(text, sizeof text, "%x\n", address);
        input += text;
    }
    std::istringstream output(
        RunHostTool("i686-w64-mingw32-addr2line -a -f -C -i -e '" + Program + "'", input));
    std::vector<std::vector<OracleFrame>> chains;
    for (std::string line; std::getline(output, line);) {
        if (line.rfind("0x", 0) == 0) {
            chains.emplace_back();
        } else if (!chains.empty()) {
            std::string place;
            std::getline(output, place);
            const size_t colon = place.rfind(':');
            chains.back().push_back(
                {line, BaseName(place.substr(0, colon)), std::atoi(place.c_str() + colon + 1)});
        }
    }
    std::vector<std::string*> names;
    for (std::vector<OracleFrame>& chain : chains)
        for (OracleFrame& frame : chain)
            names.push_back(&frame.routine);
    DemangleLeftovers(names);
    return chains;
}

// A row of the DWARF line table as `objdump --dwarf=decodedline` prints it.
struct DwarfRow {
    uint32_t address = 0;
    int32_t line = 0;
    std::string file; // without its folder
};

// The program's line table in address order (rows at one address keep their order).
std::vector<DwarfRow> DwarfLineTable()
{
    std::istringstream output(
        RunHostTool("i686-w64-mingw32-objdump --dwarf=decodedline '" + Program + "'", ""));
    std::vector<DwarfRow> rows;
    for (std::string line; std::getline(output, line);) {
        char file[4096];
        int number = 0;
        unsigned address = 0;
        if (std::sscanf(line.c_str(), "%4095s %d %x", file, &number, &address) == 3)
            rows.push_back({address, number, file});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const DwarfRow& a, const DwarfRow& b) { return a.address < b.address; });
    return rows;
}

TEST(EmbeddedDebugPayload, PublicAddressesAgreeWithNm)
{
    ModuleFileDebugSources sources(Program);
    ASSERT_FALSE(sources.Resource("QOR", "EXCEPT").empty()) << Program << " carries no payload";
    const TMapFile map = LoadProgram(sources);
    ASSERT_TRUE(map.Valid());
    std::map<uint32_t, std::string> oracle; // code symbols; section symbols left out
    std::istringstream lines(RunHostTool("i686-w64-mingw32-nm -n '" + Program + "'", ""));
    for (std::string line; std::getline(lines, line);) {
        unsigned address = 0;
        char kind = 0;
        char name[4096];
        if (std::sscanf(line.c_str(), "%x %c %4095s", &address, &kind, name) == 3 &&
            (kind == 'T' || kind == 't') && name[0] != '.' && address >= map.CodeStart() &&
            address < map.CodeEnd())
            oracle.emplace(address, name);
    }
    std::set<uint32_t> payload;
    for (const TMfPublic& p : map.Tables().publics)
        payload.insert(p.address);
    std::set<std::string> missing;
    for (const auto& [address, name] : oracle)
        if (!payload.count(address))
            missing.insert(name);
    size_t extra = 0;
    for (uint32_t address : payload)
        extra += oracle.count(address) == 0;
    std::cout << payload.size() << " publics, nm lists " << oracle.size() << " code symbols\n";
    EXPECT_EQ(extra, 0u) << "publics that nm does not list";
    EXPECT_EQ(missing, ListedDivergences("nm")) << "code symbols without a public";
}

TEST(EmbeddedDebugPayload, AddressInfoAgreesWithAddr2line)
{
    ModuleFileDebugSources sources(Program);
    const TMapFile map = LoadProgram(sources);
    ASSERT_TRUE(map.Valid());
    ASSERT_FALSE(map.Tables().publics.empty());
    const PeImage image = LoadPeImage(Program);

    // Every routine start; the return addresses after the calls of every 20th routine.
    std::vector<std::pair<uint32_t, bool>> addresses; // address, is a return address
    const std::vector<TMfPublic>& publics = map.Tables().publics;
    for (size_t i = 0; i < publics.size(); ++i) {
        addresses.push_back({publics[i].address, false});
        if (i % 20 != 0 || i + 1 == publics.size())
            continue;
        for (uint32_t at = publics[i].address; at < publics[i + 1].address;) {
            const TDecodedInstruction d = DecodeInstruction(image.memory, at);
            if (!d.valid)
                break;
            if (d.call && d.next < publics[i + 1].address)
                addresses.push_back({d.next, true});
            at = d.next;
        }
    }
    std::vector<uint32_t> lookedUp;
    for (const auto& [address, returning] : addresses)
        lookedUp.push_back(returning ? address - 1 : address);
    const std::vector<std::vector<OracleFrame>> chains = Addr2line(lookedUp);
    ASSERT_EQ(chains.size(), addresses.size());
    for (const std::vector<OracleFrame>& chain : chains)
        ASSERT_FALSE(chain.empty());

    // Why a payload may differ from addr2line's outermost pair without a fault, by rule.
    std::map<std::string, size_t> explained;
    std::map<std::string, std::string> unexplained; // "start|return name" -> what differs
    size_t compared = 0, withoutDebugInfo = 0;
    const std::vector<DwarfRow> dwarf = DwarfLineTable();

    for (size_t i = 0; i < addresses.size(); ++i) {
        const auto [address, returning] = addresses[i];
        const std::vector<OracleFrame>& chain = chains[i];
        const OracleFrame& outer = chain.back();
        // A return address is looked up as the call's last byte, as the tracer does.
        const uint32_t at = returning ? address - 1 : address;
        const TMfPublic found = map.PublicAt(at);
        uint32_t next = 0;
        const int32_t line = map.LineAt(at, next);
        const std::string unit = map.SegmentAt(true, at).unit;
        const std::string key =
            std::string(returning ? "return " : "start ") + (found.valid ? found.name : "?");
        if (outer.routine == "??" && outer.line == 0) {
            // Code compiled without debug information (the C run time, libjpeg): the payload
            // names it from the symbol table and knows no line either.
            ++withoutDebugInfo;
            if (line != 0)
                unexplained.emplace(key, "a line without debug information");
            continue;
        }
        ++compared;
        if (!found.valid) {
            unexplained.emplace(key, "no routine; addr2line: " + outer.routine);
            continue;
        }
        if (outer.routine == "??")
            ++explained["routine without a name (\"??\")"];
        else if (CutName(found.name, outer.routine) && !SameRoutine(found.name, outer.routine))
            ++explained["routine: a cut name"];
        else if (!SameRoutine(found.name, outer.routine)) {
            unexplained.emplace(key, "routine; addr2line: " + outer.routine);
            continue;
        } else if (found.name != outer.routine)
            ++explained["routine spelt differently"];
        if (outer.line != 0 && outer.file != unit) {
            // Implicit members and cold parts begin in header code: one side names the header.
            if (IsHeader(outer.file) || IsHeader(unit))
                ++explained["file: a header"];
            else
                unexplained.emplace(key, "file " + unit + "; addr2line: " + outer.file);
            continue;
        }
        if (line == outer.line)
            continue;
        // The payload keeps the line of code inlined from the routine's own file.
        const bool inlined = std::any_of(chain.begin(), chain.end(), [&](const OracleFrame& f) {
            return f.file == unit && f.line == line;
        });
        // The payload keeps only the rows of the routine's own file: its line is that of the
        // last such row of the DWARF table at or before the address. This covers code inlined
        // from other files and several rows at one address (addr2line names the inlined
        // code's call line where the payload keeps the row of the statement).
        const auto last =
            std::upper_bound(dwarf.begin(), dwarf.end(), at,
                             [](uint32_t a, const DwarfRow& row) { return a < row.address; });
        const auto ownRow = std::find_if(std::make_reverse_iterator(last), dwarf.rend(),
                                         [&](const DwarfRow& row) { return row.file == unit; });
        bool ownFileRow = false;
        if (ownRow != dwarf.rend())
            for (auto row = ownRow; row != dwarf.rend() && row->address == ownRow->address; ++row)
                ownFileRow = ownFileRow || (row->file == unit && row->line == line);
        if (inlined)
            ++explained["line of inlined code of the same file"];
        else if (ownFileRow)
            ++explained["line: the own file's row (other files' rows dropped)"];
        else
            unexplained.emplace(key, "line " + std::to_string(line) + "; addr2line: " + outer.file +
                                         ":" + std::to_string(outer.line));
    }
    std::cout << compared << " addresses compared, " << withoutDebugInfo
              << " without debug information\n";
    for (const auto& [rule, count] : explained)
        std::cout << "  " << count << " explained: " << rule << "\n";

    std::string fault;
    for (const auto& [key, why] : unexplained)
        fault += key + " | " + why + "\n";
    EXPECT_TRUE(fault.empty()) << "differences no known cause explains:\n" << fault;
}

// The minimal form in the program and the full tables in the ".qor" file that the settings
// name by fingerprint, as dbgpack writes them for this program.
class MinimalProgram : public ModuleFileDebugSources {
public:
    MinimalProgram(std::string minimal, std::string settings, std::optional<std::string> full)
        : ModuleFileDebugSources(Program),
          minimal_(std::move(minimal)),
          settings_(std::move(settings)),
          full_(std::move(full))
    {
    }
    std::string Resource(std::string_view type, std::string_view name) override
    {
        if (type == "QOR" && name == "EXCEPT")
            return minimal_;
        return type == "#10" && name == "TQOREXCEPT" ? settings_ : std::string();
    }
    std::optional<std::string> ReadFile(const std::string& path) override
    {
        return path == DebugFileBaseName(Program) + ".qor" ? full_ : std::nullopt;
    }
    std::optional<int64_t> FileDay(const std::string&) override { return std::nullopt; }

private:
    std::string minimal_, settings_;
    std::optional<std::string> full_;
};

TEST(EmbeddedDebugPayload, MinimalFormNumbersRoutinesUnlessTheQorFileIsThere)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("dbgpack-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string payload = (dir / "minimal").string(), full = (dir / "full.qor").string();
    const std::string fingerprint = RunHostTool(
        std::string(BRENVIK_DBGPACK) + " pack '" + Program + "' " + payload + " --minimal " + full,
        "");
    ASSERT_EQ(fingerprint.size(), 32u) << fingerprint; // 31 characters and the line end
    std::string settings = "TPF0\x0BTQorSettings";
    settings += '\0';
    settings += "\x0CMinDebugInfo\x0C";
    settings += std::string("\x1F\0\0\0", 4) + fingerprint.substr(0, 31);
    const std::string minimal = ReadWholeFile(payload).value();
    const std::string fullTables = ReadWholeFile(full).value();
    std::filesystem::remove_all(dir);

    ModuleFileDebugSources embedded(Program);
    const TMapFile reference = LoadProgram(embedded);
    const TMfPublic routine = reference.Tables().publics.at(100);

    MinimalProgram withFile(minimal, settings, fullTables);
    const TMapFile named = LoadProgram(withFile);
    ASSERT_TRUE(named.Valid());
    EXPECT_EQ(named.PublicAt(routine.address).name, routine.name);
    EXPECT_EQ(named.Fingerprint(), "");

    MinimalProgram without(minimal, settings, std::nullopt);
    const TMapFile numbered = LoadProgram(without);
    ASSERT_TRUE(numbered.Valid());
    EXPECT_EQ(numbered.PublicAt(routine.address).name, "public%100");
    EXPECT_EQ(numbered.Fingerprint(), fingerprint.substr(0, 31));
    uint32_t next = 0;
    EXPECT_EQ(numbered.LineAt(routine.address, next), -1); // the lines are in the full file
}

} // namespace
} // namespace qor::testing
