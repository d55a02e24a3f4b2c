#include "JPEGImage.h"

#include <algorithm>
#include <cstring>

#include "JpegCodec.h"
#include "core/Streams.h"
#include "core/TypeInfo.h"

namespace draw {

using namespace classlib;

CLASSLIB_PUBLISH(TJPEGImage)
{
    c.Property("CompressionQuality", &TJPEGImage::CompressionQuality,
               &TJPEGImage::SetCompressionQuality)
        .SetDefault(90);
    c.Property("Grayscale", &TJPEGImage::Grayscale, &TJPEGImage::SetGrayscale).SetDefault(false);
}

namespace {

std::unique_ptr<TBitmap> BitmapFromPixels(const JpegPixels& pixels)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(pixels.width, pixels.height);
    const auto components = static_cast<std::size_t>(pixels.components);
    for (int y = 0; y < pixels.height; ++y) {
        auto* target = static_cast<uint8_t*>(bitmap->ScanLine(y));
        const uint8_t* source =
            pixels.data.data() + static_cast<std::size_t>(y) * pixels.width * components;
        for (int x = 0; x < pixels.width; ++x, source += components, target += 3) {
            // Bitmap rows hold blue, green, red; a grey pixel is the same in all three.
            target[0] = source[components == 3 ? 2 : 0];
            target[1] = source[components == 3 ? 1 : 0];
            target[2] = source[0];
        }
    }
    return bitmap;
}

JpegPixels PixelsFromBitmap(TBitmap& bitmap)
{
    JpegPixels pixels;
    pixels.width = bitmap.Width();
    pixels.height = bitmap.Height();
    pixels.components = 3;
    pixels.data.resize(static_cast<std::size_t>(pixels.width) * pixels.height * 3);
    const std::size_t stepBytes = bitmap.PixelFormat() == pf32bit ? 4 : 3;
    uint8_t* target = pixels.data.data();
    for (int y = 0; y < pixels.height; ++y) {
        const auto* source = static_cast<const uint8_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < pixels.width; ++x, source += stepBytes, target += 3) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
    }
    return pixels;
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::Empty() const
{
    return !bitmap_ || bitmap_->Empty();
}

int TJPEGImage::Width() const
{
    return bitmap_ ? bitmap_->Width() : 0;
}

int TJPEGImage::Height() const
{
    return bitmap_ ? bitmap_->Height() : 0;
}

void TJPEGImage::Clear()
{
    bytes_.clear();
    bitmap_.reset();
    progressive_ = false;
}

void TJPEGImage::Decode()
{
    try {
        JpegDecoded decoded = DecodeJpeg(bytes_.data(), bytes_.size(), grayscale_);
        bitmap_ = BitmapFromPixels(decoded.pixels);
        progressive_ = decoded.progressive;
    } catch (const EJpegError& e) {
        Clear();
        throw EInvalidGraphic(e.Message());
    }
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Size() - stream.Position();
    Clear();
    if (remaining > 0) {
        bytes_.resize(static_cast<std::size_t>(remaining));
        stream.ReadBuffer(bytes_.data(), remaining);
    }
    try {
        Decode();
    } catch (...) {
        Changed();
        throw;
    }
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    if (bytes_.empty() && bitmap_ && !bitmap_->Empty())
        bytes_ = EncodeJpeg(PixelsFromBitmap(*bitmap_), quality_, grayscale_);
    if (!bytes_.empty())
        stream.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

void TJPEGImage::Draw(TCanvas* canvas, const RECT& rect)
{
    if (!Empty())
        canvas->StretchDraw(rect, bitmap_.get());
}

void TJPEGImage::SetCompressionQuality(int quality)
{
    quality_ = std::clamp(quality, 1, 100);
}

void TJPEGImage::SetGrayscale(bool value)
{
    if (value == grayscale_)
        return;
    grayscale_ = value;
    if (!bytes_.empty()) {
        Decode();
        Changed();
    }
}

void TJPEGImage::Assign(TPersistent* source)
{
    if (source == this)
        return;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(source)) {
        bytes_ = jpeg->bytes_;
        quality_ = jpeg->quality_;
        grayscale_ = jpeg->grayscale_;
        progressive_ = jpeg->progressive_;
        bitmap_.reset();
        if (jpeg->bitmap_) {
            bitmap_ = std::make_unique<TBitmap>();
            bitmap_->Assign(jpeg->bitmap_.get());
        }
        Changed();
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        Clear();
        bitmap_ = std::make_unique<TBitmap>();
        bitmap_->Assign(bitmap);
        Changed();
        return;
    }
    if (!source) {
        Clear();
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void JpegModuleInitialize()
{
    RegisterFileFormat("jpeg", "JPEG Image File", TJPEGImage::StaticClass());
    RegisterFileFormat("jpg", "JPEG Image File", TJPEGImage::StaticClass());
}

void JpegModuleFinalize()
{
    UnregisterGraphicClass(TJPEGImage::StaticClass());
}

} // namespace draw
