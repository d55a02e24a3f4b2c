#pragma once
// The advanced panel: a container that paints its own background (solid, gradient or mirrored
// gradient), border with drop shadow, bevels, a background picture in one of seven places, a
// mini-HTML body text, a caption bar (flat, gradient, one of the generated shadings, a picture
// or the XP window caption) with close and collapse buttons, a status strip and a size grip.
// Under the mouse it collapses to its caption, follows hyperlink anchors, moves by its caption
// and sizes by its grip; it can size itself to its text and keep its position in an INI file
// or the registry. `TAdvPanelStyler` (AdvPanelStyler.h) pushes one look to many panels;
// `TAdvPanelGroup` (AdvPanelGroup.h) arranges panels placed on it.
#include "panels/AdvImage.h"
#include "panels/PanelShading.h"

#include "draw/PictureContainer.h"
#include "html/HtmlRenderer.h"
#include "windows/ExtCtrls.h"
#include "windows/ImageLists.h"

#include <string>
#include <vector>

namespace panels {

class TAdvPanelStyler;
class TAdvPanelSettings;
class TCustomAdvPanel;

enum TBackGroundPosition {
    bpTopLeft,
    bpTopRight,
    bpBottomLeft,
    bpBottomRight,
    bpTiled,
    bpStretched,
    bpCenter
};
enum TGradientDirection { gdVertical, gdHorizontal };
enum TTextVAlignment { tvaTop, tvaCenter, tvaBottom };
enum TCaptionShape { csRectangle, csRounded, csSemiRounded };
enum TCaptionButtonPosition { cbpRight, cbpLeft };
enum TCaptionPosition { cpTop, cpLeft };
enum TPanelPositionLocation { clRegistry, clInifile };
CLASSLIB_ENUM(TBackGroundPosition);
CLASSLIB_ENUM(TGradientDirection);
CLASSLIB_ENUM(TTextVAlignment);
CLASSLIB_ENUM(TCaptionShape);
CLASSLIB_ENUM(TCaptionButtonPosition);
CLASSLIB_ENUM(TCaptionPosition);
CLASSLIB_ENUM(TPanelPositionLocation);
CLASSLIB_ENUM(TShadeType);

using TAnchorEvent = classlib::TEvent<void(classlib::TObject* Sender, std::string Anchor)>;
using TAnchorHintEvent = classlib::TEvent<void(classlib::TObject* Sender, std::string& Anchor)>;
using TPanelPaintEvent =
    classlib::TEvent<void(classlib::TObject* Sender, classlib::TCanvas* ACanvas, RECT ARect)>;

// ---- drawing helpers of the panel module ----------------------------------------------------

// C1 itself at exactly 100 %; otherwise each channel P % of C1 plus the rest of C2 (system
// colours resolved, rounded half to even).
classlib::TColor BlendPanelColors(classlib::TColor c1, classlib::TColor c2, int percent);
// At most 32 bands (0 counts as 1) from one colour towards the other, each band one pixel
// longer than its share so that they overlap.
void DrawPanelGradient(classlib::TCanvas* canvas, classlib::TColor fromColor,
                       classlib::TColor toColor, int steps, const RECT& r, bool horizontal);
// Two 32-band gradients, split at the middle along the gradient direction.
void DrawPanelMirrorGradient(classlib::TCanvas* canvas, const RECT& r, classlib::TColor color,
                             classlib::TColor colorTo, classlib::TColor colorMirror,
                             classlib::TColor colorMirrorTo, TGradientDirection direction);

// ---- the caption bar's settings -------------------------------------------------------------

class TPanelCaption : public classlib::TPersistent {
    CLASSLIB_CLASS(TPanelCaption, classlib::TPersistent)
    TPanelCaption();
    ~TPanelCaption() override;
    void Assign(classlib::TPersistent* source) override;

