#include "MailtoCommand.h"

#include <gtest/gtest.h>

namespace crashreport {
namespace {

TEST(MailtoCommand, PutsTheEscapedUrlIntoTheCommand)
{
    struct Case {
        const char* command;
        const char* line;
    } cases[] = {
        {"mail.exe -compose \"%1\"",
         "mail.exe -compose "
         "\"mailto:a@x.test,b@y.test?subject=Crash%20%26%20more&body=%22%23%25%3C%3E%3F\xE9\""},
        {"mail.exe ",
         "mail.exe "
         "mailto:a@x.test,b@y.test?subject=Crash%20%26%20more&body=%22%23%25%3C%3E%3F\xE9"},
        {"mail.exe",
         "mail.exe "
         "mailto:a@x.test,b@y.test?subject=Crash%20%26%20more&body=%22%23%25%3C%3E%3F\xE9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildMailtoCommand(c.command, "a@x.test ; b@y.test", "Crash & more",
                                     "\"#%<>?\xE9", true),
                  c.line)
            << c.command;
}

TEST(MailtoCommand, LongCommandsAreCutBeforeAnEscapeOnTheNtFamily)
{
    const std::string command = "m ";
    const size_t urlHead = command.size() + std::string("mailto:a@x.test?subject=S&body=").size();
    // The body's blank becomes "%20" at the 1-based position given; the cut keeps it whole.
    struct Case {
        size_t escapeAt;
        size_t length;
    } cases[] = {{32766, 32765}, {32765, 32764}, {32764, 32766}, {32763, 32766}};
    for (const Case& c : cases) {
        const std::string body =
            std::string(c.escapeAt - urlHead - 1, 'b') + " " + std::string(100, 'c');
        const std::string line = BuildMailtoCommand(command, "a@x.test", "S", body, true);
        EXPECT_EQ(line.size(), c.length) << c.escapeAt;
        EXPECT_LE(line.rfind('%') + 3, line.size()) << c.escapeAt << ": no escape is split";
        EXPECT_EQ(BuildMailtoCommand(command, "a@x.test", "S", body, false).size(),
                  urlHead + body.size() + 2);
    }
}

} // namespace
} // namespace crashreport
