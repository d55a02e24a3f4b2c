// The progress popup as real windows on the virtual display: its controls, layout and bar
// values, the closing rules across threads, and its picture drawn from the test program's
// bitmap resources (ProgressPictures.rc) and the product's (brenvik_resources).
#include "ProgressAlert.h"

#include "GuiTest.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace crashui {
namespace {

HWND FindPopup(const char* title)
{
    return FindWindowA(kProgressAlertClass, title);
}

HWND Child(HWND popup, const char* className)
{
    return FindWindowExA(popup, nullptr, className, nullptr);
}

std::string Text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int BarValue(HWND popup)
{
    return static_cast<int>(SendMessageA(Child(popup, PROGRESS_CLASSA), PBM_GETPOS, 0, 0));
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The text's size wrapped at 420 pixels in the popup's font (Tahoma, 11 pixels).
SIZE MeasuredText(const std::string& text)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font =
        CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 420, 0};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return {r.right, r.bottom};
}

class ProgressPopup : public testsupport::GuiTest {
protected:
    TProgressAlertPtr Alert(const char* title, const char* picture = "NOPICTURE")
    {
        return CreateProgressAlert(title, GetModuleHandleA(nullptr), picture);
    }
};

TEST_F(ProgressPopup, ShowsTheDefaultSegmentOnTheSystemsControls)
{
    TProgressAlertPtr alert = Alert("Sending report");
    ASSERT_TRUE(alert->Display(nullptr, true));
    const HWND popup = FindPopup("Sending report");
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(popup));
    const LONG_PTR exStyle = GetWindowLongPtrA(popup, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
    const LONG_PTR style = GetWindowLongPtrA(popup, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME), 0);
    EXPECT_EQ(Text(Child(popup, "Static")), "Please wait...");
    EXPECT_EQ(Child(popup, "Button"), nullptr) << "no picture resource";
    EXPECT_EQ(SendMessageA(Child(popup, PROGRESS_CLASSA), PBM_GETRANGE, FALSE, 0), 1000);

    // One segment of weight 1000: the bar shows the position itself.
    alert->SetProgress(500);
    EXPECT_EQ(BarValue(popup), 500);
    EXPECT_EQ(alert->Progress(), 500);

    alert->SetTitle("Sent");
    EXPECT_EQ(Text(popup), "Sent");
    EXPECT_FALSE(alert->Display(nullptr, true)) << "already shown";
    EXPECT_EQ(FindPopup("Sent"), popup);
    testsupport::SaveScreenshot("progress-popup");
    alert->Dismiss();
    EXPECT_FALSE(IsWindow(popup));
}

