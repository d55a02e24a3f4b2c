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
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &image.error, RaiseError, IgnoreWarning);
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
