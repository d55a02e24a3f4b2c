#include "HTMLabel.h"

#include "html/AnchorLinks.h"
#include "OcControlUtils.h"
#include "draw/OcTypes.h"
#include "draw/PictureContainer.h"
#include "html/HtmlMarkup.h"
#include "windows/Controls.h"
#include "windows/Screen.h"

#include <cmath>

using namespace classlib;

namespace controls {

CLASSLIB_DEFINE_ENUM(TAutoSizeType, "asVertical", "asHorizontal", "asBoth")
CLASSLIB_DEFINE_ENUM(TGradientType, "gtFullHorizontal", "gtFullVertical", "gtBottomLine",
                     "gtCenterLine", "gtTopLine")
CLASSLIB_DEFINE_ENUM(TVAlignment, "tvaTop", "tvaCenter", "tvaBottom")

CLASSLIB_PUBLISH(TCustomHTMLabel) {}

CLASSLIB_PUBLISH(THTMLabel)
{
    AsColorProperty(c.Property("ColorTo", &THTMLabel::ColorTo, &THTMLabel::SetColorTo));
    c.Property("AnchorHint", &THTMLabel::AnchorHint, &THTMLabel::SetAnchorHint);
    c.Property("AutoSizing", &THTMLabel::AutoSizing, &THTMLabel::SetAutoSizing);
    c.Property("AutoSizeType", &THTMLabel::AutoSizeType, &THTMLabel::SetAutoSizeType);
    c.Property("BevelInner", &THTMLabel::BevelInner, &THTMLabel::SetBevelInner).SetDefault(bvNone);
    c.Property("BevelOuter", &THTMLabel::BevelOuter, &THTMLabel::SetBevelOuter).SetDefault(bvNone);
    c.Property("BevelWidth", &THTMLabel::BevelWidth, &THTMLabel::SetBevelWidth).SetDefault(1);
    c.Property("BorderWidth", &THTMLabel::BorderWidth, &THTMLabel::SetBorderWidth).SetDefault(0);
    c.Property("BorderStyle", &THTMLabel::BorderStyle, &THTMLabel::SetBorderStyle)
        .SetDefault(bsNone);
    AsColorProperty(c.Property("BorderColor", &THTMLabel::BorderColor, &THTMLabel::SetBorderColor))
        .SetDefault(clBlack);
    c.Property("Ellipsis", &THTMLabel::Ellipsis, &THTMLabel::SetEllipsis);
    c.Property("FocusControl", &THTMLabel::FocusControl, &THTMLabel::SetFocusControl);
    c.Property("GradientType", &THTMLabel::GradientType, &THTMLabel::SetGradientType);
    c.Property("HintShowFull", &THTMLabel::HintShowFull, &THTMLabel::SetHintShowFull);
    c.Property("Hover", &THTMLabel::Hover, &THTMLabel::SetHover);
    AsColorProperty(c.Property("HoverColor", &THTMLabel::HoverColor, &THTMLabel::SetHoverColor));
    AsColorProperty(
        c.Property("HoverFontColor", &THTMLabel::HoverFontColor, &THTMLabel::SetHoverFontColor));
    c.Property("HTMLHint", &THTMLabel::HTMLHint, &THTMLabel::SetHTMLHint);
    c.Property("HTMLText", &THTMLabel::HTMLText, &THTMLabel::SetHTMLText);
    c.Property("Images", &THTMLabel::Images, &THTMLabel::SetImages);
    c.Property("LineWidth", &THTMLabel::LineWidth, &THTMLabel::SetLineWidth);
    c.Property("PictureContainer", &THTMLabel::PictureContainer, &THTMLabel::SetPictureContainer);
    AsColorProperty(c.Property("ShadowColor", &THTMLabel::ShadowColor, &THTMLabel::SetShadowColor));
    c.Property("ShadowOffset", &THTMLabel::ShadowOffset, &THTMLabel::SetShadowOffset);
    c.Property("Transparent", &THTMLabel::Transparent, &THTMLabel::SetTransparent);
    AsColorProperty(c.Property("URLColor", &THTMLabel::URLColor, &THTMLabel::SetURLColor));
    c.Property("VAlignment", &THTMLabel::VAlignment, &THTMLabel::SetVAlignment);
    c.Property("OnAnchorClick", &THTMLabel::OnAnchorClick);
    c.Property("OnAnchorEnter", &THTMLabel::OnAnchorEnter);
    c.Property("OnAnchorExit", &THTMLabel::OnAnchorExit);
    c.Property("OnAnchorHint", &THTMLabel::OnAnchorHint);
    c.Property("Version", &THTMLabel::Version, &THTMLabel::SetVersion).Stored(false);
}

CLASSLIB_MESSAGE_MAP(TCustomHTMLabel)
{
    m.On(CM_MOUSEENTER, &TCustomHTMLabel::CMMouseEnter);
    m.On(CM_MOUSELEAVE, &TCustomHTMLabel::CMMouseLeave);
    m.On(CM_HINTSHOW, &TCustomHTMLabel::CMHintShow);
}

namespace {

constexpr RECT NoAnchorRect{-1, -1, -1, -1};

bool operator!=(const RECT& a, const RECT& b)
{
    return !EqualRect(&a, &b);
}

int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

void DrawStepGradientClipped(TCanvas& canvas, TColor from, TColor to, int steps, const RECT& rect,
                             bool horizontal)
{
    if (steps == 0)
        steps = 1;
    // clNone is not resolved: its low three bytes read as white.
    const TColor fromRgb = from == clNone ? from : ColorToRGB(from);
    const TColor toRgb = to == clNone ? to : ColorToRGB(to);
    double channelStep[3];
    int channelFrom[3];
    for (int shift = 0, c = 0; c < 3; ++c, shift += 8) {
        channelFrom[c] = static_cast<int>((fromRgb >> shift) & 0xFF);
        channelStep[c] = (static_cast<int>((toRgb >> shift) & 0xFF) - channelFrom[c]) /
                         static_cast<double>(steps);
    }
    const double band =
        (horizontal ? rect.right - rect.left : rect.bottom - rect.top) / static_cast<double>(steps);
    for (int i = 0; i < steps; ++i) {
        TColor color = 0;
        for (int shift = 0, c = 0; c < 3; ++c, shift += 8)
            color |= static_cast<TColor>(RoundEven(channelFrom[c] + i * channelStep[c]) & 0xFF)
                     << shift;
        canvas.Pen()->SetColor(color);
        canvas.Brush()->SetColor(color);
        const int start = RoundEven(i * band);
        RECT piece = rect;
        if (horizontal) {
            piece.left = rect.left + start;
            piece.right = std::min<LONG>(piece.left + static_cast<int>(band) + 1, rect.right);
        } else {
            piece.top = rect.top + start;
            piece.bottom = std::min<LONG>(piece.top + static_cast<int>(band) + 1, rect.bottom);
        }
        canvas.Rectangle(piece);
    }
}

// ---- TCustomHTMLabel -------------------------------------------------------------------------

TCustomHTMLabel::TCustomHTMLabel(TComponent* owner)
    : TCustomLabel(owner),
      htmlText_(new TStringList),
      pictureCache_(new draw::THTMLPictureCache),
      imageChangeLink_(new TChangeLink)
{
    htmlText_->OnChange = TNotifyEvent(this, &TCustomHTMLabel::HTMLTextChanged);
    imageChangeLink_->OnChange = TNotifyEvent(this, &TCustomHTMLabel::ImageListChanged);
    autoSize_ = false;
    SetCaption("");
}

TCustomHTMLabel::~TCustomHTMLabel()
{
    pictureCache_->ClearPictures();
    pictureCache_.reset();
    delete htmlText_;
    delete imageChangeLink_;
}

std::string TCustomHTMLabel::Version() const
{
    return draw::VersionText(GetVersionNr());
}

void TCustomHTMLabel::SetHTMLText(TStrings* value)
{
    if (value) {
        // Line breaks are dropped: a line break in the markup needs the <BR> tag.
        const std::string joined = html::LineBreaksToBrTags(value->Text(), false);
        htmlText_->Clear();
        htmlText_->Add(joined);
    }
    HTMLChanged();
}

void TCustomHTMLabel::SetImages(TCustomImageList* value)
{
    images_ = value;
    if (value) {
        value->RegisterChanges(imageChangeLink_);
        value->FreeNotification(this);
    }
    Invalidate();
}

void TCustomHTMLabel::SetURLColor(TColor value)
{
    if (value != urlColor_) {
        urlColor_ = value;
        Invalidate();
    }
}

std::string TCustomHTMLabel::GetDisplayText() const
{
    std::string text;
    for (int i = 0; i < htmlText_->Count(); ++i)
        text += htmlText_->Strings(i);
    return text;
}

void TCustomHTMLabel::HTMLChanged()
{
    Invalidate();
}

void TCustomHTMLabel::HTMLTextChanged(TObject*)
{
    pictureCache_->ClearPictures();
    Invalidate();
}

void TCustomHTMLabel::ImageListChanged(TObject*)
{
    Invalidate();
}

void TCustomHTMLabel::Loaded()
{
    TCustomLabel::Loaded();
    SetCaption("");
}

void TCustomHTMLabel::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove) {
        if (component == images_)
            images_ = nullptr;
        if (component == pictureContainer_)
            pictureContainer_ = nullptr;
    }
    TCustomLabel::Notification(component, operation);
}

