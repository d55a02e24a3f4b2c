#include "toolbar/AdvToolBarStyler.h"

#include "core/TypeInfo.h"

using namespace classlib;

namespace toolbar {

CLASSLIB_DEFINE_ENUM(TBackGroundDisplay, "bdTile", "bdCenter", "bdStretch")
CLASSLIB_DEFINE_ENUM(TDragGripStyle, "dsDots", "dsSingleLine", "dsDoubleLine", "dsFlatDots",
                     "dsNone")

// The base publishes nothing; TAdvToolBarOfficeStyler publishes every property.
CLASSLIB_PUBLISH(TCustomAdvToolBarStyler) {}

TCustomAdvToolBarStyler::TCustomAdvToolBarStyler(TComponent* owner)
    : TComponent(owner),
      controls_(new TDbgList),
      backGround_(new TBitmap),
      font_(new TFont),
      dragGripImage_(new TBitmap),
      rightHandleImage_(new TBitmap),
      captionAppearance_(new TCaptionAppearance),
      color_(new TVistaGradientBackground),
      dockColor_(new TGradientBackground),
      buttonAppearance_(new TButtonAppearance),
      internalMenuStyler_(new menus::TAdvMenuStyler(this)),
      currentMenuStyler_(internalMenuStyler_),
      colorHot_(new TVistaGradientBackground),
      captionFont_(new TFont),
      containerAppearance_(new TContainerAppearance),
      glowButtonAppearance_(new controls::TGlowButtonAppearance),
      compactGlowButtonAppearance_(new controls::TGlowButtonAppearance),
      pagerCaption_(new TVistaTextBackground),
      tabAppearance_(new TTabAppearance),
      pageAppearance_(new TVistaPageBackground),
      groupAppearance_(new TGroupAppearance),
      qatAppearance_(new TQATAppearance)
{
    captionAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::AppearanceChanged);
    color_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::AppearanceChanged);
    dockColor_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::AppearanceChanged);
    internalMenuStyler_->SetName("InternalMenuStyler");
    colorHot_->SetColor(clNone);
    colorHot_->SetColorTo(clNone);
    containerAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::ContainerChanged);
    glowButtonAppearance_->OnChange =
        TNotifyEvent(this, &TCustomAdvToolBarStyler::GlowButtonsChanged);
    compactGlowButtonAppearance_->OnChange =
        TNotifyEvent(this, &TCustomAdvToolBarStyler::GlowButtonsChanged);
    pagerCaption_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::PagerCaptionChanged);
    tabAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::PagerChanged);
    pageAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::PagerChanged);
    groupAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::PagerChanged);
    qatAppearance_->OnChange = TNotifyEvent(this, &TCustomAdvToolBarStyler::QATChanged);
    ApplySystemFontName(font_, true);
    ApplySystemFontName(captionFont_, true);
}

TCustomAdvToolBarStyler::~TCustomAdvToolBarStyler()
{
    ReleaseControls();
    delete font_;
    delete backGround_;
    delete dragGripImage_;
    delete rightHandleImage_;
    delete controls_;
    controls_ = nullptr;
    delete buttonAppearance_;
    // The internal menu styler is an owned component: the inherited destructor frees it.
    delete color_;
    delete dockColor_;
    delete colorHot_;
    delete captionFont_;
    delete containerAppearance_;
    delete glowButtonAppearance_;
    delete compactGlowButtonAppearance_;
    delete pagerCaption_;
    delete tabAppearance_;
    delete pageAppearance_;
    delete groupAppearance_;
    delete captionAppearance_;
    delete qatAppearance_;
}

// ---- registered controls -----------------------------------------------------------------------

void TCustomAdvToolBarStyler::AddControl(TControl* control)
{
    // A control that binds again (a re-bind of the same styler registers as a matter of
    // course) stays listed once: a second entry would survive one removal and let a later
    // broadcast reach a freed control.
    if (!control || controls_->IndexOf(Entry(control)) >= 0)
        return;
    controls_->Add(Entry(control));
    control->FreeNotification(this);
}

void TCustomAdvToolBarStyler::RemoveControl(TControl* control)
{
    RemoveEntry(control);
}

void TCustomAdvToolBarStyler::RemoveEntry(TComponent* component)
{
    while (controls_->Remove(Entry(component)) >= 0) {
    }
}

