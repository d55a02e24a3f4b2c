#include "SmtpClient.h"

#include "MailAddresses.h"
#include "MailMessage.h"

#include <algorithm>
#include <cctype>

namespace crashreport {

namespace {

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// "AUTH LOGIN ...", "AUTH PLAIN LOGIN", "AUTH=LOGIN" (the "=" already a blank) offer LOGIN.
bool OffersAuthLogin(std::string_view lineAfterCode)
{
    const std::string text = Upper(lineAfterCode);
    if (text.rfind("AUTH ", 0) != 0)
        return false;
    // The mechanisms are blank-separated words; LOGIN may be the first of them.
    return (" " + text.substr(5) + " ").find(" LOGIN ") != std::string::npos;
}

// A stream whose every piece passes the DATA transparency.
struct DataWriter {
    ByteStream& stream;
    DotStuffer stuffer;
    bool Send(std::string_view text) { return stream.Send(stuffer.Stuff(text)); }
};

SendProgress& ProgressOf(const SendJob& job)
{
    static SilentProgress silent;
    return job.progress ? *job.progress : silent;
}

} // namespace

bool ReadSmtpReply(ByteStream& stream, std::string_view expected, bool* authLogin)
{
    // A reply that never ends (continuation lines without a last line) is cut off here; every
    // read is bounded by the stream's time-out.
    constexpr size_t kReplyLimit = 64 * 1024;
    std::string pending;
    for (size_t received = 0;;) {
        const size_t before = pending.size();
        if (received > kReplyLimit || stream.Receive(pending, 1024) != ByteStream::Received::data)
            return false;
        received += pending.size() - before;
        // Complete lines are taken from the front; a line cut by the network waits for its end.
        for (;;) {
            const size_t end = pending.find('\n');
            if (end == std::string::npos)
                break;
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.size() < expected.size() || line.compare(0, expected.size(), expected) != 0)
                return false;
            std::replace(line.begin(), line.end(), '=', ' ');
            if (authLogin && !*authLogin && line.size() > 4 &&
                OffersAuthLogin(std::string_view(line).substr(4)))
                *authLogin = true;
            const bool continues = line.size() > 3 && line[3] == '-';
            if (!continues)
                return true;
        }
    }
}

bool SmtpCommand(ByteStream& stream, std::string_view line, std::string_view expected,
                 bool* authLogin)
{
    if (!line.empty() && !stream.Send(std::string(line) + "\r\n"))
        return false;
    return ReadSmtpReply(stream, expected, authLogin);
}

int32_t PlanSmtpProgress(const SendJob& job, bool withLookup)
{
    SendProgress& progress = ProgressOf(job);
    int32_t count = 0;
    auto add = [&](const std::string& text, int32_t weight) {
        progress.AddSegment(text, weight);
        ++count;
    };
    if (withLookup)
        add(job.texts.mxLookup, 500);
    add(job.texts.connect, 100);
    add("", 100);
    add("", 200);
    add(job.texts.authorize, 200);
    add(job.texts.sendMail, 100);
    for (int i = 0; i < 4; ++i)
        add("", 100);
    for (const SendAttachment& attachment : job.attachments) {
        const uint64_t size = FileSizeOf(attachment.path);
        if (size > 0)
            add(job.texts.attachments,
                static_cast<int32_t>(std::min<uint64_t>(3 * ((size + 56) / 57), INT32_MAX)));
    }
    add(job.texts.finish, 500);
    add("", 100);
    return count;
}

bool SendMimeAttachment(ByteStream& stream, DotStuffer& stuffer, const SendAttachment& attachment,
                        SendProgress& progress)
{
    std::string bytes;
    if (!ReadFileBytes(attachment.path, bytes))
        return false;
    if (bytes.empty())
        return true;
    if (!stream.Send(stuffer.Stuff(MimeAttachmentHeader(attachment.path, attachment.sendAs))))
        return false;
    // Pieces of 18 lines (1026 bytes of base64) keep the progress moving on large files.
    constexpr size_t kPiece = 57 * 18;
    for (size_t sent = 0; sent < bytes.size(); sent += kPiece) {
        const std::string_view piece = std::string_view(bytes).substr(sent, kPiece);
        if (!stream.Send(stuffer.Stuff(Base64Lines(piece))))
            return false;
        progress.SetPosition(static_cast<int32_t>((sent + piece.size()) * 1000 / bytes.size()));
    }
    progress.SegmentDone();
    return true;
}

