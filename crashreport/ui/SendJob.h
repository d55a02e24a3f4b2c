#pragma once
// What one network send carries (a mail through SMTP or an upload through HTTP) and the
// services the protocol engines reach the outside world through. The engines are portable:
// the Windows build gives them Winsock streams, the native tests scripted ones.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crashreport {

// The multipart boundary shared by the mails and the uploads (33 characters).
inline constexpr std::string_view kMultipartBoundary = "x-part-boundary-of-the-bug-report";

// One file to send: where it is, the name it travels under, and its form field (uploads).
struct SendAttachment {
    std::string path;
    std::string sendAs;
    std::string field;
};

// Texts of the progress segments, from the crash-report settings.
struct ProgressTexts {
    std::string mxLookup;    // MxLookMsg
    std::string connect;     // ConnMsg
    std::string authorize;   // AuthMsg
    std::string sendMail;    // SendMailMsg
    std::string fields;      // FieldMsg
    std::string attachments; // SendAttMsg
    std::string finish;      // SendFinalMsg
};

// The progress popup as the senders drive it: weighted segments completed one by one, a
// position inside the active one (0..1000).
class SendProgress {
public:
    virtual ~SendProgress() = default;
    virtual void AddSegment(const std::string& text, int32_t weight) = 0;
    virtual void ClearSegments() = 0;
    virtual void SegmentDone() = 0;
    virtual void SetActiveSegment(int32_t index) = 0;
    virtual void SetPosition(int32_t permille) = 0;
    virtual void Dismiss() = 0;
};

// A popup that shows nothing: for sends without a visible progress.
class SilentProgress : public SendProgress {
public:
    void AddSegment(const std::string&, int32_t) override {}
    void ClearSegments() override {}
    void SegmentDone() override {}
    void SetActiveSegment(int32_t) override {}
    void SetPosition(int32_t) override {}
    void Dismiss() override {}
};

// One connected stream socket. Receive waits a bounded time (the protocols' answer time-out)
// and appends what arrived.
class ByteStream {
public:
    enum class Received { data, timeout, closed };
    virtual ~ByteStream() = default;
    virtual bool Send(std::string_view bytes) = 0;
    virtual Received Receive(std::string& appendTo, size_t maxBytes) = 0;
};

// The outside world of a send.
class NetworkServices {
public:
    virtual ~NetworkServices() = default;
    // A stream to the host (dotted address or name) and port; null when it cannot be reached.
    virtual std::unique_ptr<ByteStream> Connect(const std::string& host, int32_t port) = 0;
    // The mail exchanger of the recipient's domain; empty when none was found.
    virtual std::string FindMailServer(const std::string& recipient) = 0;
    // The proxy of the system's internet settings, or empty.
    virtual std::string SystemProxy() = 0;
    // Shows an address in the user's browser.
    virtual void OpenInBrowser(const std::string& url) = 0;
    virtual std::string ComputerName() = 0;
    // "Date:" text and Message-ID of a mail sent now.
    virtual std::string MailDate() = 0;
    virtual std::string MessageId() = 0;
};

// The parameters of one network send (a TransmitReport call).
struct SendJob {
    std::string uploadUrl; // empty for mail
    std::string sender;
    std::string recipients;
    int32_t port = 25;
    std::string account;
    std::string password;
    std::string server; // empty: each recipient's mail exchanger
    std::vector<std::pair<std::string, std::string>> fields; // upload form fields, in order
    std::vector<SendAttachment> attachments;
    std::string subject;
    std::string body;
    ProgressTexts texts;
    SendProgress* progress = nullptr;
};

// The whole file; false when it cannot be opened or read completely.
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);
// The file's size; 0 when it cannot be opened.
uint64_t FileSizeOf(const std::string& path);

} // namespace crashreport