TEST_F(ProgressPopup, BarShowsTheActiveSegmentsShareOfTheWeight)
{
    struct Case {
        int64_t weights[3];
        int32_t active;
        int32_t position;
        int expected;
    } cases[] = {
        {{1, 1, 2}, 1, 500, 250}, // the weight-1 segment's half is lost to integer division
        {{1000, 1000, 2000}, 1, 500, 375}, {{1000, 1000, 2000}, 0, 1000, 250},
        {{1000, 1000, 2000}, 2, 0, 500},   {{100, 300, 600}, 2, 500, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        TProgressAlertPtr alert = Alert("Weights");
        for (int64_t weight : c.weights)
            alert->AddSegment("phase " + std::to_string(weight), weight);
        ASSERT_TRUE(alert->Display(nullptr, false));
        const HWND popup = FindPopup("Weights");
        alert->SetActiveSegment(c.active);
        alert->SetProgress(c.position);
        EXPECT_EQ(BarValue(popup), c.expected);
        alert->Dismiss();
    }
}

TEST_F(ProgressPopup, ActiveSegmentMovesTheLabelAndFillsTheBarPastTheLast)
{
    TProgressAlertPtr alert = Alert("Segments");
    alert->AddSegment("Connecting", 100);
    alert->AddSegment("", 100); // repeats the text before it
    alert->AddSegment("Finishing", 200);
    ASSERT_TRUE(alert->Display(nullptr, true));
    const HWND popup = FindPopup("Segments");
    const HWND label = Child(popup, "Static");
    EXPECT_EQ(Text(label), "Connecting");

    alert->SetProgress(600);
    alert->SegmentDone();
    EXPECT_EQ(alert->ActiveSegment(), 1);
    EXPECT_EQ(alert->Progress(), 0);
    EXPECT_EQ(Text(label), "Connecting");
    EXPECT_EQ(BarValue(popup), 250);

    alert->SetProgress(400);
    for (int32_t ignored : {1, -1, 4}) {
        alert->SetActiveSegment(ignored);
        EXPECT_EQ(alert->ActiveSegment(), 1) << ignored;
        EXPECT_EQ(alert->Progress(), 400) << ignored;
    }
    alert->SetActiveSegment(3); // one past the last
    EXPECT_EQ(alert->ActiveSegment(), 2);
    EXPECT_EQ(alert->Progress(), 1000);
    EXPECT_EQ(BarValue(popup), 1000);
    EXPECT_EQ(Text(label), "Finishing");
    alert->SetProgress(0);
    alert->SegmentDone(); // on the last segment: full again
    EXPECT_EQ(BarValue(popup), 1000);

    // Cleared segments leave the label and bar as they are; an empty first text stays empty.
    alert->ClearSegments();
    EXPECT_EQ(alert->ActiveSegment(), 0);
    EXPECT_EQ(Text(label), "Finishing");
    alert->AddSegment("", 10);
    alert->AddSegment("", 10);
    alert->SegmentDone();
    EXPECT_EQ(Text(label), "");
    alert->Dismiss();
}

TEST_F(ProgressPopup, LayoutFollowsTheMeasuredText)
{
    std::string wrapped;
    for (int i = 0; i < 6; ++i)
        wrapped += "The bug report is being sent to the support team. ";
    struct Case {
        std::string text;
        const char* picture;
    } cases[] = {{"Short", "NOPICTURE"},
                 {wrapped, "NOPICTURE"},
                 {"Short", "QEITEST32"},
                 {wrapped, "QEITEST32"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 10) + " " + c.picture);
        TProgressAlertPtr alert = Alert("Layout", c.picture);
        alert->AddSegment(c.text, 1);
        ASSERT_TRUE(alert->Display(nullptr, true));
        const HWND popup = FindPopup("Layout");
        const bool picture = std::string(c.picture) == "QEITEST32";
        const SIZE text = MeasuredText(c.text);
        EXPECT_LE(text.cx, 420);
        if (c.text == wrapped)
            EXPECT_GT(text.cy, MeasuredText("Short").cy) << "wraps";
        int width = std::max<int>(text.cx + (picture ? 40 : 0), 220);
        int height = text.cy;
        int labelY = 12;
        if (picture && height < 26) {
            labelY = 12 + (26 - height) / 2;
            height = 26;
        }
        const RECT label = ChildRect(Child(popup, "Static"));
        EXPECT_EQ(label.left, picture ? 51 : 11);
        EXPECT_EQ(label.top, labelY);
        EXPECT_EQ(label.right - label.left, width);
        EXPECT_EQ(label.bottom - label.top, height);
        const RECT bar = ChildRect(Child(popup, PROGRESS_CLASSA));
        EXPECT_EQ(bar.left, 11);
        EXPECT_EQ(bar.top, height + 24);
        EXPECT_EQ(bar.right - bar.left, width);
        EXPECT_EQ(bar.bottom - bar.top, GetSystemMetrics(SM_CYVSCROLL));
        const HWND button = Child(popup, "Button");
        EXPECT_EQ(button != nullptr, picture);
        if (button) {
            const RECT r = ChildRect(button);
            EXPECT_EQ(r.left, 9);
            EXPECT_EQ(r.top, 9);
            EXPECT_EQ(r.right - r.left, 32);
            EXPECT_EQ(r.bottom - r.top, 32);
        }
        RECT outer;
        GetWindowRect(popup, &outer);
        const int outerWidth = width + 22 + 2 * GetSystemMetrics(SM_CXDLGFRAME);
        const int outerHeight = height + 24 + GetSystemMetrics(SM_CYVSCROLL) + 12 +
                                GetSystemMetrics(SM_CYSMCAPTION) +
                                2 * GetSystemMetrics(SM_CYDLGFRAME);
        EXPECT_EQ(outer.right - outer.left, outerWidth);
        EXPECT_EQ(outer.bottom - outer.top, outerHeight);
        EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2);
        EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2);
        if (picture && c.text != "Short")
            testsupport::SaveScreenshot("progress-popup-picture");
        alert->Dismiss();
    }
}

