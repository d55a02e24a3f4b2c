#include "PngImageData.h"

#include "PngImage.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace classlib;

namespace png {

// ---- Row layout and filters -----------------------------------------------------------------

uint32_t BytesForPixels(uint32_t pixels, uint8_t colorType, uint8_t bitDepth)
{
    const uint64_t bits = uint64_t(pixels) * bitDepth;
    switch (colorType) {
        case ctGray:
        case ctPalette:
            return uint32_t((bits + 7) / 8);
        case ctRGB:
            return uint32_t(bits * 3 / 8);
        case ctGrayAlpha:
            return uint32_t(bits * 2 / 8);
        case ctRGBAlpha:
            return uint32_t(bits * 4 / 8);
        default:
            return 0;
    }
}

uint32_t BytesPerCompletePixel(uint8_t colorType, uint8_t bitDepth)
{
    switch (colorType) {
        case ctGray:
            return bitDepth == 16 ? 2 : 1;
        case ctPalette:
            return 1;
        case ctRGB:
            return bitDepth * 3u / 8;
        case ctGrayAlpha:
            return bitDepth / 4u;
        case ctRGBAlpha:
            return bitDepth / 2u;
        default:
            return 0;
    }
}

uint8_t PaethPredict(uint8_t left, uint8_t above, uint8_t upperLeft)
{
    const int p = int(left) + above - upperLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - above);
    const int pc = std::abs(p - upperLeft);
    if (pa <= pb && pa <= pc)
        return left;
    return pb <= pc ? above : upperLeft;
}

namespace {

// The reconstruction loops with the filter distance as a constant, so that the compiler
// can keep whole pixels in registers (0: any distance, given at run time).
template <uint32_t ConstBpp>
void UnfilterRowWith(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t rowBytes,
                     uint32_t runtimeBpp)
{
    const uint32_t bpp = ConstBpp ? ConstBpp : runtimeBpp;
    const uint32_t head = std::min(bpp, rowBytes);
    switch (filter) {
        case pfSub:
            for (uint32_t x = bpp; x < rowBytes; ++x)
                row[x] = uint8_t(row[x] + row[x - bpp]);
            break;
        case pfUp:
            for (uint32_t x = 0; x < rowBytes; ++x)
                row[x] = uint8_t(row[x] + prev[x]);
            break;
        case pfAverage:
            for (uint32_t x = 0; x < head; ++x)
                row[x] = uint8_t(row[x] + prev[x] / 2);
            for (uint32_t x = bpp; x < rowBytes; ++x)
                row[x] = uint8_t(row[x] + ((prev[x] + row[x - bpp]) >> 1));
            break;
        case pfPaeth:
            // With no pixel to the left, the predictor is the byte above.
            for (uint32_t x = 0; x < head; ++x)
                row[x] = uint8_t(row[x] + prev[x]);
            for (uint32_t x = bpp; x < rowBytes; ++x) {
                const int a = row[x - bpp], b = prev[x], c = prev[x - bpp];
                const int pa = std::abs(b - c);         // |p - a|
                const int pb = std::abs(a - c);         // |p - b|
                const int pc = std::abs(a + b - c - c); // |p - c|
                const int predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
                row[x] = uint8_t(row[x] + predicted);
            }
            break;
        default: // None, and unknown types leave the row as it is
            break;
    }
}

#if defined(__SSE2__)
// Paeth reconstruction of 3- and 4-byte pixels, one pixel per step with its bytes side by side
// in 16-bit lanes; the same choice as the scalar loop (ties to the left, then above).
template <uint32_t Bpp>
void UnfilterPaethSse2(uint8_t* row, const uint8_t* prev, uint32_t rowBytes)
{
    auto load = [](const uint8_t* p) {
        uint32_t v = 0;
        std::memcpy(&v, p, Bpp);
        return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), _mm_setzero_si128());
    };
    auto absolute = [](__m128i x) {
        return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
    };
    auto select = [](__m128i mask, __m128i yes, __m128i no) {
        return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
    };
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
    for (uint32_t x = 0; x + Bpp <= rowBytes; x += Bpp) {
        const __m128i b = load(prev + x);
        const __m128i pa = absolute(_mm_sub_epi16(b, c));
        const __m128i pb = absolute(_mm_sub_epi16(a, c));
        const __m128i pc = absolute(_mm_add_epi16(_mm_sub_epi16(b, c), _mm_sub_epi16(a, c)));
        const __m128i smallest = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
        __m128i predicted = select(_mm_cmpeq_epi16(smallest, pb), b, c);
        predicted = select(_mm_cmpeq_epi16(smallest, pa), a, predicted);
        const __m128i sum = _mm_add_epi8(_mm_packus_epi16(predicted, predicted),
                                         _mm_packus_epi16(load(row + x), load(row + x)));
        const uint32_t bytes = uint32_t(_mm_cvtsi128_si32(sum));
        std::memcpy(row + x, &bytes, Bpp);
        a = _mm_unpacklo_epi8(sum, _mm_setzero_si128());
        c = b;
    }
}
#endif

} // namespace

