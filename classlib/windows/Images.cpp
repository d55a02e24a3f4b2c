#include "windows/Images.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>

namespace classlib {

namespace {

// Limits for pictures read from outside: large enough for any screen, small enough that the
// size arithmetic cannot overflow.
constexpr int kMaxDimension = 32768;
constexpr int64_t kMaxPixels = 64ll * 1024 * 1024;
constexpr int64_t kMaxFileBytes = 512ll * 1024 * 1024;

int StrideOf(int width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// Bits per pixel of a DIB of the format.
int BitsOf(TPixelFormat format)
{
    static const int kBits[] = {32, 1, 4, 8, 16, 16, 24, 32, 24}; // in the order of TPixelFormat
    return kBits[format];
}

// The 16-bit bit-field masks of pf16bit (red, green, blue).
const DWORD kMasks565[] = {0xF800, 0x07E0, 0x001F};

bool IsPaletteFormat(TPixelFormat format)
{
    return format == pf1bit || format == pf4bit || format == pf8bit;
}

RGBQUAD Quad(TColor color)
{
    return {static_cast<BYTE>(color >> 16), static_cast<BYTE>(color >> 8), static_cast<BYTE>(color),
            0};
}

// The colour table a palette format starts with.
std::vector<RGBQUAD> DefaultColorTable(TPixelFormat format)
{
    static const TColor kStandard16[] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                         clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                         clBlue,  clFuchsia, clAqua,   clWhite};
    std::vector<RGBQUAD> table;
    switch (format) {
        case pf1bit:
            table = {Quad(clBlack), Quad(clWhite)};
            break;
        case pf4bit:
            for (TColor color : kStandard16)
                table.push_back(Quad(color));
            break;
        case pf8bit: {
            HDC screen = GetDC(nullptr);
            HPALETTE halftone = CreateHalftonePalette(screen);
            ReleaseDC(nullptr, screen);
            PALETTEENTRY entries[256]{};
            const UINT count = halftone ? GetPaletteEntries(halftone, 0, 256, entries) : 0;
            if (halftone)
                DeleteObject(halftone);
            for (UINT i = 0; i < count; ++i)
                table.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
            table.resize(256, Quad(clBlack));
            break;
        }
        default:
            break;
    }
    return table;
}

// A BITMAPINFO for a DIB of the format: header, then the colour table or the bit masks.
std::vector<uint8_t> DibInfo(int width, int height, TPixelFormat format,
                             const std::vector<RGBQUAD>& colorTable)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height; // bottom-up, as in a BMP file
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(BitsOf(format));
    header->biCompression = format == pf16bit ? BI_BITFIELDS : BI_RGB;
    uint8_t* table = info.data() + sizeof(BITMAPINFOHEADER);
    if (format == pf16bit) {
        std::memcpy(table, kMasks565, sizeof kMasks565);
    } else if (IsPaletteFormat(format)) {
        header->biClrUsed = static_cast<DWORD>(colorTable.size());
        std::memcpy(table, colorTable.data(), colorTable.size() * sizeof(RGBQUAD));
    }
    return info;
}

// The rest of a stream, bounded.
std::vector<uint8_t> ReadRest(TStream& stream)
{
    const int64_t available = stream.Size() - stream.Position();
    if (available < 0 || available > kMaxFileBytes)
        throw EInvalidGraphic("Picture data too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(available));
    if (!bytes.empty())
        stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

template <class T>
T ReadLe(const uint8_t* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

} // namespace

CLASSLIB_DEFINE_ENUM(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit",
                     "pf24bit", "pf32bit", "pfCustom")
CLASSLIB_DEFINE_ENUM(TTransparentMode, "tmAuto", "tmFixed")
CLASSLIB_DEFINE_ENUM(TBitmapHandleType, "bmDIB", "bmDDB")

CLASSLIB_PUBLISH(TGraphic) {}

CLASSLIB_PUBLISH(TBitmap)
{
    c.Property("TransparentColor", &TBitmap::TransparentColor, &TBitmap::SetTransparentColor);
    c.Property("TransparentMode", &TBitmap::TransparentMode, &TBitmap::SetTransparentMode)
        .SetDefault(tmAuto);
}

CLASSLIB_PUBLISH(TIcon) {}

CLASSLIB_PUBLISH(TPicture) {}

// ---- TGraphic -------------------------------------------------------------------------------

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::SetSize(int width, int height)
{
    SetWidth(width);
    SetHeight(height);
}

void TGraphic::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE)
{
    throw EInvalidGraphic("Clipboard format not supported by " + ClassName());
}

void TGraphic::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&)
{
    throw EInvalidGraphic("Clipboard format not supported by " + ClassName());
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed();
    else
        modified_ = false;
}

void TGraphic::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    Changed();
}

