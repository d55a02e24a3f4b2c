#pragma once
// Office status bar: a bottom-aligned control that paints a row of panels itself. Each panel's
// background comes from the light or dark appearance set of the bar's styler, its content from
// its Style (HTML, text, owner drawing, clock, date, key-lock indicators, progress gauge,
// images, animation, ellipsis texts). A 100 ms timer keeps clocks, indicators, blinking and
// animations current; Button panels follow the mouse with their hot and down colours.
#include "AdvOfficeStatusBarStylers.h"

#include "core/Collection.h"
#include "core/Events.h"
#include "core/StringList.h"
#include "draw/AdvHintInfo.h"
#include "windows/Controls.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"

#include <memory>
#include <string>

namespace draw {
class TPictureContainer;
}

namespace panels {

class TAdvOfficeStatusBar;
class TAdvOfficeStatusPanel;

enum TAdvOfficeStatusPanelStyle {
    psHTML,
    psText,
    psOwnerDraw,
    psTime,
    psDate,
    psNumLock,
    psCapsLock,
    psScrollLock,
    psProgress,
    psImage,
    psImageList,
    psAnimation,
    psEllipsText,
    psFileEllipsText
};
CLASSLIB_ENUM(TAdvOfficeStatusPanelStyle);
enum TPanelAppearanceStyle { psLight, psDark };
CLASSLIB_ENUM(TPanelAppearanceStyle);
enum TProgressIndication { piPercentage, piAbsolute, piNone };
CLASSLIB_ENUM(TProgressIndication);
enum TAntiAlias { aaNone, aaClearType, aaAntiAlias };
CLASSLIB_ENUM(TAntiAlias);

// The gauge of a psProgress panel. Every setter repaints the owning panel.
class TProgressStyle : public classlib::TPersistent {
    CLASSLIB_CLASS(TProgressStyle, classlib::TPersistent)
    explicit TProgressStyle(TAdvOfficeStatusPanel* owner = nullptr) : owner_(owner) {}
    // Copies every value from another progress style; anything else raises the platform's
    // invalid-cast error.
    void Assign(classlib::TPersistent* source) override;

#define PANELS_PROGRESS_VALUE(Type, Name, member, initial) \
    Type Name() const                                      \
    {                                                      \
        return member;                                     \
    }                                                      \
    void Set##Name(Type value)                             \
    {                                                      \
        member = value;                                    \
        Changed();                                         \
    }
#define PANELS_PROGRESS_FIELDS(X)                                      \
    X(classlib::TColor, BackGround, backGround_, classlib::clNone)     \
    X(TProgressIndication, Indication, indication_, piPercentage)      \
    X(int, Min, min_, 0)                                               \
    X(int, Max, max_, 100)                                             \
    X(int, Position, position_, 0)                                     \
    X(classlib::TColor, Level0Color, level0Color_, classlib::clLime)   \
    X(classlib::TColor, Level0ColorTo, level0ColorTo_, 14811105)       \
    X(classlib::TColor, Level1Color, level1Color_, classlib::clYellow) \
    X(classlib::TColor, Level1ColorTo, level1ColorTo_, 13303807)       \
    X(classlib::TColor, Level2Color, level2Color_, 5483007)            \
    X(classlib::TColor, Level2ColorTo, level2ColorTo_, 11064319)       \
    X(classlib::TColor, Level3Color, level3Color_, classlib::clRed)    \
    X(classlib::TColor, Level3ColorTo, level3ColorTo_, 13290239)       \
    X(int, Level1Perc, level1Perc_, 70)                                \
    X(int, Level2Perc, level2Perc_, 90)                                \
    X(classlib::TColor, BorderColor, borderColor_, classlib::clBlack)  \
    X(bool, ShowBorder, showBorder_, false)                            \
    X(bool, Stacked, stacked_, false)                                  \
    X(bool, ShowPercentage, showPercentage_, true)                     \
    X(bool, CompletionSmooth, completionSmooth_, false)                \
    X(std::string, Suffix, suffix_, std::string())                     \
    X(std::string, Prefix, prefix_, std::string())                     \
    X(bool, ShowGradient, showGradient_, true)
    PANELS_PROGRESS_FIELDS(PANELS_PROGRESS_VALUE)
#undef PANELS_PROGRESS_VALUE

private:
    void Changed();
    TAdvOfficeStatusPanel* owner_;
#define PANELS_PROGRESS_MEMBER(Type, Name, member, initial) Type member = initial;
    PANELS_PROGRESS_FIELDS(PANELS_PROGRESS_MEMBER)
#undef PANELS_PROGRESS_MEMBER
};

class TAdvOfficeStatusPanel : public classlib::TCollectionItem {
    CLASSLIB_CLASS(TAdvOfficeStatusPanel, classlib::TCollectionItem)
    explicit TAdvOfficeStatusPanel(classlib::TCollection* collection);
    ~TAdvOfficeStatusPanel() override;

