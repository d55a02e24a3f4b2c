#include "DialogActions.h"

#include "BugReportDeliveryWin.h"
#include "BugReportFile.h"
#include "BugReportText.h"
#include "ExceptionBox.h"
#include "ExceptionPathSystem.h"
#include "NVBitmap.h"
#include "ProgressAlert.h"
#include "QorSettings.h"
#include "QorStrings.h"
#include "QorThreadHold.h"
#include "QorTraceProcess.h"
#include "ReportPrinting.h"

#include <windows.h>

namespace crashui {

namespace {

class TWaitAlert final : public qor::ReportAlert {
public:
    explicit TWaitAlert(TProgressAlertPtr alert) : alert_(std::move(alert)) {}
    ~TWaitAlert() override { Dismiss(); }
    void AddSegment(const std::string& text, int64_t weight) override
    {
        alert_->AddSegment(text, weight);
    }
    void SegmentDone() override { alert_->SegmentDone(); }
    void Display(bool activate) override
    {
        if (alert_->Display(nullptr, activate))
            displayed_ = true;
    }
    bool Displayed() override { return displayed_; }
    void Pump() override { alert_->PumpMessages(); }
    void Dismiss() override
    {
        if (displayed_)
            alert_->Dismiss();
        displayed_ = false;
    }

private:
    TProgressAlertPtr alert_;
    bool displayed_ = false;
};

// "name=content|..." as pairs, "file>send-as>zip>field|..." as attachment requests: the stored
// forms of `AddFields` and `AddAttachs`.
std::vector<std::pair<std::string, std::string>> StoredFields(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> fields;
    for (int i = 1; i <= qor::ListItemCount(text, '|'); ++i) {
        const std::string item = qor::ListItem(text, i, '|');
        if (!item.empty())
            fields.emplace_back(qor::ListItem(item, 1, '='), qor::ListItem(item, 2, '='));
    }
    return fields;
}

std::vector<crashreport::AttachmentRequest> StoredAttachments(const std::string& text)
{
    std::vector<crashreport::AttachmentRequest> attachments;
    for (int i = 1; i <= qor::ListItemCount(text, '|'); ++i) {
        const std::string item = qor::ListItem(text, i, '|');
        if (!item.empty())
            attachments.push_back({qor::ListItem(item, 1, '>'), qor::ListItem(item, 2, '>'),
                                   qor::ListItem(item, 3, '>'), qor::ListItem(item, 4, '>')});
    }
    return attachments;
}

void Deliver(qor::IQEException& exception, const std::string& report,
             const qor::ReportScreenshot& screenshot, uintptr_t window, uintptr_t* sendThread,
             bool background)
{
    auto engine = std::make_shared<crashreport::DeliveryEngine>();
    engine->tempFolder = qor::LibraryTempFolder();
    engine->reportFile = BugReportFileSettingsOf(exception);
    engine->screenshot = ScreenshotBitmap(screenshot);
    const HMODULE module = reinterpret_cast<HMODULE>(exception.ModuleHandle());
    engine->settingsModule = module;
    // The marks live in the exception; the engine waits for the send thread (its send-thread
    // slot) before the exception goes away.
    qor::IQEExceptionEx* marks = dynamic_cast<qor::IQEExceptionEx*>(&exception);
    engine->reportSaved = [marks] { return marks && marks->ReportSaved(); };
    engine->setReportSaved = [marks](bool saved) {
        if (marks)
            marks->SetReportSaved(saved);
    };
    engine->markReportSent = [marks] {
        if (marks)
            marks->SetReportSent(true);
    };
    engine->expandPlaceholders = [module](const std::string& text, const std::string& rep) {
        return qor::ExpandPlaceholders(module, text, ReportHeaderField(rep, "exception class"),
                                       ReportHeaderField(rep, "exception message"), rep);
    };
    engine->mainThread.unblock = [] { return qor::UnblockMainThread(); };
    engine->mainThread.block = [] { qor::BlockMainThread(); };
    HANDLE thread = nullptr;
    crashreport::DeliverBugReport(report, DeliverySettingsOf(exception), engine,
                                  reinterpret_cast<HWND>(window), &thread, false, background,
                                  false);
    if (sendThread)
        *sendThread = reinterpret_cast<uintptr_t>(thread);
    else if (thread)
        CloseHandle(thread);
}

// The print job's name: the PrintBtnTxt setting of the program's crash-report settings.
std::string PrintDocumentName()
{
    if (qor::IQEModuleSettings settings = qor::FindSettingsModule())
        return settings->StrProp("PrintBtnTxt");
    return "print bug report";
}

} // namespace

crashreport::DeliverySettings DeliverySettingsOf(qor::IQESettings& settings)
{
    crashreport::DeliverySettings out;
    out.mailSubject = settings.StrProp("MailSubj");
    out.mailBody = settings.StrProp("MailBody");
    out.mailAddr = settings.StrProp("MailAddr");
    out.mailFrom = settings.StrProp("MailFrom");
    out.attachBugRep = settings.BoolProp("AttachBugRep");
    out.attachBugRepFile = settings.BoolProp("AttachBugRepFile");
    out.delBugRepFile = settings.BoolProp("DelBugRepFile");
    out.bugReportFile = qor::MakeAbsolute(BugReportFileName(BugReportFileSettingsOf(settings)));
    out.bugRepSendAs = settings.StrProp("BugRepSendAs");
    out.bugRepZip = settings.StrProp("BugRepZip");
    out.scrShotDepth = settings.IntProp("ScrShotDepth");
    out.scrShotSendAs = settings.StrProp("ScrShotSendAs");
    out.scrShotZip = settings.StrProp("ScrShotZip");
    out.additionalAttachments = StoredAttachments(settings.StrProp("AddAttachs"));
    out.additionalFields = StoredFields(settings.StrProp("AddFields"));
    out.uploadViaHttp = settings.BoolProp("UploadViaHttp");
    out.httpServer = settings.StrProp("HttpServer");
    out.httpPort = settings.IntProp("HttpPort");
    out.httpAccount = settings.StrProp("HttpAccount");
    out.httpPassword = settings.StrProp("HttpPassword");
    out.mailAsSmtpServer = settings.BoolProp("MailAsSmtpServer");
    out.mailAsSmtpClient = settings.BoolProp("MailAsSmtpClient");
    out.smtpServer = settings.StrProp("SmtpServer");
    out.smtpPort = settings.IntProp("SmtpPort");
    out.smtpAccount = settings.StrProp("SmtpAccount");
    out.smtpPassword = settings.StrProp("SmtpPassword");
    out.mailViaMapi = settings.BoolProp("MailViaMapi");
    out.mailViaMailto = settings.BoolProp("MailViaMailto");
    out.sendFailMsg = settings.StrProp("SendFailMsg");
    out.autoSendBox = settings.BoolProp("AutoSendBox");
    out.sendBoxTitle = settings.StrProp("SendBoxTitle");
    out.prepAttMsg = settings.StrProp("PrepAttMsg");
    out.texts.mxLookup = settings.StrProp("MxLookMsg");
    out.texts.connect = settings.StrProp("ConnMsg");
    out.texts.authorize = settings.StrProp("AuthMsg");
    out.texts.sendMail = settings.StrProp("SendMailMsg");
    out.texts.fields = settings.StrProp("FieldMsg");
    out.texts.attachments = settings.StrProp("SendAttMsg");
    out.texts.finish = settings.StrProp("SendFinalMsg");
    return out;
}

std::unique_ptr<qor::ReportAlert> CreateWaitAlert(const std::string& title, uintptr_t pictureModule)
{
    TProgressAlertPtr alert =
        CreateProgressAlert(title, reinterpret_cast<HMODULE>(pictureModule), "QEIPLWAIT");
    if (!alert)
        return nullptr;
    return std::make_unique<TWaitAlert>(std::move(alert));
}

qor::ReportActions DialogReportActions()
{
    qor::ReportActions actions;
    actions.present = [](qor::IQEException& exception) {
        PresentException(exception, WindowsPresentationHost());
    };
    actions.deliver = Deliver;
    actions.writeFile = [](qor::IQEException& exception, const std::string& report,
                           uintptr_t window) {
        WriteBugReportFile("", report, reinterpret_cast<HWND>(window), exception, false);
    };
    actions.print = [](const std::string& report, uintptr_t window) {
        crashreport::PrintReportText(report, reinterpret_cast<HWND>(window), PrintDocumentName());
    };
    actions.captureScreen = [](bool applicationOnly) {
        return ShareScreenshot(CaptureScreen(applicationOnly));
    };
    // The table gives the alert its title only: its picture is the program's.
    actions.createAlert = [](const std::string& title) {
        return CreateWaitAlert(title, reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)));
    };
    return actions;
}

void StartDialogs()
{
    qor::SetReportActions(DialogReportActions());
    SetIdeLineJump(qor::JumpToIdeLine);
}

void StopDialogs()
{
    SetIdeLineJump(nullptr);
    qor::SetReportActions({});
}

} // namespace crashui
