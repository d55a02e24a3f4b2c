#pragma once
// Image lists: equally sized images in one native image list, drawn enabled or greyed, with
// change links through which the controls that show them learn about changes.
#include "windows/Images.h"

#include "core/Component.h"

#include <objidl.h> // before commctrl.h, which then declares the image-list stream functions
#include <commctrl.h>

#include <vector>

namespace classlib {

class TCustomImageList;

// How Draw paints an image: dsFocus blends 25 % and dsSelected 50 % of the blend colour over
// it, dsTransparent leaves the mask's pixels alone, dsNormal fills them with the background
// colour (transparent when that is clNone).
enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
// itMask draws the image's mask (black shape on white) instead of its colours.
enum TImageType { itImage, itMask };
CLASSLIB_ENUM(TDrawingStyle);
CLASSLIB_ENUM(TImageType);

// A control's link to an image list: the list calls OnChange after every change.
class TChangeLink : public TObject {
    CLASSLIB_CLASS(TChangeLink, TObject)
    TChangeLink() = default;
    // Unregisters itself from its list.
    ~TChangeLink() override;
    TCustomImageList* Sender() const { return sender_; }
    void SetSender(TCustomImageList* list) { sender_ = list; }
    virtual void Change();
    TNotifyEvent OnChange;

private:
    TCustomImageList* sender_ = nullptr;
};

class TCustomImageList : public TComponent {
    CLASSLIB_CLASS(TCustomImageList, TComponent)
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;
    void Assign(TPersistent* source) override;

    HIMAGELIST Handle();
    int Count() const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size removes every image.
    void SetWidth(int width);
    void SetHeight(int height);
    bool Masked() const { return masked_; }
    void SetMasked(bool value);
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor color);
    // Colour blended over images drawn dsFocus or dsSelected; clNone blends the system
    // highlight colour.
    TColor BlendColor() const { return blendColor_; }
    void SetBlendColor(TColor color);
    TDrawingStyle DrawingStyle() const { return drawingStyle_; }
    void SetDrawingStyle(TDrawingStyle style);
    TImageType ImageType() const { return imageType_; }
    void SetImageType(TImageType type);

    // Adds the image (cut into list-sized pieces when wider); returns the index of the first.
    // `mask` (monochrome sense: white = transparent) may be null.
    int Add(TBitmap* image, TBitmap* mask);
    // Adds the image with every pixel of `maskColor` transparent.
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void Delete(int index);
    void Clear();
    // Copies image `index` into `image` (sized to the list, background of the bitmap kept).
    void GetBitmap(int index, TBitmap* image);
    // Image `index` as an icon (its mask making the transparent part); false for an index
    // outside the list.
    bool GetIcon(int index, TIcon* icon);
    // Makes image `imageIndex` overlay number `overlay` (0 to 3), for DrawOverlay.
    void Overlay(int imageIndex, int overlay);

    // Draws image `index` in the list's DrawingStyle and ImageType; greyed (the image's shape
    // in the 3-D highlight and shadow colours) when not enabled. An index outside the list
    // draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type,
              bool enabled = true);
    // Draws image `index` with overlay `overlay` (set by Overlay) on top of it.
    void DrawOverlay(TCanvas* canvas, int x, int y, int index, int overlay, bool enabled = true);

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    TNotifyEvent OnChange;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

protected:
    virtual void Change();
    // The images travel in the form streams as the binary property "Bitmap": the system's
    // image-list stream (ImageList_Write), which holds size, count, colours and masks.
    void DefineProperties(TFiler& filer) override;

private:
    void ReadImages(TStream& stream);
    void WriteImages(TStream& stream);
    void DrawImage(HDC dc, int x, int y, int index, UINT flags, bool enabled);
    void Recreate();
    void CheckIndex(int index) const;
    void DrawGreyed(HDC dc, int x, int y, int index);

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    TColor bkColor_ = clNone;
    TColor blendColor_ = clNone;
    TDrawingStyle drawingStyle_ = dsNormal;
    TImageType imageType_ = itImage;
    int overlays_[4] = {-1, -1, -1, -1}; // image index of each overlay
    std::vector<TChangeLink*> links_;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};

class TImageList : public TCustomImageList {
    CLASSLIB_CLASS(TImageList, TCustomImageList)
    using TCustomImageList::TCustomImageList;
};

} // namespace classlib