void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t rowBytes, uint32_t bpp)
{
#if defined(__SSE2__)
    if (filter == pfPaeth && bpp == 4)
        return UnfilterPaethSse2<4>(row, prev, rowBytes);
    if (filter == pfPaeth && bpp == 3)
        return UnfilterPaethSse2<3>(row, prev, rowBytes);
#endif
    switch (bpp) {
        case 1:
            UnfilterRowWith<1>(filter, row, prev, rowBytes, bpp);
            break;
        case 2:
            UnfilterRowWith<2>(filter, row, prev, rowBytes, bpp);
            break;
        case 3:
            UnfilterRowWith<3>(filter, row, prev, rowBytes, bpp);
            break;
        case 4:
            UnfilterRowWith<4>(filter, row, prev, rowBytes, bpp);
            break;
        case 6:
            UnfilterRowWith<6>(filter, row, prev, rowBytes, bpp);
            break;
        case 8:
            UnfilterRowWith<8>(filter, row, prev, rowBytes, bpp);
            break;
        default:
            UnfilterRowWith<0>(filter, row, prev, rowBytes, bpp);
            break;
    }
}

uint32_t PassPixels(const TAdam7Pass& pass, uint32_t width)
{
    return width > pass.columnStart
               ? (width - pass.columnStart + pass.columnStep - 1) / pass.columnStep
               : 0;
}

// ---- Image memory ---------------------------------------------------------------------------

uint8_t* AllocateZeroed(uint64_t size)
{
    if (size == 0 || size > MaxImageMemoryBytes)
        return nullptr;
    return static_cast<uint8_t*>(std::calloc(size_t(size), 1));
}

void TChunkIHDR::FreeDeleter::operator()(uint8_t* p) const
{
    std::free(p);
}

std::vector<TPngRGB> GrayPalette(const uint8_t gamma[256], uint32_t bits)
{
    const uint32_t levels = bits >= 8 ? 256 : (1u << bits);
    std::vector<TPngRGB> entries(levels);
    for (uint32_t i = 0; i < levels; ++i) {
        // MulDiv(i, 255, levels - 1), rounded.
        const uint32_t level = (i * 255 + (levels - 1) / 2) / (levels - 1);
        const uint8_t g = gamma[level];
        entries[i] = {g, g, g};
    }
    return entries;
}

namespace {

// Bits per pixel the image memory holds for a colour type and bit depth; 0 when the pair
// does not exist.
uint32_t HeldBitsPerPixel(uint8_t colorType, uint8_t bitDepth)
{
    struct Row {
        uint8_t colorType, bitDepth, heldBits;
    };
    static constexpr Row table[] = {
        {ctGray, 1, 1},       {ctGray, 2, 4},      {ctGray, 4, 4},      {ctGray, 8, 8},
        {ctGray, 16, 8},      {ctPalette, 1, 1},   {ctPalette, 2, 4},   {ctPalette, 4, 4},
        {ctPalette, 8, 8},    {ctRGB, 8, 24},      {ctRGB, 16, 24},     {ctGrayAlpha, 8, 8},
        {ctGrayAlpha, 16, 8}, {ctRGBAlpha, 8, 24}, {ctRGBAlpha, 16, 24}};
    for (const Row& row : table)
        if (row.colorType == colorType && row.bitDepth == bitDepth)
            return row.heldBits;
    return 0;
}

} // namespace

// ---- Header chunk ---------------------------------------------------------------------------

CLASSLIB_PUBLISH(TChunkIHDR) {}

TChunkIHDR::~TChunkIHDR()
{
    FreeImage();
}

void TChunkIHDR::FreeImage()
{
    memory_.reset();
    imageData_ = nullptr;
    alpha_.reset();
    lowBytes_.reset();
}

