// The stack tracer on synthetic stacks over the real i686 Brenvik.exe, loaded natively: frames
// whose return addresses follow real calls (found by objdump) to the next function of the chain,
// saved frame-pointer chains with and without frameless frames, noise words, recursion, a creator
// frame and a prepared candidate list. The expected routines are those of the construction, the
// expected lines come from addr2line, and the checksums are recomputed by a Python script from
// the printed lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "HostTool.h"
#include "LandingPads.h"
#include "PeImage.h"
#include "StackTracer.h"
#include "TablesModule.h"

namespace qor::testing {
namespace {

std::string Tool(const std::string& tool, const std::string& arguments)
{
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error(tool + " not found (install the package named in tools/lib.sh)");
    return RunHostTool(tool + " " + arguments, "");
}

struct Instruction {
    uint32_t address = 0;
    uint32_t next = 0;
    uint32_t callTarget = 0; // direct calls only
};

struct Function {
    std::string name;
    uint32_t entry = 0;
    std::vector<Instruction> code;
    bool framePointer = false; // push %ebp; mov %esp,%ebp
};

// Everything the tests learn about the program from outside tools, loaded once.
struct Program {
    PeImage image;
    std::map<uint32_t, Function> functions;
    std::shared_ptr<const TMapFile> debug;
    AnalyserAnchors anchors;
    std::unique_ptr<LandingPadIndex> pads;
    uint32_t codeStart = 0, codeEnd = 0, dataStart = 0, dataEnd = 0;

    static Program& Get()
    {
        static Program* program = [] {
            auto* p = new Program;
            p->Load();
            return p;
        }();
        return *program;
    }

    void Load()
    {
        const std::string exe = BRENVIK_I686_EXE;
        image = LoadPeImage(exe);
        for (const PeSection& s : image.sections) {
            if (s.code && !codeStart) {
                codeStart = s.address;
                codeEnd = s.address + s.size;
            } else if (!s.code && s.name == ".data") {
                dataStart = s.address;
                dataEnd = s.address + s.size;
            }
        }
        LoadCode(Tool("objdump", "-d -C --no-show-raw-insn '" + exe + "'"));
        ModuleLayout layout{codeStart, codeEnd, dataStart, false};
        DebugTables tables(layout);
        LoadPublics(Tool("i686-w64-mingw32-nm", "-C --defined-only '" + exe + "'"), tables);
        LoadLines(Tool("objdump", "--dwarf=decodedline '" + exe + "'"), tables);
        debug = MapFileOfTables(tables, "C:\\bin\\Brenvik.exe", image.imageBase);
        std::istringstream raw(Tool("i686-w64-mingw32-nm", "--defined-only '" + exe + "'"));
        for (std::string line; std::getline(raw, line);) {
            std::istringstream words(line);
            std::string address, kind, name;
            if (!(words >> address >> kind >> name))
                continue;
            if (name.size() > 1 && name[0] == '_')
                name.erase(0, 1);
            if (IsNoReturnRoutine(name))
                anchors.noReturnRoutines.push_back(
                    static_cast<uint32_t>(std::stoul(address, nullptr, 16)));
        }
        std::sort(anchors.noReturnRoutines.begin(), anchors.noReturnRoutines.end());
        for (const PeSection& s : image.sections)
            if (s.name == ".eh_frame")
                pads = std::make_unique<LandingPadIndex>(image.memory, s.address, s.size);
        if (pads)
            anchors.landingPads = [this](uint32_t entry) { return (*pads)(entry); };
    }

