#include "MailMessage.h"
#include "ScriptedNetwork.h"
#include "SmtpClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace crashreport {
namespace {

using testing::ScriptedNetwork;

const std::deque<std::string> kAcceptingServer = {
    "220 mail.test ESMTP\r\n",
    "250-mail.test\r\n250-AUTH PLAIN LOGIN\r\n250 OK\r\n",
    "250 sender ok\r\n",
    "250 rcpt ok\r\n",
    "354 go ahead\r\n",
    "250 queued\r\n",
    "221 bye\r\n"};

SendJob MailJob()
{
    SendJob job;
    job.sender = "qorExcept <dev@x.test>";
    job.recipients = "support@y.test";
    job.server = "mail.test";
    job.subject = "Crash";
    job.body = "report";
    return job;
}

// The DATA part of a transcript: from after "DATA\r\n" to the end-of-data mark.
std::string DataOf(const std::string& sent)
{
    const size_t start = sent.find("DATA\r\n") + 6;
    return sent.substr(start, sent.find("\r\n.\r\n", start) - start);
}

TEST(SmtpSession, SendsThroughTheServerAndEndsWithQuit)
{
    ScriptedNetwork network;
    network.replies = kAcceptingServer;
    ASSERT_TRUE(SendSmtpMail("support@y.test", MailJob(), network));
    EXPECT_EQ(network.transcript.connects, std::vector<std::string>{"mail.test:25"});
    const std::string& sent = network.transcript.sent;
    EXPECT_EQ(sent.substr(0, sent.find("Subject")),
              "EHLO TESTBOX\r\nMAIL FROM:<dev@x.test>\r\nRCPT TO:<support@y.test>\r\nDATA\r\n"
              "To: <support@y.test>\r\nFrom: qorExcept <dev@x.test>\r\n");
    EXPECT_EQ(sent.substr(sent.size() - 11), "\r\n.\r\nQUIT\r\n");
    EXPECT_NE(sent.find("\r\n\r\nreport\r\n.\r\n"), std::string::npos);
}

TEST(SmtpSession, AuthenticatesWithLoginWhenCredentialsAreSet)
{
    ScriptedNetwork network;
    network.replies = kAcceptingServer;
    network.replies.insert(network.replies.begin() + 2,
                           {"334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n"});
    SendJob job = MailJob();
    job.account = "user";
    job.password = "secret";
    ASSERT_TRUE(SendSmtpMail(job.recipients, job, network));
    // Base64 of "user" and "secret" (RFC 4648 alphabet).
    EXPECT_NE(network.transcript.sent.find(
                  "EHLO TESTBOX\r\nAUTH LOGIN\r\ndXNlcg==\r\nc2VjcmV0\r\nMAIL FROM:"),
              std::string::npos);
}

// Each case: the server's replies, whether the mail counts as sent, whether QUIT went out.
TEST(SmtpSession, WrongRepliesAndDroppedConnectionsFailTheMail)
{
    struct Case {
        const char* name;
        std::deque<std::string> replies;
        bool authorize;
        bool sent;
        bool quit;
    } cases[] = {
        {"greeting refused", {"554 no\r\n"}, false, false, false},
        {"EHLO and HELO refused", {"220 hi\r\n", "502 no\r\n", "502 no\r\n"}, false, false, false},
        {"HELO after a refused EHLO",
         {"220 hi\r\n", "502 no\r\n", "250 hi\r\n", "250\r\n", "250\r\n", "354\r\n", "250\r\n",
          "221\r\n"},
         false,
         true,
         true},
        {"credentials without AUTH LOGIN offered",
         {"220 hi\r\n", "250-hi\r\n250 AUTH PLAIN\r\n", "221\r\n"},
         true,
         false,
         true},
        {"password refused",
         {"220 hi\r\n", "250 AUTH LOGIN\r\n", "334\r\n", "334\r\n", "535 no\r\n", "221\r\n"},
         true,
         false,
         true},
        {"sender refused",
         {"220 hi\r\n", "250 hi\r\n", "550 no\r\n", "221\r\n"},
         false,
         false,
         true},
        {"recipient refused",
         {"220 hi\r\n", "250 hi\r\n", "250\r\n", "550 no\r\n", "221\r\n"},
         false,
         false,
         true},
        {"DATA refused",
         {"220 hi\r\n", "250 hi\r\n", "250\r\n", "250\r\n", "451 no\r\n", "221\r\n"},
         false,
         false,
         true},
        {"message refused",
         {"220 hi\r\n", "250 hi\r\n", "250\r\n", "250\r\n", "354\r\n", "554 no\r\n", "221\r\n"},
         false,
         false,
         true},
        {"QUIT answered wrongly",
         {"220 hi\r\n", "250 hi\r\n", "250\r\n", "250\r\n", "354\r\n", "250\r\n", "250\r\n"},
         false,
         false,
         true},
        {"connection dropped after DATA",
         {"220 hi\r\n", "250 hi\r\n", "250\r\n", "250\r\n", "354\r\n"},
         false,
         false,
         true},
        {"connection dropped at once", {}, false, false, false},
    };
    for (const Case& c : cases) {
        ScriptedNetwork network;
        network.replies = c.replies;
        SendJob job = MailJob();
        if (c.authorize)
            job.account = "user";
        EXPECT_EQ(SendSmtpMail(job.recipients, job, network), c.sent) << c.name;
        EXPECT_EQ(network.transcript.sent.find("QUIT\r\n") != std::string::npos, c.quit) << c.name;
    }
}

TEST(SmtpSession, SilentServerEndsInTimeOutNotInAHang)
{
    ScriptedNetwork network;
    network.replies = {"220 hi\r\n"};
    network.silentAtEnd = true;
    EXPECT_FALSE(SendSmtpMail("support@y.test", MailJob(), network));
}

TEST(SmtpSession, UnreachableServerFailsWithoutSession)
{
    ScriptedNetwork network;
    network.reachable = false;
    EXPECT_FALSE(SendSmtpMail("support@y.test", MailJob(), network));
    network.mailServer = "";
    SendJob direct = MailJob();
    direct.server.clear();
    EXPECT_FALSE(SendSmtpMail("support@y.test", direct, network));
    EXPECT_EQ(network.transcript.connects.size(), 1u);
}

TEST(SmtpSession, OneRefusedRecipientOfTwoStillSendsTheMail)
{
    ScriptedNetwork network;
    network.replies = {"220 hi\r\n", "250 hi\r\n", "250\r\n", "550 unknown\r\n",
                       "250\r\n",    "354\r\n",    "250\r\n", "221\r\n"};
    ASSERT_TRUE(SendSmtpMail("gone@y.test,support@y.test", MailJob(), network));
    EXPECT_NE(network.transcript.sent.find("To: <gone@y.test>, <support@y.test>\r\n"),
              std::string::npos);
}

TEST(SmtpSession, EmptySubjectAndBodyResetInsteadOfSendingData)
{
    ScriptedNetwork network;
    network.replies = {"220 hi\r\n", "250 hi\r\n",    "250\r\n",
                       "250\r\n",    "250 reset\r\n", "221\r\n"};
    SendJob job = MailJob();
    job.subject.clear();
    job.body.clear();
    ASSERT_TRUE(SendSmtpMail(job.recipients, job, network));
    EXPECT_NE(network.transcript.sent.find("RCPT TO:<support@y.test>\r\nRSET\r\nQUIT\r\n"),
              std::string::npos);
}

TEST(SmtpSession, ReportLinesOfDotsCannotEndTheDataEarly)
{
    ScriptedNetwork network;
    network.replies = kAcceptingServer;
    SendJob job = MailJob();
    job.body = ".\r\n..\r\nQUIT\r\n.\r\nRCPT TO:<evil@z.test>";
    ASSERT_TRUE(SendSmtpMail(job.recipients, job, network));
    const std::string data = DataOf(network.transcript.sent);
    EXPECT_NE(data.find("\r\n\r\n..\r\n...\r\nQUIT\r\n..\r\nRCPT TO:<evil@z.test>"),
              std::string::npos);
    EXPECT_EQ(data.find("\r\n.\r\n"), std::string::npos);
}

TEST(SmtpSession, AttachmentsTravelAsBase64Parts)
{
    const std::string path = ::testing::TempDir() + "smtp-attachment.png";
    std::string bytes;
    for (int i = 0; i < 200; ++i)
        bytes += static_cast<char>(i * 7);
    std::ofstream(path, std::ios::binary) << bytes;
    ScriptedNetwork network;
    network.replies = kAcceptingServer;
    SendJob job = MailJob();
    job.attachments = {{path, "screen.png", "ScreenShot"}, {path + ".missing", "gone.txt", "Gone"}};
    ASSERT_TRUE(SendSmtpMail(job.recipients, job, network));
    const std::string data = DataOf(network.transcript.sent);
    EXPECT_NE(data.find("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; "
                        "boundary=\"x-part-boundary-of-the-bug-report\"\r\n"),
              std::string::npos);
    EXPECT_NE(data.find("Content-Disposition: attachment; filename=\"screen.png\"\r\n\r\n" +
                        Base64Lines(bytes) + "--x-part-boundary-of-the-bug-report--\r\n"),
              std::string::npos);
    EXPECT_EQ(data.find("gone.txt"), std::string::npos);
    std::remove(path.c_str());
}

TEST(SmtpReply, ReadsRepliesSplitOverReadsAndNotesAuthLogin)
{
    struct Case {
        const char* name;
        std::deque<std::string> chunks;
        bool accepted;
        bool authLogin;
    } cases[] = {
        {"one line", {"250 OK\r\n"}, true, false},
        {"greeting split over two reads",
         {"250-first\r\n250-sec", "ond\r\n250 OK\r\n"},
         true,
         false},
        {"PLAIN and LOGIN after a blank",
         {"250-hi\r\n250-AUTH PLAIN LOGIN\r\n250 OK\r\n"},
         true,
         true},
        {"LOGIN after an equals sign",
         {"250-hi\r\n250-AUTH=PLAIN LOGIN\r\n250 OK\r\n"},
         true,
         true},
        {"LOGIN first", {"250-hi\r\n250-AUTH LOGIN PLAIN\r\n250 OK\r\n"}, true, true},
        {"PLAIN only", {"250-hi\r\n250-AUTH PLAIN\r\n250 OK\r\n"}, true, false},
        {"LOGIN inside another word", {"250-hi\r\n250-AUTH XLOGIN\r\n250 OK\r\n"}, true, false},
        {"other code", {"550 no\r\n"}, false, false},
        {"other code on a continuation", {"250-hi\r\n", "550 no\r\n"}, false, false},
        {"continuation never ends", {"250-hi\r\n"}, false, false},
        {"code alone without end of line", {"250"}, false, false},
    };
    std::deque<std::string> endless(100, std::string(1000, 'x'));
    for (std::string& chunk : endless)
        chunk = "250-" + chunk + "\r\n";
    for (const Case& c : cases) {
        testing::Transcript transcript;
        testing::ScriptedStream stream(c.chunks, transcript, false);
        bool authLogin = false;
        EXPECT_EQ(ReadSmtpReply(stream, "250", &authLogin), c.accepted) << c.name;
        EXPECT_EQ(authLogin, c.authLogin) << c.name;
    }
    endless.push_back("250 end\r\n");
    testing::Transcript transcript;
    testing::ScriptedStream stream(endless, transcript, false);
    EXPECT_FALSE(ReadSmtpReply(stream, "250")) << "a reply of 100 kB is cut off";
}

} // namespace
} // namespace crashreport
