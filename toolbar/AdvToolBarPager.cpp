#include "toolbar/AdvToolBarPager.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "draw/ToolbarDrawing.h"
#include "toolbar/AdvDockPanel.h"
#include "toolbar/AdvPageScrollButton.h"
#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarStylers.h"
#include "windows/Application.h"
#include "windows/Forms.h"

using namespace classlib;
using namespace draw;
using controls::TAdvGlowButton;
using controls::TShortCutHintWindow;

namespace toolbar {

namespace {

constexpr RECT kNoRect{-1, -1, -1, -1};
constexpr int kFadeInterval = 30; // the glow buttons' fade step
constexpr int kFadeStep = 20;

bool Contains(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

CLASSLIB_PUBLISH(TAdvToolBarPager) {}

CLASSLIB_MESSAGE_MAP(TAdvToolBarPager)
{
    m.On(WM_SIZE, &TAdvToolBarPager::WMSize);
    m.On(WM_NCHITTEST, &TAdvToolBarPager::WMNCHitTest);
    m.On(WM_LBUTTONDBLCLK, &TAdvToolBarPager::WMLButtonDblClk);
    m.On(CM_MOUSELEAVE, &TAdvToolBarPager::CMMouseLeave);
    m.On(CM_HINTSHOW, &TAdvToolBarPager::CMHintShow);
    m.On(CM_DIALOGKEY, &TAdvToolBarPager::CMDialogKey);
    m.On(CM_DIALOGCHAR, &TAdvToolBarPager::CMDialogChar);
    m.On(CM_FOCUSCHANGED, &TAdvToolBarPager::CMFocusChanged);
    m.On(WM_KEYDOWN, &TAdvToolBarPager::WMKeyDown);
    m.On(WM_GETDLGCODE, &TAdvToolBarPager::WMGetDlgCode);
}

TAdvToolBarPager::TAdvToolBarPager(TComponent* owner)
    : TCustomControl(owner),
      styler_(this, new TCustomAdvToolBarStyler(this)),
      officeStyler_(new TAdvToolBarOfficeStyler(this)),
      caption_(std::make_unique<TAdvPageCaption>()),
      tabGroups_(std::make_unique<TTabGroups>(this)),
      tabSettings_(std::make_unique<TATBTabSettings>()),
      persistence_(std::make_unique<TPersistence>(this))
{
    controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls} - TControlStyle{csOpaque};
    TControl::SetAlign(alTop);
    // A pager read from a form layout fits its tabs from Loaded on; one made by code, which
    // gets no Loaded, from the start.
    loaded_ = !(owner && (owner->ComponentState().Contains(csLoading) ||
                          owner->ComponentState().Contains(csReading)));
    officeStyler_->SetStyle(bsOffice2007Luna);
    tabSettings_->OnChange = TNotifyEvent(this, &TAdvToolBarPager::TabSettingsChanged);
    caption_->OnChange = TNotifyEvent(this, &TAdvToolBarPager::CaptionChanged);
    tabGroups_->OnChange = TNotifyEvent(this, &TAdvToolBarPager::TabGroupsChanged);
    tabs_.settings = {tabSettings_->LeftMargin(), tabSettings_->RightMargin(),
                      tabSettings_->Spacing()};
    tabs_.ResetLayout();
    tabs_.onStep = [this] {
        // Each step of a tab scroll shows at once.
        if (HandleAllocated()) {
            const RECT r = TabStripRect();
            ::InvalidateRect(Handle(), &r, FALSE);
            Update();
        }
    };
    SetShowHint(false);
    SetDoubleBuffered(true);
    SetHeight(149);
    SetTabStop(false);
    clickTimer_ = new TTimer(this);
    clickTimer_->SetEnabled(false);
    clickTimer_->SetInterval(600);
    clickTimer_->SetOnTimer(TNotifyEvent(this, &TAdvToolBarPager::ClickTimerTick));
    altTimer_ = new TTimer(this);
    altTimer_->SetEnabled(false);
    altTimer_->SetInterval(50);
    altTimer_->SetOnTimer(TNotifyEvent(this, &TAdvToolBarPager::AltTimerTick));
}

TAdvToolBarPager::~TAdvToolBarPager()
{
    // A pager freed on its own (not with its form) saves its state here.
    TreeDestroying();
    RemoveKeyTipHook();
    mdiSubclass_.reset();
    if (minimizedWindow_) {
        TMinimizedRibbonWindow* w = minimizedWindow_;
        minimizedWindow_ = nullptr;
        w->SetPager(nullptr);
        if (TAdvPage* page = ActivePage())
            page->FreeMinimizedCopy();
        w->Free();
    }
    delete clickTimer_;
    clickTimer_ = nullptr;
    delete altTimer_;
    altTimer_ = nullptr;
    RemoveFormHook();
    if (styler_.External())
        styler_.External()->RemoveControl(this);
    for (TAdvPage* page : pages_) {
        delete page->fadeTimer_;
        page->fadeTimer_ = nullptr;
        page->pager_ = nullptr;
    }
    pages_.clear();
}

bool TAdvToolBarPager::Designing() const
{
    return ComponentState().Contains(csDesigning);
}

bool TAdvToolBarPager::Loading() const
{
    return ComponentState().Contains(csLoading);
}

std::string TAdvToolBarPager::Version() const
{
    return "3.1.4.0";
}

// ---- properties ----------------------------------------------------------------------------

TAdvPage* TAdvToolBarPager::ActivePage() const
{
    return activeIndex_ >= 0 && activeIndex_ < PageCount() ? pages_[activeIndex_] : nullptr;
}

void TAdvToolBarPager::SetActivePage(TAdvPage* page)
{
    const int index = IndexOfPage(page);
    if (index >= 0)
        SelectPage(index);
}

void TAdvToolBarPager::SetAntiAlias(TAntiAlias value)
{
    antiAlias_ = value;
    Invalidate();
}

void TAdvToolBarPager::SetImages(TCustomImageList* value)
{
    images_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TAdvToolBarPager::SetDisabledImages(TCustomImageList* value)
{
    disabledImages_ = value;
    if (value)
        value->FreeNotification(this);
    Invalidate();
}

void TAdvToolBarPager::SetShowNonSelectedTabs(bool value)
{
    showNonSelectedTabs_ = value;
    InvalidateTabs(-1);
}

void TAdvToolBarPager::SetPageLeftMargin(int value)
{
    if (value < 0 || value == pageLeftMargin_)
        return;
    pageLeftMargin_ = value;
    RealignPages();
    if (ActivePage())
        ActivePage()->Invalidate();
}

void TAdvToolBarPager::SetPageRightMargin(int value)
{
    if (value < 0 || value == pageRightMargin_)
        return;
    pageRightMargin_ = value;
    RealignPages();
    if (ActivePage())
        ActivePage()->Invalidate();
}

// ---- styler --------------------------------------------------------------------------------

TCustomAdvToolBarStyler* TAdvToolBarPager::CurrentStyler() const
{
    if (officeLook_ && !styler_.External())
        return officeStyler_;
    return styler_.Current();
}

void TAdvToolBarPager::SetToolBarStyler(TCustomAdvToolBarStyler* styler)
{
    if (styler && styler == styler_.External())
        return;
    styler_.SetExternal(styler);
    // Once a styler has been named, none means the plain internal styler, not the Office look
    // the pager had after construction.
    officeLook_ = false;
    if (!ComponentState().Contains(csDestroying) && !Loading()) {
        for (TAdvPage* page : pages_) {
            for (TControl* c : page->toolBars_)
                if (auto* t = dynamic_cast<TAdvCustomToolBar*>(c))
                    t->SetParentStyler(t->ParentStyler());
            page->Invalidate();
        }
    }
    StylerChanged(0);
    Invalidate();
}

void TAdvToolBarPager::StylerChanged(int)
{
    Invalidate();
    if (ActivePage())
        ActivePage()->Invalidate();
    for (bool right : {false, true})
        if (scrollButtons_[right])
            scrollButtons_[right]->Appearance()->Assign(CurrentStyler()->GlowButtonAppearance());
}

void TAdvToolBarPager::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == hookedForm_)
        hookedForm_ = nullptr;
    // A freed styler is forgotten also while the pager goes with it, so that the destructor
    // does not take itself off a styler that is gone.
    const bool stylerGone = styler_.StylerRemoved(component, operation);
    if (ComponentState().Contains(csDestroying))
        return;
    if (stylerGone) {
        officeLook_ = false;
        StylerChanged(0);
    }
    if (component == images_)
        images_ = nullptr;
    if (component == disabledImages_)
        disabledImages_ = nullptr;
    if (component == minimizedWindow_)
        minimizedWindow_ = nullptr;
    if (component == activeMDIChild_)
        activeMDIChild_ = nullptr;
    for (TAdvGlowButton*& b : captionButtons3_)
        if (component == b)
            b = nullptr;
    for (TAdvGlowButton*& b : mdiButtons_)
        if (component == b)
            b = nullptr;
    for (TShortCutHintWindow*& w : keyTipWindows_)
        if (component == w)
            w = nullptr;
}

void TAdvToolBarPager::CaptionChanged(TObject*)
{
    if (!Loading())
        UpdateCaptionButtons(true);
    RealignPages();
    SyncTabArea();
    Invalidate();
}

void TAdvToolBarPager::TabSettingsChanged(TObject*)
{
    RealignPages();
    ResetTabLayout();
    Invalidate();
    if (ActivePage())
        ActivePage()->Invalidate();
}

void TAdvToolBarPager::TabGroupsChanged(TObject*)
{
    Invalidate();
}

// ---- life cycle ----------------------------------------------------------------------------

void TAdvToolBarPager::SetParent(TWinControl* parent)
{
    if (dynamic_cast<TAdvDockPanel*>(parent) || dynamic_cast<TAdvCustomToolBar*>(parent) ||
        dynamic_cast<TAdvToolBarPager*>(parent) || dynamic_cast<TAdvPage*>(parent))
        throw Exception("Invalid Parent");
    TCustomControl::SetParent(parent);
}

void TAdvToolBarPager::CreateWnd()
{
    TCustomControl::CreateWnd();
    if (!Designing())
        InstallFormHook();
}

void TAdvToolBarPager::WndProc(TMessage& message)
{
    if (message.Msg == WM_DESTROY && !Designing())
        RemoveFormHook();
    TCustomControl::WndProc(message);
}

// The form's messages reach the pager through a hook of the form's own chain, not by
// replacing its WindowProc: a second pager on the form hooks in beside the first, and either
// can leave in any order without restoring a procedure that belongs to an object already gone.
void TAdvToolBarPager::InstallFormHook()
{
    if (hookedForm_)
        return;
    for (TWinControl* p = Parent(); p; p = p->Parent()) {
        if (dynamic_cast<TForm*>(p)) {
            hookedForm_ = p;
            p->AddWindowProcHook(hoBeforeMsg,
                                 TWindowProcHook(this, &TAdvToolBarPager::FormWindowHook));
            p->FreeNotification(this);
            return;
        }
    }
}

void TAdvToolBarPager::RemoveFormHook()
{
    if (!hookedForm_)
        return;
    hookedForm_->RemoveWindowProcHook(hoBeforeMsg,
                                      TWindowProcHook(this, &TAdvToolBarPager::FormWindowHook));
    hookedForm_ = nullptr;
}

bool TAdvToolBarPager::FormWindowHook(TMessage& m)
{
    // Sizing, moving, a press on the form, minimizing or maximizing cancel the key tips.
    if (keyTipsShown_ && (m.Msg == WM_SIZE || m.Msg == WM_LBUTTONDOWN || m.Msg == WM_MOVING ||
                          (m.Msg == WM_SYSCOMMAND && ((m.WParam & 0xFFF0) == SC_MINIMIZE ||
                                                      (m.WParam & 0xFFF0) == SC_MAXIMIZE))))
        HideKeyTips(true);
    if (m.Msg != CM_MOUSEWHEEL || !enableWheel_ || !expanded_ || !HandleAllocated())
        return false;
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    if (!Contains(ClientRect(), p.x, p.y))
        return false;
    // The wheel turned towards the user selects the next tab.
    if (static_cast<int>(static_cast<int16_t>(HIWORD(m.WParam))) <= 0)
        SelectNextTab();
    else
        SelectPreviousTab();
    m.Result = 1;
    return true;
}

void TAdvToolBarPager::Loaded()
{
    TCustomControl::Loaded();
    loaded_ = true;
    ResetTabLayout();
    FitTabs();
    ResetTabScroll();
    UpdateCaptionButtons(true);
    if (!Designing()) {
        InstallKeyTipHook();
        if (autoMDIButtons_) {
            autoMDIButtons_ = false;
            SetAutoMDIButtons(true);
        }
    }
    LoadState();
}

// ---- pages ---------------------------------------------------------------------------------

TAdvPage* TAdvToolBarPager::Pages(int index) const
{
    return index >= 0 && index < PageCount() ? pages_[index] : nullptr;
}

int TAdvToolBarPager::IndexOfPage(const TAdvPage* page) const
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

int TAdvToolBarPager::AddPage(TAdvPage* page)
{
    int index = IndexOfPage(page);
    if (index < 0) {
        pages_.push_back(page);
        tabs_.tabs.push_back(PagerTab{});
        index = PageCount() - 1;
    }
    if (page->Parent() != this) {
        page->reparenting_ = true;
        page->SetParent(this);
        page->reparenting_ = false;
    }
    page->pager_ = this;
    PlacePage(page);
    if (index != activeIndex_)
        page->SetVisible(false);
    InvalidateTabs(-1);
    if (ActivePage())
        ActivePage()->BringToFront();
    ResetTabLayout();
    tabs_.RepositionTabs();
    ResetTabScroll();
    return index;
}

void TAdvToolBarPager::RemovePage(TAdvPage* page)
{
    const int index = IndexOfPage(page);
    if (index < 0)
        return;
    int newIndex = activeIndex_;
    if (index < activeIndex_)
        --newIndex;
    if (index == activeIndex_) {
        CycleTab(true);
        newIndex = activeIndex_ > index ? activeIndex_ - 1 : activeIndex_;
        // With no other page to go to, nothing stays active.
        if (activeIndex_ == index)
            newIndex = -1;
    }
    hotTab_ = downTab_ = -1;
    delete page->fadeTimer_;
    page->fadeTimer_ = nullptr;
    page->fadeState_ = 2;
    pages_.erase(pages_.begin() + index);
    tabs_.tabs.erase(tabs_.tabs.begin() + index);
    page->pager_ = nullptr;
    activeIndex_ = -1;
    if (newIndex >= 0 && newIndex < PageCount()) {
        // The page already shown stays; only the index follows the list.
        activeIndex_ = newIndex;
        pages_[newIndex]->SetVisible(true);
    }
    SyncTabFlags();
    ResetTabScroll();
    InvalidateTabs(-1);
}

void TAdvToolBarPager::ChangeActivePage(int index)
{
    if (index < 0 || index >= PageCount() || index == activeIndex_)
        return;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, activeIndex_, index, allow);
    if (!allow)
        return;
    // The popup's page copy holds the old page's toolbars: they go back first.
    FreeMinimizedPage();
    if (TAdvPage* old = ActivePage())
        old->SetVisible(false);
    activeIndex_ = index;
    pages_[index]->SetVisible(true);
    pages_[index]->BringToFront();
    if (OnChange)
        OnChange(this);
}

