#pragma once
// The ribbon pager and its pages. TAdvToolBarPager is a band at the top of a form: a caption
// band, a tab strip with one tab per page (and tab-group heads above runs of tabs), and the
// active page, on which toolbars sit side by side as captioned groups. Tabs fit themselves to
// the strip (PagerTabLayout) and scroll with two arrow buttons when they still do not fit; hover
// and press fade in 30-ms steps. TAdvPage is one page: the data of its tab and the toolbars it
// places. Everything takes its colours from a toolbar styler.
//
// Painting is AdvToolBarPagerPaint.cpp; the page is AdvPage.cpp.
#include <memory>
#include <string>
#include <vector>

#include "controls/AdvGlowButton.h"
#include "toolbar/AdvPagerAppearance.h"
#include "toolbar/AdvQuickAccessToolBar.h"
#include "toolbar/AdvToolBarForm.h"
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/KeyTips.h"
#include "toolbar/MinimizedRibbonWindow.h"
#include "toolbar/Persistence.h"
#include "toolbar/PagerTabLayout.h"
#include "windows/Controls.h"
#include "windows/ImageLists.h"
#include "windows/Timers.h"

namespace toolbar {

class TAdvToolBarPager;
class TAdvPageScrollButton;
class TAdvToolBarOfficeStyler;

enum TCaptionButton { cbClose, cbMinimize, cbMaximize };
using TCaptionButtons = classlib::TSet<TCaptionButton>;

using TTabChangingEvent =
    classlib::TEvent<void(classlib::TObject* Sender, int FromPage, int ToPage, bool& AllowChange)>;
using TTabClickEvent = classlib::TEvent<void(classlib::TObject* Sender, int Page)>;
using TTabGroupClickEvent = classlib::TEvent<void(classlib::TObject* Sender, int TabGroup)>;

// One page of a pager: its tab's data and the toolbars on it, placed left to right.
class TAdvPage : public classlib::TCustomControl, public IMinimizedRibbonPage, public IKeyTipPage {
    CLASSLIB_CLASS(TAdvPage, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvPage(classlib::TComponent* owner);
    ~TAdvPage() override;

    TAdvToolBarPager* AdvToolBarPager() const { return pager_; }
    // Leaves the old pager, moves under the new one and registers with it.
    void SetPager(TAdvToolBarPager* pager);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    const std::wstring& WideCaption() const { return wideCaption_; }
    void SetWideCaption(const std::wstring& value);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);
    bool TabEnabled() const { return tabEnabled_; }
    void SetTabEnabled(bool value);
    int ImageIndex() const { return imageIndex_; }
    // Re-measures the tabs even when the value is the same.
    void SetImageIndex(int value);
    const std::string& TabHint() const { return tabHint_; }
    void SetTabHint(const std::string& value) { tabHint_ = value; }
    bool AutoPosition() const { return autoPosition_; }
    void SetAutoPosition(bool value);
    int PageIndex() const;
    void SetPageIndex(int value);
    const std::string& ShortCutHint() const { return shortCutHint_; }
    void SetShortCutHint(const std::string& value) { shortCutHint_ = value; }
    controls::TShortCutHintPos ShortCutHintPos() const { return shortCutHintPos_; }
    void SetShortCutHintPos(controls::TShortCutHintPos value) { shortCutHintPos_ = value; }

    // The tab's width with the margins of its kind.
    int GetTabWidth() const;
    bool IsInTabGroup() const;

    // Toolbars (any TAdvCustomToolBar) of the page, in ascending Left.
    int AddToolBar(classlib::TControl* toolBar);
    void RemoveToolBar(classlib::TControl* toolBar);
    int ToolBarCount() const { return static_cast<int>(toolBars_.size()); }
    classlib::TControl* ToolBars(int index) const { return toolBars_[index]; }
    // The visible toolbar children (all at design time), each once, in ascending Left.
    std::vector<classlib::TControl*> CollectToolBars() const override;
    // Places the toolbars 3 px from the top and from each other, 6 px shorter than the page.
    void PositionToolBars();
    void RefreshToolBars();

