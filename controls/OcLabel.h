#pragma once
// TOcLabel: the extended caption label. Over a plain label it adds a one-step drop shadow, a
// disabled look in system colours, text rotated by any angle, an image beside the text, a
// hot-track look while the mouse is over it, a plain or rounded frame, margins, an ellipsis
// mode, a focus rectangle for its focus control, a URL opened on click and a link to a data
// provider that can supply the caption, the painting and the click action.
#include "OcHotTrackPersistent.h"
#include "draw/OcExControls.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

#include <array>
#include <string>

namespace dataprovider {
class TOcDataConsumer;
enum TOcConsumerChangeReason : uint8_t;
} // namespace dataprovider

namespace controls {

enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
enum TOcTextEllipsis { teNone, teWordEllipsis, tePathEllipsis, teEndEllipsis };
enum TOcTrackFontOption {
    hoFollowFont,
    hoPreserveCharSet,
    hoPreserveColor,
    hoPreserveHeight,
    hoPreserveName,
    hoPreservePitch,
    hoPreserveStyle
};
using TOcTrackFontOptions = classlib::TSet<TOcTrackFontOption>;
CLASSLIB_ENUM(TShadowPosition);
CLASSLIB_ENUM(TOcTextEllipsis);
CLASSLIB_ENUM(TOcTrackFontOption);

// Draws `text` twice: first in the shadow colour at `rect` moved by `shadowSize` towards
// `shadowPos`, then in the canvas font's colour at `rect`; `rect` becomes the union of both.
// Returns the text height plus the shadow size (the plain height when that is 0 or less).
int DrawShadowedText(classlib::TCanvas& canvas, const std::string& text, RECT& rect, UINT flags,
                     int shadowSize, classlib::TColor shadowColor, TShadowPosition shadowPos);
// The octagon of a frame whose corners are cut by `radius` pixels, outlined with `color` and
// filled with the canvas brush.
void DrawRoundedFrame(classlib::TCanvas& canvas, const RECT& rect, classlib::TColor color,
                      int radius);

// Geometry of one line of text rotated counter-clockwise by an angle: g0..g3 the projections
// of the text's width w and height h, the bounding box g4 x g5, and the output point (x, y).
struct TRotatedTextGeometry {
    int g0, g1, g2, g3, g4, g5;
    int x, y;
};
// Pure arithmetic of the rotated text: `angle` 0..360, text extent w x h. With `autoSize` the
// point is the corner of the bounding box the label will be sized to; otherwise the text is
// placed in a client area of `clientWidth` x `clientHeight` by `alignment`, centred vertically.
TRotatedTextGeometry CalcRotatedTextGeometry(int angle, int textWidth, int textHeight,
                                             classlib::TAlignment alignment, bool autoSize,
                                             int clientWidth, int clientHeight);
POINT CalcRotatedTextOrigin(classlib::TAlignment alignment, int angle,
                            const TRotatedTextGeometry& geometry, double halfWidth,
                            double halfHeight);

// The hot-track settings any control can share with another.
struct IOcHotTrackSettings {
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{8F1B40FB-D8E3-46FE-A7A3-21CE4B199A8F}");
};

class TOcCustomLabel : public draw::TOcExGraphicControl {
    CLASSLIB_CLASS(TOcCustomLabel, draw::TOcExGraphicControl)
    explicit TOcCustomLabel(classlib::TComponent* owner);
    ~TOcCustomLabel() override;

    bool GetInterface(const classlib::TGUID& iid, void** obj) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetAutoSize(bool value) override;
    void Click() override;

