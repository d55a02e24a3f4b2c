#include "PngAncillary.h"

#include "PngImage.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace classlib;

namespace png {

CLASSLIB_PUBLISH(TChunkIEND) {}
CLASSLIB_PUBLISH(TChunkPLTE) {}
CLASSLIB_PUBLISH(TChunktRNS) {}
CLASSLIB_PUBLISH(TChunkgAMA) {}
CLASSLIB_PUBLISH(TChunkpHYs) {}
CLASSLIB_PUBLISH(TChunktIME) {}
CLASSLIB_PUBLISH(TChunktEXt) {}
CLASSLIB_PUBLISH(TChunkzTXt) {}

// ---- Palette --------------------------------------------------------------------------------

bool TChunkPLTE::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() % 3 != 0 || DataSize() / 3 > 256)
        throw EPNGInvalidPalette();
    Count = DataSize() / 3;
    const uint8_t* gamma = Owner()->GammaTable;
    std::vector<TPngRGB> entries(Count);
    for (uint32_t i = 0; i < Count; ++i) {
        const uint8_t* d = Data() + 3 * i;
        entries[i] = {gamma[d[0]], gamma[d[1]], gamma[d[2]]};
    }
    Owner()->SetPaletteEntries(entries);
    return true;
}

bool TChunkPLTE::WriteChunk(TStream& stream)
{
    TChunkIHDR* header = HeaderChunk();
    if (!header)
        return false;
    if (Count == 0)
        Count = header->BitmapInfo.bmiHeader.biClrUsed;
    Count = std::min<uint32_t>(Count, 256);
    const uint8_t* inverse = Owner()->InverseTable;
    SetDataSize(Count * 3);
    for (uint32_t i = 0; i < Count; ++i) {
        const TPngRGBQuad& c = header->BitmapInfo.bmiColors[i];
        uint8_t* d = Data() + 3 * i;
        d[0] = inverse[c.rgbRed];
        d[1] = inverse[c.rgbGreen];
        d[2] = inverse[c.rgbBlue];
    }
    return WriteRawChunk(stream);
}

void TChunkPLTE::CopyFrom(const TChunk& source)
{
    const auto* other = dynamic_cast<const TChunkPLTE*>(&source);
    if (!other)
        throw EPngError(messages::IncompatibleChunks);
    Count = other->Count;
}

TPngRGBQuad TChunkPLTE::Entry(uint32_t index) const
{
    TChunkIHDR* header = HeaderChunk();
    if (index >= Count || index > 255 || !header)
        throw EPngError(messages::NoPaletteEntry);
    return header->BitmapInfo.bmiColors[index];
}

// ---- Transparency ---------------------------------------------------------------------------

bool TChunktRNS::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() > 256)
        throw EPNGInvalidPalette();
    std::memset(AlphaTable, 255, sizeof AlphaTable);
    std::memcpy(AlphaTable, Data(), DataSize());
    BitTransparency = false;
    if (TChunkIHDR* header = HeaderChunk()) {
        switch (header->Header.ColorType) {
            case ctGray:
            case ctRGB:
                BitTransparency = true;
                break;
            case ctPalette: {
                // One fully transparent entry and all others opaque. (Counting any single entry
                // below 255 made an image with one half-transparent entry draw with a key colour
                // that no entry has.)
                uint32_t transparent = 0, partial = 0;
                for (uint32_t i = 0; i < DataSize(); ++i) {
                    transparent += Data()[i] == 0;
                    partial += Data()[i] != 0 && Data()[i] != 255;
                }
                BitTransparency = transparent == 1 && partial == 0;
                break;
            }
            default:
                break;
        }
    }
    return true;
}

bool TChunktRNS::WriteChunk(TStream& stream)
{
    if (DataSize() <= 256)
        std::memcpy(Data(), AlphaTable, DataSize());
    return WriteRawChunk(stream);
}

void TChunktRNS::CopyFrom(const TChunk& source)
{
    if (const auto* other = dynamic_cast<const TChunktRNS*>(&source)) {
        std::memcpy(AlphaTable, other->AlphaTable, sizeof AlphaTable);
        BitTransparency = other->BitTransparency;
    }
    TChunk::CopyFrom(source);
}

