#include "PngImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace classlib;

namespace png {

namespace {

void SetIdentity(uint8_t table[256])
{
    for (int i = 0; i < 256; ++i)
        table[i] = uint8_t(i);
}

// Image memory on the heap, for images that are never drawn by the window system.
class THeapImageMemory : public TImageMemory {
public:
    explicit THeapImageMemory(uint8_t* bits) : bits_(bits) {}
    ~THeapImageMemory() override { std::free(bits_); }
    uint8_t* Bits() override { return bits_; }

private:
    uint8_t* bits_;
};

bool NameIs(const uint8_t name[4], const char* text)
{
    return std::memcmp(name, text, 4) == 0;
}

} // namespace

TPNGImage::TPNGImage() : chunks_(this)
{
    RegisterCommonChunks();
    SetIdentity(GammaTable);
    SetIdentity(InverseTable);
}

TPNGImage::~TPNGImage()
{
    ClearChunks();
}

std::unique_ptr<TImageMemory> TPNGImage::CreateImageMemory(const TPngBitmapInfo&, uint64_t size)
{
    uint8_t* bits = AllocateZeroed(size);
    if (!bits)
        return nullptr;
    return std::make_unique<THeapImageMemory>(bits);
}

void TPNGImage::ClearChunks()
{
    SetIdentity(GammaTable);
    SetIdentity(InverseTable);
    // Later chunks may look at the header while they go, so the header goes last.
    for (size_t i = chunks_.Count(); i-- > 0;)
        delete chunks_.Chunk(i);
    chunks_.Resize(0);
}

bool TPNGImage::HasHeader() const
{
    return chunks_.Count() > 0 && dynamic_cast<TChunkIHDR*>(chunks_.Chunk(0)) != nullptr;
}

TChunkIHDR* TPNGImage::HeaderChunk() const
{
    auto* header = chunks_.Count() > 0 ? dynamic_cast<TChunkIHDR*>(chunks_.Chunk(0)) : nullptr;
    if (!header)
        throw EPNGHeaderNotPresent();
    return header;
}

int TPNGImage::Width() const
{
    return HasHeader() ? int(HeaderChunk()->Header.Width) : 0;
}
int TPNGImage::Height() const
{
    return HasHeader() ? int(HeaderChunk()->Header.Height) : 0;
}

void TPNGImage::SetMaxIdatSize(uint32_t size)
{
    maxIdatSize_ = std::max<uint32_t>(size, 65535);
}

// ---- The chunk stream -----------------------------------------------------------------------

void TPNGImage::LoadFromStream(TStream& stream)
{
    ClearChunks();
    uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, PngSignature, 8) != 0)
        throw EPNGInvalidFileHeader();

    // Before every exception the list is cut to the chunks created so far, so that a later
    // clear frees each of them once.
    chunks_.Resize(10);
    bool hasImageData = false;
    size_t n = 0;
    uint8_t name[4] = {};
    auto fail = [&](size_t keep, auto exception) {
        chunks_.Resize(keep);
        throw exception;
    };
    do {
        ++n;
        if (chunks_.Count() < n)
            chunks_.Resize(chunks_.Count() + 10);
        uint8_t field[4];
        if (stream.Read(field, 4) != 4)
            fail(n - 1, EPngUnexpectedEnd());
        const uint32_t length = ReadBigEndian32(field);
        if (stream.Read(name, 4) != 4 || length > MaxChunkLength)
            fail(n - 1, EPngUnexpectedEnd());
        if (n == 1 && !NameIs(name, "IHDR"))
            fail(n - 1, EPNGIHDRNotFirst());
        // cHRM is not kept; image data after the first run has been consumed already.
        if (NameIs(name, "cHRM") || (NameIs(name, "IDAT") && hasImageData)) {
            --n;
            stream.Seek(int64_t(length) + 4, soCurrent);
            continue;
        }
        if (NameIs(name, "IDAT"))
            hasImageData = true;
        TChunk* chunk = CreateChunkByName(this, name);
        chunks_.PutAt(n - 1, chunk);
        if (&chunk->ClassType() == &TChunk::StaticClass() && name[0] != 0 && !(name[0] & 0x20))
            fail(n, EPNGUnknownCriticalChunk());
        bool ok;
        try {
            ok = chunk->ReadChunk(stream, name, length);
        } catch (...) {
            chunks_.Resize(n);
            throw;
        }
        if (!ok)
            break;
    } while (!NameIs(name, "IEND"));
    chunks_.Resize(n);
    if (!hasImageData)
        throw EPNGNoImageData();
}