    classlib::TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(classlib::TWinControl* value);
    classlib::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(classlib::TAlignment value);
    classlib::TTextLayout Layout() const { return layout_; }
    void SetLayout(classlib::TTextLayout value);
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value);
    uint8_t ShadowSize() const { return shadowSize_; }
    void SetShadowSize(uint8_t value);
    TShadowPosition ShadowPos() const { return shadowPos_; }
    void SetShadowPos(TShadowPosition value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value);
    bool Transparent() const { return !ControlStyle().Contains(classlib::csOpaque); }
    void SetTransparent(bool value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value) { hotTrack_ = value; }
    classlib::TFont* HotTrackFont() const { return hotTrackFont_; }
    void SetHotTrackFont(classlib::TFont* value);
    TOcTrackFontOptions HotTrackFontOptions() const { return hotTrackFontOptions_; }
    void SetHotTrackFontOptions(TOcTrackFontOptions value);
    TOcHotTrackOptions* HotTrackOptions() const { return hotTrackOptions_; }
    void SetHotTrackOptions(TOcHotTrackOptions* value);
    bool AutoOpenURL() const { return autoOpenURL_; }
    void SetAutoOpenURL(bool value) { autoOpenURL_ = value; }
    const std::string& URL() const { return url_; }
    void SetURL(const std::string& value) { url_ = value; }
    int Angle() const { return angle_; }
    void SetAngle(int value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    dataprovider::TOcDataConsumer* Provider() const { return consumer_; }
    // The consumer is edited in place; assigning one does nothing.
    void SetProvider(dataprovider::TOcDataConsumer*) {}
    TOcTextEllipsis TextEllipsis() const { return textEllipsis_; }
    void SetTextEllipsis(TOcTextEllipsis value);
    classlib::TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(classlib::TColor value);
    int RoundedFrame() const { return roundedFrame_; }
    void SetRoundedFrame(int value);
    // Sets all four margins; reads the left one.
    int Margin() const { return margins_[0]; }
    void SetMargin(int value);
    bool Pressed() const { return pressed_; }

    // Copies the hot-track settings of another label (not of itself).
    void AssignHotTrack(TOcCustomLabel* source);

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void NotifyTextChanged() override;
    bool QueryWantKey(WORD key, classlib::TShiftState shift, const std::wstring& keyText) override;
    void NotifyFocusChanged(classlib::TControl* control) override;
    void NotifyFontChanged() override;
    void NotifyEnabledChanged() override;
    void NotifyMouseEnter(classlib::TControl* control) override;
    void NotifyMouseLeave(classlib::TControl* control) override;

    virtual void DrawLabelText(RECT& rect, UINT flags);
    virtual void DrawItemText(RECT& rect, UINT flags);
    virtual void DrawTextOrItem(RECT& rect, UINT flags);
    virtual void AdjustBounds();
    virtual classlib::TColor GetLabelFontColor() { return Font()->Color(); }
    virtual std::string GetDisplayCaption();
    virtual int LabelImageWidth();
    virtual int LabelImageHeight();
    // Draws, or with DT_CALCRECT measures into `rect`, the caption rotated by Angle.
    void DrawRotatedText(RECT& rect, UINT flags, TShadowPosition shadowPos,
                         classlib::TColor shadowColor, int shadowSize, bool hasImage);

private:
    bool HasImage() const { return images_ && imageIndex_ >= 0; }
    bool ProviderAttached() const;
    void DetachProvider();
    void UpdateMouseOver();
    void ImageListChanged(classlib::TObject*);
    void HotTrackFontChanged(classlib::TObject*);
    void ConsumerChanged(dataprovider::TOcDataConsumer* sender,
                         dataprovider::TOcConsumerChangeReason reason);
    void ResizeNow();
    // The hot-track fill and frame, or the normal background and frame.
    void PaintBackground(bool hot);
    void FloodFillFrame(classlib::TColor borderColor);

    classlib::TWinControl* focusControl_ = nullptr;
    classlib::TAlignment alignment_ = classlib::taLeftJustify;
    classlib::TTextLayout layout_ = classlib::tlTop;
    classlib::TColor shadowColor_ = classlib::clBtnHighlight;
    uint8_t shadowSize_ = 0;
    TShadowPosition shadowPos_ = spRightBottom;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool showFocus_ = false;
    bool focused_ = false;
    bool pressed_ = false;
    int imageIndex_ = -1;
    classlib::TCustomImageList* images_ = nullptr;
    classlib::TChangeLink* imageChangeLink_;
    bool hotTrack_ = false;
    classlib::TFont* hotTrackFont_;
    TOcTrackFontOptions hotTrackFontOptions_{hoFollowFont, hoPreserveColor, hoPreserveStyle};
    TOcHotTrackOptions* hotTrackOptions_;
    bool autoOpenURL_ = true;
    std::string url_;
    int angle_ = 0;
    int spacing_ = 4;
    dataprovider::TOcDataConsumer* consumer_ = nullptr;
    bool needsResize_ = false;
    TOcTextEllipsis textEllipsis_ = teNone;
    classlib::TColor frameColor_ = classlib::clNone;
    int roundedFrame_ = 0;
    std::array<int, 4> margins_{}; // left, top, right, bottom
};

class TOcLabel : public TOcCustomLabel {
    CLASSLIB_CLASS(TOcLabel, TOcCustomLabel)
    using TOcCustomLabel::TOcCustomLabel;
};

} // namespace controls