TControl* TCustomAdvToolBarStyler::Controls(int index) const
{
    return dynamic_cast<TControl*>(static_cast<TComponent*>(controls_->Items(index)));
}

void TCustomAdvToolBarStyler::NotifyControls(int kind)
{
    const int count = controls_->Count();
    for (int i = 0; i < count; ++i) {
        auto* control =
            dynamic_cast<TCustomControl*>(static_cast<TComponent*>(controls_->Items(i)));
        if (!control)
            continue;
        if (auto* client = dynamic_cast<IToolBarStylerClient*>(control))
            client->ToolBarStylerChanged(kind);
    }
}

void TCustomAdvToolBarStyler::ReleaseControls()
{
    const int limit = controls_->Count();
    int steps = 0;
    int index = 0;
    while (steps < limit && index < controls_->Count()) {
        auto* entry = static_cast<TComponent*>(controls_->Items(index));
        if (!entry) {
            ++index;
            continue;
        }
        ++steps;
        auto* control = dynamic_cast<TControl*>(entry);
        auto* client = dynamic_cast<IToolBarStylerClient*>(entry);
        if (control && client && client->ReleasedByStyler() &&
            !control->ComponentState().Contains(csDestroying) && client->ToolBarStyler() == this) {
            // The setter takes the control off this list: the same index names the next one.
            client->SetToolBarStyler(nullptr);
            if (index < controls_->Count() && controls_->Items(index) == Entry(entry))
                ++index;
        } else {
            ++index;
        }
    }
}

void TCustomAdvToolBarStyler::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove || !component || !controls_)
        return;
    const bool destroying = ComponentState().Contains(csDestroying);
    if (component == advMenuStyler_) {
        if (destroying) {
            advMenuStyler_ = nullptr;
            currentMenuStyler_ = internalMenuStyler_;
        } else {
            SetAdvMenuStyler(nullptr);
        }
    } else {
        // Also while this styler is being destroyed: an owner that frees its components one by
        // one may free a registered control first, and the release walk that follows must not
        // find it in the list. The component is no longer a control by now (its own destructor
        // has run): it is found by identity.
        RemoveEntry(component);
    }
}

// ---- properties --------------------------------------------------------------------------------

void TCustomAdvToolBarStyler::SetAdvMenuStyler(menus::TCustomAdvMenuStyler* value)
{
    if (advMenuStyler_ && advMenuStyler_ != value)
        advMenuStyler_->RemoveFreeNotification(this);
    advMenuStyler_ = value;
    if (value)
        value->FreeNotification(this);
    currentMenuStyler_ = value ? value : internalMenuStyler_;
    NotifyControls(StylerChangeKindOf("AdvMenuStyler"));
}

void TCustomAdvToolBarStyler::SetBackGround(TBitmap* value)
{
    backGround_->Assign(value);
    NotifyControls(StylerChangeKindOf("BackGround"));
}

void TCustomAdvToolBarStyler::SetBackGroundTransparent(bool value)
{
    StoreAndNotify(backGroundTransparent_, value, StylerChangeKindOf("BackGroundTransparent"));
}

void TCustomAdvToolBarStyler::SetBackGroundDisplay(TBackGroundDisplay value)
{
    StoreAndNotify(backGroundDisplay_, value, StylerChangeKindOf("BackGroundDisplay"));
}

void TCustomAdvToolBarStyler::SetBorderColor(TColor value)
{
    StoreAndNotify(borderColor_, value, StylerChangeKindOf("BorderColor"));
}

void TCustomAdvToolBarStyler::SetBorderColorHot(TColor value)
{
    StoreAndNotify(borderColorHot_, value, StylerChangeKindOf("BorderColorHot"));
}

void TCustomAdvToolBarStyler::SetCaptionFont(TFont* value)
{
    captionFont_->Assign(value);
    NotifyControls(StylerChangeKindOf("CaptionFont"));
}

void TCustomAdvToolBarStyler::SetDragGripStyle(TDragGripStyle value)
{
    StoreAndNotify(dragGripStyle_, value, StylerChangeKindOf("DragGripStyle"));
}

void TCustomAdvToolBarStyler::SetFloatingWindowBorderColor(TColor value)
{
    StoreAndNotify(floatingWindowBorderColor_, value,
                   StylerChangeKindOf("FloatingWindowBorderColor"));
}

