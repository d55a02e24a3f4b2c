#include "OcLabel.h"

#include "OcBCLUtilsWin.h"
#include "OcControlUtils.h"
#include "OcControlUtilsWin.h"
#include "dataprovider/OcDataConsumer.h"
#include "dataprovider/OcDataPainting.h"
#include "draw/OcThemes.h"
#include "windows/Themes.h"

#include <algorithm>
#include <cmath>

using namespace classlib;
using namespace dataprovider;

namespace controls {

CLASSLIB_DEFINE_ENUM(TShadowPosition, "spLeftTop", "spLeftBottom", "spRightBottom", "spRightTop")
CLASSLIB_DEFINE_ENUM(TOcTextEllipsis, "teNone", "teWordEllipsis", "tePathEllipsis", "teEndEllipsis")
CLASSLIB_DEFINE_ENUM(TOcTrackFontOption, "hoFollowFont", "hoPreserveCharSet", "hoPreserveColor",
                     "hoPreserveHeight", "hoPreserveName", "hoPreservePitch", "hoPreserveStyle")

CLASSLIB_PUBLISH(TOcCustomLabel) {}

CLASSLIB_PUBLISH(TOcLabel)
{
    c.Property("Alignment", &TOcLabel::Alignment, &TOcLabel::SetAlignment)
        .SetDefault(taLeftJustify);
    c.Property("AutoSize", &TOcLabel::AutoSize, &TOcLabel::SetAutoSize).SetDefault(true);
    c.Property("FocusControl", &TOcLabel::FocusControl, &TOcLabel::SetFocusControl);
    AsColorProperty(c.Property("FrameColor", &TOcLabel::FrameColor, &TOcLabel::SetFrameColor))
        .SetDefault(clNone);
    c.Property("Layout", &TOcLabel::Layout, &TOcLabel::SetLayout).SetDefault(tlTop);
    c.Property("Margin", &TOcLabel::Margin, &TOcLabel::SetMargin).SetDefault(0);
    c.Property("RoundedFrame", &TOcLabel::RoundedFrame, &TOcLabel::SetRoundedFrame).SetDefault(0);
    AsColorProperty(c.Property("ShadowColor", &TOcLabel::ShadowColor, &TOcLabel::SetShadowColor))
        .SetDefault(clBtnHighlight);
    c.Property("ShadowSize", &TOcLabel::ShadowSize, &TOcLabel::SetShadowSize)
        .SetDefault(uint8_t{0});
    c.Property("ShadowPos", &TOcLabel::ShadowPos, &TOcLabel::SetShadowPos)
        .SetDefault(spRightBottom);
    c.Property("ShowAccelChar", &TOcLabel::ShowAccelChar, &TOcLabel::SetShowAccelChar)
        .SetDefault(true);
    c.Property("ShowFocus", &TOcLabel::ShowFocus, &TOcLabel::SetShowFocus).SetDefault(false);
    c.Property("Transparent", &TOcLabel::Transparent, &TOcLabel::SetTransparent).SetDefault(false);
    c.Property("WordWrap", &TOcLabel::WordWrap, &TOcLabel::SetWordWrap).SetDefault(false);
    c.Property("Angle", &TOcLabel::Angle, &TOcLabel::SetAngle).SetDefault(0);
    c.Property("AutoOpenURL", &TOcLabel::AutoOpenURL, &TOcLabel::SetAutoOpenURL).SetDefault(true);
    AsColorProperty(c.Property("HintColor", &TOcLabel::HintColor, &TOcLabel::SetHintColor));
    c.Property("HotTrack", &TOcLabel::HotTrack, &TOcLabel::SetHotTrack).SetDefault(false);
    c.Property("HotTrackFont", &TOcLabel::HotTrackFont, &TOcLabel::SetHotTrackFont);
    c.Property("HotTrackFontOptions", &TOcLabel::HotTrackFontOptions,
               &TOcLabel::SetHotTrackFontOptions)
        .SetDefault(TOcTrackFontOptions{hoFollowFont, hoPreserveColor, hoPreserveStyle});
    c.Property("HotTrackOptions", &TOcLabel::HotTrackOptions, &TOcLabel::SetHotTrackOptions);
    c.Property("Images", &TOcLabel::Images, &TOcLabel::SetImages);
    c.Property("ImageIndex", &TOcLabel::ImageIndex, &TOcLabel::SetImageIndex).SetDefault(-1);
    c.Property("Provider", &TOcLabel::Provider, &TOcLabel::SetProvider);
    c.Property("Spacing", &TOcLabel::Spacing, &TOcLabel::SetSpacing).SetDefault(4);
    c.Property("TextEllipsis", &TOcLabel::TextEllipsis, &TOcLabel::SetTextEllipsis)
        .SetDefault(teNone);
    c.Property("URL", &TOcLabel::URL, &TOcLabel::SetURL);
    c.Property("OnParentColorChange", &TOcLabel::OnParentColorChange);
}

namespace {

// Offsets of the shadow for each TShadowPosition, in units of the shadow size.
constexpr POINT ShadowDirections[] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
constexpr UINT AlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
constexpr UINT EllipsisFlags[] = {0, DT_WORD_ELLIPSIS, DT_PATH_ELLIPSIS, DT_END_ELLIPSIS};
// Rotated captions are cut to this many characters.
constexpr size_t RotatedTextLimit = 4096;

// Round to nearest, halves to even (the default floating-point rounding mode).
int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

uint8_t FontPartOptions(TOcTrackFontOptions options)
{
    uint8_t bits = 0;
    for (int option = hoFollowFont; option <= hoPreserveStyle; ++option)
        if (options.Contains(static_cast<TOcTrackFontOption>(option)))
            bits = static_cast<uint8_t>(bits | (1u << option));
    return bits;
}

// The control under the cursor, disabled controls included (the drag-target search).
TControl* ControlUnderCursor()
{
    POINT pos;
    if (!GetCursorPos(&pos))
        return nullptr;
    TWinControl* window = FindVCLWindow(pos);
    if (!window)
        return nullptr;
    TControl* child = window->ControlAtPos(window->ScreenToClient(pos), true);
    return child ? child : window;
}

bool ThemesOn()
{
    return ThemeServices()->ThemesEnabled();
}

} // namespace

int DrawShadowedText(TCanvas& canvas, const std::string& text, RECT& rect, UINT flags,
                     int shadowSize, TColor shadowColor, TShadowPosition shadowPos)
{
    RECT textRect = rect;
    RECT shadowRect = rect;
    const HDC dc = canvas.Handle();
    const COLORREF previous = SetTextColor(dc, ColorToRGB(shadowColor));
    const POINT direction = ShadowDirections[shadowPos];
    OffsetRect(&shadowRect, direction.x * shadowSize, direction.y * shadowSize);
    canvas.Brush()->SetStyle(bsClear);
    SetBkMode(dc, TRANSPARENT);
    const int height = bcl::DrawTextOnCanvas(&canvas, text.c_str(), static_cast<int>(text.size()),
                                             shadowRect, flags);
    SetTextColor(dc, previous);
    bcl::DrawTextOnCanvas(&canvas, text.c_str(), static_cast<int>(text.size()), textRect, flags);
    UnionRect(&rect, &textRect, &shadowRect);
    return height > 0 ? height + shadowSize : height;
}

void DrawRoundedFrame(TCanvas& canvas, const RECT& rect, TColor color, int radius)
{
    canvas.Pen()->SetColor(color);
    const int r = rect.right - 1;
    const int b = rect.bottom - 1;
    const int a = radius;
    canvas.Polygon({{rect.left + a, rect.top},
                    {r - a, rect.top},
                    {r, rect.top + a},
                    {r, b - a},
                    {r - a, b},
                    {rect.left + a, b},
                    {rect.left, b - a},
                    {rect.left, rect.top + a},
                    {rect.left + a, rect.top}});
}

POINT CalcRotatedTextOrigin(TAlignment alignment, int angle, const TRotatedTextGeometry& g,
                            double w2, double h2)
{
    // Rows: the four quadrants; columns: x for left, right and centre alignment, then y.
    const double quadrants[4][4] = {
        {0, 2 * w2 - g.g4, w2 - g.g4 / 2.0, h2 + (g.g5 - 2.0 * g.g3) / 2},
        {static_cast<double>(g.g0), 2 * w2 - g.g2, w2 + (g.g4 - 2.0 * g.g2) / 2, h2 + g.g5 / 2.0},
        {static_cast<double>(g.g4), 2 * w2, w2 + g.g4 / 2.0, h2 - (g.g5 - 2.0 * g.g3) / 2},
        {static_cast<double>(g.g2), 2 * w2 - g.g0, w2 - (g.g4 - 2.0 * g.g2) / 2, h2 - g.g5 / 2.0},
    };
    const int quadrant = angle < 90 ? 0 : angle < 180 ? 1 : angle < 270 ? 2 : 3;
    const int column = alignment == taLeftJustify ? 0 : alignment == taRightJustify ? 1 : 2;
    return {RoundEven(quadrants[quadrant][column]), RoundEven(quadrants[quadrant][3])};
}

TRotatedTextGeometry CalcRotatedTextGeometry(int angle, int textWidth, int textHeight,
                                             TAlignment alignment, bool autoSize, int clientWidth,
                                             int clientHeight)
{
    const int fromAxis = angle < 90    ? 90 - angle
                         : angle < 180 ? angle - 90
                         : angle < 270 ? 270 - angle
                                       : angle - 270;
    const double theta = fromAxis * 0.017453292519943295769;
    TRotatedTextGeometry g{};
    g.g0 = RoundEven(textWidth * std::sin(theta));
    g.g1 = RoundEven(textWidth * std::cos(theta));
    g.g2 = RoundEven(textHeight * std::cos(theta));
    g.g3 = RoundEven(textHeight * std::sin(theta));
    g.g4 = g.g0 + g.g2;
    g.g5 = g.g1 + g.g3;
    if (autoSize) {
        const POINT corners[4] = {{0, g.g1}, {g.g0, g.g5}, {g.g4, g.g3}, {g.g2, 0}};
        const POINT corner = corners[angle < 90 ? 0 : angle < 180 ? 1 : angle < 270 ? 2 : 3];
        g.x = corner.x;
        g.y = corner.y;
    } else {
        const POINT origin =
            CalcRotatedTextOrigin(alignment, angle, g, clientWidth / 2.0, clientHeight / 2.0);
        g.x = origin.x;
        g.y = origin.y;
    }
    return g;
}

TOcCustomLabel::TOcCustomLabel(TComponent* owner) : TOcExGraphicControl(owner)
{
    consumer_ = TOcDataConsumer::Create(this, {2});
    consumer_->OnConsumerChanged = TOcConsumerChangeEvent(this, &TOcCustomLabel::ConsumerChanged);
    imageChangeLink_ = new TChangeLink;
    imageChangeLink_->OnChange = TNotifyEvent(this, &TOcCustomLabel::ImageListChanged);
    TControlStyle style = ControlStyle() + TControlStyle{csOpaque, csReplicatable};
    if (ThemesOn())
        style = style - TControlStyle{csOpaque};
    SetControlStyle(style);
    hotTrackFont_ = new TFont;
    hotTrackFont_->OnChange = TNotifyEvent(this, &TOcCustomLabel::HotTrackFontChanged);
    hotTrackOptions_ = new TOcHotTrackOptions(this);
    autoSize_ = true;
    SetBounds(Left(), Top(), 65, 17);
}

TOcCustomLabel::~TOcCustomLabel()
{
    delete imageChangeLink_;
    delete hotTrackFont_;
    delete hotTrackOptions_;
    consumer_->Free();
}

bool TOcCustomLabel::GetInterface(const TGUID& iid, void** obj)
{
    if (iid == IOcHotTrackSettings::IID) {
        *obj = this;
        return true;
    }
    return TOcExGraphicControl::GetInterface(iid, obj);
}

bool TOcCustomLabel::ProviderAttached() const
{
    return static_cast<bool>(consumer_->ProviderInterface());
}

void TOcCustomLabel::DetachProvider()
{
    if (ProviderAttached())
        consumer_->SetProviderInterface(nullptr);
}

int TOcCustomLabel::LabelImageWidth()
{
    return !ProviderAttached() && HasImage() ? images_->Width() : 0;
}

int TOcCustomLabel::LabelImageHeight()
{
    return !ProviderAttached() && HasImage() ? images_->Height() : 0;
}

void TOcCustomLabel::ResizeNow()
{
    needsResize_ = true;
    AdjustBounds();
}

// Property setters -------------------------------------------------------------------------

void TOcCustomLabel::SetAlignment(TAlignment value)
{
    if (value != alignment_) {
        alignment_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetLayout(TTextLayout value)
{
    if (value != layout_) {
        layout_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetShadowColor(TColor value)
{
    if (value != shadowColor_) {
        shadowColor_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetShadowPos(TShadowPosition value)
{
    if (value != shadowPos_) {
        shadowPos_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetShowAccelChar(bool value)
{
    if (value != showAccelChar_) {
        showAccelChar_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetShowFocus(bool value)
{
    if (value != showFocus_) {
        showFocus_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetTextEllipsis(TOcTextEllipsis value)
{
    if (value != textEllipsis_) {
        textEllipsis_ = value;
        Invalidate();
    }
}
void TOcCustomLabel::SetFrameColor(TColor value)
{
    if (value != frameColor_) {
        frameColor_ = value;
        Invalidate();
    }
}

void TOcCustomLabel::SetShadowSize(uint8_t value)
{
    if (value == shadowSize_)
        return;
    shadowSize_ = value;
    ResizeNow();
    Invalidate();
}

void TOcCustomLabel::SetWordWrap(bool value)
{
    if (value == wordWrap_)
        return;
    wordWrap_ = value;
    ResizeNow();
}

void TOcCustomLabel::SetMargin(int value)
{
    value = std::max(value, 0);
    if (value == margins_[0])
        return;
    margins_.fill(value);
    ResizeNow();
    Invalidate();
}

void TOcCustomLabel::SetAutoSize(bool value)
{
    TOcExGraphicControl::SetAutoSize(value);
    needsResize_ = value;
    AdjustBounds();
}

void TOcCustomLabel::SetTransparent(bool value)
{
    if (value == Transparent())
        return;
    if (ThemesOn() || value)
        SetControlStyle(ControlStyle() - TControlStyle{csOpaque});
    else
        SetControlStyle(ControlStyle() + TControlStyle{csOpaque});
    Invalidate();
}

void TOcCustomLabel::SetFocusControl(TWinControl* value)
{
    TComponent* reference = focusControl_;
    storage::RelinkComponent(this, value, reference);
    focusControl_ = static_cast<TWinControl*>(reference);
    if (showFocus_)
        Invalidate();
}

void TOcCustomLabel::SetImages(TCustomImageList* value)
{
    if (value == images_)
        return;
    DetachProvider();
    storage::RelinkImageList(this, value, images_, imageChangeLink_);
    if (!AutoSize())
        Invalidate();
    else
        ResizeNow();
}

void TOcCustomLabel::SetImageIndex(int value)
{
    if (value == imageIndex_)
        return;
    if (HasImage())
        DetachProvider();
    needsResize_ = true;
    imageIndex_ = value;
    AdjustBounds();
    Invalidate();
}

void TOcCustomLabel::SetSpacing(int value)
{
    spacing_ = value;
    if (!AutoSize())
        Invalidate();
    else
        ResizeNow();
}

void TOcCustomLabel::SetAngle(int value)
{
    angle_ = value < 0 ? value + 360 : value;
    needsResize_ = AutoSize();
    AdjustBounds();
    Invalidate();
}

void TOcCustomLabel::SetRoundedFrame(int value)
{
    if (value >= 0 && value < Height() / 2) {
        roundedFrame_ = value;
        Invalidate();
    }
}

void TOcCustomLabel::SetHotTrackFont(TFont* value)
{
    hotTrackFont_->Assign(value);
}

void TOcCustomLabel::SetHotTrackOptions(TOcHotTrackOptions* value)
{
    if (value)
        hotTrackOptions_->Assign(value);
}

void TOcCustomLabel::SetHotTrackFontOptions(TOcTrackFontOptions value)
{
    hotTrackFontOptions_ = value;
    storage::AssignFontParts(*hotTrackFont_, *Font(), FontPartOptions(value));
}

void TOcCustomLabel::AssignHotTrack(TOcCustomLabel* source)
{
    if (!source || source == this)
        return;
    SetHotTrack(source->HotTrack());
    SetHotTrackFont(source->HotTrackFont());
    SetHotTrackFontOptions(source->HotTrackFontOptions());
    SetHotTrackOptions(source->HotTrackOptions());
}

// Painting ---------------------------------------------------------------------------------

void TOcCustomLabel::FloodFillFrame(TColor borderColor)
{
    ExtFloodFill(Canvas()->Handle(), 1, roundedFrame_, ColorToRGB(borderColor), FLOODFILLBORDER);
}

void TOcCustomLabel::PaintBackground(bool hot)
{
    TCanvas* canvas = Canvas();
    const RECT client = ClientRect();
    if (hot) {
        if (!hotTrackOptions_->Enabled())
            return;
        canvas->Brush()->SetColor(hotTrackOptions_->Color());
        canvas->Brush()->SetStyle(bsSolid);
        if (!hotTrackOptions_->FrameVisible()) {
            canvas->FillRect(client);
            return;
        }
        const TColor penColor = canvas->Pen()->Color();
        if (roundedFrame_ == 0) {
            canvas->Pen()->SetColor(hotTrackOptions_->FrameColor());
            canvas->Rectangle(0, 0, Width(), Height());
        } else {
            if (!Transparent())
                FloodFillFrame(hotTrackOptions_->FrameColor());
            DrawRoundedFrame(*canvas, client, hotTrackOptions_->FrameColor(), roundedFrame_);
        }
        canvas->Pen()->SetColor(penColor);
        return;
    }
    canvas->Font()->Assign(Font());
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    if (!Transparent() && (roundedFrame_ == 0 || frameColor_ == clNone))
        draw::PaintControlBackground(this, canvas, client, true);
    else if (Transparent())
        canvas->Brush()->SetStyle(bsClear);
    if (frameColor_ == clNone)
        return;
    if (roundedFrame_ == 0) {
        canvas->Brush()->SetColor(frameColor_);
        canvas->FrameRect(client);
    } else {
        canvas->Brush()->SetColor(Color());
        if (!Transparent())
            FloodFillFrame(frameColor_);
        DrawRoundedFrame(*canvas, client, frameColor_, roundedFrame_);
    }
}

void TOcCustomLabel::Paint()
{
    const bool designing = ComponentState().Contains(csDesigning);
    if (!Enabled() && !designing)
        pressed_ = false;
    PaintBackground(Enabled() && mouseOver_ && hotTrack_);

    RECT r = ClientRect();
    r.left += margins_[0] + 1;
    r.top += margins_[1];
    r.right -= margins_[2] + 1;
    r.bottom -= margins_[3];
    const UINT flags = (wordWrap_ ? DT_WORDBREAK : 0) | DT_EXPANDTABS | AlignmentFlags[alignment_];
    if (layout_ != tlTop) {
        RECT measured = r;
        DrawTextOrItem(measured, flags | DT_CALCRECT);
        const int offset =
            layout_ == tlBottom ? Height() - measured.bottom : (Height() - measured.bottom) / 2;
        OffsetRect(&r, 0, offset);
    }
    // The right margin is already off the rectangle: taking it off again (as the layout once
    // did) clipped or wrapped text that the auto size had measured to fit.
    r.left = margins_[0];
    DrawTextOrItem(r, flags);

    if (showFocus_ && focusControl_ && focusControl_->Focused() && !designing) {
        InflateRect(&r, 1, 0);
        Canvas()->Brush()->SetColor(Color());
        Canvas()->DrawFocusRect(r);
    }
}

void TOcCustomLabel::DrawTextOrItem(RECT& rect, UINT flags)
{
    if (ProviderAttached())
        DrawItemText(rect, flags);
    else
        DrawLabelText(rect, flags);
}

std::string TOcCustomLabel::GetDisplayCaption()
{
    if (!ProviderAttached())
        return Caption();
    return WithAccess(consumer_, [&]() -> std::string {
        auto selection = TInterfacePtr<IOcDataConsumer>(static_cast<IOcDataConsumer*>(consumer_))
                             .Query<IOcDataConsumerSelection>();
        auto item = selection ? selection->SelectedItem() : TInterfacePtr<IOcDataItem>();
        auto text = item ? item.Query<IOcDataItemText>() : TInterfacePtr<IOcDataItemText>();
        return text ? text->ReadText() : Caption();
    });
}

void TOcCustomLabel::DrawLabelText(RECT& rect, UINT flags)
{
    TCanvas* canvas = Canvas();
    const bool measuring = (flags & DT_CALCRECT) != 0;
    std::string text = GetDisplayCaption();
    if (measuring && (text.empty() || (showAccelChar_ && text == "&")))
        text += ' ';
    flags = DrawTextBiDiModeFlags(flags | (showAccelChar_ ? 0 : DT_NOPREFIX) |
                                  EllipsisFlags[textEllipsis_]);
    if (mouseOver_ && hotTrack_) {
        canvas->Font()->Assign(hotTrackFont_);
    } else {
        canvas->Font()->Assign(Font());
        canvas->Font()->SetColor(GetLabelFontColor());
    }
    int shadowSize = shadowSize_;
    TShadowPosition shadowPos = shadowPos_;
    TColor shadowColor = shadowColor_;
    if (!Enabled()) {
        if (shadowSize == 0) {
            shadowSize = 1;
            shadowPos = spRightBottom;
        }
        canvas->Font()->SetColor(clGrayText);
        shadowColor = clBtnHighlight;
    }
    const bool imageShown = LabelImageWidth() > 0 || LabelImageHeight() > 0;
    if (imageShown)
        rect.left += LabelImageWidth() + spacing_;
    if (angle_ != 0)
        DrawRotatedText(rect, flags, shadowPos, ColorToRGB(shadowColor), shadowSize, HasImage());
    else
        DrawShadowedText(*canvas, text, rect, flags, shadowSize, ColorToRGB(shadowColor),
                         shadowPos);

    if (imageShown && !measuring) {
        const int imageHeight = images_->Height();
        int y = margins_[1];
        if (layout_ == tlBottom)
            y = Height() - imageHeight - margins_[3];
        else if (layout_ == tlCenter)
            y = (Height() - imageHeight) / 2;
        images_->Draw(canvas, margins_[0], std::max(y, margins_[1]), imageIndex_, Enabled());
    }
}

void TOcCustomLabel::DrawItemText(RECT& rect, UINT flags)
{
    bool drawn = WithAccess(consumer_, [&]() -> bool {
        auto selection = TInterfacePtr<IOcDataConsumer>(static_cast<IOcDataConsumer*>(consumer_))
                             .Query<IOcDataConsumerSelection>();
        auto item = selection ? selection->SelectedItem() : TInterfacePtr<IOcDataItem>();
        if (!item)
            return false;
        auto owner = item->OwnerList();
        auto listPainter =
            owner ? owner.Query<IOcDataItemsPainter>() : TInterfacePtr<IOcDataItemsPainter>();
        auto itemPainter =
            listPainter ? TInterfacePtr<IOcDataItemPainter>() : item.Query<IOcDataItemPainter>();
        if (!listPainter && !itemPainter)
            return false;
        TCanvas* canvas = Canvas();
        canvas->Brush()->SetColor(Color());
        canvas->Font()->Assign(mouseOver_ ? hotTrackFont_ : Font());
        if (flags & DT_CALCRECT) {
            const SIZE size = listPainter ? listPainter->SizeItem(canvas, item.Get())
                                          : itemPainter->Measure(canvas);
            rect.right = size.cx;
            rect.bottom = size.cy;
        } else {
            const TOcItemPaintState state = Enabled() ? 0 : ipsDisabled;
            if (listPainter)
                listPainter->PaintItem(canvas, rect, item.Get(), state);
            else
                itemPainter->Paint(canvas, rect, state);
        }
        return true;
    });
    if (!drawn)
        DrawLabelText(rect, flags);
}

void TOcCustomLabel::DrawRotatedText(RECT& rect, UINT flags, TShadowPosition shadowPos,
                                     TColor shadowColor, int shadowSize, bool hasImage)
{
    TCanvas* canvas = Canvas();
    const bool measuring = (flags & DT_CALCRECT) != 0;
    std::string text = GetDisplayCaption().substr(0, RotatedTextLimit);
    if (measuring && (text.empty() || (showAccelChar_ && text == "&")))
        text = " ";
    canvas->Font()->Assign(mouseOver_ ? hotTrackFont_ : Font());
    LOGFONTA logFont;
    if (GetObjectA(Font()->Handle(), sizeof(logFont), &logFont) == 0)
        throw Exception("System error " + std::to_string(GetLastError()) +
                        " reading the label's font");
    logFont.lfEscapement = angle_ * 10;
    logFont.lfOrientation = angle_ * 10;
    logFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    canvas->Font()->SetHandle(CreateFontIndirectA(&logFont));
    canvas->Brush()->SetStyle(bsClear);

    const SIZE extent = canvas->TextExtent(text);
    const RECT client = ClientRect();
    const TRotatedTextGeometry g =
        CalcRotatedTextGeometry(angle_, extent.cx, extent.cy, alignment_, AutoSize(),
                                client.right - client.left, client.bottom - client.top);
    if (measuring) {
        rect.right =
            rect.left + g.g4 + (hasImage ? images_->Width() : 0) + margins_[0] + margins_[2];
        rect.bottom = rect.top + g.g5 + margins_[1] + margins_[3];
        return;
    }
    int x = g.x;
    int y = g.y;
    if (hasImage)
        x += alignment_ == taLeftJustify ? images_->Width()
             : alignment_ == taCenter    ? images_->Width() / 2
                                         : 0;
    x += margins_[0];
    y += margins_[1];
    const HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    if (shadowSize > 0) {
        const POINT direction = ShadowDirections[shadowPos];
        SetTextColor(dc, ColorToRGB(shadowColor));
        TextOutA(dc, x + direction.x * shadowSize, y + direction.y * shadowSize, text.c_str(),
                 static_cast<int>(text.size()));
    }
    COLORREF textColor = ColorToRGB(Font()->Color());
    if (!Enabled()) {
        SetTextColor(dc, ColorToRGB(clBtnHighlight));
        TextOutA(dc, x + 1, y + 1, text.c_str(), static_cast<int>(text.size()));
        textColor = ColorToRGB(clBtnShadow);
    }
    SetTextColor(dc, textColor);
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Auto size --------------------------------------------------------------------------------

void TOcCustomLabel::AdjustBounds()
{
    if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) ||
        !AutoSize() || !needsResize_) {
        needsResize_ = false;
        return;
    }
    RECT r = ClientRect();
    InflateRect(&r, -1, 0);
    const HDC dc = GetDC(nullptr);
    auto* canvas = static_cast<TControlCanvas*>(Canvas());
    canvas->BindPaintDC(dc);
    try {
        if (angle_ != 0) {
            DrawRotatedText(r, AlignmentFlags[alignment_] | 0x450, spRightBottom, clNone, 0,
                            HasImage());
        } else {
            r.left += margins_[0];
            r.top += margins_[1];
            r.right -= margins_[2];
            r.bottom -= margins_[3];
            DrawTextOrItem(r, (wordWrap_ ? DT_WORDBREAK : 0) | 0x440);
            r.left -= margins_[0];
            r.top -= margins_[1];
            r.right += margins_[2];
            // The top margin went back onto the rectangle above; adding it here again (as the
            // layout once did) made every auto-sized label that much too tall.
            r.bottom += margins_[3];
        }
    } catch (...) {
        canvas->UnbindPaintDC();
        ReleaseDC(nullptr, dc);
        needsResize_ = false;
        throw;
    }
    canvas->UnbindPaintDC();
    ReleaseDC(nullptr, dc);
    InflateRect(&r, 1, 0);
    TAlignment effective = alignment_;
    if (UseRightToLeftAlignment() && effective != taCenter)
        effective = effective == taLeftJustify ? taRightJustify : taLeftJustify;
    if (LabelImageHeight() > 0)
        r.bottom = std::max<LONG>(r.bottom, r.top + LabelImageHeight());
    int left = Left();
    if (effective == taRightJustify && !HasImage())
        left += Width() - r.right;
    needsResize_ = false;
    SetBounds(left, Top(), r.right, r.bottom);
    needsResize_ = false;
}

void TOcCustomLabel::SetBounds(int left, int top, int width, int height)
{
    needsResize_ = left != Left() || top != Top() || width != Width() || height != Height();
    TOcExGraphicControl::SetBounds(left, top, width, height);
}

// Hot tracking, focus, keys and clicks -----------------------------------------------------

void TOcCustomLabel::UpdateMouseOver()
{
    const bool old = mouseOver_;
    mouseOver_ = Enabled() && !bcl::IsKeyDown(VK_LBUTTON) && !Dragging() &&
                 ControlUnderCursor() == this && storage::ThreadOwnsActiveWindow();
    if (mouseOver_ != old)
        Invalidate();
}

void TOcCustomLabel::NotifyMouseEnter(TControl* control)
{
    if (ComponentState().Contains(csDesigning) || mouseOver_ || !Enabled() ||
        !storage::ThreadOwnsActiveWindow())
        return;
    const bool buttonOrDrag = bcl::IsKeyDown(VK_LBUTTON) || Dragging();
    const bool extraRepaint =
        !Transparent() && (ThemesOn() || (hotTrack_ && !buttonOrDrag && !pressed_));
    UpdateMouseOver();
    TOcExGraphicControl::NotifyMouseEnter(control);
    if (extraRepaint)
        Repaint();
}

void TOcCustomLabel::NotifyMouseLeave(TControl* control)
{
    if (ComponentState().Contains(csDesigning) || !mouseOver_ || !Enabled())
        return;
    const bool buttonOrDrag = bcl::IsKeyDown(VK_LBUTTON) || Dragging();
    const bool extraRepaint =
        !Transparent() && (ThemesOn() || (hotTrack_ && (pressed_ || !buttonOrDrag)));
    UpdateMouseOver();
    TOcExGraphicControl::NotifyMouseLeave(control);
    if (extraRepaint)
        Repaint();
}

void TOcCustomLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TOcExGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled())
        pressed_ = true;
}

void TOcCustomLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TOcExGraphicControl::MouseUp(button, shift, x, y);
    if (button == mbLeft)
        pressed_ = false;
    UpdateMouseOver();
}

void TOcCustomLabel::NotifyEnabledChanged()
{
    TOcExGraphicControl::NotifyEnabledChanged();
    UpdateMouseOver();
}

void TOcCustomLabel::HotTrackFontChanged(TObject*)
{
    if (mouseOver_)
        Invalidate();
}

void TOcCustomLabel::NotifyFontChanged()
{
    TOcExGraphicControl::NotifyFontChanged();
    ResizeNow();
    storage::AssignFontParts(*hotTrackFont_, *Font(), FontPartOptions(hotTrackFontOptions_));
}

void TOcCustomLabel::NotifyFocusChanged(TControl* control)
{
    const bool focused = focusControl_ && control == focusControl_;
    if (focused != focused_) {
        focused_ = focused;
        if (showFocus_)
            Invalidate();
    }
    TOcExGraphicControl::NotifyFocusChanged(control);
}

bool TOcCustomLabel::QueryWantKey(WORD key, TShiftState shift, const std::wstring&)
{
    if (!focusControl_ || !Enabled() || !showAccelChar_ || !IsAccel(key, GetDisplayCaption()) ||
        !shift.Contains(ssAlt))
        return false;
    if (focusControl_->CanFocus())
        focusControl_->SetFocus();
    return true;
}

void TOcCustomLabel::Click()
{
    if (ProviderAttached()) {
        const bool handled = WithAccess(consumer_, [&]() -> bool {
            auto selection =
                TInterfacePtr<IOcDataConsumer>(static_cast<IOcDataConsumer*>(consumer_))
                    .Query<IOcDataConsumerSelection>();
            auto item = selection ? selection->SelectedItem() : TInterfacePtr<IOcDataItem>();
            auto action =
                item ? item.Query<IOcDataItemAction>() : TInterfacePtr<IOcDataItemAction>();
            return action && action->Perform(this);
        });
        if (handled)
            return;
    }
    TOcExGraphicControl::Click();
    if (autoOpenURL_ && !url_.empty())
        bcl::OpenWithShell(url_); // a failure is not reported: the click itself already ran
}

// Notifications ----------------------------------------------------------------------------

void TOcCustomLabel::NotifyTextChanged()
{
    TOcExGraphicControl::NotifyTextChanged();
    DetachProvider();
    Invalidate();
    ResizeNow();
}

void TOcCustomLabel::ImageListChanged(TObject*)
{
    Invalidate();
}

void TOcCustomLabel::ConsumerChanged(TOcDataConsumer*, TOcConsumerChangeReason reason)
{
    if (!ProviderAttached() && reason != cnrProvider)
        return;
    ResizeNow();
}

void TOcCustomLabel::Loaded()
{
    TOcExGraphicControl::Loaded();
    consumer_->Loaded();
    ResizeNow();
}

void TOcCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TOcExGraphicControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == focusControl_)
        SetFocusControl(nullptr);
    if (component == images_)
        SetImages(nullptr);
}

} // namespace controls