void TChunkIHDR::ReplaceImage(std::unique_ptr<TImageMemory> memory,
                              const TPngBitmapInfoHeader& info, uint32_t bytesPerRow,
                              uint8_t* alpha, uint8_t* lowBytes)
{
    memory_ = std::move(memory);
    imageData_ = memory_ ? memory_->Bits() : nullptr;
    alpha_.reset(alpha);
    lowBytes_.reset(lowBytes);
    BitmapInfo.bmiHeader = info;
    BytesPerRow = bytesPerRow;
}

void TChunkIHDR::CopyPaletteToBitmapInfo(const std::vector<TPngRGB>& entries)
{
    const size_t count = std::min<size_t>(entries.size(), 256);
    for (size_t i = 0; i < count; ++i)
        BitmapInfo.bmiColors[i] = {entries[i].blue, entries[i].green, entries[i].red, 0};
    BitmapInfo.bmiHeader.biClrUsed = uint32_t(count);
}

void TChunkIHDR::PrepareImage()
{
    BitmapInfo = {};
    FreeImage();
    const uint32_t bits = png::HeldBitsPerPixel(Header.ColorType, Header.BitDepth);
    if (bits == 0 || Header.Width == 0 || Header.Height == 0)
        throw EPngInvalidIHDR();
    HasPalette = Header.ColorType == ctGray || Header.ColorType == ctPalette ||
                 Header.ColorType == ctGrayAlpha;

    TPngBitmapInfoHeader& info = BitmapInfo.bmiHeader;
    info.biSize = 40;
    info.biWidth = int32_t(Header.Width);
    info.biHeight = int32_t(Header.Height);
    info.biPlanes = 1;
    info.biBitCount = uint16_t(bits);

    // Everything in 64 bits and against a limit before anything is allocated: 65535 ×
    // 65535 pixels would wrap 32-bit sizes.
    const uint64_t bytesPerRow = (uint64_t(bits) * Header.Width + 31) / 32 * 4;
    const uint64_t imageBytes = bytesPerRow * Header.Height;
    const bool hasAlpha = Header.ColorType == ctGrayAlpha || Header.ColorType == ctRGBAlpha;
    const uint64_t alphaBytes = hasAlpha ? uint64_t(Header.Width) * Header.Height : 0;
    const uint64_t lowBytes = Header.BitDepth == 16 ? imageBytes : 0;
    if (imageBytes + alphaBytes + lowBytes > MaxImageMemoryBytes)
        throw EPNGOutMemory();
    BytesPerRow = uint32_t(bytesPerRow);

    if (hasAlpha) {
        alpha_.reset(AllocateZeroed(alphaBytes));
        if (!alpha_)
            throw EPNGOutMemory();
    }
    if (lowBytes) {
        lowBytes_.reset(AllocateZeroed(lowBytes));
        if (!lowBytes_)
            throw EPNGOutMemory();
    }
    if (HasPalette) {
        std::vector<TPngRGB> entries;
        if (Header.ColorType != ctPalette)
            entries = GrayPalette(Owner()->GammaTable, Header.BitDepth);
        entries.resize(size_t(1) << bits);
        CopyPaletteToBitmapInfo(entries);
    }
    memory_ = Owner()->CreateImageMemory(BitmapInfo, imageBytes);
    if (!memory_ || !memory_->Bits()) {
        FreeImage();
        throw EPNGOutMemory();
    }
    imageData_ = memory_->Bits();
    if (HasPalette)
        memory_->PaletteChanged(BitmapInfo);
}

bool TChunkIHDR::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() < 13)
        throw EPngInvalidIHDR();
    const uint8_t* d = Data();
    Header.Width = ReadBigEndian32(d);
    Header.Height = ReadBigEndian32(d + 4);
    Header.BitDepth = d[8];
    Header.ColorType = d[9];
    Header.CompressionMethod = d[10];
    Header.FilterMethod = d[11];
    Header.InterlaceMethod = d[12];
    if (Header.Width > 65535 || Header.Height > 65535)
        throw EPNGSizeExceeds();
    if (Header.CompressionMethod != 0)
        throw EPNGUnknownCompression();
    if (Header.InterlaceMethod > 1)
        throw EPNGUnknownInterlace();
    Owner()->SetInterlaceMethod(Header.InterlaceMethod);
    PrepareImage();
    return true;
}

