#include "AdvOfficeButtons.h"

#include <windowsx.h>

#include <algorithm>

#include "OcBCLUtilsWin.h"
#include "html/HtmlRenderer.h"
#include "windows/Graphics.h"
#include "windows/Images.h"
#include "windows/Messages.h"
#include "windows/Screen.h"

using namespace classlib;

namespace controls {

// ---- shared pieces ----------------------------------------------------------------------------

void DrawFocusFrame(TCanvas* canvas, const RECT& r, TColor color)
{
    canvas->Pen()->SetColor(color);
    LOGBRUSH brush{BS_SOLID, ColorToRGB(color), 0};
    HPEN pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    HDC dc = canvas->Handle();
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT lines[4][2] = {{{r.left, r.top}, {r.right, r.top}},
                               {{r.right, r.top}, {r.right, r.bottom}},
                               {{r.right, r.bottom}, {r.left, r.bottom}},
                               {{r.left, r.top}, {r.left, r.bottom}}};
    for (const auto& line : lines) {
        MoveToEx(dc, line[0].x, line[0].y, nullptr);
        LineTo(dc, line[1].x, line[1].y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

namespace {

template <class T>
void Relink(TComponent* owner, T*& field, T* value)
{
    if (field == value)
        return;
    if (field)
        field->RemoveFreeNotification(owner);
    field = value;
    if (value)
        value->FreeNotification(owner);
}

bool Inside(const TControl* c, int x, int y)
{
    return x >= 0 && x <= c->Width() && y >= 0 && y <= c->Height();
}

} // namespace

// ---- common base ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TOfficeButtonControl)
{
    using B = TOfficeButtonControl;
    c.Property("Down", &B::Down, &B::SetDown).SetDefault(false);
    c.Property("ReturnIsTab", &B::ReturnIsTab, &B::SetReturnIsTab).SetDefault(false);
    c.Property("Images", &B::Images, &B::SetImages);
    AsColorProperty(c.Property("URLColor", &B::URLColor, &B::SetURLColor)).SetDefault(clBlue);
    c.Property("ButtonVertAlign", &B::ButtonVertAlign, &B::SetButtonVertAlign).SetDefault(tlTop);
    c.Property("Alignment", &B::Alignment, &B::SetAlignment).SetDefault(taLeftJustify);
    c.Property("Ellipsis", &B::Ellipsis, &B::SetEllipsis).SetDefault(false);
    c.Property("Caption", &B::Caption, &B::SetCaption);
    c.Property("PictureContainer", &B::PictureContainer, &B::SetPictureContainer);
    c.Property("ShadowOffset", &B::ShadowOffset, &B::SetShadowOffset).SetDefault(1);
    AsColorProperty(c.Property("ShadowColor", &B::ShadowColor, &B::SetShadowColor))
        .SetDefault(0x808080);
    c.Property("Version", &B::Version, &B::SetVersion).Stored(false);
    c.Property("TabStop", &B::TabStop, &B::SetTabStop).SetDefault(false);
    c.Property("OnAnchorClick", &B::OnAnchorClick);
    c.Property("OnAnchorEnter", &B::OnAnchorEnter);
    c.Property("OnAnchorExit", &B::OnAnchorExit);
    c.Property("OnEnter", &B::OnEnter);
    c.Property("OnExit", &B::OnExit);
    c.Property("OnKeyDown", &B::OnKeyDown);
    c.Property("OnKeyPress", &B::OnKeyPress);
    c.Property("OnKeyUp", &B::OnKeyUp);
}

CLASSLIB_MESSAGE_MAP(TOfficeButtonControl)
{
    using B = TOfficeButtonControl;
    m.On(WM_ERASEBKGND, &B::WMEraseBkgnd);
    m.On(CM_ENABLEDCHANGED, &B::CMEnabledChanged);
    m.On(CM_MOUSEENTER, &B::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &B::CMMouseLeave);
}

TOfficeButtonControl::TOfficeButtonControl(TComponent* owner)
    : TCustomControl(owner), pictureCache_(std::make_unique<draw::THTMLPictureCache>())
{
    SetBounds(Left(), Top(), 120, 20);
}

TOfficeButtonControl::~TOfficeButtonControl() = default;

void TOfficeButtonControl::SetImages(TCustomImageList* value)
{
    Relink(this, images_, value);
    Invalidate();
}

void TOfficeButtonControl::SetPictureContainer(draw::TPictureContainer* value)
{
    Relink(this, pictureContainer_, value);
    Invalidate();
}

void TOfficeButtonControl::SetURLColor(TColor value)
{
    if (value != urlColor_ || IsRadio()) {
        urlColor_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetButtonVertAlign(TTextLayout value)
{
    if (value != buttonVertAlign_) {
        buttonVertAlign_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetAlignment(TAlignment value)
{
    if (value != alignment_) {
        alignment_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetEllipsis(bool value)
{
    if (value != ellipsis_) {
        ellipsis_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetShadowOffset(int value)
{
    if (value != shadowOffset_) {
        shadowOffset_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetShadowColor(TColor value)
{
    if (value != shadowColor_) {
        shadowColor_ = value;
        Invalidate();
    }
}

void TOfficeButtonControl::SetCaption(const std::string& value)
{
    TCustomControl::SetCaption(value);
    Invalidate();
}

void TOfficeButtonControl::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == images_)
        images_ = nullptr;
    if (component == pictureContainer_)
        pictureContainer_ = nullptr;
}

void TOfficeButtonControl::Loaded()
{
    TCustomControl::Loaded();
    savedCursor_ = Cursor();
}

void TOfficeButtonControl::SetBounds(int left, int top, int width, int height)
{
    TCustomControl::SetBounds(left, top, width, height);
    if (HandleAllocated())
        Repaint();
}

void TOfficeButtonControl::WMEraseBkgnd(TMessage& m)
{
    m.Result = 1;
}

void TOfficeButtonControl::CMEnabledChanged(TMessage& m)
{
    Inherited(TOfficeButtonControl::StaticClass(), m);
    Invalidate();
}

void TOfficeButtonControl::CMMouseEnter(TMessage& m)
{
    if (m.LParam == 0) {
        isHot_ = true;
        if (HandleAllocated())
            DrawGlyph();
    }
    Inherited(TOfficeButtonControl::StaticClass(), m);
}

void TOfficeButtonControl::CMMouseLeave(TMessage& m)
{
    if (m.LParam == 0) {
        isHot_ = false;
        if (HandleAllocated())
            DrawGlyph();
    }
    Inherited(TOfficeButtonControl::StaticClass(), m);
}

void TOfficeButtonControl::DoEnter()
{
    TCustomControl::DoEnter();
    isFocused_ = true;
    Repaint();
}

void TOfficeButtonControl::DoExit()
{
    TCustomControl::DoExit();
    isFocused_ = false;
    const bool saved = paintParent_;
    paintParent_ = true;
    Repaint();
    paintParent_ = saved;
}

bool TOfficeButtonControl::GlyphAtRight() const
{
    return alignment_ == taRightJustify || UseRightToLeftReading();
}

void TOfficeButtonControl::InvalidateGlyphStrip(bool atRight)
{
    if (!HandleAllocated() || !Parent())
        return;
    RECT r = ClientRect();
    if (atRight)
        r.left = std::max<int>(r.left, r.right - 20);
    else
        r.right = std::min<int>(r.right, r.left + 20);
    InvalidateRect(Handle(), &r, TRUE);
}

void TOfficeButtonControl::DrawGlyph()
{
    const bool checked = ShowsChecked();
    std::string name =
        IsRadio() ? (checked ? "HalskOFRC" : "HalskOFRU") : (checked ? "HalskOFCC" : "HalskOFCU");
    if (down_)
        name += "D";
    else if (isHot_)
        name += "H";
    // The glyphs are resources of the program; a program built without them shows no glyph.
    if (!FindResourceA(GetModuleHandleA(nullptr), name.c_str(), MAKEINTRESOURCEA(2)))
        return;
    TBitmap glyph;
    glyph.LoadFromResourceName(nullptr, name);
    glyph.SetTransparent(true);
    const RECT client = ClientRect();
    int y = 4;
    if (buttonVertAlign_ == tlCenter)
        y = (client.bottom - client.top) / 2 - glyph.Height() / 2;
    else if (buttonVertAlign_ == tlBottom)
        y = client.bottom - glyph.Height() - (IsRadio() ? 2 : 0);
    const int x = GlyphAtRight() ? client.right - glyph.Width() - 1 : 0;
    Canvas()->Draw(x, y, &glyph);
}

bool TOfficeButtonControl::RenderCaption(html::HtmlDrawRequest& q, const RECT& rect,
                                         bool hitTestOnly, bool measureOnly, TColor linkColor,
                                         int x, int y, std::string* anchor, SIZE* textSize)
{
    q.Canvas = Canvas();
    q.Text = Caption();
    q.Rect = rect;
    q.Images = images_;
    q.X = x;
    q.Y = y;
    q.FocusIndex = -1;
    q.HotIndex = -1;
    q.ShadowOffset = shadowOffset_;
    q.HitTestOnly = hitTestOnly;
    q.MeasureOnly = measureOnly;
    q.ScaleImages = false;
    q.PlainColors = false;
    q.BlinkPhase = false;
    q.HotEffects = false;
    q.WordWrap = !ellipsis_;
    q.ImageScale = 1.0;
    q.LinkColor = linkColor;
    q.HotBackColor = clNone;
    q.HotTextColor = clNone;
    q.ShadowColor = shadowColor_;
    q.PictureCache = pictureCache_.get();
    q.PictureContainer = pictureContainer_;
    q.LineSpacing = 0;
    html::HtmlDrawResult result;
    const bool hit = html::DrawHtmlText(q, result);
    if (anchor)
        *anchor = hit ? result.HitAnchor : std::string();
    if (textSize)
        *textSize = SIZE{result.TextWidth, result.TextHeight};
    return hit;
}

void TOfficeButtonControl::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    if (paintParent_ && Parent())
        PaintParentBackground(canvas->Handle());
    DrawGlyph();

    const RECT client = ClientRect();
    RECT r = client;
    r.top += 4;
    const int indent = IsRadio() ? 18 : 16;
    if (GlyphAtRight()) {
        r.left = 0;
        r.right = client.right - indent;
    } else {
        r.left = indent;
    }
    html::HtmlDrawRequest q;
    SIZE text{};
    RenderCaption(q, r, true, false, IsRadio() ? TColor(0x808080) : urlColor_, 0, 0, nullptr,
                  &text);
    if (UseRightToLeftReading())
        r.left = r.right - text.cx - 3;
    if (IsRadio() && (buttonVertAlign_ == tlCenter || buttonVertAlign_ == tlBottom)) {
        RenderCaption(q, r, false, true, 0x808080, 0, 0, nullptr, &text);
        if (buttonVertAlign_ == tlCenter)
            r.top = (r.top - 3) + (r.bottom - r.top - text.cy) / 2;
        else
            r.top = r.bottom - text.cy - 3;
    }
    if (Enabled()) {
        canvas->Font()->Assign(Font());
        RenderCaption(q, r, false, false, urlColor_, 0, 0, nullptr, nullptr);
    } else {
        // Engraved: white one pixel right and down, grey on top.
        OffsetRect(&r, 1, 1);
        canvas->Font()->SetColor(clWhite);
        RenderCaption(q, r, false, false, clWhite, 0, 0, nullptr, nullptr);
        OffsetRect(&r, -1, -1);
        canvas->Font()->SetColor(0x808080);
        RenderCaption(q, r, false, false, 0x808080, 0, 0, nullptr, nullptr);
    }
    if (isFocused_) {
        r.right = r.left + text.cx + 3;
        r.bottom = r.top + text.cy;
        DrawFocusFrame(canvas, r, clBlack);
    }
}

std::string TOfficeButtonControl::GetAnchorAt(int x, int y)
{
    RECT r = ClientRect();
    r.left = 17;
    r.top += 4;
    html::HtmlDrawRequest q;
    std::string anchor;
    Canvas()->Font()->Assign(Font());
    RenderCaption(q, r, true, false, urlColor_, x, y, &anchor, nullptr);
    return anchor;
}

void TOfficeButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    isPressed_ = true;
    std::string anchor;
    if (isFocused_) {
        anchor = GetAnchorAt(x, y);
        if (!anchor.empty()) {
            if (html::OpensInShell(anchor))
                html::OpenAnchorInShell(anchor);
            else if (OnAnchorClick)
                OnAnchorClick(this, anchor);
        }
    } else if (CanFocus() && !ComponentState().Contains(csDesigning)) {
        SetFocus();
        isFocused_ = true;
    }
    if (anchor.empty()) {
        TCustomControl::MouseDown(button, shift, x, y);
        SetMouseCapture(true);
        down_ = true;
    }
    InvalidateGlyphStrip(false);
}

void TOfficeButtonControl::MouseMove(TShiftState shift, int x, int y)
{
    if (MouseCapture())
        down_ = Inside(this, x, y);
    const std::string anchor = isFocused_ ? GetAnchorAt(x, y) : std::string();
    if (!anchor.empty()) {
        if (Cursor() == crDefault || anchor != lastAnchor_) {
            lastAnchor_ = anchor;
            SetCursor(crHandPoint);
            if (OnAnchorEnter)
                OnAnchorEnter(this, anchor);
        }
    } else if (Cursor() == crHandPoint) {
        SetCursor(savedCursor_);
        if (OnAnchorExit)
            OnAnchorExit(this, std::string());
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TOfficeButtonControl::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_RETURN && returnIsTab_) {
        key = VK_TAB;
        PostMessageA(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (key == VK_SPACE)
        down_ = true;
    TCustomControl::KeyDown(key, shift);
}

// ---- check box --------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomAdvOfficeCheckBox)
{
    using B = TCustomAdvOfficeCheckBox;
    c.Property("State", &B::State, &B::SetState).SetDefault(cbUnchecked);
    c.Property("ReadOnly", &B::ReadOnly, &B::SetReadOnly).SetDefault(false);
}

CLASSLIB_PUBLISH(TAdvOfficeCheckBox)
{
    c.Property("Checked", &TAdvOfficeCheckBox::Checked, &TAdvOfficeCheckBox::SetChecked)
        .SetDefault(false);
}

CLASSLIB_MESSAGE_MAP(TCustomAdvOfficeCheckBox)
{
    m.On(CM_DIALOGCHAR, &TCustomAdvOfficeCheckBox::CMDialogChar);
}

TCustomAdvOfficeCheckBox::TCustomAdvOfficeCheckBox(TComponent* owner) : TOfficeButtonControl(owner)
{
    controlStyle_.Exclude(csClickEvents);
}

void TCustomAdvOfficeCheckBox::SetState(TCheckBoxState value)
{
    if (value == state_)
        return;
    state_ = value;
    InvalidateGlyphStrip(Alignment() == taRightJustify);
}

void TAdvOfficeCheckBox::SetChecked(bool value)
{
    SetState(value ? cbChecked : cbUnchecked);
    Invalidate();
}

void TCustomAdvOfficeCheckBox::Toggle()
{
    if (!readOnly_)
        SetState(state_ == cbChecked ? cbUnchecked : cbChecked);
}

void TCustomAdvOfficeCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    SetMouseCapture(false);
    down_ = false;
    if (Inside(this, x, y) && isFocused_ && isPressed_) {
        inClick_ = true;
        Toggle();
        inClick_ = false;
        TControl::Click();
    }
    TOfficeButtonControl::MouseUp(button, shift, x, y);
    InvalidateGlyphStrip(false);
    isPressed_ = false;
}

void TCustomAdvOfficeCheckBox::KeyUp(WORD& key, TShiftState)
{
    if (key != VK_SPACE)
        return;
    down_ = false;
    Toggle();
    TControl::Click();
}

void TCustomAdvOfficeCheckBox::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        Toggle();
        if (OnClick)
            OnClick(this);
        if (TabStop() && !ComponentState().Contains(csDesigning))
            SetFocus();
        m.Result = 1;
        return;
    }
    Inherited(TCustomAdvOfficeCheckBox::StaticClass(), m);
}

// ---- radio button -----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvOfficeRadioButton)
{
    using B = TAdvOfficeRadioButton;
    c.Property("Checked", &B::Checked, &B::SetChecked).SetDefault(false);
    c.Property("GroupIndex", &B::GroupIndex, &B::SetGroupIndex).SetDefault(0);
}

CLASSLIB_MESSAGE_MAP(TAdvOfficeRadioButton)
{
    m.On(WM_LBUTTONDOWN, &TAdvOfficeRadioButton::WMLButtonDown);
    m.On(CM_DIALOGCHAR, &TAdvOfficeRadioButton::CMDialogChar);
}

TAdvOfficeRadioButton::TAdvOfficeRadioButton(TComponent* owner) : TOfficeButtonControl(owner)
{
    TCustomControl::SetCaption(ClassName());
    SetBounds(Left(), Top(), 135, 20);
}

void TAdvOfficeRadioButton::SetChecked(bool value)
{
    if (value == checked_)
        return;
    SetTabStop(value);
    checked_ = value;
    if (value) {
        if (TWinControl* parent = Parent()) {
            for (int i = 0; i < parent->ControlCount(); ++i) {
                auto* sibling = dynamic_cast<TAdvOfficeRadioButton*>(parent->Controls(i));
                if (sibling && sibling != this && sibling->GroupIndex() == groupIndex_)
                    sibling->SetChecked(false);
            }
        }
        if (!inClick_)
            DoClick();
    }
    InvalidateGlyphStrip(BiDiMode() != bdLeftToRight);
}

void TAdvOfficeRadioButton::DoClick()
{
    if (OnClick)
        OnClick(this);
}

void TAdvOfficeRadioButton::DoEnter()
{
    TCustomControl::DoEnter();
    isFocused_ = true;
    SetChecked(true);
    Repaint();
}

void TAdvOfficeRadioButton::WMLButtonDown(TMessage& m)
{
    inClick_ = true;
    if (CanFocus() && !ComponentState().Contains(csDesigning))
        SetFocus();
    inClick_ = false;
    Inherited(TAdvOfficeRadioButton::StaticClass(), m);
}

void TAdvOfficeRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    SetMouseCapture(false);
    down_ = false;
    if (Inside(this, x, y) && !checked_ && isPressed_)
        SetChecked(true);
    TOfficeButtonControl::MouseUp(button, shift, x, y);
    DoClick();
    InvalidateGlyphStrip(false);
    isPressed_ = false;
}

void TAdvOfficeRadioButton::KeyUp(WORD& key, TShiftState)
{
    if (key != VK_SPACE)
        return;
    down_ = false;
    if (!checked_)
        SetChecked(true);
}

void TAdvOfficeRadioButton::CMDialogChar(TMessage& m)
{
    if (IsAccel(static_cast<WORD>(m.WParam), Caption()) && CanFocus()) {
        SetChecked(true);
        if (TabStop() && !ComponentState().Contains(csDesigning))
            SetFocus();
        m.Result = 1;
        return;
    }
    Inherited(TAdvOfficeRadioButton::StaticClass(), m);
}

// ---- group button -----------------------------------------------------------------------------

CLASSLIB_PUBLISH(TAdvGroupButton) {}

TAdvGroupButton::TAdvGroupButton(TCustomAdvOfficeRadioGroup* group)
    : TAdvOfficeRadioButton(group), group_(group)
{
    SetVisible(false);
    SetEnabled(group->Enabled());
    SetParentShowHint(false);
    OnClick = TNotifyEvent(group, &TCustomAdvOfficeRadioGroup::ButtonClick);
    SetParent(group);
    group->buttons_.push_back(this);
}

TAdvGroupButton::~TAdvGroupButton()
{
    auto& list = group_->buttons_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TAdvGroupButton::KeyDown(WORD& key, TShiftState shift)
{
    TAdvOfficeRadioButton::KeyDown(key, shift);
    group_->GroupKeyDown(key, shift);
}

void TAdvGroupButton::KeyPress(char& key)
{
    TAdvOfficeRadioButton::KeyPress(key);
    group_->GroupKeyPress(key);
    if ((key == '\b' || key == ' ') && !group_->CanModify())
        key = 0;
}

// ---- radio group ------------------------------------------------------------------------------

CLASSLIB_PUBLISH(TCustomAdvOfficeRadioGroup) {}

CLASSLIB_PUBLISH(TAdvOfficeRadioGroup)
{
    using G = TAdvOfficeRadioGroup;
    c.Property("Items", &G::Items, &G::SetItems);
    c.Property("ItemIndex", &G::ItemIndex, &G::SetItemIndex).SetDefault(-1);
    c.Property("Columns", &G::Columns, &G::SetColumns).SetDefault(1);
    c.Property("Alignment", &G::Alignment, &G::SetAlignment).SetDefault(taLeftJustify);
    c.Property("ButtonVertAlign", &G::ButtonVertAlign, &G::SetButtonVertAlign).SetDefault(tlTop);
    c.Property("Images", &G::Images, &G::SetImages);
    c.Property("PictureContainer", &G::PictureContainer, &G::SetPictureContainer);
    c.Property("Ellipsis", &G::Ellipsis, &G::SetEllipsis).SetDefault(false);
    c.Property("ShadowOffset", &G::ShadowOffset, &G::SetShadowOffset).SetDefault(1);
    AsColorProperty(c.Property("ShadowColor", &G::ShadowColor, &G::SetShadowColor))
        .SetDefault(0xC0C0C0);
    c.Property("Version", &G::Version, &G::SetVersion).Stored(false);
    c.Property("OnIsEnabled", &G::OnIsEnabled);
}

CLASSLIB_MESSAGE_MAP(TCustomAdvOfficeRadioGroup)
{
    using G = TCustomAdvOfficeRadioGroup;
    m.On(CM_ENABLEDCHANGED, &G::CMEnabledChanged);
    m.On(CM_FONTCHANGED, &G::CMFontChanged);
    m.On(WM_SIZE, &G::WMSize);
}

TCustomAdvOfficeRadioGroup::TCustomAdvOfficeRadioGroup(TComponent* owner)
    : TAdvGroupBox(owner), items_(std::make_unique<TStringList>())
{
    controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
    items_->OnChange = TNotifyEvent(this, &TCustomAdvOfficeRadioGroup::ItemsChange);
}

TCustomAdvOfficeRadioGroup::~TCustomAdvOfficeRadioGroup()
{
    SetButtonCount(0);
    items_->OnChange = TNotifyEvent();
}

void TCustomAdvOfficeRadioGroup::SetColumns(int value)
{
    value = std::clamp(value, 1, 16);
    if (value != columns_) {
        columns_ = value;
        ArrangeButtons();
        Invalidate();
    }
}

void TCustomAdvOfficeRadioGroup::SetItemIndex(int value)
{
    if (reading_ || ComponentState().Contains(csLoading)) {
        // Kept as given until the items are there (UpdateButtons clamps it).
        itemIndex_ = value;
        return;
    }
    value = std::clamp(value, -1, ButtonCount() - 1);
    if (value == itemIndex_)
        return;
    if (itemIndex_ >= 0 && itemIndex_ < ButtonCount())
        buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(false);
    itemIndex_ = value;
    if (itemIndex_ >= 0)
        buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
}

void TCustomAdvOfficeRadioGroup::SetAlignment(TAlignment value)
{
    alignment_ = value;
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetButtonVertAlign(TTextLayout value)
{
    buttonVertAlign_ = value;
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetImages(TCustomImageList* value)
{
    TAdvGroupBox::SetImages(value);
    Relink(this, buttonImages_, value);
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetPictureContainer(draw::TPictureContainer* value)
{
    Relink(this, pictureContainer_, value);
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetEllipsis(bool value)
{
    ellipsis_ = value;
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetShadowOffset(int value)
{
    shadowOffset_ = value;
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::SetShadowColor(TColor value)
{
    shadowColor_ = value;
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::Notification(TComponent* component, TOperation operation)
{
    TAdvGroupBox::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == buttonImages_)
        buttonImages_ = nullptr;
    if (component == pictureContainer_)
        pictureContainer_ = nullptr;
}

void TCustomAdvOfficeRadioGroup::ReadState(TReader& reader)
{
    reading_ = true;
    try {
        TAdvGroupBox::ReadState(reader);
    } catch (...) {
        reading_ = false;
        throw;
    }
    reading_ = false;
    UpdateButtons();
}

void TCustomAdvOfficeRadioGroup::Loaded()
{
    TAdvGroupBox::Loaded();
    UpdateButtons();
}

void TCustomAdvOfficeRadioGroup::ButtonClick(TObject* sender)
{
    if (updating_)
        return;
    auto found = std::find(buttons_.begin(), buttons_.end(), sender);
    if (found != buttons_.end())
        itemIndex_ = static_cast<int>(found - buttons_.begin());
    Changed();
    Click();
}

void TCustomAdvOfficeRadioGroup::ItemsChange(TObject*)
{
    if (reading_)
        return;
    if (itemIndex_ >= items_->Count())
        itemIndex_ = items_->Count() - 1;
    UpdateButtons();
}

void TCustomAdvOfficeRadioGroup::SetButtonCount(int count)
{
    while (ButtonCount() < count)
        new TAdvGroupButton(this);
    while (ButtonCount() > count)
        delete buttons_.back(); // the button leaves the list as it goes
}

void TCustomAdvOfficeRadioGroup::UpdateButtons()
{
    if (reading_ || ComponentState().Contains(csLoading))
        return;
    SetButtonCount(items_->Count());
    for (int i = 0; i < ButtonCount(); ++i)
        buttons_[static_cast<size_t>(i)]->SetCaption(items_->Strings(i));
    // An index given before the items existed (a layout lists ItemIndex before Items) is
    // clamped here, never used past the last button.
    itemIndex_ = std::min(itemIndex_, ButtonCount() - 1);
    if (itemIndex_ >= 0) {
        updating_ = true;
        buttons_[static_cast<size_t>(itemIndex_)]->SetChecked(true);
        updating_ = false;
    }
    ArrangeButtons();
    Invalidate();
}

void TCustomAdvOfficeRadioGroup::ArrangeButtons()
{
    if (ComponentState().Contains(csLoading) || !HandleAllocated() || buttons_.empty() || reading_)
        return;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int tm = metrics.tmHeight;
    const int count = ButtonCount();
    const int rows = (count + columns_ - 1) / columns_;
    const int cw = (Width() - 10) / columns_;
    const int a = Height() - tm - 5;
    const int rh = a / rows;
    int margin = (a % rows) / 2 + tm + 1;
    if (Caption().empty())
        margin -= tm / 2;
    for (int i = 0; i < count; ++i) {
        TAdvGroupButton* button = buttons_[static_cast<size_t>(i)];
        button->SetBiDiMode(BiDiMode());
        button->SetPaintParent(false);
        button->SetAlignment(alignment_ == taRightJustify ? taRightJustify : taLeftJustify);
        button->SetButtonVertAlign(buttonVertAlign_);
        button->SetImages(buttonImages_);
        button->SetPictureContainer(pictureContainer_);
        button->SetEllipsis(ellipsis_);
        button->SetShadowOffset(shadowOffset_);
        button->SetShadowColor(shadowColor_);
        bool enabled = Enabled() && button->Enabled();
        if (OnIsEnabled)
            OnIsEnabled(this, i, enabled);
        button->SetEnabled(enabled);
        int x = (i / rows) * cw + 8;
        if (button->UseRightToLeftReading())
            x = ClientWidth() - x - cw;
        const int y = (i % rows) * rh + margin;
        button->SetBounds(x, y, cw, rh);
        button->SetVisible(true);
    }
}

void TCustomAdvOfficeRadioGroup::CMEnabledChanged(TMessage& m)
{
    Inherited(TCustomAdvOfficeRadioGroup::StaticClass(), m);
    for (TAdvGroupButton* button : buttons_)
        button->SetEnabled(Enabled());
}

void TCustomAdvOfficeRadioGroup::CMFontChanged(TMessage& m)
{
    Inherited(TCustomAdvOfficeRadioGroup::StaticClass(), m);
    ArrangeButtons();
}

void TCustomAdvOfficeRadioGroup::WMSize(TMessage& m)
{
    Inherited(TCustomAdvOfficeRadioGroup::StaticClass(), m);
    ArrangeButtons();
}

} // namespace controls
