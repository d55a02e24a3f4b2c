#include "GDIPicture.h"

#include <objidl.h>

#include "AdvGDIP.h"
#include "core/TypeInfo.h"

namespace draw {

using namespace classlib;

CLASSLIB_PUBLISH(TGDIPPicture)
{
    c.Property("OnClear", &TGDIPPicture::OnClear);
}

namespace {

struct ReleaseStream {
    void operator()(IStream* stream) const { stream->Release(); }
};
using ComStreamPtr = std::unique_ptr<IStream, ReleaseStream>;

// The picture's bytes as GDI+ reads them: a COM stream over a movable global block that the
// stream owns, and the image loaded from it (which reads the stream while it lives).
struct OpenedImage {
    ComStreamPtr stream;
    std::unique_ptr<TGPImage> image;
};

OpenedImage OpenForGdiplus(TMemoryStream& data)
{
    const auto size = static_cast<SIZE_T>(data.Size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        throw Exception("Could not allocate memory for image");
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &raw))) {
        GlobalFree(block);
        throw Exception("Could not allocate memory for image");
    }
    OpenedImage opened;
    opened.stream.reset(raw);
    ULONG written = 0;
    opened.stream->Write(data.Memory(), static_cast<ULONG>(size), &written);
    LARGE_INTEGER start{};
    opened.stream->Seek(start, STREAM_SEEK_SET, nullptr);
    opened.image = TGPImage::LoadImageFromStream(opened.stream.get(), false);
    return opened;
}

} // namespace

TGDIPPicture::TGDIPPicture() : data_(std::make_unique<TMemoryStream>()) {}

TGDIPPicture::~TGDIPPicture() = default;

bool TGDIPPicture::HasBytes() const
{
    return !empty_ && data_->Size() > 0;
}

void TGDIPPicture::CopyWhole(TStream& stream)
{
    data_->LoadFromStream(stream);
}

bool TGDIPPicture::UpdateImageSize()
{
    if (!HasBytes())
        return false;
    OpenedImage opened = OpenForGdiplus(*data_);
    width_ = static_cast<int>(opened.image->GetImageWidth());
    height_ = static_cast<int>(opened.image->GetImageHeight());
    return true;
}

void TGDIPPicture::Draw(TCanvas* canvas, const RECT& rect)
{
    if (!HasBytes())
        return;
    auto graphics = TGPGraphics::CreateFromHDC(canvas->Handle());
    OpenedImage opened = OpenForGdiplus(*data_);
    if (opened.image->GetImageRawFormat() == gifBmp) {
        // Through the platform bitmap: natural size, bottom-left pixel's colour left out.
        graphics.reset();
        TBitmap bitmap;
        data_->SetPosition(0);
        bitmap.LoadFromStream(*data_);
        bitmap.SetTransparentMode(tmAuto);
        bitmap.SetTransparent(true);
        canvas->Draw(rect.left, rect.top, &bitmap);
        return;
    }
    width_ = static_cast<int>(opened.image->GetImageWidth());
    height_ = static_cast<int>(opened.image->GetImageHeight());
    graphics->DrawImageRect(opened.image.get(), rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top);
}

void TGDIPPicture::Assign(TPersistent* source)
{
    // Assigning the picture to itself would empty the bytes it then copies.
    if (source == this)
        return;
    empty_ = true;
    if (!source) {
        data_->Clear();
        Changed();
        if (OnClear)
            OnClear(this);
        return;
    }
    if (auto* picture = dynamic_cast<TGDIPPicture*>(source)) {
        CopyWhole(*picture->data_);
        empty_ = data_->Size() == 0;
        Changed();
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        TMemoryStream bmp;
        bitmap->SaveToStream(bmp);
        CopyWhole(bmp);
        empty_ = false;
        Changed();
    } else if (auto* platformPicture = dynamic_cast<TPicture*>(source)) {
        // A picture without a graphic gives an empty picture with no bytes.
        TMemoryStream saved;
        if (TGraphic* graphic = platformPicture->Graphic())
            graphic->SaveToStream(saved);
        CopyWhole(saved);
        empty_ = data_->Size() == 0;
        Changed();
    }
    UpdateImageSize();
}

void TGDIPPicture::LoadFromStream(TStream& stream)
{
    CopyWhole(stream);
    empty_ = false;
    UpdateImageSize();
    Changed();
}

void TGDIPPicture::SaveToStream(TStream& stream)
{
    data_->SaveToStream(stream);
}

void TGDIPPicture::ReadData(TStream& stream)
{
    CopyWhole(stream);
    empty_ = false;
}

void TGDIPPicture::WriteData(TStream& stream)
{
    data_->SaveToStream(stream);
}

void TGDIPPicture::LoadFromFile(const std::string& fileName)
{
    try {
        data_->LoadFromFile(fileName);
        empty_ = false;
        if (OnClear)
            OnClear(this);
        UpdateImageSize();
        Changed();
    } catch (...) {
        // A missing or unreadable file leaves an empty picture; callers test Empty.
        empty_ = true;
    }
}

} // namespace draw