bool TChunkIHDR::WriteChunk(TStream& stream)
{
    // The image holds 2-bit samples with 4 bits per pixel and writes them that way.
    if (Header.BitDepth == 2)
        Header.BitDepth = 4;
    SetDataSize(13);
    uint8_t* d = Data();
    WriteBigEndian32(d, Header.Width);
    WriteBigEndian32(d + 4, Header.Height);
    d[8] = Header.BitDepth;
    d[9] = Header.ColorType;
    d[10] = Header.CompressionMethod;
    d[11] = Header.FilterMethod;
    d[12] = Owner()->InterlaceMethod();
    return WriteRawChunk(stream);
}

void TChunkIHDR::CopyFrom(const TChunk& source)
{
    const auto* other = dynamic_cast<const TChunkIHDR*>(&source);
    if (!other)
        throw EPngError(messages::IncompatibleChunks);
    Header = other->Header;
    PrepareImage();
    std::memcpy(imageData_, other->imageData_, size_t(BytesPerRow) * Header.Height);
    if (alpha_ && other->alpha_)
        std::memcpy(alpha_.get(), other->alpha_.get(), size_t(Header.Width) * Header.Height);
    std::memcpy(BitmapInfo.bmiColors, other->BitmapInfo.bmiColors, sizeof BitmapInfo.bmiColors);
    if (HasPalette) {
        BitmapInfo.bmiHeader.biClrUsed = other->BitmapInfo.bmiHeader.biClrUsed;
        memory_->PaletteChanged(BitmapInfo);
    }
}

// ---- Image data: shared row work ------------------------------------------------------------

namespace {

// The pixel format of the rows of one image, in the encoded and the held form.
struct TRowFormat {
    TRowFormat(TPNGImage& image, TChunkIHDR& header)
        : image(image),
          header(header),
          width(header.Header.Width),
          height(header.Header.Height),
          colorType(header.Header.ColorType),
          depth(header.Header.BitDepth),
          heldBits(header.HeldBitsPerPixel())
    {
        image.RowLayout(fullRowBytes, bpp);
        identityGamma = true;
        for (int i = 0; i < 256; ++i)
            identityGamma = identityGamma && image.GammaTable[i] == i;
    }

