#include "HttpUpload.h"

#include "MailAddresses.h"
#include "MailMessage.h"

#include <algorithm>
#include <cctype>

namespace crashreport {

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A port number after the last ":" of a host text; the host is cut before it.
bool SplitPort(std::string& host, int32_t& port)
{
    const size_t colon = host.rfind(':');
    if (colon == std::string::npos || colon + 1 >= host.size() || host.size() - colon > 6)
        return false;
    int32_t value = 0;
    for (size_t i = colon + 1; i < host.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(host[i])))
            return false;
        value = value * 10 + (host[i] - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    host.erase(colon);
    port = value;
    return true;
}

// The n-th (0-based) item of a text split at blanks and line ends.
std::string WordAt(const std::string& text, int index)
{
    size_t pos = 0;
    for (int i = 0;; ++i) {
        pos = text.find_first_not_of(" \r\n\t", pos);
        if (pos == std::string::npos)
            return {};
        const size_t end = std::min(text.find_first_of(" \r\n\t", pos), text.size());
        if (i == index)
            return text.substr(pos, end - pos);
        pos = end;
    }
}

SendProgress& ProgressOf(const SendJob& job)
{
    static SilentProgress silent;
    return job.progress ? *job.progress : silent;
}

} // namespace

std::string StripProxyScheme(std::string text)
{
    const size_t scheme = text.find("://");
    if (scheme != std::string::npos)
        text.erase(0, scheme + 3);
    const size_t entry = Lower(text).find("http=");
    if (entry != std::string::npos) {
        text.erase(0, entry + 5);
        text = text.substr(0, text.find(' '));
    }
    return text;
}

UploadTarget PlanUploadTarget(const std::string& url, int32_t configuredPort,
                              const std::string& proxy)
{
    UploadTarget target;
    const std::string stripped = StripProxyScheme(url);
    const size_t slash = stripped.find('/');
    // A URL without a path posts to the server's root.
    target.hostName = stripped.substr(0, slash);
    target.path = slash == std::string::npos ? "/" : stripped.substr(slash);
    target.hostPort = configuredPort;
    int32_t serverPort = configuredPort;
    SplitPort(target.hostName, serverPort);

    // A proxy list of several entries (Wine reports "host:port https=other:port") is used by
    // its first entry.
    std::string proxyTarget = proxy.empty() ? std::string() : StripProxyScheme(proxy);
    proxyTarget = proxyTarget.substr(0, proxyTarget.find_first_of(" ;"));
    if (proxyTarget.empty()) {
        target.connectHost = target.hostName;
        target.connectPort = serverPort;
        target.requestUri = target.path;
    } else {
        target.connectHost = proxyTarget;
        target.connectPort = serverPort;
        SplitPort(target.connectHost, target.connectPort);
        // A proxy needs to know where the request goes: the absolute URI.
        target.requestUri =
            "http://" + target.hostName + ":" + std::to_string(serverPort) + target.path;
    }
    return target;
}

std::string FormFieldsText(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string text;
    for (const auto& [name, value] : fields)
        text += "\r\n--" + std::string(kMultipartBoundary) + "\r\n" +
                "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value;
    return text;
}

std::string FormFileHeader(const std::string& field, const std::string& sendAs)
{
    return "\r\n--" + std::string(kMultipartBoundary) + "\r\n" +
           "Content-Disposition: form-data; name=\"" + field + "\"; filename=\"" + sendAs +
           "\"\r\n" + "Content-Type: application/octet-stream" + "\r\n\r\n";
}

std::string FormClosingLine()
{
    return "\r\n--" + std::string(kMultipartBoundary) + "--" + "\r\n";
}

std::string UploadRequestHead(const UploadTarget& target, uint64_t bodyLength,
                              const std::string& sender, const std::string& account,
                              const std::string& password)
{
    std::string head =
        "POST " + target.requestUri + " HTTP/1.1" + "\r\n" + "Host: " + target.hostName + ":" +
        std::to_string(target.hostPort) + "\r\n" + "Connection: close" + "\r\n" +
        "Pragma: no-cache" + "\r\n" + "User-Agent: qorExcept/3.0" + "\r\n" +
        "Content-Type: multipart/form-data; boundary=" + std::string(kMultipartBoundary) + "\r\n" +
        "Content-Length: " + std::to_string(bodyLength) + "\r\n";
    if (!sender.empty())
        head += "From: " + FormatMailAddress(sender, false) + "\r\n";
    if (!account.empty() || !password.empty())
        head += "Authorization: Basic " + Base64Line(account + ":" + password) + "\r\n";
    return head;
}

