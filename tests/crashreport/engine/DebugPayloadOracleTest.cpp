// The packed debug payload that the second link pass embeds in the i686 Brenvik.exe, read
// natively from the file by the debug-information store, against binutils: every routine start
// and return addresses sampled after the calls of every 20th routine agree with
// `addr2line -f -C` (routine, file and line), and the public addresses with `nm -n`. Known
// differences are listed with their reasons in debug_payload_divergences.txt; a new and a stale
// row both fail.
#include "HostTool.h"
#include "PeImage.h"

#include "QorDebugReaders.h"
#include "QorMapFile.h"
#include "X86Decoder.h"

#include <gtest/gtest.h>

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

// addr2line's routine names carry parameter lists and "::"; the payload's are the bare
// qualified names with ".". The payload's name must stand in addr2line's (after "::" became
// ".") where a parameter list or the end follows. GCC's clones (".cold", ".part.1", ".isra.0",
// ".constprop.0") are named by their parent function in the DWARF data, and addr2line drops
// the leading underscore of C routine names (the 32-bit target's symbol prefix) that the
// payload keeps as the source wrote it.
bool SameRoutine(std::string payload, std::string oracle)
{
    for (size_t at = oracle.find("::"); at != std::string::npos; at = oracle.find("::", at + 1))
        oracle.replace(at, 2, ".");
    for (const char* clone : {".cold", ".part.", ".isra.", ".constprop."})
        if (const size_t at = payload.find(clone); at != std::string::npos && at > 0)
            payload.resize(at);
    const auto standsIn = [&oracle](const std::string& name) {
        for (size_t at = oracle.find(name); at != std::string::npos;
             at = oracle.find(name, at + 1)) {
            const size_t end = at + name.size();
            if ((at == 0 || oracle[at - 1] == ' ' || oracle[at - 1] == '.') &&
                (end == oracle.size() || oracle[end] == '('))
                return true;
        }
        return false;
    };
    // The names of stdcall routines end in "@" and their argument bytes.
    if (const size_t at = oracle.rfind('@');
        at != std::string::npos && at + 1 < oracle.size() &&
        oracle.find_first_not_of("0123456789", at + 1) == std::string::npos)
        oracle.resize(at);
    // Routines without a linkage name in the DWARF data (those of anonymous namespaces, the
    // static initialisers) are named by their plain name.
    const bool plainName =
        payload.size() > oracle.size() &&
        payload.compare(payload.size() - oracle.size(), oracle.size(), oracle) == 0 &&
        payload[payload.size() - oracle.size() - 1] == '.';
    // Names longer than the payload's 255 characters are cut.
    const bool cut = payload.size() == 255 && oracle.compare(0, 255, payload) == 0;
    return standsIn(payload) || plainName || cut ||
           (payload.size() > 1 && payload[0] == '_' && oracle == payload.substr(1));
}

// addr2line -C leaves the linkage names of the 32-bit target undemangled after dropping their
// leading underscore ("ZN3app..."); c++filt demangles them with it put back.
void DemangleLeftovers(std::vector<std::string>& names)
{
    std::string input;
    std::vector<size_t> which;
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].size() > 2 && names[i][0] == 'Z' &&
            (names[i][1] == 'N' || std::isdigit(static_cast<unsigned char>(names[i][1])))) {
            input += "_" + names[i] + "\n";
            which.push_back(i);
        }
    std::istringstream output(RunHostTool("c++filt", input));
    for (size_t i : which)
        std::getline(output, names[i]);
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
    std::string input;
    for (const auto& [address, returning] : addresses) {
        char text[16];
        std::snprintf(text, sizeof text, "%x\n", returning ? address - 1 : address);
        input += text;
    }
    // With -i addr2line names the inlined routines of an address first and the routine whose
    // code it is last, with the line of the call: the last pair is what the payload holds.
    std::istringstream output(
        RunHostTool("i686-w64-mingw32-addr2line -a -f -C -i -e '" + Program + "'", input));
    std::vector<std::string> routines, places;
    for (std::string line; std::getline(output, line);) {
        if (line.rfind("0x", 0) == 0) {
            routines.emplace_back();
            places.emplace_back();
        } else if (!routines.empty()) {
            std::string place;
            std::getline(output, place);
            routines.back() = line;
            places.back() = place;
        }
    }
    ASSERT_EQ(routines.size(), addresses.size());
    DemangleLeftovers(routines);

    std::map<std::string, std::string> divergences; // "start|return name" -> what differs
    size_t compared = 0, withoutDebugInfo = 0;
    for (size_t i = 0; i < addresses.size(); ++i) {
        const auto [address, returning] = addresses[i];
        const std::string& routine = routines[i];
        const std::string& place = places[i];
        // A return address is looked up as the call's last byte, as the tracer does.
        const uint32_t at = returning ? address - 1 : address;
        const TMfPublic found = map.PublicAt(at);
        uint32_t next = 0;
        const int32_t line = map.LineAt(at, next);
        const size_t colon = place.rfind(':');
        const std::string file = BaseName(place.substr(0, colon));
        const int32_t oracleLine = std::atoi(place.c_str() + colon + 1);
        if (routine == "??" && oracleLine == 0) {
            // Code compiled without debug information (the C run time, libjpeg): the payload
            // names it from the symbol table and knows no line either.
            ++withoutDebugInfo;
            if (line != 0)
                divergences.emplace("line without debug information", std::to_string(at));
            continue;
        }
        std::string why;
        if (!found.valid || !SameRoutine(found.name, routine))
            why = "routine " + routine;
        else if (oracleLine != 0 && file != map.SegmentAt(true, at).unit)
            why = "file " + file + " (unit " + map.SegmentAt(true, at).unit + ")";
        else if (line != oracleLine)
            why = "line " + std::to_string(line) + " for " + std::to_string(oracleLine);
        ++compared;
        if (!why.empty())
            divergences.emplace(
                std::string(returning ? "return " : "start ") + (found.valid ? found.name : "?"),
                why);
    }
    std::cout << compared << " addresses compared, " << divergences.size() << " routines differ\n";

    std::set<std::string> listed;
    for (const char* kind : {"start", "return"})
        for (const std::string& key : ListedDivergences(kind))
            listed.insert(kind + (" " + key));
    std::string fresh, stale;
    for (const auto& [key, why] : divergences)
        if (!listed.count(key))
            fresh += key + " | " + why + "\n";
    for (const std::string& key : listed)
        if (!divergences.count(key))
            stale += key + "\n";
    EXPECT_TRUE(fresh.empty()) << "new differences:\n" << fresh;
    EXPECT_TRUE(stale.empty()) << "listed differences that are gone:\n" << stale;
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
