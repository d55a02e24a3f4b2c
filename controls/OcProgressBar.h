#pragma once
// Windowless progress bars painted on their parent's surface: the base bar (range, position,
// stepping, orientation, change event and a plain block painter) and the gradient bar, which
// adds the two colours its descendants shade their blocks with.
#include "windows/Controls.h"

namespace controls {

enum TProgressBarOrientation { pbHorizontal, pbVertical };
CLASSLIB_ENUM(TProgressBarOrientation);

// Pixels of a bar `length` pixels long that show `position` within [minimum, maximum]
// (rounded like MulDiv); 0 for an empty range. Computed in 64 bits, so ranges wider than
// 32-bit differences (maximum near INT_MAX with a negative minimum) still come out right.
int ProgressExtent(int length, int position, int minimum, int maximum);

class TOcBaseProgressBar : public classlib::TGraphicControl {
    CLASSLIB_CLASS(TOcBaseProgressBar, classlib::TGraphicControl)
    explicit TOcBaseProgressBar(classlib::TComponent* owner);

    int Position() const { return position_; }
    void SetPosition(int value);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation value);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);
    // The amount StepIt adds; also the block pitch of the plain painter. At least 1.
    int Steps() const { return steps_; }
    void SetSteps(int value);
    // Fixed by the constructor: the pitch source of the XP painter and the plain fill colour.
    int BlockSize() const { return blockSize_; }
    classlib::TColor BarColor() const { return barColor_; }

    virtual void StepIt();
    // Moves the position by `delta`, stopping at Min and Max.
    virtual void StepBy(int delta);

    // Fired once for every change of Min, Max or Position.
    classlib::TNotifyEvent OnChange;

protected:
    void Paint() override;
    // Paints the whole bar on `canvas` with `extent` pixels of it filled.
    virtual void DrawBar(classlib::TCanvas& canvas, int extent);
    // The bar's length along its orientation.
    virtual int GetBarLength() const;
    virtual void DoChange();

private:
    int blockSize_ = 10;
    bool smooth_ = false;
    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
    TProgressBarOrientation orientation_ = pbHorizontal;
    classlib::TColor barColor_ = classlib::clHighlight;
    int steps_ = 10;
};

class TOcBaseGradientProgressBar : public TOcBaseProgressBar {
    CLASSLIB_CLASS(TOcBaseGradientProgressBar, TOcBaseProgressBar)
    using TOcBaseProgressBar::TOcBaseProgressBar;

    // The colour on the middle line of the bar's thickness.
    classlib::TColor BarColorFrom() const { return barColorFrom_; }
    void SetBarColorFrom(classlib::TColor value);
    // The colour on the bar's two long edges.
    classlib::TColor BarColorTo() const { return barColorTo_; }
    void SetBarColorTo(classlib::TColor value);

private:
    classlib::TColor barColorFrom_ = classlib::clBlack;
    classlib::TColor barColorTo_ = classlib::clBlack;
};

} // namespace controls
