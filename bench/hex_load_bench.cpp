// HEX loading of a multi-megabyte file against srec_cat converting the same file to binary.
// Prints both times and their ratio (ours / srec_cat; below 1 means faster than srec_cat).
//   hex_load_bench [megabytes of data, default 8]
#include "HexLoader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv)
{
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    if (std::system("command -v srec_cat >/dev/null 2>&1") != 0) {
        std::puts("hex_load_bench: srec_cat is not installed (package srecord); nothing measured");
        return 0;
    }
    char dir[] = "/tmp/brenvik-bench-XXXXXX";
    if (!mkdtemp(dir))
        return 1;
    const std::string base = dir;
    const std::string bin = base + "/data.bin", hex = base + "/fw.hex", out = base + "/out.bin";

    std::vector<char> data(static_cast<std::size_t>(megabytes) << 20);
    std::mt19937 rng(7);
    for (auto& b : data)
        b = static_cast<char>(rng());
    std::ofstream(bin, std::ios::binary)
        .write(data.data(), static_cast<std::streamsize>(data.size()));
    // The file under test comes from srec_cat itself: 32-byte records at 0x08000000 with
    // extended linear address records, as an STM32 toolchain writes them.
    const std::string make = "srec_cat " + bin + " -binary -offset 0x08000000 -o " + hex +
                             " -intel -Output_Block_Size 32";
    if (std::system(make.c_str()) != 0)
        return 1;

    app::DeviceInfo device;
    device.mcuType = 35; // STM32F1
    device.bootRevision = 0x1200;
    device.flashSize = static_cast<std::uint32_t>(data.size());

    const std::size_t hexBytes = ReadFile(hex).size();
    const int rounds = 3;
    double ours = 1e9, reference = 1e9;
    std::size_t loaded = 0;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = Clock::now();
        const std::string text = ReadFile(hex);
        const app::HexLoadResult result = app::LoadHex(text, hex, device);
        ours = std::min(ours, Seconds(Clock::now() - t0));
        if (!result.Ok() || result.program.size() != data.size() ||
            !std::equal(data.begin(), data.end(), result.program.begin(),
                        [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; })) {
            std::fprintf(stderr, "hex_load_bench: the loaded image differs from the data\n");
            return 1;
        }
        loaded = result.program.size();

        const std::string convert =
            "srec_cat " + hex + " -intel -offset -0x08000000 -o " + out + " -binary";
        t0 = Clock::now();
        if (std::system(convert.c_str()) != 0)
            return 1;
        reference = std::min(reference, Seconds(Clock::now() - t0));
    }
    std::system(("rm -rf " + base).c_str());

    std::printf("hex_load_bench: %zu bytes of data, %.1f MB of HEX text, best of %d\n", loaded,
                static_cast<double>(hexBytes) / 1e6, rounds);
    std::printf("  LoadHex (read + parse + image)  %8.1f ms\n", ours * 1e3);
    std::printf("  srec_cat -intel -> -binary      %8.1f ms\n", reference * 1e3);
    std::printf("  ratio LoadHex / srec_cat        %8.3f\n", ours / reference);
    return 0;
}
