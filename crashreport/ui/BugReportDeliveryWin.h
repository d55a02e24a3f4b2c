#pragma once
// DeliverBugReport on Windows: files through Win32, the network channel on Winsock, MAPI and
// "mailto" through the user's mail program, the failure as a message box, and the background
// sending thread. What belongs to the crash-report engine (the bug-report file, its marks,
// zip archives, the screenshot, placeholders, the temp folder, the progress popup) comes in
// through DeliveryEngine.
#include "BugReportDelivery.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace crashreport {

struct DeliveryEngine {
    std::function<std::string()> tempFolder;
    std::function<bool(const std::string& path, const std::string& report)> writeReportFile;
    std::function<bool()> reportSaved;
    std::function<void(bool)> setReportSaved;
    std::function<void()> markReportSent;
    // Null when the report has no screenshot.
    std::function<bool(const std::string& path, int32_t formatCode)> writeScreenshotPng;
    std::function<bool(const std::string& archive, const std::vector<std::string>& paths,
                       const std::vector<std::string>& names)>
        writeZipArchive;
    std::function<std::string(const std::string& text, const std::string& report)>
        expandPlaceholders;
    // A popup for the sending progress; null shows none.
    std::function<std::unique_ptr<IProgressAlert>(const std::string& title, bool visible,
                                                  bool inThread)>
        createProgress;
};

// 0 not sent, 1 sent or handed to the background thread, 2 the user cancelled the MAPI mail.
// `threadOut`, when given, receives the background thread's handle (else it is closed).
uint8_t DeliverBugReport(const std::string& report, const DeliverySettings& settings,
                         std::shared_ptr<const DeliveryEngine> engine, HWND parent,
                         HANDLE* threadOut, bool inThread, bool background, bool hidden);

} // namespace crashreport
