#pragma once
// The glow button: a windowed push, check and drop-down button painted through GDI+ as two
// gradient halves, fading between its normal, hot and pressed looks in 30 ms timer steps.
// TAdvCustomGlowButton holds the behaviour; TAdvGlowButton publishes the group, style, layout,
// drop-down and appearance properties. DrawGlowButtonFace is the stateless face renderer used
// by the paint cycle and by CalcButtonSize.
#include <windows.h>

#include <memory>
#include <string>

#include "core/StringList.h"
#include "draw/AdvGDIP.h"
#include "draw/AdvHintInfo.h"
#include "draw/GDIPicture.h"
#include "draw/GlowDrawing.h"
#include "windows/Controls.h"
#include "windows/ImageLists.h"
#include "windows/Menus.h"
#include "windows/Timers.h"

namespace controls {

enum TButtonLayout {
    blGlyphLeft,
    blGlyphTop,
    blGlyphRight,
    blGlyphBottom,
    blGlyphLeftAdjusted,
    blGlyphRightAdjusted,
    blGlyphTopAdjusted,
    blGlyphBottomAdjusted
};
enum TAdvButtonStyle { bsButton, bsCheck };
enum TButtonSizeState { bsGlyph, bsLabel, bsLarge };
enum TDropDownPosition { dpRight, dpBottom };
enum TDropDownDirection { ddDown, ddRight };
enum TFocusType { ftBorder, ftHot, ftHotBorder, ftNone };
enum TGlowButtonState { gsNormal, gsHot, gsDown };
// GDI+ string trimming.
enum StringTrimming {
    StringTrimmingNone,
    StringTrimmingCharacter,
    StringTrimmingWord,
    StringTrimmingEllipsisCharacter,
    StringTrimmingEllipsisWord,
    StringTrimmingEllipsisPath
};
enum TShortCutHintPos {
    shpLeft,
    shpTop,
    shpRight,
    shpBottom,
    shpCenter,
    shpAuto,
    shpTopLeft,
    shpTopRight,
    shpAboveTop,
    shpAboveTopLeft,
    shpAboveTopRight,
    shpBottomLeft,
    shpBottomRight,
    shpBelowBottom,
    shpBelowBottomLeft,
    shpBelowBottomRight,
    shpBelowBottomCenter
};
CLASSLIB_ENUM(TButtonLayout);
CLASSLIB_ENUM(TAdvButtonStyle);
CLASSLIB_ENUM(TButtonSizeState);
CLASSLIB_ENUM(TDropDownPosition);
CLASSLIB_ENUM(TDropDownDirection);
CLASSLIB_ENUM(TFocusType);
CLASSLIB_ENUM(StringTrimming);
CLASSLIB_ENUM(TShortCutHintPos);

// The component style interface of the stylers: style numbers 0..9 (0 Office 2003 blue,
// 1 silver, 2 olive, 3 classic, 4 Office 2007 luna, 5 obsidian, 6 Windows XP, 7 Whidbey,
// 8 custom, 9 Office 2007 silver).
class IAdvComponentStyle {
public:
    virtual void ApplyStyle(uint8_t styleNumber) = 0;

protected:
    ~IAdvComponentStyle() = default;
};

// The colours of one look of the face.
struct TGlowColorSet {
    classlib::TColor Color = 0, ColorTo = 0, ColorMirror = 0, ColorMirrorTo = 0, BorderColor = 0;
    draw::TGDIPGradient Gradient = draw::ggVertical, GradientMirror = draw::ggVertical;
};

// The five colour sets of a glow button and the system-font switch.
class TGlowButtonAppearance : public classlib::TPersistent {
    CLASSLIB_CLASS(TGlowButtonAppearance, classlib::TPersistent)
    TGlowButtonAppearance();
    void Assign(classlib::TPersistent* source) override;

