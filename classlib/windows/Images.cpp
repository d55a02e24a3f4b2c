#include "windows/Images.h"

#include "core/ComponentStream.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

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

int BitsOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    case pf32bit: return 32;
    }
    return 24;
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

CLASSLIB_DEFINE_ENUM(TPixelFormat, "pf1bit", "pf4bit", "pf8bit", "pf24bit", "pf32bit")
CLASSLIB_DEFINE_ENUM(TTransparentMode, "tmAuto", "tmFixed")

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

// The canvas of a bitmap: a memory device context with the bitmap's DIB selected, created on
// demand and released whenever the DIB is replaced.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext()
    {
        if (!HandleAllocated())
            return;
        HDC dc = Handle();
        SetHandle(nullptr);
        SelectObject(dc, oldBitmap_);
        DeleteDC(dc);
        oldBitmap_ = nullptr;
    }

protected:
    void CreateHandle() override
    {
        HDC dc = CreateCompatibleDC(nullptr);
        if (bitmap_->dib_)
            oldBitmap_ = SelectObject(dc, bitmap_->dib_);
        SetHandle(dc);
    }

private:
    TBitmap* bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    delete canvas_;
    canvas_ = nullptr;
    FreeImage();
}

void TBitmap::FreeImage()
{
    if (canvas_)
        canvas_->FreeContext();
    if (dib_)
        DeleteObject(dib_);
    dib_ = nullptr;
    bits_ = nullptr;
    width_ = height_ = stride_ = 0;
}

void TBitmap::CreateDib(int width, int height, TPixelFormat format, const void* sourceBits,
                        const BITMAPINFO* sourceInfo)
{
    if (width < 0 || height < 0 || width > kMaxDimension || height > kMaxDimension ||
        int64_t(width) * height > kMaxPixels)
        throw EInvalidGraphic("Invalid bitmap size");
    if (format != pf32bit)
        format = pf24bit;
    FreeImage();
    pixelFormat_ = format;
    if (width == 0 || height == 0)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as in a BMP file
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(BitsOf(format));
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib)
        throw EOutOfResources("Out of system resources");
    dib_ = dib;
    bits_ = static_cast<uint8_t*>(bits);
    width_ = width;
    height_ = height;
    stride_ = StrideOf(width, BitsOf(format));
    if (sourceBits && sourceInfo) {
        HDC screen = GetDC(nullptr);
        SetDIBits(screen, dib_, 0, static_cast<UINT>(height), sourceBits, sourceInfo,
                  DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    } else {
        std::memset(bits_, 0xFF, static_cast<size_t>(stride_) * height);
    }
}

void TBitmap::Assign(TPersistent* source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        if (bitmap == this)
            return;
        GdiFlush();
        CreateDib(bitmap->width_, bitmap->height_, bitmap->pixelFormat_, nullptr, nullptr);
        if (bits_)
            std::memcpy(bits_, bitmap->bits_, static_cast<size_t>(stride_) * height_);
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
    // Keep what stays of the old picture, anchored at the top-left corner.
    TBitmap old;
    old.Assign(this);
    CreateDib(width, height, pixelFormat_, nullptr, nullptr);
    if (dib_ && old.dib_) {
        HDC target = Canvas()->Handle();
        HDC source = old.Canvas()->Handle();
        BitBlt(target, 0, 0, std::min(width, old.width_), std::min(height, old.height_), source, 0,
               0, SRCCOPY);
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format != pf32bit)
        format = pf24bit;
    if (format == pixelFormat_)
        return;
    if (!dib_) {
        pixelFormat_ = format;
        return;
    }
    TBitmap old;
    old.Assign(this);
    CreateDib(old.width_, old.height_, format, nullptr, nullptr);
    BitBlt(Canvas()->Handle(), 0, 0, width_, height_, old.Canvas()->Handle(), 0, 0, SRCCOPY);
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    const std::vector<uint8_t> file = ReadRest(stream);
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
    const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
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

    // A BITMAPINFO with the header (as 40-byte header) and the table, for the conversion.
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + tableBytes);
    std::memcpy(info.data(), &header, sizeof header);
    reinterpret_cast<BITMAPINFOHEADER*>(info.data())->biSize = sizeof(BITMAPINFOHEADER);
    if (tableBytes)
        std::memcpy(info.data() + sizeof header, &file[kFileHeader + headerSize], tableBytes);
    const uint8_t* pixels = &file[pixelOffset];

    const bool direct = header.biCompression == BI_RGB && (bits == 24 || bits == 32);
    if (direct) {
        CreateDib(width, static_cast<int>(height), bits == 32 ? pf32bit : pf24bit,
                  nullptr, nullptr);
        for (int64_t row = 0; row < height; ++row) {
            // The DIB is bottom-up; a top-down file (negative height) is turned over.
            const int64_t sourceRow = header.biHeight < 0 ? height - 1 - row : row;
            std::memcpy(bits_ + row * stride_, pixels + sourceRow * stride, static_cast<size_t>(stride_));
        }
    } else {
        CreateDib(width, static_cast<int>(height), bits == 32 ? pf32bit : pf24bit,
                  pixels, reinterpret_cast<const BITMAPINFO*>(info.data()));
    }
    Changed();
}

