#include "HTMLComboBox.h"

#include "html/AnchorLinks.h"
#include "draw/OcTypes.h"
#include "draw/PictureContainer.h"
#include "html/HtmlMarkup.h"
#include "html/HtmlRenderer.h"
#include "core/StringList.h"
#include "windows/Screen.h"

#include <algorithm>

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TBaseCustomComboBox) {}

CLASSLIB_PUBLISH(THTMLComboBox)
{
    c.Property("AutoFocus", &THTMLComboBox::AutoFocus, &THTMLComboBox::SetAutoFocus)
        .SetDefault(false);
    c.Property("ButtonWidth", &THTMLComboBox::ButtonWidth, &THTMLComboBox::SetButtonWidth);
    c.Property("Style", &THTMLComboBox::Style, &THTMLComboBox::SetStyle)
        .SetDefault(csOwnerDrawFixed);
    c.Property("Flat", &THTMLComboBox::Flat, &THTMLComboBox::SetFlat).SetDefault(false);
    c.Property("Etched", &THTMLComboBox::Etched, &THTMLComboBox::SetEtched).SetDefault(false);
    c.Property("FocusBorder", &THTMLComboBox::FocusBorder, &THTMLComboBox::SetFocusBorder)
        .SetDefault(false);
    c.Property("Ctl3D", &THTMLComboBox::Ctl3D, &THTMLComboBox::SetCtl3D);
    c.Property("DropWidth", &THTMLComboBox::DropWidth, &THTMLComboBox::SetDropWidth);
    c.Property("DropHeight", &THTMLComboBox::DropHeight, &THTMLComboBox::SetDropHeight)
        .SetDefault(200);
    c.Property("EditHeight", &THTMLComboBox::EditHeight, &THTMLComboBox::SetEditHeight);
    c.Property("Ellipsis", &THTMLComboBox::Ellipsis, &THTMLComboBox::SetEllipsis).SetDefault(false);
    c.Property("HTMLHint", &THTMLComboBox::HTMLHint, &THTMLComboBox::SetHTMLHint).SetDefault(false);
    c.Property("Images", &THTMLComboBox::Images, &THTMLComboBox::SetImages);
    c.Property("IncrLookup", &THTMLComboBox::IncrLookup, &THTMLComboBox::SetIncrLookup)
        .SetDefault(false);
    c.Property("ItemHint", &THTMLComboBox::ItemHint, &THTMLComboBox::SetItemHint).SetDefault(false);
    c.Property("Items", &THTMLComboBox::Items, &THTMLComboBox::SetItems);
    c.Property("ItemIndex", &THTMLComboBox::ItemIndex, &THTMLComboBox::SetItemIndex).SetDefault(-1);
    c.Property("MaxLength", &THTMLComboBox::MaxLength, &THTMLComboBox::SetMaxLength).SetDefault(0);
    c.Property("ParentColor", &THTMLComboBox::ParentColor, &THTMLComboBox::SetParentColor)
        .SetDefault(false);
    c.Property("PictureContainer", &THTMLComboBox::PictureContainer,
               &THTMLComboBox::SetPictureContainer);
    AsColorProperty(
        c.Property("ShadowColor", &THTMLComboBox::ShadowColor, &THTMLComboBox::SetShadowColor))
        .SetDefault(clBlack);
    c.Property("ShadowOffset", &THTMLComboBox::ShadowOffset, &THTMLComboBox::SetShadowOffset)
        .SetDefault(0);
    c.Property("Sorted", &THTMLComboBox::Sorted, &THTMLComboBox::SetSorted).SetDefault(false);
    AsColorProperty(c.Property("URLColor", &THTMLComboBox::URLColor, &THTMLComboBox::SetURLColor))
        .SetDefault(clBlue);
    c.Property("OnChange", &THTMLComboBox::OnChange);
    c.Property("OnCloseUp", &THTMLComboBox::OnCloseUp);
    c.Property("OnDrawItem", &THTMLComboBox::OnDrawItem);
    c.Property("OnDropDown", &THTMLComboBox::OnDropDown);
    c.Property("OnMeasureItem", &THTMLComboBox::OnMeasureItem);
    c.Property("OnAnchorClick", &THTMLComboBox::OnAnchorClick);
    c.Property("OnAnchorEnter", &THTMLComboBox::OnAnchorEnter);
    c.Property("OnAnchorExit", &THTMLComboBox::OnAnchorExit);
    c.Property("Version", &THTMLComboBox::Version, &THTMLComboBox::SetVersion).Stored(false);
}

