#include "AdvImage.h"

#include "core/Exceptions.h"

using namespace classlib;

namespace panels {

CLASSLIB_PUBLISH(TAdvImage) {}

TAdvImage::TAdvImage() = default;

TAdvImage::~TAdvImage()
{
    DropPicture();
}

void TAdvImage::DropPicture()
{
    if (picture_) {
        picture_->Release();
        picture_ = nullptr;
    }
}

void TAdvImage::TakeBytes(TStream& source)
{
    data_.Clear();
    data_.LoadFromStream(source);
    empty_ = false;
    BuildPicture();
}

void TAdvImage::BuildPicture()
{
    DropPicture();
    const auto size = static_cast<SIZE_T>(data_.Size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        throw Exception("Could not allocate memory for image");
    if (size > 0) {
        void* bytes = GlobalLock(block);
        std::memcpy(bytes, data_.Memory(), size);
        GlobalUnlock(block);
    }
    IStream* stream = nullptr;
    // The stream owns the block and frees it when released.
    const HRESULT created = CreateStreamOnHGlobal(block, TRUE, &stream);
    if (created == static_cast<HRESULT>(-1)) {
        GlobalFree(block);
        throw Exception("Could not create image stream");
    }
    if (!stream) {
        GlobalFree(block);
        throw Exception("Empty image stream created");
    }
    void* picture = nullptr;
    const HRESULT loaded =
        OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, &picture);
    stream->Release();
    if (FAILED(loaded))
        throw Exception("Could not load image. Invalid format");
    if (!picture)
        throw Exception("Could not load image");
    picture_ = static_cast<IPicture*>(picture);
}

void TAdvImage::LoadFromStream(TStream& stream)
{
    TakeBytes(stream);
    Changed();
}

void TAdvImage::ReadData(TStream& stream)
{
    TakeBytes(stream);
}

void TAdvImage::LoadFromFile(const std::string& fileName)
{
    try {
        TMemoryStream file;
        file.LoadFromFile(fileName);
        file.SetPosition(0);
        TakeBytes(file);
    } catch (const std::exception&) {
        DropPicture();
        data_.Clear();
        empty_ = true;
        return;
    }
    Changed();
}

void TAdvImage::SaveToStream(TStream& stream)
{
    if (data_.Size() > 0)
        stream.WriteBuffer(data_.Memory(), data_.Size());
}

void TAdvImage::WriteData(TStream& stream)
{
    SaveToStream(stream);
}

void TAdvImage::Assign(TPersistent* source)
{
    empty_ = true;
    DropPicture();
    // Whatever the source, the old bytes go: a graphic that reports itself empty must not
    // save (or stream into a form layout) the picture it had before.
    data_.Clear();
    if (!source) {
        Changed();
        return;
    }
    auto* image = dynamic_cast<TAdvImage*>(source);
    if (!image || image->Empty())
        return;
    image->data_.SetPosition(0);
    TakeBytes(image->data_);
    Changed();
}

namespace {
// HIMETRIC (0.01 mm) to pixels at the given resolution.
int HimetricToPixels(OLE_XSIZE_HIMETRIC value, int pixelsPerInch)
{
    return MulDiv(value, pixelsPerInch, 2540);
}
} // namespace

int TAdvImage::Width() const
{
    if (!picture_)
        return 0;
    OLE_XSIZE_HIMETRIC w = 0;
    picture_->get_Width(&w);
    return HimetricToPixels(w, pixelsPerInchX_);
}

int TAdvImage::Height() const
{
    if (!picture_)
        return 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Height(&h);
    return HimetricToPixels(h, pixelsPerInchY_);
}

void TAdvImage::Draw(TCanvas* canvas, const RECT& rect)
{
    if (empty_ || !picture_)
        return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    // HIMETRIC runs bottom-up: start at the bottom edge with a negative height.
    picture_->Render(canvas->Handle(), rect.left, rect.bottom, rect.right - rect.left,
                     rect.top - rect.bottom, 0, 0, w, h, &rect);
}

} // namespace panels
