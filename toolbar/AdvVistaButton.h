#pragma once
// The small windowless button at the right end of the quick-access toolbar: a customize mark
// or the "more" chevrons over a glow face that shows only while the pointer is over it, while
// it is pressed or held down by its owner, and while it is disabled.
#include <cstdint>

#include "controls/AdvGlowButton.h"
#include "windows/Controls.h"

namespace toolbar {

class TAdvVistaButton : public classlib::TGraphicControl {
    CLASSLIB_CLASS(TAdvVistaButton, classlib::TGraphicControl)
    CLASSLIB_MESSAGES()
    explicit TAdvVistaButton(classlib::TComponent* owner);
    ~TAdvVistaButton() override;

    // The glyph drawn over the face: kind 0 a left-pointing triangle, kind 2 a right-pointing
    // triangle (variant 0) or the "more" chevrons (variant 1), kind 3 the customize mark.
    uint8_t GlyphKind() const { return glyphKind_; }
    // Stores the kind and repaints, also when it is unchanged.
    void SetGlyphKind(uint8_t kind);
    uint8_t GlyphVariant() const { return glyphVariant_; }
    void SetGlyphVariant(uint8_t variant);
    // The owner holds the button down while a pop-up it opened from the button is up.
    bool ForcedDown() const { return forcedDown_; }
    void SetForcedDown(bool value);
    bool Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }

    // The colours; the owner copies a styler's glow-button look into it.
    controls::TGlowButtonAppearance* Appearance() const { return appearance_; }

protected:
    void Paint() override;
    void MouseDown(classlib::TMouseButton button, classlib::TShiftState shift, int x,
                   int y) override;
    void MouseUp(classlib::TMouseButton button, classlib::TShiftState shift, int x, int y) override;

private:
    void AppearanceChanged(classlib::TObject*) { Repaint(); }
    void DrawGlyph(classlib::TColor borderColor);
    void CMMouseEnter(classlib::TMessage& m);
    void CMMouseLeave(classlib::TMessage& m);
    void WMEraseBkgnd(classlib::TMessage& m);

    bool hot_ = false;
    controls::TGlowButtonAppearance* appearance_;
    bool pressed_ = false;
    uint8_t glyphKind_ = 0;
    uint8_t glyphVariant_ = 0;
    bool forcedDown_ = false;
};

} // namespace toolbar
