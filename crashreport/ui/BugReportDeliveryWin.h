#pragma once
// DeliverBugReport on Windows: files through Win32, the network channel on Winsock, MAPI and
// "mailto" through the user's mail program, the failure as a message box, and the background
// sending thread. What belongs to the crash-report engine (the bug-report file, its marks,
// zip archives, the screenshot, placeholders, the temp folder, the progress popup) comes in
// through DeliveryEngine.
#include "BugReportDelivery.h"
#include "BugReportFile.h"
#include "MailClientChannels.h"
#include "NVBitmap.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace crashreport {

// What a delivery takes from the crash-report engine: the temp folder, the bug-report file's
// settings, the screenshot, the module whose settings these are, the report's marks, the
// placeholders and the engine's hold on the main thread. The zip archives, the bug-report
// copy, the screenshot file and the progress popup are made by this subsystem's own pieces.
struct DeliveryEngine {
    std::string tempFolder; // with a trailing backslash; empty when there is none
    crashui::TBugReportFileSettings reportFile;
    crashui::TNVBitmapPtr screenshot; // nil when the report has none
    // The module whose settings these are: its bitmap "QEISEND32" is the popup's picture.
    HMODULE settingsModule = nullptr;
    std::function<bool()> reportSaved;
    std::function<void(bool)> setReportSaved;
    std::function<void()> markReportSent;
    std::function<std::string(const std::string& text, const std::string& report)>
        expandPlaceholders;
    // The engine's hold on the main thread, released for the mail client.
    MainThreadRelease mainThread;
};

// 0 not sent, 1 sent or handed to the background thread, 2 the user cancelled the MAPI mail.
// `threadOut`, when given, receives the background thread's handle (else it is closed).
uint8_t DeliverBugReport(const std::string& report, const DeliverySettings& settings,
                         std::shared_ptr<const DeliveryEngine> engine, HWND parent,
                         HANDLE* threadOut, bool inThread, bool background, bool hidden);

} // namespace crashreport
