// Toolbar items: the item base, the button's data, mouse, group and hover behaviour and
// automatic sizing, the menu button and the separator. Painting is AdvToolBarButtonPaint.cpp.
#include "toolbar/AdvToolBarItems.h"

#include "toolbar/AdvToolBar.h"
#include "toolbar/AdvToolBarStyler.h"
#include "toolbar/ComponentWatch.h"

#include "core/Exceptions.h"
#include "menus/AdvMenus.h"
#include "windows/ActnList.h"

#include <algorithm>
#include <cstdio>

namespace toolbar {

using namespace classlib;

CLASSLIB_ENUM(TGlyphPosition);
CLASSLIB_DEFINE_ENUM(TGlyphPosition, "gpLeft", "gpTop", "gpRight", "gpBottom")
CLASSLIB_ENUM(TAdvSeparatorStyle);
CLASSLIB_DEFINE_ENUM(TAdvSeparatorStyle, "ssOffice2003", "ssBlank")

// ---- item base ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvCustomToolBarControl) {}

TAdvCustomToolBarControl::TAdvCustomToolBarControl(TComponent* owner) : TGraphicControl(owner) {}

void TAdvCustomToolBarControl::CheckToolBar(TAdvCustomToolBar* toolBar)
{
    if (toolBar == advToolBar_)
        return;
    // Leaving the old toolbar and joining the new one are their control-change steps.
    SetParent(toolBar);
    if (toolBar && !advToolBar_)
        throw Exception("AdvToolBar not set");
}

void TAdvCustomToolBarControl::JoinToolBar(TAdvCustomToolBar* toolBar)
{
    advToolBar_ = toolBar;
    // The toolbar may go before its items (their owner frees them later).
    toolBar->FreeNotification(this);
    SetPosition(toolBar->Position());
}

void TAdvCustomToolBarControl::LeaveToolBar(TAdvCustomToolBar* toolBar)
{
    if (advToolBar_ == toolBar)
        advToolBar_ = nullptr;
}

void TAdvCustomToolBarControl::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == advToolBar_)
        advToolBar_ = nullptr;
}

// ---- button ---------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvCustomToolBarButton) {}

CLASSLIB_MESSAGE_MAP(TAdvCustomToolBarButton)
{
    m.On(CM_MOUSEENTER, &TAdvCustomToolBarButton::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TAdvCustomToolBarButton::CMMouseLeave);
    m.On(CM_TEXTCHANGED, &TAdvCustomToolBarButton::CMTextChanged);
    m.On(CM_BUTTONPRESSED, &TAdvCustomToolBarButton::CMButtonPressed);
}

TAdvCustomToolBarButton::TAdvCustomToolBarButton(TComponent* owner)
    : TAdvCustomToolBarControl(owner)
{
    glyph_ = new TBitmap();
    glyph_->OnChange = TNotifyEvent(this, &TAdvCustomToolBarButton::GlyphChanged);
    glyphHot_ = new TBitmap();
    glyphDown_ = new TBitmap();
    glyphDisabled_ = new TBitmap();
    glyphChecked_ = new TBitmap();
    shade_ = new TBitmap();
    drawPosition_ = new TAdvToolBarButtonDrawPosition();
    drawPosition_->OnChange = TNotifyEvent(this, &TAdvCustomToolBarButton::AppearanceChanged);
    SetBounds(0, 0, 22, 23);
    // Only this class decides when it is clicked (a press released inside).
    controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
    SetParentFont(true);
    appearance_ = new TButtonAppearance();
    appearance_->OnChange = TNotifyEvent(this, &TAdvCustomToolBarButton::AppearanceChanged);
    autoSize_ = true;
    Font()->SetName("Tahoma");
    picture_ = new TPicture();
    picture_->OnChange = TNotifyEvent(this, &TAdvCustomToolBarButton::PictureChanged);
    leaveTimer_ = new TTimer(this);
    leaveTimer_->SetEnabled(false);
    leaveTimer_->SetInterval(1);
    leaveTimer_->SetOnTimer(TNotifyEvent(this, &TAdvCustomToolBarButton::LeaveTimerTick));
    officeHint_ = new draw::TAdvHintInfo();
}

