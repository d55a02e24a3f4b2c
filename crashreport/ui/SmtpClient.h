#pragma once
// The SMTP client of the bug-report mails: one blocking session per mail on a stream, through
// a configured server (with AUTH LOGIN when credentials are set) or straight to a recipient's
// mail exchanger. Every command expects one reply code; any other code, a time-out or a closed
// connection fails the mail, and after the greeting the session always ends with QUIT.
#include "MailMessage.h"
#include "SendJob.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace crashreport {

// Reads one (possibly multi-line) reply that must carry `expected` on every line. With
// `authLogin`, sets it when a line offers AUTH with the LOGIN mechanism.
bool ReadSmtpReply(ByteStream& stream, std::string_view expected, bool* authLogin = nullptr);
// Sends the line and CR LF (nothing when empty), then reads the reply.
bool SmtpCommand(ByteStream& stream, std::string_view line, std::string_view expected,
                 bool* authLogin = nullptr);

// Adds the progress segments of one mail and returns their number.
int32_t PlanSmtpProgress(const SendJob& job, bool withLookup);

// One mail to the recipients (a list). True when the mail was accepted and QUIT answered.
bool SendSmtpMail(const std::string& recipients, const SendJob& job, NetworkServices& network);

// One attachment as a base64 part; false when the file cannot be read completely.
bool SendMimeAttachment(ByteStream& stream, DotStuffer& stuffer, const SendAttachment& attachment,
                        SendProgress& progress);

} // namespace crashreport
