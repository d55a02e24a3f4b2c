#pragma once
// The main window from its real layout against the simulated devices: a fixture that creates and
// shows it, reads its history window and clicks its buttons, and helpers that pump messages or
// act from inside a running wait.
#include "Dovrel.h"
#include "Families.h"
#include "Texts.h"

#include "SimApi.h"
#include "core/StringList.h"
#include "windows/Application.h"
#include "windows/Timers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace window_test {

using namespace classlib;
using app::TDovrel;
using Lines = std::vector<std::string>;

inline constexpr DWORD WaitLimitMs = 10000;

inline const std::string Attach(app::text::AttachDevice);
inline const std::string Waiting(app::text::WaitingMcuResponse);
inline const std::string ConnectedLine(app::text::Connected);
inline const std::string Disconnected(app::text::Disconnected);
inline const std::string ResetLine(app::text::Reset);

inline bool Pump(const std::function<bool()>& done, DWORD timeoutMs = WaitLimitMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    return true;
}

// Runs `action` once from a timer, that is from inside whatever wait pumps messages then.
class OneShot {
public:
    OneShot(unsigned delayMs, std::function<void()> action) : action_(std::move(action)), timer_(new TTimer(nullptr))
    {
        timer_->SetInterval(delayMs);
        timer_->SetOnTimer(TNotifyEvent(this, &OneShot::Fire));
        timer_->SetEnabled(true);
    }
    ~OneShot() { timer_->Free(); }
    bool fired = false;

private:
    void Fire(TObject*)
    {
        timer_->SetEnabled(false);
        fired = true;
        action_();
    }
    std::function<void()> action_;
    TTimer* timer_;
};

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static const bool registered = (app::RegisterWindowClasses(), true);
        (void)registered;
    }

    void TearDown() override
    {
        if (form)
            form->Free();
        form = nullptr;
        char error[256] = {};
        SimConfigure("", error, sizeof error);
    }

    // Configures the devices, creates and shows the window and waits until its first
    // enumeration (and the probe it runs) is over.
    void Start(const char* config, int devices)
    {
        char error[256] = {};
        ASSERT_GE(SimConfigure(config, error, sizeof error), 0) << error;
        form = new TDovrel(Application);
        form->Show();
        ASSERT_TRUE(Pump([&] { return form->DeviceList()->Count() == devices && History().size() >= 1; }));
    }

    Lines History() const
    {
        Lines lines;
        TStrings* memo = form->MemoHistoryWindow->Lines();
        for (int i = 0; i < memo->Count(); ++i)
            lines.push_back(memo->Strings(i));
        return lines;
    }

    // Clicks Connect as the user does; returns when the click's handling is over.
    void ClickConnect() { SendMessageA(form->ButtonConnect->Handle(), BM_CLICK, 0, 0); }

    std::string Item(controls::THTMLComboBox* box)
    {
        return box->Items()->Count() > 0 ? box->Items()->Strings(0) : std::string();
    }

    TDovrel* form = nullptr;
};

} // namespace window_test
