#include "AdvOfficeStatusBar.h"

#include "core/DateTime.h"
#include "core/StrUtils.h"
#include "core/SysUtils.h"
#include "draw/AdvHintInfo.h"
#include "draw/GlowDrawing.h"
#include "draw/PagerCaptionForm.h"
#include "draw/PanelDrawing.h"
#include "draw/PictureContainer.h"
#include "html/AnchorLinks.h"
#include "html/HtmlRenderer.h"
#include "windows/ActnList.h"
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Messages.h"
#include "windows/Screen.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>

using namespace classlib;

namespace panels {

CLASSLIB_DEFINE_ENUM(TAdvOfficeStatusPanelStyle, "psHTML", "psText", "psOwnerDraw", "psTime",
                     "psDate", "psNumLock", "psCapsLock", "psScrollLock", "psProgress", "psImage",
                     "psImageList", "psAnimation", "psEllipsText", "psFileEllipsText")
CLASSLIB_DEFINE_ENUM(TPanelAppearanceStyle, "psLight", "psDark")
CLASSLIB_DEFINE_ENUM(TProgressIndication, "piPercentage", "piAbsolute", "piNone")
CLASSLIB_DEFINE_ENUM(TAntiAlias, "aaNone", "aaClearType", "aaAntiAlias")

CLASSLIB_PUBLISH(TProgressStyle)
{
    using P = TProgressStyle;
    AsColorProperty(c.Property("BackGround", &P::BackGround, &P::SetBackGround)).SetDefault(clNone);
    c.Property("Indication", &P::Indication, &P::SetIndication).SetDefault(piPercentage);
    c.Property("Min", &P::Min, &P::SetMin).SetDefault(0);
    c.Property("Max", &P::Max, &P::SetMax).SetDefault(100);
    c.Property("Position", &P::Position, &P::SetPosition).SetDefault(0);
    AsColorProperty(c.Property("Level0Color", &P::Level0Color, &P::SetLevel0Color))
        .SetDefault(clLime);
    AsColorProperty(c.Property("Level0ColorTo", &P::Level0ColorTo, &P::SetLevel0ColorTo))
        .SetDefault(14811105);
    AsColorProperty(c.Property("Level1Color", &P::Level1Color, &P::SetLevel1Color))
        .SetDefault(clYellow);
    AsColorProperty(c.Property("Level1ColorTo", &P::Level1ColorTo, &P::SetLevel1ColorTo))
        .SetDefault(13303807);
    AsColorProperty(c.Property("Level2Color", &P::Level2Color, &P::SetLevel2Color))
        .SetDefault(5483007);
    AsColorProperty(c.Property("Level2ColorTo", &P::Level2ColorTo, &P::SetLevel2ColorTo))
        .SetDefault(11064319);
    AsColorProperty(c.Property("Level3Color", &P::Level3Color, &P::SetLevel3Color))
        .SetDefault(clRed);
    AsColorProperty(c.Property("Level3ColorTo", &P::Level3ColorTo, &P::SetLevel3ColorTo))
        .SetDefault(13290239);
    c.Property("Level1Perc", &P::Level1Perc, &P::SetLevel1Perc).SetDefault(70);
    c.Property("Level2Perc", &P::Level2Perc, &P::SetLevel2Perc).SetDefault(90);
    AsColorProperty(c.Property("BorderColor", &P::BorderColor, &P::SetBorderColor))
        .SetDefault(clBlack);
    c.Property("ShowBorder", &P::ShowBorder, &P::SetShowBorder).SetDefault(false);
    c.Property("Stacked", &P::Stacked, &P::SetStacked).SetDefault(false);
    c.Property("ShowPercentage", &P::ShowPercentage, &P::SetShowPercentage).SetDefault(true);
    c.Property("CompletionSmooth", &P::CompletionSmooth, &P::SetCompletionSmooth).SetDefault(false);
    c.Property("Suffix", &P::Suffix, &P::SetSuffix);
    c.Property("Prefix", &P::Prefix, &P::SetPrefix);
    c.Property("ShowGradient", &P::ShowGradient, &P::SetShowGradient).SetDefault(true);
}

CLASSLIB_PUBLISH(TAdvOfficeStatusPanel)
{
    using P = TAdvOfficeStatusPanel;
    c.Property("Alignment", &P::Alignment, &P::SetAlignment).SetDefault(taLeftJustify);
    c.Property("Animated", &P::Animated, &P::SetAnimated).SetDefault(false);
    c.Property("AnimationImages", &P::AnimationImages, &P::SetAnimationImages);
    c.Property("AnimationDelay", &P::AnimationDelay, &P::SetAnimationDelay).SetDefault(0);
    c.Property("AppearanceStyle", &P::AppearanceStyle, &P::SetAppearanceStyle).SetDefault(psLight);
    c.Property("AutoSize", &P::AutoSize, &P::SetAutoSize).SetDefault(false);
    c.Property("BiDiMode", &P::BiDiMode, &P::SetBiDiMode);
    c.Property("ParentBiDiMode", &P::ParentBiDiMode, &P::SetParentBiDiMode).SetDefault(true);
    c.Property("Button", &P::Button, &P::SetButton).SetDefault(false);
    c.Property("DateFormat", &P::DateFormat, &P::SetDateFormat);
    c.Property("Enabled", &P::Enabled, &P::SetEnabled).SetDefault(true);
    c.Property("HTMLOffsetX", &P::HTMLOffsetX, &P::SetHTMLOffsetX).SetDefault(2);
    c.Property("HTMLOffsetY", &P::HTMLOffsetY, &P::SetHTMLOffsetY).SetDefault(2);
    c.Property("ImageIndex", &P::ImageIndex, &P::SetImageIndex).SetDefault(-1);
    c.Property("MinWidth", &P::MinWidth, &P::SetMinWidth).SetDefault(20);
    c.Property("Progress", &P::Progress, &P::SetProgress);
    c.Property("Style", &P::Style, &P::SetStyle).SetDefault(psHTML);
    c.Property("Text", &P::Text, &P::SetText);
    c.Property("TimeFormat", &P::TimeFormat, &P::SetTimeFormat);
    c.Property("Width", &P::Width, &P::SetWidth).SetDefault(50);
    c.Property("OfficeHint", &P::OfficeHint, &P::SetOfficeHint);
}

CLASSLIB_PUBLISH(TAdvOfficeStatusPanels) {}

CLASSLIB_PUBLISH(TDummyHintControl)
{
    c.Property("OfficeHint", &TDummyHintControl::OfficeHint, &TDummyHintControl::SetOfficeHint);
}

CLASSLIB_PUBLISH(TAdvOfficeStatusBar)
{
    using B = TAdvOfficeStatusBar;
    c.Property("AnchorHint", &B::AnchorHint, &B::SetAnchorHint).SetDefault(false);
    c.Property("AntiAlias", &B::AntiAlias, &B::SetAntiAlias).SetDefault(aaClearType);
    c.Property("AutoHint", &B::AutoHint, &B::SetAutoHint).SetDefault(false);
    c.Property("Images", &B::Images, &B::SetImages);
    c.Property("DisabledImages", &B::DisabledImages, &B::SetDisabledImages);
    c.Property("Panels", &B::Panels, &B::SetPanels);
    c.Property("PictureContainer", &B::PictureContainer, &B::SetPictureContainer);
    c.Property("SimplePanel", &B::SimplePanel, &B::SetSimplePanel).SetDefault(false);
    c.Property("SimpleText", &B::SimpleText, &B::SetSimpleText);
    c.Property("SizeGrip", &B::SizeGrip, &B::SetSizeGrip).SetDefault(true);
    AsColorProperty(c.Property("URLColor", &B::URLColor, &B::SetURLColor)).SetDefault(clBlue);
    c.Property("StretchPanel", &B::StretchPanel, &B::SetStretchPanel).SetDefault(-1);
    c.Property("Styler", &B::Styler, &B::SetStyler);
    c.Property("UseSystemFont", &B::UseSystemFont, &B::SetUseSystemFont).SetDefault(true);
    c.Property("Version", &B::Version, &B::SetVersion).Stored(false);
    c.Property("OnDrawPanel", &B::OnDrawPanel);
    c.Property("OnHint", &B::OnHint);
    c.Property("OnPanelClick", &B::OnPanelClick);
    c.Property("OnPanelRightClick", &B::OnPanelRightClick);
    c.Property("OnPanelDblClick", &B::OnPanelDblClick);
    c.Property("OnAnchorClick", &B::OnAnchorClick);
    c.Property("OnAnchorEnter", &B::OnAnchorEnter);
    c.Property("OnAnchorExit", &B::OnAnchorExit);
}

CLASSLIB_MESSAGE_MAP(TAdvOfficeStatusBar)
{
    using B = TAdvOfficeStatusBar;
    m.On(WM_ERASEBKGND, &B::WMEraseBkgnd);
    m.On(WM_TIMER, &B::WMTimer);
    m.On(WM_SIZE, &B::WMSize);
    m.On(WM_NCHITTEST, &B::WMNCHitTest);
    m.On(WM_LBUTTONDBLCLK, &B::WMLButtonDblClk);
    m.On(WM_GETTEXTLENGTH, &B::WMGetTextLength);
    m.On(WM_SETTINGCHANGE, &B::WMSettingChange);
    m.On(CM_MOUSELEAVE, &B::CMMouseLeave);
    m.On(CM_HINTSHOW, &B::CMHintShow);
    m.On(CM_BIDIMODECHANGED, &B::CMBiDiModeChanged);
    m.On(CM_SYSFONTCHANGED, &B::CMSysFontChanged);
    m.On(CM_COLORCHANGED, &B::CMColorChanged);
    m.On(CM_SYSCOLORCHANGE, &B::CMColorChanged);
}

namespace {

// The key-lock panels: their virtual key and indicator text.
struct KeyLockIndicator {
    TAdvOfficeStatusPanelStyle style;
    int key;
    const char* text;
};
constexpr KeyLockIndicator KeyLocks[] = {{psNumLock, VK_NUMLOCK, "NUM"},
                                         {psCapsLock, VK_CAPITAL, "CAP"},
                                         {psScrollLock, VK_SCROLL, "SCRL"}};

const KeyLockIndicator* KeyLockOf(TAdvOfficeStatusPanelStyle style)
{
    for (const KeyLockIndicator& k : KeyLocks)
        if (k.style == style)
            return &k;
    return nullptr;
}

TDateTime CurrentDateTime()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return EncodeDate(t.wYear, t.wMonth, t.wDay) +
           EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

// DrawPanelText's alignment numbers: 0 left, 1 right, 2 centre.
int PanelTextAlignment(TAlignment alignment)
{
    return alignment == taRightJustify ? 1 : alignment == taCenter ? 2 : 0;
}

// Text-format alignment bits: DT_RIGHT for right, DT_CENTER for centre.
UINT AlignmentFlags(int alignment)
{
    return alignment == 1 ? DT_RIGHT : alignment == 2 ? DT_CENTER : DT_LEFT;
}

} // namespace

// ---- progress style ---------------------------------------------------------------------------

void TProgressStyle::Changed()
{
    if (!owner_)
        return;
    if (TAdvOfficeStatusBar* bar = owner_->StatusBar())
        bar->InvalidatePanel(bar->IndexOfPanel(owner_));
}

void TProgressStyle::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TProgressStyle*>(source);
    if (!other)
        throw EInvalidCast("Invalid class typecast");
#define PANELS_PROGRESS_COPY(Type, Name, member, initial) member = other->member;
    PANELS_PROGRESS_FIELDS(PANELS_PROGRESS_COPY)
#undef PANELS_PROGRESS_COPY
    Changed();
}