void TPNGImage::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(PngSignature, 8);
    for (size_t i = 0; i < chunks_.Count(); ++i)
        chunks_.Chunk(i)->WriteChunk(stream);
}

// ---- Layout and planes ----------------------------------------------------------------------

void TPNGImage::RowLayout(uint32_t& rowBytes, uint32_t& bytesPerPixel) const
{
    rowBytes = bytesPerPixel = 0;
    if (!HasHeader())
        return;
    const TIHDRData& h = HeaderChunk()->Header;
    rowBytes = BytesForPixels(h.Width, h.ColorType, h.BitDepth);
    bytesPerPixel = BytesPerCompletePixel(h.ColorType, h.BitDepth);
}

uint8_t* TPNGImage::ImageRow(int y) const
{
    const TChunkIHDR* h = HeaderChunk();
    return h->ImageData() + size_t(h->BytesPerRow) * (h->Header.Height - 1 - uint32_t(y));
}

uint8_t* TPNGImage::AlphaRow(int y) const
{
    const TChunkIHDR* h = HeaderChunk();
    if (!h->AlphaPlane())
        return nullptr;
    return h->AlphaPlane() + size_t(h->Header.Width) * uint32_t(y);
}

uint8_t* TPNGImage::LowByteRow(int y) const
{
    const TChunkIHDR* h = HeaderChunk();
    if (!h->LowBytePlane())
        return nullptr;
    return h->LowBytePlane() + size_t(h->BytesPerRow) * (h->Header.Height - 1 - uint32_t(y));
}

TTransparencyMode TPNGImage::TransparencyMode() const
{
    const TChunkIHDR* h = HeaderChunk();
    const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
    switch (h->Header.ColorType) {
        case ctGray:
        case ctRGB:
            return trns ? ptmBit : ptmNone;
        case ctPalette:
            if (!trns)
                return ptmNone;
            return trns->BitTransparency ? ptmBit : ptmPartial;
        case ctGrayAlpha:
        case ctRGBAlpha:
            return ptmPartial;
        default:
            return ptmNone;
    }
}

uint32_t TPNGImage::TransparentColor() const
{
    const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
    return trns ? trns->GetKeyColor() : 0;
}

void TPNGImage::SetPaletteEntries(const std::vector<TPngRGB>& entries, bool copy)
{
    if (!HasHeader())
        return;
    TChunkIHDR* h = HeaderChunk();
    if (!h->HasPalette)
        return;
    if (copy)
        h->CopyPaletteToBitmapInfo(entries);
    if (h->Memory())
        h->Memory()->PaletteChanged(h->BitmapInfo);
}

// ---- Pixels ---------------------------------------------------------------------------------

namespace {
uint32_t ColorOf(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}
} // namespace

uint32_t TPNGImage::ReadPixel(int x, int y) const
{
    const TChunkIHDR* h = HeaderChunk();
    if (x < 0 || y < 0 || uint32_t(x) >= h->Header.Width || uint32_t(y) >= h->Header.Height)
        return 0;
    const uint8_t* row = ImageRow(y);
    const uint32_t b = h->HeldBitsPerPixel();
    switch (h->Header.ColorType) {
        case ctGray:
        case ctPalette: {
            const uint32_t perByte = 8 / b;
            const uint8_t v =
                uint8_t((row[uint32_t(x) / perByte] >> (8 - b - b * (uint32_t(x) % perByte))) &
                        ((1u << b) - 1));
            if (h->Header.ColorType == ctPalette) {
                const TChunkPLTE* palette = chunks_.Find<TChunkPLTE>();
                const TPngRGBQuad c = palette ? palette->Entry(v) : h->BitmapInfo.bmiColors[v];
                return ColorOf(c.rgbRed, c.rgbGreen, c.rgbBlue);
            }
            const uint8_t g =
                b == 1 ? GammaTable[v ? 255 : 0] : GammaTable[(v * ((1u << b) + 1)) & 0xFF];
            return ColorOf(g, g, g);
        }
        case ctGrayAlpha:
            return ColorOf(row[x], row[x], row[x]);
        default: {
            const uint8_t* p = row + 3 * x;
            return ColorOf(p[2], p[1], p[0]);
        }
    }
}

