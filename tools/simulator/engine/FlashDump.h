// What a simulated device holds when the simulator stops, as text a test in another process can
// read back: its flash regions byte for byte and the violations it recorded.
//
//   device <id>
//   violation <kind>: <detail>          one line per violation, in the order recorded
//   region <name> <size in hex>
//   <offset in hex> <32 bytes in hex>   lines whose bytes all read FF are left out
//   end
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Bootloader.h"

namespace sim {

std::string FlashDumpText(const Bootloader& device);

struct DumpedRegion {
    std::string name;
    std::vector<uint8_t> data; // region offset -> byte
};

struct DumpedDevice {
    std::string id;
    std::vector<std::string> violations;
    std::vector<DumpedRegion> regions;

    const DumpedRegion* Region(std::string_view name) const;
};

// False with the reason (and line number) when the text is not such a dump.
bool ParseFlashDump(std::string_view text, std::vector<DumpedDevice>* out, std::string* error);

} // namespace sim