// ---- panel ------------------------------------------------------------------------------------

TAdvOfficeStatusPanel::TAdvOfficeStatusPanel(TCollection* collection)
    : TCollectionItem(collection),
      dateFormat_(FormatSettings.ShortDateFormat),
      progress_(std::make_unique<TProgressStyle>(this)),
      timeFormat_(FormatSettings.LongTimeFormat),
      officeHint_(std::make_unique<draw::TAdvHintInfo>()),
      imageIndexes_(std::make_unique<TStringList>())
{
    if (TAdvOfficeStatusBar* bar = StatusBar())
        bidiMode_ = bar->BiDiMode();
}

TAdvOfficeStatusPanel::~TAdvOfficeStatusPanel() = default;

TAdvOfficeStatusBar* TAdvOfficeStatusPanel::StatusBar() const
{
    auto* panels = dynamic_cast<TAdvOfficeStatusPanels*>(Collection());
    return panels ? panels->StatusBar() : nullptr;
}

std::string TAdvOfficeStatusPanel::DisplayName() const
{
    return text_.empty() ? TCollectionItem::DisplayName() : text_;
}

#define PANELS_STORE_ON_CHANGE(field, value) \
    if (field == value)                      \
        return;                              \
    field = value;                           \
    Changed(false)

void TAdvOfficeStatusPanel::SetAlignment(TAlignment value)
{
    PANELS_STORE_ON_CHANGE(alignment_, value);
}
void TAdvOfficeStatusPanel::SetAppearanceStyle(TPanelAppearanceStyle value)
{
    PANELS_STORE_ON_CHANGE(appearanceStyle_, value);
}
void TAdvOfficeStatusPanel::SetButton(bool value)
{
    PANELS_STORE_ON_CHANGE(button_, value);
}
void TAdvOfficeStatusPanel::SetStyle(TAdvOfficeStatusPanelStyle value)
{
    PANELS_STORE_ON_CHANGE(style_, value);
}
void TAdvOfficeStatusPanel::SetWidth(int value)
{
    PANELS_STORE_ON_CHANGE(width_, value);
}
#undef PANELS_STORE_ON_CHANGE

