#pragma once
// The texts of a bug-report mail: encoded subject, date and message identifier, header block,
// MIME preamble and base64 attachment parts, and the transparency of the DATA phase.
#include <cstdint>
#include <string>
#include <string_view>

namespace crashreport {

// Base64 without line breaks (AUTH LOGIN lines, Basic authorization).
std::string Base64Line(std::string_view bytes);
// Base64 in lines of 76 characters (57 bytes), each ended by CR LF.
std::string Base64Lines(std::string_view bytes);

// "=?ISO-8859-1?Q?" + the subject with every character but digits and ASCII letters written
// as "=" and two upper-case hex digits + "?=".
std::string EncodeMailSubject(std::string_view subject);

// "11 Dec 2026 04:05:06 UT": day without leading zero, English month abbreviation.
std::string MailDateText(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second);
// "<" + the time as 16 lower-case hex digits + "@qorExcept>".
std::string MessageIdText(uint64_t fileTime);

// To, From, Subject, Date and Message-ID lines. Several recipients share one To: header,
// separated by commas.
std::string MailHeaderText(const std::string& recipients, const std::string& sender,
                           std::string_view subject, const std::string& date,
                           const std::string& messageId);
// MIME-Version and multipart type, the preamble line and the text part holding the body.
std::string MimePreambleText(std::string_view body);
// Header of one base64 attachment part; the type follows the file path's extension.
std::string MimeAttachmentHeader(std::string_view path, std::string_view sendAs);
// The line that closes the multipart body.
std::string MimeClosingLine();

// RFC 5321 transparency: a dot at the start of any line is doubled, so no content line can
// end the DATA phase early. Keeps its line state across pieces of one message.
class DotStuffer {
public:
    std::string Stuff(std::string_view text);

private:
    bool atLineStart_ = true;
};

} // namespace crashreport
