#pragma once
// The XP-look progress bar: a grey three-tone frame with rounded corners around green blocks
// shaded across the bar's thickness, composed off-screen and copied in one go.
#include "OcProgressBar.h"

namespace controls {

class TOcCustomXPProgressBar : public TOcBaseGradientProgressBar {
    CLASSLIB_CLASS(TOcCustomXPProgressBar, TOcBaseGradientProgressBar)
    explicit TOcCustomXPProgressBar(classlib::TComponent* owner);

protected:
    void DrawBar(classlib::TCanvas& canvas, int extent) override;

private:
    class BlockStamp;
    // One block (or the smooth bar): BarColorTo on both long edges, BarColorFrom in the middle.
    void DrawBlock(classlib::TCanvas& canvas, const RECT& piece) const;
    // The colour the rounded corners show: the parent's.
    classlib::TColor BackgroundColor() const;
};

// The XP bar as form layouts see it.
class TOcXPProgressBar : public TOcCustomXPProgressBar {
    CLASSLIB_CLASS(TOcXPProgressBar, TOcCustomXPProgressBar)
    using TOcCustomXPProgressBar::TOcCustomXPProgressBar;
};

} // namespace controls
