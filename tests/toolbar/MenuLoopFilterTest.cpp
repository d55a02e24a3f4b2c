// What the platform's menu loop tells a message filter while a pop-up menu is tracked: menu-bar
// mode switches root menus when the pointer moves onto a neighbouring root button, and it can
// only see the pointer through the MSGF_MENU filter. The pointer is moved with input events
// from timer ticks (timer messages come after input, so each move is read first), and the
// menu is ended from the last tick.
#include "windows/Application.h"
#include "windows/Forms.h"
#include "windows/Menus.h"
#include "windows/ThreadHooks.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

using namespace classlib;

namespace {

// Over the menu (it opens at (200, 200)), then over a window of this thread elsewhere.
const POINT kPath[] = {{215, 210}, {215, 232}, {600, 500}};
int tick = 0;

void CALLBACK Step(HWND, UINT, UINT_PTR id, DWORD)
{
    if (tick < static_cast<int>(std::size(kPath))) {
        // Moved as a mouse moves it: an input event of the system's own (SetCursorPos alone
        // queues no mouse message here).
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = MulDiv(kPath[tick].x, 65536, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = MulDiv(kPath[tick].y, 65536, GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
        ++tick;
        return;
    }
    KillTimer(nullptr, id);
    EndMenu();
}

struct Seen {
    UINT message;
    HWND window;
    std::string windowClass;
    POINT pt;
    LPARAM lParam;
};

TEST(MenuLoopFilter, PointerMovesReachTheMessageFilterWithScreenPoints)
{
    auto* menu = new TPopupMenu(nullptr);
    for (const char* caption : {"One", "Two", "Three"}) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    std::vector<Seen> seen;
    TThreadHook filter(WH_MSGFILTER, [&](int code, WPARAM w, LPARAM l) {
        const auto* msg = reinterpret_cast<const MSG*>(l);
        if (code == MSGF_MENU && msg->message == WM_MOUSEMOVE) {
            char cls[64] = "";
            GetClassNameA(msg->hwnd, cls, sizeof cls);
            seen.push_back(Seen{msg->message, msg->hwnd, cls, msg->pt, msg->lParam});
        }
        return filter.CallNext(code, w, l);
    });
    // Mouse input goes to this thread only over its own windows (the menu, this form).
    auto* form = new TForm(nullptr);
    form->SetBounds(500, 400, 300, 200);
    form->Show();
    SetForegroundWindow(form->Handle());
    Application->ProcessMessages();
    SetCursorPos(210, 210);
    tick = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, Step);
    ASSERT_NE(timer, 0u);
    menu->Popup(200, 200);
    KillTimer(nullptr, timer);
    // Every move of the path is seen, over the menu and over another window of the thread
    // alike: addressed to the menu's own window (the system class "#32768"), with the screen
    // point in pt and the same screen point (not a client point) in lParam.
    for (const POINT& p : kPath) {
        SCOPED_TRACE(testing::Message() << p.x << ", " << p.y);
        const Seen* hit = nullptr;
        for (const Seen& s : seen)
            if (s.pt.x == p.x && s.pt.y == p.y)
                hit = &s;
        ASSERT_NE(hit, nullptr);
        EXPECT_EQ(hit->windowClass, "#32768");
        EXPECT_NE(hit->window, PopupListWindow());
        EXPECT_EQ(static_cast<short>(LOWORD(hit->lParam)), p.x);
        EXPECT_EQ(static_cast<short>(HIWORD(hit->lParam)), p.y);
    }
    menu->Free();
    form->Free();
}

} // namespace
