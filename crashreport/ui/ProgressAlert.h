#pragma once
// The progress popup: a small always-on-top tool window with a caption, a line (or a few
// wrapped lines) of text, a progress bar and an optional 32 x 32 picture, built on the window
// system's own controls, not on the form library. The crash-report engine shows it while a
// report is computed, the delivery while a report is sent.
//
// The work is divided into weighted segments; the bar shows the position inside the active
// segment scaled to that segment's share of the total weight, so that phases of different
// length fill one bar. The windows belong to the thread that called Display; progress may be
// reported and the popup dismissed from any thread.
#include "core/Object.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace crashui {

class IProgressAlert : public classlib::IInterface {
public:
    static constexpr classlib::TGUID IID =
        classlib::TGUID::FromText("{45B8448C-47B8-4F1C-886E-95ED5FD41E5F}");
    virtual std::string Title() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // The position inside the active segment, nominally 0 to 1000.
    virtual int32_t Progress() = 0;
    virtual void SetProgress(int32_t position) = 0;
    // An empty text repeats the last segment's text.
    virtual void AddSegment(const std::string& text, int64_t weight) = 0;
    virtual void ClearSegments() = 0;
    virtual void SegmentDone() = 0;
    virtual int32_t ActiveSegment() = 0;
    // The segment count makes the last segment active with a full bar; the active index, a
    // negative one or one above the count change nothing.
    virtual void SetActiveSegment(int32_t index) = 0;
    // Dispatches the popup thread's pending messages; does nothing on any other thread.
    virtual void PumpMessages() = 0;
    // Creates and shows the popup (parent disabled meanwhile); false when it is already shown.
    virtual bool Display(HWND parent, bool activate) = 0;
    virtual void Dismiss() = 0;

protected:
    ~IProgressAlert() = default;
};

using TProgressAlertPtr = classlib::TInterfacePtr<IProgressAlert>;

// The window class of every popup.
inline constexpr const char* kProgressAlertClass = "prgrAlertWndClass";

// A hidden popup with no segments; the picture is the 32 x 32 picture with alpha of that name in
// the module (AlphaPicture.h; none when it is missing).
TProgressAlertPtr CreateProgressAlert(const std::string& title, HMODULE pictureModule,
                                      const std::string& pictureName);

} // namespace crashui