void TAdvOfficeStatusPanel::SetText(const std::string& value)
{
    if (text_ == value)
        return;
    text_ = value;
    Changed(false);
    if (autoSize_)
        if (TAdvOfficeStatusBar* bar = StatusBar())
            bar->AutoSizePanels();
}

#define PANELS_STORE(field, value) \
    field = value;                 \
    Changed(false)

void TAdvOfficeStatusPanel::SetDateFormat(const std::string& value)
{
    PANELS_STORE(dateFormat_, value);
}
void TAdvOfficeStatusPanel::SetTimeFormat(const std::string& value)
{
    PANELS_STORE(timeFormat_, value);
}
void TAdvOfficeStatusPanel::SetHTMLOffsetX(int value)
{
    PANELS_STORE(htmlOffsetX_, value);
}
void TAdvOfficeStatusPanel::SetHTMLOffsetY(int value)
{
    PANELS_STORE(htmlOffsetY_, value);
}
void TAdvOfficeStatusPanel::SetImageIndex(int value)
{
    PANELS_STORE(imageIndex_, value);
}
void TAdvOfficeStatusPanel::SetEnabled(bool value)
{
    PANELS_STORE(enabled_, value);
}
void TAdvOfficeStatusPanel::SetAnimated(bool value)
{
    PANELS_STORE(animated_, value);
}
#undef PANELS_STORE

void TAdvOfficeStatusPanel::SetAnimationImages(TCustomImageList* value)
{
    TAdvOfficeStatusBar* bar = StatusBar();
    if (animationImages_ && bar)
        animationImages_->RemoveFreeNotification(bar);
    animationImages_ = value;
    if (value && bar)
        value->FreeNotification(bar);
    Changed(false);
}

void TAdvOfficeStatusPanel::SetAnimationDelay(int value)
{
    if (value >= 0)
        animationDelay_ = value;
}

void TAdvOfficeStatusPanel::SetProgress(TProgressStyle* value)
{
    progress_->Assign(value);
    Changed(false);
}

void TAdvOfficeStatusPanel::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (value)
        if (TAdvOfficeStatusBar* bar = StatusBar())
            bar->AutoSizePanels();
}

void TAdvOfficeStatusPanel::SetBiDiMode(TBiDiMode value)
{
    bidiMode_ = value;
    parentBiDiMode_ = false;
    Changed(false);
}

void TAdvOfficeStatusPanel::SetParentBiDiMode(bool value)
{
    parentBiDiMode_ = value;
    if (value)
        if (TAdvOfficeStatusBar* bar = StatusBar())
            bidiMode_ = bar->BiDiMode();
    Changed(false);
}

void TAdvOfficeStatusPanel::ResetUncopied()
{
    imageIndex_ = -1;
    button_ = false;
    enabled_ = true;
    htmlOffsetX_ = 2;
    htmlOffsetY_ = 2;
    animated_ = false;
    animationDelay_ = 0;
    frame_ = 0;
    SetAnimationImages(nullptr);
}

void TAdvOfficeStatusPanel::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TAdvOfficeStatusPanel*>(source);
    if (!other) {
        TCollectionItem::Assign(source);
        return;
    }
    text_ = other->text_;
    width_ = other->width_;
    alignment_ = other->alignment_;
    style_ = other->style_;
    dateFormat_ = other->dateFormat_;
    timeFormat_ = other->timeFormat_;
    progress_->Assign(other->progress_.get());
    officeHint_->Assign(other->officeHint_.get());
    appearanceStyle_ = other->appearanceStyle_;
    autoSize_ = other->autoSize_;
    minWidth_ = other->minWidth_;
    // What a panel copy does not carry must not keep the target's earlier values (a copied
    // psImage panel would otherwise show the old panel's picture).
    ResetUncopied();
    Changed(false);
}

TAdvOfficeStatusPanels::TAdvOfficeStatusPanels(TAdvOfficeStatusBar* bar)
    : TOwnedCollection(bar, TAdvOfficeStatusPanel::StaticClass()), bar_(bar)
{
}

void TAdvOfficeStatusPanels::Update(TCollectionItem*)
{
    bar_->Invalidate();
}

TDummyHintControl::TDummyHintControl(TComponent* owner)
    : TControl(owner), officeHint_(std::make_unique<draw::TAdvHintInfo>())
{
    visible_ = false;
}

// ---- bar --------------------------------------------------------------------------------------

TAdvOfficeStatusBar::TAdvOfficeStatusBar(TComponent* owner)
    : TCustomControl(owner),
      panels_(new TAdvOfficeStatusPanels(this)),
      internalStyler_(new TCustomAdvOfficeStatusBarStyler(nullptr)),
      hintCarrier_(new TDummyHintControl(nullptr))
{
    internalStyler_->SetName("InternalStyler");
    internalStyler_->AddControl(this);
    controlStyle_ =
        TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    color_ = clBtnFace;
    SetBounds(0, 0, 300, 19);
    SetAlign(alBottom);
    SetParentFont(false);
    SetDoubleBuffered(true);
    ApplySystemFont();
}

TAdvOfficeStatusBar::~TAdvOfficeStatusBar()
{
    if (styler_)
        styler_->RemoveControl(this);
    delete panels_;
    internalStyler_->RemoveControl(this);
    delete internalStyler_;
    delete hintCarrier_;
}

void TAdvOfficeStatusBar::ApplySystemFont()
{
    if (useSystemFont_ && Screen)
        Font()->Assign(Screen->HintFont());
}

void TAdvOfficeStatusBar::SetUseSystemFont(bool value)
{
    useSystemFont_ = value;
    if (value) {
        SetParentFont(false);
        ApplySystemFont();
    }
}

