// The delivery on Winsock against real servers on the loopback interface (peers.py, started
// for each test process by peers.sh): an SMTP sink whose received mails Python's email package
// decodes, the same sink requiring AUTH LOGIN, an HTTP server parsing the form, tinyproxy and
// a DNS responder.
#include "FileBytes.h"
#include "SendingDriver.h"
#include "SmtpClient.h"
#include "WinsockNetwork.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

namespace crashreport {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

int32_t EnvPort(const char* name)
{
    return std::atoi(Env(name).c_str());
}

std::string Received(const std::string& file)
{
    return testsupport::ReadBytes(Env("BRENVIK_PEERS_DIR") + "/" + file);
}

bool ReceivedExists(const std::string& file)
{
    return GetFileAttributesA((Env("BRENVIK_PEERS_DIR") + "/" + file).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

// Every byte value, and a length that leaves a short last base64 line.
std::string BinaryBytes()
{
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += static_cast<char>((i * 37 + i / 256) & 0xFF);
    return bytes;
}

class DeliveryPeers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session_.Started());
        ASSERT_FALSE(Env("BRENVIK_PEERS_DIR").empty()) << "run through peers.sh";
        folder_ = ::testing::TempDir();
        binary_ = folder_ + "delivery-binary.bin";
        screenshot_ = folder_ + "delivery-screen.png";
        testsupport::WriteBytes(binary_, BinaryBytes());
        testsupport::WriteBytes(screenshot_,
                                std::string("\x89PNG\r\n\x1a\n", 8) + BinaryBytes().substr(0, 300));
    }
    void TearDown() override
    {
        DeleteFileA(binary_.c_str());
        DeleteFileA(screenshot_.c_str());
    }

    SendJob MailJob(int32_t port) const
    {
        SendJob job;
        job.sender = "qorExcept <dev@x.test>";
        job.recipients = "support@y.test; Second Desk <desk@z.test>";
        job.server = "127.0.0.1";
        job.port = port;
        job.subject = "Crash report: app 1.0";
        job.body = "date/time : today\r\n.\r\n..\r\n.hidden line\r\nlast line";
        job.attachments = {{binary_, "bugreport.zip", "BugReport"},
                           {screenshot_, "screen.png", "ScreenShot"}};
        return job;
    }

    WinsockSession session_;
    std::string folder_, binary_, screenshot_;
};

