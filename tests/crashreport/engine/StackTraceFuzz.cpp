// Traces random stacks over the hand-assembled module and a blob of random code outside every
// module. Input: one byte of options, then stack words; a word whose top byte is 0xAA points into
// the module's code, 0xBB into the blob, 0xCC into the stack; the bytes after the stack are the
// blob.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "TraceFixture.h"

namespace {

constexpr uint32_t kCodeBlob = 0x00600000;

uint32_t Mapped(uint32_t word)
{
    using F = qor::testing::TraceFixture;
    switch (word >> 24) {
        case 0xAA:
            return F::kA + (word & 0x3F);
        case 0xBB:
            return kCodeBlob + (word & 0xFFF);
        case 0xCC:
            return F::kStack + (word & (F::kStackSize - 1) & ~3u);
        default:
            return word;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using F = qor::testing::TraceFixture;
    if (size < 9)
        return 0;
    static const F fixture;
    const uint8_t options = data[0];
    const size_t stackWords = std::min<size_t>((size - 1) / 8, F::kStackSize / 4);
    qor::MemoryImage memory = fixture.code;
    std::vector<uint8_t> stack(F::kStackSize);
    for (size_t i = 0; i < stackWords; ++i) {
        uint32_t word;
        std::memcpy(&word, data + 1 + 4 * i, 4);
        word = Mapped(word);
        std::memcpy(&stack[F::kStackSize - 4 * (i + 1)], &word, 4);
    }
    memory.Add(F::kStack, stack);
    const size_t blobStart = 1 + 4 * stackWords;
    if (size > blobStart)
        memory.Add(kCodeBlob, std::vector<uint8_t>(data + blobStart, data + size), true, kCodeBlob);
    F::Environment environment(fixture);
    qor::StackTracer tracer(memory, environment);
    qor::TraceStackArguments a;
    a.hideItemsWithoutLines = options & 1;
    a.relativeAddresses = options & 2;
    a.relativeLines = options & 4;
    a.isException = options & 8;
    a.outsideException = options & 16;
    a.noTopItem = options & 32;
    a.currentAddress = Mapped(0xAA000000u | options);
    a.stackTop = F::kStack + F::kStackSize;
    a.stackBottom = a.stackTop - 4 * static_cast<uint32_t>(stackWords);
    a.framePointer = options & 64 ? Mapped(0xCC000000u | (options << 4)) : 0;
    a.creatorAddress = options & 128 ? F::kA + 8 : 0;
    qor::TraceStackResults r;
    tracer.TraceStack(a, r);
    // One record per printed line.
    size_t lines = r.text.empty() ? 0 : 1;
    for (size_t at = 0; (at = r.text.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    if (r.text.rfind(">> internal error", 0) != 0 && lines != r.items.size())
        __builtin_trap();
    qor::TDAPreStackList prepared;
    tracer.CaptureStackCandidates(a.framePointer, a.stackTop, a.stackBottom, a.currentAddress,
                                  a.isException, prepared);
    a.preparedList = &prepared;
    tracer.TraceStack(a, r);
    return 0;
}
