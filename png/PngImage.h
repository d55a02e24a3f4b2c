#pragma once
// A PNG image as an ordered list of chunks with the decoded image memory: loading, saving,
// gamma tables, encoding settings, pixel access, resizing and copying. Portable; the Windows
// graphic object (PngObject.h) builds on it and supplies the image memory as a DIB section.
#include "PngAncillary.h"
#include "PngChunk.h"
#include "PngImageData.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace png {

// Transparency modes: how the image is drawn.
enum TTransparencyMode { ptmNone = 0, ptmBit = 1, ptmPartial = 2 };

class TPNGImage : public classlib::TObject {
public:
    TPNGImage();
    ~TPNGImage() override;

    // Chunks and header.
    TPNGList& Chunks() { return chunks_; }
    const TPNGList& Chunks() const { return chunks_; }
    // Frees every chunk and resets both gamma tables to the identity.
    void ClearChunks();
    bool HasHeader() const;
    // Raises EPNGHeaderNotPresent without one.
    TChunkIHDR* HeaderChunk() const;
    bool Empty() const { return chunks_.Count() == 0; }
    int Width() const;
    int Height() const;

    // The chunk stream. A failed load keeps the chunks read up to the failure.
    void LoadFromStream(classlib::TStream& stream);
    void SaveToStream(classlib::TStream& stream);

    // Encoding settings.
    TFilterSet Filters() const { return filters_; }
    void SetFilters(TFilterSet filters) { filters_ = filters; }
    int DeflateLevel() const { return deflateLevel_; }
    void SetDeflateLevel(int level) { deflateLevel_ = level; }
    uint32_t MaxIdatSize() const { return maxIdatSize_; }
    // Values below 65535 store 65535.
    void SetMaxIdatSize(uint32_t size);
    // 0 none, 1 Adam7: set from the header when read, written as the header's method.
    uint8_t InterlaceMethod() const { return interlaceMethod_; }
    void SetInterlaceMethod(uint8_t method) { interlaceMethod_ = method; }

    // Applied to colour samples when decoded / encoded; the identity after a clear.
    uint8_t GammaTable[256];
    uint8_t InverseTable[256];

    // Row bytes of the full width and bytes of one complete pixel; both 0 without a header.
    void RowLayout(uint32_t& rowBytes, uint32_t& bytesPerPixel) const;
    // Start of image line y (0 = top) in the image memory, the alpha plane (null without
    // one) and the low-byte plane.
    uint8_t* ImageRow(int y) const;
    uint8_t* AlphaRow(int y) const;
    uint8_t* LowByteRow(int y) const;

    TTransparencyMode TransparencyMode() const;
    // The transparency chunk's key colour (0x00BBGGRR), 0 without one.
    uint32_t TransparentColor() const;

    // 0x00BBGGRR of the pixel; 0 outside the image.
    uint32_t ReadPixel(int x, int y) const;
    // Ignored outside the image.
    void WritePixel(int x, int y, uint32_t color);
    // Raises EPNGInvalidNewSize for a side below 1, EPNGHeaderNotPresent without a header.
    void SetImageSize(int width, int height);

    // Blends the image, stretched to width × height, onto 32-bit top-down pixels (blue,
    // green, red, unused): each channel becomes (s × a + (255 − a) × d + 255) >> 8. This is
    // how partially transparent images are drawn.
    void BlendOnto(uint8_t* pixels, uint32_t width, uint32_t height) const;

    // The palette operation: only for images that hold a palette; with `copy` the entries
    // become the colour table; the image memory is told.
    void SetPaletteEntries(const std::vector<TPngRGB>& entries, bool copy = true);

    // Takes the settings and a copy of every chunk of `source`.
    void AssignFrom(const TPNGImage& source);

    // The pixel memory of a new image; a plain zeroed heap block here. Null when it cannot
    // be had.
    virtual std::unique_ptr<TImageMemory> CreateImageMemory(const TPngBitmapInfo& info,
                                                            uint64_t size);

private:
    TPNGList chunks_;
    TFilterSet filters_ = DefaultFilterSet;
    int deflateLevel_ = 7;
    uint32_t maxIdatSize_ = 65535;
    uint8_t interlaceMethod_ = 0;
};

} // namespace png
