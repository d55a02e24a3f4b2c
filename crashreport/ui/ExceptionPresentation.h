#pragma once
// PresentException: the one entry through which the engine shows a reported exception: the
// exception box in one of its styles, an assistant, or (console programs) the message and the
// report on standard output, or (CGI programs) an HTML error page there. Portable: the windows
// and the output come through TPresentationHost; ExceptionBox.h supplies the Windows host. The
// exception is the engine's report object (QorInterfaces.h); the engine's routines the
// presentation needs (placeholders, assistants) come through the host too.
#include "NVAssistantInterfaces.h"
#include "QorInterfaces.h"

#include <functional>
#include <string>
#include <string_view>

namespace crashui {

using qor::IQEException;
using qor::IQESettings;

// Box styles of ShowExceptionBox.
enum : uint8_t { kBoxFull = 0, kBoxDetail = 2, kBoxSimple = 3 };

// Expands the placeholders of a crash-report text: (text, class name, report, message).
using TPlaceholderExpander =
    std::function<std::string(const std::string& text, const std::string& className,
                              const std::string& report, const std::string& message)>;

// Breaks a message into sentences: a ". " at 1-based position 20 up to (length - 10) gets a
// line break in place of its blank.
std::string BreakSentences(std::string message);

// Text as HTML character data and attribute values: & < > " and ' become references.
std::string HtmlEscape(std::string_view text);

// The HTML error page of a CGI program for the complete report.
std::string CgiErrorPage(const std::string& report, IQESettings& settings,
                         const TPlaceholderExpander& expand);

struct TPresentationHost {
    bool consoleProgram = false;
    bool cgiProgram = false; // the engine's CGI hook is set
    // Writes to standard output; false when the write failed.
    std::function<bool(std::string_view)> writeOutput;
    // Page builder of CGI programs (default CgiErrorPage).
    std::function<std::string(const std::string& report, IQEException& exception)> pageBuilder;
    // Runs one exception box to its end (with its reshow cycle).
    std::function<void(IQEException& exception, uint8_t style, bool beep)> showExceptionBox;
    // The engine's placeholder expansion for the settings' module: (settings, text, class
    // name, report, message). Without it the text stays as it is.
    std::function<std::string(IQESettings& settings, const std::string& text,
                              const std::string& className, const std::string& report,
                              const std::string& message)>
        expandPlaceholders;
    // The assistant of that name built for the exception (nil when no setting names it), the
    // copy of an accepted assistant's input into the report and the keeping of its forms'
    // input for the next run.
    std::function<classlib::TInterfacePtr<INVWizard>(IQEException& exception,
                                                     const std::string& name)>
        assistantByName;
    std::function<void(IQEException& exception, INVWizard& wizard)> storeAssistantInput;
    std::function<void(IQEException& exception, INVWizard& wizard)> saveFormCache;
};

// The host's expansion of a text for the exception (the text unchanged without one).
std::string ExpandFor(const TPresentationHost& host, IQESettings& settings, const std::string& text,
                      const std::string& className, const std::string& report,
                      const std::string& message);

void PresentException(IQEException& exception, const TPresentationHost& host);

} // namespace crashui