void TAdvToolBarPager::SelectPage(int index)
{
    ChangeActivePage(index);
    InvalidateTabs(-1);
}

void TAdvToolBarPager::CycleTab(bool forward)
{
    if (!ActivePage())
        return;
    const int n = PageCount();
    int i = activeIndex_;
    for (int k = 0; k < n - 1; ++k) {
        i = forward ? (i + 1) % n : (i - 1 + n) % n;
        if (i != activeIndex_ && pages_[i]->tabVisible_ && pages_[i]->tabEnabled_) {
            SelectPage(i);
            return;
        }
    }
}

void TAdvToolBarPager::SelectNextTab()
{
    for (int i = activeIndex_ + 1; i < PageCount(); ++i)
        if (pages_[i]->tabVisible_ && pages_[i]->tabEnabled_) {
            SelectPage(i);
            return;
        }
}

void TAdvToolBarPager::SelectPreviousTab()
{
    for (int i = activeIndex_ - 1; i >= 0; --i)
        if (pages_[i]->tabVisible_ && pages_[i]->tabEnabled_) {
            SelectPage(i);
            return;
        }
}

void TAdvToolBarPager::MovePage(int from, int to)
{
    if (from < 0 || from >= PageCount() || to < 0 || to >= PageCount())
        return;
    TAdvPage* active = ActivePage();
    TAdvPage* page = pages_[from];
    const PagerTab tab = tabs_.tabs[from];
    pages_.erase(pages_.begin() + from);
    tabs_.tabs.erase(tabs_.tabs.begin() + from);
    pages_.insert(pages_.begin() + to, page);
    tabs_.tabs.insert(tabs_.tabs.begin() + to, tab);
    activeIndex_ = IndexOfPage(active);
    SyncTabFlags();
    UpdateTabScroller();
    tabs_.RepositionTabs();
}

