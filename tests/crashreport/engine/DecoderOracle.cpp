#include "DecoderOracle.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "X86Decoder.h"

namespace qor::testing {

namespace {

namespace fs = std::filesystem;

constexpr uint8_t kMarker[5] = {0xB8, 0xDE, 0xC0, 0x17, 0x5A}; // mov eax, $5a17c0de
constexpr uint32_t kCaseBytes = 16;

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (fs::temp_directory_path() / "decoder-oracle-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const char* name) const { return path_ / name; }

private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> ReadLines(const fs::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Runs a shell command; a tool that cannot be found fails the test through the exception.
// llvm-mc ends with status 1 when it met bytes that do not decode, which is what it is asked.
void Run(const std::string& tool, const std::string& command, int allowedStatus = 0)
{
    if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error(tool + " not found (install the package named in tools/lib.sh)");
    int rc = std::system(command.c_str());
    if (rc == -1 || !WIFEXITED(rc) || (WEXITSTATUS(rc) != 0 && WEXITSTATUS(rc) != allowedStatus))
        throw std::runtime_error("command failed: " + command);
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

const std::set<std::string> kPrefixWords = {
    "cs",     "ds",   "es",  "fs",   "gs",    "ss",   "data16", "addr16", "data32",
    "addr32", "lock", "rep", "repz", "repnz", "repe", "repne",  "bnd",    "notrack"};

BranchKind KindOfMnemonic(const std::string& m)
{
    static const std::set<std::string> calls = {"call",  "callw",  "calll",
                                                "lcall", "lcallw", "lcalll"};
    if (calls.count(m))
        return BranchKind::Call;
    if (m == "jmp" || m == "jmpw" || m == "jmpl" || m == "ljmp" || m == "ljmpw" || m == "ljmpl" ||
        m.rfind("loop", 0) == 0 || m == "jecxz" || m == "jcxz")
        return BranchKind::Jump;
    if (m.size() >= 2 && m[0] == 'j')
        return BranchKind::Jump; // conditional jumps
    return BranchKind::None;
}

// One objdump line: "addr:\tbytes\ttext".
bool ParseObjdumpLine(const std::string& line, uint32_t& address, Verdict& v)
{
    size_t colon = line.find(":\t");
    if (colon == std::string::npos)
        return false;
    char* end = nullptr;
    unsigned long a = std::strtoul(line.c_str(), &end, 16);
    if (end != line.c_str() + colon)
        return false;
    size_t tab = line.find('\t', colon + 2);
    std::string bytes =
        line.substr(colon + 2, tab == std::string::npos ? std::string::npos : tab - colon - 2);
    std::string text = tab == std::string::npos ? "" : line.substr(tab + 1);
    address = static_cast<uint32_t>(a);
    v = Verdict{};
    v.length = static_cast<uint32_t>(Words(bytes).size());
    std::vector<std::string> words = Words(text);
    size_t i = 0;
    while (i < words.size() && kPrefixWords.count(words[i]))
        ++i;
    if (i == words.size() || words[i] == "(bad)" || words[i] == ".byte")
        return true;
    v.valid = true;
    v.branch = KindOfMnemonic(words[i]);
    if (v.branch != BranchKind::None && i + 1 < words.size()) {
        const std::string& op = words[i + 1];
        if (op.rfind("0x", 0) == 0 && op.find(':') == std::string::npos && i + 2 == words.size()) {
            v.relative = true;
            v.target = static_cast<uint32_t>(std::strtoul(op.c_str(), nullptr, 16));
        }
    }
    return true;
}

std::map<uint32_t, Verdict> RunObjdump(const std::vector<uint8_t>& code, uint32_t address)
{
    TempDir dir;
    WriteFile(dir / "code.bin", code.data(), code.size());
    char vma[32];
    std::snprintf(vma, sizeof vma, "0x%x", address);
    Run("objdump",
        "objdump -D -b binary -m i386 -M intel --insn-width=16 --adjust-vma=" + std::string(vma) +
            " '" + (dir / "code.bin").string() + "' > '" + (dir / "out.txt").string() + "'");
    std::map<uint32_t, Verdict> result;
    for (const std::string& line : ReadLines(dir / "out.txt")) {
        uint32_t a;
        Verdict v;
        if (ParseObjdumpLine(line, a, v))
            result[a] = v;
    }
    return result;
}

std::string HexByte(uint8_t b)
{
    char s[8];
    std::snprintf(s, sizeof s, "0x%02x", b);
    return s;
}

std::string Group(const std::vector<uint8_t>& bytes, size_t count)
{
    std::string g = "[";
    for (size_t i = 0; i < count; ++i)
        g += (i ? " " : "") + HexByte(bytes[i]);
    return g + "]";
}

std::string Hex(const std::vector<uint8_t>& bytes, size_t count)
{
    std::string s;
    char b[4];
    for (size_t i = 0; i < count && i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        s += (i ? " " : "") + std::string(b);
    }
    return s;
}

std::vector<std::string> Split(const std::string& s, char by)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, by)) {
        size_t a = part.find_first_not_of(" \t"), b = part.find_last_not_of(" \t");
        parts.push_back(a == std::string::npos ? "" : part.substr(a, b - a + 1));
    }
    return parts;
}

bool IsPrefix(uint8_t b)
{
    static const std::set<uint8_t> prefixes = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65,
                                               0x66, 0x67, 0xF0, 0xF2, 0xF3};
    return prefixes.count(b) != 0;
}

bool MatchFrom(const std::vector<std::string>& tokens, size_t t, const std::vector<uint8_t>& bytes,
               size_t i)
{
    if (t == tokens.size())
        return true;
    const std::string& tok = tokens[t];
    if (tok == "*") {
        for (size_t j = i;; ++j) {
            if (MatchFrom(tokens, t + 1, bytes, j))
                return true;
            if (j >= bytes.size() || !IsPrefix(bytes[j]))
                return false;
        }
    }
    if (i >= bytes.size())
        return false;
    if (tok == "??")
        return MatchFrom(tokens, t + 1, bytes, i + 1);
    size_t amp = tok.find('&');
    unsigned value = static_cast<unsigned>(std::stoul(tok.substr(0, amp), nullptr, 16));
    unsigned mask = amp == std::string::npos
                        ? 0xFF
                        : static_cast<unsigned>(std::stoul(tok.substr(amp + 1), nullptr, 16));
    if ((bytes[i] & mask) != value)
        return false;
    return MatchFrom(tokens, t + 1, bytes, i + 1);
}

} // namespace

