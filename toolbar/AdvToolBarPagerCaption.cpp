// The pager's window-management side: the form's caption buttons in the caption band, the
// buttons of a maximized MDI child, collapsing to the tabs with the pop-up that shows the active
// page meanwhile, the caption-only mode of the toolbar form, the quick-access strip below the
// pages and the stored collapsed state.
#include "toolbar/AdvToolBarPager.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "draw/ToolbarDrawing.h"
#include "windows/Application.h"
#include "windows/Forms.h"

using namespace classlib;
using namespace controls;
using namespace draw;

namespace toolbar {

namespace {

constexpr RECT kNoRect{-1, -1, -1, -1};
constexpr int kCaptionButtonSize = 16;
constexpr int kMDIButtonSize = 16;
constexpr int kMDISpacing = 2;
constexpr int kGlyphSize = 14;
constexpr TColor kGlyphMask = 0xFF00FF;

} // namespace

// ---- the interfaces ------------------------------------------------------------------------

TColor TAdvToolBarPager::CaptionTextColor() const
{
    return CurrentStyler()->PagerCaption()->TextColor();
}

TCustomForm* TAdvToolBarPager::ParentForm() const
{
    for (TWinControl* p = Parent(); p; p = p->Parent())
        if (auto* form = dynamic_cast<TCustomForm*>(p))
            return form;
    return nullptr;
}

TAdvCustomQuickAccessToolBar* TAdvToolBarPager::QuickAccessToolBar() const
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* q = dynamic_cast<TAdvCustomQuickAccessToolBar*>(Controls(i)))
            return q;
    return nullptr;
}

// The shape button is a control from outside this family: it is known only by its class name.
TControl* TAdvToolBarPager::ShapeButton() const
{
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->ClassName() == "TAdvShapeButton")
            return Controls(i);
    return nullptr;
}

// ---- the quick-access strip ----------------------------------------------------------------

bool TAdvToolBarPager::QATBelow() const
{
    TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar();
    return q && q->Visible() && q->ShowBelow();
}

void TAdvToolBarPager::SetShowQATBelow(bool value)
{
    TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar();
    if (!q || value == QATBelow())
        return;
    SetHeight(Height() + (value ? QATStripHeight() : -QATStripHeight()));
    q->SetShowBelow(value);
    RealignPages();
}

RECT TAdvToolBarPager::QATRect() const
{
    if (!QuickAccessToolBar())
        return kNoRect;
    const RECT c = ClientRect();
    const int strip = QATStripHeight();
    if (QATBelow())
        return RECT{c.left + 2, c.bottom - strip, c.right - 2, c.bottom};
    if (!caption_->Visible())
        return kNoRect;
    int m = caption_->MinWidth();
    const RECT buttons = CaptionButtonsRect();
    if (buttons.left != -1)
        m += Width() - buttons.left + 2;
    const RECT cap = CaptionRect();
    return RECT{tabSettings_->StartMargin() - 6, cap.bottom - strip, Width() - std::min(Width(), m),
                cap.bottom};
}

// ---- collapsing ----------------------------------------------------------------------------

void TAdvToolBarPager::SetExpanded(bool value)
{
    if (value == expanded_)
        return;
    if (value) {
        int h = expandedHeight_;
        if (QATBelow())
            h += QATStripHeight();
        expanded_ = true;
        HideMinimizedPopup();
        SetHeight(h);
        if (ActivePage())
            ActivePage()->SetVisible(true);
        Invalidate();
        if (OnExpand)
            OnExpand(this);
        return;
    }
    expandedHeight_ = Height();
    int h = PageRect().top;
    if (QATBelow()) {
        h += QATStripHeight();
        expandedHeight_ -= QATStripHeight();
    }
    expanded_ = false;
    SetHeight(h);
    Invalidate();
    if (OnCollaps)
        OnCollaps(this);
}

void TAdvToolBarPager::ClickTimerTick(TObject*)
{
    clickTimer_->SetEnabled(false);
    clickCount_ = 0;
}

// ---- the minimized popup ---------------------------------------------------------------------

