#pragma once
// Builds Intel HEX record lines for loader and planner tests.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace hextest {

inline std::string Record(std::uint8_t type, std::uint16_t address,
                          const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(data.size()),
                                    static_cast<std::uint8_t>(address >> 8),
                                    static_cast<std::uint8_t>(address), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (auto b : bytes)
        sum = static_cast<std::uint8_t>(sum + b);
    bytes.push_back(static_cast<std::uint8_t>(-sum));
    std::string line = ":";
    char pair[3];
    for (auto b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
    }
    return line;
}

inline std::string Data(std::uint16_t address, const std::vector<std::uint8_t>& data)
{
    return Record(0, address, data);
}

inline std::string Upper(std::uint16_t upper)
{
    return Record(4, 0, {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

inline const std::string End = ":00000001FF";

inline std::string Lines(const std::vector<std::string>& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

} // namespace hextest
