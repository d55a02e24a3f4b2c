#pragma once
// What a toolbar styler tells its registered controls when its look changes: one numbered kind
// per area, and the one table that says which property sends which kind. The numbers are what
// the controls receive; 0, 3, 8 and 9 are never sent by a styler (a pager hands 0 to its own
// handler when its styler is replaced).
#include <string_view>

namespace toolbar {

enum TStylerChangeKind {
    ckBackground = 1,
    ckAppearance = 2,
    ckContainer = 4,
    ckDragGrip = 5,
    ckMenuStyler = 6,
    ckGlowButtons = 7,
    ckPager = 10,
    ckPagerCaption = 11,
    ckQAT = 12,
};

// A styler property (or, for an owned appearance object, a change inside it) and what it sends.
struct TStylerChangeSource {
    std::string_view property;
    bool broadcasts;
    TStylerChangeKind kind;
};

inline constexpr TStylerChangeSource StylerChangeSources[] = {
    {"BackGround", true, ckBackground},
    {"BackGroundDisplay", true, ckBackground},
    {"BackGroundTransparent", true, ckBackground},
    {"Font", true, ckBackground},
    {"BorderColor", true, ckAppearance},
    {"BorderColorHot", true, ckAppearance},
    {"RightHandleColor", true, ckAppearance},
    {"RightHandleColorTo", true, ckAppearance},
    {"RightHandleColorHot", true, ckAppearance},
    {"RightHandleColorHotTo", true, ckAppearance},
    {"RightHandleColorDown", true, ckAppearance},
    {"RightHandleColorDownTo", true, ckAppearance},
    {"RightHandleImage", true, ckAppearance},
    {"FloatingWindowBorderColor", true, ckAppearance},
    {"FloatingWindowBorderWidth", true, ckAppearance},
    {"CaptionFont", true, ckAppearance},
    {"Color", true, ckAppearance},
    {"DockColor", true, ckAppearance},
    {"CaptionAppearance", true, ckAppearance},
    {"RoundedCorners", true, ckAppearance},
    {"FrameBevel", true, ckAppearance},
    {"ShowFrameBevel", true, ckAppearance},
    {"Style", true, ckAppearance},
    {"ContainerAppearance", true, ckContainer},
    {"DragGripStyle", true, ckDragGrip},
    {"AdvMenuStyler", true, ckMenuStyler},
    {"GlowButtonAppearance", true, ckGlowButtons},
    {"CompactGlowButtonAppearance", true, ckGlowButtons},
    {"TabAppearance", true, ckPager},
    {"PageAppearance", true, ckPager},
    {"GroupAppearance", true, ckPager},
    {"PagerCaption", true, ckPagerCaption},
    {"QATAppearance", true, ckQAT},
    // Stored only: the controls see these at their next repaint.
    {"ButtonAppearance", false, ckAppearance},
    {"ColorHot", false, ckAppearance},
    {"DragGripImage", false, ckAppearance},
    {"SystemFont", false, ckAppearance},
};

// The table's row for `property`; a name the table does not hold does not compile where the
// lookup is evaluated at compile time.
consteval const TStylerChangeSource& StylerChangeSourceOf(std::string_view property)
{
    for (const TStylerChangeSource& source : StylerChangeSources)
        if (source.property == property)
            return source;
    throw "not a styler change source";
}

// The kind `property` sends; only for properties that broadcast.
consteval TStylerChangeKind StylerChangeKindOf(std::string_view property)
{
    const TStylerChangeSource& source = StylerChangeSourceOf(property);
    if (!source.broadcasts)
        throw "this property sends no change kind";
    return source.kind;
}

} // namespace toolbar
