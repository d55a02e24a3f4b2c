#include "MailMessage.h"

#include "BcMime.h"
#include "MailAddresses.h"
#include "SendJob.h"

#include <cctype>
#include <cstdio>

namespace crashreport {

std::string Base64Line(std::string_view bytes)
{
    std::string text((bytes.size() + 2) / 3 * 4, '\0');
    bcl::EncodeBase64Tail(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int32_t>(bytes.size()), text.data());
    return text;
}

std::string Base64Lines(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    return bcl::EncodeBase64Text(bytes) + "\r\n";
}

std::string EncodeMailSubject(std::string_view subject)
{
    static const std::string kEscaped = [] {
        std::string set;
        for (int c = 0; c < 256; ++c)
            if (!std::isalnum(c))
                set += static_cast<char>(c);
        return set;
    }();
    return "=?ISO-8859-1?Q?" + EscapeChars(subject, kEscaped, '=') + "?=";
}

std::string MailDateText(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second)
{
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* monthName = month >= 1 && month <= 12 ? kMonths[month - 1] : "Jan";
    char text[64];
    std::snprintf(text, sizeof text, "%d %s %d %02d:%02d:%02d UT", day, monthName, year, hour,
                  minute, second);
    return text;
}

std::string MessageIdText(uint64_t fileTime)
{
    char text[40];
    std::snprintf(text, sizeof text, "<%016llx@qorExcept>",
                  static_cast<unsigned long long>(fileTime));
    return text;
}

std::string MailHeaderText(const std::string& recipients, const std::string& sender,
                           std::string_view subject, const std::string& date,
                           const std::string& messageId)
{
    return "To: " + MailHeaderAddresses(recipients) + "\r\n" +
           "From: " + MailHeaderAddresses(sender) + "\r\n" +
           "Subject: " + EncodeMailSubject(subject) + "\r\n" + "Date: " + date + "\r\n" +
           "Message-ID: " + messageId + "\r\n";
}

std::string MimePreambleText(std::string_view body)
{
    const std::string boundary(kMultipartBoundary);
    return "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"" + boundary +
           "\"\r\n\r\n" + "This is a multi-part message in MIME format." + "\r\n\r\n" + "--" +
           boundary + "\r\n" + "Content-Type: text/plain; charset=\"iso-8859-1\"" + "\r\n" +
           "Content-Transfer-Encoding: 8bit" + "\r\n\r\n" + std::string(body) + "\r\n";
}

std::string MimeAttachmentHeader(std::string_view path, std::string_view sendAs)
{
    auto endsWithPng = [](std::string_view p) {
        if (p.size() < 4)
            return false;
        std::string tail(p.substr(p.size() - 4));
        for (char& c : tail)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return tail == ".png";
    };
    const std::string name(sendAs);
    return "--" + std::string(kMultipartBoundary) + "\r\n" +
           "Content-Type: " + (endsWithPng(path) ? "image/png" : "application/octet-stream") +
           "; " + "name=\"" + name + "\"\r\n" + "Content-Transfer-Encoding: base64" + "\r\n" +
           "Content-Disposition: attachment; " + "filename=\"" + name + "\"\r\n\r\n";
}

std::string MimeClosingLine()
{
    return "--" + std::string(kMultipartBoundary) + "--" + "\r\n";
}

std::string DotStuffer::Stuff(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (atLineStart_ && c == '.')
            out += '.';
        out += c;
        atLineStart_ = c == '\n';
    }
    return out;
}

} // namespace crashreport