void TPNGImage::WritePixel(int x, int y, uint32_t color)
{
    TChunkIHDR* h = HeaderChunk();
    if (x < 0 || y < 0 || uint32_t(x) >= h->Header.Width || uint32_t(y) >= h->Header.Height)
        return;
    uint8_t* row = ImageRow(y);
    const uint8_t red = uint8_t(color), green = uint8_t(color >> 8), blue = uint8_t(color >> 16);
    switch (h->Header.ColorType) {
        case ctGray:
        case ctPalette: {
            // The nearest entry of the image's palette.
            const uint32_t used = std::min<uint32_t>(h->BitmapInfo.bmiHeader.biClrUsed, 256);
            uint32_t best = 0, bestDistance = UINT32_MAX;
            for (uint32_t i = 0; i < used; ++i) {
                const TPngRGBQuad& c = h->BitmapInfo.bmiColors[i];
                const int dr = int(c.rgbRed) - red, dg = int(c.rgbGreen) - green,
                          db = int(c.rgbBlue) - blue;
                const uint32_t distance = uint32_t(dr * dr + dg * dg + db * db);
                if (distance < bestDistance)
                    best = i, bestDistance = distance;
            }
            const uint32_t b = h->HeldBitsPerPixel();
            const uint32_t bit = uint32_t(x) * b;
            const uint32_t shift = 8 - b - (bit & 7);
            const uint8_t mask = uint8_t(((1u << b) - 1) << shift);
            row[bit >> 3] = uint8_t((row[bit >> 3] & ~mask) | ((best << shift) & mask));
            break;
        }
        case ctGrayAlpha:
            row[x] = red;
            break;
        default: {
            uint8_t* p = row + 3 * x;
            p[0] = blue, p[1] = green, p[2] = red;
            break;
        }
    }
}

void TPNGImage::SetImageSize(int width, int height)
{
    if (width < 1 || height < 1)
        throw EPNGInvalidNewSize();
    TChunkIHDR* h = HeaderChunk();
    if (width > 65535 || height > 65535)
        throw EPNGSizeExceeds();
    const uint32_t w = uint32_t(width), hgt = uint32_t(height);
    const uint32_t oldW = h->Header.Width, oldH = h->Header.Height;
    const uint32_t bits = h->HeldBitsPerPixel();
    const uint64_t newBytesPerRow = (uint64_t(bits) * w + 31) / 32 * 4;
    const uint64_t imageBytes = newBytesPerRow * hgt;
    const bool hasAlpha = h->AlphaPlane() != nullptr;
    const bool hasLow = h->LowBytePlane() != nullptr;
    if (imageBytes * (hasLow ? 2 : 1) + (hasAlpha ? uint64_t(w) * hgt : 0) > MaxImageMemoryBytes)
        throw EPNGOutMemory();

    TPngBitmapInfo info = h->BitmapInfo;
    info.bmiHeader.biWidth = int32_t(w);
    info.bmiHeader.biHeight = int32_t(hgt);
    std::unique_ptr<TImageMemory> memory = CreateImageMemory(info, imageBytes);
    if (!memory || !memory->Bits())
        throw EPNGOutMemory();
    uint8_t* alpha = hasAlpha ? AllocateZeroed(uint64_t(w) * hgt) : nullptr;
    uint8_t* low = hasLow ? AllocateZeroed(imageBytes) : nullptr;
    if ((hasAlpha && !alpha) || (hasLow && !low)) {
        std::free(alpha);
        std::free(low);
        throw EPNGOutMemory();
    }

    const uint32_t lines = std::min(hgt, oldH);
    const size_t rowCopy = size_t(std::min<uint64_t>(newBytesPerRow, h->BytesPerRow));
    auto newRow = [&](uint8_t* base, uint32_t y) {
        return base + size_t(newBytesPerRow) * (hgt - 1 - y);
    };
    for (uint32_t y = 0; y < lines; ++y)
        std::memcpy(newRow(memory->Bits(), y), ImageRow(int(y)), rowCopy);
    if (alpha) {
        std::memset(alpha, 255, size_t(w) * hgt);
        for (uint32_t y = 0; y < lines; ++y)
            std::memcpy(alpha + size_t(w) * y, AlphaRow(int(y)), std::min(w, oldW));
    }
    if (low) {
        for (uint32_t y = 0; y < lines; ++y)
            std::memcpy(newRow(low, y), LowByteRow(int(y)), rowCopy);
    }
    h->Header.Width = w;
    h->Header.Height = hgt;
    h->ReplaceImage(std::move(memory), info.bmiHeader, uint32_t(newBytesPerRow), alpha, low);
    if (h->HasPalette)
        h->Memory()->PaletteChanged(h->BitmapInfo);
}