CLASSLIB_MESSAGE_MAP(TBaseCustomComboBox)
{
    m.On(CM_ENTER, &TBaseCustomComboBox::CMEnter);
    m.On(CM_EXIT, &TBaseCustomComboBox::CMExit);
    m.On(CM_MOUSEENTER, &TBaseCustomComboBox::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TBaseCustomComboBox::CMMouseLeave);
    m.On(CM_ENABLEDCHANGED, &TBaseCustomComboBox::CMEnabledChanged);
    m.On(CN_COMMAND, &TBaseCustomComboBox::CNCommand);
    m.On(WM_PAINT, &TBaseCustomComboBox::WMPaint);
    m.On(WM_NCPAINT, &TBaseCustomComboBox::WMNCPaint);
}

CLASSLIB_MESSAGE_MAP(THTMLComboBox)
{
    m.On(CN_COMMAND, &THTMLComboBox::CNCommand);
    m.On(CM_HINTSHOW, &THTMLComboBox::CMHintShow);
    m.On(WM_LBUTTONDOWN, &THTMLComboBox::WMLButtonDown);
    m.On(WM_CHAR, &THTMLComboBox::WMChar);
}

// ---- TBaseCustomComboBox: the flat look ------------------------------------------------------

TBaseCustomComboBox::TBaseCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner),
      savedColor_(Color()),
      savedParentColor_(ParentColor()),
      buttonWidth_(GetSystemMetrics(SM_CXVSCROLL) + 2)
{
}

void TBaseCustomComboBox::SetFlat(bool value)
{
    if (value == flat_)
        return;
    flat_ = value;
    SetCtl3D(!value);
    Invalidate();
}

void TBaseCustomComboBox::SetEtched(bool value)
{
    if (value == etched_)
        return;
    etched_ = value;
    Invalidate();
}

void TBaseCustomComboBox::SetButtonWidth(int value)
{
    if (value < 14 || value > 32)
        return;
    buttonWidth_ = value;
    Invalidate();
}

bool TBaseCustomComboBox::ShowsFocusFrame() const
{
    const bool designing = ComponentState().Contains(csDesigning);
    return !designing &&
           (mouseInControl_ || (HandleAllocated() &&
                                GetFocus() == const_cast<TBaseCustomComboBox*>(this)->Handle())) &&
           focusBorder_;
}

bool TBaseCustomComboBox::ShowsButtonEdge() const
{
    if (ComponentState().Contains(csDesigning))
        return Enabled();
    return mouseInControl_ ||
           (HandleAllocated() && GetFocus() == const_cast<TBaseCustomComboBox*>(this)->Handle());
}

void TBaseCustomComboBox::DrawFlatFrame(HDC dc, RECT rect)
{
    const auto ring = [dc](RECT& r, COLORREF color) {
        HBRUSH brush = CreateSolidBrush(color);
        FrameRect(dc, &r, brush);
        DeleteObject(brush);
        InflateRect(&r, -1, -1);
    };
    if (ShowsFocusFrame()) {
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        ring(rect, GetSysColor(COLOR_BTNFACE));
    } else {
        const COLORREF parentColor = ColorToRGB(Parent() ? Parent()->Color() : Color());
        ring(rect, parentColor);
        ring(rect, parentColor);
    }
    ring(rect, ColorToRGB(Color()));
}

