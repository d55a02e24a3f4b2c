// The simulator's configuration text: one [device <id>] section per simulated device with
// "key = value" lines (see tools/simulator/README.md for the keys), '#' starts a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "DeviceProfile.h"

namespace sim {

// Largest flash a simulated device may have (bytes, or PIC24 address units).
constexpr uint32_t kMaxFlashSize = 0x4000000;

struct SimulatorConfig {
    std::vector<DeviceProfile> devices;
    std::string tracePath; // [simulator] trace = <file>: the trace is written there at exit
    // [simulator] flash_dump = <file>: each device's flash and violations are written there at
    // exit (FlashDump.h), for a test that runs the program in another process.
    std::string flashDumpPath;
};

// False with a message naming the line when the text is not a valid configuration.
bool ParseConfig(std::string_view text, SimulatorConfig* out, std::string* error);

} // namespace sim