void TGraphic::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) { ReadData(stream); },
        [this](TStream& stream) { WriteData(stream); }, !Empty());
}

void TGraphic::Changed()
{
    modified_ = true;
    if (OnChange)
        OnChange(this);
}

// ---- TBitmap --------------------------------------------------------------------------------

// The canvas of a bitmap: a memory device context with the bitmap's image selected, created on
// demand and released whenever the image is replaced.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext()
    {
        if (!dc_)
            return;
        HDC dc = std::exchange(dc_, nullptr);
        SetHandle(nullptr);
        SelectObject(dc, oldBitmap_);
        DeleteDC(dc);
        oldBitmap_ = nullptr;
    }

protected:
    void CreateHandle() override
    {
        dc_ = CreateCompatibleDC(nullptr);
        if (bitmap_->image_)
            oldBitmap_ = SelectObject(dc_, bitmap_->image_);
        SetHandle(dc_);
    }

private:
    TBitmap* bitmap_;
    HDC dc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    delete canvas_;
    canvas_ = nullptr;
    FreeImage();
}

void TBitmap::FreePalette()
{
    if (palette_)
        DeleteObject(palette_);
    palette_ = nullptr;
}

void TBitmap::FreeImage()
{
    if (canvas_)
        canvas_->FreeContext();
    if (image_)
        DeleteObject(image_);
    FreePalette();
    image_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = stride_ = 0;
}