void TAdvOfficeStatusBar::SetAntiAlias(TAntiAlias value)
{
    antiAlias_ = value;
    Invalidate();
}

template <class T>
static void ReplaceReference(TComponent* self, T*& field, T* value)
{
    if (field)
        field->RemoveFreeNotification(self);
    field = value;
    if (value)
        value->FreeNotification(self);
}

void TAdvOfficeStatusBar::SetImages(TCustomImageList* value)
{
    ReplaceReference(this, images_, value);
    Invalidate();
}

void TAdvOfficeStatusBar::SetDisabledImages(TCustomImageList* value)
{
    ReplaceReference(this, disabledImages_, value);
    Invalidate();
}

void TAdvOfficeStatusBar::SetPictureContainer(draw::TPictureContainer* value)
{
    ReplaceReference(this, pictureContainer_, value);
    Invalidate();
}

void TAdvOfficeStatusBar::SetStyler(TCustomAdvOfficeStatusBarStyler* value)
{
    if (value == styler_)
        return;
    if (styler_) {
        styler_->RemoveControl(this);
        styler_->RemoveFreeNotification(this);
    }
    styler_ = value;
    if (value) {
        value->AddControl(this);
        value->FreeNotification(this);
    }
    Invalidate();
}

void TAdvOfficeStatusBar::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == styler_) {
        styler_ = nullptr;
        Invalidate();
    }
    if (component == images_)
        images_ = nullptr;
    if (component == disabledImages_)
        disabledImages_ = nullptr;
    if (component == pictureContainer_)
        pictureContainer_ = nullptr;
    for (int i = 0; i < panels_->Count(); ++i)
        if ((*panels_)[i]->animationImages_ == component)
            (*panels_)[i]->animationImages_ = nullptr;
}

void TAdvOfficeStatusBar::SetSimplePanel(bool value)
{
    if (value == simplePanel_)
        return;
    simplePanel_ = value;
    Invalidate();
}

void TAdvOfficeStatusBar::SetSimpleText(const std::string& value)
{
    if (value == simpleText_)
        return;
    simpleText_ = UseRightToLeftAlignment() ? "\t\t" + value : value;
    Invalidate();
}