    classlib::TBitmap* Background() const { return background_; }
    void SetBackground(classlib::TBitmap* value);
    TCaptionButtonPosition ButtonPosition() const { return buttonPosition_; }
    void SetButtonPosition(TCaptionButtonPosition value) { buttonPosition_ = value; }
    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value);
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value);
    classlib::TColor CloseColor() const { return closeColor_; }
    void SetCloseColor(classlib::TColor value);
    bool CloseButton() const { return closeButton_; }
    void SetCloseButton(bool value);
    classlib::TColor CloseButtonColor() const { return closeButtonColor_; }
    void SetCloseButtonColor(classlib::TColor value);
    classlib::TColor CloseButtonHoverColor() const { return closeButtonHoverColor_; }
    void SetCloseButtonHoverColor(classlib::TColor value) { closeButtonHoverColor_ = value; }
    classlib::TBitmap* CloseMinGlyph() const { return closeMinGlyph_; }
    void SetCloseMinGlyph(classlib::TBitmap* value);
    classlib::TBitmap* CloseMaxGlyph() const { return closeMaxGlyph_; }
    void SetCloseMaxGlyph(classlib::TBitmap* value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    classlib::TFont* Font() const { return font_; }
    void SetFont(classlib::TFont* value);
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value);
    int Height() const { return height_; }
    void SetHeight(int value);
    int Indent() const { return indent_; }
    void SetIndent(int value);
    classlib::TBitmap* MaxGlyph() const { return maxGlyph_; }
    void SetMaxGlyph(classlib::TBitmap* value) { maxGlyph_->Assign(value); }
    classlib::TBitmap* MinGlyph() const { return minGlyph_; }
    void SetMinGlyph(classlib::TBitmap* value) { minGlyph_->Assign(value); }
    bool MinMaxButton() const { return minMaxButton_; }
    void SetMinMaxButton(bool value);
    classlib::TColor MinMaxButtonColor() const { return minMaxButtonColor_; }
    void SetMinMaxButtonColor(classlib::TColor value);
    classlib::TColor MinMaxButtonHoverColor() const { return minMaxButtonHoverColor_; }
    void SetMinMaxButtonHoverColor(classlib::TColor value) { minMaxButtonHoverColor_ = value; }
    bool MinMaxCaption() const { return minMaxCaption_; }
    void SetMinMaxCaption(bool value) { minMaxCaption_ = value; }
    TCaptionPosition Position() const { return position_; }
    void SetPosition(TCaptionPosition value);
    int ShadeLight() const { return shadeLight_; }
    void SetShadeLight(int value);
    uint8_t ShadeGrain() const { return shadeGrain_; }
    void SetShadeGrain(uint8_t value);
    TShadeType ShadeType() const { return shadeType_; }
    void SetShadeType(TShadeType value);
    TCaptionShape Shape() const { return shape_; }
    void SetShape(TCaptionShape value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value);
    int TopIndent() const { return topIndent_; }
    void SetTopIndent(int value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    // Sets the height without a change event (the presets that store it so).
    void StoreHeight(int value) { height_ = value; }

    classlib::TNotifyEvent OnChange;
    classlib::TNotifyEvent OnStateChange;
    classlib::TNotifyEvent OnShadeChange;
    classlib::TNotifyEvent OnPositionChange;

private:
    void Changed();
    void ShadeChanged();
    void FontChanged(classlib::TObject*) { Changed(); }

    classlib::TBitmap* background_;
    classlib::TBitmap* closeMinGlyph_;
    classlib::TBitmap* closeMaxGlyph_;
    classlib::TBitmap* maxGlyph_;
    classlib::TBitmap* minGlyph_;
    classlib::TFont* font_;
    TCaptionButtonPosition buttonPosition_ = cbpRight;
    classlib::TColor color_ = classlib::clHighlight;
    classlib::TColor colorTo_ = classlib::clNone;
    classlib::TColor closeColor_ = classlib::clBtnFace;
    bool closeButton_ = false;
    classlib::TColor closeButtonColor_ = classlib::clWhite;
    classlib::TColor closeButtonHoverColor_ = classlib::clNone;
    bool flat_ = false;
    TGradientDirection gradientDirection_ = gdHorizontal;
    int height_ = 20;
    int indent_ = 0;
    bool minMaxButton_ = false;
    classlib::TColor minMaxButtonColor_ = classlib::clWhite;
    classlib::TColor minMaxButtonHoverColor_ = classlib::clNone;
    bool minMaxCaption_ = false;
    TCaptionPosition position_ = cpTop;
    int shadeLight_ = 200;
    uint8_t shadeGrain_ = 32;
    TShadeType shadeType_ = stNormal;
    TCaptionShape shape_ = csRectangle;
    std::string text_;
    int topIndent_ = 0;
    bool visible_ = false;
};

// ---- the built-in status strip --------------------------------------------------------------

