#include "AdvReflectionLabel.h"

#include "draw/AdvGDIP.h"
#include "core/Streams.h"
#include "windows/Images.h"

#include <objbase.h>

#include <algorithm>
#include <cmath>

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TAdvReflectionLabel)
{
    c.Property("HTMLText", &TAdvReflectionLabel::HTMLText, &TAdvReflectionLabel::SetHTMLText);
    c.Property("Images", &TAdvReflectionLabel::Images, &TAdvReflectionLabel::SetImages);
    c.Property("PictureContainer", &TAdvReflectionLabel::PictureContainer,
               &TAdvReflectionLabel::SetPictureContainer);
    c.Property("Reflection", &TAdvReflectionLabel::Reflection, &TAdvReflectionLabel::SetReflection)
        .SetDefault(100);
    c.Property("ReflectionAxis", &TAdvReflectionLabel::ReflectionAxis,
               &TAdvReflectionLabel::SetReflectionAxis)
        .SetDefault(-7);
    c.Property("Transparent", &TAdvReflectionLabel::Transparent,
               &TAdvReflectionLabel::SetTransparent)
        .SetDefault(true);
    AsColorProperty(
        c.Property("URLColor", &TAdvReflectionLabel::URLColor, &TAdvReflectionLabel::SetURLColor));
    c.Property("Version", &TAdvReflectionLabel::Version, &TAdvReflectionLabel::SetVersion)
        .Stored(false);
}

CLASSLIB_MESSAGE_MAP(TAdvReflectionLabel)
{
    m.On(CM_FONTCHANGED, &TAdvReflectionLabel::CMFontChanged);
}

namespace {

constexpr int PixelFormat32bppARGB = 0x26200A;
constexpr int RotateNoneFlipY = 6;

int RoundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// The label's text with spaces removed, in lower case: where its alignment attributes are
// looked for.
std::string CompactLowerCase(const std::string& text)
{
    std::string compact;
    for (char c : text) {
        if (c == ' ')
            continue;
        compact += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return compact;
}

} // namespace

int ReflectionRowAlpha(int row, int height, int reflection)
{
    const int factor = RoundEven(255.0 / height * (height - row)) - reflection;
    return std::clamp(factor, 0, 255);
}

TAdvReflectionLabel::TAdvReflectionLabel(TComponent* owner) : TCustomHTMLabel(owner)
{
    Font()->SetSize(12);
    Font()->SetStyle(TFontStyles{fsBold});
    SetTransparent(true);
    SetBounds(Left(), Top(), 185, 40);
}

TAdvReflectionLabel::~TAdvReflectionLabel() = default;

void TAdvReflectionLabel::InvalidateReflection()
{
    rebuildPending_ = true;
    Invalidate();
}

void TAdvReflectionLabel::SetHTMLText(TStrings* value)
{
    TCustomHTMLabel::SetHTMLText(value);
    InvalidateReflection();
}

void TAdvReflectionLabel::HTMLTextChanged(TObject* sender)
{
    TCustomHTMLabel::HTMLTextChanged(sender);
    InvalidateReflection();
}

void TAdvReflectionLabel::ImageListChanged(TObject* sender)
{
    TCustomHTMLabel::ImageListChanged(sender);
    InvalidateReflection();
}

void TAdvReflectionLabel::Loaded()
{
    TCustomHTMLabel::Loaded();
    InvalidateReflection();
}

void TAdvReflectionLabel::CMFontChanged(TMessage& m)
{
    Inherited(TAdvReflectionLabel::StaticClass(), m);
    InvalidateReflection();
}

void TAdvReflectionLabel::Resize()
{
    TCustomHTMLabel::Resize();
    if (!ComponentState().Contains(csLoading))
        InvalidateReflection();
}

void TAdvReflectionLabel::SetReflection(int value)
{
    if (value == reflection_)
        return;
    reflection_ = value;
    InvalidateReflection();
}

void TAdvReflectionLabel::SetReflectionAxis(int value)
{
    if (value == reflectionAxis_)
        return;
    reflectionAxis_ = value;
    // Painted at once on the current canvas, over the old pixels.
    if (Parent() && Parent()->HandleAllocated()) {
        HDC dc = GetDC(Parent()->Handle());
        auto* canvas = static_cast<TControlCanvas*>(Canvas());
        const int saved = SaveDC(dc);
        SetViewportOrgEx(dc, Left(), Top(), nullptr);
        IntersectClipRect(dc, 0, 0, Width(), Height());
        canvas->BindPaintDC(dc);
        try {
            Paint();
        } catch (...) {
            canvas->UnbindPaintDC();
            RestoreDC(dc, saved);
            ReleaseDC(Parent()->Handle(), dc);
            throw;
        }
        canvas->UnbindPaintDC();
        RestoreDC(dc, saved);
        ReleaseDC(Parent()->Handle(), dc);
    }
}

void TAdvReflectionLabel::SetName(const std::string& name)
{
    const bool follows = !ComponentState().Contains(csLoading) && htmlText_->Text() == Name() &&
                         (!Owner() || !dynamic_cast<TControl*>(Owner()) ||
                          !Owner()->ComponentState().Contains(csLoading));
    TCustomHTMLabel::SetName(name);
    if (follows)
        htmlText_->SetText(name);
}

bool TAdvReflectionLabel::DrawHtml(html::HtmlDrawRequest& request, html::HtmlDrawResult& result)
{
    const bool hit = TCustomHTMLabel::DrawHtml(request, result);
    lastTextWidth_ = result.TextWidth;
    lastTextHeight_ = result.TextHeight;
    return hit;
}

void TAdvReflectionLabel::Paint()
{
    SetCaption("");
    TCanvas* canvas = Canvas();
    const RECT client = ClientRect();
    if (!Transparent()) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(client);
    }
    canvas->Font()->Assign(Font());
    if (reflectionBitmap_ && !rebuildPending_) {
        auto graphics = draw::TGPGraphics::CreateFromHDC(canvas->Handle());
        graphics->DrawImageRect(reflectionBitmap_.get(), reflectionOffset_,
                                lastTextHeight_ + reflectionAxis_,
                                static_cast<int>(reflectionBitmap_->GetImageWidth()),
                                static_cast<int>(reflectionBitmap_->GetImageHeight()));
    }
    const POINT pointer = PointerPosition();
    html::HtmlDrawRequest request = TextRequest(client, pointer.x, pointer.y, hotIndex_, false);
    html::HtmlDrawResult result;
    DrawHtml(request, result);
    if (rebuildPending_ && !ComponentState().Contains(csLoading) && lastTextHeight_ > 0) {
        BuildReflectionBitmap();
        if (!rebuildPending_)
            Paint();
    }
}