void TBaseCustomComboBox::DrawFlatButton(HDC dc, RECT windowRect)
{
    const RECT client = ClientRect();
    const int clientWidth = client.right - client.left;
    const int clientHeight = client.bottom - client.top;
    // The native arrow stays: only the area around it is painted.
    ExcludeClipRect(dc, clientWidth - buttonWidth_ + 4, 4, clientWidth - 4, clientHeight - 4);
    RECT button = windowRect;
    button.left = clientWidth - buttonWidth_ - 2;
    InflateRect(&button, -2, -2);
    if (ShowsButtonEdge()) {
        UINT flags = BF_RECT;
        if (DroppedDown())
            flags |= BF_FLAT;
        DrawEdge(dc, &button, etched_ ? EDGE_ETCHED : EDGE_RAISED, flags);
    } else {
        RECT face = button;
        InflateRect(&face, 0, -1);
        face.right -= 1;
        FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    }
    ExcludeClipRect(dc, button.left, button.top, button.right, button.bottom);
}

void TBaseCustomComboBox::DrawFlatFrameAndButton()
{
    if (!flat_ || !HandleAllocated())
        return;
    HDC dc = GetWindowDC(Handle());
    RECT windowRect;
    GetWindowRect(Handle(), &windowRect);
    OffsetRect(&windowRect, -windowRect.left, -windowRect.top);
    DrawFlatFrame(dc, windowRect);
    if (Style() != csSimple)
        DrawFlatButton(dc, windowRect);
    ReleaseDC(Handle(), dc);
}