void TChunktRNS::SetKeyColor(uint32_t color)
{
    TChunkIHDR* header = HeaderChunk();
    if (!header)
        return;
    std::memset(AlphaTable, 0, sizeof AlphaTable);
    BitTransparency = true;
    const uint8_t red = uint8_t(color), green = uint8_t(color >> 8), blue = uint8_t(color >> 16);
    // 16-bit samples hold the 8-bit value as their high byte.
    const int shift = header->Header.BitDepth == 16 ? 8 : 0;
    auto putSample = [&](uint32_t at, uint8_t value) {
        const uint16_t sample = uint16_t(value << shift);
        AlphaTable[at] = uint8_t(sample >> 8);
        AlphaTable[at + 1] = uint8_t(sample);
    };
    switch (header->Header.ColorType) {
        case ctGray:
            SetDataSize(2);
            putSample(0, red);
            break;
        case ctRGB:
            SetDataSize(6);
            putSample(0, red);
            putSample(2, green);
            putSample(4, blue);
            break;
        case ctPalette: {
            const uint32_t used = std::min<uint32_t>(header->BitmapInfo.bmiHeader.biClrUsed, 256);
            uint32_t index = 0;
            while (index < used) {
                const TPngRGBQuad& c = header->BitmapInfo.bmiColors[index];
                if (c.rgbRed == red && c.rgbGreen == green && c.rgbBlue == blue)
                    break;
                ++index;
            }
            // No entry of that colour: every entry stays opaque (the data never exceeds the
            // 256 entries a palette can have).
            const uint32_t size = std::min<uint32_t>(index + 1, 256);
            std::memset(AlphaTable, 255, index < 256 ? index : 256);
            SetDataSize(size);
            break;
        }
        default:
            break;
    }
    std::memcpy(Data(), AlphaTable, std::min<uint32_t>(DataSize(), 256));
}

uint32_t TChunktRNS::GetKeyColor() const
{
    TChunkIHDR* header = HeaderChunk();
    if (!header)
        return 0;
    const uint8_t* gamma = Owner()->GammaTable;
    const uint8_t depth = header->Header.BitDepth;
    // The key sample as the image holds it: 16-bit samples by their high byte, 2-bit gray
    // samples p as 5 × p.
    auto held = [&](uint32_t at) -> uint8_t {
        const uint16_t sample = uint16_t(AlphaTable[at] << 8 | AlphaTable[at + 1]);
        if (depth == 16)
            return uint8_t(sample >> 8);
        if (depth == 2 && header->Header.ColorType == ctGray)
            return uint8_t((sample & 3) * 5);
        return uint8_t(sample);
    };
    switch (header->Header.ColorType) {
        case ctGray: {
            if (DataSize() < 2)
                return 0;
            const uint8_t index = held(0);
            const uint8_t g = header->BitmapInfo.bmiColors[index].rgbRed;
            return uint32_t(g) | uint32_t(g) << 8 | uint32_t(g) << 16;
        }
        case ctRGB:
            if (DataSize() < 6)
                return 0;
            return uint32_t(gamma[held(0)]) | uint32_t(gamma[held(2)]) << 8 |
                   uint32_t(gamma[held(4)]) << 16;
        case ctPalette: {
            const TChunkPLTE* palette = Owner()->Chunks().Find<TChunkPLTE>();
            for (uint32_t i = 0; i < DataSize() && i < 256; ++i) {
                if (AlphaTable[i] == 0 && palette) {
                    const TPngRGBQuad c = palette->Entry(i);
                    return uint32_t(c.rgbRed) | uint32_t(c.rgbGreen) << 8 |
                           uint32_t(c.rgbBlue) << 16;
                }
            }
            return 0;
        }
        default:
            return 0;
    }
}

// ---- Gamma ----------------------------------------------------------------------------------

double RaiseToPower(double base, double exponent)
{
    if (exponent == 0)
        return 1;
    if (base == 0)
        return 0;
    return std::exp(exponent * std::log(base));
}

