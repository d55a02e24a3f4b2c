#include "CoffFunctions.h"

#include "QorByteReader.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace dbgpack {

namespace {

constexpr size_t RecordSize = 18;
constexpr uint8_t ClassExternal = 2, ClassStatic = 3;
constexpr uint16_t TypeFunction = 0x20;

struct Symbol {
    std::string name;
    uint32_t value;
    int16_t section; // 1-based
    uint16_t type;
    uint8_t storageClass;
};

std::vector<Symbol> SymbolsOf(const qor::PeFileView& image)
{
    const std::string_view table = image.SymbolTable();
    const std::string_view strings = image.StringTable();
    std::vector<Symbol> symbols;
    for (size_t at = 0; at + RecordSize <= table.size();) {
        const std::string_view record = table.substr(at, RecordSize);
        Symbol s;
        if (qor::U32At(record, 0) == 0) {
            const uint32_t offset = qor::U32At(record, 4);
            if (offset < strings.size()) {
                const std::string_view rest = strings.substr(offset);
                s.name = std::string(rest.substr(0, rest.find('\0')));
            }
        } else {
            const std::string_view shortName = record.substr(0, 8);
            s.name = std::string(shortName.substr(0, shortName.find('\0')));
        }
        s.value = qor::U32At(record, 8);
        s.section = static_cast<int16_t>(qor::U16At(record, 12));
        s.type = qor::U16At(record, 14);
        s.storageClass = static_cast<uint8_t>(record[16]);
        const uint8_t auxiliaries = static_cast<uint8_t>(record[17]);
        symbols.push_back(std::move(s));
        at += RecordSize * (1 + size_t(auxiliaries));
    }
    return symbols;
}

// The parameter list is the last parenthesised group at top level (a name can hold
// "(anonymous namespace)" before it); a trailing " const" and the like follow it.
std::string WithoutParameters(const std::string& name)
{
    const size_t close = name.rfind(')');
    if (close == std::string::npos)
        return name;
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;) {
        if (name[i] == ')')
            ++depth;
        else if (name[i] == '(' && --depth == 0) {
            if (name.compare(i, 21, "(anonymous namespace)") == 0)
                return name;
            return name.substr(0, i);
        }
    }
    return name;
}

// A template function's demangled name starts with its return type: the name is what follows
// the last blank outside brackets ("{lambda(int, bool)#1}" and template arguments hold blanks).
std::string WithoutReturnType(const std::string& name)
{
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '<' || c == '(' || c == '{' || c == '[')
            ++depth;
        else if (c == '>' || c == ')' || c == '}' || c == ']')
            --depth;
        else if (c == ' ' && depth == 0 && (i < 8 || name.compare(i - 8, 8, "operator") != 0))
            start = i + 1;
    }
    return name.substr(start);
}

} // namespace

std::string PayloadName(std::string symbol, bool leadingUnderscore)
{
    if (leadingUnderscore && !symbol.empty() && (symbol[0] == '_' || symbol[0] == '@'))
        symbol.erase(0, 1);
    // stdcall and fastcall names end in "@" and their argument bytes (before a clone's
    // suffix such as ".cold").
    if (const size_t at = symbol.rfind('@'); at != std::string::npos && at > 0) {
        const size_t digits = symbol.find_first_not_of("0123456789", at + 1);
        if (digits > at + 1 && (digits == std::string::npos || symbol[digits] == '.'))
            symbol.erase(at, digits == std::string::npos ? std::string::npos : digits - at);
    }
    int status = -1;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(symbol.c_str(), nullptr, nullptr, &status), std::free);
    std::string name;
    if (status == 0 && demangled) {
        // GCC's clones keep their kind: "f(int) [clone .cold]" becomes "f.cold".
        std::string text = demangled.get(), clones;
        for (size_t at; (at = text.rfind(" [clone ")) != std::string::npos && text.back() == ']';) {
            clones.insert(0, text.substr(at + 8, text.size() - at - 9));
            text.resize(at);
        }
        name = WithoutReturnType(WithoutParameters(text)) + clones;
    } else {
        name = symbol;
    }
    for (size_t at = name.find("::"); at != std::string::npos; at = name.find("::", at + 1))
        name.replace(at, 2, ".");
    return name;
}

std::vector<Function> FunctionsOf(const qor::PeFileView& image)
{
    const uint64_t base = image.ImageBase();
    const bool underscore = !image.Pe32Plus();
    std::vector<Function> functions;
    for (const Symbol& s : SymbolsOf(image)) {
        // Functions, and the external labels of assembly routines (___chkstk_ms), which carry
        // no function type.
        const bool routine = (s.storageClass == ClassStatic && s.type == TypeFunction) ||
                             s.storageClass == ClassExternal;
        if (!routine || s.section < 1 || size_t(s.section) > image.Sections().size())
            continue;
        const qor::PeSectionHeader& section = image.Sections()[size_t(s.section) - 1];
        if (!section.Code())
            continue;
        functions.push_back({static_cast<uint32_t>(base + section.virtualAddress + s.value),
                             PayloadName(s.name, underscore)});
    }
    std::stable_sort(functions.begin(), functions.end(),
                     [](const Function& a, const Function& b) { return a.address < b.address; });
    functions.erase(
        std::unique(functions.begin(), functions.end(),
                    [](const Function& a, const Function& b) { return a.address == b.address; }),
        functions.end());
    return functions;
}

std::string LinkPassDifference(const qor::PeFileView& first, const qor::PeFileView& second)
{
    if (!first.Valid() || !second.Valid())
        return "not a PE image";
    if (first.ImageBase() != second.ImageBase() || first.EntryPointRva() != second.EntryPointRva())
        return "image base or entry point";
    for (const qor::PeSectionHeader& a : first.Sections()) {
        if (!a.Code())
            continue;
        const qor::PeSectionHeader* b = second.Section(a.name);
        if (!b || b->virtualAddress != a.virtualAddress || b->virtualSize != a.virtualSize ||
            first.SectionBytes(a.name) != second.SectionBytes(a.name))
            return "code section " + a.name;
    }
    // The second pass links one more object, the payload's resource: its records (a file
    // record, the resource section's symbol) are the only ones allowed to be new. Sections are
    // compared by name: a program without resources of its own gains a resource section in the
    // second pass, which moves the numbers of the sections after it.
    struct Placed {
        std::string name, section;
        uint32_t value;
    };
    const auto placed = [](const qor::PeFileView& image) {
        std::vector<Placed> kept;
        for (Symbol& s : SymbolsOf(image)) {
            if (s.section < 1 || size_t(s.section) > image.Sections().size())
                continue;
            const std::string& section = image.Sections()[size_t(s.section) - 1].name;
            if (section != ".rsrc")
                kept.push_back({std::move(s.name), section, s.value});
        }
        return kept;
    };
    const std::vector<Placed> a = placed(first), b = placed(second);
    if (a.size() != b.size())
        return "symbol count " + std::to_string(a.size()) + " and " + std::to_string(b.size());
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].value != b[i].value || a[i].section != b[i].section)
            return "symbol " + a[i].name;
    return {};
}

} // namespace dbgpack
