#pragma once
// Image lists: equally sized images in one native image list, drawn enabled or greyed, with
// change links through which the controls that show them learn about changes.
#include "windows/Images.h"

#include "core/Component.h"

#include <commctrl.h>

#include <vector>

namespace classlib {

class TCustomImageList;

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

    // Draws image `index`; greyed (the image's shape in the 3-D highlight and shadow colours)
    // when not enabled. An index outside the list draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);

    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);
    TNotifyEvent OnChange;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

protected:
    virtual void Change();

private:
    void Recreate();
    void CheckIndex(int index) const;
    void DrawGreyed(HDC dc, int x, int y, int index);

    HIMAGELIST handle_ = nullptr;
    int width_ = 16;
    int height_ = 16;
    bool masked_ = true;
    TColor bkColor_ = clNone;
    std::vector<TChangeLink*> links_;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};

class TImageList : public TCustomImageList {
    CLASSLIB_CLASS(TImageList, TCustomImageList)
    using TCustomImageList::TCustomImageList;
};

} // namespace classlib