void TAdvToolBarPager::ShowMinimizedPage()
{
    TAdvPage* page = ActivePage();
    if (!page)
        return;
    if (!minimizedWindow_) {
        auto* w = new TMinimizedRibbonWindow(this);
        if (!Name().empty())
            w->SetName(Name() + "_RibbonWindow");
        w->SetBorderIcons(TBorderIcons{});
        w->SetBorderStyle(bsNone);
        w->SetFormStyle(fsStayOnTop);
        w->SetVisible(false);
        w->SetBounds(0, 0, 0, 0);
        w->SetBorderWidth(0);
        w->SetPager(this);
        w->SetColor(CurrentStyler()->PagerCaption()->BorderColor());
        minimizedWindow_ = w;
        // The window is a top-level pop-up owned by the pager's window.
        w->SetParentWindow(Handle());
    }
    if (!minimizedWindow_->Page())
        minimizedWindow_->SetPage(page->CreateMinimizedCopy(minimizedWindow_));
}

void TAdvToolBarPager::ShowMinimizedPopup()
{
    if (!ActivePage())
        return;
    ShowMinimizedPage();
    TMinimizedRibbonWindow* w = minimizedWindow_;
    w->FitToPage();
    const int width = w->Width(), height = w->Height();
    w->SetBounds(w->Left(), w->Top(), 1, 1);
    w->Show();
    const POINT p = ClientToScreen(POINT{PageRect().left - 2, TabStripRect().bottom});
    w->SetBounds(p.x, p.y, width, height);
    Invalidate();
}

void TAdvToolBarPager::HideMinimizedPopup()
{
    if (!minimizedWindow_)
        return;
    minimizedWindow_->Hide();
    FreeMinimizedPage();
}

void TAdvToolBarPager::FreeMinimizedPage()
{
    if (!minimizedWindow_)
        return;
    if (TAdvPage* page = ActivePage())
        page->FreeMinimizedCopy();
    TMinimizedRibbonWindow* w = minimizedWindow_;
    minimizedWindow_ = nullptr;
    w->SetPager(nullptr);
    w->Hide();
    // The name goes at once, so that the next pop-up can take it before this one is freed.
    w->SetName("");
    // This may run inside the window's own message handler (after its hide tick): the window
    // frees itself from a message of its own once that handler is over.
    w->ReleaseForm();
    Invalidate();
}

bool TAdvToolBarPager::IsMinimizedPopupVisible() const
{
    return minimizedWindow_ && minimizedWindow_->Visible() && !expanded_;
}

// ---- caption-only mode ---------------------------------------------------------------------

void TAdvToolBarPager::SetPagesMinimized(bool value)
{
    if (value == pagesMinimized_)
        return;
    pagesMinimized_ = value;
    TAdvCustomQuickAccessToolBar* q = QuickAccessToolBar();
    TControl* shape = ShapeButton();
    if (value) {
        savedHeight_ = Height();
        SetHeight(caption_->Height());
        if (q) {
            savedQATVisible_ = q->Visible();
            q->SetVisible(false);
        }
        if (shape) {
            savedShapeVisible_ = shape->Visible();
            shape->SetVisible(false);
        }
    } else {
        SetHeight(savedHeight_);
        if (q)
            q->SetVisible(savedQATVisible_);
        if (shape)
            shape->SetVisible(savedShapeVisible_);
    }
    Invalidate();
}

// ---- caption buttons -----------------------------------------------------------------------

TAdvGlowButton* TAdvToolBarPager::NewFormButton(int size, void (TAdvToolBarPager::*click)(TObject*))
{
    auto* b = new TAdvGlowButton(this);
    b->SetParent(this);
    b->SetCaption("");
    b->SetTransparent(true);
    b->SetBounds(0, 0, size, size);
    b->OnClick = TNotifyEvent(this, click);
    b->Appearance()->Assign(CurrentStyler()->GlowButtonAppearance());
    return b;
}

