// The option window, its panel base, the "Customize" entry and the control selector panel.
#include "toolbar/OptionSelectorWindow.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarItems.h"
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/ComponentWatch.h"
#include "toolbar/PopupLayout.h"
#include "toolbar/ToolBarPopupWindow.h"

#include "controls/AdvGlowButton.h"
#include "draw/ToolbarDrawing.h"
#include "menus/AdvMenus.h"

#include <algorithm>

namespace toolbar {

using namespace classlib;

void ConfigureDropDownForm(TCustomForm* form, TWinControl* parent, int width, int height)
{
    form->SetPopupWindow(true);
    form->SetParent(parent);
    form->SetBorderIcons(TBorderIcons{});
    form->SetBorderStyle(bsNone);
    form->SetFormStyle(fsStayOnTop);
    form->SetVisible(false);
    form->SetBounds(form->Left(), form->Top(), width, height);
    form->SetBorderWidth(0);
}

RECT DesktopWorkArea()
{
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void PaintDropDownPanel(TCanvas* canvas, int width, int height, TColor color, TColor colorTo,
                        TGradientDirection direction, TColor borderColor)
{
    (void)color;
    if (colorTo != clNone)
        draw::DrawStepGradientInner(canvas, color, colorTo, 40, RECT{0, 0, width, height},
                                    direction == gdHorizontal);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(borderColor);
    canvas->MoveTo(0, 0);
    canvas->LineTo(0, height);
    canvas->MoveTo(0, 0);
    canvas->LineTo(width - 1, 0);
    canvas->MoveTo(0, height - 1);
    canvas->LineTo(width - 1, height - 1);
    canvas->MoveTo(width - 1, height);
    canvas->LineTo(width - 1, -1);
}

namespace {

draw::TIntRect IntRect(const RECT& r)
{
    return draw::TIntRect{r.left, r.top, r.right, r.bottom};
}

RECT Rect(const draw::TIntRect& r)
{
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}

bool Inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int CaptionWidth(TCanvas* canvas, const std::string& text)
{
    RECT r{0, 0, 1000, 100};
    DrawTextA(canvas->Handle(), text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return r.right - r.left;
}

void SetTahoma(TCanvas* canvas)
{
    canvas->Font()->SetName("Tahoma");
    canvas->Font()->SetSize(8);
}

// A pop-up opened beside `anchor` (client rectangle of `control`), inside the work area.
POINT BesideAnchor(TControl* control, const RECT& anchor, int width, int height)
{
    const POINT tl = control->ClientToScreen(POINT{anchor.left, anchor.top});
    const POINT br = control->ClientToScreen(POINT{anchor.right, anchor.bottom});
    const draw::TIntPoint p = PlaceBesideAnchor(draw::TIntRect{tl.x, tl.y, br.x, br.y}, width,
                                                height, IntRect(DesktopWorkArea()));
    return POINT{p.X, p.Y};
}

} // namespace

// ---- TOptionSelectorWindow ----

CLASSLIB_PUBLISH(TOptionSelectorWindow) {}

CLASSLIB_MESSAGE_MAP(TOptionSelectorWindow)
{
    m.On(WM_ACTIVATE, &TOptionSelectorWindow::WMActivate);
    m.On(WM_NCHITTEST, &TOptionSelectorWindow::WMNCHitTest);
}

TOptionSelectorWindow::TOptionSelectorWindow(TComponent* owner)
    : TCustomForm(owner), ownerComponent_(owner)
{
    SetPopupWindow(true);
    hideTimer_ = new TTimer(this);
    hideTimer_->SetEnabled(false);
    hideTimer_->SetInterval(1);
    hideTimer_->SetOnTimer(TNotifyEvent(this, &TOptionSelectorWindow::HideTimerTick));
}

TOptionSelectorWindow::~TOptionSelectorWindow()
{
    delete hideTimer_;
    hideTimer_ = nullptr;
}

void TOptionSelectorWindow::CreateParams(TCreateParams& params)
{
    TCustomForm::CreateParams(params);
    params.Style = (params.Style | WS_POPUP) & ~DWORD(WS_CHILD);
}

void TOptionSelectorWindow::UpdateSize()
{
    if (optionsPanel_)
        SetBounds(Left(), Top(), optionsPanel_->Width(), optionsPanel_->GetPanelHeight());
}

HWND TOptionSelectorWindow::TopLevelWindow() const
{
    auto* control = dynamic_cast<TWinControl*>(ownerComponent_);
    if (!control || !control->HandleAllocated())
        return nullptr;
    HWND h = control->Handle();
    while (HWND parent = GetParent(h))
        h = parent;
    return h;
}

void TOptionSelectorWindow::DoHide()
{
    TCustomForm::DoHide();
    if (optionsPanel_)
        optionsPanel_->PanelHidden();
}

void TOptionSelectorWindow::WMActivate(TMessage& m)
{
    if (LOWORD(m.WParam) != WA_INACTIVE) {
        Inherited(StaticClass(), m);
        if (!optionsPanel_)
            return;
        if (Visible()) {
            if (optionsPanel_->CanFocus())
                optionsPanel_->SetFocus();
            if (HWND top = TopLevelWindow())
                SendMessageA(top, WM_NCACTIVATE, TRUE, 0);
        } else if (advToolBar_ && advToolBar_->CanFocus()) {
            advToolBar_->SetFocus();
        }
        return;
    }
    if (autoHide_ && Visible())
        hideTimer_->SetEnabled(true);
}

void TOptionSelectorWindow::WMNCHitTest(TMessage& m)
{
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    if (HandleAllocated())
        ::ScreenToClient(Handle(), &p);
    m.Result = (p.x > Width() - 10 && p.y > Height() - 10) ? HTBOTTOMRIGHT : 0;
}

void TOptionSelectorWindow::HideTimerTick(TObject*)
{
    Hide();
    hideTimer_->SetEnabled(false);
}

// ---- TOptionSelectorPanel ----

CLASSLIB_PUBLISH(TOptionSelectorPanel)
{
    using P = TOptionSelectorPanel;
    c.Property("ColorTo", &P::ColorTo, &P::SetColorTo).SetDefault(int(clNone));
    c.Property("GradientDirection", &P::GradientDirection, &P::SetGradientDirection);
    c.Property("WindowBorderColor", &P::WindowBorderColor, &P::SetWindowBorderColor)
        .SetDefault(0x808080);
}

TOptionSelectorPanel::TOptionSelectorPanel(TComponent* owner)
    : TCustomPanel(owner), ownerComponent_(owner)
{
    SetBevelOuter(bvNone);
    SetBevelWidth(1);
    SetColor(0xF7F8F9);
}

void TOptionSelectorPanel::Paint()
{
    TCustomPanel::Paint();
    PaintDropDownPanel(Canvas(), Width(), Height(), Color(), colorTo_, gradientDirection_,
                       windowBorderColor_);
}

// ---- TCustomizeOption ----

CLASSLIB_PUBLISH(TCustomizeOption) {}

CLASSLIB_MESSAGE_MAP(TCustomizeOption)
{
    m.On(CM_MOUSELEAVE, &TCustomizeOption::CMMouseLeave);
}

TCustomizeOption::TCustomizeOption(TComponent* owner) : TOptionSelectorPanel(owner) {}

void TCustomizeOption::UpdateSize()
{
    SetTahoma(Canvas());
    SetBounds(Left(), Top(), Canvas()->TextWidth(caption_) + 2 * horizontalMargin_ + 12, 25);
}

RECT TCustomizeOption::EntryRect() const
{
    return RECT{horizontalMargin_, verticalMargin_, Width() - horizontalMargin_,
                Height() - verticalMargin_};
}

bool TCustomizeOption::InEntry(int x, int y) const
{
    return Inside(EntryRect(), x, y);
}

void TCustomizeOption::SetFlags(bool value)
{
    hot_ = down_ = value;
    Invalidate();
}

void TCustomizeOption::MouseMove(TShiftState shift, int x, int y)
{
    TOptionSelectorPanel::MouseMove(shift, x, y);
    if (InEntry(x, y)) {
        if (!shift.Contains(ssLeft) && !hot_)
            SetFlags(true);
    } else if (hot_ && !shift.Contains(ssLeft)) {
        SetFlags(false);
    }
}

void TCustomizeOption::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TOptionSelectorPanel::MouseDown(button, shift, x, y);
    if (InEntry(x, y) && !down_)
        SetFlags(true);
}

void TCustomizeOption::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TOptionSelectorPanel::MouseUp(button, shift, x, y);
    if (!down_ || !InEntry(x, y))
        return;
    SetFlags(false);
    if (auto* window = dynamic_cast<TOptionSelectorWindow*>(ownerComponent_))
        window->Hide();
    if (advToolBar_)
        if (auto* customizer = dynamic_cast<IToolBarCustomizer*>(customizer_))
            customizer->Customize();
}

void TCustomizeOption::CMMouseLeave(TMessage&)
{
    SetFlags(false);
}

void TCustomizeOption::Paint()
{
    TOptionSelectorPanel::Paint();
    if (!advToolBar_)
        return;
    TCustomAdvToolBarStyler* styler = advToolBar_->CurrentStyler();
    if (!styler)
        return;
    TColor fill = clNone, fillTo = clNone, text = 0;
    menus::TCustomAdvMenuStyler* menuStyler = styler->CurrentMenuStyler();
    if (advToolBar_->MenuBar() && menuStyler) {
        menus::TRootItem* root = menuStyler->RootItem();
        if (down_) {
            fill = root->GetSelectedColor(0);
            fillTo = root->GetSelectedColor(1);
        }
        text = root->SelectedTextColor();
    } else {
        TButtonAppearance* a = styler->ButtonAppearance();
        if (down_) {
            fill = a->ColorDown();
            fillTo = a->ColorDownTo();
            text = a->CaptionTextColorDown();
        } else {
            text = a->CaptionTextColor();
        }
    }
    TCanvas* c = Canvas();
    SetTahoma(c);
    c->Font()->SetColor(text);
    RECT r = EntryRect();
    if (fill != clNone && fillTo != clNone) {
        draw::DrawStepGradientInner(c, fill, fillTo, 40, r, false);
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(0);
        c->Rectangle(r);
    } else if (fill != clNone) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(fill);
        c->Rectangle(r);
    }
    c->Brush()->SetStyle(bsClear);
    RECT t{r.left + 4, r.top, r.right - 4, r.bottom};
    DrawTextA(c->Handle(), caption_.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

// ---- TControlSelectorPanel ----

CLASSLIB_PUBLISH(TControlSelectorPanel) {}

CLASSLIB_MESSAGE_MAP(TControlSelectorPanel)
{
    m.On(CM_MOUSELEAVE, &TControlSelectorPanel::CMMouseLeave);
    m.On(CM_CONTROLCHANGE, &TControlSelectorPanel::CMControlChange);
}

TControlSelectorPanel::TControlSelectorPanel(TComponent* owner) : TOptionSelectorPanel(owner)
{
    addRemove_.Caption = "Add or Remove Buttons";
    addRemove_.Width = 130;
    options_.Caption = "Options";
    options_.Width = 130;
    switchTimer_ = new TTimer(this);
    switchTimer_->SetEnabled(false);
    switchTimer_->SetInterval(1);
    switchTimer_->SetOnTimer(TNotifyEvent(this, &TControlSelectorPanel::SwitchTimerTick));
}

TControlSelectorPanel::~TControlSelectorPanel()
{
    delete switchTimer_;
    switchTimer_ = nullptr;
    PanelHidden();
}

void TControlSelectorPanel::CMControlChange(TMessage& m)
{
    DefaultHandler(m);
}

void TControlSelectorPanel::Notification(TComponent* component, TOperation operation)
{
    TOptionSelectorPanel::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == optionMenu_)
        optionMenu_ = nullptr;
    if (component == customizer_)
        customizer_ = nullptr;
    if (component == addRemoveWindow_)
        addRemoveWindow_ = nullptr;
    if (component == customizeWindow_) {
        customizeWindow_ = nullptr;
        customizeOption_ = nullptr;
    }
    auto it = std::find(controls_.begin(), controls_.end(), component);
    if (it != controls_.end())
        controls_.erase(it);
    auto sit = std::find(separators_.begin(), separators_.end(), component);
    if (sit != separators_.end())
        separators_.erase(sit);
}

int TControlSelectorPanel::AddControl(TControl* control)
{
    if (!control)
        return -1;
    control->SetParent(this);
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it != controls_.end())
        return static_cast<int>(it - controls_.begin());
    controls_.push_back(control);
    control->FreeNotification(this);
    return static_cast<int>(controls_.size()) - 1;
}