    // From another panel: text, width, alignment, style, formats, progress, hint, appearance,
    // auto size and minimum width; the values a panel copy does not carry go back to their
    // defaults, so that nothing of the target's earlier state survives.
    void Assign(classlib::TPersistent* source) override;
    std::string DisplayName() const override;

    classlib::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(classlib::TAlignment value);
    bool Animated() const { return animated_; }
    void SetAnimated(bool value);
    classlib::TCustomImageList* AnimationImages() const { return animationImages_; }
    void SetAnimationImages(classlib::TCustomImageList* value);
    int AnimationDelay() const { return animationDelay_; }
    void SetAnimationDelay(int value);
    TPanelAppearanceStyle AppearanceStyle() const { return appearanceStyle_; }
    void SetAppearanceStyle(TPanelAppearanceStyle value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    classlib::TBiDiMode BiDiMode() const { return bidiMode_; }
    void SetBiDiMode(classlib::TBiDiMode value);
    bool ParentBiDiMode() const { return parentBiDiMode_; }
    void SetParentBiDiMode(bool value);
    bool Button() const { return button_; }
    void SetButton(bool value);
    const std::string& DateFormat() const { return dateFormat_; }
    void SetDateFormat(const std::string& value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    int HTMLOffsetX() const { return htmlOffsetX_; }
    void SetHTMLOffsetX(int value);
    int HTMLOffsetY() const { return htmlOffsetY_; }
    void SetHTMLOffsetY(int value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int value) { minWidth_ = value; }
    TProgressStyle* Progress() const { return progress_.get(); }
    void SetProgress(TProgressStyle* value);
    TAdvOfficeStatusPanelStyle Style() const { return style_; }
    void SetStyle(TAdvOfficeStatusPanelStyle value);
    const std::string& Text() const { return text_; }
    // An equal text changes nothing; another one is stored and the bar repaints (and sizes an
    // AutoSize panel again).
    void SetText(const std::string& value);
    const std::string& TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const std::string& value);
    int Width() const { return width_; }
    void SetWidth(int value);
    draw::TAdvHintInfo* OfficeHint() const { return officeHint_.get(); }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }
    // psImageList: one decimal image index a line.
    classlib::TStringList* ImageIndexes() const { return imageIndexes_.get(); }
    int FrameIndex() const { return frame_; }

    TAdvOfficeStatusBar* StatusBar() const;

private:
    friend class TAdvOfficeStatusBar;
    void ResetUncopied();