// Draws the close (image 0), maximize or restore (1) and minimize (2) glyphs into `list` and
// gives each button its image.
void TAdvToolBarPager::BuildGlyphs(TImageList*& list, TAdvGlowButton* const* buttons)
{
    if (!list) {
        list = new TImageList(this);
        list->SetWidth(kGlyphSize);
        list->SetHeight(kGlyphSize);
        list->SetMasked(true);
        list->SetDrawingStyle(dsTransparent);
    }
    list->Clear();
    const TColor color = CurrentStyler()->PagerCaption()->TextColor();
    TCustomForm* form = ParentForm();
    const bool maximized = form && form->WindowState() != wsNormal;
    for (int i = 0; i < 3; ++i) {
        TBitmap bmp;
        bmp.SetSize(kGlyphSize, kGlyphSize);
        TCanvas* c = bmp.Canvas();
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(kGlyphMask);
        c->FillRect(RECT{0, 0, kGlyphSize, kGlyphSize});
        const RECT r{0, 0, kGlyphSize, kGlyphSize};
        if (i == 0)
            DrawCloseGlyph(c, r, color, 7);
        else if (i == 1 && maximized)
            DrawRestoreGlyph(c, r, color, true);
        else if (i == 1)
            DrawMaximizeGlyph(c, r, color, true);
        else
            DrawMinimizeGlyph(c, r, color, false);
        list->AddMasked(&bmp, kGlyphMask);
    }
    // buttons: close, minimize, maximize (or restore) in TCaptionButton order.
    const TCaptionButton imageOrder[3] = {cbClose, cbMaximize, cbMinimize};
    for (int i = 0; i < 3; ++i) {
        TAdvGlowButton* b = buttons[imageOrder[i]];
        if (!b)
            continue;
        b->SetImages(list);
        b->SetImageIndex(i);
    }
}

void TAdvToolBarPager::UpdateCaptionButtons(bool rebuildGlyphs)
{
    TAdvGlowButton*& close = captionButtons3_[cbClose];
    TAdvGlowButton*& minimize = captionButtons3_[cbMinimize];
    TAdvGlowButton*& maximize = captionButtons3_[cbMaximize];
    if (!caption_->Visible() || captionButtons_.Empty()) {
        if (close || minimize || maximize)
            caption_->SetTrailingIndent(savedTrailingIndent_);
        for (TAdvGlowButton*& b : captionButtons3_) {
            delete b;
            b = nullptr;
        }
        return;
    }
    if (!close) {
        savedTrailingIndent_ = caption_->TrailingIndent();
        close = NewFormButton(kCaptionButtonSize, &TAdvToolBarPager::CloseButtonClick);
    }
    if (!maximize)
        maximize = NewFormButton(kCaptionButtonSize, &TAdvToolBarPager::MaxButtonClick);
    if (!minimize)
        minimize = NewFormButton(kCaptionButtonSize, &TAdvToolBarPager::MinButtonClick);
    const int top = CaptionRect().top + 4;
    close->SetBounds(Width() - close->Width() - 6, top, close->Width(), close->Height());
    maximize->SetBounds(close->Left() - maximize->Width() - 2, top, maximize->Width(),
                        maximize->Height());
    minimize->SetBounds(maximize->Left() - minimize->Width() - 2, top, minimize->Width(),
                        minimize->Height());
    caption_->SetTrailingIndent(std::max(caption_->TrailingIndent(), Width() - minimize->Left()));
    if (rebuildGlyphs)
        BuildGlyphs(captionGlyphs_, captionButtons3_);
    close->SetEnabled(captionButtons_.Contains(cbClose));
    minimize->SetEnabled(captionButtons_.Contains(cbMinimize));
    maximize->SetEnabled(captionButtons_.Contains(cbMaximize));
    for (TAdvGlowButton* b : captionButtons3_) {
        b->SetVisible(true);
        b->BringToFront();
    }
}

void TAdvToolBarPager::SetCaptionButtons(TCaptionButtons value)
{
    if (value == captionButtons_)
        return;
    captionButtons_ = value;
    if (!Loading())
        UpdateCaptionButtons(true);
    Invalidate();
}

