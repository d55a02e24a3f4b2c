// A small hand-assembled module for the stack tracer's rules: A calls B, B calls C, C calls D,
// each with a frame pointer, one unit per range, lines for A, B and D but none for C; a blob of
// code outside any module; a stack area.
#pragma once

#include <memory>

#include "StackTracer.h"
#include "TablesModule.h"

namespace qor::testing {

struct TraceFixture {
    static constexpr uint32_t kBase = 0x00400000;
    static constexpr uint32_t kA = 0x00401000, kB = 0x00401010, kC = 0x00401020, kD = 0x00401030;
    static constexpr uint32_t kBlob = 0x00500000; // code of no module
    static constexpr uint32_t kStack = 0x00200000, kStackSize = 0x2000;

    MemoryImage code;
    std::shared_ptr<const TMapFile> debug;

    TraceFixture()
    {
        // push ebp; mov ebp, esp; call next; pop ebp; ret (10 bytes) - padded to 16.
        std::vector<uint8_t> bytes;
        for (uint32_t f : {kA, kB, kC}) {
            uint32_t displacement = (f + 0x10) - (f + 8);
            std::vector<uint8_t> body = {0x55, 0x89, 0xE5, 0xE8, static_cast<uint8_t>(displacement),
                                         0,    0,    0,    0x5D, 0xC3};
            body.resize(16, 0x90);
            bytes.insert(bytes.end(), body.begin(), body.end());
        }
        // D: push ebp; mov ebp, esp; nop; nop; pop ebp; ret
        std::vector<uint8_t> d = {0x55, 0x89, 0xE5, 0x90, 0x90, 0x5D, 0xC3};
        d.resize(16, 0x90);
        bytes.insert(bytes.end(), d.begin(), d.end());
        code.Add(kA, bytes, true, kBase);
        // The blob: call A; nop; ret
        code.Add(kBlob, {0xE8, static_cast<uint8_t>(kA - (kBlob + 5)),
                         static_cast<uint8_t>((kA - (kBlob + 5)) >> 8),
                         static_cast<uint8_t>((kA - (kBlob + 5)) >> 16),
                         static_cast<uint8_t>((kA - (kBlob + 5)) >> 24), 0x90, 0xC3});

        DebugTables tables(ModuleLayout{kA, kA + 0x40, 0, false});
        tables.AddSegment(true, kA, 0x20, "Unit1");
        tables.AddSegment(true, kC, 0x10, "Unit2");
        tables.AddSegment(true, kD, 0x10, "Unit3");
        tables.AddStoredPublic(true, "A", kA);
        tables.AddStoredPublic(true, "B", kB);
        tables.AddStoredPublic(true, "C", kC);
        tables.AddStoredPublic(true, "D", kD);
        for (auto [line, address] : std::vector<std::pair<int, uint32_t>>{{10, kA},
                                                                          {11, kA + 3},
                                                                          {12, kA + 8},
                                                                          {20, kB},
                                                                          {21, kB + 3},
                                                                          {22, kB + 8},
                                                                          {40, kD},
                                                                          {41, kD + 3},
                                                                          {42, kD + 5}})
            tables.AddLine(line, address);
        debug = MapFileOfTables(tables, "C:\\app\\Test.exe", kBase);
    }

    class Environment final : public TraceEnvironment {
    public:
        explicit Environment(const TraceFixture& f) : f_(f) {}
        bool ModuleAt(uint32_t allocationBase, TraceModuleInfo& module) const override
        {
            if (allocationBase != kBase)
                return false;
            module.handle = kBase;
            module.fileName = "C:\\app\\Test.exe";
            module.codeStart = kA;
            module.codeEnd = kA + 0x40;
            module.mainModule = true;
            module.debug = f_.debug;
            return true;
        }

    private:
        const TraceFixture& f_;
    };
};

} // namespace qor::testing
