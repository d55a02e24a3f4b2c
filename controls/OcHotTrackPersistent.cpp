#include "OcHotTrackPersistent.h"

using namespace classlib;

namespace controls {

CLASSLIB_PUBLISH(TOcHotTrackOptions)
{
    c.Property("Enabled", &TOcHotTrackOptions::Enabled, &TOcHotTrackOptions::SetEnabled)
        .SetDefault(false);
    AsColorProperty(c.Property("Color", &TOcHotTrackOptions::Color, &TOcHotTrackOptions::SetColor))
        .SetDefault(static_cast<TColor>(0xD2BDB6));
    c.Property("FrameVisible", &TOcHotTrackOptions::FrameVisible,
               &TOcHotTrackOptions::SetFrameVisible)
        .SetDefault(false);
    AsColorProperty(c.Property("FrameColor", &TOcHotTrackOptions::FrameColor,
                               &TOcHotTrackOptions::SetFrameColor))
        .SetDefault(static_cast<TColor>(0x6A240A));
}

TOcHotTrackOptions::TOcHotTrackOptions(TPersistent* owner) : TOcPersistentProperty(owner) {}

template <class T>
void TOcHotTrackOptions::Change(T& field, T value, const char* name)
{
    if (field == value)
        return;
    NotifyChanging();
    NotifyChangingProperty(name);
    field = value;
    NotifyChangedProperty(name);
    NotifyChanged();
}

void TOcHotTrackOptions::SetEnabled(bool value)
{
    Change(enabled_, value, "Enabled");
}
void TOcHotTrackOptions::SetColor(TColor value)
{
    Change(color_, value, "Color");
}
void TOcHotTrackOptions::SetFrameVisible(bool value)
{
    Change(frameVisible_, value, "FrameVisible");
}
void TOcHotTrackOptions::SetFrameColor(TColor value)
{
    Change(frameColor_, value, "FrameColor");
}

void TOcHotTrackOptions::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TOcHotTrackOptions*>(source);
    if (!other) {
        TOcPersistentProperty::Assign(source);
        return;
    }
    BeginChanges();
    try {
        SetEnabled(other->Enabled());
        SetColor(other->Color());
        SetFrameVisible(other->FrameVisible());
        SetFrameColor(other->FrameColor());
    } catch (...) {
        EndChanges();
        throw;
    }
    EndChanges();
}

} // namespace controls
