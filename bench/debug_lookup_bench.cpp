// Address lookups of the crash-report engine's debug-information store on the payload embedded
// in the i686 Brenvik.exe, against addr2line on the same addresses and the same file. Prints
// the times and two ratios (above 1: the store is faster):
//   lookups: addr2line -f -C for all addresses / routine, unit and line for all addresses;
//   load:    addr2line for one address (reading the DWARF data) / loading the payload.
//   debug_lookup_bench [program, default: build/win/bin/Brenvik.exe] [addresses, default 20000]
#include "QorMapFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double Addr2line(const std::string& program, const std::string& addressFile)
{
    const std::string command =
        "i686-w64-mingw32-addr2line -f -C -e '" + program + "' < '" + addressFile + "' > /dev/null";
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr,
                     "debug_lookup_bench: addr2line failed (package binutils-mingw-w64-i686)\n");
        std::exit(1);
    }
    return Seconds(Clock::now() - start);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string program = argc > 1 ? argv[1] : "build/win/bin/Brenvik.exe";
    const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20000;

    double load = 1e9;
    std::vector<uint32_t> addresses;
    for (int run = 0; run < 3; ++run) {
        qor::ModuleFileDebugSources sources(program); // the file is read outside the timing
        const Clock::time_point start = Clock::now();
        const qor::TMapFile map(true, program, sources.ImageBase(), false, false, &sources);
        load = std::min(load, Seconds(Clock::now() - start));
        if (!map.Valid()) {
            std::fprintf(stderr, "debug_lookup_bench: %s has no debug payload\n", program.c_str());
            return 1;
        }
        // Addresses spread over the code: routine starts and points inside routines.
        const auto& publics = map.Tables().publics;
        addresses.clear();
        for (size_t i = 0; addresses.size() < count; ++i)
            addresses.push_back(publics[(i * 7919) % publics.size()].address + uint32_t(i % 3) * 5);
    }
    const std::string addressFile = "debug_lookup_bench.addresses";
    {
        std::ofstream out(addressFile);
        for (uint32_t a : addresses)
            out << std::hex << a << "\n";
    }
    std::ofstream(addressFile + ".one") << std::hex << addresses.front() << "\n";

    qor::ModuleFileDebugSources sources(program);
    const qor::TMapFile map(true, program, sources.ImageBase(), false, false, &sources);
    double ours = 1e9, theirs = 1e9, theirsOne = 1e9;
    size_t found = 0;
    for (int run = 0; run < 3; ++run) {
        const Clock::time_point start = Clock::now();
        found = 0;
        for (uint32_t a : addresses) {
            uint32_t next = 0;
            const qor::TMfPublic routine = map.PublicAt(a);
            const std::string unit = map.SegmentAt(true, a).unit;
            found += routine.valid && !unit.empty() && map.LineAt(a, next) > 0;
        }
        ours = std::min(ours, Seconds(Clock::now() - start));
        theirs = std::min(theirs, Addr2line(program, addressFile));
        theirsOne = std::min(theirsOne, Addr2line(program, addressFile + ".one"));
    }
    std::printf(
        "%zu addresses (%zu with routine, unit and line): store %.4f s, addr2line %.3f s, "
        "ratio addr2line/store %.0f\n",
        addresses.size(), found, ours, theirs, theirs / ours);
    std::printf("payload load %.4f s, addr2line for one address %.3f s, ratio %.1f\n", load,
                theirsOne, theirsOne / load);
    return 0;
}
