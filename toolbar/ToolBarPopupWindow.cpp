// The "Add or Remove Buttons" pop-up: its items, panels and window.
#include "toolbar/ToolBarPopupWindow.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/PopupLayout.h"

#include "controls/AdvGlowButton.h"
#include "draw/ToolbarDrawing.h"
#include "menus/AdvMenuStyler.h"
#include "windows/ImageLists.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

namespace {

// Whether the item's control shows an image in the image column.
bool ControlHasImage(TControl* control)
{
    if (auto* button = dynamic_cast<TAdvCustomToolBarButton*>(control))
        return button->ImageIndex() >= 0 || !button->Glyph()->Empty();
    if (auto* glow = dynamic_cast<controls::TAdvCustomGlowButton*>(control))
        return glow->ImageIndex() >= 0 || (glow->Picture() && !glow->Picture()->Empty());
    return false;
}

void FillBar(TCanvas* c, const RECT& r, TColor color, TColor colorTo, bool horizontal, int steps)
{
    if (color == clNone || colorTo == clNone) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(color);
        c->Pen()->SetColor(color);
        c->Rectangle(r);
    } else {
        draw::DrawStepGradientInner(c, color, colorTo, steps, r, horizontal);
    }
}

// Draws `bitmap` centred in `r`, stretched when it does not fit.
void DrawFitted(TCanvas* c, TBitmap* bitmap, const RECT& r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (bitmap->Width() > w || bitmap->Height() > h) {
        c->StretchDraw(r, bitmap);
        return;
    }
    c->Draw(r.left + (w - bitmap->Width()) / 2, r.top + (h - bitmap->Height()) / 2, bitmap);
}

} // namespace

// ---- TATBMenuItem ----

TATBMenuItem* TATBMenuItem::AddChild()
{
    children_.push_back(std::make_unique<TATBMenuItem>());
    children_.back()->ParentItem = this;
    return children_.back().get();
}

// ---- TATBCustomPopupPanel ----

CLASSLIB_PUBLISH(TATBCustomPopupPanel)
{
    using P = TATBCustomPopupPanel;
    c.Property("ColorTo", &P::ColorTo, &P::SetColorTo).SetDefault(int(clNone));
    c.Property("GradientDirection", &P::GradientDirection, &P::SetGradientDirection);
    c.Property("WindowBorderColor", &P::WindowBorderColor, &P::SetWindowBorderColor)
        .SetDefault(0x808080);
}

TATBCustomPopupPanel::TATBCustomPopupPanel(TComponent* owner)
    : TCustomPanel(owner), ownerComponent_(owner)
{
    SetBevelOuter(bvNone);
    SetBevelWidth(1);
    SetColor(0xF7F8F9);
}

void TATBCustomPopupPanel::Paint()
{
    TCustomPanel::Paint();
    PaintDropDownPanel(Canvas(), Width(), Height(), Color(), colorTo_, gradientDirection_,
                       windowBorderColor_);
}

// ---- TATBPopupPanel ----

CLASSLIB_PUBLISH(TATBPopupPanel) {}

CLASSLIB_MESSAGE_MAP(TATBPopupPanel)
{
    m.On(CM_MOUSELEAVE, &TATBPopupPanel::CMMouseLeave);
}

TATBPopupPanel::TATBPopupPanel(TComponent* owner) : TATBCustomPopupPanel(owner) {}

void TATBPopupPanel::SetRootItem(TATBMenuItem* item)
{
    rootItem_ = item;
    Arrange();
}

void TATBPopupPanel::Notification(TComponent* component, TOperation operation)
{
    TATBCustomPopupPanel::Notification(component, operation);
    if (operation == opRemove && component == childWindow_)
        childWindow_ = nullptr;
    if (operation == opRemove && component == menuStyler_)
        menuStyler_ = nullptr;
}

TATBPopupWindow* TATBPopupPanel::OwnWindow() const
{
    return dynamic_cast<TATBPopupWindow*>(ownerComponent_);
}