    classlib::TAlignment alignment_ = classlib::taLeftJustify;
    bool animated_ = false;
    classlib::TCustomImageList* animationImages_ = nullptr;
    int animationDelay_ = 0;
    TPanelAppearanceStyle appearanceStyle_ = psLight;
    bool autoSize_ = false;
    classlib::TBiDiMode bidiMode_ = classlib::bdLeftToRight;
    bool parentBiDiMode_ = true;
    bool button_ = false;
    std::string dateFormat_;
    bool enabled_ = true;
    int htmlOffsetX_ = 2;
    int htmlOffsetY_ = 2;
    int imageIndex_ = -1;
    int minWidth_ = 20;
    std::unique_ptr<TProgressStyle> progress_;
    TAdvOfficeStatusPanelStyle style_ = psHTML;
    std::string text_;
    std::string timeFormat_;
    int width_ = 50;
    std::unique_ptr<draw::TAdvHintInfo> officeHint_;
    std::unique_ptr<classlib::TStringList> imageIndexes_;
    int frame_ = 0;
};

class TAdvOfficeStatusPanels : public classlib::TOwnedCollection {
    CLASSLIB_CLASS(TAdvOfficeStatusPanels, classlib::TOwnedCollection)
    explicit TAdvOfficeStatusPanels(TAdvOfficeStatusBar* bar);
    TAdvOfficeStatusPanel* operator[](int index) const { return GetItem(index); }
    TAdvOfficeStatusPanel* GetItem(int index) const
    {
        return static_cast<TAdvOfficeStatusPanel*>(Items(index));
    }
    TAdvOfficeStatusPanel* Add() { return static_cast<TAdvOfficeStatusPanel*>(TCollection::Add()); }
    TAdvOfficeStatusBar* StatusBar() const { return bar_; }

protected:
    void Update(classlib::TCollectionItem* item) override;

private:
    TAdvOfficeStatusBar* bar_;
};

using TDrawPanelEvent = classlib::TEvent<void(TAdvOfficeStatusBar* StatusBar,
                                              TAdvOfficeStatusPanel* Panel, const RECT& Rect)>;
using TPanelClick = classlib::TEvent<void(classlib::TObject* Sender, int PanelIndex)>;
using TAnchorClick = classlib::TEvent<void(classlib::TObject* Sender, const std::string& Anchor)>;

// The hidden control that carries a panel's rich hint while it shows.
class TDummyHintControl : public classlib::TControl {
    CLASSLIB_CLASS(TDummyHintControl, classlib::TControl)
    explicit TDummyHintControl(classlib::TComponent* owner);
    draw::TAdvHintInfo* OfficeHint() const { return officeHint_.get(); }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }

private:
    std::unique_ptr<draw::TAdvHintInfo> officeHint_;
};