void TControlSelectorPanel::AddSeparator(TAdvToolBarSeparator* separator)
{
    auto* copy = new TAdvToolBarSeparator(this);
    copy->Assign(separator);
    copy->SetBounds(0, 0, separator->Width(), separator->Height());
    separators_.push_back(copy);
    AddControl(copy);
}

void TControlSelectorPanel::PanelHidden()
{
    std::vector<TAdvToolBarSeparator*> separators;
    separators.swap(separators_);
    for (TAdvToolBarSeparator* s : separators) {
        auto it = std::find(controls_.begin(), controls_.end(), s);
        if (it != controls_.end())
            controls_.erase(it);
        delete s;
    }
}

void TControlSelectorPanel::SetOptionMenu(menus::TAdvPopupMenu* value)
{
    if (optionMenu_ == value)
        return;
    optionMenu_ = value;
    if (value)
        value->FreeNotification(this);
}

void TControlSelectorPanel::SetAddRemoveCaption(const std::string& value)
{
    addRemove_.Caption = value;
    UpdateEntryWidths();
}

void TControlSelectorPanel::SetOptionsCaption(const std::string& value)
{
    if (options_.Caption == value)
        return;
    options_.Caption = value;
    UpdateEntryWidths();
}

void TControlSelectorPanel::UpdateEntryWidths()
{
    TCanvas* c = Canvas();
    SetTahoma(c);
    const int w = SelectorEntryWidth(showAddRemove_, CaptionWidth(c, addRemove_.Caption),
                                     HasOptions(), CaptionWidth(c, options_.Caption));
    addRemove_.Width = options_.Width = w;
}