void TAdvOfficeStatusBar::SetSizeGrip(bool value)
{
    if (value == sizeGrip_)
        return;
    sizeGrip_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TAdvOfficeStatusBar::SetStretchPanel(int value)
{
    if (value < -1 || value >= panels_->Count())
        return;
    stretchPanel_ = value;
    Invalidate();
}

int TAdvOfficeStatusBar::IndexOfPanel(const TAdvOfficeStatusPanel* panel) const
{
    if (!panel)
        return -1;
    for (int i = 0; i < panels_->Count(); ++i)
        if ((*panels_)[i] == panel)
            return i;
    return -1;
}

bool TAdvOfficeStatusBar::IsLastPanel(const TAdvOfficeStatusPanel* panel) const
{
    const int index = IndexOfPanel(panel);
    return index >= 0 && index == panels_->Count() - 1;
}

bool TAdvOfficeStatusBar::SizeGripShown() const
{
    if (!sizeGrip_)
        return false;
    auto* form = dynamic_cast<TCustomForm*>(Parent());
    if (!form || (form->BorderStyle() != bsSizeable && form->BorderStyle() != bsSizeToolWin))
        return false;
    if (!form->HandleAllocated())
        return true;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(form->Handle(), &placement);
    return placement.showCmd != SW_SHOWMAXIMIZED;
}

RECT TAdvOfficeStatusBar::PanelRect(int index) const
{
    const int w = ClientWidth(), h = ClientHeight();
    int fixed = 0;
    for (int i = 0; i < panels_->Count(); ++i)
        if (i != stretchPanel_)
            fixed += (*panels_)[i]->Width();
    int x = 0;
    for (int i = 0; i < panels_->Count(); ++i) {
        RECT r{x, 1, x, h - 1};
        if (i == stretchPanel_)
            r.right = std::max(x, x + w - fixed);
        else
            r.right = x + (*panels_)[i]->Width();
        // Unlike painting, the last panel always reaches the edge, a stretch panel too.
        if (i == panels_->Count() - 1)
            r.right = std::max(x, w - 1);
        if (i == index)
            return r;
        x = r.right;
    }
    return RECT{};
}

int TAdvOfficeStatusBar::PanelAtX(int x) const
{
    for (int i = 0; i < panels_->Count(); ++i) {
        const RECT r = PanelRect(i);
        if (r.left <= x && x <= r.right)
            return i;
    }
    return -1;
}

void TAdvOfficeStatusBar::InvalidatePanel(int index)
{
    if (!HandleAllocated())
        return;
    if (index < 0 || index >= panels_->Count()) {
        Invalidate();
        return;
    }
    const RECT r = PanelRect(index);
    InvalidateRect(Handle(), &r, FALSE);
}

// ---- painting ---------------------------------------------------------------------------------

void TAdvOfficeStatusBar::WMEraseBkgnd(TMessage& m)
{
    // Painting covers the whole client area.
    m.Result = 1;
}

void TAdvOfficeStatusBar::Paint()
{
    DrawPanels();
    TCustomAdvOfficeStatusBarStyler* assigned = styler_;
    // On a form whose title bar is a ribbon pager the bar rounds its bottom corners like the
    // form's frame (before Vista, where the form has a rounded window region).
    if (auto* pagerForm = dynamic_cast<const draw::IPagerCaptionForm*>(Parent());
        pagerForm && !draw::IsVistaOrLater()) {
        TColor corner = pagerForm->PagerFrameColor();
        if (assigned && assigned->BorderColor() != clNone)
            corner = assigned->BorderColor();
        if (corner == clWhite)
            corner = clBlack;
        TCanvas* canvas = Canvas();
        canvas->Pen()->SetColor(corner);
        canvas->Pen()->SetWidth(1);
        const int w = ClientWidth(), h = ClientHeight();
        const int segments[][4] = {
            {0, h - 7, 0, h},
            {1, h - 4, 1, h},
            {0, h - 1, 7, h - 1},
            {1, h - 2, 4, h - 2},
            {w - 1, h - 7, w - 1, h},
            {w - 2, h - 4, w - 2, h},
            {w - 1, h - 1, w - 8, h - 1},
            {w - 1, h - 2, w - 5, h - 2},
        };
        for (const auto& s : segments) {
            canvas->MoveTo(s[0], s[1]);
            canvas->LineTo(s[2], s[3]);
        }
    }
    if (assigned && assigned->BorderColor() != clNone) {
        TCanvas* canvas = Canvas();
        canvas->Pen()->SetColor(assigned->BorderColor());
        canvas->Pen()->SetWidth(1);
        canvas->MoveTo(0, 0);
        canvas->LineTo(ClientWidth(), 0);
    }
}

void TAdvOfficeStatusBar::DrawPanels()
{
    TCanvas* canvas = Canvas();
    const int w = ClientWidth(), h = ClientHeight();
    if (simplePanel_) {
        DrawSimplePanel();
    } else {
        int fixed = 0;
        for (int i = 0; i < panels_->Count(); ++i)
            if (i != stretchPanel_)
                fixed += (*panels_)[i]->Width();
        int x = 0;
        for (int i = 0; i < panels_->Count(); ++i) {
            TAdvOfficeStatusPanel* panel = (*panels_)[i];
            RECT r{x, 0, x, h - 1};
            if (i == stretchPanel_)
                r.right = std::max(x, x + w - fixed);
            else if (i == panels_->Count() - 1 && stretchPanel_ == -1)
                r.right = std::max(x, w);
            else
                r.right = x + panel->Width();
            x = r.right;
            if (r.left == 0)
                r.left = 1;
            if (r.right == w - 1)
                r.right = w - 2;
            DrawPanel(panel, r);
        }
    }
    if (SizeGripShown())
        DrawSizeGrip(RECT{w - 18, 0, w - 3, h - 1});
    TCustomAdvOfficeStatusBarStyler* styler = CurrentStyler();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(styler->BorderColor());
    canvas->MoveTo(0, 0);
    canvas->LineTo(0, h - 1);
    canvas->LineTo(w - 1, h - 1);
    canvas->LineTo(w - 1, 0);
    canvas->Pen()->SetColor(draw::BlendColors(styler->BorderColor(), clWhite, 80));
    canvas->MoveTo(0, 0);
    canvas->LineTo(w, 0);
}

void TAdvOfficeStatusBar::DrawPanel(TAdvOfficeStatusPanel* panel, RECT rect)
{
    TCustomAdvOfficeStatusBarStyler* styler = CurrentStyler();
    if (rect.left >= rect.right || rect.top >= rect.bottom || !styler)
        return;
    RECT r = rect;
    if (styler_ && styler_->BorderColor() != clNone) {
        ++r.top;
        --r.bottom;
    }
    const int alignment = UseRightToLeftAlignment() ? 1 : PanelTextAlignment(panel->Alignment());
    DrawPanelBackground(panel, r);
    r.left += 2;
    r.right -= 2;
    if (IsLastPanel(panel) && SizeGripShown())
        r.right -= 15;
    if (r.left >= r.right || r.top >= r.bottom)
        return;
    TCanvas* canvas = Canvas();
    TVistaBackground* set = panel->AppearanceStyle() == psDark ? styler->PanelAppearanceDark()
                                                               : styler->PanelAppearanceLight();
    const int index = IndexOfPanel(panel);
    canvas->Font()->Assign(Font());
    canvas->Font()->SetStyle(set->TextStyle());
    TColor textColor = set->TextColor();
    if (panel->Button() && index == downPanel_)
        textColor = set->TextColorDown();
    else if (panel->Button() && index == hotPanel_)
        textColor = set->TextColorHot();
    canvas->Font()->SetColor(panel->Enabled() ? textColor : TColor(0x808080));
    canvas->Brush()->SetStyle(bsClear);
    if (panel->Style() == psOwnerDraw && OnDrawPanel) {
        OnDrawPanel(this, panel, rect);
        return;
    }
    DrawPanelContent(panel, r, alignment);
}

void TAdvOfficeStatusBar::DrawPanelContent(TAdvOfficeStatusPanel* panel, RECT r, int alignment)
{
    TCanvas* canvas = Canvas();
    RECT measured{};
    const auto drawText = [&](RECT target, UINT flags, bool suffix) {
        draw::DrawPanelText(canvas, alignment, flags | AlignmentFlags(alignment), target,
                            panel->Text(), canvas->Font(), Enabled(), true,
                            static_cast<int>(antiAlias_), suffix, false, measured);
    };
    switch (panel->Style()) {
        case psText:
        case psOwnerDraw:
        case psTime:
        case psDate:
        case psNumLock:
        case psCapsLock:
        case psScrollLock:
            r.left += 2;
            r.right -= 2;
            drawText(r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, true);
            break;
        case psHTML: {
            RECT t = r;
            OffsetRect(&t, panel->HTMLOffsetX(), panel->HTMLOffsetY());
            int width = 0;
            std::string anchor;
            if (alignment != 0) {
                DrawHtml(panel->Text(), t, true, 0, 0, width, anchor);
                const int spare = (t.right - t.left) - width;
                if (width < t.right - t.left)
                    t.left = alignment == 1 ? t.right - width - panel->HTMLOffsetX()
                                            : t.left + spare / 2;
            }
            DrawHtml(panel->Text(), t, false, 0, 0, width, anchor);
            break;
        }
        case psProgress: {
            TProgressStyle* p = panel->Progress();
            int percent = 0;
            if (p->Min() != p->Max()) {
                const double span = p->Max() > p->Min() ? double(p->Max() - p->Min()) : 1.0;
                percent =
                    static_cast<int>(std::lround(double(p->Position() - p->Min()) / span * 100.0));
            }
            draw::TGaugeSettings s;
            s.Level0Color = p->Level0Color();
            s.Level0ColorTo = p->Level0ColorTo();
            s.Level1Color = p->Level1Color();
            s.Level1ColorTo = p->Level1ColorTo();
            s.Level2Color = p->Level2Color();
            s.Level2ColorTo = p->Level2ColorTo();
            s.Level3Color = p->Level3Color();
            s.Level3ColorTo = p->Level3ColorTo();
            s.Level1Perc = p->Level1Perc();
            s.Level2Perc = p->Level2Perc();
            s.BorderColor = p->BorderColor();
            s.ShowBorder = p->ShowBorder();
            s.Stacked = p->Stacked();
            s.ShowPercentage = p->ShowPercentage();
            s.TextFont = canvas->Font();
            s.CompletionSmooth = p->CompletionSmooth();
            s.ShowGradient = p->ShowGradient();
            s.GradientSteps = 11;
            s.Position = p->Position();
            s.BackGround = p->BackGround();
            s.Vertical = false;
            s.IndicatePercent = p->Indication() == piPercentage;
            s.Suffix = p->Suffix();
            s.Prefix = p->Prefix();
            s.PanelText = panel->Text();
            draw::DrawGauge(canvas, r, percent, s);
            break;
        }
        case psImage:
            if (images_) {
                const int x = alignment == 1 ? r.right - images_->Width() - 2 : r.left + 2;
                DrawPanelImage(panel, panel->ImageIndex(), x, r);
                if (alignment == 1)
                    r.right -= images_->Width();
                else
                    r.left += images_->Width();
            }
            r.left += 2;
            drawText(r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, true);
            break;
        case psImageList:
            if (images_) {
                TStringList* list = panel->ImageIndexes();
                for (int i = 0; i < list->Count(); ++i) {
                    r.left += 2;
                    DrawPanelImage(panel, StrToInt(list->Strings(i)), r.left, r);
                    r.left += images_->Width();
                }
            }
            break;
        case psAnimation:
            if (TCustomImageList* frames = panel->AnimationImages()) {
                const int frame = panel->Animated() ? panel->FrameIndex() : 0;
                frames->Draw(canvas, r.left + 2, r.top + (r.bottom - r.top - frames->Height()) / 2,
                             frame);
                r.left += frames->Width() + 2;
            }
            r.left += 2;
            drawText(r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, true);
            break;
        case psEllipsText:
            if (alignment == 0)
                r.left += 2;
            drawText(r, 0x8824, true);
            break;
        case psFileEllipsText:
            if (alignment == 0)
                r.left += 2;
            drawText(r, 0x4824, false);
            break;
    }
}

void TAdvOfficeStatusBar::DrawPanelImage(TAdvOfficeStatusPanel* panel, int index, int x,
                                         const RECT& r)
{
    // An index outside the list names no picture: the panel shows none rather than failing
    // on every paint.
    TCustomImageList* list = panel->Enabled() || !disabledImages_ ? images_ : disabledImages_;
    if (!list || index < 0 || index >= list->Count())
        return;
    const int y = r.top + (r.bottom - r.top - list->Height()) / 2;
    list->Draw(Canvas(), x, y, index, panel->Enabled() || disabledImages_ != nullptr);
}

void TAdvOfficeStatusBar::DrawPanelBackground(TAdvOfficeStatusPanel* panel, const RECT& rect)
{
    TCustomAdvOfficeStatusBarStyler* styler = CurrentStyler();
    TVistaBackground* s = panel->AppearanceStyle() == psDark ? styler->PanelAppearanceDark()
                                                             : styler->PanelAppearanceLight();
    const int index = IndexOfPanel(panel);
    struct Group {
        TColor color, colorTo, mirror, mirrorTo, border;
    } g{s->Color(), s->ColorTo(), s->ColorMirror(), s->ColorMirrorTo(), s->BorderColor()};
    if (panel->Button() && index == downPanel_)
        g = {s->ColorDown(), s->ColorDownTo(), s->ColorMirrorDown(), s->ColorMirrorDownTo(),
             s->BorderColorDown()};
    else if (panel->Button() && index == hotPanel_)
        g = {s->ColorHot(), s->ColorHotTo(), s->ColorMirrorHot(), s->ColorMirrorHotTo(),
             s->BorderColorHot()};
    RECT fill = rect;
    const bool first = index == 0;
    if (!first)
        fill.left += 2;
    draw::DrawMirrorGradientFrame(Canvas(), fill, g.color, g.colorTo, g.mirror, g.mirrorTo, true,
                                  g.border, true);
    if (first)
        return;
    const TColor c = s->ColorTo();
    const int e = rect.top + (rect.bottom - rect.top) / 2;
    const TColor outer = draw::BlendColors(c, clWhite, 70);
    const TColor innerFrom = draw::BlendColors(c, clWhite, 50),
                 innerTo = draw::BlendColors(c, clWhite, 10);
    draw::DrawStepGradientNarrow(Canvas(), outer, c, 40,
                                 RECT{rect.left, rect.top, rect.left + 1, e + 1}, false);
    draw::DrawStepGradientNarrow(Canvas(), c, outer, 40,
                                 RECT{rect.left, e, rect.left + 1, rect.bottom}, false);
    draw::DrawStepGradientNarrow(Canvas(), innerFrom, innerTo, 40,
                                 RECT{rect.left + 1, rect.top, rect.left + 2, e + 1}, false);
    draw::DrawStepGradientNarrow(Canvas(), innerTo, innerFrom, 40,
                                 RECT{rect.left + 1, e, rect.left + 2, rect.bottom}, false);
}

void TAdvOfficeStatusBar::DrawSizeGrip(const RECT& rect)
{
    TCustomAdvOfficeStatusBarStyler* styler = CurrentStyler();
    TCanvas* canvas = Canvas();
    const int l = rect.left, b = rect.bottom;
    const POINT corners[] = {{l + 5, b - 4},  {l + 9, b - 4},   {l + 13, b - 4},
                             {l + 13, b - 8}, {l + 13, b - 12}, {l + 9, b - 8}};
    const auto squares = [&](TColor color, int shift) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(color);
        canvas->Pen()->SetColor(color);
        for (const POINT& p : corners)
            canvas->Rectangle(p.x - shift, p.y - shift, p.x - shift + 2, p.y - shift + 2);
    };
    squares(draw::BlendColors(styler->PanelAppearanceDark()->Color(), clWhite, 50), 0);
    squares(draw::BlendColors(styler->BorderColor(), clWhite, 100), 1);
}

