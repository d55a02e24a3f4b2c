#include "StackTracerWin32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "GuardedRead.h"
#include "LandingPads.h"
#include "QorExceptAddress.h"
#include "QorMapFileWin32.h"

namespace qor {

namespace {

template <typename T>
bool ReadAt(const CodeMemory& memory, uint32_t address, T& value)
{
    return memory.Read(address, &value, static_cast<uint32_t>(sizeof value));
}

struct ImageHeaders {
    IMAGE_FILE_HEADER file{};
    uint32_t sectionTable = 0;
    uint32_t entryPoint = 0;
    uint32_t baseOfCode = 0, sizeOfCode = 0, baseOfData = 0, dataSize = 0;
    uint32_t exportRva = 0, exportSize = 0;
};

// The headers of the image at `base`, read through the memory interface (32-bit and 64-bit
// optional headers).
bool ReadHeaders(const CodeMemory& memory, uint32_t base, ImageHeaders& headers)
{
    IMAGE_DOS_HEADER dos;
    if (!ReadAt(memory, base, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0)
        return false;
    const uint32_t nt = base + static_cast<uint32_t>(dos.e_lfanew);
    DWORD signature = 0;
    if (!ReadAt(memory, nt, signature) || signature != IMAGE_NT_SIGNATURE ||
        !ReadAt(memory, nt + 4, headers.file))
        return false;
    const uint32_t optional = nt + 4 + static_cast<uint32_t>(sizeof(IMAGE_FILE_HEADER));
    headers.sectionTable = optional + headers.file.SizeOfOptionalHeader;
    WORD magic = 0;
    if (!ReadAt(memory, optional, magic))
        return false;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 h;
        if (!ReadAt(memory, optional, h))
            return false;
        headers.entryPoint = h.AddressOfEntryPoint;
        headers.baseOfCode = h.BaseOfCode;
        headers.sizeOfCode = h.SizeOfCode;
        headers.baseOfData = h.BaseOfData;
        headers.dataSize = h.SizeOfInitializedData + h.SizeOfUninitializedData;
        if (h.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_EXPORT) {
            headers.exportRva = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
            headers.exportSize = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].Size;
        }
        return true;
    }
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 h;
        if (!ReadAt(memory, optional, h))
            return false;
        headers.entryPoint = h.AddressOfEntryPoint;
        headers.baseOfCode = h.BaseOfCode;
        headers.sizeOfCode = h.SizeOfCode;
        if (h.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_EXPORT) {
            headers.exportRva = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
            headers.exportSize = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].Size;
        }
        return true;
    }
    return false;
}

bool ReadSection(const CodeMemory& memory, const ImageHeaders& headers, int index,
                 IMAGE_SECTION_HEADER& section)
{
    return index < headers.file.NumberOfSections &&
           ReadAt(
               memory,
               headers.sectionTable + static_cast<uint32_t>(index * sizeof(IMAGE_SECTION_HEADER)),
               section);
}

} // namespace

// Loaded images as the tracer sees them: code and data ranges from the headers, the nearest
// export below an address, landing pads from the image's frame descriptions.
class ProcessTraceEnvironment final : public TraceEnvironment {
public:
    explicit ProcessTraceEnvironment(const CodeMemory& memory) : memory_(memory) {}
    ~ProcessTraceEnvironment() override;
    bool ModuleAt(uint32_t allocationBase, TraceModuleInfo& module) const override;
    uint32_t NearestExport(const TraceModuleInfo& module, uint32_t address) const override;
    std::string ExportNameAt(const TraceModuleInfo& module, uint32_t address) const override;
    AnalyserAnchors AnchorsFor(const TraceModuleInfo& module) const override;

private:
    struct Exports;
    const Exports& ExportsOf(uint32_t handle) const;
    const CodeMemory& memory_;
    mutable std::vector<std::unique_ptr<Exports>> exports_;
};

// The export table of one module: entry addresses (sorted) with their names.
struct ProcessTraceEnvironment::Exports {
    uint32_t handle = 0;
    uint32_t entryPoint = 0;
    std::map<uint32_t, std::string> entries;
    std::unique_ptr<LandingPadIndex> pads;
};

