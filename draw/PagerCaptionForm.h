#pragma once
// A form whose title bar is a ribbon pager (the toolbar form of the toolbar subsystem). Controls
// that sit on such a form, such as the status bar, recognise it through this interface and
// draw their corners in the colour of its frame, without depending on the toolbar subsystem.
#include "windows/Graphics.h"

namespace draw {

class IPagerCaptionForm {
public:
    // clGray, or the caption text colour of the current styler of the last ribbon pager among
    // the form's child controls.
    virtual classlib::TColor PagerFrameColor() const = 0;

protected:
    ~IPagerCaptionForm() = default;
};

} // namespace draw
