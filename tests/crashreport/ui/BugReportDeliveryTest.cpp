#include "BugReportDelivery.h"

#include <gtest/gtest.h>

#include <set>

namespace crashreport {
namespace {

// Files exist by name; every call of the engine and the channels is logged.
class FakeHost : public DeliveryHost {
public:
    std::set<std::string> files = {"C:\\app\\bugreport.txt"};
    bool reportSaved = true;
    bool screenshot = false;
    bool transmitResult = false;
    MapiOutcome mapiResult = MapiOutcome::failed;
    bool mailtoResult = true;
    std::vector<std::string> log;
    std::vector<SendJob> jobs;
    int32_t screenshotFormat = -1;
    std::string mailtoBody;
    std::vector<std::string> mapiFiles;
    bool progressVisible = false;

    std::string TempFolder() override { return "C:\\temp\\app.qorExcept\\"; }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool CopyOneFile(const std::string& from, const std::string& to) override
    {
        log.push_back("copy " + to);
        if (!files.count(from))
            return false;
        files.insert(to);
        return true;
    }
    void RemoveFile(const std::string& path) override
    {
        if (files.erase(path))
            log.push_back("delete " + path);
    }
    bool WriteReportFile(const std::string& path, const std::string&) override
    {
        log.push_back("write report " + path);
        files.insert(path);
        reportSaved = true;
        return true;
    }
    bool ReportSaved() override { return reportSaved; }
    void SetReportSaved(bool saved) override { reportSaved = saved; }
    void MarkReportSent() override { log.push_back("marked sent"); }
    bool HasScreenshot() override { return screenshot; }
    bool WriteScreenshotPng(const std::string& path, int32_t formatCode) override
    {
        screenshotFormat = formatCode;
        files.insert(path);
        return true;
    }
    bool WriteZipArchive(const std::string& archive, const std::vector<std::string>& paths,
                         const std::vector<std::string>& names) override
    {
        std::string entry = "zip " + archive + ":";
        for (size_t i = 0; i < paths.size(); ++i)
            entry += " " + paths[i] + "=" + names[i];
        log.push_back(entry);
        files.insert(archive);
        return true;
    }
    std::string ExpandPlaceholders(const std::string& text, const std::string&) override
    {
        return "[" + text + "]";
    }
    SendProgress& CreateProgress(const std::string&, bool visible) override
    {
        log.push_back("progress");
        progressVisible = visible;
        return progress_;
    }
    bool Transmit(const SendJob& job) override
    {
        log.push_back("transmit");
        jobs.push_back(job);
        return transmitResult;
    }
    MapiOutcome SendViaMapi(const std::string&, const std::string&, const std::string&, bool,
                            const std::vector<std::string>&,
                            const std::vector<std::string>& paths) override
    {
        log.push_back("mapi");
        mapiFiles = paths;
        return mapiResult;
    }
    bool SendViaMailto(const std::string&, const std::string&, const std::string& body) override
    {
        log.push_back("mailto");
        mailtoBody = body;
        return mailtoResult;
    }
    void ShowFailure(const std::string& message) override { log.push_back("failure " + message); }

private:
    SilentProgress progress_;
};

DeliverySettings Settings()
{
    DeliverySettings settings;
    settings.mailAddr = "support@y.test; desk@z.test";
    settings.mailSubject = "subject";
    settings.mailBody = "body";
    settings.sendFailMsg = "Sending failed.";
    settings.bugReportFile = "C:\\app\\bugreport.txt";
    settings.attachBugRep = true;
    settings.attachBugRepFile = true;
    settings.bugRepSendAs = "bugreport.txt";
    return settings;
}

bool Logged(const FakeHost& host, const std::string& entry)
{
    return std::find(host.log.begin(), host.log.end(), entry) != host.log.end();
}

TEST(BugReportDelivery, MailtoAloneCarriesTheReportAsBodyWithoutAttachments)
{
    FakeHost host;
    DeliverySettings settings = Settings();
    settings.mailViaMailto = true;
    EXPECT_EQ(DeliverReport("the report", settings, host, false), 1);
    EXPECT_EQ(host.log, (std::vector<std::string>{"mailto", "marked sent"}));
    EXPECT_EQ(host.mailtoBody, "the report");
}

TEST(BugReportDelivery, TriesTheChannelsInTheirOrder)
{
    struct Case {
        const char* name;
        bool http, smtpServer, smtpClient, mapi, mailto, hidden;
        bool transmits;
        MapiOutcome mapiResult;
        uint8_t result;
        std::vector<std::string> channels; // transmit, mapi, mailto, failure, marked sent in order
    } cases[] = {
        {"network fails, MAPI sends",
         false,
         false,
         true,
         true,
         true,
         false,
         false,
         MapiOutcome::sent,
         1,
         {"transmit", "mapi", "marked sent"}},
        {"network sends",
         false,
         false,
         true,
         true,
         true,
         false,
         true,
         MapiOutcome::sent,
         1,
         {"transmit", "marked sent"}},
        {"MAPI fails, mailto sends",
         false,
         false,
         false,
         true,
         true,
         false,
         false,
         MapiOutcome::failed,
         1,
         {"mapi", "mailto", "marked sent"}},
        {"MAPI cancelled",
         false,
         false,
         false,
         true,
         true,
         false,
         false,
         MapiOutcome::cancelled,
         2,
         {"mapi"}},
        {"nothing works",
         false,
         true,
         false,
         true,
         false,
         false,
         false,
         MapiOutcome::failed,
         0,
         {"transmit", "mapi", "failure Sending failed."}},
        {"nothing works, hidden",
         false,
         true,
         false,
         true,
         true,
         true,
         false,
         MapiOutcome::failed,
         0,
         {"transmit", "mapi"}},
        {"upload without server",
         true,
         false,
         false,
         true,
         false,
         false,
         false,
         MapiOutcome::sent,
         1,
         {"mapi", "marked sent"}},
    };
    for (const Case& c : cases) {
        FakeHost host;
        host.transmitResult = c.transmits;
        host.mapiResult = c.mapiResult;
        DeliverySettings settings = Settings();
        settings.uploadViaHttp = c.http;
        settings.mailAsSmtpServer = c.smtpServer;
        settings.mailAsSmtpClient = c.smtpClient;
        settings.smtpServer = "mail.test";
        settings.mailViaMapi = c.mapi;
        settings.mailViaMailto = c.mailto;
        EXPECT_EQ(DeliverReport("report", settings, host, c.hidden), c.result) << c.name;
        std::vector<std::string> channels;
        for (const std::string& entry : host.log)
            if (entry == "transmit" || entry == "mapi" || entry == "mailto" ||
                entry == "marked sent" || entry.rfind("failure", 0) == 0)
                channels.push_back(entry);
        EXPECT_EQ(channels, c.channels) << c.name;
    }
}

TEST(BugReportDelivery, DirectDeliveryWinsOverTheConfiguredServer)
{
    FakeHost host;
    DeliverySettings settings = Settings();
    settings.mailAsSmtpServer = true;
    settings.mailAsSmtpClient = true;
    settings.smtpServer = "mail.test";
    DeliverReport("report", settings, host, true);
    ASSERT_EQ(host.jobs.size(), 1u);
    EXPECT_EQ(host.jobs[0].server, "");
    EXPECT_EQ(host.jobs[0].port, 25);
    EXPECT_EQ(host.jobs[0].sender, "qorExcept <support@y.test>");
    EXPECT_EQ(host.jobs[0].subject, "[subject]");
}

TEST(BugReportDelivery, UploadCarriesTheFormFields)
{
    FakeHost host;
    host.transmitResult = true;
    DeliverySettings settings = Settings();
    settings.uploadViaHttp = true;
    settings.httpServer = "http://r.test/up";
    settings.mailFrom = "me@x.test";
    settings.additionalFields = {{"Product", "Brenvik"}, {"mailsubject", "old"}};
    ASSERT_EQ(DeliverReport("report", settings, host, false), 1);
    EXPECT_EQ(host.jobs[0].fields, (std::vector<std::pair<std::string, std::string>>{
                                       {"Product", "Brenvik"},
                                       {"mailsubject", "[subject]"},
                                       {"MailFrom", "me@x.test"},
                                       {"MailBody", "[body]"},
                                       {"MailAddr", "support@y.test; desk@z.test"}}));
    EXPECT_EQ(host.jobs[0].attachments.size(), 1u);
    EXPECT_EQ(host.jobs[0].attachments[0].path, "C:\\temp\\app.qorExcept\\bugreport.txt");
    EXPECT_EQ(host.jobs[0].attachments[0].field, "BugReport");
}

TEST(BugReportDelivery, SavedReportFileIsDeletedOnlyAfterASendThatCarriedIt)
{
    for (bool throughMailto : {false, true}) {
        FakeHost host;
        DeliverySettings settings = Settings();
        settings.delBugRepFile = true;
        settings.mailViaMapi = true;
        settings.mailViaMailto = true;
        host.mapiResult = throughMailto ? MapiOutcome::failed : MapiOutcome::sent;
        ASSERT_EQ(DeliverReport("report", settings, host, false), 1);
        EXPECT_EQ(Logged(host, "delete C:\\app\\bugreport.txt"), !throughMailto) << throughMailto;
    }
}

TEST(BugReportDelivery, UnsavedReportIsWrittenIntoTheCopyAndStaysUnsaved)
{
    FakeHost host;
    host.reportSaved = false;
    DeliverySettings settings = Settings();
    settings.mailViaMapi = true;
    DeliverReport("report", settings, host, false);
    EXPECT_TRUE(Logged(host, "write report C:\\temp\\app.qorExcept\\bugreport.txt"));
    EXPECT_FALSE(host.reportSaved);
    EXPECT_EQ(host.mapiFiles, std::vector<std::string>{"C:\\temp\\app.qorExcept\\bugreport.txt"});
}

TEST(BugReportDelivery, ZipNamesDifferingInCaseShareOneArchive)
{
    FakeHost host;
    host.files.insert({"C:\\a.log", "C:\\b.log", "C:\\c.log"});
    DeliverySettings settings = Settings();
    settings.attachBugRep = false;
    settings.mailViaMapi = true;
    settings.additionalAttachments = {{"C:\\a.log", "a.log", "Logs.zip", ""},
                                      {"C:\\missing.log", "", "", ""},
                                      {"C:\\b.log", "b.log", "LOGS.ZIP", ""},
                                      {"C:\\c.log", "", "", ""}};
    DeliverReport("report", settings, host, false);
    EXPECT_TRUE(
        Logged(host, "zip C:\\temp\\app.qorExcept\\Logs.zip: C:\\a.log=a.log C:\\b.log=b.log"));
    EXPECT_EQ(host.mapiFiles,
              (std::vector<std::string>{"C:\\temp\\app.qorExcept\\Logs.zip", "C:\\c.log"}));
}

TEST(BugReportDelivery, ScreenshotDepthChoosesThePngFormat)
{
    const std::pair<int32_t, int32_t> cases[] = {{4, 1},      {51200, 2}, {102400, 3}, {204800, 4},
                                                 {307200, 5}, {8, 0},     {0, 0}};
    for (const auto& [depth, format] : cases) {
        FakeHost host;
        host.screenshot = true;
        DeliverySettings settings = Settings();
        settings.mailViaMapi = true;
        settings.scrShotDepth = depth;
        DeliverReport("report", settings, host, false);
        EXPECT_EQ(host.screenshotFormat, format) << depth;
        // MAPI still needed the screenshot; it stays for the mail client.
        EXPECT_FALSE(Logged(host, "delete C:\\temp\\app.qorExcept\\screenShot.png"));
    }
}

TEST(BugReportDelivery, HiddenSendShowsProgressOnlyWithAutoSendBox)
{
    for (bool autoSendBox : {false, true}) {
        FakeHost host;
        DeliverySettings settings = Settings();
        settings.mailViaMapi = true;
        settings.autoSendBox = autoSendBox;
        DeliverReport("report", settings, host, true);
        EXPECT_EQ(host.progressVisible, autoSendBox);
        EXPECT_FALSE(Logged(host, "failure Sending failed."));
    }
}

} // namespace
} // namespace crashreport