void TAdvReflectionLabel::BuildReflectionBitmap()
{
    if (ComponentState().Contains(csLoading) || lastTextHeight_ <= 0)
        return;
    rebuildPending_ = false;
    const int height = lastTextHeight_;
    const int width = lastTextWidth_;
    // A text area without width holds nothing to mirror (and GDI+ makes no bitmap of it).
    if (width <= 0) {
        reflectionBitmap_.reset();
        return;
    }
    reflectionOffset_ = 0;
    const std::string compact = CompactLowerCase(GetDisplayText());
    if (compact.find("align=\"center\"") != std::string::npos)
        reflectionOffset_ = (Width() - width) / 2;
    else if (compact.find("align=\"right\"") != std::string::npos)
        reflectionOffset_ = Width() - width;

    TBitmap copy;
    copy.SetSize(width, height);
    copy.SetTransparentMode(tmAuto);
    copy.SetTransparent(true);
    copy.Canvas()->SetCopyMode(cmSrcCopy);
    copy.Canvas()->CopyRect({0, 0, width, height}, Canvas(),
                            {reflectionOffset_, 0, reflectionOffset_ + width, height});
    TMemoryStream bmp;
    copy.SaveToStream(bmp);
    const auto size = static_cast<SIZE_T>(bmp.Size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        throw Exception("Could not allocate memory for reflection Label");
    IStream* stream = nullptr;
    // The stream owns the block from here on; without a stream the block is freed here and the
    // label shows no reflection.
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
        GlobalFree(block);
        reflectionBitmap_.reset();
        return;
    }
    ULONG written = 0;
    const LARGE_INTEGER start{};
    if (FAILED(stream->Write(bmp.Memory(), static_cast<ULONG>(size), &written)) ||
        written != size || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        stream->Release();
        reflectionBitmap_.reset();
        return;
    }
    auto flipped = draw::TGPBitmap::CreateBitmapFromStream(stream, false);
    flipped->ImageRotateFlip(RotateNoneFlipY);
    reflectionBitmap_ = draw::TGPBitmap::CreateBitmapFromScan0(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        const int factor = ReflectionRowAlpha(y, height, reflection_);
        for (int x = 0; x < width; ++x) {
            draw::ARGB pixel = 0;
            flipped->BitmapGetPixel(x, y, pixel);
            const uint32_t alpha = pixel >> 24;
            if (alpha == 0)
                continue;
            const auto faded = static_cast<uint32_t>(RoundEven(factor / 255.0 * alpha));
            reflectionBitmap_->BitmapSetPixel(x, y, (faded << 24) | (pixel & 0xFFFFFF));
        }
    }
    flipped.reset();
    stream->Release();
}

} // namespace controls