void TBaseCustomComboBox::WMPaint(TMessage& m)
{
    if (!flat_) {
        Inherited(TBaseCustomComboBox::StaticClass(), m);
        return;
    }
    PAINTSTRUCT paint{};
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    const bool begun = dc == nullptr;
    if (begun)
        dc = BeginPaint(Handle(), &paint);
    if (Style() != csSimple) {
        const RECT client = ClientRect();
        const int clientWidth = client.right - client.left;
        HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        RECT glyph = client;
        glyph.left = clientWidth - buttonWidth_;
        InflateRect(&glyph, -1, -1);
        DrawFrameControl(dc, &glyph, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
        ExcludeClipRect(dc, clientWidth - buttonWidth_ - 2, 0, clientWidth, client.bottom);
    }
    TMessage native = m;
    native.WParam = reinterpret_cast<WPARAM>(dc);
    Inherited(TBaseCustomComboBox::StaticClass(), native);
    if (begun)
        EndPaint(Handle(), &paint);
    DrawFlatFrameAndButton();
}

void TBaseCustomComboBox::WMNCPaint(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    DrawFlatFrameAndButton();
}

void TBaseCustomComboBox::CMEnter(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    if (!ComponentState().Contains(csDesigning))
        DrawFlatFrameAndButton();
}

void TBaseCustomComboBox::CMExit(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    if (!ComponentState().Contains(csDesigning))
        DrawFlatFrameAndButton();
}

void TBaseCustomComboBox::CMMouseEnter(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    if (!mouseInControl_ && Enabled()) {
        mouseInControl_ = true;
        DrawFlatFrameAndButton();
    }
    if (autoFocus_ && CanFocus())
        SetFocus();
}

void TBaseCustomComboBox::CMMouseLeave(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    if (mouseInControl_ && Enabled()) {
        mouseInControl_ = false;
        DrawFlatFrameAndButton();
    }
}

void TBaseCustomComboBox::CMEnabledChanged(TMessage& m)
{
    if (flat_) {
        if (Enabled()) {
            SetParentColor(savedParentColor_);
            if (!savedParentColor_)
                SetColor(savedColor_);
        } else {
            savedParentColor_ = ParentColor();
            savedColor_ = Color();
            SetParentColor(true);
        }
    }
    Inherited(TBaseCustomComboBox::StaticClass(), m);
}

void TBaseCustomComboBox::CNCommand(TMessage& m)
{
    Inherited(TBaseCustomComboBox::StaticClass(), m);
    const WORD code = HIWORD(m.WParam);
    if ((code == CBN_DROPDOWN || code == CBN_CLOSEUP) && HandleAllocated()) {
        RECT button = ClientRect();
        button.left = button.right - buttonWidth_;
        ::InvalidateRect(Handle(), &button, FALSE);
    }
}

// ---- THTMLComboBox ---------------------------------------------------------------------------

THTMLComboBox::THTMLComboBox(TComponent* owner)
    : TBaseCustomComboBox(owner), pictureCache_(new draw::THTMLPictureCache)
{
    SetStyle(csOwnerDrawFixed);
}

THTMLComboBox::~THTMLComboBox()
{
    pictureCache_->ClearPictures();
}

std::string THTMLComboBox::Version() const
{
    return draw::VersionText(GetVersionNr());
}

void THTMLComboBox::SetStyle(TComboBoxStyle)
{
    TBaseCustomComboBox::SetStyle(csOwnerDrawFixed);
}

int THTMLComboBox::DropWidth() const
{
    if (!HandleAllocated())
        return pendingDropWidth_;
    return static_cast<int>(
        SendMessageA(const_cast<THTMLComboBox*>(this)->Handle(), CB_GETDROPPEDWIDTH, 0, 0));
}

void THTMLComboBox::SetDropWidth(int value)
{
    pendingDropWidth_ = value;
    if (HandleAllocated())
        SendMessageA(Handle(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(value), 0);
}

int THTMLComboBox::EditHeight() const
{
    if (!HandleAllocated())
        return pendingEditHeight_;
    return static_cast<int>(SendMessageA(const_cast<THTMLComboBox*>(this)->Handle(),
                                         CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
}

void THTMLComboBox::SetEditHeight(int value)
{
    pendingEditHeight_ = value;
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
    SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, value);
}

// The window takes the sizes set while it did not exist (a form layout sets them before any
// window is made), after the font it gets on creation (which resizes the edit field).
void THTMLComboBox::CreateHandle()
{
    TBaseCustomComboBox::CreateHandle();
    if (pendingDropWidth_ >= 0)
        SendMessageA(Handle(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(pendingDropWidth_), 0);
    if (pendingEditHeight_ >= 0) {
        SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), pendingEditHeight_);
        SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, pendingEditHeight_);
    }
}

void THTMLComboBox::SetImages(TCustomImageList* value)
{
    images_ = value;
    if (value)
        value->FreeNotification(this);
    Repaint();
}

void THTMLComboBox::SetURLColor(TColor value)
{
    urlColor_ = value;
    Repaint();
}

void THTMLComboBox::SetEllipsis(bool value)
{
    ellipsis_ = value;
    Invalidate();
}

void THTMLComboBox::SetShadowOffset(int value)
{
    shadowOffset_ = value;
    Invalidate();
}

void THTMLComboBox::SetShadowColor(TColor value)
{
    shadowColor_ = value;
    Invalidate();
}

void THTMLComboBox::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove) {
        if (component == images_)
            images_ = nullptr;
        if (component == pictureContainer_)
            pictureContainer_ = nullptr;
    }
    TBaseCustomComboBox::Notification(component, operation);
}

namespace {

// The inputs every item rendering shares.
html::HtmlDrawRequest ItemRequest(TCanvas* canvas, const std::string& text, const RECT& rect, int x,
                                  int y)
{
    html::HtmlDrawRequest request;
    request.Canvas = canvas;
    request.Text = text;
    request.Rect = rect;
    request.X = x;
    request.Y = y;
    request.FocusIndex = -1;
    request.HotIndex = -1;
    request.ScaleImages = false;
    request.BlinkPhase = true;
    request.HotEffects = false;
    request.ImageScale = 1.0;
    request.HotBackColor = clNone;
    request.HotTextColor = clNone;
    request.LineSpacing = 0;
    return request;
}

} // namespace

