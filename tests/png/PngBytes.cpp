#include "PngBytes.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>

namespace pngtest {

std::string PngSuiteDir()
{
    return BRENVIK_PNGSUITE_DIR;
}

std::vector<std::string> PngSuiteFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PngSuiteDir()))
        if (entry.path().extension() == ".png")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string BigEndian32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}

std::string Chunk(const std::string& name, const std::string& data)
{
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(name.data()), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
    return BigEndian32(uint32_t(data.size())) + name + data + BigEndian32(uint32_t(crc));
}

std::string Signature()
{
    return std::string("\x89PNG\r\n\x1a\n", 8);
}

std::string Header(uint32_t width, uint32_t height, int depth, int colorType, int interlace)
{
    std::string d = BigEndian32(width) + BigEndian32(height);
    d += char(depth);
    d += char(colorType);
    d += '\0';
    d += '\0';
    d += char(interlace);
    return Chunk("IHDR", d);
}

std::string Deflate(const std::string& bytes, int level)
{
    uLongf size = compressBound(uLong(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), uLong(bytes.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

std::string Inflate(const std::string& bytes)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    std::string out;
    std::array<char, 4096> window;
    int result;
    do {
        z.next_out = reinterpret_cast<Bytef*>(window.data());
        z.avail_out = uInt(window.size());
        result = inflate(&z, Z_NO_FLUSH);
        out.append(window.data(), window.size() - z.avail_out);
    } while (result == Z_OK);
    inflateEnd(&z);
    if (result != Z_STREAM_END)
        throw std::runtime_error("inflate failed");
    return out;
}

namespace {
uint32_t ReadBE(const std::string& s, size_t at)
{
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint8_t(s[at + 3]);
}

template <class F>
void ForEachChunk(const std::string& png, F&& f)
{
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = ReadBE(png, at);
        if (at + 12 + length > png.size())
            break;
        f(png.substr(at + 4, 4), png.substr(at + 8, length));
        at += 12 + length;
    }
}
} // namespace

std::vector<std::string> ChunkData(const std::string& png, const std::string& name)
{
    std::vector<std::string> found;
    ForEachChunk(png, [&](const std::string& n, const std::string& data) {
        if (n == name)
            found.push_back(data);
    });
    return found;
}

std::vector<std::string> ChunkNames(const std::string& png)
{
    std::vector<std::string> names;
    ForEachChunk(png, [&](const std::string& n, const std::string&) { names.push_back(n); });
    return names;
}

std::vector<int> RowFilters(const std::string& png, uint32_t rowBytes, uint32_t height)
{
    std::string compressed;
    for (const std::string& part : ChunkData(png, "IDAT"))
        compressed += part;
    const std::string rows = Inflate(compressed);
    std::vector<int> filters;
    for (uint32_t y = 0; y < height && size_t(y) * (rowBytes + 1) < rows.size(); ++y)
        filters.push_back(uint8_t(rows[size_t(y) * (rowBytes + 1)]));
    return filters;
}

} // namespace pngtest
