#include "DeviceInfo.h"

#include <algorithm>

namespace app {

namespace {

// Position of the first byte of a value of `size` bytes behind the tag at `tag`, aligned to
// `align` from the record's start.
std::size_t AlignedValueStart(std::size_t tag, unsigned align)
{
    std::size_t p = tag + 1;
    while (p % align != 0)
        ++p;
    return p;
}

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> bytes, std::size_t at,
                               std::size_t size)
{
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < size; ++k)
        v |= static_cast<std::uint32_t>(bytes[at + k]) << (8 * k);
    return v;
}

} // namespace

DeviceInfo ParseDeviceInfo(std::span<const std::uint8_t> received, const DeviceInfo& previous)
{
    DeviceInfo info = previous;
    if (received.empty())
        return info;
    const std::size_t end = std::min<std::size_t>(received[0], received.size());
    std::size_t i = 1;
    while (i < end) {
        const std::uint8_t tag = received[i];
        switch (tag) {
            case TagMcuType:
                if (i + 1 >= end)
                    return info;
                info.mcuType = received[i + 1];
                i += 1;
                break;
            case TagEraseBlockSize:
            case TagWriteBlockSize:
            case TagBootRevision: {
                const std::size_t p = AlignedValueStart(i, Align16(info.mcuType));
                if (p + 2 > end)
                    return info;
                const auto v = static_cast<std::uint16_t>(ReadLittleEndian(received, p, 2));
                (tag == TagEraseBlockSize   ? info.eraseBlockSize
                 : tag == TagWriteBlockSize ? info.writeBlockSize
                                            : info.bootRevision) = v;
                i = p + 1;
                break;
            }
            case TagBootStart:
            case TagFlashSize:
            case TagAppStart: {
                const std::size_t p = AlignedValueStart(i, Align32(info.mcuType));
                if (p + 4 > end)
                    return info;
                const std::uint32_t v = ReadLittleEndian(received, p, 4);
                (tag == TagBootStart   ? info.bootStart
                 : tag == TagFlashSize ? info.flashSize
                                       : info.appStart) = v;
                i = p + 3;
                break;
            }
            case TagMcuName: {
                const auto first = received.begin() + static_cast<std::ptrdiff_t>(i + 1);
                const auto last = received.begin() + static_cast<std::ptrdiff_t>(end);
                const auto zero = std::find(first, last, 0);
                if (zero == last)
                    return info;
                info.mcuName.assign(first, zero);
                i = static_cast<std::size_t>(zero - received.begin());
                break;
            }
            default:
                break;
        }
        ++i;
    }
    return info;
}

bool HasUsableGeometry(const DeviceInfo& info)
{
    return info.eraseBlockSize >= 64 && info.writeBlockSize != 0 && info.writeBlockSize <= 0x8000;
}

} // namespace app