TAdvCustomToolBarButton::~TAdvCustomToolBarButton()
{
    // A toolbar that frees its children has let go of this one's parent first: only a toolbar
    // that stays is told.
    if (advToolBar_ && Parent() == advToolBar_ && advToolBar_->HotButton() == this)
        advToolBar_->HotButtonChanged(this, false);
    delete officeHint_;
    delete picture_;
    delete appearance_;
    delete drawPosition_;
    delete shade_;
    delete glyphChecked_;
    delete glyphDisabled_;
    delete glyphDown_;
    delete glyphHot_;
    delete glyph_;
}

std::string TAdvCustomToolBarButton::Version() const
{
    const auto v = static_cast<unsigned>(GetVersionNumber());
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", v >> 24, (v >> 16) & 0xFF, (v >> 8) & 0xFF,
                  v & 0xFF);
    return text;
}

// ---- owner services ----

TCustomAdvToolBarStyler* TAdvCustomToolBarButton::OwnerStyler() const
{
    return advToolBar_ ? advToolBar_->CurrentStyler() : nullptr;
}

namespace {
// The owner's image list published under `name` (a toolbar or quick-access toolbar that has
// one), or nullptr.
TCustomImageList* PublishedImages(const TObject* owner, const char* name)
{
    if (!owner)
        return nullptr;
    const TPropInfo* prop = GetPropInfo(owner, name);
    if (!prop || !prop->PropType || prop->PropType->Kind != tkClass)
        return nullptr;
    return dynamic_cast<TCustomImageList*>(GetObjectProp(owner, *prop));
}
} // namespace

TCustomImageList* TAdvCustomToolBarButton::GlyphImages(int& index) const
{
    const TObject* owner = advToolBar_ ? static_cast<const TObject*>(advToolBar_)
                                       : static_cast<const TObject*>(quickAccessToolBar_);
    TCustomImageList* images = PublishedImages(owner, "Images");
    index = imageIndex_;
    // An action of an action list with images shows the action's image.
    if (auto* action = dynamic_cast<TCustomAction*>(Action())) {
        if (action->ActionList() && action->ActionList()->Images()) {
            images = action->ActionList()->Images();
            index = action->ImageIndex();
        }
    }
    return index >= 0 ? images : nullptr;
}

TCustomImageList* TAdvCustomToolBarButton::OwnerDisabledImages() const
{
    return PublishedImages(advToolBar_ ? static_cast<const TObject*>(advToolBar_)
                                       : static_cast<const TObject*>(quickAccessToolBar_),
                           "DisabledImages");
}

TFont* TAdvCustomToolBarButton::CaptionFont() const
{
    TCustomAdvToolBarStyler* styler = OwnerStyler();
    if (parentStyler_ && styler) {
        if (IsMenuButton()) {
            if (menus::TCustomAdvMenuStyler* menuStyler = styler->CurrentMenuStyler())
                return menuStyler->RootItem()->Font();
        } else {
            return styler->ButtonAppearance()->CaptionFont();
        }
    }
    return Font();
}

TButtonAppearance* TAdvCustomToolBarButton::AppearanceInForce() const
{
    TCustomAdvToolBarStyler* styler = OwnerStyler();
    return parentStyler_ && styler ? styler->ButtonAppearance() : appearance_;
}

// ---- properties ----

void TAdvCustomToolBarButton::SetGroupIndex(int value)
{
    if (value == groupIndex_)
        return;
    groupIndex_ = value;
    PressGroup();
}

void TAdvCustomToolBarButton::SetDown(bool value)
{
    if (ComponentState().Contains(csLoading))
        loadedDown_ = value;
    if (groupIndex_ == 0)
        value = false;
    // A down grouped button goes up only when another button of its group is pressed.
    if (value == down_ || down_)
        return;
    down_ = value;
    if (value) {
        if (state_ == tbsUp)
            Invalidate();
        state_ = tbsLatched;
        PressGroup();
    } else {
        state_ = tbsUp;
        Invalidate();
    }
}