    // ---- key tips and the minimized copy (AdvToolBarPagerKeys.cpp) ----
    // The tab's key tip, placed by ShortCutHintPos around the tab.
    void ShowTabKeyTip();
    void HideTabKeyTip();
    controls::TShortCutHintWindow* TabKeyTipWindow() const { return keyTipWindow_; }
    // The key tips of the page's toolbars' buttons.
    void ShowToolBarKeyTips() override;
    void HideToolBarKeyTips() override;
    bool ToolBarKeyTipsShown() const override { return toolBarKeyTipsShown_; }
    // Hands the typed text to the toolbars in turn; true when one acted on it.
    bool HandleToolBarKeyTip(const std::string& text);
    const std::string& TypedToolBarKeys() const { return typedToolBarKeys_; }
    // IKeyTipPage
    bool TypeToolBarKey(char c) override;
    void ShowPagerKeyTips() override;
    bool FocusPager() override;
    bool MinimizedPopupVisible() const override;
    void HideMinimizedPopup() override;
    // A copy of the page in the minimized ribbon's window that holds the page's toolbars
    // meanwhile; FreeMinimizedCopy gives them back.
    TAdvPage* CreateMinimizedCopy(TMinimizedRibbonWindow* window);
    void FreeMinimizedCopy();
    TAdvPage* MinimizedCopy() const { return minimizedCopy_; }
    // IMinimizedRibbonPage
    classlib::TWinControl* FirstToolBar(bool visibleOnly) const override;

    // The tab fade record the pager drives.
    classlib::TTimer* FadeTimer() const { return fadeTimer_; }
    int HotLevel() const { return hotLevel_; }
    int PressLevel() const { return pressLevel_; }
    int FadeState() const { return fadeState_; }