    TPNGImage& image;
    TChunkIHDR& header;
    uint32_t width, height;
    uint8_t colorType, depth;
    uint32_t heldBits;
    uint32_t fullRowBytes = 0, bpp = 0;
    bool identityGamma = false;
};

// 8-bit RGB or RGBA samples (Channels 3 or 4) into blue, green, red without a gamma table:
// one 32-bit store per pixel, whose fourth byte the next pixel overwrites (the last pixel is
// stored byte by byte, as its fourth byte may belong to the next line).
template <uint32_t Channels>
void StoreColorsUnchanged(const uint8_t* src, uint8_t* dst, uint8_t* alpha, uint32_t pixels)
{
    for (uint32_t i = 0; i + 1 < pixels; ++i, src += Channels, dst += 3) {
        const uint32_t bgr = uint32_t(src[2]) | uint32_t(src[1]) << 8 | uint32_t(src[0]) << 16;
        std::memcpy(dst, &bgr, 4);
        if (Channels == 4)
            alpha[i] = src[3];
    }
    if (pixels > 0) {
        dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
        if (Channels == 4)
            alpha[pixels - 1] = src[3];
    }
}

// A held sub-byte value at column `col` of a row of `bits` bits per pixel.
inline uint8_t HeldValue(const uint8_t* row, uint32_t col, uint32_t bits)
{
    const uint32_t bit = col * bits;
    return uint8_t((row[bit >> 3] >> (8 - bits - (bit & 7))) & ((1u << bits) - 1));
}

inline void PutHeldValue(uint8_t* row, uint32_t col, uint32_t bits, uint8_t value)
{
    const uint32_t bit = col * bits;
    const uint32_t shift = 8 - bits - (bit & 7);
    const uint8_t mask = uint8_t(((1u << bits) - 1) << shift);
    row[bit >> 3] = uint8_t((row[bit >> 3] & ~mask) | ((value << shift) & mask));
}

// Copies one decoded row (pass pixels at columns colStart + i × colStep) into the image
// memory, the alpha plane and the low-byte plane of line y.
void StoreRow(const TRowFormat& f, const uint8_t* src, uint32_t pixels, uint32_t y,
              uint32_t colStart, uint32_t colStep)
{
    uint8_t* dst = f.image.ImageRow(int(y));
    uint8_t* alpha = f.image.AlphaRow(int(y));
    uint8_t* low = f.depth == 16 ? f.image.LowByteRow(int(y)) : nullptr;
    const uint8_t* gamma = f.image.GammaTable;

    switch (f.colorType) {
        case ctGray:
        case ctPalette:
            if (f.depth == 16) {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    dst[c] = src[2 * i];
                    low[c] = src[2 * i + 1];
                }
            } else if (f.depth == f.heldBits && colStep == 1) {
                std::memcpy(dst, src, BytesForPixels(pixels, f.colorType, f.depth));
            } else if (f.depth == 8) {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep)
                    dst[c] = src[i];
            } else {
                // Sub-byte samples; 2-bit ones are held with 4 bits: a palette index keeps its
                // value, a gray sample p becomes 5 × p, the same level on the 16-step gray ramp
                // (so white stays white).
                const uint8_t scale = (f.depth == 2 && f.colorType == ctGray) ? 5 : 1;
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep)
                    PutHeldValue(dst, c, f.heldBits, uint8_t(HeldValue(src, i, f.depth) * scale));
            }
            break;
        case ctRGB:
            if (f.depth == 8 && colStep == 1 && f.identityGamma) {
                StoreColorsUnchanged<3>(src, dst, nullptr, pixels);
            } else if (f.depth == 8) {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    uint8_t* d = dst + 3 * c;
                    const uint8_t* s = src + 3 * i;
                    d[0] = gamma[s[2]];
                    d[1] = gamma[s[1]];
                    d[2] = gamma[s[0]];
                }
            } else {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    uint8_t* d = dst + 3 * c;
                    uint8_t* l = low + 3 * c;
                    const uint8_t* s = src + 6 * i;
                    d[0] = gamma[s[4]], d[1] = gamma[s[2]], d[2] = gamma[s[0]];
                    l[0] = gamma[s[5]], l[1] = gamma[s[3]], l[2] = gamma[s[1]];
                }
            }
            break;
        case ctGrayAlpha:
            if (f.depth == 8) {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    dst[c] = src[2 * i];
                    alpha[c] = src[2 * i + 1];
                }
            } else {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    dst[c] = src[4 * i];
                    low[c] = src[4 * i + 1];
                    alpha[c] = src[4 * i + 2];
                }
            }
            break;
        case ctRGBAlpha:
            if (f.depth == 8 && colStep == 1 && f.identityGamma) {
                StoreColorsUnchanged<4>(src, dst, alpha, pixels);
            } else if (f.depth == 8) {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    uint8_t* d = dst + 3 * c;
                    const uint8_t* s = src + 4 * i;
                    d[0] = gamma[s[2]];
                    d[1] = gamma[s[1]];
                    d[2] = gamma[s[0]];
                    alpha[c] = s[3];
                }
            } else {
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                    uint8_t* d = dst + 3 * c;
                    uint8_t* l = low + 3 * c;
                    const uint8_t* s = src + 8 * i;
                    d[0] = gamma[s[4]], d[1] = gamma[s[2]], d[2] = gamma[s[0]];
                    l[0] = gamma[s[5]], l[1] = gamma[s[3]], l[2] = gamma[s[1]];
                    alpha[c] = s[6];
                }
            }
            break;
    }
}

// Packs the pass pixels of line y into a PNG row (the inverse of StoreRow; 16-bit samples
// are written with the held byte high and 0 low).
void PackRow(const TRowFormat& f, uint8_t* out, uint32_t pixels, uint32_t y, uint32_t colStart,
             uint32_t colStep)
{
    const uint8_t* src = f.image.ImageRow(int(y));
    const uint8_t* alpha = f.image.AlphaRow(int(y));
    const uint8_t* inverse = f.image.InverseTable;
    const uint32_t sampleBytes = f.depth == 16 ? 2 : 1;
    auto put = [&](uint8_t*& p, uint8_t value) {
        *p++ = value;
        if (sampleBytes == 2)
            *p++ = 0;
    };

    switch (f.colorType) {
        case ctGray:
        case ctPalette:
            if (f.heldBits == 8) {
                uint8_t* p = out;
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep)
                    put(p, src[c]);
            } else if (colStep == 1) {
                std::memcpy(out, src, BytesForPixels(pixels, f.colorType, uint8_t(f.heldBits)));
            } else {
                std::memset(out, 0, BytesForPixels(pixels, f.colorType, uint8_t(f.heldBits)));
                for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep)
                    PutHeldValue(out, i, f.heldBits, HeldValue(src, c, f.heldBits));
            }
            break;
        case ctRGB:
        case ctRGBAlpha: {
            uint8_t* p = out;
            for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                const uint8_t* s = src + 3 * c;
                put(p, inverse[s[2]]);
                put(p, inverse[s[1]]);
                put(p, inverse[s[0]]);
                if (f.colorType == ctRGBAlpha)
                    put(p, alpha[c]);
            }
            break;
        }
        case ctGrayAlpha: {
            uint8_t* p = out;
            for (uint32_t i = 0, c = colStart; i < pixels; ++i, c += colStep) {
                put(p, src[c]);
                put(p, alpha[c]);
            }
            break;
        }
    }
}

