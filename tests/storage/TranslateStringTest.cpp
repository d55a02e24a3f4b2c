// Placeholder translation in a program that carries a version resource (VersionedProgram.rc
// is linked into this test executable).
#include "BcFileUtilsWin.h"
#include "OcTranslateString.h"
#include "core/TypeInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

using storage::TOcTranslateString;

namespace translate_test {

// A form as far as the translation is concerned: a class named TForm with a Caption.
class TForm : public classlib::TComponent {
    CLASSLIB_CLASS(TForm, classlib::TComponent)
public:
    using TComponent::TComponent;
    std::string Caption;
};

CLASSLIB_PUBLISH(TForm)
{
    c.Property("Caption", &TForm::Caption);
}

class THandler : public classlib::TObject {
public:
    void Process(classlib::TObject*, const std::string& command, std::string& result, bool& changed)
    {
        seen.push_back(command);
        if (command == "CUSTOM") {
            result = "custom value";
            changed = true;
        }
        if (command == "EXENAME")
            changed = false;
    }
    std::vector<std::string> seen;
};

} // namespace translate_test

namespace {

std::string Today(const char* format)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[64];
    if (std::string(format) == "date")
        std::snprintf(text, sizeof(text), "%02d_%02d_%04d", now.wDay, now.wMonth, now.wYear);
    return text;
}

} // namespace

TEST(TranslateString, VersionResourceAndProgramCommands)
{
    TOcTranslateString translate(nullptr);
    const std::string exe = bcl::ModuleFileName(nullptr);
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"Settings.ini", "Settings.ini"},
        {"", ""},
        {"%APPL_NAME%", "Brenvik fixture"},
        {"%COMPANY_NAME%", "Orvane"},
        {"%FILEVERSION%|%PRODUCTVERSION%", "1.2.3.4|5.6.7.8"},
        {"%EXENAME%", exe},
        {"%FILENAME%.ini", "storage_versioned_tests.ini"},
        {"%FULLDIREXE%\\x", folder + "\\x"},
        {"%SCREENSIZE%", std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
                             std::to_string(GetSystemMetrics(SM_CYSCREEN))},
        {"%DESKTOPSIZE%", std::to_string(GetSystemMetrics(SM_CXVIRTUALSCREEN)) + "x" +
                              std::to_string(GetSystemMetrics(SM_CYVIRTUALSCREEN))},
        {"a%X%b", "aX%b"},
        {"50%", "50%"},
        {"%FORMNAME%", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(translate.ExpandText(c.text), c.expected) << c.text;
}

TEST(TranslateString, CommandsMatchAfterUpperCasingAndTrimming)
{
    TOcTranslateString translate(nullptr);
    // Run the date commands twice around midnight would differ; compare with the date read
    // right before and accept either side.
    const std::string before = Today("date");
    const std::string lower = translate.ExpandText("log_%date%.txt");
    const std::string blanks = translate.ExpandText("% DATE %");
    const std::string after = Today("date");
    EXPECT_TRUE(lower == "log_" + before + ".txt" || lower == "log_" + after + ".txt") << lower;
    EXPECT_TRUE(blanks == before || blanks == after) << blanks;
    EXPECT_EQ(translate.ExpandText("%%date%").size(), before.size());
    EXPECT_EQ(translate.ExpandText("%TIME%").size(), 8u);
    EXPECT_EQ(translate.ExpandText("%DATETIME%").size(), 19u);

    translate.DateFormat = "yyyy";
    EXPECT_EQ(translate.ExpandText("%DATE%"), before.substr(6));
    translate.LeftDelimiter = "<";
    translate.RightDelimiter = ">";
    EXPECT_EQ(translate.ExpandText("<APPL_NAME> %APPL_NAME%"), "Brenvik fixture %APPL_NAME%");
    translate.LeftDelimiter = "";
    EXPECT_EQ(translate.ExpandText("<APPL_NAME>"), "<APPL_NAME>");
}

TEST(TranslateString, OwningFormNameAndCaption)
{
    translate_test::TForm form(nullptr);
    form.SetName("frmDovrel");
    form.Caption = "Brenvik";
    auto* holder = new classlib::TComponent(&form);
    auto* translate = new TOcTranslateString(holder);
    EXPECT_EQ(translate->ExpandText("%FORMNAME%: %FORMCAPTION%"), "frmDovrel: Brenvik");

    classlib::TComponent outside(nullptr);
    TOcTranslateString orphan(&outside);
    EXPECT_EQ(orphan.ExpandText("[%FORMNAME%][%FORMCAPTION%]"), "[][]");
}

TEST(TranslateString, ProcessCommandEventSeesEveryCommand)
{
    translate_test::THandler handler;
    TOcTranslateString translate(nullptr);
    translate.OnProcessCommand =
        storage::TProcessCommandEvent(&handler, &translate_test::THandler::Process);
    // A command the handler declines is copied as written, and its closing delimiter opens
    // the next candidate ("-"); the last one never closes.
    EXPECT_EQ(translate.ExpandText("%custom%-%EXENAME%-%unknown%"),
              "custom value-EXENAME-unknown%");
    EXPECT_EQ(handler.seen, (std::vector<std::string>{"CUSTOM", "EXENAME", "-", "UNKNOWN"}));
}

TEST(TranslateString, PublishesItsProperties)
{
    TOcTranslateString translate(nullptr);
    EXPECT_EQ(classlib::GetStrProp(&translate, "DateTimeFormat"), "dd_mm_yyyy hh_nn_ss");
    classlib::SetStrProp(&translate, "RightDelimiter", "#");
    EXPECT_EQ(translate.RightDelimiter, "#");
    EXPECT_TRUE(classlib::IsPublishedProp(&translate, "OnProcessCommand"));
}