class TPanelStatusBar : public classlib::TPersistent {
    CLASSLIB_CLASS(TPanelStatusBar, classlib::TPersistent)
    TPanelStatusBar();
    ~TPanelStatusBar() override;
    // Copies the colours, gradient direction, border style and colour and the font only.
    void Assign(classlib::TPersistent* source) override;

    bool BevelInner() const { return bevelInner_; }
    void SetBevelInner(bool value) { Store(bevelInner_, value); }
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { Store(borderColor_, value); }
    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle value) { Store(borderStyle_, value); }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value) { Store(imageIndex_, value); }
    classlib::TFont* Font() const { return font_; }
    void SetFont(classlib::TFont* value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& value) { Store(text_, value); }
    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value) { Store(color_, value); }
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { Store(colorTo_, value); }
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value) { Store(gradientDirection_, value); }
    int Height() const { return height_; }
    void SetHeight(int value) { Store(height_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }

    classlib::TNotifyEvent OnChange;

private:
    template <class T>
    void Store(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange(this);
    }
    void FontChanged(classlib::TObject*)
    {
        if (OnChange)
            OnChange(this);
    }

    bool bevelInner_ = false;
    classlib::TColor borderColor_ = classlib::clBlack;
    classlib::TBorderStyle borderStyle_ = classlib::bsNone;
    int imageIndex_ = -1;
    classlib::TFont* font_;
    std::string text_;
    classlib::TColor color_ = classlib::clBtnFace;
    classlib::TColor colorTo_ = classlib::clNone;
    TGradientDirection gradientDirection_ = gdHorizontal;
    int height_ = 18;
    bool visible_ = false;
};

// ---- sizing to the text and position persistence --------------------------------------------

class TAutoSize : public classlib::TPersistent {
    CLASSLIB_CLASS(TAutoSize, classlib::TPersistent)
    explicit TAutoSize(TCustomAdvPanel* panel = nullptr) : panel_(panel) {}
    void Assign(classlib::TPersistent* source) override;
    bool Enabled() const { return enabled_; }
    // True sizes the panel at once.
    void SetEnabled(bool value);
    bool Height() const { return height_; }
    void SetHeight(bool value) { height_ = value; }
    bool Width() const { return width_; }
    void SetWidth(bool value) { width_ = value; }

private:
    TCustomAdvPanel* panel_;
    bool enabled_ = false;
    bool height_ = true;
    bool width_ = true;
};

class TPanelPosition : public classlib::TPersistent {
    CLASSLIB_CLASS(TPanelPosition, classlib::TPersistent)
    explicit TPanelPosition(TCustomAdvPanel* panel = nullptr) : panel_(panel) {}
    void Assign(classlib::TPersistent* source) override;
    bool Save() const { return save_; }
    void SetSave(bool value) { save_ = value; }
    const std::string& Key() const { return key_; }
    void SetKey(const std::string& value) { key_ = value; }
    const std::string& Section() const { return section_; }
    void SetSection(const std::string& value) { section_ = value; }
    TPanelPositionLocation Location() const { return location_; }
    void SetLocation(TPanelPositionLocation value) { location_ = value; }

private:
    TCustomAdvPanel* panel_;
    bool save_ = false;
    std::string key_;
    std::string section_;
    TPanelPositionLocation location_ = clRegistry;
};

// ---- the panel ------------------------------------------------------------------------------

class TCustomAdvPanel : public classlib::TCustomPanel {
    CLASSLIB_CLASS(TCustomAdvPanel, classlib::TCustomPanel)
    CLASSLIB_MESSAGES()
    explicit TCustomAdvPanel(classlib::TComponent* owner);
    ~TCustomAdvPanel() override;

    // Copies the look and most settings of another panel (not its size, place, collapse
    // state, indents, events or styler); any other class raises EInvalidCast.
    void Assign(classlib::TPersistent* source) override;

