// The send assistant's page handlers under Wine, on pages built from the resources the form
// compiler made (embedded in this program): the contact page's remembered input in the
// registry, its e-mail check and the sender it hands to the exception; the screenshot page's
// preview and attach choice, and editing through the shell's "edit" verb with a stand-in editor
// that saves another picture.
#include "AssistantHandlers.h"
#include "FakeQEException.h"
#include "GuiTest.h"
#include "NVAssistant.h"
#include "NVBitmap.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace crashui;
using classlib::TInterfacePtr;
using crashui::testing::TFakeQEException;

namespace {

constexpr char kContactKey[] = "Software\\Orvane\\ContactForm";

// The value's text, or "(none)" when the value does not exist.
std::string Remembered(const char* value)
{
    char text[256] = {};
    DWORD size = sizeof(text);
    if (RegGetValueA(HKEY_CURRENT_USER, kContactKey, value, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "(none)";
    return text;
}

void Remember(const std::string& name, const std::string& email)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kContactKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "RememberName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
    RegSetValueExA(key, "RememberEmail", 0, REG_SZ, reinterpret_cast<const BYTE*>(email.c_str()),
                   static_cast<DWORD>(email.size() + 1));
    RegCloseKey(key);
}

TInterfacePtr<INVWizard> Pages(const std::vector<std::string>& names, IQEException* exception)
{
    return BuildAssistant(GetModuleHandleA(nullptr), "Send Assistant", names, exception);
}

HWND Window(const TInterfacePtr<INVItem>& item)
{
    return reinterpret_cast<HWND>(item->Handle());
}

void Click(INVForm& page, const TInterfacePtr<INVButton>& button)
{
    HWND window = Window(button);
    PostMessageA(reinterpret_cast<HWND>(page.Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

// What the wizard's own callback does on the shown page and on its item events (the page's
// handler from the resource runs first).
std::function<void(INVForm&)> g_onShow;
std::function<void(INVForm&, INVItem*)> g_onItem;

void Drive(INVForm& page, uint8_t action, INVItem* item, void*)
{
    if (action == kActionShowing && g_onShow)
        g_onShow(page);
    else if (action == kActionItem && g_onItem)
        g_onItem(page, item);
}

uint8_t RunPages(const TInterfacePtr<INVWizard>& wizard, std::function<void(INVForm&)> onShow,
                 std::function<void(INVForm&, INVItem*)> onItem = {})
{
    g_onShow = std::move(onShow);
    g_onItem = std::move(onItem);
    wizard->SetOnAction(Drive);
    const uint8_t result = wizard->RunModal(0);
    g_onShow = nullptr;
    g_onItem = nullptr;
    return result;
}

TEST(AssistantHandlers, NamesSelectTheHandlers)
{
    EXPECT_EQ(AssistantHandlerByName("qorExcept.HandleContactForm"), &HandleContactForm);
    EXPECT_EQ(AssistantHandlerByName("QOREXCEPT.handlescreenshotform"), &HandleScreenshotForm);
    EXPECT_EQ(AssistantHandlerByName("HandleContactForm"), nullptr);
    EXPECT_EQ(AssistantHandlerByName(""), nullptr);
    TInterfacePtr<INVWizard> wizard = Pages({"ContactForm", "DetailsForm", "ScrShotForm"}, nullptr);
    EXPECT_EQ(wizard->Form(0)->OnAction(), &HandleContactForm);
    EXPECT_EQ(wizard->Form(1)->OnAction(), nullptr); // "OnAction" empty
    EXPECT_EQ(wizard->Form(2)->OnAction(), &HandleScreenshotForm);
}

TEST(ContactPage, RememberedInputFillsThePage)
{
    const struct {
        std::string name, email;
        bool filled;
    } cases[] = {
        {"Ann Example", "ann@example.com", true},
        {"", "ann@example.com", true},
        {"", "", false},
    };
    for (const auto& c : cases) {
        Remember(c.name, c.email);
        TInterfacePtr<INVForm> page = Pages({"ContactForm"}, nullptr)->Form(0);
        EXPECT_EQ(page->EditByName("NameEdit")->Text(), c.name) << c.email;
        EXPECT_EQ(page->EditByName("EmailEdit")->Text(), c.email);
        EXPECT_EQ(page->CheckBoxByName("MemCheck")->Checked(), c.filled);
        EXPECT_EQ(page->ActiveControl(), c.filled ? "ContinueBtn" : "");
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
}

TEST(ContactPage, ClosingRemembersForgetsAndNamesTheSender)
{
    const struct {
        const char* what;
        bool remember, cancel;
        std::string name, email;
        std::string rememberedName, rememberedEmail, mailFrom;
    } cases[] = {
        {"remembered", true, false, "Ann Example", "ann@example.com", "Ann Example",
         "ann@example.com", "Ann Example <ann@example.com>"},
        {"forgotten", false, false, "Ann Example", "ann@example.com", "(none)", "(none)",
         "Ann Example <ann@example.com>"},
        {"cancelled", false, true, "Ann Example", "ann@example.com", "Old Name", "old@example.com",
         "unchanged"},
        {"no name", true, false, "", "ann@example.com", "", "ann@example.com", "unchanged"},
    };
    for (const auto& c : cases) {
        Remember("Old Name", "old@example.com");
        TFakeQEException exception;
        exception.mailFrom = "unchanged";
        TInterfacePtr<INVWizard> wizard = Pages({"ContactForm"}, &exception);
        const uint8_t result = RunPages(wizard, [&](INVForm& page) {
            page.EditByName("NameEdit")->SetText(c.name);
            page.EditByName("EmailEdit")->SetText(c.email);
            page.CheckBoxByName("MemCheck")->SetChecked(c.remember);
            Click(page, c.cancel ? page.CancelBtn() : page.ContinueBtn());
        });
        EXPECT_EQ(result, c.cancel ? kResultCancelled : kResultContinued) << c.what;
        EXPECT_EQ(Remembered("RememberName"), c.rememberedName) << c.what;
        EXPECT_EQ(Remembered("RememberEmail"), c.rememberedEmail) << c.what;
        EXPECT_EQ(exception.mailFrom, c.mailFrom) << c.what;
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
}

void CALLBACK ScreenshotThenEscape(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    testsupport::SaveScreenshot("assistant-contact-page");
    if (HWND page = testsupport::FindThreadWindow(kAssistantWindowClass))
        PostMessageA(page, WM_KEYDOWN, VK_ESCAPE, 1);
}

TEST(ContactPage, TheEmailCheckDecidesContinue)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, kContactKey);
    const struct {
        const char* email;
        bool enabled;
    } cases[] = {
        {"ann@example.com", true},   {"a@b.c", true},
        {"ann@example", false}, // not empty, which is all the page itself asks
        {"ann@.example.com", false}, {"ann @example.com", false},
        {"ann@ex@ample.com", false},
    };
    std::vector<bool> seen;
    TInterfacePtr<INVWizard> wizard = Pages({"ContactForm"}, nullptr);
    RunPages(wizard, [&](INVForm& page) {
        for (const auto& c : cases) {
            page.EditByName("EmailEdit")->SetText(c.email);
            seen.push_back(IsWindowEnabled(Window(page.ContinueBtn())) != 0);
            EXPECT_EQ(page.EditByName("EmailEdit")->Valid(), c.enabled) << c.email;
        }
        page.EditByName("NameEdit")->SetText("Ann Example");
        page.EditByName("EmailEdit")->SetText("ann@example");
        SetTimer(nullptr, 0, 200, ScreenshotThenEscape); // once the page is on the display
    });
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t k = 0; k < seen.size(); ++k)
        EXPECT_EQ(seen[k], cases[k].enabled) << cases[k].email;
}

// A 24-bit .bmp file of one colour (0xRRGGBB), as an image editor would save it.
bool WriteSolidBmp(const std::string& path, int width, int height, uint32_t rgb)
{
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageBytes = static_cast<uint32_t>(stride * height);
    std::string bytes = "BM";
    auto put = [&bytes](uint32_t value, int count) {
        for (int k = 0; k < count; ++k)
            bytes += static_cast<char>((value >> (8 * k)) & 0xFF);
    };
    put(54 + imageBytes, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(imageBytes, 4);
    put(2835, 4);
    put(2835, 4);
    put(0, 8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            put(rgb, 3); // blue, green, red
        put(0, stride - width * 3);
    }
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

// A picture of one colour as a bitmap object (through a .bmp file, as the editor leaves it).
TInterfacePtr<INVBitmap> Picture(const std::string& path, int width, int height, uint32_t rgb)
{
    if (!WriteSolidBmp(path, width, height, rgb))
        return nullptr;
    return BitmapFromFile(path);
}

std::string TestFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.erase(folder.find_last_of("\\/") + 1);
}

// Where in the page window's client area the colour first appears (x -1 when nowhere).
POINT FindColour(HWND window, uint32_t rgb)
{
    RECT client;
    GetClientRect(window, &client);
    testsupport::Dib dib(client.right, client.bottom);
    HDC screen = GetDC(window); // as it is on the display
    BitBlt(dib.dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
    for (int y = 0; y < dib.height(); ++y)
        for (int x = 0; x < dib.width(); ++x)
            if (dib.Pixel(x, y) == rgb)
                return {x, y};
    return {-1, -1};
}

void ClickAt(HWND window, POINT at)
{
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageA(window, WM_LBUTTONUP, 0, where);
}

TEST(ScreenshotPage, ShowsTheScreenshotAndKeepsTheAttachChoice)
{
    TFakeQEException exception;
    exception.screenImage = Picture(TestFolder() + "blue-shot.bmp", 64, 48, 0x0000FF);
    ASSERT_TRUE(exception.screenImage);
    exception.attachScreenshot = false;
    TInterfacePtr<INVWizard> wizard = Pages({"ScrShotForm"}, &exception);
    TInterfacePtr<INVForm> page = wizard->Form(0);
    EXPECT_FALSE(page->CheckBoxByName("AttachCheck")->Checked());
    ASSERT_TRUE(page->ImageByName("ScrShotImg")->Bitmap());
    POINT blue{-1, -1};
    // On the page timer's first tick the page is on the display.
    RunPages(wizard, {}, [&](INVForm& shown, INVItem* item) {
        if (item)
            return;
        HWND window = reinterpret_cast<HWND>(shown.Handle());
        UpdateWindow(window);
        blue = FindColour(window, 0x0000FF);
        testsupport::SaveScreenshot("assistant-screenshot-page");
        shown.CheckBoxByName("AttachCheck")->SetChecked(true);
        Click(shown, shown.CancelBtn());
    });
    EXPECT_GE(blue.x, 0) << "the preview is on the page";
    EXPECT_TRUE(exception.attachScreenshot); // taken over when the page closes, even cancelled
}

TEST(ScreenshotPage, WithoutAnExceptionNothingHappens)
{
    TInterfacePtr<INVWizard> wizard = Pages({"ScrShotForm"}, nullptr);
    TInterfacePtr<INVForm> page = wizard->Form(0);
    EXPECT_TRUE(page->CheckBoxByName("AttachCheck")->Checked()); // the resource's value
    EXPECT_FALSE(page->ImageByName("ScrShotImg")->Bitmap());
}

// The "edit" verb of .bmp files runs screenshot_editor_stub (beside this program) with the
// file and the picture it saves over it. The classes of the merged view are written (Wine reads
// verbs from the machine's classes only); the .bmp class is restored afterwards.
class ScreenshotEditing : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileA(Starts().c_str());
        char previous[256] = {};
        DWORD size = sizeof(previous);
        hadClass_ = RegGetValueA(HKEY_CLASSES_ROOT, ".bmp", nullptr, RRF_RT_REG_SZ, nullptr,
                                 previous, &size) == ERROR_SUCCESS;
        previousClass_ = previous;
        const std::string command = "\"" + TestFolder() + "screenshot_editor_stub.exe\" \"%1\" \"" +
                                    TestFolder() + "red-edit.bmp\" \"" + Starts() + "\"";
        ASSERT_TRUE(SetText(".bmp", "BrenvikTestPicture"));
        ASSERT_TRUE(SetText("BrenvikTestPicture\\shell\\edit\\command", command));
        ASSERT_TRUE(WriteSolidBmp(TestFolder() + "red-edit.bmp", 40, 30, 0xFF0000));
        quit_ = CreateEventA(nullptr, TRUE, FALSE, "BrenvikScreenshotEditorQuit");
    }
    void TearDown() override
    {
        SetEvent(quit_);
        CloseHandle(quit_);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "BrenvikTestPicture");
        if (hadClass_)
            SetText(".bmp", previousClass_);
        else
            RegDeleteKeyValueA(HKEY_CLASSES_ROOT, ".bmp", nullptr);
    }
    static bool SetText(const char* key, const std::string& text)
    {
        return RegSetKeyValueA(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text.c_str(),
                               static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    }
    static std::string Starts() { return TestFolder() + "editor-starts.txt"; }
    static int StartCount()
    {
        std::ifstream in(Starts());
        int lines = 0;
        for (std::string line; std::getline(in, line);)
            ++lines;
        return lines;
    }

    HANDLE quit_ = nullptr;
    bool hadClass_ = false;
    std::string previousClass_;
};

TEST_F(ScreenshotEditing, TheSavedPictureReplacesTheScreenshot)
{
    TFakeQEException exception;
    exception.screenImage = Picture(TestFolder() + "blue-shot.bmp", 64, 48, 0x0000FF);
    ASSERT_TRUE(exception.screenImage);
    std::string tempFile;
    ASSERT_TRUE(ScreenshotTempFile(tempFile));
    EXPECT_EQ(tempFile.substr(tempFile.size() - 15), "\\screenShot.bmp");

    TInterfacePtr<INVWizard> wizard = Pages({"ScrShotForm"}, &exception);
    int ticks = 0;
    bool fileWritten = false, replaced = false;
    POINT redAt{-1, -1};
    // On the page timer's first tick (the page is on the display) the preview is clicked twice;
    // the next ticks wait for the edited picture.
    RunPages(wizard, {}, [&](INVForm& page, INVItem* item) {
        if (item)
            return;
        HWND window = reinterpret_cast<HWND>(page.Handle());
        if (ticks++ == 0) {
            UpdateWindow(window);
            const POINT at = FindColour(window, 0x0000FF);
            if (at.x < 0) {
                Click(page, page.CancelBtn());
                return;
            }
            ClickAt(window, at);
            fileWritten = GetFileAttributesA(tempFile.c_str()) != INVALID_FILE_ATTRIBUTES;
            ClickAt(window, at); // the editor still runs: no second one
        } else if (exception.screenImage && exception.screenImage->Width() == 40) {
            replaced = true;
            UpdateWindow(window);
            redAt = FindColour(window, 0xFF0000);
            testsupport::SaveScreenshot("assistant-screenshot-edited");
            Click(page, page.ContinueBtn());
        } else if (ticks == 80) { // 20 seconds
            Click(page, page.CancelBtn());
        }
    });
    EXPECT_TRUE(fileWritten);
    EXPECT_TRUE(replaced);
    EXPECT_GE(redAt.x, 0) << "the page shows the edited picture";
    EXPECT_EQ(StartCount(), 1);
    EXPECT_EQ(GetFileAttributesA(tempFile.c_str()), INVALID_FILE_ATTRIBUTES)
        << "closing the page deletes the temporary file";
    EXPECT_EQ(wizard->Form(0)->UserData(), 0u);
}

} // namespace