    // A dock panel or toolbar raises "Invalid Parent"; dropped on a page of the same pager, the
    // page takes that page's place among the tabs.
    void SetParent(classlib::TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;

    // Fitting the toolbars to the page's width (size steps, compact mode) and scrolling them
    // when even compact toolbars do not fit.
    void ShrinkToolBars();
    void GrowToolBars();
    void ArrangeToolBars();
    // Answers the signed number of screens scrolled.
    int ScrollToolBars(int delta);
    void ResetToolBarScroll();
    void UpdateToolBarScroller();
    TATBTabScroller* ToolBarScroller() const { return toolBarScroller_.get(); }
    int FirstShownToolBar() const { return firstShownToolBar_; }
    TAdvPageScrollButton* ScrollButtonLeft() const { return scrollLeft_; }
    TAdvPageScrollButton* ScrollButtonRight() const { return scrollRight_; }

protected:
    void Loaded() override;
    void AlignControls(classlib::TControl* control, RECT& rect) override;
    void Paint() override;

private:
    friend class TAdvToolBarPager;
    void WMSize(classlib::TMessage& m);
    int ToolBarsFitting(int n, bool forward) const;
    void ScrollToToolBar(int target);
    void ScrollClick(classlib::TObject* sender);
    std::unique_ptr<TATBTabScroller> toolBarScroller_ = std::make_unique<TATBTabScroller>();
    int firstShownToolBar_ = 0;
    TAdvPageScrollButton* scrollLeft_ = nullptr;
    TAdvPageScrollButton* scrollRight_ = nullptr;
    void CMControlChange(classlib::TMessage& m);
    void CaptionChanged();
    bool IsToolBar(classlib::TControl* control) const;

    std::vector<classlib::TControl*> toolBars_;
    bool tabVisible_ = true;
    TAdvToolBarPager* pager_ = nullptr;
    std::string caption_;
    std::wstring wideCaption_;
    bool tabEnabled_ = true;
    int imageIndex_ = -1;
    bool autoPosition_ = true;
    bool busy_ = false;
    classlib::TTimer* fadeTimer_ = nullptr;
    int step_ = 0, hotLevel_ = 0, pressLevel_ = 0;
    uint8_t fadeState_ = 0;
    std::string tabHint_;
    bool reparenting_ = false;
    controls::TShortCutHintPos shortCutHintPos_ = controls::shpBottom;
    std::string shortCutHint_;
    int previousWidth_ = 0;
    controls::TShortCutHintWindow* keyTipWindow_ = nullptr;
    bool toolBarKeyTipsShown_ = false;
    std::string typedToolBarKeys_;
    TAdvPage* minimizedCopy_ = nullptr; // in the copy: the page it copies
    bool savedAutoPosition_ = true;
};

class TAdvToolBarPager : public classlib::TCustomControl,
                         public IToolBarStylerClient,
                         public IToolBarFormPager,
                         public IQuickAccessPager,
                         public IMinimizedRibbonPager {
    CLASSLIB_CLASS(TAdvToolBarPager, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvToolBarPager(classlib::TComponent* owner);
    ~TAdvToolBarPager() override;

    // ---- published ----
    TAdvPage* ActivePage() const;
    void SetActivePage(TAdvPage* page);
    draw::TAntiAlias AntiAlias() const { return antiAlias_; }
    void SetAntiAlias(draw::TAntiAlias value);
    bool CanMove() const { return canMove_; }
    void SetCanMove(bool value) override { canMove_ = value; }
    bool AutoMDIButtons() const { return autoMDIButtons_; }
    void SetAutoMDIButtons(bool value);
    TCaptionButtons CaptionButtons() const { return captionButtons_; }
    void SetCaptionButtons(TCaptionButtons value);
    bool HidePagesOnDblClick() const { return hidePagesOnDblClick_; }
    void SetHidePagesOnDblClick(bool value) { hidePagesOnDblClick_ = value; }
    TPersistence* Persistence() const { return persistence_.get(); }
    void SetPersistence(TPersistence* value) { persistence_->Assign(value); }
    TAdvPageCaption* Caption() const { return caption_.get(); }
    void SetCaption(TAdvPageCaption* value) { caption_->Assign(value); }
    classlib::TCustomImageList* Images() const { return images_; }
    void SetImages(classlib::TCustomImageList* value);
    classlib::TCustomImageList* DisabledImages() const { return disabledImages_; }
    void SetDisabledImages(classlib::TCustomImageList* value);
    bool EnableWheel() const { return enableWheel_; }
    void SetEnableWheel(bool value) { enableWheel_ = value; }
    TTabGroups* TabGroups() const { return tabGroups_.get(); }
    void SetTabGroups(TTabGroups* value) { tabGroups_->Assign(value); }
    TATBTabSettings* TabSettings() const { return tabSettings_.get(); }
    void SetTabSettings(TATBTabSettings* value) { tabSettings_->Assign(value); }
    bool ShowNonSelectedTabs() const { return showNonSelectedTabs_; }
    void SetShowNonSelectedTabs(bool value);
    bool ShowTabHint() const { return showTabHint_; }
    void SetShowTabHint(bool value) { showTabHint_ = value; }
    int PageLeftMargin() const { return pageLeftMargin_; }
    void SetPageLeftMargin(int value);
    int PageRightMargin() const { return pageRightMargin_; }
    void SetPageRightMargin(int value);
    std::string Version() const;

    classlib::TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TTabClickEvent OnTabClick;
    TTabClickEvent OnTabDblClick;
    TTabGroupClickEvent OnTabGroupClick;
    classlib::TNotifyEvent OnCloseButtonClick;
    classlib::TNotifyEvent OnMinButtonClick;
    classlib::TNotifyEvent OnMaxButtonClick;
    classlib::TNotifyEvent OnExpand;
    classlib::TNotifyEvent OnCollaps;

    // ---- IToolBarFormPager ----
    classlib::TColor CaptionTextColor() const override;
    bool PagesMinimized() const override { return pagesMinimized_; }
    // Caption-only mode: the pager keeps only its caption band; the quick-access toolbar and
    // the shape button are hidden meanwhile.
    void SetPagesMinimized(bool value) override;

    // ---- IQuickAccessPager ----
    RECT QATRect() const override;
    bool CaptionVisible() const override { return caption_->Visible(); }
    TCustomAdvToolBarStyler* PagerStyler() const override { return CurrentStyler(); }
    // The pager's quick-access toolbar (its first such child), nullptr when none.
    TAdvCustomQuickAccessToolBar* QuickAccessToolBar() const;
    bool QATBelow() const;
    int QATStripHeight() const { return caption_->Height() - 2; }
    void SetShowQATBelow(bool value);

    // ---- collapsing (AdvToolBarPagerCaption.cpp) ----
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool value);
    void Collapse() { SetExpanded(false); }
    void Expand() { SetExpanded(true); }
    int ExpandedHeight() const { return expandedHeight_; }
    classlib::TTimer* ClickTimer() const { return clickTimer_; }
    void ClickTimerTick(classlib::TObject*);

    // ---- the minimized popup ----
    void ShowMinimizedPage();
    void ShowMinimizedPopup();
    void HideMinimizedPopup();
    // IMinimizedRibbonPager: the active page takes its toolbars back, the window is freed.
    void FreeMinimizedPage() override;
    bool IsMinimizedPopupVisible() const;
    TMinimizedRibbonWindow* MinimizedWindow() const { return minimizedWindow_; }

    // ---- caption buttons and MDI buttons ----
    void UpdateCaptionButtons(bool rebuildGlyphs);
    RECT CaptionButtonsRect() const;
    controls::TAdvGlowButton* CaptionButton(TCaptionButton which) const
    {
        return captionButtons3_[which];
    }
    void UpdateMDIButtons(bool rebuildGlyphs);
    void CheckMDIChild();
    bool MDIMode() const { return mdiMode_; }
    RECT MDIButtonsRect() const;
    // The close, minimize and restore buttons of a maximized MDI child.
    controls::TAdvGlowButton* MDIButton(TCaptionButton which) const { return mdiButtons_[which]; }

    // ---- persistence ----
    void SaveState();
    void LoadState();

    // ---- key tips (AdvToolBarPagerKeys.cpp) ----
    void ShowKeyTips();
    void HideKeyTips(bool alsoPages);
    bool KeyTipsShown() const { return keyTipsShown_; }
    const std::string& TypedKeyTipText() const { return typedKeys_; }
    classlib::TTimer* AltTimer() const { return altTimer_; }
    void AltTimerTick(classlib::TObject*);
    controls::TShortCutHintWindow* CreateKeyTipWindow();
    void FreeKeyTipWindow(controls::TShortCutHintWindow* window);
    // A key the thread's message hook saw pressed (once while held): Ctrl+F1 collapses or
    // expands.
    void HandleHookKey(int key);
    void InstallKeyTipHook();
    void RemoveKeyTipHook();

    // ---- IToolBarStylerClient ----
    void ToolBarStylerChanged(int kind) override { StylerChanged(kind); }
    TCustomAdvToolBarStyler* ToolBarStyler() const override { return styler_.External(); }
    void SetToolBarStyler(TCustomAdvToolBarStyler* styler) override;
    bool ReleasedByStyler() const override { return true; }
    // The styler every painting step reads: the Office 2007 look made at construction until a
    // styler is assigned, then the assigned one or the plain internal one.
    TCustomAdvToolBarStyler* CurrentStyler() const;
    void StylerChanged(int kind);

    // ---- pages ----
    int AddPage(TAdvPage* page);
    void RemovePage(TAdvPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TAdvPage* Pages(int index) const;
    int IndexOfPage(const TAdvPage* page) const;
    int ActivePageIndex() const { return activeIndex_; }
    void ChangeActivePage(int index);
    void SelectPage(int index);
    void CycleTab(bool forward);
    void SelectNextTab();
    void SelectPreviousTab();
    void MovePage(int from, int to);
    int TabGroupOfPage(int index) const;
    void InvalidateTabs(int index);
    void InvalidatePageTop();
    void PlacePage(TAdvPage* page);
    void RealignPages();
    int FirstVisibleTab() const;
    int TabAtPos(int x, int y) const;
    int TabGroupAtPos(int x, int y) const;
    int HotTab() const { return hotTab_; }
    int DownTab() const { return downTab_; }

    // ---- geometry (pager client coordinates; (-1, -1, -1, -1) means none) ----
    RECT CaptionRect() const;
    RECT TabStripRect() const;
    RECT TabAreaRect() const;
    RECT PageRect() const;
    RECT TabRect(int index) const;
    RECT VisibleTabRect(int index) const;
    RECT PageTabRect(const TAdvPage* page) const { return TabRect(IndexOfPage(page)); }
    RECT TabGroupRect(int index, bool& leftEdgeShown, bool& rightEdgeShown) const;

    // ---- tab layout and scrolling ----
    const PagerTabLayout& TabLayout() const { return tabs_; }
    int TabWidthOf(int index) const;
    // Spacing and margins back to the settings and every tab measured again.
    void ResetTabLayout();
    void FitTabs();
    void ResetTabScroll();
    int ScrollTabs(int delta);
    TAdvPageScrollButton* TabScrollButton(bool right) const { return scrollButtons_[right]; }

    // One tick of a page's fade timer (the timer is the sender).
    void PagerTabFadeTick(classlib::TObject* sender);

    // A dock panel, toolbar, pager or page raises "Invalid Parent".
    void SetParent(classlib::TWinControl* parent) override;

protected:
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
    void KeyUp(WORD& key, classlib::TShiftState shift) override;

private:
    friend class TAdvPage;
    void WMSize(classlib::TMessage& m);
    void WMNCHitTest(classlib::TMessage& m);
    void WMLButtonDblClk(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void CMHintShow(classlib::TMessage& m);
    void CMDialogKey(classlib::TMessage& m);
    void CMDialogChar(classlib::TMessage& m);
    void CMFocusChanged(classlib::TMessage& m);
    void WMKeyDown(classlib::TMessage& m);
    void WMGetDlgCode(classlib::TMessage& m);
    void KeyTipKey(int key);
    void ShowKeyTipsFromAlt();
    void TreeDestroying() override;
    void CloseButtonClick(classlib::TObject*);
    void MinButtonClick(classlib::TObject*);
    void MaxButtonClick(classlib::TObject*);
    void ToggleMaximized();
    void MDICloseClick(classlib::TObject*);
    void MDIMinimizeClick(classlib::TObject*);
    void MDIRestoreClick(classlib::TObject*);
    void MDIFormMessage(classlib::TMessage& m);
    controls::TAdvGlowButton* NewFormButton(int size,
                                            void (TAdvToolBarPager::*click)(classlib::TObject*));
    void BuildGlyphs(classlib::TImageList*& list, controls::TAdvGlowButton* const* buttons);
    classlib::TCustomForm* ParentForm() const;
    classlib::TControl* ShapeButton() const;
    bool FormWindowHook(classlib::TMessage& m);
    void InstallFormHook();
    void RemoveFormHook();
    void CaptionChanged(classlib::TObject*);
    void TabSettingsChanged(classlib::TObject*);
    void TabGroupsChanged(classlib::TObject*);
    void ScrollLeftClick(classlib::TObject*);
    void ScrollRightClick(classlib::TObject*);

    bool Designing() const;
    bool Loading() const;
    void SyncTabFlags();
    void SyncTabArea();
    int MeasureTab(int index);
    void UpdateTabScroller();
    void ShowScrollButton(bool right, bool shown);
    void StartFade(int index, int step, int state);
    void FadeOut(int index);
    TCustomTabAppearance* TabAppearanceOf(int index) const;
    TGroupAppearance* GroupAppearanceOf(int group) const;

    // Painting (AdvToolBarPagerPaint.cpp).
    void DrawCaption(classlib::TCanvas* canvas);
    void DrawTabStrip(classlib::TCanvas* canvas);
    void DrawTabGroups(classlib::TCanvas* canvas);
    void DrawTab(classlib::TCanvas* canvas, int index);
    void DrawTabBackground(classlib::TCanvas* canvas, const RECT& r);
    void DrawPageShadow(classlib::TCanvas* canvas);

    TToolBarStylerLink styler_;
    TAdvToolBarOfficeStyler* officeStyler_;
    bool officeLook_ = true; // painting with the Office styler made at construction
    std::vector<TAdvPage*> pages_;
    bool loaded_ = false;
    PagerTabLayout tabs_;
    int activeIndex_ = -1;
    int hotTab_ = -1;
    int downTab_ = -1;
    int lastHotTab_ = -1;
    int hintTab_ = -1;
    classlib::TWinControl* hookedForm_ = nullptr;
    TAdvPageScrollButton* scrollButtons_[2] = {nullptr, nullptr};

    draw::TAntiAlias antiAlias_ = draw::aaClearType;
    bool canMove_ = false;
    std::unique_ptr<TAdvPageCaption> caption_;
    classlib::TCustomImageList* images_ = nullptr;
    classlib::TCustomImageList* disabledImages_ = nullptr;
    bool enableWheel_ = true;
    std::unique_ptr<TTabGroups> tabGroups_;
    std::unique_ptr<TATBTabSettings> tabSettings_;
    bool showNonSelectedTabs_ = false;
    bool showTabHint_ = false;
    int pageLeftMargin_ = 0;
    int pageRightMargin_ = 0;
    bool expanded_ = true;
    int expandedHeight_ = 0;
    classlib::TTimer* clickTimer_ = nullptr;
    int clickCount_ = 0;
    bool hidePagesOnDblClick_ = true;
    TMinimizedRibbonWindow* minimizedWindow_ = nullptr;
    bool pagesMinimized_ = false;
    int savedHeight_ = 0;
    bool savedQATVisible_ = false;
    bool savedShapeVisible_ = false;
    std::unique_ptr<TPersistence> persistence_;
    bool stateSaved_ = false;
    TCaptionButtons captionButtons_;
    controls::TAdvGlowButton* captionButtons3_[3] = {nullptr, nullptr, nullptr};
    classlib::TImageList* captionGlyphs_ = nullptr;
    int savedTrailingIndent_ = 0;
    classlib::TWindowState lastWindowState_ = classlib::wsNormal;
    bool autoMDIButtons_ = false;
    bool mdiMode_ = false;
    controls::TAdvGlowButton* mdiButtons_[3] = {nullptr, nullptr, nullptr};
    classlib::TImageList* mdiGlyphs_ = nullptr;
    classlib::TCustomForm* activeMDIChild_ = nullptr;
    std::unique_ptr<classlib::TWindowSubclass> mdiSubclass_;
    bool keyTipsShown_ = false;
    std::string typedKeys_;
    std::vector<controls::TShortCutHintWindow*> keyTipWindows_;
    classlib::TTimer* altTimer_ = nullptr;
    bool altPending_ = false;
    int altHeldTime_ = 0;
    bool altInShift_ = false;
};

} // namespace toolbar