// ---- Blending ------------------------------------------------------------------------------

void TPNGImage::BlendOnto(uint8_t* pixels, uint32_t width, uint32_t height) const
{
    const TChunkIHDR* h = HeaderChunk();
    const uint32_t imageW = h->Header.Width, imageH = h->Header.Height;
    const bool stretch = width != imageW || height != imageH;
    const double fx = stretch ? double(width) / imageW : 1.0;
    const double fy = stretch ? double(height) / imageH : 1.0;
    const uint32_t bits = h->HeldBitsPerPixel();
    const TChunktRNS* trns = chunks_.Find<TChunktRNS>();
    const TChunkPLTE* palette = chunks_.Find<TChunkPLTE>();
    auto blend = [](uint8_t& d, uint8_t s, uint32_t a) {
        d = uint8_t((s * a + (255 - a) * d + 255) >> 8);
    };
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t sy = std::min(stretch ? uint32_t(y / fy) : y, imageH - 1);
        const uint8_t* row = ImageRow(int(sy));
        const uint8_t* alpha = AlphaRow(int(sy));
        uint8_t* out = pixels + size_t(y) * width * 4;
        for (uint32_t x = 0; x < width; ++x, out += 4) {
            const uint32_t sx = std::min(stretch ? uint32_t(x / fx) : x, imageW - 1);
            uint8_t b, g, r;
            uint32_t a;
            if (bits == 24) {
                const uint8_t* p = row + 3 * sx;
                b = p[0], g = p[1], r = p[2];
                a = alpha ? alpha[sx] : 255;
                if (a == 0)
                    continue;
                if (a == 255) {
                    out[0] = b, out[1] = g, out[2] = r;
                    continue;
                }
            } else if (h->Header.ColorType == ctGrayAlpha) {
                b = g = r = row[sx];
                a = alpha[sx];
            } else {
                const uint32_t bit = sx * bits;
                const uint8_t index =
                    uint8_t((row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1));
                a = trns ? trns->AlphaTable[index] : 255;
                const TPngRGBQuad c =
                    palette ? palette->Entry(index) : h->BitmapInfo.bmiColors[index];
                b = c.rgbBlue, g = c.rgbGreen, r = c.rgbRed;
            }
            blend(out[0], b, a);
            blend(out[1], g, a);
            blend(out[2], r, a);
        }
    }
}

// ---- Copy -----------------------------------------------------------------------------------

void TPNGImage::AssignFrom(const TPNGImage& source)
{
    if (&source == this)
        return;
    interlaceMethod_ = source.interlaceMethod_;
    SetMaxIdatSize(source.maxIdatSize_);
    deflateLevel_ = source.deflateLevel_;
    filters_ = source.filters_;
    ClearChunks();
    // The gamma tables go with the samples they were applied to: without them a copy of a
    // gamma-corrected image would be saved without the inverse correction.
    std::memcpy(GammaTable, source.GammaTable, sizeof GammaTable);
    std::memcpy(InverseTable, source.InverseTable, sizeof InverseTable);
    for (size_t i = 0; i < source.chunks_.Count(); ++i) {
        const TChunk* original = source.chunks_.Chunk(i);
        TChunk* copy = original->NewOfSameClass(this);
        chunks_.Append(copy);
        copy->CopyFrom(*original);
    }
}

} // namespace png
