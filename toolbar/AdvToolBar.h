#pragma once
// The dockable, floatable toolbar. Its parent decides its state: a dock panel (docked, placed
// by the panel's rows), a floating window (floating, with a caption band and a close button),
// or anything else (free). It hosts any controls, placed one after another along it; the
// toolbar's own items (buttons, separators, menu buttons) build on this structure.
//
// A grip drag runs its own message loop with the mouse captured: the toolbar moves along and
// across its dock panel, tears off into a floating window once the pointer is more than 26 px
// beyond the panel, and docks into any allowed dock panel whose rectangle (widened by 15 px on
// its inner side) holds the pointer. The window handle and the capture stay throughout.
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/DockAlign.h"
#include "toolbar/Persistence.h"

#include "windows/Controls.h"
#include "windows/Forms.h"
#include "windows/ImageLists.h"
#include "windows/StdCtrls.h"
#include "windows/Timers.h"

#include <vector>

namespace controls {
class TAdvGlowButton;
}

namespace toolbar {

class TAdvDockPanel;
class TFloatingWindow;
class TAdvCustomToolBarButton;
class TCompactWindow;

enum TToolBarState : uint8_t { tsDocked = 0, tsFloating = 1, tsFree = 2 };

using TDockEvent = classlib::TEvent<void(classlib::TObject* Sender, TAdvDockPanel* DockPanel)>;
using TOptionClickEvent =
    classlib::TEvent<void(classlib::TObject* Sender, POINT ClientPoint, POINT ScreenPoint)>;

class TAdvCustomToolBar : public classlib::TCustomControl, public IToolBarStylerClient {
    CLASSLIB_CLASS(TAdvCustomToolBar, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    static constexpr int kGripWidth = 7;
    static constexpr int kMinimumLength = 60;
    static constexpr int kTearOffDistance = 26;
    static constexpr int kDockTargetMargin = 15;
    static constexpr UINT_PTR kFloatTimerId = 500;

    explicit TAdvCustomToolBar(classlib::TComponent* owner);
    ~TAdvCustomToolBar() override;

    // ---- state ----
    TToolBarState State() const { return state_; }
    TAdvDockPanel* DockPanel() const { return dockPanel_; }
    TAdvDockPanel* LastDockPanel() const { return lastDockPanel_; }
    TFloatingWindow* FloatingWindow() const { return floatingWindow_; }
    bool Dragging() const { return dragging_; }
    void SetParent(classlib::TWinControl* parent) override;

    // ---- styler (IToolBarStylerClient) ----
    TCustomAdvToolBarStyler* ToolBarStyler() const override { return assignedStyler_; }
    void SetToolBarStyler(TCustomAdvToolBarStyler* styler) override;
    bool ReleasedByStyler() const override { return false; }
    void ToolBarStylerChanged(int kind) override;
    // The styler every painting and layout step reads.
    TCustomAdvToolBarStyler* CurrentStyler() const { return currentStyler_; }
    TCustomAdvToolBarStyler* InternalStyler() const { return internalStyler_; }
    bool ParentStyler() const { return parentStyler_; }
    void SetParentStyler(bool value);
    // Binds the styler again: the assigned one, or with ParentStyler the last dock panel's.
    void RebindStyler();

    // ---- properties ----
    TDockAlign Position() const { return position_; }
    void SetPosition(TDockAlign value);
    bool MenuBar() const { return menuBar_; }
    void SetMenuBar(bool value) { menuBar_ = value; }
    TDockAligns AllowedDockAligns() const { return allowedDockAligns_; }
    void SetAllowedDockAligns(TDockAligns value) { allowedDockAligns_ = value; }
    bool AllowFloating() const { return allowFloating_; }
    void SetAllowFloating(bool value);
    bool Locked() const { return locked_; }
    void SetLocked(bool value) { locked_ = value; }
    uint8_t DockScope() const { return dockScope_; }
    void SetDockScope(uint8_t value) { dockScope_ = value; }
    bool DockOnClose() const { return dockOnClose_; }
    void SetDockOnClose(bool value) { dockOnClose_ = value; }
    bool ShowOptionIndicator() const { return showOptionIndicator_; }
    void SetShowOptionIndicator(bool value);
    bool ShowRightHandle() const { return showRightHandle_; }
    void SetShowRightHandle(bool value);
    bool ShowClose() const { return showClose_; }
    void SetShowClose(bool value) { showClose_ = value; }
    bool FullRightHandle() const { return fullRightHandle_; }
    void SetFullRightHandle(bool value);
    int CaptionHeight() const { return captionHeight_; }
    void SetCaptionHeight(int value);
    int FloatingRows() const { return floatingRows_; }
    void SetFloatingRows(int value);
    bool AutoSizeToolBar() const { return autoSizeToolBar_; }
    void SetAutoSizeToolBar(bool value);
    bool AutoArrangeButtons() const { return autoArrangeButtons_; }
    void SetAutoArrangeButtons(bool value);
    TPersistence* Persistence() const { return persistence_; }
    void SetPersistence(TPersistence* value) { persistence_->Assign(value); }

    // ---- images ----
    // A new list changes the toolbar's thickness by the difference of the image sizes (across
    // the toolbar) when a list was set before; none shrinks it by the old list's size.
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);