ProcessTraceEnvironment::~ProcessTraceEnvironment() = default;

bool ProcessTraceEnvironment::ModuleAt(uint32_t allocationBase, TraceModuleInfo& module) const
{
    ImageHeaders headers;
    if (!ReadHeaders(memory_, allocationBase, headers))
        return false;
    char path[MAX_PATH] = {};
    if (!GetModuleFileNameA(reinterpret_cast<HMODULE>(static_cast<uintptr_t>(allocationBase)), path,
                            MAX_PATH))
        return false;
    module.handle = allocationBase;
    module.fileName = path;
    module.mainModule = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)) == allocationBase;
    // The code range: the first section when it holds code, up to the end of the second when
    // that holds code too; else the headers' base and size of code.
    IMAGE_SECTION_HEADER first, second;
    if (ReadSection(memory_, headers, 0, first) && (first.Characteristics & IMAGE_SCN_CNT_CODE)) {
        module.codeStart = allocationBase + first.VirtualAddress;
        module.codeEnd = module.codeStart + first.Misc.VirtualSize;
        if (ReadSection(memory_, headers, 1, second) &&
            (second.Characteristics & IMAGE_SCN_CNT_CODE))
            module.codeEnd = allocationBase + second.VirtualAddress + second.Misc.VirtualSize;
    } else {
        module.codeStart = allocationBase + headers.baseOfCode;
        module.codeEnd = module.codeStart + headers.sizeOfCode;
    }
    module.dataStart = headers.baseOfData ? allocationBase + headers.baseOfData : 0;
    module.dataEnd = module.dataStart ? module.dataStart + headers.dataSize : 0;
    // Only a module with debug information keeps its object (the store's ownership rule).
    std::shared_ptr<const TMapFile> debug = MapFileOf(allocationBase);
    if (debug->Valid())
        module.debug = std::move(debug);
    return true;
}

const ProcessTraceEnvironment::Exports& ProcessTraceEnvironment::ExportsOf(uint32_t handle) const
{
    for (const auto& e : exports_)
        if (e->handle == handle)
            return *e;
    auto e = std::make_unique<Exports>();
    e->handle = handle;
    ImageHeaders headers;
    if (ReadHeaders(memory_, handle, headers)) {
        if (headers.entryPoint)
            e->entryPoint = handle + headers.entryPoint;
        IMAGE_EXPORT_DIRECTORY directory;
        if (headers.exportRva && ReadAt(memory_, handle + headers.exportRva, directory)) {
            // Names first; entries without a name are still entries.
            std::map<uint32_t, std::string> names; // ordinal index -> name
            for (DWORD n = 0; n < directory.NumberOfNames && n < 0x10000; ++n) {
                DWORD nameRva = 0;
                WORD ordinal = 0;
                if (!ReadAt(memory_, handle + directory.AddressOfNames + 4 * n, nameRva) ||
                    !ReadAt(memory_, handle + directory.AddressOfNameOrdinals + 2 * n, ordinal))
                    break;
                std::string name;
                char c = 0;
                for (uint32_t at = handle + nameRva;
                     name.size() < 256 && ReadAt(memory_, at, c) && c; ++at)
                    name += c;
                names[ordinal] = name;
            }
            for (DWORD n = 0; n < directory.NumberOfFunctions && n < 0x10000; ++n) {
                DWORD rva = 0;
                if (!ReadAt(memory_, handle + directory.AddressOfFunctions + 4 * n, rva))
                    break;
                // Forwarded entries point into the export directory: they are no code.
                if (!rva ||
                    (rva >= headers.exportRva && rva < headers.exportRva + headers.exportSize))
                    continue;
                e->entries[handle + rva] = names.count(n) ? names[n] : std::string();
            }
        }
        for (int s = 0; s < headers.file.NumberOfSections; ++s) {
            IMAGE_SECTION_HEADER section;
            if (!ReadSection(memory_, headers, s, section))
                break;
            if (std::string(reinterpret_cast<const char*>(section.Name), 8).rfind(".eh_fram", 0) ==
                0)
                e->pads = std::make_unique<LandingPadIndex>(
                    memory_, handle + section.VirtualAddress, section.Misc.VirtualSize);
        }
    }
    exports_.push_back(std::move(e));
    return *exports_.back();
}

