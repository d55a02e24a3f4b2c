#pragma once
// Delivering one bug report: the mail texts, the attachment files (zipped where configured),
// the sending progress, then the channels in their fixed order: one network channel (HTTP
// upload, SMTP to the recipient's mail exchanger, or SMTP through the configured server), then
// the mail client through MAPI, then a "mailto" command line, and finally one failure message.
// The engine's and the platform's part is reached through DeliveryHost.
#include "SendJob.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace crashreport {

enum class MapiOutcome : uint8_t { failed = 0, sent = 1, cancelled = 2 };

// A file to attach as the settings and the engine name it; a zip name puts it into an archive
// of that name (names compared ignoring case).
struct AttachmentRequest {
    std::string path;
    std::string sendAs;
    std::string zipName;
    std::string field;
};

// The settings a delivery reads.
struct DeliverySettings {
    std::string mailSubject, mailBody, mailAddr, mailFrom;
    bool attachBugRep = false, attachBugRepFile = false, delBugRepFile = false;
    std::string bugReportFile; // the saved bug-report file, absolute
    std::string bugRepSendAs, bugRepZip;
    int32_t scrShotDepth = 0;
    std::string scrShotSendAs, scrShotZip;
    std::vector<AttachmentRequest> additionalAttachments;
    std::vector<std::pair<std::string, std::string>> additionalFields;
    bool uploadViaHttp = false;
    std::string httpServer;
    int32_t httpPort = 80;
    std::string httpAccount, httpPassword;
    bool mailAsSmtpServer = false, mailAsSmtpClient = false;
    std::string smtpServer;
    int32_t smtpPort = 25;
    std::string smtpAccount, smtpPassword;
    bool mailViaMapi = false, mailViaMailto = false;
    std::string sendFailMsg;
    bool autoSendBox = false;
    std::string sendBoxTitle;
    std::string prepAttMsg;
    ProgressTexts texts;
};

// What a delivery needs of the engine (report file, marks, zip writer, screenshot, texts) and
// of the platform (files, channels, messages).
class DeliveryHost {
public:
    virtual ~DeliveryHost() = default;
    virtual std::string TempFolder() = 0; // with a trailing separator; empty when there is none
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool CopyOneFile(const std::string& from, const std::string& to) = 0;
    virtual void RemoveFile(const std::string& path) = 0; // also when it is read-only
    virtual bool WriteReportFile(const std::string& path, const std::string& report) = 0;
    virtual bool ReportSaved() = 0;
    virtual void SetReportSaved(bool saved) = 0;
    virtual void MarkReportSent() = 0;
    virtual bool HasScreenshot() = 0;
    virtual bool WriteScreenshotPng(const std::string& path, int32_t formatCode) = 0;
    virtual bool WriteZipArchive(const std::string& archive, const std::vector<std::string>& paths,
                                 const std::vector<std::string>& names) = 0;
    virtual std::string ExpandPlaceholders(const std::string& text, const std::string& report) = 0;
    // A progress popup with that title, shown when `visible`; owned by the host.
    virtual SendProgress& CreateProgress(const std::string& title, bool visible) = 0;
    virtual bool Transmit(const SendJob& job) = 0;
    virtual MapiOutcome SendViaMapi(const std::string& recipients, const std::string& subject,
                                    const std::string& body, bool hidden,
                                    const std::vector<std::string>& sendAsNames,
                                    const std::vector<std::string>& files) = 0;
    virtual bool SendViaMailto(const std::string& recipients, const std::string& subject,
                               const std::string& body) = 0;
    virtual void ShowFailure(const std::string& message) = 0;
};

// 0 not sent, 1 sent, 2 the user cancelled the MAPI mail. Hidden: an automatic send without
// dialogs and messages.
uint8_t DeliverReport(const std::string& report, const DeliverySettings& settings,
                      DeliveryHost& host, bool hidden);

// The PNG format code of a screenshot depth setting.
int32_t ScreenshotFormatCode(int32_t depth);

// Appends like the engine's attachment list: a missing send-as name becomes the file's name,
// a missing field name the send-as name without extension; an empty path adds nothing.
void AppendAttachment(std::vector<AttachmentRequest>& list, AttachmentRequest request);

// The files to send, in order: missing files skipped, attachments of one zip name in one
// archive in the temp folder.
std::vector<SendAttachment> GroupAttachments(const std::vector<AttachmentRequest>& requests,
                                             const std::string& tempFolder, DeliveryHost& host);

} // namespace crashreport