    // "00401010 <pre_c_init>:" starts a function; "  40106b:\tcall   63bd20 <...>" an instruction.
    void LoadCode(const std::string& listing)
    {
        std::istringstream in(listing);
        Function* current = nullptr;
        for (std::string line; std::getline(in, line);) {
            if (line.size() > 10 && line[8] == ' ' && line[9] == '<' && line.back() == ':') {
                uint32_t entry = static_cast<uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16));
                current = &functions[entry];
                current->entry = entry;
                current->name = line.substr(10, line.size() - 12);
                continue;
            }
            size_t colon = line.find(":\t");
            if (!current || line.empty() || line[0] != ' ' || colon == std::string::npos)
                continue;
            Instruction i;
            i.address = static_cast<uint32_t>(std::stoul(line.substr(0, colon), nullptr, 16));
            std::string text = line.substr(colon + 2);
            if (!current->code.empty())
                current->code.back().next = i.address;
            if (text.rfind("call ", 0) == 0) {
                std::istringstream words(text.substr(5));
                std::string target;
                words >> target;
                if (target.find_first_not_of("0123456789abcdef") == std::string::npos)
                    i.callTarget = static_cast<uint32_t>(std::stoul(target, nullptr, 16));
            }
            if (current->code.size() == 1 && current->code[0].address == current->entry)
                current->framePointer = text.rfind("mov    %esp,%ebp", 0) == 0 &&
                                        line.find("push") == std::string::npos;
            current->code.push_back(i);
        }
        for (auto& [entry, f] : functions) {
            if (!f.code.empty())
                f.code.back().next = 0; // unknown: not used as a call site
            if (f.code.size() < 2)
                f.framePointer = false;
        }
        // The first instruction must be push %ebp for a frame-pointer function.
        for (auto& [entry, f] : functions) {
            uint8_t b[3] = {};
            f.framePointer = f.framePointer && image.memory.Read(entry, b, 3) && b[0] == 0x55 &&
                             b[1] == 0x89 && b[2] == 0xE5;
        }
    }

    void LoadPublics(const std::string& symbols, DebugTables& tables)
    {
        std::istringstream in(symbols);
        for (std::string line; std::getline(in, line);) {
            if (line.size() < 12 || (line[9] != 'T' && line[9] != 't') || line[11] == '.')
                continue;
            uint32_t address = static_cast<uint32_t>(std::stoul(line.substr(0, 8), nullptr, 16));
            if (address < codeStart || address >= codeEnd)
                continue;
            tables.AddStoredPublic(true, line.substr(11), address);
        }
    }

    // Rows "file  line  0xaddress ..."; the unit of a row is the stem of the last C or C++
    // source met before it in address order (header rows belong to it).
    void LoadLines(const std::string& rows, DebugTables& tables)
    {
        struct Row {
            uint32_t address;
            int32_t line;
            std::string file;
        };
        std::vector<Row> all;
        std::istringstream in(rows);
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            std::string file, number, address;
            if (!(words >> file >> number >> address) || address.rfind("0x", 0) != 0 ||
                number.find_first_not_of("0123456789") != std::string::npos)
                continue;
            all.push_back(
                {static_cast<uint32_t>(std::stoul(address, nullptr, 16)), std::stoi(number), file});
        }
        std::stable_sort(all.begin(), all.end(),
                         [](const Row& a, const Row& b) { return a.address < b.address; });
        std::string unit;
        uint32_t runStart = 0;
        std::string runUnit;
        for (const Row& r : all) {
            tables.AddLine(r.line, r.address);
            size_t dot = r.file.rfind('.');
            std::string extension = dot == std::string::npos ? "" : r.file.substr(dot);
            if (extension == ".cpp" || extension == ".c")
                unit = r.file.substr(0, dot);
            if (unit != runUnit) {
                if (!runUnit.empty())
                    tables.AddSegment(true, runStart, r.address - runStart, runUnit);
                runUnit = unit;
                runStart = r.address;
            }
        }
        if (!runUnit.empty())
            tables.AddSegment(true, runStart, codeEnd - runStart, runUnit);
    }

    // A function with a frame pointer, entered at `entry`.
    const Function* At(uint32_t entry) const
    {
        auto it = functions.find(entry);
        return it == functions.end() ? nullptr : &it->second;
    }
};

class ProgramEnvironment final : public TraceEnvironment {
public:
    bool ModuleAt(uint32_t allocationBase, TraceModuleInfo& module) const override
    {
        const Program& p = Program::Get();
        if (allocationBase != p.image.imageBase)
            return false;
        module.handle = allocationBase;
        module.fileName = "C:\\bin\\Brenvik.exe";
        module.codeStart = p.codeStart;
        module.codeEnd = p.codeEnd;
        module.dataStart = p.dataStart;
        module.dataEnd = p.dataEnd;
        module.mainModule = true;
        module.debug = p.debug;
        return true;
    }
    AnalyserAnchors AnchorsFor(const TraceModuleInfo&) const override
    {
        return Program::Get().anchors;
    }
};

// Routine names as the engine prints them: "::" becomes ".".
std::string Printed(std::string name)
{
    for (size_t at; (at = name.find("::")) != std::string::npos;)
        name.replace(at, 2, ".");
    return name;
}