void TAdvOfficeStatusBar::DrawSimplePanel()
{
    TCustomAdvOfficeStatusBarStyler* styler = CurrentStyler();
    TVistaBackground* s = styler->PanelAppearanceLight();
    const RECT r{0, 0, ClientWidth(), ClientHeight()};
    draw::DrawMirrorGradientFrame(Canvas(), r, s->Color(), s->ColorTo(), s->ColorMirror(),
                                  s->ColorMirrorTo(), true, clNone, true);
    Canvas()->Font()->Assign(Font());
    Canvas()->Font()->SetColor(s->TextColor());
    Canvas()->Brush()->SetStyle(bsClear);
    int width = 0;
    std::string anchor;
    DrawHtml(simpleText_, RECT{3, 3, r.right - 1, r.bottom - 1}, false, 0, 0, width, anchor);
}

// Draws, measures or hit-tests HTML text through the shared renderer in the bar's settings: its
// images, picture container and link colour, the blink phase of the timer, plain colours for
// hit tests.
bool TAdvOfficeStatusBar::DrawHtml(const std::string& text, const RECT& rect, bool hitTestOnly,
                                   int x, int y, int& textWidth, std::string& anchor)
{
    html::HtmlDrawRequest request;
    request.Canvas = Canvas();
    request.Text = text;
    request.Rect = rect;
    request.Images = images_;
    request.X = x;
    request.Y = y;
    request.FocusIndex = -1;
    request.HotIndex = -1;
    request.ShadowOffset = 1;
    request.HitTestOnly = hitTestOnly;
    request.PlainColors = hitTestOnly;
    request.BlinkPhase = tick_ > 5;
    request.WordWrap = true;
    request.ImageScale = 1.0;
    request.LinkColor = urlColor_;
    request.HotBackColor = clNone;
    request.HotTextColor = clNone;
    request.ShadowColor = 0x808080;
    request.PictureContainer = pictureContainer_;
    request.LineSpacing = 0;
    html::HtmlDrawResult result;
    const bool hit = html::DrawHtmlText(request, result);
    textWidth = result.TextWidth;
    anchor = hit ? result.HitAnchor : std::string();
    return hit;
}