RECT TAdvToolBarPager::CaptionButtonsRect() const
{
    TAdvGlowButton* close = captionButtons3_[cbClose];
    TAdvGlowButton* minimize = captionButtons3_[cbMinimize];
    TAdvGlowButton* maximize = captionButtons3_[cbMaximize];
    if (!caption_->Visible() || !close || !minimize || !maximize)
        return kNoRect;
    return RECT{minimize->Left(), maximize->Top(), close->Left() + close->Width(),
                maximize->Top() + maximize->Height()};
}

void TAdvToolBarPager::CloseButtonClick(TObject*)
{
    if (OnCloseButtonClick) {
        OnCloseButtonClick(captionButtons3_[cbClose]);
        return;
    }
    if (TCustomForm* form = ParentForm())
        form->Close();
}

void TAdvToolBarPager::MinButtonClick(TObject*)
{
    if (OnMinButtonClick) {
        OnMinButtonClick(captionButtons3_[cbMinimize]);
        return;
    }
    if (Application)
        Application->Minimize();
}

void TAdvToolBarPager::ToggleMaximized()
{
    TCustomForm* form = ParentForm();
    if (!form)
        return;
    form->SetWindowState(form->WindowState() == wsNormal ? wsMaximized : wsNormal);
    UpdateCaptionButtons(true);
}

void TAdvToolBarPager::MaxButtonClick(TObject*)
{
    if (OnMaxButtonClick) {
        OnMaxButtonClick(captionButtons3_[cbMaximize]);
        return;
    }
    ToggleMaximized();
}

// ---- MDI buttons ---------------------------------------------------------------------------

// The form's messages are watched through the system's subclass chain, which other subclassers
// of the same window can join and leave in any order; the subclass ends with the pager.
void TAdvToolBarPager::SetAutoMDIButtons(bool value)
{
    if (value == autoMDIButtons_)
        return;
    autoMDIButtons_ = value;
    if (Designing() || Loading())
        return;
    TCustomForm* form = ParentForm();
    if (value && form && !mdiSubclass_) {
        activeMDIChild_ = nullptr;
        mdiSubclass_ = std::make_unique<TWindowSubclass>(
            form->Handle(), [this](TMessage& msg) { MDIFormMessage(msg); }, this);
    } else if (!value && mdiSubclass_) {
        activeMDIChild_ = nullptr;
        mdiMode_ = false;
        if (form && form->HandleAllocated())
            SetWindowRgn(form->Handle(), nullptr, TRUE);
        mdiSubclass_.reset();
        Invalidate();
    }
    UpdateMDIButtons(true);
}

void TAdvToolBarPager::MDIFormMessage(TMessage& m)
{
    if (m.Msg == WM_WINDOWPOSCHANGED)
        Invalidate();
    TWindowSubclass::CallNext(mdiSubclass_->Window(), m);
}

void TAdvToolBarPager::CheckMDIChild()
{
    TCustomForm* form = ParentForm();
    activeMDIChild_ = autoMDIButtons_ && form ? form->ActiveMDIChild() : nullptr;
    const bool mode =
        autoMDIButtons_ && activeMDIChild_ && activeMDIChild_->WindowState() == wsMaximized;
    if (mode != mdiMode_) {
        mdiMode_ = mode;
        UpdateMDIButtons(true);
    }
}

RECT TAdvToolBarPager::MDIButtonsRect() const
{
    const RECT a = TabAreaRect();
    return RECT{a.right + kMDISpacing, a.top,
                a.right + (kMDIButtonSize + kMDISpacing) * 3 + kMDISpacing, a.bottom};
}