// ---- Decoding -------------------------------------------------------------------------------

constexpr uint32_t InputBlockSize = 65535;

// Reads the compressed data of consecutive "IDAT" chunks in blocks, checks each chunk's CRC
// and inflates into the row buffers.
class TInflater {
public:
    TInflater(TStream& stream, const uint8_t name[4], uint32_t size)
        : stream_(stream), input_(InputBlockSize)
    {
        crc_ = UpdateCrc(0xFFFFFFFFu, name, 4);
        end_ = stream.Position() + size;
        const int result = inflateInit(&z_);
        if (result != Z_OK)
            throw EPNGZLIBError(result);
    }
    ~TInflater() { inflateEnd(&z_); }

    // Fills `count` bytes; answers how many were delivered (fewer when the data ends).
    uint32_t Read(uint8_t* buffer, uint32_t count)
    {
        z_.next_out = buffer;
        z_.avail_out = count;
        while (z_.avail_out > 0 && !finished_) {
            if (z_.avail_in == 0) {
                const int64_t position = stream_.Position();
                if (position >= end_) {
                    CheckCrc();
                    NextChunk();
                    continue;
                }
                const auto want = uint32_t(std::min<int64_t>(InputBlockSize, end_ - position));
                const auto got = uint32_t(stream_.Read(input_.data(), want));
                if (got == 0)
                    break;
                crc_ = UpdateCrc(crc_, input_.data(), got);
                z_.next_in = input_.data();
                z_.avail_in = got;
            }
            const int result = inflate(&z_, Z_NO_FLUSH);
            if (result < 0)
                throw EPNGZLIBError(result);
            // The end of the zlib stream, or a dictionary request, before the image is
            // complete: the rest of the image stays empty rather than inflating again.
            if (result == Z_STREAM_END || result == Z_NEED_DICT)
                finished_ = true;
        }
        return count - z_.avail_out;
    }

    // After the last row: the rest of the current chunk's data goes through the CRC, then
    // the chunk's CRC is compared.
    void Finish()
    {
        int64_t position = stream_.Position();
        while (position < end_) {
            const auto want = uint32_t(std::min<int64_t>(InputBlockSize, end_ - position));
            const auto got = uint32_t(stream_.Read(input_.data(), want));
            if (got == 0)
                throw EPngUnexpectedEnd();
            crc_ = UpdateCrc(crc_, input_.data(), got);
            position += got;
        }
        CheckCrc();
    }

private:
    void CheckCrc()
    {
        uint8_t stored[4];
        if (stream_.Read(stored, 4) != 4)
            throw EPngUnexpectedEnd();
        if (ReadBigEndian32(stored) != ~crc_)
            throw EPngInvalidCRC();
    }

    void NextChunk()
    {
        uint8_t field[8];
        if (stream_.Read(field, 8) != 8)
            throw EPngUnexpectedEnd();
        if (ChunkNameText(field + 4) != "IDAT")
            throw EPNGMissingMultipleIDAT();
        const uint32_t length = ReadBigEndian32(field);
        if (length > MaxChunkLength)
            throw EPngUnexpectedEnd();
        crc_ = UpdateCrc(0xFFFFFFFFu, field + 4, 4);
        end_ = stream_.Position() + length;
    }

    TStream& stream_;
    z_stream z_{};
    std::vector<uint8_t> input_;
    uint32_t crc_;
    int64_t end_;
    bool finished_ = false;
};

} // namespace

CLASSLIB_PUBLISH(TChunkIDAT) {}