namespace {

// MAIL FROM to the end of the data; false when the mail was not accepted.
bool TransferMail(ByteStream& stream, const std::string& recipients, const std::string& sender,
                  const SendJob& job, NetworkServices& network, SendProgress& progress)
{
    const std::vector<std::string> senders = MailAddressItems(sender);
    const std::string envelopeSender = senders.empty() ? sender : senders.front();
    if (!SmtpCommand(stream, "MAIL FROM:" + FormatMailAddress(envelopeSender, false), "250"))
        return false;
    progress.SegmentDone();
    int accepted = 0;
    for (const std::string& address : MailAddressItems(recipients))
        if (SmtpCommand(stream, "RCPT TO:" + FormatMailAddress(address, false), "250"))
            ++accepted;
    if (accepted == 0)
        return false;
    progress.SegmentDone();

    if (job.body.empty() && job.subject.empty())
        return SmtpCommand(stream, "RSET", "250");
    if (!SmtpCommand(stream, "DATA", "354"))
        return false;
    progress.SegmentDone();

    DotStuffer stuffer;
    bool sent = stream.Send(stuffer.Stuff(
        MailHeaderText(recipients, sender, job.subject, network.MailDate(), network.MessageId())));
    if (sent) {
        progress.SegmentDone();
        if (!job.attachments.empty()) {
            sent = stream.Send(stuffer.Stuff(MimePreambleText(job.body)));
            progress.SegmentDone();
            for (const SendAttachment& attachment : job.attachments) {
                if (!sent)
                    break;
                if (!FileExists(attachment.path))
                    continue; // gone since the attachments were prepared
                sent = SendMimeAttachment(stream, stuffer, attachment, progress);
            }
            if (sent)
                sent = stream.Send(stuffer.Stuff(MimeClosingLine()));
        } else {
            sent = stream.Send(stuffer.Stuff("\r\n" + job.body));
            progress.SegmentDone();
        }
    }
    // The end-of-data mark goes out unstuffed, after an accepted DATA in every case.
    const bool ended = SmtpCommand(stream, "\r\n.", "250");
    progress.SegmentDone();
    return sent && ended;
}

} // namespace

bool SendSmtpMail(const std::string& recipients, const SendJob& job, NetworkServices& network)
{
    SendProgress& progress = ProgressOf(job);
    std::string server = job.server;
    if (server.empty()) {
        server = network.FindMailServer(recipients);
        progress.SegmentDone();
    }
    if (server.empty())
        return false;
    progress.SegmentDone();
    std::unique_ptr<ByteStream> stream = network.Connect(server, job.port);
    if (!stream)
        return false;
    progress.SegmentDone();

    if (!ReadSmtpReply(*stream, "220"))
        return false;
    bool authLogin = false;
    const std::string hello = network.ComputerName();
    if (!SmtpCommand(*stream, "EHLO " + hello, "250", &authLogin) &&
        !SmtpCommand(*stream, "HELO " + hello, "250"))
        return false;
    progress.SegmentDone();

    const std::string sender = job.sender.empty() ? recipients : job.sender;
    if (!job.account.empty() || !job.password.empty()) {
        const bool authorized = authLogin && SmtpCommand(*stream, "AUTH LOGIN", "334") &&
                                SmtpCommand(*stream, Base64Line(job.account), "334") &&
                                SmtpCommand(*stream, Base64Line(job.password), "235");
        if (!authorized) {
            SmtpCommand(*stream, "QUIT", "221");
            progress.SegmentDone();
            return false;
        }
    }
    progress.SegmentDone();

    const bool accepted = TransferMail(*stream, recipients, sender, job, network, progress);
    const bool ended = SmtpCommand(*stream, "QUIT", "221");
    progress.SegmentDone();
    return accepted && ended;
}

} // namespace crashreport
