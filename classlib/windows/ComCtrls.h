#pragma once
// Wrappers of the common controls the program uses: the progress bar.
#include "windows/Controls.h"

namespace classlib {

class TProgressBar : public TWinControl {
    CLASSLIB_CLASS(TProgressBar, TWinControl)
    explicit TProgressBar(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const;
    void SetPosition(int value);
    int Step() const { return step_; }
    void SetStep(int value);
    void StepIt();
    void StepBy(int delta) { SetPosition(Position() + delta); }

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateHandle() override;

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
};

void RegisterCommonControlClasses();

} // namespace classlib