bool TChunkIDAT::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    TChunkIHDR* header = HeaderChunk();
    if (!header || !header->ImageData())
        throw EPNGHeaderNotPresent();
    TPNGImage& image = *Owner();
    const uint8_t colorType = header->Header.ColorType;
    if (colorType == ctGray || colorType == ctGrayAlpha)
        image.SetPaletteEntries(GrayPalette(image.GammaTable, header->HeldBitsPerPixel()));

    const TRowFormat format(image, *header);
    TInflater inflater(stream, name, size);
    std::vector<uint8_t> rows[2] = {std::vector<uint8_t>(format.fullRowBytes + 1),
                                    std::vector<uint8_t>(format.fullRowBytes + 1)};
    int current = 1; // the zeroed buffer 0 is the previous row of the first line

    auto decodePass = [&](const TAdam7Pass& pass) {
        const uint32_t pixels = PassPixels(pass, format.width);
        const uint32_t rowBytes = BytesForPixels(pixels, colorType, format.depth);
        std::fill(rows[1 - current].begin(), rows[1 - current].end(), 0);
        if (rowBytes == 0)
            return;
        for (uint32_t y = pass.rowStart; y < format.height; y += pass.rowStep) {
            uint8_t* row = rows[current].data();
            if (inflater.Read(row, rowBytes + 1) != rowBytes + 1)
                return;
            UnfilterRow(row[0], row + 1, rows[1 - current].data() + 1, rowBytes, format.bpp);
            StoreRow(format, row + 1, pixels, y, pass.columnStart, pass.columnStep);
            current = 1 - current;
        }
    };
    if (header->Header.InterlaceMethod == 0) {
        decodePass(TAdam7Pass{0, 0, 1, 1});
    } else {
        for (const TAdam7Pass& pass : Adam7Passes)
            decodePass(pass);
    }
    inflater.Finish();
    return true;
}

// ---- Encoding -------------------------------------------------------------------------------

namespace {

// Deflates the filtered rows and writes the output as "IDAT" chunks of the maximum size.
class TDeflater {
public:
    TDeflater(TStream& stream, int level, uint32_t chunkSize) : stream_(stream), output_(chunkSize)
    {
        const int result = deflateInit(&z_, level);
        if (result != Z_OK)
            throw EPNGZLIBError(result, messages::DeflateError);
        started_ = true;
        ResetOutput();
    }
    ~TDeflater()
    {
        if (started_)
            deflateEnd(&z_);
    }

    void Write(const uint8_t* bytes, uint32_t count)
    {
        z_.next_in = const_cast<uint8_t*>(bytes);
        z_.avail_in = count;
        while (z_.avail_in > 0)
            Deflate(Z_NO_FLUSH);
    }

    void Flush()
    {
        while (Deflate(Z_FINISH) != Z_STREAM_END) {
        }
        if (z_.avail_out < output_.size())
            WriteIdat(uint32_t(output_.size() - z_.avail_out));
    }

private:
    int Deflate(int flush)
    {
        // Every result is checked: a deflater that fails must stop the save rather than
        // leave a damaged image behind.
        const int result = deflate(&z_, flush);
        if (result != Z_OK && result != Z_STREAM_END)
            throw EPNGZLIBError(result, messages::DeflateError);
        if (z_.avail_out == 0) {
            WriteIdat(uint32_t(output_.size()));
        }
        return result;
    }

    void WriteIdat(uint32_t count)
    {
        static const uint8_t name[4] = {'I', 'D', 'A', 'T'};
        WriteChunkBytes(stream_, name, output_.data(), count);
        ResetOutput();
    }

    void ResetOutput()
    {
        z_.next_out = output_.data();
        z_.avail_out = uInt(output_.size());
    }

    TStream& stream_;
    z_stream z_{};
    std::vector<uint8_t> output_;
    bool started_ = false;
};

// Filters the current raw row with every filter of the set and chooses the one to write.
class TFilterChooser {
public:
    TFilterChooser(TFilterSet filters, uint32_t rowBytes, uint32_t bpp)
        : filters_(filters), bpp_(bpp), previous_(rowBytes), current_(rowBytes)
    {
        for (int t = pfSub; t <= pfPaeth; ++t)
            if (filters & FilterBit(TFilter(t)))
                outputs_[t].resize(rowBytes);
    }

    uint8_t* Current() { return current_.data(); }
    void StartPass(uint32_t rowBytes) { std::fill_n(previous_.begin(), rowBytes, 0); }