// ---- timer ------------------------------------------------------------------------------------

void TAdvOfficeStatusBar::CreateWnd()
{
    TCustomControl::CreateWnd();
    SetTimer(Handle(), TimerId, TimerPeriod, nullptr);
    timerRunning_ = true;
    if (ComponentState().Contains(csDesigning) && panels_->Count() == 0)
        for (int width : {80, 100, 130, 50})
            panels_->Add()->SetWidth(width);
}

void TAdvOfficeStatusBar::DestroyWnd()
{
    if (timerRunning_ && HandleAllocated())
        KillTimer(Handle(), TimerId);
    timerRunning_ = false;
    TCustomControl::DestroyWnd();
}

void TAdvOfficeStatusBar::WMTimer(TMessage& m)
{
    if (m.WParam != TimerId) {
        Inherited(TAdvOfficeStatusBar::StaticClass(), m);
        return;
    }
    UpdateTimerPanels();
    tick_ = tick_ >= 10 ? 0 : tick_ + 1;
}

// A text change that only forces a repaint in a new phase: empty and back.
void TAdvOfficeStatusBar::SetPanelTextSilently(TAdvOfficeStatusPanel* panel,
                                               const std::string& text)
{
    const std::string keep = panel->Text();
    panel->text_ = text;
    panel->SetText(keep);
}

void TAdvOfficeStatusBar::UpdateTimerPanels()
{
    if (ComponentState().Contains(csDestroying))
        return;
    for (int i = 0; i < panels_->Count(); ++i) {
        TAdvOfficeStatusPanel* panel = (*panels_)[i];
        switch (panel->Style()) {
            case psHTML:
                if ((tick_ == 5 || tick_ == 10) &&
                    UpperCase(panel->Text()).find("<BLINK") != std::string::npos)
                    SetPanelTextSilently(panel, "");
                break;
            case psTime:
                panel->SetText(FormatDateTime(panel->TimeFormat(), CurrentDateTime()));
                break;
            case psDate:
                panel->SetText(FormatDateTime(panel->DateFormat(), CurrentDateTime()));
                break;
            case psNumLock:
            case psCapsLock:
            case psScrollLock: {
                const KeyLockIndicator* k = KeyLockOf(panel->Style());
                panel->SetText((GetKeyState(k->key) & 1) ? k->text : "");
                break;
            }
            case psAnimation:
                if (TCustomImageList* frames = panel->AnimationImages())
                    if (tick_ % (panel->AnimationDelay() + 1) == 0) {
                        panel->frame_ =
                            panel->frame_ + 1 >= frames->Count() ? 0 : panel->frame_ + 1;
                        SetPanelTextSilently(panel, "*");
                    }
                break;
            default:
                break;
        }
    }
}

// ---- sizing, hit testing, fonts ---------------------------------------------------------------

void TAdvOfficeStatusBar::Loaded()
{
    TCustomControl::Loaded();
    UpdateTimerPanels();
    AutoSizePanels();
}

void TAdvOfficeStatusBar::AutoSizePanels()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    for (int i = 0; i < panels_->Count(); ++i) {
        TAdvOfficeStatusPanel* panel = (*panels_)[i];
        if (!panel->AutoSize())
            continue;
        bool computed = false;
        std::string text;
        int imageWidth = 0;
        switch (panel->Style()) {
            case psHTML: {
                int width = 0;
                std::string anchor;
                if (HandleAllocated() || canvas->HandleAllocated())
                    DrawHtml(panel->Text(), RECT{0, 0, 1000, 100}, true, 0, 0, width, anchor);
                panel->width_ = std::max(panel->MinWidth(), width + 10);
                computed = true;
                break;
            }
            case psText:
            case psTime:
            case psDate:
                text = panel->Text();
                break;
            case psNumLock:
            case psCapsLock:
            case psScrollLock:
                text = KeyLockOf(panel->Style())->text;
                break;
            case psImage:
                text = panel->Text();
                if (images_ && panel->ImageIndex() >= 0)
                    imageWidth = images_->Width();
                break;
            default:
                continue;
        }
        if (!text.empty()) {
            RECT measured{};
            draw::DrawPanelText(canvas, 0, 0x8024, RECT{0, 0, 1000, 100}, text, canvas->Font(),
                                Enabled(), false, static_cast<int>(antiAlias_), false, false,
                                measured);
            panel->width_ =
                std::max(panel->MinWidth(),
                         static_cast<int>(measured.right - measured.left) + imageWidth + 12);
            computed = true;
        }
        if (computed && sizeGrip_ && i == panels_->Count() - 1)
            panel->width_ += 16;
    }
    Invalidate();
}

void TAdvOfficeStatusBar::WMSize(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TAdvOfficeStatusBar::WMNCHitTest(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (ComponentState().Contains(csDesigning))
        return;
    POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
    ::ScreenToClient(Handle(), &p);
    const int w = ClientWidth(), h = ClientHeight();
    if (p.y > h - GetSystemMetrics(SM_CYHSCROLL) && p.x > w - GetSystemMetrics(SM_CXHSCROLL) &&
        m.Result == HTCLIENT && SizeGripShown()) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        m.Result = HTBOTTOMRIGHT;
    } else if (p.y > h - 4 || p.x > w - 4) {
        m.Result = HTTRANSPARENT;
    }
}

void TAdvOfficeStatusBar::WMGetTextLength(TMessage& m)
{
    m.Result = static_cast<LRESULT>(simpleText_.size());
}

void TAdvOfficeStatusBar::WMSettingChange(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (m.WParam == 0 || m.WParam == SPI_SETNONCLIENTMETRICS)
        ApplySystemFont();
}

