#include "html/HtmlRenderer.h"

#include <shellapi.h>
#include <commctrl.h>

#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

#include "html/HtmlLayout.h"
#include "windows/Images.h"

namespace html {

using classlib::TCanvas;
using classlib::TColor;

namespace {

int Scaled(int pixels, int dpi)
{
    return MulDiv(pixels, dpi, 96);
}

// Where an image source leads: an image-list image, a system icon and/or a picture (a source
// such as "IDX:2" that also names a container picture draws both).
struct ResolvedImage {
    int listIndex = -1;
    bool shell = false;
    bool large = false;
    std::string shellName;
    draw::THTMLPicture* picture = nullptr;
};

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return PosNoCase(prefix, s) == 1;
}

// The system image list of small or large icons, and the icon index of a name: a whole number
// is the index itself; a file or folder that exists is asked by its real attributes, anything
// else (a bare extension such as ".txt") by its name alone.
HIMAGELIST SystemImageList(bool large, const std::string& name, int& index)
{
    SHFILEINFOA info{};
    const UINT size = large ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    index = 0;
    const bool number = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
    if (number) {
        index = ParseIntValue(name);
    } else if (!name.empty()) {
        const DWORD attributes = GetFileAttributesA(name.c_str());
        const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        if (SHGetFileInfoA(name.c_str(), exists ? 0 : FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                           SHGFI_SYSICONINDEX | size | (exists ? 0 : SHGFI_USEFILEATTRIBUTES)))
            index = info.iIcon;
    }
    return reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
}

// HtmlCanvas on a class-library canvas, with the caller's image list and pictures.
class CanvasAdapter : public HtmlCanvas {
public:
    explicit CanvasAdapter(TCanvas* canvas, const HtmlDrawRequest* request = nullptr)
        : canvas_(canvas), request_(request)
    {
    }
    ~CanvasAdapter() override
    {
        if (rotated_)
            RestoreCanvasFont();
    }

    HtmlFont Font() override
    {
        classlib::TFont* f = canvas_->Font();
        HtmlFont font;
        font.Name = f->Name();
        font.Height = f->Height();
        font.Color = f->Color();
        static constexpr std::pair<classlib::TFontStyle, unsigned> kStyles[] = {
            {classlib::fsBold, kHtmlBold},
            {classlib::fsItalic, kHtmlItalic},
            {classlib::fsUnderline, kHtmlUnderline},
            {classlib::fsStrikeOut, kHtmlStrikeOut},
        };
        for (const auto& [style, bit] : kStyles)
            if (f->Style().Contains(style))
                font.Style |= bit;
        return font;
    }

    void SetFont(const HtmlFont& font) override
    {
        classlib::TFont* f = canvas_->Font();
        if (f->Name() != font.Name)
            f->SetName(font.Name);
        if (f->Height() != font.Height)
            f->SetHeight(font.Height);
        if (f->Color() != font.Color)
            f->SetColor(font.Color);
        classlib::TFontStyles style;
        if (font.Style & kHtmlBold)
            style.Include(classlib::fsBold);
        if (font.Style & kHtmlItalic)
            style.Include(classlib::fsItalic);
        if (font.Style & kHtmlUnderline)
            style.Include(classlib::fsUnderline);
        if (font.Style & kHtmlStrikeOut)
            style.Include(classlib::fsStrikeOut);
        if (!(f->Style() == style))
            f->SetStyle(style);
    }

    HtmlColor BrushColor() override
    {
        classlib::TBrush* b = canvas_->Brush();
        return b->Style() == classlib::bsClear ? kHtmlNoColor : b->Color();
    }
    void SetBrushColor(HtmlColor color) override
    {
        if (color == kHtmlNoColor)
            canvas_->Brush()->SetStyle(classlib::bsClear);
        else
            canvas_->Brush()->SetColor(color);
    }
    HtmlColor PenColor() override { return canvas_->Pen()->Color(); }
    void SetPen(HtmlColor color, int width) override
    {
        canvas_->Pen()->SetColor(color);
        canvas_->Pen()->SetWidth(width);
    }
    HtmlColor ToRGB(HtmlColor color) override { return classlib::ColorToRGB(color); }
    int PixelsPerInchX() override { return GetDeviceCaps(canvas_->Handle(), LOGPIXELSX); }
    int PixelsPerInchY() override { return GetDeviceCaps(canvas_->Handle(), LOGPIXELSY); }