void TControlSelectorPanel::Arrange()
{
    for (int i = TWinControl::ControlCount() - 1; i >= 0; --i) {
        TControl* child = TWinControl::Controls(i);
        if (std::find(controls_.begin(), controls_.end(), child) == controls_.end())
            child->SetBounds(child->Left(), -child->Height() - 2, child->Width(), child->Height());
    }
    SelectorPanelInput in;
    for (TControl* c : controls_)
        in.controls.push_back({c->Width(), c->Height()});
    in.showAddRemove = showAddRemove_;
    in.hasOptions = HasOptions();
    in.entryWidth = addRemove_.Width;
    in.entryHeight = addRemove_.Height;
    in.verticalMargin = verticalMargin_;
    in.horizontalMargin = horizontalMargin_;
    in.gap = gap_;
    const SelectorPanelLayout out = ArrangeSelectorPanel(in);
    for (std::size_t i = 0; i < controls_.size(); ++i)
        controls_[i]->SetBounds(out.controls[i].X, out.controls[i].Y, controls_[i]->Width(),
                                controls_[i]->Height());
    SetBounds(Left(), Top(), out.width, out.height);
    addRemove_.Bounds = Rect(out.addRemove);
    options_.Bounds = Rect(out.options);
}

TOptionSelectorWindow* TControlSelectorPanel::OptionWindow() const
{
    return dynamic_cast<TOptionSelectorWindow*>(ownerComponent_);
}