std::vector<uint8_t> SlotImage(const std::vector<OracleCase>& cases)
{
    std::vector<uint8_t> image(cases.size() * kSlotSize, 0x90);
    for (size_t i = 0; i < cases.size(); ++i) {
        uint8_t* slot = image.data() + i * kSlotSize;
        std::copy(cases[i].bytes.begin(),
                  cases[i].bytes.begin() + std::min<size_t>(kCaseBytes, cases[i].bytes.size()),
                  slot);
        std::copy(std::begin(kMarker), std::end(kMarker), slot + 2 * kCaseBytes);
    }
    return image;
}

std::vector<Verdict> ObjdumpVerdicts(const std::vector<OracleCase>& cases)
{
    std::map<uint32_t, Verdict> sweep = RunObjdump(SlotImage(cases), kSlotBase);
    std::vector<Verdict> verdicts(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        auto it = sweep.find(SlotAddress(i));
        if (it == sweep.end())
            throw std::runtime_error("objdump lost step at slot " + std::to_string(i));
        verdicts[i] = it->second;
    }
    return verdicts;
}

std::map<uint32_t, Verdict> ObjdumpSweep(const std::vector<uint8_t>& code, uint32_t address)
{
    return RunObjdump(code, address);
}

namespace {

struct LlvmMcRun {
    std::vector<std::string> output;
    // Per input line (from 0) that met bytes which do not decode: the index of the first such byte.
    std::map<size_t, size_t> failures;
    // Whether the instruction at the group's start decoded: no failure at its prefixes or at the
    // byte after them (a failure there means llvm-mc fell back to showing the prefixes alone).
    bool Decoded(size_t line, size_t prefixes) const
    {
        auto it = failures.find(line);
        return it == failures.end() || it->second > prefixes;
    }
};

// One llvm-mc run over input lines of groups "[...]": llvm-mc decodes every group from its
// start and warns at the line and column of an instruction that does not decode.
LlvmMcRun RunLlvmMc(const std::string& input)
{
    TempDir dir;
    WriteFile(dir / "in.txt", input.data(), input.size());
    Run("llvm-mc",
        "llvm-mc --disassemble -triple=i386 < '" + (dir / "in.txt").string() + "' > '" +
            (dir / "out.txt").string() + "' 2> '" + (dir / "err.txt").string() + "'",
        1);
    LlvmMcRun run;
    run.output = ReadLines(dir / "out.txt");
    for (const std::string& line : ReadLines(dir / "err.txt")) {
        if (line.rfind("<stdin>:", 0) != 0 ||
            line.find("invalid instruction encoding") == std::string::npos)
            continue;
        std::vector<std::string> parts = Split(line, ':');
        // Byte i of a group "[0x.. 0x..]" lies at column 2 + 5 i.
        if (parts.size() < 3)
            continue;
        size_t at = std::stoul(parts[1]) - 1, index = (std::stoul(parts[2]) - 2) / 5;
        auto [it, added] = run.failures.emplace(at, index);
        if (!added)
            it->second = std::min(it->second, index);
    }
    return run;
}

} // namespace