    enum TSetKind { skNormal, skHot, skDown, skChecked, skDisabled };
    TGlowColorSet ColorSet(TSetKind kind) const { return sets_[kind]; }

#define GLOW_COLOR(Name, Kind, Field)      \
    classlib::TColor Name() const          \
    {                                      \
        return sets_[Kind].Field;          \
    }                                      \
    void Set##Name(classlib::TColor value) \
    {                                      \
        Change(sets_[Kind].Field, value);  \
    }
#define GLOW_GRADIENT(Name, Kind, Field)      \
    draw::TGDIPGradient Name() const          \
    {                                         \
        return sets_[Kind].Field;             \
    }                                         \
    void Set##Name(draw::TGDIPGradient value) \
    {                                         \
        Change(sets_[Kind].Field, value);     \
    }
    GLOW_COLOR(Color, skNormal, Color)
    GLOW_COLOR(ColorTo, skNormal, ColorTo)
    GLOW_COLOR(ColorMirror, skNormal, ColorMirror)
    GLOW_COLOR(ColorMirrorTo, skNormal, ColorMirrorTo)
    GLOW_COLOR(BorderColor, skNormal, BorderColor)
    GLOW_GRADIENT(Gradient, skNormal, Gradient)
    GLOW_GRADIENT(GradientMirror, skNormal, GradientMirror)
    GLOW_COLOR(ColorHot, skHot, Color)
    GLOW_COLOR(ColorHotTo, skHot, ColorTo)
    GLOW_COLOR(ColorMirrorHot, skHot, ColorMirror)
    GLOW_COLOR(ColorMirrorHotTo, skHot, ColorMirrorTo)
    GLOW_COLOR(BorderColorHot, skHot, BorderColor)
    GLOW_GRADIENT(GradientHot, skHot, Gradient)
    GLOW_GRADIENT(GradientMirrorHot, skHot, GradientMirror)
    GLOW_COLOR(ColorDown, skDown, Color)
    GLOW_COLOR(ColorDownTo, skDown, ColorTo)
    GLOW_COLOR(ColorMirrorDown, skDown, ColorMirror)
    GLOW_COLOR(ColorMirrorDownTo, skDown, ColorMirrorTo)
    GLOW_COLOR(BorderColorDown, skDown, BorderColor)
    GLOW_GRADIENT(GradientDown, skDown, Gradient)
    GLOW_GRADIENT(GradientMirrorDown, skDown, GradientMirror)
    GLOW_COLOR(ColorChecked, skChecked, Color)
    GLOW_COLOR(ColorCheckedTo, skChecked, ColorTo)
    GLOW_COLOR(ColorMirrorChecked, skChecked, ColorMirror)
    GLOW_COLOR(ColorMirrorCheckedTo, skChecked, ColorMirrorTo)
    GLOW_COLOR(BorderColorChecked, skChecked, BorderColor)
    GLOW_GRADIENT(GradientChecked, skChecked, Gradient)
    GLOW_GRADIENT(GradientMirrorChecked, skChecked, GradientMirror)
    GLOW_COLOR(ColorDisabled, skDisabled, Color)
    GLOW_COLOR(ColorDisabledTo, skDisabled, ColorTo)
    GLOW_COLOR(ColorMirrorDisabled, skDisabled, ColorMirror)
    GLOW_COLOR(ColorMirrorDisabledTo, skDisabled, ColorMirrorTo)
    GLOW_COLOR(BorderColorDisabled, skDisabled, BorderColor)
    GLOW_GRADIENT(GradientDisabled, skDisabled, Gradient)
    GLOW_GRADIENT(GradientMirrorDisabled, skDisabled, GradientMirror)
#undef GLOW_COLOR
#undef GLOW_GRADIENT
    bool SystemFont() const
    {
        return systemFont_;
    }
    void SetSystemFont(bool value)
    {
        Change(systemFont_, value);
    }

    // Fills the colours of style preset `styleNumber` (numbers above 9 and 8 change nothing).
    void ApplyStylePreset(uint8_t styleNumber);

    classlib::TNotifyEvent OnChange;

private:
    template <class T>
    void Change(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange(this);
    }

