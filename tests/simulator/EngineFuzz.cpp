// Arbitrary configuration texts and report streams: the parser and the engine must neither read
// nor write outside their buffers whatever the host sends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Bootloader.h"
#include "Config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    // The first bytes choose the device, the rest is configuration text or reports.
    sim::DeviceProfile profile;
    static const uint8_t kFamilies[] = {1,  2,  3,  4,  10, 11, 20, 21, 30, 31, 32, 33,
                                        34, 35, 36, 37, 38, 40, 41, 42, 43, 46, 99};
    profile.family = kFamilies[data[0] % sizeof kFamilies];
    profile.eraseBlockSize = uint16_t(1 + (data[1] << 2));
    profile.writeBlockSize = uint16_t(1 + data[2]);
    profile.bootRevision = data[3] & 1;
    profile.flashSize = 0x1000u << (data[4] & 3);
    profile.bootStart = profile.flashSize - (profile.flashSize >> (1 + (data[5] & 3)));
    profile.appStart = profile.flashSize >> (2 + (data[5] & 3));
    profile.initiallyErased = data[6] & 1;
    data += 8, size -= 8;

    if (data[-1] & 1) {
        sim::SimulatorConfig config;
        std::string error;
        sim::ParseConfig(std::string(reinterpret_cast<const char*>(data), size), &config, &error);
        return 0;
    }
    sim::Bootloader device(profile);
    for (size_t at = 0; at < size; at += 64) {
        size_t n = size - at < 64 ? size - at : 64;
        device.Receive(data + at, n);
    }
    uint8_t probe[16];
    device.Read(profile.bootStart, probe, sizeof probe);
    return 0;
}
