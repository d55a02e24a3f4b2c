#include "TaskDialogText.h"

namespace panels {

namespace {

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

} // namespace

std::string ExpandNewlineEscapes(const std::string& text)
{
    if (text.find("\\\\n") != std::string::npos)
        return ReplaceAll(text, "\\\\n", "\\n");
    return ReplaceAll(text, "\\n", "\n");
}

std::string TrimTaskText(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void SplitTaskLines(const std::string& text, classlib::TStrings* lines)
{
    if (text.empty() || !lines)
        return;
    const bool escapes = text.find("\\n") != std::string::npos;
    if (!escapes && text.find('\r') == std::string::npos) {
        lines->Add(text);
        return;
    }
    std::string rest = TrimTaskText(text);
    for (;;) {
        size_t at = rest.find("\\n");
        size_t length = 2;
        if (at == std::string::npos) {
            at = rest.find('\r');
            length = 1;
        }
        if (at == std::string::npos)
            break;
        lines->Add(TrimTaskText(rest.substr(0, at)));
        rest = TrimTaskText(rest.substr(at + length));
    }
    lines->Add(rest);
}

std::string LineBreaksToHtml(const std::string& text, bool escapes)
{
    std::string html = escapes ? ReplaceAll(text, "\\n", "<br>") : text;
    return ReplaceAll(html, "\n", "<br>");
}

std::string EscapesToCarriageReturns(const std::string& text)
{
    return ReplaceAll(text, "\\n", "\r");
}

bool IsWebLink(const std::string& link)
{
    std::string lower;
    for (char c : link.substr(0, 10))
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"}) {
        const std::string s(scheme);
        if (lower.compare(0, s.size(), s) == 0 && link.size() > s.size())
            return link.find_first_of("\"\r\n") == std::string::npos;
    }
    return false;
}

std::string TaskDialogSummary(const std::string& caption, const std::string& instruction,
                              const classlib::TStrings& buttonCaptions)
{
    const std::string rule(27, '-');
    const std::string eol = "\r\n";
    std::string buttons;
    for (int i = 0; i < buttonCaptions.Count(); ++i)
        buttons += ReplaceAll(buttonCaptions.Strings(i), "&", "") + "   ";
    return rule + eol + caption + eol + rule + eol + instruction + eol + rule + eol + buttons +
           eol + rule + eol;
}

} // namespace panels