// Functions of the project itself (namespaced, with line information), not of the run time.
bool ProjectFunction(const Function& f)
{
    return f.name.find("::") != std::string::npos && f.name.rfind("std::", 0) != 0 &&
           f.name.rfind("__gnu", 0) != 0 && f.name.find("operator") == std::string::npos;
}

// A frame of the construction: the call site in `caller` whose return address lies on the stack.
struct Frame {
    const Function* caller;
    Instruction call;
};

// Call chains of functions with frame pointers: each calls the next one directly.
std::vector<Frame> FindChain(size_t depth, uint32_t from)
{
    const Program& p = Program::Get();
    for (auto it = p.functions.lower_bound(from); it != p.functions.end(); ++it) {
        std::vector<Frame> chain;
        std::set<uint32_t> used;
        const Function* f = &it->second;
        while (f && f->framePointer && ProjectFunction(*f) && chain.size() < depth &&
               used.insert(f->entry).second) {
            const Function* next = nullptr;
            for (const Instruction& i : f->code) {
                const Function* callee = p.At(i.callTarget);
                if (i.next && callee && callee->framePointer && ProjectFunction(*callee) &&
                    !used.count(callee->entry) && callee->code.size() > 8) {
                    chain.push_back({f, i});
                    next = callee;
                    break;
                }
            }
            f = next;
        }
        if (chain.size() == depth && f && f->framePointer && ProjectFunction(*f))
            return chain;
    }
    return {};
}

// A function that calls itself directly (second) and a call to it from another function
// (first), both with frame pointers.
std::pair<Frame, Frame> FindRecursion()
{
    const Program& p = Program::Get();
    for (const auto& [entry, f] : p.functions) {
        if (!f.framePointer || f.code.size() <= 8 || !ProjectFunction(f))
            continue;
        Frame self{};
        for (const Instruction& i : f.code)
            if (i.callTarget == entry && i.next)
                self = {&f, i};
        if (!self.caller)
            continue;
        for (const auto& [outerEntry, outer] : p.functions)
            if (outerEntry != entry && outer.framePointer && ProjectFunction(outer))
                for (const Instruction& i : outer.code)
                    if (i.callTarget == entry && i.next)
                        return {Frame{&outer, i}, self};
    }
    return {};
}

std::string Hex8(uint32_t v)
{
    char s[16];
    std::snprintf(s, sizeof s, "%08x", v);
    return s;
}

// The lines addr2line gives for the addresses (0 where it knows none), from one run.
std::vector<int> Addr2Lines(const std::vector<uint32_t>& addresses)
{
    std::string arguments = "-e '" BRENVIK_I686_EXE "'";
    for (uint32_t a : addresses)
        arguments += " 0x" + Hex8(a);
    std::istringstream out(Tool("addr2line", arguments));
    std::vector<int> lines;
    for (std::string line; std::getline(out, line);) {
        size_t colon = line.rfind(':');
        lines.push_back(colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1));
    }
    lines.resize(addresses.size());
    return lines;
}

constexpr uint32_t kStackBase = 0x00200000;
constexpr uint32_t kStackSize = 0x10000;

// A stack built word by word from the top (oldest) down.
struct StackBuilder {
    std::vector<uint32_t> words; // words[0] is the highest slot
    uint32_t Slot(size_t index) const
    {
        return kStackBase + kStackSize - 4 * (1 + static_cast<uint32_t>(index));
    }
    size_t Push(uint32_t value)
    {
        words.push_back(value);
        return words.size() - 1;
    }
    MemoryImage Memory() const
    {
        std::vector<uint8_t> bytes(kStackSize);
        for (size_t i = 0; i < words.size(); ++i) {
            uint32_t offset = Slot(i) - kStackBase;
            for (int b = 0; b < 4; ++b)
                bytes[offset + static_cast<uint32_t>(b)] =
                    static_cast<uint8_t>(words[i] >> (8 * b));
        }
        MemoryImage m;
        m.Add(kStackBase, std::move(bytes));
        return m;
    }
    uint32_t Bottom() const { return Slot(words.size() - 1); }
};

// Both memories: the program's image and the stack.
class CombinedMemory final : public CodeMemory {
public:
    CombinedMemory(const CodeMemory& a, const CodeMemory& b) : a_(a), b_(b) {}
    bool Read(uint32_t address, void* destination, uint32_t count) const override
    {
        ++reads;
        return address >= kStackBase && address < kStackBase + kStackSize
                   ? b_.Read(address, destination, count)
                   : a_.Read(address, destination, count);
    }
    MemoryRegion Region(uint32_t address) const override
    {
        return address >= kStackBase && address < kStackBase + kStackSize ? b_.Region(address)
                                                                          : a_.Region(address);
    }
    mutable size_t reads = 0;

private:
    const CodeMemory& a_;
    const CodeMemory& b_;
};

