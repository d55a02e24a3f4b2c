#pragma once
// Group box: a caption at one of six positions, optionally after an image-list image, that
// interrupts a frame of three styles (none, single, double) with optional rounded corners; in
// its transparent mode it paints its parent's background behind itself. With border style
// bsNone and transparency off it is a flat tile of its colour (how the main window shows its
// steps). TAdvCustomGroupBox holds the behaviour, TAdvGroupBox publishes it.
#include "windows/Controls.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

namespace controls {

// The group box's frame styles (the class library's TBorderStyle has no double frame).
enum class TGroupBoxBorderStyle { bsNone, bsSingle, bsDouble };
enum TCaptionPosition {
    cpTopLeft,
    cpTopRight,
    cpTopCenter,
    cpBottomLeft,
    cpBottomRight,
    cpBottomCenter
};
CLASSLIB_ENUM(TGroupBoxBorderStyle);
CLASSLIB_ENUM(TCaptionPosition);

class TAdvCustomGroupBox : public classlib::TCustomGroupBox {
    CLASSLIB_CLASS(TAdvCustomGroupBox, classlib::TCustomGroupBox)
    explicit TAdvCustomGroupBox(classlib::TComponent* owner);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    TGroupBoxBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TGroupBoxBorderStyle value);
    TCaptionPosition CaptionPosition() const { return captionPosition_; }
    void SetCaptionPosition(TCaptionPosition value);
    bool RoundEdges() const { return roundEdges_; }
    void SetRoundEdges(bool value);
    std::string Version() const { return "1.0.0.1"; }
    void SetVersion(const std::string&) {}

    int GetBorderWidth() const;
    RECT GetCaptionRect();
    int GetCaptionHeight();
    RECT GetFrameRect();
    void AdjustClientRect(RECT& rect) override;

protected:
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void Paint() override;

private:
    bool HasImage() const { return images_ && imageIndex_ >= 0; }
    void LayoutChanged();

    bool transparent_ = true;
    classlib::TColor borderColor_ = 0xC0C0C0;
    int imageIndex_ = -1;
    classlib::TCustomImageList* images_ = nullptr;
    TGroupBoxBorderStyle borderStyle_ = TGroupBoxBorderStyle::bsSingle;
    TCaptionPosition captionPosition_ = cpTopLeft;
    bool roundEdges_ = false;
};

class TAdvGroupBox : public TAdvCustomGroupBox {
    CLASSLIB_CLASS(TAdvGroupBox, TAdvCustomGroupBox)
    explicit TAdvGroupBox(classlib::TComponent* owner) : TAdvCustomGroupBox(owner) {}
};

} // namespace controls
