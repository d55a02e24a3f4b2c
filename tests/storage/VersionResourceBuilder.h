#pragma once
// Builds version resources in the wide (32-bit) format for tests: each block is its length,
// value length, type, zero-terminated UTF-16 key, padding to 4, value, padding, children.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vrb {

struct Block {
    std::string key;
    uint16_t type = 1;
    std::string value;        // raw value bytes
    uint16_t valueLength = 0; // as stored in the header
    std::vector<Block> children;
};

inline void Put16(std::string& out, uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

inline void Pad4(std::string& out)
{
    while (out.size() % 4)
        out += '\0';
}

inline std::string Serialise(const Block& b)
{
    std::string out(4, '\0');
    Put16(out, b.type);
    for (char c : b.key)
        Put16(out, static_cast<uint8_t>(c));
    Put16(out, 0);
    Pad4(out);
    out += b.value;
    for (const auto& child : b.children) {
        Pad4(out);
        out += Serialise(child);
    }
    out[0] = static_cast<char>(out.size() & 0xFF);
    out[1] = static_cast<char>(out.size() >> 8);
    out[2] = static_cast<char>(b.valueLength & 0xFF);
    out[3] = static_cast<char>(b.valueLength >> 8);
    return out;
}

inline Block Text(const std::string& key, const std::string& value)
{
    Block b{key, 1, {}, static_cast<uint16_t>(value.size() + 1), {}};
    for (char c : value)
        Put16(b.value, static_cast<uint8_t>(c));
    Put16(b.value, 0);
    return b;
}

inline Block Binary(const std::string& key, const std::string& bytes)
{
    return Block{key, 0, bytes, static_cast<uint16_t>(bytes.size()), {}};
}

inline Block Table(const std::string& key, std::vector<Block> strings)
{
    return Block{key, 1, {}, 0, std::move(strings)};
}

inline std::string FixedInfo(uint32_t fileMS, uint32_t fileLS, uint32_t flagsMask, uint32_t flags)
{
    const uint32_t fields[13] = {0xFEEF04BD, 0x10000, fileMS, fileLS, fileMS, fileLS, flagsMask,
                                 flags,      0x40004, 1,      0,      0,      0};
    std::string out(52, '\0');
    std::memcpy(out.data(), fields, 52);
    return out;
}

inline std::string Resource(std::vector<Block> tables, std::vector<uint32_t> translations,
                            const std::string& fixed = FixedInfo(0x00010002, 0x00030004, 0x3F, 0))
{
    Block root{"VS_VERSION_INFO", 0, fixed, 52, {}};
    root.children.push_back(Block{"StringFileInfo", 1, {}, 0, std::move(tables)});
    if (!translations.empty()) {
        std::string value;
        for (uint32_t t : translations) {
            Put16(value, static_cast<uint16_t>(t & 0xFFFF));
            Put16(value, static_cast<uint16_t>(t >> 16));
        }
        Block var{"VarFileInfo", 1, {}, 0, {}};
        var.children.push_back(
            Block{"Translation", 0, value, static_cast<uint16_t>(value.size()), {}});
        root.children.push_back(var);
    }
    return Serialise(root);
}

} // namespace vrb