struct Expected {
    uint32_t address;
    std::string routine;
};

// Builds the frames of `chain` (oldest first) on the stack; frames whose index is in `frameless`
// keep no saved frame pointer. Returns the frame pointer of the newest frame.
uint32_t BuildFrames(StackBuilder& stack, const std::vector<Frame>& chain,
                     const std::set<size_t>& frameless, const std::vector<uint32_t>& noise)
{
    uint32_t framePointer = 0;
    for (size_t k = 0; k < chain.size(); ++k) {
        stack.Push(chain[k].call.next);
        // The frame of the function called from this site.
        if (!frameless.count(k + 1) || k + 1 == chain.size()) {
            size_t at = stack.Push(framePointer);
            framePointer = stack.Slot(at);
        }
        for (uint32_t word : noise)
            stack.Push(word);
    }
    return framePointer;
}

struct TraceCase {
    const char* name;
    size_t depth;
    std::set<size_t> frameless;
    bool noise;
};

class StackTracerProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Program::Get(); }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Checks that the printed lines are the expected frames, newest first, with addr2line's lines.
void ExpectFrames(const TraceStackResults& r, const std::vector<Expected>& expected)
{
    ASSERT_EQ(r.items.size(), expected.size()) << r.text;
    std::vector<uint32_t> addresses;
    for (const Expected& e : expected)
        addresses.push_back(e.address);
    const std::vector<int> lines = Addr2Lines(addresses);
    for (size_t i = 0; i < expected.size(); ++i) {
        const TStackItem& item = r.items[i];
        EXPECT_EQ(item.address, expected[i].address) << "frame " << i << "\n" << r.text;
        // The module's debug information is a packed payload, whose names keep at most 255
        // characters.
        EXPECT_EQ(item.routineName, Printed(expected[i].routine.substr(0, 255))) << "frame " << i;
        EXPECT_EQ(item.moduleName, "Brenvik.exe");
        EXPECT_EQ(item.relativeLine, lines[i]) << "frame " << i;
        EXPECT_EQ(Lines(r.text)[i].substr(0, 8), Hex8(expected[i].address));
    }
}

TEST_F(StackTracerProgram, ChainsOfRealCallsGiveTheConstructedFrames)
{
    const Program& p = Program::Get();
    const std::vector<Frame> chain = FindChain(5, p.codeStart + 0x40000);
    ASSERT_EQ(chain.size(), 5u);
    const Function* newest = p.At(chain.back().call.callTarget);
    ASSERT_NE(newest, nullptr);
    // Noise: a function entry (no call before it), a stack address, small numbers, and a stale
    // return address after a real call elsewhere in the program.
    Frame stale = FindChain(1, p.codeStart + 0x100000).front();
    const std::vector<uint32_t> noise = {newest->entry, kStackBase + 0x100, 7, stale.call.next};
    const TraceCase cases[] = {
        {"saved frame-pointer chain", 5, {}, false},
        {"frameless frames in the chain", 5, {2, 3}, false},
        {"noise words between the frames", 5, {}, true},
        {"frameless frames and noise", 5, {1, 3}, true},
    };
    for (const TraceCase& c : cases) {
        SCOPED_TRACE(c.name);
        StackBuilder stack;
        uint32_t fp =
            BuildFrames(stack, chain, c.frameless, c.noise ? noise : std::vector<uint32_t>{});
        MemoryImage stackMemory = stack.Memory();
        CombinedMemory memory(p.image.memory, stackMemory);
        ProgramEnvironment environment;
        StackTracer tracer(memory, environment);
        TraceStackArguments a;
        a.currentAddress = newest->code[3].address; // faulting inside the newest function
        a.isException = true;
        a.outsideException = true;
        a.stackBottom = stack.Bottom();
        a.stackTop = kStackBase + kStackSize;
        a.framePointer = fp;
        TraceStackResults r;
        tracer.TraceStack(a, r);
        std::vector<Expected> expected = {{a.currentAddress, newest->name}};
        for (size_t k = chain.size(); k-- > 0;)
            expected.push_back({chain[k].call.address, chain[k].caller->name});
        ExpectFrames(r, expected);
        EXPECT_EQ(r.exceptionAddress, a.currentAddress);
        EXPECT_TRUE(r.hasLines);
    }
}

