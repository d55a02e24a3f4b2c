// Decoding throughput of the crash-report engine's x86 decoder against objdump on the same
// bytes. Prints both times and the ratio objdump / ours (above 1: the decoder is faster).
//   decoder_bench [code file, default: random instruction-like bytes]
// The code file is raw 32-bit code, e.g. the text section of the i686 Brenvik.exe:
//   i686-w64-mingw32-objcopy -O binary -j .text build/win/bin/Brenvik.exe text.bin
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "X86Decoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<uint8_t> code;
    std::string path;
    if (argc > 1) {
        path = argv[1];
        std::ifstream f(path, std::ios::binary);
        code.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    } else {
        // Common shapes of compiled code: ModRM moves, pushes, calls, conditional jumps.
        const std::vector<std::vector<uint8_t>> shapes = {{0x8B, 0x45, 0x08},
                                                          {0x89, 0x44, 0x24, 0x04},
                                                          {0x55},
                                                          {0x89, 0xE5},
                                                          {0xE8, 1, 2, 3, 4},
                                                          {0x74, 0x10},
                                                          {0x0F, 0x85, 1, 0, 0, 0},
                                                          {0xC7, 0x04, 0x24, 1, 2, 3, 4},
                                                          {0x83, 0xEC, 0x1C},
                                                          {0x8D, 0x4D, 0xB8},
                                                          {0x0F, 0xB6, 0x42, 0x18},
                                                          {0xC3}};
        std::mt19937 random(29);
        while (code.size() < (8u << 20)) {
            const auto& s = shapes[random() % shapes.size()];
            code.insert(code.end(), s.begin(), s.end());
        }
        path = "decoder_bench.bin";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(code.data()),
                   static_cast<std::streamsize>(code.size()));
    }
    if (std::system("command -v objdump >/dev/null 2>&1") != 0) {
        std::puts("decoder_bench: objdump is not installed (package binutils); nothing measured");
        return 0;
    }
    constexpr uint32_t kAt = 0x00401000;
    qor::MemoryImage memory;
    memory.Add(kAt, code);

    double ours = 1e9, theirs = 1e9;
    size_t instructions = 0;
    for (int run = 0; run < 3; ++run) {
        Clock::time_point start = Clock::now();
        instructions = 0;
        for (uint32_t at = kAt; at < kAt + code.size();) {
            qor::TDecodedInstruction d = qor::DecodeInstruction(memory, at);
            at = d.next;
            ++instructions;
        }
        ours = std::min(ours, Seconds(Clock::now() - start));
        start = Clock::now();
        std::string command = "objdump -D -b binary -m i386 '" + path + "' > /dev/null";
        if (std::system(command.c_str()) != 0)
            return 1;
        theirs = std::min(theirs, Seconds(Clock::now() - start));
    }
    std::printf(
        "%zu bytes, %zu instructions: decoder %.3f s, objdump %.3f s, ratio objdump/decoder %.1f\n",
        code.size(), instructions, ours, theirs, theirs / ours);
    return 0;
}