    // ---- properties ----
    bool AnchorHint() const { return anchorHint_; }
    void SetAnchorHint(bool value) { anchorHint_ = value; }
    TAutoSize* AutoSizing() const { return autoSize_; }
    void SetAutoSizing(TAutoSize* value) { autoSize_->Assign(value); }
    bool AutoHideChildren() const { return autoHideChildren_; }
    void SetAutoHideChildren(bool value) { autoHideChildren_ = value; }
    TAdvImage* Background() const { return background_; }
    void SetBackground(TAdvImage* value) { background_->Assign(value); }
    TBackGroundPosition BackgroundPosition() const { return backgroundPosition_; }
    void SetBackgroundPosition(TBackGroundPosition value)
    {
        StoreAndRepaint(backgroundPosition_, value);
    }
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { StoreAndRepaint(borderColor_, value); }
    bool BorderShadow() const { return borderShadow_; }
    void SetBorderShadow(bool value) { StoreAndRepaint(borderShadow_, value); }
    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle value) { StoreAndRepaint(borderStyle_, value); }
    bool Buffered() const { return buffered_; }
    void SetBuffered(bool value) { buffered_ = value; }
    bool CanMove() const { return canMove_; }
    void SetCanMove(bool value) { canMove_ = value; }
    bool CanSize() const { return canSize_; }
    void SetCanSize(bool value) { StoreAndRepaint(canSize_, value); }
    // The caption bar (the platform's caption text is not used by this panel).
    TPanelCaption* Caption() const { return caption_; }
    void SetCaption(TPanelCaption* value) { caption_->Assign(value); }
    bool Collaps() const { return collaps_; }
    void SetCollaps(bool value);
    classlib::TColor CollapsColor() const { return collapsColor_; }
    void SetCollapsColor(classlib::TColor value) { collapsColor_ = value; }
    int CollapsDelay() const { return collapsDelay_; }
    void SetCollapsDelay(int value) { collapsDelay_ = value; }
    int CollapsSteps() const { return collapsSteps_; }
    void SetCollapsSteps(int value) { collapsSteps_ = value; }
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value) { RepaintOnChange(colorTo_, value); }
    classlib::TColor ColorMirror() const { return colorMirror_; }
    void SetColorMirror(classlib::TColor value) { RepaintOnChange(colorMirror_, value); }
    classlib::TColor ColorMirrorTo() const { return colorMirrorTo_; }
    void SetColorMirrorTo(classlib::TColor value) { RepaintOnChange(colorMirrorTo_, value); }
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool value) { StoreAndRepaint(ellipsis_, value); }
    bool FixedTop() const { return fixedTop_; }
    void SetFixedTop(bool value) { fixedTop_ = value; }
    bool FixedLeft() const { return fixedLeft_; }
    void SetFixedLeft(bool value) { fixedLeft_ = value; }
    bool FixedHeight() const { return fixedHeight_; }
    void SetFixedHeight(bool value) { fixedHeight_ = value; }
    bool FixedWidth() const { return fixedWidth_; }
    void SetFixedWidth(bool value) { fixedWidth_ = value; }
    bool FreeOnClose() const { return freeOnClose_; }
    void SetFreeOnClose(bool value) { freeOnClose_ = value; }
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value)
    {
        StoreAndRepaint(gradientDirection_, value);
    }
    bool Hover() const { return hover_; }
    void SetHover(bool value) { hover_ = value; }
    classlib::TColor HoverColor() const { return hoverColor_; }
    void SetHoverColor(classlib::TColor value) { hoverColor_ = value; }
    classlib::TColor HoverFontColor() const { return hoverFontColor_; }
    void SetHoverFontColor(classlib::TColor value) { hoverFontColor_ = value; }
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    int Indent() const { return indent_; }
    void SetIndent(int value) { StoreAndRepaint(indent_, value); }
    int LineSpacing() const { return lineSpacing_; }
    void SetLineSpacing(int value) { StoreAndRepaint(lineSpacing_, value); }
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value);
    TPanelPosition* Position() const { return position_; }
    void SetPosition(TPanelPosition* value) { position_->Assign(value); }
    classlib::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(classlib::TColor value) { StoreAndRepaint(shadowColor_, value); }
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int value) { StoreAndRepaint(shadowOffset_, value); }
    bool ShowMoveCursor() const { return showMoveCursor_; }
    void SetShowMoveCursor(bool value) { showMoveCursor_ = value; }
    TPanelStatusBar* StatusBar() const { return statusBar_; }
    void SetStatusBar(TPanelStatusBar* value) { statusBar_->Assign(value); }
    TAdvPanelStyler* Styler() const { return styler_; }
    virtual void SetStyler(TAdvPanelStyler* value);
    // The body text in mini-HTML.
    std::string Text() const override { return text_; }
    void SetText(const std::string& value);
    TTextVAlignment TextVAlign() const { return textVAlign_; }
    void SetTextVAlign(TTextVAlignment value) { StoreAndRepaint(textVAlign_, value); }
    int TopIndent() const { return topIndent_; }
    void SetTopIndent(int value) { StoreAndRepaint(topIndent_, value); }
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor value) { StoreAndRepaint(urlColor_, value); }
    std::string Version() const;
    void SetVersion(const std::string&) {}

    // The expanded extent: height with a top caption, width with a left caption.
    int FullHeight() const { return fullHeight_; }
    void SetFullHeight(int value) { fullHeight_ = value; }
    // The caption shading, rebuilt when the caption, its position or the width change.
    classlib::TBitmap* ShadeBitmap() const { return shadeBitmap_; }
    bool Animating() const { return animating_; }

    // Pushes a styler's settings into the panel (not its size, collapse state, text, hint,
    // position, caption buttons or strip text).
    virtual void ApplySettings(TAdvPanelSettings* settings);
    virtual void BuildShadeBitmap();
    // Re-arranges the panels of a group; nothing for a plain panel.
    virtual void ArrangeGroup() {}

    void SavePosition();
    void LoadPosition();
    // Sizes the panel to its text when the auto size is enabled.
    void DoAutoSize();

    // The panel's geometry (it keeps its full height while collapsed).
    void SetBounds(int left, int top, int width, int height) override;

    classlib::TNotifyEvent OnCaptionClick;
    classlib::TNotifyEvent OnCaptionDBlClick;
    classlib::TNotifyEvent OnClose;
    classlib::TNotifyEvent OnMinimize;
    classlib::TNotifyEvent OnMaximize;
    classlib::TNotifyEvent OnEndCollapsExpand;
    classlib::TNotifyEvent OnEndMoveSize;
    TAnchorEvent OnAnchorClick;
    TAnchorEvent OnAnchorEnter;
    TAnchorEvent OnAnchorExit;
    TAnchorHintEvent OnAnchorHint;
    TPanelPaintEvent OnPaint;

