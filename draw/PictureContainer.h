// The pictures of the mini-HTML renderer's image tags:
//  - THTMLPicture keeps a picture's encoded bytes and decodes them through the OLE picture
//    service; for GIF data it can show any one frame. It loads from the program's resources
//    ("RES://name"), from files ("FILE://path"); any other URL is only remembered.
//  - TDownLoadThread, the worker an asynchronous URL request starts; nothing downloads, so it
//    ends at once and frees itself.
//  - THTMLPictureCache, the owning list a control keeps of the pictures loaded for URL sources.
//  - TPictureContainer, a component of named pictures looked up without regard to case.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/Collection.h"
#include "core/Component.h"
#include "core/Events.h"
#include "core/Lists.h"
#include "core/Streams.h"
#include "windows/Images.h"
#include "windows/Threads.h"

namespace draw {

using TDownloadProgressEvent =
    classlib::TEvent<void(classlib::TObject* Sender, uint32_t dwSize, uint32_t dwTotSize)>;
using TDownloadCancelEvent = classlib::TEvent<void(classlib::TObject* Sender, bool& Cancel)>;
using TDownloadCompleteEvent = classlib::TEvent<void(classlib::TObject* Sender)>;
using TDownloadErrorEvent =
    classlib::TEvent<void(classlib::TObject* Sender, const std::string& err)>;

class THTMLPicture : public classlib::TGraphic {
    CLASSLIB_CLASS(THTMLPicture, classlib::TGraphic)
    THTMLPicture();
    ~THTMLPicture() override;

    // From another HTML picture: its Stretch, Frame, source URL and bytes; the bytes are decoded
    // when first measured or drawn, so undecodable bytes raise nothing here. None clears the
    // bytes; any other source only empties the picture.
    void Assign(classlib::TPersistent* source) override;
    // At natural size from the rectangle's top-left corner, or scaled into it with Stretch.
    void Draw(classlib::TCanvas* canvas, const RECT& rect) override;
    bool Empty() const override { return empty_; }
    // The decoded picture's size in pixels (0 without one).
    int Width() const override;
    int Height() const override;
    // The size always comes from the picture.
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // Copies the whole stream, decodes it (raising the decoding errors) and fires OnChange.
    void LoadFromStream(classlib::TStream& stream) override;
    void SaveToStream(classlib::TStream& stream) override;
    // The file's bytes, decoded; any failure leaves the picture empty and raises nothing.
    void LoadFromFile(const std::string& fileName) override;
    // No clipboard form: loading leaves the picture as it is, saving hands over no data.
    void LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) override {}
    void SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) override {}
    // The module's RT_RCDATA resource of that name; nothing when there is none.
    void LoadFromRcData(HINSTANCE instance, const std::string& name);
    // "RES://name" and "FILE://path" (prefixes in any case) load; any other text is remembered.
    void LoadFromSource(const std::string& source);

    bool IsGifData() const;
    // Frames of GIF data (cached until the bytes change); -1 for other data.
    int CountGifFrames();
    // The GIF logical screen size when it has one, else Width and Height.
    int MaxWidth() const;
    int MaxHeight() const;

    // The GIF frame to show, counted from 1 (not range-checked).
    int Frame() const { return frame_; }
    void SetFrame(int frame);
    // Position of the shown frame from its image descriptor.
    uint16_t FrameLeft() const { return frameLeft_; }
    uint16_t FrameTop() const { return frameTop_; }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { stretch_ = value; }
    bool Asynchronous() const { return asynchronous_; }
    void SetAsynchronous(bool value) { asynchronous_ = value; }
    bool Busy() const { return busy_; }
    // The source text the picture was loaded from: the cache's lookup key.
    const std::string& URL() const { return url_; }
    const std::string& PendingURL() const { return pendingUrl_; }
    classlib::TMemoryStream& Data() { return *data_; }

    classlib::TNotifyEvent OnFrameChange;
    // Declared for the form layouts; nothing downloads, so they never fire.
    TDownloadProgressEvent OnDownLoadProgress;
    TDownloadCancelEvent OnDownLoadCancel;
    TDownloadCompleteEvent OnDownLoadComplete;
    TDownloadErrorEvent OnDownLoadError;

protected:
    void ReadData(classlib::TStream& stream) override;
    void WriteData(classlib::TStream& stream) override;

private:
    // Replaces the bytes with the whole of `stream` and forgets what was derived from the old ones.
    void TakeBytes(classlib::TStream& stream);
    void DecodePicture();
    // The decoded picture, decoding bytes that were assigned; none when that fails.
    IPicture* Picture() const;
    void ReleasePicture();

    std::unique_ptr<classlib::TMemoryStream> data_;
    bool empty_ = true;
    bool stretch_ = false;
    mutable IPicture* picture_ = nullptr;
    mutable bool decodePending_ = false;
    std::string pendingUrl_;
    std::string url_;
    bool asynchronous_ = true;
    bool busy_ = false;
    int frame_ = 1;
    int frameCount_ = -1;
    uint16_t frameLeft_ = 0;
    uint16_t frameTop_ = 0;
    uint16_t screenWidth_ = 0;
    uint16_t screenHeight_ = 0;
};

// The worker started for an asynchronous URL request: it starts when created, does nothing,
// and frees itself when it ends. It keeps the picture only to say whom it was for and never
// touches it (the picture may be gone by then).
class TDownLoadThread : public classlib::TThread {
public:
    explicit TDownLoadThread(THTMLPicture* picture);
    THTMLPicture* Picture() const { return picture_; }

protected:
    void Execute() override {}

private:
    THTMLPicture* picture_;
};

// The pictures a control loaded for URL sources; it owns and frees them.
class THTMLPictureCache : public classlib::TList {
public:
    THTMLPictureCache() = default;
    ~THTMLPictureCache() override;
    THTMLPicture* AddPicture();
    // The first picture whose source URL equals `url` exactly (case-sensitive), or none.
    THTMLPicture* FindPictureByURL(const std::string& url) const;
    THTMLPicture* GetPicture(int index) const;
    void ClearPictures();
};

class TPictureContainer;

class TPictureItem : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TPictureItem, classlib::TCollectionItem)
    explicit TPictureItem(classlib::TCollection* collection);
    ~TPictureItem() override;
    // Another TPictureItem only (anything else raises EInvalidCast).
    void Assign(classlib::TPersistent* source) override;

    THTMLPicture* Picture() const { return picture_; }
    void SetPicture(THTMLPicture* value) { picture_->Assign(value); }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t value) { tag_ = value; }

private:
    THTMLPicture* picture_;
    std::string name_;
    int32_t tag_ = 0;
};

class TPictureCollection : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TPictureCollection, classlib::TOwnedCollection)
    explicit TPictureCollection(TPictureContainer* container);
    TPictureItem* Items(int index) const;
    TPictureItem* Add();
};

class TPictureContainer : public classlib::TComponent {
    CLASSLIB_CLASS(TPictureContainer, classlib::TComponent)
    explicit TPictureContainer(classlib::TComponent* owner);
    ~TPictureContainer() override;

    TPictureCollection* Items() const { return items_; }
    void SetItems(TPictureCollection* value) { items_->Assign(value); }
    // The picture of the first item whose name equals `name` without regard to ASCII case.
    virtual THTMLPicture* LookupPicture(const std::string& name) const;
    uint32_t GetVersionNr() const { return 0x01000000; }
    std::string Version() const;
    void SetVersion(const std::string&) {}

private:
    TPictureCollection* items_;
};

} // namespace draw