    // ---- caption ----
    // Caption is the control's Text; WideCaption is painted when Caption is empty.
    const std::wstring& WideCaption() const { return wideCaption_; }
    void SetWideCaption(const std::wstring& value) { wideCaption_ = value; }
    // The floating caption's font while ParentStyler is off (docked captions always use the
    // styler's CaptionFont).
    classlib::TFont* CaptionFont() const { return captionFont_; }
    void SetCaptionFont(classlib::TFont* value) { captionFont_->Assign(value); }
    // A caption band on a docked or free toolbar: at the top (left when vertical), or at the
    // bottom (right) with CaptionAtEnd.
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool value);
    bool CaptionAtEnd() const { return captionAtEnd_; }
    void SetCaptionAtEnd(bool value);
    classlib::TAlignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(classlib::TAlignment value);
    const std::string& OptionHint() const { return optionHint_; }
    void SetOptionHint(const std::string& value) { optionHint_ = value; }
    const std::string& CloseHint() const { return closeHint_; }
    void SetCloseHint(const std::string& value) { closeHint_ = value; }

    classlib::TNotifyEvent OnClose;
    TOptionClickEvent OnOptionClick;
    TDockEvent OnDock;
    classlib::TNotifyEvent OnFloat;

    // ---- layout and sizing ----
    // The controls in layout order.
    int ControlOrderCount() const { return static_cast<int>(controlOrder_.size()); }
    classlib::TControl* ControlOrder(int index) const
    {
        return controlOrder_.at(static_cast<size_t>(index));
    }
    void ArrangeControls(bool resize);
    void AdjustToolBarSize();
    int FullLengthOf() const;
    int RowThicknessFor(bool forceFloat) const;
    int RowThickness() const { return rowThickness_; }
    int MaxFloatingRows() const;
    bool FloatingSizeFor(int rows, int& width, int& height) const;
    void SetBounds(int left, int top, int width, int height) override;
    // Set by the dock panel while it places the toolbar: SetBounds skips its arbitration.
    bool SizingByRow() const { return sizingByRow_; }
    void SetSizingByRow(bool value) { sizingByRow_ = value; }
    int RowIndex() const { return rowIndex_; }
    void SetRowIndex(int value) { rowIndex_ = value; }
    // Along the toolbar: what may still be added and what may be taken away.
    int GrowableLength() const;
    int ShrinkableLength() const;
    // Controls hidden for want of room: the toolbar is shorter than its full length.
    bool ControlsHidden() const;

    // ---- dragging, docking, floating ----
    void MakeFloating(int x, int y, bool usePoint);
    void CloseFloating();
    bool CanDockTo(TAdvDockPanel* panel) const;
    // Geometry of the painted parts (client coordinates; empty when not shown).
    RECT CaptionRect() const;
    RECT CloseButtonRect() const;
    RECT FloatingOptionButtonRect() const;
    // The option button in the caption band of a docked or free horizontal toolbar without
    // the full right handle.
    RECT CaptionOptionButtonRect() const;
    RECT GripRect() const;
    RECT RightHandleRect() const;
    bool GripShown() const;

    // ---- items (AdvToolBarItems) ----
    // The one hot-tracked button; a button tells the toolbar when it becomes hot or stops.
    TAdvCustomToolBarButton* HotButton() const { return hotButton_; }
    void HotButtonChanged(TAdvCustomToolBarButton* button, bool hot);
    // The toolbar's own state in its persistence store (AdvToolBarState.cpp): read after
    // loading, written while the component tree is whole.
    void LoadState();
    void SaveState();

