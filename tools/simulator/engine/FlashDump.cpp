#include "FlashDump.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace sim {
namespace {

constexpr uint32_t kBytesPerLine = 32;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHex(std::string_view s, uint64_t* value)
{
    if (s.empty() || s.size() > 16)
        return false;
    uint64_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        v = v * 16 + static_cast<uint64_t>(d);
    }
    *value = v;
    return true;
}

} // namespace

std::string FlashDumpText(const Bootloader& device)
{
    std::string text = "device " + device.Profile().id + "\n";
    for (const Violation& v : device.Violations())
        text += std::string("violation ") + ViolationName(v.kind) + ": " + v.detail + "\n";
    char buf[16];
    const FlashModel& flash = device.Flash();
    for (int r = 0; r < flash.RegionCount(); ++r) {
        const FlashRegion& region = flash.Region(r);
        std::snprintf(buf, sizeof buf, "%X", region.size);
        text += "region " + region.name + " " + buf + "\n";
        for (uint32_t at = 0; at < region.size; at += kBytesPerLine) {
            uint32_t n = std::min(kBytesPerLine, region.size - at);
            auto first = region.data.begin() + at;
            if (std::all_of(first, first + n, [](uint8_t b) { return b == 0xFF; }))
                continue;
            std::snprintf(buf, sizeof buf, "%X", at);
            text += buf;
            for (uint32_t i = 0; i < n; ++i) {
                std::snprintf(buf, sizeof buf, " %02X", region.data[at + i]);
                text += buf;
            }
            text += '\n';
        }
    }
    return text + "end\n";
}

const DumpedRegion* DumpedDevice::Region(std::string_view name) const
{
    for (const DumpedRegion& r : regions) {
        if (r.name == name)
            return &r;
    }
    return nullptr;
}

bool ParseFlashDump(std::string_view text, std::vector<DumpedDevice>* out, std::string* error)
{
    std::vector<DumpedDevice> devices;
    int lineNumber = 0;
    bool open = false; // inside a device, before its "end"
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    while (!text.empty()) {
        size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        size_t space = line.find(' ');
        std::string_view word = line.substr(0, space);
        std::string_view rest =
            space == std::string_view::npos ? std::string_view{} : line.substr(space + 1);
        if (word == "device") {
            if (open)
                return fail("device without end");
            devices.emplace_back().id = std::string(rest);
            open = true;
            continue;
        }
        if (!open)
            return fail("outside a device");
        DumpedDevice& d = devices.back();
        if (word == "end") {
            open = false;
        } else if (word == "violation") {
            d.violations.emplace_back(rest);
        } else if (word == "region") {
            size_t sep = rest.find(' ');
            uint64_t size = 0;
            if (sep == std::string_view::npos || !ParseHex(rest.substr(sep + 1), &size) ||
                size > 0x10000000)
                return fail("bad region line");
            DumpedRegion& r = d.regions.emplace_back();
            r.name = std::string(rest.substr(0, sep));
            r.data.assign(static_cast<size_t>(size), 0xFF);
        } else {
            uint64_t offset = 0;
            if (d.regions.empty() || !ParseHex(word, &offset))
                return fail("bad data line");
            std::vector<uint8_t>& data = d.regions.back().data;
            std::istringstream bytes{std::string(rest)};
            std::string pair;
            while (bytes >> pair) {
                uint64_t value = 0;
                if (pair.size() != 2 || !ParseHex(pair, &value))
                    return fail("bad byte '" + pair + "'");
                if (offset >= data.size())
                    return fail("data beyond the region");
                data[static_cast<size_t>(offset++)] = static_cast<uint8_t>(value);
            }
        }
    }
    if (open)
        return fail("device without end");
    *out = std::move(devices);
    return true;
}

} // namespace sim
