// The analyser on every function of the i686 Brenvik.exe, loaded natively: the code areas it
// finds from a function's entry must cover the function's range in the debug information
// (llvm-dwarfdump is the oracle), alignment fill between them aside, except for the functions
// listed in function_extent_divergences.txt; a new and a stale entry both fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "FunctionAnalyser.h"
#include "LandingPads.h"
#include "PeImage.h"

namespace qor::testing {
namespace {

struct DwarfFunction {
    std::string name;
    uint32_t low = 0, high = 0;
};

std::string RunTool(const std::string& tool, const std::string& command)
{
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error(tool + " not found (install the package named in tools/lib.sh)");
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

// "DW_AT_name\t(\"f\")" -> f; "(0x00401000)" -> value.
std::string Quoted(const std::string& line)
{
    size_t a = line.find("(\""), b = line.rfind("\")");
    if (a == std::string::npos || b == std::string::npos || b <= a) {
        a = line.find('"');
        b = line.rfind('"');
        return a != std::string::npos && b > a ? line.substr(a + 1, b - a - 1) : "";
    }
    return line.substr(a + 2, b - a - 2);
}
uint32_t Value(const std::string& line)
{
    size_t a = line.find("(0x");
    return a == std::string::npos
               ? 0
               : static_cast<uint32_t>(std::stoul(line.substr(a + 1), nullptr, 16));
}

std::vector<DwarfFunction> DwarfFunctions(const std::string& exe)
{
    std::istringstream in(RunTool("llvm-dwarfdump", "llvm-dwarfdump --debug-info '" + exe + "'"));
    std::vector<DwarfFunction> functions;
    DwarfFunction current;
    bool inside = false;
    auto flush = [&] {
        if (inside && current.low && current.high > current.low)
            functions.push_back(current);
        inside = false;
        current = DwarfFunction{};
    };
    for (std::string line; std::getline(in, line);) {
        if (line.find("DW_TAG_") != std::string::npos) {
            flush();
            inside = line.find("DW_TAG_subprogram") != std::string::npos;
            continue;
        }
        if (!inside)
            continue;
        if (line.find("DW_AT_low_pc") != std::string::npos)
            current.low = Value(line);
        else if (line.find("DW_AT_high_pc") != std::string::npos)
            current.high = Value(line);
        else if (current.name.empty() && (line.find("DW_AT_name") != std::string::npos ||
                                          line.find("DW_AT_specification") != std::string::npos ||
                                          line.find("DW_AT_abstract_origin") != std::string::npos))
            current.name = Quoted(line);
    }
    flush();
    return functions;
}

// Routines that never return, by their symbols in the image (nm is the oracle for addresses).
std::vector<uint32_t> NoReturnRoutines(const std::string& exe)
{
    std::istringstream in(
        RunTool("i686-w64-mingw32-nm", "i686-w64-mingw32-nm --defined-only '" + exe + "'"));
    std::vector<uint32_t> addresses;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string address, kind, name;
        if (!(words >> address >> kind >> name))
            continue;
        if (name.size() > 1 && name[0] == '_')
            name.erase(0, 1); // the i686 symbol prefix
        if (IsNoReturnRoutine(name))
            addresses.push_back(static_cast<uint32_t>(std::stoul(address, nullptr, 16)));
    }
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

// The fill sequences the GNU assembler places between code for alignment; the analyser never
// reaches them, and they are no part of any function's code.
bool IsAlignmentFill(const CodeMemory& memory, uint32_t from, uint32_t to)
{
    static const std::vector<std::vector<uint8_t>> kFills = {
        {0x90},
        {0x66, 0x90},
        {0x89, 0xF6},
        {0x89, 0xFF},
        {0x8D, 0x76, 0x00},
        {0x8D, 0x74, 0x26, 0x00},
        {0x8D, 0xB6, 0x00, 0x00, 0x00, 0x00},
        {0x8D, 0xB4, 0x26, 0x00, 0x00, 0x00, 0x00},
        {0x8D, 0xBC, 0x27, 0x00, 0x00, 0x00, 0x00},
        {0x8D, 0xBF, 0x00, 0x00, 0x00, 0x00},
        {0x8D, 0xBC, 0x26, 0x00, 0x00, 0x00, 0x00},
        {0x8D, 0x76, 0x00},
        {0x8D, 0x36},
        {0x8D, 0x3F},
        {0x0F, 0x1F, 0x00},
        {0x0F, 0x1F, 0x40, 0x00},
        {0x0F, 0x1F, 0x44, 0x00, 0x00},
        {0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00},
        {0x0F, 0x1F, 0x80, 0x00, 0x00, 0x00, 0x00},
        {0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x66, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x66, 0x2E, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00},
        {0x66, 0x66, 0x2E, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00},
    };
    if (to - from >= 16)
        return false;
    std::vector<uint8_t> gap(to - from);
    if (!memory.Read(from, gap.data(), static_cast<uint32_t>(gap.size())))
        return false;
    size_t at = 0;
    while (at < gap.size()) {
        size_t best = 0;
        for (const auto& fill : kFills)
            if (fill.size() > best && at + fill.size() <= gap.size() &&
                std::equal(fill.begin(), fill.end(), gap.begin() + static_cast<long>(at)))
                best = fill.size();
        if (!best)
            return false;
        at += best;
    }
    return true;
}

TEST(FunctionExtent, AnalysedAreasCoverTheDebugInformationRanges)
{
    PeImage image = LoadPeImage(BRENVIK_I686_EXE);
    std::vector<DwarfFunction> functions = DwarfFunctions(BRENVIK_I686_EXE);
    ASSERT_GT(functions.size(), 1000u);
    AnalyserAnchors anchors;
    anchors.noReturnRoutines = NoReturnRoutines(BRENVIK_I686_EXE);
    ASSERT_FALSE(anchors.noReturnRoutines.empty());
    auto frames = std::find_if(image.sections.begin(), image.sections.end(),
                               [](const PeSection& s) { return s.name == ".eh_frame"; });
    ASSERT_NE(frames, image.sections.end());
    LandingPadIndex pads(image.memory, frames->address, frames->size);
    anchors.landingPads = [&](uint32_t entry) { return pads(entry); };

    std::map<std::string, std::string> failures; // name -> why
    for (const DwarfFunction& f : functions) {
        TFunctionInfo info = AnalyseCode(image.memory, f.low, anchors);
        std::string why;
        if (!info.valid) {
            char s[64];
            std::snprintf(s, sizeof s, "invalid at +%x", info.errorAddress - f.low);
            why = s;
        } else {
            std::vector<std::pair<uint32_t, uint32_t>> spans;
            for (const TCodeArea& a : info.areas)
                spans.push_back({a.start, a.end});
            std::sort(spans.begin(), spans.end());
            uint32_t covered = f.low;
            for (const auto& [s, e] : spans) {
                if (s > covered && s < f.high && IsAlignmentFill(image.memory, covered, s))
                    covered = s;
                if (s <= covered && e + 1 > covered)
                    covered = e + 1;
            }
            if (covered < f.high && IsAlignmentFill(image.memory, covered, f.high))
                covered = f.high;
            if (covered < f.high) {
                char s[64];
                std::snprintf(s, sizeof s, "uncovered from +%x", covered - f.low);
                why = s;
            }
        }
        if (!why.empty())
            failures[f.name.empty() ? "?" : f.name] = why;
    }
    // The known set: "name | reason" per line.
    std::ifstream known(BRENVIK_EXTENT_DIVERGENCES);
    ASSERT_TRUE(known) << BRENVIK_EXTENT_DIVERGENCES;
    std::set<std::string> listed;
    for (std::string line; std::getline(known, line);)
        if (!line.empty() && line[0] != '#')
            listed.insert(line.substr(0, line.find(" | ")));
    std::string fresh, stale;
    for (const auto& [name, why] : failures)
        if (!listed.count(name))
            fresh += name + " | " + why + "\n";
    for (const std::string& name : listed)
        if (!failures.count(name))
            stale += name + "\n";
    std::cout << functions.size() << " functions, " << failures.size() << " not covered\n";
    EXPECT_TRUE(fresh.empty()) << "functions newly not covered:\n" << fresh;
    EXPECT_TRUE(stale.empty()) << "listed functions that are covered now:\n" << stale;
}

} // namespace
} // namespace qor::testing