// llvm-mc prints neither lengths nor addresses. A first run gives each case as the marker, the
// case's 15 bytes and the marker again: a warning on the middle line says the case is invalid,
// and the line after the first marker is its text. The length is the smallest prefix of the
// bytes that decodes on its own; `hints` (a length to try first, 0 for none) spare most of the
// search, and the rest is a bisection, one run per step.
std::vector<Verdict> LlvmMcVerdicts(const std::vector<OracleCase>& cases,
                                    const std::vector<uint32_t>& hints)
{
    std::vector<uint8_t> marker(std::begin(kMarker), std::end(kMarker));
    std::vector<std::vector<uint8_t>> bytes(cases.size());
    std::string input;
    for (size_t i = 0; i < cases.size(); ++i) {
        bytes[i] = cases[i].bytes;
        bytes[i].resize(kMaxInstructionLength, 0x90);
        input += Group(marker, marker.size()) + "\n" + Group(bytes[i], kMaxInstructionLength) +
                 "\n" + Group(marker, marker.size()) + "\n";
    }
    LlvmMcRun first = RunLlvmMc(input);
    std::vector<std::string> texts;
    std::string pending;
    bool inside = false, expectText = false;
    for (const std::string& line : first.output) {
        std::vector<std::string> w = Words(line);
        if (w.empty() || w[0] == ".text" || w[0] == "#")
            continue;
        bool isMarker = w.size() >= 3 && w[0] == "movl" && w[1] == "$1511506142," && w[2] == "%eax";
        if (isMarker) {
            if (expectText)
                texts.push_back(pending);
            pending.clear();
            inside = !inside;
            expectText = inside;
            continue;
        }
        if (expectText) {
            // "lock" is printed on a line of its own before the instruction it belongs to.
            bool prefixesOnly = std::all_of(w.begin(), w.end(), [](const std::string& x) {
                return kPrefixWords.count(x) != 0;
            });
            pending += line + " ";
            if (!prefixesOnly) {
                texts.push_back(pending);
                pending.clear();
                expectText = false;
            }
        }
    }
    if (texts.size() != cases.size())
        throw std::runtime_error("llvm-mc output out of step: " + std::to_string(texts.size()) +
                                 " instructions for " + std::to_string(cases.size()) + " cases");

    // Bisection over [low, high]: the prefix of `high` bytes decodes, shorter ones below `low`
    // fail.
    std::vector<Verdict> verdicts(cases.size());
    std::vector<uint32_t> low(cases.size(), 1), high(cases.size(), kMaxInstructionLength);
    std::vector<uint32_t> prefixes(cases.size(), 0);
    std::vector<size_t> open;
    for (size_t i = 0; i < cases.size(); ++i) {
        while (prefixes[i] < kMaxInstructionLength - 1 && IsPrefix(bytes[i][prefixes[i]]))
            ++prefixes[i];
        verdicts[i].valid = first.Decoded(3 * i + 1, prefixes[i]);
        if (!verdicts[i].valid)
            continue;
        // llvm-mc decodes a group of prefixes alone as a prefix of its own ("lock", "cs"): the
        // length lies beyond the leading prefixes.
        low[i] = prefixes[i] + 1;
        open.push_back(i);
    }
    { // The hinted length: its prefix and the one a byte shorter.
        std::string probe;
        std::vector<std::pair<size_t, uint32_t>> asked;
        for (size_t i : open) {
            uint32_t h = i < hints.size() ? hints[i] : 0;
            if (h < low[i] || h >= kMaxInstructionLength)
                continue;
            probe += Group(bytes[i], h) + "\n";
            asked.push_back({i, h});
            if (h > low[i]) {
                probe += Group(bytes[i], h - 1) + "\n";
                asked.push_back({i, h - 1});
            }
        }
        LlvmMcRun run = RunLlvmMc(probe);
        for (size_t line = 0; line < asked.size(); ++line) {
            auto [i, k] = asked[line];
            if (!run.Decoded(line, prefixes[i]))
                low[i] = std::max(low[i], k + 1);
            else
                high[i] = std::min(high[i], k);
        }
    }
    for (;;) {
        std::string probe;
        std::vector<std::pair<size_t, uint32_t>> asked;
        for (size_t i : open)
            if (low[i] < high[i]) {
                uint32_t mid = (low[i] + high[i]) / 2;
                probe += Group(bytes[i], mid) + "\n";
                asked.push_back({i, mid});
            }
        if (asked.empty())
            break;
        LlvmMcRun run = RunLlvmMc(probe);
        for (size_t line = 0; line < asked.size(); ++line) {
            auto [i, k] = asked[line];
            if (!run.Decoded(line, prefixes[i]))
                low[i] = k + 1;
            else
                high[i] = k;
        }
    }
    for (size_t i : open) {
        Verdict& v = verdicts[i];
        v.length = high[i];
        std::vector<std::string> w = Words(texts[i]);
        size_t j = 0;
        while (j < w.size() && kPrefixWords.count(w[j]))
            ++j;
        if (j == w.size())
            continue;
        v.branch = KindOfMnemonic(w[j]);
        if (v.branch != BranchKind::None && j + 1 < w.size()) {
            const std::string& op = w[j + 1];
            char* end = nullptr;
            long long disp = std::strtoll(op.c_str(), &end, 10);
            if (end && *end == 0 && !op.empty()) {
                v.relative = true;
                v.target = SlotAddress(i) + v.length + static_cast<uint32_t>(disp);
                if (w[j].back() == 'w')
                    v.target &= 0xFFFF;
            }
        }
    }
    return verdicts;
}

