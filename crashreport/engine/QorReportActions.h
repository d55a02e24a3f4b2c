#pragma once
// What the report object needs of the dialogs' library, reached through callbacks that library
// registers at start-up, so that the engine stays below it (portable). An empty callback means
// that the part is not linked: the action does nothing more (a send or save leaves the report
// where it is; no screenshot; no please-wait alert).
#include "QorInterfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qor {

// The please-wait alert of one exception: progress segments weighted by stack size.
class ReportAlert {
public:
    virtual ~ReportAlert() = default;
    virtual void AddSegment(const std::string& text, int64_t weight) = 0;
    virtual void SegmentDone() = 0;
    virtual void Display(bool activate) = 0;
    virtual bool Displayed() = 0;
    virtual void Pump() = 0;
    virtual void Dismiss() = 0;
};

struct ReportActions {
    // Shows the exception according to its display mode.
    std::function<void(IQEException& exception)> present;
    // Sends the report; `sendThread` is the exception's send-thread slot.
    std::function<void(IQEException& exception, const std::string& report,
                       const ReportScreenshot& screenshot, uintptr_t window, uintptr_t* sendThread,
                       bool background)>
        deliver;
    // Saves the report into a file the user chooses.
    std::function<void(IQEException& exception, const std::string& report, uintptr_t window)>
        writeFile;
    std::function<void(const std::string& report, uintptr_t window)> print;
    // Null when nothing was captured.
    std::function<ReportScreenshot(bool applicationOnly)> captureScreen;
    std::function<std::unique_ptr<ReportAlert>(const std::string& title)> createAlert;
};

// Replaces the whole table (the dialogs' start-up; an empty table at their shut-down).
void SetReportActions(ReportActions actions);
// A copy of the table as it stands.
ReportActions RegisteredReportActions();

} // namespace qor