void TATBPopupPanel::Arrange()
{
    if (!rootItem_)
        return;
    TCanvas* c = Canvas();
    PopupPanelInput in;
    for (int i = 0; i < rootItem_->ChildCount(); ++i) {
        TATBMenuItem* item = rootItem_->Child(i);
        in.items.push_back({c->TextWidth(item->Caption), item->HasChildren()});
        if (!imageColumn_ && item->Control && ControlHasImage(item->Control))
            imageColumn_ = true;
    }
    in.iconBarSize = menuStyler_ ? menuStyler_->IconBar()->Size() : 0;
    in.checkColumn = menuStyler_ && checkColumn_;
    in.imageColumn = imageColumn_;
    in.imageColumnWidth = imageColumnWidth_;
    in.verticalMargin = verticalMargin_;
    in.horizontalMargin = horizontalMargin_;
    in.itemHeight = itemHeight_;
    const PopupPanelLayout out = ArrangePopupPanel(in);
    for (int i = 0; i < rootItem_->ChildCount(); ++i) {
        const draw::TIntRect& r = out.items[std::size_t(i)];
        rootItem_->Child(i)->Bounds = RECT{r.Left, r.Top, r.Right, r.Bottom};
    }
    SetBounds(Left(), Top(), out.width, out.height);
}

void TATBPopupPanel::PaintColumnBar(const RECT& r)
{
    menus::TIconBar* bar = menuStyler_->IconBar();
    FillBar(Canvas(), r, bar->Color(), bar->ColorTo(), true, 40);
}

void TATBPopupPanel::PaintCheck(const RECT& r, bool hot)
{
    TCanvas* c = Canvas();
    const menus::TBoxColors& box =
        hot ? menuStyler_->SelectedItem()->Check() : menuStyler_->IconBar()->Check();
    const TColor border = hot ? menuStyler_->SelectedItem()->BorderColor() : box.border;
    if (box.colorTo != clNone) {
        draw::DrawStepGradientInner(c, box.color, box.colorTo, 16, r, true);
    } else if (box.color != clNone) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(box.color);
        c->Pen()->SetColor(box.color);
        c->Rectangle(r);
    }
    if (border != clNone) {
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(border);
        c->Rectangle(r);
    }
    if (TBitmap* check = menuStyler_->Glyphs()->Check())
        if (!check->Empty()) {
            check->SetTransparent(true);
            DrawFitted(c, check, r);
        }
}

void TATBPopupPanel::PaintControlImage(TControl* control, const RECT& r)
{
    TCanvas* c = Canvas();
    if (auto* button = dynamic_cast<TAdvCustomToolBarButton*>(control)) {
        int index = -1;
        if (TCustomImageList* images = button->GlyphImages(index)) {
            const int w = r.right - r.left, h = r.bottom - r.top;
            if (w < images->Width() || h < images->Height()) {
                TBitmap bitmap;
                bitmap.SetPixelFormat(pf32bit);
                bitmap.SetSize(images->Width(), images->Height());
                images->Draw(bitmap.Canvas(), 0, 0, index, true);
                bitmap.SetTransparent(true);
                c->StretchDraw(r, &bitmap);
            } else {
                images->Draw(c, r.left + (w - images->Width()) / 2,
                             r.top + (h - images->Height()) / 2, index, true);
            }
        } else if (!button->Glyph()->Empty()) {
            DrawFitted(c, button->Glyph(), r);
        }
        return;
    }
    auto* glow = dynamic_cast<controls::TAdvCustomGlowButton*>(control);
    if (!glow)
        return;
    TAdvCustomToolBar* toolBar = OwnWindow() ? OwnWindow()->AdvToolBar() : nullptr;
    TCustomImageList* images = toolBar ? toolBar->Images() : nullptr;
    if (images && glow->ImageIndex() >= 0) {
        TBitmap bitmap;
        bitmap.SetSize(images->Width(), images->Height());
        images->Draw(bitmap.Canvas(), 0, 0, glow->ImageIndex(), true);
        bitmap.SetTransparent(true);
        DrawFitted(c, &bitmap, r);
    }
}