TEST_F(StackTracerProgram, RecursionFiftyDeepPrintsOnePass)
{
    const Program& p = Program::Get();
    const auto [outer, recursion] = FindRecursion();
    ASSERT_NE(recursion.caller, nullptr);
    const Function* self = recursion.caller;
    std::vector<Frame> chain = {outer};
    for (int i = 0; i < 50; ++i)
        chain.push_back(recursion);
    chain.pop_back(); // 50 frames of the recursive function in all, the newest faulting
    StackBuilder stack;
    uint32_t fp = BuildFrames(stack, chain, {}, {});
    MemoryImage stackMemory = stack.Memory();
    CombinedMemory memory(p.image.memory, stackMemory);
    ProgramEnvironment environment;
    StackTracer tracer(memory, environment);
    TraceStackArguments a;
    a.currentAddress = self->code[3].address;
    a.isException = true;
    a.outsideException = true;
    a.stackBottom = stack.Bottom();
    a.stackTop = kStackBase + kStackSize;
    a.framePointer = fp;
    TraceStackResults r;
    tracer.TraceStack(a, r);
    ExpectFrames(r, {{a.currentAddress, self->name},
                     {recursion.call.address, self->name},
                     {outer.call.address, outer.caller->name}});
}

// The thread's creator is the oldest frame; the trace of a prepared list (as captured when the
// exception was raised) gives the same lines as the walk over the stack.
TEST_F(StackTracerProgram, CreatorFrameAndPreparedList)
{
    const Program& p = Program::Get();
    const std::vector<Frame> chain = FindChain(3, p.codeStart + 0x80000);
    ASSERT_EQ(chain.size(), 3u);
    const Function* newest = p.At(chain.back().call.callTarget);
    Frame creator = FindChain(1, p.codeStart + 0x120000).front();
    StackBuilder stack;
    uint32_t fp = BuildFrames(stack, chain, {2}, {5, creator.caller->entry});
    MemoryImage stackMemory = stack.Memory();
    CombinedMemory memory(p.image.memory, stackMemory);
    ProgramEnvironment environment;
    StackTracer tracer(memory, environment);
    TraceStackArguments a;
    a.currentAddress = newest->code[3].address;
    a.isException = true;
    a.outsideException = true;
    a.stackBottom = stack.Bottom();
    a.stackTop = kStackBase + kStackSize;
    a.framePointer = fp;
    a.creatorAddress = creator.call.next;
    std::vector<Expected> expected = {{a.currentAddress, newest->name}};
    for (size_t k = chain.size(); k-- > 0;)
        expected.push_back({chain[k].call.address, chain[k].caller->name});
    expected.push_back({creator.call.address, creator.caller->name});

    TraceStackResults walked;
    tracer.TraceStack(a, walked);
    ExpectFrames(walked, expected);

    TDAPreStackList prepared;
    ASSERT_EQ(tracer.CaptureStackCandidates(fp, a.stackTop, a.stackBottom, a.currentAddress, true,
                                            prepared),
              3u); // the noise fails the call test
    const uint32_t count = prepared[0].address, oldest = prepared[1].address;
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(oldest, chain[0].call.next);
    a.preparedList = &prepared;
    TraceStackResults replayed;
    tracer.TraceStack(a, replayed);
    ExpectFrames(replayed, expected);
    EXPECT_EQ(replayed.text, walked.text);
}

