// Placeholder translation in a program without a version resource: the replacement message
// appears once per command and component, and the stand-in values are used.
#include "OcTranslateString.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using storage::TOcTranslateString;

namespace {

// Answers the message boxes of the calling thread with OK and keeps their texts. A thread
// timer runs inside the message box's own modal loop, so no other thread has to find it.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer()
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~MessageBoxAnswerer()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    std::vector<std::string> texts;

private:
    static BOOL CALLBACK Answer(HWND window, LPARAM)
    {
        char cls[32] = {};
        GetClassNameA(window, cls, sizeof(cls));
        if (std::string(cls) == "#32770") {
            char text[1024] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
            current_->texts.push_back(text);
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (current_)
            EnumThreadWindows(GetCurrentThreadId(), Answer, 0);
    }

    static inline MessageBoxAnswerer* current_ = nullptr;
    UINT_PTR timer_ = 0;
};

} // namespace

TEST(TranslateNoVersion, ReplacementMessageOnceThenStandInValues)
{
    MessageBoxAnswerer answerer;
    TOcTranslateString translate(nullptr);
    EXPECT_EQ(translate.ExpandText("%APPL_NAME%"), "MyOCLApplication");
    EXPECT_EQ(translate.ExpandText("%APPL_NAME%"), "MyOCLApplication");
    EXPECT_EQ(translate.ExpandText("%COMPANY_NAME% %FILEVERSION%"), "MyCompany 0.0.0.0");
    ASSERT_EQ(answerer.texts.size(), 3u) << "one message for each of the three commands";
    EXPECT_EQ(
        answerer.texts[0],
        "The Default Root Value \"APPL_NAME\" has been replaced with \"MyOCLApplication\".\r\n"
        "Please change the value in the FileVersionInfo Project Properties.");
    EXPECT_NE(answerer.texts[1].find("\"COMPANY_NAME\" has been replaced with \"MyCompany\""),
              std::string::npos);
}
