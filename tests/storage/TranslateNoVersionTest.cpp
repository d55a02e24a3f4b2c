// Placeholder translation in a program without a version resource: the replacement message
// appears once per command and component, and the stand-in values are used.
#include "OcTranslateString.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using storage::TOcTranslateString;

namespace {

// Answers every message box of this process with OK and keeps its text.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() : thread_([this] { Run(); }) {}
    ~MessageBoxAnswerer()
    {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> guard(lock_);
        return texts_;
    }

private:
    static BOOL CALLBACK Visit(HWND window, LPARAM param)
    {
        auto* self = reinterpret_cast<MessageBoxAnswerer*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        char cls[32] = {};
        GetClassNameA(window, cls, sizeof(cls));
        if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(window)) {
            char text[1024] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
            {
                std::lock_guard<std::mutex> guard(self->lock_);
                self->texts_.push_back(text);
            }
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            Sleep(100); // let the box close before looking again
        }
        return TRUE;
    }
    void Run()
    {
        while (!stop_) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> texts_;
    std::thread thread_;
};

} // namespace

TEST(TranslateNoVersion, ReplacementMessageOnceThenStandInValues)
{
    MessageBoxAnswerer answerer;
    TOcTranslateString translate(nullptr);
    EXPECT_EQ(translate.ExpandText("%APPL_NAME%"), "MyOCLApplication");
    EXPECT_EQ(translate.ExpandText("%APPL_NAME%"), "MyOCLApplication");
    EXPECT_EQ(translate.ExpandText("%COMPANY_NAME% %FILEVERSION%"), "MyCompany 0.0.0.0");
    const auto texts = answerer.Texts();
    ASSERT_EQ(texts.size(), 3u) << "one message for each of the three commands";
    EXPECT_EQ(texts[0],
              "The Default Root Value \"APPL_NAME\" has been replaced with \"MyOCLApplication\".\r\n"
              "Please change the value in the FileVersionInfo Project Properties.");
    EXPECT_NE(texts[1].find("\"COMPANY_NAME\" has been replaced with \"MyCompany\""), std::string::npos);
}
