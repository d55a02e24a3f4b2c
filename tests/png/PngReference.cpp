#include "PngReference.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace pngtest {

std::string PngSuiteDir() { return std::string(BRENVIK_SOURCE_DIR) + "/../shared/data/pngsuite"; }

std::vector<std::string> PngSuiteFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PngSuiteDir()))
        if (entry.path().extension() == ".png")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
struct TMemoryReader {
    const std::string* bytes;
    size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<TMemoryReader*>(png_get_io_ptr(png));
    if (reader->position + count > reader->bytes->size())
        png_error(png, "read past the end");
    std::memcpy(out, reader->bytes->data() + reader->position, count);
    reader->position += count;
}

void RaiseError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}
} // namespace

TReferenceImage DecodeWithLibpng(const std::string& bytes)
{
    TReferenceImage image;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &image.error, RaiseError,
                                             IgnoreWarning);
    png_infop info = png_create_info_struct(png);
    TMemoryReader reader{&bytes, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        image.rgba.clear();
        if (image.error.empty())
            image.error = "libpng error";
        return image;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.colorType = png_get_color_type(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    image.interlace = png_get_interlace_type(png, info);
    png_fixed_point gamma = 0;
    if (png_get_gAMA_fixed(png, info, &gamma)) {
        image.hasGamma = true;
        image.gamma = uint32_t(gamma);
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.rgba.assign(size_t(image.width) * image.height * 4, 0);
    rows.resize(image.height);
    for (uint32_t y = 0; y < image.height; ++y)
        rows[y] = image.rgba.data() + size_t(y) * image.width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return image;
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

std::string Signature() { return std::string("\x89PNG\r\n\x1a\n", 8); }

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

std::string PngcheckComplaint(const std::string& bytes)
{
    char name[] = "/tmp/pngcheck-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return "cannot create a temporary file";
    if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) {
        close(fd);
        unlink(name);
        return "cannot write the temporary file";
    }
    close(fd);
    const std::string command = std::string("pngcheck ") + name + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        unlink(name);
        return "cannot run pngcheck";
    }
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    unlink(name);
    if (status == 0 && output.find("OK:") != std::string::npos)
        return {};
    return output.empty() ? "pngcheck did not run (package pngcheck)" : output;
}

} // namespace pngtest
