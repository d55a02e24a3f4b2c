#include "BugReportDeliveryWin.h"

#include "QorLoaderLock.h"
#include "ProgressAlert.h"
#include "WinsockNetwork.h"
#include "ZipArchive.h"

namespace crashreport {

namespace {

// The sending progress shown in the progress popup.
class PopupProgress : public SendProgress {
public:
    explicit PopupProgress(crashui::TProgressAlertPtr alert) : alert_(std::move(alert)) {}
    void AddSegment(const std::string& text, int32_t weight) override
    {
        alert_->AddSegment(text, weight);
    }
    void ClearSegments() override { alert_->ClearSegments(); }
    void SegmentDone() override { alert_->SegmentDone(); }
    void SetActiveSegment(int32_t index) override { alert_->SetActiveSegment(index); }
    void SetPosition(int32_t permille) override { alert_->SetProgress(permille); }
    void Dismiss() override { alert_->Dismiss(); }

private:
    crashui::TProgressAlertPtr alert_;
};

std::vector<classlib::WideString> WideTexts(const std::vector<std::string>& texts)
{
    std::vector<classlib::WideString> wide;
    for (const std::string& text : texts)
        wide.push_back(classlib::AnsiToWide(text));
    return wide;
}

class WindowsDeliveryHost : public DeliveryHost {
public:
    WindowsDeliveryHost(const DeliveryEngine& engine, HWND parent, bool inThread)
        : engine_(engine), parent_(parent), inThread_(inThread)
    {
    }

    std::string TempFolder() override { return engine_.tempFolder; }
    bool FileExists(const std::string& path) override
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool CopyOneFile(const std::string& from, const std::string& to) override
    {
        return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
    }
    void RemoveFile(const std::string& path) override
    {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    bool WriteReportFile(const std::string& path, const std::string& report) override
    {
        return crashui::WriteBugReportFile(path, report, nullptr, engine_.reportFile, true);
    }
    bool ReportSaved() override { return engine_.reportSaved && engine_.reportSaved(); }
    void SetReportSaved(bool saved) override
    {
        if (engine_.setReportSaved)
            engine_.setReportSaved(saved);
    }
    void MarkReportSent() override
    {
        if (engine_.markReportSent)
            engine_.markReportSent();
    }
    bool HasScreenshot() override { return static_cast<bool>(engine_.screenshot); }
    bool WriteScreenshotPng(const std::string& path, int32_t formatCode) override
    {
        return engine_.screenshot &&
               engine_.screenshot->WritePngFile(path, static_cast<uint8_t>(formatCode));
    }
    bool WriteZipArchive(const std::string& archive, const std::vector<std::string>& paths,
                         const std::vector<std::string>& names) override
    {
        return crashui::WriteZipArchive(classlib::AnsiToWide(archive), WideTexts(paths),
                                        WideTexts(names));
    }
    std::string ExpandPlaceholders(const std::string& text, const std::string& report) override
    {
        return engine_.expandPlaceholders ? engine_.expandPlaceholders(text, report) : text;
    }
    // In the background thread the popup has no parent and does not take the activation.
    SendProgress& CreateProgress(const std::string& title, bool visible) override
    {
        crashui::TProgressAlertPtr alert =
            crashui::CreateProgressAlert(title, engine_.settingsModule, "QEISEND32");
        if (visible)
            alert->Display(inThread_ ? nullptr : parent_, !inThread_);
        progress_ = std::make_unique<PopupProgress>(alert);
        return *progress_;
    }
    bool Transmit(const SendJob& job) override { return TransmitReportOverWinsock(job); }
    MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                            const std::string& body, bool hidden,
                            const std::vector<std::string>& sendAsNames,
                            const std::vector<std::string>& files) override
    {
        return crashreport::SendViaMapi(recipients, subject, body, hidden, parent_, sendAsNames,
                                        files, engine_.mainThread);
    }
    bool SendViaMailto(const std::string& recipients, const std::string& subject,
                       const std::string& body) override
    {
        if (qor::LoaderLockHeld(250))
            return false;
        LeaveTopmostBand();
        return crashreport::SendViaMailto(recipients, subject, body);
    }
    void ShowFailure(const std::string& message) override
    {
        MessageBoxA(parent_, message.c_str(), nullptr, MB_ICONERROR);
    }
    void LeaveTopmostBand()
    {
        if (parent_)
            SetWindowPos(parent_, HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

private:
    const DeliveryEngine& engine_;
    HWND parent_;
    bool inThread_;
    std::unique_ptr<PopupProgress> progress_;
};

// The background thread's job, owned by the thread.
struct BackgroundSend {
    std::string report;
    DeliverySettings settings;
    std::shared_ptr<const DeliveryEngine> engine;
    bool hidden;
};

DWORD WINAPI DeliverInBackground(void* parameter)
{
    std::unique_ptr<BackgroundSend> job(static_cast<BackgroundSend*>(parameter));
    DeliverBugReport(job->report, job->settings, job->engine, nullptr, nullptr, true, true,
                     job->hidden);
    return 0;
}

} // namespace

uint8_t DeliverBugReport(const std::string& report, const DeliverySettings& settings,
                         std::shared_ptr<const DeliveryEngine> engine, HWND parent,
                         HANDLE* threadOut, bool inThread, bool background, bool hidden)
{
    if (threadOut)
        *threadOut = nullptr;
    if (!engine)
        engine = std::make_shared<DeliveryEngine>();
    if (background && !inThread && !qor::LoaderLockHeld(250)) {
        if (parent)
            SetWindowPos(parent, HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        auto* job = new BackgroundSend{report, settings, engine, hidden};
        HANDLE thread = CreateThread(nullptr, 0, DeliverInBackground, job, 0, nullptr);
        if (thread) {
            if (threadOut)
                *threadOut = thread;
            else
                CloseHandle(thread);
            return 1;
        }
        delete job; // no thread: the send goes on here
    }
    WindowsDeliveryHost host(*engine, parent, inThread);
    return DeliverReport(report, settings, host, hidden);
}

} // namespace crashreport
