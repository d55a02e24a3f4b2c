#pragma once
// The header chunk with the decoded image memory, and the image-data chunk that decodes the
// filtered, possibly interlaced rows of every "IDAT" chunk into it and encodes them again.
// Portable: the image memory is laid out as a bottom-up device-independent bitmap, and the
// Windows graphic object supplies it as a DIB section (TPNGImage::CreateImageMemory).
#include "PngChunk.h"

#include <cstdint>
#include <memory>

namespace png {

// ---- Image memory ---------------------------------------------------------------------------

// The 40-byte bitmap information header, field for field (the Windows graphic object hands
// it to GDI as it is).
struct TPngBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(TPngBitmapInfoHeader) == 40);

struct TPngRGBQuad {
    uint8_t rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct TPngBitmapInfo {
    TPngBitmapInfoHeader bmiHeader;
    TPngRGBQuad bmiColors[256];
};

struct TPngRGB {
    uint8_t red, green, blue;
};

// The pixel memory of an image: bytes per row × height bytes, zeroed when created.
class TImageMemory {
public:
    virtual ~TImageMemory() = default;
    virtual uint8_t* Bits() = 0;
    // The colour table of a palette image changed (the graphic object's palette follows it).
    virtual void PaletteChanged(const TPngBitmapInfo&) {}
};

// The largest image memory (pixels, alpha and low-byte planes together) the codec creates;
// a header asking for more raises EPNGOutMemory instead of allocating.
inline constexpr uint64_t MaxImageMemoryBytes = uint64_t(512) << 20;

// ---- Row layout and filters -----------------------------------------------------------------

// Bytes of `pixels` pixels in a PNG row; 0 for an unknown colour type.
uint32_t BytesForPixels(uint32_t pixels, uint8_t colorType, uint8_t bitDepth);
// Bytes of one complete pixel in a PNG row: the filter distance.
uint32_t BytesPerCompletePixel(uint8_t colorType, uint8_t bitDepth);
uint8_t PaethPredict(uint8_t left, uint8_t above, uint8_t upperLeft);

// PNG filter types and the filter set: bit n of the byte stands for filter type n.
enum TFilter : uint8_t { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
using TFilterSet = uint8_t;
constexpr TFilterSet FilterBit(TFilter f)
{
    return TFilterSet(1u << f);
}
inline constexpr TFilterSet DefaultFilterSet = FilterBit(pfSub);

// Undoes the filter of one row in place (`row` without its filter byte); filter types above 4
// leave it unchanged.
void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* previous, uint32_t rowBytes,
                 uint32_t bpp);

// Adam7 passes of the PNG standard.
struct TAdam7Pass {
    uint32_t rowStart, columnStart, rowStep, columnStep;
};
inline constexpr TAdam7Pass Adam7Passes[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4},
                                              {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2},
                                              {1, 0, 2, 1}};
// Pixels of one line of the pass in an image `width` pixels wide.
uint32_t PassPixels(const TAdam7Pass& pass, uint32_t width);

// ---- Header chunk ---------------------------------------------------------------------------

struct TIHDRData {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint8_t BitDepth = 0;
    uint8_t ColorType = 0;
    uint8_t CompressionMethod = 0;
    uint8_t FilterMethod = 0;
    uint8_t InterlaceMethod = 0;
};

enum : uint8_t { ctGray = 0, ctRGB = 2, ctPalette = 3, ctGrayAlpha = 4, ctRGBAlpha = 6 };

class TChunkIHDR : public TChunk {
    PNG_CHUNK_CLASS(TChunkIHDR, TChunk)
    explicit TChunkIHDR(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    ~TChunkIHDR() override;

    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;

    // (Re)creates the image memory from the header record; raises EPngInvalidIHDR for a
    // zero side or a bit depth the colour type does not have, EPNGOutMemory when the image
    // cannot be held.
    void PrepareImage();
    void FreeImage();
    // Takes up to 256 entries into the colour table; the colours-used count is their number.
    void CopyPaletteToBitmapInfo(const std::vector<TPngRGB>& entries);

    TIHDRData Header;
    TPngBitmapInfo BitmapInfo{};
    uint32_t BytesPerRow = 0;
    bool HasPalette = false;

    uint8_t* ImageData() const { return imageData_; }
    uint8_t* AlphaPlane() const { return alpha_.get(); }
    uint8_t* LowBytePlane() const { return lowBytes_.get(); }
    TImageMemory* Memory() const { return memory_.get(); }
    // Bits per pixel of the image memory (4 for 2-bit images, 8 for 16-bit gray).
    uint32_t HeldBitsPerPixel() const { return BitmapInfo.bmiHeader.biBitCount; }
    // Replaces the image memory and planes (resizing).
    void ReplaceImage(std::unique_ptr<TImageMemory> memory, const TPngBitmapInfoHeader& info,
                      uint32_t bytesPerRow, uint8_t* alpha, uint8_t* lowBytes);

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<TImageMemory> memory_;
    uint8_t* imageData_ = nullptr;
    std::unique_ptr<uint8_t, FreeDeleter> alpha_;
    std::unique_ptr<uint8_t, FreeDeleter> lowBytes_;
};

// A zeroed heap buffer (calloc, released with free), or null when it cannot be had.
uint8_t* AllocateZeroed(uint64_t size);

// The gray ramp of 2^bits levels through the gamma table.
std::vector<TPngRGB> GrayPalette(const uint8_t gamma[256], uint32_t bits);

// ---- Image-data chunk -----------------------------------------------------------------------

class TChunkIDAT : public TChunk {
    PNG_CHUNK_CLASS(TChunkIDAT, TChunk)
    explicit TChunkIDAT(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    // Decodes every consecutive "IDAT" chunk straight into the header's image memory.
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    // Encodes the image memory as one or more "IDAT" chunks.
    bool WriteChunk(classlib::TStream& stream) override;
};

} // namespace png
