#pragma once
// TOcHotTrackOptions: how an extended label looks while the mouse is over it (an optional
// fill and frame). A sub-object of the label that reports every change through the
// persistent-property notifications.
#include "draw/OcTypes.h"
#include "windows/Graphics.h"

namespace controls {

class TOcHotTrackOptions : public draw::TOcPersistentProperty {
    CLASSLIB_CLASS(TOcHotTrackOptions, draw::TOcPersistentProperty)
    explicit TOcHotTrackOptions(classlib::TPersistent* owner);

    // Another TOcHotTrackOptions inside one BeginChanges/EndChanges bracket; anything else is
    // the class library's conversion error.
    void Assign(classlib::TPersistent* source) override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    classlib::TColor Color() const { return color_; }
    void SetColor(classlib::TColor value);
    bool FrameVisible() const { return frameVisible_; }
    void SetFrameVisible(bool value);
    classlib::TColor FrameColor() const { return frameColor_; }
    void SetFrameColor(classlib::TColor value);

private:
    // Stores `value` in `field` between the four change notifications named after `name`.
    template <class T>
    void Change(T& field, T value, const char* name);

    bool enabled_ = false;
    classlib::TColor color_ = 0xD2BDB6;
    bool frameVisible_ = false;
    classlib::TColor frameColor_ = 0x6A240A;
};

} // namespace controls
