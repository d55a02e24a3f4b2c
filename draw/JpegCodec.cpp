#include "JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace draw {

namespace {

// libjpeg reports errors by calling error_exit, which must not return. C++ exceptions must not
// cross libjpeg's C frames, so the error manager jumps back to the call's own frame, which
// then raises. Warnings about corrupt data end the call the same way: a damaged file gives no
// picture rather than a partly grey one.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ExitWithError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void FailOnWarning(j_common_ptr info, int level)
{
    if (level < 0)
        ExitWithError(info);
}

void StayQuiet(j_common_ptr) {}

void InstallErrorManager(ErrorManager& manager, jpeg_common_struct& info)
{
    info.err = jpeg_std_error(&manager.pub);
    manager.pub.error_exit = ExitWithError;
    manager.pub.emit_message = FailOnWarning;
    manager.pub.output_message = StayQuiet;
    manager.message[0] = '\0';
}

// The decoding steps between the jump target and the clean-up; returns false when libjpeg
// jumped back with an error. Only plain data lives in this frame across the jump.
bool DecodeSteps(jpeg_decompress_struct& info, ErrorManager& manager, const uint8_t* data,
                 std::size_t size, bool grayscale, JpegDecoded& result, const char*& limitError)
{
    if (setjmp(manager.jump))
        return false;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (grayscale)
        info.out_color_space = JCS_GRAYSCALE;
    else if (info.jpeg_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const std::size_t rowBytes =
        std::size_t{info.output_width} * static_cast<std::size_t>(info.output_components);
    if (info.output_width == 0 || info.output_height == 0 ||
        rowBytes > MaxJpegPixelBytes / info.output_height) {
        limitError = "JPEG image too large";
        return false;
    }
    result.progressive = jpeg_has_multiple_scans(&info) != 0;
    result.pixels.width = static_cast<int>(info.output_width);
    result.pixels.height = static_cast<int>(info.output_height);
    result.pixels.components = info.output_components;
    result.pixels.data.resize(rowBytes * info.output_height);
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result.pixels.data.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool EncodeSteps(jpeg_compress_struct& info, ErrorManager& manager, const JpegPixels& pixels,
                 int quality, bool grayscale, unsigned char*& buffer, unsigned long& size)
{
    if (setjmp(manager.jump))
        return false;
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(pixels.width);
    info.image_height = static_cast<JDIMENSION>(pixels.height);
    info.input_components = pixels.components;
    info.in_color_space = pixels.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    if (grayscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes =
        static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.components);
    while (info.next_scanline < info.image_height) {
        // libjpeg does not write through the row pointer.
        auto* row = const_cast<JSAMPLE*>(pixels.data.data() + rowBytes * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

JpegDecoded DecodeJpeg(const uint8_t* data, std::size_t size, bool grayscale)
{
    if (!data || size == 0)
        throw EJpegError("JPEG error: no data");
    if (size > 0xFFFFFFFFu)
        throw EJpegError("JPEG error: data too large");
    jpeg_decompress_struct info{};
    ErrorManager manager;
    InstallErrorManager(manager, *reinterpret_cast<jpeg_common_struct*>(&info));
    JpegDecoded result;
    const char* limitError = nullptr;
    const bool ok = DecodeSteps(info, manager, data, size, grayscale, result, limitError);
    jpeg_destroy_decompress(&info);
    if (!ok)
        throw EJpegError(std::string("JPEG error: ") + (limitError ? limitError : manager.message));
    return result;
}

std::vector<uint8_t> EncodeJpeg(const JpegPixels& pixels, int quality, bool grayscale)
{
    if ((pixels.components != 1 && pixels.components != 3) || pixels.width <= 0 ||
        pixels.height <= 0 || pixels.width > JPEG_MAX_DIMENSION ||
        pixels.height > JPEG_MAX_DIMENSION ||
        pixels.data.size() != static_cast<std::size_t>(pixels.width) *
                                  static_cast<std::size_t>(pixels.height) *
                                  static_cast<std::size_t>(pixels.components))
        throw EJpegError("JPEG error: the pixels do not make a picture");
    jpeg_compress_struct info{};
    ErrorManager manager;
    InstallErrorManager(manager, *reinterpret_cast<jpeg_common_struct*>(&info));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = EncodeSteps(info, manager, pixels, quality, grayscale, buffer, size);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file;
    if (ok)
        file.assign(buffer, buffer + size);
    std::free(buffer);
    if (!ok)
        throw EJpegError(std::string("JPEG error: ") + manager.message);
    return file;
}

} // namespace draw
