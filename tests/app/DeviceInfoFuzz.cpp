// Any bytes a device may send as its information record: the parser must stay inside them.
#include "DeviceInfo.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    app::DeviceInfo previous;
    previous.mcuType = data[0];
    // An exactly sized copy so that ASan sees any read past the received bytes.
    std::vector<std::uint8_t> received(data + 1, data + size);
    const app::DeviceInfo info = app::ParseDeviceInfo(received, previous);
    (void)app::HasUsableGeometry(info);
    return 0;
}