void TBitmap::SaveToStream(TStream& stream)
{
    GdiFlush();
    const int bits = BitsOf(pixelFormat_);
    const uint32_t imageBytes = static_cast<uint32_t>(stride_) * static_cast<uint32_t>(height_);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSize = sizeof(header);
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    header.biSizeImage = imageBytes;
    HDC screen = GetDC(nullptr);
    header.biXPelsPerMeter = header.biYPelsPerMeter =
        MulDiv(GetDeviceCaps(screen, LOGPIXELSX), 10000, 254);
    ReleaseDC(nullptr, screen);
    stream.WriteBuffer(&file, sizeof file);
    stream.WriteBuffer(&header, sizeof header);
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
    const TPixelFormat format =
        description.bmBitsPixel == 32 ? pf32bit : pf24bit;
    CreateDib(description.bmWidth, description.bmHeight, format, nullptr, nullptr);
    if (dib_) {
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(Canvas()->Handle(), 0, 0, width_, height_, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    if (!instance)
        instance = GetModuleHandleA(nullptr);
    // As a DIB section, so the colours are the resource's own whatever the display depth.
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        throw EResNotFound("Resource " + name + " not found");
    try {
        LoadFromBitmapHandle(bitmap);
    } catch (...) {
        DeleteObject(bitmap);
        throw;
    }
    DeleteObject(bitmap);
    Changed();
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id)
{
    if (!instance)
        instance = GetModuleHandleA(nullptr);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        throw EResNotFound("Resource " + std::to_string(id) + " not found");
    try {
        LoadFromBitmapHandle(bitmap);
    } catch (...) {
        DeleteObject(bitmap);
        throw;
    }
    DeleteObject(bitmap);
    Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = new TBitmapCanvas(this);
    return canvas_;
}

HBITMAP TBitmap::Handle()
{
    return dib_;
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

const uint8_t* TBitmap::RowBits(int row) const
{
    if (row < 0 || row >= height_)
        throw EInvalidGraphicOperation("Scan line index out of range");
    GdiFlush();
    return bits_ + static_cast<size_t>(height_ - 1 - row) * stride_;
}

void* TBitmap::ScanLine(int row)
{
    return const_cast<uint8_t*>(RowBits(row));
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == tmFixed)
        return transparentColor_;
    if (Empty())
        return clDefault;
    const uint8_t* pixel = RowBits(height_ - 1);
    return TColor(pixel[2]) | TColor(pixel[1]) << 8 | TColor(pixel[0]) << 16;
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
    HICON icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
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

void UnregisterGraphicClass(const TMetaClass& graphicClass)
{
    std::lock_guard<std::mutex> guard(formatLock);
    auto& formats = Formats();
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [&](const TFileFormat& f) { return f.graphicClass == &graphicClass; }),
                  formats.end());
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