bool TCustomHTMLabel::DrawHtml(html::HtmlDrawRequest& request, html::HtmlDrawResult& result)
{
    request.FocusIndex = -1;
    request.WordWrap = !ellipsis_;
    request.PictureCache = pictureCache_.get();
    request.PictureContainer = pictureContainer_;
    request.LineSpacing = 0;
    return RenderHtml(request, result);
}

bool TCustomHTMLabel::RenderHtml(const html::HtmlDrawRequest& request, html::HtmlDrawResult& result)
{
    return html::DrawHtmlText(request, result);
}

html::HtmlDrawRequest TCustomHTMLabel::TextRequest(const RECT& rect, int x, int y, int hotIndex,
                                                   bool hitTestOnly)
{
    html::HtmlDrawRequest request;
    request.Canvas = Canvas();
    request.Text = GetDisplayText();
    request.Rect = rect;
    request.Images = images_;
    request.X = x;
    request.Y = y;
    request.HotIndex = hotIndex;
    request.ShadowOffset = shadowOffset_;
    request.HitTestOnly = hitTestOnly;
    request.MeasureOnly = false;
    request.ScaleImages = false;
    request.PlainColors = false;
    request.BlinkPhase = false;
    request.HotEffects = hover_;
    request.ImageScale = 1.0;
    request.LinkColor = urlColor_;
    request.HotBackColor = hoverColor_;
    request.HotTextColor = hoverFontColor_;
    request.ShadowColor = shadowColor_;
    return request;
}