    // The layout asks for the height of every run and the width of a space after every word;
    // both depend only on the font (a single line is as high as its font whatever its text),
    // so they are measured once per font of the call.
    int TextWidth(std::string_view text) override
    {
        if (text == " ")
            return FontMetrics().spaceWidth;
        return canvas_->TextExtent(std::string(text)).cx;
    }
    int TextHeight(std::string_view) override { return FontMetrics().height; }
    // Every run is measured by both passes of its line; the second measurement of the same
    // text in the same font and format comes from memory. (With an end ellipsis the result may
    // depend on the rectangle, so those are always measured.)
    void DrawText(std::string_view text, HtmlRect& rect, unsigned format) override
    {
        const bool measure = (format & kFormatCalcRect) != 0;
        const bool memo = measure && (format & kFormatEndEllipsis) == 0;
        std::string key;
        if (memo) {
            key = std::to_string(&FontMetrics() - metrics_.data()) + ':' + std::to_string(format) +
                  ':';
            key.append(text);
            const auto found = measured_.find(key);
            if (found != measured_.end()) {
                rect.Right = rect.Left + found->second.cx;
                rect.Bottom = rect.Top + found->second.cy;
                return;
            }
        }
        RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
        canvas_->DrawText(std::string(text), r, format);
        if (memo)
            measured_.emplace(std::move(key), SIZE{r.right - r.left, r.bottom - r.top});
        rect = {r.left, r.top, r.right, r.bottom};
    }
    void Rectangle(const HtmlRect& r) override
    {
        canvas_->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    }
    void MoveTo(int x, int y) override { canvas_->MoveTo(x, y); }
    void LineTo(int x, int y) override { canvas_->LineTo(x, y); }
    void DrawFocusRect(const HtmlRect& r) override
    {
        canvas_->DrawFocusRect(RECT{r.Left, r.Top, r.Right, r.Bottom});
    }

    // The canvas font with its escapement and orientation turned, selected behind the canvas's
    // back; the canvas selects its own font again whenever that font changes.
    void SelectRotatedFont(int angle) override
    {
        if (rotated_)
            RestoreCanvasFont();
        const HDC dc = canvas_->Handle();
        LOGFONTA logFont{};
        GetObjectA(canvas_->Font()->Handle(), sizeof logFont, &logFont);
        logFont.lfEscapement = angle * 10;
        logFont.lfOrientation = angle * 10;
        rotated_ = CreateFontIndirectA(&logFont);
        if (rotated_)
            SelectObject(dc, rotated_);
    }
    // Selects the canvas's current font (not a handle kept from before, which a font change
    // may have freed) and deletes the turned one.
    void RestoreCanvasFont() override
    {
        if (!rotated_)
            return;
        SelectObject(canvas_->Handle(), canvas_->Font()->Handle());
        DeleteObject(rotated_);
        rotated_ = nullptr;
    }

    HtmlImageSize PlaceImage(std::string_view source, int x, int top, int width, int height,
                             bool draw) override
    {
        const ResolvedImage image = Resolve(source);
        HtmlImageSize size;
        if (image.listIndex >= 0) {
            size = ListImageSize();
            if (draw)
                DrawListImage(image.listIndex, x, top);
        } else if (image.shell) {
            size = DrawShell(image, x, top, draw);
        }
        if (image.picture) {
            draw::THTMLPicture* picture = image.picture;
            const bool stretched = width >= 1 && height >= 1;
            if (draw) {
                if (!stretched) {
                    picture->CountGifFrames();
                    canvas_->Draw(x + picture->FrameLeft(), top + picture->FrameTop(), picture);
                } else {
                    picture->SetStretch(true);
                    canvas_->StretchDraw(RECT{x, top, x + width, top + height}, picture);
                }
            }
            size = stretched ? HtmlImageSize{Scaled(width, PixelsPerInchX()),
                                             Scaled(height, PixelsPerInchY())}
                             : HtmlImageSize{Scaled(picture->Width(), PixelsPerInchX()),
                                             Scaled(picture->Height(), PixelsPerInchY())};
        }
        return size;
    }

