#pragma once
// Group box: a container painted as a framed box with its caption, or, with border style
// bsNone and transparency off, as a flat tile of its colour (how the main window shows its
// steps).
#include "windows/Controls.h"

namespace controls {

class TAdvGroupBox : public classlib::TCustomControl {
    CLASSLIB_CLASS(TAdvGroupBox, classlib::TCustomControl)
    CLASSLIB_MESSAGES()
    explicit TAdvGroupBox(classlib::TComponent* owner);

    classlib::TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(classlib::TBorderStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool RoundEdges() const { return roundEdges_; }
    void SetRoundEdges(bool value);

protected:
    void Paint() override;
    void WMEraseBkgnd(classlib::TMessage& m);
    void CMTextChanged(classlib::TMessage& m);

private:
    classlib::TBorderStyle borderStyle_ = classlib::bsSingle;
    bool transparent_ = true;
    bool roundEdges_ = false;
};

} // namespace controls
