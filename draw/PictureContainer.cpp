#include "draw/PictureContainer.h"

#include <olectl.h>

#include <cstring>
#include <vector>

#include "core/Exceptions.h"
#include "core/TypeInfo.h"
#include "draw/GifFrames.h"
#include "draw/OcTypes.h"

using namespace classlib;

namespace draw {

CLASSLIB_PUBLISH(THTMLPicture)
{
    c.Property("Stretch", &THTMLPicture::Stretch, &THTMLPicture::SetStretch).SetDefault(false);
    c.Property("Frame", &THTMLPicture::Frame, &THTMLPicture::SetFrame).SetDefault(1);
    c.Property("OnFrameChange", &THTMLPicture::OnFrameChange);
    c.Property("OnDownLoadError", &THTMLPicture::OnDownLoadError);
    c.Property("OnDownLoadComplete", &THTMLPicture::OnDownLoadComplete);
    c.Property("OnDownLoadCancel", &THTMLPicture::OnDownLoadCancel);
    c.Property("OnDownLoadProgress", &THTMLPicture::OnDownLoadProgress);
}

CLASSLIB_PUBLISH(TPictureItem)
{
    c.Property("Picture", &TPictureItem::Picture, &TPictureItem::SetPicture);
    c.Property("Name", &TPictureItem::Name, &TPictureItem::SetName);
    c.Property("Tag", &TPictureItem::Tag, &TPictureItem::SetTag).SetDefault(0);
}

CLASSLIB_PUBLISH(TPictureCollection) {}

CLASSLIB_PUBLISH(TPictureContainer)
{
    c.Property("Items", &TPictureContainer::Items, &TPictureContainer::SetItems);
    c.Property("Version", &TPictureContainer::Version, &TPictureContainer::SetVersion)
        .Stored(false);
}

namespace {

const char* const AllocFailed = "Could not allocate memory for image";

const uint8_t* Bytes(const TMemoryStream& data)
{
    return static_cast<const uint8_t*>(data.Memory());
}

size_t ByteCount(TMemoryStream& data)
{
    return static_cast<size_t>(data.Size());
}

// What a prefix test sees: ASCII letters in upper case, everything else as it is.
std::string AsciiUpper(std::string text)
{
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    return text;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// A COM stream that owns a global block holding exactly `bytes`.
IStream* StreamOnCopy(const std::vector<uint8_t>& bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block)
        throw Exception(AllocFailed);
    if (!bytes.empty()) {
        void* memory = GlobalLock(block);
        if (!memory) {
            GlobalFree(block);
            throw Exception(AllocFailed);
        }
        std::memcpy(memory, bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    IStream* stream = nullptr;
    const HRESULT result = CreateStreamOnHGlobal(block, TRUE, &stream);
    if (FAILED(result) || !stream) {
        // Without a stream the block is still ours to free.
        if (stream)
            stream->Release();
        GlobalFree(block);
        throw Exception(FAILED(result) ? "Could not create image stream"
                                       : "Empty image stream created");
    }
    return stream;
}

} // namespace

// ---- THTMLPicture -----------------------------------------------------------------------------

THTMLPicture::THTMLPicture() : data_(std::make_unique<TMemoryStream>()) {}

THTMLPicture::~THTMLPicture()
{
    ReleasePicture();
}

void THTMLPicture::ReleasePicture()
{
    if (picture_) {
        picture_->Release();
        picture_ = nullptr;
    }
    decodePending_ = false;
}

void THTMLPicture::TakeBytes(TStream& stream)
{
    data_->Clear();
    stream.SetPosition(0);
    data_->CopyFrom(stream, stream.Size());
    data_->SetPosition(0);
    frameCount_ = -1; // counted again for the new bytes
}

bool THTMLPicture::IsGifData() const
{
    return draw::IsGifData(Bytes(*data_), ByteCount(*data_));
}

int THTMLPicture::CountGifFrames()
{
    if (frameCount_ != -1)
        return frameCount_;
    if (!IsGifData())
        return -1;
    frameCount_ = static_cast<int>(ScanGifFrames(Bytes(*data_), ByteCount(*data_)).size());
    return frameCount_;
}

void THTMLPicture::DecodePicture()
{
    frameLeft_ = frameTop_ = 0;
    screenWidth_ = screenHeight_ = 0;
    const uint8_t* data = Bytes(*data_);
    const size_t size = ByteCount(*data_);
    std::vector<uint8_t> bytes;
    if (IsGifData() && CountGifFrames() > 0) {
        const TGifScreen screen = GifScreenSize(data, size);
        screenWidth_ = screen.Width;
        screenHeight_ = screen.Height;
        bytes = SelectGifFrame(data, size, frame_, frameLeft_, frameTop_);
    } else {
        bytes.assign(data, data + size);
    }
    IStream* stream = StreamOnCopy(bytes);
    ReleasePicture();
    // The decoder is told the size of what the block holds, not of the untrimmed data.
    IPicture* picture = nullptr;
    const HRESULT result = OleLoadPicture(stream, static_cast<LONG>(bytes.size()), FALSE,
                                          IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(result)) {
        if (picture)
            picture->Release();
        throw Exception("Could not load image. Invalid format");
    }
    if (!picture)
        throw Exception("Could not load image");
    picture_ = picture;
}

IPicture* THTMLPicture::Picture() const
{
    if (decodePending_) {
        decodePending_ = false;
        try {
            const_cast<THTMLPicture*>(this)->DecodePicture();
        } catch (const Exception&) {
            // Assigned bytes that do not decode draw nothing and measure 0, as a picture without
            // data.
        }
    }
    return picture_;
}

int THTMLPicture::Width() const
{
    IPicture* picture = Picture();
    OLE_XSIZE_HIMETRIC w = 0;
    if (!picture || FAILED(picture->get_Width(&w)))
        return 0;
    return MulDiv(w, 96, 2540);
}

int THTMLPicture::Height() const
{
    IPicture* picture = Picture();
    OLE_YSIZE_HIMETRIC h = 0;
    if (!picture || FAILED(picture->get_Height(&h)))
        return 0;
    return MulDiv(h, 96, 2540);
}

int THTMLPicture::MaxWidth() const
{
    if (!Picture())
        return 0;
    return screenWidth_ != 0 ? screenWidth_ : Width();
}

int THTMLPicture::MaxHeight() const
{
    if (!Picture())
        return 0;
    return screenHeight_ != 0 ? screenHeight_ : Height();
}

void THTMLPicture::Draw(TCanvas* canvas, const RECT& rect)
{
    if (empty_)
        return;
    IPicture* picture = Picture();
    if (!picture)
        return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    HDC dc = canvas->Handle();
    // The source rectangle runs from the bottom up (HIMETRIC's y axis points up); the same call
    // serves both sizes, since a flipped target rectangle is not drawn by every picture service.
    int cx = rect.right - rect.left;
    int cy = rect.bottom - rect.top;
    if (!stretch_) {
        cx = MulDiv(w, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        cy = MulDiv(h, GetDeviceCaps(dc, LOGPIXELSY), 2540);
    }
    picture->Render(dc, rect.left, rect.top, cx, cy, 0, h, w, -h, &rect);
}

void THTMLPicture::SetFrame(int frame)
{
    frame_ = frame;
    if (data_->Size() != 0) {
        DecodePicture();
        if (OnFrameChange)
            OnFrameChange(this);
    }
}

void THTMLPicture::Assign(TPersistent* source)
{
    if (source == this)
        return;
    empty_ = true;
    ReleasePicture();
    frameCount_ = -1;
    frame_ = 1;
    if (!source) {
        data_->Clear();
        return;
    }
    auto* other = dynamic_cast<THTMLPicture*>(source);
    if (!other)
        return;
    stretch_ = other->stretch_;
    frame_ = other->frame_;
    url_ = other->url_;
    TakeBytes(*other->data_);
    empty_ = false;
    decodePending_ = true;
    Changed();
}

void THTMLPicture::LoadFromStream(TStream& stream)
{
    ReadData(stream);
    Changed();
}

void THTMLPicture::ReadData(TStream& stream)
{
    TakeBytes(stream);
    empty_ = false;
    DecodePicture();
}

void THTMLPicture::WriteData(TStream& stream)
{
    SaveToStream(stream);
}

void THTMLPicture::SaveToStream(TStream& stream)
{
    if (data_->Size() > 0)
        stream.WriteBuffer(data_->Memory(), data_->Size());
}

void THTMLPicture::LoadFromFile(const std::string& fileName)
{
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        LoadFromStream(file);
    } catch (const Exception&) {
        empty_ = true;
    }
}

void THTMLPicture::LoadFromRcData(HINSTANCE instance, const std::string& name)
{
    HRSRC resource = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(10));
    if (!resource)
        return;
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return;
    TMemoryStream stream;
    stream.WriteBuffer(bytes, SizeofResource(instance, resource));
    LoadFromStream(stream);
}

void THTMLPicture::LoadFromSource(const std::string& source)
{
    const std::string upper = AsciiUpper(source);
    if (StartsWith(upper, "RES://")) {
        url_ = source;
        if (source.size() > 6)
            LoadFromRcData(GetModuleHandleA(nullptr), source.substr(6));
    } else if (StartsWith(upper, "FILE://")) {
        url_ = source;
        if (source.size() > 7)
            LoadFromFile(source.substr(7));
    } else if (!asynchronous_) {
        pendingUrl_ = source;
        url_ = source;
    } else if (!busy_) {
        // Nothing downloads: the request is recorded, and the source URL stays unset.
        pendingUrl_ = source;
        busy_ = true;
        new TDownLoadThread(this);
    }
}

// ---- TDownLoadThread --------------------------------------------------------------------------

TDownLoadThread::TDownLoadThread(THTMLPicture* picture) : picture_(picture)
{
    FreeOnTerminate = true;
    Start();
}

// ---- THTMLPictureCache ------------------------------------------------------------------------

THTMLPictureCache::~THTMLPictureCache()
{
    ClearPictures();
}

THTMLPicture* THTMLPictureCache::AddPicture()
{
    auto* picture = new THTMLPicture();
    Add(picture);
    return picture;
}

THTMLPicture* THTMLPictureCache::FindPictureByURL(const std::string& url) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetPicture(i)->URL() == url)
            return GetPicture(i);
    return nullptr;
}