    TGlowColorSet sets_[5];
    bool systemFont_ = true;
};

// Everything the face renderer draws from, in the order of its arguments.
struct TGlowFaceParams {
    RECT R{};
    TGlowColorSet Colors;
    std::string Caption;
    std::wstring WideCaption;
    bool ShowCaptionText = true;
    classlib::TFont* Font = nullptr;
    classlib::TCustomImageList* Images = nullptr;
    int ImageIndex = -1;
    bool ImageEnabled = true;
    TButtonLayout Layout = blGlyphLeft;
    bool DropDownButton = false;
    bool HotSet = false;
    bool Enabled = true;
    bool FocusBorder = false;
    TDropDownPosition DropDownPosition = dpRight;
    draw::TGDIPPicture* Picture = nullptr;
    SIZE ImageBox{};
    draw::TAntiAlias AntiAlias = draw::aaClearType;
    bool DrawGlyph = true;
    classlib::TBitmap* Glyph = nullptr;
    int DropHover = 0; // 0 none, 1 over the button, 2 over the drop-down part
    bool NoBackground = false;
    bool MouseInControl = false;
    draw::TButtonPosition Position = draw::bpStandalone;
    bool DropDownSplit = true;
    bool HasBorder = true;
    bool WholeRectText = false;
    bool WordWrap = true;
    bool Measure = false;
    bool Rounded = true;
    bool ArrowDown = true;
    int Spacing = 2;
    StringTrimming Trimming = StringTrimmingNone;
    classlib::TStrings* Notes = nullptr;
    classlib::TFont* NotesFont = nullptr;
    bool Down = false;
};

// Draws a glow face on `canvas` (or, with Measure, fills and borders it without text, image or
// arrow) and returns the content size.
SIZE DrawGlowButtonFace(classlib::TCanvas* canvas, const TGlowFaceParams& p);

// The key-tip window: a small gradient pop-up showing a button's ShortCutHint.
class TShortCutHintWindow : public classlib::THintWindow {
    CLASSLIB_CLASS(TShortCutHintWindow, classlib::THintWindow)
    CLASSLIB_MESSAGES()
    explicit TShortCutHintWindow(classlib::TComponent* owner);
    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value);
    classlib::TColor ColorTo() const { return colorTo_; }
    void SetColorTo(classlib::TColor value);

protected:
    void CreateParams(classlib::TCreateParams& params) override;
    void Paint() override;
    void Resize() override;

private:
    void WMEraseBkgnd(classlib::TMessage& m);
    classlib::TColor color_ = classlib::clWhite;
    classlib::TColor colorTo_ = classlib::clWhite;
};

class TAdvCustomGlowButton;
using TGlowButtonDrawEvent = classlib::TEvent<void(
    classlib::TObject* Sender, classlib::TCanvas* Canvas, RECT Rect, TGlowButtonState State)>;
using TGetButtonSizeEvent =
    classlib::TEvent<void(classlib::TObject* Sender, int& Width, int& Height)>;
using TGetShortCutHintPosEvent = classlib::TEvent<void(
    classlib::TObject* Sender, TButtonSizeState SizeState, TShortCutHintPos& Pos)>;

