#include "windows/ImageLists.h"

#include "core/ComponentStream.h"
#include "core/TypeInfo.h"
#include "windows/StreamAdapter.h"

#include <algorithm>

namespace classlib {

CLASSLIB_DEFINE_ENUM(TDrawingStyle, "dsFocus", "dsSelected", "dsNormal", "dsTransparent")
CLASSLIB_DEFINE_ENUM(TImageType, "itImage", "itMask")

CLASSLIB_PUBLISH(TChangeLink) {}
CLASSLIB_PUBLISH(TCustomImageList) {}
CLASSLIB_PUBLISH(TImageList)
{
    AsColorProperty(c.Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor))
        .SetDefault(clNone);
    AsColorProperty(c.Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor))
        .SetDefault(clNone);
    c.Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle)
        .SetDefault(dsNormal);
    c.Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType).SetDefault(itImage);
    c.Property("Height", &TImageList::Height, &TImageList::SetHeight).SetDefault(16);
    c.Property("Masked", &TImageList::Masked, &TImageList::SetMasked).SetDefault(true);
    c.Property("Width", &TImageList::Width, &TImageList::SetWidth).SetDefault(16);
    c.Property("OnChange", &TImageList::OnChange);
}

// ---- TChangeLink ----------------------------------------------------------------------------

TChangeLink::~TChangeLink()
{
    if (sender_)
        sender_->UnRegisterChanges(this);
}

void TChangeLink::Change()
{
    if (OnChange)
        OnChange(sender_);
}

// ---- TCustomImageList -----------------------------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner)
{
    Recreate();
}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* link : links_)
        link->SetSender(nullptr);
    links_.clear();
    if (handle_)
        ImageList_Destroy(handle_);
}

void TCustomImageList::Recreate()
{
    if (handle_)
        ImageList_Destroy(handle_);
    handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), 4, 4);
    if (!handle_)
        throw EOutOfResources("Out of system resources");
    ImageList_SetBkColor(handle_, bkColor_ == clNone ? CLR_NONE : ColorToRGB(bkColor_));
}

HIMAGELIST TCustomImageList::Handle()
{
    return handle_;
}

int TCustomImageList::Count() const
{
    return handle_ ? ImageList_GetImageCount(handle_) : 0;
}

void TCustomImageList::SetWidth(int width)
{
    if (width == width_ || width <= 0)
        return;
    width_ = width;
    Recreate();
    Change();
}

void TCustomImageList::SetHeight(int height)
{
    if (height == height_ || height <= 0)
        return;
    height_ = height;
    Recreate();
    Change();
}

void TCustomImageList::SetMasked(bool value)
{
    if (value == masked_)
        return;
    masked_ = value;
    Recreate();
    Change();
}

void TCustomImageList::SetBkColor(TColor color)
{
    if (color == bkColor_)
        return;
    bkColor_ = color;
    ImageList_SetBkColor(handle_, color == clNone ? CLR_NONE : ColorToRGB(color));
    Change();
}

void TCustomImageList::SetBlendColor(TColor color)
{
    if (color == blendColor_)
        return;
    blendColor_ = color;
    Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle style)
{
    if (style == drawingStyle_)
        return;
    drawingStyle_ = style;
    Change();
}

void TCustomImageList::SetImageType(TImageType type)
{
    if (type == imageType_)
        return;
    imageType_ = type;
    Change();
}

void TCustomImageList::DefineProperties(TFiler& filer)
{
    TComponent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Bitmap", [this](TStream& stream) { ReadImages(stream); },
        [this](TStream& stream) { WriteImages(stream); }, Count() > 0);
}

void TCustomImageList::ReadImages(TStream& stream)
{
    TStreamAdapter adapter(stream);
    HIMAGELIST list = ImageList_Read(&adapter);
    if (!list)
        throw EReadError("Failed to read ImageList data from stream");
    if (handle_)
        ImageList_Destroy(handle_);
    handle_ = list;
    // The stream's own size and background colour win over the published ones.
    ImageList_GetIconSize(handle_, &width_, &height_);
    const COLORREF back = ImageList_GetBkColor(handle_);
    bkColor_ = back == CLR_NONE ? clNone : back;
    Change();
}

void TCustomImageList::WriteImages(TStream& stream)
{
    TStreamAdapter adapter(stream);
    if (!ImageList_Write(handle_, &adapter))
        throw EWriteError("Failed to write ImageList data to stream");
}

void TCustomImageList::Assign(TPersistent* source)
{
    auto* list = dynamic_cast<TCustomImageList*>(source);
    if (!list) {
        TComponent::Assign(source);
        return;
    }
    width_ = list->width_;
    height_ = list->height_;
    masked_ = list->masked_;
    bkColor_ = list->bkColor_;
    if (handle_)
        ImageList_Destroy(handle_);
    handle_ = ImageList_Duplicate(list->handle_);
    if (!handle_)
        Recreate();
    Change();
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image || image->Empty())
        return -1;
    // The image list copies bitmaps that are outside any device context.
    image->Dormant();
    if (mask)
        mask->Dormant();
    const int index =
        ImageList_Add(handle_, image->Handle(), mask && !mask->Empty() ? mask->Handle() : nullptr);
    Change();
    return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty())
        return -1;
    // ImageList_AddMasked needs the bitmap outside any device context.
    image->Dormant();
    int index;
    if (masked_ && maskColor != clNone)
        index = ImageList_AddMasked(handle_, image->Handle(), ColorToRGB(maskColor));
    else
        index = ImageList_Add(handle_, image->Handle(), nullptr);
    Change();
    return index;
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon || icon->Empty())
        return -1;
    const int index = ImageList_AddIcon(handle_, icon->Handle());
    Change();
    return index;
}

void TCustomImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid ImageList Index");
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask)
{
    CheckIndex(index);
    if (!image)
        return;
    image->Dormant();
    if (mask)
        mask->Dormant();
    ImageList_Replace(handle_, index, image->Handle(), mask ? mask->Handle() : nullptr);
    Change();
}

void TCustomImageList::Delete(int index)
{
    CheckIndex(index);
    ImageList_Remove(handle_, index);
    Change();
}

void TCustomImageList::Clear()
{
    ImageList_Remove(handle_, -1);
    Change();
}

void TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || index < 0 || index >= Count())
        return;
    image->SetSize(width_, height_);
    ImageList_Draw(handle_, index, image->Canvas()->Handle(), 0, 0, ILD_NORMAL);
}

bool TCustomImageList::GetIcon(int index, TIcon* icon)
{
    if (!icon || index < 0 || index >= Count())
        return false;
    HICON handle = ImageList_GetIcon(handle_, index, ILD_NORMAL);
    if (!handle)
        return false;
    icon->SetHandle(handle);
    return true;
}

void TCustomImageList::Overlay(int imageIndex, int overlay)
{
    if (overlay < 0 || overlay > 3)
        throw EInvalidOperation("Invalid overlay index");
    CheckIndex(imageIndex);
    ImageList_SetOverlayImage(handle_, imageIndex, overlay + 1);
    overlays_[overlay] = imageIndex;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style,
                            TImageType type, bool enabled)
{
    if (!canvas || index < 0 || index >= Count())
        return;
    // In the order of TDrawingStyle.
    static const UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    UINT flags = kStyles[style];
    if (type == itMask)
        flags |= ILD_MASK;
    DrawImage(canvas->Handle(), x, y, index, flags, enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay,
                                   bool enabled)
{
    if (!canvas || index < 0 || index >= Count() || overlay < 0 || overlay > 3)
        return;
    Draw(canvas, x, y, index, enabled);
    // The overlay drawn as an image of its own over the first: some image-list
    // implementations paint an INDEXTOOVERLAYMASK overlay without its mask.
    const int overlayIndex = overlays_[overlay];
    if (overlayIndex >= 0 && overlayIndex < Count())
        Draw(canvas, x, y, overlayIndex, drawingStyle_ == dsNormal ? dsTransparent : drawingStyle_,
             imageType_, enabled);
}

void TCustomImageList::DrawImage(HDC dc, int x, int y, int index, UINT flags, bool enabled)
{
    if (!enabled) {
        DrawGreyed(dc, x, y, index);
        return;
    }
    const COLORREF back = bkColor_ == clNone ? CLR_NONE : ColorToRGB(bkColor_);
    const COLORREF blend = blendColor_ == clNone ? CLR_DEFAULT : ColorToRGB(blendColor_);
    ImageList_DrawEx(handle_, index, dc, x, y, 0, 0, back, blend, flags);
}

void TCustomImageList::DrawGreyed(HDC dc, int x, int y, int index)
{
    // The image's shape (its mask, or everything when the list has none) painted once in the
    // 3-D highlight colour one pixel right and down, and once in the shadow colour on top:
    // the usual look of a disabled glyph.
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP mask = CreateBitmap(width_, height_, 1, 1, nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    PatBlt(maskDc, 0, 0, width_, height_, WHITENESS);
    if (masked_)
        ImageList_Draw(handle_, index, maskDc, 0, 0, ILD_MASK);
    else
        PatBlt(maskDc, 0, 0, width_, height_, BLACKNESS);

    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    const struct {
        int offset;
        int sysColor;
    } passes[] = {{1, COLOR_BTNHIGHLIGHT}, {0, COLOR_BTNSHADOW}};
    for (const auto& pass : passes) {
        HBRUSH brush = CreateSolidBrush(GetSysColor(pass.sysColor));
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        // Pattern where the mask is black (the image), destination where it is white:
        // "PSDPxax" = 0x00B8074A.
        BitBlt(dc, x + pass.offset, y + pass.offset, width_, height_, maskDc, 0, 0, 0x00B8074A);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
    SelectObject(maskDc, oldMask);
    DeleteObject(mask);
    DeleteDC(maskDc);
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link || std::find(links_.begin(), links_.end(), link) != links_.end())
        return;
    link->SetSender(this);
    links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link)
{
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end())
        return;
    links_.erase(it);
    link->SetSender(nullptr);
}

void TCustomImageList::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0 && changedInUpdate_) {
        changedInUpdate_ = false;
        Change();
    }
}

void TCustomImageList::Change()
{
    if (updateCount_ > 0) {
        changedInUpdate_ = true;
        return;
    }
    // A link's handler may unregister links: walk a copy.
    const std::vector<TChangeLink*> links = links_;
    for (TChangeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            link->Change();
    if (OnChange)
        OnChange(this);
}

} // namespace classlib
