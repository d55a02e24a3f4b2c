#include "ExceptionPresentation.h"

#include "BugReportText.h"
#include "QorStrings.h"

namespace crashui {

std::string BreakSentences(std::string message)
{
    const int length = static_cast<int>(message.size());
    for (int p = length - 10; p >= 20; --p) {
        const size_t k = static_cast<size_t>(p - 1);
        if (message[k] == '.' && message[k + 1] == ' ')
            message.replace(k + 1, 1, "\r\n");
    }
    return message;
}

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string CgiErrorPage(const std::string& report, IQESettings& settings,
                         const TPlaceholderExpander& expand)
{
    // The message and the report come from the exception (its message, its class name, any
    // text the program put there): both are escaped, so that no exception text can end the
    // page's elements or bring markup of its own. The message's line breaks are the only
    // markup added: each "%LF%" of the setting becomes "<br>" between escaped pieces.
    const std::string exceptionClass = ReportHeaderField(report, "exception class");
    const std::string exceptionMessage = ReportHeaderField(report, "exception message");
    std::string message;
    const std::string setting = settings.ExceptMsg();
    int from = 1;
    while (true) {
        const int at = qor::FindText("%LF%", setting, from, static_cast<int>(setting.size()));
        const std::string piece = setting.substr(
            static_cast<size_t>(from - 1), at ? static_cast<size_t>(at - from) : std::string::npos);
        message += HtmlEscape(expand(piece, exceptionClass, report, exceptionMessage));
        if (!at)
            break;
        message += "<br>\r\n";
        from = at + 4;
    }

    std::string showCell = "&nbsp;";
    if (!settings.AutoShowBugRep() && settings.ShowBtnVis())
        showCell =
            "<button onClick=\"document.getElementById('bugReport').style.visibility="
            "'visible';this.style.visibility='hidden';\" style=\"height:19.5pt;\">&nbsp;" +
            settings.ShowBtnTxt() + "&nbsp;</button>";

    std::string page = "<html><head><title>" + settings.TitleBar() + "</title></head><body>";
    page += "\r\n<table border=\"0\" width=\"100%\" height=\"100%\">";
    page += "\r\n<tr><td colspan=4 style=\"height:2pt;\"></td></tr>";
    page +=
        "\r\n<tr><td colspan=4 valign=\"top\">"
        "<p style=\"font-family:Tahoma,'MS Sans Serif';font-size:13pt;margin-left:4px;\">";
    page += message + "</p></td></tr>";
    page += "\r\n<tr><td colspan=4 style=\"height:8pt;\"></td></tr>";
    page += "\r\n<tr><td><button onClick=\"history.back();\" style=\"height:19.5pt;\">&nbsp;";
    page += settings.ContinueBtnVis() ? settings.ContinueBtnTxt() : "continue application";
    page += "&nbsp;</button></td>";
    page += "\r\n<td><p>&nbsp;&nbsp;</p></td>";
    page += "\r\n<td>" + showCell + "</td>";
    page += "\r\n<td width=\"100%\"></td></tr>";
    page += "\r\n<tr><td colspan=4 style=\"height:8pt;\"></td></tr>";
    page += "\r\n<tr><td colspan=4 height=\"100%\">";
    page +=
        "\r\n<textarea id=\"bugReport\" readonly cols=\"80\" rows=\"20\" "
        "style=\"width:100%;height:100%;";
    if (!settings.AutoShowBugRep())
        page += "visibility:hidden;";
    page += "\">\r\n" + HtmlEscape(report) + "</textarea></td></tr></table></body></html>";
    return page;
}

std::string ExpandFor(const TPresentationHost& host, IQESettings& settings, const std::string& text,
                      const std::string& className, const std::string& report,
                      const std::string& message)
{
    return host.expandPlaceholders
               ? host.expandPlaceholders(settings, text, className, report, message)
               : text;
}

namespace {

// Console output goes on after a failed write: the presentation must not fail on a closed
// or full standard output (the message and the report are still handled by the engine).
void Write(const TPresentationHost& host, std::string_view text)
{
    if (host.writeOutput)
        (void)host.writeOutput(text);
}

void PresentOnConsole(IQEException& exception, const TPresentationHost& host)
{
    if (host.cgiProgram) {
        const std::string report = exception.ReportText(true);
        const std::string page =
            host.pageBuilder
                ? host.pageBuilder(report, exception)
                : CgiErrorPage(report, exception,
                               [&](const std::string& text, const std::string& className,
                                   const std::string& rep, const std::string& message) {
                                   return ExpandFor(host, exception, text, className, rep, message);
                               });
        Write(host, "Content-Type: text/html\r\n\r\n");
        Write(host, page);
        Write(host, "\r\n");
        return;
    }
    const std::string text =
        exception.ReportKind() == 1 ? exception.FrozenMsg() : exception.ExceptMsg();
    Write(host, ExpandFor(host, exception, text, exception.ErrorClassName(), "",
                          exception.ErrorMessage()) +
                    "\r\n");
    if (exception.AutoShowBugRep() || exception.ShowBtnVis()) {
        exception.SetPlWaitBox(false);
        Write(host, "\r\n");
        Write(host, exception.ReportText(true) + "\r\n");
    }
}

} // namespace

void PresentException(IQEException& exception, const TPresentationHost& host)
{
    if (host.consoleProgram) {
        PresentOnConsole(exception, host);
        return;
    }
    auto box = [&](uint8_t style) {
        if (host.showExceptionBox)
            host.showExceptionBox(exception, style, true);
    };
    switch (exception.DisplayMode()) {
        case 0:
            box(kBoxFull);
            break;
        case 1: {
            classlib::TInterfacePtr<INVWizard> wizard;
            if (host.assistantByName)
                wizard = host.assistantByName(exception, exception.DisplayAssistant());
            if (!wizard) {
                box(kBoxFull);
                break;
            }
            if (wizard->RunModal(0) == kResultContinued && host.storeAssistantInput)
                host.storeAssistantInput(exception, *wizard.Get());
            if (host.saveFormCache)
                host.saveFormCache(exception, *wizard.Get());
            break;
        }
        case 2:
            box(kBoxDetail);
            break;
        case 3:
            box(kBoxSimple);
            break;
        default:
            break;
    }
}

} // namespace crashui