void TAdvToolBarPager::UpdateMDIButtons(bool rebuildGlyphs)
{
    if (Designing())
        return;
    TCustomForm* form = ParentForm();
    const bool hide = !mdiMode_ || !autoMDIButtons_ || !form || form->BorderIcons().Empty() ||
                      (activeMDIChild_ && activeMDIChild_->WindowState() != wsMaximized);
    if (hide) {
        for (TAdvGlowButton* b : mdiButtons_)
            if (b)
                b->SetVisible(false);
        return;
    }
    TAdvGlowButton*& close = mdiButtons_[cbClose];
    TAdvGlowButton*& minimize = mdiButtons_[cbMinimize];
    TAdvGlowButton*& restore = mdiButtons_[cbMaximize];
    if (!minimize)
        minimize = NewFormButton(kMDIButtonSize, &TAdvToolBarPager::MDIMinimizeClick);
    if (!restore)
        restore = NewFormButton(kMDIButtonSize, &TAdvToolBarPager::MDIRestoreClick);
    if (!close)
        close = NewFormButton(kMDIButtonSize, &TAdvToolBarPager::MDICloseClick);
    const RECT r = MDIButtonsRect();
    const int top = r.top + (r.bottom - r.top - minimize->Height()) / 2 - 4;
    minimize->SetBounds(r.left, top, minimize->Width(), minimize->Height());
    restore->SetBounds(minimize->Left() + minimize->Width() + kMDISpacing, top, restore->Width(),
                       restore->Height());
    close->SetBounds(restore->Left() + restore->Width() + kMDISpacing, top, close->Width(),
                     close->Height());
    if (rebuildGlyphs)
        BuildGlyphs(mdiGlyphs_, mdiButtons_);
    const TBorderIcons icons = activeMDIChild_ ? activeMDIChild_->BorderIcons() : TBorderIcons{};
    close->SetEnabled(icons.Contains(biSystemMenu));
    minimize->SetEnabled(icons.Contains(biMinimize));
    restore->SetEnabled(icons.Contains(biMaximize));
    for (TAdvGlowButton* b : mdiButtons_) {
        b->SetVisible(true);
        b->BringToFront();
    }
}

void TAdvToolBarPager::MDICloseClick(TObject*)
{
    if (autoMDIButtons_ && mdiMode_ && activeMDIChild_ &&
        activeMDIChild_->WindowState() == wsMaximized)
        activeMDIChild_->Close();
    UpdateMDIButtons(true);
}

void TAdvToolBarPager::MDIRestoreClick(TObject*)
{
    if (autoMDIButtons_ && mdiMode_ && activeMDIChild_ &&
        activeMDIChild_->WindowState() == wsMaximized &&
        activeMDIChild_->BorderIcons().Contains(biMaximize))
        activeMDIChild_->SetWindowState(wsNormal);
    UpdateMDIButtons(true);
}

void TAdvToolBarPager::MDIMinimizeClick(TObject*)
{
    if (autoMDIButtons_ && mdiMode_ && activeMDIChild_ &&
        activeMDIChild_->WindowState() == wsMaximized &&
        activeMDIChild_->BorderIcons().Contains(biMinimize))
        activeMDIChild_->SetWindowState(wsMinimized);
}

// ---- persistence ---------------------------------------------------------------------------

void TAdvToolBarPager::SaveState()
{
    if (Designing())
        return;
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    store->WriteInteger(persistence_->Section(), "Minimized", expanded_ ? 0 : 1);
    store->WriteInteger(persistence_->Section(), "ShowQATBelow", QATBelow() ? 1 : 0);
    store->UpdateFile();
}

void TAdvToolBarPager::LoadState()
{
    if (Designing())
        return;
    std::unique_ptr<TCustomIniFile> store = persistence_->OpenStore();
    if (!store)
        return;
    const int minimized =
        store->ReadInteger(persistence_->Section(), "Minimized", expanded_ ? 0 : 1);
    const int below = store->ReadInteger(persistence_->Section(), "ShowQATBelow", QATBelow());
    store.reset();
    if (minimized > 0)
        Collapse();
    if (below > 0)
        SetShowQATBelow(true);
}

// The state is written while the form is whole (its quick-access toolbar still a child), once;
// a store that cannot be written is reported to the application, never thrown out of the
// tear-down.
void TAdvToolBarPager::TreeDestroying()
{
    TCustomControl::TreeDestroying();
    if (stateSaved_)
        return;
    stateSaved_ = true;
    try {
        SaveState();
    } catch (...) {
        if (Application)
            Application->HandleException(this);
    }
}

} // namespace toolbar
