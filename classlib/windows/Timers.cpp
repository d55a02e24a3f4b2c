#include "windows/Timers.h"

#include "core/TypeInfo.h"
#include "windows/WindowProcs.h"

namespace classlib {

CLASSLIB_PUBLISH(TTimer)
{
    c.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).SetDefault(true);
    c.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).SetDefault(1000);
    c.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    // The window procedure's guard reports an exception of the handler with this timer as
    // the sender. After Timer returns nothing of the object is touched: the handler may have
    // freed it.
    window_ = AllocateHWnd(
        [this](TMessage& message) {
            if (message.Msg == WM_TIMER) {
                Timer();
                return;
            }
            CallDefaultWindowProc(window_, message);
        },
        this);
}

TTimer::~TTimer()
{
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
}

void TTimer::UpdateTimer()
{
    KillTimer(window_, 1);
    if (interval_ != 0 && enabled_ && onTimer_) {
        if (!SetTimer(window_, 1, interval_, nullptr))
            throw EOutOfResources("Not enough timers available");
    }
}

void TTimer::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (value == interval_)
        return;
    interval_ = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler)
{
    onTimer_ = handler;
    UpdateTimer();
}

void TTimer::Timer()
{
    if (onTimer_)
        onTimer_(this);
}

} // namespace classlib