void TControlSelectorPanel::PaintEntry(const TSelectorItem& item, bool addRemove)
{
    TCanvas* c = Canvas();
    TColor fill = clNone, fillTo = clNone, text = textColor_;
    if (item.Down) {
        fill = downColor_;
        fillTo = downColorTo_;
        text = downTextColor_;
        c->Pen()->SetColor(0);
    } else if (item.Hot) {
        fill = hotColor_;
        fillTo = hotColorTo_;
        text = hotTextColor_;
    }
    const RECT& r = item.Bounds;
    if (fill != clNone && fillTo != clNone) {
        draw::DrawStepGradientInner(c, fill, fillTo, 40, r, false);
        c->Brush()->SetStyle(bsClear);
        c->Pen()->SetColor(0);
        c->Rectangle(r);
    } else if (fill != clNone) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(fill);
        c->Rectangle(r);
    }
    if (addRemove)
        SetTahoma(c);
    c->Font()->SetColor(text);
    c->Brush()->SetStyle(bsClear);
    RECT t = r;
    DrawTextA(c->Handle(), item.Caption.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    c->Pen()->SetColor(text);
    if (addRemove) {
        c->MoveTo(r.right - 9, r.bottom - 10);
        c->LineTo(r.right - 4, r.bottom - 10);
        c->MoveTo(r.right - 8, r.bottom - 9);
        c->LineTo(r.right - 5, r.bottom - 9);
        c->SetPixel(r.right - 7, r.bottom - 8, text);
    } else {
        c->MoveTo(r.right - 8, r.top + 7);
        c->LineTo(r.right - 8, r.top + 12);
        c->MoveTo(r.right - 7, r.top + 8);
        c->LineTo(r.right - 7, r.top + 11);
        c->SetPixel(r.right - 6, r.top + 9, text);
    }
}