class TAdvOfficeStatusBar : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvOfficeStatusBar, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvOfficeStatusBar(classlib::TComponent* owner);
    ~TAdvOfficeStatusBar() override;

    static constexpr UINT_PTR TimerId = 111;
    static constexpr UINT TimerPeriod = 100;

    TAdvOfficeStatusPanels* Panels() const { return panels_; }
    void SetPanels(TAdvOfficeStatusPanels* value) { panels_->Assign(value); }
    bool AnchorHint() const { return anchorHint_; }
    void SetAnchorHint(bool value) { anchorHint_ = value; }
    TAntiAlias AntiAlias() const { return antiAlias_; }
    void SetAntiAlias(TAntiAlias value);
    bool AutoHint() const { return autoHint_; }
    void SetAutoHint(bool value) { autoHint_ = value; }
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);
    draw::TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(draw::TPictureContainer* value);
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool value);
    classlib::TColor URLColor() const { return urlColor_; }
    void SetURLColor(classlib::TColor value) { urlColor_ = value; }
    int StretchPanel() const { return stretchPanel_; }
    void SetStretchPanel(int value);
    TCustomAdvOfficeStatusBarStyler* Styler() const { return styler_; }
    void SetStyler(TCustomAdvOfficeStatusBarStyler* value);
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool value);
    std::string Version() const { return "1.2.0.4"; }
    void SetVersion(const std::string&) {}

    // The styler every paint reads: the assigned one, else the internal one.
    TCustomAdvOfficeStatusBarStyler* CurrentStyler() const
    {
        return styler_ ? styler_ : internalStyler_;
    }
    TCustomAdvOfficeStatusBarStyler* InternalStyler() const { return internalStyler_; }

    int IndexOfPanel(const TAdvOfficeStatusPanel* panel) const;
    bool IsFirstPanel(const TAdvOfficeStatusPanel* panel) const { return IndexOfPanel(panel) == 0; }
    bool IsLastPanel(const TAdvOfficeStatusPanel* panel) const;
    // The rectangle of panel i for hit testing and invalidation.
    RECT PanelRect(int index) const;
    // The panel whose PanelRect holds x, else -1.
    int PanelAtX(int x) const;
    void InvalidatePanel(int index);
    bool SizeGripShown() const;
    // The anchor of HTML text under the point, empty when none.
    std::string GetAnchorAt(int x, int y);
    void AutoSizePanels();
    // One tick's work: clocks, key-lock indicators, blinking and animation frames.
    virtual void UpdateTimerPanels();
    virtual bool DoHint();
    bool ExecuteAction(classlib::TBasicAction* action) override;
    void FlipChildren(bool allLevels) override;
    int TimerTick() const { return tick_; }
    int HotPanel() const { return hotPanel_; }
    int DownPanel() const { return downPanel_; }

    TDrawPanelEvent OnDrawPanel;
    classlib::TNotifyEvent OnHint;
    TPanelClick OnPanelClick;
    TPanelClick OnPanelRightClick;
    TPanelClick OnPanelDblClick;
    TAnchorClick OnAnchorClick;
    TAnchorClick OnAnchorEnter;
    TAnchorClick OnAnchorExit;

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Paint() override;
    virtual void DrawPanel(TAdvOfficeStatusPanel* panel, RECT rect);
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

    void WMEraseBkgnd(classlib::TMessage& m);
    void WMTimer(classlib::TMessage& m);
    void WMSize(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);
    void WMLButtonDblClk(classlib::TMessage& m);
    void WMGetTextLength(classlib::TMessage& m);
    void WMSettingChange(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);
    void CMBiDiModeChanged(classlib::TMessage& m);
    void CMSysFontChanged(classlib::TMessage& m);
    void CMColorChanged(classlib::TMessage& m);

private:
    void DrawPanels();
    void DrawPanelBackground(TAdvOfficeStatusPanel* panel, const RECT& rect);
    void DrawPanelContent(TAdvOfficeStatusPanel* panel, RECT r, int alignment);
    void DrawSimplePanel();
    void DrawSizeGrip(const RECT& rect);
    void DrawPanelImage(TAdvOfficeStatusPanel* panel, int index, int x, const RECT& r);
    bool DrawHtml(const std::string& text, const RECT& rect, bool hitTestOnly, int x, int y,
                  int& textWidth, std::string& anchor);
    void SetDownPanel(int index);
    void SetHotPanel(int index);
    void ApplySystemFont();
    void SetPanelTextSilently(TAdvOfficeStatusPanel* panel, const std::string& text);

    TAdvOfficeStatusPanels* panels_;
    TCustomAdvOfficeStatusBarStyler* internalStyler_;
    TCustomAdvOfficeStatusBarStyler* styler_ = nullptr;
    TDummyHintControl* hintCarrier_;
    bool anchorHint_ = false;
    TAntiAlias antiAlias_ = aaClearType;
    bool autoHint_ = false;
    classlib::TCustomImageList* images_ = nullptr;
    classlib::TCustomImageList* disabledImages_ = nullptr;
    draw::TPictureContainer* pictureContainer_ = nullptr;
    bool simplePanel_ = false;
    std::string simpleText_;
    bool sizeGrip_ = true;
    classlib::TColor urlColor_ = classlib::clBlue;
    int stretchPanel_ = -1;
    bool useSystemFont_ = true;
    bool timerRunning_ = false;
    int tick_ = 0;
    int lastHintPanel_ = -1;
    std::string lastAnchor_;
    int hotPanel_ = -1;
    int downPanel_ = -1;
};

} // namespace panels
