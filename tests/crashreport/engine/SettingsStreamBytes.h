#pragma once
// Settings resources written byte by byte as the settings description lays them out: the
// 25-byte header, then per property a length byte, the key, a value-type byte and the value.
#include <cstdint>
#include <string>
#include <string_view>

inline std::string SettingsHeader(std::string_view className = "TQorExcept",
                                  std::string_view name = "qorExcept")
{
    std::string bytes = "TPF0";
    bytes += static_cast<char>(className.size());
    bytes += className;
    bytes += static_cast<char>(name.size());
    bytes += name;
    return bytes;
}

inline std::string LittleEndian(uint32_t value, int width)
{
    std::string bytes;
    for (int i = 0; i < width; ++i)
        bytes += static_cast<char>(value >> (8 * i));
    return bytes;
}

// One property: the key, the value-type byte and the value's bytes as given.
inline std::string SettingsEntry(std::string_view key, uint8_t type, std::string_view value = {})
{
    std::string bytes(1, static_cast<char>(key.size()));
    bytes += key;
    bytes += static_cast<char>(type);
    bytes += value;
    return bytes;
}

inline std::string LongText(std::string_view text)
{
    return LittleEndian(static_cast<uint32_t>(text.size()), 4) + std::string(text);
}