Verdict DecoderVerdict(const CodeMemory& memory, uint32_t address)
{
    TDecodedInstruction d = DecodeInstruction(memory, address);
    Verdict v;
    v.valid = d.valid;
    v.length = d.Length();
    v.branch = d.call ? BranchKind::Call : d.jump ? BranchKind::Jump : BranchKind::None;
    v.relative = d.relative;
    v.target = d.target;
    return v;
}

void Compare(const std::string& oracle, const std::vector<uint8_t>& bytes, const Verdict& ours,
             const Verdict& theirs, std::vector<Divergence>& out)
{
    static const char* kKinds[] = {"none", "call", "jump"};
    auto add = [&](std::string o, std::string t) {
        out.push_back({oracle, bytes, std::move(o), std::move(t)});
    };
    if (ours.valid != theirs.valid)
        return add(ours.valid ? "valid" : "invalid", theirs.valid ? "valid" : "invalid");
    if (!ours.valid)
        return;
    if (ours.length != theirs.length)
        return add("length", "length");
    if (ours.branch != theirs.branch)
        return add(kKinds[static_cast<int>(ours.branch)], kKinds[static_cast<int>(theirs.branch)]);
    if (ours.relative && theirs.relative && ours.target != theirs.target)
        return add("target", "target");
}

std::vector<DivergenceRow> LoadDivergenceTable(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    std::vector<DivergenceRow> rows;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> f = Split(line, '|');
        if (f.size() != 6)
            throw std::runtime_error("divergence table line " + std::to_string(number) +
                                     ": six fields expected");
        DivergenceRow row;
        row.line = number;
        row.corpora = Split(f[0], ',');
        row.oracle = f[1];
        row.pattern = f[2];
        row.ours = f[3];
        row.theirs = f[4];
        row.reason = f[5];
        rows.push_back(row);
    }
    return rows;
}

TableCheck CheckAgainstTable(const std::vector<Divergence>& divergences,
                             const std::vector<DivergenceRow>& table, const std::string& corpus)
{
    std::vector<const DivergenceRow*> rows;
    std::vector<std::vector<std::string>> tokens;
    for (const DivergenceRow& r : table)
        for (const std::string& c : r.corpora)
            if (c == corpus) {
                rows.push_back(&r);
                std::istringstream in(r.pattern);
                std::vector<std::string> t;
                for (std::string w; in >> w;)
                    t.push_back(w);
                tokens.push_back(t);
            }
    std::vector<bool> used(rows.size(), false);
    std::map<std::string, int> unexplained;
    for (const Divergence& d : divergences) {
        bool explained = false;
        for (size_t i = 0; i < rows.size() && !explained; ++i) {
            const DivergenceRow& r = *rows[i];
            if ((r.oracle == d.oracle || r.oracle == "both") && r.ours == d.ours &&
                r.theirs == d.theirs && MatchFrom(tokens[i], 0, d.bytes, 0)) {
                explained = used[i] = true;
            }
        }
        if (!explained)
            ++unexplained[corpus + " | " + d.oracle + " | " + Hex(d.bytes, 16) + " | " + d.ours +
                          " | " + d.theirs + " |"];
    }
    TableCheck check;
    for (const auto& [row, count] : unexplained)
        check.unexplained.push_back(row + " (" + std::to_string(count) + "x)");
    for (size_t i = 0; i < rows.size(); ++i)
        if (!used[i])
            check.stale.push_back("line " + std::to_string(rows[i]->line) + ": " +
                                  rows[i]->pattern + " | " + rows[i]->ours + " | " +
                                  rows[i]->theirs);
    return check;
}

} // namespace qor::testing