// Relative addresses and lines, hidden frames and the three checksums, recomputed from the
// printed lines by Python's zlib.
TEST_F(StackTracerProgram, ColumnsAndChecksumsAgreeWithAnIndependentScript)
{
    const Program& p = Program::Get();
    const std::vector<Frame> chain = FindChain(4, p.codeStart + 0x60000);
    ASSERT_EQ(chain.size(), 4u);
    const Function* newest = p.At(chain.back().call.callTarget);
    StackBuilder stack;
    uint32_t fp = BuildFrames(stack, chain, {}, {});
    MemoryImage stackMemory = stack.Memory();
    CombinedMemory memory(p.image.memory, stackMemory);
    ProgramEnvironment environment;
    StackTracer tracer(memory, environment);
    TraceStackArguments a;
    a.relativeAddresses = true;
    a.relativeLines = true;
    a.currentAddress = newest->code[3].address;
    a.isException = true;
    a.outsideException = true;
    a.stackBottom = stack.Bottom();
    a.stackTop = kStackBase + kStackSize;
    a.framePointer = fp;
    TraceStackResults r;
    tracer.TraceStack(a, r);
    ASSERT_EQ(r.items.size(), 5u) << r.text;
    // Columns: address, "+offset", module, unit, line, "+relative line", routine.
    struct Columns {
        std::string address, offset, module, unit, absolute, relative;
    };
    std::vector<Columns> rows;
    std::vector<uint32_t> addresses; // each shown address and its routine's start
    for (const std::string& line : Lines(r.text)) {
        Columns c;
        std::istringstream(line) >> c.address >> c.offset >> c.module >> c.unit >> c.absolute >>
            c.relative;
        ASSERT_EQ(c.offset[0], '+') << line;
        ASSERT_EQ(c.relative[0], '+') << line;
        EXPECT_EQ(c.module, "Brenvik.exe");
        uint32_t shown = static_cast<uint32_t>(std::stoul(c.address, nullptr, 16));
        addresses.push_back(shown);
        addresses.push_back(shown -
                            static_cast<uint32_t>(std::stoul(c.offset.substr(1), nullptr, 16)));
        rows.push_back(c);
    }
    const std::vector<int> lines = Addr2Lines(addresses);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(std::stoi(rows[i].absolute), lines[2 * i]) << rows[i].address;
        EXPECT_EQ(std::stoi(rows[i].relative.substr(1)), lines[2 * i] - lines[2 * i + 1])
            << rows[i].address;
    }
    // The Python side: value = offset continued over the lower-cased module, unit and routine.
    const char* script = R"(
import sys, zlib
def cont(crc, data):
    return (~zlib.crc32(data, ~crc & 0xffffffff)) & 0xffffffff
first = chain = None
for line in sys.stdin.read().split('\r\n'):
    address, offset, module, unit, absolute, relative, routine = line.split(None, 6)
    value = int(offset[1:], 16)
    for part in (module, unit, routine):
        value = cont(value, part.lower().encode('latin-1'))
    if first is None:
        first = chain = value
    else:
        chain = cont(chain, value.to_bytes(4, 'little'))
print(first, chain)
)";
    Tool("python3", "--version");
    std::string out =
        RunHostTool("python3 -c \"$(cat <<'EOF'\n" + std::string(script) + "\nEOF\n)\"", r.text);
    std::istringstream sums(out);
    uint32_t first = 0, chainSum = 0;
    sums >> first >> chainSum;
    EXPECT_EQ(r.firstChecksum, first);
    EXPECT_EQ(r.chainChecksum, chainSum);
    EXPECT_TRUE(r.hasLines);
}

// One read of the underlying memory per 4 KiB page touched, however many words are examined.
TEST_F(StackTracerProgram, ReadsEachPageTouchedOnce)
{
    const Program& p = Program::Get();
    const std::vector<Frame> chain = FindChain(5, p.codeStart + 0x40000);
    const Function* newest = p.At(chain.back().call.callTarget);
    StackBuilder stack;
    uint32_t fp = BuildFrames(stack, chain, {2}, {1, 2, 3});
    MemoryImage stackMemory = stack.Memory();
    CombinedMemory memory(p.image.memory, stackMemory);
    // Counts the pages asked of the cache: every read the tracer makes goes through it.
    class PageCounter final : public CodeMemory {
    public:
        explicit PageCounter(const CodeMemory& m) : m_(m) {}
        bool Read(uint32_t address, void* destination, uint32_t count) const override
        {
            for (uint32_t page = address / 0x1000; page <= (address + count - 1) / 0x1000; ++page)
                pages.insert(page);
            return m_.Read(address, destination, count);
        }
        MemoryRegion Region(uint32_t address) const override { return m_.Region(address); }
        mutable std::set<uint32_t> pages;

    private:
        const CodeMemory& m_;
    } counter(memory);
    ProgramEnvironment environment;
    StackTracer tracer(counter, environment);
    TraceStackArguments a;
    a.currentAddress = newest->code[3].address;
    a.isException = true;
    a.stackBottom = stack.Bottom();
    a.stackTop = kStackBase + kStackSize;
    a.framePointer = fp;
    TraceStackResults r;
    tracer.TraceStack(a, r);
    ASSERT_FALSE(r.text.empty());
    EXPECT_GT(counter.pages.size(), 3u);
    EXPECT_LE(memory.reads, counter.pages.size());
}

} // namespace
} // namespace qor::testing