POINT TCustomHTMLabel::PointerPosition() const
{
    POINT pos{};
    GetCursorPos(&pos);
    return Parent() ? ScreenToClient(pos) : pos;
}

std::string TCustomHTMLabel::HitTestAnchor(int x, int y, RECT& anchorRect)
{
    RECT r = ClientRect();
    if (bevelInner_ != bvNone || bevelOuter_ != bvNone)
        InflateRect(&r, -bevelWidth_, -bevelWidth_);
    InflateRect(&r, -borderWidth_, -borderWidth_);
    std::string anchor;
    anchorRect = NoAnchorRect;
    if (vAlignment_ == tvaCenter || vAlignment_ == tvaBottom) {
        html::HtmlDrawRequest measure = TextRequest(r, x, y, -1, true);
        measure.HitAnchorRect = anchorRect;
        html::HtmlDrawResult measured;
        DrawHtml(measure, measured);
        hotIndex_ = measured.HitAnchorIndex;
        anchorRect = measured.HitAnchorRect;
        if (measured.TextHeight < Height()) {
            if (vAlignment_ == tvaCenter)
                r.top += (r.bottom - r.top - measured.TextHeight) / 2;
            else
                r.top = r.bottom - measured.TextHeight;
        }
    }
    html::HtmlDrawRequest hit = TextRequest(r, x, y, -1, true);
    hit.LinkColor = 0xFFFFFF;
    hit.HotBackColor = clNone;
    hit.HotTextColor = clNone;
    hit.ShadowColor = clNone;
    hit.HitAnchorRect = anchorRect;
    html::HtmlDrawResult result;
    const bool onAnchor = DrawHtml(hit, result);
    hotIndex_ = result.HitAnchorIndex;
    anchorRect = result.HitAnchorRect;
    if (onAnchor)
        anchor = result.HitAnchor;
    else
        hotIndex_ = -1;
    return anchor;
}

void TCustomHTMLabel::InvalidateAnchorRect(const RECT& rect)
{
    if (!Parent() || !Parent()->HandleAllocated())
        return;
    RECT moved = rect;
    OffsetRect(&moved, Left(), Top());
    ::InvalidateRect(Parent()->Handle(), &moved, TRUE);
}