TChunkgAMA::TChunkgAMA(TPNGImage* owner) : TChunk(owner, StaticClass())
{
    SetGamma(1);
}

uint32_t TChunkgAMA::GetGamma()
{
    if (DataSize() == 4)
        return ReadBigEndian32(Data());
    // Data of another size reads as 1, and keeps reading so.
    SetGamma(1);
    return 1;
}

void TChunkgAMA::SetGamma(uint32_t value)
{
    if (DataSize() != 4)
        SetDataSize(4);
    WriteBigEndian32(Data(), value);
}

bool TChunkgAMA::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    const uint32_t g = GetGamma();
    if (g == 0)
        return true;
    TPNGImage* image = Owner();
    const double e = 1.0 / ((g / 100000.0) * 2.2);
    for (int i = 0; i < 256; ++i) {
        // Halves to even, as nearbyint rounds in the default rounding mode.
        const double value = std::nearbyint(255.0 * RaiseToPower(i / 255.0, e));
        const uint8_t level = uint8_t(std::clamp(value, 0.0, 255.0));
        image->GammaTable[i] = level;
        image->InverseTable[level] = uint8_t(i);
    }
    return true;
}

void TChunkgAMA::CopyFrom(const TChunk& source)
{
    auto* other = dynamic_cast<TChunkgAMA*>(const_cast<TChunk*>(&source));
    if (!other)
        throw EPngError(messages::IncompatibleChunks);
    SetGamma(other->GetGamma());
}

// ---- Physical size and time -----------------------------------------------------------------

bool TChunkpHYs::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() == 9) {
        PPUnitX = ReadBigEndian32(Data());
        PPUnitY = ReadBigEndian32(Data() + 4);
        Unit = Data()[8];
    }
    return true;
}

bool TChunkpHYs::WriteChunk(TStream& stream)
{
    SetDataSize(9);
    WriteBigEndian32(Data(), PPUnitX);
    WriteBigEndian32(Data() + 4, PPUnitY);
    Data()[8] = Unit;
    return WriteRawChunk(stream);
}

void TChunkpHYs::CopyFrom(const TChunk& source)
{
    if (const auto* other = dynamic_cast<const TChunkpHYs*>(&source)) {
        PPUnitX = other->PPUnitX;
        PPUnitY = other->PPUnitY;
        Unit = other->Unit;
    }
}

bool TChunktIME::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() == 7) {
        const uint8_t* d = Data();
        Year = uint16_t(d[0] << 8 | d[1]);
        Month = d[2], Day = d[3], Hour = d[4], Minute = d[5], Second = d[6];
    }
    return true;
}

bool TChunktIME::WriteChunk(TStream& stream)
{
    SetDataSize(7);
    uint8_t* d = Data();
    d[0] = uint8_t(Year >> 8), d[1] = uint8_t(Year);
    d[2] = Month, d[3] = Day, d[4] = Hour, d[5] = Minute, d[6] = Second;
    return WriteRawChunk(stream);
}

void TChunktIME::CopyFrom(const TChunk& source)
{
    if (const auto* other = dynamic_cast<const TChunktIME*>(&source)) {
        Year = other->Year;
        Month = other->Month, Day = other->Day;
        Hour = other->Hour, Minute = other->Minute, Second = other->Second;
    }
}

// ---- Text -----------------------------------------------------------------------------------

bool TChunktEXt::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunk::ReadChunk(stream, name, size))
        return false;
    if (DataSize() >= 3) {
        const char* d = reinterpret_cast<const char*>(Data());
        const size_t keywordLength = strnlen(d, DataSize());
        Keyword.assign(d, keywordLength);
        Text.clear();
        if (keywordLength + 1 < DataSize())
            Text.assign(d + keywordLength + 1, DataSize() - keywordLength - 1);
    }
    return true;
}