void TAdvOfficeStatusBar::CMSysFontChanged(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    ApplySystemFont();
}

void TAdvOfficeStatusBar::CMColorChanged(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (HandleAllocated())
        RecreateWnd();
}

void TAdvOfficeStatusBar::CMBiDiModeChanged(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (!HandleAllocated())
        return;
    if (simplePanel_) {
        if (UseRightToLeftAlignment())
            simpleText_ = "\t\t" + simpleText_;
    } else {
        for (int i = 0; i < panels_->Count(); ++i)
            if ((*panels_)[i]->ParentBiDiMode())
                (*panels_)[i]->bidiMode_ = BiDiMode();
    }
    Invalidate();
}

// ---- mouse, anchors, hints --------------------------------------------------------------------

std::string TAdvOfficeStatusBar::GetAnchorAt(int x, int y)
{
    RECT r;
    std::string text;
    if (simplePanel_) {
        r = RECT{1, 1, ClientWidth() - 1, ClientHeight() - 1};
        text = simpleText_;
    } else {
        const int p = PanelAtX(x);
        if (p < 0)
            return {};
        r = PanelRect(p);
        text = (*panels_)[p]->Text();
    }
    int width = 0;
    std::string anchor;
    return DrawHtml(text, r, true, x, y, width, anchor) ? anchor : std::string();
}

void TAdvOfficeStatusBar::SetDownPanel(int index)
{
    if (index == downPanel_)
        return;
    const int old = downPanel_;
    downPanel_ = index;
    InvalidatePanel(old);
    if (index >= 0)
        InvalidatePanel(index);
}

void TAdvOfficeStatusBar::SetHotPanel(int index)
{
    if (index == hotPanel_)
        return;
    const int old = hotPanel_;
    hotPanel_ = index;
    if (old >= 0)
        InvalidatePanel(old);
    if (index >= 0)
        InvalidatePanel(index);
}

void TAdvOfficeStatusBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    const int p = PanelAtX(x);
    if (p < 0) {
        SetDownPanel(-1);
    } else if (p != downPanel_) {
        SetDownPanel(-1);
        if ((*panels_)[p]->Button() && y > 0 && y < Height())
            SetDownPanel(p);
    }
    if (button == mbLeft && OnPanelClick)
        OnPanelClick(this, p);
    if (button == mbRight && OnPanelRightClick)
        OnPanelRightClick(this, p);
    const std::string anchor = GetAnchorAt(x, y);
    if (html::OpensInShell(anchor))
        html::OpenAnchorInShell(anchor);
    else if (OnAnchorClick)
        OnAnchorClick(this, anchor);
}

void TAdvOfficeStatusBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    SetDownPanel(-1);
    TCustomControl::MouseUp(button, shift, x, y);
}

void TAdvOfficeStatusBar::MouseMove(TShiftState shift, int x, int y)
{
    const std::string anchor = GetAnchorAt(x, y);
    const int p = PanelAtX(x);
    if (p != lastHintPanel_) {
        THintManager::Instance().CancelHint();
        lastHintPanel_ = p;
    }
    if (p < 0)
        SetHotPanel(-1);
    else if (p != hotPanel_)
        SetHotPanel((*panels_)[p]->Button() && y > 0 && y < Height() ? p : -1);
    if (!anchor.empty() && (Cursor() == crDefault || anchor != lastAnchor_)) {
        lastAnchor_ = anchor;
        SetCursor(crHandPoint);
        if (anchorHint_)
            THintManager::Instance().CancelHint();
        if (OnAnchorEnter)
            OnAnchorEnter(this, anchor);
    } else if (anchor.empty() && Cursor() == crHandPoint) {
        SetCursor(crDefault);
        if (OnAnchorExit)
            OnAnchorExit(this, "");
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TAdvOfficeStatusBar::WMLButtonDblClk(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    if (OnPanelDblClick)
        OnPanelDblClick(this, PanelAtX(static_cast<short>(LOWORD(m.LParam))));
}

void TAdvOfficeStatusBar::CMMouseLeave(TMessage& m)
{
    Inherited(TAdvOfficeStatusBar::StaticClass(), m);
    SetDownPanel(-1);
    SetHotPanel(-1);
}

void TAdvOfficeStatusBar::CMHintShow(TMessage& m)
{
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    m.Result = 0;
    if (!info)
        return;
    const int p = PanelAtX(info->CursorPos.x);
    if (p < 0)
        return;
    TAdvOfficeStatusPanel* panel = (*panels_)[p];
    hintCarrier_->SetOfficeHint(panel->OfficeHint());
    if (panel->Style() == psHTML && anchorHint_) {
        const std::string anchor = GetAnchorAt(info->CursorPos.x, info->CursorPos.y);
        if (!anchor.empty()) {
            POINT screen{info->CursorPos.x, info->CursorPos.y};
            ::ClientToScreen(Handle(), &screen);
            info->HintPos = POINT{screen.x + 10, screen.y - 10};
            hintCarrier_->OfficeHint()->SetTitle("");
            hintCarrier_->OfficeHint()->Notes()->SetText(anchor);
        }
    }
    info->HintControl = hintCarrier_;
}

bool TAdvOfficeStatusBar::DoHint()
{
    if (!OnHint)
        return false;
    OnHint(this);
    return true;
}

bool TAdvOfficeStatusBar::ExecuteAction(TBasicAction* action)
{
    auto* hint = dynamic_cast<THintAction*>(action);
    if (autoHint_ && hint && !DoHint()) {
        if (simplePanel_ || panels_->Count() == 0)
            SetSimpleText(hint->Hint());
        else
            (*panels_)[0]->SetText(hint->Hint());
        return true;
    }
    return TCustomControl::ExecuteAction(action);
}

void TAdvOfficeStatusBar::FlipChildren(bool)
{
    if (!HandleAllocated() || simplePanel_ || panels_->Count() == 0)
        return;
    const int count = panels_->Count();
    const int firstWidth = (*panels_)[0]->Width();
    int allButLast = 0;
    for (int i = 0; i < count - 1; ++i)
        allButLast += (*panels_)[i]->Width();
    TAdvOfficeStatusPanels copy(this);
    for (int i = 0; i < count; ++i)
        copy.Add()->Assign((*panels_)[i]);
    for (int i = 0; i < count; ++i)
        (*panels_)[i]->Assign(copy[count - 1 - i]);
    if (count > 1) {
        (*panels_)[count - 1]->SetWidth(firstWidth);
        (*panels_)[0]->SetWidth(ClientWidth() - allButLast);
    }
}

} // namespace panels