    // ---- menu-bar mode (AdvToolBarMenuBar.cpp) ----
    // The menu whose top-level items the toolbar shows as menu buttons.
    classlib::TMainMenu* Menu() const { return menu_; }
    void SetMenu(classlib::TMainMenu* value);
    // Drops the button's menu (its DropDownMenu, or its menu item's sub-items); true when it ran.
    virtual bool TrackMenu(TAdvCustomToolBarButton* button);
    // Leaves keyboard menu mode.
    virtual void CancelMenu();
    // Switches an open menu to another root button.
    virtual void ClickButton(TAdvCustomToolBarButton* button, bool byMouse);
    // Enters keyboard menu mode and runs its loop; in the loop, switches to the button.
    virtual void TrackMenuLoop(TAdvCustomToolBarButton* button);
    virtual void InitMenu(TAdvCustomToolBarButton* button);
    // The menu's own shortcut test; false without a menu.
    virtual bool IsShortCut(classlib::TMessage& message);
    // Makes the n-th selectable menu button hot; n < 0 clears the hot button.
    void SelectMenuButton(int n);
    void SetHotButton(TAdvCustomToolBarButton* button);
    // Binds the menu-made buttons to the menu's items again (rebuilds the bar when one is missing).
    void RefreshMenuButtons();
    // The menu of an MDI child shown in the bar with the toolbar's own (nil: none).
    classlib::TMainMenu* MergedMenu() const { return mergedMenu_; }
    void SetMergedMenu(classlib::TMainMenu* value);
    bool InMenuLoop() const { return inMenuLoop_; }
    bool MenuKeyboardMode() const { return menuKeyboardMode_; }
    bool MenuLoopResult() const { return menuLoopResult_; }
    void SetMenuLoopResult(bool value) { menuLoopResult_ = value; }
    bool CancelOnCaptureLoss() const { return cancelOnCaptureLoss_; }
    void SetCancelOnCaptureLoss(bool value) { cancelOnCaptureLoss_ = value; }
    bool MenuShowing() const { return menuShowing_; }
    classlib::TPopupMenu* TempMenu() const { return tempMenu_; }
    TAdvCustomToolBarButton* DroppedButton() const { return droppedButton_; }
    // The form that holds the toolbar (through its dock panel, last dock panel or parents).
    classlib::TCustomForm* FormOf() const;
    // The private message the toolbar posts itself when a dropped menu closed.
    static constexpr UINT kMenuClosedMessage = 0x1400;
    static constexpr UINT_PTR kMenuSwitchTimerId = 501;
    // ---- size steps, compact mode and hover fade on a ribbon page (AdvToolBarCompact.cpp) ----
    // A step answers the width it frees (shrinking) or needs (growing), 0 for none, and its kind:
    // shrinking 1 large to label, 0 label to glyph; growing 1 glyph to label, 2 label to large.
    // With `apply` false the step is only measured.
    int ShrinkStep(int& kind, bool apply);
    int MeasureShrink(int& kind) { return ShrinkStep(kind, false); }
    void ShrinkAll();
    int GrowStep(int& kind, bool apply);
    int MeasureGrow(int& kind) { return GrowStep(kind, false); }
    void GrowAll();
    // Only on a page, once loaded and without NoCompact: the toolbar becomes one drop-down
    // button whose compact window shows a clone holding all its controls, and back.
    void SetCompact(bool value);
    bool IsCompact() const { return compact_; }
    bool MayCompact() const { return !noCompact_; }
    bool NoCompact() const { return noCompact_; }
    void SetNoCompact(bool value) { noCompact_ = value; }
    int CompactWidth() const { return compactWidth_; }
    void SetCompactWidth(int value) { compactWidth_ = value; }
    const std::string& CompactCaption() const { return compactCaption_; }
    void SetCompactCaption(const std::string& value) { compactCaption_ = value; }
    int CompactImageIndex() const { return compactImageIndex_; }
    void SetCompactImageIndex(int value) { compactImageIndex_ = value; }
    const std::string& CompactKeyTip() const { return compactKeyTip_; }
    void SetCompactKeyTip(const std::string& value) { compactKeyTip_ = value; }
    // The width when expanded (while compact: the clone's, shrunk fully first) and when compact.
    int ExpandedWidth();
    int CompactedWidth() const;
    void ShowCompactWindow(classlib::TObject* sender);
    void HideCompactWindow();
    void RefreshCompactAppearance();
    TCompactWindow* CompactWindow() const { return compactWindow_; }
    // On a compacted toolbar its clone; on the clone the toolbar it stands for.
    TAdvCustomToolBar* CompactClone() const { return compactClone_; }
    controls::TAdvGlowButton* CompactButton() const { return compactButton_; }
    bool Shrunk() const { return shrunk_; }
    void SetShrunk(bool value) { shrunk_ = value; }
    // Set by Loaded, or by a page taking the toolbar at run time.
    bool LoadedOnce() const { return loadedOnce_; }
    void MarkLoaded() { loadedOnce_ = true; }
    // On a page or in a compact window (columns of small buttons, no grip).
    bool OnPageOrCompact() const;
    // The hover fade: hot while the pointer is over the toolbar, its position 0..100 stepped
    // by the timer's handler FadeStep.
    bool FadeHot() const { return fadeHot_; }
    int FadePosition() const { return fadePosition_; }
    classlib::TTimer* FadeTimer() const { return fadeTimer_; }
    void FadeStep(classlib::TObject* sender = nullptr);

protected:
    void Loaded() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;
    void TreeDestroying() override;
    void WndProc(classlib::TMessage& message) override;
    void AlignControls(classlib::TControl* control, RECT& rect) override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