void TBitmap::NewImage(int width, int height, TPixelFormat format, TBitmapHandleType type,
                       const std::vector<RGBQUAD>& colorTable, const void* sourceBits,
                       const BITMAPINFO* sourceInfo)
{
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension ||
        int64_t(width) * height > kMaxPixels)
        throw EInvalidGraphic("Invalid bitmap size");
    if (format == pfCustom)
        throw EInvalidGraphic("Invalid pixel format");
    if (format == pfDevice)
        type = bmDDB;
    // A device-dependent bitmap is monochrome or of the screen's depth.
    if (type == bmDDB && format != pf1bit)
        format = pfDevice;
    if (type == bmDIB && format == pfDevice)
        format = pf32bit;
    FreeImage();
    pixelFormat_ = format;
    handleType_ = type;
    colorTable_.clear();
    if (IsPaletteFormat(format) && type == bmDIB)
        colorTable_ = colorTable.empty() ? DefaultColorTable(format) : colorTable;
    if (width == 0 || height == 0)
        return;

    HBITMAP image = nullptr;
    void* bits = nullptr;
    if (type == bmDDB && format == pf1bit) {
        image = CreateBitmap(width, height, 1, 1, nullptr);
    } else if (type == bmDDB) {
        HDC screen = GetDC(nullptr);
        image = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
    } else {
        const std::vector<uint8_t> info = DibInfo(width, height, format, colorTable_);
        image = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()),
                                 DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (!image)
        throw EOutOfResources("Out of system resources");
    image_ = image;
    bits_ = static_cast<uint8_t*>(bits);
    width_ = width;
    height_ = height;
    stride_ = bits_ ? StrideOf(width, BitsOf(format)) : 0;
    if (sourceBits && sourceInfo) {
        HDC screen = GetDC(nullptr);
        SetDIBits(screen, image_, 0, static_cast<UINT>(height), sourceBits, sourceInfo,
                  DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    } else {
        // White as a colour (WHITENESS would also set the unused bit of 5-5-5 pixels).
        const RECT all{0, 0, width, height};
        ::FillRect(Canvas()->Handle(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
}

void TBitmap::Convert(int width, int height, TPixelFormat format, TBitmapHandleType type)
{
    // Keep what stays of the old picture, anchored at the top-left corner.
    TBitmap old;
    old.Assign(this);
    const std::vector<RGBQUAD> table =
        format == pixelFormat_ ? colorTable_ : std::vector<RGBQUAD>();
    NewImage(width, height, format, type, table);
    if (image_ && old.image_)
        BitBlt(Canvas()->Handle(), 0, 0, std::min(width, old.width_), std::min(height, old.height_),
               old.Canvas()->Handle(), 0, 0, SRCCOPY);
    Changed();
}

void TBitmap::Assign(TPersistent* source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        if (bitmap == this)
            return;
        GdiFlush();
        NewImage(bitmap->width_, bitmap->height_, bitmap->pixelFormat_, bitmap->handleType_,
                 bitmap->colorTable_);
        if (bits_)
            std::memcpy(bits_, bitmap->bits_, static_cast<size_t>(stride_) * height_);
        else if (image_)
            BitBlt(Canvas()->Handle(), 0, 0, width_, height_, bitmap->Canvas()->Handle(), 0, 0,
                   SRCCOPY);
        transparentMode_ = bitmap->transparentMode_;
        transparentColor_ = bitmap->transparentColor_;
        TGraphic::SetTransparent(bitmap->Transparent());
        Changed();
        return;
    }
    if (source == nullptr) {
        FreeImage();
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::SetSize(int width, int height)
{
    if (width == width_ && height == height_)
        return;
    Convert(width, height, pixelFormat_, handleType_);
}

TPixelFormat TBitmap::PixelFormat() const
{
    return handleType_ == bmDDB ? pfDevice : pixelFormat_;
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfCustom)
        throw EInvalidGraphic("Invalid pixel format");
    if (format == PixelFormat())
        return;
    Convert(width_, height_, format, format == pfDevice ? bmDDB : bmDIB);
}

void TBitmap::SetHandleType(TBitmapHandleType type)
{
    if (type == handleType_)
        return;
    // A colour device bitmap becomes a DIB of the screen's usual 32 bits.
    const TPixelFormat format = type == bmDIB && pixelFormat_ == pfDevice ? pf32bit : pixelFormat_;
    Convert(width_, height_, format, type);
}

void TBitmap::SetMonochrome(bool value)
{
    if (value == Monochrome())
        return;
    if (value)
        Convert(width_, height_, pf1bit, handleType_);
    else
        Convert(width_, height_, handleType_ == bmDDB ? pfDevice : pf24bit, handleType_);
}

HPALETTE TBitmap::Palette()
{
    if (colorTable_.empty())
        return nullptr;
    if (!palette_) {
        std::vector<uint8_t> memory(sizeof(LOGPALETTE) + colorTable_.size() * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(colorTable_.size());
        for (size_t i = 0; i < colorTable_.size(); ++i)
            log->palPalEntry[i] = {colorTable_[i].rgbRed, colorTable_[i].rgbGreen,
                                   colorTable_[i].rgbBlue, 0};
        palette_ = CreatePalette(log);
    }
    return palette_;
}

void TBitmap::SetPalette(HPALETTE palette)
{
    if (!palette || colorTable_.empty())
        return;
    PALETTEENTRY entries[256]{};
    const UINT count =
        GetPaletteEntries(palette, 0, static_cast<UINT>(colorTable_.size()), entries);
    for (UINT i = 0; i < count; ++i)
        colorTable_[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    if (image_)
        SetDIBColorTable(Canvas()->Handle(), 0, static_cast<UINT>(colorTable_.size()),
                         colorTable_.data());
    FreePalette();
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    LoadFromBmpFile(ReadRest(stream));
}

void TBitmap::LoadFromBmpFile(const std::vector<uint8_t>& file)
{
    constexpr size_t kFileHeader = 14;
    if (file.size() < kFileHeader + sizeof(BITMAPINFOHEADER) || file[0] != 'B' || file[1] != 'M')
        throw EInvalidGraphic("Bitmap image is not valid");
    const uint32_t pixelOffset = ReadLe<uint32_t>(&file[10]);
    const uint32_t headerSize = ReadLe<uint32_t>(&file[14]);
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > file.size() - kFileHeader)
        throw EInvalidGraphic("Bitmap image is not valid");
    BITMAPINFOHEADER header;
    std::memcpy(&header, &file[kFileHeader], sizeof header);
    const int width = header.biWidth;
    const int64_t height = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
    const int bits = header.biBitCount;
    const bool knownDepth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool knownCompression =
        header.biCompression == BI_RGB || (header.biCompression == BI_RLE8 && bits == 8) ||
        (header.biCompression == BI_RLE4 && bits == 4) ||
        (header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32));
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
        int64_t(width) * height > kMaxPixels || header.biPlanes != 1 || !knownDepth ||
        !knownCompression)
        throw EInvalidGraphic("Bitmap image is not valid");
    const bool rle = header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4;
    if (rle && header.biHeight < 0)
        throw EInvalidGraphic("Bitmap image is not valid");

    // Colour table (or the three bit masks) follow the header.
    size_t tableBytes = 0;
    if (bits <= 8) {
        const uint32_t colours = header.biClrUsed ? header.biClrUsed : (1u << bits);
        if (colours > (1u << bits))
            throw EInvalidGraphic("Bitmap image is not valid");
        tableBytes = colours * 4;
    } else if (header.biCompression == BI_BITFIELDS && headerSize == sizeof(BITMAPINFOHEADER)) {
        tableBytes = 12;
    }
    const size_t infoEnd = kFileHeader + headerSize + tableBytes;
    const int64_t stride = StrideOf(width, bits);
    const int64_t pixelBytes = rle ? int64_t(header.biSizeImage) : stride * height;
    if (infoEnd > file.size() || pixelOffset < infoEnd || pixelBytes <= 0 ||
        int64_t(pixelOffset) + pixelBytes > int64_t(file.size()))
        throw EInvalidGraphic("Bitmap image is not valid");

    // The bit masks sit in a larger header or follow the 40-byte one.
    DWORD masks[3]{};
    if (header.biCompression == BI_BITFIELDS) {
        const size_t at = headerSize >= sizeof header + sizeof masks ? kFileHeader + sizeof header
                                                                     : kFileHeader + headerSize;
        if (at + sizeof masks > file.size())
            throw EInvalidGraphic("Bitmap image is not valid");
        std::memcpy(masks, &file[at], sizeof masks);
    }
    // A BITMAPINFO with the header (as 40-byte header) and the table or the masks, for the
    // conversion.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) +
                              std::max<size_t>(tableBytes, sizeof masks));
    std::memcpy(info.data(), &header, sizeof header);
    reinterpret_cast<BITMAPINFOHEADER*>(info.data())->biSize = sizeof(BITMAPINFOHEADER);
    if (bits <= 8)
        std::memcpy(info.data() + sizeof header, &file[kFileHeader + headerSize], tableBytes);
    else
        std::memcpy(info.data() + sizeof header, masks, sizeof masks);
    const uint8_t* pixels = &file[pixelOffset];

    // The pixel format the file's pixels are kept in. Bit fields of 16 bits stay as they are
    // when they are 5-6-5 or 5-5-5; others are converted.
    const bool masks565 = std::equal(masks, masks + 3, kMasks565);
    const bool masks555 = masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F;
    TPixelFormat format = pf24bit;
    bool direct = !rle;
    switch (bits) {
        case 1:
            format = pf1bit;
            break;
        case 4:
            format = pf4bit;
            break;
        case 8:
            format = pf8bit;
            break;
        case 16:
            format = header.biCompression == BI_BITFIELDS && masks565 ? pf16bit : pf15bit;
            direct = header.biCompression == BI_RGB || masks565 || masks555;
            break;
        case 24:
            format = pf24bit;
            break;
        case 32:
            format = pf32bit;
            direct = header.biCompression == BI_RGB;
            break;
    }
    std::vector<RGBQUAD> table;
    if (bits <= 8) {
        table.resize(tableBytes / 4);
        std::memcpy(table.data(), info.data() + sizeof header, tableBytes);
        if (table.empty())
            throw EInvalidGraphic("Bitmap image is not valid");
    }
    if (direct) {
        NewImage(width, static_cast<int>(height), format, bmDIB, table);
        for (int64_t row = 0; row < height; ++row) {
            // The DIB is bottom-up; a top-down file (negative height) is turned over.
            const int64_t sourceRow = header.biHeight < 0 ? height - 1 - row : row;
            std::memcpy(bits_ + row * stride_, pixels + sourceRow * stride,
                        static_cast<size_t>(stride_));
        }
    } else {
        NewImage(width, static_cast<int>(height), format, bmDIB, table, pixels,
                 reinterpret_cast<const BITMAPINFO*>(info.data()));
    }
    Changed();
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (handleType_ == bmDDB) {
        TBitmap dib;
        dib.Assign(this);
        dib.SetHandleType(bmDIB);
        dib.SaveToStream(stream);
        return;
    }
    GdiFlush();
    const std::vector<uint8_t> info = DibInfo(width_, height_, pixelFormat_, colorTable_);
    const size_t tableBytes =
        pixelFormat_ == pf16bit ? sizeof kMasks565 : colorTable_.size() * sizeof(RGBQUAD);
    const uint32_t imageBytes = static_cast<uint32_t>(stride_) * static_cast<uint32_t>(height_);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header;
    std::memcpy(&header, info.data(), sizeof header);
    file.bfType = 0x4D42;
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + sizeof(header) + tableBytes);
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSizeImage = imageBytes;
    HDC screen = GetDC(nullptr);
    header.biXPelsPerMeter = header.biYPelsPerMeter =
        MulDiv(GetDeviceCaps(screen, LOGPIXELSX), 10000, 254);
    ReleaseDC(nullptr, screen);
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&header, sizeof header);
    if (tableBytes)
        stream.WriteBuffer(info.data() + sizeof header, static_cast<int64_t>(tableBytes));
    if (imageBytes)
        stream.WriteBuffer(bits_, imageBytes);
}

