#include "Trace.h"

#include <cstdio>

namespace sim {

void Trace::Add(uint64_t timeMs, Direction direction, const uint8_t* bytes, size_t size,
                std::string note)
{
    entries_.push_back(
        {timeMs, direction, std::vector<uint8_t>(bytes, bytes + size), std::move(note)});
}

std::string Trace::Text() const
{
    std::string text;
    char buf[32];
    for (const TraceEntry& e : entries_) {
        std::snprintf(buf, sizeof buf, "%8llu %c", static_cast<unsigned long long>(e.timeMs),
                      static_cast<char>(e.direction));
        text += buf;
        size_t shown = e.bytes.size();
        while (shown > 0 && e.bytes[shown - 1] == 0)
            --shown;
        for (size_t i = 0; i < shown; ++i) {
            std::snprintf(buf, sizeof buf, " %02X", e.bytes[i]);
            text += buf;
        }
        if (shown < e.bytes.size())
            text += " 00..(" + std::to_string(e.bytes.size()) + ")";
        if (!e.note.empty())
            text += "  " + e.note;
        text += '\n';
    }
    return text;
}

} // namespace sim