bool TChunktEXt::WriteChunk(TStream& stream)
{
    SetDataSize(uint32_t(Keyword.size() + Text.size() + 1));
    std::memset(Data(), 0, DataSize());
    std::memcpy(Data(), Keyword.data(), Keyword.size());
    std::memcpy(Data() + Keyword.size() + 1, Text.data(), Text.size());
    return WriteRawChunk(stream);
}

void TChunktEXt::CopyFrom(const TChunk& source)
{
    if (const auto* other = dynamic_cast<const TChunktEXt*>(&source)) {
        Keyword = other->Keyword;
        Text = other->Text;
    }
}

bool TChunkzTXt::ReadChunk(TStream& stream, const uint8_t name[4], uint32_t size)
{
    if (!TChunktEXt::ReadChunk(stream, name, size))
        return false;
    if (DataSize() < 4)
        return true;
    Text.clear();
    // The method byte follows the keyword's zero byte; without a separator inside the data
    // there is neither a method nor compressed text.
    const size_t methodAt = Keyword.size() + 1;
    if (methodAt >= DataSize() || Data()[methodAt] != 0)
        return true;
    std::string text, error;
    if (InflateZlibText(Data() + methodAt + 1, DataSize() - methodAt - 1, text, error))
        Text = std::move(text);
    return true;
}

bool TChunkzTXt::WriteChunk(TStream& stream)
{
    if (Text.empty())
        Text = " ";
    std::string compressed, error;
    if (!DeflateZlibText(reinterpret_cast<const uint8_t*>(Text.data()), Text.size(),
                         Owner()->DeflateLevel(), compressed, error))
        return false;
    SetDataSize(uint32_t(Keyword.size() + compressed.size() + 2));
    uint8_t* d = Data();
    std::memcpy(d, Keyword.data(), Keyword.size());
    d[Keyword.size()] = 0;
    d[Keyword.size() + 1] = 0;
    std::memcpy(d + Keyword.size() + 2, compressed.data(), compressed.size());
    return WriteRawChunk(stream);
}

// ---- Whole-buffer zlib streams --------------------------------------------------------------

namespace {
std::string ZlibMessage(const z_stream& z, int code)
{
    return z.msg ? std::string(z.msg) : ZlibCodeText(code);
}
} // namespace

bool InflateZlibText(const uint8_t* input, size_t inputSize, std::string& output,
                     std::string& errorText)
{
    output.clear();
    z_stream z{};
    z.next_in = const_cast<uint8_t*>(input);
    z.avail_in = uInt(inputSize);
    int result = inflateInit(&z);
    if (result != Z_OK) {
        errorText = ZlibMessage(z, result);
        return false;
    }
    bool success = true;
    uint8_t window[256];
    for (;;) {
        z.next_out = window;
        z.avail_out = sizeof window;
        result = inflate(&z, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END) {
            // Errors, a dictionary request, or input that ends before the stream does.
            errorText = ZlibMessage(z, result);
            success = false;
            break;
        }
        output.append(reinterpret_cast<const char*>(window), sizeof window - z.avail_out);
        if (output.size() > MaxInflatedTextSize) {
            errorText = "text too large";
            success = false;
            break;
        }
        if (result == Z_STREAM_END)
            break;
    }
    inflateEnd(&z);
    if (!success)
        output.clear();
    return success;
}

bool DeflateZlibText(const uint8_t* input, size_t inputSize, int level, std::string& output,
                     std::string& errorText)
{
    output.clear();
    z_stream z{};
    int result = deflateInit(&z, level);
    if (result != Z_OK) {
        errorText = ZlibMessage(z, result);
        return false;
    }
    z.next_in = const_cast<uint8_t*>(input);
    z.avail_in = uInt(inputSize);
    bool success = true;
    uint8_t window[256];
    do {
        z.next_out = window;
        z.avail_out = sizeof window;
        result = deflate(&z, Z_FINISH);
        if (result != Z_OK && result != Z_STREAM_END) {
            errorText = ZlibMessage(z, result);
            success = false;
            break;
        }
        output.append(reinterpret_cast<const char*>(window), sizeof window - z.avail_out);
    } while (result != Z_STREAM_END);
    deflateEnd(&z);
    return success;
}

} // namespace png