void TBitmap::ReadData(TStream& stream)
{
    uint32_t length = 0;
    stream.ReadBuffer(&length, sizeof length);
    if (length > stream.Size() - stream.Position())
        throw EInvalidGraphic("Bitmap image is not valid");
    // The file bytes alone, so the loader cannot read past them.
    TMemoryStream file;
    file.CopyFrom(stream, length);
    file.SetPosition(0);
    LoadFromStream(file);
}

void TBitmap::WriteData(TStream& stream)
{
    TMemoryStream file;
    SaveToStream(file);
    const auto length = static_cast<uint32_t>(file.Size());
    stream.WriteBuffer(&length, sizeof length);
    stream.WriteBuffer(file.Memory(), file.Size());
}

void TBitmap::LoadFromBitmapHandle(HBITMAP bitmap)
{
    BITMAP description{};
    if (!bitmap || !GetObjectA(bitmap, sizeof description, &description))
        throw EInvalidGraphic("Bitmap image is not valid");
    const TPixelFormat format = description.bmBitsPixel == 32 ? pf32bit : pf24bit;
    NewImage(description.bmWidth, description.bmHeight, format, bmDIB, {});
    if (image_) {
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(Canvas()->Handle(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
}

namespace {

// A bitmap resource (RT_BITMAP: the BMP file without its 14-byte file header) as a BMP file,
// so that it loads through the same checked reader as files do and keeps its pixel format and
// colour table. `label` names the resource in the error.
std::vector<uint8_t> BitmapResourceAsFile(HINSTANCE instance, LPCSTR name, const std::string& label)
{
    if (!instance)
        instance = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(instance, name, MAKEINTRESOURCEA(2)); // RT_BITMAP
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        throw EResNotFound("Resource " + label + " not found");
    const size_t size = SizeofResource(instance, resource);
    if (size < sizeof(BITMAPINFOHEADER))
        throw EInvalidGraphic("Bitmap image is not valid");
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    // The pixels follow the header and the colour table (or the three masks after a 40-byte
    // header); the reader checks the values, this only has to find the pixels.
    uint64_t tableBytes = 0;
    if (header.biBitCount <= 8)
        tableBytes = 4ull * (header.biClrUsed ? std::min<uint64_t>(header.biClrUsed, 256)
                                              : (1ull << header.biBitCount));
    else if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER))
        tableBytes = 12;
    const uint64_t pixelOffset = 14ull + header.biSize + tableBytes;
    if (pixelOffset > 0xFFFFFFFFull)
        throw EInvalidGraphic("Bitmap image is not valid");
    std::vector<uint8_t> file(14 + size);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = static_cast<DWORD>(file.size());
    fileHeader.bfOffBits = static_cast<DWORD>(pixelOffset);
    std::memcpy(file.data(), &fileHeader, 14);
    std::memcpy(file.data() + 14, bytes, size);
    return file;
}

} // namespace

void TBitmap::LoadFromBitmapResource(HINSTANCE instance, LPCSTR name, const std::string& label)
{
    LoadFromBmpFile(BitmapResourceAsFile(instance, name, label));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    LoadFromBitmapResource(instance, name.c_str(), name);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id)
{
    LoadFromBitmapResource(instance, MAKEINTRESOURCEA(id), std::to_string(id));
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE)
{
    if (format != CF_BITMAP || !data)
        throw EInvalidGraphic("Unsupported clipboard format");
    // The clipboard keeps its bitmap: copy it.
    LoadFromBitmapHandle(static_cast<HBITMAP>(data));
    Changed();
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = CF_BITMAP;
    data = nullptr;
    palette = nullptr;
    if (Empty())
        return;
    // A device-dependent copy, the form every program reads from CF_BITMAP.
    HDC screen = GetDC(nullptr);
    HBITMAP copy = CreateCompatibleBitmap(screen, width_, height_);
    ReleaseDC(nullptr, screen);
    if (!copy)
        throw EOutOfResources("Out of system resources");
    HDC target = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(target, copy);
    BitBlt(target, 0, 0, width_, height_, Canvas()->Handle(), 0, 0, SRCCOPY);
    SelectObject(target, old);
    DeleteDC(target);
    data = copy;
    if (HPALETTE own = Palette()) {
        PALETTEENTRY entries[256]{};
        const UINT count = GetPaletteEntries(own, 0, 256, entries);
        std::vector<uint8_t> memory(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(memory.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(count);
        std::memcpy(log->palPalEntry, entries, count * sizeof(PALETTEENTRY));
        palette = CreatePalette(log);
    }
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = new TBitmapCanvas(this);
    return canvas_;
}

HBITMAP TBitmap::Handle()
{
    return image_;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (!bitmap) {
        FreeImage();
    } else {
        LoadFromBitmapHandle(bitmap);
        DeleteObject(bitmap);
    }
    Changed();
}

uint8_t* TBitmap::RowBits(int row)
{
    if (row < 0 || row >= height_)
        throw EInvalidGraphicOperation("Scan line index out of range");
    if (handleType_ == bmDDB)
        SetHandleType(bmDIB);
    GdiFlush();
    return bits_ + static_cast<size_t>(height_ - 1 - row) * stride_;
}

void* TBitmap::ScanLine(int row)
{
    return RowBits(row);
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == tmFixed)
        return transparentColor_;
    if (Empty())
        return clDefault;
    // Reading a pixel selects the image into the canvas; the picture does not change.
    return const_cast<TBitmap*>(this)->Canvas()->Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == transparentMode_)
        return;
    if (mode == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Dormant()
{
    if (canvas_)
        canvas_->FreeContext();
}

void TBitmap::Changed()
{
    TGraphic::Changed();
}

void TBitmap::Draw(TCanvas* canvas, const RECT& rect)
{
    if (Empty())
        return;
    HDC target = canvas->Handle();
    HDC source = Canvas()->Handle();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (Transparent()) {
        TransparentBlt(target, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                       ColorToRGB(TransparentColor()) & 0xFFFFFF);
    } else {
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                   canvas->CopyMode());
    }
}

// ---- TIcon ----------------------------------------------------------------------------------

TIcon::~TIcon()
{
    Reset(nullptr);
}

void TIcon::Reset(HICON icon)
{
    if (icon_)
        DestroyIcon(icon_);
    icon_ = icon;
    width_ = height_ = 0;
    if (icon_) {
        ICONINFO info{};
        if (GetIconInfo(icon_, &info)) {
            BITMAP mask{};
            GetObjectA(info.hbmMask, sizeof mask, &mask);
            width_ = mask.bmWidth;
            // Without a colour bitmap the mask holds the AND and the XOR halves.
            height_ = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    }
}

void TIcon::Assign(TPersistent* source)
{
    if (auto* icon = dynamic_cast<TIcon*>(source)) {
        if (icon == this)
            return;
        Reset(icon->icon_ ? CopyIcon(icon->icon_) : nullptr);
        fileBytes_ = icon->fileBytes_;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const RECT& rect)
{
    if (!icon_)
        return;
    DrawIconEx(canvas->Handle(), rect.left, rect.top, icon_, rect.right - rect.left,
               rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> file = ReadRest(stream);
    // ICONDIR: reserved 0, type 1, count; then 16-byte entries.
    if (file.size() < 6 || ReadLe<uint16_t>(&file[0]) != 0 || ReadLe<uint16_t>(&file[2]) != 1)
        throw EInvalidGraphic("Icon image is not valid");
    const size_t count = ReadLe<uint16_t>(&file[4]);
    if (count == 0 || file.size() < 6 + count * 16)
        throw EInvalidGraphic("Icon image is not valid");
    const int wanted = GetSystemMetrics(SM_CXICON);
    size_t best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i < count; ++i) {
        const int size = file[6 + i * 16] ? file[6 + i * 16] : 256;
        const int distance = std::abs(size - wanted);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    const uint8_t* entry = &file[6 + best * 16];
    const uint32_t bytes = ReadLe<uint32_t>(entry + 8);
    const uint32_t offset = ReadLe<uint32_t>(entry + 12);
    if (bytes == 0 || offset > file.size() || bytes > file.size() - offset)
        throw EInvalidGraphic("Icon image is not valid");
    const int width = entry[0] ? entry[0] : 256;
    const int height = entry[1] ? entry[1] : 256;
    HICON icon = CreateIconFromResourceEx(&file[offset], bytes, TRUE, 0x00030000, width, height,
                                          LR_DEFAULTCOLOR);
    if (!icon)
        throw EInvalidGraphic("Icon image is not valid");
    Reset(icon);
    fileBytes_ = std::move(file);
    Changed();
}

void TIcon::SaveToStream(TStream& stream)
{
    if (icon_ && fileBytes_.empty())
        throw EInvalidGraphicOperation("Cannot save an icon made from a handle");
    if (!fileBytes_.empty())
        stream.WriteBuffer(fileBytes_.data(), static_cast<int64_t>(fileBytes_.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    if (!instance)
        instance = GetModuleHandleA(nullptr);
    HICON icon =
        static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (!icon)
        throw EResNotFound("Resource " + name + " not found");
    Reset(icon);
    fileBytes_.clear();
    Changed();
}

void TIcon::SetHandle(HICON icon)
{
    Reset(icon);
    fileBytes_.clear();
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    HICON icon = icon_;
    icon_ = nullptr;
    Reset(nullptr);
    fileBytes_.clear();
    return icon;
}

// ---- Format registry ------------------------------------------------------------------------

namespace {

std::string NormalExtension(std::string extension)
{
    if (!extension.empty() && extension[0] == '.')
        extension.erase(0, 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::mutex formatLock;

std::vector<TFileFormat>& Formats()
{
    static std::vector<TFileFormat> formats{
        {"bmp", "Bitmaps", &TBitmap::StaticClass()},
        {"ico", "Icons", &TIcon::StaticClass()},
    };
    return formats;
}

struct TClipboardFormatEntry {
    UINT format;
    const TMetaClass* graphicClass;
};

std::vector<TClipboardFormatEntry>& ClipboardFormats()
{
    static std::vector<TClipboardFormatEntry> formats{{CF_BITMAP, &TBitmap::StaticClass()}};
    return formats;
}

const TMetaClass* ClipboardGraphicClass(UINT format)
{
    std::lock_guard<std::mutex> guard(formatLock);
    for (const auto& entry : ClipboardFormats())
        if (entry.format == format)
            return entry.graphicClass;
    return nullptr;
}

std::string ExtensionOf(const std::string& fileName)
{
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("\\/:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot);
}

} // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const TMetaClass& graphicClass)
{
    std::lock_guard<std::mutex> guard(formatLock);
    const std::string key = NormalExtension(extension);
    auto& formats = Formats();
    for (auto& format : formats) {
        if (format.extension == key) {
            format = {key, description, &graphicClass};
            return;
        }
    }
    formats.push_back({key, description, &graphicClass});
}

void RegisterClipboardFormat(UINT format, const TMetaClass& graphicClass)
{
    std::lock_guard<std::mutex> guard(formatLock);
    auto& formats = ClipboardFormats();
    for (auto& entry : formats) {
        if (entry.format == format) {
            entry.graphicClass = &graphicClass;
            return;
        }
    }
    formats.push_back({format, &graphicClass});
}

void UnregisterGraphicClass(const TMetaClass& graphicClass)
{
    std::lock_guard<std::mutex> guard(formatLock);
    auto& formats = Formats();
    formats.erase(
        std::remove_if(formats.begin(), formats.end(),
                       [&](const TFileFormat& f) { return f.graphicClass == &graphicClass; }),
        formats.end());
    auto& clipboard = ClipboardFormats();
    clipboard.erase(std::remove_if(clipboard.begin(), clipboard.end(),
                                   [&](const TClipboardFormatEntry& e) {
                                       return e.graphicClass == &graphicClass;
                                   }),
                    clipboard.end());
}

const TFileFormat* FindFileFormat(const std::string& extension)
{
    std::lock_guard<std::mutex> guard(formatLock);
    const std::string key = NormalExtension(extension);
    for (const auto& format : Formats())
        if (format.extension == key)
            return &format;
    return nullptr;
}

std::string GraphicFilter()
{
    std::lock_guard<std::mutex> guard(formatLock);
    std::string all;
    std::string each;
    for (const auto& format : Formats()) {
        const std::string mask = "*." + format.extension;
        all += (all.empty() ? "" : ";") + mask;
        each += "|" + format.description + " (" + mask + ")|" + mask;
    }
    return "All (" + all + ")|" + all + each;
}

// ---- TPicture -------------------------------------------------------------------------------

TPicture::~TPicture()
{
    delete graphic_;
}

void TPicture::Replace(TGraphic* graphic)
{
    delete graphic_;
    graphic_ = graphic;
    if (graphic_)
        graphic_->OnChange = TNotifyEvent(this, &TPicture::Changed);
    Changed(this);
}

void TPicture::Changed(TObject*)
{
    if (OnChange)
        OnChange(this);
}

void TPicture::Assign(TPersistent* source)
{
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
        SetGraphic(picture->graphic_);
    } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::SetGraphic(TGraphic* graphic)
{
    if (!graphic) {
        Replace(nullptr);
        return;
    }
    auto* copy = static_cast<TGraphic*>(graphic->ClassType().Create());
    try {
        copy->Assign(graphic);
    } catch (...) {
        delete copy;
        throw;
    }
    Replace(copy);
}

TBitmap* TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_))
        return bitmap;
    Replace(new TBitmap);
    return static_cast<TBitmap*>(graphic_);
}

TIcon* TPicture::Icon()
{
    if (auto* icon = dynamic_cast<TIcon*>(graphic_))
        return icon;
    Replace(new TIcon);
    return static_cast<TIcon*>(graphic_);
}

void TPicture::LoadFromFile(const std::string& fileName)
{
    const std::string extension = ExtensionOf(fileName);
    const TFileFormat* format = FindFileFormat(extension);
    if (!format)
        throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
    auto* graphic = static_cast<TGraphic*>(format->graphicClass->Create());
    try {
        graphic->LoadFromFile(fileName);
    } catch (...) {
        delete graphic;
        throw;
    }
    Replace(graphic);
}

void TPicture::SaveToFile(const std::string& fileName)
{
    if (graphic_)
        graphic_->SaveToFile(fileName);
}

void TPicture::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette)
{
    const TMetaClass* graphicClass = ClipboardGraphicClass(format);
    if (!graphicClass)
        throw EInvalidGraphic("Unsupported clipboard format");
    auto* graphic = static_cast<TGraphic*>(graphicClass->Create());
    try {
        graphic->LoadFromClipboardFormat(format, data, palette);
    } catch (...) {
        delete graphic;
        throw;
    }
    Replace(graphic);
}

void TPicture::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette)
{
    format = 0;
    data = nullptr;
    palette = nullptr;
    if (graphic_)
        graphic_->SaveToClipboardFormat(format, data, palette);
}

bool TPicture::SupportsClipboardFormat(UINT format)
{
    return ClipboardGraphicClass(format) != nullptr;
}

void TPicture::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) { ReadData(stream); },
        [this](TStream& stream) { WriteData(stream); }, graphic_ && !graphic_->Empty());
}

void TPicture::ReadData(TStream& stream)
{
    // A short string with the class name, then the graphic's own data.
    uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string className(length, '\0');
    if (length)
        stream.ReadBuffer(className.data(), length);
    const TMetaClass* graphicClass = nullptr;
    {
        std::lock_guard<std::mutex> guard(formatLock);
        for (const auto& format : Formats())
            if (format.graphicClass->ClassName() == className)
                graphicClass = format.graphicClass;
    }
    if (!graphicClass)
        throw EInvalidGraphic("Unknown picture format " + className);
    auto* graphic = static_cast<TGraphic*>(graphicClass->Create());
    try {
        graphic->ReadData(stream);
    } catch (...) {
        delete graphic;
        throw;
    }
    Replace(graphic);
}

void TPicture::WriteData(TStream& stream)
{
    const std::string className = graphic_ ? graphic_->ClassName() : std::string();
    const auto length = static_cast<uint8_t>(std::min<size_t>(className.size(), 255));
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(className.data(), length);
    if (graphic_)
        graphic_->WriteData(stream);
}

} // namespace classlib