void TATBPopupPanel::PaintItem(const TATBMenuItem& item, bool hot)
{
    TCanvas* c = Canvas();
    const RECT& r = item.Bounds;
    if (hot && menuStyler_) {
        menus::TSelectedItem* sel = menuStyler_->SelectedItem();
        FillBar(c, r, sel->Color(), sel->ColorTo(), sel->GradientDirection() == menus::gdHorizontal,
                40);
        if (sel->BorderColor() != clNone) {
            c->Brush()->SetStyle(bsClear);
            c->Pen()->SetColor(sel->BorderColor());
            c->Rectangle(r);
        }
    }
    int x = r.left;
    if (checkColumn_ && menuStyler_) {
        const int size = menuStyler_->IconBar()->Size();
        const RECT column{x, r.top, x + size, r.bottom};
        if (item.Checkable) {
            if (item.Checked && item.Enabled)
                PaintCheck(
                    RECT{column.left + 1, column.top + 1, column.right - 2, column.bottom - 1},
                    hot);
        } else if (!imageColumn_ && item.Control) {
            PaintControlImage(item.Control, column);
        }
        x += size;
    }
    if (imageColumn_) {
        if (item.Control)
            PaintControlImage(item.Control, RECT{x, r.top, x + imageColumnWidth_, r.bottom});
        x += imageColumnWidth_;
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    RECT t{x + 4, r.top, r.right, r.bottom};
    DrawTextA(c->Handle(), item.Caption.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER);
    if (item.HasChildren() && menuStyler_)
        if (TBitmap* arrow = menuStyler_->Glyphs()->SubMenu())
            if (!arrow->Empty()) {
                const int y = (r.top + r.bottom - 5) / 2;
                arrow->SetTransparent(true);
                RECT a{r.right - 8, y, r.right - 5, y + 6};
                c->Draw(a.left + (3 - arrow->Width()) / 2, a.top + (6 - arrow->Height()) / 2,
                        arrow);
            }
}

void TATBPopupPanel::Paint()
{
    TATBCustomPopupPanel::Paint();
    if (!rootItem_)
        return;
    RECT r{horizontalMargin_, verticalMargin_, Width() - horizontalMargin_,
           Height() - verticalMargin_};
    if (menuStyler_) {
        const int size = menuStyler_->IconBar()->Size();
        if (checkColumn_)
            PaintColumnBar(RECT{r.left, r.top,
                                r.left + size + (imageColumn_ ? imageColumnWidth_ : 0), r.bottom});
        else if (imageColumn_)
            PaintColumnBar(RECT{r.left, r.top, r.left + imageColumnWidth_, r.bottom});
    }
    for (int i = 0; i < rootItem_->ChildCount(); ++i)
        PaintItem(*rootItem_->Child(i), i == hotIndex_);
}

int TATBPopupPanel::ItemAt(int x, int y) const
{
    if (!rootItem_)
        return -1;
    for (int i = 0; i < rootItem_->ChildCount(); ++i) {
        const RECT& r = rootItem_->Child(i)->Bounds;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return i;
    }
    return -1;
}

void TATBPopupPanel::InvalidateItem(int)
{
    Invalidate();
}

void TATBPopupPanel::CloseChildPopup()
{
    if (childWindow_ && childWindow_->Visible())
        childWindow_->HidePopupWindow();
    openChildIndex_ = -1;
}

void TATBPopupPanel::SetHot(int index)
{
    if (hotIndex_ >= 0) {
        CloseChildPopup();
        const int previous = hotIndex_;
        hotIndex_ = -1;
        InvalidateItem(previous);
    }
    hotIndex_ = index;
    if (index >= 0)
        InvalidateItem(index);
}

void TATBPopupPanel::Reset()
{
    CloseChildPopup();
    hotIndex_ = -1;
    openChildIndex_ = -1;
}

void TATBPopupPanel::MouseMove(TShiftState shift, int x, int y)
{
    TATBCustomPopupPanel::MouseMove(shift, x, y);
    const int index = ItemAt(x, y);
    if (index >= 0 && index != hotIndex_ && !shift.Contains(ssLeft)) {
        SetHot(index);
        OpenChildPopup();
    }
}

void TATBPopupPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TATBCustomPopupPanel::MouseUp(button, shift, x, y);
    const int index = ItemAt(x, y);
    if (index < 0)
        return;
    TATBMenuItem* item = rootItem_->Child(index);
    if (!item->Checkable || !item->Control)
        return;
    item->Control->SetVisible(!item->Control->Visible());
    item->Checked = item->Control->Visible();
    InvalidateItem(index);
}

void TATBPopupPanel::CMMouseLeave(TMessage&)
{
    if (!childWindow_ || !childWindow_->Visible())
        SetHot(-1);
}