uint32_t ProcessTraceEnvironment::NearestExport(const TraceModuleInfo& module,
                                                uint32_t address) const
{
    const Exports& e = ExportsOf(module.handle);
    uint32_t best = e.entryPoint <= address ? e.entryPoint : 0;
    auto after = e.entries.upper_bound(address);
    if (after != e.entries.begin())
        best = std::max(best, std::prev(after)->first);
    return best;
}

std::string ProcessTraceEnvironment::ExportNameAt(const TraceModuleInfo& module,
                                                  uint32_t address) const
{
    const Exports& e = ExportsOf(module.handle);
    auto it = e.entries.find(address);
    return it == e.entries.end() ? std::string() : it->second;
}

AnalyserAnchors ProcessTraceEnvironment::AnchorsFor(const TraceModuleInfo& module) const
{
    AnalyserAnchors anchors;
    const Exports& e = ExportsOf(module.handle);
    if (const LandingPadIndex* pads = e.pads.get())
        anchors.landingPads = [pads](uint32_t entry) { return (*pads)(entry); };
    return anchors;
}

namespace {

// The process's memory, with the code sections of the module that holds the tracer (the
// program) read in place: that code stays mapped and unchanged while the program runs, so its
// bytes need neither the memory-read service nor a copy.
class OwnCodeMemory final : public CodeMemory {
public:
    OwnCodeMemory()
    {
        HMODULE self = nullptr;
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCSTR>(&ProcessStackTracer), &self))
            return;
        const auto base = reinterpret_cast<uintptr_t>(self);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + uintptr_t(dos->e_lfanew));
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            const DWORD flags = section->Characteristics;
            if ((flags & IMAGE_SCN_MEM_EXECUTE) && !(flags & IMAGE_SCN_MEM_WRITE))
                code_.push_back({base + section->VirtualAddress, section->Misc.VirtualSize});
        }
    }
    bool Read(uint32_t address, void* destination, uint32_t count) const override
    {
        if (const uint8_t* bytes = InPlace(address, count)) {
            std::memcpy(destination, bytes, count);
            return true;
        }
        return process_.Read(address, destination, count);
    }
    MemoryRegion Region(uint32_t address) const override { return process_.Region(address); }
    const uint8_t* InPlace(uint32_t address, uint32_t count) const override
    {
        for (const auto& [start, size] : code_)
            if (address >= start && uint64_t{address} + count <= uint64_t{start} + size)
                return reinterpret_cast<const uint8_t*>(uintptr_t{address});
        return nullptr;
    }

private:
    ProcessMemory process_;
    std::vector<std::pair<uintptr_t, uint32_t>> code_; // start, size
};

// The process's memory, modules and tracer, made on first use.
struct ProcessTracing {
    OwnCodeMemory memory;
    ProcessTraceEnvironment environment{memory};
    StackTracer tracer{memory, environment};
};

ProcessTracing& Tracing()
{
    static ProcessTracing tracing;
    return tracing;
}

// Guards the process's tracer: its module and function tables and the environment's export
// tables grow as traces meet new modules and routines. Reports are traced on the handling
// thread, in place on a thread that holds the loader lock, and on request from any thread.
std::mutex tracingLock;

// Runs `work` on the process's tracing when no other thread uses it, else on tracing of its
// own: waiting could deadlock (the tracing thread may need the loader lock, which the caller
// may hold), and a trace with fresh tables only takes longer.
template <typename Work>
auto WithTracing(Work work)
{
    std::unique_lock<std::mutex> shared(tracingLock, std::try_to_lock);
    if (shared.owns_lock())
        return work(Tracing());
    ProcessTracing own;
    return work(own);
}

