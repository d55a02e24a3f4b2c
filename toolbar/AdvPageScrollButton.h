// The small arrow button that scrolls the pager's tabs and a page's toolbars: a toolbar glow face
// in the colours of its own glow-button appearance (which its owner copies from the styler) with
// a three-column arrow on top. Its corners can join a neighbouring button like the parts of a
// button group. Its owner creates, places and wires it.
#pragma once

#include <memory>

#include "controls/AdvGlowButton.h"
#include "windows/Controls.h"

namespace toolbar {

class TAdvPageScrollButton : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvPageScrollButton, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvPageScrollButton(classlib::TComponent* owner);
    ~TAdvPageScrollButton() override;

    enum : uint8_t { adLeft = 0, adRight = 2 };

    controls::TGlowButtonAppearance* Appearance() const { return appearance_.get(); }
    draw::TButtonPosition ButtonPosition() const { return position_; }
    void SetButtonPosition(draw::TButtonPosition value) { position_ = value; }
    // 0 an arrow pointing left, 2 one pointing right; other values draw none.
    uint8_t ArrowDirection() const { return direction_; }
    void SetArrowDirection(uint8_t value);
    // When set, the parent's background shows under the whole face while the button is not hot.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { transparent_ = value; }
    bool Hot() const { return hot_; }
    bool Down() const { return down_; }

    classlib::TNotifyEvent OnMouseEnter;
    classlib::TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

private:
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void WMEraseBkgnd(classlib::TMessage& m);
    void AppearanceChanged(classlib::TObject*);
    bool Designing() const;
    // The parent's background painted into `region` of the button (the region is deleted).
    void PaintParentIn(HRGN region);

    std::unique_ptr<controls::TGlowButtonAppearance> appearance_;
    bool transparent_ = false;
    draw::TButtonPosition position_ = draw::bpStandalone;
    bool down_ = false;
    uint8_t direction_ = adLeft;
    bool hot_ = false;
};

} // namespace toolbar
