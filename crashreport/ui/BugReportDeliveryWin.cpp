#include "BugReportDeliveryWin.h"

#include "MailClientChannels.h"
#include "WinsockNetwork.h"

namespace crashreport {

namespace {

class WindowsDeliveryHost : public DeliveryHost {
public:
    WindowsDeliveryHost(const DeliveryEngine& engine, HWND parent, bool inThread)
        : engine_(engine), parent_(parent), inThread_(inThread)
    {
    }

    std::string TempFolder() override
    {
        return engine_.tempFolder ? engine_.tempFolder() : std::string();
    }
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
        return engine_.writeReportFile && engine_.writeReportFile(path, report);
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
    bool HasScreenshot() override { return static_cast<bool>(engine_.writeScreenshotPng); }
    bool WriteScreenshotPng(const std::string& path, int32_t formatCode) override
    {
        return engine_.writeScreenshotPng && engine_.writeScreenshotPng(path, formatCode);
    }
    bool WriteZipArchive(const std::string& archive, const std::vector<std::string>& paths,
                         const std::vector<std::string>& names) override
    {
        return engine_.writeZipArchive && engine_.writeZipArchive(archive, paths, names);
    }
    std::string ExpandPlaceholders(const std::string& text, const std::string& report) override
    {
        return engine_.expandPlaceholders ? engine_.expandPlaceholders(text, report) : text;
    }
    IProgressAlert& CreateProgress(const std::string& title, bool visible) override
    {
        if (engine_.createProgress)
            progress_ = engine_.createProgress(title, visible, inThread_);
        if (!progress_)
            progress_ = std::make_unique<SilentProgress>();
        return *progress_;
    }
    bool Transmit(const SendJob& job) override { return TransmitReportOverWinsock(job); }
    MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                            const std::string& body, bool hidden,
                            const std::vector<std::string>& sendAsNames,
                            const std::vector<std::string>& files) override
    {
        return crashreport::SendViaMapi(recipients, subject, body, hidden, parent_, sendAsNames,
                                        files);
    }
    bool SendViaMailto(const std::string& recipients, const std::string& subject,
                       const std::string& body) override
    {
        if (LoaderLockHeld(250))
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
    std::unique_ptr<IProgressAlert> progress_;
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
    if (background && !inThread && !LoaderLockHeld(250)) {
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