// The process's memory with a stack range replaced by a copy taken earlier.
class StackCopyMemory final : public CodeMemory {
public:
    StackCopyMemory(const CodeMemory& process, const uint8_t* copy, uint32_t start, uint32_t end)
        : process_(process), copy_(copy), start_(start), end_(end)
    {
    }
    bool Read(uint32_t address, void* destination, uint32_t count) const override
    {
        auto* out = static_cast<uint8_t*>(destination);
        uint64_t at = address;
        const uint64_t end = uint64_t{address} + count;
        while (at < end) {
            uint64_t n = 0;
            if (at >= start_ && at < end_) {
                n = std::min(end, uint64_t{end_}) - at;
                std::memcpy(out, copy_ + (at - start_), static_cast<size_t>(n));
            } else {
                n = (at < start_ ? std::min(end, uint64_t{start_}) : end) - at;
                if (!process_.Read(static_cast<uint32_t>(at), out, static_cast<uint32_t>(n)))
                    return false;
            }
            out += n;
            at += n;
        }
        return true;
    }
    MemoryRegion Region(uint32_t address) const override { return process_.Region(address); }
    const uint8_t* InPlace(uint32_t address, uint32_t count) const override
    {
        const bool apart = uint64_t{address} + count <= start_ || address >= end_;
        return apart ? process_.InPlace(address, count) : nullptr;
    }

private:
    const CodeMemory& process_;
    const uint8_t* copy_;
    uint32_t start_, end_;
};

} // namespace

StackTracer& ProcessStackTracer()
{
    return Tracing().tracer;
}

uintptr_t CorrectExceptAddress(uintptr_t address)
{
    if (address == 0 || uint64_t{address} > 0xFFFFFFFFu)
        return address;
    const std::shared_ptr<const TMapFile> debug = MapFileOf(address);
    if (!debug->Valid())
        return address;
    return WithTracing([&](ProcessTracing& tracing) -> uintptr_t {
        TraceModuleInfo module;
        const uint32_t at = static_cast<uint32_t>(address);
        const MemoryRegion region = tracing.memory.Region(at);
        AnalyserAnchors anchors;
        if (region.allocationBase && tracing.environment.ModuleAt(region.allocationBase, module))
            anchors = tracing.environment.AnchorsFor(module);
        return CorrectExceptAddress(at, tracing.memory, *debug, anchors);
    });
}

uint32_t CurrentStackBase()
{
    const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(tib->StackBase));
}

// Not inlined: the defaults are this function's caller's return address and stack position.
__attribute__((noinline)) void TraceStack(TraceStackArguments arguments, TraceStackResults& results)
{
    if (arguments.stackBottom == 0)
        arguments.stackBottom =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    if (arguments.stackTop == 0)
        arguments.stackTop = CurrentStackBase();
    if (arguments.currentAddress == 0 && !arguments.isException)
        arguments.currentAddress =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_return_address(0)));
    WithTracing([&](ProcessTracing& tracing) { tracing.tracer.TraceStack(arguments, results); });
}

uint32_t CaptureStackCandidates(uint32_t framePointer, uint32_t stackTop, uint32_t stackBottom,
                                uint32_t currentAddress, bool isException, TDAPreStackList& list)
{
    if (stackBottom == 0)
        stackBottom =
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    if (stackTop == 0)
        stackTop = CurrentStackBase();
    // The capture reads memory only (no tables): no guard needed.
    return ProcessStackTracer().CaptureStackCandidates(framePointer, stackTop, stackBottom,
                                                       currentAddress, isException, list);
}

uint32_t CandidatesOfStackCopy(uint32_t framePointer, const uint8_t* copy, uint32_t stackBottom,
                               uint32_t stackTop, TDAPreStackList& list)
{
    list.clear();
    try {
        ProcessTracing& tracing = Tracing();
        const StackCopyMemory memory(tracing.memory, copy, stackBottom, stackTop);
        // A tracer over the copy; the capture touches none of its tables.
        const StackTracer tracer(memory, tracing.environment);
        return tracer.CaptureStackCandidates(framePointer, stackTop, stackBottom, 0, false, list);
    } catch (...) {
        list.clear();
        return 0;
    }
}

} // namespace qor
