#include "windows/ComCtrls.h"

#include <commctrl.h>

#include <algorithm>

namespace classlib {

CLASSLIB_PUBLISH(TProgressBar)
{
    c.Property("Min", &TProgressBar::Min, &TProgressBar::SetMin).SetDefault(0);
    c.Property("Max", &TProgressBar::Max, &TProgressBar::SetMax).SetDefault(100);
    c.Property("Position", &TProgressBar::Position, &TProgressBar::SetPosition).SetDefault(0);
    c.Property("Step", &TProgressBar::Step, &TProgressBar::SetStep).SetDefault(10);
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& params)
{
    static const bool initialized = [] {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)initialized;
    TWinControl::CreateParams(params);
    params.WinClassName = PROGRESS_CLASSA;
    params.NativeClass = true;
}

void TProgressBar::CreateHandle()
{
    TWinControl::CreateHandle();
    SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
    SendMessageA(handle_, PBM_SETSTEP, static_cast<WPARAM>(step_), 0);
    SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMin(int value)
{
    min_ = value;
    if (max_ < min_)
        max_ = min_;
    position_ = std::clamp(position_, min_, max_);
    if (handle_)
        SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TProgressBar::SetMax(int value)
{
    max_ = value;
    if (min_ > max_)
        min_ = max_;
    position_ = std::clamp(position_, min_, max_);
    if (handle_)
        SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

int TProgressBar::Position() const
{
    if (handle_)
        return static_cast<int>(SendMessageA(handle_, PBM_GETPOS, 0, 0));
    return position_;
}

void TProgressBar::SetPosition(int value)
{
    position_ = std::clamp(value, min_, max_);
    if (handle_)
        SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetStep(int value)
{
    step_ = value;
    if (handle_)
        SendMessageA(handle_, PBM_SETSTEP, static_cast<WPARAM>(value), 0);
}

void TProgressBar::StepIt()
{
    int next = Position() + step_;
    // The control wraps around past the maximum; so does the stored position.
    if (next > max_)
        next = min_ + (next - max_);
    SetPosition(next);
}

void RegisterCommonControlClasses()
{
    RegisterClasses({&TProgressBar::StaticClass()});
}

} // namespace classlib
