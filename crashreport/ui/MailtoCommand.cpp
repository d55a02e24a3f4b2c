#include "MailtoCommand.h"

#include "MailAddresses.h"

namespace crashreport {

std::string BuildMailtoCommand(const std::string& command, std::string recipients,
                               const std::string& subject, const std::string& body, bool ntFamily)
{
    static constexpr std::string_view kEscaped = "\n\r \"#%&+<>?";
    CountMailAddresses(recipients);
    const std::string url = "mailto:" + recipients +
                            "?subject=" + EscapeChars(subject, kEscaped, '%') +
                            "&body=" + EscapeChars(body, kEscaped, '%');
    std::string line = command;
    if (line.find("%1") == std::string::npos) {
        if (!line.empty() && line.back() != ' ')
            line += ' ';
        line += url;
    } else {
        for (size_t at = line.find("%1"); at != std::string::npos;
             at = line.find("%1", at + url.size()))
            line.replace(at, 2, url);
    }
    if (ntFamily && line.size() > kNtCommandLineLimit) {
        // Characters 32766 and 32765 (1-based) decide where the last whole escape ends.
        size_t keep = kNtCommandLineLimit;
        if (line[kNtCommandLineLimit - 1] == '%')
            keep = kNtCommandLineLimit - 1;
        else if (line[kNtCommandLineLimit - 2] == '%')
            keep = kNtCommandLineLimit - 2;
        line.resize(keep);
    }
    return line;
}

} // namespace crashreport
