// The exception box under Wine: real windows in each style, button results through sent
// messages, the close command by the focused button, the report tabs and their lists, and
// ShowExceptionBox's loop with Esc, Ctrl+C and the reshow cycle.
#include "ExceptionBox.h"

#include "FakeQEException.h"
#include "GuiTest.h"
#include "QorHandlers.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace crashui;
using crashui::testing::TFakeQEException;

namespace {

// The action codes the engine's action handlers are called with while it lives.
struct TActionRecorder {
    std::vector<int> actions;
    TActionRecorder() { qor::RegisterActionHandler(this, Record, qor::syncNone); }
    ~TActionRecorder() { qor::UnregisterActionHandler(this, Record); }
    static void Record(void* self, uint8_t action, qor::IQEException&, bool&)
    {
        static_cast<TActionRecorder*>(self)->actions.push_back(action);
    }
};

std::string Text(HWND window)
{
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

RECT ClientRectIn(HWND child, HWND parent)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Press(const TExceptionBox& box, HWND button)
{
    SendMessageA(box.Window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

std::vector<std::pair<std::string, std::string>> Sections()
{
    return {{"main thread ($a4)",
             "0040a1f2 +012 Brenvik.exe  Unit1  120  +3 TForm1.Button1Click\r\n"
             "00412c08 +0a4 Brenvik.exe  Forms 1024 +17 TCustomForm.WndProc"},
            {"cpu registers", "EAX = 00000001\r\nEBX = 7FFDF000\r\nECX = 0012FF88"},
            {"modules",
             "00400000 brenvik.exe  1.2.3.4  C:\\App\\brenvik.exe\r\n"
             "7c800000 kernel32.dll 5.1.2600 C:\\Windows\\kernel32.dll"}};
}

// An exception whose box shows the report of Sections() at once.
void WithReport(TFakeQEException& e)
{
    e.autoShowBugRep = true;
    e.header = {{"date/time", "2026-12-11"}, {"exception class", "EAccessViolation"}};
    e.sections = Sections();
}

TEST(ExceptionBox, FullBoxButtonsGiveTheirActions)
{
    TActionRecorder handlers;
    TFakeQEException e;
    TExceptionBox box(e, false, false, false);
    ASSERT_TRUE(IsWindow(box.Window()));
    char className[64] = {};
    GetClassNameA(box.Window(), className, sizeof(className));
    EXPECT_STREQ(className, kExceptionBoxClass);
    EXPECT_EQ(Text(box.Window()), "Brenvik");
    EXPECT_FALSE(GetWindowLongPtrA(box.Window(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(box.Button(kBtnPrint), nullptr);
    EXPECT_EQ(Text(box.Button(kBtnSend)), "send bug report");
    EXPECT_EQ(Text(box.Button(kBtnClose)), "close application");
    for (TBoxButtonKind kind : {kBtnSend, kBtnSave, kBtnRestart, kBtnClose, kBtnContinue})
        Press(box, box.Button(kind));
    EXPECT_EQ(e.actions,
              (std::vector<std::string>{"send", "save", "restart", "close", "continue"}));
    // Restart and close stack at the right when buttons sit on the left too: one column.
    const RECT restart = ClientRectIn(box.Button(kBtnRestart), box.Window());
    const RECT close = ClientRectIn(box.Button(kBtnClose), box.Window());
    EXPECT_EQ(restart.left, close.left);
    EXPECT_GT(close.top, restart.top);
    testsupport::PumpFor(200);
    testsupport::SaveScreenshot("exception-box-full");

    Press(box, box.Button(kBtnShow));
    EXPECT_TRUE(box.ReshowRequested());
    EXPECT_EQ(handlers.actions, std::vector<int>{6});
    EXPECT_FALSE(IsWindow(box.Window()));
}

TEST(ExceptionBox, CloseCommandFollowsTheFocusedButton)
{
    struct {
        uint8_t focused;
        bool continuable, continueVisible, closeVisible;
        std::string action;
    } cases[] = {
        {4, true, true, true, "continue"}, {5, true, true, true, "restart"},
        {6, true, true, true, "close"},    {0, true, true, true, "continue"},
        {0, false, true, true, "close"},   {0, false, true, false, "restart"},
    };
    for (const auto& c : cases) {
        TFakeQEException e;
        e.focusedBtn = c.focused;
        e.continuable = c.continuable;
        e.continueBtnVis = c.continueVisible;
        e.closeBtnVis = c.closeVisible;
        TExceptionBox box(e, false, false, false);
        SendMessageA(box.Window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(e.actions, std::vector<std::string>{c.action}) << int(c.focused);
    }
}

TEST(ExceptionBox, ContinueButtonWhenTheExceptionIsNotContinuable)
{
    TFakeQEException e;
    e.continuable = false;
    {
        TExceptionBox box(e, false, false, false);
        EXPECT_FALSE(IsWindowEnabled(box.Button(kBtnContinue)));
    }
    e.restartBtnVis = false;
    e.closeBtnVis = false;
    TExceptionBox box(e, false, false, false);
    ASSERT_TRUE(IsWindowEnabled(box.Button(kBtnContinue)));
    Press(box, box.Button(kBtnContinue));
    EXPECT_EQ(e.actions, std::vector<std::string>{"close"});
}

TEST(ExceptionBox, CompactStyles)
{
    TFakeQEException e;
    e.message = "Access violation at address 0040A1F2. Read of address 00000000.";
    {
        TExceptionBox simple(e, false, false, true);
        EXPECT_EQ(Text(simple.Button(kBtnContinue)), "OK");
        EXPECT_EQ(simple.Button(kBtnShow), nullptr);
        EXPECT_EQ(simple.Button(kBtnSend), nullptr);
        EXPECT_NE(Text(simple.Window()), "Brenvik"); // the executable's name
        const RECT ok = ClientRectIn(simple.Button(kBtnContinue), simple.Window());
        EXPECT_EQ(ok.right - ok.left, 75); // allotted 79 minus 4
        SendMessageA(simple.Window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(e.actions, std::vector<std::string>{"continue"});
    }
    TExceptionBox detail(e, false, true, true);
    const RECT ok = ClientRectIn(detail.Button(kBtnContinue), detail.Window());
    const RECT details = ClientRectIn(detail.Button(kBtnShow), detail.Window());
    EXPECT_EQ(Text(detail.Button(kBtnShow)), "Details");
    EXPECT_EQ(details.left - ok.right, 6);
    EXPECT_EQ(details.top, ok.top);
    testsupport::PumpFor(200);
    testsupport::SaveScreenshot("exception-box-detail");
}

TEST(ExceptionBox, ReportTabsAndLists)
{
    TFakeQEException e;
    WithReport(e);
    TExceptionBox box(e, false, false, false);
    EXPECT_FALSE(e.showBtnVis); // the report is shown already
    EXPECT_TRUE(GetWindowLongPtrA(box.Window(), GWL_STYLE) & WS_THICKFRAME);
    RECT window;
    GetWindowRect(box.Window(), &window);
    const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_GE(window.right - window.left,
              std::min(664, GetSystemMetrics(SM_CXSCREEN) - 5 * captionHeight));
    HWND tabs = box.TabControl();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 4); // general, call stack, regs, modules

    char className[64] = {};
    GetClassNameA(box.Content(), className, sizeof(className));
    EXPECT_STREQ(className, "SysListView32");
    EXPECT_EQ(SendMessageA(box.Content(), LVM_GETITEMCOUNT, 0, 0), 2);

    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    box.ShowCurrentTab();
    EXPECT_EQ(box.CurrentList().columns.size(), 7u);
    EXPECT_EQ(SendMessageA(box.Content(), LVM_GETITEMCOUNT, 0, 0), 3);
    testsupport::PumpFor(200);
    testsupport::SaveScreenshot("exception-box-call-stack");

    // A section arrives: the box rebuilds its tabs on the report-changed message.
    e.sections.push_back({"processes", "0001 a b c\r\n0002 d e f"});
    SendMessageA(box.Window(), kMsgReportChanged, 1357, 2468);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 5);

    // Growing the window moves the right-hand buttons and grows the tabs.
    const RECT before = ClientRectIn(box.Button(kBtnClose), box.Window());
    RECT tabsBefore;
    GetWindowRect(tabs, &tabsBefore);
    SetWindowPos(box.Window(), nullptr, 0, 0, window.right - window.left + 40,
                 window.bottom - window.top + 30, SWP_NOMOVE | SWP_NOZORDER);
    const RECT after = ClientRectIn(box.Button(kBtnClose), box.Window());
    RECT tabsAfter;
    GetWindowRect(tabs, &tabsAfter);
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ((tabsAfter.bottom - tabsAfter.top) - (tabsBefore.bottom - tabsBefore.top), 30);
}

std::vector<std::string> g_jumped;

void RecordJump(const std::string& line)
{
    g_jumped.push_back(line);
}

// The list view's double click as its parent, the tab control, receives it.
void DoubleClickRow(const TExceptionBox& box, int row)
{
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageA(box.Content(), LVM_SETITEMSTATE, static_cast<WPARAM>(row >= 0 ? row : -1),
                 reinterpret_cast<LPARAM>(&state));
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = box.Content();
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(box.Content()));
    click.hdr.code = NM_DBLCLK;
    click.iItem = row;
    SendMessageA(box.TabControl(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

TEST(ExceptionBox, DoubleClickedCallStackLineGoesToTheJump)
{
    TFakeQEException e;
    WithReport(e);
    TExceptionBox box(e, false, false, false);
    g_jumped.clear();
    SetIdeLineJump(RecordJump);
    SendMessageA(box.TabControl(), TCM_SETCURSEL, 1, 0);
    box.ShowCurrentTab();
    ASSERT_EQ(SendMessageA(box.Content(), LVM_GETITEMCOUNT, 0, 0), 3);
    DoubleClickRow(box, 0); // the first row is no call-stack line
    EXPECT_TRUE(g_jumped.empty());
    DoubleClickRow(box, 2);
    ASSERT_EQ(g_jumped.size(), 1u);
    EXPECT_EQ(g_jumped[0].find('\t'), std::string::npos);
    EXPECT_EQ(g_jumped[0].rfind("00412c08", 0), 0u) << g_jumped[0];
    EXPECT_NE(g_jumped[0].find("TCustomForm.WndProc"), std::string::npos) << g_jumped[0];

    // Other tabs, and no jump set, do nothing.
    SendMessageA(box.TabControl(), TCM_SETCURSEL, 3, 0);
    box.ShowCurrentTab();
    DoubleClickRow(box, 1);
    SendMessageA(box.TabControl(), TCM_SETCURSEL, 1, 0);
    box.ShowCurrentTab();
    SetIdeLineJump(nullptr);
    DoubleClickRow(box, 1);
    EXPECT_EQ(g_jumped.size(), 1u);
}

TEST(ExceptionBox, OwnerDrawnRowsAreTinted)
{
    TFakeQEException e;
    WithReport(e);
    TExceptionBox box(e, false, false, false);
    HWND list = box.Content();
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    RECT client;
    GetClientRect(list, &client);
    testsupport::Dib dib(client.right, client.bottom);
    PrintWindow(list, dib.dc(), PW_CLIENTONLY);
    // Column 0 of an unselected row: RGB(240, 248, 255); the bottom line RGB(224, 224, 224).
    EXPECT_EQ(dib.Pixel(item.left + 2, item.top + 1), 0xF0F8FFu);
    EXPECT_EQ(dib.Pixel(item.left + 2, item.bottom - 1), 0xE0E0E0u);
}

// The icon files as drawn by resources/bitmaps/make_progress_pictures.py (54-byte header, 32-bit
// rows from the bottom), top-down as 0xAARRGGBB.
std::vector<uint32_t> IconFile(const std::string& name, int size)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(size * size));
    FILE* file = std::fopen((std::string(BRENVIK_BITMAPS "/") + name + ".bmp").c_str(), "rb");
    if (!file)
        return {};
    std::fseek(file, 54, SEEK_SET);
    for (int y = size - 1; y >= 0; --y)
        if (std::fread(&pixels[static_cast<size_t>(y * size)], 4, static_cast<size_t>(size),
                       file) != static_cast<size_t>(size))
            pixels.clear();
    std::fclose(file);
    return pixels;
}

// An icon pixel over the background (0xRRGGBB): each channel (back x (256 - g) + icon x g) / 256
// with g = alpha + 1.
uint32_t Blended(uint32_t icon, uint32_t back)
{
    const uint32_t g = (icon >> 24) + 1;
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8)
        result |= ((((back >> shift) & 0xFF) * (256 - g) + ((icon >> shift) & 0xFF) * g) / 256)
                  << shift;
    return result;
}

uint32_t Rgb(COLORREF colour)
{
    return uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 | GetBValue(colour);
}

// What a window paints of itself.
std::unique_ptr<testsupport::Dib> Painted(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    auto dib = std::make_unique<testsupport::Dib>(client.right, client.bottom, 0x123456);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib->dc()), PRF_CLIENT);
    return dib;
}

// Whether the painted icon at (x0, y0) of the picture is the icon blended over the face; the
// first differing pixel is reported.
::testing::AssertionResult ShowsIcon(const testsupport::Dib& dib, int x0, int y0,
                                     const std::vector<uint32_t>& icon, int size, uint32_t face)
{
    if (icon.empty())
        return ::testing::AssertionFailure() << "icon file not read";
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint32_t want = Blended(icon[static_cast<size_t>(y * size + x)], face);
            if (dib.Pixel(x0 + x, y0 + y) != want)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") " << std::hex
                       << dib.Pixel(x0 + x, y0 + y) << " instead of " << want;
        }
    return ::testing::AssertionSuccess();
}

// The program's resources as a data file: the box takes its icons from the exception's module.
class ExceptionBoxIcons : public ::testing::Test {
protected:
    void SetUp() override
    {
        program_ = LoadLibraryExA((std::string("Z:") + BRENVIK_EXE_UNIX_PATH).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(program_);
        e.module = reinterpret_cast<uintptr_t>(program_);
        e.exceptMsg = "Short text.";
    }
    void TearDown() override { FreeLibrary(program_); }

    HMODULE program_ = nullptr;
    TFakeQEException e;
};

TEST_F(ExceptionBoxIcons, FullBoxInBothButtonLooks)
{
    for (bool framed : {false, true}) {
        e.uglyBtns = framed;
        e.continuable = false; // continue shows the can't-continue icon
        TExceptionBox box(e, false, false, false);
        HWND icon = box.Button(kIconBig);
        ASSERT_TRUE(icon) << framed;
        EXPECT_EQ(ClientRectIn(icon, box.Window()).left, 9);
        EXPECT_EQ(ClientRectIn(icon, box.Window()).top, 10);
        EXPECT_FALSE(IsWindowEnabled(icon));
        EXPECT_TRUE(ShowsIcon(*Painted(icon), 0, 0, IconFile("QEIBIG", 32), 32,
                              Rgb(GetSysColor(COLOR_BTNFACE))));
        // A short text sits beside the icon; the button rows start at 31, moved up by one row
        // (not above 7) for the three stacked right-hand buttons, and the left-hand buttons
        // take the last of the three rows.
        HWND text = FindWindowExA(box.Window(), nullptr, "Static", nullptr);
        EXPECT_EQ(ClientRectIn(text, box.Window()).left, 51);
        const int row = (framed ? 26 : 22) + 4;
        EXPECT_EQ(ClientRectIn(box.Button(kBtnSend), box.Window()).top,
                  std::max(31 - row, 7) + 2 * row);

        const int inset = framed ? 2 : 0;
        const struct {
            TBoxButtonKind kind;
            const char* icon;
        } buttons[] = {{kBtnSend, "QEISEND"},       {kBtnSave, "QEISAVE"},
                       {kBtnShow, "QEISHOW"},       {kBtnCantContinue, "QEICANTCONTINUE"},
                       {kBtnRestart, "QEIRESTART"}, {kBtnClose, "QEICLOSE"}};
        for (const auto& b : buttons) {
            HWND button = box.Button(b.kind);
            ASSERT_TRUE(button) << b.icon;
            auto painted = Painted(button);
            // The face is taken beside the icon.
            EXPECT_TRUE(ShowsIcon(*painted, inset + 3, inset + 3, IconFile(b.icon, 16), 16,
                                  painted->Pixel(inset, inset)))
                << b.icon << (framed ? " framed" : " flat");
        }
        testsupport::PumpFor(200);
        testsupport::SaveScreenshot(framed ? "exception-box-icons-framed" : "exception-box-icons");
    }
}

TEST_F(ExceptionBoxIcons, FlatFacesByFocus)
{
    e.focusedBtn = kBtnClose;
    TExceptionBox box(e, false, false, false);
    // Focused: white on the dark shadow colour; not focused: the face raised (or lowered) by 16
    // per channel.
    const uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    const uint32_t face = Rgb(GetSysColor(COLOR_BTNFACE));
    int over = 0;
    for (int shift = 0; shift < 24; shift += 8)
        over += ((face >> shift) & 0xFF) + 16 > 256;
    uint32_t shaded = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int c = static_cast<int>((face >> shift) & 0xFF);
        shaded |= static_cast<uint32_t>(over <= 1 ? std::min(c + 16, 255) : std::max(c - 16, 0))
                  << shift;
    }
    ASSERT_EQ(GetFocus(), box.Button(kBtnClose));
    EXPECT_EQ(Painted(box.Button(kBtnClose))->Pixel(1, 1), dark);
    EXPECT_EQ(Painted(box.Button(kBtnSend))->Pixel(1, 1), shaded);
}

TEST_F(ExceptionBoxIcons, CompactStylesShowTheBigIcon)
{
    for (bool detail : {false, true}) {
        TExceptionBox box(e, false, detail, true);
        HWND icon = box.Button(kIconBig);
        ASSERT_TRUE(icon);
        EXPECT_TRUE(ShowsIcon(*Painted(icon), 0, 0, IconFile("QEIBIG", 32), 32,
                              Rgb(GetSysColor(COLOR_BTNFACE))));
        HWND text = FindWindowExA(box.Window(), nullptr, "Static", nullptr);
        EXPECT_EQ(ClientRectIn(text, box.Window()).left, 51);
        testsupport::PumpFor(200);
        testsupport::SaveScreenshot(detail ? "exception-box-icons-detail"
                                           : "exception-box-icons-simple");
    }
}

TEST(ExceptionBox, WithoutIconResourcesTheTextStartsAtTheEdge)
{
    TFakeQEException e; // this test program carries no QEI* resources
    TExceptionBox box(e, false, false, false);
    EXPECT_FALSE(box.Button(kIconBig));
    HWND text = FindWindowExA(box.Window(), nullptr, "Static", nullptr);
    EXPECT_EQ(ClientRectIn(text, box.Window()).left, 11);
}

HWND g_noticedBox;

void NoticeFrozenBox(HWND box)
{
    g_noticedBox = box;
    PostMessageA(box, WM_NULL, 777, 777); // as the watchdog does once the program answers
}

TEST(ExceptionBox, AFrozenApplicationsBoxGoesToTheWatchdog)
{
    SetFreezeWatchdogNotice(NoticeFrozenBox);
    for (uint8_t kind : {uint8_t{0}, uint8_t{1}}) {
        g_noticedBox = nullptr;
        TFakeQEException e;
        e.reportKind = kind;
        TExceptionBox box(e, false, false, false);
        EXPECT_EQ(g_noticedBox, kind == 1 ? box.Window() : nullptr);
        if (kind == 1)
            EXPECT_TRUE(testsupport::PumpUntil([&] { return !IsWindow(box.Window()); }));
    }
    SetFreezeWatchdogNotice(nullptr);
}

// Posts keys to the box once it is there (the loop runs inside ShowExceptionBox).
std::vector<std::pair<WPARAM, bool>> g_keys; // key, with Ctrl
void CALLBACK PostKeys(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = testsupport::FindThreadWindow(kExceptionBoxClass);
    if (!box || g_keys.empty())
        return;
    const auto [key, control] = g_keys.front();
    g_keys.erase(g_keys.begin());
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageA(box, WM_KEYDOWN, key, 1);
    if (g_keys.empty())
        KillTimer(nullptr, timer);
}

std::string ClipboardText()
{
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

TEST(ShowExceptionBox, EscClosesAsTheCloseCommandAndCtrlCCopies)
{
    TActionRecorder handlers;
    TFakeQEException e;
    e.focusedBtn = kBtnRestart;
    e.onFinalAction = [](uintptr_t box) {
        SendMessageA(reinterpret_cast<HWND>(box), kMsgCloseBox, 0, 0);
    };
    g_keys = {{'C', true}, {VK_F1, false}, {VK_ESCAPE, false}};
    SetTimer(nullptr, 0, 50, PostKeys);
    ShowExceptionBox(e, kBoxSimple, false);
    EXPECT_EQ(e.actions, std::vector<std::string>{"restart"});
    EXPECT_EQ(handlers.actions, std::vector<int>{7});
    EXPECT_EQ(ClipboardText(), "Access violation."); // no details: the message only
}

TFakeQEException* g_reshown;
void CALLBACK AskForDetailsThenKeys(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = testsupport::FindThreadWindow(kExceptionBoxClass);
    if (!box)
        return;
    if (!g_reshown->autoShowBugRep) {
        PostMessageA(box, kMsgShowDetails, 0, 0);
        return;
    }
    KillTimer(nullptr, timer);
    g_keys = {{'C', true}, {VK_ESCAPE, false}};
    SetTimer(nullptr, 0, 50, PostKeys);
}

TEST(ShowExceptionBox, DetailsReshowTheFullBoxWithTheReport)
{
    TFakeQEException e;
    e.autoClose = 1;
    e.sections = Sections();
    e.onFinalAction = [](uintptr_t box) {
        SendMessageA(reinterpret_cast<HWND>(box), kMsgCloseBox, 0, 0);
    };
    // First box: the details button (show details message); second box: Ctrl+C copies the
    // report as it stands, Esc closes.
    g_reshown = &e;
    SetTimer(nullptr, 0, 50, AskForDetailsThenKeys);
    ShowExceptionBox(e, kBoxDetail, false);
    EXPECT_TRUE(e.autoShowBugRep);
    EXPECT_EQ(e.autoClose, 0);
    EXPECT_EQ(e.autoContinue, 0);
    EXPECT_EQ(ClipboardText(), e.report);
    EXPECT_EQ(e.actions.back(), "close");
}

} // namespace