void TCustomHTMLabel::MouseMove(TShiftState shift, int x, int y)
{
    TCustomLabel::MouseMove(shift, x, y);
    RECT anchorRect;
    const std::string anchor = HitTestAnchor(x, y, anchorRect);
    if (!anchor.empty()) {
        if ((anchor != lastAnchor_ || anchorRect != lastAnchorRect_ || hotIndex_ == -1) && hover_ &&
            anchorRect.left != -1)
            InvalidateAnchorRect(lastAnchorRect_);
        if (Cursor() == crDefault || anchor != lastAnchor_ || lastHotIndex_ != hotIndex_) {
            if (anchorHint_)
                THintManager::Instance().CancelHint();
            SetCursor(crHandPoint);
            if (OnAnchorEnter)
                OnAnchorEnter(this, anchor);
            if (hover_) {
                if (anchorRect.left != -1)
                    InvalidateAnchorRect(lastAnchorRect_);
                else
                    Invalidate();
            }
        }
        lastAnchor_ = anchor;
        lastHotIndex_ = hotIndex_;
        lastAnchorRect_ = anchorRect;
        if (hover_)
            InvalidateAnchorRect(lastAnchorRect_);
    } else if (Cursor() == crHandPoint) {
        SetCursor(crDefault);
        if (OnAnchorExit)
            OnAnchorExit(this, anchor);
        if (hover_) {
            if (lastAnchorRect_.left != -1)
                InvalidateAnchorRect(lastAnchorRect_);
            else
                Invalidate();
        }
        lastAnchorRect_ = anchorRect;
    }
}

void TCustomHTMLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TCustomLabel::MouseDown(button, shift, x, y);
    RECT anchorRect;
    const std::string anchor = HitTestAnchor(x, y, anchorRect);
    if (anchor.empty())
        return;
    if (html::OpensInShell(anchor))
        html::OpenAnchorInShell(anchor);
    else if (OnAnchorClick)
        OnAnchorClick(this, anchor);
}

void TCustomHTMLabel::CMMouseEnter(TMessage& m)
{
    // The class library's handling fires OnMouseEnter.
    Inherited(TCustomHTMLabel::StaticClass(), m);
}

void TCustomHTMLabel::CMMouseLeave(TMessage& m)
{
    if (hover_ && hotIndex_ != -1)
        InvalidateAnchorRect(lastAnchorRect_);
    hotIndex_ = -1;
    Inherited(TCustomHTMLabel::StaticClass(), m);
}

void TCustomHTMLabel::CMHintShow(TMessage& m)
{
    auto* info = reinterpret_cast<THintInfo*>(m.LParam);
    std::string anchor;
    if (anchorHint_) {
        const POINT pos = PointerPosition();
        RECT anchorRect;
        anchor = HitTestAnchor(pos.x, pos.y, anchorRect);
        if (!anchor.empty()) {
            if (OnAnchorHint)
                OnAnchorHint(this, anchor);
            POINT screen{};
            GetCursorPos(&screen);
            info->HintPos = {screen.x + 10, screen.y - 10};
            info->HintStr = anchor;
        }
    }
    if (hintShowFull_ && (anchor.empty() || !anchorHint_))
        info->HintStr = htmlHint_ ? GetDisplayText() : html::StripHtmlTags(GetDisplayText());
    m.Result = 0;
}

// ---- THTMLabel -----------------------------------------------------------------------------

THTMLabel::THTMLabel(TComponent* owner) : TCustomHTMLabel(owner) {}

void THTMLabel::SetAutoSizing(bool value)
{
    autoSizing_ = value;
    if (value) {
        if (Align() == alLeft || Align() == alRight)
            SetWidth(6);
        if (Align() == alTop || Align() == alBottom)
            SetHeight(6);
    }
    Invalidate();
}

void THTMLabel::SetAutoSizeType(TAutoSizeType value)
{
    autoSizeType_ = value;
    SetAutoSizing(autoSizing_);
}

void THTMLabel::SetVAlignment(TVAlignment value)
{
    if (value != vAlignment_) {
        vAlignment_ = value;
        Invalidate();
    }
}

void THTMLabel::SetEllipsis(bool value)
{
    if (value != ellipsis_) {
        ellipsis_ = value;
        Invalidate();
    }
}