    void DrawBackgroundImage(std::string_view source, HtmlBackground kind, int x, int top,
                             int workingRight, const HtmlRect& rect) override
    {
        const ResolvedImage image = Resolve(source);
        const bool scale = request_ && request_->ScaleImages;
        if (image.listIndex >= 0) {
            const bool corner = kind == HtmlBackground::TopRight && !scale;
            DrawListImage(image.listIndex, corner ? workingRight - Images()->Width() : x, top);
        } else if (image.shell) {
            // At the top right the icon's own width places it when no image list gives one.
            int left = x;
            if (kind == HtmlBackground::TopRight) {
                const HtmlImageSize icon = DrawShell(image, 0, 0, false);
                left = workingRight - (Images() ? Images()->Width() : icon.Width);
            }
            DrawShell(image, left, top, true);
        }
        draw::THTMLPicture* picture = image.picture;
        if (!picture || picture->Width() <= 0 || picture->Height() <= 0)
            return;
        const int w = picture->Width();
        const int h = picture->Height();
        const HDC dc = canvas_->Handle();
        // Clipped to the layout rectangle; the caller's clip region comes back afterwards.
        HRGN saved = CreateRectRgn(0, 0, 0, 0);
        const bool hadClip = GetClipRgn(dc, saved) == 1;
        IntersectClipRect(dc, rect.Left, rect.Top, rect.Right, rect.Bottom);
        switch (kind) {
            case HtmlBackground::Tile:
                for (int py = rect.Top; py < rect.Bottom; py += h)
                    for (int px = rect.Left; px < rect.Right; px += w)
                        canvas_->Draw(px, py, picture);
                break;
            case HtmlBackground::TopLeft:
                canvas_->Draw(rect.Left, rect.Top, picture);
                break;
            case HtmlBackground::TopRight:
                canvas_->Draw(rect.Right - w, rect.Top, picture);
                break;
        }
        SelectClipRgn(dc, hadClip ? saved : nullptr);
        DeleteObject(saved);
    }

private:
    classlib::TCustomImageList* Images() const { return request_ ? request_->Images : nullptr; }

    ResolvedImage Resolve(std::string_view source)
    {
        ResolvedImage image;
        std::string rest(source);
        if (StartsWithNoCase(rest, "IDX:")) {
            rest.erase(0, 4);
            const bool negative = rest.find_first_not_of(' ') != std::string::npos &&
                                  rest[rest.find_first_not_of(' ')] == '-';
            const int index = ParseIntValue(rest);
            if (Images() && !negative && index < Images()->Count())
                image.listIndex = index;
        } else if (StartsWithNoCase(rest, "SSYS:") || StartsWithNoCase(rest, "LSYS:")) {
            image.shell = true;
            image.large = StartsWithNoCase(rest, "LSYS:");
            rest.erase(0, 5);
            image.shellName = rest;
        }
        draw::THTMLPicture* picture = nullptr;
        if (rest.find(':') == std::string::npos && request_ && request_->PictureContainer)
            picture = request_->PictureContainer->LookupPicture(rest);
        if (rest.find("://") != std::string::npos && request_ && request_->PictureCache) {
            draw::THTMLPictureCache* cache = request_->PictureCache;
            picture = cache->FindPictureByURL(rest);
            if (!picture) {
                draw::THTMLPicture* added = cache->AddPicture();
                added->SetAsynchronous(false);
                added->LoadFromSource(rest);
                picture = cache->FindPictureByURL(rest);
            }
        }
        if (picture && !picture->Empty())
            image.picture = picture;
        return image;
    }

    HtmlImageSize ListImageSize()
    {
        return {Scaled(Images()->Width(), PixelsPerInchX()),
                Scaled(Images()->Height(), PixelsPerInchY())};
    }

    void DrawListImage(int index, int x, int top)
    {
        classlib::TCustomImageList* images = Images();
        if (!request_->ScaleImages) {
            images->Draw(canvas_, x, top, index, true);
            return;
        }
        classlib::TBitmap bitmap;
        images->GetBitmap(index, &bitmap);
        const double scale = request_->ImageScale;
        StretchBitmapToRect(canvas_,
                            RECT{x, top, x + static_cast<int>(std::lround(images->Width() * scale)),
                                 top + static_cast<int>(std::lround(images->Height() * scale))},
                            &bitmap);
    }

    HtmlImageSize DrawShell(const ResolvedImage& image, int x, int top, bool draw)
    {
        SIZE size{};
        const bool scale = request_ && request_->ScaleImages;
        const double factor = request_ ? request_->ImageScale : 1.0;
        DrawShellIcon(canvas_, x, top, size, factor, scale, draw, image.large, image.shellName);
        return {Scaled(size.cx, PixelsPerInchX()), Scaled(size.cy, PixelsPerInchY())};
    }

    struct Metrics {
        std::string name;
        int fontHeight;
        unsigned style;
        int height;
        int spaceWidth;
    };
    const Metrics& FontMetrics()
    {
        const HtmlFont font = Font();
        for (const Metrics& m : metrics_)
            if (m.fontHeight == font.Height && m.style == font.Style && m.name == font.Name)
                return m;
        const SIZE space = canvas_->TextExtent(" ");
        metrics_.push_back({font.Name, font.Height, font.Style, space.cy, space.cx});
        return metrics_.back();
    }

