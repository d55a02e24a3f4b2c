#include "AlphaPicture.h"

#include <cstring>

namespace crashui {

namespace {

uint32_t Rgb(COLORREF colour)
{
    return (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

// Runs `blend` over the pixels of a DIB section laid out as the picture, holding what `dc` has
// at (x, y) first when `readBack` is set, and copies the section there.
template <class Blend>
void DrawThroughSection(HDC dc, int x, int y, const TAlphaPicture& picture, bool readBack,
                        Blend blend)
{
    const int size = picture.Size();
    HDC memory = CreateCompatibleDC(dc);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(memory, reinterpret_cast<const BITMAPINFO*>(&picture.header),
                                       DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section && bits) {
        HGDIOBJ previous = SelectObject(memory, section);
        if (readBack)
            BitBlt(memory, 0, 0, size, size, dc, x, y, SRCCOPY);
        GdiFlush();
        auto* target = static_cast<uint32_t*>(bits);
        for (size_t k = 0; k < picture.pixels.size(); ++k)
            target[k] = blend(picture.pixels[k], target[k] & 0x00FFFFFFu);
        GdiFlush();
        BitBlt(dc, x, y, size, size, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (section)
        DeleteObject(section);
    DeleteDC(memory);
}

} // namespace

TAlphaPicture LoadAlphaPicture(HMODULE module, const std::string& name, int size)
{
    TAlphaPicture picture;
    HRSRC resource = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    const size_t count = static_cast<size_t>(size) * static_cast<size_t>(size);
    if (!resource || SizeofResource(module, resource) != sizeof(BITMAPINFOHEADER) + count * 4)
        return picture;
    const void* data = LockResource(LoadResource(module, resource));
    if (!data)
        return picture;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    // The header describes the section the pixels go into: only the one layout the resource's
    // size stands for is accepted.
    if (header.biSize != sizeof header || header.biWidth != size ||
        (header.biHeight != size && header.biHeight != -size) || header.biPlanes != 1 ||
        header.biBitCount != 32 || header.biCompression != BI_RGB)
        return picture;
    picture.header = header;
    picture.pixels.resize(count);
    std::memcpy(picture.pixels.data(), static_cast<const uint8_t*>(data) + sizeof header,
                count * 4);
    return picture;
}

uint32_t BlendOver(uint32_t pixel, uint32_t background)
{
    const uint32_t g = (pixel >> 24) + 1;
    const uint32_t redBlue =
        (((256 - g) * (background & 0x00FF00FFu) + g * (pixel & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    const uint32_t green =
        (((256 - g) * (background & 0x0000FF00u) + g * (pixel & 0x0000FF00u)) >> 8) & 0x0000FF00u;
    return redBlue | green;
}

void DrawAlphaPicture(HDC dc, int x, int y, const TAlphaPicture& picture, COLORREF background)
{
    if (picture.Empty())
        return;
    const uint32_t back = Rgb(background);
    DrawThroughSection(dc, x, y, picture, false,
                       [back](uint32_t pixel, uint32_t) { return BlendOver(pixel, back); });
}

void DrawAlphaPictureOver(HDC dc, int x, int y, const TAlphaPicture& picture)
{
    if (picture.Empty())
        return;
    DrawThroughSection(dc, x, y, picture, true, BlendOver);
}

} // namespace crashui