    void WMEraseBkgnd(classlib::TMessage& m);
    void CMControlChange(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMVisibleChanged(classlib::TMessage& m);
    void CMTextChanged(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);
    // Menu-bar mode's messages (AdvToolBarMenuBar.cpp); true when the message was handled.
    bool MenuBarMessage(classlib::TMessage& m);
    // Clears menu-bar references to a component that goes.
    void MenuBarForget(classlib::TComponent* component);

private:
    friend class TAdvDockPanel;
    struct DockTarget {
        TAdvDockPanel* panel;
        RECT rect;
    };
    // The parent change of every path: plain or keeping the window (during a drag).
    void ChangeParent(classlib::TWinControl* parent, bool keepHandle);
    bool DockInto(TAdvDockPanel* panel, bool keepHandle);
    void LeaveDockPanel();
    void BindCurrentStyler(TCustomAdvToolBarStyler* styler);
    void StartDrag(int x, int y);
    void DragMove(int x, int y);
    void EndDrag();
    void CollectDockTargets();
    void RefreshDockTargets();
    void FreeFloatingWindow();
    void InsertIntoOrder(classlib::TControl* control);
    void RemoveFromLists(classlib::TControl* control);
    void MoveOutOfSight(classlib::TControl* control);
    void ArrangeColumns();
    void StartFade(bool hot);
    void SyncClone(TAdvCustomToolBar* clone, bool moveControls);
    std::vector<classlib::TControl*> VisibleOrder() const;
    void CMMouseEnter(classlib::TMessage& m);
    void CMCompactWinHide(classlib::TMessage& m);
    // The caption colours with the hover fade or the hot state applied.
    void CaptionColors(classlib::TColor& color, classlib::TColor& colorTo, classlib::TColor& border,
                       classlib::TColor& text) const;
    int AlongStart() const;
    int AcrossStart() const;
    void PaintBody(classlib::TCanvas* canvas, const RECT& r);
    void PaintGrip(classlib::TCanvas* canvas);
    void PaintRightHandle(classlib::TCanvas* canvas);
    void PaintCorners(classlib::TCanvas* canvas);
    void PaintFloatingCaption(classlib::TCanvas* canvas);
    // The caption band of a docked or free toolbar with its text and option button.
    void PaintCaptionBand(classlib::TCanvas* canvas);
    void PaintCaptionOptionButton(classlib::TCanvas* canvas);
    // The styler's BackGround picture: tiled, centred or stretched.
    void PaintStylerPicture(classlib::TCanvas* canvas, const RECT& background);
    void PaintCaptionText(classlib::TCanvas* canvas, const RECT& band, classlib::TColor color);
    // Caption if set, else WideCaption.
    bool HasCaptionText() const { return !Caption().empty() || !wideCaption_.empty(); }
    void FloatTimerTick();

    std::vector<classlib::TControl*> controlOrder_;
    TCustomAdvToolBarStyler* internalStyler_;
    TCustomAdvToolBarStyler* assignedStyler_ = nullptr;
    TCustomAdvToolBarStyler* currentStyler_;
    bool parentStyler_ = true;
    int rightHandleWidth_ = 14;
    TAdvDockPanel* dockPanel_ = nullptr;
    TAdvDockPanel* lastDockPanel_ = nullptr;
    TDockAlign position_ = daTop;
    classlib::TCursor savedCursor_ = 0;
    bool dragging_ = false;
    POINT dragOrigin_{};
    bool rightHandleHot_ = false, rightHandleDown_ = false;
    int rowIndex_ = -1;
    TToolBarState state_ = tsDocked;
    bool sizingByRow_ = false;
    bool menuBar_ = false;
    TDockAligns allowedDockAligns_ = kAllDockAligns;
    std::vector<DockTarget> dockTargets_;
    TFloatingWindow* floatingWindow_ = nullptr;
    classlib::TComponent* floatOwner_;
    bool showOptionIndicator_ = true;
    bool showRightHandle_ = true;
    bool showClose_ = true;
    int captionHeight_ = 16;
    bool optionHot_ = false, optionDown_ = false, closeHot_ = false, closeDown_ = false;
    UINT_PTR floatTimer_ = 0;
    bool arranging_ = false;
    int floatingRows_ = 1;
    int rowThickness_ = 26;
    int fullLength_ = kMinimumLength;
    bool fullRightHandle_ = true;
    TPersistence* persistence_;
    bool allowFloating_ = true;
    bool locked_ = false;
    classlib::TCustomForm* homeForm_ = nullptr;
    bool hiddenWithForm_ = false;
    bool dockOnClose_ = false;
    bool autoSizeToolBar_ = true;
    bool autoArrangeButtons_ = true;
    uint8_t dockScope_ = 0;
    bool reparenting_ = false;
    TAdvCustomToolBarButton* hotButton_ = nullptr;
    classlib::TCustomImageList* images_ = nullptr;
    classlib::TCustomImageList* disabledImages_ = nullptr;
    std::wstring wideCaption_;
    classlib::TFont* captionFont_;
    bool showCaption_ = false;
    bool captionAtEnd_ = false;
    classlib::TAlignment captionAlignment_ = classlib::taLeftJustify;
    std::string optionHint_;
    std::string closeHint_;
    bool captionOptionHot_ = false, captionOptionDown_ = false;
    int buttonShape_ = 1; // shape of the caption's option button

    // menu-bar mode
    void MenuClosed();
    void RestoreMenuItems(bool force = false);
    void FreeMenuButtons(bool mergedOnly);
    void MergeMenu();
    void UnmergeMenu();
    void MenuSwitchTimerTick();
    void MenuBarKeyDown(classlib::TMessage& m);
    classlib::TMainMenu* menu_ = nullptr;
    classlib::TMainMenu* mergedMenu_ = nullptr;
    classlib::TPopupMenu* tempMenu_ = nullptr;
    classlib::TMenuItem* menuSourceItem_ = nullptr;
    bool inMenuLoop_ = false;
    bool menuKeyboardMode_ = false;
    bool menuLoopResult_ = false;
    bool cancelOnCaptureLoss_ = false;
    bool menuShowing_ = false;
    TAdvCustomToolBarButton* lastMenuButton_ = nullptr;
    TAdvCustomToolBarButton* droppedButton_ = nullptr;
    TAdvCustomToolBarButton* pendingMenuButton_ = nullptr;
    // Compact mode, size steps and the hover fade.
    bool compact_ = false;
    bool noCompact_ = false;
    bool loadedOnce_ = false;
    TAdvCustomToolBar* compactClone_ = nullptr;
    TCompactWindow* compactWindow_ = nullptr;
    int compactWidth_ = 45;
    controls::TAdvGlowButton* compactButton_ = nullptr;
    std::string compactCaption_;
    int compactImageIndex_ = -1;
    std::string compactKeyTip_;
    bool savedAutoArrange_ = true, savedAutoSize_ = true;
    bool shrunk_ = false;
    bool switching_ = false;
    classlib::TTimer* fadeTimer_ = nullptr;
    bool fadeHot_ = false;
    int fadeStep_ = 0;
    int fadePosition_ = 0;
};

} // namespace toolbar
