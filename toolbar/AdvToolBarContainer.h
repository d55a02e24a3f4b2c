#pragma once
// The toolbar container: a see-through group box placed on a toolbar that holds toolbar items
// and glow buttons, shows its parent as its background and draws a thin etched frame with an
// optional caption set into its top edge. The frame's colour and 3D look come from the
// toolbar's styler (its container appearance) unless the container uses its own.
#include "controls/AdvGlowButton.h"
#include "draw/AdvHintInfo.h"
#include "toolbar/AdvToolBarAppearance.h"
#include "windows/Controls.h"

namespace toolbar {

class TAdvCustomToolBar;

class TAdvToolBarContainer : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvToolBarContainer, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvToolBarContainer(classlib::TComponent* owner);
    ~TAdvToolBarContainer() override;

    // Stores the caption and repaints, also when it is unchanged.
    void SetCaption(const std::string& value);
    // Not painted: a change sets the control's own colour to the gradient's first colour.
    TGradientBackground* Color() const { return color_; }
    void SetColor(TGradientBackground* value) { color_->Assign(value); }
    draw::TAdvHintInfo* OfficeHint() const { return officeHint_; }
    void SetOfficeHint(draw::TAdvHintInfo* value) { officeHint_->Assign(value); }
    classlib::TColor LineColor() const { return lineColor_; }
    void SetLineColor(classlib::TColor value);
    bool ParentStyler() const { return parentStyler_; }
    void SetParentStyler(bool value);
    bool Line3D() const { return line3D_; }
    void SetLine3D(bool value);
    // The distance of the frame from the right and bottom edges; plus 2, of its top line from
    // the top edge.
    int FrameInset() const { return frameInset_; }

    TAdvCustomToolBar* ToolBar() const { return toolBar_; }
    // Attaches the container to a toolbar (nothing when it is the current one) and repaints.
    void SetToolBar(TAdvCustomToolBar* toolBar);
    // Gives the toolbar styler's glow-button look (and its component style, unless that is 8)
    // to the glow buttons inside; only with a toolbar that has a styler.
    void ApplyStylerToButtons();

protected:
    void Loaded() override;
    void ReadState(classlib::TReader& reader) override;
    void Paint() override;
    void Notification(classlib::TComponent* component, classlib::TOperation operation) override;

private:
    void HandKeysToToolBar(controls::TAdvCustomGlowButton* button);
    void ColorChanged(classlib::TObject*);
    void WMEraseBkgnd(classlib::TMessage& m);
    void CMMouseEnter(classlib::TMessage& m);
    void CMControlChange(classlib::TMessage& m);

    TGradientBackground* color_;
    draw::TAdvHintInfo* officeHint_;
    classlib::TColor lineColor_ = classlib::clBtnShadow;
    bool parentStyler_ = true;
    bool line3D_ = true;
    TAdvCustomToolBar* toolBar_ = nullptr;
    int frameInset_ = 2;
};

} // namespace toolbar