protected:
    void DefineProperties(classlib::TFiler& filer) override;
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void WndProc(classlib::TMessage& message) override;
    void AlignControls(classlib::TControl* control, RECT& rect) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void Resize() override;
    void ChangeScale(int m, int d) override;

    void WMEraseBkgnd(classlib::TMessage& m);
    void WMSize(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);
    void WMSetCursor(classlib::TMessage& m);
    void WMLButtonDblClk(classlib::TMessage& m);
    void WMSizing(classlib::TMessage& m);
    void WMMoving(classlib::TMessage& m);
    void WMExitSizeMove(classlib::TMessage& m);
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);
    void CMReleasePanel(classlib::TMessage& m);

    // Tells the group this panel lies on (if any) that its panels need arranging again.
    void RearrangeParentGroup();
    bool Loading() const { return ComponentState().Contains(classlib::csLoading); }
    bool Designing() const { return ComponentState().Contains(classlib::csDesigning); }
    bool Themed() const;

private:
    template <class T>
    void StoreAndRepaint(T& field, const T& value)
    {
        field = value;
        Invalidate();
    }
    template <class T>
    void RepaintOnChange(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }
    void CaptionChanged(classlib::TObject*) { Invalidate(); }
    void CaptionShadeChanged(classlib::TObject*) { BuildShadeBitmap(); }
    void CaptionStateChanged(classlib::TObject*) { ArrangeGroup(); }
    void CaptionPositionChanged(classlib::TObject*);
    void PartChanged(classlib::TObject*) { Invalidate(); }

    bool TopCaption() const { return caption_->Position() == cpTop; }
    int StripHeight() const { return statusBar_->Visible() ? statusBar_->Height() : 0; }
    bool AnyBevel() const
    {
        return BevelInner() != classlib::bvNone || BevelOuter() != classlib::bvNone;
    }

    // painting, in the order of Paint
    void PaintBackground(classlib::TCanvas* canvas, RECT& r);
    void PaintBorderAndBevels(classlib::TCanvas* canvas, RECT& r);
    void PaintBackgroundPicture(classlib::TCanvas* canvas, const RECT& r);
    void PaintBodyText(classlib::TCanvas* canvas, RECT r);
    void PaintCaption(classlib::TCanvas* canvas);
    void DrawCaptionBackground(classlib::TCanvas* canvas, RECT band);
    void PaintCaptionButtons(classlib::TCanvas* canvas, RECT& b);
    void PaintCaptionText(classlib::TCanvas* canvas, RECT b);
    void PaintStatusStrip(classlib::TCanvas* canvas);
    void PaintSizeGrip(classlib::TCanvas* canvas);
    void DrawThemePart(classlib::TCanvas* canvas, int part, RECT r);
    // What the body, caption and strip texts share when they are drawn.
    html::HtmlDrawRequest DisplayRequest(classlib::TCanvas* canvas, const std::string& text,
                                         const RECT& r, int hotIndex, bool wordWrap) const;

    // interaction
    struct CaptionHit {
        bool close = false;
        bool minMax = false;
        bool caption = false;
    };
    CaptionHit HitCaption(int x, int y, bool minGlyphWidth) const;
    int CaptionButtonWidth(bool minGlyphWidth) const;
    RECT ButtonSquare(const RECT& r, bool closeButton, int bw) const;
    std::string AnchorAt(int x, int y, RECT& anchorRect);
    void HideChildren();
    void ShowChildren();
    void ClosePanel();
    void InvalidateRect(const RECT& r);
    void SetPanelCursor(classlib::TCursor cursor);
    void MoveOntoNearestMonitor(int& left, int& top, int width, int height) const;

    TAutoSize* autoSize_;
    TAdvImage* background_;
    TPanelCaption* caption_;
    TPanelPosition* position_;
    TPanelStatusBar* statusBar_;
    draw::THTMLPictureCache* pictureCache_;
    classlib::TBitmap* shadeBitmap_;

    bool anchorHint_ = false;
    bool autoHideChildren_ = true;
    TBackGroundPosition backgroundPosition_ = bpTopLeft;
    classlib::TColor borderColor_ = classlib::clBlack;
    bool borderShadow_ = false;
    classlib::TBorderStyle borderStyle_ = classlib::bsNone;
    bool buffered_ = true;
    bool canMove_ = false;
    bool canSize_ = false;
    bool collaps_ = false;
    classlib::TColor collapsColor_ = classlib::clGray;
    int collapsDelay_ = 20;
    int collapsSteps_ = 0;
    classlib::TColor colorTo_ = classlib::clNone;
    classlib::TColor colorMirror_ = classlib::clNone;
    classlib::TColor colorMirrorTo_ = classlib::clNone;
    bool ellipsis_ = false;
    bool fixedTop_ = false, fixedLeft_ = false, fixedHeight_ = false, fixedWidth_ = false;
    bool freeOnClose_ = false;
    TGradientDirection gradientDirection_ = gdVertical;
    bool hover_ = false;
    classlib::TColor hoverColor_ = classlib::clNone;
    classlib::TColor hoverFontColor_ = classlib::clNone;
    classlib::TCustomImageList* images_ = nullptr;
    int indent_ = 0;
    int lineSpacing_ = 0;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    classlib::TColor shadowColor_ = classlib::clGray;
    int shadowOffset_ = 2;
    bool showMoveCursor_ = false;
    TAdvPanelStyler* styler_ = nullptr;
    std::string text_;
    TTextVAlignment textVAlign_ = tvaTop;
    int topIndent_ = 0;
    classlib::TColor urlColor_ = classlib::clBlue;

    int fullHeight_ = 0;
    classlib::TColor savedColor_ = classlib::clBtnFace;
    bool animating_ = false;
    bool closeButtonHot_ = false;
    bool minMaxButtonHot_ = false;
    int bodyHotAnchor_ = -1;
    int bodyHotAnchorPrevious_ = -1;
    int captionHotAnchor_ = -1;
    std::string lastAnchor_;
    RECT bodyAnchorRect_{};
    RECT captionAnchorRect_{};
    classlib::TCursor normalCursor_ = classlib::crDefault;
    bool movingByCaption_ = false;
    POINT loadedOrigin_{};
    SIZE loadedSize_{};
    int lastBoundsWidth_ = -1;
    int lastBoundsHeight_ = -1;
    std::vector<classlib::TControl*> hiddenChildren_;
    bool isXP_ = false;
    bool inMouseMessage_ = false;
    // The close button asked to free the panel while it was busy (in its own mouse message or
    // in a collapse animation that pumps messages); it is freed once that has ended.
    bool releasePending_ = false;
};

class TAdvPanel : public TCustomAdvPanel {
    CLASSLIB_CLASS(TAdvPanel, TCustomAdvPanel)
    explicit TAdvPanel(classlib::TComponent* owner) : TCustomAdvPanel(owner) {}
};

// Registers every class of this folder with the class registry.
void RegisterPanelClasses();

} // namespace panels
