// The stack tracer (module qorStackTrace): reconstructs a thread's call stack from raw stack
// memory, for code built with or without frame pointers. Every stack word that could be a
// return address is checked against the code in front of it, the functions involved are
// analysed, the candidates are linked into possible call chains, and the best chain between
// frames that are certain is printed, one line per frame.
//
// The tracer reads memory only through CodeMemory and learns about modules only through
// TraceEnvironment (a module's debug information is its TMapFile), so it runs natively over a
// synthetic address space as well as over the running process (StackTracerWin32.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CodeMemory.h"
#include "FunctionAnalyser.h"
#include "QorDebugTables.h"
#include "QorMapFile.h"

namespace qor {

// One printed line of a trace.
struct TStackItem {
    uint32_t address = 0; // shown address
    uint32_t offset = 0;  // from the routine start; 0 when unknown or the routine starts above
    std::string moduleName;
    std::string unitName;
    int32_t line = 0;         // the line column's value, 0 when that column is empty
    int32_t relativeLine = 0; // the second column's value where the line column is empty
    std::string routineName;
};
using TStackTrace = std::vector<TStackItem>;

// A prepared candidate: a frame-chain flag directly followed by a return address. Entry 0 is
// not a candidate: its address field holds the number of candidates that follow.
#pragma pack(push, 1)
struct TDAPreStackItem {
    uint8_t frameChain = 0;
    uint32_t address = 0;
};
#pragma pack(pop)
static_assert(sizeof(TDAPreStackItem) == 5, "packed entries");
using TDAPreStackList = std::vector<TDAPreStackItem>;

struct TraceModuleInfo {
    uint32_t handle = 0;  // the image base
    std::string fileName; // full path or plain name
    uint32_t codeStart = 0, codeEnd = 0;
    uint32_t dataStart = 0, dataEnd = 0;
    bool mainModule = false;
    std::shared_ptr<const TMapFile> debug; // none, or a module with debug information
};

// What the tracer needs of the platform besides memory.
class TraceEnvironment {
public:
    virtual ~TraceEnvironment() = default;
    // The module whose image starts at `allocationBase`; false when that memory is no module.
    virtual bool ModuleAt(uint32_t allocationBase, TraceModuleInfo& module) const = 0;
    // The nearest exported entry (or the module's entry point) at or below `address`, 0 if none.
    virtual uint32_t NearestExport(const TraceModuleInfo& /*module*/, uint32_t /*address*/) const
    {
        return 0;
    }
    virtual std::string ExportNameAt(const TraceModuleInfo& /*module*/, uint32_t /*address*/) const
    {
        return {};
    }
    // What the function analyser should know of the module's run time.
    virtual AnalyserAnchors AnchorsFor(const TraceModuleInfo& /*module*/) const { return {}; }
};

// The arguments of TraceStack, in the order of its description; the settings HideUglyItems,
// ShowRelAddrs and ShowRelLines come first.
struct TraceStackArguments {
    bool hideItemsWithoutLines = false;
    bool relativeAddresses = false;
    bool relativeLines = false;
    uint32_t currentAddress = 0; // exception address or instruction pointer
    bool isException = false;
    bool outsideException = false; // not raised through the program's own raise call
    uint32_t stackBottom = 0;      // lowest stack address
    uint32_t stackTop = 0;         // highest stack address (exclusive)
    uint32_t creatorAddress = 0;   // where the thread was created, 0 = none
    uint32_t framePointer = 0;     // start of the frame-pointer chain, 0 = none
    bool simpleMode = false;       // skip the chain optimisation
    bool cppTerminationMode = false;
    const TDAPreStackList* preparedList = nullptr;
    const volatile bool* abort = nullptr;
    bool noTopItem = false;
    // Positions 0 to 1000; may be empty.
    void (*progress)(void* context, int position) = nullptr;
    void* progressContext = nullptr;
};

struct TraceStackResults {
    std::string text;
    TStackTrace items;
    uint32_t exceptionAddress = 0; // shown address of the newest frame
    uint32_t routineStart = 0;
    uint32_t routineAddress = 0;
    uint32_t firstChecksum = 0;
    uint32_t chainChecksum = 0;
    bool hasLines = false;
    std::vector<std::string> fingerprints; // "module|fingerprint" per minimal-information module
};

// Whether a call instruction ends at `returnAddress`: a near call with a 32-bit displacement, an
// indirect call (0xFF /2 or /3) of 2, 3, 4, 6 or 7 bytes, or a far call.
bool IsCallBefore(const CodeMemory& memory, uint32_t returnAddress);

// Reads through a cache of whole 4 KiB pages, so that a trace reads every page it touches once;
// the region query is asked once per page too. Bytes the source offers in place (the program's
// own code) are copied from there and not cached.
class PageCachedMemory final : public CodeMemory {
public:
    explicit PageCachedMemory(const CodeMemory& source) : source_(source) {}
    bool Read(uint32_t address, void* destination, uint32_t count) const override;
    MemoryRegion Region(uint32_t address) const override;
    const uint8_t* InPlace(uint32_t address, uint32_t count) const override
    {
        return source_.InPlace(address, count);
    }

private:
    struct Page {
        uint32_t number;
        uint32_t readable; // bytes from the page's start that are cached
        std::vector<uint8_t> bytes;
    };
    const Page& PageOf(uint32_t number) const;
    const CodeMemory& source_;
    mutable std::vector<Page> pages_; // sorted by number
    mutable std::vector<std::pair<uint32_t, MemoryRegion>> regions_;
};

// The process-wide tables (modules and functions met so far) and the trace itself.
class StackTracer {
public:
    StackTracer(const CodeMemory& memory, const TraceEnvironment& environment);
    ~StackTracer();

    void TraceStack(const TraceStackArguments& arguments, TraceStackResults& results);

    // The candidates of a stack at the moment of an exception: entry 0 holds their number.
    uint32_t CaptureStackCandidates(uint32_t framePointer, uint32_t stackTop, uint32_t stackBottom,
                                    uint32_t currentAddress, bool isException,
                                    TDAPreStackList& list) const;

    // One stack line for an address.
    std::string StackItemText(uint32_t address, bool relativeAddress, bool relativeLine) const;

private:
    struct Tables;
    struct Trace;
    const CodeMemory& memory_;
    const TraceEnvironment& environment_;
    std::unique_ptr<Tables> tables_;
};

// ">> internal error in " + the routine's name.
std::string InternalErrorText(const std::string& routine);

} // namespace qor