class TAdvCustomGlowButton : public classlib::TCustomControl, public IAdvComponentStyle {
    CLASSLIB_CLASS(TAdvCustomGlowButton, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvCustomGlowButton(classlib::TComponent* owner);
    ~TAdvCustomGlowButton() override;
    void Assign(classlib::TPersistent* source) override;

    // ---- published ----
    draw::TAntiAlias AntiAlias() const { return antiAlias_; }
    void SetAntiAlias(draw::TAntiAlias value);
    void SetAutoSize(bool value) override;
    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    bool Default() const { return default_; }
    void SetDefault(bool value) { default_ = value; }
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);
    draw::TGDIPPicture* DisabledPicture() const { return disabledPicture_.get(); }
    void SetDisabledPicture(draw::TGDIPPicture* value);
    TFocusType FocusType() const { return focusType_; }
    void SetFocusType(TFocusType value) { focusType_ = value; }
    classlib::TCustomImageList* HotImages() const { return hotImages_; }
    void SetHotImages(classlib::TCustomImageList* value);
    draw::TGDIPPicture* HotPicture() const { return hotPicture_.get(); }
    void SetHotPicture(draw::TGDIPPicture* value) { hotPicture_->Assign(value); }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    int InitRepeatPause() const { return initRepeatPause_; }
    void SetInitRepeatPause(int value) { initRepeatPause_ = value; }
    int MarginHorz() const { return marginHorz_; }
    void SetMarginHorz(int value);
    int MarginVert() const { return marginVert_; }
    void SetMarginVert(int value);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int value) { modalResult_ = value; }
    classlib::TStrings* Notes() const { return notes_.get(); }
    void SetNotes(classlib::TStrings* value);
    classlib::TFont* NotesFont() const { return notesFont_.get(); }
    void SetNotesFont(classlib::TFont* value);
    draw::TAdvHintInfo* OfficeHint() const { return officeHint_.get(); }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }
    draw::TGDIPPicture* Picture() const { return picture_.get(); }
    void SetPicture(draw::TGDIPPicture* value) { picture_->Assign(value); }
    draw::TButtonPosition Position() const { return position_; }
    void SetPosition(draw::TButtonPosition value);
    bool RepeatClick() const { return repeatClick_; }
    void SetRepeatClick(bool value) { repeatClick_ = value; }
    int RepeatPause() const { return repeatPause_; }
    void SetRepeatPause(int value) { repeatPause_ = value; }
    bool Rounded() const { return rounded_; }
    void SetRounded(bool value);
    const std::string& ShortCutHint() const { return shortCutHint_; }
    void SetShortCutHint(const std::string& value) { shortCutHint_ = value; }
    TShortCutHintPos ShortCutHintPos() const { return shortCutHintPos_; }
    void SetShortCutHintPos(TShortCutHintPos value) { shortCutHintPos_ = value; }
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    bool ShowDisabled() const { return showDisabled_; }
    void SetShowDisabled(bool value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { transparent_ = value; }
    StringTrimming Trimming() const { return trimming_; }
    void SetTrimming(StringTrimming value);
    std::string Version() const;
    void SetVersion(const std::string&) {}
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    TGlowButtonDrawEvent OnDrawButton;

    // ---- group, style, layout, drop-down and appearance (published by TAdvGlowButton) ----
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value);
    TGlowButtonAppearance* Appearance() const { return appearance_.get(); }
    void SetAppearance(TGlowButtonAppearance* value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    TAdvButtonStyle Style() const { return style_; }
    void SetStyle(TAdvButtonStyle value) { style_ = value; }
    TButtonSizeState MaxButtonSizeState() const { return maxSizeState_; }
    void SetMaxButtonSizeState(TButtonSizeState value);
    TButtonSizeState MinButtonSizeState() const { return minSizeState_; }
    void SetMinButtonSizeState(TButtonSizeState value);
    bool DropDownButton() const { return dropDownButton_; }
    void SetDropDownButton(bool value);
    TDropDownPosition DropDownPosition() const { return dropDownPosition_; }
    void SetDropDownPosition(TDropDownPosition value);
    TDropDownDirection DropDownDirection() const { return dropDownDirection_; }
    void SetDropDownDirection(TDropDownDirection value);
    bool DropDownSplit() const { return dropDownSplit_; }
    void SetDropDownSplit(bool value) { dropDownSplit_ = value; }
    classlib::TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(classlib::TPopupMenu* value);
    classlib::TNotifyEvent OnDropDown;

    // ---- public, not published ----
    const std::wstring& WideCaption() const { return wideCaption_; }
    void SetWideCaption(const std::wstring& value);
    classlib::TKeyEvent OnInternalKeyDown;
    classlib::TNotifyEvent OnInternalClick;
    TGetButtonSizeEvent OnGetButtonSize;
    TGetShortCutHintPosEvent OnGetShortCutHintPos;

    void ShowShortCutHint();
    void HideShortCutHint();
    TShortCutHintWindow* ShortCutHintWindow() const { return shortCutHintWindow_; }
    TButtonSizeState SizeState() const { return sizeState_; }
    void SetSizeState(TButtonSizeState state);
    void CalcButtonSize(TButtonSizeState state, SIZE& size);
    void DropDown();
    void PerformKeyClick();
    void ApplyStyle(uint8_t styleNumber) override;
    void Click() override;

protected:
    // ---- virtual operations of this class ----
    virtual void RepeatTimerTick(classlib::TObject* sender);
    virtual void DrawExtra() {}
    virtual void PrepareGlyph(classlib::TBitmap*) {}
    virtual int GetVersionNumber() const { return 0x01080200; }
    virtual bool IsMenuButton() const { return false; }
    virtual bool HasBorder() const { return borderStyle_ == classlib::bsSingle; }
    virtual bool DrawsFocusBorder();

    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void CreateWnd() override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, classlib::TShiftState shift) override;
    void KeyUp(WORD& key, classlib::TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;
    void ActionChange(classlib::TBasicAction* sender, bool checkDefaults) override;

    // Paint state: 0 normal, 1 disabled, 2 pressed, 4 latched (a down button of a group).
    int paintState_ = 0;

private:
    friend class GlowButtonProbe;
    void WMPaint(classlib::TMessage& m);
    void WMEraseBkgnd(classlib::TMessage& m);
    void WMSetText(classlib::TMessage& m);
    void WMGetDlgCode(classlib::TMessage& m);
    void WMLButtonDown(classlib::TMessage& m);
    void WMLButtonUp(classlib::TMessage& m);
    void WMLButtonDblClk(classlib::TMessage& m);
    void WMKeyDown(classlib::TMessage& m);
    void WMChar(classlib::TMessage& m);
    void CNCommand(classlib::TMessage& m);
    void CMDialogKey(classlib::TMessage& m);
    void CMDialogChar(classlib::TMessage& m);
    void CMFocusChanged(classlib::TMessage& m);
    void CMEnabledChanged(classlib::TMessage& m);
    void CMTextChanged(classlib::TMessage& m);
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMButtonPressed(classlib::TMessage& m);

    void FadeTimerTick(classlib::TObject* sender);
    void StartFadeTimer();
    void PictureChanged(classlib::TObject* sender);
    void AppearanceChanged(classlib::TObject* sender);
    void RecolourShortCutHint();
    void RefreshLook();
    void BroadcastGroup();
    void TrackingUpdate();
    void PaintParentInto(HDC dc);
    void PopupDropDownMenu();
    bool CheckedLinked() const;
    bool GroupIndexLinked() const;
    bool Designing() const;
    // The face's arguments of the paint cycle (steps 3 to 15), for painting or measuring.
    TGlowFaceParams FaceParams(classlib::TFont* font, classlib::TBitmap* glyph);

    draw::TAntiAlias antiAlias_ = draw::aaClearType;
    classlib::TBorderStyle borderStyle_ = classlib::bsSingle;
    bool cancel_ = false;
    bool default_ = false;
    classlib::TCustomImageList* disabledImages_ = nullptr;
    classlib::TCustomImageList* hotImages_ = nullptr;
    classlib::TCustomImageList* images_ = nullptr;
    std::unique_ptr<draw::TGDIPPicture> picture_, disabledPicture_, hotPicture_;
    TFocusType focusType_ = ftBorder;
    int imageIndex_ = -1;
    int initRepeatPause_ = 400;
    int marginHorz_ = 1, marginVert_ = 1;
    int modalResult_ = 0;
    std::unique_ptr<classlib::TStringList> notes_;
    std::unique_ptr<classlib::TFont> notesFont_;
    std::unique_ptr<draw::TAdvHintInfo> officeHint_;
    draw::TButtonPosition position_ = draw::bpStandalone;
    bool repeatClick_ = false;
    int repeatPause_ = 100;
    bool rounded_ = true;
    std::string shortCutHint_;
    TShortCutHintPos shortCutHintPos_ = shpTop;
    bool showCaption_ = true;
    bool showDisabled_ = true;
    int spacing_ = 2;
    bool transparent_ = false;
    StringTrimming trimming_ = StringTrimmingNone;
    bool wordWrap_ = true;
    bool allowAllUp_ = false;
    std::unique_ptr<TGlowButtonAppearance> appearance_;
    bool down_ = false;
    int groupIndex_ = 0;
    TButtonLayout layout_ = blGlyphLeft;
    TAdvButtonStyle style_ = bsButton;
    TButtonSizeState maxSizeState_ = bsLarge, minSizeState_ = bsGlyph;
    bool dropDownButton_ = false;
    TDropDownPosition dropDownPosition_ = dpRight;
    TDropDownDirection dropDownDirection_ = ddDown;
    bool dropDownSplit_ = true;
    classlib::TPopupMenu* dropDownMenu_ = nullptr;
    std::wstring wideCaption_;

    // run-time state
    bool hot_ = false, mouseInControl_ = false, hotLook_ = false;
    bool pressed_ = false, leftWhilePressed_ = false, mouseDownInside_ = false, pressArmed_ = false;
    bool overDropPart_ = false, buttonDownMark_ = false;
    bool downWhileLoading_ = false;
    bool active_ = false;
    int hotPercent_ = 0, pressPercent_ = 0, fadeStep_ = 0, fadeKind_ = 2;
    classlib::TTimer* fadeTimer_ = nullptr;
    classlib::TTimer* repeatTimer_ = nullptr;
    TButtonSizeState sizeState_ = bsLarge;
    TButtonLayout savedLayout_ = blGlyphLeft;
    TDropDownPosition savedDropDownPosition_ = dpRight;
    bool measureAlways_ = false, measurePending_ = true, painting_ = false;
    TShortCutHintWindow* shortCutHintWindow_ = nullptr;
    bool dropDownOpen_ = false;
    // Set by the key messages for an auto-repeated key (bit 30 of their lParam).
    bool keyRepeat_ = false;
};

class TAdvGlowButton : public TAdvCustomGlowButton {
    CLASSLIB_CLASS(TAdvGlowButton, TAdvCustomGlowButton)
    explicit TAdvGlowButton(classlib::TComponent* owner) : TAdvCustomGlowButton(owner) {}
};

// The interval of the fade steps in milliseconds (30).
extern unsigned GlowFadeInterval;

} // namespace controls
