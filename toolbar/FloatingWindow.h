#pragma once
// The borderless, stay-on-top window that holds a floating toolbar. It fits itself around the
// toolbar, draws a one-colour frame, and dragging any of its four edges changes the toolbar's
// FloatingRows. The toolbar's own caption band serves as the window's caption.
#include "windows/Forms.h"

namespace toolbar {

class TAdvCustomToolBar;

class TFloatingWindow : public classlib::TCustomForm {
    CLASSLIB_CLASS(TFloatingWindow, classlib::TCustomForm)
    explicit TFloatingWindow(classlib::TComponent* owner);
    ~TFloatingWindow() override;

    TAdvCustomToolBar* AdvCustomToolBar() const { return toolBar_; }
    void SetToolBar(TAdvCustomToolBar* toolBar) { toolBar_ = toolBar; }
    // The frame's width (not the platform's inner border).
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    classlib::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(classlib::TColor value) { borderColor_ = value; }
    // Sizes the window around the toolbar and places the toolbar inside the frame.
    void FitToToolBar();

protected:
    void Loaded() override;
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseMove(classlib::TShiftState shift, int x, int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

private:
    enum Edge : uint8_t { edgeLeft, edgeTop, edgeRight, edgeBottom };
    void EdgeDrag(int x, int y);
    // Applies a new row count through the toolbar's setter; true when it changed.
    bool SetRows(int rows);

    TAdvCustomToolBar* toolBar_ = nullptr;
    int borderWidth_ = 2;
    classlib::TColor borderColor_ = 0x6D6D6D;
    classlib::TCursor savedCursor_ = 0;
    bool resizing_ = false;
    POINT origin_{};
    int step_ = 0;
    Edge edge_ = edgeLeft;
};

} // namespace toolbar
