#pragma once
// The dialogs' side of the engine's report actions (Windows): at its start-up this library
// fills the engine's `ReportActions` table, so that a reported exception is presented by the
// exception box (or an assistant, the console, a CGI page), sent by `DeliverBugReport`, saved
// by `WriteBugReportFile`, printed by `PrintReportText`, photographed by `CaptureScreen` and
// waited on with the progress popup; it also gives the exception box the engine's jump to a
// development environment. The engine itself sits below and knows none of these.
#include "BugReportDelivery.h"
#include "QorReportActions.h"

#include <memory>

namespace crashui {

// The table this library registers.
qor::ReportActions DialogReportActions();
// Registers the table and the box's hook (the library's start-up); StopDialogs empties both.
void StartDialogs();
void StopDialogs();

// The settings a delivery reads, taken from the crash-report settings.
crashreport::DeliverySettings DeliverySettingsOf(qor::IQESettings& settings);

// The please-wait alert of an exception on the progress popup (picture "QEIPLWAIT" of
// `pictureModule`).
std::unique_ptr<qor::ReportAlert> CreateWaitAlert(const std::string& title,
                                                  uintptr_t pictureModule);

} // namespace crashui