bool IsBrowsableLocation(const std::string& location)
{
    const std::string lower = Lower(location);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

HttpAnswer CheckHttpResponse(const std::string& response)
{
    HttpAnswer answer;
    const std::string status = WordAt(response, 1);
    if (status == "302") {
        const size_t key = Lower(response).find("location: ");
        if (key == std::string::npos)
            return answer;
        const size_t start = key + 10;
        const size_t end = response.find("\r\n", start);
        if (end == std::string::npos)
            return answer;
        answer.location = response.substr(start, end - start);
        answer.accepted = true;
        return answer;
    }
    answer.accepted = status == "200";
    return answer;
}

bool ReadHttpResponse(ByteStream& stream, NetworkServices& network)
{
    constexpr size_t kLimit = 5120;
    std::string text;
    // The answer is judged once its header block is whole (a 302's location may come in a later
    // read than its status line), or with what came when the server closes or the limit is met.
    for (;;) {
        const bool more = text.size() < kLimit &&
                          stream.Receive(text, kLimit - text.size()) == ByteStream::Received::data;
        std::string answer = text;
        // Interim "100" answers come before the final one, in the same read or a later one.
        while (WordAt(answer, 1) == "100") {
            const size_t end = answer.find("\r\n\r\n");
            if (end == std::string::npos)
                break;
            answer.erase(0, end + 4);
        }
        const bool statusWhole = WordAt(answer, 1).size() == 3 && WordAt(answer, 1) != "100" &&
                                 answer.find("\r\n") != std::string::npos;
        if (more && (!statusWhole || answer.find("\r\n\r\n") == std::string::npos))
            continue;
        if (!statusWhole)
            return false;
        const HttpAnswer result = CheckHttpResponse(answer);
        if (!result.location.empty() && IsBrowsableLocation(result.location))
            network.OpenInBrowser(result.location);
        return result.accepted;
    }
}

bool UploadViaHttpPost(const SendJob& job, NetworkServices& network)
{
    SendProgress& progress = ProgressOf(job);
    const std::string fields = FormFieldsText(job.fields);

    // Each file's bytes first, so the announced length is the length sent.
    struct FilePart {
        std::string header;
        std::string bytes;
    };
    std::vector<FilePart> parts;
    for (const SendAttachment& attachment : job.attachments) {
        FilePart part;
        if (!ReadFileBytes(attachment.path, part.bytes))
            return false;
        if (part.bytes.empty())
            continue;
        part.header = FormFileHeader(attachment.field, attachment.sendAs);
        parts.push_back(std::move(part));
    }
    progress.AddSegment(job.texts.connect, 100);
    progress.AddSegment("", 100);
    progress.AddSegment(job.texts.fields,
                        static_cast<int32_t>(std::min<size_t>(fields.size() + 100, INT32_MAX)));
    uint64_t bodyLength = fields.size() + FormClosingLine().size();
    for (const FilePart& part : parts) {
        const uint64_t partLength = part.header.size() + part.bytes.size();
        progress.AddSegment(job.texts.attachments,
                            static_cast<int32_t>(std::min<uint64_t>(partLength / 16, INT32_MAX)));
        bodyLength += partLength;
    }
    progress.AddSegment("", 100);
    progress.AddSegment(job.texts.finish, 500);
    progress.SegmentDone();

    const UploadTarget target = PlanUploadTarget(job.uploadUrl, job.port, network.SystemProxy());
    if (target.connectHost.empty())
        return false;
    progress.SegmentDone();
    std::unique_ptr<ByteStream> stream = network.Connect(target.connectHost, target.connectPort);
    if (!stream)
        return false;
    progress.SegmentDone();

    // The body is counted from the first "--": the CR LF before it ends the head.
    const uint64_t contentLength = bodyLength - 2;
    if (!stream->Send(
            UploadRequestHead(target, contentLength, job.sender, job.account, job.password) +
            fields))
        return false;
    progress.SegmentDone();
    for (const FilePart& part : parts) {
        if (!stream->Send(part.header))
            return false;
        constexpr size_t kPiece = 1024;
        for (size_t sent = 0; sent < part.bytes.size(); sent += kPiece) {
            const std::string_view piece = std::string_view(part.bytes).substr(sent, kPiece);
            if (!stream->Send(piece))
                return false;
            progress.SetPosition(
                static_cast<int32_t>((sent + piece.size()) * 1000 / part.bytes.size()));
        }
        progress.SegmentDone();
    }
    if (!stream->Send(FormClosingLine()))
        return false;
    progress.SegmentDone();
    const bool accepted = ReadHttpResponse(*stream, network);
    progress.SegmentDone();
    return accepted;
}

} // namespace crashreport
