#pragma once
// TTimer: a component that fires OnTimer every Interval milliseconds on the thread that
// created it, through a hidden window of its own. A handler may disable or free its timer.
#include "core/Component.h"
#include "core/Events.h"

#include <windows.h>

namespace classlib {

class TTimer : public TComponent {
    CLASSLIB_CLASS(TTimer, TComponent)
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // Milliseconds; 0 stops the timer.
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned value);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    // The hidden window that receives the timer's WM_TIMER messages.
    HWND Handle() const { return window_; }
    void SetOnTimer(const TNotifyEvent& handler);

protected:
    // Fires OnTimer.
    virtual void Timer();

private:
    void UpdateTimer();

    HWND window_ = nullptr;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
};

} // namespace classlib