void THTMLabel::Paint()
{
    SetCaption("");
    TCanvas* canvas = Canvas();
    RECT r = ClientRect();
    const int bands = (r.right - r.left) / 4;
    const bool lineGradient = gradientType_ == gtBottomLine || gradientType_ == gtCenterLine ||
                              gradientType_ == gtTopLine;
    if (!Transparent()) {
        if (colorTo_ == clNone || lineGradient) {
            canvas->Brush()->SetColor(Color());
            canvas->Pen()->SetColor(Color());
            canvas->Rectangle(r);
        } else {
            DrawStepGradientClipped(*canvas, Color(), colorTo_, bands, r,
                                    gradientType_ == gtFullHorizontal);
        }
    }
    if (lineGradient) {
        RECT line = r;
        if (gradientType_ == gtBottomLine) {
            line.top = line.bottom - 2;
        } else if (gradientType_ == gtCenterLine) {
            line.top = line.top + (line.bottom - line.top) / 2;
            line.bottom = line.top + 2;
        } else {
            line.bottom = line.top + 2;
        }
        DrawStepGradientClipped(*canvas, Color(), colorTo_, bands, line, true);
    }
    canvas->Font()->Assign(Font());

    r = ClientRect();
    const auto bevelColors = [](TBevelCut cut, TColor& top, TColor& bottom) {
        top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor top, bottom;
    if (bevelOuter_ != bvNone) {
        bevelColors(bevelOuter_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    Frame3D(canvas, r, Color(), Color(), borderWidth_);
    if (bevelInner_ != bvNone) {
        bevelColors(bevelInner_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    if (borderStyle_ == bsSingle && borderWidth_ != 0 && borderColor_ != clNone) {
        canvas->Pen()->SetWidth(borderWidth_);
        canvas->Pen()->SetColor(borderColor_);
        canvas->Brush()->SetStyle(bsClear);
        const int a = (borderWidth_ + 1) / 2;
        const int b = borderWidth_ / 2;
        canvas->Polyline({{r.left - a, r.top - a},
                          {r.right + b, r.top - a},
                          {r.right + b, r.bottom + b},
                          {r.left - a, r.bottom + b},
                          {r.left - a, r.top - a}});
        canvas->Pen()->SetWidth(1);
    }
    if (bevelInner_ != bvNone || bevelOuter_ != bvNone)
        InflateRect(&r, -bevelWidth_, -bevelWidth_);
    if (borderStyle_ == bsSingle)
        InflateRect(&r, -borderWidth_, -borderWidth_);

    canvas->Brush()->SetColor(Color());
    TVAlignment alignment = vAlignment_;
    const bool growsWidth = (Align() == alNone || Align() == alLeft || Align() == alRight) &&
                            (autoSizeType_ == asHorizontal || autoSizeType_ == asBoth);
    const bool growsHeight = (Align() == alNone || Align() == alTop || Align() == alBottom) &&
                             (autoSizeType_ == asVertical || autoSizeType_ == asBoth);
    if (autoSizing_) {
        if (growsWidth)
            r.right += 65535;
        if (growsHeight)
            r.bottom += 65535;
        alignment = tvaTop;
    }
    const POINT pointer = PointerPosition();
    if (alignment == tvaCenter || alignment == tvaBottom) {
        html::HtmlDrawRequest measure = TextRequest(r, pointer.x, pointer.y, hotIndex_, true);
        html::HtmlDrawResult measured;
        DrawHtml(measure, measured);
        if (measured.TextHeight < Height()) {
            if (alignment == tvaCenter)
                r.top += (r.bottom - r.top - measured.TextHeight) / 2;
            else
                r.top = r.bottom - measured.TextHeight;
        }
    }
    if (autoSizing_) {
        if (vAlignment_ == tvaCenter)
            r.top += 3;
        else if (vAlignment_ == tvaBottom)
            r.top += 6;
    }
    html::HtmlDrawRequest drawing = TextRequest(r, pointer.x, pointer.y, hotIndex_, false);
    html::HtmlDrawResult drawn;
    DrawHtml(drawing, drawn);
    if (autoSizing_) {
        if (growsHeight && drawn.TextHeight + 6 != Height())
            SetHeight(drawn.TextHeight + 6);
        if (growsWidth && drawn.TextWidth + 6 != Width())
            SetWidth(drawn.TextWidth + 6);
    }
}

} // namespace controls
