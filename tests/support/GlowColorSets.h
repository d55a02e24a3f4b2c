#pragma once
// Sets one colour set of a glow-button appearance to flat colours (the upper half, the lower
// half and the border, vertical gradients of one colour each), so that a painted face reads
// as known pixels.
#include "controls/AdvGlowButton.h"

namespace testsupport {

inline void SetFlatGlowColors(controls::TGlowButtonAppearance* a,
                              controls::TGlowButtonAppearance::TSetKind kind,
                              classlib::TColor upper, classlib::TColor lower,
                              classlib::TColor border)
{
    using K = controls::TGlowButtonAppearance;
    using classlib::TColor;
    struct Setters {
        void (K::*color)(TColor), (K::*colorTo)(TColor), (K::*mirror)(TColor),
            (K::*mirrorTo)(TColor), (K::*border)(TColor), (K::*gradient)(draw::TGDIPGradient),
            (K::*gradientMirror)(draw::TGDIPGradient);
    };
    static const Setters table[] = {
        {&K::SetColor, &K::SetColorTo, &K::SetColorMirror, &K::SetColorMirrorTo, &K::SetBorderColor,
         &K::SetGradient, &K::SetGradientMirror},
        {&K::SetColorHot, &K::SetColorHotTo, &K::SetColorMirrorHot, &K::SetColorMirrorHotTo,
         &K::SetBorderColorHot, &K::SetGradientHot, &K::SetGradientMirrorHot},
        {&K::SetColorDown, &K::SetColorDownTo, &K::SetColorMirrorDown, &K::SetColorMirrorDownTo,
         &K::SetBorderColorDown, &K::SetGradientDown, &K::SetGradientMirrorDown},
        {&K::SetColorChecked, &K::SetColorCheckedTo, &K::SetColorMirrorChecked,
         &K::SetColorMirrorCheckedTo, &K::SetBorderColorChecked, &K::SetGradientChecked,
         &K::SetGradientMirrorChecked},
        {&K::SetColorDisabled, &K::SetColorDisabledTo, &K::SetColorMirrorDisabled,
         &K::SetColorMirrorDisabledTo, &K::SetBorderColorDisabled, &K::SetGradientDisabled,
         &K::SetGradientMirrorDisabled},
    };
    const Setters& s = table[kind];
    (a->*s.color)(upper);
    (a->*s.colorTo)(upper);
    (a->*s.mirror)(lower);
    (a->*s.mirrorTo)(lower);
    (a->*s.border)(border);
    (a->*s.gradient)(draw::ggVertical);
    (a->*s.gradientMirror)(draw::ggVertical);
}

} // namespace testsupport