void TControlSelectorPanel::Paint()
{
    TOptionSelectorPanel::Paint();
    TCanvas* c = Canvas();
    const bool hasOptions = HasOptions();
    if (showAddRemove_ || hasOptions) {
        const int top = hasOptions ? options_.Bounds.top : addRemove_.Bounds.top;
        c->Pen()->SetColor(0x808080);
        c->MoveTo(0, top - 4);
        c->LineTo(Width(), top - 4);
    }
    if (showAddRemove_)
        PaintEntry(addRemove_, true);
    if (hasOptions)
        PaintEntry(options_, false);
}

void TControlSelectorPanel::HideCustomizeWindow()
{
    if (!customizeWindow_ || !customizeWindow_->Visible())
        return;
    hideGuard_ = true;
    customizeWindow_->Hide();
    hideGuard_ = false;
}

void TControlSelectorPanel::MouseMove(TShiftState shift, int x, int y)
{
    TOptionSelectorPanel::MouseMove(shift, x, y);
    const bool leftUp = !shift.Contains(ssLeft);
    if (showAddRemove_) {
        if (Inside(addRemove_.Bounds, x, y)) {
            if (!addRemove_.Hot && leftUp) {
                addRemove_.Hot = addRemove_.Down = true;
                Invalidate();
                HideCustomizeWindow();
                ShowAddRemovePopup();
            }
        } else if (addRemove_.Hot) {
            addRemove_.Hot = addRemove_.Down = false;
            Invalidate();
        }
    }
    if (HasOptions()) {
        if (Inside(options_.Bounds, x, y)) {
            if (!options_.Hot && leftUp) {
                options_.Hot = options_.Down = true;
                Invalidate();
                ShowOptions();
            }
        } else if (options_.Hot) {
            options_.Hot = options_.Down = false;
            Invalidate();
            if (customizeWindow_ && y < options_.Bounds.top - 4)
                HideCustomizeWindow();
        }
    }
}

void TControlSelectorPanel::CMMouseLeave(TMessage&)
{
    addRemove_.Hot = false;
    addRemove_.Down = addRemoveWindow_ && addRemoveWindow_->Visible();
    options_.Hot = options_.Down = false;
    Invalidate();
}

void TControlSelectorPanel::ShowAddRemovePopup()
{
    if (!showAddRemove_ || (addRemoveWindow_ && addRemoveWindow_->Visible()))
        return;
    TOptionSelectorWindow* window = OptionWindow();
    if (!addRemoveWindow_) {
        addRemoveWindow_ = new TATBPopupWindow(this);
        addRemoveWindow_->CreateRootItem();
        ConfigureDropDownForm(addRemoveWindow_, this, 10, 10);
        addRemoveWindow_->SetAdvToolBar(window ? window->AdvToolBar() : advToolBar_);
        addRemoveWindow_->OnHide = TNotifyEvent(this, &TControlSelectorPanel::AddRemoveHidden);
        addRemoveWindow_->OnDeActivateHide =
            TNotifyEvent(this, &TControlSelectorPanel::AddRemoveDeactivated);
    }
    TATBMenuItem* root = addRemoveWindow_->RootItem();
    TATBPopupPanel* panel = addRemoveWindow_->PopupPanel();
    root->ClearChildren();
    panel->SetCheckColumn(true);
    if (TAdvCustomToolBar* toolBar = addRemoveWindow_->AdvToolBar()) {
        if (TCustomAdvToolBarStyler* styler = toolBar->CurrentStyler())
            panel->SetMenuStyler(styler->CurrentMenuStyler());
        TATBMenuItem* item = root->AddChild();
        item->Caption = toolBar->Caption();
        for (int i = 0; i < toolBar->ControlOrderCount(); ++i) {
            TControl* control = toolBar->ControlOrder(i);
            if (dynamic_cast<TAdvToolBarSeparator*>(control))
                continue;
            TATBMenuItem* child = item->AddChild();
            child->Checkable = true;
            child->Checked = control->Visible();
            child->Control = control;
            if (dynamic_cast<TAdvCustomToolBarButton*>(control) ||
                dynamic_cast<controls::TAdvCustomGlowButton*>(control))
                child->Caption = control->Caption();
            else
                child->Caption = control->Name();
        }
    }
    panel->SetRootItem(root);
    addRemoveWindow_->UpdateSize();
    if (window)
        window->SetAutoHide(false);
    const POINT p = BesideAnchor(this, addRemove_.Bounds, addRemoveWindow_->Width(),
                                 addRemoveWindow_->Height());
    addRemoveWindow_->SetBounds(p.x, p.y, addRemoveWindow_->Width(), addRemoveWindow_->Height());
    addRemoveWindow_->Show();
}