void TATBPopupPanel::OpenChildPopup()
{
    if (hotIndex_ < 0 || hotIndex_ == openChildIndex_)
        return;
    CloseChildPopup();
    TATBMenuItem* item = rootItem_->Child(hotIndex_);
    if (!item->HasChildren())
        return;
    TATBPopupWindow* own = OwnWindow();
    if (!childWindow_) {
        childWindow_ = new TATBPopupWindow(this);
        ConfigureDropDownForm(childWindow_, this, 10, 10);
        childWindow_->SetAdvToolBar(own ? own->AdvToolBar() : nullptr);
        childWindow_->OnHide = TNotifyEvent(this, &TATBPopupPanel::ChildHidden);
        childWindow_->OnDeActivateHide = TNotifyEvent(this, &TATBPopupPanel::ChildDeactivated);
    }
    TATBPopupPanel* panel = childWindow_->PopupPanel();
    panel->SetCheckColumn(checkColumn_);
    panel->SetMenuStyler(menuStyler_);
    panel->SetRootItem(item);
    openChildIndex_ = hotIndex_;
    childWindow_->UpdateSize();
    if (own)
        own->SetAutoHide(false);
    const POINT tl = ClientToScreen(POINT{item->Bounds.left, item->Bounds.top});
    const POINT br = ClientToScreen(POINT{item->Bounds.right, item->Bounds.bottom});
    const RECT work = DesktopWorkArea();
    const draw::TIntPoint p = PlaceBesideAnchor(
        draw::TIntRect{tl.x, tl.y, br.x + 2, br.y}, childWindow_->Width(), childWindow_->Height(),
        draw::TIntRect{work.left, work.top, work.right, work.bottom});
    childWindow_->SetBounds(p.X, p.Y, childWindow_->Width(), childWindow_->Height());
    childWindow_->Show();
}

void TATBPopupPanel::ChildHidden(TObject*)
{
    if (TATBPopupWindow* own = OwnWindow())
        own->SetAutoHide(true);
    openChildIndex_ = -1;
}

void TATBPopupPanel::ChildDeactivated(TObject*)
{
    TATBPopupWindow* own = OwnWindow();
    if (!own)
        return;
    own->Hide();
    if (own->OnDeActivateHide)
        own->OnDeActivateHide(own);
}

// ---- TATBPopupWindow ----

CLASSLIB_PUBLISH(TATBPopupWindow) {}

CLASSLIB_MESSAGE_MAP(TATBPopupWindow)
{
    m.On(WM_ACTIVATE, &TATBPopupWindow::WMActivate);
    m.On(WM_NCHITTEST, &TATBPopupWindow::WMNCHitTest);
}

TATBPopupWindow::TATBPopupWindow(TComponent* owner) : TCustomForm(owner), ownerComponent_(owner)
{
    SetPopupWindow(true);
    hideTimer_ = new TTimer(this);
    hideTimer_->SetEnabled(false);
    hideTimer_->SetInterval(1);
    hideTimer_->SetOnTimer(TNotifyEvent(this, &TATBPopupWindow::HideTimerTick));
    popupPanel_ = new TATBPopupPanel(this);
    popupPanel_->SetParent(this);
}

TATBPopupWindow::~TATBPopupWindow()
{
    delete hideTimer_;
    hideTimer_ = nullptr;
}

void TATBPopupWindow::CreateParams(TCreateParams& params)
{
    TCustomForm::CreateParams(params);
}

TATBMenuItem* TATBPopupWindow::CreateRootItem()
{
    rootItem_ = std::make_unique<TATBMenuItem>();
    popupPanel_->SetRootItem(rootItem_.get());
    return rootItem_.get();
}

void TATBPopupWindow::UpdateSize()
{
    SetBounds(Left(), Top(), popupPanel_->Width(), popupPanel_->GetPanelHeight());
}

void TATBPopupWindow::HidePopupWindow()
{
    popupPanel_->Reset();
    Hide();
}

void TATBPopupWindow::WMActivate(TMessage& m)
{
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        Inherited(StaticClass(), m);
        if (popupPanel_->CanFocus())
            popupPanel_->SetFocus();
        TWinControl* top = advToolBar_ ? static_cast<TWinControl*>(advToolBar_)
                                       : dynamic_cast<TWinControl*>(ownerComponent_);
        if (top && top->HandleAllocated())
            SendMessageA(GetAncestor(top->Handle(), GA_ROOT), WM_NCACTIVATE, TRUE, 0);
        return;
    }
    if (autoHide_ && Visible())
        hideTimer_->SetEnabled(true);
}

void TATBPopupWindow::WMNCHitTest(TMessage& m)
{
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    if (HandleAllocated())
        ::ScreenToClient(Handle(), &p);
    m.Result = (p.x > Width() - 10 && p.y > Height() - 10) ? HTBOTTOMRIGHT : 0;
}

void TATBPopupWindow::HideTimerTick(TObject*)
{
    HidePopupWindow();
    hideTimer_->SetEnabled(false);
    if (OnDeActivateHide)
        OnDeActivateHide(this);
}

} // namespace toolbar
