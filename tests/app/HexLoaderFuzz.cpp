// Any file text for any device: the loader either loads or names a line, never both, and
// never builds an image past its bounds.
#include "HexLoader.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 8)
        return 0;
    app::DeviceInfo d;
    d.mcuType = data[0];
    d.bootRevision = static_cast<std::uint16_t>(data[1] << 8);
    d.bootStart = std::uint32_t{data[2]} << 16 | std::uint32_t{data[3]} << 8;
    d.flashSize = std::uint32_t{data[4]} << 16 | std::uint32_t{data[5]} << 8;
    const std::string_view text(reinterpret_cast<const char*>(data) + 6, size - 6);
    const app::HexLoadResult r = app::LoadHex(text, "fuzz.hex", d);
    if (!r.Ok() && (!r.program.empty() || !r.boot.empty() || r.line < 0 || r.message.empty()))
        std::abort();
    if (r.program.size() > app::MaxImageBytes + 255 || r.boot.size() > 0x10000)
        std::abort();
    return 0;
}