TEST_F(ProgressPopup, WithoutActivationItSitsInTheWorkAreasCorner)
{
    TProgressAlertPtr alert = Alert("Corner");
    ASSERT_TRUE(alert->Display(nullptr, false));
    RECT work, outer;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    GetWindowRect(FindPopup("Corner"), &outer);
    EXPECT_EQ(outer.right, work.right - 2);
    EXPECT_EQ(outer.bottom, work.bottom - 2);
    EXPECT_NE(GetForegroundWindow(), FindPopup("Corner"));
    alert->Dismiss();
}

TEST_F(ProgressPopup, OnlyDismissClosesItFromAnyThreadAndTheParentComesBack)
{
    const HWND parent = CreateTestWindow("Popup parent", 300, 200);
    TProgressAlertPtr alert = Alert("Closing");
    ASSERT_TRUE(alert->Display(parent, true));
    const HWND popup = FindPopup("Closing");
    EXPECT_FALSE(IsWindowEnabled(parent));

    SendMessageA(popup, WM_CLOSE, 0, 0);
    SendMessageA(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_F4, 0);
    alert->PumpMessages();
    EXPECT_TRUE(IsWindow(popup)) << "the user and the system cannot close it";

    // Progress from another thread is posted and shows once this thread dispatches.
    std::thread([&] { alert->SetProgress(700); }).join();
    alert->PumpMessages();
    EXPECT_EQ(BarValue(popup), 700);
    std::thread([&] { alert->PumpMessages(); }).join(); // not the popup's thread: nothing

    // A request to end the thread's loop survives the popup's pumping.
    PostQuitMessage(3);
    alert->PumpMessages();
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);

    std::atomic<bool> done{false};
    std::thread closer([&] {
        alert->Dismiss();
        done = true;
    });
    EXPECT_TRUE(testsupport::PumpUntil([&] { return done.load(); }, 5000));
    closer.join();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_TRUE(IsWindowEnabled(parent));

    // Segments and position survive: shown again, it is as it was.
    ASSERT_TRUE(alert->Display(nullptr, true));
    EXPECT_EQ(BarValue(FindPopup("Closing")), 700);
    alert.Reset(); // the last reference dismisses it
    EXPECT_EQ(FindPopup("Closing"), nullptr);
}

TEST_F(ProgressPopup, PictureIsBlendedOverTheButtonFace)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    struct Case {
        const char* picture;
        bool drawn;
    } cases[] = {{"QEITEST32", true}, {"QEITEST16", false}, {"QEILYING", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        TProgressAlertPtr alert = Alert("Picture", c.picture);
        ASSERT_TRUE(alert->Display(nullptr, true));
        const HWND popup = FindPopup("Picture");
        const HWND button = Child(popup, "Button");
        ASSERT_NE(button, nullptr) << "the resource exists, whatever its size";

        testsupport::Dib target(32, 32, 0x123456);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = button;
        item.hDC = target.dc();
        item.rcItem = {0, 0, 32, 32};
        EXPECT_EQ(SendMessageA(popup, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), 1);
        for (int y : {0, 5, 31})
            for (int x : {0, 17, 31}) {
                uint32_t expected = 0x123456;
                if (c.drawn) {
                    // The file's rows run from the bottom; pixel (x, row) has blue 8x,
                    // green 8 row, red 200 and alpha 4 (x + row).
                    const int row = 31 - y;
                    const uint32_t a = static_cast<uint32_t>(4 * (x + row)) + 1;
                    const auto blend = [a](uint32_t back, uint32_t colour) {
                        return ((256 - a) * back + a * colour) >> 8;
                    };
                    expected = blend(GetRValue(face), 200) << 16 |
                               blend(GetGValue(face), static_cast<uint32_t>(8 * row)) << 8 |
                               blend(GetBValue(face), static_cast<uint32_t>(8 * x));
                }
                EXPECT_EQ(target.Pixel(x, y), expected) << x << "," << y;
            }
        alert->Dismiss();
    }
}

TEST_F(ProgressPopup, ProductPicturesHaveTheFormThePopupDraws)
{
    for (const char* name : {"QEISEND32", "QEIPLWAIT"}) {
        SCOPED_TRACE(name);
        HRSRC resource = FindResourceA(GetModuleHandleA(nullptr), name, MAKEINTRESOURCEA(2));
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(SizeofResource(GetModuleHandleA(nullptr), resource), 40u + 32 * 32 * 4);
        TProgressAlertPtr alert = Alert("Product picture", name);
        ASSERT_TRUE(alert->Display(nullptr, true));
        EXPECT_NE(Child(FindPopup("Product picture"), "Button"), nullptr);
        alert->Dismiss();
    }
}

} // namespace
} // namespace crashui