TEST_F(DeliveryPeers, MailThroughTheServerArrivesWithHeadersBodyAndAttachments)
{
    WinsockNetwork network({}, {});
    ASSERT_TRUE(TransmitReport(MailJob(EnvPort("BRENVIK_SMTP_PORT")), network));
    const std::string headers = Received("mail-1/headers.txt");
    EXPECT_NE(headers.find("To: support@y.test, Second Desk <desk@z.test>\n"), std::string::npos)
        << headers;
    EXPECT_NE(headers.find("To-count: 1\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("From: qorExcept <dev@x.test>\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("Subject: Crash report: app 1.0\n"), std::string::npos) << headers;
    EXPECT_NE(headers.find("@qorExcept>\n"), std::string::npos) << headers;
    EXPECT_EQ(Received("mail-1/envelope.txt"),
              "MAIL FROM:dev@x.test\nRCPT TO:support@y.test\nRCPT TO:desk@z.test\n");
    // Lines holding "." and ".." arrive as they were written.
    EXPECT_EQ(Received("mail-1/body.txt"), MailJob(0).body);
    EXPECT_EQ(Received("mail-1/attachment-bugreport.zip"), BinaryBytes());
    EXPECT_EQ(Received("mail-1/type-bugreport.zip"), "application/octet-stream");
    EXPECT_EQ(Received("mail-1/attachment-screen.png"), testsupport::ReadBytes(screenshot_));
    EXPECT_EQ(Received("mail-1/type-screen.png"), "image/png");
}

TEST_F(DeliveryPeers, MailAuthenticatesWithAuthLogin)
{
    WinsockNetwork network({}, {});
    SendJob job = MailJob(EnvPort("BRENVIK_SMTP_AUTH_PORT"));
    job.account = "reporter";
    job.password = "s3cret pass";
    ASSERT_TRUE(TransmitReport(job, network));
    EXPECT_EQ(Received("mail-1/attachment-bugreport.zip"), BinaryBytes());
    job.password = "wrong"; // the sink answers a wrong password only after our time-out
    EXPECT_FALSE(TransmitReport(job, network));
    job.account.clear();
    job.password.clear();
    EXPECT_FALSE(TransmitReport(job, network)) << "the server requires authentication";
    EXPECT_FALSE(ReceivedExists("mail-2"));
}

TEST_F(DeliveryPeers, MailGoesStraightToTheExchangerTheDnsNames)
{
    WinsockNetwork network({Env("BRENVIK_DNS_ADDRESS")}, {});
    SendJob job = MailJob(EnvPort("BRENVIK_SMTP_PORT"));
    job.server.clear();
    job.recipients = "support@example.test, nobody@nx.test";
    ASSERT_TRUE(TransmitReport(job, network));
    EXPECT_EQ(Received("mail-1/envelope.txt"),
              "MAIL FROM:dev@x.test\nRCPT TO:support@example.test\n");
    EXPECT_FALSE(ReceivedExists("mail-2"));
}

TEST_F(DeliveryPeers, RefusedAndDroppedConnectionsFailWithinTheirTimeOuts)
{
    WinsockNetwork network({}, {});
    // The HTTP server answers SMTP's EHLO with an error and drops the connection.
    EXPECT_FALSE(TransmitReport(MailJob(EnvPort("BRENVIK_HTTP_PORT")), network));
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof local;
    bind(probe, reinterpret_cast<sockaddr*>(&local), sizeof local);
    getsockname(probe, reinterpret_cast<sockaddr*>(&local), &size);
    closesocket(probe); // nothing listens there now
    EXPECT_FALSE(TransmitReport(MailJob(ntohs(local.sin_port)), network));
}

TEST(MailExchangerPeers, FindsExchangersAndWalksFromTheRoots)
{
    WinsockSession session;
    ASSERT_TRUE(session.Started());
    const std::string dns = Env("BRENVIK_DNS_ADDRESS");
    ASSERT_FALSE(dns.empty()) << "run through peers.sh";
    EXPECT_EQ(WinsockNetwork({dns}, {}).FindMailServer("x@example.test"), "127.0.0.1");
    // Four labels: the base domain is asked when the domain itself has no exchanger.
    EXPECT_EQ(WinsockNetwork({dns}, {}).FindMailServer("x@a.b.deep.test"), "127.0.0.1");
    EXPECT_EQ(WinsockNetwork({dns}, {}).FindMailServer("x@nx.test"), "");
    EXPECT_EQ(WinsockNetwork({dns}, {}).FindMailServer("x@broken.test"), "");
    EXPECT_EQ(WinsockNetwork({}, {dns}).FindMailServer("x@walk.test"), "127.0.0.1");
    EXPECT_EQ(WinsockNetwork({}, {dns, "unresolvable.invalid"}).FindMailServer("x@loop.test"),
              "127.0.0.1");
    const std::string questions = Received("dns-questions.txt");
    size_t loopRounds = 0;
    for (size_t at = questions.find("NS loop.test"); at != std::string::npos;
         at = questions.find("NS loop.test", at + 1))
        ++loopRounds;
    EXPECT_EQ(loopRounds, 1u + 1u + kRootWalkRounds);
}

TEST(SystemDnsServers, AreTheHostsResolvers)
{
    // Wine answers GetNetworkParams from the host's resolver configuration.
    std::string expected;
    const std::string config = testsupport::ReadBytes("Z:/etc/resolv.conf");
    for (size_t at = 0; at < config.size();) {
        const size_t end = std::min(config.find('\n', at), config.size());
        const std::string line = config.substr(at, end - at);
        if (line.rfind("nameserver ", 0) == 0 && line.find(':') == std::string::npos) {
            expected = line.substr(11, line.find_first_of(" \t\r", 11) - 11);
            break;
        }
        at = end + 1;
    }
    const std::vector<std::string> servers = SystemDnsServers();
    if (expected.empty())
        EXPECT_TRUE(servers.empty());
    else
        EXPECT_EQ(servers.empty() ? "" : servers.front(), expected);
}

// Records the browser's address instead of starting one.
class RecordingNetwork : public WinsockNetwork {
public:
    RecordingNetwork() : WinsockNetwork({}, {}) {}
    void OpenInBrowser(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

class UploadPeers : public DeliveryPeers {
protected:
    SendJob UploadJob(const std::string& path) const
    {
        SendJob job;
        job.uploadUrl = "http://127.0.0.1:" + Env("BRENVIK_HTTP_PORT") + path;
        job.port = 80;
        job.sender = "qorExcept <dev@x.test>";
        job.fields = {{"Product", "Brenvik"},
                      {"MailSubject", "Crash report"},
                      {"MailBody", "line 1\r\n.\r\nline 3"}};
        job.attachments = {{binary_, "bugreport.zip", "BugReport"},
                           {screenshot_, "screen.png", "ScreenShot"}};
        return job;
    }
    // Sets the proxy of the internet settings for the test's lifetime.
    void UseProxy(const std::string& proxy)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const DWORD enable = 1;
        RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable),
                       sizeof enable);
        RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(proxy.c_str()),
                       static_cast<DWORD>(proxy.size() + 1));
        RegCloseKey(key);
        proxySet_ = true;
    }
    void TearDown() override
    {
        if (proxySet_) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_ALL_ACCESS, &key) ==
                ERROR_SUCCESS) {
                const DWORD disable = 0;
                RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&disable), sizeof disable);
                RegDeleteValueA(key, "ProxyServer");
                RegCloseKey(key);
            }
        }
        DeliveryPeers::TearDown();
    }
    static constexpr const char* kSettings =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    bool proxySet_ = false;
};

