// The presentation without windows: the sentence breaks of the box's message, the console and
// CGI output, and the choice of box or assistant by display mode.
#include "ExceptionPresentation.h"

#include "FakeQEException.h"

#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace crashui;
using crashui::testing::TFakeQEException;

namespace {

TEST(BreakSentences, OnlyBetweenPosition20AndTheLastTenCharacters)
{
    struct {
        std::string message;
        std::string expected;
    } cases[] = {
        {std::string(19, 'x') + ". " + std::string(20, 'y'),
         std::string(19, 'x') + ".\r\n" + std::string(20, 'y')},
        {std::string(18, 'x') + ". " + std::string(20, 'y'),
         std::string(18, 'x') + ". " + std::string(20, 'y')},
        {std::string(30, 'x') + ". " + std::string(9, 'y'),
         std::string(30, 'x') + ".\r\n" + std::string(9, 'y')},
        {std::string(30, 'x') + ". " + std::string(8, 'y'),
         std::string(30, 'x') + ". " + std::string(8, 'y')},
        {std::string(25, 'x') + ". a. " + std::string(20, 'y'),
         std::string(25, 'x') + ".\r\na.\r\n" + std::string(20, 'y')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BreakSentences(c.message), c.expected) << c.message;
}

TEST(HtmlEscape, MarkupCharacters)
{
    EXPECT_EQ(HtmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&#39;");
    EXPECT_EQ(HtmlEscape("plain"), "plain");
}

// The page assembled piece by piece as the description lists it.
std::string ExpectedPage(const std::string& title, const std::string& message,
                         const std::string& backCaption, const std::string& showCell, bool hidden,
                         const std::string& report)
{
    return "<html><head><title>" + title + "</title></head><body>" + "\r\n" +
           "<table border=\"0\" width=\"100%\" height=\"100%\">" + "\r\n" +
           "<tr><td colspan=4 style=\"height:2pt;\"></td></tr>" + "\r\n" +
           "<tr><td colspan=4 valign=\"top\">" +
           "<p style=\"font-family:Tahoma,'MS Sans Serif';font-size:13pt;margin-left:4px;\">" +
           message + "</p></td></tr>" + "\r\n" +
           "<tr><td colspan=4 style=\"height:8pt;\"></td></tr>" + "\r\n" +
           "<tr><td><button onClick=\"history.back();\" style=\"height:19.5pt;\">&nbsp;" +
           backCaption + "&nbsp;</button></td>" + "\r\n" + "<td><p>&nbsp;&nbsp;</p></td>" + "\r\n" +
           "<td>" + showCell + "</td>" + "\r\n" + "<td width=\"100%\"></td></tr>" + "\r\n" +
           "<tr><td colspan=4 style=\"height:8pt;\"></td></tr>" + "\r\n" +
           "<tr><td colspan=4 height=\"100%\">" + "\r\n" +
           "<textarea id=\"bugReport\" readonly cols=\"80\" rows=\"20\" "
           "style=\"width:100%;height:100%;" +
           (hidden ? "visibility:hidden;" : "") + "\">" + "\r\n" + report +
           "</textarea></td></tr></table></body></html>";
}

const std::string kShowButton =
    "<button onClick=\"document.getElementById('bugReport').style.visibility='visible';"
    "this.style.visibility='hidden';\" style=\"height:19.5pt;\">&nbsp;show bug report"
    "&nbsp;</button>";

TFakeQEException CgiException()
{
    TFakeQEException e;
    e.exceptMsg = "Error %exceptClass%:%LF%%exceptMsg%";
    e.report =
        "date/time          : 2026-12-11\r\n"
        "exception class    : EAccessViolation\r\n"
        "exception message  : Access violation.\r\n";
    return e;
}

std::string Page(TFakeQEException& e)
{
    return CgiErrorPage(e.report, e,
                        [&](const std::string& t, const std::string& c, const std::string& r,
                            const std::string& m) { return e.ExpandPlaceholders(t, c, r, m); });
}

TEST(CgiErrorPage, PiecesInOrderForTheSettings)
{
    struct {
        const char* name;
        bool autoShow, showBtn, continueBtn;
        std::string backCaption, showCell;
        bool hidden;
    } cases[] = {
        {"show button", false, true, true, "continue application", kShowButton, true},
        {"report shown at once", true, true, true, "continue application", "&nbsp;", false},
        {"report hidden for good", false, false, true, "continue application", "&nbsp;", true},
        {"back button without its setting", false, true, false, "continue application", kShowButton,
         true},
    };
    for (const auto& c : cases) {
        TFakeQEException e = CgiException();
        e.autoShowBugRep = c.autoShow;
        e.showBtnVis = c.showBtn;
        e.continueBtnVis = c.continueBtn;
        e.continueBtnTxt = "go back";
        const std::string back = c.continueBtn ? "go back" : c.backCaption;
        EXPECT_EQ(Page(e),
                  ExpectedPage("Brenvik", "Error EAccessViolation:<br>\r\nAccess violation.", back,
                               c.showCell, c.hidden, e.report))
            << c.name;
    }
}

TEST(CgiErrorPage, ExceptionTextsCannotBringMarkup)
{
    TFakeQEException e = CgiException();
    e.report =
        "date/time          : 2026-12-11\r\n"
        "exception class    : E<b>\r\n"
        "exception message  : </textarea><script>alert(1)</script>\r\n";
    const std::string page = Page(e);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("Error E&lt;b&gt;:<br>\r\n&lt;/textarea&gt;&lt;script&gt;"),
              std::string::npos);
    EXPECT_EQ(page.find("</textarea>"), page.rfind("</textarea>")); // only the page's own
}

struct TOutput {
    std::vector<std::string> writes;
    bool failing = false;

    TPresentationHost Host(bool cgi)
    {
        TPresentationHost host;
        host.consoleProgram = true;
        host.cgiProgram = cgi;
        host.writeOutput = [this](std::string_view text) {
            writes.emplace_back(text);
            return !failing;
        };
        TFakeQEException().Connect(host); // only the expansion, which needs no exception
        host.assistantByName = nullptr;
        return host;
    }
    std::string All() const
    {
        std::string all;
        for (const std::string& w : writes)
            all += w;
        return all;
    }
};

TEST(ConsolePresentation, MessageAndReportLines)
{
    struct {
        const char* name;
        bool autoShow, showBtn;
        int kind;
        std::string expected;
    } cases[] = {
        {"message only", false, false, 0, "An error occurred: Access violation.\r\n"},
        {"with the report", false, true, 0,
         "An error occurred: Access violation.\r\n\r\nREPORT\r\n"},
        {"report shown at once", true, false, 0,
         "An error occurred: Access violation.\r\n\r\nREPORT\r\n"},
        {"frozen application", false, false, 1, "The application seems to be frozen.\r\n"},
    };
    for (const auto& c : cases) {
        TFakeQEException e;
        e.report = "REPORT";
        e.autoShowBugRep = c.autoShow;
        e.showBtnVis = c.showBtn;
        e.reportKind = static_cast<uint8_t>(c.kind);
        TOutput out;
        PresentException(e, out.Host(false));
        EXPECT_EQ(out.All(), c.expected) << c.name;
        const bool withReport = c.autoShow || c.showBtn;
        EXPECT_EQ(e.plWaitBox, !withReport) << c.name; // no please-wait popup on a console
        if (withReport)
            EXPECT_EQ(e.actions, std::vector<std::string>{"report(wait)"}) << c.name;
    }
}

TEST(ConsolePresentation, FailedWritesDoNotStopIt)
{
    TFakeQEException e;
    e.report = "REPORT";
    TOutput out;
    out.failing = true;
    PresentException(e, out.Host(false));
    EXPECT_EQ(out.All(), "An error occurred: Access violation.\r\n\r\nREPORT\r\n");
}

TEST(CgiPresentation, ContentTypeThenThePage)
{
    TFakeQEException e = CgiException();
    TOutput out;
    PresentException(e, out.Host(true));
    EXPECT_EQ(out.All(), "Content-Type: text/html\r\n\r\n" + Page(e) + "\r\n");

    TPresentationHost host = out.Host(true);
    host.pageBuilder = [](const std::string& report, IQEException&) { return "[" + report + "]"; };
    out.writes.clear();
    PresentException(e, host);
    EXPECT_EQ(out.All(), "Content-Type: text/html\r\n\r\n[" + e.report + "]\r\n");
}

class TFakeWizard : public classlib::TInterfacedObject, public INVWizard {
    CLASSLIB_CLASS(TFakeWizard, TInterfacedObject)
    CLASSLIB_IINTERFACE_OF(TInterfacedObject)
    bool GetInterface(const classlib::TGUID& iid, void** obj) override
    {
        return classlib::GetInterfaceOf<INVWizard>(this, iid, obj) ||
               TInterfacedObject::GetInterface(iid, obj);
    }
    explicit TFakeWizard(uint8_t result) : result_(result) {}
    std::string Title() const override { return {}; }
    void SetTitle(const std::string&) override {}
    int32_t FormCount() const override { return 0; }
    classlib::TInterfacePtr<INVForm> Form(int32_t) const override { return nullptr; }
    classlib::TInterfacePtr<INVForm> FormByName(const std::string&) const override
    {
        return nullptr;
    }
    uint8_t ModalResult() const override { return result_; }
    TNVAction OnAction() const override { return nullptr; }
    void SetOnAction(TNVAction) override {}
    uint8_t RunModal(uintptr_t) override { return result_; }
    void* ReportedException() const override { return nullptr; }
    void SetReportedException(void*) override {}
    uint32_t UserData() const override { return 0; }
    void SetUserData(uint32_t) override {}

private:
    uint8_t result_;
};
CLASSLIB_PUBLISH(TFakeWizard) {}

TEST(PresentException, DisplayModeChoosesBoxOrAssistant)
{
    struct {
        const char* name;
        int mode;
        std::string assistant;
        uint8_t wizardResult;
        std::vector<int> boxes;
        int stored, cached;
    } cases[] = {
        {"full box", 0, "", 1, {kBoxFull}, 0, 0},
        {"detail box", 2, "", 1, {kBoxDetail}, 0, 0},
        {"simple box", 3, "", 1, {kBoxSimple}, 0, 0},
        {"nothing", 4, "", 1, {}, 0, 0},
        {"unknown mode", 7, "", 1, {}, 0, 0},
        {"unknown assistant", 1, "other", 1, {kBoxFull}, 0, 0},
        {"assistant finished", 1, "wizard", kResultContinued, {}, 1, 1},
        {"assistant cancelled", 1, "wizard", kResultCancelled, {}, 0, 1},
    };
    for (const auto& c : cases) {
        TFakeQEException e;
        e.displayMode = static_cast<uint8_t>(c.mode);
        e.assistant = c.assistant;
        e.wizard = classlib::TInterfacePtr<INVWizard>(new TFakeWizard(c.wizardResult));
        std::vector<int> boxes;
        TPresentationHost host;
        e.Connect(host);
        host.showExceptionBox = [&](IQEException&, uint8_t style, bool beep) {
            EXPECT_TRUE(beep);
            boxes.push_back(style);
        };
        PresentException(e, host);
        EXPECT_EQ(boxes, c.boxes) << c.name;
        EXPECT_EQ(e.storedInput, c.stored) << c.name;
        EXPECT_EQ(e.savedCaches, c.cached) << c.name;
    }
}

} // namespace
