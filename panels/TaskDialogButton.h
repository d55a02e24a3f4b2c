#pragma once
// The owner-drawn button of the emulated task dialog: a command link (arrow picture, heading
// line, body lines) or the picture-only expand/collapse button. A click sets its form's modal
// result like a push button.
#include "windows/Controls.h"
#include "windows/Graphics.h"
#include "windows/Dialogs.h"
#include "windows/Images.h"

#include <memory>
#include <string>

namespace panels {

class TTaskDialogButton : public classlib::TCustomControl {
    CLASSLIB_CLASS(TTaskDialogButton, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TTaskDialogButton(classlib::TComponent* owner);
    ~TTaskDialogButton() override;

    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { borderColor_ = value; }
    classlib::TColor BorderColorHot() const { return borderColorHot_; }
    void SetBorderColorHot(classlib::TColor value) { borderColorHot_ = value; }
    classlib::TColor BorderColorDown() const { return borderColorDown_; }
    void SetBorderColorDown(classlib::TColor value) { borderColorDown_ = value; }
    classlib::TFont* HeadingFont() const { return headingFont_.get(); }
    void SetHeadingFont(classlib::TFont* value) { headingFont_->Assign(value); }
    classlib::TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(classlib::TModalResult value) { modalResult_ = value; }
    classlib::TBitmap* Picture() const { return picture_.get(); }
    void SetPicture(classlib::TBitmap* value);
    classlib::TBitmap* PictureHot() const { return pictureHot_.get(); }
    void SetPictureHot(classlib::TBitmap* value) { pictureHot_->Assign(value); }
    classlib::TBitmap* PictureDown() const { return pictureDown_.get(); }
    void SetPictureDown(classlib::TBitmap* value) { pictureDown_->Assign(value); }
    classlib::TBitmap* PictureDisabled() const { return pictureDisabled_.get(); }
    void SetPictureDisabled(classlib::TBitmap* value);
    bool FocusOnHover() const { return focusOnHover_; }
    void SetFocusOnHover(bool value) { focusOnHover_ = value; }
    bool Hot() const { return hot_; }
    bool Down() const { return down_; }

    void Click() override;

protected:
    void Paint() override;
    void KeyPress(char& key) override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void WMFocusChanged(classlib::TMessage& m);

private:
    void PictureChanged(classlib::TObject*) { Invalidate(); }

    classlib::TColor borderColor_ = classlib::clNone;
    classlib::TColor borderColorHot_ = classlib::clNone;
    classlib::TColor borderColorDown_ = classlib::clNone;
    std::unique_ptr<classlib::TFont> headingFont_;
    classlib::TModalResult modalResult_ = 0;
    std::unique_ptr<classlib::TBitmap> picture_, pictureHot_, pictureDown_, pictureDisabled_;
    bool down_ = false;
    bool hot_ = false;
    bool focusOnHover_ = false;
};

// Measures a task text with `flags` plus single-line and calculate-rectangle: the first line of
// a text with breaks in the heading font (in heading mode 8 wider and 10 taller), each further
// non-empty line in the body font (in heading mode 8 wider and 2 more apart); a text without
// breaks once in the heading font. The canvas font is restored; no canvas measures nothing.
void MeasureTaskText(classlib::TCanvas* canvas, const std::string& text,
                     classlib::TFont* headingFont, bool headingMode, int& height, int& width,
                     UINT flags, classlib::TFont* bodyFont);

} // namespace panels
