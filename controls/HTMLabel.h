#pragma once
// THTMLabel: a windowless label whose text is mini-HTML drawn by the shared renderer, with an
// optional solid or stepped-gradient background, a 2-pixel gradient line, panel bevels and a
// border; it sizes itself to the text on request, aligns the text vertically and makes the
// anchors live (hover highlight, hand cursor, enter/exit/click/hint events, web and mail links
// opened through the shell).
//
// TCustomHTMLabel holds what THTMLabel and the reflection label share: the fields, the
// renderer calls, the anchor hit test and the mouse and hint handling.
#include "html/AnchorLinks.h"
#include "html/HtmlRenderer.h"
#include "windows/ExtCtrls.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

#include <memory>
#include <string>

namespace draw {
class THTMLPictureCache;
class TPictureContainer;
} // namespace draw

namespace controls {

enum TAutoSizeType { asVertical, asHorizontal, asBoth };
enum TGradientType { gtFullHorizontal, gtFullVertical, gtBottomLine, gtCenterLine, gtTopLine };
enum TVAlignment { tvaTop, tvaCenter, tvaBottom };
CLASSLIB_ENUM(TAutoSizeType);
CLASSLIB_ENUM(TGradientType);
CLASSLIB_ENUM(TVAlignment);

using html::TAnchorClick;
using TAnchorHintEvent = classlib::TEvent<void(classlib::TObject* Sender, std::string& Anchor)>;

// A stepped gradient of `steps` bands (0 counts as 1) from `from` toward `to` over `rect`; the
// last band is one step short of `to`. clNone reads as white.
void DrawStepGradientClipped(classlib::TCanvas& canvas, classlib::TColor from, classlib::TColor to,
                             int steps, const RECT& rect, bool horizontal);

class TCustomHTMLabel : public classlib::TCustomLabel {
    CLASSLIB_CLASS(TCustomHTMLabel, classlib::TCustomLabel)
    CLASSLIB_MESSAGES()
    explicit TCustomHTMLabel(classlib::TComponent* owner);
    ~TCustomHTMLabel() override;

    classlib::TStringList* HTMLText() const { return htmlText_; }
    virtual void SetHTMLText(classlib::TStrings* value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor value);
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value) { pictureContainer_ = value; }
    draw::THTMLPictureCache* PictureCache() const { return pictureCache_.get(); }
    std::string Version() const;
    void SetVersion(const std::string&) {}
    virtual uint32_t GetVersionNr() const = 0;

    // The lines of HTMLText run together (no separator).
    virtual std::string GetDisplayText() const;
    // The anchor target under (x, y) in client coordinates, or empty; `anchorRect` receives the
    // hovered anchor's rectangle ((-1, -1, -1, -1) when none).
    std::string HitTestAnchor(int x, int y, RECT& anchorRect);
    int HotIndex() const { return hotIndex_; }

    TAnchorClick OnAnchorClick;
    TAnchorClick OnAnchorEnter;
    TAnchorClick OnAnchorExit;
    TAnchorHintEvent OnAnchorHint;

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    virtual void HTMLChanged();
    // The renderer with the label's fixed inputs filled in (focus, word wrap, pictures).
    virtual bool DrawHtml(html::HtmlDrawRequest& request, html::HtmlDrawResult& result);
    // The renderer itself (DrawHtmlText), called by DrawHtml with the complete request.
    virtual bool RenderHtml(const html::HtmlDrawRequest& request, html::HtmlDrawResult& result);
    // A request for the label's text on its canvas, with the label's colours.
    html::HtmlDrawRequest TextRequest(const RECT& rect, int x, int y, int hotIndex,
                                      bool hitTestOnly);
    void InvalidateAnchorRect(const RECT& rect);
    virtual void HTMLTextChanged(classlib::TObject*);
    virtual void ImageListChanged(classlib::TObject*);
    // The pointer in client coordinates.
    POINT PointerPosition() const;

    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);

    classlib::TStringList* htmlText_;
    std::unique_ptr<draw::THTMLPictureCache> pictureCache_;
    classlib::TChangeLink* imageChangeLink_;
    classlib::TCustomImageList* images_ = nullptr;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    std::string lastAnchor_;
    RECT lastAnchorRect_{};
    int hotIndex_ = -1;
    int lastHotIndex_ = 0;
    classlib::TColor urlColor_ = classlib::clBlue;

    // Options THTMLabel publishes; the reflection label keeps their construction values.
    bool autoSizing_ = false;
    TAutoSizeType autoSizeType_ = asVertical;
    bool anchorHint_ = false;
    classlib::TBevelCut bevelInner_ = classlib::bvNone;
    classlib::TBevelCut bevelOuter_ = classlib::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    classlib::TBorderStyle borderStyle_ = classlib::bsNone;
    int shadowOffset_ = 2;
    classlib::TColor shadowColor_ = classlib::clGray;
    bool hover_ = false;
    classlib::TColor hoverColor_ = classlib::clNone;
    classlib::TColor hoverFontColor_ = classlib::clNone;
    TVAlignment vAlignment_ = tvaTop;
    bool ellipsis_ = false;
    bool hintShowFull_ = false;
    bool htmlHint_ = false;
    classlib::TColor colorTo_ = classlib::clNone;
    classlib::TColor borderColor_ = classlib::clBlack;
    int lineWidth_ = 0;
    TGradientType gradientType_ = gtFullHorizontal;
};

class THTMLabel : public TCustomHTMLabel {
    CLASSLIB_CLASS(THTMLabel, TCustomHTMLabel)
    explicit THTMLabel(classlib::TComponent* owner);

    uint32_t GetVersionNr() const override { return 0x01070504; }

    bool AutoSizing() const { return autoSizing_; }
    void SetAutoSizing(bool value);
    TAutoSizeType AutoSizeType() const { return autoSizeType_; }
    void SetAutoSizeType(TAutoSizeType value);
    bool AnchorHint() const { return anchorHint_; }
    void SetAnchorHint(bool value) { anchorHint_ = value; }
    classlib::TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(classlib::TBevelCut value) { Store(bevelInner_, value); }
    classlib::TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(classlib::TBevelCut value) { Store(bevelOuter_, value); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value) { Store(bevelWidth_, value); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value) { Store(borderWidth_, value); }
    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle value) { Store(borderStyle_, value); }
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { Store(borderColor_, value); }
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { Store(colorTo_, value); }
    TGradientType GradientType() const { return gradientType_; }
    void SetGradientType(TGradientType value) { Store(gradientType_, value); }
    int LineWidth() const { return lineWidth_; }
    void SetLineWidth(int value) { Store(lineWidth_, value); }
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value) { Store(shadowColor_, value); }
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int value) { Store(shadowOffset_, value); }
    bool Hover() const { return hover_; }
    void SetHover(bool value) { Store(hover_, value); }
    classlib::TColor HoverColor() const { return hoverColor_; }
    void SetHoverColor(classlib::TColor value) { Store(hoverColor_, value); }
    classlib::TColor HoverFontColor() const { return hoverFontColor_; }
    void SetHoverFontColor(classlib::TColor value) { Store(hoverFontColor_, value); }
    TVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TVAlignment value);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool value);
    bool HintShowFull() const { return hintShowFull_; }
    void SetHintShowFull(bool value) { hintShowFull_ = value; }
    bool HTMLHint() const { return htmlHint_; }
    void SetHTMLHint(bool value) { htmlHint_ = value; }

protected:
    void Paint() override;

private:
    template <class T>
    void Store(T& field, T value)
    {
        field = value;
        Invalidate();
    }
};

} // namespace controls