void TAdvCustomToolBarButton::SetGlyph(TBitmap* value)
{
    glyph_->Assign(value);
    if (glyphDisabled_->Empty() && !glyph_->Empty()) {
        glyphDisabled_->Assign(glyph_);
        TCanvas* canvas = glyphDisabled_->Canvas();
        for (int x = 0; x < glyphDisabled_->Width(); ++x)
            for (int y = 0; y < glyphDisabled_->Height(); ++y)
                canvas->SetPixel(x, y, static_cast<TColor>(DisabledGlyphGrey(canvas->Pixel(x, y))));
    }
    Invalidate();
}

void TAdvCustomToolBarButton::SetShaded(bool value)
{
    shaded_ = value;
    if (value && !ComponentState().Contains(csLoading))
        MakeShade();
}

void TAdvCustomToolBarButton::SetDropDownButton(bool value)
{
    if (value == dropDownButton_)
        return;
    dropDownButton_ = value;
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::SetDropDownMenu(menus::TAdvPopupMenu* value)
{
    if (value == dropDownMenu_)
        return;
    if (dropDownMenu_)
        dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = value;
    if (value)
        value->FreeNotification(this);
}

void TAdvCustomToolBarButton::SetParentStyler(bool value)
{
    if (value == parentStyler_)
        return;
    parentStyler_ = value;
    Invalidate();
}

void TAdvCustomToolBarButton::SetGlyphPosition(TGlyphPosition value)
{
    if (value == glyphPosition_)
        return;
    glyphPosition_ = value;
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::SetPosition(TDockAlign value)
{
    if (value == position_)
        return;
    position_ = value;
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::SetMenuItem(TMenuItem* item)
{
    if (item) {
        if (item != menuItem_)
            item->FreeNotification(this);
        SetAction(item->Action());
        SetCaption(item->Caption());
        SetDown(item->Checked());
        SetEnabled(item->Enabled());
        SetHint(item->Hint());
        SetImageIndex(item->ImageIndex());
        SetVisible(item->Visible());
    } else if (menuItem_ && !menuItem_->ComponentState().Contains(csDestroying)) {
        menuItem_->RemoveFreeNotification(this);
    }
    menuItem_ = item;
}

void TAdvCustomToolBarButton::SetImageIndex(int value)
{
    if (value == imageIndex_)
        return;
    imageIndex_ = value;
    if (shaded_)
        MakeShade();
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::SetShowCaption(bool value)
{
    showCaption_ = value;
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::SetHotTracked(bool value)
{
    const bool old = hotTracked_;
    hotTracked_ = value && state_ == tbsUp;
    if (advToolBar_)
        advToolBar_->HotButtonChanged(this, hotTracked_);
    else if (!quickAccessToolBar_)
        hotTracked_ = false;
    if (hotTracked_ != old)
        Invalidate();
}

// ---- operations ----

void TAdvCustomToolBarButton::ResetState()
{
    pressed_ = false;
    mouseInside_ = false;
    state_ = tbsUp;
    Invalidate();
}

bool TAdvCustomToolBarButton::OpenRootMenu()
{
    if (!IsMenuButton())
        return false;
    state_ = tbsMenuOpen;
    Invalidate();
    return CheckMenuDropdown();
}

bool TAdvCustomToolBarButton::CheckMenuDropdown()
{
    if (ComponentState().Contains(csDesigning))
        return false;
    if (((dropDownMenu_ && dropDownMenu_->AutoPopup()) || menuItem_) && advToolBar_)
        return advToolBar_->TrackMenu(this);
    return false;
}

int TAdvCustomToolBarButton::ButtonIndex() const
{
    if (!advToolBar_)
        return -1;
    for (int i = 0; i < advToolBar_->ControlOrderCount(); ++i)
        if (advToolBar_->ControlOrder(i) == this)
            return i;
    return -1;
}

void TAdvCustomToolBarButton::MakeShade()
{
    TBitmap* source = nullptr;
    TBitmap fromList;
    int index = -1;
    if (TCustomImageList* images = GlyphImages(index)) {
        fromList.SetSize(images->Width(), images->Height());
        images->Draw(fromList.Canvas(), 0, 0, index, true);
        source = &fromList;
        shadeFromImages_ = true;
    } else if (!glyph_->Empty()) {
        source = glyph_;
        shadeFromImages_ = false;
    } else {
        return;
    }
    const int w = source->Width(), h = source->Height();
    const RECT all{0, 0, w, h};
    shade_->SetSize(w, h);
    TCanvas* sc = shade_->Canvas();
    sc->Brush()->SetColor(clBlack);
    const TColor transparent = source->Canvas()->Pixel(0, h - 1);
    // The glyph's pixels become black and its background the transparent colour.
    sc->BrushCopy(all, source, all, transparent);
    sc->SetCopyMode(SRCINVERT);
    sc->CopyRect(all, source->Canvas(), all);
    // Black becomes gray on a temporary bitmap, which goes back as the shade.
    TBitmap grey;
    grey.SetSize(w, h);
    grey.Canvas()->Brush()->SetColor(static_cast<TColor>(0x808080));
    grey.Canvas()->BrushCopy(all, shade_, all, clBlack);
    sc->SetCopyMode(cmSrcCopy);
    sc->CopyRect(all, grey.Canvas(), all);
}

// ---- sizing ----

void TAdvCustomToolBarButton::AdjustSize()
{
    if (!Parent() || !AutoSize())
        return;
    ButtonMeasures m;
    int index = -1;
    if (TCustomImageList* images = GlyphImages(index)) {
        m.glyphWidth = images->Width();
        m.glyphHeight = images->Height();
    } else {
        for (TBitmap* b : {glyph_, glyphHot_, glyphDown_, glyphChecked_, glyphDisabled_}) {
            if (b->Empty())
                continue;
            m.glyphWidth = std::max(m.glyphWidth, b->Width());
            m.glyphHeight = std::max(m.glyphHeight, b->Height());
        }
        if (glyph_->Empty() && glyphHot_->Empty() && glyphDown_->Empty() &&
            glyphChecked_->Empty() && picture_->Graphic() && !picture_->Graphic()->Empty()) {
            m.glyphWidth = picture_->Width();
            m.glyphHeight = picture_->Height();
        }
    }
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(CaptionFont());
    if (showCaption_ && !Caption().empty()) {
        RECT r{0, 0, 1000, 100};
        std::string text = Caption();
        canvas->DrawText(text, r, DT_CALCRECT | DT_SINGLELINE);
        m.captionWidth = r.right - r.left;
    }
    m.textHeight = canvas->TextHeight("gh");
    m.spacing = spacing_;
    m.margin = margin_;
    m.glyphPosition = glyphPosition_;
    m.vertical = !Horizontal();
    m.quickAccess = quickAccessToolBar_ != nullptr && !advToolBar_;
    m.dropDownButton = dropDownButton_;
    m.dropDownWidth = dropDownWidth_;
    ButtonExtent e = AutoButtonExtent(m);
    int thickness = e.thickness;
    bool applyThickness = false;
    if (advToolBar_) {
        const int toolBarThickness = Horizontal() ? advToolBar_->Height() : advToolBar_->Width();
        if (advToolBar_->State() == tsFloating)
            thickness = std::max(thickness, advToolBar_->RowThickness() - 4);
        else
            thickness = std::max(thickness, toolBarThickness - 4);
        applyThickness = advToolBar_->AutoArrangeButtons() || advToolBar_->State() == tsFloating;
    } else {
        applyThickness = !Horizontal() || quickAccessToolBar_;
    }
    if (Horizontal())
        SetBounds(Left(), Top(), e.length, applyThickness ? thickness : Height());
    else
        SetBounds(Left(), Top(), applyThickness ? thickness : Width(), e.length);
}

// ---- joining a toolbar ----

void TAdvCustomToolBarButton::JoinToolBar(TAdvCustomToolBar* toolBar)
{
    TAdvCustomToolBarControl::JoinToolBar(toolBar);
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning))
        AdjustSize();
}

void TAdvCustomToolBarButton::LeaveToolBar(TAdvCustomToolBar* toolBar)
{
    if (toolBar == advToolBar_ && toolBar->HotButton() == this)
        toolBar->HotButtonChanged(this, false);
    TAdvCustomToolBarControl::LeaveToolBar(toolBar);
}

void TAdvCustomToolBarButton::Loaded()
{
    TAdvCustomToolBarControl::Loaded();
    if (loadedDown_ != down_)
        SetDown(loadedDown_);
    if (shaded_)
        MakeShade();
    AdjustSize();
}

void TAdvCustomToolBarButton::Notification(TComponent* component, TOperation operation)
{
    TAdvCustomToolBarControl::Notification(component, operation);
    if (operation != opRemove || ComponentState().Contains(csDestroying))
        return;
    if (component == dropDownMenu_)
        dropDownMenu_ = nullptr;
    if (component == menuItem_)
        SetMenuItem(nullptr);
}

// ---- change events ----

void TAdvCustomToolBarButton::GlyphChanged(TObject*)
{
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::PictureChanged(TObject*)
{
    AdjustSize();
    Invalidate();
}

void TAdvCustomToolBarButton::AppearanceChanged(TObject*)
{
    Invalidate();
}

void TAdvCustomToolBarButton::CMTextChanged(TMessage& m)
{
    Inherited(StaticClass(), m);
    AdjustSize();
    Invalidate();
}

// ---- mouse ----

bool TAdvCustomToolBarButton::PointInside(int x, int y) const
{
    // The bottom row counts as inside, the column right of the button does not.
    return x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
}

void TAdvCustomToolBarButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TAdvCustomToolBarControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled() || ComponentState().Contains(csDesigning))
        return;
    pressed_ = true;
    const bool inDropZone =
        Horizontal() ? x > Width() - kDropDownZone : y > Height() - kDropDownZone;
    if (IsMenuButton() && !dropDownButton_ && (dropDownMenu_ || menuItem_)) {
        // A root button of a menu bar: the toolbar's menu-bar mode opens its menu.
        Invalidate();
        if (!advToolBar_)
            return;
        // A switch from another root menu forces the opening; the click that closed this
        // button's own menu does not open it again.
        const bool open = switchPending_ || (!advToolBar_->MenuShowing() && !closingClick_ &&
                                             !menuIsDropped_ && !menuDroppedLook_);
        switchPending_ = false;
        if (open) {
            // The menu's command may free this button (or its toolbar).
            OpenRootMenu();
            return;
        }
        closingClick_ = false;
        return;
    }
    if (!dropDownButton_ || (!inDropZone && dropDownSplit_)) {
        if (!down_) {
            state_ = tbsDown;
            Invalidate();
        }
        tracking_ = true;
        return;
    }
    state_ = tbsUp;
    mouseInside_ = false;
    pressed_ = false;
    Invalidate();
    // The drop-down event or menu may free this button (or its toolbar): nothing of it is
    // touched after them unless it is still there.
    TComponentWatch watch{this};
    if (OnDropDown)
        OnDropDown(this);
    if (!watch.Alive(this))
        return;
    if (dropDownMenu_) {
        down_ = false;
        menuDroppedLook_ = true;
        Repaint();
        if (TCustomAdvToolBarStyler* styler = OwnerStyler())
            dropDownMenu_->SetMenuStyler(styler->CurrentMenuStyler());
        POINT p = Parent()->ClientToScreen(POINT{Left(), Top() + Height()});
        dropDownMenu_->Popup(p.x, p.y);
        if (!watch.Alive(this))
            return;
        menuDroppedLook_ = false;
        Invalidate();
    }
    Invalidate();
}

void TAdvCustomToolBarButton::MouseMove(TShiftState shift, int x, int y)
{
    TAdvCustomToolBarControl::MouseMove(shift, x, y);
    if (ComponentState().Contains(csDesigning))
        return;
    if (tracking_) {
        TToolButtonDrawState shown = down_ ? tbsLatched : tbsUp;
        if (PointInside(x, y))
            shown = down_ ? tbsLatched : tbsDown;
        if (shown != state_) {
            state_ = shown;
            Invalidate();
        }
    } else if (!mouseInside_) {
        SyncHover();
    }
}

void TAdvCustomToolBarButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TAdvCustomToolBarControl::MouseUp(button, shift, x, y);
    if (ComponentState().Contains(csDesigning))
        return;
    closingClick_ = false;
    menuDroppedLook_ = false;
    pressed_ = false;
    Invalidate();
    const bool rootButton = IsMenuButton() && !dropDownButton_ && (dropDownMenu_ || menuItem_);
    if (rootButton || !tracking_)
        return;
    tracking_ = false;
    const bool inside = PointInside(x, y);
    if (groupIndex_ != 0) {
        if (inside) {
            SetDown(!down_);
            if (down_)
                Repaint();
        } else if (down_) {
            state_ = tbsLatched;
        }
        Invalidate();
    } else {
        state_ = tbsUp;
        mouseInside_ = false;
        if (inside)
            Invalidate();
    }
    TComponentWatch watch{this};
    if (inside)
        Click();
    if (watch.Alive(this))
        SyncHover();
}

void TAdvCustomToolBarButton::SyncHover()
{
    if (!Enabled())
        return;
    POINT p{};
    GetCursorPos(&p);
    Perform(FindControlAtPos(p, true) == this ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

bool TAdvCustomToolBarButton::KeepsHotInMenuLoop() const
{
    // The keyboard menu loop of the toolbar keeps its hot button.
    return advToolBar_ && advToolBar_->InMenuLoop() && IsMenuButton();
}

void TAdvCustomToolBarButton::CMMouseEnter(TMessage& m)
{
    Inherited(StaticClass(), m);
    if (ComponentState().Contains(csDesigning))
        return;
    mouseInside_ = true;
    if (Enabled()) {
        if (advToolBar_ || quickAccessToolBar_)
            SetHotTracked(true);
        Invalidate();
    }
    leaveTimer_->SetEnabled(true);
}

void TAdvCustomToolBarButton::LeaveHover()
{
    leaveTimer_->SetEnabled(false);
    mouseInside_ = false;
    if ((advToolBar_ || quickAccessToolBar_) && !KeepsHotInMenuLoop())
        SetHotTracked(false);
    if (Enabled())
        Invalidate();
}

void TAdvCustomToolBarButton::CMMouseLeave(TMessage& m)
{
    if (!ComponentState().Contains(csDesigning))
        LeaveHover();
    Inherited(StaticClass(), m);
}

void TAdvCustomToolBarButton::LeaveTimerTick(TObject*)
{
    POINT p{};
    GetCursorPos(&p);
    if (Parent() && Parent()->HandleAllocated()) {
        p = ScreenToClient(p);
        const bool inside = p.x >= 0 && p.y >= 0 && p.x < ClientWidth() && p.y < ClientHeight();
        const bool menuShowing =
            IsMenuButton() && dropDownButton_ && menuDroppedLook_ && (dropDownMenu_ || menuItem_);
        if (inside && !menuShowing)
            return;
    }
    LeaveHover();
}

// ---- groups ----

void TAdvCustomToolBarButton::PressGroup()
{
    if (groupIndex_ == 0 || !Parent())
        return;
    TMessage msg{CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this),
                 0};
    Parent()->Broadcast(msg);
    // Members parked elsewhere (the overflow panel) are reached through their toolbar.
    if (advToolBar_ && Parent() != advToolBar_)
        advToolBar_->Broadcast(msg);
    else if (!advToolBar_ && quickAccessToolBar_ && Parent() != quickAccessToolBar_)
        quickAccessToolBar_->Broadcast(msg);
}

void TAdvCustomToolBarButton::CMButtonPressed(TMessage& m)
{
    auto* sender = reinterpret_cast<TAdvCustomToolBarButton*>(m.LParam);
    if (static_cast<int>(m.WParam) != groupIndex_ || !sender || sender == this)
        return;
    if (sender->Down() && down_) {
        down_ = false;
        state_ = tbsUp;
        if (auto* action = dynamic_cast<TCustomAction*>(Action()))
            action->SetChecked(false);
        Invalidate();
    }
}

// ---- actions ----

void TAdvCustomToolBarButton::ActionChange(TBasicAction* sender, bool checkDefaults)
{
    if (sender && actionLink_ && actionLink_->Action() == sender &&
        !dynamic_cast<TAdvToolBarButtonActionLink*>(actionLink_)) {
        // The class library made a plain control link for the new action: replace it. This
        // call comes straight from the assignment, never from the old link's notification.
        auto* link = new TAdvToolBarButtonActionLink(this);
        link->SetAction(sender);
        delete actionLink_;
        actionLink_ = link;
    }
    TAdvCustomToolBarControl::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (checkDefaults || groupIndex_ == 0)
        SetGroupIndex(action->GroupIndex());
    SetImageIndex(action->ImageIndex());
    if (auto* link = dynamic_cast<TAdvToolBarButtonActionLink*>(actionLink_))
        link->SyncClient();
    else if (action->Checked() != down_)
        SetDown(action->Checked());
}

// ---- action link ----

TAdvToolBarButtonActionLink::TAdvToolBarButtonActionLink(TAdvCustomToolBarButton* client)
    : TControlActionLink(client)
{
    AssignClient(client);
}

TCustomAction* TAdvToolBarButtonActionLink::CustomAction() const
{
    return dynamic_cast<TCustomAction*>(action_);
}

bool TAdvToolBarButtonActionLink::IsCheckedLinked() const
{
    return client_ && CustomAction() && (!known_ || checked_ == client_->Down());
}

bool TAdvToolBarButtonActionLink::IsGroupIndexLinked() const
{
    return client_ && CustomAction() && (!known_ || groupIndex_ == client_->GroupIndex());
}

void TAdvToolBarButtonActionLink::SetChecked(bool value)
{
    if (IsCheckedLinked() && client_->Down() != value)
        client_->SetDown(value);
}

void TAdvToolBarButtonActionLink::SetGroupIndex(int value)
{
    if (IsGroupIndexLinked() && client_->GroupIndex() != value)
        client_->SetGroupIndex(value);
}

void TAdvToolBarButtonActionLink::SyncClient()
{
    TCustomAction* action = CustomAction();
    if (!action || !client_)
        return;
    // The group first: Down holds only while the button has a group.
    SetGroupIndex(action->GroupIndex());
    SetChecked(action->Checked());
    groupIndex_ = action->GroupIndex();
    checked_ = action->Checked();
    known_ = true;
}

// ---- paint ----

void TAdvCustomToolBarButton::Paint()
{
    if (!Enabled()) {
        state_ = tbsDisabled;
        tracking_ = false;
    } else if (state_ == tbsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? tbsLatched : tbsUp;
    }
    TAdvCustomToolBarControl::Paint();
    DrawDropDown(Canvas());
}

// ---- menu button ----

CLASSLIB_PUBLISH(TAdvToolBarMenuButton)
{
    using B = TAdvToolBarMenuButton;
    c.Property("Appearance", &B::Appearance, &B::SetAppearance);
    c.Property("GlyphPosition", &B::GlyphPosition, &B::SetGlyphPosition).SetDefault(gpLeft);
    c.Property("DropDownButton", &B::DropDownButton, &B::SetDropDownButton).SetDefault(false);
    c.Property("DropDownMenu", &B::DropDownMenu, &B::SetDropDownMenu);
    c.Property("DropDownSplit", &B::DropDownSplit, &B::SetDropDownSplit).SetDefault(true);
    c.Property("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).SetDefault(0);
    c.Property("Down", &B::Down, &B::SetDown).SetDefault(false);
    c.Property("Glyph", &B::Glyph, &B::SetGlyph);
    c.Property("GlyphHot", &B::GlyphHot, &B::SetGlyphHot);
    c.Property("GlyphDown", &B::GlyphDown, &B::SetGlyphDown);
    c.Property("GlyphDisabled", &B::GlyphDisabled, &B::SetGlyphDisabled);
    c.Property("GlyphChecked", &B::GlyphChecked, &B::SetGlyphChecked);
    c.Property("ImageIndex", &B::ImageIndex, &B::SetImageIndex).SetDefault(-1);
    c.Property("Picture", &B::Picture, &B::SetPicture);
    c.Property("ParentStyler", &B::ParentStyler, &B::SetParentStyler).SetDefault(true);
    c.Property("Position", &B::Position, &B::SetPosition);
    c.Property("Shaded", &B::Shaded, &B::SetShaded).SetDefault(true);
    c.Property("OfficeHint", &B::OfficeHint, &B::SetOfficeHint);
    c.Property("ShowCaption", &B::ShowCaption, &B::SetShowCaption).SetDefault(false);
    c.Property("Version", &B::Version, &B::SetVersion);
    c.Property("OnDropDown", &B::OnDropDown);
}

TAdvToolBarMenuButton::TAdvToolBarMenuButton(TComponent* owner) : TAdvCustomToolBarButton(owner)
{
    SetParentStyler(true);
}

// ---- separator ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvToolBarSeparator)
{
    using S = TAdvToolBarSeparator;
    c.Property("SeparatorStyle", &S::SeparatorStyle, &S::SetSeparatorStyle)
        .SetDefault(ssOffice2003);
    c.Property("LineColor", &S::LineColor, &S::SetLineColor);
}

TAdvToolBarSeparator::TAdvToolBarSeparator(TComponent* owner) : TAdvCustomToolBarControl(owner)
{
    autoSize_ = true;
    SetBounds(0, 0, 22, 10);
}

void TAdvToolBarSeparator::Assign(TPersistent* source)
{
    if (auto* other = dynamic_cast<TAdvToolBarSeparator*>(source)) {
        SetSeparatorStyle(other->SeparatorStyle());
        SetLineColor(other->LineColor());
        return;
    }
    TAdvCustomToolBarControl::Assign(source);
}

void TAdvToolBarSeparator::SetSeparatorStyle(TAdvSeparatorStyle value)
{
    if (value == separatorStyle_)
        return;
    separatorStyle_ = value;
    Invalidate();
}

void TAdvToolBarSeparator::SetLineColor(TColor value)
{
    if (value == lineColor_)
        return;
    lineColor_ = value;
    Invalidate();
}

void TAdvToolBarSeparator::SetPosition(TDockAlign value)
{
    position_ = value;
    AdjustSize();
}

void TAdvToolBarSeparator::JoinToolBar(TAdvCustomToolBar* toolBar)
{
    TAdvCustomToolBarControl::JoinToolBar(toolBar);
    if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDesigning))
        AdjustSize();
}

void TAdvToolBarSeparator::AdjustSize()
{
    if (!AutoSize())
        return;
    if (Horizontal())
        SetBounds(Left(), Top(), 10, advToolBar_ ? advToolBar_->Height() - 4 : Height());
    else
        SetBounds(Left(), Top(), advToolBar_ ? advToolBar_->Width() - 4 : Width(), 10);
}

void TAdvToolBarSeparator::Paint()
{
    if (separatorStyle_ == ssBlank)
        return;
    TCanvas* canvas = Canvas();
    const RECT r = ClientRect();
    canvas->Pen()->SetColor(lineColor_);
    if (Horizontal()) {
        const int x = r.left + (r.right - r.left) / 2;
        canvas->MoveTo(x, r.top + 3);
        canvas->LineTo(x, r.bottom - 3);
        canvas->Pen()->SetColor(clWhite);
        canvas->MoveTo(x + 1, r.top + 4);
        canvas->LineTo(x + 1, r.bottom - 2);
    } else {
        const int y = r.top + (r.bottom - r.top) / 2;
        canvas->MoveTo(r.left + 3, y);
        canvas->LineTo(r.right - 3, y);
        canvas->Pen()->SetColor(clWhite);
        canvas->MoveTo(r.left + 4, y + 1);
        canvas->LineTo(r.right - 2, y + 1);
    }
}

void RegisterToolBarItemClasses()
{
    RegisterClasses({&TAdvToolBarMenuButton::StaticClass(), &TAdvToolBarSeparator::StaticClass()});
}

} // namespace toolbar