    TCanvas* canvas_;
    const HtmlDrawRequest* request_;
    HFONT rotated_ = nullptr;
    std::vector<Metrics> metrics_;
    std::unordered_map<std::string, SIZE> measured_;
};

} // namespace

bool DrawHtmlText(const HtmlDrawRequest& request, HtmlDrawResult& result)
{
    result = HtmlDrawResult{};
    result.HitAnchor = request.HitAnchor;
    result.HitAnchorRect = request.HitAnchorRect;
    TCanvas* canvas = request.Canvas;
    if (!canvas)
        return false;

    classlib::TFont entryFont;
    entryFont.Assign(canvas->Font());
    SetBkMode(canvas->Handle(), TRANSPARENT);

    HtmlLayoutRequest q;
    q.Text = request.Text;
    q.Rect = {request.Rect.left, request.Rect.top, request.Rect.right, request.Rect.bottom};
    q.X = request.X;
    q.Y = request.Y;
    q.FocusIndex = request.FocusIndex;
    q.HotIndex = request.HotIndex;
    q.ShadowOffset = request.ShadowOffset;
    q.HitTestOnly = request.HitTestOnly;
    q.MeasureOnly = request.MeasureOnly;
    q.PlainColors = request.PlainColors;
    q.BlinkPhase = request.BlinkPhase;
    q.HotEffects = request.HotEffects;
    q.WordWrap = request.WordWrap;
    q.LinkColor = request.LinkColor;
    q.HotBackColor = request.HotBackColor;
    q.HotTextColor = request.HotTextColor;
    q.ShadowColor = request.ShadowColor;
    q.LineSpacing = request.LineSpacing;
    q.HitAnchor = request.HitAnchor;
    q.HitAnchorRect = {request.HitAnchorRect.left, request.HitAnchorRect.top,
                       request.HitAnchorRect.right, request.HitAnchorRect.bottom};

    HtmlLayoutResult r;
    {
        CanvasAdapter adapter(canvas, &request);
        r = LayoutHtmlText(adapter, q);
    }
    // The entry font exactly as it was (character set and pitch included).
    canvas->Font()->Assign(&entryFont);

    result.HitAnchor = std::move(r.HitAnchor);
    result.PlainText = std::move(r.PlainText);
    result.FocusedHref = std::move(r.FocusedHref);
    result.TextWidth = r.TextWidth;
    result.TextHeight = r.TextHeight;
    result.AnchorCount = r.AnchorCount;
    result.HitAnchorIndex = r.HitAnchorIndex;
    result.HitAnchorRect = RECT{r.HitAnchorRect.Left, r.HitAnchorRect.Top, r.HitAnchorRect.Right,
                                r.HitAnchorRect.Bottom};
    return r.Hit;
}

bool IsDirectoryPath(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void StretchBitmapToRect(TCanvas* canvas, const RECT& rect, classlib::TBitmap* bitmap)
{
    if (!canvas || !bitmap || bitmap->Empty())
        return;
    const int width = bitmap->Width();
    const int height = bitmap->Height();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * static_cast<size_t>(height));
    const HDC dc = canvas->Handle();
    const HBITMAP handle = bitmap->Handle();
    if (GetDIBits(dc, handle, 0, static_cast<UINT>(height), bits.data(), &info, DIB_RGB_COLORS) ==
        0)
        return;
    StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0,
                  width, height, bits.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void DrawShellIcon(TCanvas* canvas, int x, int y, SIZE& size, double scale, bool stretch, bool draw,
                   bool large, const std::string& name)
{
    int index = 0;
    const HIMAGELIST list = SystemImageList(large, name, index);
    size = SIZE{0, 0};
    if (!list)
        return;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    size = SIZE{cx, cy};
    if (!draw || !canvas)
        return;
    if (!stretch) {
        ImageList_Draw(list, index, canvas->Handle(), x, y, ILD_TRANSPARENT);
        return;
    }
    classlib::TBitmap bitmap;
    bitmap.SetSize(cx, cy);
    ImageList_Draw(list, index, bitmap.Canvas()->Handle(), 0, 0, ILD_TRANSPARENT);
    StretchBitmapToRect(canvas,
                        RECT{x, y, x + static_cast<int>(std::lround(cx * scale)),
                             y + static_cast<int>(std::lround(cy * scale))},
                        &bitmap);
}

void FillGradientBands(TCanvas* canvas, TColor color1, TColor color2, bool horizontal,
                       const RECT& rect, int count, TColor frameColor)
{
    if (!canvas)
        return;
    CanvasAdapter adapter(canvas);
    FillGradientBands(adapter, color1, color2, horizontal,
                      HtmlRect{rect.left, rect.top, rect.right, rect.bottom}, count, frameColor);
}

} // namespace html