int TAdvToolBarPager::TabGroupOfPage(int index) const
{
    if (index < 0 || index >= PageCount())
        return -1;
    for (int g = 0; g < tabGroups_->Count(); ++g) {
        const TTabGroupItem* item = tabGroups_->Items(g);
        if (item->TabIndexStart() <= index && index <= item->TabIndexEnd())
            return g;
    }
    return -1;
}

void TAdvToolBarPager::InvalidateTabs(int index)
{
    if (!HandleAllocated())
        return;
    const RECT r = index >= 0 && index < PageCount() ? TabRect(index) : TabStripRect();
    ::InvalidateRect(Handle(), &r, FALSE);
}

void TAdvToolBarPager::InvalidatePageTop()
{
    TAdvPage* page = ActivePage();
    if (!page || !page->HandleAllocated())
        return;
    const RECT r{0, 0, page->Width(), 3};
    ::InvalidateRect(page->Handle(), &r, TRUE);
}

void TAdvToolBarPager::PlacePage(TAdvPage* page)
{
    if (IndexOfPage(page) < 0)
        return;
    const RECT r = PageRect();
    page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TAdvToolBarPager::RealignPages()
{
    for (TAdvPage* page : pages_)
        PlacePage(page);
}

int TAdvToolBarPager::FirstVisibleTab() const
{
    for (int i = 0; i < PageCount(); ++i)
        if (pages_[i]->tabVisible_)
            return i;
    return -1;
}

int TAdvToolBarPager::TabAtPos(int x, int y) const
{
    for (int i = 0; i < PageCount(); ++i)
        if (Contains(TabRect(i), x, y))
            return i;
    return -1;
}

int TAdvToolBarPager::TabGroupAtPos(int x, int y) const
{
    for (int g = 0; g < tabGroups_->Count(); ++g) {
        bool l = false, r = false;
        if (Contains(TabGroupRect(g, l, r), x, y))
            return g;
    }
    return -1;
}

void TAdvToolBarPager::AlignControls(TControl* control, RECT& rect)
{
    TCustomControl::AlignControls(control, rect);
    if (auto* page = dynamic_cast<TAdvPage*>(control))
        PlacePage(page);
}

// ---- geometry ------------------------------------------------------------------------------

RECT TAdvToolBarPager::CaptionRect() const
{
    if (!caption_->Visible())
        return kNoRect;
    RECT r = ClientRect();
    r.bottom = r.top + caption_->Height();
    return r;
}

RECT TAdvToolBarPager::TabStripRect() const
{
    RECT r = ClientRect();
    if (caption_->Visible())
        r.top += caption_->Height();
    r.bottom = r.top + tabSettings_->Height();
    return r;
}

RECT TAdvToolBarPager::TabAreaRect() const
{
    const RECT c = ClientRect();
    const int t = c.top + (caption_->Visible() ? caption_->Height() : 0);
    return RECT{c.left + tabSettings_->StartMargin() + pageLeftMargin_ + 4, t + 4,
                c.right - tabSettings_->EndMargin() - pageRightMargin_ - 4,
                t + tabSettings_->Height() + 4};
}

RECT TAdvToolBarPager::PageRect() const
{
    RECT r = ClientRect();
    if (caption_->Visible())
        r.top += caption_->Height();
    r.top += tabSettings_->Height();
    r.bottom -= 5;
    r.left += pageLeftMargin_ + 4;
    r.right -= pageRightMargin_ + 4;
    return r;
}

RECT TAdvToolBarPager::TabRect(int index) const
{
    if (index < 0 || index >= PageCount() || !pages_[index]->tabVisible_)
        return kNoRect;
    const RECT area = TabAreaRect();
    const int left = tabs_.tabs[index].left;
    return RECT{left, area.top, left + tabs_.TabWidth(index), area.bottom};
}

RECT TAdvToolBarPager::VisibleTabRect(int index) const
{
    RECT r = TabRect(index);
    if (r.left == -1 && r.right == -1)
        return kNoRect;
    const RECT area = TabAreaRect();
    if (r.right <= area.left || r.left >= area.right)
        return kNoRect;
    r.left = std::max(r.left, area.left);
    r.right = std::min(r.right, area.right);
    return r;
}

RECT TAdvToolBarPager::TabGroupRect(int index, bool& leftEdgeShown, bool& rightEdgeShown) const
{
    leftEdgeShown = rightEdgeShown = false;
    if (index < 0 || index >= tabGroups_->Count())
        return kNoRect;
    const TTabGroupItem* g = tabGroups_->Items(index);
    const int start = g->TabIndexStart(), end = g->TabIndexEnd();
    if (start < 0 || end < 0 || end < start || end >= PageCount())
        return kNoRect;
    RECT u = kNoRect;
    bool found = false;
    for (int i = start; i <= end; ++i) {
        const RECT r = TabRect(i);
        if (r.left < 0 || r.right < 0)
            continue;
        if (!found) {
            u = r;
            found = leftEdgeShown = rightEdgeShown = true;
        } else {
            u.left = std::min(u.left, r.left);
            u.right = std::max(u.right, r.right);
            u.bottom = std::max(u.bottom, r.bottom);
        }
    }
    if (!found)
        return kNoRect;
    u.top = CaptionRect().top;
    const int spacing = tabSettings_->Spacing();
    if (spacing > 2) {
        u.left -= spacing / 2;
        u.right += spacing / 2;
    }
    return u;
}

// ---- tab layout ----------------------------------------------------------------------------

int TAdvToolBarPager::TabWidthOf(int index) const
{
    return index >= 0 && index < PageCount() ? tabs_.TabWidth(index) : 0;
}

void TAdvToolBarPager::SyncTabFlags()
{
    for (int i = 0; i < PageCount(); ++i) {
        tabs_.tabs[i].visible = pages_[i]->tabVisible_;
        tabs_.tabs[i].grouped = TabGroupOfPage(i) >= 0;
    }
}

void TAdvToolBarPager::SyncTabArea()
{
    const RECT area = TabAreaRect();
    tabs_.areaLeft = area.left;
    tabs_.areaRight = area.right;
}

TGroupAppearance* TAdvToolBarPager::GroupAppearanceOf(int group) const
{
    const TTabGroupItem* g = tabGroups_->Items(group);
    return g->DefaultAppearance() ? CurrentStyler()->GroupAppearance() : g->GroupAppearance();
}

TCustomTabAppearance* TAdvToolBarPager::TabAppearanceOf(int index) const
{
    const int group = TabGroupOfPage(index);
    if (group < 0)
        return CurrentStyler()->TabAppearance();
    return GroupAppearanceOf(group)->TabAppearance();
}

int TAdvToolBarPager::MeasureTab(int index)
{
    TAdvPage* page = pages_[index];
    TCanvas* canvas = Canvas();
    const bool ownDc = !HandleAllocated();
    HDC screen = nullptr;
    if (ownDc) {
        screen = GetDC(nullptr);
        canvas->SetHandle(screen);
    }
    TFont saved;
    saved.Assign(canvas->Font());
    TFont* font = TabAppearanceOf(index)->Font();
    canvas->Font()->Assign(font);
    int textWidth = 0, n = 5;
    if (!page->caption_.empty() || !page->wideCaption_.empty()) {
        RECT r{0, 0, 1000, 100};
        HDC dc = canvas->Handle();
        if (!page->caption_.empty()) {
            DrawTextA(dc, page->caption_.c_str(), static_cast<int>(page->caption_.size()), &r,
                      DT_CALCRECT | DT_SINGLELINE);
            n = std::max(5, static_cast<int>(page->caption_.size()));
        } else {
            DrawTextW(dc, page->wideCaption_.c_str(), static_cast<int>(page->wideCaption_.size()),
                      &r, DT_CALCRECT | DT_SINGLELINE);
            n = std::max(5, static_cast<int>(page->wideCaption_.size()));
        }
        textWidth = r.right - r.left;
    }
    // Anti-aliased text runs a little wider than GDI measures it.
    const int size = font->Size();
    const int extra = antiAlias_ == aaNone ? 2 : n + (size > 8 ? size - 8 : 0);
    int width = extra + textWidth;
    if ((images_ || disabledImages_) && page->imageIndex_ >= 0) {
        TCustomImageList* list =
            page->tabEnabled_ ? images_ : (disabledImages_ ? disabledImages_ : images_);
        if (list)
            width += list->Width() + 2;
    }
    canvas->Font()->Assign(&saved);
    if (ownDc) {
        canvas->SetHandle(nullptr);
        ReleaseDC(nullptr, screen);
    }
    return width;
}

void TAdvToolBarPager::ResetTabLayout()
{
    tabs_.settings = {tabSettings_->LeftMargin(), tabSettings_->RightMargin(),
                      tabSettings_->Spacing()};
    SyncTabFlags();
    SyncTabArea();
    for (int i = 0; i < PageCount(); ++i)
        tabs_.tabs[i].natural = MeasureTab(i);
    tabs_.ResetLayout();
    UpdateTabScroller();
}

void TAdvToolBarPager::FitTabs()
{
    if (pages_.empty() || !loaded_)
        return;
    SyncTabFlags();
    SyncTabArea();
    tabs_.Fit();
}

void TAdvToolBarPager::ResetTabScroll()
{
    SyncTabFlags();
    SyncTabArea();
    tabs_.ResetScroll();
    UpdateTabScroller();
}

void TAdvToolBarPager::UpdateTabScroller()
{
    if (pages_.empty() || Designing() || Loading())
        return;
    SyncTabArea();
    tabs_.UpdateScroller();
    ShowScrollButton(false, tabs_.CanScrollLeft());
    ShowScrollButton(true, tabs_.CanScrollRight());
}

void TAdvToolBarPager::ShowScrollButton(bool right, bool shown)
{
    TAdvPageScrollButton*& b = scrollButtons_[right];
    if (!shown) {
        if (b)
            b->SetVisible(false);
        return;
    }
    const RECT area = TabAreaRect();
    if (!b) {
        b = new TAdvPageScrollButton(this);
        b->SetParent(this);
        b->SetWidth(12);
        b->SetButtonPosition(right ? bpRight : bpLeft);
        b->SetArrowDirection(right ? TAdvPageScrollButton::adRight : TAdvPageScrollButton::adLeft);
        b->OnClick = right ? TNotifyEvent(this, &TAdvToolBarPager::ScrollRightClick)
                           : TNotifyEvent(this, &TAdvToolBarPager::ScrollLeftClick);
    }
    b->SetBounds(right ? area.right - 12 : area.left, area.top, 12, area.bottom - area.top - 5);
    b->SetVisible(true);
    b->BringToFront();
    b->Appearance()->Assign(CurrentStyler()->GlowButtonAppearance());
}

void TAdvToolBarPager::ScrollLeftClick(TObject*)
{
    ScrollTabs(-1);
}

void TAdvToolBarPager::ScrollRightClick(TObject*)
{
    ScrollTabs(1);
}

int TAdvToolBarPager::ScrollTabs(int delta)
{
    SyncTabArea();
    const int scrolled = tabs_.ScrollTabs(delta);
    if (scrolled != 0) {
        UpdateTabScroller();
        InvalidatePageTop();
        InvalidateTabs(-1);
    }
    return scrolled;
}

// ---- fades ---------------------------------------------------------------------------------

void TAdvToolBarPager::StartFade(int index, int step, int state)
{
    TAdvPage* page = Pages(index);
    if (!page)
        return;
    if (!page->fadeTimer_) {
        page->fadeTimer_ = new TTimer(this);
        page->fadeTimer_->SetInterval(kFadeInterval);
        page->fadeTimer_->SetOnTimer(TNotifyEvent(this, &TAdvToolBarPager::PagerTabFadeTick));
    }
    page->step_ = step;
    page->fadeState_ = static_cast<uint8_t>(state);
    page->fadeTimer_->SetEnabled(true);
}

void TAdvToolBarPager::FadeOut(int index)
{
    StartFade(index, -kFadeStep, 0);
    hotTab_ = -1;
    InvalidateTabs(-1);
}

void TAdvToolBarPager::PagerTabFadeTick(TObject* sender)
{
    TAdvPage* page = nullptr;
    int index = -1;
    for (int i = 0; i < PageCount(); ++i)
        if (pages_[i]->fadeTimer_ == sender) {
            page = pages_[i];
            index = i;
        }
    if (!page)
        return;
    // A finished fade stops its timer (kept for the next fade of the tab).
    auto stop = [&] {
        page->fadeTimer_->SetEnabled(false);
        page->fadeState_ = 2;
    };
    if (page->fadeState_ == 0) {
        page->hotLevel_ += page->step_;
        if (page->hotLevel_ > 100 && page->step_ > 0) {
            page->hotLevel_ = 120;
            POINT p;
            GetCursorPos(&p);
            p = ScreenToClient(p);
            if (!Contains(TabRect(index), p.x, p.y)) {
                page->step_ = -kFadeStep;
                hotTab_ = -1;
            } else {
                page->pressLevel_ = 0;
            }
            return;
        }
        if (page->hotLevel_ < 0 && page->step_ < 0) {
            stop();
            InvalidateTabs(-1);
            page->pressLevel_ = 0;
            page->hotLevel_ = -20;
            return;
        }
        InvalidateTabs(-1);
    } else if (page->fadeState_ == 1) {
        page->pressLevel_ += page->step_;
        if ((page->pressLevel_ > 100 && page->step_ > 0) ||
            (page->pressLevel_ < 0 && page->step_ < 0)) {
            stop();
            page->pressLevel_ = 0;
            return;
        }
        InvalidateTabs(-1);
    }
}

// ---- mouse ---------------------------------------------------------------------------------

void TAdvToolBarPager::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (keyTipsShown_)
        HideKeyTips(true);
    downTab_ = -1;
    const RECT caption = CaptionRect();
    if (caption_->Visible() && Contains(caption, x, y)) {
        TWinControl* form = Parent();
        if (button == mbRight && form) {
            POINT p = ClientToScreen(POINT{x, y});
            HWND owner = form->Handle();
            const int command =
                TrackPopupMenu(GetSystemMenu(owner, FALSE), TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x,
                               p.y, 0, owner, nullptr);
            if (command != 0)
                SendMessageA(owner, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
            return;
        }
        if (canMove_ && form && TabGroupAtPos(x, y) < 0) {
            ReleaseCapture();
            // SC_MOVE plus the caption hit-test code (0xF012) starts the drag at the pointer as
            // a caption press does; the keyboard variant 0xF011 first waits for a key or a
            // motion and under Wine moves nothing at all.
            SendMessageA(form->Handle(), WM_SYSCOMMAND, 0xF012, 0);
            return;
        }
    }
    if (!Contains(TabStripRect(), x, y))
        return;
    const int t = TabAtPos(x, y);
    if (t < 0)
        return;
    if (OnTabClick)
        OnTabClick(this, t);
    if (t != activeIndex_ && pages_[t]->tabEnabled_) {
        clickCount_ = -1;
        ChangeActivePage(t);
        if (!expanded_ && t == activeIndex_ && !Designing())
            ShowMinimizedPopup();
        if (!Designing())
            StartFade(t, kFadeStep, 1);
        Invalidate();
    } else {
        downTab_ = t;
        InvalidateTabs(-1);
        if (!expanded_ && t == activeIndex_ && !Designing()) {
            if (!IsMinimizedPopupVisible())
                ShowMinimizedPopup();
            else if (clickCount_ < 2)
                HideMinimizedPopup();
        }
    }
}

void TAdvToolBarPager::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (Designing())
        return;
    if (hotTab_ >= PageCount())
        hotTab_ = -1;
    if (!Contains(TabStripRect(), x, y))
        return;
    const int t = TabAtPos(x, y);
    if (t >= 0 && t != hotTab_) {
        if (downTab_ >= 0) {
            downTab_ = -1;
            InvalidateTabs(-1);
        }
        if (hotTab_ >= 0)
            FadeOut(hotTab_);
        if (pages_[t]->tabEnabled_) {
            hotTab_ = lastHotTab_ = t;
            StartFade(t, kFadeStep, 0);
            Invalidate();
        }
        if (hintTab_ != t) {
            hintTab_ = t;
            if (Application)
                Application->CancelHint();
        }
    } else if (t < 0 && hotTab_ >= 0) {
        downTab_ = -1;
        FadeOut(hotTab_);
    }
    if (t < 0) {
        hintTab_ = -1;
        if (Application)
            Application->CancelHint();
    }
}

