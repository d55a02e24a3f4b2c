// Any file text for any device: the loader either loads or names a line, never both, and never
// builds an image past its bounds. Half of the inputs are turned into well-formed records first
// (with now and then a damaged one), so that the address windows are reached.
#include "HexLoader.h"

#include "HexRecords.h"

#include <cstdlib>
#include <string>

namespace {

std::string RecordsFrom(const std::uint8_t* p, const std::uint8_t* end, bool& damaged)
{
    std::string text;
    while (end - p >= 4) {
        const std::uint8_t shape = *p++;
        const std::uint16_t address = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
        p += 2;
        const std::size_t wanted = *p++ % 48;
        const std::size_t count = std::min<std::size_t>(wanted, static_cast<std::size_t>(end - p));
        std::vector<std::uint8_t> data(p, p + count);
        p += count;
        // Data mostly; other types now and then (an address record always through Upper).
        const std::uint8_t type = (shape & 0x0C) || (shape >> 4) == 4 ? 0 : shape >> 4;
        std::string line =
            (shape & 3) == 0 ? hextest::Upper(address) : hextest::Record(type, address, data);
        if ((shape & 0xF0) == 0xF0) { // damage: a changed digit, a blank, a cut record
            damaged = true;
            if (shape & 1)
                line[1 + (address % (line.size() - 1))] = (shape & 2) ? 'G' : '7';
            else if (shape & 2)
                line += ' ';
            else
                line.resize(line.size() - 3);
        }
        text += line + ((shape & 0x30) == 0x30 ? "\n" : "\r\n");
    }
    return text + hextest::End + "\r\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    app::DeviceInfo d;
    d.mcuType = data[0];
    d.bootRevision = static_cast<std::uint16_t>(data[1] << 8);
    d.bootStart = std::uint32_t{data[2]} << 24 | std::uint32_t{data[3]} << 8;
    d.flashSize = std::uint32_t{data[4]} << 16 | std::uint32_t{data[5]} << 8;
    const bool structured = data[6] & 1;
    bool damaged = false;
    const std::string text = structured
                                 ? RecordsFrom(data + 7, data + size, damaged)
                                 : std::string(reinterpret_cast<const char*>(data) + 7, size - 7);
    const app::HexLoadResult r = app::LoadHex(text, "fuzz.hex", d);
    // A refusal names its line, except a file with nothing inside the window, which names none.
    const bool namesLine = r.problem != app::HexProblem::OutsideWindow;
    if (!r.Ok() &&
        (!r.program.empty() || !r.boot.empty() || (r.line < 0) == namesLine || r.message.empty()))
        std::abort();
    if (r.program.size() > app::MaxImageBytes || r.boot.size() > 0x10000)
        std::abort();
    // Well-formed records fail only on their addresses.
    if (structured && !damaged &&
        (r.problem == app::HexProblem::Checksum || r.problem == app::HexProblem::InvalidRecord))
        std::abort();
    return 0;
}