void TControlSelectorPanel::AddRemoveHidden(TObject*)
{
    if (TOptionSelectorWindow* window = OptionWindow())
        window->SetAutoHide(true);
    addRemove_.Down = false;
    Invalidate();
}

void TControlSelectorPanel::AddRemoveDeactivated(TObject*)
{
    if (TOptionSelectorWindow* window = OptionWindow())
        window->Hide();
    addRemove_.Down = addRemove_.Hot = false;
}

void TControlSelectorPanel::CustomizeHidden(TObject*)
{
    if (hideGuard_)
        return;
    if (TOptionSelectorWindow* window = OptionWindow())
        window->Hide();
}

void TControlSelectorPanel::ShowOptions()
{
    if (!advToolBar_ || !HasOptions())
        return;
    TOptionSelectorWindow* window = OptionWindow();
    if (showAddRemove_) {
        if (addRemoveWindow_ && addRemoveWindow_->Visible())
            addRemoveWindow_->HidePopupWindow();
        switchTimer_->SetEnabled(true);
    }
    int width = 0;
    if (optionMenu_) {
        // The widest caption stands for the menu's width.
        TCanvas* c = Canvas();
        SetTahoma(c);
        for (int i = 0; i < optionMenu_->Items()->Count(); ++i)
            width = std::max(width, c->TextWidth(optionMenu_->Items()->Items(i)->Caption()));
    } else if (customizer_) {
        if (!customizeWindow_) {
            customizeWindow_ = new TOptionSelectorWindow(this);
            ConfigureDropDownForm(customizeWindow_, advToolBar_, 100, 40);
            customizeWindow_->SetAdvToolBar(advToolBar_);
            customizeWindow_->OnHide = TNotifyEvent(this, &TControlSelectorPanel::CustomizeHidden);
            customizeOption_ = new TCustomizeOption(customizeWindow_);
            customizeOption_->SetParent(customizeWindow_);
        }
        customizeOption_->SetAdvToolBar(advToolBar_);
        customizeOption_->SetCustomizer(customizer_);
        std::string text;
        if (auto* c = dynamic_cast<IToolBarCustomizer*>(customizer_))
            text = c->CustomizeText();
        customizeOption_->SetCaption(text + " " + advToolBar_->Caption());
        customizeOption_->UpdateSize();
        customizeWindow_->SetOptionsPanel(customizeOption_);
        customizeWindow_->UpdateSize();
        width = customizeWindow_->Width();
    }
    const POINT tr = ClientToScreen(POINT{options_.Bounds.right, options_.Bounds.top});
    POINT p = tr;
    if (p.x + width > DesktopWorkArea().right)
        p.x = ClientToScreen(POINT{options_.Bounds.left, 0}).x - width;
    if (window)
        window->SetAutoHide(false);
    if (optionMenu_) {
        // A command of the menu may free the toolbar, this panel or its window.
        TComponentWatch watch{this, window};
        optionMenu_->Popup(p.x, p.y);
        if (!watch.Alive(this))
            return;
        if (!watch.Alive(window))
            window = nullptr;
        options_.Hot = options_.Down = false;
        switchTimer_->SetEnabled(false);
        POINT cursor{};
        GetCursorPos(&cursor);
        cursor = ScreenToClient(cursor);
        if (window && !(showAddRemove_ && Inside(addRemove_.Bounds, cursor.x, cursor.y)))
            window->Hide();
    } else if (customizeWindow_) {
        customizeWindow_->SetBounds(p.x, p.y, customizeWindow_->Width(),
                                    customizeWindow_->Height());
        customizeWindow_->Show();
    }
    if (window)
        window->SetAutoHide(true);
    Invalidate();
}

void TControlSelectorPanel::SwitchTimerTick(TObject*)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    cursor = ScreenToClient(cursor);
    if (!Inside(addRemove_.Bounds, cursor.x, cursor.y) || !HandleAllocated())
        return;
    switchTimer_->SetEnabled(false);
    PostMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cursor.x, cursor.y));
    PostMessageA(Handle(), WM_LBUTTONUP, MK_LBUTTON, MAKELPARAM(cursor.x, cursor.y));
}

} // namespace toolbar