void THTMLComboBox::DrawItem(int index, RECT rect, TOwnerDrawState state)
{
    TCanvas* canvas = Canvas();
    const bool selected = state.Contains(odSelected);
    const TColor back = selected ? clHighlight : Color();
    canvas->Brush()->SetColor(back);
    canvas->Pen()->SetColor(back);
    canvas->Font()->SetColor(selected ? clHighlightText : Font()->Color());
    canvas->Rectangle(rect);
    OffsetRect(&rect, 2, 0);
    if (ValidIndex(index)) {
        html::HtmlDrawRequest request = ItemRequest(canvas, Items()->Strings(index), rect, 0, 0);
        request.Images = images_;
        request.ShadowOffset = shadowOffset_;
        request.PlainColors = selected;
        request.WordWrap = !ellipsis_;
        request.LinkColor = selected ? clHighlightText : urlColor_;
        request.ShadowColor = shadowColor_;
        request.PictureCache = pictureCache_.get();
        request.PictureContainer = pictureContainer_;
        html::HtmlDrawResult result;
        html::DrawHtmlText(request, result);
    }
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetColor(Color());
}

THTMLComboBox::Rendered THTMLComboBox::RenderOnWindowDC(int index, const RECT& rect, int x, int y,
                                                        bool hitTestOnly, bool measureOnly)
{
    HDC dc = GetDC(Handle());
    TCanvas canvas;
    canvas.SetHandle(dc);
    html::HtmlDrawRequest request = ItemRequest(&canvas, Items()->Strings(index), rect, x, y);
    request.Images = images_;
    request.ShadowOffset = shadowOffset_;
    request.HitTestOnly = hitTestOnly;
    request.MeasureOnly = measureOnly;
    request.PlainColors = true;
    request.WordWrap = !ellipsis_;
    request.LinkColor = urlColor_;
    request.ShadowColor = shadowColor_;
    request.PictureCache = pictureCache_.get();
    request.PictureContainer = pictureContainer_;
    html::HtmlDrawResult result;
    Rendered rendered{};
    try {
        rendered.onAnchor = html::DrawHtmlText(request, result);
    } catch (...) {
        canvas.SetHandle(nullptr);
        ReleaseDC(Handle(), dc);
        throw;
    }
    canvas.SetHandle(nullptr);
    ReleaseDC(Handle(), dc);
    rendered.anchor = result.HitAnchor;
    rendered.plainText = result.PlainText;
    rendered.textHeight = result.TextHeight;
    return rendered;
}

void THTMLComboBox::MeasureItem(int index, int& height)
{
    if (!ValidIndex(index)) {
        height = EditHeight();
        return;
    }
    RECT rect = ClientRect();
    rect.bottom = rect.top + 1000;
    const int measured = RenderOnWindowDC(index, rect, 0, 0, true, true).textHeight + 4;
    SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(index), measured);
    height = measured;
}

std::string THTMLComboBox::GetItemPlainText(int index)
{
    if (!ValidIndex(index))
        throw EHTMLComboBoxError("Item index out of range");
    return RenderOnWindowDC(index, ClientRect(), 0, 0, true, true).plainText;
}

void THTMLComboBox::MouseMove(TShiftState shift, int x, int y)
{
    TBaseCustomComboBox::MouseMove(shift, x, y);
    const int index = ItemIndex();
    if (!ValidIndex(index))
        return;
    const Rendered hit = RenderOnWindowDC(index, ClientRect(), x, y, true, false);
    if (hit.onAnchor) {
        if (hit.anchor != lastAnchor_ && OnAnchorExit)
            OnAnchorExit(this, index, lastAnchor_);
        if (OnAnchorEnter)
            OnAnchorEnter(this, index, hit.anchor);
        SetCursor(crHandPoint);
        lastAnchor_ = hit.anchor;
    } else {
        if ((Cursor() != crDefault || hit.anchor != lastAnchor_) && OnAnchorExit)
            OnAnchorExit(this, index, lastAnchor_);
        SetCursor(crDefault);
        lastAnchor_.clear();
    }
}

