// A record of every report in both directions and of the device's events (plug, unplug,
// refused writes), with the time it happened and, in frame-timing mode, its frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class Direction : char { ToDevice = '>', ToHost = '<', Event = '*' };

struct TraceEntry {
    uint64_t timeMs;
    Direction direction;
    std::vector<uint8_t> bytes;
    std::string note;
};

class Trace {
public:
    void Add(uint64_t timeMs, Direction direction, const uint8_t* bytes, size_t size,
             std::string note);
    const std::vector<TraceEntry>& Entries() const { return entries_; }
    // One line per entry: time, direction, bytes in hexadecimal (trailing zeros shortened), note.
    std::string Text() const;

private:
    std::vector<TraceEntry> entries_;
};

} // namespace sim