TEST_F(UploadPeers, ServerParsesEveryFieldAndFile)
{
    RecordingNetwork network;
    ASSERT_TRUE(TransmitReport(UploadJob("/upload"), network));
    EXPECT_EQ(Received("post-1/field-Product"), "Brenvik");
    EXPECT_EQ(Received("post-1/field-MailSubject"), "Crash report");
    EXPECT_EQ(Received("post-1/field-MailBody"), "line 1\r\n.\r\nline 3");
    EXPECT_EQ(Received("post-1/file-BugReport"), BinaryBytes());
    EXPECT_EQ(Received("post-1/filename-BugReport"), "bugreport.zip");
    EXPECT_EQ(Received("post-1/file-ScreenShot"), testsupport::ReadBytes(screenshot_));
    const std::string length = Received("post-1/length.txt");
    EXPECT_EQ(length.substr(0, length.find(' ')), length.substr(length.find(' ') + 1))
        << "announced and received";
    const std::string request = Received("post-1/request.txt");
    EXPECT_EQ(request.substr(0, request.find('\n')), "POST /upload HTTP/1.1");
    EXPECT_NE(request.find("From: <dev@x.test>"), std::string::npos);
    EXPECT_EQ(request.find("Authorization"), std::string::npos);
}

TEST_F(UploadPeers, BasicAuthorizationOpensThePrivateForm)
{
    RecordingNetwork network;
    SendJob job = UploadJob("/private");
    EXPECT_FALSE(TransmitReport(job, network));
    job.account = "uploader";
    job.password = "pass";
    EXPECT_TRUE(TransmitReport(job, network));
}

TEST_F(UploadPeers, ProxyGetsTheAbsoluteAddress)
{
    UseProxy("http=127.0.0.1:" + Env("BRENVIK_PROXY_PORT") + " https=127.0.0.1:1");
    RecordingNetwork network;
    ASSERT_NE(network.SystemProxy().find(Env("BRENVIK_PROXY_PORT")), std::string::npos)
        << network.SystemProxy();
    SendJob job = UploadJob("/upload");
    job.uploadUrl = "http://127.0.0.1/upload";
    job.port = EnvPort("BRENVIK_HTTP_PORT");
    ASSERT_TRUE(TransmitReport(job, network)) << "proxy " << network.SystemProxy();
    EXPECT_EQ(Received("post-1/file-BugReport"), BinaryBytes());
}

TEST_F(UploadPeers, RedirectOpensOnlyWebAddresses)
{
    RecordingNetwork network;
    EXPECT_TRUE(TransmitReport(UploadJob("/redirect-web"), network));
    EXPECT_TRUE(TransmitReport(UploadJob("/redirect-program"), network));
    EXPECT_EQ(network.opened, std::vector<std::string>{"http://127.0.0.1:9/thanks.html"});
}

TEST_F(UploadPeers, RefusedConnectionAndSlowServerFail)
{
    RecordingNetwork network;
    SendJob refused = UploadJob("/upload");
    refused.uploadUrl = "http://127.0.0.1:1/upload";
    EXPECT_FALSE(TransmitReport(refused, network));
    EXPECT_FALSE(TransmitReport(UploadJob("/slow"), network));
}

TEST_F(UploadPeers, VanishedAttachmentFailsTheUpload)
{
    RecordingNetwork network;
    SendJob job = UploadJob("/upload");
    job.attachments.push_back({folder_ + "vanished.txt", "vanished.txt", "Gone"});
    EXPECT_FALSE(TransmitReport(job, network));
    EXPECT_FALSE(ReceivedExists("post-1"));
}

} // namespace
} // namespace crashreport