    // Answers the filter type and its output row.
    TFilter Choose(uint32_t rowBytes, const uint8_t*& output)
    {
        const uint8_t* cur = current_.data();
        const uint8_t* prev = previous_.data();
        auto left = [&](uint32_t i) { return i >= bpp_ ? cur[i - bpp_] : uint8_t(0); };
        auto upperLeft = [&](uint32_t i) { return i >= bpp_ ? prev[i - bpp_] : uint8_t(0); };
        if (!outputs_[pfSub].empty())
            for (uint32_t i = 0; i < rowBytes; ++i)
                outputs_[pfSub][i] = uint8_t(cur[i] - left(i));
        if (!outputs_[pfUp].empty())
            for (uint32_t i = 0; i < rowBytes; ++i)
                outputs_[pfUp][i] = uint8_t(cur[i] - prev[i]);
        if (!outputs_[pfAverage].empty())
            for (uint32_t i = 0; i < rowBytes; ++i)
                outputs_[pfAverage][i] = uint8_t(cur[i] - ((prev[i] + left(i)) >> 1));
        if (!outputs_[pfPaeth].empty())
            for (uint32_t i = 0; i < rowBytes; ++i)
                outputs_[pfPaeth][i] =
                    uint8_t(cur[i] - PaethPredict(left(i), prev[i], upperLeft(i)));
        // The raw row is the None output from here on, and the previous row of the next line.
        std::copy_n(current_.begin(), rowBytes, previous_.begin());

        TFilter chosen = pfNone;
        if ((filters_ & 0x1F) != 0 && (filters_ & 0x1F) != FilterBit(pfNone)) {
            uint32_t best = 0;
            for (int t = pfNone; t <= pfPaeth; ++t) {
                if (!(filters_ & FilterBit(TFilter(t))))
                    continue;
                if ((filters_ & 0x1F) == FilterBit(TFilter(t))) {
                    chosen = TFilter(t);
                    break;
                }
                const uint32_t score = Score(OutputOf(TFilter(t)), rowBytes);
                if (score > best) {
                    best = score;
                    chosen = TFilter(t);
                }
            }
        }
        output = OutputOf(chosen);
        return chosen;
    }

private:
    const uint8_t* OutputOf(TFilter t) const
    {
        return t == pfNone ? previous_.data() : outputs_[t].data();
    }

    // Positions whose byte repeats one of the two bytes before it: rows that repeat
    // compress better.
    static uint32_t Score(const uint8_t* out, uint32_t rowBytes)
    {
        uint32_t score = 0;
        for (uint32_t j = 2; j < rowBytes; ++j)
            if (out[j] == out[j - 1] || out[j] == out[j - 2])
                ++score;
        return score;
    }

    TFilterSet filters_;
    uint32_t bpp_;
    std::vector<uint8_t> previous_, current_;
    std::vector<uint8_t> outputs_[5];
};

} // namespace

bool TChunkIDAT::WriteChunk(TStream& stream)
{
    TChunkIHDR* header = HeaderChunk();
    if (!header || !header->ImageData())
        throw EPNGHeaderNotPresent();
    TPNGImage& image = *Owner();
    if (header->Header.BitDepth == 2)
        header->Header.BitDepth = 4; // held with 4 bits per pixel, written that way
    const TRowFormat format(image, *header);
    TFilterChooser chooser(image.Filters(), format.fullRowBytes, format.bpp);
    TDeflater deflater(stream, image.DeflateLevel(), image.MaxIdatSize());

    auto encodePass = [&](const TAdam7Pass& pass) {
        const uint32_t pixels = PassPixels(pass, format.width);
        const uint32_t rowBytes = BytesForPixels(pixels, format.colorType, format.depth);
        chooser.StartPass(rowBytes);
        if (rowBytes == 0)
            return;
        for (uint32_t y = pass.rowStart; y < format.height; y += pass.rowStep) {
            PackRow(format, chooser.Current(), pixels, y, pass.columnStart, pass.columnStep);
            const uint8_t* output = nullptr;
            const uint8_t filter = chooser.Choose(rowBytes, output);
            deflater.Write(&filter, 1);
            deflater.Write(output, rowBytes);
        }
    };
    if (image.InterlaceMethod() == 0) {
        encodePass(TAdam7Pass{0, 0, 1, 1});
    } else {
        for (const TAdam7Pass& pass : Adam7Passes)
            encodePass(pass);
    }
    deflater.Flush();
    return true;
}

} // namespace png
