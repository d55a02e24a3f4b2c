#pragma once
// The command line that hands a "mailto" URL to the registered mail program.
#include <string>

namespace crashreport {

// Longest command line of the NT family.
inline constexpr size_t kNtCommandLineLimit = 32766;

// `command` is the registered open command; its "%1" (or, without one, its end) receives
// "mailto:" + recipients + "?subject=" + subject + "&body=" + body, subject and body escaped.
// On the NT family a longer command is cut so that no "%" escape is split.
std::string BuildMailtoCommand(const std::string& command, std::string recipients,
                               const std::string& subject, const std::string& body, bool ntFamily);

} // namespace crashreport
