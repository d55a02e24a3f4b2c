#include "BugReportDelivery.h"

#include "MailAddresses.h"

#include <algorithm>
#include <cctype>

namespace crashreport {

namespace {

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string NamePart(const std::string& path)
{
    return path.substr(
        path.find_last_of("\\/:") == std::string::npos ? 0 : path.find_last_of("\\/:") + 1);
}

void SetField(std::vector<std::pair<std::string, std::string>>& fields, const std::string& name,
              const std::string& value)
{
    if (value.empty())
        return;
    for (auto& field : fields)
        if (SameText(field.first, name)) {
            field.second = value;
            return;
        }
    fields.emplace_back(name, value);
}

// The progress segments of the preparation and of the channel about to run.
void PlanDeliveryProgress(SendProgress& progress, const DeliverySettings& settings,
                          bool withAttachments)
{
    progress.AddSegment(settings.prepAttMsg, 100);
    const bool smtp = settings.mailAsSmtpServer || settings.mailAsSmtpClient;
    if (!smtp && !settings.uploadViaHttp)
        return;
    if (settings.mailAsSmtpServer)
        progress.AddSegment(settings.texts.mxLookup, 100);
    progress.AddSegment(settings.texts.connect, 100);
    if (smtp) {
        progress.AddSegment(settings.texts.authorize, 200);
        progress.AddSegment(settings.texts.sendMail, 100);
    }
    if (settings.uploadViaHttp)
        progress.AddSegment(settings.texts.fields, 100);
    if (withAttachments)
        progress.AddSegment(settings.texts.attachments, 100);
    progress.AddSegment(settings.texts.finish, 100);
}

} // namespace

int32_t ScreenshotFormatCode(int32_t depth)
{
    static constexpr std::pair<int32_t, int32_t> kCodes[] = {
        {4, 1}, {51200, 2}, {102400, 3}, {204800, 4}, {307200, 5}};
    for (const auto& [settingDepth, code] : kCodes)
        if (settingDepth == depth)
            return code;
    return 0;
}

void AppendAttachment(std::vector<AttachmentRequest>& list, AttachmentRequest request)
{
    if (request.path.empty())
        return;
    if (request.sendAs.empty())
        request.sendAs = NamePart(request.path);
    if (request.field.empty())
        request.field = request.sendAs.substr(0, request.sendAs.rfind('.'));
    list.push_back(std::move(request));
}

std::vector<SendAttachment> GroupAttachments(const std::vector<AttachmentRequest>& requests,
                                             const std::string& tempFolder, DeliveryHost& host)
{
    std::vector<SendAttachment> files;
    std::vector<std::string> zipped;
    for (size_t i = 0; i < requests.size(); ++i) {
        const AttachmentRequest& request = requests[i];
        if (!host.FileExists(request.path))
            continue;
        if (request.zipName.empty()) {
            files.push_back({request.path, request.sendAs, request.field});
            continue;
        }
        if (std::any_of(zipped.begin(), zipped.end(),
                        [&](const std::string& z) { return SameText(z, request.zipName); }))
            continue;
        zipped.push_back(request.zipName);
        std::vector<std::string> paths, names;
        for (size_t j = i; j < requests.size(); ++j)
            if (SameText(requests[j].zipName, request.zipName)) {
                paths.push_back(requests[j].path);
                names.push_back(requests[j].sendAs);
            }
        const std::string archive = tempFolder + request.zipName;
        if (host.WriteZipArchive(archive, paths, names))
            files.push_back({archive, request.zipName, request.zipName});
    }
    return files;
}

uint8_t DeliverReport(const std::string& report, const DeliverySettings& settings,
                      DeliveryHost& host, bool hidden)
{
    const std::string recipients = settings.mailAddr;
    const std::vector<std::string> recipientItems = MailAddressItems(recipients);
    std::string sender = settings.mailFrom;
    if (sender.empty() && !recipientItems.empty())
        sender = "qorExcept " + FormatMailAddress(recipientItems.front(), false);
    const std::string subject = host.ExpandPlaceholders(settings.mailSubject, report);
    const std::string body = host.ExpandPlaceholders(settings.mailBody, report);

    bool mayDeleteSavedFile = false;
    std::string screenshot;
    std::vector<SendAttachment> files;
    SendProgress* progress = nullptr;
    const bool networkChannel =
        settings.mailAsSmtpServer || settings.mailAsSmtpClient || settings.uploadViaHttp;
    // The "mailto" channel carries no attachments.
    if (networkChannel || settings.mailViaMapi) {
        const std::string temp = host.TempFolder();
        std::vector<AttachmentRequest> requests;
        if (settings.attachBugRep && !temp.empty()) {
            const std::string copy = temp + NamePart(settings.bugReportFile);
            bool copied = false;
            if (settings.attachBugRepFile) {
                copied = host.CopyOneFile(settings.bugReportFile, copy);
                mayDeleteSavedFile = copied && settings.delBugRepFile;
            }
            if (!copied)
                host.RemoveFile(copy);
            const bool wasSaved = host.ReportSaved();
            if (!settings.attachBugRepFile || !copied || !wasSaved) {
                if (!host.WriteReportFile(copy, report))
                    host.RemoveFile(copy);
                if (!wasSaved)
                    host.SetReportSaved(false);
            }
            if (host.FileExists(copy))
                AppendAttachment(requests,
                                 {copy, settings.bugRepSendAs, settings.bugRepZip, "BugReport"});
            else
                mayDeleteSavedFile = false;
        }
        if (host.HasScreenshot() && !temp.empty()) {
            screenshot = temp + "screenShot.png";
            host.RemoveFile(screenshot);
            if (host.WriteScreenshotPng(screenshot, ScreenshotFormatCode(settings.scrShotDepth)))
                AppendAttachment(requests, {screenshot, settings.scrShotSendAs, settings.scrShotZip,
                                            "ScreenShot"});
        }
        for (const AttachmentRequest& request : settings.additionalAttachments)
            AppendAttachment(requests, request);
        files = GroupAttachments(requests, temp, host);
        progress = &host.CreateProgress(settings.sendBoxTitle, !hidden || settings.autoSendBox);
        PlanDeliveryProgress(*progress, settings, !files.empty());
    }

    std::vector<std::pair<std::string, std::string>> fields = settings.additionalFields;
    SetField(fields, "MailFrom", sender);
    SetField(fields, "MailSubject", subject);
    SetField(fields, "MailBody", body);
    SetField(fields, "MailAddr", recipients);

    SendJob job;
    job.sender = sender;
    job.subject = subject;
    job.body = body;
    job.attachments = files;
    job.texts = settings.texts;
    job.progress = progress;
    bool sent = false;
    if (settings.uploadViaHttp) {
        if (!settings.httpServer.empty()) {
            job.uploadUrl = settings.httpServer;
            job.port = settings.httpPort;
            job.account = settings.httpAccount;
            job.password = settings.httpPassword;
            job.fields = fields;
            sent = host.Transmit(job);
        }
    } else if (settings.mailAsSmtpServer) {
        if (!recipientItems.empty()) {
            job.recipients = recipients;
            job.port = 25;
            sent = host.Transmit(job);
        }
    } else if (settings.mailAsSmtpClient) {
        if (!recipientItems.empty() && !settings.smtpServer.empty()) {
            job.recipients = recipients;
            job.server = settings.smtpServer;
            job.port = settings.smtpPort;
            job.account = settings.smtpAccount;
            job.password = settings.smtpPassword;
            sent = host.Transmit(job);
        }
    }
    if (progress)
        progress->Dismiss();
    // The mail client still needs the screenshot.
    if (!screenshot.empty() && (sent || !settings.mailViaMapi))
        host.RemoveFile(screenshot);

    uint8_t result = sent ? 1 : 0;
    if (!sent) {
        if (settings.mailViaMapi) {
            std::vector<std::string> names, paths;
            for (const SendAttachment& file : files) {
                names.push_back(file.sendAs);
                paths.push_back(file.path);
            }
            result = static_cast<uint8_t>(
                host.SendViaMapi(recipients, subject, body, hidden, names, paths));
        }
        if (result == 0 && settings.mailViaMailto && !hidden) {
            // The mail program gets no attachment: the saved file must stay.
            mayDeleteSavedFile = false;
            if (host.SendViaMailto(recipients, subject, report))
                result = 1;
        }
        if (result == 0 && !hidden)
            host.ShowFailure(settings.sendFailMsg);
    }
    if (result == 1) {
        host.MarkReportSent();
        if (mayDeleteSavedFile && !settings.bugReportFile.empty() && settings.delBugRepFile)
            host.RemoveFile(settings.bugReportFile);
    }
    return result;
}

} // namespace crashreport