THTMLPicture* THTMLPictureCache::GetPicture(int index) const
{
    return static_cast<THTMLPicture*>(Items(index));
}

void THTMLPictureCache::ClearPictures()
{
    for (int i = 0; i < Count(); ++i)
        delete GetPicture(i);
    Clear();
}

// ---- TPictureItem, TPictureCollection, TPictureContainer --------------------------------------

TPictureItem::TPictureItem(TCollection* collection)
    : TCollectionItem(collection), picture_(new THTMLPicture())
{
}

TPictureItem::~TPictureItem()
{
    delete picture_;
}

void TPictureItem::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPictureItem*>(source);
    if (!other)
        throw EInvalidCast(messages::InvalidCast);
    name_ = other->name_;
    tag_ = other->tag_;
    picture_->Assign(other->picture_);
}

TPictureCollection::TPictureCollection(TPictureContainer* container)
    : TOwnedCollection(container, TPictureItem::StaticClass())
{
}

TPictureItem* TPictureCollection::Items(int index) const
{
    return static_cast<TPictureItem*>(TCollection::Items(index));
}

TPictureItem* TPictureCollection::Add()
{
    return static_cast<TPictureItem*>(TCollection::Add());
}

TPictureContainer::TPictureContainer(TComponent* owner)
    : TComponent(owner), items_(new TPictureCollection(this))
{
}

TPictureContainer::~TPictureContainer()
{
    delete items_;
}

THTMLPicture* TPictureContainer::LookupPicture(const std::string& name) const
{
    const std::string wanted = AsciiUpper(name);
    for (int i = 0; i < items_->Count(); ++i)
        if (AsciiUpper(items_->Items(i)->Name()) == wanted)
            return items_->Items(i)->Picture();
    return nullptr;
}

std::string TPictureContainer::Version() const
{
    return VersionText(GetVersionNr());
}

} // namespace draw