void TCustomAdvToolBarStyler::SetFloatingWindowBorderWidth(int value)
{
    StoreAndNotify(floatingWindowBorderWidth_, value,
                   StylerChangeKindOf("FloatingWindowBorderWidth"));
}

void TCustomAdvToolBarStyler::SetFont(TFont* value)
{
    font_->Assign(value);
    NotifyControls(StylerChangeKindOf("Font"));
}

void TCustomAdvToolBarStyler::SetRightHandleImage(TBitmap* value)
{
    rightHandleImage_->Assign(value);
    NotifyControls(StylerChangeKindOf("RightHandleImage"));
}

void TCustomAdvToolBarStyler::SetSystemFont(bool value)
{
    if (value == systemFont_)
        return;
    systemFont_ = value;
    ApplySystemFontName(font_, value);
    ApplySystemFontName(captionFont_, value);
}

void TCustomAdvToolBarStyler::SetRoundedCorners(bool value)
{
    roundedCorners_ = value;
    NotifyControls(StylerChangeKindOf("RoundedCorners"));
}

void TCustomAdvToolBarStyler::SetFrameBevel(int value)
{
    StoreAndNotify(frameBevel_, value, StylerChangeKindOf("FrameBevel"));
}

void TCustomAdvToolBarStyler::SetShowFrameBevel(bool value)
{
    StoreAndNotify(showFrameBevel_, value, StylerChangeKindOf("ShowFrameBevel"));
}

void TCustomAdvToolBarStyler::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCustomAdvToolBarStyler*>(source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    if (currentMenuStyler_ && other->advMenuStyler_)
        currentMenuStyler_->Assign(other->advMenuStyler_);
    color_->Assign(other->color_);
    dockColor_->Assign(other->dockColor_);
    backGround_->Assign(other->backGround_);
    SetBackGroundTransparent(other->backGroundTransparent_);
    SetBackGroundDisplay(other->backGroundDisplay_);
    font_->Assign(other->font_);
    SetDragGripStyle(other->dragGripStyle_);
    dragGripImage_->Assign(other->dragGripImage_);
    rightHandleImage_->Assign(other->rightHandleImage_);
    SetFloatingWindowBorderColor(other->floatingWindowBorderColor_);
    SetFloatingWindowBorderWidth(other->floatingWindowBorderWidth_);
    captionAppearance_->Assign(other->captionAppearance_);
    buttonAppearance_->Assign(other->buttonAppearance_);
}

// ---- TToolBarStylerLink ------------------------------------------------------------------------

TToolBarStylerLink::TToolBarStylerLink(TControl* control, TCustomAdvToolBarStyler* internal)
    : control_(control), internal_(internal)
{
    internal_->SetName("InternalStyler");
    internal_->SetSubComponent(true);
    internal_->AddControl(control_);
}

bool TToolBarStylerLink::SetExternal(TCustomAdvToolBarStyler* styler)
{
    if (styler == internal_)
        styler = nullptr;
    if (styler == external_)
        return false;
    TCustomAdvToolBarStyler* const before = Current();
    if (external_) {
        external_->RemoveControl(control_);
        external_->RemoveFreeNotification(control_);
    }
    external_ = styler;
    if (external_) {
        external_->AddControl(control_);
        external_->FreeNotification(control_);
    }
    return Current() != before;
}

bool TToolBarStylerLink::StylerRemoved(TComponent* component, TOperation operation)
{
    if (operation != opRemove || !component || component != external_)
        return false;
    external_ = nullptr;
    return true;
}

// ---- the styler's picture ---------------------------------------------------------------------

void DrawBackGroundPicture(TCanvas* canvas, TBitmap* picture, TBackGroundDisplay display, int width,
                           int height, int origin, int inset, const RECT& stretch)
{
    if (!picture || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0)
        return;
    switch (display) {
        case bdTile:
            for (int y = origin; y < height - inset; y += picture->Height())
                for (int x = origin; x < width - inset; x += picture->Width())
                    canvas->Draw(x, y, picture);
            break;
        case bdCenter:
            canvas->Draw((width - picture->Width()) / 2, (height - picture->Height()) / 2, picture);
            break;
        case bdStretch:
            canvas->StretchDraw(stretch, picture);
            break;
    }
}

} // namespace toolbar
