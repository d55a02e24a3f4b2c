#include "HttpUpload.h"
#include "ScriptedNetwork.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace crashreport {
namespace {

using testing::ScriptedNetwork;

TEST(HttpUpload, PlansTheConnectionAndTheRequestLine)
{
    struct Case {
        const char* url;
        int32_t port;
        const char* proxy;
        const char* connect;
        const char* requestUri;
        const char* host;
    } cases[] = {
        {"http://reports.test/upload.php", 80, "", "reports.test:80", "/upload.php",
         "reports.test:80"},
        {"HTTP://reports.test:8080/a/b", 80, "", "reports.test:8080", "/a/b", "reports.test:80"},
        {"reports.test", 81, "", "reports.test:81", "/", "reports.test:81"},
        {"http://reports.test/up", 80, "proxy.test:3128", "proxy.test:3128",
         "http://reports.test:80/up", "reports.test:80"},
        {"http://reports.test:8080/up", 80, "http=proxy.test:3128 https=other.test:443",
         "proxy.test:3128", "http://reports.test:8080/up", "reports.test:80"},
        {"http://reports.test/up", 80, "proxy.test:3128 https=other.test:443", "proxy.test:3128",
         "http://reports.test:80/up", "reports.test:80"},
        {"http://reports.test/up", 80, "http://proxy.test", "proxy.test:80",
         "http://reports.test:80/up", "reports.test:80"},
    };
    for (const Case& c : cases) {
        const UploadTarget target = PlanUploadTarget(c.url, c.port, c.proxy);
        EXPECT_EQ(target.connectHost + ":" + std::to_string(target.connectPort), c.connect)
            << c.url;
        EXPECT_EQ(target.requestUri, c.requestUri) << c.url;
        EXPECT_EQ(target.hostName + ":" + std::to_string(target.hostPort), c.host) << c.url;
    }
    EXPECT_EQ(StripProxyScheme("ftp=f:21 HTTP=web.test:8080 https=s:443"), "web.test:8080");
}

TEST(HttpUpload, AuthorizesOnlyWithAnAccountOrPassword)
{
    const UploadTarget target = PlanUploadTarget("http://r.test/u", 80, "");
    EXPECT_EQ(UploadRequestHead(target, 10, "", "", "").find("Authorization"), std::string::npos);
    // Base64 of "user:" and "user:pass" (RFC 4648).
    EXPECT_NE(
        UploadRequestHead(target, 10, "", "user", "").find("Authorization: Basic dXNlcjo=\r\n"),
        std::string::npos);
    EXPECT_NE(UploadRequestHead(target, 10, "a@x.test", "user", "pass")
                  .find("From: <a@x.test>\r\nAuthorization: Basic dXNlcjpwYXNz\r\n"),
              std::string::npos);
}

TEST(HttpUpload, ReadsTheAnswerAndOpensOnlyWebAddresses)
{
    struct Case {
        const char* name;
        std::deque<std::string> chunks;
        bool accepted;
        std::vector<std::string> opened;
    } cases[] = {
        {"200", {"HTTP/1.1 200 OK\r\n\r\n"}, true, {}},
        {"404", {"HTTP/1.1 404 Not Found\r\n\r\n"}, false, {}},
        {"100 then 200 in one read",
         {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n"},
         true,
         {}},
        {"100 then 200 in a later read",
         {"HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.1 200 OK\r\n\r\n"},
         true,
         {}},
        {"status line split", {"HTTP/1.1 2", "00 OK\r\n\r\n"}, true, {}},
        {"302 to a web page",
         {"HTTP/1.1 302 Found\r\nlocation: https://r.test/thanks\r\n\r\n"},
         true,
         {"https://r.test/thanks"}},
        {"302 to a program",
         {"HTTP/1.1 302 Found\r\nLocation: file:///C:/windows/system32/calc.exe\r\n\r\n"},
         true,
         {}},
        {"302 without location", {"HTTP/1.1 302 Found\r\n\r\n"}, false, {}},
        {"302 with its location in a later read",
         {"HTTP/1.1 302 Found\r\n", "Location: http://r.test/thanks\r\n\r\n"},
         true,
         {"http://r.test/thanks"}},
        {"200 whose headers the server cuts short", {"HTTP/1.1 200 OK\r\n"}, true, {}},
        {"status line cut short", {"HTTP/1.1 2"}, false, {}},
        {"no answer", {}, false, {}},
    };
    for (const Case& c : cases) {
        testing::Transcript transcript;
        testing::ScriptedStream stream(c.chunks, transcript, true);
        ScriptedNetwork network;
        EXPECT_EQ(ReadHttpResponse(stream, network), c.accepted) << c.name;
        EXPECT_EQ(network.transcript.opened, c.opened) << c.name;
    }
}

SendJob UploadJob(const std::string& file)
{
    SendJob job;
    job.uploadUrl = "http://reports.test/upload";
    job.port = 80;
    job.sender = "qorExcept <dev@x.test>";
    job.fields = {{"MailSubject", "Crash"}, {"MailBody", "line 1\r\nline 2"}};
    job.attachments = {{file, "bugreport.txt", "BugReport"}};
    return job;
}

TEST(HttpUpload, AnnouncesTheLengthOfTheBodyItSends)
{
    const std::string path = ::testing::TempDir() + "upload-attachment.txt";
    std::ofstream(path, std::ios::binary) << std::string(3000, 'r');
    ScriptedNetwork network;
    network.replies = {"HTTP/1.1 200 OK\r\n\r\n"};
    ASSERT_TRUE(UploadViaHttpPost(UploadJob(path), network));
    const std::string& sent = network.transcript.sent;
    const size_t headEnd = sent.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    const std::string head = sent.substr(0, headEnd);
    const size_t lengthAt = head.find("Content-Length: ");
    ASSERT_NE(lengthAt, std::string::npos);
    EXPECT_EQ(std::stoul(head.substr(lengthAt + 16)), sent.size() - headEnd - 4);
    EXPECT_EQ(sent.substr(0, sent.find("\r\n")), "POST /upload HTTP/1.1");
    EXPECT_NE(sent.find("name=\"BugReport\"; filename=\"bugreport.txt\"\r\nContent-Type: "
                        "application/octet-stream\r\n\r\n" +
                        std::string(3000, 'r') + "\r\n--x-part-boundary-of-the-bug-report--\r\n"),
              std::string::npos);
    std::remove(path.c_str());
}

TEST(HttpUpload, FileThatCannotBeReadFailsTheUploadBeforeAnythingIsSent)
{
    ScriptedNetwork network;
    network.replies = {"HTTP/1.1 200 OK\r\n\r\n"};
    EXPECT_FALSE(UploadViaHttpPost(UploadJob(::testing::TempDir() + "vanished.txt"), network));
    EXPECT_TRUE(network.transcript.connects.empty());
}

TEST(HttpUpload, RefusedConnectionAndSilentServerFail)
{
    ScriptedNetwork refused;
    refused.reachable = false;
    SendJob job = UploadJob("");
    job.attachments.clear();
    EXPECT_FALSE(UploadViaHttpPost(job, refused));
    ScriptedNetwork silent;
    silent.silentAtEnd = true;
    EXPECT_FALSE(UploadViaHttpPost(job, silent));
}

} // namespace
} // namespace crashreport
