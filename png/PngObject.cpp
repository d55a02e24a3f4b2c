#include "PngObject.h"

#include "core/Streams.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace classlib;

namespace png {

static_assert(sizeof(TPngBitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(sizeof(TPngRGBQuad) == sizeof(RGBQUAD));

namespace {

const BITMAPINFO* AsBitmapInfo(const TPngBitmapInfo& info)
{
    return reinterpret_cast<const BITMAPINFO*>(&info);
}

// A DIB section selected into a memory device context compatible with the screen, with the
// image's palette realized there.
class TDibMemory : public TImageMemory {
public:
    explicit TDibMemory(const TPngBitmapInfo& info)
    {
        dc_ = CreateCompatibleDC(nullptr);
        if (!dc_)
            return;
        void* bits = nullptr;
        dib_ = CreateDIBSection(dc_, AsBitmapInfo(info), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!dib_)
            return;
        bits_ = static_cast<uint8_t*>(bits);
        oldBitmap_ = SelectObject(dc_, dib_);
    }

    ~TDibMemory() override
    {
        if (dc_) {
            if (oldBitmap_)
                SelectObject(dc_, oldBitmap_);
            if (oldPalette_)
                SelectPalette(dc_, oldPalette_, FALSE);
            DeleteDC(dc_);
        }
        if (dib_)
            DeleteObject(dib_);
        if (palette_)
            DeleteObject(palette_);
    }

    uint8_t* Bits() override { return bits_; }

    void PaletteChanged(const TPngBitmapInfo& info) override
    {
        const UINT count = std::min<UINT>(info.bmiHeader.biClrUsed, 256);
        if (!dc_ || count == 0)
            return;
        SetDIBColorTable(dc_, 0, count, reinterpret_cast<const RGBQUAD*>(info.bmiColors));
        std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
        auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
        logical->palVersion = 0x300;
        logical->palNumEntries = WORD(count);
        for (UINT i = 0; i < count; ++i)
            logical->palPalEntry[i] = {info.bmiColors[i].rgbRed, info.bmiColors[i].rgbGreen,
                                       info.bmiColors[i].rgbBlue, 0};
        HPALETTE palette = CreatePalette(logical);
        if (!palette)
            return;
        HPALETTE previous = SelectPalette(dc_, palette, FALSE);
        if (!oldPalette_)
            oldPalette_ = previous;
        RealizePalette(dc_);
        if (palette_)
            DeleteObject(palette_);
        palette_ = palette;
    }

    HDC Dc() const { return dc_; }
    HBITMAP Dib() const { return dib_; }
    HPALETTE Palette() const { return palette_; }

private:
    HDC dc_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HPALETTE palette_ = nullptr;
    HPALETTE oldPalette_ = nullptr;
    uint8_t* bits_ = nullptr;
};

const TDibMemory* DibOf(const TPNGImage& image)
{
    if (!image.HasHeader())
        return nullptr;
    return dynamic_cast<const TDibMemory*>(image.HeaderChunk()->Memory());
}

// A device context with a bitmap of its own, released together.
struct TScratchSurface {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    TScratchSurface(HDC compatibleWith, HBITMAP newBitmap)
    {
        dc = CreateCompatibleDC(compatibleWith);
        bitmap = newBitmap;
        if (dc && bitmap)
            old = SelectObject(dc, bitmap);
    }
    ~TScratchSurface()
    {
        if (dc) {
            if (old)
                SelectObject(dc, old);
            DeleteDC(dc);
        }
        if (bitmap)
            DeleteObject(bitmap);
    }
    bool Ok() const { return dc && bitmap && old; }
};

} // namespace

// ---- DIB image ------------------------------------------------------------------------------

std::unique_ptr<TImageMemory> TPNGDibImage::CreateImageMemory(const TPngBitmapInfo& info, uint64_t)
{
    auto memory = std::make_unique<TDibMemory>(info);
    if (!memory->Bits())
        return nullptr;
    return memory;
}

HDC TPNGDibImage::Dc() const
{
    const TDibMemory* dib = DibOf(*this);
    return dib ? dib->Dc() : nullptr;
}

HBITMAP TPNGDibImage::Dib() const
{
    const TDibMemory* dib = DibOf(*this);
    return dib ? dib->Dib() : nullptr;
}

HPALETTE TPNGDibImage::Palette() const
{
    const TDibMemory* dib = DibOf(*this);
    return dib ? dib->Palette() : nullptr;
}

// ---- Graphic object -------------------------------------------------------------------------

CLASSLIB_PUBLISH(TPNGObject) {}

TPNGObject::TPNGObject() : canvas_(new TCanvas) {}

TPNGObject::~TPNGObject()
{
    canvas_->SetHandle(nullptr);
    delete canvas_;
}

TCanvas* TPNGObject::Canvas()
{
    HDC dc = image_.Dc();
    if (canvas_->HandleAllocated() ? canvas_->Handle() != dc : dc != nullptr)
        canvas_->SetHandle(dc);
    return canvas_;
}

void TPNGObject::LoadFromStream(TStream& stream)
{
    canvas_->SetHandle(nullptr);
    image_.LoadFromStream(stream);
    Changed();
}

void TPNGObject::SaveToStream(TStream& stream)
{
    GdiFlush(); // drawing on the canvas may still be batched
    image_.SaveToStream(stream);
}

void TPNGObject::SetWidth(int width)
{
    canvas_->SetHandle(nullptr);
    image_.SetImageSize(width, image_.Height());
    Changed();
}

void TPNGObject::SetHeight(int height)
{
    canvas_->SetHandle(nullptr);
    image_.SetImageSize(image_.Width(), height);
    Changed();
}

bool TPNGObject::Transparent() const
{
    return image_.HasHeader() && image_.TransparencyMode() != ptmNone;
}

HPALETTE TPNGObject::Palette()
{
    image_.HeaderChunk();
    return image_.Palette();
}

void TPNGObject::SetPalette(HPALETTE palette)
{
    const UINT count = palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0;
    if (count == 0)
        return;
    std::vector<PALETTEENTRY> entries(std::min<UINT>(count, 256));
    GetPaletteEntries(palette, 0, UINT(entries.size()), entries.data());
    std::vector<TPngRGB> colors;
    for (const PALETTEENTRY& e : entries)
        colors.push_back({e.peRed, e.peGreen, e.peBlue});
    image_.SetPaletteEntries(colors);
    Changed();
}

void TPNGObject::WritePixel(int x, int y, TColor color)
{
    GdiFlush();
    image_.WritePixel(x, y, ColorToRGB(color) & 0xFFFFFF);
    Changed();
}

// ---- Drawing --------------------------------------------------------------------------------

void DrawMaskedBitmap(HDC dc, HDC imageDc, int imageWidth, int imageHeight, COLORREF key,
                      const RECT& rect)
{
    TransparentBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, imageDc,
                   0, 0, imageWidth, imageHeight, key);
}

void TPNGObject::Draw(TCanvas* canvas, const RECT& rect)
{
    if (Empty() || !image_.HasHeader())
        return;
    GdiFlush();
    HDC target = canvas->Handle();
    const TChunkIHDR* header = image_.HeaderChunk();
    switch (image_.TransparencyMode()) {
        case ptmNone:
            SetStretchBltMode(target, COLORONCOLOR);
            StretchDIBits(target, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, 0, 0, Width(), Height(), header->ImageData(),
                          AsBitmapInfo(header->BitmapInfo), DIB_RGB_COLORS, SRCCOPY);
            break;
        case ptmBit:
            DrawMaskedBitmap(target, image_.Dc(), Width(), Height(), image_.TransparentColor(),
                             rect);
            break;
        case ptmPartial:
            DrawAlphaBlended(target, rect);
            break;
    }
}

void TPNGObject::DrawAlphaBlended(HDC dc, const RECT& area)
{
    if (area.right == area.left || area.bottom == area.top)
        return;
    RECT rect = area;
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    TScratchSurface surface(dc, section);
    if (!surface.Ok() || !bits)
        throw EPNGOutMemory();
    BitBlt(surface.dc, 0, 0, w, h, dc, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    image_.BlendOnto(static_cast<uint8_t*>(bits), uint32_t(w), uint32_t(h));
    BitBlt(dc, rect.left, rect.top, w, h, surface.dc, 0, 0, SRCCOPY);
}

// ---- Copying --------------------------------------------------------------------------------

void TPNGObject::Assign(TPersistent* source)
{
    if (!source) {
        canvas_->SetHandle(nullptr);
        image_.ClearChunks();
        Changed();
    } else if (auto* png = dynamic_cast<TPNGObject*>(source)) {
        if (png == this)
            return;
        canvas_->SetHandle(nullptr);
        GdiFlush();
        image_.AssignFrom(png->image_);
        Changed();
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        bitmap->Dormant(); // its bitmap must not be selected into a context while it is read
        AssignBitmapHandle(bitmap->Handle(), bitmap->Transparent(),
                           ColorToRGB(bitmap->TransparentColor()) & 0xFFFFFF);
    } else {
        TGraphic::Assign(source);
    }
}

namespace {

// The pixel format a bitmap copy of the image gets: 24 bits for partial transparency, else by
// bit depth (1 bit, 4 bits for 2 and 4, and for 8 and 16: 24 bits for gray and colour, 8 bits
// for palette images).
TPixelFormat BitmapFormatFor(const TChunkIHDR& header, TTransparencyMode transparency)
{
    if (transparency == ptmPartial)
        return pf24bit;
    const int depth = header.Header.BitDepth;
    const int type = header.Header.ColorType;
    if (depth == 1)
        return pf1bit;
    if (depth == 2 || depth == 4)
        return pf4bit;
    if ((depth == 8 || depth == 16) && (type == ctGray || type == ctRGB))
        return pf24bit;
    if ((depth == 8 || depth == 16) && type == ctPalette)
        return pf8bit;
    throw Exception("");
}

} // namespace

void TPNGObject::AssignTo(TPersistent* dest) const
{
    auto* self = const_cast<TPNGObject*>(this);
    if (auto* png = dynamic_cast<TPNGObject*>(dest)) {
        png->Assign(self);
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap && image_.HasHeader()) {
        bitmap->SetPixelFormat(BitmapFormatFor(*image_.HeaderChunk(), image_.TransparencyMode()));
        bitmap->SetSize(Width(), Height());
        // A palette bitmap takes the image's colours first, so that drawing maps every pixel to
        // its own colour rather than to the nearest one of a default table.
        if (bitmap->PixelFormat() != pf24bit)
            bitmap->SetPalette(self->Palette());
        const RECT all{0, 0, Width(), Height()};
        self->Draw(bitmap->Canvas(), all);
        if (image_.TransparencyMode() == ptmBit) {
            bitmap->SetTransparentColor(image_.TransparentColor());
            bitmap->SetTransparent(true);
        }
    } else {
        TGraphic::AssignTo(dest);
    }
}

void TPNGObject::AssignBitmapHandle(HBITMAP handle, bool transparent, TColor transparentColor)
{
    BITMAP description{};
    if (!handle || !GetObject(handle, sizeof description, &description))
        throw EPNGOutMemory();
    canvas_->SetHandle(nullptr);
    image_.ClearChunks();
    const int bits = description.bmBitsPixel * description.bmPlanes;

    auto* header = new TChunkIHDR(&image_);
    image_.Chunks().Append(header);
    header->Header.Width = uint32_t(description.bmWidth);
    header->Header.Height = uint32_t(std::abs(description.bmHeight));
    header->Header.BitDepth = uint8_t(bits < 16 ? bits : 8);
    header->Header.ColorType = bits < 16 ? ctPalette : ctRGB;
    header->PrepareImage();
    // The bitmap's pixels in the header's format; for palette formats this fills the
    // colour table too.
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, handle, 0, header->Header.Height, header->ImageData(),
                                reinterpret_cast<BITMAPINFO*>(&header->BitmapInfo), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines == 0)
        throw EPNGOutMemory();

    if (header->HasPalette) {
        auto* palette = new TChunkPLTE(&image_);
        image_.Chunks().Append(palette);
        palette->Count = 1u << header->HeldBitsPerPixel();
        std::vector<TPngRGB> colors;
        for (uint32_t i = 0; i < palette->Count; ++i) {
            const TPngRGBQuad& c = header->BitmapInfo.bmiColors[i];
            colors.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
        }
        header->BitmapInfo.bmiHeader.biClrUsed = palette->Count;
        image_.SetPaletteEntries(colors, false);
    }
    TChunktRNS* trns = nullptr;
    if (transparent) {
        trns = new TChunktRNS(&image_);
        image_.Chunks().Append(trns);
    }
    image_.Chunks().Append(new TChunkIDAT(&image_));
    image_.Chunks().Append(new TChunkIEND(&image_));
    if (trns)
        trns->SetKeyColor(transparentColor);
    Changed();
}

// ---- Clipboard ------------------------------------------------------------------------------

void TPNGObject::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE)
{
    if (format != CF_BITMAP || !data)
        throw EInvalidGraphic("Unsupported clipboard format");
    // The clipboard keeps its bitmap: a temporary bitmap takes a copy.
    TBitmap bitmap;
    bitmap.SetHandle(static_cast<HBITMAP>(CopyImage(data, IMAGE_BITMAP, 0, 0, 0)));
    bitmap.Dormant();
    AssignBitmapHandle(bitmap.Handle(), false, 0);
}

void TPNGObject::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    TBitmap bitmap;
    bitmap.SetSize(Width(), Height());
    const RECT all{0, 0, Width(), Height()};
    Draw(bitmap.Canvas(), all);
    bitmap.Dormant();
    format = CF_BITMAP;
    data = CopyImage(bitmap.Handle(), IMAGE_BITMAP, 0, 0, 0);
    palette = nullptr;
}

// ---- Module ---------------------------------------------------------------------------------

void PngCodecInitialize()
{
    RegisterCommonChunks();
    RegisterFileFormat("png", "Portable Network Graphics", TPNGObject::StaticClass());
}

void PngCodecFinalize()
{
    UnregisterGraphicClass(TPNGObject::StaticClass());
    FreeChunkClassList();
}

} // namespace png
