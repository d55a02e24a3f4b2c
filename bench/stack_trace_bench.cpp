// The stack tracer's cost against a plain C++ throw and catch at depth 50 (the reference), in one
// run: a 200-frame trace over synthetic code, and a throw at depth 50 with and without the work
// the engine's throw hook adds (capturing the candidate return addresses of a 50-frame stack).
//   stack_trace_bench [repetitions, default 200]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "StackTracer.h"
#include "TablesModule.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kBase = 0x00400000, kCode = 0x00401000, kFunctionSize = 16;
constexpr uint32_t kStack = 0x00200000, kStackSize = 0x10000;

// `count` functions, each "push ebp; mov ebp, esp; call next; pop ebp; ret", with a public and
// two lines each.
struct Program {
    qor::MemoryImage memory;
    std::shared_ptr<const qor::TMapFile> debug;
    explicit Program(uint32_t count)
    {
        std::vector<uint8_t> code;
        qor::DebugTables tables(qor::ModuleLayout{kCode, kCode + count * kFunctionSize, 0, false});
        tables.AddSegment(true, kCode, count * kFunctionSize, "Chain");
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t at = kCode + i * kFunctionSize;
            const uint32_t displacement = kFunctionSize - 8;
            std::vector<uint8_t> f = {0x55, 0x89, 0xE5, 0xE8, static_cast<uint8_t>(displacement),
                                      0,    0,    0,    0x5D, 0xC3};
            f.resize(kFunctionSize, 0x90);
            code.insert(code.end(), f.begin(), f.end());
            tables.AddStoredPublic(true, "F" + std::to_string(i), at);
            tables.AddLine(static_cast<int32_t>(10 * i + 1), at);
            tables.AddLine(static_cast<int32_t>(10 * i + 2), at + 3);
        }
        memory.Add(kCode, code, true, kBase);
        debug = qor::testing::MapFileOfTables(tables, "Bench.exe", kBase);
    }
};

class Environment final : public qor::TraceEnvironment {
public:
    explicit Environment(const Program& p) : p_(p) {}
    bool ModuleAt(uint32_t base, qor::TraceModuleInfo& m) const override
    {
        if (base != kBase)
            return false;
        m.handle = kBase;
        m.fileName = "Bench.exe";
        m.codeStart = kCode;
        m.codeEnd = kCode + 0x10000;
        m.mainModule = true;
        m.debug = p_.debug;
        return true;
    }

private:
    const Program& p_;
};

// A stack of `frames` frames of the chain with a saved frame-pointer chain and a noise word each.
struct Stack {
    qor::MemoryImage memory;
    uint32_t bottom = 0, framePointer = 0;
    Stack(const Program& program, uint32_t frames)
    {
        memory = program.memory;
        std::vector<uint8_t> bytes(kStackSize);
        uint32_t slot = kStack + kStackSize, fp = 0;
        auto push = [&](uint32_t word) {
            slot -= 4;
            for (int b = 0; b < 4; ++b)
                bytes[slot - kStack + static_cast<uint32_t>(b)] =
                    static_cast<uint8_t>(word >> (8 * b));
        };
        for (uint32_t i = 0; i < frames; ++i) {
            push(kCode + i * kFunctionSize + 8);
            push(fp);
            fp = slot;
            push(0x1234);
        }
        memory.Add(kStack, bytes);
        bottom = slot;
        framePointer = fp;
    }
};

int g_sink = 0;

__attribute__((noinline)) int ThrowAt(int depth, const std::vector<int>* hook)
{
    if (depth == 0) {
        if (hook)
            g_sink += static_cast<int>(hook->size());
        throw depth;
    }
    // Through a volatile pointer, so that the recursion stays 50 real frames deep.
    static int (*volatile next)(int, const std::vector<int>*) = ThrowAt;
    return next(depth - 1, hook) + 1;
}

template <typename F>
double Best(int repetitions, F f)
{
    double best = 1e30;
    for (int round = 0; round < 3; ++round) {
        auto start = Clock::now();
        for (int i = 0; i < repetitions; ++i)
            f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best / repetitions;
}

} // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::atoi(argv[1]) : 200;
    Program program(201);
    Environment environment(program);
    Stack deep(program, 200), throwStack(program, 50);

    const double reference = Best(repetitions * 10, [] {
        try {
            ThrowAt(50, nullptr);
        } catch (int) {
        }
    });
    const double hooked = Best(repetitions * 10, [&] {
        // The hook's part: the candidates of the 50-frame stack at the moment of the throw.
        qor::StackTracer tracer(throwStack.memory, environment);
        qor::TDAPreStackList list;
        tracer.CaptureStackCandidates(throwStack.framePointer, kStack + kStackSize,
                                      throwStack.bottom, 0, false, list);
        std::vector<int> hook(list.size());
        try {
            ThrowAt(50, &hook);
        } catch (int) {
        }
    });
    qor::StackTracer tracer(deep.memory, environment);
    size_t lines = 0;
    const double trace = Best(repetitions, [&] {
        qor::TraceStackArguments a;
        a.currentAddress = kCode + 200 * kFunctionSize + 3;
        a.stackBottom = deep.bottom;
        a.stackTop = kStack + kStackSize;
        a.framePointer = deep.framePointer;
        qor::TraceStackResults r;
        tracer.TraceStack(a, r);
        lines = r.items.size();
    });
    std::printf("reference: throw and catch at depth 50: %.2f us\n", reference * 1e6);
    std::printf("throw and catch at depth 50 with the hook's capture: %.2f us, ratio %.2f\n",
                hooked * 1e6, hooked / reference);
    std::printf("200-frame trace (%zu lines): %.2f us, ratio %.2f\n", lines, trace * 1e6,
                trace / reference);
    return lines == 201 ? 0 : 1;
}