void THTMLComboBox::WMLButtonDown(TMessage& m)
{
    const int index = ItemIndex();
    if (!ValidIndex(index)) {
        Inherited(THTMLComboBox::StaticClass(), m);
        return;
    }
    const int x = static_cast<short>(LOWORD(m.LParam));
    const int y = static_cast<short>(HIWORD(m.LParam));
    const Rendered hit = RenderOnWindowDC(index, ClientRect(), x, y, true, false);
    if (!hit.onAnchor) {
        Inherited(THTMLComboBox::StaticClass(), m);
        return;
    }
    if (html::OpensInShell(hit.anchor))
        html::OpenAnchorInShell(hit.anchor);
    else if (OnAnchorClick)
        OnAnchorClick(this, index, hit.anchor);
    m.Result = 0;
}

void THTMLComboBox::CNCommand(TMessage& m)
{
    switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE:
            if (OnChange)
                OnChange(this);
            break;
        case CBN_DROPDOWN:
            SetWindowPos(Handle(), nullptr, Left(), Top(), Width(), EditHeight() + dropHeight_,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (OnDropDown)
                OnDropDown(this);
            m.Result = 0;
            if (OnClick)
                OnClick(this);
            break;
        default:
            Inherited(THTMLComboBox::StaticClass(), m);
            break;
    }
}

void THTMLComboBox::DoEnter()
{
    TBaseCustomComboBox::DoEnter();
    lookup_.clear();
}

void THTMLComboBox::KeyDown(WORD& key, TShiftState shift)
{
    TBaseCustomComboBox::KeyDown(key, shift);
    if (key == VK_ESCAPE || (key >= VK_PRIOR && key <= VK_DOWN))
        lookup_.clear();
    else if (key == VK_BACK && !lookup_.empty())
        lookup_.pop_back();
}

int THTMLComboBox::FindLookupMatch(int from)
{
    const std::string wanted = html::UpperCase(lookup_);
    for (int i = std::max(from, 0); i < Items()->Count(); ++i) {
        const std::string plain = GetItemPlainText(i);
        if (!plain.empty() && html::UpperCase(plain).rfind(wanted, 0) == 0)
            return i;
    }
    return -1;
}

void THTMLComboBox::WMChar(TMessage& m)
{
    Inherited(THTMLComboBox::StaticClass(), m);
    const char c = static_cast<char>(m.WParam);
    if (incrLookup_)
        lookup_ += c;
    else
        lookup_.assign(1, c);
    const auto select = [this](int found) {
        if (found < 0)
            return false;
        SetItemIndex(found);
        return true;
    };
    if ((ItemIndex() >= 0 || incrLookup_) && select(FindLookupMatch(ItemIndex())))
        return;
    if (select(FindLookupMatch(0)))
        return;
    if (incrLookup_) {
        lookup_.assign(1, c);
        select(FindLookupMatch(0));
    }
}

void THTMLComboBox::SetSorted(bool value)
{
    sortedHtml_ = value;
    if (!value)
        return;
    const int index = ItemIndex();
    std::vector<std::string> items;
    for (int i = 0; i < Items()->Count(); ++i)
        items.push_back(Items()->Strings(i));
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
        const std::string plainA = html::StripHtmlTags(a);
        const std::string plainB = html::StripHtmlTags(b);
        return CompareStringA(LOCALE_USER_DEFAULT, 0, plainA.c_str(),
                              static_cast<int>(plainA.size()), plainB.c_str(),
                              static_cast<int>(plainB.size())) == CSTR_LESS_THAN;
    });
    TStringList sorted;
    for (const std::string& item : items)
        sorted.Add(item);
    Items()->Assign(&sorted);
    SetItemIndex(index);
}

void THTMLComboBox::CMHintShow(TMessage& m)
{
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    if (itemHint_) {
        const int index = ItemIndex();
        if (ValidIndex(index))
            info->HintStr = htmlHint_ ? Items()->Strings(index) : GetItemPlainText(index);
        info->HintPos = ClientOrigin();
    }
    m.Result = 0;
}

} // namespace controls