void TAdvToolBarPager::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (downTab_ >= 0) {
        downTab_ = -1;
        InvalidateTabs(-1);
    }
    if (Contains(TabStripRect(), x, y)) {
        // Two completed clicks on the active tab within the click timer collapse or expand.
        if (button == mbLeft && activeIndex_ >= 0 && TabAtPos(x, y) == activeIndex_) {
            ++clickCount_;
            if (!clickTimer_->Enabled())
                clickTimer_->SetEnabled(true);
        }
        if (clickCount_ > 1 && hidePagesOnDblClick_) {
            SetExpanded(!expanded_);
            clickTimer_->SetEnabled(false);
            clickCount_ = 0;
        }
        return;
    }
    const int g = TabGroupAtPos(x, y);
    if (g < 0)
        return;
    const TTabGroupItem* item = tabGroups_->Items(g);
    for (int i = std::max(0, item->TabIndexStart()); i <= item->TabIndexEnd() && i < PageCount();
         ++i) {
        if (pages_[i]->Enabled() && pages_[i]->tabVisible_) {
            if (i != activeIndex_)
                SelectPage(i);
            break;
        }
    }
    if (OnTabGroupClick)
        OnTabGroupClick(this, g);
}

void TAdvToolBarPager::CMMouseLeave(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    hintTab_ = -1;
    if (Designing())
        return;
    POINT p;
    GetCursorPos(&p);
    p = ScreenToClient(p);
    RECT area = TabAreaRect();
    area.bottom -= 4;
    if (Contains(area, p.x, p.y))
        return;
    if (hotTab_ >= PageCount())
        hotTab_ = -1;
    if (hotTab_ >= 0 && hotTab_ == activeIndex_) {
        hotTab_ = -1;
        Invalidate();
    } else if (hotTab_ >= 0) {
        FadeOut(hotTab_);
    }
}

