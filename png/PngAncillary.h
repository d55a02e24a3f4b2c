#pragma once
// The chunks besides header and image data: palette, transparency, gamma, physical size,
// time, text and compressed text, and the end chunk. Portable.
#include "PngImageData.h"

#include <cstdint>
#include <string>

namespace png {

class TChunkIEND : public TChunk {
    PNG_CHUNK_CLASS(TChunkIEND, TChunk)
    explicit TChunkIEND(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
};

// The colours live in the header's colour table; the chunk keeps their number.
class TChunkPLTE : public TChunk {
    PNG_CHUNK_CLASS(TChunkPLTE, TChunk)
    explicit TChunkPLTE(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;
    // The entry as held in the colour table (blue, green, red, 0); raises EPngError with
    // "There is no such palette entry." for an index beyond the entries.
    TPngRGBQuad Entry(uint32_t index) const;

    uint32_t Count = 0;
};

class TChunktRNS : public TChunk {
    PNG_CHUNK_CLASS(TChunktRNS, TChunk)
    explicit TChunktRNS(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;
    // Makes the chunk name one transparent colour (0x00BBGGRR) for the header's colour type.
    void SetKeyColor(uint32_t color);
    // The transparent colour (0x00BBGGRR) as the image holds it; 0 when there is none.
    uint32_t GetKeyColor() const;

    bool BitTransparency = false;
    uint8_t AlphaTable[256] = {};
};

class TChunkgAMA : public TChunk {
    PNG_CHUNK_CLASS(TChunkgAMA, TChunk)
    explicit TChunkgAMA(TPNGImage* owner);
    void CopyFrom(const TChunk& source) override;
    // Rebuilds the owner's gamma and inverse tables from the value read.
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    // Gamma × 100000; 1 (and the data made 4 bytes) when the data is not 4 bytes.
    uint32_t GetGamma();
    void SetGamma(uint32_t value);
};

class TChunkpHYs : public TChunk {
    PNG_CHUNK_CLASS(TChunkpHYs, TChunk)
    explicit TChunkpHYs(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;

    uint32_t PPUnitX = 0;
    uint32_t PPUnitY = 0;
    uint8_t Unit = 0;
};

class TChunktIME : public TChunk {
    PNG_CHUNK_CLASS(TChunktIME, TChunk)
    explicit TChunktIME(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;

    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
    PNG_CHUNK_CLASS(TChunktEXt, TChunk)
    explicit TChunktEXt(TPNGImage* owner) : TChunk(owner, StaticClass()) {}
    void CopyFrom(const TChunk& source) override;
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    bool WriteChunk(classlib::TStream& stream) override;

    std::string Keyword;
    std::string Text;

protected:
    TChunktEXt(TPNGImage* owner, const classlib::TMetaClass& chunkClass) : TChunk(owner, chunkClass)
    {
    }
};

class TChunkzTXt : public TChunktEXt {
    PNG_CHUNK_CLASS(TChunkzTXt, TChunktEXt)
    explicit TChunkzTXt(TPNGImage* owner) : TChunktEXt(owner, StaticClass()) {}
    bool ReadChunk(classlib::TStream& stream, const uint8_t name[4], uint32_t size) override;
    // False (and nothing written) when the text cannot be compressed.
    bool WriteChunk(classlib::TStream& stream) override;
};

// base^exponent as exp(exponent × ln base); 1 for exponent 0, 0 for base 0.
double RaiseToPower(double base, double exponent);

// Inflated text larger than this is refused, so that a few bytes cannot expand without
// limit.
inline constexpr size_t MaxInflatedTextSize = size_t(1) << 20;

// Whole-buffer zlib streams of the text chunks; false with zlib's message on failure.
bool InflateZlibText(const uint8_t* input, size_t inputSize, std::string& output,
                     std::string& errorText);
bool DeflateZlibText(const uint8_t* input, size_t inputSize, int level, std::string& output,
                     std::string& errorText);

} // namespace png
