// A console program that presents one exception through the Windows presentation host:
// "console" writes the message and the report, with GATEWAY_INTERFACE set it writes the CGI
// page. Its standard output is what ConsolePresentationTest compares.
#include "ExceptionBox.h"

#include "FakeQEException.h"

#include <string>

int main(int argc, char** argv)
{
    crashui::testing::TFakeQEException exception;
    exception.report =
        "date/time          : 2026-12-11\r\n"
        "exception class    : EAccessViolation\r\n"
        "exception message  : <Access violation.>\r\n";
    exception.showBtnVis = argc > 1 && std::string(argv[1]) == "report";
    crashui::PresentException(exception, crashui::WindowsPresentationHost());
    return 0;
}