void TAdvToolBarPager::WMLButtonDblClk(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    const int x = static_cast<int16_t>(LOWORD(m.LParam)),
              y = static_cast<int16_t>(HIWORD(m.LParam));
    if (Contains(TabStripRect(), x, y)) {
        const int t = TabAtPos(x, y);
        if (t >= 0 && OnTabDblClick)
            OnTabDblClick(this, t);
    }
    if (captionButtons_.Contains(cbMaximize) && Contains(CaptionRect(), x, y))
        ToggleMaximized();
}

void TAdvToolBarPager::WMNCHitTest(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    if (Designing())
        return;
    POINT p{static_cast<int16_t>(LOWORD(m.LParam)), static_cast<int16_t>(HIWORD(m.LParam))};
    p = ScreenToClient(p);
    // The thin top and left border and the right 6 px belong to the form underneath.
    if (p.y < 3 || p.x < 3 || p.x > Width() - 6)
        m.Result = HTTRANSPARENT;
}

void TAdvToolBarPager::CMHintShow(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    if (!info)
        return;
    if (!showTabHint_) {
        info->HintStr.clear();
        return;
    }
    TAdvPage* page = Pages(hintTab_);
    if (!page)
        return;
    if (!page->tabHint_.empty()) {
        info->HintStr = page->tabHint_;
        return;
    }
    // A caption cut short by the fitting shows in full as the hint.
    RECT text{};
    DrawButtonCaption(Canvas(), 0, RECT{0, 0, 1000, 100}, page->caption_, page->wideCaption_,
                      TabAppearanceOf(hintTab_)->Font(), true, false, antiAlias_, text);
    const RECT tab = TabRect(hintTab_);
    if (tab.right - tab.left - tabs_.marginLeft - tabs_.marginRight < text.right - text.left)
        info->HintStr = page->caption_;
}

void TAdvToolBarPager::WMSize(TMessage& m)
{
    Inherited(TAdvToolBarPager::StaticClass(), m);
    RealignPages();
    FitTabs();
    ResetTabScroll();
    if (!Loading())
        UpdateCaptionButtons(false);
}

} // namespace toolbar
